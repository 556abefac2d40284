// Custom controls: scroll bars, painting through the canvas with the caret drawn over it,
// mouse and key input turned into messages, timers, and work without a window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QScrollBar>
#include <QTimer>

#include "GuiTestSupport.h"
#include "platform/graphics/CanvasDevice.h"
#include "platform/gui/InputMethod.h"
#include "platform/gui/Menus.h"

using guitest::Pump;
using guitest::PumpUntil;
using guitest::TLogControl;
using guitest::Widget;

namespace {

class CustomControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.SetBounds(0, 0, 300, 200);
    control->SetParent(&form);
    control->SetBounds(10, 10, 200, 120);
  }
  TForm form;
  TLogControl* control = new TLogControl(&form);
};

TScrollInfo Info(int min, int max, uint32_t page, int pos, uint32_t mask = SIF_ALL) {
  TScrollInfo info;
  info.fMask = mask;
  info.nMin = min;
  info.nMax = max;
  info.nPage = page;
  info.nPos = pos;
  return info;
}

TEST_F(CustomControlTest, ScrollPositionIsKeptInsideRangeLessPage) {
  EXPECT_EQ(control->SetScrollInfo(SB_VERT, Info(0, 99, 10, 500), true), 90);
  EXPECT_EQ(control->SetScrollPos(SB_VERT, -3, true), 90);
  EXPECT_EQ(control->GetScrollPos(SB_VERT), 0);
  TScrollInfo read;
  read.fMask = SIF_ALL;
  ASSERT_TRUE(control->GetScrollInfo(SB_VERT, read));
  EXPECT_EQ(read.nMax, 99);
  EXPECT_EQ(read.nPage, 10u);
  EXPECT_FALSE(control->GetScrollInfo(7, read));
}

TEST_F(CustomControlTest, BarThatCannotScrollHidesOrIsDisabled) {
  control->SetScrollInfo(SB_VERT, Info(0, 99, 10, 0), true);
  EXPECT_TRUE(control->ScrollBarVisible(SB_VERT));
  EXPECT_TRUE(control->ScrollBarEnabled(SB_VERT));
  control->SetScrollInfo(SB_VERT, Info(0, 9, 10, 0), true);
  EXPECT_FALSE(control->ScrollBarVisible(SB_VERT));
  control->SetScrollInfo(SB_VERT, Info(0, 9, 10, 0, SIF_ALL | SIF_DISABLENOSCROLL), true);
  EXPECT_TRUE(control->ScrollBarVisible(SB_VERT));
  EXPECT_FALSE(control->ScrollBarEnabled(SB_VERT));
}

TEST_F(CustomControlTest, ClientAreaLeavesRoomForBordersAndBars) {
  EXPECT_EQ(control->ClientRect(), Rect(0, 0, 200, 120));
  control->SetBorderStyle(bsSingle);
  control->SetScrollInfo(SB_VERT, Info(0, 99, 10, 0), true);
  const int sb = TCustomControl::ScrollBarSize();
  EXPECT_EQ(control->ClientRect(), Rect(0, 0, 200 - 4 - sb, 120 - 4));
  // The window agrees once it exists.
  form.Show();
  EXPECT_EQ(Widget(*control)->width(), 200 - 4 - sb);
  EXPECT_EQ(control->ClientWidth(), 200 - 4 - sb);
}

TEST_F(CustomControlTest, ScrollBarActionsBecomeScrollMessages) {
  form.Show();
  control->SetScrollInfo(SB_VERT, Info(0, 99, 10, 20), true);
  std::vector<std::pair<uint32_t, uint32_t>> scrolls;  // code, position
  control->OnMessage = [&](TMessage& m) {
    if (m.Msg == WM_VSCROLL) {
      scrolls.emplace_back(LoWord(m.WParam), HiWord(m.WParam));
      if (LoWord(m.WParam) == SB_LINEDOWN)
        control->SetScrollPos(SB_VERT, control->GetScrollPos(SB_VERT) + 5, true);
    }
  };
  auto* bar = Widget(*control)->parentWidget()->findChildren<QScrollBar*>()[1];
  ASSERT_EQ(bar->orientation(), Qt::Vertical);
  EXPECT_TRUE(bar->isVisible());
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  bar->triggerAction(QAbstractSlider::SliderToMinimum);
  ASSERT_EQ(scrolls.size(), 2u);
  EXPECT_EQ(scrolls[0].first, SB_LINEDOWN);
  EXPECT_EQ(scrolls[1].first, SB_TOP);
  // The control decided the position: 25, not the bar's own step.
  EXPECT_EQ(bar->value(), 25);
}

// Paints a red client area; the caret is drawn inverted over it.
class TRedControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int painted = 0;

 protected:
  void Paint() override {
    ++painted;
    Canvas().Brush().SetColor(clRed);
    Canvas().FillRect(ClientRect());
  }
};

TEST(CustomControlPaintTest, PaintDrawsOnTheWindowAndTheCaretOnTop) {
  TForm form;
  form.SetBounds(0, 0, 200, 100);
  auto* control = new TRedControl(&form);
  control->SetParent(&form);
  control->SetBounds(0, 0, 100, 50);
  form.Show();
  control->CreateCaret(2, 10);
  control->SetCaretPos(20, 5);
  control->ShowCaret();
  const QImage image = Widget(*control)->grab().toImage();
  EXPECT_GT(control->painted, 0);
  EXPECT_EQ(image.pixelColor(50, 40), QColor(255, 0, 0));
  EXPECT_EQ(image.pixelColor(20, 8), QColor(0, 255, 255));  // red inverted
  EXPECT_EQ(image.pixelColor(22, 8), QColor(255, 0, 0));
  control->HideCaret();
  EXPECT_EQ(Widget(*control)->grab().toImage().pixelColor(20, 8), QColor(255, 0, 0));
  // Outside painting the canvas measures but draws nothing.
  EXPECT_FALSE(control->Canvas().HasTarget());
  EXPECT_GT(control->Canvas().TextWidth("abc"), 0);
}

TEST_F(CustomControlTest, MouseInputBecomesMouseMessages) {
  int formPresses = 0;
  form.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { ++formPresses; };
  form.Show();
  QWidget* w = Widget(*control);
  QTest::mousePress(w, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 7));
  QTest::mouseRelease(w, Qt::LeftButton, Qt::ShiftModifier, QPoint(6, 8));
  QTest::mouseClick(w, Qt::RightButton, Qt::ControlModifier, QPoint(3, 4));
  QTest::mouseDClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(1, 2));
  ASSERT_GE(control->Events.size(), 6u);
  EXPECT_EQ(control->Events[0], "down 0 " + std::to_string(ssShift | ssLeft) + " 5,7");
  EXPECT_EQ(control->Events[1], "up 0 " + std::to_string(ssShift) + " 6,8");
  EXPECT_EQ(control->Events[2], "down 1 " + std::to_string(ssCtrl | ssRight) + " 3,4");
  // A double click: the second press arrives as a double click with ssDouble.
  const auto dbl = std::find(control->Events.begin(), control->Events.end(), "dblclick");
  ASSERT_NE(dbl, control->Events.end());
  EXPECT_EQ(*(dbl + 1), "down 0 " + std::to_string(ssLeft | ssDouble) + " 1,2");
  // The press was the control's alone, though its widget left it to the parents.
  EXPECT_EQ(formPresses, 0);
  QTest::mouseClick(Widget(form), Qt::LeftButton, Qt::NoModifier, QPoint(290, 190));
  EXPECT_EQ(formPresses, 1);
}

TEST_F(CustomControlTest, WheelTurnsIntoWheelUpAndDown) {
  form.Show();
  QWidget* w = Widget(*control);
  QWheelEvent down(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(w, &down);
  QWheelEvent up(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                 Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(w, &up);
  EXPECT_EQ(control->Events, (std::vector<std::string>{"wheel down", "wheel up"}));
}

TEST_F(CustomControlTest, KeysArriveAsVirtualKeysAndCharacters) {
  form.Show();
  control->SetFocus();
  QWidget* w = Widget(*control);
  control->DlgCode = DLGC_WANTARROWS;
  QTest::keyClick(w, Qt::Key_Left, Qt::ShiftModifier);
  QTest::keyClick(w, Qt::Key_A);
  QTest::keyClick(w, Qt::Key_F5, Qt::ControlModifier);
  QTest::keyClick(w, Qt::Key_Delete);
  QTest::keyClick(w, Qt::Key_5, Qt::KeypadModifier);
  EXPECT_EQ(control->Events, (std::vector<std::string>{
                                 "key 16 " + std::to_string(ssShift), "key 37 " + std::to_string(ssShift),
                                 "key 65 0", "char 97", "key 17 " + std::to_string(ssCtrl),
                                 "key 116 " + std::to_string(ssCtrl), "key 46 0", "key 101 0", "char 53"}));
}

TEST_F(CustomControlTest, TabStaysWithAControlThatWantsIt) {
  auto* other = new TLogControl(&form);
  other->SetParent(&form);
  other->SetTabStop(true);
  control->SetTabStop(true);
  form.Show();
  control->SetFocus();
  control->DlgCode = DLGC_WANTTAB;
  QTest::keyClick(Widget(*control), Qt::Key_Tab);
  EXPECT_TRUE(control->Focused());
  EXPECT_EQ(control->Events.front(), "key 9 0");
  control->DlgCode = 0;
  QTest::keyClick(Widget(*control), Qt::Key_Tab);
  Pump();
  EXPECT_TRUE(other->Focused());
}

TEST_F(CustomControlTest, FocusMessagesNameTheOtherControl) {
  auto* other = new TLogControl(&form);
  other->SetParent(&form);
  form.Show();
  std::vector<std::pair<uint32_t, WPARAM>> seen;
  control->OnMessage = [&](TMessage& m) {
    if (m.Msg == WM_SETFOCUS || m.Msg == WM_KILLFOCUS) seen.emplace_back(m.Msg, m.WParam);
  };
  control->SetFocus();
  other->SetFocus();
  Pump();
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[seen.size() - 2].first, static_cast<uint32_t>(WM_SETFOCUS));
  EXPECT_EQ(seen.back(),
            std::make_pair(static_cast<uint32_t>(WM_KILLFOCUS), reinterpret_cast<WPARAM>(other)));
}

TEST_F(CustomControlTest, TimersTickUntilKilledEvenFromTheirOwnTick) {
  int ticks = 0;
  control->OnMessage = [&](TMessage& m) {
    if (m.Msg == WM_TIMER && m.WParam == 7 && ++ticks == 3) control->KillTimer(7);
  };
  control->SetTimer(7, 5);
  EXPECT_TRUE(control->TimerRunning(7));
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  EXPECT_FALSE(control->TimerRunning(7));
  QTest::qWait(30);
  EXPECT_EQ(ticks, 3);
}

TEST(HiddenControlTest, WorksWithoutAWindow) {
  TLogControl control;
  control.SetBounds(0, 0, 100, 50);
  control.SetBorderStyle(bsSingle);
  control.SetCtl3D(false);
  control.Invalidate();
  control.Update();
  control.ScrollWindow(0, 10);
  EXPECT_FALSE(control.HandleAllocated());
  EXPECT_EQ(control.ClientWidth(), 98);
  EXPECT_EQ(control.ClientHeight(), 48);
  TScrollInfo info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMax = 50;
  info.nPage = 10;
  info.nPos = 45;
  EXPECT_EQ(control.SetScrollInfo(SB_HORZ, info, true), 41);
}

TEST(VirtualKeyTest, QtKeysMapToVirtualKeys) {
  const struct {
    int qt;
    bool keypad;
    uint16_t vk;
  } cases[] = {
      {Qt::Key_A, false, 'A'},
      {Qt::Key_Z, false, 'Z'},
      {Qt::Key_0, false, '0'},
      {Qt::Key_0, true, VK_NUMPAD0},
      {Qt::Key_9, true, VK_NUMPAD0 + 9},
      {Qt::Key_F1, false, VK_F1},
      {Qt::Key_F12, false, VK_F1 + 11},
      {Qt::Key_Return, false, VK_RETURN},
      {Qt::Key_Enter, true, VK_RETURN},
      {Qt::Key_Backtab, false, VK_TAB},
      {Qt::Key_PageUp, false, VK_PRIOR},
      {Qt::Key_PageDown, false, VK_NEXT},
      {Qt::Key_Insert, false, VK_INSERT},
      {Qt::Key_Plus, true, VK_ADD},
      {Qt::Key_Plus, false, VK_OEM_PLUS},
      {Qt::Key_Minus, false, VK_OEM_MINUS},
      {Qt::Key_Period, true, VK_DECIMAL},
      {Qt::Key_Alt, false, VK_MENU},
      {Qt::Key_Apostrophe, false, VK_OEM_7},
      {Qt::Key_unknown, false, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(VirtualKeyFromQt(c.qt, c.keypad), c.vk) << c.qt;
}

}  // namespace

namespace {

TEST_F(CustomControlTest, ContextMenuPopsTheControlsMenuUnlessHandled) {
  TPopupMenu menu(&form);
  int popups = 0;
  menu.OnPopup = [&](TObject*) { ++popups; };
  control->SetPopupMenu(&menu);
  form.Show();
  QWidget* w = Widget(*control);
  TPoint at{-5, -5};
  control->OnMessage = [&](TMessage& m) {
    if (m.Msg == WM_CONTEXTMENU) at = LParamToPoint(m.LParam);
  };
  QContextMenuEvent byMouse(QContextMenuEvent::Mouse, QPoint(4, 6), w->mapToGlobal(QPoint(4, 6)));
  QCoreApplication::sendEvent(w, &byMouse);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(menu.PopupComponent(), control);
  EXPECT_EQ(at, control->ClientToScreen(TPoint{4, 6}));
  // From the keyboard the point is (-1, -1); a handler that answers 1 keeps the menu away.
  control->OnMessage = [&](TMessage& m) {
    if (m.Msg == WM_CONTEXTMENU) {
      at = LParamToPoint(m.LParam);
      m.Result = 1;
    }
  };
  QContextMenuEvent byKey(QContextMenuEvent::Keyboard, QPoint(0, 0), w->mapToGlobal(QPoint(0, 0)));
  QCoreApplication::sendEvent(w, &byKey);
  EXPECT_EQ(at, (TPoint{-1, -1}));
  EXPECT_EQ(popups, 1);
}

}  // namespace

namespace {

TEST_F(CustomControlTest, CursorsOfControlsAndOfTheScreen) {
  form.Show();
  control->SetCursor(crIBeam);
  EXPECT_EQ(Widget(*control)->cursor().shape(), Qt::IBeamCursor);
  control->SetCursor(crHandPoint);
  EXPECT_EQ(Widget(*control)->cursor().shape(), Qt::PointingHandCursor);
  Screen().SetCursor(crHourGlass);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  Screen().SetCursor(crDefault);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(CustomControlTest, CaptureIsHeldUntilReleased) {
  EXPECT_FALSE(control->MouseCapture());
  control->SetMouseCapture(true);  // no window yet: nothing to capture with
  EXPECT_FALSE(control->MouseCapture());
  form.Show();
  control->SetMouseCapture(true);
  EXPECT_TRUE(control->MouseCapture());
  control->SetMouseCapture(false);
  EXPECT_FALSE(control->MouseCapture());
}

}  // namespace

namespace {

TEST_F(CustomControlTest, ComposedTextArrivesAsCharacters) {
  form.Show();
  QInputMethodEvent composed;
  composed.setCommitString(QString::fromUtf16(u"\u65E5\U0001F600"));
  QCoreApplication::sendEvent(Widget(*control), &composed);
  EXPECT_EQ(control->Events, (std::vector<std::string>{"char 26085", "char 55357", "char 56832"}));
}

TEST_F(CustomControlTest, ComposedTextTakenByTheControlIsNotTypedAgain) {
  form.Show();
  std::vector<std::u16string> taken;
  control->OnMessage = [&](TMessage& m) {
    if (m.Msg == WM_IME_STARTCOMPOSITION) control->Events.push_back("start");
    if (m.Msg == WM_IME_COMPOSITION && (m.LParam & GCS_RESULTSTR) != 0)
      taken.push_back(TakeCompositionResult());
  };
  QInputMethodEvent preedit(QStringLiteral("ni"), {});
  QCoreApplication::sendEvent(Widget(*control), &preedit);
  QInputMethodEvent more(QStringLiteral("nih"), {});
  QCoreApplication::sendEvent(Widget(*control), &more);
  QInputMethodEvent composed;
  composed.setCommitString(QString::fromUtf16(u"\u4F60\u597D"));
  QCoreApplication::sendEvent(Widget(*control), &composed);
  EXPECT_EQ(control->Events, std::vector<std::string>{"start"}) << "one start, no characters";
  EXPECT_EQ(taken, std::vector<std::u16string>{u"\u4F60\u597D"});
  EXPECT_TRUE(TakeCompositionResult().empty()) << "only while the message is handled";
}

TEST_F(CustomControlTest, InputMethodIsToldWhereTheCompositionGoes) {
  form.Show();
  QWidget* w = Widget(*control);
  TRect area, caret;
  EXPECT_FALSE(GetCompositionForm(*control, area, caret));
  SetCompositionForm(*control, TRect{5, 0, 150, 100}, TRect{40, 20, 41, 36});
  TFont font;
  font.SetName("DejaVu Sans");
  font.SetSize(20);
  SetCompositionFont(*control, font);
  ASSERT_TRUE(GetCompositionForm(*control, area, caret));
  EXPECT_EQ(caret.Left, 40);
  EXPECT_EQ(caret.Bottom, 36);
  QInputMethodQueryEvent query(Qt::ImCursorRectangle | Qt::ImFont | Qt::ImEnabled);
  QCoreApplication::sendEvent(w, &query);
  EXPECT_EQ(query.value(Qt::ImCursorRectangle).toRect(), QRect(40, 20, 1, 16));
  EXPECT_EQ(query.value(Qt::ImFont).value<QFont>().family(), QStringLiteral("DejaVu Sans"));
  EXPECT_TRUE(query.value(Qt::ImEnabled).toBool());
}

TEST_F(CustomControlTest, RedrawCanBeStoppedAndResumed) {
  form.Show();
  control->Perform(WM_SETREDRAW, 0);
  EXPECT_FALSE(Widget(*control)->updatesEnabled());
  control->Perform(WM_SETREDRAW, 1);
  EXPECT_TRUE(Widget(*control)->updatesEnabled());
}

}  // namespace

namespace {

TEST_F(CustomControlTest, HintsShowOnlyWhenAskedAndLeavingIsReported) {
  control->SetHint("Drop an exam file here");
  form.Show();
  QWidget* outer = Widget(*control)->parentWidget();
  EXPECT_TRUE(outer->toolTip().isEmpty());
  control->SetShowHint(true);
  EXPECT_EQ(outer->toolTip(), "Drop an exam file here");
  Application->SetShowHint(false);
  control->SetHint("Other");
  EXPECT_TRUE(outer->toolTip().isEmpty());
  Application->SetShowHint(true);

  control->WatchFrom = CM_BASE;
  QEvent enter(QEvent::Enter);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(Widget(*control), &enter);
  QCoreApplication::sendEvent(Widget(*control), &leave);
  EXPECT_EQ(control->Log, (std::vector<uint32_t>{CM_MOUSEENTER, CM_MOUSELEAVE}));
}

}  // namespace

namespace {

// Frees itself on its first tick and touches nothing afterwards.
class TSelfFreeing : public TCustomControl {
 public:
  explicit TSelfFreeing(bool* freed) : freed_(freed) {}
  void WndProc(TMessage& message) override {
    if (message.Msg == WM_TIMER) {
      *freed_ = true;
      delete this;
      return;
    }
    TCustomControl::WndProc(message);
  }

 private:
  bool* freed_;
};

TEST(TimerTest, ControlFreedByItsOwnTimerHandler) {
  bool freed = false;
  auto* control = new TSelfFreeing(&freed);
  control->SetTimer(1, 1);
  control->SetTimer(2, 1);
  EXPECT_TRUE(PumpUntil([&] { return freed; }));
  QTest::qWait(10);  // the other timer went with the control
}

}  // namespace

namespace {

// A control with a non-client band at the top: the band is blue, the client area red; the band's
// mouse messages are kept with their window points.
class TBandControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<std::pair<uint32_t, TPoint>> BandMessages;
  TRect PaintedBand;

  void WndProc(TMessage& message) override {
    if ((message.Msg >= WM_NCMOUSEMOVE && message.Msg <= WM_NCLBUTTONDBLCLK) ||
        message.Msg == WM_NCMOUSELEAVE)
      BandMessages.emplace_back(message.Msg, LParamToPoint(message.LParam));
    TCustomControl::WndProc(message);
  }

 protected:
  void Paint() override {
    Canvas().Brush().SetColor(clRed);
    Canvas().FillRect(ClientRect());
  }
  void PaintNonClient(TCanvas& canvas, const TRect& band) override {
    PaintedBand = band;
    canvas.Brush().SetColor(clBlue);
    canvas.FillRect(band);
  }
};

TEST(NonClientBandTest, BandSitsAboveClientAreaAndScrollBarAndTakesItsOwnMouseInput) {
  TForm form;
  form.SetBounds(0, 0, 300, 200);
  auto* control = new TBandControl(&form);
  control->SetParent(&form);
  control->SetBounds(10, 10, 200, 120);
  control->SetBorderStyle(bsSingle);  // two pixels on each side
  control->SetNonClientTop(20);
  TScrollInfo info;
  info.fMask = SIF_ALL;
  info.nMax = 999;
  info.nPage = 50;
  control->SetScrollInfo(SB_VERT, info, true);
  const int sb = TCustomControl::ScrollBarSize();
  EXPECT_EQ(control->ClientRect(), Rect(0, 0, 200 - 4 - sb, 120 - 4 - 20));
  EXPECT_EQ(control->NonClientRect(), Rect(2, 2, 198, 22));
  EXPECT_EQ(control->WindowToClient(TPoint{2, 22}), (TPoint{0, 0}));
  form.Show();
  QWidget* client = Widget(*control);
  EXPECT_EQ(client->geometry(), QRect(2, 22, 200 - 4 - sb, 96));
  auto* bar = client->parentWidget()->findChildren<QScrollBar*>()[1];
  ASSERT_EQ(bar->orientation(), Qt::Vertical);
  EXPECT_EQ(bar->geometry().top(), 22);  // the bar starts below the band
  const QImage image = client->parentWidget()->grab().toImage();
  EXPECT_EQ(control->PaintedBand, Rect(2, 2, 198, 22));
  EXPECT_EQ(image.pixelColor(100, 10), QColor(0, 0, 255));
  EXPECT_EQ(image.pixelColor(195, 10), QColor(0, 0, 255));  // over the scroll bar's column too
  EXPECT_EQ(image.pixelColor(50, 40), QColor(255, 0, 0));

  QWidget* outer = client->parentWidget();
  QTest::mousePress(outer, Qt::LeftButton, Qt::NoModifier, QPoint(30, 8));
  QTest::mouseMove(outer, QPoint(40, 9));
  QTest::mouseRelease(outer, Qt::LeftButton, Qt::NoModifier, QPoint(41, 10));
  ASSERT_GE(control->BandMessages.size(), 3u);
  EXPECT_EQ(control->BandMessages[0], std::make_pair(WM_NCLBUTTONDOWN, TPoint{30, 8}));
  EXPECT_EQ(control->BandMessages.back(), std::make_pair(WM_NCLBUTTONUP, TPoint{41, 10}));
  EXPECT_TRUE(std::any_of(control->BandMessages.begin(), control->BandMessages.end(), [](const auto& m) {
    return m.first == WM_NCMOUSEMOVE && m.second == TPoint{40, 9};
  }));

  // After a press on the band its input stays with it until the release, wherever the pointer
  // goes; a press elsewhere on the window's frame is not band input.
  control->BandMessages.clear();
  QTest::mousePress(outer, Qt::LeftButton, Qt::NoModifier, QPoint(30, 8));
  QTest::mouseMove(outer, QPoint(30, 60));
  QTest::mouseRelease(outer, Qt::LeftButton, Qt::NoModifier, QPoint(30, 60));
  QTest::mousePress(outer, Qt::LeftButton, Qt::NoModifier, QPoint(1, 60));
  QTest::mouseRelease(outer, Qt::LeftButton, Qt::NoModifier, QPoint(1, 60));
  ASSERT_FALSE(control->BandMessages.empty());
  EXPECT_EQ(control->BandMessages.back(), std::make_pair(WM_NCLBUTTONUP, TPoint{30, 60}));

  // A borderless window paints its band as well.
  control->SetBorderStyle(bsNone);
  EXPECT_EQ(control->NonClientRect(), Rect(0, 0, 200, 20));
  EXPECT_EQ(outer->grab().toImage().pixelColor(100, 1), QColor(0, 0, 255));
  control->SetBorderStyle(bsSingle);

  // Without a band the client area takes the whole window again.
  control->SetNonClientTop(0);
  EXPECT_TRUE(control->NonClientRect().IsEmpty());
  EXPECT_EQ(client->geometry().top(), 2);
  EXPECT_EQ(control->ClientHeight(), 116);
}

}  // namespace
