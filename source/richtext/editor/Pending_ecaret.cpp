// Placeholders of what is not built yet; each goes when its real definition lands.
#include "richtext/core/RVError.h"
#include "richtext/editor/RVERVData.h"

void TRVEditRVData::OnDeletePress(bool, bool) {
  throw ERVError("not built yet");
}
void TRVEditRVData::OnBackSpacePress(bool, bool, bool) {
  throw ERVError("not built yet");
}
void TRVEditRVData::ApplyParaStyle(int32_t, bool) {
  throw ERVError("not built yet");
}
