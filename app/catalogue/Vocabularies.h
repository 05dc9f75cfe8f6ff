// The four category vocabularies of a drink: type, glass, season and
// serving temperature. Each turns a stored integer code into the name the
// user sees, and a name back into its code. Names are Windows-1252 (they
// are plain ASCII) and compare exactly, case and blanks included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zestoria {

// Codes run from 0 to the count minus 1.
constexpr int kTypeCount = 27;
constexpr int kGlassCount = 15;
constexpr int kSeasonCount = 6;
constexpr int kTempCount = 3;

// The name of a type code (0..26); "" for any other code.
std::string typeName(int32_t code);
// The code whose name equals |name| exactly; -1 for any other text.
int32_t typeCode(const std::string& name);

// The name of a glass code (0..14); "" for any other code. The code is also
// the number of the glass picture.
std::string glassName(int32_t code);
// The code whose name equals |name| exactly; -1 for any other text.
int32_t glassCode(const std::string& name);

// The name of a season code (0..5); "" for any other code.
std::string seasonName(int32_t code);
// The code whose name equals |name| exactly; -1 for any other text.
int32_t seasonCode(const std::string& name);

// The name of a serving temperature code (0..2); "" for any other code.
std::string tempName(int32_t code);
// 1 for "Room", 2 for "Hot", and 0 ("Cold") for every other text.
int32_t tempCode(const std::string& name);

// The items of the editing choosers, in the order they are listed. The type
// chooser's order differs from the codes; the others follow their codes.
const std::vector<std::string>& TypeChooserItems();
const std::vector<std::string>& GlassChooserItems();
const std::vector<std::string>& SeasonChooserItems();
const std::vector<std::string>& TempChooserItems();

}  // namespace zestoria
