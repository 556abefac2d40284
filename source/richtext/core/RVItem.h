// The item model of rich-text documents: the base item TCustomRVItemInfo with its style
// number, option bits, tag and checkpoint, the non-text bases, the text item, the
// checkpoint record TRVCPInfo, and the registry and factory that turn a style number into a
// new item object. Documents (CRVData.h) own the items; the non-text kinds, list markers
// and tables derive from the classes here and override their virtual operations.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Lists.h"
#include "platform/graphics/Cursors.h"
#include "platform/graphics/GraphicsTypes.h"
#include "platform/graphics/Messages.h"
#include "richtext/core/RVFuncs.h"
#include "richtext/core/RVHTMLTypes.h"
#include "richtext/core/RVItemOptions.h"

class TBitmap;
class TCanvas;
class TCustomRVData;
class TCustomRVItemInfo;
class TGraphic;
class TRVDrawLineInfo;
class TRVJumpInfo;
class TRVMultiDrawItemPart;
class TRVColorList;
class TRVIntegerList;
class TRVRTFFontTable;
class TRVStoreSubRVData;
class TRVStyle;
class TStream;
class TWinControl;
enum TRVControlAction : int;

// ---------------------------------------------------------------------------------------
// Style numbers.

/// An item's kind: 0 or more is text in that text style; negative numbers are the kinds.
using TRVItemStyleNo = int32_t;

constexpr TRVItemStyleNo rvsBreak = -1;       // horizontal line
constexpr TRVItemStyleNo rvsCheckpoint = -2;  // RVF record kind only, never an item
constexpr TRVItemStyleNo rvsPicture = -3;
constexpr TRVItemStyleNo rvsHotspot = -4;      // hypertext image-list image
constexpr TRVItemStyleNo rvsComponent = -5;    // embedded control
constexpr TRVItemStyleNo rvsBullet = -6;       // image-list image
constexpr TRVItemStyleNo rvsBack = -7;         // RVF record kind only
constexpr TRVItemStyleNo rvsVersionInfo = -8;  // RVF record kind only
constexpr TRVItemStyleNo rvsDocProperty = -9;  // RVF record kind only (style sheet)
constexpr TRVItemStyleNo rvsHotPicture = -10;  // hypertext picture
constexpr TRVItemStyleNo rvsListMarker = -11;
constexpr TRVItemStyleNo rvsTable = -60;  // registered by the table unit at start-up

/// Registrations must use numbers below this one (-12 and lower; -10 and -11 are accepted
/// but never used, since the factory tries its built-in classes first).
constexpr TRVItemStyleNo rvsLastReservedStyleNo = -9;

// ---------------------------------------------------------------------------------------
// Feature queries and other small enumerations.

/// Codes of TCustomRVItemInfo::QueryFeature.
enum TRVItemFeature : int {
  rvfqOwnLine = 0,              // the item occupies a whole line (break, table)
  rvfqHasContent = 1,           // the item holds its content (picture, control, image list)
  rvfqHasRVFDataLines = 2,      // the RVF record carries data lines after its header
  rvfqSelectOnClick = 3,        // a click selects the item
  rvfqChangesCanvasFont = 4,    // drawing may change the canvas font
  rvfqUnicodePlainText = 5,     // the plain-text form is UTF-16 when UTF-16 output is asked
  rvfqInTextOnlyOutput = 6,     // written even when only text is wanted
  rvfqOwnsControlDirectly = 7,  // the item directly owns a control
  rvfqMouseResizable = 8,       // resizable with the mouse
  rvfqHandlesOutside = 9,       // resize handles are drawn outside the item
};

/// Codes of TCustomRVItemInfo::QueryFeatureForStyle.
enum TRVItemStyleFeature : int {
  rvsfPrintViaBitmap = 0,  // printed by rendering into a bitmap
  rvsfHyperlink = 1,       // the item is a hyperlink
  rvsfFocusable = 2,       // the item can take the input focus
  rvsfHoverDrawn = 3,      // the hyperlink looks different under the mouse
  rvsfDottedFocus = 4,     // a dotted frame marks the focused item
  rvsfSizesOwnPiece = 6,   // the item sizes its drawn piece itself (list markers)
};

/// Action codes of the document's item life-cycle hook (TCustomRVData::ItemAction).
enum TRVItemAction : int {
  rviaInserting = 0,         // the item is about to join a document (its text may be rewritten)
  rviaInserted = 1,          // the item has joined a document
  rviaTextModifying = 2,     // the item's text is about to be replaced
  rviaDestroying = 3,        // the item is about to be freed
  rviaMovingToUndoList = 4,  // the item leaves its document
};

/// Drawing state of an item (bits).
using TRVItemDrawStates = uint8_t;
constexpr TRVItemDrawStates rvidsSelected = 0x01;
constexpr TRVItemDrawStates rvidsHover = 0x02;
constexpr TRVItemDrawStates rvidsShowHot = 0x04;
constexpr TRVItemDrawStates rvidsControlFocused = 0x40;

/// What documents do with pictures on palette-based displays.
enum TRVPaletteAction : uint8_t {
  rvpaDoNothing,
  rvpaAssignPallette,
  rvpaCreateCopies,
  rvpaCreateCopiesEx,
};
/// A logical palette, null for none.
using TRVPalette = const std::vector<TPaletteEntry>*;

/// How the RVF reader takes the next line of a stream.
enum TRVFReadMode : uint8_t {
  rmText = 0,           // 8-bit text ended by CR LF, a lone CR or LF, or a zero byte
  rmBeforeBinary = 1,   // text ended by exactly CR LF; a binary line follows
  rmBinary = 2,         // int32 byte count and that many raw bytes
  rmBeforeUnicode = 3,  // text ended by exactly CR LF; UTF-16 lines follow
  rmUnicode = 4,        // UTF-16 ended by U+2029
  rmAfterUnicode = 5,   // the record's last UTF-16 line: U+2029 or the end of the data
};

/// Where the RVF reader is in a record.
enum TRVFReadState : uint8_t {
  rstHeader = 0,  // a header line is expected
  rstData = 1,    // the record's data lines are read
  rstSkip = 2,    // the record's remaining lines are counted without being read
};

/// Where the RVF reader stands in an item's record, handed to the item with each data line.
struct TRVFLineContext {
  TCustomRVData* RVData;     // the document being read into
  int ReadType;              // how the record stores its body (rvfrt...)
  int LineNo;                // the data line, counted from 0
  int LineCount;             // data lines in the record
  std::string& Name;         // receives the item's name
  TRVFReadMode& ReadMode;    // the item sets rmBeforeBinary when a binary line follows
  TRVFReadState& ReadState;  // the item sets rstSkip to skip the rest of the record
};

/// The fifth header field of an RVF item record: how its body is stored.
constexpr int rvfrtText = 0;    // data lines are text or hex text
constexpr int rvfrtNoBody = 1;  // the picture or control is not stored
constexpr int rvfrtBinary = 2;  // the body is one binary line

/// The format argument of TCustomRVItemInfo::BeforeLoading and AfterLoading for RVF.
constexpr int rvlfRVF = 3;

/// Integer properties of items, read and set by code; the code is also the index of the
/// property's RVF name in RVItemIntPropNames.
enum TRVItemIntPropCode : int {
  rvipUnknown = 0,  // an unknown name maps here; never handled
  rvipVShift = 1,
  rvipVShiftAbs = 2,
  rvipImageWidth = 3,
  rvipImageHeight = 4,
  rvipTransparent = 5,
  rvipTransparentMode = 6,
  rvipTransparentColor = 7,
  rvipMinHeightOnPage = 8,
  rvipSpacing = 9,
  rvipResizable = 10,
  rvipDeleteProtect = 11,
};
constexpr int rvipCount = 12;

/// The RVF names of the integer properties, indexed by code ("" for code 0).
extern const std::string_view RVItemIntPropNames[rvipCount];
/// The code of an RVF property name (case-sensitive), rvipUnknown when it names none.
TRVItemIntPropCode RVGetItemIntPropCode(std::string_view name);

// ---------------------------------------------------------------------------------------
// Item classes: a class is known by a TRVItemClass, which names it and constructs it.

/// A registered item class: its name and its virtual constructor.
struct TRVItemClassInfo {
  const char* Name;
  std::unique_ptr<TCustomRVItemInfo> (*Create)(TCustomRVData* RVData);
};
using TRVItemClass = const TRVItemClassInfo*;

/// Declares an item class's identity: its class name, its TRVItemClass (ItemClass(), also
/// answered by the virtual GetItemClass) and its construction through a constructor that
/// takes the owning document data.
#define ZUK_RV_ITEM_CLASS(Self)                                                                          \
 public:                                                                                                 \
  static TRVItemClass ItemClass() {                                                                      \
    static const TRVItemClassInfo info{#Self,                                                            \
                                       [](TCustomRVData* RVData) -> std::unique_ptr<TCustomRVItemInfo> { \
                                         return std::make_unique<Self>(RVData);                          \
                                       }};                                                               \
    return &info;                                                                                        \
  }                                                                                                      \
  TRVItemClass GetItemClass() const override {                                                           \
    return ItemClass();                                                                                  \
  }                                                                                                      \
  std::string ClassName() const override {                                                               \
    return #Self;                                                                                        \
  }

// ---------------------------------------------------------------------------------------

/// A checkpoint: a named, tagged mark carried by an item. The document links the records
/// of its items into a chain in item order (Next, Prev) and keeps ItemInfo and the cached
/// ItemNo up to date.
class TRVCPInfo : public TObject {
 public:
  std::string ClassName() const override { return "TRVCPInfo"; }

  /// Copies Name, RaiseEvent and the tag (a text tag as a new copy when tagsArePChars).
  void Assign(const TRVCPInfo& source, bool tagsArePChars);
  /// A new unlinked record assigned from `source`.
  static std::unique_ptr<TRVCPInfo> Duplicate(const TRVCPInfo& source, bool tagsArePChars);

  std::string Name;
  bool RaiseEvent = false;  // an event is wanted when the checkpoint becomes visible
  TRVTag Tag;
  TRVCPInfo* Next = nullptr;
  TRVCPInfo* Prev = nullptr;
  TCustomRVItemInfo* ItemInfo = nullptr;  // the item that carries the record
  int32_t ItemNo = -1;                    // cached index of ItemInfo, refreshed on demand
};

/// The base of every document item. Items are made through their class's constructor that
/// takes the owning document data (the factory below, duplication, or directly).
class TCustomRVItemInfo : public TPersistent {
 public:
  static TRVItemClass ItemClass();
  /// The class of this object, used to construct copies of it.
  virtual TRVItemClass GetItemClass() const { return ItemClass(); }
  std::string ClassName() const override { return "TCustomRVItemInfo"; }

  explicit TCustomRVItemInfo(TCustomRVData* RVData);
  TCustomRVItemInfo(const TCustomRVItemInfo&) = delete;
  TCustomRVItemInfo& operator=(const TCustomRVItemInfo&) = delete;

  // Option bits. At most one of rvioJoinsPrevious, rvioPageBreak and rvioLineBreak is set.
  bool GetSameAsPrev() const { return (ItemOptions & rvioJoinsPrevious) != 0; }
  bool GetBR() const { return (ItemOptions & rvioLineBreak) != 0; }
  bool GetPageBreakBefore() const { return (ItemOptions & rvioPageBreak) != 0; }
  /// True sets rvioJoinsPrevious and clears the page and line breaks; false clears it.
  void SetSameAsPrev(bool Value);
  /// True sets rvioLineBreak (clearing rvioJoinsPrevious) unless the item takes a whole
  /// line; every other case clears rvioLineBreak.
  void SetBR(bool Value);
  /// True sets rvioPageBreak and clears the other two line marks; false clears it.
  void SetPageBreakBefore(bool Value);
  /// The item starts a paragraph: neither rvioJoinsPrevious nor rvioLineBreak.
  bool IsParaStart() const { return (ItemOptions & (rvioJoinsPrevious | rvioLineBreak)) == 0; }
  /// The paragraph rule of adding items and of reading RVF: an item without a paragraph
  /// style of its own (ParaNo -1) continues the paragraph of Before unless there is none or
  /// Before takes a whole line.
  static bool ContinuesParagraph(const TCustomRVItemInfo* Before, int32_t ParaNo);
  /// Applies that rule: joins Before's paragraph, or starts one of style ParaNo (0 for -1).
  void PlaceInParagraph(const TCustomRVItemInfo* Before, int32_t ParaNo);
  bool IsTwoByteText() const { return (ItemOptions & rvioTwoByteText) != 0; }
  bool IsTextItem() const { return StyleNo >= 0; }

  // ---- virtual operations -------------------------------------------------------------

  /// Narrowest width the item can take, in device pixels: 20 scaled by device over screen
  /// pixels per inch (horizontal) when a record is given.
  virtual int32_t GetMinimumWidth(const TRVFormatScale* ScreenAndDevice, TCanvas* Canvas);
  virtual TGraphic* GetItemPicture() { return nullptr; }
  /// True for rvfqHasContent, rvfqHasRVFDataLines and codes of 10 and above.
  virtual bool QueryFeature(int Code) const;
  /// True for rvsfPrintViaBitmap only.
  virtual bool QueryFeatureForStyle(int Code, TRVStyle* Style) const;
  /// Paints an item that takes a whole line across it.
  virtual void PaintFullWidth(int32_t Left, int32_t Right, int32_t Top, TCanvas& Canvas,
                              TRVItemDrawStates State, TRVStyle* Style, const TRect& ClipRect,
                              TRVDrawLineInfo* DrawItem);
  /// Paints an inline item at (X, Y).
  virtual void Paint(int32_t X, int32_t Y, TCanvas& Canvas, TRVItemDrawStates State, TRVStyle* Style,
                     TRVDrawLineInfo* DrawItem);
  /// Renders the item into a bitmap sized for it; true when it drew.
  virtual bool PrintToBitmap(TBitmap& Bitmap, bool Preview, TCustomRVData* RVData, TRVColorMode ColorMode,
                             int PartIndex, TRVDrawLineInfo* DrawItem);
  /// Prints the item straight onto the printer canvas at (X, Y); Correction asks text to be
  /// fitted to the widths it was formatted with (a preview at another resolution).
  virtual void PrintDirect(TCanvas& Canvas, int32_t X, int32_t Y, bool Preview, bool Correction,
                           TCustomRVData* RVData, TRVColorMode ColorMode, int PartIndex,
                           TRVDrawLineInfo* DrawItem);
  virtual int32_t GetImageWidth(TRVStyle* Style) const;
  virtual int32_t GetImageHeight(TRVStyle* Style) const;
  virtual int32_t GetOuterSpacingH() const { return 0; }
  virtual int32_t GetOuterSpacingV() const { return 0; }
  /// A new drawn piece for the item; a plain TRVDrawLineInfo by default.
  virtual std::unique_ptr<TRVDrawLineInfo> CreateDrawItem(TCustomRVData* RVData,
                                                          const TRVFormatScale* ScreenAndDevice);
  /// Runs before the item joins RVData (or, with Clearing, before the document's texts are
  /// converted while it clears); the document then tells its own hook. Nothing by default.
  virtual void Inserting(TCustomRVData* RVData, bool Clearing) { (void)RVData, (void)Clearing; }
  /// Runs after the item joined RVData at ItemNo. Nothing by default.
  virtual void Inserted(TCustomRVData* RVData, int ItemNo) { (void)RVData, (void)ItemNo; }
  /// Asked by formatting with the width available on the line: how far the item reaches
  /// below the baseline (1) and a horizontal offset for its placement (0).
  virtual void GetWidthRequirements(int32_t Width, TRVDrawLineInfo* DrawItem, bool Printing, TCanvas* Canvas,
                                    TCustomRVData* RVData, const TRVFormatScale* ScreenAndDevice,
                                    bool FormatFlag, int32_t& Descent, int32_t& Offset);
  /// Background of a part of the item printed on a page; answers `Top` unchanged.
  virtual int32_t DrawBackgroundForPrinting(int32_t Top, TCanvas& Canvas, const TRect& ItemRect,
                                            TRVColorMode ColorMode);

  // ---- hooks of the writers, the editor, the formatted data and the tables -------------

  /// The item-specific tail of the RVF item header; empty by default.
  virtual std::string GetRVFHeaderParams(TCustomRVData* RVData) const;
  /// Number of "name=value" extra-property lines SaveRVFExtraProperties writes.
  virtual int CountRVFExtraProperties() const { return 0; }
  virtual void SaveRVFExtraProperties(TStream& Stream) const { (void)Stream; }
  /// Copies the item's own properties from an item of the same kind: StyleNo, ParaNo and
  /// ItemOptions here; subclasses copy their fields and call the parent's.
  virtual void CopyProperties(const TCustomRVItemInfo& Source);
  /// True when the item owns `Control`.
  virtual bool OwnsControl(const TObject* Control) const;
  /// Palette settings of the document the item belongs to.
  virtual void UpdatePaletteInfo(TRVPaletteAction Action, bool ForceRecreateCopy, TRVPalette Palette);
  /// The item leaves RVData: tells the document's hook rviaMovingToUndoList.
  virtual void DetachFromData(TCustomRVData* RVData, int ItemNo);
  /// The item joins RVData.
  virtual void AttachToData(TCustomRVData* RVData, int ItemNo);
  /// Gives the input focus to what the item holds.
  virtual void Focus() {}
  /// The mouse cursor over a non-text hyperlink item: the style sheet's JumpCursor
  /// (crDefault without a sheet).
  virtual TCursor GetJumpCursor(TRVStyle* Style) const;
  /// Fires the item's hyperlink; nothing by default.
  virtual void FireJump(TCustomRVData* RVData);
  /// Writes the item's HTML (RVHTMLWriter.h): Text is the item text, CurrentFileColor the
  /// colour pictures are painted on when saved as files, Bullets the export's image cache
  /// (null: the item's images are not shared with other items).
  /// False when something of the item could not be written (a picture without pixels);
  /// the base writes nothing. Defined in RVItemHTML.cpp.
  virtual bool SaveHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                        const std::string& Path, const std::string& ImagesPrefix, int& imgSaveNo,
                        TColor CurrentFileColor, TRVHTMLSaveOptions Options, bool UseCSS,
                        TRVHTMLBulletList* Bullets);
  /// The plain-text form of a non-text item, asked by the plain-text writer of RVData with
  /// the item text, the line width in characters and Path (for embedded controls). UTF-16
  /// bytes when Unicode (the writer sets it only for items answering rvfqUnicodePlainText).
  /// The base gives an empty text. Defined in RVItemPlainText.cpp.
  virtual std::string GetPlainText(int32_t LineWidth, TCustomRVData* RVData, const std::string& Text,
                                   const std::string& Path, bool TextOnly, bool Unicode);
  /// Marks the styles the item uses (entries set to 1): its paragraph style here.
  virtual void MarkStylesInUse(TRVIntegerList& UsedTextStyles, TRVIntegerList& UsedParaStyles,
                               TRVIntegerList& UsedListStyles) const;
  /// Renumbers the item's styles after unused ones were removed: each number decreases by
  /// its map entry minus 1.
  virtual void RenumberStyles(const TRVIntegerList& TextStylesMap, const TRVIntegerList& ParaStylesMap,
                              const TRVIntegerList& ListStylesMap);
  /// Enumerates the item's sub-documents (table cells). Direction 0 first, 4 next, 1 last,
  /// 5 previous; State belongs to the caller. None by default: State reset, null answered.
  virtual TCustomRVData* GetSubDocument(std::unique_ptr<TRVStoreSubRVData>& State, int Direction);
  /// The sub-document at a point of the item, null when none.
  virtual TCustomRVData* GetSubDocumentAt(int32_t X, int32_t Y) {
    (void)X, (void)Y;
    return nullptr;
  }
  /// Clears the item's remembered focused part and gives up its focus.
  virtual void ClearFocusHook() {}
  /// The focus left the item: its focused part drops its selection without telling anyone.
  virtual void FocusLost() {}
  /// Hands a notice about Control to the document inside the item that holds it; false when
  /// none does.
  virtual bool ControlAction(TRVControlAction Action, const TObject* Control) {
    (void)Action, (void)Control;
    return false;
  }
  /// Bracket work during which the item must not react to the mouse (writing its parts).
  virtual void BeginBusy() {}
  virtual void EndBusy() {}

  // ---- mouse and focus inside items that hold documents (tables); nothing by default ----

  /// Whether Editor is the item's own in-place editor.
  virtual bool OwnsInplaceEditor(const TWinControl* Editor) const {
    (void)Editor;
    return false;
  }
  /// Ends editing inside the item, keeping what was typed (a table closes its cell editor).
  virtual void FinishEditing() {}
  /// Mouse input at (X, Y) relative to the item's drawn piece, in document RVData where the
  /// item is ItemNo. A press or move the item handled answers true: the document then makes
  /// no selection (press) and sets no cursor (move) of its own.
  virtual bool MouseDownHook(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, int ItemNo,
                             TCustomRVData* RVData);
  virtual bool MouseMoveHook(TShiftState Shift, int32_t X, int32_t Y, int ItemNo, TCustomRVData* RVData);
  virtual void MouseUpHook(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, int ItemNo,
                           TCustomRVData* RVData);
  /// Stores the item's client position in RVData before a point is looked up inside it.
  virtual void RefreshClientCoords(TCustomRVData* RVData) { (void)RVData; }
  /// Moves the keyboard focus to the next (previous) focusable item inside the item; false
  /// when there is none.
  virtual bool MoveFocusInside(bool GoForward, TCustomRVData*& FocusedData, int& FocusedItemNo);
  /// The keyboard focus left Control, which lives inside the item: the item remembers the
  /// part that holds it, so that the next focus move starts there, and names that part's
  /// document and item in FocusedData and FocusedItemNo. Nothing by default.
  virtual void FocusFromControl(const TObject* Control, TCustomRVData*& FocusedData, int& FocusedItemNo) {
    (void)Control, (void)FocusedData, (void)FocusedItemNo;
  }
  /// The cell at a point relative to the item; false for items without cells.
  virtual bool GetCellAtPoint(int32_t X, int32_t Y, int& Row, int& Col);
  /// Whether the cell may be edited.
  virtual bool CanEditCell(int Row, int Col);
  /// Tells the application that a cell was clicked.
  virtual void DoCellClick(int Row, int Col) { (void)Row, (void)Col; }
  /// Adds the hyperlink areas of the item's documents to List (areas of formatted documents,
  /// which the formatting layer defines), moved by (Left, Top), the item's drawn position,
  /// numbered on from StartJumpNo, which it advances. Nothing by default.
  virtual void BuildSubJumps(int32_t Left, int32_t Top, TObjectList<TRVJumpInfo>& List, int& StartJumpNo);
  /// Whether the item holds a selection of its own inside (selected cells).
  virtual bool HasInnerSelection() const { return false; }
  /// Drops that selection.
  virtual void DropInnerSelection() {}
  /// Integer properties by code; false when the item does not know the code.
  virtual bool SetIntPropertyByCode(int Code, int32_t Value);
  virtual bool GetIntPropertyByCode(int Code, int32_t& Value) const;

  // ---- RTF (RVItemRTF.cpp) -----------------------------------------------------------

  /// Writes the item's RTF (see RVRTFWriter.h): Text is the item text, tpp twips per pixel,
  /// Level the nesting level (0 in the main document); the tables are the export's shared
  /// colour, font and list-override tables. The base writes nothing.
  virtual void SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                       double tpp, int Level, TRVColorList& ColorList, TRVIntegerList& StyleToFont,
                       TRVIntegerList& ListOverrideCounts, TRVIntegerList& ListOverrideOffsets,
                       TRVRTFFontTable& FontTable);
  /// Adds the colours and list overrides the item's RTF needs to the export's tables; the
  /// base adds nothing.
  virtual void FillRTFTables(TRVColorList& ColorList, TRVIntegerList& ListOverrideCounts,
                             TCustomRVData* RVData);

  // ---- RVF (RVItemRVF.cpp) -----------------------------------------------------------

  /// Reads the item's own header fields, P being what follows the tag; false refuses the
  /// record (and fails the read). The base accepts anything.
  virtual bool ReadRVFHeaderParams(std::string_view& P, TCustomRVData* RVData);
  /// One data line S of the item's record, at the place Context gives. False fails the read.
  virtual bool ReadRVFLine(std::string_view S, TRVFLineContext& Context);
  /// Writes the item's whole record: header and data lines. ParaNo is the paragraph number
  /// to reference (-1: the item continues its paragraph); Name is the item's text; Part, when
  /// not null, is the printed part of the item to write alone (a table's rows on one page).
  /// Text items are written by the document's writer; the base writes nothing.
  virtual void SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo,
                       const std::string& Name, const TRVMultiDrawItemPart* Part, bool ForceSameAsPrev);
  /// Called with rvlfRVF when the RVF reader made the item, before its header fields are
  /// read, and after it joined its document (not while reading from a component stream).
  virtual void BeforeLoading(int Format) { (void)Format; }
  virtual void AfterLoading(int Format) { (void)Format; }
  /// The "name=value" extra-property lines written by SaveRVFExtraProperties, applied back.
  /// A line without "=" is ignored; a bad value reads as 0.
  void ReadRVFExtraProperty(std::string_view Line);

  // ---- fields, in declaration order ---------------------------------------------------

  TRVItemStyleNo StyleNo = 0;
  /// Paragraph style; -1 while an item moves between documents: it then takes the
  /// paragraph of the item before it.
  int32_t ParaNo = 0;
  TRVItemOptions ItemOptions = 0;
  std::unique_ptr<TRVCPInfo> Checkpoint;
  int32_t JumpID = 0;
  TRVTag Tag;
  int32_t DrawItemNo = -1;
};

/// Items without text of their own.
class TRVNonTextItemInfo : public TCustomRVItemInfo {
  ZUK_RV_ITEM_CLASS(TRVNonTextItemInfo)

 public:
  explicit TRVNonTextItemInfo(TCustomRVData* RVData) : TCustomRVItemInfo(RVData) {}

  virtual int32_t GetTotalHeight() const { return 0; }
  virtual int32_t GetTotalWidth() const { return 0; }
  virtual int32_t GetHorizontalOffset() const { return 0; }
  /// How far below the item's top the soft page break at place Index inside it lies (a
  /// break between table rows); 0 for items that are not split.
  virtual int32_t GetSoftPageBreakDY(int Index) const {
    (void)Index;
    return 0;
  }
  virtual void SetControlPosition(int32_t Left, int32_t Top, bool RestoreTop) {
    (void)Left, (void)Top, (void)RestoreTop;
  }

  int CountRVFExtraProperties() const override;
  void SaveRVFExtraProperties(TStream& Stream) const override;
  void CopyProperties(const TCustomRVItemInfo& Source) override;
  bool SetIntPropertyByCode(int Code, int32_t Value) override;
  bool GetIntPropertyByCode(int Code, int32_t& Value) const override;

  /// The editor may not delete the item (RVF "unremovable").
  bool DeleteProtect = false;
};

/// Items that take a whole line (the break, the table).
class TRVFullLineItemInfo : public TRVNonTextItemInfo {
  ZUK_RV_ITEM_CLASS(TRVFullLineItemInfo)

 public:
  explicit TRVFullLineItemInfo(TCustomRVData* RVData) : TRVNonTextItemInfo(RVData) {}
  bool QueryFeature(int Code) const override;
};

/// Inline rectangles (pictures, image-list images, controls, list markers).
class TRVRectItemInfo : public TRVNonTextItemInfo {
  ZUK_RV_ITEM_CLASS(TRVRectItemInfo)

 public:
  explicit TRVRectItemInfo(TCustomRVData* RVData) : TRVNonTextItemInfo(RVData) {}

  int32_t GetOuterSpacingH() const override { return Spacing; }
  int32_t GetOuterSpacingV() const override { return Spacing; }
  virtual int32_t GetSpacing() const { return Spacing; }
  /// The vertical alignment from the header tail, 0 when the tail is empty.
  bool ReadRVFHeaderParams(std::string_view& P, TCustomRVData* RVData) override;

  int CountRVFExtraProperties() const override;
  void SaveRVFExtraProperties(TStream& Stream) const override;
  void CopyProperties(const TCustomRVItemInfo& Source) override;
  bool SetIntPropertyByCode(int Code, int32_t Value) override;
  bool GetIntPropertyByCode(int Code, int32_t& Value) const override;

  /// Above 0: the item may be split across pages, no piece shorter than this.
  int32_t MinHeightOnPage = 0;
  /// 0 stands on the baseline; any other value centres the item on it.
  uint8_t VAlign = 0;
  int32_t VShift = 0;  // percent of the height, or pixels with VShiftAbs
  bool VShiftAbs = false;
  int32_t Spacing = 1;  // margin on all four sides, never negative
};

/// Text in a text style; the item text is 8-bit, or UTF-16 with rvioTwoByteText.
class TRVTextItemInfo : public TCustomRVItemInfo {
  ZUK_RV_ITEM_CLASS(TRVTextItemInfo)

 public:
  explicit TRVTextItemInfo(TCustomRVData* RVData) : TCustomRVItemInfo(RVData) {}

  /// Hyperlink (codes 1, 2 and 4) from the text style's Jump flag; hover drawing (3) when the
  /// style is a hyperlink that the sheet draws differently under the mouse.
  bool QueryFeatureForStyle(int Code, TRVStyle* Style) const override;
  /// A hyperlink item fires its link through the document (TCustomRVData::DoItemJump).
  void FireJump(TCustomRVData* RVData) override;
  void MarkStylesInUse(TRVIntegerList& UsedTextStyles, TRVIntegerList& UsedParaStyles,
                       TRVIntegerList& UsedListStyles) const override;
  void RenumberStyles(const TRVIntegerList& TextStylesMap, const TRVIntegerList& ParaStylesMap,
                      const TRVIntegerList& ListStylesMap) override;
};

// ---------------------------------------------------------------------------------------
// Registry and factory.

/// Registers an item class under a style number of -12 or below (see rvsLastReservedStyleNo).
/// Registering the same class again does nothing. A number of -9 or above, or one another
/// class holds, raises ERVError "Can't register RV item type - this StyleNo is already
/// registered" and leaves the registry unchanged.
void RVRegisterItemClass(TRVItemStyleNo StyleNo, TRVItemClass ItemClass);
/// The class registered under StyleNo, null when none.
TRVItemClass RVFindRegisteredItemClass(TRVItemStyleNo StyleNo);

/// Installs the class the factory makes for a built-in non-text number (rvsBreak,
/// rvsPicture, rvsHotspot, rvsComponent, rvsBullet, rvsHotPicture, rvsListMarker); the
/// units of those kinds call it at start-up. Any other number raises ERVError.
void RVSetBuiltInItemClass(TRVItemStyleNo StyleNo, TRVItemClass ItemClass);
/// The class installed for a built-in number, null when none.
TRVItemClass RVGetBuiltInItemClass(TRVItemStyleNo StyleNo);

/// The class made for style numbers of 0 or more (TRVTextItemInfo unless replaced).
TRVItemClass RVGetTextItemClass();
void RVSetTextItemClass(TRVItemClass ItemClass);

/// A new item for StyleNo (text class, built-in class, then the registry, in this order),
/// with StyleNo set; null for a number that nothing is known under.
std::unique_ptr<TCustomRVItemInfo> RVCreateItemByStyleNo(TRVItemStyleNo StyleNo, TCustomRVData* RVData);
/// A copy of Item of the same class: its own properties, its own checkpoint record and its
/// own copy of the tag (as RVData's tag kind sees it).
std::unique_ptr<TCustomRVItemInfo> RVDuplicateItem(const TCustomRVItemInfo& Item, TCustomRVData* RVData);
