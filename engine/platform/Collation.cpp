#include "platform/Collation.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/stringpiece.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Errors.h"

namespace tinydb {

namespace {

// Unicode of the Windows-1252 bytes 0x80..0x9F; every other byte is its own
// code point. The five unassigned bytes keep the C1 control of their number,
// as Codepage.h converts them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Texts up to this length are converted on the stack.
constexpr size_t kStackChars = 256;

// The collators every thread clones from, rebuilt when the locale changes.
struct TCollatorSet {
  std::unique_ptr<icu::Collator> case_sensitive;  // tertiary strength
  std::unique_ptr<icu::Collator> ignore_case;     // secondary strength
};

std::mutex g_mutex;
std::string g_locale_override;           // guarded by g_mutex
std::shared_ptr<const TCollatorSet> g_prototypes;  // guarded by g_mutex
std::atomic<unsigned> g_generation{1};

// The locale that orders texts: the override, else the environment's
// collation locale; "C", "POSIX" and no setting mean the root order.
icu::Locale CollationLocale(const std::string& override_id) {
  std::string id = override_id;
  if (id.empty()) {
    for (const char* name : {"LC_ALL", "LC_COLLATE", "LANG"}) {
      const char* value = std::getenv(name);
      if (value != nullptr && *value != '\0') {
        id = value;
        break;
      }
    }
  }
  icu::Locale locale = icu::Locale::createCanonical(id.c_str());
  const char* language = locale.getLanguage();
  if (locale.isBogus() || *language == '\0' || std::strcmp(language, "c") == 0 ||
      std::strcmp(language, "posix") == 0 ||
      std::strcmp(locale.getVariant(), "POSIX") == 0) {
    return icu::Locale::getRoot();
  }
  return locale;
}

std::unique_ptr<icu::Collator> MakeCollator(const icu::Locale& locale,
                                            icu::Collator::ECollationStrength strength) {
  UErrorCode status = U_ZERO_ERROR;
  // An unknown locale yields the root collator with a warning, which is the
  // order wanted for it.
  std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
  if (U_FAILURE(status) || !collator) {
    status = U_ZERO_ERROR;
    collator.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
  }
  if (U_FAILURE(status) || !collator) throw EEngineError("No text collation is available");
  collator->setStrength(strength);
  return collator;
}

std::shared_ptr<const TCollatorSet> Prototypes() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_prototypes) {
    icu::Locale locale = CollationLocale(g_locale_override);
    auto set = std::make_shared<TCollatorSet>();
    set->case_sensitive = MakeCollator(locale, icu::Collator::TERTIARY);
    set->ignore_case = MakeCollator(locale, icu::Collator::SECONDARY);
    g_prototypes = std::move(set);
  }
  return g_prototypes;
}

// Each thread compares with collators of its own: ICU collators are cheap
// to clone, and a private one needs no lock on the hot path.
struct TThreadCollators {
  unsigned generation = 0;
  std::unique_ptr<icu::Collator> case_sensitive;
  std::unique_ptr<icu::Collator> ignore_case;

  icu::Collator& Get(bool ignore) {
    unsigned current = g_generation.load(std::memory_order_acquire);
    if (generation != current) {
      std::shared_ptr<const TCollatorSet> prototypes = Prototypes();
      case_sensitive.reset(prototypes->case_sensitive->clone());
      ignore_case.reset(prototypes->ignore_case->clone());
      if (!case_sensitive || !ignore_case) throw EEngineError("No text collation is available");
      generation = current;
    }
    return ignore ? *ignore_case : *case_sensitive;
  }
};

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Windows-1252 |text| as UTF-16 in |out| (which must hold text.size()).
void ToUtf16(std::string_view text, char16_t* out) {
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    *out++ = (byte >= 0x80 && byte < 0xA0) ? kCp1252High[byte - 0x80] : byte;
  }
}

int Sign(UCollationResult result) {
  return result == UCOL_LESS ? -1 : (result == UCOL_GREATER ? 1 : 0);
}

}  // namespace

int CollateTexts(std::string_view a, std::string_view b, bool ignore_case) {
  thread_local TThreadCollators collators;
  icu::Collator& collator = collators.Get(ignore_case);
  UErrorCode status = U_ZERO_ERROR;
  UCollationResult result;
  if (IsAscii(a) && IsAscii(b)) {
    // ASCII bytes are their own UTF-8.
    result = collator.compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                                  icu::StringPiece(b.data(), static_cast<int32_t>(b.size())),
                                  status);
  } else {
    char16_t stack[2 * kStackChars];
    std::vector<char16_t> heap;
    char16_t* buffer = stack;
    if (a.size() + b.size() > 2 * kStackChars) {
      heap.resize(a.size() + b.size());
      buffer = heap.data();
    }
    ToUtf16(a, buffer);
    ToUtf16(b, buffer + a.size());
    result = collator.compare(buffer, static_cast<int32_t>(a.size()), buffer + a.size(),
                              static_cast<int32_t>(b.size()), status);
  }
  if (U_FAILURE(status)) throw EEngineError("Texts cannot be compared");
  return Sign(result);
}

void SetCollationLocale(const std::string& icu_locale_id) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_locale_override = icu_locale_id;
  g_prototypes.reset();
  g_generation.fetch_add(1, std::memory_order_acq_rel);
}

}  // namespace tinydb
