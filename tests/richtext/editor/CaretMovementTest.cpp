// Caret movement over the caret line: characters, words, line ends, lines and pages.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "richtext/core/RVUni.h"
#include "richtext/editor/CaretTestSupport.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/TableHooksTestSupport.h"

namespace {

using editortest::Pos;

/// Keys go through the editor control; the document edges are checked on the document
/// data's answers.
class CaretMovementTest : public editortest::TCaretTest {
 protected:
  void Format() { f.Editor.Format(); }
  void Press(uint16_t Key, TShiftState Shift = 0) { f.Editor.KeyDown(Key, Shift); }
};

TEST_F(CaretMovementTest, CtrlLeftGoesToWordStarts) {
  f.Data().AddTextItem("hello world", 0, 0);
  Format();
  PutCaretAtItem(0, 10);  // after "wor"
  Press(VK_LEFT, ssCtrl);
  EXPECT_EQ(Caret(), (Pos{0, 7})) << "before w";
  Press(VK_LEFT, ssCtrl);
  EXPECT_EQ(Caret(), (Pos{0, 1})) << "before h";
}

TEST_F(CaretMovementTest, CtrlRightGoesToTheNextWordStart) {
  f.Data().AddTextItem("hello  world", 0, 0);
  Format();
  for (int from : {1, 3, 6, 7}) {
    PutCaretAtItem(0, from);
    Press(VK_RIGHT, ssCtrl);
    EXPECT_EQ(Caret(), (Pos{0, 8})) << "from " << from;
  }
  Press(VK_RIGHT, ssCtrl);
  EXPECT_EQ(Caret(), (Pos{0, 13})) << "the last word ends at the item's end";
}

TEST_F(CaretMovementTest, WordMovesFollowAWrappedItemAcrossLines) {
  f.Editor.SetBounds(0, 0, 120, 300);
  f.Data().AddTextItem("aaaa bbbb cccc dddd eeee ffff gggg", 0, 0);
  Format();
  ASSERT_GE(f.Data().DrawItems().Count(), 2);
  const int secondLineStart = Piece(1).Offs;
  PutCaretAtItem(0, secondLineStart + 2);
  for (int i = 0; i < 2 && Caret().Offset > secondLineStart; ++i) Press(VK_LEFT, ssCtrl);
  Press(VK_LEFT, ssCtrl);
  EXPECT_LT(Caret().Offset, secondLineStart) << "the word move went on into the line above";
  EXPECT_EQ(f.Data().CaretDrawItemNo, 0);

  PutCaretAtItem(0, secondLineStart - 3);
  Press(VK_RIGHT, ssCtrl);
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
  Press(VK_LEFT);
  EXPECT_EQ(Caret(), (Pos{1, 3})) << "the end of the line above";
  Press(VK_LEFT);
  Press(VK_LEFT);
  EXPECT_EQ(Caret(), (Pos{0, 3})) << "two items meet in one position";
  Press(VK_RIGHT);
  Press(VK_RIGHT);
  Press(VK_RIGHT);
  EXPECT_EQ(Caret(), (Pos{2, 1})) << "the start of the next line";
}

TEST_F(CaretMovementTest, ASurrogatePairIsOneStep) {
  const int uni = AddUnicodeStyle();
  f.Data().AddTextItem(RVWideStringToBytes(u"a\U0001F600b"), uni, 0);
  Format();
  PutCaretAtItem(0, 2);
  Press(VK_RIGHT);
  EXPECT_EQ(Caret(), (Pos{0, 4}));
  Press(VK_LEFT, ssShift);
  EXPECT_EQ(Caret(), (Pos{0, 2}));
}

TEST_F(CaretMovementTest, HomeAndEndStayOnTheLineWithoutCtrl) {
  f.Data().AddTextItem("first", 0, 0);
  f.Data().AddTextItem("second", 0, 0);
  f.Data().AddTextItem("more", 0, -1);
  f.Data().AddTextItem("last", 0, 0);
  Format();
  PutCaretAtItem(1, 3);
  Press(VK_END);
  EXPECT_EQ(Caret(), (Pos{2, 5}));
  Press(VK_HOME);
  EXPECT_EQ(Caret(), (Pos{1, 1}));
  Press(VK_END, ssCtrl);
  EXPECT_EQ(Caret(), (Pos{3, 5}));
  Press(VK_HOME, ssCtrl);
  EXPECT_EQ(Caret(), (Pos{0, 1}));
}

TEST_F(CaretMovementTest, UpAndDownKeepTheColumn) {
  f.Data().AddTextItem("abcdef", 0, 0);
  f.Data().AddTextItem("abcdef", 0, 0);
  f.Data().AddTextItem("ab", 0, 0);
  Format();
  PutCaretAtItem(1, 4);
  Press(VK_UP);
  EXPECT_EQ(Caret(), (Pos{0, 4}));
  Press(VK_DOWN);
  Press(VK_DOWN);
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
  Press(VK_NEXT);
  EXPECT_EQ(Caret(), (Pos{4, 7}));
  Press(VK_PRIOR);
  EXPECT_EQ(Caret(), (Pos{0, 1})) << "a view at the top pages up to the document start";
}

TEST_F(CaretMovementTest, PagesMoveByTheViewInALongDocument) {
  f.Editor.SetBounds(0, 0, 400, 100);
  for (int i = 0; i < 60; ++i) f.Data().AddTextItem("line " + std::to_string(i), 0, 0);
  Format();
  PutCaretAtItem(0, 1);
  Press(VK_NEXT);
  const int afterDown = Caret().No;
  EXPECT_GT(afterDown, 0);
  EXPECT_LT(afterDown, 59);
  const int32_t twoThirds = f.Data().GetHeight() * 2 / 3;
  EXPECT_LE(Piece(f.Data().CaretDrawItemNo).Top, twoThirds) << "two thirds of the view down";
  EXPECT_GT(Piece(f.Data().CaretDrawItemNo + 1).Top, twoThirds);
  // Without a window the view stays at the top: the next page is half a view further.
  Press(VK_NEXT);
  EXPECT_GT(Caret().No, afterDown);
  EXPECT_LE(Piece(f.Data().CaretDrawItemNo).Top, twoThirds + f.Data().GetHeight() / 2);
}

/// Table hooks that log where a table is asked to open its cell editor, and open none: the
/// caret then moves on as it would past any other item.
class TEnterLog : public tabletest::TQuietEditorHooks {
 public:
  void OpenCellEditor(TRVTableItemInfo&, int, int Row, int Col, bool, bool CaretAtStart, bool CaretAtEnd,
                      uint32_t, bool) override {
    log.push_back(std::to_string(Row) + "," + std::to_string(Col) + (CaretAtStart ? " start" : "") +
                  (CaretAtEnd ? " end" : ""));
  }
  std::vector<std::string> log;
};

TEST_F(CaretMovementTest, ArrowKeysOfferTheCaretToATable) {
  TEnterLog hooks;
  TRVTableEditorHooks* installed = RVTableEditorHooks();
  RVSetTableEditorHooks(&hooks);
  f.Data().AddTextItem("before", 0, 0);
  f.Data().AddItem("", TRVTableItemInfo::CreateWithSize(2, 2, &f.Data()));
  f.Data().AddTextItem("after", 0, 0);
  Format();
  ASSERT_EQ(f.Data().DrawItems().Count(), 3);
  const TRVDrawLineInfo& table = Piece(1);

  PutCaretAtItem(0, 7);
  Press(VK_RIGHT);
  EXPECT_EQ(Caret(), (Pos{1, 0})) << "the line end goes to the table's line";
  Press(VK_RIGHT);
  Press(VK_LEFT);
  EXPECT_EQ(Caret(), (Pos{1, 0}));
  Press(VK_RIGHT, ssShift);
  EXPECT_EQ(hooks.log, (std::vector<std::string>{"0,0 start", "1,1 end"})) << "Shift selects past the table";
  EXPECT_EQ(Caret(), (Pos{1, 1}));

  hooks.log.clear();
  PutCaretAtItem(0, 1);
  f.Data().CharPositions->Items(0)->X = table.Left + table.Width * 3 / 4;  // over the last column
  Press(VK_DOWN);
  PutCaretAtItem(2, 1);
  f.Data().CharPositions->Items(0)->X = table.Left + table.Width / 4;
  Press(VK_UP);
  EXPECT_EQ(hooks.log, (std::vector<std::string>{"0,1 start", "1,0 end"}));
  RVSetTableEditorHooks(installed);
}

}  // namespace
