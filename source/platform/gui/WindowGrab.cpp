#include "platform/gui/WindowGrab.h"

#include <QPixmap>

#include "platform/graphics/BitmapAccess.h"
#include "platform/gui/WidgetSupport.h"

namespace {
QWidget* OuterWidget(TWinControl& control) {
  if (!control.HandleAllocated()) return nullptr;
  return static_cast<TWidgetHandle*>(control.Handle())->Outer();
}
}  // namespace

bool GrabControl(TWinControl& control, TBitmap& out) {
  QWidget* window = OuterWidget(control);
  if (window == nullptr) return false;
  TBitmapAccess::SetImage(out, window->grab().toImage().convertToFormat(QImage::Format_RGB32), pf24bit);
  return true;
}

bool GrabControlToPNG(TWinControl& control, const std::string& path) {
  QWidget* window = OuterWidget(control);
  return window != nullptr && window->grab().save(QString::fromStdString(path), "PNG");
}
