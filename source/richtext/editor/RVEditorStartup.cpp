#include "richtext/editor/RVEditorStartup.h"

#include "richtext/editor/RVEdit.h"
#include "richtext/editor/RVTableEditing.h"

void RVRegisterEditor() {
  RVRegisterEditorClasses();
  RVRegisterTableEditing();
}

void RVRegisterTableEditing() {
  static TRVTableEditorServices services;
  RVSetTableEditorHooks(&services);
}
