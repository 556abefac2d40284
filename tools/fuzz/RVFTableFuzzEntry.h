// The RVF fuzzing step with table records and stored controls known to the reader: the table
// class and the standard control classes are registered first, so that records of style -60
// become tables (with their cells' nested documents) and control bodies are read.
#pragma once

#include "RVFReaderFuzzEntry.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/table/RVTable.h"

inline void FuzzRVFWithTablesOnce(const uint8_t* data, size_t size) {
  RVRegisterTableItemClass();
  RegisterStandardControlClasses();
  FuzzRVFReaderOnce(data, size);
}
