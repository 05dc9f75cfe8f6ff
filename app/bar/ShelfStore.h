// The shelf kept in the catalogue file itself: a table "shelf" beside
// "drinks", one record per ingredient on hand (its canonical name as the
// vocabulary writes it, Windows-1252), so the shelf travels with the
// catalogue, is encrypted with it and survives every run. The table is
// added to the file the first time a shelf is stored; a file without it
// opens exactly as before and has an empty shelf.
#pragma once

#include <string>
#include <vector>

namespace zestoria {
class TDrinkCatalogue;
}

namespace zestoria::bar {

constexpr const char* kShelfTableName = "shelf";

// True when the open catalogue's file has the table "shelf".
bool HasShelfTable(TDrinkCatalogue& catalogue);

// The names on the stored shelf, in ascending order; empty when the file
// has no shelf table. Throws the engine's error for a damaged table.
std::vector<std::string> LoadShelfNames(TDrinkCatalogue& catalogue);

// Replaces the stored shelf with |names| (duplicates stored once), adding
// the table "shelf" first when the file has none, then saves the image (a
// lasting change; a failed save throws and the image keeps the change, as
// every other save). Nothing is written when the stored shelf is unchanged;
// an empty shelf adds the table too, so it is told apart from none.
void SaveShelfNames(TDrinkCatalogue& catalogue, const std::vector<std::string>& names);

}  // namespace zestoria::bar
