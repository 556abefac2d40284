// Private to the platform layer: the Qt side of windowed controls. A TWidgetHandle is the
// window of one control: an outer widget placed in the parent's client widget, and a client
// widget whose events become the control's messages. Nothing above the platform layer
// includes this file.
#pragma once

#include <QCursor>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/graphics/Controls.h"

class QKeyEvent;
class QMouseEvent;
class QInputMethodEvent;

/// The virtual-key code of a Qt key (0 for keys without one).
uint16_t VirtualKeyFromQt(int qtKey, bool keypad);
TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
/// The Qt cursor of a cursor number (registered images first, then the built-in shapes).
QCursor CursorOf(TCursor cursor);
/// Makes the GUI thread run the synchronise queue soon (callable from any thread).
void WakeGuiThread();
/// Lets workers queue calls (the application object exists).
void AcceptSynchronizedCalls();
/// Releases every worker waiting in Synchronize without running its call, and refuses calls
/// from now on (the application object is going).
void AbandonSynchronizedCalls();
/// Repaints the widgets of `form` after its keyboard cues changed.
void ApplyKeyboardCues(class TCustomForm& form);
/// `style` as the application's style: under the keyboard-cue style once forms use it.
class QStyle* WithKeyboardCues(class QStyle* style);
/// A control's client widget, or null when it has no window.
QWidget* ClientWidgetOf(const TWinControl* control);
/// The control whose window `widget` is (or lies in), or null.
TWinControl* ControlOfWidget(const QWidget* widget);

/// The keyboard's input language became `locale` (the input method's report, or a test's):
/// it is kept for GetKeyboardLanguage and the focused control receives WM_INPUTLANGCHANGE.
void InputLanguageChanged(const class QLocale& locale);
/// Follows the input method's changes of input language (once; called for every window).
void WatchInputLanguage();

class TWidgetHandle : public QObject, public TWindowHandle {
 public:
  /// `outer` is the widget placed in the parent; `client` (often the same) receives input and
  /// holds the children. The handle owns `outer`.
  TWidgetHandle(TWinControl& control, QWidget* outer, QWidget* client);
  ~TWidgetHandle() override;

  TWinControl& Control() const { return control_; }
  QWidget* Outer() const { return outer_; }
  QWidget* Client() const { return client_; }

  void BoundsChanged() override;
  void VisibleChanged() override;
  void EnabledChanged() override;
  void ParentChanged() override;
  void CursorChanged() override;
  void HintChanged() override;
  void TabOrderChanged() override;
  void SetFocus() override;
  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;
  void Invalidate(const TRect* rect) override;
  void Update() override;
  void SetMouseCapture(bool capture) override;
  bool MouseCapture() const override { return capture_; }
  TPoint CursorPos() const override;
  TWinControl* ControlAtScreenPos(TPoint point) const override;

  /// Lays out what lies between the outer and the client widget (scroll bars, frame).
  virtual void LayoutClient() {}
  /// Clears the pending region once painted.
  void Painted() { dirty_ = QRegion(); }
  /// Runs `call` (an input handler or a widget's signal) through the application's exception
  /// guard. The control may free itself meanwhile: its widgets then go only once the toolkit
  /// has finished with the event. Answers whether this handle still exists.
  bool Dispatch(const std::function<void()>& call);

 protected:
  /// Translates the client widget's input events into messages; true when consumed.
  bool eventFilter(QObject* watched, QEvent* event) override;
  /// Sends a message through the application's exception guard; returns its result.
  LRESULT Send(uint32_t msg, WPARAM wparam, LPARAM lparam);
  bool HandleKey(QKeyEvent* event, bool press);
  bool DeliverKey(QKeyEvent* event);
  void HandleMouse(QMouseEvent* event);
  /// Composition start and committed text; true when consumed.
  bool HandleInputMethod(QInputMethodEvent* event);
  /// Whether the control's window is shown as a top-level window.
  bool TopLevel() const { return control_.Parent() == nullptr; }

  TWinControl& control_;
  QPointer<QWidget> outer_;
  QPointer<QWidget> client_;
  QRegion dirty_;
  bool capture_ = false;
  int dispatching_ = 0;  // input being handled now (nested)
};
