// libFuzzer target over the exam reader (built with -DZUK_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>

#include "ExamReaderFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzExamReaderOnce(data, size);
  return 0;
}
