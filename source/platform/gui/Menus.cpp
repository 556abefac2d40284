// Menu items, context menus and shortcut texts.
#include "platform/gui/Menus.h"

#include <QCursor>
#include <QMenu>
#include <algorithm>
#include <cctype>

#include "platform/gui/ActnList.h"
#include "platform/gui/Application.h"

namespace {

struct KeyName {
  uint16_t Key;
  const char* Name;
};

constexpr KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},   {VK_END, "End"},      {VK_HOME, "Home"},  {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},    {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

std::string KeyText(uint16_t key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
  if (key >= VK_F1 && key < VK_F1 + 24) return "F" + std::to_string(key - VK_F1 + 1);
  for (const KeyName& k : kKeyNames)
    if (k.Key == key) return k.Name;
  return std::string();
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

QString MenuText(const TMenuItem& item) {
  QString text = QString::fromStdString(item.Caption());
  const std::string shortcut = ShortCutToText(item.GetShortCut());
  if (!shortcut.empty()) text += '\t' + QString::fromStdString(shortcut);
  return text;
}

// Fills `menu` with the sub-items of `item`; `chosen` receives the item picked.
void BuildMenu(QMenu& menu, TMenuItem& item, TMenuItem*& chosen) {
  for (int i = 0; i < item.Count(); ++i) {
    TMenuItem* sub = item.Items(i);
    if (TBasicAction* action = sub->Action()) {
      action->Update();
      sub->SetAction(action);  // takes the action's current state
    }
    if (!sub->Visible()) continue;
    if (sub->IsLine()) {
      menu.addSeparator();
      continue;
    }
    if (sub->Count() > 0) {
      QMenu* child = menu.addMenu(QString::fromStdString(sub->Caption()));
      child->setEnabled(sub->Enabled());
      BuildMenu(*child, *sub, chosen);
      continue;
    }
    QAction* entry = menu.addAction(MenuText(*sub));
    entry->setEnabled(sub->Enabled());
    entry->setCheckable(sub->Checked());
    entry->setChecked(sub->Checked());
    entry->setToolTip(QString::fromStdString(sub->Hint()));
    QObject::connect(entry, &QAction::triggered, [&chosen, sub] { chosen = sub; });
  }
}

}  // namespace

TShortCut ShortCut(uint16_t key, TShiftState shift) {
  TShortCut result = key & 0xFF;
  if (shift & ssShift) result |= scShift;
  if (shift & ssCtrl) result |= scCtrl;
  if (shift & ssAlt) result |= scAlt;
  return result;
}

std::string ShortCutToText(TShortCut shortcut) {
  const std::string key = KeyText(shortcut & 0xFF);
  if (key.empty()) return std::string();
  std::string text;
  if (shortcut & scShift) text += "Shift+";
  if (shortcut & scCtrl) text += "Ctrl+";
  if (shortcut & scAlt) text += "Alt+";
  return text + key;
}

TShortCut TextToShortCut(const std::string& text) {
  std::string_view rest = text;
  TShortCut modifiers = 0;
  for (;;) {
    const size_t plus = rest.find('+');
    if (plus == std::string_view::npos || plus + 1 >= rest.size()) break;
    const std::string_view part = rest.substr(0, plus);
    if (EqualsNoCase(part, "Shift"))
      modifiers |= scShift;
    else if (EqualsNoCase(part, "Ctrl"))
      modifiers |= scCtrl;
    else if (EqualsNoCase(part, "Alt"))
      modifiers |= scAlt;
    else
      return scNone;
    rest.remove_prefix(plus + 1);
  }
  for (uint16_t key = 1; key < 256; ++key) {
    const std::string name = KeyText(key);
    if (!name.empty() && EqualsNoCase(name, rest)) return static_cast<TShortCut>(key | modifiers);
  }
  return scNone;
}

// --- TMenuItem ------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  if (parent_ != nullptr) std::erase(parent_->items_, this);
  parent_ = nullptr;
  Clear();
}

void TMenuItem::SetAction(TBasicAction* action) {
  if (action_ != nullptr) action_->RemoveFreeNotification(this);
  action_ = action;
  if (action_ == nullptr) return;
  action_->FreeNotification(this);
  if (auto* a = dynamic_cast<TAction*>(action_)) {
    caption_ = a->Caption();
    hint_ = a->Hint();
    shortCut_ = a->GetShortCut();
    enabled_ = a->Enabled();
    checked_ = a->Checked();
    visible_ = a->Visible();
  }
}

void TMenuItem::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == action_) action_ = nullptr;
}

void TMenuItem::Add(std::unique_ptr<TMenuItem> item) {
  if (item == nullptr) return;
  Insert(item.get());
  ownedItems_.push_back(std::move(item));
}

void TMenuItem::Insert(TMenuItem* item) {
  if (item == nullptr || item == this) return;
  for (const TMenuItem* p = this; p != nullptr; p = p->parent_)
    if (p == item) throw EInvalidOperation("A menu item cannot contain itself");
  if (item->parent_ != nullptr) item->parent_->Remove(item);
  item->parent_ = this;
  items_.push_back(item);
}

void TMenuItem::Remove(TMenuItem* item) {
  if (item == nullptr || item->parent_ != this) return;
  std::erase(items_, item);
  item->parent_ = nullptr;
  std::erase_if(ownedItems_, [item](const std::unique_ptr<TMenuItem>& owned) { return owned.get() == item; });
}

TMenuItem* TMenuItem::Add(const std::string& caption, TNotifyEvent onClick) {
  auto item = std::make_unique<TMenuItem>();
  item->SetCaption(caption);
  item->OnClick = std::move(onClick);
  TMenuItem* raw = item.get();
  Add(std::move(item));
  return raw;
}

TMenuItem* TMenuItem::Items(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  return items_[static_cast<size_t>(index)];
}

void TMenuItem::Clear() {
  for (TMenuItem* item : items_) item->parent_ = nullptr;
  items_.clear();
  ownedItems_.clear();
}

void TMenuItem::Click() {
  if (action_ != nullptr) {
    // The linked action's state is current when the item runs it.
    SetAction(action_);
    if (enabled_) action_->Execute();
    return;
  }
  if (OnClick) OnClick(this);
}

// --- TPopupMenu -----------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(std::make_unique<TMenuItem>()) {}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Popup(int32_t x, int32_t y) {
  if (OnPopup) OnPopup(this);
  if (Application == nullptr || TApplication::Headless()) return;
  QMenu menu;
  TMenuItem* chosen = nullptr;
  BuildMenu(menu, *items_, chosen);
  menu.exec(QPoint(x, y));
  if (chosen != nullptr) chosen->Click();
}

// --- the popup menu of a control ------------------------------------------------------

// A stream may name any component as the menu.
TPopupMenu* TControl::PopupMenu() const {
  return dynamic_cast<TPopupMenu*>(popupMenu_);
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  SetPopupMenuComponent(menu);
}
