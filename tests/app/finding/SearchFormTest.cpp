// The Search page on the window: terms from the category menus, the AND/OR
// question, "OTHER ...", Undo, Clear, Search, All and the recent searches.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <functional>

#include "app/catalogue/MainFormFixture.h"
#include "finding/AndOrForm.h"
#include "finding/OtherForm.h"

namespace zestoria::test {
namespace {

class SearchFormTest : public MainFormTest {
 protected:
  // Runs |answer| on the modal dialog that opens during the next Choose;
  // |dialogSeen| tells whether one opened.
  void AnswerNextDialog(std::function<void(QWidget*)> answer) {
    dialogSeen = false;
    answerTimer = std::make_unique<QTimer>();
    answerTimer->setInterval(5);
    QObject::connect(answerTimer.get(), &QTimer::timeout, [this, answer] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (dialog == nullptr) return;
      answerTimer->stop();
      dialogSeen = true;
      answer(dialog);
    });
    answerTimer->start();
  }
  // Answers the AND/OR question with |button| ("Button1" AND, "Button2" OR),
  // keeping the term text it showed.
  void AnswerAndOr(const char* button) {
    AnswerNextDialog([this, button](QWidget* dialog) {
      auto* form = qobject_cast<TAndOrForm*>(dialog);
      ASSERT_NE(form, nullptr);
      shownTerm = form->Label1->text();
      form->findChild<QPushButton*>(QLatin1String(button))->click();
    });
  }
  // Answers the prompt with |text|, OK or Cancel.
  void AnswerPrompt(const QString& text, bool ok) {
    AnswerNextDialog([this, text, ok](QWidget* dialog) {
      auto* prompt = qobject_cast<TOtherForm*>(dialog);
      ASSERT_NE(prompt, nullptr);
      promptCaption = prompt->windowTitle();
      promptText = prompt->OtherEdit->text();
      prompt->OtherEdit->setText(text);
      (ok ? prompt->OKBtn : prompt->CancelBtn)->click();
    });
  }
  void Choose(const char* item) {
    QAction* action = form->findChild<QAction*>(QLatin1String(item));
    ASSERT_NE(action, nullptr) << item;
    action->trigger();
    answerTimer.reset();  // a dialog not opened is not answered later
  }
  std::string Filter() const { return Search().searchBuilder().Filter(); }
  // The pieces as the search runs them: an ingredient term as "[name] ",
  // the others as their filter pieces.
  std::string Parts() const {
    std::string joined;
    for (const TSearchPieces& part : Search().searchBuilder().parts())
      joined += part.ingredient.empty() ? part.filter : "[" + part.ingredient + "] ";
    return joined;
  }
  QString Shown() const { return SearchUi().SeaString->toPlainText(); }

  std::unique_ptr<QTimer> answerTimer;
  bool dialogSeen = false;
  QString shownTerm;
  QString promptCaption;
  QString promptText;
};

TEST_F(SearchFormTest, TwoTermsAskAndOrAndBuildBothTexts) {
  Choose("S_Liquor_Gin");
  EXPECT_EQ(Shown(), "Liquor(Gin) ");
  AnswerAndOr("Button1");
  Choose("S_Type_Cocktaik");
  EXPECT_TRUE(dialogSeen);
  EXPECT_EQ(shownTerm, "Type(Cocktail) ");
  EXPECT_EQ(Shown(), "Liquor(Gin) AND Type(Cocktail) ");
  EXPECT_EQ(Parts(), "[Gin] and TYPE = 3 ");

  // And first: the next term goes in without the question.
  SearchUi().SeaAnd->click();
  SearchUi().SeaAnd->click();
  AnswerAndOr("Button2");
  Choose("S_Glass_Highball");
  EXPECT_FALSE(dialogSeen);
  EXPECT_EQ(Parts(), "[Gin] and TYPE = 3 and GLASS = 7 ");
  EXPECT_TRUE(platform.log.empty());
}

TEST_F(SearchFormTest, UndoTakesBackTermThenConnectorAndTheQuestionReturns) {
  SearchUi().SeaUndo->click();  // nothing to take back
  EXPECT_TRUE(Search().searchBuilder().textParts().empty());
  Choose("S_Season_Summer");
  AnswerAndOr("Button2");
  Choose("S_Temp_Hot");
  EXPECT_EQ(Filter(), "SEASON = 2 or TEMP = 2 ");
  SearchUi().SeaUndo->click();
  EXPECT_EQ(Shown(), "Season(Summer) OR ");
  SearchUi().SeaSearch->click();  // a connector last
  EXPECT_EQ(platform.Messages(), QStringList{"Invalid Search"});
  SearchUi().SeaUndo->click();
  EXPECT_EQ(Shown(), "Season(Summer) ");
  AnswerAndOr("Button1");
  Choose("S_Glass_PunchBowl");
  EXPECT_TRUE(dialogSeen);
  EXPECT_EQ(Filter(), "SEASON = 2 and GLASS = 10 ");

  SearchUi().SeaClear->click();
  EXPECT_EQ(Shown(), "");
  SearchUi().SeaSearch->click();
  EXPECT_EQ(platform.Messages(), (QStringList{"Invalid Search", "Invalid Search"}));
}

TEST_F(SearchFormTest, OtherIngredientCancelEmptyAndTypedText) {
  AnswerPrompt(QStringLiteral("lime"), false);
  Choose("S_Liquor_Other");
  EXPECT_TRUE(dialogSeen);
  EXPECT_EQ(promptCaption, " Other Ingredient");
  EXPECT_TRUE(Search().searchBuilder().textParts().empty());
  AnswerPrompt(QString(), true);
  Choose("S_Liqueur_Other");
  EXPECT_TRUE(Search().searchBuilder().textParts().empty());

  AnswerPrompt(QStringLiteral("lime"), true);
  Choose("S_Ingred_Other");
  EXPECT_EQ(Shown(), "Other Ingredient(lime) ");
  EXPECT_EQ(Filter(), "ingred LIKE '%lime%'");
  SearchUi().SeaOr->click();
  EXPECT_EQ(Filter(), "ingred LIKE '%lime%'or ");

  // The prompt keeps its text; an apostrophe stays inside the literal.
  AnswerPrompt(QStringLiteral("O'Brien"), true);
  Choose("S_Liquor_Other");
  EXPECT_EQ(promptText, "lime");
  EXPECT_EQ(Filter(), "ingred LIKE '%lime%'or ingred LIKE '%O''Brien%'");
  SearchUi().SeaSearch->click();
  EXPECT_EQ(platform.Messages("Error"), QStringList{});
}

TEST_F(SearchFormTest, SearchListsRecordsAndAppends) {
  WindowUi().TabForm->setCurrentWidget(WindowUi().TabSearch);
  Choose("S_Type_Cocktaik");
  SearchUi().SeaSearch->click();
  EXPECT_EQ(WindowUi().TabForm->currentWidget(), WindowUi().TabRecipie);
  EXPECT_EQ(ListedIds(), std::vector<int32_t>{1});
  EXPECT_EQ(Shown(), "Type(Cocktail) ");  // the pieces stay

  SearchUi().SeaClear->click();
  Choose("S_Type_Sour");
  SearchUi().SeaRadioAppend->setChecked(true);
  SearchUi().SeaSearch->click();
  EXPECT_EQ(ListedIds(), (std::vector<int32_t>{1, 10, 9}));

  // Recent Searches: newest first; each re-runs its filter.
  ASSERT_NE(SearchUi().RecentSearches, nullptr);
  const QList<QAction*> recent = SearchUi().RecentSearches->actions();
  ASSERT_EQ(recent.size(), 2);
  EXPECT_EQ(recent[0]->text(), "Type(Sour) ");
  EXPECT_EQ(recent[1]->text(), "Type(Cocktail) ");
  recent[1]->trigger();
  EXPECT_EQ(ListedIds(), std::vector<int32_t>{1});
  EXPECT_TRUE(platform.log.empty());
}

TEST_F(SearchFormTest, NothingFoundKeepsTheListAndAllListsEveryDrink) {
  Choose("S_Liquor_Tequila");
  SearchUi().SeaSearch->click();
  EXPECT_EQ(ListedIds(), FixtureListOrder());
  EXPECT_EQ(platform.Messages(), QStringList{"There are no drinks to list"});
  EXPECT_EQ(SearchUi().RecentSearches->actions().size(), 1);

  AnswerAndOr("Button2");  // after a term: the question, answered OR
  Choose("S_Type_Cocktaik");
  AnswerAndOr("Button2");
  Choose("S_Type_Cocktaik");
  SearchUi().SeaSearch->click();
  EXPECT_EQ(ListedIds(), std::vector<int32_t>{1});

  platform.confirm_answers = {false, true};
  Search().SeaAllClick();
  EXPECT_EQ(ListedIds(), std::vector<int32_t>{1});
  Search().SeaAllClick();
  EXPECT_EQ(ListedIds(), FixtureListOrder());
  EXPECT_EQ(platform.Messages("Confirm").back(), "List all recipies?");
  EXPECT_EQ(Shown(), "Liquor(Tequila) OR Type(Cocktail) OR Type(Cocktail) ");
}

}  // namespace
}  // namespace zestoria::test
