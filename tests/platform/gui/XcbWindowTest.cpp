// The real window path: a form with every kind of control shown on an X server (a private
// Xvfb started through xvfb-run), grabbed to PNG under the build folder and checked pixel by
// pixel. The test re-runs itself under xvfb-run; it skips when xvfb-run is not installed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>

#include "XcbTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/gui/Application.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/CustomControl.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/WidgetSupport.h"
#include "platform/gui/WindowGrab.h"

namespace {

class TRedControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void Paint() override {
    Canvas().Brush().SetColor(clRed);
    Canvas().FillRect(ClientRect());
  }
};

int Darkness(QColor c) {
  return 255 - std::max({c.red(), c.green(), c.blue()});
}

/// True when the rectangle (window coordinates) holds a pixel of text: clearly dark.
bool HasDarkPixel(const QImage& image, const QRect& r) {
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (image.rect().contains(x, y) && Darkness(image.pixelColor(x, y)) > 150) return true;
  return false;
}

QRect RectIn(QWidget* window, TWinControl& control) {
  QWidget* w = static_cast<TWidgetHandle*>(control.Handle())->Outer();
  return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

void ShowAndGrab() {
  TApplication app;
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  ASSERT_FALSE(TApplication::Headless());
  TForm form;
  form.SetCaption("Every control");
  form.SetBounds(0, 0, 420, 330);
  std::vector<std::pair<TWinControl*, std::string>> captioned;
  auto place = [&](TWinControl* c, int x, int y, int w, int h) {
    c->SetParent(&form);
    c->SetBounds(x, y, w, h);
  };
  auto* button = new TButton(&form);
  place(button, 10, 10, 90, 28);
  button->SetCaption("Button");
  auto* label = new TLabel(&form);
  place(label, 110, 14, 90, 20);
  label->SetCaption("Label");
  auto* text = new TStaticText(&form);
  place(text, 210, 14, 90, 20);
  text->SetCaption("Static");
  auto* edit = new TEdit(&form);
  place(edit, 10, 50, 120, 24);
  edit->SetText("Edit");
  auto* check = new TCheckBox(&form);
  place(check, 140, 50, 100, 22);
  check->SetCaption("Check");
  check->SetChecked(true);
  auto* radio = new TRadioButton(&form);
  place(radio, 250, 50, 100, 22);
  radio->SetCaption("Radio");
  auto* combo = new TComboBox(&form);
  place(combo, 10, 86, 120, 26);
  combo->Items().Add("Combo");
  combo->SetItemIndex(0);
  auto* bar = new TProgressBar(&form);
  place(bar, 140, 90, 200, 16);
  bar->SetPosition(50);
  auto* group = new TGroupBox(&form);
  place(group, 10, 120, 190, 80);
  group->SetCaption("Group");
  auto* list = new TListView(&form);
  place(list, 210, 120, 190, 80);
  list->AddColumn("Column", 120);
  auto* pages = new TPageControl(&form);
  place(pages, 10, 210, 190, 100);
  auto* sheet = new TTabSheet(&form);
  sheet->SetCaption("Sheet");
  sheet->SetPageControl(pages);
  auto* custom = new TRedControl(&form);
  place(custom, 210, 210, 190, 100);
  custom->SetBorderStyle(bsSingle);

  form.Show();
  QWidget* window = static_cast<TWidgetHandle*>(form.Handle())->Outer();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  QTest::qWait(200);
  const QImage image = window->grab().toImage();
  std::filesystem::create_directories(ZUK_GRAB_DIR);
  const std::string png = std::string(ZUK_GRAB_DIR) + "/every-control.png";
  ASSERT_TRUE(image.save(QString::fromStdString(png)));
  EXPECT_TRUE(GrabControlToPNG(*custom, std::string(ZUK_GRAB_DIR) + "/custom-control.png"));
  EXPECT_FALSE(GrabControlToPNG(*custom, "/nonexistent/folder/x.png"));
  TBitmap grabbed;
  ASSERT_TRUE(GrabControl(*custom, grabbed));
  EXPECT_EQ(grabbed.Width(), 190);
  EXPECT_EQ(grabbed.Canvas().Pixel(95, 50), clRed);

  // The form's own face and the button's face.
  EXPECT_EQ(image.pixelColor(405, 5), QColor(0xF0, 0xF0, 0xF0));
  const QRect b = RectIn(window, *button);
  const QColor face = image.pixelColor(b.left() + 6, b.top() + 4);
  const QColor expected = window->palette().color(QPalette::Button);
  EXPECT_LT(std::abs(face.lightness() - expected.lightness()), 40) << face.name().toStdString();
  // A dark text pixel inside each caption.
  for (TWinControl* c : std::initializer_list<TWinControl*>{button, label, text, edit, check, radio, combo,
                                                            group, list, pages})
    EXPECT_TRUE(HasDarkPixel(image, RectIn(window, *c))) << c->ClassName();
  // The custom control painted through our canvas, inside its frame.
  const QRect r = RectIn(window, *custom);
  EXPECT_EQ(image.pixelColor(r.center()), QColor(255, 0, 0));
  EXPECT_NE(image.pixelColor(r.topLeft()), QColor(255, 0, 0));
  // The progress bar is half full: its left part differs from its right part.
  const QRect p = RectIn(window, *bar);
  EXPECT_NE(image.pixelColor(p.left() + 20, p.center().y()),
            image.pixelColor(p.right() - 20, p.center().y()));
}

// A box shown over a form that is freed while the box is up keeps no reference to it.
void BoxOutlivesItsOwner() {
  TApplication app;
  auto* owner = new TForm();
  bool destroyed = false;
  owner->OnDestroy = [&](TObject*) { destroyed = true; };
  owner->Show();
  owner->Release();  // handled inside the box's own message loop
  TPoint placedAt{-1, -1};
  QPoint shownAt(-1, -1);
  QTimer::singleShot(300, [&] {
    if (QWidget* box = QApplication::activeModalWidget()) {
      shownAt = box->frameGeometry().topLeft();
      box->close();
    }
  });
  EXPECT_EQ(MessageBox(owner, "Owner goes away", "ZUK Converter", MB_ICONINFORMATION,
                       [&](const TRect& r, TSize box) {
                         placedAt = TPoint{r.Left + (r.Width() - box.cx) / 2, r.Top + 5};
                         return placedAt;
                       }),
            IDOK);
  // The box went where the placement said.
  EXPECT_EQ(shownAt, QPoint(placedAt.X, placedAt.Y));
  EXPECT_TRUE(destroyed);
  EXPECT_NE(placedAt.X, -1);
}

// What the run under the X server reports: only a run that passed a test passes; one whose
// tests all skipped skips with their reasons.
TEST(XServerRunReport, OnlyARunThatPassedATestPasses) {
  const std::string skip =
      "[ RUN      ] A.B\nA.cpp:9: Skipped\nxdotool is not installed\n\n[  SKIPPED ] A.B (0 ms)\n";
  const std::string skipped = "the run under xvfb-run skipped: xdotool is not installed";
  const struct {
    int status;
    std::string output, failure, skipReason;
  } cases[] = {
      {0, "[  PASSED  ] 1 test.\n", "", ""},
      {0, "[  PASSED  ] 0 tests.\n", "the run under xvfb-run passed no test matching A.*", ""},
      {zuktest::kSkippedStatus << 8, skip + "[  PASSED  ] 1 test.\n", "", skipped},
      {zuktest::kSkippedStatus << 8, skip + "[  PASSED  ] 0 tests.\n", "", skipped},
      {1 << 8, "[  PASSED  ] 1 test.\n[  FAILED  ] 1 test, listed below:\n",
       "the run under xvfb-run failed (exit status 1)", ""},
  };
  for (const auto& c : cases) {
    const xcbtest::XServerRun run = xcbtest::ReadXServerRun(c.status, c.output, "A.*");
    EXPECT_EQ(run.failure, c.failure) << c.output;
    EXPECT_EQ(run.skipReason, c.skipReason) << c.output;
  }
}

// A long text is wrapped only as the box is shown: the box is centred over its owner by the
// size it is shown with, not by the line the text would make.
TEST(XcbWindowTest, WrappedBoxIsCentredOverItsOwner) {
  ZUK_RUN_UNDER_XSERVER("XcbWindowTest.WrappedBoxIsCentredOverItsOwner");
  TApplication app;
  TForm owner;
  owner.SetBounds(150, 120, 490, 220);
  owner.Show();
  QWidget* window = static_cast<TWidgetHandle*>(owner.Handle())->Outer();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  QRect shown;
  QTimer watch;  // looks until the box is up
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (QWidget* box = QApplication::activeModalWidget(); box != nullptr && box->isVisible()) {
      shown = box->frameGeometry();
      box->close();
    }
  });
  watch.start(10);
  const QString text = QString("The specified file is a case study based exam. ").repeated(12);
  MessageBox(&owner, text.toStdString(), "ZUK Converter", MB_ICONWARNING);
  EXPECT_LT(shown.width(), 700);
  EXPECT_LE((shown.center() - window->frameGeometry().center()).manhattanLength(), 2);
}

TEST(XcbWindowTest, BoxOverAFreedOwner) {
  ZUK_RUN_UNDER_XSERVER("XcbWindowTest.BoxOverAFreedOwner");
  BoxOutlivesItsOwner();
}

TEST(XcbWindowTest, FormWithEveryControlKindIsDrawnOnAnXServer) {
  ZUK_RUN_UNDER_XSERVER("XcbWindowTest.FormWithEveryControlKindIsDrawnOnAnXServer");
  ShowAndGrab();
}

}  // namespace
