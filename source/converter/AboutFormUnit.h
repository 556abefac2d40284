// The about box: the program's name, version, copyright and a clickable web address.
#pragma once

#include <string>

#include "common/units/UIStateForm.h"

class TButton;
class TLabel;

/// The version shown in the about box.
constexpr const char* kProgramVersion = "1.0.215";
/// The web address the about box shows and opens.
constexpr const char* kWebAddress = "https://www.pemry.example/";

class TAboutForm : public TUIStateForm {
 public:
  explicit TAboutForm(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TAboutForm"; }

  TButton* bOK;
  TLabel* ApplicationNameLabel;
  TLabel* VersionLabel;
  TLabel* CopyrightLabel;
  TLabel* WebLinkLabel;

  /// The program that opens the web address.
  std::string Opener = "xdg-open";

  /// Opens the web address; an error box when no browser could be started.
  void WebLinkLabelClick();

 private:
  void FormCreate();
};
