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
  EXPECT_EQ(form->ListBox->item(3)->text(), "Sour");
  EXPECT_EQ(form->itemText(3), makeListItem("Sour", 10));

  // The first drink is on show, its position in the status line.
  EXPECT_EQ(form->currentDrink().id, 2);
  EXPECT_EQ(form->StaticTitle->text(), "apple Martini");
  EXPECT_EQ(form->StaticType->text(), "Martini");
  EXPECT_EQ(form->StaticGlass->text(), "Highball");
  EXPECT_EQ(form->shownGlassPicture(), 7);
  EXPECT_EQ(form->statusText(0), "Browse");
  EXPECT_EQ(form->statusText(2), "1 of 6");

  // The marked drink is listed unchecked, and the file lost its mark.
  for (int row = 0; row < form->ListBox->count(); ++row)
    EXPECT_EQ(form->ListBox->item(row)->checkState(), Qt::Unchecked);
  EXPECT_EQ(DrinkOnDisk(1).marked, 0);
  EXPECT_TRUE(platform.log.empty()) << platform.LastMessage().toStdString();
}

class EmptyMainFormTest : public MainFormTest {
 protected:
  EmptyMainFormTest() { empty_catalogue_ = true; }
};

TEST_F(EmptyMainFormTest, AnEmptyCatalogueStartsWithNextIdZero) {
  EXPECT_EQ(form->nextDrinkId(), 0);
  EXPECT_EQ(form->ListBox->count(), 0);
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
  for (QWidget* page : {form->TabSearch, form->TabMisc}) {
    form->TabForm->setCurrentWidget(page);
    SCOPED_TRACE(form->modeWord().toStdString());
    EXPECT_EQ(form->statusText(0), form->modeWord());
    for (QMenu* menu : {form->MenuMarks, form->MenuEdit})
      for (QAction* item : menu->actions()) EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    for (QAction* item : form->MenuFile->actions()) {
      if (!item->isSeparator()) {
        EXPECT_EQ(item->isEnabled(), item == form->Exit1) << item->text().toStdString();
      }
    }
    PressKey(Qt::Key_Insert);  // no window-wide meaning here
    PressKey(Qt::Key_Delete);
    EXPECT_TRUE(platform.log.empty());
    PressKey(Qt::Key_Escape);  // back to the Recipe page
    EXPECT_EQ(form->TabForm->currentWidget(), form->TabRecipie);
    EXPECT_EQ(form->modeWord(), "Browse");
    EXPECT_TRUE(form->MenuMarkList->isEnabled());
    EXPECT_TRUE(form->MenuCopy->isEnabled());
    EXPECT_FALSE(form->PasteDrink1->isEnabled());
  }
  EXPECT_EQ(form->statusText(2), "1 of 6");
  form->Copydrink1Click();
  form->TabForm->setCurrentWidget(form->TabMisc);
  form->TabForm->setCurrentWidget(form->TabRecipie);
  EXPECT_TRUE(form->PasteDrink1->isEnabled());
}

TEST_F(MainFormTest, AddModeCoversTheToolbarAndShowsTheChoosers) {
  PressKey(Qt::Key_Insert);
  EXPECT_EQ(form->modeWord(), "Add");
  EXPECT_EQ(form->statusText(0), "Add Drink");
  EXPECT_EQ(form->statusText(2), "");
  EXPECT_FALSE(form->ToolBar2->isHidden());
  EXPECT_EQ(form->ToolBar2->geometry(), form->ToolBar1->geometry());
  EXPECT_TRUE(form->StaticType->isHidden());
  EXPECT_FALSE(form->EditType->isHidden());
  EXPECT_EQ(form->EditType->geometry(), form->StaticType->geometry());
  EXPECT_FALSE(form->StaticTitle->isReadOnly());
  EXPECT_EQ(form->StaticTitle->text(), "");
  EXPECT_EQ(form->focusWidget(), form->StaticTitle);
  EXPECT_EQ(form->selectedIndex(), -1);
  EXPECT_EQ(form->shownGlassPicture(), 3);
  for (QAction* item : form->MenuMarks->actions()) EXPECT_FALSE(item->isEnabled());

  PressKey(Qt::Key_Delete);  // edits text, deletes no drink
  PressKey(Qt::Key_Escape);
  EXPECT_EQ(form->modeWord(), "Browse");
  EXPECT_TRUE(form->ToolBar2->isHidden());
  EXPECT_TRUE(form->StaticTitle->isReadOnly());
  EXPECT_EQ(form->selectedIndex(), 0);
  EXPECT_EQ(form->StaticTitle->text(), "apple Martini");
  EXPECT_TRUE(platform.log.empty());
}

// ---------------------------------------------------------------------------
// Navigation

TEST_F(MainFormTest, NextPreviousAndTheWheelMoveThroughTheList) {
  form->ButPrevoiusClick();  // on the first item: nothing
  EXPECT_EQ(form->selectedIndex(), 0);
  form->ButNextClick();
  EXPECT_EQ(form->currentDrink().id, 3);
  EXPECT_EQ(form->statusText(2), "2 of 6");
  EXPECT_TRUE(form->FormMouseWheel(true));
  EXPECT_EQ(form->currentDrink().id, 1);
  EXPECT_TRUE(form->FormMouseWheel(false));
  EXPECT_EQ(form->currentDrink().id, 3);

  ClickRow(5);
  EXPECT_EQ(form->currentDrink().id, 5);
  EXPECT_EQ(form->statusText(1), "Read Only");
  form->ButNextClick();  // on the last item: nothing
  EXPECT_FALSE(form->FormMouseWheel(true));
  EXPECT_EQ(form->selectedIndex(), 5);

  form->TabForm->setCurrentWidget(form->TabMisc);
  EXPECT_FALSE(form->FormMouseWheel(false));  // another page: nothing
  EXPECT_EQ(form->selectedIndex(), 5);
}

TEST_F(MainFormTest, KeysAndTheWheelReachTheWindowOnce) {
  QApplication::setActiveWindow(form.get());
  form->ListBox->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), form->ListBox);

  PressKey(Qt::Key_Delete);  // answered No
  EXPECT_EQ(platform.Messages(), QStringList{"Delete this drink recipie?"});
  PressKey(Qt::Key_Return);  // Enter and space toggle the mark
  EXPECT_EQ(form->ListBox->item(0)->checkState(), Qt::Checked);
  PressKey(Qt::Key_Space);
  EXPECT_EQ(form->ListBox->item(0)->checkState(), Qt::Unchecked);

  QWheelEvent down(QPointF(10, 10), form->ListBox->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                   QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(form->ListBox->viewport(), &down);
  EXPECT_EQ(form->selectedIndex(), 1);
  EXPECT_EQ(form->currentDrink().id, 3);
}

TEST_F(MainFormTest, ClickingTheListWhileAddingAsksFirst) {
  ClickRow(2);
  form->ButAddClick();
  form->StaticTitle->setText("Half done");

  platform.confirm_answers = {false};  // keep editing
  ClickRow(4);
  EXPECT_EQ(platform.LastMessage(), kUndoQuestion);
  EXPECT_EQ(form->modeWord(), "Add");
  EXPECT_EQ(form->selectedIndex(), -1);
  EXPECT_EQ(form->StaticTitle->text(), "Half done");

  platform.confirm_answers = {true};  // undo: the drink selected before adding
  ClickRow(4);
  EXPECT_EQ(form->modeWord(), "Browse");
  EXPECT_EQ(form->selectedIndex(), 2);
  EXPECT_EQ(form->currentDrink().id, 1);
}

TEST_F(MainFormTest, ActivationShowsTheSelectedDrink) {
  ClickRow(2);
  form->StaticTitle->setText("stale");
  form->FormActivate();
  EXPECT_EQ(form->StaticTitle->text(), "Margarita");
  EXPECT_EQ(form->selectedIndex(), 2);

  form->ListBox->clearSelection();
  form->FormActivate();  // no selection: item 0 is selected and shown
  EXPECT_EQ(form->selectedIndex(), 0);
  EXPECT_EQ(form->currentDrink().id, 2);
}

// ---------------------------------------------------------------------------
// Editing

TEST_F(MainFormTest, AddCommitsANewDrinkAndSavesIt) {
  form->ButAddClick();
  form->ButtonCommitClick();  // no name yet
  EXPECT_EQ(platform.Messages("Message"), QStringList{"Drink must have a name"});
  EXPECT_EQ(form->modeWord(), "Add");

  form->StaticTitle->setText(QString::fromUtf8("Café Royal"));
  form->StaticIngred->setPlainText("1 oz Brandy\n1 cup Coffee");
  form->ButtonCommitClick();
  EXPECT_EQ(form->modeWord(), "Browse");
  EXPECT_EQ(form->nextDrinkId(), 12);
  EXPECT_EQ(form->currentDrink().id, 11);
  EXPECT_EQ(form->ListBox->currentItem()->text(), QString::fromUtf8("Café Royal"));
  EXPECT_EQ(form->statusText(2), "3 of 7");  // apple, Bloody, Café, ...

  // Nothing chosen: type, season and glass -1, temperature Cold.
  const TDrink stored = DrinkOnDisk(11);
  EXPECT_EQ(stored.name, "Caf\xE9 Royal");
  EXPECT_EQ(stored.ingred, "1 oz Brandy\r\n1 cup Coffee");
  EXPECT_EQ(stored.status, "N");
  EXPECT_EQ(std::vector<int32_t>({stored.type, stored.season, stored.glass, stored.temp}),
            std::vector<int32_t>({-1, -1, -1, 0}));
  EXPECT_EQ(form->StaticType->text(), "");
  EXPECT_EQ(form->StaticTemp->text(), "Cold");
  EXPECT_EQ(form->shownGlassPicture(), -1);

  // The next Add takes the next id, also after the newest drink is deleted.
  platform.confirm_answers = {true};
  form->deleteSelectedDrink(true);
  form->ButAddClick();
  form->StaticTitle->setText("Next");
  form->ButtonCommitClick();
  EXPECT_EQ(form->currentDrink().id, 12);
  EXPECT_FALSE(DrinkOnDiskExists(11));
  EXPECT_TRUE(DrinkOnDiskExists(12));
}

TEST_F(MainFormTest, CommitRefusesACharacterTheCatalogueCannotHold) {
  const std::vector<uint8_t> saved = FileBytes(databasePath);
  form->ButAddClick();
  form->StaticTitle->setText(QString::fromUtf8("Gin \u0100ni"));
  form->ButtonCommitClick();
  ASSERT_EQ(platform.Messages("Error").size(), 1);
  EXPECT_TRUE(platform.Messages("Error")[0].contains(QString::fromUtf8("\u0100")));
  EXPECT_EQ(form->modeWord(), "Add");
  EXPECT_EQ(form->nextDrinkId(), 11);
  EXPECT_EQ(FileBytes(databasePath), saved);
  EXPECT_EQ(form->ListBox->count(), 6);
}

TEST_F(MainFormTest, ModifyChangesTheDrinkInPlace) {
  ClickRow(0);  // apple Martini, type Martini
  form->ButModifyClick();
  EXPECT_EQ(form->modeWord(), "Modify");
  EXPECT_EQ(form->statusText(0), "Modify Drink");
  EXPECT_EQ(form->EditType->currentText(), "Martini");
  EXPECT_EQ(form->EditGlass->currentIndex(), 7);

  form->StaticTitle->setText("Zzz Apple");
  form->EditType->setCurrentText("Frozen");
  form->ButtonCommitClick();
  EXPECT_EQ(form->modeWord(), "Browse");
  EXPECT_EQ(form->selectedIndex(), 0);  // stays until the list is refilled
  EXPECT_EQ(form->ListBox->item(0)->text(), "Zzz Apple");
  EXPECT_EQ(form->itemText(0), makeListItem("Zzz Apple", 2));
  const TDrink stored = DrinkOnDisk(2);
  EXPECT_EQ(stored.name, "Zzz Apple");
  EXPECT_EQ(stored.type, 1);
  EXPECT_EQ(stored.status, "M");
  EXPECT_EQ(form->StaticType->text(), "Frozen");
}

TEST_F(MainFormTest, EscapeAndCancelLeaveTheDrinkAsItWas) {
  const std::vector<uint8_t> saved = FileBytes(databasePath);
  for (bool escape : {true, false}) {
    ClickRow(1);
    form->ButModifyClick();
    form->StaticTitle->setText("Changed");
    form->StaticDir->setPlainText("Changed");
    if (escape) PressKey(Qt::Key_Escape);
    else form->ButtonCancelClick();
    EXPECT_EQ(form->modeWord(), "Browse");
    EXPECT_EQ(form->selectedIndex(), 1);
    EXPECT_EQ(form->StaticTitle->text(), "Bloody Mary");
    EXPECT_EQ(form->StaticDir->toPlainText(), "Stir Bloody Mary3.");
  }
  EXPECT_EQ(FileBytes(databasePath), saved);
}

TEST_F(MainFormTest, AReadOnlyDrinkCannotBeModifiedButCanBeDeleted) {
  ClickRow(5);
  form->ButModifyClick();
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
    const int32_t id = itemId(form->itemText(c.row));
    platform.confirm_answers = {c.answer};
    form->ButDeleteClick();
    EXPECT_EQ(form->selectedIndex(), c.selected_after);
    EXPECT_EQ(form->ListBox->count(), c.count_after);
    EXPECT_EQ(DrinkOnDiskExists(id), !c.answer);
    EXPECT_EQ(form->currentDrink().id, itemId(form->itemText(c.selected_after)));
  }
  platform.default_answer = true;
  while (form->ListBox->count() > 0) form->DeleteDrink1Click();
  EXPECT_EQ(form->StaticAd->toPlainText(), "");
  for (QLineEdit* text : {form->StaticTitle, form->StaticType, form->StaticGlass, form->StaticSeason,
                          form->StaticTemp})
    EXPECT_EQ(text->text(), "");
  EXPECT_EQ(form->StaticIngred->toPlainText(), "");
  EXPECT_EQ(form->shownGlassPicture(), -1);
  EXPECT_EQ(form->statusText(2), "0 of 0");
  form->ButModifyClick();  // nothing left to modify
  EXPECT_EQ(form->modeWord(), "Browse");
}

TEST_F(MainFormTest, AFailedSaveIsReportedAndTheDrinkStaysListed) {
  // A folder where the save's temporary file must go makes every save fail.
  const std::string blocker = databasePath + ".tmp";
  std::filesystem::create_directory(blocker);
  form->ButAddClick();
  form->StaticTitle->setText("Unsaved");
  form->ButtonCommitClick();
  EXPECT_EQ(platform.Messages("Error").size(), 1u);
  EXPECT_EQ(form->modeWord(), "Browse");
  EXPECT_EQ(form->currentDrink().id, 11);
  EXPECT_EQ(form->ListBox->count(), 7);
  EXPECT_EQ(form->nextDrinkId(), 12);
  EXPECT_FALSE(DrinkOnDiskExists(11));

  std::filesystem::remove(blocker);
  form->ButAddClick();
  form->StaticTitle->setText("Saved");
  form->ButtonCommitClick();
  EXPECT_EQ(form->currentDrink().id, 12);
  EXPECT_TRUE(DrinkOnDiskExists(11));  // the next save carries both
  EXPECT_TRUE(DrinkOnDiskExists(12));
}

// ---------------------------------------------------------------------------
// Marks

TEST_F(MainFormTest, MarkingTogglesTheBoxTheMenuAndTheStatusButNeverSaves) {
  const std::vector<uint8_t> saved = FileBytes(databasePath);
  ClickRow(5);  // the read-only drink
  form->ListBoxDblClick();
  EXPECT_EQ(form->ListBox->item(5)->checkState(), Qt::Checked);
  EXPECT_EQ(form->statusText(1), "Marked / Read Only");
  EXPECT_FALSE(form->MenuMark->isVisible());
  EXPECT_TRUE(form->MenuUnmark->isVisible());
  EXPECT_EQ(form->catalogue().LoadDrink(5).marked, 1);

  form->ListBoxClickCheck(5);  // its box again: unmarked
  EXPECT_EQ(form->ListBox->item(5)->checkState(), Qt::Unchecked);
  EXPECT_EQ(form->statusText(1), "Read Only");
  EXPECT_TRUE(form->MenuMark->isVisible());

  form->ListBoxClickCheck(1);  // another item's box selects and marks it
  EXPECT_EQ(form->selectedIndex(), 1);
  EXPECT_EQ(form->currentDrink().marked, 1);
  EXPECT_EQ(form->statusText(1), "Marked");
  EXPECT_EQ(FileBytes(databasePath), saved);
}

TEST_F(MainFormTest, MarkListAndUnmarkAll) {
  form->fillList("id < 4");
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({2, 3, 1}));
  form->MenuMarkListClick();
  for (int row = 0; row < 3; ++row) EXPECT_EQ(form->ListBox->item(row)->checkState(), Qt::Checked);
  EXPECT_EQ(form->statusText(1), "Marked");
  form->fillList("marked = 1");
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({2, 3, 1}));

  form->UnmarkList1Click();
  form->ListBoxClickCheck(0);  // mark one again, then list all
  form->fillList("");
  EXPECT_EQ(form->ListBox->item(0)->checkState(), Qt::Checked);
  form->fillList("id = 9");
  form->MenuUnmarkAllClick();  // also the drink that is not listed
  EXPECT_EQ(form->statusText(0), "Browse");
  EXPECT_EQ(form->catalogue().LoadDrink(2).marked, 0);
  platform.log.clear();
  form->fillList("marked = 1");
  EXPECT_EQ(platform.Messages("Warning"), QStringList{"There are no drinks to list"});
  EXPECT_EQ(ListedIds(), std::vector<int32_t>({9}));
}

// ---------------------------------------------------------------------------
// Drink clipboard and text clipboard

TEST_F(MainFormTest, CopyAndPasteDrinkStartsANewDrinkFromTheCopy) {
  ClickRow(5);  // Zombie: read-only, type Cobbler
  form->Copydrink1Click();
  EXPECT_EQ(form->drinkClipboard().id, -1);
  form->PasteDrink1Click();
  EXPECT_EQ(form->modeWord(), "Add");
  EXPECT_EQ(form->StaticTitle->text(), "Zombie");
  EXPECT_EQ(form->StaticAd->toPlainText(), "");
  EXPECT_EQ(form->EditType->currentText(), "Cobbler");
  EXPECT_EQ(form->shownGlassPicture(), 7);
  form->StaticTitle->setText("Zombie II");
  form->ButtonCommitClick();

  const TDrink copy = DrinkOnDisk(11);
  EXPECT_EQ(copy.type, 2);
  EXPECT_EQ(copy.status, "N");
  EXPECT_EQ(copy.read_only, 0);
  EXPECT_EQ(copy.ingred, "1 oz Zombie5\r\n2 oz Soda");
  form->ButModifyClick();  // the copy can be modified
  EXPECT_EQ(form->modeWord(), "Modify");
}

TEST_F(MainFormTest, EditCopyAndPasteUseTheFocusedRecipeControl) {
  platform.clipboard = "before";
  form->ListBox->setFocus();
  form->MenuCopyClick();  // the list: nothing copied
  EXPECT_EQ(platform.clipboard, "before");

  form->StaticTitle->setFocus();
  form->StaticTitle->selectAll();
  form->MenuCopyClick();
  EXPECT_EQ(platform.clipboard, "apple Martini");
  form->MenuPasteClick();  // read-only outside an edit
  EXPECT_EQ(form->StaticTitle->text(), "apple Martini");

  form->ButAddClick();
  form->MenuPasteClick();
  EXPECT_EQ(form->StaticTitle->text(), "apple Martini");
}

}  // namespace
}  // namespace zestoria::test
