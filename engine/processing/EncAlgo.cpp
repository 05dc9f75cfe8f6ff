#include "processing/EncAlgo.h"

#include "processing/Enc_Blowfish.h"
#include "processing/Enc_Gost.h"
#include "processing/Enc_Twofish.h"

namespace tinydb {

TEncAlgo_Base::TEncAlgo_Base(void* owner, std::unique_ptr<TEncrypt> cipher)
    : TEncryptAlgo(owner), cipher_(std::move(cipher)) {}

TEncAlgo_Base::~TEncAlgo_Base() = default;

void TEncAlgo_Base::SetMode(int mode) { cipher_->SetMode(static_cast<uint8_t>(mode)); }

int TEncAlgo_Base::GetMode() const { return cipher_->Mode(); }

void TEncAlgo_Base::InitKey(std::string_view password) { cipher_->InitKey(password, nullptr); }

void TEncAlgo_Base::ResetFeedback() { cipher_->ResetFeedback(); }

void TEncAlgo_Base::EncryptBuffer(const void* source, void* dest, int64_t size) {
  cipher_->EncryptBuffer(source, dest, size);
}

void TEncAlgo_Base::DecryptBuffer(const void* source, void* dest, int64_t size) {
  cipher_->DecryptBuffer(source, dest, size);
}

TEncAlgo_Blowfish::TEncAlgo_Blowfish(void* owner)
    : TEncAlgo_Base(owner, std::make_unique<TEnc_Blowfish>()) {}

TEncAlgo_Twofish::TEncAlgo_Twofish(void* owner)
    : TEncAlgo_Base(owner, std::make_unique<TEnc_Twofish>()) {}

TEncAlgo_Gost::TEncAlgo_Gost(void* owner)
    : TEncAlgo_Base(owner, std::make_unique<TEnc_Gost>()) {}

}  // namespace tinydb
