// Header columns: width limits, positions, the main column, hit testing, caption layout and
// shortened captions.
#include <gtest/gtest.h>

#include "TreeTestSupport.h"
#include "platform/core/CodePages.h"
#include "platform/core/ComponentStreaming.h"
#include "platform/core/Streams.h"
#include "platform/gui/GuiTestSupport.h"

namespace {

class HeaderTest : public ::testing::Test {
 protected:
  TNodeTreeColumn* AddColumn(int32_t width) {
    TNodeTreeColumn* column = tree.Header().Columns().Add();
    column->SetWidth(width);
    return column;
  }
  TNodeTree tree;
};

TEST_F(HeaderTest, WidthStaysWithinTheLimits) {
  TNodeTreeColumn* column = AddColumn(50);
  column->SetMinWidth(10);
  column->SetWidth(5);
  EXPECT_EQ(column->Width(), 10);
  EXPECT_EQ(column->LastWidth(), 50);
  column->SetMaxWidth(20000);
  EXPECT_EQ(column->MaxWidth(), 10000);
  column->SetMinWidth(-3);
  EXPECT_EQ(column->MinWidth(), 0);
  column->SetMaxWidth(30);
  column->SetMinWidth(40);
  EXPECT_EQ(column->MinWidth(), 30);
  column->SetWidth(100);
  EXPECT_EQ(column->Width(), 30);
  column->SetMargin(-1);
  EXPECT_EQ(column->Margin(), 4);
}

TEST_F(HeaderTest, MovingAColumnShiftsTheOthers) {
  TNodeTreeColumn* c0 = AddColumn(10);
  TNodeTreeColumn* c1 = AddColumn(20);
  TNodeTreeColumn* c2 = AddColumn(30);
  EXPECT_EQ(c2->Position(), 2);
  EXPECT_EQ(c2->Left(), 30);
  c0->SetPosition(2);
  EXPECT_EQ(c1->Position(), 0);
  EXPECT_EQ(c2->Position(), 1);
  EXPECT_EQ(c0->Position(), 2);
  EXPECT_EQ(c1->Left(), 0);
  EXPECT_EQ(c2->Left(), 20);
  EXPECT_EQ(c0->Left(), 50);
  c0->SetPosition(99);  // clamped to the last position
  EXPECT_EQ(c0->Position(), 2);
  EXPECT_EQ(tree.Header().Columns().TotalWidth(), 60);
}

TEST_F(HeaderTest, PositionsAreClampedWhenStoredEvenWhileLoading) {
  TNodeTreeColumn* c0 = AddColumn(10);
  TNodeTreeColumn* c1 = AddColumn(20);
  c1->SetPosition(-4);
  EXPECT_EQ(c1->Position(), 0);
  EXPECT_EQ(c0->Position(), 1);
  tree.IncludeState(tsLoading);
  c0->SetPosition(1000);
  EXPECT_EQ(c0->Position(), 1);
  c0->SetPosition(-1);
  EXPECT_EQ(c0->Position(), 0);
  tree.ExcludeState(tsLoading);
}

TEST_F(HeaderTest, HiddenColumnsTakeNoSpace) {
  AddColumn(10);
  TNodeTreeColumn* middle = AddColumn(20);
  TNodeTreeColumn* last = AddColumn(30);
  middle->SetOptions(middle->Options() & ~coVisible);
  EXPECT_EQ(last->Left(), 10);
  TNodeTreeColumns& columns = tree.Header().Columns();
  EXPECT_EQ(columns.GetNextVisibleColumn(0), 2);
  EXPECT_EQ(columns.GetPreviousVisibleColumn(2), 0);
  EXPECT_EQ(columns.GetNextVisibleColumn(2), InvalidColumn);
  EXPECT_EQ(columns.TotalWidth(), 40);
}

TEST_F(HeaderTest, DeletingTheMainColumnPicksTheFirstOther) {
  AddColumn(10)->SetText(u"first");
  AddColumn(20)->SetText(u"second");
  AddColumn(30)->SetText(u"third");
  tree.Header().SetSortColumn(2);
  tree.Header().SetMainColumn(1);
  tree.Header().Columns().Delete(1);
  EXPECT_EQ(tree.Header().Columns().Column(tree.Header().MainColumn())->Text(), u"first");
  EXPECT_EQ(tree.Header().Columns().Column(tree.Header().SortColumn())->Text(), u"third");
  tree.Header().SetMainColumn(0);
  tree.Header().Columns().Delete(0);
  EXPECT_EQ(tree.Header().Columns().Column(tree.Header().MainColumn())->Text(), u"third");
  EXPECT_EQ(tree.Header().SortColumn(), 0);
  tree.Header().Columns().Delete(0);
  EXPECT_EQ(tree.Header().SortColumn(), -1);
  AddColumn(10);
  AddColumn(20);
  EXPECT_EQ(tree.Header().Columns().PositionToIndex(), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(tree.Header().Columns().Column(0)->Left(), 0);
  EXPECT_EQ(tree.Header().Columns().Column(1)->Left(), 10);
}

TEST_F(HeaderTest, ColumnFromPositionOutsideTheColumnsIsInvalid) {
  tree.SetBounds(0, 0, 300, 100);
  AddColumn(40);
  AddColumn(60);
  TNodeTreeColumns& columns = tree.Header().Columns();
  EXPECT_EQ(columns.ColumnFromPosition(Point(5, 5)), 0);
  EXPECT_EQ(columns.ColumnFromPosition(Point(45, 5)), 1);
  EXPECT_EQ(columns.ColumnFromPosition(Point(150, 5)), InvalidColumn);
  EXPECT_EQ(columns.ColumnFromPosition(Point(-1, 5)), InvalidColumn);
  EXPECT_EQ(columns.ColumnFromPosition(Point(5, 101)), InvalidColumn);
}

TEST_F(HeaderTest, DisplayNameIsTheNarrowCaptionElseTheIndex) {
  TNodeTreeColumn* plain = AddColumn(10);
  TNodeTreeColumn* wide = AddColumn(10);
  TNodeTreeColumn* empty = AddColumn(10);
  plain->SetText(u"Name");
  wide->SetText(u"\u0418\u043C\u044F");
  EXPECT_EQ(plain->GetDisplayName(), "Name");
  EXPECT_EQ(wide->GetDisplayName(), "Column 1");
  EXPECT_EQ(empty->GetDisplayName(), "");  // an empty caption is still the caption
}

TEST_F(HeaderTest, AssignCopiesEveryPropertyAndEqualsComparesThem) {
  TNodeTreeColumn* a = AddColumn(70);
  TNodeTree other;
  TNodeTreeColumn* b = other.Header().Columns().Add();
  a->SetText(u"caption");
  a->SetAlignment(taCenter);
  a->SetSpacing(7);
  a->SetTag(9);
  EXPECT_FALSE(b->Equals(*a));
  b->Assign(a);
  EXPECT_TRUE(b->Equals(*a));
  EXPECT_EQ(b->Width(), 70);
  EXPECT_EQ(b->Text(), u"caption");
}

TEST_F(HeaderTest, AutoSizeColumnTakesTheRestOfTheWidth) {
  tree.SetBounds(0, 0, 300, 100);
  AddColumn(40);
  TNodeTreeColumn* fill = AddColumn(40);
  AddColumn(60);
  tree.Header().SetAutoSizeIndex(1);
  tree.Header().SetOptions(tree.Header().Options() | hoAutoResize);
  tree.Header().Columns().AdjustAutoSize(InvalidColumn);
  EXPECT_EQ(fill->Width(), 300 - 100);
}

TEST_F(HeaderTest, CaptionLayoutPlacesTextAndGlyphWithinTheMargins) {
  TNodeTreeColumn* column = AddColumn(200);
  column->SetText(u"Caption");
  TCanvas& canvas = tree.Canvas();
  const TSize text = canvas.TextExtentW(u"Caption");
  const TRect client = Rect(10, 0, 210, 20);
  TCaptionLayout layout =
      tree.Header().Columns().DetermineCaptionLayout(canvas, *column, client, false, true);
  EXPECT_EQ(layout.TextRect.Left, client.Left + column->Margin());
  EXPECT_EQ(layout.TextRect.Width(), text.cx + 2);
  EXPECT_EQ(layout.SortGlyphPos.X, client.Left + column->Margin() + text.cx + 2 + column->Spacing());
  column->SetAlignment(taRightJustify);
  layout = tree.Header().Columns().DetermineCaptionLayout(canvas, *column, client, false, true);
  EXPECT_EQ(layout.SortGlyphPos.X + 16, client.Right - column->Margin());
  EXPECT_EQ(layout.TextRect.Right, layout.SortGlyphPos.X - column->Spacing());
  // Too narrow: the text is cut at the right margin, never before the left one.
  const TRect narrow = Rect(0, 0, 30, 20);
  layout = tree.Header().Columns().DetermineCaptionLayout(canvas, *column, narrow, false, false);
  EXPECT_GE(layout.TextRect.Left, column->Margin());
  EXPECT_LE(layout.TextRect.Right, narrow.Right - column->Margin());
}

/// How often `name` appears as a property name in streamed bytes.
int CountProperty(const std::string& bytes, const std::string& name) {
  const std::string key = static_cast<char>(name.size()) + name;
  int count = 0;
  for (size_t at = bytes.find(key); at != std::string::npos; at = bytes.find(key, at + 1)) ++count;
  return count;
}

TEST_F(HeaderTest, ColumnsStreamWideCaptionsAndOnlyTheirOwnModeAndColour) {
  // Columns that follow the tree take its mode and colour, which are not the defaults here.
  tree.SetRightToLeft(true);
  tree.SetColor(clYellow);
  TNodeTreeColumn* first = AddColumn(80);
  ASSERT_EQ(first->Color(), clYellow);
  ASSERT_EQ(first->BiDiMode(), bdRightToLeft);
  first->SetText(u"Gr\u00F6\u00DFe \u4E2D");
  first->SetHintText(u"Hint \u0416");
  TNodeTreeColumn* second = AddColumn(60);
  second->SetColor(clRed);  // both setters drop the column's parent flag
  second->SetBiDiMode(bdRightToLeftNoAlign);
  TMemoryStream out;
  WriteCollection(out, tree.Header().Columns());
  const std::string bytes = out.DataString();
  EXPECT_EQ(CountProperty(bytes, "Color"), 1);
  EXPECT_EQ(CountProperty(bytes, "BiDiMode"), 1);
  EXPECT_EQ(CountProperty(bytes, "WideText"), 1);  // empty captions are not written
  EXPECT_EQ(CountProperty(bytes, "WideHint"), 1);
  EXPECT_EQ(CountProperty(bytes, "Text"), 0);

  TNodeTree other;
  TMemoryStream in(bytes);
  ReadCollection(in, other.Header().Columns());
  ASSERT_EQ(other.Header().Columns().Count(), 2);
  const TNodeTreeColumn* read = other.Header().Columns().Column(0);
  EXPECT_EQ(read->Text(), first->Text());
  EXPECT_EQ(read->HintText(), first->HintText());
  EXPECT_EQ(read->Width(), 80);
  EXPECT_EQ(other.Header().Columns().Column(1)->Color(), clRed);
  EXPECT_EQ(other.Header().Columns().Column(1)->BiDiMode(), bdRightToLeftNoAlign);
}

TEST_F(HeaderTest, CaptionsStoredAsEightBitStringsAreConverted) {
  const uint32_t saved = GetACP();
  SetACP(1252);
  auto item = [](const std::string& name, const std::string& value) {
    return std::string(1, static_cast<char>(name.size())) + name + '\x06' + static_cast<char>(value.size()) +
           value;
  };
  // One column: vaCollection, vaList, two 8-bit strings, end of item, end of collection.
  const std::string bytes = std::string("\x0E\x01") + item("WideText", "Caf\xE9") +
                            item("WideHint", "\x80 5") + std::string("\x00\x00", 2);
  TMemoryStream in(bytes);
  ReadCollection(in, tree.Header().Columns());
  SetACP(saved);
  ASSERT_EQ(tree.Header().Columns().Count(), 1);
  EXPECT_EQ(tree.Header().Columns().Column(0)->Text(), u"Caf\u00E9");
  EXPECT_EQ(tree.Header().Columns().Column(0)->HintText(), u"\u20AC 5");
}

TEST_F(HeaderTest, ShortenedTextsEndWithAnEllipsisAndFit) {
  TCanvas& canvas = tree.Canvas();
  const std::u16string text = u"A caption far too long for its column";
  const int32_t width = canvas.TextExtentW(text).cx / 2;
  const std::u16string shortened = ShortenString(canvas, text, width);
  ASSERT_GE(shortened.size(), 4u);
  EXPECT_EQ(shortened.substr(shortened.size() - 3), u"...");
  EXPECT_LE(canvas.TextExtentW(shortened).cx, width);
  EXPECT_GT(canvas.TextExtentW(text.substr(0, shortened.size() - 2) + u"...").cx, width);
  EXPECT_EQ(ShortenString(canvas, text, 0), u"");
  EXPECT_EQ(ShortenString(canvas, u"", 100), u"");
  EXPECT_EQ(ShortenString(canvas, text, canvas.TextExtentW(u"...").cx), u"");
}

}  // namespace
