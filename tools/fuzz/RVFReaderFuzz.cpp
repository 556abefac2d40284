// libFuzzer target over the RVF reader, tables included (built with -DZUK_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>

#include "RVFTableFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRVFWithTablesOnce(data, size);
  return 0;
}
