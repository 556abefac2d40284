// Private to the graphics layer: the drawing state that Windows metafiles and enhanced
// metafiles share while they play onto a Qt painter — pen, brush, font, colours, raster
// operation, the mapping from logical units to the destination, clipping and paths — and the
// drawing operations their records come down to. The players read records; this draws them.
#pragma once

#include <QFont>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRect>
#include <QRegion>
#include <QTransform>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/graphics/Font.h"

enum class TMapMode : uint32_t {
  Text = 1,     // one unit a device unit, y down
  LoMetric,     // 0.1 mm, y up
  HiMetric,     // 0.01 mm, y up
  LoEnglish,    // 0.01 inch, y up
  HiEnglish,    // 0.001 inch, y up
  Twips,        // 1/1440 inch, y up
  Isotropic,    // window onto viewport, the same scale on both axes
  Anisotropic,  // window onto viewport
};

/// How a new clipping area combines with the current one.
enum class TClipCombine : uint32_t {
  And = 1,  // the overlap
  Or,       // either
  Xor,      // one but not both
  Diff,     // the current without the new
  Copy,     // the new alone
};

/// What a path clipping escape does.
enum class TPathClip : uint32_t {
  Save = 0,       // remember the current clipping
  Restore = 1,    // go back to the clipping last remembered
  Inclusive = 2,  // clip to the inside of the path
  Exclusive = 3,  // clip to the outside of the path
};

/// A colour reference (0x00BBGGRR); palette-relative ones draw with their RGB part.
QColor MetafileColor(uint32_t colorref);
/// A pen of a metafile pen style (line style in the low 4 bits, end caps and joins above).
QPen MetafilePen(uint32_t style, int width, const QColor& color);
/// A brush of a metafile brush style (solid, null, hatched) and hatch.
QBrush MetafileBrush(uint32_t style, const QColor& color, uint32_t hatch);
/// How the rows of a bitmap record's source rectangle count. Blits and stretched DIB records
/// count them down from the top of the picture as it is seen, as the readers of these files
/// draw them; a record that sets a band of scan lines counts them in the order the DIB stores
/// them, so up from the bottom of a bottom-up DIB.
enum class TSourceRows { FromTop, AsStored };

/// The part `src` (rows counted as `rows` says) of a DIB, or a null image when the DIB cannot
/// be read or the part lies outside it. With `keepAlpha` the fourth byte of 32-bit pixels is
/// kept as it is stored (ARGB32); otherwise pixels are opaque.
QImage MetafileDibPart(std::span<const uint8_t> dib, std::optional<int64_t> bitsOffset, QRect src,
                       TSourceRows rows, bool keepAlpha = false);

/// A pen, brush, font or region made by a record, kept in the metafile's object table.
struct TMetafileObject {
  enum class Kind { Free, Pen, Brush, Font, Region, Other };
  Kind kind = Kind::Free;
  QPen pen;
  QBrush brush;
  QFont font;
  QList<QRectF> region;  // the region's rectangles, in logical units
  uint8_t charset = DEFAULT_CHARSET;
  int escapement = 0;  // tenths of a degree, counter-clockwise
};

/// The fields of a logical font as both kinds of metafile store them.
struct TMetafileLogFont {
  int32_t height = 0;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t weight = 0;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
  uint8_t charset = DEFAULT_CHARSET;
  std::string face;
};
TMetafileObject MetafileFont(const TMetafileLogFont& font);

/// A clipping area in the painter's device pixels: the part of `region` that also lies inside
/// `path` when there is one. Rectangles that stay on the pixel grid (no turning or shearing
/// mapping) go into the region, whose operations cost in proportion to its rectangles; the
/// path holds only what is not rectangular.
struct TDeviceClip {
  QRegion region;
  std::optional<QPainterPath> path;

  /// The whole area as one path.
  QPainterPath Path() const;
  QRectF Bounds() const;
};

struct TMetafileDCState {
  QPen pen{QColor(Qt::black), 0};
  QBrush brush{Qt::white};
  QFont font;
  uint8_t charset = DEFAULT_CHARSET;
  int escapement = 0;  // tenths of a degree, counter-clockwise
  QColor text_color{Qt::black};
  QColor bk_color{Qt::white};
  bool opaque = true;
  uint32_t text_align = 0;
  Qt::FillRule fill_rule = Qt::OddEvenFill;
  TMapMode map_mode = TMapMode::Text;
  QPoint window_org;
  QSize window_ext{1, 1};
  QPoint viewport_org;
  QSize viewport_ext{1, 1};
  QTransform world;
  QPointF position;
  uint32_t rop2 = 13;  // the pen as it is
  TDeviceClip clip;
  // The path is part of the state: a restore brings back the path of the saved state.
  std::optional<QPainterPath> path;  // being built, painter coordinates
  QPainterPath last_path;            // the one ended last, painter coordinates
};

/// A grey picture laid with OR, kept back until the next record shows whether a picture
/// follows with AND over the same place: together they are one picture with partial
/// transparency, the grey being each pixel's opacity (what office suites write for
/// translucent objects). Drawn bitwise, the translucent pixels would come out dark.
struct TPendingMask {
  QImage image;
  QRectF dest;
  QTransform transform;
};

class TMetafileDC {
 public:
  /// `device_to_dest` maps the metafile's device units onto the painter's (before the
  /// transform the painter comes with); `device_per_inch` serves the fixed mapping modes.
  /// Drawing is clipped to `dest`.
  TMetafileDC(QPainter& painter, const QRect& dest, const QTransform& deviceToDest, QSizeF devicePerInch);
  /// Draws what is kept back. The painter's transform and clipping are left as the last
  /// record set them: the player restores the painter.
  ~TMetafileDC();
  TMetafileDC(const TMetafileDC&) = delete;
  TMetafileDC& operator=(const TMetafileDC&) = delete;

  TMetafileDCState& State() { return state_; }
  /// Makes a pen, brush or font the current one; other objects are left to the player.
  void Select(const TMetafileObject& object);
  /// Called before each record: a kept-back mask is drawn unless a bitmap record follows.
  void BeforeRecord(bool bitmapRecord);

  // Mapping. Extents change only in the scalable modes; zero extents are ignored.
  void ApplyMapping();
  void SetMapMode(uint32_t mode);
  void SetWindowOrg(QPoint org);
  void SetViewportOrg(QPoint org);
  void SetWindowExt(QSize ext);
  void SetViewportExt(QSize ext);
  void ScaleWindowExt(int64_t xNum, int64_t xDen, int64_t yNum, int64_t yDen);
  void ScaleViewportExt(int64_t xNum, int64_t xDen, int64_t yNum, int64_t yDen);
  void SetWorld(const QTransform& world);

  /// Remembers the whole state; past the limit of kept states the oldest one is forgotten,
  /// so that the restores that follow still find the states saved last.
  void SaveDC();
  /// Negative levels count back from the last save; positive ones name a save. The mapping,
  /// world transform and clipping become exactly those of the saved state.
  void RestoreDC(int64_t level);

  // Drawing in logical units with the current pen, brush and raster operation.
  void Figure(const QPainterPath& figure, bool filled = true);
  void MoveTo(QPointF to);
  void LineTo(QPointF to);
  void BezierTo(QPointF c1, QPointF c2, QPointF to);
  void SetPixel(QPointF at, const QColor& color);
  /// Text hangs from its reference point upright on the device, whichever way the mapping
  /// turns the axes; `dx` (logical units) places the characters when it holds one a character.
  void Text(QPointF at, const QString& text, uint32_t options, const QRectF* rect,
            const std::vector<double>& dx);
  /// The same with glyph numbers of the current font in place of characters.
  void GlyphText(QPointF at, const QList<quint32>& glyphs, uint32_t options, const QRectF* rect,
                 const std::vector<double>& dx);
  /// The background box of a text record (logical units) filled with the background colour;
  /// records without characters fill small areas this way.
  void TextBox(const QRectF& rect);
  void PatBlt(uint32_t rop, const QRectF& area);
  void Blit(uint32_t rop, const QImage& part, const QRectF& dest);
  /// Lays `source` over the target at `constantAlpha` (0 to 255); with `perPixelAlpha` the
  /// source is ARGB32 whose colours are already multiplied by their alpha.
  void AlphaBlend(const QImage& source, const QRectF& dest, uint8_t constantAlpha, bool perPixelAlpha);

  // Clipping: rectangles and regions in logical units, or in the metafile's device units.
  // The area is kept here and handed to the painter once, before the next drawing.
  void IntersectClipRect(const QRectF& r);
  void ExcludeClipRect(const QRectF& r);
  void CombineClip(const QList<QRectF>& logical, TClipCombine how);
  void CombineDeviceClip(const QList<QRectF>& device, TClipCombine how);
  void ResetClip();

  // Paths: between BeginPath and EndPath figures and lines build the path instead of drawing.
  void BeginPath();
  void EndPath();
  void AbortPath();
  void CloseFigure();
  void ClipToPath(TPathClip how);
  void SelectClipPath(TClipCombine how);
  void DrawPath(bool fill, bool stroke);

 private:
  QTransform PageToDevice() const;
  bool ScalableMode() const;
  /// Hands the clipping to the painter when a record changed it since the last drawing.
  void SyncClip();
  void SetClip(TDeviceClip clip);
  void CombineArea(const TDeviceClip& area, TClipCombine how);
  QBrush DeviceBrush() const;
  void DrawMask(const TPendingMask& mask);
  void DrawWithOpacity(const QImage& picture, const QImage& mask, const QRectF& dest);
  /// Lays out one line of text of `width` logical units and calls `draw` with the left end
  /// of its baseline, in a frame of logical units turned upright on the device.
  template <typename Draw>
  void TextLine(QPointF at, double width, uint32_t options, const QRectF* rect, Draw draw);

  QPainter& p_;
  QRect dest_;
  QTransform base_;
  QTransform device_to_dest_;
  QSizeF device_per_inch_;
  TDeviceClip base_clip_;      // the destination within the painter's clipping, painter coordinates
  bool clip_changed_ = false;  // the painter's clipping is not yet state_.clip
  TMetafileDCState state_;
  std::deque<TMetafileDCState> saved_;
  int64_t forgotten_saves_ = 0;  // the oldest saves, dropped to keep the limit
  std::vector<TDeviceClip> saved_clips_;
  std::optional<TPendingMask> pending_mask_;
};
