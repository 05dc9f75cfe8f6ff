// zestoria-cli: the drink catalogue from the command line, through the same
// catalogue code as the program.
//
//   zestoria-cli list [--db FILE] [--filter TEXT]
//   zestoria-cli show ID [--db FILE]
//   zestoria-cli import FILE [--db FILE] [--format F] [--duplicates skip|add]
//   zestoria-cli export FILE [--db FILE] [--format F] [--filter TEXT] [--name COLLECTION]
//   zestoria-cli shelf [add|remove NAME...] [--db FILE] [--vocabulary FILE]
//   zestoria-cli makeable [--missing 0|1] [--db FILE] [--vocabulary FILE]
//   zestoria-cli ingredients [--unrecognised] [--filter TEXT] [--db FILE] [--vocabulary FILE]
//
// F is zdr, jsonld, bar-assistant, cocktaildb, iba or csv (export: zdr,
// jsonld, bar-assistant, csv); left out, import recognises the format from
// the content and export takes it from the extension.
//
// Every command opens the database as the program starts: the image in
// memory, the start-up listing (next drink id, marks cleared). Only import
// and a change of the shelf write the file back.
//
// The shelf commands read the ingredient vocabulary from --vocabulary FILE,
// else from "ingredients.json" beside this executable (the build places it
// there), else from "ingredients.json" beside the database. A file whose
// shelf was never stored has the new shelf: every staple at hand. Names on
// the command line are read as an ingredient line is read ("lemons",
// "Sweet Vermouth"); one that names no ingredient is an error (exit 2) and
// nothing is changed.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bar/BarIndex.h"
#include "bar/IngredientRecogniser.h"
#include "bar/IngredientVocabulary.h"
#include "bar/ShelfStore.h"
#include "bar/TextFolding.h"
#include "catalogue/DrinkCatalogue.h"
#include "catalogue/ListItem.h"
#include "catalogue/Vocabularies.h"
#include "exchange/RecipeExport.h"
#include "exchange/RecipeImport.h"
#include "platform/Codepage.h"

namespace {

namespace fs = std::filesystem;
using zestoria::TDrink;
using zestoria::TDrinkCatalogue;
using zestoria::TListedDrink;

const char kUsage[] =
    "usage: zestoria-cli list [--db FILE] [--filter TEXT]\n"
    "       zestoria-cli show ID [--db FILE]\n"
    "       zestoria-cli import FILE [--db FILE] [--format F] [--duplicates skip|add]\n"
    "       zestoria-cli export FILE [--db FILE] [--format F] [--filter TEXT] [--name COLLECTION]\n"
    "       zestoria-cli shelf [add|remove NAME...] [--db FILE] [--vocabulary FILE]\n"
    "       zestoria-cli makeable [--missing 0|1] [--db FILE] [--vocabulary FILE]\n"
    "       zestoria-cli ingredients [--unrecognised] [--filter TEXT] [--db FILE] [--vocabulary FILE]\n"
    "       F: zdr, jsonld, bar-assistant, cocktaildb, iba, csv (export: zdr, jsonld, bar-assistant, csv)\n";

// A command line that does not fit the usage: exit code 2.
class EUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TArguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;

  std::optional<std::string> Option(const std::string& name) const {
    auto it = options.find(name);
    if (it == options.end()) return std::nullopt;
    return it->second;
  }
};

// A name on the command line that names no ingredient: exit code 2.
class EUnknownName : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

TArguments ParseArguments(int argc, char** argv, const std::set<std::string>& allowed,
                          const std::set<std::string>& flags = {}) {
  TArguments args;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      if (flags.count(arg)) {
        if (!args.options.emplace(arg, "").second) throw EUsage(arg + " given twice");
        continue;
      }
      if (!allowed.count(arg)) throw EUsage("unknown option " + arg);
      if (i + 1 >= argc) throw EUsage(arg + " needs a value");
      if (!args.options.emplace(arg, argv[++i]).second) throw EUsage(arg + " given twice");
    } else {
      args.positional.push_back(arg);
    }
  }
  return args;
}

// The directory of this executable.
fs::path ProgramDirectory(const char* argv0) {
  std::error_code error;
  fs::path exe = fs::read_symlink("/proc/self/exe", error);
  if (error) exe = fs::absolute(argv0);
  return exe.parent_path();
}

// "zestoria.tdb" in the directory of this executable.
std::string DefaultDatabase(const char* argv0) {
  return (ProgramDirectory(argv0) / zestoria::kCatalogueFileName).string();
}

std::string ToCp1252(const std::string& utf8, const std::string& what) {
  std::string text;
  if (!tinydb::Utf8ToCp1252(utf8, &text))
    throw std::runtime_error(what + " holds a character that Windows-1252 cannot hold");
  return text;
}

std::string ToUtf8(const std::string& cp1252) { return tinydb::Cp1252ToUtf8(cp1252); }

// Opens the database as the program starts and runs the start-up listing.
std::vector<TListedDrink> OpenCatalogue(TDrinkCatalogue& catalogue, const TArguments& args,
                                        const char* argv0) {
  catalogue.Open(args.Option("--db").value_or(DefaultDatabase(argv0)));
  return catalogue.ListDrinks("", true);
}

// The drinks the filter accepts, in id order.
std::vector<TListedDrink> Matching(TDrinkCatalogue& catalogue, std::vector<TListedDrink> all,
                                   const TArguments& args) {
  const std::string filter = ToCp1252(args.Option("--filter").value_or(""), "The filter");
  if (filter.empty()) return all;
  return catalogue.ListDrinks(filter);
}

void RequirePositional(const TArguments& args, const char* what) {
  if (args.positional.size() != 1) throw EUsage(std::string("expected ") + what);
}

// One drink a line, "id<TAB>name", in the order of the program's list.
void PrintDrinks(const std::vector<TListedDrink>& drinks) {
  std::vector<std::string> items;
  items.reserve(drinks.size());
  for (const TListedDrink& drink : drinks) items.push_back(zestoria::makeListItem(drink.name, drink.id));
  std::stable_sort(items.begin(), items.end(), zestoria::ListItemLess);
  for (const std::string& item : items) {
    std::string name = item.substr(0, std::min(item.size(), zestoria::kListItemIdColumn));
    name.erase(name.find_last_not_of(' ') + 1);
    std::printf("%d\t%s\n", zestoria::itemId(item), ToUtf8(name).c_str());
  }
}

int RunList(int argc, char** argv) {
  const TArguments args = ParseArguments(argc, argv, {"--db", "--filter"});
  if (!args.positional.empty()) throw EUsage("list takes no file or id");
  TDrinkCatalogue catalogue;
  PrintDrinks(Matching(catalogue, OpenCatalogue(catalogue, args, argv[0]), args));
  return 0;
}

int32_t ParseId(const std::string& text) {
  int32_t id = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, id);
  if (text.empty() || error != std::errc() || stop != end) throw EUsage("not a drink id: " + text);
  return id;
}

nlohmann::ordered_json DrinkJson(const TDrink& drink) {
  nlohmann::ordered_json lines = nlohmann::ordered_json::array();
  for (size_t start = 0; start < drink.ingred.size();) {
    size_t stop = drink.ingred.find("\r\n", start);
    if (stop == std::string::npos) stop = drink.ingred.size();
    lines.push_back(ToUtf8(drink.ingred.substr(start, stop - start)));
    start = stop + 2;
  }
  nlohmann::ordered_json json;
  json["id"] = drink.id;
  json["name"] = ToUtf8(drink.name);
  json["comment"] = ToUtf8(drink.comment);
  json["ingredients"] = lines;
  json["directions"] = ToUtf8(drink.directions);
  json["type"] = zestoria::typeName(drink.type);
  json["glass"] = zestoria::glassName(drink.glass);
  json["season"] = zestoria::seasonName(drink.season);
  json["temp"] = zestoria::tempName(drink.temp);
  json["marked"] = drink.marked;
  json["status"] = ToUtf8(drink.status);
  json["read_only"] = drink.read_only != 0;
  return json;
}

int RunShow(int argc, char** argv) {
  const TArguments args = ParseArguments(argc, argv, {"--db"});
  RequirePositional(args, "one drink id");
  const int32_t id = ParseId(args.positional[0]);
  TDrinkCatalogue catalogue;
  OpenCatalogue(catalogue, args, argv[0]);
  std::printf("%s\n", DrinkJson(catalogue.LoadDrink(id)).dump(2).c_str());
  return 0;
}

std::optional<zestoria::TRecipeFormat> FormatOption(const TArguments& args) {
  const std::optional<std::string> name = args.Option("--format");
  if (!name) return std::nullopt;
  const std::optional<zestoria::TRecipeFormat> format = zestoria::RecipeFormatNamed(*name);
  if (!format) throw EUsage("unknown format " + *name);
  return format;
}

int RunImport(int argc, char** argv) {
  const TArguments args = ParseArguments(argc, argv, {"--db", "--format", "--duplicates"});
  RequirePositional(args, "one recipe file");
  zestoria::TImportOptions options;
  options.format = FormatOption(args);
  const std::string duplicates = args.Option("--duplicates").value_or("add");
  if (duplicates == "skip") options.duplicates = zestoria::TDuplicates::dSkip;
  else if (duplicates != "add") throw EUsage("--duplicates takes skip or add");
  TDrinkCatalogue catalogue;
  OpenCatalogue(catalogue, args, argv[0]);
  const zestoria::TImportReport report =
      zestoria::ImportRecipeFile(catalogue, args.positional[0], options);
  const std::vector<std::string> lines = report.Lines();
  std::printf("%s\n", lines[0].c_str());
  std::string ids;
  for (int32_t id : report.ids) ids += (ids.empty() ? "" : " ") + std::to_string(id);
  if (!ids.empty()) std::printf("%s\n", ids.c_str());
  for (size_t i = 1; i < lines.size(); ++i) std::printf("%s\n", lines[i].c_str());
  return 0;
}

int RunExport(int argc, char** argv) {
  const TArguments args = ParseArguments(argc, argv, {"--db", "--filter", "--name", "--format"});
  RequirePositional(args, "one file to write");
  const std::string& file = args.positional[0];
  std::optional<zestoria::TRecipeFormat> format = FormatOption(args);
  if (format && !zestoria::CanExport(*format))
    throw EUsage("export writes zdr, jsonld, bar-assistant or csv");
  const zestoria::TRecipeFormat chosen = zestoria::ExportFormat(file, format);
  const std::string collection =
      ToCp1252(args.Option("--name").value_or(fs::path(file).stem().string()), "The name");
  TDrinkCatalogue catalogue;
  std::vector<TListedDrink> listed = Matching(catalogue, OpenCatalogue(catalogue, args, argv[0]), args);
  std::vector<TDrink> drinks;
  drinks.reserve(listed.size());
  for (const TListedDrink& drink : listed) drinks.push_back(catalogue.LoadDrink(drink.id));
  zestoria::WriteRecipeFile(file, chosen, drinks, collection);
  std::printf("Exported %zu drinks\n", drinks.size());
  return 0;
}


// ---- My Bar ----

constexpr const char* kVocabularyFileName = "ingredients.json";

// The vocabulary as the header comment says where it is found.
zestoria::bar::TIngredientVocabulary LoadVocabulary(const TArguments& args, const char* argv0,
                                                    const std::string& database) {
  if (const std::optional<std::string> path = args.Option("--vocabulary"))
    return zestoria::bar::TIngredientVocabulary::LoadFile(*path);
  const fs::path beside_program = ProgramDirectory(argv0) / kVocabularyFileName;
  const fs::path beside_database = fs::absolute(database).parent_path() / kVocabularyFileName;
  for (const fs::path& path : {beside_program, beside_database}) {
    std::error_code error;
    if (fs::is_regular_file(path, error))
      return zestoria::bar::TIngredientVocabulary::LoadFile(path.string());
  }
  throw std::runtime_error("The ingredient vocabulary was not found at " + beside_program.string() +
                           " nor at " + beside_database.string() + "; give --vocabulary FILE");
}

// An open catalogue with its vocabulary, recogniser and shelf.
struct TBar {
  TDrinkCatalogue catalogue;
  std::vector<TListedDrink> drinks;
  zestoria::bar::TIngredientVocabulary vocabulary;
  std::unique_ptr<zestoria::bar::TIngredientRecogniser> recogniser;
  // The stored names (UTF-8) the vocabulary no longer knows: kept as they are.
  std::vector<std::string> unknown_stored;

  TBar(const TArguments& args, const char* argv0) {
    const std::string database = args.Option("--db").value_or(DefaultDatabase(argv0));
    vocabulary = LoadVocabulary(args, argv0, database);
    recogniser = std::make_unique<zestoria::bar::TIngredientRecogniser>(vocabulary);
    catalogue.Open(database);
    drinks = catalogue.ListDrinks("", true);
  }

  // The stored shelf; a file that never stored one has every staple.
  zestoria::bar::TShelf Shelf() {
    if (!zestoria::bar::HasShelfTable(catalogue))
      return zestoria::bar::TShelf::WithStaples(vocabulary);
    zestoria::bar::TShelf shelf(vocabulary);
    unknown_stored.clear();
    for (const std::string& stored : zestoria::bar::LoadShelfNames(catalogue)) {
      const std::string name = ToUtf8(stored);
      const std::optional<zestoria::bar::TIngredientId> id = vocabulary.FindName(name);
      if (id && vocabulary[*id].name == name) shelf.Add(*id);
      else unknown_stored.push_back(name);
    }
    return shelf;
  }

  void Save(const zestoria::bar::TShelf& shelf) {
    std::vector<std::string> names;
    for (zestoria::bar::TIngredientId id : shelf.Items())
      names.push_back(ToCp1252(vocabulary[id].name, "The ingredient name"));
    for (const std::string& name : unknown_stored) names.push_back(ToCp1252(name, "The ingredient name"));
    zestoria::bar::SaveShelfNames(catalogue, names);
  }

  zestoria::bar::TBarIndex Index() {
    zestoria::bar::TBarIndex index(*recogniser);
    for (const TListedDrink& drink : drinks) index.PutDrink(catalogue.LoadDrink(drink.id));
    return index;
  }

  std::vector<TListedDrink> Listed(const std::vector<int32_t>& ids) const {
    const std::set<int32_t> wanted(ids.begin(), ids.end());
    std::vector<TListedDrink> listed;
    for (const TListedDrink& drink : drinks)
      if (wanted.count(drink.id)) listed.push_back(drink);
    return listed;
  }
};

int RunShelf(int argc, char** argv) {
  const TArguments args = ParseArguments(argc, argv, {"--db", "--vocabulary"});
  std::vector<std::string> names = args.positional;
  std::string action;
  if (!names.empty()) {
    action = names.front();
    names.erase(names.begin());
    if (action != "add" && action != "remove")
      throw EUsage("shelf takes add or remove and ingredient names, or nothing");
    if (names.empty()) throw EUsage("shelf " + action + " needs ingredient names");
  }
  TBar bar(args, argv[0]);
  zestoria::bar::TShelf shelf = bar.Shelf();
  if (!action.empty()) {
    std::vector<zestoria::bar::TIngredientId> ids;
    std::string unknown;
    for (const std::string& name : names) {
      const std::optional<zestoria::bar::TIngredientId> id = bar.recogniser->Name(name);
      if (id) ids.push_back(*id);
      else unknown += (unknown.empty() ? "\"" : ", \"") + name + "\"";
    }
    if (!unknown.empty()) throw EUnknownName("No ingredient is named " + unknown);
    for (zestoria::bar::TIngredientId id : ids) {
      if (action == "add") shelf.Add(id);
      else shelf.Remove(id);
    }
    bar.Save(shelf);
  }
  for (zestoria::bar::TIngredientId id : shelf.Items())
    std::printf("%s\n", bar.vocabulary[id].name.c_str());
  return 0;
}

int RunMakeable(int argc, char** argv) {
  const TArguments args = ParseArguments(argc, argv, {"--db", "--vocabulary", "--missing"});
  if (!args.positional.empty()) throw EUsage("makeable takes no names");
  const std::string missing = args.Option("--missing").value_or("0");
  if (missing != "0" && missing != "1") throw EUsage("--missing takes 0 or 1");
  TBar bar(args, argv[0]);
  const zestoria::bar::TShelf shelf = bar.Shelf();
  const zestoria::bar::TBarIndex index = bar.Index();
  std::vector<int32_t> ids;
  if (missing == "0") {
    ids = index.Makeable(shelf);
  } else {
    for (const zestoria::bar::TOneAway& away : index.OneAway(shelf)) ids.push_back(away.drink);
  }
  PrintDrinks(bar.Listed(ids));
  return 0;
}

// Without --unrecognised: every ingredient of the vocabulary whose name or
// an alias holds the filter's text (folded), "name<TAB>group", with "<TAB>on shelf"
// for those on the shelf. With it: every line of the catalogue the
// recogniser cannot name, "id<TAB>line", by drink id, those holding the
// filter's text only.
int RunIngredients(int argc, char** argv) {
  const TArguments args =
      ParseArguments(argc, argv, {"--db", "--vocabulary", "--filter"}, {"--unrecognised"});
  if (!args.positional.empty()) throw EUsage("ingredients takes no names");
  const std::string filter = zestoria::bar::FoldedKey(args.Option("--filter").value_or(""));
  const auto passes = [&filter](const std::string& text) {
    return zestoria::bar::FoldedKey(text).find(filter) != std::string::npos;
  };
  TBar bar(args, argv[0]);
  if (args.Option("--unrecognised")) {
    const zestoria::bar::TBarIndex index = bar.Index();
    for (const auto& [id, line] : index.UnrecognisedLines())
      if (passes(line)) std::printf("%d\t%s\n", id, line.c_str());
    return 0;
  }
  const zestoria::bar::TShelf shelf = bar.Shelf();
  for (zestoria::bar::TIngredientId id = 0; id < bar.vocabulary.size(); ++id) {
    const zestoria::bar::TIngredient& ingredient = bar.vocabulary[id];
    bool shown = passes(ingredient.name);
    for (const std::string& alias : ingredient.aliases) shown = shown || passes(alias);
    if (!shown) continue;
    std::printf("%s\t%s%s\n", ingredient.name.c_str(), zestoria::bar::GroupName(ingredient.group),
                shelf.Has(id) ? "\ton shelf" : "");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string verb = argv[1];
  try {
    if (verb == "list") return RunList(argc, argv);
    if (verb == "show") return RunShow(argc, argv);
    if (verb == "import") return RunImport(argc, argv);
    if (verb == "export") return RunExport(argc, argv);
    if (verb == "shelf") return RunShelf(argc, argv);
    if (verb == "makeable") return RunMakeable(argc, argv);
    if (verb == "ingredients") return RunIngredients(argc, argv);
    throw EUsage("unknown command " + verb);
  } catch (const EUsage& e) {
    std::fprintf(stderr, "zestoria-cli: %s\n%s", e.what(), kUsage);
    return 2;
  } catch (const EUnknownName& e) {
    std::fprintf(stderr, "zestoria-cli: %s\n", e.what());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zestoria-cli: %s\n", e.what());
    return 1;
  }
}
