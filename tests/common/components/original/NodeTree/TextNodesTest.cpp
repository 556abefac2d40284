// Text nodes, word-wrapped heights, the image list and margin setters and the tree area.
#include <gtest/gtest.h>

#include "TreeTestSupport.h"
#include "platform/core/CodePages.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/gui/GuiTestSupport.h"

namespace {

class TextNodesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetACP(1251);
    tree.SetBounds(0, 0, 200, 300);
    tree.SetWordWrap(true);
  }
  void TearDown() override { SetACP(1252); }

  int32_t LineHeight() {
    tree.Canvas().SetFont(tree.Font());
    return tree.Canvas().TextHeight("abcdmABCDM");
  }

  TNodeTree tree;
};

TEST_F(TextNodesTest, AddTextNodeFillsTheRecordAndExpandsTheParent) {
  PNode top =
      tree.AddTextNode(nullptr, amInsertAfter, true, -1, 1, 0, 7, "\xCF\xF0\xE8");  // Cyrillic in 1251
  const TTextNodeData* data = tree.TextData(top);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->Text, u"\u041F\u0440\u0438");
  EXPECT_EQ(data->Kind, 7u);
  EXPECT_EQ(data->FlagA, 0);
  EXPECT_EQ(data->FlagB, 1);
  EXPECT_EQ(data->Number, -1);
  EXPECT_EQ(data->UserData, 0u);
  EXPECT_FALSE(tree.Expanded(top));  // under the hidden root nothing is expanded
  tree.AddTextNode(top, amAddChildLast, true, -1, 1, 0, 4, "child");
  EXPECT_TRUE(tree.Expanded(top));
  EXPECT_EQ(tree.AddTextNode(top, amNoWhere, true, 0, 0, 0, 0, "none"), nullptr);
  EXPECT_EQ(tree.TotalCount(), 2u);
}

TEST_F(TextNodesTest, HeightsFollowTheWrappedText) {
  PNode empty = tree.AddTextNode(nullptr, amInsertAfter, true, -1, 1, 0, 4, "");
  PNode one = tree.AddTextNode(nullptr, amInsertAfter, true, -1, 1, 0, 4, "short");
  PNode many = tree.AddTextNode(nullptr, amInsertAfter, true, -1, 1, 0, 4,
                                "a rather long line of words that cannot fit into two hundred pixels at all");
  tree.UpdateNodeHeights();
  const int32_t line = LineHeight();
  EXPECT_EQ(empty->NodeHeight, line);  // the minimum applies
  EXPECT_EQ(one->NodeHeight, line + 4);
  EXPECT_GE(many->NodeHeight, 2 * line + 4);
  EXPECT_EQ((many->NodeHeight - 4) % line, 0);
  EXPECT_EQ(tree.TotalHeight(), empty->NodeHeight + one->NodeHeight + many->NodeHeight);
  // Narrower client: more lines, and the totals follow.
  const uint16_t before = many->NodeHeight;
  tree.SetWidth(120);
  tree.UpdateNodeHeights();
  EXPECT_GT(many->NodeHeight, before);
  EXPECT_EQ(tree.TotalHeight(), empty->NodeHeight + one->NodeHeight + many->NodeHeight);
}

TEST_F(TextNodesTest, WordWrapOffChangesNothing) {
  tree.SetWordWrap(false);
  PNode node = tree.AddTextNode(nullptr, amInsertAfter, true, -1, 1, 0, 4, "text");
  const uint16_t height = node->NodeHeight;
  tree.UpdateNodeHeights();
  EXPECT_EQ(node->NodeHeight, height);
}

TEST_F(TextNodesTest, NarrowClientGivesTheMinimumTextWidthNotANegativeOne) {
  tree.SetWidth(10);
  tree.SetMinTextWidth(60);
  PNode parent = tree.AddTextNode(nullptr, amInsertAfter, true, -1, 1, 0, 4, "p");
  PNode node = tree.AddTextNode(parent, amAddChildLast, true, -1, 1, 0, 4, "one two three four five six");
  tree.UpdateNodeHeights();
  const int32_t line = LineHeight();
  EXPECT_GT(node->NodeHeight, line + 4);  // wrapped at 58 pixels, several lines
  EXPECT_LT(node->NodeHeight, 10 * line);
}

TEST_F(TextNodesTest, TreeRectCoversClientAndRange) {
  EXPECT_EQ(tree.GetTreeRect(), Rect(0, 0, tree.ClientWidth(), tree.ClientHeight()));
  for (int i = 0; i < 40; ++i) tree.AddTextNode(nullptr, amInsertAfter, true, -1, 1, 0, 4, "row");
  const TRect r = tree.GetTreeRect();
  EXPECT_EQ(r.Bottom, tree.TotalHeight());
  EXPECT_EQ(r.Right, std::max(tree.ClientWidth(), tree.RangeWidth()));
}

TEST_F(TextNodesTest, SettersInvalidateOnlyOnChange) {
  TImageList images;
  tree.SetImages(&images);
  EXPECT_EQ(tree.Images(), &images);
  tree.SetImages(&images);
  tree.SetImages(nullptr);
  EXPECT_EQ(tree.Images(), nullptr);
  tree.SetMargin(0);
  EXPECT_EQ(tree.Margin(), 0);
  PNode node = tree.AddTextNode(nullptr, amInsertAfter, true, -1, 1, 0, 4, "x");
  EXPECT_EQ(tree.GetDisplayRect(node, NoColumn, true).Left, tree.Indent());
}

TEST_F(TextNodesTest, AFreedImageListIsForgotten) {
  auto images = std::make_unique<TImageList>();
  tree.SetImages(images.get());
  tree.SetStateImages(images.get());
  tree.SetStateImages(nullptr);  // still shown as normal images: the tree keeps listening
  images.reset();
  EXPECT_EQ(tree.Images(), nullptr);
  TBitmap target;
  target.SetSize(50, 50);
  tree.AddTextNode(nullptr, amInsertAfter, true, -1, 1, 0, 4, "x");
  tree.PaintTree(target.Canvas(), Rect(0, 0, 50, 50), Point(0, 0), poGridLines);
}

TEST_F(TextNodesTest, TreesSharingAnImageListBothFollowItsChanges) {
  TImageList images;
  TNodeTree other;
  other.SetBounds(0, 0, 100, 100);
  for (TNodeTree* t : {&tree, &other}) {
    t->AddTextNode(nullptr, amInsertAfter, true, -1, 1, 0, 4, "x");
    t->SetImages(&images);
  }
  tree.SetStateImages(&images);
  tree.SetStateImages(nullptr);  // the normal-image role still listens
  const int32_t before = tree.RangeWidth();
  const int32_t otherBefore = other.RangeWidth();
  images.SetSize(40, 40);  // wider pictures widen every row
  EXPECT_EQ(tree.RangeWidth(), before + 40 - 16);
  EXPECT_EQ(other.RangeWidth(), otherBefore + 40 - 16);
}

TEST_F(TextNodesTest, ClearLeavesNoNodesAndFreesTheTexts) {
  for (int i = 0; i < 5; ++i) {
    PNode node = tree.AddTextNode(nullptr, amInsertAfter, true, -1, 1, 0, 4, std::string(100, 'x'));
    tree.AddTextNode(node, amAddChildLast, true, -1, 1, 0, 4, std::string(100, 'y'));
  }
  tree.Clear();
  EXPECT_EQ(tree.TotalCount(), 0u);
  EXPECT_EQ(tree.VisibleCount(), 0u);
  EXPECT_EQ(tree.GetFirst(), nullptr);
}

}  // namespace
