#include "exchange/ExchangeFormat.h"

namespace zestoria {

void decodeField(uint8_t* address, size_t count) {
  for (size_t i = 0; i < count; ++i) address[i] = static_cast<uint8_t>(address[i] - 1);
}

void encodeField(uint8_t* address, size_t count) {
  for (size_t i = 0; i < count; ++i) address[i] = static_cast<uint8_t>(address[i] + 1);
}

int32_t LoadInt32(const uint8_t* p) {
  const uint32_t v = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                     static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
  return static_cast<int32_t>(v);
}

uint16_t LoadUint16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

void StoreInt32(uint8_t* p, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void StoreUint16(uint8_t* p, uint16_t value) {
  p[0] = static_cast<uint8_t>(value);
  p[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace zestoria
