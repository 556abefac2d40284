// libFuzzer target over the RTF reader and document builder (built with -DZUK_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>

#include "RTFReaderFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRTFReaderOnce(data, size);
  return 0;
}
