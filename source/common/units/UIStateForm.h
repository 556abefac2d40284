// Form bases that give a window the desktop's message font and keep its keyboard cues (focus
// rectangles, access-key underlines) hidden until the user works with the keyboard. The about
// box derives from TUIStateForm, the converter's main window from TUIStateMainForm.
#pragma once

#include "platform/gui/Forms.h"

class TUIStateForm : public TForm {
 public:
  explicit TUIStateForm(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TUIStateForm"; }
  void WndProc(TMessage& message) override;

 protected:
  /// The WM_CHANGEUISTATE parameter sent when the form is shown.
  virtual WPARAM ShowingUIState() const;
  /// The parameter sent for a dialog key; 0 sends nothing.
  virtual WPARAM DialogKeyUIState(uint16_t key) const;
};

class TUIStateMainForm : public TUIStateForm {
 public:
  using TUIStateForm::TUIStateForm;
  std::string ClassName() const override { return "TUIStateMainForm"; }

 protected:
  WPARAM ShowingUIState() const override;
  WPARAM DialogKeyUIState(uint16_t key) const override;
};
