// TThemeServices: one process-wide object bound to the application's main window. It opens theme
// handles lazily per kind of element, follows style changes, says whether themed drawing is on,
// maps the tree's header and tree drawing states to part and state numbers, and draws elements.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/graphics/Controls.h"
#include "themes/UxTheme.h"

/// An element kind (0..23), with a part and state of that element.
struct TThemedElementDetails {
  uint8_t Element = 0;
  int32_t Part = 0;
  int32_t State = 0;
  friend bool operator==(const TThemedElementDetails&, const TThemedElementDetails&) = default;
};

inline constexpr uint8_t teHeader = 5;
inline constexpr uint8_t teTreeview = 22;
inline constexpr int kThemeElementCount = 24;

class TThemeServices : public TObject {
 public:
  /// Binds to `window` (none for no window) and reads the theme state.
  explicit TThemeServices(TWinControl* window);
  ~TThemeServices() override;
  std::string ClassName() const override { return "TThemeServices"; }

  /// The element's handle, opened on first use (0 when themes are off or opening failed).
  HTHEME GetTheme(uint8_t element);
  bool GetThemesEnabled() const { return libraryPresent_ && themesAvailable_ && controlsThemed_; }
  bool ThemesAvailable() const { return themesAvailable_; }
  TThemedElementDetails GetHeaderElementDetails(uint8_t detail) const;
  TThemedElementDetails GetTreeviewElementDetails(uint8_t detail) const;
  void DrawElement(TCanvas& canvas, const TThemedElementDetails& details, const TRect& rect,
                   const TRect* clip);
  void UpdateThemes();
  /// Closes every open handle.
  void UnloadThemeData();
  /// The message method bound to the window: WM_DESTROY unbinds, WM_THEMECHANGED re-reads.
  void Dispatch(TMessage& message);
  /// Whether the binding to the window is still installed.
  bool Bound() const { return handlerId_ != 0; }

  TNotifyEvent OnThemeChange;

 protected:
  virtual void DoOnThemeChange();

 private:
  void Unbind();

  bool libraryPresent_ = false;
  bool themesAvailable_ = false;
  bool controlsThemed_ = false;
  TWinControl* window_ = nullptr;
  std::weak_ptr<TControl* const> windowLife_;
  int handlerId_ = 0;  // the style-change binding (0 = none)
  std::array<HTHEME, kThemeElementCount> themes_{};
};

/// The process-wide instance, made on first call for the application's main form.
TThemeServices& GetThemeServices();
/// Frees the process-wide instance (the next GetThemeServices makes a new one).
void FreeThemeServices();
