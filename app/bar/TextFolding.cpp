#include "TextFolding.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace zestoria::bar {

namespace {

// Letters that keep no accent-free form under decomposition.
const char* SplitLetter(UChar32 c) {
  switch (c) {
    case 0x00E6: return "ae";  // æ
    case 0x0153: return "oe";  // œ
    case 0x00F8: return "o";   // ø
    case 0x0142: return "l";   // ł
    case 0x0111: return "d";   // đ
    case 0x00F0: return "d";   // ð
    case 0x00FE: return "th";  // þ
    case 0x0131: return "i";   // dotless i
    default: return nullptr;
  }
}

bool IsApostrophe(UChar32 c) { return c == 0x27 || c == 0x2019 || c == 0x2018 || c == 0x02BC; }

void AppendUtf8(UChar32 c, std::string& out) {
  char bytes[U8_MAX_LENGTH];
  int32_t length = 0;
  U8_APPEND_UNSAFE(bytes, length, c);  // c comes from a well-formed UnicodeString
  out.append(bytes, static_cast<size_t>(length));
}

}  // namespace

std::vector<TFoldedWord> FoldWords(std::string_view text) {
  icu::UnicodeString folded =
      icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  folded.foldCase();
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfkd = icu::Normalizer2::getNFKDInstance(status);
  if (U_SUCCESS(status)) {
    icu::UnicodeString decomposed = nfkd->normalize(folded, status);
    if (U_SUCCESS(status)) folded = decomposed;
  }

  std::vector<TFoldedWord> words;
  std::string word;
  int depth = 0;
  auto end_word = [&] {
    if (!word.empty()) words.push_back({std::move(word), depth > 0});
    word.clear();
  };
  for (int32_t i = 0; i < folded.length();) {
    const UChar32 c = folded.char32At(i);
    i += U16_LENGTH(c);
    if (u_getCombiningClass(c) != 0 || u_charType(c) == U_NON_SPACING_MARK) continue;
    if (IsApostrophe(c)) continue;
    if (const char* split = SplitLetter(c)) {
      word += split;
    } else if (u_isalnum(c)) {
      AppendUtf8(u_tolower(c), word);
    } else {
      end_word();
      if (c == '(' || c == '[') {
        ++depth;
      } else if ((c == ')' || c == ']') && depth > 0) {
        --depth;
      } else if (c == '&') {
        words.push_back({"and", depth > 0});
      }
    }
  }
  end_word();
  return words;
}

std::string FoldedKey(std::string_view text) {
  std::string key;
  for (const TFoldedWord& word : FoldWords(text)) {
    if (!key.empty()) key += ' ';
    key += word.text;
  }
  return key;
}

}  // namespace zestoria::bar
