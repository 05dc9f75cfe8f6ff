// Encryption modules ("Blowfish", "Twofish", "Gost"): each wraps one block
// cipher and forwards mode, key and buffer operations to it. The stream
// chunking lives in TEncryptAlgo.
#pragma once

#include <memory>
#include <string_view>

#include "processing/DataProcess.h"
#include "processing/EncryptBase.h"

namespace tinydb {

// A module that owns one cipher instance for its whole life.
class TEncAlgo_Base : public TEncryptAlgo {
 public:
  ~TEncAlgo_Base() override;

  // Mode number of the cipher (0..4; see TCipherMode).
  void SetMode(int mode) override;
  int GetMode() const override;
  // Keys the cipher from |password| with the derived initial vector.
  void InitKey(std::string_view password) override;
  // Feedback register := initial vector.
  void ResetFeedback() override;
  // The cipher's buffer operations; throw EEncryptException (code 3)
  // before InitKey.
  void EncryptBuffer(const void* source, void* dest, int64_t size) override;
  void DecryptBuffer(const void* source, void* dest, int64_t size) override;

 protected:
  // Takes ownership of |cipher| (never null).
  TEncAlgo_Base(void* owner, std::unique_ptr<TEncrypt> cipher);

 private:
  std::unique_ptr<TEncrypt> cipher_;
};

// Blowfish: 8-byte blocks, keys up to 56 bytes.
class TEncAlgo_Blowfish : public TEncAlgo_Base {
 public:
  explicit TEncAlgo_Blowfish(void* owner);
};

// Twofish: 16-byte blocks, keys up to 32 bytes.
class TEncAlgo_Twofish : public TEncAlgo_Base {
 public:
  explicit TEncAlgo_Twofish(void* owner);
};

// GOST 28147-89: 8-byte blocks, keys up to 32 bytes.
class TEncAlgo_Gost : public TEncAlgo_Base {
 public:
  explicit TEncAlgo_Gost(void* owner);
};

}  // namespace tinydb
