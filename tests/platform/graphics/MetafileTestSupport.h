// Drawing a metafile file into a 100 x 100 bitmap and measuring where a colour landed, for
// the player tests of both kinds of metafile.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "GraphicsTestSupport.h"
#include "platform/graphics/Metafile.h"

namespace gfxtest {

/// The metafile drawn over the whole of a 100 x 100 bitmap of `background`.
inline std::unique_ptr<TBitmap> DrawMetafile(const Bytes& file, TColor background = clWhite) {
  TMetafile meta;
  TMemoryStream in = StreamOf(file);
  meta.LoadFromStream(in);
  auto target = std::make_unique<TBitmap>();
  FillBitmap(*target, 100, 100, [&](int, int) { return background; });
  target->Canvas().StretchDraw(Rect(0, 0, 100, 100), &meta);
  return target;
}

/// The rectangle of pixels of colour `c` (empty when none), and whether every pixel inside
/// it has that colour.
struct Extent {
  int left = 100, top = 100, right = -1, bottom = -1;
  bool solid = true;
};
inline Extent ExtentOf(TBitmap& b, TColor c) {
  Extent e;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Canvas().Pixel(x, y) == c) {
        e.left = std::min(e.left, x);
        e.top = std::min(e.top, y);
        e.right = std::max(e.right, x + 1);
        e.bottom = std::max(e.bottom, y + 1);
      }
  for (int y = e.top; y < e.bottom; ++y)
    for (int x = e.left; x < e.right; ++x) e.solid = e.solid && b.Canvas().Pixel(x, y) == c;
  return e;
}

inline void ExpectExtent(TBitmap& b, TColor c, int l, int t, int r, int bottom, const std::string& what) {
  const Extent e = ExtentOf(b, c);
  EXPECT_EQ(e.left, l) << what;
  EXPECT_EQ(e.top, t) << what;
  EXPECT_EQ(e.right, r) << what;
  EXPECT_EQ(e.bottom, bottom) << what;
  EXPECT_TRUE(e.solid) << what;
}

}  // namespace gfxtest
