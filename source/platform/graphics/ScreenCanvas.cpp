#include "platform/graphics/ScreenCanvas.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/graphics/CanvasDevice.h"

namespace {

/// The bitmaps' canvases declared by the TScreenBuffers alive on this thread.
thread_local std::vector<const TCanvas*> screenBuffers;

}  // namespace

bool CanvasShowsOnScreen(TCanvas& canvas) {
  // A window's canvas draws through the painter of its paint event; every other target is
  // an image the program owns, shown only when a paint declared it its buffer.
  return dynamic_cast<TPainterCanvasDevice*>(TCanvasAccess::Device(canvas)) != nullptr ||
         std::find(screenBuffers.begin(), screenBuffers.end(), &canvas) != screenBuffers.end();
}

TScreenBuffer::TScreenBuffer(TCanvas& buffer, TCanvas& shownOn) {
  if (!CanvasShowsOnScreen(shownOn)) return;
  buffer_ = &buffer;
  screenBuffers.push_back(buffer_);
}

TScreenBuffer::~TScreenBuffer() {
  // Declarations nest: the last one of this buffer is this one.
  if (buffer_ == nullptr) return;
  const auto it = std::find(screenBuffers.rbegin(), screenBuffers.rend(), buffer_);
  if (it != screenBuffers.rend()) screenBuffers.erase(std::next(it).base());
}
