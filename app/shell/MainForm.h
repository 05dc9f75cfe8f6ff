// The main window: three pages (Recipe, Search, Information) under the
// menus, the toolbars and the status line. The window keeps what the pages
// share (the catalogue database image, the drink on show, the mode, the
// status line, the menus and toolbars) and offers it to them as their
// TPageHost; the File menu's import, export and print commands are its own. It
// reaches message boxes, the clipboard and cursors only through Platform().
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

#include "printing/PrintDialogForm.h"
#include "shell/PageHost.h"

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QTabWidget;
class QToolBar;
class QToolButton;
class QWidget;
class TInformationPage;
class TMyBarForm;
class TRecipePage;
class TSearchPage;

class TMainForm : public QMainWindow, public TPageHost {
  Q_OBJECT

 public:
  // Builds the window and runs FormCreate: |arguments| is the command line
  // (element 0 the program's path, whose folder holds "zestoria.tdb";
  // element 1 a recipe file of any format to import). Throws the file-open error when
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
  bool saveDatabase() override;

  // ---- Keys and wheel ----
  // The window-wide keys (Escape, Insert, Delete, F1); true when |key| had a
  // window-wide meaning. The key still goes on to the focused control.
  bool FormKeyDown(int key);
  // A mouse wheel step on the window; |down| for a step towards the user.
  // True when the step moved through the list (the event is then handled).
  bool FormMouseWheel(bool down);

  // The print dialog, made once and kept, so its choices stay from one
  // print to the next.
  void createPrintDialog();

  // ---- The pages ----
  TRecipePage& recipePage() { return *recipePage_; }
  TSearchPage& searchPage() { return *searchPage_; }

  // ---- What the pages share (TPageHost) ----
  TDrinkCatalogue& catalogue() override { return catalogue_; }
  TDrink& currentDrink() override { return currentDrink_; }
  const TDrink& currentDrink() const { return currentDrink_; }
  TWindowMode mode() const override { return mode_; }
  void setMode(TWindowMode mode) override;
  bool startingUp() const override { return startingUp_; }
  void setStatusBar(const QString& mode, const QString& flags, const QString& position) override;
  void setStatusPanel(int panel, const QString& text) override;
  void repaintStatusBar() override;
  void showMarkMenu(bool marked) override;
  void enablePasteDrink() override;
  void popUpListMenu(const QPoint& global) override;
  void showRecipePage() override;
  void listDrinks(const std::string& filter, bool append) override;
  void listDrinkIds(const std::vector<int32_t>& ids, bool append,
                    std::unordered_map<int32_t, QString> notes = {}) override;
  // My Bar, its index of the drinks' needs built on first use (and from
  // then on following every record change).
  zestoria::bar::TMyBar& bar() override;
  // The My Bar window, made on first use and kept; refreshed from the shelf.
  TMyBarForm& myBarForm();

  // ---- State read by the tests ----
  // The word of the mode, as the status line shows it.
  QString modeWord() const { return ModeWord(mode_); }
  int64_t nextDrinkId() const { return catalogue_.NextDrinkId(); }
  // The three status panels' texts.
  QString statusText(int panel) const;

  // Reaches the window's menus, toolbars and pages from the tests.
  struct TestAccess;

 public slots:
  void TabSearchEnter();
  void TabMiscEnter();
  // Shell.
  void Contents1Click();
  void About1Click();
  void Exit1Click();
  void ButDisplayClick();
  void ButPrintClick();
  // Import: File > "Import <- .ZDR" and the recipe file |file_name| of any
  // format. With |ask| a .zdr file's import question is asked, and for the
  // other formats, once, whether to add drinks whose name the catalogue
  // already has; without, they are added.
  void MenuImportClick();
  // True when the import came as far as saving the image (whether or not
  // the save worked); false when it stopped before adding anything.
  bool importDrinks(const QString& file_name, bool ask);
  // Export: File > "Export...", the listed drinks or the marked ones.
  void MenuExportClick();
  // The single-instance guard: a second copy handed over its |arguments|;
  // imports element 1 (no import question), then restores the window and
  // brings it to the front.
  void ToFront(const QStringList& arguments);
  // My Bar: Bar > "My Bar..." and the toolbar's "My Bar" open the shelf's
  // check list; Bar > "Shopping List..." shows what the marked drinks need
  // and the shelf lacks.
  void MyBarClick();
  void ShoppingListClick();
  // Printing: File > "Print Drink", "Print Marked", "Print List" and the
  // same three in the print button's menu.
  void MenuPrintDrinkClick();
  void MenuPrintMarkedClick();
  void MenuPrintListClick();
  void PopPrintDrinkClick();
  void PopPrintMarkedClick();
  void PopPrintListClick();

 protected:
  // Every key and wheel event of the application, before its receiver:
  // the window-wide keys and the wheel.
  bool windowEvent(QObject* watched, QEvent* event);
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  friend struct TestAccess;
  class TPrintSubjectOfWindow;

  // Construction steps.
  void createActions();
  void createMenus();
  void createPages();
  void createToolBars();
  void createStatusBar();

  // The listed drinks' ids in list order; the marked drinks' in id order.
  std::vector<int32_t> listedDrinkIds() const;
  std::vector<int32_t> markedDrinkIds();

  // Reads the vocabulary beside the program and loads the shelf; a fault
  // is kept for the bar's commands to report. The drinks are indexed by
  // the first bar().
  void loadBar();
  // Stores the shelf in the catalogue file (a lasting change); a failure is
  // shown in an error box.
  void storeShelf();

  // The help topic of the page on show.
  void showPageHelp();
  // The shared body of the print commands: with a printer installed, sets
  // the print scope to |scope| and shows the print dialog modally.
  void printCommand(TPrintScope scope);

  TDrinkCatalogue catalogue_;
  TDrink currentDrink_;
  TWindowMode mode_ = wmBrowse;
  QString programDir_;
  bool startingUp_ = false;
  int wheelDelta_ = 0;  // wheel movement not yet turned into steps
  const QEvent* lastWheel_ = nullptr;  // the wheel event seen last, and
  quint64 lastWheelTime_ = 0;          // whether it moved the list
  bool lastWheelHandled_ = false;
  bool shownOnce_ = false;
  QObject* applicationFilter_ = nullptr;
  // What the next print covers; set by the print commands.
  TPrintScope printScope_ = TPrintScope::None;
  TThePrintDialog* ThePrintDialog = nullptr;
  // My Bar; null (with the reason in barError_) when the vocabulary could
  // not be read.
  std::unique_ptr<zestoria::bar::TMyBar> bar_;
  QString barError_;
  bool barIndexed_ = false;  // bar_ follows the catalogue
  TMyBarForm* myBarForm_ = nullptr;

  // ---- Pages, menus, toolbars and status line ----
  QTabWidget* TabForm = nullptr;
  TRecipePage* recipePage_ = nullptr;
  TSearchPage* searchPage_ = nullptr;
  TInformationPage* informationPage_ = nullptr;

  QToolBar* ToolBar1 = nullptr;
  QToolButton* ButPrevoius = nullptr;
  QToolButton* ButNext = nullptr;
  QToolButton* ButAdd = nullptr;
  QToolButton* ButModify = nullptr;
  QToolButton* ButDelete = nullptr;
  QToolButton* ButDisplay = nullptr;
  QToolButton* ButPrint = nullptr;
  QToolButton* ButMyBar = nullptr;
  QToolBar* ToolBar2 = nullptr;  // the editing toolbar
  QToolButton* ButtonCommit = nullptr;
  QToolButton* ButtonCancel = nullptr;

  QStatusBar* StatusBar1 = nullptr;
  QLabel* statusPanels_[3] = {nullptr, nullptr, nullptr};

  QMenu* MenuFile = nullptr;
  QAction* MenuImport = nullptr;
  QAction* MenuExport = nullptr;
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
  QMenu* MenuBar = nullptr;
  QAction* MenuMyBar = nullptr;
  QAction* MenuShoppingList = nullptr;
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
};
