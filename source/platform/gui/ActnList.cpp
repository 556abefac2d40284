// Actions and action lists.
#include "platform/gui/ActnList.h"

#include <algorithm>

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

TAction::TAction(TComponent* owner) : TBasicAction(owner) {}

TAction::~TAction() {
  SetActionList(nullptr);
}

bool TAction::Execute() {
  Update();
  if (!enabled_) return false;
  return TBasicAction::Execute();
}

void TAction::SetActionList(TActionList* list) {
  if (list == actionList_) return;
  if (actionList_ != nullptr) std::erase(actionList_->actions_, this);
  actionList_ = list;
  if (list != nullptr) list->actions_.push_back(this);
}

TActionList::~TActionList() {
  while (!actions_.empty()) actions_.back()->SetActionList(nullptr);
}

TAction* TActionList::Actions(int index) const {
  if (index < 0 || index >= ActionCount()) RaiseListIndexError(index);
  return actions_[static_cast<size_t>(index)];
}

void TActionList::UpdateActions() {
  // A handler may move actions between lists: walk a copy.
  const std::vector<TAction*> actions = actions_;
  for (TAction* action : actions) action->Update();
}

bool TActionList::IsShortCut(uint16_t key, TShiftState shift) {
  const TShortCut wanted = ShortCut(key, shift);
  if (wanted == scNone) return false;
  const std::vector<TAction*> actions = actions_;
  for (TAction* action : actions) {
    if (action->GetShortCut() != wanted) continue;
    action->Update();
    if (action->Enabled() && action->Visible()) return action->Execute();
  }
  return false;
}
