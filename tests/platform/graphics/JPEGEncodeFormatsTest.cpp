// Compressing bitmaps of every pixel format gives exactly the file libjpeg makes from the
// bitmap's colours as plain red, green, blue rows (or grey rows when asked), with the same
// settings: the rows handed over straight from the bitmap's memory and those converted on
// the way must not change a byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include "GraphicsTestSupport.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/JPEGImage.h"

using namespace gfxtest;

namespace {

/// libjpeg with the picture's default settings on rows of `components` bytes a pixel.
Bytes LibjpegReference(const std::vector<uint8_t>& pixels, int w, int h, bool grey) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* output = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &output, &size);
  cinfo.image_width = static_cast<JDIMENSION>(w);
  cinfo.image_height = static_cast<JDIMENSION>(h);
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  cinfo.smoothing_factor = 10;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    auto* row =
        const_cast<JSAMPROW>(pixels.data() + cinfo.next_scanline * static_cast<size_t>(w) * (grey ? 1 : 3));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes bytes(output, output + size);
  std::free(output);
  return bytes;
}

TEST(JPEGEncodeFormats, EveryPixelFormatCompressesAsLibjpegDoesFromItsColours) {
  // An odd width pads the rows; more rows than libjpeg takes at once.
  constexpr int kWidth = 37;
  constexpr int kHeight = 41;
  for (const TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    TBitmap bitmap;
    FillBitmap(bitmap, kWidth, kHeight, [](int x, int y) {
      return RGBColor(static_cast<uint8_t>(x * 7), static_cast<uint8_t>(y * 5 + x),
                      static_cast<uint8_t>(200 - y * 3));
    });
    bitmap.SetPixelFormat(format);
    for (const bool grey : {false, true}) {
      SCOPED_TRACE(testing::Message() << "pixel format " << format << (grey ? ", grey" : ", colour"));
      std::vector<uint8_t> rows;
      for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
          const TColor c = bitmap.Canvas().Pixel(x, y);
          const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
          if (grey) {
            rows.push_back(static_cast<uint8_t>((r * 77 + g * 150 + b * 29) >> 8));
          } else {
            rows.push_back(static_cast<uint8_t>(r));
            rows.push_back(static_cast<uint8_t>(g));
            rows.push_back(static_cast<uint8_t>(b));
          }
        }
      TJPEGImage jpeg;
      jpeg.SetGrayscale(grey);
      jpeg.Assign(&bitmap);
      TMemoryStream out;
      jpeg.SaveToStream(out);
      EXPECT_EQ(Bytes(out.Bytes().begin(), out.Bytes().end()), LibjpegReference(rows, kWidth, kHeight, grey));
    }
  }
}

}  // namespace
