// Forms: showing, placing, modal runs, closing, activation and the dialog keys.
#include "platform/gui/Forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "platform/graphics/CanvasDevice.h"
#include "platform/gui/Application.h"
#include "platform/gui/Messaging.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/WidgetSupport.h"

namespace {

// The toolkit's close button, window activation and title of a form's window.
class TFormEvents : public QObject {
 public:
  TFormEvents(TCustomForm& form, QWidget* window) : QObject(window), form_(form) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Close:
        // The form decides: Close asks OnCloseQuery and OnClose, and hides or frees it.
        event->ignore();
        TApplication::Guard(&form_, [&] { form_.Close(); });
        return true;
      case QEvent::WindowActivate:
        TApplication::Guard(&form_, [&] { form_.Perform(WM_ACTIVATE, WA_ACTIVE); });
        return false;
      case QEvent::WindowDeactivate:
        TApplication::Guard(&form_, [&] { form_.Perform(WM_ACTIVATE, WA_INACTIVE); });
        return false;
      case QEvent::Move:
      case QEvent::Resize: {
        // The user (or the window manager) moved or resized the window: the form follows.
        const QRect g = static_cast<QWidget*>(watched)->geometry();
        TApplication::Guard(&form_, [&] { form_.SetBounds(g.x(), g.y(), g.width(), g.height()); });
        return false;
      }
      default:
        return false;
    }
  }

 private:
  TCustomForm& form_;
};

QWidget* WindowOf(TCustomForm& form) {
  if (!form.HandleAllocated()) return nullptr;
  return static_cast<TWidgetHandle*>(form.Handle())->Outer();
}

}  // namespace

TCustomForm* GetParentForm(const TControl* control) {
  while (control != nullptr && control->Parent() != nullptr) control = control->Parent();
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(control));
}

void AssignMessageFont(TFont& font) {
  EnsureGuiApplication();
  const QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.SetName(system.family().toStdString());
  if (system.pixelSize() > 0)
    font.SetHeight(-system.pixelSize());
  else
    font.SetSize(std::max(1, static_cast<int32_t>(system.pointSizeF() + 0.5)));
  font.SetStyle(TFontStyles{});
}

TCustomForm::TCustomForm(TComponent* owner) : TCustomControl(owner) {
  SetVisible(false);
  SetColor(clBtnFace);
  SetBounds(0, 0, 320, 240);
  if (dynamic_cast<TCustomForm*>(owner) != nullptr) position_ = poOwnerFormCenter;
  Screen().forms_.push_back(this);
}

TCustomForm::~TCustomForm() {
  if (OnDestroy) TApplication::Guard(this, [&] { OnDestroy(this); });
  std::erase(Screen().forms_, this);
  if (Application != nullptr && Application->MainForm() == this) Application->SetMainForm(nullptr);
  DestroyHandle();
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

std::unique_ptr<TWindowHandle> TCustomForm::CreateWindowHandle() {
  auto handle = TCustomControl::CreateWindowHandle();
  QWidget* window = static_cast<TWidgetHandle*>(handle.get())->Outer();
  new TFormEvents(*this, window);
  window->setWindowTitle(QString::fromStdString(caption_));
  window->setFont(ToQFont(Font()));
  Qt::WindowFlags flags = Qt::Window;
  switch (formBorderStyle_) {
    case bsNone:
      flags |= Qt::FramelessWindowHint;
      break;
    case bsDialog:
      flags |= Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint;
      break;
    case bsSingle:
    case bsSizeable:
      // A main window of fixed or free size; its title bar shows the chosen buttons only.
      flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
      if (borderIcons_ & biSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
      if (borderIcons_ & biMinimize) flags |= Qt::WindowMinimizeButtonHint;
      if ((borderIcons_ & biMaximize) && formBorderStyle_ == bsSizeable)
        flags |= Qt::WindowMaximizeButtonHint;
      if (borderIcons_ & biHelp) flags |= Qt::WindowContextHelpButtonHint;
      break;
    case bsToolWindow:
    case bsSizeToolWin:
      flags |= Qt::Tool;
      break;
    default:
      break;
  }
  window->setWindowFlags(flags);
  if (formBorderStyle_ == bsDialog || formBorderStyle_ == bsSingle || formBorderStyle_ == bsToolWindow)
    window->setFixedSize(Width(), Height());
  return handle;
}

void TCustomForm::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (QWidget* window = WindowOf(*this)) window->setWindowTitle(QString::fromStdString(caption));
}

void TCustomForm::SetFormBorderStyle(TBorderStyle style) {
  if (style == formBorderStyle_) return;
  formBorderStyle_ = style;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons icons) {
  if (icons == borderIcons_) return;
  borderIcons_ = icons;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetClientSize(int32_t width, int32_t height) {
  // The form's window is its client area; the frame belongs to the window manager.
  SetBounds(Left(), Top(), width + 2 * BorderWidth(), height + 2 * BorderWidth());
}

void TCustomForm::Paint() {
  TCustomControl::Paint();
}

// Centred on the screen or over the owner form, and kept on the screen.
void TCustomForm::PlaceOnScreen() {
  if (placed_) return;
  placed_ = true;
  TRect area = Rect(0, 0, Screen().Width(), Screen().Height());
  switch (position_) {
    case poOwnerFormCenter:
    case poMainFormCenter: {
      TCustomForm* over = position_ == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
      if (over == nullptr && Application != nullptr) over = Application->MainForm();
      if (over != nullptr && over != this && over->Showing()) area = over->BoundsRect();
      break;
    }
    case poScreenCenter:
    case poDesktopCenter:
      break;
    default:
      return;
  }
  int32_t x = area.Left + (area.Width() - Width()) / 2;
  int32_t y = area.Top + (area.Height() - Height()) / 2;
  x = std::max(0, std::min(x, Screen().Width() - Width()));
  y = std::max(0, std::min(y, Screen().Height() - Height()));
  SetBounds(x, y, Width(), Height());
}

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::Hide() {
  SetVisible(false);
}

void TCustomForm::BringToFront() {
  if (QWidget* window = WindowOf(*this); window != nullptr && !TApplication::Headless()) {
    window->raise();
    window->activateWindow();
  }
  if (Visible()) SetActive(true);
}

void TCustomForm::VisibleChanged() {
  if (Visible()) {
    HandleNeeded();
    PlaceOnScreen();
  }
  TCustomControl::VisibleChanged();
  SetShowing(Visible());
  if (!Visible()) SetActive(false);
}

void TCustomForm::SetShowing(bool showing) {
  if (showing == showing_) return;
  showing_ = showing;
  Perform(CM_SHOWINGCHANGED, showing ? 1 : 0);
  if (showing && OnShow) OnShow(this);
  if (!showing && OnHide) OnHide(this);
}

void TCustomForm::SetActive(bool active) {
  if (active == active_) return;
  if (active) {
    for (TCustomForm* other : Screen().forms_)
      if (other != this) other->SetActive(false);
  }
  active_ = active;
  if (active) {
    TWinControl* target = activeControl_ != nullptr ? activeControl_ : FindNextControl(nullptr, true, true);
    if (target != nullptr && target->CanFocus()) target->SetFocus();
    if (OnActivate) OnActivate(this);
  } else if (OnDeactivate) {
    OnDeactivate(this);
  }
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (activeControl_ != nullptr) activeControl_->RemoveFreeNotification(this);
  activeControl_ = control;
  if (control != nullptr) {
    control->FreeNotification(this);
    if (active_ && control->CanFocus()) control->SetFocus();
  }
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == activeControl_) activeControl_ = nullptr;
  if (component == defaultButton_) defaultButton_ = nullptr;
  if (component == cancelButton_) cancelButton_ = nullptr;
}

void TCustomForm::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  TWinControl* next = FindNextControl(current, goForward, checkTabStop);
  if (next != nullptr) {
    activeControl_ = next;
    next->SetFocus();
  }
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  if (Application == nullptr) throw EInvalidOperation("Modal forms need the application object");
  modal_ = true;
  modalResult_ = mrNone;
  HandleNeeded();
  if (QWidget* window = WindowOf(*this)) window->setWindowModality(Qt::ApplicationModal);
  struct EndModal {
    TCustomForm& form;
    ~EndModal() {
      form.modal_ = false;
      if (QWidget* window = WindowOf(form)) window->setWindowModality(Qt::NonModal);
    }
  } endModal{*this};
  Show();
  RunModalLoop();
  Hide();
  return modalResult_;
}

void TCustomForm::RunModalLoop() {
  for (;;) {
    Application->HandleMessage();
    if (Application->Terminated()) {
      if (modalResult_ == mrNone) modalResult_ = mrCancel;
      return;
    }
    if (modalResult_ == mrNone) continue;
    // A result ends the run only when the form agrees to close.
    if (CloseQuery()) {
      TCloseAction action = caHide;
      if (OnClose) OnClose(this, action);
      if (action != caNone) return;
    }
    modalResult_ = mrNone;
  }
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (Application != nullptr && Application->MainForm() == this) {
    Application->Terminate();
    Hide();
    return;
  }
  if (action == caFree)
    Release();
  else
    Hide();
}

void TCustomForm::Release() {
  PostMessage(this, CM_RELEASE);
}

TButton* TCustomForm::ReturnButton() const {
  if (auto* focused = dynamic_cast<TButton*>(FocusedControl());
      focused != nullptr && GetParentForm(focused) == this)
    return focused;
  return defaultButton_;
}

// A new window shows the cues as the form has them (a form that never hides them shows them).
void TCustomForm::CreateWnd() {
  TCustomControl::CreateWnd();
  ApplyKeyboardCues(*this);
}

void TCustomForm::ChangeUIState(WPARAM wparam) {
  const uint32_t action = LoWord(wparam);
  const uint32_t flags = HiWord(wparam);
  switch (action) {
    case UIS_SET:
      if (flags & UISF_HIDEFOCUS) hideFocus_ = true;
      if (flags & UISF_HIDEACCEL) hideAccel_ = true;
      break;
    case UIS_CLEAR:
      if (flags & UISF_HIDEFOCUS) hideFocus_ = false;
      if (flags & UISF_HIDEACCEL) hideAccel_ = false;
      break;
    case UIS_INITIALIZE:
      // Cues start hidden until the keyboard is used.
      hideFocus_ = true;
      hideAccel_ = true;
      break;
    default:
      return;
  }
  ApplyKeyboardCues(*this);
}

bool TCustomForm::DialogKey(uint16_t key, TShiftState shift) {
  return Perform(CM_DIALOGKEY, key, ShiftStateToKeyData(shift)) != 0;
}

void TCustomForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case CM_RELEASE:
      delete this;
      return;
    case WM_ACTIVATE:
      SetActive(message.WParam != WA_INACTIVE);
      return;
    case WM_CHANGEUISTATE:
      ChangeUIState(message.WParam);
      return;
    case WM_CLOSE:
      Close();
      return;
    case CM_DIALOGKEY: {
      const auto key = static_cast<uint16_t>(message.WParam);
      const TShiftState shift = KeyDataToShiftState(message.LParam);
      if (key == VK_TAB && !(shift & ssCtrl)) {
        TWinControl* current = FocusedControl();
        if (GetParentForm(current) != this) current = activeControl_;
        SelectNext(current, (shift & ssShift) == 0, true);
        message.Result = 1;
      } else if (key == VK_RETURN || key == VK_ESCAPE) {
        TButton* button = key == VK_RETURN ? ReturnButton() : cancelButton_;
        if (button != nullptr && button->IsShowingAndEnabled()) {
          button->Click();
          message.Result = 1;
        }
      }
      return;
    }
    default:
      TCustomControl::WndProc(message);
  }
}
