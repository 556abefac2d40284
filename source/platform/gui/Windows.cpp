// The window behind a windowed control: geometry, visibility, focus and input events of the
// control's widgets, translated into the control's messages.
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVariant>
#include <QWheelEvent>
#include <utility>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BitmapAccess.h"
#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/Icon.h"
#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"
#include "platform/gui/InputMethod.h"
#include "platform/gui/Menus.h"
#include "platform/gui/WidgetSupport.h"

namespace {

constexpr const char* kControlProperty = "zukControl";

struct KeyPair {
  int Qt;
  uint16_t Vk;
};

constexpr KeyPair kKeyTable[] = {
    {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR},
    {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},
    {Qt::Key_AltGr, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Print, VK_SNAPSHOT},
    {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Help, VK_HELP},
    {Qt::Key_Meta, VK_LWIN},
    {Qt::Key_Menu, VK_APPS},
    {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Colon, VK_OEM_1},
    {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6},
    {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_QuoteDbl, VK_OEM_7},
};

// Keys whose keypad version has a code of its own.
constexpr KeyPair kKeypadTable[] = {
    {Qt::Key_Asterisk, VK_MULTIPLY}, {Qt::Key_Plus, VK_ADD},      {Qt::Key_Minus, VK_SUBTRACT},
    {Qt::Key_Period, VK_DECIMAL},    {Qt::Key_Comma, VK_DECIMAL}, {Qt::Key_Slash, VK_DIVIDE},
};

Qt::CursorShape ShapeOf(TCursor cursor) {
  switch (cursor) {
    case crNone:
      return Qt::BlankCursor;
    case crCross:
      return Qt::CrossCursor;
    case crIBeam:
      return Qt::IBeamCursor;
    case crSizeNESW:
      return Qt::SizeBDiagCursor;
    case crSizeNS:
    case crVSplit:
      return Qt::SizeVerCursor;
    case crSizeNWSE:
      return Qt::SizeFDiagCursor;
    case crSizeWE:
    case crHSplit:
      return Qt::SizeHorCursor;
    case crUpArrow:
      return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait:
      return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag:
      return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo:
      return Qt::ForbiddenCursor;
    case crAppStart:
      return Qt::BusyCursor;
    case crHelp:
      return Qt::WhatsThisCursor;
    case crHandPoint:
      return Qt::PointingHandCursor;
    case crSizeAll:
      return Qt::SizeAllCursor;
    default:
      return Qt::ArrowCursor;
  }
}

}  // namespace

namespace {

// What a control has told the input method, kept as properties of its window handle.
constexpr const char* kCompositionArea = "zukCompositionArea";
constexpr const char* kCompositionCaret = "zukCompositionCaret";
constexpr const char* kCompositionFont = "zukCompositionFont";
constexpr const char* kComposing = "zukComposing";

/// The text being committed and whether a control took it (one commit at a time: input
/// arrives on the GUI thread only).
struct TCommit {
  std::u16string Text;
  bool Taken = false;
};
TCommit& CurrentCommit() {
  static TCommit commit;
  return commit;
}

TWidgetHandle* WidgetHandleOf(TWinControl& control) {
  return control.HandleAllocated() ? dynamic_cast<TWidgetHandle*>(control.Handle()) : nullptr;
}

QRect ToQRect(const TRect& r) {
  return QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1));
}

TRect FromQRect(const QRect& r) {
  return TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

}  // namespace

void SetCompositionForm(TWinControl& control, const TRect& area, const TRect& caret) {
  TWidgetHandle* handle = WidgetHandleOf(control);
  if (handle == nullptr) return;
  handle->setProperty(kCompositionArea, ToQRect(area));
  handle->setProperty(kCompositionCaret, ToQRect(caret));
  QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImInputItemClipRectangle);
}

void SetCompositionFont(TWinControl& control, const TFont& font) {
  TWidgetHandle* handle = WidgetHandleOf(control);
  if (handle == nullptr) return;
  handle->setProperty(kCompositionFont, ToQFont(font));
  QGuiApplication::inputMethod()->update(Qt::ImFont);
}

bool GetCompositionForm(TWinControl& control, TRect& area, TRect& caret) {
  TWidgetHandle* handle = WidgetHandleOf(control);
  if (handle == nullptr || !handle->property(kCompositionCaret).isValid()) return false;
  area = FromQRect(handle->property(kCompositionArea).toRect());
  caret = FromQRect(handle->property(kCompositionCaret).toRect());
  return true;
}

std::u16string TakeCompositionResult() {
  CurrentCommit().Taken = true;
  return CurrentCommit().Text;
}

QCursor CursorOf(TCursor cursor) {
  if (auto image = GetScreenCursor(cursor); image != nullptr && !image->Empty()) {
    TBitmap bitmap;
    image->AssignTo(&bitmap);
    const TPoint hot = image->HotSpot();
    return QCursor(QPixmap::fromImage(TBitmapAccess::DrawImage(bitmap)), hot.X, hot.Y);
  }
  return QCursor(ShapeOf(cursor));
}

namespace {

// The mouse event last translated into a message, and for which control. A mouse event a
// widget leaves unused travels up to the parent widgets (as a copy); their controls must not
// get it as a message of their own, since the press belongs to the control under the pointer.
struct TranslatedMouse {
  QEvent::Type type = QEvent::None;
  quint64 timestamp = 0;
  QPointF global;
  const TWinControl* control = nullptr;
};
TranslatedMouse g_translated;

bool IsInside(const TControl* control, const TWinControl* ancestor) {
  for (; control != nullptr; control = control->Parent())
    if (control == ancestor) return true;
  return false;
}

// True for the copy of an event that a child control's window has translated already.
bool PassedUpFromChild(const QMouseEvent* event, const TWinControl& control) {
  return g_translated.type == event->type() && g_translated.timestamp == event->timestamp() &&
         g_translated.global == event->globalPosition() && g_translated.control != &control &&
         IsInside(g_translated.control, &control);
}

WPARAM MouseFlags(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  return ShiftStateToMouseFlags(ShiftStateFromQt(modifiers, buttons));
}

}  // namespace

uint16_t VirtualKeyFromQt(int qtKey, bool keypad) {
  if (keypad) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
      return static_cast<uint16_t>(VK_NUMPAD0 + (qtKey - Qt::Key_0));
    for (const KeyPair& k : kKeypadTable)
      if (k.Qt == qtKey) return k.Vk;
  }
  if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
    return static_cast<uint16_t>(qtKey);  // Qt uses the ASCII codes for these, as we do
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return static_cast<uint16_t>(VK_F1 + (qtKey - Qt::Key_F1));
  for (const KeyPair& k : kKeyTable)
    if (k.Qt == qtKey) return k.Vk;
  return 0;
}

TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  TShiftState shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= ssShift;
  if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
  if (modifiers & Qt::AltModifier) shift |= ssAlt;
  if (buttons & Qt::LeftButton) shift |= ssLeft;
  if (buttons & Qt::RightButton) shift |= ssRight;
  if (buttons & Qt::MiddleButton) shift |= ssMiddle;
  return shift;
}

QWidget* ClientWidgetOf(const TWinControl* control) {
  if (control == nullptr || !control->HandleAllocated()) return nullptr;
  auto* handle = dynamic_cast<TWidgetHandle*>(const_cast<TWinControl*>(control)->Handle());
  return handle != nullptr ? handle->Client() : nullptr;
}

TWinControl* ControlOfWidget(const QWidget* widget) {
  for (; widget != nullptr; widget = widget->parentWidget()) {
    const QVariant v = widget->property(kControlProperty);
    if (v.isValid()) return static_cast<TWinControl*>(v.value<void*>());
  }
  return nullptr;
}

// ---------------------------------------------------------------------------------------

TWidgetHandle::TWidgetHandle(TWinControl& control, QWidget* outer, QWidget* client)
    : control_(control), outer_(outer), client_(client) {
  outer_->setProperty(kControlProperty, QVariant::fromValue<void*>(&control_));
  client_->setProperty(kControlProperty, QVariant::fromValue<void*>(&control_));
  client_->installEventFilter(this);
  client_->setMouseTracking(true);
  WatchInputLanguage();
  if (QWidget* parent = ClientWidgetOf(control_.Parent())) outer_->setParent(parent);
  outer_->setEnabled(control_.Enabled());
  BoundsChanged();
  CursorChanged();
  HintChanged();
  VisibleChanged();
}

TWidgetHandle::~TWidgetHandle() {
  if (client_ != nullptr) {
    client_->removeEventFilter(this);
    // Windows of child controls that outlive this one are moved out before Qt would free them.
    for (QObject* child : client_->children()) {
      auto* w = qobject_cast<QWidget*>(child);
      if (w != nullptr && ControlOfWidget(w) != &control_ && ControlOfWidget(w) != nullptr) {
        w->hide();
        w->setParent(nullptr);
      }
    }
  }
  if (capture_ && client_ != nullptr) client_->releaseMouse();
  if (TWinControl::FocusedControl() == &control_) TWinControl::FocusMoved(nullptr);
  if (outer_ == nullptr) return;
  outer_->setProperty(kControlProperty, QVariant());
  if (client_ != nullptr) client_->setProperty(kControlProperty, QVariant());
  if (dispatching_ == 0) {
    delete outer_.data();
    return;
  }
  // Freed from inside one of its own events: the toolkit still holds the widget.
  outer_->hide();
  outer_->setParent(nullptr);
  outer_->deleteLater();
}

bool TWidgetHandle::Dispatch(const std::function<void()>& call) {
  const QPointer<TWidgetHandle> self(this);
  ++dispatching_;
  TApplication::Guard(&control_, call);
  if (self == nullptr) return false;
  --dispatching_;
  return true;
}

void TWidgetHandle::BoundsChanged() {
  if (outer_ == nullptr) return;
  outer_->setGeometry(control_.Left(), control_.Top(), control_.Width(), control_.Height());
  LayoutClient();
}

void TWidgetHandle::VisibleChanged() {
  if (outer_ == nullptr) return;
  // A control off any parent is not a window of its own: it stays hidden until placed. Forms
  // are the top-level windows.
  const bool form = dynamic_cast<TCustomForm*>(&control_) != nullptr;
  outer_->setVisible(control_.Visible() && (form || !TopLevel()));
}

void TWidgetHandle::EnabledChanged() {
  if (outer_ != nullptr) outer_->setEnabled(control_.Enabled());
}

void TWidgetHandle::ParentChanged() {
  if (outer_ == nullptr) return;
  outer_->setParent(ClientWidgetOf(control_.Parent()));
  BoundsChanged();
  VisibleChanged();
  if (control_.Parent() != nullptr && control_.Parent()->HandleAllocated())
    control_.Parent()->Handle()->TabOrderChanged();
}

// The toolkit moves the focus along its own chain (between its widgets inside a control, or
// when no form handles Tab): the children's windows are chained in their tab order.
void TWidgetHandle::TabOrderChanged() {
  QWidget* previous = nullptr;
  for (int i = 0; i < control_.ControlCount(); ++i) {
    QWidget* widget = ClientWidgetOf(dynamic_cast<TWinControl*>(control_.Controls(i)));
    if (widget == nullptr) continue;
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

void TWidgetHandle::CursorChanged() {
  if (client_ == nullptr) return;
  if (control_.ShownCursor() == crDefault)
    client_->unsetCursor();
  else
    client_->setCursor(CursorOf(control_.ShownCursor()));
}

void TWidgetHandle::HintChanged() {
  if (outer_ == nullptr) return;
  const bool show = control_.ShowHint() && (Application == nullptr || Application->ShowHint());
  outer_->setToolTip(show ? QString::fromStdString(control_.Hint()) : QString());
}

void TWidgetHandle::SetFocus() {
  if (client_ == nullptr) return;
  if (client_->focusPolicy() == Qt::NoFocus) client_->setFocusPolicy(Qt::StrongFocus);
  client_->setFocus(Qt::OtherFocusReason);
}

TRect TWidgetHandle::ClientRect() const {
  if (client_ == nullptr) return TRect{};
  return Rect(0, 0, client_->width(), client_->height());
}

TPoint TWidgetHandle::ClientOrigin() const {
  if (client_ == nullptr) return TPoint{};
  const QPoint p = client_->mapToGlobal(QPoint(0, 0));
  return TPoint{p.x(), p.y()};
}

void TWidgetHandle::Invalidate(const TRect* rect) {
  if (client_ == nullptr) return;
  const QRect r =
      rect != nullptr ? QRect(rect->Left, rect->Top, rect->Width(), rect->Height()) : client_->rect();
  if (r.isEmpty()) return;
  dirty_ += r;
  client_->update(r);
}

void TWidgetHandle::Update() {
  if (client_ == nullptr || dirty_.isEmpty() || !client_->isVisible()) return;
  const QRegion region = dirty_;
  dirty_ = QRegion();
  client_->repaint(region);
}

void TWidgetHandle::SetMouseCapture(bool capture) {
  if (client_ == nullptr || capture == capture_) return;
  capture_ = capture;
  if (!client_->isVisible()) return;
  if (capture)
    client_->grabMouse();
  else
    client_->releaseMouse();
}

TPoint TWidgetHandle::CursorPos() const {
  const QPoint p = QCursor::pos();
  return TPoint{p.x(), p.y()};
}

// A disabled window takes no drop: its enabled parent does.
TWinControl* TWidgetHandle::ControlAtScreenPos(TPoint point) const {
  TWinControl* control = ControlOfWidget(QApplication::widgetAt(point.X, point.Y));
  while (control != nullptr && !control->IsShowingAndEnabled()) control = control->Parent();
  return control;
}

LRESULT TWidgetHandle::Send(uint32_t msg, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  TWinControl& control = control_;
  Dispatch([&] { result = control.Perform(msg, wparam, lparam); });
  return result;
}

bool TWidgetHandle::HandleKey(QKeyEvent* event, bool press) {
  const QPointer<TWidgetHandle> self(this);
  const bool keypad = (event->modifiers() & Qt::KeypadModifier) != 0;
  uint16_t vk = VirtualKeyFromQt(event->key(), keypad);
  if (press && vk == VK_ESCAPE) {  // Escape is the drag's while one runs
    bool cancelled = false;
    if (!Dispatch([&] { cancelled = TControl::CancelDrag(); }) || cancelled) return true;
  }
  TShiftState shift = ShiftStateFromQt(event->modifiers(), Qt::NoButton);
  if (event->key() == Qt::Key_Backtab) shift |= ssShift;
  auto data = static_cast<uint32_t>(ShiftStateToKeyData(shift));
  if (event->isAutoRepeat()) data |= KF_REPEAT;
  const bool alt = (shift & ssAlt) != 0;
  if (!press) {
    if (vk != 0) Send(alt ? WM_SYSKEYUP : WM_KEYUP, vk, static_cast<LPARAM>(data | KF_UP));
    return self == nullptr || DeliverKey(event);
  }
  if (vk != 0) {
    TCustomForm* form = GetParentForm(&control_);
    if (form != nullptr && form != &control_ && form->KeyPreview()) {
      TMessage preview;
      preview.Msg = WM_KEYDOWN;
      preview.WParam = vk;
      preview.LParam = static_cast<LPARAM>(data);
      if (!Dispatch([&] { form->TWinControl::WndProc(preview); }) || preview.WParam == 0) return true;
    }
    const LRESULT code = Send(WM_GETDLGCODE, 0, 0);
    if (self == nullptr) return true;
    bool dialogKey = false;
    if (vk == VK_TAB && !(shift & ssCtrl))
      dialogKey = (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) == 0;
    else if (vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN)
      dialogKey = (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS)) == 0;
    else if (vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_MENU)
      dialogKey = (code & DLGC_WANTALLKEYS) == 0;
    if (dialogKey && form != nullptr) {
      bool used = false;
      if (!Dispatch([&] { used = form->DialogKey(vk, shift); }) || used || vk == VK_TAB) return true;
    }
    TMessage down;
    down.Msg = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    down.WParam = vk;
    down.LParam = static_cast<LPARAM>(data);
    TWinControl& control = control_;
    if (!Dispatch([&] { control.WndProc(down); }) || down.WParam == 0) return true;
  }
  const QString text = event->text();
  bool eaten = false;
  for (QChar ch : text) {
    TMessage typed;
    typed.Msg = alt ? WM_SYSCHAR : WM_CHAR;
    typed.WParam = ch.unicode();
    typed.LParam = static_cast<LPARAM>(data);
    TWinControl& control = control_;
    if (!Dispatch([&] { control.WndProc(typed); })) return true;
    if (typed.WParam == 0) eaten = true;
  }
  // A Tab the control asked for is the control's: the toolkit would move the focus with it
  // once more.
  return eaten || vk == VK_TAB || DeliverKey(event);
}

// The widget gets the key itself, here: a key it leaves unused must not travel up to the
// parents' windows as the toolkit would let it, since keys belong to the focused control.
bool TWidgetHandle::DeliverKey(QKeyEvent* event) {
  static_cast<QObject*>(client_.data())->event(event);
  return true;
}

void TWidgetHandle::HandleMouse(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  const LPARAM lparam = PointToLParam(TPoint{p.x(), p.y()});
  const WPARAM flags = MouseFlags(event->modifiers(), event->buttons());
  uint32_t base = 0;  // the button's WM_xBUTTONDOWN
  switch (event->button()) {
    case Qt::LeftButton:
      base = WM_LBUTTONDOWN;
      break;
    case Qt::RightButton:
      base = WM_RBUTTONDOWN;
      break;
    case Qt::MiddleButton:
      base = WM_MBUTTONDOWN;
      break;
    default:
      break;
  }
  switch (event->type()) {
    case QEvent::MouseMove:
      Send(WM_MOUSEMOVE, flags, lparam);
      return;
    case QEvent::MouseButtonPress:
      if (base != 0) Send(base, flags, lparam);
      return;
    case QEvent::MouseButtonDblClick:
      if (base != 0) Send(base + 2, flags, lparam);
      return;
    case QEvent::MouseButtonRelease:
      if (base != 0) Send(base + 1, flags, lparam);
      return;
    default:
      return;
  }
}

bool TWidgetHandle::HandleInputMethod(QInputMethodEvent* event) {
  const QPointer<TWidgetHandle> self(this);
  const bool composing = property(kComposing).toBool();
  if (!event->preeditString().isEmpty() && !composing) {
    setProperty(kComposing, true);
    Send(WM_IME_STARTCOMPOSITION, 0, 0);
    if (self == nullptr) return true;
  }
  const QString text = event->commitString();
  if (!text.isEmpty() || event->preeditString().isEmpty()) setProperty(kComposing, false);
  if (text.isEmpty()) return false;
  const std::u16string result(reinterpret_cast<const char16_t*>(text.utf16()),
                              static_cast<size_t>(text.size()));
  // A commit arriving while another is handled (from a nested message loop) has its own
  // record; the outer one is restored afterwards.
  TCommit& commit = CurrentCommit();
  const TCommit outer = std::exchange(commit, TCommit{result, false});
  Send(WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
  const bool taken = std::exchange(commit, outer).Taken;
  if (taken || self == nullptr) return true;
  // Nobody took the text: it is typed, one UTF-16 unit at a time.
  for (char16_t ch : result) {
    Send(WM_CHAR, ch, 1);
    if (self == nullptr) break;
  }
  return true;
}

bool TWidgetHandle::eventFilter(QObject* watched, QEvent* event) {
  if (watched != client_) return false;
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      HandleKey(static_cast<QKeyEvent*>(event), event->type() == QEvent::KeyPress);
      // Accepted, so that the toolkit does not offer the key to the parents as well.
      event->accept();
      return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (PassedUpFromChild(mouse, control_)) return false;
      g_translated = TranslatedMouse{mouse->type(), mouse->timestamp(), mouse->globalPosition(), &control_};
      HandleMouse(mouse);
      return false;
    }
    case QEvent::Wheel: {
      // A wheel turn the control leaves unused goes on to its parent, as the toolkit passes it.
      auto* wheel = static_cast<QWheelEvent*>(event);
      const int delta = wheel->angleDelta().y();
      const WPARAM flags = MouseFlags(wheel->modifiers(), wheel->buttons()) |
                           (static_cast<WPARAM>(static_cast<uint16_t>(delta)) << 16);
      const QPoint g = wheel->globalPosition().toPoint();
      return Send(WM_MOUSEWHEEL, flags, PointToLParam(TPoint{g.x(), g.y()})) != 0;
    }
    case QEvent::Enter:
      Send(CM_MOUSEENTER, 0, 0);
      return false;
    case QEvent::StyleChange:
      Send(WM_THEMECHANGED, 0, 0);
      return false;
    case QEvent::Leave:
      Send(CM_MOUSELEAVE, 0, 0);
      return false;
    case QEvent::FocusIn: {
      TWinControl* control = &control_;
      Dispatch([control] { TWinControl::FocusMoved(control); });
      return false;
    }
    case QEvent::FocusOut: {
      // When the focus goes to another control of ours, its FocusIn reports the move.
      if (ControlOfWidget(QApplication::focusWidget()) == nullptr &&
          TWinControl::FocusedControl() == &control_)
        Dispatch([] { TWinControl::FocusMoved(nullptr); });
      return false;
    }
    case QEvent::ContextMenu: {
      auto* menuEvent = static_cast<QContextMenuEvent*>(event);
      const bool keyboard = menuEvent->reason() == QContextMenuEvent::Keyboard;
      const QPoint g = menuEvent->globalPos();
      const TPoint at = keyboard ? TPoint{-1, -1} : TPoint{g.x(), g.y()};
      const QPointer<TWidgetHandle> self(this);
      if (Send(WM_CONTEXTMENU, 0, PointToLParam(at)) == 0 && self != nullptr) {
        TPopupMenu* menu = control_.PopupMenu();
        if (menu != nullptr && menu->AutoPopup()) {
          menu->SetPopupComponent(&control_);
          Dispatch([&] { menu->Popup(g.x(), g.y()); });
        }
      }
      return true;
    }
    case QEvent::InputMethod:
      return HandleInputMethod(static_cast<QInputMethodEvent*>(event));
    case QEvent::InputMethodQuery: {
      // The input method asks where to show the composition: the widget answers first, then
      // what the control said replaces its caret, clip area and font.
      auto* query = static_cast<QInputMethodQueryEvent*>(event);
      static_cast<QObject*>(client_)->event(query);
      const std::pair<Qt::InputMethodQuery, const char*> told[] = {
          {Qt::ImCursorRectangle, kCompositionCaret},
          {Qt::ImInputItemClipRectangle, kCompositionArea},
          {Qt::ImFont, kCompositionFont}};
      for (const auto& [q, name] : told)
        if ((query->queries() & q) != 0 && property(name).isValid()) query->setValue(q, property(name));
      query->accept();
      return true;
    }
    case QEvent::Resize:
      Send(WM_SIZE, 0,
           MakeLParam(static_cast<uint32_t>(client_->width()), static_cast<uint32_t>(client_->height())));
      return false;
    default:
      return false;
  }
}
