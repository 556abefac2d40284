// Pages of documents that hold every item kind, in both page kinds and with 8-bit and
// Unicode text styles, parse without errors in an HTML5 parser into the expected text and
// structure, and every picture they refer to exists and decodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "HTMLTestSupport.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/Picture.h"
#include "richtext/core/RVBack.h"

using namespace htmltest;

namespace {

struct PageKind {
  const char* name;
  bool css;
  bool unicode;
  TRVHTMLSaveOptions options;
};
/// Names the case in test listings instead of dumping its bytes.
void PrintTo(const PageKind& c, std::ostream* os) {
  *os << c.name;
}

class HTMLValidityTest : public ::testing::TestWithParam<PageKind> {
 protected:
  void SetUp() override {
    if (!HTML5LibAvailable()) GTEST_SKIP() << "python3-html5lib is not installed";
    style = MakeStyle();
    if (GetParam().unicode)
      for (int i = 0; i < style->TextStyles().Count(); ++i)
        if (i != 7) style->TextStyles()[i].Unicode = true;
    data.SetRVStyle(style.get());
    images.SetSize(6, 6);
    images.AddMasked(SolidBitmap(6, 6, clRed).get(), clNone);
    images.AddMasked(SolidBitmap(6, 6, clLime).get(), clNone);
    BuildEveryKind();
  }

  void Text(const std::u16string& text, int styleNo, int paraNo) {
    data.AddWideTextItem(text, styleNo, paraNo, TRVTag());
  }

  void BuildEveryKind() {
    TRVListLevel* picture = style->ListStyles().AddStyle()->Levels().AddLevel();  // list 3
    picture->ListType = rvlstPicture;
    TPicture source;
    source.TakeGraphic(SolidBitmap(5, 5, clBlue));
    picture->SetPicture(&source);
    TRVListLevel* imageList = style->ListStyles().AddStyle()->Levels().AddLevel();  // list 4
    imageList->ListType = rvlstImageListCounter;
    imageList->ImageList = &images;

    data.urls[0] = "http://example.com/?a=1&b=2";
    data.controlHTML = "<INPUT type=button value=\"OK\">";
    data.AddCheckpoint("top", false, TRVTag());
    Text(u"Title \u00E9", 1, 1);
    Text(u"Plain  text & <tags> ", 0, 0);
    Text(u"bold", 11, -1);
    Text(u"link", 4, -1);
    Text(u"H", 0, -1);
    Text(u"2", 9, -1);
    Text(u"O", 0, -1);
    Text(u"mono", 8, -1);
    AddLineBreakText(data, "second line", 0);
    AddBreak(data, 2, clRed);
    data.AddPictureItem("bitmap", SolidBitmap(8, 6, clBlue), 2, 1, TRVTag());
    auto hot = TRVHotGraphicItemInfo::CreateWithPicture(&data, SolidBitmap(4, 4, clRed), 0);
    hot->ParaNo = -1;
    data.AddItem("", std::move(hot));
    data.AddPictureItem("jpeg", SolidJPEG(9, 7, clGreen), -1, 0, TRVTag());
    data.AddItem("", TRVBulletItemInfo::CreateEx(&data, &images, 0, 0));
    auto hotspot = TRVHotspotItemInfo::CreateEx(&data, &images, 1, 0, 0);
    hotspot->ParaNo = -1;
    data.AddItem("", std::move(hotspot));
    auto control = TRVControlItemInfo::CreateEx(&data, std::make_unique<TControl>(nullptr), 0);
    control->ParaNo = -1;
    data.AddItem("", std::move(control));
    AddMarker(data, 0, 0);
    Text(u"one", 0, -1);
    AddMarker(data, 0, 1);
    Text(u"one a", 0, -1);
    AddBreak(data);
    AddMarker(data, 0, 0);
    Text(u"two", 0, -1);
    AddMarker(data, 1, 0);
    Text(u"dot", 0, -1);
    AddMarker(data, 3, 0);
    Text(u"picture item", 0, -1);
    AddMarker(data, 4, 0);
    Text(u"image item", 0, -1);
    Text(u"after list \U0001F600", 0, 3);
    data.AddTextItem("<EM>code</EM>", 7, 0);
    data.AddCheckpoint("end", false, TRVTag());
  }

  /// The texts the page must show, in order.
  std::vector<std::string> ExpectedTexts() const {
    const std::string emoji = GetParam().unicode ? "\xF0\x9F\x98\x80" : "?";
    return {"Title \xC3\xA9",
            "text & <tags>",
            "bold",
            "link",
            "mono",
            "second line",
            "one",
            "one a",
            "two",
            "dot",
            "picture item",
            "image item",
            "after list " + emoji,
            "code"};
  }

  std::string Page() {
    TMemoryStream stream;
    int counter = 0;
    TColor fileColor = clNone;
    const PageKind& kind = GetParam();
    const bool ok = kind.css ? data.SaveHTMLToStreamCSS(stream, folder.Path(), "Every kind", "img", "", "",
                                                        "", kind.options, clWhite, fileColor, counter, 0, 0,
                                                        0, 0, nullptr, nullptr)
                             : data.SaveHTMLToStream(stream, folder.Path(), "Every kind", "img", kind.options,
                                                     clWhite, counter, 0, 0, 0, 0, nullptr, nullptr);
    EXPECT_TRUE(ok);
    return stream.DataString();
  }

  std::unique_ptr<TRVStyle> style;
  THookedData data;
  TCustomImageList images;
  TTempFolder folder;
};

size_t Count(const std::string& s, const std::string& what) {
  size_t n = 0;
  for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

/// The values of `attribute=` in the outline (up to a blank or the end of the tag).
std::vector<std::string> AttributeValues(const std::string& outline, const std::string& attribute) {
  std::vector<std::string> values;
  for (size_t p = outline.find(" " + attribute + "="); p != std::string::npos;
       p = outline.find(" " + attribute + "=", p + 1)) {
    const size_t start = p + attribute.size() + 2;
    const size_t end = outline.find_first_of(" >\n", start);
    values.push_back(outline.substr(start, end - start));
  }
  return values;
}

TEST_P(HTMLValidityTest, PageParsesIntoTheDocumentsTextAndStructure) {
  const bool bodyOnly = (GetParam().options & rvhoBodyOnly) != 0;
  const TParsedPage parsed = ParseHTML5(Page(), bodyOnly);
  ASSERT_TRUE(parsed.Ran) << parsed.Errors;
  EXPECT_EQ(parsed.Errors, "");
  const std::string& outline = parsed.Outline;

  size_t at = 0;
  for (const std::string& text : ExpectedTexts()) {
    const size_t found = outline.find(text, at);
    ASSERT_NE(found, std::string::npos) << "'" << text << "' missing after offset " << at << " in\n"
                                        << outline;
    at = found + text.size();
  }
  if (!bodyOnly) {
    EXPECT_NE(outline.find("'Every kind'"), std::string::npos);
  }
  EXPECT_EQ(Count(outline, "<ol"), 3u);  // two levels of list 0, the image counter list
  EXPECT_EQ(Count(outline, "<ul"), 2u);  // the bullet list, the picture list
  EXPECT_EQ(Count(outline, "<li"), 6u);
  EXPECT_NE(outline.find("<li value=2"), std::string::npos);
  EXPECT_EQ(Count(outline, "<hr"), 2u);
  EXPECT_EQ(Count(outline, "<input"), 1u);
  EXPECT_EQ(Count(outline, "<em>"), 1u);
  EXPECT_NE(outline.find("<a href=http://example.com/?a=1&b=2>"), std::string::npos);
  EXPECT_NE(outline.find("<a name=RVCheckpoint0>"), std::string::npos);
  EXPECT_NE(outline.find("<a name=RVCheckpoint1>"), std::string::npos);
  EXPECT_EQ(Count(outline, "<img"), 5u);  // three pictures, the bullet and the hotspot
}

TEST_P(HTMLValidityTest, EveryPictureReferredToExistsAndDecodes) {
  const TParsedPage parsed = ParseHTML5(Page(), (GetParam().options & rvhoBodyOnly) != 0);
  ASSERT_TRUE(parsed.Ran) << parsed.Errors;
  std::vector<std::string> referred = AttributeValues(parsed.Outline, "src");
  for (size_t url = parsed.Outline.find("url('"); url != std::string::npos;
       url = parsed.Outline.find("url('", url + 1))
    referred.push_back(parsed.Outline.substr(url + 5, parsed.Outline.find('\'', url + 5) - url - 5));
  // The CSS page shows list pictures as list-item images, the plain one not at all.
  EXPECT_EQ(referred.size(), GetParam().css ? 7u : 5u) << parsed.Outline;
  for (const std::string& name : referred) {
    TJPEGImage decoded;
    ASSERT_NO_THROW(decoded.LoadFromFile(folder.Path() + name)) << name;
    TBitmap pixels;
    pixels.Assign(&decoded);
    EXPECT_GT(pixels.Width(), 0) << name;
  }
  std::vector<std::string> files = folder.Files();
  std::sort(referred.begin(), referred.end());
  referred.erase(std::unique(referred.begin(), referred.end()), referred.end());
  EXPECT_EQ(files, referred);
}

TEST_P(HTMLValidityTest, MarkersAsTextParseToo) {
  TMemoryStream stream;
  int counter = 0;
  TColor fileColor = clNone;
  const TRVHTMLSaveOptions options = GetParam().options | rvhoMarkersAsText;
  if (GetParam().css)
    data.SaveHTMLToStreamCSS(stream, folder.Path(), "T", "img", "", "", "", options, clNone, fileColor,
                             counter, 0, 0, 0, 0, nullptr, nullptr);
  else
    data.SaveHTMLToStream(stream, folder.Path(), "T", "img", options, clNone, counter, 0, 0, 0, 0, nullptr,
                          nullptr);
  const TParsedPage parsed = ParseHTML5(stream.DataString(), (options & rvhoBodyOnly) != 0);
  ASSERT_TRUE(parsed.Ran) << parsed.Errors;
  EXPECT_EQ(parsed.Errors, "");
  EXPECT_EQ(Count(parsed.Outline, "<li"), 0u);
  EXPECT_NE(parsed.Outline.find("'1.'"), std::string::npos) << parsed.Outline;
}

const PageKind kPageKinds[] = {
    {"Plain8Bit", false, false, 0},
    {"PlainUnicode", false, true, 0},
    {"PlainBodyForTheConverter", false, false, 0x55},
    {"CSS8Bit", true, false, 0},
    {"CSSUnicode", true, true, rvhoNoImageBorders | rvhoImageSizes},
    {"CSSBodyOnly", true, true, rvhoBodyOnly},
};

INSTANTIATE_TEST_SUITE_P(Pages, HTMLValidityTest, ::testing::ValuesIn(kPageKinds),
                         [](const ::testing::TestParamInfo<PageKind>& info) { return info.param.name; });

TEST(HTMLValidityBackgroundTest, PageWithABackgroundPictureParses) {
  if (!HTML5LibAvailable()) GTEST_SKIP() << "python3-html5lib is not installed";
  auto style = MakeStyle();
  THookedData data;
  data.SetRVStyle(style.get());
  data.AddTextItem("x", 0, 0);
  TTempFolder folder;
  TRVBackground background(false);
  background.TakeBitmap(SolidBitmap(4, 4, clRed), rvpaDoNothing, nullptr);
  background.Style = bsStretched;
  for (bool css : {false, true}) {
    const std::string page = css ? CSSPage(data, 0, folder.Path(), nullptr, clWhite, &background)
                                 : PlainPage(data, 0, folder.Path(), nullptr, clWhite, &background);
    const TParsedPage parsed = ParseHTML5(page, false);
    ASSERT_TRUE(parsed.Ran) << parsed.Errors;
    EXPECT_EQ(parsed.Errors, "") << page;
  }
  EXPECT_EQ(folder.Files(), (std::vector<std::string>{"img1.jpg", "img2.jpg"}));
}

}  // namespace
