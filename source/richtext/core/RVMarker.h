// List markers: the item (StyleNo -11) that begins a paragraph of a bulleted or numbered
// list, and the marker list that keeps every marker of a document and its nested documents
// in document order. The list numbers the markers; each marker shows a bullet, a picture,
// an image-list image or a counter text made from its level's template, and measures and
// draws itself with the level's font.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "richtext/core/RVItem.h"
#include "richtext/core/RVListInfo.h"

class TRVListLevel;
class TRVMarkerList;

/// The level record ListNo / Level of the sheet's list styles: null without a sheet, for
/// ListNo or Level below 0, for a list that does not exist or has no levels. A Level beyond
/// the list's last level (or beyond 255) uses the last level that exists.
TRVListLevel* RVMarkerGetListLevel(TRVStyle* Style, int32_t ListNo, int32_t Level);
/// The level number RVMarkerGetListLevel uses: Level clamped to the levels of the list
/// (at most 255); -1 when it finds no level.
int32_t RVMarkerGetEffectiveLevel(TRVStyle* Style, int32_t ListNo, int32_t Level);

/// A marker's measured size and placement.
struct TRVMarkerMetrics {
  int32_t Width = 0;  // A + B: the part before the marker's position and the part after it
  int32_t Height = 0;
  int32_t Descent = 0;           // part below the text baseline
  int32_t Offset = 0;            // drawing offset: -A, or +A in a right-to-left paragraph
  int32_t HorizontalOffset = 0;  // right-to-left: A + B less the width measured
};

class TRVMarkerItemInfo : public TRVRectItemInfo {
  ZUK_RV_ITEM_CLASS(TRVMarkerItemInfo)

 public:
  /// A marker of no list: it starts its paragraph, Counter 1, not in any marker list.
  explicit TRVMarkerItemInfo(TCustomRVData* RVData);
  /// A marker (StyleNo -11) of list style ListNo at Level.
  static std::unique_ptr<TRVMarkerItemInfo> CreateForList(TCustomRVData* RVData, int32_t ListNo,
                                                          int32_t Level, int32_t StartFrom, bool Reset);

  /// The marker's level record (see RVMarkerGetListLevel), or null.
  TRVListLevel* GetLevelInfo(TRVStyle* Style) const { return RVMarkerGetListLevel(Style, ListNo, Level); }
  /// The marker's position in List: -1 for a null list; the cached IndexInList when it
  /// still holds; otherwise looked up (and cached).
  int GetIndexInList(const TRVMarkerList* List);
  /// Recomputes DisplayString from the counters of this marker and of the markers of the
  /// same list before it (at Index in List).
  void CalcDisplayString(TRVStyle* Style, const TRVMarkerList& List, int Index);

  /// Measures the marker with Canvas (a measuring canvas when null) for a paragraph that
  /// runs left to right or right to left.
  TRVMarkerMetrics MeasureMarker(TRVStyle* Style, TCanvas* Canvas, const TRVFormatScale* ScreenAndDevice,
                                 bool RightToLeft);
  /// Draws the marker at (X + the piece's SpaceBefore, Y).
  void DrawMarker(TCanvas& Canvas, int32_t X, int32_t Y, TRVStyle* Style, TRVColorMode ColorMode,
                  TRVDrawLineInfo* DrawItem);
  /// The plain-text form: the counter text (or "* " for pictures) and a blank; UTF-16 bytes
  /// when Unicode.
  std::string GetPlainText(TRVStyle* Style, bool Unicode);
  /// The plain-text form above with RVData's style sheet.
  std::string GetPlainText(int32_t LineWidth, TCustomRVData* RVData, const std::string& Text,
                           const std::string& Path, bool TextOnly, bool Unicode) override;

  /// The measured width, measured again when the document's style sheet is known.
  int32_t GetMinimumWidth(const TRVFormatScale* ScreenAndDevice, TCanvas* Canvas) override;
  bool QueryFeature(int Code) const override;
  bool QueryFeatureForStyle(int Code, TRVStyle* Style) const override;
  void Paint(int32_t X, int32_t Y, TCanvas& Canvas, TRVItemDrawStates State, TRVStyle* Style,
             TRVDrawLineInfo* DrawItem) override;
  /// Draws the marker at (0, 0) of the bitmap.
  bool PrintToBitmap(TBitmap& Bitmap, bool Preview, TCustomRVData* RVData, TRVColorMode ColorMode,
                     int PartIndex, TRVDrawLineInfo* DrawItem) override;
  void PrintDirect(TCanvas& Canvas, int32_t X, int32_t Y, bool Preview, bool Correction,
                   TCustomRVData* RVData, TRVColorMode ColorMode, int PartIndex,
                   TRVDrawLineInfo* DrawItem) override;
  /// The picture's or the image list's size for those levels; 0 for text levels.
  int32_t GetImageWidth(TRVStyle* Style) const override;
  int32_t GetImageHeight(TRVStyle* Style) const override;
  /// Measures into DrawItem's Width and Height; answers the descent and the drawing offset.
  /// Unless Printing, keeps the measurements in the marker's fields.
  void GetWidthRequirements(int32_t AWidth, TRVDrawLineInfo* DrawItem, bool Printing, TCanvas* Canvas,
                            TCustomRVData* RVData, const TRVFormatScale* ScreenAndDevice, bool FormatFlag,
                            int32_t& ADescent, int32_t& AOffset) override;
  int32_t GetTotalHeight() const override { return Height; }
  int32_t GetTotalWidth() const override { return Width; }
  int32_t GetHorizontalOffset() const override { return HorizontalOffset; }
  int32_t GetSpacing() const override { return Descent; }
  /// "ListNo Level StartFrom Reset".
  std::string GetRVFHeaderParams(TCustomRVData* RVData) const override;
  bool ReadRVFHeaderParams(std::string_view& P, TCustomRVData* RVData) override;
  void SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo, const std::string& Name,
               const TRVMultiDrawItemPart* Part, bool ForceSameAsPrev) override;
  /// RTF: see RVItemRTF.cpp.
  void SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text, double tpp,
               int Level, TRVColorList& ColorList, TRVIntegerList& StyleToFont,
               TRVIntegerList& ListOverrideCounts, TRVIntegerList& ListOverrideOffsets,
               TRVRTFFontTable& FontTable) override;
  void FillRTFTables(TRVColorList& ColorList, TRVIntegerList& ListOverrideCounts,
                     TCustomRVData* RVData) override;
  /// Copies ListNo, Level, StartFrom and Reset, then the rectangle's fields.
  void CopyProperties(const TCustomRVItemInfo& Source) override;
  /// Leaves the document's marker list after the base detach.
  void DetachFromData(TCustomRVData* RVData, int ItemNo) override;
  /// Joins the document's marker list.
  void AttachToData(TCustomRVData* RVData, int ItemNo) override;
  void MarkStylesInUse(TRVIntegerList& UsedTextStyles, TRVIntegerList& UsedParaStyles,
                       TRVIntegerList& UsedListStyles) const override;
  void RenumberStyles(const TRVIntegerList& TextStylesMap, const TRVIntegerList& ParaStylesMap,
                      const TRVIntegerList& ListStylesMap) override;
  /// With rvhoMarkersAsText, the marker as text or a picture (RVItemHTML.cpp).
  bool SaveHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                const std::string& Path, const std::string& ImagesPrefix, int& imgSaveNo,
                TColor CurrentFileColor, TRVHTMLSaveOptions Options, bool UseCSS,
                TRVHTMLBulletList* Bullets) override;

  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Descent = 0;
  int32_t HorizontalOffset = 0;
  int32_t IndexInList = -1;  // cached position in the marker list
  int32_t ListNo = -1;       // list style; below 0: no list
  int32_t Level = 0;
  int32_t Counter = 1;
  bool Reset = false;  // the counter restarts at StartFrom here
  int32_t StartFrom = 1;
  std::string DisplayString;  // the text drawn for text levels
  /// The document whose marker list holds the marker (set while it is listed), whose style
  /// sheet GetMinimumWidth measures with.
  TCustomRVData* OwnerData = nullptr;
};

/// A document's list markers in document order (not owned).
class TRVMarkerList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TRVMarkerItemInfo* Items(int Index) const;
  TRVMarkerItemInfo* operator[](int Index) const { return Items(Index); }
  int IndexOf(const TCustomRVItemInfo* Marker) const;
  void Insert(int Index, TRVMarkerItemInfo* Marker);
  void Delete(int Index);

  /// Walking back from Index - 1, the first marker of the same list at a smaller level;
  /// -1 when there is none.
  int FindPreviousSameList(int Index, TRVStyle* Style) const;
  /// Inserts Marker right after Prev (at 0 for null), caches its index and returns it.
  int InsertAfter(TRVMarkerItemInfo* Marker, TRVMarkerItemInfo* Prev);
  /// Renumbers the markers of the list of the marker at FromIndex, from there to the end.
  void RecalcCounters(int FromIndex, TRVStyle* Style);

 private:
  std::vector<TRVMarkerItemInfo*> items_;
};
