// GIF images built by hand, checked through what is drawn or the saved file as Pillow reads it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "GIFOptimizeSupport.h"
#include "gif/GIFColorReduction.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/WmfRecords.h"

using namespace giftest;

namespace {

/// A saved file, a Python expression about it and what Pillow must print.
using PillowRead = std::tuple<Bytes, std::string, std::string>;

/// Called last: without Pillow it skips once the checks that need no Pillow have run.
void ExpectPillowReads(const std::vector<PillowRead>& reads) {
  if (!HavePillow()) GTEST_SKIP() << "Pillow (python3-pil) is not installed: the files are not read back";
  for (const auto& [file, expression, expected] : reads) {
    const std::optional<Bytes> out = PillowOutput(file, "print(" + expression + ")");
    EXPECT_EQ(out ? std::string(out->begin(), out->end()) : "", expected + "\n") << expression;
  }
}

/// A 3 x 2 frame on the global table.
Bytes SmallFile(const Bytes& pixels = {1, 2, 3, 1, 2, 0}, const std::vector<RGB>& global = Palette4()) {
  return GifBuilder().Header("89a", 3, 2, global).Frame({0, 0, 3, 2, pixels, {}, false, 2}).Trailer().bytes;
}

TEST(GIFImageAdd, FramesAndPicturesAreAddedAndSavedItemByItem) {
  TGIFImage image;
  auto frame = std::make_unique<TGIFSubImage>(&image);
  frame->SetBounds(0, 0, 4, 2);  // new pixels, all 0
  frame->ColorMap().ImportColorTable({{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}});
  frame->MutableScanline(1)[3] = 2;
  const TGIFSubImage* added = frame.get();
  EXPECT_EQ(image.Add(std::move(frame)), 0);
  EXPECT_EQ(&image.Images(0), added);
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf8bit);
  bitmap.SetSize(2, 1);
  bitmap.SetColorTable({{0, 0, 0, 0}, {255, 255, 255, 0}});
  bitmap.ScanLine(0)[0] = 0, bitmap.ScanLine(0)[1] = 1;
  EXPECT_EQ(image.Add(&bitmap), 1);
  TPersistent other;
  EXPECT_THAT([&] { image.Add(&other); }, ::testing::ThrowsMessage<GIFException>(
                                              ::testing::StrEq("Object type not supported for operation")));
  // The header and each frame saved to a file of its own make a GIF file when joined.
  const std::string name = gfxtest::TempPath("item.gif");
  Bytes file;
  const auto append = [&](auto& item) {
    item.SaveToFile(name);
    std::ifstream in(name, std::ios::binary);
    file.insert(file.end(), std::istreambuf_iterator<char>(in), {});
  };
  append(image.Header()), append(image.Images(0)), append(image.Images(1));
  TGIFSubImage again(&image);
  again.LoadFromFile(name);
  std::remove(name.c_str());
  EXPECT_EQ(FramePixels(again), (Bytes{0, 1}));
  file.push_back(0x3B);
  ExpectPillowReads({{file, "list(im.getdata()), im.getpalette()[:9], im.n_frames",
                      "[0, 0, 0, 0, 0, 0, 0, 2] [255, 0, 0, 0, 255, 0, 0, 0, 255] 2"}});
}

TEST(GIFImageAdd, IconsAndMetafilesLeaveWhatTheyDoNotCoverTransparent) {
  const std::unique_ptr<TGraphic> icon(gfxtest::HalfTransparentIcon(8, 8, clRed));
  TMetafile meta;
  TMemoryStream in = gfxtest::StreamOf(gfxtest::WmfOf(
      {wmftest::SolidBrush(clRed), wmftest::Select(0), wmftest::Rectangle(240, 240, 720, 720)}, 960, 1));
  meta.LoadFromStream(in);
  const struct {
    TGraphic* graphic;
    int opaque;  // the pixel (opaque, opaque) is covered; (6, 2) is not
  } cases[] = {{icon.get(), 1}, {&meta, 32}};
  std::vector<PillowRead> reads;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.opaque);
    TGIFImage image;
    image.Add(c.graphic);
    TGIFSubImage& frame = image.Images(0);
    ASSERT_TRUE(frame.Transparent());
    const int key = frame.GraphicControlExtension()->TransparentColorIndex();
    EXPECT_NE(frame.Pixels(c.opaque, c.opaque), key);
    EXPECT_EQ(frame.Pixels(6, 2), key);
    const std::string k = std::to_string(key);
    reads.emplace_back(SaveBytes(image), "im.info.get('transparency'), im.getpixel((6, 2))", k + " " + k);
  }
  ExpectPillowReads(reads);
}

TEST(GIFColorMap, ImportsReplaceTheTableAndWhatIsRenderedWithIt) {
  const std::vector<TRGBQuad> quads = {{255, 0, 0, 0}, {0, 255, 255, 0}, {0, 0, 0, 0}, {9, 9, 9, 0}};
  TBitmap dib;
  dib.SetPixelFormat(pf8bit);
  dib.SetColorTable(quads);
  const std::function<void(TGIFColorMap&)> imports[] = {
      [](TGIFColorMap& m) {
        m.ImportPalette({{0, 0, 255, 0}, {255, 255, 0, 0}, {0, 0, 0, 0}, {9, 9, 9, 0}});
      },
      [&](TGIFColorMap& m) { m.ImportColorTable(quads); }, [&](TGIFColorMap& m) { m.ImportDIBColors(dib); }};
  std::vector<PillowRead> reads;
  for (const auto& import : imports) {
    Loaded loaded(SmallFile());
    ASSERT_NE(loaded.image.Bitmap(), nullptr);  // a rendering with the old colours
    import(loaded.image.Header().ColorMap());
    TBitmap rendered;
    rendered.Assign(&loaded.image);
    EXPECT_EQ(gfxtest::PixelsOf(rendered),
              (std::vector<uint32_t>{0xFFFF00, 0, 0x090909, 0xFFFF00, 0, 0x0000FF}));
    reads.emplace_back(SaveBytes(loaded.image), "im.getpalette()[:6]", "[0, 0, 255, 255, 255, 0]");
  }
  ExpectPillowReads(reads);
}

TEST(GIFFrameGeometry, ASetterMovesOrResizesTheFrameAndGrowsTheScreen) {
  const char* kHigh = "Image height too small for contained frames";
  const char* kWide = "Image width too small for contained frames";
  const char* kExceeds = "Image exceeds Logical Screen size";
  const struct {
    void (TGIFSubImage::*set)(int32_t);
    int32_t value;
    TRect bounds;
    std::vector<std::string> warnings;
  } cases[] = {{&TGIFSubImage::SetLeft, 2, {2, 0, 5, 2}, {kWide, kExceeds}},
               {&TGIFSubImage::SetTop, 1, {0, 1, 3, 3}, {kHigh, kExceeds}},
               {&TGIFSubImage::SetWidth, 2, {0, 0, 2, 2}, {}},
               {&TGIFSubImage::SetHeight, 4, {0, 0, 3, 4}, {kHigh, kExceeds}}};
  for (const auto& c : cases) {
    Loaded loaded(SmallFile());
    TGIFSubImage& frame = loaded.image.Images(0);
    const Bytes before = FramePixels(frame);
    (frame.*c.set)(c.value);
    EXPECT_EQ(frame.BoundsRect(), c.bounds);
    EXPECT_EQ((TSize{loaded.image.Width(), loaded.image.Height()}),
              (TSize{std::max(3, c.bounds.Right), std::max(2, c.bounds.Bottom)}));
    EXPECT_EQ(loaded.warnings, c.warnings);
    const bool resized = c.bounds.Width() != 3 || c.bounds.Height() != 2;  // new pixels, all 0
    EXPECT_EQ(FramePixels(frame), resized ? Bytes(FramePixels(frame).size(), 0) : before);
  }
  Loaded loaded(SmallFile());
  EXPECT_THROW(loaded.image.Images(0).SetWidth(70000), GIFException);
}

TEST(GIFTransparentIndex, AnIndexBeyondTheColourTableWarnsAndStoresZero) {
  const struct {
    bool table;
    uint8_t value, stored;
  } cases[] = {{true, 3, 3}, {true, 4, 0}, {false, 9, 9}};
  std::vector<PillowRead> reads;
  for (const auto& c : cases) {
    Loaded loaded(SmallFile(Fill(3, 2, 1), c.table ? Palette4() : std::vector<RGB>{}));
    TGIFGraphicControlExtension& control = loaded.image.Images(0).EnsureGraphicControl();
    control.SetTransparent(true);
    control.SetTransparentColorIndex(c.value);
    EXPECT_EQ(control.TransparentColorIndex(), c.stored);
    EXPECT_EQ(loaded.Warned("Invalid color index"), c.value != c.stored);
    reads.emplace_back(SaveBytes(loaded.image), "im.info.get('transparency')", std::to_string(c.stored));
  }
  ExpectPillowReads(reads);
}

TEST(GIFWebPalette, FramesAreDitheredOntoWebColoursWhenTheOptionsSaySo) {
  std::vector<RGB> table;  // 64 colours of a gradient, one per pixel
  Bytes pixels;
  for (uint8_t i = 0; i < 64; ++i) {
    table.push_back(RGB{static_cast<uint8_t>(i * 4), static_cast<uint8_t>(255 - i * 3), 90});
    pixels.push_back(i);
  }
  const Bytes file =
      GifBuilder().Header("89a", 8, 8).Frame({0, 0, 8, 8, pixels, table, false, 6}).Trailer().bytes;
  Loaded plain(file);
  EXPECT_EQ(plain.image.Images(0).Palette().size(), 64u);  // the default options keep the colours
  TBitmap reference;  // the frame's colours reduced to the web palette on the bitmap road
  reference.Assign(&plain.image);
  reference.SetPixelFormat(pf24bit);
  const std::unique_ptr<TBitmap> reduced = ReduceColors(reference, rmNetscape, dmFloydSteinberg, 8);
  const std::vector<uint32_t> want = gfxtest::PixelsOf(*reduced);
  for (const bool transparent : {false, true}) {
    Loaded loaded(file);
    if (transparent) loaded.image.Images(0).EnsureGraphicControl().SetTransparent(true);
    loaded.image.DrawOptions = doDitherToWebPalette | doTransparent;
    EXPECT_EQ(loaded.image.GetPalette().size(), 216u);
    EXPECT_EQ(loaded.image.Images(0).Palette().size(), 216u);
    TBitmap drawn, assigned;
    gfxtest::FillBitmap(drawn, 8, 8, [](int, int) { return clFuchsia; });
    drawn.Canvas().Draw(0, 0, &loaded.image);
    assigned.Assign(&loaded.image);
    const std::vector<uint32_t> got = gfxtest::PixelsOf(drawn);
    for (uint32_t p : got) EXPECT_EQ((p & 0xFF) % 51 + (p >> 8 & 0xFF) % 51 + (p >> 16) % 51, 0u);
    if (transparent)  // it spreads no error: only its own place is certain
      EXPECT_EQ(got[0], 0xFF00FFu);
    else
      EXPECT_EQ(std::pair(got, gfxtest::PixelsOf(assigned)), std::pair(want, want));
  }
}

TEST(GIFLibrarySettings, RenderingWhileLoadingAndOptimisingComponentData) {
  for (const bool render : {false, true}) {
    GIFImageRenderOnLoad = render;
    TGIFImage image;
    std::vector<bool> redraws;
    image.OnProgress = [&](TObject*, TProgressStage stage, uint8_t, bool redraw, const TRect&,
                           const std::string& message) {
      if (stage == psRunning && message == "Loading...") redraws.push_back(redraw);
    };
    TMemoryStream stream = gfxtest::StreamOf(SmallFile());
    image.LoadFromStream(stream);
    EXPECT_EQ(redraws, std::vector<bool>{render});
  }
  GIFImageRenderOnLoad = false;
  // The second frame repeats the first: optimising makes it transparent and smaller.
  GifBuilder b;
  b.Header("89a", 3, 2, Palette4());
  for (int i = 0; i < 2; ++i) b.GraphicControl(1, false, 0).Frame({0, 0, 3, 2, Fill(3, 2, 1), {}, false, 2});
  Loaded plain(b.Trailer().bytes), optimised(b.bytes), untouched(b.bytes);
  optimised.image.Optimize(ooCrop | ooMerge | ooCleanup | ooColorMap | ooReduceColors, 0, 0, 8);
  GIFImageOptimizeOnStream = true;
  TMemoryStream data;
  plain.image.WriteData(data);
  GIFImageOptimizeOnStream = false;
  EXPECT_EQ(Bytes(data.Bytes().begin(), data.Bytes().end()), SaveBytes(optimised.image));
  EXPECT_NE(SaveBytes(optimised.image), SaveBytes(untouched.image));
}

}  // namespace
