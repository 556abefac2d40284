#include "common/units/UIStateForm.h"

namespace {

constexpr WPARAM UIState(uint32_t action, uint32_t flags) {
  return action | (static_cast<WPARAM>(flags) << 16);
}

constexpr WPARAM kShowFocus = UIState(UIS_CLEAR, UISF_HIDEFOCUS);
constexpr WPARAM kShowFocusAndAccel = UIState(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL);

}  // namespace

TUIStateForm::TUIStateForm(TComponent* owner) : TForm(owner) {
  TFont font;
  AssignMessageFont(font);
  SetFont(font);
}

WPARAM TUIStateForm::ShowingUIState() const {
  return UIState(UIS_INITIALIZE, 0);
}

WPARAM TUIStateForm::DialogKeyUIState(uint16_t key) const {
  switch (key) {
    case VK_TAB:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      return kShowFocus;
    case VK_MENU:
      return kShowFocusAndAccel;
    default:
      return 0;
  }
}

WPARAM TUIStateMainForm::ShowingUIState() const {
  return UIState(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL);
}

// The main window leaves the arrow keys to its controls.
WPARAM TUIStateMainForm::DialogKeyUIState(uint16_t key) const {
  if (key == VK_TAB) return kShowFocus;
  if (key == VK_MENU) return kShowFocusAndAccel;
  return 0;
}

void TUIStateForm::WndProc(TMessage& message) {
  if (message.Msg == CM_SHOWINGCHANGED && message.WParam != 0) {
    Perform(WM_CHANGEUISTATE, ShowingUIState());
  } else if (message.Msg == CM_DIALOGKEY) {
    if (const WPARAM state = DialogKeyUIState(static_cast<uint16_t>(message.WParam)); state != 0)
      Perform(WM_CHANGEUISTATE, state);
  }
  TForm::WndProc(message);
}
