// Values decoded once and kept by table storage are never served after the
// image changed under them: through another cursor, by the cursor's own
// edits, or by the image's bytes being replaced.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CursorTestKit.h"
#include "storage/DecodedCache.h"
#include "support/DatabaseSettings.h"

namespace tinydb::cursor_test {
namespace {

constexpr char kPassword[] = "shaker";

TTableDefinition Recipes() {
  return TTableDefinition{"recipes",
                          {{"id", ftInteger}, {"name", ftString, 25}, {"ingred", ftMemo}},
                          {{"id", {"id"}, tiPrimary}}};
}

class DecodedValuesTest : public ::testing::Test {
 protected:
  DecodedValuesTest() {
    CreateDatabase(stream_, test::CompressedEncrypted("Blowfish", 0, kPassword), {Recipes()});
    name_ = MemoryStreamToDatabaseName(&stream_);
    first_ = Open();
    for (int id = 1; id <= 3; ++id)
      Add(*first_, id, "drink " + std::to_string(id), "1 oz Rum\r\n2 oz Cola " + std::to_string(id));
  }
  ~DecodedValuesTest() override {
    first_.reset();
    UnregisterMemoryStream(&stream_);
  }

  std::unique_ptr<TTinyTable> Open(const std::string& session = "",
                                   const std::string& database = "") {
    auto table = std::make_unique<TTinyTable>();
    if (!session.empty()) table->SetSessionName(session);
    table->SetDatabaseName(database.empty() ? name_ : database);
    table->SetMediumType(mtMemory);
    table->SetTableName("recipes");
    table->SetIndexName("id");
    table->SetPassword(kPassword);
    table->Open();
    return table;
  }

  static void Add(TTinyTable& table, int id, const std::string& name, const std::string& ingred) {
    table.BeginAppend();
    table.FieldNamed("id")->WriteInteger(id);
    table.FieldNamed("name")->WriteText(name);
    table.FieldNamed("ingred")->WriteText(ingred);
    table.PostRecord();
  }

  static void Change(TTinyTable& table, int id, const std::string& name, const std::string& ingred) {
    ASSERT_TRUE(table.FindByKey("id", TFieldValue(int64_t{id})));
    table.BeginEdit();
    table.FieldNamed("name")->WriteText(name);
    table.FieldNamed("ingred")->WriteText(ingred);
    table.PostRecord();
  }

  // "name|ingred" of the record with |id|, found by key.
  static std::string Drink(TTinyTable& table, int id) {
    if (!table.FindByKey("id", TFieldValue(int64_t{id}))) return "(none)";
    return table.FieldNamed("name")->ReadText() + "|" + table.FieldNamed("ingred")->ReadText();
  }

  // Ids of the records whose ingredients hold |word|, in id order.
  static std::vector<int> Matches(TTinyTable& table, const std::string& word) {
    std::vector<int> ids;
    table.SetFilterOptions(foCaseInsensitive | foNoPartialCompare);
    table.SetFilter("ingred LIKE '%" + word + "%'");
    for (bool found = table.SeekFirstMatch(); found; found = table.SeekNextMatch())
      ids.push_back(table.FieldNamed("id")->ReadInteger());
    return ids;
  }

  TMemoryStream stream_;
  std::string name_;
  std::unique_ptr<TTinyTable> first_;
};

TEST_F(DecodedValuesTest, ChangesThroughAnotherCursorAreSeenOnTheNextRead) {
  auto second = Open();
  // Both cursors have read (and so decoded) every value.
  EXPECT_EQ(Matches(*first_, "cola"), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Drink(*second, 2), "drink 2|1 oz Rum\r\n2 oz Cola 2");

  // A shorter value reuses the blob's block in place; a much longer one
  // moves it.
  Change(*second, 2, "gin fizz", "2 oz Gin\r\n1 oz Lemon");
  Change(*second, 3, "long one", std::string(3000, 'x') + " Cola");
  EXPECT_EQ(Drink(*first_, 2), "gin fizz|2 oz Gin\r\n1 oz Lemon");
  EXPECT_EQ(Matches(*first_, "cola"), (std::vector<int>{1, 3}));
  EXPECT_EQ(Matches(*first_, "gin"), (std::vector<int>{2}));

  // The key itself changes: the old key no longer finds the record.
  ASSERT_TRUE(second->FindByKey("id", TFieldValue(int64_t{1})));
  second->BeginEdit();
  second->FieldNamed("id")->WriteInteger(10);
  second->PostRecord();
  first_->RefreshCursor();
  EXPECT_EQ(Drink(*first_, 1), "(none)");
  EXPECT_EQ(Drink(*first_, 10), "drink 1|1 oz Rum\r\n2 oz Cola 1");
}

TEST_F(DecodedValuesTest, OwnEditsAndDeletionsAreSeenByTheFilterAndKeySearch) {
  EXPECT_EQ(Matches(*first_, "rum"), (std::vector<int>{1, 2, 3}));
  Change(*first_, 1, "virgin", "Lime\r\nSoda");
  ASSERT_TRUE(first_->FindByKey("id", TFieldValue(int64_t{2})));
  first_->DeleteCurrent();
  EXPECT_EQ(Matches(*first_, "rum"), (std::vector<int>{3}));
  EXPECT_EQ(Drink(*first_, 1), "virgin|Lime\r\nSoda");
  EXPECT_EQ(Drink(*first_, 2), "(none)");
}

TEST_F(DecodedValuesTest, ImageBytesPutBackGiveTheOldValuesAgain) {
  const std::vector<uint8_t> before = stream_.Bytes();
  Change(*first_, 2, "new name", "3 oz Gin");
  EXPECT_EQ(Drink(*first_, 2), "new name|3 oz Gin");

  // The image returns to its earlier bytes (as a reload of the file would
  // do); the same positions now hold the older values again.
  stream_.SetSize(static_cast<int64_t>(before.size()));
  stream_.SetPosition(0);
  stream_.WriteBuffer(before.data(), static_cast<int64_t>(before.size()));
  first_->RefreshCursor();
  EXPECT_EQ(Drink(*first_, 2), "drink 2|1 oz Rum\r\n2 oz Cola 2");
  EXPECT_EQ(Matches(*first_, "gin"), std::vector<int>{});
}

// A warm cache (every value read through the first cursor) against a write
// made through each path that reaches the image; the first cursor's next
// reads (key search, record, memo, filter) see the new values.
TEST_F(DecodedValuesTest, EveryWritePathIsSeenByAWarmCursor) {
  struct TCase {
    const char* writer;
    std::function<void(const std::function<void(TTinyTable&)>&)> write;
  };
  const std::vector<TCase> cases = {
      {"the cursor itself", [this](const auto& edit) { edit(*first_); }},
      {"another cursor", [this](const auto& edit) { edit(*Open()); }},
      {"another database object",
       [this](const auto& edit) {
         TTinySession other;
         other.SetSessionName("Other");
         edit(*Open("Other"));
       }},
      {"the image's own bytes",
       [this](const auto& edit) {
         // The same edit made on a copy, whose bytes then replace the image.
         TMemoryStream copy;
         copy.WriteBuffer(stream_.Bytes().data(), stream_.Size());
         const std::string name = MemoryStreamToDatabaseName(&copy);
         edit(*Open("", name));
         UnregisterMemoryStream(&copy);
         stream_.SetPosition(0);
         stream_.WriteBuffer(copy.Bytes().data(), copy.Size());
         first_->RefreshCursor();
       }},
  };
  int round = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.writer);
    ++round;
    const std::string ingred = "1 oz Gin " + std::to_string(round);
    ASSERT_EQ(Matches(*first_, "rum").size(), 3u - (round > 1 ? 1u : 0u));
    ASSERT_NE(Drink(*first_, 2), "");
    c.write([&](TTinyTable& table) { Change(table, 2, "round " + std::to_string(round), ingred); });
    EXPECT_EQ(Drink(*first_, 2), "round " + std::to_string(round) + "|" + ingred);
    EXPECT_EQ(Matches(*first_, "gin " + std::to_string(round)), std::vector<int>{2});
    EXPECT_EQ(Matches(*first_, "rum"), (std::vector<int>{1, 3}));
  }
}

// An update that leaves a memo as it is stores the bytes the same update
// writing the memo's own text again stores: the block is not rewritten,
// and the image is the one the full re-encoding gives.
TEST_F(DecodedValuesTest, UnchangedMemoStoresTheSameBytesWhetherWrittenOrNot) {
  auto edit = [&](bool write_memo) {
    ASSERT_TRUE(first_->FindByKey("id", TFieldValue(int64_t{2})));
    const std::string memo = first_->FieldNamed("ingred")->ReadText();
    first_->BeginEdit();
    first_->FieldNamed("name")->WriteText("renamed");
    if (write_memo) first_->FieldNamed("ingred")->WriteText(memo);
    first_->PostRecord();
  };
  const std::vector<uint8_t> start = stream_.Bytes();
  edit(true);
  const std::vector<uint8_t> rewritten = stream_.Bytes();
  stream_.SetSize(0);
  stream_.SetPosition(0);
  stream_.WriteBuffer(start.data(), static_cast<int64_t>(start.size()));
  first_->RefreshCursor();
  Drink(*first_, 2);  // the memo is cached again
  edit(false);
  EXPECT_EQ(stream_.Bytes(), rewritten);
  EXPECT_EQ(Drink(*first_, 2), "renamed|1 oz Rum\r\n2 oz Cola 2");
}

// A memo left unread keeps its block, and a block changed behind table
// storage's back ends as storing the value read from it anew leaves it.
TEST_F(DecodedValuesTest, AnUnreadMemoKeepsOnlyTheBlockTableStorageWrote) {
  auto rename = [&](const std::string& name) {
    ASSERT_TRUE(first_->FindByKey("id", TFieldValue(int64_t{2})));
    first_->BeginEdit();
    first_->FieldNamed("name")->WriteText(name);
    first_->PostRecord();
  };
  auto put_back = [&](const std::vector<uint8_t>& bytes) {
    stream_.SetPosition(0);
    stream_.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    first_->RefreshCursor();
  };
  const std::vector<uint8_t> start = stream_.Bytes();
  // Where the memo's block lies: the bytes a same-length memo changes.
  Change(*first_, 2, "drink 2", "1 oz Rum\r\n2 oz Cola 9");
  const std::vector<uint8_t> other = stream_.Bytes();
  ASSERT_EQ(other.size(), start.size());
  const auto first_changed = std::mismatch(start.begin(), start.end(), other.begin()).first;
  ASSERT_NE(first_changed, start.end());
  const size_t block = static_cast<size_t>(first_changed - start.begin());
  put_back(start);

  rename("renamed");  // written by table storage, memo unread: block kept
  EXPECT_EQ(Drink(*first_, 2), "renamed|1 oz Rum\r\n2 oz Cola 2");
  EXPECT_TRUE(std::equal(start.begin() + static_cast<std::ptrdiff_t>(block),
                         start.begin() + static_cast<std::ptrdiff_t>(block) + 16,
                         stream_.Bytes().begin() + static_cast<std::ptrdiff_t>(block)));

  std::vector<uint8_t> damaged = stream_.Bytes();
  damaged[block] ^= 0x5A;
  auto rename_damaged = [&](bool write_memo) {
    put_back(damaged);
    EXPECT_TRUE(first_->FindByKey("id", TFieldValue(int64_t{2})));
    first_->BeginEdit();
    first_->FieldNamed("name")->WriteText("again");
    if (write_memo) {
      TField& ingred = *first_->FieldNamed("ingred");
      ingred.WriteText(ingred.ReadText());
    }
    first_->PostRecord();
    return stream_.Bytes();
  };
  const std::vector<uint8_t> rewritten = rename_damaged(true);
  EXPECT_EQ(rename_damaged(false), rewritten);
}

TEST(DecodedCacheTest, StaysWithinItsBudgetAndChecksStoredBytes) {
  TDecodedCache cache(1000);
  const uint8_t stored[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  const uint8_t plain[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  const uint8_t other[8] = {1, 2, 3, 4, 5, 6, 7, 0};
  cache.StoreRecord(3, 100, stored, plain, 8);
  ASSERT_NE(cache.FindRecord(3, 100, stored, 8), nullptr);
  EXPECT_EQ(cache.FindRecord(3, 100, other, 8), nullptr);
  EXPECT_EQ(cache.FindRecord(3, 101, stored, 8), nullptr);  // kept for another place
  EXPECT_EQ(cache.FindRecord(2, 100, stored, 8), nullptr);
  EXPECT_EQ(cache.FindRecord(4, 100, stored, 8), nullptr);
  ASSERT_NE(cache.FindRecordField(3, 100, 2, stored + 2, 4), nullptr);
  EXPECT_EQ(cache.FindRecordField(3, 100, 6, stored + 6, 4), nullptr);  // beyond the image
  EXPECT_EQ(cache.FindRecordField(3, 101, 2, stored + 2, 4), nullptr);

  for (int64_t pos = 0; pos < 100; ++pos) {
    cache.StoreField(pos, stored, plain, 8);
    EXPECT_LE(cache.Bytes(), cache.Budget());
  }
  cache.StoreRecord(5, 200, std::vector<uint8_t>(600).data(), std::vector<uint8_t>(600).data(),
                    600);
  EXPECT_EQ(cache.FindRecord(5, 200, std::vector<uint8_t>(600).data(), 600), nullptr);
  EXPECT_LE(cache.Bytes(), cache.Budget());

  // Key values by record number: served only for the same field, record,
  // width and stored bytes; a table too large for the budget is dropped.
  cache.Clear();
  cache.StoreKey(1, 7, stored, plain, 4);
  ASSERT_NE(cache.FindKey(1, 7, stored, 4), nullptr);
  EXPECT_EQ(std::memcmp(cache.FindKey(1, 7, stored, 4), plain, 4), 0);
  EXPECT_EQ(cache.FindKey(1, 7, other + 4, 4), nullptr);
  EXPECT_EQ(cache.FindKey(1, 7, stored, 2), nullptr);
  EXPECT_EQ(cache.FindKey(0, 7, stored, 4), nullptr);
  EXPECT_EQ(cache.FindKey(1, 6, stored, 4), nullptr);
  EXPECT_EQ(cache.FindKey(1, 8000, stored, 4), nullptr);
  for (int32_t record_no : {20, 40, 1000}) {
    cache.StoreKey(2, record_no, stored, plain, 8);
    EXPECT_LE(cache.Bytes(), cache.Budget());
  }
  EXPECT_EQ(cache.FindKey(2, 1000, stored, 8), nullptr);
}

}  // namespace
}  // namespace tinydb::cursor_test
