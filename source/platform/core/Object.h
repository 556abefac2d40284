// The root of the class hierarchy: a virtual destructor and the class name used by the
// class registry and the component streaming.
#pragma once

#include <string>

class TObject {
 public:
  virtual ~TObject() = default;
  /// The registered class name ("TBitmap", "TFontInfo", ...). Classes that are streamed
  /// or created by name override it.
  virtual std::string ClassName() const { return "TObject"; }
};
