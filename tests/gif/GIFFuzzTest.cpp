// The GIF decoder's fuzz step over deterministic mutations of files that use interlacing, global
// and local palettes, transparency, several frames and every extension kind: no input may raise
// anything but a GIF error, crash, leak or hang, and what loads must save and load again.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "../../tools/fuzz/FuzzMutator.h"
#include "../../tools/fuzz/GIFDecoderFuzzEntry.h"
#include "GIFTestSupport.h"

using namespace giftest;

namespace {

Bytes Gradient(int width, int height, int colours) {
  Bytes pixels(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i * 5 / 3) % colours);
  return pixels;
}

std::vector<std::string> Seeds() {
  std::vector<Bytes> files;
  {  // animated: global palette, loop, comment, transparency, interlaced and local-palette frames
    GifBuilder b;
    b.Header("89a", 16, 12, Palette4(), 1);
    b.Extension(0xFF, {11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'}, Bytes{1, 3, 0});
    b.Extension(0xFE, {}, Bytes{'z', 'u', 'k'});
    b.GraphicControl(1, true, 3, 10);
    b.Frame(FrameSpec{0, 0, 16, 12, Gradient(16, 12, 4), {}, true, 2});
    b.GraphicControl(2, false, 0, 5);
    b.Frame(FrameSpec{3, 2, 7, 5, Gradient(7, 5, 2), {{9, 8, 7}, {200, 100, 50}}, false, 2});
    b.GraphicControl(3, true, 0, 5);
    b.Frame(FrameSpec{8, 6, 8, 6, Gradient(8, 6, 4), {}, true, 3});
    files.push_back(b.Trailer().bytes);
  }
  {  // no global palette, a plain text extension and a frame with a 16-colour local palette
    GifBuilder b;
    b.Header("89a", 10, 9);
    b.Extension(0x01, {12, 0, 0, 0, 0, 8, 0, 8, 0, 4, 4, 1, 0}, Bytes{'h', 'i'});
    std::vector<RGB> local(16);
    for (size_t i = 0; i < local.size(); ++i) local[i] = {static_cast<uint8_t>(i * 16), 40, 90};
    b.GraphicControl(0, true, 15);
    b.Frame(FrameSpec{1, 1, 9, 8, Gradient(9, 8, 16), local, false, 4});
    files.push_back(b.Trailer().bytes);
  }
  {  // 87a with a 256-colour global palette and long LZW data
    GifBuilder b;
    std::vector<RGB> global(256);
    for (size_t i = 0; i < global.size(); ++i)
      global[i] = {static_cast<uint8_t>(i), 0, static_cast<uint8_t>(255 - i)};
    b.Header("87a", 40, 30, global);
    b.Frame(FrameSpec{0, 0, 40, 30, Gradient(40, 30, 256), {}, true, 8});
    files.push_back(b.Trailer().bytes);
  }
  std::vector<std::string> seeds;
  for (const Bytes& f : files) seeds.emplace_back(f.begin(), f.end());
  return seeds;
}

Bytes Saved(TGIFImage& image) {
  TMemoryStream out;
  image.SaveToStream(out);
  out.SetPosition(0);
  Bytes bytes(static_cast<size_t>(out.Size()));
  out.Read(bytes.data(), out.Size());
  return bytes;
}

// An application block of another size than 11 is kept raw even when it starts with a known
// identifier; written back under size 11 it would turn into that extension and, with data that
// extension cannot read, the saved file would no longer load.
TEST(GIFFuzz, OddSizedApplicationBlockIsWrittenBackAsRead) {
  for (const uint8_t size : {10, 11, 14}) {
    Bytes head = {size, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 'x', 'y', 'z'};
    head.resize(size + 1u);
    GifBuilder b;
    b.Header("89a", 4, 2, Palette4());
    b.Extension(0xFF, head, Bytes{0x82, 0xB3});
    b.Frame(FrameSpec{0, 0, 4, 2, Gradient(4, 2, 4), {}, false, 2});
    b.Trailer();
    std::unique_ptr<Loaded> loaded;
    try {
      loaded = std::make_unique<Loaded>(b.bytes);
    } catch (const GIFException&) {
      EXPECT_EQ(size, 11) << "only the real loop extension may refuse this data";
      continue;
    }
    const Bytes saved = Saved(loaded->image);
    EXPECT_NE(std::search(saved.begin(), saved.end(), head.begin(), head.end()), saved.end()) << int{size};
    Loaded again(saved);
    EXPECT_EQ(Saved(again.image), saved) << int{size};
  }
}

TEST(GIFFuzz, SeedsLoadDrawAndSave) {
  for (const std::string& seed : Seeds()) {
    const Bytes bytes(seed.begin(), seed.end());
    Loaded loaded(bytes);
    EXPECT_GT(loaded.image.Count(), 0);
    EXPECT_NO_THROW(FuzzGIFDecoderOnce(bytes.data(), bytes.size()));
  }
}

TEST(GIFFuzz, MutatedFilesNeverEscapeTheDecoder) {
  EXPECT_EQ(ReplayMutations(Seeds(), 20261207, 3000, FuzzGIFDecoderOnce), "");
}

}  // namespace
