// Building GIF images by hand: adding frames and pictures, colour tables, frame geometry,
// the transparent index, the web palette and the library's settings, each checked through
// what is drawn or through the saved file as Pillow reads it.
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

/// What Pillow prints about the file, as text ("" without Pillow).
std::string Pillow(const Bytes& gif, const std::string& expression) {
  const std::optional<Bytes> out = PillowOutput(gif, "print(" + expression + ")");
  return out ? std::string(out->begin(), out->end()) : std::string();
}

/// A 3 x 2 frame of indices 0..3 on the four-colour global table.
Bytes SmallFile() {
  GifBuilder b;
  b.Header("87a", 3, 2, Palette4()).Frame(FrameSpec{0, 0, 3, 2, {1, 2, 3, 1, 2, 0}, {}, false, 2}).Trailer();
  return b.bytes;
}

TEST(GIFImageAdd, FramesAndPicturesBecomeFramesOtherObjectsAreRefused) {
  TGIFImage image;
  auto frame = std::make_unique<TGIFSubImage>(&image);
  frame->SetBounds(0, 0, 4, 2);
  frame->ColorMap().ImportColorTable({{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}});
  frame->MutableScanline(1)[3] = 2;
  const TGIFSubImage* added = frame.get();
  EXPECT_EQ(image.Add(std::move(frame)), 0);
  EXPECT_EQ(&image.Images(0), added);
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf8bit);
  bitmap.SetSize(2, 1);
  bitmap.SetColorTable({{0, 0, 0, 0}, {255, 255, 255, 0}});
  bitmap.ScanLine(0)[0] = 0;
  bitmap.ScanLine(0)[1] = 1;
  EXPECT_EQ(image.Add(&bitmap), 1);
  TPersistent other;
  try {
    image.Add(&other);
    ADD_FAILURE() << "added";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Object type not supported for operation");
  }
  ASSERT_EQ(image.Count(), 2);

  const Bytes saved = SaveBytes(image);
  EXPECT_EQ(FramePixels(Loaded(saved).image.Images(1)), (Bytes{0, 1}));
  if (!HavePillow()) GTEST_SKIP() << "Pillow (python3-pil) is not installed";
  EXPECT_EQ(Pillow(saved, "list(im.getdata()), im.getpalette()[:9]"),
            "[0, 0, 0, 0, 0, 0, 0, 2] [255, 0, 0, 0, 255, 0, 0, 0, 255]\n");
}

struct PictureCase {
  const char* name;
  std::function<std::unique_ptr<TGraphic>()> make;
  TPoint opaque, untouched;
};

TEST(GIFImageAdd, IconsAndMetafilesLeaveWhatTheyDoNotCoverTransparent) {
  const PictureCase cases[] = {
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
  for (const PictureCase& c : cases) {
    SCOPED_TRACE(c.name);
    TGIFImage image;
    image.Add(c.make().get());
    TGIFSubImage& frame = image.Images(0);
    ASSERT_TRUE(frame.Transparent());
    const int key = frame.GraphicControlExtension()->TransparentColorIndex();
    const int opaque = frame.Pixels(c.opaque.X, c.opaque.Y);
    EXPECT_EQ(frame.Pixels(c.untouched.X, c.untouched.Y), key);
    EXPECT_NE(opaque, key);
    if (!HavePillow()) continue;
    const std::string at = [](TPoint p) {
      return "(" + std::to_string(p.X) + "," + std::to_string(p.Y) + ")";
    }(c.untouched);
    EXPECT_EQ(Pillow(SaveBytes(image), "im.info.get('transparency'), im.getpixel(" + at + ")"),
              std::to_string(key) + " " + std::to_string(key) + "\n");
  }
}

TEST(GIFColorMap, ImportsReplaceTheTableAndWhatIsRenderedWithIt) {
  const std::vector<TRGBQuad> blueYellowBlackGrey = {
      {255, 0, 0, 0}, {0, 255, 255, 0}, {0, 0, 0, 0}, {9, 9, 9, 0}};
  const std::pair<const char*, std::function<void(TGIFColorMap&)>> imports[] = {
      {"palette",
       [](TGIFColorMap& m) {
         m.ImportPalette({{0, 0, 255, 0}, {255, 255, 0, 0}, {0, 0, 0, 0}, {9, 9, 9, 0}});
       }},
      {"colour table", [&](TGIFColorMap& m) { m.ImportColorTable(blueYellowBlackGrey); }},
      {"bitmap's colours",
       [&](TGIFColorMap& m) {
         TBitmap b;
         b.SetPixelFormat(pf8bit);
         b.SetSize(1, 1);
         b.SetColorTable(blueYellowBlackGrey);
         m.ImportDIBColors(b);
       }},
  };
  for (const auto& [name, import] : imports) {
    SCOPED_TRACE(name);
    Loaded loaded(SmallFile());
    ASSERT_NE(loaded.image.Bitmap(), nullptr);  // a rendering with the old colours
    import(loaded.image.Header().ColorMap());
    TBitmap rendered;
    rendered.Assign(&loaded.image);
    EXPECT_EQ(rendered.Canvas().Pixel(0, 0), 0x00FFFF);  // index 1: yellow
    EXPECT_EQ(rendered.Canvas().Pixel(2, 1), 0xFF0000);  // index 0: blue
    if (HavePillow()) {
      EXPECT_EQ(Pillow(SaveBytes(loaded.image), "im.getpalette()[:6]"), "[0, 0, 255, 255, 255, 0]\n");
    }
  }
}

TEST(GIFColorMap, AddUniqueFindsBeforeItAddsAndCapacityGrowsInSteps) {
  TGIFImage image;
  TGIFColorMap& map = image.Header().ColorMap();
  EXPECT_EQ(map.AddUnique(clRed), 0);
  EXPECT_EQ(map.AddUnique(clLime), 1);
  EXPECT_EQ(map.AddUnique(clRed), 0);
  EXPECT_EQ(map.Count(), 2);
  EXPECT_EQ(map.Capacity(), 16);
  for (const auto& [asked, capacity] : {std::pair{17, 32}, {5, 32}, {200, 224}, {300, 256}}) {
    map.SetCapacity(asked);
    EXPECT_EQ(map.Capacity(), capacity) << asked;
  }
}

TEST(GIFItemFiles, AHeaderAndAFrameSavedAsFilesMakeAFileReadersOpen) {
  Loaded loaded(SmallFile());
  const std::string header = gfxtest::TempPath("header.gif"), frame = gfxtest::TempPath("frame.gif");
  loaded.image.Header().SaveToFile(header);
  loaded.image.Images(0).SaveToFile(frame);
  TGIFSubImage again(&loaded.image);
  again.LoadFromFile(frame);
  EXPECT_EQ(FramePixels(again), FramePixels(loaded.image.Images(0)));

  TMemoryStream joined;
  for (const std::string& name : {header, frame}) {
    TFileStream file(name, fmOpenRead);
    joined.CopyFrom(file, 0);
    std::remove(name.c_str());
  }
  GIFWriteByte(joined, 0x3B);
  const Bytes file(joined.Bytes().begin(), joined.Bytes().end());
  if (!HavePillow()) GTEST_SKIP() << "Pillow (python3-pil) is not installed";
  EXPECT_EQ(PillowIndices(file), FramePixels(loaded.image.Images(0)));
}

struct GeometryCase {
  const char* name;
  void (TGIFSubImage::*set)(int32_t);
  int32_t value;
  TRect bounds;
  TSize screen;
  std::vector<std::string> warnings;
  bool newPixels;  // all 0
};

TEST(GIFFrameGeometry, ASetterMovesOrResizesTheFrameAndGrowsTheScreen) {
  const GeometryCase cases[] = {
      {"Left",
       &TGIFSubImage::SetLeft,
       2,
       {2, 0, 5, 2},
       {5, 2},
       {"Image width too small for contained frames", "Image exceeds Logical Screen size"},
       false},
      {"Top",
       &TGIFSubImage::SetTop,
       1,
       {0, 1, 3, 3},
       {3, 3},
       {"Image height too small for contained frames", "Image exceeds Logical Screen size"},
       false},
      {"Width", &TGIFSubImage::SetWidth, 2, {0, 0, 2, 2}, {3, 2}, {}, true},
      {"Height",
       &TGIFSubImage::SetHeight,
       4,
       {0, 0, 3, 4},
       {3, 4},
       {"Image height too small for contained frames", "Image exceeds Logical Screen size"},
       true},
  };
  for (const GeometryCase& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded loaded(SmallFile());
    loaded.warnings.clear();
    TGIFSubImage& frame = loaded.image.Images(0);
    const Bytes before = FramePixels(frame);
    (frame.*c.set)(c.value);
    EXPECT_EQ(frame.BoundsRect(), c.bounds);
    EXPECT_EQ(loaded.image.Width(), c.screen.cx);
    EXPECT_EQ(loaded.image.Height(), c.screen.cy);
    EXPECT_EQ(loaded.warnings, c.warnings);
    EXPECT_EQ(FramePixels(frame),
              c.newPixels ? Bytes(static_cast<size_t>(c.bounds.Width() * c.bounds.Height()), 0) : before);
    if (HavePillow()) {
      EXPECT_EQ(Pillow(SaveBytes(loaded.image), "im.size"),
                "(" + std::to_string(c.screen.cx) + ", " + std::to_string(c.screen.cy) + ")\n");
    }
  }
  Loaded loaded(SmallFile());
  EXPECT_THROW(loaded.image.Images(0).SetWidth(70000), GIFException);
}

TEST(GIFTransparentIndex, AnIndexBeyondTheColourTableWarnsAndStoresZero) {
  const struct {
    bool table;
    uint8_t value, stored;
  } cases[] = {{true, 3, 3}, {true, 4, 0}, {false, 9, 9}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << int{c.value} << (c.table ? " with a table" : " without one"));
    GifBuilder b;
    b.Header("89a", 3, 2, c.table ? Palette4() : std::vector<RGB>{})
        .Frame(FrameSpec{0, 0, 3, 2, {1, 2, 3, 1, 2, 0}, {}, false, 4})
        .Trailer();
    Loaded loaded(b.bytes);
    TGIFGraphicControlExtension& control = loaded.image.Images(0).EnsureGraphicControl();
    control.SetTransparent(true);
    control.SetTransparentColorIndex(c.value);
    EXPECT_EQ(control.TransparentColorIndex(), c.stored);
    EXPECT_EQ(loaded.Warned("Invalid color index"), c.value != c.stored);
    if (HavePillow()) {
      EXPECT_EQ(Pillow(SaveBytes(loaded.image), "im.info.get('transparency')"),
                std::to_string(c.stored) + "\n");
    }
  }
}

TEST(GIFWebPalette, FramesAreDitheredOntoWebColoursWhenTheOptionsSaySo) {
  // 64 colours of a red-green gradient, one per pixel; index 0 is transparent in the
  // second round.
  std::vector<RGB> table;
  Bytes pixels;
  for (int i = 0; i < 64; ++i) {
    table.push_back(RGB{static_cast<uint8_t>(i * 4), static_cast<uint8_t>(255 - i * 3), 90});
    pixels.push_back(static_cast<uint8_t>(i));
  }
  GifBuilder b;
  b.Header("89a", 8, 8).Frame(FrameSpec{0, 0, 8, 8, pixels, table, false, 6}).Trailer();
  for (const bool transparent : {false, true}) {
    SCOPED_TRACE(transparent ? "transparent" : "opaque");
    Loaded loaded(b.bytes), plain(b.bytes);
    TGIFSubImage& frame = loaded.image.Images(0);
    EXPECT_EQ(frame.Palette().size(), 64u);  // the default options keep the frame's colours
    TBitmap reference;                       // the frame's colours, reduced on their own road
    reference.Assign(&plain.image);
    reference.SetPixelFormat(pf24bit);
    const std::unique_ptr<TBitmap> reduced = ReduceColors(reference, rmNetscape, dmFloydSteinberg, 8);
    if (transparent) frame.EnsureGraphicControl().SetTransparent(true);
    loaded.image.DrawOptions = doDitherToWebPalette | doTransparent;
    EXPECT_EQ(loaded.image.GetPalette().size(), 216u);
    EXPECT_EQ(frame.Palette().size(), 216u);

    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(8, 8);
    target.Canvas().Brush().SetColor(clFuchsia);
    target.Canvas().FillRect(Rect(0, 0, 8, 8));
    target.Canvas().Draw(0, 0, &loaded.image);
    const TPalette web = WebPalette();
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const TColor drawn = target.Canvas().Pixel(x, y);
        if (transparent && x == 0 && y == 0) {
          EXPECT_EQ(drawn, clFuchsia);
          continue;
        }
        const TPaletteEntry& e = web[reduced->ScanLine(y)[x]];
        const TColor expected = MakeColor(e.peRed | (e.peGreen << 8) | (e.peBlue << 16));
        // Without the transparent pixel the ditherer's error runs as in the reference.
        if (!transparent) {
          EXPECT_EQ(drawn, expected) << x << "," << y;
        }
        for (int shift : {0, 8, 16}) EXPECT_EQ(((drawn >> shift) & 0xFF) % 51, 0) << x << "," << y;
      }
  }
}

TEST(GIFLibrarySettings, RenderingWhileLoadingAndOptimisingComponentData) {
  for (const bool render : {false, true}) {
    GIFImageRenderOnLoad = render;
    TGIFImage image;
    std::vector<bool> redraws;
    image.OnProgress = [&](TObject*, TProgressStage stage, uint8_t, bool redraw, const TRect&,
                           const std::string&) {
      if (stage == psRunning) redraws.push_back(redraw);
    };
    const Bytes file = SmallFile();
    TMemoryStream stream(std::string(file.begin(), file.end()));
    image.LoadFromStream(stream);
    EXPECT_EQ(redraws, std::vector<bool>{render});
  }
  GIFImageRenderOnLoad = false;

  // Two frames, the second the same as the first: optimising makes the second one smaller.
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
