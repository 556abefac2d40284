// Saving whole images: save -> load round trips of frames and extensions, the version and
// header written, the refusal of an image without frames, and Pillow reading our files.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <random>

#include "GIFTestSupport.h"

using namespace giftest;

namespace {

Bytes Save(TGIFImage& image) {
  TMemoryStream stream;
  image.SaveToStream(stream);
  return Bytes(stream.Bytes().begin(), stream.Bytes().end());
}

Bytes Noise(size_t count, int colors, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes pixels(count);
  for (auto& p : pixels) p = static_cast<uint8_t>(rng() % static_cast<unsigned>(colors));
  return pixels;
}

std::vector<RGB> Ramp(int count) {
  std::vector<RGB> table;
  for (int i = 0; i < count; ++i) table.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
  return table;
}

template <class T>
T* Find(TGIFSubImage& frame, int nth = 0) {
  for (const auto& e : frame.Extensions())
    if (auto* found = dynamic_cast<T*>(e.get()))
      if (nth-- == 0) return found;
  return nullptr;
}

/// Every frame's geometry, interlacing and pixels agree.
void ExpectSameFrames(TGIFImage& a, TGIFImage& b) {
  ASSERT_EQ(a.Count(), b.Count());
  for (int i = 0; i < a.Count(); ++i) {
    TGIFSubImage& fa = a.Images(i);
    TGIFSubImage& fb = b.Images(i);
    EXPECT_EQ(fa.BoundsRect(), fb.BoundsRect()) << "frame " << i;
    EXPECT_EQ(fa.Extensions().size(), fb.Extensions().size()) << "frame " << i;
    EXPECT_EQ(fa.Transparent(), fb.Transparent()) << "frame " << i;
    EXPECT_EQ(fa.Empty(), fb.Empty()) << "frame " << i;
    if (!fa.Empty()) {
      EXPECT_EQ(FramePixels(fa), FramePixels(fb)) << "frame " << i;
    }
  }
}

/// An animation using every kind of frame and extension the codec knows.
Bytes EverythingFile() {
  GifBuilder b;
  b.Header("89a", 40, 30, Ramp(16), 3);
  // Loop extension with a buffer-size sub-block, a comment and an unknown application block.
  b.Extension(0xFF, {11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'}, {});
  b.bytes.pop_back();  // replace the empty data by the loop sub-blocks
  b.bytes.insert(b.bytes.end(), {3, 1, 5, 0, 5, 2, 0x10, 0x20, 0, 0, 0});
  b.Extension(0xFE, {}, Bytes(300, 'c'));
  b.Extension(0xFF, {11, 'X', 'Y', 'Z', 'A', 'P', 'P', 'L', 'I', '1', '.', '0'}, {1, 2, 3});
  b.GraphicControl(2, true, 5, 30);
  b.Frame({0, 0, 40, 30, Noise(1200, 16, 1), {}, false, 4});
  // Interlaced frame with a local table and a plain text extension.
  b.Extension(0x01, {12, 1, 0, 2, 0, 30, 0, 8, 0, 6, 8, 1, 2}, {'h', 'i'});
  b.Frame({3, 4, 21, 17, Noise(21 * 17, 64, 2), Ramp(64), true, 6});
  // Extension with a label nobody knows, a second graphic control, then a plain frame.
  b.Extension(0x77, {}, {9, 9, 9});
  b.GraphicControl(1, false, 0, 10);
  b.GraphicControl(3, true, 1, 0);
  b.Frame({10, 10, 5, 5, Noise(25, 16, 3), {}, false, 4});
  // The loop extension under its other identifier, before the trailer: a frame of
  // extensions only.
  b.Extension(0xFF, {11, 'A', 'N', 'I', 'M', 'E', 'X', 'T', 'S', '1', '.', '0'}, {1, 7, 0});
  b.Trailer();
  return b.bytes;
}

TEST(GIFEncodeImage, EveryFrameKindAndExtensionSurvivesSaveAndLoad) {
  Loaded original(EverythingFile());
  ASSERT_TRUE(original.warnings.empty()) << original.warnings.front();
  ASSERT_EQ(original.image.Count(), 4);
  for (int compression : {0, 1}) {
    original.image.Compression = static_cast<uint8_t>(compression);
    const Bytes saved = Save(original.image);
    Loaded again(saved);
    EXPECT_TRUE(again.warnings.empty()) << again.warnings.front();
    ExpectSameFrames(original.image, again.image);
    EXPECT_EQ(again.image.Width(), 40);
    EXPECT_EQ(again.image.Height(), 30);
    EXPECT_EQ(again.image.Header().BackgroundColorIndex, 3);
    EXPECT_EQ(again.image.Header().ColorMap().Count(), 16);

    TGIFSubImage& first = again.image.Images(0);
    auto* loop = Find<TGIFAppExtNSLoop>(first);
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->Loops, 5);
    EXPECT_EQ(loop->BufferSize, 0x2010u);
    auto* comment = Find<TGIFCommentExtension>(first);
    ASSERT_NE(comment, nullptr);
    std::string joined;
    for (const auto& s : comment->Comment) joined += s;
    EXPECT_EQ(joined, std::string(300, 'c'));
    auto* unknown_app = Find<TGIFUnknownAppExtension>(first);
    ASSERT_NE(unknown_app, nullptr);
    EXPECT_EQ(unknown_app->IdentifierText(), "XYZAPPLI1.0");
    EXPECT_EQ(unknown_app->Blocks, std::vector<std::string>({std::string("\1\2\3", 3)}));
    auto* control = first.GraphicControlExtension();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->Disposal(), dmBackground);
    EXPECT_EQ(control->Delay(), 30);
    EXPECT_EQ(control->TransparentColorIndex(), 5);
    EXPECT_TRUE(first.Transparent());

    TGIFSubImage& second = again.image.Images(1);
    EXPECT_EQ(second.ColorMap().Count(), 64);
    auto* text = Find<TGIFTextExtension>(second);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Left, 1);
    EXPECT_EQ(text->GridWidth, 30);
    EXPECT_EQ(text->CharHeight, 8);
    EXPECT_EQ(text->BackgroundColorIndex, 2);
    EXPECT_EQ(text->Text, std::vector<std::string>({"hi"}));

    TGIFSubImage& third = again.image.Images(2);
    auto* raw = Find<TGIFUnknownExtension>(third);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->GetExtensionType(), 0x77);
    ASSERT_NE(Find<TGIFGraphicControlExtension>(third, 1), nullptr);
    EXPECT_EQ(third.GraphicControlExtension()->Disposal(), dmNoDisposal);
    EXPECT_FALSE(third.Transparent());  // only the first graphic control counts

    TGIFSubImage& last = again.image.Images(3);
    EXPECT_TRUE(last.Empty());
    auto* anim = Find<TGIFAppExtNSLoop>(last);
    ASSERT_NE(anim, nullptr);
    EXPECT_EQ(anim->IdentifierText(), "ANIMEXTS1.0");  // a loaded identifier is kept
    EXPECT_EQ(anim->Loops, 7);

    // Saving what was loaded from our own file gives the same bytes again.
    again.image.Compression = static_cast<uint8_t>(compression);
    EXPECT_EQ(Save(again.image), saved);
  }
}

TEST(GIFEncodeImage, LocalTableFrameIsWrittenWithoutInterlacing) {
  GifBuilder b;
  b.Header("87a", 8, 9).Frame({0, 0, 8, 9, Noise(72, 4, 5), Palette4(), true, 2}).Trailer();
  Loaded original(b.bytes);
  Loaded again(Save(original.image));
  EXPECT_FALSE(again.image.Images(0).Interlaced());
  ExpectSameFrames(original.image, again.image);
}

TEST(GIFEncodeImage, GlobalTableFrameKeepsInterlacing) {
  GifBuilder b;
  b.Header("87a", 8, 9, Palette4()).Frame({0, 0, 8, 9, Noise(72, 4, 6), {}, true, 2}).Trailer();
  Loaded original(b.bytes);
  Loaded again(Save(original.image));
  EXPECT_TRUE(again.image.Images(0).Interlaced());
  ExpectSameFrames(original.image, again.image);
}

TEST(GIFEncodeImage, FrameWithoutAnyColourTableKeepsItsIndices) {
  GifBuilder b;
  b.Header("87a", 6, 6).Frame({0, 0, 6, 6, Noise(36, 32, 7), {}, false, 5}).Trailer();
  Loaded original(b.bytes);
  const Bytes saved = Save(original.image);
  // No table anywhere: resolution and size fields both hold -1, all bits set.
  EXPECT_EQ(saved[10], 0x77);
  Loaded again(saved);
  ExpectSameFrames(original.image, again.image);
}

struct VersionCase {
  const char* name;
  const char* expected;
  bool control, sorted_local;
  uint8_t aspect;
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const VersionCase& c, std::ostream* os) {
  *os << c.name;
}

const VersionCase kVersionCases[] = {
    {"PlainFramesAre87a", "GIF87a", false, false, 0},
    {"GraphicControlMakes89a", "GIF89a", true, false, 0},
    {"SortedLocalTableMakes89a", "GIF89a", false, true, 0},
    {"HeadersAspectRatioIsNotAsked", "GIF87a", false, false, 49},
};

class GIFEncodeVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(GIFEncodeVersion, WrittenVersionIsTheHighestAnyFrameNeeds) {
  const VersionCase& c = GetParam();
  GifBuilder b;
  // The version written in the source file does not matter.
  b.Header("89a", 4, 4, Palette4(), 0, c.aspect);
  if (c.control) b.GraphicControl(0, false, 0);
  b.Frame({0, 0, 4, 4, Noise(16, 4, 8), c.sorted_local ? Palette4() : std::vector<RGB>{}, false, 2});
  b.Trailer();
  Loaded original(b.bytes);
  if (c.sorted_local) original.image.Images(0).ColorMap().SetOptimized(true);
  const Bytes saved = Save(original.image);
  EXPECT_EQ(std::string(saved.begin(), saved.begin() + 6), c.expected);
  Loaded again(saved);
  ExpectSameFrames(original.image, again.image);
  EXPECT_EQ(again.image.Header().AspectRatio, c.aspect);
}

INSTANTIATE_TEST_SUITE_P(Cases, GIFEncodeVersion, ::testing::ValuesIn(kVersionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GIFEncodeImage, ImageWithoutFramesIsRefusedBeforeWriting) {
  TGIFImage image;
  TMemoryStream stream;
  try {
    image.SaveToStream(stream);
    ADD_FAILURE() << "no error";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Unsupported GIF version");
  }
  EXPECT_EQ(stream.Size(), 0);
}

TEST(GIFEncodeImage, HeaderPadsTheGlobalTableToAPowerOfTwo) {
  GifBuilder b;
  b.Header("87a", 2, 2, Palette4()).Frame({0, 0, 2, 2, {0, 1, 2, 0}, {}, false, 2}).Trailer();
  Loaded loaded(b.bytes);
  TGIFColorMap& map = loaded.image.Header().ColorMap();
  map.Clear();
  map.Add(MakeColor(0x0000FF));
  map.Add(MakeColor(0x00FF00));
  map.Add(MakeColor(0xFF0000));
  const Bytes saved = Save(loaded.image);
  // Packed: table present, resolution 1 (2 bits - 1), size bits 1 = 4 entries.
  EXPECT_EQ(saved[10], 0x80 | 0x10 | 0x01);
  const Bytes table(saved.begin() + 13, saved.begin() + 25);
  EXPECT_EQ(table, (Bytes{0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0}));
  EXPECT_EQ(saved.back(), 0x3B);
}

TEST(GIFEncodeImage, SavingReportsProgress) {
  Loaded loaded(EverythingFile());
  std::vector<int> percents;
  loaded.image.OnProgress = [&](TObject*, TProgressStage, uint8_t percent, bool, const TRect&,
                                const std::string& message) {
    EXPECT_EQ(message, "Saving...");
    percents.push_back(percent);
  };
  Save(loaded.image);
  EXPECT_EQ(percents, (std::vector<int>{0, 25, 50, 75, 100, 100}));
}

struct PillowCase {
  const char* name;
  int width, height, colors;
  bool interlaced, local;
  int compression;
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const PillowCase& c, std::ostream* os) {
  *os << c.name;
}

const PillowCase kPillowCases[] = {
    {"FourColoursLZW", 30, 20, 4, false, false, 0},
    {"FourColoursRunLength", 30, 20, 4, false, false, 1},
    {"NoiseLZW", 150, 120, 256, false, true, 0},
    {"NoiseRunLength", 150, 120, 256, false, true, 1},
    {"InterlacedGlobalLZW", 33, 47, 16, true, false, 0},
    {"InterlacedGlobalRunLength", 33, 47, 16, true, false, 1},
};

class GIFEncodePillow : public ::testing::TestWithParam<PillowCase> {};

TEST_P(GIFEncodePillow, PillowReadsOurFilesToTheSamePixels) {
  const PillowCase& c = GetParam();
  const size_t n = static_cast<size_t>(c.width) * static_cast<size_t>(c.height);
  GifBuilder b;
  FrameSpec f{0, 0, c.width, c.height, Noise(n, c.colors, 9), {}, c.interlaced, BitsPerPixel(c.colors)};
  if (c.local) {
    b.Header("87a", c.width, c.height);
    f.local = Ramp(c.colors);
  } else {
    b.Header("87a", c.width, c.height, Ramp(c.colors));
  }
  f.min_code_size = std::max(2, f.min_code_size);
  b.Frame(f).Trailer();
  Loaded original(b.bytes);
  original.image.Compression = static_cast<uint8_t>(c.compression);
  const Bytes saved = Save(original.image);
  Loaded again(saved);
  EXPECT_EQ(FramePixels(again.image.Images(0)), f.pixels);
  if (!HavePillow()) GTEST_SKIP() << "Pillow is not installed";
  const std::optional<Bytes> pillow = PillowIndices(saved);
  ASSERT_TRUE(pillow.has_value());
  EXPECT_EQ(*pillow, f.pixels);
}

INSTANTIATE_TEST_SUITE_P(Cases, GIFEncodePillow, ::testing::ValuesIn(kPillowCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
