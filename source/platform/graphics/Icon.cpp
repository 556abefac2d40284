#include "platform/graphics/Icon.h"

#include <QImage>
#include <vector>

#include "platform/graphics/BitmapAccess.h"
#include "platform/graphics/ByteFields.h"
#include "platform/graphics/CanvasDevice.h"

namespace {

constexpr int64_t kMaxIconFileBytes = 64 << 20;
constexpr size_t kDirHeaderSize = 6;
constexpr size_t kDirEntrySize = 16;
constexpr int kPreferredSize = 32;

[[noreturn]] void Fail() {
  throw EInvalidGraphic("Icon image is not valid");
}

uint16_t U16(std::span<const uint8_t> d, size_t at) {
  return ReadU16LE(d, at, "Icon image is not valid");
}
uint32_t U32(std::span<const uint8_t> d, size_t at) {
  return ReadU32LE(d, at, "Icon image is not valid");
}

struct DirEntry {
  int width = 0;
  int height = 0;
  int bits = 0;
  TPoint hot_spot;
  std::span<const uint8_t> data;
};

bool IsPng(std::span<const uint8_t> d) {
  return d.size() >= 24 && d[0] == 0x89 && d[1] == 'P' && d[2] == 'N' && d[3] == 'G';
}

std::vector<DirEntry> ReadDirectory(std::span<const uint8_t> file, bool& cursor) {
  if (U16(file, 0) != 0) Fail();
  const uint16_t type = U16(file, 2);
  if (type != 1 && type != 2) Fail();
  cursor = type == 2;
  const uint16_t count = U16(file, 4);
  if (count == 0 || kDirHeaderSize + kDirEntrySize * count > file.size()) Fail();
  std::vector<DirEntry> entries;
  for (size_t i = 0; i < count; ++i) {
    const size_t at = kDirHeaderSize + kDirEntrySize * i;
    DirEntry e;
    e.width = file[at] == 0 ? 256 : file[at];
    e.height = file[at + 1] == 0 ? 256 : file[at + 1];
    const uint16_t planesOrX = U16(file, at + 4);
    const uint16_t bitsOrY = U16(file, at + 6);
    if (cursor) {
      e.hot_spot = TPoint{planesOrX, bitsOrY};
    } else {
      e.bits = bitsOrY;
    }
    const uint32_t size = U32(file, at + 8);
    const uint32_t offset = U32(file, at + 12);
    if (offset > file.size() || size > file.size() - offset || size < 8) Fail();
    e.data = file.subspan(offset, size);
    if (!IsPng(e.data) && e.data.size() >= 16) e.bits = U16(e.data, 14);
    entries.push_back(e);
  }
  return entries;
}

/// The image a 32 x 32 icon shows: that size when present, else the largest; then the
/// most colours.
const DirEntry& ChooseEntry(const std::vector<DirEntry>& entries) {
  const DirEntry* best = &entries[0];
  auto key = [](const DirEntry& e) {
    const bool preferred = e.width == kPreferredSize && e.height == kPreferredSize;
    return std::tuple<bool, int, int>(preferred, preferred ? 0 : e.width * e.height, e.bits);
  };
  for (const DirEntry& e : entries)
    if (key(e) > key(*best)) best = &e;
  return *best;
}

QImage DecodePng(std::span<const uint8_t> d) {
  const uint32_t w = (static_cast<uint32_t>(d[16]) << 24) | (d[17] << 16) | (d[18] << 8) | d[19];
  const uint32_t h = (static_cast<uint32_t>(d[20]) << 24) | (d[21] << 16) | (d[22] << 8) | d[23];
  CheckPictureSize(w, h);
  QImage image = QImage::fromData(d.data(), static_cast<int>(d.size()), "PNG");
  if (image.isNull()) Fail();
  return image.convertToFormat(QImage::Format_ARGB32);
}

/// A DIB image of an icon: a BITMAPINFOHEADER whose height counts the colour image and
/// the AND mask, the colour table, the colour pixels, then the 1-bit mask (1 = transparent).
QImage DecodeDibImage(std::span<const uint8_t> d) {
  const uint32_t headerSize = U32(d, 0);
  if (headerSize < 40 || headerSize > d.size()) Fail();
  const int64_t width = static_cast<int32_t>(U32(d, 4));
  const int64_t doubleHeight = static_cast<int32_t>(U32(d, 8));
  const int bits = U16(d, 14);
  const uint32_t compression = U32(d, 16);
  const uint32_t colorsUsed = U32(d, 32);
  if (width <= 0 || doubleHeight <= 0 || compression != 0) Fail();
  const int64_t height = doubleHeight / 2;
  CheckPictureSize(width, height);
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) Fail();
  if (colorsUsed > 256) Fail();

  // The colour image decoded as a plain DIB of half the height.
  std::vector<uint8_t> header(d.begin(), d.end());
  const auto h32 = static_cast<uint32_t>(height);
  for (int i = 0; i < 4; ++i) header[8 + i] = static_cast<uint8_t>(h32 >> (8 * i));
  const TDibImage colors = DecodePackedDib(header);
  if (colors.Width != width || colors.Height != height) Fail();

  const size_t table = bits <= 8 ? (colorsUsed == 0 ? size_t{1} << bits : colorsUsed) * 4 : 0;
  const int64_t xorBytes = TDibImage::StrideFor(width, bits) * height;
  const int64_t maskStride = TDibImage::StrideFor(width, 1);
  const int64_t maskAt = static_cast<int64_t>(headerSize + table) + xorBytes;
  const bool hasMask = maskAt + maskStride * height <= static_cast<int64_t>(d.size());

  QImage image = DibToQImage(colors, bits == 32);
  bool hasAlpha = false;
  if (bits == 32) {
    for (int y = 0; y < image.height() && !hasAlpha; ++y) {
      const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x)
        if (qAlpha(row[x]) != 0) {
          hasAlpha = true;
          break;
        }
    }
  }
  image = image.convertToFormat(QImage::Format_ARGB32);
  if (!hasAlpha) {
    for (int y = 0; y < image.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
      const uint8_t* mask = hasMask ? d.data() + maskAt + maskStride * (height - 1 - y) : nullptr;
      for (int x = 0; x < image.width(); ++x) {
        const bool transparent = mask != nullptr && ((mask[x / 8] >> (7 - x % 8)) & 1);
        row[x] = transparent ? 0 : (row[x] | 0xFF000000u);
      }
    }
  }
  return image;
}

}  // namespace

struct TIcon::Impl {
  std::vector<uint8_t> bytes;
  QImage image;
  bool cursor = false;
  TPoint hot_spot;
};

TIcon::TIcon() : impl_(std::make_unique<Impl>()) {
  transparent_ = true;
}
TIcon::~TIcon() = default;

void TIcon::Assign(const TPersistent* source) {
  if (source == this) return;
  if (source == nullptr) {
    *impl_ = Impl{};
    Changed();
    return;
  }
  if (const auto* icon = dynamic_cast<const TIcon*>(source)) {
    *impl_ = *icon->impl_;
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

void TIcon::AssignTo(TPersistent* dest) const {
  if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
    TBitmapAccess::SetImage(*bitmap, impl_->image, pf32bit);
    bitmap->SetAlphaFormat(afDefined);
    return;
  }
  TGraphic::AssignTo(dest);
}

bool TIcon::Empty() const {
  return impl_->image.isNull();
}
int32_t TIcon::Width() const {
  return impl_->image.width();
}
int32_t TIcon::Height() const {
  return impl_->image.height();
}
bool TIcon::IsCursor() const {
  return impl_->cursor;
}
TPoint TIcon::HotSpot() const {
  return impl_->hot_spot;
}

void TIcon::LoadFromStream(TStream& stream) {
  const int64_t size = stream.Remaining();
  if (size > kMaxIconFileBytes) throw EInvalidGraphic("Icon image is not valid");
  Impl loaded;
  loaded.bytes.resize(static_cast<size_t>(size));
  if (size > 0) stream.ReadBuffer(loaded.bytes.data(), size);
  const std::span<const uint8_t> file(loaded.bytes);
  const std::vector<DirEntry> entries = ReadDirectory(file, loaded.cursor);
  const DirEntry& chosen = ChooseEntry(entries);
  loaded.hot_spot = chosen.hot_spot;
  loaded.image = IsPng(chosen.data) ? DecodePng(chosen.data) : DecodeDibImage(chosen.data);
  *impl_ = std::move(loaded);
  Changed();
}

void TIcon::SaveToStream(TStream& stream) {
  if (!impl_->bytes.empty())
    stream.WriteBuffer(impl_->bytes.data(), static_cast<int64_t>(impl_->bytes.size()));
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect) {
  TCanvasAccess::DrawImage(canvas, impl_->image, rect);
}
