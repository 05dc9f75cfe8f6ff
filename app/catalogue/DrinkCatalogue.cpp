#include "catalogue/DrinkCatalogue.h"

#include <climits>
#include <functional>
#include <utility>

#include "platform/Errors.h"
#include "platform/Journal.h"
#include "storage/MemoryMedium.h"
#include "tables/TinyDB.h"

namespace zestoria {

using tinydb::TTinyTable;

tinydb::TTableDefinition DrinksTableDefinition() {
  namespace f = drink_fields;
  using namespace tinydb;
  return TTableDefinition{kDrinksTableName,
                          {{f::kId, ftInteger, 0, false},
                           {f::kName, ftString, static_cast<int>(kDrinkNameLength), false},
                           {f::kIngred, ftMemo, 0, false},
                           {f::kDirections, ftMemo, 0, false},
                           {f::kType, ftInteger, 0, false},
                           {f::kSeason, ftInteger, 0, false},
                           {f::kGlass, ftInteger, 0, false},
                           {f::kTemp, ftInteger, 0, false},
                           {f::kMarked, ftInteger, 0, false},
                           {f::kComment, ftString, static_cast<int>(kDrinkCommentLength), false},
                           {f::kStatus, ftString, static_cast<int>(kDrinkStatusLength), false},
                           {f::kReadOnly, ftBoolean, 0, false}},
                          {{kIdIndexName, {f::kId}, tiPrimary}, {"type", {f::kType}, 0}}};
}

tinydb::TDatabaseSettings CatalogueSettings() {
  tinydb::TDatabaseSettings settings;
  settings.Compressed = true;
  settings.CompressAlgo = "ZLIB";
  settings.Encrypted = true;
  settings.EncryptAlgo = "Blowfish";
  settings.EncryptMode = 1;
  settings.Password = kCataloguePassword;
  return settings;
}

TDrinkCatalogue::TDrinkCatalogue() = default;

TDrinkCatalogue::~TDrinkCatalogue() {
  Close();
  if (image_named_) tinydb::UnregisterMemoryStream(&image_);
}

void TDrinkCatalogue::Open(const std::string& file_name) {
  // The file is read straight into the image: a large catalogue is not
  // copied on its way in.
  Close();
  image_.Clear();
  // A save interrupted by a crash is rolled back before the file is read.
  tinydb::RecoverFromJournal(file_name);
  image_.LoadFromFile(file_name);
  OpenLoadedImage(file_name);
}

void TDrinkCatalogue::OpenImage(std::vector<uint8_t> image, const std::string& file_name) {
  Close();
  image_.Clear();
  if (!image.empty()) image_.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
  OpenLoadedImage(file_name);
}

void TDrinkCatalogue::OpenLoadedImage(const std::string& file_name) {
  image_.SetPosition(0);
  const std::string database_name = tinydb::MemoryStreamToDatabaseName(&image_);
  image_named_ = true;
  database_name_ = database_name;

  auto table = std::make_unique<TTinyTable>();
  table->SetDatabaseName(database_name);
  table->SetMediumType(tinydb::mtMemory);
  table->SetPassword(kCataloguePassword);
  table->SetTableName(kDrinksTableName);
  table->SetFilterOptions(tinydb::foCaseInsensitive | tinydb::foNoPartialCompare);
  table->Open();
  if (!table->Active())
    throw tinydb::EDatabaseError("Cannot open table '" + std::string(kDrinksTableName) + "'");
  table->SetIndexName(kIdIndexName);
  table_ = std::move(table);
  file_name_ = file_name;
  next_id_ = 0;
}

void TDrinkCatalogue::Close() {
  lister_.reset();
  if (table_) table_->Close();
  table_.reset();
  next_id_ = 0;
}

TTinyTable& TDrinkCatalogue::DrinkTable() {
  if (!table_) throw tinydb::EDatabaseError("The drink catalogue is not open");
  return *table_;
}

tinydb::TTinyDatabase& TDrinkCatalogue::Database() {
  tinydb::TTinyDatabase* database = DrinkTable().Database();
  if (database == nullptr) throw tinydb::EDatabaseError("The drink catalogue is not open");
  return *database;
}

std::vector<TListedDrink> TDrinkCatalogue::ListDrinks(const std::string& filter,
                                                      bool starting_up) {
  namespace f = drink_fields;
  TTinyTable& table = DrinkTable();
  table.SetFilter(filter);
  std::vector<TListedDrink> listed;
  if (filter.empty()) {
    ListEveryDrink(starting_up, &listed);
    return listed;
  }
  tinydb::TField* const id_field = table.FieldNamed(f::kId);
  tinydb::TField* const name_field = table.FieldNamed(f::kName);
  tinydb::TField* const marked_field = table.FieldNamed(f::kMarked);
  for (bool found = table.SeekFirstMatch(); found; found = table.SeekNextMatch()) {
    TListedDrink drink;
    drink.id = id_field->ReadInteger();
    drink.name = name_field->ReadText();
    drink.marked = marked_field->ReadInteger();
    if (starting_up && drink.id >= next_id_) next_id_ = static_cast<int64_t>(drink.id) + 1;
    if (starting_up && drink.marked == 1) {
      WriteCurrentMark(0);
      drink.marked = 0;
    }
    listed.push_back(std::move(drink));
  }
  return listed;
}

void TDrinkCatalogue::ListEveryDrink(bool starting_up, std::vector<TListedDrink>* listed) {
  std::vector<int32_t> marked_ids;
  WalkEveryDrink([&](TListedDrink&& drink) {
    if (starting_up && drink.id >= next_id_) next_id_ = static_cast<int64_t>(drink.id) + 1;
    if (starting_up && drink.marked == 1) {
      marked_ids.push_back(drink.id);
      drink.marked = 0;
    }
    listed->push_back(std::move(drink));
  });
  // Marks last one run: the start-up walk clears them, in id order.
  MarkDrinks(marked_ids, 0);
}

void TDrinkCatalogue::WalkEveryDrink(const std::function<void(TListedDrink&&)>& visit) {
  namespace f = drink_fields;
  // The second cursor is opened afresh for each walk (its record list then
  // holds every change made through drinkTable) and reads only the three
  // fields the list needs.
  DrinkTable();
  if (!lister_) {
    lister_ = std::make_unique<TTinyTable>();
    lister_->DefineField(f::kId);
    lister_->DefineField(f::kName);
    lister_->DefineField(f::kMarked);
    lister_->SetDatabaseName(database_name_);
    lister_->SetMediumType(tinydb::mtMemory);
    lister_->SetPassword(kCataloguePassword);
    lister_->SetTableName(kDrinksTableName);
  }
  struct TCloser {
    TTinyTable* table;
    ~TCloser() { table->Close(); }
  } closer{lister_.get()};
  lister_->Open();
  lister_->SetIndexName(kIdIndexName);
  tinydb::TField* const id_field = lister_->FieldNamed(f::kId);
  tinydb::TField* const name_field = lister_->FieldNamed(f::kName);
  tinydb::TField* const marked_field = lister_->FieldNamed(f::kMarked);
  for (lister_->GoFirst(); !lister_->AtEnd(); lister_->GoNext()) {
    TListedDrink drink;
    drink.id = id_field->ReadInteger();
    drink.name = name_field->ReadText();
    drink.marked = marked_field->ReadInteger();
    visit(std::move(drink));
  }
}

std::vector<TListedDrink> TDrinkCatalogue::ListDrinksById(const std::vector<int32_t>& ids) {
  namespace f = drink_fields;
  TTinyTable& table = DrinkTable();
  table.SetFilter(std::string());
  tinydb::TField* const id_field = table.FieldNamed(f::kId);
  tinydb::TField* const name_field = table.FieldNamed(f::kName);
  tinydb::TField* const marked_field = table.FieldNamed(f::kMarked);
  std::vector<TListedDrink> listed;
  listed.reserve(ids.size());
  for (const int32_t id : ids) {
    if (!FindDrink(id)) continue;
    TListedDrink drink;
    drink.id = id_field->ReadInteger();
    drink.name = name_field->ReadText();
    drink.marked = marked_field->ReadInteger();
    listed.push_back(std::move(drink));
  }
  return listed;
}

void TDrinkCatalogue::WalkIngredients(const std::function<void(int32_t, const std::string&)>& visit) {
  namespace f = drink_fields;
  DrinkTable();
  TTinyTable walker;
  walker.DefineField(f::kId);
  walker.DefineField(f::kIngred);
  walker.SetDatabaseName(database_name_);
  walker.SetMediumType(tinydb::mtMemory);
  walker.SetPassword(kCataloguePassword);
  walker.SetTableName(kDrinksTableName);
  struct TCloser {
    TTinyTable& table;
    ~TCloser() { table.Close(); }
  } closer{walker};
  walker.Open();
  walker.SetIndexName(kIdIndexName);
  tinydb::TField* const id_field = walker.FieldNamed(f::kId);
  tinydb::TField* const ingred_field = walker.FieldNamed(f::kIngred);
  for (walker.GoFirst(); !walker.AtEnd(); walker.GoNext())
    visit(static_cast<int32_t>(id_field->ReadInteger()), ingred_field->ReadText());
}

void TDrinkCatalogue::MarkDrinks(const std::vector<int32_t>& ids, int32_t value) {
  for (const int32_t id : ids) {
    if (!FindDrink(id)) DrinkNotFound(id);
    WriteCurrentMark(value);
  }
}

void TDrinkCatalogue::UnmarkAll() {
  // Every drink of the table, in id order: the marked ones are found by the
  // light walk, then each is written through drinkTable.
  std::vector<int32_t> marked_ids;
  WalkEveryDrink([&](TListedDrink&& drink) {
    if (drink.marked == 1) marked_ids.push_back(drink.id);
  });
  MarkDrinks(marked_ids, 0);
}

void TDrinkCatalogue::WriteCurrentMark(int32_t value) {
  TTinyTable& table = DrinkTable();
  table.BeginEdit();
  try {
    table.FieldNamed(drink_fields::kMarked)->WriteInteger(value);
    table.PostRecord();
  } catch (...) {
    CancelAndRethrow();
  }
}

bool TDrinkCatalogue::FindDrink(int32_t id) {
  return DrinkTable().FindByKey(drink_fields::kId, tinydb::TFieldValue{static_cast<int64_t>(id)});
}

TDrink TDrinkCatalogue::LoadDrink(int32_t id) {
  if (!FindDrink(id)) DrinkNotFound(id);
  return ReadDrink(*table_);
}

int32_t TDrinkCatalogue::InsertDrink(const TDrink& drink, bool save) {
  TTinyTable& table = DrinkTable();
  if (next_id_ > INT32_MAX) throw tinydb::EDatabaseError("No drink id is left for a new drink");
  const int32_t id = static_cast<int32_t>(next_id_);
  table.BeginInsert();
  try {
    table.FieldNamed(drink_fields::kId)->WriteInteger(id);
    WriteDrink(table, drink);
    table.PostRecord();
  } catch (...) {
    CancelAndRethrow();
  }
  // The id is used up before saving: a failed save leaves the record in the
  // image, and the next insert must not collide with it.
  ++next_id_;
  if (listener_) {
    TDrink written = drink;
    written.id = id;
    listener_(id, &written);
  }
  if (save) SaveDatabase();
  return id;
}

std::vector<int32_t> TDrinkCatalogue::InsertDrinks(
    const std::vector<TDrink>& drinks, const std::function<void(size_t, size_t)>& progress) {
  TTinyTable& table = DrinkTable();
  std::vector<int32_t> ids;
  ids.reserve(drinks.size());
  // A handful of drinks is not worth a thread.
  constexpr size_t kPrecodeFrom = 16;
  std::unique_ptr<tinydb::TBlobPrecoder> precoder;
  if (drinks.size() >= kPrecodeFrom) {
    precoder = table.NewBlobPrecoder(kCataloguePassword);
    // Storage numbers its fields from 0, the cursor from 1.
    const int ingred = table.FieldNamed(drink_fields::kIngred)->FieldNo() - 1;
    const int directions = table.FieldNamed(drink_fields::kDirections)->FieldNo() - 1;
    for (const TDrink& drink : drinks)
      precoder->Submit({{ingred, drink.ingred}, {directions, drink.directions}});
    precoder->Start();
  }
  // Detached on every way out, before the precoder goes.
  struct TPrecoderUse {
    TTinyTable& table;
    ~TPrecoderUse() { table.SetBlobPrecoder(nullptr); }
  } use{table};
  table.SetBlobPrecoder(precoder.get());
  try {
    for (const TDrink& drink : drinks) {
      ids.push_back(InsertDrink(drink, false));
      if (progress) progress(ids.size(), drinks.size());
    }
  } catch (...) {
    table.SetBlobPrecoder(nullptr);
    // Leave the image as it was: the drinks go in all together or not at all.
    for (int32_t id : ids) {
      try {
        DeleteDrink(id, false);
      } catch (...) {
        // The insert's error is the one to report.
      }
    }
    throw;
  }
  return ids;
}

void TDrinkCatalogue::UpdateDrink(const TDrink& drink, bool save) {
  if (!FindDrink(drink.id)) DrinkNotFound(drink.id);
  table_->BeginEdit();
  try {
    WriteDrink(*table_, drink);
    table_->PostRecord();
  } catch (...) {
    CancelAndRethrow();
  }
  if (listener_) listener_(drink.id, &drink);
  if (save) SaveDatabase();
}

void TDrinkCatalogue::DeleteDrink(int32_t id, bool save) {
  if (!FindDrink(id)) DrinkNotFound(id);
  table_->DeleteCurrent();
  if (listener_) listener_(id, nullptr);
  if (save) SaveDatabase();
}

void TDrinkCatalogue::SaveDatabase() {
  if (!table_) throw tinydb::EDatabaseError("The drink catalogue is not open");
  tinydb::SaveImageChanges(image_, file_name_);
}

void TDrinkCatalogue::CancelAndRethrow() {
  try {
    if (table_ && table_->State() != tinydb::dsBrowse) table_->CancelRecord();
  } catch (...) {
    // The first error is the one worth reporting.
  }
  throw;
}

void TDrinkCatalogue::DrinkNotFound(int32_t id) {
  throw tinydb::EDatabaseError("Drink " + std::to_string(id) + " not found");
}

}  // namespace zestoria
