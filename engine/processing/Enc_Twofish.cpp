#include "processing/Enc_Twofish.h"

#include <cstring>

#include "processing/ByteOrder.h"
#include "processing/TwofishTables.h"

namespace tinydb {

namespace {

constexpr int kRounds = 16;
constexpr int kInputWhiten = 0;   // subkeys 0..3
constexpr int kOutputWhiten = 4;  // subkeys 4..7
constexpr int kRoundSubkeys = 8;  // subkeys 8..39, two per round
constexpr uint32_t kRho = 0x01010101;
constexpr uint32_t kRsPolynomial = 0x14D;  // x^8 + x^6 + x^3 + x^2 + 1

// The Reed-Solomon matrix that folds 8 key bytes into one S-box key word.
constexpr uint8_t kRs[4][8] = {
    {0x01, 0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E},
    {0xA4, 0x56, 0x82, 0xF3, 0x1E, 0xC6, 0x68, 0xE5},
    {0x02, 0xA1, 0xFC, 0xC1, 0x47, 0xAE, 0x3D, 0x19},
    {0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E, 0x03},
};

uint8_t Byte(uint32_t x, int i) { return static_cast<uint8_t>(x >> (8 * i)); }

uint8_t GfMultiply(uint8_t a, uint8_t b, uint32_t polynomial) {
  uint32_t x = a;
  uint8_t product = 0;
  for (; b != 0; b >>= 1) {
    if (b & 1) product ^= static_cast<uint8_t>(x);
    x <<= 1;
    if (x & 0x100) x ^= polynomial;
  }
  return product;
}

// One S-box key word from key bytes 8i..8i+7.
uint32_t RsEncode(const uint8_t* bytes) {
  uint32_t word = 0;
  for (int row = 0; row < 4; ++row) {
    uint8_t sum = 0;
    for (int col = 0; col < 8; ++col) sum ^= GfMultiply(kRs[row][col], bytes[col], kRsPolynomial);
    word |= uint32_t{sum} << (8 * row);
  }
  return word;
}

// The q-permutation chain of the h function for byte position |pos| of
// input byte |x|, keyed by the |k| words of |list| (list[0] applied last).
uint8_t KeyedBytePermutation(int pos, uint8_t x, const uint32_t* list, int k) {
  const uint8_t* q0 = kTwofishQ0;
  const uint8_t* q1 = kTwofishQ1;
  // Which permutation each stage applies before its XOR with list[stage];
  // stages run from k - 1 down to 0.
  static constexpr bool kUseQ1[4][4] = {
      // stage:    0      1      2      3
      /* pos 0 */ {false, false, true, true},
      /* pos 1 */ {false, true, true, false},
      /* pos 2 */ {true, false, false, false},
      /* pos 3 */ {true, true, false, true},
  };
  uint8_t y = x;
  for (int stage = k - 1; stage >= 0; --stage) {
    y = (kUseQ1[pos][stage] ? q1 : q0)[y] ^ Byte(list[stage], pos);
  }
  // The final fixed permutation before the MDS matrix.
  static constexpr bool kLastQ1[4] = {true, false, true, false};
  return (kLastQ1[pos] ? q1 : q0)[y];
}

// The h function: keyed permutations of the four bytes of |x|, then MDS.
uint32_t H(uint32_t x, const uint32_t* list, int k) {
  uint32_t z = 0;
  for (int pos = 0; pos < 4; ++pos) {
    z ^= kTwofishMds[pos][KeyedBytePermutation(pos, Byte(x, pos), list, k)];
  }
  return z;
}

}  // namespace

TEnc_Twofish::TEnc_Twofish() : TEncrypt(kBlockSize, kMaxKeySize, kKeyScheduleSize) {}

void TEnc_Twofish::ScheduleKey(const uint8_t* key, int key_size) {
  // Pad to the next of 16, 24 or 32 bytes.
  uint8_t padded[kMaxKeySize] = {};
  if (key_size > 0) std::memcpy(padded, key, key_size);
  const int k = key_size <= 16 ? 2 : key_size <= 24 ? 3 : 4;  // 64-bit words

  uint32_t even[4] = {};
  uint32_t odd[4] = {};
  uint32_t sbox_key[4] = {};
  for (int i = 0; i < k; ++i) {
    even[i] = LoadLittleEndian32(padded + 8 * i);
    odd[i] = LoadLittleEndian32(padded + 8 * i + 4);
    sbox_key[k - 1 - i] = RsEncode(padded + 8 * i);
  }

  uint32_t* words = KeyWords();
  for (int i = 0; i < kSubkeyWords / 2; ++i) {
    const uint32_t a = H(2 * i * kRho, even, k);
    const uint32_t b = RotateLeft32(H((2 * i + 1) * kRho, odd, k), 8);
    words[2 * i] = a + b;
    words[2 * i + 1] = RotateLeft32(a + 2 * b, 9);
  }

  // Full keying: S-box table pos maps a byte straight to its MDS column.
  uint32_t* sboxes = words + kSubkeyWords;
  for (int pos = 0; pos < 4; ++pos) {
    for (int x = 0; x < 256; ++x) {
      sboxes[256 * pos + x] =
          kTwofishMds[pos][KeyedBytePermutation(pos, static_cast<uint8_t>(x), sbox_key, k)];
    }
  }

  SecureWipe(padded, sizeof(padded));
  SecureWipe(even, sizeof(even));
  SecureWipe(odd, sizeof(odd));
  SecureWipe(sbox_key, sizeof(sbox_key));
}

uint32_t TEnc_Twofish::G(uint32_t x) {
  return SBox(0)[Byte(x, 0)] ^ SBox(1)[Byte(x, 1)] ^ SBox(2)[Byte(x, 2)] ^ SBox(3)[Byte(x, 3)];
}

void TEnc_Twofish::EncryptBlock(uint8_t* block) {
  const uint32_t* key = Subkeys();
  uint32_t r[4];
  for (int i = 0; i < 4; ++i) r[i] = LoadLittleEndian32(block + 4 * i) ^ key[kInputWhiten + i];

  for (int round = 0; round < kRounds; round += 2) {
    uint32_t t0 = G(r[0]);
    uint32_t t1 = G(RotateLeft32(r[1], 8));
    r[2] = RotateRight32(r[2] ^ (t0 + t1 + key[kRoundSubkeys + 2 * round]), 1);
    r[3] = RotateLeft32(r[3], 1) ^ (t0 + 2 * t1 + key[kRoundSubkeys + 2 * round + 1]);

    t0 = G(r[2]);
    t1 = G(RotateLeft32(r[3], 8));
    r[0] = RotateRight32(r[0] ^ (t0 + t1 + key[kRoundSubkeys + 2 * round + 2]), 1);
    r[1] = RotateLeft32(r[1], 1) ^ (t0 + 2 * t1 + key[kRoundSubkeys + 2 * round + 3]);
  }

  // The last round's swap is undone: the output starts with r[2].
  for (int i = 0; i < 4; ++i) {
    StoreLittleEndian32(r[(i + 2) % 4] ^ key[kOutputWhiten + i], block + 4 * i);
  }
}

void TEnc_Twofish::DecryptBlock(uint8_t* block) {
  const uint32_t* key = Subkeys();
  uint32_t r[4];
  for (int i = 0; i < 4; ++i) {
    r[(i + 2) % 4] = LoadLittleEndian32(block + 4 * i) ^ key[kOutputWhiten + i];
  }

  for (int round = kRounds - 2; round >= 0; round -= 2) {
    uint32_t t0 = G(r[2]);
    uint32_t t1 = G(RotateLeft32(r[3], 8));
    r[0] = RotateLeft32(r[0], 1) ^ (t0 + t1 + key[kRoundSubkeys + 2 * round + 2]);
    r[1] = RotateRight32(r[1] ^ (t0 + 2 * t1 + key[kRoundSubkeys + 2 * round + 3]), 1);

    t0 = G(r[0]);
    t1 = G(RotateLeft32(r[1], 8));
    r[2] = RotateLeft32(r[2], 1) ^ (t0 + t1 + key[kRoundSubkeys + 2 * round]);
    r[3] = RotateRight32(r[3] ^ (t0 + 2 * t1 + key[kRoundSubkeys + 2 * round + 1]), 1);
  }

  for (int i = 0; i < 4; ++i) StoreLittleEndian32(r[i] ^ key[kInputWhiten + i], block + 4 * i);
}

}  // namespace tinydb
