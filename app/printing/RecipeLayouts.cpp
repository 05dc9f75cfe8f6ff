#include "printing/RecipeLayouts.h"

#include <QFont>
#include <QFontMetricsF>

namespace zestoria {

namespace {

QFont NameFont() {
  QFont font(QStringLiteral("Arial"), 10);
  font.setBold(true);
  return font;
}
QFont TextFont() { return QFont(QStringLiteral("Arial"), 8); }
QFont LabelFont() {
  QFont font(QStringLiteral("Arial"), 8);
  font.setUnderline(true);
  return font;
}

// Element names and the drink field each shows; the prefix is "Full" or
// "Card".
struct TFieldElement {
  const char* suffix;
  const char* field;
};
constexpr TFieldElement kFieldElements[] = {
    {"Name", "name"},     {"Ingred", "ingred"}, {"Directions", "directions"}, {"Type", "type"},
    {"Season", "season"}, {"Glass", "glass"},   {"Comment", "comment"}};

// Adds the element of |suffix| with prefix |prefix|'s name.
QString Name(const char* prefix, const char* suffix) {
  return QString::fromLatin1(prefix) + QString::fromLatin1(suffix);
}

}  // namespace

void BuildFullPageLayout(TReport& report, const TRecipeHooks& hooks) {
  TReportPage& page = report.Page();
  page = TReportPage();
  page.left_mm = page.top_mm = page.right_mm = page.bottom_mm = 12.7;

  report.TitleBand().height = 0;  // TitleBand1

  TReportBand& band = report.DetailBand();  // FullBand1
  band.height = kFullBandHeight;
  band.line_top = true;
  band.line_bottom = true;
  // A long name stops short of the Ingredients column on its line.
  band.AddFieldText(QStringLiteral("FullName"), {8, 8}, QStringLiteral("name"), NameFont(),
                    [](QString& text) {
                      text = QFontMetricsF(NameFont()).elidedText(text, Qt::ElideRight, 176);
                    });
  band.AddLabel({8, 32}, QStringLiteral("Type:"), LabelFont());
  band.AddFieldText(QStringLiteral("FullType"), {40, 32}, QStringLiteral("type"), TextFont(),
                    hooks.type);
  band.AddLabel({8, 48}, QStringLiteral("Season:"), LabelFont());
  band.AddFieldText(QStringLiteral("FullSeason"), {53, 48}, QStringLiteral("season"), TextFont(),
                    hooks.season);
  // The glass text comes before the picture: its hook sets the picture.
  band.AddLabel({8, 160}, QStringLiteral("Glass:"), LabelFont());
  band.AddFieldText(QStringLiteral("FullGlass"), {44, 160}, QStringLiteral("glass"), TextFont(),
                    hooks.glass);
  band.AddPicture(kFullImage, QRect(16, 80, 105, 105));
  band.AddLabel({192, 8}, QStringLiteral("Ingredients"), LabelFont());
  band.AddFieldMemo(QStringLiteral("FullIngred"), QRect(192, 24, 225, 161),
                    QStringLiteral("ingred"), TextFont());
  band.AddLabel({440, 8}, QStringLiteral("Directions"), LabelFont());
  band.AddFieldMemo(QStringLiteral("FullDirections"), QRect(440, 24, 265, 89),
                    QStringLiteral("directions"), TextFont());
  band.AddLabel({440, 120}, QStringLiteral("Comment"), LabelFont());
  band.AddFieldMemo(QStringLiteral("FullComment"), QRect(440, 136, 249, 49),
                    QStringLiteral("comment"), TextFont());
}

void BuildIndexCardLayout(TReport& report, const TRecipeHooks& hooks) {
  TReportPage& page = report.Page();
  page = TReportPage();
  page.top_mm = 26.67;
  page.left_mm = page.right_mm = page.bottom_mm = 12.7;

  report.TitleBand().height = 0;  // TitleBand2

  TReportBand& band = report.DetailBand();  // CardBand1
  band.height = kCardBandHeight;
  band.line_top = false;
  band.line_bottom = false;
  band.AddFieldText(QStringLiteral("CardName"), {136, 8}, QStringLiteral("name"), NameFont());
  band.AddLabel({136, 32}, QStringLiteral("Type:"), LabelFont());
  band.AddFieldText(QStringLiteral("CardType"), {168, 32}, QStringLiteral("type"), TextFont(),
                    hooks.type);
  band.AddLabel({136, 48}, QStringLiteral("Season:"), LabelFont());
  band.AddFieldText(QStringLiteral("CardSeason"), {181, 48}, QStringLiteral("season"), TextFont(),
                    hooks.season);
  band.AddLabel({136, 72}, QStringLiteral("Ingredients"), LabelFont());
  band.AddFieldMemo(QStringLiteral("CardIngred"), QRect(136, 88, 161, 193),
                    QStringLiteral("ingred"), TextFont());
  band.AddLabel({304, 32}, QStringLiteral("Directions"), LabelFont());
  band.AddFieldMemo(QStringLiteral("CardDirections"), QRect(304, 48, 169, 161),
                    QStringLiteral("directions"), TextFont());
  band.AddLabel({304, 208}, QStringLiteral("Comment"), LabelFont());
  band.AddFieldMemo(QStringLiteral("CardComment"), QRect(304, 224, 281, 57),
                    QStringLiteral("comment"), TextFont());
  // The glass text comes before the picture: its hook sets the picture.
  band.AddLabel({488, 104}, QStringLiteral("Glass:"), LabelFont());
  band.AddFieldText(QStringLiteral("CardGlass"), {524, 104}, QStringLiteral("glass"), TextFont(),
                    hooks.glass);
  band.AddPicture(kCardImage, QRect(504, 24, 105, 105));
}

void BindRecipeFields(TReport& report, bool full_page) {
  const char* prefix = full_page ? "Full" : "Card";
  for (const TFieldElement& e : kFieldElements) {
    report.DetailBand().BindField(Name(prefix, e.suffix), QString::fromLatin1(e.field));
  }
}

}  // namespace zestoria
