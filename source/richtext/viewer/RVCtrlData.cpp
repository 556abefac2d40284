#include "richtext/viewer/RVCtrlData.h"

#include <algorithm>
#include <exception>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/ScreenCanvas.h"
#include "platform/gui/Forms.h"
#include "richtext/core/RVStyle.h"

namespace {

/// True when `control` is `ancestor` or lies inside it.
bool IsInside(const TControl* control, const TControl* ancestor) {
  for (; control != nullptr; control = control->Parent())
    if (control == ancestor) return true;
  return false;
}

}  // namespace

void TRVControlData::SetFocusedItem(TCustomRVFormattedData* Data, int ItemNo) {
  TCustomRVFormattedData::SetFocusedItem(Data, ItemNo);
  FocusRectItemNo = ItemNo;
  FocusRectData = Data;
}

void TRVControlData::DropFocusRect() {
  ClearFocus();
  FocusRectItemNo = -1;
  FocusRectData = nullptr;
}

void TRVControlData::ClearDrawLines() {
  if (DrawItems().Count() > 0) DropFocusRect();
  TCustomRVFormattedData::ClearDrawLines();
}

void TRVControlData::Deselect(TCustomRVItemInfo* Item, bool Notify) {
  if ((StateFlags & rvstControlDeselecting) == 0) {
    TRVStateScope deselecting(*this, rvstControlDeselecting);
    const bool hadFocus = FocusRectItemNo != -1;
    if (hadFocus) InvalidateFocusRects();
    DropFocusRect();
    if (hadFocus) InvalidateControl();
  }
  TCustomRVFormattedData::Deselect(Item, Notify);
}

// ---- focus frames ---------------------------------------------------------------------------

std::vector<TRect> TRVControlData::FocusRects() {
  std::vector<TRect> rects;
  TCustomRVFormattedData* data = FocusRectData;
  if (FocusRectItemNo < 0 || data == nullptr || FocusRectItemNo >= data->GetItemCount()) return rects;
  if (!data->GetItem(FocusRectItemNo)->QueryFeatureForStyle(rvsfDottedFocus, GetRVStyle())) return rects;
  int32_t originX = 0;
  int32_t originY = 0;
  data->GetOrigin(originX, originY);
  const int32_t dx = originX - GetHOffs();
  const int32_t dy = originY - GetVOffs();
  const TRVDrawLines& pieces = data->DrawItems();
  for (int i = data->GetFirstDrawItemOfItem(FocusRectItemNo); i >= 0 && i < pieces.Count(); ++i) {
    const TRVDrawLineInfo* piece = pieces.GetItem(i);
    if (piece == nullptr || piece->ItemNo != FocusRectItemNo) break;
    rects.push_back(Bounds(piece->Left - 1 + dx, piece->Top - 1 + dy, piece->Width + 2, piece->Height + 2));
  }
  return rects;
}

void TRVControlData::InvalidateFocusRects() {
  TWinControl* control = GetParentControl();
  if (control == nullptr) return;
  for (const TRect& r : FocusRects()) control->InvalidateRect(r);
}

void TRVControlData::DrawFocusRect(TCanvas& Canvas) {
  const std::vector<TRect> rects = FocusRects();
  if (rects.empty()) return;
  Canvas.Font().SetColor(clBlack);
  Canvas.Brush().SetStyle(bsClear);
  Canvas.Pen().SetColor(clBlack);
  Canvas.Pen().SetStyle(psDot);
  for (const TRect& r : rects) Canvas.Rectangle(r);
  Canvas.Pen().SetStyle(psSolid);
  Canvas.Brush().SetStyle(bsSolid);
}

// ---- tab navigation ---------------------------------------------------------------------------

TWinControl* TRVControlData::FindNextControl(TWinControl* Container, TWinControl* StartControl,
                                             bool GoForward) {
  if (Container == nullptr) return nullptr;
  std::vector<TWinControl*> list;
  Container->GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const int n = static_cast<int>(list.size());
  int start = static_cast<int>(std::find(list.begin(), list.end(), StartControl) - list.begin());
  if (start == n) start = GoForward ? n - 1 : 0;
  const TWinControl* viewer = GetParentControl();
  for (int step = 1; step < n + 1; ++step) {
    const int i = ((GoForward ? start + step : start - step) % n + n) % n;
    if (i == start) break;
    TWinControl* candidate = list[static_cast<size_t>(i)];
    if (!IsInside(candidate, viewer) && candidate->CanFocus() && candidate->TabStop()) return candidate;
  }
  return nullptr;
}

void TRVControlData::DoTabNavigation(bool Backward, TWinControl* PrevControl) {
  if (Clicked()) {
    SetClicked(false);
    return;
  }
  TWinControl* viewer = GetParentControl();
  if (PrevControl != nullptr && GetParentForm(PrevControl) != GetParentForm(viewer)) return;
  if (FocusedItemNo != -1 && PrevControl == nullptr) return;
  const int start = FocusedItemNo;

  if (PrevControl != nullptr) {
    int owner = -1;
    if (FocusedItemNo >= 0 && FocusedItemNo < GetItemCount() &&
        GetItem(FocusedItemNo)->OwnsControl(PrevControl))
      owner = FocusedItemNo;
    else
      owner = FindItemByOwnedObject(PrevControl);
    if (owner >= 0) {
      InvalidateFocusRects();
      ClearFocus();
      FocusedItemNo = owner;
      // A table names the cell, and the control in it, that had the focus.
      TCustomRVData* focusedData = FocusRectData;
      int focusedItem = FocusRectItemNo;
      GetItem(owner)->FocusFromControl(PrevControl, focusedData, focusedItem);
      if (auto* data = dynamic_cast<TCustomRVFormattedData*>(focusedData); data != nullptr) {
        FocusRectData = data;
        FocusRectItemNo = focusedItem;
      }
      if (GetItem(owner)->QueryFeatureForStyle(rvsfFocusable, GetRVStyle())) {
        FocusRectItemNo = owner;
        FocusRectData = this;
      }
      InvalidateFocusRects();
    }
  }

  InvalidateFocusRects();
  TCustomRVFormattedData* focusedData = nullptr;
  int focusedItem = -1;
  const int next = GetNextFocusedItem(FocusedItemNo, !Backward, focusedData, focusedItem);
  FocusRectData = next >= 0 ? focusedData : nullptr;
  FocusRectItemNo = next >= 0 ? focusedItem : -1;
  if (next < 0 && FocusedItemNo < 0 && PrevControl != viewer) {
    if (viewer != nullptr && viewer->CanFocus()) viewer->SetFocus();
    return;
  }
  FocusedItemNo = next;

  if (FocusRectItemNo != -1 && FocusRectData != nullptr) {
    InvalidateFocusRects();
    int32_t left = 0;
    int32_t top = 0;
    const int dItemNo = FocusRectData->GetFirstDrawItemOfItem(FocusRectItemNo);
    if (dItemNo >= 0) {
      const TRVDrawLineInfo* piece = FocusRectData->DrawItems().GetItem(dItemNo);
      left = piece->Left;
      top = piece->Top;
      FocusRectData->ScrollToShowRect(left, top, piece->Width, piece->Height);
    }
    return;
  }

  if (viewer == nullptr) return;
  TWinControl* container = GetParentForm(viewer);
  if (container == nullptr) container = viewer->Parent();
  TWinControl* target = FindNextControl(container, viewer, !Backward);
  if (target != nullptr) {
    target->SetFocus();
    return;
  }
  if (start != -1) DoTabNavigation(Backward, viewer);
}

void TRVControlData::ActivateFocusedItem() {
  if (FocusRectItemNo < 0 || FocusRectData == nullptr || FocusRectItemNo >= FocusRectData->GetItemCount())
    return;
  FocusRectData->GetItem(FocusRectItemNo)->FireJump(FocusRectData);
}

// ---- painting -----------------------------------------------------------------------------------

void TRVControlData::PaintBuffered(TCanvas& Canvas) {
  const TRect clip = Canvas.ClipRect();
  if (clip.Width() <= 0 || clip.Height() <= 0) return;
  TBitmap buffer;
  buffer.SetPixelFormat(pf24bit);
  buffer.SetSize(clip.Width(), clip.Height());
  TCanvas& target = buffer.Canvas();
  // What is drawn here is seen as the canvas shows it: animated pictures run on the screen.
  const TScreenBuffer shown(target, Canvas);
  std::string error;
  bool failed = false;
  try {
    DrawBackground(target, clip);
    Paint(target, clip);
  } catch (const std::exception& e) {
    failed = true;
    error = e.what();
  }
  Canvas.Draw(clip.Left, clip.Top, &buffer);
  if (failed) {
    Canvas.Font().SetName("Arial");
    Canvas.Font().SetSize(10);
    Canvas.Font().SetColor(clRed);
    Canvas.Font().SetStyle({});
    Canvas.Brush().SetStyle(bsSolid);
    Canvas.Brush().SetColor(clWhite);
    Canvas.TextOut(0, 0, "Error:" + error);
  }
  DrawFocusRect(Canvas);
}
