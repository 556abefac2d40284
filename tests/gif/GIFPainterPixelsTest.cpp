// What the painter shows after every frame, against Pillow's composed frames: hand-made
// animations for each disposal method, and the animated GIFs of Debian's gdk-pixbuf test
// package (fetched at test time, never stored here).
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "GIFPainterSupport.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/GraphicsTestSupport.h"

using namespace giftest;

namespace {

namespace fs = std::filesystem;

struct Frames {
  int Width = 0, Height = 0;
  std::vector<Bytes> Rgb;  // one red, green, blue triple per pixel, row by row
};

std::string Quote(const std::string& text) {
  return "'" + text + "'";
}

/// Runs the helper script; its standard output, or nothing when it failed.
std::optional<std::string> RunScript(const std::string& arguments) {
  return gfxtest::RunCommand("/usr/bin/python3 " + Quote(ZUK_GIF_FRAMES_SCRIPT) + " " + arguments);
}

/// Pillow's frames of the file laid over `background`.
std::optional<Frames> PillowFrames(const fs::path& file, TColor background, size_t limit) {
  char colour[8];
  std::snprintf(colour, sizeof colour, "%02X%02X%02X", background & 0xFF, (background >> 8) & 0xFF,
                (background >> 16) & 0xFF);
  const std::optional<std::string> out = RunScript("frames " + Quote(file.string()) + " " + colour + " " +
                                                   std::to_string(limit) + " 2>/dev/null");
  if (!out) return std::nullopt;
  Frames frames;
  size_t count = 0;
  int used = 0;
  if (std::sscanf(out->c_str(), "%d %d %zu\n%n", &frames.Width, &frames.Height, &count, &used) != 3)
    return std::nullopt;
  const size_t size = static_cast<size_t>(frames.Width) * static_cast<size_t>(frames.Height) * 3;
  if (out->size() != static_cast<size_t>(used) + size * count) return std::nullopt;
  for (size_t i = 0; i < count; ++i)
    frames.Rgb.emplace_back(out->begin() + used + static_cast<long>(i * size),
                            out->begin() + used + static_cast<long>((i + 1) * size));
  return frames;
}

/// The colour the painter restores to: the file's background colour, white without a table.
TColor PainterBackground(TGIFImage& image) {
  return image.Header().ColorMap().Count() > 0 ? image.Header().BackgroundColor() : TColor{0xFFFFFF};
}

/// Plays the animation (in the caller, or on a thread with doAsynchronous) onto a bitmap of
/// the background colour and keeps what the bitmap shows after each of the first `limit`
/// frames.
Frames PaintedFrames(TGIFImage& image, size_t limit, uint16_t options) {
  const TSize screen{image.Width(), image.Height()};
  TBitmap target;
  target.SetPixelFormat(pf32bit);
  target.SetSize(screen.cx, screen.cy);
  target.Canvas().Brush().SetColor(PainterBackground(image));
  target.Canvas().FillRect(Rect(0, 0, screen.cx, screen.cy));
  Frames frames{screen.cx, screen.cy, {}};
  image.OnFrameEnd = [&](TObject* sender) {
    Bytes rgb;
    for (int32_t y = 0; y < screen.cy; ++y) {
      const uint8_t* row = target.ScanLine(y);
      for (int32_t x = 0; x < screen.cx; ++x)
        rgb.insert(rgb.end(), {row[x * 4 + 2], row[x * 4 + 1], row[x * 4]});
    }
    frames.Rgb.push_back(std::move(rgb));
    if (frames.Rgb.size() >= limit) static_cast<TGIFPainter*>(sender)->Stop();
  };
  TGIFPainter* painter = nullptr;
  if (TGIFPainter* thread = image.StartPainter(&painter, target.Canvas(), Rect(0, 0, screen.cx, screen.cy),
                                               options | doAnimate | doTransparent)) {
    thread->Start();
    EXPECT_TRUE(PumpUntil([&] { return painter == nullptr; }));
  }
  image.OnFrameEnd = nullptr;
  return frames;
}

/// For each frame, the pixels whose colour the file decides: those some frame has drawn
/// opaque so far, or restored to the background. The rest still show what lay under the
/// animation, which Pillow fills with colour 0 instead.
std::vector<std::vector<bool>> DecidedPixels(TGIFImage& image) {
  const int32_t width = image.Width(), height = image.Height();
  std::vector<bool> decided(static_cast<size_t>(width) * static_cast<size_t>(height));
  std::vector<std::vector<bool>> masks;
  for (int i = 0; i < image.Count(); ++i) {
    TGIFSubImage& frame = image.Images(i);
    const std::vector<bool> before = decided;
    const TGIFGraphicControlExtension* control = frame.GraphicControlExtension();
    const auto each_pixel = [&](const std::function<void(size_t, int32_t, int32_t)>& visit) {
      for (int32_t y = 0; y < frame.Height(); ++y)
        for (int32_t x = 0; x < frame.Width(); ++x)
          if (frame.Left() + x < width && frame.Top() + y < height)
            visit(static_cast<size_t>(frame.Top() + y) * static_cast<size_t>(width) +
                      static_cast<size_t>(frame.Left() + x),
                  x, y);
    };
    if (!frame.Empty())
      each_pixel([&](size_t at, int32_t x, int32_t y) {
        if (!frame.Transparent() || frame.Pixels(x, y) != control->TransparentColorIndex())
          decided[at] = true;
      });
    masks.push_back(decided);
    const int disposal = control ? control->Disposal() : 0;
    // Pillow (9.4) restores a frame with a transparent colour to that colour, opaque; the
    // painter's own restoring of such frames is checked without Pillow.
    if (disposal == dmBackground)
      each_pixel([&](size_t at, int32_t, int32_t) { decided[at] = !frame.Transparent(); });
    if (disposal == dmPrevious) decided = before;
  }
  return masks;
}

/// The first frame that differs and how many of its decided pixels do, or "" when all agree.
std::string Compare(const Frames& ours, const Frames& pillow, const std::vector<std::vector<bool>>& decided) {
  if (ours.Width != pillow.Width || ours.Height != pillow.Height) return "screen sizes differ";
  if (ours.Rgb.size() != pillow.Rgb.size())
    return "frame counts differ: " + std::to_string(ours.Rgb.size()) + " vs " +
           std::to_string(pillow.Rgb.size());
  for (size_t i = 0; i < ours.Rgb.size(); ++i) {
    size_t differing = 0, first = 0;
    for (size_t p = 0; p < ours.Rgb[i].size(); p += 3)
      if (i < decided.size() && decided[i][p / 3] &&
          !std::equal(ours.Rgb[i].begin() + static_cast<long>(p),
                      ours.Rgb[i].begin() + static_cast<long>(p + 3),
                      pillow.Rgb[i].begin() + static_cast<long>(p)) &&
          differing++ == 0)
        first = p / 3;
    if (differing > 0)
      return "frame " + std::to_string(i) + ": " + std::to_string(differing) + " pixels differ, first at (" +
             std::to_string(first % static_cast<size_t>(ours.Width)) + ", " +
             std::to_string(first / static_cast<size_t>(ours.Width)) + ")";
  }
  return "";
}

fs::path WriteTemporary(const Bytes& bytes) {
  const std::string path = gfxtest::TempPath("animation.gif");
  gfxtest::WriteFile(path, bytes);
  return path;
}

class GIFPainterPixelsTest : public ApplicationTest {
 protected:
  void SetUp() override {
    if (!HavePillow()) GTEST_SKIP() << "Pillow (python3-pil) is not installed";
  }
  /// Compares the painter with Pillow on one file.
  void Check(const fs::path& file, size_t limit = 1000, uint16_t options = 0) {
    std::ifstream in(file, std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Loaded loaded(bytes);
    const std::optional<Frames> pillow = PillowFrames(file, PainterBackground(loaded.image), limit);
    ASSERT_TRUE(pillow.has_value()) << "Pillow could not read " << file;
    const Frames ours = PaintedFrames(loaded.image, limit, options);
    EXPECT_EQ(Compare(ours, *pillow, DecidedPixels(loaded.image)), "") << file.filename();
  }
  VirtualClockScope scope;
};

// A 6 x 4 screen of white background (index 3); frames of red, green and blue squares that
// overlap, some with transparent pixels, disposed each way.
const std::vector<RGB> kPalette = {{255, 0, 0}, {0, 255, 0},   {0, 0, 255},   {255, 255, 255},
                                   {0, 0, 0},   {255, 255, 0}, {0, 255, 255}, {128, 128, 128}};

FrameSpec Square(int left, int top, int size, uint8_t index, int hole = -1) {
  Bytes pixels(static_cast<size_t>(size * size), index);
  if (hole >= 0) pixels[static_cast<size_t>(hole)] = 4;  // index 4 is made transparent
  return FrameSpec{left, top, size, size, pixels, {}, false, 3};
}

struct DisposalCase {
  const char* name;
  std::vector<AnimFrame> frames;
};

TEST_F(GIFPainterPixelsTest, EachDisposalMethodMatchesPillowAfterEveryFrame) {
  const DisposalCase cases[] = {
      {"unspecified and keep",
       {{5, 0, -1, Square(0, 0, 3, 0)}, {5, 1, -1, Square(2, 1, 3, 1)}, {5, 1, 4, Square(3, 0, 3, 2, 4)}}},
      {"restore to background",
       {{5, 2, -1, Square(0, 0, 3, 0)}, {5, 2, 4, Square(2, 1, 3, 1, 0)}, {5, 1, -1, Square(1, 1, 2, 2)}}},
      {"restore to previous",
       {{5, 1, -1, Square(0, 0, 4, 0)},
        {5, 3, -1, Square(2, 1, 3, 1)},
        {5, 3, 4, Square(1, 0, 3, 2, 2)},
        {5, 1, -1, Square(4, 2, 2, 5)}}},
      {"previous after background",
       {{5, 2, -1, Square(0, 0, 3, 0)},
        {5, 3, -1, Square(1, 1, 3, 1)},
        {5, 2, 4, Square(2, 0, 3, 2, 3)},
        {5, 3, -1, Square(3, 1, 3, 6)},
        {5, 1, -1, Square(0, 2, 2, 7)}}},
  };
  for (const DisposalCase& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = WriteTemporary(BuildAnimation(6, 4, kPalette, 3, c.frames));
    Check(file);
    Check(file, 1000, doAsynchronous);
    fs::remove(file);
  }
}

TEST_F(GIFPainterPixelsTest, RestoringToBackgroundShowsWhatLayUnderTheAnimation) {
  // Frame 0 covers the screen with red and transparent pixels and is restored to the
  // background; frame 1 draws one blue pixel. Transparent painting restores what the canvas
  // showed before; opaque painting fills with the image's background colour.
  Bytes first(16, 4);
  first[5] = first[6] = 0;
  const Bytes bytes = BuildAnimation(4, 4, kPalette, 3,
                                     {{5, 2, 4, FrameSpec{0, 0, 4, 4, first, {}, false, 3}},
                                      {5, 1, -1, FrameSpec{3, 3, 1, 1, {2}, {}, false, 3}}});
  struct Case {
    uint16_t options;
    TColor restored;
  } const cases[] = {{doAnimate | doTransparent, 0x00FFFF}, {doAnimate, 0x808080}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    Loaded loaded(bytes);
    loaded.image.BackgroundColor = 0x808080;
    TBitmap target;
    target.SetPixelFormat(pf32bit);
    target.SetSize(4, 4);
    target.Canvas().Brush().SetColor(0x00FFFF);  // yellow
    target.Canvas().FillRect(Rect(0, 0, 4, 4));
    std::vector<std::array<TColor, 3>> seen;  // (1, 1), (0, 0) and (3, 3) after each frame
    loaded.image.OnFrameEnd = [&](TObject*) {
      seen.push_back({target.Canvas().Pixel(1, 1), target.Canvas().Pixel(0, 0), target.Canvas().Pixel(3, 3)});
    };
    TGIFPainter* painter = nullptr;
    loaded.image.StartPainter(&painter, target.Canvas(), Rect(0, 0, 4, 4), c.options);
    ASSERT_EQ(seen.size(), 2u);
    const TColor under = c.options & doTransparent ? TColor{0x00FFFF} : TColor{0x000000};
    EXPECT_EQ(seen[0], (std::array<TColor, 3>{0x0000FF, under, under}));
    EXPECT_EQ(seen[1], (std::array<TColor, 3>{c.restored, c.restored, 0xFF0000}));
  }
}

TEST_F(GIFPainterPixelsTest, AnimationsOfTheGdkPixbufTestSuiteMatchPillow) {
  const char* data = std::getenv("ZUK_TEST_DATA");
  const fs::path dir =
      fs::path(data && *data ? data : fs::temp_directory_path().string()) / "gdk-pixbuf-gifs";
  if (!fs::exists(dir / "aero.gif")) {
    if (!RunScript("fetch " + Quote(dir.string()) + " >/dev/null 2>&1") || !fs::exists(dir / "aero.gif"))
      GTEST_SKIP() << "the gdk-pixbuf-tests package could not be fetched";
  }
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::unique_ptr<Loaded> loaded;
    try {
      loaded = std::make_unique<Loaded>(bytes);
    } catch (const std::exception&) {
      continue;  // files that test broken data are the decoder tests' business
    }
    if (loaded->image.Count() < 2) continue;
    SCOPED_TRACE(entry.path().filename().string());
    Check(entry.path(), 20);
    ++checked;
  }
  EXPECT_GE(checked, 10);
}

}  // namespace
