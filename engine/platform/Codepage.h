// Windows-1252, the single-byte character set of every text the engine
// stores (names, string fields, passwords), and its conversion to and from
// UTF-8 for the world outside the engine.
#pragma once

#include <string>
#include <string_view>

namespace tinydb {

// The UTF-8 form of Windows-1252 |text|. Never fails: the five bytes the
// code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1
// control characters of the same number, so every byte round-trips.
std::string Cp1252ToUtf8(std::string_view text);

// Converts UTF-8 |text| into Windows-1252 in |*out|. Returns false, leaving
// |*out| unspecified, when |text| is not well-formed UTF-8 or holds a
// character with no Windows-1252 form.
bool Utf8ToCp1252(std::string_view text, std::string* out);

// True when two Windows-1252 names are equal ignoring letter case: ASCII,
// the accented letters and the pairs S/s caron, OE/oe, Z/z caron and
// Y/y diaeresis. Names of databases, sessions, tables, indexes, fields and
// modules all compare this way.
bool SameText(std::string_view a, std::string_view b);

}  // namespace tinydb
