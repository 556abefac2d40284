#include "platform/graphics/MetafilePlayer.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/BitmapAccess.h"
#include "platform/graphics/BitmapCodec.h"
#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/Font.h"

namespace {

// Record functions.
constexpr uint16_t kEof = 0x0000;
constexpr uint16_t kSaveDC = 0x001E;
constexpr uint16_t kSetBkMode = 0x0102;
constexpr uint16_t kSetMapMode = 0x0103;
constexpr uint16_t kSetRop2 = 0x0104;
constexpr uint16_t kSetPolyFillMode = 0x0106;
constexpr uint16_t kRestoreDC = 0x0127;
constexpr uint16_t kSelectClipRegion = 0x012C;
constexpr uint16_t kSelectObject = 0x012D;
constexpr uint16_t kSetTextAlign = 0x012E;
constexpr uint16_t kDibCreatePatternBrush = 0x0142;
constexpr uint16_t kDeleteObject = 0x01F0;
constexpr uint16_t kSetBkColor = 0x0201;
constexpr uint16_t kSetTextColor = 0x0209;
constexpr uint16_t kSetWindowOrg = 0x020B;
constexpr uint16_t kSetWindowExt = 0x020C;
constexpr uint16_t kSetViewportOrg = 0x020D;
constexpr uint16_t kSetViewportExt = 0x020E;
constexpr uint16_t kOffsetWindowOrg = 0x020F;
constexpr uint16_t kOffsetViewportOrg = 0x0211;
constexpr uint16_t kLineTo = 0x0213;
constexpr uint16_t kMoveTo = 0x0214;
constexpr uint16_t kCreatePenIndirect = 0x02FA;
constexpr uint16_t kCreateFontIndirect = 0x02FB;
constexpr uint16_t kCreateBrushIndirect = 0x02FC;
constexpr uint16_t kPolygon = 0x0324;
constexpr uint16_t kPolyline = 0x0325;
constexpr uint16_t kScaleWindowExt = 0x0410;
constexpr uint16_t kScaleViewportExt = 0x0412;
constexpr uint16_t kExcludeClipRect = 0x0415;
constexpr uint16_t kIntersectClipRect = 0x0416;
constexpr uint16_t kEllipse = 0x0418;
constexpr uint16_t kRectangle = 0x041B;
constexpr uint16_t kSetPixel = 0x041F;
constexpr uint16_t kTextOut = 0x0521;
constexpr uint16_t kPolyPolygon = 0x0538;
constexpr uint16_t kRoundRect = 0x061C;
constexpr uint16_t kPatBlt = 0x061D;
constexpr uint16_t kEscape = 0x0626;
constexpr uint16_t kDibBitBlt = 0x0940;
constexpr uint16_t kExtTextOut = 0x0A32;
constexpr uint16_t kDibStretchBlt = 0x0B41;
constexpr uint16_t kStretchDib = 0x0F43;
// Records that create an object we do not draw with still take a slot of the object table.
constexpr uint16_t kCreatePalette = 0x00F7;
constexpr uint16_t kCreatePatternBrush = 0x01F9;
constexpr uint16_t kCreateRegion = 0x06FF;

// Escape functions that build a path and clip to it (written for printers that know paths).
constexpr uint16_t kBeginPath = 4096;
constexpr uint16_t kClipToPath = 4097;
constexpr uint16_t kEndPath = 4098;
enum class PathClip : uint16_t {
  Save = 0,       // remember the current clipping
  Restore = 1,    // go back to the clipping last remembered
  Inclusive = 2,  // clip to the inside of the path
  Exclusive = 3,  // clip to the outside of the path
};

enum class MapMode : uint16_t {
  Text = 1,     // one unit a device unit, y down
  LoMetric,     // 0.1 mm, y up
  HiMetric,     // 0.01 mm, y up
  LoEnglish,    // 0.01 inch, y up
  HiEnglish,    // 0.001 inch, y up
  Twips,        // 1/1440 inch, y up
  Isotropic,    // window onto viewport, the same scale on both axes
  Anisotropic,  // window onto viewport
};

/// Units per inch of the fixed mapping modes, from LoMetric on.
constexpr int32_t kFixedModeUnitsPerInch[] = {254, 2540, 100, 1000, 1440};

/// What a line raster operation (1 to 16) does, as the Qt mode; 11 draws nothing.
constexpr QPainter::CompositionMode kRop2Modes[] = {
    QPainter::RasterOp_ClearDestination,            // black
    QPainter::RasterOp_NotSourceAndNotDestination,  // not (pen or destination)
    QPainter::RasterOp_NotSourceAndDestination,     // destination and not pen
    QPainter::RasterOp_NotSource,                   // not pen
    QPainter::RasterOp_SourceAndNotDestination,     // pen and not destination
    QPainter::RasterOp_NotDestination,              // not destination
    QPainter::RasterOp_SourceXorDestination,        // pen xor destination
    QPainter::RasterOp_NotSourceOrNotDestination,   // not (pen and destination)
    QPainter::RasterOp_SourceAndDestination,        // pen and destination
    QPainter::RasterOp_NotSourceXorDestination,     // not (pen xor destination)
    QPainter::CompositionMode_DestinationOver,      // destination unchanged (not drawn)
    QPainter::RasterOp_NotSourceOrDestination,      // destination or not pen
    QPainter::CompositionMode_SourceOver,           // pen
    QPainter::RasterOp_SourceOrNotDestination,      // pen or not destination
    QPainter::RasterOp_SourceOrDestination,         // pen or destination
    QPainter::RasterOp_SetDestination,              // white
};
static_assert(std::size(kRop2Modes) == 16);
constexpr uint16_t kRop2Nop = 11;
constexpr uint16_t kRop2CopyPen = 13;

constexpr uint32_t kSrcAnd = 0x008800C6;
constexpr uint32_t kSrcPaint = 0x00EE0086;

constexpr size_t kMaxSavedStates = 1024;
constexpr size_t kMaxSavedClips = 1024;
constexpr uint16_t kTextAlignUpdateCP = 1;
constexpr uint16_t kEtoOpaque = 2;
constexpr uint16_t kEtoClipped = 4;

/// The parameters of one record as 16-bit words; reads past the end give 0.
class Params {
 public:
  explicit Params(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  size_t Words() const { return bytes_.size() / 2; }
  bool Has(size_t words) const { return Words() >= words; }
  int16_t S(size_t i) const {
    return i < Words() ? static_cast<int16_t>(bytes_[2 * i] | (bytes_[2 * i + 1] << 8)) : int16_t{0};
  }
  uint16_t U(size_t i) const { return static_cast<uint16_t>(S(i)); }
  uint32_t U32(size_t i) const { return U(i) | (static_cast<uint32_t>(U(i + 1)) << 16); }
  uint8_t Byte(size_t at) const { return at < bytes_.size() ? bytes_[at] : uint8_t{0}; }
  /// The bytes from word `word` on (empty when the record is shorter).
  std::span<const uint8_t> From(size_t word) const {
    return 2 * word <= bytes_.size() ? bytes_.subspan(2 * word) : std::span<const uint8_t>{};
  }

 private:
  std::span<const uint8_t> bytes_;
};

QColor ColorOf(uint32_t colorref) {
  // Palette-relative colours (high byte set) are drawn with their RGB part.
  return QColor(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
}

struct WmfObject {
  enum class Kind { Free, Pen, Brush, Font, Region, Other };
  Kind kind = Kind::Free;
  QPen pen;
  QBrush brush;
  QFont font;
  QPainterPath region;  // in logical units
  uint8_t charset = DEFAULT_CHARSET;
  int escapement = 0;  // tenths of a degree, counter-clockwise
};

/// What SaveDC keeps besides the painter's own state.
struct DcState {
  QPen pen{QColor(Qt::black), 0};
  QBrush brush{Qt::white};
  QFont font;
  uint8_t charset = DEFAULT_CHARSET;
  int escapement = 0;
  QColor text_color{Qt::black};
  QColor bk_color{Qt::white};
  bool opaque = true;
  uint16_t text_align = 0;
  Qt::FillRule fill_rule = Qt::OddEvenFill;
  MapMode map_mode = MapMode::Anisotropic;
  QPoint window_org;
  QSize window_ext;
  QPoint viewport_org;
  QSize viewport_ext;
  QPointF position;
  uint16_t rop2 = kRop2CopyPen;
};

/// A region object's rectangles (a scan is a band of rows with pairs of left and right
/// edges) as one path; nullopt when the record does not hold the scans it counts.
std::optional<QPainterPath> ReadRegion(const Params& a) {
  // nextInChain, type, object count (2 words), region size, scan count, max scan, bounds (4).
  constexpr size_t kScansStart = 11;
  const size_t scans = a.U(5);
  QPainterPath path;
  size_t at = kScansStart;
  for (size_t i = 0; i < scans; ++i) {
    if (!a.Has(at + 3)) return std::nullopt;
    const size_t count = a.U(at);
    const int top = a.S(at + 1);
    const int bottom = a.S(at + 2);
    if (count % 2 != 0 || !a.Has(at + 3 + count + 1)) return std::nullopt;
    for (size_t k = 0; k < count; k += 2) {
      const int left = a.S(at + 3 + k);
      const int right = a.S(at + 4 + k);
      if (right > left && bottom > top) path.addRect(QRectF(left, top, right - left, bottom - top));
    }
    at += 3 + count + 1;
  }
  return path.simplified();
}

/// A grey picture laid with OR, kept back until the next record shows whether a picture
/// follows with AND over the same place: together they are one picture with partial
/// transparency, the grey being each pixel's opacity (what office suites write for
/// translucent objects). Drawn bitwise, the translucent pixels would come out dark.
struct PendingMask {
  QImage image;
  QRectF dest;
  QTransform transform;
};

class Player {
 public:
  Player(QPainter& p, const TWmfFrame& frame, const QRect& dest, size_t object_count)
      : p_(p), dest_(dest), base_(p.transform()), objects_(object_count) {
    // The metafile's device space is its frame; without one, the destination's pixels.
    QSize size(frame.Width, frame.Height);
    QPoint origin(frame.Left, frame.Top);
    if (size.width() == 0 || size.height() == 0) {
      size = dest.size();
      origin = QPoint();
    }
    device_to_dest_.translate(dest.x(), dest.y());
    device_to_dest_.scale(static_cast<double>(dest.width()) / size.width(),
                          static_cast<double>(dest.height()) / size.height());
    device_to_dest_.translate(-origin.x(), -origin.y());
    units_per_inch_ = frame.UnitsPerInch > 0 ? frame.UnitsPerInch : 96;
    state_.font = DefaultFont();
    state_.window_org = state_.viewport_org = origin;
    state_.window_ext = state_.viewport_ext = size;
  }

  void Play(std::span<const uint8_t> records) {
    p_.setClipRect(dest_, Qt::IntersectClip);
    base_clip_ = base_.map(p_.clipPath());
    ApplyMapping();
    size_t pos = 0;
    while (records.size() - pos >= 6) {
      const uint32_t words = static_cast<uint32_t>(records[pos] | (records[pos + 1] << 8)) |
                             (static_cast<uint32_t>(records[pos + 2] | (records[pos + 3] << 8)) << 16);
      const uint16_t function = static_cast<uint16_t>(records[pos + 4] | (records[pos + 5] << 8));
      if (words < 3 || words > (records.size() - pos) / 2 || function == kEof) break;
      Record(function, Params(records.subspan(pos + 6, 2 * static_cast<size_t>(words) - 6)));
      pos += 2 * static_cast<size_t>(words);
    }
    Record(kEof, Params({}));
    // Saves the metafile did not restore are undone here.
    RestoreDC(1);
  }

 private:
  static QFont DefaultFont() {
    TFont font;
    font.SetName("Arial");
    font.SetHeight(-12);
    return ToQFont(font);
  }

  /// Logical units to the painter's device: the window onto the viewport, the metafile's
  /// device space onto the destination, then whatever transform the painter came with.
  QTransform LogicalToPainter() const {
    const QSize we = state_.window_ext;
    const QSize ve = state_.viewport_ext;
    double sx = we.width() != 0 ? static_cast<double>(ve.width()) / we.width() : 1;
    double sy = we.height() != 0 ? static_cast<double>(ve.height()) / we.height() : 1;
    if (state_.map_mode == MapMode::Isotropic) {
      const double s = std::min(std::abs(sx), std::abs(sy));
      sx = std::copysign(s, sx);
      sy = std::copysign(s, sy);
    }
    if (sx == 0) sx = 1;
    if (sy == 0) sy = 1;
    QTransform logical;
    logical.translate(state_.viewport_org.x(), state_.viewport_org.y());
    logical.scale(sx, sy);
    logical.translate(-state_.window_org.x(), -state_.window_org.y());
    return logical * device_to_dest_ * base_;
  }

  void ApplyMapping() { p_.setTransform(LogicalToPainter()); }

  bool ScalableMode() const {
    return state_.map_mode == MapMode::Isotropic || state_.map_mode == MapMode::Anisotropic;
  }

  void SetMapMode(uint16_t mode) {
    if (mode < 1 || mode > 8) return;
    state_.map_mode = static_cast<MapMode>(mode);
    // The fixed modes bring their own extents; the scalable ones keep what was there.
    if (state_.map_mode == MapMode::Text) {
      state_.window_ext = state_.viewport_ext = QSize(1, 1);
    } else if (!ScalableMode()) {
      const int32_t units = kFixedModeUnitsPerInch[mode - 2];
      state_.window_ext = QSize(units, units);
      state_.viewport_ext = QSize(units_per_inch_, -units_per_inch_);
    }
    ApplyMapping();
  }

  /// An extent record: `ext` is changed only in the scalable modes.
  void SetExtent(QSize& ext, QSize value) {
    if (!ScalableMode() || value.width() == 0 || value.height() == 0) return;
    ext = value;
    ApplyMapping();
  }

  /// A scale record: x numerator, x denominator, y numerator, y denominator (stored reversed).
  void ScaleExtent(QSize& ext, const Params& a) {
    if (a.S(0) == 0 || a.S(2) == 0) return;
    const int64_t w = static_cast<int64_t>(ext.width()) * a.S(3) / a.S(2);
    const int64_t h = static_cast<int64_t>(ext.height()) * a.S(1) / a.S(0);
    if (w < INT16_MIN || w > INT16_MAX || h < INT16_MIN || h > INT16_MAX) return;
    SetExtent(ext, QSize(static_cast<int>(w), static_cast<int>(h)));
  }

  void Record(uint16_t function, const Params& a) {
    if (pending_mask_ && function != kStretchDib && function != kDibStretchBlt && function != kDibBitBlt) {
      DrawMask(*pending_mask_);
      pending_mask_.reset();
    }
    switch (function) {
      case kSetMapMode:
        SetMapMode(a.U(0));
        break;
      case kSetWindowOrg:
        state_.window_org = QPoint(a.S(1), a.S(0));
        ApplyMapping();
        break;
      case kOffsetWindowOrg:
        state_.window_org += QPoint(a.S(1), a.S(0));
        ApplyMapping();
        break;
      case kSetWindowExt:
        SetExtent(state_.window_ext, QSize(a.S(1), a.S(0)));
        break;
      case kScaleWindowExt:
        ScaleExtent(state_.window_ext, a);
        break;
      case kSetViewportOrg:
        state_.viewport_org = QPoint(a.S(1), a.S(0));
        ApplyMapping();
        break;
      case kOffsetViewportOrg:
        state_.viewport_org += QPoint(a.S(1), a.S(0));
        ApplyMapping();
        break;
      case kSetViewportExt:
        SetExtent(state_.viewport_ext, QSize(a.S(1), a.S(0)));
        break;
      case kScaleViewportExt:
        ScaleExtent(state_.viewport_ext, a);
        break;
      case kSetBkColor:
        state_.bk_color = ColorOf(a.U32(0));
        break;
      case kSetBkMode:
        state_.opaque = a.U(0) == 2;
        break;
      case kSetTextColor:
        state_.text_color = ColorOf(a.U32(0));
        break;
      case kSetTextAlign:
        state_.text_align = a.U(0);
        break;
      case kSetRop2:
        if (a.U(0) >= 1 && a.U(0) <= 16) state_.rop2 = a.U(0);
        break;
      case kSetPolyFillMode:
        state_.fill_rule = a.U(0) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
        break;
      case kSaveDC:
        if (saved_.size() < kMaxSavedStates) {
          saved_.push_back(state_);
          p_.save();
        }
        break;
      case kRestoreDC:
        RestoreDC(a.S(0));
        break;
      case kCreatePenIndirect:
        AddObject(MakePen(a));
        break;
      case kCreateBrushIndirect:
        AddObject(MakeBrush(a));
        break;
      case kCreateFontIndirect:
        AddObject(MakeFont(a));
        break;
      case kDibCreatePatternBrush:
        AddObject(MakePatternBrush(a));
        break;
      case kCreateRegion:
        AddObject(MakeRegion(a));
        break;
      case kCreatePalette:
      case kCreatePatternBrush: {
        WmfObject other;
        other.kind = WmfObject::Kind::Other;
        AddObject(other);
        break;
      }
      case kSelectObject:
        SelectObject(a.U(0));
        break;
      case kSelectClipRegion:
        SelectClipRegion(a.U(0));
        break;
      case kDeleteObject:
        if (a.U(0) < objects_.size()) objects_[a.U(0)] = WmfObject{};
        break;
      case kIntersectClipRect:
        p_.setClipRect(RectOf(a, 0), Qt::IntersectClip);
        break;
      case kExcludeClipRect: {
        QPainterPath hole;
        hole.addRect(RectOf(a, 0));
        ExcludeClip(p_.transform().map(hole));
        break;
      }
      case kEscape:
        Escape(a);
        break;
      case kMoveTo:
        state_.position = QPointF(a.S(1), a.S(0));
        if (path_) path_->moveTo(p_.transform().map(state_.position));
        break;
      case kLineTo:
        LineTo(QPointF(a.S(1), a.S(0)));
        break;
      case kSetPixel:
        SetPixel(QPointF(a.S(3), a.S(2)), ColorOf(a.U32(0)));
        break;
      case kRectangle: {
        QPainterPath path;
        path.addRect(RectOf(a, 0));
        Figure(path);
        break;
      }
      case kRoundRect: {
        QPainterPath path;
        path.addRoundedRect(RectOf(a, 2), a.S(1) / 2.0, a.S(0) / 2.0);
        Figure(path);
        break;
      }
      case kEllipse: {
        QPainterPath path;
        path.addEllipse(RectOf(a, 0));
        Figure(path);
        break;
      }
      case kPolygon:
      case kPolyline:
        Poly(function == kPolygon, a);
        break;
      case kPolyPolygon:
        PolyPolygon(a);
        break;
      case kTextOut: {
        const size_t count = a.U(0);
        const size_t text_words = (count + 1) / 2;
        if (!a.Has(1 + text_words + 2)) break;
        const std::span<const uint8_t> text = a.From(1).first(count);
        Text(QPointF(a.S(2 + text_words), a.S(1 + text_words)), text, 0, nullptr, {});
        break;
      }
      case kExtTextOut:
        ExtTextOut(a);
        break;
      case kPatBlt:
        PatBlt(a.U32(0), QRectF(a.S(5), a.S(4), a.S(3), a.S(2)));
        break;
      case kDibBitBlt:
        if (a.Words() <= 9) {
          PatBlt(a.U32(0), QRectF(a.S(8), a.S(7), a.S(6), a.S(5)));
        } else {
          const QRect src(a.S(3), a.S(2), a.S(5), a.S(4));
          Blit(a.U32(0), a.From(8), src, QRectF(a.S(7), a.S(6), a.S(5), a.S(4)));
        }
        break;
      case kDibStretchBlt:
        if (a.Words() <= 11) {
          PatBlt(a.U32(0), QRectF(a.S(10), a.S(9), a.S(8), a.S(7)));
        } else {
          Blit(a.U32(0), a.From(10), QRect(a.S(5), a.S(4), a.S(3), a.S(2)),
               QRectF(a.S(9), a.S(8), a.S(7), a.S(6)));
        }
        break;
      case kStretchDib:
        Blit(a.U32(0), a.From(11), QRect(a.S(6), a.S(5), a.S(4), a.S(3)),
             QRectF(a.S(10), a.S(9), a.S(8), a.S(7)));
        break;
      default:
        break;  // records that do not draw, or kinds we do not play
    }
  }

  /// A rectangle given as bottom, right, top, left from word `first` on.
  static QRectF RectOf(const Params& a, size_t first) {
    const QPointF top_left(a.S(first + 3), a.S(first + 2));
    const QPointF bottom_right(a.S(first + 1), a.S(first));
    return QRectF(top_left, bottom_right).normalized();
  }

  void RestoreDC(int16_t level) {
    // Negative levels count back from the last save; positive ones name a save.
    size_t keep;
    if (level < 0) {
      const size_t back = static_cast<size_t>(-level);
      if (back > saved_.size()) return;
      keep = saved_.size() - back;
    } else {
      if (level == 0 || static_cast<size_t>(level) > saved_.size()) return;
      keep = static_cast<size_t>(level) - 1;
    }
    while (saved_.size() > keep) {
      state_ = saved_.back();
      saved_.pop_back();
      p_.restore();
    }
  }

  void AddObject(const WmfObject& object) {
    for (WmfObject& slot : objects_)
      if (slot.kind == WmfObject::Kind::Free) {
        slot = object;
        return;
      }
  }

  static WmfObject MakePen(const Params& a) {
    WmfObject o;
    o.kind = WmfObject::Kind::Pen;
    const uint16_t style = a.U(0) & 0x0F;
    const int width = std::abs(a.S(1));
    o.pen = QPen(ColorOf(a.U32(3)), width);
    o.pen.setCosmetic(width <= 1);
    o.pen.setCapStyle(width <= 1 ? Qt::FlatCap : Qt::RoundCap);
    o.pen.setJoinStyle(width <= 1 ? Qt::MiterJoin : Qt::RoundJoin);
    switch (style) {
      case 1:
        o.pen.setStyle(Qt::DashLine);
        break;
      case 2:
        o.pen.setStyle(Qt::DotLine);
        break;
      case 3:
        o.pen.setStyle(Qt::DashDotLine);
        break;
      case 4:
        o.pen.setStyle(Qt::DashDotDotLine);
        break;
      case 5:
        o.pen.setStyle(Qt::NoPen);
        break;
      default:
        break;
    }
    return o;
  }

  static WmfObject MakeBrush(const Params& a) {
    WmfObject o;
    o.kind = WmfObject::Kind::Brush;
    const QColor color = ColorOf(a.U32(1));
    switch (a.U(0)) {
      case 1:  // BS_NULL
        o.brush = QBrush(Qt::NoBrush);
        break;
      case 2: {  // BS_HATCHED
        static constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                      Qt::FDiagPattern, Qt::BDiagPattern,
                                                      Qt::CrossPattern, Qt::DiagCrossPattern};
        const uint16_t hatch = a.U(3);
        o.brush = QBrush(color, hatch < 6 ? kHatches[hatch] : Qt::SolidPattern);
        break;
      }
      default:
        o.brush = QBrush(color);
        break;
    }
    return o;
  }

  /// Style and colour usage, then a packed DIB whose pixels tile the filled area.
  static WmfObject MakePatternBrush(const Params& a) {
    WmfObject o;
    o.kind = WmfObject::Kind::Brush;
    o.brush = QBrush(Qt::black);
    try {
      const QImage image = DibToQImage(DecodePackedDib(a.From(2)), false);
      if (!image.isNull()) o.brush = QBrush(image.convertToFormat(QImage::Format_RGB32));
    } catch (const Exception&) {
      // A pattern that cannot be read paints black.
    }
    return o;
  }

  static WmfObject MakeRegion(const Params& a) {
    WmfObject o;
    o.kind = WmfObject::Kind::Region;
    // A region whose scans do not fit its record clips nothing away.
    if (auto region = ReadRegion(a)) o.region = *region;
    return o;
  }

  static WmfObject MakeFont(const Params& a) {
    WmfObject o;
    o.kind = WmfObject::Kind::Font;
    TFont font;
    std::string face;
    for (size_t i = 18; i < 18 + 32; ++i) {
      const uint8_t c = a.Byte(i);
      if (c == 0) break;
      face.push_back(static_cast<char>(c));
    }
    if (!face.empty()) font.SetName(face);
    font.SetHeight(a.S(0) == 0 ? -12 : a.S(0));
    font.SetWidth(std::abs(a.S(1)));
    TFontStyles style;
    if (a.S(4) >= 600) style.Include(fsBold);
    if (a.Byte(10) != 0) style.Include(fsItalic);
    if (a.Byte(11) != 0) style.Include(fsUnderline);
    if (a.Byte(12) != 0) style.Include(fsStrikeOut);
    font.SetStyle(style);
    font.SetCharset(a.Byte(13));
    o.font = ToQFont(font);
    o.charset = a.Byte(13);
    o.escapement = a.S(2);
    return o;
  }

  void SelectObject(uint16_t index) {
    if (index >= objects_.size()) return;
    const WmfObject& o = objects_[index];
    switch (o.kind) {
      case WmfObject::Kind::Pen:
        state_.pen = o.pen;
        break;
      case WmfObject::Kind::Brush:
        state_.brush = o.brush;
        break;
      case WmfObject::Kind::Font:
        state_.font = o.font;
        state_.charset = o.charset;
        state_.escapement = o.escapement;
        break;
      case WmfObject::Kind::Region:
        SelectClipRegion(index);
        break;
      default:
        break;
    }
  }

  /// Clipping in the painter's device coordinates, whatever the mapping is at the time.
  void SetDeviceClip(const QPainterPath& clip) {
    p_.setTransform(QTransform());
    p_.setClipPath(clip, Qt::ReplaceClip);
    ApplyMapping();
  }

  QPainterPath DeviceClip() const { return p_.transform().map(p_.clipPath()); }

  /// A region replaces the clipping within the picture; an empty region, or an object that
  /// is no region, takes the clipping back to the whole picture.
  void SelectClipRegion(uint16_t index) {
    if (index < objects_.size() && objects_[index].kind == WmfObject::Kind::Region &&
        !objects_[index].region.isEmpty()) {
      SetDeviceClip(base_clip_.intersected(p_.transform().map(objects_[index].region)));
    } else {
      SetDeviceClip(base_clip_);
    }
  }

  void ExcludeClip(const QPainterPath& device_hole) { SetDeviceClip(DeviceClip().subtracted(device_hole)); }

  void Escape(const Params& a) {
    switch (a.U(0)) {
      case kBeginPath:
        path_ = QPainterPath();
        path_->setFillRule(state_.fill_rule);
        break;
      case kEndPath:
        if (path_) {
          last_path_ = *path_;
          path_.reset();
        }
        break;
      case kClipToPath:
        ClipToPath(static_cast<PathClip>(a.U(2)));
        break;
      default:
        break;
    }
  }

  void ClipToPath(PathClip how) {
    switch (how) {
      case PathClip::Save:
        if (saved_clips_.size() < kMaxSavedClips) saved_clips_.push_back(DeviceClip());
        break;
      case PathClip::Restore:
        if (!saved_clips_.empty()) {
          SetDeviceClip(saved_clips_.back());
          saved_clips_.pop_back();
        }
        break;
      case PathClip::Inclusive:
        SetDeviceClip(DeviceClip().intersected(last_path_));
        break;
      case PathClip::Exclusive:
        ExcludeClip(last_path_);
        break;
    }
  }

  /// The brush with its pattern laid in device pixels from the device's origin, as a
  /// pattern is whatever the mapping.
  QBrush DeviceBrush() const {
    QBrush brush = state_.brush;
    if (brush.style() == Qt::TexturePattern) brush.setTransform(p_.transform().inverted());
    return brush;
  }

  /// Draws a figure with the current pen, brush and raster operation; between the path
  /// escapes it becomes part of the path instead.
  void Figure(const QPainterPath& figure, bool filled = true) {
    if (path_) {
      path_->addPath(p_.transform().map(figure));
      return;
    }
    if (state_.rop2 == kRop2Nop) return;
    p_.setCompositionMode(kRop2Modes[state_.rop2 - 1]);
    p_.setPen(state_.pen);
    p_.setBrush(filled ? DeviceBrush() : QBrush(Qt::NoBrush));
    if (filled && state_.opaque && state_.brush.style() > Qt::SolidPattern &&
        state_.brush.style() < Qt::LinearGradientPattern) {
      // Hatches on an opaque background: the gaps take the background colour first.
      p_.setBrush(state_.bk_color);
      p_.setPen(Qt::NoPen);
      p_.drawPath(figure);
      p_.setBrush(state_.brush);
      p_.setPen(state_.pen);
    }
    p_.drawPath(figure);
  }

  void LineTo(QPointF to) {
    QPainterPath line(state_.position);
    line.lineTo(to);
    if (path_) {
      path_->lineTo(p_.transform().map(to));
    } else {
      Figure(line, false);
    }
    state_.position = to;
  }

  void SetPixel(QPointF at, const QColor& color) {
    const QPointF device = p_.transform().map(at);
    p_.save();
    p_.setTransform(QTransform());
    p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p_.fillRect(
        QRect(static_cast<int>(std::floor(device.x())), static_cast<int>(std::floor(device.y())), 1, 1),
        color);
    p_.restore();
  }

  void Poly(bool closed, const Params& a) {
    const size_t count = a.U(0);
    if (count < 2 || !a.Has(1 + 2 * count)) return;
    QPolygonF poly;
    for (size_t i = 0; i < count; ++i) poly << QPointF(a.S(1 + 2 * i), a.S(2 + 2 * i));
    QPainterPath path;
    path.setFillRule(state_.fill_rule);
    if (closed) poly << poly.first();
    path.addPolygon(poly);
    if (closed) path.closeSubpath();
    Figure(path, closed);
  }

  void PolyPolygon(const Params& a) {
    const size_t polys = a.U(0);
    if (!a.Has(1 + polys)) return;
    size_t total = 0;
    for (size_t i = 0; i < polys; ++i) total += a.U(1 + i);
    if (!a.Has(1 + polys + 2 * total)) return;
    QPainterPath path;
    path.setFillRule(state_.fill_rule);
    size_t at = 1 + polys;
    for (size_t i = 0; i < polys; ++i) {
      QPolygonF poly;
      for (size_t k = 0; k < a.U(1 + i); ++k, at += 2) poly << QPointF(a.S(at), a.S(at + 1));
      if (!poly.isEmpty()) {
        poly << poly.first();
        path.addPolygon(poly);
        path.closeSubpath();
      }
    }
    Figure(path);
  }

  void ExtTextOut(const Params& a) {
    if (!a.Has(4)) return;
    const QPointF at(a.S(1), a.S(0));
    const size_t count = a.U(2);
    const uint16_t options = a.U(3);
    size_t word = 4;
    std::optional<QRectF> rect;
    if ((options & (kEtoOpaque | kEtoClipped)) != 0) {
      if (!a.Has(8)) return;
      rect = QRectF(QPointF(a.S(4), a.S(5)), QPointF(a.S(6), a.S(7))).normalized();
      word = 8;
    }
    const size_t text_words = (count + 1) / 2;
    if (!a.Has(word + text_words)) return;
    const std::span<const uint8_t> text = a.From(word).first(count);
    std::vector<double> dx;
    if (a.Has(word + text_words + count))
      for (size_t i = 0; i < count; ++i) dx.push_back(a.S(word + text_words + i));
    Text(at, text, options, rect ? &*rect : nullptr, dx);
  }

  void Text(QPointF at, std::span<const uint8_t> bytes, uint16_t options, const QRectF* rect,
            const std::vector<double>& dx) {
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const QString text = DecodeCharsetText(raw, state_.charset);
    p_.save();
    p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (rect != nullptr && (options & kEtoOpaque) != 0) p_.fillRect(*rect, state_.bk_color);
    if (rect != nullptr && (options & kEtoClipped) != 0) p_.setClipRect(*rect, Qt::IntersectClip);
    const bool update_cp = (state_.text_align & kTextAlignUpdateCP) != 0;
    if (update_cp) at = state_.position;
    const QFontMetricsF fm(state_.font);
    double width = 0;
    if (dx.empty()) {
      width = fm.horizontalAdvance(text);
    } else {
      for (double d : dx) width += d;
    }
    // Rotated text turns about its reference point.
    p_.translate(at);
    if (state_.escapement != 0) p_.rotate(-state_.escapement / 10.0);
    double left = 0;
    const uint16_t horizontal = state_.text_align & 6;
    if (horizontal == 6)
      left = -width / 2;
    else if (horizontal == 2)
      left = -width;
    double baseline = fm.ascent();
    const uint16_t vertical = state_.text_align & 24;
    if (vertical == 24)
      baseline = 0;
    else if (vertical == 8)
      baseline = -fm.descent();
    if (state_.opaque && width > 0)
      p_.fillRect(QRectF(left, baseline - fm.ascent(), width, fm.ascent() + fm.descent()), state_.bk_color);
    p_.setFont(state_.font);
    p_.setPen(state_.text_color);
    if (dx.empty() || dx.size() != static_cast<size_t>(text.size())) {
      p_.drawText(QPointF(left, baseline), text);
    } else {
      double x = left;
      for (qsizetype i = 0; i < text.size(); ++i) {
        p_.drawText(QPointF(x, baseline), QString(text[i]));
        x += dx[static_cast<size_t>(i)];
      }
    }
    p_.restore();
    if (update_cp) state_.position = at + QPointF(horizontal == 0 ? width : 0, 0);
  }

  void PatBlt(uint32_t rop, const QRectF& r) {
    const QRectF area = r.normalized();
    p_.save();
    switch (rop) {
      case 0x00000042:  // BLACKNESS
        p_.fillRect(area, Qt::black);
        break;
      case 0x00FF0062:  // WHITENESS
        p_.fillRect(area, Qt::white);
        break;
      case 0x00550009:  // DSTINVERT
        p_.setCompositionMode(QPainter::RasterOp_NotDestination);
        p_.fillRect(area, Qt::white);
        break;
      case 0x005A0049:  // PATINVERT
        p_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p_.fillRect(area, DeviceBrush());
        break;
      case 0x00AA0029:  // the destination unchanged
        break;
      default:  // PATCOPY and anything else paint with the brush
        if (state_.brush.style() != Qt::NoBrush) p_.fillRect(area, DeviceBrush());
        break;
    }
    p_.restore();
  }

  void DrawMask(const PendingMask& mask) {
    p_.save();
    p_.setTransform(mask.transform);
    p_.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    p_.drawImage(mask.dest.normalized(), mask.image);
    p_.restore();
  }

  /// The picture over the target with the grey of `mask` as each pixel's opacity.
  void DrawWithOpacity(const QImage& picture, const QImage& mask, const QRectF& dest) {
    QImage blended = picture.convertToFormat(QImage::Format_ARGB32);
    const QImage opacity = (mask.size() == picture.size() ? mask : mask.scaled(picture.size()))
                               .convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < blended.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(blended.scanLine(y));
      const auto* alpha = reinterpret_cast<const QRgb*>(opacity.constScanLine(y));
      for (int x = 0; x < blended.width(); ++x)
        row[x] = qRgba(qRed(row[x]), qGreen(row[x]), qBlue(row[x]), qGray(alpha[x]));
    }
    p_.save();
    p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p_.drawImage(dest.normalized(), blended);
    p_.restore();
  }

  void Blit(uint32_t rop, std::span<const uint8_t> dib, QRect src, QRectF dest) {
    std::optional<PendingMask> mask = std::move(pending_mask_);
    pending_mask_.reset();
    QImage image;
    try {
      const TDibImage decoded = DecodePackedDib(dib);
      image = DibToQImage(decoded, false);
      // Source rows count from the bottom of a bottom-up DIB.
      const uint32_t header = dib.size() >= 4 ? static_cast<uint32_t>(dib[0] | (dib[1] << 8)) : 0;
      const bool bottom_up =
          header == 12 ||
          (dib.size() >= 12 && static_cast<int32_t>(static_cast<uint32_t>(dib[8]) | (dib[9] << 8) |
                                                    (dib[10] << 16) | (dib[11] << 24)) > 0);
      if (bottom_up) src.moveTop(image.height() - src.top() - src.height());
    } catch (const Exception&) {
      return;  // a bitmap that cannot be read is left out
    }
    if (image.isNull()) return;
    src = src.normalized().intersected(image.rect());
    if (src.isEmpty()) return;
    const bool mirror_x = dest.width() < 0;
    const bool mirror_y = dest.height() < 0;
    QImage part = image.copy(src);
    if (mirror_x || mirror_y) part = part.mirrored(mirror_x, mirror_y);
    if (mask) {
      if (rop == kSrcAnd && dest == mask->dest && p_.transform() == mask->transform) {
        DrawWithOpacity(part, mask->image, dest);
        return;
      }
      DrawMask(*mask);
    }
    if (rop == kSrcPaint && part.isGrayscale()) {
      pending_mask_ = PendingMask{part, dest, p_.transform()};
      return;
    }
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (rop) {
      case 0x00CC0020:  // SRCCOPY
        break;
      case kSrcAnd:
        mode = QPainter::RasterOp_SourceAndDestination;
        break;
      case kSrcPaint:
        mode = QPainter::RasterOp_SourceOrDestination;
        break;
      case 0x00660046:  // SRCINVERT
        mode = QPainter::RasterOp_SourceXorDestination;
        break;
      case 0x00330008:  // NOTSRCCOPY
        mode = QPainter::RasterOp_NotSource;
        break;
      case 0x00440328:  // SRCERASE
        mode = QPainter::RasterOp_SourceAndNotDestination;
        break;
      case 0x00BB0226:  // MERGEPAINT
        mode = QPainter::RasterOp_NotSourceOrDestination;
        break;
      case 0x001100A6:  // NOTSRCERASE
        mode = QPainter::RasterOp_NotSourceAndNotDestination;
        break;
      default:
        PatBlt(rop, dest);
        return;
    }
    p_.save();
    p_.setCompositionMode(mode);
    p_.drawImage(dest.normalized(), part);
    p_.restore();
  }

  QPainter& p_;
  QRect dest_;
  QTransform base_;
  QTransform device_to_dest_;  // the metafile's device space onto the destination (no base)
  int32_t units_per_inch_ = 96;
  QPainterPath base_clip_;  // the destination within the painter's clipping, device coordinates
  std::vector<WmfObject> objects_;
  DcState state_;
  std::vector<DcState> saved_;
  std::optional<QPainterPath> path_;  // being built between the path escapes, device coordinates
  QPainterPath last_path_;
  std::vector<QPainterPath> saved_clips_;
  std::optional<PendingMask> pending_mask_;
};

}  // namespace

void PlayWmf(QPainter& painter, std::span<const uint8_t> wmf, const TWmfFrame& frame, const QRect& dest) {
  if (wmf.size() < 18 || dest.isEmpty()) return;
  const size_t header_bytes = 2 * static_cast<size_t>(wmf[2] | (wmf[3] << 8));
  if (header_bytes < 18 || header_bytes > wmf.size()) return;
  const size_t object_count = static_cast<size_t>(wmf[10] | (wmf[11] << 8));
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  Player(painter, frame, dest, object_count).Play(wmf.subspan(header_bytes));
  painter.restore();
}
