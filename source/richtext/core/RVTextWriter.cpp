// The plain-text writer: the text of a document range as 8-bit text or as UTF-16, one
// CR LF before every item that starts a line. Text items give their characters, converted
// to the output's kind; non-text items give their own plain-text form (RVItemPlainText.cpp).

#include <algorithm>
#include <exception>
#include <limits>

#include "platform/core/Streams.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVUni.h"

namespace {

class TRVPlainTextWriter {
 public:
  TRVPlainTextWriter(TCustomRVData& data, TStream& stream, const std::string& path, int32_t lineWidth,
                     bool textOnly, bool unicode)
      : data_(data),
        stream_(stream),
        path_(path),
        lineWidth_(lineWidth),
        textOnly_(textOnly),
        unicode_(unicode) {}

  void WriteRange(bool selectionOnly) {
    int startNo = -1, endNo = -1, startOffs = 0, endOffs = 0;
    TCustomRVItemInfo* startPartial = nullptr;
    TCustomRVItemInfo* endPartial = nullptr;
    data_.GetSelectionBounds(selectionOnly, startNo, endNo, startOffs, endOffs, startPartial, endPartial);
    if (startNo < 0 || endNo < startNo) return;
    if (selectionOnly) WriteLeadingMarker(startNo, startOffs);
    if (startNo == endNo) {
      WriteItemPart(startNo, startOffs, endOffs);
      return;
    }
    WriteItemPart(startNo, startOffs, kPastEnd);
    for (int i = startNo + 1; i < endNo; ++i) {
      WriteLineBreakBefore(i);
      WriteItemPart(i, 0, kPastEnd);
    }
    WriteLineBreakBefore(endNo);
    WriteItemPart(endNo, 0, endOffs);
  }

 private:
  /// An end offset past every item's last character (and past a non-text item's 1).
  static constexpr int kPastEnd = std::numeric_limits<int>::max();

  /// A selection starting inside a list paragraph is given the paragraph's marker first,
  /// unless the range itself begins at that marker.
  void WriteLeadingMarker(int startNo, int startOffs) {
    const int lineStart = data_.GetLineStartItemNo(startNo);
    if (data_.GetItemStyleNo(lineStart) != rvsListMarker) return;
    if (lineStart == startNo && startOffs == 0) return;
    WriteNonTextItem(lineStart, true);
  }

  /// Characters [fromOffs, toOffs) of a text item (1-based offsets); for a non-text item,
  /// the item when the range covers it (fromOffs 0, toOffs at least 1).
  void WriteItemPart(int itemNo, int fromOffs, int toOffs) {
    const TCustomRVItemInfo* item = data_.GetItem(itemNo);
    if (!item->IsTextItem()) {
      if (fromOffs < toOffs && fromOffs <= 0) WriteNonTextItem(itemNo, false);
      return;
    }
    const int from = std::max(fromOffs, 1);
    if (toOffs <= from) return;
    const int64_t count = static_cast<int64_t>(toOffs) - from;
    WriteTextItemChars(itemNo,
                       RVCopyChars(data_.GetItemText(itemNo), from,
                                   static_cast<int>(std::min<int64_t>(count, kPastEnd)), item->ItemOptions));
  }

  void WriteTextItemChars(int itemNo, const std::string& chars) {
    if (chars.empty()) return;
    const TCustomRVItemInfo* item = data_.GetItem(itemNo);
    if (item->IsTwoByteText())
      Write(unicode_ ? chars : RVUnicodeToAnsi(data_.GetDefaultCodePage(), chars));
    else
      Write(unicode_ ? RVAnsiToUnicode(data_.GetStyleCodePage(item->StyleNo), chars) : chars);
  }

  /// The item's own plain text. With TextOnly only items that belong in text-only output
  /// give one, except the marker written before a selection (`leadingMarker`).
  void WriteNonTextItem(int itemNo, bool leadingMarker) {
    TCustomRVItemInfo* item = data_.GetItem(itemNo);
    if (textOnly_ && !leadingMarker && !item->QueryFeature(rvfqInTextOnlyOutput)) return;
    const bool givesUnicode = unicode_ && item->QueryFeature(rvfqUnicodePlainText);
    const std::string text =
        item->GetPlainText(lineWidth_, &data_, data_.GetItemText(itemNo), path_, textOnly_, givesUnicode);
    WriteEightBitOrConverted(text, givesUnicode);
  }

  void WriteLineBreakBefore(int itemNo) {
    if (data_.GetItemStartsLine(itemNo)) WriteEightBitOrConverted("\r\n", false);
  }

  /// Writes 8-bit `text` as it is, or turned into UTF-16 with the default code page when
  /// UTF-16 is asked and the text is not UTF-16 already.
  void WriteEightBitOrConverted(const std::string& text, bool isUnicode) {
    if (text.empty()) return;
    Write(unicode_ && !isUnicode ? RVAnsiToUnicode(data_.GetDefaultCodePage(), text) : text);
  }

  void Write(const std::string& bytes) {
    if (!bytes.empty()) stream_.WriteBuffer(bytes);
  }

  TCustomRVData& data_;
  TStream& stream_;
  const std::string& path_;
  const int32_t lineWidth_;
  const bool textOnly_;
  const bool unicode_;
};

}  // namespace

TCustomRVData& TRVTextExportSide::Document() {
  return static_cast<TCustomRVData&>(*this);
}

bool TRVTextExportSide::SaveTextRangeToStream(const std::string& Path, TStream& Stream, int32_t LineWidth,
                                              bool SelectionOnly, bool TextOnly, bool Unicode) {
  try {
    TRVPlainTextWriter(Document(), Stream, Path, LineWidth, TextOnly, Unicode).WriteRange(SelectionOnly);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}
