// Placeholders of what is not built yet; each goes when its real definition lands.
#include "richtext/core/RVError.h"
#include "richtext/editor/RVERVData.h"

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
