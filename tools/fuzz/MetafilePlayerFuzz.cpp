// libFuzzer target over the metafile players (Windows and enhanced) (built with -DZUK_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>

#include "MetafilePlayerFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzMetafilePlayerOnce(data, size);
  return 0;
}
