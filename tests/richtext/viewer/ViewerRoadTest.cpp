// The converter's road: a hidden viewer with the converter's style sheet loads rich-text parts
// and writes them as body-only HTML with picture files, exactly as the HTML writer alone does
// on the same data.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "exam/RVMainStyle.h"
#include "richtext/core/HTMLTestSupport.h"
#include "richtext/core/RVFTestSupport.h"
#include "richtext/viewer/RVRVData.h"
#include "richtext/viewer/RVViewer.h"

namespace {

constexpr TRVHTMLSaveOptions kConverterOptions = 0x55;

/// One written page with the picture files beside it.
struct TPage {
  bool Loaded = false;
  bool Saved = false;
  std::string HTML;
  std::map<std::string, std::string> Files;
};

std::map<std::string, std::string> ReadFolder(const htmltest::TTempFolder& folder) {
  std::map<std::string, std::string> files;
  for (const std::string& name : folder.Files()) files[name] = folder.Read(name);
  return files;
}

class ViewerRoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RVBuildMainStyle(viewerSheet, nullptr);
    RVBuildMainStyle(writerSheet, nullptr);
    RVBuildMainStyle(builderSheet, nullptr);
    viewer.SetStyle(&viewerSheet);
    viewer.SetDoInPaletteMode(rvpaCreateCopies);
  }

  TPage ThroughViewer(const std::string& rvf, const std::string& prefix) {
    htmltest::TTempFolder folder;
    TPage page;
    viewer.Clear();
    TMemoryStream in(rvf);
    page.Loaded = viewer.LoadRVFFromStream(in);
    viewer.Format();
    TMemoryStream out;
    page.Saved = viewer.SaveHTMLToStream(out, folder.Path(), "content", prefix, kConverterOptions);
    page.HTML = out.DataString();
    page.Files = ReadFolder(folder);
    return page;
  }

  /// The same part through the document core's reader and HTML writer, on a sheet of its own.
  TPage ThroughWriter(const std::string& rvf, const std::string& prefix) {
    htmltest::TTempFolder folder;
    TPage page;
    TCustomRVData data;
    data.SetRVStyle(&writerSheet);
    TMemoryStream in(rvf);
    TColor color = clNone;
    TRVBackground background(true);
    TRVLayoutInfo layout;
    page.Loaded = data.LoadRVFFromStream(in, color, &background, &layout);
    TMemoryStream out;
    int counter = 0;
    const TColor pageColor = color != clNone ? color : writerSheet.Color;
    page.Saved = data.SaveHTMLToStream(out, folder.Path(), "content", prefix, kConverterOptions, pageColor,
                                       counter, 5, 5, 5, 5, &background, nullptr);
    page.HTML = out.DataString();
    page.Files = ReadFolder(folder);
    return page;
  }

  void ExpectSamePage(const std::string& rvf, const std::string& prefix, size_t pictureFiles) {
    const TPage viewerPage = ThroughViewer(rvf, prefix);
    const TPage writerPage = ThroughWriter(rvf, prefix);
    EXPECT_TRUE(viewerPage.Loaded);
    EXPECT_TRUE(viewerPage.Saved);
    EXPECT_TRUE(writerPage.Loaded);
    EXPECT_TRUE(writerPage.Saved);
    EXPECT_FALSE(viewerPage.HTML.empty());
    EXPECT_EQ(viewerPage.HTML, writerPage.HTML);
    EXPECT_EQ(viewerPage.Files, writerPage.Files);
    EXPECT_EQ(viewerPage.Files.size(), pictureFiles);
    for (const auto& [name, bytes] : viewerPage.Files) {
      EXPECT_EQ(name.rfind(prefix, 0), 0u) << name;
      EXPECT_NE(viewerPage.HTML.find("src=\"" + name + "\""), std::string::npos) << name;
      EXPECT_FALSE(bytes.empty()) << name;
    }
  }

  /// RVF written by the document core's writer from a document built on the converter's sheet.
  std::string WriterPart(const std::function<void(TCustomRVData&)>& build) {
    TCustomRVData data;
    data.SetRVStyle(&builderSheet);
    build(data);
    TMemoryStream stream;
    EXPECT_TRUE(data.SaveRVFToStream(stream, false, clNone, nullptr, nullptr));
    return stream.DataString();
  }

  TRVStyle viewerSheet;
  TRVStyle writerSheet;
  TRVStyle builderSheet;
  TRVViewer viewer;
};

TEST_F(ViewerRoadTest, TextPartFromTheWriterMatchesTheWriterAlone) {
  const std::string rvf = WriterPart([](TCustomRVData& data) {
    data.AddWideTextItem(u"Which protocol \u0416 uses port 80?", 0, 0, TRVTag());
    data.AddWideTextItem(u" (choose one)", 2, -1, TRVTag());
    data.AddWideTextItem(u"A second paragraph & <tags>", 1, 1, TRVTag());
    htmltest::AddBreak(data);
    data.AddWideTextItem(u"After the line", 3, 2, TRVTag());
  });
  ExpectSamePage(rvf, "q1_img", 0);
}

TEST_F(ViewerRoadTest, PictureRichPartFromTheWriterMatchesTheWriterAlone) {
  const std::string rvf = WriterPart([](TCustomRVData& data) {
    data.AddWideTextItem(u"Exhibit:", 0, 0, TRVTag());
    data.AddPictureItem("bitmap", htmltest::SolidBitmap(12, 8, clRed), 0, 0, TRVTag());
    data.AddPictureItem("photo", htmltest::SolidJPEG(16, 16, clBlue), 0, 0, TRVTag());
    data.AddWideTextItem(u"between", 0, 1, TRVTag());
    data.AddPictureItem("bitmap2", htmltest::SolidBitmap(5, 30, clLime), 1, 0, TRVTag());
  });
  ExpectSamePage(rvf, "q2_img", 3);
}

TEST_F(ViewerRoadTest, HandBuiltPartMatchesTheWriterAlone) {
  using rvftest::Hex;
  using rvftest::Lines;
  using rvftest::UnicodeLine;
  const std::string bmp = rvftest::BitmapFile(6, 4, clYellow);
  const std::string rvf = Lines({"-8 1 2", "1 2 0 8 0 0"}) + UnicodeLine(u"First line") +
                          UnicodeLine(u"\u041f\u0440\u0438\u0432\u0435\u0442") +
                          Lines({"-3 3 1 0 0 0 1", "photo", "TBitmap", Hex(bmp)});
  ExpectSamePage(rvf, "q3_img", 1);
}

TEST_F(ViewerRoadTest, PartsDoNotLeakIntoEachOther) {
  const std::string first = WriterPart([](TCustomRVData& data) {
    data.AddWideTextItem(u"first", 0, 0, TRVTag());
    data.AddPictureItem("p", htmltest::SolidBitmap(3, 3, clRed), 0, 0, TRVTag());
  });
  const std::string second =
      WriterPart([](TCustomRVData& data) { data.AddWideTextItem(u"second", 0, 0, TRVTag()); });
  ThroughViewer(first, "a_img");
  const TPage page = ThroughViewer(second, "b_img");
  EXPECT_EQ(viewer.GetItemCount(), 1);
  EXPECT_EQ(page.HTML.find("first"), std::string::npos);
  EXPECT_TRUE(page.Files.empty());
}

TEST_F(ViewerRoadTest, FailuresAreReportedNotHidden) {
  const std::string rvf = WriterPart([](TCustomRVData& data) {
    data.AddWideTextItem(u"text", 0, 0, TRVTag());
    data.AddPictureItem("p", htmltest::SolidBitmap(20, 20, clRed), 0, 0, TRVTag());
  });
  const std::string truncated = rvf.substr(0, rvf.size() - 40);
  TMemoryStream in(truncated);
  EXPECT_FALSE(viewer.LoadRVFFromStream(in)) << "a part cut inside a picture is not a document";

  TRVViewer unstyled;
  TMemoryStream good(rvf);
  unstyled.LoadRVFFromStream(good);
  TMemoryStream out;
  htmltest::TTempFolder folder;
  EXPECT_FALSE(unstyled.SaveHTMLToStream(out, folder.Path(), "content", "x_img", kConverterOptions));
  EXPECT_EQ(out.DataString(), "");
}

TEST_F(ViewerRoadTest, LayoutRecordIsAppliedAndItsAbsenceLeavesMarginsAlone) {
  TCustomRVData data;
  data.SetRVStyle(&builderSheet);
  data.SetRVFOptions(data.GetRVFOptions() | rvfoSaveLayout);
  data.AddWideTextItem(u"x", 0, 0, TRVTag());
  TRVLayoutInfo layout;
  layout.LeftMargin = 11;
  layout.RightMargin = 12;
  layout.TopMargin = 13;
  layout.BottomMargin = 14;
  layout.MaxTextWidth = 300;
  TMemoryStream withLayout;
  ASSERT_TRUE(data.SaveRVFToStream(withLayout, false, clNone, nullptr, &layout));
  TMemoryStream plain;
  ASSERT_TRUE(data.SaveRVFToStream(plain, false, clNone, nullptr, nullptr));

  viewer.RVFOptions |= rvfoLoadLayout;
  plain.SetPosition(0);
  ASSERT_TRUE(viewer.LoadRVFFromStream(plain));
  EXPECT_EQ(viewer.LeftMargin, 5);
  withLayout.SetPosition(0);
  ASSERT_TRUE(viewer.LoadRVFFromStream(withLayout));
  EXPECT_EQ(viewer.LeftMargin, 11);
  EXPECT_EQ(viewer.RightMargin, 12);
  EXPECT_EQ(viewer.TopMargin, 13);
  EXPECT_EQ(viewer.BottomMargin, 14);
  EXPECT_EQ(viewer.MaxTextWidth, 300);
}

TEST_F(ViewerRoadTest, InsertedPartLandsBeforeTheGivenItem) {
  const std::string rvf =
      WriterPart([](TCustomRVData& data) { data.AddWideTextItem(u"middle", 0, 0, TRVTag()); });
  viewer.AddTextLineWithTag(u"first", 0, 0, 7);
  viewer.AddTextLineWithTag(u"last", 0, 0, 0);
  TMemoryStream in(rvf);
  ASSERT_TRUE(viewer.InsertRVFFromStream(in, 1));
  ASSERT_EQ(viewer.GetItemCount(), 3);
  EXPECT_EQ(viewer.RVData().GetItemTextW(1), u"middle");
  EXPECT_EQ(viewer.RVData().GetItemTag(0).Value, 7);
}

}  // namespace

namespace {

TEST_F(ViewerRoadTest, OtherWritersSeeTheSameDocument) {
  viewer.AddTextLineWithTag(u"first", 0, 0, 0);
  viewer.AddTextLineWithTag(u"second", 0, 1, 0);
  TMemoryStream rtf;
  ASSERT_TRUE(viewer.SaveRTFToStream(rtf, false));
  EXPECT_EQ(rtf.DataString().rfind("{\\rtf1", 0), 0u);
  EXPECT_NE(rtf.DataString().find("second"), std::string::npos);

  htmltest::TTempFolder folder;
  ASSERT_TRUE(viewer.SaveText(folder.Path() + "part.txt", 80));
  EXPECT_EQ(folder.Read("part.txt"), "first\r\nsecond");
  EXPECT_FALSE(viewer.SaveText(folder.Path() + "missing/part.txt", 80));
  ASSERT_TRUE(viewer.SaveRTF(folder.Path() + "part.rtf", false));
  const std::string file = folder.Read("part.rtf");
  EXPECT_EQ(file.rfind("{\\rtf1", 0), 0u);
  EXPECT_EQ(file.substr(file.find("\\uc1\r\n\\pard")),
            rtf.DataString().substr(rtf.DataString().find("\\uc1\r\n\\pard")))
      << "list ids are random; the body is the same";

  TMemoryStream rvf;
  ASSERT_TRUE(viewer.SaveRVFToStream(rvf, false));
  TRVViewer copy;
  copy.SetStyle(&viewerSheet);
  rvf.SetPosition(0);
  ASSERT_TRUE(copy.LoadRVFFromStream(rvf));
  ASSERT_EQ(copy.GetItemCount(), 2);
  EXPECT_EQ(copy.RVData().GetItemTextW(1), u"second");
}

}  // namespace

namespace {

/// Reads `rvf` into the viewer and exports it as the converter does, pictures into `folder`.
bool LoadAndExport(TCustomRVViewer& viewer, const std::string& rvf, const std::string& folder,
                   const std::string& imagesPrefix) {
  TMemoryStream in(rvf);
  TMemoryStream out;
  return viewer.LoadRVFFromStream(in) &&
         viewer.SaveHTMLToStream(out, folder, "content", imagesPrefix, kConverterOptions);
}

TEST_F(ViewerRoadTest, PictureSavedDuringAnExportContinuesItsNumbering) {
  const std::string rvf = WriterPart([](TCustomRVData& data) {
    data.AddPictureItem("p", htmltest::SolidBitmap(4, 4, clRed), 0, 0, TRVTag());
  });
  htmltest::TTempFolder folder;
  ASSERT_TRUE(LoadAndExport(viewer, rvf, folder.Path(), "q9_img"));
  auto extra = htmltest::SolidBitmap(2, 2, clBlue);
  const std::string name = viewer.SaveImageForHTML(extra.get(), folder.Path());
  EXPECT_EQ(name, folder.Path() + "q9_img2.jpg");
  EXPECT_EQ(folder.Files(), (std::vector<std::string>{"q9_img1.jpg", "q9_img2.jpg"}));
}

TEST_F(ViewerRoadTest, ExportReportsThePictureFilesItWroteWithTheirBytes) {
  const std::string rvf = WriterPart([](TCustomRVData& data) {
    data.AddPictureItem("p", htmltest::SolidBitmap(4, 4, clRed), 0, 0, TRVTag());
    data.AddPictureItem("q", htmltest::SolidBitmap(3, 5, clBlue), 0, 0, TRVTag());
  });
  htmltest::TTempFolder folder;
  ASSERT_TRUE(LoadAndExport(viewer, rvf, folder.Path(), "r_img"));
  const std::vector<TRVHTMLImageFile>& files = viewer.HTMLImageFiles();
  ASSERT_EQ(files.size(), 2u);
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(files[i].FileName, folder.Path() + "r_img" + std::to_string(i + 1) + ".jpg");
    std::ifstream file(files[i].FileName, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(bytes.empty());
    EXPECT_EQ(files[i].Bytes, bytes);
  }

  // The next export reports only its own files.
  const std::string text =
      WriterPart([](TCustomRVData& data) { data.AddWideTextItem(u"none", 0, 0, TRVTag()); });
  ASSERT_TRUE(LoadAndExport(viewer, text, folder.Path(), "s_img"));
  EXPECT_TRUE(viewer.HTMLImageFiles().empty());
}

}  // namespace

namespace {

TEST_F(ViewerRoadTest, CSSPageMatchesTheCSSWriterAlone) {
  const std::string rvf = WriterPart([](TCustomRVData& data) {
    data.AddWideTextItem(u"Styled", 1, 0, TRVTag());
    data.AddPictureItem("p", htmltest::SolidBitmap(6, 6, clRed), 1, 0, TRVTag());
  });
  htmltest::TTempFolder viewerFolder, writerFolder;
  TMemoryStream in(rvf);
  ASSERT_TRUE(viewer.LoadRVFFromStream(in));
  TMemoryStream viewerPage;
  EXPECT_TRUE(viewer.SaveHTMLToStreamCSS(viewerPage, viewerFolder.Path(), "content", "c_img", 0));

  TCustomRVData data;
  data.SetRVStyle(&writerSheet);
  TMemoryStream again(rvf);
  TColor color = clNone;
  ASSERT_TRUE(data.LoadRVFFromStream(again, color, nullptr, nullptr));
  TMemoryStream writerPage;
  int counter = 0;
  TColor fileColor = writerSheet.Color;
  TRVBackground background(true);
  EXPECT_TRUE(data.SaveHTMLToStreamCSS(writerPage, writerFolder.Path(), "content", "c_img", "", "", "", 0,
                                       writerSheet.Color, fileColor, counter, 5, 5, 5, 5, &background,
                                       nullptr));
  EXPECT_EQ(viewerPage.DataString(), writerPage.DataString());
  EXPECT_NE(viewerPage.DataString().find("<STYLE"), std::string::npos);
  EXPECT_EQ(ReadFolder(viewerFolder), ReadFolder(writerFolder));
}

}  // namespace
