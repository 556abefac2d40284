// libFuzzer target over the GIF decoder (built with -DZUK_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>

#include "GIFDecoderFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzGIFDecoderOnce(data, size);
  return 0;
}
