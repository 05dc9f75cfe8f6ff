// The zlib module and its envelope: int32 n, then a zlib stream (n > 0) or
// the value itself (n < 0); an empty value has no envelope at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "processing/CompAlgo_Zlib.h"
#include "support/Hex.h"

namespace tinydb {
namespace {

using Bytes = std::vector<uint8_t>;
using test::FromHex;

Bytes Int32Le(int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  return {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
          static_cast<uint8_t>(u >> 24)};
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Compress(const Bytes& value, int level = 1) {
  TCompAlgo_Zlib zlib(nullptr);
  zlib.SetLevel(level);
  TMemoryStream source(value), dest;
  zlib.Encode(&source, &dest, -1);
  return dest.Bytes();
}

Bytes Uncompress(const Bytes& envelope) {
  TCompAlgo_Zlib zlib(nullptr);
  TMemoryStream source(envelope), dest;
  zlib.Decode(&source, &dest, -1);
  EXPECT_EQ(dest.Position(), 0);
  return dest.Bytes();
}

// Bytes from a 16-letter alphabet: compress to about half, so a few hundred
// KiB span several 64 KiB buffers in both directions.
Bytes HalfCompressible(size_t size) {
  std::mt19937 rng(7);
  Bytes out(size);
  for (auto& b : out) b = static_cast<uint8_t>('a' + rng() % 16);
  return out;
}

TEST(CompressionTest, EmptyValueHasEmptyEnvelopeBothWays) {
  EXPECT_TRUE(Compress({}).empty());
  EXPECT_TRUE(Uncompress({}).empty());

  // The destination is replaced, not appended to.
  TCompAlgo_Zlib zlib(nullptr);
  TMemoryStream source, dest(Bytes{1, 2, 3});
  zlib.Encode(&source, &dest, 0);
  EXPECT_EQ(dest.Size(), 0);
}

TEST(CompressionTest, ValueThatDoesNotShrinkIsStoredAsItIs) {
  const Bytes value = FromHex("0102030405060708090A");
  const Bytes envelope = Compress(value);
  EXPECT_EQ(envelope, FromHex("F6FFFFFF0102030405060708090A"));
  EXPECT_EQ(Uncompress(envelope), value);
}

TEST(CompressionTest, RepeatedCharacterCompressesToAFewDozenBytes) {
  const Bytes value(10000, 'x');
  const Bytes envelope = Compress(value);
  ASSERT_GT(envelope.size(), 6u);
  EXPECT_EQ(Bytes(envelope.begin(), envelope.begin() + 4), FromHex("10270000"));
  EXPECT_EQ(envelope[4], 0x78);  // zlib header: deflate, 32 KiB window
  EXPECT_LT(envelope.size(), 100u);
  EXPECT_EQ(Uncompress(envelope), value);
}

TEST(CompressionTest, LevelsMapToZlibLevels) {
  const Bytes value(10000, 'x');
  for (int level : {0, 1, 2, 3}) {
    const Bytes envelope = Compress(value, level);
    EXPECT_LT(envelope.size(), 200u) << "level " << level;
    EXPECT_EQ(Uncompress(envelope), value) << "level " << level;
  }
  // 4 and above: zlib stores without compressing, which never pays off.
  for (int level : {4, 9}) {
    EXPECT_EQ(Compress(value, level), Concat(Int32Le(-10000), value)) << "level " << level;
  }
}

TEST(CompressionTest, LargeValueRoundTripsAndReportsProgress) {
  const Bytes value = HalfCompressible(300 * 1024);
  TCompAlgo_Zlib zlib(nullptr);
  std::vector<int> encode_progress, decode_progress;
  zlib.OnEncodeProgress = [&](void* sender, int p) {
    EXPECT_EQ(sender, &zlib);
    encode_progress.push_back(p);
  };
  zlib.OnDecodeProgress = [&](void*, int p) { decode_progress.push_back(p); };

  TMemoryStream source(value), envelope, restored;
  zlib.Encode(&source, &envelope, -1);
  ASSERT_GT(envelope.Size(), 2 * TCompAlgo_Zlib::kBufferSize);
  ASSERT_LT(envelope.Size(), static_cast<int64_t>(value.size()));
  zlib.Decode(&envelope, &restored, -1);
  EXPECT_EQ(restored.Bytes(), value);

  for (const auto* progress : {&encode_progress, &decode_progress}) {
    ASSERT_GE(progress->size(), 2u);
    EXPECT_TRUE(std::is_sorted(progress->begin(), progress->end()));
    EXPECT_EQ(progress->back(), 100);
  }
}

TEST(CompressionTest, WorksInPlaceWithoutDestination) {
  const Bytes value(5000, 'q');
  TCompAlgo_Zlib zlib(nullptr);
  TMemoryStream stream(value);
  zlib.Encode(&stream, nullptr, -1);
  EXPECT_EQ(stream.Bytes(), Compress(value));
  zlib.Decode(&stream, nullptr, -1);
  EXPECT_EQ(stream.Bytes(), value);
}

TEST(CompressionTest, TruncatedStreamIsAReadError) {
  const Bytes envelope = Compress(HalfCompressible(100000));
  const Bytes truncated(envelope.begin(), envelope.begin() + envelope.size() / 2);
  EXPECT_THROW(Uncompress(truncated), EReadError);
}

TEST(CompressionTest, CorruptStreamRaisesError) {
  Bytes envelope = Compress(Bytes(10000, 'x'));
  envelope[4] = 0xFF;  // not a zlib header
  try {
    Uncompress(envelope);
    FAIL() << "corrupt data was accepted";
  } catch (const EZlibError& e) {
    EXPECT_STREQ(e.what(), "error");
  }

  // Only the Adler-32 trailer is wrong.
  envelope = Compress(Bytes(10000, 'x'));
  envelope.back() ^= 0x01;
  EXPECT_THROW(Uncompress(envelope), EZlibError);

  // Damage inside the compressed blocks.
  envelope = Compress(HalfCompressible(20000));
  for (size_t i = 20; i < 40; ++i) envelope[i] ^= 0xA5;
  EXPECT_THROW(Uncompress(envelope), EEngineError);
}

// Stated lengths come from the file and are checked before use.
TEST(CompressionTest, HostileStatedLengthsFailCleanly) {
  const Bytes ten_x = Compress(Bytes(10000, 'x'));
  const Bytes stream(ten_x.begin() + 4, ten_x.end());  // the zlib part
  struct Case {
    const char* what;
    Bytes envelope;
  };
  const Case cases[] = {
      {"shorter than the length field", {0x05, 0x00}},
      {"most negative length", Concat(Int32Le(std::numeric_limits<int32_t>::min()), {1, 2, 3, 4})},
      {"raw value shorter than stated", Concat(Int32Le(-100), Bytes(10, 7))},
      {"length no stream of this size could give",
       Concat(Int32Le(std::numeric_limits<int32_t>::max()), stream)},
      {"stream shorter than stated", Concat(Int32Le(20000), stream)},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(Uncompress(c.envelope), EReadError) << c.what;
  }
}

TEST(CompressionTest, NeverWritesMoreThanTheStatedLength) {
  const Bytes ten_x = Compress(Bytes(10000, 'x'));
  const Bytes stream(ten_x.begin() + 4, ten_x.end());
  EXPECT_EQ(Uncompress(Concat(Int32Le(5000), stream)), Bytes(5000, 'x'));
  EXPECT_TRUE(Uncompress(Concat(Int32Le(0), stream)).empty());
}

}  // namespace
}  // namespace tinydb
