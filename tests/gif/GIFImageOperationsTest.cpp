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

/// What Pillow prints about the file ("" without Pillow).
std::string Pillow(const Bytes& gif, const std::string& expression) {
  const std::optional<Bytes> out = PillowOutput(gif, "print(" + expression + ")");
  return out ? std::string(out->begin(), out->end()) : std::string();
}

/// A saved file and what Pillow must print about it.
struct PillowRead {
  std::string what;
  Bytes file;
  std::string expression, expected;
};

/// Compares what Pillow prints about each file. Called last: without Pillow it skips the test
/// once the checks that need no Pillow have run.
void ExpectPillowReads(const std::vector<PillowRead>& reads) {
  if (!HavePillow())
    GTEST_SKIP() << "Pillow (python3-pil) is not installed: the saved files are not read back";
  for (const PillowRead& r : reads) EXPECT_EQ(Pillow(r.file, r.expression), r.expected) << r.what;
}

/// A 3 x 2 frame of indices 0..3 on the four-colour global table.
Bytes SmallFile() {
  GifBuilder b;
  b.Header("87a", 3, 2, Palette4()).Frame(FrameSpec{0, 0, 3, 2, {1, 2, 3, 1, 2, 0}, {}, false, 2}).Trailer();
  return b.bytes;
}

Bytes ReadBytes(const std::string& name) {
  TFileStream file(name, fmOpenRead);
  TMemoryStream copy;
  copy.CopyFrom(file, 0);
  std::remove(name.c_str());
  return Bytes(copy.Bytes().begin(), copy.Bytes().end());
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
  // The header and each frame written to a file of its own make a GIF file when joined.
  const std::string header = gfxtest::TempPath("header.gif"), first = gfxtest::TempPath("first.gif"),
                    second = gfxtest::TempPath("second.gif");
  image.Header().SaveToFile(header);
  image.Images(0).SaveToFile(first);
  image.Images(1).SaveToFile(second);
  TGIFSubImage again(&image);
  again.LoadFromFile(second);
  EXPECT_EQ(FramePixels(again), (Bytes{0, 1}));
  Bytes file = ReadBytes(header);
  for (const std::string& name : {first, second})
    for (uint8_t byte : ReadBytes(name)) file.push_back(byte);
  file.push_back(0x3B);
  if (!HavePillow()) GTEST_SKIP() << "Pillow (python3-pil) is not installed";
  EXPECT_EQ(Pillow(file, "list(im.getdata()), im.getpalette()[:9], im.n_frames"),
            "[0, 0, 0, 0, 0, 0, 0, 2] [255, 0, 0, 0, 255, 0, 0, 0, 255] 2\n");
}

TEST(GIFImageAdd, IconsAndMetafilesLeaveWhatTheyDoNotCoverTransparent) {
  struct Case {
    const char* name;
    std::function<std::unique_ptr<TGraphic>()> make;
    TPoint opaque, untouched;
  };
  const Case cases[] = {
      {"IconMask",
       [] { return std::unique_ptr<TGraphic>(gfxtest::HalfTransparentIcon(8, 8, clRed)); },
       {1, 1},
       {6, 1}},
      {"MetafileBackground",
       [] {
         auto meta = std::make_unique<TMetafile>();
         TMemoryStream in = gfxtest::StreamOf(gfxtest::WmfOf(
             {wmftest::SolidBrush(clRed), wmftest::Select(0), wmftest::Rectangle(240, 240, 720, 720)}, 960,
             1));
         meta->LoadFromStream(in);
         return std::unique_ptr<TGraphic>(std::move(meta));
       },
       {32, 32},
       {2, 2}},
  };
  std::vector<PillowRead> reads;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TGIFImage image;
    image.Add(c.make().get());
    TGIFSubImage& frame = image.Images(0);
    ASSERT_TRUE(frame.Transparent());
    const int key = frame.GraphicControlExtension()->TransparentColorIndex();
    EXPECT_NE(frame.Pixels(c.opaque.X, c.opaque.Y), key);
    EXPECT_EQ(frame.Pixels(c.untouched.X, c.untouched.Y), key);
    const std::string at = std::to_string(c.untouched.X) + "," + std::to_string(c.untouched.Y);
    reads.push_back({c.name, SaveBytes(image), "im.info.get('transparency'), im.getpixel((" + at + "))",
                     std::to_string(key) + " " + std::to_string(key) + "\n"});
  }
  ExpectPillowReads(reads);
}

TEST(GIFColorMap, ImportsReplaceTheTableAndWhatIsRenderedWithIt) {
  const std::vector<TRGBQuad> quads = {{255, 0, 0, 0}, {0, 255, 255, 0}, {0, 0, 0, 0}, {9, 9, 9, 0}};
  const std::function<void(TGIFColorMap&)> imports[] = {
      [](TGIFColorMap& m) {
        m.ImportPalette({{0, 0, 255, 0}, {255, 255, 0, 0}, {0, 0, 0, 0}, {9, 9, 9, 0}});
      },
      [&](TGIFColorMap& m) { m.ImportColorTable(quads); },
      [&](TGIFColorMap& m) {
        TBitmap b;
        b.SetPixelFormat(pf8bit);
        b.SetColorTable(quads);
        m.ImportDIBColors(b);
      },
  };
  std::vector<PillowRead> reads;
  for (const auto& import : imports) {
    Loaded loaded(SmallFile());
    ASSERT_NE(loaded.image.Bitmap(), nullptr);  // a rendering with the old colours
    import(loaded.image.Header().ColorMap());
    TBitmap rendered;
    rendered.Assign(&loaded.image);
    EXPECT_EQ(rendered.Canvas().Pixel(0, 0), 0x00FFFF);  // index 1: yellow
    EXPECT_EQ(rendered.Canvas().Pixel(2, 1), 0xFF0000);  // index 0: blue
    reads.push_back({"import " + std::to_string(reads.size()), SaveBytes(loaded.image), "im.getpalette()[:6]",
                     "[0, 0, 255, 255, 255, 0]\n"});
  }
  ExpectPillowReads(reads);
}

TEST(GIFFrameGeometry, ASetterMovesOrResizesTheFrameAndGrowsTheScreen) {
  constexpr const char* kHigh = "Image height too small for contained frames";
  constexpr const char* kWide = "Image width too small for contained frames";
  constexpr const char* kExceeds = "Image exceeds Logical Screen size";
  const struct {
    void (TGIFSubImage::*set)(int32_t);
    int32_t value;
    TRect bounds;
    std::vector<std::string> warnings;
    bool newPixels;  // all 0
  } cases[] = {{&TGIFSubImage::SetLeft, 2, {2, 0, 5, 2}, {kWide, kExceeds}, false},
               {&TGIFSubImage::SetTop, 1, {0, 1, 3, 3}, {kHigh, kExceeds}, false},
               {&TGIFSubImage::SetWidth, 2, {0, 0, 2, 2}, {}, true},
               {&TGIFSubImage::SetHeight, 4, {0, 0, 3, 4}, {kHigh, kExceeds}, true}};
  for (const auto& c : cases) {
    Loaded loaded(SmallFile());
    loaded.warnings.clear();
    TGIFSubImage& frame = loaded.image.Images(0);
    const Bytes before = FramePixels(frame);
    (frame.*c.set)(c.value);
    EXPECT_EQ(frame.BoundsRect(), c.bounds);
    EXPECT_EQ((TSize{loaded.image.Width(), loaded.image.Height()}),
              (TSize{std::max(3, c.bounds.Right), std::max(2, c.bounds.Bottom)}));
    EXPECT_EQ(loaded.warnings, c.warnings);
    EXPECT_EQ(FramePixels(frame), c.newPixels ? Bytes(FramePixels(frame).size(), 0) : before);
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
    GifBuilder b;
    b.Header("89a", 3, 2, c.table ? Palette4() : std::vector<RGB>{})
        .Frame(FrameSpec{0, 0, 3, 2, Fill(3, 2, 1), {}, false, 2});
    Loaded loaded(b.Trailer().bytes);
    TGIFGraphicControlExtension& control = loaded.image.Images(0).EnsureGraphicControl();
    control.SetTransparent(true);
    control.SetTransparentColorIndex(c.value);
    EXPECT_EQ(control.TransparentColorIndex(), c.stored);
    EXPECT_EQ(loaded.Warned("Invalid color index"), c.value != c.stored);
    reads.push_back({"index " + std::to_string(c.value), SaveBytes(loaded.image),
                     "im.info.get('transparency')", std::to_string(c.stored) + "\n"});
  }
  ExpectPillowReads(reads);
}

TEST(GIFWebPalette, FramesAreDitheredOntoWebColoursWhenTheOptionsSaySo) {
  // 64 colours of a gradient, one per pixel.
  std::vector<RGB> table;
  Bytes pixels;
  for (int i = 0; i < 64; ++i) {
    table.push_back(RGB{static_cast<uint8_t>(i * 4), static_cast<uint8_t>(255 - i * 3), 90});
    pixels.push_back(static_cast<uint8_t>(i));
  }
  GifBuilder b;
  b.Header("89a", 8, 8).Frame(FrameSpec{0, 0, 8, 8, pixels, table, false, 6}).Trailer();
  Loaded plain(b.bytes);
  EXPECT_EQ(plain.image.Images(0).Palette().size(), 64u);  // the default options keep the colours
  TBitmap reference;  // the frame's colours reduced to the web palette on the bitmap road
  reference.Assign(&plain.image);
  reference.SetPixelFormat(pf24bit);
  const std::unique_ptr<TBitmap> reduced = ReduceColors(reference, rmNetscape, dmFloydSteinberg, 8);
  const TPalette web = WebPalette();
  for (const bool transparent : {false, true}) {
    SCOPED_TRACE(transparent ? "transparent" : "opaque");
    Loaded loaded(b.bytes);
    if (transparent) loaded.image.Images(0).EnsureGraphicControl().SetTransparent(true);
    loaded.image.DrawOptions = doDitherToWebPalette | doTransparent;
    EXPECT_EQ(loaded.image.GetPalette().size(), 216u);
    EXPECT_EQ(loaded.image.Images(0).Palette().size(), 216u);
    TBitmap drawn, assigned;
    gfxtest::FillBitmap(drawn, 8, 8, [](int, int) { return clFuchsia; });
    drawn.Canvas().Draw(0, 0, &loaded.image);
    assigned.Assign(&loaded.image);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const TColor at = drawn.Canvas().Pixel(x, y);
        for (int shift : {0, 8, 16}) EXPECT_EQ(((at >> shift) & 0xFF) % 51, 0) << x << "," << y;
        const TPaletteEntry& e = web[reduced->ScanLine(y)[x]];
        if (transparent) {  // it spreads no error: only its own place is certain
          if (x == 0 && y == 0) {
            EXPECT_EQ(at, clFuchsia);
          }
          continue;
        }
        EXPECT_EQ(at, MakeColor(e.peRed | (e.peGreen << 8) | (e.peBlue << 16))) << x << "," << y;
        EXPECT_EQ(assigned.Canvas().Pixel(x, y), at) << x << "," << y;
      }
  }
}

TEST(GIFLibrarySettings, RenderingWhileLoadingAndOptimisingComponentData) {
  const Bytes small = SmallFile();
  for (const bool render : {false, true}) {
    GIFImageRenderOnLoad = render;
    TGIFImage image;
    std::vector<bool> redraws;
    image.OnProgress = [&](TObject*, TProgressStage stage, uint8_t, bool redraw, const TRect&,
                           const std::string&) {
      if (stage == psRunning) redraws.push_back(redraw);
    };
    TMemoryStream stream(std::string(small.begin(), small.end()));
    image.LoadFromStream(stream);
    EXPECT_EQ(redraws, std::vector<bool>{render});
  }
  GIFImageRenderOnLoad = false;

  // The second frame repeats the first: optimising makes it transparent and smaller.
  GifBuilder b;
  b.Header("89a", 3, 2, Palette4())
      .GraphicControl(1, false, 0)
      .Frame(FrameSpec{0, 0, 3, 2, Fill(3, 2, 1), {}, false, 2});
  b.GraphicControl(1, false, 0).Frame(FrameSpec{0, 0, 3, 2, Fill(3, 2, 1), {}, false, 2}).Trailer();
  Loaded plain(b.bytes), optimised(b.bytes), untouched(b.bytes);
  optimised.image.Optimize(ooCrop | ooMerge | ooCleanup | ooColorMap | ooReduceColors, 0, 0, 8);
  GIFImageOptimizeOnStream = true;
  TMemoryStream data;
  plain.image.WriteData(data);
  GIFImageOptimizeOnStream = false;
  EXPECT_EQ(Bytes(data.Bytes().begin(), data.Bytes().end()), SaveBytes(optimised.image));
  EXPECT_NE(SaveBytes(optimised.image), SaveBytes(untouched.image));
}

}  // namespace
