// Marks and the drink clipboard. Marks last one run: marking never saves
// the database image. Copy Drink keeps a drink to start a new one from;
// Edit > Copy and Paste move text through the system clipboard.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QStatusBar>

#include "catalogue/MainForm.h"
#include "catalogue/Vocabularies.h"
#include "shell/Platform.h"

void TMainForm::writeMark(int32_t id, int value) { catalogue_.MarkDrinks({id}, value); }

// ---------------------------------------------------------------------------
// One drink

void TMainForm::markDrink() { setShownMark(1); }

void TMainForm::unmarkDrink() { setShownMark(0); }

void TMainForm::setShownMark(int value) {
  if (ListBox->count() == 0) return;
  writeMark(currentDrink_.id, value);
  currentDrink_.marked = value;
  const int row = selectedIndex();
  if (row >= 0) setItemChecked(row, value == 1);
  updateMarkMenu(value == 1);
  showDrink(currentDrink_);
}

void TMainForm::MenuMarkClick() { markDrink(); }

void TMainForm::MenuUnmarkClick() { unmarkDrink(); }

void TMainForm::Mark2Click() {
  if (!confirmUndoEdit()) return;
  if (currentDrink_.marked != 0) unmarkDrink();
  else markDrink();
}

void TMainForm::ListBoxDblClick() { Mark2Click(); }

void TMainForm::ListBoxClickCheck(int row) {
  if (row < 0 || row >= ListBox->count()) return;
  // The box is switched here, never by the list itself, so answering No
  // leaves it showing the drink's mark.
  if (!confirmUndoEdit()) return;
  showItem(row);
  if (currentDrink_.marked != 0) unmarkDrink();
  else markDrink();
}

// ---------------------------------------------------------------------------
// Many drinks

void TMainForm::markList(int value) {
  {
    THourglass hourglass;
    statusPanels_[0]->setText(value == 1 ? QStringLiteral("Marking...") : QStringLiteral("Unmarking..."));
    StatusBar1->repaint();
    const bool target = value == 1;
    for (int row = 0; row < ListBox->count(); ++row) {
      if (itemChecked(row) == target) continue;
      writeMark(itemIdAt(row), value);
      setItemChecked(row, target);
    }
  }
  const int row = selectedIndex();
  if (row >= 0) showItem(row);
  else statusPanels_[0]->setText(modeWord_);
}

void TMainForm::MenuMarkListClick() { markList(1); }

void TMainForm::UnmarkList1Click() { markList(0); }

void TMainForm::MenuUnmarkAllClick() {
  {
    THourglass hourglass;
    statusPanels_[0]->setText(QStringLiteral("Unmarking..."));
    StatusBar1->repaint();
    for (int row = 0; row < ListBox->count(); ++row) setItemChecked(row, false);
    // Every drink of the table, listed or not.
    catalogue_.UnmarkAll();
  }
  currentDrink_.marked = 0;
  updateMarkMenu(false);
  statusPanels_[1]->setText(flagsText(currentDrink_));
  statusPanels_[0]->setText(QStringLiteral("Browse"));
}

// ---------------------------------------------------------------------------
// The drink clipboard and the text clipboard

void TMainForm::Copydrink1Click() {
  if (ListBox->count() == 0) return;
  PasteDrink1->setEnabled(true);
  drinkClipboard_ = currentDrink_;
  drinkClipboard_.id = -1;
  drinkClipboard_.read_only = 0;
  drinkClipboard_.marked = 0;
}

void TMainForm::PasteDrink1Click() {
  if (drinkClipboard_.id != -1) return;
  startAdd();
  StaticTitle->setText(FromCatalogueText(drinkClipboard_.name));
  auto choose = [](QComboBox* box, const std::string& name) {
    box->setCurrentIndex(box->findText(QString::fromStdString(name), Qt::MatchExactly | Qt::MatchCaseSensitive));
  };
  choose(EditType, zestoria::typeName(drinkClipboard_.type));
  choose(EditSeason, zestoria::seasonName(drinkClipboard_.season));
  choose(EditTemp, zestoria::tempName(drinkClipboard_.temp));
  choose(EditGlass, zestoria::glassName(drinkClipboard_.glass));
  StaticDir->setPlainText(FromCatalogueText(drinkClipboard_.directions));
  StaticIngred->setPlainText(FromCatalogueText(drinkClipboard_.ingred));
}

void TMainForm::MenuCopyClick() {
  QWidget* focus = focusWidget();
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

void TMainForm::MenuPasteClick() {
  QWidget* focus = focusWidget();
  if (!focus) return;
  const QString text = Platform().ClipboardText();
  if (focus == StaticTitle && !StaticTitle->isReadOnly()) StaticTitle->insert(text);
  if (focus == StaticAd && !StaticAd->isReadOnly()) StaticAd->insertPlainText(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
  for (QPlainTextEdit* edit : {StaticDir, StaticIngred}) {
    if (focus == edit && !edit->isReadOnly()) edit->insertPlainText(text);
  }
}
