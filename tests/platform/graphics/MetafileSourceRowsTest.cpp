// A blit counts a bottom-up DIB's source rows from the top as seen, a DIB drawing record in
// stored order; icons (an AND mask, then XOR) show it at once.
#include <gtest/gtest.h>

#include <tuple>

#include "EmfRecords.h"
#include "MetafileFingerprint.h"
#include "MetafileTestSupport.h"

using namespace gfxtest;

namespace {

// Red equals blue in every colour, so the DIBs' pixel values read as colours.
constexpr TColor kIconTop = 0x800080, kIconBottom = 0x008000, kBand = 0x202020;  // row y is y * kBand

/// A bottom-up DIB whose pixel (x, y), y from the top as seen, is `value(x, y)`.
template <typename F>
DibSpec Dib(int w, int h, uint16_t bits, F value) {
  DibSpec dib{.width = w, .height = h, .bits = bits, .masks = {}, .colors = {}, .pixels = {}};
  if (bits == 1) dib.colors = {{0, 0, 0}, {255, 255, 255}};
  dib.pixels = PackRows(w, h, bits, [&](int x, int r) { return value(x, h - 1 - r); });
  return dib;
}
// An icon: a 32 x 64 mask, white around a black centre above and the inverse below; its image.
constexpr auto kCentre = [](int x, int y) { return (x + 8) / 16 == 1 && (y % 32 + 8) / 16 == 1; };
const DibSpec kMask = Dib(32, 64, 1, [](int x, int y) { return kCentre(x, y) != (y < 32); });
const DibSpec kImage =
    Dib(32, 32, 24, [](int x, int y) { return kCentre(x, y) ? y < 16 ? kIconTop : kIconBottom : 0; });
const DibSpec kBands = Dib(4, 8, 24, [](int, int y) { return kBand * static_cast<uint32_t>(y); });

wmftest::Record Wmf(uint16_t function, std::vector<int> p, const DibSpec& dib) {
  for (const uint16_t w : WordsOf(BuildDib(dib))) p.push_back(w);
  return {function, std::vector<uint16_t>(p.begin(), p.end())};
}
/// Zeros for the bounds, a blit's transform, background and usage, and the DIB's place.
emftest::EmfRecord Emf(uint32_t type, std::vector<int> p, const DibSpec& dib) {
  const bool blit = type != 80 && type != 81;
  p.insert(p.begin() + (blit ? 7 : 6), blit ? 12 : 4, 0);
  p.insert(p.begin(), 4, 0);
  const Bytes whole = BuildDib(dib);
  return {type, emftest::WithDib(std::vector<uint32_t>(p.begin(), p.end()), blit ? 19 : 10,
                                 {Bytes(whole.begin(), whole.end() - std::ssize(dib.pixels)), dib.pixels})};
}

// Source rows 1 and 2 of eight, drawn at (72, 4), stretched to 24 x 64 where the record can:
// {record, type, parameters, band seen at the top, last row drawn}.
const std::tuple<const char*, uint16_t, std::vector<int>, uint32_t, int> kKinds[] = {
    {"DIBBITBLT", 0x0940, {0x20, 0xCC, 1, 0, 2, 4, 4, 72}, 1, 5},
    {"DIBSTRETCHBLT", 0x0B41, {0x20, 0xCC, 2, 4, 1, 0, 64, 24, 4, 72}, 1, 67},
    {"STRETCHDIB", 0x0F43, {0x20, 0xCC, 0, 2, 4, 1, 0, 64, 24, 4, 72}, 1, 67},
    {"BITBLT", 76, {72, 4, 4, 2, 0xCC0020, 0, 1}, 1, 5},
    {"STRETCHBLT", 77, {72, 4, 24, 64, 0xCC0020, 0, 1, 4, 2}, 1, 67},
    {"ALPHABLEND", 114, {72, 4, 24, 64, 0xFF0000, 0, 1, 4, 2}, 1, 67},
    {"STRETCHDIBITS", 81, {72, 4, 0, 1, 4, 2, 0, 0xCC0020, 24, 64}, 1, 67},
    {"SETDIBITSTODEVICE", 80, {72, 4, 0, 1, 4, 2, 0, 0, 8}, 5, 5},
};

/// The icon stretched over (4, 4, 64, 64), then the kind's record; Windows metafiles on teal.
Bytes Scene(uint16_t type, const std::vector<int>& params) {
  if (type < 0x100)  // an enhanced record
    return emftest::EmfOf({Emf(77, {4, 4, 64, 64, 0x8800C6, 0, 0, 32, 32}, kMask),
                           Emf(77, {4, 4, 64, 64, 0x660046, 0, 0, 32, 32}, kImage),
                           Emf(type, params, kBands)});
  return WmfOf({wmftest::SolidBrush(clTeal), wmftest::Select(0), wmftest::PatBlt(0xF00021, 0, 0, 100, 100),
                Wmf(0x0B41, {0xC6, 0x88, 32, 32, 0, 0, 64, 64, 4, 4}, kMask),
                Wmf(0x0B41, {0x46, 0x66, 32, 32, 0, 0, 64, 64, 4, 4}, kImage), Wmf(type, params, kBands)},
               100, 8, 50);
}

TEST(MetafileSourceRows, IconsAndBitmapPartsTakeTheirRowsAsTheRecordCounts) {
  for (const auto& [name, type, params, band, lastRow] : kKinds) {
    auto b = DrawMetafile(Scene(type, params), clTeal);
    ExpectExtent(*b, kIconTop, 20, 20, 52, 36, name);
    ExpectExtent(*b, kIconBottom, 20, 36, 52, 52, name);
    EXPECT_EQ(b->Canvas().Pixel(72, 4), TColor(kBand * band)) << name;
    EXPECT_EQ(b->Canvas().Pixel(72, lastRow), TColor(kBand * (band + 1))) << name;
  }
}

TEST(MetafileSourceRows, OfficeSuiteDrawsTheScenesAsWeDo) {
  std::map<std::string, Bytes> files;
  for (const auto& [record, type, params, band, lastRow] : kKinds)
    if (lastRow == 67 && type != 114)  // the stretching records but the blend
      files[record + std::string(type < 0x100 ? ".emf" : ".wmf")] = Scene(type, params);
  ExpectOfficeSuiteDrawsFilesAlike("metafile-source-rows", files, 1.0);
}

}  // namespace
