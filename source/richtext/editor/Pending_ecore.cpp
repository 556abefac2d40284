// Placeholders of what is not built yet; each goes when its real definition lands.
#include "richtext/core/RVError.h"
#include "richtext/editor/RVERVData.h"
#include "richtext/editor/RVUndo.h"

int TRVEditRVData::GetParaEndItemNo(int) const {
  throw ERVError("not built yet");
}
void TRVEditRVData::SetParaNoRange(int, int, bool&, int32_t) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_DeleteItem(int, bool&) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_DeleteItems(int, int, bool&) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_DeleteSubstring(int, int, int) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_InsertItem(int, std::string&, std::unique_ptr<TCustomRVItemInfo>, bool, bool&) {
  throw ERVError("not built yet");
}
TRVUndoInsertItemsInfo* TRVEditRVData::Do_BeginInsertItems(int, int) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_EndInsertItems(int, int, bool&, TRVUndoInsertItemsInfo*) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_ReinsertItems(int, TRVItemList&, bool&, bool) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_InsertSubstring(int, int, const std::string&) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_ChangeText(int, const std::string&) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_NewLine(int, bool, int32_t, bool&) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_BR(int, bool, bool&) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_PageBreak(int, bool) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_ParaList(int, int, bool&, int32_t) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_ParaNos(int, const TRVIntegerList&, bool&) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_StyleNo(int, int32_t) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_Tag(int, const TRVTag&, bool) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_AddCP(int, std::unique_ptr<TRVCPInfo>) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_DeleteCP(int) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_Resize(int, int32_t, int32_t, bool) {
  throw ERVError("not built yet");
}
TRVUndoModifyItemProps* TRVEditRVData::DoModifyItemIntProperty(int, TPersistent*, TRVUndoModifyItemPropsClass,
                                                               bool, bool, int32_t, const std::string&) {
  throw ERVError("not built yet");
}
TRVUndoModifyItemProps* TRVEditRVData::DoModifyItemIntProperties(int, TPersistent*,
                                                                 TRVUndoModifyItemPropsClass, bool, bool,
                                                                 const TRVIntPropertyList&) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::Do_ExtraIntProperty(int, int, int32_t) {
  throw ERVError("not built yet");
}
void TRVEditRVData::AddModifyItemTerminator(int, bool) {
  throw ERVError("not built yet");
}
void TRVEditRVData::Do_ReformateRange(int, int, bool) {
  throw ERVError("not built yet");
}
bool TRVUndoInfo::NeedsFullReformatBefore(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVUndoInfo::NeedsFullReformatAfter(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoInfo::GetAffectedRange(int&, int&, TRVEditRVData*) {
  throw ERVError("not built yet");
}
TCustomRVData* TRVUndoInfo::GetRVData() const {
  throw ERVError("not built yet");
}
void TRVUndoItemNoInfo::GetAffectedRange(int&, int&, TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoReformateRange::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoResizeInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVUndoResizeInfo::NeedsFullReformatAfter(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoChangeTextInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVUndoChangeTextInfo::NeedsFullReformatAfter(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoDeleteSubstringInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVUndoDeleteSubstringInfo::NeedsFullReformatAfter(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVRedoTypingInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVRedoTypingInfo::NeedsFullReformatAfter(TRVEditRVData*) {
  throw ERVError("not built yet");
}
int TRVRedoTypingInfo::CharCount() const {
  throw ERVError("not built yet");
}
TRVUndoItemInfo::~TRVUndoItemInfo() {}
void TRVUndoDeleteItemInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVUndoDeleteItemInfo::NeedsFullReformatAfter(TRVEditRVData*) {
  throw ERVError("not built yet");
}
TRVUndoStringItemListInfo::~TRVUndoStringItemListInfo() {}
void TRVUndoItemRangeInfo::GetAffectedRange(int&, int&, TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoDeleteItemsInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVUndoDeleteItemsInfo::NeedsFullReformatAfter(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoParaListInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoParaListInfo::GetAffectedRange(int&, int&, TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoParaInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoParaInfo::GetAffectedRange(int&, int&, TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoStyleNoInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVUndoStyleNoInfo::NeedsFullReformatAfter(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoNewLineInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoBRInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoPageBreakInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoExtraIntProperty::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVUndoExtraIntProperty::NeedsFullReformatAfter(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoInsertSubstringInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVUndoInsertSubstringInfo::NeedsFullReformatAfter(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoTypingInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoInsertItemsInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVUndoInsertItemsInfo::NeedsFullReformatBefore(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoInsertItemInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVUndoInsertItemInfo::NeedsFullReformatBefore(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoTagInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoAddCPInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoDeleteCPInfo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
TRVUndoModifyItemPropsClass TRVUndoModifyItemProps::GetRedoClass() const {
  throw ERVError("not built yet");
}
bool TRVUndoModifyItemProps::NeedsFullReformatBefore(TRVEditRVData*) {
  throw ERVError("not built yet");
}
bool TRVUndoModifyItemProps::NeedsFullReformatAfter(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoModifyItemTerminator::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoModifyItemIntProperty::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
TPersistent* TRVUndoModifyItemIntProperty::GetSubObject(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoModifyItemIntProperties::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
TPersistent* TRVUndoModifyItemIntProperties::GetSubObject(TRVEditRVData*) {
  throw ERVError("not built yet");
}
TRVCompositeUndo::TRVCompositeUndo() = default;
TRVCompositeUndo::~TRVCompositeUndo() {}
void TRVCompositeUndo::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVCompositeUndo::GetAffectedRange(int&, int&, TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoInfos::PerformUndo(TRVEditRVData*, bool) {
  throw ERVError("not built yet");
}
void TRVUndoInfos::PerformRedo(TRVEditRVData*, bool) {
  throw ERVError("not built yet");
}
void TRVUndoInfos::SetList(TRVUndoList*) {
  throw ERVError("not built yet");
}
bool TRVUndoInfos::IsSpent() const {
  throw ERVError("not built yet");
}
void TRVUndoInfos::Perform(TRVEditRVData*, bool) {
  throw ERVError("not built yet");
}
bool TRVUndoList::BeginUndoGroup(TRVUndoType, const std::string&, int, int) {
  throw ERVError("not built yet");
}
TRVUndoInfo* TRVUndoList::AddInfo(std::unique_ptr<TRVUndoInfo>) {
  throw ERVError("not built yet");
}
void TRVUndoList::AddInfos(std::unique_ptr<TRVUndoInfos>) {
  throw ERVError("not built yet");
}
void TRVUndoList::DeleteEmptyLastGroup() {
  throw ERVError("not built yet");
}
TRVUndoType TRVUndoList::CurrentUndoType() const {
  throw ERVError("not built yet");
}
void TRVUndoList::AddTyping(int, int, bool) {
  throw ERVError("not built yet");
}
void TRVUndoList::AddUntyping(const std::string&, int, int) {
  throw ERVError("not built yet");
}
void TRVUndoList::Undo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoList::Redo(TRVEditRVData*) {
  throw ERVError("not built yet");
}
void TRVUndoList::AfterUndoStep() {
  throw ERVError("not built yet");
}
void TRVUndoList::SetLimit(int) {
  throw ERVError("not built yet");
}
bool WidthChangeMatters(int, int32_t, TRVEditRVData*) {
  throw ERVError("not built yet");
}
void FreeUndoItem(std::unique_ptr<TCustomRVItemInfo>, TCustomRVData*) {
  throw ERVError("not built yet");
}
