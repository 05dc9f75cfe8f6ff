// The report engine on a small catalogue: how the bands fall on the sheets,
// the sheets a PDF gets from painting, printing and the preview, and what a
// field text's print hook changes in its band.
#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/catalogue/CatalogueTestKit.h"
#include "catalogue/DrinkCatalogue.h"
#include "printing/Report.h"
#include "support/PdfPages.h"
#include "support/ScriptedPlatform.h"
#include "tables/Table.h"

namespace zestoria::test {
namespace {

// True when two colours differ by at most a little in every channel (the
// PDF's image encoding may shift a channel by one or two).
bool Near(const QColor& a, const QColor& b) {
  return std::abs(a.red() - b.red()) <= 8 && std::abs(a.green() - b.green()) <= 8 &&
         std::abs(a.blue() - b.blue()) <= 8;
}

class ReportTest : public ::testing::Test {
 protected:
  // A catalogue of |count| drinks with ids 1..count, named "Drink <id>".
  void Fill(int count) {
    catalogue.OpenImage(tinydb::BuildDatabaseImage(CatalogueSettings(), {DrinksTableDefinition()}),
                        folder.Path("unused.tdb"));
    catalogue.SetNextDrinkId(1);
    for (int i = 1; i <= count; ++i) {
      catalogue.InsertDrink(SampleDrink("Drink " + std::to_string(i), i % 27), false);
    }
    report.SetDataSet(&catalogue.DrinkTable());
  }
  QString PdfPath(const QString& name) const { return QDir(dir.path()).filePath(name); }
  // Paints the report into a new PDF on Letter paper and returns its path.
  QString PaintPdf(const QString& name) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setOutputFileName(PdfPath(name));
    report.PaintOn(&printer);
    return PdfPath(name);
  }

  tinydb::test::TTempDir folder;
  QTemporaryDir dir;
  TDrinkCatalogue catalogue;
  TReport report;
  TScriptedPlatform platform;
};

// Detail bands per sheet for the two page set-ups of the recipe layouts.
TEST_F(ReportTest, BandsFillSheetsAndTheTitleTakesRoomOnTheFirst) {
  struct TCase {
    double top_mm;
    int band, title, records;
    std::vector<int> per_sheet;
  };
  const std::vector<TCase> cases = {
      {12.7, 192, 0, 12, {5, 5, 2}},   // 960 px usable: five 2-inch bands
      {12.7, 192, 384, 8, {3, 5}},     // two rows skipped
      {12.7, 192, 768, 2, {1, 1}},     // four rows skipped
      {26.67, 288, 0, 7, {3, 3, 1}},   // 907 px usable: three 3-inch cards
      {26.67, 288, 290, 5, {2, 3}},    // one card skipped
      {26.67, 288, 576, 2, {1, 1}},    // two cards skipped
  };
  Fill(12);
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.top_mm << " mm, title " << c.title);
    report.Page().top_mm = c.top_mm;
    report.DetailBand().height = c.band;
    report.TitleBand().height = c.title;
    catalogue.DrinkTable().SetFiltered(false);
    catalogue.DrinkTable().SetFilter("id <= " + std::to_string(c.records));
    catalogue.DrinkTable().SetFiltered(true);

    const auto sheets = report.Layout();
    std::vector<int> per_sheet;
    int next_record = 0;
    for (size_t s = 0; s < sheets.size(); ++s) {
      int details = 0;
      int top = 0;
      for (const auto& band : sheets[s]) {
        if (band.kind == QStringLiteral("title")) {
          EXPECT_EQ(band.record, -1);
          EXPECT_EQ(s, 0u);
          EXPECT_EQ(band.top, 0);
          top = c.title;
          continue;
        }
        EXPECT_EQ(band.record, next_record++);
        EXPECT_EQ(band.top, top);
        top += c.band;
        ++details;
      }
      per_sheet.push_back(details);
    }
    EXPECT_EQ(per_sheet, c.per_sheet);
    EXPECT_EQ(PaintPdf(QStringLiteral("layout.pdf")).isEmpty(), false);
    EXPECT_EQ(PdfPageCount(PdfPath(QStringLiteral("layout.pdf"))), static_cast<int>(c.per_sheet.size()));
  }
}

// The band area keeps its size on every paper the printer may hold: the
// margins give way (alike on both sides) only where the paper is too small
// for them, and never below the printer's least margins; Letter is the
// printer's paper until it is set otherwise.
TEST_F(ReportTest, TheBandAreaKeepsItsSizeOnThePrintersPaper) {
  struct TCase {
    QPageSize::PageSizeId paper;
    double top_mm;
    int band;
    double left, top, height;  // band pixels
    int per_sheet;
  };
  const double cards_top = 26.67 / 25.4 * 96;
  const double a4_side = (210 / 25.4 * 96 - 720) / 2;
  const std::vector<TCase> cases = {
      {QPageSize::Letter, 12.7, 192, 48, 48, 960, 5},
      {QPageSize::A4, 12.7, 192, a4_side, 48, 960, 5},
      {QPageSize::Legal, 12.7, 192, 48, 48, 960, 5},  // taller: still five
      {QPageSize::A4, 26.67, 288, a4_side, cards_top, 907.2, 3},
      {QPageSize::A5, 12.7, 192, 0, 0, 210 / 25.4 * 96, 4},  // too small: down to no margins at all
  };
  EXPECT_EQ(report.Printer().pageLayout().pageSize().id(), QPageSize::Letter);
  Fill(10);
  for (const TCase& c : cases) {
    SCOPED_TRACE(QPageSize(c.paper).name().toStdString() + " " + std::to_string(c.top_mm));
    report.Page().top_mm = c.top_mm;
    report.DetailBand().height = c.band;
    report.Printer().setPageSize(QPageSize(c.paper));
    const TReport::TSheetPlan plan = report.PlanSheet(report.Printer());
    EXPECT_EQ(plan.paper.id(), c.paper);
    EXPECT_NEAR(plan.width, 720, 0.01);
    EXPECT_NEAR(plan.left, c.left, 0.01);
    EXPECT_NEAR(plan.top, c.top, 0.01);
    EXPECT_NEAR(plan.height, c.height, 0.1);
    EXPECT_EQ(report.Layout().front().size(), static_cast<size_t>(std::min(c.per_sheet, 10)));
  }
}

// Print asks for the PDF file first, honours the page range and copies;
// the preview paints the same sheets.
TEST_F(ReportTest, PrintAndPreviewProduceTheLaidOutSheets) {
  Fill(11);  // three sheets of five bands
  report.DetailBand().height = 192;
  report.Printer().setOutputFormat(QPrinter::PdfFormat);

  report.Print();  // the file dialog is cancelled: nothing prints
  EXPECT_EQ(platform.save_filters, QStringList{QStringLiteral("PDF files|*.pdf")});

  struct TCase {
    int from, to, copies, pages;
  };
  const bool printer_copies = report.Printer().supportsMultipleCopies();
  for (const TCase& c : std::vector<TCase>{{0, 0, 1, 3}, {2, 3, 1, 2}, {3, 9, 1, 1}, {1, 1, 2, 2}}) {
    SCOPED_TRACE(testing::Message() << c.from << ".." << c.to << " x" << c.copies);
    const QString path = PdfPath(QStringLiteral("print%1%2%3.pdf").arg(c.from).arg(c.to).arg(c.copies));
    platform.save_file_names.push_back(path);
    report.Printer().setPrintRange(c.from == 0 ? QPrinter::AllPages : QPrinter::PageRange);
    report.Printer().setFromTo(c.from, c.to);
    report.Printer().setCopyCount(c.copies);
    report.Print();
    EXPECT_EQ(PdfPageCount(path), printer_copies ? c.pages / c.copies : c.pages);
  }

  report.Printer().setPrintRange(QPrinter::AllPages);
  report.Printer().setFromTo(0, 0);
  report.Printer().setCopyCount(1);
  report.Preview();
  EXPECT_EQ(platform.previews, 1);
  EXPECT_EQ(PdfPageCount(platform.last_preview_pdf), 3);
  EXPECT_TRUE(catalogue.DrinkTable().AtEnd());  // the walk leaves the cursor at the end
}

// A field text's hook sees the record's text and replaces it; a picture it
// sets prints in the same band. Checked on the rendered sheet.
TEST_F(ReportTest, PrintHookReplacesTextAndSetsThePictureOfItsOwnBand) {
  // The set-up installs both (package poppler-utils).
  const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
  const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  ASSERT_FALSE(pdftoppm.isEmpty()) << "pdftoppm is not installed (package poppler-utils)";
  ASSERT_FALSE(pdftotext.isEmpty()) << "pdftotext is not installed (package poppler-utils)";
  Fill(3);
  const std::vector<QColor> colours = {Qt::red, Qt::green, Qt::blue};
  TReportBand& band = report.DetailBand();
  band.height = 192;
  band.line_top = band.line_bottom = true;
  QStringList seen;
  band.AddFieldText(QStringLiteral("Name"), QPoint(8, 8), QStringLiteral("comment"), QFont(QStringLiteral("Arial"), 10),
                    [&](QString& text) {
                      seen << text;
                      QPixmap colour(10, 20);
                      colour.fill(colours[static_cast<size_t>(seen.size() - 1) % colours.size()]);
                      report.DetailBand().SetPicture(QStringLiteral("Glass"), colour);
                      text = QStringLiteral("Printed ") + text;
                    });
  band.AddPicture(QStringLiteral("Glass"), QRect(16, 80, 105, 105));
  band.AddFieldMemo(QStringLiteral("Ingred"), QRect(192, 24, 225, 161), QStringLiteral("ingred"),
                    QFont(QStringLiteral("Arial"), 8));

  const QString pdf = PaintPdf(QStringLiteral("hook.pdf"));
  EXPECT_EQ(seen, (QStringList{QStringLiteral("About Drink 1"), QStringLiteral("About Drink 2"),
                               QStringLiteral("About Drink 3")}));

  // 48 dpi: half a band pixel per device pixel, 24 px margins.
  ASSERT_EQ(QProcess::execute(pdftoppm, {QStringLiteral("-r"), QStringLiteral("48"), pdf, PdfPath(QStringLiteral("hook"))}), 0);
  const QImage sheet(PdfPath(QStringLiteral("hook-1.ppm")));
  ASSERT_FALSE(sheet.isNull());
  for (int r = 0; r < 3; ++r) {
    SCOPED_TRACE(r);
    // The 10 x 20 picture, scaled up keeping its shape, stands in the
    // middle of its 105-px box.
    const QPoint centre((48 + 16 + 52) / 2, (48 + r * 192 + 80 + 52) / 2);
    EXPECT_TRUE(Near(sheet.pixelColor(centre), colours[static_cast<size_t>(r)])) << sheet.pixelColor(centre).name().toStdString();
    const QPoint beside((48 + 16 + 10) / 2, centre.y());  // left of the narrow picture
    EXPECT_TRUE(Near(sheet.pixelColor(beside), Qt::white));
    // The line along the band's top edge.
    EXPECT_LT(qGray(sheet.pixel((48 + 300) / 2, (48 + r * 192) / 2)), 200);
  }

  QProcess text;
  text.start(pdftotext, {pdf, QStringLiteral("-")});
  ASSERT_TRUE(text.waitForFinished(20000));
  const QString words = QString::fromUtf8(text.readAllStandardOutput());
  EXPECT_TRUE(words.contains(QStringLiteral("Printed About Drink 2"))) << words.toStdString();
  EXPECT_TRUE(words.contains(QStringLiteral("1 oz Drink 3"))) << words.toStdString();
}

}  // namespace
}  // namespace zestoria::test
