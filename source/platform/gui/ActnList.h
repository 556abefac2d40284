// Actions: a command with its caption, hint, shortcut, enabled and checked state, run by menu
// items and buttons linked to it; an action list runs the update handlers and finds the action
// of a shortcut.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/LocalizedComponents.h"
#include "platform/graphics/Controls.h"
#include "platform/gui/Menus.h"

class TActionList;

class TBasicAction : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TBasicAction"; }

  /// Runs OnExecute; false when there is none.
  virtual bool Execute();
  /// Runs OnUpdate; false when there is none.
  virtual bool Update();
  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;
};

class TAction : public TBasicAction, public ILocalizedAction {
 public:
  explicit TAction(TComponent* owner = nullptr);
  ~TAction() override;
  std::string ClassName() const override { return "TAction"; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) override { hint_ = hint; }
  TShortCut GetShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut shortcut) { shortCut_ = shortcut; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  bool Checked() const { return checked_; }
  void SetChecked(bool value) { checked_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { visible_ = value; }

  /// Runs OnExecute only while enabled (after an update); false when it did not run.
  bool Execute() override;

  TActionList* ActionList() const { return actionList_; }
  /// Moves the action into `list` (null takes it out of any list).
  void SetActionList(TActionList* list);

 private:
  std::string caption_;
  std::string hint_;
  TShortCut shortCut_ = scNone;
  bool enabled_ = true;
  bool checked_ = false;
  bool visible_ = true;
  TActionList* actionList_ = nullptr;
};

class TActionList : public TComponent {
 public:
  using TComponent::TComponent;
  ~TActionList() override;
  std::string ClassName() const override { return "TActionList"; }

  int ActionCount() const { return static_cast<int>(actions_.size()); }
  /// Action `index`; EListError outside 0..ActionCount-1.
  TAction* Actions(int index) const;
  /// Runs every action's update handler.
  void UpdateActions();
  /// Executes the enabled, visible action whose shortcut is `key` with `shift`; true when one
  /// ran.
  bool IsShortCut(uint16_t key, TShiftState shift);

 private:
  friend class TAction;
  std::vector<TAction*> actions_;
};
