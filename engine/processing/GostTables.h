// Precomputed GOST 28147-89 round tables for the engine's S-boxes.
#pragma once

#include <cstdint>

namespace tinydb {

// kGostSubstitution[i][b]: byte b in position i of the 32-bit round sum,
// passed through the two S-boxes of its nibbles, shifted into place and
// rotated left by 11 bits. The round function is the XOR of the four.
extern const uint32_t kGostSubstitution[4][256];

}  // namespace tinydb
