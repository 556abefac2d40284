// Colour reduction for GIF frames: fixed and optimised palettes, colour lookups that map a
// true colour to a palette index, error-diffusion ditherers that scan rows in serpentine
// order, and ReduceColors, which turns any bitmap into an 8-bit bitmap on such a palette.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/core/Object.h"
#include "platform/graphics/Bitmap.h"

/// How a true-colour picture is reduced to at most 256 colours (stored as a byte).
enum TColorReduction : uint8_t {
  rmNone = 0,             // only converted to 24 bits per pixel
  rmWindows20 = 1,        // the stock default palette of 20 colours
  rmWindows256 = 2,       // the halftone palette
  rmWindowsGray = 3,      // 4 grays
  rmMonochrome = 4,       // black and white
  rmGrayScale = 5,        // 256 grays
  rmNetscape = 6,         // the 6x6x6 web palette
  rmQuantizeWindows = 7,  // 236 quantised colours inside the stock colours
  rmQuantize = 8,         // 2^ReductionBits quantised colours
  rmPalette = 9           // a copy of a caller-supplied palette
};

/// The ditherer used while mapping pixels to the palette (stored as a byte).
enum TDitherMode : uint8_t {
  dmNearest = 0,
  dmFloydSteinberg = 1,
  dmStucki = 2,
  dmSierra = 3,
  dmJaJuNi = 4,
  dmSteveArche = 5,
  dmBurkes = 6
};

constexpr uint8_t PC_NOCOLLAPSE = 4;

using TPalette = std::vector<TPaletteEntry>;

/// The 20 colours of the stock default palette (entries 0..9 and 10..19 are the system's
/// first and last ten).
TPalette StockDefaultPalette();
/// 256 entries: the first 10 stock colours, the 216 web colours, 20 grays between the web
/// levels, the last 10 stock colours.
TPalette HalftonePalette();
/// 0x00, 0x80, 0xC0, 0xFF, flagged PC_NOCOLLAPSE.
TPalette WindowsGrayPalette();
/// Black and white, flagged PC_NOCOLLAPSE.
TPalette MonochromePalette();
/// Entry i = (i, i, i), flagged PC_NOCOLLAPSE.
TPalette GrayScalePalette();
/// 216 entries, entry r*36 + g*6 + b = (51r, 51g, 51b).
TPalette WebPalette();
/// `colors` entries quantised from the 24-bit pixels of `bitmap` (8 colour bits); entries
/// the quantiser leaves without a colour are black.
TPalette OptimizedPalette(TBitmap& bitmap, int colors);
/// 236 quantised colours at 10..245 between the stock default palette's halves.
TPalette OptimizedPaletteWithSystemColors(TBitmap& bitmap);

/// Maps a colour to a palette index and gives back the colour of that entry.
class TColorLookup : public TObject {
 public:
  explicit TColorLookup(const TPalette& palette) : palette_(palette) {}
  std::string ClassName() const override { return "TColorLookup"; }
  int Colors() const { return colors_; }
  virtual uint8_t Lookup(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) = 0;

 protected:
  TPalette palette_;
  int colors_ = 0;
};

/// Nearest colour by the least sum of absolute channel differences, cached per 15-bit key
/// (top 5 bits of each channel); the first palette entry of a key pre-fills it.
class TFastColorLookup : public TColorLookup {
 public:
  explicit TFastColorLookup(const TPalette& palette);
  std::string ClassName() const override { return "TFastColorLookup"; }
  uint8_t Lookup(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) override;

 private:
  std::vector<uint16_t> cache_;
};

/// The web palette: each channel's level is (c + 3) / 51.
class TNetscapeColorLookup : public TColorLookup {
 public:
  TNetscapeColorLookup() : TColorLookup({}) { colors_ = 216; }
  std::string ClassName() const override { return "TNetscapeColorLookup"; }
  uint8_t Lookup(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) override;
};

/// Gray = (29 blue + 150 green + 77 red) / 256 is the index.
class TGrayScaleLookup : public TColorLookup {
 public:
  TGrayScaleLookup() : TColorLookup({}) { colors_ = 256; }
  std::string ClassName() const override { return "TGrayScaleLookup"; }
  uint8_t Lookup(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) override;
};

/// The same weighted sum: up to 32512 is black (0), above is white (1).
class TMonochromeLookup : public TColorLookup {
 public:
  TMonochromeLookup() : TColorLookup({}) { colors_ = 2; }
  std::string ClassName() const override { return "TMonochromeLookup"; }
  uint8_t Lookup(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) override;
};

/// Nearest colour without error diffusion. Rows are scanned in serpentine order: the
/// column starts at 0 going right; NextLine reverses the direction.
class TDitherEngine : public TObject {
 public:
  TDitherEngine(int width, TColorLookup& lookup);
  std::string ClassName() const override { return "TDitherEngine"; }
  int Direction() const { return direction_; }
  int Column() const { return column_; }
  int Width() const { return width_; }
  /// Answers the palette index of the pixel at the current column and moves on.
  virtual uint8_t Dither(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b);
  virtual void NextLine();
  /// Moves to the next column in the scan direction (also for a skipped pixel).
  void NextColumn() { column_ += direction_; }

 protected:
  TColorLookup& lookup_;
  int direction_ = 1;
  int column_ = 0;
  int width_;
};

/// One weight of an error-diffusion kernel: `row` 0 is the current row, 1 the next, ...;
/// `offset` counts pixels in the scan direction.
struct TDitherWeight {
  int row;
  int offset;
  int weight;
};

/// Error diffusion with a fixed kernel. Errors are kept per channel for as many rows as the
/// kernel reaches, with a margin on each side as wide as its largest offset.
class TErrorDiffusionDitherer : public TDitherEngine {
 public:
  TErrorDiffusionDitherer(int width, TColorLookup& lookup, std::vector<TDitherWeight> kernel, int divisor);
  std::string ClassName() const override { return "TErrorDiffusionDitherer"; }
  uint8_t Dither(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) override;
  void NextLine() override;
  /// The error (not yet divided) stored for `row` rows below the current one at `column`
  /// and `channel` (0 red, 1 green, 2 blue).
  int32_t Error(int row, int column, int channel) const;

 protected:
  /// Spreads the difference of each channel over later pixels.
  virtual void Spread(const int diff[3]);
  void AddError(int row, int offset, const int diff[3], int weight);

 private:
  std::vector<TDitherWeight> kernel_;
  int divisor_;
  int margin_ = 0;
  int rows_ = 1;
  std::vector<int32_t> errors_;  // rows_ x (width + 2 margin) x 3
};

class TFloydSteinbergDitherer : public TErrorDiffusionDitherer {
 public:
  TFloydSteinbergDitherer(int width, TColorLookup& lookup);
  std::string ClassName() const override { return "TFloydSteinbergDitherer"; }
};

/// The 5-by-3 kernels (Stucki, Sierra, JaJuNi).
class T5by3Ditherer : public TErrorDiffusionDitherer {
 public:
  using TErrorDiffusionDitherer::TErrorDiffusionDitherer;
  std::string ClassName() const override { return "T5by3Ditherer"; }
};

class TStuckiDitherer : public T5by3Ditherer {
 public:
  TStuckiDitherer(int width, TColorLookup& lookup);
  std::string ClassName() const override { return "TStuckiDitherer"; }
};

class TSierraDitherer : public T5by3Ditherer {
 public:
  TSierraDitherer(int width, TColorLookup& lookup);
  std::string ClassName() const override { return "TSierraDitherer"; }
};

class TJaJuNiDitherer : public T5by3Ditherer {
 public:
  TJaJuNiDitherer(int width, TColorLookup& lookup);
  std::string ClassName() const override { return "TJaJuNiDitherer"; }
};

/// Reaches three rows below the current one.
class TSteveArcheDitherer : public TErrorDiffusionDitherer {
 public:
  TSteveArcheDitherer(int width, TColorLookup& lookup);
  std::string ClassName() const override { return "TSteveArcheDitherer"; }
};

class TBurkesDitherer : public TErrorDiffusionDitherer {
 public:
  TBurkesDitherer(int width, TColorLookup& lookup);
  std::string ClassName() const override { return "TBurkesDitherer"; }
};

/// The ditherer of `mode` for rows of `width` pixels.
std::unique_ptr<TDitherEngine> CreateDitherer(TDitherMode mode, int width, TColorLookup& lookup);

/// Octree colour quantiser: every colour is added once; whenever there are more leaves than
/// `maxColors`, the deepest reducible node is folded into a leaf.
class TColorQuantizer : public TObject {
 public:
  TColorQuantizer(int maxColors, int colorBits);
  ~TColorQuantizer() override;
  std::string ClassName() const override { return "TColorQuantizer"; }
  void AddColor(uint8_t red, uint8_t green, uint8_t blue);
  int LeafCount() const { return leaf_count_; }
  /// The leaves depth first, children in index order; sum / count per channel.
  TPalette ColorTable() const;

 private:
  struct Node;
  Node* CreateNode(int level);
  void ReduceTree();
  std::unique_ptr<Node> root_;
  std::vector<Node*> reducible_;
  int leaf_count_ = 0;
  int max_colors_;
  int color_bits_;
};

/// A new bitmap holding `bitmap` reduced by `reduction`: a 24-bit copy for rmNone, else an
/// 8-bit bitmap whose colour table is the palette (black beyond its entries).
/// `reductionBits` is used by rmQuantize (1 to 8), `customPalette` by rmPalette.
/// Raises GIFException "Invalid reduction method" for an unknown reduction or dither mode
/// and "Invalid image dimensions" for an empty bitmap.
std::unique_ptr<TBitmap> ReduceColors(const TBitmap& bitmap, TColorReduction reduction, TDitherMode dither,
                                      int reductionBits, const TPalette& customPalette = {});
