// The optimiser: merged and cropped frames, delays of frames cropped away, colour tables
// sorted by use, cleanup of needless blocks, progress, and that every optimised animation
// still composes to the same screens (also after saving and loading again).
#include <gtest/gtest.h>

#include <random>

#include "GIFOptimizeSupport.h"

using namespace giftest;

namespace {

FrameSpec Full(int w, int h, const Bytes& pixels, int left = 0, int top = 0) {
  FrameSpec f;
  f.left = left;
  f.top = top;
  f.width = w;
  f.height = h;
  f.pixels = pixels;
  return f;
}

void ExpectSameScreens(const std::vector<Screen>& before, TGIFImage& image) {
  const std::vector<Screen> after = Compose(image);
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i], before[i]) << "frame " << i;
  Loaded reloaded(SaveBytes(image));
  const std::vector<Screen> again = Compose(reloaded.image);
  ASSERT_EQ(again.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(again[i], before[i]) << "reloaded frame " << i;
}

}  // namespace

TEST(GIFOptimizeMerge, SecondFrameShrinksToTheChangedArea) {
  Bytes second = Fill(20, 20, 0);
  Box(second, 20, 5, 3, 10, 10, 1);
  GifBuilder b;
  b.Header("89a", 20, 20, Palette4())
      .GraphicControl(1, false, 0, 7)
      .Frame(Full(20, 20, Fill(20, 20, 0)))
      .GraphicControl(1, false, 0, 9)
      .Frame(Full(20, 20, second))
      .Trailer();
  Loaded gif(b.bytes);
  const std::vector<Screen> before = Compose(gif.image);

  gif.image.Optimize(ooMerge | ooCrop, 0, 0, 8);

  ASSERT_EQ(gif.image.Count(), 2);
  TGIFSubImage& frame = gif.image.Images(1);
  EXPECT_EQ(frame.Left(), 5);
  EXPECT_EQ(frame.Top(), 3);
  EXPECT_EQ(frame.Width(), 10);
  EXPECT_EQ(frame.Height(), 10);
  ASSERT_TRUE(frame.Transparent());
  // No frame had a transparent index to lend, so black was added to the global table.
  EXPECT_EQ(frame.GraphicControlExtension()->TransparentColorIndex(), 4);
  EXPECT_EQ(gif.image.Header().ColorMap().Count(), 5);
  EXPECT_EQ(FramePixels(frame), Fill(10, 10, 1));
  EXPECT_EQ(frame.GraphicControlExtension()->Delay(), 9);
  EXPECT_EQ(gif.image.Images(0).Width(), 20);
  ExpectSameScreens(before, gif.image);
}

TEST(GIFOptimizeMerge, TransparentIndexIsBorrowedOnlyWhenTheFrameDoesNotUseIt) {
  struct Case {
    const char* name;
    uint8_t second_pixel;  // a pixel of frame 1 that differs from frame 0
    int expected_key;
    int expected_count;
  };
  const Case cases[] = {
      {"index 3 unused: borrowed", 2, 3, 4},
      {"index 3 used: black added", 3, 4, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes second = Fill(4, 4, 0);
    second[5] = c.second_pixel;
    GifBuilder b;
    b.Header("89a", 4, 4, Palette4())
        .GraphicControl(1, true, 3)
        .Frame(Full(4, 4, Fill(4, 4, 0)))
        .Frame(Full(4, 4, second))
        .Trailer();
    Loaded gif(b.bytes);
    const std::vector<Screen> before = Compose(gif.image);
    gif.image.Optimize(ooMerge, 0, 0, 8);
    TGIFSubImage& frame = gif.image.Images(1);
    ASSERT_TRUE(frame.Transparent());
    EXPECT_EQ(frame.GraphicControlExtension()->TransparentColorIndex(), c.expected_key);
    EXPECT_EQ(gif.image.Header().ColorMap().Count(), c.expected_count);
    Bytes expected = Fill(4, 4, static_cast<uint8_t>(c.expected_key));
    expected[5] = c.second_pixel;
    EXPECT_EQ(FramePixels(frame), expected);
    ExpectSameScreens(before, gif.image);
  }
}

TEST(GIFOptimizeMerge, FramesOnDifferentTablesCompareColours) {
  // Frame 1 has its own table with red and green swapped; only the pixels that show the
  // same colour as frame 0 become transparent.
  FrameSpec second = Full(2, 2, {1, 0, 0, 3});
  second.local = {{0, 255, 0}, {255, 0, 0}, {0, 0, 255}, {9, 9, 9}};
  GifBuilder b;
  b.Header("89a", 2, 2, Palette4()).Frame(Full(2, 2, {0, 1, 0, 3})).Frame(second).Trailer();
  Loaded gif(b.bytes);
  const std::vector<Screen> before = Compose(gif.image);
  gif.image.Optimize(ooMerge, 0, 0, 8);
  TGIFSubImage& frame = gif.image.Images(1);
  ASSERT_TRUE(frame.Transparent());
  const uint8_t key = frame.GraphicControlExtension()->TransparentColorIndex();
  EXPECT_EQ(key, 4);  // black added to the local table
  EXPECT_EQ(frame.ColorMap().Count(), 5);
  EXPECT_EQ(FramePixels(frame), (Bytes{key, key, 0, 3}));
  ExpectSameScreens(before, gif.image);
}

TEST(GIFOptimizeMerge, RestoringFramesAreSkippedAndBackgroundDisposalStopsMerging) {
  // Frame 1 restores the previous screen, so frame 2 merges with frame 0.
  GifBuilder restore;
  restore.Header("89a", 2, 2, Palette4())
      .Frame(Full(2, 2, {0, 0, 1, 1}))
      .GraphicControl(3, false, 0)
      .Frame(Full(2, 2, {2, 2, 2, 2}))
      .Frame(Full(2, 2, {0, 3, 1, 3}))
      .Trailer();
  Loaded a(restore.bytes);
  const std::vector<Screen> before = Compose(a.image);
  a.image.Optimize(ooMerge, 0, 0, 8);
  EXPECT_FALSE(a.image.Images(1).Transparent());
  EXPECT_EQ(FramePixels(a.image.Images(2)), (Bytes{4, 3, 4, 3}));
  ExpectSameScreens(before, a.image);

  // A previous frame that is cleared to the background lends nothing.
  GifBuilder cleared;
  cleared.Header("89a", 2, 2, Palette4())
      .GraphicControl(2, false, 0)
      .Frame(Full(2, 2, {0, 0, 1, 1}))
      .Frame(Full(2, 2, {0, 0, 1, 1}))
      .Trailer();
  Loaded c(cleared.bytes);
  c.image.Optimize(ooMerge, 0, 0, 8);
  EXPECT_FALSE(c.image.Images(1).Transparent());
  EXPECT_EQ(FramePixels(c.image.Images(1)), (Bytes{0, 0, 1, 1}));
}

TEST(GIFOptimizeMerge, FramesWithoutColourTablesAreLeftAlone) {
  GifBuilder b;
  b.Header("89a", 2, 2).Frame(Full(2, 2, {0, 1, 2, 3})).Frame(Full(2, 2, {0, 1, 3, 3})).Trailer();
  Loaded gif(b.bytes);
  const Bytes before = SaveBytes(gif.image);
  gif.image.Optimize(ooMerge | ooCrop, 0, 0, 8);
  EXPECT_EQ(SaveBytes(gif.image), before);
  EXPECT_EQ(gif.image.Images(1).ColorMap().Count(), 0);
}

TEST(GIFOptimizeCrop, FrameCroppedToNothingHandsItsDelayToThePreviousFrame) {
  struct Case {
    const char* name;
    bool previous_has_control;
    bool previous_transparent;
    int expected_delay;
  };
  const Case cases[] = {
      {"transparent previous frame", true, true, 5 + 30},
      {"opaque previous frame", true, false, 5 + 30},
      {"previous frame without control extension", false, false, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GifBuilder b;
    b.Header("89a", 3, 3, Palette4());
    if (c.previous_has_control) b.GraphicControl(1, c.previous_transparent, 3, 5);
    b.Frame(Full(3, 3, Fill(3, 3, 1)))
        .GraphicControl(1, true, 2, 30)
        .Frame(Full(3, 3, Fill(3, 3, 2)))
        .Trailer();
    Loaded gif(b.bytes);
    gif.image.Optimize(ooCrop, 0, 0, 8);
    ASSERT_EQ(gif.image.Count(), 1);
    ASSERT_NE(gif.image.Images(0).GraphicControlExtension(), nullptr);
    EXPECT_EQ(gif.image.Images(0).GraphicControlExtension()->Delay(), c.expected_delay);
    EXPECT_EQ(FramePixels(gif.image.Images(0)), Fill(3, 3, 1));
  }
}

TEST(GIFOptimizeCrop, OnlyTransparentFramesAreCroppedToTheirVisiblePixels) {
  Bytes pixels = Fill(6, 5, 3);
  Box(pixels, 6, 1, 2, 3, 2, 0);
  pixels[2 * 6 + 2] = 3;  // a transparent hole inside the box stays
  GifBuilder b;
  b.Header("89a", 8, 8, Palette4())
      .GraphicControl(1, true, 3, 4)
      .Frame(Full(6, 5, pixels, 2, 1))
      .Frame(Full(6, 5, pixels, 2, 1))
      .Trailer();
  Loaded gif(b.bytes);
  const std::vector<Screen> before = Compose(gif.image);
  gif.image.Optimize(ooCrop, 0, 0, 8);
  ASSERT_EQ(gif.image.Count(), 2);
  TGIFSubImage& cropped = gif.image.Images(0);
  EXPECT_EQ(cropped.Left(), 3);
  EXPECT_EQ(cropped.Top(), 3);
  EXPECT_EQ(cropped.Width(), 3);
  EXPECT_EQ(cropped.Height(), 2);
  EXPECT_EQ(FramePixels(cropped), (Bytes{0, 3, 0, 0, 0, 0}));
  EXPECT_EQ(gif.image.Images(1).Width(), 6);  // opaque: left as it is
  ExpectSameScreens(before, gif.image);
}

TEST(GIFOptimizeColorMap, TablesAreSortedByUseRemappedAndCut) {
  // Global table use: index 2 six times, 0 twice, 3 once, 1 never.
  GifBuilder b;
  b.Header("89a", 3, 3, Palette4(), 3)
      .GraphicControl(1, true, 3)
      .Frame(Full(3, 3, {2, 2, 2, 0, 2, 2, 0, 2, 3}));
  FrameSpec local = Full(2, 1, {1, 1});
  local.local = {{10, 10, 10}, {20, 20, 20}};
  b.Frame(local).Trailer();
  Loaded gif(b.bytes);
  const std::vector<Screen> before = Compose(gif.image);

  gif.image.Optimize(ooColorMap, 0, 0, 8);

  TGIFColorMap& global = gif.image.Header().ColorMap();
  ASSERT_EQ(global.Count(), 3);
  EXPECT_TRUE(global.Optimized());
  EXPECT_EQ(global.Quad(0).rgbBlue, 255);   // old 2, blue
  EXPECT_EQ(global.Quad(1).rgbRed, 255);    // old 0, red
  EXPECT_EQ(global.Quad(2).rgbGreen, 255);  // old 3, white
  EXPECT_EQ(global.Quad(2).rgbRed, 255);
  TGIFSubImage& first = gif.image.Images(0);
  EXPECT_EQ(FramePixels(first), (Bytes{0, 0, 0, 1, 0, 0, 1, 0, 2}));
  EXPECT_EQ(first.GraphicControlExtension()->TransparentColorIndex(), 2);
  EXPECT_EQ(gif.image.Header().BackgroundColorIndex, 2);  // still white
  TGIFSubImage& second = gif.image.Images(1);
  ASSERT_EQ(second.ColorMap().Count(), 1);
  EXPECT_EQ(second.ColorMap().Quad(0).rgbRed, 20);
  EXPECT_EQ(FramePixels(second), (Bytes{0, 0}));
  ExpectSameScreens(before, gif.image);
  EXPECT_EQ(SaveBytes(gif.image)[10] & 0x08, 0x08);  // written as sorted
}

TEST(GIFOptimizeColorMap, TableAlreadyInOrderKeepsItsColours) {
  GifBuilder b;
  b.Header("89a", 2, 2, Palette4()).Frame(Full(2, 2, {0, 0, 1, 0})).Trailer();
  Loaded gif(b.bytes);
  gif.image.Optimize(ooColorMap, 0, 0, 8);
  EXPECT_EQ(gif.image.Header().ColorMap().Count(), 4);  // unused colours are cut only on reordering
  EXPECT_TRUE(gif.image.Header().ColorMap().Optimized());
  EXPECT_EQ(FramePixels(gif.image.Images(0)), (Bytes{0, 0, 1, 0}));
}

TEST(GIFOptimizeCleanup, NeedlessBlocksAndSettingsAreDropped) {
  const Bytes text_head{12, 0, 0, 0, 0, 8, 8, 0, 0, 8, 8, 1, 0};
  GifBuilder b;
  b.Header("89a", 4, 4, Palette4())
      .Extension(0xFF, AppHead("NETSCAPE2.0"), {1, 0, 0})
      .Extension(0xFE, {}, {'h', 'i'})
      .GraphicControl(2, true, 3, 10)  // index 3 unused; frame 1 covers it
      .Frame(Full(2, 2, {0, 1, 1, 0}, 1, 1))
      .Extension(0xFF, AppHead("SOMEAPP_1.0"), {1, 2})
      .Extension(0x01, text_head, {'x'})
      .GraphicControl(1, false, 0, 0)  // no delay, nothing else: needless
      .Frame(Full(4, 4, Fill(4, 4, 2)))
      .Extension(0xFE, {}, {'e', 'n', 'd'})
      .Trailer();
  Loaded gif(b.bytes);
  ASSERT_EQ(gif.image.Count(), 3);  // the trailing comment stands in a frame of its own
  const std::vector<Screen> before = Compose(gif.image);

  gif.image.Optimize(ooCleanup, 0, 0, 8);

  ASSERT_EQ(gif.image.Count(), 2);
  TGIFSubImage& first = gif.image.Images(0);
  ASSERT_EQ(first.Extensions().size(), 2u);
  EXPECT_NE(FindExtension<TGIFAppExtNSLoop>(first), nullptr);
  TGIFGraphicControlExtension* control = first.GraphicControlExtension();
  ASSERT_NE(control, nullptr);  // kept for its delay
  EXPECT_FALSE(control->Transparent());
  EXPECT_FALSE(first.Transparent());
  EXPECT_EQ(control->Disposal(), dmNone);
  EXPECT_TRUE(gif.image.Images(1).Extensions().empty());
  // The frame that held only the comment is gone; the screens up to it are the same.
  const std::vector<Screen> after = Compose(gif.image);
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0], before[0]);
  EXPECT_EQ(after[1], before[1]);
}

TEST(GIFOptimizeCleanup, SingleFrameLosesLoopAndPlainGraphicControl) {
  struct Case {
    const char* name;
    bool transparent;
    bool keeps_control;
  };
  const Case cases[] = {{"plain control", false, false}, {"transparent control", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GifBuilder b;
    b.Header("89a", 2, 2, Palette4())
        .Extension(0xFF, AppHead("NETSCAPE2.0"), {1, 0, 0})
        .GraphicControl(2, c.transparent, 1, 50)
        .Frame(Full(2, 2, {0, 1, 1, 0}))
        .Trailer();
    Loaded gif(b.bytes);
    gif.image.Optimize(ooCleanup, 0, 0, 8);
    ASSERT_EQ(gif.image.Count(), 1);
    TGIFSubImage& frame = gif.image.Images(0);
    EXPECT_EQ(FindExtension<TGIFAppExtNSLoop>(frame), nullptr);
    EXPECT_EQ(frame.GraphicControlExtension() != nullptr, c.keeps_control);
    EXPECT_EQ(frame.Extensions().size(), c.keeps_control ? 1u : 0u);
  }
}

TEST(GIFOptimizeOptions, NoOptionsChangeNothingButReportProgress) {
  GifBuilder b;
  b.Header("89a", 4, 4, Palette4())
      .Extension(0xFE, {}, {'c'})
      .GraphicControl(2, true, 3, 10)
      .Frame(Full(4, 4, Fill(4, 4, 1)))
      .Frame(Full(4, 4, Fill(4, 4, 1)))
      .Trailer();
  Loaded gif(b.bytes);
  const Bytes before = SaveBytes(gif.image);
  std::vector<std::pair<TProgressStage, int>> progress;
  gif.image.OnProgress = [&](TObject*, TProgressStage stage, uint8_t percent, bool, const TRect&,
                             const std::string& message) {
    EXPECT_EQ(message, "Optimizing...");
    progress.emplace_back(stage, percent);
  };
  gif.image.Optimize(0, 0, 0, 8);
  const auto run = progress.size();
  gif.image.Optimize(ooCrop, 0, 0, 8);  // cropping too reports its steps before the end
  gif.image.OnProgress = nullptr;
  EXPECT_EQ(SaveBytes(gif.image), before);
  EXPECT_EQ(progress.at(progress.size() - 2), std::make_pair(psRunning, 100));
  progress.resize(run);
  ASSERT_GE(progress.size(), 3u);
  EXPECT_EQ(progress.front().first, psStarting);
  EXPECT_EQ(progress.back(), std::make_pair(psEnding, 100));
  int last = 0;
  for (size_t i = 1; i + 1 < progress.size(); ++i) {
    EXPECT_EQ(progress[i].first, psRunning);
    EXPECT_GE(progress[i].second, last);
    last = progress[i].second;
  }
  EXPECT_EQ(last, 100);
}

TEST(GIFOptimizeOptions, CustomPaletteReductionIsRefusedWithoutCleanup) {
  GifBuilder b;
  b.Header("89a", 2, 2, Palette4()).Frame(Full(2, 2, {0, 1, 1, 0})).Trailer();
  Loaded gif(b.bytes);
  try {
    gif.image.Optimize(ooReduceColors, 9, 0, 8);
    FAIL() << "no error";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Invalid reduction method");
  }
  EXPECT_NO_THROW(gif.image.Optimize(ooReduceColors | ooCleanup, 9, 0, 8));
  EXPECT_NO_THROW(gif.image.Optimize(ooReduceColors, 6, 0, 8));
  TGIFImage empty;
  EXPECT_NO_THROW(empty.Optimize(ooReduceColors, 9, 0, 8));  // nothing to do
}

TEST(GIFOptimizeRoundTrip, RandomAnimationsComposeTheSameAfterEveryOption) {
  std::mt19937 rng(1234);
  const auto random = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int trial = 0; trial < 40; ++trial) {
    SCOPED_TRACE(trial);
    GifBuilder b;
    b.Header("89a", 12, 10, Palette4());
    Bytes base = Fill(12, 10, static_cast<uint8_t>(random(4)));
    const int frames = 2 + random(4);
    for (int f = 0; f < frames; ++f) {
      const int w = 4 + random(9), h = 3 + random(8);
      const int left = random(13 - w), top = random(11 - h);
      Bytes pixels(static_cast<size_t>(w * h));
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          pixels[static_cast<size_t>(y * w + x)] = random(3) == 0
                                                       ? static_cast<uint8_t>(random(4))
                                                       : base[static_cast<size_t>((top + y) * 12 + left + x)];
      const bool transparent = random(2) == 0;
      // Disposal 2 would make the cropped area matter; keep to 0, 1 and 3.
      const int disposals[] = {0, 1, 3};
      b.GraphicControl(static_cast<uint8_t>(disposals[random(3)]), transparent,
                       static_cast<uint8_t>(random(4)), static_cast<uint16_t>(random(3)));
      b.Frame(Full(w, h, pixels, left, top));
    }
    b.Trailer();
    Loaded gif(b.bytes);
    const std::vector<Screen> before = Compose(gif.image);
    gif.image.Optimize(ooMerge | ooColorMap, 0, 0, 8);
    ExpectSameScreens(before, gif.image);
    // Cropping and cleanup may drop frames that change nothing; the last screen stays.
    gif.image.Optimize(ooCrop | ooCleanup | ooMerge | ooColorMap, 0, 0, 8);
    const std::vector<Screen> after = Compose(gif.image);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.back(), before.back());
  }
}
