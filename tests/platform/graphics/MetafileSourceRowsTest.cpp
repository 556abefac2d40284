// Which rows of a DIB the bitmap records of both kinds of metafile take: a blit's source
// rectangle counts from the top of the picture as it is seen, a DIB drawing record's from the
// first stored row. Icons drawn as an AND mask and a colour image show this at once.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "EmfRecords.h"
#include "MetafileFingerprint.h"
#include "MetafileTestSupport.h"
#include "WmfRecords.h"

namespace fs = std::filesystem;
using namespace gfxtest;
using namespace wmftest;
using namespace emftest;

namespace {

constexpr uint32_t kSrcCopy = 0x00CC0020;
constexpr uint32_t kSrcAnd = 0x008800C6;
constexpr uint32_t kSrcInvert = 0x00660046;
constexpr TColor kGround = 0xC0C0C0;
constexpr TColor kIconTop = 0x000080;
constexpr TColor kIconBottom = 0x808000;
// The rows of the picture as it is seen, from the top.
constexpr TColor kRows[] = {clRed, clLime, clBlue, clYellow, clAqua, clFuchsia, clGray, clNavy};

uint32_t Rgb(TColor c) {
  return (static_cast<uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

/// A 24-bit DIB of `w` x `h` whose pixel (x, y), y from the top as seen, is `color(x, y)`.
DibSpec ColourDib(int w, int h, bool topDown, const std::function<TColor(int, int)>& color) {
  DibSpec dib;
  dib.width = w;
  dib.height = topDown ? -h : h;
  dib.pixels = PackRows(w, h, 24, [&](int x, int r) { return Rgb(color(x, topDown ? r : h - 1 - r)); });
  return dib;
}

/// A DIB 4 wide of the eight row colours, each `band` rows high.
DibSpec RowsDib(bool topDown, int band = 1) {
  return ColourDib(4, 8 * band, topDown, [&](int, int y) { return kRows[y / band]; });
}

/// An icon's mask: 32 x 64 at one bit, bottom-up. The upper half is the AND mask (white, so
/// transparent, around a black 16 x 16 centre); the lower half is its inverse.
DibSpec IconMask() {
  DibSpec dib;
  dib.width = 32;
  dib.height = 64;
  dib.bits = 1;
  dib.colors = {{0, 0, 0}, {255, 255, 255}};
  dib.pixels = PackRows(32, 64, 1, [](int x, int r) {
    const int y = 63 - r;
    const bool centre = x >= 8 && x < 24 && y % 32 >= 8 && y % 32 < 24;
    return (centre == (y < 32)) ? 0u : 1u;
  });
  return dib;
}

/// The icon's colour image: black around a centre of one colour above, another below.
DibSpec IconImage() {
  return ColourDib(32, 32, false, [](int x, int y) {
    if (x < 8 || x >= 24 || y < 8 || y >= 24) return TColor{clBlack};
    return y < 16 ? kIconTop : kIconBottom;
  });
}

std::pair<Bytes, Bytes> HeaderAndPixels(const DibSpec& dib) {
  const Bytes whole = BuildDib(dib);
  const auto split = whole.end() - static_cast<std::ptrdiff_t>(dib.pixels.size());
  return {Bytes(whole.begin(), split), Bytes(split, whole.end())};
}

/// Rectangles as x, y, width, height.
struct Box {
  int x, y, w, h;
};

Record WmfRecord(uint16_t function, std::vector<uint16_t> fixed, const DibSpec& dib) {
  const std::vector<uint16_t> words = WordsOf(BuildDib(dib));
  fixed.insert(fixed.end(), words.begin(), words.end());
  return {function, fixed};
}
Record DibBitBlt(uint32_t rop, Box s, Box d, const DibSpec& dib) {
  return WmfRecord(0x0940, {Lo(rop), Hi(rop), W(s.y), W(s.x), W(s.h), W(s.w), W(d.y), W(d.x)}, dib);
}
Record DibStretchBlt(uint32_t rop, Box s, Box d, const DibSpec& dib) {
  return WmfRecord(0x0B41, {Lo(rop), Hi(rop), W(s.h), W(s.w), W(s.y), W(s.x), W(d.h), W(d.w), W(d.y), W(d.x)},
                   dib);
}
Record StretchDibRecord(uint32_t rop, Box s, Box d, const DibSpec& dib) {
  return WmfRecord(
      0x0F43, {Lo(rop), Hi(rop), 0, W(s.h), W(s.w), W(s.y), W(s.x), W(d.h), W(d.w), W(d.y), W(d.x)}, dib);
}

/// BITBLT (76), STRETCHBLT (77) and ALPHABLEND (114) share one layout: destination, raster
/// operation or blend, source origin, transform, background, usage, DIB, source size.
EmfRecord EmfBlit(uint32_t type, uint32_t rop, Box s, Box d, const DibSpec& dib) {
  std::vector<uint32_t> fixed = {0, 0, 0, 0, U(d.x), U(d.y), U(d.w), U(d.h), rop, U(s.x), U(s.y)};
  fixed.insert(fixed.end(), {Float(1), 0, 0, Float(1), 0, 0, 0, 0});
  fixed.resize(23, 0);
  if (type != 76) fixed.insert(fixed.end(), {U(s.w), U(s.h)});
  return {type, WithDib(fixed, 19, HeaderAndPixels(dib))};
}
/// STRETCHDIBITS (81) and SETDIBITSTODEVICE (80, all rows in one band).
EmfRecord EmfDibRecord(uint32_t type, Box s, Box d, const DibSpec& dib) {
  std::vector<uint32_t> fixed = {0, 0, 0, 0, U(d.x), U(d.y), U(s.x), U(s.y), U(s.w), U(s.h), 0, 0, 0, 0, 0};
  if (type == 81)
    fixed.insert(fixed.end(), {kSrcCopy, U(d.w), U(d.h)});
  else
    fixed.insert(fixed.end(), {0, static_cast<uint32_t>(std::abs(dib.height))});
  return {type, WithDib(fixed, 10, HeaderAndPixels(dib))};
}

TEST(MetafileSourceRows, BlitsCountFromTheTopAndDibRecordsInStoredOrder) {
  struct Case {
    const char* name;
    bool stored;  // rows in stored order, else from the top as seen
    bool stretches;
    std::function<Bytes(Box, Box, const DibSpec&)> file;
  };
  const Case cases[] = {
      {"DIBBITBLT", false, false,
       [](Box s, Box d, const DibSpec& dib) { return WmfOf({DibBitBlt(kSrcCopy, s, d, dib)}, 100, 8); }},
      {"DIBSTRETCHBLT", false, true,
       [](Box s, Box d, const DibSpec& dib) { return WmfOf({DibStretchBlt(kSrcCopy, s, d, dib)}, 100, 8); }},
      {"STRETCHDIB", true, true,
       [](Box s, Box d, const DibSpec& dib) {
         return WmfOf({StretchDibRecord(kSrcCopy, s, d, dib)}, 100, 8);
       }},
      {"BITBLT", false, false,
       [](Box s, Box d, const DibSpec& dib) { return EmfOf({EmfBlit(76, kSrcCopy, s, d, dib)}); }},
      {"STRETCHBLT", false, true,
       [](Box s, Box d, const DibSpec& dib) { return EmfOf({EmfBlit(77, kSrcCopy, s, d, dib)}); }},
      {"ALPHABLEND", false, true,
       [](Box s, Box d, const DibSpec& dib) { return EmfOf({EmfBlit(114, 0x00FF0000, s, d, dib)}); }},
      {"STRETCHDIBITS", true, true,
       [](Box s, Box d, const DibSpec& dib) { return EmfOf({EmfDibRecord(81, s, d, dib)}); }},
      {"SETDIBITSTODEVICE", true, false,
       [](Box s, Box d, const DibSpec& dib) { return EmfOf({EmfDibRecord(80, s, d, dib)}); }},
  };
  // Rows 1 and 2 from the top are rows 5 and 6 counted from the bottom.
  const Box src{1, 1, 2, 2};
  for (const Case& c : cases)
    for (const bool topDown : {false, true}) {
      const Box dest = c.stretches ? Box{40, 40, 20, 20} : Box{40, 40, 2, 2};
      auto b = DrawMetafile(c.file(src, dest, RowsDib(topDown)));
      const int first = c.stored && !topDown ? 5 : 1;
      const std::string what = std::string(c.name) + (topDown ? " top-down" : " bottom-up");
      EXPECT_EQ(b->Canvas().Pixel(dest.x, dest.y), kRows[first]) << what;
      EXPECT_EQ(b->Canvas().Pixel(dest.x + dest.w - 1, dest.y + dest.h - 1), kRows[first + 1]) << what;
      EXPECT_EQ(b->Canvas().Pixel(dest.x + dest.w, dest.y), clWhite) << what;
    }
}

/// On silver: an icon (mask with AND, then the image with XOR) stretched over (4, 4, 64, 64), and
/// the second and third of eight colour bands over (72, 4, 24, 64), by blits of either kind of
/// metafile.
Bytes IconScene(bool enhanced, uint16_t inch = 1440) {
  const Box icon{0, 0, 32, 32}, iconDest{4, 4, 64, 64};
  const Box rows{0, 4, 4, 8}, rowsDest{72, 4, 24, 64};
  if (enhanced) {
    std::vector<uint32_t> fill = {0, 0, 0, 0, 0, 0, 100, 100, 0x00F00021};
    fill.resize(23, 0);
    return EmfOf({CreateBrush(1, kGround),
                  SelectObject(1),
                  {76, fill},
                  EmfBlit(77, kSrcAnd, icon, iconDest, IconMask()),
                  EmfBlit(77, kSrcInvert, icon, iconDest, IconImage()),
                  EmfBlit(77, kSrcCopy, rows, rowsDest, RowsDib(false, 4))});
  }
  return WmfOf({SolidBrush(kGround), Select(0), PatBlt(0x00F00021, 0, 0, 100, 100),
                DibStretchBlt(kSrcAnd, icon, iconDest, IconMask()),
                DibStretchBlt(kSrcInvert, icon, iconDest, IconImage()),
                DibStretchBlt(kSrcCopy, rows, rowsDest, RowsDib(false, 4))},
               100, 8, inch);
}

TEST(MetafileSourceRows, IconMaskFromTheUpperHalfLeavesTheCornersTransparent) {
  for (const bool enhanced : {false, true}) {
    auto b = DrawMetafile(IconScene(enhanced));
    const std::string what = enhanced ? "enhanced" : "windows";
    for (const auto& [x, y] : {std::pair{6, 6}, {65, 6}, {6, 65}, {65, 65}, {36, 10}})
      EXPECT_EQ(b->Canvas().Pixel(x, y), kGround) << what << " " << x << "," << y;
    ExpectExtent(*b, kIconTop, 20, 20, 52, 36, what + " centre above");
    ExpectExtent(*b, kIconBottom, 20, 36, 52, 52, what + " centre below");
    ExpectExtent(*b, kRows[1], 72, 4, 96, 36, what + " second band");
    ExpectExtent(*b, kRows[2], 72, 36, 96, 68, what + " third band");
  }
}

// The office suite draws the same scenes; its pictures must agree with ours everywhere.
TEST(MetafileSourceRows, OfficeSuiteDrawsIconsAndBitmapPartsAsWeDo) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "soffice (the office suite, headless) is not installed";
  const fs::path dir = fs::path(TempPath("metafile-source-rows"));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::map<std::string, QImage> ours;
  for (const bool enhanced : {false, true}) {
    // A Windows metafile 50 units a inch, so that the suite's page shows it large enough.
    const Bytes file = IconScene(enhanced, 50);
    const std::string name = enhanced ? "eicon.emf" : "icon.wmf";
    WriteFile((dir / name).string(), file);
    TMetafile meta;
    TMemoryStream stream = StreamOf(file);
    meta.LoadFromStream(stream);
    ours[name] = RenderMetafile(meta);
  }
  for (const auto& [name, share] : AgreementWithOfficeSuite(dir, ours)) EXPECT_EQ(share, 1.0) << name;
  fs::remove_all(dir);
}

}  // namespace
