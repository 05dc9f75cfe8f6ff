// Marks and the drink clipboard on the Recipe page. Marks last one run:
// marking never saves the database image. Copy Drink keeps a drink to start
// a new one from; Edit > Copy and Paste move text through the system
// clipboard.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "catalogue/CatalogueText.h"
#include "catalogue/DrinkList.h"
#include "catalogue/RecipePage.h"
#include "shell/Platform.h"

void TRecipePage::writeMark(int32_t id, int value) { host_.catalogue().MarkDrinks({id}, value); }

// ---------------------------------------------------------------------------
// One drink

void TRecipePage::markDrink() { setShownMark(1); }

void TRecipePage::unmarkDrink() { setShownMark(0); }

void TRecipePage::setShownMark(int value) {
  if (ListBox->count() == 0) return;
  TDrink& current = host_.currentDrink();
  writeMark(current.id, value);
  current.marked = value;
  const int row = selectedIndex();
  if (row >= 0) setItemChecked(row, value == 1);
  host_.showMarkMenu(value == 1);
  showDrink(current);
}

void TRecipePage::MenuMarkClick() { markDrink(); }

void TRecipePage::MenuUnmarkClick() { unmarkDrink(); }

void TRecipePage::Mark2Click() {
  if (!confirmUndoEdit()) return;
  if (host_.currentDrink().marked != 0) unmarkDrink();
  else markDrink();
}

void TRecipePage::ListBoxDblClick() { Mark2Click(); }

void TRecipePage::ListBoxClickCheck(int row) {
  if (row < 0 || row >= ListBox->count()) return;
  // The box is switched here, never by the list itself, so answering No
  // leaves it showing the drink's mark.
  if (!confirmUndoEdit()) return;
  showItem(row);
  if (host_.currentDrink().marked != 0) unmarkDrink();
  else markDrink();
}

// ---------------------------------------------------------------------------
// Many drinks

void TRecipePage::markList(int value) {
  {
    THourglass hourglass;
    host_.setStatusPanel(0, value == 1 ? QStringLiteral("Marking...") : QStringLiteral("Unmarking..."));
    host_.repaintStatusBar();
    const bool target = value == 1;
    for (int row = 0; row < ListBox->count(); ++row) {
      if (itemChecked(row) == target) continue;
      writeMark(itemIdAt(row), value);
      setItemChecked(row, target);
    }
  }
  const int row = selectedIndex();
  if (row >= 0) showItem(row);
  else host_.setStatusPanel(0, ModeWord(host_.mode()));
}

void TRecipePage::MenuMarkListClick() { markList(1); }

void TRecipePage::UnmarkList1Click() { markList(0); }

void TRecipePage::MenuUnmarkAllClick() {
  {
    THourglass hourglass;
    host_.setStatusPanel(0, QStringLiteral("Unmarking..."));
    host_.repaintStatusBar();
    for (int row = 0; row < ListBox->count(); ++row) setItemChecked(row, false);
    // Every drink of the table, listed or not.
    host_.catalogue().UnmarkAll();
  }
  host_.currentDrink().marked = 0;
  host_.showMarkMenu(false);
  host_.setStatusPanel(1, statusFlags(host_.currentDrink()));
  host_.setStatusPanel(0, ModeWord(wmBrowse));
}

// ---------------------------------------------------------------------------
// The drink clipboard and the text clipboard

void TRecipePage::Copydrink1Click() {
  if (ListBox->count() == 0) return;
  host_.enablePasteDrink();
  drinkClipboard_ = host_.currentDrink();
  drinkClipboard_.id = -1;
  drinkClipboard_.read_only = 0;
  drinkClipboard_.marked = 0;
}

void TRecipePage::PasteDrink1Click() {
  if (drinkClipboard_.id != -1) return;
  startAdd();
  StaticTitle->setText(FromCatalogueText(drinkClipboard_.name));
  chooseFrom(drinkClipboard_);
  StaticDir->setPlainText(FromCatalogueText(drinkClipboard_.directions));
  StaticIngred->setPlainText(FromCatalogueText(drinkClipboard_.ingred));
}

void TRecipePage::MenuCopyClick() {
  QWidget* focus = window()->focusWidget();
  if (!focus) return;
  if (focus == StaticAd) {
    Platform().SetClipboardText(StaticAd->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
    return;
  }
  for (QLineEdit* edit : {StaticGlass, StaticSeason, StaticTemp, StaticTitle, StaticType}) {
    if (focus == edit) {
      Platform().SetClipboardText(edit->selectedText());
      return;
    }
  }
  for (QPlainTextEdit* text : {StaticDir, StaticIngred}) {
    if (focus == text) {
      QString selected = text->textCursor().selectedText();
      selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
      Platform().SetClipboardText(selected);
      return;
    }
  }
}

void TRecipePage::MenuPasteClick() {
  QWidget* focus = window()->focusWidget();
  if (!focus) return;
  const QString text = Platform().ClipboardText();
  if (focus == StaticTitle && !StaticTitle->isReadOnly()) StaticTitle->insert(text);
  if (focus == StaticAd && !StaticAd->isReadOnly()) StaticAd->insertPlainText(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
  for (QPlainTextEdit* edit : {StaticDir, StaticIngred}) {
    if (focus == edit && !edit->isReadOnly()) edit->insertPlainText(text);
  }
}
