// Placeholders of what is not built yet; each goes when its real definition lands.
#include "richtext/core/RVError.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/editor/RVTableInplaceEdit.h"
#include "richtext/table/RVTable.h"

void TRVTableEditorServices::OpenCellEditor(TRVTableItemInfo&, int, int, int, bool, bool, bool, uint32_t,
                                            bool) {
  throw ERVError("not built yet");
}
void TRVTableCellEditing::InplaceEditorDestroyed(TRVTableItemInfo&, bool) {
  throw ERVError("not built yet");
}
void TRVTableCellEditing::MoveEditorUndo(TRVTableItemInfo&, bool) {
  throw ERVError("not built yet");
}
void TRVTableCellEditing::AdjustInplaceEditor(TRVTableItemInfo&, int32_t, int32_t) {
  throw ERVError("not built yet");
}
void TRVTableCellEditing::EditorChanged(TRVTableItemInfo&) {
  throw ERVError("not built yet");
}
TRVTableInplaceEdit* TRVTableCellEditing::GetInplaceEditor(const TRVTableItemInfo&) {
  throw ERVError("not built yet");
}
TRVTableInplaceRVData::TRVTableInplaceRVData(TCustomRVViewer* Viewer) : TRVEditRVData(Viewer) {
  throw ERVError("not built yet");
}
TRVTableInplaceEdit* TRVTableInplaceRVData::InplaceEditor() const {
  throw ERVError("not built yet");
}
TCustomRVData* TRVTableInplaceRVData::GetSourceData() {
  throw ERVError("not built yet");
}
TCustomRVData* TRVTableInplaceRVData::GetOuterParentData() const {
  throw ERVError("not built yet");
}
TCustomRVData* TRVTableInplaceRVData::GetOuterRootData() {
  throw ERVError("not built yet");
}
void TRVTableInplaceRVData::GetParentItemInfo(int&, std::unique_ptr<TRVStoreSubRVData>&) {
  throw ERVError("not built yet");
}
TRVBackground* TRVTableInplaceRVData::GetBackground() const {
  throw ERVError("not built yet");
}
void TRVTableInplaceRVData::SetDocumentAreaSize(int32_t, int32_t, bool) {
  throw ERVError("not built yet");
}
void TRVTableInplaceRVData::ScrollToShowRect(int32_t, int32_t, int32_t, int32_t) {
  throw ERVError("not built yet");
}
void TRVTableInplaceRVData::GetOrigin(int32_t&, int32_t&) {
  throw ERVError("not built yet");
}
void TRVTableInplaceRVData::DrawBackground(TCanvas&, const TRect&) {
  throw ERVError("not built yet");
}
int TRVTableInplaceRVData::Reformat(bool) {
  throw ERVError("not built yet");
}
void TRVTableInplaceRVData::UpdateAfterReformat() {
  throw ERVError("not built yet");
}
void TRVTableInplaceRVData::AfterFormatParas(int, int, bool) {
  throw ERVError("not built yet");
}
int TRVTableInplaceRVData::FormatForced() {
  throw ERVError("not built yet");
}
TRVTableInplaceEdit::TRVTableInplaceEdit(TComponent*) {
  throw ERVError("not built yet");
}
TRVTableInplaceEdit::~TRVTableInplaceEdit() {}
TRVTableInplaceRVData& TRVTableInplaceEdit::InplaceRVData() {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::SetParentViewer(TCustomRVFormattedData*) {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::SetCell(int, int, TRVTableItemInfo*, int32_t) {
  throw ERVError("not built yet");
}
bool TRVTableInplaceEdit::FetchChangedFlag() {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::SetCellSelected(bool) {
  throw ERVError("not built yet");
}
TCustomRVEdit* TRVTableInplaceEdit::RootEditor() const {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::SetReadOnly(bool) {
  throw ERVError("not built yet");
}
bool TRVTableInplaceEdit::GetReadOnly() const {
  throw ERVError("not built yet");
}
bool TRVTableInplaceEdit::CanChange(bool) {
  throw ERVError("not built yet");
}
TRVCustomRTFReaderProperties* TRVTableInplaceEdit::GetRTFReadProperties() {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::Undo() {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::Redo() {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::Change(bool) {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::UpdateView(bool) {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::SetVPos(int32_t, bool) {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::SetHPos(int32_t) {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::WndProc(TMessage&) {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::KeyDown(uint16_t&, TShiftState) {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::KeyPress(char16_t&) {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::MouseDown(TMouseButton, TShiftState, int32_t, int32_t) {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::MouseMove(TShiftState, int32_t, int32_t) {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::MouseUp(TMouseButton, TShiftState, int32_t, int32_t) {
  throw ERVError("not built yet");
}
TCustomRVData* TRVTableInplaceEdit::GetEditorData() {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::SetFirstJumpNo(int) {
  throw ERVError("not built yet");
}
int TRVTableInplaceEdit::GetJumpCount() const {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::Close(bool) {
  throw ERVError("not built yet");
}
void TRVTableInplaceEdit::MoveEditor(int) {
  throw ERVError("not built yet");
}
bool TRVTableItemInfo::SearchText(bool, int, const std::string&) {
  throw ERVError("not built yet");
}
void TRVTableItemInfo::ClearSearch() {
  throw ERVError("not built yet");
}
