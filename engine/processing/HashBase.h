// The hash framework: an abstract incremental hash and the text forms of a
// digest. The engine uses SHA-0 for password check texts and cipher keys,
// and CRC-32 to verify blob writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tinydb {

// Text forms of a digest.
constexpr int kDigestTextHex = 16;     // upper-case hexadecimal, high nibble first
constexpr int kDigestTextBase64 = 64;  // the engine's base-64 form (the default)

// Abstract incremental hash: Init, any number of Update calls, Final; the
// digest then equals that of the concatenated input.
class THash {
 public:
  virtual ~THash() = default;
  virtual const char* ClassName() const = 0;
  virtual void Init() = 0;
  virtual void Update(const void* data, size_t size) = 0;
  virtual void Final() = 0;
  // The digest bytes, valid after Final.
  virtual const uint8_t* Digest() const = 0;
  virtual int DigestSize() const = 0;

  // The finished digest as text: format 16 hexadecimal, 64 (or 0) the
  // base-64 form, any other format the raw bytes.
  std::string DigestText(int format = kDigestTextBase64) const;
};

// Text form of |size| digest bytes (formats as THash::DigestText).
std::string DigestToText(const uint8_t* digest, size_t size, int format = kDigestTextBase64);

// The engine's base-64 form: per group of up to 3 bytes, v = b0<<24 |
// b1<<16 | b2<<8; while v != 0, rotate left 6 and emit alphabet[v & 63],
// then clear those 6 bits; finally "==" when size % 3 == 1, "=" when 2.
std::string EngineBase64(const uint8_t* data, size_t size);

// Hash of |text|'s bytes (no terminator) with a fresh H, as text.
template <class H>
std::string HashText(std::string_view text, int format = kDigestTextBase64) {
  H hash;
  hash.Init();
  hash.Update(text.data(), text.size());
  hash.Final();
  return hash.DigestText(format);
}

// Hash of a byte range with a fresh H: the digest bytes.
template <class H>
std::vector<uint8_t> HashBuffer(const void* data, size_t size) {
  H hash;
  hash.Init();
  hash.Update(data, size);
  hash.Final();
  return std::vector<uint8_t>(hash.Digest(), hash.Digest() + hash.DigestSize());
}

}  // namespace tinydb
