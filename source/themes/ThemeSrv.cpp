#include "themes/ThemeSrv.h"

#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StyleDrawing.h"

namespace {

constexpr const char16_t* kThemeClassNames[kThemeElementCount] = {
    u"button",   u"clock",      u"combobox", u"edit",       u"explorerbar", u"header",
    u"listview", u"menu",       u"page",     u"progress",   u"rebar",       u"scrollbar",
    u"spin",     u"startpanel", u"status",   u"tab",        u"taskband",    u"taskbar",
    u"toolbar",  u"tooltip",    u"trackbar", u"traynotify", u"treeview",    u"window"};

std::unique_ptr<TThemeServices>& Instance() {
  // The style-change registry must outlive the instance, which unbinds from it at program end.
  RemoveStyleChangeHandler(0);
  static std::unique_ptr<TThemeServices> instance;
  return instance;
}

}  // namespace

TThemeServices::TThemeServices(TWinControl* window) : window_(window) {
  if (window_ != nullptr) windowLife_ = window_->LifeToken();
  // Style changes reach the services whether or not a window is bound.
  handlerId_ = AddStyleChangeHandler([this] {
    TMessage message;
    message.Msg = WM_THEMECHANGED;
    Dispatch(message);
  });
  libraryPresent_ = AcquireThemeLibrary();
  UpdateThemes();
}

TThemeServices::~TThemeServices() {
  Unbind();
  UnloadThemeData();
  ReleaseThemeLibrary();
}

void TThemeServices::Unbind() {
  if (handlerId_ != 0) RemoveStyleChangeHandler(handlerId_);
  handlerId_ = 0;
}

HTHEME TThemeServices::GetTheme(uint8_t element) {
  if (element >= kThemeElementCount || !themesAvailable_) return 0;
  if (themes_[element] == 0 && ThemeFunctions().OpenThemeData) {
    TWinControl* window = windowLife_.expired() ? nullptr : window_;
    themes_[element] = ThemeFunctions().OpenThemeData(window, kThemeClassNames[element]);
  }
  return themes_[element];
}

void TThemeServices::UpdateThemes() {
  if (themesAvailable_) UnloadThemeData();
  // The style service stands in for the common-controls version check.
  themesAvailable_ = ThemesUsable();
  controlsThemed_ = themesAvailable_ && ThemeFunctions().GetThemeAppProperties &&
                    (ThemeFunctions().GetThemeAppProperties() & STAP_ALLOW_CONTROLS) != 0;
}

void TThemeServices::UnloadThemeData() {
  // Handles are closed whether or not the window still exists, so none leaks.
  for (HTHEME& theme : themes_) {
    if (theme != 0 && ThemeFunctions().CloseThemeData) ThemeFunctions().CloseThemeData(theme);
    theme = 0;
  }
}

void TThemeServices::DoOnThemeChange() {
  if (OnThemeChange) OnThemeChange(this);
}

void TThemeServices::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_DESTROY:
      Unbind();
      break;
    case WM_THEMECHANGED:
      UpdateThemes();
      DoOnThemeChange();
      break;
    default:
      break;
  }
  if (!windowLife_.expired() && window_ != nullptr && message.Msg != WM_THEMECHANGED)
    window_->WndProc(message);
}

TThemedElementDetails TThemeServices::GetHeaderElementDetails(uint8_t detail) const {
  TThemedElementDetails result{teHeader, 0, 0};
  int32_t base = 0;
  if (detail >= 2 && detail <= 4) {
    result.Part = 1;
    base = 2;
  } else if (detail >= 5 && detail <= 7) {
    result.Part = 2;
    base = 5;
  } else if (detail >= 8 && detail <= 10) {
    result.Part = 3;
    base = 8;
  } else if (detail >= 11 && detail <= 12) {
    result.Part = 4;
    base = 11;
  }
  result.State = detail - base + 1;
  return result;
}

TThemedElementDetails TThemeServices::GetTreeviewElementDetails(uint8_t detail) const {
  TThemedElementDetails result{teTreeview, 0, 0};
  int32_t base = 0;
  if (detail >= 2 && detail <= 6) {
    result.Part = 1;
    base = 2;
  } else if (detail >= 7 && detail <= 8) {
    result.Part = 2;
    base = 7;
  } else if (detail == 9) {
    result.Part = 3;
    base = 9;
  }
  result.State = detail - base + 1;
  return result;
}

void TThemeServices::DrawElement(TCanvas& canvas, const TThemedElementDetails& details, const TRect& rect,
                                 const TRect* clip) {
  const HTHEME theme = GetTheme(details.Element);
  if (theme != 0 && ThemeFunctions().DrawThemeBackground)
    ThemeFunctions().DrawThemeBackground(theme, canvas, details.Part, details.State, rect, clip);
}

TThemeServices& GetThemeServices() {
  std::unique_ptr<TThemeServices>& instance = Instance();
  if (instance == nullptr) {
    TWinControl* window = Application != nullptr ? Application->MainForm() : nullptr;
    instance = std::make_unique<TThemeServices>(window);
  }
  return *instance;
}

void FreeThemeServices() {
  Instance().reset();
}
