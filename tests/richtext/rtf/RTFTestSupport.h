// Helpers of the RTF import tests: a document with a style sheet and a hyperlink hook, the
// reader options run over a string, and a one-line outline of a document's items that tests
// compare; a small PNG picture.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/core/CodePages.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/rtf/RVRTFProps.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"

namespace rtfimport {

/// A document with its own style sheet; a hyperlink read from RTF keeps its target as the
/// item's text tag, and a hyperlink written answers the URL of its jump number.
class TDoc : public TCustomRVData {
 public:
  TDoc() {
    RVRegisterTableItemClass();
    SetRVStyle(&Style);
    SetOptions(GetOptions() | rvoTagsArePChars);
    Style.DefCodePage = 1252;
    // One text style (Arial 10) and one paragraph style: what a test reads adds to these.
    Style.TextStyles().Clear();
    Style.TextStyles().AddStyle();
    Style.ParaStyles().Clear();
    Style.ParaStyles().AddStyle();
  }
  ~TDoc() override { Clear(); }
  void ReadHyperlink(const std::string& Target, const std::string& Extras, std::string& Text, TRVTag& Tag,
                     TRVItemStyleNo& StyleNo, int Kind) override {
    (void)Extras, (void)Text, (void)StyleNo, (void)Kind;
    Tag.Text = Target;
  }
  std::string URLNeeded(int32_t id) override { return urls.count(id) ? urls[id] : std::string(); }

  /// Runs the reader options over the RTF at the end of the document.
  TRVRTFError Read(const std::string& rtf, TRVRTFReaderProperties& props) {
    TMemoryStream s(rtf);
    int index = GetItemCount();
    return props.ReadFromStream(s, this, index);
  }
  TRVRTFError Read(const std::string& rtf) { return Read(rtf, Props); }
  /// The document as RTF.
  std::string Write() {
    TMemoryStream s;
    EXPECT_TRUE(SaveRTFToStream(s, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr, nullptr, 0));
    return s.DataString();
  }

  TRVStyle Style;
  TRVRTFReaderProperties Props;
  std::map<int32_t, std::string> urls;
};

/// UTF-8 of UTF-16 text (the outline shows text as UTF-8).
inline std::string Utf8(const std::u16string& w) {
  return WideToMultiByte(CP_UTF8, 0, w);
}

/// The hex digits of a PNG of a 3 x 2 white bitmap with a green pixel at (1, 1).
inline const std::string kGreenDotPngHex =
    "89504e470d0a1a0a0000000d49484452000000030000000208020000001216f14d0000000f4944415478da63f80f030c600c2201"
    "a96a0ff1b679ceb20000000049454e44ae426082";

/// Tables whose text a cell merge or a row end takes over.
inline const char* const kTableTextRTF[] = {
    "{\\rtf1 \\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\cellx3000\\intbl A\\cell B\\cell C\\cell\\row}",
    "{\\rtf1 \\trowd\\clvmgf\\cellx1000\\cellx2000\\intbl A\\cell B\\cell\\row"
    "\\trowd\\clvmrg\\cellx1000\\cellx2000\\intbl C\\cell D\\cell\\row}",
    "{\\rtf1 \\trowd\\cellx1000\\cellx2000\\intbl A\\cell B\\cell C\\row\\pard After\\par}",
    "{\\rtf1 \\trowd\\cellx1000\\cellx2000\\intbl A\\cell B\\cell C\\par\\row\\pard After\\par}",
};

/// One line per item, separated by " | ": how it starts ("P" paragraph, "L" line, "" continues),
/// then what it is: text as "sStyle/pPara:text", a marker as "M<list>.<level>", a picture
/// as "G<width>x<height>", a table as "T[row;row]" with its cells' outlines.
inline std::string Outline(TCustomRVData& data) {
  std::string out;
  for (int i = 0; i < data.GetItemCount(); ++i) {
    TCustomRVItemInfo* item = data.GetItem(i);
    std::string line = item->GetSameAsPrev() ? "" : item->GetBR() ? "L" : "P";
    if (item->StyleNo >= 0) {
      line += "s" + std::to_string(item->StyleNo) + "/p" + std::to_string(item->ParaNo) + ":" +
              Utf8(data.GetItemTextW(i));
      if (item->Tag.Text) line += "<" + *item->Tag.Text + ">";
    } else if (auto* marker = dynamic_cast<TRVMarkerItemInfo*>(item)) {
      line += "M" + std::to_string(marker->ListNo) + "." + std::to_string(marker->Level);
    } else if (auto* pic = dynamic_cast<TRVGraphicItemInfo*>(item)) {
      line += "G" + std::to_string(pic->GetImageWidth(nullptr)) + "x" +
              std::to_string(pic->GetImageHeight(nullptr));
      if (item->Tag.Text) line += "<" + *item->Tag.Text + ">";
    } else if (auto* table = dynamic_cast<TRVTableItemInfo*>(item)) {
      line += "T[";
      for (int r = 0; r < table->Rows().Count(); ++r) {
        if (r > 0) line += ";";
        for (int c = 0; c < table->Rows().GetColCount(); ++c) {
          TRVTableCellData* cell = table->GetCell(r, c);
          if (c > 0) line += ",";
          if (cell == nullptr) {
            line += "-";
            continue;
          }
          if (cell->RowSpan > 1 || cell->ColSpan > 1)
            line += "(" + std::to_string(cell->RowSpan) + "x" + std::to_string(cell->ColSpan) + ")";
          std::string text;
          for (int k = 0; k < cell->GetItemCount(); ++k)
            if (cell->GetItem(k)->StyleNo >= 0) text += Utf8(cell->GetItemTextW(k));
          line += text;
        }
      }
      line += "]";
    } else {
      line += "#" + std::to_string(item->StyleNo);
    }
    out += (out.empty() ? "" : " | ") + line;
  }
  return out;
}

}  // namespace rtfimport
