// The Recipe page: building it, filling the drink list from the table,
// loading and showing a drink, the status line's texts and moving through
// the list.
#include "catalogue/RecipePage.h"

#include <QByteArray>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTextCursor>
#include <QTextEdit>
#include <unordered_set>

#include "catalogue/CatalogueText.h"
#include "catalogue/DrinkList.h"
#include "catalogue/ListItem.h"
#include "catalogue/Vocabularies.h"
#include "shell/Pictures.h"
#include "shell/Platform.h"
#include "shell/ProgramFont.h"

namespace {

// Where the display's controls stand: the left edge and width of the
// title's column, the captions' and values' columns and the rows of the
// four categories.
constexpr int kLeft = 8;
constexpr int kWidth = 329;
constexpr int kLabelX = 84;
constexpr int kValueX = 176;
constexpr int kValueWidth = kLeft + kWidth - kValueX;
constexpr int kRows[4] = {128, 150, 172, 194};

// A bold caption on |page|.
void AddCaption(QWidget* page, const QString& text, int x, int y, int width) {
  auto* label = new QLabel(text, page);
  label->setGeometry(x, y, width, 21);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
}

// Switches a widget's painting off for its life, however the scope is left.
class TNoUpdates {
 public:
  explicit TNoUpdates(QWidget* widget) : widget_(widget) { widget_->setUpdatesEnabled(false); }
  ~TNoUpdates() { widget_->setUpdatesEnabled(true); }
  TNoUpdates(const TNoUpdates&) = delete;
  TNoUpdates& operator=(const TNoUpdates&) = delete;

 private:
  QWidget* widget_;
};

}  // namespace

TRecipePage::TRecipePage(TPageHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  createDisplay();
  createChoosers();
  createRecipeTexts();
  createList();
  setEditable(false);
}

// ---------------------------------------------------------------------------
// Construction steps

void TRecipePage::createDisplay() {
  auto staticText = [this](int x, int y, int w, int h) {
    auto* edit = new QLineEdit(this);
    edit->setGeometry(x, y, w, h);
    return edit;
  };
  auto caption = [this](const QString& text, int x, int y, int w = 80) { AddCaption(this, text, x, y, w); };

  StaticTitle = staticText(kLeft, 57, kWidth, 32);
  QFont title = StaticTitle->font();
  title.setBold(true);
  title.setPixelSize(19);
  StaticTitle->setFont(title);
  StaticTitle->setAlignment(Qt::AlignCenter);
  StaticTitle->setMaxLength(static_cast<int>(zestoria::kDrinkNameLength));

  StaticAd = new QTextEdit(this);
  StaticAd->setGeometry(kLeft, 90, kWidth, 34);
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

  ImageGlass = new QLabel(this);
  ImageGlass->setGeometry(kLeft + 4, 130, 64, 68);
  ImageGlass->setAlignment(Qt::AlignCenter);

  caption(QStringLiteral("Type"), kLabelX, kRows[0]);
  caption(QStringLiteral("Glassware"), kLabelX, kRows[1]);
  caption(QStringLiteral("Season"), kLabelX, kRows[2]);
  caption(QStringLiteral("Temperature"), kLabelX, kRows[3], 90);
  StaticType = staticText(kValueX, kRows[0], kValueWidth, 21);
  StaticGlass = staticText(kValueX, kRows[1], kValueWidth, 21);
  StaticSeason = staticText(kValueX, kRows[2], kValueWidth, 21);
  StaticTemp = staticText(kValueX, kRows[3], kValueWidth, 21);
}

void TRecipePage::createRecipeTexts() {
  auto caption = [this](const QString& text, int x, int y) { AddCaption(this, text, x, y, 80); };
  caption(QStringLiteral("Ingredients"), kLeft, 222);
  StaticIngred = new QPlainTextEdit(this);
  StaticIngred->setGeometry(kLabelX, 220, kLeft + kWidth - kLabelX, WholeLinesHeight(StaticIngred, 78));
  caption(QStringLiteral("Directions"), kLeft, 304);
  StaticDir = new QPlainTextEdit(this);
  StaticDir->setGeometry(kLabelX, 302, kLeft + kWidth - kLabelX, WholeLinesHeight(StaticDir, 79));
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
}

void TRecipePage::createChoosers() {
  auto chooser = [this](const std::vector<std::string>& items, int visible, int row) {
    auto* box = new QComboBox(this);
    for (const std::string& item : items) box->addItem(QString::fromStdString(item));
    box->setMaxVisibleItems(visible);
    box->setGeometry(kValueX, kRows[row], kValueWidth, 21);
    box->setCurrentIndex(-1);
    box->hide();
    return box;
  };
  EditType = chooser(zestoria::TypeChooserItems(), 17, 0);
  EditGlass = chooser(zestoria::GlassChooserItems(), 14, 1);
  EditSeason = chooser(zestoria::SeasonChooserItems(), 6, 2);
  EditTemp = chooser(zestoria::TempChooserItems(), 3, 3);
  connect(EditGlass, &QComboBox::currentIndexChanged, this, [this] { Guarded([this] { EditGlassChange(); }); });
}

void TRecipePage::createList() {
  ListBox = new TDrinkList(this);
  ListBox->setGeometry(345, 56, 272, 325);
  ListBox->setContextMenuPolicy(Qt::CustomContextMenu);
  ListBox->installEventFilter(this);
  ListBox->viewport()->installEventFilter(this);
  connect(ListBox, &TDrinkList::itemSelectionChanged, this, [this] {
    if (quietList_ == 0) Guarded([this] { ListBoxClick(); });
  });
  connect(ListBox, &TDrinkList::itemDoubleClicked, this, [this] { Guarded([this] { ListBoxDblClick(); }); });
  connect(ListBox, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { host_.popUpListMenu(ListBox->viewport()->mapToGlobal(at)); });
}

void TRecipePage::setEditable(bool editable) {
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

bool TRecipePage::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == StaticAd && type == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;  // one paragraph
  }
  if (watched == ListBox && type == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      Guarded([this] { ListBoxDblClick(); });
      return true;
    }
    if (key == Qt::Key_Space) {
      const int row = selectedIndex();
      if (row >= 0) Guarded([this, row] { ListBoxClickCheck(row); });
      return true;
    }
  }
  if (watched == ListBox->viewport() &&
      (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const int row = checkBoxRowAt(mouse->position().toPoint());
    if (row >= 0 && mouse->button() == Qt::LeftButton) {
      Guarded([this, row] { ListBoxClickCheck(row); });
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TRecipePage::focusList() { ListBox->setFocus(); }

void TRecipePage::focusTitle() { StaticTitle->setFocus(); }

// ---------------------------------------------------------------------------
// List items

void TRecipePage::insertListItem(int row, std::string text, bool checked) {
  ListBox->insertRow(row, TDrinkList::TRow{std::move(text), checked});
}

int TRecipePage::itemCount() const { return ListBox->count(); }

std::string TRecipePage::itemText(int row) const {
  if (row < 0 || row >= ListBox->count()) return std::string();
  return ListBox->rowAt(row).text;
}

int32_t TRecipePage::itemIdAt(int row) const { return zestoria::itemId(itemText(row)); }

int TRecipePage::sortedPosition(const std::string& text) const {
  int low = 0;
  int high = ListBox->count();
  while (low < high) {
    const int middle = (low + high) / 2;
    if (zestoria::ListItemLess(itemText(middle), text)) low = middle + 1;
    else high = middle;
  }
  return low;
}

int TRecipePage::selectedIndex() const { return ListBox->selectedRow(); }

void TRecipePage::selectRow(int row) {
  const TQuietList quiet(this);
  ListBox->setCurrentRow(row);
  ListBox->scrollToRow(row);
}

void TRecipePage::setItemChecked(int row, bool checked) { ListBox->setChecked(row, checked); }

bool TRecipePage::itemChecked(int row) const { return ListBox->item(row).checkState() == Qt::Checked; }

int TRecipePage::checkBoxRowAt(const QPoint& point) const {
  const int row = ListBox->rowAtPoint(point);
  if (row < 0) return -1;
  QStyleOptionViewItem option;
  option.initFrom(ListBox);
  option.rect = ListBox->rowRect(row);
  option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
  option.text = ListBox->item(row).text();
  option.checkState = ListBox->item(row).checkState();
  const QRect box = ListBox->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, ListBox);
  return box.adjusted(-2, -2, 2, 2).contains(point) ? row : -1;
}

// ---------------------------------------------------------------------------
// Filling the list

void TRecipePage::fillList(const std::string& filter, bool append) {
  fillListWith([this, &filter] { return host_.catalogue().ListDrinks(filter, host_.startingUp()); }, append,
               nullptr);
}

void TRecipePage::listDrinks(const std::vector<int32_t>& ids, bool append,
                             std::unordered_map<int32_t, QString> notes) {
  fillListWith([this, &ids] { return host_.catalogue().ListDrinksById(ids); }, append, &notes);
}

void TRecipePage::fillListWith(const std::function<std::vector<zestoria::TListedDrink>()>& list, bool append,
                               std::unordered_map<int32_t, QString>* notes) {
  // However the filling ends, the window is back in Browse.
  struct TFinish {
    TPageHost& host;
    ~TFinish() {
      if (host.mode() != wmBrowse) {
        host.setMode(wmBrowse);
        host.setStatusPanel(0, ModeWord(host.mode()));
      }
    }
  };
  THourglass hourglass;
  TFinish finish{host_};
  host_.setStatusPanel(0, QStringLiteral("Searching..."));
  host_.setStatusPanel(2, QString());
  host_.repaintStatusBar();
  const int remembered = selectedIndex();

  std::vector<zestoria::TListedDrink> drinks = list();
  if (drinks.empty()) {
    selectRow(remembered);
    Platform().Warning(QStringLiteral("There are no drinks to list"));
    host_.setStatusBar(ModeWord(host_.mode()), ListBox->count() > 0 ? statusFlags(host_.currentDrink()) : QString(),
                       positionText());
    return;
  }
  // A new list has the notes of its own listing; drinks appended bring theirs.
  if (!append) notes_.clear();
  if (notes != nullptr) {
    for (auto& [id, note] : *notes) notes_[id] = std::move(note);
  }

  {
    const TQuietList quiet(this);
    if (!append) ListBox->clear();
    clearDisplay();
    showGlass(14);

    std::vector<std::string> texts;
    texts.reserve(drinks.size());
    for (const zestoria::TListedDrink& drink : drinks) texts.push_back(zestoria::makeListItem(drink.name, drink.id));

    if (append) {
      // A drink already listed is not listed twice.
      std::unordered_set<int32_t> listed;
      for (int row = 0; row < ListBox->count(); ++row) listed.insert(itemIdAt(row));
      for (size_t i = 0; i < texts.size(); ++i) {
        if (!listed.insert(drinks[i].id).second) continue;
        const int row = sortedPosition(texts[i]);
        insertListItem(row, std::move(texts[i]), drinks[i].marked == 1);
      }
    } else {
      // One sort, and the model takes every row at once.
      const std::vector<uint32_t> order = zestoria::ListItemOrder(texts);
      std::vector<TDrinkList::TRow> rows;
      rows.reserve(order.size());
      for (const uint32_t i : order) rows.push_back(TDrinkList::TRow{std::move(texts[i]), drinks[i].marked == 1});
      const TNoUpdates noUpdates(ListBox);
      ListBox->setRows(std::move(rows));
    }
  }

  selectRow(0);
  if (ListBox->count() > 0) {
    loadDrink(itemIdAt(0));
    showDrink(host_.currentDrink());
  }
}

int TRecipePage::listNewDrinks(const std::vector<std::string>& names, const std::vector<int32_t>& ids) {
  int lastRow = 0;
  const TQuietList quiet(this);
  for (size_t i = 0; i < ids.size() && i < names.size(); ++i) {
    std::string text = zestoria::makeListItem(names[i], ids[i]);
    lastRow = sortedPosition(text);
    insertListItem(lastRow, std::move(text), false);
  }
  return lastRow;
}

// ---------------------------------------------------------------------------
// The current drink and its display

void TRecipePage::loadDrink(int32_t id) { host_.currentDrink() = host_.catalogue().LoadDrink(id); }

void TRecipePage::showItem(int row) {
  selectRow(row);
  loadDrink(itemIdAt(row));
  showDrink(host_.currentDrink());
}

void TRecipePage::showSelection() {
  if (ListBox->count() == 0) return;
  int row = selectedIndex();
  if (row < 0) row = 0;
  showItem(row);
}

void TRecipePage::showGlass(int code) {
  const QPixmap picture = GlassPicture(code);
  shownGlass_ = picture.isNull() ? -1 : code;
  ImageGlass->setPixmap(picture);
}

void TRecipePage::clearDisplay() {
  for (QLineEdit* text : {StaticTitle, StaticType, StaticSeason, StaticTemp, StaticGlass}) text->clear();
  showComment(QString());
  StaticIngred->clear();
  StaticDir->clear();
}

QString TRecipePage::positionText() const {
  return QStringLiteral("%1 of %2").arg(selectedIndex() + 1).arg(ListBox->count());
}

QString TRecipePage::flagsText(const TDrink& drink) {
  const bool marked = drink.marked == 1;
  const bool readOnly = drink.read_only != 0;
  if (marked && readOnly) return QStringLiteral("Marked / Read Only");
  if (marked) return QStringLiteral("Marked");
  if (readOnly) return QStringLiteral("Read Only");
  return QString();
}

void TRecipePage::showDrink(const TDrink& drink) {
  if (editing()) host_.setMode(wmBrowse);
  StaticTitle->setText(FromCatalogueText(drink.name));
  StaticType->setText(QString::fromStdString(zestoria::typeName(drink.type)));
  StaticSeason->setText(QString::fromStdString(zestoria::seasonName(drink.season)));
  StaticTemp->setText(QString::fromStdString(zestoria::tempName(drink.temp)));
  StaticGlass->setText(QString::fromStdString(zestoria::glassName(drink.glass)));
  StaticDir->setPlainText(FromCatalogueText(drink.directions));
  StaticIngred->setPlainText(FromCatalogueText(drink.ingred));
  showComment(FromCatalogueText(drink.comment));
  StaticTitle->setCursorPosition(0);
  host_.showMarkMenu(drink.marked == 1);
  showGlass(drink.glass);
  host_.setStatusBar(ModeWord(host_.mode()), statusFlags(drink), positionText());
}

QString TRecipePage::statusFlags(const TDrink& drink) const {
  const QString flags = flagsText(drink);
  const auto note = notes_.find(drink.id);
  if (note == notes_.end()) return flags;
  return flags.isEmpty() ? note->second : flags + QStringLiteral(" / ") + note->second;
}

void TRecipePage::showComment(const QString& text) {
  const QSignalBlocker block(StaticAd);
  StaticAd->setPlainText(text);
  StaticAd->selectAll();
  StaticAd->setAlignment(Qt::AlignCenter);
  QTextCursor cursor = StaticAd->textCursor();
  cursor.clearSelection();
  cursor.movePosition(QTextCursor::Start);
  StaticAd->setTextCursor(cursor);
}

// ---------------------------------------------------------------------------
// Moving through the list

bool TRecipePage::editing() const { return host_.mode() == wmAdd || host_.mode() == wmModify; }

bool TRecipePage::confirmUndoEdit() {
  if (!editing()) return true;
  if (Platform().Confirm(QStringLiteral("Drink is being edited.  Undo changes"))) return true;
  restoreEditSelection();
  return false;
}

void TRecipePage::restoreEditSelection() {
  // The selection stays on the drink being edited (none while adding), so
  // that Commit acts on it.
  selectRow(host_.mode() == wmModify ? savedIndex_ : -1);
}

void TRecipePage::ListBoxClick() {
  if (!confirmUndoEdit()) return;
  if (host_.mode() == wmAdd) selectRow(savedIndex_);
  const int row = selectedIndex();
  if (row < 0) return;
  showItem(row);
}

void TRecipePage::ButNextClick() {
  const int row = selectedIndex();
  if (row + 1 >= ListBox->count()) return;
  showItem(row + 1);
}

void TRecipePage::ButPrevoiusClick() {
  const int row = selectedIndex();
  if (row <= 0) return;
  showItem(row - 1);
}

bool TRecipePage::wheelStep(bool down) {
  if (ListBox->count() == 0) return false;
  if (!confirmUndoEdit()) return false;
  const bool wasEditing = editing();
  if (host_.mode() == wmAdd) selectRow(savedIndex_);
  const int row = selectedIndex();
  if (down ? row == ListBox->count() - 1 : row <= 0) {
    // The user chose to undo the edit: end it even where the list stops.
    if (wasEditing && row >= 0) showItem(row);
    return false;
  }
  ListBox->setFocus();
  showItem(down ? row + 1 : row - 1);
  return true;
}

void TRecipePage::TabRecipieEnter() {
  host_.setMode(wmBrowse);
  host_.setStatusBar(ModeWord(host_.mode()), statusFlags(host_.currentDrink()), positionText());
  ListBox->setFocus();
}
