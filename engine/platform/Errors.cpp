#include "platform/Errors.h"

namespace tinydb {

std::string FormatMessage(const std::string& pattern, const std::string& arg) {
  std::string::size_type at = pattern.find("%s");
  if (at == std::string::npos) return pattern;
  std::string out = pattern;
  out.replace(at, 2, arg);
  return out;
}

}  // namespace tinydb
