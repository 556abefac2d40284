// Plays enhanced metafiles (EMF) through the device context the Windows metafile player
// uses. Every record is checked against its own size and the end of the data before it is
// read: a record that claims more than is there ends the playback with what was drawn so far.
#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/MetafileDC.h"
#include "platform/graphics/MetafilePlayer.h"
#include "platform/graphics/MetafileRecords.h"

namespace {

constexpr uint32_t kStockObject = 0x80000000;
constexpr uint32_t kEtoGlyphIndex = 0x10;
constexpr uint32_t kEtoPdy = 0x2000;
constexpr size_t kEmfHeaderMin = 88;
constexpr size_t kMaxObjects = 65535;

/// One record: reads past its end give 0; Has() says whether a range lies inside it.
class Rec {
 public:
  explicit Rec(std::span<const uint8_t> bytes) : b_(bytes) {}
  size_t Size() const { return b_.size(); }
  bool Has(uint64_t at, uint64_t length) const { return at <= b_.size() && length <= b_.size() - at; }
  uint32_t U(size_t at) const {
    if (!Has(at, 4)) return 0;
    return static_cast<uint32_t>(b_[at]) | (static_cast<uint32_t>(b_[at + 1]) << 8) |
           (static_cast<uint32_t>(b_[at + 2]) << 16) | (static_cast<uint32_t>(b_[at + 3]) << 24);
  }
  int32_t I(size_t at) const { return static_cast<int32_t>(U(at)); }
  int16_t I16(size_t at) const {
    return Has(at, 2) ? static_cast<int16_t>(b_[at] | (b_[at + 1] << 8)) : int16_t{0};
  }
  float F(size_t at) const {
    const uint32_t bits = U(at);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  uint8_t Byte(size_t at) const { return at < b_.size() ? b_[at] : uint8_t{0}; }
  std::span<const uint8_t> Bytes(size_t at, size_t length) const {
    return Has(at, length) ? b_.subspan(at, length) : std::span<const uint8_t>{};
  }
  QPointF Point(size_t at) const { return QPointF(I(at), I(at + 4)); }
  /// A rectangle stored as left, top, right, bottom.
  QRectF Rect(size_t at) const { return QRectF(Point(at), Point(at + 8)).normalized(); }

 private:
  std::span<const uint8_t> b_;
};

/// A source rectangle of a bitmap record; coordinates far beyond any bitmap are cut back so
/// that no arithmetic on them can overflow.
QRect SourceRect(int32_t x, int32_t y, int32_t w, int32_t h) {
  static constexpr int32_t kLimit = 1 << 24;
  auto cut = [](int32_t v) { return std::clamp(v, -kLimit, kLimit); };
  return QRect(cut(x), cut(y), cut(w), cut(h));
}

/// A DIB stored as a header part and a pixel part, or a null image when either part lies
/// outside the record; `rows` and `keepAlpha` as for MetafileDibPart.
QImage DibOf(const Rec& r, size_t offBmi, size_t cbBmi, size_t offBits, size_t cbBits, const QRect& src,
             TSourceRows rows, bool keepAlpha = false) {
  if (cbBmi == 0 || !r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits)) return QImage();
  std::vector<uint8_t> packed(r.Bytes(offBmi, cbBmi).begin(), r.Bytes(offBmi, cbBmi).end());
  const std::span<const uint8_t> bits = r.Bytes(offBits, cbBits);
  packed.insert(packed.end(), bits.begin(), bits.end());
  return MetafileDibPart(packed, static_cast<int64_t>(cbBmi), src, rows, keepAlpha);
}

QColor StockBrushColor(uint32_t index) {
  static constexpr uint32_t kGreys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
  return MetafileColor(index < std::size(kGreys) ? kGreys[index] : 0xFFFFFF);
}

class EmfPlayer {
 public:
  EmfPlayer(TMetafileDC& dc, size_t handles) : dc_(dc), objects_(std::min(handles, kMaxObjects)) {}

  void Play(std::span<const uint8_t> emf) {
    size_t pos = 0;
    while (emf.size() - pos >= 8) {
      const Rec head(emf.subspan(pos, 8));
      const uint32_t type = head.U(0);
      const uint32_t size = head.U(4);
      if (size < 8 || size % 4 != 0 || size > emf.size() - pos || type == kEmrEof) break;
      dc_.BeforeRecord(type == kEmrBitBlt || type == kEmrStretchBlt || type == kEmrStretchDIBits ||
                       type == kEmrSetDIBitsToDevice);
      Record(type, Rec(emf.subspan(pos, size)));
      pos += size;
    }
  }

 private:
  void Record(uint32_t type, const Rec& r) {
    TMetafileDCState& state = dc_.State();
    switch (type) {
      case kEmrPolyBezier:
      case kEmrPolygon:
      case kEmrPolyline:
      case kEmrPolyBezierTo:
      case kEmrPolylineTo:
        Poly(type, r, false);
        break;
      case kEmrPolyBezier16:
      case kEmrPolygon16:
      case kEmrPolyline16:
      case kEmrPolyBezierTo16:
      case kEmrPolylineTo16:
        Poly(type - (kEmrPolyBezier16 - kEmrPolyBezier), r, true);
        break;
      case kEmrPolyPolyline:
      case kEmrPolyPolygon:
        PolyPoly(type == kEmrPolyPolygon, r, false);
        break;
      case kEmrPolyPolyline16:
      case kEmrPolyPolygon16:
        PolyPoly(type == kEmrPolyPolygon16, r, true);
        break;
      case kEmrSetWindowExtEx:
        dc_.SetWindowExt(QSize(r.I(8), r.I(12)));
        break;
      case kEmrSetWindowOrgEx:
        dc_.SetWindowOrg(QPoint(r.I(8), r.I(12)));
        break;
      case kEmrSetViewportExtEx:
        dc_.SetViewportExt(QSize(r.I(8), r.I(12)));
        break;
      case kEmrSetViewportOrgEx:
        dc_.SetViewportOrg(QPoint(r.I(8), r.I(12)));
        break;
      case kEmrScaleViewportExtEx:
        dc_.ScaleViewportExt(r.I(8), r.I(12), r.I(16), r.I(20));
        break;
      case kEmrScaleWindowExtEx:
        dc_.ScaleWindowExt(r.I(8), r.I(12), r.I(16), r.I(20));
        break;
      case kEmrSetPixelV:
        dc_.SetPixel(r.Point(8), MetafileColor(r.U(16)));
        break;
      case kEmrSetMapMode:
        dc_.SetMapMode(r.U(8));
        break;
      case kEmrSetBkMode:
        state.opaque = r.U(8) == 2;
        break;
      case kEmrSetPolyFillMode:
        state.fill_rule = r.U(8) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
        break;
      case kEmrSetRop2:
        if (r.U(8) >= 1 && r.U(8) <= 16) state.rop2 = r.U(8);
        break;
      case kEmrSetTextAlign:
        state.text_align = r.U(8);
        break;
      case kEmrSetTextColor:
        state.text_color = MetafileColor(r.U(8));
        break;
      case kEmrSetBkColor:
        state.bk_color = MetafileColor(r.U(8));
        break;
      case kEmrMoveToEx:
        dc_.MoveTo(r.Point(8));
        break;
      case kEmrLineTo:
        dc_.LineTo(r.Point(8));
        break;
      case kEmrExcludeClipRect:
        dc_.ExcludeClipRect(r.Rect(8));
        break;
      case kEmrIntersectClipRect:
        dc_.IntersectClipRect(r.Rect(8));
        break;
      case kEmrSaveDC:
        dc_.SaveDC();
        break;
      case kEmrRestoreDC:
        dc_.RestoreDC(r.I(8));
        break;
      case kEmrSetWorldTransform:
        dc_.SetWorld(TransformOf(r, 8));
        break;
      case kEmrModifyWorldTransform:
        ModifyWorld(TransformOf(r, 8), r.U(32));
        break;
      case kEmrSelectObject:
        SelectObject(r.U(8));
        break;
      case kEmrDeleteObject:
        if (r.U(8) < objects_.size()) objects_[r.U(8)] = TMetafileObject{};
        break;
      case kEmrCreatePen: {
        TMetafileObject pen;
        pen.kind = TMetafileObject::Kind::Pen;
        pen.pen = MetafilePen(r.U(12), r.I(16), MetafileColor(r.U(24)));
        Store(r.U(8), pen);
        break;
      }
      case kEmrExtCreatePen: {
        TMetafileObject pen;
        pen.kind = TMetafileObject::Kind::Pen;
        pen.pen = MetafilePen(r.U(28), r.I(32), MetafileColor(r.U(40)));
        if (r.U(36) == 1) pen.pen.setStyle(Qt::NoPen);  // a pen of the null brush
        Store(r.U(8), pen);
        break;
      }
      case kEmrCreateBrushIndirect: {
        TMetafileObject brush;
        brush.kind = TMetafileObject::Kind::Brush;
        brush.brush = MetafileBrush(r.U(12), MetafileColor(r.U(16)), r.U(20));
        Store(r.U(8), brush);
        break;
      }
      case kEmrCreateMonoBrush:
      case kEmrCreateDIBPatternBrushPt: {
        TMetafileObject brush;
        brush.kind = TMetafileObject::Kind::Brush;
        const QImage pattern = DibOf(r, r.U(16), r.U(20), r.U(24), r.U(28),
                                     SourceRect(0, 0, 1 << 24, 1 << 24), TSourceRows::FromTop);
        // A pattern that cannot be read paints black.
        brush.brush =
            pattern.isNull() ? QBrush(Qt::black) : QBrush(pattern.convertToFormat(QImage::Format_RGB32));
        Store(r.U(8), brush);
        break;
      }
      case kEmrExtCreateFontIndirectW:
        Store(r.U(8), FontOf(r));
        break;
      case kEmrEllipse:
      case kEmrRectangle:
      case kEmrRoundRect:
        Shape(type, r);
        break;
      case kEmrArc:
      case kEmrChord:
      case kEmrPie:
      case kEmrArcTo:
        ArcShape(type, r);
        break;
      case kEmrBeginPath:
        dc_.BeginPath();
        break;
      case kEmrEndPath:
        dc_.EndPath();
        break;
      case kEmrCloseFigure:
        dc_.CloseFigure();
        break;
      case kEmrAbortPath:
        dc_.AbortPath();
        break;
      case kEmrFillPath:
        dc_.DrawPath(true, false);
        break;
      case kEmrStrokeAndFillPath:
        dc_.DrawPath(true, true);
        break;
      case kEmrStrokePath:
        dc_.DrawPath(false, true);
        break;
      case kEmrSelectClipPath:
        if (r.U(8) >= 1 && r.U(8) <= 5) dc_.SelectClipPath(static_cast<TClipCombine>(r.U(8)));
        break;
      case kEmrExtSelectClipRgn:
        SelectClipRegion(r);
        break;
      case kEmrBitBlt:
      case kEmrStretchBlt:
        BitBlt(type == kEmrStretchBlt, r);
        break;
      case kEmrAlphaBlend:
        AlphaBlend(r);
        break;
      case kEmrStretchDIBits:
        dc_.Blit(r.U(68),
                 DibOf(r, r.U(48), r.U(52), r.U(56), r.U(60), SourceRect(r.I(32), r.I(36), r.I(40), r.I(44)),
                       TSourceRows::FromTop),
                 QRectF(r.I(24), r.I(28), r.I(72), r.I(76)));
        break;
      case kEmrSetDIBitsToDevice:
        dc_.Blit(0x00CC0020,
                 DibOf(r, r.U(48), r.U(52), r.U(56), r.U(60), SourceRect(r.I(32), r.I(36), r.I(40), r.I(44)),
                       TSourceRows::AsStored),
                 QRectF(r.I(24), r.I(28), r.I(40), r.I(44)));
        break;
      case kEmrExtTextOutA:
      case kEmrExtTextOutW:
        ExtTextOut(type == kEmrExtTextOutW, r);
        break;
      default:
        break;  // comments, palettes and kinds we do not play
    }
  }

  static QTransform TransformOf(const Rec& r, size_t at) {
    return QTransform(r.F(at), r.F(at + 4), r.F(at + 8), r.F(at + 12), r.F(at + 16), r.F(at + 20));
  }

  void ModifyWorld(const QTransform& t, uint32_t mode) {
    const QTransform& world = dc_.State().world;
    switch (mode) {
      case 1:  // identity
        dc_.SetWorld(QTransform());
        break;
      case 2:  // the new one first, then the current
        dc_.SetWorld(t * world);
        break;
      case 3:  // the current first
        dc_.SetWorld(world * t);
        break;
      case 4:
        dc_.SetWorld(t);
        break;
      default:
        break;
    }
  }

  void Store(uint32_t index, const TMetafileObject& object) {
    if (index < objects_.size()) objects_[index] = object;
  }

  void SelectObject(uint32_t index) {
    if ((index & kStockObject) == 0) {
      if (index < objects_.size()) dc_.Select(objects_[index]);
      return;
    }
    const uint32_t stock = index & ~kStockObject;
    TMetafileObject o;
    if (stock <= 5 || stock == 18) {
      o.kind = TMetafileObject::Kind::Brush;
      o.brush = stock == 5 ? QBrush(Qt::NoBrush) : QBrush(StockBrushColor(stock == 18 ? 0 : stock));
    } else if (stock <= 8 || stock == 19) {
      o.kind = TMetafileObject::Kind::Pen;
      o.pen = MetafilePen(stock == 8 ? 5 : 0, 1, stock == 6 ? QColor(Qt::white) : QColor(Qt::black));
    } else if (stock != 15) {
      o = MetafileFont(TMetafileLogFont{});
    }
    dc_.Select(o);
  }

  /// A logical font of 16-bit characters at offset 12.
  static TMetafileObject FontOf(const Rec& r) {
    TMetafileLogFont f;
    f.height = r.I(12);
    f.width = r.I(16);
    f.escapement = r.I(20);
    f.weight = r.I(28);
    f.italic = r.Byte(32) != 0;
    f.underline = r.Byte(33) != 0;
    f.strike_out = r.Byte(34) != 0;
    f.charset = r.Byte(35);
    QString face;
    for (size_t i = 0; i < 32; ++i) {
      const auto c = static_cast<char16_t>(r.I16(40 + 2 * i));
      if (c == 0) break;
      face.append(QChar(c));
    }
    f.face = face.toStdString();
    return MetafileFont(f);
  }

  /// Points from `at` on, 16-bit or 32-bit pairs; nullopt when they do not fit the record.
  static std::optional<QPolygonF> PointsOf(const Rec& r, size_t at, uint64_t count, bool small) {
    const uint64_t size = small ? 4 : 8;
    if (count > r.Size() / size || !r.Has(at, count * size)) return std::nullopt;
    QPolygonF points;
    points.reserve(static_cast<qsizetype>(count));
    for (uint64_t i = 0; i < count; ++i) {
      const size_t p = at + static_cast<size_t>(i * size);
      points << (small ? QPointF(r.I16(p), r.I16(p + 2)) : QPointF(r.I(p), r.I(p + 4)));
    }
    return points;
  }

  /// Bounds (16 bytes), a count and the points.
  void Poly(uint32_t type, const Rec& r, bool small) {
    const auto points = PointsOf(r, 28, r.U(24), small);
    if (!points || points->isEmpty()) return;
    const QPolygonF& p = *points;
    switch (type) {
      case kEmrPolylineTo:
        for (const QPointF& to : p) dc_.LineTo(to);
        return;
      case kEmrPolyBezierTo:
        for (qsizetype i = 0; i + 2 < p.size(); i += 3) dc_.BezierTo(p[i], p[i + 1], p[i + 2]);
        return;
      case kEmrPolyBezier: {
        QPainterPath path(p.first());
        for (qsizetype i = 1; i + 2 < p.size(); i += 3) path.cubicTo(p[i], p[i + 1], p[i + 2]);
        dc_.Figure(path, false);
        return;
      }
      default: {
        QPainterPath path;
        path.setFillRule(dc_.State().fill_rule);
        path.addPolygon(p);
        if (type == kEmrPolygon) path.closeSubpath();
        dc_.Figure(path, type == kEmrPolygon);
        return;
      }
    }
  }

  /// Bounds, the number of figures, the number of points, each figure's count, the points.
  void PolyPoly(bool closed, const Rec& r, bool small) {
    const uint64_t figures = r.U(24);
    if (figures > r.Size() / 4 || !r.Has(32, figures * 4)) return;
    const size_t pointsAt = 32 + static_cast<size_t>(figures * 4);
    const auto points = PointsOf(r, pointsAt, r.U(28), small);
    if (!points) return;
    QPainterPath path;
    path.setFillRule(dc_.State().fill_rule);
    qsizetype at = 0;
    for (uint64_t i = 0; i < figures; ++i) {
      const uint32_t count = r.U(32 + static_cast<size_t>(i * 4));
      if (count > static_cast<uint64_t>(points->size() - at)) return;
      const QPolygonF figure = points->mid(at, count);
      at += count;
      if (figure.isEmpty()) continue;
      path.addPolygon(figure);
      if (closed) path.closeSubpath();
    }
    dc_.Figure(path, closed);
  }

  void Shape(uint32_t type, const Rec& r) {
    const QRectF box = r.Rect(8);
    QPainterPath path;
    if (type == kEmrEllipse)
      path.addEllipse(box);
    else if (type == kEmrRectangle)
      path.addRect(box);
    else
      path.addRoundedRect(box, r.I(24) / 2.0, r.I(28) / 2.0);
    dc_.Figure(path);
  }

  /// Arcs run counter-clockwise from the ray through the start point to the ray through the end.
  void ArcShape(uint32_t type, const Rec& r) {
    const QRectF box = r.Rect(8);
    if (box.isEmpty()) return;
    const QPointF c = box.center();
    auto angle = [&](QPointF p) {
      return std::atan2(-(p.y() - c.y()) / box.height(), (p.x() - c.x()) / box.width()) * 180 / M_PI;
    };
    const double start = angle(r.Point(24));
    double sweep = angle(r.Point(32)) - start;
    if (sweep <= 0) sweep += 360;
    QPainterPath path;
    if (type == kEmrPie) {
      path.moveTo(c);
      path.arcTo(box, start, sweep);
      path.closeSubpath();
    } else {
      path.arcMoveTo(box, start);
      if (type == kEmrArcTo) dc_.LineTo(path.currentPosition());
      path.arcTo(box, start, sweep);
      if (type == kEmrChord) path.closeSubpath();
    }
    if (type == kEmrArcTo) {
      dc_.Figure(path, false);
      dc_.MoveTo(path.currentPosition());
      return;
    }
    dc_.Figure(path, type != kEmrArc);
  }

  /// Rectangles in device units; no data with the copy mode takes the clipping back to the
  /// whole picture.
  void SelectClipRegion(const Rec& r) {
    const uint32_t bytes = r.U(8);
    const uint32_t mode = r.U(12);
    if (mode < 1 || mode > 5) return;
    const uint64_t count = r.U(24);
    if (bytes < 32 || count == 0) {
      if (mode == 5) dc_.ResetClip();
      return;
    }
    if (count > r.Size() / 16 || !r.Has(48, count * 16)) return;
    QList<QRectF> region;
    region.reserve(static_cast<qsizetype>(count));
    for (uint64_t i = 0; i < count; ++i) region.append(r.Rect(48 + static_cast<size_t>(i * 16)));
    dc_.CombineDeviceClip(region, static_cast<TClipCombine>(mode));
  }

  void BitBlt(bool stretch, const Rec& r) {
    const QRectF dest(r.I(24), r.I(28), r.I(32), r.I(36));
    const uint32_t rop = r.U(40);
    if (r.U(88) == 0) {  // no source: a pattern operation
      dc_.PatBlt(rop, dest);
      return;
    }
    const int32_t cx = stretch ? r.I(100) : r.I(32);
    const int32_t cy = stretch ? r.I(104) : r.I(36);
    dc_.Blit(rop,
             DibOf(r, r.U(84), r.U(88), r.U(92), r.U(96), SourceRect(r.I(44), r.I(48), cx, cy),
                   TSourceRows::FromTop),
             dest);
  }

  /// Laid out as a stretching blit, with the blend function in place of the raster
  /// operation: operation, flags, the constant alpha, and whether the source has its own.
  void AlphaBlend(const Rec& r) {
    constexpr uint8_t kSourceHasAlpha = 1;
    const QRectF dest(r.I(24), r.I(28), r.I(32), r.I(36));
    const uint8_t constantAlpha = r.Byte(42);
    const bool perPixel = (r.Byte(43) & kSourceHasAlpha) != 0;
    const QRect src = SourceRect(r.I(44), r.I(48), r.I(100), r.I(104));
    dc_.AlphaBlend(DibOf(r, r.U(84), r.U(88), r.U(92), r.U(96), src, TSourceRows::FromTop, perPixel), dest,
                   constantAlpha, perPixel);
  }

  void ExtTextOut(bool wide, const Rec& r) {
    const QPointF at = r.Point(36);
    const uint64_t count = r.U(44);
    const uint32_t offset = r.U(48);
    const uint32_t options = r.U(52);
    if (count == 0) {
      if ((options & ETO_OPAQUE) != 0) dc_.TextBox(r.Rect(56));
      return;
    }
    const uint64_t unit = wide ? 2 : 1;
    if (count > r.Size() || !r.Has(offset, count * unit)) return;
    const bool glyphs = (options & kEtoGlyphIndex) != 0;
    // Glyph numbers come as 16-bit values; a record of 8-bit ones is not drawn.
    if (glyphs && !wide) return;
    QString text;
    QList<quint32> glyphIndexes;
    if (glyphs) {
      for (uint64_t i = 0; i < count; ++i) glyphIndexes.append(static_cast<uint16_t>(r.I16(offset + 2 * i)));
    } else if (wide) {
      for (uint64_t i = 0; i < count; ++i) text.append(QChar(static_cast<char16_t>(r.I16(offset + 2 * i))));
    } else {
      const std::span<const uint8_t> bytes = r.Bytes(offset, static_cast<size_t>(count));
      text = DecodeCharsetText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                               dc_.State().charset);
    }
    const uint64_t dxOffset = r.U(72);
    const uint64_t step = (options & kEtoPdy) != 0 ? 8 : 4;
    std::vector<double> dx;
    if (dxOffset != 0 && r.Has(dxOffset, count * step))
      for (uint64_t i = 0; i < count; ++i) dx.push_back(r.I(static_cast<size_t>(dxOffset + i * step)));
    const QRectF rect = r.Rect(56);
    const QRectF* box = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0 ? &rect : nullptr;
    if (glyphs)
      dc_.GlyphText(at, glyphIndexes, options, box, dx);
    else
      dc_.Text(at, text, options, box, dx);
  }

  TMetafileDC& dc_;
  std::vector<TMetafileObject> objects_;
};

}  // namespace

void PlayEmf(QPainter& painter, std::span<const uint8_t> emf, const QRect& dest) {
  if (emf.size() < kEmfHeaderMin || dest.isEmpty()) return;
  const Rec header(emf.subspan(0, std::min<size_t>(emf.size(), Rec(emf).U(4))));
  if (header.U(0) != kEmrHeader || header.Size() < kEmfHeaderMin) return;
  // The frame (0.01 mm) in the reference device's units, which is what records count in.
  const QRectF frameMm = header.Rect(24);
  const double devW = header.I(72), devH = header.I(76), mmW = header.I(80), mmH = header.I(84);
  QRectF frame;
  if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0 && !frameMm.isEmpty()) {
    frame = QRectF(frameMm.left() * devW / (mmW * 100), frameMm.top() * devH / (mmH * 100),
                   frameMm.width() * devW / (mmW * 100), frameMm.height() * devH / (mmH * 100));
  } else {
    const QRectF bounds = header.Rect(8);
    frame = QRectF(bounds.topLeft(), QSizeF(bounds.width() + 1, bounds.height() + 1));
  }
  if (!(frame.width() > 0 && frame.height() > 0) || !std::isfinite(frame.width() + frame.height())) return;
  QTransform deviceToDest;
  deviceToDest.translate(dest.x(), dest.y());
  deviceToDest.scale(dest.width() / frame.width(), dest.height() / frame.height());
  deviceToDest.translate(-frame.left(), -frame.top());
  // Device units per inch, kept within what a real device has.
  auto perInchOf = [](double dev, double mm) {
    return dev > 0 && mm > 0 ? std::clamp(dev * 25.4 / mm, 1.0, 1e5) : 96;
  };
  const QSizeF perInch(perInchOf(devW, mmW), perInchOf(devH, mmH));
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  {
    TMetafileDC dc(painter, dest, deviceToDest, perInch);
    const uint32_t handles = static_cast<uint32_t>(header.Byte(56) | (header.Byte(57) << 8));
    EmfPlayer(dc, handles).Play(emf);
  }
  painter.restore();
}
