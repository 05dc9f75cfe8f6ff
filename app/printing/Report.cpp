#include "printing/Report.h"

#include "shell/Platform.h"
#include "tables/DataSet.h"

namespace zestoria {

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

std::vector<std::vector<TReport::TPlacedBand>> TReport::Layout() { return {}; }
void TReport::PaintOn(QPrinter* printer) { Paint(printer, {}); }
void TReport::Paint(QPrinter*, const std::function<bool(int, int)>&) {}

QPrinter& TReport::Printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}
bool TReport::PrinterSetup() { return Platform().PrinterSetup(Printer()); }
void TReport::Print() {}
void TReport::Preview() {
  Platform().ShowPreview(Printer(), [this](QPrinter* p) { PaintOn(p); });
}

}  // namespace zestoria
