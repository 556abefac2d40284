// Placeholders of what is not built yet; each goes when its real definition lands.
#include "richtext/core/RVError.h"
#include "richtext/editor/RVERVData.h"

bool TRVEditRVData::OnHomePress(bool) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::OnEndPress(bool) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::OnLeftPress(bool, bool) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::OnRightPress(bool, bool) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::OnUpPress(bool, bool) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::OnDownPress(bool, bool) {
  throw ERVError("not built yet");
}
bool TRVEditRVData::OnPgUpPress() {
  throw ERVError("not built yet");
}
bool TRVEditRVData::OnPgDownPress() {
  throw ERVError("not built yet");
}
void TRVEditRVData::OnDeletePress(bool, bool) {
  throw ERVError("not built yet");
}
void TRVEditRVData::OnBackSpacePress(bool, bool, bool) {
  throw ERVError("not built yet");
}
void TRVEditRVData::ApplyParaStyle(int32_t, bool) {
  throw ERVError("not built yet");
}
