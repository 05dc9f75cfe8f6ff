// The My Bar window: the ingredient vocabulary as a check list grouped as
// the vocabulary groups it, a filter box over the names, the staples marked
// as such, and a summary kept live as the user ticks: "You can make N
// drinks" and the next bottles, ranked by the drinks each would open
// ("Campari: +14"). Ticking puts the ingredient on the shelf or takes it
// off; the window then tells its owner, which stores the shelf.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

#include "bar/MyBar.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

class TMyBarForm : public QDialog {
  Q_OBJECT

 public:
  // The next bottles the summary shows.
  static constexpr int kBottlesShown = 10;

  // |shelfChanged| is called after every tick, the shelf already changed.
  TMyBarForm(zestoria::bar::TMyBar& bar, std::function<void()> shelfChanged, QWidget* parent = nullptr);

  // Ticks every box from the shelf and works out the summary again (the
  // drinks may have changed since the window was last open).
  void refresh();

  // Puts the ingredient |name| (its canonical name) on the shelf or takes
  // it off, as a click on its box does; false when the list has no such
  // ingredient.
  bool setTicked(const QString& name, bool ticked);
  // Shows only the ingredients whose name or alias holds |text| (case and
  // accents ignored); "" shows them all.
  void setFilterText(const QString& text);

  // What the window shows: the summary line, the next bottles' lines, and
  // the names of the ingredients the filter leaves in sight.
  QString summaryText() const;
  QStringList nextBottleTexts() const;
  QStringList shownNames() const;

 protected:
  // F1 opens My Bar's help topic.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void applyFilter();
  void updateSummary();
  void itemChanged(QTreeWidgetItem* item);

  zestoria::bar::TMyBar& bar_;
  std::function<void()> shelfChanged_;
  bool filling_ = false;
  QLineEdit* filterBox_ = nullptr;
  QTreeWidget* checkList_ = nullptr;
  QLabel* summary_ = nullptr;
  QListWidget* bottles_ = nullptr;
};
