// My Bar in the main window: the shelf's check list and its summary, What
// Can I Make and One Ingredient Away, the shelf kept in the file across a
// restart, the index following edits, and the shopping list.
#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

#include "app/catalogue/MainFormFixture.h"
#include "bar/MyBar.h"
#include "bar/MyBarForm.h"
#include "bar/ShelfStore.h"
#include "bar/ShoppingListForm.h"

namespace zestoria::test {
namespace {

constexpr int32_t kNegroni = 21;
constexpr int32_t kAmericano = 22;
constexpr int32_t kShirleyTemple = 23;
constexpr int32_t kMartini = 24;

class MyBarFormTest : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    AddDrink("Negroni", "1 oz Gin\r\n1 oz Campari\r\n1 oz Sweet vermouth\r\nOrange peel", kNegroni);
    AddDrink("Americano", "1 1/2 oz Campari\r\n1 1/2 oz Sweet vermouth\r\nClub soda\r\nLemon twist", kAmericano);
    AddDrink("Shirley Temple", "6 oz Ginger ale\r\n1/2 oz Grenadine\r\nMaraschino cherry", kShirleyTemple);
    AddDrink("Dry Martini", "2 1/2 oz London dry gin\r\n1/2 oz Dry vermouth\r\nLemon twist", kMartini);
    Search().All1Click();
    platform.log.clear();
  }

  void AddDrink(const std::string& name, const std::string& ingred, int32_t id) {
    TDrink drink = SampleDrink(name);
    drink.ingred = ingred;
    form->catalogue().SetNextDrinkId(id);
    Recipe().insertDrink(drink, true, false);
  }

  QAction* DisplayItem(const char* name) {
    return WindowUi().displayPopUp->findChild<QAction*>(QString::fromLatin1(name));
  }
  // The row of drink |id| in the list, or -1.
  int RowOf(int32_t id) {
    const std::vector<int32_t> ids = ListedIds();
    const auto at = std::find(ids.begin(), ids.end(), id);
    return at == ids.end() ? -1 : static_cast<int>(at - ids.begin());
  }
  // The story's shelf: gin, Campari, sweet vermouth and lemons.
  void TickTheStory(TMyBarForm& bar) {
    for (const char* name : {"Gin", "Campari", "Sweet vermouth", "Lemon"})
      ASSERT_TRUE(bar.setTicked(QString::fromLatin1(name), true)) << name;
  }
  int Makeable(const QString& summary) {
    return summary.section(QLatin1Char(' '), 3, 3).toInt();
  }
};

TEST_F(MyBarFormTest, TheStoryNegroniMakeableAmericanoOneAway) {
  TMyBarForm& bar = form->myBarForm();
  EXPECT_EQ(bar.windowTitle(), QStringLiteral("My Bar"));
  // A file without a shelf starts with the staples only: nothing here.
  EXPECT_EQ(bar.summaryText(), QStringLiteral("You can make 0 drinks"));
  TickTheStory(bar);
  EXPECT_EQ(bar.summaryText(), QStringLiteral("You can make 1 drink"));  // the Negroni
  // Club soda would open the Americano and the six fixture drinks ("2 oz Soda").
  ASSERT_FALSE(bar.nextBottleTexts().isEmpty());
  EXPECT_EQ(bar.nextBottleTexts().first(), QStringLiteral("Club soda: +7"));
  EXPECT_TRUE(platform.Messages(QStringLiteral("Error")).isEmpty());

  DisplayItem("WhatCanIMake1")->trigger();
  EXPECT_EQ(ListedIds(), std::vector<int32_t>{kNegroni});
  EXPECT_EQ(form->modeWord(), QStringLiteral("Browse"));
  EXPECT_EQ(RecipeUi().StaticTitle->text(), QStringLiteral("Negroni"));
  EXPECT_EQ(form->statusText(2), QStringLiteral("1 of 1"));

  DisplayItem("OneAway1")->trigger();
  const int row = RowOf(kAmericano);
  ASSERT_GE(row, 0);
  EXPECT_EQ(RowOf(kNegroni), -1);
  EXPECT_EQ(RowOf(kShirleyTemple), -1);  // ginger ale and grenadine: two away
  EXPECT_EQ(ListedIds().size(), 7u);
  ClickRow(row);
  EXPECT_EQ(RecipeUi().StaticTitle->text(), QStringLiteral("Americano"));
  EXPECT_EQ(form->statusText(1), QStringLiteral("Missing: Club soda"));
  // A marked drink keeps its flags before the note.
  Recipe().markDrink();
  EXPECT_EQ(form->statusText(1), QStringLiteral("Marked / Missing: Club soda"));
  // Another listing drops the notes.
  Search().All1Click();
  ClickRow(RowOf(kAmericano));
  EXPECT_EQ(form->statusText(1), QStringLiteral("Marked"));
  EXPECT_TRUE(platform.Messages(QStringLiteral("Error")).isEmpty());
}

TEST_F(MyBarFormTest, TheShelfSurvivesARestart) {
  TickTheStory(form->myBarForm());
  ASSERT_TRUE(form->myBarForm().setTicked(QStringLiteral("Sugar"), false));  // a staple taken off
  ASSERT_TRUE(form->myBarForm().setTicked(QString::fromUtf8("Bénédictine"), true));  // stored in Windows-1252
  const QString summary = form->myBarForm().summaryText();
  form.reset();
  form = std::make_unique<TMainForm>(QStringList(QString::fromStdString(folder.Path("zestoria"))));
  const zestoria::bar::TMyBar& bar = form->bar();
  const auto has = [&bar](const char* name) { return bar.Shelf().Has(*bar.Vocabulary().FindName(name)); };
  EXPECT_TRUE(has("Gin"));
  EXPECT_TRUE(has("Campari"));
  EXPECT_TRUE(has("Sweet vermouth"));
  EXPECT_FALSE(has("Sugar"));
  EXPECT_TRUE(has("Salt"));
  EXPECT_TRUE(has("Bénédictine"));
  // The file holds the shelf as the shelf store reads it.
  {
    TDrinkCatalogue stored;
    stored.Open(databasePath);
    const std::vector<std::string> names = zestoria::bar::LoadShelfNames(stored);
    EXPECT_NE(std::find(names.begin(), names.end(), std::string("B\xE9" "n\xE9" "dictine")), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), std::string("Gin")), names.end());
  }
  EXPECT_EQ(form->myBarForm().summaryText(), summary);
  DisplayItem("WhatCanIMake1")->trigger();
  EXPECT_EQ(ListedIds(), std::vector<int32_t>{kNegroni});
}

TEST_F(MyBarFormTest, CheckListGroupsFiltersAndMarksStaples) {
  TMyBarForm& bar = form->myBarForm();
  bar.setFilterText(QStringLiteral("VERMOUTH"));
  const QStringList vermouths = bar.shownNames();
  EXPECT_TRUE(vermouths.contains(QStringLiteral("Sweet vermouth")));
  EXPECT_TRUE(vermouths.contains(QStringLiteral("Dry vermouth")));
  EXPECT_FALSE(vermouths.contains(QStringLiteral("Gin")));
  // Accents and aliases: "curacao" finds Curaçao.
  bar.setFilterText(QStringLiteral("curacao"));
  EXPECT_TRUE(bar.shownNames().contains(QString::fromUtf8("Curaçao")));
  bar.setFilterText(QStringLiteral("no such bottle"));
  EXPECT_TRUE(bar.shownNames().isEmpty());
  bar.setFilterText(QString());
  EXPECT_GT(bar.shownNames().size(), 200);
  EXPECT_FALSE(bar.setTicked(QStringLiteral("Unobtainium"), true));

  auto* list = bar.findChild<QTreeWidget*>(QStringLiteral("MyBarList"));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("Spirits"));
  bool sugarIsStaple = false;
  for (int g = 0; g < list->topLevelItemCount(); ++g) {
    for (int c = 0; c < list->topLevelItem(g)->childCount(); ++c) {
      const QTreeWidgetItem* item = list->topLevelItem(g)->child(c);
      if (item->text(0) == QStringLiteral("Sugar")) sugarIsStaple = item->text(1) == QStringLiteral("staple");
      if (item->text(0) == QStringLiteral("Gin")) {
        EXPECT_EQ(item->text(1), QString());
      }
    }
  }
  EXPECT_TRUE(sugarIsStaple);
}

// The index is built by the first question to the bar, from the catalogue
// as it then stands, and follows every change from there on.
TEST_F(MyBarFormTest, TheIndexIsBuiltOnFirstUseAndFollowsLaterChanges) {
  ASSERT_TRUE(WindowUi().bar);
  EXPECT_EQ(WindowUi().bar->Index().DrinkCount(), 0u);  // the start-up did not index
  const size_t drinks = form->catalogue().ListDrinks(std::string()).size();
  TickTheStory(form->myBarForm());  // the first use
  EXPECT_EQ(form->bar().Index().DrinkCount(), drinks);
  DisplayItem("WhatCanIMake1")->trigger();
  EXPECT_EQ(ListedIds(), std::vector<int32_t>{kNegroni});  // the drinks added before it are known
  TDrink boulevardier = SampleDrink("Boulevardier");
  boulevardier.ingred = "1 oz Campari\r\n1 oz Sweet vermouth";
  const int32_t id = Recipe().insertDrink(boulevardier, true, false);
  DisplayItem("WhatCanIMake1")->trigger();
  EXPECT_EQ(ListedIds(), (std::vector<int32_t>{id, kNegroni}));
  EXPECT_EQ(form->bar().Index().DrinkCount(), drinks + 1);
}

TEST_F(MyBarFormTest, TheIndexFollowsEditsAndDeletes) {
  TickTheStory(form->myBarForm());
  // The Americano gets its soda from the shelf's point of view: modified
  // without it, it can be made.
  TDrink americano = form->catalogue().LoadDrink(kAmericano);
  americano.ingred = "1 1/2 oz Campari\r\n1 1/2 oz Sweet vermouth\r\nLemon twist";
  Recipe().updateDrink(americano, false);
  DisplayItem("WhatCanIMake1")->trigger();
  EXPECT_EQ(ListedIds(), (std::vector<int32_t>{kAmericano, kNegroni}));  // by name

  // Deleted, the Negroni is gone from the answer.
  ClickRow(RowOf(kNegroni));
  Recipe().deleteSelectedDrink(false);
  DisplayItem("WhatCanIMake1")->trigger();
  EXPECT_EQ(ListedIds(), std::vector<int32_t>{kAmericano});

  // A pasted or added drink is indexed as it is stored.
  TDrink boulevardier = SampleDrink("Boulevardier");
  boulevardier.ingred = "1 oz Campari\r\n1 oz Sweet vermouth";
  const int32_t id = Recipe().insertDrink(boulevardier, true, false);
  DisplayItem("WhatCanIMake1")->trigger();
  EXPECT_EQ(ListedIds(), (std::vector<int32_t>{kAmericano, id}));
  EXPECT_EQ(form->bar().Index().DrinkCount(), form->catalogue().ListDrinks(std::string()).size());
}

TEST_F(MyBarFormTest, ShoppingListOfTheMarkedDrinks) {
  TickTheStory(form->myBarForm());
  form->catalogue().MarkDrinks({kAmericano, kShirleyTemple, kNegroni}, 1);
  const QString text = ShoppingListText(form->bar(), form->catalogue(), {kNegroni, kAmericano, kShirleyTemple});
  EXPECT_EQ(text, QStringLiteral("Shopping list for 3 marked drinks\n\n"
                                 "Club soda  (Americano)\n"
                                 "Ginger ale  (Shirley Temple)\n"
                                 "Grenadine  (Shirley Temple)\n"));

  // Bar > Shopping List: the window shows it; Copy puts it on the clipboard.
  QString shown;
  QTimer::singleShot(0, form.get(), [&] {
    auto* list = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(list, nullptr);
    shown = list->findChild<QPlainTextEdit*>(QStringLiteral("ShoppingListText"))->toPlainText();
    list->findChild<QPushButton*>(QStringLiteral("ShoppingListCopy"))->click();
    list->reject();
  });
  form->ShoppingListClick();
  EXPECT_EQ(shown, text);
  EXPECT_EQ(platform.clipboard, text);

  // Nothing marked: a warning, no window.
  form->catalogue().UnmarkAll();
  form->ShoppingListClick();
  EXPECT_EQ(platform.Messages(QStringLiteral("Warning")), QStringList{"There are no marked drinks"});
}

TEST_F(MyBarFormTest, TheBarMenuAndTheToolbarButton) {
  QStringList menus;
  for (QAction* action : form->menuBar()->actions()) menus << action->text();
  EXPECT_EQ(menus, (QStringList{"File", "Edit  ", "Mark", "Bar", "Help"}));
  QStringList top;
  for (QAction* action : WindowUi().displayPopUp->actions())
    top << (action->isSeparator() ? QStringLiteral("-") : action->text());
  EXPECT_EQ(top.mid(2, 4), (QStringList{"-", "What Can I Make", "One Ingredient Away", "-"}));
  bool button = false;
  for (QToolButton* b : WindowUi().ToolBar1->findChildren<QToolButton*>()) button = button || b->text() == "My Bar";
  EXPECT_TRUE(button);
}

}  // namespace
}  // namespace zestoria::test
