// The theme library's reference count, the services' element details, handles, style changes
// and drawing.
#include <gtest/gtest.h>

#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/StyleDrawing.h"
#include "themes/ThemeSrv.h"

namespace {

TEST(ThemeLibraryTest, StaysLoadedWhileReferencedAndNeverCountsBelowZero) {
  const int32_t base = ThemeLibraryReferenceCount();
  ASSERT_TRUE(AcquireThemeLibrary());
  ASSERT_TRUE(AcquireThemeLibrary());
  ReleaseThemeLibrary();
  EXPECT_TRUE(ThemeLibraryLoaded());
  EXPECT_TRUE(static_cast<bool>(ThemeFunctions().OpenThemeData));
  ReleaseThemeLibrary();
  EXPECT_EQ(ThemeLibraryReferenceCount(), base);
  if (base == 0) {
    EXPECT_FALSE(ThemeLibraryLoaded());
    EXPECT_FALSE(static_cast<bool>(ThemeFunctions().OpenThemeData));
    EXPECT_FALSE(static_cast<bool>(ThemeFunctions().DrawThemeBackground));
    ReleaseThemeLibrary();
    EXPECT_EQ(ThemeLibraryReferenceCount(), 0);
    EXPECT_FALSE(ThemesUsable());
  }
}

TEST(ThemeServicesTest, ElementDetailsMapToPartsAndStates) {
  TThemeServices services(nullptr);
  struct Case {
    uint8_t detail;
    int32_t part;
    int32_t state;
  };
  for (const Case& c :
       {Case{0, 0, 1}, Case{1, 0, 2}, Case{2, 1, 1}, Case{4, 1, 3}, Case{5, 2, 1}, Case{7, 2, 3},
        Case{8, 3, 1}, Case{10, 3, 3}, Case{11, 4, 1}, Case{12, 4, 2}, Case{13, 0, 14}}) {
    EXPECT_EQ(services.GetHeaderElementDetails(c.detail), (TThemedElementDetails{teHeader, c.part, c.state}))
        << int(c.detail);
  }
  for (const Case& c :
       {Case{2, 1, 1}, Case{6, 1, 5}, Case{7, 2, 1}, Case{8, 2, 2}, Case{9, 3, 1}, Case{10, 0, 11}}) {
    EXPECT_EQ(services.GetTreeviewElementDetails(c.detail),
              (TThemedElementDetails{teTreeview, c.part, c.state}))
        << int(c.detail);
  }
}

TEST(ThemeServicesTest, HandlesOpenLazilyAndCloseOnUnload) {
  TThemeServices services(nullptr);
  ASSERT_TRUE(services.GetThemesEnabled());
  const int32_t before = OpenThemeHandleCount();
  const HTHEME header = services.GetTheme(teHeader);
  EXPECT_NE(header, 0u);
  EXPECT_EQ(services.GetTheme(teHeader), header);
  EXPECT_EQ(OpenThemeHandleCount(), before + 1);
  services.UnloadThemeData();
  EXPECT_EQ(OpenThemeHandleCount(), before);
  EXPECT_NE(services.GetTheme(teHeader), header);
  EXPECT_EQ(services.GetTheme(200), 0u);
}

TEST(ThemeServicesTest, SwitchedOffThemesGiveNoHandles) {
  TThemeServices services(nullptr);
  auto saved = ThemeFunctions().IsThemeActive;
  ThemeFunctions().IsThemeActive = [] { return false; };
  services.UpdateThemes();
  EXPECT_FALSE(services.GetThemesEnabled());
  EXPECT_EQ(services.GetTheme(teTreeview), 0u);
  ThemeFunctions().IsThemeActive = saved;
  services.UpdateThemes();
  EXPECT_TRUE(services.GetThemesEnabled());
}

TEST(ThemeServicesTest, StyleChangeReopensHandlesAndFiresTheEventOnce) {
  TForm window;
  window.HandleNeeded();
  TThemeServices services(&window);
  ASSERT_TRUE(services.Bound());
  int changes = 0;
  services.OnThemeChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &services);
    ++changes;
  };
  const HTHEME before = services.GetTheme(teTreeview);
  ASSERT_NE(before, 0u);
  const std::string style = CurrentStyleName();
  ASSERT_TRUE(SetApplicationStyle("Fusion"));
  EXPECT_EQ(changes, 1);
  EXPECT_NE(services.GetTheme(teTreeview), before);
  SetApplicationStyle(style.empty() ? "Fusion" : style);
}

TEST(ThemeServicesTest, WindowGoneLeavesItAloneButStillClosesHandles) {
  const int32_t before = OpenThemeHandleCount();
  auto window = std::make_unique<TForm>();
  window->HandleNeeded();
  auto services = std::make_unique<TThemeServices>(window.get());
  services->GetTheme(teHeader);
  services->GetTheme(teTreeview);
  TMessage destroy;
  destroy.Msg = WM_DESTROY;
  services->Dispatch(destroy);
  EXPECT_FALSE(services->Bound());
  window.reset();
  services->UnloadThemeData();
  EXPECT_EQ(OpenThemeHandleCount(), before);
  services.reset();  // touches no window
  EXPECT_EQ(OpenThemeHandleCount(), before);
}

TEST(ThemeServicesTest, DrawsHeaderSectionsAndExpandGlyphs) {
  TThemeServices services(nullptr);
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf32bit);
  bitmap.SetSize(60, 24);
  auto changed = [&](const TThemedElementDetails& details) {
    bitmap.Canvas().Brush().SetColor(0x123456);
    bitmap.Canvas().FillRect(Rect(0, 0, 60, 24));
    services.DrawElement(bitmap.Canvas(), details, Rect(0, 0, 60, 24), nullptr);
    int count = 0;
    for (int32_t y = 0; y < 24; ++y)
      for (int32_t x = 0; x < 60; ++x) count += bitmap.Canvas().Pixel(x, y) != 0x123456 ? 1 : 0;
    return count;
  };
  EXPECT_GT(changed(services.GetHeaderElementDetails(2)), 100);
  EXPECT_GT(changed(services.GetTreeviewElementDetails(7)), 0);
  // A clip rectangle keeps the drawing inside it.
  bitmap.Canvas().Brush().SetColor(0x123456);
  bitmap.Canvas().FillRect(Rect(0, 0, 60, 24));
  const TRect clip = Rect(0, 0, 10, 24);
  services.DrawElement(bitmap.Canvas(), services.GetHeaderElementDetails(2), Rect(0, 0, 60, 24), &clip);
  EXPECT_EQ(bitmap.Canvas().Pixel(40, 12), 0x123456);
}

TEST(ThemeServicesTest, ProcessWideInstanceFollowsAStyleChange) {
  TThemeServices& services = GetThemeServices();
  ASSERT_TRUE(services.GetThemesEnabled());
  auto saved = ThemeFunctions().IsThemeActive;
  ThemeFunctions().IsThemeActive = [] { return false; };
  ASSERT_TRUE(SetApplicationStyle(CurrentStyleName()));
  EXPECT_FALSE(services.GetThemesEnabled());
  ThemeFunctions().IsThemeActive = saved;
  ASSERT_TRUE(SetApplicationStyle(CurrentStyleName()));
  EXPECT_TRUE(services.GetThemesEnabled());
  FreeThemeServices();
}

TEST(ThemeServicesTest, ProcessWideInstanceIsMadeOnce) {
  TThemeServices& first = GetThemeServices();
  EXPECT_EQ(&GetThemeServices(), &first);
  FreeThemeServices();
}

}  // namespace
