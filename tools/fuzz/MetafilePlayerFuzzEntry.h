// One fuzzing step over the metafile players (Windows and enhanced), shared by the libFuzzer
// target and the unit test that runs it over mutated metafiles. The bytes are loaded as a
// metafile file; a file may be refused only with EInvalidGraphic. One that loads is drawn twice (at its own
// size and stretched into a small rectangle off the bitmap's origin); drawing may not raise,
// crash, leak or hang, and may not touch a pixel outside the rectangle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Metafile.h"

inline void FuzzMetafilePlayerOnce(const uint8_t* data, size_t size) {
  TMetafile meta;
  TMemoryStream in(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    meta.LoadFromStream(in);
  } catch (const EInvalidGraphic&) {
    return;
  }
  constexpr int kSide = 40;
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(kSide, kSide);
  target.Canvas().StretchDraw(Rect(0, 0, kSide, kSide), &meta);
  target.Canvas().Brush().SetColor(clWhite);
  target.Canvas().FillRect(Rect(0, 0, kSide, kSide));
  const TRect inner = Rect(8, 6, 28, 30);
  target.Canvas().StretchDraw(inner, &meta);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      if ((x < inner.Left || x >= inner.Right || y < inner.Top || y >= inner.Bottom) &&
          target.Canvas().Pixel(x, y) != clWhite)
        throw std::logic_error("metafile drew outside its rectangle");
}
