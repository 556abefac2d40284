// Tables from RTF. RTF has no table object: a table is a run of paragraphs cut into cells and
// rows, with the row's geometry given again with every row. The content of the row being read
// goes into a scratch one-row table; at each row end the cells are laid on a grid of column
// boundaries that all rows share (1 twip of tolerance), with merges, colours, borders and
// sizes; at the end the table-wide values are averaged over the rows.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/core/Exceptions.h"
#include "richtext/core/CRVData.h"
#include "richtext/rtf/RVRTFFuncs.h"
#include "richtext/rtf/RVRTFTableInfo.h"
#include "richtext/table/RVTableCell.h"

namespace {

constexpr int32_t kBoundaryTolerance = 1;  // twips
constexpr int kMaxColumns = 1000;
constexpr int64_t kMaxCells = 1000000;
/// The width given to a cell the row's geometry does not describe.
constexpr int32_t kDefaultCellWidth = 1440;

/// Twips differences and sums in 64 bits, clamped back to what a boundary can hold.
int32_t clampTwips(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, -std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()));
}

/// Sizes the layout can work with: pixels up to this bound, percentages up to 100.
constexpr int64_t kMaxPixels = 100000;

/// A width as the table keeps it: negative for a percentage (at most 100), else pixels.
int32_t saneWidth(int64_t v) {
  return static_cast<int32_t>(v < 0 ? std::max<int64_t>(v, -100) : std::min(v, kMaxPixels));
}

/// Pixels that cannot be a percentage: 0 up to the bound.
int32_t sanePixels(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, 0, kMaxPixels));
}

/// |a - b| > the tolerance, without overflow.
bool apart(int32_t a, int32_t b) {
  return std::llabs(int64_t{a} - b) > kBoundaryTolerance;
}

/// The first boundary not below X, or the number of boundaries.
int FindBoundary(const std::vector<int32_t>& Boundaries, int32_t X) {
  return static_cast<int>(std::lower_bound(Boundaries.begin(), Boundaries.end(), X) - Boundaries.begin());
}

/// The first colour (left, else top) and second colour (right, else bottom) of a border.
std::pair<TColor, TColor> borderColors(const TRVRTFParaBorder& b) {
  auto colorOf = [&](int first, int second) {
    if (const auto* s = b.StyledSide(first)) return s->Color;
    if (const auto* s = b.StyledSide(second)) return s->Color;
    return clNone;
  };
  return {colorOf(0, 1), colorOf(2, 3)};
}

/// The table's column count kept at boundaries + 1 (the spare columns the rows fill).
void ensureColumns(TRVTableItemInfo& table, size_t boundaries) {
  TRVTableRows& rows = table.Rows();
  if (rows.Count() == 0) return;
  const int wanted = static_cast<int>(boundaries) + 1;
  if (rows.GetColCount() < wanted)
    rows.InsertCols(rows.GetColCount(), wanted - rows.GetColCount(), -1, false);
}

/// True when the data holds nothing but empty text (the paragraph a cell end makes for an
/// empty cell).
bool holdsNothing(TCustomRVData& data) {
  for (int i = 0; i < data.GetItemCount(); ++i)
    if (data.GetItem(i)->StyleNo < 0 || !data.GetItemText(i).empty()) return false;
  return true;
}

/// Moves what Source holds to the end of Dest, as paragraphs of their own: text of a cell
/// that a merge took over, or text after a row's last cell. An empty paragraph of Dest gives
/// way to it.
void joinContent(TCustomRVData& Dest, TCustomRVData& Source) {
  if (holdsNothing(Source)) return;
  if (holdsNothing(Dest)) Dest.Clear();
  TCustomRVItemInfo* first = Source.GetItem(0);
  first->SetSameAsPrev(false);
  first->SetBR(false);
  Dest.AppendItemsFrom(&Source);
}

}  // namespace

void TRVRTFReaderProperties::FreeTables() {
  // A marker still waiting for its list may be in one of the cells that go.
  pendingMarker_ = -1;
  // Innermost first: a nested table belongs to a cell of the table around it.
  while (!tables_.empty()) tables_.pop_back();
  rowCounter_ = cellCounter_ = 0;
}

void TRVRTFReaderProperties::Table(TRVRTFReader* Reader, TRVRTFTableEventKind WhatHappens) {
  (void)Reader;
  switch (WhatHappens) {
    case rvf_tbl_TableStart:
      TableStart();
      break;
    case rvf_tbl_TableEnd:
      if (!tables_.empty()) TableEnd();
      break;
    case rvf_tbl_RowEnd:
      if (!tables_.empty()) RowEnd();
      break;
    case rvf_tbl_CellEnd:
      if (!tables_.empty()) CellEnd();
      break;
  }
}

void TRVRTFReaderProperties::TableStart() {
  auto info = std::make_unique<TTableInfo>();
  info->Table = TRVTableItemInfo::CreateWithSize(0, 0, current_);
  TRVTableItemInfo& table = *info->Table;
  table.State &= static_cast<uint16_t>(~rvtsItemActionToCells);
  table.Rows().Reading = true;
  table.Color = clNone;
  table.BorderStyle = rvtbRaisedColor;
  table.CellBorderStyle = rvtbLoweredColor;
  table.CellBorderColor = rtfAutoColor;
  table.BorderColor = rtfAutoColor;
  table.BorderLightColor = rtfAutoColor;
  table.CellBorderLightColor = rtfAutoColor;
  info->RowTable = TRVTableItemInfo::CreateWithSize(1, 1, current_);
  info->RowTable->State &= static_cast<uint16_t>(~rvtsItemActionToCells);
  info->RowTable->Rows().Reading = true;
  info->SavedRowCounter = rowCounter_;
  info->SavedCellCounter = cellCounter_;
  rowCounter_ = cellCounter_ = 0;
  TRVTableCellData* cell = info->RowTable->GetCell(0, 0);
  cell->Clear();
  current_ = cell;
  tables_.push_back(std::move(info));
}

void TRVRTFReaderProperties::CellEnd() {
  TTableInfo& info = *tables_.back();
  TRVTableItemInfo& rowTable = *info.RowTable;
  TRVTableCellData* cell = rowTable.GetCell(0, cellCounter_);
  if (cell != nullptr && cell->GetItemCount() == 0) {
    current_ = cell;
    NewText(reader_, std::string(), nullptr, rtf_ts_NewPara);
    UpdateMarker(reader_);
  }
  if (cellCounter_ + 1 >= kMaxColumns) throw Exception("Too many table cells in a row");
  ++cellCounter_;
  if (rowTable.Rows().GetColCount() == cellCounter_) rowTable.Rows().InsertCols(cellCounter_, 1, -1, false);
  TRVTableCellData* next = rowTable.GetCell(0, cellCounter_);
  next->Clear();
  current_ = next;
}

void TRVRTFReaderProperties::RowEnd() {
  // The row's content moves into the table: a marker waiting for its list gets it now.
  UpdateMarker(reader_);
  TTableInfo& info = *tables_.back();
  AppendRow(info, reader_->State().GetRow());
  info.RowAppended = true;
  ++rowCounter_;
  cellCounter_ = 0;
  TRVTableRows& rows = info.RowTable->Rows();
  rows.Clear();
  rows.InitRows(1, 1);
  TRVTableCellData* cell = info.RowTable->GetCell(0, 0);
  cell->Clear();
  current_ = cell;
}

void TRVRTFReaderProperties::ResetCell(TRVTableItemInfo& Table, int Row, int Col) {
  TRVTableCellData* cell = Table.GetCell(Row, Col);
  if (cell == nullptr) return;
  cell->VisibleBorders.SetAll(false);
  cell->Clear();
  cell->AddTextItem(std::string(), ReaderMadeTextStyle(), ReaderMadeParaStyle(0));
}

void TRVRTFReaderProperties::WidenSplitColumn(TRVTableItemInfo& Table, int Col) {
  TRVTableRows& rows = Table.Rows();
  if (Col >= rows.GetColCount() - 2) return;
  const int earlier = rows.Count() - 1;
  for (int r = 0; r < earlier; ++r)
    if (TRVTableCellData* cell = rows.Get(r)->GetCell(Col)) cell->Clear();
  for (int r = 0; r < earlier; ++r) {
    TRVTableCellData* left = rows.Get(r)->GetCell(Col);
    TRVTableCellData* right = rows.Get(r)->GetCell(Col + 1);
    if (left == nullptr || right == nullptr) continue;
    left->AssignAttributesFrom(*right, true, 1, 1);
    rows.MergeCells(r, Col, right->ColSpan + 1, right->RowSpan, true, false);
  }
}

void TRVRTFReaderProperties::ApplyCellProperties(TTableInfo& Info, int Row, int Col,
                                                 const TRVRTFCellProperties& C,
                                                 const TRVRTFRowProperties& RowProps, int FromIndex,
                                                 int ToIndex) {
  TRVTableCellData* cell = Info.Table->GetCell(Row, Col);
  if (cell == nullptr) return;
  cell->Color = C.BackColor;
  if (RowProps.HasOwnSizes)
    cell->BestHeight = sanePixels(C.BestHeight);
  else if (RowProps.Height > 0)
    cell->BestHeight = sanePixels(ToPixels(RowProps.Height));
  for (int side = 0; side < 4; ++side)
    if (const auto* s = C.Border.StyledSide(side)) {
      Info.CellBorderWidthSum += s->Width;
      ++Info.CellBorderSideCount;
    }
  cell->VisibleBorders.SetValues(C.Border.StyledSide(0) != nullptr, C.Border.StyledSide(1) != nullptr,
                                 C.Border.StyledSide(2) != nullptr, C.Border.StyledSide(3) != nullptr);
  const auto [first, second] = borderColors(C.Border);
  cell->BorderColor = first;
  cell->BorderLightColor = second;
  if (!(first == second || first == clNone || second == clNone)) Info.CellBorderColorsUniform = false;
  if (RowProps.HasOwnSizes) {
    cell->BestWidth = saneWidth(C.BestWidth);
  } else {
    if (C.BestWidth != 0) Info.CellHasBestWidth = true;
    if (!Info.CellHasBestWidth)
      cell->BestWidth =
          sanePixels(ToPixels(clampTwips(int64_t{Info.Boundaries[ToIndex]} - Info.Boundaries[FromIndex])));
    else
      cell->BestWidth = saneWidth(C.BestWidth > 0 ? ToPixels(C.BestWidth) : C.BestWidth / 50);
  }
  cell->VAlign = C.VAlign == 1 ? rvcBottom : C.VAlign == 2 ? rvcMiddle : rvcTop;
}

void TRVRTFReaderProperties::AppendRow(TTableInfo& Info, const TRVRTFRowProperties& RowIn) {
  TRVTableItemInfo& table = *Info.Table;
  TRVTableRows& rows = table.Rows();
  const int r = rowCounter_;
  const int rowTableCols = Info.RowTable->Rows().GetColCount();

  // Cells that the row's geometry does not describe get boundaries of their own, so that
  // their content is kept. Text after the row's last cell end (in the spare cell) joins the
  // last cell; a row without any cell gets one for it.
  TRVTableCellData* spare = Info.RowTable->GetCell(0, rowTableCols - 1);
  const int described = rowTableCols == 1 && spare != nullptr && !holdsNothing(*spare) ? 1 : rowTableCols - 1;
  TRVRTFRowProperties rp = RowIn;
  while (static_cast<int>(rp.Cells.size()) < described) {
    TRVRTFCellProperties extra;
    const int32_t last = rp.Cells.empty() ? rp.Left : rp.Cells.back().Right;
    const int32_t prevLeft = rp.Cells.size() >= 2 ? rp.Cells[rp.Cells.size() - 2].Right : rp.Left;
    const int64_t width = int64_t{last} - prevLeft;
    extra.Right = clampTwips(last + (width > 0 ? width : kDefaultCellWidth));
    rp.Cells.push_back(extra);
  }
  if (static_cast<int>(rp.Cells.size()) >= kMaxColumns ||
      int64_t{rows.Count() + 1} * std::max<int64_t>(rows.GetColCount(), rp.Cells.size() + 2) > kMaxCells)
    throw Exception("Too many table cells");

  // 1, 2: a new row, and columns for the row table's cells.
  rows.InsertRows(rows.Count(), 1, -1, false);
  if (rows.GetColCount() < rowTableCols) {
    const int firstAdded = rows.GetColCount();
    rows.InsertCols(firstAdded, rowTableCols - firstAdded + 1, -1, false);
    if (r > 1) {
      rows.MergeCells(0, firstAdded, rows.GetColCount() - firstAdded, rows.Count(), true, false);
      ResetCell(table, 0, firstAdded);
    }
  }
  // 3: heading rows.
  if (rp.Heading) table.HeadingRowCount = rows.Count();
  // 4: spacing.
  if (rp.SpacingInTwips[1]) {
    if (r == 0)
      Info.FirstTopSpacing = rp.Spacing[1];
    else
      Info.VSpacingSum += rp.Spacing[1];
  }
  Info.VSpacingSum += Info.LastBottomSpacing;
  Info.HSpacingGiven = Info.HSpacingGiven || rp.SpacingInTwips[0] || rp.SpacingInTwips[2];
  Info.VSpacingGiven = Info.VSpacingGiven || rp.SpacingInTwips[1] || rp.SpacingInTwips[3];
  if (rp.SpacingInTwips[3]) Info.LastBottomSpacing = rp.Spacing[3];
  for (int side : {0, 2}) {
    if (rp.SpacingInTwips[side])
      Info.HSpacingSum += rp.Spacing[side];
    else
      Info.HSpacingSum += int64_t{rp.GapH} - (rp.PaddingInTwips[side] ? rp.Padding[side] : 0);
  }
  // 5: table border and padding sums.
  for (int side = 0; side < 4; ++side) {
    if (const auto* s = rp.Border.StyledSide(side)) {
      Info.TableBorderWidthSum += s->Width;
      ++Info.TableBorderSideCount;
    }
    if (rp.PaddingInTwips[side]) Info.PaddingSum += rp.Padding[side];
    ++Info.PaddingCount;
  }
  // 6: preferred width: the first non-zero width decides the kind, the widest of it wins.
  if (rp.HasOwnSizes) {
    Info.BestWidth = rp.BestWidth;
    Info.OwnSizes = true;
  } else {
    const int32_t w = rp.BestWidth, p = Info.BestWidth;
    if ((p <= 0 && w < p) || (p >= 0 && w > p)) Info.BestWidth = w;
  }
  // 7: table border colours.
  const auto [first, second] = borderColors(rp.Border);
  if (first != clNone) table.BorderLightColor = first;
  if (second != clNone) table.BorderColor = second;

  // 8: boundaries and cells.
  auto& b = Info.Boundaries;
  const int n = static_cast<int>(rp.Cells.size());
  auto rowTableCell = [&](int rowTableCol) {
    return rowTableCol < Info.RowTable->Rows().GetColCount() ? Info.RowTable->GetCell(0, rowTableCol)
                                                             : nullptr;
  };
  // The cell that took the content of the row's last RTF cell.
  TRVTableCellData* lastCell = nullptr;
  // A cell whose slot a merge took over gives its content to the cell that covers the slot.
  auto moveContent = [&](int row, int col, int rowTableCol) {
    TRVTableCellData* src = rowTableCell(rowTableCol);
    if (TRVTableCellData* dest = table.GetCell(row, col)) {
      dest->Clear();
      if (src != nullptr) dest->AppendItemsFrom(src);
      lastCell = dest;
      return;
    }
    int mr = 0, mc = 0;
    if (TRVTableCellData* main = rows.GetMainCell(row, col, mr, mc)) {
      if (src != nullptr) joinContent(*main, *src);
      lastCell = main;
    }
  };
  auto keepSpare = [&]() {
    TRVTableCellData* src = rowTableCell(n);
    if (src != nullptr && lastCell != nullptr) joinContent(*lastCell, *src);
  };

  if (r == 0) {
    b.clear();
    b.push_back(rp.Left);
    for (const auto& c : rp.Cells) b.push_back(c.Right);
    ensureColumns(table, b.size());
    for (int i = 0; i < n; ++i) {
      if (rp.Cells[i].HMerge == 2 && i > 0) {
        int mr = 0, mc = 0;
        if (rows.GetMainCell(0, i - 1, mr, mc) != nullptr)
          rows.MergeCells(mr, mc, i - mc + 1, 1 - mr, true, false);
      }
      if (table.GetCell(0, i) != nullptr) ApplyCellProperties(Info, 0, i, rp.Cells[i], rp, i, i + 1);
      moveContent(0, i, i);
    }
    keepSpare();
    for (int c = n; c < rows.GetColCount(); ++c) ResetCell(table, 0, c);
    return;
  }

  auto mergeEarlierRows = [&](int col) {
    if (col < 0 || col >= rows.GetColCount()) return;
    rows.MergeCells(0, col, 1, r, true, false);
    ResetCell(table, 0, col);
  };
  auto insertBoundary = [&](int32_t x) {
    if (static_cast<int>(b.size()) > kMaxColumns) throw Exception("Too many table columns");
    b.push_back(x);
    std::sort(b.begin(), b.end());
  };
  auto insertColumn = [&](int col) { rows.InsertCols(std::clamp(col, 0, rows.GetColCount()), 1, -1, false); };

  // Align the row's left edge.
  int P = 0;
  int32_t X = rp.Left;
  int K = FindBoundary(b, X);
  const int nb0 = static_cast<int>(b.size());
  if (K == 0) {
    if (apart(b[0], X)) {
      insertBoundary(X);
      insertColumn(0);
      mergeEarlierRows(0);
    }
  } else if (K == nb0) {
    insertBoundary(X);
    insertColumn(K - 1);
    insertColumn(K - 1);
    mergeEarlierRows(K);
    WidenSplitColumn(table, K - 1);
    rows.MergeCells(r, 0, K, 1, true, false);
    ResetCell(table, r, 0);
    if (TRVTableCellData* cell = table.GetCell(r, 0))
      cell->BestWidth = sanePixels(ToPixels(clampTwips(int64_t{b[K]} - b[0] - 2 * int64_t{rp.GapH})));
    P = K;
  } else {
    if (apart(b[K], X)) {
      insertBoundary(X);
      insertColumn(K - 1);
      ResetCell(table, r, K - 1);
      WidenSplitColumn(table, K - 1);
    }
    rows.MergeCells(r, 0, K, 1, true, false);
    P = K;
  }
  ensureColumns(table, b.size());

  for (int i = 0; i < n; ++i) {
    const TRVRTFCellProperties& cp = rp.Cells[i];
    const int lastIndex = static_cast<int>(b.size()) - 1;
    X = cp.Right;
    if (cp.HMerge == 1 && i + 1 < n) {
      X = P >= lastIndex ? rp.Cells[i + 1].Right : std::min(b[P + 1], rp.Cells[i + 1].Right);
    }
    K = FindBoundary(b, X);
    const int nb = static_cast<int>(b.size());
    if (K == nb) {
      if (P < nb - 1) insertColumn(K - 1);
      insertBoundary(X);
      mergeEarlierRows(K - 1);
    } else if (K == 0) {
      // A cell that ends left of the first boundary starts a boundary there of its own.
      if (apart(b[0], X)) {
        insertBoundary(X);
        insertColumn(0);
        mergeEarlierRows(0);
      }
    } else if (apart(b[K], X)) {
      insertBoundary(X);
      insertColumn(K - 1);
      WidenSplitColumn(table, K - 1);
    }
    ensureColumns(table, b.size());
    // A cell never covers less than one column.
    if (K <= P) {
      K = P + 1;
      if (K >= static_cast<int>(b.size())) {
        insertBoundary(clampTwips(int64_t{b.back()} + kDefaultCellWidth));
        ensureColumns(table, b.size());
      }
    }
    if (K - P >= 2) rows.MergeCells(r, P, K - P, 1, true, false);
    if (P > 0 && cp.HMerge == 2) {
      int mr = 0, mc = 0;
      if (rows.GetMainCell(r, P - 1, mr, mc) != nullptr)
        rows.MergeCells(mr, mc, K - mc, r - mr + 1, true, false);
    }
    if (cp.VMerge == 2) {
      int mr = 0, mc = 0;
      if (TRVTableCellData* main = rows.GetMainCell(r - 1, P, mr, mc)) {
        const int colCount = std::max(K - mc, main->ColSpan);
        rows.MergeCells(mr, mc, colCount, r - mr + 1, true, false);
      }
    }
    if (table.GetCell(r, P) != nullptr) ApplyCellProperties(Info, r, P, cp, rp, P, K);
    moveContent(r, P, i);
    P = K;
  }
  keepSpare();
  for (int c = P; c < rows.GetColCount(); ++c) ResetCell(table, r, c);
}

void TRVRTFReaderProperties::FinishTable(TTableInfo& Info) {
  TRVTableItemInfo& table = *Info.Table;
  TRVTableRows& rows = table.Rows();
  const double f = twipsToPixels_;
  if (Info.CellBorderColorsUniform) table.CellBorderStyle = rvtbColor;
  if (table.BorderColor == table.BorderLightColor) table.BorderStyle = rvtbColor;
  table.CellPadding = Info.PaddingCount > 0 ? RVRTFRound(Info.PaddingSum * f / Info.PaddingCount) : 0;
  const int32_t textStyle = ReaderMadeTextStyle();
  const int32_t paraStyle = ReaderMadeParaStyle(0);
  for (int r = 0; r < rows.Count(); ++r)
    for (int c = 0; c < rows.GetColCount(); ++c) {
      TRVTableCellData* cell = rows.Get(r)->GetCell(c);
      if (cell == nullptr) continue;
      if (!Info.OwnSizes && cell->BestWidth > 2 * table.CellPadding) cell->BestWidth -= 2 * table.CellPadding;
      if (cell->GetItemCount() == 0) cell->AddTextItem(std::string(), textStyle, paraStyle);
    }
  if (!(Info.HSpacingGiven && Info.VSpacingGiven) && DoubledBorders) {
    for (int r = 0; r < rows.Count(); ++r)
      for (int c = 0; c < rows.GetColCount(); ++c) {
        TRVTableCellData* cell = rows.Get(r)->GetCell(c);
        if (cell == nullptr) continue;
        int mr = 0, mc = 0;
        if (!Info.HSpacingGiven && c > 0 && cell->VisibleBorders.Left) {
          const TRVTableCellData* left = rows.GetMainCell(r, c - 1, mr, mc);
          if (left != nullptr && left->VisibleBorders.Right) cell->VisibleBorders.Left = false;
        }
        if (!Info.VSpacingGiven && r > 0 && cell->VisibleBorders.Top) {
          const TRVTableCellData* above = rows.GetMainCell(r - 1, c, mr, mc);
          if (above != nullptr && above->VisibleBorders.Bottom) cell->VisibleBorders.Top = false;
        }
      }
  }
  if (Info.VSpacingGiven) {
    if (rows.Count() >= 2) table.CellVSpacing = RVRTFRound(Info.VSpacingSum * f / (rows.Count() - 1));
    table.BorderVSpacing = RVRTFRound((Info.FirstTopSpacing + Info.LastBottomSpacing) * f);
  } else {
    table.CellVSpacing = -1;
    table.BorderVSpacing = -1;
  }
  table.CellHSpacing =
      Info.HSpacingGiven && rows.Count() > 0 ? RVRTFRound(Info.HSpacingSum * f / rows.Count()) : -1;
  table.BorderHSpacing = table.CellHSpacing;
  const int32_t p = Info.BestWidth;
  if (Info.OwnSizes)
    table.BestWidth = saneWidth(p);
  else if (p > 0)
    table.BestWidth = sanePixels(
        Info.TableBorderSideCount > 0
            ? RVRTFRound((p - static_cast<double>(Info.TableBorderWidthSum) / Info.TableBorderSideCount) * f)
            : RVRTFRound(p * f));
  else if (p < 0)
    table.BestWidth = saneWidth(p / 50);
  else if (BoundaryWidths && Info.Boundaries.size() >= 2)
    table.BestWidth = sanePixels(RVRTFRound((int64_t{Info.Boundaries.back()} - Info.Boundaries.front()) * f));
  if (Info.CellBorderSideCount > 0)
    table.CellBorderWidth = RVRTFRound(Info.CellBorderWidthSum * f / Info.CellBorderSideCount);
  if (Info.TableBorderSideCount > 0)
    table.BorderWidth = RVRTFRound(Info.TableBorderWidthSum * f / Info.TableBorderSideCount);
  if (!Info.HSpacingGiven && !Info.VSpacingGiven && table.BorderWidth == table.CellBorderWidth) {
    table.BorderWidth = 0;
    table.BorderHSpacing = 0;
    table.BorderVSpacing = 0;
  }
  if (AutoHideTableGridLines) table.Options |= rvtoHideGridLines;
}

void TRVRTFReaderProperties::TableEnd() {
  UpdateMarker(reader_);
  std::unique_ptr<TTableInfo> info = std::move(tables_.back());
  tables_.pop_back();
  TCustomRVData* enclosing = target_;
  if (!tables_.empty()) {
    enclosing = tables_.back()->RowTable->GetCell(0, info->SavedCellCounter);
  } else {
    const uint8_t hf = reader_->State().HFType;
    if (hf == rtf_hf_Header && HeaderData != nullptr) enclosing = HeaderData;
    if (hf == rtf_hf_Footer && FooterData != nullptr) enclosing = FooterData;
  }
  if (enclosing == nullptr) enclosing = target_;
  FinishTable(*info);
  current_ = enclosing;
  rowCounter_ = info->SavedRowCounter;
  cellCounter_ = info->SavedCellCounter;
  TRVTableItemInfo& table = *info->Table;
  TRVTableRows& rows = table.Rows();
  const int nb = static_cast<int>(info->Boundaries.size());
  if (rows.Count() > 0 && nb >= 1 && rows.GetColCount() > nb - 1)
    rows.DeleteCols(nb - 1, rows.GetColCount() - nb + 1, false);
  const TRVRTFRowProperties* rp = reader_->State().Row ? &*reader_->State().Row : nullptr;
  table.ParaNo = ReaderMadeParaStyle(rp != nullptr ? rp->Alignment : 0);
  rows.Reading = false;
  if (rows.Count() > 0 && rows.GetColCount() > 0 && rows.Get(0)->Count() > 0) {
    std::unique_ptr<TRVTableItemInfo> item = std::move(info->Table);
    InsertItem(std::string(), std::move(item), rtf_ts_NewPara);
  }
  MoveOutUnfinishedRow(*info->RowTable);
}

void TRVRTFReaderProperties::MoveOutUnfinishedRow(TRVTableItemInfo& RowTable) {
  // Table text that no row end placed (a table without rows, or cells after the last row)
  // stays where it stood, each cell's paragraphs in order, as ordinary paragraphs. The
  // row table of a finished row holds one cleared cell, and so moves nothing.
  bool holdsText = false;
  for (int c = 0; c < RowTable.Rows().GetColCount(); ++c)
    if (const TCustomRVData* cell = RowTable.GetCell(0, c)) holdsText = holdsText || cell->GetItemCount() > 0;
  if (!holdsText) return;
  moving_ = true;
  try {
    for (int c = 0; c < RowTable.Rows().GetColCount(); ++c) {
      TCustomRVData* cell = RowTable.GetCell(0, c);
      for (int i = 0; cell != nullptr && i < cell->GetItemCount(); ++i) {
        TCustomRVItemInfo* item = cell->GetItem(i);
        const TRVRTFPosition pos = item->IsParaStart() || i == 0 ? rtf_ts_NewPara
                                   : item->GetBR()               ? rtf_ts_NewLine
                                                                 : rtf_ts_ContinuePara;
        if (item->StyleNo == rvsListMarker) cell->RemoveMarkerFromList(item, false);
        std::string text = cell->GetItems().ExtractText(i);
        std::unique_ptr<TCustomRVItemInfo> moved = cell->GetItems().ExtractObject(i);
        InsertItem(std::move(text), std::move(moved), pos);
      }
      if (cell != nullptr) cell->GetItems().Clear();
    }
  } catch (...) {
    moving_ = false;
    pendingMarker_ = -1;
    throw;
  }
  moving_ = false;
  pendingMarker_ = -1;
}
