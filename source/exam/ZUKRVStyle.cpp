#include "exam/ZUKRVStyle.h"

#include "exam/ZUKStream.h"
#include "richtext/core/RVStyle.h"

int TZUKRVStyleTarget::TextStyleCount() const {
  return sheet_.TextStyles().Count();
}
int TZUKRVStyleTarget::ParaStyleCount() const {
  return sheet_.ParaStyles().Count();
}
void TZUKRVStyleTarget::DeleteTextStyle(int index) {
  sheet_.TextStyles().Delete(index);
}
void TZUKRVStyleTarget::DeleteParaStyle(int index) {
  sheet_.ParaStyles().Delete(index);
}
void TZUKRVStyleTarget::AddTextStyle(TStream& stream) {
  ReadObjectProperties(*sheet_.TextStyles().AddStyle(), stream);
}
void TZUKRVStyleTarget::AddParaStyle(TStream& stream) {
  ReadObjectProperties(*sheet_.ParaStyles().AddStyle(), stream);
}

void TrimStyles(TRVStyle& sheet) {
  TZUKRVStyleTarget target(sheet);
  TrimStyles(target);
}

void LoadStyleFromStream(TRVStyle& sheet, TStream& stream) {
  TZUKRVStyleTarget target(sheet);
  LoadStyleFromStream(target, stream);
}
