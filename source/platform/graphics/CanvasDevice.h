// Private to the platform layer: the Qt side of TCanvas. A TCanvasDevice is what a canvas
// draws on (a bitmap's image, an external QImage, a widget's painter); the helpers turn our
// colours, fonts and text into Qt's. Nothing above the platform layer includes this file.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <memory>
#include <string_view>

#include "platform/graphics/Canvas.h"

class TCanvasDevice {
 public:
  virtual ~TCanvasDevice() = default;
  /// An active painter on the target (begun on first use), or nullptr when it cannot paint.
  virtual QPainter* BeginPaint() = 0;
  /// Ends painting so that the target's pixels may be read or changed directly.
  virtual void EndPaint() = 0;
  virtual TSize Size() const = 0;
  /// The target's pixels, current after EndPaint; nullptr when the target has none to read.
  virtual const QImage* Image() { return nullptr; }
  /// Pixel access in device coordinates (the canvas has already ended painting).
  virtual TColor GetPixel(int32_t x, int32_t y);
  virtual void SetPixel(int32_t x, int32_t y, TColor color);
  virtual int PixelsPerInch() const { return 96; }
  virtual int BitsPerPixel() const { return 32; }
};

/// A device over a QImage owned elsewhere (it must outlive the canvas).
class TImageCanvasDevice : public TCanvasDevice {
 public:
  explicit TImageCanvasDevice(QImage* image) : image_(image) {}
  ~TImageCanvasDevice() override { EndPaint(); }
  QPainter* BeginPaint() override;
  void EndPaint() override;
  TSize Size() const override { return TSize{image_->width(), image_->height()}; }
  const QImage* Image() override { return image_; }

 private:
  QImage* image_;
  std::unique_ptr<QPainter> painter_;
};

/// A device over a painter that someone else begins and ends (a widget's paint event).
class TPainterCanvasDevice : public TCanvasDevice {
 public:
  TPainterCanvasDevice(QPainter* painter, TSize size) : painter_(painter), size_(size) {}
  QPainter* BeginPaint() override { return painter_; }
  void EndPaint() override {}
  TSize Size() const override { return size_; }
  void SetPainter(QPainter* painter, TSize size) {
    painter_ = painter;
    size_ = size;
  }

 private:
  QPainter* painter_;
  TSize size_;
};

/// Access to a canvas's device and to the drawing of Qt images for the graphic classes.
struct TCanvasAccess {
  static TCanvasDevice* Device(TCanvas& canvas);
  /// Draws `image` into `dest` (logical coordinates) with the canvas's origin and clip.
  static void DrawImage(TCanvas& canvas, const QImage& image, const TRect& dest);
  /// Ends painting on the canvas (before its target's pixels are read or replaced).
  static void EndPaint(TCanvas& canvas);
  /// The canvas's painter set up with its origin and clip, or nullptr without a target.
  static QPainter* Painter(TCanvas& canvas);
};

class TCustomImageList;
/// The pictures of an image list for the window layer.
struct TImageListAccess {
  /// Image `index` with its transparency; a null image for an index the list lacks.
  static QImage Image(const TCustomImageList& list, int index);
};

/// Makes sure a Qt GUI application object exists (fonts and text need one). The GUI layer
/// creates its own application object first; without one a headless one is made.
void EnsureGuiApplication();

/// What a raster operation (a TCopyMode code) lays on the target, and the painter mode that
/// combines it with what is there.
struct TRasterOp {
  enum class Paint { Source, Brush, Black, White, Nothing };
  Paint paint = Paint::Source;
  QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
};
/// The painter's side of `rop`; a code without a meaning of its own paints the brush, as
/// the pattern copy does.
TRasterOp RasterOpOf(uint32_t rop);

QColor ToQColor(TColor color);
TColor FromQRgb(QRgb rgb);
/// The Qt font for `font`: "MS Sans Serif" is the desktop's default user-interface font,
/// the size is the font's pixel height.
QFont ToQFont(const TFont& font);
/// 8-bit text in the code page of `charset` as Unicode.
QString DecodeCharsetText(std::string_view text, uint8_t charset);
QString FromUtf16(std::u16string_view text);
