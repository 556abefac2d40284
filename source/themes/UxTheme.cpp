#include "themes/UxTheme.h"

#include <map>
#include <mutex>
#include <string>

#include "platform/gui/StyleDrawing.h"

namespace {

std::mutex& LibraryLock() {
  static std::mutex lock;
  return lock;
}

bool libraryLoaded = false;
int32_t referenceCount = 0;

// Open handles: the class name each was opened for. Handle numbers are never reused, so a stale
// handle stays invalid.
std::map<HTHEME, std::u16string>& OpenHandles() {
  static std::map<HTHEME, std::u16string> handles;
  return handles;
}
HTHEME nextHandle = 1;

// Which style element a (class, part, state) triple is drawn with.
bool PrimitiveOf(const std::u16string& class_name, int32_t part, int32_t state, TStylePrimitive& primitive,
                 uint32_t& flags) {
  flags = 0;
  if (class_name == u"header") {
    switch (part) {
      case 1:
      case 2:
        primitive = TStylePrimitive::HeaderSection;
        flags = state == 2 ? kStyleHot : state == 3 ? kStylePressed : 0;
        return true;
      case 3:
        primitive = TStylePrimitive::HeaderEmptyArea;
        flags = state == 2 ? kStyleHot : state == 3 ? kStylePressed : 0;
        return true;
      case 4:
        primitive = state == 1 ? TStylePrimitive::HeaderSortArrowUp : TStylePrimitive::HeaderSortArrowDown;
        return true;
      default:
        primitive = TStylePrimitive::HeaderEmptyArea;
        return true;
    }
  }
  if (class_name == u"treeview") {
    switch (part) {
      case 1:
        primitive = TStylePrimitive::ItemPanel;
        flags = state == 2   ? kStyleHot
                : state == 3 ? kStyleSelected
                : state == 4 ? kStyleDisabled
                : state == 5 ? (kStyleSelected | kStyleUnfocused)
                             : 0;
        return true;
      case 2:
        primitive = state == 1 ? TStylePrimitive::BranchClosed : TStylePrimitive::BranchOpen;
        return true;
      case 3:
        primitive = TStylePrimitive::BranchLine;
        return true;
      default:
        primitive = TStylePrimitive::WindowPanel;
        return true;
    }
  }
  if (class_name == u"edit") {
    primitive = TStylePrimitive::EditFrame;
    return true;
  }
  if (class_name == u"button") {
    primitive = TStylePrimitive::ButtonPanel;
    return true;
  }
  if (class_name == u"window") {
    primitive = TStylePrimitive::WindowPanel;
    return true;
  }
  return false;
}

void Resolve() {
  TThemeFunctions& f = ThemeFunctions();
  f.OpenThemeData = [](TWinControl*, const char16_t* class_list) -> HTHEME {
    if (class_list == nullptr || !StyleAvailable()) return 0;
    const HTHEME handle = nextHandle++;
    // Class names are compared without regard to case ("Edit" is "edit").
    std::u16string name(class_list);
    for (char16_t& c : name)
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    OpenHandles()[handle] = name;
    return handle;
  };
  f.CloseThemeData = [](HTHEME theme) -> int32_t { return OpenHandles().erase(theme) != 0 ? 0 : -1; };
  f.DrawThemeBackground = [](HTHEME theme, TCanvas& canvas, int32_t part, int32_t state, const TRect& rect,
                             const TRect* clip) -> int32_t {
    const auto it = OpenHandles().find(theme);
    if (it == OpenHandles().end()) return -1;
    TStylePrimitive primitive;
    uint32_t flags;
    if (!PrimitiveOf(it->second, part, state, primitive, flags)) return -1;
    return DrawStylePrimitive(canvas, primitive, flags, rect, clip) ? 0 : -1;
  };
  f.IsThemeActive = [] { return StyleAvailable(); };
  f.IsAppThemed = [] { return StyleAvailable(); };
  f.GetThemeAppProperties = [] { return uint32_t{STAP_ALLOW_CONTROLS | 1}; };
}

}  // namespace

TThemeFunctions& ThemeFunctions() {
  static TThemeFunctions functions;
  return functions;
}

bool AcquireThemeLibrary() {
  const std::lock_guard<std::mutex> guard(LibraryLock());
  ++referenceCount;
  if (!libraryLoaded) {
    // The style service exists once the GUI application does.
    libraryLoaded = StyleAvailable();
    if (libraryLoaded) Resolve();
  }
  return libraryLoaded;
}

void ReleaseThemeLibrary() {
  const std::lock_guard<std::mutex> guard(LibraryLock());
  if (referenceCount > 0) --referenceCount;
  if (libraryLoaded && referenceCount == 0) {
    libraryLoaded = false;
    ThemeFunctions() = TThemeFunctions();
    OpenHandles().clear();
  }
}

bool ThemesUsable() {
  const TThemeFunctions& f = ThemeFunctions();
  return libraryLoaded && f.IsAppThemed && f.IsAppThemed() && f.IsThemeActive && f.IsThemeActive();
}

int32_t ThemeLibraryReferenceCount() {
  const std::lock_guard<std::mutex> guard(LibraryLock());
  return referenceCount;
}

bool ThemeLibraryLoaded() {
  const std::lock_guard<std::mutex> guard(LibraryLock());
  return libraryLoaded;
}

int32_t OpenThemeHandleCount() {
  return static_cast<int32_t>(OpenHandles().size());
}

namespace {

// Releases whatever users left at program end. Touching the statics first makes them outlive it.
struct LibraryFinaliser {
  LibraryFinaliser() {
    LibraryLock();
    ThemeFunctions();
    OpenHandles();
  }
  ~LibraryFinaliser() {
    while (ThemeLibraryReferenceCount() > 0) ReleaseThemeLibrary();
  }
} finaliser;

}  // namespace
