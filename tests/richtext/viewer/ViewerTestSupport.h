// Helpers of the viewer control tests: the one application object every test program of
// controls needs, and a viewer whose document data can be replaced.
#pragma once

#include <functional>
#include <memory>

#include "platform/gui/Application.h"
#include "richtext/viewer/RVRVData.h"
#include "richtext/viewer/RVViewer.h"

namespace viewertest {

/// The application object, made on first use and kept to the end of the program.
inline TApplication& App() {
  static TApplication* app = new TApplication();
  return *app;
}

/// A viewer built with document data of class D.
template <typename D>
class TViewerWith : public TCustomRVViewer {
 public:
  TViewerWith() : TCustomRVViewer(nullptr, [](TCustomRVViewer* v) { return std::make_unique<D>(v); }) {}
  D& Data() { return static_cast<D&>(RVData()); }
};

}  // namespace viewertest
