#include "platform/graphics/MetafilePlayer.h"

#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/MetafileDC.h"
#include "platform/graphics/MetafileRecords.h"

namespace {

// Escape functions that build a path and clip to it (written for printers that know paths).
constexpr uint16_t kBeginPath = 4096;
constexpr uint16_t kClipToPath = 4097;
constexpr uint16_t kEndPath = 4098;

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

/// A region object's rectangles (a scan is a band of rows with pairs of left and right
/// edges); nullopt when the record does not hold the scans it counts.
std::optional<QList<QRectF>> ReadRegion(const Params& a) {
  // nextInChain, type, object count (2 words), region size, scan count, max scan, bounds (4).
  constexpr size_t kScansStart = 11;
  const size_t scans = a.U(5);
  QList<QRectF> rects;
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
      if (right > left && bottom > top) rects.append(QRectF(left, top, right - left, bottom - top));
    }
    at += 3 + count + 1;
  }
  return rects;
}

class Player {
 public:
  Player(TMetafileDC& dc, size_t objectCount) : dc_(dc), objects_(objectCount) {}

  void Play(std::span<const uint8_t> records) {
    size_t pos = 0;
    while (records.size() - pos >= 6) {
      const uint32_t words = static_cast<uint32_t>(records[pos] | (records[pos + 1] << 8)) |
                             (static_cast<uint32_t>(records[pos + 2] | (records[pos + 3] << 8)) << 16);
      const uint16_t function = static_cast<uint16_t>(records[pos + 4] | (records[pos + 5] << 8));
      if (words < 3 || words > (records.size() - pos) / 2 || function == kMetaEof) break;
      dc_.BeforeRecord(function == kMetaStretchDib || function == kMetaDibStretchBlt ||
                       function == kMetaDibBitBlt);
      Record(function, Params(records.subspan(pos + 6, 2 * static_cast<size_t>(words) - 6)));
      pos += 2 * static_cast<size_t>(words);
    }
  }

 private:
  /// A point given as y, x from word `first` on.
  static QPointF PointOf(const Params& a, size_t first) { return QPointF(a.S(first + 1), a.S(first)); }
  static QPoint IntPointOf(const Params& a, size_t first) { return QPoint(a.S(first + 1), a.S(first)); }
  static QSize SizeOf(const Params& a, size_t first) { return QSize(a.S(first + 1), a.S(first)); }
  /// An origin moved by `by`, kept within 32 bits however often it is moved.
  static QPoint Offset(QPoint org, QPoint by) {
    auto add = [](int a, int b) {
      return static_cast<int>(std::clamp<int64_t>(int64_t{a} + b, INT32_MIN, INT32_MAX));
    };
    return QPoint(add(org.x(), by.x()), add(org.y(), by.y()));
  }

  void Record(uint16_t function, const Params& a) {
    TMetafileDCState& state = dc_.State();
    switch (function) {
      case kMetaSetMapMode:
        dc_.SetMapMode(a.U(0));
        break;
      case kMetaSetWindowOrg:
        dc_.SetWindowOrg(IntPointOf(a, 0));
        break;
      case kMetaOffsetWindowOrg:
        dc_.SetWindowOrg(Offset(state.window_org, IntPointOf(a, 0)));
        break;
      case kMetaSetWindowExt:
        dc_.SetWindowExt(SizeOf(a, 0));
        break;
      case kMetaScaleWindowExt:  // y denominator, y numerator, x denominator, x numerator
        dc_.ScaleWindowExt(a.S(3), a.S(2), a.S(1), a.S(0));
        break;
      case kMetaSetViewportOrg:
        dc_.SetViewportOrg(IntPointOf(a, 0));
        break;
      case kMetaOffsetViewportOrg:
        dc_.SetViewportOrg(Offset(state.viewport_org, IntPointOf(a, 0)));
        break;
      case kMetaSetViewportExt:
        dc_.SetViewportExt(SizeOf(a, 0));
        break;
      case kMetaScaleViewportExt:
        dc_.ScaleViewportExt(a.S(3), a.S(2), a.S(1), a.S(0));
        break;
      case kMetaSetBkColor:
        state.bk_color = MetafileColor(a.U32(0));
        break;
      case kMetaSetBkMode:
        state.opaque = a.U(0) == 2;
        break;
      case kMetaSetTextColor:
        state.text_color = MetafileColor(a.U32(0));
        break;
      case kMetaSetTextAlign:
        state.text_align = a.U(0);
        break;
      case kMetaSetRop2:
        if (a.U(0) >= 1 && a.U(0) <= 16) state.rop2 = a.U(0);
        break;
      case kMetaSetPolyFillMode:
        state.fill_rule = a.U(0) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
        break;
      case kMetaSaveDC:
        dc_.SaveDC();
        break;
      case kMetaRestoreDC:
        dc_.RestoreDC(a.S(0));
        break;
      case kMetaCreatePenIndirect: {
        TMetafileObject pen;
        pen.kind = TMetafileObject::Kind::Pen;
        pen.pen = MetafilePen(a.U(0), a.S(1), MetafileColor(a.U32(3)));
        AddObject(pen);
        break;
      }
      case kMetaCreateBrushIndirect: {
        TMetafileObject brush;
        brush.kind = TMetafileObject::Kind::Brush;
        brush.brush = MetafileBrush(a.U(0), MetafileColor(a.U32(1)), a.U(3));
        AddObject(brush);
        break;
      }
      case kMetaCreateFontIndirect:
        AddObject(MakeFont(a));
        break;
      case kMetaDibCreatePatternBrush:
        AddObject(MakePatternBrush(a));
        break;
      case kMetaCreateRegion:
        AddObject(MakeRegion(a));
        break;
      // Objects we do not draw with still take a slot of the object table.
      case kMetaCreatePalette:
      case kMetaCreatePatternBrush: {
        TMetafileObject other;
        other.kind = TMetafileObject::Kind::Other;
        AddObject(other);
        break;
      }
      case kMetaSelectObject:
        SelectObject(a.U(0));
        break;
      case kMetaSelectClipRegion:
        SelectClipRegion(a.U(0));
        break;
      case kMetaDeleteObject:
        if (a.U(0) < objects_.size()) objects_[a.U(0)] = TMetafileObject{};
        break;
      case kMetaIntersectClipRect:
        dc_.IntersectClipRect(RectOf(a, 0));
        break;
      case kMetaExcludeClipRect:
        dc_.ExcludeClipRect(RectOf(a, 0));
        break;
      case kMetaEscape:
        Escape(a);
        break;
      case kMetaMoveTo:
        dc_.MoveTo(PointOf(a, 0));
        break;
      case kMetaLineTo:
        dc_.LineTo(PointOf(a, 0));
        break;
      case kMetaSetPixel:
        dc_.SetPixel(PointOf(a, 2), MetafileColor(a.U32(0)));
        break;
      case kMetaRectangle: {
        QPainterPath path;
        path.addRect(RectOf(a, 0));
        dc_.Figure(path);
        break;
      }
      case kMetaRoundRect: {
        QPainterPath path;
        path.addRoundedRect(RectOf(a, 2), a.S(1) / 2.0, a.S(0) / 2.0);
        dc_.Figure(path);
        break;
      }
      case kMetaEllipse: {
        QPainterPath path;
        path.addEllipse(RectOf(a, 0));
        dc_.Figure(path);
        break;
      }
      case kMetaPolygon:
      case kMetaPolyline:
        Poly(function == kMetaPolygon, a);
        break;
      case kMetaPolyPolygon:
        PolyPolygon(a);
        break;
      case kMetaTextOut: {
        const size_t count = a.U(0);
        const size_t textWords = (count + 1) / 2;
        if (!a.Has(1 + textWords + 2)) break;
        Text(PointOf(a, 1 + textWords), a.From(1).first(count), 0, nullptr, {});
        break;
      }
      case kMetaExtTextOut:
        ExtTextOut(a);
        break;
      case kMetaPatBlt:
        dc_.PatBlt(a.U32(0), QRectF(a.S(5), a.S(4), a.S(3), a.S(2)));
        break;
      case kMetaDibBitBlt:
        if (a.Words() <= 9) {
          dc_.PatBlt(a.U32(0), QRectF(a.S(8), a.S(7), a.S(6), a.S(5)));
        } else {
          const QRect src(a.S(3), a.S(2), a.S(5), a.S(4));
          dc_.Blit(a.U32(0), MetafileDibPart(a.From(8), std::nullopt, src, TSourceRows::FromTop),
                   QRectF(a.S(7), a.S(6), a.S(5), a.S(4)));
        }
        break;
      case kMetaDibStretchBlt:
        if (a.Words() <= 11) {
          dc_.PatBlt(a.U32(0), QRectF(a.S(10), a.S(9), a.S(8), a.S(7)));
        } else {
          dc_.Blit(a.U32(0),
                   MetafileDibPart(a.From(10), std::nullopt, QRect(a.S(5), a.S(4), a.S(3), a.S(2)),
                                   TSourceRows::FromTop),
                   QRectF(a.S(9), a.S(8), a.S(7), a.S(6)));
        }
        break;
      case kMetaStretchDib:
        dc_.Blit(a.U32(0),
                 MetafileDibPart(a.From(11), std::nullopt, QRect(a.S(6), a.S(5), a.S(4), a.S(3)),
                                 TSourceRows::FromTop),
                 QRectF(a.S(10), a.S(9), a.S(8), a.S(7)));
        break;
      default:
        break;  // records that do not draw, or kinds we do not play
    }
  }

  /// A rectangle given as bottom, right, top, left from word `first` on.
  static QRectF RectOf(const Params& a, size_t first) {
    const QPointF topLeft(a.S(first + 3), a.S(first + 2));
    const QPointF bottomRight(a.S(first + 1), a.S(first));
    return QRectF(topLeft, bottomRight).normalized();
  }

  void AddObject(const TMetafileObject& object) {
    for (TMetafileObject& slot : objects_)
      if (slot.kind == TMetafileObject::Kind::Free) {
        slot = object;
        return;
      }
  }

  /// Style and colour usage, then a packed DIB whose pixels tile the filled area.
  static TMetafileObject MakePatternBrush(const Params& a) {
    TMetafileObject o;
    o.kind = TMetafileObject::Kind::Brush;
    const QImage image =
        MetafileDibPart(a.From(2), std::nullopt, QRect(0, 0, 0x7FFF, 0x7FFF), TSourceRows::FromTop);
    // A pattern that cannot be read paints black.
    o.brush = image.isNull() ? QBrush(Qt::black) : QBrush(image.convertToFormat(QImage::Format_RGB32));
    return o;
  }

  static TMetafileObject MakeRegion(const Params& a) {
    TMetafileObject o;
    o.kind = TMetafileObject::Kind::Region;
    // A region whose scans do not fit its record clips nothing away.
    if (auto region = ReadRegion(a)) o.region = *region;
    return o;
  }

  static TMetafileObject MakeFont(const Params& a) {
    TMetafileLogFont f;
    for (size_t i = 18; i < 18 + 32; ++i) {
      const uint8_t c = a.Byte(i);
      if (c == 0) break;
      f.face.push_back(static_cast<char>(c));
    }
    f.height = a.S(0);
    f.width = a.S(1);
    f.escapement = a.S(2);
    f.weight = a.S(4);
    f.italic = a.Byte(10) != 0;
    f.underline = a.Byte(11) != 0;
    f.strike_out = a.Byte(12) != 0;
    f.charset = a.Byte(13);
    return MetafileFont(f);
  }

  void SelectObject(uint16_t index) {
    if (index >= objects_.size()) return;
    if (objects_[index].kind == TMetafileObject::Kind::Region)
      SelectClipRegion(index);
    else
      dc_.Select(objects_[index]);
  }

  /// A region replaces the clipping within the picture; an empty region, or an object that
  /// is no region, takes the clipping back to the whole picture.
  void SelectClipRegion(uint16_t index) {
    if (index < objects_.size() && objects_[index].kind == TMetafileObject::Kind::Region &&
        !objects_[index].region.isEmpty()) {
      dc_.CombineClip(objects_[index].region, TClipCombine::Copy);
    } else {
      dc_.ResetClip();
    }
  }

  void Escape(const Params& a) {
    switch (a.U(0)) {
      case kBeginPath:
        dc_.BeginPath();
        break;
      case kEndPath:
        dc_.EndPath();
        break;
      case kClipToPath:
        if (a.U(2) <= 3) dc_.ClipToPath(static_cast<TPathClip>(a.U(2)));
        break;
      default:
        break;
    }
  }

  void Poly(bool closed, const Params& a) {
    const size_t count = a.U(0);
    if (count < 2 || !a.Has(1 + 2 * count)) return;
    QPolygonF poly;
    for (size_t i = 0; i < count; ++i) poly << QPointF(a.S(1 + 2 * i), a.S(2 + 2 * i));
    QPainterPath path;
    path.setFillRule(dc_.State().fill_rule);
    if (closed) poly << poly.first();
    path.addPolygon(poly);
    if (closed) path.closeSubpath();
    dc_.Figure(path, closed);
  }

  void PolyPolygon(const Params& a) {
    const size_t polys = a.U(0);
    if (!a.Has(1 + polys)) return;
    size_t total = 0;
    for (size_t i = 0; i < polys; ++i) total += a.U(1 + i);
    if (!a.Has(1 + polys + 2 * total)) return;
    QPainterPath path;
    path.setFillRule(dc_.State().fill_rule);
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
    dc_.Figure(path);
  }

  void ExtTextOut(const Params& a) {
    if (!a.Has(4)) return;
    const size_t count = a.U(2);
    const uint16_t options = a.U(3);
    size_t word = 4;
    std::optional<QRectF> rect;
    if ((options & (ETO_OPAQUE | ETO_CLIPPED)) != 0) {
      if (!a.Has(8)) return;
      rect = QRectF(QPointF(a.S(4), a.S(5)), QPointF(a.S(6), a.S(7))).normalized();
      word = 8;
    }
    const size_t textWords = (count + 1) / 2;
    if (!a.Has(word + textWords)) return;
    std::vector<double> dx;
    if (a.Has(word + textWords + count))
      for (size_t i = 0; i < count; ++i) dx.push_back(a.S(word + textWords + i));
    Text(PointOf(a, 0), a.From(word).first(count), options, rect ? &*rect : nullptr, dx);
  }

  void Text(QPointF at, std::span<const uint8_t> bytes, uint16_t options, const QRectF* rect,
            const std::vector<double>& dx) {
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    dc_.Text(at, DecodeCharsetText(raw, dc_.State().charset), options, rect, dx);
  }

  TMetafileDC& dc_;
  std::vector<TMetafileObject> objects_;
};

/// The enhanced metafile that some writers carry in comment escapes beside the records
/// (pieces in order, each saying how much follows), when every piece is there.
std::optional<std::vector<uint8_t>> EmbeddedEmf(std::span<const uint8_t> records) {
  constexpr uint16_t kCommentEscape = 0x000F;
  constexpr uint32_t kEmbeddedEmfId = 0x43464D57;  // "WMFC"
  constexpr size_t kPieceHeader = 34;
  std::vector<uint8_t> emf;
  uint32_t total = 0;
  size_t pos = 0;
  while (records.size() - pos >= 6) {
    const Params head(records.subspan(pos, 6));
    const uint32_t words = head.U32(0);
    if (words < 3 || words > (records.size() - pos) / 2 || head.U(2) == kMetaEof) break;
    const Params a(records.subspan(pos + 6, 2 * static_cast<size_t>(words) - 6));
    pos += 2 * static_cast<size_t>(words);
    if (head.U(2) != kMetaEscape || a.U(0) != kCommentEscape) continue;
    const std::span<const uint8_t> data = a.From(2).first(std::min<size_t>(a.U(1), a.From(2).size()));
    const Params piece(data);
    if (data.size() < kPieceHeader || piece.U32(0) != kEmbeddedEmfId || piece.U32(2) != 1) continue;
    const uint32_t size = piece.U32(11);
    const uint32_t remaining = piece.U32(13);
    if (emf.empty()) total = piece.U32(15);
    if (size > data.size() - kPieceHeader || piece.U32(15) != total || emf.size() + size > total ||
        remaining != total - emf.size() - size)
      return std::nullopt;
    emf.insert(emf.end(), data.begin() + kPieceHeader, data.begin() + kPieceHeader + size);
  }
  if (emf.empty() || emf.size() != total) return std::nullopt;
  return emf;
}

}  // namespace

void PlayWmf(QPainter& painter, std::span<const uint8_t> wmf, const TWmfFrame& frame, const QRect& dest) {
  if (wmf.size() < 18 || dest.isEmpty()) return;
  const size_t headerBytes = 2 * static_cast<size_t>(wmf[2] | (wmf[3] << 8));
  if (headerBytes < 18 || headerBytes > wmf.size()) return;
  // Where the writer embedded an enhanced copy, that copy is the finer drawing.
  if (const auto emf = EmbeddedEmf(wmf.subspan(headerBytes))) {
    PlayEmf(painter, *emf, dest);
    return;
  }
  const size_t objectCount = static_cast<size_t>(wmf[10] | (wmf[11] << 8));
  // The metafile's device space is its frame; without one, the destination's pixels.
  QSize size(frame.Width, frame.Height);
  QPoint origin(frame.Left, frame.Top);
  if (size.width() == 0 || size.height() == 0) {
    size = dest.size();
    origin = QPoint();
  }
  QTransform deviceToDest;
  deviceToDest.translate(dest.x(), dest.y());
  deviceToDest.scale(static_cast<double>(dest.width()) / size.width(),
                     static_cast<double>(dest.height()) / size.height());
  deviceToDest.translate(-origin.x(), -origin.y());
  const double inch = frame.UnitsPerInch > 0 ? frame.UnitsPerInch : 96;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  {
    TMetafileDC dc(painter, dest, deviceToDest, QSizeF(inch, inch));
    // The window starts as the frame, mapped onto the whole destination.
    TMetafileDCState& state = dc.State();
    state.map_mode = TMapMode::Anisotropic;
    state.window_org = state.viewport_org = origin;
    state.window_ext = state.viewport_ext = size;
    dc.ApplyMapping();
    Player(dc, objectCount).Play(wmf.subspan(headerBytes));
  }
  painter.restore();
}
