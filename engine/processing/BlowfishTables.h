// Initial Blowfish P-array and S-boxes: the fractional hexadecimal digits of
// pi, taken 32 bits at a time (P first, then S-box 0 to 3).
#pragma once

#include <cstdint>

namespace tinydb {

constexpr int kBlowfishPWords = 18;  // 16 rounds + 2 output whitening words

// P-array before any key is mixed in; P[0] = 0x243F6A88.
extern const uint32_t kBlowfishInitialP[kBlowfishPWords];

// The four S-boxes before keying; S[3][255] = 0x3AC372E6.
extern const uint32_t kBlowfishInitialS[4][256];

}  // namespace tinydb
