// The table cursor: opening and closing, navigation, field values,
// bookmarks, editing, events and errors.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "CursorTestKit.h"
#include "platform/Calendar.h"
#include "support/DatabaseSettings.h"

namespace tinydb::cursor_test {
namespace {

class TableTest : public ::testing::Test {
 protected:
  // Drinks 1..n named "drink 1".."drink n", in a fresh image.
  std::unique_ptr<TTinyTable> Drinks(int n) {
    auto table = OpenTable(image_, "drinks", "id");
    for (int id = 1; id <= n; ++id) AddDrink(*table, id, "drink " + std::to_string(id));
    table->GoFirst();
    return table;
  }

  TCursorImage image_{{DrinksTable()}};
};

// ---- Opening and closing ----

TEST_F(TableTest, OpeningBuildsDefinitionsAndFieldsAndShowsTheFirstRecord) {
  auto table = Drinks(3);
  table->Close();
  table->Open();
  ASSERT_TRUE(table->Active());
  ASSERT_EQ(table->FieldDefs().size(), 3u);
  EXPECT_EQ(table->FieldDefs()[1].Name, "name");
  EXPECT_EQ(table->FieldDefs()[1].Size, 25);
  EXPECT_EQ(table->FieldDefs()[2].Size, 0);
  EXPECT_EQ(table->FieldDefs()[2].FieldNo, 3);
  ASSERT_EQ(table->IndexDefs().size(), 2u);
  EXPECT_EQ(table->IndexDefs()[0].Fields, "id");
  EXPECT_EQ(table->IndexDefs()[0].Options, tiPrimary);
  ASSERT_EQ(table->FieldCount(), 3);
  EXPECT_EQ(table->Fields(1)->FieldNo(), 2);
  EXPECT_EQ(table->Fields(1)->DataSize(), 26);
  EXPECT_EQ(table->Fields(2)->DataSize(), 2);
  EXPECT_EQ(CurrentId(*table), 1);
  EXPECT_TRUE(table->AtBeginning());
  EXPECT_FALSE(table->AtEnd());
  EXPECT_EQ(table->State(), dsBrowse);

  table->Close();
  EXPECT_FALSE(table->Active());
  EXPECT_EQ(table->FieldCount(), 0);  // the fields it created are gone
  EXPECT_EQ(table->Database(), nullptr);
}

TEST_F(TableTest, UnknownTableFailsAndLeavesTheCursorClosedAndUnbound) {
  TTinyTable table;
  Aim(table, image_, "cocktails");
  EXPECT_EQ(ErrorOf([&] { table.Open(); }), "Table 'cocktails' not found");
  EXPECT_FALSE(table.Active());
  EXPECT_EQ(table.Database(), nullptr);

  table.SetName("drinkTable");
  EXPECT_EQ(ErrorOf([&] { table.Open(); }), "drinkTable: Table 'cocktails' not found");
}

TEST_F(TableTest, ClosedCursorRefusesOperationsAndOpenCursorRefusesRenaming) {
  TTinyTable table;
  table.SetName("drinkTable");
  const std::string closed = "drinkTable: Cannot perform this operation on a closed dataset";
  EXPECT_EQ(ErrorOf([&] { table.GoFirst(); }), closed);
  EXPECT_EQ(ErrorOf([&] { table.BeginInsert(); }), closed);
  EXPECT_EQ(ErrorOf([&] { table.RecordNumber(); }), closed);

  Aim(table, image_, "drinks");
  table.Open();
  const std::string open = "drinkTable: Cannot perform this operation on an open dataset";
  EXPECT_EQ(ErrorOf([&] { table.SetTableName("other"); }), open);
  EXPECT_EQ(ErrorOf([&] { table.SetDatabaseName("other"); }), open);
  EXPECT_EQ(table.TableName(), "drinks");
}

TEST_F(TableTest, SettingTheDatabaseNameEmptiesTableAndIndexEvenWhenUnchanged) {
  TTinyTable table;
  Aim(table, image_, "drinks", "id");
  table.SetDatabaseName(image_.Name());
  EXPECT_EQ(table.DatabaseName(), image_.Name());
  EXPECT_EQ(table.TableName(), "");
  EXPECT_EQ(table.IndexName(), "");
}

TEST_F(TableTest, CancelledLoginLeavesTheCursorClosedSilently) {
  TDatabaseSettings settings;
  settings.Encrypted = true;
  settings.EncryptAlgo = "Blowfish";
  settings.Password = "fizzo";
  TCursorImage locked({DrinksTable()}, settings);

  struct TCancel : TLoginPrompt {
    bool AskPassword(const std::string&, std::string*) override { return false; }
  } cancel;
  SetLoginPrompt(&cancel);
  TTinyTable table;
  Aim(table, locked, "drinks");
  EXPECT_NO_THROW(table.Open());
  SetLoginPrompt(nullptr);
  EXPECT_FALSE(table.Active());
  EXPECT_EQ(table.Database(), nullptr);
}

TEST_F(TableTest, EncryptedAndCompressedValuesRoundTripThroughTheCursor) {
  const TDatabaseSettings settings = test::CompressedEncrypted("Twofish", 0, "fizzo");
  TTableDefinition notes{"notes", {{"id", ftInteger}, {"body", ftMemo}}, {{"id", {"id"}, tiPrimary}}};
  TCursorImage image({notes}, settings);

  TTinyTable table;
  Aim(table, image, "notes");
  table.SetPassword("fizzo");
  table.Open();
  const std::string body(3000, 'g');
  table.BeginInsert();
  table.FieldNamed("id")->WriteInteger(7);
  table.FieldNamed("body")->WriteText(body);
  table.PostRecord();
  table.Close();

  table.SetPassword("fizzo");
  table.Open();
  EXPECT_EQ(table.FieldNamed("id")->ReadInteger(), 7);
  EXPECT_EQ(table.FieldNamed("body")->ReadText(), body);
}

// ---- Navigation ----

TEST_F(TableTest, EmptyCursorHasBothEndsSetAndNoRecord) {
  auto table = OpenTable(image_, "drinks");
  EXPECT_TRUE(table->AtBeginning());
  EXPECT_TRUE(table->AtEnd());
  EXPECT_EQ(table->RecordNumber(), 0);
  EXPECT_EQ(table->VisibleCount(), 0);
  EXPECT_FALSE(table->SaveBookmark().has_value());
  EXPECT_TRUE(table->FieldNamed("id")->IsNull());
  EXPECT_EQ(table->FieldNamed("name")->ReadText(), "");
  EXPECT_EQ(ErrorOf([&] { table->DeleteCurrent(); }),
            "Cannot perform this operation on an empty dataset");

  table->BeginEdit();  // nothing to edit: starts an insert
  EXPECT_EQ(table->State(), dsInsert);
}

TEST_F(TableTest, WalkingFromFirstToEndVisitsEveryRecordOnceInOrder) {
  auto table = Drinks(4);
  EXPECT_EQ(Ids(*table), (std::vector<int>{1, 2, 3, 4}));

  std::vector<int> backwards;
  for (table->GoLast(); !table->AtBeginning(); table->GoPrior())
    backwards.push_back(CurrentId(*table));
  EXPECT_EQ(backwards, (std::vector<int>{4, 3, 2, 1}));
}

TEST_F(TableTest, GoNextAtTheEndKeepsTheLastRecordAndThenStopsScrolling) {
  auto table = Drinks(2);
  int after_scroll = 0;
  table->AfterScroll = [&](TTDEDataSet&) { ++after_scroll; };
  table->GoNext();
  EXPECT_EQ(CurrentId(*table), 2);
  EXPECT_FALSE(table->AtEnd());
  table->GoNext();  // no record after the last
  EXPECT_EQ(CurrentId(*table), 2);
  EXPECT_TRUE(table->AtEnd());
  EXPECT_EQ(after_scroll, 2);
  table->GoNext();  // already at the end
  EXPECT_EQ(after_scroll, 2);
  EXPECT_EQ(CurrentId(*table), 2);

  table->GoFirst();
  table->GoPrior();
  EXPECT_TRUE(table->AtBeginning());
  EXPECT_EQ(CurrentId(*table), 1);
}

TEST_F(TableTest, RecordNumberMovesOnlyToPlacesInTheList) {
  struct Case {
    int from;
    int set;
    int expected_id;
  };
  const Case cases[] = {
      {3, 0, 1},   // 0 makes the first record current
      {1, 2, 2},   {1, 4, 4},
      {2, 5, 2},   // VisibleCount + 1: nothing
      {2, -1, 2},  // negative: nothing
  };
  auto table = Drinks(4);
  for (const Case& c : cases) {
    table->SetRecordNumber(c.from);
    table->SetRecordNumber(c.set);
    EXPECT_EQ(CurrentId(*table), c.expected_id) << "from " << c.from << " set " << c.set;
    EXPECT_EQ(table->RecordNumber(), c.expected_id);
  }
}

TEST_F(TableTest, BookmarksReturnToTheRecordUntilItIsDeleted) {
  auto table = Drinks(3);
  table->SetRecordNumber(2);
  std::optional<int32_t> mark = table->SaveBookmark();
  ASSERT_TRUE(mark.has_value());
  table->GoLast();
  table->ReturnToBookmark(*mark);
  EXPECT_EQ(CurrentId(*table), 2);

  table->DeleteCurrent();
  EXPECT_EQ(ErrorOf([&] { table->ReturnToBookmark(*mark); }), "Bookmark not found");
  EXPECT_EQ(CurrentId(*table), 3);

  table->BeginInsert();
  EXPECT_FALSE(table->SaveBookmark().has_value());
}

// ---- Field values ----

TEST_F(TableTest, TextConversionsOfStringIntegerAndBooleanFields) {
  auto table = Drinks(1);
  table->BeginEdit();
  TField* name = table->FieldNamed("name");
  TField* id = table->FieldNamed("id");
  TField* marked = table->FieldNamed("marked");

  name->WriteText("A name much longer than twenty-five characters");
  EXPECT_EQ(name->ReadText(), "A name much longer than t");

  id->WriteText(" -42 ");
  EXPECT_EQ(id->ReadInteger(), -42);
  EXPECT_EQ(id->ReadText(), "-42");
  EXPECT_EQ(ErrorOf([&] { id->WriteText("4x2"); }),
            "'4x2' is not a valid integer value for field 'id'");
  EXPECT_EQ(id->ReadInteger(), -42);

  struct Case {
    const char* text;
    bool expected;
  };
  for (const Case& c : {Case{"True", true}, Case{"f", false}, Case{"TR", true},
                        Case{"fAlS", false}, Case{"t", true}, Case{"FALSE", false}}) {
    marked->WriteText(c.text);
    EXPECT_EQ(marked->ReadBoolean(), c.expected) << c.text;
    EXPECT_EQ(marked->ReadText(), c.expected ? "True" : "False");
  }
  for (const char* bad : {"yes", "Truest", "0"}) {
    EXPECT_EQ(ErrorOf([&] { marked->WriteText(bad); }),
              std::string("'") + bad + "' is not a valid boolean value for field 'marked'");
  }
  EXPECT_FALSE(marked->ReadBoolean());
}

TEST_F(TableTest, SetNullOnAStoredFieldChangesNothing) {
  auto table = Drinks(1);
  table->BeginEdit();
  TField* id = table->FieldNamed("id");
  id->SetNull();
  EXPECT_FALSE(id->IsNull());
  EXPECT_EQ(id->ReadInteger(), 1);
  EXPECT_FALSE(table->Modified());
}

TEST_F(TableTest, WritingInBrowseStateIsRefused) {
  auto table = Drinks(1);
  EXPECT_EQ(ErrorOf([&] { table->FieldNamed("name")->WriteText("x"); }),
            "Dataset not in edit or insert mode");
  EXPECT_EQ(table->FieldNamed("name")->ReadText(), "drink 1");
}

TEST_F(TableTest, UnknownFieldNameIsReported) {
  auto table = Drinks(1);
  EXPECT_EQ(ErrorOf([&] { table->FieldNamed("colour"); }), "Field 'colour' not found");
  EXPECT_EQ(table->FieldNamed("NAME"), table->FieldNamed("name"));
}

TEST_F(TableTest, AccentedFieldAndIndexNamesMatchIgnoringCase) {
  // "Année" and "Crème" in Windows-1252, asked for in capitals.
  const std::string year = "Ann\xE9" "e";
  TCursorImage image({TTableDefinition{"notes",
                                       {{"id", ftInteger, 0, false}, {year, ftInteger, 0, false}},
                                       {{"id", {"id"}, tiPrimary}, {"Cr\xE8me", {year}, 0}}}});
  auto table = OpenTable(image, "notes", "CR\xC8ME");
  ASSERT_NE(table->FieldNamed("ANN\xC9" "E"), nullptr);
  EXPECT_EQ(table->FieldNamed("ANN\xC9" "E"), table->FieldNamed(year));
  for (int id = 1; id <= 3; ++id) {
    table->BeginAppend();
    table->FieldNamed("id")->WriteInteger(id);
    table->FieldNamed("ANN\xC9" "E")->WriteInteger(10 - id);
    table->PostRecord();
  }
  EXPECT_EQ(Ids(*table), (std::vector<int>{3, 2, 1}));  // the order of "Crème"
}

TEST_F(TableTest, NewRecordStartsWithTodayNowAndTheZeroDateTime) {
  TTableDefinition log{"log",
                       {{"day", ftDate}, {"at", ftTime}, {"stamp", ftDateTime}, {"n", ftInteger}},
                       {}};
  TCursorImage image({log});
  auto table = OpenTable(image, "log");
  const int32_t before_ms = TimeOfDayMSecs();
  table->BeginInsert();
  const int32_t after_ms = TimeOfDayMSecs();

  int32_t day = 0, ms = 0;
  double stamp = 0;
  ASSERT_TRUE(table->FieldNamed("day")->GetData(&day));
  ASSERT_TRUE(table->FieldNamed("at")->GetData(&ms));
  ASSERT_TRUE(table->FieldNamed("stamp")->GetData(&stamp));
  EXPECT_EQ(day, TodayDayNumber());
  if (before_ms <= after_ms) {  // not across midnight
    EXPECT_GE(ms, before_ms);
    EXPECT_LE(ms, after_ms);
  }
  EXPECT_EQ(stamp, 693594.0 * 86400000.0);
  EXPECT_EQ(table->FieldNamed("stamp")->ReadDateTime(), 0.0);
  EXPECT_EQ(table->FieldNamed("n")->ReadInteger(), 0);
}

TEST_F(TableTest, DateAndTimeValuesConvertThroughDayNumbersAndMilliseconds) {
  TTableDefinition log{"log", {{"day", ftDate}, {"at", ftTime}, {"stamp", ftDateTime}}, {}};
  TCursorImage image({log});
  auto table = OpenTable(image, "log");
  table->BeginInsert();
  TField* day = table->FieldNamed("day");
  TField* at = table->FieldNamed("at");
  TField* stamp = table->FieldNamed("stamp");

  // 2 January 1900, 06:00 is date-time 3.25.
  day->WriteDateTime(3.25);
  int32_t day_number = 0;
  day->GetData(&day_number);
  EXPECT_EQ(day_number, 693597);
  EXPECT_EQ(day->ReadDateTime(), 3.0);
  EXPECT_EQ(day->ReadText(), "1900-01-02");

  at->WriteDateTime(3.25);
  int32_t ms = 0;
  at->GetData(&ms);
  EXPECT_EQ(ms, 6 * 3600 * 1000);
  EXPECT_EQ(at->ReadDateTime(), 0.25);
  EXPECT_EQ(at->ReadText(), "06:00:00");

  stamp->WriteDateTime(3.25);
  double total = 0;
  stamp->GetData(&total);
  EXPECT_EQ(total, 693597.0 * 86400000.0 + 6 * 3600 * 1000);
  EXPECT_EQ(stamp->ReadDateTime(), 3.25);
  EXPECT_EQ(stamp->ReadText(), "1900-01-02 06:00:00");

  stamp->WriteText("2003-07-14 21:30:15");
  EXPECT_EQ(stamp->ReadText(), "2003-07-14 21:30:15");
  EXPECT_THROW(day->WriteText("2003-02-30"), EConvertError);

  const int32_t nothing = 0;  // day 0 does not convert: reads as 0
  day->SetData(&nothing);
  EXPECT_EQ(day->ReadDateTime(), 0.0);
}

TEST_F(TableTest, MemoValuesGoThroughBlobStreamsAndRawAccessIsRefused) {
  TTableDefinition notes{"notes", {{"id", ftInteger}, {"body", ftMemo}}, {{"id", {"id"}, tiPrimary}}};
  TCursorImage image({notes});
  auto table = OpenTable(image, "notes");
  TField* body = table->FieldNamed("body");
  EXPECT_EQ(body->DataSize(), 4);

  table->BeginInsert();
  table->FieldNamed("id")->WriteInteger(1);
  {
    auto stream = table->OpenBlobStream(body, bmWrite);
    stream->WriteBuffer("Shake ", 6);
    stream->WriteBuffer("well.", 5);
  }
  table->PostRecord();
  EXPECT_EQ(body->ReadText(), "Shake well.");

  char raw[4];
  EXPECT_EQ(ErrorOf([&] { body->GetData(raw); }), "General error");
  EXPECT_EQ(ErrorOf([&] { body->ReadInteger(); }), "General error");
  auto reader = table->OpenBlobStream(body, bmRead);
  EXPECT_EQ(reader->Size(), 11);
  EXPECT_EQ(reader->Write("x", 1), 0);  // read streams take no writes
  EXPECT_EQ(ErrorOf([&] { table->OpenBlobStream(body, bmWrite); }),
            "Dataset not in edit or insert mode");

  table->BeginEdit();
  body->WriteText("Stir.");
  table->CancelRecord();
  EXPECT_EQ(body->ReadText(), "Shake well.");
  table->BeginEdit();
  body->WriteText("Stir.");
  table->PostRecord();
  table->Close();
  table->Open();
  EXPECT_EQ(table->FieldNamed("body")->ReadText(), "Stir.");
}

// ---- Editing ----

TEST_F(TableTest, PostedValuesAreStoredAndSurviveReopening) {
  auto table = Drinks(2);
  table->BeginEdit();
  table->FieldNamed("name")->WriteText("Gin Fizz");
  table->FieldNamed("marked")->WriteBoolean(true);
  EXPECT_TRUE(table->Modified());
  table->PostRecord();
  EXPECT_EQ(table->State(), dsBrowse);
  table->Close();
  table->Open();
  EXPECT_EQ(Column(*table, "name"), (std::vector<std::string>{"Gin Fizz", "drink 2"}));
  EXPECT_EQ(Column(*table, "marked"), (std::vector<std::string>{"True", "False"}));
}

TEST_F(TableTest, MovingEndsAnEditByPostingChangesOrCancellingNone) {
  auto table = Drinks(2);
  table->BeginEdit();
  table->FieldNamed("name")->WriteText("changed");
  table->GoNext();
  EXPECT_EQ(table->State(), dsBrowse);
  table->BeginEdit();  // nothing written: the edit is cancelled
  int posts = 0;
  table->BeforePost = [&](TTDEDataSet&) { ++posts; };
  table->GoFirst();
  EXPECT_EQ(posts, 0);
  EXPECT_EQ(Column(*table, "name"), (std::vector<std::string>{"changed", "drink 2"}));
}

TEST_F(TableTest, ClosingDuringAnEditDropsIt) {
  auto table = Drinks(1);
  table->BeginEdit();
  table->FieldNamed("name")->WriteText("never stored");
  table->Close();
  table->Open();
  EXPECT_EQ(table->FieldNamed("name")->ReadText(), "drink 1");
}

TEST_F(TableTest, ChangingTheActiveKeyMovesTheRecordAndTheCursorFollows) {
  auto table = Drinks(5);
  table->SetRecordNumber(2);
  table->BeginEdit();
  table->FieldNamed("id")->WriteInteger(9);  // 2 moves to the end
  table->PostRecord();
  EXPECT_EQ(CurrentId(*table), 9);
  EXPECT_EQ(table->RecordNumber(), 5);

  table->BeginEdit();
  table->FieldNamed("id")->WriteInteger(0);  // 9 moves to the front
  table->PostRecord();
  EXPECT_EQ(CurrentId(*table), 0);
  EXPECT_EQ(table->RecordNumber(), 1);

  table->SetRecordNumber(3);  // id 4
  table->BeginEdit();
  table->FieldNamed("name")->WriteText("same place");
  table->PostRecord();
  EXPECT_EQ(table->RecordNumber(), 3);
  EXPECT_EQ(Ids(*table), (std::vector<int>{0, 1, 3, 4, 5}));
}

TEST_F(TableTest, InsertWithoutActiveIndexAppendsAndKeepsTheCurrentRecord) {
  TTableDefinition plain{"plain", {{"id", ftInteger}}, {}};
  TCursorImage image({plain});
  auto table = OpenTable(image, "plain");
  for (int id : {5, 3}) {
    table->BeginAppend();
    table->FieldNamed("id")->WriteInteger(id);
    table->PostRecord();
    EXPECT_EQ(CurrentId(*table), id);  // appending makes the new record current
  }
  table->GoFirst();
  table->BeginInsert();
  table->FieldNamed("id")->WriteInteger(4);
  table->PostRecord();
  EXPECT_EQ(CurrentId(*table), 5);  // the record current before
  EXPECT_EQ(Ids(*table), (std::vector<int>{5, 3, 4}));
}

TEST_F(TableTest, InsertWithActiveIndexLandsInKeyOrderAndBecomesCurrent) {
  auto table = OpenTable(image_, "drinks");
  for (int id : {30, 10, 20}) {
    table->BeginInsert();
    table->FieldNamed("id")->WriteInteger(id);
    table->PostRecord();
    EXPECT_EQ(CurrentId(*table), id);
  }
  EXPECT_EQ(Ids(*table), (std::vector<int>{10, 20, 30}));
  table->SetRecordNumber(2);
  EXPECT_EQ(CurrentId(*table), 20);
}

TEST_F(TableTest, AutoIncrementNumbersAreHandedOutOnPostAndShown) {
  TTableDefinition orders{"orders",
                          {{"no", ftAutoInc}, {"what", ftString, 10}},
                          {{"no", {"no"}, tiPrimary}}};
  TCursorImage image({orders});
  auto table = OpenTable(image, "orders");
  for (const char* what : {"gin", "rum"}) {
    table->BeginInsert();
    table->FieldNamed("what")->WriteText(what);
    table->PostRecord();
  }
  EXPECT_EQ(table->FieldNamed("no")->ReadInteger(), 2);
  EXPECT_EQ(Column(*table, "no"), (std::vector<std::string>{"1", "2"}));
}

TEST_F(TableTest, DuplicatePrimaryKeyIsRefusedAndTheInsertKeepsItsValues) {
  auto table = Drinks(3);
  table->BeginInsert();
  table->FieldNamed("id")->WriteInteger(2);
  table->FieldNamed("name")->WriteText("twin");
  EXPECT_EQ(ErrorOf([&] { table->PostRecord(); }), "Invalid unique field value '2'");
  EXPECT_EQ(table->State(), dsInsert);
  EXPECT_EQ(table->FieldNamed("name")->ReadText(), "twin");
  table->FieldNamed("id")->WriteInteger(4);
  table->PostRecord();
  EXPECT_EQ(Ids(*table), (std::vector<int>{1, 2, 3, 4}));
}


// SetData copies the whole buffer, so a text may fill it to the last byte;
// the stored text ends one byte earlier, and that is the value a unique
// index must check, on insert as on edit.
TEST_F(TableTest, TextFillingItsWholeBufferIsCheckedAsItWillBeStored) {
  TTableDefinition codes{"codes",
                         {{"id", ftInteger}, {"code", ftString, 10}},
                         {{"id", {"id"}, tiPrimary}, {"code", {"code"}, tiUnique}}};
  TCursorImage image({codes});
  auto table = OpenTable(image, "codes");
  const auto add = [&](int id, const std::string& code) {
    table->BeginAppend();
    table->FieldNamed("id")->WriteInteger(id);
    table->FieldNamed("code")->WriteText(code);
    table->PostRecord();
  };
  add(1, "abcdefghij");
  add(2, "klm");
  const char overlong[] = "abcdefghijX";  // 11 bytes, no NUL inside the buffer
  ASSERT_EQ(table->FieldNamed("code")->DataSize(), 11);

  table->BeginInsert();
  table->FieldNamed("id")->WriteInteger(3);
  table->FieldNamed("code")->SetData(overlong);
  EXPECT_EQ(ErrorOf([&] { table->PostRecord(); }), "Invalid unique field value 'abcdefghij'");
  table->CancelRecord();

  table->GoLast();
  ASSERT_EQ(CurrentId(*table), 2);
  table->BeginEdit();
  table->FieldNamed("code")->SetData(overlong);
  EXPECT_EQ(ErrorOf([&] { table->PostRecord(); }), "Invalid unique field value 'abcdefghij'");
  table->CancelRecord();

  EXPECT_EQ(Column(*table, "code"), (std::vector<std::string>{"abcdefghij", "klm"}));
}
TEST_F(TableTest, PostErrorHandlerRetriesOrAborts) {
  auto table = Drinks(1);
  table->OnPostError = [](TTDEDataSet& dataset, const EEngineError&, TDataAction& action) {
    dataset.FieldNamed("id")->WriteInteger(2);  // repair the key and try again
    action = daRetry;
  };
  table->BeginInsert();
  table->FieldNamed("id")->WriteInteger(1);
  table->PostRecord();
  EXPECT_EQ(Ids(*table), (std::vector<int>{1, 2}));

  int seen = 0;
  table->OnPostError = [&](TTDEDataSet&, const EEngineError&, TDataAction& action) {
    ++seen;
    action = daAbort;
  };
  table->BeginInsert();
  table->FieldNamed("id")->WriteInteger(1);
  EXPECT_THROW(table->PostRecord(), EAbort);
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(table->State(), dsInsert);
}

TEST_F(TableTest, ReadOnlyForbidsEditingButNotDeleting) {
  auto table = Drinks(2);
  table->SetReadOnly(true);
  const std::string refused = "Cannot modify a read-only dataset";
  EXPECT_EQ(ErrorOf([&] { table->BeginEdit(); }), refused);
  EXPECT_EQ(ErrorOf([&] { table->BeginInsert(); }), refused);
  EXPECT_EQ(ErrorOf([&] { table->BeginAppend(); }), refused);
  EXPECT_EQ(table->State(), dsBrowse);
  table->DeleteCurrent();
  EXPECT_EQ(Ids(*table), (std::vector<int>{2}));
}

TEST_F(TableTest, DeletingMovesToTheNextRecordOrTheNewLastOne) {
  auto table = Drinks(3);
  table->SetRecordNumber(2);
  table->DeleteCurrent();
  EXPECT_EQ(CurrentId(*table), 3);
  table->DeleteCurrent();  // the last: the new last becomes current
  EXPECT_EQ(CurrentId(*table), 1);
  EXPECT_EQ(table->VisibleCount(), 1);
  table->DeleteCurrent();  // the only one
  EXPECT_EQ(table->VisibleCount(), 0);
  EXPECT_TRUE(table->AtBeginning());
  EXPECT_TRUE(table->AtEnd());
  table->Close();
  table->Open();
  EXPECT_EQ(table->VisibleCount(), 0);
}

TEST_F(TableTest, DeleteDuringInsertCancelsTheInsert) {
  auto table = Drinks(2);
  table->GoLast();
  table->BeginAppend();
  table->DeleteCurrent();
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(table->VisibleCount(), 2);
  EXPECT_EQ(CurrentId(*table), 2);
}

TEST_F(TableTest, EventsSurroundEachOperationInOrder) {
  auto table = Drinks(1);
  std::vector<std::string> log;
  auto note = [&](const char* what) { return [&log, what](TTDEDataSet&) { log.push_back(what); }; };
  table->BeforeInsert = note("BeforeInsert");
  table->AfterInsert = note("AfterInsert");
  table->OnNewRecord = note("OnNewRecord");
  table->BeforeScroll = note("BeforeScroll");
  table->AfterScroll = note("AfterScroll");
  table->BeforePost = note("BeforePost");
  table->AfterPost = note("AfterPost");
  table->BeforeCancel = note("BeforeCancel");
  table->AfterCancel = note("AfterCancel");
  table->BeforeDelete = note("BeforeDelete");
  table->AfterDelete = note("AfterDelete");

  table->BeginAppend();
  table->FieldNamed("id")->WriteInteger(2);
  table->PostRecord();
  table->BeginInsert();
  table->CancelRecord();
  table->DeleteCurrent();
  EXPECT_EQ(log, (std::vector<std::string>{
                     "BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll",
                     "BeforePost", "AfterPost",
                     "BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll",
                     "BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll",
                     "BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
}

TEST_F(TableTest, FailingNewRecordHandlerCancelsTheInsert) {
  auto table = Drinks(1);
  table->OnNewRecord = [](TTDEDataSet&) { throw EDatabaseError("no new drinks"); };
  EXPECT_EQ(ErrorOf([&] { table->BeginInsert(); }), "no new drinks");
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(CurrentId(*table), 1);
}

TEST_F(TableTest, CalculatedFieldsAreComputedForEachRecordAndWhileEditing) {
  TTinyTable table;
  Aim(table, image_, "drinks", "id");
  table.DefineField("id");
  table.DefineField("name");
  TField* label = table.DefineCalculatedField("label", ftString, 40);
  table.OnCalcFields = [&](TTDEDataSet& dataset) {
    label->WriteText(dataset.FieldNamed("name")->ReadText() + " #" +
                     dataset.FieldNamed("id")->ReadText());
  };
  table.Open();
  EXPECT_EQ(table.FieldCount(), 3);
  EXPECT_TRUE(label->IsNull());  // empty cursor
  table.BeginAppend();           // "marked" has no field object: stored as 0
  table.FieldNamed("id")->WriteInteger(4);
  table.FieldNamed("name")->WriteText("Sour");
  EXPECT_EQ(label->ReadText(), "Sour #4");
  table.PostRecord();
  EXPECT_EQ(label->ReadText(), "Sour #4");
  EXPECT_EQ(label->Calculated(), true);
  EXPECT_EQ(label->FieldNo(), 0);
  table.Close();
  EXPECT_EQ(table.FieldCount(), 3);  // the program's own fields stay
}

TEST_F(TableTest, RefreshShowsRecordsAnotherCursorAdded) {
  auto first = Drinks(2);
  auto second = OpenTable(image_, "drinks", "id");
  AddDrink(*second, 3, "three");
  EXPECT_EQ(first->VisibleCount(), 2);
  first->SetRecordNumber(2);
  first->RefreshCursor();
  EXPECT_EQ(first->VisibleCount(), 3);
  EXPECT_EQ(first->RecordNumber(), 2);
  EXPECT_EQ(Ids(*first), (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace tinydb::cursor_test
