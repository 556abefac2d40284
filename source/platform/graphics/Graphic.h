// TGraphic: the abstract picture (bitmap, JPEG, icon, metafile, GIF, ...) that loads and saves
// itself, knows its size and draws itself on a canvas; and the registry that re-creates
// graphic classes from the class names stored in documents.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Streams.h"
#include "platform/graphics/GraphicsTypes.h"

class TCanvas;

enum TProgressStage { psStarting, psRunning, psEnding };

/// Progress of long picture operations: sender, stage, percent done, whether the picture
/// should be redrawn now, the area concerned and a message.
using TProgressEvent = std::function<void(TObject* sender, TProgressStage stage, uint8_t percentDone,
                                          bool redrawNow, const TRect& area, const std::string& message)>;

class TGraphic : public TPersistent {
 public:
  std::string ClassName() const override { return "TGraphic"; }

  virtual bool Empty() const = 0;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  /// The default refuses with EInvalidGraphicOperation.
  virtual void SetWidth(int32_t width);
  virtual void SetHeight(int32_t height);

  /// Loads from the stream's position to its end; a bad picture raises EInvalidGraphic.
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);

  /// The picture as stored in component data (the "Data" of a picture property); the
  /// default is the picture's own stream format.
  virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
  virtual void WriteData(TStream& stream) { SaveToStream(stream); }

  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool value);
  bool Modified() const { return modified_; }
  void SetModified(bool value);

  /// The picture's palette; empty when it has none.
  virtual std::vector<TPaletteEntry> GetPalette() const { return {}; }
  virtual void SetPalette(const std::vector<TPaletteEntry>& palette) { (void)palette; }

  /// True when both pictures are of the same class and save to the same bytes.
  virtual bool Equals(const TGraphic& other);

  std::function<void(TGraphic&)> OnChange;
  TProgressEvent OnProgress;

 protected:
  friend class TCanvas;
  /// Draws the picture stretched into `rect` of the canvas.
  virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
  /// Marks the picture modified and calls OnChange.
  virtual void Changed();
  void Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& area,
                const std::string& message);

  bool transparent_ = false;
  bool modified_ = false;
};

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

/// Registers a graphic class under its class name (case-insensitive), in the graphics
/// registry and in the class registry of platform/core. TBitmap, TIcon, TMetafile and
/// TJPEGImage are registered from the start.
void RegisterGraphicClass(const std::string& className, TGraphicFactory factory);
/// The graphics layer's start-up call: registers the built-in classes (also with the class
/// registry of platform/core). Every function of the registry does this on first use too.
void RegisterGraphicClasses();
bool IsGraphicClassRegistered(std::string_view className);
/// A new, empty graphic of the registered class; nullptr when no such class is registered.
std::unique_ptr<TGraphic> CreateGraphic(std::string_view className);
/// A new, empty graphic of the same class as `graphic` (nullptr when it is not registered).
std::unique_ptr<TGraphic> CreateGraphicLike(const TGraphic& graphic);
