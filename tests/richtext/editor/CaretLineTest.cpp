// The caret positions of the caret's screen line, built from the formatted document and
// measured on the editor's canvas.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ShapedTextOracle.h"
#include "richtext/core/RVListInfo.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVUni.h"
#include "richtext/editor/CaretTestSupport.h"

namespace {

using editortest::Pos;

using CaretLineTest = editortest::TCaretTest;

TEST_F(CaretLineTest, TwoDrawItemsOfALineShareTheirBoundary) {
  f.Data().AddTextItem("ab", 0, 0);
  f.Data().AddTextItem("cd", 0, -1);
  Format();
  ASSERT_EQ(f.Data().DrawItems().Count(), 2);
  PutCaret(0, 1);
  EXPECT_EQ(Positions(), (std::vector<Pos>{{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}}));
  EXPECT_EQ(f.Data().CaretOffs, 0);
  EXPECT_EQ(At(0).X, Piece(0).Left);
  // Extents of a whole line and of a lone character may round apart by a pixel.
  EXPECT_NEAR(At(1).X, Piece(0).Left + Width(u"a"), 1);
  EXPECT_EQ(At(2).X, Piece(0).Left + Piece(0).Width);
  EXPECT_NEAR(At(3).X, Piece(1).Left + Width(u"c"), 1);
  EXPECT_EQ(At(4).X, Piece(1).Left + Piece(1).Width);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(At(i).MoveRightTo, 1);
}

TEST_F(CaretLineTest, WantedOffsetsSelectTheirEntries) {
  f.Data().AddTextItem("hello", 0, 0);
  f.Data().AddTextItem("world", 0, -1);
  Format();
  struct Case {
    int DItemNo, Offset, Entry;
  };
  // The start of a draw item that does not start its line is the end of the one before.
  for (const Case& c : {Case{0, 1, 0}, Case{0, -5, 0}, Case{0, 3, 2}, Case{0, 6, 5}, Case{0, 99, 5},
                        Case{1, 1, 5}, Case{1, 2, 6}, Case{1, 6, 10}}) {
    PutCaret(c.DItemNo, c.Offset);
    EXPECT_EQ(f.Data().CaretOffs, c.Entry) << c.DItemNo << "/" << c.Offset;
  }
  EXPECT_EQ(f.Data().CharPositions->Count(), 11);
}

TEST_F(CaretLineTest, OnlyTheCaretLineIsListed) {
  f.Data().AddTextItem("first", 0, 0);
  f.Data().AddTextItem("second", 0, 0);
  Format();
  ASSERT_EQ(f.Data().DrawItems().Count(), 2);
  PutCaret(1, 4);
  EXPECT_EQ(Positions().front(), (Pos{1, 1}));
  EXPECT_EQ(Positions().back(), (Pos{1, 7}));
  EXPECT_EQ(f.Data().CharPositions->Count(), 7);
  EXPECT_EQ(f.Data().CaretOffs, 3);
}

TEST_F(CaretLineTest, AListMarkerTakesNoCaret) {
  f.Sheet.ListStyles().AddStyle()->Levels().AddLevel();
  f.Data().AddItem("", TRVMarkerItemInfo::CreateForList(&f.Data(), 0, 0, 1, false));
  f.Data().AddTextItem("item", 0, -1);
  Format();
  ASSERT_EQ(f.Data().DrawItems().Count(), 2);
  PutCaret(0, 0);
  EXPECT_EQ(f.Data().CaretDrawItemNo, 1) << "the caret moved off the marker";
  EXPECT_EQ(Positions(), (std::vector<Pos>{{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}}));
  EXPECT_EQ(f.Data().CaretOffs, 0);
}

TEST_F(CaretLineTest, AnEmptyTextItemHasOnlyItsEndPosition) {
  f.Data().AddTextItem("above", 0, 0);
  f.Data().AddTextItem("", 0, 0);
  Format();
  PutCaret(1, 1);
  EXPECT_EQ(Positions(), (std::vector<Pos>{{1, 1}}));
  EXPECT_EQ(f.Data().CaretOffs, 0);
  EXPECT_EQ(At(0).X, Piece(1).Left + Piece(1).Width);
}

TEST_F(CaretLineTest, PicturesHaveABeforeAndAnAfterPosition) {
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(30, 20);
  f.Data().AddPictureItem("", std::move(picture), 0, 0, TRVTag());
  f.Data().AddTextItem("x", 0, -1);
  Format();
  PutCaret(0, 1);
  EXPECT_EQ(Positions(), (std::vector<Pos>{{0, 0}, {0, 1}, {1, 2}}));
  EXPECT_EQ(f.Data().CaretOffs, 1);
  EXPECT_EQ(At(0).X, Piece(0).Left);
  EXPECT_EQ(At(1).X, Piece(0).Left + Piece(0).Width);
  EXPECT_EQ(At(1).MoveRightTo, 2) << "the caret stands one pixel right of the picture";
  PutCaret(0, 0);
  EXPECT_EQ(f.Data().CaretOffs, 0);
}

TEST_F(CaretLineTest, ASurrogatePairIsCrossedInOneStep) {
  const int uni = AddUnicodeStyle();
  f.Data().AddTextItem(RVWideStringToBytes(u"a\U0001F600b"), uni, 0);
  Format();
  PutCaret(0, 1);
  EXPECT_EQ(Positions(), (std::vector<Pos>{{0, 1}, {0, 2}, {0, 4}, {0, 5}}));
  PutCaret(0, 3);
  EXPECT_EQ(f.Data().CaretOffs, 1) << "an offset inside the pair selects the position before it";
  PutCaret(0, 4);
  EXPECT_EQ(f.Data().CaretOffs, 2);
}

TEST_F(CaretLineTest, AWrappedItemListsTheCaretLineOnly) {
  f.Editor.SetBounds(0, 0, 120, 300);
  f.Data().AddTextItem("aaaa bbbb cccc dddd eeee ffff gggg", 0, 0);
  Format();
  ASSERT_GE(f.Data().DrawItems().Count(), 2);
  const TRVDrawLineInfo& second = Piece(1);
  PutCaret(1, 2);
  ASSERT_EQ(f.Data().CharPositions->Count(), second.Length + 1);
  EXPECT_EQ(Positions().front(), (Pos{1, 1}));
  EXPECT_EQ(At(0).X, second.Left);
  EXPECT_EQ(f.Data().CaretOffs, 1);
}

TEST_F(CaretLineTest, NoCaretDrawItemMeansNoPositions) {
  f.Data().AddTextItem("text", 0, 0);
  Format();
  PutCaret(0, 2);
  ASSERT_GT(f.Data().CharPositions->Count(), 0);
  PutCaret(-1, 1);
  EXPECT_EQ(f.Data().CharPositions->Count(), 0);
}

TEST_F(CaretLineTest, PreparingAnEmptyDocumentAddsAnItemInTheCurrentStyles) {
  f.Sheet.ParaStyles().AddStyle();
  const int uni = AddUnicodeStyle();
  f.Data().CurTextStyleNo = uni;
  f.Data().CurParaStyleNo = 1;
  f.Data().StateFlags |= rvstNoCaretChange;
  f.Data().PrepareEmptyDocument();
  f.Data().StateFlags &= ~rvstNoCaretChange;
  ASSERT_EQ(f.Data().GetItemCount(), 1);
  EXPECT_EQ(f.Data().GetItemText(0), "");
  EXPECT_EQ(f.Data().GetItem(0)->StyleNo, uni);
  EXPECT_EQ(f.Data().GetItem(0)->ParaNo, 1);
  EXPECT_TRUE(f.Data().GetItem(0)->IsTwoByteText());
  EXPECT_EQ(f.Data().CaretDrawItemNo, 0);
  EXPECT_EQ(Positions(), (std::vector<Pos>{{0, 1}}));

  f.Data().PrepareEmptyDocument();
  EXPECT_EQ(f.Data().GetItemCount(), 1) << "a document with items is left alone";
}

TEST_F(CaretLineTest, PreparingADocumentWithStylesOfAnotherSheetFallsBackToStyleZero) {
  f.Data().CurTextStyleNo = 40;
  f.Data().CurParaStyleNo = 40;
  f.Data().StateFlags |= rvstNoCaretChange;
  f.Data().PrepareEmptyDocument();
  ASSERT_EQ(f.Data().GetItemCount(), 1);
  EXPECT_EQ(f.Data().GetItem(0)->StyleNo, 0);
  EXPECT_EQ(f.Data().GetItem(0)->ParaNo, 0);
}

TEST_F(CaretLineTest, RightToLeftTextRunsItsPositionsLeftwards) {
  TParaInfo& rtl = *f.Sheet.ParaStyles().AddStyle();
  rtl.BiDiMode = rvbdRightToLeft;
  const int para = f.Sheet.ParaStyles().Count() - 1;
  const int uni = AddUnicodeStyle();
  f.Sheet.TextStyles()[uni].FontName = "DejaVu Sans";
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(20, 10);
  f.Data().AddPictureItem("", std::move(picture), para, 0, TRVTag());
  f.Data().AddWideTextItem(u"\u05D0\u05D1\u05D2\u05D3", uni, -1, TRVTag());
  Format();
  ASSERT_EQ(f.Data().DrawItems().Count(), 2);
  PutCaret(1, 1);
  ASSERT_EQ(Positions(), (std::vector<Pos>{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}}));
  // Before a picture of a right-to-left paragraph is its right edge, after it its left.
  const TRVDrawLineInfo& image = Piece(0);
  EXPECT_EQ(At(0).X, image.Left + image.Width);
  EXPECT_EQ(At(0).MoveRightTo, 2);
  EXPECT_EQ(At(1).X, image.Left);
  EXPECT_EQ(At(1).MoveRightTo, 1);
  // The word's first letter is its rightmost one.
  const TRVDrawLineInfo& word = Piece(1);
  for (int i = 3; i < 6; ++i) EXPECT_LT(At(i).X, At(i - 1).X);
  EXPECT_GT(At(2).X, word.Left);
  EXPECT_LT(At(2).X, word.Left + word.Width);
  EXPECT_NEAR(At(5).X, word.Left, 1);
}

TEST_F(CaretLineTest, JoinedArabicLettersTakeTheCaretPlacesOfTheirShapedGlyphs) {
  f.Sheet.ParaStyles().AddStyle()->BiDiMode = rvbdRightToLeft;
  const int uni = AddUnicodeStyle();
  f.Sheet.TextStyles()[uni].FontName = "DejaVu Sans";
  const std::u16string text = u"\u0633\u0644\u0627\u0645 \u0628\u0643";
  f.Data().AddWideTextItem(text, uni, f.Sheet.ParaStyles().Count() - 1, TRVTag());
  Format();
  PutCaret(0, 1);
  TCanvas& canvas = f.Editor.Canvas();
  f.Sheet.ApplyStyle(canvas, uni, rvbdRightToLeft);
  std::vector<int32_t> shaped, placed;
  for (const int32_t x : shapedtext::CaretXs(canvas, text, true))
    shaped.push_back(Piece(0).Left + Piece(0).SpaceBefore + x);
  for (int i = 0; i < f.Data().CharPositions->Count(); ++i)
    placed.push_back(At(i).Offset == i + 1 ? At(i).X : -1);
  EXPECT_EQ(placed, shaped);
}

}  // namespace
