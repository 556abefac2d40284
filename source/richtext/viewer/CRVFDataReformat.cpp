// Laying out a range of paragraphs again after an edit, keeping the pieces before the range
// and moving the ones after it.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/Controls.h"
#include "richtext/core/RVBack.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/CRVFDataLayout.h"

// ---- hyperlink numbers of a re-laid block -----------------------------------------------------

bool TCustomRVFormattedData::IsNumberedJump(int ItemNo) const {
  const TCustomRVItemInfo* item = GetItem(ItemNo);
  TRVStyle* style = GetRVStyle();
  if (item->IsTextItem())
    return style->TextStyles().Items(item->StyleNo)->Jump && !GetItemText(ItemNo).empty();
  return !item->QueryFeature(rvfqOwnLine) && item->QueryFeatureForStyle(rvsfHyperlink, style);
}

namespace {

/// Calls Visit with every document of Data's item ItemNo (a table's cells).
template <typename F>
void ForEachSubDocument(TCustomRVData& Data, int ItemNo, F Visit) {
  TCustomRVItemInfo* item = Data.GetItem(ItemNo);
  std::unique_ptr<TRVStoreSubRVData> state;
  for (TCustomRVData* sub = item->GetSubDocument(state, 0); sub != nullptr;
       sub = item->GetSubDocument(state, 4))
    Visit(sub);
}

}  // namespace

TCustomRVFormattedData::TRVNestedPieces TCustomRVFormattedData::NestedDocumentPieces() {
  TRVNestedPieces nested;
  // Only areas of other documents need the map; a document without them skips the walk.
  bool foreign = false;
  for (int i = 0; i < Jumps().Count() && !foreign; ++i) foreign = Jumps()[i]->RVData != this;
  if (!foreign) return nested;
  // Everything nested in an item lies in that item's piece.
  std::vector<std::pair<TCustomRVData*, int>> pending;
  for (int i = 0; i < GetItemCount(); ++i)
    ForEachSubDocument(*this, i,
                       [&](TCustomRVData* sub) { pending.emplace_back(sub, GetItem(i)->DrawItemNo); });
  while (!pending.empty()) {
    const auto [data, piece] = pending.back();
    pending.pop_back();
    if (!nested.emplace(data, piece).second) continue;
    for (int i = 0; i < data->GetItemCount(); ++i)
      ForEachSubDocument(*data, i, [&](TCustomRVData* sub) { pending.emplace_back(sub, piece); });
  }
  return nested;
}

int TCustomRVFormattedData::PieceOfJump(const TRVJumpInfo& Jump, const TRVNestedPieces& Nested) const {
  if (Jump.RVData == this) return Jump.DrawItemNo;
  // Looked up, never followed: the document of an area may have been freed with its item.
  const auto found = Nested.find(Jump.RVData);
  return found != Nested.end() ? found->second : -1;
}

int TCustomRVFormattedData::JumpIdAt(int ItemNo, int DItemNo, const TRVNestedPieces& Nested) const {
  int next = 0;
  for (int i = std::min(ItemNo, GetItemCount()) - 1; i >= 0 && next == 0; --i)
    if (IsNumberedJump(i)) next = GetItem(i)->JumpID + 1;
  const TRVList<TRVJumpInfo>& jumps = *Jumps_;
  for (int i = 0; i < jumps.Count(); ++i) {
    const TRVJumpInfo& jump = *jumps[i];
    if (jump.RVData == this) continue;
    const int piece = PieceOfJump(jump, Nested);
    if (piece >= 0 && piece < DItemNo) next = std::max(next, jump.Id + 1);
  }
  return next;
}

void TCustomRVFormattedData::DropJumpsOfPieces(int First, int Last, const TRVNestedPieces& Nested) {
  TRVList<TRVJumpInfo>& jumps = Jumps();
  for (int i = jumps.Count() - 1; i >= 0; --i) {
    const int piece = PieceOfJump(*jumps[i], Nested);
    if (piece < 0 || (piece >= First && piece <= Last)) jumps.Delete(i);
  }
}

namespace {

/// Puts the hyperlink areas back in the order of their numbers, as a full format leaves them.
void SortJumpsById(TRVList<TRVJumpInfo>& Jumps) {
  std::vector<std::unique_ptr<TRVJumpInfo>> all;
  while (Jumps.Count() > 0) all.push_back(Jumps.Extract(Jumps.Count() - 1));
  std::reverse(all.begin(), all.end());
  std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a->Id < b->Id; });
  for (auto& jump : all) Jumps.Add(std::move(jump));
}

}  // namespace

// ---- choosing the range ------------------------------------------------------------------------

bool TCustomRVFormattedData::PieceStartsPara(int DItemNo, int ItemsAdded) const {
  const int itemNo = DrawItems()[DItemNo]->ItemNo + ItemsAdded;
  return itemNo < 0 || itemNo >= GetItemCount() || GetItem(itemNo)->IsParaStart();
}

void TCustomRVFormattedData::ExpandToParaDrawItems(int StartDItemNo, int EndDItemNo, int& First,
                                                   int& Last) const {
  const TRVDrawLines& pieces = DrawItems();
  const int count = pieces.Count();
  First = Last = -1;
  if (count == 0) return;
  auto paraStart = [&](int d) {
    return d == 0 || (pieces[d - 1]->ItemNo != pieces[d]->ItemNo && PieceStartsPara(d, 0));
  };
  auto walkBack = [&](int d) {
    while (d > 0 && !paraStart(d)) --d;
    return d;
  };
  auto walkForward = [&](int d) {
    const int itemNo = pieces[d]->ItemNo;
    ++d;
    while (d < count && pieces[d]->ItemNo == itemNo) ++d;
    while (d < count && !PieceStartsPara(d, 0)) ++d;
    return d;
  };
  First = walkBack(std::clamp(StartDItemNo, 0, count - 1));
  if (First > 0) First = walkBack(First - 1);
  int stop = walkForward(std::clamp(EndDItemNo, 0, count - 1));
  if (stop < count) stop = walkForward(stop);
  Last = std::clamp(stop - 1, 0, count - 1);
}

void TCustomRVFormattedData::ReformatItemParas(int StartDItemNo, int EndDItemNo, int ItemsAdded) {
  const TRVDrawLines& pieces = DrawItems();
  const int count = pieces.Count();
  if (count == 0 || GetItemCount() == 0) return;
  int start = std::clamp(StartDItemNo, 0, count - 1);
  int end = std::clamp(EndDItemNo, start, count - 1);
  // Pieces before the range keep their item numbers; those after it are ItemsAdded off.
  auto startsLine = [&](int d) {
    const int itemNo = pieces[d]->ItemNo;
    return itemNo >= GetItemCount() || !GetItem(itemNo)->GetSameAsPrev();
  };
  while (start > 0 && !(pieces[start - 1]->ItemNo != pieces[start]->ItemNo && startsLine(start))) --start;
  // All pieces of the last item go, also of the document's last item: a piece left behind
  // would stay in the list beside the new ones.
  const int endItemNo = pieces[end]->ItemNo;
  while (end + 1 < count && pieces[end + 1]->ItemNo == endItemNo) ++end;
  if (endItemNo + ItemsAdded < GetItemCount() - 1) {
    while (end + 1 < count) {
      const int next = pieces[end + 1]->ItemNo + ItemsAdded;
      if (next < 0 || next >= GetItemCount() || !GetItem(next)->GetSameAsPrev()) break;
      ++end;
    }
  }
  FormatParas(start, end, ItemsAdded);
}

// ---- laying out a block again --------------------------------------------------------------------

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
  // The block starts below the line before it (with that line's spacing) and ends where the
  // line after it starts (-1: the block reaches the end).
  const int32_t blockTop = LineBottomBefore(StartDItemNo);
  int32_t oldBottom = -1;
  const int oldFollowing = EndDItemNo + 1;
  if (oldFollowing < pieces.Count()) {
    int first = 0, last = 0;
    GetLineDrawItemRange(oldFollowing, first, last);
    oldBottom = INT32_MAX;
    for (int i = first; i <= last; ++i) oldBottom = std::min(oldBottom, pieces[i]->Top);
  }
  const int oldCount = pieces.Count();
  const int32_t oldVOffs = GetVOffs();

  // Hyperlinks after the block keep their areas, renumbered by what the block gains or loses.
  // Without any hyperlink numbers given out there is nothing before or after the block.
  const bool hadJumps = JumpCount > 0;
  int oldNextJumpId = -1;
  for (int i = lastItem + 1; hadJumps && i < itemCount && oldNextJumpId < 0; ++i)
    if (IsNumberedJump(i)) oldNextJumpId = GetItem(i)->JumpID;
  // Areas of documents nested in items after the block (a table's cells) move on with them.
  const TRVNestedPieces nested = NestedDocumentPieces();
  DropJumpsOfPieces(StartDItemNo, EndDItemNo, nested);
  std::vector<TRVJumpInfo*> nestedAfter;
  for (int i = 0; i < Jumps().Count(); ++i) {
    TRVJumpInfo* jump = Jumps()[i];
    if (jump->RVData == this || PieceOfJump(*jump, nested) <= EndDItemNo) continue;
    nestedAfter.push_back(jump);
    if (oldNextJumpId < 0 || jump->Id < oldNextJumpId) oldNextJumpId = jump->Id;
  }
  const int keptJumps = Jumps().Count();

  TRVFormatScale scale;
  GetScreenAndDeviceInfo(canvas, scale);
  scale.LeftMargin = RVScreenToDeviceX(GetLeftMargin(), scale);
  scale.RightMargin = RVScreenToDeviceX(GetRightMargin(), scale);
  pieces.MarkDeleted(StartDItemNo, EndDItemNo);
  TRVLineFormatter formatter(*this, *canvas, scale, false);
  formatter.Begin(blockTop, StartDItemNo);
  formatter.JumpCount = hadJumps ? JumpIdAt(firstItem, StartDItemNo, nested) : 0;
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

  int32_t newBottom = formatter.CurY + formatter.PendingBelow + formatter.LineSpacingExtra;
  const bool nextStartsPara = lastItem + 1 < itemCount && GetItem(lastItem + 1)->IsParaStart();
  if (lastItem + 1 == itemCount || nextStartsPara)
    newBottom += formatter.ScaleY(formatter.ParaOf(lastItem).SpaceAfter);
  if (nextStartsPara) newBottom += formatter.ScaleY(formatter.ParaOf(lastItem + 1).SpaceBefore);

  const int following = formatter.DrawCount;
  const int pieceDelta = pieces.Count() - oldCount;
  const int jumpDelta = oldNextJumpId >= 0 ? formatter.JumpCount - oldNextJumpId : 0;
  const int32_t delta = oldBottom >= 0 ? newBottom - oldBottom : 0;
  if (ItemsAdded != 0 || pieceDelta != 0 || delta != 0) {
    for (int i = following; i < pieces.Count(); ++i) {
      TRVDrawLineInfo* piece = pieces[i];
      piece->Top += delta;
      piece->ItemNo += ItemsAdded;
      TCustomRVItemInfo* item = GetItem(piece->ItemNo);
      if (!item->IsTextItem() || piece->Offs <= 1) item->DrawItemNo = i;
    }
  }
  if (jumpDelta != 0)
    for (int i = lastItem + 1; i < itemCount; ++i)
      if (IsNumberedJump(i)) GetItem(i)->JumpID += jumpDelta;
  for (int i = 0; i < keptJumps; ++i) {
    TRVJumpInfo* jump = Jumps()[i];
    if (jump->RVData != this || jump->DrawItemNo <= EndDItemNo) continue;
    jump->DrawItemNo += pieceDelta;
    jump->Id += jumpDelta;
  }
  for (TRVJumpInfo* jump : nestedAfter) {
    jump->Id += jumpDelta;
    // The nested item shows its number (hover highlight, export) as the area does.
    auto* owner = dynamic_cast<TCustomRVFormattedData*>(jump->RVData);
    if (jumpDelta != 0 && owner != nullptr && jump->DrawItemNo >= 0 &&
        jump->DrawItemNo < owner->DrawItems().Count())
      owner->GetItem(owner->DrawItems()[jump->DrawItemNo]->ItemNo)->JumpID = jump->Id;
  }
  JumpCount = oldNextJumpId >= 0 ? JumpCount + jumpDelta : formatter.JumpCount;
  SortJumpsById(Jumps());
  UpdateJumpPositions();

  int32_t bottom = following < pieces.Count() ? 0 : newBottom;
  int32_t movedBottom = -1;
  for (int i = following; i < pieces.Count(); ++i)
    movedBottom = std::max(movedBottom, pieces[i]->Top + pieces[i]->Height + pieces[i]->ExtraSpaceBelow);
  bottom = std::max(bottom, movedBottom);
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

  // What changed on the screen: the block with a margin, down to the lowest moved line but
  // not below the view; everything when the new size scrolled the view.
  TRect band{0, blockTop - 10 - GetVOffs(), GetWidth(), newBottom + 10 - GetVOffs()};
  if (movedBottom >= 0 && delta != 0) band.Bottom = std::min(movedBottom + 10 - GetVOffs(), GetHeight());
  if (GetVOffs() != oldVOffs) {
    const TWinControl* parent = GetParentControl();
    band = parent != nullptr ? parent->ClientRect() : TRect{0, 0, GetWidth(), GetHeight()};
  }
  AdjustControlsPlacement();
  LastFormattedItemNo = itemCount - 1;
  InvalidateControlRect(band);
  if (TWinControl* parent = GetParentControl()) parent->Update();
  AfterFormatParas(firstItem, lastItem, false);
}

void TCustomRVFormattedData::InvalidateControlRect(const TRect& Rect) {
  if (TWinControl* parent = GetParentControl()) parent->InvalidateRect(Rect);
}

void TCustomRVFormattedData::UpdatePaletteInfo(TRVBackground& Background) {
  TRVStateScope updating(*this, rvstUpdatingPalette);
  Background.UpdatePalette(GetDoInPaletteMode(), GetRVPalette());
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
