#include <gtest/gtest.h>

#include <vector>

#include "gif/GIFImage.h"
#include "platform/core/ComponentStreaming.h"
#include "platform/core/Streams.h"
#include "platform/core/TypInfo.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/SystemColors.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Messaging.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/StyleDrawing.h"
#include "platform/gui/WindowGrab.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/ViewerTestSupport.h"
#include "themes/UxTheme.h"

using viewertest::App;

namespace {

class ViewerControlTest : public ::testing::Test {
 protected:
  void SetUp() override { App(); }
  /// A 150 by 100 viewer at the top left of a 200 by 150 form, which owns it.
  static TRVViewer* ViewerOnForm(TForm& Form) {
    Form.SetBounds(0, 0, 200, 150);
    auto* viewer = new TRVViewer(&Form);
    viewer->SetParent(&Form);
    viewer->SetBounds(0, 0, 150, 100);
    return viewer;
  }
};

// ---- properties -------------------------------------------------------------------------------

TEST_F(ViewerControlTest, NewViewerHasThePublishedDefaults) {
  TRVViewer viewer;
  EXPECT_EQ(viewer.Width(), 100);
  EXPECT_EQ(viewer.Height(), 40);
  EXPECT_EQ(viewer.Color(), clNone);
  EXPECT_EQ(viewer.BorderStyle(), bsSingle);
  EXPECT_EQ(viewer.LeftMargin + viewer.RightMargin + viewer.TopMargin + viewer.BottomMargin, 20);
  EXPECT_EQ(viewer.MinTextWidth, 0);
  EXPECT_EQ(viewer.MaxTextWidth, 0);
  EXPECT_EQ(viewer.Style(), nullptr);
  EXPECT_EQ(viewer.ViewerFlags(), 0x010B);
  EXPECT_EQ(viewer.Delimiters, std::string(" .;,:(){}\"/\\"));
  EXPECT_EQ(viewer.Options, rvoAllowSelection | rvoScrollToEnd | rvoShowPageBreaks | rvoAutoCopyText |
                                rvoAutoCopyRVF | rvoAutoCopyImage | rvoAutoCopyRTF | rvoFormatInvalidate |
                                rvoDblClickSelectsWord | rvoRClickDeselects);
  EXPECT_EQ(viewer.RVFOptions, rvfoSavePicturesBody | rvfoSaveControlsBody | rvfoSaveBinary);
  EXPECT_EQ(viewer.RTFOptions, rvrtfDuplicateUnicode | rvrtfSaveEMFAsWMF | rvrtfSaveJpegAsJpeg);
  EXPECT_EQ(viewer.RVFTextStylesReadMode, rvf_sInsertMerge);
  EXPECT_EQ(viewer.RVFParaStylesReadMode, rvf_sInsertMerge);
  EXPECT_EQ(viewer.TabNavigation(), rvtnTab);
  EXPECT_EQ(viewer.DoInPaletteMode(), rvpaCreateCopies);
  EXPECT_TRUE(viewer.HScrollVisible() && viewer.VScrollVisible() && viewer.Tracking() &&
              viewer.UseXPThemes());
  EXPECT_EQ(viewer.WheelStep(), 2);
  EXPECT_TRUE(viewer.TabStop());
  EXPECT_EQ(viewer.BackgroundStyle(), bsNoBitmap);
  EXPECT_EQ(viewer.VSmallStep(), 1) << "the step is 1 until the window exists";
  EXPECT_FALSE(viewer.HandleAllocated());
  EXPECT_EQ(viewer.RVData().GetViewerState(), 0x010B);
  EXPECT_EQ(viewer.RVData().GetLeftMargin(), 5);
}

TEST_F(ViewerControlTest, EffectiveColourFallsBackToTheSheetThenTheWindowColour) {
  TRVViewer viewer;
  EXPECT_EQ(viewer.GetColor(), clWindow);
  TRVStyle sheet;
  sheet.Color = clYellow;
  viewer.SetStyle(&sheet);
  EXPECT_EQ(viewer.GetColor(), clYellow);
  EXPECT_EQ(viewer.RVData().GetColor(), clYellow);
  viewer.SetColor(clRed);
  EXPECT_EQ(viewer.GetColor(), clRed);
}

TEST_F(ViewerControlTest, StyleSheetThatGoesAwayIsForgotten) {
  TRVViewer viewer;
  auto sheet = std::make_unique<TRVStyle>();
  viewer.SetStyle(sheet.get());
  sheet.reset();
  EXPECT_EQ(viewer.Style(), nullptr);
  EXPECT_EQ(viewer.RVData().GetRVStyle(), nullptr);
}

TEST_F(ViewerControlTest, SelectionOptionsAreSetByNameAndStoredOnlyAsOptions) {
  const std::pair<const char*, TRVOptions> views[] = {{"AllowSelection", rvoAllowSelection},
                                                      {"SingleClick", rvoSingleClick}};
  for (const auto& [name, option] : views) {
    TRVViewer viewer;
    const TPropInfo* prop = TRVViewer::ClassProperties().Find(name);
    ASSERT_NE(prop, nullptr) << name;
    for (int64_t value : {1, 0}) {
      prop->SetOrd(viewer, value);
      EXPECT_EQ((viewer.Options & option) != 0, value != 0) << name;
      EXPECT_EQ(prop->GetOrd(viewer), value) << name;
    }
    EXPECT_FALSE(prop->Stored(viewer)) << name;
  }
}

TEST_F(ViewerControlTest, FormStreamKeepsChangedPropertiesAndLeavesDefaultsOut) {
  RVRegisterViewerClasses();
  TRVViewer viewer;
  viewer.SetName("Viewer1");
  TMemoryStream plain;
  WriteComponent(plain, viewer);
  viewer.LeftMargin = 9;
  viewer.Options = rvoAllowSelection;
  viewer.SetTabNavigation(rvtnCtrlTab);
  viewer.SetWheelStep(0);
  viewer.Delimiters = " ";
  viewer.SetColor(clRed);
  TMemoryStream changed;
  WriteComponent(changed, viewer);
  EXPECT_GT(changed.Size(), plain.Size());
  EXPECT_EQ(plain.DataString().find("LeftMargin"), std::string::npos);
  EXPECT_NE(plain.DataString().find("DoInPaletteMode"), std::string::npos) << "always stored";

  changed.SetPosition(0);
  std::unique_ptr<TComponent> read = ReadComponent(changed);
  auto* copy = dynamic_cast<TRVViewer*>(read.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->LeftMargin, 9);
  EXPECT_EQ(copy->RightMargin, 5);
  EXPECT_EQ(copy->Options, rvoAllowSelection);
  EXPECT_EQ(copy->TabNavigation(), rvtnCtrlTab);
  EXPECT_EQ(copy->WheelStep(), 0);
  EXPECT_EQ(copy->Delimiters, " ");
  EXPECT_EQ(copy->Color(), clRed);
}

TEST_F(ViewerControlTest, FormStreamKeepsPlacementLookHelpAndMenu) {
  RVRegisterViewerClasses();
  TForm form, other;
  TRVViewer *viewer = ViewerOnForm(form), *copy = ViewerOnForm(other);
  for (TForm* f : {&form, &other}) (new TWinControl(f))->SetParent(f);
  TMemoryStream plain, changed, again;
  WriteComponent(plain, *viewer);
  auto* menu = new TPopupMenu(viewer);
  menu->SetName("Menu");
  viewer->SetPopupMenu(menu);
  viewer->SetTabOrder(1);
  viewer->SetTabStop(false);
  viewer->SetAnchors(akTop | akRight);
  viewer->Constraints().SetMinWidth(160);
  viewer->Constraints().SetMaxHeight(120);
  viewer->SetCtl3D(false);
  viewer->SetHelpContext(42);
  viewer->SetShowHint(true);
  viewer->SetAlign(alRight);
  WriteComponent(changed, *viewer);
  for (const char* name : {"TabStop", "Align", "Anchors", "MinWidth", "MaxHeight", "Ctl3D", "HelpContext",
                           "ShowHint", "PopupMenu"})  // left out at their defaults
    EXPECT_TRUE(plain.DataString().find(name) == std::string::npos &&
                changed.DataString().find(name) != std::string::npos)
        << name;
  auto* copyMenu = new TPopupMenu(copy);
  copyMenu->SetName("Menu");
  changed.SetPosition(0);
  ReadComponent(changed, *copy);
  WriteComponent(again, *copy);
  EXPECT_EQ(again.DataString(), changed.DataString());
  EXPECT_EQ(copy->PopupMenu(), copyMenu);
  EXPECT_EQ(copy->BoundsRect(), Bounds(40, 0, 160, 120)) << "along the right edge, within its bounds";
  other.SetCtl3D(false);
  other.SetCtl3D(true);
  EXPECT_FALSE(copy->Ctl3D()) << "set on its own, it does not follow the form";
  copy->SetParentCtl3D(true);
  EXPECT_TRUE(copy->Ctl3D());
}

class StoredControlsTest : public ::testing::TestWithParam<TRVFOptions> {};

TEST_P(StoredControlsTest, ReadBackWithTheirClassesAndProperties) {
  App();
  TRVStyle sheet;
  TRVViewer source, target;
  for (TRVViewer* v : {&source, &target}) v->SetStyle(&sheet), v->RVFOptions = GetParam();
  auto button = std::make_unique<TButton>();
  button->SetName("OK");
  button->SetCaption("Press & go");
  button->SetBounds(0, 0, 90, 30);
  auto edit = std::make_unique<TEdit>();
  edit->SetText("typed text");
  edit->SetReadOnly(true);
  edit->SetEnabled(false);
  source.AddItem("", TRVControlItemInfo::CreateEx(&source.RVData(), std::move(button), 0));
  source.AddItem("", TRVControlItemInfo::CreateEx(&source.RVData(), std::move(edit), 1));
  TMemoryStream saved, again;
  ASSERT_TRUE(source.SaveRVFToStream(saved, false));
  saved.SetPosition(0);
  ASSERT_TRUE(target.LoadRVFFromStream(saved) && target.SaveRVFToStream(again, false));
  EXPECT_EQ(again.DataString(), saved.DataString());
  auto at = [&](int i) {
    return static_cast<TRVControlItemInfo*>(target.RVData().GetItem(i))->Control.get();
  };
  auto* b = dynamic_cast<TButton*>(at(0));
  auto* e = dynamic_cast<TEdit*>(at(1));
  ASSERT_TRUE(b != nullptr && e != nullptr);
  EXPECT_EQ(b->Name() + "|" + b->Caption() + "|" + e->Text(), "OK|Press & go|typed text");
  EXPECT_TRUE(b->BoundsRect() == Rect(0, 0, 90, 30) && e->ReadOnly() && !e->Enabled() &&
              e->Parent() == &target);
}

INSTANTIATE_TEST_SUITE_P(BinaryAndHex, StoredControlsTest,
                         ::testing::Values(rvDefaultRVFOptions,
                                           TRVFOptions(rvDefaultRVFOptions & ~rvfoSaveBinary)));

TEST_F(ViewerControlTest, ShortcutsOfTheClipboard) {
  EXPECT_TRUE(TCustomRVViewer::IsCopyShortcut(ssCtrl, 'C'));
  EXPECT_TRUE(TCustomRVViewer::IsCopyShortcut(ssCtrl, VK_INSERT));
  EXPECT_FALSE(TCustomRVViewer::IsCopyShortcut(ssCtrl | ssAlt, 'C'));
  EXPECT_FALSE(TCustomRVViewer::IsCopyShortcut(0, 'C'));
  EXPECT_TRUE(TCustomRVViewer::IsCutShortcut(ssShift, VK_DELETE));
  EXPECT_TRUE(TCustomRVViewer::IsCutShortcut(ssCtrl, 'X'));
  EXPECT_FALSE(TCustomRVViewer::IsCutShortcut(ssCtrl | ssAlt, 'X'));
  EXPECT_TRUE(TCustomRVViewer::IsPasteShortcut(ssShift, VK_INSERT));
  EXPECT_TRUE(TCustomRVViewer::IsPasteShortcut(ssCtrl, 'V'));
  EXPECT_FALSE(TCustomRVViewer::IsPasteShortcut(ssCtrl, VK_INSERT));
}

// ---- scrolling ------------------------------------------------------------------------------------

/// A shown viewer with a window, no border, on a form of its own.
class ScrollingTest : public ViewerControlTest {
 protected:
  void SetUp() override {
    ViewerControlTest::SetUp();
    viewer.SetStyle(&sheet);
    viewer.SetBorderStyle(bsNone);
    viewer.SetBounds(0, 0, 300, 200);
    viewer.HandleNeeded();
  }
  /// Document of Height pixels and 2000 pixels wide given to the scroll bars.
  void SetDocument(int32_t height) {
    viewer.RVData().DocumentHeight = height;
    viewer.RVData().AdjustVScrollUnits();
    viewer.RVData().SetDocumentAreaSize(2000, height, true);
  }
  void Scroll(uint32_t msg, uint32_t code, uint32_t pos = 0) {
    viewer.Perform(msg, static_cast<WPARAM>(MakeLParam(code, pos)), 0);
  }

  TRVStyle sheet;
  TRVViewer viewer;
};

TEST_F(ScrollingTest, WindowSetsTheDefaultStep) {
  EXPECT_EQ(viewer.VSmallStep(), 10);
}

TEST_F(ScrollingTest, HeightIsGivenInStepsRoundedUp) {
  SetDocument(25);
  EXPECT_EQ(viewer.YSize(), 3);
  SetDocument(30);
  EXPECT_EQ(viewer.YSize(), 3);
  EXPECT_EQ(viewer.XSize(), 2000);
  EXPECT_EQ(viewer.RVData().GetAreaWidth(), 2000);
}

TEST_F(ScrollingTest, StepGrowsSoTheRangeStaysWithin32000Steps) {
  SetDocument(320010);
  EXPECT_EQ(viewer.VSmallStep(), 11) << "32001 steps of 10 pixels are one too many";
  SetDocument(400000);
  EXPECT_EQ(viewer.VSmallStep(), 13) << "400000 / 12 = 33333 steps would still be too many";
  EXPECT_LE(viewer.YSize(), 32000);
  SetDocument(320010);
  EXPECT_EQ(viewer.VSmallStep(), 13) << "a larger step stays while 10 does not fit";
  SetDocument(320000);
  EXPECT_EQ(viewer.VSmallStep(), 10) << "back to 10 as soon as 10 fits";
  SetDocument(1000);
  EXPECT_EQ(viewer.VSmallStep(), 10);
}

TEST_F(ScrollingTest, AStepGivingMoreThan32000StepsIsRefused) {
  // {document height, step asked, step kept}, from a step of 20; a step below 1 counts as 1.
  const int32_t cases[][3] = {
      {320010, 10, 20}, {320000, 10, 10}, {320010, 11, 11}, {30000, -5, 1}, {32001, 0, 20}};
  for (const auto& [height, step, kept] : cases) {
    viewer.RVData().DocumentHeight = 0, viewer.SetVSmallStep(20);
    viewer.RVData().DocumentHeight = height, viewer.SetVSmallStep(step);
    EXPECT_EQ(viewer.VSmallStep(), kept) << height << " / " << step;
  }
}

TEST_F(ScrollingTest, ChangingTheStepKeepsTheViewWhereItIs) {
  SetDocument(5000);
  viewer.SetVPos(50, false);
  ASSERT_EQ(viewer.VPos(), 50);
  EXPECT_EQ(viewer.RVData().GetVOffs(), 500);
  viewer.SetVSmallStep(20);
  EXPECT_EQ(viewer.VPos(), 25);
  EXPECT_EQ(viewer.RVData().GetVOffs(), 500);
  viewer.SetVSmallStep(0);
  EXPECT_EQ(viewer.VSmallStep(), 1) << "a step of 0 would divide by zero";
  EXPECT_EQ(viewer.VPos(), 500);
}

TEST_F(ScrollingTest, ScrollBarMessagesMoveAndClampThePosition) {
  SetDocument(5000);  // 500 steps
  const int32_t page = viewer.ClientHeight() / 10;
  Scroll(WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(viewer.VPos(), 1);
  Scroll(WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_EQ(viewer.VPos(), 1 + page);
  Scroll(WM_VSCROLL, SB_LINEUP);
  EXPECT_EQ(viewer.VPos(), page);
  Scroll(WM_VSCROLL, SB_BOTTOM);
  EXPECT_EQ(viewer.VPos(), 500 - page) << "the last position still fills the page";
  Scroll(WM_VSCROLL, SB_TOP);
  EXPECT_EQ(viewer.VPos(), 0);
  Scroll(WM_VSCROLL, SB_PAGEUP);
  EXPECT_EQ(viewer.VPos(), 0);

  viewer.SetTracking(false);
  Scroll(WM_VSCROLL, SB_THUMBTRACK, 40);
  EXPECT_EQ(viewer.VPos(), 0) << "tracking is off";
  Scroll(WM_VSCROLL, SB_THUMBPOSITION, 40);
  EXPECT_EQ(viewer.VPos(), 40);
  viewer.SetTracking(true);
  Scroll(WM_VSCROLL, SB_THUMBTRACK, 60);
  EXPECT_EQ(viewer.VPos(), 60);

  Scroll(WM_HSCROLL, SB_LINERIGHT);
  EXPECT_EQ(viewer.HPos(), 10);
  Scroll(WM_HSCROLL, SB_PAGERIGHT);
  EXPECT_EQ(viewer.HPos(), 10 + viewer.ClientWidth());
  Scroll(WM_HSCROLL, SB_RIGHT);
  EXPECT_EQ(viewer.HPos(), 2000 - viewer.ClientWidth());
  EXPECT_EQ(viewer.RVData().GetHOffs(), viewer.HPos());
}

TEST_F(ScrollingTest, HiddenBarsAreParkedAtAnEmptyRange) {
  viewer.SetVScrollVisible(false);
  viewer.SetHScrollVisible(false);
  SetDocument(5000);
  for (int bar : {SB_VERT, SB_HORZ}) {
    TScrollInfo info;
    info.fMask = SIF_ALL;
    ASSERT_TRUE(viewer.GetScrollInfo(bar, info));
    EXPECT_EQ(info.nMin, 0) << bar;
    EXPECT_EQ(info.nMax, 1) << bar;
    EXPECT_EQ(info.nPos, 0) << bar;
  }
  viewer.SetVPos(30, true);
  EXPECT_EQ(viewer.VPos(), 30) << "positions still move without a bar";
}

TEST_F(ScrollingTest, ChildControlsKeepTheirTruePositionInTheTag) {
  SetDocument(50000);
  viewer.SetVPos(10, false);
  TControl child;
  child.SetParent(&viewer);
  child.SetTag(10400);
  child.SetTop(10000);
  viewer.SetVPos(0, false);
  EXPECT_EQ(child.Tag(), 10500);
  EXPECT_EQ(child.Top(), 10000);
  viewer.SetVPos(300, false);
  EXPECT_EQ(child.Tag(), 10500 - 3000);
  EXPECT_EQ(child.Top(), 7500);
  child.SetParent(nullptr);
}

TEST_F(ScrollingTest, WheelAndKeysScroll) {
  SetDocument(5000);
  EXPECT_TRUE(viewer.DoMouseWheelDown(0, TPoint{0, 0}));
  EXPECT_EQ(viewer.VPos(), 2);
  EXPECT_TRUE(viewer.DoMouseWheelUp(0, TPoint{0, 0}));
  EXPECT_EQ(viewer.VPos(), 0);
  viewer.SetWheelStep(0);
  EXPECT_FALSE(viewer.DoMouseWheelDown(0, TPoint{0, 0}));
  EXPECT_EQ(viewer.VPos(), 0);

  uint16_t key = VK_NEXT;
  viewer.KeyDown(key, 0);
  EXPECT_EQ(viewer.VPos(), viewer.ClientHeight() / 10);
  key = VK_HOME;
  viewer.KeyDown(key, 0);
  EXPECT_EQ(viewer.VPos(), 0);
  key = VK_RIGHT;
  viewer.KeyDown(key, 0);
  EXPECT_EQ(viewer.HPos(), 10);
  viewer.KeyboardScroll = false;
  key = VK_DOWN;
  viewer.KeyDown(key, 0);
  EXPECT_EQ(viewer.VPos(), 0);
}

TEST_F(ScrollingTest, ScrollEventsFire) {
  SetDocument(5000);
  int v = 0, h = 0;
  viewer.OnVScrolled = [&](TObject*) { ++v; };
  viewer.OnHScrolled = [&](TObject*) { ++h; };
  viewer.ScrollTo(3);
  viewer.ScrollTo(3);
  viewer.SetHPos(4);
  EXPECT_EQ(v, 1) << "no event when the position stays";
  EXPECT_EQ(h, 1);
}

TEST_F(ScrollingTest, AutoScrollDeltasGrowFarOutside) {
  const int32_t h = viewer.ClientHeight();
  const int32_t w = viewer.ClientWidth();
  const struct {
    int32_t x, y, dh, dv;
  } cases[] = {{10, -21, 0, -10},  {10, -20, 0, -1},    {10, h, 0, 0},
               {10, h + 1, 0, 1},  {10, h + 21, 0, 10}, {-21, 10, -10, 0},
               {w + 20, 10, 1, 0}, {w + 21, 10, 10, 0}, {0, 0, 0, 0}};
  for (const auto& c : cases) {
    viewer.SetAutoScrollDeltas(c.x, c.y);
    EXPECT_EQ(viewer.AutoScrollDeltaV(), c.dv) << c.x << "," << c.y;
    EXPECT_EQ(viewer.AutoScrollDeltaH(), c.dh) << c.x << "," << c.y;
  }
}

TEST_F(ScrollingTest, AutoScrollStopsOnClearAndWithTheControl) {
  viewer.StartAutoScroll();
  EXPECT_TRUE(viewer.TimerRunning(TCustomRVViewer::kAutoScrollTimer));
  viewer.Clear();
  EXPECT_FALSE(viewer.AutoScrolling());
  EXPECT_FALSE(viewer.TimerRunning(TCustomRVViewer::kAutoScrollTimer));
  auto* other = new TRVViewer();
  other->HandleNeeded();
  other->StartAutoScroll();
  delete other;  // the timer must not fire into a freed control
  App().ProcessMessages();
}

TEST(ScrollerPalette, CubeOf216Colours) {
  const std::vector<TPaletteEntry> palette = TRVScroller::GenerateLogPalette();
  ASSERT_EQ(palette.size(), 216u);
  EXPECT_EQ(palette[215], (TPaletteEntry{255, 255, 255, 0}));
  EXPECT_EQ(palette[1], (TPaletteEntry{51, 0, 0, 0}));
  EXPECT_EQ(palette[6], (TPaletteEntry{0, 51, 0, 0}));
  EXPECT_EQ(palette[36], (TPaletteEntry{0, 0, 51, 0}));
}

// ---- posted events ----------------------------------------------------------------------------------

/// Counts the records freed, so tests see that every record goes.
int g_freed = 0;

template <typename R>
struct TCounted : R {
  using R::R;
  ~TCounted() override { ++g_freed; }
};

class PostedEventTest : public ViewerControlTest {
 protected:
  void SetUp() override {
    ViewerControlTest::SetUp();
    g_freed = 0;
    viewer.OnRVDblClick = [&](TCustomRVViewer*, const std::string& w, int32_t s) {
      log.push_back("dbl " + w + " " + std::to_string(s));
    };
    viewer.OnJump = [&](TCustomRVViewer*, int32_t id) { log.push_back("jump " + std::to_string(id)); };
    viewer.OnRVMouseUp = [&](TCustomRVViewer*, TMouseButton b, TShiftState s, int item, int32_t x,
                             int32_t y) {
      log.push_back("up " + std::to_string(b) + std::to_string(s) + " " + std::to_string(item) + " " +
                    std::to_string(x) + "," + std::to_string(y));
    };
    viewer.OnRVMouseDown = [&](TCustomRVViewer*, TMouseButton b, TShiftState, int item, int32_t, int32_t) {
      log.push_back("down " + std::to_string(b) + " " + std::to_string(item));
    };
    viewer.OnClick = [&](TObject*) { log.push_back("click"); };
    viewer.OnDblClick = [&](TObject*) { log.push_back("dblclick"); };
    viewer.OnMouseMove = [&](TObject*, TShiftState, int32_t x, int32_t y) {
      log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    };
    viewer.OnDragDrop = [&](TObject*, TObject* source, int32_t x, int32_t) {
      log.push_back(std::string("drop ") + (source == &marker ? "source " : "? ") + std::to_string(x));
    };
    viewer.OnEndDrag = [&](TObject*, TObject* target, int32_t, int32_t y) {
      log.push_back(std::string("end ") + (target == &marker ? "target " : "? ") + std::to_string(y));
    };
  }
  void Deliver(std::unique_ptr<TObject> record) {
    TMessage message;
    message.Msg = WM_RVEVENT;
    message.Record = std::move(record);
    viewer.WndProc(message);
  }

  TRVViewer viewer;
  TObject marker;
  std::vector<std::string> log;
};

TEST_F(PostedEventTest, EveryKindRaisesItsEventAndIsFreed) {
  auto dbl = std::make_unique<TCounted<TRVDblClickMessageData>>();
  dbl->ClickedWord = "word";
  dbl->Style = 3;
  Deliver(std::move(dbl));
  auto jump = std::make_unique<TCounted<TRVJumpMessageData>>();
  jump->id = 7;
  Deliver(std::move(jump));
  for (uint8_t kind : {2, 3}) {
    auto mouse = std::make_unique<TCounted<TRVMouseUpDownMessageData>>(kind);
    mouse->X = 4;
    mouse->Y = 5;
    mouse->ItemNo = 6;
    mouse->Shift = ssShift;
    mouse->Button = mbRight;
    Deliver(std::move(mouse));
  }
  Deliver(std::make_unique<TCounted<TRVClickMessageData>>(4));
  Deliver(std::make_unique<TCounted<TRVClickMessageData>>(5));
  auto move = std::make_unique<TCounted<TRVMouseMoveMessageData>>();
  move->X = 8;
  move->Y = 9;
  Deliver(std::move(move));
  for (uint8_t kind : {7, 8}) {
    auto dnd = std::make_unique<TCounted<TRVDNDMessageData>>(kind);
    dnd->X = 11;
    dnd->Y = 12;
    dnd->Obj = &marker;
    Deliver(std::move(dnd));
  }
  EXPECT_EQ(log, (std::vector<std::string>{"dbl word 3", "jump 7", "up 11 6 4,5", "down 1 6", "click",
                                           "dblclick", "move 8,9", "drop source 11", "end target 12"}));
  EXPECT_EQ(g_freed, 9);
}

TEST_F(PostedEventTest, UnknownKindIsOnlyFreed) {
  Deliver(std::make_unique<TCounted<TRVMessageData>>(9));
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(g_freed, 1);
}

TEST_F(PostedEventTest, PostedRecordArrivesAfterTheRunningHandler) {
  auto jump = std::make_unique<TCounted<TRVJumpMessageData>>();
  jump->id = 5;
  ASSERT_TRUE(PostMessage(&viewer, WM_RVEVENT, 0, 0, std::move(jump)));
  EXPECT_TRUE(log.empty()) << "posted, not sent";
  App().ProcessMessages();
  EXPECT_EQ(log, std::vector<std::string>{"jump 5"});
  EXPECT_EQ(g_freed, 1);
}

TEST_F(PostedEventTest, RecordPostedToAViewerThatIsGoneIsFreed) {
  auto* gone = new TRVViewer();
  PostMessage(gone, WM_RVEVENT, 0, 0, std::make_unique<TCounted<TRVJumpMessageData>>());
  delete gone;
  App().ProcessMessages();
  EXPECT_EQ(g_freed, 1);
}

// ---- painting -----------------------------------------------------------------------------------------

class TThrowingData : public TRVViewerRVData {
 public:
  using TRVViewerRVData::TRVViewerRVData;
  void Paint(TCanvas&, const TRect&) override { throw Exception("cannot draw item 3"); }
};

TEST_F(ViewerControlTest, PaintingFailureShowsTheErrorText) {
  viewertest::TViewerWith<TThrowingData> viewer;
  TRVStyle sheet;
  sheet.Color = clAqua;
  viewer.SetStyle(&sheet);
  TBitmap painted;
  painted.SetPixelFormat(pf24bit);
  painted.SetSize(220, 40);
  viewer.Data().PaintBuffered(painted.Canvas());

  TBitmap expected;
  expected.SetPixelFormat(pf24bit);
  expected.SetSize(220, 40);
  TCanvas& c = expected.Canvas();
  c.Brush().SetColor(clAqua);
  c.FillRect(Rect(0, 0, 220, 40));
  c.Font().SetName("Arial");
  c.Font().SetSize(10);
  c.Font().SetColor(clRed);
  c.Brush().SetColor(clWhite);
  c.TextOut(0, 0, "Error:cannot draw item 3");
  int differing = 0, red = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 220; ++x) {
      const TColor p = painted.Canvas().Pixel(x, y);
      differing += p != expected.Canvas().Pixel(x, y);
      red += p == clRed;
    }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(red, 20);
}

TEST_F(ViewerControlTest, BufferedPaintingDrawsTheBackgroundOfTheClipBox) {
  TRVViewer viewer;
  TRVStyle sheet;
  sheet.Color = clYellow;
  viewer.SetStyle(&sheet);
  TBitmap painted;
  painted.SetPixelFormat(pf24bit);
  painted.SetSize(50, 30);
  painted.Canvas().Brush().SetColor(clBlack);
  painted.Canvas().FillRect(Rect(0, 0, 50, 30));
  painted.Canvas().IntersectClipRect(Rect(10, 5, 30, 25));
  viewer.RVData().PaintBuffered(painted.Canvas());
  painted.Canvas().ResetClip();
  EXPECT_EQ(painted.Canvas().Pixel(10, 5), clYellow);
  EXPECT_EQ(painted.Canvas().Pixel(29, 24), clYellow);
  EXPECT_EQ(painted.Canvas().Pixel(9, 5), clBlack) << "outside the clip box";
  EXPECT_EQ(painted.Canvas().Pixel(30, 24), clBlack);
}

}  // namespace

namespace {

TEST_F(ScrollingTest, AutoScrollTickMovesByTheDeltas) {
  SetDocument(5000);
  viewer.SetVPos(50, false);
  viewer.SetHPos(100);
  viewer.SetAutoScrollDeltas(-30, -21);
  viewer.Perform(WM_TIMER, TCustomRVViewer::kAutoScrollTimer);
  EXPECT_EQ(viewer.VPos(), 40);
  EXPECT_EQ(viewer.HPos(), 90);
  viewer.SetAutoScrollDeltas(10, viewer.ClientHeight() + 1);
  viewer.Perform(WM_TIMER, TCustomRVViewer::kAutoScrollTimer);
  EXPECT_EQ(viewer.VPos(), 41);
  EXPECT_EQ(viewer.HPos(), 90);
}

TEST_F(ViewerControlTest, XorFigureShowsWhereItWasLastDrawnAndGoesWhenErased) {
  TForm form;
  TRVViewer* viewer = ViewerOnForm(form);
  TRVStyle sheet;
  viewer->SetStyle(&sheet);
  int paints = 0;
  viewer->OnPaint = [&](TCustomRVViewer*, TCanvas&, bool) { ++paints; };
  // A vertical line, which a window can show only from its painting.
  TObject owner;
  viewer->RVData().AssignXorDrawing(&owner, [&](TObject*, TShiftState, int32_t x, int32_t) {
    TCanvas& canvas = viewer->Canvas();
    if (!canvas.HasTarget()) return;
    canvas.Pen().SetColor(clRed);
    canvas.MoveTo(x, 0);
    canvas.LineTo(x, 100);
  });
  form.Show();
  App().ProcessMessages();
  auto redAt = [&](int32_t x) {
    TBitmap grab;
    EXPECT_TRUE(GrabControl(*viewer, grab));
    const int32_t b = viewer->BorderWidth();
    return grab.Canvas().Pixel(b + x, b + 50) == clRed;
  };
  paints = 0;
  viewer->RVData().XorDrawingAt(30, 0);
  App().ProcessMessages();
  EXPECT_GE(paints, 1) << "drawing the figure asks the control to paint";
  EXPECT_TRUE(redAt(30));
  viewer->RVData().MouseMove(0, 60, 10);
  App().ProcessMessages();
  EXPECT_FALSE(redAt(30)) << "a move takes the figure along";
  EXPECT_TRUE(redAt(60));
  paints = 0;
  EXPECT_TRUE(viewer->RVData().ClearXorDrawing());
  App().ProcessMessages();
  EXPECT_GE(paints, 1);
  EXPECT_FALSE(redAt(60));
  viewer->RVData().UnassignXorDrawing(&owner);
  viewer->SetStyle(nullptr);
}

TEST_F(ViewerControlTest, AnAnimatedPictureRunsInTheWindowThroughThePaintBuffer) {
  TForm form;
  TRVViewer* viewer = ViewerOnForm(form);
  TRVStyle sheet;
  viewer->SetStyle(&sheet);
  auto gif = std::make_unique<TGIFImage>();
  TBitmap frame;
  frame.SetSize(8, 8);
  for (int i = 0; i < 2; ++i) gif->AddBitmap(frame);  // two frames: an animation
  const TGIFImage* picture = gif.get();
  viewer->AddPicture("", std::move(gif), -1, 0);
  viewer->Format();
  form.Show();
  App().ProcessMessages();
  EXPECT_NE(picture->Painter(), nullptr);
  viewer->SetStyle(nullptr);
}

TEST_F(ViewerControlTest, PaintingRaisesOnPaintOnlyWithAStyleSheet) {
  TForm form;
  TRVViewer* viewer = ViewerOnForm(form);
  int painted = 0;
  bool prepaint = true;
  viewer->OnPaint = [&](TCustomRVViewer*, TCanvas&, bool pre) {
    ++painted;
    prepaint = pre;
  };
  form.Show();
  viewer->Repaint();
  App().ProcessMessages();
  EXPECT_EQ(painted, 0) << "without a style sheet only the message is painted";
  TRVStyle sheet;
  viewer->SetStyle(&sheet);
  viewer->Repaint();
  App().ProcessMessages();
  EXPECT_GE(painted, 1);
  EXPECT_FALSE(prepaint);
  viewer->SetStyle(nullptr);
}

}  // namespace

namespace {

TEST_F(ScrollingTest, AutoScrollStopsWithTheWindow) {
  viewer.StartAutoScroll();
  viewer.DestroyHandle();
  EXPECT_FALSE(viewer.AutoScrolling());
  viewer.HandleNeeded();
  EXPECT_FALSE(viewer.TimerRunning(TCustomRVViewer::kAutoScrollTimer));
}

TEST_F(ScrollingTest, ANewBorderRecreatesTheWindow) {
  const int32_t width = viewer.ClientWidth();
  viewer.StartAutoScroll();
  viewer.SetBorderStyle(bsNone);
  EXPECT_TRUE(viewer.AutoScrolling()) << "the same border changes nothing";
  viewer.SetBorderStyle(bsSingle);
  EXPECT_FALSE(viewer.AutoScrolling()) << "the timer went with the old window";
  EXPECT_TRUE(viewer.HandleAllocated());
  EXPECT_EQ(viewer.ClientWidth(), width - 2 * viewer.BorderWidth());
}

TEST_F(ScrollingTest, RecreatedWindowKeepsThePositionOfADocumentWithItems) {
  SetDocument(5000);
  viewer.SetVPos(20, false);
  viewer.RecreateWnd();
  EXPECT_EQ(viewer.VPos(), 0) << "an empty document starts at the top";
  for (int i = 0; i < 300; ++i) viewer.AddTextLineWithTag(u"x", 0, 0, 0);
  viewer.Format();
  viewer.SetVPos(20, false);
  viewer.RecreateWnd();
  EXPECT_EQ(viewer.VSmallStep(), 10);
  EXPECT_EQ(viewer.VPos(), 20);
}

}  // namespace

namespace {

TEST_F(ViewerControlTest, ViewerWithoutAStyleSheetSaysSoOnTheWindowColour) {
  TForm form;
  form.SetBounds(0, 0, 400, 200);
  auto* viewer = new TRVViewer(&form);
  viewer->SetName("Viewer1");
  viewer->SetParent(&form);
  viewer->SetBounds(0, 0, 360, 120);
  form.Show();
  viewer->Repaint();
  App().ProcessMessages();
  TBitmap grab;
  ASSERT_TRUE(GrabControl(*viewer, grab));
  const int32_t b = viewer->BorderWidth();
  const TRect client = viewer->ClientRect();
  // Two lines of dark text at the top-left of the client area, on clWindow elsewhere.
  auto darkIn = [&](int top, int bottom) {
    int dark = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = b; x < b + client.Width(); ++x) {
        const TColor c = grab.Canvas().Pixel(x, y);
        dark += (c & 0xFF) < 100 && ((c >> 8) & 0xFF) < 100 && ((c >> 16) & 0xFF) < 100;
      }
    return dark;
  };
  const int lineHeight = viewer->Canvas().TextHeight("Wg");
  EXPECT_GT(darkIn(b, b + lineHeight), 10) << "Style is not defined";
  EXPECT_GT(darkIn(b + lineHeight, b + 2 * lineHeight), 10) << "the second line names the viewer";
  EXPECT_EQ(darkIn(b + 2 * lineHeight + 2, b + client.Height()), 0);
  EXPECT_EQ(grab.Canvas().Pixel(b + client.Width() - 3, b + client.Height() - 3), ColorToRGB(clWindow));
}

}  // namespace

namespace {

TEST_F(ViewerControlTest, RightClickPopsTheMenuOnce) {
  TRVViewer viewer;
  TPopupMenu menu;
  int popups = 0;
  menu.OnPopup = [&](TObject*) { ++popups; };
  viewer.SetPopupMenu(&menu);
  viewer.MouseUp(mbRight, 0, 5, 5);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(menu.PopupComponent(), &viewer);
  const TPoint screen = viewer.ClientToScreen(TPoint{5, 5});
  EXPECT_EQ(viewer.Perform(WM_CONTEXTMENU, 0, PointToLParam(screen)), 1) << "the click's menu is up already";
  EXPECT_EQ(viewer.Perform(WM_CONTEXTMENU, 0, PointToLParam(TPoint{-1, -1})), 0)
      << "the keyboard asks for it";
  menu.SetAutoPopup(false);
  viewer.MouseUp(mbRight, 0, 5, 5);
  viewer.MouseUp(mbLeft, 0, 5, 5);
  EXPECT_EQ(popups, 1);
  viewer.SetPopupMenu(nullptr);
}

// ---- frame ------------------------------------------------------------------------------------------

class ViewerFrameTest : public ViewerControlTest {
 protected:
  void SetUp() override {
    ViewerControlTest::SetUp();
    sheet.Color = clYellow;
    viewer->SetStyle(&sheet);
    form.Show();
  }
  std::vector<TColor> Row(int32_t Y) {  // as shown, frame and bars included
    for (int i = 0; i < 5; ++i) App().ProcessMessages();
    TBitmap shown;
    EXPECT_TRUE(GrabControl(*viewer, shown));
    std::vector<TColor> row;
    for (int x = 0; x < shown.Width(); ++x) row.push_back(shown.Canvas().Pixel(x, Y));
    return row;
  }

  TRVStyle sheet;
  TForm form;
  TRVViewer* viewer = ViewerOnForm(form);
};

TEST_F(ViewerFrameTest, FlatBordersAreShadowAndFaceRings) {
  // {Ctl3D, outer ring, inner ring}: a shadow line round the page, or a face ring round a shadow ring.
  const TColor cases[][3] = {{0, 0xA0A0A0, clYellow}, {1, 0xF0F0F0, 0xA0A0A0}};
  for (const auto& [ctl3D, outer, inner] : cases) {
    viewer->SetCtl3D(ctl3D != 0);
    const int32_t w = viewer->Width(), h = viewer->Height();
    const std::vector<TColor> middle = Row(h / 2);
    for (TColor edge : {Row(0)[w / 2], middle.front(), middle.back(), Row(h - 1)[w / 2]})
      EXPECT_EQ(edge, outer);
    for (TColor ring : {Row(1)[w / 2], middle[1], Row(h - 2)[w / 2]}) EXPECT_EQ(ring, inner) << ctl3D;
  }
}

TEST_F(ViewerFrameTest, TheThemedBorderFollowsUseXPThemesAndStyleChanges) {
  viewer->SetTag(TRVScroller::kThemedBorderTag);
  const int32_t open = OpenThemeHandleCount();
  const std::vector<TColor> themed = Row(0);
  ASSERT_NE(viewer->ThemeHandle(), 0u);
  viewer->SetUseXPThemes(false);
  EXPECT_EQ(OpenThemeHandleCount(), open - 1);
  EXPECT_NE(Row(0), themed);
  viewer->SetUseXPThemes(true);
  const HTHEME reopened = viewer->ThemeHandle();
  ASSERT_TRUE(SetApplicationStyle(CurrentStyleName()));
  EXPECT_EQ(Row(0), themed);
  EXPECT_NE(viewer->ThemeHandle(), reopened);
  delete viewer;
  EXPECT_EQ(OpenThemeHandleCount(), open - 1) << "the handle goes with the viewer";
}

TEST_F(ViewerFrameTest, ARightToLeftViewerHasItsVerticalBarOnTheLeft) {
  viewer->RVData().DocumentHeight = 3000;
  for (TRVBiDiMode mode : {rvbdRightToLeft, rvbdLeftToRight}) {
    viewer->SetBiDiMode(mode);
    viewer->RVData().SetDocumentAreaSize(100, 3000, true);
    const std::vector<TColor> row = Row(viewer->Height() / 2);
    const size_t b = viewer->BorderWidth() + 3;
    EXPECT_EQ(row[b] != clYellow, mode == rvbdRightToLeft);
    EXPECT_EQ(row[row.size() - b] != clYellow, mode == rvbdLeftToRight);
  }
}

}  // namespace
