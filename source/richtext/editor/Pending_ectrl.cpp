// Placeholders of what is not built yet; each goes when its real definition lands.
#include "richtext/core/RVError.h"
#include "richtext/editor/RVERVData.h"
#include "richtext/editor/RVEdit.h"
#include "richtext/editor/RVItemResizer.h"

TCustomRVEdit::TCustomRVEdit(TComponent* AOwner)
    : TCustomRVViewer(AOwner, [](TCustomRVViewer* Viewer) -> std::unique_ptr<TRVViewerRVData> {
        return std::make_unique<TRVEditRVData>(Viewer);
      }) {
  InitEditor();
}
TCustomRVEdit::TCustomRVEdit(TComponent* AOwner, const TRVDataFactory& MakeData)
    : TCustomRVViewer(AOwner, MakeData) {
  InitEditor();
}
TCustomRVEdit::~TCustomRVEdit() = default;
void TCustomRVEdit::InitEditor() {
  SetCursor(crIBeam);
  EditorOptions = rvDefaultEditorOptions;
}
TRVEditRVData& TCustomRVEdit::EditRVData() {
  return static_cast<TRVEditRVData&>(RVData());
}
const TRVEditRVData& TCustomRVEdit::EditRVData() const {
  return static_cast<const TRVEditRVData&>(RVData());
}
bool TCustomRVEdit::GetReadOnly() const {
  return ReadOnly_;
}
void TCustomRVEdit::WndProc(TMessage& Message) {
  TCustomRVViewer::WndProc(Message);
}
void TCustomRVEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomRVViewer::KeyDown(Key, Shift);
}
void TCustomRVEdit::KeyUp(uint16_t& Key, TShiftState Shift) {
  TCustomRVViewer::KeyUp(Key, Shift);
}
void TCustomRVEdit::KeyPress(char16_t& Key) {
  TCustomRVViewer::KeyPress(Key);
}
void TCustomRVEdit::VScrolled() {
  TCustomRVViewer::VScrolled();
}
void TCustomRVEdit::HScrolled() {
  TCustomRVViewer::HScrolled();
}
const TPropertyList& TRVEdit::ClassProperties() {
  return TWinControl::ClassProperties();
}
TZUKEdit::TZUKEdit(TComponent* AOwner) : TRVEdit(AOwner) {}
void RVRegisterEditorClasses() {
  RegisterClass<TRVEdit>("TRVEdit");
  RegisterClass<TZUKEdit>("TZUKEdit");
}
TRVItemResizer::TRVItemResizer(TRVDrawLineInfo* ADrawItem, TCustomRVItemInfo* AItem, int ADrawItemNo)
    : DrawItem(ADrawItem), DrawItemNo(ADrawItemNo), ItemNo(-1), Item(AItem) {
  throw ERVError("not built yet");
}
// The formatted data's own handling until the editor's is built.
void TRVEditRVData::SelectionChanged() {
  TRVViewerRVData::SelectionChanged();
}
void TRVEditRVData::SetPartiallySelectedItem(TCustomRVItemInfo* Item) {
  TRVViewerRVData::SetPartiallySelectedItem(Item);
}
void TRVEditRVData::MarkStylesInUse(TRVIntegerList& UsedTextStyles, TRVIntegerList& UsedParaStyles,
                                    TRVIntegerList& UsedListStyles) {
  TRVViewerRVData::MarkStylesInUse(UsedTextStyles, UsedParaStyles, UsedListStyles);
}
bool TRVEditRVData::InsertItemObject(int& ItemNo, std::string Text, std::unique_ptr<TCustomRVItemInfo> Item,
                                     bool& FullReformat, int& NewListNo) {
  return TRVViewerRVData::InsertItemObject(ItemNo, std::move(Text), std::move(Item), FullReformat, NewListNo);
}
void TRVEditRVData::PaintOverlay(TCanvas& Canvas) {
  TRVViewerRVData::PaintOverlay(Canvas);
}
void TRVEditRVData::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TRVViewerRVData::MouseDown(Button, Shift, X, Y);
}
void TRVEditRVData::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TRVViewerRVData::MouseMove(Shift, X, Y);
}
void TRVEditRVData::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TRVViewerRVData::MouseUp(Button, Shift, X, Y);
}
void TRVEditRVData::XorDrawing() {
  TRVViewerRVData::XorDrawing();
}

int TRVEditRVData::GetCaretItemNo() {
  throw ERVError("not built yet");
}
int TRVEditRVData::GetCaretOffset() {
  throw ERVError("not built yet");
}
void TRVEditRVData::AdjustPosPastMarker(int&, int&, bool) const {
  throw ERVError("not built yet");
}
void TRVEditRVData::AdjustDrawPosPastMarker(int&, int&, bool) const {
  throw ERVError("not built yet");
}
bool TRVEditRVData::CaretAtParaStart() const {
  throw ERVError("not built yet");
}
bool TRVEditRVData::CaretAtParaEnd() const {
  throw ERVError("not built yet");
}
bool TRVEditRVData::CaretOnLastLine() const {
  throw ERVError("not built yet");
}
bool TRVEditRVData::CaretOnFirstLine() const {
  throw ERVError("not built yet");
}
bool TRVEditRVData::LastItemOnCaretLine() const {
  throw ERVError("not built yet");
}
TPoint TRVEditRVData::GetCaretPoint() const {
  throw ERVError("not built yet");
}
void TRVEditRVData::GetSelBounds(int&, int&, int&, int&, bool) {
  throw ERVError("not built yet");
}
void TRVEditRVData::SelectToCaret() {
  throw ERVError("not built yet");
}
void TRVEditRVData::StartSelectingAtCaret() {
  throw ERVError("not built yet");
}
void TRVEditRVData::ExtendSelectionBy(int, bool) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::IsItemProtected(int, TRVProtectOptions) const {
  throw ERVError("not built yet");
}
bool TRVEditRVData::IsParaProtected(int32_t, TRVParaOptions) const {
  throw ERVError("not built yet");
}
bool TRVEditRVData::IsSticking(int, bool) const {
  throw ERVError("not built yet");
}
bool TRVEditRVData::HasPendingNestedEdit() {
  throw ERVError("not built yet");
}
bool TRVEditRVData::CanInsertHere() {
  throw ERVError("not built yet");
}
void TRVEditRVData::Change(bool) {
  throw ERVError("not built yet");
}
void TRVEditRVData::FormatAfterChange(bool, int) {
  throw ERVError("not built yet");
}
void TRVEditRVData::BeginItemModify(int, int32_t&) {
  throw ERVError("not built yet");
}
void TRVEditRVData::EndItemModify(int, int32_t) {
  throw ERVError("not built yet");
}
void TRVEditRVData::ResizeControl(int, int32_t, int32_t, bool) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::InsertMarkerCopy(int, int) {
  throw ERVError("not built yet");
}
void TRVEditRVData::UpdateMarkersAfterChange(int, int) {
  throw ERVError("not built yet");
}
void TRVEditRVData::SetReadOnlyMode(bool) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::GetReadOnlyMode() const {
  throw ERVError("not built yet");
}
void TRVEditRVData::SetCurTextStyleNo(int32_t) {
  throw ERVError("not built yet");
}
void TRVEditRVData::SetCurParaStyleNo(int32_t) {
  throw ERVError("not built yet");
}
void TRVEditRVData::UpdateResizer() {
  throw ERVError("not built yet");
}
void TRVEditRVData::RecheckResizer() {
  throw ERVError("not built yet");
}
void TRVEditRVData::ResizeItem(int, int32_t, int32_t) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::CancelResize() {
  throw ERVError("not built yet");
}
void TRVEditRVData::AfterDeleteStyles(const TRVIntegerList&, const TRVIntegerList&) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::SetReadOnly(bool) {
  throw ERVError("not built yet");
}
bool TCustomRVEdit::CanChange(bool) {
  throw ERVError("not built yet");
}
bool TCustomRVEdit::DoChanging() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::Change(bool) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::DoCurParaStyleChanged() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::DoCurTextStyleChanged() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::DoCaretMove() {
  throw ERVError("not built yet");
}
TCustomRVEdit* TCustomRVEdit::GetInnermostEditor() {
  throw ERVError("not built yet");
}
int32_t TCustomRVEdit::GetCurTextStyleNo() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::SetCurTextStyleNo(int32_t) {
  throw ERVError("not built yet");
}
int32_t TCustomRVEdit::GetCurParaStyleNo() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::SetCurParaStyleNo(int32_t) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::ApplyParaStyle(int32_t) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::ApplyStyleConversion(int) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::ApplyParaStyleConversion(int) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::SelectUnicodeStyleIfNeeded() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::SetTabNavigation(TRVTabNavigationType) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::AssignEvents(const TCustomRVViewer&) {
  throw ERVError("not built yet");
}
TRVUndoType TCustomRVEdit::UndoAction() {
  throw ERVError("not built yet");
}
TRVUndoType TCustomRVEdit::RedoAction() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::Undo() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::Redo() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::ClearUndo() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::SetUndoGroupMode(bool) {
  throw ERVError("not built yet");
}
int TCustomRVEdit::GetUndoLimit() const {
  throw ERVError("not built yet");
}
void TCustomRVEdit::SetUndoLimit(int) {
  throw ERVError("not built yet");
}
bool TCustomRVEdit::IsUndoShortcut(TShiftState, uint16_t) {
  throw ERVError("not built yet");
}
bool TCustomRVEdit::IsRedoShortcut(TShiftState, uint16_t) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::DeleteSelection() {
  throw ERVError("not built yet");
}
int TCustomRVEdit::GetCaretItemNo() {
  throw ERVError("not built yet");
}
int TCustomRVEdit::GetCaretOffset() {
  throw ERVError("not built yet");
}
TCustomRVItemInfo* TCustomRVEdit::GetCurrentItem() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::BeginItemModify(int, int32_t&) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::EndItemModify(int, int32_t) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::SetItemExtraIntProperty(int, int, bool, int32_t) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::DoBackspace(bool) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::DoDelete(bool) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::DoEnter(bool) {
  throw ERVError("not built yet");
}
bool TCustomRVEdit::BeginInsert() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::EndInsert() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::InsertText(const std::string&, bool) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::InsertTextW(const std::string&) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::InsertPicture(const std::string&, std::unique_ptr<TGraphic>, uint8_t) {
  throw ERVError("not built yet");
}
bool TCustomRVEdit::InsertRVFFromStream(TStream&) {
  throw ERVError("not built yet");
}
bool TCustomRVEdit::InsertRTFFromStream(TStream&) {
  throw ERVError("not built yet");
}
bool TCustomRVEdit::CanPaste() {
  throw ERVError("not built yet");
}
bool TCustomRVEdit::CanPasteRVF() {
  throw ERVError("not built yet");
}
bool TCustomRVEdit::CanPasteRTF() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::Paste() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::PasteRVF() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::PasteRTF() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::PasteText() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::PasteTextW() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::PasteBitmap(bool) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::PasteMetafile(bool) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::CutSelection() {
  throw ERVError("not built yet");
}
std::string TCustomRVEdit::GetHTMLSourceURL() {
  throw ERVError("not built yet");
}
void TCustomRVEdit::WMSetFocus(TMessage&) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::WMKillFocus(TMessage&) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::WMGetDlgCode(TMessage&) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::WMKeyDown(TMessage&) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::WMChar(TMessage&) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::WMSysChar(TMessage&) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::WMInputLangChange(TMessage&) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::WMImeStartComposition(TMessage&) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::WMImeComposition(TMessage&) {
  throw ERVError("not built yet");
}
void TCustomRVEdit::EMCanPaste(TMessage&) {
  throw ERVError("not built yet");
}
void TRVItemResizer::Draw(TCanvas&, int32_t, int32_t) {
  throw ERVError("not built yet");
}
bool TRVItemResizer::GetHandleAt(int32_t, int32_t, int&, int32_t, int32_t) const {
  throw ERVError("not built yet");
}
TCursor TRVItemResizer::GetCursor(int) {
  throw ERVError("not built yet");
}
bool TRVItemResizer::MouseDown(int32_t, int32_t, int32_t, int32_t) {
  throw ERVError("not built yet");
}
void TRVItemResizer::MouseMove(TShiftState, int32_t, int32_t, int32_t, int32_t) {
  throw ERVError("not built yet");
}
void TRVItemResizer::DrawDragRect(TCanvas&, int32_t, int32_t) {
  throw ERVError("not built yet");
}
void TRVItemResizer::MouseUp() {
  throw ERVError("not built yet");
}
void TRVItemResizer::Cancel() {
  throw ERVError("not built yet");
}
