// The RVF fuzzing step with table records known to the reader: the table class is registered
// first, so that records of style -60 become tables (with their cells' nested documents)
// instead of unknown items.
#pragma once

#include "RVFReaderFuzzEntry.h"
#include "richtext/table/RVTable.h"

inline void FuzzRVFWithTablesOnce(const uint8_t* data, size_t size) {
  RVRegisterTableItemClass();
  FuzzRVFReaderOnce(data, size);
}
