// Tree and list answer pictures: which nodes the tree control is filled with (recorded as it
// paints them), the geometry of boxes, titles and buttons checked by pixels, the state the
// shared control is left in, and bad data.
#include <gtest/gtest.h>

#include "ZUKPrintTestSupport.h"
#include "common/components/original/NodeTree/NodeTree.h"
#include "exam/ZUKException.h"
#include "exam/ZUKQuestion.h"
#include "exam/ZUKTreeQuestionUtils.h"
#include "platform/core/CodePages.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/SystemColors.h"
#include "richtext/core/RVItem.h"
#include "richtext/viewer/RVRVData.h"

namespace {

using printtest::SetStream;
using printtest::TValues;

struct NodeDesc {
  std::string caption;
  int32_t kind;
  int32_t parent;
};

std::string ListParts(const std::vector<std::string>& items) {
  TValues v;
  v.Int(static_cast<int32_t>(items.size()));
  for (const auto& item : items) v.Str(item);
  return v.Bytes();
}

std::string TreeParts(const std::vector<NodeDesc>& nodes, const std::vector<std::string>& items) {
  TValues v;
  v.Int(static_cast<int32_t>(nodes.size()));
  for (const auto& node : nodes) v.Str(node.caption).Int(node.kind).Bool(true).Int(node.parent);
  return v.Bytes() + ListParts(items);
}

std::vector<std::string> Names(int count, const std::string& prefix) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(prefix + std::to_string(i));
  return names;
}

std::vector<NodeDesc> FlatNodes(int count) {
  std::vector<NodeDesc> nodes;
  for (int i = 0; i < count; ++i) nodes.push_back({"n" + std::to_string(i), 1, -1});
  return nodes;
}

const TColor kFace = ColorToRGB(clBtnFace);
const TColor kShadow = ColorToRGB(clBtnShadow);
const TColor kWindow = ColorToRGB(clWindow);
const TColor kHighlight = ColorToRGB(clBtnHighlight);

TColor At(TBitmap& bitmap, int x, int y) {
  return bitmap.Canvas().Pixel(x, y);
}

/// Whether some pixel of `r` is dark, as text is.
bool HasInk(TBitmap& bitmap, const TRect& r) {
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (const TColor c = At(bitmap, x, y);
          (c & 0xFF) < 0x60 && ((c >> 8) & 0xFF) < 0x60 && (c >> 16) < 0x60)
        return true;
  return false;
}

/// The 75 x 23 button whose top left is `p`: light top left, face inside, dark bottom right.
void ExpectCaptionButton(TBitmap& bitmap, TPoint p) {
  EXPECT_EQ(At(bitmap, p.X + 5, p.Y), kHighlight) << p.X << "," << p.Y;
  EXPECT_EQ(At(bitmap, p.X + 3, p.Y + 18), kFace) << p.X << "," << p.Y;
  EXPECT_EQ(At(bitmap, p.X + 74, p.Y + 22), ColorToRGB(cl3DDkShadow)) << p.X << "," << p.Y;
}

class TreePicturesTest : public printtest::PrintTestBase {
 protected:
  TreePicturesTest() {
    tree.SetBounds(0, 0, 300, 10);
    tree.SetDefaultNodeHeight(20);
    tree.OnAfterCellPaint = [this](TNodeTree* t, TCanvas&, PNode node, int32_t, const TRect&) {
      const TTextNodeData* data = t->TextData(node);
      painted.push_back(WideToMultiByte(CP_UTF8, 0, data->Text) + "/" + std::to_string(data->Kind) + "/" +
                        std::to_string(t->GetNodeLevel(node)));
    };
    TBitmap arrows;
    arrows.SetPixelFormat(pf24bit);
    arrows.SetSize(20, 10);
    arrows.Canvas().Brush().SetColor(clBlue);
    arrows.Canvas().FillRect(Rect(0, 0, 20, 10));
    buttons.SetSize(10, 10);
    buttons.Add(&arrows, nullptr);
    shownImages.SetSize(16, 16);
    tree.SetImages(&shownImages);
  }

  TTreeQuestion& Question(uint8_t type, const std::string& parts) {
    question.SetQuestionType(type);
    question.AnswerChoicesTitle = "Offered";
    question.TreeControl = &tree;
    question.ButtonImages = &buttons;
    SetStream(question.QuestionParts, parts);
    return question;
  }

  /// The control is empty after every picture.
  void ExpectTreeEmptied() { EXPECT_EQ(tree.TotalCount(), 0u); }

  TNodeTree tree;
  TImageList buttons;
  TImageList shownImages;
  TTreeQuestion question;
  std::vector<std::string> painted;
};

TEST_F(TreePicturesTest, OrderedListChoicesShowBothBoxesAndTheMoveButtons) {
  tree.SetHeight(99);  // the list's window: 99 rows and one more
  ASSERT_EQ(tree.ClientHeight(), 99);
  Question(5, ListParts({"first", "second", "third"}));
  std::unique_ptr<TBitmap> picture = question.DrawChoicesPicture();
  ASSERT_NE(picture, nullptr);
  printtest::KeepForReview(*picture, "list-choices");
  EXPECT_EQ(picture->Width(), 600);
  EXPECT_EQ(picture->Height(), 155);
  EXPECT_EQ(painted, (std::vector<std::string>{"first/4/0", "second/4/0", "third/4/0"}));
  EXPECT_EQ(At(*picture, 0, 0), kShadow);
  EXPECT_EQ(At(*picture, 599, 154), kShadow);
  EXPECT_EQ(At(*picture, 5, 150), kFace);  // background
  // The empty ordered list from x 30 to 265, the offered list from x 354.
  EXPECT_EQ(At(*picture, 30, 100), kShadow);
  EXPECT_EQ(At(*picture, 264, 100), kShadow);
  EXPECT_EQ(At(*picture, 150, 120), kWindow);
  EXPECT_EQ(At(*picture, 354, 100), kShadow);
  EXPECT_EQ(At(*picture, 354, 44), kShadow);
  EXPECT_EQ(At(*picture, 354, 145), kShadow);
  ExpectCaptionButton(*picture, Point(272, 64));
  ExpectCaptionButton(*picture, Point(272, 90));
  EXPECT_TRUE(HasInk(*picture, Rect(285, 67, 335, 85)));  // "<< Move"
  // Move up and down at (9, 44) and (9, 63), with greyed arrows.
  EXPECT_EQ(At(*picture, 9, 44), kHighlight);
  EXPECT_EQ(At(*picture, 9, 63), kHighlight);
  EXPECT_NE(At(*picture, 15, 52), kFace);
  // Titles above both boxes.
  EXPECT_TRUE(HasInk(*picture, Rect(355, 10, 450, 43)));
  EXPECT_TRUE(HasInk(*picture, Rect(30, 10, 200, 43)));

  ExpectTreeEmptied();
  EXPECT_EQ(tree.Images(), &shownImages);
  EXPECT_EQ(tree.Margin(), 0);
  EXPECT_EQ(tree.Width(), 235);
  EXPECT_EQ(tree.GetOptions().PaintOptions() & 0x0320, 0);
}

TEST_F(TreePicturesTest, ReorderedInPlaceListHasOneWideBox) {
  tree.SetHeight(99);
  Question(5, ListParts({"first", "second"})).Flag2 = true;
  std::unique_ptr<TBitmap> picture = question.DrawChoicesPicture();
  ASSERT_NE(picture, nullptr);
  printtest::KeepForReview(*picture, "list-choices-wide");
  EXPECT_EQ(picture->Height(), 155);
  EXPECT_EQ(At(*picture, 30, 100), kShadow);
  EXPECT_EQ(At(*picture, 590, 100), kShadow);
  EXPECT_NE(At(*picture, 272 + 3, 64 + 18), kFace);  // no Move button
  EXPECT_EQ(At(*picture, 9, 44), kHighlight);
  EXPECT_EQ(tree.Width(), 559);
}

TEST_F(TreePicturesTest, TreeChoicesEndBothBoxesOnOneLine) {
  // Structure windows of 6 x 20 + 1 rows, item windows of 4 x 20 + 1, and the other way round.
  for (bool taller : {true, false}) {
    painted.clear();
    const int structure = taller ? 6 : 4;
    const int items = taller ? 4 : 6;
    Question(4, TreeParts(FlatNodes(structure), Names(items, "i")));
    question.StructureTitle = "Structure";
    std::unique_ptr<TBitmap> picture = question.DrawChoicesPicture();
    ASSERT_NE(picture, nullptr);
    printtest::KeepForReview(*picture, taller ? "tree-choices" : "tree-choices-items-taller");
    EXPECT_EQ(picture->Width(), 600);
    EXPECT_EQ(picture->Height(), 121 + 87);
    EXPECT_EQ(painted.size(), static_cast<size_t>(structure + items));
    // Both boxes from y 76 to 198.
    for (int x : {9, 344}) {
      EXPECT_EQ(At(*picture, x, 76), kShadow) << x;
      EXPECT_EQ(At(*picture, x, 198), kShadow) << x;
      EXPECT_EQ(At(*picture, x + 100, 198), kShadow) << x;
    }
    if (!taller) {
      // The structure box is lengthened in the window colour over its old bottom line.
      EXPECT_EQ(At(*picture, 100, 158), kWindow);
      EXPECT_EQ(At(*picture, 20, 170), kWindow);
    }
    ExpectCaptionButton(*picture, Point(9, 48));
    ExpectCaptionButton(*picture, Point(262, 208 / 2 - 13));
    ExpectCaptionButton(*picture, Point(262, 208 / 2 + 13));
    ExpectTreeEmptied();
    EXPECT_EQ(tree.Images(), &shownImages);
    EXPECT_EQ(tree.Width(), 245);
    EXPECT_EQ(tree.Margin(), 0);
  }
}

TEST_F(TreePicturesTest, StructureHangsNodesUnderEarlierRecordsOnly) {
  Question(
      4, TreeParts({{"root", 7, -1}, {"self", 2, 1}, {"child", 3, 0}, {"later", 5, 9}, {"grand", 6, 2}}, {}));
  std::unique_ptr<TBitmap> picture = question.DrawAnswerPicture(nullptr);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(painted,
            (std::vector<std::string>{"root/7/0", "child/3/1", "grand/6/2", "self/2/0", "later/5/0"}));
}

TEST_F(TreePicturesTest, AnswerTreesFollowTheirArrangement) {
  const std::string parts = TreeParts({{"A", 1, -1}, {"B", 1, -1}}, {"x", "y", "z"});
  struct Case {
    uint8_t option;
    std::string arrangement;
    std::vector<std::string> painted;
  };
  const std::vector<Case> cases = {
      // Item i under node i; a negative node leaves the item out, an unknown one too.
      {0, TValues().Int(3).Int(1).Int(-1).Int(0).Bytes(), {"A/1/0", "z/4/1", "B/1/0", "x/4/1"}},
      {0, TValues().Int(2).Int(5).Int(1).Bytes(), {"A/1/0", "B/1/0", "y/4/1"}},
      // The items under each node, in order; unknown items are passed over.
      {1, TValues().Int(2).Int(2).Int(2).Int(0).Int(1).Int(7).Bytes(), {"A/1/0", "z/4/1", "x/4/1", "B/1/0"}},
      // Another layout shows the structure alone.
      {2, TValues().Int(1).Int(0).Bytes(), {"A/1/0", "B/1/0"}},
  };
  for (const Case& c : cases) {
    painted.clear();
    Question(4, parts).TreeOption = c.option;
    TMemoryStream arrangement(c.arrangement);
    std::unique_ptr<TBitmap> picture = question.DrawAnswerPicture(&arrangement);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(painted, c.painted) << int(c.option);
    EXPECT_EQ(picture->Width(), 301);
  }
  ExpectTreeEmptied();
  EXPECT_EQ(tree.Width(), 300);
  EXPECT_EQ(tree.Height(), 100);
  EXPECT_EQ(tree.GetOptions().PaintOptions() & 0x0320, 0x0320);
}

TEST_F(TreePicturesTest, AnswerListsFollowTheirArrangement) {
  Question(5, ListParts({"a", "b", "c"}));
  TMemoryStream arrangement(TValues().Int(5).Int(2).Int(0).Int(2).Int(9).Int(-1).Bytes());
  std::unique_ptr<TBitmap> picture = question.DrawAnswerPicture(&arrangement);
  ASSERT_NE(picture, nullptr);
  printtest::KeepForReview(*picture, "list-answer");
  EXPECT_EQ(painted, (std::vector<std::string>{"c/0/0", "a/0/0", "c/0/0"}));
  EXPECT_EQ(picture->Width(), 301);
  EXPECT_EQ(picture->Height(), tree.ClientHeight() + 3);  // three rows fit in the 100-pixel control
  EXPECT_EQ(At(*picture, 0, 0), kShadow);
  EXPECT_EQ(At(*picture, 300, 50), kShadow);
  EXPECT_TRUE(HasInk(*picture, Rect(1, 1, 100, 60)));
  EXPECT_EQ(tree.Images(), &shownImages);

  painted.clear();
  question.DrawAnswerPicture(nullptr);
  EXPECT_EQ(painted, (std::vector<std::string>{"a/0/0", "b/0/0", "c/0/0"}));
  // An empty answer arranges nothing.
  painted.clear();
  TMemoryStream empty;
  question.DrawAnswerPicture(&empty);
  EXPECT_TRUE(painted.empty());
}

TEST_F(TreePicturesTest, CandidateResponsePictureWithoutAResponse) {
  Question(5, ListParts({"a", "b"}));
  question.PrintCandidateResponse(viewer, false, nullptr);
  question.Flag2 = true;
  question.PrintCandidateResponse(viewer, false, nullptr);
  TCustomRVData& data = viewer.RVData();
  ASSERT_EQ(data.GetItemCount(), 6);
  EXPECT_EQ(WideToMultiByte(CP_UTF8, 0, data.GetItemTextW(0)), "Candidate Response (INCORRECT_MARK): ");
  auto width = [&](int i) { return static_cast<TRVGraphicItemInfo*>(data.GetItem(i))->Image->Width(); };
  EXPECT_EQ(data.GetItem(1)->ParaNo, 8);
  EXPECT_EQ(width(1), 600);  // the choices as offered
  EXPECT_EQ(width(4), 301);  // the items in stored order
  EXPECT_EQ(data.GetItem(5)->StyleNo, 0);
}

TEST_F(TreePicturesTest, PrintedTreeQuestion) {
  Question(4, TreeParts({{"A", 1, -1}}, {"x"}));
  SetStream(question.TreeData, TValues().Sub(Part(u"Build it")).Sub(Part(u"since")).Bytes());
  SetStream(question.Answer, TValues().Int(1).Int(0).Bytes());
  question.Print(viewer, qpfQuestion | qpfCorrectAnswer | qpfExplanation, "", 2, true, nullptr);
  EXPECT_EQ(printtest::DocumentItems(viewer.RVData()),
            (std::vector<std::string>{"1/0 QUESTION 2", "0/0 Build it", "1/0 ", "1/0 Create a Tree:",
                                      "-3/8 picture", "0/0 ", "1/0 Correct Answer: ", "-3/8 picture", "0/0 ",
                                      "1/0 ", "1/0 Explanation/Reference:", "0/0 since"}));
  EXPECT_EQ(painted, (std::vector<std::string>{"A/1/0", "x/4/0", "A/1/0", "x/4/1"}));
}

TEST_F(TreePicturesTest, NoPartsNoPictureAndTheControlUntouched) {
  Question(5, "");
  tree.AddTextNode(nullptr, amInsertAfter, false, -1, 1, 0, 4, "kept");
  EXPECT_EQ(question.DrawChoicesPicture(), nullptr);
  EXPECT_EQ(question.DrawAnswerPicture(nullptr), nullptr);
  EXPECT_EQ(tree.TotalCount(), 1u);
  // The printed slot still ends with its empty line.
  question.PrintCorrectAnswer(viewer);
  EXPECT_EQ(viewer.GetItemCount(), 2);
}

TEST_F(TreePicturesTest, BadDataFailsAndStillEmptiesTheControl) {
  std::string cut = ListParts({"first", "a longer second item"});
  cut.resize(cut.size() - 3);
  Question(5, cut);
  EXPECT_THROW(question.DrawChoicesPicture(), EReadError);
  ExpectTreeEmptied();
  EXPECT_EQ(tree.Images(), &shownImages);
  EXPECT_THROW(question.DrawAnswerPicture(nullptr), EReadError);
  ExpectTreeEmptied();
  EXPECT_EQ(tree.Images(), &shownImages);
  // Counts larger than their stream could hold.
  Question(5, TValues().Int(1000000000).Bytes());
  EXPECT_THROW(question.DrawChoicesPicture(), EZUKIncorrectFileFormat);
  Question(4, TreeParts({{"A", 1, -1}}, {"x"}));
  TMemoryStream arrangement(TValues().Int(1).Int(500000000).Bytes());
  question.TreeOption = 1;
  EXPECT_THROW(question.DrawAnswerPicture(&arrangement), EZUKIncorrectFileFormat);
  ExpectTreeEmptied();
  // Without a control nothing can be drawn.
  question.TreeControl = nullptr;
  EXPECT_THROW(question.DrawChoicesPicture(), EZUKException);
}

TEST(TreeQuestionUtilsTest, AmpersandsAndTreeLines) {
  EXPECT_EQ(RemoveAmpersands("<< &Move && go&"), "<< Move  go");
  TNodeTree tree;
  SetTreeLinesShown(tree, false);
  EXPECT_EQ(tree.GetOptions().PaintOptions() & 0x0320, 0);
  const TVTPaintOptions others = tree.GetOptions().PaintOptions();
  SetTreeLinesShown(tree, true);
  EXPECT_EQ(tree.GetOptions().PaintOptions(), others | 0x0320);
  EXPECT_EQ(RectHeight(Rect(3, 10, 5, 43)), 33);
}

}  // namespace
