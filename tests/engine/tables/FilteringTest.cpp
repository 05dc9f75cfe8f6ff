// Filtering a cursor (Filter, Filtered, FilterOptions, OnFilterRecord,
// OnFilterProgress), walking the matches with the seeks, and following a
// master cursor with a master range.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CursorTestKit.h"
#include "processing/DataProcess.h"
#include "support/DatabaseSettings.h"
#include "tables/WaitCursor.h"

namespace tinydb::cursor_test {
namespace {

// The drinks of the catalogue keep their mark in an integer: 1 or 0.
TTableDefinition MarkedDrinksTable() {
  return TTableDefinition{"drinks",
                          {{"id", ftInteger, 0, false},
                           {"name", ftString, 25, false},
                           {"marked", ftInteger, 0, false}},
                          {{"id", {"id"}, tiPrimary}, {"name", {"name"}, 0}}};
}

void AddMarkedDrink(TTinyTable& table, int id, const std::string& name, int marked) {
  table.BeginAppend();
  table.FieldNamed("id")->WriteInteger(id);
  table.FieldNamed("name")->WriteText(name);
  table.FieldNamed("marked")->WriteInteger(marked);
  table.PostRecord();
}

// Drinks 1..6 on the "id" index; the even ones are marked.
class FilteringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table_ = OpenTable(image_, "drinks", "id");
    const char* names[] = {"Gin Fizz", "Margarita", "Pink Gin", "Mojito", "Gimlet", "Negroni"};
    for (int id = 1; id <= 6; ++id) AddMarkedDrink(*table_, id, names[id - 1], id % 2 == 0 ? 1 : 0);
    table_->GoFirst();
  }

  // The ids the seeks visit: |first| then |next| until it finds nothing.
  std::vector<int> Walk(bool forward = true) {
    std::vector<int> ids;
    bool found = forward ? table_->SeekFirstMatch() : table_->SeekLastMatch();
    while (found) {
      ids.push_back(CurrentId(*table_));
      found = forward ? table_->SeekNextMatch() : table_->SeekPriorMatch();
    }
    return ids;
  }

  TCursorImage image_{{MarkedDrinksTable()}};
  std::unique_ptr<TTinyTable> table_;
};

// ---- Seeks ----

TEST_F(FilteringTest, AnEmptyFilterSeeksEveryRecordAndStopsOnTheLast) {
  EXPECT_EQ(Walk(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(CurrentId(*table_), 6);
  EXPECT_EQ(table_->RecordNumber(), 6);
  EXPECT_EQ(Walk(false), (std::vector<int>{6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(CurrentId(*table_), 1);
}

TEST_F(FilteringTest, SeeksVisitOnlyMatchesWhileTheListKeepsEveryRecord) {
  table_->SetFilter("marked = 1");
  EXPECT_EQ(Walk(), (std::vector<int>{2, 4, 6}));
  EXPECT_EQ(Walk(false), (std::vector<int>{6, 4, 2}));
  EXPECT_EQ(table_->VisibleCount(), 6);

  table_->SetFilter("name LIKE '%gin%'");
  EXPECT_EQ(Walk(), (std::vector<int>{}));  // case matters without the option
  table_->SetFilterOptions(foCaseInsensitive | foNoPartialCompare);
  EXPECT_EQ(Walk(), (std::vector<int>{1, 3}));
  EXPECT_EQ(table_->Filter(), "name LIKE '%gin%'");

  table_->SetRecordNumber(4);  // continue from the middle, both ways
  EXPECT_TRUE(table_->SeekPriorMatch());
  EXPECT_EQ(CurrentId(*table_), 3);
  table_->SetRecordNumber(2);
  EXPECT_TRUE(table_->SeekNextMatch());
  EXPECT_EQ(CurrentId(*table_), 3);
}

TEST_F(FilteringTest, SeekingPastTheLastMatchKeepsTheRecordAndRaisesNoAfterScroll) {
  table_->SetFilter("id <> 5");
  table_->GoLast();
  int before = 0, after = 0;
  table_->BeforeScroll = [&](TTDEDataSet&) { ++before; };
  table_->AfterScroll = [&](TTDEDataSet&) { ++after; };
  EXPECT_FALSE(table_->SeekNextMatch());
  EXPECT_EQ(CurrentId(*table_), 6);
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 0);
  EXPECT_TRUE(table_->SeekPriorMatch());  // skips 5
  EXPECT_EQ(CurrentId(*table_), 4);
  EXPECT_EQ(after, 1);
}

TEST_F(FilteringTest, SeeksWalkOnlyTheFilteredList) {
  table_->SetFilter("marked = 1");
  table_->SetFiltered(true);
  table_->SetFilter("marked = 1");  // the same text: nothing happens
  EXPECT_EQ(table_->VisibleCount(), 3);
  table_->SetFiltered(false);
  table_->SetFilter("id > 3");
  table_->SetFiltered(true);
  table_->SetFilter("id < 6");  // a new text while Filtered: from the whole index again
  EXPECT_EQ(Ids(*table_), (std::vector<int>{1, 2, 3, 4, 5}));
  table_->OnFilterRecord = [](TTDEDataSet& ds, bool& accept) {
    accept = ds.FieldNamed("marked")->ReadInteger() == 1;
  };
  EXPECT_EQ(Walk(), (std::vector<int>{2, 4}));
}

// ---- Filtered ----

TEST_F(FilteringTest, AFilterThatAcceptsNothingLeavesAnEmptyCursor) {
  table_->SetFilter("id > 100");
  table_->SetFiltered(true);
  EXPECT_TRUE(table_->FilterActive());
  EXPECT_EQ(table_->VisibleCount(), 0);
  EXPECT_TRUE(table_->AtBeginning());
  EXPECT_TRUE(table_->AtEnd());
  EXPECT_EQ(table_->RecordNumber(), 0);
  EXPECT_FALSE(table_->SeekFirstMatch());
  EXPECT_TRUE(table_->FieldNamed("id")->IsNull());

  table_->SetFiltered(false);
  EXPECT_EQ(Ids(*table_), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST_F(FilteringTest, SettingFilteredToItsValueStillMakesTheFirstRecordCurrent) {
  for (bool filtered : {false, true}) {
    table_->SetFilter("marked = 1");
    table_->SetFiltered(filtered);
    table_->GoLast();
    table_->SetFiltered(filtered);
    EXPECT_EQ(CurrentId(*table_), filtered ? 2 : 1);
    EXPECT_TRUE(table_->AtBeginning());
  }
}

TEST_F(FilteringTest, ASyntaxErrorChangesNothing) {
  table_->SetFilter("marked = 1");
  table_->SetFiltered(true);
  table_->GoLast();
  for (const char* bad : {"marked = ", "id > > 2", "colour = 'red'"}) {
    EXPECT_THROW(table_->SetFilter(bad), EDatabaseError) << bad;
    EXPECT_EQ(table_->Filter(), "marked = 1");
    EXPECT_EQ(table_->VisibleCount(), 3);
    EXPECT_EQ(CurrentId(*table_), 6);
    EXPECT_EQ(Walk(), (std::vector<int>{2, 4, 6}));  // the old filter still seeks
    table_->GoLast();
  }
  table_->SetName("drinkTable");
  EXPECT_EQ(ErrorOf([&] { table_->SetFilter("colour = 'red'"); }),
            "drinkTable: Field 'colour' not found");
}

TEST_F(FilteringTest, ChangingTheFilterWhileNotFilteredLeavesTheList) {
  table_->SetRecordNumber(3);
  table_->SetFilter("id > 4");
  EXPECT_FALSE(table_->FilterActive());
  EXPECT_EQ(table_->VisibleCount(), 6);
  EXPECT_EQ(CurrentId(*table_), 3);
  EXPECT_THROW(table_->SetFilter("id >"), EDatabaseError);  // still compiled at once
  EXPECT_EQ(table_->Filter(), "id > 4");
}

TEST_F(FilteringTest, AFilterSetWhileClosedIsAppliedWhenTheCursorOpens) {
  TTinyTable table;
  Aim(table, image_, "drinks", "id");
  table.SetFilter("id >");  // not compiled while closed
  table.SetFiltered(true);
  EXPECT_THROW(table.Open(), EDatabaseError);
  EXPECT_TRUE(table.Active());  // the filter fails after the cursor is open
  EXPECT_EQ(table.VisibleCount(), 6);
  table.Close();
  table.SetFilter("marked = 0");
  table.Open();
  EXPECT_EQ(Ids(table), (std::vector<int>{1, 3, 5}));
}

TEST_F(FilteringTest, ProgressReportsTheWholePercentOfRecordsTestedBeforeEach) {
  std::vector<int> percents;
  table_->OnFilterProgress = [&](void* sender, int percent) {
    EXPECT_EQ(sender, table_.get());
    percents.push_back(percent);
  };
  table_->SetFilter("id <= 4");
  table_->SetFiltered(true);
  EXPECT_EQ(percents, (std::vector<int>{0, 16, 33, 50, 66, 83}));
  percents.clear();
  table_->SetFilter("id <= 2");  // rebuilt from the whole index: six tested again
  EXPECT_EQ(percents.size(), 6u);
}

TEST(FilterProgressTest, FourRecordsReportZeroTwentyFiveFiftySeventyFive) {
  TCursorImage image({DrinksTable()});
  auto four = OpenTable(image, "drinks", "id");
  for (int id = 1; id <= 4; ++id) AddDrink(*four, id, "drink");
  std::vector<int> percents;
  four->OnFilterProgress = [&](void*, int percent) { percents.push_back(percent); };
  four->SetFiltered(true);
  EXPECT_EQ(percents, (std::vector<int>{0, 25, 50, 75}));
}

TEST_F(FilteringTest, ARejectingHandlerKeepsTheExpressionFromBeingEvaluated) {
  table_->SetFilter("100 / (id - 3) > 0");  // would divide by zero on id 3
  int asked = 0;
  table_->OnFilterRecord = [&](TTDEDataSet& ds, bool& accept) {
    ++asked;
    accept = ds.FieldNamed("id")->ReadInteger() > 3;
  };
  table_->SetFiltered(true);
  EXPECT_EQ(asked, 6);
  EXPECT_EQ(Ids(*table_), (std::vector<int>{4, 5, 6}));
}

TEST_F(FilteringTest, AnEvaluationErrorReturnsToTheRecordThatWasCurrent) {
  table_->SetFilter("100 / (id - 3) > 0");
  table_->SetRecordNumber(2);
  EXPECT_THROW(table_->SeekNextMatch(), EZeroDivide);
  EXPECT_EQ(CurrentId(*table_), 2);
  EXPECT_EQ(table_->RecordNumber(), 2);
  EXPECT_EQ(table_->State(), dsBrowse);
  EXPECT_EQ(table_->FieldNamed("name")->ReadText(), "Margarita");
  table_->SetRecordNumber(5);
  EXPECT_THROW(table_->SeekFirstMatch(), EZeroDivide);
  EXPECT_EQ(CurrentId(*table_), 5);

  // Switching the filter on: nothing changes.
  EXPECT_THROW(table_->SetFiltered(true), EZeroDivide);
  EXPECT_FALSE(table_->Filtered());
  EXPECT_EQ(table_->VisibleCount(), 6);
  EXPECT_EQ(CurrentId(*table_), 5);

  // A new text while filtered: the old text comes back over the whole list.
  table_->SetFilter("marked = 1");
  table_->SetFiltered(true);
  EXPECT_THROW(table_->SetFilter("100 / (id - 3) > 0"), EZeroDivide);
  EXPECT_EQ(table_->Filter(), "marked = 1");
  EXPECT_TRUE(table_->Filtered());
  EXPECT_FALSE(table_->FilterActive());
  EXPECT_EQ(table_->VisibleCount(), 6);
  EXPECT_EQ(CurrentId(*table_), 1);

  // A throwing handler counts the same.
  table_->SetFilter("");
  table_->SetRecordNumber(3);
  table_->OnFilterRecord = [](TTDEDataSet& ds, bool& accept) {
    accept = false;
    if (ds.FieldNamed("id")->ReadInteger() == 5) throw EDatabaseError("no");
  };
  EXPECT_THROW(table_->SeekLastMatch(), EDatabaseError);
  EXPECT_EQ(CurrentId(*table_), 3);
}

TEST_F(FilteringTest, PostsWhileFilteredJoinUntestedInKeyOrder) {
  table_->SetFilter("marked = 1");
  table_->SetFiltered(true);
  AddMarkedDrink(*table_, 7, "Daiquiri", 0);
  EXPECT_EQ(CurrentId(*table_), 7);
  EXPECT_EQ(table_->RecordNumber(), 4);
  table_->SetRecordNumber(3);  // id 6 moves to the front
  table_->BeginEdit();
  table_->FieldNamed("id")->WriteInteger(0);
  table_->PostRecord();
  EXPECT_EQ(table_->RecordNumber(), 1);
  EXPECT_EQ(Ids(*table_), (std::vector<int>{0, 2, 4, 7}));
  table_->RefreshCursor();  // tested again: the unmarked one leaves
  EXPECT_EQ(Ids(*table_), (std::vector<int>{0, 2, 4}));
}

TEST_F(FilteringTest, TheWaitCursorShowsWhileTheFilterIsApplied) {
  std::vector<int> shown;
  SetWaitCursorHandler([&](int cursor) { shown.push_back(cursor); });
  table_->SetFilter("marked = 1");
  table_->SetFiltered(true);
  EXPECT_EQ(shown, (std::vector<int>{kDatabaseWaitCursor, kDefaultCursor}));
  table_->SetFiltered(false);
  shown.clear();
  table_->SetFilter("100 / (id - 3) > 0");
  EXPECT_THROW(table_->SetFiltered(true), EZeroDivide);
  EXPECT_EQ(shown, (std::vector<int>{kDatabaseWaitCursor, kDefaultCursor}));
  shown.clear();
  table_->Session().SetSQLHourGlass(false);
  table_->SetFilter("marked = 1");
  table_->SetFiltered(true);
  table_->Session().SetSQLHourGlass(true);
  SetWaitCursorHandler(nullptr);
  EXPECT_TRUE(shown.empty());
}

TEST_F(FilteringTest, CalculatedFieldsTakePartInTheFilter) {
  TTinyTable table;
  Aim(table, image_, "drinks", "id");
  TField* id = table.DefineField("id");
  table.DefineField("marked");
  TField* twice = table.DefineCalculatedField("twice", ftInteger);
  table.OnCalcFields = [&](TTDEDataSet&) { twice->WriteInteger(id->ReadInteger() * 2); };
  table.Open();
  table.SetFilter("twice > 6 AND marked = 1");
  std::vector<int> ids;
  for (bool found = table.SeekFirstMatch(); found; found = table.SeekNextMatch())
    ids.push_back(id->ReadInteger() * 100 + twice->ReadInteger());
  EXPECT_EQ(ids, (std::vector<int>{408, 612}));
  EXPECT_EQ(ErrorOf([&] { table.SetFilter("name = 'x'"); }), "Field 'name' not found");
}

TEST(LongFilterTest, AHundredThousandTermOrFilterNarrowsASmallTable) {
  TCursorImage image({DrinksTable()});
  auto table = OpenTable(image, "drinks", "id");
  for (int id : {7, 99999, 100000, 100001}) AddDrink(*table, id, "drink");
  std::string text = "id = 1";
  text.reserve(1500000);
  for (int id = 2; id <= 100000; ++id) text += " OR id = " + std::to_string(id);
  table->SetFilter(text);
  table->SetFiltered(true);
  EXPECT_EQ(Ids(*table), (std::vector<int>{7, 99999, 100000}));
}

// ---- Blob values ----

TEST(BlobFilterTest, MemoTextsAreReadFromCompressedEncryptedValues) {
  RegisterStandardModules();
  const TDatabaseSettings settings = test::CompressedEncrypted("Blowfish", 1, "fizz");
  TCursorImage image({TTableDefinition{"drinks",
                                       {{"id", ftInteger, 0, false}, {"ingred", ftMemo, 0, false}},
                                       {{"id", {"id"}, tiPrimary}}}},
                     settings);
  TTinyTable table;
  Aim(table, image, "drinks", "id");
  table.SetPassword("fizz");
  table.Open();
  const std::vector<std::string> ingredients = {"2 oz Gin\n1 oz lime", "2 oz rum",
                                                "1 oz GIN\n1 dash bitters",
                                                std::string(5000, 'x') + " ginger ale"};
  for (int id = 1; id <= 4; ++id) {
    table.BeginAppend();
    table.FieldNamed("id")->WriteInteger(id);
    table.FieldNamed("ingred")->WriteText(ingredients[static_cast<size_t>(id - 1)]);
    table.PostRecord();
  }
  table.SetFilterOptions(foCaseInsensitive | foNoPartialCompare);
  table.SetFilter("ingred LIKE '%gin%'");
  table.SetFiltered(true);
  EXPECT_EQ(Ids(table), (std::vector<int>{1, 3, 4}));
  table.SetFilter("ingred LIKE '%Gin%' AND id < 4");
  table.SetFilterOptions(0);
  EXPECT_EQ(Ids(table), (std::vector<int>{1}));
}

// ---- Master range ----

// Recipe lines keyed by (drink, line); master drinks come from DrinksTable.
TTableDefinition LinesTable() {
  return TTableDefinition{"lines",
                          {{"drink", ftInteger, 0, false},
                           {"line", ftInteger, 0, false},
                           {"text", ftString, 30, false}},
                          {{"key", {"drink", "line"}, tiPrimary}, {"text", {"text"}, 0}}};
}

class MasterRangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    master_ = OpenTable(image_, "drinks", "id");
    for (int id : {3, 7, 9}) AddDrink(*master_, id, "drink " + std::to_string(id));
    detail_ = OpenTable(image_, "lines");
    // Appended out of order; the key index sorts them.
    const int lines[][2] = {{7, 2}, {3, 1}, {7, 1}, {8, 1}, {7, 3}, {3, 2}, {70, 1}};
    for (const auto& l : lines) AddLine(l[0], l[1]);
    master_->GoFirst();
  }

  void AddLine(int drink, int line) {
    detail_->BeginAppend();
    detail_->FieldNamed("drink")->WriteInteger(drink);
    detail_->FieldNamed("line")->WriteInteger(line);
    detail_->FieldNamed("text")->WriteText(std::to_string(drink) + "." + std::to_string(line));
    detail_->PostRecord();
  }

  std::vector<std::string> Lines() { return Column(*detail_, "text"); }

  TCursorImage image_{{DrinksTable(), LinesTable()}};
  std::unique_ptr<TTinyTable> master_;
  std::unique_ptr<TTinyTable> detail_;
  TDataSource source_;
};

TEST_F(MasterRangeTest, TheDetailShowsTheLinesOfTheMastersCurrentRecord) {
  source_.SetDataSet(master_.get());
  detail_->SetMasterSource(&source_);
  detail_->SetMasterFields("ID");
  EXPECT_TRUE(detail_->RangeActive());
  EXPECT_EQ(Lines(), (std::vector<std::string>{"3.1", "3.2"}));

  master_->GoNext();  // id 7
  EXPECT_EQ(Lines(), (std::vector<std::string>{"7.1", "7.2", "7.3"}));
  EXPECT_EQ(detail_->VisibleCount(), 3);

  master_->GoNext();  // id 9: no lines
  EXPECT_EQ(detail_->VisibleCount(), 0);
  EXPECT_TRUE(detail_->AtBeginning());
  EXPECT_TRUE(detail_->AtEnd());

  // A line posted inside the range joins it in key order.
  master_->GoPrior();
  detail_->GoFirst();
  AddLine(7, 0);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"7.0", "7.1", "7.2", "7.3"}));

  // The master closing ends the range.
  master_->Close();
  EXPECT_FALSE(detail_->RangeActive());
  EXPECT_EQ(detail_->VisibleCount(), 8);
  master_->Open();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"3.1", "3.2"}));
  detail_->SetMasterFields("");
  EXPECT_FALSE(detail_->RangeActive());
  EXPECT_EQ(detail_->VisibleCount(), 8);
}

TEST_F(MasterRangeTest, TheRangeFollowsOpeningIndexChangesRefreshesAndTheFilter) {
  source_.SetDataSet(master_.get());
  detail_->Close();
  detail_->SetMasterSource(&source_);
  detail_->SetMasterFields("id");
  master_->GoNext();  // id 7
  detail_->SetFilter("line > 1");
  detail_->SetFiltered(true);
  detail_->Open();  // range first, then the filter
  EXPECT_EQ(Lines(), (std::vector<std::string>{"7.2", "7.3"}));
  detail_->SetFiltered(false);  // widens to the range, not the table
  EXPECT_EQ(Lines(), (std::vector<std::string>{"7.1", "7.2", "7.3"}));

  // Another cursor adds a line of drink 7; a refresh cuts the range again.
  auto other = OpenTable(image_, "lines");
  other->BeginAppend();
  other->FieldNamed("drink")->WriteInteger(7);
  other->FieldNamed("line")->WriteInteger(9);
  other->FieldNamed("text")->WriteText("7.9");
  other->PostRecord();
  detail_->RefreshCursor();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"7.1", "7.2", "7.3", "7.9"}));

  // An index whose first key field is text compares it with the master's id.
  detail_->SetIndexName("text");
  EXPECT_EQ(Lines(), (std::vector<std::string>{}));
  detail_->SetIndexName("key");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"7.1", "7.2", "7.3", "7.9"}));
}

TEST_F(MasterRangeTest, EditingAMasterFieldMovesTheRange) {
  source_.SetDataSet(master_.get());
  detail_->SetMasterSource(&source_);
  detail_->SetMasterFields("id");
  master_->BeginEdit();
  master_->FieldNamed("id")->WriteInteger(8);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"8.1"}));
  master_->FieldNamed("name")->WriteText("renamed");  // not a master field
  EXPECT_EQ(Lines(), (std::vector<std::string>{"8.1"}));
  master_->CancelRecord();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"3.1", "3.2"}));
}

TEST_F(MasterRangeTest, LinksThatWouldLoopAndUnknownNamesAreRefused) {
  source_.SetDataSet(master_.get());
  detail_->SetMasterSource(&source_);
  TDataSource detail_source(detail_.get());
  detail_->SetName("lineTable");
  EXPECT_EQ(ErrorOf([&] { master_->SetMasterSource(&detail_source); }),
            "Circular datalinks are not allowed");
  EXPECT_EQ(master_->MasterSource(), nullptr);
  TDataSource itself(detail_.get());
  EXPECT_EQ(ErrorOf([&] { detail_->SetMasterSource(&itself); }),
            "lineTable: Circular datalinks are not allowed");
  EXPECT_EQ(detail_->MasterSource(), &source_);
  // Pointing the master's source at the detail would close the loop too.
  TTinyTable third;
  TDataSource third_source(&third);
  master_->SetMasterSource(&third_source);
  EXPECT_THROW(third_source.SetDataSet(detail_.get()), EDatabaseError);
  EXPECT_EQ(third_source.DataSet(), &third);
  master_->SetMasterSource(nullptr);

  detail_->SetMasterFields("id");
  master_->SetName("drinkTable");
  EXPECT_EQ(ErrorOf([&] { detail_->SetMasterFields("id;colour"); }),
            "drinkTable: Field 'colour' not found");
  EXPECT_EQ(detail_->MasterFields(), "id");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"3.1", "3.2"}));
}

TEST_F(MasterRangeTest, ADestroyedMasterEndsTheRange) {
  auto source = std::make_unique<TDataSource>(master_.get());
  detail_->SetMasterSource(source.get());
  detail_->SetMasterFields("id");
  EXPECT_EQ(detail_->VisibleCount(), 2);
  master_.reset();
  EXPECT_FALSE(detail_->RangeActive());
  EXPECT_EQ(detail_->VisibleCount(), 7);
  EXPECT_EQ(source->DataSet(), nullptr);
  source.reset();
  EXPECT_EQ(detail_->MasterSource(), nullptr);
}

}  // namespace
}  // namespace tinydb::cursor_test
