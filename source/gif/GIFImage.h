// TGIFImage: a GIF file (87a or 89a) as a picture. It reads the file into a header and a
// list of frames, each with its extensions and its pixels as colour indices, draws the first
// frame (transparent, stretched or tiled) or, in a window, plays the animation through a
// painter (GIFPainter.h), and goes through the clipboard. Registered by the class name
// "TGIFImage".
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gif/GIFExtensions.h"
#include "gif/GIFItems.h"
#include "gif/GIFPainter.h"
#include "platform/core/ThreadPriority.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"

// Draw options.
constexpr uint16_t doAsynchronous = 0x0001;
constexpr uint16_t doTransparent = 0x0002;
constexpr uint16_t doAnimate = 0x0004;
constexpr uint16_t doLoop = 0x0008;
constexpr uint16_t doLoopForever = 0x0010;
constexpr uint16_t doValidateCanvas = 0x0020;
constexpr uint16_t doDirectDraw = 0x0040;
constexpr uint16_t doClearOnLoop = 0x0080;
constexpr uint16_t doTile = 0x0100;
constexpr uint16_t doDitherToWebPalette = 0x0200;
constexpr uint16_t doDitherOnPaletteDeviceOnly = 0x0400;
constexpr uint16_t kGIFDefaultDrawOptions = 0x060F;

/// A frame holds at most this many pixels ("Image is too large").
constexpr int64_t kGIFMaxFramePixels = 100'000'000;
/// Raises "Image is too large" for a frame of more than kGIFMaxFramePixels pixels.
void CheckGIFFrameSize(int64_t width, int64_t height);

/// Process-wide settings of the GIF library, both off by default.
/// Each frame builds its rendering as soon as it is decoded, and the load progress asks for
/// an immediate redraw.
extern bool GIFImageRenderOnLoad;
/// Writing a picture into component data first optimises it with every option
/// (Optimize(31, 0, ...)).
extern bool GIFImageOptimizeOnStream;
/// Whether the screen shows colours through a palette (8 bits per pixel or fewer); the
/// screens this program draws on are true colour.
extern bool GIFScreenIsPaletteDevice;

/// One frame: its extensions, descriptor, local colour table and pixels (one colour index
/// per pixel, row by row).
class TGIFSubImage : public TGIFItem {
 public:
  explicit TGIFSubImage(TGIFImage* image);
  ~TGIFSubImage() override;
  std::string ClassName() const override { return "TGIFSubImage"; }

  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  /// Each setter keeps the other three values (see SetBounds).
  void SetLeft(int32_t value) { SetBounds(value, top_, width_, height_); }
  void SetTop(int32_t value) { SetBounds(left_, value, width_, height_); }
  void SetWidth(int32_t value) { SetBounds(left_, top_, value, height_); }
  void SetHeight(int32_t value) { SetBounds(left_, top_, width_, value); }
  /// Stores the position and size; a new size frees the rendering and the pixels and
  /// allocates new ones, all 0 (refused as "Image is too large" above 16384 x 16384 or 100
  /// million pixels). The image's logical screen grows to hold the frame, with the warnings
  /// "Image width too small for contained frames" or "Image height too small for contained
  /// frames", then "Image exceeds Logical Screen size", when it had a size.
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  /// Where the frame lands when the logical screen `screen` is drawn stretched into `rect`.
  TRect TargetRect(const TRect& rect, const TSize& screen) const;
  bool Interlaced() const { return packed_ & 0x40; }
  bool Empty() const { return data_.empty() || width_ == 0 || height_ == 0; }
  /// The minimum code size of the frame's image data (0 before it was read).
  int CodeSize() const { return code_size_; }

  TGIFColorMap& ColorMap() { return color_map_; }
  /// The global table when the local one is empty and the global one is not.
  TGIFColorMap& EffectiveColorMap();
  const std::vector<std::unique_ptr<TGIFExtension>>& Extensions() const { return extensions_; }
  /// The first graphic control extension of the frame; nullptr when none.
  TGIFGraphicControlExtension* GraphicControlExtension() const { return graphic_control_; }
  /// Set only by the linked graphic control extension.
  bool Transparent() const { return transparent_; }
  TGIFVersion GetVersion() const override;

  /// Raises "Invalid pixel coordinates" outside the frame.
  uint8_t Pixels(int32_t x, int32_t y) const;
  /// Row `y`; raises "Image is empty" or "Invalid pixel coordinates".
  const uint8_t* Scanline(int32_t y) const;

  /// Leading extensions, descriptor, local table and pixels.
  void LoadFromStream(TStream& stream) override;
  /// The extensions, then, unless the frame is empty, the descriptor (its packed field
  /// recomputed), the local table and the compressed pixels.
  void SaveToStream(TStream& stream) override;
  void Clear();
  /// Makes this frame from a bitmap: 1, 4 and 8-bit pixels with their colour table are taken
  /// as they are; other formats are first reduced by the image's ColorReduction, DitherMode
  /// and ReductionBits (without reduction, the frame collects up to 256 distinct colours).
  /// An empty bitmap leaves the frame empty. The import reports the image's progress as
  /// "Converting...".
  /// A transparent bitmap also brings its mask: its pixels of the transparent colour get
  /// a new black entry of the local table, and the frame a transparent graphic control
  /// extension with that index (not when the table is empty or full).
  void AssignBitmap(const TBitmap& source);
  /// Makes this frame a copy of `source`: extensions, descriptor, colour table and pixels.
  void Assign(const TGIFSubImage& source);
  /// Makes this frame from another frame (Assign above), a picture (AssignGraphic) or the
  /// picture a TPicture holds; nil clears. Anything else raises the conversion error.
  void Assign(const TPersistent* source) override;
  /// Makes this frame from any picture: a bitmap through AssignBitmap; an icon or a metafile
  /// drawn on a 24-bit bitmap, then the icon's mask, or the metafile's untouched pixels (those
  /// that differ when it is drawn on white and on black), made the transparent colour; any
  /// other picture through a bitmap assigned from it. An empty picture leaves the frame empty.
  void AssignGraphic(const TGraphic& source);
  /// The frame's palette: the rendering's when there is one; else the palette set on the
  /// frame; else the web palette when the image renders on it, the image's palette
  /// (GetPalette) when the frame has no colour table of its own, else its own table's.
  std::vector<TPaletteEntry> Palette();
  /// Sets the colours the frame is rendered and drawn with (empty: those of its tables).
  /// A palette other than the rendering's frees the rendering and reports the image changed.
  void SetPalette(const std::vector<TPaletteEntry>& palette);
  /// A TBitmap gets the frame's rendering (emptied for an empty frame); other targets as
  /// the base class.
  void AssignTo(TPersistent* dest) const override;

  /// Writable pixels of row `y`; the same checks as Scanline. Frees the rendering.
  uint8_t* MutableScanline(int32_t y);
  /// The frame's graphic control extension, created (first in the list) when missing.
  TGIFGraphicControlExtension& EnsureGraphicControl();
  /// Removes and frees one of the frame's extensions.
  void DeleteExtension(const TGIFExtension* extension);
  /// Re-reads transparency from the graphic control extension and frees the rendering.
  void GraphicControlChanged();
  /// Shrinks a non-empty transparent frame to the box of its non-transparent pixels; a
  /// frame with none is cleared.
  void Crop();
  /// Makes pixels transparent that look the same as the `previous` frame's pixels under
  /// them (see the implementation for when nothing is done).
  void Merge(TGIFSubImage& previous);

  /// The frame rendered as an 8-bit bitmap with the frame's colours (a grey ramp when the
  /// frame has no colour table); built once, reporting the image's progress as
  /// "Rendering...". nullptr for an empty frame.
  TBitmap* Bitmap();
  /// Whether the frame is transparent and its transparent index occurs in its pixels.
  bool HasMask();
  /// Draws the frame scaled from the logical screen `screen` into `rect`, or tiled at its
  /// own size; transparent pixels are left out when asked and the frame has any.
  void Draw(TCanvas& canvas, const TRect& rect, const TSize& screen, bool transparent, bool tile);

 private:
  friend class TGIFColorMap;
  friend class TGIFImage;
  void LinkGraphicControl();
  void FreeRendering();
  /// The pixels and colour table of a 1, 4, 8 or 24-bit bitmap of the frame's size.
  void ImportPixels(TBitmap& bitmap);
  void ImportMask(const TBitmap& source);
  /// Runs `work` between the image's starting and ending progress reports of `message`; the
  /// ending asks for a redraw when `redraw`.
  void Reported(const char* message, bool redraw, const std::function<void()>& work);
  /// Reports the progress of `message` at every 32nd row.
  void RowProgress(const char* message, int32_t row);
  /// Marks the pixels where `transparent` holds with a new black entry of the local table
  /// and a transparent graphic control extension (not when the table is empty or full).
  void ImportTransparency(const std::function<bool(int32_t x, int32_t y)>& transparent);
  /// Stores the bounds without touching the pixels.
  void StoreBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  /// Stores the bounds as a file or another frame gives them: the logical screen is kept as
  /// it is (drawing covers frames beyond it, see TGIFImage::ScreenSize).
  void StoreDescriptorBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  /// The 256 colours the pixels stand for: the palette set on the frame, or, for a frame
  /// without a table of its own, the one set on the image; else the active colour table;
  /// with no table anywhere, a grey ramp.
  std::vector<TRGBQuad> Colors();
  void Render();
  /// Renders on the web palette through the Floyd-Steinberg ditherer, rows in serpentine
  /// order, transparent pixels skipped and marked in web_mask_.
  void RenderWeb();
  /// The pixels drawn: the frame's indices, or on the web palette the rendering's, with
  /// transparent pixels as index 255 (no web colour).
  std::vector<uint8_t> WebDrawPixels();

  std::vector<std::unique_ptr<TGIFExtension>> extensions_;
  TGIFColorMap color_map_;
  int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  uint8_t packed_ = 0;
  int code_size_ = 0;
  std::vector<uint8_t> data_;
  TGIFGraphicControlExtension* graphic_control_ = nullptr;
  bool transparent_ = false;
  std::unique_ptr<TBitmap> bitmap_;  // 8 bits per pixel, the frame's colours
  std::vector<uint8_t> web_mask_;    // with a web rendering: 1 bit a pixel, rows word-aligned
  bool has_mask_ = false;            // HasMask, valid unless mask_stale_
  bool mask_stale_ = true;
  std::vector<TPaletteEntry> palette_;  // set by SetPalette; empty: the tables' colours
};

// Optimisation options.
constexpr uint8_t ooCrop = 0x01;
constexpr uint8_t ooMerge = 0x02;
constexpr uint8_t ooCleanup = 0x04;
constexpr uint8_t ooColorMap = 0x08;
constexpr uint8_t ooReduceColors = 0x10;

using TGIFWarning = std::function<void(TObject* sender, int severity, const std::string& message)>;

/// The image's rendering or animation buffer, with a number that changes whenever it is
/// replaced or freed: a painter drawing on the buffer's canvas tells by the number whether that
/// canvas still exists (a new buffer may well lie at the freed one's address).
class TGIFImageBuffer {
 public:
  TGIFImageBuffer& operator=(std::unique_ptr<TBitmap> bitmap) {
    bitmap_ = std::move(bitmap);
    ++serial_;
    return *this;
  }
  void reset() { *this = nullptr; }
  TBitmap* get() const { return bitmap_.get(); }
  TBitmap* operator->() const { return bitmap_.get(); }
  explicit operator bool() const { return bitmap_ != nullptr; }
  uint64_t Serial() const { return serial_; }

 private:
  std::unique_ptr<TBitmap> bitmap_;
  uint64_t serial_ = 0;
};

class TGIFImage : public TGraphic {
 public:
  TGIFImage();
  ~TGIFImage() override;
  std::string ClassName() const override { return "TGIFImage"; }

  bool Empty() const override { return images_.empty(); }
  /// The logical screen, grown to hold every frame (ScreenSize): a picture is never laid
  /// out smaller than what it draws. The header keeps the screen as the file gave it.
  int32_t Width() const override { return ScreenSize().cx; }
  int32_t Height() const override { return ScreenSize().cy; }
  /// Every frame must fit: "Image width too small for contained frames" /
  /// "Image height too small for contained frames".
  void SetWidth(int32_t width) override;
  void SetHeight(int32_t height) override;

  /// Reads a GIF file. An error keeps the frames read before it, moves the stream back to
  /// where it started and is passed on.
  void LoadFromStream(TStream& stream) override;
  /// Writes header, frames and trailer. The version written is the one the frames need
  /// (Version); an image without frames has none and raises "Unsupported GIF version"
  /// before anything is written.
  void SaveToStream(TStream& stream) override;
  /// True only for this very object.
  bool Equals(const TGraphic& other) override { return &other == this; }
  /// The first of: the palette of the cached rendering, the palette set on the image, the
  /// web palette when frames render on it, the global table's, the first frame's (empty
  /// without frames). Asked again while it answers, which happens when no frame or header
  /// has a colour table, it raises "No global or local color table defined".
  std::vector<TPaletteEntry> GetPalette() const override;
  /// Sets the image's palette (empty: none), which frames without a table of their own are
  /// drawn with. A palette other than the rendering's frees the renderings and reports the
  /// image changed.
  void SetPalette(const std::vector<TPaletteEntry>& palette) override;

  void Clear();
  /// Another TGIFImage: a copy of its header and frames, its thread priority, background
  /// colour, draw options, colour reduction, dither mode and paint events (the handlers stay
  /// this image's own; compression, reduction bits and animation speed stay this image's);
  /// nil clears; any other graphic becomes the one frame (TGIFSubImage::AssignGraphic); what
  /// cannot become a bitmap raises the conversion error.
  void Assign(const TPersistent* source) override;
  /// Appends a frame as it is (it becomes this image's); returns its index.
  int Add(std::unique_ptr<TGIFSubImage> frame);
  /// Appends a frame made from a picture (TGIFSubImage::AssignGraphic); anything else raises
  /// "Object type not supported for operation". Returns the frame's index.
  int Add(const TObject* source);
  /// With GIFImageOptimizeOnStream the image is optimised first; then it is saved.
  void WriteData(TStream& stream) override;
  /// Whether frames render on the 6x6x6 web palette: doDitherToWebPalette, and
  /// doDitherOnPaletteDeviceOnly clear or the screen a palette device.
  bool UsesWebPalette() const;
  /// A TBitmap gets the rendering of Bitmap(); other targets as the base class.
  void AssignTo(TPersistent* dest) const override;
  /// Makes the image smaller (options ooCrop, ooMerge, ooCleanup, ooColorMap,
  /// ooReduceColors); `ditherMode` and `reductionBits` are not used. Every painter of the
  /// image is stopped and waited for first; the painter list stays locked while the frames
  /// change.
  void Optimize(uint8_t options, uint8_t colorReduction, uint8_t ditherMode, int32_t reductionBits);
  /// Removes and frees frame `index`.
  void Delete(int index);
  TGIFHeader& Header() { return header_; }
  int Count() const { return static_cast<int>(images_.size()); }
  TGIFSubImage& Images(int index) { return *images_.at(static_cast<size_t>(index)); }
  /// The highest version any frame needs; 0 without frames.
  TGIFVersion Version() const;
  int BitsPerPixel() const;
  /// The largest colour resolution (bits per pixel minus 1) of the header and every frame.
  int ColorResolution() const;
  /// The logical screen, grown to hold every frame.
  TSize ScreenSize() const;
  /// The first frame rendered at its position on the logical screen, nullptr when empty. A
  /// first frame of the screen's size gives its own rendering; around a smaller one lies the
  /// image's palette's first colour. When that frame's colours are not the palette's (a table of
  /// its own), the picture is true colour, so that the frame keeps them.
  TBitmap* Bitmap();

  uint16_t DrawOptions = kGIFDefaultDrawOptions;
  /// How frames are compressed when saved: 1 run-length, anything else LZW.
  uint8_t Compression = 0;
  /// How frames made from true-colour pictures are reduced (a TColorReduction), with
  /// 2^ReductionBits colours for quantising, and the ditherer used (a TDitherMode).
  uint8_t ColorReduction = 6;
  int32_t ReductionBits = 8;
  uint8_t DitherMode = 0;
  /// Appends a frame made from `source` (see TGIFSubImage::AssignBitmap); returns its index.
  int AddBitmap(const TBitmap& source);
  TColor BackgroundColor = MakeColor(0x1FFFFFFF);
  TGIFWarning OnGIFWarning;

  // Animation (see TGIFPainter).
  /// The priority (a TThreadPriority) of the painter threads started from now on.
  uint8_t ThreadPriority = tpNormal;
  /// Percent of the frames' own speed; 0 holds an asynchronous animation.
  int32_t AnimationSpeed = 100;
  /// Handed to every painter started from now on.
  TNotifyEvent OnPaintBegin, OnFrameBegin, OnFrameEnd, OnLoopBegin, OnPaintEnd;
  /// The painter that animates this image for its own Draw; nullptr when none.
  TGIFPainter* Painter() const { return painters_->Own; }
  /// Makes a painter that shows the image in `rect` of `canvas` and stores it in `*painter`
  /// (which the painter clears when it ends). Nothing (nullptr) for an empty image or rect.
  /// With doAsynchronous the painter is returned not yet started (Start); otherwise the
  /// whole animation runs here and nullptr is returned. A one-frame image is never animated.
  /// The canvas must outlive the painter, or the painter be stopped first.
  TGIFPainter* StartPainter(TGIFPainter** painter, TCanvas& canvas, const TRect& rect, uint16_t options);
  /// Stops the image's own painter, waits for it and frees the cached rendering.
  void StopOwnPainter();
  /// Stops every painter of the image and waits for those on threads to end.
  void StopAllPainters();

  // The clipboard (GIFClipboard.cpp).
  /// Reads the clipboard's content in `format`: "GIF Image" (CF_GIF) as a GIF file, CF_BITMAP
  /// as a picture made into one frame; other formats raise "Unsupported clipboard format".
  void LoadFromClipboardFormat(uint32_t format);
  /// Puts the image on the clipboard as a picture (the rendering of Bitmap) and as a GIF
  /// file under "GIF Image"; an empty image puts nothing there.
  void SaveToClipboardFormat();
  /// Passes a warning to OnGIFWarning; without a handler it is dropped.
  virtual void Warning(TObject* sender, int severity, const std::string& message);

 protected:
  /// Draws the first frame; an animated image drawn in a window or in a control's paint
  /// buffer (TScreenBuffer, with doAnimate) starts its own painter instead, which paints into
  /// the image's buffer while repaints show the buffer (a synchronous one with doDirectDraw
  /// paints on the canvas itself).
  void Draw(TCanvas& canvas, const TRect& rect) override;

 private:
  friend class TGIFSubImage;
  friend class TGIFColorMap;
  friend class TGIFPainter;
  /// Draws the rendering (or animation buffer) into `rect`: tiled at its own size with
  /// doTile, else stretched.
  void DrawBuffer(TCanvas& canvas, const TRect& rect);
  void GrowScreen(const TGIFSubImage& frame);
  /// The stages of Optimize, with its progress reports.
  void OptimizeFrames(uint8_t options);
  /// The header and the frames of a file; `start` is where the file begins in `stream`.
  void LoadFrames(TStream& stream, int64_t start);
  /// Runs `work` between a starting progress report of `message` and an ending one (100, or
  /// 0 when an error passes, which goes on; with `redrawAtEnd` the ending asks for a redraw).
  void Reported(TObject* sender, const char* message, bool redrawAtEnd, const std::function<void()>& work);
  /// Takes `pixels` from the pixels all frames of one load may hold together; raises
  /// "Image is too large" when they are used up. Outside a load it does nothing.
  void ReservePixels(int64_t pixels);
  /// The global table changed: the palette set on the image goes, and with it the cached
  /// renderings.
  void PaletteChanged();
  /// A palette was set whose colours no rendering shows yet: marks it (the next rendering or
  /// conversion asks the host to redraw) and reports the change.
  void MarkPaletteModified();
  /// Whether a palette was set since the host was last asked to redraw; clears the mark.
  bool TakePaletteModified() { return std::exchange(palette_modified_, false); }
  /// The colours of the logical screen around the first frame: the image's palette (the
  /// first frame's colours when no table anywhere gives one).
  std::vector<TRGBQuad> ScreenColors();
  /// Frees the cached renderings: the image's and every frame's.
  void FreeRenderings();

  TGIFHeader header_;
  std::vector<std::unique_ptr<TGIFSubImage>> images_;
  TGIFImageBuffer bitmap_;
  bool drawing_now_ = false;
  std::vector<TPaletteEntry> image_palette_;  // set by SetPalette; empty: none
  bool palette_modified_ = false;             // a palette was set; the next rendering asks for a redraw
  mutable bool in_get_palette_ = false;
  int64_t pixels_left_ = -1;  // while loading: the pixels the frames may still take
  std::shared_ptr<TGIFPainterList> painters_ = std::make_shared<TGIFPainterList>();
};

/// The clipboard format "GIF Image".
uint32_t CF_GIF();

/// The GIF library's start-up call: registers TGIFImage (and the built-in graphic classes)
/// with the graphics registry, so that documents can re-create GIF pictures by class name,
/// and the file extension "gif" with the picture container. Calling it again does nothing new.
void RegisterGIFImage();
