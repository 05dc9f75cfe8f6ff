// libFuzzer driver: recipe files of every format.
#include "../FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zestoria::fuzz::RunRecipeFile(data, size);
  return 0;
}
