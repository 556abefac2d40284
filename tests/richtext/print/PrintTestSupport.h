// Helpers of the printing tests: a hidden viewer holding a document built by the test, a
// private folder for output files, and poppler's tools (pdftoppm, pdftotext), which render
// and read the PDF files the program writes.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsTestSupport.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/PngFile.h"
#include "richtext/core/RVListInfo.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/ViewerTestSupport.h"

namespace printtest {

using gfxtest::RunCommand;

/// True when poppler's pdftoppm and pdftotext can be run.
inline bool HavePoppler() {
  static const bool have =
      RunCommand("pdftoppm -v 2>&1").has_value() && RunCommand("pdftotext -v 2>&1").has_value();
  return have;
}

struct TWord {  // a word pdftotext found, in device pixels of the printer
  std::string Text;
  double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

/// The words of every page (index 0 is page 1) of a PDF printed at Resolution dots per inch.
inline std::vector<std::vector<TWord>> ReadWords(const std::string& pdf, int32_t Resolution) {
  static const std::regex word(
      R"re(<word xMin="([-.\d]+)" yMin="([-.\d]+)" xMax="([-.\d]+)" yMax="([-.\d]+)">(.*)</word>)re");
  std::vector<std::vector<TWord>> pages;
  const auto html = RunCommand("pdftotext -bbox '" + pdf + "' - 2>/dev/null");
  if (!html) return pages;
  std::istringstream lines(*html);
  const double scale = Resolution / 72.0;
  std::smatch m;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("<page ") != std::string::npos) pages.emplace_back();
    if (!pages.empty() && std::regex_search(line, m, word))
      pages.back().push_back(TWord{m[5].str(), std::stod(m[1]) * scale, std::stod(m[2]) * scale,
                                   std::stod(m[3]) * scale, std::stod(m[4]) * scale});
  }
  return pages;
}

/// A folder of its own under the temporary folder, removed with everything in it.
class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zuk-print-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TTempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

/// A solid bitmap of one colour.
inline std::unique_ptr<TBitmap> SolidBitmap(int32_t width, int32_t height, TColor color) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(width, height);
  bitmap->Canvas().Brush().SetColor(color);
  bitmap->Canvas().FillRect(Rect(0, 0, width, height));
  return bitmap;
}

/// A bitmap whose rows change colour every `band` rows: red, green, blue, red, ...
inline std::unique_ptr<TBitmap> BandedBitmap(int32_t width, int32_t height, int32_t band) {
  auto bitmap = SolidBitmap(width, height, clRed);
  const TColor colors[] = {clRed, clLime, clBlue};
  for (int32_t top = 0, i = 0; top < height; top += band, ++i) {
    bitmap->Canvas().Brush().SetColor(colors[i % 3]);
    bitmap->Canvas().FillRect(Rect(0, top, width, std::min(height, top + band)));
  }
  return bitmap;
}

/// A hidden viewer with its own style sheet and image list, and helpers that append items.
class TPrintDocument {
 public:
  TPrintDocument() {
    viewertest::App();
    viewer.SetStyle(&style);
    images.SetSize(16, 16);
    auto green = SolidBitmap(16, 16, clLime);
    images.Add(green.get(), nullptr);
    auto navy = SolidBitmap(16, 16, clNavy);
    images.Add(navy.get(), nullptr);
  }

  TCustomRVData& Data() { return viewer.RVData(); }
  /// A paragraph of 8-bit text in text style StyleNo and paragraph style ParaNo.
  void Text(const std::string& text, int styleNo = 0, int paraNo = 0) {
    Data().AddTextItem(text, styleNo, paraNo);
  }
  /// A list paragraph: marker of list ListNo, then the text joined to it.
  void ListItem(const std::string& text, int listNo) {
    auto marker = TRVMarkerItemInfo::CreateForList(&Data(), listNo, 0, 1, false);
    marker->ParaNo = 0;
    int itemNo = Data().GetItemCount();
    bool fullReformat = false;
    int newListNo = -1;
    Data().InsertItemObject(itemNo, "", std::move(marker), fullReformat, newListNo);
    Data().AddTextItem(text, 0, -1);
  }
  /// A picture in a paragraph of its own; answers the item.
  TRVGraphicItemInfo* Picture(std::unique_ptr<TGraphic> graphic, int32_t minHeightOnPage = 0) {
    Data().AddPictureItem("", std::move(graphic), 0, 0, TRVTag());
    auto* item = static_cast<TRVGraphicItemInfo*>(Data().GetItem(Data().GetItemCount() - 1));
    item->MinHeightOnPage = minHeightOnPage;
    return item;
  }
  void Item(std::unique_ptr<TCustomRVItemInfo> item, int paraNo = 0) {
    item->ParaNo = paraNo;
    Data().AddItem("", std::move(item));
  }

  TRVStyle style;
  TCustomImageList images;
  TRVViewer viewer;
};

}  // namespace printtest
