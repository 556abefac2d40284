// Placeholders of what is not built yet; each goes when its real definition lands.
#include "richtext/core/RVError.h"
#include "richtext/editor/RVERVData.h"
#include "richtext/editor/RVEdit.h"
#include "richtext/editor/RVItemResizer.h"

const TPropertyList& TRVEdit::ClassProperties() {
  return TWinControl::ClassProperties();
}
void RVRegisterEditorClasses() {
  RegisterClass<TRVEdit>("TRVEdit");
}
