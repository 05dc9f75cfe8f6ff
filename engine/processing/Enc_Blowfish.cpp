#include "processing/Enc_Blowfish.h"

#include <cstring>
#include <utility>

#include "processing/BlowfishTables.h"
#include "processing/ByteOrder.h"

namespace tinydb {

namespace {

constexpr int kRounds = 16;

}  // namespace

TEnc_Blowfish::TEnc_Blowfish() : TEncrypt(kBlockSize, kMaxKeySize, kKeyScheduleSize) {}

uint32_t TEnc_Blowfish::F(uint32_t x) {
  const uint32_t* s = S(0);
  return ((s[x >> 24] + s[256 + ((x >> 16) & 0xFF)]) ^ s[512 + ((x >> 8) & 0xFF)]) +
         s[768 + (x & 0xFF)];
}

void TEnc_Blowfish::EncryptHalves(uint32_t& left, uint32_t& right) {
  const uint32_t* p = P();
  uint32_t l = left;
  uint32_t r = right;
  for (int i = 0; i < kRounds; i += 2) {
    l ^= p[i];
    r ^= F(l);
    r ^= p[i + 1];
    l ^= F(r);
  }
  left = r ^ p[kRounds + 1];
  right = l ^ p[kRounds];
}

void TEnc_Blowfish::EncryptBlock(uint8_t* block) {
  uint32_t l = LoadBigEndian32(block);
  uint32_t r = LoadBigEndian32(block + 4);
  EncryptHalves(l, r);
  StoreBigEndian32(l, block);
  StoreBigEndian32(r, block + 4);
}

void TEnc_Blowfish::DecryptBlock(uint8_t* block) {
  const uint32_t* p = P();
  uint32_t l = LoadBigEndian32(block);
  uint32_t r = LoadBigEndian32(block + 4);
  for (int i = kRounds + 1; i > 1; i -= 2) {
    l ^= p[i];
    r ^= F(l);
    r ^= p[i - 1];
    l ^= F(r);
  }
  StoreBigEndian32(r ^ p[0], block);
  StoreBigEndian32(l ^ p[1], block + 4);
}

void TEnc_Blowfish::ScheduleKey(const uint8_t* key, int key_size) {
  uint32_t* p = P();
  std::memcpy(p, kBlowfishInitialP, sizeof(kBlowfishInitialP));
  std::memcpy(S(0), kBlowfishInitialS, sizeof(kBlowfishInitialS));

  // The key bytes are cycled over the P-array, four to a big-endian word.
  // With no key bytes there is nothing to cycle and P keeps its digits of pi.
  if (key_size > 0) {
    int k = 0;
    for (int i = 0; i < kBlowfishPWords; ++i) {
      uint32_t word = 0;
      for (int b = 0; b < 4; ++b) {
        word = (word << 8) | key[k];
        k = (k + 1) % key_size;
      }
      p[i] ^= word;
    }
  }

  // Repeated encryption of an all-zero block replaces P, then every S-box,
  // two words at a time.
  uint32_t l = 0;
  uint32_t r = 0;
  uint32_t* words = KeyWords();
  for (int i = 0; i < kKeyScheduleSize / 4; i += 2) {
    EncryptHalves(l, r);
    words[i] = l;
    words[i + 1] = r;
  }
  SecureWipe(&l, sizeof(l));
  SecureWipe(&r, sizeof(r));
}

}  // namespace tinydb
