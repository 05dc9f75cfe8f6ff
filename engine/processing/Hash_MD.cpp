// MD4 block transform and the MD4 family's buffering and padding.
#include "processing/Hash_MD.h"

#include <cstring>

#include "processing/ByteOrder.h"
#include "processing/EncryptBase.h"

namespace tinydb {

namespace {

// The family's start values; MD4 uses the first four, RIPEMD-160 and SHA-0
// the first five.
constexpr uint32_t kInitialState[10] = {
    0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0,
    0x76543210, 0xFEDCBA98, 0x89ABCDEF, 0x01234567, 0x3C2D1E0F,
};

inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (~x & z); }
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (x & z) | (y & z); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }

}  // namespace

THash_MD4::THash_MD4() { Init(); }

THash_MD4::~THash_MD4() {
  SecureWipe(state_, sizeof(state_));
  SecureWipe(buffer_, sizeof(buffer_));
  SecureWipe(digest_, sizeof(digest_));
  SecureWipe(&count_, sizeof(count_));
}

void THash_MD4::Init() {
  std::memset(buffer_, 0, sizeof(buffer_));
  std::memset(digest_, 0, sizeof(digest_));
  count_ = 0;
  std::memcpy(state_, kInitialState, sizeof(state_));
}

void THash_MD4::Update(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  size_t used = static_cast<size_t>(count_ % kBlockSize);
  count_ += size;
  if (used != 0) {
    size_t take = kBlockSize - used;
    if (size < take) {
      std::memcpy(buffer_ + used, p, size);
      return;
    }
    std::memcpy(buffer_ + used, p, take);
    Transform(buffer_);
    p += take;
    size -= take;
  }
  for (; size >= kBlockSize; p += kBlockSize, size -= kBlockSize) Transform(p);
  if (size != 0) std::memcpy(buffer_, p, size);
}

void THash_MD4::Pad(bool big_endian_length) {
  size_t used = static_cast<size_t>(count_ % kBlockSize);
  uint64_t bits = count_ * 8;
  buffer_[used++] = 0x80;
  if (used > kBlockSize - 8) {
    std::memset(buffer_ + used, 0, kBlockSize - used);
    Transform(buffer_);
    used = 0;
  }
  std::memset(buffer_ + used, 0, kBlockSize - used);
  if (big_endian_length)
    StoreBigEndian64(bits, buffer_ + kBlockSize - 8);
  else
    StoreLittleEndian64(bits, buffer_ + kBlockSize - 8);
  Transform(buffer_);
  std::memset(buffer_, 0, sizeof(buffer_));
}

void THash_MD4::StoreDigest(int words, bool big_endian) {
  for (int w = 0; w < words; ++w) {
    if (big_endian)
      StoreBigEndian32(state_[w], digest_ + 4 * w);
    else
      StoreLittleEndian32(state_[w], digest_ + 4 * w);
  }
}

void THash_MD4::Final() {
  Pad(false);
  StoreDigest(DigestSize() / 4, false);
}

void THash_MD4::Transform(const uint8_t* block) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLittleEndian32(block + 4 * i);
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];

  static constexpr int kShift1[4] = {3, 7, 11, 19};
  for (int i = 0; i < 16; ++i) {
    uint32_t t = RotateLeft32(a + F(b, c, d) + x[i], kShift1[i % 4]);
    a = d; d = c; c = b; b = t;
  }
  static constexpr int kOrder2[16] = {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15};
  static constexpr int kShift2[4] = {3, 5, 9, 13};
  for (int i = 0; i < 16; ++i) {
    uint32_t t = RotateLeft32(a + G(b, c, d) + x[kOrder2[i]] + 0x5A827999, kShift2[i % 4]);
    a = d; d = c; c = b; b = t;
  }
  static constexpr int kOrder3[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
  static constexpr int kShift3[4] = {3, 9, 11, 15};
  for (int i = 0; i < 16; ++i) {
    uint32_t t = RotateLeft32(a + H(b, c, d) + x[kOrder3[i]] + 0x6ED9EBA1, kShift3[i % 4]);
    a = d; d = c; c = b; b = t;
  }

  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  SecureWipe(x, sizeof(x));
}

}  // namespace tinydb
