// Importing exchange files in the main window: from the menu with its
// questions, refused files, the command line and a second copy's hand-over.
#include <QListWidget>
#include <fstream>
#include <functional>

#include "app/catalogue/MainFormFixture.h"
#include "exchange/ExchangeWriter.h"

namespace zestoria::test {
namespace {

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class MainFormImportTest : public MainFormTest {
 protected:
  // An exchange file of three drinks (the second marked in the file).
  std::string WriteThreeDrinks(const std::string& collection = "Party Collection") {
    std::vector<TDrink> drinks = {SampleDrink("Kir", 3, "a"), SampleDrink("Aviation", 4, "b"),
                                  SampleDrink("Negroni", 5, "c")};
    drinks[1].marked = 1;
    const std::string path = folder.Path("party.zdr");
    WriteExchangeFile(path, collection, drinks);
    return path;
  }
  int32_t ListedIndexOf(int32_t id) const {
    const std::vector<int32_t> ids = ListedIds();
    for (size_t i = 0; i < ids.size(); ++i) {
      if (ids[i] == id) return static_cast<int32_t>(i);
    }
    return -1;
  }
};

TEST_F(MainFormImportTest, MenuImportAsksThenListsExactlyTheNewDrinks) {
  const std::string path = WriteThreeDrinks("A collection name of 27 chr");
  platform.file_names.push_back(QString::fromStdString(path));
  platform.confirm_answers = {true, true};
  WindowUi().MenuImport->trigger();

  // The program's own files first, then every recipe file, each format
  // alone and every file.
  ASSERT_EQ(platform.filters.size(), 1);
  EXPECT_EQ(QtFileFilter(platform.filters[0]),
            QStringLiteral("Zestoria  Drinks *.zdr (*.zdr);;Recipe files (*.json *.jsonld *.html *.htm *.csv *.zip);;"
                           "schema.org Recipe JSON-LD (*.jsonld *.json *.html *.htm);;Bar Assistant (*.json *.zip);;"
                           "TheCocktailDB (*.json);;IBA cocktail list (*.json);;CSV (*.csv);;All Files * (*)"));
  const QStringList questions = platform.Messages(QStringLiteral("Confirm"));
  ASSERT_EQ(questions.size(), 2);
  EXPECT_EQ(questions[0], QStringLiteral("Import A collection name of 27 c?"));
  EXPECT_EQ(questions[1], QStringLiteral("Added 3 drinks to the database.\n\rDisplay newly add drinks?"));
  EXPECT_TRUE(platform.Messages(QStringLiteral("Error")).isEmpty());
  // The list holds the three new drinks, by name; the one marked in the
  // file is ticked once listed through the filter.
  EXPECT_EQ(ListedIds(), (std::vector<int32_t>{12, 11, 13}));
  EXPECT_EQ(RecipeUi().ListBox->item(0)->checkState(), Qt::Checked);
  for (int32_t id : {11, 12, 13}) EXPECT_TRUE(DrinkOnDiskExists(id)) << id;
  EXPECT_EQ(DrinkOnDisk(11).name, "Kir");
  EXPECT_EQ(form->nextDrinkId(), 14);
}

TEST_F(MainFormImportTest, AnsweringNoKeepsTheListWithTheNewItemsInPlace) {
  platform.file_names.push_back(QString::fromStdString(WriteThreeDrinks()));
  platform.confirm_answers = {true, false};
  WindowUi().MenuImport->trigger();

  EXPECT_EQ(RecipeUi().ListBox->count(), 9);
  EXPECT_EQ(ListedIds(), (std::vector<int32_t>{2, 12, 3, 11, 1, 13, 10, 9, 5}));
  for (int row = 0; row < RecipeUi().ListBox->count(); ++row) {
    if (itemId(Recipe().itemText(row)) == 12) {
      EXPECT_EQ(RecipeUi().ListBox->item(row)->checkState(), Qt::Unchecked);
    }
  }
  // The last drink read is the one on show.
  EXPECT_EQ(Recipe().selectedIndex(), ListedIndexOf(13));
  EXPECT_EQ(form->currentDrink().id, 13);
  EXPECT_EQ(form->statusText(2), QStringLiteral("6 of 9"));
}

TEST_F(MainFormImportTest, RefusedFilesAddNothing) {
  struct TCase {
    const char* label;
    bool confirm_import;
    std::function<void(std::vector<uint8_t>&)> damage;
    const char* error_start;  // "" = no error expected
  };
  const std::vector<TCase> cases = {
      {"declined", false, [](std::vector<uint8_t>&) {}, ""},
      {"version 2", true, [](std::vector<uint8_t>& b) { b[0] = '2'; },
       "Error(2): Can not import drinks.\n\rThis ZDR file is not compatable with this version of Zestoria"},
      // Record 2's name length (stored one higher) says 30 characters.
      {"damaged record", true, [](std::vector<uint8_t>& b) { b[40 + 328 + 4] = 31; },
       "Error: Can not import drinks."},
  };
  const std::vector<uint8_t> saved = FileBytes(databasePath);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.label);
    platform.log.clear();
    std::vector<uint8_t> bytes =
        BuildExchangeFile("Party", {SampleDrink("Kir"), SampleDrink("Aviation"), SampleDrink("Negroni")});
    c.damage(bytes);
    const std::string path = folder.Path("refused.zdr");
    WriteBytes(path, bytes);
    platform.file_names.push_back(QString::fromStdString(path));
    platform.confirm_answers = {c.confirm_import, true};
    WindowUi().MenuImport->trigger();

    EXPECT_EQ(FileBytes(databasePath), saved);
    EXPECT_EQ(RecipeUi().ListBox->count(), 6);
    EXPECT_EQ(form->nextDrinkId(), 11);
    const QStringList errors = platform.Messages(QStringLiteral("Error"));
    if (*c.error_start == '\0') {
      EXPECT_TRUE(errors.isEmpty());
    } else {
      ASSERT_EQ(errors.size(), 1);
      EXPECT_TRUE(errors[0].startsWith(QString::fromLatin1(c.error_start))) << errors[0].toStdString();
    }
  }
  EXPECT_TRUE(platform.Messages(QStringLiteral("Error")).last().contains(QStringLiteral("record 2")))
      << platform.Messages(QStringLiteral("Error")).last().toStdString();
}

TEST_F(MainFormImportTest, CommandLineImportAsksOnlyWhetherToListTheNewDrinks) {
  const std::string path = WriteThreeDrinks();
  form.reset();
  platform.log.clear();
  platform.confirm_answers = {true};
  form = std::make_unique<TMainForm>(
      QStringList{QString::fromStdString(folder.Path("zestoria")), QString::fromStdString(path)});
  EXPECT_EQ(platform.Messages(QStringLiteral("Confirm")),
            QStringList{QStringLiteral("Added 3 drinks to the database.\n\rDisplay newly add drinks?")});
  EXPECT_EQ(ListedIds(), (std::vector<int32_t>{12, 11, 13}));
  EXPECT_TRUE(DrinkOnDiskExists(13));
}

TEST_F(MainFormImportTest, ASecondCopysFileIsImportedWithoutTheImportQuestion) {
  const std::string path = WriteThreeDrinks();
  platform.confirm_answers = {false};
  form->ToFront(QStringList{QStringLiteral("/elsewhere/zestoria"), QString::fromStdString(path)});
  EXPECT_EQ(platform.Messages(QStringLiteral("Confirm")).size(), 1);
  EXPECT_EQ(RecipeUi().ListBox->count(), 9);
  EXPECT_TRUE(DrinkOnDiskExists(11));

  // Without a file only the window comes forward.
  platform.log.clear();
  form->ToFront(QStringList{QStringLiteral("/elsewhere/zestoria")});
  EXPECT_TRUE(platform.log.empty());
  EXPECT_EQ(RecipeUi().ListBox->count(), 9);
}

}  // namespace
}  // namespace zestoria::test
