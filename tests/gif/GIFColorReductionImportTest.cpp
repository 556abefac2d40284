// Frames made from bitmaps: indexed bitmaps keep their pixels and colours, true-colour ones
// are reduced by the image's settings, and the frame draws back the same or nearest colours.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gif/GIFColorReduction.h"
#include "gif/GIFImage.h"

namespace {

struct RGB {
  uint8_t r, g, b;
  friend bool operator==(const RGB&, const RGB&) = default;
};

std::unique_ptr<TBitmap> Make24(int width, int height, const std::vector<RGB>& pixels) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bitmap->ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const RGB& p = pixels[static_cast<size_t>(y * width + x)];
      row[3 * x] = p.b;
      row[3 * x + 1] = p.g;
      row[3 * x + 2] = p.r;
    }
  }
  return bitmap;
}

// The frame's own rendering read back as colours.
std::vector<RGB> DrawnColours(TGIFSubImage& frame) {
  TBitmap copy;
  copy.Assign(frame.Bitmap());
  copy.SetPixelFormat(pf24bit);
  std::vector<RGB> out;
  for (int y = 0; y < copy.Height(); ++y)
    for (int x = 0; x < copy.Width(); ++x) {
      const uint8_t* p = copy.ScanLine(y) + 3 * x;
      out.push_back(RGB{p[2], p[1], p[0]});
    }
  return out;
}

std::vector<int> FramePixels(const TGIFSubImage& frame) {
  std::vector<int> out;
  for (int y = 0; y < frame.Height(); ++y)
    for (int x = 0; x < frame.Width(); ++x) out.push_back(frame.Pixels(x, y));
  return out;
}

}  // namespace

TEST(GIFBitmapImportTest, TrueColourWithoutReductionKeepsEveryColour) {
  TGIFImage image;
  image.ColorReduction = rmNone;
  const std::vector<RGB> colours = {{10, 20, 30}, {200, 100, 50}, {10, 20, 30},
                                    {1, 2, 3},    {200, 100, 50}, {9, 9, 9}};
  auto source = Make24(3, 2, colours);
  ASSERT_EQ(image.AddBitmap(*source), 0);
  TGIFSubImage& frame = image.Images(0);
  EXPECT_EQ(image.Width(), 3);
  EXPECT_EQ(image.Height(), 2);
  EXPECT_EQ(frame.ColorMap().Count(), 4);
  EXPECT_EQ(FramePixels(frame), (std::vector<int>{0, 1, 0, 2, 1, 3}));  // table in order of first use
  EXPECT_EQ(frame.ColorMap().Colors(1), MakeColor(0x3264C8));
  EXPECT_EQ(DrawnColours(frame), colours);
}

TEST(GIFBitmapImportTest, MoreThan256ColoursWithoutReductionOverflow) {
  TGIFImage image;
  image.ColorReduction = rmNone;
  std::vector<RGB> colours;
  for (int i = 0; i < 257; ++i)
    colours.push_back(RGB{static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), 0});
  auto source = Make24(257, 1, colours);
  TGIFSubImage frame(&image);
  EXPECT_THROW(frame.AssignBitmap(*source), GIFException);
}

TEST(GIFBitmapImportTest, TrueColourIsReducedByTheImageSettings) {
  TGIFImage image;  // web palette, nearest colour by default
  auto source = Make24(2, 1, {{250, 3, 0}, {100, 100, 100}});
  image.AddBitmap(*source);
  TGIFSubImage& frame = image.Images(0);
  EXPECT_EQ(frame.ColorMap().Count(), 256);
  // The web levels are (c + 3) / 51, so 250 still falls on level 4.
  EXPECT_EQ(FramePixels(frame), (std::vector<int>{144, 86}));
  EXPECT_EQ(DrawnColours(frame), (std::vector<RGB>{{204, 0, 0}, {102, 102, 102}}));

  TGIFImage gray;
  gray.ColorReduction = rmMonochrome;
  gray.DitherMode = dmFloydSteinberg;
  gray.AddBitmap(*Make24(2, 2, {{100, 100, 100}, {100, 100, 100}, {100, 100, 100}, {100, 100, 100}}));
  EXPECT_EQ(FramePixels(gray.Images(0)), (std::vector<int>{0, 1, 1, 0}));
}

TEST(GIFBitmapImportTest, IndexedBitmapsKeepPixelsAndColourTable) {
  struct Case {
    TPixelFormat format;
    std::vector<uint8_t> row;  // packed first row
    std::vector<int> pixels;
  };
  const std::vector<Case> cases = {
      {pf1bit, {0xA0}, {1, 0, 1}},
      {pf4bit, {0x2F, 0x70}, {2, 15, 7}},
      {pf8bit, {200, 3, 17}, {200, 3, 17}},
  };
  for (const Case& c : cases) {
    TBitmap source;
    source.SetPixelFormat(c.format);
    source.SetSize(3, 1);
    std::vector<TRGBQuad> table;
    for (int i = 0; i < 256; ++i)
      table.push_back(TRGBQuad{static_cast<uint8_t>(i), 0, static_cast<uint8_t>(255 - i), 0});
    source.SetColorTable(table);
    std::copy(c.row.begin(), c.row.end(), source.ScanLine(0));
    TGIFImage image;
    image.ColorReduction = rmMonochrome;  // indexed pixels are not reduced
    image.AddBitmap(source);
    TGIFSubImage& frame = image.Images(0);
    EXPECT_EQ(FramePixels(frame), c.pixels) << int(c.format);
    EXPECT_EQ(frame.ColorMap().Count(), static_cast<int>(source.ColorTable().size()));
    const int last = c.pixels[1];
    EXPECT_EQ(frame.ColorMap().Colors(last), MakeColor(static_cast<uint32_t>((255 - last) | (last << 16))));
  }
}

TEST(GIFBitmapImportTest, EmptyBitmapLeavesTheFrameEmpty) {
  TGIFImage image;
  TGIFSubImage frame(&image);
  frame.AssignBitmap(*Make24(1, 1, {{1, 2, 3}}));
  EXPECT_FALSE(frame.Empty());
  frame.AssignBitmap(TBitmap());
  EXPECT_TRUE(frame.Empty());
  EXPECT_EQ(frame.ColorMap().Count(), 0);
}

TEST(GIFBitmapImportTest, ImportAndRenderingReportTheirProgressEvery32Rows) {
  TGIFImage image;
  image.ColorReduction = rmNone;
  std::vector<std::pair<int, std::string>> reports;
  image.OnProgress = [&](TObject*, TProgressStage, uint8_t percent, bool, const TRect&,
                         const std::string& text) { reports.emplace_back(percent, text); };
  // Starting, running at every 32nd row, ending.
  const auto expect = [&reports](const std::string& text, const std::vector<int>& percents) {
    decltype(reports) expected;
    for (const int percent : percents) expected.emplace_back(percent, text);
    EXPECT_EQ(std::exchange(reports, {}), expected);
  };
  for (const int frame : {0, 1}) {
    if (frame == 1) image.DrawOptions = doDitherToWebPalette;  // rendering through the ditherer
    image.AddBitmap(*Make24(2, 70, std::vector<RGB>(140, RGB{1, 2, 3})));
    expect("Converting...", {0, 0, 45, 91, 100});
    image.Images(frame).Bitmap();
    expect("Rendering...", {0, 0, 45, 91, 100});
  }
  std::vector<RGB> wide;
  for (int x = 0; x < 300; ++x) wide.push_back({static_cast<uint8_t>(x), static_cast<uint8_t>(x >> 8), 0});
  EXPECT_THROW(image.AddBitmap(*Make24(300, 1, wide)), GIFException);
  expect("Converting...", {0, 0, 0});  // a 257th colour ends the conversion at 0
}
