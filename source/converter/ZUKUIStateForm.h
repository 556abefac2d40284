// The converter's main-window base: a keyboard-cue main form that localises itself through the
// program's localisation store as soon as it is built.
#pragma once

#include "common/units/UIStateForm.h"

class TZUKUIStateMainForm : public TUIStateMainForm {
 public:
  using TUIStateMainForm::TUIStateMainForm;
  std::string ClassName() const override { return "TZUKUIStateMainForm"; }

  /// Runs the create handler, localises the form and its components, then AfterLocalize. The
  /// most derived form's constructor calls it last, once every component exists.
  void AfterConstruction();

 protected:
  virtual void AfterLocalize() {}
};
