// The RTF of the items: the base writes nothing; lines, pictures, image-list images,
// controls and list markers write their own groups through the helpers of RVRTFWriter.h.
#include <algorithm>

#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Picture.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVFMisc.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVRTFWriter.h"
#include "richtext/core/RVStyle.h"

namespace {

/// Writes image Index of ImageList as a drawn picture; nothing for a missing list or image.
void writeImageListImage(TStream& stream, TCustomImageList* imageList, int index, TRVRTFOptions options) {
  if (imageList == nullptr || index < 0 || index >= imageList->Count()) return;
  TBitmap bitmap;
  if (!imageList->GetBitmap(index, &bitmap)) return;
  RVWriteRTFDrawnPicture(stream, bitmap, options);
}

}  // namespace

void TCustomRVItemInfo::SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                                double tpp, int Level, TRVColorList& ColorList, TRVIntegerList& StyleToFont,
                                TRVIntegerList& ListOverrideCounts, TRVIntegerList& ListOverrideOffsets,
                                TRVRTFFontTable& FontTable) {
  (void)Stream, (void)RVData, (void)ItemNo, (void)Text, (void)tpp, (void)Level, (void)ColorList;
  (void)StyleToFont, (void)ListOverrideCounts, (void)ListOverrideOffsets, (void)FontTable;
}

void TCustomRVItemInfo::FillRTFTables(TRVColorList& ColorList, TRVIntegerList& ListOverrideCounts,
                                      TCustomRVData* RVData) {
  (void)ColorList, (void)ListOverrideCounts, (void)RVData;
}

// ---- horizontal line ----------------------------------------------------------------------

void TRVBreakItemInfo::SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                               double tpp, int Level, TRVColorList& ColorList, TRVIntegerList& StyleToFont,
                               TRVIntegerList& ListOverrideCounts, TRVIntegerList& ListOverrideOffsets,
                               TRVRTFFontTable& FontTable) {
  (void)RVData, (void)ItemNo, (void)Text, (void)StyleToFont, (void)ListOverrideCounts;
  (void)ListOverrideOffsets, (void)FontTable;
  const std::string marks = RVRTFTableMarks(Level);
  const int colorIndex = Color == clNone ? 0 : std::max(ColorList.IndexOf(static_cast<int32_t>(Color)), 0);
  RVFWriteString(Stream, "\\pard" + marks + "\\plain\\fs6\\brdrb\\brdrs\\brdrw" +
                             std::to_string(Round(LineWidth * tpp)) + "\\brdrcf" +
                             std::to_string(colorIndex) + "\\par\\pard" + marks);
}

void TRVBreakItemInfo::FillRTFTables(TRVColorList& ColorList, TRVIntegerList& ListOverrideCounts,
                                     TCustomRVData* RVData) {
  (void)ListOverrideCounts, (void)RVData;
  ColorList.AddColorIfAbsent(Color);
}

// ---- pictures, image-list images, controls ------------------------------------------------

void TRVGraphicItemInfo::SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                                 double tpp, int Level, TRVColorList& ColorList, TRVIntegerList& StyleToFont,
                                 TRVIntegerList& ListOverrideCounts, TRVIntegerList& ListOverrideOffsets,
                                 TRVRTFFontTable& FontTable) {
  (void)ItemNo, (void)Text, (void)tpp, (void)Level, (void)ColorList, (void)StyleToFont;
  (void)ListOverrideCounts, (void)ListOverrideOffsets, (void)FontTable;
  RVWriteRTFPicture(Stream, Image.get(), ImageWidth, RVData->GetRTFOptions(), ImageHeight);
}

void TRVBulletItemInfo::SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                                double tpp, int Level, TRVColorList& ColorList, TRVIntegerList& StyleToFont,
                                TRVIntegerList& ListOverrideCounts, TRVIntegerList& ListOverrideOffsets,
                                TRVRTFFontTable& FontTable) {
  (void)ItemNo, (void)Text, (void)tpp, (void)Level, (void)ColorList, (void)StyleToFont;
  (void)ListOverrideCounts, (void)ListOverrideOffsets, (void)FontTable;
  writeImageListImage(Stream, ImageList, ImageIndex, RVData->GetRTFOptions());
}

void TRVControlItemInfo::SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                                 double tpp, int Level, TRVColorList& ColorList, TRVIntegerList& StyleToFont,
                                 TRVIntegerList& ListOverrideCounts, TRVIntegerList& ListOverrideOffsets,
                                 TRVRTFFontTable& FontTable) {
  (void)ItemNo, (void)Text, (void)tpp, (void)Level, (void)ColorList, (void)StyleToFont;
  (void)ListOverrideCounts, (void)ListOverrideOffsets, (void)FontTable;
  RVFWriteString(Stream, RVData->SaveComponentToFile("", Control.get(), rvsaveRTF));
}

// ---- list markers ---------------------------------------------------------------------------

namespace {
/// A marker that restarts a counter shown as text needs a list override of its own.
bool restartsTextCounter(const TRVMarkerItemInfo& marker, const TRVListLevel* level) {
  return marker.Reset && level != nullptr && level->HasTextNumbering();
}
}  // namespace

void TRVMarkerItemInfo::SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                                double tpp, int Level, TRVColorList& ColorList, TRVIntegerList& StyleToFont,
                                TRVIntegerList& ListOverrideCounts, TRVIntegerList& ListOverrideOffsets,
                                TRVRTFFontTable& FontTable) {
  (void)ItemNo, (void)Text, (void)tpp, (void)Level, (void)StyleToFont, (void)ListOverrideCounts;
  TRVStyle* style = RVData->GetRVStyle();
  TRVListLevel* level = GetLevelInfo(style);
  if (level == nullptr) return;
  const TRVRTFOptions options = RVData->GetRTFOptions();
  switch (level->ListType) {
    case rvlstPicture:
      if (level->HasPicture()) RVWriteRTFPicture(Stream, level->Picture().Graphic(), 0, options, 0);
      return;
    case rvlstImageList:
      writeImageListImage(Stream, level->ImageList, level->ImageIndex, options);
      return;
    case rvlstImageListCounter:
      writeImageListImage(Stream, level->ImageList, level->ImageIndex + Counter - 1, options);
      return;
    default:
      break;
  }
  RVFWriteString(Stream, "{\\listtext\\pard\\plain");
  RVWriteRTFFontProps(Stream, level->Font(), FontTable, ColorList, style->TextStyles()[0].Charset);
  RVFWriteString(Stream, " ");
  if (level->ListType == rvlstUnicodeBullet)
    RVWriteUnicodeRTF(Stream, RVWideStringToBytes(level->FormatStringW), style->DefCodePage, false,
                      (options & rvrtfDuplicateUnicode) != 0);
  else
    RVFWriteString(Stream,
                   RVMakeRTFStr(level->ListType == rvlstBullet && DisplayString.empty() ? level->FormatString
                                                                                        : DisplayString,
                                false));
  RVFWriteString(Stream, "\\tab}");
  if (ListNo >= ListOverrideOffsets.Count()) return;
  if (restartsTextCounter(*this, level))
    ListOverrideOffsets.SetValue(ListNo, ListOverrideOffsets[ListNo] + 1);
  // One-level lists are written with one level, others with nine.
  const int levelCount = style->ListStyles()[ListNo].Levels().Count();
  const int ilvl = std::min(RVMarkerGetEffectiveLevel(style, ListNo, this->Level), levelCount == 1 ? 0 : 8);
  RVFWriteString(Stream,
                 "\\ls" + std::to_string(ListOverrideOffsets[ListNo]) + "\\ilvl" + std::to_string(ilvl));
}

void TRVMarkerItemInfo::FillRTFTables(TRVColorList& ColorList, TRVIntegerList& ListOverrideCounts,
                                      TCustomRVData* RVData) {
  (void)ColorList;
  if (ListNo < 0 || ListNo >= ListOverrideCounts.Count()) return;
  if (restartsTextCounter(*this, GetLevelInfo(RVData->GetRVStyle())))
    ListOverrideCounts.SetValue(ListNo, ListOverrideCounts[ListNo] + 1);
}
