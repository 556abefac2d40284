// Picture kinds other than plain bitmaps (icons, cursors, metafiles), the graphic class
// registry, TPicture, image lists, the built-in resources, fonts and system colours.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <ostream>

#include "GraphicsTestSupport.h"
#include "platform/core/Resources.h"
#include "platform/core/SysUtils.h"
#include "platform/core/TypInfo.h"
#include "platform/graphics/GraphicResources.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Picture.h"

using namespace gfxtest;

namespace {

/// An icon image as a DIB: 40-byte header with doubled height, colour pixels bottom-up, then
/// the AND mask (1 = transparent).
Bytes IconDib(int size, int bits, std::function<uint32_t(int, int)> color,
              std::function<bool(int, int)> clear) {
  DibSpec s;
  s.width = size;
  s.height = size * 2;
  s.bits = static_cast<uint16_t>(bits);
  s.pixels = PackRows(size, size, bits, [&](int x, int r) { return color(x, size - 1 - r); });
  Bytes mask = PackRows(size, size, 1, [&](int x, int r) { return clear(x, size - 1 - r) ? 1u : 0u; });
  s.pixels.insert(s.pixels.end(), mask.begin(), mask.end());
  return BuildDib(s);
}

Bytes IconFile(uint16_t type, const std::vector<std::pair<Bytes, std::array<uint16_t, 3>>>& images) {
  Bytes f;
  Put16(f, 0);
  Put16(f, type);
  Put16(f, static_cast<uint32_t>(images.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (const auto& [data, info] : images) {
    f.push_back(static_cast<uint8_t>(info[0]));  // width
    f.push_back(static_cast<uint8_t>(info[0]));  // height
    f.push_back(0);
    f.push_back(0);
    Put16(f, info[1]);  // planes or hot spot x
    Put16(f, info[2]);  // bits or hot spot y
    Put32(f, static_cast<uint32_t>(data.size()));
    Put32(f, offset);
    offset += static_cast<uint32_t>(data.size());
  }
  for (const auto& image : images) f.insert(f.end(), image.first.begin(), image.first.end());
  return f;
}

Bytes Emf(int32_t frameRight, int32_t frameBottom) {
  Bytes f;
  Put32(f, 1);                              // EMR_HEADER
  Put32(f, 88);                             // record size
  for (int i = 0; i < 4; ++i) Put32(f, 0);  // bounds
  Put32(f, 0);
  Put32(f, 0);
  Put32(f, static_cast<uint32_t>(frameRight));
  Put32(f, static_cast<uint32_t>(frameBottom));
  Put32(f, 0x464D4520);
  Put32(f, 0x10000);
  Put32(f, 88 + 20);  // total bytes
  Put32(f, 2);        // records
  while (f.size() < 88) f.push_back(0);
  Put32(f, 14);  // EMR_EOF
  Put32(f, 20);
  Put32(f, 0);
  Put32(f, 0);
  Put32(f, 20);
  return f;
}

Bytes Saved(TGraphic& g) {
  TMemoryStream s;
  g.SaveToStream(s);
  return Bytes(s.Bytes().begin(), s.Bytes().end());
}

template <typename T>
std::unique_ptr<T> Load(const Bytes& b) {
  auto g = std::make_unique<T>();
  TMemoryStream in = StreamOf(b);
  g->LoadFromStream(in);
  return g;
}

TEST(Icon, ChoosesTheFullSizeImageAndHonoursItsMask) {
  const Bytes small = IconDib(
      16, 4, [](int, int) { return 9u; }, [](int, int) { return false; });
  const Bytes large = IconDib(
      32, 24, [](int x, int) { return x < 16 ? 0xFF0000u : 0x00FF00u; }, [](int x, int y) { return x == y; });
  const Bytes file = IconFile(1, {{small, {16, 1, 4}}, {large, {32, 1, 24}}});
  auto icon = Load<TIcon>(file);
  EXPECT_EQ(icon->Width(), 32);
  EXPECT_EQ(icon->Height(), 32);
  EXPECT_FALSE(icon->IsCursor());
  EXPECT_TRUE(icon->Transparent());
  EXPECT_EQ(Saved(*icon), file);

  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(32, 32);
  target.Canvas().Brush().SetColor(clYellow);
  target.Canvas().FillRect(Rect(0, 0, 32, 32));
  target.Canvas().Draw(0, 0, icon.get());
  EXPECT_EQ(target.Canvas().Pixel(3, 3), clYellow);  // masked
  EXPECT_EQ(target.Canvas().Pixel(3, 4), clRed);
  EXPECT_EQ(target.Canvas().Pixel(20, 4), clLime);
}

TEST(Icon, UsesAlphaOfThirtyTwoBitImagesAndReadsPngImages) {
  const Bytes alpha = IconDib(
      8, 32, [](int x, int) { return x < 4 ? 0xFF0000FFu : 0x00FF0000u; }, [](int, int) { return false; });
  auto icon = Load<TIcon>(IconFile(1, {{alpha, {8, 1, 32}}}));
  TBitmap target;
  target.SetSize(8, 8);
  target.Canvas().Draw(0, 0, icon.get());
  EXPECT_EQ(target.Canvas().Pixel(1, 1), clBlue);
  EXPECT_EQ(target.Canvas().Pixel(6, 1), clWhite);  // alpha 0

  QImage png(4, 4, QImage::Format_ARGB32);
  png.fill(qRgba(0, 255, 0, 255));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  png.save(&buffer, "PNG");
  auto pngIcon = Load<TIcon>(IconFile(1, {{Bytes(bytes.begin(), bytes.end()), {4, 1, 32}}}));
  EXPECT_EQ(pngIcon->Width(), 4);
}

TEST(Icon, BadFilesRaise) {
  const Bytes good = IconFile(1, {{IconDib(
                                       8, 24, [](int, int) { return 0u; }, [](int, int) { return false; }),
                                   {8, 1, 24}}});
  for (size_t n = 0; n < good.size(); n += 7) {
    TIcon icon;
    TMemoryStream in = StreamOf(Bytes(good.begin(), good.begin() + static_cast<long>(n)));
    EXPECT_THROW(icon.LoadFromStream(in), EInvalidGraphic) << n;
  }
  Bytes badOffset = good;
  badOffset[18] = 0xFF;  // image offset far beyond the file
  TIcon icon;
  TMemoryStream in = StreamOf(badOffset);
  EXPECT_THROW(icon.LoadFromStream(in), EInvalidGraphic);
}

TEST(Metafile, ReadsSizesOfPlaceableWmfAndEmf) {
  const Bytes wmf = PlaceableWmf(1440, 720, 1440);
  auto meta = Load<TMetafile>(wmf);
  EXPECT_FALSE(meta->Enhanced());
  EXPECT_EQ(meta->MMWidth(), 2540);
  EXPECT_EQ(meta->MMHeight(), 1270);
  EXPECT_EQ(meta->Width(), 96);
  EXPECT_EQ(meta->Height(), 48);
  EXPECT_EQ(Saved(*meta), wmf);

  auto emf = Load<TMetafile>(Emf(5080, 2540));
  EXPECT_TRUE(emf->Enhanced());
  EXPECT_EQ(emf->Width(), 192);
  EXPECT_EQ(emf->Height(), 96);
  EXPECT_EQ(Saved(*emf), Emf(5080, 2540));

  // Without the placeable header the size is unknown until it is given; saving then
  // writes a placeable header that reads back.
  const Bytes records(wmf.begin() + 22, wmf.end());
  auto raw = Load<TMetafile>(records);
  EXPECT_EQ(raw->Width(), 0);
  raw->SetMMWidth(2540);
  raw->SetMMHeight(2540);
  auto reread = Load<TMetafile>(Saved(*raw));
  EXPECT_EQ(reread->Width(), 96);
  EXPECT_EQ(reread->Height(), 96);
}

/// Red square over the top-left quarter, a 2 x 2 bitmap stretched over the bottom-right
/// quarter (blue above, green below) and a black line along the right half of row 25 of 100.
Bytes DrawingWmf() {
  DibSpec dib;
  dib.width = 2;
  dib.height = 2;  // bottom-up: the first row is the bottom one
  dib.bits = 24;
  dib.pixels = PackRows(2, 2, 24, [](int, int r) { return r == 0 ? 0x00FF00u : 0x0000FFu; });
  std::vector<uint16_t> stretch = {0x0020, 0x00CC, 0, 2, 2, 0, 0, 50, 50, 50, 50};
  const std::vector<uint16_t> dibWords = WordsOf(BuildDib(dib));
  stretch.insert(stretch.end(), dibWords.begin(), dibWords.end());
  return WmfOf({{0x020B, {0, 0}},                  // window origin
                {0x020C, {100, 100}},              // window extent
                {0x02FC, {0, 0x00FF, 0x0000, 0}},  // solid red brush
                {0x02FA, {5, 0, 0, 0, 0}},         // null pen
                {0x012D, {0}},
                {0x012D, {1}},
                {0x041B, {50, 50, 0, 0}},   // rectangle 0,0 - 50,50
                {0x0F43, stretch},          // bitmap into 50,50 - 100,100
                {0x01F0, {1}},              // the null pen goes
                {0x02FA, {0, 0, 0, 0, 0}},  // black pen takes its slot
                {0x012D, {1}},
                {0x0214, {25, 60}},    // move to (60, 25)
                {0x0213, {25, 100}}},  // line to (100, 25)
               1440, 2);
}

TEST(Metafile, PlaysItsRecordsIntoTheRectangle) {
  auto meta = Load<TMetafile>(DrawingWmf());
  ASSERT_EQ(meta->Width(), 96);
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(60, 60);
  target.Canvas().StretchDraw(Rect(10, 10, 50, 50), meta.get());  // 40 x 40: 0.4 pixels a unit
  TCanvas& c = target.Canvas();
  EXPECT_EQ(c.Pixel(12, 12), clRed);
  EXPECT_EQ(c.Pixel(28, 28), clRed);
  EXPECT_EQ(c.Pixel(9, 12), clWhite);  // outside the rectangle
  EXPECT_EQ(c.Pixel(40, 35), clBlue);
  EXPECT_EQ(c.Pixel(40, 47), clLime);
  EXPECT_EQ(c.Pixel(40, 20), clBlack);  // the line at unit 25
  EXPECT_EQ(c.Pixel(27, 40), clWhite);
  EXPECT_EQ(c.Pixel(55, 20), clWhite);  // clipped to the rectangle

  // The picture's own box: drawn at its size, and saved with it.
  EXPECT_EQ(Saved(*meta), DrawingWmf());
}

TEST(Metafile, PlaysTextInItsFontAndColour) {
  Bytes fontRecord;
  Put16(fontRecord, static_cast<uint16_t>(-40));  // character height
  for (int i = 0; i < 3; ++i) Put16(fontRecord, 0);
  Put16(fontRecord, 700);  // bold
  for (int i = 0; i < 8; ++i) fontRecord.push_back(0);
  const std::string face = "Liberation Sans";
  fontRecord.insert(fontRecord.end(), face.begin(), face.end());
  fontRecord.resize(18 + 32, 0);
  const Bytes text = {'H', 'H'};
  const auto meta = Load<TMetafile>(WmfOf({{0x020C, {100, 100}},
                                           {0x02FB, WordsOf(fontRecord)},
                                           {0x012D, {0}},
                                           {0x0209, {0x00FF, 0x0000}},  // red text
                                           {0x0102, {1}},               // transparent background
                                           {0x0521, {2, WordsOf(text)[0], 10, 10}}},
                                          1440, 1));
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(100, 100);
  target.Canvas().StretchDraw(Rect(0, 0, 100, 100), meta.get());
  int red = 0, other = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) {
      const TColor c = target.Canvas().Pixel(x, y);
      if (c == clRed) {
        ++red;
        EXPECT_TRUE(x >= 10 && y >= 10 && y < 60) << x << "," << y;
      } else if (c != clWhite && GetGValue(c) == GetBValue(c) && GetRValue(c) < 250) {
        ++other;  // smoothing of the red glyphs keeps green equal to blue
      }
    }
  EXPECT_GT(red, 100);
  EXPECT_EQ(other, 0);
}

TEST(Metafile, DamagedRecordsNeverEscapeThePlayer) {
  const Bytes good = DrawingWmf();
  for (size_t n = 40; n < good.size(); n += 3) {
    for (uint8_t flip : {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0x7F}}) {
      Bytes bad = good;
      bad[n] = flip;
      TMetafile meta;
      TMemoryStream in = StreamOf(bad);
      try {
        meta.LoadFromStream(in);
      } catch (const EInvalidGraphic&) {
        continue;
      }
      TBitmap target;
      target.SetSize(20, 20);
      target.Canvas().StretchDraw(Rect(5, 5, 15, 15), &meta);
      // Whatever the damage, nothing is drawn outside the rectangle.
      for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(target.Canvas().Pixel(i, 4), clWhite) << n;
        EXPECT_EQ(target.Canvas().Pixel(15, i), clWhite) << n;
      }
    }
  }
}

TEST(Metafile, BadFilesRaise) {
  // A placeable header's checksum is not checked (see MetafilePlayback); its fields are.
  Bytes shortEmf = Emf(100, 100);
  shortEmf.resize(90);
  const Bytes cases[] = {{}, {1, 2, 3}, shortEmf, PlaceableWmf(100, 100, 0), Emf(-5, 10)};
  for (const Bytes& b : cases) {
    TMetafile meta;
    TMemoryStream in = StreamOf(b);
    EXPECT_THROW(meta.LoadFromStream(in), EInvalidGraphic) << b.size();
  }
}

TEST(GraphicRegistry, CreatesEveryKindByClassName) {
  for (const char* name : {"TBitmap", "TIcon", "TMetafile", "TJPEGImage", "tjpegimage"}) {
    auto g = CreateGraphic(name);
    ASSERT_NE(g, nullptr) << name;
    EXPECT_TRUE(SameText(g->ClassName(), name));
    EXPECT_TRUE(g->Empty());
    EXPECT_NE(GetClass(name), nullptr) << "class registry of platform/core";
  }
  EXPECT_EQ(CreateGraphic("TGIFImage"), nullptr);
  EXPECT_FALSE(IsGraphicClassRegistered("TGIFImage"));

  class TTestImage : public TBitmap {
   public:
    std::string ClassName() const override { return "TTestImage"; }
  };
  RegisterGraphicClass("TTestImage", [] { return std::make_unique<TTestImage>(); });
  auto made = CreateGraphic("TTestImage");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->ClassName(), "TTestImage");
  EXPECT_NE(CreateObjectByClassName("TTestImage"), nullptr);
}

/// One file of each kind, and what its top-left pixel looks like when drawn on white.
struct KindCase {
  const char* name;
  std::function<Bytes()> make;
  std::optional<TColor> top_left;
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const KindCase& c, std::ostream* os) {
  *os << c.name;
}

/// A 4 x 4 red 24-bit picture.
DibSpec Uncompressed4() {
  DibSpec s;
  s.width = 4;
  s.height = 4;
  s.bits = 24;
  s.pixels = PackRows(4, 4, 24, [](int, int) { return 0xFF0000u; });
  return s;
}

Bytes JpegFile() {
  TBitmap b;
  FillBitmap(b, 8, 8, [](int, int) { return clBlack; });
  TJPEGImage j;
  j.Assign(&b);
  return Saved(j);
}

const KindCase kKinds[] = {
    {"TBitmap", [] { return BuildBmp(Uncompressed4()); }, clRed},
    {"TJPEGImage", JpegFile, clBlack},
    {"TIcon",
     [] {
       return IconFile(1, {{IconDib(
                                8, 24, [](int, int) { return 0xFF0000u; }, [](int, int) { return false; }),
                            {8, 1, 24}}});
     },
     clRed},
    {"TMetafile", [] { return PlaceableWmf(720, 720, 1440); }, clWhite},
};

class EveryKind : public ::testing::TestWithParam<KindCase> {};

TEST_P(EveryKind, LoadsCopiesAndDraws) {
  const KindCase& k = GetParam();
  const Bytes file = k.make();
  auto graphic = CreateGraphic(k.name);
  ASSERT_NE(graphic, nullptr);
  TMemoryStream in = StreamOf(file);
  graphic->LoadFromStream(in);
  EXPECT_FALSE(graphic->Empty());

  auto copy = CreateGraphicLike(*graphic);
  copy->Assign(graphic.get());
  EXPECT_EQ(copy->Width(), graphic->Width());
  EXPECT_EQ(copy->Height(), graphic->Height());
  EXPECT_TRUE(copy->Equals(*graphic));

  TPicture picture;
  picture.SetGraphic(copy.get());
  EXPECT_NE(picture.Graphic(), copy.get());
  EXPECT_EQ(picture.Width(), graphic->Width());

  TBitmap target;
  target.SetPixelFormat(pf32bit);
  target.SetSize(graphic->Width() * 2, graphic->Height() * 2);
  target.Canvas().StretchDraw(Rect(0, 0, target.Width(), target.Height()), picture.Graphic());
  target.Canvas().Draw(0, 0, copy.get());
  if (k.top_left) {
    EXPECT_EQ(target.Canvas().Pixel(0, 0), *k.top_left);
  }

  // Component data of a picture property: the class name, then the graphic's data.
  TMemoryStream data;
  picture.WriteData(data);
  data.SetPosition(0);
  TPicture reread;
  reread.ReadData(data);
  ASSERT_NE(reread.Graphic(), nullptr);
  EXPECT_EQ(reread.Graphic()->ClassName(), k.name);
  EXPECT_TRUE(reread.Graphic()->Equals(*graphic));
}

INSTANTIATE_TEST_SUITE_P(Kinds, EveryKind, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Picture, ForcesTypesLoadsByExtensionAndRefusesUnknownData) {
  TPicture picture;
  TBitmap& bitmap = picture.Bitmap();
  bitmap.SetSize(3, 2);
  EXPECT_EQ(picture.Width(), 3);
  picture.Icon();
  EXPECT_EQ(picture.Graphic()->ClassName(), "TIcon");
  picture.Assign(nullptr);
  EXPECT_EQ(picture.Graphic(), nullptr);

  const std::string path = TempPath("picture.BMP");
  WriteFile(path, BuildBmp(Uncompressed4()));
  picture.LoadFromFile(path);
  EXPECT_EQ(picture.Graphic()->ClassName(), "TBitmap");
  std::remove(path.c_str());
  EXPECT_THROW(picture.LoadFromFile(TempPath("picture.xyz")), EInvalidGraphic);
  TPicture::RegisterFileFormat("xyz", "Test", "TJPEGImage");
  EXPECT_EQ(TPicture::FileFormatClass(".XYZ"), "TJPEGImage");

  TMemoryStream data;
  data.WriteBuffer("\x07TNoSuch");
  data.SetPosition(0);
  EXPECT_THROW(picture.ReadData(data), EInvalidGraphic);

  TBitmap target;
  EXPECT_THROW(target.Assign(&picture.Metafile()), EConvertError);
}

TEST(Resources, BadPictureAndJumpCursorAreFoundByName) {
  TBitmap bad;
  bad.LoadFromResourceName("RV_BAD_PICTURE");
  EXPECT_EQ(bad.Width(), 20);
  EXPECT_EQ(bad.Height(), 20);
  EXPECT_EQ(bad.Canvas().Pixel(0, 0), RGBColor(128, 128, 128));
  EXPECT_EQ(bad.Canvas().Pixel(5, 5), clRed);
  EXPECT_EQ(bad.Canvas().Pixel(10, 2), clWhite);
  EXPECT_TRUE(FindResource("rv_bad_picture", "bitmap"));
  EXPECT_THROW(bad.LoadFromResourceName("NO_SUCH_PICTURE"), EResNotFound);

  TIcon cursor;
  LoadCursorResource("RV_JUMP_CURSOR", cursor);
  EXPECT_TRUE(cursor.IsCursor());
  EXPECT_EQ(cursor.HotSpot(), Point(5, 0));
  EXPECT_EQ(cursor.Width(), 32);
  TBitmap drawn;
  drawn.SetSize(32, 32);
  drawn.Canvas().Brush().SetColor(clLime);
  drawn.Canvas().FillRect(Rect(0, 0, 32, 32));
  drawn.Canvas().Draw(0, 0, &cursor);
  EXPECT_EQ(drawn.Canvas().Pixel(0, 0), clLime);   // transparent
  EXPECT_EQ(drawn.Canvas().Pixel(5, 0), clBlack);  // finger tip outline
  EXPECT_EQ(drawn.Canvas().Pixel(5, 2), clWhite);  // inside the finger
}

TEST(ImageList, AddsStripsMasksAndDrawsByIndex) {
  TCustomImageList list;
  list.SetSize(4, 4);
  TBitmap strip;
  FillBitmap(strip, 8, 4, [](int x, int y) { return x < 4 ? (x == y ? clFuchsia : clRed) : clBlue; });
  EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
  EXPECT_EQ(list.Count(), 2);

  TBitmap target;
  target.SetSize(10, 10);
  list.Draw(target.Canvas(), 2, 2, 0);
  EXPECT_EQ(target.Canvas().Pixel(2, 2), clWhite);  // masked colour
  EXPECT_EQ(target.Canvas().Pixel(3, 2), clRed);
  list.Draw(target.Canvas(), 6, 6, 1);
  EXPECT_EQ(target.Canvas().Pixel(6, 6), clBlue);
  list.Draw(target.Canvas(), 0, 0, 2);  // no such image: nothing
  list.Draw(target.Canvas(), 0, 0, -1);
  EXPECT_EQ(target.Canvas().Pixel(0, 0), clWhite);

  list.DrawEx(target.Canvas(), 1, 6, 0, clRed, ILD_TRANSPARENT | ILD_SELECTED);
  const TColor blended = target.Canvas().Pixel(6, 0);
  EXPECT_NEAR(GetRValue(blended), 127, 1);
  EXPECT_NEAR(GetBValue(blended), 127, 1);

  TBitmap copy;
  ASSERT_TRUE(list.GetBitmap(1, &copy));
  EXPECT_EQ(copy.Width(), 4);
  EXPECT_EQ(copy.Canvas().Pixel(0, 0), clBlue);
  EXPECT_FALSE(list.GetBitmap(5, &copy));
  // Transparent pixels come out white, also in the saved file (which has no alpha).
  TBitmap first;
  ASSERT_TRUE(list.GetBitmap(0, &first));
  EXPECT_EQ(first.Canvas().Pixel(1, 1), clWhite);
  EXPECT_EQ(first.Canvas().Pixel(1, 0), clRed);
  TMemoryStream saved;
  first.SaveToStream(saved);
  saved.SetPosition(0);
  TBitmap reloaded;
  reloaded.LoadFromStream(saved);
  EXPECT_EQ(reloaded.Canvas().Pixel(1, 1), clWhite);

  TBitmap mask;
  FillBitmap(mask, 4, 4, [](int x, int) { return x == 0 ? clWhite : clBlack; });
  EXPECT_EQ(list.Add(&strip, &mask), 2);
  EXPECT_EQ(list.Count(), 4);
  list.SetWidth(8);
  EXPECT_EQ(list.Count(), 0);
}

TEST(Font, SizeAndHeightFollowPixelsPerInchAndStreamTheirPublishedNames) {
  TFont font;
  EXPECT_EQ(font.Name(), "MS Sans Serif");
  EXPECT_EQ(font.Size(), 8);
  EXPECT_EQ(font.Height(), -11);
  font.SetSize(12);
  EXPECT_EQ(font.Height(), -16);
  font.SetHeight(-20);
  EXPECT_EQ(font.Size(), 15);
  int changes = 0;
  font.OnChange = [&](TFont&) { ++changes; };
  font.SetStyle({fsBold, fsUnderline});
  font.SetStyle({fsBold, fsUnderline});
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(font.Style().Bits(), 0x05);
  const TLogFont lf = font.GetLogFont();
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfUnderline, 1);
  TFont other;
  other.SetLogFont(lf);
  other.SetColor(font.Color());
  EXPECT_TRUE(other == font);

  std::vector<std::string> names;
  for (const TPropInfo& p : TFont::ClassProperties()) names.push_back(p.Name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"Charset", "Color", "Height", "Name", "Pitch", "Size", "Style"}));
  TPen pen;
  EXPECT_THROW(pen.Assign(&font), EConvertError);
}

TEST(SystemColors, ResolveThroughTheFixedScheme) {
  struct {
    TColor system;
    TColor rgb;
  } const cases[] = {
      {clWindow, RGBColor(0xFF, 0xFF, 0xFF)},
      {clWindowText, RGBColor(0, 0, 0)},
      {clBtnFace, RGBColor(0xF0, 0xF0, 0xF0)},
      {clBtnShadow, RGBColor(0xA0, 0xA0, 0xA0)},
      {clHighlight, RGBColor(0x33, 0x99, 0xFF)},
      {clHighlightText, RGBColor(0xFF, 0xFF, 0xFF)},
      {clHotLight, RGBColor(0x00, 0x66, 0xCC)},
      {clGrayText, RGBColor(0x6D, 0x6D, 0x6D)},
      {clInfoBk, RGBColor(0xFF, 0xFF, 0xE1)},
      {clRed, clRed},
      {clNone, clNone},
  };
  for (const auto& c : cases) EXPECT_EQ(ColorToRGB(c.system), c.rgb) << std::hex << c.system;
  EXPECT_EQ(ColorToRGB(MakeColor(0x80000063)), 0);  // unknown index
}

}  // namespace
