// libFuzzer target over the RVF reader (built with -DZUK_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>

#include "RVFReaderFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRVFReaderOnce(data, size);
  return 0;
}
