// Menus: menu items (caption, hint, shortcut, enabled, checked, click, an action that drives
// them, sub-items) and the context menu that pops up over a control. Also the shortcut codes
// and their texts.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/LocalizedComponents.h"
#include "platform/graphics/Controls.h"

class TBasicAction;

/// A key with its modifiers: the virtual-key code in the low byte, plus the flags below.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

/// The shortcut of `key` with the Shift, Ctrl and Alt of `shift`.
TShortCut ShortCut(uint16_t key, TShiftState shift);
/// "Ctrl+Shift+S", "F5", "Del"; empty for scNone.
std::string ShortCutToText(TShortCut shortcut);
/// The shortcut a text names, scNone when it names none.
TShortCut TextToShortCut(const std::string& text);

class TMenuItem : public TComponent, public ILocalizedCaption {
 public:
  explicit TMenuItem(TComponent* owner = nullptr);
  ~TMenuItem() override;
  std::string ClassName() const override { return "TMenuItem"; }

  /// "-" makes a separator; "&" marks the access key.
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }
  TShortCut GetShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut shortcut) { shortCut_ = shortcut; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { visible_ = value; }
  bool Checked() const { return checked_; }
  void SetChecked(bool value) { checked_ = value; }
  bool IsLine() const { return caption_ == "-"; }
  /// The action that gives the item its caption, hint, shortcut, enabled state and click.
  TBasicAction* Action() const { return action_; }
  void SetAction(TBasicAction* action);

  /// Adds `item` as the last sub-item and takes ownership of it.
  void Add(std::unique_ptr<TMenuItem> item);
  /// Adds `item`, which belongs to its owner component (a form), as the last sub-item.
  void Insert(TMenuItem* item);
  /// Takes `item` out of the sub-items (freeing it when this item owned it).
  void Remove(TMenuItem* item);
  /// Adds a new sub-item and returns it.
  TMenuItem* Add(const std::string& caption, TNotifyEvent onClick = nullptr);
  int Count() const { return static_cast<int>(items_.size()); }
  /// Sub-item `index`; EListError outside 0..Count-1.
  TMenuItem* Items(int index) const;
  TMenuItem* Parent() const { return parent_; }
  void Clear();

  /// Runs the action when there is one, else OnClick.
  virtual void Click();
  TNotifyEvent OnClick;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  std::string caption_;
  std::string hint_;
  TShortCut shortCut_ = scNone;
  bool enabled_ = true;
  bool visible_ = true;
  bool checked_ = false;
  TBasicAction* action_ = nullptr;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
  std::vector<std::unique_ptr<TMenuItem>> ownedItems_;
};

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* owner = nullptr);
  ~TPopupMenu() override;
  std::string ClassName() const override { return "TPopupMenu"; }

  /// The root item; its sub-items are the menu.
  TMenuItem& Items() { return *items_; }
  /// The control pops the menu up itself on a right click when set (the default).
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool value) { autoPopup_ = value; }
  /// The component the menu was last popped up for.
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* component) { popupComponent_ = component; }

  /// Raises OnPopup, then shows the menu at the screen point and runs the chosen item. Without
  /// a display the menu is not shown.
  virtual void Popup(int32_t x, int32_t y);
  TNotifyEvent OnPopup;

 private:
  std::unique_ptr<TMenuItem> items_;
  bool autoPopup_ = true;
  TComponent* popupComponent_ = nullptr;
};
