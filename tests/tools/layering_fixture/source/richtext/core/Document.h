// A rich-text header that names Qt; its include of a platform header points down.
#pragma once

#include <QImage>
#include <string>

#include "platform/core/Upward.h"
#include "Beside.h"

// A QString mentioned in a comment is no use of Qt.
class TDocument {
  QImage image_;
  const char* name_ = "QPixmap";
};
