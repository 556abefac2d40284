// The plain HTML page (FONT and DIV markup): page parts, text runs, lists, checkpoints,
// hyperlinks, every item kind, picture files, and failures that must not be hidden.
#include <gtest/gtest.h>

#include "HTMLTestSupport.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/Picture.h"
#include "richtext/core/RVBack.h"

using namespace htmltest;

namespace {

constexpr TRVHTMLSaveOptions kBody = rvhoBodyOnly | rvhoNoDefaultFont;
constexpr TRVHTMLSaveOptions kConverter = 0x55;

class HTMLWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { data.SetRVStyle(style.get()); }

  std::string Body(TRVHTMLSaveOptions extra = 0, bool* ok = nullptr) {
    return PlainPage(data, kBody | extra, folder.Path(), ok);
  }

  std::unique_ptr<TRVStyle> style = MakeStyle();
  THookedData data;
  TTempFolder folder;
};

// ---- page parts --------------------------------------------------------------------------

TEST_F(HTMLWriterTest, ConverterOptionsWriteTheBodyOnlyWithImageSizes) {
  data.AddTextItem("Hello", 0, 0);
  data.AddPictureItem("pic", SolidBitmap(4, 3, clBlue), -1, 0, TRVTag());
  bool ok = false;
  EXPECT_EQ(PlainPage(data, kConverter, folder.Path(), &ok),
            Lines({"<DIV>Hello<IMG width=4 height=3 src=\"img1.jpg\"></DIV>"}));
  EXPECT_TRUE(ok);
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"img1.jpg"});
}

// The converter cleans this output line by line, so empty paragraphs must stand alone on
// their line and FONT must start with its size.
TEST_F(HTMLWriterTest, ConverterOptionsWriteAQuestionLineByLine) {
  data.urls[0] = "http://a/";
  data.AddTextItem("Question", 8, 1);
  data.AddTextItem("", 0, 0);
  data.AddTextItem("  indented", 0, 0);
  AddJoined(data, "link", 4);
  AddMarker(data, 0, 0);
  AddJoined(data, "first", 0);
  AddLineBreakText(data, "more", 0);
  AddMarker(data, 0, 0);
  data.AddPictureItem("p", SolidBitmap(3, 2, clRed), -1, 0, TRVTag());
  AddBreak(data);
  data.AddTextItem("end", 0, 2);
  bool ok = false;
  EXPECT_EQ(
      PlainPage(data, kConverter, folder.Path(), &ok),
      Lines({"<DIV align=center><FONT size=4 color=#FF0000 face=\"Courier New\">Question</FONT></DIV>",
             "<DIV>&nbsp;</DIV>",
             "<DIV>&nbsp; indented<A href=\"http://a/\"><FONT color=#008000><U>link</U></FONT></A></DIV>",
             "<OL>", "<LI value=1>first<BR>", "more</LI>",
             "<LI value=2><IMG width=3 height=2 src=\"img1.jpg\"></LI>", "<HR noshade size=1>", "</OL>",
             "<DIV align=right>end</DIV>"}));
  EXPECT_TRUE(ok);
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"img1.jpg"});
}

TEST_F(HTMLWriterTest, EmptyDocumentWritesHeadFontLinesAndTail) {
  EXPECT_EQ(PlainPage(data, 0, folder.Path()),
            Lines({"<HTML><HEAD><TITLE>Title</TITLE>", "</HEAD>",
                   "<BODY leftmargin=1 topmargin=2 rightmargin=3 bottommargin=4>",
                   "<FONT size=2 color=#000000 face=\"Arial\">", "</FONT>", "</BODY></HTML>"}));
}

TEST_F(HTMLWriterTest, EmptyDocumentWithoutDefaultFontHoldsOnlyItsPendingCheckpoint) {
  EXPECT_EQ(Body(), "");
  data.AddCheckpoint("", false, TRVTag());
  EXPECT_EQ(Body(), Lines({"<A name=RVCheckpoint0></A>"}));
}

TEST_F(HTMLWriterTest, OptionsChooseThePartsOfThePage) {
  data.AddTextItem("x", 0, 0);
  EXPECT_EQ(PlainPage(data, rvhoHeadOnly, folder.Path()),
            Lines({"<HTML><HEAD><TITLE>Title</TITLE>", "</HEAD>",
                   "<BODY leftmargin=1 topmargin=2 rightmargin=3 bottommargin=4>"}));
  EXPECT_EQ(PlainPage(data, rvhoTailOnly, folder.Path()), Lines({"</BODY></HTML>"}));
  EXPECT_EQ(PlainPage(data, rvhoBodyOnly, folder.Path()),
            Lines({"<FONT size=2 color=#000000 face=\"Arial\">", "<DIV>x</DIV>", "</FONT>"}));
  EXPECT_EQ(PlainPage(data, rvhoHeadOnly | rvhoBodyOnly, folder.Path()), "");
}

TEST_F(HTMLWriterTest, HeadCarriesCharsetColourExtrasAndEscapedTitle) {
  style->TextStyles()[0].Charset = 204;
  data.extras[rvhsaHead] = "<META name=x>";
  data.extras[rvhsaBodyAttribute] = "text=red";
  data.extras[rvhsaBodyStart] = "<P>start</P>";
  data.extras[rvhsaPageEnd] = "<P>end</P>";
  TMemoryStream stream;
  int counter = 0;
  ASSERT_TRUE(data.SaveHTMLToStream(stream, folder.Path(), "A & <B>", "img", rvhoNoDefaultFont, clWhite,
                                    counter, 0, 0, 0, 0, nullptr, nullptr));
  EXPECT_EQ(stream.DataString(),
            Lines({"<HTML><HEAD><TITLE>A &amp; &lt;B&gt;</TITLE>",
                   "<META HTTP-EQUIV=\"Content-Type\"  CONTENT=\"text/html; CHARSET=Windows-1251\">",
                   "<META name=x>", "</HEAD>", "<BODY bgcolor=#FFFFFF text=red",
                   " leftmargin=0 topmargin=0 rightmargin=0 bottommargin=0>", "<P>start</P>", "<P>end</P>",
                   "</BODY></HTML>"}));
  EXPECT_EQ(data.extraAsked, (std::vector<int>{0, 2, 4, 6}));
}

TEST_F(HTMLWriterTest, BackgroundPictureIsSavedAndFixedUnlessItScrolls) {
  TRVBackground background(false);
  background.TakeBitmap(SolidBitmap(5, 5, clRed), rvpaDoNothing, nullptr);
  background.Style = bsTiled;
  const std::string head = PlainPage(data, rvhoHeadOnly, folder.Path(), nullptr, clBlue, &background);
  EXPECT_NE(head.find("<BODY bgcolor=#0000FF background=\"img1.jpg\" bgproperties=fixed leftmargin=1"),
            std::string::npos)
      << head;
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"img1.jpg"});
  background.Style = bsTiledAndScrolled;
  data.saveImage = [](int ItemNo, std::string& Location, bool& DoDefault) {
    if (ItemNo == -1) Location = "host\\back.png", DoDefault = false;
  };
  EXPECT_NE(PlainPage(data, rvhoHeadOnly, folder.Path(), nullptr, clNone, &background)
                .find("<BODY background=\"host\\back.png\" leftmargin"),
            std::string::npos);
  background.Style = bsNoBitmap;
  EXPECT_NE(
      PlainPage(data, rvhoHeadOnly, folder.Path(), nullptr, clNone, &background).find("<BODY leftmargin"),
      std::string::npos);
}

TEST_F(HTMLWriterTest, WithoutStyleSheetNothingIsWritten) {
  THookedData bare;
  bare.AddTextItem("x", 0, 0);
  bool ok = true;
  EXPECT_EQ(PlainPage(bare, 0, folder.Path(), &ok), "");
  EXPECT_FALSE(ok);
}

// ---- text --------------------------------------------------------------------------------

TEST_F(HTMLWriterTest, TextRunsAreMarkedRelativeToStyleZero) {
  data.AddTextItem("a  b ", 0, 0);
  AddJoined(data, "bold", 11);
  AddJoined(data, "big", 8);
  AddJoined(data, "sub", 9);
  AddJoined(data, "", 0);
  EXPECT_EQ(Body(),
            Lines({"<DIV>a&nbsp; b&nbsp;<B>bold</B><FONT size=4 color=#FF0000 face=\"Courier New\">big"
                   "</FONT><SUB>sub</SUB>&nbsp;</DIV>"}));
}

TEST_F(HTMLWriterTest, DefaultFontWrapsTheBody) {
  style->TextStyles()[0].Style = {fsItalic};
  data.AddTextItem("x", 0, 0);
  EXPECT_EQ(PlainPage(data, rvhoBodyOnly, folder.Path()),
            Lines({"<FONT size=2 color=#000000 face=\"Arial\"><I>", "<DIV>x</DIV>", "</I></FONT>"}));
}

TEST_F(HTMLWriterTest, ParagraphsBreaksAndAlignments) {
  data.AddTextItem("left", 0, 0);
  AddLineBreakText(data, "next line", 0);
  data.AddTextItem("centre", 0, 1);
  data.AddTextItem("right", 0, 2);
  data.AddTextItem("justified", 0, 3);
  EXPECT_EQ(Body(), Lines({"<DIV>left<BR>", "next line</DIV>", "<DIV align=center>centre</DIV>",
                           "<DIV align=right>right</DIV>", "<DIV align=justify>justified</DIV>"}));
}

TEST_F(HTMLWriterTest, UnicodeTextBecomesCharacterReferences) {
  const std::u16string text = u"\u00E9<\U0001F600 \xD800x";
  data.AddWideTextItem(text, 6, 0, TRVTag());
  EXPECT_EQ(Body(), Lines({"<DIV>&#233;&lt;&#128512; &#65533;x</DIV>"}));
}

TEST_F(HTMLWriterTest, HTMLCodeStylesAreWrittenAsTheyAre) {
  data.AddTextItem("<b>x  y</b>", 7, 0);
  data.AddWideTextItem(u"<i>\u00E9</i>", 6, 0, TRVTag());
  style->TextStyles()[6].Options = rvteoHTMLCode;
  EXPECT_EQ(Body(), Lines({"<DIV><b>x  y</b></DIV>", "<DIV><i>&#233;</i></DIV>"}));
}

// ---- lists -------------------------------------------------------------------------------

TEST_F(HTMLWriterTest, NumberedListThenParagraphClosesTheListBeforeTheDiv) {
  AddMarker(data, 0, 0);
  AddJoined(data, "one", 0);
  AddMarker(data, 0, 0);
  AddJoined(data, "two", 0);
  data.AddTextItem("after", 0, 0);
  EXPECT_EQ(Body(),
            Lines({"<OL>", "<LI value=1>one</LI>", "<LI value=2>two</LI>", "</OL>", "<DIV>after</DIV>"}));
}

TEST_F(HTMLWriterTest, ListsOpenAndCloseLevelsAndSwitchLists) {
  AddMarker(data, 0, 0);
  AddJoined(data, "a", 0);
  AddMarker(data, 0, 1);
  AddJoined(data, "b", 0);
  AddMarker(data, 0, 0);
  AddJoined(data, "c", 0);
  AddMarker(data, 1, 0);
  AddJoined(data, "d", 0);
  AddMarker(data, 2, 0);
  AddJoined(data, "e", 0);
  EXPECT_EQ(Body(), Lines({"<OL>", "<LI value=1>a</LI>", "<OL type=a>", "<LI value=1>b</LI>", "</OL>",
                           "<LI value=2>c</LI>", "</OL>", "<UL>", "<LI>d</LI>", "</UL>", "<OL type=I>",
                           "<LI value=1>e</LI>", "</OL>"}));
}

TEST_F(HTMLWriterTest, LevelBeyondTheListUsesItsLastLevel) {
  AddMarker(data, 0, 7);
  AddJoined(data, "deep", 0);
  EXPECT_EQ(Body(), Lines({"<OL>", "<OL type=a>", "<LI value=1>deep</LI>", "</OL>", "</OL>"}));
}

TEST_F(HTMLWriterTest, HorizontalLineInsideAListClosesTheItemOnce) {
  AddMarker(data, 0, 0);
  AddJoined(data, "a", 0);
  AddBreak(data);
  AddMarker(data, 0, 0);
  AddJoined(data, "b", 0);
  EXPECT_EQ(Body(),
            Lines({"<OL>", "<LI value=1>a</LI>", "<HR noshade size=1>", "<LI value=2>b</LI>", "</OL>"}));
}

TEST_F(HTMLWriterTest, MarkersAsTextUseTheLevelFont) {
  AddMarker(data, 0, 0);
  AddJoined(data, "a", 0);
  AddMarker(data, 1, 0);
  AddJoined(data, "b", 0);
  EXPECT_EQ(Body(rvhoMarkersAsText),
            Lines({"<DIV><FONT size=1>1.</FONT>", "a</DIV>", "<DIV><FONT size=1>\xB7</FONT>", "b</DIV>"}));
}

TEST_F(HTMLWriterTest, MarkerOfAMissingListIsAPlainParagraph) {
  AddMarker(data, 9, 0);
  AddJoined(data, "a", 0);
  EXPECT_EQ(Body(), Lines({"<DIV>a</DIV>"}));
  EXPECT_EQ(Body(rvhoMarkersAsText), Lines({"<DIV>a</DIV>"}));
}

TEST_F(HTMLWriterTest, PictureAndImageListMarkersAsText) {
  TCustomImageList images;
  images.SetSize(6, 5);
  images.AddMasked(SolidBitmap(6, 5, clRed).get(), clNone);
  images.AddMasked(SolidBitmap(6, 5, clLime).get(), clNone);
  TRVListInfo* pictures = style->ListStyles().AddStyle();  // 3
  TRVListLevel* picture = pictures->Levels().AddLevel();
  picture->ListType = rvlstPicture;
  TPicture source;
  source.TakeGraphic(SolidBitmap(7, 8, clBlue));
  picture->SetPicture(&source);
  TRVListLevel* counted = style->ListStyles().AddStyle()->Levels().AddLevel();  // 4
  counted->ListType = rvlstImageListCounter;
  counted->ImageList = &images;
  AddMarker(data, 3, 0);
  AddJoined(data, "p", 0);
  AddMarker(data, 4, 0);
  AddJoined(data, "one", 0);
  AddMarker(data, 4, 0);
  AddJoined(data, "two", 0);
  AddMarker(data, 4, 0);
  AddJoined(data, "three", 0);  // image 2 does not exist
  bool ok = false;
  EXPECT_EQ(Body(rvhoMarkersAsText | rvhoImageSizes, &ok),
            Lines({"<DIV><IMG width=7 height=8 src=\"img1.jpg\">", "p</DIV>",
                   "<DIV><IMG width=6 height=5 src=\"img2.jpg\">", "one</DIV>",
                   "<DIV><IMG width=6 height=5 src=\"img3.jpg\">", "two</DIV>", "<DIV>three</DIV>"}));
  EXPECT_TRUE(ok);
}

// ---- checkpoints and hyperlinks ----------------------------------------------------------

TEST_F(HTMLWriterTest, CheckpointAnchorsAreNumberedOrNamed) {
  data.AddCheckpoint("first", false, TRVTag());
  data.AddTextItem("a", 0, 0);
  data.AddCheckpoint("", false, TRVTag());
  AddJoined(data, "b", 0);
  data.AddCheckpoint("x\"<y>", false, TRVTag());
  EXPECT_EQ(Body(), Lines({"<DIV>", "<A name=RVCheckpoint0></A>", "a", "<A name=RVCheckpoint1></A>",
                           "b</DIV>", "<A name=RVCheckpoint2></A>"}));
  EXPECT_EQ(Body(rvhoCheckpointNames),
            Lines({"<DIV>", "<A name=\"first\"></A>", "a", "<A name=RVCheckpoint1></A>", "b</DIV>",
                   "<A name=\"x&quot;&lt;y&gt;\"></A>"}));
}

TEST_F(HTMLWriterTest, HyperlinksAskTheHostForTheirAddress) {
  data.FirstJumpNo = 10;
  data.urls[10] = "http://a/?x=1&y=\"2\"";
  data.urls[12] = "pic.html";
  data.AddTextItem("go", 4, 0);
  AddJoined(data, "nowhere", 5);
  data.GetItem(1)->JumpID = 1;
  auto hot = TRVHotGraphicItemInfo::CreateWithPicture(&data, SolidBitmap(2, 2, clRed), 0);
  hot->JumpID = 2;
  hot->ParaNo = -1;
  data.AddItem("", std::move(hot));
  EXPECT_EQ(Body(),
            Lines({"<DIV><A href=\"http://a/?x=1&amp;y=&quot;2&quot;\"><FONT color=#008000><U>go</U></FONT>"
                   "</A><FONT color=#008000><U>nowhere</U></FONT><A href=\"pic.html\"><IMG src=\"img1.jpg\">"
                   "</A></DIV>"}));
}

// ---- items -------------------------------------------------------------------------------

TEST_F(HTMLWriterTest, HorizontalLinesWithAndWithoutColour) {
  AddBreak(data, 3, clRed);
  AddBreak(data, 2);
  EXPECT_EQ(Body(), Lines({"<HR noshade size=3>", "<HR noshade size=2>"}));
  EXPECT_EQ(Body(rvhoBreakColorCSS),
            Lines({"<HR noshade size=3 style='color : #FF0000'>", "<HR noshade size=2>"}));
}

TEST_F(HTMLWriterTest, PicturesGetAlignmentBordersAndExplicitSizes) {
  data.AddPictureItem("a", SolidBitmap(4, 3, clRed), 0, 1, TRVTag());
  auto* sized = dynamic_cast<TRVGraphicItemInfo*>(data.GetItem(0));
  sized->ImageWidth = 8;
  data.AddPictureItem("b", SolidBitmap(4, 3, clRed), -1, 0, TRVTag());
  data.AddPictureItem("c", SolidBitmap(4, 3, clRed), -1, 2, TRVTag());  // only 1 is "middle"
  EXPECT_EQ(Body(rvhoNoImageBorders),
            Lines({"<DIV><IMG align=middle border=0 width=8 height=3 src=\"img1.jpg\"><IMG border=0 "
                   "src=\"img2.jpg\"><IMG border=0 src=\"img3.jpg\"></DIV>"}));
}

TEST_F(HTMLWriterTest, JPEGPicturesAreCopiedByteForByte) {
  auto jpeg = SolidJPEG(9, 7, clGreen);
  const std::string bytes = JPEGBytes(*jpeg);
  data.AddPictureItem("j", std::move(jpeg), 0, 0, TRVTag());
  Body();
  EXPECT_EQ(folder.Read("img1.jpg"), bytes);
}

TEST_F(HTMLWriterTest, OtherPicturesAreDrawnOnTheFileColour) {
  data.AddPictureItem("icon", HalfTransparentIcon(16, 16, clRed), 0, 0, TRVTag());
  TMemoryStream stream;
  int counter = 0;
  ASSERT_TRUE(data.SaveHTMLToStream(stream, folder.Path(), "", "img", kBody, clBlue, counter, 0, 0, 0, 0,
                                    nullptr, nullptr));
  TJPEGImage decoded;
  decoded.LoadFromFile(folder.Path() + "img1.jpg");
  TBitmap pixels;
  pixels.Assign(&decoded);
  const TColor opaque = pixels.Canvas().Pixel(3, 8);
  const TColor transparent = pixels.Canvas().Pixel(12, 8);
  EXPECT_GT(opaque & 0xFF, 0xD0);  // the icon's red
  EXPECT_LT((opaque >> 16) & 0xFF, 0x30);
  EXPECT_GT((transparent >> 16) & 0xFF, 0xD0);  // the file colour, blue
  EXPECT_LT(transparent & 0xFF, 0x30);
  EXPECT_EQ(data.imageColors, std::vector<TColor>{clBlue});
}

TEST_F(HTMLWriterTest, BulletsOfTheSameImageShareOneFile) {
  TCustomImageList images;
  images.SetSize(5, 4);
  images.AddMasked(SolidBitmap(5, 4, clRed).get(), clNone);
  images.AddMasked(SolidBitmap(5, 4, clLime).get(), clNone);
  data.AddItem("", TRVBulletItemInfo::CreateEx(&data, &images, 0, 0));
  auto second = TRVBulletItemInfo::CreateEx(&data, &images, 0, 0);
  second->ParaNo = -1;
  data.AddItem("", std::move(second));
  auto hotspot = TRVHotspotItemInfo::CreateEx(&data, &images, 1, 0, 0);
  hotspot->ParaNo = -1;
  data.AddItem("", std::move(hotspot));
  EXPECT_EQ(Body(rvhoImageSizes), Lines({"<DIV><IMG width=5 height=4 src=\"img1.jpg\"><IMG width=5 height=4 "
                                         "src=\"img1.jpg\"><IMG width=5 height=4 src=\"img2.jpg\"></DIV>"}));
  EXPECT_EQ(folder.Files(), (std::vector<std::string>{"img1.jpg", "img2.jpg"}));
}

TEST_F(HTMLWriterTest, ImageItemsWrittenWithoutAnExportCacheStillSaveTheirImage) {
  TCustomImageList images;
  images.SetSize(5, 4);
  images.AddMasked(SolidBitmap(5, 4, clRed).get(), clNone);
  data.AddItem("", TRVBulletItemInfo::CreateEx(&data, &images, 0, 0));
  TRVListLevel* level = style->ListStyles().AddStyle()->Levels().AddLevel();  // list 3
  level->ListType = rvlstImageList;
  level->ImageList = &images;
  AddMarker(data, 3, 0);
  TMemoryStream stream;
  int counter = 0;
  for (int i = 0; i < 2; ++i)
    EXPECT_TRUE(data.GetItem(i)->SaveHTML(stream, &data, i, "", folder.Path(), "img", counter, clWhite,
                                          rvhoImageSizes | rvhoMarkersAsText, false, nullptr));
  EXPECT_EQ(stream.DataString(),
            "<IMG width=5 height=4 src=\"img1.jpg\">" + Lines({"<IMG width=5 height=4 src=\"img2.jpg\">"}));
  EXPECT_EQ(folder.Files(), (std::vector<std::string>{"img1.jpg", "img2.jpg"}));
}

TEST_F(HTMLWriterTest, ControlsWriteWhatTheHostGives) {
  data.controlHTML = "<INPUT type=button>";
  data.AddItem("", TRVControlItemInfo::CreateEx(&data, std::make_unique<TControl>(nullptr), 0));
  EXPECT_EQ(Body(), Lines({"<DIV><INPUT type=button></DIV>"}));
  data.controlHTML.clear();
  EXPECT_EQ(Body(), Lines({"<DIV></DIV>"}));
}

TEST_F(HTMLWriterTest, HostMaySavePicturesItselfOrLeaveThemOut) {
  data.AddPictureItem("a", SolidBitmap(4, 3, clRed), 0, 0, TRVTag());
  data.AddPictureItem("b", SolidBitmap(4, 3, clRed), -1, 0, TRVTag());
  data.saveImage = [](int ItemNo, std::string& Location, bool& DoDefault) {
    DoDefault = false;
    if (ItemNo == 0) Location = "dir\\own.gif";
  };
  bool ok = false;
  EXPECT_EQ(Body(0, &ok), Lines({"<DIV><IMG src=\"dir/own.gif\"></DIV>"}));
  EXPECT_TRUE(ok);
  EXPECT_TRUE(folder.Files().empty());
}

// ---- failures ----------------------------------------------------------------------------

TEST_F(HTMLWriterTest, PictureWithoutPixelsGetsNoTagAndTheExportGoesOn) {
  data.AddTextItem("before", 0, 0);
  data.AddPictureItem("empty", std::make_unique<TBitmap>(), -1, 0, TRVTag());
  data.AddTextItem("after", 0, 0);
  bool ok = false;
  EXPECT_EQ(Body(0, &ok), Lines({"<DIV>before</DIV>", "<DIV>after</DIV>"}));
  EXPECT_TRUE(ok);
  EXPECT_TRUE(folder.Files().empty());
}

TEST_F(HTMLWriterTest, PictureThatCannotBeSavedStopsTheExport) {
  data.AddTextItem("before", 0, 0);
  data.AddPictureItem("p", SolidBitmap(2, 2, clRed), -1, 0, TRVTag());
  data.AddTextItem("after", 0, 0);
  bool ok = true;
  EXPECT_EQ(PlainPage(data, kBody, folder.Path() + "missing/", &ok), "<DIV>before");
  EXPECT_FALSE(ok);
}

/// A stream that refuses to grow beyond a limit, like a full disk.
class TFullStream : public TMemoryStream {
 public:
  explicit TFullStream(int64_t limit) : limit_(limit) {}
  int64_t Write(const void* buffer, int64_t count) override {
    if (Position() + count > limit_) throw EWriteError("Stream write error");
    return TMemoryStream::Write(buffer, count);
  }

 private:
  int64_t limit_;
};

TEST_F(HTMLWriterTest, FullStreamStopsTheExportAndKeepsWhatWasWritten) {
  for (int i = 0; i < 50; ++i) data.AddTextItem("paragraph " + std::to_string(i), 0, 0);
  TMemoryStream whole;
  int counter = 0;
  ASSERT_TRUE(data.SaveHTMLToStream(whole, "", "T", "img", 0, clNone, counter, 0, 0, 0, 0, nullptr, nullptr));
  TFullStream full(300);
  counter = 0;
  EXPECT_FALSE(data.SaveHTMLToStream(full, "", "T", "img", 0, clNone, counter, 0, 0, 0, 0, nullptr, nullptr));
  ASSERT_GT(full.Size(), 200);
  EXPECT_EQ(full.DataString(), whole.DataString().substr(0, static_cast<size_t>(full.Size())));
}

/// A document whose picture writer leaves a half-written file behind and fails.
class THalfWritingData : public THookedData {
 public:
  std::string SaveImageForHTML(TGraphic* Graphic, const std::string& Path, const std::string& ImagesPrefix,
                               int& Counter, TColor Color, bool JPEG, bool OverwriteAllowed) override {
    (void)Graphic, (void)Color;
    const std::string name =
        MakeHTMLImageFileName(Path, ImagesPrefix, JPEG ? ".jpg" : ".bmp", Counter, OverwriteAllowed);
    std::ofstream(name, std::ios::binary) << "\xFF\xD8 half";
    throw EWriteError("Stream write error");
  }
};

TEST_F(HTMLWriterTest, HalfWrittenPictureFileIsRemoved) {
  THalfWritingData failing;
  failing.SetRVStyle(style.get());
  failing.AddPictureItem("p", SolidBitmap(2, 2, clRed), 0, 0, TRVTag());
  bool ok = true;
  PlainPage(failing, kBody, folder.Path(), &ok);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(folder.Files().empty());
}

TEST_F(HTMLWriterTest, SavesAPageFileWithPicturesBesideIt) {
  data.AddTextItem("x", 0, 0);
  data.AddPictureItem("p", SolidBitmap(2, 2, clRed), -1, 0, TRVTag());
  int counter = 0;
  ASSERT_TRUE(data.SaveHTML(folder.Path() + "page.html", "T", "page_img", kBody, clNone, counter, 0, 0, 0, 0,
                            nullptr));
  EXPECT_EQ(folder.Read("page.html"), Lines({"<DIV>x<IMG src=\"page_img1.jpg\"></DIV>"}));
  EXPECT_EQ(folder.Files(), (std::vector<std::string>{"page.html", "page_img1.jpg"}));
  EXPECT_FALSE(data.SaveHTML(folder.Path() + "no/such/page.html", "T", "i", kBody, clNone, counter, 0, 0, 0,
                             0, nullptr));
}

}  // namespace
