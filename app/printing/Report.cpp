#include "printing/Report.h"

#include <QCoreApplication>
#include <QMarginsF>
#include <QPainter>
#include <QPen>
#include <QProgressDialog>
#include <QTextOption>
#include <algorithm>
#include <optional>
#include <string>

#include "platform/Codepage.h"
#include "shell/Platform.h"
#include "tables/DataSet.h"
#include "tables/Fields.h"

namespace zestoria {

namespace {

constexpr double kBandPixelsPerInch = 96.0;
constexpr double kMillimetresPerInch = 25.4;
// Rounding slack when a band just fills the rest of a sheet.
constexpr double kFitSlack = 1e-6;

double MmToPixels(double mm) { return mm / kMillimetresPerInch * kBandPixelsPerInch; }

// The text of field |field| of the current record: stored Windows-1252,
// lines ending in CR LF, as Unicode with "\n" line ends.
QString FieldText(tinydb::TField* field) {
  if (field == nullptr) return QString();
  QString text = QString::fromStdString(tinydb::Cp1252ToUtf8(field->ReadText()));
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return text;
}

// Band pixels to device units on one sheet: |origin| is where the band
// area's top left corner lands on the device.
struct TDeviceMap {
  double sx = 1.0, sy = 1.0;
  QPointF origin;
  QPointF Point(double x, double y) const { return origin + QPointF(x * sx, y * sy); }
  QRectF Rect(const QRectF& r) const {
    return QRectF(Point(r.left(), r.top()), QSizeF(r.width() * sx, r.height() * sy));
  }
};

// Word wrap that still breaks a word too long for the line.
QTextOption WrapOption() {
  QTextOption option(Qt::AlignLeft | Qt::AlignTop);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  return option;
}

// Paints |band| with its top |top| band pixels below the band area's top,
// reading field elements from the current record of |data_set|.
void PaintBand(QPainter& painter, TReportBand& band, tinydb::TTDEDataSet* data_set,
               const TDeviceMap& map, int top, double width) {
  const QRectF band_px(0, top, width, band.height);
  painter.save();
  painter.setClipRect(map.Rect(band_px));
  painter.setPen(QPen(Qt::black, std::max(1.0, map.sy), Qt::SolidLine, Qt::FlatCap));
  // The lines run half a pixel inside the band's edges, so the clip keeps them.
  if (band.line_top) painter.drawLine(map.Point(0, top + 0.5), map.Point(width, top + 0.5));
  if (band.line_bottom) {
    const double y = top + band.height - 0.5;
    painter.drawLine(map.Point(0, y), map.Point(width, y));
  }
  // Elements may change the band while it prints (a hook setting a
  // picture), so they are reached by index.
  for (size_t i = 0; i < band.Elements().size(); ++i) {
    const TReportBand::TElement& e = band.Elements()[i];
    const QRectF box = e.box.translated(0, top);
    switch (e.kind) {
      case TReportBand::TElement::kLabel:
      case TReportBand::TElement::kFieldText: {
        QString text = e.text;
        if (e.kind == TReportBand::TElement::kFieldText) {
          text = e.field.isEmpty() || data_set == nullptr
                     ? QString()
                     : FieldText(data_set->FieldNamed(e.field.toStdString()));
          if (e.on_print) {
            const std::function<void(QString&)> hook = e.on_print;
            hook(text);
          }
        }
        const TReportBand::TElement& now = band.Elements()[i];
        painter.setFont(now.font);
        painter.setPen(Qt::black);
        const double room = std::max(1.0, width - box.left());
        painter.drawText(map.Rect(QRectF(box.left(), box.top(), room, band.height)), text, WrapOption());
        break;
      }
      case TReportBand::TElement::kFieldMemo: {
        const QString text = e.field.isEmpty() || data_set == nullptr
                                 ? QString()
                                 : FieldText(data_set->FieldNamed(e.field.toStdString()));
        painter.save();
        painter.setClipRect(map.Rect(box), Qt::IntersectClip);
        painter.setFont(e.font);
        painter.setPen(Qt::black);
        painter.drawText(map.Rect(box), text, WrapOption());
        painter.restore();
        break;
      }
      case TReportBand::TElement::kPicture: {
        if (e.picture.isNull() || box.isEmpty()) break;
        const QSizeF fitted = QSizeF(e.picture.size()).scaled(box.size(), Qt::KeepAspectRatio);
        const QRectF target(box.left() + (box.width() - fitted.width()) / 2,
                            box.top() + (box.height() - fitted.height()) / 2, fitted.width(),
                            fitted.height());
        painter.drawPixmap(map.Rect(target), e.picture, QRectF(e.picture.rect()));
        break;
      }
    }
  }
  painter.restore();
}

}  // namespace

TReportBand::TElement* TReportBand::Find(const QString& element_name) {
  for (TElement& e : elements_) {
    if (!element_name.isEmpty() && e.name.compare(element_name, Qt::CaseInsensitive) == 0) return &e;
  }
  return nullptr;
}

void TReportBand::AddLabel(QPoint pos, const QString& text, const QFont& font) {
  TElement e;
  e.kind = TElement::kLabel;
  e.box = QRect(pos, QSize());
  e.text = text;
  e.font = font;
  elements_.push_back(std::move(e));
}

void TReportBand::AddFieldText(const QString& element_name, QPoint pos, const QString& field_name,
                               const QFont& font, std::function<void(QString& text)> on_print) {
  TElement e;
  e.kind = TElement::kFieldText;
  e.name = element_name;
  e.box = QRect(pos, QSize());
  e.field = field_name;
  e.font = font;
  e.on_print = std::move(on_print);
  elements_.push_back(std::move(e));
}

void TReportBand::AddFieldMemo(const QString& element_name, QRect box, const QString& field_name,
                               const QFont& font) {
  TElement e;
  e.kind = TElement::kFieldMemo;
  e.name = element_name;
  e.box = box;
  e.field = field_name;
  e.font = font;
  elements_.push_back(std::move(e));
}

void TReportBand::AddPicture(const QString& element_name, QRect box) {
  TElement e;
  e.kind = TElement::kPicture;
  e.name = element_name;
  e.box = box;
  elements_.push_back(std::move(e));
}

void TReportBand::SetPicture(const QString& element_name, const QPixmap& picture) {
  if (TElement* e = Find(element_name)) e->picture = picture;
}

void TReportBand::BindField(const QString& element_name, const QString& field_name) {
  if (TElement* e = Find(element_name)) e->field = field_name;
}

TReport::TReport(QObject* parent) : QObject(parent) {}
TReport::~TReport() = default;

void TReport::SetDataSet(tinydb::TTDEDataSet* data_set) { data_set_ = data_set; }
TReportPage& TReport::Page() { return page_; }
TReportBand& TReport::TitleBand() { return title_; }
TReportBand& TReport::DetailBand() { return detail_; }

QSizeF TReport::PaperPixels(const QPageSize& paper) const {
  // Millimetres: the standard papers' exact sizes (inches are rounded).
  const QSizeF mm = paper.size(QPageSize::Millimeter);
  QSizeF pixels(MmToPixels(mm.width()), MmToPixels(mm.height()));
  if (page_.orientation == QPageLayout::Landscape) pixels.transpose();
  return pixels;
}

namespace {

// The margin before the band area on one side of the sheet: the layout's
// |before|, less half of what a |sheet| too short for |before| + |area| +
// |after| lacks, but not less than the printer's |least|.
double LeadingMargin(double before, double area, double after, double sheet, double least) {
  const double shortfall = before + area + after - sheet;
  return std::max(shortfall > 0 ? before - shortfall / 2 : before, least);
}

double PixelsToMm(double pixels) { return pixels / kBandPixelsPerInch * kMillimetresPerInch; }

}  // namespace

TReport::TSheetPlan TReport::PlanSheet(const QPrinter& printer) const {
  TSheetPlan plan;
  plan.paper = printer.pageLayout().pageSize();
  if (!plan.paper.isValid()) plan.paper = QPageSize(page_.paper);
  QPageLayout printable = printer.pageLayout();
  printable.setUnits(QPageLayout::Millimeter);
  plan.least_mm = printable.minimumMargins();
  const QMarginsF& least = plan.least_mm;

  const QSizeF design = PaperPixels(QPageSize(page_.paper));
  const double left = MmToPixels(page_.left_mm), right = MmToPixels(page_.right_mm);
  const double top = MmToPixels(page_.top_mm), bottom = MmToPixels(page_.bottom_mm);
  plan.width = design.width() - left - right;
  const double area_height = design.height() - top - bottom;

  const QSizeF sheet = PaperPixels(plan.paper);
  plan.left = LeadingMargin(left, plan.width, right, sheet.width(), MmToPixels(least.left()));
  plan.top = LeadingMargin(top, area_height, bottom, sheet.height(), MmToPixels(least.top()));
  const double below = std::max(MmToPixels(least.bottom()), bottom - std::max(0.0, top - plan.top));
  plan.height = std::max(0.0, std::min(area_height, sheet.height() - plan.top - below));
  plan.margins_mm = QMarginsF(PixelsToMm(plan.left), PixelsToMm(plan.top),
                              PixelsToMm(std::max(0.0, sheet.width() - plan.left - plan.width)),
                              PixelsToMm(std::max(0.0, sheet.height() - plan.top - plan.height)));
  return plan;
}

void TReport::Walk(double usable, const std::function<void(int sheet, const TPlacedBand& band)>& visit) {
  int sheet = 0;
  int top = 0;
  bool sheet_used = false;
  if (title_.height > 0) {
    visit(0, {QStringLiteral("title"), -1, 0});
    top = title_.height;
    sheet_used = true;
  }
  if (data_set_ == nullptr) return;
  int record = 0;
  for (data_set_->GoFirst(); !data_set_->AtEnd(); data_set_->GoNext(), ++record) {
    if (sheet_used && top + detail_.height > usable + kFitSlack) {
      ++sheet;
      top = 0;
    }
    visit(sheet, {QStringLiteral("detail"), record, top});
    top += detail_.height;
    sheet_used = true;
  }
}

std::vector<std::vector<TReport::TPlacedBand>> TReport::Layout() {
  std::vector<std::vector<TPlacedBand>> sheets;
  Walk(PlanSheet(Printer()).height, [&sheets](int sheet, const TPlacedBand& band) {
    if (sheet >= static_cast<int>(sheets.size())) sheets.resize(static_cast<size_t>(sheet) + 1);
    sheets[static_cast<size_t>(sheet)].push_back(band);
  });
  return sheets;
}

void TReport::PaintOn(QPrinter* printer) { Paint(printer, 1, {}); }

void TReport::Paint(QPrinter* printer, int copies, const std::function<bool(int, int)>& on_sheet) {
  if (printer == nullptr) return;
  // The first walk places the bands (and meets an unknown field name
  // before anything is painted); the second paints them.
  for (TReportBand* band : {&title_, &detail_}) {
    for (const TReportBand::TElement& e : band->Elements()) {
      if (!e.field.isEmpty() && data_set_ != nullptr) data_set_->FieldNamed(e.field.toStdString());
    }
  }
  const TSheetPlan plan = PlanSheet(*printer);
  int sheet_count = 0;
  Walk(plan.height, [&sheet_count](int sheet, const TPlacedBand&) { sheet_count = std::max(sheet_count, sheet + 1); });
  int first = 0;
  int last = sheet_count - 1;
  if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
    first = printer->fromPage() - 1;
    if (printer->toPage() > 0) last = std::min(last, printer->toPage() - 1);
  }
  if (first > last) return;
  copies = std::max(1, copies);
  const int to_paint = (last - first + 1) * copies;

  // The whole sheet is the painting area (origin at the paper's corner);
  // the margins are kept by the placement below.
  printer->setPageLayout(QPageLayout(plan.paper, page_.orientation, plan.margins_mm, QPageLayout::Millimeter,
                                     plan.least_mm));
  printer->setFullPage(true);

  QPainter painter;
  if (!painter.begin(printer)) return;
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);

  TDeviceMap map;
  map.sx = printer->logicalDpiX() / kBandPixelsPerInch;
  map.sy = printer->logicalDpiY() / kBandPixelsPerInch;
  map.origin = QPointF(plan.left * map.sx, plan.top * map.sy);
  const double width = plan.width;

  int painted = 0;  // sheets begun so far, over every copy
  bool stopped = false;
  for (int copy = 0; copy < copies && !stopped; ++copy) {
    int current = -1;  // the sheet being painted in this copy
    Walk(plan.height, [&](int sheet, const TPlacedBand& placed) {
      if (stopped || sheet < first || sheet > last) return;
      if (sheet != current) {
        if (on_sheet) {
          // The progress display runs events, and a handler may move the
          // cursor: the walk goes on from its own record.
          const std::optional<int32_t> mark = data_set_->SaveBookmark();
          const bool go_on = on_sheet(painted, to_paint);
          if (mark) data_set_->ReturnToBookmark(*mark);
          if (!go_on) {
            stopped = true;
            return;
          }
        }
        if (painted > 0) printer->newPage();
        ++painted;
        current = sheet;
      }
      TReportBand& band = placed.record < 0 ? title_ : detail_;
      PaintBand(painter, band, data_set_, map, placed.top, width);
    });
  }
  if (stopped) {
    printer->abort();
  }
  painter.end();
}

QPrinter& TReport::Printer() {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setPageSize(QPageSize(page_.paper));
  }
  return *printer_;
}

bool TReport::PrinterSetup() { return Platform().PrinterSetup(Printer()); }

void TReport::Print() {
  QPrinter& printer = Printer();
  if (printer.outputFormat() == QPrinter::PdfFormat) {
    const QString file = Platform().SaveFileName(QStringLiteral("PDF files|*.pdf"));
    if (file.isEmpty()) return;
    printer.setOutputFileName(file);
  }
  // A printer that makes no copies of its own gets the whole report again
  // for every copy.
  const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
  QProgressDialog progress(QStringLiteral("Printing..."), QStringLiteral("Cancel"), 0, 1);
  progress.setWindowTitle(QStringLiteral("Printing"));
  progress.setWindowModality(Qt::ApplicationModal);
  progress.setMinimumDuration(0);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  Paint(&printer, copies, [&progress](int n, int m) {
    progress.setMaximum(m);
    progress.setValue(n);
    progress.setLabelText(QStringLiteral("Printing page %1 of %2").arg(n + 1).arg(m));
    QCoreApplication::processEvents();
    return !progress.wasCanceled();
  });
  progress.close();
}

void TReport::Preview() {
  Platform().ShowPreview(Printer(), [this](QPrinter* p) { PaintOn(p); });
}

}  // namespace zestoria
