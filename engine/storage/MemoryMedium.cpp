#include "storage/MemoryMedium.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>

namespace tinydb {

namespace {

// Registration numbers start at 1, so ":" and ":00000000" never name a
// stream.
struct TMemoryStreamRegistry {
  std::mutex lock;
  std::map<uint32_t, TMemoryStream*> by_number;
  std::map<TMemoryStream*, uint32_t> by_stream;
  uint32_t last_number = 0;
};

TMemoryStreamRegistry& Registry() {
  static TMemoryStreamRegistry registry;
  return registry;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string MemoryStreamToDatabaseName(TMemoryStream* stream) {
  TMemoryStreamRegistry& registry = Registry();
  uint32_t number;
  {
    std::lock_guard<std::mutex> hold(registry.lock);
    auto known = registry.by_stream.find(stream);
    if (known != registry.by_stream.end()) {
      number = known->second;
    } else {
      // Skip 0 and numbers still in use once the counter has wrapped.
      do {
        number = ++registry.last_number;
      } while (number == 0 || registry.by_number.count(number) != 0);
      registry.by_number[number] = stream;
      registry.by_stream[stream] = number;
    }
  }
  char text[16];
  std::snprintf(text, sizeof text, ":%08X", static_cast<unsigned>(number));
  return text;
}

void UnregisterMemoryStream(TMemoryStream* stream) {
  TMemoryStreamRegistry& registry = Registry();
  std::lock_guard<std::mutex> hold(registry.lock);
  auto known = registry.by_stream.find(stream);
  if (known == registry.by_stream.end()) return;
  registry.by_number.erase(known->second);
  registry.by_stream.erase(known);
}

bool IsMemoryDatabaseName(const std::string& name) {
  if (name.empty() || name[0] != ':') return false;
  for (size_t i = 1; i < name.size(); ++i)
    if (HexDigitValue(name[i]) < 0) return false;
  return true;
}

TMemoryStream* DatabaseNameToMemoryStream(const std::string& name) {
  if (!IsMemoryDatabaseName(name)) return nullptr;
  uint64_t number = 0;
  for (size_t i = 1; i < name.size(); ++i) {
    number = number * 16 + static_cast<uint64_t>(HexDigitValue(name[i]));
    if (number > UINT32_MAX) return nullptr;  // no wrapping into a small number
  }
  TMemoryStreamRegistry& registry = Registry();
  std::lock_guard<std::mutex> hold(registry.lock);
  auto known = registry.by_number.find(static_cast<uint32_t>(number));
  return known == registry.by_number.end() ? nullptr : known->second;
}

}  // namespace tinydb
