// The main window: three pages (Recipe, Search, Information), the drink list
// with its check boxes, the recipe display and its editing, the marks, the
// drink clipboard, the menus, toolbars and status line. The window works on
// the catalogue database image (TDrinkCatalogue) and reaches message boxes,
// the clipboard and cursors only through Platform().
//
// The implementation is split by subsystem: shell/MainFormShell.cpp (build,
// modes, keys, start-up, saving, help), catalogue/MainFormList.cpp (list and
// display), catalogue/MainFormEdit.cpp (editing), catalogue/MainFormMarks.cpp
// (marks and drink clipboard).
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/Drink.h"
#include "catalogue/DrinkCatalogue.h"
#include "finding/SearchBuilder.h"

class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPlainTextEdit;
class QPoint;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QTextEdit;
class QToolBar;
class QToolButton;
class QWidget;
class TOtherForm;
class TAndOrForm;
class TThePrintDialog;

using zestoria::TDrink;
using zestoria::TDrinkCatalogue;

// The window modes and their words (also what status panel 0 shows).
enum TWindowMode { wmBrowse = 0, wmAdd = 1, wmModify = 2, wmSearch = 3, wmInformation = 4 };

// The Unicode text of catalogue text |text| (Windows-1252, lines ending in
// "\r\n"); lines end in "\n".
QString FromCatalogueText(const std::string& text);
// Catalogue text of |text|, lines ending in "\r\n". False when |text| holds
// a character Windows-1252 cannot hold; |*bad| is then the first one.
bool ToCatalogueText(const QString& text, std::string* out, QString* bad);

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  // Builds the window and runs FormCreate: |arguments| is the command line
  // (element 0 the program's path, whose folder holds "zestoria.tdb";
  // element 1 an exchange file to import). Throws the file-open error when
  // the database cannot be loaded, and the engine's error when it cannot be
  // opened; nothing is listed or saved then.
  explicit TMainForm(const QStringList& arguments, QWidget* parent = nullptr);
  ~TMainForm() override;

  // ---- Start-up and persistence ----
  // Creation: loads and opens the database, lists every drink (clearing the
  // marks, setting the next id), imports the command line's file, saves.
  void FormCreate(const QStringList& arguments);
  // First showing: the drink list takes the keyboard focus.
  void FormShow();
  // Activation: in Browse, shows the selected item's drink (selecting item
  // 0 when none is selected), so the display always matches the selection.
  void FormActivate();
  // Writes the database image over programDir + "zestoria.tdb" atomically.
  // A failure is reported in an error box; the change stays in the image.
  // Returns whether the file was written.
  bool saveDatabase();

  // ---- Modes, status line, keys ----
  // Switches the window mode (TWindowMode) and everything that goes with it.
  void setMode(int mode);
  // Writes the three texts into status panels 0, 1 and 2.
  void setStatusBar(const QString& mode, const QString& flags, const QString& position);
  // The window-wide keys (Escape, Insert, Delete, F1); true when |key| had a
  // window-wide meaning. The key still goes on to the focused control.
  bool FormKeyDown(int key);
  // A mouse wheel step on the window; |down| for a step towards the user.
  // True when the step moved through the list (the event is then handled).
  bool FormMouseWheel(bool down);

  // ---- Drink list and display ----
  // Refills the list with the drinks |filter| accepts ("" every drink).
  // Throws the filter language's error before the list is touched.
  void fillList(const std::string& filter);
  // Makes the drink with |id| the current drink.
  void loadDrink(int32_t id);
  // Shows |drink| in the recipe display and the status line.
  void showDrink(const TDrink& drink);

  // ---- Editing ----
  // Appends |drink| under the next drink id; returns that id.
  int32_t insertDrink(const TDrink& drink, bool showInList, bool save);
  // Writes every field of |drink| but id into its record.
  void updateDrink(const TDrink& drink, bool save);
  // Deletes the selected item's drink after asking (|confirm|).
  void deleteSelectedDrink(bool confirm);

  // ---- Marks ----
  void markDrink();
  void unmarkDrink();
  // Writes |value| (1 marked, 0 not) into the drink on show, its list item,
  // the mark menu and the display.
  void setShownMark(int value);
  // Marks (1) or unmarks (0) every listed drink.
  void markList(int value);

  // ---- State read by the tests and the other pages ----
  const QString& modeWord() const { return modeWord_; }
  int64_t nextDrinkId() const { return catalogue_.NextDrinkId(); }
  const TDrink& currentDrink() const { return currentDrink_; }
  const TDrink& drinkClipboard() const { return drinkClipboard_; }
  TDrinkCatalogue& catalogue() { return catalogue_; }
  const QString& programDir() const { return programDir_; }
  const QString& programFile() const { return programFile_; }
  // The list position selected, or -1.
  int selectedIndex() const;
  // The full text of list item |row| (Windows-1252 name padded, then id).
  std::string itemText(int row) const;
  // The number of the glass picture on show (-1 for none).
  int shownGlassPicture() const { return shownGlass_; }
  // The three status panels' texts.
  QString statusText(int panel) const;

  // ---- Components, named by role and kind ----
  QTabWidget* TabForm = nullptr;
  QWidget* TabRecipie = nullptr;
  QWidget* TabSearch = nullptr;
  QWidget* TabMisc = nullptr;

  QToolBar* ToolBar1 = nullptr;
  QToolButton* ButPrevoius = nullptr;
  QToolButton* ButNext = nullptr;
  QToolButton* ButAdd = nullptr;
  QToolButton* ButModify = nullptr;
  QToolButton* ButDelete = nullptr;
  QToolButton* ButDisplay = nullptr;
  QToolButton* ButPrint = nullptr;
  QToolBar* ToolBar2 = nullptr;  // the editing toolbar
  QToolButton* ButtonCommit = nullptr;
  QToolButton* ButtonCancel = nullptr;

  QListWidget* ListBox = nullptr;
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

  QStatusBar* StatusBar1 = nullptr;

  QMenu* MenuFile = nullptr;
  QAction* MenuImport = nullptr;
  QAction* MenuPrintDrink = nullptr;
  QAction* MenuPrintMarked = nullptr;
  QAction* MenuPrintList = nullptr;
  QAction* Exit1 = nullptr;
  QMenu* MenuEdit = nullptr;
  QAction* MenuCopy = nullptr;
  QAction* MenuPaste = nullptr;
  QAction* Copydrink1 = nullptr;
  QAction* PasteDrink1 = nullptr;
  QMenu* MenuMarks = nullptr;
  QAction* MenuMarkList = nullptr;
  QAction* UnmarkList1 = nullptr;
  QAction* MenuMark = nullptr;
  QAction* MenuUnmark = nullptr;
  QAction* MenuUnmarkAll = nullptr;
  QMenu* MenuHelp = nullptr;
  QAction* Contents1 = nullptr;
  QAction* About1 = nullptr;

  QMenu* ListPopUp = nullptr;  // the drink list's pop-up menu
  QAction* Copydrink2 = nullptr;
  QAction* DeleteDrink1 = nullptr;
  QAction* Mark2 = nullptr;
  QAction* PrintDrink1 = nullptr;
  QMenu* displayPopUp = nullptr;
  QMenu* PopPrintMenu = nullptr;

  // The Search page (its commands are wired by the search builder).
  QLabel* Label6 = nullptr;
  QTextEdit* SeaString = nullptr;
  QTextEdit* SeaInstruct = nullptr;
  QToolBar* ToolBar3 = nullptr;
  QRadioButton* SeaRadioNew = nullptr;
  QRadioButton* SeaRadioAppend = nullptr;

 public slots:
  // Navigation and list.
  void ListBoxClick();
  void ButNextClick();
  void ButPrevoiusClick();
  void TabRecipieEnter();
  void TabSearchEnter();
  void TabMiscEnter();
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
  // Shell.
  void Contents1Click();
  void About1Click();
  void Exit1Click();
  void ButDisplayClick();
  void ButPrintClick();
  // Import and printing: their dialogs come with those subsystems.
  void MenuImportClick();
  void importDrinks(const QString& file_name, bool ask);
  // Import and the single-instance guard: a second copy handed over its
  // |arguments|; imports element 1 (no import question), then restores the
  // window and brings it to the front (app/exchange/MainFormImport.cpp).
  void ToFront(const QStringList& arguments);
  void MenuPrintDrinkClick();
  void MenuPrintMarkedClick();
  void MenuPrintListClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Every key and wheel event of the application, before its receiver:
  // the window-wide keys and the wheel.
  bool windowEvent(QObject* watched, QEvent* event);
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Construction steps.
  void createActions();
  void createMenus();
  void createPages();
  void createRecipePage();
  void createToolBars();
  void createSearchPage();
  void createInformationPage();
  void createStatusBar();

  // Runs |handler|; an error it throws is shown in an error box and the
  // window carries on, as with any error that reaches the message loop.
  void guarded(const std::function<void()>& handler);
  // The drink of list item |row| loaded and shown.
  void showItem(int row);
  // Selects |row| (-1: no selection) without running the click handler.
  void selectRow(int row);
  // Sets the check box of |row| without running the check handler.
  void setItemChecked(int row, bool checked);
  bool itemChecked(int row) const;
  // The row whose check box lies under |point| (viewport coordinates), or -1.
  int checkBoxRowAt(const QPoint& point) const;
  int32_t itemIdAt(int row) const;
  // A new list item for |text| (Windows-1252 list item text).
  QListWidgetItem* newListItem(const std::string& text, bool checked) const;
  // The position a new item with |text| takes in the sorted list.
  int sortedPosition(const std::string& text) const;
  // Position text "<n> of <count>".
  QString positionText() const;
  // Flags text of |drink|.
  static QString flagsText(const TDrink& drink);
  void showGlass(int code);
  // True when the mode is Add or Modify.
  bool editing() const;
  // In Add or Modify asks "Drink is being edited.  Undo changes"; false
  // when the user keeps the edit.
  bool confirmUndoEdit();
  // Puts the list selection back where the edit started from.
  void restoreEditSelection();
  // Writes |value| into the marked field of the drink with |id|.
  void writeMark(int32_t id, int value);
  // Starts Add: the shared part of ButAdd, Insert and Paste Drink.
  void startAdd();
  // Reads the edit controls into |drink|; false (after a message) when a
  // text cannot be stored in the catalogue's character set.
  bool readEditControls(TDrink* drink);
  void setEditable(bool editable);
  void updateMarkMenu(bool marked);
  // Shows |text| in the comment control, centred.
  void showComment(const QString& text);
  // The help topic of the page on show.
  void showPageHelp();

  TDrinkCatalogue catalogue_;
  QString programDir_;
  QString programFile_;
  QString modeWord_;
  bool startingUp_ = false;
  bool appendToList_ = false;
  TDrink currentDrink_;
  TDrink drinkClipboard_;
  int savedIndex_ = -1;
  int shownGlass_ = -1;
  int quietList_ = 0;  // >0 while the program itself changes the list
  int wheelDelta_ = 0;  // wheel movement not yet turned into steps
  const QEvent* lastWheel_ = nullptr;  // the wheel event seen last, and
  quint64 lastWheelTime_ = 0;          // whether it moved the list
  bool lastWheelHandled_ = false;
  bool shownOnce_ = false;
  QObject* applicationFilter_ = nullptr;
  QLabel* statusPanels_[3] = {nullptr, nullptr, nullptr};

  // ---- Finding drinks: the display menu, Find Drink and Quick Search ----
  // (finding/MainFormFind.cpp)
 public:
  QAction* All1 = nullptr;
  QAction* Marked1 = nullptr;
  QAction* FindDrink2 = nullptr;
  QAction* QuickSearch2 = nullptr;
  // The one-line text prompt, also used by the Search page.
  TOtherForm* OtherForm = nullptr;
  // Adds the Search page's term for category item |item| (an "S_" item);
  // the search builder supplies it.
  void addSearchTerm(QAction* item);

 public slots:
  void All1Click();
  void Marked1Click();
  void FindDrink2Click();
  void QuickSearch2Click();
  // The category handlers shared by the display menu ("D_" items: list the
  // category) and the Search page's menus ("S_" items: add a search term).
  void SeaLiquorClick(QAction* item);
  void SeaLiqueurClick(QAction* item);
  void SeaIngredClick(QAction* item);
  void SeaTypeClick(QAction* item);
  void SeaGlassClick(QAction* item);
  void SeaSeasonClick(QAction* item);
  void SeaTempClick(QAction* item);

 private:
  // Fills displayPopUp with its items and submenus; creates the prompt.
  void createDisplayMenu();
  // The shared body of the category handlers.
  void categoryClick(int category, QAction* item);
  // Asks with the prompt and lists the drinks whose |field| contains the
  // typed text; nothing happens on Cancel or an empty text.
  void promptAndList(const QString& caption, const QString& question, const std::string& field);
  // ---- end of finding drinks ----

 public:
  bool& appendToList() { return appendToList_; }

  // ---- Search page: the search builder (finding/MainFormSearch.cpp) ----
  QToolButton* SeaButLiquor = nullptr;
  QToolButton* SeaButLiqueur = nullptr;
  QToolButton* SeaButInged = nullptr;
  QToolButton* SeaButType = nullptr;
  QToolButton* SeaButGlass = nullptr;
  QToolButton* SeaButSeason = nullptr;
  QToolButton* SeaButTemp = nullptr;
  QPushButton* SeaAll = nullptr;
  QPushButton* SeaAnd = nullptr;
  QPushButton* SeaOr = nullptr;
  QPushButton* SeaSearch = nullptr;
  QPushButton* SeaClear = nullptr;
  QPushButton* SeaCancel = nullptr;
  QPushButton* SeaUndo = nullptr;
  QMenu* SeaPopLiquor = nullptr;
  QMenu* SeaPopLiqueur = nullptr;
  QMenu* SeaPopIngred = nullptr;
  QMenu* SeaPopType = nullptr;
  QMenu* SeaPopGlass = nullptr;
  QMenu* SeaPopSeason = nullptr;
  QMenu* SeaPopTemp = nullptr;
  // The display menu's "Recent Searches": one command per search run,
  // newest first, each re-running its filter (MenuDispQueryClick).
  QMenu* RecentSearches = nullptr;
  // The AND/OR question asked between two terms.
  TAndOrForm* AndOrForm = nullptr;
  // The pieces, the pending term and the searches run.
  const zestoria::TSearchBuilder& searchBuilder() const { return search_; }
  // The description piece of the term being added (the AND/OR question).
  QString pendingTermText;

 public slots:
  void SeaButLiquorClick();
  void SeaButLiqueurClick();
  void SeaButIngredClick();
  void SeaButTypeClick();
  void SeaButGlassClick();
  void SeaButSeasonClick();
  void SeaButTempClick();
  // "OTHER ..." of the three ingredient menus: a typed ingredient term.
  void SeaOtherClick();
  void SeaAndClick();
  void SeaOrClick();
  void SeaClearClick();
  void SeaUndoClick();
  void SeaSearchClick();
  void SeaAllClick();
  void SeaCancelClick();
  // A recorded search's command: lists with the filter its caption names.
  void MenuDispQueryClick(QAction* item);

 private:
  // The category menus of the Search page and the wiring of its commands.
  void createSearchMenus();
  // Adds "Recent Searches" at the end of displayPopUp (once, after it is built).
  void addRecentSearchesMenu();
  // Adds a term, asking AND or OR first when a term is pending.
  void addTerm(const zestoria::TSearchPieces& term);
  // Shows the description pieces in SeaString.
  void showSearchText();
  zestoria::TSearchBuilder search_;
  // ---- end of the search builder ----

  // ---- Printing (printing/MainFormPrint.cpp) ----
 public:
  // What the next print covers: 1 the current drink, 2 the drink list,
  // 3 the marked drinks; set by the print commands.
  int printScope = 0;
  // The print dialog, made once (createPrintDialog) and kept, so its
  // choices stay from one print to the next.
  TThePrintDialog* ThePrintDialog = nullptr;
  void createPrintDialog();

 public slots:
  // The print menu's commands; the File menu's do the same.
  void PopPrintDrinkClick();
  void PopPrintMarkedClick();
  void PopPrintListClick();

 private:
  // The shared body of the print commands: with a printer installed, sets
  // printScope to |scope| and shows the print dialog modally.
  void printCommand(int scope);
  // ---- end of printing ----
};
