// Helpers of the optimiser and copy tests: an independent composer that plays an
// animation frame by frame (disposal included) into RGB screens, and small builders.
#pragma once

#include <string>
#include <vector>

#include "GIFTestSupport.h"

namespace giftest {

/// One screen pixel: 0xRRGGBB, or kBackground where nothing was drawn.
constexpr uint32_t kBackground = 0xFF000000;
using Screen = std::vector<uint32_t>;

/// The screen after each frame is drawn, the logical screen starting as background.
inline std::vector<Screen> Compose(TGIFImage& image) {
  const int32_t w = image.Width(), h = image.Height();
  Screen screen(static_cast<size_t>(w) * static_cast<size_t>(h), kBackground);
  std::vector<Screen> shots;
  for (int i = 0; i < image.Count(); ++i) {
    TGIFSubImage& frame = image.Images(i);
    const TGIFGraphicControlExtension* control = frame.GraphicControlExtension();
    const int disposal = control ? control->Disposal() : 0;
    const Screen saved = screen;
    if (!frame.Empty()) {
      for (int32_t y = 0; y < frame.Height(); ++y)
        for (int32_t x = 0; x < frame.Width(); ++x) {
          const uint8_t p = frame.Pixels(x, y);
          if (frame.Transparent() && p == control->TransparentColorIndex()) continue;
          const int32_t sx = frame.Left() + x, sy = frame.Top() + y;
          if (sx >= w || sy >= h) continue;
          const TRGBQuad q = frame.EffectiveColorMap().Quad(p);
          screen[static_cast<size_t>(sy) * static_cast<size_t>(w) + static_cast<size_t>(sx)] =
              (uint32_t{q.rgbRed} << 16) | (uint32_t{q.rgbGreen} << 8) | q.rgbBlue;
        }
    }
    shots.push_back(screen);
    if (disposal == 2) {
      for (int32_t y = frame.Top(); y < std::min(h, frame.Top() + frame.Height()); ++y)
        for (int32_t x = frame.Left(); x < std::min(w, frame.Left() + frame.Width()); ++x)
          screen[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = kBackground;
    } else if (disposal == 3) {
      screen = saved;
    }
  }
  return shots;
}

inline Bytes SaveBytes(TGIFImage& image) {
  TMemoryStream stream;
  image.SaveToStream(stream);
  return Bytes(stream.Bytes().begin(), stream.Bytes().end());
}

inline Bytes Fill(int width, int height, uint8_t value) {
  return Bytes(static_cast<size_t>(width) * static_cast<size_t>(height), value);
}

/// Sets the pixels of the box (x, y, w, h) of a `stride`-wide picture to `value`.
inline void Box(Bytes& pixels, int stride, int x, int y, int w, int h, uint8_t value) {
  for (int r = y; r < y + h; ++r)
    for (int c = x; c < x + w; ++c) pixels[static_cast<size_t>(r * stride + c)] = value;
}

inline Bytes AppHead(const std::string& identifier) {
  Bytes head{11};
  head.insert(head.end(), identifier.begin(), identifier.end());
  return head;
}

template <class T>
T* FindExtension(TGIFSubImage& frame) {
  for (const auto& e : frame.Extensions())
    if (auto* found = dynamic_cast<T*>(e.get())) return found;
  return nullptr;
}

}  // namespace giftest
