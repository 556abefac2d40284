// Hyperlinks under the mouse on fixed-width glyphs: the host hears of each hyperlink once,
// pieces of one wrapped hyperlink are one hyperlink, the highlight comes and goes, and the
// edges of an area count for clicks but not for hovering.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FormattedDataSupport.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"

namespace {

using viewertest::Join;
using viewertest::TFixedPitchData;

class THoverData : public TFixedPitchData {
 public:
  bool HasJump() const override { return true; }
  void SetCursor(TCursor Cursor) override { cursor = Cursor; }
  TCursor cursor = crDefault;
};

class HyperlinkHoverTest : public ::testing::Test {
 protected:
  // Ten characters a line. Item 0 "plain" on the first line (y 5..21); item 1, a hyperlink
  // drawn differently under the mouse, wraps: "aaaa bbbb" on the second line (y 21..37),
  // "cccc" on the third (y 37..53); item 2, another hyperlink "dd", follows it there.
  void SetUp() override {
    style.TextStyles().Items(1)->Jump = true;
    style.TextStyles().Items(1)->HoverColor = clRed;
    style.TextStyles().Items(3)->Jump = true;
    data.SetRVStyle(&style);
    data.width = 110;
    data.height = 100;
    data.AddTextItem("plain", 0, 0);
    data.AddTextItem("aaaa bbbb cccc", 1, 0);
    data.AddTextItem("dd", 3, -1);
    data.Format(true);
    data.events.clear();
  }
  bool Highlighted() const { return (data.StateFlags & rvstHover) != 0; }

  TRVStyle style;
  THoverData data;
};

TEST_F(HyperlinkHoverTest, WrappedHyperlinkIsOneHyperlink) {
  ASSERT_EQ(data.Jumps().Count(), 3);
  EXPECT_EQ(data.Jumps()[0]->Id, data.Jumps()[1]->Id);
  data.MouseMove(0, 7, 26);
  EXPECT_EQ(Join(data.events), "move0");
  EXPECT_EQ(data.cursor, style.JumpCursor);
  EXPECT_TRUE(Highlighted());
  data.MouseMove(0, 17, 42);  // the second piece of the same hyperlink
  EXPECT_EQ(Join(data.events), "move0");
  data.MouseMove(0, 57, 42);  // on to "dd", which is not drawn differently
  EXPECT_EQ(Join(data.events), "move0 move1");
  EXPECT_FALSE(Highlighted()) << "the old hyperlink is drawn plain again";
  data.MouseMove(0, 7, 10);  // off every hyperlink
  EXPECT_EQ(Join(data.events), "move0 move1 move-1");
  EXPECT_EQ(data.cursor, crDefault);
}

TEST_F(HyperlinkHoverTest, NumbersStartAtFirstJumpNo) {
  data.FirstJumpNo = 10;
  data.MouseMove(0, 57, 42);
  data.MouseDown(mbLeft, 0, 57, 42);
  data.MouseUp(mbLeft, 0, 57, 42);
  EXPECT_EQ(Join(data.events), "move11 changed changed select jump11");
}

TEST_F(HyperlinkHoverTest, LeavingTheControlDropsTheHighlight) {
  data.MouseMove(0, 7, 26);
  ASSERT_TRUE(Highlighted());
  data.MouseLeave();
  EXPECT_FALSE(Highlighted());
  EXPECT_EQ(data.LastJumpMovedAbove, -1);
  EXPECT_EQ(Join(data.events), "move0 move-1");
}

TEST_F(HyperlinkHoverTest, RightEdgeClicksButDoesNotHover) {
  const TRVJumpInfo& dd = *data.Jumps()[2];
  const int32_t edge = dd.Left + dd.Width;  // first pixel right of "dd"
  data.MouseMove(0, edge, 42);
  EXPECT_EQ(Join(data.events), "");
  data.MouseDown(mbLeft, 0, edge, 42);
  data.MouseUp(mbLeft, 0, edge, 42);
  EXPECT_EQ(Join(data.events), "changed changed select jump1");
}

TEST_F(HyperlinkHoverTest, WithoutTrackingNothingChangesOverAHyperlink) {
  data.viewerState &= ~0x01;
  data.Format(true);
  data.cursor = crCross;
  data.MouseMove(0, 7, 26);
  EXPECT_EQ(Join(data.events), "");
  EXPECT_FALSE(Highlighted());
  EXPECT_EQ(data.cursor, crDefault) << "the control's own cursor";
}

/// A picture holding two hyperlinks of its own (as a table's cells would).
class TNestedLinks : public TRVGraphicItemInfo {
 public:
  explicit TNestedLinks(TCustomRVData* RVData) : TRVGraphicItemInfo(RVData) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(20, 10);
    Image = std::move(bitmap);
    StyleNo = rvsPicture;
  }
  void BuildSubJumps(int32_t Left, int32_t Top, TObjectList<TRVJumpInfo>& List, int& StartJumpNo) override {
    for (int i = 0; i < 2; ++i) {
      auto jump = std::make_unique<TRVJumpInfo>();
      jump->Left = Left + 10 * i;
      jump->Top = Top;
      jump->Width = 10;
      jump->Height = 10;
      jump->Id = StartJumpNo++;
      List.Add(std::move(jump));
    }
  }
};

TEST_F(HyperlinkHoverTest, JumpListIsBuiltFromThePieces) {
  auto nested = std::make_unique<TNestedLinks>(&data);
  data.AddItem("", std::move(nested));
  data.AddTextItem("ee", 1, 0);
  data.Format(true);
  TRVList<TRVJumpInfo> list;
  int start = 4;
  data.BuildJumpList(start, &list);
  EXPECT_EQ(start, 4 + 5) << "two hyperlinks, two inside the picture, one after it";
  std::vector<std::string> areas;
  for (int i = 0; i < list.Count(); ++i) {
    const TRVJumpInfo& j = *list[i];
    areas.push_back(std::to_string(j.Id) + "@" + std::to_string(j.Left) + "," + std::to_string(j.Top));
  }
  const TRVDrawLineInfo& picture = *data.DrawItems()[data.GetFirstDrawItemOfItem(3)];
  const TRVDrawLineInfo& last = *data.DrawItems()[data.GetFirstDrawItemOfItem(4)];
  EXPECT_EQ(Join(areas), "4@5,21 4@5,37 5@45,37 6@" + std::to_string(picture.Left) + "," +
                             std::to_string(picture.Top) + " 7@" + std::to_string(picture.Left + 10) + "," +
                             std::to_string(picture.Top) + " 8@" + std::to_string(last.Left) + "," +
                             std::to_string(last.Top));
  EXPECT_EQ(data.GetItem(1)->JumpID, 4);
  EXPECT_EQ(data.GetItem(2)->JumpID, 5);
  EXPECT_EQ(data.GetItem(4)->JumpID, 8);
  EXPECT_EQ(list[0]->Cursor, style.TextStyles().Items(1)->JumpCursor);
  EXPECT_EQ(list[0]->RVData, &data);
  EXPECT_EQ(list[0]->DrawItemNo, data.GetFirstDrawItemOfItem(1));
}

TEST_F(HyperlinkHoverTest, HotPictureShowsTheSheetsHyperlinkCursor) {
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(20, 10);
  auto hot = std::make_unique<TRVHotGraphicItemInfo>(&data);
  hot->Image = std::move(picture);
  hot->StyleNo = rvsHotPicture;
  data.AddItem("", std::move(hot));
  data.Format(true);
  const TRVDrawLineInfo& piece = *data.DrawItems()[data.GetFirstDrawItemOfItem(3)];
  data.MouseMove(0, piece.Left + 5, piece.Top + 5);
  EXPECT_EQ(Join(data.events), "move2");
  EXPECT_EQ(data.cursor, style.JumpCursor);
}

TEST_F(HyperlinkHoverTest, HyperlinkInATableCellIsHoveredFromTheDocument) {
  RVRegisterTableItemClass();
  auto table = TRVTableItemInfo::CreateWithSize(1, 2, &data);
  TRVTableCellData* cell = table->GetCell(0, 1);
  cell->Clear();
  cell->AddTextItem("cell link", 1, 0);
  data.AddItem("", std::move(table));
  data.Format(true);
  // The areas are built again with the items' own (as the editor does after a change).
  data.Jumps().Clear();
  int start = 0;
  data.BuildJumpList(start, nullptr);
  EXPECT_EQ(start, 3);
  ASSERT_GE(cell->DrawItems().Count(), 1);
  // Where the cell says its first piece is, in the document's coordinates.
  int32_t x = 0, y = 0;
  cell->GetOrigin(x, y);
  const TRVDrawLineInfo& piece = *cell->DrawItems()[0];
  data.events.clear();
  data.MouseMove(0, x + piece.Left + 2, y + piece.Top + piece.Height / 2);
  EXPECT_EQ(Join(data.events), "move2");
  EXPECT_EQ(data.HoverSubData, cell) << "the cell holds the hovered hyperlink";
  EXPECT_EQ(cell->LastJumpMovedAbove, 2);
  data.MouseLeave();
  EXPECT_EQ(Join(data.events), "move2 move-1");
  EXPECT_EQ(cell->LastJumpMovedAbove, -1);
}

}  // namespace
