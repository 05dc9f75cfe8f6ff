// Twofish (Schneier et al., 1998): 128-bit block, 128-, 192- or 256-bit keys.
#pragma once

#include <cstdint>

#include "processing/EncryptBase.h"

namespace tinydb {

// Twofish block cipher with fully keyed S-boxes. A key of other than 16,
// 24 or 32 bytes is padded with zero bytes to the next of these lengths
// (no key at all is the all-zero 128-bit key). The 40 subkeys and the four
// key-dependent S-box tables live in the base's key-schedule area, so they
// are wiped with the object.
class TEnc_Twofish : public TEncrypt {
 public:
  static constexpr int kBlockSize = 16;
  static constexpr int kMaxKeySize = 32;
  static constexpr int kSubkeyWords = 40;  // 8 whitening + 2 per round x 16
  // 40 subkey words + 4 S-boxes of 256 words, 4 bytes each.
  static constexpr int kKeyScheduleSize = (kSubkeyWords + 4 * 256) * 4;  // 4256

  TEnc_Twofish();

  const char* ClassName() const override { return "TEnc_Twofish"; }

  // One 16-byte block in place; needs a key (Init or InitKey).
  void EncryptBlock(uint8_t* block) override;
  void DecryptBlock(uint8_t* block) override;

 protected:
  // Builds the subkeys and the key-dependent S-boxes from |key_size| bytes
  // (0..32), zero-padded to 16, 24 or 32 bytes.
  void ScheduleKey(const uint8_t* key, int key_size) override;

 private:
  const uint32_t* Subkeys() { return KeyWords(); }
  const uint32_t* SBox(int i) { return KeyWords() + kSubkeyWords + 256 * i; }
  uint32_t G(uint32_t x);
};

}  // namespace tinydb
