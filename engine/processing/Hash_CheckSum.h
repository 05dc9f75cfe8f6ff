// Four-byte checksums: a simple XOR sum and CRC-32. The engine uses CRC-32
// to verify blob writes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "processing/HashBase.h"

namespace tinydb {

// XOR of the input bytes into a 4-byte register, byte i of the input into
// register byte i mod 4. Base of THash_CRC32.
class THash_XOR32 : public THash {
 public:
  const char* ClassName() const override { return "THash_XOR32"; }
  void Init() override;
  void Update(const void* data, size_t size) override;
  void Final() override {}
  const uint8_t* Digest() const override { return digest_; }
  int DigestSize() const override { return 4; }

 protected:
  uint8_t digest_[4] = {};

 private:
  size_t position_ = 0;
};

// CRC-32 of ISO 3309 / ITU-T V.42: reflected polynomial 0xEDB88320,
// register starts at all ones and is complemented at the end. The digest is
// the register's four bytes, least significant first.
class THash_CRC32 : public THash_XOR32 {
 public:
  const char* ClassName() const override { return "THash_CRC32"; }
  void Init() override;
  void Update(const void* data, size_t size) override;
  void Final() override;
  // The checksum after Final (the register while hashing).
  uint32_t Value() const { return crc_; }

 private:
  uint32_t crc_ = 0xFFFFFFFF;
};

// CRC-32 of |size| bytes. |crc| is the checksum of bytes that came before
// (0 for none), so a range can be checked in pieces.
uint32_t Crc32(const void* data, size_t size, uint32_t crc = 0);

}  // namespace tinydb
