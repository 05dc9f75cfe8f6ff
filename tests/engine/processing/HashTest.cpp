// Known answers for MD4, RIPEMD-160, SHA-0 and CRC-32, incremental hashing
// across block boundaries, and the digest text forms.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "processing/Hash_CheckSum.h"
#include "processing/Hash_MD.h"
#include "processing/Hash_RipeMD.h"
#include "processing/Hash_SHA.h"
#include "support/Hex.h"

namespace tinydb {
namespace {

using test::ToHex;

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  return std::vector<uint8_t>(values.begin(), values.end());
}

const std::string kAlnum = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
const std::string kDigits80 =
    "12345678901234567890123456789012345678901234567890123456789012345678901234567890";
const std::string kSha448 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";

struct KnownAnswer {
  std::string message;
  const char* hex;
};

TEST(HashTest, Md4MatchesTheRfc1320Suite) {
  const KnownAnswer cases[] = {
      {"", "31D6CFE0D16AE931B73C59D7E0C089C0"},
      {"a", "BDE52CB31DE33E46245E05FBDBD6FB24"},
      {"abc", "A448017AAF21D8525FC10AE87AA6729D"},
      {"message digest", "D9130A8164549FE818874806E1C7014B"},
      {"abcdefghijklmnopqrstuvwxyz", "D79E1C308AA5BBCDEEA8ED63DF412DA9"},
      {kAlnum, "043F8582F241DB351CE627E153E7F0E4"},
      {kDigits80, "E33B4DDC9C38F2199C3E7B164FCC0536"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HashText<THash_MD4>(c.message, kDigestTextHex), c.hex) << '"' << c.message << '"';
}

TEST(HashTest, RipeMd160MatchesPublishedVectors) {
  const KnownAnswer cases[] = {
      {"", "9C1185A5C5E9FC54612808977EE8F548B2258D31"},
      {"a", "0BDC9D2D256B3EE9DAAE347BE6F4DC835A467FFE"},
      {"abc", "8EB208F7E05D987A9B044A8E98C6B087F15A0BFC"},
      {"message digest", "5D0689EF49D2FAE572B881B123A85FFA21595F36"},
      {"abcdefghijklmnopqrstuvwxyz", "F71C27109C692C1B56BBDCEB5B9D2865B3708DBC"},
      {kSha448, "12A053384A9C0C88E405A06C27DCF49ADA62EB2B"},
      {kAlnum, "B0E20B6E3116640286ED3A87A5713079B21F5189"},
      {kDigits80, "9B752E45573D4B39F4DBD3323CAB82BF63326BFB"},
      // Lengths around the 56-byte padding limit and the 64-byte block.
      {std::string(55, 'a'), "0D8A8C9063A48576A7C97E9F95253A6E53FF6765"},
      {std::string(56, 'a'), "E72334B46C83CC70BEF979E15453706C95B888BE"},
      {std::string(63, 'a'), "E640041293FE663B9BF3F8C21FFECAC03819E6B2"},
      {std::string(64, 'a'), "9DFB7D374AD924F3F88DE96291C33E9ABED53E32"},
      {std::string(65, 'a'), "99724BB11811E7166AF38F671B6A082D8AB4960B"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HashText<THash_RipeMD160>(c.message, kDigestTextHex), c.hex)
        << c.message.size() << " bytes";
}

TEST(HashTest, ShaIsSha0) {
  const KnownAnswer cases[] = {
      {"", "F96CEA198AD1DD5617AC084A3D92C6107708C0EF"},
      {"abc", "0164B8A914CD2A5E74C4F7FF082C4D97F1EDF880"},
      {kSha448, "D2516EE1ACFA5BAF33DFC1C471E438449EF134C8"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HashText<THash_SHA>(c.message, kDigestTextHex), c.hex) << '"' << c.message << '"';
}

// With the schedule rotation switched on the same code is SHA-1, whose
// published digests check the big-endian padding at the block boundaries.
class ShaWithRotation : public THash_SHA {
 public:
  ShaWithRotation() { rotate_schedule_ = 1; }
};

TEST(HashTest, ShaPaddingAroundTheBlockBoundary) {
  EXPECT_EQ(HashText<ShaWithRotation>("abc", kDigestTextHex),
            "A9993E364706816ABA3E25717850C26C9CD0D89D");
  const KnownAnswer cases[] = {
      {std::string(55, 'a'), "C1C8BBDC22796E28C0E15163D20899B65621D65A"},
      {std::string(56, 'a'), "C2DB330F6083854C99D4B5BFB6E8F29F201BE699"},
      {std::string(63, 'a'), "03F09F5B158A7A8CDAD920BDDC29B81C18A551F5"},
      {std::string(64, 'a'), "0098BA824B5C16427BD7A1122A5A442A25EC644D"},
      {std::string(65, 'a'), "11655326C708D70319BE2610E8A57D9A5B959D3B"},
      {std::string(119, 'a'), "EE971065AAA017E0632A8CA6C77BB3BF8B1DFC56"},
      {std::string(120, 'a'), "F34C1488385346A55709BA056DDD08280DD4C6D6"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HashText<ShaWithRotation>(c.message, kDigestTextHex), c.hex)
        << c.message.size() << " bytes";
}

TEST(HashTest, IncrementalUpdateEqualsOneShot) {
  std::vector<uint8_t> data(200);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);

  std::vector<std::unique_ptr<THash>> hashes;
  hashes.push_back(std::make_unique<THash_MD4>());
  hashes.push_back(std::make_unique<THash_RipeMD160>());
  hashes.push_back(std::make_unique<THash_SHA>());
  hashes.push_back(std::make_unique<THash_CRC32>());
  for (auto& hash : hashes) {
    for (size_t length : {0, 1, 55, 56, 63, 64, 65, 127, 128, 129, 200}) {
      hash->Init();
      hash->Update(data.data(), length);
      hash->Final();
      const std::string whole = hash->DigestText(kDigestTextHex);
      for (size_t piece : {1, 3, 7, 63, 64, 65}) {
        hash->Init();
        for (size_t at = 0; at < length; at += piece)
          hash->Update(data.data() + at, std::min(piece, length - at));
        hash->Final();
        EXPECT_EQ(hash->DigestText(kDigestTextHex), whole)
            << hash->ClassName() << " length " << length << " in pieces of " << piece;
      }
    }
  }
}

TEST(HashTest, Crc32KnownAnswers) {
  EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
  EXPECT_EQ(Crc32("", 0), 0u);
  EXPECT_EQ(Crc32("a", 1), 0xE8B7BE43u);
  EXPECT_EQ(Crc32("The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
  // Continuing from the checksum of the first part.
  EXPECT_EQ(Crc32("6789", 4, Crc32("12345", 5)), 0xCBF43926u);

  THash_CRC32 crc;
  crc.Init();
  crc.Update("123456789", 9);
  crc.Final();
  EXPECT_EQ(crc.Value(), 0xCBF43926u);
  // The digest is the register, least significant byte first.
  EXPECT_EQ(crc.DigestText(kDigestTextHex), "2639F4CB");
  EXPECT_EQ(ToHex(HashBuffer<THash_CRC32>("123456789", 9)), "2639F4CB");
}

uint32_t BitwiseCrc32(const std::vector<uint8_t>& data) {
  uint32_t reg = 0xFFFFFFFF;
  for (uint8_t byte : data) {
    reg ^= byte;
    for (int bit = 0; bit < 8; ++bit) reg = (reg >> 1) ^ (0xEDB88320u & (0u - (reg & 1)));
  }
  return ~reg;
}

TEST(HashTest, Crc32CoversEveryByteOfLongInputs) {
  uint32_t seed = 12345;
  for (size_t length : {65535, 65536, 131072, 131073}) {
    std::vector<uint8_t> data(length);
    for (auto& b : data) {
      seed = seed * 1103515245 + 12345;
      b = static_cast<uint8_t>(seed >> 16);
    }
    const uint32_t expected = BitwiseCrc32(data);
    EXPECT_EQ(Crc32(data.data(), data.size()), expected) << length;

    // The last byte counts: changing it changes the checksum.
    data.back() ^= 1;
    EXPECT_NE(Crc32(data.data(), data.size()), expected) << length;
  }
}

TEST(HashTest, Xor32FoldsBytesIntoFourPositions) {
  THash_XOR32 x;
  x.Init();
  x.Update("\x01\x02\x04\x08\x10", 5);
  x.Final();
  EXPECT_EQ(x.DigestSize(), 4);
  EXPECT_EQ(x.DigestText(kDigestTextHex), "11020408");
}

TEST(HashTest, EngineBase64Form) {
  struct Case {
    std::vector<uint8_t> bytes;
    const char* text;
  } cases[] = {
      {Bytes({0x61, 0x62, 0x63}), "YWJj"},
      {Bytes({0x41, 0x00, 0x00}), "QQ"},     // trailing zero units are dropped
      {Bytes({0x00}), "=="},                 // an all-zero group emits nothing
      {Bytes({0x00, 0x41, 0x00}), "AEE"},    // leading zero units are kept
      {Bytes({0x00, 0x00, 0x00}), ""},
      {Bytes({}), ""},
      {Bytes({0xFF, 0xFF}), "//8="},
      {Bytes({0x61, 0x62, 0x63, 0x64}), "YWJjZ=="},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EngineBase64(c.bytes.data(), c.bytes.size()), c.text) << ToHex(c.bytes);
}

TEST(HashTest, DigestTextForms) {
  THash_SHA sha;
  sha.Init();
  sha.Update("abc", 3);
  sha.Final();
  EXPECT_EQ(sha.DigestText(), "AWS4qRTNKl50xPf/CCxNl/Ht+I=");
  EXPECT_EQ(sha.DigestText(0), "AWS4qRTNKl50xPf/CCxNl/Ht+I=");
  EXPECT_EQ(sha.DigestText(kDigestTextBase64), "AWS4qRTNKl50xPf/CCxNl/Ht+I=");
  EXPECT_EQ(sha.DigestText(kDigestTextHex), "0164B8A914CD2A5E74C4F7FF082C4D97F1EDF880");
  // Any other format gives the raw digest bytes.
  const std::string raw = sha.DigestText(2);
  ASSERT_EQ(raw.size(), 20u);
  EXPECT_EQ(raw, std::string(reinterpret_cast<const char*>(sha.Digest()), 20));
  EXPECT_EQ(static_cast<uint8_t>(raw[0]), 0x01);
  EXPECT_EQ(static_cast<uint8_t>(raw[19]), 0x80);
}

TEST(HashTest, PasswordCheckTexts) {
  EXPECT_EQ(HashText<THash_SHA>("fizzo"), "pwzD0WZmDw/zEIRtHoGViSDyFcI=");
  EXPECT_EQ(HashText<THash_SHA>(""), "+WzqGYrR3VYXrAhKPZLGEHcIwO8=");
  EXPECT_EQ(HashText<THash_SHA>("Secret Password 123"), "PfRRqpjODwSaAuuUUiTf1xNmIUU=");
}

TEST(HashTest, InitStartsOver) {
  THash_SHA sha;
  sha.Init();
  sha.Update("something else", 14);
  sha.Init();
  sha.Update("abc", 3);
  sha.Final();
  EXPECT_EQ(sha.DigestText(kDigestTextHex), "0164B8A914CD2A5E74C4F7FF082C4D97F1EDF880");
}

}  // namespace
}  // namespace tinydb
