// SHA-0: the Secure Hash Algorithm of FIPS 180 (1993), whose message
// schedule has no one-bit rotation. The engine's password check texts and
// cipher keys are SHA-0 digests.
#pragma once

#include "processing/Hash_RipeMD.h"

namespace tinydb {

class THash_SHA : public THash_RipeMD160 {
 public:
  const char* ClassName() const override { return "THash_SHA"; }
  // Pads with a big-endian bit length; the digest is the five state words,
  // most significant byte first.
  void Final() override;
  void Transform(const uint8_t* block) override;

 protected:
  // Schedule rotation switch: zero in every instance (SHA-0); non-zero
  // would add SHA-1's one-bit rotation.
  uint8_t rotate_schedule_ = 0;
};

}  // namespace tinydb
