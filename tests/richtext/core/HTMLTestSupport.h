// Helpers of the HTML writer tests: a document whose writer hooks the tests can set, a
// style sheet with known styles, builders for pictures and image lists, a temporary image
// folder, and the HTML5 parser check run through Python's html5lib.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/GraphicsTestSupport.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/JPEGImage.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"

namespace htmltest {

/// A document whose writer hooks answer from the test's settings.
class THookedData : public TCustomRVData {
 public:
  std::string URLNeeded(int32_t id) override { return urls.count(id) ? urls[id] : std::string(); }
  std::string SaveHTMLExtra(TRVHTMLSaveArea Area, bool CSSVersion) override {
    extraAsked.push_back(static_cast<int>(Area) * 2 + (CSSVersion ? 1 : 0));
    return extras.count(Area) ? extras[Area] : std::string();
  }
  void HTMLSaveImage(TCustomRVData* RVData, int ItemNo, const std::string& Path, TColor BackgroundColor,
                     std::string& Location, bool& DoDefault) override {
    TCustomRVData::HTMLSaveImage(RVData, ItemNo, Path, BackgroundColor, Location, DoDefault);
    imageColors.push_back(BackgroundColor);
    if (saveImage) saveImage(ItemNo, Location, DoDefault);
  }
  std::string SaveComponentToFile(const std::string& Path, TPersistent* SaveMe,
                                  TRVSaveFormat SaveFormat) override {
    (void)Path, (void)SaveMe;
    return SaveFormat == rvsaveHTML ? controlHTML : std::string();
  }

  std::map<int32_t, std::string> urls;
  std::map<TRVHTMLSaveArea, std::string> extras;
  std::vector<int> extraAsked;
  std::vector<TColor> imageColors;
  std::function<void(int ItemNo, std::string& Location, bool& DoDefault)> saveImage;
  std::string controlHTML;
};

/// A bitmap of one colour.
inline std::unique_ptr<TBitmap> SolidBitmap(int width, int height, TColor color) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(width, height);
  if (width > 0 && height > 0) {
    bitmap->Canvas().Brush().SetColor(color);
    bitmap->Canvas().FillRect(Rect(0, 0, width, height));
  }
  return bitmap;
}

/// A JPEG picture made from a bitmap of one colour, with its bytes fixed.
inline std::unique_ptr<TJPEGImage> SolidJPEG(int width, int height, TColor color) {
  auto jpeg = std::make_unique<TJPEGImage>();
  auto bitmap = SolidBitmap(width, height, color);
  jpeg->Assign(bitmap.get());
  jpeg->Compress();
  return jpeg;
}

inline std::string JPEGBytes(TJPEGImage& jpeg) {
  TMemoryStream stream;
  jpeg.SaveToStream(stream);
  return stream.DataString();
}

using gfxtest::HalfTransparentIcon;

/// A folder for image files, removed with everything in it at the end.
class TTempFolder {
 public:
  TTempFolder() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/rvhtmlXXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = std::string(buffer.data()) + "/";
  }
  ~TTempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  /// The folder, ending in "/".
  const std::string& Path() const { return path_; }
  /// The names of the files in the folder, sorted.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  std::string path_;
};

/// A style sheet with the six default text styles plus:
///   6 Unicode text (Arial 10, like style 0), 7 HTML code, 8 Courier New 14 red on yellow,
///   9 subscript, 10 superscript, 11 bold (like style 0 otherwise);
/// paragraph styles 0 (left), 1 (centre), 2 right, 3 justify with a yellow background;
/// list styles 0 (decimal, then lower alpha), 1 (bullets), 2 (upper roman).
inline std::unique_ptr<TRVStyle> MakeStyle() {
  auto style = std::make_unique<TRVStyle>();
  TFontInfos& text = style->TextStyles();
  TFontInfo* unicode = text.AddStyle();
  unicode->Unicode = true;
  text.AddStyle()->Options = rvteoHTMLCode;
  TFontInfo* courier = text.AddStyle();
  courier->FontName = "Courier New";
  courier->Size = 14;
  courier->Color = clRed;
  courier->BackColor = clYellow;
  text.AddStyle()->VShift = -30;
  text.AddStyle()->VShift = 40;
  text.AddStyle()->Style = {fsBold};
  TParaInfos& para = style->ParaStyles();
  para.AddStyle()->Alignment = rvaRight;
  TParaInfo* justify = para.AddStyle();
  justify->Alignment = rvaJustify;
  justify->Background().Color = clYellow;
  TRVListInfos& lists = style->ListStyles();
  TRVListInfo* numbered = lists.AddStyle();
  TRVListLevel* l0 = numbered->Levels().AddLevel();
  l0->ListType = rvlstDecimal;
  l0->FormatString = "%0:s.";
  l0->LeftIndent = 24;
  l0->FirstIndent = -12;
  TRVListLevel* l1 = numbered->Levels().AddLevel();
  l1->ListType = rvlstLowerAlpha;
  l1->FormatString = "%1:s)";
  l1->LeftIndent = 48;
  l1->MarkerIndent = 24;
  TRVListInfo* bullets = lists.AddStyle();
  bullets->Levels().AddLevel()->ListType = rvlstBullet;
  TRVListInfo* roman = lists.AddStyle();
  roman->Levels().AddLevel()->ListType = rvlstUpperRoman;
  return style;
}

/// Appends a list marker of ListNo / Level in paragraph style ParaNo.
inline TRVMarkerItemInfo* AddMarker(TCustomRVData& data, int listNo, int level, int paraNo = 0) {
  auto marker = TRVMarkerItemInfo::CreateForList(&data, listNo, level, 1, false);
  marker->ParaNo = paraNo;
  TRVMarkerItemInfo* raw = marker.get();
  // Inserting (as the RVF reader does) puts the marker into the marker list and numbers it.
  int itemNo = data.GetItemCount();
  bool fullReformat = false;
  int newListNo = -1;
  data.InsertItemObject(itemNo, "", std::move(marker), fullReformat, newListNo);
  return raw;
}

/// Appends a text item that continues the line of the item before it.
inline void AddJoined(TCustomRVData& data, const std::string& text, int styleNo) {
  data.AddTextItem(text, styleNo, -1);
}

/// Appends a text item that starts a new line inside the paragraph.
inline void AddLineBreakText(TCustomRVData& data, const std::string& text, int styleNo) {
  auto item = RVCreateItemByStyleNo(styleNo, &data);
  item->ParaNo = data.GetItem(data.GetItemCount() - 1)->ParaNo;
  item->SetBR(true);
  const bool unicode = data.IsUnicodeStyle(styleNo);
  if (unicode) item->ItemOptions |= rvioTwoByteText;
  data.AddItem(unicode ? RVAnsiToUnicode(1252, text) : text, std::move(item));
}

inline void AddBreak(TCustomRVData& data, int width = 1, TColor color = clNone) {
  data.AddItem("", TRVBreakItemInfo::CreateEx(&data, static_cast<uint8_t>(width), 0, color));
}

/// Writes the plain page and answers it; `ok` receives the result.
inline std::string PlainPage(TCustomRVData& data, TRVHTMLSaveOptions options, const std::string& path,
                             bool* ok = nullptr, TColor color = clNone,
                             const TRVBackground* background = nullptr) {
  TMemoryStream stream;
  int counter = 0;
  const bool result = data.SaveHTMLToStream(stream, path, "Title", "img", options, color, counter, 1, 2, 3, 4,
                                            background, nullptr);
  if (ok) *ok = result;
  return stream.DataString();
}

/// Writes the CSS page and answers it; `ok` receives the result.
inline std::string CSSPage(TCustomRVData& data, TRVHTMLSaveOptions options, const std::string& path,
                           bool* ok = nullptr, TColor color = clNone,
                           const TRVBackground* background = nullptr, const std::string& externalCSS = "",
                           const std::string& cpPrefix = "") {
  TMemoryStream stream;
  int counter = 0;
  TColor fileColor = clNone;
  const bool result =
      data.SaveHTMLToStreamCSS(stream, path, "Title", "img", "", externalCSS, cpPrefix, options, color,
                               fileColor, counter, 1, 2, 3, 4, background, nullptr);
  if (ok) *ok = result;
  return stream.DataString();
}

/// Lines joined with CR LF, each line ended by one.
inline std::string Lines(std::initializer_list<std::string> lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

// ---------------------------------------------------------------------------------------
// HTML5 parsing through html5lib.

constexpr const char* kPython = "/usr/bin/python3";

inline bool HTML5LibAvailable() {
  static const bool available = [] {
    if (access(kPython, X_OK) != 0) return false;
    return std::system((std::string(kPython) + " -c 'import html5lib' >/dev/null 2>&1").c_str()) == 0;
  }();
  return available;
}

/// The result of parsing a page: the parse errors (one a line) and an outline of the tree:
/// one line per element ("<tag attr=value ...>" indented by depth) and per non-blank text
/// ("'text'").
struct TParsedPage {
  std::string Errors;
  std::string Outline;
  bool Ran = false;
};

/// Parses `html` (bytes of `encoding`) with html5lib. A whole page is a document, a body
/// part a fragment of BODY. The missing document type, which the page format does not
/// write, is the one error not reported.
inline TParsedPage ParseHTML5(const std::string& html, bool fragment,
                              const std::string& encoding = "windows-1252") {
  TParsedPage page;
  char name[] = "/tmp/rvhtml5XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) return page;
  close(fd);
  const std::string input = std::string(name);
  { std::ofstream(input, std::ios::binary) << html; }
  const std::string script = std::string(name) + ".py";
  {
    std::ofstream py(script);
    py << R"PY(import sys, html5lib
data = open(sys.argv[1], 'rb').read().decode(sys.argv[2])
p = html5lib.HTMLParser(tree=html5lib.getTreeBuilder('etree'), namespaceHTMLElements=False)
root = p.parseFragment(data, container='body') if sys.argv[3] == '1' else p.parse(data)
for pos, code, args in p.errors:
    if code != 'expected-doctype-but-got-start-tag':
        print('ERROR', pos, code, args)
def walk(e, depth):
    if isinstance(e.tag, str):
        attrs = ''.join(' %s=%s' % (k, v) for k, v in sorted(e.attrib.items()))
        print('  ' * depth + '<' + e.tag + attrs + '>')
    if e.text and e.text.strip():
        print('  ' * (depth + 1) + repr(e.text.strip()))
    for c in e:
        walk(c, depth + 1)
        if c.tail and c.tail.strip():
            print('  ' * (depth + 1) + repr(c.tail.strip()))
if sys.argv[3] == '1':
    if root.text and root.text.strip():
        print(repr(root.text.strip()))
    for c in root:
        walk(c, 0)
        if c.tail and c.tail.strip():
            print(repr(c.tail.strip()))
else:
    walk(root, 0)
)PY";
  }
  const std::string command = "PYTHONIOENCODING=utf-8 " + std::string(kPython) + " " + script + " " + input +
                              " " + encoding + " " + (fragment ? "1" : "0") + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe != nullptr) {
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    page.Ran = pclose(pipe) == 0;
    std::istringstream lines(out);
    std::string l;
    while (std::getline(lines, l)) (l.rfind("ERROR", 0) == 0 ? page.Errors : page.Outline) += l + "\n";
    if (!page.Ran) page.Errors += out;
  }
  std::remove(input.c_str());
  std::remove(script.c_str());
  return page;
}

}  // namespace htmltest
