// TCanvas: a drawing surface with a pen, a brush and a font, and the device-context state the
// program's drawing code relies on (window origin, clip region, text alignment, background
// mode, character extra spacing, saved states). It draws on a bitmap, on a widget or on
// nothing at all (a canvas without a target still measures text).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Object.h"
#include "platform/graphics/Brush.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsTypes.h"
#include "platform/graphics/Pen.h"

class TGraphic;
class TCanvasDevice;  // the drawing target (private to the platform layer)

// Text alignment flags (SetTextAlign).
constexpr uint32_t TA_LEFT = 0;
constexpr uint32_t TA_TOP = 0;
constexpr uint32_t TA_RIGHT = 2;
constexpr uint32_t TA_CENTER = 6;
constexpr uint32_t TA_BOTTOM = 8;
constexpr uint32_t TA_BASELINE = 24;
constexpr uint32_t TA_RTLREADING = 256;

// Background modes (SetBkMode).
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// ExtTextOut options.
constexpr uint32_t ETO_OPAQUE = 2;
constexpr uint32_t ETO_CLIPPED = 4;

// GetDeviceCaps indexes.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// Stretch modes of CopyRect: one source pixel for each target pixel, or the average of the
// source pixels each target pixel covers.
constexpr int BLACKONWHITE = 1;
constexpr int HALFTONE = 4;

/// Raster operation of CopyRect (the class library's copy modes), and of the bitmap records
/// of metafiles, which also paint with the brush (the pattern) or leave the target alone.
enum TCopyMode : uint32_t {
  cmBlackness = 0x00000042,
  cmDstInvert = 0x00550009,
  cmMergePaint = 0x00BB0226,
  cmNotSrcCopy = 0x00330008,
  cmNotSrcErase = 0x001100A6,
  cmSrcAnd = 0x008800C6,
  cmSrcCopy = 0x00CC0020,
  cmSrcErase = 0x00440328,
  cmSrcInvert = 0x00660046,
  cmSrcPaint = 0x00EE0086,
  cmWhiteness = 0x00FF0062,
  cmPatCopy = 0x00F00021,
  cmPatInvert = 0x005A0049,
  cmDstCopy = 0x00AA0029,
};

/// Font measurements in pixels (the fields of a Windows TEXTMETRIC that the program uses).
struct TTextMetric {
  int32_t tmHeight = 0;           // ascent + descent
  int32_t tmAscent = 0;           // baseline to the top of the cell
  int32_t tmDescent = 0;          // baseline to the bottom of the cell
  int32_t tmInternalLeading = 0;  // cell height less the character height
  int32_t tmExternalLeading = 0;  // extra space the face asks for between lines
  int32_t tmAveCharWidth = 0;     // average width of the face's characters
  int32_t tmMaxCharWidth = 0;     // widest character
  int32_t tmWeight = 0;           // FW_NORMAL or FW_BOLD
  int32_t tmOverhang = 0;         // always 0 for the fonts we draw with
  uint8_t tmItalic = 0;
  uint8_t tmUnderlined = 0;
  uint8_t tmStruckOut = 0;
  uint8_t tmPitchAndFamily = 0;  // bit 0 set for proportional faces
  uint8_t tmCharSet = 0;
};

/// The outline measurements the program uses: positions are above the baseline when
/// positive (so an underline, below the baseline, has a negative position).
struct TOutlineTextMetric {
  TTextMetric otmTextMetrics;
  int32_t otmsUnderscoreSize = 0;
  int32_t otmsUnderscorePosition = 0;
  int32_t otmsStrikeoutSize = 0;
  int32_t otmsStrikeoutPosition = 0;
};

/// Result of GetCharacterPlacementW: for each character (logical order) its visual order,
/// the width of its visual cell and whether it runs right to left (class 2) or not (0).
struct TCharacterPlacement {
  std::vector<uint32_t> Order;   // Order[i] = visual index of logical character i
  std::vector<int32_t> Dx;       // Dx[v] = width of visual cell v
  std::vector<uint8_t> Classes;  // Classes[i] = 2 for right-to-left characters, else 0
};

/// Pixels held as one colour index each, drawn without first becoming a bitmap.
struct TIndexedPixels {
  const uint8_t* Pixels = nullptr;  // rows top-down
  int32_t Width = 0;
  int32_t Height = 0;
  int64_t Stride = 0;                // bytes from one row to the next
  std::span<const TRGBQuad> Colors;  // indices beyond the table are black
  int TransparentIndex = -1;         // pixels of this index leave the target as it was; -1: none
};

class TCanvas : public TObject {
 public:
  /// A canvas without a target: it measures text, and drawing on it does nothing.
  TCanvas();
  /// A canvas drawing on `device` (made by the platform layer).
  explicit TCanvas(std::unique_ptr<TCanvasDevice> device);
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  std::string ClassName() const override { return "TCanvas"; }

  TPen& Pen();
  TBrush& Brush();
  TFont& Font();
  void SetPen(const TPen& pen) { Pen().Assign(pen); }
  void SetBrush(const TBrush& brush) { Brush().Assign(brush); }
  void SetFont(const TFont& font) { Font().Assign(font); }
  TCopyMode CopyMode() const;
  void SetCopyMode(TCopyMode mode);
  /// How CopyRect stretches (BLACKONWHITE, HALFTONE); returns the previous mode.
  int SetStretchBltMode(int mode);

  /// True when the canvas has something to draw on.
  bool HasTarget() const;
  /// Size of the drawing target in pixels (0 x 0 without one).
  TSize TargetSize() const;
  int GetDeviceCaps(int index) const;

  // Lines and figures. Right and bottom edges are exclusive; a line leaves out its last pixel.
  TPoint PenPos() const;
  void SetPenPos(TPoint p);
  void MoveTo(int32_t x, int32_t y);
  void LineTo(int32_t x, int32_t y);
  void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  /// A rectangle whose corners are quarter ellipses of width w and height h; corners
  /// smaller than two pixels leave a plain rectangle.
  void RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t w, int32_t h);
  void RoundRect(const TRect& r, int32_t w, int32_t h) { RoundRect(r.Left, r.Top, r.Right, r.Bottom, w, h); }
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  void Polygon(std::span<const TPoint> points);
  void Polyline(std::span<const TPoint> points);
  /// Fills with the brush; no outline.
  void FillRect(const TRect& r);
  /// A one-pixel frame in the brush colour.
  void FrameRect(const TRect& r);

  // Text. The 8-bit forms take text in the code page of the font's character set (the
  // ANSI code page for DEFAULT_CHARSET); the W forms take UTF-16.
  void TextOut(int32_t x, int32_t y, std::string_view text);
  void TextOutW(int32_t x, int32_t y, std::u16string_view text);
  /// Fills `r` with the brush (unless clear) and draws the text at (x, y) clipped to `r`.
  void TextRect(const TRect& r, int32_t x, int32_t y, std::string_view text);
  void TextRectW(const TRect& r, int32_t x, int32_t y, std::u16string_view text);
  /// Text with optional opaque rectangle, clipping rectangle and explicit advances (one per
  /// character; the character extra spacing is not added to explicit advances).
  void ExtTextOut(int32_t x, int32_t y, uint32_t options, const TRect* r, std::string_view text,
                  const int32_t* dx = nullptr);
  void ExtTextOutW(int32_t x, int32_t y, uint32_t options, const TRect* r, std::u16string_view text,
                   const int32_t* dx = nullptr);
  TSize TextExtent(std::string_view text);
  TSize TextExtentW(std::u16string_view text);
  int32_t TextWidth(std::string_view text) { return TextExtent(text).cx; }
  int32_t TextHeight(std::string_view text) { return TextExtent(text).cy; }
  /// Number of leading characters whose extent fits into `max_extent` and, when `widths` is
  /// given, the extent of the first 1, 2, ... n characters.
  TSize GetTextExtentExPoint(std::string_view text, int32_t maxExtent, int32_t* fit,
                             std::vector<int32_t>* widths);
  TSize GetTextExtentExPointW(std::u16string_view text, int32_t maxExtent, int32_t* fit,
                              std::vector<int32_t>* widths);
  bool GetTextMetrics(TTextMetric& tm);
  bool GetOutlineTextMetrics(TOutlineTextMetric& otm);
  /// Visual order, cell widths and direction classes of the characters of `text`.
  bool GetCharacterPlacementW(std::u16string_view text, TCharacterPlacement& placement);

  uint32_t GetTextAlign() const;
  /// Sets the alignment flags and returns the previous ones.
  uint32_t SetTextAlign(uint32_t flags);
  int GetBkMode() const;
  int SetBkMode(int mode);
  TColor GetBkColor() const;
  TColor SetBkColor(TColor color);
  int32_t GetTextCharacterExtra() const;
  /// Extra pixels after every character of drawn and measured text; returns the previous value.
  int32_t SetTextCharacterExtra(int32_t extra);

  // Pictures and pixels.
  void Draw(int32_t x, int32_t y, TGraphic* graphic);
  void StretchDraw(const TRect& r, TGraphic* graphic);
  /// Draws `pixels` stretched into `r`. At their own size they go to the target a band of
  /// rows at a time, so no copy of the whole picture is made.
  void DrawIndexed(const TRect& r, const TIndexedPixels& pixels);
  /// Copies `source_rect` of `source` into `dest` (stretching when the sizes differ) with
  /// the copy mode. A source without pixels (a widget) copies nothing.
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);
  TColor Pixel(int32_t x, int32_t y);
  void SetPixel(int32_t x, int32_t y, TColor color);

  // Coordinates, clipping and saved states.
  TPoint GetWindowOrg() const;
  /// Logical point (x, y) is drawn at device (0, 0); returns the previous origin.
  TPoint SetWindowOrg(int32_t x, int32_t y);
  void MoveWindowOrg(int32_t dx, int32_t dy);
  /// The clip region's bounding box in logical coordinates (the whole target when unclipped).
  TRect ClipRect() const;
  void IntersectClipRect(const TRect& r);
  void ExcludeClipRect(const TRect& r);
  /// Clips to exactly `r` (logical coordinates), replacing the clip region.
  void SelectClipRect(const TRect& r);
  void ResetClip();
  bool HasClip() const;
  /// Saves origin, clip, pens, brush, font, alignment, background and spacing; returns a
  /// level for RestoreDC (which also accepts -1 for the last save).
  int SaveDC();
  bool RestoreDC(int level);

  /// Finishes any pending drawing so that the target's pixels are up to date.
  void Flush();

  struct Impl;

 private:
  friend struct TCanvasAccess;
  std::unique_ptr<Impl> impl_;
};
