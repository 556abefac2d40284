// Pictures of the main window and the about box on an X server, kept under the build folder
// (grabs/) for people to look at, with a few pixel checks. The program is built twice: once
// with English and once with an INI file beside it that chooses Russian.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "ConverterTestSupport.h"
#include "common/units/LocalizationStore.h"
#include "converter/AboutFormUnit.h"
#include "converter/MainFormUnit.h"
#include "exam/ZUKConverter.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/WindowGrab.h"
#include "platform/gui/XcbTestSupport.h"

namespace {

constexpr const char* kLanguage = ZUK_SHOT_LANGUAGE == 0 ? "en" : "ru";

// Each language's program names its tests apart, so that the test lists do not collide.
#if ZUK_SHOT_LANGUAGE == 0
#define SHOT_SUITE EnglishWindowShotTest
#else
#define SHOT_SUITE RussianWindowShotTest
#endif
#define SHOT_STRING(x) SHOT_STRING2(x)
#define SHOT_STRING2(x) #x

std::string ShotPath(const std::string& what) {
  std::filesystem::create_directories(ZUK_GRAB_DIR);
  return std::string(ZUK_GRAB_DIR) + "/" + what + "-" + kLanguage + ".png";
}

/// Whether the rows top..bottom of the control's area in `shot` hold text (dark pixels).
bool HasDarkPixels(TBitmap& shot, const TControl& control) {
  for (int32_t y = control.Top(); y < control.Top() + control.Height() && y < shot.Height(); ++y)
    for (int32_t x = control.Left(); x < control.Left() + control.Width() && x < shot.Width(); ++x) {
      const TColor c = shot.Canvas().Pixel(x, y);
      if ((c & 0xFF) < 0x60 && ((c >> 8) & 0xFF) < 0x60 && ((c >> 16) & 0xFF) < 0x60) return true;
    }
  return false;
}

TEST(SHOT_SUITE, MainWindowAndAboutBox) {
  ZUK_RUN_UNDER_XSERVER(SHOT_STRING(SHOT_SUITE) ".MainWindowAndAboutBox");
  auto form = std::make_unique<TMainForm>();
  ASSERT_TRUE(LocalizationStore);
  EXPECT_EQ(LocalizationStore->CurrentLanguageIndex(), ZUK_SHOT_LANGUAGE);
  form->Show();
  progtest::Pump(10);
  ASSERT_TRUE(GrabControlToPNG(*form, ShotPath("main-window")));
  TBitmap shot;
  ASSERT_TRUE(GrabControl(*form, shot));
  EXPECT_GE(shot.Width(), 470);
  EXPECT_GE(shot.Height(), 180);
  // The window's face, the description's text, and an empty progress bar.
  EXPECT_EQ(shot.Canvas().Pixel(shot.Width() - 4, shot.Height() - 4), TColor(0xF0F0F0));
  EXPECT_TRUE(HasDarkPixels(shot, *form->DescStaticText));
  EXPECT_TRUE(HasDarkPixels(shot, *form->bConvert));
  EXPECT_FALSE(HasDarkPixels(shot, *form->ConversionProgressBar));

  TAboutForm about(form.get());
  EXPECT_EQ(about.VersionLabel->Caption(), ZUK_SHOT_LANGUAGE == 0
                                               ? "Version 1.0.215"
                                               : "\xD0\x92\xD0\xB5\xD1\x80\xD1\x81\xD0\xB8\xD1\x8F 1.0.215");
  about.Show();
  progtest::Pump(10);
  ASSERT_TRUE(GrabControlToPNG(about, ShotPath("about-box")));
  TBitmap aboutShot;
  ASSERT_TRUE(GrabControl(about, aboutShot));
  EXPECT_TRUE(HasDarkPixels(aboutShot, *about.VersionLabel));
  EXPECT_TRUE(HasDarkPixels(aboutShot, *about.bOK));
  // The web address is drawn in the hot-light blue.
  bool blue = false;
  const TLabel& link = *about.WebLinkLabel;
  for (int32_t y = link.Top(); y < link.Top() + link.Height(); ++y)
    for (int32_t x = link.Left(); x < link.Left() + link.Width(); ++x)
      blue = blue || aboutShot.Canvas().Pixel(x, y) == TColor(0xCC6600);  // 0066CC as R, G, B
  EXPECT_TRUE(blue);
  about.Hide();
}

/// Whether `image` appears in `shot` somewhere: every pixel of it that is not white (the list
/// draws its transparent parts white) at one place.
bool Shows(TBitmap& shot, TBitmap& image) {
  for (int32_t top = 0; top + image.Height() <= shot.Height(); ++top)
    for (int32_t left = 0; left + image.Width() <= shot.Width(); ++left) {
      bool same = true;
      for (int32_t y = 0; y < image.Height() && same; ++y)
        for (int32_t x = 0; x < image.Width() && same; ++x) {
          const TColor c = image.Canvas().Pixel(x, y);
          same = c == clWhite || shot.Canvas().Pixel(left + x, top + y) == c;
        }
      if (same) return true;
    }
  return false;
}

TEST(SHOT_SUITE, ExamTreeShowsTheImagesOfItsNodes) {
  ZUK_RUN_UNDER_XSERVER(SHOT_STRING(SHOT_SUITE) ".ExamTreeShowsTheImagesOfItsNodes");
  progtest::ScratchFolder dir;
  progtest::WriteFile(dir.Path("exam.zuk"), progtest::ExamFile());
  auto form = std::make_unique<TMainForm>();
  form->Show();
  // The exam file, an exam and a question: one node of each image.
  TZUKConverter converter(dir.Path("exam.zuk"), form->ExamTreeView);
  converter.Load();
  form->ExamTreeView->SetBounds(8, 8, 240, 120);
  form->ExamTreeView->SetVisible(true);
  progtest::Pump(10);
  ASSERT_TRUE(GrabControlToPNG(*form->ExamTreeView, ShotPath("exam-tree")));
  TBitmap shot;
  ASSERT_TRUE(GrabControl(*form->ExamTreeView, shot));
  ASSERT_EQ(form->ilMain->Count(), 3);
  for (int index = 0; index < 3; ++index) {
    TBitmap image;
    ASSERT_TRUE(form->ilMain->GetBitmap(index, &image));
    EXPECT_TRUE(Shows(shot, image)) << "image " << index;
  }
}

}  // namespace
