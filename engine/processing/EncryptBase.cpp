// The cipher framework: key set-up, initial vector, modes and partial blocks.
#include "processing/EncryptBase.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "processing/Hash_SHA.h"

namespace tinydb {

namespace {

constexpr int kCodeNotInitialized = 3;
constexpr int kCodeUnknownMode = 4;

constexpr char kNotInitializedMessage[] = "%s is not initialized call Init() or InitKey() before.";

// dest := a xor b, eight bytes at a time; |dest| may be |a| or |b|.
inline void XorBytes(uint8_t* dest, const uint8_t* a, const uint8_t* b, int64_t n) {
  int64_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    x ^= y;
    std::memcpy(dest + i, &x, 8);
  }
  for (; i < n; ++i) dest[i] = static_cast<uint8_t>(a[i] ^ b[i]);
}

}  // namespace

void SecureWipe(void* p, size_t size) {
  volatile uint8_t* bytes = static_cast<volatile uint8_t*>(p);
  for (size_t i = 0; i < size; ++i) bytes[i] = 0;
}

TEncrypt::TEncrypt(int block_size, int max_key_size, int key_schedule_size)
    : block_size_(block_size),
      max_key_size_(max_key_size),
      key_schedule_size_(key_schedule_size),
      work_(new uint8_t[block_size]),
      iv_(new uint8_t[block_size]),
      feedback_(new uint8_t[block_size]),
      key_schedule_(new uint32_t[(key_schedule_size + 3) / 4]) {
  Wipe();
}

TEncrypt::~TEncrypt() {
  Wipe();
  SecureWipe(iv_.get(), block_size_);
  SecureWipe(feedback_.get(), block_size_);
  SecureWipe(work_.get(), block_size_);
  SecureWipe(key_schedule_.get(), (key_schedule_size_ + 3) / 4 * 4);
}

void TEncrypt::SetFlag(int bit, bool on) {
  if (on) flags_ |= uint32_t{1} << bit;
  else flags_ &= ~(uint32_t{1} << bit);
}

void TEncrypt::Wipe() {
  SetFlag(kFlagKeySet, false);
  SetFlag(kFlagInitialized, false);
  std::memset(iv_.get(), 0xFF, block_size_);
  std::memset(feedback_.get(), 0xFF, block_size_);
  SecureWipe(work_.get(), block_size_);
  SecureWipe(key_schedule_.get(), (key_schedule_size_ + 3) / 4 * 4);
}

void TEncrypt::Init(const void* key, int key_size, const void* iv) {
  SetFlag(kFlagInitialized, false);
  Wipe();
  key_size = std::clamp(key_size, 0, max_key_size_);
  if (key == nullptr) key_size = 0;
  ScheduleKey(static_cast<const uint8_t*>(key), key_size);
  if (iv != nullptr) std::memcpy(iv_.get(), iv, block_size_);
  else EncryptBlock(iv_.get());  // the all-FF block under the new key
  std::memcpy(feedback_.get(), iv_.get(), block_size_);
  SetFlag(kFlagInitialized, true);
}

void TEncrypt::InitKey(std::string_view password, const void* iv) {
  uint8_t digest[20];
  {
    THash_SHA hash;
    hash.Init();
    hash.Update(password.data(), password.size());
    hash.Final();
    std::memcpy(digest, hash.Digest(), sizeof(digest));
  }
  Init(digest, std::min<int>(sizeof(digest), max_key_size_), iv);
  EncryptBuffer(digest, digest, sizeof(digest));
  ResetFeedback();
  SetFlag(kFlagKeySet, true);
  SecureWipe(digest, sizeof(digest));
}

void TEncrypt::ResetFeedback() { std::memcpy(feedback_.get(), iv_.get(), block_size_); }

// Refuses to work before Init/InitKey, and refuses mode numbers above 4
// (never written by the engine) rather than guessing what they mean.
void TEncrypt::CheckInitialized() const {
  if (!Initialized())
    throw EEncryptException(kCodeNotInitialized, FormatMessage(kNotInitializedMessage, ClassName()));
  if (mode_ > cmECB)
    throw EEncryptException(kCodeUnknownMode, std::string(ClassName()) + ": unknown cipher mode " +
                                                  std::to_string(mode_));
}

// Full block in mode 0 or 1: C = E(P xor F), then F := F xor C or F := C.
void TEncrypt::EncryptFullBlock(const uint8_t* in, uint8_t* out) {
  uint8_t* f = feedback_.get();
  uint8_t* w = work_.get();
  XorBytes(w, in, f, block_size_);
  EncryptBlock(w);
  std::memcpy(out, w, block_size_);
  if (mode_ == cmFeedbackXor) XorBytes(f, f, w, block_size_);
  else std::memcpy(f, w, block_size_);
}

// Full block in mode 0 or 1: P = D(C) xor F, then F := F xor C or F := C.
// |in| may equal |out|: the feedback takes C before P is written.
void TEncrypt::DecryptFullBlock(const uint8_t* in, uint8_t* out) {
  uint8_t* f = feedback_.get();
  uint8_t* w = work_.get();
  std::memcpy(w, in, block_size_);
  DecryptBlock(w);
  // w := D(C) xor F, then F := F xor C (or C), then P := w.
  XorBytes(w, w, f, block_size_);
  if (mode_ == cmFeedbackXor) XorBytes(f, f, in, block_size_);
  else std::memcpy(f, in, block_size_);
  std::memcpy(out, w, block_size_);
}

void TEncrypt::EncryptBuffer(const void* source, void* dest, int64_t size) {
  Process(static_cast<const uint8_t*>(source), static_cast<uint8_t*>(dest), size, true);
}

void TEncrypt::DecryptBuffer(const void* source, void* dest, int64_t size) {
  Process(static_cast<const uint8_t*>(source), static_cast<uint8_t*>(dest), size, false);
}

// Both directions share the partial-block and byte-feedback rules; they
// differ only in the full-block transform and, for CFB, in which byte (the
// ciphertext either way) enters the feedback register.
void TEncrypt::Process(const uint8_t* in, uint8_t* out, int64_t size, bool encrypt) {
  CheckInitialized();
  const int64_t b = block_size_;
  uint8_t* f = feedback_.get();
  uint8_t* w = work_.get();
  if (size < 0) size = 0;

  switch (mode_) {
    case cmFeedbackXor:
    case cmCBC: {
      int64_t full = size - size % b;
      for (int64_t i = 0; i < full; i += b) {
        if (encrypt) EncryptFullBlock(in + i, out + i);
        else DecryptFullBlock(in + i, out + i);
      }
      int r = static_cast<int>(size - full);
      if (r > 0) {  // tail: XOR with E(F); mode 0 also folds E(F) into F
        std::memcpy(w, f, b);
        EncryptBlock(w);
        XorBytes(out + full, in + full, w, r);
        if (mode_ == cmFeedbackXor) XorBytes(f, f, w, block_size_);
      }
      break;
    }
    case cmCFB8:
    case cmOFB8:
      for (int64_t i = 0; i < size; ++i) {
        std::memcpy(w, f, b);
        EncryptBlock(w);
        const uint8_t in_byte = in[i];
        out[i] = in_byte ^ w[0];
        std::memmove(f, f + 1, b - 1);
        if (mode_ == cmOFB8) f[b - 1] = w[0];
        else f[b - 1] = encrypt ? out[i] : in_byte;
      }
      break;
    case cmECB: {
      int64_t full = size - size % b;
      for (int64_t i = 0; i < full; i += b) {
        std::memcpy(w, in + i, b);
        if (encrypt) EncryptBlock(w);
        else DecryptBlock(w);
        std::memcpy(out + i, w, b);
      }
      if (out != in && size > full) std::memmove(out + full, in + full, size - full);
      break;
    }
  }
  SecureWipe(w, block_size_);
}

}  // namespace tinydb
