// JPEG pictures: original bytes are kept and saved unchanged, a bitmap is compressed into a
// baseline JPEG that an independent decoder (djpeg) reads back close to the original, and
// bad data raises EInvalidGraphic instead of ending the process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>

#include "GraphicsTestSupport.h"
#include "platform/graphics/JPEGImage.h"

using namespace gfxtest;

namespace {

TColor Gradient(int x, int y) {
  return RGBColor(static_cast<uint8_t>(x * 8), static_cast<uint8_t>(y * 8), static_cast<uint8_t>(128));
}

Bytes EncodeGradient(TJPEGImage& jpeg, int w = 32, int h = 24) {
  TBitmap bitmap;
  FillBitmap(bitmap, w, h, Gradient);
  jpeg.Assign(&bitmap);
  TMemoryStream out;
  jpeg.SaveToStream(out);
  return Bytes(out.Bytes().begin(), out.Bytes().end());
}

/// Pixels of a JPEG file as djpeg decodes them (binary PPM), or nullopt.
std::optional<std::vector<uint32_t>> DjpegPixels(const Bytes& jpeg, int& w, int& h) {
  const std::string in = TempPath("in.jpg");
  const std::string out = TempPath("out.ppm");
  WriteFile(in, jpeg);
  const bool ok = RunCommand("djpeg -pnm -outfile " + out + " " + in + " 2>/dev/null").has_value();
  std::remove(in.c_str());
  if (!ok) return std::nullopt;
  std::ifstream f(out, std::ios::binary);
  std::string magic;
  int maxval = 0;
  f >> magic >> w >> h >> maxval;
  f.get();
  std::vector<uint32_t> pixels;
  for (int i = 0; i < w * h; ++i) {
    unsigned char rgb[3];
    f.read(reinterpret_cast<char*>(rgb), 3);
    pixels.push_back(static_cast<uint32_t>(rgb[0] << 16 | rgb[1] << 8 | rgb[2]));
  }
  std::remove(out.c_str());
  return magic == "P6" ? std::optional(pixels) : std::nullopt;
}

int Distance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int shift : {0, 8, 16})
    d = std::max(d, std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)));
  return d;
}

TEST(JPEGImage, CompressesBitmapAtQuality90AsBaseline) {
  TJPEGImage jpeg;
  EXPECT_EQ(jpeg.CompressionQuality(), 90);
  EXPECT_FALSE(jpeg.ProgressiveEncoding());
  EXPECT_TRUE(jpeg.Smoothing());
  const Bytes data = EncodeGradient(jpeg);
  ASSERT_GT(data.size(), 4u);
  EXPECT_EQ(data[0], 0xFF);
  EXPECT_EQ(data[1], 0xD8);
  // A baseline frame (SOF0) and no progressive frame (SOF2).
  bool sof0 = false, sof2 = false;
  for (size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] != 0xFF) continue;
    sof0 |= data[i + 1] == 0xC0;
    sof2 |= data[i + 1] == 0xC2;
  }
  EXPECT_TRUE(sof0);
  EXPECT_FALSE(sof2);
  EXPECT_EQ(jpeg.Width(), 32);
  EXPECT_EQ(jpeg.Height(), 24);
}

TEST(JPEGImage, RoundTripDecodesCloseToTheBitmapWithDjpegAndOurselves) {
  TJPEGImage jpeg;
  const Bytes data = EncodeGradient(jpeg);

  TJPEGImage loaded;
  TMemoryStream in = StreamOf(data);
  loaded.LoadFromStream(in);
  TBitmap ours;
  ours.Assign(&loaded);
  ASSERT_EQ(ours.Width(), 32);
  ASSERT_EQ(ours.Height(), 24);
  const std::vector<uint32_t> ourPixels = PixelsOf(ours);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 32; ++x) {
      const TColor c = Gradient(x, y);
      const uint32_t want = static_cast<uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
      EXPECT_LE(Distance(ourPixels[static_cast<size_t>(y * 32 + x)], want), 12) << x << "," << y;
    }

  if (!HaveDjpeg()) GTEST_SKIP() << "djpeg is not installed";
  int w = 0, h = 0;
  const auto theirs = DjpegPixels(data, w, h);
  ASSERT_TRUE(theirs.has_value());
  ASSERT_EQ(w, 32);
  ASSERT_EQ(h, 24);
  for (size_t i = 0; i < theirs->size(); ++i) EXPECT_LE(Distance((*theirs)[i], ourPixels[i]), 2) << i;
}

/// A 16 x 8 CMYK JPEG of varied inks as Pillow writes it (with an Adobe marker), or nullopt.
std::optional<Bytes> PillowCMYKJpeg() {
  const std::string path = TempPath("cmyk.jpg");
  const std::string script =
      "import sys; from PIL import Image; im = Image.new('CMYK', (16, 8)); "
      "im.putdata([((x * 16) % 256, (y * 32) % 256, ((x + y) * 8) % 256, (x * y * 4) % 256) "
      "for y in range(8) for x in range(16)]); im.save(sys.argv[1], quality=100)";
  const bool ok = RunCommand(PillowPython() + " -c \"" + script + "\" " + path + " 2>/dev/null").has_value();
  std::ifstream f(path, std::ios::binary);
  Bytes data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  std::remove(path.c_str());
  if (!ok || data.empty()) return std::nullopt;
  return data;
}

/// The JPEG without its APP14 (Adobe) segments.
Bytes WithoutAdobeMarker(const Bytes& jpeg) {
  Bytes out(jpeg.begin(), jpeg.begin() + 2);
  size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA) {
    const size_t length = static_cast<size_t>(jpeg[at + 2] << 8 | jpeg[at + 3]);
    if (jpeg[at + 1] != 0xEE)
      out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(at),
                 jpeg.begin() + static_cast<std::ptrdiff_t>(at + 2 + length));
    at += 2 + length;
  }
  out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(at), jpeg.end());
  return out;
}

TEST(JPEGImage, CMYKDecodesAsPillowDoesWithOrWithoutAdobeMarker) {
  if (PillowPython().empty()) GTEST_SKIP() << "Pillow is not installed (Debian package python3-pil)";
  const auto withMarker = PillowCMYKJpeg();
  ASSERT_TRUE(withMarker.has_value());
  const Bytes withoutMarker = WithoutAdobeMarker(*withMarker);
  ASSERT_LT(withoutMarker.size(), withMarker->size());
  for (const Bytes* file : {&*withMarker, &withoutMarker}) {
    SCOPED_TRACE(file == &withoutMarker ? "without Adobe marker" : "with Adobe marker");
    TJPEGImage jpeg;
    TMemoryStream in = StreamOf(*file);
    jpeg.LoadFromStream(in);
    TBitmap ours;
    ours.Assign(&jpeg);
    int32_t w = 0, h = 0;
    const auto theirs = PillowPixels(*file, w, h);
    ASSERT_TRUE(theirs.has_value());
    ASSERT_EQ(ours.Width(), w);
    ASSERT_EQ(ours.Height(), h);
    const std::vector<uint32_t> ourPixels = PixelsOf(ours);
    for (size_t i = 0; i < theirs->size(); ++i) EXPECT_LE(Distance((*theirs)[i], ourPixels[i]), 1) << i;
  }
}

TEST(JPEGImage, SavesLoadedBytesUnchanged) {
  TJPEGImage source;
  Bytes data = EncodeGradient(source);
  // A comment segment after the start marker: a re-encoder would drop it.
  const Bytes comment = {0xFF, 0xFE, 0x00, 0x07, 'h', 'e', 'l', 'l', 'o'};
  data.insert(data.begin() + 2, comment.begin(), comment.end());
  TJPEGImage jpeg;
  TMemoryStream in = StreamOf(data);
  jpeg.LoadFromStream(in);
  TBitmap decoded;
  decoded.Assign(&jpeg);  // decoding does not change what is saved
  TMemoryStream out;
  jpeg.SaveToStream(out);
  EXPECT_EQ(Bytes(out.Bytes().begin(), out.Bytes().end()), data);

  TJPEGImage copy;
  copy.Assign(&jpeg);
  TMemoryStream copied;
  copy.SaveToStream(copied);
  EXPECT_EQ(Bytes(copied.Bytes().begin(), copied.Bytes().end()), data);

  TMemoryStream component;
  jpeg.WriteData(component);
  component.SetPosition(0);
  TJPEGImage streamed;
  streamed.ReadData(component);
  EXPECT_TRUE(streamed.Equals(jpeg));
}

TEST(JPEGImage, ProgressiveEncodingWritesProgressiveFrame) {
  TJPEGImage jpeg;
  jpeg.SetProgressiveEncoding(true);
  const Bytes data = EncodeGradient(jpeg);
  bool sof2 = false;
  for (size_t i = 0; i + 1 < data.size(); ++i) sof2 |= data[i] == 0xFF && data[i + 1] == 0xC2;
  EXPECT_TRUE(sof2);
}

TEST(JPEGImage, BadDataRaisesInvalidGraphic) {
  TJPEGImage good;
  const Bytes data = EncodeGradient(good);
  const Bytes cases[] = {
      {},
      {0xFF, 0xD8},
      {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'},
      Bytes(data.begin(), data.begin() + 40),
  };
  for (const Bytes& bytes : cases) {
    TJPEGImage jpeg;
    TMemoryStream in = StreamOf(bytes);
    EXPECT_THROW(jpeg.LoadFromStream(in), EInvalidGraphic) << bytes.size();
  }
  // A header that claims a picture above the size limit.
  Bytes huge = data;
  for (size_t i = 0; i + 8 < huge.size(); ++i) {
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      huge[i + 5] = 0xFF;  // height 0xFFxx
      huge[i + 7] = 0xFF;  // width 0xFFxx
      break;
    }
  }
  TJPEGImage jpeg;
  TMemoryStream in = StreamOf(huge);
  EXPECT_THROW(jpeg.LoadFromStream(in), EInvalidGraphic);
}

TEST(JPEGImage, DamagedBodyNeverCrashes) {
  // Passes by not crashing: damaged data either loads and draws or raises EInvalidGraphic.
  TJPEGImage good;
  const Bytes data = EncodeGradient(good, 64, 48);
  for (size_t cut = 100; cut < data.size(); cut += 37) {
    Bytes damaged(data.begin(), data.begin() + static_cast<long>(cut));
    for (size_t i = cut / 2; i < damaged.size(); i += 11) damaged[i] ^= 0x5A;
    TJPEGImage jpeg;
    TMemoryStream in = StreamOf(damaged);
    try {
      jpeg.LoadFromStream(in);
      TBitmap target;
      target.SetSize(64, 48);
      target.Canvas().Draw(0, 0, &jpeg);
    } catch (const EInvalidGraphic&) {
    }
  }
}

}  // namespace
