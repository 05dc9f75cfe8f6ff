// libFuzzer driver: database images.
#include "../FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zestoria::fuzz::RunDatabaseImage(data, size);
  return 0;
}
