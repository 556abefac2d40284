#include "converter/AboutFormUnit.h"

#include "common/units/LocalizationStore.h"
#include "common/units/MessageBoxes.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Font.h"
#include "platform/gui/Shell.h"
#include "platform/gui/StdCtrls.h"

namespace {

constexpr int kCopyrightYear = 2026;

template <typename T>
T* Make(TComponent* owner, TWinControl* parent, const char* name, int32_t left, int32_t top, int32_t width,
        int32_t height) {
  auto* control = new T(owner);
  control->SetName(name);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  return control;
}

}  // namespace

TAboutForm::TAboutForm(TComponent* owner) : TUIStateForm(owner) {
  SetName("AboutForm");
  SetCaption("About ZUK Converter");
  SetFormBorderStyle(bsDialog);
  SetPosition(poOwnerFormCenter);
  SetClientSize(313, 187);
  bOK = Make<TButton>(this, this, "bOK", 225, 150, 75, 25);
  ApplicationNameLabel = Make<TLabel>(this, this, "ApplicationNameLabel", 16, 16, 280, 20);
  VersionLabel = Make<TLabel>(this, this, "VersionLabel", 16, 44, 280, 17);
  CopyrightLabel = Make<TLabel>(this, this, "CopyrightLabel", 16, 68, 280, 17);
  WebLinkLabel = Make<TLabel>(this, this, "WebLinkLabel", 16, 100, 280, 17);
  bOK->SetAnchors(akRight | akBottom);
  bOK->SetCaption("OK");
  bOK->SetDefault(true);
  bOK->SetCancel(true);
  bOK->SetModalResult(mrCancel);
  WebLinkLabel->SetCursor(crHandPoint);
  WebLinkLabel->OnClick = [this](TObject*) { WebLinkLabelClick(); };
  OnCreate = [this](TObject*) { FormCreate(); };
  DoCreate();
}

void TAboutForm::FormCreate() {
  TFont nameFont;
  nameFont.Assign(Font());
  nameFont.SetStyle({fsBold});
  nameFont.SetSize(11);
  ApplicationNameLabel->SetFont(nameFont);
  TFont linkFont;
  linkFont.Assign(Font());
  linkFont.SetColor(clHotLight);
  linkFont.SetStyle({fsUnderline});
  WebLinkLabel->SetFont(linkFont);
  ApplicationNameLabel->SetCaption("ZUK Converter");
  // The texts come from the language tables; Format takes them as templates safely.
  VersionLabel->SetCaption(Format(LocalizedText("VERSION_LABEL"), {kProgramVersion}));
  CopyrightLabel->SetCaption(Format(LocalizedText("COPYRIGHT_NOTICE"), {kCopyrightYear}));
  WebLinkLabel->SetCaption(kWebAddress);
}

void TAboutForm::WebLinkLabelClick() {
  if (!ShellOpen(kWebAddress, Opener)) ShowErrorMessage(this, LocalizedText("CANT_OPEN_INTERNET_BROWSER"));
}
