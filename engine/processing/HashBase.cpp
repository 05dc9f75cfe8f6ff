// Text forms of a digest.
#include "processing/HashBase.h"

namespace tinydb {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::string THash::DigestText(int format) const {
  return DigestToText(Digest(), static_cast<size_t>(DigestSize()), format);
}

std::string DigestToText(const uint8_t* digest, size_t size, int format) {
  if (format == 0 || format == kDigestTextBase64) return EngineBase64(digest, size);
  if (format == kDigestTextHex) {
    std::string text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
      text.push_back(kHexDigits[digest[i] >> 4]);
      text.push_back(kHexDigits[digest[i] & 0x0F]);
    }
    return text;
  }
  return std::string(reinterpret_cast<const char*>(digest), size);
}

std::string EngineBase64(const uint8_t* data, size_t size) {
  std::string text;
  text.reserve((size + 2) / 3 * 4 + 2);
  for (size_t i = 0; i < size; i += 3) {
    uint32_t v = uint32_t{data[i]} << 24;
    if (i + 1 < size) v |= uint32_t{data[i + 1]} << 16;
    if (i + 2 < size) v |= uint32_t{data[i + 2]} << 8;
    // The low 8 bits start at zero, so at most four units come out and a
    // group stops as soon as only zero units remain.
    while (v != 0) {
      v = (v << 6) | (v >> 26);
      text.push_back(kBase64Alphabet[v & 63]);
      v &= ~uint32_t{63};
    }
  }
  if (size % 3 == 1) text += "==";
  else if (size % 3 == 2) text += "=";
  return text;
}

}  // namespace tinydb
