// The cipher framework over every cipher: password key set-up, initial
// vector, the five modes with their partial-block rules, the
// not-initialised error and wiping.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "processing/Enc_Blowfish.h"
#include "processing/Enc_Gost.h"
#include "processing/Enc_Twofish.h"
#include "processing/HashBase.h"
#include "processing/Hash_SHA.h"
#include "support/Hex.h"

namespace tinydb {
namespace {

using test::ToHex;

using Bytes = std::vector<uint8_t>;


Bytes Sequence(size_t n) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i);
  return b;
}

// Known answers for the password "fizzo": the initial vector, the 37 bytes
// 00..24 encrypted in each mode from the initial vector, and 13 bytes in
// mode 0 (one full block and a tail for 8-byte blocks).
struct CipherCase {
  const char* name;
  std::function<std::unique_ptr<TEncrypt>()> make;
  int block_size;
  int max_key_size;
  const char* iv;
  const char* modes[5];
  const char* mode0_13_bytes;
};

const CipherCase kCiphers[] = {
    {"TEnc_Gost", [] { return std::make_unique<TEnc_Gost>(); }, 8, 32, "26F31EEC5276CE18",
     {"7E8852DF96F979B5B021EAE27A4608982FA203D5F529A6A78F8077B07A8BD1526166A32D67",
      "7E8852DF96F979B5FBC74AB3977CEAAB2BD4AD36E13455E3AAB3E9BB43BC2D80A16F230322",
      "AAA8A2B8E5301F2AF358CB7F6DCAB732386DB4529C80863C6CBD91BDAA2FE2483C51A9164C",
      "AAA829F4BD402D07A8D82413592085D9437DD661D4B10696C9D930B2BA6C8E24059D4C0128",
      "83CB5FD53369EC05E4EAE1B2184E53A71E7705AE1D124FE768198B00655CF36E2021222324"},
     "7E8852DF96F979B5CACD4B6A9F"},
    {"TEnc_Blowfish", [] { return std::make_unique<TEnc_Blowfish>(); }, 8, 56, "66BBC95DCCA872C3",
     {"B0E80732950F4EE1840AA9AFB196BA9C7BE7882D0DEEDE8BF087E4D9487438908DBB2B9212",
      "B0E80732950F4EE12E891FB59265974CB0524E8D56BE8F081B42F5FD0C3B4B97DD308B13BE",
      "B95EA82D10870DC2FB828B7AA30A44DA54BB41CADC569B4677D6DFE0D4E882CCD3A2CE7FD8",
      "B95E8F90541730360BBAF4C122338AB1050C19821DE6F1D78E4B03D5C95BFCE377912A03AE",
      "7B8F84C48B53B13CDD37A111A50E98FD36FADEC95393B93B663B3BD9D3BE711B2021222324"},
     "B0E80732950F4EE18865C530D4"},
    {"TEnc_Twofish", [] { return std::make_unique<TEnc_Twofish>(); }, 16, 32,
     "D4D876D47E33A084449B8AD518B43C62",
     {"D2EDEA6C0C859B2BE23F3F29376AE4692416A4636C45E1CBAE1FA0C8ACD7337897DF41AE09",
      "D2EDEA6C0C859B2BE23F3F29376AE469BAA99E459EBC0FE7855D640C767ABD870C3A0912F2",
      "004E8B42BDE99C9BF57B013D5B05F6D62ED00A0651F3D1C4CEB18FAA41FE34DCD2BF0C1743",
      "004E61F8A6958503F4420A189954B0D317C22510BEF8361B4E0F6CFAAC9B77EE38854EFC6D",
      "13C9087D331D0AF85C116F5F50474ADEF9C72FDC93A9F4A5DB27CCE4C3968D8E2021222324"},
     "00A5EE012D5CECF26EA5566125"},
};

class CipherFrameworkTest : public ::testing::TestWithParam<CipherCase> {
 protected:
  std::unique_ptr<TEncrypt> Keyed(const std::string& password = "fizzo") {
    auto cipher = GetParam().make();
    cipher->InitKey(password);
    return cipher;
  }

  Bytes Encrypt(TEncrypt& cipher, const Bytes& plain) {
    Bytes out(plain.size());
    cipher.EncryptBuffer(plain.data(), out.data(), static_cast<int64_t>(plain.size()));
    return out;
  }

  Bytes Decrypt(TEncrypt& cipher, const Bytes& data) {
    Bytes out(data.size());
    cipher.DecryptBuffer(data.data(), out.data(), static_cast<int64_t>(data.size()));
    return out;
  }

  // The cipher's block transform applied to a copy of |block|.
  Bytes EncryptedBlock(TEncrypt& cipher, const uint8_t* block) {
    Bytes b(block, block + cipher.BlockSize());
    cipher.EncryptBlock(b.data());
    return b;
  }
};

TEST_P(CipherFrameworkTest, ContextAndClassName) {
  auto cipher = GetParam().make();
  EXPECT_STREQ(cipher->ClassName(), GetParam().name);
  EXPECT_EQ(cipher->BlockSize(), GetParam().block_size);
  EXPECT_EQ(cipher->MaxKeySize(), GetParam().max_key_size);
  EXPECT_FALSE(cipher->Initialized());
  EXPECT_EQ(ToHex(cipher->InitialVector(), cipher->BlockSize()),
            std::string(2 * cipher->BlockSize(), 'F'));
}

TEST_P(CipherFrameworkTest, PasswordGivesKnownInitialVectorAndModes) {
  auto cipher = Keyed();
  EXPECT_TRUE(cipher->Initialized());
  EXPECT_TRUE(cipher->Flag(TEncrypt::kFlagKeySet));
  EXPECT_EQ(ToHex(cipher->InitialVector(), cipher->BlockSize()), GetParam().iv);
  EXPECT_EQ(ToHex(cipher->Feedback(), cipher->BlockSize()), GetParam().iv);

  const Bytes value = Sequence(37);
  for (int mode = 0; mode <= 4; ++mode) {
    cipher->SetMode(static_cast<uint8_t>(mode));
    const Bytes encrypted = Encrypt(*cipher, value);
    EXPECT_EQ(ToHex(encrypted), GetParam().modes[mode]) << "mode " << mode;
    cipher->ResetFeedback();
    EXPECT_EQ(Decrypt(*cipher, encrypted), value) << "mode " << mode;
    cipher->ResetFeedback();
  }

  cipher->SetMode(cmFeedbackXor);
  EXPECT_EQ(ToHex(Encrypt(*cipher, Sequence(13))), GetParam().mode0_13_bytes);
}

TEST_P(CipherFrameworkTest, EveryModeRoundTripsEveryLength) {
  auto cipher = Keyed();
  for (int mode = 0; mode <= 4; ++mode) {
    cipher->SetMode(static_cast<uint8_t>(mode));
    for (size_t length = 0; length <= 40; ++length) {
      Bytes plain(length);
      for (size_t i = 0; i < length; ++i) plain[i] = static_cast<uint8_t>(0xA5 ^ (i * 29));
      cipher->ResetFeedback();
      const Bytes encrypted = Encrypt(*cipher, plain);
      ASSERT_EQ(encrypted.size(), length);

      // In place, from the same feedback state, gives the same bytes.
      cipher->ResetFeedback();
      Bytes in_place = plain;
      cipher->EncryptBuffer(in_place.data(), in_place.data(), static_cast<int64_t>(length));
      EXPECT_EQ(in_place, encrypted) << "mode " << mode << " length " << length;

      cipher->ResetFeedback();
      cipher->DecryptBuffer(in_place.data(), in_place.data(), static_cast<int64_t>(length));
      EXPECT_EQ(in_place, plain) << "mode " << mode << " length " << length;
    }
  }
}

TEST_P(CipherFrameworkTest, FeedbackRunsOnAcrossCalls) {
  auto cipher = Keyed();
  const int b = cipher->BlockSize();
  const Bytes value = Sequence(37);
  for (int mode = 0; mode <= 4; ++mode) {
    cipher->SetMode(static_cast<uint8_t>(mode));
    cipher->ResetFeedback();
    const Bytes whole = Encrypt(*cipher, value);
    // Split on a block boundary: the second call continues the chain.
    cipher->ResetFeedback();
    Bytes first = Encrypt(*cipher, Bytes(value.begin(), value.begin() + b));
    Bytes rest = Encrypt(*cipher, Bytes(value.begin() + b, value.end()));
    first.insert(first.end(), rest.begin(), rest.end());
    EXPECT_EQ(first, whole) << "mode " << mode;
  }
}

TEST_P(CipherFrameworkTest, PartialBlockRules) {
  auto cipher = Keyed();
  const int b = cipher->BlockSize();
  const Bytes iv(cipher->InitialVector(), cipher->InitialVector() + b);
  const Bytes key_stream = EncryptedBlock(*cipher, iv.data());  // K = E(IV)
  const Bytes tail = Sequence(b - 1);

  // Mode 0: the tail is XORed with E(F) and F := F xor E(F).
  cipher->SetMode(cmFeedbackXor);
  cipher->ResetFeedback();
  Bytes out = Encrypt(*cipher, tail);
  for (int i = 0; i < b - 1; ++i) EXPECT_EQ(out[i], tail[i] ^ key_stream[i]);
  for (int i = 0; i < b; ++i) EXPECT_EQ(cipher->Feedback()[i], iv[i] ^ key_stream[i]);

  // Mode 1: the same tail bytes, but F stays.
  cipher->SetMode(cmCBC);
  cipher->ResetFeedback();
  EXPECT_EQ(Encrypt(*cipher, tail), out);
  EXPECT_EQ(Bytes(cipher->Feedback(), cipher->Feedback() + b), iv);

  // Full block: mode 0 keeps F xor C, mode 1 keeps C.
  const Bytes block = Sequence(b);
  cipher->SetMode(cmFeedbackXor);
  cipher->ResetFeedback();
  Bytes c = Encrypt(*cipher, block);
  for (int i = 0; i < b; ++i) EXPECT_EQ(cipher->Feedback()[i], iv[i] ^ c[i]);
  cipher->SetMode(cmCBC);
  cipher->ResetFeedback();
  c = Encrypt(*cipher, block);
  EXPECT_EQ(Bytes(cipher->Feedback(), cipher->Feedback() + b), c);

  // Modes 2 and 3: one byte shifts F left and appends the cipher byte
  // (CFB) or the key-stream byte (OFB).
  const Bytes one = {0x5A};
  cipher->SetMode(cmCFB8);
  cipher->ResetFeedback();
  c = Encrypt(*cipher, one);
  EXPECT_EQ(c[0], 0x5A ^ key_stream[0]);
  for (int i = 0; i < b - 1; ++i) EXPECT_EQ(cipher->Feedback()[i], iv[i + 1]);
  EXPECT_EQ(cipher->Feedback()[b - 1], c[0]);
  cipher->SetMode(cmOFB8);
  cipher->ResetFeedback();
  c = Encrypt(*cipher, one);
  EXPECT_EQ(c[0], 0x5A ^ key_stream[0]);
  EXPECT_EQ(cipher->Feedback()[b - 1], key_stream[0]);

  // Mode 4: a 20-byte value keeps its last 20 mod B bytes in plain text,
  // and the feedback register is not used.
  cipher->SetMode(cmECB);
  cipher->ResetFeedback();
  const Bytes value = Sequence(20);
  out = Encrypt(*cipher, value);
  const int plain_tail = 20 % b;
  EXPECT_EQ(Bytes(out.end() - plain_tail, out.end()), Bytes(value.end() - plain_tail, value.end()));
  EXPECT_NE(Bytes(out.begin(), out.begin() + b), Bytes(value.begin(), value.begin() + b));
  EXPECT_EQ(Bytes(cipher->Feedback(), cipher->Feedback() + b), iv);
}

TEST_P(CipherFrameworkTest, UseBeforeInitIsRefused) {
  auto cipher = GetParam().make();
  const std::string message =
      std::string(GetParam().name) + " is not initialized call Init() or InitKey() before.";
  Bytes data = Sequence(16);
  for (bool decrypt : {false, true}) {
    try {
      if (decrypt) cipher->DecryptBuffer(data.data(), data.data(), 16);
      else cipher->EncryptBuffer(data.data(), data.data(), 16);
      ADD_FAILURE() << "no exception";
    } catch (const EEncryptException& e) {
      EXPECT_EQ(e.Code(), 3);
      EXPECT_EQ(std::string(e.what()), message);
    }
  }
  EXPECT_EQ(data, Sequence(16));
}

TEST_P(CipherFrameworkTest, EmptyPasswordStillKeysTheCipher) {
  auto cipher = Keyed("");
  EXPECT_TRUE(cipher->Initialized());
  const int b = cipher->BlockSize();
  const Bytes iv(cipher->InitialVector(), cipher->InitialVector() + b);
  EXPECT_NE(ToHex(iv), GetParam().iv);
  EXPECT_NE(ToHex(iv), std::string(2 * b, 'F'));

  // The key is the 20-byte SHA-0 digest of no data, and the initial vector
  // is the all-FF block encrypted under it.
  const Bytes digest = HashBuffer<THash_SHA>("", 0);
  auto direct = GetParam().make();
  direct->Init(digest.data(), static_cast<int>(digest.size()));
  EXPECT_EQ(Bytes(direct->InitialVector(), direct->InitialVector() + b), iv);
  EXPECT_FALSE(direct->Flag(TEncrypt::kFlagKeySet));  // only InitKey sets it
  const Bytes ff(b, 0xFF);
  EXPECT_EQ(EncryptedBlock(*direct, ff.data()), iv);

  const Bytes value = Sequence(21);
  const Bytes encrypted = Encrypt(*cipher, value);
  EXPECT_NE(encrypted, value);
  cipher->ResetFeedback();
  EXPECT_EQ(Decrypt(*cipher, encrypted), value);
}

TEST_P(CipherFrameworkTest, InitKeySizeAndInitialVector) {
  auto cipher = GetParam().make();
  const int b = cipher->BlockSize();
  const Bytes key = Sequence(100);
  const Bytes iv = Sequence(b);

  // A given IV is copied and starts the feedback register.
  cipher->Init(key.data(), 16, iv.data());
  EXPECT_TRUE(cipher->Initialized());
  EXPECT_EQ(Bytes(cipher->InitialVector(), cipher->InitialVector() + b), iv);
  EXPECT_EQ(Bytes(cipher->Feedback(), cipher->Feedback() + b), iv);

  // A key longer than the maximum is cut to it.
  cipher->Init(key.data(), 100);
  const Bytes long_iv(cipher->InitialVector(), cipher->InitialVector() + b);
  cipher->Init(key.data(), cipher->MaxKeySize());
  EXPECT_EQ(Bytes(cipher->InitialVector(), cipher->InitialVector() + b), long_iv);

  // A negative size is an empty key.
  cipher->Init(key.data(), -5);
  const Bytes negative_iv(cipher->InitialVector(), cipher->InitialVector() + b);
  cipher->Init(nullptr, 0);
  EXPECT_EQ(Bytes(cipher->InitialVector(), cipher->InitialVector() + b), negative_iv);
  EXPECT_TRUE(cipher->Initialized());
}

TEST_P(CipherFrameworkTest, WipeClearsKeyAndState) {
  auto cipher = Keyed();
  const int b = cipher->BlockSize();
  cipher->SetMode(cmCBC);
  Encrypt(*cipher, Sequence(24));
  cipher->Wipe();
  EXPECT_FALSE(cipher->Initialized());
  EXPECT_FALSE(cipher->Flag(TEncrypt::kFlagKeySet));
  EXPECT_EQ(ToHex(cipher->InitialVector(), b), std::string(2 * b, 'F'));
  EXPECT_EQ(ToHex(cipher->Feedback(), b), std::string(2 * b, 'F'));
  Bytes data = Sequence(8);
  EXPECT_THROW(cipher->EncryptBuffer(data.data(), data.data(), 8), EEncryptException);

  // Keying again after a wipe gives the same cipher as a fresh one.
  cipher->InitKey("fizzo");
  EXPECT_EQ(ToHex(cipher->InitialVector(), b), GetParam().iv);
}

TEST_P(CipherFrameworkTest, UnknownModeIsRefused) {
  auto cipher = Keyed();
  cipher->SetMode(5);
  Bytes data = Sequence(16);
  const Bytes feedback(cipher->Feedback(), cipher->Feedback() + cipher->BlockSize());
  try {
    cipher->EncryptBuffer(data.data(), data.data(), 16);
    ADD_FAILURE() << "no exception";
  } catch (const EEncryptException& e) {
    EXPECT_EQ(e.Code(), 4);
  }
  EXPECT_EQ(data, Sequence(16));
  EXPECT_EQ(Bytes(cipher->Feedback(), cipher->Feedback() + cipher->BlockSize()), feedback);
}

INSTANTIATE_TEST_SUITE_P(Ciphers, CipherFrameworkTest, ::testing::ValuesIn(kCiphers),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tinydb
