// The main window: building it in named steps, the start-up, saving the
// database image, the window modes, the status line, the window-wide keys
// and wheel, the Help and Exit commands, importing exchange files and the
// print commands.
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
#include <functional>
#include <memory>

#include "catalogue/CatalogueText.h"
#include "catalogue/RecipePage.h"
#include "exchange/DrinkImport.h"
#include "exchange/ExchangeReader.h"
#include "finding/SearchPage.h"
#include "shell/HelpViewer.h"
#include "shell/InformationPage.h"
#include "shell/InstanceGuard.h"
#include "shell/Pictures.h"
#include "shell/Platform.h"
#include "shell/ProgramFont.h"
#include "shell/Splash.h"
#include "shell/UseHTMLHelp.h"

namespace {

// Client area of the window (below the menu bar, status line included).
constexpr int kClientWidth = 632;
constexpr int kClientHeight = 431;
constexpr int kTabWidth = 80;
constexpr int kToolBarHeight = 48;
constexpr int kStatusWidths[3] = {80, 460, 50};

const char kImportFilter[] = "Zestoria  Drinks *.zdr|*.zdr|All Files *|*";
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

TMainForm::~TMainForm() { qApp->removeEventFilter(applicationFilter_); }

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
      {ButPrint, [this] { ButPrintClick(); }},             {ButtonCommit, [page] { page->ButtonCommitClick(); }},
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

  if (!arguments.value(1).isEmpty()) Guarded([this, &arguments] { importDrinks(arguments.value(1), false); });
  saveDatabase();
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
// Importing exchange files: File > "Import <- .ZDR", the file named on the
// command line, and a file handed over by a second copy of the program. The
// file is read and checked whole before anything is added, so a damaged
// file adds nothing.

void TMainForm::MenuImportClick() {
  const QString file_name = Platform().OpenFileName(QString::fromLatin1(kImportFilter));
  if (file_name.isEmpty()) return;
  importDrinks(file_name, true);
}

void TMainForm::importDrinks(const QString& file_name, bool ask) {
  zestoria::TExchangeFile file;
  try {
    file = zestoria::ReadExchangeFile(QFile::encodeName(file_name).toStdString());
  } catch (const zestoria::EExchangeError& error) {
    // A file of another version, or a damaged one: the message names the
    // header or the record at fault; nothing has been added.
    Platform().Error(FromCatalogueText(error.what()));
    return;
  }

  if (ask && !Platform().Confirm(FromCatalogueText(zestoria::ImportQuestion(file.collectionName)))) {
    return;
  }

  // Every drink goes into the image first; should one fail, those added
  // so far are taken out again and the list is left untouched.
  std::vector<int32_t> ids;
  {
    std::unique_ptr<QProgressDialog> progress;
    if (file.drinks.size() >= kProgressFrom) {
      progress = std::make_unique<QProgressDialog>(QStringLiteral("Importing drinks..."), QString(), 0,
                                                   static_cast<int>(file.drinks.size()), this);
      progress->setWindowModality(Qt::WindowModal);
      progress->setMinimumDuration(0);
      progress->setCancelButton(nullptr);
      progress->setValue(0);
    }
    ids = zestoria::InsertDrinks(catalogue_, file.drinks, [&progress](size_t added, size_t) {
      if (progress && added % kProgressStep == 0) {
        progress->setValue(static_cast<int>(added));
        QApplication::processEvents();
      }
    });
    if (progress) progress->setValue(static_cast<int>(ids.size()));
  }

  // The new drinks join the list in sorted place, check boxes clear.
  const int lastRow = recipePage_->listNewDrinks(file.drinks, ids);
  saveDatabase();

  if (Platform().Confirm(FromCatalogueText(zestoria::ImportedQuestion(ids.size())))) {
    recipePage_->fillList(zestoria::ImportedDrinksFilter(ids));
  } else if (recipePage_->itemCount() > 0) {
    recipePage_->showItem(lastRow);
  }
  statusPanels_[2]->setText(recipePage_->positionText());
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
