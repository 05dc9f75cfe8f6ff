// Index order of the cursor (IndexName), FindByKey and LookupByKey.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "CursorTestKit.h"

namespace tinydb::cursor_test {
namespace {

// Drinks 1..5 named a, b, b, b, c: the non-unique index "name" holds three
// equal keys.
class KeyLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table_ = OpenTable(image_, "drinks");
    const char* names[] = {"a", "b", "b", "b", "c"};
    for (int id = 1; id <= 5; ++id) AddDrink(*table_, id, names[id - 1], id % 2 == 0);
    table_->GoFirst();
  }

  TCursorImage image_{{DrinksTable()}};
  std::unique_ptr<TTinyTable> table_;
};

// A cursor whose filter keeps the ids divisible by |divisor|: stands in for
// a narrowed cursor list while the filter language is not there.
class TDivisibleIdsTable : public TTinyTable {
 public:
  explicit TDivisibleIdsTable(int divisor) : divisor_(divisor) {}

 protected:
  void ApplyFilter() override {
    TRecordList kept;
    TMemoryStream value;
    for (const TRecordListEntry& entry : record_list_) {
      table_io_->ReadFieldValue(&value, entry.RecordNo, 0);
      int32_t id = 0;
      value.SetPosition(0);
      value.ReadBuffer(&id, 4);
      if (id % divisor_ == 0) kept.push_back(entry);
    }
    record_list_ = kept;
    filter_active_ = true;
  }
  void DropFilter() override {
    record_list_ = table_io_->GetRecordList(active_index_ + 1);
    filter_active_ = false;
  }

 private:
  int divisor_;
};

// ---- IndexName ----

TEST_F(KeyLookupTest, EmptyOrUnknownIndexNameFollowsThePrimaryIndex) {
  for (const char* name : {"", "nosuch"}) {
    table_->SetIndexName(name);
    EXPECT_EQ(table_->ActiveIndex(), 0) << name;
    EXPECT_EQ(Ids(*table_), (std::vector<int>{1, 2, 3, 4, 5})) << name;
  }
}

TEST_F(KeyLookupTest, EqualKeysLandAfterTheEqualEntryTheHalvingMeetsFirst) {
  // Appending b(3) meets b(2) and goes after it; appending b(4) meets b(2)
  // in the middle of [a, b2, b3] and goes right after it, before b(3).
  table_->SetIndexName("NAME");
  EXPECT_EQ(table_->ActiveIndex(), 1);
  EXPECT_EQ(Ids(*table_), (std::vector<int>{1, 2, 4, 3, 5}));
}

TEST_F(KeyLookupTest, ChangingIndexNamePostsTheEditAndMakesTheFirstRecordCurrent) {
  table_->SetRecordNumber(3);
  table_->BeginEdit();
  table_->FieldNamed("name")->WriteText("0");
  table_->SetIndexName("name");
  EXPECT_EQ(table_->State(), dsBrowse);
  EXPECT_EQ(CurrentId(*table_), 3);  // "0" sorts first
  EXPECT_EQ(table_->RecordNumber(), 1);
}

TEST(IndexOrderTest, TableWithoutPrimaryIndexShowsPhysicalOrder) {
  TTableDefinition plain{"plain", {{"id", ftInteger}}, {{"by_id", {"id"}, tiUnique}}};
  TCursorImage image({plain});
  auto table = OpenTable(image, "plain");
  EXPECT_EQ(table->ActiveIndex(), -1);
  for (int id : {3, 1, 2}) {
    table->BeginAppend();
    table->FieldNamed("id")->WriteInteger(id);
    table->PostRecord();
  }
  EXPECT_EQ(Ids(*table), (std::vector<int>{3, 1, 2}));
  table->SetIndexName("by_id");
  EXPECT_EQ(Ids(*table), (std::vector<int>{1, 2, 3}));
}

TEST(IndexOrderTest, KeyGreaterThanAllGoesFirstInADescendingIndex) {
  TTableDefinition scores{"scores",
                          {{"id", ftInteger}},
                          {{"id", {"id"}, tiPrimary}, {"down", {"id"}, tiDescending}}};
  TCursorImage image({scores});
  auto table = OpenTable(image, "scores", "down");
  for (int id : {2, 7, 5, 9}) {
    table->BeginInsert();
    table->FieldNamed("id")->WriteInteger(id);
    table->PostRecord();
  }
  EXPECT_EQ(CurrentId(*table), 9);
  EXPECT_EQ(table->RecordNumber(), 1);
  EXPECT_EQ(Ids(*table), (std::vector<int>{9, 7, 5, 2}));
}

TEST(IndexOrderTest, ThousandsOfInsertsKeepTheCursorInKeyOrder) {
  TCursorImage image({DrinksTable()});
  auto table = OpenTable(image, "drinks", "id");
  const int n = 1500;  // more than one record tab chunk
  for (int i = 0; i < n; ++i) {
    const int id = (i * 7919) % n;  // every id once, scattered
    AddDrink(*table, id, "drink " + std::to_string(id));
    ASSERT_EQ(CurrentId(*table), id);
  }
  std::vector<int> expected(n);
  for (int i = 0; i < n; ++i) expected[static_cast<size_t>(i)] = i;
  EXPECT_EQ(Ids(*table), expected);
  for (int id : {0, 1, 777, n - 1}) {
    ASSERT_TRUE(table->FindByKey("id", TFieldValue{int64_t{id}}));
    EXPECT_EQ(table->FieldNamed("name")->ReadText(), "drink " + std::to_string(id));
    EXPECT_EQ(table->RecordNumber(), id + 1);
  }
}

// ---- FindByKey ----

TEST_F(KeyLookupTest, FindByKeyMovesToAnExistingKeyAndStaysOnAMissingOne) {
  int before = 0, after = 0;
  table_->BeforeScroll = [&](TTDEDataSet&) { ++before; };
  table_->AfterScroll = [&](TTDEDataSet&) { ++after; };
  EXPECT_TRUE(table_->FindByKey("id", TFieldValue{int64_t{4}}));
  EXPECT_EQ(CurrentId(*table_), 4);
  EXPECT_EQ(table_->RecordNumber(), 4);
  EXPECT_EQ(after, 1);

  EXPECT_FALSE(table_->FindByKey("id", TFieldValue{int64_t{40}}));
  EXPECT_EQ(CurrentId(*table_), 4);
  EXPECT_EQ(before, 2);
  EXPECT_EQ(after, 1);

  EXPECT_TRUE(table_->FindByKey("id", TFieldValue{std::string("2")}));  // text converts
  EXPECT_EQ(CurrentId(*table_), 2);
  EXPECT_EQ(ErrorOf([&] { table_->FindByKey("colour", TFieldValue{}); }),
            "Field 'colour' not found");
  EXPECT_EQ(ErrorOf([&] { table_->FindByKey("id", TFieldValue{std::string("x")}); }),
            "'x' is not a valid integer value for field 'id'");
  EXPECT_EQ(table_->State(), dsBrowse);
}

TEST_F(KeyLookupTest, DuplicatesGiveTheEntryTheIndexHalvingMeetsOrTheFirstWhenScanning) {
  // Index "name" is [a1, b2, b4, b3, c5]; the halving starts in the middle.
  EXPECT_TRUE(table_->FindByKey("name", TFieldValue{std::string("b")}));
  EXPECT_EQ(CurrentId(*table_), 4);
  // Ignoring case: "name" is not case-insensitive, so the cursor list is
  // scanned and the first equal record in cursor order is found.
  EXPECT_TRUE(table_->FindByKey("name", TFieldValue{std::string("B")}, loCaseInsensitive));
  EXPECT_EQ(CurrentId(*table_), 2);
  EXPECT_FALSE(table_->FindByKey("name", TFieldValue{std::string("B")}));
}

TEST(FindByKeyTest, CaseInsensitiveSearchUsesOnlyACaseInsensitiveIndex) {
  TTableDefinition guests{"guests",
                          {{"id", ftInteger}, {"name", ftString, 20}},
                          {{"id", {"id"}, tiPrimary}, {"name_ci", {"name"}, tiCaseInsensitive}}};
  TCursorImage image({guests});
  auto table = OpenTable(image, "guests");
  int id = 0;
  for (const char* name : {"gin", "Gin", "GIN"}) {
    table->BeginAppend();
    table->FieldNamed("id")->WriteInteger(++id);
    table->FieldNamed("name")->WriteText(name);
    table->PostRecord();
  }
  // name_ci is [gin1, GIN3, Gin2]: the halving meets its middle entry.
  EXPECT_TRUE(table->FindByKey("name", TFieldValue{std::string("gIn")}, loCaseInsensitive));
  EXPECT_EQ(CurrentId(*table), 3);
  // A case-sensitive search cannot use name_ci: the scan compares exactly.
  EXPECT_TRUE(table->FindByKey("name", TFieldValue{std::string("Gin")}));
  EXPECT_EQ(CurrentId(*table), 2);
  EXPECT_FALSE(table->FindByKey("name", TFieldValue{std::string("gIn")}));
}

TEST(FindByKeyTest, SeveralKeyFieldsTakeOneValueEach) {
  TTableDefinition stock{"stock",
                         {{"shelf", ftSmallint}, {"slot", ftInteger}, {"item", ftString, 10}},
                         {{"place", {"shelf", "slot"}, tiPrimary}}};
  TCursorImage image({stock});
  auto table = OpenTable(image, "stock");
  const struct { int shelf, slot; const char* item; } rows[] = {
      {1, 2, "rum"}, {2, 1, "gin"}, {1, 1, "vodka"}, {2, 2, "tequila"}};
  for (const auto& row : rows) {
    table->BeginInsert();
    table->FieldNamed("shelf")->WriteInteger(row.shelf);
    table->FieldNamed("slot")->WriteInteger(row.slot);
    table->FieldNamed("item")->WriteText(row.item);
    table->PostRecord();
  }
  EXPECT_EQ(Column(*table, "item"), (std::vector<std::string>{"vodka", "rum", "gin", "tequila"}));
  ASSERT_TRUE(table->FindByKey("shelf;slot", TFieldValues{int64_t{2}, int64_t{1}}));
  EXPECT_EQ(table->FieldNamed("item")->ReadText(), "gin");
  // The fields in another order match no index: the list is scanned.
  ASSERT_TRUE(table->FindByKey("slot; shelf", TFieldValues{int64_t{2}, int64_t{1}}));
  EXPECT_EQ(table->FieldNamed("item")->ReadText(), "rum");
  EXPECT_FALSE(table->FindByKey("shelf;slot", TFieldValues{int64_t{3}, int64_t{1}}));
}

TEST(FindByKeyTest, RecordsOutsideANarrowedCursorListAreNotFound) {
  TCursorImage image({DrinksTable()});
  TDivisibleIdsTable table(2);
  Aim(table, image, "drinks", "id");
  table.Open();
  for (int id = 1; id <= 6; ++id) AddDrink(table, id, "drink " + std::to_string(id));
  table.SetFiltered(true);
  EXPECT_EQ(table.VisibleCount(), 3);
  EXPECT_FALSE(table.FindByKey("id", TFieldValue{int64_t{3}}));
  EXPECT_TRUE(table.FindByKey("id", TFieldValue{int64_t{4}}));
  EXPECT_EQ(table.RecordNumber(), 2);
}

TEST(NarrowedCursorTest, PostsPlaceRecordsByKeyWithinTheNarrowedList) {
  TCursorImage image({DrinksTable()});
  TDivisibleIdsTable table(20);
  Aim(table, image, "drinks", "id");
  table.Open();
  for (int id = 10; id <= 80; id += 10) AddDrink(table, id, "drink " + std::to_string(id));
  table.SetFiltered(true);
  EXPECT_EQ(Ids(table), (std::vector<int>{20, 40, 60, 80}));

  AddDrink(table, 55, "fifty-five");  // joins untested, in key order
  EXPECT_EQ(CurrentId(table), 55);
  EXPECT_EQ(table.RecordNumber(), 3);

  table.SetRecordNumber(2);  // id 40
  table.BeginEdit();
  table.FieldNamed("id")->WriteInteger(75);
  table.PostRecord();
  EXPECT_EQ(CurrentId(table), 75);
  EXPECT_EQ(table.RecordNumber(), 4);
  EXPECT_EQ(Ids(table), (std::vector<int>{20, 55, 60, 75, 80}));

  table.SetFiltered(false);
  EXPECT_EQ(Ids(table), (std::vector<int>{10, 20, 30, 50, 55, 60, 70, 75, 80}));
}

// ---- LookupByKey ----

TEST_F(KeyLookupTest, LookupByKeyReadsValuesWithoutMoving) {
  table_->SetRecordNumber(2);
  int scrolls = 0;
  table_->BeforeScroll = [&](TTDEDataSet&) { ++scrolls; };
  table_->AfterScroll = [&](TTDEDataSet&) { ++scrolls; };

  TLookupResult one = table_->LookupByKey("id", TFieldValue{int64_t{5}}, "name");
  ASSERT_FALSE(one.IsNull());
  EXPECT_EQ(std::get<std::string>(one.Value()), "c");

  TLookupResult two = table_->LookupByKey("id", TFieldValue{int64_t{4}}, "name;marked");
  ASSERT_EQ(two.Values.size(), 2u);
  EXPECT_EQ(std::get<std::string>(two.Values[0]), "b");
  EXPECT_EQ(std::get<bool>(two.Values[1]), true);

  TLookupResult none = table_->LookupByKey("id", TFieldValue{int64_t{50}}, "name");
  EXPECT_TRUE(none.IsNull());
  EXPECT_TRUE(IsNullValue(none.Value()));

  EXPECT_EQ(ErrorOf([&] { table_->LookupByKey("id", TFieldValue{int64_t{5}}, "colour"); }),
            "Field 'colour' not found");
  EXPECT_EQ(scrolls, 0);
  EXPECT_EQ(table_->RecordNumber(), 2);
  EXPECT_EQ(CurrentId(*table_), 2);
  EXPECT_EQ(table_->FieldNamed("name")->ReadText(), "b");
}

TEST_F(KeyLookupTest, SelectIndexForFieldsMatchesExactKeysAndCaseOnlyForText) {
  TField* id = table_->FieldNamed("id");
  TField* name = table_->FieldNamed("name");
  EXPECT_EQ(table_->SelectIndexForFields({id}, false), 0);
  EXPECT_EQ(table_->SelectIndexForFields({id}, true), 0);  // no text: case does not matter
  EXPECT_EQ(table_->SelectIndexForFields({name}, false), 1);
  EXPECT_EQ(table_->SelectIndexForFields({name}, true), -1);
  EXPECT_EQ(table_->SelectIndexForFields({id, name}, false), -1);
}

}  // namespace
}  // namespace tinydb::cursor_test
