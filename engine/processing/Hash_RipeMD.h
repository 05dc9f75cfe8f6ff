// RIPEMD-160 on the MD4 family's buffering and padding.
#pragma once

#include "processing/Hash_MD.h"

namespace tinydb {

class THash_RipeMD160 : public THash_MD4 {
 public:
  const char* ClassName() const override { return "THash_RipeMD160"; }
  int DigestSize() const override { return 20; }
  void Transform(const uint8_t* block) override;
};

}  // namespace tinydb
