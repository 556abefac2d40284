// The animation painter on a virtual clock: frame order, delays and their limits, loop counts,
// stopping and restarting, and painters and images that end in either order.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <thread>

#include "GIFPainterSupport.h"
#include "platform/graphics/Canvas.h"

using namespace giftest;

namespace {

constexpr uint16_t kSync = doAnimate | doTransparent;
constexpr uint16_t kAsync = doAsynchronous | doAnimate | doTransparent;

class GIFPainterTest : public ApplicationTest {
 protected:
  void SetUp() override {
    target.SetPixelFormat(pf32bit);
    target.SetSize(4, 4);
  }
  /// Three solid frames (red, green, blue) with the given delays and loop extension.
  void LoadFrames(const std::vector<uint16_t>& delays, int loops = -1, int loop_frame = 0) {
    std::vector<AnimFrame> frames;
    for (size_t i = 0; i < delays.size(); ++i)
      frames.push_back(AnimFrame{delays[i], 1, -1, Solid(4, 4, static_cast<uint8_t>(i % 3))});
    loaded = std::make_unique<Loaded>(BuildAnimation(4, 4, Palette4(), 3, frames, loops, loop_frame));
    recorder.Attach(image(), scope.Clock);
  }
  TGIFImage& image() { return loaded->image; }
  /// Runs an animation to its end: in the caller, or on a thread while this one serves it.
  void Play(uint16_t options) {
    TGIFPainter* returned = image().StartPainter(&painter, target.Canvas(), Rect(0, 0, 4, 4), options);
    if (returned == nullptr) return;
    returned->Start();
    ASSERT_TRUE(PumpUntil([&] { return painter == nullptr; }));
  }
  /// Stops the painter once `count` frames have started.
  void StopAfter(size_t count) {
    image().OnFrameEnd = [this, count](TObject* sender) {
      if (recorder.Frames.size() >= count) static_cast<TGIFPainter*>(sender)->Stop();
    };
  }

  VirtualClockScope scope;
  TBitmap target;
  std::unique_ptr<Loaded> loaded;
  EventRecorder recorder;
  TGIFPainter* painter = nullptr;
};

struct DelayCase {
  const char* name;
  uint16_t options;
  int32_t speed;
  std::vector<uint32_t> gaps;  // between the starts of frames 0-1, 1-2, 2-3
};

TEST_F(GIFPainterTest, WaitsEachFramesDelayWithinItsLimits) {
  // Delays in file units: 1 (below the minimum of 3), 0 (the default of 10), 1500 (above
  // the maximum of 1000, which only the synchronous painter applies), then 7.
  const DelayCase cases[] = {
      {"synchronous", kSync, 100, {36, 120, 12000}},
      {"asynchronous", kAsync, 100, {36, 120, 18000}},
      {"synchronous at double speed", kSync, 200, {18, 60, 6000}},
      {"asynchronous at half speed", kAsync, 50, {72, 240, 36000}},
  };
  for (const DelayCase& c : cases) {
    SCOPED_TRACE(c.name);
    recorder = EventRecorder{};
    LoadFrames({1, 0, 1500, 7});
    image().AnimationSpeed = c.speed;
    Play(c.options);
    EXPECT_EQ(recorder.Frames, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(recorder.Gaps(), c.gaps);
    EXPECT_EQ(recorder.Events, (std::vector<std::string>{"paint", "end"}));
    EXPECT_TRUE(recorder.AllOnGuiThread);
  }
}

TEST_F(GIFPainterTest, SynchronousPainterWaitsBeforeTheFirstFrameToo) {
  LoadFrames({5, 5});
  const uint32_t start = scope.Clock.Now;
  Play(kSync);
  ASSERT_EQ(recorder.Times.size(), 2u);
  EXPECT_EQ(recorder.Times[0] - start, 12u);
}

struct LoopCase {
  const char* name;
  uint16_t options;
  int loops;       // -1: no loop extension
  int loop_frame;  // the frame carrying it
  size_t stop_after;
  std::vector<int> frames;
};

TEST_F(GIFPainterTest, PlaysAsOftenAsTheLoopCountAndOptionsSay) {
  const LoopCase cases[] = {
      {"count 2 plays twice", kSync | doLoop, 2, 0, 99, {0, 1, 2, 0, 1, 2}},
      {"count 2 plays twice on a thread", kAsync | doLoop, 2, 0, 99, {0, 1, 2, 0, 1, 2}},
      {"no loop extension plays once", kSync | doLoop, -1, 0, 99, {0, 1, 2}},
      {"without doLoop the count is ignored", kSync, 2, 0, 99, {0, 1, 2}},
      {"without doAnimate only the first frame", doTransparent | doLoop, 2, 0, 99, {0}},
      {"endless count plays once in the caller", kSync | doLoop, 0, 0, 99, {0, 1, 2}},
      {"endless count repeats on a thread", kAsync | doLoop, 0, 0, 8, {0, 1, 2, 0, 1, 2, 0, 1}},
      {"loop forever ignores the count", kSync | doLoop | doLoopForever, 1, 0, 7, {0, 1, 2, 0, 1, 2, 0}},
      {"a later loop extension starts the loop there", kSync | doLoop, 2, 1, 99, {0, 1, 2, 1, 2}},
  };
  for (const LoopCase& c : cases) {
    SCOPED_TRACE(c.name);
    recorder = EventRecorder{};
    LoadFrames({2, 2, 2}, c.loops, c.loop_frame);
    StopAfter(c.stop_after);
    Play(c.options);
    EXPECT_EQ(recorder.Frames, c.frames);
  }
}

TEST_F(GIFPainterTest, LoopBeginIsReportedBeforeEveryRepeatedPass) {
  LoadFrames({2, 2}, 3);
  Play(kAsync | doLoop);
  EXPECT_EQ(recorder.Events, (std::vector<std::string>{"paint", "loop", "loop", "end"}));
}

TEST_F(GIFPainterTest, FrameEndHandlerChoosesTheNextFrame) {
  LoadFrames({2, 2, 2});
  image().OnFrameEnd = [](TObject* sender) {
    auto* p = static_cast<TGIFPainter*>(sender);
    if (p->FrameIndex() == 0) p->SetFrameIndex(2);
  };
  Play(kSync);
  EXPECT_EQ(recorder.Frames, (std::vector<int>{0, 2}));
}

TEST_F(GIFPainterTest, PausedPainterRestartsAndStopsOnRequest) {
  LoadFrames({2, 2, 2});
  image().AnimationSpeed = 0;  // holds after the first frame until woken
  TGIFPainter* p = image().StartPainter(&painter, target.Canvas(), Rect(0, 0, 4, 4), kAsync | doLoop);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(painter, p);
  p->Start();
  ASSERT_TRUE(PumpUntil([&] { return recorder.Frames.size() == 1; }));

  p->Restart();
  ASSERT_TRUE(PumpUntil([&] { return recorder.Frames.size() == 2; }));
  EXPECT_EQ(recorder.Frames, (std::vector<int>{0, 0}));

  p->Stop();
  ASSERT_TRUE(PumpUntil([&] { return painter == nullptr; }));
  // A stopped painter fires nothing more, not even the end of painting.
  EXPECT_EQ(recorder.Events, (std::vector<std::string>{"paint", "paint"}));
  EXPECT_EQ(image().Painter(), nullptr);
}

TEST_F(GIFPainterTest, SynchronousPainterServesOtherPaintersWhileItWaits) {
  // A painter on a thread waits in the queue for its first step; a synchronous painter then
  // runs in the GUI thread, which must not leave the other one stuck while it waits.
  LoadFrames({2, 2, 2});
  bool served_during_sync = false;
  bool sync_running = false;
  image().OnPaintBegin = [&](TObject*) { served_during_sync = sync_running; };
  image().StartPainter(&painter, target.Canvas(), Rect(0, 0, 4, 4), kAsync)->Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));

  Loaded other(
      BuildAnimation(4, 4, Palette4(), 3, {{500, 1, -1, Solid(4, 4, 0)}, {500, 1, -1, Solid(4, 4, 1)}}));
  other.image.OnPaintBegin = [&](TObject*) { sync_running = true; };
  TBitmap other_target;
  other_target.SetSize(4, 4);
  TGIFPainter* other_painter = nullptr;
  other.image.StartPainter(&other_painter, other_target.Canvas(), Rect(0, 0, 4, 4), kSync);
  sync_running = false;
  EXPECT_TRUE(served_during_sync);
  ASSERT_TRUE(PumpUntil([&] { return painter == nullptr; }));
}

TEST_F(GIFPainterTest, OneFrameImageIsDrawnOnceWithoutAThread) {
  loaded =
      std::make_unique<Loaded>(BuildAnimation(4, 4, Palette4(), 3, {AnimFrame{5, 1, -1, Solid(4, 4, 2)}}));
  recorder.Attach(image(), scope.Clock);
  EXPECT_EQ(image().StartPainter(&painter, target.Canvas(), Rect(0, 0, 4, 4), kGIFDefaultDrawOptions),
            nullptr);
  EXPECT_EQ(painter, nullptr);
  EXPECT_EQ(recorder.Frames, (std::vector<int>{0}));
  EXPECT_EQ(target.Canvas().Pixel(1, 1), TColor{0xFF0000});
}

TEST_F(GIFPainterTest, EmptyRectangleStartsNothing) {
  LoadFrames({2, 2});
  EXPECT_EQ(image().StartPainter(&painter, target.Canvas(), Rect(2, 2, 2, 4), kAsync), nullptr);
  EXPECT_EQ(painter, nullptr);
  EXPECT_TRUE(recorder.Events.empty());
}

TEST_F(GIFPainterTest, DrawingIntoABitmapShowsTheFirstFrameWithoutAPainter) {
  // Exports draw pictures into bitmaps: an animation there would never be seen.
  LoadFrames({2, 2, 2});
  image().DrawOptions = kGIFDefaultDrawOptions;
  target.Canvas().StretchDraw(Rect(0, 0, 4, 4), &image());
  EXPECT_EQ(image().Painter(), nullptr);
  EXPECT_TRUE(recorder.Events.empty());
  EXPECT_EQ(target.Canvas().Pixel(2, 2), TColor{0x0000FF});
}

TEST_F(GIFPainterTest, FreeingTheImageStopsAndJoinsItsRunningPainters) {
  LoadFrames({2, 2, 2});
  TGIFPainter* second = nullptr;
  image().StartPainter(&painter, target.Canvas(), Rect(0, 0, 4, 4), kAsync | doLoop | doLoopForever)->Start();
  TBitmap other;
  other.SetSize(8, 8);
  image().StartPainter(&second, other.Canvas(), Rect(0, 0, 8, 8), kAsync | doLoop | doLoopForever)->Start();
  ASSERT_TRUE(PumpUntil([&] { return recorder.Frames.size() >= 10; }));
  loaded.reset();
  EXPECT_EQ(painter, nullptr);
  EXPECT_EQ(second, nullptr);
}

TEST_F(GIFPainterTest, PainterWhoseHandlerFreesTheImageEndsWithoutIt) {
  for (const uint16_t options : {kSync, kAsync}) {
    SCOPED_TRACE(options);
    recorder = EventRecorder{};
    LoadFrames({2, 2, 2});
    image().OnFrameEnd = [this](TObject* sender) {
      if (recorder.Frames.size() == 2) {
        loaded.reset();
        // The painter goes on without its image, and draws nothing more.
        EXPECT_EQ(static_cast<TGIFPainter*>(sender)->Image(), nullptr);
      }
    };
    Play(options | doLoop | doLoopForever);
    EXPECT_EQ(recorder.Frames, (std::vector<int>{0, 1}));
    EXPECT_EQ(painter, nullptr);
  }
  ReapGIFPainters();
}

TEST_F(GIFPainterTest, ImageOutlivesAPainterThatEnded) {
  LoadFrames({2, 2});
  Play(kAsync);
  ReapGIFPainters();
  EXPECT_EQ(image().Painter(), nullptr);
  // The image still draws and animates again.
  recorder = EventRecorder{};
  recorder.Attach(image(), scope.Clock);
  Play(kAsync);
  EXPECT_EQ(recorder.Frames, (std::vector<int>{0, 1}));
}

TEST_F(GIFPainterTest, ClearingOrOptimisingTheImageStopsItsPaintersFirst) {
  for (const bool optimise : {false, true}) {
    SCOPED_TRACE(optimise ? "optimising" : "clearing");
    LoadFrames({2, 2, 2});
    image()
        .StartPainter(&painter, target.Canvas(), Rect(0, 0, 4, 4), kAsync | doLoop | doLoopForever)
        ->Start();
    ASSERT_TRUE(PumpUntil([&] { return painter != nullptr && painter->Started(); }));
    if (optimise)
      image().Optimize(ooCrop | ooMerge | ooCleanup | ooColorMap, 0, 0, 8);
    else
      image().Clear();
    EXPECT_EQ(painter, nullptr);
    EXPECT_EQ(image().Empty(), !optimise);
  }
}

TEST_F(GIFPainterTest, ErrorInsideTheAnimationEndsThePainterAndReachesSomeone) {
  LoadFrames({2, 2, 2});
  image().OnFrameBegin = [](TObject*) { throw GIFException("broken frame"); };
  // In the caller the error passes to the caller, after the painter has ended.
  EXPECT_THROW(image().StartPainter(&painter, target.Canvas(), Rect(0, 0, 4, 4), kSync), GIFException);
  EXPECT_EQ(painter, nullptr);
  EXPECT_EQ(image().Painter(), nullptr);

  // On a thread it reaches the application, as any error that nobody handles.
  std::vector<std::string> reported;
  Application->OnException = [&](TObject*, const std::exception& error) { reported.push_back(error.what()); };
  Play(kAsync);
  Application->OnException = nullptr;
  EXPECT_EQ(reported, (std::vector<std::string>{"broken frame"}));
  EXPECT_EQ(painter, nullptr);
}

TEST_F(GIFPainterTest, CanvasWithoutTargetEndsAValidatingPainter) {
  LoadFrames({2, 2, 2});
  TCanvas nowhere;
  image().StartPainter(&painter, nowhere, Rect(0, 0, 4, 4),
                       kSync | doLoop | doLoopForever | doValidateCanvas);
  EXPECT_EQ(recorder.Frames, (std::vector<int>{0}));
  EXPECT_EQ(painter, nullptr);
}

// A new buffer may lie where the freed one lay: the painter knows its buffer by its number.
TEST_F(GIFPainterTest, APainterOnTheImagesBufferEndsWhenTheBufferIsReplaced) {
  LoadFrames({2, 2, 2});
  image()
      .StartPainter(&painter, image().Bitmap()->Canvas(), Rect(0, 0, 4, 4),
                    kAsync | doLoop | doLoopForever | doValidateCanvas)
      ->Start();
  ASSERT_TRUE(PumpUntil([&] { return recorder.Frames.size() >= 2; }));
  image().SetWidth(5);
  image().SetWidth(4);
  image().Bitmap();
  EXPECT_TRUE(PumpUntil([&] { return painter == nullptr; }));
  if (painter != nullptr) image().Clear();
}

/// The niceness of the thread `threadId`.
int NicenessOf(int threadId) {
  return getpriority(PRIO_PROCESS, static_cast<id_t>(threadId));
}

/// Whether this process may raise a thread's priority again once it was lowered.
bool MayRaisePriority() {
  bool raised = false;
  std::thread([&] {
    ApplyThreadPriority(CurrentThreadId(), tpLower);
    raised = ApplyThreadPriority(CurrentThreadId(), tpNormal);
  }).join();
  return raised;
}

TEST_F(GIFPainterTest, PainterThreadRunsAtTheImagesPriorityAndFollowsChanges) {
  const int own = NicenessOf(CurrentThreadId());
  if (own != 0) GTEST_SKIP() << "the tests run at a niceness other than normal";
  LoadFrames({2, 2}, 0);
  image().ThreadPriority = tpLower;
  TGIFPainter* running = image().StartPainter(&painter, target.Canvas(), Rect(0, 0, 4, 4), kAsync | doLoop);
  ASSERT_NE(running, nullptr);
  EXPECT_EQ(running->ThreadID(), 0);
  running->Start();
  ASSERT_TRUE(PumpUntil([&] { return running->ThreadID() != 0; }));
  // The thread cannot end before this thread serves its last step, so its id stays its own.
  EXPECT_EQ(NicenessOf(running->ThreadID()), 5);
  EXPECT_EQ(NicenessOf(CurrentThreadId()), own);

  running->SetPriority(tpIdle);
  EXPECT_EQ(NicenessOf(running->ThreadID()), 19);
  // Stopping asks for the normal priority, which only a privileged process gets back.
  running->Stop();
  EXPECT_EQ(running->Priority(), tpNormal);
  EXPECT_EQ(NicenessOf(running->ThreadID()), MayRaisePriority() ? 0 : 19);
  ASSERT_TRUE(PumpUntil([&] { return painter == nullptr; }));
}

TEST_F(GIFPainterTest, PriorityAboveNormalIsKeptWhereTheSystemRefusesIt) {
  if (NicenessOf(CurrentThreadId()) != 0) GTEST_SKIP() << "the tests run at a niceness other than normal";
  LoadFrames({2, 2}, 0);
  image().ThreadPriority = tpHighest;
  TGIFPainter* running = image().StartPainter(&painter, target.Canvas(), Rect(0, 0, 4, 4), kAsync | doLoop);
  ASSERT_NE(running, nullptr);
  running->Start();
  ASSERT_TRUE(PumpUntil([&] { return running->ThreadID() != 0; }));
  EXPECT_EQ(running->Priority(), tpHighest);
  const int niceness = NicenessOf(running->ThreadID());
  EXPECT_EQ(niceness == -10, MayRaisePriority());
  EXPECT_LE(niceness, 0);
  running->Stop();
  ASSERT_TRUE(PumpUntil([&] { return painter == nullptr; }));
}

}  // namespace

namespace {

TEST(GIFPainterWithoutApplication, PainterEndsWhenTheApplicationGoesAway) {
  // Closing the program while an animation runs: the painter's steps can no longer be
  // handed over, so it ends by itself and its image can still be freed.
  ASSERT_EQ(Application, nullptr);
  VirtualClockScope scope;
  auto app = std::make_unique<TApplication>();
  auto loaded = std::make_unique<Loaded>(
      BuildAnimation(4, 4, Palette4(), 3, {{2, 1, -1, Solid(4, 4, 0)}, {2, 1, -1, Solid(4, 4, 1)}}, 0));
  TBitmap target;
  target.SetSize(4, 4);
  TGIFPainter* painter = nullptr;
  loaded->image.StartPainter(&painter, target.Canvas(), Rect(0, 0, 4, 4), kAsync | doLoop)->Start();
  ASSERT_TRUE(PumpUntil([&] { return scope.Clock.Now > 1100; }));
  app.reset();
  loaded.reset();
  EXPECT_EQ(painter, nullptr);
}

}  // namespace
