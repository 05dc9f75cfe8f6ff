#include "exchange/DrinkImport.h"

#include "catalogue/DrinkCatalogue.h"

namespace zestoria {

namespace {

constexpr size_t kImportQuestionLength = 32;  // "Import " and the name, before "?"

}  // namespace

std::vector<int32_t> InsertDrinks(TDrinkCatalogue& catalogue, const std::vector<TDrink>& drinks,
                                  const std::function<void(size_t, size_t)>& progress) {
  return catalogue.InsertDrinks(drinks, progress);
}

std::vector<int32_t> AddDrinks(TDrinkCatalogue& catalogue, const std::vector<TDrink>& drinks,
                               const std::function<void(size_t, size_t)>& progress) {
  std::vector<int32_t> ids = InsertDrinks(catalogue, drinks, progress);
  catalogue.SaveDatabase();
  return ids;
}

std::vector<int32_t> AddImportedDrinks(TDrinkCatalogue& catalogue, const TExchangeFile& file) {
  return AddDrinks(catalogue, file.drinks);
}

TImportResult ImportDrinkFile(TDrinkCatalogue& catalogue, const std::string& file_name) {
  const TExchangeFile file = ReadExchangeFile(file_name);
  TImportResult result;
  result.collectionName = file.collectionName;
  result.ids = AddImportedDrinks(catalogue, file);
  return result;
}

std::string ImportQuestion(const std::string& collection_name) {
  std::string question = "Import " + collection_name;
  if (question.size() > kImportQuestionLength) question.resize(kImportQuestionLength);
  return question + "?";
}

std::string ImportedQuestion(size_t added) {
  return "Added " + std::to_string(added) + " drinks to the database." + "\n\r" +
         "Display newly add drinks?";
}

std::string ImportedDrinksFilter(const std::vector<int32_t>& ids) {
  std::string filter;
  for (int32_t id : ids) {
    if (!filter.empty()) filter += " or ";
    filter += "id=" + std::to_string(id);
  }
  return filter;
}

}  // namespace zestoria
