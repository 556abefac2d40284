#include "richtext/viewer/RVDataList.h"

#include "richtext/core/RVError.h"

TCustomRVData* TRVItemFormattedData::GetParentData() const {
  return Owner_ != nullptr ? Owner_->GetParentRVData() : nullptr;
}

TCustomRVData* TRVItemFormattedData::GetRootData() {
  TCustomRVData* parent = GetParentData();
  return parent != nullptr ? parent->GetRootData() : this;
}

TCustomRVData* TRVItemFormattedData::GetOuterRootData() {
  TCustomRVData* parent = GetOuterParentData();
  return parent != nullptr ? parent->GetOuterRootData() : this;
}

uint16_t TRVItemFormattedData::GetViewerState() const {
  return Owner_ != nullptr ? Owner_->Flags : TRVDataList::kDefaultViewerFlags;
}

void TRVItemFormattedData::SetViewerState(uint16_t Value) {
  (void)Value;
  throw ERVError("This method is not supported for TRVItemFormattedData");
}

void TRVItemFormattedData::ScrollToShowRect(int32_t X, int32_t Y, int32_t Width, int32_t Height) {
  TCustomRVFormattedData* root = FormattedRoot();
  if (root == nullptr || root == this) return;
  int32_t originX = 0;
  int32_t originY = 0;
  GetOrigin(originX, originY);
  root->ScrollToShowRect(X + originX, Y + originY, Width, Height);
}

TCursor TRVItemFormattedData::GetNormalCursor() const {
  const TCustomRVFormattedData* root = FormattedRoot();
  return root != nullptr && root != this ? root->GetNormalCursor() : crDefault;
}
