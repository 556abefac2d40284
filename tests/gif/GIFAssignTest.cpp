// Copying GIF images: Assign between images (every setting, frames and extensions, the
// target's own handlers kept), from and to bitmaps, what cannot be assigned, and the mask
// of a transparent bitmap made into a frame.
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "GIFOptimizeSupport.h"
#include "platform/core/Classes.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Picture.h"

using namespace giftest;

namespace {

Bytes Animation() {
  FrameSpec first;
  first.width = 3;
  first.height = 2;
  first.pixels = {0, 1, 2, 3, 2, 1};
  FrameSpec second;
  second.left = 1;
  second.top = 1;
  second.width = 2;
  second.height = 1;
  second.pixels = {1, 0};
  second.local = {{1, 2, 3}, {4, 5, 6}};
  GifBuilder b;
  b.Header("89a", 4, 3, Palette4(), 2, 49)
      .Extension(0xFF, AppHead("NETSCAPE2.0"), {1, 3, 0})
      .Extension(0xFE, {}, {'h', 'e', 'l', 'l', 'o'})
      .GraphicControl(2, true, 3, 12)
      .Frame(first)
      .Extension(0xFF, AppHead("SOMEAPP_1.0"), {7, 8, 9})
      .Frame(second)
      .Trailer();
  return b.bytes;
}

}  // namespace

TEST(GIFAssign, CopyOfAnImageSavesTheSameBytesAndStandsAlone) {
  Loaded source(Animation());
  const Bytes original = SaveBytes(source.image);
  source.image.DrawOptions = doTile;
  source.image.ColorReduction = 3;
  source.image.DitherMode = 2;
  source.image.BackgroundColor = MakeColor(0x123456);
  int painted = 0;
  source.image.OnFrameEnd = [&painted](TObject*) { ++painted; };
  // How the source is saved and played is not copied.
  source.image.Compression = 1;
  source.image.ReductionBits = 5;
  source.image.AnimationSpeed = 50;

  TGIFImage copy;
  copy.Assign(&source.image);
  EXPECT_EQ(copy.DrawOptions, doTile);
  EXPECT_EQ(copy.Compression, 0);
  EXPECT_EQ(copy.ColorReduction, 3);
  EXPECT_EQ(copy.ReductionBits, 8);
  EXPECT_EQ(copy.AnimationSpeed, 100);
  EXPECT_EQ(copy.DitherMode, 2);
  EXPECT_EQ(copy.BackgroundColor, MakeColor(0x123456));
  ASSERT_TRUE(copy.OnFrameEnd);
  copy.OnFrameEnd(&copy);
  EXPECT_EQ(painted, 1);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(SaveBytes(copy), original);
  EXPECT_EQ(Compose(copy), Compose(source.image));
  // The frames, their extensions and tables belong to the copy.
  EXPECT_EQ(copy.Images(0).Image(), &copy);
  EXPECT_EQ(copy.Images(0).GraphicControlExtension()->SubImage(), &copy.Images(0));
  EXPECT_TRUE(copy.Images(0).Transparent());

  copy.Optimize(ooCleanup | ooCrop | ooMerge | ooColorMap, 0, 0, 8);
  EXPECT_EQ(SaveBytes(source.image), original);
}

TEST(GIFAssign, TargetKeepsItsOwnHandlers) {
  Loaded source(Animation());
  int source_calls = 0;
  source.image.OnProgress = [&](TObject*, TProgressStage, uint8_t, bool, const TRect&, const std::string&) {
    ++source_calls;
  };
  TGIFImage target;
  std::vector<std::string> messages;
  std::vector<int> percents;
  target.OnProgress = [&](TObject*, TProgressStage, uint8_t percent, bool, const TRect&,
                          const std::string& m) {
    messages.push_back(m);
    percents.push_back(percent);
  };
  bool warned = false;
  target.OnGIFWarning = [&](TObject*, int, const std::string&) { warned = true; };

  target.Assign(&source.image);

  EXPECT_EQ(source_calls, 0);
  ASSERT_EQ(messages.size(), 4u);  // starting, one per frame, ending
  for (const auto& m : messages) EXPECT_EQ(m, "Copying...");
  EXPECT_EQ(percents, (std::vector<int>{0, 50, 100, 100}));
  ASSERT_TRUE(target.OnProgress);
  ASSERT_TRUE(target.OnGIFWarning);
  target.Warning(&target, 1, "x");
  EXPECT_TRUE(warned);
}

TEST(GIFAssign, NilSelfAndForeignSources) {
  Loaded gif(Animation());
  const Bytes original = SaveBytes(gif.image);
  gif.image.Assign(&gif.image);
  EXPECT_EQ(SaveBytes(gif.image), original);

  TPersistent foreign;
  EXPECT_THROW(gif.image.Assign(&foreign), EConvertError);
  EXPECT_EQ(SaveBytes(gif.image), original);

  gif.image.Assign(nullptr);
  EXPECT_TRUE(gif.image.Empty());
  EXPECT_EQ(gif.image.Width(), 0);
}

TEST(GIFAssign, FrameTakesAPicturesGraphicAndRefusesOtherObjects) {
  TGIFImage image;
  TGIFSubImage frame(&image);
  TPicture picture, empty;
  picture.Bitmap().SetSize(2, 1);
  frame.Assign(&picture);
  EXPECT_EQ(frame.BoundsRect(), Rect(0, 0, 2, 1));
  TPersistent foreign;
  EXPECT_THROW(frame.Assign(&foreign), EConvertError);
  EXPECT_EQ(frame.Width(), 2);
  frame.Assign(&empty);
  EXPECT_TRUE(frame.Empty());
}

TEST(GIFAssign, BitmapsGoInAndComeOut) {
  Loaded gif(Animation());
  TBitmap rendered;
  rendered.Assign(&gif.image);  // through the image's AssignTo
  ASSERT_EQ(rendered.Width(), 4);
  ASSERT_EQ(rendered.Height(), 3);
  rendered.SetPixelFormat(pf24bit);
  const auto rgb = [&rendered](int x, int y) {
    const uint8_t* p = rendered.ScanLine(y) + 3 * x;
    return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
  };
  EXPECT_EQ(rgb(0, 0), 0xFF0000u);
  EXPECT_EQ(rgb(1, 0), 0x00FF00u);
  EXPECT_EQ(rgb(2, 0), 0x0000FFu);
  EXPECT_EQ(rgb(2, 1), 0x00FF00u);

  TGIFImage back;
  back.ColorReduction = 0;  // keep the colours as they are
  back.Assign(&rendered);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.Images(0).Width(), 4);
  EXPECT_EQ(back.Images(0).Height(), 3);
  TGIFColorMap& map = back.Images(0).EffectiveColorMap();
  const TRGBQuad q = map.Quad(back.Images(0).Pixels(2, 0));
  EXPECT_EQ(q.rgbBlue, 255);
  EXPECT_EQ(q.rgbRed, 0);

  TGIFImage empty;
  TBitmap cleared;
  cleared.SetSize(2, 2);
  cleared.Assign(&empty);
  EXPECT_TRUE(cleared.Empty());
}

namespace {

/// A 24-bit bitmap of the given 0xRRGGBB colours, `width` per row.
std::unique_ptr<TBitmap> TrueColor(int width, const std::vector<uint32_t>& colors) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  const int height = static_cast<int>(colors.size()) / width;
  bitmap->SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t c = colors[static_cast<size_t>(y * width + x)];
      uint8_t* p = bitmap->ScanLine(y) + 3 * x;
      p[0] = static_cast<uint8_t>(c);
      p[1] = static_cast<uint8_t>(c >> 8);
      p[2] = static_cast<uint8_t>(c >> 16);
    }
  return bitmap;
}

}  // namespace

TEST(GIFBitmapMask, TransparentColourOfABitmapBecomesTheFramesTransparentIndex) {
  constexpr uint32_t R = 0xFF0000, G = 0x00FF00, W = 0xFFFFFF;
  struct Case {
    const char* name;
    bool transparent;
    std::optional<uint32_t> fixed;  // none: the bottom-left pixel's colour
    Bytes pixels;
    int table;
    bool has_key;
  };
  // Colours are sorted by use first: white (3), red (2), green (1).
  const Case cases[] = {
      {"bottom-left colour", true, std::nullopt, {1, 2, 3, 3, 1, 3}, 4, true},
      {"fixed colour", true, R, {3, 2, 0, 0, 3, 0}, 4, true},
      {"colour not in the picture", true, 0x000080, {1, 2, 0, 0, 1, 0}, 3, false},
      {"opaque bitmap", false, std::nullopt, {0, 1, 2, 2, 0, 2}, 3, false},  // not sorted
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto bitmap = TrueColor(3, {R, G, W, W, R, W});
    bitmap->SetTransparent(c.transparent);
    if (c.fixed)
      bitmap->SetTransparentColor(
          MakeColor(((*c.fixed & 0xFF) << 16) | (*c.fixed & 0xFF00) | (*c.fixed >> 16)));
    TGIFImage image;
    image.ColorReduction = 0;
    image.AddBitmap(*bitmap);
    TGIFSubImage& frame = image.Images(0);
    EXPECT_EQ(FramePixels(frame), c.pixels);
    EXPECT_EQ(frame.ColorMap().Count(), c.table);
    ASSERT_EQ(frame.Transparent(), c.has_key);
    if (c.has_key) {
      EXPECT_EQ(frame.GraphicControlExtension()->TransparentColorIndex(), 3);
      const TRGBQuad black = frame.ColorMap().Quad(3);
      EXPECT_EQ(black.rgbRed | black.rgbGreen | black.rgbBlue, 0);
      Loaded reloaded(SaveBytes(image));
      EXPECT_TRUE(reloaded.image.Images(0).Transparent());
    }
  }
}

TEST(GIFBitmapMask, FullColourTableLeavesNoRoomForTheMask) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf8bit);
  bitmap.SetSize(16, 16);
  std::vector<TRGBQuad> table(256);
  for (int i = 0; i < 256; ++i) table[static_cast<size_t>(i)] = TRGBQuad{uint8_t(i), uint8_t(255 - i), 7, 0};
  bitmap.SetColorTable(table);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) bitmap.ScanLine(y)[x] = static_cast<uint8_t>(y * 16 + x);
  bitmap.SetTransparent(true);
  TGIFImage image;
  image.AddBitmap(bitmap);
  EXPECT_FALSE(image.Images(0).Transparent());
  EXPECT_EQ(image.Images(0).ColorMap().Count(), 256);
}
