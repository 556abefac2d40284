// libFuzzer target over the regular-expression compiler and matcher (built with -DZUK_FUZZ=ON
// and clang).
#include <cstddef>
#include <cstdint>

#include "RegexFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRegexOnce(data, size);
  return 0;
}
