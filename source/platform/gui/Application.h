// TApplication and TScreen: the program's application object (title, main form, message loop,
// the handling of exceptions that reach it) and the screen (size, cursor, forms). Also the
// keyboard and pointer state that input handlers read.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/graphics/Cursors.h"
#include "platform/graphics/GraphicsTypes.h"
#include "platform/graphics/Messages.h"

class TCustomForm;
class TWinControl;

using TExceptionEvent = std::function<void(TObject* sender, const std::exception& error)>;

class TApplication : public TComponent {
 public:
  /// Makes the toolkit's application object. Without a display (no DISPLAY and no
  /// WAYLAND_DISPLAY) the offscreen platform is used. There is one application at a time.
  explicit TApplication(TComponent* owner = nullptr);
  ~TApplication() override;
  std::string ClassName() const override { return "TApplication"; }

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);
  /// The first form created through CreateForm; closing it ends Run.
  TCustomForm* MainForm() const { return mainForm_; }
  void SetMainForm(TCustomForm* form) { mainForm_ = form; }
  /// Makes a form owned by the application; the first becomes the main form.
  template <typename T>
  T* CreateForm() {
    auto* form = new T(this);
    if (mainForm_ == nullptr) mainForm_ = form;
    return form;
  }

  /// Shows the main form and runs the message loop until Terminate or the main form closes.
  void Run();
  /// Delivers every pending message and returns.
  void ProcessMessages();
  /// Waits for at least one message and delivers what is pending.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return terminated_; }

  /// Called inside a catch block: passes the exception being handled to OnException, or
  /// shows its message in an error box.
  void HandleException(TObject* sender);
  /// Shows the message of `error` in a box titled with the application's title.
  void ShowException(const std::exception& error);
  TExceptionEvent OnException;

  /// Shows hints of controls after the pointer rests on them.
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }
  /// The hint of the control under the pointer, while one is shown.
  const std::string& CurrentHint() const { return currentHint_; }
  /// Shows `hint` at `screen_pos` (empty hides it); the window system calls this.
  void ActivateHint(const std::string& hint, TPoint screenPos);

  /// True when the program runs without a display (message boxes print instead).
  static bool Headless();
  /// The display the environment named that could not be opened, so that the program runs
  /// without one; "" when it opened or none was named.
  static std::string UnopenedDisplay();
  /// Runs `call` with exceptions going to HandleException: what input handlers and posted
  /// messages run through, so that no exception crosses the toolkit's event loop.
  static void Guard(TObject* sender, const std::function<void()>& call);

  /// From now on every signal from outside whose default action ends the process (SIGINT,
  /// SIGTERM, SIGHUP, the real-time signals, ...; each unless the program started with it
  /// ignored or handled) ends the program through EndBySignal: what a run has on the disk for
  /// the time being goes, and the exit status names the signal. The handler only hands the
  /// signal to the message loop, which ends the program at the next message it takes (also
  /// inside a modal box or ProcessMessages); a signal that no loop took is taken when the
  /// application object goes, after which the signals have their default action again.
  void EndOnSignals();

 private:
  std::string title_;
  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool showHint_ = true;
  std::string currentHint_;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

/// The application object, or null before one is made.
extern TApplication* Application;

class TScreen {
 public:
  int32_t Width() const;
  int32_t Height() const;
  /// The screen cursor: anything but crDefault overrides every control's cursor.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  /// The form whose window is active, or null.
  TCustomForm* ActiveForm() const;
  /// The control with the keyboard focus, or null.
  TWinControl* ActiveControl() const;
  int FormCount() const { return static_cast<int>(forms_.size()); }
  /// Form `index` in creation order; EListError outside 0..FormCount-1.
  TCustomForm* Forms(int index) const;
  /// The pixels per inch the program lays out with.
  int PixelsPerInch() const { return 96; }

 private:
  friend class TCustomForm;
  TCursor cursor_ = crDefault;
  std::vector<TCustomForm*> forms_;
};

TScreen& Screen();

/// State of a key (virtual-key code, including VK_LBUTTON..VK_MBUTTON) at the message being
/// handled: the high bit (the value is negative) when it is down.
int16_t GetKeyState(int virtualKey);
/// Shift, Ctrl, Alt and the mouse buttons as they are now.
TShiftState GetShiftState();
/// The pointer's position on the screen.
TPoint GetCursorPos();
/// The short warning sound: the window system's beep (nothing without a display).
void MessageBeep();
/// What MessageBeep plays; tests put a counter in its place.
std::function<void()>& MessageBeepSound();
/// Milliseconds on a steady clock (wrapping at 2^32), for comparing message times.
uint32_t GetTickCount();
/// The longest time between two clicks of a double click, in milliseconds.
uint32_t GetDoubleClickTime();
