// Caret movement over the caret line: characters, words, line ends, lines and pages.
#include <gtest/gtest.h>

#include <string>

#include "richtext/core/RVUni.h"
#include "richtext/editor/CaretTestSupport.h"

namespace {

using editortest::Pos;

/// The movement routines place the caret through ChangeCaret; these tests follow only the
/// position, so the caret is not shown.
class CaretMovementTest : public editortest::TCaretTest {
 protected:
  void Format() {
    TCaretTest::Format();
    f.Data().StateFlags |= rvstNoCaretChange;
  }
};

TEST_F(CaretMovementTest, CtrlLeftGoesToWordStarts) {
  f.Data().AddTextItem("hello world", 0, 0);
  Format();
  PutCaretAtItem(0, 10);  // after "wor"
  EXPECT_FALSE(f.Data().OnLeftPress(false, true));
  EXPECT_EQ(Caret(), (Pos{0, 7})) << "before w";
  EXPECT_FALSE(f.Data().OnLeftPress(false, true));
  EXPECT_EQ(Caret(), (Pos{0, 1})) << "before h";
}

TEST_F(CaretMovementTest, CtrlRightGoesToTheNextWordStart) {
  f.Data().AddTextItem("hello  world", 0, 0);
  Format();
  for (int from : {1, 3, 6, 7}) {
    PutCaretAtItem(0, from);
    f.Data().OnRightPress(false, true);
    EXPECT_EQ(Caret(), (Pos{0, 8})) << "from " << from;
  }
  f.Data().OnRightPress(false, true);
  EXPECT_EQ(Caret(), (Pos{0, 13})) << "the last word ends at the item's end";
}

TEST_F(CaretMovementTest, WordMovesFollowAWrappedItemAcrossLines) {
  f.Editor.SetBounds(0, 0, 120, 300);
  f.Data().AddTextItem("aaaa bbbb cccc dddd eeee ffff gggg", 0, 0);
  Format();
  ASSERT_GE(f.Data().DrawItems().Count(), 2);
  const int secondLineStart = Piece(1).Offs;
  PutCaretAtItem(0, secondLineStart + 2);
  for (int i = 0; i < 2 && Caret().Offset > secondLineStart; ++i) f.Data().OnLeftPress(false, true);
  f.Data().OnLeftPress(false, true);
  EXPECT_LT(Caret().Offset, secondLineStart) << "the word move went on into the line above";
  EXPECT_EQ(f.Data().CaretDrawItemNo, 0);

  PutCaretAtItem(0, secondLineStart - 3);
  f.Data().OnRightPress(false, true);
  EXPECT_EQ(Caret().Offset, secondLineStart);
  EXPECT_EQ(f.Data().CaretDrawItemNo, 1) << "the next word starts the next line";
}

TEST_F(CaretMovementTest, TheDocumentEdgesStopTheCaret) {
  f.Data().AddTextItem("ab", 0, 0);
  f.Data().AddTextItem("cd", 0, 0);
  Format();
  PutCaretAtItem(0, 1);
  EXPECT_TRUE(f.Data().OnLeftPress(false, false));
  EXPECT_TRUE(f.Data().OnLeftPress(true, true));
  EXPECT_EQ(Caret(), (Pos{0, 1}));
  PutCaretAtItem(1, 3);
  EXPECT_TRUE(f.Data().OnRightPress(false, false));
  EXPECT_TRUE(f.Data().OnRightPress(false, true));
  EXPECT_EQ(Caret(), (Pos{1, 3}));
}

TEST_F(CaretMovementTest, LeftAndRightCrossLinesAndItems) {
  f.Data().AddTextItem("ab", 0, 0);
  f.Data().AddTextItem("cd", 0, -1);
  f.Data().AddTextItem("ef", 0, 0);
  Format();
  PutCaretAtItem(2, 1);
  EXPECT_FALSE(f.Data().OnLeftPress(false, false));
  EXPECT_EQ(Caret(), (Pos{1, 3})) << "the end of the line above";
  EXPECT_FALSE(f.Data().OnLeftPress(false, false));
  EXPECT_FALSE(f.Data().OnLeftPress(false, false));
  EXPECT_EQ(Caret(), (Pos{0, 3})) << "two items meet in one position";
  EXPECT_FALSE(f.Data().OnRightPress(false, false));
  EXPECT_FALSE(f.Data().OnRightPress(false, false));
  EXPECT_FALSE(f.Data().OnRightPress(false, false));
  EXPECT_EQ(Caret(), (Pos{2, 1})) << "the start of the next line";
}

TEST_F(CaretMovementTest, ASurrogatePairIsOneStep) {
  const int uni = AddUnicodeStyle();
  f.Data().AddTextItem(RVWideStringToBytes(u"a\U0001F600b"), uni, 0);
  Format();
  PutCaretAtItem(0, 2);
  f.Data().OnRightPress(false, false);
  EXPECT_EQ(Caret(), (Pos{0, 4}));
  f.Data().OnLeftPress(true, false);
  EXPECT_EQ(Caret(), (Pos{0, 2}));
}

TEST_F(CaretMovementTest, HomeAndEndStayOnTheLineWithoutCtrl) {
  f.Data().AddTextItem("first", 0, 0);
  f.Data().AddTextItem("second", 0, 0);
  f.Data().AddTextItem("more", 0, -1);
  f.Data().AddTextItem("last", 0, 0);
  Format();
  PutCaretAtItem(1, 3);
  f.Data().OnEndPress(false);
  EXPECT_EQ(Caret(), (Pos{2, 5}));
  f.Data().OnHomePress(false);
  EXPECT_EQ(Caret(), (Pos{1, 1}));
  f.Data().OnEndPress(true);
  EXPECT_EQ(Caret(), (Pos{3, 5}));
  f.Data().OnHomePress(true);
  EXPECT_EQ(Caret(), (Pos{0, 1}));
}

TEST_F(CaretMovementTest, UpAndDownKeepTheColumn) {
  f.Data().AddTextItem("abcdef", 0, 0);
  f.Data().AddTextItem("abcdef", 0, 0);
  f.Data().AddTextItem("ab", 0, 0);
  Format();
  PutCaretAtItem(1, 4);
  EXPECT_FALSE(f.Data().OnUpPress(false, false));
  EXPECT_EQ(Caret(), (Pos{0, 4}));
  EXPECT_FALSE(f.Data().OnDownPress(false, false));
  EXPECT_FALSE(f.Data().OnDownPress(false, false));
  EXPECT_EQ(Caret(), (Pos{2, 3})) << "a shorter line ends the column";
}

TEST_F(CaretMovementTest, UpOnTheFirstLineAndDownOnTheLastLeaveTheCaret) {
  f.Data().AddTextItem("one", 0, 0);
  f.Data().AddTextItem("two", 0, 0);
  Format();
  PutCaretAtItem(0, 3);
  EXPECT_TRUE(f.Data().OnUpPress(false, false));
  EXPECT_EQ(Caret(), (Pos{0, 3}));
  EXPECT_TRUE(f.Data().OnUpPress(true, false));
  EXPECT_EQ(Caret(), (Pos{0, 1})) << "with Shift the caret goes to the line's start";
  PutCaretAtItem(1, 2);
  EXPECT_TRUE(f.Data().OnDownPress(false, false));
  EXPECT_EQ(Caret(), (Pos{1, 2}));
  EXPECT_TRUE(f.Data().OnDownPress(true, false));
  EXPECT_EQ(Caret(), (Pos{1, 4})) << "with Shift the caret goes to the line's end";
}

TEST_F(CaretMovementTest, PageDownNearTheEndGoesToTheDocumentEnd) {
  for (int i = 0; i < 5; ++i) f.Data().AddTextItem("line " + std::to_string(i), 0, 0);
  Format();
  PutCaretAtItem(3, 2);
  f.Data().OnPgDownPress();
  EXPECT_EQ(Caret(), (Pos{4, 7}));
  f.Data().OnPgUpPress();
  EXPECT_EQ(Caret(), (Pos{0, 1})) << "a view at the top pages up to the document start";
}

TEST_F(CaretMovementTest, PagesMoveByTheViewInALongDocument) {
  f.Editor.SetBounds(0, 0, 400, 100);
  for (int i = 0; i < 60; ++i) f.Data().AddTextItem("line " + std::to_string(i), 0, 0);
  Format();
  PutCaretAtItem(0, 1);
  f.Data().OnPgDownPress();
  const int afterDown = Caret().No;
  EXPECT_GT(afterDown, 0);
  EXPECT_LT(afterDown, 59);
  const int32_t twoThirds = f.Data().GetHeight() * 2 / 3;
  EXPECT_LE(Piece(f.Data().CaretDrawItemNo).Top, twoThirds) << "two thirds of the view down";
  EXPECT_GT(Piece(f.Data().CaretDrawItemNo + 1).Top, twoThirds);
  // Without a window the view stays at the top: the next page is half a view further.
  f.Data().OnPgDownPress();
  EXPECT_GT(Caret().No, afterDown);
  EXPECT_LE(Piece(f.Data().CaretDrawItemNo).Top, twoThirds + f.Data().GetHeight() / 2);
}

}  // namespace
