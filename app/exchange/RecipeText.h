// Text hygiene for recipes from other programs and web pages, and the step
// from their UTF-8 into the catalogue's Windows-1252: HTML entities decoded
// once, tags and Markdown markers removed, Unicode normalised to NFC, and
// the characters Windows-1252 cannot hold transliterated and counted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zestoria {

// |text| with every HTML entity decoded once (named, &#NNN; and &#xHH;);
// an '&' that starts no known entity stays as it is.
std::string DecodeEntities(std::string_view text);

// |text| without HTML tags; <br>, <p>, <li>, <div> and their ends become
// line breaks. A '<' that starts no tag (as in "1 < 2") stays.
std::string StripTags(std::string_view text);

// |text| without Markdown markers: ** and __ emphasis, *single* emphasis,
// and at the start of a line "# " headings and "- ", "* ", "+ " bullets.
std::string StripMarkdown(std::string_view text);

// |text| (UTF-8; malformed bytes become U+FFFD) in NFC, every Unicode
// space but the line breaks an ordinary blank, zero-width characters and
// the byte-order mark removed, tabs as blanks.
std::string NormaliseUnicode(std::string_view text);

// One line of text: entities decoded, tags stripped, normalised, blanks
// collapsed, trimmed; line breaks become blanks.
std::string CleanLine(std::string_view text);

// A text of several lines: entities decoded, tags (and with |markdown|
// Markdown markers) removed, normalised; "\r\n" and "\r" read as "\n";
// every line's blanks collapsed and trimmed, runs of empty lines kept as
// one, none at the start or end. Lines are joined with "\n".
std::string CleanText(std::string_view text, bool markdown);

// The lines of |text|, split at "\r\n", "\n" or "\r".
std::vector<std::string> SplitLines(std::string_view text);
// The lines of |text| joined again with |separator| ("\n" or "\r\n").
std::string JoinedLines(std::string_view text, const char* separator);

// |text| with every run of blanks and line breaks as one blank, trimmed.
std::string CollapseBlanks(std::string_view text);

// UTF-8 |text| (normalised to NFC) as Windows-1252. A character the code
// page lacks is transliterated to Latin letters (é stays, № becomes "No",
// Greek and Cyrillic are spelled in Latin); what still does not fit is
// dropped. Every character so changed adds one to |*replaced|.
std::string ToCatalogueText(std::string_view text, size_t* replaced);

// Windows-1252 |text| as UTF-8.
std::string FromCatalogueText(std::string_view text);

// |text| with ASCII letters in lower case.
std::string AsciiLower(std::string_view text);

// True when |haystack| holds |word| (ASCII, any case) with no letter or
// digit directly before or after it.
bool HasWord(std::string_view haystack, std::string_view word);
// The same for a |haystack| and |word| already in lower case (faster).
bool HasLowerWord(std::string_view haystack, std::string_view word);

// |text| without blanks at either end.
std::string Trim(std::string_view text);

}  // namespace zestoria
