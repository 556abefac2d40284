#include "richtext/viewer/CRVFData.h"

#include <algorithm>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Controls.h"
#include "richtext/core/RVBack.h"
#include "richtext/core/RVGraphicFuncs.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/RVRVData.h"
#include "richtext/viewer/RVViewer.h"

TCustomRVFormattedData::TCustomRVFormattedData()
    : DrawItems_(std::make_unique<TRVDrawLines>()), Jumps_(std::make_unique<TRVList<TRVJumpInfo>>()) {}

TCustomRVFormattedData::~TCustomRVFormattedData() {
  // The owner's hooks are gone by now: free the pieces without telling anybody.
  HoverSubData = nullptr;
  StateFlags &= ~rvstHover;
  if (DrawItems_) DrawItems_->Clear();
  Jumps_.reset();
  DrawItems_.reset();
}

TCustomRVFormattedData* TCustomRVFormattedData::FormattedRoot() {
  return dynamic_cast<TCustomRVFormattedData*>(GetRootData());
}

const TCustomRVFormattedData* TCustomRVFormattedData::FormattedRoot() const {
  return const_cast<TCustomRVFormattedData*>(this)->FormattedRoot();
}

// ---- clearing ----------------------------------------------------------------------------

void TCustomRVFormattedData::ClearDrawLines() {
  if (!DrawItems_) return;
  DrawItems_->Clear();
  ClearJumps();
  JumpCount = 0;
  LastRaisedCP = nullptr;
  StateFlags &= ~(rvstMakingSelection | rvstHover);
  HoverSubData = nullptr;
  CaptureMouseItem = nullptr;
  ClickedDrawItem = -1;
  LastDItemMovedAbove = -1;
}

void TCustomRVFormattedData::ClearJumps() {
  Jumps_->Clear();
  ResetHover();
}

void TCustomRVFormattedData::ResetHover() {
  if (HoverSubData != nullptr) {
    HoverSubData->StateFlags &= ~rvstHover;
    HoverSubData->LastJumpMovedAbove = -1;
    HoverSubData->LastDItemMovedAbove = -1;
    HoverSubData->LastJumpDowned = -1;
    DoRVMouseMove(-1);
  }
  StateFlags &= ~rvstHover;
  LastJumpMovedAbove = -1;
  LastJumpDowned = -1;
  LastDItemMovedAbove = -1;
  HoverSubData = nullptr;
}

void TCustomRVFormattedData::Clear() {
  TRVStateScope clearing(*this, rvstClearing);
  Deselect(nullptr, true);
  ClearDrawLines();
  ClearSoftPageBreaks();
  TCustomRVData::Clear();
}

void TCustomRVFormattedData::DeleteItems(int FirstItemNo, int Count) {
  Deselect(nullptr, true);
  TCustomRVData::DeleteItems(FirstItemNo, Count);
}

// ---- formatting entry ---------------------------------------------------------------------

void TCustomRVFormattedData::Format(bool LayoutFlag) {
  FormatLines(false, true, false, 0, GetCanvas(), false, LayoutFlag);
}

// ---- drawn pieces and selection -------------------------------------------------------------

int TCustomRVFormattedData::GetDrawItemStartOffset(int DItemNo) const {
  const TRVDrawLineInfo* piece = DrawItems_->GetItem(DItemNo);
  return GetItem(piece->ItemNo)->IsTextItem() ? 1 : 0;
}

int TCustomRVFormattedData::GetDrawItemEndOffset(int DItemNo) const {
  const TRVDrawLineInfo* piece = DrawItems_->GetItem(DItemNo);
  return GetItem(piece->ItemNo)->IsTextItem() ? piece->Length + 1 : 1;
}

void TCustomRVFormattedData::Deselect(TCustomRVItemInfo* Item, bool Notify) {
  if ((StateFlags & rvstDeselecting) != 0) return;
  TRVStateScope deselecting(*this, rvstDeselecting);
  StateFlags &= ~rvstMakingSelection;
  SelStartNo = -1;
  SelEndNo = -1;
  SelStartOffs = 0;
  SelEndOffs = 0;
  ClickedDrawItem = -1;
  DeselectPartiallySelectedItem(Item);
  if (Notify) DoSelect();
}

void TCustomRVFormattedData::SelectAll() {
  if (DrawItems_->Count() == 0) return;
  DestroyInplaceEditor();
  DeselectPartiallySelectedItem(nullptr);
  SelStartNo = 0;
  SelStartOffs = GetDrawItemStartOffset(0);
  SelEndNo = DrawItems_->Count() - 1;
  SelEndOffs = GetDrawItemEndOffset(SelEndNo);
  SelectionChanged();
  DoSelect();
}

void TCustomRVFormattedData::DeselectPartiallySelectedItem(TCustomRVItemInfo* KeepItem) {
  if (PartiallySelectedItem != nullptr && PartiallySelectedItem != KeepItem) {
    PartiallySelectedItem->DropInnerSelection();
    PartiallySelectedItem = nullptr;
  }
  TCustomRVItemInfo* focused = GetFocusedSubItem();
  if (focused != nullptr && focused != KeepItem && !ParentControlDestroying())
    if (auto* sub = dynamic_cast<TCustomRVFormattedData*>(GetFocusedSubData())) UnassignFocusedSubData(sub);
}

void TCustomRVFormattedData::SetPartiallySelectedItem(TCustomRVItemInfo* Item) {
  if (Item == PartiallySelectedItem) return;
  Deselect(Item, true);
  PartiallySelectedItem = Item;
  DoSelect();
}

bool TCustomRVFormattedData::SelectionExists() const {
  if (SelStartNo < 0 || SelEndNo < 0) return false;
  return SelStartNo != SelEndNo || SelStartOffs != SelEndOffs;
}

// ---- XOR figure -------------------------------------------------------------------------------

void TCustomRVFormattedData::XorDrawing() {
  if (!XorMethod_) return;
  XorMethod_(this, 0, XorX, XorY);
  XorDrawn_ = !XorDrawn_;
  if (!XorPainting_) InvalidateControl();
}

void TCustomRVFormattedData::XorDrawingAt(int32_t X, int32_t Y) {
  XorX = X;
  XorY = Y;
  XorDrawing();
}

void TCustomRVFormattedData::AssignXorDrawing(const TObject* Owner, TRVXorDrawingMethod Method) {
  if (XorDrawn_) XorDrawing();
  XorOwner_ = Owner;
  XorMethod_ = std::move(Method);
}

void TCustomRVFormattedData::UnassignXorDrawing(const TObject* Owner) {
  if (!UsingThisXorDrawing(Owner)) return;
  if (XorDrawn_ && !ParentControlDestroying()) XorDrawing();
  XorDrawn_ = false;
  XorMethod_ = nullptr;
  XorOwner_ = nullptr;
}

bool TCustomRVFormattedData::ClearXorDrawing() {
  if (!XorDrawn_) return false;
  XorDrawing();
  return true;
}

// ---- focus among items ----------------------------------------------------------------------------

int TCustomRVFormattedData::GetNextFocusedItem(int StartItemNo, bool GoForward,
                                               TCustomRVFormattedData*& FocusedData, int& FocusedItem) {
  const int count = GetItemCount();
  if (FocusedItemNo < 0 || FocusedItemNo >= count) FocusedItemNo = -1;
  TRVStyle* style = GetRVStyle();
  auto focusable = [&](int i) { return GetItem(i)->QueryFeatureForStyle(rvsfFocusable, style); };
  auto succeed = [&](int i) {
    if (focusable(i)) {
      FocusedData = this;
      FocusedItem = i;
      return true;
    }
    // An item with documents inside (a table) moves the focus among them.
    TCustomRVData* inner = FocusedData;
    int innerItem = FocusedItem;
    if (!GetItem(i)->MoveFocusInside(GoForward, inner, innerItem)) return false;
    auto* innerData = dynamic_cast<TCustomRVFormattedData*>(inner);
    if (innerData == nullptr) return false;
    FocusedData = innerData;
    FocusedItem = innerItem;
    return true;
  };
  if (GoForward) {
    int start = StartItemNo;
    if (StartItemNo < 0 || (StartItemNo < count && focusable(StartItemNo))) ++start;
    // Any start before the first item searches from the first item.
    for (int i = std::max(start, 0); i < count; ++i)
      if (succeed(i)) return i;
  } else {
    int start = StartItemNo < 0 ? count : StartItemNo;
    if (start >= count || focusable(start)) start = std::min(start, count) - 1;
    for (int i = start; i >= 0; --i)
      if (succeed(i)) return i;
  }
  return -1;
}

void TCustomRVFormattedData::ClearFocus() {
  if (FocusedItemNo < 0 || FocusedItemNo >= GetItemCount()) {
    FocusedItemNo = -1;
    return;
  }
  GetItem(FocusedItemNo)->ClearFocusHook();
}

void TCustomRVFormattedData::SetFocusedItem(TCustomRVFormattedData* Data, int ItemNo) {
  // An item of a nested document: the item holding that document was made focused here.
  if (Data == this || Data == nullptr) FocusedItemNo = ItemNo;
}

// ---- scrolling and coordinates ----------------------------------------------------------------------

void TCustomRVFormattedData::ScrollToShowRect(int32_t X, int32_t Y, int32_t Width, int32_t Height) {
  const int32_t hOffs = GetHOffs();
  const int32_t vOffs = GetVOffs();
  const int32_t clientWidth = GetWidth();
  const int32_t clientHeight = GetHeight();
  const int32_t step = GetVSmallStep();
  if (X < hOffs || hOffs + clientWidth < X + Width) HScrollTo(X - clientWidth / 4);
  if (vOffs + clientHeight - 2 * step < Y + Height && vOffs + step > Y) return;
  if (vOffs + clientHeight >= Y + Height) {
    if (vOffs > Y) VScrollTo(Y, true);
  } else {
    VScrollTo(Y + Height - clientHeight + step, true);
  }
}

bool TCustomRVFormattedData::GetItemCoords(int ItemNo, int32_t& Left, int32_t& Top) const {
  const int dItemNo = GetFirstDrawItemOfItem(ItemNo);
  if (dItemNo < 0) return false;
  Left = DrawItems_->GetItem(dItemNo)->Left;
  Top = DrawItems_->GetItem(dItemNo)->Top;
  return true;
}

bool TCustomRVFormattedData::GetItemClientCoords(int ItemNo, int32_t& Left, int32_t& Top) {
  if (!GetItemCoords(ItemNo, Left, Top)) return false;
  Left -= GetHOffs();
  Top -= GetVOffs();
  return true;
}

// ---- hooks ------------------------------------------------------------------------------------

bool TCustomRVFormattedData::GetStoredItemRange(int& First, int& Last) const {
  First = -1;
  Last = -1;
  return false;
}

void TCustomRVFormattedData::GetScreenAndDeviceInfo(TCanvas* Canvas, TRVFormatScale& Scale) {
  if (Canvas != nullptr) {
    RVGetDeviceResolution(Scale, *Canvas);
    return;
  }
  Scale.ScreenPPIX = Scale.ScreenPPIY = Scale.DevicePPIX = Scale.DevicePPIY = 96;
}

TCanvas* TCustomRVFormattedData::GetCanvas() {
  TCustomRVFormattedData* root = FormattedRoot();
  return root != nullptr && root != this ? root->GetCanvas() : nullptr;
}

void TCustomRVFormattedData::DrawBackground(TCanvas& Canvas, const TRect& Rect) {
  const TColor color = GetColor();
  const TRVBackground* background = GetBackground();
  if (background == nullptr) {
    if (color == clNone) return;
    Canvas.Brush().SetColor(color);
    Canvas.Brush().SetStyle(bsSolid);
    Canvas.FillRect(::Rect(0, 0, Rect.Width(), Rect.Height()));
    return;
  }
  background->Draw(Canvas, Rect, GetHOffs(), GetVOffs(), 0, 0, GetWidth(), GetHeight(), color, false);
}

bool TCustomRVFormattedData::HasRVRightClick() const {
  const TCustomRVFormattedData* root = FormattedRoot();
  return root != nullptr && root != this && root->HasRVRightClick();
}

bool TCustomRVFormattedData::HasRVDblClick() const {
  const TCustomRVFormattedData* root = FormattedRoot();
  return root != nullptr && root != this && root->HasRVDblClick();
}

void TCustomRVFormattedData::DoRVRightClick(const std::string& ClickedWord, int StyleNo, int32_t X,
                                            int32_t Y) {
  TCustomRVFormattedData* root = FormattedRoot();
  if (root != nullptr && root != this) root->DoRVRightClick(ClickedWord, StyleNo, X, Y);
}

void TCustomRVFormattedData::DoRVDblClick(const std::string& ClickedWord, int StyleNo) {
  TCustomRVFormattedData* root = FormattedRoot();
  if (root != nullptr && root != this) root->DoRVDblClick(ClickedWord, StyleNo);
}

void TCustomRVFormattedData::DoSelect() {
  TCustomRVFormattedData* root = FormattedRoot();
  if (root != nullptr && root != this) root->DoSelect();
}

void TCustomRVFormattedData::DoItemJump(int JumpID) {
  TCustomRVFormattedData* root = FormattedRoot();
  if (root == nullptr) root = this;
  root->DoJump(JumpID + root->FirstJumpNo);
}

TCPEventKind TCustomRVFormattedData::GetCPEventKind() const {
  const TCustomRVFormattedData* root = FormattedRoot();
  return root != nullptr && root != this ? root->GetCPEventKind() : cpeNone;
}

void TCustomRVFormattedData::UnassignFocusedSubData(TCustomRVFormattedData* RVData) {
  (void)RVData;
  StateFlags |= rvstFocusReleased;
}

bool TCustomRVFormattedData::PassToInplaceEditor(uint32_t Msg, WPARAM WParam, LPARAM LParam) {
  if (auto* editor = dynamic_cast<TCustomRVViewer*>(GetInplaceEditor()))
    return editor->RVData().PassToInplaceEditor(Msg, WParam, LParam);
  return false;
}

// A document inside an item (a table cell) repaints through the control that shows it.
void TCustomRVFormattedData::InvalidateControl() {
  if (TWinControl* control = GetParentControl()) control->Invalidate();
}

void TCustomRVFormattedData::RefreshControl() {
  if (TWinControl* control = GetParentControl()) control->Refresh();
}

void TCustomRVFormattedData::UpdateControl() {
  if (TWinControl* control = GetParentControl()) control->Update();
}

bool TCustomRVFormattedData::ParentControlDestroying() const {
  const TWinControl* control = GetParentControl();
  return control != nullptr && (control->ComponentState() & csDestroying) != 0;
}
