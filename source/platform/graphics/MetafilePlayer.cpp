#include "platform/graphics/MetafilePlayer.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
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
constexpr uint16_t kSetRop2 = 0x0104;
constexpr uint16_t kSetPolyFillMode = 0x0106;
constexpr uint16_t kRestoreDC = 0x0127;
constexpr uint16_t kSelectObject = 0x012D;
constexpr uint16_t kSetTextAlign = 0x012E;
constexpr uint16_t kDibCreatePatternBrush = 0x0142;
constexpr uint16_t kDeleteObject = 0x01F0;
constexpr uint16_t kSetBkColor = 0x0201;
constexpr uint16_t kSetTextColor = 0x0209;
constexpr uint16_t kSetWindowOrg = 0x020B;
constexpr uint16_t kSetWindowExt = 0x020C;
constexpr uint16_t kOffsetWindowOrg = 0x020F;
constexpr uint16_t kLineTo = 0x0213;
constexpr uint16_t kMoveTo = 0x0214;
constexpr uint16_t kCreatePenIndirect = 0x02FA;
constexpr uint16_t kCreateFontIndirect = 0x02FB;
constexpr uint16_t kCreateBrushIndirect = 0x02FC;
constexpr uint16_t kPolygon = 0x0324;
constexpr uint16_t kPolyline = 0x0325;
constexpr uint16_t kExcludeClipRect = 0x0415;
constexpr uint16_t kIntersectClipRect = 0x0416;
constexpr uint16_t kEllipse = 0x0418;
constexpr uint16_t kRectangle = 0x041B;
constexpr uint16_t kPatBlt = 0x041D;
constexpr uint16_t kTextOut = 0x0521;
constexpr uint16_t kPolyPolygon = 0x0538;
constexpr uint16_t kRoundRect = 0x061C;
constexpr uint16_t kDibBitBlt = 0x0940;
constexpr uint16_t kExtTextOut = 0x0A32;
constexpr uint16_t kDibStretchBlt = 0x0B41;
constexpr uint16_t kStretchDib = 0x0F43;
// Records that create an object we do not draw with still take a slot of the object table.
constexpr uint16_t kCreatePalette = 0x00F7;
constexpr uint16_t kCreatePatternBrush = 0x01F9;
constexpr uint16_t kCreateRegion = 0x06FF;

constexpr size_t kMaxSavedStates = 1024;
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
  enum class Kind { Free, Pen, Brush, Font, Other };
  Kind kind = Kind::Free;
  QPen pen;
  QBrush brush;
  QFont font;
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
  QPoint window_org;
  QSize window_ext;
  QPointF position;
  QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
};

QPainter::CompositionMode ModeOfRop2(uint16_t rop2) {
  switch (rop2) {
    case 6:  // R2_NOT
      return QPainter::RasterOp_NotDestination;
    case 7:  // R2_XORPEN
      return QPainter::RasterOp_SourceXorDestination;
    case 9:  // R2_MASKPEN
      return QPainter::RasterOp_SourceAndDestination;
    case 10:  // R2_NOTXORPEN
      return QPainter::RasterOp_NotSourceXorDestination;
    case 15:  // R2_MERGEPEN
      return QPainter::RasterOp_SourceOrDestination;
    default:
      return QPainter::CompositionMode_SourceOver;
  }
}

class Player {
 public:
  Player(QPainter& p, const TWmfFrame& frame, const QRect& dest, size_t object_count)
      : p_(p), frame_(frame), dest_(dest), base_(p.transform()), objects_(object_count) {
    state_.font = DefaultFont();
    state_.window_org = QPoint(frame.Left, frame.Top);
    state_.window_ext = QSize(frame.Width, frame.Height);
  }

  void Play(std::span<const uint8_t> records) {
    p_.setClipRect(dest_, Qt::IntersectClip);
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

  /// The metafile's window onto the destination rectangle.
  void ApplyMapping() {
    QSize ext = state_.window_ext;
    if (ext.width() == 0 || ext.height() == 0) ext = dest_.size();
    if (ext.width() == 0 || ext.height() == 0) return;
    QTransform t;
    t.translate(dest_.x(), dest_.y());
    t.scale(static_cast<double>(dest_.width()) / ext.width(),
            static_cast<double>(dest_.height()) / ext.height());
    t.translate(-state_.window_org.x(), -state_.window_org.y());
    p_.setTransform(t * base_);
  }

  void Record(uint16_t function, const Params& a) {
    switch (function) {
      case kSetWindowOrg:
        state_.window_org = QPoint(a.S(1), a.S(0));
        ApplyMapping();
        break;
      case kOffsetWindowOrg:
        state_.window_org += QPoint(a.S(1), a.S(0));
        ApplyMapping();
        break;
      case kSetWindowExt:
        state_.window_ext = QSize(a.S(1), a.S(0));
        ApplyMapping();
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
        state_.mode = ModeOfRop2(a.U(0));
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
      case kCreatePalette:
      case kCreatePatternBrush:
      case kCreateRegion: {
        WmfObject other;
        other.kind = WmfObject::Kind::Other;
        AddObject(other);
        break;
      }
      case kSelectObject:
        SelectObject(a.U(0));
        break;
      case kDeleteObject:
        if (a.U(0) < objects_.size()) objects_[a.U(0)] = WmfObject{};
        break;
      case kIntersectClipRect:
        p_.setClipRect(RectOf(a, 0), Qt::IntersectClip);
        break;
      case kExcludeClipRect:
        ExcludeClip(RectOf(a, 0));
        break;
      case kMoveTo:
        state_.position = QPointF(a.S(1), a.S(0));
        break;
      case kLineTo:
        LineTo(QPointF(a.S(1), a.S(0)));
        break;
      case kRectangle:
        Figure([&] { p_.drawRect(RectOf(a, 0)); });
        break;
      case kRoundRect:
        Figure([&] { p_.drawRoundedRect(RectOf(a, 2), a.S(1) / 2.0, a.S(0) / 2.0); });
        break;
      case kEllipse:
        Figure([&] { p_.drawEllipse(RectOf(a, 0)); });
        break;
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

  static WmfObject MakePatternBrush(const Params& a) {
    WmfObject o;
    o.kind = WmfObject::Kind::Brush;
    o.brush = QBrush(Qt::black);
    try {
      const QImage image = DibToQImage(DecodePackedDib(a.From(2)), false);
      if (!image.isNull()) o.brush = QBrush(image);
    } catch (const Exception&) {
      // A pattern that cannot be read paints black.
    }
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
      default:
        break;
    }
  }

  void ExcludeClip(const QRectF& r) {
    QPainterPath area;
    if (p_.hasClipping()) {
      area = p_.clipPath();
    } else {
      area.addRect(p_.transform().inverted().mapRect(QRectF(dest_)));
    }
    QPainterPath hole;
    hole.addRect(r);
    p_.setClipPath(area.subtracted(hole));
  }

  /// Draws a figure with the current pen, brush and raster mode.
  template <typename F>
  void Figure(F draw) {
    p_.setCompositionMode(state_.mode);
    p_.setPen(state_.pen);
    p_.setBrush(state_.brush);
    if (state_.opaque && state_.brush.style() > Qt::SolidPattern &&
        state_.brush.style() < Qt::LinearGradientPattern) {
      // Hatches on an opaque background: the gaps take the background colour first.
      const QBrush hatch = state_.brush;
      p_.setBrush(state_.bk_color);
      const QPen pen = state_.pen;
      p_.setPen(Qt::NoPen);
      draw();
      p_.setBrush(hatch);
      p_.setPen(pen);
    }
    draw();
  }

  void LineTo(QPointF to) {
    p_.setCompositionMode(state_.mode);
    p_.setPen(state_.pen);
    p_.drawLine(state_.position, to);
    state_.position = to;
  }

  void Poly(bool closed, const Params& a) {
    const size_t count = a.U(0);
    if (count < 2 || !a.Has(1 + 2 * count)) return;
    QPolygonF poly;
    for (size_t i = 0; i < count; ++i) poly << QPointF(a.S(1 + 2 * i), a.S(2 + 2 * i));
    if (closed)
      Figure([&] { p_.drawPolygon(poly, state_.fill_rule); });
    else
      Figure([&] { p_.drawPolyline(poly); });
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
      }
    }
    Figure([&] { p_.drawPath(path); });
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
        p_.fillRect(area, state_.brush);
        break;
      case 0x00AA0029:  // the destination unchanged
        break;
      default:  // PATCOPY and anything else paint with the brush
        if (state_.brush.style() != Qt::NoBrush) p_.fillRect(area, state_.brush);
        break;
    }
    p_.restore();
  }

  void Blit(uint32_t rop, std::span<const uint8_t> dib, QRect src, QRectF dest) {
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
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (rop) {
      case 0x00CC0020:  // SRCCOPY
        break;
      case 0x008800C6:  // SRCAND
        mode = QPainter::RasterOp_SourceAndDestination;
        break;
      case 0x00EE0086:  // SRCPAINT
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
  TWmfFrame frame_;
  QRect dest_;
  QTransform base_;
  std::vector<WmfObject> objects_;
  DcState state_;
  std::vector<DcState> saved_;
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
