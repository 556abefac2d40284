// The RVF writer of TCustomRVData: the version record, the background record, the style
// blocks and the layout block, then the items of the document (or of its selection), runs
// of text items joined into text records, each non-text item writing its own record.
#include <algorithm>
#include <exception>
#include <string>

#include "platform/core/ComponentStreaming.h"
#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Graphic.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVBack.h"
#include "richtext/core/RVFMisc.h"
#include "richtext/core/RVStyle.h"

/// The state of one write (SaveRVFToStreamEx).
struct TRVFWriter {
  TRVFWriter(TCustomRVData& data, TStream& stream)
      : Data(data),
        Stream(stream),
        Style(data.GetRVStyle()),
        Options(data.GetRVFOptions()),
        TagsArePChars((data.GetOptions() & rvoTagsArePChars) != 0) {}

  int ReadType() const { return (Options & rvfoSaveBinary) ? rvfrtBinary : rvfrtText; }

  void WriteVersion();
  void WriteBackground(TColor color, TRVBackground* background);
  void WriteStyleBlock(int kind);
  void WriteLayout(const TRVLayoutInfo& layout);
  void WriteCheckpoint(const TRVCPInfo& checkpoint);
  void WriteItems(int startItemNo, int endItemNo, int startOffs, int endOffs);

  /// The part of text item itemNo inside the range.
  std::string RangeText(int itemNo, int startItemNo, int endItemNo, int startOffs, int endOffs) const;
  /// Whether text item j can join the text record that starts at text item first.
  bool JoinsRun(int first, int j) const;
  void WriteTextRun(int first, int last, bool continuesPara, int startItemNo, int endItemNo, int startOffs,
                    int endOffs);

  TCustomRVData& Data;
  TStream& Stream;
  TRVStyle* Style;
  const TRVFOptions Options;
  const bool TagsArePChars;
};

void TRVFWriter::WriteVersion() {
  RVFWriteLine(Stream,
               IntToStr(rvsVersionInfo) + " " + IntToStr(RVFVersionMajor) + " " + IntToStr(RVFVersionMinor));
}

void TRVFWriter::WriteBackground(TColor color, TRVBackground* background) {
  const int style = background != nullptr ? background->Style : bsNoBitmap;
  TGraphic* picture = background != nullptr ? background->GetBitmap() : nullptr;
  const std::string tail = IntToStr(style) + " " + IntToStr(color);
  if (picture == nullptr || picture->Empty() || style == bsNoBitmap) {
    RVFWriteLine(Stream, "-7 0 -1 0 0 0 " + tail);
    return;
  }
  RVFWriteLine(Stream, "-7 2 0 0 " + IntToStr(ReadType()) + " 0 " + tail);
  RVFWriteLine(Stream, picture->ClassName());
  if (ReadType() == rvfrtBinary)
    RVFSavePictureBinary(Stream, *picture);
  else
    RVFWriteLine(Stream, RVFSavePictureToHex(*picture));
}

void TRVFWriter::WriteStyleBlock(int kind) {
  TCollection& styles = kind == rvfkTextStyles   ? static_cast<TCollection&>(Style->TextStyles())
                        : kind == rvfkParaStyles ? static_cast<TCollection&>(Style->ParaStyles())
                                                 : static_cast<TCollection&>(Style->ListStyles());
  RVFWriteLine(Stream, "-9 2 0 0 " + IntToStr(ReadType()) + " 0 " + IntToStr(kind));
  RVFWriteLine(Stream, RVFMakeLineSafe(Style->Name(), false));
  TRVListInfos* lists = kind == rvfkListStyles ? &Style->ListStyles() : nullptr;
  TCustomRVData* data = &Data;
  if (lists != nullptr)
    lists->LinkToData(data, [data](int32_t tag) { return data->RVFImageListNeeded(tag); });
  try {
    if (ReadType() == rvfrtBinary) {
      RVFWriteBinaryBlock(Stream, [&styles](TStream& s) { WriteCollection(s, styles); });
    } else {
      TMemoryStream block;
      WriteCollection(block, styles);
      RVFWriteLine(Stream, RVFStreamToHex(block));
    }
  } catch (...) {
    if (lists != nullptr) lists->UnlinkData();
    throw;
  }
  if (lists != nullptr) lists->UnlinkData();
}

void TRVFWriter::WriteLayout(const TRVLayoutInfo& layout) {
  RVFWriteLine(Stream, "-9 2 0 0 " + IntToStr(ReadType()) + " 0 " + IntToStr(rvfkLayout));
  RVFWriteLine(Stream, "");
  if (ReadType() == rvfrtBinary) {
    RVFWriteBinaryBlock(Stream, [&layout](TStream& s) { layout.SaveToStream(s); });
  } else {
    TMemoryStream block;
    layout.SaveToStream(block);
    RVFWriteLine(Stream, RVFStreamToHex(block));
  }
}

void TRVFWriter::WriteCheckpoint(const TRVCPInfo& checkpoint) {
  RVFWriteLine(Stream, "-2 1 0 0 0 " + RVFTagToText(TagsArePChars, checkpoint.Tag) + " " +
                           (checkpoint.RaiseEvent ? "1" : "0"));
  RVFWriteLine(Stream, RVFMakeLineSafe(checkpoint.Name, false));
}

std::string TRVFWriter::RangeText(int itemNo, int startItemNo, int endItemNo, int startOffs,
                                  int endOffs) const {
  const std::string& text = Data.GetItemText(itemNo);
  const size_t charSize = Data.GetItem(itemNo)->IsTwoByteText() ? 2 : 1;
  size_t from = 0;
  size_t to = text.size();
  if (itemNo == startItemNo && startOffs > 1) from = std::min(text.size(), (startOffs - 1) * charSize);
  if (itemNo == endItemNo && endOffs >= 1) to = std::min(text.size(), (endOffs - 1) * charSize);
  if (to < from) to = from;
  return text.substr(from, to - from);
}

bool TRVFWriter::JoinsRun(int first, int j) const {
  const TCustomRVItemInfo* a = Data.GetItem(first);
  const TCustomRVItemInfo* b = Data.GetItem(j);
  return b->IsTextItem() && !b->GetSameAsPrev() && b->StyleNo == a->StyleNo && b->ParaNo == a->ParaNo &&
         (b->ItemOptions & 15) == (a->ItemOptions & 15) && RVAreTagsEqual(a->Tag, b->Tag, TagsArePChars) &&
         !b->Checkpoint;
}

void TRVFWriter::WriteTextRun(int first, int last, bool continuesPara, int startItemNo, int endItemNo,
                              int startOffs, int endOffs) {
  const TCustomRVItemInfo* item = Data.GetItem(first);
  const bool unicode = item->IsTwoByteText();
  const bool useNames = (Options & rvfoUseStyleNames) != 0;
  std::string header = RVFTextStyleReference(Style, useNames, item->StyleNo);
  header += ' ';
  header += IntToStr(last - first + 1);
  header += ' ';
  header += RVFItemParaReference(item->ParaNo, &Data, continuesPara);
  header += ' ';
  header += IntToStr(item->ItemOptions & 15);
  header += " 0 ";
  header += RVFTagToText(TagsArePChars, item->Tag);
  RVFWriteLine(Stream, header);
  for (int i = first; i <= last; ++i)
    RVFWriteText(Stream, RVFMakeLineSafe(RangeText(i, startItemNo, endItemNo, startOffs, endOffs), unicode),
                 unicode);
}

void TRVFWriter::WriteItems(int startItemNo, int endItemNo, int startOffs, int endOffs) {
  int i = startItemNo;
  while (i <= endItemNo) {
    TCustomRVItemInfo* item = Data.GetItem(i);
    // The first item comes whole only when the range starts at its beginning.
    const bool whole = i != startItemNo || startOffs <= Data.GetItemStartOffset(i);
    if (!item->IsTextItem()) {
      const bool included = (i != startItemNo || startOffs < 1) && (i != endItemNo || endOffs >= 1);
      if (included) {
        if (item->Checkpoint) WriteCheckpoint(*item->Checkpoint);
        const int32_t paraNo = i != startItemNo && item->GetSameAsPrev() ? -1 : item->ParaNo;
        item->SaveRVF(Stream, &Data, i, paraNo, Data.GetItemText(i), nullptr, false);
      }
      ++i;
      continue;
    }
    if (whole && item->Checkpoint) WriteCheckpoint(*item->Checkpoint);
    // The range's first item always names its paragraph, so that it can be read alone.
    const bool continuesPara = i != startItemNo && item->GetSameAsPrev();
    int last = i;
    if (!continuesPara)
      while (last + 1 <= endItemNo && JoinsRun(i, last + 1)) ++last;
    WriteTextRun(i, last, continuesPara, startItemNo, endItemNo, startOffs, endOffs);
    i = last + 1;
  }
}

// ---------------------------------------------------------------------------------------
// TCustomRVData entry points

bool TCustomRVData::SaveRVFToStream(TStream& Stream, bool SelectionOnly, TColor Color,
                                    TRVBackground* Background, TRVLayoutInfo* Layout) {
  return SaveRVFToStreamEx(Stream, SelectionOnly ? rvfss_Selection : rvfss_Full, Color, Background, Layout);
}

bool TCustomRVData::SaveRVFToStreamEx(TStream& Stream, TRVFSaveScope Scope, TColor Color,
                                      TRVBackground* Background, TRVLayoutInfo* Layout) {
  if (GetItemCount() == 0) return true;
  try {
    TRVFWriter writer(*this, Stream);
    const bool isRoot = GetRootData() == this;
    writer.WriteVersion();
    if (Scope != rvfss_Selection && (writer.Options & rvfoSaveBack))
      writer.WriteBackground(Color, Background);
    if (isRoot && writer.Style != nullptr) {
      if (writer.Options & rvfoSaveTextStyles) writer.WriteStyleBlock(rvfkTextStyles);
      if (writer.Options & rvfoSaveParaStyles) {
        writer.WriteStyleBlock(rvfkParaStyles);
        writer.WriteStyleBlock(rvfkListStyles);
      }
    }
    if (Scope != rvfss_Selection && (writer.Options & rvfoSaveLayout) && isRoot && Layout != nullptr)
      writer.WriteLayout(*Layout);
    if (Scope == rvfss_Selection) {
      if (TCustomRVData* sub = GetFocusedSubData())
        return sub->SaveRVFToStreamEx(Stream, rvfss_Selection, clNone, nullptr, nullptr);
    }

    int startItemNo = -1, endItemNo = -1, startOffs = -1, endOffs = -1;
    TCustomRVItemInfo* startPartial = nullptr;
    TCustomRVItemInfo* endPartial = nullptr;
    GetSelectionBounds(Scope == rvfss_Selection, startItemNo, endItemNo, startOffs, endOffs, startPartial,
                       endPartial);
    if (startItemNo < 0 || endItemNo < startItemNo || endItemNo >= GetItemCount()) return true;
    writer.WriteItems(startItemNo, endItemNo, startOffs, endOffs);

    // A checkpoint waiting for the next item goes with a range that reaches the end.
    const int lastItemNo = GetItemCount() - 1;
    if (PendingCheckpoint && endItemNo == lastItemNo && endOffs >= GetItemEndOffset(lastItemNo))
      writer.WriteCheckpoint(*PendingCheckpoint);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TCustomRVData::WriteRVFToComponentStream(TStream& Stream) {
  const TRVFOptions saved = GetRVFOptions();
  SetRVFOptions(saved & ~rvfoSaveBack);
  try {
    RVFWriteBinaryBlock(Stream, [this](TStream& s) {
      if (!SaveRVFToStreamEx(s, rvfss_Full, clNone, nullptr, nullptr)) throw EWriteError("Cannot write RVF");
    });
  } catch (...) {
    SetRVFOptions(saved);
    throw;
  }
  SetRVFOptions(saved);
}
