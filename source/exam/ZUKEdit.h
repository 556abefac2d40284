// TZUKEdit: the program's own editor control. It reads RVF with unknown style numbers turned
// into style 0 and writes RTF with the style sheet; the viewer's mouse handling knows it by
// its class name (an empty press and a double click do nothing in it, and a click on a cell
// that may not be edited leaves an open cell editor alone).
#pragma once

#include "richtext/editor/RVEdit.h"

class TZUKEdit : public TRVEdit {
 public:
  explicit TZUKEdit(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TZUKEdit"; }
};

/// Registers TZUKEdit with the class registry, so a form resource can hold one.
void RegisterZUKEdit();
