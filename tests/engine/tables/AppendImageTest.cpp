// The bytes the engine stores for a fixed set of records and edits on the
// compressed, Blowfish-encrypted layout: a digest of the whole image, so
// that any change of write order, placement, index links or encoding
// shows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Streams.h"
#include "processing/DataProcess.h"
#include "processing/HashBase.h"
#include "processing/Hash_SHA.h"
#include "storage/DatabaseWriter.h"
#include "storage/MemoryMedium.h"
#include "tables/TinyDB.h"

namespace tinydb {
namespace {

TTableDefinition Drinks() {
  TTableDefinition table;
  table.Name = "drinks";
  table.Fields = {{"id", ftInteger},      {"code", ftInteger}, {"name", ftString, 25},
                  {"ingred", ftMemo},     {"directions", ftMemo}};
  table.Indexes = {{"id", {"id"}, tiPrimary}, {"code", {"code"}, 0}, {"name", {"name"}, tiCaseInsensitive}};
  return table;
}
// How the appends of BuildImage get their blobs encoded.
enum class TPrecoding {
  kNone,       // each insert encodes its own
  kGuessing,   // a precoder guesses the values, wrongly for some records
  kWrongKey,   // a precoder set up with another password
};

constexpr int kAppendCount = 1500;  // past one tab chunk

std::string IngredOf(int id) {
  return "2 oz Gin\r\n" + std::to_string(id % 5 + 1) + " dashes Bitters #" + std::to_string(id);
}
std::string DirectionsOf(int id) {
  return std::string(static_cast<size_t>(id % 90), 'x') + " Stir and strain.";
}
int IdOfAppend(int k) { return (k * 577) % kAppendCount + 1; }  // every id once, out of order

// Builds the image in |image|: appends in shuffled key order, then
// updates and deletions, through a cursor on a non-primary index.
void BuildImage(TMemoryStream& image, TPrecoding precoding = TPrecoding::kNone) {
  TDatabaseSettings settings;
  settings.Compressed = true;
  settings.Encrypted = true;
  settings.EncryptAlgo = "Blowfish";
  settings.EncryptMode = 1;
  settings.Password = "golden";
  CreateDatabase(image, settings, {Drinks()});
  const std::string name = MemoryStreamToDatabaseName(&image);
  {
    TTinyTable table;
    table.SetMediumType(mtMemory);
    table.SetDatabaseName(name);
    table.SetPassword("golden");
    table.SetTableName("drinks");
    table.SetIndexName("code");
    table.Open();
    const int count = kAppendCount;
    // The precoder's guesses: right, except a changed directions text for
    // every third record, an empty one for every seventh, and the ingred
    // of the record before for every eleventh.
    std::vector<std::string> guesses;
    std::unique_ptr<TBlobPrecoder> precoder;
    if (precoding != TPrecoding::kNone) {
      precoder = table.NewBlobPrecoder(precoding == TPrecoding::kWrongKey ? "brass" : "golden");
      EXPECT_EQ(precoder->Usable(), precoding == TPrecoding::kGuessing);
      guesses.reserve(2 * count);
      for (int k = 0; k < count; ++k) {
        const int id = IdOfAppend(k);
        guesses.push_back(k % 11 == 5 ? IngredOf(IdOfAppend(k - 1)) : IngredOf(id));
        guesses.push_back(k % 3 == 1 ? DirectionsOf(id) + "." : k % 7 == 2 ? "" : DirectionsOf(id));
      }
      for (int k = 0; k < count; ++k)
        precoder->Submit({{3, guesses[2 * k]}, {4, guesses[2 * k + 1]}, {2, guesses[2 * k]}});
      precoder->Start();
      table.SetBlobPrecoder(precoder.get());
    }
    for (int k = 0; k < count; ++k) {
      const int id = IdOfAppend(k);
      table.BeginAppend();
      table.FieldNamed("id")->WriteInteger(id);
      table.FieldNamed("code")->WriteInteger(id % 13);
      table.FieldNamed("name")->WriteText("Drink " + std::to_string(id * 7 % 1009));
      table.FieldNamed("ingred")->WriteText(IngredOf(id));
      table.FieldNamed("directions")->WriteText(DirectionsOf(id));
      table.PostRecord();
    }
    table.SetBlobPrecoder(nullptr);
    // Moves within the indexes, a blob outgrowing its block, and deletions.
    for (int id = 1; id <= count; id += 97) {
      if (!table.FindByKey("id", TFieldValue(int64_t{id}))) continue;
      table.BeginEdit();
      table.FieldNamed("code")->WriteInteger(id % 13 == 0 ? 12 : 0);
      table.FieldNamed("directions")->WriteText(std::string(200, 'y'));
      table.PostRecord();
    }
    for (int id = 5; id <= count; id += 211) {
      if (table.FindByKey("id", TFieldValue(int64_t{id}))) table.DeleteCurrent();
    }
  }
  UnregisterMemoryStream(&image);
}

TEST(AppendImageTest, StoredBytesOfAFixedWorkloadStayTheSame) {
  RegisterStandardModules();
  TMemoryStream image;
  BuildImage(image);
  const std::vector<uint8_t> digest =
      HashBuffer<THash_SHA>(image.Memory(), static_cast<size_t>(image.Size()));
  EXPECT_EQ(image.Size(), 371066);
  EXPECT_EQ(DigestToText(digest.data(), digest.size(), 16), "D9E0EA503BDECF155B9649166857476A4953A83D");
}

// Blobs encoded ahead on a second thread store the very bytes the inserts
// make themselves, whatever the guesses were; a precoder that cannot have
// the database's key encodes nothing.
TEST(AppendImageTest, PrecodedBlobsStoreTheSameBytes) {
  RegisterStandardModules();
  TMemoryStream plain;
  BuildImage(plain);
  for (TPrecoding precoding : {TPrecoding::kGuessing, TPrecoding::kWrongKey}) {
    TMemoryStream image;
    BuildImage(image, precoding);
    ASSERT_EQ(image.Size(), plain.Size());
    EXPECT_TRUE(image.Bytes() == plain.Bytes()) << static_cast<int>(precoding);
  }
}

}  // namespace
}  // namespace tinydb
