// SHA-0 compression function.
#include "processing/Hash_SHA.h"

#include "processing/ByteOrder.h"
#include "processing/EncryptBase.h"

namespace tinydb {

void THash_SHA::Final() {
  Pad(true);
  StoreDigest(5, true);
}

void THash_SHA::Transform(const uint8_t* block) {
  uint32_t w[80];
  for (int i = 0; i < 16; ++i) w[i] = LoadBigEndian32(block + 4 * i);
  for (int t = 16; t < 80; ++t) {
    uint32_t v = w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16];
    w[t] = rotate_schedule_ ? RotateLeft32(v, 1) : v;
  }

  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3], e = state_[4];
  for (int t = 0; t < 80; ++t) {
    uint32_t f, k;
    if (t < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999;
    } else if (t < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1;
    } else if (t < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDC;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6;
    }
    uint32_t temp = RotateLeft32(a, 5) + f + e + k + w[t];
    e = d; d = c; c = RotateLeft32(b, 30); b = a; a = temp;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;
  SecureWipe(w, sizeof(w));
}

}  // namespace tinydb
