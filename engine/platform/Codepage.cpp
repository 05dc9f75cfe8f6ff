#include "platform/Codepage.h"

#include <unicode/ucnv.h>
#include <unicode/utf8.h>

#include <array>
#include <climits>
#include <unordered_map>

#include "platform/Errors.h"

namespace tinydb {

namespace {

// Both directions of the code page, filled once from ICU's converter.
struct TCp1252Tables {
  std::array<UChar32, 256> to_unicode{};
  std::unordered_map<UChar32, char> from_unicode;
};

TCp1252Tables BuildTables() {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = ucnv_open("windows-1252", &status);
  if (U_FAILURE(status)) throw EEngineError("No Windows-1252 converter is available");
  // Unassigned bytes must fail rather than become U+FFFD, so they can be
  // given their C1 control character below.
  ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                      &status);

  TCp1252Tables tables;
  for (int byte = 0; byte < 256; ++byte) {
    char source = static_cast<char>(byte);
    UChar target[4];
    status = U_ZERO_ERROR;
    ucnv_reset(converter);
    int32_t length = ucnv_toUChars(converter, target, 4, &source, 1, &status);
    UChar32 code_point = byte;  // unassigned: the C1 control of that number
    if (U_SUCCESS(status) && length == 1 && target[0] != 0xFFFD) code_point = target[0];
    tables.to_unicode[byte] = code_point;
    tables.from_unicode.emplace(code_point, source);
  }
  ucnv_close(converter);
  return tables;
}

const TCp1252Tables& Tables() {
  static const TCp1252Tables tables = BuildTables();
  return tables;
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  const TCp1252Tables& tables = Tables();
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    uint8_t encoded[U8_MAX_LENGTH];
    int32_t length = 0;
    U8_APPEND_UNSAFE(encoded, length, tables.to_unicode[static_cast<unsigned char>(c)]);
    out.append(reinterpret_cast<const char*>(encoded), length);
  }
  return out;
}

bool Utf8ToCp1252(std::string_view text, std::string* out) {
  const TCp1252Tables& tables = Tables();
  out->clear();
  if (text.size() > static_cast<size_t>(INT32_MAX)) return false;
  out->reserve(text.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  int32_t length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    UChar32 code_point;
    U8_NEXT(bytes, i, length, code_point);
    if (code_point < 0) return false;
    auto found = tables.from_unicode.find(code_point);
    if (found == tables.from_unicode.end()) return false;
    out->push_back(found->second);
  }
  return true;
}

namespace {

// The lower-case letter of a Windows-1252 character; others unchanged.
unsigned char FoldCase(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;  // S caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z caron
    case 0x9F: return 0xFF;  // Y diaeresis
    default: return c;
  }
}

}  // namespace

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace tinydb
