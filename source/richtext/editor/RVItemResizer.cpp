// The handles round a selected picture or control and the arithmetic of dragging one. The
// resizer works in the item's box: points are made relative to the draw item's top-left
// corner (scroll offsets added back), so the same numbers hold wherever the view is.
#include "richtext/editor/RVItemResizer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/graphics/Pen.h"
#include "richtext/core/DLines.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/editor/RVERVData.h"
#include "richtext/editor/RVEdit.h"

namespace {

constexpr int kHandleCount = 8;

/// Which sides of the frame each handle moves.
struct THandleSides {
  bool Left, Top, Right, Bottom;
};

constexpr THandleSides kHandleSides[kHandleCount] = {
    {true, true, false, false},   // 0 top-left
    {false, true, true, false},   // 1 top-right
    {false, false, true, true},   // 2 bottom-right
    {true, false, false, true},   // 3 bottom-left
    {false, true, false, false},  // 4 top-middle
    {false, false, true, false},  // 5 right-middle
    {false, false, false, true},  // 6 bottom-middle
    {true, false, false, false},  // 7 left-middle
};

constexpr TCursor kHandleCursors[kHandleCount] = {crSizeNWSE, crSizeNESW, crSizeNWSE, crSizeNESW,
                                                  crSizeNS,   crSizeWE,   crSizeNS,   crSizeWE};

/// The centre of handle Index in a box of Width x Height; with Place, moved inside or
/// outside the box as HandlePlace says.
TPoint HandleCentre(int Index, int32_t Width, int32_t Height, uint8_t HandlePlace, bool Place) {
  static constexpr int kHalf = -1;  // marks a half of the side
  static constexpr int kAt[kHandleCount][2] = {{0, 0},     {1, 0},     {1, 1},     {0, 1},
                                               {kHalf, 0}, {1, kHalf}, {kHalf, 1}, {0, kHalf}};
  const auto along = [](int At, int32_t Size) { return At == kHalf ? Size / 2 : At * Size; };
  TPoint p{along(kAt[Index][0], Width), along(kAt[Index][1], Height)};
  if (!Place) return p;
  const int32_t d = HandlePlace == rvhpInside ? 3 : HandlePlace == rvhpOutside ? -3 : 0;
  const THandleSides& s = kHandleSides[Index];
  // Handles on the left or top side move by +d, those on the right or bottom by -d.
  if (s.Left) p.X += d;
  if (s.Right) p.X -= d;
  if (s.Top) p.Y += d;
  if (s.Bottom) p.Y -= d;
  return p;
}

/// Keeps the item's proportions: the side that grew least follows the other.
void KeepProportions(TRect& R, const THandleSides& Sides, bool Ctrl, const TRVDrawLineInfo& DrawItem,
                     const TCustomRVItemInfo* Item) {
  int32_t w0 = DrawItem.Width;
  int32_t h0 = DrawItem.Height;
  if (const auto* rect = dynamic_cast<const TRVRectItemInfo*>(Item)) {
    w0 -= 2 * rect->GetSpacing();
    h0 -= 2 * rect->GetSpacing();
  }
  if (w0 < 1 || h0 < 1) return;
  const double kx = static_cast<double>(R.Right - R.Left) / w0;
  const double ky = static_cast<double>(R.Bottom - R.Top) / h0;
  // The side that grew less follows: (Near, Far) are its edges, Base its original size,
  // K the other side's scale. nearbyint rounds halves to even.
  const auto follow = [Ctrl](int32_t& Near, int32_t& Far, bool NearMoved, int32_t Base, double K) {
    const auto d = static_cast<int32_t>(std::nearbyint(Base * K)) - (Far - Near);
    if (Ctrl) {
      Near -= d / 2;
      Far += d / 2;
    } else if (NearMoved) {
      Near -= d;
    } else {
      Far += d;
    }
  };
  if (kx <= ky)
    follow(R.Left, R.Right, Sides.Left, w0, ky);
  else
    follow(R.Top, R.Bottom, Sides.Top, h0, kx);
}

}  // namespace

TRVItemResizer::TRVItemResizer(TRVDrawLineInfo* ADrawItem, TCustomRVItemInfo* AItem, int ADrawItemNo)
    : Width(ADrawItem->Width),
      Height(ADrawItem->Height),
      DrawItem(ADrawItem),
      DrawItemNo(ADrawItemNo),
      ItemNo(ADrawItem->ItemNo),
      Item(AItem) {}

void TRVItemResizer::Draw(TCanvas& Canvas, int32_t HOffs, int32_t VOffs) {
  TPen& pen = Canvas.Pen();
  pen.SetWidth(1);
  pen.SetColor(clBlack);
  pen.SetStyle(psSolid);
  Canvas.Brush().SetStyle(bsClear);
  const int32_t left = DrawItem->Left - HOffs;
  const int32_t top = DrawItem->Top - VOffs;
  for (int i = 0; i < kHandleCount; ++i) {
    const TPoint c = HandleCentre(i, Width, Height, HandlePlace, true);
    const int32_t x = left + c.X;
    const int32_t y = top + c.Y;
    pen.SetMode(pmCopy);
    Canvas.Rectangle(x - 3, y - 3, x + 3, y + 3);
    // The inner squares invert what is under them, so a handle shows on any picture.
    pen.SetMode(pmNot);
    Canvas.Rectangle(x - 2, y - 2, x + 2, y + 2);
    Canvas.Rectangle(x - 1, y - 1, x + 1, y + 1);
  }
  pen.SetMode(pmCopy);
}

bool TRVItemResizer::GetHandleAt(int32_t X, int32_t Y, int& Index, int32_t VOffs, int32_t HOffs) const {
  const int32_t x = X + HOffs - DrawItem->Left;
  const int32_t y = Y + VOffs - DrawItem->Top;
  for (int i = 0; i < kHandleCount; ++i) {
    const TPoint c = HandleCentre(i, Width, Height, HandlePlace, true);
    if (std::abs(c.X - x) < 4 && std::abs(c.Y - y) < 4) {
      Index = i;
      return true;
    }
  }
  return false;
}

TCursor TRVItemResizer::GetCursor(int Index) {
  return Index >= 0 && Index < kHandleCount ? kHandleCursors[Index] : crSizeWE;
}

bool TRVItemResizer::MouseDown(int32_t X, int32_t Y, int32_t VOffs, int32_t HOffs) {
  int index = -1;
  if (!GetHandleAt(X, Y, index, VOffs, HOffs)) return false;
  // The grip is kept relative to the handle's true corner or side, so the frame does not
  // jump by the handle's inset when the drag starts.
  const TPoint c = HandleCentre(index, Width, Height, HandlePlace, false);
  Dragging = true;
  DragHandle = static_cast<uint8_t>(index);
  DeltaX = X + HOffs - DrawItem->Left - c.X;
  DeltaY = Y + VOffs - DrawItem->Top - c.Y;
  DragRect = TRect{0, 0, DrawItem->Width, DrawItem->Height};
  Cancelled = false;
  return true;
}

void TRVItemResizer::MouseMove(TShiftState Shift, int32_t X, int32_t Y, int32_t VOffs, int32_t HOffs) {
  const int32_t x = X - DeltaX + HOffs - DrawItem->Left;
  const int32_t y = Y - DeltaY + VOffs - DrawItem->Top;
  const THandleSides& sides = kHandleSides[DragHandle % kHandleCount];
  const int32_t w = DrawItem->Width;
  const int32_t h = DrawItem->Height;
  TRect r{0, 0, w, h};
  if (sides.Left) r.Left = x;
  if (sides.Right) r.Right = x;
  if (sides.Top) r.Top = y;
  if (sides.Bottom) r.Bottom = y;
  // Never narrower or lower than 2 pixels.
  if (r.Right - 1 <= r.Left) {
    if (sides.Left) r.Left = r.Right - 2;
    if (sides.Right) r.Right = r.Left + 2;
  }
  if (r.Bottom - 1 <= r.Top) {
    if (sides.Top) r.Top = r.Bottom - 2;
    if (sides.Bottom) r.Bottom = r.Top + 2;
  }
  const bool ctrl = (Shift & ssCtrl) != 0;
  if (ctrl) {
    // Symmetric about the item's centre.
    if (sides.Left) r.Right = w - r.Left;
    if (sides.Top) r.Bottom = h - r.Top;
    if (sides.Right) r.Left = w - r.Right;
    if (sides.Bottom) r.Top = h - r.Bottom;
  }
  const bool corner = DragHandle < 4;
  if ((Shift & ssShift) != 0 || (corner && RVKeepProportionsOnCorners))
    KeepProportions(r, sides, ctrl, *DrawItem, Item);
  DragRect = r;
}

void TRVItemResizer::DrawDragRect(TCanvas& Canvas, int32_t HOffs, int32_t VOffs) {
  TPen& pen = Canvas.Pen();
  pen.SetWidth(1);
  pen.SetStyle(psDot);
  pen.SetMode(pmNot);
  Canvas.Brush().SetStyle(bsClear);
  const int32_t left = DrawItem->Left - HOffs;
  const int32_t top = DrawItem->Top - VOffs;
  Canvas.Rectangle(left + DragRect.Left, top + DragRect.Top, left + DragRect.Right, top + DragRect.Bottom);
  pen.SetMode(pmCopy);
  pen.SetStyle(psSolid);
}

void TRVItemResizer::MouseUp() {
  if (!Cancelled) {
    Width = DragRect.Right - DragRect.Left;
    Height = DragRect.Bottom - DragRect.Top;
  }
  Dragging = false;
  Cancelled = false;
}

void TRVItemResizer::Cancel() {
  Dragging = false;
  Cancelled = true;
}

// ---- the editor data's side ------------------------------------------------------------------

void TRVEditRVData::UpdateResizer() {
  Resizer.reset();
  TCustomRVEdit* editor = Editor();
  if (editor == nullptr || editor->GetReadOnly() || (editor->EditorOptions & rvoNoImageResize) != 0) return;
  if (!SelectionExists()) return;
  int s = -1, so = 0, e = -1, eo = 0;
  GetItemSelectionBounds(s, so, e, eo, true);
  if (s < 0 || e < 0 || s >= GetItemCount() || e >= GetItemCount()) return;
  // A selection that starts at the end of an item or ends at the start of one does not
  // really hold that item.
  if (s < e && so >= GetItemEndOffset(s)) {
    ++s;
    so = GetItemStartOffset(s);
  }
  if (e > s && eo <= GetItemStartOffset(e)) {
    --e;
    eo = GetItemEndOffset(e);
  }
  if (s != e || so != 0 || eo != 1) return;
  TCustomRVItemInfo* item = GetItem(s);
  if (item->IsTextItem() || !item->QueryFeature(rvfqMouseResizable)) return;
  if (IsParaProtected(item->ParaNo, rvpaoReadOnly)) return;
  const int d = GetFirstDrawItemOfItem(s);
  if (d < 0) return;
  Resizer = std::make_unique<TRVItemResizer>(DrawItems()[d], item, d);
  if (item->QueryFeature(rvfqHandlesOutside)) Resizer->HandlePlace = rvhpOutside;
}

void TRVEditRVData::RecheckResizer() {
  // After a partial re-format the draw item may be another object: only an unchanged
  // draw item keeps the resizer (and only then may it be read).
  if (Resizer != nullptr && Resizer->DrawItemNo >= 0 && Resizer->DrawItemNo < DrawItems().Count() &&
      DrawItems()[Resizer->DrawItemNo] == Resizer->DrawItem)
    return;
  UpdateResizer();
}

void TRVEditRVData::ResizeItem(int ItemNo, int32_t Width, int32_t Height) {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) return;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (const auto* rect = dynamic_cast<const TRVRectItemInfo*>(item)) {
    Width -= 2 * rect->GetSpacing();
    Height -= 2 * rect->GetSpacing();
  }
  Width = std::max(Width, 1);
  Height = std::max(Height, 1);
  TCustomRVEdit* editor = Editor();
  if (editor == nullptr || !editor->CanChange(false)) return;
  BeginUndoSequence(rvutModifyItem, true);
  SetUndoGroupMode(true);
  try {
    if (item->StyleNo == rvsComponent) {
      Do_Resize(ItemNo, Width, Height, true);
    } else {
      int32_t state = 0;
      BeginItemModify(ItemNo, state);
      if (dynamic_cast<const TRVGraphicItemInfo*>(item) != nullptr) {
        editor->SetItemExtraIntProperty(ItemNo, rvipImageHeight, false, Height);
        editor->SetItemExtraIntProperty(ItemNo, rvipImageWidth, false, Width);
      }
      EndItemModify(ItemNo, state);
    }
  } catch (...) {
    SetUndoGroupMode(false);
    throw;
  }
  SetUndoGroupMode(false);
  Change(true);
}

bool TRVEditRVData::CancelResize() {
  if (Resizer == nullptr || !Resizer->Dragging) return false;
  ClearXorDrawing();
  UnassignXorDrawing(this);
  Resizer->Cancel();
  SetCursor(GetNormalCursor());
  return true;
}

void TRVEditRVData::XorDrawing() {
  // The dotted frame of a drag is the figure the data's XOR slot draws (installed when a
  // handle is grabbed); the slot toggles whether it is shown.
  TRVViewerRVData::XorDrawing();
}

void TRVEditRVData::PaintOverlay(TCanvas& Canvas, int32_t HOffs, int32_t VOffs, int FirstDItemNo,
                                 int LastDItemNo) {
  TRVViewerRVData::PaintOverlay(Canvas, HOffs, VOffs, FirstDItemNo, LastDItemNo);
  RecheckResizer();
  if (Resizer != nullptr) Resizer->Draw(Canvas, HOffs, VOffs);
}

void TRVEditRVData::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  RecheckResizer();
  if (Resizer != nullptr && Button == mbLeft && Resizer->MouseDown(X, Y, GetVOffs(), GetHOffs())) {
    AssignXorDrawing(this, [this](TObject*, TShiftState, int32_t, int32_t) {
      TCanvas* canvas = GetCanvas();
      if (Resizer != nullptr && Resizer->Dragging && canvas != nullptr)
        Resizer->DrawDragRect(*canvas, GetHOffs(), GetVOffs());
    });
    XorDrawing();
    SetCursor(crCross);
    return;
  }
  TRVViewerRVData::MouseDown(Button, Shift, X, Y);
}

void TRVEditRVData::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if (Resizer != nullptr && Resizer->Dragging) {
    ClearXorDrawing();
    Resizer->MouseMove(Shift, X, Y, GetVOffs(), GetHOffs());
    XorDrawing();
    return;
  }
  RecheckResizer();
  int index = -1;
  if (Resizer != nullptr && Resizer->GetHandleAt(X, Y, index, GetVOffs(), GetHOffs())) {
    SetCursor(TRVItemResizer::GetCursor(index));
    return;
  }
  TRVViewerRVData::MouseMove(Shift, X, Y);
}

void TRVEditRVData::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (Resizer == nullptr || (!Resizer->Dragging && !Resizer->Cancelled)) {
    TRVViewerRVData::MouseUp(Button, Shift, X, Y);
    return;
  }
  const bool dragging = Resizer->Dragging;
  if (dragging) ClearXorDrawing();
  UnassignXorDrawing(this);
  Resizer->MouseUp();
  if (!dragging) return;
  SetCursor(GetNormalCursor());
  // Resizing remakes the resizer: take what it holds first.
  const int itemNo = Resizer->ItemNo;
  const int32_t width = Resizer->Width;
  const int32_t height = Resizer->Height;
  ResizeItem(itemNo, width, height);
}
