// The main window's frame: building it in named steps, the start-up,
// saving the database image, the window modes, the status line, the
// window-wide keys and wheel, and the Help and Exit commands.
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>

#include "catalogue/MainForm.h"
#include "catalogue/Vocabularies.h"
#include "shell/HelpViewer.h"
#include "shell/InstanceGuard.h"
#include "shell/Pictures.h"
#include "shell/Platform.h"
#include "shell/ProgramFont.h"
#include "shell/Splash.h"
#include "shell/UseHTMLHelp.h"
#include "tables/Database.h"

namespace {

// Client area of the window (below the menu bar, status line included).
constexpr int kClientWidth = 632;
constexpr int kClientHeight = 431;
constexpr int kTabWidth = 80;
constexpr int kToolBarHeight = 48;
constexpr int kStatusWidths[3] = {80, 460, 50};

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
  auto action = [this](const QString& caption, const QString& icon,
                       void (TMainForm::*handler)()) {
    auto* a = new QAction(caption, this);
    if (!icon.isEmpty()) a->setIcon(ToolIcon(icon));
    connect(a, &QAction::triggered, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    return a;
  };
  MenuImport = action(QStringLiteral("Import <- .ZDR"), QStringLiteral("import"), &TMainForm::MenuImportClick);
  MenuPrintDrink = action(QStringLiteral("Print Drink"), QStringLiteral("print"), &TMainForm::MenuPrintDrinkClick);
  MenuPrintMarked = action(QStringLiteral("Print Marked"), QString(), &TMainForm::MenuPrintMarkedClick);
  MenuPrintList = action(QStringLiteral("Print List"), QString(), &TMainForm::MenuPrintListClick);
  Exit1 = action(QStringLiteral("Exit"), QStringLiteral("exit"), &TMainForm::Exit1Click);
  MenuCopy = action(QStringLiteral("Copy"), QStringLiteral("copy"), &TMainForm::MenuCopyClick);
  MenuPaste = action(QStringLiteral("Paste"), QStringLiteral("paste"), &TMainForm::MenuPasteClick);
  Copydrink1 = action(QStringLiteral("Copy Drink"), QString(), &TMainForm::Copydrink1Click);
  PasteDrink1 = action(QStringLiteral("Paste Drink"), QString(), &TMainForm::PasteDrink1Click);
  MenuMarkList = action(QStringLiteral("Mark List"), QString(), &TMainForm::MenuMarkListClick);
  UnmarkList1 = action(QStringLiteral("Unmark List"), QString(), &TMainForm::UnmarkList1Click);
  MenuMark = action(QStringLiteral("Mark Drink"), QStringLiteral("mark"), &TMainForm::MenuMarkClick);
  MenuUnmark = action(QStringLiteral("Unmark Drink"), QStringLiteral("unmark"), &TMainForm::MenuUnmarkClick);
  MenuUnmarkAll = action(QStringLiteral("Unmark All"), QString(), &TMainForm::MenuUnmarkAllClick);
  Contents1 = action(QStringLiteral("Contents"), QStringLiteral("help"), &TMainForm::Contents1Click);
  About1 = action(QStringLiteral("About..."), QString(), &TMainForm::About1Click);

  Copydrink2 = action(QStringLiteral("Copy Drink"), QStringLiteral("copy"), &TMainForm::Copydrink1Click);
  DeleteDrink1 = action(QStringLiteral("Delete Drink"), QStringLiteral("delete"), &TMainForm::DeleteDrink1Click);
  Mark2 = action(QStringLiteral("Mark Drink"), QStringLiteral("mark"), &TMainForm::Mark2Click);
  // The list's "Print Drink" prints the drink as File > "Print Drink" does.
  PrintDrink1 = action(QStringLiteral("Print Drink"), QStringLiteral("print"), &TMainForm::MenuPrintDrinkClick);
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

  // The display and print menus; their commands come with the finding and
  // printing subsystems (finding/MainFormFind.cpp, printing/MainFormPrint.cpp).
  displayPopUp = new QMenu(this);
  createDisplayMenu();  // finding drinks: the display menu's items
  PopPrintMenu = new QMenu(this);
  PopPrintMenu->addAction(QStringLiteral("Print Drink"), this, [this] { guarded([this] { PopPrintDrinkClick(); }); });
  PopPrintMenu->addAction(QStringLiteral("Print Marked"), this, [this] { guarded([this] { PopPrintMarkedClick(); }); });
  PopPrintMenu->addAction(QStringLiteral("Print List"), this, [this] { guarded([this] { PopPrintListClick(); }); });
}

void TMainForm::createPages() {
  auto* central = new QWidget(this);
  setCentralWidget(central);
  TabForm = new TPageControl(central);
  TabForm->setGeometry(0, 0, kClientWidth, kClientHeight - QStatusBar().sizeHint().height());
  TabRecipie = new QWidget;
  TabSearch = new QWidget;
  TabMisc = new QWidget;
  TabForm->addTab(TabRecipie, QStringLiteral("Recipe"));
  TabForm->addTab(TabSearch, QStringLiteral("Search"));
  TabForm->addTab(TabMisc, QStringLiteral("Information"));
  createRecipePage();
  createToolBars();
  createSearchPage();
  createInformationPage();
  connect(TabForm, &QTabWidget::currentChanged, this, [this](int index) {
    guarded([this, index] {
      QWidget* page = TabForm->widget(index);
      if (page == TabRecipie) TabRecipieEnter();
      else if (page == TabSearch) TabSearchEnter();
      else if (page == TabMisc) TabMiscEnter();
    });
  });
}

void TMainForm::createToolBars() {
  ToolBar1 = new QToolBar(TabRecipie);
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

  ToolBar2 = new QToolBar(TabRecipie);
  ToolBar2->setGeometry(ToolBar1->geometry());
  ToolBar2->setIconSize(QSize(24, 24));
  ToolBar2->layout()->setContentsMargins(0, 0, 0, 0);
  ToolBar2->setAutoFillBackground(true);
  ButtonCommit = AddToolButton(ToolBar2, QStringLiteral("Commit"), QStringLiteral("add"), QStringLiteral("Store the drink"));
  ButtonCancel = AddToolButton(ToolBar2, QStringLiteral("Cancel"), QStringLiteral("cancel"), QStringLiteral("Abandon the changes (Escape)"));
  ToolBar2->hide();

  const std::pair<QToolButton*, void (TMainForm::*)()> handlers[] = {
      {ButPrevoius, &TMainForm::ButPrevoiusClick}, {ButNext, &TMainForm::ButNextClick},
      {ButAdd, &TMainForm::ButAddClick},           {ButModify, &TMainForm::ButModifyClick},
      {ButDelete, &TMainForm::ButDeleteClick},     {ButDisplay, &TMainForm::ButDisplayClick},
      {ButPrint, &TMainForm::ButPrintClick},       {ButtonCommit, &TMainForm::ButtonCommitClick},
      {ButtonCancel, &TMainForm::ButtonCancelClick}};
  for (const auto& [button, handler] : handlers) {
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QToolButton::clicked, this,
            [this, handler = handler] { guarded([this, handler] { (this->*handler)(); }); });
  }
}

void TMainForm::createRecipePage() {
  QWidget* page = TabRecipie;
  const int left = 8;
  const int width = 329;

  auto staticText = [page](int x, int y, int w, int h) {
    auto* edit = new QLineEdit(page);
    edit->setGeometry(x, y, w, h);
    return edit;
  };
  auto caption = [page](const QString& text, int x, int y, int w = 80) {
    auto* label = new QLabel(text, page);
    label->setGeometry(x, y, w, 21);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
  };

  StaticTitle = staticText(left, 57, width, 32);
  QFont title = StaticTitle->font();
  title.setBold(true);
  title.setPixelSize(19);
  StaticTitle->setFont(title);
  StaticTitle->setAlignment(Qt::AlignCenter);
  StaticTitle->setMaxLength(static_cast<int>(zestoria::kDrinkNameLength));

  StaticAd = new QTextEdit(page);
  StaticAd->setGeometry(left, 90, width, 34);
  StaticAd->setAcceptRichText(false);
  StaticAd->setTabChangesFocus(true);
  StaticAd->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  StaticAd->document()->setDocumentMargin(1);
  QFont italic = StaticAd->font();
  italic.setItalic(true);
  StaticAd->setFont(italic);
  StaticAd->installEventFilter(this);
  // The comment is one paragraph of at most 200 characters.
  connect(StaticAd, &QTextEdit::textChanged, this, [this] {
    const QString value = StaticAd->toPlainText();
    if (value.size() > 200) {
      const QSignalBlocker block(StaticAd);
      StaticAd->textCursor().deletePreviousChar();
      if (StaticAd->toPlainText().size() > 200) showComment(value.left(200));
    }
  });

  ImageGlass = new QLabel(page);
  ImageGlass->setGeometry(left + 4, 130, 64, 68);
  ImageGlass->setAlignment(Qt::AlignCenter);

  const int labelX = 84;
  const int valueX = 176;
  const int valueWidth = left + width - valueX;
  const int rows[4] = {128, 150, 172, 194};
  caption(QStringLiteral("Type"), labelX, rows[0]);
  caption(QStringLiteral("Glassware"), labelX, rows[1]);
  caption(QStringLiteral("Season"), labelX, rows[2]);
  caption(QStringLiteral("Temperature"), labelX, rows[3], 90);
  StaticType = staticText(valueX, rows[0], valueWidth, 21);
  StaticGlass = staticText(valueX, rows[1], valueWidth, 21);
  StaticSeason = staticText(valueX, rows[2], valueWidth, 21);
  StaticTemp = staticText(valueX, rows[3], valueWidth, 21);

  auto chooser = [page](const std::vector<std::string>& items, int visible, int x, int y, int w) {
    auto* box = new QComboBox(page);
    for (const std::string& item : items) box->addItem(QString::fromStdString(item));
    box->setMaxVisibleItems(visible);
    box->setGeometry(x, y, w, 21);
    box->setCurrentIndex(-1);
    box->hide();
    return box;
  };
  EditType = chooser(zestoria::TypeChooserItems(), 17, valueX, rows[0], valueWidth);
  EditGlass = chooser(zestoria::GlassChooserItems(), 14, valueX, rows[1], valueWidth);
  EditSeason = chooser(zestoria::SeasonChooserItems(), 6, valueX, rows[2], valueWidth);
  EditTemp = chooser(zestoria::TempChooserItems(), 3, valueX, rows[3], valueWidth);
  connect(EditGlass, &QComboBox::currentIndexChanged, this, [this] { guarded([this] { EditGlassChange(); }); });

  caption(QStringLiteral("Ingredients"), left, 222);
  StaticIngred = new QPlainTextEdit(page);
  StaticIngred->setGeometry(labelX, 220, left + width - labelX, WholeLinesHeight(StaticIngred, 78));
  caption(QStringLiteral("Directions"), left, 304);
  StaticDir = new QPlainTextEdit(page);
  StaticDir->setGeometry(labelX, 302, left + width - labelX, WholeLinesHeight(StaticDir, 79));
  for (QPlainTextEdit* text : {StaticIngred, StaticDir}) {
    text->setTabChangesFocus(true);
    // The editor holds at most 1000 characters.
    connect(text, &QPlainTextEdit::textChanged, this, [text] {
      const QString value = text->toPlainText();
      if (value.size() > 1000) {
        const QSignalBlocker block(text);
        text->setPlainText(value.left(1000));
        text->moveCursor(QTextCursor::End);
      }
    });
  }

  ListBox = new QListWidget(page);
  ListBox->setGeometry(345, 56, 272, 325);
  ListBox->setUniformItemSizes(true);
  ListBox->setSelectionMode(QAbstractItemView::SingleSelection);
  ListBox->setContextMenuPolicy(Qt::CustomContextMenu);
  ListBox->installEventFilter(this);
  ListBox->viewport()->installEventFilter(this);
  connect(ListBox, &QListWidget::itemSelectionChanged, this, [this] {
    if (quietList_ == 0) guarded([this] { ListBoxClick(); });
  });
  connect(ListBox, &QListWidget::itemDoubleClicked, this, [this] { guarded([this] { ListBoxDblClick(); }); });
  connect(ListBox, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ListPopUp->popup(ListBox->viewport()->mapToGlobal(at)); });

  setEditable(false);
}

// createSearchPage: the Search page is built by the search builder
// (finding/MainFormSearch.cpp).

void TMainForm::createInformationPage() {
  // Six framed pictures in two rows of three.
  const int columns = 3;
  const int frameWidth = kInformationPictureWidth + 12;
  const int frameHeight = kInformationPictureHeight + 12;
  const int gapX = (kClientWidth - 6 - columns * frameWidth) / (columns + 1);
  const int gapY = 20;
  for (int n = 0; n < kInformationPictureCount; ++n) {
    auto* frame = new QLabel(TabMisc);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(2);
    frame->setAlignment(Qt::AlignCenter);
    frame->setPixmap(InformationPicture(n));
    frame->setGeometry(gapX + (n % columns) * (frameWidth + gapX), gapY + (n / columns) * (frameHeight + gapY),
                       frameWidth, frameHeight);
  }
  auto* note = new QLabel(QStringLiteral("Zestoria 2010  -  a catalogue of drink recipes"), TabMisc);
  QFont font = note->font();
  font.setBold(true);
  note->setFont(font);
  note->setAlignment(Qt::AlignCenter);
  note->setGeometry(0, 2 * (frameHeight + gapY) + gapY, kClientWidth - 6, 24);
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
  programFile_ = program.fileName();
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
    fillList(std::string());
  } catch (...) {
    startingUp_ = false;
    throw;
  }
  startingUp_ = false;

  if (!arguments.value(1).isEmpty()) guarded([this, &arguments] { importDrinks(arguments.value(1), false); });
  saveDatabase();
}

void TMainForm::FormShow() { ListBox->setFocus(); }

void TMainForm::FormActivate() {
  // An edit in progress survives returning to the window; a search or the
  // Information page keep their status line.
  if (modeWord_ != QLatin1String("Browse") || ListBox->count() == 0) return;
  int row = selectedIndex();
  if (row < 0) row = 0;
  showItem(row);
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
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) guarded([this] { FormActivate(); });
}

void TMainForm::guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const tinydb::EAbort&) {
    // The user cancelled a login: nothing to report.
  } catch (const std::exception& error) {
    Platform().SetWaitCursor(0);
    Platform().Error(QString::fromStdString(error.what()));
  }
}

// ---------------------------------------------------------------------------
// Modes and status line

void TMainForm::setStatusBar(const QString& mode, const QString& flags, const QString& position) {
  statusPanels_[0]->setText(mode);
  statusPanels_[1]->setText(flags);
  statusPanels_[2]->setText(position);
}

QString TMainForm::statusText(int panel) const {
  return panel >= 0 && panel < 3 ? statusPanels_[panel]->text() : QString();
}

bool TMainForm::editing() const {
  return modeWord_ == QLatin1String("Add") || modeWord_ == QLatin1String("Modify");
}

void TMainForm::setMode(int mode) {
  if (mode >= wmAdd && mode <= wmInformation) {
    for (QAction* item : MenuMarks->actions()) item->setEnabled(false);
    for (QAction* item : MenuFile->actions()) item->setEnabled(item == Exit1);
  }
  switch (mode) {
    case wmSearch:
    case wmInformation:
      modeWord_ = mode == wmSearch ? QStringLiteral("Search") : QStringLiteral("Information");
      setStatusBar(modeWord_, QString(), QString());
      for (QAction* item : MenuEdit->actions()) item->setEnabled(false);
      break;
    case wmAdd:
      modeWord_ = QStringLiteral("Add");
      showGlass(drinkClipboard_.id == -1 ? drinkClipboard_.glass : 3);
      StaticTitle->clear();
      showComment(QString());
      StaticIngred->clear();
      StaticDir->clear();
      selectRow(-1);
      statusPanels_[2]->clear();
      statusPanels_[0]->setText(QStringLiteral("Add Drink"));
      break;
    case wmModify: {
      modeWord_ = QStringLiteral("Modify");
      auto choose = [](QComboBox* box, const std::string& name) {
        box->setCurrentIndex(box->findText(QString::fromStdString(name), Qt::MatchExactly | Qt::MatchCaseSensitive));
      };
      choose(EditType, zestoria::typeName(currentDrink_.type));
      choose(EditSeason, zestoria::seasonName(currentDrink_.season));
      choose(EditTemp, zestoria::tempName(currentDrink_.temp));
      choose(EditGlass, zestoria::glassName(currentDrink_.glass));
      statusPanels_[0]->setText(QStringLiteral("Modify Drink"));
      break;
    }
    default:
      break;
  }
  if (mode == wmAdd || mode == wmModify) {
    ToolBar2->show();
    ToolBar2->raise();
    setEditable(true);
    StaticTitle->setFocus();
  } else if (mode == wmBrowse) {
    modeWord_ = QStringLiteral("Browse");
    setEditable(false);
    ToolBar2->hide();
    for (QMenu* menu : {MenuMarks, MenuFile, MenuEdit}) {
      for (QAction* item : menu->actions()) item->setEnabled(true);
    }
    PasteDrink1->setEnabled(drinkClipboard_.id == -1);
    if (!startingUp_) ListBox->setFocus();
  }
}

void TMainForm::setEditable(bool editable) {
  StaticTitle->setReadOnly(!editable);
  StaticTitle->setFrame(editable);
  StaticAd->setReadOnly(!editable);
  StaticAd->setFrameShape(editable ? QFrame::StyledPanel : QFrame::NoFrame);
  StaticTitle->setGeometry(StaticTitle->x(), 57, StaticTitle->width(), 32);
  for (QPlainTextEdit* text : {StaticIngred, StaticDir}) {
    text->setReadOnly(!editable);
    text->setFrameShape(editable ? QFrame::StyledPanel : QFrame::NoFrame);
  }
  // Read-only texts stand on the page like labels; editable ones are white.
  const QColor ground = editable ? palette().color(QPalette::Base) : palette().color(QPalette::Window);
  for (QWidget* widget : std::initializer_list<QWidget*>{StaticTitle, StaticAd, StaticIngred, StaticDir, StaticType,
                                                         StaticGlass, StaticSeason, StaticTemp}) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Base, widget == StaticType || widget == StaticGlass || widget == StaticSeason ||
                                       widget == StaticTemp
                                   ? palette().color(QPalette::Window)
                                   : ground);
    widget->setPalette(p);
  }
  for (QLineEdit* category : {StaticType, StaticGlass, StaticSeason, StaticTemp}) {
    category->setReadOnly(true);
    category->setFrame(false);
    category->setVisible(!editable);
  }
  for (QComboBox* box : {EditType, EditGlass, EditSeason, EditTemp}) box->setVisible(editable);
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
      if (editing()) {
        setMode(wmBrowse);
        selectRow(savedIndex_);
        if (selectedIndex() >= 0) showItem(selectedIndex());
        else setStatusBar(modeWord_, QString(), positionText());
        return true;
      }
      if (modeWord_ == QLatin1String("Search") || modeWord_ == QLatin1String("Information")) {
        TabForm->setCurrentWidget(TabRecipie);
        return true;
      }
      return false;
    case Qt::Key_Insert:
      if (modeWord_ != QLatin1String("Browse")) return false;
      startAdd();
      return true;
    case Qt::Key_Delete:
      if (modeWord_ != QLatin1String("Browse")) return false;
      deleteSelectedDrink(true);
      return true;
    case Qt::Key_F1:
      showPageHelp();
      return true;
    default:
      return false;
  }
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
        guarded([&] { acted = FormKeyDown(key); });
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
        guarded([&] { moved = FormMouseWheel(down); });
        lastWheelHandled_ = lastWheelHandled_ || moved;
      }
      return lastWheelHandled_;
    }
  }
  return false;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == StaticAd && type == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;  // one paragraph
  }
  if (watched == ListBox && type == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      guarded([this] { ListBoxDblClick(); });
      return true;
    }
    if (key == Qt::Key_Space) {
      const int row = selectedIndex();
      if (row >= 0) guarded([this, row] { ListBoxClickCheck(row); });
      return true;
    }
  }
  if (watched == ListBox->viewport() &&
      (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const int row = checkBoxRowAt(mouse->position().toPoint());
    if (row >= 0 && mouse->button() == Qt::LeftButton) {
      guarded([this, row] { ListBoxClickCheck(row); });
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
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

// The display and print menus; their commands belong to the finding and
// printing subsystems.
void TMainForm::ButDisplayClick() {
  if (displayPopUp->isEmpty()) return;
  displayPopUp->popup(ButDisplay->mapToGlobal(QPoint(1, ButDisplay->height())));
}

void TMainForm::ButPrintClick() { PopPrintMenu->popup(ButPrint->mapToGlobal(QPoint(1, ButPrint->height()))); }
