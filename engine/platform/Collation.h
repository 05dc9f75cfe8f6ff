// Locale-aware order of texts: the ICU collator of the environment's locale
// (LANG / LC_ALL), or the root locale when that is "C", "POSIX" or unknown.
#pragma once

#include <string>
#include <string_view>

namespace tinydb {

// Compares two Windows-1252 texts in the collation order of the current
// locale. |ignore_case| ignores case differences (accents still count).
// Returns -1, 0 or 1. Thread-safe.
int CollateTexts(std::string_view a, std::string_view b, bool ignore_case);

// Makes CollateTexts use the ICU locale |icu_locale_id| ("en_US", "sv_SE");
// "" returns to the environment's locale. Meant for tests.
void SetCollationLocale(const std::string& icu_locale_id);

}  // namespace tinydb
