// A banded report bound to a data set: a title band printed once, then a
// detail band per record of the data set in the cursor's order and filter,
// laid out on sheets of the page set-up and painted with QPainter on a
// QPrinter (printer, PDF file or print preview alike).
#pragma once

#include <QFont>
#include <QObject>
#include <QPageLayout>
#include <QPageSize>
#include <QPixmap>
#include <QPoint>
#include <QPrinter>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace tinydb {
class TTDEDataSet;
}

namespace zestoria {

// Page set-up of a report: paper, orientation, margins in millimetres, columns.
struct TReportPage {
  QPageSize::PageSizeId paper = QPageSize::Letter;
  QPageLayout::Orientation orientation = QPageLayout::Portrait;
  double left_mm = 12.7, top_mm = 12.7, right_mm = 12.7, bottom_mm = 12.7;
  int columns = 1;
};

// Elements are placed in band pixels (1/96 inch) relative to the band's
// top left corner.
class TReportBand {
 public:
  int height = 0;  // pixels; settable any time before printing
  bool line_top = false, line_bottom = false;  // black line along the edge

  // Static label: fitted to its text, wraps words at the band's right edge.
  void AddLabel(QPoint pos, const QString& text, const QFont& font);
  // Field text: the text of field |field_name| of the current record,
  // fitted, wrapping words. |on_print| (may be empty) is called just before
  // it prints with the text, which it may replace.
  void AddFieldText(const QString& element_name, QPoint pos, const QString& field_name,
                    const QFont& font, std::function<void(QString& text)> on_print = {});
  // Field memo: the field's text wrapped within the fixed box (clipped to it).
  void AddFieldMemo(const QString& element_name, QRect box, const QString& field_name,
                    const QFont& font);
  // Picture scaled into |box| keeping its aspect ratio; its pixmap can be
  // set at any time, also from an on_print hook during printing.
  void AddPicture(const QString& element_name, QRect box);
  void SetPicture(const QString& element_name, const QPixmap& picture);
  // Re-binds a field element (text or memo) to another field name.
  void BindField(const QString& element_name, const QString& field_name);
  // Element order is paint order (a field text added before a picture is
  // painted first).

  // One element of the band, in paint order.
  struct TElement {
    enum TKind { kLabel, kFieldText, kFieldMemo, kPicture } kind = kLabel;
    QString name;
    QRect box;  // top left = position; size for memos and pictures
    QString text;   // label text
    QString field;  // bound field name
    QFont font;
    std::function<void(QString& text)> on_print;
    QPixmap picture;
  };
  const std::vector<TElement>& Elements() const { return elements_; }

 private:
  TElement* Find(const QString& element_name);
  std::vector<TElement> elements_;
};

class TReport : public QObject {
 public:
  explicit TReport(QObject* parent = nullptr);
  ~TReport() override;

  // The records: First, then Next until Eof, in the cursor's order and filter.
  void SetDataSet(tinydb::TTDEDataSet* data_set);
  TReportPage& Page();
  TReportBand& TitleBand();   // printed once at the start (height 0 = nothing)
  TReportBand& DetailBand();  // printed once per record; a band that does not fit starts a new sheet

  // Where every band lands: per sheet, the bands with kind ("title" /
  // "detail"), record number (0-based, -1 for the title) and top in pixels
  // below the top margin.
  struct TPlacedBand {
    QString kind;
    int record = -1;
    int top = 0;
  };
  std::vector<std::vector<TPlacedBand>> Layout();
  // Paints every sheet (or the printer's page range) on |printer|; the one
  // routine behind print, preview and tests.
  void PaintOn(QPrinter* printer);

  // The report engine's printer (the printer setup's choice, copies, page range).
  QPrinter& Printer();
  // Printer setup through Platform().PrinterSetup(Printer()); false when cancelled.
  bool PrinterSetup();
  // Prints on Printer() with a progress display; the PDF printer asks
  // Platform().SaveFileName for the file first (cancel = nothing printed).
  void Print();
  // Platform().ShowPreview(Printer(), [this](QPrinter* p) { PaintOn(p); }).
  void Preview();

 private:
  // The paper, the band width and the height below the top margin down to
  // the bottom margin, in band pixels.
  QSizeF PaperPixels() const;
  double BandWidth() const;
  double UsableHeight() const;
  // Walks the data set and places the bands; |visit| is called for every
  // band with the cursor on its record. Layout and painting both use it.
  void Walk(const std::function<void(int sheet, const TPlacedBand& band)>& visit);
  // Paints the printer's range of sheets |copies| times over on |printer|;
  // |on_sheet| (may be empty) is told before each sheet (number among
  // those painted, count) and returns false to stop (the job is aborted).
  void Paint(QPrinter* printer, int copies, const std::function<bool(int, int)>& on_sheet);

  tinydb::TTDEDataSet* data_set_ = nullptr;
  TReportPage page_;
  TReportBand title_;
  TReportBand detail_;
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace zestoria
