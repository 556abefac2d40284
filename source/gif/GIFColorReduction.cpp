#include "gif/GIFColorReduction.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "gif/GIFItems.h"

namespace {

TPaletteEntry Entry(int r, int g, int b, uint8_t flags = 0) {
  return TPaletteEntry{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), flags};
}

// A 24-bit copy of `bitmap`, read as blue, green, red.
std::unique_ptr<TBitmap> Copy24(const TBitmap& bitmap) {
  auto copy = std::make_unique<TBitmap>();
  copy->Assign(&bitmap);
  copy->SetPixelFormat(pf24bit);
  return copy;
}

}  // namespace

TPalette StockDefaultPalette() {
  return {Entry(0, 0, 0),       Entry(128, 0, 0),     Entry(0, 128, 0),     Entry(128, 128, 0),
          Entry(0, 0, 128),     Entry(128, 0, 128),   Entry(0, 128, 128),   Entry(192, 192, 192),
          Entry(192, 220, 192), Entry(166, 202, 240), Entry(255, 251, 240), Entry(160, 160, 164),
          Entry(128, 128, 128), Entry(255, 0, 0),     Entry(0, 255, 0),     Entry(255, 255, 0),
          Entry(0, 0, 255),     Entry(255, 0, 255),   Entry(0, 255, 255),   Entry(255, 255, 255)};
}

TPalette HalftonePalette() {
  const TPalette stock = StockDefaultPalette();
  TPalette palette(stock.begin(), stock.begin() + 10);
  const TPalette web = WebPalette();
  palette.insert(palette.end(), web.begin(), web.end());
  // Grays between the web levels, leaving out the levels the cube already has.
  for (int i = 1, added = 0; added < 20; ++i) {
    const int level = i * 255 / 24;
    if (level % 51 == 0) continue;
    palette.push_back(Entry(level, level, level));
    ++added;
  }
  palette.insert(palette.end(), stock.end() - 10, stock.end());
  return palette;
}

TPalette WindowsGrayPalette() {
  return {Entry(0, 0, 0, PC_NOCOLLAPSE), Entry(0x80, 0x80, 0x80, PC_NOCOLLAPSE),
          Entry(0xC0, 0xC0, 0xC0, PC_NOCOLLAPSE), Entry(0xFF, 0xFF, 0xFF, PC_NOCOLLAPSE)};
}

TPalette MonochromePalette() {
  return {Entry(0, 0, 0, PC_NOCOLLAPSE), Entry(0xFF, 0xFF, 0xFF, PC_NOCOLLAPSE)};
}

TPalette GrayScalePalette() {
  TPalette palette;
  for (int i = 0; i < 256; ++i) palette.push_back(Entry(i, i, i, PC_NOCOLLAPSE));
  return palette;
}

TPalette WebPalette() {
  TPalette palette;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) palette.push_back(Entry(51 * r, 51 * g, 51 * b));
  return palette;
}

TPalette OptimizedPalette(TBitmap& bitmap, int colors) {
  TColorQuantizer quantizer(colors, 8);
  std::unique_ptr<TBitmap> source = Copy24(bitmap);
  for (int32_t y = 0; y < source->Height(); ++y) {
    const uint8_t* row = source->ScanLine(y);
    for (int32_t x = 0; x < source->Width(); ++x)
      quantizer.AddColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
  }
  TPalette palette = quantizer.ColorTable();
  palette.resize(static_cast<size_t>(colors));  // colours the quantiser did not give are black
  return palette;
}

TPalette OptimizedPaletteWithSystemColors(TBitmap& bitmap) {
  const TPalette stock = StockDefaultPalette();
  TPalette palette(stock.begin(), stock.begin() + 10);
  const TPalette quantised = OptimizedPalette(bitmap, 236);
  palette.insert(palette.end(), quantised.begin(), quantised.end());
  palette.insert(palette.end(), stock.end() - 10, stock.end());
  return palette;
}

// ---- Lookups ----

namespace {
int CacheKey(uint8_t red, uint8_t green, uint8_t blue) {
  return (red >> 3) | ((green >> 3) << 5) | ((blue >> 3) << 10);
}
}  // namespace

TFastColorLookup::TFastColorLookup(const TPalette& palette) : TColorLookup(palette), cache_(32768, 0xFFFF) {
  if (palette_.size() > 256) palette_.resize(256);
  colors_ = static_cast<int>(palette_.size());
  for (int i = 0; i < colors_; ++i) {
    const TPaletteEntry& e = palette_[static_cast<size_t>(i)];
    uint16_t& slot = cache_[static_cast<size_t>(CacheKey(e.peRed, e.peGreen, e.peBlue))];
    if (slot == 0xFFFF) slot = static_cast<uint16_t>(i);
  }
}

uint8_t TFastColorLookup::Lookup(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g,
                                 uint8_t& b) {
  uint16_t& slot = cache_[static_cast<size_t>(CacheKey(red, green, blue))];
  if (slot == 0xFFFF) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < colors_; ++i) {
      const TPaletteEntry& e = palette_[static_cast<size_t>(i)];
      const int distance = std::abs(e.peRed - red) + std::abs(e.peGreen - green) + std::abs(e.peBlue - blue);
      if (distance < bestDistance) {
        bestDistance = distance;
        best = i;
      }
    }
    slot = static_cast<uint16_t>(best);
  }
  const TPaletteEntry& e = palette_[slot];
  r = e.peRed;
  g = e.peGreen;
  b = e.peBlue;
  return static_cast<uint8_t>(slot);
}

uint8_t TNetscapeColorLookup::Lookup(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g,
                                     uint8_t& b) {
  const int rl = (red + 3) / 51, gl = (green + 3) / 51, bl = (blue + 3) / 51;
  r = static_cast<uint8_t>(rl * 51);
  g = static_cast<uint8_t>(gl * 51);
  b = static_cast<uint8_t>(bl * 51);
  return static_cast<uint8_t>(rl * 36 + gl * 6 + bl);
}

uint8_t TGrayScaleLookup::Lookup(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g,
                                 uint8_t& b) {
  const uint8_t gray = static_cast<uint8_t>((29 * blue + 150 * green + 77 * red) / 256);
  r = g = b = gray;
  return gray;
}

uint8_t TMonochromeLookup::Lookup(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g,
                                  uint8_t& b) {
  const bool white = 29 * blue + 150 * green + 77 * red > 32512;
  r = g = b = white ? 0xFF : 0;
  return white ? 1 : 0;
}

// ---- Ditherers ----

TDitherEngine::TDitherEngine(int width, TColorLookup& lookup) : lookup_(lookup), width_(width) {}

uint8_t TDitherEngine::Dither(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g, uint8_t& b) {
  const uint8_t index = lookup_.Lookup(red, green, blue, r, g, b);
  NextColumn();
  return index;
}

void TDitherEngine::NextLine() {
  direction_ = -direction_;
  column_ = direction_ < 0 ? width_ - 1 : 0;
}

TErrorDiffusionDitherer::TErrorDiffusionDitherer(int width, TColorLookup& lookup,
                                                 std::vector<TDitherWeight> kernel, int divisor)
    : TDitherEngine(width, lookup), kernel_(std::move(kernel)), divisor_(divisor) {
  for (const TDitherWeight& w : kernel_) {
    margin_ = std::max(margin_, std::abs(w.offset));
    rows_ = std::max(rows_, w.row + 1);
  }
  errors_.assign(static_cast<size_t>(rows_) * static_cast<size_t>(width_ + 2 * margin_) * 3, 0);
}

int32_t TErrorDiffusionDitherer::Error(int row, int column, int channel) const {
  const size_t stride = static_cast<size_t>(width_ + 2 * margin_) * 3;
  return errors_[static_cast<size_t>(row) * stride + static_cast<size_t>(column + margin_) * 3 +
                 static_cast<size_t>(channel)];
}

void TErrorDiffusionDitherer::AddError(int row, int offset, const int diff[3], int weight) {
  const int column = column_ + offset * direction_;
  // Pixels beyond the row's ends fall into the margins, which are never read.
  const size_t stride = static_cast<size_t>(width_ + 2 * margin_) * 3;
  int32_t* cell = &errors_[static_cast<size_t>(row) * stride + static_cast<size_t>(column + margin_) * 3];
  for (int c = 0; c < 3; ++c) cell[c] += diff[c] * weight;
}

void TErrorDiffusionDitherer::Spread(const int diff[3]) {
  for (const TDitherWeight& w : kernel_) AddError(w.row, w.offset, diff, w.weight);
}

uint8_t TErrorDiffusionDitherer::Dither(uint8_t red, uint8_t green, uint8_t blue, uint8_t& r, uint8_t& g,
                                        uint8_t& b) {
  const int input[3] = {red, green, blue};
  int value[3];
  for (int c = 0; c < 3; ++c) {
    const int error = (Error(0, column_, c) + divisor_ / 2) / divisor_;
    value[c] = std::clamp(input[c] + error, 0, 255);
  }
  const uint8_t index = lookup_.Lookup(static_cast<uint8_t>(value[0]), static_cast<uint8_t>(value[1]),
                                       static_cast<uint8_t>(value[2]), r, g, b);
  const int diff[3] = {value[0] - r, value[1] - g, value[2] - b};
  Spread(diff);
  NextColumn();
  return index;
}

void TErrorDiffusionDitherer::NextLine() {
  const size_t stride = static_cast<size_t>(width_ + 2 * margin_) * 3;
  std::move(errors_.begin() + static_cast<long>(stride), errors_.end(), errors_.begin());
  std::fill(errors_.end() - static_cast<long>(stride), errors_.end(), 0);
  TDitherEngine::NextLine();
}

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, {{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}}, 16) {}

TStuckiDitherer::TStuckiDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup,
                    {{0, 1, 8},
                     {0, 2, 4},
                     {1, -2, 2},
                     {1, -1, 4},
                     {1, 0, 8},
                     {1, 1, 4},
                     {1, 2, 2},
                     {2, -2, 1},
                     {2, -1, 2},
                     {2, 0, 4},
                     {2, 1, 2},
                     {2, 2, 1}},
                    42) {}

TSierraDitherer::TSierraDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup,
                    {{0, 1, 5},
                     {0, 2, 3},
                     {1, -2, 2},
                     {1, -1, 4},
                     {1, 0, 5},
                     {1, 1, 4},
                     {1, 2, 2},
                     {2, -1, 2},
                     {2, 0, 3},
                     {2, 1, 2}},
                    32) {}

TJaJuNiDitherer::TJaJuNiDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup,
                    {{0, 1, 7},
                     {0, 2, 5},
                     {1, -2, 3},
                     {1, -1, 5},
                     {1, 0, 7},
                     {1, 1, 5},
                     {1, 2, 3},
                     {2, -2, 1},
                     {2, -1, 3},
                     {2, 0, 5},
                     {2, 1, 3},
                     {2, 2, 1}},
                    48) {}

TSteveArcheDitherer::TSteveArcheDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup,
                              {{0, 2, 32},
                               {1, -3, 12},
                               {1, -1, 26},
                               {1, 1, 30},
                               {1, 3, 16},
                               {2, -2, 12},
                               {2, 0, 26},
                               {2, 2, 12},
                               {3, -3, 5},
                               {3, -1, 12},
                               {3, 1, 12},
                               {3, 3, 5}},
                              200) {}

TBurkesDitherer::TBurkesDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup,
                              {{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}},
                              32) {}

std::unique_ptr<TDitherEngine> CreateDitherer(TDitherMode mode, int width, TColorLookup& lookup) {
  switch (mode) {
    case dmNearest:
      return std::make_unique<TDitherEngine>(width, lookup);
    case dmFloydSteinberg:
      return std::make_unique<TFloydSteinbergDitherer>(width, lookup);
    case dmStucki:
      return std::make_unique<TStuckiDitherer>(width, lookup);
    case dmSierra:
      return std::make_unique<TSierraDitherer>(width, lookup);
    case dmJaJuNi:
      return std::make_unique<TJaJuNiDitherer>(width, lookup);
    case dmSteveArche:
      return std::make_unique<TSteveArcheDitherer>(width, lookup);
    case dmBurkes:
      return std::make_unique<TBurkesDitherer>(width, lookup);
  }
  throw GIFException("Invalid reduction method");
}

// ---- Octree quantiser ----

struct TColorQuantizer::Node {
  bool leaf = false;
  int64_t pixels = 0;
  int64_t red = 0, green = 0, blue = 0;
  Node* next = nullptr;  // next reducible node of the same level
  std::unique_ptr<Node> children[8];
};

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits)
    : reducible_(static_cast<size_t>(std::clamp(colorBits, 1, 8)) + 1, nullptr),
      max_colors_(std::max(maxColors, 1)),
      color_bits_(std::clamp(colorBits, 1, 8)) {
  root_.reset(CreateNode(0));
}

TColorQuantizer::~TColorQuantizer() = default;

TColorQuantizer::Node* TColorQuantizer::CreateNode(int level) {
  auto* node = new Node;
  node->leaf = level == color_bits_;
  if (node->leaf) {
    ++leaf_count_;
  } else {
    node->next = reducible_[static_cast<size_t>(level)];
    reducible_[static_cast<size_t>(level)] = node;
  }
  return node;
}

void TColorQuantizer::AddColor(uint8_t red, uint8_t green, uint8_t blue) {
  Node* node = root_.get();
  for (int level = 0; !node->leaf; ++level) {
    const int shift = 7 - level;
    const int index = (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
    if (!node->children[index]) node->children[index].reset(CreateNode(level + 1));
    node = node->children[index].get();
  }
  ++node->pixels;
  node->red += red;
  node->green += green;
  node->blue += blue;
  while (leaf_count_ > max_colors_) ReduceTree();
}

void TColorQuantizer::ReduceTree() {
  int level = color_bits_ - 1;
  while (level > 0 && !reducible_[static_cast<size_t>(level)]) --level;
  Node* node = reducible_[static_cast<size_t>(level)];
  if (!node) {  // only the root is left and it is already a leaf
    leaf_count_ = std::min(leaf_count_, max_colors_);
    return;
  }
  reducible_[static_cast<size_t>(level)] = node->next;
  int children = 0;
  for (std::unique_ptr<Node>& child : node->children) {
    if (!child) continue;
    node->red += child->red;
    node->green += child->green;
    node->blue += child->blue;
    node->pixels += child->pixels;
    child.reset();
    ++children;
  }
  node->leaf = true;
  leaf_count_ -= children - 1;
}

TPalette TColorQuantizer::ColorTable() const {
  TPalette table;
  auto walk = [&](auto&& self, const Node* node) -> void {
    if (node->leaf) {
      if (node->pixels == 0) {
        table.push_back(Entry(0, 0, 0));
      } else {
        table.push_back(Entry(static_cast<int>(node->red / node->pixels),
                              static_cast<int>(node->green / node->pixels),
                              static_cast<int>(node->blue / node->pixels)));
      }
      return;
    }
    for (const std::unique_ptr<Node>& child : node->children)
      if (child) self(self, child.get());
  };
  walk(walk, root_.get());
  return table;
}

// ---- ReduceColors ----

std::unique_ptr<TBitmap> ReduceColors(const TBitmap& bitmap, TColorReduction reduction, TDitherMode dither,
                                      int reductionBits, const TPalette& customPalette) {
  if (bitmap.Width() <= 0 || bitmap.Height() <= 0) throw GIFException("Invalid image dimensions");
  if (reduction > rmPalette || dither > dmBurkes) throw GIFException("Invalid reduction method");
  std::unique_ptr<TBitmap> source = Copy24(bitmap);
  if (reduction == rmNone) return source;

  TPalette palette;
  std::unique_ptr<TColorLookup> lookup;
  switch (reduction) {
    case rmWindows20:
      palette = StockDefaultPalette();
      break;
    case rmWindows256:
      palette = HalftonePalette();
      break;
    case rmWindowsGray:
      palette = WindowsGrayPalette();
      break;
    case rmMonochrome:
      palette = MonochromePalette();
      lookup = std::make_unique<TMonochromeLookup>();
      break;
    case rmGrayScale:
      palette = GrayScalePalette();
      lookup = std::make_unique<TGrayScaleLookup>();
      break;
    case rmNetscape:
      palette = WebPalette();
      lookup = std::make_unique<TNetscapeColorLookup>();
      break;
    case rmQuantizeWindows:
      palette = OptimizedPaletteWithSystemColors(*source);
      break;
    case rmQuantize:
      if (reductionBits < 1 || reductionBits > 8) throw GIFException("Invalid reduction method");
      palette = OptimizedPalette(*source, 1 << reductionBits);
      break;
    case rmPalette:
      palette = customPalette;
      if (palette.size() > 256) palette.resize(256);
      break;
    default:
      break;
  }
  if (!lookup) lookup = std::make_unique<TFastColorLookup>(palette);

  auto result = std::make_unique<TBitmap>();
  result->SetPixelFormat(pf8bit);
  result->SetSize(source->Width(), source->Height());
  result->SetPalette(palette);  // entries beyond the palette are black
  for (int32_t y = 0; y < result->Height(); ++y)
    std::fill_n(result->ScanLine(y), result->Width(), uint8_t{0});
  if (lookup->Colors() == 0) return result;

  std::unique_ptr<TDitherEngine> ditherer = CreateDitherer(dither, source->Width(), *lookup);
  uint8_t r, g, b;
  for (int32_t y = 0; y < source->Height(); ++y) {
    const uint8_t* in = source->ScanLine(y);
    uint8_t* out = result->ScanLine(y);
    for (int32_t i = 0; i < source->Width(); ++i) {
      const int x = ditherer->Column();
      out[x] = ditherer->Dither(in[3 * x + 2], in[3 * x + 1], in[3 * x], r, g, b);
    }
    ditherer->NextLine();
  }
  return result;
}
