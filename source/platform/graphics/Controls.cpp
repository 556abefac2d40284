#include "platform/graphics/Controls.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

#include "platform/core/SysUtils.h"
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

// One side of an anchored control: its start and length when the parent's extent goes from
// `was` to `now`, given the edges it keeps its distances to. With neither edge its centre
// keeps its relative place.
std::pair<int32_t, int32_t> AnchoredSpan(bool nearEdge, bool farEdge, int32_t start, int32_t length,
                                         int32_t was, int32_t now) {
  const int32_t grown = now - was;
  if (nearEdge && farEdge) return {start, length + grown};
  if (farEdge) return {start + grown, length};
  if (nearEdge || was <= 0) return {start, length};
  return {MulDiv(start + length / 2, now, was) - length / 2, length};
}

// The order in which controls of one alignment take their place: nearest their edge first,
// as they were put.
int32_t AlignOrder(const TControl& c, TAlign align) {
  switch (align) {
    case alTop:
      return c.Top();
    case alBottom:
      return -(c.Top() + c.Height());
    case alLeft:
      return c.Left();
    case alRight:
      return -(c.Left() + c.Width());
    default:
      return 0;
  }
}

// Puts `c` along its edge of `area` and takes the room it fills off the area.
void PlaceAligned(TControl& c, TAlign align, TRect& area) {
  switch (align) {
    case alTop:
      c.SetBounds(area.Left, area.Top, area.Width(), c.Height());
      area.Top = std::min(area.Top + c.Height(), area.Bottom);
      return;
    case alBottom:
      c.SetBounds(area.Left, area.Bottom - c.Height(), area.Width(), c.Height());
      area.Bottom = std::max(area.Bottom - c.Height(), area.Top);
      return;
    case alLeft:
      c.SetBounds(area.Left, area.Top, c.Width(), area.Height());
      area.Left = std::min(area.Left + c.Width(), area.Right);
      return;
    case alRight:
      c.SetBounds(area.Right - c.Width(), area.Top, c.Width(), area.Height());
      area.Right = std::max(area.Right - c.Width(), area.Left);
      return;
    case alClient:
      c.SetBounds(area.Left, area.Top, area.Width(), area.Height());
      return;
    case alNone:
      return;
  }
}

const std::vector<std::string> kAlignNames = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
const std::vector<std::string> kAnchorNames = {"akLeft", "akTop", "akRight", "akBottom"};

// Each child's tab order is its position among the windowed siblings.
std::vector<TWinControl*> WindowedChildren(const TWinControl& parent) {
  std::vector<TWinControl*> list;
  for (int i = 0; i < parent.ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(parent.Controls(i))) list.push_back(w);
  return list;
}

// Dragging between controls. One drag runs at a time, and while it runs the mouse messages of
// every control are the drag's (the source holds the mouse capture): moves carry it over the
// control under the mouse, the left button's release drops it, the right button cancels it.
// The press that starts a dmAutomatic control's drag waits for the mouse to move past the
// threshold; released before that, the press and its release reach the control after all.
constexpr int32_t kDragThreshold = 5;

struct TDragSession {
  TControl* Source = nullptr;
  TObject* DragObject = nullptr;  // what the targets are told of
  TPoint Start;                   // screen coordinates
  int32_t Threshold = kDragThreshold;
  bool Started = false;
  uint32_t HeldPress = 0;  // the press's message (0: none), flags and point
  WPARAM HeldFlags = 0;
  LPARAM HeldPoint = 0;
  TControl* Target = nullptr;
  bool Accepted = false;
};
std::optional<TDragSession> g_drag;  // a handler may end it
bool g_replayingPress = false;

TWindowHandle* WindowOf(TControl* control) {
  for (; control != nullptr; control = control->Parent())
    if (auto* w = dynamic_cast<TWinControl*>(control); w != nullptr && w->HandleAllocated())
      return w->Handle();
  return nullptr;
}

void OpenDrag(TControl& source, TPoint start, int32_t threshold) {
  g_drag.emplace();
  g_drag->Source = &source;
  g_drag->Start = start;
  if (threshold >= 0) g_drag->Threshold = threshold;
  if (auto* w = dynamic_cast<TWinControl*>(&source)) w->SetMouseCapture(true);
}

/// The control left hears dsDragLeave, the one under the mouse dsDragEnter or dsDragMove and
/// says whether it would take the drop.
void DragTo(TPoint screen) {
  TWindowHandle* window = WindowOf(g_drag->Source);
  TControl* under = window != nullptr ? window->ControlAtScreenPos(screen) : nullptr;
  TObject* object = g_drag->DragObject;
  bool accept = false;
  if (g_drag->Target != nullptr && g_drag->Target != under) {
    TControl* left = std::exchange(g_drag->Target, nullptr);
    g_drag->Accepted = false;
    const TPoint p = left->ScreenToClient(screen);
    left->DragOver(object, p.X, p.Y, dsDragLeave, accept);
    if (!g_drag.has_value()) return;
  }
  if (under == nullptr) return;
  const TDragState state = g_drag->Target == under ? dsDragMove : dsDragEnter;
  g_drag->Target = under;
  const TPoint p = under->ScreenToClient(screen);
  under->DragOver(object, p.X, p.Y, state, accept);
  if (g_drag.has_value()) g_drag->Accepted = accept && g_drag->Target != nullptr;
}

void StartDragging(TPoint screen) {
  g_drag->Started = true;
  g_drag->HeldPress = 0;
  TObject* object = nullptr;
  g_drag->Source->DoStartDrag(object);
  if (!g_drag.has_value()) return;
  g_drag->DragObject = object != nullptr ? object : g_drag->Source;
  DragTo(screen);
}

/// Ends the drag at `screen`: a drop on the control under the mouse when `drop` and it
/// accepts; otherwise that control hears dsDragLeave. The drag is over before the handlers run.
void FinishDrag(TPoint screen, bool drop) {
  const TDragSession s = *g_drag;
  g_drag.reset();
  if (auto* w = dynamic_cast<TWinControl*>(s.Source)) w->SetMouseCapture(false);
  if (!s.Started) return;
  const auto sourceLife = s.Source->LifeToken();
  const auto targetLife = s.Target != nullptr ? s.Target->LifeToken() : std::weak_ptr<TControl* const>();
  const bool dropped = drop && s.Target != nullptr && s.Accepted;
  if (s.Target != nullptr) {
    const TPoint p = s.Target->ScreenToClient(screen);
    bool ignored = false;
    if (dropped)
      s.Target->DragDrop(s.DragObject, p.X, p.Y);
    else
      s.Target->DragOver(s.DragObject, p.X, p.Y, dsDragLeave, ignored);
  }
  if (sourceLife.expired()) return;
  const TPoint p = s.Source->ScreenToClient(screen);
  s.Source->DoEndDrag(dropped && !targetLife.expired() ? s.Target : nullptr, p.X, p.Y);
}

/// A mouse message of `control` while a drag runs; true when the drag took it.
bool RouteToDrag(TControl& control, const TMessage& message) {
  const TPoint screen = control.ClientToScreen(LParamToPoint(message.LParam));
  const bool started = g_drag->Started;
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      if ((message.WParam & MK_LBUTTON) == 0) {
        FinishDrag(screen, true);  // the release went elsewhere
      } else if (started) {
        DragTo(screen);
      } else if (std::abs(screen.X - g_drag->Start.X) > g_drag->Threshold ||
                 std::abs(screen.Y - g_drag->Start.Y) > g_drag->Threshold) {
        StartDragging(screen);
      }
      return true;
    case WM_LBUTTONUP: {
      if (started) {
        FinishDrag(screen, true);
        return true;
      }
      const TDragSession pending = *g_drag;
      FinishDrag(screen, false);
      if (pending.HeldPress == 0) return false;
      const auto life = control.LifeToken();
      struct Replaying {
        Replaying() { g_replayingPress = true; }
        ~Replaying() { g_replayingPress = false; }
      } replaying;
      pending.Source->Perform(pending.HeldPress, pending.HeldFlags, pending.HeldPoint);
      return life.expired();
    }
    case WM_RBUTTONDOWN:
      FinishDrag(screen, false);
      return started;
    default:
      return started;
  }
}

/// Whether the drag takes a mouse message: one that runs, or the press that starts a
/// dmAutomatic control's.
bool TakenForDrag(TControl& control, const TMessage& message) {
  if (g_drag.has_value()) return RouteToDrag(control, message);
  if ((message.Msg != WM_LBUTTONDOWN && message.Msg != WM_LBUTTONDBLCLK) ||
      control.DragMode() != dmAutomatic || g_replayingPress || WindowOf(&control) == nullptr)
    return false;
  OpenDrag(control, control.ClientToScreen(LParamToPoint(message.LParam)), -1);
  g_drag->HeldPress = message.Msg;
  g_drag->HeldFlags = message.WParam;
  g_drag->HeldPoint = message.LParam;
  return true;
}

/// A control that goes ends the drag it is the source of, quietly, and is no target any more.
void ForgetDrag(const TControl* control) {
  if (!g_drag.has_value()) return;
  if (g_drag->Source == control) {
    g_drag.reset();
  } else if (g_drag->Target == control) {
    g_drag->Target = nullptr;
    g_drag->Accepted = false;
  }
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

const TPropertyList& TSizeConstraints::ClassProperties() {
  using T = TSizeConstraints;
  static const TPropertyList list = TPropertyBuilder<T>(TPersistent::ClassProperties())
                                        .Integer("MaxHeight", &T::MaxHeight, &T::SetMaxHeight)
                                        .Default(0)
                                        .Integer("MaxWidth", &T::MaxWidth, &T::SetMaxWidth)
                                        .Default(0)
                                        .Integer("MinHeight", &T::MinHeight, &T::SetMinHeight)
                                        .Default(0)
                                        .Integer("MinWidth", &T::MinWidth, &T::SetMinWidth)
                                        .Default(0)
                                        .Build();
  return list;
}

void TSizeConstraints::Apply(int32_t& width, int32_t& height) const {
  if (maxWidth_ > 0) width = std::min(width, maxWidth_);
  if (maxHeight_ > 0) height = std::min(height, maxHeight_);
  width = std::max({width, minWidth_, 0});
  height = std::max({height, minHeight_, 0});
}

void TSizeConstraints::Change(int32_t& bound, int32_t value) {
  value = std::max(value, 0);
  if (bound == value) return;
  bound = value;
  control_.SetBounds(control_.Left(), control_.Top(), control_.Width(), control_.Height());
}

const TPropertyList& TControl::ClassProperties() {
  using T = TControl;
  static const TPropertyList list =
      TPropertyBuilder<TControl>(TComponent::ClassProperties())
          .Integer("Left", &TControl::Left, &TControl::SetLeft)
          .Integer("Top", &TControl::Top, &TControl::SetTop)
          .Integer("Width", &TControl::Width, &TControl::SetWidth)
          .Integer("Height", &TControl::Height, &TControl::SetHeight)
          .Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled)
          .Default(1)
          .Boolean("Visible", &TControl::Visible, &TControl::SetVisible)
          .Default(1)
          .Enum("DragKind", &T::DragKind, &T::SetDragKind, {"dkDrag", "dkDock"})
          .Default(dkDrag)
          .Enum("DragMode", &T::DragMode, &T::SetDragMode, {"dmManual", "dmAutomatic"})
          .Default(dmManual)
          .Enum("Align", &T::Align, &T::SetAlign, kAlignNames)
          .Default(alNone)
          .Set("Anchors", &T::Anchors, &T::SetAnchors, kAnchorNames)
          .Default(akLeft | akTop)
          .Object("Constraints", &T::Constraints)
          .Integer("HelpContext", &T::HelpContext, &T::SetHelpContext)
          .Default(0)
          .Component("PopupMenu", &T::popupMenu_, &T::SetPopupMenuComponent)
          .Boolean("ShowHint", &T::ShowHint, &T::SetShowHint)
          .Default(0)
          .Build();
  return list;
}

TControl::TControl(TComponent* owner) : TComponent(owner), life_(std::make_shared<TControl* const>(this)) {}

TControl::~TControl() {
  ForgetDrag(this);
  life_.reset();
  SetParent(nullptr);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TControl::SetPopupMenuComponent(TComponent* menu) {
  if (popupMenu_ != nullptr) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = menu;
  if (menu != nullptr) menu->FreeNotification(this);
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
      if (!TakenForDrag(*this, message)) HandleMouseMessage(message);
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

void TControl::BeginDrag(bool immediate, int32_t threshold) {
  TWindowHandle* window = WindowOf(this);
  if (g_drag.has_value() || window == nullptr) return;
  const TPoint start = window->CursorPos();
  OpenDrag(*this, start, threshold);
  if (immediate) StartDragging(start);
}

bool TControl::CancelDrag() {
  if (!g_drag.has_value()) return false;
  TWindowHandle* window = WindowOf(g_drag->Source);
  FinishDrag(window != nullptr ? window->CursorPos() : g_drag->Start, false);
  return true;
}

void TControl::DoStartDrag(TObject*& dragObject) {
  if (OnStartDrag) OnStartDrag(this, dragObject);
}

void TControl::DragOver(TObject* source, int32_t x, int32_t y, TDragState state, bool& accept) {
  accept = static_cast<bool>(OnDragOver);
  if (OnDragOver) OnDragOver(this, source, x, y, state, accept);
}

void TControl::DragDrop(TObject* source, int32_t x, int32_t y) {
  if (OnDragDrop) OnDragDrop(this, source, x, y);
}

void TControl::DoEndDrag(TObject* target, int32_t x, int32_t y) {
  if (OnEndDrag) OnEndDrag(this, target, x, y);
}

void TControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  constraints_.Apply(width, height);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  // Placed by hand rather than by the parent: the anchors measure from here, and an aligned
  // control goes back along its edge.
  if (parent_ != nullptr && !parent_->aligning_) {
    if (anchors_ != (akLeft | akTop)) UpdateAnchorRules();
    if (align_ != alNone) parent_->AlignControls();
  }
  BoundsChanged();
}

void TControl::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  VisibleChanged();
  if (align_ != alNone && parent_ != nullptr) parent_->AlignControls();
}

void TControl::SetAlign(TAlign value) {
  if (align_ == value) return;
  align_ = value;
  UpdateAnchorRules();
  if (parent_ != nullptr) parent_->AlignControls();
}

void TControl::SetAnchors(TAnchors value) {
  anchors_ = value & (akLeft | akTop | akRight | akBottom);
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (parent_ == nullptr) return;
  const TRect client = parent_->ClientRect();
  anchorBounds_ = BoundsRect();
  anchorParentSize_ = TSize{client.Width(), client.Height()};
}

TRect TControl::AnchoredBounds(TSize size) const {
  const TRect& r = anchorBounds_;
  const auto [left, width] =
      AnchoredSpan(anchors_ & akLeft, anchors_ & akRight, r.Left, r.Width(), anchorParentSize_.cx, size.cx);
  const auto [top, height] =
      AnchoredSpan(anchors_ & akTop, anchors_ & akBottom, r.Top, r.Height(), anchorParentSize_.cy, size.cy);
  return Bounds(left, top, width, height);
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
  TWinControl* old = parent_;
  if (old != nullptr) std::erase(old->controls_, this);
  parent_ = parent;
  if (parent_ != nullptr) parent_->controls_.push_back(this);
  ParentChanged();
  UpdateAnchorRules();
  if (align_ == alNone) return;
  if (old != nullptr) old->AlignControls();
  if (parent_ != nullptr) parent_->AlignControls();
}

bool TControl::IsShowingAndEnabled() const {
  for (const TControl* c = this; c != nullptr; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

// ---------------------------------------------------------------------------------------

const TPropertyList& TWinControl::ClassProperties() {
  using T = TWinControl;
  static const TPropertyList list = TPropertyBuilder<TWinControl>(TControl::ClassProperties())
                                        .Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
                                        .Default(0)
                                        .Boolean("Ctl3D", &T::Ctl3D, &T::SetCtl3D)
                                        .Stored([](T& c) { return !c.ParentCtl3D(); })
                                        .Boolean("ParentCtl3D", &T::ParentCtl3D, &T::SetParentCtl3D)
                                        .Default(1)
                                        .Integer("TabOrder", &T::TabOrder, &T::SetTabOrder)
                                        .Default(-1)
                                        .Build();
  return list;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  aligning_ = true;  // the children leave without placing the others again
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
  if (parent->handle_ != nullptr) parent->handle_->TabOrderChanged();
}

void TWinControl::SetCtl3D(bool value) {
  parentCtl3D_ = false;
  ApplyCtl3D(value);
}

void TWinControl::SetParentCtl3D(bool value) {
  if (parentCtl3D_ == value) return;
  parentCtl3D_ = value;
  if (value && Parent() != nullptr) ApplyCtl3D(Parent()->Ctl3D());
}

void TWinControl::ApplyCtl3D(bool value) {
  if (ctl3D_ == value) return;
  ctl3D_ = value;
  Perform(CM_CTL3DCHANGED);
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c); w != nullptr && w->parentCtl3D_) w->ApplyCtl3D(value);
}

void TWinControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  const TSize was{Width(), Height()};
  TControl::SetBounds(left, top, width, height);
  if (Width() != was.cx || Height() != was.cy) AlignControls();
}

void TWinControl::AlignControls() {
  const bool placesAny = std::any_of(controls_.begin(), controls_.end(), [](const TControl* c) {
    return c->align_ != alNone || c->anchors_ != (akLeft | akTop);
  });
  if (aligning_ || !placesAny) return;
  aligning_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{aligning_};
  TRect area = ClientRect();
  const TSize size{area.Width(), area.Height()};
  for (const TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> line;
    for (TControl* c : controls_)
      if (c->align_ == align && c->Visible()) line.push_back(c);
    std::stable_sort(line.begin(), line.end(), [align](const TControl* a, const TControl* b) {
      return AlignOrder(*a, align) < AlignOrder(*b, align);
    });
    for (TControl* c : line) PlaceAligned(*c, align, area);
  }
  for (TControl* c : std::vector<TControl*>(controls_)) {
    if (c->align_ != alNone || c->anchors_ == (akLeft | akTop)) continue;
    const TRect r = c->AnchoredBounds(size);
    c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  }
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
  if (parentCtl3D_ && Parent() != nullptr) ApplyCtl3D(Parent()->Ctl3D());
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
    case WM_SIZE:
      // The client area changed (the window was resized, or scroll bars came or went).
      AlignControls();
      TControl::WndProc(message);
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
