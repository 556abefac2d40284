// The in-place cell editor: a borderless editor laid exactly over a table cell. The table
// opens it, moves the cell's items into it and takes them back when it closes. It behaves
// as part of the root editor: it takes the root's options and style sheet, asks the root
// about read-only state and changes, and hands its clicks and hyperlinks to the root's
// window as posted events. It is also the table's TRVTableCellEditorLink.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/core/Colors.h"
#include "richtext/editor/RVEdit.h"
#include "richtext/table/RVTable.h"

class TRVTableCellData;
class TRVTableInplaceEdit;

/// Cell navigation posted to the cell editor's own window; WParam is the direction
/// (TRVGetOutDirection).
constexpr uint32_t WM_RVMOVEEDITOR = WM_USER + 10;
/// Undo (redo) of groups handed over by a cell-modify record, after the current message.
constexpr uint32_t WM_RVINPLACEUNDO = WM_USER + 11;
constexpr uint32_t WM_RVINPLACEREDO = WM_USER + 12;

/// The cell editor's document data.
class TRVTableInplaceRVData : public TRVEditRVData {
 public:
  explicit TRVTableInplaceRVData(TCustomRVViewer* Viewer);
  std::string ClassName() const override { return "TRVTableInplaceRVData"; }
  TRVTableInplaceEdit* InplaceEditor() const;

  TCustomRVData* GetSourceData() override;
  TCustomRVData* GetOuterParentData() const override;
  TCustomRVData* GetOuterRootData() override;
  void GetParentItemInfo(int& ParentItemNo, std::unique_ptr<TRVStoreSubRVData>& Location) override;
  TRVBackground* GetBackground() const override;
  void SetDocumentAreaSize(int32_t Width, int32_t Height, bool UpdateH) override;
  void ScrollToShowRect(int32_t X, int32_t Y, int32_t Width, int32_t Height) override;
  void GetOrigin(int32_t& X, int32_t& Y) override;
  void DrawBackground(TCanvas& Canvas, const TRect& Rect) override;
  /// The parent document is formatted instead; answers -100.
  int Reformat(bool Force) override;
  void UpdateAfterReformat() override;
  void AfterFormatParas(int FirstItemNo, int LastItemNo, bool Flag) override;
  /// Formats with the force flag and answers what that reports.
  int FormatForced();
  // Clicks on words, hyperlinks and the rich-text mouse events are the root control's: they
  // are posted to its window (after the current message) instead of fired here.
  void DoRVMouseUp(TMouseButton Button, TShiftState Shift, int ItemNo, int32_t X, int32_t Y) override;
  void DoRVMouseDown(TMouseButton Button, TShiftState Shift, int ItemNo, int32_t X, int32_t Y) override;
  void DoRVDblClick(const std::string& ClickedWord, int StyleNo) override;
  void DoJump(int32_t Id) override;

  bool Changed = false;
};

class TRVTableInplaceEdit : public TRVEdit, public TRVTableCellEditorLink {
 public:
  explicit TRVTableInplaceEdit(TComponent* AOwner = nullptr);
  ~TRVTableInplaceEdit() override;
  std::string ClassName() const override { return "TRVTableInplaceEdit"; }

  TRVTableInplaceRVData& InplaceRVData();
  /// Attaches the editor to the document that holds the table and takes its settings.
  void SetParentViewer(TCustomRVFormattedData* Data);
  void SetCell(int ARow, int ACol, TRVTableItemInfo* ATable, int32_t Padding);
  void SetCloseQuietly() { CloseQuietly = true; }
  bool FetchChangedFlag();
  /// The whole-cell look (the cell shown selected).
  void SetCellSelected(bool On);
  /// The root editor (the control of ParentData), null when ParentData is no editor data.
  TCustomRVEdit* RootEditor() const;

  // Answered by the root editor.
  void SetReadOnly(bool Value) override;
  bool GetReadOnly() const override;
  bool CanChange(bool Flag = false) override;
  TRVCustomRTFReaderProperties* GetRTFReadProperties() override;
  bool HasRTFReadProperties() const override;
  void Undo() override;
  void Redo() override;
  void Change(bool ClearRedo) override;
  void UpdateView(bool Refresh) override;
  void SetVPos(int32_t Pos, bool Redraw) override;
  void SetHPos(int32_t Pos) override;
  void WndProc(TMessage& Message) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char16_t& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  /// A click is the root control's (posted to its window).
  void Click() override;
  /// The control that shows the outermost document, which fires the posted events.
  TWinControl* RootControl() const;

  // The table's link.
  const TWinControl* GetControl() const override { return this; }
  int GetRow() const override { return Row; }
  int GetCol() const override { return Col; }
  bool ScrollsItself() const override { return ScrollsItself_; }
  TCustomRVData* GetEditorData() override;
  void SetFirstJumpNo(int FirstJumpNo) override;
  int GetJumpCount() const override;
  void Close(bool StoreContent) override;
  bool Busy() const override { return Destroying_ || BusyCount_ > 0; }
  void TableMoved(int32_t Left, int32_t Top) override;
  void CellLookChanged() override;

  TCustomRVFormattedData* ParentData = nullptr;
  TRVTableItemInfo* Table = nullptr;
  bool CloseQuietly = false;
  TNotifyEvent OnFormat;
  TColor SavedColor = clNone;
  bool MouseInCell = false;
  TNotifyEvent OnChangeCallback;
  bool Transparent = false;
  uint32_t ClickTime = 0;
  int ItemNo = -1;
  TRVTableCellData* Cell = nullptr;
  int Row = -1;
  int Col = -1;
  bool ScrollsItself_ = false;
  /// The cell is taller than the editor may be (10000 pixels).
  bool TallCell = false;
  /// Minimal widths last measured: of the table in the parent document, of the editor's
  /// document (a change re-formats the parent fully when the table's crosses the document's).
  int32_t TableMinWidth = 0;
  int32_t EditorMinWidth = 0;

 private:
  /// Cell navigation in a direction (WM_RVMOVEEDITOR).
  void MoveEditor(int Direction);
  /// The caret cannot move on with the key: it leaves the cell in that direction.
  bool LeavesCell(uint16_t Key, TShiftState Shift);

  bool Destroying_ = false;
  /// Close is running: giving up the cell tells the table, which would close us again.
  bool Closing_ = false;
  /// The root was made read-only through this editor and waits for it to be made writable.
  bool PendingReadOnly_ = false;
  /// Above 0 while the editor handles a message; it must not be closed meanwhile.
  int BusyCount_ = 0;
};

/// The table's open cell editor takes its cell's colour and transparency again and repaints.
void RVRefreshCellEditorLook(TRVTableItemInfo& Table);
