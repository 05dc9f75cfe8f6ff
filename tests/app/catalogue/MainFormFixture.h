// A main window on a small catalogue of its own, with a scripted platform
// answering for the user.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/catalogue/CatalogueTestKit.h"
#include "catalogue/DrinkList.h"
#include "catalogue/ListItem.h"
#include "catalogue/RecipePage.h"
#include "finding/SearchPage.h"
#include "finding/OtherForm.h"
#include "shell/InformationPage.h"
#include "shell/MainForm.h"
#include "platform/Errors.h"
#include "support/ScriptedPlatform.h"

// The controls of the window and its pages, as the tests reach them.
struct TMainForm::TestAccess {
  explicit TestAccess(TMainForm& window) : form(window) {}
  TMainForm& form;
  QTabWidget* TabForm = form.TabForm;
  QWidget* TabRecipie = form.recipePage_;
  QWidget* TabSearch = form.searchPage_;
  QWidget* TabMisc = form.informationPage_;
  QToolBar* ToolBar1 = form.ToolBar1;
  QToolBar* ToolBar2 = form.ToolBar2;
  QMenu* MenuFile = form.MenuFile;
  QAction* MenuImport = form.MenuImport;
  QAction* MenuExport = form.MenuExport;
  QAction* MenuPrintDrink = form.MenuPrintDrink;
  QAction* MenuPrintMarked = form.MenuPrintMarked;
  QAction* MenuPrintList = form.MenuPrintList;
  QAction* Exit1 = form.Exit1;
  QMenu* MenuEdit = form.MenuEdit;
  QAction* MenuCopy = form.MenuCopy;
  QAction* PasteDrink1 = form.PasteDrink1;
  QMenu* MenuMarks = form.MenuMarks;
  QAction* MenuMarkList = form.MenuMarkList;
  QAction* MenuMark = form.MenuMark;
  QAction* MenuUnmark = form.MenuUnmark;
  QMenu* displayPopUp = form.displayPopUp;
  QMenu* PopPrintMenu = form.PopPrintMenu;
  // Made on first use.
  TThePrintDialog*& ThePrintDialog = form.ThePrintDialog;
  TPrintScope& printScope = form.printScope_;
  // My Bar as loaded (its index is built by the first form.bar()).
  const std::unique_ptr<zestoria::bar::TMyBar>& bar = form.bar_;
};

struct TRecipePage::TestAccess {
  explicit TestAccess(TRecipePage& recipe) : page(recipe) {}
  TRecipePage& page;
  TDrinkList* ListBox = page.ListBox;
  QLineEdit* StaticTitle = page.StaticTitle;
  QTextEdit* StaticAd = page.StaticAd;
  QLineEdit* StaticType = page.StaticType;
  QLineEdit* StaticGlass = page.StaticGlass;
  QLineEdit* StaticSeason = page.StaticSeason;
  QLineEdit* StaticTemp = page.StaticTemp;
  QPlainTextEdit* StaticIngred = page.StaticIngred;
  QPlainTextEdit* StaticDir = page.StaticDir;
  QComboBox* EditType = page.EditType;
  QComboBox* EditGlass = page.EditGlass;
};

struct TSearchPage::TestAccess {
  explicit TestAccess(TSearchPage& search) : page(search) {}
  TSearchPage& page;
  QTextEdit* SeaString = page.SeaString;
  QRadioButton* SeaRadioAppend = page.SeaRadioAppend;
  QPushButton* SeaAnd = page.SeaAnd;
  QPushButton* SeaOr = page.SeaOr;
  QPushButton* SeaSearch = page.SeaSearch;
  QPushButton* SeaClear = page.SeaClear;
  QPushButton* SeaUndo = page.SeaUndo;
  QMenu* RecentSearches = page.RecentSearches;
  TOtherForm* OtherForm = page.OtherForm;
};

namespace zestoria::test {

// The fixture catalogue, by id: two drinks named "Sour" (ids 9 and 10), a
// read-only drink, and a drink marked in the file.
struct TFixtureDrink {
  int32_t id;
  const char* name;
  int32_t type;
  int32_t marked;
  int32_t read_only;
};
inline const std::vector<TFixtureDrink>& FixtureDrinks() {
  static const std::vector<TFixtureDrink> drinks = {
      {1, "Margarita", 3, 1, 0}, {2, "apple Martini", 14, 0, 0}, {3, "Bloody Mary", 15, 0, 0},
      {5, "Zombie", 2, 0, 1},    {9, "Sour", 23, 0, 0},          {10, "Sour", 23, 0, 0}};
  return drinks;
}
// The list's order: by name ignoring case, "Sour" 10 before "Sour" 9.
inline const std::vector<int32_t>& FixtureListOrder() {
  static const std::vector<int32_t> order = {2, 3, 1, 10, 9, 5};
  return order;
}

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    databasePath = folder.Path(kCatalogueFileName);
    CreateCatalogueFile(databasePath);
    if (!empty_catalogue_) {
      TDrinkCatalogue catalogue;
      catalogue.Open(databasePath);
      for (const TFixtureDrink& d : FixtureDrinks()) {
        TDrink drink = SampleDrink(d.name, d.type, std::to_string(d.id));
        drink.marked = d.marked;
        drink.read_only = d.read_only;
        catalogue.SetNextDrinkId(d.id);
        catalogue.InsertDrink(drink, false);
      }
      catalogue.SaveDatabase();
    }
    fileBeforeStart = FileBytes(databasePath);
    // The ingredient vocabulary lies beside the program.
    std::filesystem::copy_file(ZESTORIA_APP_DIR "/ingredients.json", folder.Path("ingredients.json"),
                               std::filesystem::copy_options::overwrite_existing);
    form = std::make_unique<TMainForm>(QStringList(QString::fromStdString(folder.Path("zestoria"))));
    form->show();
  }

  void TearDown() override { form.reset(); }

  // The drink as the file on disk holds it.
  TDrink DrinkOnDisk(int32_t id) {
    TDrinkCatalogue catalogue;
    catalogue.Open(databasePath);
    return catalogue.LoadDrink(id);
  }
  bool DrinkOnDiskExists(int32_t id) {
    TDrinkCatalogue catalogue;
    catalogue.Open(databasePath);
    return catalogue.FindDrink(id);
  }
  // The ids of the listed drinks, in list order.
  std::vector<int32_t> ListedIds() const {
    std::vector<int32_t> ids;
    for (int row = 0; row < RecipeUi().ListBox->count(); ++row) ids.push_back(itemId(Recipe().itemText(row)));
    return ids;
  }
  // The window's pages and the controls of the window and its pages.
  TRecipePage& Recipe() const { return form->recipePage(); }
  TSearchPage& Search() const { return form->searchPage(); }
  TMainForm::TestAccess WindowUi() const { return TMainForm::TestAccess(*form); }
  TRecipePage::TestAccess RecipeUi() const { return TRecipePage::TestAccess(form->recipePage()); }
  TSearchPage::TestAccess SearchUi() const { return TSearchPage::TestAccess(form->searchPage()); }

  // Presses |key| as the user would: the focused control receives it.
  void PressKey(int key) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.get();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
  }
  // Selects list item |row| as a click would.
  void ClickRow(int row) { RecipeUi().ListBox->setCurrentRow(row); }

  bool empty_catalogue_ = false;
  TScriptedPlatform platform;
  tinydb::test::TTempDir folder;
  std::string databasePath;
  std::vector<uint8_t> fileBeforeStart;
  std::unique_ptr<TMainForm> form;
};

}  // namespace zestoria::test
