// Placeholders of what is not built yet; each goes when its real definition lands.
#include "richtext/core/RVError.h"
#include "richtext/editor/RVERVData.h"

bool TRVEditRVData::CanDelete() {
  throw ERVError("not built yet");
}
bool TRVEditRVData::DeleteSelection() {
  throw ERVError("not built yet");
}
void TRVEditRVData::MergeItems(int) {
  throw ERVError("not built yet");
}
void TRVEditRVData::OnEnterPress(bool) {
  throw ERVError("not built yet");
}
std::unique_ptr<TCustomRVItemInfo> TRVEditRVData::CreateTextItem(const TRVTag&, int32_t, bool, bool,
                                                                 int32_t) {
  throw ERVError("not built yet");
}
void TRVEditRVData::InsertTextItem(int, std::string, const TRVTag&, int32_t, bool, bool, int32_t, bool&) {
  throw ERVError("not built yet");
}
void TRVEditRVData::InsertEmptyTextItem(int, const TRVTag&, int32_t, bool, bool, int32_t, bool&) {
  throw ERVError("not built yet");
}
void TRVEditRVData::FormatAfterEdit(bool, int, int, int) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::InsertItemAtCaret(std::unique_ptr<TCustomRVItemInfo>&, std::string&, int&, int&, bool&) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::InsertItemAtCaretAndFormat(std::unique_ptr<TCustomRVItemInfo>, std::string) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::InsertTextA(const std::string&, bool) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::InsertTextW(const std::string&, bool) {
  throw ERVError("not built yet");
}
void TRVEditRVData::TypeText(const std::string&) {
  throw ERVError("not built yet");
}
void TRVEditRVData::GetInsertionIndex(int&, bool&) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::InsertRVFAtCaret(TStream&) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::InsertRTFAtCaret(TStream&) {
  throw ERVError("not built yet");
}
void TRVEditRVData::ApplyStyleConversion(int) {
  throw ERVError("not built yet");
}
