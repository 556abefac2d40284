// Recording on a metafile canvas: the same drawing calls made on a bitmap and recorded into
// an enhanced or a Windows metafile must come back alike when the metafile plays; the files
// must be laid out as other programs read them, and an office suite must draw them too.
#include <gtest/gtest.h>

#include <QImage>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "GraphicsTestSupport.h"
#include "MetafileFingerprint.h"
#include "platform/graphics/MetafileCanvas.h"

namespace fs = std::filesystem;
using namespace gfxtest;

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;

/// A chequered 20 x 20 bitmap of fuchsia and aqua 5-pixel squares.
std::unique_ptr<TBitmap> Chequer() {
  auto b = std::make_unique<TBitmap>();
  FillBitmap(*b, 20, 20, [](int x, int y) { return ((x / 5 + y / 5) % 2) ? clFuchsia : clAqua; });
  return b;
}

/// Figures, a thick line, text and a picture: one of each kind of record.
void DrawScene(TCanvas& c) {
  c.Brush().SetColor(clRed);
  c.FillRect(Rect(10, 10, 50, 40));
  c.Brush().SetStyle(bsClear);
  c.Pen().SetColor(clBlue);
  c.Rectangle(60, 10, 110, 60);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(clLime);
  c.Pen().SetColor(clLime);
  const std::array<TPoint, 3> triangle{TPoint{10, 60}, TPoint{50, 60}, TPoint{30, 100}};
  c.Polygon(triangle);
  c.Pen().SetColor(clBlack);
  c.Pen().SetWidth(3);
  c.MoveTo(70, 80);
  c.LineTo(140, 80);
  c.Pen().SetWidth(1);
  c.Brush().SetColor(clYellow);
  c.Ellipse(120, 10, 180, 60);
  c.Font().SetName("Liberation Sans");
  c.Font().SetSize(14);
  c.Font().SetColor(clNavy);
  c.SetBkMode(TRANSPARENT);
  c.TextOut(10, 110, "Metafile");
  auto chequer = Chequer();
  c.Draw(150, 100, chequer.get());
}

std::unique_ptr<TBitmap> WhiteBitmap() {
  auto b = std::make_unique<TBitmap>();
  FillBitmap(*b, kWidth, kHeight, [](int, int) { return clWhite; });
  return b;
}

/// A metafile of the canvas size recorded by `draw`, of the kind asked.
template <typename Draw>
std::unique_ptr<TMetafile> Record(bool enhanced, Draw draw) {
  auto meta = std::make_unique<TMetafile>();
  meta->SetEnhanced(enhanced);
  meta->SetWidth(kWidth);
  meta->SetHeight(kHeight);
  {
    TMetafileCanvas canvas(*meta);
    draw(canvas);
  }
  return meta;
}

std::unique_ptr<TBitmap> Played(TMetafile& meta) {
  auto b = WhiteBitmap();
  b->Canvas().StretchDraw(Rect(0, 0, kWidth, kHeight), &meta);
  return b;
}

/// The smallest rectangle holding every pixel of colour `c` (empty when there is none).
TRect BoundsOf(TBitmap& b, TColor c) {
  TRect r = Rect(b.Width(), b.Height(), 0, 0);
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Canvas().Pixel(x, y) == c)
        r = Rect(std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1),
                 std::max(r.Bottom, y + 1));
  return r;
}

void ExpectBounds(TBitmap& b, TColor c, const TRect& want, int tolerance, const std::string& what) {
  const TRect got = BoundsOf(b, c);
  EXPECT_NEAR(got.Left, want.Left, tolerance) << what;
  EXPECT_NEAR(got.Top, want.Top, tolerance) << what;
  EXPECT_NEAR(got.Right, want.Right, tolerance) << what;
  EXPECT_NEAR(got.Bottom, want.Bottom, tolerance) << what;
}

int CountOf(TBitmap& b, TColor c, const TRect& r) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) n += b.Canvas().Pixel(x, y) == c;
  return n;
}

/// Pixels darker than mid-grey in `r`: the ink of text.
int InkIn(TBitmap& b, const TRect& r) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      const TColor c = b.Canvas().Pixel(x, y);
      n += GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128;
    }
  return n;
}

std::string Saved(TMetafile& meta) {
  TMemoryStream s;
  meta.SaveToStream(s);
  return s.DataString();
}

uint32_t U32At(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}
uint16_t U16At(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

class MetafileCanvasKinds : public ::testing::TestWithParam<bool> {};

TEST_P(MetafileCanvasKinds, PlaysBackAsTheCanvasDrewIt) {
  auto direct = WhiteBitmap();
  DrawScene(direct->Canvas());
  auto meta = Record(GetParam(), DrawScene);
  ASSERT_FALSE(meta->Empty());
  EXPECT_EQ(meta->Enhanced(), GetParam());
  EXPECT_EQ(meta->Width(), kWidth);
  EXPECT_EQ(meta->Height(), kHeight);
  auto played = Played(*meta);

  ExpectBounds(*played, clRed, Rect(10, 10, 50, 40), 0, "filled rectangle");
  EXPECT_EQ(CountOf(*played, clRed, Rect(0, 0, kWidth, kHeight)), 40 * 30);
  ExpectBounds(*played, clYellow, BoundsOf(*direct, clYellow), 1, "ellipse");
  // Outlines: within a pixel of the canvas's own drawing.
  for (TColor c : {clBlue, clLime, clBlack}) {
    ExpectBounds(*played, c, BoundsOf(*direct, c), 1, "colour " + std::to_string(c));
    EXPECT_NEAR(CountOf(*played, c, Rect(0, 0, 150, 100)), CountOf(*direct, c, Rect(0, 0, 150, 100)),
                CountOf(*direct, c, Rect(0, 0, 150, 100)) / 10 + 4)
        << std::hex << c;
  }
  for (int y = 100; y < 120; ++y)
    for (int x = 150; x < 170; ++x)
      ASSERT_EQ(played->Canvas().Pixel(x, y), direct->Canvas().Pixel(x, y)) << x << "," << y;
  // Text stays text: about as much ink, in the same place.
  const TRect text = Rect(0, 100, 150, kHeight);
  const int wantInk = InkIn(*direct, text);
  ASSERT_GT(wantInk, 50);
  EXPECT_NEAR(InkIn(*played, text), wantInk, wantInk * 0.35);
  EXPECT_NEAR(BoundsOf(*played, clNavy).Left, BoundsOf(*direct, clNavy).Left, 2);
}

TEST_P(MetafileCanvasKinds, RecordsTheClippingAndOriginOfTheCanvas) {
  auto meta = Record(GetParam(), [](TCanvas& c) {
    c.Brush().SetColor(clRed);
    c.IntersectClipRect(Rect(20, 20, 120, 100));
    c.ExcludeClipRect(Rect(40, 40, 60, 60));
    c.FillRect(Rect(0, 0, kWidth, kHeight));
    c.ResetClip();
    c.SetWindowOrg(-150, -110);
    c.Brush().SetColor(clBlue);
    c.FillRect(Rect(0, 0, 10, 10));
  });
  auto played = Played(*meta);
  EXPECT_EQ(CountOf(*played, clRed, Rect(0, 0, kWidth, kHeight)), 100 * 80 - 20 * 20);
  EXPECT_EQ(CountOf(*played, clRed, Rect(40, 40, 60, 60)), 0);
  ExpectBounds(*played, clBlue, Rect(150, 110, 160, 120), 0, "shifted by the origin");
  EXPECT_EQ(CountOf(*played, clBlue, Rect(0, 0, kWidth, kHeight)), 100);
}

TEST_P(MetafileCanvasKinds, FileIsLaidOutAsOtherProgramsReadIt) {
  auto meta = Record(GetParam(), DrawScene);
  const std::string file = Saved(*meta);
  if (GetParam()) {
    ASSERT_GE(file.size(), 108u);
    EXPECT_EQ(U32At(file, 0), 1u);
    EXPECT_EQ(file.substr(40, 4), " EMF");
    EXPECT_EQ(U32At(file, 48), file.size());
    EXPECT_EQ(U32At(file, 32), 5292u);  // 200 pixels at 96 per inch in 0.01 mm
    EXPECT_EQ(meta->MMHeight(), 3969);
    // Records tile the file, each a multiple of four bytes, the last one the end record.
    size_t at = 0, records = 0, last = 0;
    while (at < file.size()) {
      const uint32_t size = U32At(file, at + 4);
      ASSERT_TRUE(size >= 8 && size % 4 == 0 && at + size <= file.size()) << "record at " << at;
      last = U32At(file, at);
      at += size, ++records;
    }
    EXPECT_EQ(last, 14u);
    EXPECT_EQ(U32At(file, 52), records);
  } else {
    ASSERT_GE(file.size(), 40u);
    EXPECT_EQ(U32At(file, 0), 0x9AC6CDD7u);
    EXPECT_EQ(U16At(file, 10), kWidth);
    EXPECT_EQ(U16At(file, 12), kHeight);
    EXPECT_EQ(U16At(file, 14), 96);
    const std::string wmf = file.substr(22);
    EXPECT_EQ(U32At(wmf, 6) * 2, wmf.size());
    size_t at = 18, largest = 0;
    uint16_t last = 0xFFFF;
    while (at < wmf.size()) {
      const size_t words = U32At(wmf, at);
      ASSERT_TRUE(words >= 3 && at + words * 2 <= wmf.size()) << "record at " << at;
      largest = std::max(largest, words);
      last = U16At(wmf, at + 4);
      at += words * 2;
    }
    EXPECT_EQ(last, 0);
    EXPECT_EQ(U32At(wmf, 12), largest);
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, MetafileCanvasKinds, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Enhanced" : "Windows"; });

TEST(MetafileCanvas, ChangingTheKindKeepsThePicture) {
  auto meta = Record(true, DrawScene);
  auto before = Played(*meta);
  meta->SetEnhanced(false);
  EXPECT_FALSE(meta->Enhanced());
  EXPECT_EQ(static_cast<uint8_t>(Saved(*meta)[0]), 0xD7);
  auto after = Played(*meta);
  ExpectBounds(*after, clRed, Rect(10, 10, 50, 40), 0, "after the change");
  for (int y = 100; y < 120; ++y)
    for (int x = 150; x < 170; ++x) ASSERT_EQ(after->Canvas().Pixel(x, y), before->Canvas().Pixel(x, y));
}

TEST(MetafileCanvas, MetafileWithoutSizeRecordsNothing) {
  TMetafile meta;
  {
    TMetafileCanvas canvas(meta);
    EXPECT_FALSE(canvas.HasTarget() && canvas.TargetSize().cx > 0);
    canvas.FillRect(Rect(0, 0, 10, 10));
  }
  EXPECT_TRUE(meta.Empty());
}

// The office suite renders both kinds recorded here; the pictures must agree with ours.
TEST(MetafileCanvas, OfficeSuiteDrawsTheRecordingsAsWeDo) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "soffice (the office suite, headless) is not installed";
  const fs::path dir = fs::path(TempPath("metafile-canvas-suite"));
  fs::remove_all(dir);
  fs::create_directories(dir / "out");
  std::map<std::string, QImage> ours;
  for (bool enhanced : {true, false}) {
    auto meta = Record(enhanced, DrawScene);
    const std::string name = enhanced ? "escene.emf" : "wscene.wmf";
    std::ofstream(dir / name, std::ios::binary) << Saved(*meta);
    ours[name] = RenderMetafile(*meta);
  }
  ExpectOfficeSuiteDrawsAlike(dir, ours, 0.9);
}

}  // namespace
