// The RVF writer: exact bytes of small documents, and documents of every item kind written
// in each mode and read back equal.
#include <gtest/gtest.h>

#include <cstring>

#include "RVFTestSupport.h"

using namespace rvftest;

namespace {

/// A document whose selection is set by the test.
class TSelectionRVData : public TTestRVData {
 public:
  int StartItemNo = -1, EndItemNo = -1, StartOffs = -1, EndOffs = -1;
  void GetSelectionBounds(bool SelectionOnly, int& startItemNo, int& endItemNo, int& startOffs, int& endOffs,
                          TCustomRVItemInfo*& startPartial, TCustomRVItemInfo*& endPartial) override {
    if (!SelectionOnly)
      return TTestRVData::GetSelectionBounds(false, startItemNo, endItemNo, startOffs, endOffs, startPartial,
                                             endPartial);
    startItemNo = StartItemNo, endItemNo = EndItemNo, startOffs = StartOffs, endOffs = EndOffs;
    startPartial = endPartial = nullptr;
  }
};

class RVFWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    style.TextStyles().Items(3)->StyleName = "Title";
    style.TextStyles().AddStyle()->Unicode = true;  // 6
    style.ParaStyles().AddStyle();                  // 2
    style.ListStyles().AddStyle()->Levels().AddLevel()->ListType = rvlstDecimal;
    for (TTestRVData* d : {static_cast<TTestRVData*>(&data), &copy}) {
      d->SetRVStyle(&style);
      d->ImageLists[7] = &images;
      d->Pictures["shared"] = BitmapFile(3, 3, clRed);
    }
    images.SetTag(7);
    TBitmap strip;
    strip.SetSize(48, 16);
    images.Add(&strip, nullptr);
  }

  std::string Save(TCustomRVData& d, TRVFOptions options, TRVBackground* back = nullptr,
                   TRVLayoutInfo* lay = nullptr) {
    d.SetRVFOptions(options);
    TMemoryStream stream;
    EXPECT_TRUE(d.SaveRVFToStream(stream, false, clRed, back, lay));
    return stream.DataString();
  }
  bool LoadInto(TCustomRVData& d, const std::string& bytes, TRVFOptions options,
                TRVBackground* back = nullptr, TRVLayoutInfo* lay = nullptr) {
    d.SetRVFOptions(options);
    TMemoryStream stream(bytes);
    TColor color = clNone;
    return d.LoadRVFFromStream(stream, color, back, lay);
  }

  /// One item of every kind, checkpoints, tags, line and page breaks.
  void FillDocument() {
    data.AddCheckpoint("top", true, TRVTag{3, {}});
    data.AddTextItemTag("Heading text", 3, 1, TRVTag{9, {}});
    data.AddTextItem("second para", 0, 1);
    data.AddTextItem("same para, same record", 0, 1);
    data.AddTextItem("continues", 1, -1);
    std::unique_ptr<TCustomRVItemInfo> br = RVCreateItemByStyleNo(2, &data);
    br->ParaNo = 0;
    br->SetBR(true);
    data.AddItem("line break", std::move(br));
    std::unique_ptr<TCustomRVItemInfo> pb = RVCreateItemByStyleNo(0, &data);
    pb->ParaNo = 2;
    pb->SetPageBreakBefore(true);
    data.AddItem("page break", std::move(pb));
    data.AddWideTextItem(u"\u0416\u0417 wide", 6, 0, TRVTag());
    data.AddItem("", TRVBreakItemInfo::CreateEx(&data, 2, 1, 0x00FF00));

    auto bitmap = std::make_unique<TBitmap>();
    TMemoryStream bmp(BitmapFile(4, 2, clBlue));
    bitmap->LoadFromStream(bmp);
    auto picture = TRVGraphicItemInfo::CreateWithPicture(&data, std::move(bitmap), 1);
    picture->ImageWidth = 40;
    picture->Spacing = 3;
    picture->VShift = -10;
    picture->DeleteProtect = true;
    picture->ParaNo = -1;
    data.AddCheckpoint("at picture", false, TRVTag());
    data.AddItem("shared", std::move(picture));

    auto hot = std::make_unique<TBitmap>();
    TMemoryStream hotBmp(BitmapFile(3, 3, clRed));
    hot->LoadFromStream(hotBmp);
    auto hotPicture = TRVHotGraphicItemInfo::CreateWithPicture(&data, std::move(hot), 0);
    hotPicture->ParaNo = -1;
    hotPicture->Tag.Value = 77;
    data.AddItem("shared", std::move(hotPicture));

    auto bullet = TRVBulletItemInfo::CreateEx(&data, &images, 2, 0);
    bullet->ParaNo = 0;
    bullet->MinHeightOnPage = 0;
    bullet->Spacing = 4;
    data.AddItem("bullet", std::move(bullet));
    auto hotspot = TRVHotspotItemInfo::CreateEx(&data, &images, 0, 1, 0);
    hotspot->ParaNo = -1;
    data.AddItem("hotspot", std::move(hotspot));

    auto marker = TRVMarkerItemInfo::CreateForList(&data, 0, 0, 4, true);
    marker->ParaNo = 1;
    data.AddItem("", std::move(marker));
    data.AddTextItem("list item", 0, -1);
    data.AddTextItem("", 0, 0);
    data.AddCheckpoint("pending", false, TRVTag{5, {}});
  }

  TRVStyle style;
  TSelectionRVData data;
  TTestRVData copy;
  TCustomImageList images;
};

TEST_F(RVFWriterTest, WritesOneParagraphAsVersionHeaderAndLine) {
  data.AddTextItem("Hello", 0, 0);
  EXPECT_EQ(Save(data, rvDefaultRVFOptions), "-8 1 2\r\n0 1 0 0 0 0\r\nHello\r\n");
  data.AddTextItem("World", 0, 0);
  EXPECT_EQ(Save(data, rvDefaultRVFOptions), "-8 1 2\r\n0 2 0 0 0 0\r\nHello\r\nWorld\r\n");
}

TEST_F(RVFWriterTest, EmptyDocumentWritesNothing) {
  EXPECT_EQ(Save(data, rvDefaultRVFOptions | rvfoSaveTextStyles | rvfoSaveBack), "");
}

TEST_F(RVFWriterTest, WritesStyleNamesOnlyWhenTheyReadBack) {
  data.AddTextItem("a", 3, 1);
  data.AddTextItem("b", 4, 0);
  style.TextStyles().Items(4)->StyleName = "Title";  // a second "Title" would read as style 3
  style.ParaStyles().Items(1)->StyleName = "Say \"hi\"";
  EXPECT_EQ(Save(data, rvfoUseStyleNames), "-8 1 2\r\n\"Title\" 1 \"Say \"\"hi\"\"\" 0 0 0\r\na\r\n4 1 \"" +
                                               style.ParaStyles()[0].StyleName + "\" 0 0 0\r\nb\r\n");
}

TEST_F(RVFWriterTest, NeverWritesLinesTheReaderWouldSplit) {
  data.AddTextItem(std::string("a\r\nb\0c", 6), 0, 0);
  data.AddWideTextItem(u"x\u2029y", 6, 0, TRVTag());
  data.SetOptions(data.GetOptions() | rvoTagsArePChars);
  copy.SetOptions(copy.GetOptions() | rvoTagsArePChars);
  data.AddTextItemTag("t", 0, 0, TRVTag{0, std::string("two words")});
  ASSERT_TRUE(LoadInto(copy, Save(data, rvDefaultRVFOptions), rvDefaultRVFOptions));
  ASSERT_EQ(copy.GetItemCount(), 3);
  EXPECT_EQ(copy.GetItemText(0), "a  b c");
  EXPECT_EQ(copy.GetItemText(1), Utf16(u"x y"));
  EXPECT_EQ(*copy.GetItemTag(2).Text, "two_words");
}

TEST_F(RVFWriterTest, RoundTripsEveryItemKindInEachMode) {
  FillDocument();
  ASSERT_EQ(data.GetItemCount(), 15);
  const std::string original = Describe(data);
  ASSERT_NE(original.find("pending cp[pending]"), std::string::npos);
  ASSERT_NE(original.find("pic:TBitmap:4x2"), std::string::npos);
  ASSERT_NE(original.find("cp[at picture"), std::string::npos);
  struct Mode {
    const char* name;
    TRVFOptions options;
  };
  const Mode modes[] = {
      {"hex bodies", rvfoSavePicturesBody | rvfoSaveControlsBody},
      {"binary bodies", rvDefaultRVFOptions},
      {"no bodies", 0},
      {"style names", rvDefaultRVFOptions | rvfoUseStyleNames},
      {"style blocks hex", rvfoSavePicturesBody | rvfoSaveTextStyles | rvfoSaveParaStyles},
      {"style blocks binary", rvDefaultRVFOptions | rvfoSaveTextStyles | rvfoSaveParaStyles},
  };
  for (const Mode& mode : modes) {
    SCOPED_TRACE(mode.name);
    const std::string bytes = Save(data, mode.options);
    ASSERT_TRUE(LoadInto(copy, bytes, mode.options));
    std::string expected = original;
    if ((mode.options & rvfoSavePicturesBody) == 0) {
      // Without bodies the pictures are the document's "shared" one.
      const std::string shared = Describe(copy);
      EXPECT_EQ(shared.find("pic:TBitmap:4x2"), std::string::npos);
      EXPECT_NE(shared.find("pic:TBitmap:3x3"), std::string::npos);
    } else {
      EXPECT_EQ(Describe(copy), expected);
    }
    EXPECT_EQ(copy.GetRVFReadWarnings(), 0);
    EXPECT_EQ(Save(copy, mode.options), bytes);
  }
}

TEST_F(RVFWriterTest, PictureTransparencyIsReadBeforeThePictureAndKept) {
  auto bitmap = std::make_unique<TBitmap>();
  TMemoryStream bmp(BitmapFile(4, 2, clBlue));
  bitmap->LoadFromStream(bmp);
  bitmap->SetTransparent(true);
  bitmap->SetTransparentMode(tmFixed);
  bitmap->SetTransparentColor(0x123456);
  data.AddItem("p", TRVGraphicItemInfo::CreateWithPicture(&data, std::move(bitmap), 0));
  const std::string bytes = Save(data, rvfoSavePicturesBody);
  EXPECT_NE(bytes.find("transparent=1\r\ntmode=1\r\ntcolor=1193046\r\n"), std::string::npos);
  ASSERT_TRUE(LoadInto(copy, bytes, rvfoSavePicturesBody));
  auto* picture = dynamic_cast<TRVGraphicItemInfo*>(copy.GetItem(0));
  ASSERT_NE(picture, nullptr);
  auto* read = dynamic_cast<TBitmap*>(picture->Image.get());
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(read->Transparent());
  EXPECT_EQ(read->TransparentMode(), tmFixed);
  EXPECT_EQ(read->TransparentColor(), 0x123456);
}

TEST_F(RVFWriterTest, StyleBlocksCarryTheSheet) {
  data.AddTextItem("x", 5, 1);
  style.TextStyles()[5].FontName = "Courier New";
  const std::string bytes = Save(data, rvfoSaveTextStyles | rvfoSaveParaStyles);
  TRVStyle other;
  copy.SetRVStyle(&other);
  ASSERT_TRUE(LoadInto(copy, bytes, 0));
  EXPECT_EQ(other.TextStyles().Count(), style.TextStyles().Count());
  EXPECT_EQ(other.TextStyles()[5].FontName, "Courier New");
  EXPECT_EQ(other.ParaStyles().Count(), style.ParaStyles().Count());
  EXPECT_EQ(other.ListStyles().Count(), 1);
  EXPECT_EQ(copy.GetItemStyleNo(0), 5);
}

TEST_F(RVFWriterTest, BackgroundAndLayoutRoundTrip) {
  data.AddTextItem("x", 0, 0);
  TRVBackground back(false);
  auto bitmap = std::make_unique<TBitmap>();
  TMemoryStream bmp(BitmapFile(8, 8, clYellow));
  bitmap->LoadFromStream(bmp);
  back.TakeBitmap(std::move(bitmap), &data);
  back.Style = bsCentered;
  TRVLayoutInfo lay;
  lay.LeftMargin = 11;
  lay.MaxTextWidth = 600;
  lay.FirstParaAborted = 1;
  lay.FirstMarkerListNo = 0;
  lay.FirstMarkerLevel = 2;
  for (TRVFOptions binary : {TRVFOptions(0), rvfoSaveBinary}) {
    SCOPED_TRACE(binary);
    const TRVFOptions options = binary | rvfoSaveBack | rvfoLoadBack | rvfoSaveLayout | rvfoLoadLayout;
    TRVBackground readBack(false);
    TRVLayoutInfo readLayout;
    ASSERT_TRUE(LoadInto(copy, Save(data, options, &back, &lay), options, &readBack, &readLayout));
    EXPECT_EQ(readBack.Style, bsCentered);
    ASSERT_NE(readBack.GetBitmap(), nullptr);
    EXPECT_EQ(readBack.GetBitmap()->Width(), 8);
    EXPECT_TRUE(readLayout.Loaded);
    EXPECT_EQ(readLayout.LeftMargin, 11);
    EXPECT_EQ(readLayout.MaxTextWidth, 600);
    EXPECT_EQ(readLayout.FirstMarkerLevel, 2);
    EXPECT_EQ(copy.GetItemText(0), "x");
  }
}

TEST_F(RVFWriterTest, WritesSelectedCharactersOnly) {
  data.AddCheckpoint("cp", false, TRVTag());
  data.AddTextItem("Hello", 0, 0);
  data.AddTextItem("big", 1, -1);
  data.AddTextItem("World", 0, 1);
  data.StartItemNo = 0, data.StartOffs = 2, data.EndItemNo = 2, data.EndOffs = 3;
  data.SetRVFOptions(0);
  TMemoryStream stream;
  ASSERT_TRUE(data.SaveRVFToStream(stream, true, clNone, nullptr, nullptr));
  EXPECT_EQ(stream.DataString(),
            Lines({"-8 1 2", "0 1 0 0 0 0", "ello", "1 1 -1 1 0 0", "big", "0 1 1 0 0 0", "Wo"}));

  // A range inside one item, starting at its beginning, carries the item's checkpoint.
  data.StartItemNo = data.EndItemNo = 0, data.StartOffs = 1, data.EndOffs = 3;
  TMemoryStream one;
  ASSERT_TRUE(data.SaveRVFToStream(one, true, clNone, nullptr, nullptr));
  EXPECT_EQ(one.DataString(), Lines({"-8 1 2", "-2 1 0 0 0 0 0", "cp", "0 1 0 0 0 0", "He"}));
}

TEST_F(RVFWriterTest, ComponentStreamFormRoundTrips) {
  FillDocument();
  data.SetRVFOptions(rvDefaultRVFOptions | rvfoSaveBack);
  TMemoryStream stream;
  stream.WriteBuffer("pre", 3);
  data.WriteRVFToComponentStream(stream);
  EXPECT_EQ(data.GetRVFOptions(), rvDefaultRVFOptions | rvfoSaveBack);  // restored
  stream.WriteBuffer("post", 4);
  const std::string bytes = stream.DataString();
  int32_t length = 0;
  std::memcpy(&length, bytes.data() + 3, 4);
  ASSERT_EQ(static_cast<size_t>(length), bytes.size() - 3 - 4 - 4);
  EXPECT_EQ(bytes.find("-7 "), std::string::npos);  // no background record

  stream.SetPosition(3);
  ASSERT_TRUE(copy.ReadRVFFromComponentStream(stream));
  EXPECT_EQ(Describe(copy), Describe(data));
  EXPECT_EQ(stream.Position(), static_cast<int64_t>(bytes.size()) - 4);
  EXPECT_EQ(copy.StateFlags & rvstLoadingAsPartOfItem, 0u);
}

TEST_F(RVFWriterTest, ComponentStreamFormRefusesBadLength) {
  TMemoryStream stream(Int32LE(100) + "short");
  EXPECT_FALSE(copy.ReadRVFFromComponentStream(stream));
  TMemoryStream negative(Int32LE(-1));
  EXPECT_FALSE(copy.ReadRVFFromComponentStream(negative));
}

}  // namespace
