#include "bar/ShelfStore.h"

#include <algorithm>
#include <set>

#include "catalogue/DrinkCatalogue.h"
#include "platform/Errors.h"
#include "tables/TinyDB.h"

namespace zestoria::bar {

namespace {

constexpr const char* kNameField = "name";
constexpr const char* kNameIndex = "name";
// The stored text is one byte short of the field: 63 characters, more than
// any canonical name of the vocabulary.
constexpr int kNameFieldSize = 64;
constexpr size_t kLongestName = kNameFieldSize - 1;

// The table "shelf": one text field "name" and the unique index "name" on
// it. Names are the vocabulary's canonical spellings, so the index compares
// them exactly (with case).
tinydb::TTableDefinition ShelfTableDefinition() {
  return tinydb::TTableDefinition{kShelfTableName,
                                  {{kNameField, tinydb::ftString, kNameFieldSize, false}},
                                  {{kNameIndex, {kNameField}, tinydb::tiUnique}}};
}

// A cursor on the image's table "shelf", in name order, closed with the
// object.
class TShelfCursor {
 public:
  explicit TShelfCursor(TDrinkCatalogue& catalogue) {
    catalogue.DrinkTable();  // throws when the catalogue is closed
    table_.SetDatabaseName(catalogue.DatabaseName());
    table_.SetMediumType(tinydb::mtMemory);
    table_.SetPassword(kCataloguePassword);
    table_.SetTableName(kShelfTableName);
    table_.Open();
    if (!table_.Active())
      throw tinydb::EDatabaseError("Cannot open table '" + std::string(kShelfTableName) + "'");
    table_.SetIndexName(kNameIndex);
    name_ = table_.FieldNamed(kNameField);
  }
  ~TShelfCursor() { table_.Close(); }
  TShelfCursor(const TShelfCursor&) = delete;
  TShelfCursor& operator=(const TShelfCursor&) = delete;

  tinydb::TTinyTable& Table() { return table_; }
  tinydb::TField& Name() { return *name_; }

 private:
  tinydb::TTinyTable table_;
  tinydb::TField* name_ = nullptr;
};

std::vector<std::string> Normalised(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

}  // namespace

bool HasShelfTable(TDrinkCatalogue& catalogue) {
  return catalogue.Database().TableIOByName(kShelfTableName) != nullptr;
}

std::vector<std::string> LoadShelfNames(TDrinkCatalogue& catalogue) {
  if (!HasShelfTable(catalogue)) return {};
  TShelfCursor cursor(catalogue);
  std::vector<std::string> names;
  tinydb::TTinyTable& table = cursor.Table();
  for (table.GoFirst(); !table.AtEnd(); table.GoNext()) names.push_back(cursor.Name().ReadText());
  return Normalised(std::move(names));
}

void SaveShelfNames(TDrinkCatalogue& catalogue, const std::vector<std::string>& names) {
  const std::vector<std::string> wanted = Normalised(names);
  // Every name is checked before anything changes.
  for (const std::string& name : wanted) {
    if (name.empty()) throw tinydb::EDatabaseError("A shelf name cannot be empty");
    if (name.size() > kLongestName)
      throw tinydb::EDatabaseError("Shelf name '" + name + "' is longer than " +
                                   std::to_string(kLongestName) + " characters");
  }
  const bool has_table = HasShelfTable(catalogue);
  // With no table yet, even an empty shelf is stored: a file without the
  // table means a shelf never chosen (which starts with the staples), not
  // one the user emptied.
  if (has_table && LoadShelfNames(catalogue) == wanted) return;

  if (!has_table) catalogue.Database().CreateTable(ShelfTableDefinition());
  {
    TShelfCursor cursor(catalogue);
    tinydb::TTinyTable& table = cursor.Table();
    const std::set<std::string> keep(wanted.begin(), wanted.end());
    std::set<std::string> stored;
    for (table.GoFirst(); !table.AtEnd(); table.GoNext()) stored.insert(cursor.Name().ReadText());
    for (const std::string& name : stored) {
      if (keep.count(name) != 0) continue;
      if (table.FindByKey(kNameIndex, tinydb::TFieldValue(name))) table.DeleteCurrent();
    }
    for (const std::string& name : wanted) {
      if (stored.count(name) != 0) continue;
      table.BeginAppend();
      try {
        cursor.Name().WriteText(name);
        table.PostRecord();
      } catch (...) {
        table.CancelRecord();
        throw;
      }
    }
  }
  catalogue.SaveDatabase();
}

}  // namespace zestoria::bar
