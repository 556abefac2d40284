// libFuzzer target over the Windows metafile player (built with -DZUK_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>

#include "WMFPlayerFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWMFPlayerOnce(data, size);
  return 0;
}
