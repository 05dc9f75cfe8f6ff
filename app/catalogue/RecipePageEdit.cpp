// Editing drinks in place on the Recipe page: Add, Modify, Commit, Cancel,
// Delete, and the record changes behind them. Every lasting change is saved
// at once; a failed save is reported and the change stays in the image.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "catalogue/CatalogueText.h"
#include "catalogue/DrinkList.h"
#include "catalogue/ListItem.h"
#include "catalogue/RecipePage.h"
#include "catalogue/Vocabularies.h"
#include "shell/Platform.h"

namespace {

std::string ChosenText(const QComboBox* box) {
  return box->currentIndex() < 0 ? std::string() : box->currentText().toStdString();
}

void Choose(QComboBox* box, const std::string& name) {
  box->setCurrentIndex(box->findText(QString::fromStdString(name), Qt::MatchExactly | Qt::MatchCaseSensitive));
}

}  // namespace

// ---------------------------------------------------------------------------
// Starting and ending an edit

void TRecipePage::startAdd() {
  savedIndex_ = selectedIndex();
  host_.setMode(wmAdd);
}

void TRecipePage::enterAddMode() {
  showGlass(drinkClipboard_.id == -1 ? drinkClipboard_.glass : 3);
  StaticTitle->clear();
  showComment(QString());
  StaticIngred->clear();
  StaticDir->clear();
  selectRow(-1);
}

void TRecipePage::enterModifyMode() { chooseFrom(host_.currentDrink()); }

void TRecipePage::chooseFrom(const TDrink& drink) {
  Choose(EditType, zestoria::typeName(drink.type));
  Choose(EditSeason, zestoria::seasonName(drink.season));
  Choose(EditTemp, zestoria::tempName(drink.temp));
  Choose(EditGlass, zestoria::glassName(drink.glass));
}

void TRecipePage::ButAddClick() {
  if (host_.mode() == wmBrowse) startAdd();
}

void TRecipePage::ButModifyClick() {
  // Only the drink of the selected item can be changed.
  if (selectedIndex() < 0) return;
  if (host_.currentDrink().read_only != 0) {
    Platform().Information(QStringLiteral("Can not modify this drink!"));
    return;
  }
  savedIndex_ = selectedIndex();
  host_.setMode(wmModify);
}

void TRecipePage::escapeEdit() {
  host_.setMode(wmBrowse);
  selectRow(savedIndex_);
  if (selectedIndex() >= 0) showItem(selectedIndex());
  else host_.setStatusBar(ModeWord(host_.mode()), QString(), positionText());
}

void TRecipePage::EditGlassChange() {
  if (editing()) showGlass(EditGlass->currentIndex());
}

bool TRecipePage::readEditControls(TDrink* drink) {
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

void TRecipePage::ButtonCommitClick() {
  if (!editing()) return;
  if (StaticTitle->text().isEmpty()) {
    Platform().Message(QStringLiteral("Drink must have a name"));
    return;
  }
  if (host_.mode() == wmAdd) {
    TDrink drink;
    if (!readEditControls(&drink)) return;
    drink.status = 'N';
    drink.marked = 0;
    drink.read_only = 0;
    insertDrink(drink, true, true);
  } else {
    TDrink drink = host_.currentDrink();
    if (!readEditControls(&drink)) return;
    drink.status = 'M';
    updateDrink(drink, true);
    const int row = selectedIndex();
    if (row >= 0) {
      // The item keeps its place until the list is next refilled.
      const bool checked = itemChecked(row);
      {
        const TQuietList quiet(this);
        ListBox->removeRow(row);
        insertListItem(row, zestoria::makeListItem(drink.name, drink.id), checked);
      }
      selectRow(row);
    }
    loadDrink(drink.id);
    showDrink(host_.currentDrink());
  }
  host_.setMode(wmBrowse);
}

void TRecipePage::ButtonCancelClick() {
  if (ListBox->count() > 0) {
    if (host_.mode() == wmAdd) selectRow(savedIndex_);
    const int row = selectedIndex();
    if (row >= 0) showItem(row);
  }
  host_.setMode(wmBrowse);
  if (selectedIndex() < 0) host_.setStatusBar(ModeWord(host_.mode()), QString(), positionText());
}

// ---------------------------------------------------------------------------
// Record changes

int32_t TRecipePage::insertDrink(const TDrink& drink, bool showInList, bool save) {
  // The id is taken and the drink listed before saving, so a failed save
  // leaves a consistent window: the drink is in the image and in the list,
  // and the next Add gets the following id.
  const int32_t id = host_.catalogue().InsertDrink(drink, false);
  if (showInList) {
    const std::string text = zestoria::makeListItem(drink.name, id);
    const int row = sortedPosition(text);
    {
      const TQuietList quiet(this);
      insertListItem(row, text, drink.marked == 1);
    }
    selectRow(row);
    loadDrink(id);
    showDrink(host_.currentDrink());
    host_.setStatusPanel(2, positionText());
  }
  if (save) host_.saveDatabase();
  return id;
}

void TRecipePage::updateDrink(const TDrink& drink, bool save) {
  host_.catalogue().UpdateDrink(drink, false);
  notes_.erase(drink.id);  // a listing's note no longer holds for a changed drink
  if (save) host_.saveDatabase();
}

void TRecipePage::deleteSelectedDrink(bool confirm) {
  const int row = selectedIndex();
  if (row < 0) return;
  if (confirm && !Platform().Confirm(QStringLiteral("Delete this drink recipie?"))) return;
  host_.catalogue().DeleteDrink(itemIdAt(row), false);

  {
    const TQuietList quiet(this);
    ListBox->removeRow(row);
  }
  if (ListBox->count() > 0) {
    showItem(row > 0 ? row - 1 : 0);
  } else {
    // Nothing is left to show: the whole display empties.
    selectRow(-1);
    host_.currentDrink() = TDrink();
    clearDisplay();
    showGlass(-1);
    host_.showMarkMenu(false);
    host_.setStatusBar(ModeWord(host_.mode()), QString(), QString());
  }
  host_.setStatusPanel(2, positionText());
  host_.saveDatabase();
}

void TRecipePage::ButDeleteClick() { deleteSelectedDrink(true); }

void TRecipePage::DeleteDrink1Click() {
  if (host_.mode() == wmBrowse) deleteSelectedDrink(true);
}
