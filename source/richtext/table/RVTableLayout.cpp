// Table layout: the minimum width, the widths of the columns from the cells' minimum and
// requested widths (percent columns first, then merged percent cells, pixel columns, merged
// pixel cells, then what is left), the row heights, and the placement of every cell. Every
// pixel quantity is converted to the device while the table is measured for one.
#include <algorithm>
#include <vector>

#include "platform/core/SysUtils.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/table/RVTablePrint.h"

namespace {

/// Adds Extra to the sizes of the chosen entries in proportion to their weights, each share
/// rounded and never more than is left. Total is the weight the shares are measured against;
/// after each entry it falls by that entry's weight. Equal weights stand in when the total is
/// not positive.
void SpreadExtra(TRVIntegerList& Sizes, const std::vector<int>& Entries, std::vector<int64_t> Weights,
                 int32_t Extra, int64_t Total) {
  if (Total <= 0) {
    std::fill(Weights.begin(), Weights.end(), 1);
    Total = static_cast<int64_t>(Weights.size());
  }
  for (size_t i = 0; i < Entries.size() && Total > 0 && Extra > 0; ++i) {
    // Rounded half up as MulDiv rounds, in 64 bits for totals past 32 bits.
    const int64_t rounded = (2 * Weights[i] * Extra + Total) / (2 * Total);
    const auto share = static_cast<int32_t>(std::min<int64_t>(Extra, rounded));
    Sizes.SetValue(Entries[i], Sizes[Entries[i]] + share);
    Extra -= share;
    Total -= Weights[i];
  }
}

/// The same measured against the sum of the weights, so that the parts add up exactly.
void SpreadExtra(TRVIntegerList& Sizes, const std::vector<int>& Entries, const std::vector<int64_t>& Weights,
                 int32_t Extra) {
  int64_t total = 0;
  for (int64_t w : Weights) total += w;
  SpreadExtra(Sizes, Entries, Weights, Extra, total);
}

/// What the columns (or rows) From..From+Count-1 offer to a spanning cell.
int32_t Offer(const TRVIntegerList& Sizes, int From, int Count, int32_t Gap, int32_t InnerGap) {
  int32_t sum = 0;
  for (int i = From; i < From + Count; ++i) sum += Sizes[i] + Gap;
  return sum - InnerGap;
}

}  // namespace

int32_t TRVTableItemInfo::ScaleH(int32_t Value) const {
  return DeviceScale != nullptr ? MulDiv(Value, DeviceScale->DevicePPIX, DeviceScale->ScreenPPIX) : Value;
}

int32_t TRVTableItemInfo::ScaleV(int32_t Value) const {
  return DeviceScale != nullptr ? MulDiv(Value, DeviceScale->DevicePPIY, DeviceScale->ScreenPPIY) : Value;
}

int32_t TRVTableItemInfo::GetHorzOverhead() const {
  const int cols = Rows_->GetColCount();
  return ScaleH((cols - 1) * CellHSpacing + 2 * (BorderWidth + BorderHSpacing) + 2 * cols * CellBorderWidth);
}

// ---------------------------------------------------------------------------------------
// Column measures

int32_t TRVTableRows::GetColMinWidth(int Col, const TRVFormatScale* Scale) const {
  int32_t result = 0;
  for (int r = 0; r < Count(); ++r) {
    const TRVTableCellData* cell = Get(r)->GetCell(Col);
    if (cell != nullptr && cell->ColSpan < 2) result = std::max(result, cell->GetMinWidth(Scale));
  }
  return result;
}

int32_t TRVTableRows::GetColBestWidth(int Col) const {
  int32_t result = 0;
  for (int r = 0; r < Count(); ++r) {
    const TRVTableCellData* cell = Get(r)->GetCell(Col);
    if (cell == nullptr || cell->ColSpan >= 2) continue;
    if (cell->BestWidth < 0) return 0;
    result = std::max(result, cell->BestWidth);
  }
  return result;
}

int32_t TRVTableRows::GetColPercentWidth(int Col, int32_t Width) const {
  int32_t result = 0;
  for (int r = 0; r < Count(); ++r) {
    const TRVTableCellData* cell = Get(r)->GetCell(Col);
    if (cell != nullptr && cell->ColSpan < 2 && cell->BestWidth < 0)
      result = std::max(result, -cell->BestWidth * Width / 100);
  }
  return result;
}

bool TRVTableRows::IsPercentColumn(int Col) const {
  for (int r = 0; r < Count(); ++r) {
    const TRVTableCellData* cell = Get(r)->GetCell(Col);
    if (cell != nullptr) {
      if (cell->ColSpan < 2 && cell->BestWidth < 0) return true;
      continue;
    }
    int mr = 0, mc = 0;
    const TRVTableCellData* main = GetMainCell(r, Col, mr, mc);
    const bool endsHere = main != nullptr && mc + main->ColSpan - 1 == Col;
    const bool nextIsMain = Col + 1 >= GetColCount() || Get(r)->GetCell(Col + 1) != nullptr;
    if (endsHere && main->BestWidth < 0 && nextIsMain) return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------
// Widths

namespace {

/// The state of one formatting pass.
struct TWidthPass {
  TWidthPass(TRVTableItemInfo& table, TRVIntegerList& widths, bool fixed, int cols)
      : Table(table), Widths(widths), Fixed(fixed), Marks(static_cast<size_t>(cols), 0) {}

  TRVTableItemInfo& Table;
  TRVIntegerList& Widths;
  bool Fixed;
  int32_t Remaining = 0;
  std::vector<int> Marks;
  int SetCount = 0;
  int PixelCount = 0;

  /// Gives the column's width back and takes min(Target, what is left).
  void SetWidth(int Col, int32_t Target) {
    if (Fixed) {
      Widths.SetValue(Col, Target);
      return;
    }
    Remaining += Widths[Col];
    Widths.SetValue(Col, std::min(Target, Remaining));
    Remaining -= Widths[Col];
  }

  /// Widens the columns a spanning cell covers until they offer Need. With MaxLevel -1 all
  /// covered columns take part in proportion to their widths; else the extra goes to the
  /// columns of the lowest mark level up to MaxLevel that has any. Answers the extra given.
  int32_t Widen(int Col, int Span, int32_t Need, int MaxLevel, int32_t Limit) {
    const int32_t padding = Table.ScaleH(2 * Table.CellPadding);
    const int32_t gap = Table.ScaleH(2 * Table.CellPadding + Table.CellHSpacing + 2 * Table.CellBorderWidth);
    const int32_t inner = Table.ScaleH(Table.CellHSpacing + 2 * Table.CellBorderWidth);
    int32_t extra = Need - Offer(Widths, Col, Span, gap, inner);
    if (extra <= 0) return 0;
    extra = std::min(extra, Limit);
    std::vector<int> entries;
    if (MaxLevel < 0)
      for (int c = Col; c < Col + Span; ++c) entries.push_back(c);
    for (int level = 0; level <= MaxLevel && entries.empty(); ++level)
      for (int c = Col; c < Col + Span; ++c)
        if (Marks[c] <= level) entries.push_back(c);
    if (entries.empty() || extra <= 0) return 0;
    std::vector<int64_t> weights;
    for (int c : entries) weights.push_back(Widths[c] + padding);
    SpreadExtra(Widths, entries, weights, extra);
    return extra;
  }

  /// Marks the still unmarked columns a spanning cell covers.
  void MarkCovered(int Col, int Span, int Mark, bool Pixel) {
    for (int c = Col; c < Col + Span; ++c) {
      if (Marks[c] != 0) continue;
      Marks[c] = Mark;
      ++SetCount;
      if (Pixel) ++PixelCount;
    }
  }
};

/// Calls Visit(row, col, cell) for every cell spanning several columns, rows top to bottom.
template <typename Visit>
void ForSpanningCells(const TRVTableRows& Rows, Visit visit) {
  for (int r = 0; r < Rows.Count(); ++r)
    for (int c = 0; c < Rows.GetColCount(); ++c)
      if (TRVTableCellData* cell = Rows.Get(r)->GetCell(c); cell != nullptr && cell->ColSpan > 1)
        visit(r, c, *cell);
}

/// Columns with pixel widths only, each ending with a cell that asks for one.
bool HasFixedWidths(const TRVTableRows& Rows) {
  for (int c = 0; c < Rows.GetColCount(); ++c) {
    bool anyCell = false, endsFixed = false;
    for (int r = 0; r < Rows.Count(); ++r) {
      const TRVTableCellData* cell = Rows.Get(r)->GetCell(c);
      if (cell == nullptr) continue;
      anyCell = true;
      if (cell->BestWidth < 0) return false;
    }
    for (int r = 0; r < Rows.Count() && !endsFixed; ++r)
      for (int m = 0; m <= c; ++m) {
        const TRVTableCellData* cell = Rows.Get(r)->GetCell(m);
        if (cell != nullptr && m + cell->ColSpan - 1 == c && cell->BestWidth > 0) endsFixed = true;
      }
    if (!anyCell || !endsFixed) return false;
  }
  return true;
}

}  // namespace

int32_t TRVTableItemInfo::GetMinimumWidth(const TRVFormatScale* ScreenAndDevice, TCanvas* Canvas) {
  (void)Canvas;
  const TRVFormatScale* saved = DeviceScale;
  DeviceScale = ScreenAndDevice;
  struct TRestore {
    const TRVFormatScale*& ref;
    const TRVFormatScale* value;
    ~TRestore() { ref = value; }
  } restore{DeviceScale, saved};
  if (Rows_->IsEmpty()) return ScaleH(2 * (BorderWidth + BorderHSpacing));
  const int cols = Rows_->GetColCount();
  const int32_t base = ScaleH(cols * 2 * CellPadding) + GetHorzOverhead();
  TRVIntegerList widths;
  for (int c = 0; c < cols; ++c) {
    int32_t w = Rows_->GetColMinWidth(c, DeviceScale);
    if (BestWidth == 0) w = std::max(w, ScaleH(Rows_->GetColBestWidth(c)));
    widths.AddValue(w);
  }
  TWidthPass pass(*this, widths, false, cols);
  ForSpanningCells(*Rows_, [&](int, int c, TRVTableCellData& cell) {
    int32_t need = cell.GetMinWidth(DeviceScale);
    if (BestWidth == 0) need = std::max(need, ScaleH(cell.BestWidth));
    pass.Widen(c, cell.ColSpan, need + ScaleH(2 * CellPadding), -1, INT32_MAX);
  });
  int32_t sum = 0;
  for (int c = 0; c < cols; ++c) sum += widths[c];
  return std::max(base + sum, ScaleH(BestWidth));
}

void TRVTableItemInfo::GetWidthRequirements(int32_t Width, TRVDrawLineInfo* DrawItem, bool Printing,
                                            TCanvas* Canvas, TCustomRVData* RVData,
                                            const TRVFormatScale* ScreenAndDevice, bool FormatFlag,
                                            int32_t& Descent, int32_t& Offset) {
  (void)Canvas, (void)RVData, (void)ScreenAndDevice;
  Descent = 0;
  Offset = 0;
  if (Printing) {
    // The print piece keeps a layout of its own at the device's resolution.
    auto* print = dynamic_cast<TRVTablePrintInfo*>(DrawItem);
    if (print == nullptr) return;
    DeviceScale = &print->Scale;
    DeviceCanvas = Canvas;
    struct TRestore {
      TRVTableItemInfo& table;
      ~TRestore() {
        table.DeviceScale = nullptr;
        table.DeviceCanvas = nullptr;
      }
    } restore{*this};
    Format(Width, print->FormattingInfo, false);
    DrawItem->Width = print->FormattingInfo.Width;
    DrawItem->Height = print->FormattingInfo.Height;
    return;
  }
  if (State & rvtsFormatWidth) {
    State &= ~rvtsFormatWidth;
    FormattingInfo.Width = 0;
  }
  Format(Width, FormattingInfo, FormatFlag);
}

void TRVTableItemInfo::Format(int32_t DocWidth, TRVTableItemFormattingInfo& Info, bool Force) {
  if (Rows_->IsEmpty()) {
    Info.Width = ScaleH(2 * (BorderWidth + BorderHSpacing));
    Info.Height = ScaleV(2 * (BorderWidth + BorderVSpacing));
    return;
  }
  const int cols = Rows_->GetColCount();
  const int rows = Rows_->Count();
  const int32_t overhead = GetHorzOverhead();
  const int32_t padding = ScaleH(2 * CellPadding);
  bool fixed = false;
  int32_t target = DocWidth;
  if (BestWidth > 0) {
    target = ScaleH(BestWidth);
  } else if (BestWidth < 0) {
    target = -BestWidth * DocWidth / 100;
  } else {
    fixed = HasFixedWidths(*Rows_);
    if (fixed) target = 0;
  }
  if (target != 0 && target == Info.Width && !Force) return;
  Info.Width = target;
  const int32_t percentBase = fixed ? 0 : Info.Width - overhead;
  const int32_t available = fixed ? 0 : percentBase - ScaleH(cols * 2 * CellPadding);

  Info.Clear();
  int32_t minTotal = 0;
  for (int c = 0; c < cols; ++c) {
    Info.ColWidths.AddValue(Rows_->GetColMinWidth(c, DeviceScale));
    minTotal += Info.ColWidths[c];
  }
  TWidthPass pass(*this, Info.ColWidths, fixed, cols);
  ForSpanningCells(*Rows_, [&](int, int c, TRVTableCellData& cell) {
    minTotal += pass.Widen(c, cell.ColSpan, cell.GetMinWidth(DeviceScale) + padding, -1, INT32_MAX);
  });

  if (!fixed && minTotal >= available) {
    Info.Width = Info.Width - available + minTotal;
  } else {
    pass.Remaining = fixed ? 0 : available - minTotal;
    if (!fixed) {
      // Percent columns.
      const int32_t start = pass.Remaining;
      int32_t sum = 0;
      std::vector<int32_t> targets(static_cast<size_t>(cols));
      for (int c = 0; c < cols; ++c) {
        const int32_t percent = Rows_->GetColPercentWidth(c, percentBase);
        targets[c] = percent - padding;
        if (percent > 0) sum += targets[c];
      }
      if (sum != 0) {
        const int32_t denominator = std::max(sum, start);
        for (int c = 0; c < cols && pass.Remaining > 0; ++c) {
          const int32_t share = denominator != 0 ? MulDiv(targets[c], start, denominator) : 0;
          if (share <= 0) continue;
          pass.Marks[c] = 2;
          ++pass.SetCount;
          if (Info.ColWidths[c] < share) pass.SetWidth(c, share);
        }
      }
      // Merged cells with a percent width.
      ForSpanningCells(*Rows_, [&](int, int c, TRVTableCellData& cell) {
        if (cell.BestWidth >= 0) return;
        const int32_t need = MulDiv(-cell.BestWidth, percentBase, 100) - padding;
        pass.Remaining -= pass.Widen(c, cell.ColSpan, need, 2, pass.Remaining);
        pass.MarkCovered(c, cell.ColSpan, 2, false);
      });
    }
    // Pixel columns.
    if (fixed || pass.Remaining >= 1)
      for (int c = 0; c < cols; ++c) {
        const int32_t best = ScaleH(Rows_->GetColBestWidth(c));
        if (pass.Marks[c] != 0 || best <= 0) continue;
        pass.Marks[c] = 1;
        ++pass.SetCount;
        ++pass.PixelCount;
        if (Info.ColWidths[c] < best) pass.SetWidth(c, best);
      }
    // Merged cells with a pixel width.
    ForSpanningCells(*Rows_, [&](int, int c, TRVTableCellData& cell) {
      if (cell.BestWidth <= 0) return;
      if (fixed || pass.Remaining > 0) {
        const int32_t given =
            pass.Widen(c, cell.ColSpan, ScaleH(cell.BestWidth), 1, fixed ? INT32_MAX : pass.Remaining);
        if (!fixed) pass.Remaining -= given;
      }
      pass.MarkCovered(c, cell.ColSpan, 1, true);
    });
    if (fixed) {
      int32_t sum = 0;
      for (int c = 0; c < cols; ++c) sum += Info.ColWidths[c];
      Info.Width = ScaleH(cols * 2 * CellPadding) + overhead + sum;
    } else if (pass.Remaining > 0) {
      if (pass.SetCount < cols) {
        for (int c = 0; c < cols && pass.Remaining > 0; ++c) {
          if (pass.Marks[c] != 0) continue;
          const int32_t share = pass.Remaining / (cols - pass.SetCount);
          Info.ColWidths.SetValue(c, Info.ColWidths[c] + share);
          pass.Remaining -= share;
          ++pass.SetCount;
        }
      } else {
        std::vector<int> entries;
        std::vector<int64_t> weights;
        // With pixel columns, percent columns take part with their mark as weight, which
        // the total leaves out: they come away with little beside the pixel columns.
        int64_t total = 0;
        for (int c = 0; c < cols; ++c) {
          const bool percent = Rows_->IsPercentColumn(c);
          if (pass.PixelCount == 0) {
            if (!percent) continue;
            weights.push_back(std::max(1, Rows_->GetColPercentWidth(c, percentBase) - padding));
            total += weights.back();
          } else {
            if (pass.Marks[c] == 0) continue;
            weights.push_back(percent ? pass.Marks[c] : std::max(1, Rows_->GetColBestWidth(c)));
            if (!percent) total += weights.back();
          }
          entries.push_back(c);
        }
        SpreadExtra(Info.ColWidths, entries, weights, pass.Remaining, total);
      }
    }
  }

  // Horizontal placement; the cells (or, for a print layout, their printable documents) are
  // formatted for their widths.
  const bool printing = !Info.Cells.empty();
  std::vector<int32_t> printedHeights(printing ? Info.Cells.size() : 0, 0);
  int32_t gaps = ScaleH(cols * (2 * (CellPadding + CellBorderWidth) + CellHSpacing));
  const int32_t allGaps = gaps;
  int32_t x = ScaleH(BorderWidth + BorderHSpacing + CellBorderWidth);
  for (int c = 0; c < cols; ++c) {
    Info.ColStarts.AddValue(x);
    const int32_t part = gaps / (cols - c);
    gaps -= part;
    x += Info.ColWidths[c] + part;
  }
  auto cellWidth = [&](int c, const TRVTableCellData& cell) {
    int32_t width = padding + MulDiv(allGaps, cell.ColSpan - 1, cols);
    for (int i = c; i < c + cell.ColSpan; ++i) width += Info.ColWidths[i];
    return width;
  };
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      TRVTableCellData* cell = GetCell(r, c);
      if (cell == nullptr) continue;
      if (printing) {
        if (TRVTablePrintableCell* printed = Info.PrintableCell(r, c, cols))
          printedHeights[r * cols + c] = printed->FormatForWidth(cellWidth(c, *cell) - padding);
        continue;
      }
      cell->Left = Info.ColStarts[c];
      cell->Width = cellWidth(c, *cell);
      cell->Format(true);
    }

  // Row heights; cells spanning rows widen the rows they cover.
  Info.Height = ScaleV(2 * (rows * CellPadding + BorderWidth + BorderVSpacing) + (rows - 1) * CellVSpacing +
                       2 * rows * CellBorderWidth);
  for (int r = 0; r < rows; ++r) {
    int32_t height = 0;
    if (printing) {
      height = std::max(ScaleV(Rows_->Get(r)->GetBestHeight()), ScaleV(10));
      for (int c = 0; c < cols; ++c) {
        const TRVTableCellData* cell = GetCell(r, c);
        if (cell != nullptr && cell->RowSpan == 1) height = std::max(height, printedHeights[r * cols + c]);
      }
    } else {
      height = ScaleV(Rows_->Get(r)->GetHeight());
    }
    Info.RowHeights.AddValue(height);
    Info.Height += Info.RowHeights[r];
  }
  const int32_t vGap = ScaleV(2 * CellPadding + CellVSpacing + 2 * CellBorderWidth);
  const int32_t vInner = ScaleV(CellVSpacing + 2 * CellBorderWidth);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const TRVTableCellData* cell = GetCell(r, c);
      if (cell == nullptr || cell->RowSpan < 2) continue;
      const int last = r + cell->RowSpan - 1;
      const int32_t content =
          printing ? std::max(ScaleV(std::max(cell->BestHeight, 10)), printedHeights[r * cols + c])
                   : ScaleV(cell->GetCellHeight());
      const int32_t extra =
          content + ScaleV(2 * CellPadding) - Offer(Info.RowHeights, r, cell->RowSpan, vGap, vInner);
      if (extra <= 0) continue;
      Info.Height += extra;
      std::vector<int> preferred, all;
      for (int k = r; k <= last; ++k) {
        all.push_back(k);
        bool endsInside = false;
        for (int j = 0; j < cols && !endsInside; ++j) {
          const TRVTableCellData* other = GetCell(k, j);
          endsInside = other != nullptr && k + other->RowSpan - 1 <= last;
        }
        if (!endsInside) preferred.push_back(k);
      }
      const std::vector<int>& entries = preferred.empty() ? all : preferred;
      std::vector<int64_t> weights;
      for (int k : entries) weights.push_back(Info.RowHeights[k]);
      SpreadExtra(Info.RowHeights, entries, weights, extra);
    }

  // Vertical placement.
  int32_t vGaps = ScaleV(rows * (2 * (CellPadding + CellBorderWidth) + CellVSpacing));
  const int32_t allVGaps = vGaps;
  int32_t y = ScaleV(BorderWidth + BorderVSpacing + CellBorderWidth);
  for (int r = 0; r < rows; ++r) {
    Info.RowStarts.AddValue(y);
    for (int c = 0; c < cols; ++c) {
      TRVTableCellData* cell = GetCell(r, c);
      if (cell == nullptr) continue;
      int32_t height = ScaleV(2 * CellPadding) + MulDiv(allVGaps, cell->RowSpan - 1, rows);
      for (int k = r; k < r + cell->RowSpan; ++k) height += Info.RowHeights[k];
      if (printing) {
        // Printable documents stand inside the padding.
        if (TRVTablePrintableCell* printed = Info.PrintableCell(r, c, cols))
          printed->Place(Info.ColStarts[c] + ScaleH(CellPadding), y + ScaleV(CellPadding),
                         cellWidth(c, *cell) - padding, height - ScaleV(2 * CellPadding));
        continue;
      }
      cell->Top = y;
      cell->Height = height;
    }
    const int32_t part = vGaps / (rows - r);
    vGaps -= part;
    y += Info.RowHeights[r] + part;
  }
}
