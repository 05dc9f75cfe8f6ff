// GOST 28147-89 basic block transform.
#include "processing/Enc_Gost.h"

#include <cstring>

#include "processing/GostTables.h"

namespace tinydb {

namespace {

inline uint32_t Round(uint32_t x) {
  return kGostSubstitution[0][x & 0xFF] ^ kGostSubstitution[1][(x >> 8) & 0xFF] ^
         kGostSubstitution[2][(x >> 16) & 0xFF] ^ kGostSubstitution[3][x >> 24];
}

inline uint32_t Load(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

inline void Store(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace

void TEnc_Gost::ScheduleKey(const uint8_t* key, int key_size) {
  uint8_t padded[kMaxKeySize] = {};
  if (key_size > 0) std::memcpy(padded, key, key_size);
  uint32_t* k = KeyWords();
  for (int i = 0; i < 8; ++i) k[i] = Load(padded + 4 * i);
  SecureWipe(padded, sizeof(padded));
}

// Key words K0..K7 three times, then K7..K0.
void TEnc_Gost::EncryptBlock(uint8_t* block) {
  const uint32_t* k = KeyWords();
  uint32_t n1 = Load(block), n2 = Load(block + 4);
  for (int pass = 0; pass < 3; ++pass) {
    for (int i = 0; i < 8; i += 2) {
      n2 ^= Round(n1 + k[i]);
      n1 ^= Round(n2 + k[i + 1]);
    }
  }
  for (int i = 7; i > 0; i -= 2) {
    n2 ^= Round(n1 + k[i]);
    n1 ^= Round(n2 + k[i - 1]);
  }
  Store(block, n2);
  Store(block + 4, n1);
}

// Key words K0..K7, then K7..K0 three times.
void TEnc_Gost::DecryptBlock(uint8_t* block) {
  const uint32_t* k = KeyWords();
  uint32_t n1 = Load(block), n2 = Load(block + 4);
  for (int i = 0; i < 8; i += 2) {
    n2 ^= Round(n1 + k[i]);
    n1 ^= Round(n2 + k[i + 1]);
  }
  for (int pass = 0; pass < 3; ++pass) {
    for (int i = 7; i > 0; i -= 2) {
      n2 ^= Round(n1 + k[i]);
      n1 ^= Round(n2 + k[i - 1]);
    }
  }
  Store(block, n2);
  Store(block + 4, n1);
}

}  // namespace tinydb
