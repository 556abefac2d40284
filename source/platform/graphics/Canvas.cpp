#include "platform/graphics/Canvas.h"

#include <QFontMetrics>
#include <QPainterPath>
#include <QPolygon>
#include <QRegion>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "platform/core/Exceptions.h"
#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/SystemColors.h"
#include "platform/graphics/TextWidths.h"

// ---------------------------------------------------------------------------------------
// Devices.

TColor TCanvasDevice::GetPixel(int32_t x, int32_t y) {
  const QImage* image = Image();
  if (image == nullptr || !image->valid(x, y)) return -1;
  return FromQRgb(image->pixel(x, y));
}

void TCanvasDevice::SetPixel(int32_t x, int32_t y, TColor color) {
  auto* image = const_cast<QImage*>(Image());
  if (image == nullptr || !image->valid(x, y)) return;
  image->setPixel(x, y, ToQColor(color).rgb());
}

QPainter* TImageCanvasDevice::BeginPaint() {
  if (image_->isNull()) return nullptr;
  if (!painter_) {
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(image_)) {
      painter_.reset();
      return nullptr;
    }
  }
  return painter_.get();
}

void TImageCanvasDevice::EndPaint() {
  if (painter_) {
    painter_->end();
    painter_.reset();
  }
}

// ---------------------------------------------------------------------------------------
// Canvas state.

namespace {

/// The plain fields of the device-context state: copied whole, whatever is added to them.
struct CanvasValues {
  TPoint pen_pos;
  TPoint origin;
  bool has_clip = false;
  QRegion clip;  // device coordinates
  uint32_t text_align = 0;
  int bk_mode = OPAQUE;
  TColor bk_color = clWhite;
  int32_t char_extra = 0;
  TCopyMode copy_mode = cmSrcCopy;
  int stretch_mode = BLACKONWHITE;
};

/// What SaveDC keeps and RestoreDC brings back. The pen, brush and font are assigned rather
/// than copied, so the canvas's own objects keep their change handlers; they come first, so
/// the values a change handler derives (the text background) are then overwritten by the
/// saved ones. A new plain field belongs in CanvasValues.
struct CanvasState : CanvasValues {
  TPen pen;
  TBrush brush;
  TFont font;

  CanvasState() = default;
  CanvasState(const CanvasState& other) : CanvasValues() { *this = other; }
  CanvasState& operator=(const CanvasState& other) {
    pen.Assign(other.pen);
    brush.Assign(other.brush);
    font.Assign(other.font);
    static_cast<CanvasValues&>(*this) = other;
    return *this;
  }
};

Qt::PenStyle ToQtPenStyle(TPenStyle style) {
  switch (style) {
    case psDash:
      return Qt::DashLine;
    case psDot:
      return Qt::DotLine;
    case psDashDot:
      return Qt::DashDotLine;
    case psDashDotDot:
      return Qt::DashDotDotLine;
    case psClear:
      return Qt::NoPen;
    default:
      return Qt::SolidLine;
  }
}

Qt::BrushStyle ToQtBrushStyle(TBrushStyle style) {
  switch (style) {
    case bsClear:
      return Qt::NoBrush;
    case bsHorizontal:
      return Qt::HorPattern;
    case bsVertical:
      return Qt::VerPattern;
    case bsFDiagonal:
      return Qt::FDiagPattern;
    case bsBDiagonal:
      return Qt::BDiagPattern;
    case bsCross:
      return Qt::CrossPattern;
    case bsDiagCross:
      return Qt::DiagCrossPattern;
    default:
      return Qt::SolidPattern;
  }
}

bool IsHatched(TBrushStyle style) {
  return style != bsSolid && style != bsClear;
}

QRect ToQRect(const TRect& r) {
  return QRect(r.Left, r.Top, r.Width(), r.Height());
}

/// Sets the painter's raster mode for a pen mode; false when nothing is to be drawn. `color`
/// becomes the colour to draw with (black and white modes replace it).
bool ApplyPenMode(QPainter* p, TPenMode mode, QColor& color) {
  QPainter::CompositionMode c = QPainter::CompositionMode_SourceOver;
  switch (mode) {
    case pmNop:
      return false;
    case pmBlack:
      color = Qt::black;
      break;
    case pmWhite:
      color = Qt::white;
      break;
    case pmNot:
      c = QPainter::RasterOp_NotDestination;
      break;
    case pmCopy:
      break;
    case pmNotCopy:
      c = QPainter::RasterOp_NotSource;
      break;
    case pmMergePenNot:
      c = QPainter::RasterOp_SourceOrNotDestination;
      break;
    case pmMaskPenNot:
      c = QPainter::RasterOp_SourceAndNotDestination;
      break;
    case pmMergeNotPen:
      c = QPainter::RasterOp_NotSourceOrDestination;
      break;
    case pmMaskNotPen:
      c = QPainter::RasterOp_NotSourceAndDestination;
      break;
    case pmMerge:
      c = QPainter::RasterOp_SourceOrDestination;
      break;
    case pmNotMerge:
      c = QPainter::RasterOp_NotSourceAndNotDestination;
      break;
    case pmMask:
      c = QPainter::RasterOp_SourceAndDestination;
      break;
    case pmNotMask:
      c = QPainter::RasterOp_NotSourceOrNotDestination;
      break;
    case pmXor:
      c = QPainter::RasterOp_SourceXorDestination;
      break;
    case pmNotXor:
      c = QPainter::RasterOp_NotSourceXorDestination;
      break;
  }
  p->setCompositionMode(c);
  return true;
}

/// Pixels of a one-pixel line from `from` up to, but not including, `to`, in drawing order.
/// Qt's own one-pixel lines leave out the first pixel instead of the last when drawn right to
/// left or bottom to top, so thin lines are set pixel by pixel here.
std::vector<QPoint> LinePixels(QPoint from, QPoint to) {
  std::vector<QPoint> pixels;
  int x = from.x();
  int y = from.y();
  const int dx = std::abs(to.x() - x);
  const int dy = -std::abs(to.y() - y);
  const int sx = to.x() > x ? 1 : -1;
  const int sy = to.y() > y ? 1 : -1;
  int err = dx + dy;
  pixels.reserve(static_cast<size_t>(std::max(dx, -dy)));
  while (x != to.x() || y != to.y()) {
    pixels.emplace_back(x, y);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
  return pixels;
}

/// On and off run lengths, in pixels, of the dash styles of one-pixel pens.
std::vector<int> DashPattern(TPenStyle style) {
  switch (style) {
    case psDash:
      return {4, 2};
    case psDot:
      return {1, 2};
    case psDashDot:
      return {4, 2, 1, 2};
    case psDashDotDot:
      return {4, 2, 1, 2, 1, 2};
    default:
      return {};
  }
}

/// Draws a one-pixel line without its last pixel with the painter's composition mode;
/// `phase` carries the dash pattern on from one segment of a polyline to the next.
void DrawThinLine(QPainter* p, QPoint from, QPoint to, const QColor& color, TPenStyle style, int& phase) {
  const std::vector<int> pattern = DashPattern(style);
  int period = 0;
  for (int n : pattern) period += n;
  auto visible = [&](int index) {
    if (period == 0) return true;
    int at = index % period;
    for (size_t i = 0; i < pattern.size(); ++i) {
      if (at < pattern[i]) return i % 2 == 0;
      at -= pattern[i];
    }
    return true;
  };
  // Consecutive visible pixels of one row or column are filled as one rectangle.
  const std::vector<QPoint> pixels = LinePixels(from, to);
  QRect run;
  for (const QPoint& pt : pixels) {
    const bool on = visible(phase++);
    if (!on) continue;
    const QRect px(pt, QSize(1, 1));
    if (!run.isNull()) {
      const QRect joined = run.united(px);
      if ((joined.width() == 1 || joined.height() == 1) &&
          joined.width() * joined.height() == run.width() * run.height() + 1) {
        run = joined;
        continue;
      }
      p->fillRect(run, color);
    }
    run = px;
  }
  if (!run.isNull()) p->fillRect(run, color);
  if (period != 0) phase %= period;
}

}  // namespace

struct TCanvas::Impl : CanvasState {
  std::unique_ptr<TCanvasDevice> device;
  std::vector<CanvasState> saved;

  bool font_valid = false;
  QFont qfont;
  int32_t qfont_extra = 0;
  std::shared_ptr<TTextWidths> widths;
  std::thread::id widths_thread;

  Impl() {
    // A solid brush gives text an opaque background of its colour; any other brush leaves
    // the background alone (a hatch keeps what lies between its lines).
    brush.OnChange = [this](TBrush& b) {
      const bool solid = b.Style() == bsSolid;
      bk_color = solid ? b.Color() : static_cast<TColor>(~ColorToRGB(b.Color()) & 0xFFFFFF);
      bk_mode = solid ? OPAQUE : TRANSPARENT;
    };
    font.OnChange = [this](TFont&) { font_valid = false; };
  }

  const QFont& Font() {
    if (!font_valid || qfont_extra != char_extra) {
      qfont = ToQFont(font);
      if (char_extra != 0) qfont.setLetterSpacing(QFont::AbsoluteSpacing, char_extra);
      qfont_extra = char_extra;
      font_valid = true;
      widths.reset();
    }
    return qfont;
  }

  /// The remembered widths of the current font; they belong to the thread that measures.
  TTextWidths& Widths() {
    const QFont& f = Font();
    if (!widths || widths_thread != std::this_thread::get_id()) {
      widths = TTextWidths::For(f);
      widths_thread = std::this_thread::get_id();
    }
    return *widths;
  }

  TSize DeviceSize() const { return device ? device->Size() : TSize{}; }

  /// The device painter set up with the origin and clip, plain source-over drawing and no
  /// smoothing of figures; nullptr when there is nothing to draw on.
  QPainter* Painter() {
    if (!device) return nullptr;
    QPainter* p = device->BeginPaint();
    if (p == nullptr) return nullptr;
    p->resetTransform();
    if (has_clip)
      p->setClipRegion(clip);
    else
      p->setClipping(false);
    p->setTransform(QTransform::fromTranslate(-origin.X, -origin.Y));
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->setRenderHint(QPainter::TextAntialiasing, true);
    p->setOpacity(1.0);
    return p;
  }

  /// Sets the pen of figures; false when the pen mode draws nothing.
  bool SetupPen(QPainter* p) {
    QColor color = ToQColor(pen.Color());
    if (!ApplyPenMode(p, pen.Mode(), color)) return false;
    if (pen.Style() == psClear) {
      p->setPen(Qt::NoPen);
    } else {
      QPen qpen(color);
      qpen.setWidth(std::max(1, pen.Width()));
      qpen.setStyle(pen.Width() > 1 && pen.Style() != psInsideFrame ? Qt::SolidLine
                                                                    : ToQtPenStyle(pen.Style()));
      qpen.setCapStyle(Qt::FlatCap);
      qpen.setJoinStyle(Qt::MiterJoin);
      p->setPen(qpen);
    }
    return true;
  }

  QBrush FigureBrush() const {
    if (brush.Style() == bsClear) return Qt::NoBrush;
    return QBrush(ToQColor(brush.Color()), ToQtBrushStyle(brush.Style()));
  }

  /// Fills the background of a hatched brush when the background mode is opaque.
  void FillHatchBackground(QPainter* p, const QPainterPath& path) {
    if (IsHatched(brush.Style()) && bk_mode == OPAQUE) p->fillPath(path, ToQColor(bk_color));
  }

  void DrawText(int32_t x, int32_t y, uint32_t options, const TRect* rect, const QString& text,
                const int32_t* dx);
  QString Decode(std::string_view text) { return DecodeCharsetText(text, font.Charset()); }
};

TCanvas::TCanvas() : impl_(std::make_unique<Impl>()) {}

TCanvas::TCanvas(std::unique_ptr<TCanvasDevice> device) : impl_(std::make_unique<Impl>()) {
  impl_->device = std::move(device);
}

TCanvas::~TCanvas() {
  if (impl_->device) impl_->device->EndPaint();
}

TPen& TCanvas::Pen() {
  return impl_->pen;
}
TBrush& TCanvas::Brush() {
  return impl_->brush;
}
TFont& TCanvas::Font() {
  return impl_->font;
}
TCopyMode TCanvas::CopyMode() const {
  return impl_->copy_mode;
}
void TCanvas::SetCopyMode(TCopyMode mode) {
  impl_->copy_mode = mode;
}
int TCanvas::SetStretchBltMode(int mode) {
  return std::exchange(impl_->stretch_mode, mode);
}
bool TCanvas::HasTarget() const {
  return impl_->device != nullptr;
}
TSize TCanvas::TargetSize() const {
  return impl_->DeviceSize();
}

int TCanvas::GetDeviceCaps(int index) const {
  const TCanvasDevice* d = impl_->device.get();
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
      return d ? d->PixelsPerInch() : 96;
    case HORZRES:
      return impl_->DeviceSize().cx;
    case VERTRES:
      return impl_->DeviceSize().cy;
    case BITSPIXEL:
      return d ? d->BitsPerPixel() : 32;
    case PLANES:
      return 1;
    default:
      return 0;
  }
}

void TCanvas::Flush() {
  if (impl_->device) impl_->device->EndPaint();
}

// ---------------------------------------------------------------------------------------
// Lines and figures.

TPoint TCanvas::PenPos() const {
  return impl_->pen_pos;
}
void TCanvas::SetPenPos(TPoint p) {
  impl_->pen_pos = p;
}
void TCanvas::MoveTo(int32_t x, int32_t y) {
  impl_->pen_pos = TPoint{x, y};
}

void TCanvas::LineTo(int32_t x, int32_t y) {
  const QPoint from(impl_->pen_pos.X, impl_->pen_pos.Y);
  const QPoint to(x, y);
  impl_->pen_pos = TPoint{x, y};
  if (from == to) return;
  QPainter* p = impl_->Painter();
  if (p == nullptr || !impl_->SetupPen(p) || impl_->pen.Style() == psClear) return;
  if (impl_->pen.Width() <= 1) {
    int phase = 0;
    DrawThinLine(p, from, to, p->pen().color(), impl_->pen.Style(), phase);
  } else {
    p->drawLine(from, to);
  }
}

void TCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  QPainter* p = impl_->Painter();
  if (p == nullptr) return;
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x2 - x1 < 2 || y2 - y1 < 2) {
    // Too small for an interior: the outline (or, without a pen, nothing) covers it.
    if (impl_->pen.Style() == psClear || x2 == x1 || y2 == y1) return;
    QColor color = ToQColor(impl_->pen.Color());
    if (!ApplyPenMode(p, impl_->pen.Mode(), color)) return;
    p->fillRect(QRect(x1, y1, x2 - x1, y2 - y1), color);
    return;
  }
  if (impl_->pen.Style() != psClear && impl_->pen.Width() <= 1) {
    // The brush fills the inside and the pen sets the border, each pixel once, so that
    // raster modes such as XOR or inversion touch every pixel of the figure exactly once.
    const QRect inside(x1 + 1, y1 + 1, x2 - x1 - 2, y2 - y1 - 2);
    QPainterPath path;
    path.addRect(inside);
    impl_->FillHatchBackground(p, path);
    if (!impl_->SetupPen(p)) return;
    const QBrush brush = impl_->FigureBrush();
    if (brush.style() != Qt::NoBrush && !inside.isEmpty()) p->fillRect(inside, brush);
    const QColor color = p->pen().color();
    const QPoint corners[] = {{x1, y1}, {x2 - 1, y1}, {x2 - 1, y2 - 1}, {x1, y2 - 1}};
    int phase = 0;
    for (size_t i = 0; i < 4; ++i)
      DrawThinLine(p, corners[i], corners[(i + 1) % 4], color, impl_->pen.Style(), phase);
    return;
  }
  // A filled rectangle covers r.size(); a wide pen's outline is centred on its edges (and
  // without a pen the fill alone stops at x2 - 2).
  const QRect r(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
  QPainterPath path;
  path.addRect(r);
  impl_->FillHatchBackground(p, path);
  if (!impl_->SetupPen(p)) return;
  p->setBrush(impl_->FigureBrush());
  p->drawRect(r);
}

void TCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  QPainter* p = impl_->Painter();
  if (p == nullptr) return;
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x2 - x1 < 2 || y2 - y1 < 2) return;
  const QRect r(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
  QPainterPath path;
  path.addEllipse(r);
  impl_->FillHatchBackground(p, path);
  if (!impl_->SetupPen(p)) return;
  p->setBrush(impl_->FigureBrush());
  p->drawEllipse(r);
}

void TCanvas::RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t w, int32_t h) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  // Corners can be no larger than the figure itself.
  w = std::min(std::abs(w), x2 - x1);
  h = std::min(std::abs(h), y2 - y1);
  if (w < 2 || h < 2) {
    Rectangle(x1, y1, x2, y2);
    return;
  }
  QPainter* p = impl_->Painter();
  if (p == nullptr) return;
  const QRectF r(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
  QPainterPath path;
  path.addRoundedRect(r, w / 2.0, h / 2.0);
  impl_->FillHatchBackground(p, path);
  if (!impl_->SetupPen(p)) return;
  p->setBrush(impl_->FigureBrush());
  p->drawPath(path);
}

void TCanvas::Polygon(std::span<const TPoint> points) {
  if (points.size() < 2) return;
  QPainter* p = impl_->Painter();
  if (p == nullptr) return;
  QPolygon poly;
  for (const TPoint& pt : points) poly << QPoint(pt.X, pt.Y);
  QPainterPath path;
  path.addPolygon(poly);
  path.setFillRule(Qt::OddEvenFill);
  impl_->FillHatchBackground(p, path);
  if (!impl_->SetupPen(p)) return;
  p->setBrush(impl_->FigureBrush());
  p->drawPolygon(poly, Qt::OddEvenFill);
}

void TCanvas::Polyline(std::span<const TPoint> points) {
  if (points.size() < 2) return;
  QPainter* p = impl_->Painter();
  if (p == nullptr || !impl_->SetupPen(p) || impl_->pen.Style() == psClear) return;
  const QColor color = p->pen().color();
  int phase = 0;
  for (size_t i = 1; i < points.size(); ++i) {
    const QPoint from(points[i - 1].X, points[i - 1].Y);
    const QPoint to(points[i].X, points[i].Y);
    if (from == to) continue;
    // Every segment leaves out its last pixel, which the next segment starts on.
    if (impl_->pen.Width() <= 1)
      DrawThinLine(p, from, to, color, impl_->pen.Style(), phase);
    else
      p->drawLine(from, to);
  }
}

void TCanvas::FillRect(const TRect& r) {
  if (r.IsEmpty() || impl_->brush.Style() == bsClear) return;
  QPainter* p = impl_->Painter();
  if (p == nullptr) return;
  const QRect q = ToQRect(r);
  if (IsHatched(impl_->brush.Style()) && impl_->bk_mode == OPAQUE) p->fillRect(q, ToQColor(impl_->bk_color));
  p->fillRect(q, QBrush(ToQColor(impl_->brush.Color()), ToQtBrushStyle(impl_->brush.Style())));
}

void TCanvas::FrameRect(const TRect& r) {
  if (r.IsEmpty() || impl_->brush.Style() == bsClear) return;
  QPainter* p = impl_->Painter();
  if (p == nullptr) return;
  const QColor c = ToQColor(impl_->brush.Color());
  const int w = r.Width();
  const int h = r.Height();
  p->fillRect(QRect(r.Left, r.Top, w, 1), c);
  p->fillRect(QRect(r.Left, r.Bottom - 1, w, 1), c);
  p->fillRect(QRect(r.Left, r.Top, 1, h), c);
  p->fillRect(QRect(r.Right - 1, r.Top, 1, h), c);
}

// ---------------------------------------------------------------------------------------
// Text.

void TCanvas::Impl::DrawText(int32_t x, int32_t y, uint32_t options, const TRect* rect, const QString& text,
                             const int32_t* dx) {
  QPainter* p = Painter();
  if (p == nullptr) return;
  const QFont& f = Font();
  QFont drawFont = f;
  if (dx != nullptr) drawFont.setLetterSpacing(QFont::AbsoluteSpacing, 0);
  const QFontMetrics fm(f);
  int width = 0;
  if (dx != nullptr) {
    for (qsizetype i = 0; i < text.size(); ++i) width += dx[i];
  } else {
    width = fm.horizontalAdvance(text);
  }
  int left = x;
  const uint32_t horizontal = text_align & TA_CENTER;
  if (horizontal == TA_CENTER)
    left = x - width / 2;
  else if (horizontal == TA_RIGHT)
    left = x - width;
  int baseline = y + fm.ascent();
  const uint32_t vertical = text_align & TA_BASELINE;
  if (vertical == TA_BASELINE)
    baseline = y;
  else if (vertical == TA_BOTTOM)
    baseline = y - fm.descent();

  if (rect != nullptr && (options & ETO_OPAQUE) != 0) p->fillRect(ToQRect(*rect), ToQColor(bk_color));
  if (rect != nullptr && (options & ETO_CLIPPED) != 0) {
    p->setClipRect(ToQRect(*rect), has_clip ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  if (bk_mode == OPAQUE && width > 0) {
    p->fillRect(QRect(left, baseline - fm.ascent(), width, fm.ascent() + fm.descent()), ToQColor(bk_color));
  }
  p->setFont(drawFont);
  p->setPen(ToQColor(font.Color()));
  // Shaped text is laid out in the canvas's reading direction, as GetCharacterPlacementW
  // places it.
  p->setLayoutDirection((text_align & TA_RTLREADING) != 0 ? Qt::RightToLeft : Qt::LeftToRight);
  if (dx == nullptr) {
    p->drawText(QPoint(left, baseline), text);
    return;
  }
  int pos = left;
  for (qsizetype i = 0; i < text.size(); ++i) {
    qsizetype len = 1;
    int advance = dx[i];
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      len = 2;
      advance += dx[i + 1];
    }
    p->drawText(QPoint(pos, baseline), text.mid(i, len));
    pos += advance;
    i += len - 1;
  }
}

void TCanvas::TextOut(int32_t x, int32_t y, std::string_view text) {
  const QString s = impl_->Decode(text);
  impl_->DrawText(x, y, 0, nullptr, s, nullptr);
  impl_->pen_pos = TPoint{x + TextExtent(text).cx, y};
}

void TCanvas::TextOutW(int32_t x, int32_t y, std::u16string_view text) {
  impl_->DrawText(x, y, 0, nullptr, FromUtf16(text), nullptr);
  impl_->pen_pos = TPoint{x + TextExtentW(text).cx, y};
}

void TCanvas::TextRect(const TRect& r, int32_t x, int32_t y, std::string_view text) {
  const uint32_t options = ETO_CLIPPED | (impl_->brush.Style() != bsClear ? ETO_OPAQUE : 0);
  ExtTextOut(x, y, options, &r, text);
}

void TCanvas::TextRectW(const TRect& r, int32_t x, int32_t y, std::u16string_view text) {
  const uint32_t options = ETO_CLIPPED | (impl_->brush.Style() != bsClear ? ETO_OPAQUE : 0);
  ExtTextOutW(x, y, options, &r, text);
}

void TCanvas::ExtTextOut(int32_t x, int32_t y, uint32_t options, const TRect* r, std::string_view text,
                         const int32_t* dx) {
  const QString s = impl_->Decode(text);
  // Explicit advances are given per byte; they are dropped when a character took two bytes.
  if (dx != nullptr && static_cast<size_t>(s.size()) != text.size()) dx = nullptr;
  impl_->DrawText(x, y, options, r, s, dx);
}

void TCanvas::ExtTextOutW(int32_t x, int32_t y, uint32_t options, const TRect* r, std::u16string_view text,
                          const int32_t* dx) {
  impl_->DrawText(x, y, options, r, FromUtf16(text), dx);
}

namespace {

TSize Extent(const QFont& font, const QString& text) {
  const QFontMetrics fm(font);
  return TSize{fm.horizontalAdvance(text), fm.ascent() + fm.descent()};
}

/// Extents of every prefix of `text` (entry i: the first i + 1 characters).
std::vector<int32_t> PrefixExtents(const QFont& font, const QString& text) {
  std::vector<int32_t> widths(static_cast<size_t>(text.size()));
  if (text.isEmpty()) return widths;
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  line.setLineWidth(1e9);
  layout.endLayout();
  const QFontMetrics fm(font);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const int end = static_cast<int>(i + 1);
    widths[static_cast<size_t>(i)] = static_cast<int32_t>(std::lround(line.cursorToX(end)));
  }
  // The whole text measures as TextExtent does.
  widths.back() = fm.horizontalAdvance(text);
  for (size_t i = 1; i < widths.size(); ++i) widths[i] = std::max(widths[i], widths[i - 1]);
  return widths;
}

TSize ExtentEx(const QFont& font, const QString& text, int32_t maxExtent, int32_t* fit,
               std::vector<int32_t>* widths) {
  const std::vector<int32_t> prefix = PrefixExtents(font, text);
  if (fit != nullptr) {
    int32_t n = 0;
    while (n < static_cast<int32_t>(prefix.size()) && prefix[static_cast<size_t>(n)] <= maxExtent) ++n;
    *fit = n;
  }
  if (widths != nullptr) *widths = prefix;
  const QFontMetrics fm(font);
  return TSize{prefix.empty() ? 0 : prefix.back(), fm.ascent() + fm.descent()};
}

}  // namespace

TSize TCanvas::TextExtent(std::string_view text) {
  return Extent(impl_->Font(), impl_->Decode(text));
}

TSize TCanvas::TextExtentW(std::u16string_view text) {
  TTextWidths& widths = impl_->Widths();
  return TSize{widths.Width(text), widths.Height()};
}

TSize TCanvas::GetTextExtentExPoint(std::string_view text, int32_t maxExtent, int32_t* fit,
                                    std::vector<int32_t>* widths) {
  const QString s = impl_->Decode(text);
  if (static_cast<size_t>(s.size()) == text.size()) return ExtentEx(impl_->Font(), s, maxExtent, fit, widths);
  // Double-byte text: measure byte prefixes that end on a character boundary; a lead
  // byte gets the extent of the characters before it.
  std::vector<int32_t> byteWidths(text.size());
  const QFont& font = impl_->Font();
  int32_t nFit = 0;
  int32_t last = 0;
  for (size_t i = 1; i <= text.size(); ++i) {
    const QString part = impl_->Decode(text.substr(0, i));
    const QString wholePart = impl_->Decode(text.substr(0, std::min(text.size(), i + 1)));
    const bool boundary = i == text.size() || wholePart.size() > part.size();
    if (boundary) last = Extent(font, part).cx;
    byteWidths[i - 1] = last;
    if (last <= maxExtent) nFit = static_cast<int32_t>(i);
  }
  if (fit != nullptr) *fit = nFit;
  if (widths != nullptr) *widths = byteWidths;
  return TSize{last, Extent(font, QString()).cy};
}

TSize TCanvas::GetTextExtentExPointW(std::u16string_view text, int32_t maxExtent, int32_t* fit,
                                     std::vector<int32_t>* widths) {
  return ExtentEx(impl_->Font(), FromUtf16(text), maxExtent, fit, widths);
}

bool TCanvas::GetTextMetrics(TTextMetric& tm) {
  const QFont& f = impl_->Font();
  const QFontMetrics fm(f);
  tm = TTextMetric{};
  tm.tmAscent = fm.ascent();
  tm.tmDescent = fm.descent();
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - f.pixelSize());
  tm.tmExternalLeading = std::max(0, fm.leading());
  tm.tmAveCharWidth = fm.averageCharWidth();
  tm.tmMaxCharWidth = fm.maxWidth();
  const TFontStyles style = impl_->font.Style();
  tm.tmWeight = style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  tm.tmItalic = style.Contains(fsItalic);
  tm.tmUnderlined = style.Contains(fsUnderline);
  tm.tmStruckOut = style.Contains(fsStrikeOut);
  // Bit 0 set means a proportional face (the flag's historical sense).
  tm.tmPitchAndFamily = QFontInfo(f).fixedPitch() ? 0 : 1;
  tm.tmCharSet = impl_->font.Charset();
  return true;
}

bool TCanvas::GetOutlineTextMetrics(TOutlineTextMetric& otm) {
  GetTextMetrics(otm.otmTextMetrics);
  const QFontMetrics fm(impl_->Font());
  const int line = std::max(1, fm.lineWidth());
  otm.otmsUnderscoreSize = line;
  otm.otmsUnderscorePosition = -fm.underlinePos();
  otm.otmsStrikeoutSize = line;
  otm.otmsStrikeoutPosition = fm.strikeOutPos();
  return true;
}

namespace {

/// A stretch of characters of one direction, laid out alone: shaped (letters that join take
/// the room the shaper gives them), starting at x = 0.
struct TShapedRun {
  TShapedRun(const QString& text, const QFont& font, bool rightToLeft) : layout(text, font) {
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
    option.setTextDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    line = layout.createLine();
    line.setLineWidth(1e9);
    layout.endLayout();
    left = line.naturalTextRect().left();
  }
  /// Where the caret before character `pos` of the run stands, rounded to a pixel.
  int32_t CaretX(int pos) const { return static_cast<int32_t>(std::lround(line.cursorToX(pos) - left)); }

  QTextLayout layout;
  QTextLine line;
  double left = 0;
};

/// The direction of each character of `s` (true: right to left) as a line of the given base
/// direction shows it: letters have their own; the characters between letters (spaces,
/// punctuation) take the direction of the letters on both sides when they agree, else the
/// base direction, which also stands in for a missing side at the text's ends.
std::vector<bool> CharacterDirections(const QString& s, bool rightToLeftBase) {
  const qsizetype n = s.size();
  auto strong = [&](qsizetype i) -> int {  // 1 right to left, 0 left to right, -1 neither
    const QChar::Direction d = s[i].direction();
    if (d == QChar::DirR || d == QChar::DirAL) return 1;
    if (d == QChar::DirL || d == QChar::DirEN || d == QChar::DirAN) return 0;
    return -1;
  };
  std::vector<bool> rtl(static_cast<size_t>(n), rightToLeftBase);
  for (qsizetype i = 0; i < n;) {
    if (const int d = strong(i); d >= 0) {
      rtl[static_cast<size_t>(i++)] = d == 1;
      continue;
    }
    qsizetype end = i;
    while (end < n && strong(end) < 0) ++end;
    const int before = i > 0 ? strong(i - 1) : rightToLeftBase;
    const int after = end < n ? strong(end) : rightToLeftBase;
    for (qsizetype k = i; k < end; ++k)
      rtl[static_cast<size_t>(k)] = before == after ? before == 1 : rightToLeftBase;
    i = end;
  }
  return rtl;
}

}  // namespace

bool TCanvas::GetCharacterPlacementW(std::u16string_view text, TCharacterPlacement& placement) {
  // The cells are those of the shaped glyphs. Each run of one direction is shaped on its own
  // (letters do not join across a change of direction); a character's cell runs from the
  // caret before it to the caret after it (inside a ligature the shaper divides the glyph).
  // The runs follow each other in logical order in a left-to-right line and in reverse order
  // in a right-to-left one, as the canvas draws them.
  const QString s = FromUtf16(text);
  const int n = static_cast<int>(text.size());
  placement = TCharacterPlacement{};
  placement.Classes.assign(static_cast<size_t>(n), 0);
  placement.Order.assign(static_cast<size_t>(n), 0);
  placement.Dx.assign(static_cast<size_t>(n), 0);
  const bool rightToLeft = (impl_->text_align & TA_RTLREADING) != 0;
  const std::vector<bool> rtl = CharacterDirections(s, rightToLeft);
  struct TRun {
    int First, End;
  };
  std::vector<TRun> runs;
  for (int i = 0; i < n;) {
    int end = i + 1;
    while (end < n && rtl[static_cast<size_t>(end)] == rtl[static_cast<size_t>(i)]) ++end;
    runs.push_back(TRun{i, end});
    i = end;
  }
  if (rightToLeft) std::reverse(runs.begin(), runs.end());
  uint32_t visual = 0;
  for (const TRun& run : runs) {
    const bool runRtl = rtl[static_cast<size_t>(run.First)];
    const TShapedRun shaped(s.mid(run.First, run.End - run.First), impl_->Font(), runRtl);
    const int length = run.End - run.First;
    // Caret positions of the run from its visual left end: before its first character on the
    // right for a right-to-left run.
    std::vector<int32_t> carets(static_cast<size_t>(length) + 1);
    for (int k = 0; k <= length; ++k) carets[static_cast<size_t>(k)] = shaped.CaretX(k);
    for (int v = 0; v < length; ++v) {
      const int k = runRtl ? length - 1 - v : v;
      const int32_t a = carets[static_cast<size_t>(k)], b = carets[static_cast<size_t>(k) + 1];
      const size_t logical = static_cast<size_t>(run.First + k);
      placement.Order[logical] = visual;
      placement.Dx[visual++] = std::abs(b - a);
      if (runRtl) placement.Classes[logical] = 2;
    }
  }
  return true;
}

uint32_t TCanvas::GetTextAlign() const {
  return impl_->text_align;
}
uint32_t TCanvas::SetTextAlign(uint32_t flags) {
  return std::exchange(impl_->text_align, flags);
}
int TCanvas::GetBkMode() const {
  return impl_->bk_mode;
}
int TCanvas::SetBkMode(int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  return std::exchange(impl_->bk_mode, mode);
}
TColor TCanvas::GetBkColor() const {
  return impl_->bk_color;
}
TColor TCanvas::SetBkColor(TColor color) {
  return std::exchange(impl_->bk_color, color);
}
int32_t TCanvas::GetTextCharacterExtra() const {
  return impl_->char_extra;
}
int32_t TCanvas::SetTextCharacterExtra(int32_t extra) {
  return std::exchange(impl_->char_extra, extra);
}

// ---------------------------------------------------------------------------------------
// Pictures and pixels.

void TCanvas::Draw(int32_t x, int32_t y, TGraphic* graphic) {
  if (graphic == nullptr || graphic->Empty()) return;
  graphic->Draw(*this, Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
  if (graphic == nullptr || graphic->Empty()) return;
  graphic->Draw(*this, r);
}

void TCanvas::DrawIndexed(const TRect& r, const TIndexedPixels& pixels) {
  if (r.IsEmpty() || pixels.Pixels == nullptr || pixels.Width <= 0 || pixels.Height <= 0) return;
  QPainter* p = impl_->Painter();
  if (p == nullptr) return;
  std::array<QRgb, 256> table;
  for (size_t i = 0; i < table.size(); ++i) {
    const TRGBQuad c = i < pixels.Colors.size() ? pixels.Colors[i] : TRGBQuad{};
    table[i] = qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue);
  }
  const bool transparent = pixels.TransparentIndex >= 0 && pixels.TransparentIndex < 256;
  if (transparent) table[static_cast<size_t>(pixels.TransparentIndex)] = 0;  // premultiplied: nothing
  // The painter only ever translates, so bands drawn at their own size meet exactly.
  const bool ownSize = r.Width() == pixels.Width && r.Height() == pixels.Height;
  constexpr int64_t kBandPixels = 1 << 20;
  const int32_t band =
      ownSize ? static_cast<int32_t>(std::clamp<int64_t>(kBandPixels / pixels.Width, 1, pixels.Height))
              : pixels.Height;
  QImage image(pixels.Width, band, transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  if (image.isNull()) throw EOutOfResources("Out of system resources");
  for (int32_t top = 0; top < pixels.Height; top += band) {
    const int32_t rows = std::min(band, pixels.Height - top);
    for (int32_t y = 0; y < rows; ++y) {
      const uint8_t* in = pixels.Pixels + pixels.Stride * (top + y);
      auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int32_t x = 0; x < pixels.Width; ++x) out[x] = table[in[x]];
    }
    if (ownSize)
      p->drawImage(QPoint(r.Left, r.Top + top), image, QRect(0, 0, pixels.Width, rows));
    else
      p->drawImage(ToQRect(r), image);
  }
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
  if (dest.IsEmpty() || sourceRect.IsEmpty()) return;
  const TRasterOp op = RasterOpOf(impl_->copy_mode);
  if (op.paint == TRasterOp::Paint::Nothing) return;
  QImage copy;
  if (op.paint == TRasterOp::Paint::Source) {
    if (!source.impl_->device) return;
    source.Flush();
    const QImage* image = source.impl_->device->Image();
    if (image == nullptr) return;
    // Source rectangle in the source's device coordinates.
    const QRect src = ToQRect(sourceRect).translated(-source.impl_->origin.X, -source.impl_->origin.Y);
    copy = image->copy(src).convertToFormat(QImage::Format_RGB32);
    // Halftone stretching averages the source pixels under each target pixel.
    if (impl_->stretch_mode == HALFTONE && copy.size() != QSize(dest.Width(), dest.Height()))
      copy = copy.scaled(dest.Width(), dest.Height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  QPainter* p = impl_->Painter();
  if (p == nullptr) return;
  const QRect d = ToQRect(dest);
  p->setCompositionMode(op.mode);
  switch (op.paint) {
    case TRasterOp::Paint::Source:
      p->drawImage(d, copy);
      break;
    case TRasterOp::Paint::Brush:
      p->fillRect(d, impl_->FigureBrush());
      break;
    case TRasterOp::Paint::Black:
      p->fillRect(d, Qt::black);
      break;
    case TRasterOp::Paint::White:
      p->fillRect(d, Qt::white);
      break;
    case TRasterOp::Paint::Nothing:
      break;
  }
}

TColor TCanvas::Pixel(int32_t x, int32_t y) {
  if (!impl_->device) return -1;
  impl_->device->EndPaint();
  const int32_t dx = x - impl_->origin.X;
  const int32_t dy = y - impl_->origin.Y;
  if (impl_->has_clip && !impl_->clip.contains(QPoint(dx, dy))) return -1;
  return impl_->device->GetPixel(dx, dy);
}

void TCanvas::SetPixel(int32_t x, int32_t y, TColor color) {
  if (!impl_->device) return;
  impl_->device->EndPaint();
  const int32_t dx = x - impl_->origin.X;
  const int32_t dy = y - impl_->origin.Y;
  if (impl_->has_clip && !impl_->clip.contains(QPoint(dx, dy))) return;
  impl_->device->SetPixel(dx, dy, color);
}

// ---------------------------------------------------------------------------------------
// Coordinates, clipping and saved states.

TPoint TCanvas::GetWindowOrg() const {
  return impl_->origin;
}

TPoint TCanvas::SetWindowOrg(int32_t x, int32_t y) {
  return std::exchange(impl_->origin, TPoint{x, y});
}

void TCanvas::MoveWindowOrg(int32_t dx, int32_t dy) {
  impl_->origin.X += dx;
  impl_->origin.Y += dy;
}

TRect TCanvas::ClipRect() const {
  QRect r;
  if (impl_->has_clip) {
    r = impl_->clip.boundingRect();
  } else {
    const TSize s = impl_->DeviceSize();
    r = QRect(0, 0, s.cx, s.cy);
  }
  r.translate(impl_->origin.X, impl_->origin.Y);
  return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

void TCanvas::IntersectClipRect(const TRect& r) {
  const QRegion region(ToQRect(r).translated(-impl_->origin.X, -impl_->origin.Y));
  impl_->clip = impl_->has_clip ? impl_->clip.intersected(region) : region;
  impl_->has_clip = true;
}

void TCanvas::ExcludeClipRect(const TRect& r) {
  const QRegion region(ToQRect(r).translated(-impl_->origin.X, -impl_->origin.Y));
  if (!impl_->has_clip) {
    const TSize s = impl_->DeviceSize();
    impl_->clip = QRegion(0, 0, s.cx, s.cy);
  }
  impl_->clip = impl_->clip.subtracted(region);
  impl_->has_clip = true;
}

void TCanvas::SelectClipRect(const TRect& r) {
  impl_->clip = QRegion(ToQRect(r).translated(-impl_->origin.X, -impl_->origin.Y));
  impl_->has_clip = true;
}

void TCanvas::ResetClip() {
  impl_->has_clip = false;
  impl_->clip = QRegion();
}

bool TCanvas::HasClip() const {
  return impl_->has_clip;
}

int TCanvas::SaveDC() {
  impl_->saved.emplace_back(*impl_);
  return static_cast<int>(impl_->saved.size());
}

bool TCanvas::RestoreDC(int level) {
  auto& saved = impl_->saved;
  if (level < 0) level = static_cast<int>(saved.size()) + 1 + level;
  if (level < 1 || level > static_cast<int>(saved.size())) return false;
  static_cast<CanvasState&>(*impl_) = saved[static_cast<size_t>(level - 1)];
  saved.resize(static_cast<size_t>(level - 1));
  return true;
}

// ---------------------------------------------------------------------------------------
// Access for the graphic classes.

TCanvasDevice* TCanvasAccess::Device(TCanvas& canvas) {
  return canvas.impl_->device.get();
}

void TCanvasAccess::DrawImage(TCanvas& canvas, const QImage& image, const TRect& dest) {
  if (dest.IsEmpty() || image.isNull()) return;
  QPainter* p = canvas.impl_->Painter();
  if (p == nullptr) return;
  p->drawImage(ToQRect(dest), image);
}

QPainter* TCanvasAccess::Painter(TCanvas& canvas) {
  return canvas.impl_->Painter();
}

void TCanvasAccess::EndPaint(TCanvas& canvas) {
  canvas.Flush();
}
