// Editing drinks in place on the Recipe page: Add, Modify, Commit, Cancel,
// Delete, and the record changes behind them. Every lasting change is saved
// at once; a failed save is reported and the change stays in the image.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolButton>

#include "catalogue/ListItem.h"
#include "catalogue/MainForm.h"
#include "catalogue/Vocabularies.h"
#include "shell/Pictures.h"
#include "shell/Platform.h"

namespace {

std::string ChosenText(const QComboBox* box) {
  return box->currentIndex() < 0 ? std::string() : box->currentText().toStdString();
}

}  // namespace

// ---------------------------------------------------------------------------
// Starting and ending an edit

void TMainForm::startAdd() {
  savedIndex_ = selectedIndex();
  ButtonCommit->setIcon(ToolIcon(QStringLiteral("add")));
  setMode(wmAdd);
}

void TMainForm::ButAddClick() {
  if (modeWord_ == QLatin1String("Browse")) startAdd();
}

void TMainForm::ButModifyClick() {
  // Only the drink of the selected item can be changed.
  if (selectedIndex() < 0) return;
  if (currentDrink_.read_only != 0) {
    Platform().Information(QStringLiteral("Can not modify this drink!"));
    return;
  }
  ButtonCommit->setIcon(ToolIcon(QStringLiteral("modify")));
  savedIndex_ = selectedIndex();
  setMode(wmModify);
}

void TMainForm::EditGlassChange() {
  if (editing()) showGlass(EditGlass->currentIndex());
}

bool TMainForm::readEditControls(TDrink* drink) {
  struct TText {
    QString value;
    const char* what;
    std::string* field;
    size_t limit;
  };
  TText texts[] = {
      {StaticTitle->text(), "name", &drink->name, zestoria::kDrinkNameLength},
      {StaticIngred->toPlainText(), "ingredients", &drink->ingred, std::string::npos},
      {StaticDir->toPlainText(), "directions", &drink->directions, std::string::npos},
      {StaticAd->toPlainText(), "comment", &drink->comment, zestoria::kDrinkCommentLength},
  };
  std::string converted[4];
  for (size_t i = 0; i < 4; ++i) {
    QString bad;
    if (!ToCatalogueText(texts[i].value, &converted[i], &bad)) {
      Platform().Error(QStringLiteral("The %1 holds the character \"%2\" (U+%3), which the catalogue cannot store. "
                                      "Please replace it; nothing has been stored.")
                           .arg(QLatin1String(texts[i].what), bad,
                                QStringLiteral("%1").arg(bad.isEmpty() ? 0u : bad.toUcs4().value(0), 4, 16,
                                                         QLatin1Char('0')).toUpper()));
      return false;
    }
  }
  for (size_t i = 0; i < 4; ++i) *texts[i].field = converted[i].substr(0, texts[i].limit);
  drink->type = zestoria::typeCode(ChosenText(EditType));
  drink->season = zestoria::seasonCode(ChosenText(EditSeason));
  drink->glass = zestoria::glassCode(ChosenText(EditGlass));
  drink->temp = zestoria::tempCode(ChosenText(EditTemp));
  return true;
}

void TMainForm::ButtonCommitClick() {
  if (!editing()) return;
  if (StaticTitle->text().isEmpty()) {
    Platform().Message(QStringLiteral("Drink must have a name"));
    return;
  }
  if (modeWord_ == QLatin1String("Add")) {
    TDrink drink;
    if (!readEditControls(&drink)) return;
    drink.status = 'N';
    drink.marked = 0;
    drink.read_only = 0;
    insertDrink(drink, true, true);
  } else {
    TDrink drink = currentDrink_;
    if (!readEditControls(&drink)) return;
    drink.status = 'M';
    updateDrink(drink, true);
    const int row = selectedIndex();
    if (row >= 0) {
      // The item keeps its place until the list is next refilled.
      const bool checked = itemChecked(row);
      ++quietList_;
      delete ListBox->takeItem(row);
      ListBox->insertItem(row, newListItem(zestoria::makeListItem(drink.name, drink.id), checked));
      --quietList_;
      selectRow(row);
    }
    loadDrink(drink.id);
    showDrink(currentDrink_);
  }
  setMode(wmBrowse);
}

void TMainForm::ButtonCancelClick() {
  if (ListBox->count() > 0) {
    if (modeWord_ == QLatin1String("Add")) selectRow(savedIndex_);
    const int row = selectedIndex();
    if (row >= 0) showItem(row);
  }
  setMode(wmBrowse);
  if (selectedIndex() < 0) setStatusBar(modeWord_, QString(), positionText());
}

// ---------------------------------------------------------------------------
// Record changes

int32_t TMainForm::insertDrink(const TDrink& drink, bool showInList, bool save) {
  // The id is taken and the drink listed before saving, so a failed save
  // leaves a consistent window: the drink is in the image and in the list,
  // and the next Add gets the following id.
  const int32_t id = catalogue_.InsertDrink(drink, false);
  if (showInList) {
    const std::string text = zestoria::makeListItem(drink.name, id);
    const int row = sortedPosition(text);
    ++quietList_;
    ListBox->insertItem(row, newListItem(text, drink.marked == 1));
    --quietList_;
    selectRow(row);
    loadDrink(id);
    showDrink(currentDrink_);
    statusPanels_[2]->setText(positionText());
  }
  if (save) saveDatabase();
  return id;
}

void TMainForm::updateDrink(const TDrink& drink, bool save) {
  catalogue_.UpdateDrink(drink, false);
  if (save) saveDatabase();
}

void TMainForm::deleteSelectedDrink(bool confirm) {
  const int row = selectedIndex();
  if (row < 0) return;
  if (confirm && !Platform().Confirm(QStringLiteral("Delete this drink recipie?"))) return;
  catalogue_.DeleteDrink(itemIdAt(row), false);

  ++quietList_;
  delete ListBox->takeItem(row);
  --quietList_;
  if (ListBox->count() > 0) {
    showItem(row > 0 ? row - 1 : 0);
  } else {
    // Nothing is left to show: the whole display empties.
    selectRow(-1);
    currentDrink_ = TDrink();
    for (QLineEdit* text : {StaticTitle, StaticType, StaticSeason, StaticTemp, StaticGlass}) text->clear();
    showComment(QString());
    StaticIngred->clear();
    StaticDir->clear();
    showGlass(-1);
    updateMarkMenu(false);
    setStatusBar(modeWord_, QString(), QString());
  }
  statusPanels_[2]->setText(positionText());
  saveDatabase();
}

void TMainForm::ButDeleteClick() { deleteSelectedDrink(true); }

void TMainForm::DeleteDrink1Click() {
  if (modeWord_ == QLatin1String("Browse")) deleteSelectedDrink(true);
}
