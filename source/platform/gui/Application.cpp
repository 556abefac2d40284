// The application object, the posted-message queue, the screen and the input state.
#include "platform/gui/Application.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QScreen>
#include <QSocketNotifier>
#include <QToolTip>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/core/MemoryReserve.h"
#include "platform/core/SignalCleanup.h"
#include "platform/graphics/ToolkitStartup.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messaging.h"
#include "platform/gui/Synchronize.h"
#include "platform/gui/WidgetSupport.h"

TApplication* Application = nullptr;

namespace {

// A message on its way to a control that may be gone when it arrives.
class TPostedEvent : public QEvent {
 public:
  static QEvent::Type Kind() {
    static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
    return kind;
  }
  TPostedEvent(std::weak_ptr<TControl* const> target, TMessage message)
      : QEvent(Kind()), Target(std::move(target)), Message(std::move(message)) {}

  std::weak_ptr<TControl* const> Target;
  TMessage Message;
};

// Wakes the GUI thread to run the synchronise queue.
QEvent::Type SyncKind() {
  static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
  return kind;
}

class TMessageQueue : public QObject {
 protected:
  void customEvent(QEvent* event) override {
    if (event->type() == SyncKind()) {
      CheckSynchronize();
      return;
    }
    if (event->type() != TPostedEvent::Kind()) return;
    auto* posted = static_cast<TPostedEvent*>(event);
    const auto target = posted->Target.lock();
    if (target == nullptr) return;  // the control is gone; the record goes with the event
    TControl* control = *target;
    TApplication::Guard(control, [&] { control->WndProc(posted->Message); });
  }
};

std::atomic<TMessageQueue*> g_queue{nullptr};

bool HasDisplay() {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (display != nullptr && *display != 0) || (wayland != nullptr && *wayland != 0);
}

// The toolkit's application object lives until the process ends, so that text can still be
// measured after the application object of the program has gone.
void EnsureWidgetApplication() {
  if (QCoreApplication::instance() != nullptr) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
      throw EInvalidOperation("The application object must be made before anything draws");
    return;
  }
  static int argc = 1;
  static char name[] = "zuk-converter";
  static char* argv[] = {name, nullptr};
  TToolkitStartup startup;
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
}

// What the toolkit may need while it handles pending messages: memory of its own and the
// threads that share its drawing.
constexpr size_t kToolkitHeadroom = 8 << 20;
constexpr int kToolkitDrawingThreads = 8;

// The signals whose default action ends the process, a program may catch, and that come from
// outside (a terminal, kill, the session, a limit, a timer, the power supply): each ends a
// conversion cleanly. Those that report a fault of the program itself (SIGSEGV, SIGBUS, SIGILL,
// SIGFPE, SIGABRT, SIGSYS, SIGTRAP) keep their default action, and the program ignores SIGPIPE
// and SIGXFSZ, which make the write fail instead. The real-time signals are added at run time.
constexpr int kEndingSignals[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGALRM, SIGUSR1,  SIGUSR2,
                                  SIGXCPU, SIGIO,   SIGVTALRM, SIGPROF, SIGPWR,  SIGSTKFLT};

std::vector<int> EndingSignals() {
  std::vector<int> all(std::begin(kEndingSignals), std::end(kEndingSignals));
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) all.push_back(signal);
  return all;
}

// The pipe through which a signal handler hands its signal to the message loop. It stays open
// for the life of the process: a handler may still be running on another thread when the
// application object goes.
int g_signalPipe[2] = {-1, -1};
// The thread of the message loop: a wait on a file there ends only when the signal interrupts
// it, and the system may deliver the signal to any thread.
pthread_t g_loopThread;

void HandOverSignal(int signal) {
  const int savedErrno = errno;
  NoteEndingSignal(signal);
  if (!pthread_equal(pthread_self(), g_loopThread)) {
    pthread_kill(g_loopThread, signal);
    errno = savedErrno;
    return;
  }
  const auto number = static_cast<unsigned char>(signal);
  // When the pipe is full, a signal that ends the program is already waiting in it.
  [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &number, 1);
  errno = savedErrno;
}

/// The signal waiting in the pipe, 0 when there is none.
int TakeHandedSignal() {
  unsigned char number = 0;
  return g_signalPipe[0] >= 0 && read(g_signalPipe[0], &number, 1) == 1 ? number : 0;
}

}  // namespace

struct TApplication::Impl {
  std::unique_ptr<TMessageQueue> queue;
  std::unique_ptr<QSocketNotifier> signalNotifier;
  std::vector<std::pair<int, struct sigaction>> caughtSignals;  // with the action each had

  void StopEndingOnSignals() {
    if (!signalNotifier) return;
    for (const auto& [signal, previous] : caughtSignals) sigaction(signal, &previous, nullptr);
    caughtSignals.clear();
    EndRunsOnUnexpectedExit(false);
    if (const int signal = TakeHandedSignal()) EndBySignal(signal);
    signalNotifier.reset();
  }
};

TApplication::TApplication(TComponent* owner) : TComponent(owner), impl_(std::make_unique<Impl>()) {
  if (Application != nullptr) throw EInvalidOperation("There is an application object already");
  EnsureWidgetApplication();
  impl_->queue = std::make_unique<TMessageQueue>();
  g_queue = impl_->queue.get();
  Application = this;
  AcceptSynchronizedCalls();
}

TApplication::~TApplication() {
  // Forms go first, while the queue and the application object still exist.
  DestroyComponents();
  g_queue = nullptr;
  CheckSynchronize();
  AbandonSynchronizedCalls();
  // Messages still queued for controls die with their records.
  QCoreApplication::removePostedEvents(impl_->queue.get());
  impl_->queue.reset();
  Application = nullptr;
  impl_->StopEndingOnSignals();
}

void TApplication::EndOnSignals() {
  if (impl_->signalNotifier || (g_signalPipe[0] < 0 && pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0))
    return;
  EndRunsOnUnexpectedExit(true);
  g_loopThread = pthread_self();
  impl_->signalNotifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
  QObject::connect(impl_->signalNotifier.get(), &QSocketNotifier::activated, [] {
    if (const int signal = TakeHandedSignal()) EndBySignal(signal);
  });
  for (int signal : EndingSignals()) {
    struct sigaction previous;
    // A signal ignored from the start (nohup, a background job) stays ignored, and one that
    // has a handler already (a profiler's timer) keeps it.
    if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler != SIG_DFL) continue;
    struct sigaction action = {};
    action.sa_handler = HandOverSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait on a file (opening a FIFO that has no reader) that started again
    // after the handler would never end.
    action.sa_flags = 0;
    if (sigaction(signal, &action, nullptr) == 0) impl_->caughtSignals.emplace_back(signal, previous);
  }
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  SetEndingProgramName(title);
  QCoreApplication::setApplicationName(QString::fromStdString(title));
}

void TApplication::Run() {
  if (mainForm_ != nullptr) mainForm_->Show();
  while (!terminated_) {
    HandleMessage();
    if (mainForm_ != nullptr && !mainForm_->Visible()) terminated_ = true;
  }
}

void TApplication::ProcessMessages() {
  // Long work pumps messages between its steps. The toolkit does not survive running out of
  // memory inside, nor failing to start a thread it draws with (it waits for it forever).
  CheckMemoryHeadroom(kToolkitHeadroom, kToolkitDrawingThreads);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleMessage() {
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void TApplication::Terminate() {
  terminated_ = true;
  QCoreApplication::postEvent(impl_->queue.get(), new QEvent(QEvent::User));  // wakes a waiting loop
}

void TApplication::HandleException(TObject* sender) {
  try {
    throw;
  } catch (const std::exception& error) {
    if (OnException)
      OnException(sender, error);
    else
      ShowException(error);
  } catch (...) {
    const Exception error("Unknown error");
    if (OnException)
      OnException(sender, error);
    else
      ShowException(error);
  }
}

void TApplication::ShowException(const std::exception& error) {
  std::string text = error.what();
  if (!text.empty() && text.back() != '.') text += '.';
  MessageBox(nullptr, text, title_, MB_ICONERROR);
}

void TApplication::ActivateHint(const std::string& hint, TPoint screenPos) {
  currentHint_ = hint;
  if (hint.empty())
    QToolTip::hideText();
  else
    QToolTip::showText(QPoint(screenPos.X, screenPos.Y), QString::fromStdString(hint));
}

bool TApplication::Headless() {
  return QGuiApplication::platformName() == "offscreen" || QGuiApplication::platformName() == "minimal" ||
         (QCoreApplication::instance() == nullptr && !HasDisplay());
}

std::string TApplication::UnopenedDisplay() {
  return ::UnopenedDisplay();
}

void TApplication::Guard(TObject* sender, const std::function<void()>& call) {
  try {
    call();
  } catch (...) {
    try {
      if (Application != nullptr) {
        Application->HandleException(sender);
        return;
      }
      throw;
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s\n", error.what());
    } catch (...) {
      std::fprintf(stderr, "Unknown error\n");
    }
  }
}

// ---------------------------------------------------------------------------------------

void WakeGuiThread() {
  if (TMessageQueue* queue = g_queue.load()) QCoreApplication::postEvent(queue, new QEvent(SyncKind()));
}

bool PostMessage(TControl* target, uint32_t msg, WPARAM wparam, LPARAM lparam,
                 std::unique_ptr<TObject> record) {
  TMessageQueue* queue = g_queue.load();
  if (target == nullptr || queue == nullptr) return false;
  TMessage message;
  message.Msg = msg;
  message.WParam = wparam;
  message.LParam = lparam;
  message.Record = std::move(record);
  QCoreApplication::postEvent(queue, new TPostedEvent(target->LifeToken(), std::move(message)));
  return true;
}

LRESULT SendMessage(TControl* target, uint32_t msg, WPARAM wparam, LPARAM lparam) {
  return target != nullptr ? target->Perform(msg, wparam, lparam) : 0;
}

// ---------------------------------------------------------------------------------------

namespace {
QRect ScreenGeometry() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
}
}  // namespace

int32_t TScreen::Width() const {
  return ScreenGeometry().width();
}

int32_t TScreen::Height() const {
  return ScreenGeometry().height();
}

void TScreen::SetCursor(TCursor cursor) {
  if (cursor == cursor_) return;
  if (cursor_ != crDefault && QCoreApplication::instance() != nullptr) QApplication::restoreOverrideCursor();
  cursor_ = cursor;
  if (cursor_ != crDefault && QCoreApplication::instance() != nullptr) {
    QApplication::setOverrideCursor(CursorOf(cursor_));
  }
}

TCustomForm* TScreen::ActiveForm() const {
  for (TCustomForm* form : forms_)
    if (form->Active()) return form;
  return nullptr;
}

TWinControl* TScreen::ActiveControl() const {
  return TWinControl::FocusedControl();
}

TCustomForm* TScreen::Forms(int index) const {
  if (index < 0 || index >= FormCount()) RaiseListIndexError(index);
  return forms_[static_cast<size_t>(index)];
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}

// ---------------------------------------------------------------------------------------

int16_t GetKeyState(int virtualKey) {
  if (QCoreApplication::instance() == nullptr) return 0;
  bool down = false;
  const Qt::KeyboardModifiers modifiers = QGuiApplication::queryKeyboardModifiers();
  const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
  switch (virtualKey) {
    case VK_SHIFT:
      down = modifiers & Qt::ShiftModifier;
      break;
    case VK_CONTROL:
      down = modifiers & Qt::ControlModifier;
      break;
    case VK_MENU:
      down = modifiers & Qt::AltModifier;
      break;
    case VK_LBUTTON:
      down = buttons & Qt::LeftButton;
      break;
    case VK_RBUTTON:
      down = buttons & Qt::RightButton;
      break;
    case VK_MBUTTON:
      down = buttons & Qt::MiddleButton;
      break;
    default:
      break;
  }
  return down ? static_cast<int16_t>(-0x8000) : 0;
}

TShiftState GetShiftState() {
  if (QCoreApplication::instance() == nullptr) return 0;
  return ShiftStateFromQt(QGuiApplication::queryKeyboardModifiers(), QGuiApplication::mouseButtons());
}

TPoint GetCursorPos() {
  const QPoint p = QCursor::pos();
  return TPoint{p.x(), p.y()};
}

uint32_t GetTickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

uint32_t GetDoubleClickTime() {
  if (QCoreApplication::instance() != nullptr) {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
      return static_cast<uint32_t>(app->doubleClickInterval());
  }
  return 500;
}

std::function<void()>& MessageBeepSound() {
  static std::function<void()> sound = [] {
    if (QCoreApplication::instance() != nullptr && !TApplication::Headless()) QApplication::beep();
  };
  return sound;
}

void MessageBeep() {
  if (const std::function<void()>& sound = MessageBeepSound()) sound();
}
