// Blowfish against Eric Young's published ECB and variable-key-length tables,
// and through the cipher framework's password key set-up.
#include "processing/Enc_Blowfish.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tinydb {
namespace {

using test::FromHex;
using test::ToHex;

struct EcbCase {
  const char* key;
  const char* plain;
  const char* cipher;
};

// Encrypts |plain| under |key|, checks the result, and decrypts it back.
void ExpectEcbRoundTrip(const std::vector<uint8_t>& key, const std::string& plain,
                        const std::string& cipher) {
  TEnc_Blowfish bf;
  bf.Init(key.data(), static_cast<int>(key.size()));
  std::vector<uint8_t> block = FromHex(plain);
  bf.EncryptBlock(block.data());
  EXPECT_EQ(cipher, ToHex(block.data(), block.size()));
  bf.DecryptBlock(block.data());
  EXPECT_EQ(plain, ToHex(block.data(), block.size()));
}

TEST(BlowfishTest, PublishedEcbVectorsEncryptAndDecrypt) {
  const EcbCase kCases[] = {
      {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
      {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
      {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
      {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
      {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
      {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
      {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
      {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
      {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
      {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
      {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
      {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
      {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
      {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
      {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
      {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
      {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
      {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
      {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
      {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
      {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
      {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
      {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
      {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
      {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
      {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
      {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
      {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
      {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
      {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
      {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
  };
  for (const EcbCase& c : kCases) {
    SCOPED_TRACE(std::string("key ") + c.key + " plain " + c.plain);
    ExpectEcbRoundTrip(FromHex(c.key), c.plain, c.cipher);
  }
}

// Keys of 1 to 24 bytes cycled over the P-array: each is a prefix of one
// long key, all encrypting the same block.
TEST(BlowfishTest, VariableKeyLengthVectors) {
  const std::vector<uint8_t> kLongKey = FromHex("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677");
  const char* kCiphers[] = {
      "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05",
      "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
      "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
      "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C",
      "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
      "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
  };
  for (size_t length = 1; length <= kLongKey.size(); ++length) {
    SCOPED_TRACE("key length " + std::to_string(length));
    std::vector<uint8_t> key(kLongKey.begin(), kLongKey.begin() + length);
    ExpectEcbRoundTrip(key, "FEDCBA9876543210", kCiphers[length - 1]);
  }
}

// With no key bytes nothing is mixed into the P-array, which is exactly what
// an all-zero key does; the empty key therefore matches the zero-key vector.
TEST(BlowfishTest, EmptyKeyActsAsAllZeroKey) {
  ExpectEcbRoundTrip({}, "0000000000000000", "4EF997456198DD78");
}

TEST(BlowfishTest, LongestKeyRoundTripsEveryByteOfABlock) {
  std::vector<uint8_t> key(TEnc_Blowfish::kMaxKeySize);
  for (size_t i = 0; i < key.size(); ++i) key[i] = static_cast<uint8_t>(i * 37 + 1);
  TEnc_Blowfish bf;
  bf.Init(key.data(), static_cast<int>(key.size()));
  for (int b = 0; b < 256; b += 15) {
    uint8_t block[8];
    for (int i = 0; i < 8; ++i) block[i] = static_cast<uint8_t>(b + i);
    const std::string plain = ToHex(block, 8);
    bf.EncryptBlock(block);
    EXPECT_NE(plain, ToHex(block, 8));
    bf.DecryptBlock(block);
    EXPECT_EQ(plain, ToHex(block, 8));
  }
}

TEST(BlowfishTest, PasswordKeyGivesKnownInitialVector) {
  TEnc_Blowfish bf;
  EXPECT_STREQ("TEnc_Blowfish", bf.ClassName());
  EXPECT_EQ(8, bf.BlockSize());
  EXPECT_EQ(56, bf.MaxKeySize());
  EXPECT_EQ(4168, bf.KeyScheduleSize());
  bf.InitKey("fizzo");
  EXPECT_EQ("66BBC95DCCA872C3", ToHex(bf.InitialVector(), 8));
}

}  // namespace
}  // namespace tinydb
