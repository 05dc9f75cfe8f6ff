// MD4 (RFC 1320) and the shared machinery of the MD4 family: a byte
// count, a 64-byte block buffer and ten 32-bit state words. RIPEMD-160 and
// SHA-0 derive from it and replace only the block transform and the final
// step.
#pragma once

#include <cstddef>
#include <cstdint>

#include "processing/HashBase.h"

namespace tinydb {

class THash_MD4 : public THash {
 public:
  static constexpr int kBlockSize = 64;

  THash_MD4();
  // Wipes the buffer, state and digest.
  ~THash_MD4() override;

  const char* ClassName() const override { return "THash_MD4"; }
  // Clears the buffer and count and loads the family's ten start words.
  void Init() override;
  void Update(const void* data, size_t size) override;
  // Pads with 0x80, zeros and the little-endian bit length; the digest is
  // the first DigestSize() / 4 state words, least significant byte first.
  void Final() override;
  const uint8_t* Digest() const override { return digest_; }
  int DigestSize() const override { return 16; }

  // Compresses one 64-byte block into the state words.
  virtual void Transform(const uint8_t* block);

 protected:
  // Appends 0x80, zeros and the 64-bit bit length (big- or little-endian)
  // and transforms the last block or two.
  void Pad(bool big_endian_length);
  // Copies the first |words| state words into the digest bytes.
  void StoreDigest(int words, bool big_endian);

  uint32_t state_[10];

 private:
  uint64_t count_ = 0;  // bytes hashed since Init
  uint8_t buffer_[kBlockSize];
  uint8_t digest_[20];
};

}  // namespace tinydb
