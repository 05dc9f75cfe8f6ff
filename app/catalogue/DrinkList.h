// The drink list of the Recipe page: a list view over a model of the listed
// drinks. Each row keeps its list item text (the Windows-1252 name padded,
// then the id) and its check box; the view shows the name and the box. A
// refill hands the model all its rows at once, so a list of any length is
// filled in one step, and the view asks only for the rows in sight.
//
// The view answers the questions a check-box list answers (count, item,
// current item, current row) so the page and its tests read it as such.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QString>
#include <string>
#include <vector>

class TDrinkListModel;

class TDrinkList : public QListView {
  Q_OBJECT

 public:
  // One listed drink: its list item text and whether its box is checked.
  struct TRow {
    std::string text;
    bool checked = false;
  };

  // A row as a check-box list's item reads: the name shown and the check
  // state. Taken for a row that is not there, it is false and reads empty.
  class TItem {
   public:
    TItem(const TDrinkList* list, int row) : list_(list), row_(row) {}
    const TItem* operator->() const { return this; }
    explicit operator bool() const { return row_ >= 0 && row_ < list_->count(); }
    QString text() const;
    Qt::CheckState checkState() const;

   private:
    const TDrinkList* list_;
    int row_;
  };

  explicit TDrinkList(QWidget* parent = nullptr);

  int count() const;
  // The row |row| (0 <= row < count()).
  const TRow& rowAt(int row) const;
  // Replaces every row (no selection, no current row afterwards).
  void setRows(std::vector<TRow> rows);
  // Inserts |item| before row |row| (count() appends); removes row |row|.
  void insertRow(int row, TRow item);
  void removeRow(int row);
  void setChecked(int row, bool checked);
  // Empties the list.
  void clear();
  // Appends an unchecked row whose text is |text| in Windows-1252 (Latin-1
  // for the characters both share).
  void addItem(const QString& text);

  TItem item(int row) const { return TItem(this, row); }
  TItem currentItem() const { return TItem(this, currentRow()); }
  int currentRow() const;
  // Makes |row| the current and only selected row, as a click does; a row
  // that is not there clears the current row and the selection.
  void setCurrentRow(int row);
  // The selected row, or -1.
  int selectedRow() const;
  // The rectangle of row |row| in the viewport.
  QRect rowRect(int row) const;
  // The row under |point| (viewport coordinates), or -1.
  int rowAtPoint(const QPoint& point) const;
  // Scrolls row |row| into sight.
  void scrollToRow(int row);

 signals:
  // The selection changed, by the user or the program.
  void itemSelectionChanged();
  // A row was double-clicked.
  void itemDoubleClicked(int row);

 private:
  TDrinkListModel* model_;
};
