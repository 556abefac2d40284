// One fuzzing step over the GIF decoder, shared by the libFuzzer target and the unit test that
// runs it over mutated GIF files. The bytes are loaded as a GIF file; a file may be refused only
// with GIFException. One that loads has its first frame drawn onto a small bitmap, and a small
// one that saves must load again with as many frames that hold pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "gif/GIFImage.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

inline void FuzzGIFDecoderOnce(const uint8_t* data, size_t size) {
  TGIFImage image;
  TMemoryStream in(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    image.LoadFromStream(in);
  } catch (const GIFException&) {
    return;
  }
  // A screen of up to 65535 x 65535 pixels is valid; rendering one is not worth a fuzz step.
  constexpr int64_t kMaxArea = 1 << 16;
  if (image.Count() == 0 || int64_t{image.Width()} * image.Height() > kMaxArea) return;
  image.DrawOptions = doTransparent;  // no painter thread, no animation
  constexpr int kSide = 24;
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(kSide, kSide);
  target.Canvas().StretchDraw(Rect(2, 2, kSide - 2, kSide - 2), &image);
  if (int64_t{image.Width()} * image.Height() * image.Count() > 4096) return;
  TMemoryStream out;
  try {
    // Saving refuses pixels outside their colour table, which a damaged file can leave behind.
    image.SaveToStream(out);
  } catch (const GIFException&) {
    return;
  }
  out.SetPosition(0);
  TGIFImage again;
  try {
    again.LoadFromStream(out);
  } catch (const GIFException& e) {
    throw std::logic_error(std::string("a saved image does not load again: ") + e.what());
  }
  // Frames without pixels (left by a damaged file) need not survive the round trip.
  const auto drawable = [](TGIFImage& gif) {
    int n = 0;
    for (int i = 0; i < gif.Count(); ++i) n += !gif.Images(i).Empty();
    return n;
  };
  if (drawable(again) != drawable(image)) throw std::logic_error("a saved image lost frames");
}
