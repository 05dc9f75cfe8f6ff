// libFuzzer driver: exchange files.
#include "../FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zestoria::fuzz::RunExchangeFile(data, size);
  return 0;
}
