// Editor hooks for table tests without an editor: every change is allowed, no undo is kept and
// the notices do nothing; a test overrides what it wants to watch (usually OpenCellEditor).
#pragma once

#include <cstdint>
#include <string>

#include "richtext/table/RVTable.h"

namespace tabletest {

class TQuietEditorHooks : public TRVTableEditorHooks {
 public:
  bool CanChange(TRVTableItemInfo&) override { return true; }
  bool UndoEnabled(TRVTableItemInfo&) override { return false; }
  void ChangeEditor(TRVTableItemInfo&, bool) override {}
  void SetTableProperty(TRVTableItemInfo&, const std::string&, int32_t, bool, bool) override {}
  void SetCellProperty(TRVTableItemInfo&, int, const std::string&, bool, bool, int, int, int32_t) override {}
  void BeginTableChange(TRVTableItemInfo&, int32_t&) override {}
  void EndTableChange(TRVTableItemInfo&, int32_t) override {}
};

}  // namespace tabletest
