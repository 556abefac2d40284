#include "richtext/viewer/RVScroll.h"

#include <algorithm>

#include "platform/gui/Forms.h"
#include "richtext/viewer/CRVFData.h"

namespace {

/// A position clamped to 0 .. max - (page - 1), the last position that still fills the page.
int32_t ClampPos(int32_t pos, int32_t max, int32_t page) {
  return std::max(0, std::min(pos, max - (page - 1)));
}

}  // namespace

TRVScroller::TRVScroller(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
}

TRVScroller::~TRVScroller() {
  SetComponentState(csDestroying);
  // The handle is closed even when the window is already gone.
  FreeThemeHandle();
}

// ---- window -------------------------------------------------------------------------------

void TRVScroller::CreateWnd() {
  TCustomControl::CreateWnd();
  VSmallStep_ = GetDefSmallStep();
  ResetScrollPositions();
  CreateThemeHandle();
  InitScrollBars();
}

void TRVScroller::DestroyWnd() {
  TCustomControl::DestroyWnd();
  FreeThemeHandle();
}

void TRVScroller::CreateThemeHandle() {
  if (!UseXPThemes_ || ThemeHandle_ != 0) return;
  const bool loaded = AcquireThemeLibrary();
  const TThemeFunctions& f = ThemeFunctions();
  if (loaded && f.OpenThemeData && f.IsThemeActive && f.IsAppThemed && f.IsThemeActive() && f.IsAppThemed())
    ThemeHandle_ = f.OpenThemeData(this, u"Edit");
  // The library stays loaded only while a handle is open.
  if (ThemeHandle_ == 0) ReleaseThemeLibrary();
}

void TRVScroller::FreeThemeHandle() {
  if (ThemeHandle_ == 0) return;
  if (ThemeFunctions().CloseThemeData) ThemeFunctions().CloseThemeData(ThemeHandle_);
  ThemeHandle_ = 0;
  ReleaseThemeLibrary();
}

void TRVScroller::ReopenTheme() {
  FreeThemeHandle();
  if (HandleAllocated()) CreateThemeHandle();
  FrameChanged();
}

namespace {

/// A one-pixel outline just inside Rect, in Color.
void Outline(TCanvas& canvas, const TRect& rect, TColor color) {
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(color);
  canvas.FrameRect(rect);
}

}  // namespace

bool TRVScroller::PaintBorder(TCanvas& canvas, const TRect& window) {
  if (BorderStyle() != bsSingle) return false;
  // The flat looks: a shadow line round a plain border; with Ctl3D a face-coloured ring with
  // a shadow ring inside it. A control tagged kThemedBorderTag leaves a 3D border to the theme.
  if (Visible() && !Ctl3D()) {
    Outline(canvas, window, clBtnShadow);
    return true;
  }
  if (Visible() && Tag() != kThemedBorderTag) {
    Outline(canvas, window, clBtnFace);
    Outline(canvas, Rect(window.Left + 1, window.Top + 1, window.Right - 1, window.Bottom - 1), clBtnShadow);
    return true;
  }
  if (ThemeHandle_ == 0 || !ThemeFunctions().DrawThemeBackground) return false;
  return ThemeFunctions().DrawThemeBackground(ThemeHandle_, canvas, 0, 0, window, nullptr) == 0;
}

void TRVScroller::ResetScrollPositions() {
  VPos_ = 0;
  HPos_ = 0;
}

void TRVScroller::InitScrollBars() {
  UpdateScrollBars(ClientWidth(), ClientHeight() / VSmallStep_, true, true);
}

void TRVScroller::SetBorderStyle(TBorderStyle Value) {
  if (Value == BorderStyle()) return;
  TCustomControl::SetBorderStyle(Value);
  RecreateWnd();
}

void TRVScroller::SetBiDiMode(TRVBiDiMode Value) {
  if (Value == BiDiMode_) return;
  BiDiMode_ = Value;
  // Right-to-left text reads from the right: the vertical bar goes to the left.
  SetLeftScrollBar(Value == rvbdRightToLeft);
  RecreateWnd();
}

void TRVScroller::SetUseXPThemes(bool Value) {
  if (Value == UseXPThemes_) return;
  UseXPThemes_ = Value;
  if (HandleAllocated()) ReopenTheme();
}

// ---- scroll bars ---------------------------------------------------------------------------

bool TRVScroller::HideBar(int Bar) {
  TScrollInfo info;
  info.fMask = SIF_ALL;
  GetScrollInfo(Bar, info);
  if (info.nMin == 0 && info.nMax == 1 && info.nPage == 0 && info.nPos == 0) return true;
  info.fMask = SIF_ALL;
  info.nMin = 0;
  info.nMax = 1;
  info.nPage = 2;
  info.nPos = 0;
  SetScrollInfo(Bar, info, true);
  return false;
}

void TRVScroller::UpdateScrollBars(int32_t XSize, int32_t YSize, bool UpdateH, bool DisableNoScroll) {
  if (Updating_ || !HandleAllocated()) return;
  Updating_ = true;
  struct TReset {
    bool& flag;
    ~TReset() { flag = false; }
  } reset{Updating_};
  if (UpdateH) {
    XSize_ = XSize;
    HPage_ = ClientWidth();
    HMax_ = XSize - 1;
    if (HScrollVisible_) {
      HPos_ = ClampPos(HPos_, HMax_, ClientWidth());
      TScrollInfo info;
      info.fMask = SIF_ALL;
      info.nMin = 0;
      info.nMax = HMax_;
      info.nPage = static_cast<uint32_t>(std::max(0, ClientWidth()));
      info.nPos = HPos_;
      SetScrollInfo(SB_HORZ, info, true);
    } else {
      HideBar(SB_HORZ);
    }
  }
  YSize_ = YSize;
  VPage_ = ClientHeight() / VSmallStep_;
  VMax_ = YSize - 1;
  VPos_ = ClampPos(VPos_, VMax_, VPage_);
  if (VScrollVisible_) {
    TScrollInfo info;
    info.fMask = SIF_ALL;
    if (DisableNoScroll && this->DisableNoScroll) info.fMask |= SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = VMax_;
    info.nPage = static_cast<uint32_t>(std::max(0, VPage_));
    info.nPos = VPos_;
    SetScrollInfo(SB_VERT, info, true);
  } else {
    HideBar(SB_VERT);
  }
}

void TRVScroller::SetVScrollVisible(bool Value) {
  const bool turnedOn = Value && !VScrollVisible_;
  VScrollVisible_ = Value;
  if (!HandleAllocated()) return;
  if ((ComponentState() & csLoading) != 0) {
    UpdateScrollBars(XSize_, YSize_, true, true);
    return;
  }
  UpdateScrollBars(XSize_, YSize_, true, false);
  if (turnedOn && DisableNoScroll) {
    UpdateScrollBars(XSize_, YSize_, true, true);
    ShowScrollBar(SB_VERT, true);
  }
}

void TRVScroller::SetHScrollVisible(bool Value) {
  HScrollVisible_ = Value;
  UpdateScrollBars(XSize_, YSize_, true, true);
}

// ---- positions --------------------------------------------------------------------------------

void TRVScroller::SetVPos(int32_t Pos, bool Redraw) {
  if (!HandleAllocated()) return;
  const int32_t old = VPos_;
  if (VScrollVisible_) {
    // The bar keeps the position within its range; take what it kept.
    SetScrollPos(SB_VERT, Pos, true);
    VPos_ = GetScrollPos(SB_VERT);
  } else {
    VPos_ = ClampPos(Pos, VMax_, VPage_);
  }
  if (VPos_ == old) return;
  const int32_t dy = (old - VPos_) * VSmallStep_;
  if (!Redraw) {
    MoveChildren(0, dy);
  } else if (FullRedraw) {
    MoveChildren(0, dy);
    Refresh();
  } else {
    ScrollWindow(0, dy);
    MoveChildren(0, dy);
    Update();
  }
  VScrolled();
}

void TRVScroller::SetHPos(int32_t Pos) {
  if (!HandleAllocated()) return;
  const int32_t old = HPos_;
  if (HScrollVisible_) {
    SetScrollPos(SB_HORZ, Pos, true);
    HPos_ = GetScrollPos(SB_HORZ);
  } else {
    HPos_ = ClampPos(Pos, HMax_, HPage_);
  }
  if (HPos_ == old) return;
  const int32_t dx = old - HPos_;
  if (FullRedraw) {
    MoveChildren(dx, 0);
    Refresh();
  } else {
    ScrollWindow(dx, 0);
    MoveChildren(dx, 0);
    Update();
  }
  HScrolled();
}

void TRVScroller::ScrollToPixel(int32_t Y, bool Redraw) {
  SetVPos(Y / VSmallStep_, Redraw);
}

void TRVScroller::VScrolled() {
  if (OnVScrolled) OnVScrolled(this);
}

void TRVScroller::HScrolled() {
  if (OnHScrolled) OnHScrolled(this);
}

void TRVScroller::SetVSmallStep(int32_t Value) {
  // A step of 0 would divide by zero everywhere positions turn into pixels.
  Value = std::max(1, Value);
  if (Value == VSmallStep_) return;
  const int64_t pixels = static_cast<int64_t>(VPos_) * VSmallStep_;
  VSmallStep_ = Value;
  VPos_ = static_cast<int32_t>(pixels / Value);
}

void TRVScroller::MoveChildren(int32_t Dx, int32_t Dy) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    if (Dy != 0) {
      child->SetTag(child->Tag() + Dy);
      child->SetTop(std::max(-10000, std::min(child->Tag(), 10000)));
    }
    if (Dx != 0) child->SetLeft(child->Left() + Dx);
  }
}

// ---- palette ------------------------------------------------------------------------------------

void TRVScroller::UpdatePaletteInfo() {
  Palette_.clear();
}

void TRVScroller::SetDoInPaletteMode(TRVPaletteAction Value) {
  if (Value == DoInPaletteMode_) return;
  DoInPaletteMode_ = Value;
  UpdatePaletteInfo();
}

std::vector<TPaletteEntry> TRVScroller::GenerateLogPalette() {
  std::vector<TPaletteEntry> palette(216);
  for (int i = 0; i < 216; ++i) {
    palette[i].peRed = static_cast<uint8_t>((i % 6) * 51);
    palette[i].peGreen = static_cast<uint8_t>(((i / 6) % 6) * 51);
    palette[i].peBlue = static_cast<uint8_t>((i / 36) * 51);
  }
  return palette;
}

// ---- focused sub-document ------------------------------------------------------------------------

TWinControl* TRVScroller::GetInplaceEditor() {
  return FocusedData_ != nullptr ? FocusedData_->GetOwnInplaceEditor() : nullptr;
}

void TRVScroller::DestroyInplaceEditor() {
  delete GetInplaceEditor();
}

void TRVScroller::AssignFocusedSubData(TCustomRVFormattedData* RVData, TCustomRVItemInfo* Item) {
  if (RVData != FocusedData_) {
    DestroyInplaceEditor();
    if (FocusedData_ != nullptr) UnassignFocusedSubData(FocusedData_);
    FocusedData_ = RVData;
    FocusedItem_ = Item;
  }
  if (TWinControl* editor = GetInplaceEditor()) editor->SetTag(editor->Top());
}

void TRVScroller::ReplaceFocusedSubData(TCustomRVFormattedData* RVData) {
  FocusedData_ = RVData;
  if (RVData == nullptr) FocusedItem_ = nullptr;
}

void TRVScroller::UnassignFocusedSubData(TCustomRVFormattedData* RVData) {
  if (FocusedData_ == nullptr) return;
  if (RVData != FocusedData_ && RVData != FocusedData_->GetActiveData()) return;
  if (!Destroying())
    if (auto* active = dynamic_cast<TCustomRVFormattedData*>(FocusedData_->GetActiveData()))
      active->Deselect(nullptr, false);
  FocusedData_ = nullptr;
  if (FocusedItem_ != nullptr) {
    TCustomRVItemInfo* item = FocusedItem_;
    FocusedItem_ = nullptr;
    item->FocusLost();
  }
}

TCustomRVData* TRVScroller::GetFocusedSubDataActive() const {
  return FocusedData_ != nullptr ? FocusedData_->GetActiveData() : nullptr;
}

bool TRVScroller::IsFocusedWithEditors() {
  TWinControl* control = this;
  while (control != nullptr) {
    if (control->Focused()) return true;
    auto* scroller = dynamic_cast<TRVScroller*>(control);
    control = scroller != nullptr ? scroller->GetInplaceEditor() : nullptr;
  }
  return false;
}

void TRVScroller::SetFocusSilent() {
  if (!CanFocus()) return;
  if (TCustomForm* form = GetParentForm(this)) form->SetActiveControl(this);
}

// ---- input ----------------------------------------------------------------------------------------

void TRVScroller::HandleScrollMessage(TMessage& message, bool Vertical) {
  const uint32_t code = LoWord(message.WParam);
  const int32_t thumb = static_cast<int32_t>(HiWord(message.WParam));
  const int32_t pos = Vertical ? VPos_ : HPos_;
  const int32_t line = Vertical ? 1 : VSmallStep_;
  const int32_t page = Vertical ? ClientHeight() / VSmallStep_ : ClientWidth();
  int32_t target = pos;
  switch (code) {
    case SB_LINEUP:
      target = pos - line;
      break;
    case SB_LINEDOWN:
      target = pos + line;
      break;
    case SB_PAGEUP:
      target = pos - page;
      break;
    case SB_PAGEDOWN:
      target = pos + page;
      break;
    case SB_THUMBPOSITION:
      target = thumb;
      break;
    case SB_THUMBTRACK:
      if (!Tracking_) return;
      target = thumb;
      break;
    case SB_TOP:
      target = 0;
      break;
    case SB_BOTTOM:
      target = Vertical ? YSize_ : XSize_;
      break;
    default:
      return;
  }
  if (Vertical)
    ScrollTo(target);
  else
    SetHPos(target);
}

void TRVScroller::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_VSCROLL:
      HandleScrollMessage(message, true);
      return;
    case WM_HSCROLL:
      HandleScrollMessage(message, false);
      return;
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTARROWS;
      return;
    case WM_THEMECHANGED:
      TCustomControl::WndProc(message);
      ReopenTheme();
      message.Result = 1;
      return;
    case WM_SETFOCUS: {
      TCustomControl::WndProc(message);
      if (Destroying()) return;
      for (TWinControl* p = Parent(); p != nullptr; p = p->Parent())
        if (dynamic_cast<TRVScroller*>(p) != nullptr && (p->ComponentState() & csDestroying) != 0) return;
      if (TWinControl* editor = GetInplaceEditor())
        if (editor->CanFocus()) editor->SetFocus();
      return;
    }
    default:
      TCustomControl::WndProc(message);
  }
}

void TRVScroller::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (!KeyboardScroll) return;
  uint32_t msg = WM_VSCROLL;
  uint32_t code = 0;
  switch (Key) {
    case VK_PRIOR:
      code = SB_PAGEUP;
      break;
    case VK_NEXT:
      code = SB_PAGEDOWN;
      break;
    case VK_END:
      code = SB_BOTTOM;
      break;
    case VK_HOME:
      code = SB_TOP;
      break;
    case VK_UP:
      code = SB_LINEUP;
      break;
    case VK_DOWN:
      code = SB_LINEDOWN;
      break;
    case VK_LEFT:
      msg = WM_HSCROLL, code = SB_LINELEFT;
      break;
    case VK_RIGHT:
      msg = WM_HSCROLL, code = SB_LINERIGHT;
      break;
    default:
      return;
  }
  Perform(msg, code, 0);
}

bool TRVScroller::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  TCustomControl::DoMouseWheelDown(Shift, MousePos);
  ScrollTo(VPos_ + WheelStep_);
  return WheelStep_ != 0;
}

bool TRVScroller::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  TCustomControl::DoMouseWheelUp(Shift, MousePos);
  ScrollTo(VPos_ - WheelStep_);
  return WheelStep_ != 0;
}
