// Placeholders of what is not built yet; each goes when its real definition lands.
#include "richtext/core/RVError.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/editor/RVTableUndo.h"
#include "richtext/table/RVTable.h"

TPersistent* TRVUndoModifyCellIntProperty::GetSubObject(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoModifyCellIntProperty::AssignToRedo(TRVUndoModifyItemProps*) {
  throw ERVError("not built yet");
}
TPersistent* TRVUndoModifyCellIntProperties::GetSubObject(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoModifyCellIntProperties::AssignToRedo(TRVUndoModifyItemProps*) {
  throw ERVError("not built yet");
}
void TRVUndoModifyCellVisibleBorders::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
TRVUndoModifyBackgroundImage::~TRVUndoModifyBackgroundImage() {}
void TRVUndoModifyBackgroundImage::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoInsertTableRows::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoInsertTableCell::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoSpreadOverEmptyCells::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoSpan::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoFreeEmptyCell::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoInsertEmptyCell::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoCellSpitVert::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoDeleteCols::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoCellsClear::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoMerge::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoCellModify::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoMultiCellsModify::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVUndoMultiCellsModify::NeedsFullReformatBefore(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVUndoMultiCellsModify::NeedsFullReformatAfter(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVTableUndoRecorder::ModifyItemTerminator(int, bool) {
  throw ERVError("not built yet");
}
void TRVTableUndoRecorder::Record(std::unique_ptr<TRVTableUndoRecord>) {
  throw ERVError("not built yet");
}
TRVTableItemInfo& RVUndoTable(TRVEditRVData*, int) {
  throw ERVError("not built yet");
}
TRVUndoModifyItemProps* CreateTableUndoRecord(TRVEditRVData*, TRVUndoModifyItemPropsClass, int, bool, bool) {
  throw ERVError("not built yet");
}
bool TRVTableEditorServices::CanChange(TRVTableItemInfo&) {
  throw ERVError("not built yet");
}
bool TRVTableEditorServices::UndoEnabled(TRVTableItemInfo&) {
  throw ERVError("not built yet");
}
void TRVTableEditorServices::ChangeEditor(TRVTableItemInfo&, bool) {
  throw ERVError("not built yet");
}
void TRVTableEditorServices::SetTableProperty(TRVTableItemInfo&, const std::string&, int32_t, bool, bool) {
  throw ERVError("not built yet");
}
void TRVTableEditorServices::SetCellProperty(TRVTableItemInfo&, int, const std::string&, bool, bool, int, int,
                                             int32_t) {
  throw ERVError("not built yet");
}
void TRVTableEditorServices::BeginTableChange(TRVTableItemInfo&, int32_t&) {
  throw ERVError("not built yet");
}
void TRVTableEditorServices::EndTableChange(TRVTableItemInfo&, int32_t) {
  throw ERVError("not built yet");
}
void TRVTableCommands::SetCellVisibleBorders(TRVTableItemInfo&, int, bool, bool, bool, bool, int, int) {
  throw ERVError("not built yet");
}
void TRVTableCommands::SetCellBackgroundImage(TRVTableItemInfo&, const TGraphic*, int, int) {
  throw ERVError("not built yet");
}
void TRVTableCommands::SetBackgroundImage(TRVTableItemInfo&, const TGraphic*) {
  throw ERVError("not built yet");
}
void TRVTableCommands::SetBackgroundStyle(TRVTableItemInfo&, TRVItemBackgroundStyle) {
  throw ERVError("not built yet");
}
void TRVTableCommands::AssignCellAttributes(TRVTableItemInfo&, int, int, int, const TRVTableCellData&, bool,
                                            int, int) {
  throw ERVError("not built yet");
}
void TRVTableCommands::InsertColumns(TRVTableItemInfo&, int, int, int, bool) {
  throw ERVError("not built yet");
}
void TRVTableCommands::InsertRows(TRVTableItemInfo&, int, int, int, bool) {
  throw ERVError("not built yet");
}
void TRVTableCommands::DeleteColumns(TRVTableItemInfo&, int, int, bool) {
  throw ERVError("not built yet");
}
void TRVTableCommands::MergeCells(TRVTableItemInfo&, int, int, int, int, bool) {
  throw ERVError("not built yet");
}
bool TRVTableCommands::CanDeleteSelectedCellsContent(TRVTableItemInfo&) {
  throw ERVError("not built yet");
}
void TRVTableCommands::DeleteSelectedCellsContent(TRVTableItemInfo&) {
  throw ERVError("not built yet");
}
void TRVTableCommands::ApplyStyleConversionToCells(TRVTableItemInfo&, int) {
  throw ERVError("not built yet");
}
void TRVTableCommands::ApplyParaStyleToCells(TRVTableItemInfo&, int32_t) {
  throw ERVError("not built yet");
}
void TRVTableCommands::ApplyParaStyleConversionToCells(TRVTableItemInfo&, int) {
  throw ERVError("not built yet");
}
TRVEditRVData* RVTableEditData(const TRVTableItemInfo&) {
  throw ERVError("not built yet");
}
bool TRVTableItemInfo::InEditor() const {
  throw ERVError("not built yet");
}
bool TRVTableItemInfo::CanChange() {
  throw ERVError("not built yet");
}
bool TRVTableItemInfo::UndoEnabled() {
  throw ERVError("not built yet");
}
int TRVTableItemInfo::GetEditorItemNoForUndo() {
  throw ERVError("not built yet");
}
void TRVTableItemInfo::ChangeEditor(bool) {
  throw ERVError("not built yet");
}
void TRVTableItemInfo::SetTableProperty(const std::string&, int32_t, bool, bool) {
  throw ERVError("not built yet");
}
void TRVTableItemInfo::SetCellProperty(int, const std::string&, bool, bool, int, int, int32_t) {
  throw ERVError("not built yet");
}
void TRVTableItemInfo::SetCellBestWidth(int, TRVHTMLLength, int, int) {
  throw ERVError("not built yet");
}
void TRVTableItemInfo::SetCellBestHeight(int, int32_t, int, int) {
  throw ERVError("not built yet");
}
