// Twofish against the published known answers for 128-, 192- and 256-bit
// keys, the zero padding of odd key lengths, and the password key set-up.
#include "processing/Enc_Twofish.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tinydb {
namespace {

using test::FromHex;
using test::ToHex;

std::vector<uint8_t> Encrypt(const std::vector<uint8_t>& key, std::vector<uint8_t> block) {
  TEnc_Twofish tf;
  tf.Init(key.data(), static_cast<int>(key.size()));
  tf.EncryptBlock(block.data());
  return block;
}

std::vector<uint8_t> Decrypt(const std::vector<uint8_t>& key, std::vector<uint8_t> block) {
  TEnc_Twofish tf;
  tf.Init(key.data(), static_cast<int>(key.size()));
  tf.DecryptBlock(block.data());
  return block;
}

const std::vector<uint8_t> kZeroBlock(16, 0);

TEST(TwofishTest, PublishedVectorsForEachKeyLength) {
  struct Case {
    const char* key;
    const char* cipher;  // of the all-zero block
  };
  const Case kCases[] = {
      {"00000000000000000000000000000000", "9F589F5CF6122C32B6BFEC2F2AE8C35A"},
      {"0123456789ABCDEFFEDCBA98765432100011223344556677",
       "CFD1D2E5A9BE9CDF501F13B892BD2248"},
      {"0123456789ABCDEFFEDCBA987654321000112233445566778899AABBCCDDEEFF",
       "37527BE0052334B89F0CFCCAE87CFA20"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.key);
    const std::vector<uint8_t> key = FromHex(c.key);
    const std::vector<uint8_t> cipher = Encrypt(key, kZeroBlock);
    EXPECT_EQ(c.cipher, ToHex(cipher));
    EXPECT_EQ(kZeroBlock, Decrypt(key, cipher));
  }
}

// The iterated table test: each step's key is the previous plain text
// followed by the start of the previous key, and its plain text is the
// previous cipher text. Checks the first steps and the 49th.
TEST(TwofishTest, PublishedIteratedChains) {
  struct Chain {
    size_t key_size;
    std::vector<std::string> first;  // steps 1, 2, ...
    const char* step49;
  };
  const Chain kChains[] = {
      {16,
       {"9F589F5CF6122C32B6BFEC2F2AE8C35A", "D491DB16E7B1C39E86CB086B789F5419",
        "019F9809DE1711858FAAC3A3BA20FBC3"},
       "5D9D4EEFFA9151575524F115815A12E0"},
      {24,
       {"EFA71F788965BD4453F860178FC19101", "88B2B2706B105E36B446BB6D731A1E88",
        "39DA69D6BA4997D585B6DC073CA341B2"},
       "E75449212BEEF9F4A390BD860A640941"},
      {32,
       {"57FF739D4DC92C1BD7FC01700CC8216F", "D43BB7556EA32E46F2A282B7D45B4E0D"},
       "37FE26FF1CF66175F5DDF4C33B97A205"},
  };
  for (const Chain& chain : kChains) {
    SCOPED_TRACE("key size " + std::to_string(chain.key_size));
    std::vector<uint8_t> key(chain.key_size, 0);
    std::vector<uint8_t> plain = kZeroBlock;
    for (size_t step = 1; step <= 49; ++step) {
      const std::vector<uint8_t> cipher = Encrypt(key, plain);
      if (step <= chain.first.size()) {
        EXPECT_EQ(chain.first[step - 1], ToHex(cipher)) << "step " << step;
      }
      if (step == 49) {
        EXPECT_EQ(chain.step49, ToHex(cipher));
      }
      ASSERT_EQ(plain, Decrypt(key, cipher)) << "step " << step;
      std::vector<uint8_t> next_key = plain;
      next_key.insert(next_key.end(), key.begin(), key.begin() + (chain.key_size - 16));
      key = next_key;
      plain = cipher;
    }
  }
}

// Keys of other lengths behave as their zero-padded 128-, 192- or 256-bit key.
TEST(TwofishTest, OddKeyLengthsArePaddedWithZeros) {
  const std::vector<uint8_t> kLongKey =
      FromHex("0123456789ABCDEFFEDCBA987654321000112233445566778899AABBCCDDEEFF");
  const std::vector<uint8_t> kPlain = FromHex("00112233445566778899AABBCCDDEEFF");
  struct Case {
    size_t length;
    size_t padded;
  };
  const Case kCases[] = {{0, 16}, {1, 16}, {15, 16}, {17, 24}, {20, 24}, {23, 24}, {25, 32}, {31, 32}};
  for (const Case& c : kCases) {
    SCOPED_TRACE("key length " + std::to_string(c.length));
    std::vector<uint8_t> key(kLongKey.begin(), kLongKey.begin() + c.length);
    std::vector<uint8_t> padded = key;
    padded.resize(c.padded, 0);
    const std::vector<uint8_t> cipher = Encrypt(key, kPlain);
    EXPECT_EQ(ToHex(Encrypt(padded, kPlain)), ToHex(cipher));
    EXPECT_EQ(kPlain, Decrypt(key, cipher));
  }
}

TEST(TwofishTest, PasswordKeyGivesKnownInitialVector) {
  TEnc_Twofish tf;
  EXPECT_STREQ("TEnc_Twofish", tf.ClassName());
  EXPECT_EQ(16, tf.BlockSize());
  EXPECT_EQ(32, tf.MaxKeySize());
  EXPECT_EQ(4256, tf.KeyScheduleSize());
  tf.InitKey("fizzo");  // a 20-byte SHA-0 key, used as a 192-bit key
  EXPECT_EQ("D4D876D47E33A084449B8AD518B43C62",
            ToHex(std::vector<uint8_t>(tf.InitialVector(), tf.InitialVector() + 16)));
}

}  // namespace
}  // namespace tinydb
