// GOST 28147-89 block cipher: 64-bit block, 256-bit key, 32 rounds, with
// the S-boxes of the "test" parameter set of GOST R 34.11-94.
#pragma once

#include "processing/EncryptBase.h"

namespace tinydb {

class TEnc_Gost : public TEncrypt {
 public:
  static constexpr int kBlockSize = 8;
  static constexpr int kMaxKeySize = 32;
  static constexpr int kKeyScheduleSize = 32;  // eight 32-bit key words

  // Created wiped and uninitialised.
  TEnc_Gost() : TEncrypt(kBlockSize, kMaxKeySize, kKeyScheduleSize) {}

  const char* ClassName() const override { return "TEnc_Gost"; }
  // Block read and written as two little-endian 32-bit words.
  void EncryptBlock(uint8_t* block) override;
  void DecryptBlock(uint8_t* block) override;

 protected:
  // The key bytes, padded with zeros to 32, become the words K0..K7
  // (little-endian).
  void ScheduleKey(const uint8_t* key, int key_size) override;
};

}  // namespace tinydb
