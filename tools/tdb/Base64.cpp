#include "Base64.h"

#include <cstdint>

namespace tdb {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The 6-bit value of an alphabet character, or -1.
int SextetOf(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string EncodeBase64(const std::string& bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t group = 0;
    for (size_t j = 0; j < 3; ++j)
      group = (group << 8) | (j < n ? static_cast<uint8_t>(bytes[i + j]) : 0u);
    for (size_t j = 0; j < 4; ++j)
      out += j <= n ? kAlphabet[(group >> (18 - 6 * j)) & 63] : '=';
  }
  return out;
}

std::optional<std::string> DecodeBase64(const std::string& text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::string out;
  out.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    size_t padding = 0;
    uint32_t group = 0;
    for (size_t j = 0; j < 4; ++j) {
      const char c = text[i + j];
      int sextet = 0;
      if (c == '=' && last && j >= 2) {
        ++padding;
      } else {
        sextet = SextetOf(c);
        if (sextet < 0 || padding > 0) return std::nullopt;  // no data after '='
      }
      group = (group << 6) | static_cast<uint32_t>(sextet);
    }
    // Bits that fall outside the bytes a padded group carries must be 0.
    if ((padding == 1 && (group & 0xFF) != 0) || (padding == 2 && (group & 0xFFFF) != 0))
      return std::nullopt;
    for (size_t j = 0; j < 3 - padding; ++j)
      out += static_cast<char>((group >> (16 - 8 * j)) & 0xFF);
  }
  return out;
}

}  // namespace tdb
