// zestoria-cli: the drink catalogue from the command line, through the same
// catalogue code as the program.
//
//   zestoria-cli list [--db FILE] [--filter TEXT]
//   zestoria-cli show ID [--db FILE]
//   zestoria-cli import FILE [--db FILE] [--format F] [--duplicates skip|add]
//   zestoria-cli export FILE [--db FILE] [--format F] [--filter TEXT] [--name COLLECTION]
//
// F is zdr, jsonld, bar-assistant, cocktaildb, iba or csv (export: zdr,
// jsonld, bar-assistant, csv); left out, import recognises the format from
// the content and export takes it from the extension.
//
// Every command opens the database as the program starts: the image in
// memory, the start-up listing (next drink id, marks cleared). Only import
// writes the file back.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

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

TArguments ParseArguments(int argc, char** argv, const std::set<std::string>& allowed) {
  TArguments args;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      if (!allowed.count(arg)) throw EUsage("unknown option " + arg);
      if (i + 1 >= argc) throw EUsage(arg + " needs a value");
      if (!args.options.emplace(arg, argv[++i]).second) throw EUsage(arg + " given twice");
    } else {
      args.positional.push_back(arg);
    }
  }
  return args;
}

// "zestoria.tdb" in the directory of this executable.
std::string DefaultDatabase(const char* argv0) {
  std::error_code error;
  fs::path exe = fs::read_symlink("/proc/self/exe", error);
  if (error) exe = fs::absolute(argv0);
  return (exe.parent_path() / zestoria::kCatalogueFileName).string();
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

int RunList(int argc, char** argv) {
  const TArguments args = ParseArguments(argc, argv, {"--db", "--filter"});
  if (!args.positional.empty()) throw EUsage("list takes no file or id");
  TDrinkCatalogue catalogue;
  std::vector<TListedDrink> drinks = Matching(catalogue, OpenCatalogue(catalogue, args, argv[0]), args);

  std::vector<std::string> items;
  items.reserve(drinks.size());
  for (const TListedDrink& drink : drinks) items.push_back(zestoria::makeListItem(drink.name, drink.id));
  std::stable_sort(items.begin(), items.end(), zestoria::ListItemLess);
  for (const std::string& item : items) {
    std::string name = item.substr(0, std::min(item.size(), zestoria::kListItemIdColumn));
    name.erase(name.find_last_not_of(' ') + 1);
    std::printf("%d\t%s\n", zestoria::itemId(item), ToUtf8(name).c_str());
  }
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
    throw EUsage("unknown command " + verb);
  } catch (const EUsage& e) {
    std::fprintf(stderr, "zestoria-cli: %s\n%s", e.what(), kUsage);
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zestoria-cli: %s\n", e.what());
    return 1;
  }
}
