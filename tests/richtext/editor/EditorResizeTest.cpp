// Resizing a picture in the editor with the mouse: a click selects it and shows the handles,
// dragging a handle and releasing resizes it as one undoable change, Escape cancels, and no
// handles appear with rvoNoImageResize or in a read-only editor.
#include <gtest/gtest.h>

#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/gui/Messaging.h"
#include "richtext/core/DLines.h"
#include "richtext/editor/EditorTestSupport.h"
#include "richtext/editor/RVItemResizer.h"

namespace {

using editortest::TEditorFixture;

class EditorResizeTest : public ::testing::Test, protected TEditorFixture {
 protected:
  void SetUp() override {
    Editor.SetBounds(0, 0, 300, 200);
    Editor.AddTextLineWithTag(u"ab", 0, 0, 0);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(40, 20);
    Data().AddPictureItem("pic", std::move(bitmap), 0, 0, TRVTag());
    Data().GetItem(1)->SetSameAsPrev(true);
    Editor.Format();
  }
  const TRVDrawLineInfo& Piece() { return *Data().DrawItems()[Data().GetFirstDrawItemOfItem(1)]; }
  void ClickPicture() {
    const TRVDrawLineInfo& p = Piece();
    const int32_t x = p.Left + p.Width / 2;
    const int32_t y = p.Top + p.Height / 2;
    Editor.MouseDown(mbLeft, 0, x, y);
    Editor.MouseUp(mbLeft, 0, x, y);
  }
  /// The client point of the bottom-right handle (3 pixels inside the corner).
  TPoint CornerHandle() {
    const TRVDrawLineInfo& p = Piece();
    return TPoint{p.Left + p.Width - 3, p.Top + p.Height - 3};
  }
  int32_t Prop(int Code) {
    int32_t value = 0;
    EXPECT_TRUE(Data().GetItemIntProperty(1, Code, value));
    return value;
  }
};

TEST_F(EditorResizeTest, ClickOnAPictureSelectsItAndShowsTheHandles) {
  EXPECT_EQ(Data().Resizer, nullptr);
  ClickPicture();
  ASSERT_NE(Data().Resizer, nullptr);
  EXPECT_EQ(Data().Resizer->ItemNo, 1);
  EXPECT_EQ(Data().Resizer->HandlePlace, rvhpInside);
  int s = 0, so = 0, e = 0, eo = 0;
  Data().GetItemSelectionBounds(s, so, e, eo, true);
  EXPECT_EQ(s, 1);
  EXPECT_EQ(so, 0);
  EXPECT_EQ(e, 1);
  EXPECT_EQ(eo, 1);
}

TEST_F(EditorResizeTest, DraggingACornerResizesThePictureAsOneUndoableChange) {
  ClickPicture();
  ASSERT_NE(Data().Resizer, nullptr);
  const int32_t width = Piece().Width;    // 40 + twice the spacing of 1
  const int32_t height = Piece().Height;  // 20 + 2
  const TPoint h = CornerHandle();
  Editor.MouseDown(mbLeft, 0, h.X, h.Y);
  EXPECT_TRUE(Data().Resizer->Dragging);
  Editor.MouseMove(0, h.X + 21, h.Y);
  Editor.MouseUp(mbLeft, 0, h.X + 21, h.Y);
  // The frame grows to 63 wide; the corner keeps the proportions of the picture proper
  // (40 x 20): 20 x 63 / 40 = 31.5, rounded to 32. The picture loses its spacing again.
  EXPECT_EQ(width + 21, 63);
  EXPECT_EQ(height, 22);
  EXPECT_EQ(Prop(rvipImageWidth), 61);
  EXPECT_EQ(Prop(rvipImageHeight), 30);
  EXPECT_TRUE(Editor.Modified);
  EXPECT_EQ(Editor.UndoAction(), rvutModifyItem);
  EXPECT_EQ(Piece().Width, 63) << "laid out at the new size";

  SendMessage(&Editor, WM_UNDO);
  EXPECT_EQ(Prop(rvipImageWidth), 0);
  EXPECT_EQ(Prop(rvipImageHeight), 0);
  EXPECT_EQ(Piece().Width, width);
  SendMessage(&Editor, EM_REDO);
  EXPECT_EQ(Prop(rvipImageWidth), 61);
}

TEST_F(EditorResizeTest, EscapeCancelsTheDrag) {
  ClickPicture();
  ASSERT_NE(Data().Resizer, nullptr);
  const TPoint h = CornerHandle();
  Editor.MouseDown(mbLeft, 0, h.X, h.Y);
  Editor.MouseMove(0, h.X + 30, h.Y + 30);
  uint16_t key = VK_ESCAPE;
  Editor.KeyDown(key, 0);
  ASSERT_NE(Data().Resizer, nullptr);
  EXPECT_FALSE(Data().Resizer->Dragging);
  Editor.MouseUp(mbLeft, 0, h.X + 30, h.Y + 30);
  EXPECT_EQ(Prop(rvipImageWidth), 0);
  EXPECT_FALSE(Editor.Modified);
  EXPECT_EQ(Editor.UndoAction(), rvutNone);
}

TEST_F(EditorResizeTest, RefusedChangeLeavesThePictureAsItWas) {
  ClickPicture();
  ASSERT_NE(Data().Resizer, nullptr);
  Editor.OnChanging = [](TCustomRVEdit*, bool& CanEdit) { CanEdit = false; };
  const TPoint h = CornerHandle();
  Editor.MouseDown(mbLeft, 0, h.X, h.Y);
  Editor.MouseMove(0, h.X + 21, h.Y);
  Editor.MouseUp(mbLeft, 0, h.X + 21, h.Y);
  EXPECT_EQ(Prop(rvipImageWidth), 0);
  EXPECT_FALSE(Data().XorDrawn()) << "the dotted frame is gone";
}

TEST_F(EditorResizeTest, NoHandlesWithTheOptionOrWhenReadOnly) {
  Editor.EditorOptions |= rvoNoImageResize;
  ClickPicture();
  EXPECT_EQ(Data().Resizer, nullptr);
  Editor.EditorOptions &= ~rvoNoImageResize;
  Editor.SetReadOnly(true);
  ClickPicture();
  EXPECT_EQ(Data().Resizer, nullptr);
}

}  // namespace
