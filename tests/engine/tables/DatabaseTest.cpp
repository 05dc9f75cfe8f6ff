// The database object and a cursor's binding to it: connecting, passwords
// and the login, temporary databases, settings of a connected database.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/tables/BindingTestKit.h"
#include "support/TempDir.h"

namespace tinydb {
namespace {

using test::ErrorOf;
using test::TBindingCursor;
using test::TMemoryImage;
using test::TScriptedLogin;

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLoginPrompt(&login_); }
  void TearDown() override {
    SetLoginPrompt(nullptr);
    // Every test leaves the default session as it found it: the temporary
    // databases a password created go with the stop.
    DefaultSession().SetActive(false);
    EXPECT_EQ(DefaultSession().DatabaseCount(), 0);
  }

  TScriptedLogin login_;
};

TEST_F(DatabaseTest, StartupSequenceConnectsAtOnceAndOpensWithoutLogin) {
  TMemoryImage image("fizzo");
  TComponent window;
  auto* cursor = new TBindingCursor(&window);
  cursor->SetDatabaseName(image.Name());
  cursor->SetMediumType(mtMemory);

  cursor->SetPassword("fizzo");
  TTinyDatabase* database = DefaultSession().FindDatabase(image.Name());
  ASSERT_NE(database, nullptr);
  EXPECT_TRUE(database->Temporary());
  EXPECT_TRUE(database->Connected());
  EXPECT_EQ(database->MediumType(), mtMemory);
  EXPECT_TRUE(database->AccessGranted());
  EXPECT_EQ(database->UseCount(), 0);
  EXPECT_EQ(database->TableDefs(), (std::vector<std::string>{"drinks", "glasses"}));

  cursor->OpenOrThrow();
  EXPECT_EQ(cursor->Database(), database);
  EXPECT_EQ(database->UseCount(), 1);
  EXPECT_EQ(database->DataSetCount(), 1);
  EXPECT_TRUE(login_.asked.empty());
  EXPECT_NE(database->TableIOByName("DRINKS"), nullptr);
  EXPECT_EQ(database->TableIOByName("wines"), nullptr);

  // The only cursor of a temporary database takes it along when it closes;
  // the next password makes a new one.
  cursor->Close();
  EXPECT_EQ(cursor->Database(), nullptr);
  EXPECT_EQ(DefaultSession().FindDatabase(image.Name()), nullptr);
  cursor->SetPassword("fizzo");
  EXPECT_NE(DefaultSession().FindDatabase(image.Name()), nullptr);
}

TEST_F(DatabaseTest, UnencryptedDatabaseGrantsAnyPasswordWithoutLogin) {
  TMemoryImage image;
  for (const char* password : {"", "fizzo", "anything at all"}) {
    SCOPED_TRACE(password);
    TBindingCursor cursor;
    cursor.SetDatabaseName(image.Name());
    cursor.SetMediumType(mtMemory);
    cursor.SetPassword(password);
    cursor.OpenOrThrow();
    EXPECT_TRUE(cursor.Active());
  }
  TBindingCursor without_password;
  without_password.SetDatabaseName(image.Name());
  without_password.SetMediumType(mtMemory);
  without_password.OpenOrThrow();
  EXPECT_TRUE(without_password.Active());
  EXPECT_TRUE(login_.asked.empty());
}

TEST_F(DatabaseTest, WrongPasswordIsRefusedAtOpeningAndTheDatabaseIsFreed) {
  TMemoryImage image("fizzo");
  TBindingCursor cursor;
  cursor.SetDatabaseName(image.Name());
  cursor.SetMediumType(mtMemory);

  EXPECT_NO_THROW(cursor.SetPassword("Fizzo"));
  TTinyDatabase* database = DefaultSession().FindDatabase(image.Name());
  ASSERT_NE(database, nullptr);
  EXPECT_FALSE(database->AccessGranted());

  EXPECT_EQ(ErrorOf([&] { cursor.OpenOrThrow(); }), "Access denied");
  EXPECT_FALSE(cursor.Active());
  EXPECT_EQ(cursor.Database(), nullptr);
  EXPECT_EQ(DefaultSession().FindDatabase(image.Name()), nullptr);
  EXPECT_TRUE(login_.asked.empty());  // a given password is never asked for
}

TEST_F(DatabaseTest, LoginPromptIsAskedWhenNoPasswordWasGiven) {
  TMemoryImage image("fizzo");
  TBindingCursor cursor;
  cursor.SetDatabaseName(image.Name());
  cursor.SetMediumType(mtMemory);

  // Cancel: a silent stop, nothing stays bound.
  EXPECT_THROW(cursor.OpenOrThrow(), EAbort);
  EXPECT_FALSE(cursor.Active());
  EXPECT_EQ(DefaultSession().FindDatabase(image.Name()), nullptr);
  cursor.Open();  // the cursor's own opening swallows the stop
  EXPECT_FALSE(cursor.Active());

  login_.answer = "wrong";
  EXPECT_EQ(ErrorOf([&] { cursor.OpenOrThrow(); }), "Access denied");

  login_.answer = "fizzo";
  cursor.OpenOrThrow();
  EXPECT_TRUE(cursor.Active());
  EXPECT_TRUE(cursor.Database()->AccessGranted());
  ASSERT_EQ(login_.asked.size(), 4u);
  EXPECT_EQ(login_.asked.back(), image.Name());

  // Without any dialog a missing password cannot be supplied.
  SetLoginPrompt(nullptr);
  TBindingCursor second;
  second.SetDatabaseName(image.Name());
  second.SetMediumType(mtMemory);
  second.OpenOrThrow();  // the first cursor's access still holds
  cursor.Close();
  second.Close();
  EXPECT_EQ(ErrorOf([&] { second.OpenOrThrow(); }), "Access denied");
}

TEST_F(DatabaseTest, DisconnectingForgetsThePassword) {
  TMemoryImage image("fizzo");
  TComponent window;
  auto* database = new TTinyDatabase(&window);
  database->SetDatabaseName("recipes");
  database->SetFileName(image.Name());
  database->SetMediumType(mtMemory);
  database->SetPassword("fizzo");  // remembered until the connection ends
  database->Connect();
  EXPECT_FALSE(database->AccessGranted());  // checked only when a cursor opens
  auto* cursor = new TBindingCursor(&window);
  cursor->SetDatabaseName("RECIPES");
  cursor->OpenOrThrow();
  EXPECT_TRUE(database->AccessGranted());
  EXPECT_TRUE(login_.asked.empty());

  database->Disconnect();
  EXPECT_FALSE(cursor->Active());  // disconnecting closes the cursors
  EXPECT_EQ(database->DataSetCount(), 0);
  EXPECT_EQ(database->UseCount(), 0);

  database->Connect();
  EXPECT_FALSE(database->AccessGranted());
  cursor->Open();  // asks again, and the user cancels
  EXPECT_FALSE(cursor->Active());
  ASSERT_EQ(login_.asked.size(), 1u);
  EXPECT_EQ(login_.asked[0], image.Name());  // the storage name is shown
  // A database the program created is not freed when its last cursor
  // leaves; it disconnects.
  EXPECT_EQ(DefaultSession().FindDatabase("recipes"), database);
  EXPECT_FALSE(database->Connected());
}

TEST_F(DatabaseTest, NamesMatchIgnoringCase) {
  // Register streams until a memory name carries a hex letter, so that
  // upper and lower case differ.
  std::vector<std::unique_ptr<TMemoryImage>> images;
  std::string name;
  do {
    images.push_back(std::make_unique<TMemoryImage>());
    name = images.back()->Name();
  } while (name.find_first_of("ABCDEF") == std::string::npos);
  std::string lower = name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

  TBindingCursor upper_cursor;
  upper_cursor.SetDatabaseName(name);
  upper_cursor.SetMediumType(mtMemory);
  upper_cursor.OpenOrThrow();
  TBindingCursor lower_cursor;
  lower_cursor.SetDatabaseName(lower);
  lower_cursor.OpenOrThrow();
  EXPECT_EQ(lower_cursor.Database(), upper_cursor.Database());
  EXPECT_EQ(upper_cursor.Database()->UseCount(), 2);

  EXPECT_TRUE(SameText("Drinks", "dRINKS"));
  EXPECT_TRUE(SameText("\xC9t\xE9", "\xE9T\xC9"));  // Windows-1252 accented letters
  EXPECT_FALSE(SameText("drink", "drinks"));
}

TEST_F(DatabaseTest, SettingsOfAConnectedDatabaseAreFixed) {
  TMemoryImage image;
  TTinyDatabase database;
  database.SetDatabaseName(image.Name());
  database.SetMediumType(mtMemory);
  database.Connect();
  const std::string kOpen = "Cannot perform this operation on an open database";
  EXPECT_EQ(ErrorOf([&] { database.SetExclusive(false); }), kOpen);  // even its current value
  EXPECT_EQ(ErrorOf([&] { database.SetSessionName(database.SessionName()); }), kOpen);
  EXPECT_EQ(ErrorOf([&] { database.SetFileName("other"); }), kOpen);
  EXPECT_EQ(ErrorOf([&] { database.SetDatabaseName("other"); }), kOpen);
  EXPECT_EQ(ErrorOf([&] { database.SetMediumType(mtDisk); }), kOpen);
  EXPECT_EQ(ErrorOf([&] { database.SetDatabaseName(image.Name()); }), "(no error)");
  EXPECT_EQ(ErrorOf([&] { database.SetMediumType(mtMemory); }), "(no error)");
  EXPECT_FALSE(database.Exclusive());
  EXPECT_FALSE(database.Compressed());
  EXPECT_FALSE(database.Encrypted());
  EXPECT_FALSE(database.ReadOnlyFile());

  // Switching KeepConnection off while unused disconnects.
  database.SetKeepConnection(true);
  EXPECT_TRUE(database.Connected());
  database.SetKeepConnection(false);
  EXPECT_FALSE(database.Connected());
}

TEST_F(DatabaseTest, FailedConnectLeavesNoFileAccess) {
  const std::string kClosed = "Cannot perform this operation on a closed database";
  struct Case {
    std::string name;
    TTinyDBMediumType medium;
    std::string error;
  };
  const std::string missing = "/nonexistent-dir/zestoria.tdb";
  const std::vector<Case> cases = {
      {missing, mtDisk, "Cannot open file " + missing},
      {":zz", mtMemory, "Invalid database name ':zz'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTinyDatabase database;
    database.SetDatabaseName(c.name);
    database.SetMediumType(c.medium);
    EXPECT_EQ(ErrorOf([&] { database.Connect(); }), c.error);
    EXPECT_FALSE(database.Connected());
    EXPECT_EQ(ErrorOf([&] { database.FileIO(); }), kClosed);
    EXPECT_EQ(ErrorOf([&] { database.Compressed(); }), kClosed);
    EXPECT_EQ(ErrorOf([&] { database.Encrypted(); }), kClosed);
    EXPECT_EQ(ErrorOf([&] { database.VerifyWrites(); }), kClosed);
    std::vector<std::string> names = {"kept"};
    database.GetTableNames(names);
    EXPECT_EQ(names, std::vector<std::string>{"kept"});
  }

  // A cursor naming such a database stays closed, and the temporary
  // database made for it is gone again.
  TBindingCursor cursor;
  cursor.SetDatabaseName(missing);
  EXPECT_EQ(ErrorOf([&] { cursor.OpenOrThrow(); }), "Cannot open file " + missing);
  EXPECT_EQ(ErrorOf([&] { cursor.SetPassword("x"); }), "Cannot open file " + missing);
  EXPECT_EQ(DefaultSession().FindDatabase(missing), nullptr);

  TTinyDatabase unnamed;
  EXPECT_EQ(ErrorOf([&] { unnamed.Connect(); }), "Database name missing");
}

TEST_F(DatabaseTest, DiskDatabaseReportsItsReadOnlyFile) {
  namespace fs = std::filesystem;
  const test::TTempDir dir("zestoria-dbs-");
  const std::string path = dir.Path("recipes.tdb");
  TDatabaseSettings settings;
  settings.VerifyWrites = true;
  CreateDatabaseFile(path, settings, {TTableDefinition{"drinks", {{"id", ftInteger, 0, false}}, {}}});
  {
    TTinyDatabase database;
    database.SetDatabaseName(path);
    database.Connect();
    EXPECT_FALSE(database.ReadOnlyFile());
    EXPECT_TRUE(database.VerifyWrites());
    EXPECT_EQ(database.FileIO().FileName(), path);
    database.Disconnect();
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    database.Connect();
    EXPECT_TRUE(database.ReadOnlyFile());
  }
}

TEST_F(DatabaseTest, DuplicateDatabaseNames) {
  TMemoryImage image;
  TComponent window;
  auto* first = new TTinyDatabase(&window);
  first->SetDatabaseName("Recipes");
  auto* second = new TTinyDatabase(&window);
  EXPECT_EQ(ErrorOf([&] { second->SetDatabaseName("RECIPES"); }),
            "Duplicate database name 'RECIPES'");
  EXPECT_EQ(second->DatabaseName(), "");

  // An unused temporary namesake gives way; a used one does not.
  TBindingCursor cursor;
  cursor.SetDatabaseName(image.Name());
  cursor.SetMediumType(mtMemory);
  cursor.OpenOrThrow();
  EXPECT_EQ(ErrorOf([&] { second->SetDatabaseName(image.Name()); }),
            "Duplicate database name '" + image.Name() + "'");
  cursor.Close();
  cursor.SetPassword("");  // a temporary one again, unused
  ASSERT_NE(DefaultSession().FindDatabase(image.Name()), nullptr);
  second->SetDatabaseName(image.Name());
  EXPECT_EQ(DefaultSession().FindDatabase(image.Name()), second);
}

TEST_F(DatabaseTest, EventsSurroundConnectAndDisconnect) {
  TMemoryImage image;
  TTinyDatabase database;
  std::vector<std::string> events;
  database.BeforeConnect = [&](TComponent* sender) {
    EXPECT_EQ(sender, &database);
    events.push_back("before connect");
  };
  database.AfterConnect = [&](TComponent*) { events.push_back("after connect"); };
  database.BeforeDisconnect = [&](TComponent*) { events.push_back("before disconnect"); };
  database.AfterDisconnect = [&](TComponent*) { events.push_back("after disconnect"); };
  database.SetDatabaseName(image.Name());
  database.SetMediumType(mtMemory);
  database.SetConnected(true);
  database.Connect();  // already connected: nothing
  database.SetConnected(false);
  database.Disconnect();
  EXPECT_EQ(events, (std::vector<std::string>{"before connect", "after connect",
                                              "before disconnect", "after disconnect"}));
}

TEST_F(DatabaseTest, OpenCursorKeepsItsBinding) {
  TMemoryImage image;
  TComponent window;
  auto* cursor = new TBindingCursor(&window);
  cursor->SetName("drinkTable");
  cursor->SetDatabaseName(image.Name());
  cursor->SetMediumType(mtMemory);
  cursor->OpenOrThrow();
  const std::string kOpen = "drinkTable: Cannot perform this operation on an open dataset";
  EXPECT_EQ(ErrorOf([&] { cursor->SetDatabaseName("other"); }), kOpen);
  EXPECT_EQ(ErrorOf([&] { cursor->SetSessionName("other"); }), kOpen);
  EXPECT_EQ(ErrorOf([&] { cursor->SetMediumType(mtDisk); }), kOpen);
  EXPECT_EQ(&cursor->Session(), &DefaultSession());
  EXPECT_EQ(cursor->DatabaseName(), image.Name());
}

}  // namespace
}  // namespace tinydb
