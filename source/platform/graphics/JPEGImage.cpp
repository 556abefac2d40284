// JPEG through libjpeg. libjpeg reports fatal errors through error_exit, which must not
// return: ours longjmps back to the function that set up the codec. Those functions keep
// only plain data between setjmp and the library calls, so no destructor is skipped.
#include "platform/graphics/JPEGImage.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "platform/core/MemoryReserve.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BitmapAccess.h"
#include "platform/graphics/Canvas.h"

namespace {

constexpr int64_t kMaxJpegBytes = 256 << 20;
constexpr int kSmoothingFactor = 10;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void OutputMessage(j_common_ptr) {
  // Warnings (such as a premature end of data) are not printed; decoding goes on.
}

void InstallErrorManager(ErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.output_message = OutputMessage;
  err.message[0] = 0;
}

/// What decoding needs and yields; filled by DecodeJpeg, which holds no C++ objects.
struct DecodeJob {
  const uint8_t* data = nullptr;
  size_t size = 0;
  bool header_only = false;
  bool smoothing = true;
  bool fast = false;
  bool grayscale = false;
  // Results.
  int32_t width = 0;
  int32_t height = 0;
  int components = 0;         // 1 (grey), 3 (RGB) or 4 (CMYK)
  uint8_t* pixels = nullptr;  // malloc'ed rows, width * components bytes each
  char message[JMSG_LENGTH_MAX] = {};
  bool out_of_memory = false;  // the library or the rows were refused memory
};

bool DecodeJpeg(DecodeJob* job) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = &err.pub;
  InstallErrorManager(err);
  if (setjmp(err.jump)) {
    std::memcpy(job->message, err.message, sizeof job->message);
    job->out_of_memory = err.pub.msg_code == JERR_OUT_OF_MEMORY;
    jpeg_destroy_decompress(&cinfo);
    std::free(job->pixels);
    job->pixels = nullptr;
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, job->data, static_cast<unsigned long>(job->size));
  jpeg_read_header(&cinfo, TRUE);
  job->width = static_cast<int32_t>(cinfo.image_width);
  job->height = static_cast<int32_t>(cinfo.image_height);
  if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > kMaxPictureSide ||
      cinfo.image_height > kMaxPictureSide ||
      static_cast<int64_t>(cinfo.image_width) * cinfo.image_height > kMaxPicturePixels) {
    std::snprintf(job->message, sizeof job->message, "Picture is too large (%u x %u)", cinfo.image_width,
                  cinfo.image_height);
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  if (job->header_only) {
    jpeg_destroy_decompress(&cinfo);
    return true;
  }
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    cinfo.out_color_space = JCS_CMYK;
  } else if (cinfo.jpeg_color_space == JCS_GRAYSCALE || job->grayscale) {
    cinfo.out_color_space = JCS_GRAYSCALE;
  } else {
    cinfo.out_color_space = JCS_RGB;
  }
  cinfo.do_fancy_upsampling = job->smoothing ? TRUE : FALSE;
  cinfo.do_block_smoothing = job->smoothing ? TRUE : FALSE;
  cinfo.dct_method = job->fast ? JDCT_IFAST : JDCT_ISLOW;
  jpeg_start_decompress(&cinfo);
  job->components = cinfo.output_components;
  const size_t rowBytes =
      static_cast<size_t>(cinfo.output_width) * static_cast<size_t>(cinfo.output_components);
  job->pixels = static_cast<uint8_t*>(std::malloc(rowBytes * cinfo.output_height));
  if (job->pixels == nullptr) {
    job->out_of_memory = true;
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = job->pixels + rowBytes * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

/// Gives row `y` of the picture in the layout the job names; the row stays valid until
/// kEncodeBatch more rows have been asked for.
using EncodeRowSource = const uint8_t* (*)(void* context, int32_t y);
constexpr int kEncodeBatch = 16;

struct EncodeJob {
  EncodeRowSource row = nullptr;
  void* context = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  J_COLOR_SPACE color_space = JCS_RGB;  // of the rows; grey rows make a grey JPEG
  int components = 3;
  int quality = 90;
  bool smoothing = true;
  bool progressive = false;
  unsigned char* output = nullptr;  // malloc'ed by libjpeg
  unsigned long output_size = 0;
  char message[JMSG_LENGTH_MAX] = {};
  bool out_of_memory = false;  // the library was refused memory
};

bool EncodeJpeg(EncodeJob* job) {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  cinfo.err = &err.pub;
  InstallErrorManager(err);
  if (setjmp(err.jump)) {
    std::memcpy(job->message, err.message, sizeof job->message);
    job->out_of_memory = err.pub.msg_code == JERR_OUT_OF_MEMORY;
    jpeg_destroy_compress(&cinfo);
    std::free(job->output);
    job->output = nullptr;
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &job->output, &job->output_size);
  cinfo.image_width = static_cast<JDIMENSION>(job->width);
  cinfo.image_height = static_cast<JDIMENSION>(job->height);
  cinfo.input_components = job->components;
  cinfo.in_color_space = job->color_space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, job->quality, TRUE);
  cinfo.smoothing_factor = job->smoothing ? kSmoothingFactor : 0;
  if (job->progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  JSAMPROW rows[kEncodeBatch];
  while (cinfo.next_scanline < cinfo.image_height) {
    const auto first = static_cast<int32_t>(cinfo.next_scanline);
    const int count = std::min<int32_t>(kEncodeBatch, job->height - first);
    for (int k = 0; k < count; ++k) rows[k] = const_cast<JSAMPROW>(job->row(job->context, first + k));
    jpeg_write_scanlines(&cinfo, rows, static_cast<JDIMENSION>(count));
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

/// Rows of a DIB for the encoder. Colour rows of 24 and 32 bits go to libjpeg as they lie in
/// memory (blue, green, red order); grey rows and other pixel formats are converted into a
/// small ring of rows.
class DibRows {
 public:
  DibRows(TDibImage& dib, bool grayscale) : dib_(dib), grayscale_(grayscale) {
    if (!Direct())
      ring_.resize(static_cast<size_t>(dib.Width) * static_cast<size_t>(Components()) * kEncodeBatch);
  }

  bool Direct() const { return !grayscale_ && (dib_.Bits == 24 || dib_.Bits == 32); }
  int Components() const { return grayscale_ ? 1 : Direct() && dib_.Bits == 32 ? 4 : 3; }
  J_COLOR_SPACE ColorSpace() const {
    if (grayscale_) return JCS_GRAYSCALE;
    if (!Direct()) return JCS_RGB;
    return dib_.Bits == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
  }

  static const uint8_t* Row(void* context, int32_t y) { return static_cast<DibRows*>(context)->RowAt(y); }

 private:
  const uint8_t* RowAt(int32_t y) {
    if (Direct()) return dib_.Row(y);
    const size_t rowSize = static_cast<size_t>(dib_.Width) * static_cast<size_t>(Components());
    uint8_t* out = ring_.data() + rowSize * static_cast<size_t>(y % kEncodeBatch);
    if (grayscale_)
      ConvertToGrey(y, out);
    else
      ConvertToRGB(y, out);
    return out;
  }

  // The grey levels weigh red, green and blue as 77, 150 and 29 out of 256.
  static uint8_t Grey(int r, int g, int b) { return static_cast<uint8_t>((r * 77 + g * 150 + b * 29) >> 8); }

  void ConvertToGrey(int32_t y, uint8_t* out) const {
    if (dib_.Bits == 24 || dib_.Bits == 32) {
      const int step = dib_.Bits / 8;
      const uint8_t* in = dib_.Row(y);
      for (int32_t x = 0; x < dib_.Width; ++x, in += step) out[x] = Grey(in[2], in[1], in[0]);
      return;
    }
    for (int32_t x = 0; x < dib_.Width; ++x) {
      const TRGBQuad c = DibPixel(dib_, x, y);
      out[x] = Grey(c.rgbRed, c.rgbGreen, c.rgbBlue);
    }
  }

  void ConvertToRGB(int32_t y, uint8_t* out) const {
    for (int32_t x = 0; x < dib_.Width; ++x, out += 3) {
      const TRGBQuad c = DibPixel(dib_, x, y);
      out[0] = c.rgbRed;
      out[1] = c.rgbGreen;
      out[2] = c.rgbBlue;
    }
  }

  TDibImage& dib_;
  bool grayscale_;
  std::vector<uint8_t> ring_;
};

/// Memory that ran out is not bad data: the picture may be fine.
[[noreturn]] void FailJpeg(const char* detail, bool outOfMemory = false) {
  if (outOfMemory) RaiseOutOfMemory();
  throw EInvalidGraphic(std::string("JPEG error: ") + (detail && *detail ? detail : "invalid data"));
}

}  // namespace

struct TJPEGImage::Impl {
  std::vector<uint8_t> data;        // the JPEG bytes; empty while only a bitmap is held
  std::unique_ptr<TBitmap> bitmap;  // decoded pixels, or the bitmap to compress
  bool bitmap_is_source = false;    // the bitmap was assigned and is not compressed yet
  int32_t width = 0;
  int32_t height = 0;
  int quality = 90;
  bool progressive = false;
  bool smoothing = true;
  bool grayscale = false;
  TJPEGPixelFormat pixel_format = jf24Bit;
  TJPEGPerformance performance = jpBestQuality;
};

TJPEGImage::TJPEGImage() : impl_(std::make_unique<Impl>()) {}
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Assign(const TPersistent* source) {
  if (source == this) return;
  if (source == nullptr) {
    impl_->data.clear();
    impl_->bitmap.reset();
    impl_->bitmap_is_source = false;
    impl_->width = impl_->height = 0;
    Changed();
    return;
  }
  if (const auto* other = dynamic_cast<const TJPEGImage*>(source)) {
    const_cast<TJPEGImage*>(other)->Compress();
    impl_->data = other->impl_->data;
    impl_->bitmap.reset();
    impl_->bitmap_is_source = false;
    impl_->width = other->impl_->width;
    impl_->height = other->impl_->height;
    impl_->quality = other->impl_->quality;
    impl_->progressive = other->impl_->progressive;
    impl_->smoothing = other->impl_->smoothing;
    impl_->grayscale = other->impl_->grayscale;
    impl_->pixel_format = other->impl_->pixel_format;
    impl_->performance = other->impl_->performance;
    Changed();
    return;
  }
  if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(bitmap);
    impl_->width = copy->Width();
    impl_->height = copy->Height();
    impl_->bitmap = std::move(copy);
    impl_->bitmap_is_source = true;
    impl_->data.clear();
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

void TJPEGImage::AssignTo(TPersistent* dest) const {
  if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
    bitmap->Assign(&DecodedBitmap());
    return;
  }
  TGraphic::AssignTo(dest);
}

bool TJPEGImage::Empty() const {
  return impl_->data.empty() && !impl_->bitmap_is_source;
}
int32_t TJPEGImage::Width() const {
  return impl_->width;
}
int32_t TJPEGImage::Height() const {
  return impl_->height;
}

void TJPEGImage::LoadFromStream(TStream& stream) {
  const int64_t size = stream.Remaining();
  if (size > kMaxJpegBytes) throw EInvalidGraphic("JPEG error: the file is too large");
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (size > 0) stream.ReadBuffer(bytes.data(), size);
  DecodeJob job;
  job.data = bytes.data();
  job.size = bytes.size();
  job.header_only = true;
  if (bytes.empty() || !DecodeJpeg(&job)) FailJpeg(job.message, job.out_of_memory);
  impl_->data = std::move(bytes);
  impl_->bitmap.reset();
  impl_->bitmap_is_source = false;
  impl_->width = job.width;
  impl_->height = job.height;
  Changed();
}

void TJPEGImage::SaveToStream(TStream& stream) {
  Compress();
  if (!impl_->data.empty()) stream.WriteBuffer(impl_->data.data(), static_cast<int64_t>(impl_->data.size()));
}

void TJPEGImage::ReadData(TStream& stream) {
  int32_t size = 0;
  stream.ReadBuffer(&size, 4);
  if (size < 0 || size > stream.Remaining()) FailJpeg("invalid data size");
  TMemoryStream data;
  if (size > 0) data.CopyFrom(stream, size);
  data.SetPosition(0);
  LoadFromStream(data);
}

void TJPEGImage::WriteData(TStream& stream) {
  Compress();
  const auto size = static_cast<int32_t>(impl_->data.size());
  stream.WriteBuffer(&size, 4);
  if (size > 0) stream.WriteBuffer(impl_->data.data(), size);
}

int TJPEGImage::CompressionQuality() const {
  return impl_->quality;
}
void TJPEGImage::SetCompressionQuality(int quality) {
  impl_->quality = std::clamp(quality, 1, 100);
}
bool TJPEGImage::ProgressiveEncoding() const {
  return impl_->progressive;
}
void TJPEGImage::SetProgressiveEncoding(bool value) {
  impl_->progressive = value;
}
bool TJPEGImage::Smoothing() const {
  return impl_->smoothing;
}
void TJPEGImage::SetSmoothing(bool value) {
  impl_->smoothing = value;
}
bool TJPEGImage::Grayscale() const {
  return impl_->grayscale;
}

void TJPEGImage::SetGrayscale(bool value) {
  if (value == impl_->grayscale) return;
  impl_->grayscale = value;
  if (!impl_->bitmap_is_source) impl_->bitmap.reset();
  Changed();
}

TJPEGPixelFormat TJPEGImage::PixelFormat() const {
  return impl_->pixel_format;
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat format) {
  if (format == impl_->pixel_format) return;
  impl_->pixel_format = format;
  if (!impl_->bitmap_is_source) impl_->bitmap.reset();
  Changed();
}

TJPEGPerformance TJPEGImage::Performance() const {
  return impl_->performance;
}

void TJPEGImage::SetPerformance(TJPEGPerformance value) {
  if (value == impl_->performance) return;
  impl_->performance = value;
  if (!impl_->bitmap_is_source) impl_->bitmap.reset();
}

void TJPEGImage::Compress() {
  if (!impl_->bitmap_is_source || !impl_->bitmap) return;
  TDibImage& dib = TBitmapAccess::Dib(*impl_->bitmap);
  if (dib.Empty()) {
    impl_->bitmap_is_source = false;
    return;
  }
  DibRows rows(dib, impl_->grayscale);
  EncodeJob job;
  job.row = &DibRows::Row;
  job.context = &rows;
  job.width = dib.Width;
  job.height = dib.Height;
  job.color_space = rows.ColorSpace();
  job.components = rows.Components();
  job.quality = impl_->quality;
  job.smoothing = impl_->smoothing;
  job.progressive = impl_->progressive;
  if (!EncodeJpeg(&job)) FailJpeg(job.message, job.out_of_memory);
  impl_->data.assign(job.output, job.output + job.output_size);
  std::free(job.output);
  impl_->bitmap_is_source = false;
}

void TJPEGImage::DIBNeeded() {
  DecodedBitmap();
}

TBitmap& TJPEGImage::DecodedBitmap() const {
  if (impl_->bitmap) return *impl_->bitmap;
  auto bitmap = std::make_unique<TBitmap>();
  if (!impl_->data.empty()) {
    DecodeJob job;
    job.data = impl_->data.data();
    job.size = impl_->data.size();
    job.smoothing = impl_->smoothing;
    job.fast = impl_->performance == jpBestSpeed;
    job.grayscale = impl_->grayscale;
    if (!DecodeJpeg(&job)) FailJpeg(job.message, job.out_of_memory);
    const std::unique_ptr<uint8_t, decltype(&std::free)> owned(job.pixels, &std::free);
    TDibImage dib = TDibImage::Create(job.width, job.height, 24, false, {}, TRGBQuad{});
    for (int32_t y = 0; y < job.height; ++y) {
      const uint8_t* src =
          job.pixels + static_cast<size_t>(y) * static_cast<size_t>(job.width) * job.components;
      uint8_t* row = dib.Row(y);
      for (int32_t x = 0; x < job.width; ++x) {
        const uint8_t* p = src + static_cast<size_t>(x) * job.components;
        uint8_t r, g, b;
        if (job.components == 1) {
          r = g = b = p[0];
        } else if (job.components == 4) {
          // CMYK JPEG is stored inverted (0 = full ink), with or without an Adobe marker:
          // that is how the files are written and how every other reader takes them.
          const int k = p[3];
          r = static_cast<uint8_t>((p[0] * k + 127) / 255);
          g = static_cast<uint8_t>((p[1] * k + 127) / 255);
          b = static_cast<uint8_t>((p[2] * k + 127) / 255);
        } else {
          r = p[0];
          g = p[1];
          b = p[2];
        }
        row[3 * x] = b;
        row[3 * x + 1] = g;
        row[3 * x + 2] = r;
      }
    }
    TBitmapAccess::SetDib(*bitmap, std::move(dib), pf24bit);
    if (impl_->pixel_format == jf8Bit) bitmap->SetPixelFormat(pf8bit);
  }
  impl_->bitmap = std::move(bitmap);
  return *impl_->bitmap;
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect) {
  TBitmap& bitmap = DecodedBitmap();
  canvas.StretchDraw(rect, &bitmap);
}
