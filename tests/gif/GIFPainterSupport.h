// Shared pieces of the animation tests: a virtual clock that moves only when the painter
// waits, an application object for the synchronise queue, a recorder of the paint events and
// a builder of animated GIF files.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "GIFTestSupport.h"
#include "common/units/ApplicationFixture.h"
#include "gif/GIFPainter.h"
#include "platform/gui/Application.h"
#include "platform/gui/Synchronize.h"

namespace giftest {

/// Time that passes only when a painter sleeps or waits out a timeout, so that every delay
/// is exact. A wait without limit really blocks until the painter is woken.
class VirtualClock : public TGIFClock {
 public:
  std::atomic<uint32_t> Now{1000};
  uint32_t Milliseconds() override { return Now; }
  void Sleep(uint32_t ms) override { Now += ms; }
  bool WaitFor(TGIFEvent& event, uint32_t ms) override {
    if (event.TryWait()) return true;
    if (ms == kGIFWaitForever) return event.Wait(ms);
    Now += ms;
    return false;
  }
};

/// Installs a virtual clock for the life of the object.
struct VirtualClockScope {
  VirtualClock Clock;
  VirtualClockScope() { SetGIFClock(&Clock); }
  ~VirtualClockScope() { SetGIFClock(nullptr); }
};

/// Runs queued calls on this (the GUI) thread until `done` or ten seconds of real time.
inline bool PumpUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    if (!CheckSynchronize()) std::this_thread::yield();
  }
  return true;
}

/// What the paint events of an image report, and on which thread they ran.
struct EventRecorder {
  std::vector<std::string> Events;  // "paint", "loop", "end"
  std::vector<int> Frames;          // the frame index at each OnFrameBegin
  std::vector<uint32_t> Times;      // the clock at each OnFrameBegin
  bool AllOnGuiThread = true;

  void Attach(TGIFImage& image, TGIFClock& clock) {
    const auto note = [this](const char* what) {
      return [this, what](TObject*) {
        AllOnGuiThread = AllOnGuiThread && IsGuiThread();
        Events.push_back(what);
      };
    };
    image.OnPaintBegin = note("paint");
    image.OnLoopBegin = note("loop");
    image.OnPaintEnd = note("end");
    image.OnFrameBegin = [this, &clock](TObject* sender) {
      AllOnGuiThread = AllOnGuiThread && IsGuiThread();
      Frames.push_back(static_cast<TGIFPainter*>(sender)->FrameIndex());
      Times.push_back(clock.Milliseconds());
    };
  }
  /// Time between one frame's start and the next one's.
  std::vector<uint32_t> Gaps() const {
    std::vector<uint32_t> gaps;
    for (size_t i = 1; i < Times.size(); ++i) gaps.push_back(Times[i] - Times[i - 1]);
    return gaps;
  }
};

struct AnimFrame {
  uint16_t Delay = 0;
  uint8_t Disposal = 1;
  int Transparent = -1;  // transparent index, -1 for none
  FrameSpec Pixels;
};

/// An animated GIF of 89a with a global table, an optional loop extension before frame
/// `loop_frame` and one graphic control extension per frame.
inline Bytes BuildAnimation(int width, int height, const std::vector<RGB>& palette, uint8_t background,
                            const std::vector<AnimFrame>& frames, int loops = -1, int loop_frame = 0) {
  GifBuilder b;
  b.Header("89a", width, height, palette, background);
  for (size_t i = 0; i < frames.size(); ++i) {
    if (loops >= 0 && static_cast<int>(i) == loop_frame)
      b.Extension(0xFF, {11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'},
                  {1, static_cast<uint8_t>(loops), static_cast<uint8_t>(loops >> 8)});
    const AnimFrame& f = frames[i];
    b.GraphicControl(f.Disposal, f.Transparent >= 0, static_cast<uint8_t>(std::max(f.Transparent, 0)),
                     f.Delay);
    b.Frame(f.Pixels);
  }
  b.Trailer();
  return b.bytes;
}

/// A whole-screen frame of one colour index.
inline FrameSpec Solid(int width, int height, uint8_t index) {
  return FrameSpec{0, 0, width, height, Bytes(static_cast<size_t>(width * height), index), {}, false, 2};
}

}  // namespace giftest
