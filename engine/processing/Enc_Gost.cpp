// GOST 28147-89 basic block transform.
#include "processing/Enc_Gost.h"

#include <cstring>

#include "processing/ByteOrder.h"
#include "processing/GostTables.h"

namespace tinydb {

namespace {

inline uint32_t Round(uint32_t x) {
  return kGostSubstitution[0][x & 0xFF] ^ kGostSubstitution[1][(x >> 8) & 0xFF] ^
         kGostSubstitution[2][(x >> 16) & 0xFF] ^ kGostSubstitution[3][x >> 24];
}

}  // namespace

void TEnc_Gost::ScheduleKey(const uint8_t* key, int key_size) {
  uint8_t padded[kMaxKeySize] = {};
  if (key_size > 0) std::memcpy(padded, key, key_size);
  uint32_t* k = KeyWords();
  for (int i = 0; i < 8; ++i) k[i] = LoadLittleEndian32(padded + 4 * i);
  SecureWipe(padded, sizeof(padded));
}

// Key words K0..K7 three times, then K7..K0.
void TEnc_Gost::EncryptBlock(uint8_t* block) {
  const uint32_t* k = KeyWords();
  uint32_t n1 = LoadLittleEndian32(block), n2 = LoadLittleEndian32(block + 4);
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
  StoreLittleEndian32(n2, block);
  StoreLittleEndian32(n1, block + 4);
}

// Key words K0..K7, then K7..K0 three times.
void TEnc_Gost::DecryptBlock(uint8_t* block) {
  const uint32_t* k = KeyWords();
  uint32_t n1 = LoadLittleEndian32(block), n2 = LoadLittleEndian32(block + 4);
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
  StoreLittleEndian32(n2, block);
  StoreLittleEndian32(n1, block + 4);
}

}  // namespace tinydb
