#include "catalogue/DrinkList.h"

#include <QByteArray>
#include <QItemSelectionModel>
#include <algorithm>
#include <utility>

#include "catalogue/CatalogueText.h"
#include "catalogue/ListItem.h"

namespace {

// The full list item text, for whoever reads the model's rows.
constexpr int kItemTextRole = Qt::UserRole;

// The name part of list item text |text|: the text before the id column,
// trailing blanks dropped.
size_t NameEnd(const std::string& text) {
  return std::min(text.find_last_not_of(' ', zestoria::kListItemIdColumn - 1) + 1,
                  zestoria::kListItemIdColumn);
}

// The name shown for list item text |text|, made only when the view asks
// for it (it draws the few rows in sight).
QString ShownName(const std::string& text) {
  const size_t end = NameEnd(text);
  // Windows-1252 agrees with Latin-1 outside 0x80-0x9F.
  bool latin1 = true;
  for (size_t i = 0; i < end && latin1; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    latin1 = c != '\r' && (c < 0x80 || c >= 0xA0);
  }
  if (latin1) return QString::fromLatin1(text.data(), static_cast<qsizetype>(end));
  return FromCatalogueText(text.substr(0, end));
}

}  // namespace

// The rows of the drink list.
class TDrinkListModel : public QAbstractListModel {
 public:
  explicit TDrinkListModel(QObject* parent) : QAbstractListModel(parent) {}

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= rowCount()) return QVariant();
    const TDrinkList::TRow& row = rows_[static_cast<size_t>(index.row())];
    switch (role) {
      case Qt::DisplayRole:
      case Qt::EditRole:
        return ShownName(row.text);
      case Qt::CheckStateRole:
        return row.checked ? Qt::Checked : Qt::Unchecked;
      case kItemTextRole:
        return QByteArray::fromStdString(row.text);
      default:
        return QVariant();
    }
  }

  // Selectable and enabled; the page itself turns clicks on a box into marks.
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
  }

  const TDrinkList::TRow& Row(int row) const { return rows_[static_cast<size_t>(row)]; }

  void Reset(std::vector<TDrinkList::TRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
  }

  void Insert(int row, TDrinkList::TRow item) {
    row = std::clamp(row, 0, rowCount());
    beginInsertRows(QModelIndex(), row, row);
    rows_.insert(rows_.begin() + row, std::move(item));
    endInsertRows();
  }

  void Remove(int row) {
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows(QModelIndex(), row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
  }

  void SetChecked(int row, bool checked) {
    if (row < 0 || row >= rowCount() || rows_[static_cast<size_t>(row)].checked == checked) return;
    rows_[static_cast<size_t>(row)].checked = checked;
    const QModelIndex at = index(row);
    emit dataChanged(at, at, {Qt::CheckStateRole});
  }

 private:
  std::vector<TDrinkList::TRow> rows_;
};

QString TDrinkList::TItem::text() const { return *this ? ShownName(list_->rowAt(row_).text) : QString(); }

Qt::CheckState TDrinkList::TItem::checkState() const {
  return *this && list_->rowAt(row_).checked ? Qt::Checked : Qt::Unchecked;
}

TDrinkList::TDrinkList(QWidget* parent) : QListView(parent), model_(new TDrinkListModel(this)) {
  setModel(model_);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TDrinkList::itemSelectionChanged);
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) emit itemDoubleClicked(index.row());
  });
}

int TDrinkList::count() const { return model_->rowCount(); }

const TDrinkList::TRow& TDrinkList::rowAt(int row) const { return model_->Row(row); }

void TDrinkList::setRows(std::vector<TRow> rows) { model_->Reset(std::move(rows)); }

void TDrinkList::insertRow(int row, TRow item) { model_->Insert(row, std::move(item)); }

void TDrinkList::removeRow(int row) { model_->Remove(row); }

void TDrinkList::setChecked(int row, bool checked) { model_->SetChecked(row, checked); }

void TDrinkList::clear() { model_->Reset({}); }

void TDrinkList::addItem(const QString& text) {
  std::string stored;
  QString bad;
  if (!ToCatalogueText(text, &stored, &bad)) stored = text.toLatin1().toStdString();
  model_->Insert(count(), TRow{std::move(stored), false});
}

int TDrinkList::currentRow() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() : -1;
}

void TDrinkList::setCurrentRow(int row) {
  if (row >= 0 && row < count()) selectionModel()->setCurrentIndex(model_->index(row), QItemSelectionModel::ClearAndSelect);
  else selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
}

int TDrinkList::selectedRow() const {
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  return selected.isEmpty() ? -1 : selected.first().row();
}

QRect TDrinkList::rowRect(int row) const { return visualRect(model_->index(row)); }

int TDrinkList::rowAtPoint(const QPoint& point) const {
  const QModelIndex at = indexAt(point);
  return at.isValid() ? at.row() : -1;
}

void TDrinkList::scrollToRow(int row) {
  if (row >= 0 && row < count()) scrollTo(model_->index(row));
}
