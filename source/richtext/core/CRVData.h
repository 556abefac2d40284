// The document data TCustomRVData: an ordered list of items (each an item text paired with
// an item object, RVItem.h) and the chain of checkpoints the items carry. Every kind of
// document derives from it: the formatted and viewer data, table cells and the editor's
// data. A nested document asks its root for options and its parent for the style sheet;
// a top-level document that no subclass overrides keeps those settings itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Classes.h"
#include "richtext/core/RVClasses.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVHTMLExport.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVRTFExport.h"
#include "richtext/core/RVStyleInfo.h"  // TRVBiDiMode
#include "richtext/core/RVTextExport.h"
#include "richtext/core/RVUni.h"  // TRVCodePage

class TRVBackground;
class TRVMarkerItemInfo;
class TRVMarkerList;
class TControl;
class TCustomImageList;
class TRVBackground;
class TRVLayoutInfo;
class TStream;
class TGraphic;
class TRVStyle;
class TWinControl;
class TWinControl;

// ---------------------------------------------------------------------------------------
// Option sets (bits in member order).

using TRVOptions = uint16_t;
constexpr TRVOptions rvoAllowSelection = 0x0001;
constexpr TRVOptions rvoSingleClick = 0x0002;
constexpr TRVOptions rvoScrollToEnd = 0x0004;
constexpr TRVOptions rvoClientTextWidth = 0x0008;
constexpr TRVOptions rvoShowCheckpoints = 0x0010;
constexpr TRVOptions rvoShowPageBreaks = 0x0020;
constexpr TRVOptions rvoTagsArePChars = 0x0040;  // item and checkpoint tags are texts
constexpr TRVOptions rvoAutoCopyText = 0x0080;
constexpr TRVOptions rvoAutoCopyUnicodeText = 0x0100;
constexpr TRVOptions rvoAutoCopyRVF = 0x0200;
constexpr TRVOptions rvoAutoCopyImage = 0x0400;
constexpr TRVOptions rvoAutoCopyRTF = 0x0800;
constexpr TRVOptions rvoFormatInvalidate = 0x1000;
constexpr TRVOptions rvoDblClickSelectsWord = 0x2000;
constexpr TRVOptions rvoRClickDeselects = 0x4000;
constexpr TRVOptions rvDefaultOptions = 0x7EA5;

using TRVFOptions = uint16_t;
constexpr TRVFOptions rvfoSavePicturesBody = 0x0001;
constexpr TRVFOptions rvfoSaveControlsBody = 0x0002;
constexpr TRVFOptions rvfoIgnoreUnknownPicFmt = 0x0004;
constexpr TRVFOptions rvfoIgnoreUnknownCtrls = 0x0008;
constexpr TRVFOptions rvfoConvUnknownStylesToZero = 0x0010;
constexpr TRVFOptions rvfoConvLargeImageIdxToZero = 0x0020;
constexpr TRVFOptions rvfoSaveBinary = 0x0040;
constexpr TRVFOptions rvfoUseStyleNames = 0x0080;
constexpr TRVFOptions rvfoSaveBack = 0x0100;
constexpr TRVFOptions rvfoLoadBack = 0x0200;
constexpr TRVFOptions rvfoSaveTextStyles = 0x0400;
constexpr TRVFOptions rvfoSaveParaStyles = 0x0800;
constexpr TRVFOptions rvfoSaveLayout = 0x1000;
constexpr TRVFOptions rvfoLoadLayout = 0x2000;
constexpr TRVFOptions rvDefaultRVFOptions = 0x43;

/// How the RVF reader brings a stream's style block into the style sheet.
enum TRVFReaderStyleMode : uint8_t { rvf_sIgnore, rvf_sInsertMap, rvf_sInsertMerge };

/// RVF read warnings (bits), kept by the root document.
using TRVFWarnings = uint8_t;
constexpr TRVFWarnings rvfwUnknownPicture = 0x01;
constexpr TRVFWarnings rvfwUnknownControl = 0x02;
constexpr TRVFWarnings rvfwStyleOutOfRange = 0x04;
constexpr TRVFWarnings rvfwImageIndexOutOfRange = 0x08;
constexpr TRVFWarnings rvfwConvertedToUnicode = 0x10;
constexpr TRVFWarnings rvfwConvertedToAnsi = 0x20;
constexpr TRVFWarnings rvfwOddUnicodeLength = 0x40;  // a UTF-16 text lost its odd last byte

/// What the last RVF read met of pictures: the picture items it read (those of table cells
/// included, in reading order), and the first whose picture could not be made.
struct TRVFPictureReport {
  int Count = 0;
  int FirstUnreadNo = 0;         // from 1; 0 when every picture could be made
  std::string FirstUnreadClass;  // the graphic class its record named
  std::string FirstUnreadReason;  // what its decoder said ("Picture is too large (...)"), or ""
};

/// What SaveRVFToStreamEx writes.
enum TRVFSaveScope : uint8_t { rvfss_Full = 0, rvfss_Selection = 1 };

/// The style maps of the RVF stream being read (null until a style block of that kind is
/// read): entry i is the sheet index that stream style i became. Kept by the root document
/// for the whole read, so that documents nested in the stream map with the same maps.
struct TRVFStyleMaps {
  std::unique_ptr<TRVIntegerList> TextMap;
  std::unique_ptr<TRVIntegerList> ParaMap;
  std::unique_ptr<TRVIntegerList> ListMap;
};

/// State flags of a document (bits).
using TRVDataStates = uint32_t;
constexpr TRVDataStates rvstClearing = 1u << 7;              // Clear is running
constexpr TRVDataStates rvstLoadingAsPartOfItem = 1u << 18;  // reading RVF from a component stream
constexpr TRVDataStates rvstRTFTableWritten = 1u << 19;      // RTF: a table's last row ended a paragraph
constexpr TRVDataStates rvstContinuesOuterDoc = 1u << 24;    // formatting: continues an outer document
constexpr TRVDataStates rvstLastLineNotParaEnd = 1u << 25;   // formatting: last line is no paragraph end

/// Control notices of TCustomRVData::ControlAction.
enum TRVControlAction : int {
  rvcaAfterRVFLoad = 0,       // the control was read with its item
  rvcaDestroy = 1,            // the item is being freed
  rvcaMoveToUndoList = 2,     // the item left its document
  rvcaMoveFromUndoList = 3,   // the item joined a document
  rvcaDestroyInUndoList = 4,  // the item is freed outside a document
};

/// The word delimiters of a document that keeps its own settings: space . ; , : ( ) { } " / \.
constexpr std::string_view rvDefaultDelimiters = " .;,:(){}\"/\\";

// ---------------------------------------------------------------------------------------

/// The enumeration state of an item's sub-documents (table cells), owned by the caller.
class TRVStoreSubRVData : public TObject {
 public:
  std::string ClassName() const override { return "TRVStoreSubRVData"; }
};

/// The items of a document: one entry per item, the item text (bytes; UTF-16 two bytes a
/// character for rvioTwoByteText items) with the item object, which the list owns. An
/// entry may briefly hold no object while its item is being freed.
class TRVItemList {
 public:
  int Count() const { return static_cast<int>(entries_.size()); }
  /// The text of entry `index`; EListError outside 0..Count-1.
  const std::string& Get(int index) const { return entries_[CheckIndex(index)].Text; }
  void Put(int index, std::string text) { entries_[CheckIndex(index)].Text = std::move(text); }
  TCustomRVItemInfo* GetObject(int index) const { return entries_[CheckIndex(index)].Item.get(); }

  int Add(std::string text, std::unique_ptr<TCustomRVItemInfo> item);
  /// Inserts before position `index` (0..Count).
  void Insert(int index, std::string text, std::unique_ptr<TCustomRVItemInfo> item);
  /// The text of entry `index` itself, for a notice that lends it to a handler.
  std::string& TextOf(int index) { return entries_[CheckIndex(index)].Text; }
  /// Takes the text of entry `index` out, leaving it empty.
  [[nodiscard]] std::string ExtractText(int index) { return std::move(entries_[CheckIndex(index)].Text); }
  /// Takes the object of entry `index` out; the entry stays, holding none.
  [[nodiscard]] std::unique_ptr<TCustomRVItemInfo> ExtractObject(int index);
  /// Removes `count` entries from `index` (freeing any object still held).
  void DeleteRange(int index, int count);
  void Delete(int index) { DeleteRange(index, 1); }
  void Clear() { entries_.clear(); }
  /// Index of the entry holding `item`, -1 when none does.
  int IndexOfObject(const TCustomRVItemInfo* item) const;
  void Reserve(int capacity) { entries_.reserve(static_cast<size_t>(capacity)); }

 private:
  struct Entry {
    std::string Text;
    std::unique_ptr<TCustomRVItemInfo> Item;
  };
  size_t CheckIndex(int index) const {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    return static_cast<size_t>(index);
  }

  std::vector<Entry> entries_;
};

// ---------------------------------------------------------------------------------------

class TCustomRVData : public TPersistent,
                      public TRVHTMLExportSide,
                      public TRVRTFExportSide,
                      public TRVTextExportSide {
 public:
  TCustomRVData();
  /// Clears the document. A subclass that overrides Clear, or the nesting operations (a
  /// nested document, whose list markers are listed by its outer root), calls Clear from its
  /// own destructor: here the overrides no longer run.
  ~TCustomRVData() override;
  TCustomRVData(const TCustomRVData&) = delete;
  TCustomRVData& operator=(const TCustomRVData&) = delete;
  std::string ClassName() const override { return "TCustomRVData"; }

  // ---- settings: a nested document asks its root (its parent for the style sheet); a
  // top-level document without overrides keeps them itself --------------------------

  virtual TRVOptions GetOptions() const;
  virtual void SetOptions(TRVOptions Value);
  virtual TRVFOptions GetRVFOptions() const;
  virtual void SetRVFOptions(TRVFOptions Value);
  virtual TRVRTFOptions GetRTFOptions() const;
  virtual void SetRTFOptions(TRVRTFOptions Value);
  virtual TRVFWarnings GetRVFReadWarnings() const;
  virtual void SetRVFReadWarnings(TRVFWarnings Value);
  /// The root document's report of the pictures of the last RVF read.
  const TRVFPictureReport& GetRVFPictureReport() const;
  TRVFPictureReport& RVFPictureReport();
  virtual TRVFReaderStyleMode GetRVFTextStylesReadMode() const;
  virtual TRVFReaderStyleMode GetRVFParaStylesReadMode() const;
  virtual TRVPalette GetRVPalette() const;
  virtual TRVPaletteAction GetDoInPaletteMode() const;
  virtual TRVBiDiMode GetBiDiMode() const;
  /// The style sheet: the parent's, or the sheet given to SetRVStyle at the top level.
  virtual TRVStyle* GetRVStyle() const;
  /// The word delimiters: the root's.
  virtual std::string GetDelimiters() const;

  /// Settings of a top-level document that keeps its own.
  void SetRVStyle(TRVStyle* Value) { ownSettings_.Style = Value; }
  void SetRVFTextStylesReadMode(TRVFReaderStyleMode Value) { ownSettings_.TextStylesReadMode = Value; }
  void SetRVFParaStylesReadMode(TRVFReaderStyleMode Value) { ownSettings_.ParaStylesReadMode = Value; }
  void SetBiDiMode(TRVBiDiMode Value) { ownSettings_.BiDiMode = Value; }
  void SetDelimiters(std::string Value) { ownSettings_.Delimiters = std::move(Value); }

  // ---- nesting ------------------------------------------------------------------------

  /// The data that holds this content now (a cell being edited answers its editor's data).
  virtual TCustomRVData* GetActiveData() { return this; }
  /// The data whose content this data shows (an editor's data answers its cell).
  virtual TCustomRVData* GetSourceData() { return this; }
  virtual TCustomRVData* GetParentData() const { return nullptr; }
  virtual TCustomRVData* GetRootData() { return this; }
  virtual TCustomRVData* GetOuterParentData() const { return nullptr; }
  virtual TCustomRVData* GetOuterRootData() { return this; }
  /// The table item that holds this document and the enumeration state naming this
  /// document in it; -1 and null at the top level.
  virtual void GetParentItemInfo(int& ParentItemNo, std::unique_ptr<TRVStoreSubRVData>& Location);
  /// The control that finally owns the document: the root's; none for a top-level document
  /// without a control.
  virtual TWinControl* GetParentControl() const;
  /// True when this data shows another data's item list (see ShareItemsFrom).
  virtual bool ShareItems() const { return false; }
  virtual bool IsControlData() const { return false; }
  /// True for the editor's document data, where tables show their hidden borders.
  virtual bool IsEditData() const { return false; }

  // ---- notices ------------------------------------------------------------------------

  /// Item life-cycle notice (TRVItemAction). Text is the item's text, lent: a handler may
  /// change it in place, and for rviaInserting and rviaTextModifying the changed text is the
  /// one kept. Lending it spares a copy of every item's text as it joins and leaves.
  virtual void ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, std::string& Text,
                          TCustomRVData* RVData);
  /// A notice about an embedded control item; a nested document passes it to its root,
  /// a top-level one has no control to tell.
  virtual void ControlAction(TRVControlAction Action, int ItemNo, TCustomRVItemInfo* Item);
  /// Lets the document turn a hyperlink target read from a file (Kind: the file format, 2
  /// for RTF) into the item's tag, and possibly another style and item text. A nested
  /// document (a table cell) asks its root; a root changes nothing by default.
  virtual void ReadHyperlink(const std::string& Target, const std::string& Extras, std::string& Text,
                             TRVTag& Tag, TRVItemStyleNo& StyleNo, int Kind);
  /// Fires the hyperlink JumpID of an item of this document. Only formatted documents have
  /// hyperlink areas; the base has none and does nothing.
  virtual void DoItemJump(int JumpID) { (void)JumpID; }
  /// Keeps the marker list up to date when a list marker joins (at ItemNo: it is inserted
  /// after the marker before it in document order and its list renumbered) or leaves (the
  /// rest of its list is renumbered unless Clearing while the outer root document clears
  /// itself; the last one frees the list).
  /// Defined in RVNestedData.cpp.
  virtual void AddMarkerToList(int ItemNo);
  virtual void RemoveMarkerFromList(TCustomRVItemInfo* Item, bool Clearing);
  /// MessageBeep(0) when the style sheet asks for sounds.
  void Beep() const;

  // ---- item access (ItemNo is 0-based; the item list checks the range) ----------------

  TRVItemList& GetItems() const { return *Items; }
  int GetItemCount() const { return Items->Count(); }
  TCustomRVItemInfo* GetItem(int ItemNo) const { return Items->GetObject(ItemNo); }
  /// The stored bytes of the item text.
  const std::string& GetItemText(int ItemNo) const { return Items->Get(ItemNo); }
  /// Replaces the stored bytes, after the rviaTextModifying notice (which may rewrite them).
  void SetItemText(int ItemNo, const std::string& Text);
  /// The item text as 8-bit text: UTF-16 text converted to the code page of its style.
  std::string GetItemTextA(int ItemNo) const;
  /// The item text as UTF-16: 8-bit text converted from the code page of its style.
  std::u16string GetItemTextW(int ItemNo) const;
  TRVItemStyleNo GetItemStyleNo(int ItemNo) const { return GetItem(ItemNo)->StyleNo; }
  int32_t GetItemParaNo(int ItemNo) const { return GetItem(ItemNo)->ParaNo; }
  const TRVTag& GetItemTag(int ItemNo) const { return GetItem(ItemNo)->Tag; }
  TRVItemOptions GetItemOptions(int ItemNo) const { return GetItem(ItemNo)->ItemOptions; }
  /// The item begins a line: rvioJoinsPrevious is clear.
  bool GetItemStartsLine(int ItemNo) const { return !GetItem(ItemNo)->GetSameAsPrev(); }
  bool StartsParagraph(int ItemNo) const { return GetItem(ItemNo)->IsParaStart(); }
  TRVCPInfo* GetItemCheckpoint(int ItemNo) const { return GetItem(ItemNo)->Checkpoint.get(); }
  /// The page-break mark, taken from the list marker in front of the item when there is
  /// one. ERVError "Item index is out of bounds" outside 0..Count-1.
  bool GetPageBreakBefore(int ItemNo) const;
  /// Characters of a text item (two bytes each in UTF-16 text); 1 for other items.
  int GetItemTextLength(int ItemNo) const;
  int GetItemStartOffset(int ItemNo) const { return GetItem(ItemNo)->IsTextItem() ? 1 : 0; }
  int GetItemEndOffset(int ItemNo) const;
  bool GetItemIntProperty(int ItemNo, int Code, int32_t& Value) const;
  /// Index of the first item that owns `Obj`, -1 when none.
  int FindItemByOwnedObject(const TObject* Obj) const;
  /// Index of the item object, -1 when it is not in this document.
  int FindItemIndex(const TCustomRVItemInfo* Item) const { return Items->IndexOfObject(Item); }
  /// Clips ItemNo into 0..Count-1 (0 for an empty document).
  void ClampItemNo(int& ItemNo) const;
  /// The item as a T; ERVError "Can't get or set this kind of information for this item"
  /// when it is of another class.
  template <typename T>
  T* CheckItemClass(int ItemNo) const {
    T* item = dynamic_cast<T*>(GetItem(ItemNo));
    if (item == nullptr) throw ERVError("Can't get or set this kind of information for this item");
    return item;
  }
  /// The code page of text style StyleNo's charset; the sheet's DefCodePage for StyleNo < 0;
  /// 0 without a style sheet.
  TRVCodePage GetStyleCodePage(TRVItemStyleNo StyleNo) const;
  TRVCodePage GetDefaultCodePage() const;
  /// True when text style StyleNo of the style sheet is a Unicode style.
  bool IsUnicodeStyle(TRVItemStyleNo StyleNo) const;

  // ---- paragraphs, lines and characters -----------------------------------------------

  /// The first item of ItemNo's paragraph (or line): walking back to an item that starts
  /// one; 0 when none is found.
  int GetParaStartItemNo(int ItemNo) const;
  int GetLineStartItemNo(int ItemNo) const;
  /// Widen ItemNo1..ItemNo2 to whole paragraphs (lines).
  void ExpandToParas(int ItemNo1, int ItemNo2, int& FirstItemNo, int& LastItemNo) const;
  void ExpandToLines(int ItemNo1, int ItemNo2, int& FirstItemNo, int& LastItemNo) const;
  /// The caret offset after the next (before the previous) character from Offset. UTF-16
  /// text steps over a surrogate pair as one character and stays within 1..length + 1;
  /// 8-bit text answers Offset + 1 (Offset - 1).
  int GetNextCharOffset(int ItemNo, std::string_view Text, int Offset) const;
  int GetPrevCharOffset(int ItemNo, std::string_view Text, int Offset) const;
  int GetNextCharOffset(int ItemNo, int Offset) const {
    return GetNextCharOffset(ItemNo, GetItemText(ItemNo), Offset);
  }
  int GetPrevCharOffset(int ItemNo, int Offset) const {
    return GetPrevCharOffset(ItemNo, GetItemText(ItemNo), Offset);
  }
  /// A text item's style direction when set, else its paragraph's.
  TRVBiDiMode GetItemBiDiMode(int ItemNo) const;
  /// The paragraph style's direction when set, else the document's.
  TRVBiDiMode GetParaBiDiMode(int32_t ParaNo) const;
  /// Whether text item Item2, following Item1 (at ItemNo), may be joined to it.
  bool CanMergeItems(int ItemNo, const TCustomRVItemInfo* Item1, bool NewLine,
                     const TCustomRVItemInfo* Item2) const;
  /// Gives every item after ItemNo's paragraph start, up to the next paragraph start, the
  /// ParaNo of that first item.
  void NormalizeParaNos(int ItemNo);

  // ---- adding, inserting, moving ------------------------------------------------------

  /// Appends an item with its text (see the rules in the source).
  void AddItem(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item);
  /// Appends a text item; its text is UTF-16 bytes when text style StyleNo is Unicode (an
  /// odd byte count raises ERVError "Can't perform Unicode operation"). Tabs are expanded.
  void AddTextItemTag(std::string Text, TRVItemStyleNo StyleNo, int32_t ParaNo, const TRVTag& Tag);
  void AddTextItem(std::string Text, TRVItemStyleNo StyleNo, int32_t ParaNo) {
    AddTextItemTag(std::move(Text), StyleNo, ParaNo, TRVTag());
  }
  /// Appends a text item from UTF-16 text, converted to 8-bit text of the style's code page
  /// unless the style is Unicode.
  void AddWideTextItem(std::u16string_view Text, TRVItemStyleNo StyleNo, int32_t ParaNo, const TRVTag& Tag);
  /// Appends a picture item (style rvsPicture) that takes Graphic over, with Name as its text.
  void AddPictureItem(std::string Name, std::unique_ptr<TGraphic> Graphic, int32_t ParaNo, uint8_t VAlign,
                      const TRVTag& Tag);
  /// Creates the checkpoint the next added item will carry, or keeps the pending one.
  /// Answers the checkpoint's index.
  int AddCheckpoint(const std::string& Name, bool RaiseEvent, const TRVTag& Tag);
  /// Inserts an item with its text at ItemNo (0..Count). FullReformat and NewListNo are
  /// set to false and -1. Answers whether the item was taken (always here); a taken item
  /// stands in the document at ItemNo, a refused one is freed.
  virtual bool InsertItemObject(int& ItemNo, std::string Text, std::unique_ptr<TCustomRVItemInfo> Item,
                                bool& FullReformat, int& NewListNo);
  /// Moves every item of Source (with texts, checkpoints and tags) to the end of this
  /// document and leaves Source empty. ERVError "Can't assign RV document to RV document -
  /// tags types mismatch" when the documents disagree on rvoTagsArePChars.
  void AppendItemsFrom(TCustomRVData* Source);
  /// Moves items FirstItemNo..FirstItemNo+Count-1 to the end of Target through its AddItem, as
  /// new items arrive: list markers change marker lists, checkpoints go with their items,
  /// and nested documents and controls learn their new parent.
  void MoveItemsTo(int FirstItemNo, int Count, TCustomRVData& Target);
  /// Passes every item text through the item's rviaInserting notice and keeps the result.
  void ConvertItemTexts(bool Clearing);
  /// With ShareItems: clears this document and shows Source's item list from now on.
  void ShareItemsFrom(TCustomRVData* Source);
  void UpdateItemsPalette();

  // ---- removing -----------------------------------------------------------------------

  /// Frees the items FirstItemNo.. (Count clipped to the last item) and removes them.
  virtual void DeleteItems(int FirstItemNo, int Count);
  /// Frees every item, the pending checkpoint and the chain.
  virtual void Clear();
  /// Frees an item that is not (any more) in the list: its list marker entry, its
  /// checkpoint (unlinked, counted down) and the item.
  virtual void FreeItem(std::unique_ptr<TCustomRVItemInfo> Item, bool Clearing);
  /// Announces and frees the item of entry ItemNo; the entry stays for the caller to remove.
  void FreeItemAt(int ItemNo, bool Clearing);
  /// Tells ControlAction about a control item.
  void NotifyControlAction(TRVControlAction Action, int ItemNo, TCustomRVItemInfo* Item);

  // ---- checkpoints --------------------------------------------------------------------

  TRVCPInfo* GetFirstCheckpoint() const { return FirstCheckpoint; }
  TRVCPInfo* GetLastCheckpoint() const { return LastCheckpoint; }
  TRVCPInfo* GetPendingCheckpoint() const { return PendingCheckpoint.get(); }
  int GetCheckpointCount() const { return CheckpointCount; }
  /// Links Checkpoint into the chain after Prev (at the head for null) as Item's checkpoint.
  void LinkCheckpointAfter(TCustomRVItemInfo* Item, TRVCPInfo* Prev, std::unique_ptr<TRVCPInfo>& Checkpoint);
  /// Links the checkpoint of item ItemNo into the chain at its item's place.
  void LinkCheckpoint(TRVCPInfo* Checkpoint, int ItemNo);
  void UnlinkCheckpoint(TRVCPInfo* Checkpoint, bool DecCount);
  void FreeCheckpoint(std::unique_ptr<TRVCPInfo>& Checkpoint, bool Unlink, bool DecCount);
  /// Refreshes the cached ItemNo of every carried checkpoint.
  void UpdateCheckpointItemNos();
  /// The last checkpoint of an item before ItemNo, null when none.
  TRVCPInfo* FindCheckpointBefore(int ItemNo);

  // ---- text helpers -------------------------------------------------------------------

  /// Text with every tab replaced by the sheet's SpacesInTab blanks, UTF-16 when style
  /// StyleNo is Unicode; without a sheet 8 blanks, UTF-16 when Unicode is set.
  std::string ExpandTabs(std::string_view Text, TRVItemStyleNo StyleNo, bool Unicode) const;
  bool IsDelimiterA(char Ch) const;
  bool IsDelimiterW(char16_t Ch) const;
  /// Tests the 1-based character Pos (2-byte with rvioTwoByteText); false outside the text.
  bool IsDelimiterAt(std::string_view Text, int Pos, TRVItemOptions ItemOptions) const;

  // ---- styles in use ------------------------------------------------------------------

  virtual void MarkStylesInUse(TRVIntegerList& UsedTextStyles, TRVIntegerList& UsedParaStyles,
                               TRVIntegerList& UsedListStyles);
  void RenumberStyles(const TRVIntegerList& TextStylesMap, const TRVIntegerList& ParaStylesMap,
                      const TRVIntegerList& ListStylesMap);
  /// Runs after RVDeleteUnusedStyles removed styles and renumbered the items with these
  /// maps, so that style numbers kept outside the items can follow; nothing here.
  virtual void AfterDeleteStyles(const TRVIntegerList& /*TextStylesMap*/,
                                 const TRVIntegerList& /*ParaStylesMap*/) {}

  /// Whole-document bounds: item 0 at its start offset to the last item at its end
  /// offset (offsets -1 in an empty document); the formatted data answers its selection.
  virtual void GetSelectionBounds(bool SelectionOnly, int& StartItemNo, int& EndItemNo, int& StartOffs,
                                  int& EndOffs, TCustomRVItemInfo*& StartPartial,
                                  TCustomRVItemInfo*& EndPartial);

  // ---- RVF reading and writing (RVFReader.cpp, RVFWriter.cpp) ------------------------

  /// Clears the document and reads the RVF stream from its position to its end. Color,
  /// Background and Layout (each may be null) receive the background record and the layout
  /// block. Never raises: false for a malformed stream, keeping what was read before.
  bool LoadRVFFromStream(TStream& Stream, TColor& Color, TRVBackground* Background, TRVLayoutInfo* Layout);
  /// Reads the stream's items into the document at Index (LoadMode: the document was just
  /// emptied, so style blocks replace the sheet's styles instead of being merged).
  bool InsertRVFFromStream(TStream& Stream, int Index, TColor& Color, TRVBackground* Background,
                           TRVLayoutInfo* Layout, bool LoadMode);
  /// The reader. Index is advanced past the inserted items; ParaNo is a paragraph style forced
  /// on the first item (-1 for none); EditPara and EditInsert are the editor's flags.
  bool InsertRVFFromStreamFull(TStream& Stream, int& Index, int32_t ParaNo, bool LoadMode, bool EditPara,
                               bool EditInsert, TColor& Color, TRVBackground* Background,
                               TRVLayoutInfo* Layout, int& InsertedCount, bool& Reading, bool& InsertFlag);
  /// Writes the whole document (or the selection) as RVF; false when an item or a picture
  /// could not be written.
  bool SaveRVFToStream(TStream& Stream, bool SelectionOnly, TColor Color, TRVBackground* Background,
                       TRVLayoutInfo* Layout);
  bool SaveRVFToStreamEx(TStream& Stream, TRVFSaveScope Scope, TColor Color, TRVBackground* Background,
                         TRVLayoutInfo* Layout);
  /// A document stored inside a component stream: an int32 byte count, then that much RVF.
  bool ReadRVFFromComponentStream(TStream& Stream);
  void WriteRVFToComponentStream(TStream& Stream);

  /// The style maps of the stream being read: the root's.
  virtual TRVFStyleMaps& GetRVFStyleMaps();
  /// Frees the maps when this document is its own root; a nested document leaves them to the
  /// root's read.
  virtual void FreeRVFStyleMaps();
  /// Content that records without a stored body refer to, and the image lists of bullets and
  /// list levels: asked of the root; a document without overrides has none (null).
  virtual std::unique_ptr<TGraphic> RVFPictureNeeded(const std::string& Name, const TRVTag& Tag);
  virtual std::unique_ptr<TControl> RVFControlNeeded(const std::string& Name, const TRVTag& Tag);
  virtual TCustomImageList* RVFImageListNeeded(int32_t ImageListTag);
  /// The nested document holding the caret, whose selection a selection save writes; none.
  virtual TCustomRVData* GetFocusedSubData() { return nullptr; }

  // ---- fields -------------------------------------------------------------------------

  /// When false, an item that would open a paragraph in AddItem gets a line break instead.
  bool AllowNewParagraphs = true;
  TRVDataStates StateFlags = 0;

 protected:
  /// The settings of a top-level document without overrides.
  struct TOwnSettings {
    TRVOptions Options = rvDefaultOptions;
    TRVFOptions RVFOptions = rvDefaultRVFOptions;
    TRVRTFOptions RTFOptions = rvDefaultRTFOptions;
    TRVFWarnings RVFWarnings = 0;
    TRVFPictureReport PictureReport;
    TRVFReaderStyleMode TextStylesReadMode = rvf_sInsertMerge;
    TRVFReaderStyleMode ParaStylesReadMode = rvf_sInsertMerge;
    TRVBiDiMode BiDiMode = rvbdUnspecified;
    TRVStyle* Style = nullptr;
    std::string Delimiters{rvDefaultDelimiters};
  };
  /// The root this document forwards to, null when it is its own root.
  const TCustomRVData* ForwardRoot() const;
  TCustomRVData* ForwardRoot();
  bool ItemsAreShared() const { return Items != ownItems_.get(); }

  TRVItemList* Items;
  TRVCPInfo* FirstCheckpoint = nullptr;
  TRVCPInfo* LastCheckpoint = nullptr;
  std::unique_ptr<TRVCPInfo> PendingCheckpoint;
  int CheckpointCount = 0;
  TOwnSettings ownSettings_;
  TRVFStyleMaps rvfStyleMaps_;  // used while this document is the root of an RVF read

  friend struct TRVFReader;
  friend struct TRVFWriter;

 private:
  bool TagsArePChars() const { return (GetOptions() & rvoTagsArePChars) != 0; }
  /// Item is about to join with Text: the item's Inserting hook, then the document's
  /// ItemAction(rviaInserting), which may change Text into the text to store.
  void BeforeInsert(TCustomRVItemInfo& Item, std::string& Text, bool Clearing);
  /// Item joined at ItemNo: its Inserted hook, then ItemAction(rviaInserted).
  void AfterInsert(TCustomRVItemInfo& Item, int ItemNo);
  /// The code page text of ItemNo converts with.
  TRVCodePage ItemCodePage(int ItemNo) const;

  std::unique_ptr<TRVItemList> ownItems_;

  // ==== List markers and searches through nested documents ==============================
  // (defined in RVNestedData.cpp)
 public:
  /// The marker list of the outer root document, which every nested document shares; made
  /// on demand with AllowCreate, else null while no marker is listed.
  virtual TRVMarkerList* GetMarkers(bool AllowCreate);
  /// Frees the outer root's marker list.
  virtual void FreeMarkers();
  /// Renumbers the list of the marker at ItemNo from that marker on.
  void RenumberMarker(int ItemNo, bool AllowCreate);
  /// The nearest list marker at or before ItemNo in document order: searched back through
  /// this document (and the documents nested in its items, last ones first), then out
  /// through the documents that hold this one. Null when there is none.
  TRVMarkerItemInfo* FindPreviousMarker(int ItemNo);
  /// The index in the marker list of the last marker after AfterIndex whose ListNo is one
  /// of ListNos; -1 when none (or no list).
  int FindLastMarkerOfLists(int AfterIndex, const TRVIntegerList& ListNos);
  /// From StartItemNo on, the index of the first item that is Item or holds it somewhere in
  /// its nested documents; -1 when none.
  int FindItemOrContainer(int StartItemNo, const TCustomRVItemInfo* Item);

 private:
  /// The last marker at or before FromItemNo of this document and its nested documents.
  TRVMarkerItemInfo* FindLastMarkerInside(int FromItemNo);
  struct TRVMarkerListDeleter {
    void operator()(TRVMarkerList* List) const;
  };
  std::unique_ptr<TRVMarkerList, TRVMarkerListDeleter> markers_;

  // ==== Export ===========================================================================
  // The HTML, RTF and plain-text entry points and hooks are the document's export sides
  // (RVHTMLExport.h, RVRTFExport.h, RVTextExport.h). These belong to every writer:
 public:
  /// The text of an embedded control in SaveFormat; "" by default (a nested document asks
  /// its root).
  virtual std::string SaveComponentToFile(const std::string& Path, TPersistent* SaveMe,
                                          TRVSaveFormat SaveFormat);
  /// Added to every hyperlink number handed to the host.
  int32_t FirstJumpNo = 0;

 private:
  friend class TRVHTMLExportSide;
  friend class TRVRTFExportSide;
  friend class TRVTextExportSide;
};
