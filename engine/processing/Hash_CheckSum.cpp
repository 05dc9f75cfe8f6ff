// XOR32 and table-driven CRC-32.
#include "processing/Hash_CheckSum.h"

#include <cstring>

#include "processing/ByteOrder.h"
#include "processing/CrcTable.h"

namespace tinydb {

namespace {

// Runs the reflected register over |size| bytes (no initial or final
// complement).
uint32_t CrcRegister(uint32_t reg, const uint8_t* p, size_t size) {
  for (size_t i = 0; i < size; ++i) reg = kCrc32Table[(reg ^ p[i]) & 0xFF] ^ (reg >> 8);
  return reg;
}

}  // namespace

void THash_XOR32::Init() {
  std::memset(digest_, 0, sizeof(digest_));
  position_ = 0;
}

void THash_XOR32::Update(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) digest_[position_++ & 3] ^= p[i];
}

void THash_CRC32::Init() {
  THash_XOR32::Init();
  crc_ = 0xFFFFFFFF;
}

void THash_CRC32::Update(const void* data, size_t size) {
  crc_ = CrcRegister(crc_, static_cast<const uint8_t*>(data), size);
}

void THash_CRC32::Final() {
  crc_ = ~crc_;
  StoreLittleEndian32(crc_, digest_);
}

uint32_t Crc32(const void* data, size_t size, uint32_t crc) {
  return ~CrcRegister(~crc, static_cast<const uint8_t*>(data), size);
}

}  // namespace tinydb
