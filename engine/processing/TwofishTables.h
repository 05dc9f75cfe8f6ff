// Key-independent Twofish tables: the fixed byte permutations q0 and q1 and
// the MDS matrix's column multiplications over GF(2^8) mod 0x169.
#pragma once

#include <cstdint>

namespace tinydb {

// The permutations q0 and q1, built from their 4-bit t-tables.
extern const uint8_t kTwofishQ0[256];
extern const uint8_t kTwofishQ1[256];

// kTwofishMds[j][x]: column j of the MDS matrix times byte x; byte i of the
// word (least significant first) is row i's product. The MDS product of
// bytes y0..y3 is kTwofishMds[0][y0] ^ ... ^ kTwofishMds[3][y3].
extern const uint32_t kTwofishMds[4][256];

}  // namespace tinydb
