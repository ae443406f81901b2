#include "subtitle_fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadFuzzInput(data, size, ".smi");
  return 0;
}
