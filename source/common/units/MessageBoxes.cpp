#include "common/units/MessageBoxes.h"

#include "common/units/Routines.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"

namespace {

constexpr int32_t kScreenMargin = 10;
constexpr const char* kCaption = "ZUK Converter";

int32_t KeepInside(int32_t pos, int32_t size, int32_t screen) {
  if (pos + size > screen - kScreenMargin) pos = screen - size - kScreenMargin;
  if (pos < kScreenMargin) pos = kScreenMargin;
  return pos;
}

int ShowBox(TCustomForm* form, const std::string& text, uint32_t icon) {
  TWinControl* owner = form != nullptr ? form : GetOwnerWindow();
  const TSize screen{Screen().Width(), Screen().Height()};
  return MessageBox(owner, text, kCaption, icon, [screen](const TRect& ownerRect, TSize box) {
    return MessageBoxPosition(ownerRect, box, screen);
  });
}

}  // namespace

TPoint MessageBoxPosition(const TRect& owner, TSize box, TSize screen) {
  // A box without a visible owner goes over the middle of the screen.
  const TRect over = owner.IsEmpty() ? Rect(0, 0, screen.cx, screen.cy) : owner;
  // Halving truncates toward zero, as C++ division does.
  const int32_t x = over.Right - over.Width() / 2 - box.cx / 2;
  const int32_t y = over.Bottom - over.Height() / 2 - box.cy / 2;
  return TPoint{KeepInside(x, box.cx, screen.cx), KeepInside(y, box.cy, screen.cy)};
}

int ShowErrorMessage(TCustomForm* form, const std::string& text) {
  return ShowBox(form, text, MB_ICONERROR);
}

int ShowWarningMessage(TCustomForm* form, const std::string& text) {
  return ShowBox(form, text, MB_ICONWARNING);
}

int ShowInformationMessage(TCustomForm* form, const std::string& text) {
  return ShowBox(form, text, MB_ICONINFORMATION);
}
