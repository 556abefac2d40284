// TRVEditRVData: the document data of the editor control (RVEdit.h). It is the viewer's
// document data plus what editing needs: the caret and the caret positions of its screen
// line, the current text and paragraph styles for typing, the undo and redo lists with the
// mode that says which of them receives records, the item resizer, and the editing
// operations. Every change to the item list goes through the undo-recording primitives
// (the Do_ methods); the higher operations are sequences of them inside one undo group.
//
// The class is large because the editing operations share the caret state; its methods are
// split over files by area (RVERVData.cpp, RVERVDataPrimitives.cpp, RVERVDataDelete.cpp,
// RVERVDataCaret.cpp, RVERVDataKeys.cpp, RVERVDataInsert.cpp, RVERVDataStyles.cpp,
// RVERVDataServices.cpp).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/core/Classes.h"
#include "richtext/core/RVFontInfo.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/editor/RVUndo.h"
#include "richtext/viewer/RVRVData.h"

class TControl;
class TCustomRVEdit;
class TRVItemResizer;
class TRVMarkerItemInfo;
class TStream;

// State bits of the editor's document data (TCustomRVData::StateFlags), by their roles.
constexpr TRVDataStates rvstKeyConsumed = 1u << 20;         // the last key-down inserted its characters
constexpr TRVDataStates rvstWorkingForUndo = 1u << 21;      // a scratch document replays cell undo
constexpr TRVDataStates rvstSkipNextFormatting = 1u << 22;  // the next FormatLines only clears this bit
constexpr TRVDataStates rvstNoCaretChange = 1u << 26;       // the caret is neither moved nor shown
constexpr TRVDataStates rvstCaretSuppressed = 1u << 27;     // the caret is hidden
constexpr TRVDataStates rvstFinishing = 1u << 28;           // an inner document is finishing its edit
constexpr TRVDataStates rvstStylesFromCaret = 1u << 29;     // take the current styles from the caret
constexpr TRVDataStates rvstJumpHighlighted = 1u << 30;     // the caret's hyperlink is shown hovered
constexpr TRVDataStates rvstStyleChangePending = 1u << 31;  // a style change waits for the caret
constexpr TRVDataStates rvstInsertingAtCaret = 1u << 23;    // stream content goes in at the caret

/// Which list receives records (TRVEditRVData::UndoMode).
constexpr uint8_t rvumNone = 0;
constexpr uint8_t rvumUndo = 1;
constexpr uint8_t rvumRedo = 2;

/// The caret's size: width, pixels added above and below, and the greatest height.
inline int32_t RVCaretWidth = 1;
inline int32_t RVExtraCaretHeight = 0;
inline int32_t RVMaxCaretHeight = 1000;

/// Where the caret leaves the document (TCustomRVEdit::OnCaretGetOut), and the directions of
/// cell navigation.
enum TRVGetOutDirection : uint8_t {
  rvdLeft = 0,
  rvdUp = 1,
  rvdRight = 2,
  rvdDown = 3,
  rvdTop = 4,     // the start of the document
  rvdBottom = 5,  // the end of the document
  rvdNext = 6,    // the next cell in reading order
  rvdPrev = 7,    // the previous cell
};

/// One caret position on the caret's screen line.
class TRVCharPos : public TCollectionItem {
 public:
  std::string ClassName() const override { return "TRVCharPos"; }
  /// Copies X, DrawItemNo and Offset (not MoveRightTo).
  void Assign(const TPersistent* Source) override;

  int32_t X = 0;            // document x of the position
  int32_t DrawItemNo = -1;  // the draw item that holds it
  /// Inside that draw item: text 1 before the first character, length + 1 after the last;
  /// other items 0 before, 1 after.
  int32_t Offset = -1;
  /// The caret is drawn at X + MoveRightTo - 1: 2 at the right edge of a non-text item.
  int32_t MoveRightTo = 1;
};

/// The caret positions of the caret line from left to right.
class TRVCharPosCollection : public TCollection {
 public:
  TRVCharPosCollection() : TCollection(CollectionItemClass<TRVCharPos>()) {}
  std::string ClassName() const override { return "TRVCharPosCollection"; }
  TRVCharPos* Items(int Index) const { return static_cast<TRVCharPos*>(TCollection::Items(Index)); }
  TRVCharPos* operator[](int Index) const { return Items(Index); }
  TRVCharPos* Add() { return static_cast<TRVCharPos*>(TCollection::Add()); }
};

class TRVEditRVData : public TRVViewerRVData {
 public:
  explicit TRVEditRVData(TCustomRVViewer* Viewer);
  ~TRVEditRVData() override;
  std::string ClassName() const override { return "TRVEditRVData"; }

  // ---- document data ------------------------------------------------------------------

  /// The editor that owns the data (null for a data whose viewer is no editor).
  TCustomRVEdit* Editor() const;
  bool IsEditData() const override { return true; }
  /// Down the chain of cell editors; the innermost editor's document (one without a cell
  /// editor of its own) performs the message on its editor.
  bool PassToInplaceEditor(uint32_t Msg, WPARAM WParam, LPARAM LParam) override;
  /// Empties the caret line and frees the resizer, then the inherited clear.
  void ClearDrawLines() override;
  /// Clears the document and both lists; the styles go back to 0 and are taken from the
  /// caret after the next formatting.
  void Clear() override;
  /// The inherited layout with the caret carried over (see the implementation).
  void FormatLines(bool KeepPosition, bool Repaint, bool NoScrollRestore, int Depth, TCanvas* Canvas,
                   bool OnlyTail, bool LayoutFlag) override;
  /// The list that receives records now, null when nothing is recorded.
  TRVUndoList* GetUndoList();
  /// Opens an undo group in UndoList, after letting an inner document finish its edit when
  /// AllowFinalize.
  void BeginUndoSequence(TRVUndoType UndoType, bool AllowFinalize);
  void BeginNamedUndoSequence(TRVUndoType UndoType, const std::string& Caption, bool AllowFinalize);
  /// Opens a group in RedoList (while an undo group is performed).
  void BeginRedoSequence(TRVUndoType UndoType, const std::string& Caption);
  /// Group mode of UndoList on (True) or off, counted.
  void SetUndoGroupMode(bool On);
  /// Formats the whole document again unless locked (or read-only without Force); answers
  /// what the formatting reports, 0 when nothing was done.
  virtual int Reformat(bool Force);
  /// After a cell editor re-formatted: leaves hyperlink mode, dropping the hyperlink areas
  /// but keeping the layout, and places the caret again.
  virtual void UpdateAfterReformat();
  /// A new text item for RVData with Source's properties, marks, Unicode bit and tag, but
  /// without checkpoint, line break or page break.
  static std::unique_ptr<TCustomRVItemInfo> RV_CreateTextCopy(const TCustomRVItemInfo& Source,
                                                              TCustomRVData* RVData);

  int32_t LastTextStyleNo = 0;
  std::unique_ptr<TRVItemResizer> Resizer;
  TControl* ResizingControl = nullptr;
  int32_t CaretHeight = 0;
  std::unique_ptr<TRVCharPosCollection> CharPositions;
  int32_t CurTextStyleNo = 0;
  int32_t CurParaStyleNo = 0;
  std::unique_ptr<TRVUndoList> UndoList;
  std::unique_ptr<TRVUndoList> RedoList;
  uint8_t UndoMode = rvumNone;
  int32_t CaretDrawItemNo = -1;
  int32_t CaretOffs = -1;
  /// Above 0 while updates are locked: no re-formatting, no scrolling to the caret.
  int UpdateLockCount = 0;
  /// The document's minimal width found by the last full formatting (the width the
  /// primitives compare with to decide on a full re-format).
  int32_t DocMinWidth = 0;

  // ---- undo-recording primitives -------------------------------------------------------
  // Each changes one thing and, when GetUndoList is not null, first appends the record
  // that reverses it. None re-formats or moves the caret. FullReformat reports that the
  // document's minimal width may have changed.

  /// The last item of the paragraph that continues after ItemNo.
  int GetParaEndItemNo(int ItemNo) const;
  /// Gives First..Last the paragraph style ParaNo (protected paragraphs only where they
  /// continue one that has it); records nothing.
  void SetParaNoRange(int First, int Last, bool& FullReformat, int32_t ParaNo);
  void Do_DeleteItem(int ItemNo, bool& FullReformat);
  void Do_DeleteItems(int First, int Last, bool& FullReformat);
  /// Count -1 deletes to the end of the text.
  void Do_DeleteSubstring(int ItemNo, int Index, int Count);
  void Do_InsertItem(int ItemNo, std::string& S, std::unique_ptr<TCustomRVItemInfo> Item, bool AttachToData,
                     bool& FullReformat);
  TRVUndoInsertItemsInfo* Do_BeginInsertItems(int ItemNo, int Count);
  void Do_EndInsertItems(int ItemNo, int Count, bool& FullReformat, TRVUndoInsertItemsInfo* Record);
  /// Inserts List's entries one by one at ItemNo (a list in reverse order comes back in
  /// document order); List is left empty.
  void Do_ReinsertItems(int ItemNo, TRVItemList& List, bool& FullReformat, bool AttachToData);
  void Do_InsertSubstring(int ItemNo, int Index, const std::string& S);
  void Do_ChangeText(int ItemNo, const std::string& S);
  /// ParaNo -1: none.
  void Do_NewLine(int ItemNo, bool SameAsPrev, int32_t ParaNo, bool& FullReformat);
  void Do_BR(int ItemNo, bool BR, bool& FullReformat);
  void Do_PageBreak(int ItemNo, bool PageBreak);
  void Do_ParaList(int First, int Last, bool& FullReformat, int32_t ParaNo);
  void Do_ParaNos(int ItemNo, const TRVIntegerList& List, bool& FullReformat);
  void Do_StyleNo(int ItemNo, int32_t StyleNo);
  void Do_Tag(int ItemNo, const TRVTag& Tag, bool AssignAsIs);
  /// ItemNo -1: the end of the document.
  void Do_AddCP(int ItemNo, std::unique_ptr<TRVCPInfo> Checkpoint);
  void Do_DeleteCP(int ItemNo);
  void Do_Resize(int ItemNo, int32_t Width, int32_t Height, bool Notify);
  /// Sets integer property PropName of SubObject (null: the item) by name; answers the
  /// record written, null when the value was equal or nothing is recorded.
  TRVUndoModifyItemProps* DoModifyItemIntProperty(int ItemNo, TPersistent* SubObject,
                                                  TRVUndoModifyItemPropsClass RecordClass, bool AffectWidth,
                                                  bool AffectSize, int32_t Value,
                                                  const std::string& PropName);
  TRVUndoModifyItemProps* DoModifyItemIntProperties(int ItemNo, TPersistent* SubObject,
                                                    TRVUndoModifyItemPropsClass RecordClass, bool AffectWidth,
                                                    bool AffectSize, const TRVIntPropertyList& PropList);
  /// False when the item does not know property Prop.
  bool Do_ExtraIntProperty(int ItemNo, int Prop, int32_t Value);
  void AddModifyItemTerminator(int ItemNo, bool Opening);
  void Do_ReformateRange(int First, int Last, bool FullRootReformat);

 private:
  /// Puts Item with text S in at ItemNo with the insert, marker, attach and palette hooks;
  /// S receives the stored text.
  void InsertItemWithHooks(int ItemNo, std::string& S, std::unique_ptr<TCustomRVItemInfo> Item,
                           bool AttachToData);
  /// Takes the item at ItemNo out of the list into Record's keeping (recording) or frees it.
  std::unique_ptr<TCustomRVItemInfo> TakeItemOut(int ItemNo, bool Recording);
  /// Whether a width change from Before to After may change the document's minimal width.
  bool WidthChangeAffectsDoc(int32_t Before, int32_t After) const;
  /// Bytes a character of the item takes: 2 for UTF-16 text, else 1.
  int CharSize(int ItemNo) const;
  /// Runs Change between the item's hooks around a change of its properties by name (a
  /// table stops treating its setters as undoable meanwhile).
  void ChangeItemProperties(TCustomRVItemInfo* Item, const std::function<void()>& Change);
  /// Appends a new record of class R for ItemNo to the list that receives records now;
  /// null when nothing is recorded.
  template <typename R>
  R* Record(int ItemNo, TRVUndoAction Action);

 public:
  // ---- deletion, merging and Enter ----------------------------------------------------

  bool CanDelete();
  /// Deletes the selection as one undo group; False (with a beep) when refused.
  bool DeleteSelection();
  /// Joins item ItemNo + 1 into item ItemNo.
  void MergeItems(int ItemNo);
  /// Soft: a line break inside the paragraph.
  void OnEnterPress(bool Soft);
  std::unique_ptr<TCustomRVItemInfo> CreateTextItem(const TRVTag& Tag, int32_t ParaNo, bool BR,
                                                    bool SameAsPrev, int32_t StyleNo);
  void InsertTextItem(int ItemNo, std::string S, const TRVTag& Tag, int32_t ParaNo, bool BR, bool SameAsPrev,
                      int32_t StyleNo, bool& FullReformat);
  void InsertEmptyTextItem(int ItemNo, const TRVTag& Tag, int32_t ParaNo, bool BR, bool SameAsPrev,
                           int32_t StyleNo, bool& FullReformat);
  void FormatAfterEdit(bool FullReformat, int FirstDrawItemNo, int LastDrawItemNo, int ItemsAdded);
  /// Inserts a prepared item at the caret; False when refused (the item is then freed).
  bool InsertItemAtCaret(std::unique_ptr<TCustomRVItemInfo>& Item, std::string& S, int& InsertItemNo,
                         int& ItemsAdded, bool& FullReformat);
  /// InsertItemAtCaret, then formatting and the caret after the new item; beeps when refused.
  bool InsertItemAtCaretAndFormat(std::unique_ptr<TCustomRVItemInfo> Item, std::string S);
  /// Clears the marks that place an item in its line (joins previous, line and page break).
  static void ClearLineMarks(TCustomRVItemInfo& Item);
  /// Cuts text item ItemNo at Offs: the rest goes to a new item after it on the same line.
  void SplitTextItem(int ItemNo, int Offs, bool& FullReformat);
  /// Joins item ItemNo + 1 into ItemNo when CanMergeItems allows it; the two positions
  /// (item, offset) keep pointing at the same characters. Answers whether it joined them.
  bool MergeKeepingPositions(int ItemNo, int& ItemNo1, int& Offs1, int& ItemNo2, int& Offs2);
  /// The caret's item and its offset in that item; -1 and -1 when there is no caret.
  void GetCaretItemPos(int& ItemNo, int& Offs) const;
  /// Puts the caret at an item position of the formatted document and places it.
  void PlaceCaretAtItem(int ItemNo, int Offs, bool DontChangeStyles);
  /// The draw items of the caret's paragraph with one more paragraph on each side: the range
  /// an edit at the caret lays out again.
  void GetCaretParaDrawRange(int& FirstDrawItemNo, int& LastDrawItemNo) const;

  // ---- caret line and placement --------------------------------------------------------

  /// Rebuilds CharPositions for the line of CaretDrawItemNo and finds the wanted offset
  /// (given as offset - 2).
  void OnChangeCaretLine(int WantedOffsetMinus2);
  void ChangeCaret(bool ForceCreate, bool ScrollToCaret, bool DontChangeStyles, bool UpdateFirst);
  /// An empty document with a style sheet gets one empty text item in the current styles.
  void PrepareEmptyDocument();
  void SetCaretJump(int JumpIndex);
  void ClearCaretJump();

 private:
  /// Creates, moves or removes the system caret for CharPositions[CaretOffs].
  void PlaceSystemCaret(bool ForceCreate);
  /// The current styles, the caret's control item and the highlighted hyperlink follow the
  /// caret's item.
  void FollowCaretItem(bool DontChangeStyles);

 public:
  // ---- caret movement keys ----------------------------------------------------------------
  // The movement routines answer True when the caret cannot move (document start or end).

  bool OnHomePress(bool ToDocStart);
  bool OnEndPress(bool ToDocEnd);
  bool OnLeftPress(bool Shift, bool Ctrl);
  bool OnRightPress(bool Shift, bool Ctrl);
  bool OnUpPress(bool Shift, bool Ctrl);
  bool OnDownPress(bool Shift, bool Ctrl);
  bool OnPgUpPress();
  bool OnPgDownPress();
  void OnDeletePress(bool Ctrl, bool FromRecursion);
  void OnBackSpacePress(bool Ctrl, bool Flag, bool FromDelete);
  /// Gives the selected paragraphs the style ParaNo, or with Convert the control's
  /// paragraph-style conversion answer.
  void ApplyParaStyle(int32_t ParaNo, bool Convert);

 private:
  /// The caret has a draw item and an entry of the caret line.
  bool HasCaretLine() const;
  /// Puts the caret at an item position and rebuilds its line; with PreferNextLine the end
  /// of a wrapped line counts as the start of the next one.
  void SetCaretToItemPosition(int ItemNo, int Offs, bool PreferNextLine);
  /// Up and Down: the caret goes to the draw item at (X, Y), unless the item there takes it
  /// (entering From).
  void MoveCaretToLineAt(int32_t X, int32_t Y, bool Shift, bool Ctrl, int From);
  /// Delete and Backspace: one deletion group around the work, then re-formatting and the
  /// caret at the place the work chose.
  struct TKeyDeletion;
  void BeginKeyDeletion(TKeyDeletion& Del);
  void EndKeyDeletion(const TKeyDeletion& Del);
  /// Protection refused the work: a beep, and no empty undo group is left behind.
  void RefuseKeyDeletion();
  /// Backspace at an item position: joins paragraphs at a paragraph's start, else deletes
  /// the character (the word, with Ctrl) or the item before it.
  void BackspaceAt(int ItemNo, int Offs, bool Ctrl);
  /// Each answers False, changing nothing, when protection refuses the work.
  bool JoinWithPreviousParagraph(int ItemNo, TKeyDeletion& Del);
  bool JoinNextParagraph(int ItemNo, TKeyDeletion& Del);
  bool DeleteBefore(int ItemNo, int Offs, bool Ctrl, TKeyDeletion& Del);
  bool DeleteWholeItem(int ItemNo, TKeyDeletion& Del);

 public:
  // ---- insertion --------------------------------------------------------------------------

  /// 8-bit text at the caret: CR LF, a lone CR and a lone LF each break a paragraph.
  bool InsertTextA(const std::string& Text, bool CaretBefore);
  /// UTF-16 text (two bytes a character) at the caret.
  bool InsertTextW(const std::string& Text, bool CaretBefore);
  /// Characters typed at the caret (UTF-16 bytes when the current style is Unicode); the
  /// caller reports the change.
  void TypeText(const std::string& Chars);
  /// Where stream content goes in: before item Index, or after it when AfterItem.
  void GetInsertionIndex(int& Index, bool& AfterItem);
  bool InsertRVFAtCaret(TStream& Stream);
  bool InsertRTFAtCaret(TStream& Stream);

  // ---- style conversion ---------------------------------------------------------------------

  /// Restyles the selected text through the control's current conversion handler.
  void ApplyStyleConversion(int UserData);

  // ---- services -----------------------------------------------------------------------------

  int GetCaretItemNo();
  int GetCaretOffset();
  /// A position on a list marker moves to the next item (or the end of the previous one
  /// when moving backward and the marker is not the first item).
  void AdjustPosPastMarker(int& ItemNo, int& Offs, bool Backward) const;
  void AdjustDrawPosPastMarker(int& DItemNo, int& DOffs, bool Backward) const;
  bool CaretAtParaStart() const;
  bool CaretAtParaEnd() const;
  bool CaretOnLastLine() const;
  bool CaretOnFirstLine() const;
  bool LastItemOnCaretLine() const;
  /// The caret in control coordinates (the input-method window goes there).
  TPoint GetCaretPoint() const;
  /// The selection, or the caret twice when nothing is selected.
  void GetSelBounds(int& StartItemNo, int& StartOffs, int& EndItemNo, int& EndOffs, bool Normalize);
  /// The selection end goes to the caret (Shift with a movement key).
  void SelectToCaret();
  /// Unless a selection exists, it starts and ends at the caret.
  void StartSelectingAtCaret();
  void ExtendSelectionBy(int Count, bool Forward);
  bool IsItemProtected(int ItemNo, TRVProtectOptions Option) const;
  bool IsParaProtected(int32_t ParaNo, TRVParaOptions Option) const;
  /// True (with a beep unless NoSound) when the position before FirstItemNo lies between
  /// two sticking text items.
  bool IsSticking(int FirstItemNo, bool NoSound) const;
  /// A nested edit (a cell editor or selected cells) is pending.
  bool HasPendingNestedEdit();
  /// The caret stands where text may be inserted.
  bool CanInsertHere();
  void Change(bool ClearRedo);
  void FormatAfterChange(bool Full, int ItemNo);
  void BeginItemModify(int ItemNo, int32_t& State);
  void EndItemModify(int ItemNo, int32_t State);
  /// Sets an embedded control's bounds, marking it as ResizingControl meanwhile.
  void ResizeControl(int ItemNo, int32_t NewWidth, int32_t NewHeight, bool Notify);
  /// A new paragraph inside a list gets a copy of the marker of ItemNo's paragraph at
  /// InsertAt; answers whether one was inserted.
  bool InsertMarkerCopy(int ItemNo, int InsertAt);
  /// Renumbers the numbered lists after a change of First..Last.
  void UpdateMarkersAfterChange(int First, int Last);
  /// Hyperlinks live (read-only mode) or editing mode.
  void SetReadOnlyMode(bool ReadOnly);
  bool GetReadOnlyMode() const;
  void SetCurTextStyleNo(int32_t Value);
  void SetCurParaStyleNo(int32_t Value);
  /// Makes, moves or frees the resizer for the caret's item.
  void UpdateResizer();
  /// Keeps the resizer while its draw item still stands where it was, else UpdateResizer.
  void RecheckResizer();
  /// Resizes the item to a dragged size as one undoable change.
  void ResizeItem(int ItemNo, int32_t Width, int32_t Height);
  /// Escape while a resize is dragged: the drag is cancelled; True when it was handled.
  bool CancelResize();
  /// Draws the resizer's dotted frame while a handle is dragged.
  void XorDrawing() override;
  void SelectionChanged() override;
  /// Cuts the caret's text item in two at the caret (recorded), so that stream content goes
  /// in exactly there; the caret stays at the end of the first part. Answers the item cut,
  /// -1 when the caret was not inside a text.
  int SplitTextAtCaret();
  /// A click on a resizable item (nothing dragged) selects it whole.
  void MouseSelectionDone() override;
  // The writers run with hyperlinks live, so that they are written as a viewer writes them.
  bool SaveHTMLToStream(TStream& Stream, const std::string& Path, const std::string& Title,
                        const std::string& ImagesPrefix, TRVHTMLSaveOptions Options, TColor Color,
                        int& imgSaveNo, int32_t LeftMargin, int32_t TopMargin, int32_t RightMargin,
                        int32_t BottomMargin, const TRVBackground* Background,
                        TRVHTMLBulletList* Bullets) override;
  bool SaveHTMLToStreamCSS(TStream& Stream, const std::string& Path, const std::string& Title,
                           const std::string& ImagesPrefix, const std::string& ExtraStyles,
                           const std::string& ExternalCSS, const std::string& CPPrefix,
                           TRVHTMLSaveOptions Options, TColor Color, TColor& CurrentFileColor, int& imgSaveNo,
                           int32_t LeftMargin, int32_t TopMargin, int32_t RightMargin, int32_t BottomMargin,
                           const TRVBackground* Background, TRVHTMLBulletList* Bullets) override;
  bool SaveRTFToStream(TStream& Stream, bool SelectionOnly, int Level, TColor Color, TRVColorList* ColorList,
                       TRVIntegerList* StyleToFont, TRVIntegerList* ListOverrideCounts,
                       TRVIntegerList* ListOverrideOffsets, TRVRTFFontTable* FontTable, double tpp) override;
  void SetPartiallySelectedItem(TCustomRVItemInfo* Item) override;
  void MarkStylesInUse(TRVIntegerList& UsedTextStyles, TRVIntegerList& UsedParaStyles,
                       TRVIntegerList& UsedListStyles) override;
  /// After unused styles were deleted: both lists emptied, the current styles renumbered.
  void AfterDeleteStyles(const TRVIntegerList& TextStylesMap, const TRVIntegerList& ParaStylesMap) override;
  bool InsertItemObject(int& ItemNo, std::string Text, std::unique_ptr<TCustomRVItemInfo> Item,
                        bool& FullReformat, int& NewListNo) override;
  void PaintOverlay(TCanvas& Canvas, int32_t HOffs, int32_t VOffs, int FirstDItemNo,
                    int LastDItemNo) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
};
