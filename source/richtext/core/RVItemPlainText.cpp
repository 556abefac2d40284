// The plain-text forms of the items that have one: the horizontal line, embedded controls
// and list markers. Text items and the line structure are the plain-text writer's business
// (RVTextWriter.cpp).

#include <algorithm>

#include "platform/graphics/Controls.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"

std::string TCustomRVItemInfo::GetPlainText(int32_t LineWidth, TCustomRVData* RVData, const std::string& Text,
                                            const std::string& Path, bool TextOnly, bool Unicode) {
  (void)LineWidth, (void)RVData, (void)Text, (void)Path, (void)TextOnly, (void)Unicode;
  return {};
}

std::string TRVBreakItemInfo::GetPlainText(int32_t LineWidth, TCustomRVData* RVData, const std::string& Text,
                                           const std::string& Path, bool TextOnly, bool Unicode) {
  (void)RVData, (void)Text, (void)Path, (void)TextOnly, (void)Unicode;
  return std::string(static_cast<size_t>(std::max(LineWidth, 1)), this->LineWidth < 2 ? '-' : '=');
}

std::string TRVControlItemInfo::GetPlainText(int32_t LineWidth, TCustomRVData* RVData,
                                             const std::string& Text, const std::string& Path, bool TextOnly,
                                             bool Unicode) {
  (void)LineWidth, (void)Text, (void)TextOnly, (void)Unicode;
  if (RVData == nullptr) return {};
  return RVData->SaveComponentToFile(Path, Control.get(), rvsaveText);
}

std::string TRVMarkerItemInfo::GetPlainText(int32_t LineWidth, TCustomRVData* RVData, const std::string& Text,
                                            const std::string& Path, bool TextOnly, bool Unicode) {
  (void)LineWidth, (void)Text, (void)Path, (void)TextOnly;
  return GetPlainText(RVData != nullptr ? RVData->GetRVStyle() : nullptr, Unicode);
}
