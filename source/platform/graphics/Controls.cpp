#include "platform/graphics/Controls.h"

#include <algorithm>

#include "platform/core/TypInfo.h"

namespace {
TWinControl* g_focused = nullptr;

TMouseButton ButtonOfMessage(uint32_t msg) {
  switch (msg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
      return mbRight;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      return mbMiddle;
    default:
      return mbLeft;
  }
}

// Each child's tab order is its position among the windowed siblings.
std::vector<TWinControl*> WindowedChildren(const TWinControl& parent) {
  std::vector<TWinControl*> list;
  for (int i = 0; i < parent.ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(parent.Controls(i))) list.push_back(w);
  return list;
}
}  // namespace

TShiftState MouseFlagsToShiftState(WPARAM flags) {
  TShiftState shift = 0;
  if (flags & MK_SHIFT) shift |= ssShift;
  if (flags & MK_CONTROL) shift |= ssCtrl;
  if (flags & MK_ALT) shift |= ssAlt;
  if (flags & MK_LBUTTON) shift |= ssLeft;
  if (flags & MK_RBUTTON) shift |= ssRight;
  if (flags & MK_MBUTTON) shift |= ssMiddle;
  return shift;
}

WPARAM ShiftStateToMouseFlags(TShiftState shift) {
  WPARAM flags = 0;
  if (shift & ssShift) flags |= MK_SHIFT;
  if (shift & ssCtrl) flags |= MK_CONTROL;
  if (shift & ssAlt) flags |= MK_ALT;
  if (shift & ssLeft) flags |= MK_LBUTTON;
  if (shift & ssRight) flags |= MK_RBUTTON;
  if (shift & ssMiddle) flags |= MK_MBUTTON;
  return flags;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  const auto bits = static_cast<uint32_t>(keyData);
  TShiftState shift = 0;
  if (bits & KF_SHIFT) shift |= ssShift;
  if (bits & KF_CONTROL) shift |= ssCtrl;
  if (bits & KF_ALTDOWN) shift |= ssAlt;
  return shift;
}

LPARAM ShiftStateToKeyData(TShiftState shift) {
  uint32_t bits = 1;
  if (shift & ssShift) bits |= KF_SHIFT;
  if (shift & ssCtrl) bits |= KF_CONTROL;
  if (shift & ssAlt) bits |= KF_ALTDOWN;
  return static_cast<LPARAM>(bits);
}

const TPropertyList& TControl::ClassProperties() {
  static const TPropertyList list = TPropertyBuilder<TControl>(TComponent::ClassProperties())
                                        .Integer("Left", &TControl::Left, &TControl::SetLeft)
                                        .Integer("Top", &TControl::Top, &TControl::SetTop)
                                        .Integer("Width", &TControl::Width, &TControl::SetWidth)
                                        .Integer("Height", &TControl::Height, &TControl::SetHeight)
                                        .Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled)
                                        .Default(1)
                                        .Boolean("Visible", &TControl::Visible, &TControl::SetVisible)
                                        .Default(1)
                                        .Build();
  return list;
}

TControl::TControl(TComponent* owner) : TComponent(owner), life_(std::make_shared<TControl* const>(this)) {}

TControl::~TControl() {
  life_.reset();
  SetParent(nullptr);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      HandleMouseMessage(message);
      return;
    case WM_MOUSEWHEEL: {
      const auto delta = static_cast<int16_t>(HiWord(message.WParam));
      const TShiftState shift = MouseFlagsToShiftState(LoWord(message.WParam));
      message.Result = DoMouseWheel(shift, delta, LParamToPoint(message.LParam)) ? 1 : 0;
      return;
    }
    case WM_SIZE:
      Resize();
      return;
    default:
      DefaultHandler(message);
  }
}

void TControl::HandleMouseMessage(TMessage& message) {
  const TPoint p = LParamToPoint(message.LParam);
  TShiftState shift = MouseFlagsToShiftState(message.WParam);
  const TMouseButton button = ButtonOfMessage(message.Msg);
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      MouseMove(shift, p.X, p.Y);
      return;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      shift |= ssDouble;
      if (button == mbLeft) DblClick();
      MouseDown(button, shift, p.X, p.Y);
      return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      MouseDown(button, shift, p.X, p.Y);
      return;
    default:
      MouseUp(button, shift, p.X, p.Y);
      // A release inside the control after a press is a click.
      if (clickOnRelease_ && button == mbLeft && ClientRect().Contains(p.X, p.Y)) Click();
  }
}

LRESULT TControl::Perform(uint32_t msg, WPARAM wparam, LPARAM lparam) {
  TMessage message;
  message.Msg = msg;
  message.WParam = wparam;
  message.LParam = lparam;
  WndProc(message);
  return message.Result;
}

TRect TControl::ClientRect() const {
  return Rect(0, 0, Width(), Height());
}

TPoint TControl::ClientOrigin() const {
  TPoint origin{Left(), Top()};
  if (parent_ != nullptr) {
    const TPoint p = parent_->ClientOrigin();
    origin.X += p.X;
    origin.Y += p.Y;
  }
  return origin;
}

TPoint TControl::ClientToScreen(TPoint p) const {
  const TPoint origin = ClientOrigin();
  return TPoint{p.X + origin.X, p.Y + origin.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const {
  const TPoint origin = ClientOrigin();
  return TPoint{p.X - origin.X, p.Y - origin.Y};
}

// A control without a window of its own paints on its parent's.
void TControl::Invalidate() {
  InvalidateRect(ClientRect());
}

void TControl::InvalidateRect(const TRect& rect) {
  if (parent_ == nullptr) return;
  TRect r = rect;
  r.Offset(Left(), Top());
  parent_->InvalidateRect(r);
}

void TControl::Update() {
  if (parent_ != nullptr) parent_->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::SetCursor(TCursor cursor) {
  if (cursor_ == cursor && shownCursor_ == cursor) return;
  cursor_ = cursor;
  shownCursor_ = cursor;
  CursorChanged();
}

void TControl::ShowCursor(TCursor cursor) {
  if (shownCursor_ == cursor) return;
  shownCursor_ = cursor;
  CursorChanged();
}

void TControl::SetHint(const std::string& hint) {
  if (hint_ == hint) return;
  hint_ = hint;
  HintChanged();
}

void TControl::SetShowHint(bool value) {
  if (showHint_ == value) return;
  showHint_ = value;
  HintChanged();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int32_t x, int32_t y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

bool TControl::DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos) {
  if (wheelDelta < 0) return DoMouseWheelDown(shift, mousePos);
  if (wheelDelta > 0) return DoMouseWheelUp(shift, mousePos);
  return false;
}

bool TControl::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  (void)shift;
  (void)mousePos;
  return false;
}

bool TControl::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  (void)shift;
  (void)mousePos;
  return false;
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
}

void TControl::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  VisibleChanged();
}

void TControl::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  EnabledChanged();
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  for (const TWinControl* p = parent; p != nullptr; p = p->Parent())
    if (p == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_ != nullptr) std::erase(parent_->controls_, this);
  parent_ = parent;
  if (parent_ != nullptr) parent_->controls_.push_back(this);
  ParentChanged();
}

bool TControl::IsShowingAndEnabled() const {
  for (const TControl* c = this; c != nullptr; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

// ---------------------------------------------------------------------------------------

const TPropertyList& TWinControl::ClassProperties() {
  static const TPropertyList list = TPropertyBuilder<TWinControl>(TControl::ClassProperties())
                                        .Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
                                        .Default(0)
                                        .Build();
  return list;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  while (!controls_.empty()) controls_.back()->SetParent(nullptr);
  if (g_focused == this) g_focused = nullptr;
  handle_.reset();
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (g_focused == this) return;
  HandleNeeded();
  if (handle_ != nullptr) handle_->SetFocus();
  // The window system reports the move when it happens; without a window (or when the
  // window cannot take the focus now) the model moves at once.
  if (g_focused != this) FocusMoved(this);
}

void TWinControl::FocusMoved(TWinControl* control) {
  if (g_focused == control) return;
  TWinControl* old = g_focused;
  g_focused = control;
  if (old != nullptr) {
    old->FocusChanged();
    old->Perform(WM_KILLFOCUS, reinterpret_cast<WPARAM>(control));
  }
  if (control != nullptr && g_focused == control) {
    control->FocusChanged();
    control->Perform(WM_SETFOCUS, reinterpret_cast<WPARAM>(old));
  }
}

int TWinControl::TabOrder() const {
  if (Parent() == nullptr) return -1;
  const auto siblings = WindowedChildren(*Parent());
  return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

void TWinControl::SetTabOrder(int value) {
  TWinControl* parent = Parent();
  if (parent == nullptr) return;
  auto siblings = WindowedChildren(*parent);
  std::erase(siblings, this);
  value = std::clamp(value, 0, static_cast<int>(siblings.size()));
  siblings.insert(siblings.begin() + value, this);
  // Rebuild the parent's list: windowed children in their new order, the others kept after.
  std::vector<TControl*> others;
  for (TControl* c : parent->controls_)
    if (dynamic_cast<TWinControl*>(c) == nullptr) others.push_back(c);
  parent->controls_.assign(siblings.begin(), siblings.end());
  parent->controls_.insert(parent->controls_.end(), others.begin(), others.end());
}

void TWinControl::HandleNeeded() {
  if (handle_ != nullptr) return;
  if (Parent() != nullptr) Parent()->HandleNeeded();
  handle_ = CreateWindowHandle();
  if (handle_ == nullptr) return;
  CreateWnd();
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->HandleNeeded();
}

TWindowHandle* TWinControl::Handle() {
  HandleNeeded();
  return handle_.get();
}

void TWinControl::DestroyHandle() {
  if (handle_ == nullptr) return;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWnd();
  handle_.reset();
}

void TWinControl::RecreateWnd() {
  if (handle_ == nullptr) return;
  DestroyHandle();
  HandleNeeded();
}

TRect TWinControl::ClientRect() const {
  return handle_ != nullptr ? handle_->ClientRect() : TControl::ClientRect();
}

TPoint TWinControl::ClientOrigin() const {
  return handle_ != nullptr ? handle_->ClientOrigin() : TControl::ClientOrigin();
}

void TWinControl::Invalidate() {
  if (handle_ != nullptr) handle_->Invalidate(nullptr);
}

void TWinControl::InvalidateRect(const TRect& rect) {
  if (handle_ != nullptr) handle_->Invalidate(&rect);
}

void TWinControl::Update() {
  if (handle_ != nullptr) handle_->Update();
}

bool TWinControl::MouseCapture() const {
  return handle_ != nullptr && handle_->MouseCapture();
}

void TWinControl::SetMouseCapture(bool value) {
  if (handle_ != nullptr) handle_->SetMouseCapture(value);
}

void TWinControl::BoundsChanged() {
  if (handle_ != nullptr) handle_->BoundsChanged();
}

void TWinControl::VisibleChanged() {
  if (handle_ != nullptr) handle_->VisibleChanged();
}

void TWinControl::EnabledChanged() {
  if (handle_ != nullptr) handle_->EnabledChanged();
}

void TWinControl::CursorChanged() {
  if (handle_ != nullptr) handle_->CursorChanged();
}

void TWinControl::HintChanged() {
  if (handle_ != nullptr) handle_->HintChanged();
}

// A control moved onto a parent that has its window gets its own at once.
void TWinControl::ParentChanged() {
  if (handle_ != nullptr) {
    handle_->ParentChanged();
  } else if (Parent() != nullptr && Parent()->HandleAllocated()) {
    HandleNeeded();
  }
}

void TWinControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      auto key = static_cast<uint16_t>(message.WParam);
      KeyDown(key, KeyDataToShiftState(message.LParam));
      message.WParam = key;
      message.Result = key == 0 ? 1 : 0;
      return;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      auto key = static_cast<uint16_t>(message.WParam);
      KeyUp(key, KeyDataToShiftState(message.LParam));
      message.WParam = key;
      return;
    }
    case WM_CHAR: {
      auto ch = static_cast<char16_t>(message.WParam);
      KeyPress(ch);
      message.WParam = ch;
      message.Result = ch == 0 ? 1 : 0;
      return;
    }
    case WM_SETFOCUS:
      DoEnter();
      return;
    case WM_KILLFOCUS:
      DoExit();
      return;
    default:
      TControl::WndProc(message);
  }
}

void TWinControl::KeyDown(uint16_t& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(uint16_t& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char16_t& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!c->Visible() || (!allowDisabled && !c->Enabled())) continue;
    if (c->BoundsRect().Contains(p.X, p.Y)) return c;
  }
  return nullptr;
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* child : WindowedChildren(*this)) {
    list.push_back(child);
    child->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const auto n = static_cast<int>(list.size());
  int start = static_cast<int>(std::find(list.begin(), list.end(), current) - list.begin());
  if (start == n) start = goForward ? n - 1 : 0;
  for (int step = 1; step <= n; ++step) {
    const int i = ((goForward ? start + step : start - step) % n + n) % n;
    TWinControl* candidate = list[static_cast<size_t>(i)];
    if (candidate == current) continue;
    if (candidate->CanFocus() && (!checkTabStop || candidate->TabStop())) return candidate;
  }
  return nullptr;
}

TWinControl* TWinControl::FocusedControl() {
  return g_focused;
}

TControl* TWinControl::Controls(int index) const {
  if (index < 0 || index >= ControlCount()) RaiseListIndexError(index);
  return controls_[static_cast<size_t>(index)];
}
