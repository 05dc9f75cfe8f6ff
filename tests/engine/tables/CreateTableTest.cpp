// Adding a table to a database that already holds data: the new header goes
// after everything there, only the directory changes in place, the old
// tables and their open cursors carry on, and the new table stores its
// values as the rest of the file does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/tables/BindingTestKit.h"
#include "platform/Streams.h"
#include "processing/DataProcess.h"
#include "storage/DatabaseWriter.h"
#include "storage/MemoryMedium.h"
#include "support/TempDir.h"
#include "tables/TinyDB.h"

namespace tinydb {
namespace {

using test::ErrorOf;

TTableDefinition Drinks() {
  return {"drinks",
          {{"id", ftInteger}, {"name", ftString, 25}, {"ingred", ftMemo}},
          {{"id", {"id"}, tiPrimary}, {"name", {"name"}, tiCaseInsensitive}}};
}

TTableDefinition Shelf() {
  return {"shelf",
          {{"name", ftString, 64}, {"note", ftMemo}},
          {{"name", {"name"}, tiUnique | tiCaseInsensitive}}};
}

TDatabaseSettings Protected() {
  TDatabaseSettings settings;
  settings.Compressed = true;
  settings.Encrypted = true;
  settings.EncryptAlgo = "Blowfish";
  settings.EncryptMode = 1;
  settings.Password = "golden";
  return settings;
}

void OpenOn(TTinyTable& table, const std::string& database, const std::string& name,
            const std::string& index) {
  table.SetMediumType(mtMemory);
  table.SetDatabaseName(database);
  table.SetPassword("golden");
  table.SetTableName(name);
  table.Open();
  ASSERT_TRUE(table.Active());
  table.SetIndexName(index);
}

// Every value of |field| in the cursor's order.
std::vector<std::string> Column(TTinyTable& table, const std::string& field) {
  std::vector<std::string> values;
  for (table.GoFirst(); !table.AtEnd(); table.GoNext())
    values.push_back(table.FieldNamed(field)->ReadText());
  return values;
}

void Append(TTinyTable& table, const std::string& name, const std::string& note) {
  table.BeginAppend();
  table.FieldNamed("name")->WriteText(name);
  table.FieldNamed("note")->WriteText(note);
  table.PostRecord();
}

bool Contains(TMemoryStream& image, const std::string& text) {
  const auto* begin = static_cast<const uint8_t*>(image.Memory());
  const auto* end = begin + image.Size();
  return std::search(begin, end, text.begin(), text.end()) != end;
}

class CreateTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterStandardModules();
    CreateDatabase(image_, Protected(), {Drinks()});
    name_ = MemoryStreamToDatabaseName(&image_);
    database_.SetDatabaseName(name_);
    database_.SetMediumType(mtMemory);
    database_.SetKeepConnection(true);
    database_.Connect();
    database_.SetPassword("golden");
    drinks_.SetMediumType(mtMemory);
    OpenOn(drinks_, name_, "drinks", "name");
    const char* names[] = {"Negroni", "americano", "Daiquiri", "Boulevardier"};
    for (int id = 1; id <= 4; ++id) {
      drinks_.BeginAppend();
      drinks_.FieldNamed("id")->WriteInteger(id);
      drinks_.FieldNamed("name")->WriteText(names[id - 1]);
      drinks_.FieldNamed("ingred")->WriteText("1 oz Gin\r\n1 oz Campari #" + std::to_string(id));
      drinks_.PostRecord();
    }
  }
  void TearDown() override {
    drinks_.Close();
    database_.Disconnect();
    UnregisterMemoryStream(&image_);
  }

  std::vector<uint8_t> Bytes() {
    const auto* p = static_cast<const uint8_t*>(image_.Memory());
    return std::vector<uint8_t>(p, p + image_.Size());
  }

  TMemoryStream image_;
  std::string name_;
  TTinyDatabase database_;
  TTinyTable drinks_;
};

TEST_F(CreateTableTest, NewTableGoesAfterTheDataAndOldTablesCarryOn) {
  const std::vector<uint8_t> before = Bytes();
  const std::vector<std::string> drinks_by_name = Column(drinks_, "name");

  database_.CreateTable(Shelf());

  // The file only grew by one header; of the old bytes only the directory
  // changed, and it now counts the table whose header starts at the old end.
  const std::vector<uint8_t> after = Bytes();
  ASSERT_EQ(after.size(), before.size() + kTableHeaderSize);
  for (size_t i = 0; i < before.size(); ++i) {
    const bool in_directory = i >= static_cast<size_t>(kTableDirectoryPos) &&
                              i < static_cast<size_t>(kTableDirectoryPos + kTableDirectorySize);
    if (!in_directory && before[i] != after[i]) FAIL() << "byte " << i << " changed";
  }
  TTableDirectory directory;
  directory.DecodeFrom(&after[kTableDirectoryPos]);
  EXPECT_EQ(directory.TableCount, 2);
  EXPECT_EQ(directory.TableHeaderPos[1], static_cast<int32_t>(before.size()));
  EXPECT_EQ(database_.TableDefs(), (std::vector<std::string>{"drinks", "shelf"}));
  std::vector<std::string> listed;
  database_.GetTableNames(listed);
  EXPECT_EQ(listed, database_.TableDefs());

  // The cursor that was open reads, finds and appends as before.
  EXPECT_EQ(Column(drinks_, "name"), drinks_by_name);
  ASSERT_TRUE(drinks_.FindByKey("id", TFieldValue(int64_t{2})));
  EXPECT_EQ(drinks_.FieldNamed("ingred")->ReadText(), "1 oz Gin\r\n1 oz Campari #2");
  drinks_.BeginAppend();
  drinks_.FieldNamed("id")->WriteInteger(5);
  drinks_.FieldNamed("name")->WriteText("Aviation");
  drinks_.PostRecord();
  EXPECT_EQ(Column(drinks_, "name"),
            (std::vector<std::string>{"americano", "Aviation", "Boulevardier", "Daiquiri", "Negroni"}));

  // The new table takes records, keeps its index and refuses a taken key.
  TTinyTable shelf;
  OpenOn(shelf, name_, "SHELF", "name");
  Append(shelf, "Sweet vermouth", "");
  Append(shelf, "gin", "");
  Append(shelf, "Campari", "");
  EXPECT_EQ(Column(shelf, "name"), (std::vector<std::string>{"Campari", "gin", "Sweet vermouth"}));
  EXPECT_EQ(ErrorOf([&] { Append(shelf, "GIN", ""); }), "Invalid unique field value 'GIN'");
  shelf.CancelRecord();
  ASSERT_TRUE(shelf.FindByKey("name", TFieldValue(std::string("Campari"))));
  shelf.DeleteCurrent();
  EXPECT_EQ(Column(shelf, "name"), (std::vector<std::string>{"gin", "Sweet vermouth"}));
  shelf.Close();

  // A second connection to the grown image sees both tables whole.
  drinks_.Close();
  database_.Disconnect();
  database_.Connect();
  database_.SetPassword("golden");
  TTinyTable reopened;
  OpenOn(reopened, name_, "shelf", "name");
  EXPECT_EQ(Column(reopened, "name"), (std::vector<std::string>{"gin", "Sweet vermouth"}));
  TTinyTable drinks;
  OpenOn(drinks, name_, "drinks", "id");
  EXPECT_EQ(Column(drinks, "name"),
            (std::vector<std::string>{"Negroni", "americano", "Daiquiri", "Boulevardier", "Aviation"}));
}

TEST_F(CreateTableTest, NewTableStoresValuesEncryptedAndCompressedLikeTheRest) {
  database_.CreateTable(Shelf());
  TTinyTableIO* storage = database_.TableIOByName("shelf");
  ASSERT_NE(storage, nullptr);
  TTinyTable shelf;
  OpenOn(shelf, name_, "shelf", "name");
  EXPECT_TRUE(storage->FieldEncrypted(0));
  EXPECT_TRUE(storage->FieldCompressed(1));

  Append(shelf, "Absinthe", "");  // the first record brings the tab chunks
  const int64_t size_before = image_.Size();
  std::string note;
  for (int k = 0; k < 400; ++k) note += "Plainly readable shelf note. ";
  Append(shelf, "Chartreuse Verte", note);
  EXPECT_FALSE(Contains(image_, "Chartreuse Verte"));
  EXPECT_FALSE(Contains(image_, "Plainly readable"));
  // Compressed: the repeated note takes a fraction of its length.
  EXPECT_LT(image_.Size() - size_before, static_cast<int64_t>(note.size()) / 4);
  ASSERT_TRUE(shelf.FindByKey("name", TFieldValue(std::string("Chartreuse Verte"))));
  EXPECT_EQ(shelf.FieldNamed("note")->ReadText(), note);
}

TEST_F(CreateTableTest, RefusalsWriteNothing) {
  TTableDefinition unnamed_field = Shelf();
  unnamed_field.Fields[0].Name.clear();
  TTableDefinition unknown_key = Shelf();
  unknown_key.Indexes[0].FieldNames = {"label"};
  struct Case {
    const char* what;
    TTableDefinition table;
    const char* error;
  } cases[] = {
      {"taken name, other case", {"DRINKS", {{"x", ftInteger}}, {}}, "Duplicate table name 'DRINKS'"},
      {"empty field name", unnamed_field, "Field 1 in table 'shelf' has an empty name"},
      {"unknown key field", unknown_key,
       "Index 'name' of table 'shelf' names the unknown field 'label'"},
  };
  const std::vector<uint8_t> before = Bytes();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ErrorOf([&] { database_.CreateTable(c.table); }), c.error);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(database_.TableDefs(), (std::vector<std::string>{"drinks"}));
  }
}

TEST(CreateTableLimitTest, The257thTableIsRefused) {
  RegisterStandardModules();
  std::vector<TTableDefinition> tables;
  for (int t = 1; t <= kMaxTableCount - 1; ++t)
    tables.push_back({"t" + std::to_string(t), {{"n", ftInteger}}, {}});
  TMemoryStream image;
  CreateDatabase(image, TDatabaseSettings{}, tables);
  const std::string name = MemoryStreamToDatabaseName(&image);
  {
    TTinyDatabase database;
    database.SetDatabaseName(name);
    database.SetMediumType(mtMemory);
    database.Connect();
    database.CreateTable({"last", {{"n", ftInteger}}, {}});
    EXPECT_EQ(database.TableDefs().size(), static_cast<size_t>(kMaxTableCount));
    const int64_t size = image.Size();
    EXPECT_EQ(ErrorOf([&] { database.CreateTable({"one more", {{"n", ftInteger}}, {}}); }),
              "Database '" + name + "' already has 256 tables, the most it can hold");
    EXPECT_EQ(image.Size(), size);
    EXPECT_EQ(database.TableDefs().size(), static_cast<size_t>(kMaxTableCount));
  }
  UnregisterMemoryStream(&image);
}

TEST(CreateTableDiskTest, AddsToAFileAndNeedsAccessAndAConnection) {
  RegisterStandardModules();
  test::TTempDir dir;
  const std::string path = dir.Path("bar.tdb");
  CreateDatabaseFile(path, Protected(), {Drinks()});
  const auto size = std::filesystem::file_size(path);
  {
    TTinyDatabase database;
    database.SetDatabaseName(path);
    EXPECT_EQ(ErrorOf([&] { database.CreateTable(Shelf()); }),
              "Cannot perform this operation on a closed database");
    database.Connect();
    EXPECT_EQ(ErrorOf([&] { database.CreateTable(Shelf()); }), "Access denied");
    EXPECT_EQ(std::filesystem::file_size(path), size);
    database.SetPassword("golden");
    database.CreateTable(Shelf());
  }
  EXPECT_EQ(std::filesystem::file_size(path), size + kTableHeaderSize);
  TTinyTable shelf;
  shelf.SetDatabaseName(path);
  shelf.SetPassword("golden");
  shelf.SetTableName("shelf");
  shelf.Open();
  Append(shelf, "Gin", "");
  EXPECT_EQ(Column(shelf, "name"), (std::vector<std::string>{"Gin"}));
}

}  // namespace
}  // namespace tinydb
