// Recipe files of other programs in the main window: importing them from
// the menu with the report and the one duplicates question, refusing a
// damaged file, the command line and a second copy, and File > "Export..."
// writing the listed or the marked drinks in each format.
#include <QListWidget>
#include <fstream>

#include "app/catalogue/MainFormFixture.h"
#include "exchange/DrinkImport.h"
#include "exchange/RecipeImport.h"
#include "tables/Table.h"

namespace zestoria::test {
namespace {

QString Fixture(const char* name) {
  return QString::fromLatin1(ZESTORIA_TEST_FIXTURES) + QStringLiteral("/recipes/") + QString::fromLatin1(name);
}

class MainFormInterchangeTest : public MainFormTest {
 protected:
  std::string WriteText(const char* name, const std::string& text) {
    const std::string path = folder.Path(name);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    return path;
  }
  std::vector<std::string> ListedNames() const {
    std::vector<std::string> names;
    for (int32_t id : ListedIds()) names.push_back(form->catalogue().LoadDrink(id).name);
    return names;
  }
  tinydb::TTinyTable& Table() { return form->catalogue().DrinkTable(); }
};

const char kDuplicateMargarita[] =
    "1 drink of this file has a name already in the catalogue:\n    Margarita\nAdd it as well? No leaves it out.";

TEST_F(MainFormInterchangeTest, MenuImportsOtherFormatsWithTheReportAndOneDuplicatesQuestion) {
  struct TCase {
    const char* label;
    const char* fixture;
    std::deque<bool> answers;  // the duplicates question (when asked), then display the new drinks
    QStringList questions;
    std::vector<std::string> added;  // in file order
  };
  const std::vector<TCase> cases = {
      {"a JSON-LD page", "jsonld-page.html", {true},
       {QStringLiteral("Added 1 drinks to the database.\n\rDisplay newly add drinks?")}, {"Negroni"}},
      {"TheCocktailDB, duplicates skipped", "cocktaildb-search.json", {false, true},
       {QString::fromLatin1(kDuplicateMargarita),
        QStringLiteral("Added 1 drinks to the database.\n\rSkipped 1 drink whose name the catalogue already "
                       "has.\n\rDisplay newly add drinks?")},
       {"Irish Coffee"}},
      // Irish Coffee came in just before.
      {"TheCocktailDB, duplicates added", "cocktaildb-search.json", {true, false},
       {QStringLiteral("2 drinks of this file have a name already in the catalogue:\n    Margarita\n"
                       "    Irish Coffee\nAdd them as well? No leaves them out."),
        QStringLiteral("Added 2 drinks to the database.\n\rDisplay newly add drinks?")},
       {"Margarita", "Irish Coffee"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.label);
    // The list shows the two Sours; the import's check of every name must
    // leave the cursor matching them.
    form->listDrinks("type=23", false);
    platform.log.clear();
    const int64_t first_id = form->nextDrinkId();
    platform.file_names.push_back(Fixture(c.fixture));
    platform.confirm_answers = c.answers;
    WindowUi().MenuImport->trigger();

    EXPECT_TRUE(platform.Messages(QStringLiteral("Error")).isEmpty()) << platform.LastMessage().toStdString();
    EXPECT_EQ(platform.Messages(QStringLiteral("Confirm")), c.questions);
    std::vector<int32_t> ids;
    for (size_t i = 0; i < c.added.size(); ++i) ids.push_back(static_cast<int32_t>(first_id + i));
    EXPECT_EQ(form->nextDrinkId(), first_id + static_cast<int64_t>(c.added.size()));
    for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(DrinkOnDisk(ids[i]).name, c.added[i]);
    if (c.answers.back()) {
      // Displayed: exactly the new drinks, through their filter.
      std::vector<int32_t> listed = ListedIds();
      std::sort(listed.begin(), listed.end());
      EXPECT_EQ(listed, ids);
      EXPECT_EQ(Table().Filter(), ImportedDrinksFilter(ids));
    } else {
      // Kept: the Sours and the new drinks in sorted place, the cursor's
      // filter still the list's.
      EXPECT_EQ(RecipeUi().ListBox->count(), static_cast<int>(2 + ids.size()));
      EXPECT_EQ(Table().Filter(), "type=23");
      EXPECT_EQ(form->currentDrink().id, ids.back());
    }
  }

  // Every drink left out: the report alone, with nothing to display.
  platform.log.clear();
  const int listed = RecipeUi().ListBox->count();
  platform.file_names.push_back(Fixture("cocktaildb-search.json"));
  platform.confirm_answers = {false};
  WindowUi().MenuImport->trigger();
  EXPECT_EQ(platform.Messages(QStringLiteral("Confirm")).size(), 1);
  EXPECT_EQ(platform.Messages(QStringLiteral("Information")),
            QStringList{QStringLiteral("Added 0 drinks to the database.\n\rSkipped 2 drinks whose name the catalogue "
                                       "already has.")});
  EXPECT_EQ(RecipeUi().ListBox->count(), listed);
}

TEST_F(MainFormInterchangeTest, DamagedOrEmptyFilesAreRefusedWithNothingAdded) {
  struct TCase {
    const char* label;
    std::string path;
    const char* reason;  // in the message, after the file's name
  };
  const std::vector<TCase> cases = {
      {"JSON cut short", WriteText("cut.json", "{\"drinks\": [{\"strDrink\": \"Kir\", \"strInstructions\": \"Stir"),
       "line 1"},
      {"a field of the wrong kind",
       WriteText("kind.json", "{\"drinks\": [{\"strDrink\": \"Kir\", \"strInstructions\": \"Stir\"},\n"
                              " {\"strDrink\": [1], \"strInstructions\": \"Stir\"}]}"),
       "record 2"},
      {"names and ids only", Fixture("cocktaildb-filter.json").toStdString(), "holds no recipe"},
  };
  const std::vector<uint8_t> saved = FileBytes(databasePath);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.label);
    platform.log.clear();
    platform.file_names.push_back(QString::fromStdString(c.path));
    platform.confirm_answers = {true, true};
    WindowUi().MenuImport->trigger();

    const QStringList errors = platform.Messages(QStringLiteral("Error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QString::fromStdString(c.path))) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains(QString::fromLatin1(c.reason))) << errors[0].toStdString();
    EXPECT_TRUE(platform.Messages(QStringLiteral("Confirm")).isEmpty());
    EXPECT_EQ(FileBytes(databasePath), saved);
    EXPECT_EQ(RecipeUi().ListBox->count(), 6);
    EXPECT_EQ(form->nextDrinkId(), 11);
  }
}

TEST_F(MainFormInterchangeTest, CommandLineAndASecondCopyImportEveryFormatAddingDuplicates) {
  // A CSV at start: Margarita is added as well, without a question.
  const std::string csv = WriteText("bar.csv",
                                    "name,type,glass,season,temperature,ingredients,directions\n"
                                    "Margarita,Cocktail,Cocktail,All,Cold,\"2 oz Tequila\n1 oz Lime juice\",Shake\n"
                                    "Paloma,Highball,Highball,All,Cold,2 oz Tequila,Build\n");
  form.reset();
  platform.log.clear();
  platform.confirm_answers = {true};
  form = std::make_unique<TMainForm>(
      QStringList{QString::fromStdString(folder.Path("zestoria")), QString::fromStdString(csv)});
  EXPECT_EQ(platform.Messages(QStringLiteral("Confirm")),
            QStringList{QStringLiteral("Added 2 drinks to the database.\n\rDisplay newly add drinks?")});
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"Margarita", "Paloma"}));
  EXPECT_EQ(DrinkOnDisk(11).ingred, "2 oz Tequila\r\n1 oz Lime juice");

  // A second copy hands over a TheCocktailDB response: Margarita again.
  platform.log.clear();
  platform.confirm_answers = {false};
  form->ToFront(QStringList{QStringLiteral("/elsewhere/zestoria"), Fixture("cocktaildb-search.json")});
  EXPECT_EQ(platform.Messages(QStringLiteral("Confirm")),
            QStringList{QStringLiteral("Added 2 drinks to the database.\n\rDisplay newly add drinks?")});
  EXPECT_EQ(DrinkOnDisk(13).name, "Margarita");
  EXPECT_EQ(DrinkOnDisk(14).name, "Irish Coffee");
}

TEST_F(MainFormInterchangeTest, ExportWritesTheListedOrTheMarkedDrinksInTheChosenFormat) {
  // Bloody Mary (3) and Zombie (5) marked; the list shows the two Sours.
  for (int32_t id : {3, 5}) {
    ClickRow(static_cast<int>(std::find(FixtureListOrder().begin(), FixtureListOrder().end(), id) -
                              FixtureListOrder().begin()));
    WindowUi().MenuMark->trigger();
  }
  form->listDrinks("type=23", false);
  ASSERT_EQ(ListedIds(), (std::vector<int32_t>{10, 9}));

  struct TCase {
    int filter;        // the save dialog's filter: .zdr, JSON-LD, Bar Assistant, CSV
    const char* name;  // the name typed
    const char* written;  // the file written
    TRecipeFormat format;
  };
  const std::vector<TCase> cases = {
      {0, "out", "out.zdr", TRecipeFormat::rfZdr},
      {1, "out", "out.jsonld", TRecipeFormat::rfJsonLd},
      {1, "ld.json", "ld.json", TRecipeFormat::rfJsonLd},
      {2, "out", "out.json", TRecipeFormat::rfBarAssistant},
      {3, "out", "out.csv", TRecipeFormat::rfCsv},
      // An extension only another filter has decides.
      {3, "typed.jsonld", "typed.jsonld", TRecipeFormat::rfJsonLd},
  };
  const std::vector<std::vector<int32_t>> scopes = {{10, 9}, {3, 5}};  // listed, then marked
  for (const TCase& c : cases) {
    for (int scope = 0; scope < 2; ++scope) {
      SCOPED_TRACE(std::string(c.written) + (scope ? " marked" : " listed"));
      platform.log.clear();
      const std::string written = folder.Path(c.written);
      std::filesystem::remove(written);
      platform.choose_answers = {scope};
      platform.save_file_names.push_back(QString::fromStdString(folder.Path(c.name)));
      platform.save_filter_choices = {c.filter};
      WindowUi().MenuExport->trigger();

      EXPECT_EQ(platform.Messages(QStringLiteral("Choose")),
                QStringList{QStringLiteral("Export the 2 drinks listed or the 2 drinks marked?\nListed Drinks\nMarked Drinks")});
      EXPECT_EQ(platform.Messages(QStringLiteral("Information")),
                QStringList{QStringLiteral("Exported 2 drinks to %1.").arg(QString::fromStdString(written))});
      const TRecipeFile file = ReadRecipeFile(written);
      EXPECT_EQ(file.format, c.format);
      ASSERT_EQ(file.drinks.size(), 2u);
      for (size_t i = 0; i < 2; ++i) {
        const TDrink drink = form->catalogue().LoadDrink(scopes[static_cast<size_t>(scope)][i]);
        EXPECT_EQ(file.drinks[i].name, drink.name);
        EXPECT_EQ(file.drinks[i].ingred, drink.ingred);
        EXPECT_EQ(file.drinks[i].type, drink.type);
      }
    }
  }
  EXPECT_EQ(ReadRecipeFile(folder.Path("out.zdr")).collectionName, "out");
  // Exporting never changes what the list shows.
  EXPECT_EQ(Table().Filter(), "type=23");
  EXPECT_EQ(ListedIds(), (std::vector<int32_t>{10, 9}));
}

TEST_F(MainFormInterchangeTest, ExportAsksOnlyWithMarksAndReportsAFailureNamingTheFile) {
  // Nothing marked: the listed drinks, without the question.
  const QString missing = QString::fromStdString(folder.Path("no such folder/out.csv"));
  platform.save_file_names.push_back(missing);
  WindowUi().MenuExport->trigger();
  EXPECT_TRUE(platform.Messages(QStringLiteral("Choose")).isEmpty());
  const QStringList errors = platform.Messages(QStringLiteral("Error"));
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Can not export drinks.\n\r"))) << errors[0].toStdString();
  EXPECT_TRUE(errors[0].contains(missing)) << errors[0].toStdString();
  EXPECT_TRUE(platform.Messages(QStringLiteral("Information")).isEmpty());

  // With a mark, closing the question ends the export before the dialog.
  WindowUi().MenuMark->trigger();
  platform.log.clear();
  platform.save_filters.clear();
  platform.choose_answers = {-1};
  WindowUi().MenuExport->trigger();
  EXPECT_EQ(platform.Messages(QStringLiteral("Choose")).size(), 1);
  EXPECT_TRUE(platform.save_filters.isEmpty());
  EXPECT_EQ(platform.log.size(), 1u);
}

}  // namespace
}  // namespace zestoria::test
