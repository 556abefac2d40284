#include "platform/graphics/Picture.h"

#include <map>
#include <mutex>

#include "platform/core/ComponentStreaming.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Metafile.h"

namespace {

struct FileFormat {
  std::string description;
  std::string class_name;
};

std::mutex& FormatsLock() {
  static std::mutex lock;
  return lock;
}

std::map<std::string, FileFormat>& Formats() {
  static std::map<std::string, FileFormat>* formats = new std::map<std::string, FileFormat>{
      {"BMP", {"Bitmaps", "TBitmap"}},
      {"DIB", {"Bitmaps", "TBitmap"}},
      {"JPG", {"JPEG Image File", "TJPEGImage"}},
      {"JPEG", {"JPEG Image File", "TJPEGImage"}},
      {"JPE", {"JPEG Image File", "TJPEGImage"}},
      {"ICO", {"Icons", "TIcon"}},
      {"CUR", {"Cursors", "TIcon"}},
      {"WMF", {"Metafiles", "TMetafile"}},
      {"EMF", {"Enhanced Metafiles", "TMetafile"}},
  };
  return *formats;
}

std::string ExtensionKey(const std::string& extension) {
  std::string e = extension;
  if (!e.empty() && e[0] == '.') e.erase(0, 1);
  return UpperCase(e);
}

}  // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

TGraphic* TPicture::Graphic() const {
  return graphic_.get();
}

void TPicture::SetGraphic(const TGraphic* graphic) {
  if (graphic == graphic_.get() && graphic != nullptr) return;
  std::unique_ptr<TGraphic> copy;
  if (graphic != nullptr) {
    copy = CreateGraphicLike(*graphic);
    if (!copy) throw EInvalidGraphic("Unknown picture class " + graphic->ClassName());
    copy->Assign(graphic);
  }
  TakeGraphic(std::move(copy));
}

void TPicture::TakeGraphic(std::unique_ptr<TGraphic> graphic) {
  graphic_ = std::move(graphic);
  if (graphic_) graphic_->OnChange = [this](TGraphic&) { Changed(); };
  Changed();
}

template <typename T>
T& TPicture::ForceType() {
  if (auto* g = dynamic_cast<T*>(graphic_.get())) return *g;
  TakeGraphic(std::make_unique<T>());
  return static_cast<T&>(*graphic_);
}

TBitmap& TPicture::Bitmap() {
  return ForceType<TBitmap>();
}
TIcon& TPicture::Icon() {
  return ForceType<TIcon>();
}
TMetafile& TPicture::Metafile() {
  return ForceType<TMetafile>();
}

int32_t TPicture::Width() const {
  return graphic_ ? graphic_->Width() : 0;
}
int32_t TPicture::Height() const {
  return graphic_ ? graphic_->Height() : 0;
}

void TPicture::Assign(const TPersistent* source) {
  if (source == this) return;
  if (source == nullptr) {
    SetGraphic(nullptr);
    return;
  }
  if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
    SetGraphic(picture->Graphic());
    return;
  }
  if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
    SetGraphic(graphic);
    return;
  }
  TPersistent::Assign(source);
}

void TPicture::AssignTo(TPersistent* dest) const {
  if (auto* graphic = dynamic_cast<TGraphic*>(dest)) {
    graphic->Assign(graphic_.get());
    return;
  }
  TPersistent::AssignTo(dest);
}

void TPicture::LoadFromFile(const std::string& fileName) {
  const std::string className = FileFormatClass(ExtractFileExt(fileName));
  std::unique_ptr<TGraphic> graphic = className.empty() ? nullptr : CreateGraphic(className);
  if (!graphic) throw EInvalidGraphic("Unknown picture file extension (" + ExtractFileExt(fileName) + ")");
  graphic->LoadFromFile(fileName);
  TakeGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName) {
  if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  const std::string& className) {
  std::lock_guard<std::mutex> guard(FormatsLock());
  Formats()[ExtensionKey(extension)] = FileFormat{description, className};
}

std::string TPicture::FileFormatClass(const std::string& extension) {
  std::lock_guard<std::mutex> guard(FormatsLock());
  auto it = Formats().find(ExtensionKey(extension));
  return it == Formats().end() ? std::string() : it->second.class_name;
}

void TPicture::DefineProperties(TFiler& filer) {
  TPersistent::DefineProperties(filer);
  filer.DefineBinaryProperty(
      "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); },
      graphic_ != nullptr && !graphic_->Empty());
}

void TPicture::ReadData(TStream& stream) {
  uint8_t length = 0;
  stream.ReadBuffer(&length, 1);
  std::string className(length, '\0');
  if (length > 0) stream.ReadBuffer(className.data(), length);
  std::unique_ptr<TGraphic> graphic = CreateGraphic(className);
  if (!graphic) throw EInvalidGraphic("Unknown picture class " + className);
  graphic->ReadData(stream);
  TakeGraphic(std::move(graphic));
}

void TPicture::WriteData(TStream& stream) {
  const std::string className = graphic_ ? graphic_->ClassName() : std::string();
  const auto length = static_cast<uint8_t>(std::min<size_t>(className.size(), 255));
  stream.WriteBuffer(&length, 1);
  stream.WriteBuffer(className.data(), length);
  if (graphic_) graphic_->WriteData(stream);
}

void TPicture::Changed() {
  if (OnChange) OnChange(*this);
}
