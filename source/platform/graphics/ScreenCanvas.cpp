#include "platform/graphics/ScreenCanvas.h"

#include "platform/graphics/CanvasDevice.h"

bool CanvasShowsOnScreen(TCanvas& canvas) {
  // A window's canvas draws through the painter of its paint event; every other target is
  // an image the program owns.
  return dynamic_cast<TPainterCanvasDevice*>(TCanvasAccess::Device(canvas)) != nullptr;
}
