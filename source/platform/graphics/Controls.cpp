#include "platform/graphics/Controls.h"

#include <algorithm>

#include "platform/core/TypInfo.h"

namespace {
TWinControl* g_focused = nullptr;
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

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() {
  SetParent(nullptr);
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
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (g_focused == this) return;
  TWinControl* old = g_focused;
  g_focused = this;
  if (old != nullptr) old->FocusChanged();
  FocusChanged();
}

TWinControl* TWinControl::FocusedControl() {
  return g_focused;
}

TControl* TWinControl::Controls(int index) const {
  if (index < 0 || index >= ControlCount()) RaiseListIndexError(index);
  return controls_[static_cast<size_t>(index)];
}
