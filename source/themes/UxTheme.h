// The reference-counted, lock-guarded loader of the theme library: on this platform the
// "library" is the desktop style service of the GUI layer, bound while at least one user holds
// it. It resolves the theme functions the program calls and says whether themes can be used.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/graphics/Canvas.h"

class TWinControl;

/// A theme handle: 0 = none.
using HTHEME = uintptr_t;

/// Flag of GetThemeAppProperties: themed controls are allowed.
constexpr uint32_t STAP_ALLOW_CONTROLS = 2;

/// The functions resolved while the library is loaded (empty while it is not).
struct TThemeFunctions {
  std::function<HTHEME(TWinControl* window, const char16_t* class_list)> OpenThemeData;
  std::function<int32_t(HTHEME theme)> CloseThemeData;
  std::function<int32_t(HTHEME theme, TCanvas& canvas, int32_t part, int32_t state, const TRect& rect,
                        const TRect* clip)>
      DrawThemeBackground;
  std::function<bool()> IsThemeActive;
  std::function<bool()> IsAppThemed;
  std::function<uint32_t()> GetThemeAppProperties;
};

/// The function table (tests may replace entries while the library is loaded).
TThemeFunctions& ThemeFunctions();

/// Adds 1 to the reference count (also when loading fails) and loads the library when needed;
/// true when it is loaded.
bool AcquireThemeLibrary();
/// Subtracts 1 (never below 0); at 0 unloads the library and clears the function table.
void ReleaseThemeLibrary();
/// The library is loaded, the application is themed and themes are active.
bool ThemesUsable();
/// The current reference count and whether the library is loaded.
int32_t ThemeLibraryReferenceCount();
bool ThemeLibraryLoaded();
/// The number of theme handles open now.
int32_t OpenThemeHandleCount();
