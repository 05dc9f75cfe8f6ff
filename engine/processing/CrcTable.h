// Precomputed byte table of the reflected CRC-32 (polynomial 0xEDB88320).
#pragma once

#include <cstdint>

namespace tinydb {

// kCrc32Table[b]: the register change for one byte b shifted out of the
// low end of the reflected register.
extern const uint32_t kCrc32Table[256];

}  // namespace tinydb
