// Hexadecimal text for test fixtures: known answers are written as hex.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tinydb::test {

// "0A1b" -> {0x0A, 0x1B}; an odd trailing digit is ignored.
inline std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

// Upper-case hex, two digits per byte.
inline std::string ToHex(const uint8_t* data, size_t size) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < size; ++i) {
    out += kDigits[data[i] >> 4];
    out += kDigits[data[i] & 15];
  }
  return out;
}

inline std::string ToHex(const std::vector<uint8_t>& data) { return ToHex(data.data(), data.size()); }

}  // namespace tinydb::test
