#include "catalogue/Drink.h"

#include "tables/TinyDB.h"

namespace zestoria {

namespace {

std::string Cut(std::string text, size_t length) {
  if (text.size() > length) text.resize(length);
  return text;
}

}  // namespace

TDrink ReadDrink(tinydb::TTDEDataSet& table) {
  namespace f = drink_fields;
  TDrink drink;
  drink.id = table.FieldNamed(f::kId)->ReadInteger();
  drink.name = Cut(table.FieldNamed(f::kName)->ReadText(), kDrinkNameLength);
  drink.ingred = table.FieldNamed(f::kIngred)->ReadText();
  drink.directions = table.FieldNamed(f::kDirections)->ReadText();
  drink.type = table.FieldNamed(f::kType)->ReadInteger();
  drink.season = table.FieldNamed(f::kSeason)->ReadInteger();
  drink.glass = table.FieldNamed(f::kGlass)->ReadInteger();
  drink.temp = table.FieldNamed(f::kTemp)->ReadInteger();
  drink.comment = Cut(table.FieldNamed(f::kComment)->ReadText(), kDrinkCommentLength);
  drink.marked = table.FieldNamed(f::kMarked)->ReadInteger();
  drink.status = Cut(table.FieldNamed(f::kStatus)->ReadText(), kDrinkStatusLength);
  drink.read_only = table.FieldNamed(f::kReadOnly)->ReadBoolean() ? -1 : 0;
  return drink;
}

void WriteDrink(tinydb::TTDEDataSet& table, const TDrink& drink) {
  namespace f = drink_fields;
  table.FieldNamed(f::kName)->WriteText(drink.name);
  table.FieldNamed(f::kIngred)->WriteText(drink.ingred);
  table.FieldNamed(f::kDirections)->WriteText(drink.directions);
  table.FieldNamed(f::kType)->WriteInteger(drink.type);
  table.FieldNamed(f::kSeason)->WriteInteger(drink.season);
  table.FieldNamed(f::kGlass)->WriteInteger(drink.glass);
  table.FieldNamed(f::kTemp)->WriteInteger(drink.temp);
  table.FieldNamed(f::kComment)->WriteText(drink.comment);
  table.FieldNamed(f::kMarked)->WriteInteger(drink.marked);
  table.FieldNamed(f::kStatus)->WriteText(drink.status);
  table.FieldNamed(f::kReadOnly)->WriteBoolean(drink.read_only != 0);
}

}  // namespace zestoria
