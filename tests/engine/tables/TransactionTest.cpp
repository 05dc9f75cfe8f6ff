// Changes of a disk database go through the rollback journal: inside a
// transaction nothing reaches the file before Commit while every cursor
// reads the changes, Rollback drops them and the tables read the file
// again, wrong use is refused, a failed Commit leaves the file and the
// tables as before, and the file after Commit holds exactly the bytes the
// same work leaves in a memory image, which never journals.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/tables/BindingTestKit.h"
#include "platform/Journal.h"
#include "platform/Streams.h"
#include "storage/DatabaseWriter.h"
#include "storage/MemoryMedium.h"
#include "support/DatabaseSettings.h"
#include "support/TempDir.h"
#include "tables/TinyDB.h"

namespace tinydb {
namespace {

using test::ErrorOf;

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TTableDefinition Drinks() {
  return {"drinks",
          {{"id", ftInteger}, {"name", ftString, 25}, {"ingred", ftMemo}},
          {{"id", {"id"}, tiPrimary}, {"name", {"name"}, tiCaseInsensitive}}};
}

TTableDefinition Shelf() { return {"shelf", {{"name", ftString, 40}}, {}}; }

void Append(TTinyTable& table, int id, const std::string& name) {
  table.BeginAppend();
  table.FieldNamed("id")->WriteInteger(id);
  table.FieldNamed("name")->WriteText(name);
  table.FieldNamed("ingred")->WriteText("2 oz " + name + "\r\nstir with ice");
  table.PostRecord();
}

std::vector<std::string> Names(TTinyTable& table) {
  std::vector<std::string> names;
  for (table.GoFirst(); !table.AtEnd(); table.GoNext())
    names.push_back(table.FieldNamed("name")->ReadText());
  return names;
}

// One database (disk file or memory image) and a cursor on its drinks in
// name order.
class TOpenDatabase {
 public:
  TOpenDatabase(const std::string& storage, TTinyDBMediumType medium) {
    database_.SetDatabaseName("tx-" + std::to_string(++count_));
    database_.SetFileName(storage);
    database_.SetMediumType(medium);
    database_.SetKeepConnection(true);
    database_.Connect();
    drinks_.SetMediumType(medium);
    drinks_.SetDatabaseName(database_.DatabaseName());
    drinks_.SetTableName("drinks");
    drinks_.Open();
    drinks_.SetIndexName("name");
  }
  ~TOpenDatabase() {
    drinks_.Close();
    database_.Disconnect();
  }
  TTinyDatabase& Database() { return database_; }
  TTinyTable& Drinks() { return drinks_; }

 private:
  static inline int count_ = 0;
  TTinyDatabase database_;
  TTinyTable drinks_;
};

// The same changes, for the disk file and for the memory image: single
// operations and one transaction holding several.
void Work(TOpenDatabase& db) {
  TTinyTable& drinks = db.Drinks();
  Append(drinks, 3, "Gimlet");
  db.Database().StartTransaction();
  Append(drinks, 4, "Sidecar");
  Append(drinks, 5, "Americano");
  drinks.GoFirst();
  drinks.BeginEdit();
  drinks.FieldNamed("ingred")->WriteText(std::string(300, 'x'));  // the blob moves
  drinks.PostRecord();
  db.Database().CreateTable(Shelf());
  db.Database().Commit();
  drinks.GoLast();
  drinks.DeleteCurrent();
}

class TransactionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterStandardModules();
    CreateDatabaseFile(path_, TDatabaseSettings{}, {Drinks()});
    TOpenDatabase db(path_, mtDisk);
    Append(db.Drinks(), 1, "Negroni");
    Append(db.Drinks(), 2, "Daiquiri");
    original_ = Bytes(path_);
  }
  void TearDown() override { SetFileWriteFault(0); }

  test::TTempDir dir_{"transaction-"};
  std::string path_ = dir_.Path("db.tdb");
  std::string original_;
};

TEST_F(TransactionTest, ChangesAreReadBeforeCommitAndReachTheFileOnlyThen) {
  TOpenDatabase db(path_, mtDisk);
  db.Database().StartTransaction();
  EXPECT_TRUE(db.Database().InTransaction());
  Append(db.Drinks(), 3, "Gimlet");
  db.Database().CreateTable(Shelf());
  EXPECT_EQ((std::vector<std::string>{"Daiquiri", "Gimlet", "Negroni"}), Names(db.Drinks()));
  EXPECT_EQ((std::vector<std::string>{"drinks", "shelf"}), db.Database().TableDefs());
  EXPECT_EQ(original_, Bytes(path_));
  EXPECT_FALSE(JournalExists(path_));
  db.Database().Commit();
  EXPECT_FALSE(db.Database().InTransaction());
  EXPECT_NE(original_, Bytes(path_));
  EXPECT_FALSE(JournalExists(path_));

  TOpenDatabase again(path_, mtDisk);
  EXPECT_EQ((std::vector<std::string>{"Daiquiri", "Gimlet", "Negroni"}), Names(again.Drinks()));
  EXPECT_EQ((std::vector<std::string>{"drinks", "shelf"}), again.Database().TableDefs());
}

TEST_F(TransactionTest, RollbackDropsTheChangesAndTheTablesReadTheFileAgain) {
  TOpenDatabase db(path_, mtDisk);
  db.Database().StartTransaction();
  Append(db.Drinks(), 3, "Gimlet");
  db.Drinks().GoFirst();
  db.Drinks().DeleteCurrent();  // Daiquiri
  db.Database().CreateTable(Shelf());
  EXPECT_EQ((std::vector<std::string>{"Gimlet", "Negroni"}), Names(db.Drinks()));
  db.Database().Rollback();
  EXPECT_FALSE(db.Database().InTransaction());
  EXPECT_EQ((std::vector<std::string>{"Daiquiri", "Negroni"}), Names(db.Drinks()));
  EXPECT_EQ((std::vector<std::string>{"drinks"}), db.Database().TableDefs());
  EXPECT_EQ(original_, Bytes(path_));
  EXPECT_FALSE(JournalExists(path_));
  // The state read again is the file's: new changes land where they belong.
  Append(db.Drinks(), 3, "Gimlet");
  db.Database().CreateTable(Shelf());
  TOpenDatabase again(path_, mtDisk);
  EXPECT_EQ((std::vector<std::string>{"Daiquiri", "Gimlet", "Negroni"}), Names(again.Drinks()));
  EXPECT_EQ((std::vector<std::string>{"drinks", "shelf"}), again.Database().TableDefs());
}

TEST_F(TransactionTest, WrongUseIsRefusedWithItsMessage) {
  TOpenDatabase db(path_, mtDisk);
  TTinyDatabase& database = db.Database();
  const std::string name = path_;
  EXPECT_EQ("No transaction is open on database '" + name + "'", ErrorOf([&] { database.Commit(); }));
  EXPECT_EQ("No transaction is open on database '" + name + "'", ErrorOf([&] { database.Rollback(); }));
  database.StartTransaction();
  EXPECT_EQ("A transaction is already open on database '" + name + "'",
            ErrorOf([&] { database.StartTransaction(); }));
  EXPECT_TRUE(database.InTransaction());  // the first one stays open
  Append(db.Drinks(), 3, "Gimlet");
  database.Commit();
  EXPECT_EQ("No transaction is open on database '" + name + "'", ErrorOf([&] { database.Commit(); }));

  TTinyDatabase closed;
  EXPECT_EQ(kClosedDatabase, ErrorOf([&] { closed.StartTransaction(); }));
  EXPECT_EQ(kClosedDatabase, ErrorOf([&] { closed.Commit(); }));
  EXPECT_FALSE(closed.InTransaction());
}

TEST_F(TransactionTest, DisconnectingDropsAnOpenTransaction) {
  {
    TOpenDatabase db(path_, mtDisk);
    db.Database().StartTransaction();
    Append(db.Drinks(), 3, "Gimlet");
  }
  EXPECT_EQ(original_, Bytes(path_));
  EXPECT_FALSE(JournalExists(path_));
}

TEST_F(TransactionTest, TheFileAfterCommitHoldsTheBytesOfTheSameWorkInMemory) {
  TMemoryStream image;
  image.LoadFromFile(path_);
  const std::string memory_name = MemoryStreamToDatabaseName(&image);
  {
    TOpenDatabase memory(memory_name, mtMemory);
    Work(memory);
    // A memory image is written through at once and cannot be rolled back.
    memory.Database().StartTransaction();
    Append(memory.Drinks(), 9, "Martini");
    const int64_t size = image.Size();
    EXPECT_EQ("The changes to memory database '" + memory_name + "' cannot be rolled back",
              ErrorOf([&] { memory.Database().Rollback(); }));
    EXPECT_FALSE(memory.Database().InTransaction());
    EXPECT_EQ(size, image.Size());
  }
  UnregisterMemoryStream(&image);
  {
    TOpenDatabase disk(path_, mtDisk);
    Work(disk);
    Append(disk.Drinks(), 9, "Martini");
  }
  const std::string in_memory(image.Bytes().begin(), image.Bytes().end());
  EXPECT_TRUE(in_memory == Bytes(path_));
  EXPECT_FALSE(JournalExists(path_));
}

TEST_F(TransactionTest, AFailedCommitLeavesTheFileAndTheTablesAsBefore) {
  // The fault stops the journal or the in-place write at its first byte,
  // inside it or near its end; the next commit without a fault works.
  int failed = 0;
  int stored = 0;
  for (int64_t allowed : {0, 1, 40, 100, 200, 300, 500, 800, 1300, 2100, 3400, 5500, 1 << 20}) {
    SCOPED_TRACE("bytes allowed " + std::to_string(allowed));
    std::filesystem::remove(path_);
    std::ofstream(path_, std::ios::binary) << original_;
    TOpenDatabase db(path_, mtDisk);
    db.Database().StartTransaction();
    Append(db.Drinks(), 3, "Gimlet");
    db.Drinks().GoFirst();
    db.Drinks().DeleteCurrent();
    SetFileWriteFault(ENOSPC, allowed);
    const std::string error = ErrorOf([&] {
      try {
        db.Database().Commit();
      } catch (const EStreamError& e) {
        throw EDatabaseError(e.what());
      }
    });
    SetFileWriteFault(0);
    EXPECT_FALSE(db.Database().InTransaction());
    if (error == "(no error)") {
      ++stored;
      EXPECT_EQ((std::vector<std::string>{"Gimlet", "Negroni"}), Names(db.Drinks()));
      continue;
    }
    ++failed;
    EXPECT_NE(std::string::npos, error.find(path_)) << error;
    EXPECT_EQ((std::vector<std::string>{"Daiquiri", "Negroni"}), Names(db.Drinks()));
    EXPECT_EQ(original_, Bytes(path_));
    EXPECT_FALSE(JournalExists(path_));
    Append(db.Drinks(), 3, "Gimlet");
    TOpenDatabase again(path_, mtDisk);
    EXPECT_EQ((std::vector<std::string>{"Daiquiri", "Gimlet", "Negroni"}), Names(again.Drinks()));
  }
  EXPECT_GE(failed, 4);
  EXPECT_GE(stored, 1);
}

}  // namespace
}  // namespace tinydb
