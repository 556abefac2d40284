// Coordinates of a formatted document: item and drawn-piece positions, lookups by point and
// by vertical position, hyperlink areas and controls after formatting, minimum widths.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/Controls.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVListInfo.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"
#include "richtext/core/RVUniMeasure.h"
#include "richtext/viewer/CRVFData.h"

namespace {

constexpr uint16_t rvflNoControlPlacement = 4;

/// The last piece whose Top is at or above Y (0 when none is).
int LastPieceAtOrAbove(const TRVDrawLines& Pieces, int32_t Y) {
  int lo = 0, hi = Pieces.Count() - 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo + 1) / 2;
    if (Pieces[mid]->Top <= Y)
      lo = mid;
    else
      hi = mid - 1;
  }
  return lo;
}

}  // namespace

// ---- conversions --------------------------------------------------------------------------------

void TCustomRVFormattedData::DrawItemToItem(int DItemNo, int DOffs, int& ItemNo, int& Offs) const {
  if (DItemNo < 0 || DItemNo >= DrawItems().Count()) {
    ItemNo = -1;
    Offs = 0;
    return;
  }
  const TRVDrawLineInfo* piece = DrawItems()[DItemNo];
  // Between an edit and the next layout a piece can still name an item that is gone.
  if (piece->ItemNo < 0 || piece->ItemNo >= GetItemCount()) {
    ItemNo = -1;
    Offs = 0;
    return;
  }
  ItemNo = piece->ItemNo;
  Offs = GetItem(ItemNo)->IsTextItem() ? piece->Offs + DOffs - 1 : DOffs;
}

void TCustomRVFormattedData::ItemToDrawItem(int ItemNo, int Offs, int& DItemNo, int& DOffs) const {
  DItemNo = -1;
  DOffs = 0;
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return;
  const int first = GetFirstDrawItemOfItem(ItemNo);
  if (first < 0) return;
  if (!GetItem(ItemNo)->IsTextItem()) {
    DItemNo = first;
    DOffs = Offs;
    return;
  }
  const TRVDrawLines& pieces = DrawItems();
  int chosen = first;
  for (int d = first; d < pieces.Count() && pieces[d]->ItemNo == ItemNo; ++d) {
    chosen = d;
    if (Offs <= pieces[d]->Offs + pieces[d]->Length) break;
  }
  DItemNo = chosen;
  DOffs = Offs - pieces[chosen]->Offs + 1;
  // A position in a space dropped at a soft line break shows at the start of the next line.
  if (DOffs > pieces[chosen]->Length + 1 && chosen + 1 < pieces.Count() &&
      pieces[chosen + 1]->ItemNo == ItemNo) {
    ++DItemNo;
    DOffs = 1;
  }
}

int TCustomRVFormattedData::GetFirstDrawItemOfItem(int ItemNo) const {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return -1;
  const TRVDrawLines& pieces = DrawItems();
  const int stored = GetItem(ItemNo)->DrawItemNo;
  if (stored >= 0 && stored < pieces.Count() && pieces[stored] != nullptr &&
      pieces[stored]->ItemNo == ItemNo &&
      (stored == 0 || pieces[stored - 1] == nullptr || pieces[stored - 1]->ItemNo != ItemNo))
    return stored;
  for (int i = 0; i < pieces.Count(); ++i) {
    const TRVDrawLineInfo* piece = pieces[i];
    if (piece != nullptr && piece->ItemNo == ItemNo) return i;
  }
  return -1;
}

int TCustomRVFormattedData::FindDrawItemOfItem(int ItemNo) const {
  const TRVDrawLines& pieces = DrawItems();
  for (int i = 0; i < pieces.Count(); ++i)
    if (pieces[i]->ItemNo == ItemNo) return i;
  return -1;
}

bool TCustomRVFormattedData::IsDrawItemLineStart(int DItemNo) const {
  const TRVDrawLines& pieces = DrawItems();
  if (DItemNo < 0 || DItemNo >= pieces.Count()) return false;
  if (pieces[DItemNo]->FromNewLine) return true;
  const int before = DItemNo - 1 >= 0 ? pieces[DItemNo - 1]->ItemNo : -1;
  return before >= 0 && before != pieces[DItemNo]->ItemNo && before < GetItemCount() &&
         GetItem(before)->StyleNo == rvsListMarker;
}

void TCustomRVFormattedData::GetLineDrawItemRange(int DItemNo, int& First, int& Last) const {
  const TRVDrawLines& pieces = DrawItems();
  First = DItemNo;
  while (First > 0 && !pieces[First]->FromNewLine) --First;
  Last = DItemNo + 1;
  while (Last < pieces.Count() && !pieces[Last]->FromNewLine) ++Last;
  --Last;
}

// ---- lookups ---------------------------------------------------------------------------------------

int TCustomRVFormattedData::FindDrawItemByY(int32_t Y, int Mode) const {
  const TRVDrawLines& pieces = DrawItems();
  const int count = pieces.Count();
  if (count == 0 || pieces[0]->Top >= Y) return 0;
  if (Mode == 3 && pieces[count - 1]->Top < Y) return count - 1;
  if (Mode == 2) return std::min(1, count - 1);
  // First piece whose Top is at or below Y (the tops of the pieces grow line by line).
  int lo = 1, hi = count - 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (pieces[mid]->Top >= Y)
      hi = mid;
    else
      lo = mid + 1;
  }
  int found = std::min(lo, count - 1);
  if (Mode == 1) {
    int first = 0, last = 0;
    GetLineDrawItemRange(found, first, last);
    found = std::max(0, first - 1);
    GetLineDrawItemRange(found, first, last);
    found = std::max(0, first - 1);
    return found;
  }
  while (found < count - 1 && pieces[found]->Top < Y) ++found;
  return found;
}

int TCustomRVFormattedData::GetDrawItemAtPos(int32_t X, int32_t Y) const {
  const TRVDrawLines& pieces = DrawItems();
  const int count = pieces.Count();
  auto holds = [&](int i) {
    const TRVDrawLineInfo* p = pieces[i];
    return X >= p->Left && X < p->Left + p->Width && Y >= p->Top && Y < p->Top + p->Height;
  };
  if (count == 0) return -1;
  if (holds(0)) return 0;
  // The last piece whose Top is at or above Y, then pieces before it that reach down to Y,
  // then at most two following lines (pictures may make lines overlap).
  const int lo = LastPieceAtOrAbove(pieces, Y);
  for (int i = lo; i >= 0; --i) {
    if (holds(i)) return i;
    int first = 0, last = 0;
    GetLineDrawItemRange(i, first, last);
    if (i == first && pieces[i]->Top + pieces[i]->Height <= Y && i < lo - 64) break;
  }
  int lines = 0;
  for (int i = lo + 1; i < count && lines <= 2; ++i) {
    if (pieces[i]->FromNewLine) ++lines;
    if (lines <= 2 && holds(i)) return i;
  }
  return -1;
}

void TCustomRVFormattedData::FindDrawItemAtPos(int32_t X, int32_t Y, bool Strict, int& DItemNo, int& DOffs) {
  DItemNo = -1;
  DOffs = 0;
  const TRVDrawLines& pieces = DrawItems();
  const int count = pieces.Count();
  if (count == 0) return;
  // 1. The line: the last piece whose Top is at or above Y, or the next line when one of
  // its pieces already reaches Y.
  const int lo = LastPieceAtOrAbove(pieces, Y);
  int first = 0, last = 0;
  GetLineDrawItemRange(lo, first, last);
  if (last + 1 < count) {
    int nextFirst = 0, nextLast = 0;
    GetLineDrawItemRange(last + 1, nextFirst, nextLast);
    for (int i = nextFirst; i <= nextLast; ++i)
      if (pieces[i]->Top <= Y) {
        first = nextFirst;
        last = nextLast;
        break;
      }
  }
  // 2. The piece, in visual order.
  int hit = -1;
  int leftmost = first, rightmost = first;
  for (int i = first; i <= last; ++i) {
    if (pieces[i]->Left < pieces[leftmost]->Left) leftmost = i;
    if (pieces[i]->Left + pieces[i]->Width > pieces[rightmost]->Left + pieces[rightmost]->Width)
      rightmost = i;
  }
  for (int i = first; i <= last && hit < 0; ++i) {
    const TRVDrawLineInfo* p = pieces[i];
    const bool inX = X >= p->Left && X < p->Left + p->Width;
    const bool inY = Y >= p->Top && Y <= p->Top + p->Height;
    if (inX && (!Strict || inY)) hit = i;
  }
  if (hit < 0 && !Strict) {
    if (X < pieces[leftmost]->Left)
      hit = leftmost;
    else if (X >= pieces[rightmost]->Left + pieces[rightmost]->Width)
      hit = rightmost;
    else
      hit = leftmost;  // in a gap between pieces: take the nearest one to the left
    if (hit == leftmost && X >= pieces[leftmost]->Left)
      for (int i = first; i <= last; ++i)
        if (pieces[i]->Left <= X && pieces[i]->Left > pieces[hit]->Left) hit = i;
  }
  if (hit < 0) return;
  const TRVDrawLineInfo* piece = pieces[hit];
  TCustomRVItemInfo* item = GetItem(piece->ItemNo);
  TRVStyle* style = GetRVStyle();
  const TParaInfo* para =
      style != nullptr
          ? style->ParaStyles().Items(std::clamp<int>(item->ParaNo, 0, style->ParaStyles().Count() - 1))
          : nullptr;
  const bool rtl = para != nullptr && para->BiDiMode == rvbdRightToLeft;
  if (!item->IsTextItem()) {
    const bool rightHalf = X >= piece->Left + piece->Width / 2;
    DOffs = rightHalf != rtl ? 1 : 0;
    if (!Strict && item->StyleNo == rvsListMarker && hit + 1 < count) {
      ++hit;
      DOffs = GetDrawItemStartOffset(hit);
    }
    DItemNo = hit;
    return;
  }
  // 4. The nearest character boundary; the earlier wins a tie.
  const std::u16string text = GetItemTextForDrawing(piece->ItemNo).substr(piece->Offs - 1, piece->Length);
  TCanvas* canvas = GetCanvas();
  int best = 0;
  if (canvas != nullptr && style != nullptr) {
    style->ApplyStyle(*canvas, item->StyleNo, para != nullptr ? para->BiDiMode : rvbdUnspecified);
    const std::vector<int32_t> bounds = CharacterBoundaries(*canvas, hit, text);
    const int32_t x = X - piece->Left - piece->SpaceBefore;
    int32_t bestDistance = INT32_MAX;
    for (int b = 0; b < static_cast<int>(bounds.size()); ++b) {
      const int32_t distance = std::abs(bounds[b] - x);
      if (distance < bestDistance) {
        bestDistance = distance;
        best = b;
      }
    }
  }
  // 5. Never inside a character: not between the halves of a surrogate pair, nor in front of
  // a combining mark.
  while (best > 0 && RVIsClusterContinuation(text, static_cast<size_t>(best))) --best;
  DItemNo = hit;
  DOffs = std::clamp(best + 1, 1, piece->Length + 1);
}

std::vector<int32_t> TCustomRVFormattedData::CharacterBoundaries(TCanvas& Canvas, int DItemNo,
                                                                 const std::u16string& Text) {
  const TRVDrawLineInfo* piece = DrawItems()[DItemNo];
  std::vector<int32_t> bounds;
  // Right-to-left text is measured in the order it is shown.
  if (GetItemBiDiMode(piece->ItemNo) == rvbdRightToLeft &&
      RVGetCharacterPlacement(Canvas, RVWideStringToBytes(Text), bounds, rvioTwoByteText) &&
      bounds.size() == Text.size() + 1)
    return bounds;
  bounds.assign(Text.size() + 1, 0);
  for (size_t b = 1; b <= Text.size(); ++b)
    bounds[b] = MeasureText(Canvas, std::u16string_view(Text).substr(0, b)).cx;
  return bounds;
}

int TCustomRVFormattedData::GetFirstVisibleItem() const {
  if (DrawItems().Count() == 0) return -1;
  const int d = std::clamp(FindDrawItemByY(GetVOffs(), 1), 0, DrawItems().Count() - 1);
  return DrawItems()[d]->ItemNo;
}

int TCustomRVFormattedData::GetLastVisibleItem() const {
  if (DrawItems().Count() == 0) return -1;
  return DrawItems()[FindDrawItemByY(GetVOffs() + GetHeight(), 3)]->ItemNo;
}

// ---- after formatting ------------------------------------------------------------------------------

void TCustomRVFormattedData::UpdateJumpPositions() {
  TRVList<TRVJumpInfo>& jumps = Jumps();
  for (int i = 0; i < jumps.Count(); ++i) {
    TRVJumpInfo* jump = jumps[i];
    auto* owner = dynamic_cast<TCustomRVFormattedData*>(jump->RVData);
    if (owner == nullptr || jump->DrawItemNo < 0 || jump->DrawItemNo >= owner->DrawItems().Count()) continue;
    int32_t x = 0, y = 0;
    owner->GetOriginEx(x, y);
    // Justification widens pieces after their areas were recorded.
    const TRVDrawLineInfo& piece = *owner->DrawItems()[jump->DrawItemNo];
    jump->Left = piece.Left + x;
    jump->Top = piece.Top + y;
    jump->Width = piece.Width;
    jump->Height = piece.Height;
  }
}

void TCustomRVFormattedData::AdjustControlsPlacement() {
  if ((GetViewerState() & rvflNoControlPlacement) != 0) return;
  TWinControl* parent = GetParentControl();
  if (parent == nullptr || parent->ControlCount() == 0) return;
  const TRVDrawLines& pieces = DrawItems();
  for (int i = 0; i < pieces.Count(); ++i) {
    auto* item = dynamic_cast<TRVNonTextItemInfo*>(GetItem(pieces[i]->ItemNo));
    if (item != nullptr)
      item->SetControlPosition(pieces[i]->Left - GetHOffs(), pieces[i]->Top - GetVOffs(), true);
  }
}

// ---- minimum widths -----------------------------------------------------------------------------------

int32_t TCustomRVFormattedData::MinParaWidth(int ParaStart, int From, int To, const TRVFormatScale* Scale,
                                             TCanvas& Canvas) {
  TRVStyle* style = GetRVStyle();
  if (style == nullptr || ParaStart < 0 || ParaStart >= GetItemCount()) return 0;
  auto scaleX = [&](int32_t v) { return Scale != nullptr ? RVScreenToDeviceX(v, *Scale) : v; };
  TCustomRVItemInfo* first = GetItem(ParaStart);
  const TParaInfo& para =
      *style->ParaStyles().Items(std::clamp<int>(first->ParaNo, 0, style->ParaStyles().Count() - 1));
  const bool rtl = para.BiDiMode == rvbdRightToLeft;
  const bool noWrap = (para.Options & rvpaoNoWrap) != 0;
  int32_t extra = 0;
  const TRVListLevel* level =
      first->StyleNo == rvsListMarker ? static_cast<TRVMarkerItemInfo*>(first)->GetLevelInfo(style) : nullptr;
  if (level != nullptr)
    extra = level->LeftIndent + std::max(0, level->FirstIndent) + (rtl ? para.LeftIndent : para.RightIndent);
  else
    extra = para.LeftIndent + para.RightIndent +
            (para.FirstIndent > 0 && !first->QueryFeature(rvfqOwnLine) ? para.FirstIndent : 0);
  extra = scaleX(extra);
  const int count = GetItemCount();
  int32_t result = 0, sum = extra;
  for (int i = std::max(From, ParaStart);
       i < count && i <= To && (i == ParaStart || !GetItem(i)->IsParaStart()); ++i) {
    TCustomRVItemInfo* item = GetItem(i);
    int32_t width = 0;
    if (noWrap && item->IsTextItem()) {
      style->ApplyStyle(Canvas, item->StyleNo, para.BiDiMode);
      width = MeasureText(Canvas, GetItemTextForDrawing(i)).cx;
    } else {
      width = item->GetMinimumWidth(Scale, &Canvas);
    }
    if (i > ParaStart && GetItem(i - 1)->StyleNo == rvsListMarker && !noWrap)
      width += GetItem(i - 1)->GetMinimumWidth(Scale, &Canvas);
    sum += width;
    result = std::max(result, width + extra);
  }
  return noWrap ? sum : result;
}

int32_t TCustomRVFormattedData::CalculateMinParaWidth(int ParaStart, const TRVFormatScale* Scale,
                                                      TCanvas& Canvas) {
  return MinParaWidth(ParaStart, ParaStart, GetItemCount() - 1, Scale, Canvas);
}

namespace {

/// A scale whose screen and device resolutions agree converts nothing.
const TRVFormatScale* EffectiveScale(const TRVFormatScale* Scale) {
  if (Scale != nullptr && Scale->ScreenPPIX == Scale->DevicePPIX && Scale->ScreenPPIY == Scale->DevicePPIY)
    return nullptr;
  return Scale;
}

}  // namespace

int32_t TCustomRVFormattedData::CalculateMinDocWidth(const TRVFormatScale* Scale, TCanvas& Canvas) {
  return GetItemCount() == 0 ? 0 : CalculateMinItemsWidth(0, GetItemCount() - 1, Scale, Canvas);
}

int32_t TCustomRVFormattedData::CalculateMinItemsWidth(int FirstItemNo, int LastItemNo,
                                                       const TRVFormatScale* Scale, TCanvas& Canvas) {
  const int count = GetItemCount();
  if (count == 0) return 0;
  Scale = EffectiveScale(Scale);
  FirstItemNo = std::clamp(FirstItemNo, 0, count - 1);
  LastItemNo = std::clamp(LastItemNo, FirstItemNo, count - 1);
  while (FirstItemNo > 0 && !GetItem(FirstItemNo)->IsParaStart()) --FirstItemNo;
  int32_t result = 0;
  for (int i = FirstItemNo; i <= LastItemNo; ++i)
    if (i == FirstItemNo || GetItem(i)->IsParaStart())
      result = std::max(result, CalculateMinParaWidth(i, Scale, Canvas));
  return result;
}

int32_t TCustomRVFormattedData::CalculateMinItemsWidth(int FirstItemNo, int LastItemNo) {
  TCanvas* canvas = GetCanvas();
  return canvas != nullptr ? CalculateMinItemsWidth(FirstItemNo, LastItemNo, nullptr, *canvas) : 0;
}

int32_t TCustomRVFormattedData::CalculateMinRangeWidth(int FirstItemNo, int LastItemNo) {
  TCanvas* canvas = GetCanvas();
  const int count = GetItemCount();
  if (canvas == nullptr || count == 0) return 0;
  FirstItemNo = std::clamp(FirstItemNo, 0, count - 1);
  LastItemNo = std::clamp(LastItemNo, FirstItemNo, count - 1);
  int paraStart = FirstItemNo;
  while (paraStart > 0 && !GetItem(paraStart)->IsParaStart()) --paraStart;
  int32_t result = 0;
  for (int i = FirstItemNo; i <= LastItemNo; ++i) {
    if (i != FirstItemNo && GetItem(i)->IsParaStart()) paraStart = i;
    if (i == FirstItemNo || i == paraStart)
      result = std::max(result, MinParaWidth(paraStart, i, LastItemNo, nullptr, *canvas));
  }
  return result;
}

int32_t TCustomRVFormattedData::CalculateMinItemWidth(int ItemNo) {
  return CalculateMinItemsWidth(ItemNo, ItemNo);
}

int32_t TCustomRVFormattedData::CalculateMinItemWidthOnCanvas(int ItemNo) {
  TCanvas* canvas = GetCanvas();
  if (canvas == nullptr) return 0;
  TRVFormatScale scale;
  GetScreenAndDeviceInfo(canvas, scale);
  return CalculateMinItemsWidth(ItemNo, ItemNo, &scale, *canvas);
}
