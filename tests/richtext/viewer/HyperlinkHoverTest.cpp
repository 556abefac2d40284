// Hyperlinks under the mouse on fixed-width glyphs: the host hears of each hyperlink once,
// pieces of one wrapped hyperlink are one hyperlink, the highlight comes and goes, and the
// edges of an area count for clicks but not for hovering.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FormattedDataSupport.h"
#include "richtext/core/RVStyle.h"

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

}  // namespace
