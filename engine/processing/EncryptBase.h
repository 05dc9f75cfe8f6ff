// The block-cipher framework: key set-up from a password, the initial
// vector, the five modes of operation and the partial-block rules, written
// once for every cipher. A cipher class adds only its key schedule and its
// block transform.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/Errors.h"

namespace tinydb {

// Error of the cipher library; |Code| tells what went wrong
// (3: the cipher was used before Init or InitKey).
class EEncryptException : public EEngineError {
 public:
  EEncryptException(int code, const std::string& message)
      : EEngineError(message), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// Cipher modes, by their stored numbers.
enum TCipherMode : uint8_t {
  cmFeedbackXor = 0,  // C = E(P xor F); F := F xor C
  cmCBC = 1,          // C = E(P xor F); F := C
  cmCFB8 = 2,         // 8-bit cipher feedback
  cmOFB8 = 3,         // 8-bit output feedback
  cmECB = 4,          // C = E(P); a partial tail is left as it is
};

// Abstract block cipher. Holds four byte areas, all wiped when the object
// dies: a work buffer, the initial vector and the feedback register (one
// block each) and the key schedule.
class TEncrypt {
 public:
  // Flag bits.
  static constexpr int kFlagKeySet = 0;       // key set by InitKey
  static constexpr int kFlagInitialized = 9;  // Init has run

  virtual ~TEncrypt();
  TEncrypt(const TEncrypt&) = delete;
  TEncrypt& operator=(const TEncrypt&) = delete;

  // Class name used in messages ("TEnc_Blowfish").
  virtual const char* ClassName() const = 0;

  int BlockSize() const { return block_size_; }
  int MaxKeySize() const { return max_key_size_; }
  int KeyScheduleSize() const { return key_schedule_size_; }

  uint8_t Mode() const { return mode_; }
  void SetMode(uint8_t mode) { mode_ = mode; }

  void SetFlag(int bit, bool on);
  bool Flag(int bit) const { return (flags_ >> bit) & 1u; }
  bool Initialized() const { return Flag(kFlagInitialized); }

  // Keys the cipher with |key_size| bytes of |key| (cut to MaxKeySize,
  // negative taken as 0). With |iv| the initial vector is its first
  // BlockSize bytes; without, it is EncryptBlock(FF..FF) under the new key.
  // The feedback register starts at the initial vector.
  void Init(const void* key, int key_size, const void* iv = nullptr);

  // Keys the cipher with the SHA-0 digest of |password| (its bytes, no
  // terminator): Init(digest, min(20, MaxKeySize), iv), then the digest is
  // encrypted in place so the plain digest does not stay in memory.
  void InitKey(std::string_view password, const void* iv = nullptr);

  // Encrypt or decrypt |size| bytes by Mode(); |source| and |dest| may be
  // the same area. The length is kept. Throws EEncryptException code 3
  // when the cipher is not initialised. The feedback register runs on
  // across calls until ResetFeedback.
  void EncryptBuffer(const void* source, void* dest, int64_t size);
  void DecryptBuffer(const void* source, void* dest, int64_t size);

  // Feedback register := initial vector.
  void ResetFeedback();

  // Clears both flags; initial vector and feedback register := FF bytes;
  // work buffer and key schedule := zeros.
  void Wipe();

  // One block in place, under the current key.
  virtual void EncryptBlock(uint8_t* block) = 0;
  virtual void DecryptBlock(uint8_t* block) = 0;

  const uint8_t* InitialVector() const { return iv_.get(); }
  const uint8_t* Feedback() const { return feedback_.get(); }

 protected:
  // |block_size|, |max_key_size| and |key_schedule_size| are the cipher's
  // context; the areas are allocated and wiped here.
  TEncrypt(int block_size, int max_key_size, int key_schedule_size);

  // Builds the key schedule from |key_size| bytes (already cut to
  // MaxKeySize) into KeySchedule(), which Wipe has zeroed.
  virtual void ScheduleKey(const uint8_t* key, int key_size) = 0;

  // The key-schedule area, KeyScheduleSize() bytes, aligned for 32-bit words.
  uint8_t* KeySchedule() { return reinterpret_cast<uint8_t*>(key_schedule_.get()); }
  uint32_t* KeyWords() { return key_schedule_.get(); }

 private:
  void CheckInitialized() const;
  void Process(const uint8_t* in, uint8_t* out, int64_t size, bool encrypt);
  void EncryptFullBlock(const uint8_t* in, uint8_t* out);
  void DecryptFullBlock(const uint8_t* in, uint8_t* out);

  uint8_t mode_ = cmFeedbackXor;
  int block_size_;
  int max_key_size_;
  int key_schedule_size_;
  std::unique_ptr<uint8_t[]> work_;
  std::unique_ptr<uint8_t[]> iv_;
  std::unique_ptr<uint8_t[]> feedback_;
  std::unique_ptr<uint32_t[]> key_schedule_;
  uint32_t flags_ = 0;
};

// Overwrites |size| bytes at |p| with zeros in a way the compiler keeps.
void SecureWipe(void* p, size_t size);

}  // namespace tinydb
