// The main window: building it in named steps, the start-up, saving the
// database image, the window modes, the status line, the window-wide keys
// and wheel, the Help and Exit commands, importing and exporting recipe
// files and the print commands.
#include "shell/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QProgressDialog>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <memory>

#include "bar/MyBar.h"
#include "bar/MyBarForm.h"
#include "bar/ShelfStore.h"
#include "bar/ShoppingListForm.h"
#include "catalogue/CatalogueText.h"
#include "catalogue/RecipePage.h"
#include "catalogue/ListItem.h"
#include "exchange/DrinkImport.h"
#include "exchange/ExchangeReader.h"
#include "exchange/RecipeExport.h"
#include "exchange/RecipeImport.h"
#include "finding/SearchPage.h"
#include "shell/HelpViewer.h"
#include "shell/InformationPage.h"
#include "shell/InstanceGuard.h"
#include "shell/Pictures.h"
#include "shell/Platform.h"
#include "shell/ProgramFont.h"
#include "shell/Splash.h"
#include "shell/UseHTMLHelp.h"
#include "tables/Table.h"

namespace {

// Client area of the window (below the menu bar, status line included).
constexpr int kClientWidth = 632;
constexpr int kClientHeight = 431;
constexpr int kTabWidth = 80;
constexpr int kToolBarHeight = 48;
constexpr int kStatusWidths[3] = {80, 460, 50};

// The import dialog offers the program's own files first, then every
// recipe file it reads, each format alone, and every file; the format is
// recognised from the content whichever filter is chosen.
const char kImportFilter[] =
    "Zestoria  Drinks *.zdr|*.zdr|"
    "Recipe files|*.json;*.jsonld;*.html;*.htm;*.csv;*.zip|"
    "schema.org Recipe JSON-LD|*.jsonld;*.json;*.html;*.htm|"
    "Bar Assistant|*.json;*.zip|"
    "TheCocktailDB|*.json|"
    "IBA cocktail list|*.json|"
    "CSV|*.csv|"
    "All Files *|*";

// The export dialog's filters, in order: each names a format and the
// extensions it is written under (the first is added to a name without
// one).
struct TExportChoice {
  const char* title;
  QStringList extensions;
  zestoria::TRecipeFormat format;
};
const std::vector<TExportChoice>& ExportChoices() {
  static const std::vector<TExportChoice> choices = {
      {"Zestoria drinks", {QStringLiteral("zdr")}, zestoria::TRecipeFormat::rfZdr},
      {"schema.org Recipe JSON-LD", {QStringLiteral("jsonld"), QStringLiteral("json")},
       zestoria::TRecipeFormat::rfJsonLd},
      {"Bar Assistant JSON", {QStringLiteral("json")}, zestoria::TRecipeFormat::rfBarAssistant},
      {"CSV", {QStringLiteral("csv")}, zestoria::TRecipeFormat::rfCsv}};
  return choices;
}
QString ExportFilter() {
  QStringList parts;
  for (const TExportChoice& choice : ExportChoices()) {
    QStringList patterns;
    for (const QString& extension : choice.extensions) patterns << QStringLiteral("*.") + extension;
    parts << QString::fromLatin1(choice.title) << patterns.join(QLatin1Char(';'));
  }
  return parts.join(QLatin1Char('|'));
}
// The format to write |*file_name| in, the save dialog's filter |index|
// having been chosen: an extension of that filter keeps its format; one
// only another filter has (".zdr", ".jsonld", ".csv") takes that one's;
// a name without an extension gets the filter's first.
zestoria::TRecipeFormat ExportTarget(QString* file_name, int index) {
  const std::vector<TExportChoice>& choices = ExportChoices();
  const int last = static_cast<int>(choices.size()) - 1;
  const TExportChoice& chosen = choices[static_cast<size_t>(std::clamp(index, 0, last))];
  const QString suffix = QFileInfo(*file_name).suffix().toLower();
  if (suffix.isEmpty()) {
    *file_name += QLatin1Char('.') + chosen.extensions.first();
    return chosen.format;
  }
  if (chosen.extensions.contains(suffix)) return chosen.format;
  const TExportChoice* only = nullptr;
  int holders = 0;
  for (const TExportChoice& choice : choices) {
    if (choice.extensions.contains(suffix)) {
      only = &choice;
      ++holders;
    }
  }
  return holders == 1 ? only->format : chosen.format;
}

// "1 drink", "3 drinks".
QString Drinks(size_t n) {
  return n == 1 ? QStringLiteral("1 drink") : QStringLiteral("%1 drinks").arg(n);
}

// The question asked once when drinks of a file have a name the catalogue
// already has: Yes adds them as well, No leaves them out.
QString DuplicatesQuestion(const std::vector<std::string>& names) {
  constexpr size_t kNamesShown = 8;
  QString text = names.size() == 1
                     ? QStringLiteral("1 drink of this file has a name already in the catalogue:")
                     : QStringLiteral("%1 drinks of this file have a name already in the catalogue:").arg(names.size());
  for (size_t i = 0; i < names.size() && i < kNamesShown; ++i)
    text += QStringLiteral("\n    ") + FromCatalogueText(names[i]);
  if (names.size() > kNamesShown) text += QStringLiteral("\n    and %1 more").arg(names.size() - kNamesShown);
  return text + (names.size() == 1 ? QStringLiteral("\nAdd it as well? No leaves it out.")
                                   : QStringLiteral("\nAdd them as well? No leaves them out."));
}

// Keeps the drink cursor's filter across a walk that sets its own (the
// import's duplicate check and the export's marked drinks list every
// drink), so the cursor goes on matching what the list shows.
class TKeptFilter {
 public:
  explicit TKeptFilter(tinydb::TTinyTable& table) : table_(table), filter_(table.Filter()) {}
  ~TKeptFilter() {
    try {
      table_.SetFilter(filter_);
    } catch (...) {
      // The filter was the cursor's own a moment ago.
    }
  }
  TKeptFilter(const TKeptFilter&) = delete;
  TKeptFilter& operator=(const TKeptFilter&) = delete;

 private:
  tinydb::TTinyTable& table_;
  const std::string filter_;
};
// From this many drinks on, the import shows its progress.
constexpr size_t kProgressFrom = 300;
// The window answers the user again after this many drinks.
constexpr size_t kProgressStep = 25;

// A tab bar whose tabs are all the same width.
class TFixedTabBar : public QTabBar {
 public:
  explicit TFixedTabBar(QWidget* parent) : QTabBar(parent) {
    setElideMode(Qt::ElideNone);
  }

 protected:
  // Every tab is 80 pixels wide, or as wide as the widest caption needs.
  QSize tabSizeHint(int index) const override {
    int width = kTabWidth;
    for (int i = 0; i < count(); ++i) width = std::max(width, QTabBar::tabSizeHint(i).width());
    return QSize(width, QTabBar::tabSizeHint(index).height());
  }
};

// Hands every event of the application to the window first.
class TApplicationFilter : public QObject {
 public:
  TApplicationFilter(QObject* parent, std::function<bool(QObject*, QEvent*)> filter)
      : QObject(parent), filter_(std::move(filter)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override { return filter_(watched, event); }

 private:
  std::function<bool(QObject*, QEvent*)> filter_;
};

class TPageControl : public QTabWidget {
 public:
  explicit TPageControl(QWidget* parent) : QTabWidget(parent) { setTabBar(new TFixedTabBar(this)); }
};

QToolButton* AddToolButton(QToolBar* bar, const QString& text, const QString& icon,
                           const QString& tip) {
  auto* button = new QToolButton(bar);
  button->setText(text);
  button->setIcon(ToolIcon(icon));
  button->setToolTip(tip);
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  button->setAutoRaise(true);
  button->setMinimumWidth(56);
  bar->addWidget(button);
  return button;
}

}  // namespace

// The print dialog's view of the window: the print scope, the drink list
// and the drinks table.
class TMainForm::TPrintSubjectOfWindow : public TPrintSubject {
 public:
  explicit TPrintSubjectOfWindow(TMainForm* form) : form_(form) {}
  TPrintScope PrintScope() override { return form_->printScope_; }
  int ListCount() override { return form_->recipePage_->itemCount(); }
  std::string ListItem(int row) override { return form_->recipePage_->itemText(row); }
  int SelectedRow() override { return form_->recipePage_->selectedIndex(); }
  tinydb::TTinyTable& DrinkTable() override { return form_->catalogue_.DrinkTable(); }

 private:
  TMainForm* form_;
};

TMainForm::TMainForm(const QStringList& arguments, QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("Zestoria 2010"));
  setWindowIcon(ApplicationIcon());
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  createActions();
  createMenus();
  createPages();
  createStatusBar();
  setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
  applicationFilter_ = new TApplicationFilter(this, [this](QObject* watched, QEvent* event) {
    return windowEvent(watched, event);
  });
  qApp->installEventFilter(applicationFilter_);
  FormCreate(arguments);
}

TMainForm::~TMainForm() {
  qApp->removeEventFilter(applicationFilter_);
  zestoria::bar::TMyBar::Unfollow(catalogue_);
}

// ---------------------------------------------------------------------------
// Construction steps

void TMainForm::createActions() {
  // The Recipe page's commands reach it once it is built.
  auto action = [this](const QString& caption, const QString& icon, std::function<void()> handler) {
    auto* a = new QAction(caption, this);
    if (!icon.isEmpty()) a->setIcon(ToolIcon(icon));
    connect(a, &QAction::triggered, this, [handler = std::move(handler)] { Guarded(handler); });
    return a;
  };
  auto recipe = [this](void (TRecipePage::*handler)()) {
    return [this, handler] { (recipePage_->*handler)(); };
  };
  auto own = [this](void (TMainForm::*handler)()) { return [this, handler] { (this->*handler)(); }; };
  MenuImport = action(QStringLiteral("Import <- .ZDR"), QStringLiteral("import"), own(&TMainForm::MenuImportClick));
  MenuExport = action(QStringLiteral("Export..."), QString(), own(&TMainForm::MenuExportClick));
  MenuPrintDrink = action(QStringLiteral("Print Drink"), QStringLiteral("print"), own(&TMainForm::MenuPrintDrinkClick));
  MenuPrintMarked = action(QStringLiteral("Print Marked"), QString(), own(&TMainForm::MenuPrintMarkedClick));
  MenuPrintList = action(QStringLiteral("Print List"), QString(), own(&TMainForm::MenuPrintListClick));
  Exit1 = action(QStringLiteral("Exit"), QStringLiteral("exit"), own(&TMainForm::Exit1Click));
  MenuCopy = action(QStringLiteral("Copy"), QStringLiteral("copy"), recipe(&TRecipePage::MenuCopyClick));
  MenuPaste = action(QStringLiteral("Paste"), QStringLiteral("paste"), recipe(&TRecipePage::MenuPasteClick));
  Copydrink1 = action(QStringLiteral("Copy Drink"), QString(), recipe(&TRecipePage::Copydrink1Click));
  PasteDrink1 = action(QStringLiteral("Paste Drink"), QString(), recipe(&TRecipePage::PasteDrink1Click));
  MenuMarkList = action(QStringLiteral("Mark List"), QString(), recipe(&TRecipePage::MenuMarkListClick));
  UnmarkList1 = action(QStringLiteral("Unmark List"), QString(), recipe(&TRecipePage::UnmarkList1Click));
  MenuMark = action(QStringLiteral("Mark Drink"), QStringLiteral("mark"), recipe(&TRecipePage::MenuMarkClick));
  MenuUnmark = action(QStringLiteral("Unmark Drink"), QStringLiteral("unmark"), recipe(&TRecipePage::MenuUnmarkClick));
  MenuUnmarkAll = action(QStringLiteral("Unmark All"), QString(), recipe(&TRecipePage::MenuUnmarkAllClick));
  MenuMyBar = action(QStringLiteral("My Bar..."), QStringLiteral("bar"), own(&TMainForm::MyBarClick));
  MenuShoppingList = action(QStringLiteral("Shopping List..."), QString(), own(&TMainForm::ShoppingListClick));
  Contents1 = action(QStringLiteral("Contents"), QStringLiteral("help"), own(&TMainForm::Contents1Click));
  About1 = action(QStringLiteral("About..."), QString(), own(&TMainForm::About1Click));

  Copydrink2 = action(QStringLiteral("Copy Drink"), QStringLiteral("copy"), recipe(&TRecipePage::Copydrink1Click));
  DeleteDrink1 = action(QStringLiteral("Delete Drink"), QStringLiteral("delete"), recipe(&TRecipePage::DeleteDrink1Click));
  Mark2 = action(QStringLiteral("Mark Drink"), QStringLiteral("mark"), recipe(&TRecipePage::Mark2Click));
  // The list's "Print Drink" prints the drink as File > "Print Drink" does.
  PrintDrink1 = action(QStringLiteral("Print Drink"), QStringLiteral("print"), own(&TMainForm::MenuPrintDrinkClick));
  PasteDrink1->setEnabled(false);
}

void TMainForm::createMenus() {
  MenuFile = menuBar()->addMenu(QStringLiteral("File"));
  MenuFile->addAction(MenuImport);
  MenuFile->addAction(MenuExport);
  MenuFile->addSeparator();
  MenuFile->addAction(MenuPrintDrink);
  MenuFile->addAction(MenuPrintMarked);
  MenuFile->addAction(MenuPrintList);
  MenuFile->addSeparator();
  MenuFile->addAction(Exit1);

  MenuEdit = menuBar()->addMenu(QStringLiteral("Edit  "));
  MenuEdit->addAction(MenuCopy);
  MenuEdit->addAction(MenuPaste);
  MenuEdit->addSeparator();
  MenuEdit->addAction(Copydrink1);
  MenuEdit->addAction(PasteDrink1);

  MenuMarks = menuBar()->addMenu(QStringLiteral("Mark"));
  MenuMarks->addAction(MenuMarkList);
  MenuMarks->addAction(UnmarkList1);
  MenuMarks->addAction(MenuMark);
  MenuMarks->addAction(MenuUnmark);
  MenuMarks->addAction(MenuUnmarkAll);
  MenuUnmark->setVisible(false);

  MenuBar = menuBar()->addMenu(QStringLiteral("Bar"));
  MenuBar->addAction(MenuMyBar);
  MenuBar->addAction(MenuShoppingList);

  MenuHelp = menuBar()->addMenu(QStringLiteral("Help"));
  MenuHelp->addAction(Contents1);
  MenuHelp->addAction(About1);

  ListPopUp = new QMenu(this);
  ListPopUp->addAction(Copydrink2);
  ListPopUp->addAction(DeleteDrink1);
  ListPopUp->addAction(Mark2);
  ListPopUp->addAction(PrintDrink1);

  // The display menu; the Search page fills it with the finding commands.
  displayPopUp = new QMenu(this);
  PopPrintMenu = new QMenu(this);
  PopPrintMenu->addAction(QStringLiteral("Print Drink"), this, [this] { Guarded([this] { PopPrintDrinkClick(); }); });
  PopPrintMenu->addAction(QStringLiteral("Print Marked"), this, [this] { Guarded([this] { PopPrintMarkedClick(); }); });
  PopPrintMenu->addAction(QStringLiteral("Print List"), this, [this] { Guarded([this] { PopPrintListClick(); }); });
}

void TMainForm::createPages() {
  auto* central = new QWidget(this);
  setCentralWidget(central);
  TabForm = new TPageControl(central);
  TabForm->setGeometry(0, 0, kClientWidth, kClientHeight - QStatusBar().sizeHint().height());
  recipePage_ = new TRecipePage(*this);
  TabForm->addTab(recipePage_, QStringLiteral("Recipe"));
  createToolBars();
  searchPage_ = new TSearchPage(*this, displayPopUp);
  TabForm->addTab(searchPage_, QStringLiteral("Search"));
  informationPage_ = new TInformationPage(kClientWidth - 6);
  TabForm->addTab(informationPage_, QStringLiteral("Information"));
  connect(TabForm, &QTabWidget::currentChanged, this, [this](int index) {
    Guarded([this, index] {
      QWidget* page = TabForm->widget(index);
      if (page == recipePage_) recipePage_->TabRecipieEnter();
      else if (page == searchPage_) TabSearchEnter();
      else if (page == informationPage_) TabMiscEnter();
    });
  });
}

void TMainForm::createToolBars() {
  ToolBar1 = new QToolBar(recipePage_);
  ToolBar1->setGeometry(0, 0, kClientWidth - 6, kToolBarHeight);
  ToolBar1->setIconSize(QSize(24, 24));
  ToolBar1->layout()->setContentsMargins(0, 0, 0, 0);
  ButPrevoius = AddToolButton(ToolBar1, QStringLiteral("Previous"), QStringLiteral("prior"), QStringLiteral("Previous drink"));
  ButNext = AddToolButton(ToolBar1, QStringLiteral("Next"), QStringLiteral("next"), QStringLiteral("Next drink"));
  ToolBar1->addSeparator();
  ButAdd = AddToolButton(ToolBar1, QStringLiteral("Add"), QStringLiteral("add"), QStringLiteral("Add a drink (Insert)"));
  ButModify = AddToolButton(ToolBar1, QStringLiteral("Modify"), QStringLiteral("modify"), QStringLiteral("Modify this drink"));
  ButDelete = AddToolButton(ToolBar1, QStringLiteral("Delete"), QStringLiteral("delete"), QStringLiteral("Delete this drink (Delete)"));
  ToolBar1->addSeparator();
  ButDisplay = AddToolButton(ToolBar1, QStringLiteral("Display"), QStringLiteral("display"), QStringLiteral("Choose the drinks to list"));
  ButPrint = AddToolButton(ToolBar1, QStringLiteral("Print"), QStringLiteral("print"), QStringLiteral("Print drinks"));
  ToolBar1->addSeparator();
  ButMyBar = AddToolButton(ToolBar1, QStringLiteral("My Bar"), QStringLiteral("bar"), QStringLiteral("What is on your shelf, and what it makes"));

  ToolBar2 = new QToolBar(recipePage_);
  ToolBar2->setGeometry(ToolBar1->geometry());
  ToolBar2->setIconSize(QSize(24, 24));
  ToolBar2->layout()->setContentsMargins(0, 0, 0, 0);
  ToolBar2->setAutoFillBackground(true);
  ButtonCommit = AddToolButton(ToolBar2, QStringLiteral("Commit"), QStringLiteral("add"), QStringLiteral("Store the drink"));
  ButtonCancel = AddToolButton(ToolBar2, QStringLiteral("Cancel"), QStringLiteral("cancel"), QStringLiteral("Abandon the changes (Escape)"));
  ToolBar2->hide();

  TRecipePage* page = recipePage_;
  const std::pair<QToolButton*, std::function<void()>> handlers[] = {
      {ButPrevoius, [page] { page->ButPrevoiusClick(); }}, {ButNext, [page] { page->ButNextClick(); }},
      {ButAdd, [page] { page->ButAddClick(); }},           {ButModify, [page] { page->ButModifyClick(); }},
      {ButDelete, [page] { page->ButDeleteClick(); }},     {ButDisplay, [this] { ButDisplayClick(); }},
      {ButPrint, [this] { ButPrintClick(); }},             {ButMyBar, [this] { MyBarClick(); }},
      {ButtonCommit, [page] { page->ButtonCommitClick(); }},
      {ButtonCancel, [page] { page->ButtonCancelClick(); }}};
  for (const auto& [button, handler] : handlers) {
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QToolButton::clicked, this, [handler = handler] { Guarded(handler); });
  }
}

void TMainForm::createStatusBar() {
  StatusBar1 = statusBar();
  StatusBar1->setSizeGripEnabled(false);
  // Panel 0 is 80 pixels wide unless the font needs more for its longest
  // word; panel 1 gives up what panel 0 takes.
  const QFontMetrics metrics(StatusBar1->font());
  int widths[3] = {kStatusWidths[0], kStatusWidths[1], kStatusWidths[2]};
  for (const char* word : {"Searching...", "Unmarking...", "Modify Drink", "Information"})
    widths[0] = std::max(widths[0], metrics.horizontalAdvance(QString::fromLatin1(word)) + 14);
  widths[1] -= widths[0] - kStatusWidths[0];
  for (int i = 0; i < 3; ++i) {
    auto* panel = new QLabel(StatusBar1);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setIndent(3);
    if (i < 2) {
      panel->setFixedWidth(widths[i] - 4);
      StatusBar1->addWidget(panel);
    } else {
      // The last panel reaches the right edge, as status lines do.
      panel->setMinimumWidth(kStatusWidths[i]);
      panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      StatusBar1->addWidget(panel, 1);
    }
    statusPanels_[i] = panel;
  }
}

// ---------------------------------------------------------------------------
// Start-up and persistence

void TMainForm::FormCreate(const QStringList& arguments) {
  // Single-instance guard: a second copy's arguments come to ToFront.
  SetInstanceCallback(this, [this](const QStringList& forwarded) { ToFront(forwarded); });
  const QFileInfo program(arguments.value(0));
  programDir_ = program.absolutePath();
  if (!programDir_.endsWith(QLatin1Char('/'))) programDir_ += QLatin1Char('/');
  SetApplicationHelpFile(programDir_ + QStringLiteral("zestoria.chm"));

  catalogue_.Open(QFile::encodeName(programDir_ + QString::fromLatin1(zestoria::kCatalogueFileName)).toStdString());

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.width() / 2 - frameGeometry().width() / 2, area.height() / 2 - frameGeometry().height() / 2);
  }

  startingUp_ = true;
  try {
    recipePage_->fillList(std::string());
  } catch (...) {
    startingUp_ = false;
    throw;
  }
  startingUp_ = false;
  loadBar();

  // The file is written only when the start-up changed the image (marks
  // cleared); an import saves by itself, and a failed save is reported once.
  bool imported = false;
  if (!arguments.value(1).isEmpty())
    Guarded([this, &arguments, &imported] { imported = importDrinks(arguments.value(1), false); });
  if (!imported && catalogue_.HasUnsavedChanges()) saveDatabase();
}

void TMainForm::FormShow() { recipePage_->focusList(); }

void TMainForm::FormActivate() {
  // An edit in progress survives returning to the window; a search or the
  // Information page keep their status line.
  if (mode_ == wmBrowse) recipePage_->showSelection();
}

bool TMainForm::saveDatabase() {
  try {
    catalogue_.SaveDatabase();
    return true;
  } catch (const std::exception& error) {
    Platform().Error(QString::fromStdString(error.what()));
    return false;
  }
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shownOnce_) {
    shownOnce_ = true;
    FormShow();
  }
}

void TMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Guarded([this] { FormActivate(); });
}

// ---------------------------------------------------------------------------
// Modes and status line

void TMainForm::setStatusBar(const QString& mode, const QString& flags, const QString& position) {
  statusPanels_[0]->setText(mode);
  statusPanels_[1]->setText(flags);
  statusPanels_[2]->setText(position);
}

void TMainForm::setStatusPanel(int panel, const QString& text) {
  if (panel >= 0 && panel < 3) statusPanels_[panel]->setText(text);
}

void TMainForm::repaintStatusBar() { StatusBar1->repaint(); }

QString TMainForm::statusText(int panel) const {
  return panel >= 0 && panel < 3 ? statusPanels_[panel]->text() : QString();
}

void TMainForm::setMode(TWindowMode mode) {
  if (mode != wmBrowse) {
    for (QAction* item : MenuMarks->actions()) item->setEnabled(false);
    for (QAction* item : MenuFile->actions()) item->setEnabled(item == Exit1);
  }
  switch (mode) {
    case wmSearch:
    case wmInformation:
      mode_ = mode;
      setStatusBar(modeWord(), QString(), QString());
      for (QAction* item : MenuEdit->actions()) item->setEnabled(false);
      break;
    case wmAdd:
      mode_ = mode;
      ButtonCommit->setIcon(ToolIcon(QStringLiteral("add")));
      recipePage_->enterAddMode();
      statusPanels_[2]->clear();
      statusPanels_[0]->setText(QStringLiteral("Add Drink"));
      break;
    case wmModify:
      mode_ = mode;
      ButtonCommit->setIcon(ToolIcon(QStringLiteral("modify")));
      recipePage_->enterModifyMode();
      statusPanels_[0]->setText(QStringLiteral("Modify Drink"));
      break;
    case wmBrowse:
      break;
  }
  if (mode == wmAdd || mode == wmModify) {
    ToolBar2->show();
    ToolBar2->raise();
    recipePage_->setEditable(true);
    recipePage_->focusTitle();
  } else if (mode == wmBrowse) {
    mode_ = wmBrowse;
    recipePage_->setEditable(false);
    ToolBar2->hide();
    for (QMenu* menu : {MenuMarks, MenuFile, MenuEdit}) {
      for (QAction* item : menu->actions()) item->setEnabled(true);
    }
    PasteDrink1->setEnabled(recipePage_->drinkClipboard().id == -1);
    if (!startingUp_) recipePage_->focusList();
  }
}

void TMainForm::showMarkMenu(bool marked) {
  MenuMark->setVisible(!marked);
  MenuUnmark->setVisible(marked);
}

void TMainForm::enablePasteDrink() { PasteDrink1->setEnabled(true); }

void TMainForm::popUpListMenu(const QPoint& global) { ListPopUp->popup(global); }

void TMainForm::showRecipePage() { TabForm->setCurrentWidget(recipePage_); }

void TMainForm::listDrinks(const std::string& filter, bool append) { recipePage_->fillList(filter, append); }

void TMainForm::listDrinkIds(const std::vector<int32_t>& ids, bool append,
                             std::unordered_map<int32_t, QString> notes) {
  // The listing by ids leaves the cursor without a filter.
  recipePage_->listDrinks(ids, append, std::move(notes));
}

// ---------------------------------------------------------------------------
// My Bar

void TMainForm::loadBar() {
  const QString file = programDir_ + QString::fromLatin1(zestoria::bar::kVocabularyFileName);
  try {
    bar_ = zestoria::bar::TMyBar::LoadFile(QFile::encodeName(file).toStdString());
  } catch (const std::exception& error) {
    // The window works on without My Bar; its commands tell why.
    barError_ = QStringLiteral("My Bar is not available: ") + QString::fromStdString(error.what());
    return;
  }
  // A file without a shelf starts with the staples at hand.
  try {
    if (zestoria::bar::HasShelfTable(catalogue_)) bar_->SetStoredShelfNames(zestoria::bar::LoadShelfNames(catalogue_));
  } catch (const std::exception& error) {
    Platform().Error(QStringLiteral("The shelf can not be read.\n\r") + QString::fromStdString(error.what()));
  }
}

zestoria::bar::TMyBar& TMainForm::bar() {
  if (!bar_) throw std::runtime_error(barError_.toStdString());
  if (!barIndexed_) {
    // Reading every drink's ingredients is the bar's one large cost; a
    // session that never asks the bar does not pay it.
    THourglass hourglass;
    bar_->Follow(catalogue_);
    barIndexed_ = true;
  }
  return *bar_;
}

void TMainForm::storeShelf() {
  try {
    zestoria::bar::SaveShelfNames(catalogue_, bar().StoredShelfNames());
  } catch (const std::exception& error) {
    Platform().Error(QString::fromStdString(error.what()));
  }
}

TMyBarForm& TMainForm::myBarForm() {
  if (!myBarForm_) myBarForm_ = new TMyBarForm(bar(), [this] { storeShelf(); }, this);
  else myBarForm_->refresh();
  return *myBarForm_;
}

void TMainForm::MyBarClick() { myBarForm().exec(); }

void TMainForm::ShoppingListClick() {
  zestoria::bar::TMyBar& shelf = bar();
  const std::vector<int32_t> marked = markedDrinkIds();
  if (marked.empty()) {
    Platform().Warning(QStringLiteral("There are no marked drinks"));
    return;
  }
  QString text;
  {
    const TKeptFilter kept(catalogue_.DrinkTable());
    text = ShoppingListText(shelf, catalogue_, marked);
  }
  TShoppingListForm list(text, this);
  list.exec();
}

// ---------------------------------------------------------------------------
// Pages

void TMainForm::TabSearchEnter() { setMode(wmSearch); }

void TMainForm::TabMiscEnter() { setMode(wmInformation); }

// ---------------------------------------------------------------------------
// Keys and wheel

bool TMainForm::FormKeyDown(int key) {
  switch (key) {
    case Qt::Key_Escape:
      if (mode_ == wmAdd || mode_ == wmModify) {
        recipePage_->escapeEdit();
        return true;
      }
      if (mode_ == wmSearch || mode_ == wmInformation) {
        showRecipePage();
        return true;
      }
      return false;
    case Qt::Key_Insert:
      if (mode_ != wmBrowse) return false;
      recipePage_->startAdd();
      return true;
    case Qt::Key_Delete:
      if (mode_ != wmBrowse) return false;
      recipePage_->deleteSelectedDrink(true);
      return true;
    case Qt::Key_F1:
      showPageHelp();
      return true;
    default:
      return false;
  }
}

bool TMainForm::FormMouseWheel(bool down) {
  if (TabForm->currentWidget() != recipePage_) return false;
  return recipePage_->wheelStep(down);
}

bool TMainForm::windowEvent(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::Wheel) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget && widget->window() == this) {
    if (type == QEvent::KeyPress) {
      // The window sees each key once, before the focused control does; the
      // key then goes on, except F1, which only opens help.
      QWidget* focus = QApplication::focusWidget();
      if (watched == focus || (focus == nullptr && watched == this) || (focus && focus->window() != this && watched == this)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        bool acted = false;
        Guarded([&] { acted = FormKeyDown(key); });
        if (acted && key == Qt::Key_F1) return true;
      }
    } else {
      auto* wheel = static_cast<QWheelEvent*>(event);
      // A wheel event climbs from the widget under the mouse to its parents;
      // it counts once.
      if (wheel == lastWheel_ && wheel->timestamp() == lastWheelTime_) return lastWheelHandled_;
      lastWheel_ = wheel;
      lastWheelTime_ = wheel->timestamp();
      lastWheelHandled_ = false;
      wheelDelta_ += wheel->angleDelta().y();
      while (wheelDelta_ <= -120 || wheelDelta_ >= 120) {
        const bool down = wheelDelta_ < 0;
        wheelDelta_ += down ? 120 : -120;
        bool moved = false;
        Guarded([&] { moved = FormMouseWheel(down); });
        lastWheelHandled_ = lastWheelHandled_ || moved;
      }
      return lastWheelHandled_;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------
// Help and the program's end

void TMainForm::showPageHelp() { ApplicationHelpContext(HelpContextOfPage(TabForm->currentIndex())); }

void TMainForm::Contents1Click() { ApplicationHelpCommand(HELP_CONTENTS, 0); }

void TMainForm::About1Click() {
  // Each "About..." is a splash window of its own, freed when it closes.
  auto* splash = new TSplash();
  splash->setAttribute(Qt::WA_DeleteOnClose);
  splash->showSplash(2);
}

void TMainForm::Exit1Click() {
  close();
  QCoreApplication::quit();
}

// The display and print menus open below their buttons.
void TMainForm::ButDisplayClick() {
  if (displayPopUp->isEmpty()) return;
  displayPopUp->popup(ButDisplay->mapToGlobal(QPoint(1, ButDisplay->height())));
}

void TMainForm::ButPrintClick() { PopPrintMenu->popup(ButPrint->mapToGlobal(QPoint(1, ButPrint->height()))); }

// ---------------------------------------------------------------------------
// Importing recipe files: File > "Import <- .ZDR", the file named on the
// command line, and a file handed over by a second copy of the program.
// Every format goes through ImportRecipeFile: the file is read and checked
// whole before anything is added, so a damaged file adds nothing.

void TMainForm::MenuImportClick() {
  const QString file_name = Platform().OpenFileName(QString::fromLatin1(kImportFilter));
  if (file_name.isEmpty()) return;
  importDrinks(file_name, true);
}

bool TMainForm::importDrinks(const QString& file_name, bool ask) {
  zestoria::TImportOptions options;
  options.save = false;  // saveDatabase below reports a failed save and keeps the drinks
  if (ask) {
    options.confirmZdr = [](const std::string& question) {
      return Platform().Confirm(FromCatalogueText(question));
    };
    options.duplicates = zestoria::TDuplicates::dAsk;
    options.askDuplicates = [](const std::vector<std::string>& names) {
      return Platform().Confirm(DuplicatesQuestion(names));
    };
  }
  std::unique_ptr<QProgressDialog> progress;
  options.progress = [this, &progress](size_t added, size_t total) {
    if (total < kProgressFrom || (added % kProgressStep != 0 && added != total)) return;
    if (!progress) {
      progress = std::make_unique<QProgressDialog>(QStringLiteral("Importing drinks..."), QString(), 0,
                                                   static_cast<int>(total), this);
      progress->setWindowModality(Qt::WindowModal);
      progress->setMinimumDuration(0);
      progress->setCancelButton(nullptr);
    }
    progress->setValue(static_cast<int>(added));
    QApplication::processEvents();
  };

  // Every drink goes into the image first; should one fail, those added
  // so far are taken out again and the list is left untouched.
  zestoria::TImportReport report;
  try {
    const TKeptFilter kept(catalogue_.DrinkTable());
    report = zestoria::ImportRecipeFile(catalogue_, QFile::encodeName(file_name).toStdString(), options);
  } catch (const zestoria::ERecipeFileError& error) {
    // A damaged file or one without a recipe: the message names the file
    // and what is wrong where; nothing has been added.
    Platform().Error(QString::fromStdString(error.what()));
    return false;
  } catch (const zestoria::EExchangeError& error) {
    // A .zdr file of another version, or a damaged one: the message names
    // the header or the record at fault.
    Platform().Error(FromCatalogueText(error.what()));
    return false;
  }
  progress.reset();
  if (report.cancelled) return false;

  // The new drinks join the list in sorted place, check boxes clear.
  const int lastRow = recipePage_->listNewDrinks(report.names, report.ids);
  saveDatabase();

  const QString question = FromCatalogueText(zestoria::ImportReportQuestion(report));
  if (report.ids.empty()) {
    // Nothing new to display: the report alone.
    Platform().Information(question.left(question.lastIndexOf(QStringLiteral("\n\r"))));
  } else if (Platform().Confirm(question)) {
    recipePage_->fillList(zestoria::ImportedDrinksFilter(report.ids));
  } else if (recipePage_->itemCount() > 0) {
    recipePage_->showItem(lastRow);
  }
  statusPanels_[2]->setText(recipePage_->positionText());
  return true;
}

// ---------------------------------------------------------------------------
// Exporting: File > "Export..." writes the listed drinks, or the marked ones,
// in the format the save dialog's filter and the file's extension choose.

std::vector<int32_t> TMainForm::listedDrinkIds() const {
  std::vector<int32_t> ids;
  ids.reserve(static_cast<size_t>(recipePage_->itemCount()));
  for (int row = 0; row < recipePage_->itemCount(); ++row)
    ids.push_back(zestoria::itemId(recipePage_->itemText(row)));
  return ids;
}

std::vector<int32_t> TMainForm::markedDrinkIds() {
  const TKeptFilter kept(catalogue_.DrinkTable());
  std::vector<int32_t> ids;
  for (const zestoria::TListedDrink& drink : catalogue_.ListDrinks(std::string()))
    if (drink.marked == 1) ids.push_back(drink.id);
  return ids;
}

void TMainForm::MenuExportClick() {
  const std::vector<int32_t> listed = listedDrinkIds();
  const std::vector<int32_t> marked = markedDrinkIds();
  const std::vector<int32_t>* chosen = &listed;
  if (!marked.empty()) {
    const QString question =
        QStringLiteral("Export the %1 listed or the %2 marked?").arg(Drinks(listed.size()), Drinks(marked.size()));
    const int answer = Platform().Choose(question, {QStringLiteral("Listed Drinks"), QStringLiteral("Marked Drinks")});
    if (answer < 0) return;
    if (answer == 1) chosen = &marked;
  }
  if (chosen->empty()) {
    Platform().Warning(QStringLiteral("There are no drinks to export"));
    return;
  }
  int filter = 0;
  QString file_name = Platform().SaveFileName(ExportFilter(), &filter);
  if (file_name.isEmpty()) return;
  const zestoria::TRecipeFormat format = ExportTarget(&file_name, filter);

  try {
    THourglass hourglass;
    std::vector<TDrink> drinks;
    drinks.reserve(chosen->size());
    for (int32_t id : *chosen) drinks.push_back(catalogue_.LoadDrink(id));
    // A .zdr file's collection is named after the file.
    std::string collection;
    if (!ToCatalogueText(QFileInfo(file_name).completeBaseName(), &collection, nullptr))
      collection = "Zestoria Drinks";
    zestoria::WriteRecipeFile(QFile::encodeName(file_name).toStdString(), format, drinks, collection);
  } catch (const std::exception& error) {
    // The message names the file and the reason; a file already there is
    // left as it was.
    Platform().Error(QStringLiteral("Can not export drinks.\n\r") + QString::fromStdString(error.what()));
    return;
  }
  Platform().Information(QStringLiteral("Exported %1 to %2.").arg(Drinks(chosen->size()), file_name));
}

void TMainForm::ToFront(const QStringList& arguments) {
  const QString file_name = arguments.value(1);
  if (!file_name.isEmpty()) {
    // The import saves the image once it has added the drinks.
    Guarded([this, &file_name] { importDrinks(file_name, false); });
  }
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

// ---------------------------------------------------------------------------
// Printing

void TMainForm::createPrintDialog() {
  if (ThePrintDialog) return;
  ThePrintDialog = new TThePrintDialog(std::make_unique<TPrintSubjectOfWindow>(this), this);
}

void TMainForm::printCommand(TPrintScope scope) {
  if (Platform().PrinterNames().isEmpty()) {
    Platform().Warning(QStringLiteral("No Printers are Installed"));
    return;
  }
  // With an empty list there is no drink to print: no selected item for
  // Print Drink, no item for Print List.
  if ((scope == TPrintScope::Drink && recipePage_->selectedIndex() < 0) ||
      (scope == TPrintScope::List && recipePage_->itemCount() == 0))
    return;
  printScope_ = scope;
  createPrintDialog();
  ThePrintDialog->ShowModal();
}

void TMainForm::MenuPrintDrinkClick() { printCommand(TPrintScope::Drink); }
void TMainForm::MenuPrintMarkedClick() { printCommand(TPrintScope::Marked); }
void TMainForm::MenuPrintListClick() { printCommand(TPrintScope::List); }
void TMainForm::PopPrintDrinkClick() { printCommand(TPrintScope::Drink); }
void TMainForm::PopPrintMarkedClick() { printCommand(TPrintScope::Marked); }
void TMainForm::PopPrintListClick() { printCommand(TPrintScope::List); }
