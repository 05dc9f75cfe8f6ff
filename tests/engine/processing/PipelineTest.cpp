// The module registry, the compression and encryption managers, and the
// chunked stream encryption with its progress reports.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "processing/CompAlgo_Zlib.h"
#include "processing/DataProcess.h"
#include "processing/EncAlgo.h"
#include "processing/EncryptBase.h"
#include "support/Hex.h"

namespace tinydb {
namespace {

using Bytes = std::vector<uint8_t>;
using test::FromHex;

// The 37-byte value 00 01 .. 24.
Bytes Value37() {
  Bytes v(37);
  for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<uint8_t>(i);
  return v;
}

template <class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no error)";
}

// A database stand-in: its four progress events record what they receive.
struct FakeDatabase {
  struct Report {
    void* sender;
    int percent;
  };
  std::vector<Report> compress, uncompress, encrypt, decrypt;
  TProcessProgressEvents events;

  FakeDatabase() {
    events.Sender = this;
    events.OnCompressProgress = Recorder(compress);
    events.OnUncompressProgress = Recorder(uncompress);
    events.OnEncryptProgress = Recorder(encrypt);
    events.OnDecryptProgress = Recorder(decrypt);
  }
  static TOnProgressEvent Recorder(std::vector<Report>& into) {
    return [&into](void* sender, int percent) { into.push_back({sender, percent}); };
  }
  std::vector<int> Percents(const std::vector<Report>& reports) const {
    std::vector<int> out;
    for (const Report& r : reports) {
      EXPECT_EQ(r.sender, this);
      out.push_back(r.percent);
    }
    return out;
  }
};

Bytes EncodeWith(TEncryptMgr& mgr, const Bytes& value) {
  TMemoryStream source(value), dest;
  mgr.Encode(&source, &dest, static_cast<int64_t>(value.size()));
  return dest.Bytes();
}

Bytes DecodeWith(TEncryptMgr& mgr, const Bytes& stored) {
  TMemoryStream source(stored), dest;
  mgr.Decode(&source, &dest, -1);
  return dest.Bytes();
}

class PipelineTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterStandardModules(); }
  FakeDatabase db;
  TCompressMgr compress{&db, &db.events};
  TEncryptMgr encrypt{&db, &db.events};
};

TEST(ProgressPercentTest, RoundsHalvesToEven) {
  struct Case {
    int64_t done, total;
    int percent;
  };
  const Case cases[] = {{4096, 5000, 82}, {5000, 5000, 100}, {1, 8, 12},  {3, 8, 38},
                        {1, 200, 0},      {3, 200, 2},       {0, 0, 0},   {0, 10, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(ProgressPercent(c.done, c.total), c.percent) << c.done << "/" << c.total;
  }
}

TEST_F(PipelineTest, StandardModulesAreFoundIgnoringCase) {
  EXPECT_EQ(compress.IndexOfAlgorithm("zlib"), 0);
  EXPECT_EQ(encrypt.IndexOfAlgorithm("Blowfish"), 0);
  EXPECT_EQ(encrypt.IndexOfAlgorithm("TWOFISH"), 1);
  EXPECT_EQ(encrypt.IndexOfAlgorithm("gost"), 2);

  compress.SelectAlgorithm("zlib");
  EXPECT_NE(dynamic_cast<TCompAlgo_Zlib*>(compress.Algorithm()), nullptr);
  encrypt.SelectAlgorithm("gOsT");
  EXPECT_NE(dynamic_cast<TEncAlgo_Gost*>(encrypt.Algorithm()), nullptr);
}

TEST_F(PipelineTest, UnknownNamesAreReportedAndChangeNothing) {
  EXPECT_EQ(MessageOf([&] { compress.IndexOfAlgorithm("LZMA"); }),
            "Compression algorithm module 'LZMA' not found");
  EXPECT_EQ(MessageOf([&] { encrypt.IndexOfAlgorithm("Rijndael"); }),
            "Encryption algorithm module 'Rijndael' not found");
  EXPECT_THROW(compress.SelectAlgorithm("ZLIB "), EDatabaseError);

  encrypt.SelectAlgorithm("Blowfish");
  TDataProcessAlgo* before = encrypt.Algorithm();
  EXPECT_EQ(MessageOf([&] { encrypt.SelectAlgorithm("DES"); }),
            "Encryption algorithm module 'DES' not found");
  EXPECT_EQ(encrypt.Algorithm(), before);
}

TEST_F(PipelineTest, EveryOperationNeedsASelectedModule) {
  TMemoryStream stream(Bytes{1, 2, 3});
  uint8_t buffer[3] = {1, 2, 3};
  const std::vector<std::function<void()>> operations = {
      [&] { compress.Encode(&stream, nullptr, -1); },
      [&] { compress.Decode(&stream, nullptr, -1); },
      [&] { encrypt.Encode(&stream, nullptr, -1); },
      [&] { encrypt.Decode(&stream, nullptr, -1); },
      [&] { encrypt.EncryptBuffer(buffer, buffer, 3); },
      [&] { encrypt.DecryptBuffer(buffer, buffer, 3); },
      [&] { encrypt.SetMode(1); },
      [&] { encrypt.InitKey("fizzo"); },
      [&] { encrypt.ResetFeedback(); },
  };
  for (size_t i = 0; i < operations.size(); ++i) {
    EXPECT_THROW(operations[i](), EDatabaseError) << "operation " << i;
    EXPECT_EQ(MessageOf(operations[i]), "General error") << "operation " << i;
  }
  EXPECT_EQ(stream.Bytes(), (Bytes{1, 2, 3}));
}

TEST_F(PipelineTest, SelectingTheSameModuleKeepsItsKey) {
  encrypt.SelectAlgorithm("Blowfish");
  encrypt.SetMode(cmCBC);
  encrypt.InitKey("fizzo");
  TDataProcessAlgo* first = encrypt.Algorithm();
  const Bytes stored = EncodeWith(encrypt, Value37());

  encrypt.SelectAlgorithm("BLOWFISH");
  EXPECT_EQ(encrypt.Algorithm(), first);
  EXPECT_EQ(EncodeWith(encrypt, Value37()), stored);

  // Another class replaces the module, which has no key yet.
  encrypt.SelectAlgorithm("Twofish");
  EXPECT_NE(dynamic_cast<TEncAlgo_Twofish*>(encrypt.Algorithm()), nullptr);
  try {
    EncodeWith(encrypt, Value37());
    FAIL() << "a cipher without a key encrypted";
  } catch (const EEncryptException& e) {
    EXPECT_EQ(e.Code(), 3);
    EXPECT_STREQ(e.what(), "TEnc_Twofish is not initialized call Init() or InitKey() before.");
  }
}

TEST(RegistryTest, RegisteringAClassAgainRenamesItInPlace) {
  auto factory = [](void* owner) { return std::make_unique<TCompAlgo_Zlib>(owner); };
  RegisterCompressionModule("RegistryTestModule", factory, "FirstName");
  TCompressMgr mgr(nullptr, nullptr);
  const int index = mgr.IndexOfAlgorithm("firstname");
  RegisterCompressionModule("RegistryTestModule", factory, "SecondName");
  EXPECT_EQ(mgr.IndexOfAlgorithm("SECONDNAME"), index);
  EXPECT_THROW(mgr.IndexOfAlgorithm("FirstName"), EDatabaseError);
  EXPECT_EQ(mgr.IndexOfAlgorithm("ZLIB"), 0);

  // Registering the standard modules again changes no positions.
  RegisterStandardModules();
  EXPECT_EQ(mgr.IndexOfAlgorithm("ZLIB"), 0);
  EXPECT_EQ(mgr.IndexOfAlgorithm("SecondName"), index);
}

// Known answers: password "fizzo", the 37-byte value 00..24, each mode.
TEST_F(PipelineTest, EachCipherModuleEncryptsKnownAnswers) {
  struct Case {
    const char* module;
    int mode;
    const char* stored;
  };
  const Case cases[] = {
      {"Blowfish", 0, "B0E80732950F4EE1840AA9AFB196BA9C7BE7882D0DEEDE8BF087E4D9487438908DBB2B9212"},
      {"Blowfish", 1, "B0E80732950F4EE12E891FB59265974CB0524E8D56BE8F081B42F5FD0C3B4B97DD308B13BE"},
      {"Blowfish", 2, "B95EA82D10870DC2FB828B7AA30A44DA54BB41CADC569B4677D6DFE0D4E882CCD3A2CE7FD8"},
      {"Blowfish", 3, "B95E8F90541730360BBAF4C122338AB1050C19821DE6F1D78E4B03D5C95BFCE377912A03AE"},
      {"Blowfish", 4, "7B8F84C48B53B13CDD37A111A50E98FD36FADEC95393B93B663B3BD9D3BE711B2021222324"},
      {"Twofish", 0, "D2EDEA6C0C859B2BE23F3F29376AE4692416A4636C45E1CBAE1FA0C8ACD7337897DF41AE09"},
      {"Twofish", 1, "D2EDEA6C0C859B2BE23F3F29376AE469BAA99E459EBC0FE7855D640C767ABD870C3A0912F2"},
      {"Twofish", 2, "004E8B42BDE99C9BF57B013D5B05F6D62ED00A0651F3D1C4CEB18FAA41FE34DCD2BF0C1743"},
      {"Twofish", 3, "004E61F8A6958503F4420A189954B0D317C22510BEF8361B4E0F6CFAAC9B77EE38854EFC6D"},
      {"Twofish", 4, "13C9087D331D0AF85C116F5F50474ADEF9C72FDC93A9F4A5DB27CCE4C3968D8E2021222324"},
      {"Gost", 0, "7E8852DF96F979B5B021EAE27A4608982FA203D5F529A6A78F8077B07A8BD1526166A32D67"},
      {"Gost", 1, "7E8852DF96F979B5FBC74AB3977CEAAB2BD4AD36E13455E3AAB3E9BB43BC2D80A16F230322"},
      {"Gost", 2, "AAA8A2B8E5301F2AF358CB7F6DCAB732386DB4529C80863C6CBD91BDAA2FE2483C51A9164C"},
      {"Gost", 3, "AAA829F4BD402D07A8D82413592085D9437DD661D4B10696C9D930B2BA6C8E24059D4C0128"},
      {"Gost", 4, "83CB5FD53369EC05E4EAE1B2184E53A71E7705AE1D124FE768198B00655CF36E2021222324"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.module) + " mode " + std::to_string(c.mode));
    TEncryptMgr mgr(&db, &db.events);
    mgr.SelectAlgorithm(c.module);
    mgr.SetMode(c.mode);
    mgr.InitKey("fizzo");
    EXPECT_EQ(static_cast<TEncryptAlgo*>(mgr.Algorithm())->GetMode(), c.mode);
    // The feedback is reset after each value, so every value encrypts alike.
    EXPECT_EQ(EncodeWith(mgr, Value37()), FromHex(c.stored));
    EXPECT_EQ(EncodeWith(mgr, Value37()), FromHex(c.stored));
    EXPECT_EQ(DecodeWith(mgr, FromHex(c.stored)), Value37());
  }
}

TEST_F(PipelineTest, EncryptsInPlaceAndThroughBuffers) {
  encrypt.SelectAlgorithm("Blowfish");
  encrypt.SetMode(cmCBC);
  encrypt.InitKey("fizzo");
  const Bytes stored =
      FromHex("B0E80732950F4EE12E891FB59265974CB0524E8D56BE8F081B42F5FD0C3B4B97DD308B13BE");

  TMemoryStream stream(Value37());
  encrypt.Encode(&stream, nullptr, -1);
  EXPECT_EQ(stream.Bytes(), stored);
  encrypt.Decode(&stream, nullptr, -1);
  EXPECT_EQ(stream.Bytes(), Value37());

  Bytes buffer = Value37();
  encrypt.EncryptBuffer(buffer.data(), buffer.data(), static_cast<int64_t>(buffer.size()));
  EXPECT_EQ(buffer, stored);
  encrypt.DecryptBuffer(buffer.data(), buffer.data(), static_cast<int64_t>(buffer.size()));
  EXPECT_EQ(buffer, Value37());
}

// In place across several chunks: a stream bigger than one 4096-byte chunk
// must match the same bytes encrypted into a separate stream.
TEST_F(PipelineTest, InPlaceMatchesSeparateDestinationAcrossChunks) {
  encrypt.SelectAlgorithm("Twofish");
  encrypt.SetMode(cmFeedbackXor);
  encrypt.InitKey("Secret Password 123");
  Bytes value(10000);
  for (size_t i = 0; i < value.size(); ++i) value[i] = static_cast<uint8_t>(i * 7 + 3);

  const Bytes separate = EncodeWith(encrypt, value);
  TMemoryStream stream(value);
  encrypt.Encode(&stream, nullptr, -1);
  EXPECT_EQ(stream.Bytes(), separate);
  EXPECT_EQ(DecodeWith(encrypt, separate), value);
}

TEST_F(PipelineTest, EncryptionProgressGoesToTheDatabaseEvents) {
  encrypt.SelectAlgorithm("Blowfish");
  encrypt.InitKey("fizzo");
  const Bytes value(5000, 0x5A);

  const Bytes stored = EncodeWith(encrypt, value);
  EXPECT_EQ(db.Percents(db.encrypt), (std::vector<int>{0, 82, 100, 0}));
  EXPECT_EQ(DecodeWith(encrypt, stored), value);
  EXPECT_EQ(db.Percents(db.decrypt), (std::vector<int>{0, 82, 100, 0}));
  EXPECT_TRUE(db.compress.empty() && db.uncompress.empty());
}

TEST_F(PipelineTest, ProgressReturnsToZeroAfterAFailure) {
  encrypt.SelectAlgorithm("Gost");  // no key: the first chunk fails
  EXPECT_THROW(EncodeWith(encrypt, Bytes(5000, 1)), EEncryptException);
  EXPECT_EQ(db.Percents(db.encrypt), (std::vector<int>{0, 0}));
}

TEST_F(PipelineTest, CompressionProgressGoesToTheDatabaseEvents) {
  compress.SelectAlgorithm("ZLIB");
  Bytes value(200000);
  for (size_t i = 0; i < value.size(); ++i) value[i] = static_cast<uint8_t>((i * i) >> 5);

  TMemoryStream source(value), envelope, restored;
  compress.Encode(&source, &envelope, -1);
  compress.Decode(&envelope, &restored, -1);
  EXPECT_EQ(restored.Bytes(), value);
  const std::vector<int> packed = db.Percents(db.compress);
  const std::vector<int> unpacked = db.Percents(db.uncompress);
  ASSERT_FALSE(packed.empty());
  ASSERT_FALSE(unpacked.empty());
  EXPECT_EQ(packed.back(), 100);
  EXPECT_EQ(unpacked.back(), 100);
  EXPECT_TRUE(db.encrypt.empty() && db.decrypt.empty());
}

// Stored values pass compress-then-encrypt and come back the other way.
TEST_F(PipelineTest, CompressedValuesSurviveEncryption) {
  compress.SelectAlgorithm("ZLIB");
  encrypt.SelectAlgorithm("Twofish");
  encrypt.SetMode(cmCFB8);
  encrypt.InitKey("fizzo");
  const Bytes value(10000, 'x');

  TMemoryStream source(value), stored;
  compress.Encode(&source, &stored, -1);
  const int64_t envelope_size = stored.Size();
  stored.SetPosition(0);
  encrypt.Encode(&stored, nullptr, -1);
  EXPECT_EQ(stored.Size(), envelope_size);

  encrypt.Decode(&stored, nullptr, -1);
  TMemoryStream restored;
  compress.Decode(&stored, &restored, -1);
  EXPECT_EQ(restored.Bytes(), value);
}

}  // namespace
}  // namespace tinydb
