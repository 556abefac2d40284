// The editor's caret follows the keyboard focus on a real window: taking the focus creates
// and shows the caret, losing it destroys the caret and ends the hyperlink mode of Ctrl.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/gui/Forms.h"
#include "platform/gui/XcbTestSupport.h"
#include "richtext/core/RVStyle.h"
#include "richtext/editor/EditorTestSupport.h"

namespace {

void LetEventsRun(TApplication& App) {
  for (int i = 0; i < 10; ++i) {
    App.ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

TEST(EditorFocusXcbTest, CaretComesAndGoesWithTheFocus) {
  ZUK_RUN_UNDER_XSERVER("EditorFocusXcbTest.*");
  TApplication& app = editortest::App();
  ASSERT_FALSE(TApplication::Headless());
  TRVStyle sheet;
  TForm form;
  form.SetBounds(0, 0, 320, 240);
  auto* edit = new TRVEdit(&form);
  edit->SetParent(&form);
  edit->SetBounds(10, 10, 200, 100);
  edit->SetStyle(&sheet);
  edit->EditorOptions |= rvoCtrlJumps;
  edit->AddTextLineWithTag(u"some text", 0, 0, 0);
  auto* other = new TRVEdit(&form);
  other->SetParent(&form);
  other->SetBounds(10, 120, 200, 100);
  other->SetStyle(&sheet);
  form.Show();
  edit->Format();
  LetEventsRun(app);

  edit->SetFocus();
  LetEventsRun(app);
  ASSERT_TRUE(edit->Focused());
  EXPECT_TRUE(edit->CaretVisible());
  EXPECT_GT(edit->EditRVData().CaretHeight, 0);

  uint16_t key = VK_CONTROL;
  edit->KeyDown(key, ssCtrl);
  EXPECT_TRUE(edit->EditRVData().GetReadOnlyMode());

  other->SetFocus();
  LetEventsRun(app);
  EXPECT_FALSE(edit->Focused());
  EXPECT_FALSE(edit->CaretVisible());
  EXPECT_EQ(edit->EditRVData().CaretHeight, 0);
  EXPECT_FALSE(edit->EditRVData().GetReadOnlyMode()) << "Ctrl cannot be held for a control without the focus";
}

}  // namespace
