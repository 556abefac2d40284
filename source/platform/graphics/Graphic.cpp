#include "platform/graphics/Graphic.h"

#include <map>
#include <mutex>

#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Metafile.h"

void CheckPictureSize(int64_t width, int64_t height) {
  if (width < 0 || height < 0) throw EInvalidGraphic("Invalid picture size");
  if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
    throw EInvalidGraphic("Picture is too large (" + IntToStr(width) + " x " + IntToStr(height) + ")");
}

void TGraphic::SetWidth(int32_t) {
  throw EInvalidGraphicOperation("Cannot change the size of a " + ClassName());
}

void TGraphic::SetHeight(int32_t) {
  throw EInvalidGraphicOperation("Cannot change the size of a " + ClassName());
}

void TGraphic::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
}

void TGraphic::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Changed();
}

void TGraphic::SetModified(bool value) {
  if (value)
    Changed();
  else
    modified_ = false;
}

bool TGraphic::Equals(const TGraphic& other) {
  if (&other == this) return true;
  if (other.ClassName() != ClassName() || other.Empty() != Empty()) return false;
  if (Empty()) return true;
  TMemoryStream a;
  TMemoryStream b;
  SaveToStream(a);
  const_cast<TGraphic&>(other).SaveToStream(b);
  return a.DataString() == b.DataString();
}

void TGraphic::Changed() {
  modified_ = true;
  if (OnChange) OnChange(*this);
}

void TGraphic::Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                        const TRect& area, const std::string& message) {
  if (OnProgress) OnProgress(sender, stage, percentDone, redrawNow, area, message);
}

// ---------------------------------------------------------------------------------------
// The graphic class registry.

namespace {

struct Registry {
  std::mutex lock;
  std::map<std::string, TGraphicFactory> factories;  // by upper-case name
};

void AddToCoreRegistry(const std::string& name, const TGraphicFactory& factory) {
  RegisterClass(name, [factory]() -> std::unique_ptr<TPersistent> { return factory(); });
}

template <typename T>
void AddBuiltIn(Registry& r, const std::string& name) {
  TGraphicFactory factory = [] { return std::make_unique<T>(); };
  r.factories[UpperCase(name)] = factory;
  AddToCoreRegistry(name, factory);
}

Registry& TheRegistry() {
  static Registry* registry = [] {
    auto* r = new Registry;
    AddBuiltIn<TBitmap>(*r, "TBitmap");
    AddBuiltIn<TIcon>(*r, "TIcon");
    AddBuiltIn<TMetafile>(*r, "TMetafile");
    AddBuiltIn<TJPEGImage>(*r, "TJPEGImage");
    return r;
  }();
  return *registry;
}

}  // namespace

void RegisterGraphicClasses() {
  TheRegistry();
}

void RegisterGraphicClass(const std::string& className, TGraphicFactory factory) {
  Registry& r = TheRegistry();
  {
    std::lock_guard<std::mutex> guard(r.lock);
    r.factories[UpperCase(className)] = factory;
  }
  AddToCoreRegistry(className, factory);
}

bool IsGraphicClassRegistered(std::string_view className) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  return r.factories.count(UpperCase(className)) != 0;
}

std::unique_ptr<TGraphic> CreateGraphic(std::string_view className) {
  TGraphicFactory factory;
  {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.factories.find(UpperCase(className));
    if (it == r.factories.end()) return nullptr;
    factory = it->second;
  }
  return factory();
}

std::unique_ptr<TGraphic> CreateGraphicLike(const TGraphic& graphic) {
  return CreateGraphic(graphic.ClassName());
}
