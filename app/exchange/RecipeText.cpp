#include "exchange/RecipeText.h"

#include <libxml/HTMLparser.h>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

#include "platform/Codepage.h"

namespace zestoria {

namespace {

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Appends |cp| in UTF-8; a value that is no character (a surrogate, or
// beyond U+10FFFF) becomes U+FFFD.
void AppendUtf8(std::string& out, uint32_t cp) {
  char bytes[U8_MAX_LENGTH];
  int32_t length = 0;
  UBool error = false;
  U8_APPEND(bytes, length, U8_MAX_LENGTH, static_cast<UChar32>(cp), error);
  if (error || U_IS_SURROGATE(cp)) {
    out += "\xEF\xBF\xBD";
    return;
  }
  out.append(bytes, static_cast<size_t>(length));
}

// The code point an entity name (without '&' and ';') stands for; 0 for
// none.
uint32_t EntityValue(std::string_view name) {
  if (name.empty() || name.size() > 32) return 0;
  if (name[0] == '#') {
    uint32_t value = 0;
    size_t i = 1;
    const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
    if (hex) ++i;
    if (i >= name.size()) return 0;
    for (; i < name.size(); ++i) {
      const char c = name[i];
      uint32_t digit;
      if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
      else if (hex && c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
      else if (hex && c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
      else return 0;
      value = value * (hex ? 16 : 10) + digit;
      if (value > 0x10FFFF) return 0;
    }
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return value;
  }
  if (name == "apos") return '\'';
  const std::string key(name);
  const htmlEntityDesc* entity = htmlEntityLookup(reinterpret_cast<const xmlChar*>(key.c_str()));
  return entity ? entity->value : 0;
}

// Tag names that end a line of text.
bool BreaksLine(std::string_view tag) {
  const std::string name = AsciiLower(tag);
  return name == "br" || name == "p" || name == "li" || name == "div" || name == "tr" ||
         name == "h1" || name == "h2" || name == "h3" || name == "h4" || name == "ul" ||
         name == "ol";
}

const icu::Normalizer2* Nfc() {
  static const icu::Normalizer2* nfc = [] {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* n = icu::Normalizer2::getNFCInstance(status);
    return U_SUCCESS(status) ? n : nullptr;
  }();
  return nfc;
}

const icu::Transliterator* ToLatin() {
  static const std::unique_ptr<icu::Transliterator> latin = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> t(icu::Transliterator::createInstance(
        "Any-Latin; Latin-ASCII", UTRANS_FORWARD, status));
    if (U_FAILURE(status)) t.reset();
    return t;
  }();
  return latin.get();
}

// UTF-8 |text| as Unicode in NFC (malformed bytes as U+FFFD).
icu::UnicodeString NfcOf(std::string_view text) {
  icu::UnicodeString unicode =
      icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  if (const icu::Normalizer2* nfc = Nfc()) {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString normal = nfc->normalize(unicode, status);
    if (U_SUCCESS(status)) return normal;
  }
  return unicode;
}

// The Windows-1252 byte of |cp|; -1 when the code page lacks it.
int Cp1252Byte(UChar32 cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  static constexpr std::array<std::pair<uint16_t, uint8_t>, 27> kHigh = {{
      {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85},
      {0x2020, 0x86}, {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A},
      {0x2039, 0x8B}, {0x0152, 0x8C}, {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92},
      {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95}, {0x2013, 0x96}, {0x2014, 0x97},
      {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B}, {0x0153, 0x9C},
      {0x017E, 0x9E}, {0x0178, 0x9F},
  }};
  for (const auto& [code, byte] : kHigh)
    if (code == cp) return byte;
  return -1;
}

}  // namespace

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

bool HasWord(std::string_view haystack, std::string_view word) {
  if (word.empty() || haystack.size() < word.size()) return false;
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  const char first = lower(word[0]);
  const size_t last = haystack.size() - word.size();
  for (size_t at = 0; at <= last; ++at) {
    if (lower(haystack[at]) != first) continue;
    if (at > 0 && IsAsciiAlnum(haystack[at - 1])) continue;
    const size_t end = at + word.size();
    if (end < haystack.size() && IsAsciiAlnum(haystack[end])) continue;
    size_t i = 1;
    while (i < word.size() && lower(haystack[at + i]) == lower(word[i])) ++i;
    if (i == word.size()) return true;
  }
  return false;
}

bool HasLowerWord(std::string_view haystack, std::string_view word) {
  if (word.empty()) return false;
  for (size_t at = haystack.find(word); at != std::string_view::npos; at = haystack.find(word, at + 1)) {
    const size_t end = at + word.size();
    if ((at == 0 || !IsAsciiAlnum(haystack[at - 1])) && (end == haystack.size() || !IsAsciiAlnum(haystack[end])))
      return true;
  }
  return false;
}

std::string Trim(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && (IsBlank(text[begin]) || text[begin] == '\n' || text[begin] == '\r')) ++begin;
  while (end > begin && (IsBlank(text[end - 1]) || text[end - 1] == '\n' || text[end - 1] == '\r'))
    --end;
  return std::string(text.substr(begin, end - begin));
}

std::string DecodeEntities(std::string_view text) {
  if (text.find('&') == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      const size_t semi = text.find(';', i + 1);
      if (semi != std::string_view::npos && semi - i <= 33) {
        const uint32_t value = EntityValue(text.substr(i + 1, semi - i - 1));
        if (value != 0) {
          AppendUtf8(out, value);
          i = semi;
          continue;
        }
      }
    }
    out += text[i];
  }
  return out;
}

std::string StripTags(std::string_view text) {
  if (text.find('<') == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '<' && i + 1 < text.size()) {
      const char next = text[i + 1];
      const bool tag_start = (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') ||
                             next == '/' || next == '!';
      const size_t close = tag_start ? text.find('>', i + 1) : std::string_view::npos;
      if (close != std::string_view::npos) {
        size_t name_start = i + 1 + (next == '/' ? 1 : 0);
        size_t name_end = name_start;
        while (name_end < close && IsAsciiAlnum(text[name_end])) ++name_end;
        if (BreaksLine(text.substr(name_start, name_end - name_start))) out += '\n';
        i = close;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string StripMarkdown(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool first = true;
  for (const std::string& raw : SplitLines(text)) {
    std::string line = raw;
    size_t lead = 0;
    while (lead < line.size() && IsBlank(line[lead])) ++lead;
    size_t hashes = lead;
    while (hashes < line.size() && line[hashes] == '#') ++hashes;
    if (hashes > lead && hashes < line.size() && line[hashes] == ' ') {
      line.erase(lead, hashes + 1 - lead);
    } else if (lead + 1 < line.size() &&
               (line[lead] == '-' || line[lead] == '*' || line[lead] == '+') &&
               line[lead + 1] == ' ') {
      line.erase(lead, 2);
    }
    for (const char* marker : {"**", "__"}) {
      for (size_t at = line.find(marker); at != std::string::npos; at = line.find(marker, at))
        line.erase(at, 2);
    }
    if (std::count(line.begin(), line.end(), '*') % 2 == 0)
      line.erase(std::remove(line.begin(), line.end(), '*'), line.end());
    if (!first) out += '\n';
    first = false;
    out += line;
  }
  return out;
}

std::string NormaliseUnicode(std::string_view text) {
  const bool ascii = IsAscii(text);
  if (ascii) {
    std::string out(text);
    for (char& c : out)
      if (c == '\t' || c == '\f' || c == '\v') c = ' ';
    return out;
  }
  const icu::UnicodeString unicode = NfcOf(text);
  std::string out;
  out.reserve(text.size());
  for (int32_t i = 0; i < unicode.length();) {
    const UChar32 cp = unicode.char32At(i);
    i += U16_LENGTH(cp);
    if (cp == 0x200B || cp == 0x200C || cp == 0x200D || cp == 0x2060 || cp == 0xFEFF) continue;
    if (cp == '\n' || cp == '\r') {
      out += static_cast<char>(cp);
    } else if (cp == '\t' || u_isUWhiteSpace(cp) || cp == 0x00A0) {
      out += ' ';
    } else {
      AppendUtf8(out, static_cast<uint32_t>(cp));
    }
  }
  return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
      lines.emplace_back(text.substr(start, i - start));
      if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  return lines;
}

std::string JoinedLines(std::string_view text, const char* separator) {
  std::string out;
  const std::vector<std::string> lines = SplitLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out += separator;
    out += lines[i];
  }
  return out;
}

std::string CollapseBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (IsBlank(c) || c == '\n' || c == '\r') {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string CleanLine(std::string_view text) {
  return CollapseBlanks(NormaliseUnicode(StripTags(DecodeEntities(text))));
}

std::string CleanText(std::string_view text, bool markdown) {
  std::string plain = StripTags(DecodeEntities(text));
  if (markdown) plain = StripMarkdown(plain);
  plain = NormaliseUnicode(plain);
  std::string out;
  bool blank_pending = false;
  for (const std::string& raw : SplitLines(plain)) {
    const std::string line = CollapseBlanks(raw);
    if (line.empty()) {
      blank_pending = !out.empty();
      continue;
    }
    if (!out.empty()) out += blank_pending ? "\n\n" : "\n";
    blank_pending = false;
    out += line;
  }
  return out;
}

std::string ToCatalogueText(std::string_view text, size_t* replaced) {
  const bool ascii = IsAscii(text);
  if (ascii) return std::string(text);
  const icu::UnicodeString unicode = NfcOf(text);
  std::string out;
  out.reserve(text.size());
  for (int32_t i = 0; i < unicode.length();) {
    const UChar32 cp = unicode.char32At(i);
    i += U16_LENGTH(cp);
    const int byte = Cp1252Byte(cp);
    if (byte >= 0) {
      out += static_cast<char>(byte);
      continue;
    }
    if (replaced) ++*replaced;
    if (const icu::Transliterator* latin = ToLatin()) {
      icu::UnicodeString one(cp);
      latin->transliterate(one);
      for (int32_t j = 0; j < one.length();) {
        const UChar32 c = one.char32At(j);
        j += U16_LENGTH(c);
        const int b = Cp1252Byte(c);
        if (b >= 0) out += static_cast<char>(b);
      }
    }
  }
  return out;
}

std::string FromCatalogueText(std::string_view text) { return tinydb::Cp1252ToUtf8(text); }

}  // namespace zestoria
