// The shopping list window: the ingredients the marked drinks need and the
// shelf lacks, as text the user can copy (to the clipboard) or print.
#pragma once

#include <QDialog>
#include <QString>

#include "bar/MyBar.h"
#include "catalogue/DrinkCatalogue.h"

class QPlainTextEdit;
class QPushButton;

// The shopping list's text for the marked drinks |marked| (ids), the bar's
// shelf and |catalogue| (for the drinks' names): a heading, then one line
// per ingredient to buy with the marked drinks that need it.
QString ShoppingListText(const zestoria::bar::TMyBar& bar, zestoria::TDrinkCatalogue& catalogue,
                         const std::vector<int32_t>& marked);

class TShoppingListForm : public QDialog {
  Q_OBJECT

 public:
  TShoppingListForm(const QString& text, QWidget* parent = nullptr);

  QString text() const;

 public slots:
  // Puts the whole list on the clipboard.
  void CopyClick();
  // Prints the list: printer setup, then (for "Save as PDF") the file.
  void PrintClick();

 private:
  QPlainTextEdit* list_ = nullptr;
};
