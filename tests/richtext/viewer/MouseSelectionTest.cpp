// The mouse state machine of a formatted document on fixed-width glyphs: sequences of
// presses, moves, releases and double clicks, the selection they leave and the events they
// fire; the word under a point; item capture.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "FormattedDataSupport.h"
#include "richtext/core/RVListInfo.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/core/RVStyle.h"

namespace {

using viewertest::Join;
using viewertest::TFixedPitchData;

/// Records every event of the host in `events`.
class TMouseData : public TFixedPitchData {
 public:
  bool HasRVMouseUp() const override { return true; }
  bool HasRVMouseDown() const override { return true; }
  bool HasJump() const override { return true; }
  bool HasRVDblClick() const override { return true; }
  bool HasRVRightClick() const override { return true; }
  void DoRVMouseDown(TMouseButton, TShiftState, int ItemNo, int32_t, int32_t) override {
    events.push_back("down" + std::to_string(ItemNo));
  }
  void DoRVMouseUp(TMouseButton, TShiftState, int ItemNo, int32_t, int32_t) override {
    events.push_back("up" + std::to_string(ItemNo));
  }
  void DoRVDblClick(const std::string& Word, int StyleNo) override {
    events.push_back("dbl:" + Word + "/" + std::to_string(StyleNo));
  }
  void DoRVRightClick(const std::string& Word, int, int32_t, int32_t) override {
    events.push_back("right:" + Word);
  }
  void MouseSelectionDone() override { events.push_back("done"); }
};

/// One input: 'd' press, 'm' move, 'u' release, 'c' double click.
struct Step {
  char kind;
  int32_t x;
  int32_t y;
  TMouseButton button = mbLeft;
  TShiftState shift = 0;
};

/// The selection in item coordinates, "none" when there is none.
std::string SelectionOf(TCustomRVFormattedData& data) {
  if (!data.SelectionExists()) return "none";
  int s = -1, so = 0, e = -1, eo = 0;
  data.GetItemSelectionBounds(s, so, e, eo, false);
  std::ostringstream out;
  out << s << ":" << so << "-" << e << ":" << eo;
  return out.str();
}

class MouseSelectionTest : public ::testing::Test {
 protected:
  // Four paragraphs, one line each, 16 pixels high from y 5, characters 10 wide from x 5:
  //   item 0 "one two three" (y 5..21), item 1 "link" (a hyperlink, y 21..37),
  //   item 2 "four" (y 37..53), item 3 "five" (y 53..69).
  void SetUp() override {
    style.TextStyles().Items(1)->Jump = true;
    data.SetRVStyle(&style);
    Reset();
  }
  /// The four paragraphs again, with no selection, state or event left from before.
  void Reset() {
    data.Clear();
    data.StateFlags &= ~(rvstIgnoreNextSelection | rvstMakingSelection);
    data.width = 310;
    data.height = 100;
    data.AddTextItem("one two three", 0, 0);
    data.AddTextItem("link", 1, 0);
    data.AddTextItem("four", 0, 0);
    data.AddTextItem("five", 0, 0);
    data.Format(true);
    data.events.clear();
  }
  void Run(const std::vector<Step>& steps) {
    for (const Step& s : steps) {
      switch (s.kind) {
        case 'd':
          data.MouseDown(s.button, s.shift, s.x, s.y);
          break;
        case 'm':
          data.MouseMove(s.shift, s.x, s.y);
          break;
        case 'u':
          data.MouseUp(s.button, s.shift, s.x, s.y);
          break;
        case 'c':
          data.DblClickAt(s.x, s.y);
          break;
      }
    }
  }

  TRVStyle style;
  TMouseData data;
};

struct MouseCase {
  const char* name;
  std::vector<Step> steps;
  const char* selection;
  const char* events;
};

TEST_F(MouseSelectionTest, SequencesLeaveTheirSelectionAndEvents) {
  const std::vector<MouseCase> cases = {
      {"press and release in place select nothing",
       {{'d', 7, 10}, {'u', 7, 10}},
       "none",
       "down0 changed done changed select up0"},
      {"a drag selects from the press to the release",
       {{'d', 7, 10}, {'m', 47, 10}, {'u', 47, 10}},
       "0:1-0:5",
       "down0 changed changed done changed select up0"},
      {"a drag backwards keeps the anchor at the press",
       {{'d', 47, 10}, {'m', 7, 10}, {'u', 7, 10}},
       "0:5-0:1",
       "down0 changed changed done changed select up0"},
      {"shift and a press extend the selection from its anchor",
       {{'d', 7, 10}, {'m', 27, 10}, {'u', 27, 10}, {'d', 67, 10, mbLeft, ssShift}, {'u', 67, 10}},
       "0:1-0:7",
       "down0 changed changed done changed select up0 down0 changed done changed select up0"},
      {"shift and a press without a selection start one there",
       {{'d', 27, 10, mbLeft, ssShift}, {'m', 47, 10}, {'u', 47, 10}},
       "0:3-0:5",
       "down0 changed changed done changed select up0"},
      {"a drag across lines ends in the later paragraph",
       {{'d', 27, 10}, {'m', 17, 45}, {'u', 17, 45}},
       "0:3-2:2",
       "down0 changed changed done changed select up2"},
      {"a press on no piece gives item -1 and starts at the nearest place",
       {{'d', 200, 45}, {'u', 200, 45}},
       "none",
       "down-1 changed done changed select up-1"},
      {"a right click outside the selection collapses it there",
       {{'d', 7, 10}, {'m', 47, 10}, {'u', 47, 10}, {'d', 17, 45, mbRight}, {'u', 17, 45, mbRight}},
       "none",
       "down0 changed changed done changed select up0 down2 changed select up2 right:four"},
      {"a right click inside the selection keeps it",
       {{'d', 7, 10}, {'m', 67, 10}, {'u', 67, 10}, {'d', 27, 10, mbRight}, {'u', 27, 10, mbRight}},
       "0:1-0:7",
       "down0 changed changed done changed select up0 down0 up0 right:one"},
      {"a double click selects the word and the next press selects nothing",
       {{'c', 57, 10}, {'d', 57, 10}, {'m', 107, 10}, {'u', 107, 10}},
       "0:5-0:8",
       "changed select dbl:two/0 down0 up0"},
      {"a double click on a space selects an empty range there",
       {{'c', 37, 10}},
       "none",
       "changed select dbl:/0"},
      {"a click on a hyperlink fires it",
       {{'d', 17, 26}, {'u', 17, 26}},
       "none",
       "down1 changed done changed select up1 jump0"},
      {"a drag that selects from a hyperlink fires no jump",
       {{'d', 17, 26}, {'m', 37, 26}, {'u', 37, 26}},
       "1:2-1:4",
       "down1 changed changed done changed select up1"},
      {"a press on a hyperlink and a release elsewhere fires nothing",
       {{'d', 17, 26}, {'u', 17, 45}},
       "1:2-2:2",
       "down1 changed done changed select up2"},
  };
  for (const MouseCase& c : cases) {
    Reset();
    Run(c.steps);
    // Hover notices are not what these cases are about.
    std::vector<std::string> events;
    for (const std::string& e : data.events)
      if (e.rfind("move", 0) != 0) events.push_back(e);
    EXPECT_EQ(SelectionOf(data), c.selection) << c.name;
    EXPECT_EQ(Join(events), c.events) << c.name;
  }
}

TEST_F(MouseSelectionTest, DraggingOutsideTheAreaSelectsToItsEdgeUnlessUnclipped) {
  data.height = 40;  // the client area ends in the middle of "four"'s line
  Run({{'d', 7, 10}, {'m', 17, 200}});
  EXPECT_EQ(SelectionOf(data), "0:1-2:2") << "clipped to the bottom edge";
  Run({{'m', -30, -30}});
  EXPECT_EQ(SelectionOf(data), "none") << "clipped to the top-left corner: back at the anchor";
  data.viewerState |= 0x10;
  Run({{'m', 17, 200}, {'u', 17, 200}});
  EXPECT_EQ(SelectionOf(data), "0:1-3:2") << "not clipped: the last line";
}

TEST_F(MouseSelectionTest, SingleClickReportsTheWordOnThePress) {
  data.SetOptions((data.GetOptions() | rvoSingleClick) & ~rvoDblClickSelectsWord);
  Run({{'d', 57, 10}});
  EXPECT_EQ(Join(data.events), "down0 dbl:two/0 changed");
  data.events.clear();
  Run({{'c', 57, 10}});
  EXPECT_TRUE(data.events.empty()) << "the double click itself is no more a word report";
}

TEST_F(MouseSelectionTest, SelectedRangeIsScrolledIntoView) {
  data.height = 30;
  data.step = 10;
  data.SelectRangeAndShow(3, 1, 2, true);
  int s = -1, so = 0, e = -1, eo = 0;
  data.GetItemSelectionBounds(s, so, e, eo, false);
  EXPECT_EQ(std::to_string(s) + ":" + std::to_string(so) + "-" + std::to_string(e) + ":" + std::to_string(eo),
            "3:3-3:1")
      << "reversed: the anchor at the far end";
  // "five" is at 53..69: its bottom goes one step above the bottom edge.
  EXPECT_EQ(data.scrolls, std::vector<std::string>{"v49"});
  EXPECT_EQ(Join(data.events), "changed select");
}

TEST_F(MouseSelectionTest, StartPositionIsTheMovingEndOrTheVisibleEdge) {
  auto startAt = [&](bool down) {
    int itemNo = -7, offs = -7;
    data.GetStartPosition(down, itemNo, offs);
    return std::to_string(itemNo) + ":" + std::to_string(offs);
  };
  // No selection: the first visible item from its start, the last one from past its end.
  data.height = 10;
  EXPECT_EQ(startAt(true), "0:1");
  EXPECT_EQ(startAt(false), "1:6") << "\"link\" is the last item showing a line";
  data.SetSelectionBounds(2, 3, 2, 3);
  EXPECT_EQ(startAt(true), "0:1") << "an empty selection counts as none";
  // A selection made backwards: its moving end is the earlier place.
  data.SetSelectionBounds(3, 4, 2, 2);
  EXPECT_EQ(startAt(true), "2:2");
  EXPECT_EQ(startAt(false), "2:2");
  data.Clear();
  EXPECT_EQ(startAt(true), "0:0") << "an empty document starts at its first item";
  EXPECT_EQ(startAt(false), "0:0");
}

TEST_F(MouseSelectionTest, ListMarkerIsNoEndOfASelection) {
  TRVListInfo* list = style.ListStyles().AddStyle();
  list->Levels().AddLevel()->LeftIndent = 40;
  data.Clear();
  data.AddItem("", TRVMarkerItemInfo::CreateForList(&data, 0, 0, 1, false));
  data.AddTextItem("item", 0, -1);
  data.AddItem("", TRVMarkerItemInfo::CreateForList(&data, 0, 0, 1, false));
  data.Format(true);
  ASSERT_EQ(data.GetItemStyleNo(0), rvsListMarker);
  data.SetSelectionBounds(0, 0, 1, 3);
  EXPECT_EQ(SelectionOf(data), "1:1-1:3") << "from the marker: from the text after it";
  data.SetSelectionBounds(1, 2, 2, 1);
  EXPECT_EQ(SelectionOf(data), "1:2-2:1") << "a marker that is the last item stays";
}

TEST_F(MouseSelectionTest, WordAtPointStopsAtDelimiters) {
  data.Clear();
  data.AddTextItem("(alpha,beta)", 0, 0);
  data.AddTextItem("", 0, 0);
  data.Format(true);
  std::string word;
  TCustomRVFormattedData* owner = nullptr;
  int itemNo = -1, offs = 0, styleNo = -1;
  ASSERT_TRUE(data.GetWordAt(5 + 3 * 10 + 2, 10, word, owner, itemNo, offs, styleNo));
  EXPECT_EQ(word, "alpha");
  EXPECT_EQ(offs, 2);
  EXPECT_EQ(owner, &data);
  ASSERT_TRUE(data.GetWordAt(5 + 6 * 10 + 2, 10, word, owner, itemNo, offs, styleNo));
  EXPECT_EQ(word, "") << "a comma";
  EXPECT_EQ(offs, 7);
  ASSERT_TRUE(data.GetWordAt(5 + 10 * 10 + 2, 10, word, owner, itemNo, offs, styleNo));
  EXPECT_EQ(word, "beta") << "the last letters before the closing parenthesis";
  EXPECT_EQ(offs, 8);
  EXPECT_FALSE(data.GetWordAt(5, 200, word, owner, itemNo, offs, styleNo));
  EXPECT_EQ(itemNo, -1);
}

TEST_F(MouseSelectionTest, WordAtPointOfAnEmptyItemIsNone) {
  data.Clear();
  data.AddTextItem("", 0, 0);
  data.Format(true);
  ASSERT_EQ(data.DrawItems().Count(), 1);
  data.DrawItems()[0]->Width = 20;  // reachable by the point, as an empty line of an editor is
  std::string word = "stale";
  TCustomRVFormattedData* owner = nullptr;
  int itemNo = -1, offs = 0, styleNo = -1;
  EXPECT_FALSE(data.GetWordAt(7, 10, word, owner, itemNo, offs, styleNo));
  EXPECT_EQ(word, "");
}

TEST_F(MouseSelectionTest, WordOfUnicodeTextIsItsOwnBytes) {
  data.Clear();
  style.TextStyles().Items(2)->Unicode = true;
  data.AddWideTextItem(u"\u0434\u0430 \u043d\u0435\u0442", 2, 0, TRVTag());
  data.Format(true);
  std::string word;
  TCustomRVFormattedData* owner = nullptr;
  int itemNo = -1, offs = 0, styleNo = -1;
  ASSERT_TRUE(data.GetWordAt(5 + 4 * 10 + 2, 10, word, owner, itemNo, offs, styleNo));
  EXPECT_EQ(word, std::string("\x3d\x04\x35\x04\x42\x04", 6));
  EXPECT_EQ(offs, 4);
  EXPECT_EQ(styleNo, 2);
}

TEST_F(MouseSelectionTest, WordAtPointOfRightToLeftTextCountsFromTheRight) {
  data.Clear();
  style.TextStyles().Items(2)->Unicode = true;
  TParaInfo* rtl = style.ParaStyles().AddStyle();
  rtl->BiDiMode = rvbdRightToLeft;
  const int32_t paraNo = style.ParaStyles().Count() - 1;
  data.AddWideTextItem(u"\u05d0\u05d1\u05d2 \u05d3\u05d4\u05d5", 2, paraNo, TRVTag());
  data.Format(true);
  ASSERT_EQ(data.DrawItems().Count(), 1);
  const TRVDrawLineInfo& piece = *data.DrawItems()[0];
  std::string word;
  TCustomRVFormattedData* owner = nullptr;
  int itemNo = -1, offs = 0, styleNo = -1;
  // Drawn right to left, the left end of the text is the end of its last word.
  ASSERT_TRUE(data.GetWordAt(piece.Left + 1, piece.Top + 5, word, owner, itemNo, offs, styleNo));
  EXPECT_EQ(word, std::string("\xd3\x05\xd4\x05\xd5\x05", 6));
  EXPECT_EQ(offs, 5);
}

/// A 30 by 16 picture that records the mouse it is given and answers "handled" on request.
class THookItem : public TRVGraphicItemInfo {
 public:
  explicit THookItem(TCustomRVData* RVData) : TRVGraphicItemInfo(RVData) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(30, 16);
    Image = std::move(bitmap);
    StyleNo = rvsPicture;
  }
  bool MouseDownHook(TMouseButton, TShiftState, int32_t X, int32_t Y, int, TCustomRVData*) override {
    log.push_back("hookdown " + std::to_string(X) + "," + std::to_string(Y));
    return handles;
  }
  bool MouseMoveHook(TShiftState, int32_t X, int32_t Y, int, TCustomRVData*) override {
    log.push_back("hookmove " + std::to_string(X) + "," + std::to_string(Y));
    return handles;
  }
  void MouseUpHook(TMouseButton, TShiftState, int32_t, int32_t, int, TCustomRVData*) override {
    log.push_back("hookup");
  }
  bool handles = false;
  std::vector<std::string>& log = sharedLog();
  static std::vector<std::string>& sharedLog() {
    static std::vector<std::string> l;
    return l;
  }
};

TEST_F(MouseSelectionTest, ItemsGetTheMouseRelativeToTheirPiece) {
  data.Clear();
  data.AddTextItem("ab", 0, 0);
  auto hook = std::make_unique<THookItem>(&data);
  THookItem* item = hook.get();
  data.AddItem("", std::move(hook));
  data.Format(true);
  data.events.clear();
  THookItem::sharedLog().clear();
  const TRVDrawLineInfo& piece = *data.DrawItems()[data.GetFirstDrawItemOfItem(1)];
  item->handles = true;
  Run({{'d', piece.Left + 4, piece.Top + 3}});
  EXPECT_EQ(Join(THookItem::sharedLog()), "hookdown 4,3");
  EXPECT_EQ(Join(data.events), "") << "a handled press fires nothing and selects nothing";

  // A captured item gets every move, wherever the mouse is; no selection is made.
  int32_t left = 0, top = 0;
  data.SetMouseCapture(item, left, top);
  EXPECT_EQ(left, piece.Left);
  EXPECT_EQ(top, piece.Top);
  THookItem::sharedLog().clear();
  Run({{'m', 7, 60}, {'u', 7, 60}});
  EXPECT_EQ(Join(THookItem::sharedLog()),
            "hookmove " + std::to_string(7 - piece.Left) + "," + std::to_string(60 - piece.Top) + " hookup");
  EXPECT_EQ(SelectionOf(data), "none");

  // The item leaving the document gives the mouse back.
  data.DeleteItems(1, 1);
  EXPECT_EQ(data.CaptureMouseItem, nullptr);
  data.events.clear();
  Run({{'d', 7, 10}, {'m', 17, 10}, {'u', 17, 10}});
  EXPECT_EQ(SelectionOf(data), "0:1-0:2");
}

TEST_F(MouseSelectionTest, StaleDrawItemUnderTheMouseIsFoundAgain) {
  Run({{'m', 27, 58}});
  ASSERT_EQ(data.LastDItemMovedAbove, data.DrawItems().Count() - 1);
  // The document shrinks under the mouse without a full clearing of the pieces.
  data.DrawItems().Delete(data.DrawItems().Count() - 1);
  Run({{'d', 27, 10}, {'u', 27, 10}});
  EXPECT_EQ(Join(data.events), "down0 changed done changed select up0");
}

}  // namespace
