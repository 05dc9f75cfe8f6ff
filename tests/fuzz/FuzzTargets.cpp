#include "FuzzTargets.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/DrinkCatalogue.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeReader.h"
#include "exchange/ExchangeWriter.h"
#include "exchange/RecipeExport.h"
#include "exchange/RecipeImport.h"
#include "platform/Errors.h"
#include "platform/Streams.h"
#include "storage/DatabaseWriter.h"
#include "storage/MemoryMedium.h"
#include "tables/TinyDB.h"

namespace zestoria::fuzz {

namespace {

using namespace tinydb;

// A fault the harness itself sees (not a crash): reported and stopped.
[[noreturn]] void Fault(const std::string& what) {
  std::fprintf(stderr, "fuzz fault: %s\n", what.c_str());
  std::abort();
}

// The bytes as a named memory-medium image for the life of the object.
class TNamedImage {
 public:
  TNamedImage(const uint8_t* data, size_t size) {
    if (size > 0) stream_.WriteBuffer(data, static_cast<int64_t>(size));
    stream_.SetPosition(0);
    name_ = MemoryStreamToDatabaseName(&stream_);
  }
  ~TNamedImage() { UnregisterMemoryStream(&stream_); }
  TNamedImage(const TNamedImage&) = delete;
  TNamedImage& operator=(const TNamedImage&) = delete;
  const std::string& Name() const { return name_; }

 private:
  TMemoryStream stream_;
  std::string name_;
};

// Values read by the entry point running now.
size_t values_read = 0;

// Reads every field of the current record the way a program shows it.
void ReadRecord(TTinyTable& table) {
  values_read += static_cast<size_t>(table.FieldCount());
  for (int f = 0; f < table.FieldCount(); ++f) {
    TField& field = *table.Fields(f);
    if (field.IsBlob()) {
      (void)field.ReadBytes();
    } else {
      (void)field.ReadText();
      (void)field.Value();
    }
  }
}

// An index's key field names in the form FindByKey takes.
std::string KeyNames(const TIndexDef& index) {
  std::string names = index.Fields;
  for (char& c : names)
    if (c == ',') c = ';';
  return names;
}

// Walks the cursor forwards and backwards reading every record, then
// looks up the first record by the active index's key.
void WalkOrder(TTinyTable& table, const TIndexDef* index) {
  for (table.GoFirst(); !table.AtEnd(); table.GoNext()) ReadRecord(table);
  for (table.GoLast(); !table.AtBeginning(); table.GoPrior()) ReadRecord(table);
  if (index == nullptr || table.VisibleCount() == 0) return;
  table.GoFirst();
  const std::vector<TField*> key = table.FieldsNamed(KeyNames(*index));
  TFieldValues values;
  for (TField* field : key) values.push_back(field->Value());
  table.GoLast();
  (void)table.FindByKey(KeyNames(*index), values);
  (void)table.LookupByKey(KeyNames(*index), values, index->Fields.substr(0, index->Fields.find(',')));
}

// A filter that passes each date, time and date-time field of |table|
// through the calendar functions that take it; "" when there is none.
std::string CalendarFilter(TTinyTable& table) {
  static const char* const kDateParts[] = {"YEAR", "MONTH", "DAY"};
  static const char* const kTimeParts[] = {"HOUR", "MINUTE", "SECOND"};
  std::string filter;
  const auto add = [&](const std::string& name, const char* const (&parts)[3]) {
    for (const char* part : parts) {
      if (!filter.empty()) filter += " OR ";
      filter += std::string(part) + "([" + name + "]) = 1";
    }
  };
  for (int f = 0; f < table.FieldCount(); ++f) {
    const TField& field = *table.Fields(f);
    const int type = field.FieldType();
    if (type == ftDate || type == ftDateTime) add(field.Name(), kDateParts);
    if (type == ftTime || type == ftDateTime) add(field.Name(), kTimeParts);
  }
  return filter;
}

// Walks the records the calendar filter accepts (a name it cannot quote is
// refused by the compilation, like any filter that does not compile).
void WalkCalendarFilter(TTinyTable& table) {
  const std::string filter = CalendarFilter(table);
  if (filter.empty()) return;
  try {
    table.SetFilter(filter);
    table.SetFiltered(true);
    for (table.GoFirst(); !table.AtEnd(); table.GoNext()) ReadRecord(table);
  } catch (const EEngineError&) {
    // a name the filter language cannot hold, or a record that cannot be read
  }
}

void DumpTable(const std::string& database_name, const std::string& table_name) {
  TTinyTable table;
  table.SetDatabaseName(database_name);
  table.SetTableName(table_name);
  table.Open();
  if (!table.Active()) return;
  const std::vector<TIndexDef> indexes = table.IndexDefs();
  WalkOrder(table, nullptr);
  for (const TIndexDef& index : indexes) {
    table.SetIndexName(index.Name);
    WalkOrder(table, &index);
  }
  WalkCalendarFilter(table);
}

void DumpImage(const std::string& image_name, const std::optional<std::string>& password) {
  static int opened = 0;
  const std::string database_name = "fuzz" + std::to_string(++opened);
  TTinyDatabase database;
  database.SetDatabaseName(database_name);
  database.SetFileName(image_name);
  database.SetMediumType(mtMemory);
  database.SetKeepConnection(true);
  database.Connect();
  if (password) database.SetPassword(*password);
  const std::vector<std::string> tables = database.TableDefs();
  for (const std::string& table : tables) {
    try {
      DumpTable(database_name, table);
    } catch (const EEngineError&) {
      // a damaged table does not keep the others from being read
    }
  }
}

// The small table the filter texts run against: every kind of field a
// filter compares, two indexes, values compressed and encrypted as in the
// catalogue.
std::vector<uint8_t> BuildFilterImage() {
  TTableDefinition definition{
      "t",
      {{"id", ftInteger},
       {"name", ftString, 20},
       {"notes", ftMemo},
       {"made", ftDate},
       {"price", ftFloat},
       {"cold", ftBoolean},
       {"at", ftDateTime},
       {"small", ftSmallint},
       {"big", ftLargeint},
       {"clock", ftTime},
       {"code", ftFixedChar, 4},
       {"cost", ftCurrency},
       {"w", ftWord}},
      {{"id", {"id"}, tiPrimary}, {"name", {"name"}, tiCaseInsensitive},
       {"made_price", {"made", "price"}, tiDescending}}};
  std::vector<uint8_t> image =
      BuildDatabaseImage(zestoria::CatalogueSettings(), {definition});
  TMemoryStream stream;
  stream.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
  const std::string name = MemoryStreamToDatabaseName(&stream);
  {
    TTinyTable table;
    table.SetDatabaseName(name);
    table.SetMediumType(mtMemory);
    table.SetPassword(zestoria::kCataloguePassword);
    table.SetTableName("t");
    table.Open();
    struct Row {
      int id;
      const char* name;
      const char* notes;
      double made, price;
      bool cold;
      double at;
      int small;
      int64_t big;
      double clock;
      const char* code;
      double cost;
      int w;
    };
    const Row rows[] = {
        {1, "Gin Fizz", "2 oz gin\r\n1 oz lemon juice", 36526, 4.5, true, 36526.75, -3,
         5000000000LL, 0.5, "ABCD", 1.25, 7},
        {2, "gin sling", "", 40000, 0, false, 40000.1, 0, -1, 0.25, "", 0, 0},
        {3, "Mojito", "rum, mint, lime, 'soda'", -10, -2.75, true, 0, 32767, 0, 0.999, "x%_",
         100.0001, 65535},
        {4, "", "%%\\_", 2958465, 1e300, false, 1.5, -32768, 9223372036854775807LL, 0,
         "Zz", -5, 1},
        {5, "Zombie", "gin gin gin", 36526, 4.5, true, 36526.75, 1, 2, 0.5, "ABCD", 1.25, 7},
    };
    for (const Row& row : rows) {
      table.BeginAppend();
      table.FieldNamed("id")->WriteInteger(row.id);
      table.FieldNamed("name")->WriteText(row.name);
      table.FieldNamed("notes")->WriteBytes(row.notes);
      table.FieldNamed("made")->WriteDateTime(row.made);
      table.FieldNamed("price")->WriteFloat(row.price);
      table.FieldNamed("cold")->WriteBoolean(row.cold);
      table.FieldNamed("at")->WriteDateTime(row.at);
      table.FieldNamed("small")->WriteInteger(row.small);
      table.FieldNamed("big")->WriteLargeint(row.big);
      table.FieldNamed("clock")->WriteDateTime(row.clock);
      table.FieldNamed("code")->WriteText(row.code);
      table.FieldNamed("cost")->WriteFloat(row.cost);
      table.FieldNamed("w")->WriteInteger(row.w);
      table.PostRecord();
    }
  }
  UnregisterMemoryStream(&stream);
  return stream.Bytes();
}

void WalkMatches(TTinyTable& table) {
  const int limit = table.VisibleCount() + 1;  // every seek moves on or stops
  int found = 0;
  for (bool more = table.SeekFirstMatch(); more; more = table.SeekNextMatch()) {
    ReadRecord(table);
    if (++found > limit) Fault("SeekNextMatch does not end");
  }
  found = 0;
  for (bool more = table.SeekLastMatch(); more; more = table.SeekPriorMatch()) {
    if (++found > limit) Fault("SeekPriorMatch does not end");
  }
}

}  // namespace

size_t RunDatabaseImage(const uint8_t* data, size_t size) {
  values_read = 0;
  const TNamedImage image(data, size);
  for (const std::optional<std::string>& password :
       {std::optional<std::string>(zestoria::kCataloguePassword), std::optional<std::string>()}) {
    try {
      DumpImage(image.Name(), password);
    } catch (const EEngineError&) {
      // refused: a clear error is the expected answer to a damaged image
    }
  }
  return values_read;
}

size_t RunExchangeFile(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  TExchangeFile file;
  try {
    file = ParseExchangeFile(bytes);
  } catch (const EExchangeError&) {
    return 0;
  }
  if (file.drinks.size() > static_cast<size_t>(file.recordCount) ||
      file.drinks.size() * kExchangeRecordSize > size)
    Fault("more drinks read than the file holds");
  const TExchangeFile again = ParseExchangeFile(BuildExchangeFile(file.collectionName, file.drinks));
  if (again.collectionName != file.collectionName) Fault("collection name changed on rewrite");
  if (again.drinks.size() != file.drinks.size()) Fault("drink count changed on rewrite");
  for (size_t i = 0; i < file.drinks.size(); ++i) {
    if (!(again.drinks[i] == file.drinks[i]))
      Fault("drink " + std::to_string(i) + " changed on rewrite");
  }
  return file.drinks.size();
}

size_t RunFilterText(const uint8_t* data, size_t size) {
  static const std::vector<uint8_t> filter_image = BuildFilterImage();
  values_read = 0;
  if (size == 0) return 0;
  const TNamedImage image(filter_image.data(), filter_image.size());
  const TFilterOptions options = data[0] & (foCaseInsensitive | foNoPartialCompare);
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  TTinyTable table;
  table.SetDatabaseName(image.Name());
  table.SetMediumType(mtMemory);
  table.SetPassword(zestoria::kCataloguePassword);
  table.SetTableName("t");
  table.SetFilterOptions(options);
  try {
    table.Open();
    table.SetFilter(text);  // a text that does not compile is refused here
    WalkMatches(table);
    table.SetIndexName((data[0] & 4) ? "name" : "made_price");
    WalkMatches(table);
    table.SetFiltered(true);
    for (table.GoFirst(); !table.AtEnd(); table.GoNext()) ReadRecord(table);
    for (table.GoLast(); !table.AtBeginning(); table.GoPrior()) ReadRecord(table);
  } catch (const EEngineError&) {
    // evaluation errors (a conversion, a type mismatch) are answers too
  }
  return values_read;
}

size_t RunRecipeFile(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  TRecipeFile file;
  try {
    file = ReadRecipeBytes(bytes, "fuzz.json");
  } catch (const EExchangeError&) {
    return 0;  // refused with a message: damaged, no recipe, another version
  }
  for (const TDrink& drink : file.drinks) {
    if (drink.name.size() > kDrinkNameLength || drink.comment.size() > kDrinkCommentLength)
      Fault("a drink longer than the catalogue holds");
  }
  for (const TRecipeFormat format : {TRecipeFormat::rfZdr, TRecipeFormat::rfJsonLd,
                                     TRecipeFormat::rfBarAssistant, TRecipeFormat::rfCsv}) {
    const std::vector<uint8_t> written = BuildRecipeFile(format, file.drinks, file.collectionName);
    try {
      const TRecipeFile again = ReadRecipeBytes(written, "again", format);
      if (again.drinks.size() > file.drinks.size()) Fault("more drinks read back than written");
    } catch (const ENoRecipeError&) {
      // drinks without a name and texts are no recipes
    } catch (const EExchangeError& error) {
      Fault(RecipeFormatName(format) + " written by this program does not read back: " + error.what());
    }
  }
  return file.drinks.size();
}

}  // namespace zestoria::fuzz
