// TControl and TWinControl: the geometry, visibility, parent and focus model of controls
// that documents embed and forms hold, and their window procedure. Nothing here draws or needs
// a display: a windowed control of the GUI layer supplies a window (TWindowHandle) when it is
// first needed, and the model forwards to it; without one everything that does not draw works.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/graphics/Cursors.h"
#include "platform/graphics/GraphicsTypes.h"
#include "platform/graphics/Messages.h"

class TControl;
class TWinControl;
class TPopupMenu;

using TNotifyEvent = std::function<void(TObject* sender)>;
using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int32_t x, int32_t y)>;
using TKeyEvent = std::function<void(TObject* sender, uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char16_t& key)>;
/// A context menu is about to show at MousePos (client coordinates; -1, -1 from the keyboard);
/// setting Handled keeps the control's own menu away.
using TContextPopupEvent = std::function<void(TObject* sender, TPoint mousePos, bool& handled)>;

// Dragging a control onto controls of this program. A dmAutomatic control starts a drag when
// the left button is pressed on it and the mouse moves past the threshold; dkDock drags as
// dkDrag does.
enum TDragMode : uint8_t { dmManual, dmAutomatic };
enum TDragKind : uint8_t { dkDrag, dkDock };
enum TDragState : uint8_t { dsDragEnter, dsDragLeave, dsDragMove };
/// A drag begins from the control; a handler may name the object that targets are told of
/// instead of the control (not owned).
using TStartDragEvent = std::function<void(TObject* sender, TObject*& dragObject)>;
/// `source` is over the control at (x, y), client coordinates; `accept` says whether a drop
/// there would be taken (True when the handler is called).
using TDragOverEvent = std::function<void(TObject* sender, TObject* source, int32_t x, int32_t y,
                                          TDragState state, bool& accept)>;
using TDragDropEvent = std::function<void(TObject* sender, TObject* source, int32_t x, int32_t y)>;
/// The drag from the control ended at (x, y), its own client coordinates: dropped on `target`,
/// or cancelled or refused (target null).
using TEndDragEvent = std::function<void(TObject* sender, TObject* target, int32_t x, int32_t y)>;

/// The window behind a windowed control, made by the GUI layer. The control owns it and tells
/// it about changes of its model; it answers what only a window knows.
class TWindowHandle {
 public:
  virtual ~TWindowHandle() = default;
  virtual void BoundsChanged() = 0;
  virtual void VisibleChanged() = 0;
  virtual void EnabledChanged() = 0;
  virtual void ParentChanged() = 0;
  virtual void CursorChanged() = 0;
  virtual void HintChanged() = 0;
  /// The tab order of the children changed: the focus chain of their windows follows it.
  virtual void TabOrderChanged() = 0;
  /// Gives the window the keyboard focus.
  virtual void SetFocus() = 0;
  /// The client area in client coordinates (the window less borders and scroll bars).
  virtual TRect ClientRect() const = 0;
  /// Screen position of the client area's top-left corner.
  virtual TPoint ClientOrigin() const = 0;
  /// Marks `rect` (client coordinates; null for all) to be painted.
  virtual void Invalidate(const TRect* rect) = 0;
  /// Paints what is marked, now.
  virtual void Update() = 0;
  virtual void SetMouseCapture(bool capture) = 0;
  virtual bool MouseCapture() const = 0;
  /// Where the mouse is on the screen.
  virtual TPoint CursorPos() const = 0;
  /// The control whose window (of any window of the program) lies at the screen point, or null.
  virtual TWinControl* ControlAtScreenPos(TPoint point) const = 0;
};

/// Where a control lies in its parent's client area: along an edge (across the whole area,
/// keeping its own size the other way), over what the edges leave, or where it was put.
enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
/// The edges of the parent's client area a control keeps its distances to when the parent
/// resizes (bit n is element n of akLeft, akTop, akRight, akBottom).
using TAnchors = uint8_t;
constexpr TAnchors akLeft = 0x01;
constexpr TAnchors akTop = 0x02;
constexpr TAnchors akRight = 0x04;
constexpr TAnchors akBottom = 0x08;

/// Bounds of a control's size, applied whenever it is placed; 0 leaves a side unbounded.
/// Published as MinWidth, MinHeight, MaxWidth, MaxHeight (default 0).
class TSizeConstraints : public TPersistent {
  ZUK_PUBLISHED(TSizeConstraints)

 public:
  explicit TSizeConstraints(TControl& control) : control_(control) {}
  std::string ClassName() const override { return "TSizeConstraints"; }

  int32_t MinWidth() const { return minWidth_; }
  int32_t MinHeight() const { return minHeight_; }
  int32_t MaxWidth() const { return maxWidth_; }
  int32_t MaxHeight() const { return maxHeight_; }
  void SetMinWidth(int32_t value) { Change(minWidth_, value); }
  void SetMinHeight(int32_t value) { Change(minHeight_, value); }
  void SetMaxWidth(int32_t value) { Change(maxWidth_, value); }
  void SetMaxHeight(int32_t value) { Change(maxHeight_, value); }
  /// Brings a size within the bounds; a minimum wins over a smaller maximum.
  void Apply(int32_t& width, int32_t& height) const;

 private:
  /// Stores a bound (negative counts as 0) and places the control again.
  void Change(int32_t& bound, int32_t value);

  TControl& control_;
  int32_t minWidth_ = 0;
  int32_t minHeight_ = 0;
  int32_t maxWidth_ = 0;
  int32_t maxHeight_ = 0;
};

/// Published as Tag, Left, Top, Width, Height, Enabled (default True), Visible (default True),
/// DragKind (dkDrag), DragMode (dmManual), Align (alNone), Anchors ([akLeft, akTop]),
/// Constraints, HelpContext (0), PopupMenu and ShowHint (False).
class TControl : public TComponent {
  ZUK_PUBLISHED(TControl)

 public:
  explicit TControl(TComponent* owner = nullptr);
  /// Leaves the parent first.
  ~TControl() override;
  std::string ClassName() const override { return "TControl"; }

  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  void SetLeft(int32_t value) { SetBounds(value, top_, width_, height_); }
  void SetTop(int32_t value) { SetBounds(left_, value, width_, height_); }
  void SetWidth(int32_t value) { SetBounds(left_, top_, value, height_); }
  void SetHeight(int32_t value) { SetBounds(left_, top_, width_, value); }
  /// Sets all four at once; negative sizes become 0.
  virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }

  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);

  /// The windowed control this control lies on, or null.
  TWinControl* Parent() const { return parent_; }
  /// Moves the control onto `parent` (null takes it off any parent).
  void SetParent(TWinControl* parent);
  /// Visible and enabled, and so is every parent up the chain.
  bool IsShowingAndEnabled() const;

  // Placement in the parent: an aligned control is kept along its edge; one that is not keeps
  // its distances to the anchored edges (as they were when it was last placed by hand) when
  // the parent resizes.
  TAlign Align() const { return align_; }
  void SetAlign(TAlign value);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors value);
  TSizeConstraints& Constraints() { return constraints_; }
  /// The help topic of the control.
  int32_t HelpContext() const { return helpContext_; }
  void SetHelpContext(int32_t value) { helpContext_ = value; }

  // The window procedure. WndProc handles a message or passes it on to the inherited
  // WndProc; the base turns mouse, size and key messages into the virtual operations below.
  virtual void WndProc(TMessage& message);
  /// Calls the window procedure at once and returns the message's result.
  LRESULT Perform(uint32_t msg, WPARAM wparam = 0, LPARAM lparam = 0);
  /// Survives the control only as an expired reference: what a posted message holds.
  std::weak_ptr<TControl* const> LifeToken() const { return life_; }

  /// The client area: the window's when the control has one, else (0, 0, Width, Height).
  virtual TRect ClientRect() const;
  int32_t ClientWidth() const { return ClientRect().Width(); }
  int32_t ClientHeight() const { return ClientRect().Height(); }
  /// Screen position of the client area's top-left corner (the parents' positions summed
  /// when no window tells it).
  virtual TPoint ClientOrigin() const;
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  // Painting requests; they do nothing without a window.
  virtual void Invalidate();
  virtual void InvalidateRect(const TRect& rect);
  virtual void Update();
  /// Invalidate, then Update.
  void Repaint();
  void Refresh() { Repaint(); }

  TCursor Cursor() const { return cursor_; }
  /// Sets the Cursor property, which is also what the window shows from then on.
  void SetCursor(TCursor cursor);
  /// The cursor the window shows: Cursor, or what ShowCursor put in its place.
  TCursor ShownCursor() const { return shownCursor_; }
  /// Shows `cursor` over the control without changing the Cursor property (a document
  /// showing the hand over a hyperlink), until the next ShowCursor or SetCursor.
  void ShowCursor(TCursor cursor);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  /// The context menu (not owned; cleared when the menu goes; null when the component set is
  /// no menu). Both are defined by the GUI layer, which knows menus.
  TPopupMenu* PopupMenu() const;
  void SetPopupMenu(TPopupMenu* menu);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TContextPopupEvent OnContextPopup;

  TDragKind DragKind() const { return dragKind_; }
  void SetDragKind(TDragKind value) { dragKind_ = value; }
  TDragMode DragMode() const { return dragMode_; }
  void SetDragMode(TDragMode value) { dragMode_ = value; }
  /// Starts a drag of the control that follows the held left button, at once when `immediate`,
  /// else once the mouse is more than `threshold` pixels (negative: 5) from where it is now.
  /// Does nothing while a drag runs or without a window to take the mouse.
  void BeginDrag(bool immediate, int32_t threshold = -1);
  /// Cancels the drag that runs (as Escape does); false when none runs.
  static bool CancelDrag();
  TStartDragEvent OnStartDrag;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;
  // The drag's calls; the defaults raise the events. DragOver refuses without OnDragOver.
  virtual void DoStartDrag(TObject*& dragObject);
  virtual void DragOver(TObject* source, int32_t x, int32_t y, TDragState state, bool& accept);
  virtual void DragDrop(TObject* source, int32_t x, int32_t y);
  virtual void DoEndDrag(TObject* target, int32_t x, int32_t y);

  // Input operations the window procedure calls; the defaults raise the events.
  /// Before a context menu shows; the default raises OnContextPopup.
  virtual void DoContextPopup(TPoint MousePos, bool& Handled) {
    if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
  }
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  /// `wheel_delta` is 120 per notch away from the user; returns true when handled.
  virtual bool DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos);
  virtual bool DoMouseWheelDown(TShiftState shift, TPoint mousePos);
  virtual bool DoMouseWheelUp(TShiftState shift, TPoint mousePos);
  virtual void Resize();

 protected:
  // Hooks for a widget behind the control.
  virtual void BoundsChanged() {}
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}
  virtual void ParentChanged() {}
  virtual void CursorChanged() {}
  virtual void HintChanged() {}
  /// Messages nobody handled end here; the default does nothing.
  virtual void DefaultHandler(TMessage& message) { (void)message; }
  /// Controls whose window reports clicks itself (buttons, check boxes) turn off the click
  /// on a left-button release.
  void SetClickOnRelease(bool value) { clickOnRelease_ = value; }
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TWinControl;  // places its children through their anchors
  void HandleMouseMessage(TMessage& message);
  void SetPopupMenuComponent(TComponent* menu);
  /// Takes the distances to the parent's edges that the anchors keep.
  void UpdateAnchorRules();
  /// The bounds the anchors give in a parent client area of `size`.
  TRect AnchoredBounds(TSize size) const;

  std::shared_ptr<TControl* const> life_;
  TCursor cursor_ = crDefault;
  TCursor shownCursor_ = crDefault;
  std::string hint_;
  bool showHint_ = false;
  bool clickOnRelease_ = true;
  TComponent* popupMenu_ = nullptr;  // a TPopupMenu
  TDragKind dragKind_ = dkDrag;
  TDragMode dragMode_ = dmManual;

  int32_t left_ = 0;
  int32_t top_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  TWinControl* parent_ = nullptr;
  TAlign align_ = alNone;
  TAnchors anchors_ = akLeft | akTop;
  TSizeConstraints constraints_{*this};
  int32_t helpContext_ = 0;
  TRect anchorBounds_;  // the bounds and parent client size the anchors measure from
  TSize anchorParentSize_;
};

/// A control that can hold other controls and take the input focus. Adds the published
/// Ctl3D (stored while ParentCtl3D is off), ParentCtl3D (default True), TabOrder (-1 off a
/// parent) and TabStop (default False).
class TWinControl : public TControl {
  ZUK_PUBLISHED(TWinControl)

 public:
  explicit TWinControl(TComponent* owner = nullptr);
  /// Takes its children off itself and gives up the focus.
  ~TWinControl() override;
  std::string ClassName() const override { return "TWinControl"; }

  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value) { tabStop_ = value; }
  /// Position in the parent's tab order; setting it moves the siblings after it along.
  int TabOrder() const;
  void SetTabOrder(int value);
  /// The sunken three-dimensional look. While ParentCtl3D is on the control takes its
  /// parent's; setting Ctl3D turns ParentCtl3D off. A change arrives as CM_CTL3DCHANGED.
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool value);

  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
  /// Places the aligned and anchored children in the client area.
  void AlignControls();

  // The window. HandleNeeded makes it (parents first) when the control class supplies one.
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded();
  /// The window, made when needed; null for a control class without windows.
  TWindowHandle* Handle();
  /// Frees the window (and the children's); the control keeps its model.
  void DestroyHandle();
  /// Destroys and makes the window again when it exists.
  void RecreateWnd();

  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;
  void Invalidate() override;
  void InvalidateRect(const TRect& rect) override;
  void Update() override;
  bool MouseCapture() const;
  void SetMouseCapture(bool value);

  /// True when the control could take the focus now: it and its parents are visible and
  /// enabled.
  virtual bool CanFocus() const { return IsShowingAndEnabled(); }
  /// Gives the control the input focus; EInvalidOperation "Cannot focus a disabled or
  /// invisible window" when CanFocus is false.
  virtual void SetFocus();
  bool Focused() const { return FocusedControl() == this; }
  /// The control that has the input focus, or null.
  static TWinControl* FocusedControl();

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  /// The child at `index`; EListError outside 0..ControlCount-1.
  TControl* Controls(int index) const;
  /// The visible child whose bounds hold `p` (client coordinates), the last one on top; null
  /// when none. Disabled children count when `allow_disabled`.
  TControl* ControlAtPos(TPoint p, bool allowDisabled) const;
  /// The windowed controls inside this one that take part in tabbing, in tab order, depth
  /// first.
  virtual void GetTabOrderList(std::vector<TWinControl*>& list) const;
  /// The next (or previous) control in the tab order after `current` that can take the
  /// focus and, when `check_tab_stop`, has TabStop; wraps around; null when none.
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop) const;

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  void WndProc(TMessage& message) override;
  virtual void KeyDown(uint16_t& key, TShiftState shift);
  virtual void KeyUp(uint16_t& key, TShiftState shift);
  virtual void KeyPress(char16_t& key);
  virtual void DoEnter();
  virtual void DoExit();

  /// Records that `control` (or nothing) now has the focus and sends WM_KILLFOCUS and
  /// WM_SETFOCUS. The window system calls this when the focus moves between windows.
  static void FocusMoved(TWinControl* control);

 protected:
  virtual void FocusChanged() {}
  /// The window of this control class; the default has none.
  virtual std::unique_ptr<TWindowHandle> CreateWindowHandle() { return nullptr; }
  /// After the window is made (children follow), and before it goes.
  virtual void CreateWnd() {}
  virtual void DestroyWnd() {}

  void BoundsChanged() override;
  void VisibleChanged() override;
  void EnabledChanged() override;
  void ParentChanged() override;
  void CursorChanged() override;
  void HintChanged() override;

 private:
  friend class TControl;
  /// Takes a Ctl3D value, tells the control, and passes it on to the children that follow.
  void ApplyCtl3D(bool value);

  bool tabStop_ = false;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  bool aligning_ = false;  // AlignControls is placing the children
  std::vector<TControl*> controls_;
  std::unique_ptr<TWindowHandle> handle_;
};
