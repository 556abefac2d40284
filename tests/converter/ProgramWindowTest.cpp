// The program's main window on a real X server: the hints it gives the window manager, the
// keyboard cues as its pixels show them, and a display that goes away while the window converts.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "ConverterTestSupport.h"
#include "converter/AboutFormUnit.h"
#include "converter/MainFormUnit.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/XcbTestSupport.h"

using progtest::ExamFile;
using progtest::Quoted;
using progtest::ReadFile;
using progtest::RunHeadless;
using progtest::ScratchFolder;
using progtest::WriteFile;

namespace {

// Read with xprop, as the window manager reads them: a normal window whose title bar offers the
// window menu and a minimise button, and whose size is fixed at 490 x 220.
TEST(ProgramWindowTest, TheMainWindowCanBeMinimisedAndKeepsItsSize) {
  const std::string xvfb = xcbtest::FindProgram("xvfb-run");
  if (xvfb.empty() || xcbtest::FindProgram("xdotool").empty() || xcbtest::FindProgram("xprop").empty())
    GTEST_SKIP() << "needs xvfb-run, xdotool and xprop (Debian packages xvfb, xdotool, x11-utils)";
  ScratchFolder dir;
  const std::string script =
      "QT_QPA_PLATFORM=xcb \"$0\" 2>/dev/null & pid=$!\n"
      "w=$(timeout 30 xdotool search --sync --onlyvisible --name '^ZUK Converter$' 2>/dev/null)\n"
      "xprop -id \"$w\" _MOTIF_WM_HINTS _NET_WM_WINDOW_TYPE WM_NORMAL_HINTS > hints.txt; kill $pid\n";
  RunHeadless(dir, {"-a", "-s", "-screen 0 1024x768x24", "sh", "-c", script, ZUK_CONVERTER_PROGRAM}, xvfb);
  const std::string hints = ReadFile(dir.Path("hints.txt"));
  // Functions: minimise (8), never maximise (16); decorations: menu (16), minimise (32), never maximise (64).
  unsigned flags = 0, functions = 0, decorations = 0;
  ASSERT_EQ(std::sscanf(hints.c_str(), "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = %x, %x, %x", &flags, &functions,
                        &decorations),
            3)
      << hints;
  EXPECT_EQ(std::tuple(flags & 0x3u, functions & 0x18u, decorations & 0x70u), std::tuple(0x3u, 0x08u, 0x30u));
  EXPECT_NE(hints.find("= _NET_WM_WINDOW_TYPE_NORMAL\n"), std::string::npos) << hints;  // and no other
  for (const std::string bound : {"minimum", "maximum"})
    EXPECT_NE(hints.find("program specified " + bound + " size: 490 by 220"), std::string::npos) << hints;
}

/// What the X server shows of the window named `title` once it is shown, differs from `before`
/// and has stopped changing.
QImage Shot(const std::string& title, const QImage& before = QImage()) {
  QImage last;
  for (int tries = 0; tries < 100; ++tries, usleep(100000)) {
    FILE* pipe = popen(("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null").c_str(), "r");
    unsigned long id = 0;
    const bool shown = std::fscanf(pipe, "%lu", &id) == 1;
    pclose(pipe);
    const QImage now = shown ? QGuiApplication::primaryScreen()->grabWindow(id).toImage() : QImage();
    if (!now.isNull() && now == last && now != before) break;
    last = now;
  }
  return last;
}

QImage Look(const QImage& shot, const TControl& c) {
  return shot.copy(c.Left(), c.Top(), c.Width(), c.Height());
}

// As a person sees it under a window manager: Tab puts a focus rectangle on the next button,
// which takes over the default frame, so that Return presses the button that looks like it
// (About opens the about box, which opens without a focus rectangle until an arrow key).
TEST(ProgramWindowTest, TabShowsTheFocusAndReturnPressesTheButtonThatLooksDefault) {
  ZUK_RUN_UNDER_XSERVER("ProgramWindowTest.TabShowsTheFocusAndReturnPressesTheButtonThatLooksDefault");
  if (xcbtest::FindProgram("openbox").empty() || xcbtest::FindProgram("xdotool").empty())
    GTEST_SKIP() << "needs openbox and xdotool (Debian packages openbox, xdotool)";
  ScratchFolder dir;
  // A window mapped before the window manager is ready is never shown.
  const std::string start = "cd " + Quoted(dir.Path()) +
                            " && { openbox --startup \"touch $PWD/ready\" & echo $! > pids; timeout 30 sh -c "
                            "'until [ -e ready ]; do sleep 0.1; done'; QT_QPA_PLATFORM=xcb " +
                            Quoted(ZUK_CONVERTER_PROGRAM) + " & echo $! >> pids; } > /dev/null 2>&1";
  ASSERT_EQ(std::system((start + " && xdotool mousemove 0 0").c_str()), 0);  // no button is hot
  TMainForm form;                                                            // where its buttons lie
  std::vector<QImage> shots{Shot("ZUK Converter")};  // the focus in the file name's box
  for (int tab = 0; tab < 3; ++tab) {                // Browse, Convert, About
    ASSERT_EQ(std::system("xdotool key Tab"), 0);
    shots.push_back(Shot("ZUK Converter", shots.back()));
  }
  EXPECT_NE(Look(shots[1], *form.bBrowse), Look(shots[0], *form.bBrowse));
  EXPECT_NE(Look(shots[1], *form.bConvert), Look(shots[0], *form.bConvert));  // the default frame left
  EXPECT_EQ(Look(shots[2], *form.bBrowse), Look(shots[0], *form.bBrowse));
  EXPECT_NE(Look(shots[2], *form.bConvert), Look(shots[0], *form.bConvert));  // a focus rectangle inside it
  EXPECT_NE(Look(shots[3], *form.bAbout), Look(shots[0], *form.bAbout));
  EXPECT_EQ(Look(shots[3], *form.bConvert), Look(shots[1], *form.bConvert));  // only About looks default
  ASSERT_EQ(std::system("xdotool key Return"), 0);
  TAboutForm box(&form);
  const QImage opened = Shot("About ZUK Converter");
  ASSERT_EQ(std::system("xdotool key Down"), 0);
  EXPECT_NE(Look(Shot("About ZUK Converter", opened), *box.bOK), Look(opened, *box.bOK));
  std::system(("kill $(cat " + Quoted(dir.Path("pids")) + ")").c_str());
}

// The X server ends while the window converts (the usual end of a desktop session): the
// program says why it ended, and neither the partial target nor the picture folder is left.
TEST(ProgramWindowTest, ADisplayThatGoesAwayLeavesNothingBehind) {
  const std::string xserver = xcbtest::FindProgram("Xvfb");
  if (xserver.empty()) GTEST_SKIP() << "needs Xvfb (Debian package xvfb)";
  ScratchFolder dir;
  for (const char* folder : {"run", "temp"}) std::filesystem::create_directories(dir.Path(folder));
  WriteFile(dir.Path("run/exam.zuk"), ExamFile(false, 1, 200000));  // long to write
  // The server picks a free display and names it once it takes connections; status 3: the program
  // ended before it wrote its target.
  const std::string script =
      "\"$1\" -nolisten tcp -displayfd 3 -screen 0 1024x768x24 3> ready.txt 2>/dev/null & server=$!\n"
      "until [ -s ready.txt ] || ! kill -0 $server 2>/dev/null; do sleep 0.1; done; cd run\n"
      "DISPLAY=:$(cat ../ready.txt) QT_QPA_PLATFORM=xcb TMPDIR=../temp \"$0\" -c exam.zuk out.zukm & pid=$!\n"
      "until [ $(ls -A | wc -l) -ge 2 ] || ! kill -0 $pid 2>/dev/null; do sleep 0.01; done\n"
      "[ $(ls -A | wc -l) -ge 2 ] || exit 3; kill $server; wait $pid\n";
  const progtest::RunResult run = RunHeadless(dir, {"-c", script, ZUK_CONVERTER_PROGRAM, xserver}, "sh");
  EXPECT_EQ(run.status, 1) << run.printed;
  EXPECT_NE(run.printed.find("ZUK Converter: The X11 connection broke"), std::string::npos) << run.printed;
  EXPECT_EQ(progtest::Entries(dir.Path("run")), 1);
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path("temp")));
}

}  // namespace
