// Byte order and rotations for the ciphers, the hashes and the on-disk
// structures: loads and stores of unsigned words in little- and big-endian
// order, one byte at a time (independent of the host's order and of
// alignment), and 32-bit rotations.
#pragma once

#include <bit>
#include <cstdint>

namespace tinydb {

inline uint16_t LoadLittleEndian16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadLittleEndian32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
inline uint64_t LoadLittleEndian64(const uint8_t* p) {
  return uint64_t{LoadLittleEndian32(p)} | (uint64_t{LoadLittleEndian32(p + 4)} << 32);
}
inline uint32_t LoadBigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

inline void StoreLittleEndian16(uint16_t v, uint8_t* p) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreLittleEndian32(uint32_t v, uint8_t* p) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void StoreLittleEndian64(uint64_t v, uint8_t* p) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void StoreBigEndian32(uint32_t v, uint8_t* p) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}
inline void StoreBigEndian64(uint64_t v, uint8_t* p) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (56 - 8 * i));
}

// Any |n|, taken modulo 32.
inline uint32_t RotateLeft32(uint32_t v, int n) { return std::rotl(v, n); }
inline uint32_t RotateRight32(uint32_t v, int n) { return std::rotr(v, n); }

}  // namespace tinydb
