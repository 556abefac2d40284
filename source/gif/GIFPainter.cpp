// The painter keeps its thread away from everything shared: the thread only counts time and
// waits, and each step that reads the image, draws or fires an event runs on the GUI thread
// through the synchronise queue. A painter that ends hands itself to a list of ended painters,
// whose threads are joined by the next image operation that starts or stops painters (and
// always before the image they painted goes away).
#include "gif/GIFPainter.h"

#include <algorithm>
#include <chrono>

#include "gif/GIFImage.h"
#include "platform/core/Colors.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/SystemColors.h"
#include "platform/gui/Application.h"
#include "platform/gui/Synchronize.h"

namespace {

constexpr TColor kNoColor = MakeColor(0x1FFFFFFF);
/// What a synchronous painter with a speed of 0 or below waits between frames (ms).
constexpr int64_t kStalledWait = 12000;

class TSystemClock : public TGIFClock {
 public:
  uint32_t Milliseconds() override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }
  void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  bool WaitFor(TGIFEvent& event, uint32_t ms) override { return event.Wait(ms); }
};

std::atomic<TGIFClock*> installedClock{nullptr};

/// The painters whose steps are running on this thread's stack (nested calls included): the
/// image cannot wait for them to end, since they wait for this very stack to return.
thread_local std::vector<const TGIFPainter*> runningSteps;

struct TEndedPainters {
  std::mutex Mutex;
  std::vector<std::unique_ptr<TGIFPainter>> Items;
};

TEndedPainters& EndedPainters() {
  static TEndedPainters ended;
  return ended;
}

}  // namespace

// ---------------------------------------------------------------------------------------

void TGIFEvent::Set() {
  const std::lock_guard lock(mutex_);
  set_ = true;
  signalled_.notify_one();
}

bool TGIFEvent::Wait(uint32_t ms) {
  std::unique_lock lock(mutex_);
  const auto isSet = [this] { return set_; };
  if (ms == kGIFWaitForever)
    signalled_.wait(lock, isSet);
  else if (!signalled_.wait_for(lock, std::chrono::milliseconds(ms), isSet))
    return false;
  set_ = false;
  return true;
}

bool TGIFEvent::TryWait() {
  const std::lock_guard lock(mutex_);
  const bool wasSet = set_;
  set_ = false;
  return wasSet;
}

void SetGIFClock(TGIFClock* clock) {
  installedClock = clock;
}

TGIFClock& GIFClock() {
  static TSystemClock systemClock;
  TGIFClock* clock = installedClock;
  return clock ? *clock : systemClock;
}

void ReapGIFPainters(const TGIFImage* image) {
  std::vector<std::unique_ptr<TGIFPainter>> done;
  {
    TEndedPainters& ended = EndedPainters();
    const std::lock_guard lock(ended.Mutex);
    auto& items = ended.Items;
    for (auto it = items.begin(); it != items.end();) {
      const TGIFPainter& painter = **it;
      const bool ours = image != nullptr && painter.origin_ == image && !painter.orphaned_;
      if (painter.finished_ || ours) {
        done.push_back(std::move(*it));
        it = items.erase(it);
      } else {
        ++it;
      }
    }
  }
  // Every painter here is past its last step, so joining its thread waits for no one.
  done.clear();
}

// ---------------------------------------------------------------------------------------

struct TGIFPainter::FrameFacts {
  uint16_t Delay = 0;    // from the graphic control extension, 0 when none
  uint8_t Disposal = 1;  // disposal method of the frame
  bool HasLoop = false;  // the frame carries a loop extension
  uint16_t Loops = 0;    // its count, 0 = endless
};

TGIFPainter::TGIFPainter(TGIFImage* image, TCanvas* canvas, const TRect& rect, uint16_t options,
                         TGIFPainter** ownerVariable)
    : image_(image),
      origin_(image),
      list_(image->painters_),
      canvas_(canvas),
      rect_(rect),
      options_(options),
      speed_(image->AnimationSpeed),
      asynchronous_(options & doAsynchronous),
      on_image_buffer_(image->bitmap_ && canvas == &image->bitmap_->Canvas()),
      image_buffer_serial_(image->bitmap_.Serial()),
      owner_variable_(ownerVariable),
      clock_(GIFClock()) {
  if (owner_variable_) *owner_variable_ = this;

  if (image->BackgroundColor != kNoColor)
    background_color_ = ColorToRGB(image->BackgroundColor);
  else if (image->Header().ColorMap().Count() == 0)
    background_color_ = ColorToRGB(clWindow);
  else
    background_color_ = image->Header().BackgroundColor();

  bool restoresBackground = options & doClearOnLoop;
  bool restoresPrevious = false;
  for (int i = 0; i < image->Count(); ++i)
    if (const TGIFGraphicControlExtension* control = image->Images(i).GraphicControlExtension()) {
      restoresBackground |= control->Disposal() == dmBackground;
      restoresPrevious |= control->Disposal() == dmPrevious;
    }
  const TRect whole = Bounds(0, 0, rect.Width(), rect.Height());
  const auto copyOfCanvas = [&] {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(rect.Width(), rect.Height());
    bitmap->Canvas().Brush().SetColor(background_color_);
    bitmap->Canvas().CopyRect(whole, *canvas, rect);
    return bitmap;
  };
  if (restoresBackground && (options & doTransparent)) background_ = copyOfCanvas();
  if (restoresBackground || restoresPrevious) {
    composed_ = copyOfCanvas();
    work_ = copyOfCanvas();
  }
}

TGIFPainter::~TGIFPainter() {
  if (thread_.joinable()) thread_.join();
}

void TGIFPainter::Start() {
  if (!asynchronous_ || thread_started_) return;
  thread_started_ = true;
  thread_ = std::thread([this] { Run(); });
}

void TGIFPainter::Stop() {
  terminated_ = true;
  if (!asynchronous_) return;
  // A painter at a low priority would end late, and hold up those who wait for it.
  SetPriority(tpNormal);
  event_.Set();
  Start();
}

uint8_t TGIFPainter::Priority() const {
  const std::lock_guard lock(priority_mutex_);
  return priority_;
}

void TGIFPainter::SetPriority(uint8_t priority) {
  const std::lock_guard lock(priority_mutex_);
  priority_ = priority;
  if (thread_id_ != 0) ApplyThreadPriority(thread_id_, priority_);
}

int TGIFPainter::ThreadID() const {
  const std::lock_guard lock(priority_mutex_);
  return thread_id_;
}

void TGIFPainter::Restart() {
  restart_ = true;
  event_.Set();
}

bool TGIFPainter::StepRunningHere() const {
  return std::find(runningSteps.begin(), runningSteps.end(), this) != runningSteps.end();
}

bool TGIFPainter::OnGui(const std::function<void()>& step) {
  if (!asynchronous_) {
    step();
    return true;
  }
  const auto marked = [this, &step] {
    runningSteps.push_back(this);
    struct Unmark {
      ~Unmark() { runningSteps.pop_back(); }
    } unmark;
    step();
  };
  if (Synchronize(marked)) return true;
  // No GUI thread is left to draw on: the animation cannot go on.
  terminated_ = true;
  return false;
}

void TGIFPainter::Fire(const TNotifyEvent& event) {
  if (terminated_) return;
  OnGui([this, &event] {
    if (event && !terminated_) event(this);
  });
}

void TGIFPainter::Run() {
  {
    // A new thread has its creator's niceness; it takes its own before its first step.
    const std::lock_guard lock(priority_mutex_);
    thread_id_ = CurrentThreadId();
    ApplyThreadPriority(thread_id_, priority_);
  }
  try {
    Execute();
  } catch (...) {
    error_ = std::current_exception();
    terminated_ = true;
  }
  if (!Synchronize([this] { PainterTerminated(); })) PainterTerminated();
  {
    // The id may go to another thread once this one has ended.
    const std::lock_guard lock(priority_mutex_);
    thread_id_ = 0;
  }
  finished_ = true;  // the last touch: from here on the painter may be joined and freed
}

void TGIFPainter::Execute() {
  restart_ = true;
  while (restart_ && !terminated_) {
    // A wake-up that asked for this start is used up; left set, it would cut a delay short.
    event_.TryWait();
    frame_index_ = 0;
    Fire(OnPaintBegin);
    started_ = false;
    restart_ = false;
    int64_t loops = 1;
    int32_t loopStart = 0;
    bool loopSeen = false;
    uint32_t delay = asynchronous_ ? 0 : 1;
    previous_disposal_ = 1;
    previous_time_ = clock_.Milliseconds();
    carried_lag_ = 0;
    for (;;) {
      if ((loops == 0 && !(options_ & doLoopForever)) || terminated_ || restart_) break;
      frame_index_ = loopStart;
      if (started_) Fire(OnLoopBegin);
      bool shownAny = false;
      while (!terminated_ && !restart_) {
        FrameFacts facts;
        bool present = false;
        if (!OnGui([&] { present = ReadFrame(frame_index_, facts); }) || !present) break;
        if (delay > 0)
          WaitBeforeFrame(delay);
        else
          std::this_thread::yield();
        if (terminated_ || restart_) break;
        Fire(OnFrameBegin);
        disposal_ = facts.Disposal;
        if (facts.HasLoop && !loopSeen) {
          loopSeen = true;
          loops = facts.Loops;
          loopStart = frame_index_;
          if (asynchronous_ && (loops == 0 || (options_ & doLoopForever))) loops = -1;
        }
        if (!OnGui([this] { PaintFrame(); })) break;
        shownAny = true;
        previous_disposal_ = disposal_;
        if (terminated_) break;
        delay = kGIFDefaultDelay;
        if (facts.Delay != 0) {
          delay = std::max<uint32_t>(facts.Delay, kGIFMinimumDelay);
          if (!asynchronous_) delay = std::min(delay, kGIFMaximumDelay);
        }
        int32_t shown = frame_index_;
        Fire(OnFrameEnd);
        if (terminated_) break;
        // A handler that chose the next frame itself is obeyed.
        frame_index_.compare_exchange_strong(shown, shown + 1);
        if (!(options_ & doAnimate)) break;
      }
      if (loops > 0) --loops;
      // A pass that found no frame to show would only spin.
      if (!shownAny || !((options_ & doAnimate) && (options_ & doLoop))) break;
    }
  }
  frame_index_ = -1;
  Fire(OnPaintEnd);
}

bool TGIFPainter::ReadFrame(int32_t index, FrameFacts& facts) {
  if (image_ == nullptr || index < 0 || index >= image_->Count()) return false;
  TGIFSubImage& frame = image_->Images(index);
  if (frame.Empty()) return false;
  // Looking for transparent pixels before the wait keeps that out of the frame's delay.
  frame.HasMask();
  if (const TGIFGraphicControlExtension* control = frame.GraphicControlExtension()) {
    facts.Delay = control->Delay();
    facts.Disposal = control->Disposal();
  }
  for (const auto& extension : frame.Extensions())
    if (const auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(extension.get())) {
      facts.HasLoop = true;
      facts.Loops = loop->Loops;
      break;
    }
  return true;
}

void TGIFPainter::WaitBeforeFrame(uint32_t delay) {
  const uint32_t now = clock_.Milliseconds();
  int64_t wait = 0;
  if (speed_ > 0) {
    // Half of what the last frame ran over its time is taken off this one.
    const int64_t lag = (int64_t{static_cast<uint32_t>(now - previous_time_)} - carried_lag_) / 2;
    wait = (int64_t{delay} * kGIFDelayUnit - lag) * 100 / speed_;
    carried_lag_ = wait;
  } else {
    wait = asynchronous_ ? int64_t{kGIFWaitForever} : kStalledWait;
  }
  previous_time_ = now;

  if (asynchronous_) {
    // A speed of 0 (or below) holds the animation until the painter is stopped or restarted.
    const uint32_t limit =
        speed_ <= 0 ? kGIFWaitForever : static_cast<uint32_t>(std::min<int64_t>(wait, kGIFWaitForever - 1));
    if (speed_ > 0 && wait <= 0) return;
    if (clock_.WaitFor(event_, limit)) {
      carried_lag_ = 0;
      previous_time_ = clock_.Milliseconds();
    }
    return;
  }
  wait = std::max<int64_t>(wait, 1);
  while (wait > 0 && !terminated_ && !restart_) {
    const auto slice = static_cast<uint32_t>(std::min<int64_t>(wait, kGIFWaitSlice));
    const uint32_t before = clock_.Milliseconds();
    clock_.Sleep(slice);
    wait -= std::max<int64_t>(static_cast<uint32_t>(clock_.Milliseconds() - before), 1);
    PumpMessages();
  }
}

void TGIFPainter::PumpMessages() {
  if (Application == nullptr || !IsGuiThread()) return;
  Application->ProcessMessages();
  CheckSynchronize();
  if (Application != nullptr && Application->Terminated()) terminated_ = true;
}

bool TGIFPainter::CanvasUsable() const {
  if (image_ == nullptr || canvas_ == nullptr || terminated_) return false;
  if (on_image_buffer_ && image_->bitmap_.Serial() != image_buffer_serial_) return false;
  return !(options_ & doValidateCanvas) || canvas_->HasTarget();
}

void TGIFPainter::PaintFrame() {
  if (!CanvasUsable()) {
    if (options_ & doValidateCanvas) terminated_ = true;
    return;
  }
  if (composed_)
    PaintFrameBuffered();
  else
    PaintFrameDirect();
}

void TGIFPainter::PaintFrameDirect() {
  const int32_t index = frame_index_;
  if (index < 0 || index >= image_->Count()) return;
  image_->Images(index).Draw(*canvas_, rect_, image_->ScreenSize(), options_ & doTransparent,
                             options_ & doTile);
  started_ = true;
}

void TGIFPainter::PaintFrameBuffered() {
  const int32_t index = frame_index_;
  if (index < 0 || index >= image_->Count()) return;
  TGIFSubImage& frame = image_->Images(index);
  const TRect whole = Bounds(0, 0, rect_.Width(), rect_.Height());
  const bool clearDue = (options_ & doClearOnLoop) && index == 0;

  // Restoring to the previous picture needs the picture before this frame kept: when the
  // buffer already holds it, the frame goes straight to the canvas; when the last frame's
  // disposal changed the buffer since, the frame is drawn on a copy of it.
  TCanvas* target = &composed_->Canvas();
  TRect targetRect = whole;
  bool copyToCanvas = true;
  if (disposal_ == dmPrevious) {
    if (previous_disposal_ == dmBackground || previous_disposal_ == dmPrevious) {
      work_->Canvas().CopyRect(whole, composed_->Canvas(), whole);
      target = &work_->Canvas();
    } else {
      target = canvas_;
      targetRect = rect_;
      copyToCanvas = false;
    }
  }
  if (clearDue) {
    RestoreBackground(composed_->Canvas(), whole);
    if (target != &composed_->Canvas()) RestoreBackground(*target, targetRect);
  }
  frame.Draw(*target, targetRect, image_->ScreenSize(), options_ & doTransparent, options_ & doTile);
  if (copyToCanvas) canvas_->CopyRect(rect_, *target, whole);
  if (disposal_ == dmBackground) RestoreFrameArea();
  started_ = true;
}

void TGIFPainter::RestoreBackground(TCanvas& target, const TRect& area) {
  if ((options_ & doTransparent) && background_) {
    const TRect source = Bounds(area.Left - (&target == canvas_ ? rect_.Left : 0),
                                area.Top - (&target == canvas_ ? rect_.Top : 0), area.Width(), area.Height());
    target.CopyRect(area, background_->Canvas(), source);
    return;
  }
  target.Brush().SetColor(background_color_);
  target.Brush().SetStyle(bsSolid);
  target.FillRect(area);
}

void TGIFPainter::RestoreFrameArea() {
  const TGIFSubImage& frame = image_->Images(frame_index_);
  const TSize screen = image_->ScreenSize();
  const TRect whole = Bounds(0, 0, rect_.Width(), rect_.Height());
  if (!(options_ & doTile)) {
    RestoreBackground(composed_->Canvas(), frame.TargetRect(whole, screen));
    return;
  }
  if (screen.cx <= 0 || screen.cy <= 0) return;
  for (int64_t y = frame.Top(); y < whole.Bottom; y += screen.cy)
    for (int64_t x = frame.Left(); x < whole.Right; x += screen.cx)
      RestoreBackground(composed_->Canvas(), Bounds(static_cast<int32_t>(x), static_cast<int32_t>(y),
                                                    frame.Width(), frame.Height()));
}

void TGIFPainter::PainterTerminated() {
  {
    const std::lock_guard lock(list_->Lock);
    if (owner_variable_ && *owner_variable_ == this) *owner_variable_ = nullptr;
    std::erase(list_->Items, this);
    image_ = nullptr;
    composed_.reset();
    work_.reset();
    background_.reset();
  }
  if (error_ && asynchronous_ && Application != nullptr && IsGuiThread()) {
    // An animation that failed says why, as any error that reaches the application does.
    try {
      std::rethrow_exception(error_);
    } catch (...) {
      Application->HandleException(this);
    }
  }
  if (!asynchronous_) return;
  TEndedPainters& ended = EndedPainters();
  const std::lock_guard lock(ended.Mutex);
  ended.Items.emplace_back(this);
}
