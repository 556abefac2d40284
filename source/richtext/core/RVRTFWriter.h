// The RTF writer of a document: the text escaping and picture helpers every RTF-writing
// item shares, and TRVRTFWriter, which the document's RTF side (RVRTFExport.h) runs for one document
// (the main one at level 0, a table cell's above it). Items write themselves through
// TCustomRVItemInfo::SaveRTF (RVItemRTF.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Colors.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVUni.h"

class TFont;
class TGraphic;
class TParaInfo;
class TFontInfo;
class TRVMarkerItemInfo;
class TRVStyle;
class TStream;

/// Text for RTF: unless IsRTFCode, "\", "{" and "}" get a backslash; then every byte below
/// 32 or above 127 becomes "\'hh". In a double-byte CodePage the byte after a lead byte is
/// never escaped with a backslash: "\", "{" and "}" there become "\'hh" too.
std::string RVMakeRTFStr(std::string_view Text, bool IsRTFCode, TRVCodePage CodePage = 0);
/// A style or font name: "\", "{" and "}" become "_", then hex escaping as above.
std::string RVMakeRTFName(std::string_view Name);
/// A bookmark name: every byte that is not an ASCII letter or digit becomes "_".
std::string RVMakeRTFBookmarkName(std::string_view Name);
/// Writes UTF-16 text (bytes, two per unit): units 1..127 as text, others as "\uN " with
/// the signed value; with Duplicate each "\u" is followed by the unit in CodePage.
void RVWriteUnicodeRTF(TStream& Stream, std::string_view Text, TRVCodePage CodePage, bool IsRTFCode,
                       bool Duplicate);
/// Writes Graphic as a "{\pict ...}" group, scaled to Width x Height when they are above 0.
/// Nothing for a null or empty graphic.
void RVWriteRTFPicture(TStream& Stream, TGraphic* Graphic, int32_t Width, TRVRTFOptions Options,
                       int32_t Height);
/// Writes the pixels of Graphic as a "{\pict ...}" group the way graphics of no known format
/// are written: a DIB with rvrtfSaveBitmapDefault, else a Windows metafile drawing them.
void RVWriteRTFDrawnPicture(TStream& Stream, TGraphic& Graphic, TRVRTFOptions Options);
/// The character properties of a list level's font: its font-table entry, style, size,
/// language (against DefCharset, text style 0's) and colour.
void RVWriteRTFFontProps(TStream& Stream, const TFont& Font, const TRVRTFFontTable& FontTable,
                         const TRVColorList& ColorList, uint8_t DefCharset);
/// The table marks of a paragraph at nesting Level: "" at 0, "\intbl\itap1" at 1, "\itapN"
/// deeper.
std::string RVRTFTableMarks(int Level);
/// Reseeds the generator of list ids (tests use it for repeatable output).
void RVSeedRTFListIds(uint32_t Seed);

/// Writes one document; the shared tables belong to the top-level call.
class TRVRTFWriter {
 public:
  struct TTables {
    TRVColorList& ColorList;
    TRVIntegerList& StyleToFont;
    TRVIntegerList& ListOverrideCounts;
    TRVIntegerList& ListOverrideOffsets;
    TRVRTFFontTable& FontTable;
  };

  TRVRTFWriter(TCustomRVData& Data, TRVStyle& Style, TStream& Stream, int Level, const TTables& Tables,
               double tpp);

  /// The header and the tables (Level 0 only).
  void WriteHeader();
  /// The items StartItemNo..EndItemNo with the offsets of the selection bounds.
  void WriteItems(bool SelectionOnly, int StartItemNo, int EndItemNo, int StartOffs, int EndOffs);
  /// The closing brace (Level 0 only).
  void WriteTail();

  /// Builds the font table and StyleToFont from the style sheet.
  static void BuildFontTable(TRVStyle& Style, TRVRTFFontTable& FontTable, TRVIntegerList& StyleToFont);

 private:
  void write(std::string_view s);
  void line(std::string_view s);
  int32_t twips(int32_t pixels) const;
  int colorIndex(TColor color) const;

  void emitFontTable();
  void emitColorTable();
  void emitStyleSheet();
  void emitListTable();
  void emitListOverrideTable();
  void emitParaProps(int ParaNo, const TRVMarkerItemInfo* marker, bool inStyleSheet);
  void emitBorder(const TParaInfo& para);
  void emitCharProps(int StyleNo);
  void emitExtra(TRVRTFSaveArea Area, TObject* Obj, int Index, bool InStyleSheet);
  void emitBookmark(const TRVCPInfo& cp);
  void emitParagraphStart(int ItemNo, bool& firstPara, bool& prevParaHadMarker);
  void emitText(int ItemNo, const std::string& text);
  TRVMarkerItemInfo* levelMarker(int ItemNo) const;

  TCustomRVData& data_;
  TRVStyle& style_;
  TStream& stream_;
  int level_;
  TTables tables_;
  double tpp_;
  TRVRTFOptions options_;
  int checkpointCounter_ = 0;
  std::vector<int32_t> listIds_;  // the \listid of each list style
};
