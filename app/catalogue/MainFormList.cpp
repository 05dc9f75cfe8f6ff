// The drink list and the recipe display: filling the list from the table,
// loading and showing a drink, the status line's texts and moving through
// the list.
#include <QApplication>
#include <QByteArray>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "catalogue/ListItem.h"
#include "catalogue/MainForm.h"
#include "catalogue/Vocabularies.h"
#include "platform/Codepage.h"
#include "shell/Pictures.h"
#include "shell/Platform.h"

namespace {

// The full list item text is kept with the item; the list shows the name.
constexpr int kItemTextRole = Qt::UserRole;

// The name part of list item text |text|: the text before the id column,
// trailing blanks dropped.
size_t NameEnd(const std::string& text) {
  return std::min(text.find_last_not_of(' ', zestoria::kListItemIdColumn - 1) + 1,
                  zestoria::kListItemIdColumn);
}

// The drink list's items: each keeps its list item text, and makes the
// name shown only when the list asks for it (the list draws the few rows
// in sight, so a long list is filled without converting every name).
class TDrinkListItem : public QListWidgetItem {
 public:
  static constexpr int kType = QListWidgetItem::UserType + 1;

  explicit TDrinkListItem(std::string text) : QListWidgetItem(nullptr, kType), text_(std::move(text)) {}

  QVariant data(int role) const override {
    if (role == Qt::DisplayRole || role == Qt::EditRole) return shownName();
    if (role == kItemTextRole) return QByteArray::fromStdString(text_);
    return QListWidgetItem::data(role);
  }
  QListWidgetItem* clone() const override { return new TDrinkListItem(*this); }

  const std::string& text() const { return text_; }

 private:
  QString shownName() const {
    const size_t end = NameEnd(text_);
    // Windows-1252 agrees with Latin-1 outside 0x80-0x9F.
    bool latin1 = true;
    for (size_t i = 0; i < end && latin1; ++i) {
      const unsigned char c = static_cast<unsigned char>(text_[i]);
      latin1 = c != '\r' && (c < 0x80 || c >= 0xA0);
    }
    if (latin1) return QString::fromLatin1(text_.data(), static_cast<qsizetype>(end));
    return FromCatalogueText(text_.substr(0, end));
  }

  std::string text_;
};

}  // namespace

QString FromCatalogueText(const std::string& text) {
  QString result = QString::fromStdString(tinydb::Cp1252ToUtf8(text));
  result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return result;
}

bool ToCatalogueText(const QString& text, std::string* out, QString* bad) {
  QString lines = text;
  lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  lines.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  if (tinydb::Utf8ToCp1252(lines.toStdString(), out)) return true;
  // Find the first character without a Windows-1252 form.
  for (int i = 0; i < lines.size();) {
    const int length = lines.at(i).isHighSurrogate() && i + 1 < lines.size() ? 2 : 1;
    const QString character = lines.mid(i, length);
    std::string ignored;
    if (!tinydb::Utf8ToCp1252(character.toStdString(), &ignored)) {
      if (bad) *bad = character;
      return false;
    }
    i += length;
  }
  if (bad) bad->clear();
  return false;
}

// ---------------------------------------------------------------------------
// List items

QListWidgetItem* TMainForm::newListItem(const std::string& text, bool checked) const {
  auto* item = new TDrinkListItem(text);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  return item;
}

std::string TMainForm::itemText(int row) const {
  const QListWidgetItem* item = ListBox->item(row);
  if (item == nullptr) return std::string();
  if (item->type() == TDrinkListItem::kType) return static_cast<const TDrinkListItem*>(item)->text();
  return item->data(kItemTextRole).toByteArray().toStdString();
}

int32_t TMainForm::itemIdAt(int row) const { return zestoria::itemId(itemText(row)); }

int TMainForm::sortedPosition(const std::string& text) const {
  int low = 0;
  int high = ListBox->count();
  while (low < high) {
    const int middle = (low + high) / 2;
    if (zestoria::ListItemLess(itemText(middle), text)) low = middle + 1;
    else high = middle;
  }
  return low;
}

int TMainForm::selectedIndex() const {
  const QList<QListWidgetItem*> selected = ListBox->selectedItems();
  return selected.isEmpty() ? -1 : ListBox->row(selected.first());
}

void TMainForm::selectRow(int row) {
  ++quietList_;
  if (row >= 0 && row < ListBox->count()) {
    ListBox->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    ListBox->scrollToItem(ListBox->item(row));
  } else {
    ListBox->clearSelection();
    ListBox->setCurrentItem(nullptr, QItemSelectionModel::Clear);
  }
  --quietList_;
}

void TMainForm::setItemChecked(int row, bool checked) {
  if (QListWidgetItem* item = ListBox->item(row)) item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool TMainForm::itemChecked(int row) const {
  const QListWidgetItem* item = ListBox->item(row);
  return item && item->checkState() == Qt::Checked;
}

int TMainForm::checkBoxRowAt(const QPoint& point) const {
  QListWidgetItem* item = ListBox->itemAt(point);
  if (!item) return -1;
  QStyleOptionViewItem option;
  option.initFrom(ListBox);
  option.rect = ListBox->visualItemRect(item);
  option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
  option.text = item->text();
  option.checkState = item->checkState();
  const QRect box = ListBox->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, ListBox);
  return box.adjusted(-2, -2, 2, 2).contains(point) ? ListBox->row(item) : -1;
}

// ---------------------------------------------------------------------------
// Filling the list

void TMainForm::fillList(const std::string& filter) {
  struct TFinish {
    TMainForm* form;
    ~TFinish() {
      form->appendToList_ = false;
      if (form->modeWord_ != QLatin1String("Browse")) {
        form->setMode(wmBrowse);
        form->statusPanels_[0]->setText(form->modeWord_);
      }
    }
  };
  THourglass hourglass;
  TFinish finish{this};
  statusPanels_[0]->setText(QStringLiteral("Searching..."));
  statusPanels_[2]->clear();
  StatusBar1->repaint();
  const int remembered = selectedIndex();

  std::vector<zestoria::TListedDrink> drinks = catalogue_.ListDrinks(filter, startingUp_);
  if (drinks.empty()) {
    selectRow(remembered);
    Platform().Warning(QStringLiteral("There are no drinks to list"));
    setStatusBar(modeWord_.isEmpty() ? QStringLiteral("Browse") : modeWord_,
                 ListBox->count() > 0 ? flagsText(currentDrink_) : QString(), positionText());
    return;
  }

  ++quietList_;
  if (!appendToList_) ListBox->clear();
  for (QLineEdit* text : {StaticTitle, StaticType, StaticSeason, StaticTemp, StaticGlass}) text->clear();
  showComment(QString());
  StaticIngred->clear();
  StaticDir->clear();
  showGlass(14);

  struct TNewItem {
    std::string text;
    bool checked;
  };
  std::vector<TNewItem> items;
  items.reserve(drinks.size());
  for (const zestoria::TListedDrink& drink : drinks)
    items.push_back({zestoria::makeListItem(drink.name, drink.id), drink.marked == 1});

  if (appendToList_) {
    // A drink already listed is not listed twice.
    std::unordered_set<int32_t> listed;
    for (int row = 0; row < ListBox->count(); ++row) listed.insert(itemIdAt(row));
    for (size_t i = 0; i < items.size(); ++i) {
      if (!listed.insert(drinks[i].id).second) continue;
      ListBox->insertItem(sortedPosition(items[i].text), newListItem(items[i].text, items[i].checked));
    }
  } else {
    // One sort and one batch of insertions keeps large lists fast. The sort
    // folds case through a table made from the same tolower ListItemLess
    // uses, so the order is the one ListItemLess gives.
    unsigned char fold[256];
    for (int c = 0; c < 256; ++c) fold[c] = static_cast<unsigned char>(std::tolower(c));
    std::vector<uint32_t> order(items.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
    // Equal texts keep their walk order, as a stable sort would.
    std::sort(order.begin(), order.end(), [&fold, &items](uint32_t ia, uint32_t ib) {
      const std::string& a = items[ia].text;
      const std::string& b = items[ib].text;
      const size_t n = std::min(a.size(), b.size());
      const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
      const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
      for (size_t i = 0; i < n; ++i) {
        if (fold[pa[i]] != fold[pb[i]]) return fold[pa[i]] < fold[pb[i]];
      }
      if (a.size() != b.size()) return a.size() < b.size();
      return ia < ib;
    });
    ListBox->setUpdatesEnabled(false);
    for (const uint32_t i : order) ListBox->addItem(newListItem(items[i].text, items[i].checked));
    ListBox->setUpdatesEnabled(true);
  }
  --quietList_;

  selectRow(0);
  if (ListBox->count() > 0) {
    loadDrink(itemIdAt(0));
    showDrink(currentDrink_);
  }
}

// ---------------------------------------------------------------------------
// The current drink and its display

void TMainForm::loadDrink(int32_t id) { currentDrink_ = catalogue_.LoadDrink(id); }

void TMainForm::showItem(int row) {
  selectRow(row);
  loadDrink(itemIdAt(row));
  showDrink(currentDrink_);
}

void TMainForm::showGlass(int code) {
  const QPixmap picture = GlassPicture(code);
  shownGlass_ = picture.isNull() ? -1 : code;
  ImageGlass->setPixmap(picture);
}

QString TMainForm::positionText() const {
  return QStringLiteral("%1 of %2").arg(selectedIndex() + 1).arg(ListBox->count());
}

QString TMainForm::flagsText(const TDrink& drink) {
  const bool marked = drink.marked == 1;
  const bool readOnly = drink.read_only != 0;
  if (marked && readOnly) return QStringLiteral("Marked / Read Only");
  if (marked) return QStringLiteral("Marked");
  if (readOnly) return QStringLiteral("Read Only");
  return QString();
}

void TMainForm::showDrink(const TDrink& drink) {
  if (editing()) setMode(wmBrowse);
  StaticTitle->setText(FromCatalogueText(drink.name));
  StaticType->setText(QString::fromStdString(zestoria::typeName(drink.type)));
  StaticSeason->setText(QString::fromStdString(zestoria::seasonName(drink.season)));
  StaticTemp->setText(QString::fromStdString(zestoria::tempName(drink.temp)));
  StaticGlass->setText(QString::fromStdString(zestoria::glassName(drink.glass)));
  StaticDir->setPlainText(FromCatalogueText(drink.directions));
  StaticIngred->setPlainText(FromCatalogueText(drink.ingred));
  showComment(FromCatalogueText(drink.comment));
  StaticTitle->setCursorPosition(0);
  updateMarkMenu(drink.marked == 1);
  showGlass(drink.glass);
  setStatusBar(modeWord_, flagsText(drink), positionText());
}

void TMainForm::showComment(const QString& text) {
  const QSignalBlocker block(StaticAd);
  StaticAd->setPlainText(text);
  StaticAd->selectAll();
  StaticAd->setAlignment(Qt::AlignCenter);
  QTextCursor cursor = StaticAd->textCursor();
  cursor.clearSelection();
  cursor.movePosition(QTextCursor::Start);
  StaticAd->setTextCursor(cursor);
}

void TMainForm::updateMarkMenu(bool marked) {
  MenuMark->setVisible(!marked);
  MenuUnmark->setVisible(marked);
}

// ---------------------------------------------------------------------------
// Moving through the list

bool TMainForm::confirmUndoEdit() {
  if (!editing()) return true;
  if (Platform().Confirm(QStringLiteral("Drink is being edited.  Undo changes"))) return true;
  restoreEditSelection();
  return false;
}

void TMainForm::restoreEditSelection() {
  // The selection stays on the drink being edited (none while adding), so
  // that Commit acts on it.
  selectRow(modeWord_ == QLatin1String("Modify") ? savedIndex_ : -1);
}

void TMainForm::ListBoxClick() {
  if (!confirmUndoEdit()) return;
  if (modeWord_ == QLatin1String("Add")) selectRow(savedIndex_);
  const int row = selectedIndex();
  if (row < 0) return;
  showItem(row);
}

void TMainForm::ButNextClick() {
  const int row = selectedIndex();
  if (row + 1 >= ListBox->count()) return;
  showItem(row + 1);
}

void TMainForm::ButPrevoiusClick() {
  const int row = selectedIndex();
  if (row <= 0) return;
  showItem(row - 1);
}

bool TMainForm::FormMouseWheel(bool down) {
  if (TabForm->currentWidget() != TabRecipie || ListBox->count() == 0) return false;
  if (!confirmUndoEdit()) return false;
  const bool wasEditing = editing();
  if (modeWord_ == QLatin1String("Add")) selectRow(savedIndex_);
  const int row = selectedIndex();
  if (down ? row == ListBox->count() - 1 : row <= 0) {
    // The user chose to undo the edit: end it even where the list stops.
    if (wasEditing && row >= 0) showItem(row);
    return false;
  }
  ListBox->setFocus();
  showItem(down ? row + 1 : row - 1);
  return true;
}

void TMainForm::TabRecipieEnter() {
  setMode(wmBrowse);
  setStatusBar(modeWord_, flagsText(currentDrink_), positionText());
  ListBox->setFocus();
}
