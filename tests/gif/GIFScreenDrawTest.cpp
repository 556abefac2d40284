// An animated GIF drawn in a window: the image starts its own painter, which paints into the
// image's buffer on its thread's behalf while repaints show the buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "GIFPainterSupport.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ScreenCanvas.h"
#include "platform/gui/CustomControl.h"
#include "platform/gui/Forms.h"

using namespace giftest;

namespace {

/// Draws its picture over the client area, as a picture in a document would.
class TPictureControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  TGIFImage* Picture = nullptr;
  bool Buffered = false;
  int Painted = 0;
  std::set<TColor> Shown;  // what the buffer showed

 protected:
  void Paint() override {
    ++Painted;
    if (Picture == nullptr) return;
    if (!Buffered) return Canvas().StretchDraw(ClientRect(), Picture);
    TBitmap buffer;  // painted through, as the document viewer paints
    buffer.SetSize(ClientWidth(), ClientHeight());
    const TScreenBuffer shown(buffer.Canvas(), Canvas());
    buffer.Canvas().StretchDraw(ClientRect(), Picture);
    Shown.insert(buffer.Canvas().Pixel(1, 1));
    Canvas().Draw(0, 0, &buffer);
  }
};

class GIFScreenDrawTest : public ApplicationTest {
 protected:
  void SetUp() override {
    std::vector<AnimFrame> frames;
    for (uint8_t i = 0; i < 3; ++i) frames.push_back(AnimFrame{4, 1, -1, Solid(4, 4, i)});
    loaded = std::make_unique<Loaded>(BuildAnimation(4, 4, Palette4(), 3, frames, 0));
    image().DrawOptions = kGIFDefaultDrawOptions | doLoop;
    recorder.Attach(image(), scope.Clock);
    form.SetBounds(0, 0, 100, 100);
    control = new TPictureControl(&form);
    control->SetParent(&form);
    control->SetBounds(0, 0, 40, 40);
    control->Picture = &image();
    // The owner of a picture repaints it when a frame was drawn.
    image().OnFrameEnd = [this](TObject*) { control->Invalidate(); };
    form.Show();
  }
  TGIFImage& image() { return loaded->image; }
  /// Delivers messages and queued calls until `done`, ten seconds at most.
  bool Run(const std::function<bool()>& done) {
    return PumpUntil([&] {
      Application->ProcessMessages();
      return done();
    });
  }

  VirtualClockScope scope;
  std::unique_ptr<Loaded> loaded;
  EventRecorder recorder;
  TForm form;
  TPictureControl* control = nullptr;
};

TEST_F(GIFScreenDrawTest, RepaintsShowTheBufferOfTheOneRunningPainter) {
  control->Repaint();
  ASSERT_TRUE(Run([&] { return recorder.Frames.size() >= 7 && control->Painted >= 3; }));
  EXPECT_NE(image().Painter(), nullptr);
  // Repaints drew the buffer: the animation was started once and never restarted.
  EXPECT_EQ(std::count(recorder.Events.begin(), recorder.Events.end(), "paint"), 1);
  EXPECT_GE(std::count(recorder.Events.begin(), recorder.Events.end(), "loop"), 2);
  EXPECT_TRUE(recorder.AllOnGuiThread);
  ASSERT_NE(image().Bitmap(), nullptr);
  EXPECT_EQ(image().Bitmap()->Width(), 4);
}

TEST_F(GIFScreenDrawTest, AControlPaintingThroughABufferShowsTheAnimationOnItsRepaints) {
  control->Buffered = true;
  control->Repaint();
  EXPECT_TRUE(Run([&] { return control->Shown.size() == 3; }));  // every frame's colour
}

TEST_F(GIFScreenDrawTest, FreeingTheImageWhileItAnimatesEndsItsPainter) {
  control->Repaint();
  ASSERT_TRUE(Run([&] { return recorder.Frames.size() >= 4; }));
  control->Picture = nullptr;
  loaded.reset();
  ReapGIFPainters();
  control->Repaint();
  EXPECT_TRUE(Run([] { return true; }));
}

TEST_F(GIFScreenDrawTest, WithoutAnimationTheWindowGetsTheFirstFrameOnly) {
  image().DrawOptions = kGIFDefaultDrawOptions & ~doAnimate;
  control->Repaint();
  Run([] { return true; });
  EXPECT_GT(control->Painted, 0);
  EXPECT_EQ(image().Painter(), nullptr);
  EXPECT_TRUE(recorder.Events.empty());
}

}  // namespace
