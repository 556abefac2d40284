// Forms: top-level windows holding controls. Border styles, placement, showing modelessly or
// modally with a result, closing with refusal, the form's events and font, the active control
// and the keyboard handling of dialogs (Tab, Enter, Esc, access keys).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/core/LocalizedComponents.h"
#include "platform/gui/CustomControl.h"

enum TPosition : uint8_t {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};

enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };

/// The buttons in a form's title bar: a set, bit n for element n.
using TBorderIcons = uint8_t;
constexpr TBorderIcons biSystemMenu = 0x01;  // the window menu and the close button
constexpr TBorderIcons biMinimize = 0x02;
constexpr TBorderIcons biMaximize = 0x04;
constexpr TBorderIcons biHelp = 0x08;

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

class TCustomForm : public TCustomControl, public ILocalizedForm {
 public:
  /// A hidden form. A form owned by another form is placed over it (poOwnerFormCenter).
  explicit TCustomForm(TComponent* owner = nullptr);
  /// Raises OnDestroy first.
  ~TCustomForm() override;
  std::string ClassName() const override { return "TCustomForm"; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) override;
  TBorderStyle FormBorderStyle() const { return formBorderStyle_; }
  void SetFormBorderStyle(TBorderStyle style);
  /// The title bar's buttons of a single-border or sizeable window (a dialog frame has the
  /// window menu and the close button only).
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons icons);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  /// Sets the size so that the client area is `width` x `height`.
  void SetClientSize(int32_t width, int32_t height);
  /// Keys go to the form's OnKeyDown before the focused control.
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool value) { keyPreview_ = value; }

  void Show();
  void Hide();
  /// Shows the form modally: other forms take no input until ModalResult becomes non-zero or
  /// the form closes; returns the result (mrCancel when closed without one).
  TModalResult ShowModal();
  bool Modal() const { return modal_; }
  TModalResult ModalResult() const { return modalResult_; }
  /// A non-zero result ends a modal run (through the close checks).
  void SetModalResult(TModalResult result) { modalResult_ = result; }
  /// Asks OnCloseQuery, then OnClose decides: hide (the default), free, or nothing.
  void Close();
  /// OnCloseQuery's answer (true without a handler).
  virtual bool CloseQuery();
  /// Frees the form after the messages pending now (CM_RELEASE).
  void Release();
  /// True while the form is visible on the screen.
  bool Showing() const { return showing_; }
  bool Active() const { return active_; }
  void BringToFront();

  /// The control that gets the focus when the form is activated.
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);
  /// Moves the focus to the next (previous) tab stop after the active control.
  void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
  /// The button pressed by Enter and the one pressed by Esc (set by the buttons).
  void SetDefaultButton(class TButton* button) { defaultButton_ = button; }
  void SetCancelButton(class TButton* button) { cancelButton_ = button; }
  /// The button Enter presses now: the focused button of this form, else the default button.
  class TButton* ReturnButton() const;

  TNotifyEvent OnCreate;  // raised by DoCreate, which a form's constructor calls when set up
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  /// Keyboard cues (WM_CHANGEUISTATE): whether focus rectangles and access-key underlines
  /// are hidden in the form's controls.
  bool FocusCuesHidden() const { return hideFocus_; }
  bool AccelCuesHidden() const { return hideAccel_; }

  /// Raises OnCreate.
  void DoCreate();
  void WndProc(TMessage& message) override;
  /// Keys a dialog handles (Tab, arrows, Enter, Esc) before the focused control: answers
  /// true when the key was used. Sends CM_DIALOGKEY to the form first.
  bool DialogKey(uint16_t key, TShiftState shift);

 protected:
  void VisibleChanged() override;
  std::unique_ptr<TWindowHandle> CreateWindowHandle() override;
  void Paint() override;
  void CreateWnd() override;

 private:
  friend class TFormWindow;
  void PlaceOnScreen();
  void ChangeUIState(WPARAM wparam);
  void RunModalLoop();
  void SetShowing(bool showing);
  void SetActive(bool active);
  void RemoveDefaultButtons(TComponent* component);
  void Notification(TComponent* component, TOperation operation) override;

  std::string caption_;
  TBorderStyle formBorderStyle_ = bsSizeable;
  TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = poDesigned;
  bool keyPreview_ = false;
  bool modal_ = false;
  bool showing_ = false;
  bool active_ = false;
  bool placed_ = false;
  bool hideFocus_ = false;
  bool hideAccel_ = false;
  TModalResult modalResult_ = mrNone;
  TWinControl* activeControl_ = nullptr;
  class TButton* defaultButton_ = nullptr;
  class TButton* cancelButton_ = nullptr;
};

class TForm : public TCustomForm {
 public:
  using TCustomForm::TCustomForm;
  std::string ClassName() const override { return "TForm"; }
};

/// The form a control lies on (itself for a form), or null.
TCustomForm* GetParentForm(const TControl* control);
/// Sets `font` to the desktop's message font (its user-interface font).
void AssignMessageFont(TFont& font);
