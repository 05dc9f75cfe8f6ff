// The print commands, the print dialog and the two recipe layouts, on the
// main window's small catalogue with a scripted platform: what is selected,
// how the bands fall on the sheets, and the table's filter state after.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QPageSize>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>

#include "app/catalogue/MainFormFixture.h"
#include "catalogue/ListItem.h"
#include "catalogue/Vocabularies.h"
#include "printing/PrintDialogForm.h"
#include "printing/RecipeLayouts.h"
#include "shell/Pictures.h"
#include "tables/Fields.h"
#include "support/PdfPages.h"
#include "tables/Table.h"

namespace zestoria::test {
namespace {

// The detail bands per sheet and the title band's height of a layout.
std::vector<int> DetailsPerSheet(TReport& report) {
  std::vector<int> counts;
  for (const auto& sheet : report.Layout()) {
    int details = 0;
    for (const auto& band : sheet) details += band.kind == QStringLiteral("detail") ? 1 : 0;
    counts.push_back(details);
  }
  return counts;
}

class PrintDialogTest : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    form->createPrintDialog();
    dialog = WindowUi().ThePrintDialog;
    ASSERT_NE(dialog, nullptr);
    dialog->modal_hook = [this](TThePrintDialog& d) {
      ++shown;
      shownScope = WindowUi().printScope;
      if (user) user(d);
    };
  }

  tinydb::TTinyTable& Table() { return form->catalogue().DrinkTable(); }

  // Adds |count| more drinks to the catalogue and the list.
  void AddDrinks(int count) {
    for (int i = 0; i < count; ++i) {
      Recipe().insertDrink(SampleDrink("Extra " + std::to_string(i), 4), true, false);
    }
  }
  // The row of the list item of drink |id|.
  int RowOf(int32_t id) const {
    const std::vector<int32_t> ids = ListedIds();
    for (size_t i = 0; i < ids.size(); ++i) {
      if (ids[i] == id) return static_cast<int>(i);
    }
    return -1;
  }
  // Chooses the layout and starting row in the dialog as a user would.
  void Choose(bool full_page, int row) {
    (full_page ? dialog->PageTypeFull : dialog->PageTypeCards)->click();
    (full_page ? dialog->FullPageRows[row - 1] : dialog->IndexCardRows[row - 1])->click();
  }
  // Adds a probe to both layouts' detail bands that records, as each band
  // prints, the drink's id and whether the band's picture is |glass|'s.
  void AddProbe() {
    for (TReport* report : {&dialog->Layout1(), &dialog->Layout2()}) {
      const QString image = report == &dialog->Layout1() ? kFullImage : kCardImage;
      report->DetailBand().AddFieldText(
          QStringLiteral("Probe"), {0, 0}, QStringLiteral("id"), QFont(),
          [this, report, image](QString& text) {
            printedIds.push_back(text.toInt());
            QImage picture;
            for (const auto& e : report->DetailBand().Elements()) {
              if (e.name == image) picture = e.picture.toImage();
            }
            printedPictures.push_back(picture);
            text.clear();
          });
    }
  }
  // A PDF path for the next Print.
  QString NextPdf() {
    const QString path = pdfDir.filePath(QStringLiteral("print%1.pdf").arg(++pdfs));
    platform.save_file_names.push_back(path);
    return path;
  }

  TThePrintDialog* dialog = nullptr;
  std::function<void(TThePrintDialog&)> user;  // acts in the shown dialog
  int shown = 0;
  TPrintScope shownScope = TPrintScope::None;
  std::vector<int> printedIds;
  std::vector<QImage> printedPictures;
  QTemporaryDir pdfDir;
  int pdfs = 0;
};

TEST_F(PrintDialogTest, CommandsSetTheScopeOrWarnWithoutPrinters) {
  struct TCase {
    QAction* action;
    void (TMainForm::*pop)();
    TPrintScope scope;
  };
  const TMainForm::TestAccess ui = WindowUi();
  const TCase cases[] = {{ui.MenuPrintDrink, &TMainForm::PopPrintDrinkClick, TPrintScope::Drink},
                         {ui.MenuPrintList, &TMainForm::PopPrintListClick, TPrintScope::List},
                         {ui.MenuPrintMarked, &TMainForm::PopPrintMarkedClick, TPrintScope::Marked}};
  ClickRow(0);
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.scope));
    for (int via_menu = 0; via_menu < 2; ++via_menu) {
      shown = 0;
      platform.log.clear();
      platform.printers = {QStringLiteral("Save as PDF")};
      if (via_menu) {
        c.action->trigger();
      } else {
        (form.get()->*c.pop)();
      }
      EXPECT_EQ(shown, 1);
      EXPECT_EQ(shownScope, c.scope);
      EXPECT_TRUE(platform.log.empty());

      platform.printers.clear();
      WindowUi().printScope = TPrintScope::None;
      if (via_menu) {
        c.action->trigger();
      } else {
        (form.get()->*c.pop)();
      }
      EXPECT_EQ(shown, 1);
      EXPECT_EQ(WindowUi().printScope, TPrintScope::None);
      EXPECT_EQ(platform.Messages(QStringLiteral("Warning")),
                QStringList(QStringLiteral("No Printers are Installed")));
    }
  }
  // The print button's menu runs the same commands.
  EXPECT_EQ(WindowUi().PopPrintMenu->actions().size(), 3);
  WindowUi().PopPrintMenu->actions().at(2)->trigger();
  EXPECT_EQ(shown, 0 + 1) << "no printer: the dialog stays closed";
}

TEST_F(PrintDialogTest, WithAnEmptyListPrintDrinkAndPrintListDoNothing) {
  RecipeUi().ListBox->clear();
  form->MenuPrintDrinkClick();
  form->MenuPrintListClick();
  EXPECT_EQ(shown, 0);
  EXPECT_TRUE(platform.log.empty());
}

TEST_F(PrintDialogTest, PageTypeSwitchesTheRowGroupsAndChoicesStay) {
  EXPECT_TRUE(dialog->FullPageChosen());
  EXPECT_EQ(dialog->FullPageRow(), 1);
  EXPECT_EQ(dialog->IndexCardRow(), 1);
  EXPECT_TRUE(dialog->FullPage->isEnabled());
  EXPECT_FALSE(dialog->IndexCard->isEnabled());
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Print"));
  EXPECT_EQ(dialog->size(), QSize(352, 267));

  Choose(false, 3);
  EXPECT_FALSE(dialog->FullPage->isEnabled());
  EXPECT_TRUE(dialog->IndexCard->isEnabled());
  dialog->ButtonPrintSetupClick();
  EXPECT_EQ(platform.printer_setups, 1);

  // Cancel closes; the choices are there at the next showing.
  user = [](TThePrintDialog& d) { d.CancelBtn->click(); };
  ClickRow(0);
  form->MenuPrintDrinkClick();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_FALSE(dialog->FullPageChosen());
  EXPECT_EQ(dialog->IndexCardRow(), 3);
  Choose(true, 1);
  EXPECT_TRUE(dialog->FullPage->isEnabled());
  EXPECT_FALSE(dialog->IndexCard->isEnabled());
}

// Ten drinks from each starting row: the title band pushes the first
// sheet's recipes down; later sheets are full. Preview and print agree.
TEST_F(PrintDialogTest, StartingRowSkipsBandsOnTheFirstSheet) {
  AddDrinks(4);
  ASSERT_EQ(RecipeUi().ListBox->count(), 10);
  struct TCase {
    bool full_page;
    int row;
    int title_height;
    std::vector<int> details;
  };
  const TCase cases[] = {{true, 1, 0, {5, 5}},      {true, 3, 384, {3, 5, 2}},
                         {true, 5, 768, {1, 5, 4}}, {false, 1, 0, {3, 3, 3, 1}},
                         {false, 2, 290, {2, 3, 3, 2}}, {false, 3, 576, {1, 3, 3, 3}}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.full_page ? "full page row " : "cards row ") << c.row);
    user = [&](TThePrintDialog& d) {
      Choose(c.full_page, c.row);
      d.PrintPreview->click();
      EXPECT_TRUE(d.isVisible()) << "Preview leaves the dialog open";
      const QString pdf = NextPdf();
      d.ButtonPrint->click();
      EXPECT_FALSE(d.isVisible()) << "Print closes the dialog";
      EXPECT_EQ(PdfPageCount(pdf), static_cast<int>(c.details.size()));
    };
    form->MenuPrintListClick();
    EXPECT_EQ(PdfPageCount(platform.last_preview_pdf), static_cast<int>(c.details.size()));

    TReport& layout = c.full_page ? dialog->Layout1() : dialog->Layout2();
    EXPECT_EQ(layout.TitleBand().height, c.title_height);
    EXPECT_FALSE(Table().Filtered());
    Table().SetFiltered(true);  // the state the report printed in
    EXPECT_EQ(DetailsPerSheet(layout), c.details);
    const auto sheets = layout.Layout();
    ASSERT_FALSE(sheets.empty());
    // The first detail band starts below the title band.
    for (const auto& band : sheets[0]) {
      if (band.kind == QStringLiteral("detail")) {
        EXPECT_EQ(band.top, c.title_height);
        break;
      }
    }
    Table().SetFiltered(false);
  }
}

// Print List selects the listed drinks by the id text of their items (the
// blank before the id kept) and prints them in ascending id order.
TEST_F(PrintDialogTest, PrintListSelectsTheListedDrinksInIdOrder) {
  Recipe().fillList("id = 9 OR id = 1 OR id = 3");
  ASSERT_EQ(ListedIds(), (std::vector<int32_t>{3, 1, 9}));
  AddProbe();
  for (bool full_page : {true, false}) {
    SCOPED_TRACE(full_page);
    printedIds.clear();
    user = [&](TThePrintDialog& d) {
      Choose(full_page, 1);
      NextPdf();
      d.ButtonPrint->click();
    };
    form->MenuPrintListClick();
    EXPECT_EQ(printedIds, (std::vector<int>{1, 3, 9}));
    EXPECT_EQ(Table().Filter(), "id =  3 OR id =  1 OR id =  9");
    EXPECT_FALSE(Table().Filtered());
    EXPECT_EQ(ListedIds(), (std::vector<int32_t>{3, 1, 9})) << "the list is not changed";
  }
}

// The dialog switches filtering on with the listing's filter and then sets
// the selection filter: the table must hold exactly the selected drinks,
// not the listing's nor a mix of both.
TEST_F(PrintDialogTest, TheSelectionRefiltersATableFilteredByTheListing) {
  AddDrinks(3);  // ids 11, 12, 13, type 4
  AddProbe();
  struct TCase {
    const char* listing;
    int scope;
    int32_t selected;  // the drink selected for Print Drink
    std::vector<int> printed;
  };
  const TCase cases[] = {{"type = 4", 2, 0, {11, 12, 13}},
                         {"type = 23", 2, 0, {9, 10}},
                         {"type = 4", 1, 12, {12}},
                         {"id > 2", 1, 3, {3}}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.listing);
    Recipe().fillList(c.listing);
    if (c.selected != 0) ClickRow(RowOf(c.selected));
    for (bool full_page : {true, false}) {
      printedIds.clear();
      user = [&](TThePrintDialog& d) {
        Choose(full_page, 1);
        d.PrintPreview->click();
      };
      (form.get()->*(c.scope == 1 ? &TMainForm::MenuPrintDrinkClick : &TMainForm::MenuPrintListClick))();
      EXPECT_EQ(printedIds, c.printed);
      EXPECT_FALSE(Table().Filtered());
    }
  }
}

// Print Drink prints the selected drink, with its own glass name and
// picture; Preview paints the same bands.
TEST_F(PrintDialogTest, PrintDrinkShowsTheDrinksGlassNameAndPicture) {
  TDrink drink = form->catalogue().LoadDrink(1);
  drink.glass = 12;
  Recipe().updateDrink(drink, false);
  AddProbe();
  ClickRow(RowOf(1));
  const QImage sour = GlassPicture(12).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  for (bool full_page : {true, false}) {
    SCOPED_TRACE(full_page);
    printedIds.clear();
    printedPictures.clear();
    user = [&](TThePrintDialog& d) {
      Choose(full_page, 2);
      d.PrintPreview->click();
    };
    form->MenuPrintDrinkClick();
    EXPECT_EQ(printedIds, std::vector<int>{1});
    ASSERT_EQ(printedPictures.size(), 1u);
    EXPECT_EQ(printedPictures[0].copy(0, 0, sour.width(), sour.height())
                  .convertToFormat(QImage::Format_ARGB32_Premultiplied),
              sour);
    EXPECT_EQ(Table().Filter(), "id =  1");
    EXPECT_FALSE(Table().Filtered());
  }
  struct TCase {
    void (TThePrintDialog::*hook)(QString&);
    QString code, name;
  };
  const TCase cases[] = {{&TThePrintDialog::FullGlassPrint, "12", "Sour"},
                         {&TThePrintDialog::FullTypePrint, "23", "Sour"},
                         {&TThePrintDialog::FullSeasonPrint, "2", QString::fromStdString(seasonName(2))}};
  for (const TCase& c : cases) {
    QString text = c.code;
    (dialog->*c.hook)(text);
    EXPECT_EQ(text, c.name);
  }
}

// Print Marked takes every marked drink of the table, also those the list
// does not show; with none marked it warns and prints nothing.
TEST_F(PrintDialogTest, PrintMarkedTakesEveryMarkedDrink) {
  for (int32_t id : {10, 2}) {
    ClickRow(RowOf(id));
    Recipe().markDrink();
  }
  Recipe().fillList("id = 1 OR id = 3");
  AddProbe();
  user = [&](TThePrintDialog& d) {
    Choose(true, 1);
    d.PrintPreview->click();
  };
  form->MenuPrintMarkedClick();
  EXPECT_EQ(printedIds, (std::vector<int>{2, 10}));
  EXPECT_EQ(Table().Filter(), "id = 2 OR id = 10");
  EXPECT_FALSE(Table().Filtered());

  Recipe().MenuUnmarkAllClick();
  Recipe().fillList("id > 2");
  const std::string listing = Table().Filter();
  printedIds.clear();
  const int previews = platform.previews;
  platform.log.clear();
  form->MenuPrintMarkedClick();
  EXPECT_EQ(platform.Messages(QStringLiteral("Warning")),
            QStringList(QStringLiteral("There are no drinks marked")));
  EXPECT_EQ(platform.previews, previews);
  EXPECT_TRUE(printedIds.empty());
  EXPECT_EQ(Table().Filter(), listing);
  EXPECT_FALSE(Table().Filtered());
}

// The marked drinks are found from the table's first record, also with
// filtering off and the table standing past some of them.
TEST_F(PrintDialogTest, MarkedDrinksAreFoundFromTheFirstRecordWhereverTheTableStands) {
  for (int32_t id : {10, 2}) {
    ClickRow(RowOf(id));
    Recipe().markDrink();
  }
  Recipe().fillList("id = 1 OR id = 3");  // leaves the table on drink 3
  ASSERT_FALSE(Table().Filtered());
  ASSERT_EQ(Table().FieldNamed("id")->ReadInteger(), 3);
  const std::string listing = Table().Filter();
  EXPECT_EQ(MarkedDrinksFilter(Table()), "id = 2 OR id = 10");
  EXPECT_EQ(Table().Filter(), listing);
  EXPECT_FALSE(Table().Filtered());

  Recipe().MenuUnmarkAllClick();
  EXPECT_EQ(MarkedDrinksFilter(Table()), "");
}

// The box around every pixel of |sheet| that is not (nearly) white.
QRect InkBox(const QImage& sheet) {
  QRect box;
  for (int y = 0; y < sheet.height(); ++y)
    for (int x = 0; x < sheet.width(); ++x)
      if (qGray(sheet.pixel(x, y)) < 160) box |= QRect(x, y, 1, 1);
  return box;
}

// Letter is the paper until the user's printer set-up picks another. On
// A4 the bands keep their size and number per sheet and sit within the
// sheet: the 720-pixel band (7.5 inches) centred between side margins
// narrower than Letter's 12.7 mm, the layout's top margin kept.
TEST_F(PrintDialogTest, OnA4TheLayoutsKeepTheirBandsAndSitWithinTheSheet) {
  const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
  ASSERT_FALSE(pdftoppm.isEmpty()) << "pdftoppm is not installed (package poppler-utils)";
  AddDrinks(4);
  ASSERT_EQ(RecipeUi().ListBox->count(), 10);
  platform.printer_setup_choice = [](QPrinter& printer) { printer.setPageSize(QPageSize(QPageSize::A4)); };
  const QSizeF letter = QPageSize(QPageSize::Letter).size(QPageSize::Point);
  const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Point);
  // 48 dots an inch: half a band pixel a dot.
  const double a4_side = (a4.width() / 72 * 96 - 720) / 2;
  struct TCase {
    bool full_page;
    bool set_up_a4;
    QSizeF paper;
    std::vector<int> details;
    double left, top;  // band pixels from the paper's corner to the band area
  };
  const TCase cases[] = {{true, false, letter, {5, 5}, 48, 48},
                         {true, true, a4, {5, 5}, a4_side, 48},
                         {false, false, letter, {3, 3, 3, 1}, 48, 26.67 / 25.4 * 96},
                         {false, true, a4, {3, 3, 3, 1}, a4_side, 26.67 / 25.4 * 96}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.full_page ? "full page" : "cards") << (c.set_up_a4 ? " on A4" : ""));
    QString pdf;
    user = [&](TThePrintDialog& d) {
      Choose(c.full_page, 1);
      if (c.set_up_a4) d.ButtonPrintSetup->click();
      pdf = NextPdf();
      d.ButtonPrint->click();
    };
    form->MenuPrintListClick();
    const std::vector<QSizeF> pages = PdfPageSizes(pdf);
    ASSERT_EQ(pages.size(), c.details.size());
    for (const QSizeF& page : pages) {
      EXPECT_NEAR(page.width(), c.paper.width(), 1);
      EXPECT_NEAR(page.height(), c.paper.height(), 1);
    }
    TReport& layout = c.full_page ? dialog->Layout1() : dialog->Layout2();
    Table().SetFiltered(true);  // the state the report printed in
    EXPECT_EQ(DetailsPerSheet(layout), c.details);
    Table().SetFiltered(false);

    const QString prefix = pdf.chopped(4);
    ASSERT_EQ(QProcess::execute(pdftoppm, {QStringLiteral("-r"), QStringLiteral("48"), QStringLiteral("-f"),
                                           QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), pdf, prefix}),
              0);
    const QImage sheet(prefix + QStringLiteral("-1.ppm"));
    ASSERT_FALSE(sheet.isNull());
    EXPECT_NEAR(sheet.width(), c.paper.width() / 72 * 48, 1);
    const QRect ink = InkBox(sheet);
    if (c.full_page) {
      // The lines along the five bands' edges span the band area exactly.
      EXPECT_NEAR(ink.left(), c.left / 2, 1.5);
      EXPECT_NEAR(ink.right(), (c.left + 720) / 2, 1.5);
      EXPECT_NEAR(ink.top(), c.top / 2, 1.5);
      EXPECT_NEAR(ink.bottom(), (c.top + 5 * 192) / 2, 1.5);
      for (int band = 0; band < 5; ++band)
        EXPECT_LT(qGray(sheet.pixel(sheet.width() / 2, static_cast<int>((c.top + band * 192) / 2 + 0.5))), 160) << band;
    } else {
      // The cards' texts and pictures lie within the band area.
      EXPECT_GE(ink.left(), c.left / 2 - 1);
      EXPECT_LE(ink.right(), (c.left + 720) / 2 + 1);
      EXPECT_GE(ink.top(), c.top / 2 - 1);
      EXPECT_LE(ink.bottom(), (c.top + 3 * 288) / 2 + 1);
    }
    EXPECT_LT(ink.right(), sheet.width() - 1);
    EXPECT_LT(ink.bottom(), sheet.height() - 1);
  }
}

}  // namespace
}  // namespace zestoria::test
