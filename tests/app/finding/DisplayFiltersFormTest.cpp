// The display menu, Find Drink and Quick Search on a main window.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "app/catalogue/MainFormFixture.h"
#include "finding/DisplayFilters.h"
#include "finding/OtherForm.h"
#include "tables/TinyDB.h"

namespace zestoria::test {
namespace {

class DisplayMenuFormTest : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    // Drinks for the ingredient and name searches.
    AddDrink("Gin Fizz", "2 oz GIN\r\n1 tsp Sugar", 11, 11);      // id 11, a fizz
    AddDrink("Mamie Taylor", "2 oz Scotch\r\n4 oz Ginger Ale", 12);  // id 12
    AddDrink("Sloe Screw", "1 oz Sloe Gin\r\nOrange Juice", 13);    // id 13
    AddDrink("O'Brien Cooler", "1 oz Rum\r\nLime Juice", 14);       // id 14
    Search().All1Click();
    platform.log.clear();
  }

  void AddDrink(const std::string& name, const std::string& ingred, int32_t id, int32_t type = 3) {
    TDrink drink = SampleDrink(name, type);
    drink.ingred = ingred;
    form->catalogue().SetNextDrinkId(id);
    Recipe().insertDrink(drink, true, false);
  }

  QAction* Item(const char* name) { return WindowUi().displayPopUp->findChild<QAction*>(QString::fromLatin1(name)); }

  // Answers the next prompt: types |text| and presses OK (or Cancel);
  // |*seen| gets the edit's text as the prompt opened.
  void AnswerPrompt(const QString& text, bool ok, QString* seen = nullptr, QString* caption = nullptr,
                    QString* question = nullptr) {
    QTimer::singleShot(0, form.get(), [=, this] {
      TOtherForm* prompt = SearchUi().OtherForm;
      if (seen) *seen = prompt->OtherEdit->text();
      if (caption) *caption = prompt->windowTitle();
      if (question) *question = prompt->Label1->text();
      prompt->OtherEdit->setText(text);
      (ok ? prompt->OKBtn : prompt->CancelBtn)->click();
    });
  }

  std::vector<int32_t> Sorted(std::vector<int32_t> ids) {
    std::sort(ids.begin(), ids.end());
    return ids;
  }
};

TEST_F(DisplayMenuFormTest, MenuHoldsEveryItemInOrder) {
  QStringList top;
  for (QAction* action : WindowUi().displayPopUp->actions())
    top << (action->isSeparator() ? QStringLiteral("-") : action->text());
  // Further entries (the recorded searches) may follow the categories.
  EXPECT_EQ(top.mid(0, 16), QStringList({"All Drinks", "Marked Drinks", "-", "What Can I Make", "One Ingredient Away", "-",
                                         "Find Drink...", "Quick Search...", "-", "Liquors", "Liqueurs", "Ingredients",
                                         "Type", "Glassware", "Season", "Temperature"}));
  for (const TDisplaySubmenu& submenu : DisplaySubmenus()) {
    QMenu* menu = WindowUi().displayPopUp->findChild<QMenu*>(QString::fromLatin1(submenu.name));
    ASSERT_NE(menu, nullptr) << submenu.name;
    ASSERT_EQ(menu->actions().size(), static_cast<int>(submenu.items.size()));
    for (size_t i = 0; i < submenu.items.size(); ++i) {
      EXPECT_EQ(menu->actions()[i]->objectName(), QString::fromLatin1(submenu.items[i].name));
      EXPECT_EQ(menu->actions()[i]->text(), QString::fromLatin1(submenu.items[i].caption));
    }
  }
}

TEST_F(DisplayMenuFormTest, EveryCategoryItemFiltersTheList) {
  for (const TDisplaySubmenu& submenu : DisplaySubmenus()) {
    for (const TDisplayItem& item : submenu.items) {
      Item(item.name)->trigger();
      EXPECT_EQ(form->catalogue().DrinkTable().Filter(), CategoryFilter(submenu.category, item.caption))
          << item.name;
    }
  }
  // Only "nothing found" warnings; no filter failed.
  EXPECT_TRUE(platform.Messages(QStringLiteral("Error")).isEmpty());
}

// The ingredient items list the drinks with a line the recogniser names
// that ingredient: the letters "gin" in Ginger Ale or Sloe Gin are no gin.
TEST_F(DisplayMenuFormTest, GinListsOnlyTheDrinksWithGin) {
  Item("D_Liquor_Gin")->trigger();
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({11}));  // GIN; not Ginger Ale, not Sloe Gin
  EXPECT_EQ(form->modeWord(), QStringLiteral("Browse"));
  EXPECT_EQ(Recipe().selectedIndex(), 0);
  EXPECT_EQ(form->statusText(2), QStringLiteral("1 of 1"));
  Item("D_Ingred_GingerAle")->trigger();
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({12}));
  Item("D_Liqueur_SloeGin")->trigger();
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({13}));
  Item("D_Liquor_Whisky")->trigger();  // Scotch is a whiskey
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({12}));
  // Lemon and Lime are the fruit in any form: juice and cuts.
  Item("D_Ingred_Lime")->trigger();
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({14}));
  // Soda and Seltzer are club soda: the six fixture drinks have "2 oz Soda".
  Item("D_Ingred_Seltze")->trigger();
  EXPECT_EQ(Sorted(ListedIds()), std::vector<int32_t>({1, 2, 3, 5, 9, 10}));

  Item("D_Type_Fizz")->trigger();
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({11}));
  Item("D_Glass_Highball")->trigger();  // every sample drink has glass 7
  EXPECT_EQ(ListedIds().size(), 10u);
  EXPECT_TRUE(platform.log.empty());
}

TEST_F(DisplayMenuFormTest, NothingFoundKeepsTheListAndWarns) {
  Search().All1Click();
  ClickRow(2);
  const std::vector<int32_t> before = ListedIds();
  Item("D_Liqueur_Kahlua")->trigger();
  EXPECT_EQ(ListedIds(), before);
  EXPECT_EQ(Recipe().selectedIndex(), 2);
  EXPECT_EQ(platform.Messages(), QStringList("There are no drinks to list"));

  // Marked Drinks: the file's mark was cleared at start, so none is marked.
  platform.log.clear();
  Search().Marked1Click();
  EXPECT_EQ(ListedIds(), before);
  EXPECT_EQ(platform.Messages(QStringLiteral("Warning")), QStringList("There are no drinks to list"));

  Item("D_Type_Fizz")->trigger();
  Search().All1Click();
  EXPECT_EQ(ListedIds().size(), 10u);
}

TEST_F(DisplayMenuFormTest, FindDrinkWithAnApostrophe) {
  QString seen = QStringLiteral("x"), caption, question;
  AnswerPrompt(QStringLiteral("o'brien"), true, &seen, &caption, &question);
  Search().FindDrink2Click();
  EXPECT_EQ(caption, QStringLiteral(" Find Drink"));
  EXPECT_EQ(question, QStringLiteral("Enter Drink Name"));
  EXPECT_EQ(seen, QString());
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({14}));
  EXPECT_EQ(form->catalogue().DrinkTable().Filter(), "name LIKE '%o''brien%'");
  EXPECT_TRUE(platform.log.empty());

  // Text that tries to end the literal early only finds nothing.
  AnswerPrompt(QStringLiteral("x' OR name LIKE '"), true);
  Search().FindDrink2Click();
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({14}));
  EXPECT_EQ(platform.Messages(), QStringList("There are no drinks to list"));
}

TEST_F(DisplayMenuFormTest, FindDrinkWildcardsAndCase) {
  AnswerPrompt(QStringLiteral("MARG"), true);
  Search().FindDrink2Click();
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({1}));
  // "_" stands for any one character: "a_i" is in "Margarita" and "Mamie".
  AnswerPrompt(QStringLiteral("a_i"), true);
  Search().FindDrink2Click();
  EXPECT_EQ(Sorted(ListedIds()), std::vector<int32_t>({1, 12}));
}

TEST_F(DisplayMenuFormTest, QuickSearchOpensEmptyAndLooksInIngredients) {
  QString seen = QStringLiteral("x"), caption, question;
  AnswerPrompt(QStringLiteral("lime"), true, &seen, &caption, &question);
  Search().QuickSearch2Click();
  EXPECT_EQ(caption, QStringLiteral(" Quick Search "));
  EXPECT_EQ(question, QStringLiteral("Enter Ingredent"));
  EXPECT_EQ(seen, QString());
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({14}));

  // The edit is cleared again even though "lime" was typed last time.
  AnswerPrompt(QStringLiteral("sloe"), true, &seen);
  Search().QuickSearch2Click();
  EXPECT_EQ(seen, QString());
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({13}));
}

TEST_F(DisplayMenuFormTest, CancelOrEmptyTextLeavesTheList) {
  const std::vector<int32_t> before = ListedIds();
  AnswerPrompt(QStringLiteral("marg"), false);
  Search().FindDrink2Click();
  EXPECT_TRUE(SearchUi().OtherForm->cancelled);
  AnswerPrompt(QString(), true);
  Search().QuickSearch2Click();
  EXPECT_FALSE(SearchUi().OtherForm->cancelled);
  EXPECT_EQ(ListedIds(), before);
  EXPECT_TRUE(platform.log.empty());
}

}  // namespace
}  // namespace zestoria::test
