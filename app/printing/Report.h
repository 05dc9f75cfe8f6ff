// A banded report bound to a data set: a title band printed once, then a
// detail band per record of the data set in the cursor's order and filter,
// laid out on sheets of the page set-up and painted with QPainter on a
// QPrinter (printer, PDF file or print preview alike).
#pragma once

#include <QFont>
#include <QMarginsF>
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

// Page set-up of a report: paper, orientation, margins in millimetres,
// columns. The paper is the one the layout was made for and the one the
// report's printer starts with; the band area is that paper less the
// margins. On the printer's own paper the band area keeps its size (so
// the elements keep theirs and a sheet holds as many bands): a paper too
// narrow or too short for it and the margins takes the shortfall from the
// two margins of that side alike, down to the printer's minimum margins.
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

  // Where every band lands on the paper of Printer(): per sheet, the bands
  // with kind ("title" / "detail"), record number (0-based, -1 for the
  // title) and top in pixels below the top margin.
  struct TPlacedBand {
    QString kind;
    int record = -1;
    int top = 0;
  };
  std::vector<std::vector<TPlacedBand>> Layout();
  // Paints every sheet (or the printer's page range) on |printer|, on its
  // paper, in portrait; the one routine behind print, preview and tests.
  void PaintOn(QPrinter* printer);

  // Where the band area lies on a sheet of a printer's paper.
  struct TSheetPlan {
    QPageSize paper;
    QMarginsF margins_mm;  // left, top, right, bottom
    QMarginsF least_mm;    // the printer's minimum margins
    double left = 0, top = 0;  // band pixels from the paper's corner
    double width = 0;          // of a band
    double height = 0;         // from the top margin down to the bottom one
  };
  TSheetPlan PlanSheet(const QPrinter& printer) const;

  // The report engine's printer (the printer setup's choice of printer and
  // paper, copies, page range); it starts on Page().paper.
  QPrinter& Printer();
  // Printer setup through Platform().PrinterSetup(Printer()); false when cancelled.
  bool PrinterSetup();
  // Prints on Printer() with a progress display; the PDF printer asks
  // Platform().SaveFileName for the file first (cancel = nothing printed).
  void Print();
  // Platform().ShowPreview(Printer(), [this](QPrinter* p) { PaintOn(p); }).
  void Preview();

 private:
  // |paper| in band pixels, in the page set-up's orientation.
  QSizeF PaperPixels(const QPageSize& paper) const;
  // Walks the data set and places the bands on sheets whose band area is
  // |height| band pixels high; |visit| is called for every band with the
  // cursor on its record. Layout and painting both use it.
  void Walk(double height, const std::function<void(int sheet, const TPlacedBand& band)>& visit);
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
