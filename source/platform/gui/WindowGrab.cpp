#include "platform/gui/WindowGrab.h"

#include <QPixmap>

#include "platform/graphics/BitmapAccess.h"
#include "platform/gui/WidgetSupport.h"

bool GrabControl(TWinControl& control, TBitmap& out) {
  if (!control.HandleAllocated()) return false;
  QWidget* window = static_cast<TWidgetHandle*>(control.Handle())->Outer();
  if (window == nullptr) return false;
  TBitmapAccess::SetImage(out, window->grab().toImage().convertToFormat(QImage::Format_RGB32), pf24bit);
  return true;
}
