// Helpers of the table editing tests: an editor document holding one table whose cells
// carry their own texts, and a dump of the grid that shows spans, covered slots, texts and
// the size attributes undo must restore.
#pragma once

#include <memory>
#include <string>

#include "richtext/editor/EditorTestSupport.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/editor/RVTableInplaceEdit.h"
#include "richtext/editor/RVTableUndo.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/table/TableTestSupport.h"

namespace editortest {

/// An editor whose document holds a paragraph and then a table of Rows x Cols cells; cell
/// (r, c) holds the text "rc" (e.g. "01").
struct TTableEditFixture : TEditorFixture {
  TTableEditFixture(int Rows, int Cols) {
    RVRegisterTableItemClass();
    RVRegisterTableEditing();
    AddText("before", 0, 0);
    auto table = TRVTableItemInfo::CreateWithSize(Rows, Cols, &Data());
    Table = table.get();
    for (int r = 0; r < Rows; ++r)
      for (int c = 0; c < Cols; ++c) SetCellText(r, c, std::to_string(r) + std::to_string(c));
    Data().AddItem("", std::move(table));
  }
  void SetCellText(int Row, int Col, const std::string& Text) {
    TRVTableCellData* cell = Table->GetCell(Row, Col);
    cell->Clear();
    cell->AddTextItem(Text, 0, 0);
  }
  TRVTableItemInfo& T() { return *Table; }
  /// Runs Change inside one undo group with the table's grid operations recorded.
  template <typename F>
  void Recorded(F Change) {
    Data().BeginUndoSequence(rvutModifyItem, false);
    Data().SetUndoGroupMode(true);
    TRVTableUndoRecorder recorder(&Data());
    Table->UndoSink = &recorder;
    Change();
    Table->UndoSink = nullptr;
    Data().SetUndoGroupMode(false);
  }
  void Undo() { Data().UndoList->Undo(&Data()); }
  void Redo() { Data().RedoList->Redo(&Data()); }

  TRVTableItemInfo* Table = nullptr;
  static constexpr int kTableItemNo = 1;
};

/// The same in an editor with a size, formatted, so that cell editors can open.
struct TCellEditorFixture : TTableEditFixture {
  TCellEditorFixture() : TTableEditFixture(2, 2) {
    Editor.SetBounds(0, 0, 400, 300);
    Editor.Format();
  }
  ~TCellEditorFixture() { Process(); }
  TRVTableInplaceEdit* CellEditor() { return TRVTableCellEditing::GetInplaceEditor(T()); }
  void Process() {
    for (int i = 0; i < 3; ++i) App().ProcessMessages();
  }
  /// The text of the cell, or of the editor's document while the editor shows the cell.
  std::string Text(int Row, int Col) {
    const TCustomRVData& data = *T().GetCell(Row, Col)->GetActiveData();
    std::string out;
    for (int i = 0; i < data.GetItemCount(); ++i) out += data.GetItemText(i);
    return out;
  }
};

/// One line per row; a slot is "." when covered, else the cell's texts joined by "+",
/// followed by "/cC" and "/rR" for spans above 1 and "/wW", "/hH" for set best sizes.
inline std::string Grid(const TRVTableItemInfo& Table) {
  std::string out;
  const TRVTableRows& rows = Table.Rows();
  for (int r = 0; r < rows.Count(); ++r) {
    for (int c = 0; c < rows.Get(r)->Count(); ++c) {
      const TRVTableCellData* cell = rows.Get(r)->GetCell(c);
      out += c == 0 ? "" : " ";
      if (cell == nullptr) {
        out += ".";
        continue;
      }
      std::string text;
      for (int i = 0; i < cell->GetItemCount(); ++i) text += (i == 0 ? "" : "+") + cell->GetItemText(i);
      out += text.empty() ? "_" : text;
      if (cell->ColSpan > 1) out += "/c" + std::to_string(cell->ColSpan);
      if (cell->RowSpan > 1) out += "/r" + std::to_string(cell->RowSpan);
      if (cell->BestWidth != 0) out += "/w" + std::to_string(cell->BestWidth);
      if (cell->BestHeight != 0) out += "/h" + std::to_string(cell->BestHeight);
    }
    out += "\n";
  }
  return out;
}

}  // namespace editortest
