// Hyperlinks of a formatted document under the mouse: the hover (cursor, highlight, the
// host's notice of the hyperlink under the mouse), the click, and repainting a hyperlink.
#include <memory>

#include "platform/graphics/Controls.h"
#include "richtext/core/RVFontInfo.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/CRVFData.h"

namespace {

/// Repainting a hyperlink takes this much around its areas (underlines, focus frames).
constexpr int32_t kJumpRedrawMargin = 5;

}  // namespace

void TCustomRVFormattedData::BuildJumpList(int& StartJumpNo, TRVList<TRVJumpInfo>* List) {
  LastDItemMovedAbove = -1;
  TRVStyle* style = GetRVStyle();
  if (style == nullptr) return;
  TRVList<TRVJumpInfo>& list = List != nullptr ? *List : Jumps();
  JumpCount = 0;
  int lastItemNo = -1;
  const TRVDrawLines& pieces = DrawItems();
  for (int d = 0; d < pieces.Count(); ++d) {
    const TRVDrawLineInfo& piece = *pieces[d];
    TCustomRVItemInfo* item = GetItem(piece.ItemNo);
    if (item->QueryFeatureForStyle(rvsfHyperlink, style)) {
      auto jump = std::make_unique<TRVJumpInfo>();
      jump->RVData = this;
      jump->Left = piece.Left;
      jump->Top = piece.Top;
      jump->Width = piece.Width;
      jump->Height = piece.Height;
      jump->DrawItemNo = d;
      // Every piece of one item shares the item's number.
      jump->Id = StartJumpNo + JumpCount - (piece.ItemNo == lastItemNo ? 1 : 0);
      jump->Cursor = item->IsTextItem() ? style->TextStyles().Items(item->StyleNo)->JumpCursor
                                        : item->GetJumpCursor(style);
      item->JumpID = jump->Id;
      list.Add(std::move(jump));
      if (piece.ItemNo != lastItemNo) {
        ++JumpCount;
        lastItemNo = piece.ItemNo;
      }
    } else if (!item->IsTextItem()) {
      int next = StartJumpNo + JumpCount;
      item->BuildSubJumps(piece.Left, piece.Top, list, next);
      JumpCount = next - StartJumpNo;
    }
  }
  StartJumpNo += JumpCount;
}

int TCustomRVFormattedData::FindJumpAt(int32_t X, int32_t Y, bool Edges) {
  const int32_t x = X + GetHOffs();
  const int32_t y = Y + GetVOffs();
  // The hover leaves the right and bottom edges out; a click counts them in, so a press on
  // the last pixel of a hyperlink still clicks it.
  const int32_t edge = Edges ? 1 : 0;
  TRVList<TRVJumpInfo>& jumps = Jumps();
  for (int i = 0; i < jumps.Count(); ++i) {
    const TRVJumpInfo* jump = jumps[i];
    if (x >= jump->Left && x < jump->Left + jump->Width + edge && y >= jump->Top &&
        y < jump->Top + jump->Height + edge)
      return i;
  }
  return -1;
}

bool TCustomRVFormattedData::HoverJumpAt(int32_t X, int32_t Y) {
  const int found = FindJumpAt(X, Y, false);
  if (found < 0) return false;
  const TRVJumpInfo& jump = *Jumps()[found];
  SetCursor(jump.Cursor);
  // The hovered number lives in the document that holds the hyperlink (a cell's for a
  // hyperlink in a table), so that is where a change is looked for.
  const int32_t hovered = HoverSubData != nullptr ? HoverSubData->LastJumpMovedAbove : LastJumpMovedAbove;
  if (hovered != jump.Id) DoRVMouseMove(jump.Id + FirstJumpNo);
  if (HoverSubData != nullptr && (HoverSubData->StateFlags & rvstHover) != 0 &&
      HoverSubData->LastJumpMovedAbove != jump.Id) {
    HoverSubData->StateFlags &= ~rvstHover;
    RedrawJump(HoverSubData->LastJumpMovedAbove);
  }
  auto* owner = dynamic_cast<TCustomRVFormattedData*>(jump.RVData);
  if (owner == nullptr) owner = this;
  owner->LastJumpMovedAbove = jump.Id;
  owner->LastDItemMovedAbove = jump.DrawItemNo;
  HoverSubData = owner;
  if ((owner->StateFlags & rvstHover) == 0 && jump.DrawItemNo >= 0 &&
      jump.DrawItemNo < owner->DrawItems().Count()) {
    const TCustomRVItemInfo* item = owner->GetItem(owner->DrawItems()[jump.DrawItemNo]->ItemNo);
    if (item->QueryFeatureForStyle(rvsfHoverDrawn, GetRVStyle())) {
      owner->StateFlags |= rvstHover;
      RedrawJump(jump.Id);
    }
  }
  return true;
}

void TCustomRVFormattedData::DropHover() {
  if (HoverSubData == nullptr) return;
  TCustomRVFormattedData* holder = HoverSubData;
  holder->StateFlags &= ~rvstHover;
  RedrawJump(holder->LastJumpMovedAbove);
  holder->LastJumpMovedAbove = -1;
  holder->LastDItemMovedAbove = -1;
  HoverSubData = nullptr;
  DoRVMouseMove(-1);
}

void TCustomRVFormattedData::MouseLeave() {
  if ((GetViewerState() & rvvsTrackJumps) == 0) return;
  const int32_t old = HoverSubData != nullptr ? HoverSubData->LastJumpMovedAbove : -1;
  ResetHover();
  if (old != -1) RedrawJump(old);
}

void TCustomRVFormattedData::ClickJumpAt(int32_t X, int32_t Y, bool HadSelection) {
  if (LastJumpDowned == -1 || !HasJump() || HadSelection) return;
  const int32_t pressed = LastJumpDowned;
  LastJumpDowned = -1;
  const int32_t x = X + GetHOffs();
  const int32_t y = Y + GetVOffs();
  TRVList<TRVJumpInfo>& jumps = Jumps();
  for (int i = 0; i < jumps.Count(); ++i) {
    const TRVJumpInfo* jump = jumps[i];
    if (jump->Id == pressed && x >= jump->Left && x <= jump->Left + jump->Width && y >= jump->Top &&
        y <= jump->Top + jump->Height) {
      DoJump(jump->Id + FirstJumpNo);
      return;
    }
  }
  ClickedDrawItem = -1;
}

void TCustomRVFormattedData::RedrawJump(int32_t Id) {
  const TRVStyle* style = GetRVStyle();
  if (style != nullptr && style->FullRedraw) {
    InvalidateControl();
  } else {
    const int32_t hOffs = GetHOffs();
    const int32_t vOffs = GetVOffs();
    TRVList<TRVJumpInfo>& jumps = Jumps();
    for (int i = 0; i < jumps.Count(); ++i) {
      const TRVJumpInfo* jump = jumps[i];
      if (jump->Id != Id) continue;
      const int32_t left = jump->Left - hOffs - kJumpRedrawMargin;
      const int32_t top = jump->Top - vOffs - kJumpRedrawMargin;
      InvalidateControlRect(Rect(left, top, left + jump->Width + 2 * kJumpRedrawMargin,
                                 top + jump->Height + 2 * kJumpRedrawMargin));
    }
  }
  UpdateControl();
}
