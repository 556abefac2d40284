// Picture helpers of the document core: the replaceable hooks through which every part of
// the engine creates pictures by class (RVF and RTF reading, backgrounds, picture items) and
// filters imported ones, palettes for palette-based displays, the transparency test, and the
// stretching of a picture onto a device of another resolution.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "platform/graphics/Graphic.h"
#include "richtext/core/RVFuncs.h"
#include "richtext/core/RVItem.h"  // TRVPalette

class TCanvas;
class TGraphic;

/// Makes a new, empty graphic of a class given by name; null when the class is unknown.
using TRVGraphicFactoryProc = std::function<std::unique_ptr<TGraphic>(std::string_view ClassName)>;
/// Takes an imported graphic and returns the graphic to keep (possibly the same one).
using TRVImportedGraphicFilterProc = std::function<std::unique_ptr<TGraphic>(std::unique_ptr<TGraphic>)>;

/// The process-wide graphic factory; the default makes classes of the graphics registry.
TRVGraphicFactoryProc& RVGraphicFactory();
/// The process-wide filter for imported pictures; the default keeps the graphic.
TRVImportedGraphicFilterProc& RVImportedGraphicFilter();

/// A new, empty graphic of the named class through RVGraphicFactory (null when unknown).
std::unique_ptr<TGraphic> RVCreateGraphic(std::string_view ClassName);
/// A new, empty graphic of class T (named ClassName) through RVGraphicFactory; null when the
/// factory makes nothing, or something that is not a T.
template <class T>
std::unique_ptr<T> RVCreateGraphicOf(std::string_view ClassName) {
  std::unique_ptr<TGraphic> graphic = RVCreateGraphic(ClassName);
  if (dynamic_cast<T*>(graphic.get()) == nullptr) return nullptr;
  return std::unique_ptr<T>(static_cast<T*>(graphic.release()));
}
/// A copy of `Source`: a new graphic of its class, assigned from it. Raises EInvalidGraphic
/// when the class cannot be made.
std::unique_ptr<TGraphic> RVCopyGraphic(const TGraphic& Source);

/// Gives the graphic the logical palette (nothing for null); a JPEG picture is first
/// switched to 8-bit pixels.
void RVSetGraphicPalette(TGraphic& Graphic, TRVPalette LogPalette);
/// The graphic's Transparent flag.
bool RVIsGraphicTransparent(const TGraphic& Graphic);
/// A picture that has nothing to show: null, empty, or of width or height 0.
bool RVIsGraphicEmpty(const TGraphic* Graphic);

/// The resolutions of drawing on `Canvas`: the screen counts as 96 pixels per inch on every
/// machine, so that layout does not depend on the display, and the device resolution is the
/// canvas's own (96 for a canvas without a target or one that reports none). The margins
/// are left alone.
void RVGetDeviceResolution(TRVFormatScale& Resolution, TCanvas& Canvas);

/// Draws `Graphic` at (X, Y) of a device canvas, Width x Height screen pixels (negative:
/// the graphic's own) scaled to the device by `Resolution`. With UseStretchDraw any graphic
/// is stretched into place; otherwise only a TBitmap is drawn, with halftone stretching.
void RVStretchDrawPicture(TCanvas& Canvas, int32_t X, int32_t Y, int32_t Width, int32_t Height,
                          const TRVFormatScale& Resolution, TGraphic& Graphic, bool UseStretchDraw);
