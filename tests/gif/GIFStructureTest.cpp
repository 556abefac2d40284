// The block structure of GIF files: header and signature, colour tables, extensions kept in
// file order, graphic control and transparency, several frames, warnings for odd blocks.
#include <gtest/gtest.h>

#include <ostream>

#include "GIFTestSupport.h"
#include "platform/graphics/Graphic.h"

using namespace giftest;

namespace {

FrameSpec Solid(int left, int top, int width, int height, uint8_t index) {
  return FrameSpec{left, top, width, height, Bytes(static_cast<size_t>(width * height), index), {}, false, 2};
}

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

TEST(GIFHeader, ReadsLogicalScreenAndGlobalTable) {
  GifBuilder b;
  b.Header("89a", 300, 200, Palette4(), 2, 49).Frame(Solid(0, 0, 2, 2, 1)).Trailer();
  Loaded loaded(b.bytes);
  TGIFImage& image = loaded.image;
  EXPECT_EQ(image.Width(), 300);
  EXPECT_EQ(image.Height(), 200);
  EXPECT_EQ(image.Header().ColorMap().Count(), 4);
  EXPECT_EQ(image.Header().BackgroundColor(), 0xFF0000);  // blue, as a colour value
  EXPECT_EQ(image.Header().GetVersion(), gv89a);          // aspect ratio set
  EXPECT_EQ(image.Version(), gv87a);                      // the frames need only 87a
  EXPECT_EQ(&image.Images(0).EffectiveColorMap(), &image.Header().ColorMap());
}

TEST(GIFHeader, AcceptsLowerCaseSignatureAnyVersionAndFourLeadingBytes) {
  for (const Bytes& prefix : {Bytes{}, Bytes{1, 2, 3, 4}}) {
    GifBuilder b;
    b.Header("xyz", 4, 4).Trailer();
    b.bytes[0] = 'g';
    b.bytes.insert(b.bytes.begin(), prefix.begin(), prefix.end());
    Loaded loaded(b.bytes);
    EXPECT_EQ(loaded.image.Width(), 4);
    EXPECT_TRUE(loaded.image.Empty());
  }
}

TEST(GIFHeader, RefusesOtherSignatures) {
  GifBuilder b;
  b.Header("89a", 4, 4).Trailer();
  b.bytes[1] = 'X';
  EXPECT_THROW(Loaded{b.bytes}, GIFException);
  try {
    Loaded{b.bytes};
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Invalid GIF signature");
  }
}

TEST(GIFHeader, AssignedFromAColourTableKeepsOnlyTheTable) {
  Loaded loaded(GifBuilder().Header("89a", 300, 200, Palette4(), 2, 49).Trailer().bytes);
  TGIFHeader& header = loaded.image.Header();
  header.Assign(header.ColorMap());  // from its own table, which the clearing must not empty
  EXPECT_EQ(std::vector<int>({header.Width, header.Height, header.PackedFields, header.BackgroundColorIndex,
                              header.AspectRatio, header.ColorMap().Count(), header.ColorMap().Colors(1)}),
            std::vector<int>({0, 0, 0, 0, 0, 4, MakeColor(0x00FF00)}));
}

TEST(GIFColorMap, IndexOfAndOverflow) {
  TGIFColorMap map(nullptr);
  map.Add(0x102030);
  map.Add(0x405060);
  map.Add(0x102030);
  EXPECT_EQ(map.IndexOf(0x102030), 2);  // unsorted: searched from the last entry
  map.SetOptimized(true);
  EXPECT_EQ(map.IndexOf(0x102030), 0);
  EXPECT_EQ(map.IndexOf(0x999999), -1);
  for (int i = 3; i < 256; ++i) map.Add(i);
  EXPECT_THROW(map.Add(0), GIFException);
  EXPECT_EQ(BitsPerPixel(0), 0);
  EXPECT_EQ(BitsPerPixel(2), 1);
  EXPECT_EQ(BitsPerPixel(3), 2);
  EXPECT_EQ(BitsPerPixel(256), 8);
}

TEST(GIFExtensions, AreKeptInFileOrderWithTheirData) {
  GifBuilder b;
  b.Header("89a", 4, 4, Palette4());
  b.Extension(0xFE, {}, Text("hello comment"));
  Bytes text_head = {12, 1, 0, 2, 0, 30, 0, 40, 0, 8, 16, 1, 0};
  b.Extension(0x01, text_head, Text("plain text"));
  Bytes loop_head = {11};
  const std::string ns = "NETSCAPE2.0";
  loop_head.insert(loop_head.end(), ns.begin(), ns.end());
  b.bytes.insert(b.bytes.end(), {0x21, 0xFF});
  b.bytes.insert(b.bytes.end(), loop_head.begin(), loop_head.end());
  b.bytes.insert(b.bytes.end(), {3, 1, 5, 0, 5, 2, 0x10, 0, 0, 0, 0});
  Bytes app_head = {11};
  const std::string other = "OTHERAPP1.0";
  app_head.insert(app_head.end(), other.begin(), other.end());
  b.Extension(0xFF, app_head, Text("opaque application data"));
  b.Extension(0x77, {}, Text("unknown label"));
  b.GraphicControl(2, true, 3, 25);
  b.Frame(Solid(0, 0, 4, 4, 1)).Trailer();

  Loaded loaded(b.bytes);
  ASSERT_EQ(loaded.image.Count(), 1);
  TGIFSubImage& frame = loaded.image.Images(0);
  const auto& ext = frame.Extensions();
  ASSERT_EQ(ext.size(), 6u);

  auto* comment = dynamic_cast<TGIFCommentExtension*>(ext[0].get());
  ASSERT_NE(comment, nullptr);
  EXPECT_EQ(comment->Comment, std::vector<std::string>{"hello comment"});

  auto* text = dynamic_cast<TGIFTextExtension*>(ext[1].get());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->Left, 1);
  EXPECT_EQ(text->Top, 2);
  EXPECT_EQ(text->GridWidth, 30);
  EXPECT_EQ(text->GridHeight, 40);
  EXPECT_EQ(text->CharWidth, 8);
  EXPECT_EQ(text->CharHeight, 16);
  EXPECT_EQ(text->ForegroundColorIndex, 1);
  EXPECT_EQ(text->Text, std::vector<std::string>{"plain text"});

  auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(ext[2].get());
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->Loops, 5);
  EXPECT_EQ(loop->BufferSize, 16u);

  auto* app = dynamic_cast<TGIFUnknownAppExtension*>(ext[3].get());
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(app->IdentifierText(), "OTHERAPP1.0");
  EXPECT_EQ(app->Blocks, std::vector<std::string>{"opaque application data"});

  auto* unknown = dynamic_cast<TGIFUnknownExtension*>(ext[4].get());
  ASSERT_NE(unknown, nullptr);
  EXPECT_EQ(unknown->GetExtensionType(), 0x77);
  EXPECT_EQ(unknown->Blocks, std::vector<std::string>{"unknown label"});

  ASSERT_EQ(frame.GraphicControlExtension(), ext[5].get());
  EXPECT_EQ(frame.GraphicControlExtension()->Delay(), 25);
  EXPECT_EQ(frame.GraphicControlExtension()->Disposal(), dmBackground);
  EXPECT_TRUE(frame.Transparent());
  EXPECT_EQ(frame.GetVersion(), gv89a);
  EXPECT_EQ(loaded.image.Version(), gv89a);
  EXPECT_TRUE(loaded.warnings.empty());
}

TEST(GIFExtensions, AnimextsIdentifierLoadsAsLoopExtension) {
  GifBuilder b;
  b.Header("89a", 1, 1, Palette4());
  Bytes head = {11};
  const std::string id = "ANIMEXTS1.0";
  head.insert(head.end(), id.begin(), id.end());
  b.Extension(0xFF, head, {1, 0, 0});
  b.Frame(Solid(0, 0, 1, 1, 0)).Trailer();
  Loaded loaded(b.bytes);
  auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(loaded.image.Images(0).Extensions()[0].get());
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->Loops, 0);  // endless
  EXPECT_EQ(loop->IdentifierText(), "ANIMEXTS1.0");
}

TEST(GIFExtensions, GraphicControlBlockSizeIsHonoured) {
  // A 6-byte block: the two extra bytes are skipped, not taken for the terminator.
  GifBuilder b;
  b.Header("89a", 2, 1, Palette4());
  b.bytes.insert(b.bytes.end(), {0x21, 0xF9, 6, 0x01, 7, 0, 2, 0xAA, 0xBB, 0});
  b.Frame(Solid(0, 0, 2, 1, 2)).Trailer();
  Loaded loaded(b.bytes);
  ASSERT_EQ(loaded.image.Count(), 1);
  TGIFSubImage& frame = loaded.image.Images(0);
  ASSERT_NE(frame.GraphicControlExtension(), nullptr);
  EXPECT_EQ(frame.GraphicControlExtension()->Delay(), 7);
  EXPECT_EQ(frame.GraphicControlExtension()->TransparentColorIndex(), 2);
  EXPECT_EQ(FramePixels(frame), (Bytes{2, 2}));
}

TEST(GIFExtensions, OnlyTheFirstGraphicControlSetsTransparency) {
  GifBuilder b;
  b.Header("89a", 2, 1, Palette4());
  b.GraphicControl(0, false, 0).GraphicControl(0, true, 1);
  b.Frame(Solid(0, 0, 2, 1, 1)).Trailer();
  Loaded loaded(b.bytes);
  TGIFSubImage& frame = loaded.image.Images(0);
  EXPECT_EQ(frame.Extensions().size(), 2u);
  EXPECT_EQ(frame.GraphicControlExtension(), frame.Extensions()[0].get());
  EXPECT_FALSE(frame.Transparent());
}

TEST(GIFFrames, SeveralFramesWithDisposalAndLocalTables) {
  FrameSpec second = Solid(2, 1, 3, 2, 1);
  second.local = {{9, 9, 9}, {8, 8, 8}};
  GifBuilder b;
  b.Header("89a", 6, 4, Palette4());
  b.GraphicControl(1, false, 0, 10).Frame(Solid(0, 0, 6, 4, 0));
  b.GraphicControl(3, true, 0, 20).Frame(second);
  b.GraphicControl(2, false, 0, 30).Frame(Solid(5, 3, 1, 1, 3)).Trailer();
  Loaded loaded(b.bytes);
  ASSERT_EQ(loaded.image.Count(), 3);
  const TGIFDisposal disposals[] = {dmNoDisposal, dmPrevious, dmBackground};
  const uint16_t delays[] = {10, 20, 30};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(loaded.image.Images(i).GraphicControlExtension()->Disposal(), disposals[i]);
    EXPECT_EQ(loaded.image.Images(i).GraphicControlExtension()->Delay(), delays[i]);
  }
  TGIFSubImage& f = loaded.image.Images(1);
  EXPECT_EQ(f.BoundsRect(), Rect(2, 1, 5, 3));
  EXPECT_EQ(&f.EffectiveColorMap(), &f.ColorMap());
  EXPECT_EQ(f.EffectiveColorMap().Colors(1), 0x080808);
  EXPECT_EQ(FramePixels(f), Bytes(6, 1));
  EXPECT_TRUE(loaded.warnings.empty());
}

TEST(GIFFrames, ZeroSizedDescriptorTakesTheLogicalScreen) {
  GifBuilder b;
  b.Header("87a", 3, 2, Palette4());
  FrameSpec f = Solid(0, 0, 3, 2, 2);
  b.Frame(f).Trailer();
  b.bytes[13 + 12 + 5] = 0;  // width low byte of the descriptor
  Loaded loaded(b.bytes);
  ASSERT_EQ(loaded.image.Count(), 1);
  EXPECT_EQ(loaded.image.Images(0).Width(), 3);
  EXPECT_TRUE(loaded.Warned("Image exceeds Logical Screen size"));
}

TEST(GIFFrames, FrameBeyondTheScreenIsMeasuredButTheFilesScreenIsSavedAsRead) {
  GifBuilder b;
  b.Header("87a", 4, 4, Palette4()).Frame(Solid(3, 0, 5, 2, 1)).Trailer();
  Loaded loaded(b.bytes);
  EXPECT_EQ((TSize{loaded.image.Width(), loaded.image.Height()}), (TSize{8, 4}));
  EXPECT_TRUE(loaded.warnings.empty());
  TMemoryStream saved;
  loaded.image.SaveToStream(saved);
  EXPECT_EQ(Bytes(saved.Bytes().begin() + 6, saved.Bytes().begin() + 10), (Bytes{4, 0, 4, 0}));
  EXPECT_THROW(loaded.image.SetWidth(7), GIFException);
  loaded.image.SetWidth(9);
  EXPECT_EQ(loaded.image.Width(), 9);
  EXPECT_EQ(loaded.image.Header().Width, 9);
}

TEST(GIFFrames, ExtensionBeforeTrailerMakesAFrameWithoutPixels) {
  GifBuilder b;
  b.Header("89a", 2, 2, Palette4()).Extension(0xFE, {}, Text("x")).Trailer();
  Loaded loaded(b.bytes);
  ASSERT_EQ(loaded.image.Count(), 1);
  EXPECT_TRUE(loaded.image.Images(0).Empty());
  EXPECT_EQ(loaded.image.Images(0).Extensions().size(), 1u);
  EXPECT_THROW(loaded.image.Images(0).Scanline(0), GIFException);
}

TEST(GIFFrames, PixelAccessOutsideTheFrameIsRefused) {
  GifBuilder b;
  b.Header("87a", 2, 2, Palette4()).Frame(Solid(0, 0, 2, 2, 3)).Trailer();
  Loaded loaded(b.bytes);
  TGIFSubImage& f = loaded.image.Images(0);
  EXPECT_EQ(f.Pixels(1, 1), 3);
  EXPECT_THROW(f.Pixels(2, 0), GIFException);
  EXPECT_THROW(f.Pixels(0, -1), GIFException);
  EXPECT_THROW(f.Scanline(2), GIFException);
}

struct BlockCase {
  const char* name;
  Bytes tail;  // after the header and one frame
  std::vector<std::string> warnings;
  int frames;
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const BlockCase& c, std::ostream* os) {
  *os << c.name;
}

const BlockCase kBlockCases[] = {
    {"TrailerOnly", {0x3B}, {}, 1},
    {"NoTrailer", {}, {}, 1},
    {"ZeroPaddingBeforeTrailer", {0, 0, 0, 0x3B}, {}, 1},
    {"StrayByte", {0x99, 0x3B}, {"Unknown GIF block type", "Invalid Image trailer"}, 1},
};

class BlockTest : public ::testing::TestWithParam<BlockCase> {};

TEST_P(BlockTest, BlocksAfterTheFrames) {
  GifBuilder b;
  b.Header("87a", 2, 2, Palette4()).Frame(Solid(0, 0, 2, 2, 1));
  b.bytes.insert(b.bytes.end(), GetParam().tail.begin(), GetParam().tail.end());
  Loaded loaded(b.bytes);
  EXPECT_EQ(loaded.image.Count(), GetParam().frames);
  EXPECT_EQ(loaded.warnings, GetParam().warnings);
}

INSTANTIATE_TEST_SUITE_P(Trailers, BlockTest, ::testing::ValuesIn(kBlockCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GIFImageClass, IsRegisteredByName) {
  std::unique_ptr<TGraphic> graphic = CreateGraphic("TGIFImage");
  ASSERT_NE(graphic, nullptr);
  EXPECT_NE(dynamic_cast<TGIFImage*>(graphic.get()), nullptr);
  EXPECT_TRUE(graphic->Empty());
}

TEST(GIFImageClass, LoadingReplacesThePreviousImage) {
  GifBuilder one, two;
  one.Header("87a", 2, 2, Palette4()).Frame(Solid(0, 0, 2, 2, 1)).Frame(Solid(0, 0, 1, 1, 2)).Trailer();
  two.Header("87a", 5, 5, Palette4()).Frame(Solid(0, 0, 5, 5, 3)).Trailer();
  TGIFImage image;
  for (const Bytes* bytes : {&one.bytes, &two.bytes}) {
    TMemoryStream s(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    image.LoadFromStream(s);
  }
  EXPECT_EQ(image.Count(), 1);
  EXPECT_EQ(image.Width(), 5);
  EXPECT_TRUE(image.Equals(image));
  TGIFImage other;
  EXPECT_FALSE(image.Equals(other));
}

}  // namespace
