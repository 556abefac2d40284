// TRVRTFReaderProperties: the options of RTF import, and the builder that turns the events of
// an RTF reader into document items: text with text and paragraph styles chosen or added as
// the options say, pictures, hyperlinks, page breaks, list markers and tables.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "richtext/core/RVItem.h"
#include "richtext/core/RVRTFImport.h"
#include "richtext/rtf/RVRTF.h"

class TCustomRVData;
class TParaInfo;
class TRVBorder;
class TRVListLevel;
class TRVStyle;
class TRVTableItemInfo;

enum TRVReaderUnicode : uint8_t { rvruMixed, rvruNoUnicode, rvruOnlyUnicode };
enum TRVReaderStyleMode : uint8_t { rvrsUseSpecified, rvrsUseClosest, rvrsAddIfNeeded };
enum TRVRTFHighlight : uint8_t { rtfhlIgnore, rtfhlFixedColors, rtfhlColorTable };

/// May exclude a style from the closest-style search (IsText: a text style, else a
/// paragraph style).
using TRVStyleFilterEvent = std::function<void(int StyleNo, bool IsText, bool& Allowed)>;

class TRVRTFReaderProperties : public TRVCustomRTFReaderProperties {
  ZUK_PUBLISHED(TRVRTFReaderProperties)

 public:
  TRVRTFReaderProperties();
  ~TRVRTFReaderProperties() override;
  std::string ClassName() const override { return "TRVRTFReaderProperties"; }

  /// From another TRVRTFReaderProperties copies the Unicode mode, both style modes, the
  /// picture and hypertext switches and both style numbers; anything else is the
  /// persistent base's (EConvertError).
  void Assign(const TPersistent* Source) override;

  uint8_t ReadRTF(TStream& Stream, TCustomRVData* RVData, int& Index) override {
    return ReadFromStream(Stream, RVData, Index);
  }
  /// Reads the stream into RVData before item Index; Index answers the last item made.
  TRVRTFError ReadFromStream(TStream& Stream, TCustomRVData* RVData, int& Index);

  int32_t TextStyleNo() const { return textStyleNo_; }
  int32_t ParaStyleNo() const { return paraStyleNo_; }
  /// Raise Exception "Value must not be negative" for a negative value.
  void SetTextStyleNo(int32_t Value);
  void SetParaStyleNo(int32_t Value);

  TRVReaderUnicode UnicodeMode = rvruNoUnicode;
  TRVReaderStyleMode TextStyleMode = rvrsUseClosest;
  TRVReaderStyleMode ParaStyleMode = rvrsUseClosest;
  bool IgnorePictures = false;
  bool UseHypertextStyles = false;
  bool SkipHiddenText = true;
  bool AutoHideTableGridLines = false;
  bool LineBreaksAsParagraphs = false;
  TRVRTFHighlight ConvertHighlight = rtfhlColorTable;

  // Run-time settings.
  TCustomRVData* HeaderData = nullptr;
  TCustomRVData* FooterData = nullptr;
  int32_t HeaderY = -1;  // millimetres, -1 until read
  int32_t FooterY = -1;
  TRVStyleFilterEvent OnStyleFilter;

  /// Table building switches that no option sets.
  bool DoubledBorders = true;
  bool BoundaryWidths = false;

  struct TTableInfo;

 private:
  // ---- building (RVRTFProps.cpp) --------------------------------------------------------------
  void NewText(TRVRTFReader* Reader, const std::string& Text, const std::u16string* TextW,
               TRVRTFPosition Position);
  void NewPicture(TRVRTFReader* Reader, TRVRTFPicture* Picture, std::unique_ptr<TGraphic> Graphic,
                  TRVRTFPosition Position);
  void HeaderFooter(TRVRTFReader* Reader, TRVRTFHeaderFooterType HFType, bool Starting);
  /// Inserts Item with Text into the current data at Position; false when refused.
  bool InsertItem(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item, TRVRTFPosition Position);
  int32_t FindTextStyle(bool Unicode, bool Hypertext);
  int32_t FindParaStyle();
  /// The paragraph style of a paragraph the reader makes itself (an empty cell's).
  int32_t ReaderMadeParaStyle(uint8_t Alignment);
  int32_t ReaderMadeTextStyle() const;
  bool HyperlinkField(std::string& Target, std::string& Extras) const;
  void ConvertBorder(const TRVRTFParaBorder& Border, TRVBorder& Result) const;
  int32_t ToPixels(int32_t Twips) const;
  bool StyleAllowed(int StyleNo, bool IsText) const;

  // ---- list markers (RVRTFLists.cpp) ------------------------------------------------------------
  bool InsertMarkerIfNeeded(int32_t ParaNo);
  void UpdateMarker(TRVRTFReader* Reader);
  int32_t FindListForNumbering(const TRVRTFMarkerProperties& Numbering);
  void BuildListMap();
  void FillLevelFromRTF(const TRVRTFListLevel97& Source, TRVListLevel& Level) const;

  // ---- tables (RVRTFTables.cpp) ----------------------------------------------------------------
  void Table(TRVRTFReader* Reader, TRVRTFTableEventKind WhatHappens);
  void TableStart();
  void TableEnd();
  /// Moves what the row table holds into the current data as ordinary paragraphs.
  void MoveOutUnfinishedRow(TRVTableItemInfo& RowTable);
  void RowEnd();
  void CellEnd();
  void AppendRow(TTableInfo& Info, const TRVRTFRowProperties& Row);
  void FinishTable(TTableInfo& Info);
  void ApplyCellProperties(TTableInfo& Info, int Row, int Col, const TRVRTFCellProperties& Cell,
                           const TRVRTFRowProperties& RowProps, int FromIndex, int ToIndex);
  void ResetCell(TRVTableItemInfo& Table, int Row, int Col);
  void WidenSplitColumn(TRVTableItemInfo& Table, int Col);
  void FreeTables();

  int32_t textStyleNo_ = 0;
  int32_t paraStyleNo_ = 0;

  // State of one read.
  TRVRTFReader* reader_ = nullptr;
  TRVStyle* style_ = nullptr;
  TCustomRVData* target_ = nullptr;
  TCustomRVData* current_ = nullptr;
  int insertIndex_ = 0;
  int lastItem_ = -1;
  double twipsToPixels_ = 96.0 / 1440.0;
  bool pageBreakPending_ = false;
  TCustomRVData* pageBreakData_ = nullptr;
  bool failed_ = false;  // an item was refused: the read ends

  // List bookkeeping.
  std::vector<int32_t> pnLists_;  // list style chosen for each "pn" level, 11 entries
  std::vector<int32_t> listMap_;  // list style of each RTF list
  bool listMapBuilt_ = false;
  std::set<std::pair<int32_t, int32_t>> restartedOverrides_;  // (override, level) restarts made
  int pendingMarker_ = -1;
  TCustomRVData* pendingMarkerData_ = nullptr;

  // Table bookkeeping.
  std::vector<std::unique_ptr<TTableInfo>> tables_;
  int rowCounter_ = 0;
  int cellCounter_ = 0;
  bool moving_ = false;
};

/// Registers the RTF reading options with the document layer (the library's start-up call).
void RVRegisterRTFReader();
