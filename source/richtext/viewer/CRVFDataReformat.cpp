// Laying out a range of paragraphs again after an edit, keeping the pieces before the range
// and moving the ones after it.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "richtext/core/RVItem.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/CRVFDataLayout.h"

void TCustomRVFormattedData::FormatParas(int StartDItemNo, int EndDItemNo, int ItemsAdded) {
  TRVDrawLines& pieces = DrawItems();
  TCanvas* canvas = GetCanvas();
  const int itemCount = GetItemCount();
  if (GetRVStyle() == nullptr || canvas == nullptr || itemCount == 0 || pieces.Count() == 0) return;
  StartDItemNo = std::clamp(StartDItemNo, 0, pieces.Count() - 1);
  EndDItemNo = std::clamp(EndDItemNo, StartDItemNo, pieces.Count() - 1);
  TRVStateScope partial(*this, rvstPartialFormatting);

  const int firstItem = std::clamp(pieces[StartDItemNo]->ItemNo, 0, itemCount - 1);
  const int lastItem = std::clamp(pieces[EndDItemNo]->ItemNo + ItemsAdded, firstItem, itemCount - 1);
  // The block starts below the line before it (with that line's spacing) ...
  int32_t blockTop = GetTopMargin();
  if (StartDItemNo > 0) {
    int first = 0, last = 0;
    GetLineDrawItemRange(StartDItemNo - 1, first, last);
    for (int i = first; i <= last; ++i)
      blockTop = std::max(blockTop, pieces[i]->Top + pieces[i]->Height + pieces[i]->ExtraSpaceBelow);
  }
  // ... and ends where the line after it starts (-1: the block reaches the end).
  int32_t oldBottom = -1;
  const int oldFollowing = EndDItemNo + 1;
  if (oldFollowing < pieces.Count()) {
    int first = 0, last = 0;
    GetLineDrawItemRange(oldFollowing, first, last);
    oldBottom = INT32_MAX;
    for (int i = first; i <= last; ++i) oldBottom = std::min(oldBottom, pieces[i]->Top);
  }
  const int oldCount = pieces.Count();

  TRVFormatScale scale;
  GetScreenAndDeviceInfo(canvas, scale);
  scale.LeftMargin = RVScreenToDeviceX(GetLeftMargin(), scale);
  scale.RightMargin = RVScreenToDeviceX(GetRightMargin(), scale);
  pieces.MarkDeleted(StartDItemNo, EndDItemNo);
  TRVLineFormatter formatter(*this, *canvas, scale, false);
  formatter.Begin(blockTop, StartDItemNo);
  formatter.JumpCount = JumpCount;
  try {
    for (int i = firstItem; i <= lastItem; ++i) formatter.FormatItem(i);
    formatter.FinishLine(true);
  } catch (...) {
    // The pieces no longer describe the items: drop them rather than leave a broken list.
    pieces.PackDeleted();
    ClearDrawLines();
    throw;
  }
  pieces.PackDeleted();
  JumpCount = formatter.JumpCount;

  int32_t newBottom = formatter.CurY + formatter.PendingBelow + formatter.LineSpacingExtra;
  const bool nextStartsPara = lastItem + 1 < itemCount && GetItem(lastItem + 1)->IsParaStart();
  if (lastItem + 1 == itemCount || nextStartsPara)
    newBottom += formatter.ScaleY(formatter.ParaOf(lastItem).SpaceAfter);
  if (nextStartsPara) newBottom += formatter.ScaleY(formatter.ParaOf(lastItem + 1).SpaceBefore);

  const int following = formatter.DrawCount;
  const int32_t delta = oldBottom >= 0 ? newBottom - oldBottom : 0;
  if (ItemsAdded != 0 || pieces.Count() != oldCount || delta != 0) {
    for (int i = following; i < pieces.Count(); ++i) {
      TRVDrawLineInfo* piece = pieces[i];
      piece->Top += delta;
      piece->ItemNo += ItemsAdded;
      TCustomRVItemInfo* item = GetItem(piece->ItemNo);
      if (!item->IsTextItem() || piece->Offs <= 1) item->DrawItemNo = i;
    }
  }
  int32_t bottom = following < pieces.Count() ? 0 : newBottom;
  for (int i = following; i < pieces.Count(); ++i)
    bottom = std::max(bottom, pieces[i]->Top + pieces[i]->Height + pieces[i]->ExtraSpaceBelow);
  if (following < pieces.Count()) bottom += formatter.ScaleY(formatter.ParaOf(itemCount - 1).SpaceAfter);
  if (GetBottomMargin() + bottom != DocumentHeight) {
    DocumentHeight = GetBottomMargin() + bottom;
    AdjustVScrollUnits();
    AreaResizing = true;
    try {
      SetDocumentAreaSize(GetAreaWidth(), DocumentHeight, false);
    } catch (...) {
      AreaResizing = false;
      throw;
    }
    AreaResizing = false;
  }
  AdjustControlsPlacement();
  LastFormattedItemNo = itemCount - 1;
  InvalidateControl();
  UpdateControl();
  AfterFormatParas(firstItem, lastItem, false);
}

// ---- checkpoints coming into view ---------------------------------------------------------------

void TCustomRVFormattedData::CheckCheckpointVisibility() {
  if (!HasCheckpointVisible()) return;
  const TCPEventKind kind = GetCPEventKind();
  if (kind == cpeNone) return;
  const TRVDrawLines& pieces = DrawItems();
  const int32_t top = GetVOffs(), bottom = GetVOffs() + GetHeight();
  // The first raising checkpoint at or below the top of the view, and the last one above it.
  TRVCPInfo* found = nullptr;
  TRVCPInfo* before = nullptr;
  int32_t foundTop = 0;
  for (TRVCPInfo* cp = FirstCheckpoint; cp != nullptr; cp = cp->Next) {
    if (!cp->RaiseEvent) continue;
    const int d = cp->ItemInfo != nullptr ? cp->ItemInfo->DrawItemNo : -1;
    if (d < 0 || d >= pieces.Count() || GetItem(pieces[d]->ItemNo) != cp->ItemInfo) break;
    if (pieces[d]->Top >= top) {
      found = cp;
      foundTop = pieces[d]->Top;
      break;
    }
    before = cp;
  }
  TRVCPInfo* atEnd =
      PendingCheckpoint != nullptr && PendingCheckpoint->RaiseEvent ? PendingCheckpoint.get() : nullptr;
  const bool endInView = bottom > DocumentHeight;
  bool report = false;
  TRVCPInfo* reported = nullptr;
  if (kind == cpeWhenVisible) {
    if (found != nullptr && foundTop < bottom)
      reported = found;
    else if (found == nullptr && atEnd != nullptr && endInView)
      reported = atEnd;
    report = reported != nullptr ? reported != LastRaisedCP : LastRaisedCP != nullptr;
  } else {
    if (found != nullptr)
      reported = foundTop < bottom ? found : before;
    else
      reported = atEnd != nullptr && endInView ? atEnd : before;
    report = reported != nullptr && reported != LastRaisedCP;
  }
  if (!report) return;
  LastRaisedCP = reported;
  DoCheckpointVisible(reported);
}
