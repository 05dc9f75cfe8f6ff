// The command-line split shared by the verbs that read and write records.
#include <algorithm>

#include "Commands.h"

namespace tdb {

std::optional<std::string> TCommandLine::Value(const std::string& option) const {
  auto found = Values.find(option);
  if (found == Values.end()) return std::nullopt;
  return found->second;
}

bool TCommandLine::Has(const std::string& flag) const { return Flags.count(flag) != 0; }

TCommandLine ParseCommandLine(const std::vector<std::string>& args,
                              std::initializer_list<std::string> value_options,
                              std::initializer_list<std::string> flag_options) {
  auto among = [](const std::string& arg, std::initializer_list<std::string> options) {
    return std::find(options.begin(), options.end(), arg) != options.end();
  };
  TCommandLine line;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (among(arg, value_options)) {
      if (i + 1 >= args.size()) throw EUsageError(arg + " needs a value");
      if (!line.Values.emplace(arg, args[++i]).second)
        throw EUsageError(arg + " is given more than once");
    } else if (among(arg, flag_options)) {
      line.Flags.insert(arg);
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw EUsageError("unknown option " + arg);
    } else {
      line.Positional.push_back(arg);
    }
  }
  return line;
}

}  // namespace tdb
