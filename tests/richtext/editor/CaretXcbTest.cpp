// The editor's caret in a real window (a private X server through xvfb-run): the focused
// editor shows it where the caret line says, and it moves with the keys. The test re-runs
// itself under xvfb-run and skips when that is not installed.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/graphics/Bitmap.h"
#include "platform/gui/Forms.h"
#include "platform/gui/WindowGrab.h"
#include "platform/gui/XcbTestSupport.h"
#include "richtext/editor/EditorTestSupport.h"

namespace {

void LetPaint(TApplication& App) {
  for (int i = 0; i < 5; ++i) {
    App.ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

/// How many pixels of the column at X, over the caret's height from Top, are dark.
int DarkPixels(TBitmap& Grab, int32_t X, int32_t Top, int32_t Height) {
  int dark = 0;
  for (int32_t y = Top; y < Top + Height; ++y) {
    const TColor c = Grab.Canvas().Pixel(X, y);
    if ((c & 0xFF) < 64 && ((c >> 8) & 0xFF) < 64 && ((c >> 16) & 0xFF) < 64) ++dark;
  }
  return dark;
}

void ShowCaretAndMoveIt() {
  TApplication& app = editortest::App();
  ASSERT_FALSE(TApplication::Headless());
  TRVStyle sheet;
  sheet.Color = clWhite;
  TForm form;
  form.SetBounds(0, 0, 320, 200);
  auto* editor = new TRVEdit(&form);
  editor->SetParent(&form);
  editor->SetBounds(10, 10, 260, 140);
  editor->SetStyle(&sheet);
  form.Show();
  LetPaint(app);
  editor->Clear();
  editor->AddTextLineWithTag(u"  abc", 0, 0, 0);  // blank where the caret starts
  editor->Format();
  editor->SetFocus();
  LetPaint(app);
  ASSERT_TRUE(editor->Focused());
  uint16_t key = VK_END;
  editor->KeyDown(key, 0);
  LetPaint(app);

  TRVEditRVData& data = editor->EditRVData();
  const TRVDrawLineInfo& line = *data.DrawItems()[0];
  const int32_t border = editor->BorderWidth();
  const int32_t endX = border + line.Left + line.Width;
  const int32_t top = border + line.Top + 1;
  const int32_t height = line.Height - 2;
  TBitmap grab;
  ASSERT_TRUE(GrabControl(*editor, grab));
  EXPECT_EQ(DarkPixels(grab, endX, top, height), height) << "the caret stands after the text";
  EXPECT_EQ(DarkPixels(grab, endX + 3, top, height), 0);

  key = VK_HOME;
  editor->KeyDown(key, 0);
  LetPaint(app);
  ASSERT_TRUE(GrabControl(*editor, grab));
  EXPECT_EQ(DarkPixels(grab, endX, top, height), 0) << "the caret left the end of the line";
  EXPECT_EQ(DarkPixels(grab, border + line.Left, top, height), height);
}

TEST(CaretXcbTest, TheFocusedEditorShowsItsCaretWhereTheKeysPutIt) {
  ZUK_RUN_UNDER_XSERVER("CaretXcbTest.*");
  ShowCaretAndMoveIt();
}

}  // namespace
