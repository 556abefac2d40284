// Drop-and-connect pictures: connectors and their kinds, where boxes go, how a relationship's
// label is joined to its boxes and which way its marks point, the choices and diagram bitmaps
// checked by pixels, their place in a printed document, and bad data.
#include <gtest/gtest.h>

#include "ZUKPrintTestSupport.h"
#include "exam/ZUKDragObject.h"
#include "exam/ZUKException.h"
#include "exam/ZUKQuestion.h"
#include "platform/core/CodePages.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/SystemColors.h"
#include "richtext/core/RVItem.h"
#include "richtext/viewer/RVRVData.h"

namespace {

using printtest::SetStream;
using printtest::TValues;

struct ConnectorDesc {
  std::string caption;
  uint8_t kind;
};

/// The diagram definition: connectors, then box captions.
std::string Definition(const std::vector<ConnectorDesc>& connectors, const std::vector<std::string>& boxes) {
  TValues v;
  v.Int(static_cast<int32_t>(connectors.size()));
  for (const auto& c : connectors) v.Str(c.caption).Byte(c.kind);
  v.Int(static_cast<int32_t>(boxes.size()));
  for (const auto& b : boxes) v.Str(b);
  return v.Bytes();
}

TColor At(TBitmap& bitmap, int x, int y) {
  return bitmap.Canvas().Pixel(x, y);
}

int CountColor(TBitmap& bitmap, const TRect& r, TColor color) {
  int count = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) count += At(bitmap, x, y) == color ? 1 : 0;
  return count;
}

const TColor kFace = ColorToRGB(clBtnFace);
const TColor kShadow = ColorToRGB(clBtnShadow);

class DiagramPicturesTest : public printtest::PrintTestBase {
 protected:
  DiagramPicturesTest() {
    question.SetQuestionType(7);
    question.BoxWidth = 90;
    question.BoxHeight = 70;
  }
  TDropAndConnectQuestion question;
};

TEST(ConnectorTest, KindsNameAndDirectTheirConnectors) {
  struct Case {
    uint8_t kind;
    const char* caption;
    bool directed;
  };
  const std::vector<Case> cases = {{0, "links", false},        {1, "links", true},
                                   {2, "One to One", false},   {3, "One to Many", true},
                                   {4, "Many to Many", false}, {9, "links", false}};
  for (const Case& c : cases) {
    TConnector connector;
    connector.SetCaption("  links \t");
    connector.SetKind(c.kind);
    EXPECT_EQ(connector.Caption(), c.caption) << int(c.kind);
    EXPECT_EQ(connector.Directed(), c.directed) << int(c.kind);
  }
  TConnector longOne;
  longOne.SetCaption("  " + std::string(150, 'x') + "  ");
  EXPECT_EQ(longOne.Caption(), std::string(100, 'x'));
}

TEST(ConnectorTest, LabelsJoinTheNearerSidesAndPointTheWayTheyAreRead) {
  TBoxInfo left{"L", 0, 0, 90, 70};
  TBoxInfo right{"R", 300, 0, 90, 70};
  TConnector connector;
  connector.SetCaption("uses");
  connector.SetKind(ckDirected);
  TRelationshipInfo r;
  r.Connector = &connector;
  r.LabelLeft = 150;
  r.LabelTop = 30;
  r.LabelWidth = 40;
  r.LabelHeight = 11;  // the middle rounds half to even: 30 + 5.5 -> 36
  r.FromBox = &left;
  r.ToBox = &right;
  TRelationshipLines lines = JoinRelationship(r);
  EXPECT_FALSE(r.Side);
  EXPECT_EQ(lines.RightEnd, Point(190, 36));
  EXPECT_EQ(lines.RightAnchor, Point(300, 35));  // the second box's left middle
  EXPECT_EQ(lines.LeftEnd, Point(150, 36));
  EXPECT_EQ(lines.LeftAnchor, Point(90, 35));
  EXPECT_EQ(RelationshipLabelText(r), u"<< uses <<");
  r.Reverse = true;
  EXPECT_EQ(RelationshipLabelText(r), u">> uses >>");

  // The same boxes the other way round: the first box takes the right end.
  r.FromBox = &right;
  r.ToBox = &left;
  lines = JoinRelationship(r);
  EXPECT_TRUE(r.Side);
  EXPECT_EQ(lines.RightAnchor, Point(300, 35));
  EXPECT_EQ(lines.LeftAnchor, Point(90, 35));
  EXPECT_EQ(RelationshipLabelText(r), u"<< uses <<");
  r.Reverse = false;
  EXPECT_EQ(RelationshipLabelText(r), u">> uses >>");

  // One to many reads the other way round in reverse, whatever the stored caption.
  connector.SetCaption("stored");
  connector.SetKind(ckOneToMany);
  EXPECT_EQ(RelationshipLabelText(r), u"One to Many");
  r.Reverse = true;
  EXPECT_EQ(RelationshipLabelText(r), u"Many to One");
  connector.SetKind(ckUndirected);
  connector.SetCaption("stored");
  EXPECT_EQ(RelationshipLabelText(r), u"stored");
}

TEST(ConnectorTest, NearestAnchorPrefersTheFirstOnATie) {
  TBoxInfo box{"", 0, 0, 11, 10};  // midpoints 5.5 and 5 round to 6 and 5
  EXPECT_EQ(BoxAnchors(box)[1], Point(6, 0));
  EXPECT_EQ(NearestAnchor(box, Point(-5, -5)), Point(0, 0));
  EXPECT_EQ(NearestAnchor(box, Point(3, -20)), Point(0, 0));  // corner and midpoint tie at x 3
  EXPECT_EQ(NearestAnchor(box, Point(50, 5)), Point(11, 5));
}

TEST_F(DiagramPicturesTest, ChoicesPlaceBoxesInColumnsOfFourBesideTheConnectorPanel) {
  SetStream(question.QuestionParts,
            Definition({{"uses", 1}, {"owns", 0}}, {"one", "two", "three", "four", "five", "six"}));
  question.ConnectorsTitle = "Connectors";
  std::unique_ptr<TBitmap> picture = question.DrawChoicesPicture();
  ASSERT_NE(picture, nullptr);
  printtest::KeepForReview(*picture, "diagram-choices");
  EXPECT_EQ(picture->Width(), 600);
  EXPECT_EQ(picture->Height(), 70 * 5 + 10);
  EXPECT_EQ(At(*picture, 0, 0), kShadow);
  EXPECT_EQ(At(*picture, 599, 359), kShadow);
  // Boxes 1 to 4 in the first column, 5 and 6 in the second, nothing below them.
  for (const TPoint& corner : {Point(5, 5), Point(5, 80), Point(5, 230), Point(100, 5), Point(100, 80)}) {
    EXPECT_EQ(At(*picture, corner.X + 3, corner.Y + 3), kFace) << corner.X << "," << corner.Y;
    EXPECT_EQ(At(*picture, corner.X + 89, corner.Y + 69), ColorToRGB(cl3DDkShadow));
  }
  EXPECT_EQ(At(*picture, 103, 158), clWhite);
  EXPECT_EQ(At(*picture, 198, 8), clWhite);
  // The panel: title bar, white list, the second row on a grey band.
  EXPECT_EQ(At(*picture, 600 - 205 + 4, 5 + 3), ColorToRGB(clActiveCaption));
  EXPECT_EQ(At(*picture, 600 - 205 + 3, 5 + 30), clWhite);
  EXPECT_GT(CountColor(*picture, Rect(395, 20, 595, 200), 0xE7E7E7), 100);
  // The raised edge: light outer and inner rings at the top, shadow at the inner right.
  EXPECT_EQ(At(*picture, 410, 5), ColorToRGB(cl3DLight));
  EXPECT_EQ(At(*picture, 410, 6), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(At(*picture, 593, 50), kShadow);
}

TEST_F(DiagramPicturesTest, EmptyDefinitionGivesTheFrameOrNoDiagram) {
  std::unique_ptr<TBitmap> picture = question.DrawChoicesPicture();
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(CountColor(*picture, Rect(1, 1, 599, 359), clWhite), 598 * 358);
  EXPECT_EQ(question.DrawBoxDiagram(&question.DiagramData2, &question.Answer), nullptr);
  // A definition without boxes draws a small empty frame.
  SetStream(question.QuestionParts, Definition({{"uses", 1}}, {}));
  std::unique_ptr<TBitmap> empty = question.DrawBoxDiagram(nullptr, nullptr);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->Width(), 20);
  EXPECT_EQ(empty->Height(), 20);
}

TEST_F(DiagramPicturesTest, CorrectDiagramJoinsBoxesThroughTheLabel) {
  SetStream(question.QuestionParts, Definition({{"uses", 1}}, {"client", "server"}));
  // Boxes at (0, 0) and (300, 0), the label at (150, 30).
  SetStream(question.DiagramData2, TValues().Int(0).Int(0).Int(300).Int(0).Int(150).Int(30).Bytes());
  SetStream(question.Answer, TValues().Int(1).Int(0).Int(1).Int(0).Bool(false).Bytes());
  std::unique_ptr<TBitmap> picture = question.DrawBoxDiagram(&question.DiagramData2, &question.Answer);
  ASSERT_NE(picture, nullptr);
  printtest::KeepForReview(*picture, "diagram-correct");
  EXPECT_EQ(picture->Width(), 390 + 20);
  EXPECT_EQ(picture->Height(), 70 + 20);
  EXPECT_EQ(At(*picture, 13, 13), kFace);   // first box, 10 pixels in
  EXPECT_EQ(At(*picture, 313, 13), kFace);  // second box
  // Both segments cross the empty columns between the boxes and the label.
  const TColor ink = ColorToRGB(clWindowText);
  EXPECT_GT(CountColor(*picture, Rect(120, 30, 121, 70), ink), 0);
  EXPECT_GT(CountColor(*picture, Rect(300, 30, 301, 70), ink), 0);
  EXPECT_EQ(CountColor(*picture, Rect(120, 11, 121, 30), ink), 0);
  // Without relationships nothing joins the boxes.
  std::unique_ptr<TBitmap> boxesOnly = question.DrawBoxDiagram(&question.DiagramData2, nullptr);
  EXPECT_EQ(CountColor(*boxesOnly, Rect(120, 1, 121, 89), ink), 0);
}

TEST_F(DiagramPicturesTest, ResponseKeepsPositionsAndRelationshipsInOneStream) {
  SetStream(question.QuestionParts, Definition({{"a", 0}, {"b", 2}}, {"x", "y", "z"}));
  TMemoryStream response(TValues()
                             .Int(0)
                             .Int(0)
                             .Int(200)
                             .Int(0)
                             .Int(0)
                             .Int(200)  // three boxes
                             .Int(2)
                             .Int(0)
                             .Int(1)
                             .Int(0)
                             .Bool(false)
                             .Int(120)
                             .Int(20)
                             .Int(1)
                             .Int(2)
                             .Int(1)
                             .Bool(true)
                             .Int(120)
                             .Int(150)
                             .Bytes());
  std::unique_ptr<TBitmap> picture = question.DrawBoxDiagram(&response, &response);
  ASSERT_NE(picture, nullptr);
  printtest::KeepForReview(*picture, "diagram-response");
  EXPECT_EQ(picture->Width(), 290 + 20);
  EXPECT_EQ(picture->Height(), 270 + 20);
  // Without positions the boxes stand on the grid and no relationship is read.
  std::unique_ptr<TBitmap> grid = question.DrawBoxDiagram(nullptr, &response);
  EXPECT_EQ(grid->Width(), 90 + 20);
  EXPECT_EQ(grid->Height(), 220 + 20);
}

TEST_F(DiagramPicturesTest, IndexesOutsideTheListsLeaveTheirRelationshipOut) {
  SetStream(question.QuestionParts, Definition({{"uses", 0}}, {"a", "b"}));
  SetStream(question.DiagramData2,
            TValues().Int(0).Int(0).Int(300).Int(0).Int(5000).Int(5000).Int(150).Int(30).Bytes());
  SetStream(question.Answer, TValues()
                                 .Int(2)
                                 .Int(0)
                                 .Int(7)
                                 .Int(0)
                                 .Bool(false)  // no box 7
                                 .Int(0)
                                 .Int(1)
                                 .Int(-1)
                                 .Bool(false)  // no connector -1
                                 .Bytes());
  std::unique_ptr<TBitmap> picture = question.DrawBoxDiagram(&question.DiagramData2, &question.Answer);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), 410);  // the far label belongs to nothing drawn
  EXPECT_EQ(CountColor(*picture, Rect(120, 1, 121, 89), ColorToRGB(clWindowText)), 0);
}

TEST_F(DiagramPicturesTest, BadDataIsAnErrorNotAPicture) {
  SetStream(question.QuestionParts, Definition({{"uses", 0}}, {"a", "b"}));
  // A relationship count the stream cannot hold.
  SetStream(question.DiagramData2, TValues().Int(0).Int(0).Int(1).Int(1).Bytes());
  SetStream(question.Answer, TValues().Int(100000000).Bytes());
  EXPECT_THROW(question.DrawBoxDiagram(&question.DiagramData2, &question.Answer), EZUKIncorrectFileFormat);
  // A position far outside any picture.
  SetStream(question.DiagramData2, TValues().Int(0).Int(0).Int(1 << 30).Int(0).Bytes());
  EXPECT_THROW(question.DrawBoxDiagram(&question.DiagramData2, nullptr), EZUKIncorrectFileFormat);
  // Positions that spread the boxes wider than a picture may be.
  SetStream(question.DiagramData2, TValues().Int(-1000000).Int(0).Int(1000000).Int(0).Bytes());
  EXPECT_THROW(question.DrawBoxDiagram(&question.DiagramData2, nullptr), EZUKIncorrectFileFormat);
  // Box sizes that make no picture.
  question.BoxHeight = -5;
  EXPECT_THROW(question.DrawChoicesPicture(), EZUKIncorrectFileFormat);
  question.BoxHeight = INT32_MAX;
  EXPECT_THROW(question.DrawChoicesPicture(), EZUKIncorrectFileFormat);
  question.BoxHeight = 70;
  // A caption that runs past the end of the definition.
  std::string cut = Definition({{"uses", 0}}, {"a", "a long caption"});
  cut.resize(cut.size() - 4);
  SetStream(question.QuestionParts, cut);
  EXPECT_THROW(question.DrawChoicesPicture(), EReadError);
}

TEST_F(DiagramPicturesTest, PrintedPicturesAreCentredBetweenTheirHeadingsAndEmptyLines) {
  SetStream(question.QuestionParts, Definition({{"uses", 1}}, {"client", "server"}));
  SetStream(question.DiagramData1, TValues().Sub(Part(u"Connect them")).Sub(Part(u"because")).Bytes());
  SetStream(question.DiagramData2, TValues().Int(0).Int(0).Int(300).Int(0).Int(150).Int(30).Bytes());
  SetStream(question.Answer, TValues().Int(1).Int(0).Int(1).Int(0).Bool(false).Bytes());
  question.Print(viewer, 0x0EE0, "", 5, true, nullptr);
  EXPECT_EQ(printtest::DocumentItems(viewer.RVData()),
            (std::vector<std::string>{"1/0 QUESTION 5", "0/0 Connect them", "1/0 ", "1/0 Drop and Connect:",
                                      "-3/8 picture", "0/0 ", "1/0 Correct Answer: ", "-3/8 picture", "0/0 ",
                                      "1/0 Candidate Response (CORRECT_MARK): ", "-3/8 picture", "0/0 ",
                                      "1/0 ", "1/0 Explanation/Reference:", "0/0 because"}));
}

}  // namespace
