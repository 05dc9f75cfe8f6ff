// The main window driven as a user drives it: start-up, modes, the list,
// editing, marks, the drink clipboard and the saves behind them.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolBar>
#include <QWheelEvent>
#include <filesystem>

#include <sys/stat.h>

#include "app/catalogue/MainFormFixture.h"
#include "catalogue/Vocabularies.h"

namespace zestoria::test {
namespace {

const QString kUndoQuestion = QStringLiteral("Drink is being edited.  Undo changes");

// ---------------------------------------------------------------------------
// Start-up

TEST_F(MainFormTest, StartUpListsEveryDrinkClearsMarksAndSavesThem) {
  EXPECT_EQ(form->modeWord(), "Browse");
  EXPECT_EQ(form->nextDrinkId(), 11);
  EXPECT_EQ(ListedIds(), FixtureListOrder());
  EXPECT_EQ(RecipeUi().ListBox->item(3)->text(), "Sour");
  EXPECT_EQ(Recipe().itemText(3), makeListItem("Sour", 10));

  // The first drink is on show, its position in the status line.
  EXPECT_EQ(form->currentDrink().id, 2);
  EXPECT_EQ(RecipeUi().StaticTitle->text(), "apple Martini");
  EXPECT_EQ(RecipeUi().StaticType->text(), "Martini");
  EXPECT_EQ(RecipeUi().StaticGlass->text(), "Highball");
  EXPECT_EQ(Recipe().shownGlassPicture(), 7);
  EXPECT_EQ(form->statusText(0), "Browse");
  EXPECT_EQ(form->statusText(2), "1 of 6");

  // The marked drink is listed unchecked, and the file lost its mark.
  for (int row = 0; row < RecipeUi().ListBox->count(); ++row)
    EXPECT_EQ(RecipeUi().ListBox->item(row)->checkState(), Qt::Unchecked);
  EXPECT_EQ(DrinkOnDisk(1).marked, 0);
  EXPECT_TRUE(platform.log.empty()) << platform.LastMessage().toStdString();
}

// A start-up that clears no mark and imports nothing leaves the file as it
// was: not rewritten (same inode and time), and the next start reads it.
TEST_F(MainFormTest, AStartUpThatChangesNothingWritesNothing) {
  form.reset();  // the first start cleared the fixture's mark and saved
  struct stat before {};
  ASSERT_EQ(::stat(databasePath.c_str(), &before), 0);
  const std::vector<uint8_t> bytes = FileBytes(databasePath);
  form = std::make_unique<TMainForm>(QStringList(QString::fromStdString(folder.Path("zestoria"))));
  EXPECT_EQ(RecipeUi().ListBox->count(), 6);
  struct stat after {};
  ASSERT_EQ(::stat(databasePath.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(FileBytes(databasePath), bytes);
  EXPECT_TRUE(platform.log.empty()) << platform.LastMessage().toStdString();
}

class EmptyMainFormTest : public MainFormTest {
 protected:
  EmptyMainFormTest() { empty_catalogue_ = true; }
};

TEST_F(EmptyMainFormTest, AnEmptyCatalogueStartsWithNextIdZero) {
  EXPECT_EQ(form->nextDrinkId(), 0);
  EXPECT_EQ(RecipeUi().ListBox->count(), 0);
  EXPECT_EQ(platform.Messages("Warning"), QStringList{"There are no drinks to list"});
  EXPECT_EQ(form->modeWord(), "Browse");
}

TEST(MainFormStartUp, AMissingDatabaseStopsTheStart) {
  TScriptedPlatform platform;
  tinydb::test::TTempDir folder;
  const QStringList arguments(QString::fromStdString(folder.Path("zestoria")));
  EXPECT_THROW(TMainForm form(arguments), tinydb::EFOpenError);
  EXPECT_FALSE(std::filesystem::exists(folder.Path(kCatalogueFileName)));
}

// ---------------------------------------------------------------------------
// Modes and menus

TEST_F(MainFormTest, SearchAndInformationDisableTheMenusTheRecipePageEnablesThem) {
  for (QWidget* page : {WindowUi().TabSearch, WindowUi().TabMisc}) {
    WindowUi().TabForm->setCurrentWidget(page);
    SCOPED_TRACE(form->modeWord().toStdString());
    EXPECT_EQ(form->statusText(0), form->modeWord());
    for (QMenu* menu : {WindowUi().MenuMarks, WindowUi().MenuEdit})
      for (QAction* item : menu->actions()) EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    for (QAction* item : WindowUi().MenuFile->actions()) {
      if (!item->isSeparator()) {
        EXPECT_EQ(item->isEnabled(), item == WindowUi().Exit1) << item->text().toStdString();
      }
    }
    PressKey(Qt::Key_Insert);  // no window-wide meaning here
    PressKey(Qt::Key_Delete);
    EXPECT_TRUE(platform.log.empty());
    PressKey(Qt::Key_Escape);  // back to the Recipe page
    EXPECT_EQ(WindowUi().TabForm->currentWidget(), WindowUi().TabRecipie);
    EXPECT_EQ(form->modeWord(), "Browse");
    EXPECT_TRUE(WindowUi().MenuMarkList->isEnabled());
    EXPECT_TRUE(WindowUi().MenuCopy->isEnabled());
    EXPECT_FALSE(WindowUi().PasteDrink1->isEnabled());
  }
  EXPECT_EQ(form->statusText(2), "1 of 6");
  Recipe().Copydrink1Click();
  WindowUi().TabForm->setCurrentWidget(WindowUi().TabMisc);
  WindowUi().TabForm->setCurrentWidget(WindowUi().TabRecipie);
  EXPECT_TRUE(WindowUi().PasteDrink1->isEnabled());
}

TEST_F(MainFormTest, AddModeCoversTheToolbarAndShowsTheChoosers) {
  PressKey(Qt::Key_Insert);
  EXPECT_EQ(form->modeWord(), "Add");
  EXPECT_EQ(form->statusText(0), "Add Drink");
  EXPECT_EQ(form->statusText(2), "");
  EXPECT_FALSE(WindowUi().ToolBar2->isHidden());
  EXPECT_EQ(WindowUi().ToolBar2->geometry(), WindowUi().ToolBar1->geometry());
  EXPECT_TRUE(RecipeUi().StaticType->isHidden());
  EXPECT_FALSE(RecipeUi().EditType->isHidden());
  EXPECT_EQ(RecipeUi().EditType->geometry(), RecipeUi().StaticType->geometry());
  EXPECT_FALSE(RecipeUi().StaticTitle->isReadOnly());
  EXPECT_EQ(RecipeUi().StaticTitle->text(), "");
  EXPECT_EQ(form->focusWidget(), RecipeUi().StaticTitle);
  EXPECT_EQ(Recipe().selectedIndex(), -1);
  EXPECT_EQ(Recipe().shownGlassPicture(), 3);
  for (QAction* item : WindowUi().MenuMarks->actions()) EXPECT_FALSE(item->isEnabled());

  PressKey(Qt::Key_Delete);  // edits text, deletes no drink
  PressKey(Qt::Key_Escape);
  EXPECT_EQ(form->modeWord(), "Browse");
  EXPECT_TRUE(WindowUi().ToolBar2->isHidden());
  EXPECT_TRUE(RecipeUi().StaticTitle->isReadOnly());
  EXPECT_EQ(Recipe().selectedIndex(), 0);
  EXPECT_EQ(RecipeUi().StaticTitle->text(), "apple Martini");
  EXPECT_TRUE(platform.log.empty());
}

// ---------------------------------------------------------------------------
// Navigation

TEST_F(MainFormTest, NextPreviousAndTheWheelMoveThroughTheList) {
  Recipe().ButPrevoiusClick();  // on the first item: nothing
  EXPECT_EQ(Recipe().selectedIndex(), 0);
  Recipe().ButNextClick();
  EXPECT_EQ(form->currentDrink().id, 3);
  EXPECT_EQ(form->statusText(2), "2 of 6");
  EXPECT_TRUE(form->FormMouseWheel(true));
  EXPECT_EQ(form->currentDrink().id, 1);
  EXPECT_TRUE(form->FormMouseWheel(false));
  EXPECT_EQ(form->currentDrink().id, 3);

  ClickRow(5);
  EXPECT_EQ(form->currentDrink().id, 5);
  EXPECT_EQ(form->statusText(1), "Read Only");
  Recipe().ButNextClick();  // on the last item: nothing
  EXPECT_FALSE(form->FormMouseWheel(true));
  EXPECT_EQ(Recipe().selectedIndex(), 5);

  WindowUi().TabForm->setCurrentWidget(WindowUi().TabMisc);
  EXPECT_FALSE(form->FormMouseWheel(false));  // another page: nothing
  EXPECT_EQ(Recipe().selectedIndex(), 5);
}

TEST_F(MainFormTest, KeysAndTheWheelReachTheWindowOnce) {
  QApplication::setActiveWindow(form.get());
  RecipeUi().ListBox->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), RecipeUi().ListBox);

  PressKey(Qt::Key_Delete);  // answered No
  EXPECT_EQ(platform.Messages(), QStringList{"Delete this drink recipie?"});
  PressKey(Qt::Key_Return);  // Enter and space toggle the mark
  EXPECT_EQ(RecipeUi().ListBox->item(0)->checkState(), Qt::Checked);
  PressKey(Qt::Key_Space);
  EXPECT_EQ(RecipeUi().ListBox->item(0)->checkState(), Qt::Unchecked);

  QWheelEvent down(QPointF(10, 10), RecipeUi().ListBox->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                   QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(RecipeUi().ListBox->viewport(), &down);
  EXPECT_EQ(Recipe().selectedIndex(), 1);
  EXPECT_EQ(form->currentDrink().id, 3);
}

TEST_F(MainFormTest, ClickingTheListWhileAddingAsksFirst) {
  ClickRow(2);
  Recipe().ButAddClick();
  RecipeUi().StaticTitle->setText("Half done");

  platform.confirm_answers = {false};  // keep editing
  ClickRow(4);
  EXPECT_EQ(platform.LastMessage(), kUndoQuestion);
  EXPECT_EQ(form->modeWord(), "Add");
  EXPECT_EQ(Recipe().selectedIndex(), -1);
  EXPECT_EQ(RecipeUi().StaticTitle->text(), "Half done");

  platform.confirm_answers = {true};  // undo: the drink selected before adding
  ClickRow(4);
  EXPECT_EQ(form->modeWord(), "Browse");
  EXPECT_EQ(Recipe().selectedIndex(), 2);
  EXPECT_EQ(form->currentDrink().id, 1);
}

TEST_F(MainFormTest, ActivationShowsTheSelectedDrink) {
  ClickRow(2);
  RecipeUi().StaticTitle->setText("stale");
  form->FormActivate();
  EXPECT_EQ(RecipeUi().StaticTitle->text(), "Margarita");
  EXPECT_EQ(Recipe().selectedIndex(), 2);

  RecipeUi().ListBox->clearSelection();
  form->FormActivate();  // no selection: item 0 is selected and shown
  EXPECT_EQ(Recipe().selectedIndex(), 0);
  EXPECT_EQ(form->currentDrink().id, 2);
}

// An error that leaves a filling of the list half-way leaves the list's
// click handler working: an item without an id makes an appending fill
// throw after it has started changing the list.
TEST_F(MainFormTest, AFillThatFailsHalfWayLeavesTheListAnsweringClicks) {
  RecipeUi().ListBox->addItem(QStringLiteral("no id"));
  EXPECT_THROW(Recipe().fillList("id > 2", true), tinydb::EConvertError);
  EXPECT_TRUE(RecipeUi().ListBox->updatesEnabled());
  EXPECT_EQ(form->modeWord(), "Browse");
  ClickRow(1);
  EXPECT_EQ(form->currentDrink().id, 3);
  EXPECT_EQ(RecipeUi().StaticTitle->text(), "Bloody Mary");
}

// ---------------------------------------------------------------------------
// Editing

TEST_F(MainFormTest, AddCommitsANewDrinkAndSavesIt) {
  Recipe().ButAddClick();
  Recipe().ButtonCommitClick();  // no name yet
  EXPECT_EQ(platform.Messages("Message"), QStringList{"Drink must have a name"});
  EXPECT_EQ(form->modeWord(), "Add");

  RecipeUi().StaticTitle->setText(QString::fromUtf8("Café Royal"));
  RecipeUi().StaticIngred->setPlainText("1 oz Brandy\n1 cup Coffee");
  Recipe().ButtonCommitClick();
  EXPECT_EQ(form->modeWord(), "Browse");
  EXPECT_EQ(form->nextDrinkId(), 12);
  EXPECT_EQ(form->currentDrink().id, 11);
  EXPECT_EQ(RecipeUi().ListBox->currentItem()->text(), QString::fromUtf8("Café Royal"));
  EXPECT_EQ(form->statusText(2), "3 of 7");  // apple, Bloody, Café, ...

  // Nothing chosen: type, season and glass -1, temperature Cold.
  const TDrink stored = DrinkOnDisk(11);
  EXPECT_EQ(stored.name, "Caf\xE9 Royal");
  EXPECT_EQ(stored.ingred, "1 oz Brandy\r\n1 cup Coffee");
  EXPECT_EQ(stored.status, "N");
  EXPECT_EQ(std::vector<int32_t>({stored.type, stored.season, stored.glass, stored.temp}),
            std::vector<int32_t>({-1, -1, -1, 0}));
  EXPECT_EQ(RecipeUi().StaticType->text(), "");
  EXPECT_EQ(RecipeUi().StaticTemp->text(), "Cold");
  EXPECT_EQ(Recipe().shownGlassPicture(), -1);

  // The next Add takes the next id, also after the newest drink is deleted.
  platform.confirm_answers = {true};
  Recipe().deleteSelectedDrink(true);
  Recipe().ButAddClick();
  RecipeUi().StaticTitle->setText("Next");
  Recipe().ButtonCommitClick();
  EXPECT_EQ(form->currentDrink().id, 12);
  EXPECT_FALSE(DrinkOnDiskExists(11));
  EXPECT_TRUE(DrinkOnDiskExists(12));
}

TEST_F(MainFormTest, CommitRefusesACharacterTheCatalogueCannotHold) {
  const std::vector<uint8_t> saved = FileBytes(databasePath);
  Recipe().ButAddClick();
  RecipeUi().StaticTitle->setText(QString::fromUtf8("Gin \u0100ni"));
  Recipe().ButtonCommitClick();
  ASSERT_EQ(platform.Messages("Error").size(), 1);
  EXPECT_TRUE(platform.Messages("Error")[0].contains(QString::fromUtf8("\u0100")));
  EXPECT_EQ(form->modeWord(), "Add");
  EXPECT_EQ(form->nextDrinkId(), 11);
  EXPECT_EQ(FileBytes(databasePath), saved);
  EXPECT_EQ(RecipeUi().ListBox->count(), 6);
}

TEST_F(MainFormTest, ModifyChangesTheDrinkInPlace) {
  ClickRow(0);  // apple Martini, type Martini
  Recipe().ButModifyClick();
  EXPECT_EQ(form->modeWord(), "Modify");
  EXPECT_EQ(form->statusText(0), "Modify Drink");
  EXPECT_EQ(RecipeUi().EditType->currentText(), "Martini");
  EXPECT_EQ(RecipeUi().EditGlass->currentIndex(), 7);

  RecipeUi().StaticTitle->setText("Zzz Apple");
  RecipeUi().EditType->setCurrentText("Frozen");
  Recipe().ButtonCommitClick();
  EXPECT_EQ(form->modeWord(), "Browse");
  EXPECT_EQ(Recipe().selectedIndex(), 0);  // stays until the list is refilled
  EXPECT_EQ(RecipeUi().ListBox->item(0)->text(), "Zzz Apple");
  EXPECT_EQ(Recipe().itemText(0), makeListItem("Zzz Apple", 2));
  const TDrink stored = DrinkOnDisk(2);
  EXPECT_EQ(stored.name, "Zzz Apple");
  EXPECT_EQ(stored.type, 1);
  EXPECT_EQ(stored.status, "M");
  EXPECT_EQ(RecipeUi().StaticType->text(), "Frozen");
}

TEST_F(MainFormTest, EscapeAndCancelLeaveTheDrinkAsItWas) {
  const std::vector<uint8_t> saved = FileBytes(databasePath);
  for (bool escape : {true, false}) {
    ClickRow(1);
    Recipe().ButModifyClick();
    RecipeUi().StaticTitle->setText("Changed");
    RecipeUi().StaticDir->setPlainText("Changed");
    if (escape) PressKey(Qt::Key_Escape);
    else Recipe().ButtonCancelClick();
    EXPECT_EQ(form->modeWord(), "Browse");
    EXPECT_EQ(Recipe().selectedIndex(), 1);
    EXPECT_EQ(RecipeUi().StaticTitle->text(), "Bloody Mary");
    EXPECT_EQ(RecipeUi().StaticDir->toPlainText(), "Stir Bloody Mary3.");
  }
  EXPECT_EQ(FileBytes(databasePath), saved);
}

TEST_F(MainFormTest, AReadOnlyDrinkCannotBeModifiedButCanBeDeleted) {
  ClickRow(5);
  Recipe().ButModifyClick();
  EXPECT_EQ(platform.Messages("Information"), QStringList{"Can not modify this drink!"});
  EXPECT_EQ(form->modeWord(), "Browse");
  platform.confirm_answers = {true};
  PressKey(Qt::Key_Delete);
  EXPECT_EQ(platform.LastMessage(), "Delete this drink recipie?");
  EXPECT_FALSE(DrinkOnDiskExists(5));
}

TEST_F(MainFormTest, DeleteSelectsTheItemBeforeAndEmptiesTheDisplayAtTheEnd) {
  struct TCase {
    int row;
    bool answer;
    int selected_after;
    int count_after;
  };
  const TCase cases[] = {{3, false, 3, 6}, {4, true, 3, 5}, {0, true, 0, 4}};
  for (const TCase& c : cases) {
    ClickRow(c.row);
    const int32_t id = itemId(Recipe().itemText(c.row));
    platform.confirm_answers = {c.answer};
    Recipe().ButDeleteClick();
    EXPECT_EQ(Recipe().selectedIndex(), c.selected_after);
    EXPECT_EQ(RecipeUi().ListBox->count(), c.count_after);
    EXPECT_EQ(DrinkOnDiskExists(id), !c.answer);
    EXPECT_EQ(form->currentDrink().id, itemId(Recipe().itemText(c.selected_after)));
  }
  platform.default_answer = true;
  while (RecipeUi().ListBox->count() > 0) Recipe().DeleteDrink1Click();
  EXPECT_EQ(RecipeUi().StaticAd->toPlainText(), "");
  for (QLineEdit* text : {RecipeUi().StaticTitle, RecipeUi().StaticType, RecipeUi().StaticGlass, RecipeUi().StaticSeason,
                          RecipeUi().StaticTemp})
    EXPECT_EQ(text->text(), "");
  EXPECT_EQ(RecipeUi().StaticIngred->toPlainText(), "");
  EXPECT_EQ(Recipe().shownGlassPicture(), -1);
  EXPECT_EQ(form->statusText(2), "0 of 0");
  Recipe().ButModifyClick();  // nothing left to modify
  EXPECT_EQ(form->modeWord(), "Browse");
}

TEST_F(MainFormTest, AFailedSaveIsReportedAndTheDrinkStaysListed) {
  // Folders where the save's journal and the whole-image save's temporary
  // file must go make every save fail.
  const std::string blocker = databasePath + ".tmp";
  const std::string journal_blocker = databasePath + "-journal.tmp";
  std::filesystem::create_directory(blocker);
  std::filesystem::create_directory(journal_blocker);
  Recipe().ButAddClick();
  RecipeUi().StaticTitle->setText("Unsaved");
  Recipe().ButtonCommitClick();
  EXPECT_EQ(platform.Messages("Error").size(), 1u);
  EXPECT_EQ(form->modeWord(), "Browse");
  EXPECT_EQ(form->currentDrink().id, 11);
  EXPECT_EQ(RecipeUi().ListBox->count(), 7);
  EXPECT_EQ(form->nextDrinkId(), 12);
  EXPECT_FALSE(DrinkOnDiskExists(11));

  std::filesystem::remove(blocker);
  std::filesystem::remove(journal_blocker);
  Recipe().ButAddClick();
  RecipeUi().StaticTitle->setText("Saved");
  Recipe().ButtonCommitClick();
  EXPECT_EQ(form->currentDrink().id, 12);
  EXPECT_TRUE(DrinkOnDiskExists(11));  // the next save carries both
  EXPECT_TRUE(DrinkOnDiskExists(12));
}

// ---------------------------------------------------------------------------
// Marks

TEST_F(MainFormTest, MarkingTogglesTheBoxTheMenuAndTheStatusButNeverSaves) {
  const std::vector<uint8_t> saved = FileBytes(databasePath);
  ClickRow(5);  // the read-only drink
  Recipe().ListBoxDblClick();
  EXPECT_EQ(RecipeUi().ListBox->item(5)->checkState(), Qt::Checked);
  EXPECT_EQ(form->statusText(1), "Marked / Read Only");
  EXPECT_FALSE(WindowUi().MenuMark->isVisible());
  EXPECT_TRUE(WindowUi().MenuUnmark->isVisible());
  EXPECT_EQ(form->catalogue().LoadDrink(5).marked, 1);

  Recipe().ListBoxClickCheck(5);  // its box again: unmarked
  EXPECT_EQ(RecipeUi().ListBox->item(5)->checkState(), Qt::Unchecked);
  EXPECT_EQ(form->statusText(1), "Read Only");
  EXPECT_TRUE(WindowUi().MenuMark->isVisible());

  Recipe().ListBoxClickCheck(1);  // another item's box selects and marks it
  EXPECT_EQ(Recipe().selectedIndex(), 1);
  EXPECT_EQ(form->currentDrink().marked, 1);
  EXPECT_EQ(form->statusText(1), "Marked");
  EXPECT_EQ(FileBytes(databasePath), saved);
}

TEST_F(MainFormTest, MarkListAndUnmarkAll) {
  Recipe().fillList("id < 4");
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({2, 3, 1}));
  Recipe().MenuMarkListClick();
  for (int row = 0; row < 3; ++row) EXPECT_EQ(RecipeUi().ListBox->item(row)->checkState(), Qt::Checked);
  EXPECT_EQ(form->statusText(1), "Marked");
  Recipe().fillList("marked = 1");
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({2, 3, 1}));

  Recipe().UnmarkList1Click();
  Recipe().ListBoxClickCheck(0);  // mark one again, then list all
  Recipe().fillList("");
  EXPECT_EQ(RecipeUi().ListBox->item(0)->checkState(), Qt::Checked);
  Recipe().fillList("id = 9");
  Recipe().MenuUnmarkAllClick();  // also the drink that is not listed
  EXPECT_EQ(form->statusText(0), "Browse");
  EXPECT_EQ(form->catalogue().LoadDrink(2).marked, 0);
  platform.log.clear();
  Recipe().fillList("marked = 1");
  EXPECT_EQ(platform.Messages("Warning"), QStringList{"There are no drinks to list"});
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({9}));
}

// ---------------------------------------------------------------------------
// Drink clipboard and text clipboard

TEST_F(MainFormTest, CopyAndPasteDrinkStartsANewDrinkFromTheCopy) {
  ClickRow(5);  // Zombie: read-only, type Cobbler
  Recipe().Copydrink1Click();
  EXPECT_EQ(Recipe().drinkClipboard().id, -1);
  Recipe().PasteDrink1Click();
  EXPECT_EQ(form->modeWord(), "Add");
  EXPECT_EQ(RecipeUi().StaticTitle->text(), "Zombie");
  EXPECT_EQ(RecipeUi().StaticAd->toPlainText(), "");
  EXPECT_EQ(RecipeUi().EditType->currentText(), "Cobbler");
  EXPECT_EQ(Recipe().shownGlassPicture(), 7);
  RecipeUi().StaticTitle->setText("Zombie II");
  Recipe().ButtonCommitClick();

  const TDrink copy = DrinkOnDisk(11);
  EXPECT_EQ(copy.type, 2);
  EXPECT_EQ(copy.status, "N");
  EXPECT_EQ(copy.read_only, 0);
  EXPECT_EQ(copy.ingred, "1 oz Zombie5\r\n2 oz Soda");
  Recipe().ButModifyClick();  // the copy can be modified
  EXPECT_EQ(form->modeWord(), "Modify");
}

TEST_F(MainFormTest, EditCopyAndPasteUseTheFocusedRecipeControl) {
  platform.clipboard = "before";
  RecipeUi().ListBox->setFocus();
  Recipe().MenuCopyClick();  // the list: nothing copied
  EXPECT_EQ(platform.clipboard, "before");

  RecipeUi().StaticTitle->setFocus();
  RecipeUi().StaticTitle->selectAll();
  Recipe().MenuCopyClick();
  EXPECT_EQ(platform.clipboard, "apple Martini");
  Recipe().MenuPasteClick();  // read-only outside an edit
  EXPECT_EQ(RecipeUi().StaticTitle->text(), "apple Martini");

  Recipe().ButAddClick();
  Recipe().MenuPasteClick();
  EXPECT_EQ(RecipeUi().StaticTitle->text(), "apple Martini");
}

}  // namespace
}  // namespace zestoria::test
