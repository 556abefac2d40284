// The RVF reader against hand-written streams: every record kind, line kind, style block,
// read mode, warning and failure path.
#include <gtest/gtest.h>

#include "RVFTestSupport.h"
#include "platform/graphics/Picture.h"

using namespace rvftest;

namespace {

class RVFReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    style.TextStyles().Items(3)->StyleName = "Title";
    TFontInfo* unicode = style.TextStyles().AddStyle();  // 6
    unicode->Unicode = true;
    style.ParaStyles().AddStyle();  // 2
    style.ParaStyles().Items(1)->StyleName = "Body";
    data.SetRVStyle(&style);
    images.SetTag(7);
    TBitmap strip;
    strip.SetSize(48, 16);
    images.Add(&strip, nullptr);  // three 16 x 16 images
    data.ImageLists[7] = &images;
  }

  bool Load(const std::string& bytes) {
    TMemoryStream stream(bytes);
    return data.LoadRVFFromStream(stream, color, &background, &layout);
  }
  bool Insert(const std::string& bytes, int index) {
    TMemoryStream stream(bytes);
    return data.InsertRVFFromStream(stream, index, color, &background, &layout, false);
  }
  void AddOptions(TRVFOptions options) { data.SetRVFOptions(data.GetRVFOptions() | options); }
  TRVFWarnings Warnings() const { return data.GetRVFReadWarnings(); }
  template <typename T>
  T* Item(int i) {
    return dynamic_cast<T*>(data.GetItem(i));
  }

  TRVStyle style;
  TTestRVData data;
  TCustomImageList images;
  TColor color = clNone;
  TRVBackground background{false};
  TRVLayoutInfo layout;
};

const std::string kVersion = "-8 1 2";

// ---- lines and text ----------------------------------------------------------------------

TEST_F(RVFReaderTest, LoadsEmptyStreamAsEmptyDocument) {
  EXPECT_TRUE(Load(""));
  EXPECT_EQ(data.GetItemCount(), 0);
  EXPECT_TRUE(Load(Lines({kVersion})));
  EXPECT_EQ(data.GetItemCount(), 0);
  EXPECT_TRUE(Load("-8 1 2"));  // a version record with nothing after it
}

TEST_F(RVFReaderTest, ReadsTextRecordLinesAsItemsSharingHeader) {
  ASSERT_TRUE(Load(Lines({kVersion, "1 3 2 0 0 0", "one", "two", "three"})));
  ASSERT_EQ(data.GetItemCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(data.GetItemStyleNo(i), 1);
    EXPECT_EQ(data.GetItemParaNo(i), 2);
    EXPECT_TRUE(data.StartsParagraph(i));
  }
  EXPECT_EQ(data.GetItemText(2), "three");
}

TEST_F(RVFReaderTest, ParaNoMinusOneContinuesPreviousParagraph) {
  ASSERT_TRUE(Load(Lines({kVersion, "0 1 1 0 0 0", "start", "2 1 -1 0 0 0", "more"})));
  ASSERT_EQ(data.GetItemCount(), 2);
  EXPECT_TRUE(data.GetItem(1)->GetSameAsPrev());
  EXPECT_EQ(data.GetItemParaNo(1), 1);
}

TEST_F(RVFReaderTest, ReadsHeaderWithoutOptionFieldBeforeVersionRecord) {
  // Five fields: StyleNo, LineCount, ParaNo, ReadType, Tag; the rest is ignored.
  ASSERT_TRUE(Load(Lines({"1 2 0 0 0 whatever", "a", "b"})));
  ASSERT_EQ(data.GetItemCount(), 2);
  EXPECT_EQ(data.GetItemStyleNo(0), 1);
  EXPECT_EQ(data.GetItemOptions(1), 0);
}

TEST_F(RVFReaderTest, ReadsOptionFieldFromMajorOneAndMinorTwo) {
  ASSERT_TRUE(Load(Lines({"-8 1 3", "0 1 0 2 0 7", "x"})));  // 1.3: the 2 is the option byte
  EXPECT_TRUE(data.GetItem(0)->GetPageBreakBefore());
  for (const char* version : {"-8 2 0", "-8 1 1"}) {  // no option field: the 0 is the ReadType, 7 the tag
    ASSERT_TRUE(Load(Lines({version, "0 1 0 0 7", "x"}))) << version;
    EXPECT_FALSE(data.GetItem(0)->GetPageBreakBefore()) << version;
    EXPECT_EQ(data.GetItemTag(0).Value, 7) << version;
  }
}

TEST_F(RVFReaderTest, ResolvesQuotedStyleNames) {
  ASSERT_TRUE(Load(Lines({kVersion, "\"Title\" 1 \"Body\" 0 0 0", "h", "\"Nope\" 1 0 0 0 0", "n"})));
  EXPECT_EQ(data.GetItemStyleNo(0), 3);
  EXPECT_EQ(data.GetItemParaNo(0), 1);
  EXPECT_EQ(data.GetItemStyleNo(1), 0);
}

TEST_F(RVFReaderTest, EndsTextLinesAtCrLfLoneCrLoneLfAndZero) {
  const std::string bytes = "-8 1 2\r\n0 4 0 0 0 0\na\rb\nc" + std::string(1, '\0') + "d\r\n";
  ASSERT_TRUE(Load(bytes));
  ASSERT_EQ(data.GetItemCount(), 4);
  EXPECT_EQ(data.GetItemText(0), "a");
  EXPECT_EQ(data.GetItemText(1), "b");
  EXPECT_EQ(data.GetItemText(2), "c");
  EXPECT_EQ(data.GetItemText(3), "d");
}

TEST_F(RVFReaderTest, ZeroByteTakesOneCrAndOneLfAfterItIntoTheLineEnd) {
  const std::string zero(1, '\0');
  for (const std::string& end : {zero + "\r\n", zero + "\n", zero + "\r"}) {
    SCOPED_TRACE(testing::PrintToString(end));
    ASSERT_TRUE(Load("-8 1 2\r\n0 2 0 0 0 0\r\nfirst" + end + "second\r\n0 1 1 0 0 0\r\nnext\r\n"));
    ASSERT_EQ(data.GetItemCount(), 3);
    EXPECT_EQ(data.GetItemText(0), "first");
    EXPECT_EQ(data.GetItemText(1), "second");
    EXPECT_EQ(data.GetItemText(2), "next");
  }
  // Only one CR LF belongs to the zero byte: a second one is an empty line.
  ASSERT_TRUE(Load("-8 1 2\r\n0 3 0 0 0 0\r\nfirst" + zero + "\r\n\r\nthird\r\n"));
  ASSERT_EQ(data.GetItemCount(), 3);
  EXPECT_EQ(data.GetItemText(1), "");
  EXPECT_EQ(data.GetItemText(2), "third");
}

TEST_F(RVFReaderTest, ReadsUnicodeLinesIntoUnicodeStyle) {
  const std::string bytes = Lines({kVersion, "6 2 0 8 0 0"}) + UnicodeLine(u"Hi") + UnicodeLine(u"\u0416") +
                            Lines({"0 1 0 0 0 0", "after"});
  ASSERT_TRUE(Load(bytes));
  ASSERT_EQ(data.GetItemCount(), 3);
  EXPECT_TRUE(data.GetItem(0)->IsTwoByteText());
  EXPECT_EQ(data.GetItemText(0), Utf16(u"Hi"));
  EXPECT_EQ(data.GetItemText(1), Utf16(u"\u0416"));
  EXPECT_EQ(data.GetItemText(2), "after");
  EXPECT_EQ(Warnings(), 0);
}

TEST_F(RVFReaderTest, UnicodeTextEndsOnlyAtAnEndMarkThatStartsACharacter) {
  // U+2900 U+0020 holds the bytes 29 20 astride two characters; U+0029 is 29 00; a lone 29
  // byte may end the data. None of them ends a text.
  const std::u16string first = u"a\u2900 )\u2900";
  const std::u16string second = u"\u2929";  // 29 29, then the mark
  ASSERT_TRUE(Load(Lines({kVersion, "6 2 0 8 0 0"}) + UnicodeLine(first) + UnicodeLine(second) +
                   Lines({"0 1 0 0 0 0", "after"})));
  ASSERT_EQ(data.GetItemCount(), 3);
  EXPECT_EQ(data.GetItemText(0), Utf16(first));
  EXPECT_EQ(data.GetItemText(1), Utf16(second));
  EXPECT_EQ(data.GetItemText(2), "after");

  ASSERT_TRUE(Load(Lines({kVersion, "6 1 0 8 0 0"}) + Utf16(u"x\u2900") + "\x29"));
  EXPECT_EQ(data.GetItemText(0), Utf16(u"x\u2900"));
  EXPECT_TRUE(Warnings() & rvfwOddUnicodeLength);
}

TEST_F(RVFReaderTest, LastUnicodeLineMayEndAtEndOfData) {
  ASSERT_TRUE(Load(Lines({kVersion, "6 1 0 8 0 0"}) + Utf16(u"end")));
  EXPECT_EQ(data.GetItemText(0), Utf16(u"end"));
}

TEST_F(RVFReaderTest, DropsOddLastByteOfUnicodeTextWithWarning) {
  ASSERT_TRUE(Load(Lines({kVersion, "6 1 0 8 0 0"}) + Utf16(u"ab") + "c"));
  EXPECT_EQ(data.GetItemText(0), Utf16(u"ab"));
  EXPECT_TRUE(Warnings() & rvfwOddUnicodeLength);
}

TEST_F(RVFReaderTest, ConvertsTextToTheStylesKind) {
  ASSERT_TRUE(Load(Lines({kVersion, "0 1 0 8 0 0"}) + UnicodeLine(u"abc")));
  EXPECT_FALSE(data.GetItem(0)->IsTwoByteText());
  EXPECT_EQ(data.GetItemText(0), "abc");
  EXPECT_TRUE(Warnings() & rvfwConvertedToAnsi);

  ASSERT_TRUE(Load(Lines({kVersion, "6 1 0 0 0 0", "abc"})));
  EXPECT_TRUE(data.GetItem(0)->IsTwoByteText());
  EXPECT_EQ(data.GetItemText(0), Utf16(u"abc"));
  EXPECT_EQ(Warnings(), rvfwConvertedToUnicode);  // warnings start afresh with each read
}

TEST_F(RVFReaderTest, UnicodeHeaderNeedsExactCrLf) {
  EXPECT_FALSE(Load("-8 1 2\r\n6 1 0 8 0 0\n" + UnicodeLine(u"x")));
}

TEST_F(RVFReaderTest, ReadsOptionBitsAndTags) {
  ASSERT_TRUE(Load(Lines({kVersion, "0 1 0 0 0 0", "a", "0 1 0 4 0 42", "b", "0 1 0 2 0 0", "c"})));
  EXPECT_TRUE(data.GetItem(1)->GetBR());
  EXPECT_EQ(data.GetItemTag(1).Value, 42);
  EXPECT_TRUE(data.GetItem(2)->GetPageBreakBefore());
}

TEST_F(RVFReaderTest, ReadsTextTagsWhenTagsAreTexts) {
  data.SetOptions(data.GetOptions() | rvoTagsArePChars);
  ASSERT_TRUE(Load(Lines({kVersion, "0 1 0 0 0 http://x", "a", "0 1 0 0 0 0", "b"})));
  ASSERT_TRUE(data.GetItemTag(0).Text.has_value());
  EXPECT_EQ(*data.GetItemTag(0).Text, "http://x");
  EXPECT_FALSE(data.GetItemTag(1).Text.has_value());
}

// ---- non-text records ---------------------------------------------------------------------

TEST_F(RVFReaderTest, ReadsBreaks) {
  ASSERT_TRUE(Load(Lines({kVersion, "-1 0 0 0 0 0 255 1 3", "-1 0 0 0 0 0 "})));
  auto* first = Item<TRVBreakItemInfo>(0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Color, 255);
  EXPECT_EQ(first->Style, 1);
  EXPECT_EQ(first->LineWidth, 3);
  auto* second = Item<TRVBreakItemInfo>(1);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->Color, clNone);
  EXPECT_EQ(second->LineWidth, 1);
  EXPECT_FALSE(Load(Lines({kVersion, "-1 0 0 0 0 0 255 1 300"})));
}

TEST_F(RVFReaderTest, ReadsPictureAsHexText) {
  const std::string bmp = BitmapFile(4, 3, clRed);
  ASSERT_TRUE(Load(Lines({kVersion, "-3 3 1 0 0 0 1", "photo", "TBitmap", Hex(bmp)})));
  auto* picture = Item<TRVGraphicItemInfo>(0);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(data.GetItemText(0), "photo");
  EXPECT_EQ(picture->VAlign, 1);
  EXPECT_EQ(data.GetItemParaNo(0), 1);
  ASSERT_NE(picture->Image, nullptr);
  EXPECT_EQ(picture->Image->ClassName(), "TBitmap");
  EXPECT_EQ(picture->Image->Width(), 4);
  EXPECT_EQ(picture->Image->Height(), 3);
}

TEST_F(RVFReaderTest, ReadsPictureAsBinaryLine) {
  const std::string bmp = BitmapFile(5, 2, clBlue);
  const std::string bytes =
      Lines({kVersion, "-3 3 0 0 2 0 0", "p", "TBitmap"}) + BinaryLine(bmp) + Lines({"0 1 0 0 0 0", "after"});
  ASSERT_TRUE(Load(bytes));
  ASSERT_EQ(data.GetItemCount(), 2);
  EXPECT_EQ(Item<TRVGraphicItemInfo>(0)->Image->Width(), 5);
  EXPECT_EQ(data.GetItemText(1), "after");
}

TEST_F(RVFReaderTest, AppliesPictureExtraProperties) {
  const std::string bmp = BitmapFile(2, 2, clRed);
  ASSERT_TRUE(Load(Lines({kVersion, "-3 7 0 0 0 0 0", "p", "TBitmap", "spacing=abc", "foo=3", "width=40",
                          "no equals sign", Hex(bmp)})));
  auto* picture = Item<TRVGraphicItemInfo>(0);
  EXPECT_EQ(picture->Spacing, 0);
  EXPECT_EQ(picture->ImageWidth, 40);
  EXPECT_EQ(picture->ImageHeight, 0);
}

TEST_F(RVFReaderTest, UnknownPictureClassFailsUnlessIgnored) {
  const std::string bytes = Lines({kVersion, "0 1 0 0 0 0", "before", "-3 3 0 0 0 0 0", "p", "TNoSuchGraphic",
                                   "00", "0 1 0 0 0 0", "after"});
  EXPECT_FALSE(Load(bytes));
  EXPECT_EQ(data.GetItemCount(), 1);  // what came before stays
  EXPECT_TRUE(Warnings() & rvfwUnknownPicture);

  AddOptions(rvfoIgnoreUnknownPicFmt);
  ASSERT_TRUE(Load(bytes));
  ASSERT_EQ(data.GetItemCount(), 2);  // the picture without content is left out
  EXPECT_EQ(data.GetItemText(1), "after");
  EXPECT_TRUE(Warnings() & rvfwUnknownPicture);
}

TEST_F(RVFReaderTest, ReplacesUndecodablePictureByInvalidPicture) {
  ASSERT_TRUE(Load(Lines({kVersion, "-3 3 0 0 0 0 0", "p", "TBitmap", "0102030405"})));
  auto* picture = Item<TRVGraphicItemInfo>(0);
  ASSERT_NE(picture, nullptr);
  ASSERT_NE(picture->Image, nullptr);
  EXPECT_EQ(picture->Image->Width(), style.InvalidPicture().Width());
  EXPECT_TRUE(Warnings() & rvfwUnknownPicture);
}

TEST_F(RVFReaderTest, BadHexFailsTheRead) {
  EXPECT_FALSE(Load(Lines({kVersion, "-3 3 0 0 0 0 0", "p", "TBitmap", "0G"})));
  EXPECT_FALSE(Load(Lines({kVersion, "-3 3 0 0 0 0 0", "p", "TBitmap", "0a1"})));
}

TEST_F(RVFReaderTest, ReadsPictureWithoutBodyFromDocument) {
  data.Pictures["logo"] = BitmapFile(6, 6, clGreen);
  ASSERT_TRUE(Load(Lines({kVersion, "-10 2 0 0 1 0 0", "logo", "vshift=-20", "-3 1 0 0 1 0 0", "missing"})));
  ASSERT_EQ(data.GetItemCount(), 1);  // "missing" has no picture and is left out
  auto* picture = Item<TRVHotGraphicItemInfo>(0);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Image->Width(), 6);
  EXPECT_EQ(picture->VShift, -20);
}

TEST_F(RVFReaderTest, ReadsBulletsAndHotspots) {
  ASSERT_TRUE(Load(Lines({kVersion, "-6 2 0 0 0 0 7 2", "b", "unremovable=1", "-4 1 0 0 0 0 7 1 2", "h",
                          "-4 1 0 0 0 0 7 1", "h2"})));
  auto* bullet = Item<TRVBulletItemInfo>(0);
  ASSERT_NE(bullet, nullptr);
  EXPECT_EQ(bullet->ImageList, &images);
  EXPECT_EQ(bullet->ImageIndex, 2);
  EXPECT_TRUE(bullet->DeleteProtect);
  auto* hotspot = Item<TRVHotspotItemInfo>(1);
  ASSERT_NE(hotspot, nullptr);
  EXPECT_EQ(hotspot->ImageIndex, 1);
  EXPECT_EQ(hotspot->HotImageIndex, 2);
  EXPECT_EQ(Item<TRVHotspotItemInfo>(2)->HotImageIndex, 1);  // empty: the same as ImageIndex
}

TEST_F(RVFReaderTest, ImageIndexOutsideImageList) {
  struct Case {
    const char* header;
    bool convert;
    bool ok;
  };
  const Case cases[] = {{"-6 1 0 0 0 0 7 3", false, false},
                        {"-6 1 0 0 0 0 7 -1", false, false},
                        {"-6 1 0 0 0 0 7 3", true, true},
                        {"-4 1 0 0 0 0 7 0 9", false, false},
                        {"-4 1 0 0 0 0 7 0 9", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header);
    data.SetRVFOptions(c.convert ? rvfoConvLargeImageIdxToZero : 0);
    EXPECT_EQ(Load(Lines({kVersion, c.header, "b"})), c.ok);
    EXPECT_TRUE(Warnings() & rvfwImageIndexOutOfRange);
    if (c.ok) {
      EXPECT_EQ(Item<TRVBulletItemInfo>(0)->ImageIndex, 0);
      if (auto* h = Item<TRVHotspotItemInfo>(0)) {
        EXPECT_EQ(h->HotImageIndex, 0);
      }
    }
  }
}

TEST_F(RVFReaderTest, BulletOfUnknownImageListIsLeftOut) {
  ASSERT_TRUE(Load(Lines({kVersion, "-6 1 0 0 0 0 99 0", "b"})));
  EXPECT_EQ(data.GetItemCount(), 0);
}

TEST_F(RVFReaderTest, StoredControlsOfClassesNotRegisteredAsControlsAreUnknown) {
  for (const char* className : {"TNoSuchControl", "TBitmap"}) {
    SCOPED_TRACE(className);
    data.SetRVFOptions(0);
    const std::string bytes =
        Lines({kVersion, "-5 3 0 0 0 0 0", "c", className, "545046300754427574746F6E0000"});
    EXPECT_FALSE(Load(bytes));
    EXPECT_TRUE(Warnings() & rvfwUnknownControl);
    AddOptions(rvfoIgnoreUnknownCtrls);
    EXPECT_TRUE(Load(bytes));
    EXPECT_EQ(data.GetItemCount(), 0);
    EXPECT_TRUE(Warnings() & rvfwUnknownControl);
  }
}

TEST_F(RVFReaderTest, ControlWithoutBodyComesFromDocument) {
  data.Controls["edit"] = 120;
  ASSERT_TRUE(Load(Lines({kVersion, "-5 2 0 0 1 0 1", "edit", "resizable=1"})));
  auto* control = Item<TRVControlItemInfo>(0);
  ASSERT_NE(control, nullptr);
  ASSERT_NE(control->Control, nullptr);
  EXPECT_EQ(control->Control->Width(), 120);
  EXPECT_TRUE(control->Resizable);
  EXPECT_EQ(control->VAlign, 1);
}

TEST_F(RVFReaderTest, ReadsListMarkers) {
  ASSERT_TRUE(Load(Lines({kVersion, "-11 0 1 0 0 0 0 1 5 1", "0 1 -1 0 0 0", "item"})));
  auto* marker = Item<TRVMarkerItemInfo>(0);
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(marker->ListNo, 0);
  EXPECT_EQ(marker->Level, 1);
  EXPECT_EQ(marker->StartFrom, 5);
  EXPECT_TRUE(marker->Reset);
  EXPECT_TRUE(data.GetItem(1)->GetSameAsPrev());
  EXPECT_FALSE(Load(Lines({kVersion, "-11 0 0 0 0 0 0 1 5"})));  // all four fields are required
}

TEST_F(RVFReaderTest, MarkerReadLastGetsEmptyTextAfterIt) {
  ASSERT_TRUE(Load(Lines({kVersion, "-11 0 1 0 0 0 0 0 1 0"})));
  ASSERT_EQ(data.GetItemCount(), 2);
  EXPECT_EQ(data.GetItemStyleNo(1), 0);
  EXPECT_EQ(data.GetItemText(1), "");
  EXPECT_TRUE(data.GetItem(1)->GetSameAsPrev());
  EXPECT_EQ(data.GetItemParaNo(1), 1);
}

TEST_F(RVFReaderTest, UnknownItemKindIsSkipped) {
  ASSERT_TRUE(Load(Lines({kVersion, "-77 2 0 0 0 0", "x", "y", "0 1 0 0 0 0", "z"})));
  ASSERT_EQ(data.GetItemCount(), 1);
  EXPECT_EQ(data.GetItemText(0), "z");
}

// ---- checkpoints --------------------------------------------------------------------------

TEST_F(RVFReaderTest, CheckpointGoesToNextItem) {
  const std::string bmp = BitmapFile(1, 1, clBlack);
  ASSERT_TRUE(Load(Lines({kVersion, "-2 1 0 0 0 5 1", "Start", "-3 3 0 0 0 0 0", "p", "TBitmap", Hex(bmp)})));
  const TRVCPInfo* cp = data.GetItemCheckpoint(0);
  ASSERT_NE(cp, nullptr);
  EXPECT_EQ(cp->Name, "Start");
  EXPECT_EQ(cp->Tag.Value, 5);
  EXPECT_TRUE(cp->RaiseEvent);
  EXPECT_EQ(data.GetCheckpointCount(), 1);
  EXPECT_EQ(data.GetFirstCheckpoint(), cp);
}

TEST_F(RVFReaderTest, CheckpointAtEndBecomesPending) {
  ASSERT_TRUE(Load(Lines({kVersion, "0 1 0 0 0 0", "a", "-2 1 0 0 0 0", "Tail"})));
  ASSERT_NE(data.GetPendingCheckpoint(), nullptr);
  EXPECT_EQ(data.GetPendingCheckpoint()->Name, "Tail");
  EXPECT_FALSE(data.GetPendingCheckpoint()->RaiseEvent);  // empty tail after the tag
  EXPECT_EQ(data.GetCheckpointCount(), 1);
}

TEST_F(RVFReaderTest, AppendingGivesDocumentsPendingCheckpointToFirstItem) {
  data.AddTextItem("first", 0, 0);
  data.AddCheckpoint("waiting", false, TRVTag());
  ASSERT_TRUE(Insert(Lines({kVersion, "0 1 0 0 0 0", "second"}), 1));
  EXPECT_EQ(data.GetPendingCheckpoint(), nullptr);
  ASSERT_NE(data.GetItemCheckpoint(1), nullptr);
  EXPECT_EQ(data.GetItemCheckpoint(1)->Name, "waiting");
  EXPECT_EQ(data.GetCheckpointCount(), 1);
}

// ---- style blocks, background, layout -----------------------------------------------------

/// A text-style collection of one style: font name and size.
std::string TextStylesBlock(std::string_view fontName, int size) {
  return Bytes({0x0E, 0x01}) + Short("FontName") + Bytes({0x06}) + Short(fontName) + Short("Size") +
         Bytes({0x02, size}) + Bytes({0x00, 0x00});
}

TEST_F(RVFReaderTest, LoadReplacesTextStylesByBlock) {
  ASSERT_TRUE(Load(Lines({kVersion, "-9 2 0 0 0 0 1", "MainStyle", Hex(TextStylesBlock("Courier New", 12)),
                          "0 1 0 0 0 0", "x"})));
  ASSERT_EQ(style.TextStyles().Count(), 1);
  EXPECT_EQ(style.TextStyles()[0].FontName, "Courier New");
  EXPECT_EQ(style.TextStyles()[0].Size, 12);
}

TEST_F(RVFReaderTest, LoadRefusesStyleBlockAfterItems) {
  // The item was checked against the sheet's seven styles; a block replacing them with one
  // would leave it pointing outside the sheet.
  const int before = style.TextStyles().Count();
  EXPECT_FALSE(
      Load(Lines({kVersion, "5 1 0 0 0 0", "x", "-9 2 0 0 0 0 1", "", Hex(TextStylesBlock("Arial", 10))})));
  EXPECT_TRUE(Warnings() & rvfwStyleOutOfRange);
  EXPECT_EQ(style.TextStyles().Count(), before);
  ASSERT_EQ(data.GetItemCount(), 1);
  EXPECT_EQ(data.GetItemStyleNo(0), 5);
}

TEST_F(RVFReaderTest, InsertMergesTextStylesThroughMap) {
  TFontInfo courier;
  courier.FontName = "Courier New";
  courier.Size = 12;
  style.TextStyles()[3].Assign(&courier);
  const int before = style.TextStyles().Count();
  ASSERT_TRUE(Insert(
      Lines({kVersion, "-9 2 0 0 0 0 1", "", Hex(TextStylesBlock("Courier New", 12)), "0 1 0 0 0 0", "x"}),
      0));
  EXPECT_EQ(data.GetItemStyleNo(0), 3);
  EXPECT_EQ(style.TextStyles().Count(), before);
  // The maps live only for the read.
  EXPECT_EQ(data.GetRVFStyleMaps().TextMap, nullptr);
}

TEST_F(RVFReaderTest, StyleOutsideMapFailsTheRead) {
  EXPECT_FALSE(Insert(
      Lines({kVersion, "-9 2 0 0 0 0 1", "", Hex(TextStylesBlock("Arial", 10)), "1 1 0 0 0 0", "x"}), 0));
  EXPECT_TRUE(Warnings() & rvfwStyleOutOfRange);
}

TEST_F(RVFReaderTest, InsertMapsToMostSimilarWithoutAdding) {
  data.SetRVFTextStylesReadMode(rvf_sInsertMap);
  const int before = style.TextStyles().Count();
  ASSERT_TRUE(Insert(
      Lines({kVersion, "-9 2 0 0 0 0 1", "", Hex(TextStylesBlock("Unknown Face", 31)), "0 1 0 0 0 0", "x"}),
      0));
  EXPECT_EQ(style.TextStyles().Count(), before);
  EXPECT_GE(data.GetItemStyleNo(0), 0);
  EXPECT_LT(data.GetItemStyleNo(0), before);
}

TEST_F(RVFReaderTest, IgnoreModeLeavesSheetAlone) {
  data.SetRVFTextStylesReadMode(rvf_sIgnore);
  ASSERT_TRUE(Load(Lines({kVersion, "-9 2 0 0 0 0 1", "", Hex(TextStylesBlock("Courier New", 12))})));
  EXPECT_EQ(style.TextStyles()[0].FontName, "Arial");
}

TEST_F(RVFReaderTest, ReadsStyleBlockAsBinaryLine) {
  ASSERT_TRUE(Load(Lines({kVersion, "-9 2 0 0 2 0 1", "MainStyle"}) +
                   BinaryLine(TextStylesBlock("Tahoma", 9)) + Lines({"0 1 0 0 0 0", "x"})));
  EXPECT_EQ(style.TextStyles()[0].FontName, "Tahoma");
  EXPECT_EQ(data.GetItemText(0), "x");
}

TEST_F(RVFReaderTest, RefusesBlockThatIsNotACollection) {
  EXPECT_FALSE(Load(Lines({kVersion, "-9 2 0 0 0 0 1", "", "0100"})));
}

TEST_F(RVFReaderTest, ReadStyleReferencesOutsideBlockBecomeNone) {
  const std::string block = Bytes({0x0E, 0x01}) + Short("NextStyleNo") + Bytes({0x02, 9}) +
                            Short("BaseStyleNo") + Bytes({0x02, 0}) + Bytes({0x00, 0x00});
  ASSERT_TRUE(Load(Lines({kVersion, "-9 2 0 0 0 0 1", "", Hex(block)})));
  EXPECT_EQ(style.TextStyles()[0].NextStyleNo, -1);
  EXPECT_EQ(style.TextStyles()[0].BaseStyleNo, 0);
}

TEST_F(RVFReaderTest, ListStylesBlockAndMarkerMapping) {
  // One list style with one decimal level.
  const std::string block = Bytes({0x0E, 0x01}) + Short("Levels") + Bytes({0x0E, 0x01}) + Short("ListType") +
                            Bytes({0x07}) + Short("rvlstDecimal") + Bytes({0x00, 0x00}) + Bytes({0x00, 0x00});
  ASSERT_TRUE(Load(
      Lines({kVersion, "-9 2 0 0 0 0 4", "", Hex(block), "-11 0 0 0 0 0 0 0 1 0", "0 1 -1 0 0 0", "one"})));
  ASSERT_EQ(style.ListStyles().Count(), 1);
  EXPECT_EQ(style.ListStyles()[0].Levels()[0].ListType, rvlstDecimal);
  EXPECT_EQ(Item<TRVMarkerItemInfo>(0)->ListNo, 0);

  // Inserted, the list style is merged and a marker of a list outside the block warns.
  ASSERT_TRUE(Insert(
      Lines({kVersion, "-9 2 0 0 0 0 4", "", Hex(block), "-11 0 0 0 0 0 3 0 1 0", "0 1 -1 0 0 0", "two"}),
      data.GetItemCount()));
  EXPECT_TRUE(Warnings() & rvfwStyleOutOfRange);
  EXPECT_EQ(Item<TRVMarkerItemInfo>(2)->ListNo, 0);
}

TEST_F(RVFReaderTest, ReadsBackgroundRecords) {
  AddOptions(rvfoLoadBack);
  ASSERT_TRUE(Load(Lines({kVersion, "-7 0 -1 0 0 0 0 255", "0 1 0 0 0 0", "x"})));
  EXPECT_EQ(color, 255);
  const std::string bmp = BitmapFile(8, 8, clYellow);
  ASSERT_TRUE(Load(Lines({kVersion, "-7 2 0 0 0 0 2 65280", "TBitmap", Hex(bmp)})));
  EXPECT_EQ(color, 65280);
  EXPECT_EQ(background.Style, bsTiled);
  ASSERT_NE(background.GetBitmap(), nullptr);
  EXPECT_EQ(background.GetBitmap()->Width(), 8);
  EXPECT_FALSE(Load(Lines({kVersion, "-7 0 -1 0 0 0 9 0"})));  // no such background style
}

TEST_F(RVFReaderTest, BackgroundIsIgnoredWithoutLoadBack) {
  ASSERT_TRUE(Load(Lines({kVersion, "-7 0 -1 0 0 0 2 255"})));
  EXPECT_EQ(color, clNone);
}

std::string LayoutBlock(int32_t size, int32_t extra) {
  std::string s = Int32LE(0) + Int32LE(size);
  for (int32_t v : {10, 20, 30, 40, 100, 500}) s += Int32LE(v);
  s += Bytes({2});
  if (size >= 41)
    for (int32_t v : {1, 0, 0, 3}) s += Int32LE(v);
  s += std::string(static_cast<size_t>(extra), 'z');
  return s;
}

TEST_F(RVFReaderTest, ReadsLayoutBlock) {
  AddOptions(rvfoLoadLayout);
  ASSERT_TRUE(Load(Lines({kVersion, "-9 2 0 0 0 0 3", "", Hex(LayoutBlock(25, 0))})));
  EXPECT_TRUE(layout.Loaded);
  EXPECT_EQ(layout.LeftMargin, 10);
  EXPECT_EQ(layout.MaxTextWidth, 500);
  EXPECT_EQ(layout.BiDiMode, rvbdRightToLeft);
  EXPECT_EQ(layout.FirstMarkerListNo, -1);  // constructor value kept for Size 25

  TRVLayoutInfo fresh;
  layout = fresh;
  // Size 60: the 19 bytes after the extended fields are skipped.
  ASSERT_TRUE(Load(Lines({kVersion, "-9 2 0 0 2 0 3", ""}) + BinaryLine(LayoutBlock(60, 19)) +
                   Lines({"0 1 0 0 0 0", "x"})));
  EXPECT_EQ(layout.FirstParaAborted, 1);
  EXPECT_EQ(layout.FirstMarkerLevel, 3);
  EXPECT_EQ(data.GetItemText(0), "x");

  EXPECT_FALSE(Load(Lines({kVersion, "-9 2 0 0 0 0 3", "", Hex(LayoutBlock(24, 0))})));  // too short
}

TEST_F(RVFReaderTest, LayoutIsReadOnlyWhenLoadingWithLoadLayout) {
  ASSERT_TRUE(Load(Lines({kVersion, "-9 2 0 0 0 0 3", "", Hex(LayoutBlock(25, 0))})));
  EXPECT_FALSE(layout.Loaded);
}

// ---- style numbers and failures -----------------------------------------------------------

TEST_F(RVFReaderTest, StylesOutsideSheet) {
  struct Case {
    const char* header;
    bool convert;
    bool ok;
    int styleNo;
    int paraNo;
  };
  const Case cases[] = {
      {"40 1 0 0 0 0", false, false, 0, 0},
      {"40 1 0 0 0 0", true, true, 0, 0},
      {"0 1 9 0 0 0", false, false, 0, 0},
      {"0 1 9 0 0 0", true, true, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header);
    data.SetRVFOptions(c.convert ? rvfoConvUnknownStylesToZero : 0);
    EXPECT_EQ(Load(Lines({kVersion, c.header, "x"})), c.ok);
    EXPECT_TRUE(Warnings() & rvfwStyleOutOfRange);
    if (c.ok) {
      EXPECT_EQ(data.GetItemStyleNo(0), c.styleNo);
      EXPECT_EQ(data.GetItemParaNo(0), c.paraNo);
    }
  }
}

TEST_F(RVFReaderTest, MalformedStreamsFailKeepingEarlierItems) {
  const std::string good = Lines({kVersion, "0 1 0 0 0 0", "kept"});
  const char* bad[] = {
      "-3 3 0 0 0 0 0\r\np\r\nTBitmap\r\n",                  // a record lacking a data line
      "0 1 0 0 0 notanumber\r\nx\r\n",                       // a tag that is not a number
      "0 x 0 0 0 0\r\n",                                     // a malformed header
      "0 1 0 0 7 0\r\nx\r\n",                                // an unknown read type
      "0 -1 0 0 0 0\r\n",                                    // a negative line count
      "0 1 -5 0 0 0\r\nx\r\n",                               // a paragraph number below -1
      "\r\n",                                                // an empty header
      "-3 3 0 0 2 0 0\r\np\r\nTBitmap\r\n\xff\xff\xff\x7f",  // a binary line longer than the data
      "-3 3 0 0 2 0 0\r\np\r\nTBitmap\n\x01\x00\x00\x00x",   // a binary line not after CR LF
  };
  for (const char* tail : bad) {
    SCOPED_TRACE(tail);
    EXPECT_FALSE(Load(good + tail));
    ASSERT_EQ(data.GetItemCount(), 1);
    EXPECT_EQ(data.GetItemText(0), "kept");
  }
}

/// A document that refuses the first item a read offers it, as an editor may.
class TRefusingRVData : public TTestRVData {
 public:
  bool InsertItemObject(int&, std::string, std::unique_ptr<TCustomRVItemInfo>, bool& FullReformat,
                        int& NewListNo) override {
    FullReformat = false;
    NewListNo = -1;
    return false;
  }
};

TEST_F(RVFReaderTest, RefusedFirstItemStopsTheReadCleanly) {
  TRefusingRVData refusing;
  refusing.SetRVStyle(&style);
  TMemoryStream stream(Lines({kVersion, "-9 2 0 0 0 0 1", "", Hex(TextStylesBlock("Arial", 10)),
                              "-2 1 0 0 0 0", "cp", "0 1 0 0 0 0", "x", "0 1 0 0 0 0", "y"}));
  ASSERT_TRUE(refusing.InsertRVFFromStream(stream, 0, color, nullptr, nullptr, false));
  EXPECT_EQ(refusing.GetItemCount(), 0);
  // The checkpoint went with the refused item: nothing of it stays in the chain.
  EXPECT_EQ(refusing.GetFirstCheckpoint(), nullptr);
  EXPECT_EQ(refusing.GetLastCheckpoint(), nullptr);
  EXPECT_EQ(refusing.GetCheckpointCount(), 0);
  EXPECT_EQ(refusing.GetRVFStyleMaps().TextMap, nullptr);
}

TEST_F(RVFReaderTest, InsertsAtIndexAndNormalizesParagraph) {
  data.AddTextItem("a", 0, 1);
  data.AddTextItem("c", 0, -1);
  int index = 1;
  int inserted = 0;
  bool reading = true, flag = true;
  TMemoryStream stream(Lines({kVersion, "0 1 -1 0 0 0", "b"}));
  ASSERT_TRUE(data.InsertRVFFromStreamFull(stream, index, -1, false, false, false, color, nullptr, nullptr,
                                           inserted, reading, flag));
  EXPECT_EQ(index, 2);
  EXPECT_EQ(inserted, 1);
  EXPECT_FALSE(reading);
  EXPECT_FALSE(flag);
  ASSERT_EQ(data.GetItemCount(), 3);
  EXPECT_EQ(data.GetItemText(1), "b");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(data.GetItemParaNo(i), 1);
}

}  // namespace

namespace {

TEST_F(RVFReaderTest, TextRecordCutShortFailsKeepingLinesRead) {
  EXPECT_FALSE(Load(Lines({kVersion, "0 3 0 0 0 0", "one", "two"})));
  EXPECT_EQ(data.GetItemCount(), 2);
}

}  // namespace
