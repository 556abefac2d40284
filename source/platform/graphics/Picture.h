// TPicture: a holder of one graphic of any registered class. It copies what it is given,
// loads files by extension, and streams its graphic as the "Data" of a picture property
// (the class name as a short string, then the graphic's component data).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/core/Classes.h"
#include "platform/graphics/Graphic.h"

class TBitmap;
class TIcon;
class TMetafile;

class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;
  std::string ClassName() const override { return "TPicture"; }

  /// The graphic held, or null.
  TGraphic* Graphic() const;
  /// Holds a copy of `graphic` (a new graphic of its class, assigned from it); null empties.
  void SetGraphic(const TGraphic* graphic);
  /// Holds `graphic` itself.
  void TakeGraphic(std::unique_ptr<TGraphic> graphic);

  /// The graphic as a bitmap, icon or metafile: when it is of another class (or absent) it
  /// is replaced by an empty one of that class first.
  TBitmap& Bitmap();
  TIcon& Icon();
  TMetafile& Metafile();

  int32_t Width() const;
  int32_t Height() const;

  /// From a TPicture or a TGraphic (copied); nil empties; else EConvertError.
  void Assign(const TPersistent* source) override;
  /// Into a TGraphic: the destination is assigned from the graphic held.
  void AssignTo(TPersistent* dest) const override;

  /// Loads a file whose extension has a registered format (bmp, dib, jpg, jpeg, jpe, ico,
  /// cur, wmf, emf, and those registered later); EInvalidGraphic for an unknown extension.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);

  /// Registers a file extension (without the dot, case-insensitive) for a graphic class.
  static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                 const std::string& className);
  /// The registered class name for an extension, "" when there is none.
  static std::string FileFormatClass(const std::string& extension);

  /// Adds the "Data" property: the class name as a short string and the graphic's data.
  void DefineProperties(TFiler& filer) override;
  void ReadData(TStream& stream);
  void WriteData(TStream& stream);

  std::function<void(TPicture&)> OnChange;

 private:
  void Changed();
  template <typename T>
  T& ForceType();

  std::unique_ptr<TGraphic> graphic_;
};
