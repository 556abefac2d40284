// Table editing that needs the editor: the hooks the table's own code calls
// (TRVTableEditorHooks, installed at start-up), the commands that change a table with undo,
// and the in-place cell editor's life cycle on the table's side.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"

class TGraphic;
class TRVEditRVData;
class TRVTableInplaceEdit;

/// The editor's side of a table's hooks.
class TRVTableEditorServices : public TRVTableEditorHooks {
 public:
  // Property changes and undoable changes (RVTableCommands.cpp).
  bool CanChange(TRVTableItemInfo& Table) override;
  bool UndoEnabled(TRVTableItemInfo& Table) override;
  void ChangeEditor(TRVTableItemInfo& Table, bool ClearRedo) override;
  void SetTableProperty(TRVTableItemInfo& Table, const std::string& PropName, int32_t Value, bool AffectWidth,
                        bool AffectSize) override;
  void SetCellProperty(TRVTableItemInfo& Table, int ItemNo, const std::string& PropName, bool AffectWidth,
                       bool AffectSize, int Row, int Col, int32_t Value) override;
  void BeginTableChange(TRVTableItemInfo& Table, int32_t& State) override;
  void EndTableChange(TRVTableItemInfo& Table, int32_t State) override;
  // The cell editor (RVTableCellEditing.cpp).
  void OpenCellEditor(TRVTableItemInfo& Table, int ItemNo, int Row, int Col, bool Prepare, bool CaretAtStart,
                      bool CaretAtEnd, uint32_t ClickTime, bool SkipCheck) override;
};

/// Installs the editor's hooks in the table code (at start-up).
void RVRegisterTableEditing();

/// The editor document data a table lies in, null when it lies in none.
TRVEditRVData* RVTableEditData(const TRVTableItemInfo& Table);

/// Commands that change a table in an editor with undo (RVTableCommands.cpp). Each closes
/// the cell editor keeping its content, runs inside one undo group and marks the table
/// changed; a table outside an editor is changed directly.
struct TRVTableCommands {
  static void SetCellVisibleBorders(TRVTableItemInfo& Table, int ItemNo, bool Left, bool Top, bool Right,
                                    bool Bottom, int Row, int Col);
  static void SetCellBackgroundImage(TRVTableItemInfo& Table, const TGraphic* Picture, int Row, int Col);
  static void SetBackgroundImage(TRVTableItemInfo& Table, const TGraphic* Picture);
  static void SetBackgroundStyle(TRVTableItemInfo& Table, TRVItemBackgroundStyle Value);
  static void AssignCellAttributes(TRVTableItemInfo& Table, int ItemNo, int Row, int Col,
                                   const TRVTableCellData& Source, bool IncludeSize, int RowDivisor,
                                   int ColDivisor);
  /// ERVError "Invalid row or column index" for a bad Index or CopyIndex.
  static void InsertColumns(TRVTableItemInfo& Table, int Index, int Count, int CopyIndex, bool Select);
  static void InsertRows(TRVTableItemInfo& Table, int Index, int Count, int CopyIndex, bool Select);
  static void DeleteColumns(TRVTableItemInfo& Table, int Index, int Count, bool DivideWidth);
  static void MergeCells(TRVTableItemInfo& Table, int TopRow, int LeftCol, int ColSpan, int RowSpan,
                         bool AllowEmptyLines);
  static bool CanDeleteSelectedCellsContent(TRVTableItemInfo& Table);
  static void DeleteSelectedCellsContent(TRVTableItemInfo& Table);
  /// A text style conversion, paragraph style or paragraph style conversion applied to the
  /// whole content of every selected cell through a hidden scratch editor.
  static void ApplyStyleConversionToCells(TRVTableItemInfo& Table, int UserData);
  static void ApplyParaStyleToCells(TRVTableItemInfo& Table, int32_t ParaNo);
  static void ApplyParaStyleConversionToCells(TRVTableItemInfo& Table, int UserData);
};

/// The table's side of the in-place cell editor (RVTableCellEditing.cpp).
struct TRVTableCellEditing {
  /// Called by the cell editor's destructor: takes the items back into the cell.
  static void InplaceEditorDestroyed(TRVTableItemInfo& Table, bool Quiet);
  /// Moves the cell editor's pending undo (or redo) groups into the document as one
  /// cell-modify record.
  static void MoveEditorUndo(TRVTableItemInfo& Table, bool Redo);
  /// Keeps the editor over its cell after the table moved to (X, Y) in the client area.
  static void AdjustInplaceEditor(TRVTableItemInfo& Table, int32_t X, int32_t Y);
  /// Re-formats the document after the editor's content changed.
  static void EditorChanged(TRVTableItemInfo& Table);
  /// The open cell editor as the editor control, null when none.
  static TRVTableInplaceEdit* GetInplaceEditor(const TRVTableItemInfo& Table);
};
