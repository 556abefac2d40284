// What a browser shows of exported pages: the numbering and place of list markers, and text
// of a code page other than the page's, read back by headless Chromium. The pages load in one
// browser run; a screenshot shows where a marker stands against its text.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "ConsumerTestSupport.h"
#include "HTMLTestSupport.h"
#include "platform/core/CodePages.h"
#include "platform/graphics/Picture.h"

using namespace htmltest;
using namespace consumertest;

namespace {

// "Привет" in Windows-1251 and "café" in Windows-1252, as UTF-8 for the comparisons.
const std::string kRussian1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";
const std::string kRussianUTF8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
const std::string kCafe1252 = "caf\xE9";
const std::string kCafeUTF8 = "caf\xC3\xA9";

enum class TPageKind { Plain, CSS };

class HTMLInBrowserTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!HaveProgram(kChromium)) return;
    folder_ = new TTempFolder();
    const uint32_t savedACP = GetACP();
    SetACP(1252);
    WritePage("lists.html", ListsDocument(), TPageKind::CSS);
    for (TPageKind kind : {TPageKind::Plain, TPageKind::CSS}) {
      const std::string suffix = kind == TPageKind::CSS ? "-css.html" : "-plain.html";
      WritePage("russian-on-western" + suffix,
                *CodePageDocument(ANSI_CHARSET, kCafe1252, RUSSIAN_CHARSET, kRussian1251), kind);
      WritePage("western-on-russian" + suffix,
                *CodePageDocument(RUSSIAN_CHARSET, kRussian1251, ANSI_CHARSET, kCafe1252), kind);
      WritePage("western-on-unicode" + suffix,
                *CodePageDocument(-1, RVAnsiToUnicode(1251, kRussian1251), ANSI_CHARSET, kCafe1252), kind);
      WritePage("no-marker" + suffix, IndentedListDocument(false, true), kind);
    }
    SetACP(savedACP);
    for (const bool hanging : {false, true})
      WriteBytes(folder_->Path() + (hanging ? "hanging.html" : "indented.html"),
                 CSSPage(IndentedListDocument(hanging, false), 0, folder_->Path()));
  }

  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
    pages_.clear();
    shown_.clear();
  }

  /// What the browser shows of each page, loaded once per test program: per list item its
  /// list type, marker position and whether it has a picture; otherwise the page's text.
  static std::string Shown(const std::string& page) {
    if (shown_.empty()) {
      const std::vector<std::string> results = ProbePagesInChromium(folder_->Path(), pages_, R"JS(
        var items = Array.from(d.querySelectorAll('li')).map(function(li) {
          var s = w.getComputedStyle(li);
          return s.listStyleType + '/' + s.listStylePosition + '/' + (s.listStyleImage != 'none');
        });
        return items.length ? items.join(' ') : d.body.innerText.replace(/\s+/g, ' ').trim();
      )JS");
      for (size_t i = 0; i < pages_.size() && i < results.size(); ++i) shown_[pages_[i]] = results[i];
    }
    const auto it = shown_.find(page);
    return it == shown_.end() ? "(the browser showed nothing)" : it->second;
  }

  /// The rightmost column of black ink (the marker) and the leftmost of blue ink (the text)
  /// in a screenshot of an indented list page; -1 where there is none.
  static std::pair<int, int> IndentedListInks(const std::string& page) {
    std::pair<int, int> inks{-1, -1};
    if (!ScreenshotInChromium(folder_->Path(), page, 320, 80, "indented.png")) return inks;
    const std::string script =
        "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1]).convert('RGB')\n"
        "px = [(x, im.getpixel((x, y))) for y in range(im.size[1]) for x in range(im.size[0])]\n"
        "dark = [x for x, p in px if max(p) < 90]\n"
        "blue = [x for x, p in px if p[2] > 150 and p[0] < 100 and p[1] < 100]\n"
        "print(max(dark) if dark else -1, min(blue) if blue else -1)\n";
    WriteBytes(folder_->Path() + "inks.py", script);
    std::istringstream(
        RunCommand("/usr/bin/python3 " + folder_->Path() + "inks.py " + folder_->Path() + "indented.png")
            .Output) >>
        inks.first >> inks.second;
    return inks;
  }

  void SetUp() override {
    if (!HaveProgram(kChromium))
      GTEST_SKIP() << "headless Chromium is not installed (Debian package chromium)";
  }

  static void WritePage(const std::string& name, TCustomRVData& data, TPageKind kind) {
    const std::string page =
        kind == TPageKind::CSS ? CSSPage(data, 0, folder_->Path()) : PlainPage(data, 0, folder_->Path());
    WriteBytes(folder_->Path() + name, page);
    pages_.push_back(name);
  }

  /// Two numbered levels (outside markers), an upper-roman list whose markers stand inside,
  /// a bullet list and a list of picture markers.
  static TCustomRVData& ListsDocument() {
    static std::unique_ptr<TRVStyle> style;
    static std::unique_ptr<THookedData> data;
    style = MakeStyle();
    TRVListLevel* pictures = style->ListStyles().AddStyle()->Levels().AddLevel();
    pictures->ListType = rvlstPicture;
    auto dot = SolidBitmap(6, 6, clRed);
    pictures->Picture().SetGraphic(dot.get());
    data = std::make_unique<THookedData>();
    data->SetRVStyle(style.get());
    const struct {
      int list, level;
      const char* text;
    } items[] = {{0, 0, "first"}, {0, 1, "nested"}, {0, 0, "second"},
                 {2, 0, "roman"}, {1, 0, "bullet"}, {3, 0, "picture"}};
    for (const auto& item : items) {
      AddMarker(*data, item.list, item.level);
      AddJoined(*data, item.text, 0);
    }
    return *data;
  }

  /// A paragraph of text style 0 (of `pageCharset`, or Unicode when it is -1) holding
  /// `pageText`, and one of a style of `textCharset` holding the 8-bit `text`. Both texts go
  /// beyond ASCII, so no guess of the page's encoding reads both right.
  static std::unique_ptr<THookedData> CodePageDocument(int pageCharset, const std::string& pageText,
                                                       int textCharset, const std::string& text) {
    static std::vector<std::unique_ptr<TRVStyle>> styles;
    styles.push_back(std::make_unique<TRVStyle>());
    TRVStyle& style = *styles.back();
    TFontInfo& base = style.TextStyles()[0];
    base.Unicode = pageCharset < 0;
    base.Charset = static_cast<uint8_t>(pageCharset < 0 ? ANSI_CHARSET : pageCharset);
    style.TextStyles().AddStyle()->Charset = static_cast<uint8_t>(textCharset);
    const int other = style.TextStyles().Count() - 1;
    auto data = std::make_unique<THookedData>();
    data->SetRVStyle(&style);
    data->AddTextItem(pageText, 0, 0);
    data->AddTextItem(text, other, 0);
    return data;
  }

  /// One numbered item whose first line is indented left of the text (a negative first
  /// indent); the marker is black, the text blue. Options: a paragraph of its own hanging indent, no marker.
  static TCustomRVData& IndentedListDocument(bool hangingParagraph, bool noMarker) {
    static std::unique_ptr<TRVStyle> style;
    static std::unique_ptr<THookedData> data;
    style = std::make_unique<TRVStyle>();
    TFontInfo* blue = style->TextStyles().AddStyle();
    blue->Color = clBlue;
    blue->Size = 20;
    TRVListLevel* level = style->ListStyles().AddStyle()->Levels().AddLevel();
    level->ListType = rvlstDecimal;
    level->FormatString = "%0:s.";
    level->LeftIndent = 40;
    level->FirstIndent = -24;
    level->MarkerIndent = 0;
    if (noMarker) level->ListType = rvlstBullet, level->FormatString.clear();
    if (hangingParagraph) style->ParaStyles()[0].LeftIndent = 48, style->ParaStyles()[0].FirstIndent = -24;
    data = std::make_unique<THookedData>();
    data->SetRVStyle(style.get());
    AddMarker(*data, 0, 0);
    AddJoined(*data, "Wide", style->TextStyles().Count() - 1);
    return *data;
  }

  static TTempFolder* folder_;
  static std::vector<std::string> pages_;
  static std::map<std::string, std::string> shown_;
};

TTempFolder* HTMLInBrowserTest::folder_ = nullptr;
std::vector<std::string> HTMLInBrowserTest::pages_;
std::map<std::string, std::string> HTMLInBrowserTest::shown_;

TEST_F(HTMLInBrowserTest, ListsKeepTheirNumberingAndMarkerPlace) {
  EXPECT_EQ(Shown("lists.html"),
            "decimal/outside/false lower-alpha/outside/false decimal/outside/false upper-roman/inside/false "
            "disc/inside/false disc/inside/true");
}

TEST_F(HTMLInBrowserTest, MarkerOfANegativeFirstIndentStandsClearOfItsText) {
  if (!HavePillow()) GTEST_SKIP() << "Pillow is not installed (Debian package python3-pil)";
  for (const char* page : {"indented.html", "hanging.html"}) {
    SCOPED_TRACE(page);
    const auto [markerRight, textLeft] = IndentedListInks(page);
    ASSERT_GE(markerRight, 0) << "no marker in the screenshot";
    ASSERT_GE(textLeft, 0) << "no text in the screenshot";
    EXPECT_LT(markerRight + 2, textLeft)
        << "marker ink up to column " << markerRight << ", text from " << textLeft;
  }
}

TEST_F(HTMLInBrowserTest, LevelWithoutMarkerShowsNoneInBothPageKinds) {
  for (const char* page : {"no-marker-plain.html", "no-marker-css.html"})
    EXPECT_EQ(Shown(page).substr(0, 5), "none/") << page << ": " << Shown(page);
}

TEST_F(HTMLInBrowserTest, TextOfAnotherCodePageReadsRightInBothPageKinds) {
  for (const char* suffix : {"-plain.html", "-css.html"}) {
    SCOPED_TRACE(suffix);
    EXPECT_EQ(Shown(std::string("russian-on-western") + suffix), kCafeUTF8 + " " + kRussianUTF8);
    EXPECT_EQ(Shown(std::string("western-on-russian") + suffix), kRussianUTF8 + " " + kCafeUTF8);
    EXPECT_EQ(Shown(std::string("western-on-unicode") + suffix), kRussianUTF8 + " " + kCafeUTF8);
  }
}

}  // namespace
