#include "platform/graphics/MetafileDC.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <algorithm>
#include <cmath>

#include "platform/core/SysUtils.h"
#include "platform/graphics/BitmapAccess.h"
#include "platform/graphics/BitmapCodec.h"
#include "platform/graphics/CanvasDevice.h"

namespace {

/// Units per inch of the fixed mapping modes, from LoMetric on.
constexpr double kFixedModeUnitsPerInch[] = {254, 2540, 100, 1000, 1440};

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
constexpr uint32_t kRop2Nop = 11;

constexpr size_t kMaxSavedStates = 1024;
constexpr size_t kMaxSavedClips = 1024;
// Every later clip operation costs in proportion to the area's outline or rectangles, so an
// area grown from thousands of pieces is taken as its bounding box.
constexpr int kMaxClipElements = 2000;
constexpr int kMaxClipRects = 2000;
// Device pixels beyond any destination; clip rectangles are cut back to them before rounding.
constexpr double kFarPixel = 1 << 28;
constexpr uint32_t kTextAlignUpdateCP = 1;

QFont DefaultFont() {
  TFont font;
  font.SetName("Arial");
  font.SetHeight(-12);
  return ToQFont(font);
}

/// The pixels a filled rectangle covers, rounded as the painter rounds the edges of fills;
/// or with `outer` every pixel it touches.
QRect PixelsOf(const QRectF& r, bool outer = false) {
  auto edge = [](double v, double shift) {
    return static_cast<int>(std::floor(std::clamp(v, -kFarPixel, kFarPixel) + shift));
  };
  const double low = outer ? 0 : 0.5, high = outer ? 1 - 1e-9 : 0.5;
  return QRect(QPoint(edge(r.left(), low), edge(r.top(), low)),
               QPoint(edge(r.right(), high) - 1, edge(r.bottom(), high) - 1));
}

/// A path as a clipping area: the pixels of its bounding box, inside the path.
TDeviceClip PathArea(const QPainterPath& path) {
  return {QRegion(PixelsOf(path.boundingRect(), true)), path};
}

/// The inverse of an affine mapping, also where it scales by less than the painter's own
/// inversion takes for zero; none where it flattens the plane.
std::optional<QTransform> InverseOf(const QTransform& t) {
  const double det = t.m11() * t.m22() - t.m12() * t.m21();
  if (det == 0 || !std::isfinite(1 / det)) return std::nullopt;
  return QTransform(t.m22() / det, -t.m12() / det, -t.m21() / det, t.m11() / det,
                    (t.m21() * t.dy() - t.m22() * t.dx()) / det, (t.m12() * t.dx() - t.m11() * t.dy()) / det);
}

QPainterPath RectPath(const QRectF& r) {
  QPainterPath path;
  path.addRect(r);
  return path;
}

/// The union of many rectangles, joined in halves so that the work stays near n log n.
QRegion UnionOf(std::span<const QRect> rects) {
  if (rects.empty()) return QRegion();
  if (rects.size() == 1) return QRegion(rects.front());
  const size_t half = rects.size() / 2;
  return UnionOf(rects.first(half)).united(UnionOf(rects.subspan(half)));
}

/// Rectangles mapped onto the device: a region when the mapping keeps them on the pixel
/// grid, else a path.
TDeviceClip AreaOfRects(const QList<QRectF>& rects, const QTransform& toDevice) {
  TDeviceClip area;
  if (toDevice.type() <= QTransform::TxScale) {
    std::vector<QRect> pixels;
    pixels.reserve(static_cast<size_t>(rects.size()));
    for (const QRectF& r : rects) {
      const QRect p = PixelsOf(toDevice.mapRect(r));
      if (!p.isEmpty()) pixels.push_back(p);
    }
    area.region = UnionOf(pixels);
    return area;
  }
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  for (const QRectF& r : rects) {
    path.addPolygon(toDevice.map(QPolygonF(r)));
    path.closeSubpath();
  }
  return PathArea(path);
}

/// The frame text is laid out in: logical units from `at`, with the axes turned back where
/// the mapping mirrors them, so that text reads upright on the device and hangs below its
/// reference point whatever the signs of the extents.
QTransform UprightFrame(const QTransform& logical, QPointF at) {
  QTransform linear(logical.m11(), logical.m12(), logical.m21(), logical.m22(), 0, 0);
  if (logical.m12() == 0 && logical.m21() == 0)
    linear = QTransform::fromScale(std::abs(logical.m11()), std::abs(logical.m22()));
  else if (linear.determinant() < 0)
    linear = QTransform::fromScale(1, -1) * linear;
  const QPointF origin = logical.map(at);
  return linear * QTransform::fromTranslate(origin.x(), origin.y());
}

/// A picture turned over along the axes on which its destination runs backwards.
QImage MirroredFor(const QImage& image, const QRectF& dest) {
  const bool mirrorX = dest.width() < 0;
  const bool mirrorY = dest.height() < 0;
  return mirrorX || mirrorY ? image.mirrored(mirrorX, mirrorY) : image;
}

/// ARGB32 pixels read as colours already multiplied by their alpha; a colour above its alpha
/// is cut back to it, so that no channel can overflow when it is laid over the target.
QImage PremultipliedOf(const QImage& stored) {
  const QImage argb = stored.convertToFormat(QImage::Format_ARGB32);
  QImage out(argb.size(), QImage::Format_ARGB32_Premultiplied);
  if (out.isNull()) return out;
  for (int y = 0; y < argb.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    auto* to = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < argb.width(); ++x) {
      const int a = qAlpha(from[x]);
      to[x] = qRgba(std::min(qRed(from[x]), a), std::min(qGreen(from[x]), a), std::min(qBlue(from[x]), a), a);
    }
  }
  return out;
}

}  // namespace

QPainterPath TDeviceClip::Path() const {
  QPainterPath p;
  p.addRegion(region);
  return path ? p.intersected(*path) : p;
}

QRectF TDeviceClip::Bounds() const {
  const QRectF box(region.boundingRect());
  return path ? box.intersected(path->boundingRect()) : box;
}

QColor MetafileColor(uint32_t colorref) {
  return QColor(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
}

QPen MetafilePen(uint32_t style, int widthUnits, const QColor& color) {
  const int width = static_cast<int>(std::min<int64_t>(std::abs(int64_t{widthUnits}), 32767));
  QPen pen(color, width);
  pen.setCosmetic(width <= 1);
  // Geometric pens name their ends and joins; thin ones draw square.
  static constexpr Qt::PenCapStyle kCaps[] = {Qt::RoundCap, Qt::SquareCap, Qt::FlatCap};
  static constexpr Qt::PenJoinStyle kJoins[] = {Qt::RoundJoin, Qt::BevelJoin, Qt::MiterJoin};
  const uint32_t cap = (style >> 8) & 0x0F;
  const uint32_t join = (style >> 12) & 0x0F;
  pen.setCapStyle(width <= 1 ? Qt::FlatCap : cap < 3 ? kCaps[cap] : Qt::RoundCap);
  pen.setJoinStyle(width <= 1 ? Qt::MiterJoin : join < 3 ? kJoins[join] : Qt::RoundJoin);
  static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine,      Qt::DashLine, Qt::DotLine,  Qt::DashDotLine,
                                             Qt::DashDotDotLine, Qt::NoPen,    Qt::SolidLine};
  const uint32_t line = style & 0x0F;
  pen.setStyle(line < std::size(kStyles) ? kStyles[line] : Qt::SolidLine);
  return pen;
}

QBrush MetafileBrush(uint32_t style, const QColor& color, uint32_t hatch) {
  static constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
  switch (style) {
    case 1:  // null
      return QBrush(Qt::NoBrush);
    case 2:  // hatched
      return QBrush(color, hatch < std::size(kHatches) ? kHatches[hatch] : Qt::SolidPattern);
    default:
      return QBrush(color);
  }
}

QImage MetafileDibPart(std::span<const uint8_t> dib, std::optional<int64_t> bitsOffset, QRect src,
                       TSourceRows rows, bool keepAlpha) {
  QImage image;
  try {
    image = DibToQImage(DecodePackedDib(dib, bitsOffset), keepAlpha);
    // The image's rows run from the top as seen; a bottom-up DIB stores them the other way.
    const uint32_t header = dib.size() >= 4 ? static_cast<uint32_t>(dib[0] | (dib[1] << 8)) : 0;
    const bool bottomUp =
        header == 12 ||
        (dib.size() >= 12 && static_cast<int32_t>(static_cast<uint32_t>(dib[8]) | (dib[9] << 8) |
                                                  (dib[10] << 16) | (dib[11] << 24)) > 0);
    if (bottomUp && rows == TSourceRows::AsStored) src.moveTop(image.height() - src.top() - src.height());
  } catch (const Exception&) {
    return QImage();  // a bitmap that cannot be read is left out
  }
  if (image.isNull()) return QImage();
  src = src.normalized().intersected(image.rect());
  if (src.isEmpty()) return QImage();
  return image.copy(src);
}

TMetafileObject MetafileFont(const TMetafileLogFont& f) {
  TMetafileObject o;
  o.kind = TMetafileObject::Kind::Font;
  TFont font;
  if (!f.face.empty()) font.SetName(f.face);
  font.SetHeight(f.height == 0 ? -12 : std::clamp(f.height, -32768, 32767));
  font.SetWidth(std::min(std::abs(static_cast<int64_t>(f.width)), int64_t{32767}));
  TFontStyles style;
  if (f.weight >= 600) style.Include(fsBold);
  if (f.italic) style.Include(fsItalic);
  if (f.underline) style.Include(fsUnderline);
  if (f.strike_out) style.Include(fsStrikeOut);
  font.SetStyle(style);
  font.SetCharset(f.charset);
  o.font = ToQFont(font);
  o.charset = f.charset;
  o.escapement = f.escapement % 3600;
  return o;
}

TMetafileDC::TMetafileDC(QPainter& painter, const QRect& dest, const QTransform& deviceToDest,
                         QSizeF devicePerInch)
    : p_(painter),
      dest_(dest),
      base_(painter.transform()),
      device_to_dest_(deviceToDest),
      device_per_inch_(devicePerInch) {
  p_.setClipRect(dest_, Qt::IntersectClip);
  if (base_.type() <= QTransform::TxScale)
    base_clip_.region = base_.map(p_.clipRegion());
  else
    base_clip_ = PathArea(base_.map(p_.clipPath()));
  state_.clip = base_clip_;
  state_.font = DefaultFont();
  ApplyMapping();
}

TMetafileDC::~TMetafileDC() {
  BeforeRecord(false);
}

void TMetafileDC::Select(const TMetafileObject& o) {
  switch (o.kind) {
    case TMetafileObject::Kind::Pen:
      state_.pen = o.pen;
      break;
    case TMetafileObject::Kind::Brush:
      state_.brush = o.brush;
      break;
    case TMetafileObject::Kind::Font:
      state_.font = o.font;
      state_.charset = o.charset;
      state_.escapement = o.escapement;
      break;
    default:
      break;
  }
}

void TMetafileDC::BeforeRecord(bool bitmapRecord) {
  if (pending_mask_ && !bitmapRecord) {
    DrawMask(*pending_mask_);
    pending_mask_.reset();
  }
}

// ---- Mapping ----

bool TMetafileDC::ScalableMode() const {
  return state_.map_mode == TMapMode::Isotropic || state_.map_mode == TMapMode::Anisotropic;
}

/// Page units to device units: the window onto the viewport.
QTransform TMetafileDC::PageToDevice() const {
  const QSize we = state_.window_ext;
  const QSize ve = state_.viewport_ext;
  double sx = we.width() != 0 ? static_cast<double>(ve.width()) / we.width() : 1;
  double sy = we.height() != 0 ? static_cast<double>(ve.height()) / we.height() : 1;
  if (state_.map_mode == TMapMode::Isotropic) {
    const double s = std::min(std::abs(sx), std::abs(sy));
    sx = std::copysign(s, sx);
    sy = std::copysign(s, sy);
  }
  if (sx == 0) sx = 1;
  if (sy == 0) sy = 1;
  QTransform page;
  page.translate(state_.viewport_org.x(), state_.viewport_org.y());
  page.scale(sx, sy);
  page.translate(-static_cast<double>(state_.window_org.x()), -static_cast<double>(state_.window_org.y()));
  return page;
}

void TMetafileDC::ApplyMapping() {
  // World to page, page to device, the metafile's device onto the destination, then the
  // transform the painter came with.
  p_.setTransform(state_.world * PageToDevice() * device_to_dest_ * base_);
}

void TMetafileDC::SetMapMode(uint32_t mode) {
  if (mode < 1 || mode > 8) return;
  state_.map_mode = static_cast<TMapMode>(mode);
  // The fixed modes bring their own extents; the scalable ones keep what was there.
  if (state_.map_mode == TMapMode::Text) {
    state_.window_ext = state_.viewport_ext = QSize(1, 1);
  } else if (!ScalableMode()) {
    // Extents in whole units: a thousand inches of the mode against the device's.
    const double units = kFixedModeUnitsPerInch[mode - 2] * 1000;
    state_.window_ext = QSize(static_cast<int>(units), static_cast<int>(units));
    state_.viewport_ext = QSize(static_cast<int>(std::lround(device_per_inch_.width() * 1000)),
                                -static_cast<int>(std::lround(device_per_inch_.height() * 1000)));
  }
  ApplyMapping();
}

void TMetafileDC::SetWindowOrg(QPoint org) {
  state_.window_org = org;
  ApplyMapping();
}

void TMetafileDC::SetViewportOrg(QPoint org) {
  state_.viewport_org = org;
  ApplyMapping();
}

void TMetafileDC::SetWindowExt(QSize ext) {
  if (!ScalableMode() || ext.width() == 0 || ext.height() == 0) return;
  state_.window_ext = ext;
  ApplyMapping();
}

void TMetafileDC::SetViewportExt(QSize ext) {
  if (!ScalableMode() || ext.width() == 0 || ext.height() == 0) return;
  state_.viewport_ext = ext;
  ApplyMapping();
}

namespace {
std::optional<QSize> Scaled(QSize ext, int64_t xNum, int64_t xDen, int64_t yNum, int64_t yDen) {
  if (xDen == 0 || yDen == 0) return std::nullopt;
  const int64_t w = ext.width() * xNum / xDen;
  const int64_t h = ext.height() * yNum / yDen;
  if (w < INT32_MIN || w > INT32_MAX || h < INT32_MIN || h > INT32_MAX) return std::nullopt;
  return QSize(static_cast<int>(w), static_cast<int>(h));
}
}  // namespace

void TMetafileDC::ScaleWindowExt(int64_t xNum, int64_t xDen, int64_t yNum, int64_t yDen) {
  if (auto ext = Scaled(state_.window_ext, xNum, xDen, yNum, yDen)) SetWindowExt(*ext);
}

void TMetafileDC::ScaleViewportExt(int64_t xNum, int64_t xDen, int64_t yNum, int64_t yDen) {
  if (auto ext = Scaled(state_.viewport_ext, xNum, xDen, yNum, yDen)) SetViewportExt(*ext);
}

void TMetafileDC::SetWorld(const QTransform& world) {
  // Numbers beyond any range would make every later drawing blow up. Any other transform is
  // kept, however small: files that count in very fine units scale them down by a millionth
  // and less, and one that flattens the plane lays what it draws onto a line (fills vanish)
  // rather than leaving a group drawn at the size and place around it.
  if (!std::isfinite(world.m11() + world.m12() + world.m21() + world.m22() + world.dx() + world.dy())) return;
  state_.world = world;
  ApplyMapping();
}

void TMetafileDC::SaveDC() {
  if (saved_.size() >= kMaxSavedStates) {
    saved_.pop_front();
    ++forgotten_saves_;
  }
  saved_.push_back(state_);
}

void TMetafileDC::RestoreDC(int64_t level) {
  size_t keep;
  if (level < 0) {
    const uint64_t back = static_cast<uint64_t>(-(level + 1)) + 1;
    if (back > saved_.size()) return;
    keep = saved_.size() - static_cast<size_t>(back);
  } else {
    // Saves count from 1 in the order they were made, the forgotten ones included.
    if (level <= forgotten_saves_ || static_cast<uint64_t>(level - forgotten_saves_) > saved_.size()) return;
    keep = static_cast<size_t>(level - forgotten_saves_) - 1;
  }
  state_ = saved_[keep];
  saved_.resize(keep);
  ApplyMapping();
  clip_changed_ = true;
}

// ---- Drawing ----

/// The brush with its pattern laid in device pixels from the device's origin, as a
/// pattern is whatever the mapping.
QBrush TMetafileDC::DeviceBrush() const {
  QBrush brush = state_.brush;
  if (brush.style() == Qt::TexturePattern)
    brush.setTransform(InverseOf(p_.transform()).value_or(QTransform()));
  return brush;
}

void TMetafileDC::Figure(const QPainterPath& figure, bool filled) {
  if (state_.path) {
    state_.path->addPath(p_.transform().map(figure));
    return;
  }
  if (state_.rop2 < 1 || state_.rop2 > 16 || state_.rop2 == kRop2Nop) return;
  SyncClip();
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

void TMetafileDC::MoveTo(QPointF to) {
  state_.position = to;
  if (state_.path) state_.path->moveTo(p_.transform().map(to));
}

void TMetafileDC::LineTo(QPointF to) {
  if (state_.path) {
    if (state_.path->elementCount() == 0) state_.path->moveTo(p_.transform().map(state_.position));
    state_.path->lineTo(p_.transform().map(to));
  } else {
    QPainterPath line(state_.position);
    line.lineTo(to);
    Figure(line, false);
  }
  state_.position = to;
}

void TMetafileDC::BezierTo(QPointF c1, QPointF c2, QPointF to) {
  const QTransform t = p_.transform();
  if (state_.path) {
    if (state_.path->elementCount() == 0) state_.path->moveTo(t.map(state_.position));
    state_.path->cubicTo(t.map(c1), t.map(c2), t.map(to));
  } else {
    QPainterPath curve(state_.position);
    curve.cubicTo(c1, c2, to);
    Figure(curve, false);
  }
  state_.position = to;
}

void TMetafileDC::SetPixel(QPointF at, const QColor& color) {
  const QPointF device = p_.transform().map(at);
  // Points outside the picture paint nothing (and may lie beyond any pixel number).
  if (!base_clip_.Bounds().contains(device)) return;
  SyncClip();
  p_.save();
  p_.setTransform(QTransform());
  p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p_.fillRect(QRect(static_cast<int>(std::floor(device.x())), static_cast<int>(std::floor(device.y())), 1, 1),
              color);
  p_.restore();
}

void TMetafileDC::TextBox(const QRectF& rect) {
  SyncClip();
  p_.save();
  p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p_.fillRect(rect, state_.bk_color);
  p_.restore();
}

template <typename Draw>
void TMetafileDC::TextLine(QPointF at, double width, uint32_t options, const QRectF* rect, Draw draw) {
  if (rect != nullptr && (options & ETO_OPAQUE) != 0) TextBox(*rect);
  SyncClip();
  p_.save();
  p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (rect != nullptr && (options & ETO_CLIPPED) != 0) p_.setClipRect(*rect, Qt::IntersectClip);
  const bool updateCp = (state_.text_align & kTextAlignUpdateCP) != 0;
  if (updateCp) at = state_.position;
  const QFontMetricsF fm(state_.font);
  // Rotated text turns about its reference point.
  p_.setTransform(UprightFrame(p_.transform(), at));
  if (state_.escapement != 0) p_.rotate(-state_.escapement / 10.0);
  double left = 0;
  const uint32_t horizontal = state_.text_align & 6;
  if (horizontal == 6)
    left = -width / 2;
  else if (horizontal == 2)
    left = -width;
  double baseline = fm.ascent();
  const uint32_t vertical = state_.text_align & 24;
  if (vertical == 24)
    baseline = 0;
  else if (vertical == 8)
    baseline = -fm.descent();
  if (state_.opaque && width > 0)
    p_.fillRect(QRectF(left, baseline - fm.ascent(), width, fm.ascent() + fm.descent()), state_.bk_color);
  p_.setFont(state_.font);
  p_.setPen(state_.text_color);
  draw(left, baseline);
  p_.restore();
  if (updateCp) state_.position = at + QPointF(horizontal == 0 ? width : 0, 0);
}

void TMetafileDC::Text(QPointF at, const QString& text, uint32_t options, const QRectF* rect,
                       const std::vector<double>& dx) {
  double width = 0;
  if (dx.empty()) {
    width = QFontMetricsF(state_.font).horizontalAdvance(text);
  } else {
    for (double d : dx) width += d;
  }
  TextLine(at, width, options, rect, [&](double left, double baseline) {
    if (dx.empty() || dx.size() != static_cast<size_t>(text.size())) {
      p_.drawText(QPointF(left, baseline), text);
      return;
    }
    double x = left;
    for (qsizetype i = 0; i < text.size(); ++i) {
      p_.drawText(QPointF(x, baseline), QString(text[i]));
      x += dx[static_cast<size_t>(i)];
    }
  });
}

void TMetafileDC::GlyphText(QPointF at, const QList<quint32>& glyphs, uint32_t options, const QRectF* rect,
                            const std::vector<double>& dx) {
  const QRawFont font = QRawFont::fromFont(state_.font);
  if (!font.isValid() || glyphs.isEmpty()) return;
  // Positions along the baseline: the record's spacing, else the font's own advances.
  const bool spaced = dx.size() == static_cast<size_t>(glyphs.size());
  const QList<QPointF> advances = spaced ? QList<QPointF>() : font.advancesForGlyphIndexes(glyphs);
  QList<QPointF> positions;
  positions.reserve(glyphs.size());
  double width = 0;
  for (qsizetype i = 0; i < glyphs.size(); ++i) {
    positions.append(QPointF(width, 0));
    width += spaced ? dx[static_cast<size_t>(i)] : (i < advances.size() ? advances[i].x() : 0);
  }
  TextLine(at, width, options, rect, [&](double left, double baseline) {
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    p_.drawGlyphRun(QPointF(left, baseline), run);
  });
}

void TMetafileDC::PatBlt(uint32_t rop, const QRectF& r) {
  TRasterOp op = RasterOpOf(rop);
  // Without a source, an operation that wants one paints the pattern.
  if (op.paint == TRasterOp::Paint::Source) op = RasterOpOf(cmPatCopy);
  if (op.paint == TRasterOp::Paint::Nothing) return;
  const QRectF area = r.normalized();
  SyncClip();
  p_.save();
  // Set always: a figure drawn before leaves its line operation on the painter.
  p_.setCompositionMode(op.mode);
  if (op.paint == TRasterOp::Paint::Black)
    p_.fillRect(area, Qt::black);
  else if (op.paint == TRasterOp::Paint::White)
    p_.fillRect(area, Qt::white);
  else if (state_.brush.style() != Qt::NoBrush)
    p_.fillRect(area, DeviceBrush());
  p_.restore();
}

void TMetafileDC::DrawMask(const TPendingMask& mask) {
  SyncClip();
  p_.save();
  p_.setTransform(mask.transform);
  p_.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
  p_.drawImage(mask.dest.normalized(), mask.image);
  p_.restore();
}

/// The picture over the target with the grey of `mask` as each pixel's opacity.
void TMetafileDC::DrawWithOpacity(const QImage& picture, const QImage& mask, const QRectF& dest) {
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

void TMetafileDC::Blit(uint32_t rop, const QImage& image, const QRectF& dest) {
  std::optional<TPendingMask> mask = std::move(pending_mask_);
  pending_mask_.reset();
  if (image.isNull()) {
    if (mask) DrawMask(*mask);
    return;
  }
  SyncClip();
  const QImage part = MirroredFor(image, dest);
  if (mask) {
    if (rop == cmSrcAnd && dest == mask->dest && p_.transform() == mask->transform) {
      DrawWithOpacity(part, mask->image, dest);
      return;
    }
    DrawMask(*mask);
  }
  if (rop == cmSrcPaint && part.isGrayscale()) {
    pending_mask_ = TPendingMask{part, dest, p_.transform()};
    return;
  }
  const TRasterOp op = RasterOpOf(rop);
  if (op.paint != TRasterOp::Paint::Source) {
    PatBlt(rop, dest);
    return;
  }
  p_.save();
  p_.setCompositionMode(op.mode);
  p_.drawImage(dest.normalized(), part);
  p_.restore();
}

void TMetafileDC::AlphaBlend(const QImage& source, const QRectF& dest, uint8_t constantAlpha,
                             bool perPixelAlpha) {
  if (source.isNull() || constantAlpha == 0) return;
  const QImage picture = MirroredFor(perPixelAlpha ? PremultipliedOf(source) : source, dest);
  if (picture.isNull()) return;
  SyncClip();
  p_.save();
  p_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p_.setOpacity(constantAlpha / 255.0);
  p_.drawImage(dest.normalized(), picture);
  p_.restore();
}

// ---- Clipping ----

void TMetafileDC::SyncClip() {
  if (!clip_changed_) return;
  clip_changed_ = false;
  // The area is in device pixels: it is handed over without the mapping.
  const QTransform logical = p_.transform();
  p_.setTransform(QTransform());
  p_.setClipRegion(state_.clip.region, Qt::ReplaceClip);
  if (state_.clip.path) p_.setClipPath(*state_.clip.path, Qt::IntersectClip);
  p_.setTransform(logical);
}

void TMetafileDC::SetClip(TDeviceClip clip) {
  if (clip.path && clip.path->elementCount() > kMaxClipElements)
    clip.path = RectPath(clip.path->boundingRect());
  if (clip.region.rectCount() > kMaxClipRects)
    clip.region = base_clip_.region.intersected(clip.region.boundingRect());
  state_.clip = std::move(clip);
  clip_changed_ = true;
}

/// Combines an area in painter coordinates with the clipping; nothing outside the
/// destination is ever let in. The clipping is a region and a path, the area inside both:
/// overlaps and differences keep most of the work on the region, whose operations cost in
/// proportion to its rectangles; only joins with a path take the whole area as a path.
void TMetafileDC::CombineArea(const TDeviceClip& area, TClipCombine how) {
  const TDeviceClip& current = state_.clip;
  auto both = [](const std::optional<QPainterPath>& a, const std::optional<QPainterPath>& b) {
    if (!a || !b) return a ? a : b;
    return std::optional<QPainterPath>(a->intersected(*b));
  };
  switch (how) {
    case TClipCombine::And:
      return SetClip({current.region.intersected(area.region), both(current.path, area.path)});
    case TClipCombine::Diff:
      if (!area.path) return SetClip({current.region.subtracted(area.region), current.path});
      // A path area lies inside its region; the region is left as it is.
      return SetClip({current.region,
                      current.path.value_or(RectPath(current.region.boundingRect())).subtracted(*area.path)});
    case TClipCombine::Copy:
      return SetClip({base_clip_.region.intersected(area.region), both(base_clip_.path, area.path)});
    case TClipCombine::Or:
    case TClipCombine::Xor:
      break;
  }
  const bool join = how == TClipCombine::Or;
  if (!current.path && !area.path && !base_clip_.path) {
    const QRegion joined = join ? current.region.united(area.region) : current.region.xored(area.region);
    return SetClip({base_clip_.region.intersected(joined), std::nullopt});
  }
  const QPainterPath c = current.Path();
  const QPainterPath a = area.Path();
  const QPainterPath joined = join ? c.united(a) : c.united(a).subtracted(c.intersected(a));
  SetClip({base_clip_.region, both(base_clip_.path, joined)});
}

void TMetafileDC::IntersectClipRect(const QRectF& r) {
  CombineArea(AreaOfRects({r}, p_.transform()), TClipCombine::And);
}

void TMetafileDC::ExcludeClipRect(const QRectF& r) {
  CombineArea(AreaOfRects({r}, p_.transform()), TClipCombine::Diff);
}

void TMetafileDC::CombineClip(const QList<QRectF>& logical, TClipCombine how) {
  CombineArea(AreaOfRects(logical, p_.transform()), how);
}

void TMetafileDC::CombineDeviceClip(const QList<QRectF>& device, TClipCombine how) {
  CombineArea(AreaOfRects(device, device_to_dest_ * base_), how);
}

void TMetafileDC::ResetClip() {
  SetClip(base_clip_);
}

// ---- Paths ----

void TMetafileDC::BeginPath() {
  state_.path = QPainterPath();
  state_.path->setFillRule(state_.fill_rule);
}

void TMetafileDC::EndPath() {
  if (!state_.path) return;
  state_.last_path = *state_.path;
  state_.path.reset();
}

void TMetafileDC::AbortPath() {
  state_.path.reset();
  state_.last_path = QPainterPath();
}

void TMetafileDC::CloseFigure() {
  if (state_.path) state_.path->closeSubpath();
}

void TMetafileDC::ClipToPath(TPathClip how) {
  switch (how) {
    case TPathClip::Save:
      if (saved_clips_.size() < kMaxSavedClips) saved_clips_.push_back(state_.clip);
      break;
    case TPathClip::Restore:
      if (!saved_clips_.empty()) {
        SetClip(saved_clips_.back());
        saved_clips_.pop_back();
      }
      break;
    case TPathClip::Inclusive:
      CombineArea(PathArea(state_.last_path), TClipCombine::And);
      break;
    case TPathClip::Exclusive:
      CombineArea(PathArea(state_.last_path), TClipCombine::Diff);
      break;
  }
}

void TMetafileDC::SelectClipPath(TClipCombine how) {
  CombineArea(PathArea(state_.last_path), how);
  state_.last_path = QPainterPath();
}

void TMetafileDC::DrawPath(bool fill, bool stroke) {
  if (state_.path || state_.last_path.isEmpty()) return;
  // Under a mapping that flattens the plane the path cannot go back to logical units; it is
  // drawn as it lies on the device.
  const std::optional<QTransform> toLogical = InverseOf(p_.transform());
  if (!toLogical) p_.setTransform(QTransform());
  QPainterPath logical = toLogical ? toLogical->map(state_.last_path) : state_.last_path;
  logical.setFillRule(state_.fill_rule);
  state_.last_path = QPainterPath();
  const QPen pen = state_.pen;
  if (!stroke) state_.pen = QPen(Qt::NoPen);
  const QBrush brush = state_.brush;
  if (!fill) state_.brush = QBrush(Qt::NoBrush);
  Figure(logical, fill);
  state_.pen = pen;
  state_.brush = brush;
  if (!toLogical) ApplyMapping();
}
