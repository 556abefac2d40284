// The RVF fuzz step run over deterministic mutations of valid streams: no input may raise,
// crash, leak or hang, and whatever loads must write back stably.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../../../tools/fuzz/FuzzMutator.h"
#include "../../../tools/fuzz/RVFReaderFuzzEntry.h"
#include "RVFTestSupport.h"

using namespace rvftest;

namespace {

std::vector<std::string> SeedStreams() {
  const std::string bmp = BitmapFile(3, 2, clRed);
  const std::string textStyles =
      Bytes({0x0E, 0x01}) + Short("FontName") + Bytes({0x06}) + Short("Courier") + Bytes({0x00, 0x00});
  std::vector<std::string> seeds = {
      Lines({"-8 1 2", "0 2 0 0 0 0", "Hello", "World", "1 1 -1 4 0 7", "tail"}),
      Lines({"-8 1 2", "0 2 0 8 0 0"}) + UnicodeLine(u"wide") + UnicodeLine(u"text") +
          Lines({"0 1 0 0 0 0", "x"}),
      Lines({"-8 1 2", "-2 1 0 0 0 3 1", "cp", "-3 4 0 0 0 0 1", "pic", "TBitmap", "spacing=3", Hex(bmp)}),
      Lines({"-8 1 2", "-3 3 0 0 2 0 0", "pic", "TBitmap"}) + BinaryLine(bmp) +
          Lines({"-1 0 0 0 0 0 255 1 2"}),
      Lines({"-8 1 2", "-9 2 0 0 0 0 1", "", Hex(textStyles), "0 1 0 0 0 0", "styled"}),
      Lines({"-8 1 2", "-9 2 0 0 2 0 1", ""}) + BinaryLine(textStyles) + Lines({"-11 0 0 0 0 0 0 0 1 0"}),
      Lines({"-8 1 2", "-7 2 0 0 0 0 2 255", "TBitmap", Hex(bmp), "-6 1 0 0 0 0 0 0", "b",
             "-4 1 0 0 0 0 0 0 0", "h", "-5 2 0 0 1 0 0", "c", "vshift=3"}),
      // A stored button: signature, class, name, a caption, the ends of properties and children.
      Lines({"-8 1 2", "-5 3 0 0 0 0 0", "c", "TButton",
             Hex("TPF0" + Short("TButton") + Short("OK") + Short("Caption") + "\x06" + Short("Go") +
                 std::string(2, '\0'))}),
  };
  // And what the writer makes of a document of every kind, in both line modes.
  for (TRVFOptions options : {rvDefaultRVFOptions, TRVFOptions(rvfoSavePicturesBody | rvfoSaveTextStyles |
                                                               rvfoSaveParaStyles | rvfoUseStyleNames)}) {
    TRVStyle style;
    TCustomRVData doc;
    doc.SetRVStyle(&style);
    doc.SetRVFOptions(options);
    doc.AddCheckpoint("top", true, TRVTag{1, {}});
    doc.AddTextItem("first", 1, 0);
    doc.AddTextItem("second", 0, -1);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(2, 2);
    doc.AddPictureItem("p", std::move(bitmap), 1, 0, TRVTag());
    doc.AddItem("", TRVBreakItemInfo::CreateEx(&doc, 1, 0, clRed));
    doc.AddItem("", TRVMarkerItemInfo::CreateForList(&doc, 0, 0, 1, false));
    doc.AddTextItem("item", 0, -1);
    TMemoryStream out;
    doc.SaveRVFToStream(out, false, clNone, nullptr, nullptr);
    seeds.push_back(out.DataString());
  }
  return seeds;
}

TEST(RVFFuzzTest, SeedStreamsLoad) {
  for (const std::string& seed : SeedStreams()) {
    TRVStyle style;
    TTestRVData doc;
    doc.SetRVStyle(&style);
    TMemoryStream in(seed);
    TColor color = clNone;
    EXPECT_TRUE(doc.LoadRVFFromStream(in, color, nullptr, nullptr)) << seed;
    EXPECT_NO_THROW(FuzzRVFReaderOnce(reinterpret_cast<const uint8_t*>(seed.data()), seed.size()));
  }
}

TEST(RVFFuzzTest, MutatedStreamsNeverFault) {
  const std::vector<std::string> seeds = SeedStreams();
  EXPECT_EQ(ReplayMutations(seeds, 0x5eed1234abcdULL, 3000, FuzzRVFReaderOnce), "");
}

}  // namespace
