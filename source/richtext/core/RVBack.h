// TRVBackground: the background of a document view, a table or a cell: a colour supplied
// by the caller plus an optional picture drawn centred, tiled (fixed, or scrolling with the
// document) or stretched, with a palette-adjusted copy of the picture for palette-based
// displays. Draw paints on the screen; DrawScaled paints on a device of another resolution.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/core/Colors.h"
#include "platform/core/Object.h"
#include "platform/graphics/GraphicsTypes.h"
#include "richtext/core/RVFuncs.h"
#include "richtext/core/RVItem.h"  // TRVPaletteAction, TRVPalette

class TCanvas;
class TCustomRVData;
class TGraphic;

/// How the background picture is laid out.
enum TBackgroundStyle : uint8_t {
  bsNoBitmap,          // colour only
  bsStretched,         // stretched over the whole area
  bsTiled,             // tiles fixed to the area
  bsTiledAndScrolled,  // tiles that scroll with the document
  bsCentered,          // once, in the middle of the area
};

/// The background styles of table and cell backgrounds.
enum TRVItemBackgroundStyle : uint8_t { rvbsColor, rvbsStretched, rvbsTiled, rvbsCentered };

/// Draws the background of the printed page into `Canvas` (a picture-sized bitmap) as it is
/// under the screen point (ScreenX, ScreenY); used under transparent pictures when printing.
using TRVPageBackgroundProc =
    std::function<void(TCanvas& Canvas, int32_t ScreenX, int32_t ScreenY, int32_t PageParam)>;

class TRVBackground : public TObject {
 public:
  /// Style bsNoBitmap; with CreateBitmap an empty TBitmap as the picture, else none.
  explicit TRVBackground(bool CreateBitmap);
  ~TRVBackground() override;
  TRVBackground(const TRVBackground&) = delete;
  TRVBackground& operator=(const TRVBackground&) = delete;
  std::string ClassName() const override { return "TRVBackground"; }

  /// The picture (null when there is none).
  TGraphic* GetBitmap() const { return Bitmap_.get(); }
  /// The palette-adjusted copy, null unless the last UpdatePalette made one.
  TGraphic* GetImageCopy() const { return ImageCopy_.get(); }

  TRVItemBackgroundStyle GetItemBackgroundStyle() const;
  void SetItemBackgroundStyle(TRVItemBackgroundStyle Value);

  /// No picture is drawn: bsNoBitmap and no picture, or an empty one. (A picture with a
  /// layout style is never empty, even when the picture itself is.)
  bool IsEmpty() const;
  /// Whether scrolling must repaint the whole view: a non-empty picture that does not
  /// scroll with the document.
  bool ScrollRequiresFullRedraw() const;
  /// Frees the picture and its copy.
  void FreeImages();

  /// Makes the picture a copy of Source (a new graphic of its class); null leaves none.
  /// Nothing happens when Source is the picture already. Then UpdatePalette.
  void AssignBitmap(const TGraphic* Source, TRVPaletteAction PaletteAction, TRVPalette LogPalette);
  /// The same, with the palette settings of a document.
  void AssignBitmap(const TGraphic* Source, TCustomRVData* RVData);
  /// Makes Source itself the picture (the background owns it from now on). Then
  /// UpdatePalette.
  void TakeBitmap(std::unique_ptr<TGraphic> Source, TRVPaletteAction PaletteAction, TRVPalette LogPalette);
  void TakeBitmap(std::unique_ptr<TGraphic> Source, TCustomRVData* RVData);
  /// Hands the picture to the caller (the background keeps none and frees its copy).
  std::unique_ptr<TGraphic> ReleaseBitmap();

  /// Frees the copy; with a copy action and a palette, makes a new palette-adjusted copy;
  /// with rvpaAssignPallette gives the picture itself the palette.
  void UpdatePalette(TRVPaletteAction PaletteAction, TRVPalette LogPalette);

  /// Paints the background into Rect of the canvas. Width and Height are the size of the
  /// whole area a stretched or centred picture covers; XOffs and YOffs the scroll offsets
  /// of bsTiledAndScrolled; XShift and YShift are subtracted from Rect first; Color is the
  /// colour under the picture (clNone for none). With Clip the drawing is clipped to Rect
  /// and Rect's corner becomes the origin; without it the canvas's origin must already be
  /// at Rect's top-left corner.
  void Draw(TCanvas& Canvas, TRect Rect, int32_t XOffs, int32_t YOffs, int32_t XShift, int32_t YShift,
            int32_t Width, int32_t Height, TColor Color, bool Clip) const;
  /// Paints on a device of another resolution. Rect and FullRect are device rectangles
  /// (FullRect is the whole area, Rect the part painted); pictures are scaled by
  /// Resolution; Color is used as given (callers map it for their colour mode). Under a transparent picture
  /// without a colour, PageBackground (when given) draws the page's own background, receiving PageParam.
  void DrawScaled(TCanvas& Canvas, const TRect& Rect, const TRect& FullRect, const TRVFormatScale& Resolution,
                  TColor Color, TRVPalette Palette, const TRVPageBackgroundProc& PageBackground,
                  int32_t PageParam) const;

  TBackgroundStyle Style = bsNoBitmap;

 private:
  /// The picture to draw: the palette copy when there is one.
  TGraphic* PictureToDraw() const { return ImageCopy_ ? ImageCopy_.get() : Bitmap_.get(); }

  std::unique_ptr<TGraphic> ImageCopy_;
  std::unique_ptr<TGraphic> Bitmap_;
};
