// The canvas draws through a QPainter, so recording is a Qt paint engine: every figure, text
// and picture the painter hands it becomes metafile records in device pixels. Each drawing
// call stands alone — it creates the pen, brush or font it needs, selects it, draws, and
// frees it again, inside a saved state when clipped — so a renderer never depends on state
// left over from an earlier call, and one writer interface serves both metafile kinds.
#include "platform/graphics/MetafileCanvas.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPixmap>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/CodePages.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/MetafileRecords.h"

namespace {

constexpr int32_t kPixelsPerInch = 96;
constexpr int32_t kMM100PerInch = 2540;

// Pen and brush styles the records use.
constexpr uint32_t kPsSolid = 0, kPsDash = 1, kPsDot = 2, kPsDashDot = 3, kPsDashDotDot = 4, kPsNull = 5;
constexpr uint32_t kBsSolid = 0, kBsNull = 1, kBsHatched = 2;

/// Little-endian record bytes.
class TBytes {
 public:
  void U16(uint32_t v) {
    bytes_ += static_cast<char>(v & 0xFF);
    bytes_ += static_cast<char>((v >> 8) & 0xFF);
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void I16(int64_t v) {
    U16(static_cast<uint16_t>(static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767))));
  }
  void I32(int64_t v) {
    U32(static_cast<uint32_t>(static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX))));
  }
  void Raw(std::string_view b) { bytes_ += b; }
  void PadTo(size_t multiple) {
    while (bytes_.size() % multiple != 0) bytes_ += '\0';
  }
  size_t Size() const { return bytes_.size(); }
  const std::string& Str() const { return bytes_; }

 private:
  std::string bytes_;
};

uint32_t ColorRef(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | static_cast<uint32_t>(c.green()) << 8 |
         static_cast<uint32_t>(c.blue()) << 16;
}

/// A pen as the records describe it.
struct TRecordPen {
  uint32_t style = kPsSolid;
  int32_t width = 1;
  uint32_t color = 0;
};

/// A brush as the records describe it.
struct TRecordBrush {
  uint32_t style = kBsSolid;
  uint32_t color = 0;
  uint32_t hatch = 0;
};

/// A font as the records describe it (height negative: the character height in pixels).
struct TRecordFont {
  int32_t height = 0;
  int32_t weight = 400;
  bool italic = false, underline = false, strike_out = false;
  uint8_t charset = 1;
  std::u16string face;
};

/// The device-independent bitmap of an image: a 24-bit bottom-up DIB, header then rows.
struct TRecordDib {
  std::string header;
  std::string bits;
};

TRecordDib DibOf(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  const int w = rgb.width(), h = rgb.height();
  const int64_t stride = ((int64_t{w} * 24 + 31) / 32) * 4;
  TBytes header;
  header.U32(40), header.I32(w), header.I32(h), header.U16(1), header.U16(24);
  header.U32(0), header.U32(static_cast<uint32_t>(stride * h)), header.U32(3780), header.U32(3780);
  header.U32(0), header.U32(0);
  std::string bits(static_cast<size_t>(stride * h), '\0');
  for (int y = 0; y < h; ++y) {
    const uchar* row = rgb.constScanLine(h - 1 - y);
    char* out = bits.data() + stride * y;
    for (int x = 0; x < w; ++x) {  // DIB pixels are blue, green, red
      out[x * 3] = static_cast<char>(row[x * 3 + 2]);
      out[x * 3 + 1] = static_cast<char>(row[x * 3 + 1]);
      out[x * 3 + 2] = static_cast<char>(row[x * 3]);
    }
  }
  return {header.Str(), std::move(bits)};
}

/// What one metafile kind writes for the engine's drawing, in device pixels.
class TRecordWriter {
 public:
  virtual ~TRecordWriter() = default;
  /// Clips the following drawing to `inside` less `outside`, until EndClip.
  virtual void BeginClip(const QRect& inside, const std::vector<QRect>& outside) = 0;
  virtual void EndClip() = 0;
  virtual void Fill(const std::vector<QPolygon>& polygons, bool winding, const TRecordBrush& brush) = 0;
  /// Closed polygons are outlined whole; open ones are drawn as lines.
  virtual void Stroke(const std::vector<QPolygon>& polygons, const std::vector<bool>& closed,
                      const TRecordPen& pen) = 0;
  virtual void Text(QPoint baseline, std::u16string_view text, const std::vector<int32_t>& dx,
                    const TRecordFont& font, uint32_t color) = 0;
  virtual void Picture(const QRect& dest, const QImage& image) = 0;
  /// The whole file for a picture of `size` pixels.
  virtual std::string Finish(QSize size) = 0;
};

// ---------------------------------------------------------------------------------------
// Enhanced metafiles

constexpr uint32_t kStockNullBrush = 0x80000005, kStockNullPen = 0x80000008, kStockSystemFont = 0x8000000D;
constexpr uint32_t kObjectHandle = 1;  // the one object a drawing call creates at a time

class TEmfWriter : public TRecordWriter {
 public:
  TEmfWriter() {
    Record(kEmrSetBkMode, {TRANSPARENT});
    Record(kEmrSetTextAlign, {TA_BASELINE});
  }

  void BeginClip(const QRect& inside, const std::vector<QRect>& outside) override {
    Record(kEmrSaveDC, {});
    ClipRect(kEmrIntersectClipRect, inside);
    for (const QRect& r : outside) ClipRect(kEmrExcludeClipRect, r);
  }
  void EndClip() override { Record(kEmrRestoreDC, {static_cast<uint32_t>(-1)}); }

  void Fill(const std::vector<QPolygon>& polygons, bool winding, const TRecordBrush& brush) override {
    Record(kEmrSetPolyFillMode, {winding ? 2u : 1u});
    Record(kEmrCreateBrushIndirect, {kObjectHandle, brush.style, brush.color, brush.hatch});
    Select(kStockNullPen);
    Select(kObjectHandle);
    Poly(kEmrPolyPolygon16, polygons);
    Select(kStockNullBrush);
    Record(kEmrDeleteObject, {kObjectHandle});
  }

  void Stroke(const std::vector<QPolygon>& polygons, const std::vector<bool>& closed,
              const TRecordPen& pen) override {
    Record(kEmrCreatePen, {kObjectHandle, pen.style, static_cast<uint32_t>(pen.width), 0, pen.color});
    Select(kStockNullBrush);
    Select(kObjectHandle);
    std::vector<QPolygon> shapes, lines;
    for (size_t i = 0; i < polygons.size(); ++i) (closed[i] ? shapes : lines).push_back(polygons[i]);
    if (!shapes.empty()) Poly(kEmrPolyPolygon16, shapes);
    if (!lines.empty()) Poly(kEmrPolyPolyline16, lines);
    Select(kStockNullPen);
    Record(kEmrDeleteObject, {kObjectHandle});
  }

  void Text(QPoint baseline, std::u16string_view text, const std::vector<int32_t>& dx,
            const TRecordFont& font, uint32_t color) override {
    Record(kEmrSetTextColor, {color});
    TBytes f;
    f.U32(kObjectHandle);
    f.I32(font.height), f.I32(0), f.I32(0), f.I32(0), f.I32(font.weight);
    f.Raw(std::string{static_cast<char>(font.italic), static_cast<char>(font.underline),
                      static_cast<char>(font.strike_out), static_cast<char>(font.charset), 0, 0, 0, 0});
    for (size_t i = 0; i < 32; ++i) f.U16(i < font.face.size() && i < 31 ? font.face[i] : 0);
    RecordBytes(kEmrExtCreateFontIndirectW, f);
    Select(kObjectHandle);

    const auto n = static_cast<uint32_t>(text.size());
    const uint32_t stringAt = 76;
    const uint32_t dxAt = stringAt + ((n * 2 + 3) / 4) * 4;
    TBytes t;
    const int32_t width = dx.empty() ? 0 : std::max<int32_t>(0, [&] {
      int64_t sum = 0;
      for (int32_t d : dx) sum += d;
      return static_cast<int32_t>(std::min<int64_t>(sum, INT32_MAX));
    }());
    t.I32(baseline.x()), t.I32(baseline.y() - std::abs(font.height)), t.I32(int64_t{baseline.x()} + width),
        t.I32(baseline.y() + std::abs(font.height) / 2);
    t.U32(1);            // compatible graphics mode
    t.U32(0), t.U32(0);  // scales, unused there
    t.I32(baseline.x()), t.I32(baseline.y());
    t.U32(n), t.U32(stringAt), t.U32(0);
    t.I32(0), t.I32(0), t.I32(-1), t.I32(-1);
    t.U32(dxAt);
    for (char16_t ch : text) t.U16(ch);
    t.PadTo(4);
    for (int32_t d : dx) t.I32(d);
    RecordBytes(kEmrExtTextOutW, t);
    Select(kStockSystemFont);
    Record(kEmrDeleteObject, {kObjectHandle});
  }

  void Picture(const QRect& dest, const QImage& image) override {
    const TRecordDib dib = DibOf(image);
    const auto headerSize = static_cast<uint32_t>(dib.header.size());
    const auto bitsSize = static_cast<uint32_t>(dib.bits.size());
    TBytes r;
    r.I32(dest.left()), r.I32(dest.top()), r.I32(dest.right()), r.I32(dest.bottom());
    r.I32(dest.left()), r.I32(dest.top()), r.I32(0), r.I32(0), r.I32(image.width()), r.I32(image.height());
    r.U32(80), r.U32(headerSize), r.U32(80 + headerSize), r.U32(bitsSize);
    r.U32(0), r.U32(cmSrcCopy), r.I32(dest.width()), r.I32(dest.height());
    r.Raw(dib.header), r.Raw(dib.bits);
    RecordBytes(kEmrStretchDIBits, r);
  }

  std::string Finish(QSize size) override {
    Record(kEmrEof, {0, 16, 20});
    // The same rounding as a metafile's size in pixels, so the size reads back unchanged.
    const int32_t mmW = MulDiv(size.width(), kMM100PerInch, kPixelsPerInch);
    const int32_t mmH = MulDiv(size.height(), kMM100PerInch, kPixelsPerInch);
    constexpr uint32_t headerSize = 108;
    TBytes h;
    h.U32(kEmrHeader), h.U32(headerSize);
    h.I32(0), h.I32(0), h.I32(size.width() - 1), h.I32(size.height() - 1);
    h.I32(0), h.I32(0), h.I32(mmW), h.I32(mmH);
    h.U32(0x464D4520), h.U32(0x10000);
    h.U32(static_cast<uint32_t>(headerSize + body_.Size()));
    h.U32(records_ + 1);
    h.U16(2), h.U16(0);  // handles: the reserved 0 and the one object
    h.U32(0), h.U32(0), h.U32(0);
    // A reference device of 960 x 960 pixels on 254 x 254 mm: 96 pixels per inch.
    h.U32(960), h.U32(960), h.U32(254), h.U32(254);
    h.U32(0), h.U32(0), h.U32(0);
    h.U32(254000), h.U32(254000);
    return h.Str() + body_.Str();
  }

 private:
  void Record(uint32_t type, std::initializer_list<uint32_t> fields) {
    body_.U32(type), body_.U32(static_cast<uint32_t>(8 + fields.size() * 4));
    for (uint32_t f : fields) body_.U32(f);
    ++records_;
  }
  void RecordBytes(uint32_t type, TBytes& fields) {
    fields.PadTo(4);
    body_.U32(type), body_.U32(static_cast<uint32_t>(8 + fields.Size()));
    body_.Raw(fields.Str());
    ++records_;
  }
  void Select(uint32_t handle) { Record(kEmrSelectObject, {handle}); }
  void ClipRect(uint32_t type, const QRect& r) {
    Record(type, {static_cast<uint32_t>(r.left()), static_cast<uint32_t>(r.top()),
                  static_cast<uint32_t>(r.left() + r.width()), static_cast<uint32_t>(r.top() + r.height())});
  }
  void Poly(uint32_t type, const std::vector<QPolygon>& polygons) {
    QRect bounds;
    uint32_t points = 0;
    for (const QPolygon& p : polygons) bounds |= p.boundingRect(), points += static_cast<uint32_t>(p.size());
    TBytes r;
    r.I32(bounds.left()), r.I32(bounds.top()), r.I32(bounds.right()), r.I32(bounds.bottom());
    r.U32(static_cast<uint32_t>(polygons.size())), r.U32(points);
    for (const QPolygon& p : polygons) r.U32(static_cast<uint32_t>(p.size()));
    for (const QPolygon& p : polygons)
      for (const QPoint& pt : p) r.I16(pt.x()), r.I16(pt.y());
    RecordBytes(type, r);
  }

  TBytes body_;
  uint32_t records_ = 0;
};

// ---------------------------------------------------------------------------------------
// Windows metafiles

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint8_t kAnsiCharset = 0;
constexpr uint32_t kMmAnisotropic = 8;

class TWmfWriter : public TRecordWriter {
 public:
  explicit TWmfWriter(QSize size) {
    // A window of the picture's size in pixels that readers stretch over the place they give
    // it, whether they go by the placeable header or, without one, by their own frame.
    Record(kMetaSetMapMode, {kMmAnisotropic});
    Record(kMetaSetWindowOrg, {0, 0});
    Record(kMetaSetWindowExt, {Word(size.height()), Word(size.width())});
    Record(kMetaSetBkMode, {TRANSPARENT});
    Record(kMetaSetTextAlign, {TA_BASELINE});
  }

  void BeginClip(const QRect& inside, const std::vector<QRect>& outside) override {
    Record(kMetaSaveDC, {});
    ClipRect(kMetaIntersectClipRect, inside);
    for (const QRect& r : outside) ClipRect(kMetaExcludeClipRect, r);
  }
  void EndClip() override { Record(kMetaRestoreDC, {0xFFFF}); }

  void Fill(const std::vector<QPolygon>& polygons, bool winding, const TRecordBrush& brush) override {
    Record(kMetaSetPolyFillMode, {winding ? 2u : 1u});
    WithObjects(TRecordPen{kPsNull, 0, 0}, brush, [&] { PolyPolygon(polygons); });
  }

  void Stroke(const std::vector<QPolygon>& polygons, const std::vector<bool>& closed,
              const TRecordPen& pen) override {
    WithObjects(pen, TRecordBrush{kBsNull, 0, 0}, [&] {
      std::vector<QPolygon> shapes;
      for (size_t i = 0; i < polygons.size(); ++i) {
        if (closed[i]) {
          shapes.push_back(polygons[i]);
          continue;
        }
        TBytes r;
        r.U16(static_cast<uint32_t>(polygons[i].size()));
        for (const QPoint& pt : polygons[i]) r.I16(pt.x()), r.I16(pt.y());
        RecordBytes(kMetaPolyline, r);
      }
      if (!shapes.empty()) PolyPolygon(shapes);
    });
  }

  void Text(QPoint baseline, std::u16string_view text, const std::vector<int32_t>& dx,
            const TRecordFont& font, uint32_t color) override {
    // Eight-bit text: Western text as such, anything else in the ANSI code page, which a
    // font of the default character set is read with.
    bool lost = false;
    std::string bytes = WideToMultiByte(1252, 0, text, nullptr, &lost);
    uint8_t charset = kAnsiCharset;
    if (lost) bytes = WideToMultiByte(CP_ACP, 0, text), charset = 1;
    // One advance per byte: a character written as several bytes keeps its advance on the first.
    std::vector<int32_t> byteDx;
    for (size_t i = 0; i < text.size() && byteDx.size() < bytes.size(); ++i) {
      const std::string one = WideToMultiByte(charset == kAnsiCharset ? 1252 : CP_ACP, 0, text.substr(i, 1));
      for (size_t k = 0; k < std::max<size_t>(one.size(), 1); ++k) byteDx.push_back(k == 0 ? dx[i] : 0);
    }
    byteDx.resize(bytes.size(), 0);

    Record(kMetaSetTextColor, {color & 0xFFFF, color >> 16});
    TBytes f;
    f.I16(font.height), f.I16(0), f.I16(0), f.I16(0), f.I16(font.weight);
    f.Raw(std::string{static_cast<char>(font.italic), static_cast<char>(font.underline),
                      static_cast<char>(font.strike_out), static_cast<char>(charset), 0, 0, 0, 0});
    std::string face = WideToMultiByte(1252, 0, font.face).substr(0, 31);
    face.resize(32, '\0');
    f.Raw(face);
    RecordBytes(kMetaCreateFontIndirect, f);
    Record(kMetaSelectObject, {0});
    TBytes t;
    t.I16(baseline.y()), t.I16(baseline.x()),
        t.U16(static_cast<uint32_t>(std::min<size_t>(bytes.size(), 0x7FFF)));
    t.U16(0);
    t.Raw(bytes.substr(0, 0x7FFF));
    t.PadTo(2);
    for (size_t i = 0; i < std::min<size_t>(byteDx.size(), 0x7FFF); ++i) t.I16(byteDx[i]);
    RecordBytes(kMetaExtTextOut, t);
    Record(kMetaDeleteObject, {0});
  }

  void Picture(const QRect& dest, const QImage& image) override {
    const TRecordDib dib = DibOf(image);
    TBytes r;
    r.U32(cmSrcCopy), r.U16(0);
    r.I16(image.height()), r.I16(image.width()), r.I16(0), r.I16(0);
    r.I16(dest.height()), r.I16(dest.width()), r.I16(dest.top()), r.I16(dest.left());
    r.Raw(dib.header), r.Raw(dib.bits);
    RecordBytes(kMetaStretchDib, r);
  }

  std::string Finish(QSize size) override {
    Record(kMetaEof, {});
    TBytes h;
    h.U16(1), h.U16(9), h.U16(0x0300);
    h.U32(static_cast<uint32_t>((18 + body_.Size()) / 2));
    h.U16(2);  // objects: a pen or font and a brush at most
    h.U32(max_record_words_), h.U16(0);
    TBytes placeable;
    placeable.U32(kPlaceableKey), placeable.U16(0);
    placeable.I16(0), placeable.I16(0), placeable.I16(size.width()), placeable.I16(size.height());
    placeable.U16(kPixelsPerInch), placeable.U32(0);
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2)
      sum ^= static_cast<uint16_t>(static_cast<uint8_t>(placeable.Str()[i]) |
                                   static_cast<uint8_t>(placeable.Str()[i + 1]) << 8);
    placeable.U16(sum);
    return placeable.Str() + h.Str() + body_.Str();
  }

 private:
  static uint32_t Word(int64_t v) {
    return static_cast<uint16_t>(static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767)));
  }

  void Record(uint16_t function, std::initializer_list<uint32_t> params) {
    TBytes r;
    for (uint32_t p : params) r.U16(p);
    RecordBytes(function, r);
  }
  void RecordBytes(uint16_t function, TBytes& params) {
    params.PadTo(2);
    const auto words = static_cast<uint32_t>(3 + params.Size() / 2);
    body_.U32(words), body_.U16(function), body_.Raw(params.Str());
    max_record_words_ = std::max(max_record_words_, words);
  }
  void ClipRect(uint16_t function, const QRect& r) {
    Record(function, {Word(r.top() + r.height()), Word(r.left() + r.width()), Word(r.top()), Word(r.left())});
  }
  /// Draws with a pen and a brush made for the call (object slots 0 and 1), then frees both.
  template <typename Draw>
  void WithObjects(const TRecordPen& pen, const TRecordBrush& brush, Draw draw) {
    Record(kMetaCreatePenIndirect, {pen.style, Word(pen.width), 0, pen.color & 0xFFFF, pen.color >> 16});
    Record(kMetaCreateBrushIndirect, {brush.style, brush.color & 0xFFFF, brush.color >> 16, brush.hatch});
    Record(kMetaSelectObject, {0});
    Record(kMetaSelectObject, {1});
    draw();
    Record(kMetaDeleteObject, {0});
    Record(kMetaDeleteObject, {1});
  }
  void PolyPolygon(const std::vector<QPolygon>& polygons) {
    TBytes r;
    r.U16(static_cast<uint32_t>(polygons.size()));
    for (const QPolygon& p : polygons) r.U16(static_cast<uint32_t>(p.size()));
    for (const QPolygon& p : polygons)
      for (const QPoint& pt : p) r.I16(pt.x()), r.I16(pt.y());
    RecordBytes(kMetaPolyPolygon, r);
  }

  TBytes body_;
  uint32_t max_record_words_ = 3;
};

// ---------------------------------------------------------------------------------------
// The paint engine

TRecordPen RecordPen(const QPen& pen, double scale) {
  TRecordPen p;
  switch (pen.style()) {
    case Qt::DashLine:
      p.style = kPsDash;
      break;
    case Qt::DotLine:
      p.style = kPsDot;
      break;
    case Qt::DashDotLine:
      p.style = kPsDashDot;
      break;
    case Qt::DashDotDotLine:
      p.style = kPsDashDotDot;
      break;
    default:
      p.style = kPsSolid;
  }
  p.width = std::max(1, static_cast<int>(std::lround(pen.widthF() * (pen.isCosmetic() ? 1.0 : scale))));
  p.color = ColorRef(pen.color());
  return p;
}

/// The record brush of a Qt brush; none for brushes the records cannot express as a fill
/// (then the figure is left unfilled rather than drawn in a wrong colour).
std::optional<TRecordBrush> RecordBrush(const QBrush& brush) {
  const uint32_t color = ColorRef(brush.color());
  switch (brush.style()) {
    case Qt::SolidPattern:
      return TRecordBrush{kBsSolid, color, 0};
    case Qt::HorPattern:
      return TRecordBrush{kBsHatched, color, 0};
    case Qt::VerPattern:
      return TRecordBrush{kBsHatched, color, 1};
    case Qt::FDiagPattern:
      return TRecordBrush{kBsHatched, color, 2};
    case Qt::BDiagPattern:
      return TRecordBrush{kBsHatched, color, 3};
    case Qt::CrossPattern:
      return TRecordBrush{kBsHatched, color, 4};
    case Qt::DiagCrossPattern:
      return TRecordBrush{kBsHatched, color, 5};
    default:
      return std::nullopt;
  }
}

class TRecordingEngine : public QPaintEngine {
 public:
  explicit TRecordingEngine(TRecordWriter& writer) : QPaintEngine(AllFeatures), writer_(writer) {}

  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  void updateState(const QPaintEngineState&) override {}
  Type type() const override { return User; }

  void drawPath(const QPainterPath& path) override {
    const QTransform t = painter()->combinedTransform();
    const QPainterPath device = t.map(path);
    Clipped([&] {
      if (const auto brush = RecordBrush(painter()->brush());
          brush && painter()->brush().style() != Qt::NoBrush) {
        std::vector<QPolygon> polygons;
        for (const QPolygonF& p : device.toSubpathPolygons()) polygons.push_back(p.toPolygon());
        if (!polygons.empty()) writer_.Fill(polygons, path.fillRule() == Qt::WindingFill, *brush);
      }
      StrokeSubpaths(device);
    });
  }

  void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points, points + count)));
    if (mode != PolylineMode) path.closeSubpath();
    path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    if (mode == PolylineMode) {
      const QPainterPath device = painter()->combinedTransform().map(path);
      Clipped([&] { StrokeSubpaths(device); });
      return;
    }
    drawPath(path);
  }
  void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override {
    std::vector<QPointF> f(points, points + count);
    drawPolygon(f.data(), count, mode);
  }

  void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override {
    drawImage(r, pm.toImage(), sr, Qt::AutoColor);
  }

  void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags) override {
    // Corners rounded to the nearest pixel: a picture scaled by nearly 1 keeps its size.
    const QRectF mapped = painter()->combinedTransform().mapRect(r);
    const QRect dest(
        QPoint(static_cast<int>(std::lround(mapped.left())), static_cast<int>(std::lround(mapped.top()))),
        QPoint(static_cast<int>(std::lround(mapped.right())) - 1,
               static_cast<int>(std::lround(mapped.bottom())) - 1));
    const QImage part = image.copy(sr.toAlignedRect());
    if (dest.isEmpty() || part.isNull()) return;
    // A metafile picture has no transparency: translucent pixels are laid over white, the
    // page the picture is meant for.
    QImage flat(part.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
      QPainter p(&flat);
      p.drawImage(0, 0, part);
    }
    Clipped([&] { writer_.Picture(dest, flat); });
  }

  void drawTextItem(const QPointF& p, const QTextItem& item) override {
    const QString text = item.text();
    if (text.isEmpty()) return;
    const QTransform t = painter()->combinedTransform();
    const double scale = std::hypot(t.m12(), t.m22());
    const QFont& font = item.font();
    TRecordFont f;
    const double pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * kPixelsPerInch / 72.0;
    f.height = -std::max(1, static_cast<int>(std::lround(pixels * scale)));
    f.weight = font.weight();
    f.italic = font.italic();
    f.underline = font.underline();
    f.strike_out = font.strikeOut();
    f.face = font.family().toStdU16String();
    // Advances as Qt lays the text out, rounded so that they add up to the whole width.
    const QFontMetricsF metrics(font);
    std::vector<int32_t> dx;
    double previous = 0;
    for (qsizetype i = 1; i <= text.size(); ++i) {
      const double x = metrics.horizontalAdvance(text.left(i)) * scale;
      dx.push_back(static_cast<int32_t>(std::lround(x) - std::lround(previous)));
      previous = x;
    }
    const QPoint at = t.map(p).toPoint();
    const uint32_t color = ColorRef(painter()->pen().color());
    Clipped([&] { writer_.Text(at, text.toStdU16String(), dx, f, color); });
  }

 private:
  void StrokeSubpaths(const QPainterPath& device) {
    const QPen& pen = painter()->pen();
    if (pen.style() == Qt::NoPen) return;
    const QTransform t = painter()->combinedTransform();
    std::vector<QPolygon> polygons;
    std::vector<bool> closed;
    for (const QPolygonF& p : device.toSubpathPolygons()) {
      if (p.size() < 2) continue;
      const bool isClosed = p.isClosed() && p.size() > 2;
      QPolygon points = p.toPolygon();
      if (isClosed) points.removeLast();
      polygons.push_back(points);
      closed.push_back(isClosed);
    }
    if (!polygons.empty()) writer_.Stroke(polygons, closed, RecordPen(pen, std::hypot(t.m11(), t.m21())));
  }

  /// Runs `draw` inside the painter's clipping, in device pixels.
  template <typename Draw>
  void Clipped(Draw draw) {
    if (!painter()->hasClipping()) {
      draw();
      return;
    }
    const QRegion region = painter()->combinedTransform().map(painter()->clipRegion());
    const QRect inside = region.boundingRect();
    const QRegion outside = QRegion(inside).subtracted(region);
    writer_.BeginClip(inside, std::vector<QRect>(outside.begin(), outside.end()));
    draw();
    writer_.EndClip();
  }

  TRecordWriter& writer_;
};

class TRecordingPaintDevice : public QPaintDevice {
 public:
  TRecordingPaintDevice(TRecordWriter& writer, QSize size) : engine_(writer), size_(size) {}
  QPaintEngine* paintEngine() const override { return &engine_; }

 protected:
  int metric(PaintDeviceMetric metric) const override {
    switch (metric) {
      case PdmWidth:
        return size_.width();
      case PdmHeight:
        return size_.height();
      case PdmWidthMM:
        return size_.width() * 254 / (kPixelsPerInch * 10);
      case PdmHeightMM:
        return size_.height() * 254 / (kPixelsPerInch * 10);
      case PdmNumColors:
        return INT_MAX;
      case PdmDepth:
        return 32;
      case PdmDpiX:
      case PdmDpiY:
      case PdmPhysicalDpiX:
      case PdmPhysicalDpiY:
        return kPixelsPerInch;
      case PdmDevicePixelRatio:
        return 1;
      case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
      default:
        return 0;
    }
  }

 private:
  mutable TRecordingEngine engine_;
  QSize size_;
};

}  // namespace

/// The recording target of a metafile canvas.
class TMetafileCanvasDevice : public TCanvasDevice {
 public:
  TMetafileCanvasDevice(bool enhanced, QSize size)
      : writer_(enhanced ? std::unique_ptr<TRecordWriter>(std::make_unique<TEmfWriter>())
                         : std::make_unique<TWmfWriter>(size)),
        device_(*writer_, size),
        size_(size) {}
  ~TMetafileCanvasDevice() override { EndPaint(); }

  QPainter* BeginPaint() override {
    if (size_.isEmpty()) return nullptr;
    if (!painter_.isActive() && !painter_.begin(&device_)) return nullptr;
    return &painter_;
  }
  void EndPaint() override {
    if (painter_.isActive()) painter_.end();
  }
  TSize Size() const override { return TSize{size_.width(), size_.height()}; }

  std::string Finish() {
    EndPaint();
    return writer_->Finish(size_);
  }

 private:
  std::unique_ptr<TRecordWriter> writer_;
  TRecordingPaintDevice device_;
  QSize size_;
  QPainter painter_;
};

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile)
    : TCanvas((EnsureGuiApplication(), std::make_unique<TMetafileCanvasDevice>(
                                           metafile.Enhanced(), QSize(metafile.Width(), metafile.Height())))),
      metafile_(metafile) {}

TMetafileCanvas::~TMetafileCanvas() {
  auto* device = static_cast<TMetafileCanvasDevice*>(TCanvasAccess::Device(*this));
  if (device->Size().cx <= 0 || device->Size().cy <= 0) return;
  try {
    TMemoryStream file;
    const std::string bytes = device->Finish();
    file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    file.SetPosition(0);
    metafile_.LoadFromStream(file);
  } catch (const Exception&) {
    // A recording too large for a metafile leaves an empty one, which its users see as
    // "nothing to write", rather than a picture that does not match what was drawn.
    metafile_.Assign(nullptr);
  }
}
