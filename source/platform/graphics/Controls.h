// TControl and TWinControl: the geometry, visibility, parent and focus model of controls
// that documents embed and forms hold. Nothing here draws or needs a display: a control of
// the GUI layer puts a widget behind this model and follows it through the protected hooks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/graphics/GraphicsTypes.h"

class TWinControl;

/// Published as Tag, Left, Top, Width, Height, Enabled (default True), Visible (default True).
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

 protected:
  // Hooks for a widget behind the control.
  virtual void BoundsChanged() {}
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}
  virtual void ParentChanged() {}

 private:
  int32_t left_ = 0;
  int32_t top_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  TWinControl* parent_ = nullptr;
};

/// A control that can hold other controls and take the input focus. Adds the published
/// TabStop (default False).
class TWinControl : public TControl {
  ZUK_PUBLISHED(TWinControl)

 public:
  explicit TWinControl(TComponent* owner = nullptr);
  /// Takes its children off itself and gives up the focus.
  ~TWinControl() override;
  std::string ClassName() const override { return "TWinControl"; }

  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value) { tabStop_ = value; }

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

 protected:
  virtual void FocusChanged() {}

 private:
  friend class TControl;
  bool tabStop_ = false;
  std::vector<TControl*> controls_;
};
