// Shared pieces of the GUI tests: one application object for the whole program (made by a
// test environment), pumping messages, and a control that records what its window procedure
// receives.
#pragma once

#include <QTest>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Application.h"
#include "platform/gui/CustomControl.h"
#include "platform/gui/Forms.h"
#include "platform/gui/WidgetSupport.h"

namespace guitest {

/// Delivers pending messages a few times (posted messages may post more).
void Pump(int rounds = 3);
/// Pumps until `done` answers true or `ms` milliseconds pass; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int ms = 2000);

/// The client widget of a control's window (made if needed).
inline QWidget* Widget(TWinControl& control) {
  control.HandleNeeded();
  return ClientWidgetOf(&control);
}

/// A custom control that logs message numbers and keeps the last mouse and key data.
class TLogControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<uint32_t> Log;
  std::vector<std::string> Events;
  uint32_t WatchFrom = WM_USER;  // messages at or above this are logged
  LRESULT DlgCode = 0;
  std::function<void(TMessage&)> OnMessage;

  void WndProc(TMessage& message) override {
    if (message.Msg >= WatchFrom || message.Msg == WM_TIMER || message.Msg == WM_VSCROLL ||
        message.Msg == WM_HSCROLL)
      Log.push_back(message.Msg);
    if (OnMessage) OnMessage(message);
    if (message.Msg == WM_GETDLGCODE) {
      message.Result = DlgCode;
      return;
    }
    TCustomControl::WndProc(message);
  }
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override {
    Events.push_back("down " + std::to_string(button) + " " + std::to_string(shift) + " " +
                     std::to_string(x) + "," + std::to_string(y));
  }
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override {
    Events.push_back("up " + std::to_string(button) + " " + std::to_string(shift) + " " + std::to_string(x) +
                     "," + std::to_string(y));
  }
  void DblClick() override { Events.push_back("dblclick"); }
  void KeyDown(uint16_t& key, TShiftState shift) override {
    Events.push_back("key " + std::to_string(key) + " " + std::to_string(shift));
  }
  void KeyPress(char16_t& key) override { Events.push_back("char " + std::to_string(static_cast<int>(key))); }
  bool DoMouseWheelDown(TShiftState, TPoint) override {
    Events.push_back("wheel down");
    return true;
  }
  bool DoMouseWheelUp(TShiftState, TPoint) override {
    Events.push_back("wheel up");
    return true;
  }
};

}  // namespace guitest
