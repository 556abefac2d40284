// Placing the system caret from the caret line: its rectangle, its life with the focus and
// read-only mode, the styles, hyperlink and item frame that follow it, and scrolling to it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/gui/Forms.h"
#include "richtext/core/RVError.h"
#include "richtext/editor/EditorTestSupport.h"
#include "richtext/table/RVTable.h"

namespace {

using editortest::App;

/// A focused editor on a shown form (the system caret exists only with the focus).
class CaretPlacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    form = std::make_unique<TForm>();
    form->SetBounds(0, 0, 420, 320);
    editor = new TRVEdit(form.get());
    editor->SetParent(form.get());
    editor->SetBounds(0, 0, 400, 300);
    editor->SetStyle(&sheet);
    form->Show();
    App().ProcessMessages();
    editor->Clear();  // showing formatted the empty document, which added an empty line
  }
  void TearDown() override {
    RVMaxCaretHeight = 1000;
    form.reset();
  }
  TRVEditRVData& Data() { return editor->EditRVData(); }
  void FormatAndFocus() {
    editor->Format();
    editor->SetFocus();
    App().ProcessMessages();
  }
  void Press(uint16_t Key, TShiftState Shift = 0) {
    editor->KeyDown(Key, Shift);
    App().ProcessMessages();
  }
  const TRVDrawLineInfo& CaretPiece() { return *Data().DrawItems()[Data().CaretDrawItemNo]; }
  const TRVCharPos& CaretEntry() { return *Data().CharPositions->Items(Data().CaretOffs); }
  /// Where the caret's top-left corner belongs: on its draw item, in client coordinates.
  TPoint ExpectedCaretPos() {
    return TPoint{CaretEntry().X + CaretEntry().MoveRightTo - 1 - editor->HPos(),
                  CaretPiece().Top - Data().GetVOffs()};
  }

  TRVStyle sheet;
  std::unique_ptr<TForm> form;
  TRVEdit* editor = nullptr;
};

TEST_F(CaretPlacementTest, TheCaretCoversItsDrawItem) {
  Data().AddTextItem("hello", 0, 0);
  Data().AddTextItem("world", 0, 0);
  FormatAndFocus();
  ASSERT_TRUE(editor->Focused());
  EXPECT_TRUE(editor->CaretVisible());
  EXPECT_EQ(Data().CaretHeight, CaretPiece().Height + 2);
  EXPECT_EQ(editor->CaretPos(), ExpectedCaretPos());
  // Moving along the line and to the next line keeps the caret on its draw item.
  Press(VK_RIGHT);
  Press(VK_RIGHT);
  EXPECT_EQ(editor->CaretPos(), ExpectedCaretPos());
  Press(VK_DOWN);
  EXPECT_EQ(Data().CaretDrawItemNo, 1);
  EXPECT_EQ(editor->CaretPos(), ExpectedCaretPos());
  EXPECT_TRUE(editor->CaretVisible());
}

TEST_F(CaretPlacementTest, ACaretBesideAPictureStandsRightOfIt) {
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(40, 30);
  Data().AddPictureItem("", std::move(picture), 0, 0, TRVTag());
  FormatAndFocus();
  Press(VK_END);
  EXPECT_EQ(CaretEntry().Offset, 1);
  EXPECT_EQ(editor->CaretPos().X, CaretPiece().Left + CaretPiece().Width + 1);
}

TEST_F(CaretPlacementTest, APictureTheCaretStandsOnShowsItsFrame) {
  sheet.HoverColor = clRed;
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(40, 30);
  Data().AddPictureItem("", std::move(picture), 0, 0, TRVTag());
  Data().AddTextItem("after", 0, -1);
  FormatAndFocus();
  for (const uint16_t key : {VK_HOME, VK_END}) {
    Press(key);
    TBitmap shown;
    shown.SetSize(editor->ClientWidth(), editor->ClientHeight());
    Data().PaintBuffered(shown.Canvas());
    const TRVDrawLineInfo& image = *Data().DrawItems()[0];
    EXPECT_EQ(shown.Canvas().Pixel(image.Left - 1, image.Top + 9) == clRed, key == VK_HOME);
  }
}

TEST_F(CaretPlacementTest, TheCaretIsNeverTallerThanTheGreatestHeight) {
  RVMaxCaretHeight = 100;
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(40, 150);
  Data().AddPictureItem("", std::move(picture), 0, 0, TRVTag());
  FormatAndFocus();
  EXPECT_EQ(Data().CaretHeight, 100);
  // The caret stands at the bottom of the tall line.
  EXPECT_EQ(editor->CaretPos().Y + 100 - 2, CaretPiece().Top + CaretPiece().Height - Data().GetVOffs());
}

TEST_F(CaretPlacementTest, AHiddenReadOnlyCaretStillFollowsTheKeys) {
  Data().AddTextItem("read only", 0, 0);
  editor->EditorOptions |= rvoHideReadOnlyCaret;
  editor->SetReadOnly(true);
  FormatAndFocus();
  EXPECT_FALSE(editor->CaretVisible());
  Press(VK_RIGHT);
  Press(VK_RIGHT);
  EXPECT_EQ(CaretEntry().Offset, 3);
  EXPECT_FALSE(editor->CaretVisible());
  editor->SetReadOnly(false);
  EXPECT_TRUE(editor->CaretVisible()) << "editing again shows the caret";
}

TEST_F(CaretPlacementTest, TheCaretGoesAndComesBackWithTheFocus) {
  Data().AddTextItem("focus", 0, 0);
  FormatAndFocus();
  ASSERT_TRUE(editor->CaretVisible());
  Data().StateFlags |= rvstCaretSuppressed;
  Data().ChangeCaret(false, false, false, false);
  EXPECT_FALSE(editor->CaretVisible());
  EXPECT_EQ(Data().CaretHeight, 0);
  Data().StateFlags &= ~rvstCaretSuppressed;
  Data().ChangeCaret(false, false, false, false);
  EXPECT_TRUE(editor->CaretVisible()) << "a suppressed caret is shown again afterwards";
}

TEST_F(CaretPlacementTest, ASelectedPictureShowsItsResizerInsteadOfTheCaret) {
  Data().AddTextItem("text", 0, 0);
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(40, 30);
  Data().AddPictureItem("", std::move(picture), -1, 0, TRVTag());
  FormatAndFocus();
  Data().SetSelectionBounds(1, 0, 1, 1);
  Data().UpdateResizer();
  ASSERT_NE(Data().Resizer, nullptr);
  Data().ChangeCaret(false, false, false, false);
  EXPECT_FALSE(editor->CaretVisible());
  EXPECT_EQ(Data().CaretHeight, 0);
  Data().Deselect(nullptr, false);
  Data().UpdateResizer();
  Data().ChangeCaret(false, false, false, false);
  EXPECT_TRUE(editor->CaretVisible());
  EXPECT_EQ(editor->CaretPos(), ExpectedCaretPos());
}

TEST_F(CaretPlacementTest, StylesFollowTheCaretUnlessProtected) {
  while (sheet.TextStyles().Count() < 3) sheet.TextStyles().AddStyle();
  sheet.ParaStyles().AddStyle();
  sheet.TextStyles()[2].Protection = rvprDoNotAutoSwitch;
  Data().AddTextItem("one", 1, 0);
  Data().AddTextItem("two", 2, 1);
  Data().AddTextItem("zero", 0, 0);
  FormatAndFocus();
  int styleEvents = 0;
  editor->OnCurTextStyleChanged = [&](TObject*) { ++styleEvents; };
  Press(VK_RIGHT);
  EXPECT_EQ(editor->GetCurTextStyleNo(), 1);
  EXPECT_EQ(editor->GetCurParaStyleNo(), 0);
  Press(VK_DOWN);
  EXPECT_EQ(editor->GetCurTextStyleNo(), 1) << "text that may not switch styles keeps the last one";
  EXPECT_EQ(editor->GetCurParaStyleNo(), 1);
  Press(VK_DOWN);
  EXPECT_EQ(editor->GetCurTextStyleNo(), 0);
  EXPECT_EQ(Data().LastTextStyleNo, 0);
  EXPECT_EQ(styleEvents, 1);
}

TEST_F(CaretPlacementTest, AHyperlinkAtTheCaretIsShownHovered) {
  sheet.TextStyles()[1].Jump = true;
  Data().AddTextItem("plain", 0, 0);
  Data().AddTextItem("link", 1, 0);
  FormatAndFocus();
  EXPECT_EQ(Data().StateFlags & rvstJumpHighlighted, 0u);
  Press(VK_DOWN);
  EXPECT_NE(Data().StateFlags & rvstJumpHighlighted, 0u);
  EXPECT_EQ(Data().LastJumpMovedAbove, Data().GetItem(1)->JumpID);
  EXPECT_EQ(Data().LastDItemMovedAbove, 1);
  Press(VK_UP);
  EXPECT_EQ(Data().StateFlags & rvstJumpHighlighted, 0u);
  EXPECT_EQ(Data().LastJumpMovedAbove, -1);
}

TEST_F(CaretPlacementTest, AnInvalidCaretPositionIsReportedAndRepaired) {
  Data().AddTextItem("first", 0, 0);
  Data().AddTextItem("second", 0, 0);
  FormatAndFocus();
  Press(VK_DOWN);
  Data().CaretOffs = 50;
  try {
    Data().ChangeCaret(false, false, false, false);
    FAIL() << "no error";
  } catch (const ERVError& e) {
    EXPECT_STREQ(e.what(),
                 "Invalid caret position. Please contact the developer, if you can reproduce this problem");
  }
  EXPECT_EQ(Data().CaretDrawItemNo, 0);
  EXPECT_EQ(Data().CaretOffs, 0);
  EXPECT_NO_THROW(Data().ChangeCaret(false, false, false, false));
  EXPECT_EQ(editor->CaretPos(), ExpectedCaretPos());
}

TEST_F(CaretPlacementTest, MovingTheCaretScrollsItIntoView) {
  for (int i = 0; i < 80; ++i) Data().AddTextItem("line " + std::to_string(i), 0, 0);
  FormatAndFocus();
  int moves = 0;
  editor->OnCaretMove = [&](TObject*) { ++moves; };
  Press(VK_END, ssCtrl);
  EXPECT_GE(moves, 1);
  EXPECT_GT(Data().GetVOffs(), 0);
  const int32_t caretBottom = editor->CaretPos().Y + Data().CaretHeight;
  EXPECT_LE(caretBottom, editor->ClientHeight());
  EXPECT_GE(editor->CaretPos().Y, 0);
  EXPECT_EQ(editor->CaretPos(), ExpectedCaretPos());
  Press(VK_HOME, ssCtrl);
  EXPECT_EQ(Data().GetVOffs(), 0);
}

TEST_F(CaretPlacementTest, UpOnTheFirstLineScrollsToTheTop) {
  for (int i = 0; i < 80; ++i) Data().AddTextItem("line " + std::to_string(i), 0, 0);
  FormatAndFocus();
  editor->ScrollToPixel(200, true);
  ASSERT_GT(Data().GetVOffs(), 0);
  Press(VK_UP);
  EXPECT_EQ(Data().GetVOffs(), 0);
  EXPECT_EQ(Data().CaretDrawItemNo, 0) << "the caret stays";
  Press(VK_NEXT);
  EXPECT_GT(Data().GetVOffs(), 0) << "Page Down brings its line to the top";
  // The view scrolls in whole steps.
  EXPECT_LE(Data().GetVOffs(), CaretPiece().Top);
  EXPECT_LT(CaretPiece().Top - Data().GetVOffs(), editor->VSmallStep());
  Press(VK_NEXT);
  const int afterDown = Data().CaretDrawItemNo;
  Press(VK_PRIOR);
  EXPECT_LT(Data().CaretDrawItemNo, afterDown) << "Page Up goes back up";
  EXPECT_GT(Data().CaretDrawItemNo, 0);
}

TEST_F(CaretPlacementTest, ArrowsIntoATableHandTheCaretToItsCellEditor) {
  Data().AddTextItem("before", 0, 0);
  Data().AddItem("", TRVTableItemInfo::CreateWithSize(2, 2, &Data()));
  Data().AddTextItem("after", 0, 0);
  FormatAndFocus();
  Press(VK_END);
  Press(VK_RIGHT);
  ASSERT_EQ(Data().GetInplaceEditor(), nullptr) << "the caret stands before the table";
  Press(VK_RIGHT);
  ASSERT_NE(Data().GetInplaceEditor(), nullptr) << "the first cell is being edited";
  Data().ChangeCaret(false, false, false, false);
  EXPECT_EQ(Data().CaretHeight, 0) << "the cell editor shows the caret now";
  EXPECT_FALSE(editor->CaretVisible());
}

}  // namespace
