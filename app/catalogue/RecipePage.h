// The main window's Recipe page: the drink list with its check boxes, the
// recipe display and its editing in place, the marks and the drink
// clipboard. The page reaches the window through TPageHost.
//
// The implementation is split by task: RecipePage.cpp (building, the list
// and the display), RecipePageEdit.cpp (editing), RecipePageMarks.cpp
// (marks and the drink clipboard).
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "shell/PageHost.h"

class QComboBox;
class QLabel;
class QLineEdit;
class TDrinkList;
class QPlainTextEdit;
class QTextEdit;

class TRecipePage : public QWidget {
  Q_OBJECT

 public:
  TRecipePage(TPageHost& host, QWidget* parent = nullptr);

  // ---- Drink list and display ----
  // Refills the list with the drinks |filter| accepts ("" every drink);
  // with |append| the drinks join the list instead. Throws the filter
  // language's error before the list is touched.
  void fillList(const std::string& filter, bool append = false);
  // The same for the drinks with the ids |ids| (however many: each is read
  // by its id, no filter is walked). |notes| adds a text to the status
  // line's drink panel for the drinks it names (by id) while they stay
  // listed ("Missing: Club soda").
  void listDrinks(const std::vector<int32_t>& ids, bool append = false,
                  std::unordered_map<int32_t, QString> notes = {});
  // Makes the drink with |id| the current drink.
  void loadDrink(int32_t id);
  // Shows |drink| in the recipe display and the status line.
  void showDrink(const TDrink& drink);
  // The drink of list item |row| selected, loaded and shown.
  void showItem(int row);
  // In Browse: shows the selected item's drink (item 0's when none is
  // selected), so the display matches the selection.
  void showSelection();
  // Lists the drinks named |names| (with their new |ids|) in sorted place,
  // check boxes clear; returns the row of the last one.
  int listNewDrinks(const std::vector<std::string>& names, const std::vector<int32_t>& ids);

  // ---- Editing ----
  // Starts Add: the shared part of ButAdd, Insert and Paste Drink.
  void startAdd();
  // Appends |drink| under the next drink id; returns that id.
  int32_t insertDrink(const TDrink& drink, bool showInList, bool save);
  // Writes every field of |drink| but id into its record.
  void updateDrink(const TDrink& drink, bool save);
  // Deletes the selected item's drink after asking (|confirm|).
  void deleteSelectedDrink(bool confirm);
  // Escape during an edit: back to Browse on the item the edit started from.
  void escapeEdit();
  // The display's part of the window modes: emptied for Add, the choosers
  // set from the current drink for Modify, controls editable or not.
  void enterAddMode();
  void enterModifyMode();
  void setEditable(bool editable);
  // A wheel step; true when it moved through the list.
  bool wheelStep(bool down);

  // ---- Marks ----
  void markDrink();
  void unmarkDrink();
  // Writes |value| (1 marked, 0 not) into the drink on show, its list item,
  // the mark menu and the display.
  void setShownMark(int value);
  // Marks (1) or unmarks (0) every listed drink.
  void markList(int value);

  // ---- State ----
  const TDrink& drinkClipboard() const { return drinkClipboard_; }
  // The number of list items, the position selected (-1 for none), the
  // full text of list item |row| (Windows-1252 name padded, then id).
  int itemCount() const;
  int selectedIndex() const;
  std::string itemText(int row) const;
  // Position text "<n> of <count>".
  QString positionText() const;
  // Flags text of |drink|.
  static QString flagsText(const TDrink& drink);
  // The status line's drink panel for |drink|: its flags and its note, if
  // the listing gave it one.
  QString statusFlags(const TDrink& drink) const;
  // The number of the glass picture on show (-1 for none).
  int shownGlassPicture() const { return shownGlass_; }
  void focusList();
  void focusTitle();

  // Reaches the page's controls from the tests.
  struct TestAccess;

 public slots:
  // Navigation and list.
  void ListBoxClick();
  void ButNextClick();
  void ButPrevoiusClick();
  void TabRecipieEnter();
  // Editing.
  void ButAddClick();
  void ButModifyClick();
  void ButtonCommitClick();
  void ButtonCancelClick();
  void ButDeleteClick();
  void DeleteDrink1Click();
  void EditGlassChange();
  // Marks and clipboard.
  void MenuMarkClick();
  void MenuUnmarkClick();
  void Mark2Click();
  void ListBoxDblClick();
  void ListBoxClickCheck(int row);
  void MenuMarkListClick();
  void UnmarkList1Click();
  void MenuUnmarkAllClick();
  void Copydrink1Click();
  void PasteDrink1Click();
  void MenuCopyClick();
  void MenuPasteClick();

 protected:
  // The comment stays one paragraph; Enter and space on the list and a
  // click on a check box mark.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend struct TestAccess;

  // Construction steps.
  // The title, comment, glass and categories; the choosers over the
  // categories; ingredients and directions.
  void createDisplay();
  void createChoosers();
  void createRecipeTexts();
  void createList();

  // The shared body of fillList and listDrinks: |list| reads the drinks.
  void fillListWith(const std::function<std::vector<zestoria::TListedDrink>()>& list, bool append,
                    std::unordered_map<int32_t, QString>* notes);
  // Selects |row| (-1: no selection) without running the click handler.
  void selectRow(int row);
  // Sets the check box of |row| without running the check handler.
  void setItemChecked(int row, bool checked);
  bool itemChecked(int row) const;
  // The row whose check box lies under |point| (viewport coordinates), or -1.
  int checkBoxRowAt(const QPoint& point) const;
  int32_t itemIdAt(int row) const;
  // Inserts a list item for |text| (Windows-1252 list item text) before
  // row |row|.
  void insertListItem(int row, std::string text, bool checked);
  // The position a new item with |text| takes in the sorted list.
  int sortedPosition(const std::string& text) const;
  void showGlass(int code);
  // Empties the display's texts.
  void clearDisplay();
  // True when the mode is Add or Modify.
  bool editing() const;
  // In Add or Modify asks "Drink is being edited.  Undo changes"; false
  // when the user keeps the edit.
  bool confirmUndoEdit();
  // Puts the list selection back where the edit started from.
  void restoreEditSelection();
  // Writes |value| into the marked field of the drink with |id|.
  void writeMark(int32_t id, int value);
  // Sets the four choosers to the type, season, temperature and glass of
  // |drink|.
  void chooseFrom(const TDrink& drink);
  // Reads the edit controls into |drink|; false (after a message) when a
  // text cannot be stored in the catalogue's character set.
  bool readEditControls(TDrink* drink);
  // Shows |text| in the comment control, centred.
  void showComment(const QString& text);

  // Keeps the list's selection handler silent for its life, however the
  // scope is left, as QSignalBlocker does for signals.
  class TQuietList {
   public:
    explicit TQuietList(TRecipePage* page) : count_(page->quietList_) { ++count_; }
    ~TQuietList() { --count_; }
    TQuietList(const TQuietList&) = delete;
    TQuietList& operator=(const TQuietList&) = delete;

   private:
    int& count_;
  };

  TPageHost& host_;
  TDrink drinkClipboard_;
  int savedIndex_ = -1;
  int shownGlass_ = -1;
  int quietList_ = 0;  // >0 while the program itself changes the list
  std::unordered_map<int32_t, QString> notes_;  // the listing's status notes, by drink id

  TDrinkList* ListBox = nullptr;
  QLineEdit* StaticTitle = nullptr;
  QTextEdit* StaticAd = nullptr;  // the comment, centred, up to two lines
  QLineEdit* StaticType = nullptr;
  QLineEdit* StaticGlass = nullptr;
  QLineEdit* StaticSeason = nullptr;
  QLineEdit* StaticTemp = nullptr;
  QPlainTextEdit* StaticIngred = nullptr;
  QPlainTextEdit* StaticDir = nullptr;
  QLabel* ImageGlass = nullptr;
  QComboBox* EditType = nullptr;
  QComboBox* EditGlass = nullptr;
  QComboBox* EditSeason = nullptr;
  QComboBox* EditTemp = nullptr;
};
