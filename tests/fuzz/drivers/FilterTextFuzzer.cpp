// libFuzzer driver: filter texts.
#include "../FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zestoria::fuzz::RunFilterText(data, size);
  return 0;
}
