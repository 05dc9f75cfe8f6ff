// The two recipe layouts of the print dialog, built on a TReport: the full
// page (five recipes a sheet, one under another) and the index cards (three
// cards a sheet). Both are laid out on Letter paper, portrait, in one
// column, and keep their bands' size and number a sheet on the paper the
// printer set-up chooses (A4 among others); the title band is empty and
// only skips rows on the first sheet.
#pragma once

#include <QString>
#include <functional>

#include "printing/Report.h"

namespace zestoria {

// Replaces a field's text just before it prints (a code by its name).
using TTextHook = std::function<void(QString& text)>;

// The before-print hooks of the type, season and glass field texts.
struct TRecipeHooks {
  TTextHook type;
  TTextHook season;
  TTextHook glass;
};

// Detail band heights, in pixels of 1/96 inch.
constexpr int kFullBandHeight = 192;
constexpr int kCardBandHeight = 288;

// Builds layout 1 on |report| (empty before): margins 12.7 mm, the empty
// title band, and the detail band FullBand1 with its elements FullName,
// FullType, FullSeason, FullGlass, FullImage, FullIngred, FullDirections,
// FullComment and their labels.
void BuildFullPageLayout(TReport& report, const TRecipeHooks& hooks);
// Builds layout 2 on |report| (empty before): top margin 26.67 mm, the
// others 12.7 mm, the empty title band, and the detail band CardBand1 with
// CardName, CardType, CardSeason, CardIngred, CardDirections, CardComment,
// CardGlass, CardImage and their labels.
void BuildIndexCardLayout(TReport& report, const TRecipeHooks& hooks);

// Binds the field elements of layout 1 (|full_page|) or layout 2 to the
// drink fields name, ingred, directions, type, season, glass and comment.
void BindRecipeFields(TReport& report, bool full_page);

// The picture element of each layout, which the glass hook fills.
inline const QString kFullImage = QStringLiteral("FullImage");
inline const QString kCardImage = QStringLiteral("CardImage");

}  // namespace zestoria
