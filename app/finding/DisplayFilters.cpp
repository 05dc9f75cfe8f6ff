#include "finding/DisplayFilters.h"

#include "catalogue/Vocabularies.h"
#include "finding/SearchBuilder.h"

namespace zestoria {

const std::vector<TDisplaySubmenu>& DisplaySubmenus() {
  static const std::vector<TDisplaySubmenu> submenus = {
      {"Liquors1",
       "Liquors",
       dcLiquor,
       {{"D_Liquor_Champagne", "Champagne"},
        {"D_Liquor_Beer", "Beer"},
        {"D_Liquor_Bourbon", "Bourbon"},
        {"D_Liquor_Barndy", "Brandy"},
        {"D_Liquor_Gin", "Gin"},
        {"D_Liquor_Port", "Port"},
        {"D_Liquor_Rum", "Rum"},
        {"D_Liquor_Scotch", "Scotch"},
        {"D_Liquor_Sherry", "Sherry"},
        {"D_Liquor_Tequila", "Tequila"},
        {"D_Liquor_Vermouth", "Vermouth"},
        {"D_Liquor_Vodka", "Vodka"},
        {"D_Liquor_Whisky", "Whiskey"}}},
      {"Liqueurs1",
       "Liqueurs",
       dcLiqueur,
       {{"D_Liqueur_Arametto", "Amaretto"},
        {"D_Liqueur_Anisette", "Anisette"},
        {"D_Liqueur_Benedictine", "Benedictine"},
        {"D_Liqueur_BlueCuracao", "Blue Curacao"},
        {"D_Liqueur_Chartreuse", "Chartreuse"},
        {"D_Liqueur_Cognac", "Cognac"},
        {"D_Liqueur_CremedeCacao", "Creme de Cacao"},
        {"D_Liqueur_CremedeMenthe", "Creme de Menthe"},
        {"D_Liqueur_Curacao", "Curacao"},
        {"D_Liqueur_Dubonnet", "Dubonnet"},
        {"D_Liqueur_Jagermeister", "Jagermeister"},
        {"D_Liqueur_Kahlua", "Kahlua"},
        {"D_Liqueur_MelonLiqueur", "Melon Liqueur"},
        {"D_Liqueur_SloeGin", "Sloe Gin"},
        {"D_Liqueur_PeachSchnapps", "Peach Schnapps"},
        {"D_Liqueur_PeppermintSchnapps", "Peppermint Schnapps"},
        {"D_Liqueur_TripleSec", "Triple Sec"}}},
      {"Ingredients1",
       "Ingredients",
       dcIngred,
       {{"D_Ingred_Bitters", "Bitters"},
        {"D_Ingred_Cola", "Cola"},
        {"D_Ingred_CranberryJuice", "Cranberry Juice"},
        {"D_Ingred_Cream", "Cream"},
        {"D_Ingred_GingerAle", "Ginger Ale"},
        {"D_Ingred_GrapefruitJuice", "Grapefruit Juice"},
        {"D_Ingred_Grenadine", "Grenadine"},
        {"D_Ingred_Lemon", "Lemon"},
        {"D_Ingred_Lime", "Lime"},
        {"D_Ingred_OrangeJuice", "Orange Juice"},
        {"D_Ingred_Seltze", "Seltzer"},
        {"D_Ingred_Soda", "Soda"},
        {"D_Ingred_SourMix", "Sour Mix"},
        {"D_Ingred_Sugar", "Sugar"},
        {"D_Ingred_TomatoJuice", "Tomato Juice"},
        {"D_Ingred_TonicWater", "Tonic Water"}}},
      {"Type1",
       "Type",
       dcType,
       {{"D_Type_Beer", "Beer"},
        {"D_Type_Cobbler", "Cobbler"},
        {"D_Type_Cocktail", "Cocktail"},
        {"D_Type_Coffee", "Coffee"},
        {"D_Type_Collins", "Collins"},
        {"D_Type_Coller", "Cooler"},
        {"D_Type_Fizz", "Fizz"},
        {"D_Type_Frozen", "Frozen"},
        {"D_Type_Highball", "Highball"},
        {"D_Type_Martini", "Martini"},
        {"D_Type_Mixed", "Mixed"},
        {"D_Type_PousseCafe", "Pousse Cafe"},
        {"D_Type_NonAlcoholic", "Non-Alcoholic"},
        {"D_Type_Punch", "Punch"},
        {"D_Type_Shooter", "Shooter"},
        {"D_Type_Sling", "Sling"},
        {"D_Type_Toddy", "Toddy"},
        {"D_Type_Wine", "Wine"}}},
      {"Glassware1",
       "Glassware",
       dcGlass,
       {{"D_Glass_BeerMug", "Beer Mug"},
        {"D_Glass_BrandySnifter", "Brandy Snifter"},
        {"D_Glass_Champagne", "Champagne"},
        {"D_Glass_Cocktail", "Cocktail"},
        {"D_Glass_CoffeeCup", "Coffee Cup"},
        {"D_Glass_Collins", "Collins"},
        {"D_Glass_Cordial", "Cordial"},
        {"D_Glass_Highball", "Highball"},
        {"D_Glass_OldFashioned", "Old Fashioned"},
        {"D_Glass_PousseCafe", "Pousse Cafe"},
        {"D_Glass_Shot", "Shot"},
        {"D_Glass_Sour", "Sour"},
        {"D_Glass_Wine", "Wine"}}},
      {"Season1",
       "Season",
       dcSeason,
       {{"D_Season_Spring", "Spring"},
        {"D_Season_Summer", "Summer"},
        {"D_Season_Fall", "Fall"},
        {"D_Season_Winter", "Winter"},
        {"D_Season_Holiday", "Holiday"}}},
      {"Tempreature1",
       "Temperature",
       dcTemp,
       {{"D_Temp_Cold", "Cold"}, {"D_Temp_Hot", "Hot"}, {"D_Temp_Room", "Room"}}},
  };
  return submenus;
}

bool NamesIngredient(TDisplayCategory category) {
  return category == dcLiquor || category == dcLiqueur || category == dcIngred;
}

std::string CategoryFilter(TDisplayCategory category, const std::string& caption) {
  switch (category) {
    case dcLiquor:
    case dcLiqueur:
    case dcIngred:
      return std::string();
    case dcType:
      return "TYPE = " + std::to_string(typeCode(caption));
    case dcGlass:
      return "GLASS = " + std::to_string(glassCode(caption));
    case dcSeason:
      return "SEASON = " + std::to_string(seasonCode(caption));
    case dcTemp:
      return "TEMP = " + std::to_string(tempCode(caption));
  }
  return std::string();
}

std::string ContainsFilter(const std::string& field, const std::string& text) {
  return field + " LIKE '%" + QuoteFilterText(text) + "%'";
}

bool IsSearchItemName(const std::string& name) { return !name.empty() && name[0] == 'S'; }

}  // namespace zestoria
