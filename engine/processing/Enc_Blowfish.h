// Blowfish (Schneier, 1993): 64-bit block, keys of 0 to 56 bytes, 16 rounds.
#pragma once

#include <cstdint>

#include "processing/EncryptBase.h"

namespace tinydb {

// Blowfish block cipher. Each block is two big-endian 32-bit halves. The
// key schedule (P-array, then the four S-boxes) lives in the base's
// key-schedule area, so it is wiped with the object.
class TEnc_Blowfish : public TEncrypt {
 public:
  static constexpr int kBlockSize = 8;
  static constexpr int kMaxKeySize = 56;
  // 18 P words + 4 S-boxes of 256 words, 4 bytes each.
  static constexpr int kKeyScheduleSize = (18 + 4 * 256) * 4;  // 4168

  TEnc_Blowfish();

  const char* ClassName() const override { return "TEnc_Blowfish"; }

  // One 8-byte block in place; needs a key (Init or InitKey).
  void EncryptBlock(uint8_t* block) override;
  void DecryptBlock(uint8_t* block) override;

 protected:
  // Mixes |key_size| key bytes, cycled, into the P-array and then replaces
  // P and S by repeated encryption. An empty key mixes nothing in.
  void ScheduleKey(const uint8_t* key, int key_size) override;

 private:
  uint32_t* P() { return KeyWords(); }
  uint32_t* S(int box) { return KeyWords() + 18 + 256 * box; }
  uint32_t F(uint32_t x);
  void EncryptHalves(uint32_t& left, uint32_t& right);
};

}  // namespace tinydb
