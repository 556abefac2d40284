// TGIFPainter: plays the frames of an animated GIF on a canvas, each for its delay, with its
// disposal method and the loop count of the loop extension. An asynchronous painter waits on a
// thread of its own and hands every step that reads the image, draws or fires an event to the
// GUI thread through the synchronise queue; a synchronous one runs inside its caller and keeps
// the application responsive while it waits. Time comes from a replaceable clock.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/ThreadPriority.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/GraphicsTypes.h"

class TCanvas;
class TGIFImage;
class TGIFPainter;

/// Joins and frees the asynchronous painters whose threads have ended; with `image`, also
/// waits for the ended painters of that image whose threads are still leaving.
void ReapGIFPainters(const TGIFImage* image = nullptr);

// Delays are counted in units of 12 ms (the file's unit is 10 ms).
constexpr uint32_t kGIFDelayUnit = 12;
constexpr uint32_t kGIFDefaultDelay = 10;
constexpr uint32_t kGIFMinimumDelay = 3;
constexpr uint32_t kGIFMaximumDelay = 1000;
/// A synchronous painter handles messages at least this often (milliseconds).
constexpr uint32_t kGIFWaitSlice = 100;
constexpr uint32_t kGIFWaitForever = 0xFFFFFFFF;

/// An auto-reset event: one Set releases one Wait.
class TGIFEvent {
 public:
  void Set();
  /// Waits until the event is set (and resets it) or `ms` have passed; true when it was set.
  bool Wait(uint32_t ms);
  /// Resets the event and answers whether it was set, without waiting.
  bool TryWait();

 private:
  std::mutex mutex_;
  std::condition_variable signalled_;
  bool set_ = false;
};

/// The time painters see: a millisecond counter and the two ways of waiting.
class TGIFClock {
 public:
  virtual ~TGIFClock() = default;
  virtual uint32_t Milliseconds() = 0;
  virtual void Sleep(uint32_t ms) = 0;
  /// Waits on `event` for at most `ms` (kGIFWaitForever: no limit); true when it was set.
  virtual bool WaitFor(TGIFEvent& event, uint32_t ms) = 0;
};

/// The clock that painters created from now on use; nullptr restores the steady system clock.
void SetGIFClock(TGIFClock* clock);
TGIFClock& GIFClock();

/// The painters of one image. The image and its painters share it, so that a painter that
/// outlives its image still has the lock; the lock also guards the image's own painter
/// variable (`Own`) and every painter's owner variable.
struct TGIFPainterList {
  std::recursive_mutex Lock;
  std::vector<TGIFPainter*> Items;
  TGIFPainter* Own = nullptr;
  bool ImageAlive = true;
};

class TGIFPainter : public TObject {
 public:
  /// Made on the GUI thread by TGIFImage::StartPainter, which is the way to start one.
  TGIFPainter(TGIFImage* image, TCanvas* canvas, const TRect& rect, uint16_t options,
              TGIFPainter** ownerVariable);
  ~TGIFPainter() override;
  std::string ClassName() const override { return "TGIFPainter"; }

  /// Lets an asynchronous painter's thread run.
  void Start();
  /// Ends the animation at the next step; wakes a waiting painter.
  void Stop();
  /// Starts the animation over at the first frame; wakes a waiting painter.
  void Restart();
  /// The priority (a TThreadPriority) of an asynchronous painter's thread. A change applies
  /// at once to a running thread, else when it starts; it is kept even when the system does
  /// not allow that high a priority.
  uint8_t Priority() const;
  void SetPriority(uint8_t priority);
  /// The kernel's id of the painter's thread while it runs, else 0.
  int ThreadID() const;

  /// The image shown; nullptr once the image was freed. GUI thread only.
  TGIFImage* Image() const { return image_; }
  TCanvas* Canvas() const { return canvas_; }
  const TRect& Rect() const { return rect_; }
  uint16_t DrawOptions() const { return options_; }
  int32_t AnimationSpeed() const { return speed_; }
  /// The frame being shown, -1 when idle. An OnFrameEnd handler may set the next one.
  int32_t FrameIndex() const { return frame_index_; }
  void SetFrameIndex(int32_t index) { frame_index_ = index; }
  uint8_t Disposal() const { return disposal_; }
  bool Started() const { return started_; }
  bool Terminated() const { return terminated_; }
  bool Asynchronous() const { return asynchronous_; }

  TNotifyEvent OnPaintBegin, OnFrameBegin, OnFrameEnd, OnLoopBegin, OnPaintEnd;

 private:
  friend class TGIFImage;
  friend void ReapGIFPainters(const TGIFImage* image);
  struct FrameFacts;

  void Execute();
  /// The thread's body: the animation, then the end on the GUI thread.
  void Run();
  /// Runs `step` where the image and the canvas may be touched: on the GUI thread through
  /// the synchronise queue, or at once in synchronous mode. False when it could not run.
  bool OnGui(const std::function<void()>& step);
  void Fire(const TNotifyEvent& event);
  bool ReadFrame(int32_t index, FrameFacts& facts);
  void WaitBeforeFrame(uint32_t delay);
  void PaintFrame();
  void PaintFrameDirect();
  void PaintFrameBuffered();
  /// Whether the canvas may still be drawn on (the image's buffer still exists, and with
  /// doValidateCanvas the canvas still has a target).
  bool CanvasUsable() const;
  void RestoreBackground(TCanvas& target, const TRect& area);
  void RestoreFrameArea();
  /// Clears the owner variable, leaves the image's list, forgets the image and frees the
  /// buffers. GUI thread (or any thread once no GUI thread is left).
  void PainterTerminated();
  /// Handles pending messages in synchronous mode; a quitting application ends the painter.
  void PumpMessages();
  /// Whether one of this painter's steps is running on the calling thread's stack.
  bool StepRunningHere() const;

  TGIFImage* image_;
  const TGIFImage* origin_;  // the image painted, kept for joining (never dereferenced)
  std::shared_ptr<TGIFPainterList> list_;
  TCanvas* canvas_;
  TRect rect_;
  uint16_t options_;
  int32_t speed_;
  bool asynchronous_;
  bool on_image_buffer_;          // the canvas is the image's buffer's
  uint64_t image_buffer_serial_;  // that buffer's number: another number means it was freed
  TGIFPainter** owner_variable_;
  TGIFClock& clock_;
  std::atomic<int32_t> frame_index_{-1};
  uint8_t disposal_ = 1;
  uint8_t previous_disposal_ = 1;
  TColor background_color_ = 0;
  std::unique_ptr<TBitmap> composed_;
  std::unique_ptr<TBitmap> work_;
  std::unique_ptr<TBitmap> background_;
  std::atomic<bool> restart_{false};
  std::atomic<bool> started_{false};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  uint32_t previous_time_ = 0;
  int64_t carried_lag_ = 0;
  TGIFEvent event_;
  std::thread thread_;
  bool thread_started_ = false;
  mutable std::mutex priority_mutex_;  // orders the thread's start and end with changes
  uint8_t priority_ = tpNormal;
  int thread_id_ = 0;
  bool orphaned_ = false;  // left its image while one of its own calls was running
  std::exception_ptr error_;
};
