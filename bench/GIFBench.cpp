// GIF decoding and drawing. TGIFImage loading a corpus made here (2,000 small files of every
// shape, some animated and transparent, and large photo-like files) against giflib's
// DGifSlurp followed by mapping every frame's indices to colours; drawing the first frame
// onto a bitmap against the decoding; and the peak memory of drawing one large transparent
// frame against the target bitmap plus the frame's indices. Prints the ratios.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "gif/GIFImage.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Canvas.h"

namespace {

struct FileShape {
  int32_t width;
  int32_t height;
  int colors;
  int frames;
  bool transparent;
  bool photo;  // smooth colour changes with noise; otherwise flat areas with sharp edges
};

/// One GIF image of that shape, made from bitmaps.
std::unique_ptr<TGIFImage> MakeImage(const FileShape& shape, unsigned seed) {
  std::mt19937 rng(seed);
  auto made = std::make_unique<TGIFImage>();
  TGIFImage& image = *made;
  std::vector<TRGBQuad> table(256);
  for (int i = 0; i < 256; ++i)
    table[static_cast<size_t>(i)] = TRGBQuad{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                             static_cast<uint8_t>((i * 7) & 255), 0};
  for (int f = 0; f < shape.frames; ++f) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf8bit);
    bitmap.SetSize(shape.width, shape.height);
    bitmap.SetColorTable(table);
    const int phase = static_cast<int>(rng() % 64);
    for (int32_t y = 0; y < shape.height; ++y) {
      uint8_t* row = bitmap.ScanLine(y);
      for (int32_t x = 0; x < shape.width; ++x) {
        int value;
        if (shape.photo) {
          value = (x * 3 + y * 2 + phase) / 16 + static_cast<int>(rng() % 5);
        } else {
          value = ((x + phase) / 8 + y / 8) % 4 == 0 ? 0 : 1 + (x / 16 + y / 16 + phase) % 7;
        }
        row[x] = static_cast<uint8_t>(value % shape.colors);
      }
    }
    TGIFSubImage& frame = image.Images(image.AddBitmap(bitmap));
    if (shape.transparent) {
      frame.EnsureGraphicControl().SetTransparentColorIndex(0);
      frame.EnsureGraphicControl().SetTransparent(true);
    }
  }
  return made;
}

/// One GIF file of that shape, written by our own encoder.
std::string MakeGIF(const FileShape& shape, unsigned seed) {
  TMemoryStream out;
  MakeImage(shape, seed)->SaveToStream(out);
  return out.DataString();
}

const std::vector<std::string>& SmallCorpus() {
  static const std::vector<std::string> corpus = [] {
    std::vector<std::string> files;
    std::mt19937 rng(2000);
    for (int i = 0; i < 2000; ++i) {
      const FileShape shape{16 + static_cast<int32_t>(rng() % 300),
                            16 + static_cast<int32_t>(rng() % 200),
                            2 << (rng() % 8),
                            rng() % 5 == 0 ? 2 + static_cast<int>(rng() % 4) : 1,
                            rng() % 3 == 0,
                            rng() % 2 == 0};
      files.push_back(MakeGIF(shape, static_cast<unsigned>(i)));
    }
    return files;
  }();
  return corpus;
}

const std::vector<std::string>& LargeFiles() {
  static const std::vector<std::string> files = {MakeGIF({2000, 2000, 256, 1, true, true}, 1),
                                                 MakeGIF({4000, 4000, 256, 1, false, true}, 2)};
  return files;
}

std::unique_ptr<TGIFImage> Load(const std::string& file) {
  TBytesStream stream(reinterpret_cast<const uint8_t*>(file.data()), static_cast<int64_t>(file.size()));
  auto image = std::make_unique<TGIFImage>();
  image->LoadFromStream(stream);
  return image;
}

size_t OursDecode(const std::vector<std::string>& files) {
  size_t frames = 0;
  for (const std::string& file : files) frames += static_cast<size_t>(Load(file)->Count());
  return frames;
}

struct MemoryInput {
  const std::string* file;
  size_t at;
};

int ReadMemory(GifFileType* gif, GifByteType* buffer, int count) {
  auto* input = static_cast<MemoryInput*>(gif->UserData);
  const size_t n = std::min(static_cast<size_t>(count), input->file->size() - input->at);
  std::memcpy(buffer, input->file->data() + input->at, n);
  input->at += n;
  return static_cast<int>(n);
}

/// DGifSlurp, then (when asked) every frame's indices mapped to 32-bit colours.
size_t GiflibDecode(const std::vector<std::string>& files, bool map_colours) {
  static std::vector<uint32_t> colours;
  size_t frames = 0;
  for (const std::string& file : files) {
    MemoryInput input{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&input, ReadMemory, &error);
    if (gif == nullptr) continue;
    if (DGifSlurp(gif) == GIF_OK) {
      for (int i = 0; i < gif->ImageCount && map_colours; ++i) {
        const SavedImage& frame = gif->SavedImages[i];
        const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
        const size_t count =
            static_cast<size_t>(frame.ImageDesc.Width) * static_cast<size_t>(frame.ImageDesc.Height);
        colours.resize(std::max(colours.size(), count));
        for (size_t p = 0; p < count && map; ++p) {
          const int index = frame.RasterBits[p];
          const GifColorType c = index < map->ColorCount ? map->Colors[index] : GifColorType{0, 0, 0};
          colours[p] = 0xFF000000u | (uint32_t{c.Red} << 16) | (uint32_t{c.Green} << 8) | c.Blue;
        }
      }
      frames += static_cast<size_t>(gif->ImageCount);
    }
    DGifCloseFile(gif, &error);
  }
  return frames;
}

// Encoding: one frame of 1500 x 1500 pixels, photo-like or flat, saved by TGIFImage (the
// program's road) and by giflib's EGif* calls with the same colour table.

const std::vector<std::unique_ptr<TGIFImage>>& EncodeFrames() {
  static const std::vector<std::unique_ptr<TGIFImage>> frames = [] {
    std::vector<std::unique_ptr<TGIFImage>> made;
    made.push_back(MakeImage({1500, 1500, 256, 1, false, true}, 4));
    made.push_back(MakeImage({1500, 1500, 8, 1, false, false}, 5));
    return made;
  }();
  return frames;
}

std::string OursEncode(TGIFImage& image) {
  TMemoryStream out;
  image.SaveToStream(out);
  return out.DataString();
}

int WriteMemory(GifFileType* gif, const GifByteType* bytes, int count) {
  static_cast<std::string*>(gif->UserData)
      ->append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
  return count;
}

/// The first frame of `image` written by giflib with the frame's colour table as the global one.
std::string GiflibEncode(TGIFImage& image) {
  TGIFSubImage& frame = image.Images(0);
  TGIFColorMap& table = frame.EffectiveColorMap();
  std::vector<GifColorType> colours(size_t{1} << table.BitsPerPixel());
  for (int i = 0; i < table.Count(); ++i) {
    const TRGBQuad q = table.Quad(i);
    colours[static_cast<size_t>(i)] = GifColorType{q.rgbRed, q.rgbGreen, q.rgbBlue};
  }
  std::string out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteMemory, &error);
  ColorMapObject* map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
  EGifPutScreenDesc(gif, frame.Width(), frame.Height(), 8, 0, map);
  EGifPutImageDesc(gif, 0, 0, frame.Width(), frame.Height(), false, nullptr);
  std::vector<GifPixelType> row(static_cast<size_t>(frame.Width()));
  for (int32_t y = 0; y < frame.Height(); ++y) {
    std::memcpy(row.data(), frame.Scanline(y), row.size());
    EGifPutLine(gif, row.data(), frame.Width());
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

/// The first frame's image data of a GIF file: the minimum code size and the sub-blocks.
std::string FirstImageData(const std::string& file) {
  size_t at = 13;
  const auto table = [&file](size_t packed) { return (packed & 0x80) ? size_t{3} << ((packed & 7) + 1) : 0; };
  at += table(static_cast<uint8_t>(file[10]));
  while (at < file.size() && file[at] == '!') {
    at += 2;
    while (at < file.size() && file[at] != 0) at += 1 + static_cast<uint8_t>(file[at]);
    ++at;
  }
  at += 10 + table(static_cast<uint8_t>(file[at + 9]));
  size_t end = at + 1;
  while (end < file.size() && file[end] != 0) end += 1 + static_cast<uint8_t>(file[end]);
  return file.substr(at, end + 1 - at);
}

void BM_OursEncodePhoto(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(OursEncode(*EncodeFrames()[0]));
}
void BM_GiflibEncodePhoto(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(GiflibEncode(*EncodeFrames()[0]));
}
void BM_OursEncodeFlat(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(OursEncode(*EncodeFrames()[1]));
}
void BM_GiflibEncodeFlat(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(GiflibEncode(*EncodeFrames()[1]));
}
BENCHMARK(BM_OursEncodePhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GiflibEncodePhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursEncodeFlat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GiflibEncodeFlat)->Unit(benchmark::kMillisecond);

/// Loads the file (not timed) and times drawing its first frame onto a bitmap of its size
/// (`format`), at its own size or stretched to three quarters of it.
double DrawSeconds(const std::string& file, TPixelFormat format, bool stretched) {
  const std::unique_ptr<TGIFImage> image = Load(file);
  TBitmap target;
  target.SetPixelFormat(format);
  target.SetSize(image->Width(), image->Height());
  const int32_t width = stretched ? image->Width() * 3 / 4 : image->Width();
  const int32_t height = stretched ? image->Height() * 3 / 4 : image->Height();
  const auto start = std::chrono::steady_clock::now();
  target.Canvas().StretchDraw(Rect(0, 0, width, height), image.get());
  benchmark::DoNotOptimize(target.ScanLine(0));  // the drawing reaches the bitmap's pixels
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double MedianDrawSeconds(int runs, const std::string& file, TPixelFormat format, bool stretched) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(DrawSeconds(file, format, stretched));
  std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
  return times[static_cast<size_t>(runs / 2)];
}

void BM_OursSmallCorpus(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(OursDecode(SmallCorpus()));
}
void BM_GiflibSmallCorpus(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(GiflibDecode(SmallCorpus(), true));
}
void BM_OursLarge(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(OursDecode(LargeFiles()));
}
void BM_GiflibLarge(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(GiflibDecode(LargeFiles(), true));
}
BENCHMARK(BM_OursSmallCorpus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GiflibSmallCorpus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GiflibLarge)->Unit(benchmark::kMillisecond);

/// A figure of /proc/self/status in bytes ("VmRSS", "VmHWM").
int64_t StatusBytes(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key + ":", 0) == 0) return std::stoll(line.substr(key.size() + 1)) * 1024;
  return -1;
}

/// Draws one 10000 x 10000 transparent frame onto a bitmap of its size; prints the peak
/// memory of the drawing beside the target bitmap plus the frame's indices.
void ReportDrawingPeak() {
  constexpr int32_t kSide = 10000;
  std::string file = MakeGIF({kSide, kSide, 4, 1, true, false}, 3);
  const int64_t before = StatusBytes("VmRSS");
  std::unique_ptr<TGIFImage> image = Load(file);
  file.clear();
  file.shrink_to_fit();
  TBitmap target;
  target.SetSize(kSide, kSide);
  const int64_t target_bytes = int64_t{kSide} * kSide * 4;
  const int64_t index_bytes = int64_t{kSide} * kSide;
  // Resetting the peak to the present needs a kernel that allows it; otherwise the peak of
  // the whole run is reported.
  std::ofstream("/proc/self/clear_refs") << "5";
  target.Canvas().StretchDraw(Rect(0, 0, kSide, kSide), image.get());
  benchmark::DoNotOptimize(target.ScanLine(0));
  const int64_t peak = StatusBytes("VmHWM") - before;
  std::printf(
      "drawing a 10000 x 10000 transparent frame: peak %.0f MB above the start, target %.0f MB + indices "
      "%.0f MB "
      "(aim: peak <= %.0f MB)\n",
      peak / 1e6, target_bytes / 1e6, index_bytes / 1e6, (target_bytes + index_bytes) * 1.1 / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  if (!RunBenchmarks(argc, argv)) return 1;
  constexpr int kRuns = 7;
  const auto ratio = [](const std::vector<std::string>& files, bool map_colours) {
    return MedianSeconds(kRuns, [&] { return OursDecode(files); }) /
           MedianSeconds(kRuns, [&] { return GiflibDecode(files, map_colours); });
  };
  std::printf(
      "GIF decoding time relative to giflib with colour mapping (aim <= 1.0): 2,000 small files %.2f, "
      "large photo-like files %.2f; relative to DGifSlurp alone: %.2f, %.2f\n",
      ratio(SmallCorpus(), true), ratio(LargeFiles(), true), ratio(SmallCorpus(), false),
      ratio(LargeFiles(), false));
  for (const std::string& file : LargeFiles()) {
    const std::unique_ptr<TGIFImage> image = Load(file);
    const double decode = MedianSeconds(5, [&] { return Load(file)->Count(); });
    std::printf(
        "drawing the first frame of a %d x %d file%s relative to decoding it (aim <= 1.5): onto 32 bits "
        "%.2f, "
        "onto 24 bits %.2f, stretched onto 32 bits %.2f\n",
        image->Width(), image->Height(), image->Images(0).Transparent() ? " (transparent)" : "",
        MedianDrawSeconds(5, file, pf32bit, false) / decode,
        MedianDrawSeconds(5, file, pf24bit, false) / decode,
        MedianDrawSeconds(5, file, pf32bit, true) / decode);
  }
  const char* kinds[] = {"photo-like", "flat"};
  for (size_t i = 0; i < EncodeFrames().size(); ++i) {
    TGIFImage& image = *EncodeFrames()[i];
    const bool same = FirstImageData(OursEncode(image)) == FirstImageData(GiflibEncode(image));
    // The two sides alternate run by run, so a busy machine slows both alike.
    std::vector<double> ours, theirs;
    for (int run = 0; run < kRuns; ++run) {
      ours.push_back(MedianSeconds(1, [&] { return OursEncode(image); }));
      theirs.push_back(MedianSeconds(1, [&] { return GiflibEncode(image); }));
    }
    std::sort(ours.begin(), ours.end());
    std::sort(theirs.begin(), theirs.end());
    std::printf(
        "GIF encoding time of a %d x %d %s frame relative to giflib's EGif* calls (aim <= 1.0): %.2f; %s\n",
        image.Width(), image.Height(), kinds[i], ours[kRuns / 2] / theirs[kRuns / 2],
        same ? "the same image data" : "DIFFERENT image data");
  }
  ReportDrawingPeak();
  return 0;
}
