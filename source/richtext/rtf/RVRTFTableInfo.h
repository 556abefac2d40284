// One table being read from RTF: the column boundaries all its rows share, the scratch
// one-row table that collects the content of the row being read, and the sums from which the
// table-wide values are averaged when the table ends.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "richtext/rtf/RVRTFProps.h"
#include "richtext/table/RVTable.h"

struct TRVRTFReaderProperties::TTableInfo {
  std::vector<int32_t> Boundaries;  // twips, ascending after the first row
  int SavedRowCounter = 0;
  int SavedCellCounter = 0;
  std::unique_ptr<TRVTableItemInfo> Table;
  std::unique_ptr<TRVTableItemInfo> RowTable;
  int64_t VSpacingSum = 0, FirstTopSpacing = 0, LastBottomSpacing = 0, HSpacingSum = 0, PaddingSum = 0;
  int32_t PaddingCount = 0;
  int32_t BestWidth = 0;
  int64_t TableBorderWidthSum = 0, CellBorderWidthSum = 0;
  int32_t TableBorderSideCount = 0, CellBorderSideCount = 0;
  bool HSpacingGiven = false, VSpacingGiven = false, CellHasBestWidth = false, CellBorderColorsUniform = true,
       OwnSizes = false, RowAppended = false;
};
