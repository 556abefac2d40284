#include <gtest/gtest.h>

#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/ViewerTestSupport.h"

using viewertest::App;

namespace {

/// A form with an edit, the viewer and another edit, in that tab order. Text style 1 is a
/// hyperlink style.
class TabNavigationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    form = std::make_unique<TForm>();
    form->SetBounds(0, 0, 400, 300);
    before = new TEdit(form.get());
    viewer = new TRVViewer(form.get());
    after = new TEdit(form.get());
    for (TWinControl* c : std::initializer_list<TWinControl*>{before, viewer, after}) {
      c->SetParent(form.get());
      c->SetTabStop(true);
    }
    viewer->SetBounds(0, 30, 200, 100);
    after->SetTop(140);
    sheet.TextStyles().Items(1)->Jump = true;
    viewer->SetStyle(&sheet);
    form->Show();
    App().ProcessMessages();
  }
  void TearDown() override { form.reset(); }

  void FillLinks() {
    viewer->AddTextLineWithTag(u"plain", 0, 0, 0);
    viewer->AddTextLineWithTag(u"link one", 1, 0, 0);
    viewer->AddTextLineWithTag(u"more", 0, 0, 0);
    viewer->AddTextLineWithTag(u"link two", 1, 0, 0);
  }
  void Press(uint16_t key, TShiftState shift = 0) {
    viewer->KeyDown(key, shift);
    App().ProcessMessages();
  }
  TWinControl* Focused() { return TWinControl::FocusedControl(); }

  TRVStyle sheet;
  std::unique_ptr<TForm> form;
  TEdit* before = nullptr;
  TRVViewer* viewer = nullptr;
  TEdit* after = nullptr;
};

TEST_F(TabNavigationTest, TabLeavesADocumentWithoutLinksBothWays) {
  viewer->AddTextLineWithTag(u"nothing to focus", 0, 0, 0);
  viewer->SetFocus();
  App().ProcessMessages();
  Press(VK_TAB);
  EXPECT_EQ(Focused(), after);
  viewer->SetFocus();
  App().ProcessMessages();
  Press(VK_TAB, ssShift);
  EXPECT_EQ(Focused(), before);
}

TEST_F(TabNavigationTest, TabWalksTheLinksThenLeaves) {
  FillLinks();
  before->SetFocus();
  App().ProcessMessages();
  viewer->SetFocus();  // coming from the edit before it: the first link takes the focus
  App().ProcessMessages();
  EXPECT_EQ(Focused(), viewer);
  EXPECT_EQ(viewer->RVData().FocusedItemNo, 1);
  Press(VK_TAB);
  EXPECT_EQ(viewer->RVData().FocusedItemNo, 3);
  EXPECT_EQ(viewer->RVData().FocusRectItemNo, 3);
  Press(VK_TAB, ssShift);
  EXPECT_EQ(viewer->RVData().FocusedItemNo, 1);
  Press(VK_TAB);
  Press(VK_TAB);
  EXPECT_EQ(Focused(), after);
  EXPECT_EQ(viewer->RVData().FocusedItemNo, -1);
}

TEST_F(TabNavigationTest, EnterOnAFocusedLinkJumps) {
  FillLinks();
  viewer->SetFirstJumpNo(10);
  std::vector<int32_t> jumps;
  viewer->OnJump = [&](TCustomRVViewer*, int32_t id) { jumps.push_back(id); };
  before->SetFocus();
  viewer->SetFocus();
  App().ProcessMessages();
  Press(VK_RETURN);
  ASSERT_EQ(jumps.size(), 1u);
  EXPECT_GE(jumps[0], 10);
}

TEST_F(TabNavigationTest, ClickFocusDoesNotFocusALinkUntilTab) {
  FillLinks();
  viewer->MouseDown(mbLeft, 0, 5, 5);
  viewer->MouseUp(mbLeft, 0, 5, 5);
  App().ProcessMessages();
  EXPECT_EQ(Focused(), viewer);
  EXPECT_EQ(viewer->RVData().FocusedItemNo, -1);
  Press(VK_TAB);
  EXPECT_EQ(viewer->RVData().FocusedItemNo, 1);
}

TEST_F(TabNavigationTest, CtrlTabModeIgnoresPlainTab) {
  FillLinks();
  viewer->SetTabNavigation(rvtnCtrlTab);
  viewer->MouseDown(mbLeft, 0, 5, 5);
  viewer->MouseUp(mbLeft, 0, 5, 5);
  App().ProcessMessages();
  Press(VK_TAB);
  EXPECT_EQ(viewer->RVData().FocusedItemNo, -1);
  Press(VK_TAB, ssCtrl);
  EXPECT_EQ(viewer->RVData().FocusedItemNo, 1);
  Press(VK_TAB, ssCtrl);
  Press(VK_TAB, ssCtrl | ssShift);
  EXPECT_EQ(viewer->RVData().FocusedItemNo, 1);
}

TEST_F(TabNavigationTest, FocusComingFromInsideAComboBoxInTheDocumentGoesOnAfterIt) {
  viewer->AddTextLineWithTag(u"link one", 1, 0, 0);
  auto combo = std::make_unique<TComboBox>();
  TEdit part;  // a window of the combo box's own, which had the focus
  part.SetParent(combo.get());
  viewer->AddItem("combo", TRVControlItemInfo::CreateEx(&viewer->RVData(), std::move(combo), 0));
  viewer->AddTextLineWithTag(u"link two", 1, 0, 0);
  viewer->Format();
  viewer->Perform(WM_SETFOCUS, reinterpret_cast<WPARAM>(&part));
  EXPECT_EQ(viewer->RVData().FocusRectItemNo, 2) << "the link after the combo box";
  part.SetParent(nullptr);
}

TEST_F(TabNavigationTest, DialogCodeAsksForTabsOnlyWithNavigation) {
  EXPECT_EQ(viewer->Perform(WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTTAB);
  viewer->SetTabNavigation(rvtnNone);
  EXPECT_EQ(viewer->Perform(WM_GETDLGCODE), DLGC_WANTARROWS);
}

}  // namespace
