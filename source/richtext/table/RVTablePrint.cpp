#include "richtext/table/RVTablePrint.h"

#include <algorithm>

#include "platform/graphics/Canvas.h"
#include "richtext/core/RVError.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/viewer/RVViewer.h"

namespace {

[[noreturn]] void InternalPrintingError() {
  throw ERVError("Internal printing error");
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Printable cells

TCellPtblRVData::TCellPtblRVData(TCustomRVViewer* Viewer, TCustomPrintableRVData* ParentPtblData,
                                 TRVTableCellData* Cell)
    : TRectPtblRVData(Viewer, ParentPtblData, Cell->GetActiveData()), Cell_(Cell) {}

TRVStyle* TCellPtblRVData::GetRVStyle() const {
  return Cell_->GetRVStyle();
}

int32_t TCellPtblRVData::FormatForWidth(int32_t AWidth) {
  Width = AWidth;
  Format(true);
  return DocumentHeight;
}

void TCellPtblRVData::Place(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
  DX = ALeft;
  DY = ATop;
  Width = AWidth;
  Height = AHeight;
}

void TCellPtblRVData::Print(TCanvas& Canvas, int32_t X, int32_t Y, bool Preview, bool Correction) {
  Left = X;
  Top = Y;
  DrawPage(1, Canvas, Preview, Correction);
}

// ---------------------------------------------------------------------------------------
// The print piece

TRVTablePrintInfo::TRVTablePrintInfo(TRVTableItemInfo* Table)
    : Table(Table), UseHeadings(Table->CanUseHeadings()) {}

int TRVTablePrintInfo::startRow() const {
  return UseHeadings ? std::min(Table->HeadingRowCount, Table->Rows().Count()) : 0;
}

int32_t TRVTablePrintInfo::tail() const {
  const int last = Table->Rows().Count() - 1;
  return FormattingInfo.Height + FormattingInfo.RowStarts[startRow()] - rowBottom(last);
}

bool TRVTablePrintInfo::InitSplit() {
  if ((Table->PrintOptions & rvtoRowsSplit) == 0) return false;
  const int rows = Table->Rows().Count();
  if (rows == 0 || FormattingInfo.RowStarts.Count() < rows) return false;
  PartsList().Clear();
  auto part = std::make_unique<TRVTablePrintPart>();
  part->FirstRow = startRow();
  part->RowCount = rows - part->FirstRow;
  part->Height = FormattingInfo.Height;
  PartsList().Add(std::move(part));
  return true;
}

bool TRVTablePrintInfo::CanSplitAt(int32_t AHeight) {
  const int start = startRow();
  if (start >= Table->Rows().Count()) return false;
  const int32_t available = AHeight - tail() + FormattingInfo.RowStarts[start];
  return rowBottom(Table->GetBlockEnd(start)) < available;
}

bool TRVTablePrintInfo::SplitAt(int32_t AHeight) {
  if (PartsList().Count() == 0) InternalPrintingError();
  auto* part = dynamic_cast<TRVTablePrintPart*>(PartsList().Last());
  if (part == nullptr) InternalPrintingError();
  const int rows = Table->Rows().Count();
  if (part->RowCount <= 1 || part->Height <= AHeight) return false;
  if (startRow() >= rows) return false;
  // The first row, after the part's first, whose bottom no longer fits.
  const int32_t available = AHeight - tail() + FormattingInfo.RowStarts[part->FirstRow];
  int row = part->FirstRow + 1, count = 1;
  while (row < rows - 1 && rowBottom(row) < available) {
    ++row;
    ++count;
  }
  if (count >= part->RowCount) InternalPrintingError();
  // Never between rows that merged cells tie together; at least the first block stays.
  int cut = Table->GetBlockStart(row);
  if (cut <= part->FirstRow + 1) cut = Table->GetBlockEnd(part->FirstRow) + 1;
  const int newCount = count + (cut - row);
  if (newCount > part->RowCount) InternalPrintingError();
  if (newCount == part->RowCount) return false;
  const int32_t tailHeight = tail();
  part->RowCount = newCount;
  part->Height = FormattingInfo.RowStarts[cut - 1] + tailHeight + FormattingInfo.RowHeights[cut - 1] -
                 FormattingInfo.RowStarts[part->FirstRow];
  auto next = std::make_unique<TRVTablePrintPart>();
  next->FirstRow = cut;
  next->RowCount = rows - cut;
  next->Height = rowBottom(rows - 1) + tailHeight - FormattingInfo.RowStarts[cut];
  PartsList().Add(std::move(next));
  return true;
}

// ---------------------------------------------------------------------------------------
// The table's printing hooks

std::unique_ptr<TRVDrawLineInfo> TRVTableItemInfo::CreateDrawItem(TCustomRVData* RVData,
                                                                  const TRVFormatScale* ScreenAndDevice) {
  auto info = std::make_unique<TRVTablePrintInfo>(this);
  if (ScreenAndDevice != nullptr) info->Scale = *ScreenAndDevice;
  // Cells print through documents made for the main printable document's viewer.
  auto* parent = dynamic_cast<TCustomPrintableRVData*>(RVData);
  TCustomMainPtblRVData* main = dynamic_cast<TCustomMainPtblRVData*>(parent);
  if (main == nullptr)
    if (auto* rect = dynamic_cast<TRectPtblRVData*>(parent)) main = rect->MainData();
  const int rows = Rows_->Count(), cols = Rows_->GetColCount();
  info->FormattingInfo.Cells.resize(static_cast<size_t>(rows) * static_cast<size_t>(cols));
  if (main == nullptr) return info;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      TRVTableCellData* cell = GetCell(r, c);
      if (cell == nullptr || cell->GetActiveData()->GetItemCount() == 0) continue;
      // A cell of one slot with nothing in it prints nothing.
      if (cell->RowSpan == 1 && cell->ColSpan == 1 && !cell->HasContent(false)) continue;
      auto printable = std::make_unique<TCellPtblRVData>(main->Viewer(), parent, cell);
      printable->Color = GetEffectiveCellColor(*cell);
      printable->DrawOnParentBack = cell->IsTransparent();
      info->FormattingInfo.Cells[static_cast<size_t>(r * cols + c)] = std::move(printable);
    }
  return info;
}

void TRVTableItemInfo::PrintDirect(TCanvas& Canvas, int32_t X, int32_t Y, bool Preview, bool Correction,
                                   TCustomRVData* RVData, TRVColorMode ColorMode, int PartIndex,
                                   TRVDrawLineInfo* DrawItem) {
  (void)RVData;
  auto* print = dynamic_cast<TRVTablePrintInfo*>(DrawItem);
  if (print == nullptr) return;
  int first = 0, count = Rows_->Count();
  if (PartIndex >= 0 && PartIndex < print->PartsList().Count()) {
    const auto* part = dynamic_cast<const TRVTablePrintPart*>(print->PartsList()[PartIndex]);
    if (part == nullptr) return;
    first = part->FirstRow;
    count = part->RowCount;
  }
  TRVTablePaintFlags flags = rvtpPrinting;
  if (Preview) flags |= rvtpPreview;
  if (Correction) flags |= rvtpPreviewCorrection;
  DeviceScale = &print->Scale;
  struct TRestore {
    const TRVFormatScale*& ref;
    ~TRestore() { ref = nullptr; }
  } restore{DeviceScale};
  const TSize size = Canvas.TargetSize();
  const TRect clip = Canvas.HasTarget() ? Canvas.ClipRect() : Rect(0, 0, size.cx, size.cy);
  PaintTo(Canvas, X, Y, clip, print->FormattingInfo, flags, ColorMode, first, count,
          print->UseHeadings ? HeadingRowCount : 0);
}

int32_t TRVTableItemInfo::DrawBackgroundForPrinting(int32_t Top, TCanvas& Canvas, const TRect& ItemRect,
                                                    TRVColorMode ColorMode) {
  TColor color = clNone;
  if (Color != clNone)
    color = (PrintOptions & rvtoWhiteBackground) != 0 ? clWhite : RVBackColorForColorMode(Color, ColorMode);
  if (Background_ != nullptr && GetBackgroundImage() != nullptr) {
    Background_->Draw(Canvas, ItemRect, 0, 0, ItemRect.Left, ItemRect.Top, ItemRect.Width(),
                      ItemRect.Height(), color, true);
  } else if (color != clNone) {
    Canvas.Brush().SetStyle(bsSolid);
    Canvas.Brush().SetColor(color);
    Canvas.FillRect(ItemRect);
  }
  return Top;
}
