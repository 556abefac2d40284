// Converting the text styles of the selection through the editor's conversion handler:
// items cut at the selection's edges, text converted between code pages and UTF-16, tags
// cleared on request, alike neighbours joined, the selection kept in its direction, and undo.
#include <gtest/gtest.h>

#include <map>

#include "richtext/editor/EditingTestSupport.h"

namespace {

using editortest::TEditingTest;

class StyleConversionTest : public TEditingTest {
 protected:
  /// The handler answers Map[style] (the style itself when absent); it remembers the
  /// questions about the current style.
  void UseMap(std::map<int, int> Map) {
    f.Editor.OnStyleConversion = [this, Map](TCustomRVEdit*, int StyleNo, int UserData, bool AppliedToText,
                                             int& NewStyleNo) {
      EXPECT_EQ(UserData, 77);
      if (!AppliedToText) ++currentStyleQuestions;
      const auto it = Map.find(StyleNo);
      if (it != Map.end()) NewStyleNo = it->second;
    };
  }
  void Convert() { f.Editor.ApplyStyleConversion(77); }
  std::string Styles() {
    std::string out;
    for (int i = 0; i < f.Data().GetItemCount(); ++i)
      out += (i > 0 ? "," : "") + std::to_string(f.Data().GetItemStyleNo(i));
    return out;
  }
  void ExpectSelection(int StartNo, int StartOffs, int EndNo, int EndOffs) {
    int sn, so, en, eo;
    f.Data().GetItemSelectionBounds(sn, so, en, eo, false);
    EXPECT_EQ(std::vector<int>({sn, so, en, eo}), std::vector<int>({StartNo, StartOffs, EndNo, EndOffs}));
  }

  int currentStyleQuestions = 0;
};

TEST_F(StyleConversionTest, PartOfAWordBecomesAnItemOfItsOwnAndUndoJoinsItBack) {
  for (const int newStyle : {3, 1}) {  // style 1 is Unicode: only the cut part turns UTF-16
    SCOPED_TRACE(newStyle);
    UseMap({{0, newStyle}});
    f.Data().Clear();
    f.AddText("hello", 0, 0);
    Format();
    const std::string before = Dump();
    Select(0, 2, 0, 4);
    Convert();
    EXPECT_EQ(Texts(), newStyle == 1 ? std::string("h|e\0l\0|lo", 9) : "h|el|lo");
    EXPECT_EQ(Styles(), "0," + std::to_string(newStyle) + ",0");
    EXPECT_EQ(f.Data().GetItem(1)->IsTwoByteText(), newStyle == 1);
    EXPECT_FALSE(f.Data().GetItem(2)->IsTwoByteText());
    ExpectSelection(1, 1, 1, 3);
    EXPECT_EQ(Caret(), std::make_pair(1, 3));
    EXPECT_EQ(f.Editor.UndoAction(), rvutStyleNo);
    ExpectUndoRedo(before, Dump());
  }
}

TEST_F(StyleConversionTest, HeadAndTailOfItemsAndABackwardSelection) {
  UseMap({{0, 3}, {2, 4}});
  f.AddText("abc", 0, 0);
  f.AddText("def", 2, 0, rvioJoinsPrevious);
  f.AddText("ghi", 0, 0, rvioJoinsPrevious);
  Format();
  const std::string before = Dump();
  Select(2, 2, 0, 2);
  Convert();
  EXPECT_EQ(Texts(), "a|bc|def|g|hi");
  EXPECT_EQ(Styles(), "0,3,4,3,0");
  ExpectSelection(3, 2, 1, 1);
  ExpectUndoRedo(before, Dump());
}

TEST_F(StyleConversionTest, TextIsConvertedBetweenItsCodePageAndUtf16) {
  UseMap({{2, 1}, {1, 2}});
  f.Sheet.TextStyles().Items(2)->Charset = 238;  // Central European: 0xA3 is U+0141
  f.AddText("\xa3", 2, 0);
  Format();
  Select(0, 1, 0, 2);
  Convert();
  EXPECT_EQ(f.Data().GetItemText(0), std::string("\x41\x01", 2));
  EXPECT_TRUE(f.Data().GetItem(0)->IsTwoByteText());
  Convert();
  EXPECT_EQ(f.Data().GetItemText(0), "\xa3") << "and back";
  EXPECT_FALSE(f.Data().GetItem(0)->IsTwoByteText());
}

TEST_F(StyleConversionTest, TagsAreClearedOnlyWhenTheEditorAsks) {
  UseMap({{0, 3}});
  for (const bool clear : {true, false}) {
    SCOPED_TRACE(clear ? "clearing" : "keeping");
    f.Editor.EditorOptions = clear ? rvoClearTagOnStyleApp : 0;
    f.Data().Clear();
    f.AddText("abc", 0, 0)->Tag.Value = 7;
    Format();
    Select(0, 1, 0, 3);
    Convert();
    ASSERT_EQ(Texts(), "ab|c");
    EXPECT_EQ(f.Data().GetItemTag(0).Value, clear ? 0 : 7);
    EXPECT_EQ(f.Data().GetItemTag(1).Value, 7) << "the unselected rest keeps its tag";
  }
}

TEST_F(StyleConversionTest, NeighboursThatEndUpAlikeAreJoined) {
  UseMap({{0, 3}});
  f.AddText("ab", 3, 0);
  f.AddText("cd", 0, 0, rvioJoinsPrevious);
  f.AddText("ef", 3, 0, rvioJoinsPrevious);
  Format();
  const std::string before = Dump();
  Select(1, 1, 1, 3);
  Convert();
  EXPECT_EQ(Texts(), "abcdef");
  EXPECT_EQ(Styles(), "3");
  ExpectSelection(0, 3, 0, 5);
  ExpectUndoRedo(before, Dump());
}

TEST_F(StyleConversionTest, WithoutASelectionOnlyTheCurrentStyleChanges) {
  UseMap({{0, 3}});
  int styleEvents = 0;
  f.Editor.OnCurTextStyleChanged = [&](TObject*) { ++styleEvents; };
  f.AddText("abc", 0, 0);
  f.AddText("", 0, 1);
  Format();
  PutCaret(0, 2);
  const std::string before = Dump();
  Convert();
  EXPECT_EQ(Dump(), before);
  EXPECT_EQ(f.Data().CurTextStyleNo, 3);
  EXPECT_EQ(currentStyleQuestions, 1);
  EXPECT_GE(styleEvents, 1);
  EXPECT_EQ(f.Editor.UndoAction(), rvutNone);

  PutCaret(1, 1);
  Convert();
  EXPECT_EQ(f.Data().GetItemStyleNo(1), 3) << "an empty caret item is converted";
  EXPECT_EQ(f.Editor.UndoAction(), rvutStyleNo);
}

}  // namespace
