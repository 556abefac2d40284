#include "platform/core/TypInfo.h"

#include "platform/core/SysUtils.h"

std::string TPropInfo::EnumName(int64_t value) const {
  if (value < 0 || value >= static_cast<int64_t>(Names.size())) return {};
  return Names[static_cast<size_t>(value)];
}

int64_t TPropInfo::EnumValue(std::string_view name) const {
  for (size_t i = 0; i < Names.size(); ++i)
    if (SameText(Names[i], name)) return static_cast<int64_t>(i);
  return -1;
}

const TPropInfo* TPropertyList::Find(std::string_view name) const {
  for (const TPropInfo& p : props_)
    if (SameText(p.Name, name)) return &p;
  return nullptr;
}
