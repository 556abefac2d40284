#include "platform/graphics/Metafile.h"

#include <vector>

#include "platform/core/SysUtils.h"
#include "platform/graphics/ByteFields.h"
#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/MetafileCanvas.h"
#include "platform/graphics/MetafilePlayer.h"

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22;
constexpr size_t kWmfHeaderSize = 18;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr size_t kEmfHeaderMin = 88;
constexpr int64_t kMaxMetafileBytes = 256 << 20;
constexpr int32_t kScreenPixelsPerInch = 96;
constexpr int32_t kMM100PerInch = 2540;

[[noreturn]] void Fail() {
  throw EInvalidGraphic("Metafile is not valid");
}

uint16_t U16(std::span<const uint8_t> d, size_t at) {
  return ReadU16LE(d, at, "Metafile is not valid");
}
uint32_t U32(std::span<const uint8_t> d, size_t at) {
  return ReadU32LE(d, at, "Metafile is not valid");
}

int32_t I32(std::span<const uint8_t> d, size_t at) {
  return static_cast<int32_t>(U32(d, at));
}

/// The XOR of the first ten 16-bit words of a placeable header. Readers do not check it:
/// common writers leave it 0, and the fields it covers are checked one by one.
uint16_t PlaceableChecksum(std::span<const uint8_t> header) {
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= U16(header, i);
  return sum;
}

void CheckWmfHeader(std::span<const uint8_t> wmf) {
  if (wmf.size() < kWmfHeaderSize) Fail();
  const uint16_t type = U16(wmf, 0);
  const uint16_t headerWords = U16(wmf, 2);
  if ((type != 1 && type != 2) || headerWords != 9) Fail();
}

}  // namespace

struct TMetafile::Impl {
  std::vector<uint8_t> data;  // the EMF, or the WMF records without a placeable header
  bool enhanced = false;
  int32_t mm_width = 0;
  int32_t mm_height = 0;
  int32_t inch = 1440;
  // Top-left corner of the placeable header's bounding box, in metafile units.
  int16_t left = 0;
  int16_t top = 0;
};

TMetafile::TMetafile() : impl_(std::make_unique<Impl>()) {}
TMetafile::~TMetafile() = default;

void TMetafile::Assign(const TPersistent* source) {
  if (source == this) return;
  if (source == nullptr) {
    *impl_ = Impl{};
    Changed();
    return;
  }
  if (const auto* other = dynamic_cast<const TMetafile*>(source)) {
    *impl_ = *other->impl_;
    transparent_ = other->transparent_;
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

bool TMetafile::Empty() const {
  return impl_->data.empty();
}
int32_t TMetafile::Width() const {
  return MulDiv(impl_->mm_width, kScreenPixelsPerInch, kMM100PerInch);
}
int32_t TMetafile::Height() const {
  return MulDiv(impl_->mm_height, kScreenPixelsPerInch, kMM100PerInch);
}
int32_t TMetafile::MMWidth() const {
  return impl_->mm_width;
}
int32_t TMetafile::MMHeight() const {
  return impl_->mm_height;
}
bool TMetafile::Enhanced() const {
  return impl_->enhanced;
}
void TMetafile::SetEnhanced(bool value) {
  if (value == impl_->enhanced) return;
  if (impl_->data.empty()) {
    impl_->enhanced = value;
    return;
  }
  TMetafile picture;
  picture.Assign(this);
  impl_->enhanced = value;
  {
    TMetafileCanvas canvas(*this);
    canvas.StretchDraw(Rect(0, 0, Width(), Height()), &picture);
  }
  Changed();
}

int32_t TMetafile::Inch() const {
  return impl_->inch;
}

void TMetafile::SetWidth(int32_t width) {
  SetMMWidth(MulDiv(width, kMM100PerInch, kScreenPixelsPerInch));
}
void TMetafile::SetHeight(int32_t height) {
  SetMMHeight(MulDiv(height, kMM100PerInch, kScreenPixelsPerInch));
}

// A metafile is drawn scaled into whatever rectangle it is given, so its size is no reason to
// refuse it; the picture-size limit holds for bitmaps made at that size.
void TMetafile::SetMMWidth(int32_t value) {
  if (value < 0 || value == impl_->mm_width) return;
  impl_->mm_width = value;
  Changed();
}

void TMetafile::SetMMHeight(int32_t value) {
  if (value < 0 || value == impl_->mm_height) return;
  impl_->mm_height = value;
  Changed();
}

void TMetafile::LoadFromStream(TStream& stream) {
  const int64_t size = stream.Remaining();
  if (size > kMaxMetafileBytes) Fail();
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (size > 0) stream.ReadBuffer(bytes.data(), size);
  const std::span<const uint8_t> d(bytes);
  Impl loaded;
  if (d.size() >= kEmfHeaderMin && U32(d, 0) == 1 && U32(d, 40) == kEmfSignature) {
    const uint32_t total = U32(d, 48);
    if (total < kEmfHeaderMin || total > d.size()) Fail();
    loaded.enhanced = true;
    // rclFrame: left, top, right, bottom in 0.01 mm.
    const int64_t w = static_cast<int64_t>(I32(d, 32)) - I32(d, 24);
    const int64_t h = static_cast<int64_t>(I32(d, 36)) - I32(d, 28);
    if (w < 0 || h < 0 || w > INT32_MAX || h > INT32_MAX) Fail();
    loaded.mm_width = static_cast<int32_t>(w);
    loaded.mm_height = static_cast<int32_t>(h);
    loaded.data.assign(bytes.begin(), bytes.begin() + total);
  } else if (d.size() >= kPlaceableSize && U32(d, 0) == kPlaceableKey) {
    const auto left = static_cast<int16_t>(U16(d, 6));
    const auto top = static_cast<int16_t>(U16(d, 8));
    const auto right = static_cast<int16_t>(U16(d, 10));
    const auto bottom = static_cast<int16_t>(U16(d, 12));
    const uint16_t inch = U16(d, 14);
    if (inch == 0) Fail();
    CheckWmfHeader(d.subspan(kPlaceableSize));
    loaded.inch = inch;
    loaded.left = std::min(left, right);
    loaded.top = std::min(top, bottom);
    loaded.mm_width = MulDiv(std::abs(right - left), kMM100PerInch, inch);
    loaded.mm_height = MulDiv(std::abs(bottom - top), kMM100PerInch, inch);
    loaded.data.assign(bytes.begin() + kPlaceableSize, bytes.end());
  } else {
    CheckWmfHeader(d);
    loaded.data = std::move(bytes);
  }
  *impl_ = std::move(loaded);
  Changed();
}

void TMetafile::SaveToStream(TStream& stream) {
  if (impl_->data.empty()) return;
  if (!impl_->enhanced) {
    std::vector<uint8_t> header;
    auto put16 = [&](uint16_t v) {
      header.push_back(static_cast<uint8_t>(v));
      header.push_back(static_cast<uint8_t>(v >> 8));
    };
    put16(static_cast<uint16_t>(kPlaceableKey));
    put16(static_cast<uint16_t>(kPlaceableKey >> 16));
    put16(0);  // handle
    const int32_t width = MulDiv(impl_->mm_width, impl_->inch, kMM100PerInch);
    const int32_t height = MulDiv(impl_->mm_height, impl_->inch, kMM100PerInch);
    put16(static_cast<uint16_t>(impl_->left));
    put16(static_cast<uint16_t>(impl_->top));
    put16(static_cast<uint16_t>(std::min(impl_->left + width, 32767)));
    put16(static_cast<uint16_t>(std::min(impl_->top + height, 32767)));
    put16(static_cast<uint16_t>(impl_->inch));
    put16(0);  // reserved
    put16(0);
    put16(PlaceableChecksum(header));
    stream.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
  }
  stream.WriteBuffer(impl_->data.data(), static_cast<int64_t>(impl_->data.size()));
}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect) {
  if (impl_->data.empty()) return;
  QPainter* painter = TCanvasAccess::Painter(canvas);
  if (painter == nullptr) return;
  const QRect dest(rect.Left, rect.Top, rect.Width(), rect.Height());
  if (impl_->enhanced) {
    PlayEmf(*painter, impl_->data, dest);
    return;
  }
  // The window starts as the placeable header's box (its size in metafile units).
  const TWmfFrame frame{impl_->left, impl_->top, MulDiv(impl_->mm_width, impl_->inch, kMM100PerInch),
                        MulDiv(impl_->mm_height, impl_->inch, kMM100PerInch), impl_->inch};
  PlayWmf(*painter, impl_->data, frame, dest);
}
