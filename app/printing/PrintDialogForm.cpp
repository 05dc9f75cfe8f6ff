#include "printing/PrintDialogForm.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <algorithm>
#include <exception>
#include <utility>

#include "catalogue/ListItem.h"
#include "catalogue/Vocabularies.h"
#include "printing/PrintPictures.h"
#include "printing/RecipeLayouts.h"
#include "shell/Pictures.h"
#include "shell/Platform.h"
#include "tables/Fields.h"
#include "tables/Table.h"

using zestoria::TReport;

namespace {

// Full page: one detail band per skipped row. Index cards: row 2 starts
// 290 pixels down, row 3 two card heights down.
constexpr int kFullTitleHeights[5] = {0, 192, 384, 576, 768};
constexpr int kCardTitleHeights[3] = {0, 290, 576};

// Fills |box| (an option group) with |count| radio buttons "1".."count"
// one under another inside its frame, the box growing downwards when the
// style's buttons need more room than it has; the first is chosen.
void AddRowButtons(QGroupBox* box, QButtonGroup* group, QRadioButton** buttons, int count) {
  QStyleOptionGroupBox frame;
  frame.initFrom(box);
  frame.text = box->title();
  frame.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
  frame.lineWidth = 1;
  const QRect inside = box->style()->subControlRect(QStyle::CC_GroupBox, &frame, QStyle::SC_GroupBoxContents, box);
  const int below = box->height() - inside.bottom() - 1;
  // A pixel between one button's circle and the next.
  const int row = std::max(box->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, box),
                           box->fontMetrics().height()) + 1;
  box->resize(box->width(), std::max(box->height(), inside.top() + count * row + below));
  const int step = (box->height() - inside.top() - below) / count;
  for (int i = 0; i < count; ++i) {
    auto* button = new QRadioButton(QString::number(i + 1), box);
    button->setObjectName(box->objectName() + QString::number(i + 1));
    button->setGeometry(8, inside.top() + step * i, box->width() - 12, step);
    group->addButton(button, i + 1);
    buttons[i] = button;
  }
  buttons[0]->setChecked(true);
}

QLabel* NewPicture(QWidget* parent, const char* name, const QRect& geometry, const QPixmap& pixmap) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(geometry);
  label->setPixmap(pixmap);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption, int left) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(left, 235, 75, 25);
  button->setAutoDefault(false);
  return button;
}

// Reads a code field's text as a decimal number; false when it is none.
bool CodeOf(const QString& text, int* code) {
  bool ok = false;
  *code = text.trimmed().toInt(&ok);
  return ok;
}

}  // namespace

TThePrintDialog::TThePrintDialog(std::unique_ptr<TPrintSubject> subject, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      subject_(std::move(subject)) {
  setObjectName(QStringLiteral("ThePrintDialog"));
  setWindowTitle(QStringLiteral("Print"));
  setFixedSize(352, 267);

  Bevel1 = new QFrame(this);
  Bevel1->setObjectName(QStringLiteral("Bevel1"));
  Bevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Bevel1->setLineWidth(1);
  Bevel1->setGeometry(8, 8, 337, 217);

  PageType = new QGroupBox(QStringLiteral("Page Type"), this);
  PageType->setObjectName(QStringLiteral("PageType"));
  PageType->setGeometry(29, 25, 124, 56);
  PageTypeFull = new QRadioButton(QStringLiteral("Full Page"), PageType);
  PageTypeFull->setObjectName(QStringLiteral("PageType1"));
  PageTypeFull->setGeometry(8, 17, 110, 17);
  PageTypeCards = new QRadioButton(QStringLiteral("Index Cards"), PageType);
  PageTypeCards->setObjectName(QStringLiteral("PageType2"));
  PageTypeCards->setGeometry(8, 35, 110, 17);
  page_type_group_ = new QButtonGroup(this);
  page_type_group_->addButton(PageTypeFull, 0);
  page_type_group_->addButton(PageTypeCards, 1);
  PageTypeFull->setChecked(true);

  Image3 = NewPicture(this, "Image3", QRect(226, 35, 43, 41), PrinterPicture());

  Bevel2 = new QFrame(this);
  Bevel2->setObjectName(QStringLiteral("Bevel2"));
  Bevel2->setFrameShape(QFrame::HLine);
  Bevel2->setFrameShadow(QFrame::Sunken);
  Bevel2->setGeometry(24, 96, 305, 2);

  Label1 = new QLabel(QStringLiteral("Select Starting  Row"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->move(32, 104);
  Label1->adjustSize();

  FullPage = new QGroupBox(QStringLiteral(" Full Page"), this);
  FullPage->setObjectName(QStringLiteral("FullPage"));
  FullPage->setGeometry(31, 123, 66, 85);
  full_page_group_ = new QButtonGroup(this);
  AddRowButtons(FullPage, full_page_group_, FullPageRows, 5);
  Image1 = NewPicture(this, "Image1", QRect(104, 130, 55, 74), FullPagePicture());

  IndexCard = new QGroupBox(QStringLiteral("Index Card"), this);
  IndexCard->setObjectName(QStringLiteral("IndexCard"));
  IndexCard->setGeometry(191, 123, 66, 84);
  index_card_group_ = new QButtonGroup(this);
  AddRowButtons(IndexCard, index_card_group_, IndexCardRows, 3);
  IndexCard->setEnabled(false);
  Image2 = NewPicture(this, "Image2", QRect(264, 130, 55, 74), IndexCardPagePicture());

  ButtonPrint = NewButton(this, "ButtonPrint", QStringLiteral("Print"), 12);
  ButtonPrint->setDefault(true);
  PrintPreview = NewButton(this, "PrintPreview", QStringLiteral("Print Preview"), 96);
  ButtonPrintSetup = NewButton(this, "ButtonPrintSetup", QStringLiteral("Print Setup"), 181);
  CancelBtn = NewButton(this, "CancelBtn", QStringLiteral("Cancel"), 266);

  connect(page_type_group_, &QButtonGroup::idClicked, this, &TThePrintDialog::PageTypeClick);
  connect(ButtonPrint, &QPushButton::clicked, this, &TThePrintDialog::ButtonPrintClick);
  connect(PrintPreview, &QPushButton::clicked, this, &TThePrintDialog::PrintPreviewClick);
  connect(ButtonPrintSetup, &QPushButton::clicked, this, &TThePrintDialog::ButtonPrintSetupClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TThePrintDialog::CancelBtnClick);

  const zestoria::TRecipeHooks hooks{[this](QString& text) { FullTypePrint(text); },
                                     [this](QString& text) { FullSeasonPrint(text); },
                                     [this](QString& text) { FullGlassPrint(text); }};
  zestoria::BuildFullPageLayout(layout1_, hooks);
  zestoria::BuildIndexCardLayout(layout2_, hooks);
}

TThePrintDialog::~TThePrintDialog() = default;

void TThePrintDialog::ShowModal() {
  if (modal_hook) {
    show();
    modal_hook(*this);
    if (isVisible()) hide();
    return;
  }
  exec();
}

int TThePrintDialog::FullPageRow() const { return full_page_group_->checkedId(); }
int TThePrintDialog::IndexCardRow() const { return index_card_group_->checkedId(); }
bool TThePrintDialog::FullPageChosen() const { return PageTypeFull->isChecked(); }

void TThePrintDialog::PageTypeClick() {
  const bool full = FullPageChosen();
  FullPage->setEnabled(full);
  IndexCard->setEnabled(!full);
}

void TThePrintDialog::ButtonPrintSetupClick() {
  (FullPageChosen() ? layout1_ : layout2_).PrinterSetup();
}

void TThePrintDialog::ButtonPrintClick() { printOrPreview(false); }

void TThePrintDialog::PrintPreviewClick() { printOrPreview(true); }

void TThePrintDialog::CancelBtnClick() { reject(); }

std::string MarkedDrinksFilter(tinydb::TTinyTable& table) {
  // Whatever happens, the table gets its own filter text back.
  struct TRestore {
    tinydb::TTinyTable& table;
    const std::string filter;
    ~TRestore() {
      try {
        table.SetFilter(filter);
      } catch (...) {
      }
    }
  } restore{table, table.Filter()};
  table.SetFilter("marked=1");
  std::string filter;
  for (bool found = table.SeekFirstMatch(); found; found = table.SeekNextMatch()) {
    if (table.FieldNamed("marked")->ReadInteger() == 1)
      filter += (filter.empty() ? "id = " : " OR id = ") + table.FieldNamed("id")->ReadText();
  }
  return filter;
}

std::string TThePrintDialog::selectionFilter(bool* stop) {
  *stop = false;
  // "id = " and the id of list item |row|, with the blank the item holds
  // before its id.
  auto id_term = [this](int row) { return "id =  " + std::to_string(zestoria::itemId(subject_->ListItem(row))); };
  std::string filter;
  switch (subject_->PrintScope()) {
    case TPrintScope::Drink: {
      const int row = subject_->SelectedRow();
      if (row >= 0) filter = id_term(row);
      break;
    }
    case TPrintScope::List:
      for (int row = 0; row < subject_->ListCount(); ++row) filter += (row == 0 ? "" : " OR ") + id_term(row);
      break;
    case TPrintScope::Marked: {
      tinydb::TTinyTable& table = subject_->DrinkTable();
      filter = MarkedDrinksFilter(table);
      if (filter.empty()) {
        table.SetFiltered(false);
        Platform().Warning(QStringLiteral("There are no drinks marked"));
        *stop = true;
      }
      break;
    }
    case TPrintScope::None:
      break;
  }
  return filter;
}

void TThePrintDialog::printOrPreview(bool preview) {
  try {
    runReport(preview);
  } catch (const std::exception& e) {
    Platform().Error(QString::fromUtf8(e.what()));
  }
}

void TThePrintDialog::runReport(bool preview) {
  const bool full = FullPageChosen();
  TReport& layout = full ? layout1_ : layout2_;
  const int row = full ? FullPageRow() : IndexCardRow();
  tinydb::TTinyTable& table = subject_->DrinkTable();

  table.SetFiltered(true);
  // Whatever happens from here on, the table ends unfiltered.
  struct TUnfilter {
    tinydb::TTinyTable& table;
    ~TUnfilter() {
      try {
        table.SetFiltered(false);
      } catch (...) {
      }
    }
  } unfilter{table};

  bool stop = false;
  const std::string filter = selectionFilter(&stop);
  if (stop) return;
  // An empty selection (no list item) prints nothing, rather than every
  // drink an empty filter would let through.
  if (filter.empty()) return;
  table.SetFilter(filter);

  layout.SetDataSet(&table);
  zestoria::BindRecipeFields(layout, full);
  layout.TitleBand().height = full ? kFullTitleHeights[row - 1] : kCardTitleHeights[row - 1];

  if (preview) {
    layout.Preview();
  } else {
    layout.Print();
  }
  table.SetFiltered(false);
  if (!preview) accept();
}

void TThePrintDialog::FullTypePrint(QString& text) {
  int code = 0;
  if (CodeOf(text, &code)) text = QString::fromLatin1(zestoria::typeName(code));
}

void TThePrintDialog::FullSeasonPrint(QString& text) {
  int code = 0;
  if (CodeOf(text, &code)) text = QString::fromLatin1(zestoria::seasonName(code));
}

void TThePrintDialog::FullGlassPrint(QString& text) {
  int code = 0;
  if (!CodeOf(text, &code)) return;
  // The glass at its own size in the top left corner of the picture box,
  // clear of the glass name printed below it.
  QPixmap picture(105, 105);
  picture.fill(Qt::transparent);
  {
    QPainter painter(&picture);
    painter.drawPixmap(0, 0, GlassPicture(code));
  }
  layout1_.DetailBand().SetPicture(zestoria::kFullImage, picture);
  layout2_.DetailBand().SetPicture(zestoria::kCardImage, picture);
  text = QString::fromLatin1(zestoria::glassName(code));
}

void TThePrintDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.width() / 2 - width() / 2, area.height() / 2 - height() / 2);
  }
}
