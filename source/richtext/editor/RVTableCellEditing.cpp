// The table's side of the in-place cell editor: opening it over a cell with the cell's items
// moved into it, re-formatting the document while the user types, keeping it over its cell,
// taking the items back when it closes and keeping what it recorded for undo as one record
// of the document.
#include <algorithm>
#include <cctype>
#include <memory>
#include <string>

#include "platform/core/UnicodeTables.h"
#include "platform/gui/Application.h"
#include "platform/gui/Messaging.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/editor/RVTableInplaceEdit.h"
#include "richtext/editor/RVTableUndo.h"
#include "richtext/table/RVTableCell.h"

namespace {

/// Set on a table while it re-formats its document after a change in the cell editor.
constexpr uint16_t kEditorResizing = 1 << 7;
/// The editor never grows taller than this; a taller cell scrolls inside it.
constexpr int32_t kMaxEditorHeight = 10000;

TRVEditRVData* EditDataOf(const TRVTableItemInfo& Table) {
  return dynamic_cast<TRVEditRVData*>(Table.GetParentData());
}

/// Places the editor over its cell, the table standing at (ClientLeft, ClientTop).
void PlaceEditor(TRVTableItemInfo& Table, TRVTableInplaceEdit& Editor) {
  const TRVTableCellData& cell = *Editor.Cell;
  const int32_t shift = std::max(cell.GetVerticalShift(), 0);
  int32_t height = cell.Height - shift;
  Editor.TallCell = height > kMaxEditorHeight;
  // Only an editor shorter than its cell scrolls its content itself.
  Editor.ScrollsItself_ = Editor.TallCell;
  height = std::min(height, kMaxEditorHeight);
  Editor.SetBounds(Table.ClientLeft + cell.Left, Table.ClientTop + cell.Top + shift, cell.Width, height);
  // Scrolling moves child controls from the top kept here.
  Editor.SetTag(Editor.Top());
}

int32_t MinDocWidth(TRVTableInplaceEdit& Editor) {
  TRVTableInplaceRVData& data = Editor.InplaceRVData();
  TCanvas* canvas = data.GetCanvas();
  return canvas != nullptr ? data.CalculateMinDocWidth(nullptr, *canvas) : 0;
}

/// Drops on the editor and the ends of drags from it are the root control's events: posted
/// to its window with the point in its client coordinates. Whether a drop on the editor would
/// be taken is the root control's answer, at once.
void ForwardDragEvents(TRVTableInplaceEdit& Editor) {
  TRVTableInplaceEdit* editor = &Editor;
  Editor.OnDragOver = [editor](TObject*, TObject* Source, int32_t X, int32_t Y, TDragState State,
                               bool& Accept) {
    TWinControl* root = editor->RootControl();
    Accept = false;
    if (root == nullptr) return;
    const TPoint p = root->ScreenToClient(editor->ClientToScreen(TPoint{X, Y}));
    root->DragOver(Source, p.X, p.Y, State, Accept);
  };
  auto post = [editor](uint8_t Kind, TObject* Obj, int32_t X, int32_t Y) {
    TWinControl* root = editor->RootControl();
    if (root == nullptr) return;
    auto record = std::make_unique<TRVDNDMessageData>(Kind);
    const TPoint p = root->ScreenToClient(editor->ClientToScreen(TPoint{X, Y}));
    record->X = p.X;
    record->Y = p.Y;
    record->Obj = Obj;
    PostMessage(root, WM_RVEVENT, 0, 0, std::move(record));
  };
  Editor.OnDragDrop = [post](TObject*, TObject* Source, int32_t X, int32_t Y) { post(7, Source, X, Y); };
  Editor.OnEndDrag = [post](TObject*, TObject* Target, int32_t X, int32_t Y) { post(8, Target, X, Y); };
}

/// Passes the editor's own mouse events to the root control's handlers, moved into its
/// client coordinates.
void ForwardMouseEvents(TRVTableInplaceEdit& Editor, TControl& Root) {
  TRVTableInplaceEdit* editor = &Editor;
  TControl* root = &Root;
  Editor.OnMouseDown = [editor, root](TObject*, TMouseButton Button, TShiftState Shift, int32_t X,
                                      int32_t Y) {
    if (root->OnMouseDown) root->OnMouseDown(root, Button, Shift, X + editor->Left(), Y + editor->Top());
  };
  Editor.OnMouseUp = [editor, root](TObject*, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    if (root->OnMouseUp) root->OnMouseUp(root, Button, Shift, X + editor->Left(), Y + editor->Top());
  };
  Editor.OnMouseMove = [editor, root](TObject*, TShiftState Shift, int32_t X, int32_t Y) {
    if (root->OnMouseMove) root->OnMouseMove(root, Shift, X + editor->Left(), Y + editor->Top());
  };
}

}  // namespace

TRVTableInplaceEdit* TRVTableCellEditing::GetInplaceEditor(const TRVTableItemInfo& Table) {
  return Table.CellEditor != nullptr
             ? dynamic_cast<TRVTableInplaceEdit*>(const_cast<TWinControl*>(Table.CellEditor->GetControl()))
             : nullptr;
}

void TRVTableEditorServices::OpenCellEditor(TRVTableItemInfo& Table, int ItemNo, int Row, int Col,
                                            bool Prepare, bool CaretAtStart, bool CaretAtEnd,
                                            uint32_t ClickTime, bool SkipCheck) {
  auto* data = dynamic_cast<TCustomRVFormattedData*>(Table.GetParentData());
  if (data == nullptr || (Table.State & rvtsInserted) == 0 || !data->GetRootData()->IsEditData()) return;
  if (Row < 0 || Row >= Table.Rows().Count() || Col < 0 || Col >= Table.Rows().GetColCount()) return;
  TRVTableCellData* cell = Table.GetCell(Row, Col);
  if (cell == nullptr) return;
  if (!SkipCheck && Table.OnCellEditing) {
    bool allow = true;
    Table.OnCellEditing(&Table, Row, Col, false, allow);
    if (!allow) return;
  }
  if (ItemNo == -1) ItemNo = Table.GetMyItemNo();
  Table.DestroyInplace(true);
  data->PartiallySelectedItem = nullptr;
  data->CaptureMouseItem = nullptr;
  data->StoreSelectionBounds(ItemNo, 1, ItemNo, 1);
  Table.Deselect();

  TWinControl* control = data->GetParentControl();
  auto* rootEditor = dynamic_cast<TCustomRVEdit*>(control);
  if (rootEditor != nullptr && rootEditor->GetReadOnly()) Prepare = true;
  const int32_t tableMinWidth = data->CalculateMinItemWidthOnCanvas(ItemNo);

  auto* editor = new TRVTableInplaceEdit(control);
  Table.CellEditor = editor;
  editor->TableMinWidth = tableMinWidth;
  TRVTableItemInfo* table = &Table;
  editor->OnChangeCallback = [table](TObject*) { TRVTableCellEditing::EditorChanged(*table); };
  editor->OnCaretGetOut = [editor](TCustomRVEdit*, TRVGetOutDirection Direction) {
    PostMessage(editor, WM_RVMOVEEDITOR, Direction);
  };
  if (auto* viewer = dynamic_cast<TCustomRVViewer*>(control)) {
    editor->SetBiDiMode(viewer->BiDiMode());
    editor->AssignEvents(*viewer);
    ForwardMouseEvents(*editor, *viewer);
    ForwardDragEvents(*editor);
    editor->OnControlAction = [data, table](TCustomRVViewer*, TRVControlAction Action, int, TControl*&) {
      const int tableNo = data->FindItemIndex(table);
      if (tableNo >= 0) data->ControlAction(Action, tableNo, table);
    };
  }
  if (rootEditor != nullptr) {
    editor->EditorOptions = rootEditor->EditorOptions | rvoWantTabs;
    editor->SetUndoLimit(rootEditor->GetUndoLimit() != 0 ? -1 : 0);
  }
  editor->SetColor(Table.GetEffectiveCellColor(*cell));
  TColor paraColor = clNone;
  if (const TRVStyle* style = data->GetRVStyle();
      style != nullptr && Table.ParaNo >= 0 && Table.ParaNo < style->ParaStyles().Count())
    paraColor = static_cast<const TParaInfo*>(style->ParaStyles().Items(Table.ParaNo))->Background().Color;
  editor->Transparent = cell->Color == clNone && Table.Color == clNone && paraColor == clNone;
  editor->SetHScrollVisible(false);
  editor->SetVScrollVisible(false);

  Table.RefreshClientCoords(data);
  editor->Cell = cell;
  PlaceEditor(Table, *editor);
  if (control != nullptr) editor->SetParent(control);
  editor->SetParentViewer(data);
  // Formatting gave the empty editor a line to type into; the cell's items replace it.
  editor->InplaceRVData().Clear();
  editor->InplaceRVData().AppendItemsFrom(cell);
  // The cell's own pieces showed the items that left it.
  cell->ClearDrawLines();
  editor->SetCell(Row, Col, &Table, Table.CellPadding);
  editor->Format();
  if (ClickTime != 0) editor->ClickTime = GetTickCount();
  if (Prepare) editor->InplaceRVData().FormatForced();
  editor->SetVisible(true);
  data->AssignFocusedSubData(cell, &Table);
  Table.FocusedCellRow = Row;
  Table.FocusedCellCol = Col;
  editor->EditorMinWidth = MinDocWidth(*editor);

  TRVTableInplaceRVData& editorData = editor->InplaceRVData();
  if (editorData.GetItemCount() > 0) {
    const int last = editorData.GetItemCount() - 1;
    if (CaretAtEnd)
      editor->SetSelectionBounds(last, editorData.GetItemEndOffset(last), last,
                                 editorData.GetItemEndOffset(last));
    if (CaretAtStart)
      editor->SetSelectionBounds(0, editorData.GetItemStartOffset(0), 0, editorData.GetItemStartOffset(0));
  }
  editor->DoCurParaStyleChanged();
  editor->DoCurTextStyleChanged();
  if (editor->HandleAllocated() && editor->CanFocus()) editor->SetFocus();
  if (Table.OnCellInplaceCreate) Table.OnCellInplaceCreate(&Table, Row, Col);
}

void TRVTableCellEditing::InplaceEditorDestroyed(TRVTableItemInfo& Table, bool Quiet) {
  TRVTableInplaceEdit* editor = GetInplaceEditor(Table);
  if (editor == nullptr || editor->Cell == nullptr) {
    Table.CellEditor = nullptr;
    return;
  }
  TRVTableInplaceRVData& editorData = editor->InplaceRVData();
  // What was typed stays undoable in the document.
  if (editorData.UndoList->Count() > 0 || editorData.RedoList->Count() > 0) MoveEditorUndo(Table, false);
  int selection[4] = {-1, 0, -1, 0};
  editorData.GetItemSelectionBounds(selection[0], selection[1], selection[2], selection[3], false);
  editorData.ClearDrawLines();
  TRVTableCellData& cell = *editor->Cell;
  cell.AppendItemsFrom(&editorData);
  if (cell.GetItemCount() == 0) cell.AddTextItem("", 0, 0);
  Table.CellEditor = nullptr;
  const int row = editor->Row, col = editor->Col;
  TRVEditRVData* data = EditDataOf(Table);
  if (!Quiet && data != nullptr) {
    Table.Changed();
    const int itemNo = Table.GetMyItemNo();
    data->FormatAfterChange(false, itemNo);
    Table.RefreshClientCoords(data);
    const int count = cell.GetItemCount();
    if (selection[0] >= 0 && selection[0] < count && selection[2] >= 0 && selection[2] < count)
      cell.SetSelectionBounds(selection[0], selection[1], selection[2], selection[3]);
    data->InvalidateControl();
    if (TCustomRVEdit* root = data->Editor()) root->DoCaretMove();
  }
  TCustomRVEdit* root = data != nullptr ? data->Editor() : nullptr;
  if (root != nullptr && !root->GetReadOnly() && Table.OnCellEndEdit)
    Table.OnCellEndEdit(&Table, row, col, false);
}

void TRVTableCellEditing::MoveEditorUndo(TRVTableItemInfo& Table, bool Redo) {
  TRVTableInplaceEdit* editor = GetInplaceEditor(Table);
  if (editor == nullptr) return;
  TRVTableInplaceRVData& editorData = editor->InplaceRVData();
  TRVEditRVData* data = EditDataOf(Table);
  for (const bool redo : {Redo, !Redo}) {
    std::unique_ptr<TRVUndoList>& list = redo ? editorData.RedoList : editorData.UndoList;
    if (list->Count() == 0 || data == nullptr) {
      list->ClearList();
      continue;
    }
    if (redo)
      data->BeginRedoSequence(rvutModifyItem, std::string());
    else
      data->BeginUndoSequence(rvutModifyItem, false);
    TRVUndoList* target = data->GetUndoList();
    if (target == nullptr) {
      list->ClearList();
      continue;
    }
    auto record = std::make_unique<TRVUndoCellModify>();
    record->Action = rvuaModifyItem;
    record->ItemNo = Table.GetMyItemNo();
    record->IsRedo = redo ? 1 : 0;
    record->Row = editor->Row;
    record->Col = editor->Col;
    // Undoing puts the caret where the editor's last group had it.
    const TRVUndoInfos& lastGroup = *list->Last();
    record->SelStartItemNo = lastGroup.CaretItemNo;
    record->SelStartOffs = lastGroup.CaretOffs;
    TCustomRVData* owner = list->RVData;
    record->UndoList = std::move(list);
    list = std::make_unique<TRVUndoList>(owner);
    list->Limit = record->UndoList->Limit;
    target->AddInfo(std::move(record));
  }
}

void TRVTableCellEditing::AdjustInplaceEditor(TRVTableItemInfo& Table, int32_t X, int32_t Y) {
  Table.ClientLeft = X;
  Table.ClientTop = Y;
  TRVTableInplaceEdit* editor = GetInplaceEditor(Table);
  if (editor == nullptr || editor->Cell == nullptr) return;
  PlaceEditor(Table, *editor);
  // A padding changed meanwhile becomes the editor's margins, laid out once; otherwise the
  // caret stays where it is and nothing is laid out again unless the width changed.
  const bool paddingChanged =
      (Table.State & rvtsPaddingChanged) != 0 || editor->LeftMargin != Table.CellPadding;
  Table.State &= static_cast<uint16_t>(~rvtsPaddingChanged);
  if (paddingChanged)
    editor->LeftMargin = editor->TopMargin = editor->RightMargin = editor->BottomMargin = Table.CellPadding;
  editor->InplaceRVData().FormatLines(true, paddingChanged, false, 0, nullptr, false, false);
}

void TRVTableCellEditing::EditorChanged(TRVTableItemInfo& Table) {
  if ((Table.State & kEditorResizing) != 0) return;
  TRVTableInplaceEdit* editor = GetInplaceEditor(Table);
  TRVEditRVData* data = EditDataOf(Table);
  if (editor == nullptr || data == nullptr || !editor->FetchChangedFlag()) return;
  Table.Changed();
  Table.State |= kEditorResizing;
  const TRect before = editor->BoundsRect();
  const int itemNo = Table.GetMyItemNo();
  bool full = false;
  const int32_t editorMin = MinDocWidth(*editor);
  if (editorMin != editor->EditorMinWidth) {
    editor->EditorMinWidth = editorMin;
    const int32_t oldMin = editor->TableMinWidth;
    const int32_t newMin = data->CalculateMinItemWidthOnCanvas(itemNo);
    editor->TableMinWidth = newMin;
    // The table now decides the document's minimal width, or no longer does.
    const int32_t docMin = data->DocMinWidth;
    full = (oldMin <= docMin && newMin > docMin) || (oldMin >= docMin && newMin < docMin);
  }
  try {
    data->FormatAfterChange(full, itemNo);
    int32_t left = 0, top = 0;
    if (data->GetItemClientCoords(itemNo, left, top)) AdjustInplaceEditor(Table, left, top);
    editor->EditorMinWidth = MinDocWidth(*editor);
  } catch (...) {
    Table.State &= ~kEditorResizing;
    throw;
  }
  Table.State &= ~kEditorResizing;
  if (editor->BoundsRect() != before) data->InvalidateControl();
  // Undo and redo in the cell change it too, and must leave the document's redo list alone:
  // the cell editor's own change clears that list when it is a new edit.
  data->Change(false);
}

// ---- searching cell by cell ---------------------------------------------------------------------

namespace {

/// The 1-based offset (in characters) of Text in S at or after From (Down) or ending at or
/// before From (up), 0 when none; characters are compared through Fold.
template <typename Char, typename Fold>
int FindInText(std::basic_string<Char> S, std::basic_string<Char> Text, int From, bool Down, Fold fold) {
  for (Char& c : S) c = fold(c);
  for (Char& c : Text) c = fold(c);
  if (Text.empty() || Text.size() > S.size()) return 0;
  if (Down) {
    const size_t at = S.find(Text, static_cast<size_t>(std::max(From - 1, 0)));
    return at == std::basic_string<Char>::npos ? 0 : static_cast<int>(at) + 1;
  }
  const int lastStart = From - 1 - static_cast<int>(Text.size());
  if (lastStart < 0) return 0;
  const size_t at = S.rfind(Text, static_cast<size_t>(lastStart));
  return at == std::basic_string<Char>::npos ? 0 : static_cast<int>(at) + 1;
}

/// Text in item ItemNo of Doc: 8-bit text as it is (case-insensitive for ASCII letters unless
/// MatchCase), Unicode text against Text read in the item's code page. Returns the 1-based
/// character offset and sets Length to the match's length in characters.
int FindInItem(TCustomRVData& Doc, int ItemNo, const std::string& Text, int From, bool Down, bool MatchCase,
               int& Length) {
  const std::string& s = Doc.GetItemText(ItemNo);
  if (!Doc.GetItem(ItemNo)->IsTwoByteText()) {
    Length = static_cast<int>(Text.size());
    From = Down ? From : std::min<int>(From, static_cast<int>(s.size()) + 1);
    return FindInText<char>(s, Text, From, Down, [MatchCase](char c) {
      return MatchCase ? c : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
  }
  const std::u16string wide = RVBytesToWideString(s);
  const std::u16string needle =
      RVBytesToWideString(RVAnsiToUnicode(Doc.GetStyleCodePage(Doc.GetItem(ItemNo)->StyleNo), Text));
  Length = static_cast<int>(needle.size());
  From = Down ? From : std::min<int>(From, static_cast<int>(wide.size()) + 1);
  return FindInText<char16_t>(wide, needle, From, Down,
                              [MatchCase](char16_t c) { return MatchCase ? c : UnicodeUpperCase(c); });
}

/// Searches a cell's document on from its selection (or from its start or end), selecting
/// the match.
bool SearchInCell(TCustomRVFormattedData& Doc, bool Down, bool MatchCase, const std::string& Text,
                  bool Fresh) {
  const int count = Doc.GetItemCount();
  if (count == 0) return false;
  int itemNo = Down ? 0 : count - 1;
  int offs = Down ? 1 : INT32_MAX;
  if (!Fresh && Doc.SelectionExists()) {
    int s0 = -1, o0 = 0, s1 = -1, o1 = 0;
    Doc.GetItemSelectionBounds(s0, o0, s1, o1, true);
    itemNo = Down ? s1 : s0;
    offs = Down ? o1 : o0;
  }
  for (; itemNo >= 0 && itemNo < count; itemNo += Down ? 1 : -1) {
    int length = 0;
    if (const int at = Doc.GetItem(itemNo)->IsTextItem()
                           ? FindInItem(Doc, itemNo, Text, offs, Down, MatchCase, length)
                           : 0;
        at > 0) {
      Doc.SetSelectionBounds(itemNo, at, itemNo, at + length);
      return true;
    }
    offs = Down ? 1 : INT32_MAX;
  }
  return false;
}

}  // namespace

bool TRVTableItemInfo::SearchText(bool Down, int Flags, const std::string& Text) {
  const int rows = Rows().Count(), cols = Rows().GetColCount();
  if (rows == 0 || cols == 0) return false;
  if (SearchRow < 0 || SearchRow >= rows || SearchCol < 0 || SearchCol >= cols) SearchRow = SearchCol = -1;
  bool fresh = SearchRow < 0;
  if (fresh) {
    if (Down) {
      SearchRow = 0;
      SearchCol = 0;
    } else {
      Rows().GetMainCell(rows - 1, cols - 1, SearchRow, SearchCol);
    }
  }
  constexpr int kMatchCase = 1;
  for (;;) {
    TRVTableCellData* cell = GetCell(SearchRow, SearchCol);
    auto* doc = cell != nullptr ? dynamic_cast<TCustomRVFormattedData*>(cell->GetActiveData()) : nullptr;
    if (doc != nullptr && CanEditCell(SearchRow, SearchCol) &&
        SearchInCell(*doc, Down, (Flags & kMatchCase) != 0, Text, fresh))
      return true;
    if (doc != nullptr) doc->Deselect(nullptr, false);
    int newRow = -1, newCol = -1;
    if (!GetAdjacentCell(SearchRow, SearchCol, true, newCol, newRow, Down ? rvdNext : rvdPrev)) {
      SearchRow = SearchCol = -1;
      return false;
    }
    SearchRow = newRow;
    SearchCol = newCol;
    fresh = true;
  }
}

void TRVTableItemInfo::ClearSearch() {
  if (SearchRow >= 0 && SearchRow < Rows().Count() && SearchCol >= 0 && SearchCol < Rows().GetColCount())
    if (TRVTableCellData* cell = GetCell(SearchRow, SearchCol))
      if (auto* doc = dynamic_cast<TCustomRVFormattedData*>(cell->GetActiveData()))
        doc->Deselect(nullptr, false);
  SearchRow = SearchCol = -1;
}
