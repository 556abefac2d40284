// The header in the tree's window: the band it takes above the rows, clicks, column dragging
// with its drop mark and events, and the header as the window shows it.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <map>

#include "TreeTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/XcbTestSupport.h"

namespace {

class HeaderDragTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.SetBounds(0, 0, 300, 150);
    tree.SetBorderStyle(bsSingle);  // window points are header points + 2
    for (int32_t i = 0; i < 3; ++i) {
      TNodeTreeColumn* column = tree.Header().Columns().Add();
      column->SetWidth(60);
      column->SetText(i == 0 ? u"One" : i == 1 ? u"Two" : u"Three");
    }
    tree.Header().SetHeight(20);
    tree.Header().SetOptions(tree.Header().Options() | hoVisible);
    tree.OnHeaderClick = [this](TNodeTree*, int32_t column) {
      events.push_back("click " + std::to_string(column));
    };
    tree.OnHeaderDragging = [this](TNodeTree*, int32_t column, bool& allowed) {
      events.push_back("dragging " + std::to_string(column));
      allowed = allowDrag;
    };
    tree.OnHeaderDragged = [this](TNodeTree*, int32_t column, int32_t oldPosition) {
      events.push_back("dragged " + std::to_string(column) + " from " + std::to_string(oldPosition));
    };
  }

  /// Sends a band message at header point (x, y).
  void Send(uint32_t msg, int32_t x, int32_t y) {
    tree.Perform(msg, MK_LBUTTON, PointToLParam(TPoint{x + 2, y + 2}));
  }
  /// Presses at `from`, moves through `via` and releases at the last of them.
  void Drag(int32_t from, std::initializer_list<int32_t> via) {
    Send(WM_NCLBUTTONDOWN, from, 10);
    int32_t last = from;
    for (int32_t x : via) {
      Send(WM_NCMOUSEMOVE, x, 10);
      last = x;
    }
    Send(WM_NCLBUTTONUP, last, 10);
  }
  std::vector<int32_t> Order() { return tree.Header().Columns().PositionToIndex(); }
  void PaintHeader(TBitmap& bitmap) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(300, 20);
    tree.Header().Columns().PaintHeader(bitmap.Canvas(), Rect(0, 0, 300, 20), 0);
  }

  TNodeTree tree;
  std::vector<std::string> events;
  bool allowDrag = true;
};

TEST_F(HeaderDragTest, VisibleHeaderTakesABandAboveTheRows) {
  EXPECT_EQ(tree.NonClientTop(), 20);
  EXPECT_EQ(tree.ClientHeight(), 150 - 4 - 20);
  tree.Header().SetHeight(24);
  EXPECT_EQ(tree.ClientHeight(), 150 - 4 - 24);
  tree.Header().SetOptions(tree.Header().Options() & ~hoVisible);
  EXPECT_EQ(tree.NonClientTop(), 0);
  EXPECT_EQ(tree.ClientHeight(), 150 - 4);
  // A hidden header takes no mouse input.
  Drag(10, {100, 150});
  EXPECT_TRUE(events.empty());
}

TEST_F(HeaderDragTest, PressAndReleaseOnOneColumnClicksIt) {
  Send(WM_NCLBUTTONDOWN, 70, 10);
  EXPECT_EQ(tree.Header().Columns().DownIndex, 1);
  Send(WM_NCMOUSEMOVE, 72, 11);  // within the drag threshold
  EXPECT_FALSE(tree.Header().Dragging());
  Send(WM_NCLBUTTONUP, 72, 11);
  EXPECT_EQ(events, std::vector<std::string>{"click 1"});
  EXPECT_EQ(tree.Header().Columns().ClickIndex, 1);
  EXPECT_EQ(tree.Header().Columns().DownIndex, -1);
  // Releasing over another column is no click.
  Send(WM_NCLBUTTONDOWN, 70, 10);
  tree.Header().Columns().Column(1)->SetOptions(tree.Header().Columns().Column(1)->Options() & ~coDraggable);
  Send(WM_NCMOUSEMOVE, 150, 10);
  Send(WM_NCLBUTTONUP, 150, 10);
  EXPECT_EQ(events.size(), 1u);
  // A column that does not allow clicks is not pressed.
  tree.Header().Columns().Column(2)->SetOptions(coEnabled | coVisible);
  Send(WM_NCLBUTTONDOWN, 130, 10);
  EXPECT_EQ(tree.Header().Columns().DownIndex, -1);
  Send(WM_NCLBUTTONUP, 130, 10);
  EXPECT_EQ(events.size(), 1u);
}

TEST_F(HeaderDragTest, DraggingMovesTheColumnWhereTheDropMarkShows) {
  // Column 0 over the right half of column 2: it lands after it.
  Send(WM_NCLBUTTONDOWN, 10, 10);
  Send(WM_NCMOUSEMOVE, 60, 10);
  EXPECT_TRUE(tree.Header().Dragging());
  EXPECT_EQ(tree.Header().Columns().DownIndex, -1);  // a dragged column is not shown pressed
  Send(WM_NCMOUSEMOVE, 170, 10);
  EXPECT_EQ(tree.Header().DropTarget(), 2);
  EXPECT_FALSE(tree.Header().DropBefore());
  Send(WM_NCLBUTTONUP, 170, 10);
  EXPECT_FALSE(tree.Header().Dragging());
  EXPECT_EQ(Order(), (std::vector<int32_t>{1, 2, 0}));
  EXPECT_EQ(tree.Header().Columns().Column(0)->Left(), 120);
  EXPECT_EQ(events, (std::vector<std::string>{"dragging 0", "dragged 0 from 0"}));

  // Back over the left half of the first column: before it. Far left of the header counts as
  // before the first column too.
  events.clear();
  Drag(130, {100, 10});
  EXPECT_EQ(Order(), (std::vector<int32_t>{0, 1, 2}));
  Drag(70, {-40});
  EXPECT_EQ(Order(), (std::vector<int32_t>{1, 0, 2}));
  // Right of the last column: after it.
  Drag(10, {290});
  EXPECT_EQ(Order(), (std::vector<int32_t>{0, 2, 1}));
}

TEST_F(HeaderDragTest, DropThatChangesNothingShowsNoMarkAndMovesNothing) {
  Send(WM_NCLBUTTONDOWN, 70, 10);
  Send(WM_NCMOUSEMOVE, 80, 10);
  ASSERT_TRUE(tree.Header().Dragging());
  EXPECT_EQ(tree.Header().DropTarget(), -1);  // over itself
  Send(WM_NCMOUSEMOVE, 50, 10);               // right half of the column before it
  EXPECT_EQ(tree.Header().DropTarget(), -1);
  Send(WM_NCMOUSEMOVE, 130, 10);  // left half of the column after it
  EXPECT_EQ(tree.Header().DropTarget(), -1);
  Send(WM_NCMOUSEMOVE, 20, 10);
  EXPECT_EQ(tree.Header().DropTarget(), 0);
  EXPECT_TRUE(tree.Header().DropBefore());
  Send(WM_NCMOUSEMOVE, 75, 10);
  Send(WM_NCLBUTTONUP, 75, 10);
  EXPECT_EQ(Order(), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(events, std::vector<std::string>{"dragging 1"});
}

TEST_F(HeaderDragTest, RefusedOrCancelledDragKeepsTheOrder) {
  allowDrag = false;
  Drag(10, {100, 170});
  EXPECT_EQ(Order(), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(events, std::vector<std::string>{"dragging 0"});
  EXPECT_FALSE(tree.Header().Dragging());

  allowDrag = true;
  Send(WM_NCLBUTTONDOWN, 10, 10);
  Send(WM_NCMOUSEMOVE, 170, 10);
  ASSERT_TRUE(tree.Header().Dragging());
  tree.Perform(WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(tree.Header().Dragging());
  Send(WM_NCLBUTTONUP, 170, 10);
  EXPECT_EQ(Order(), (std::vector<int32_t>{0, 1, 2}));

  // A column without coDraggable is clicked, never dragged.
  events.clear();
  tree.Header().Columns().Column(0)->SetOptions(tree.Header().Columns().Column(0)->Options() & ~coDraggable);
  Drag(10, {100, 170, 20});
  EXPECT_EQ(events, std::vector<std::string>{"click 0"});
}

TEST_F(HeaderDragTest, DropMarkIsPaintedAtTheTargetEdge) {
  TBitmap before;
  PaintHeader(before);
  Send(WM_NCLBUTTONDOWN, 10, 10);
  Send(WM_NCMOUSEMOVE, 70, 10);  // left half of column 1 is where column 0 already is
  Send(WM_NCMOUSEMOVE, 100, 10);
  ASSERT_EQ(tree.Header().DropTarget(), 1);
  ASSERT_FALSE(tree.Header().DropBefore());
  TBitmap during;
  PaintHeader(during);
  // The mark (image 1) sits 16 pixels wide at the inner right edge of column 1 (60..120, less
  // 2 on each side), vertically centred; nothing else changes.
  int changedInside = 0;
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 300; ++x) {
      const bool differs = before.Canvas().Pixel(x, y) != during.Canvas().Pixel(x, y);
      const bool inMark = x >= 118 - 16 && x < 118 && y >= 0 && y < 20;
      if (differs && !inMark) ADD_FAILURE() << "changed outside the mark at " << x << "," << y;
      if (differs && inMark) ++changedInside;
    }
  EXPECT_GT(changedInside, 10);
  // A target column without coShowDropMark shows none.
  TNodeTreeColumn* target = tree.Header().Columns().Column(1);
  target->SetOptions(target->Options() & ~coShowDropMark);
  TBitmap hidden;
  PaintHeader(hidden);
  for (int32_t x = 102; x < 118; ++x)
    for (int32_t y = 2; y < 18; ++y)
      ASSERT_EQ(before.Canvas().Pixel(x, y), hidden.Canvas().Pixel(x, y)) << x << "," << y;
}

TEST_F(HeaderDragTest, HoverFollowsThePointerAndTheHorizontalScrollPosition) {
  tree.Header().SetOptions(tree.Header().Options() | hoHotTrack);
  TNodeTreeColumns& columns = tree.Header().Columns();
  Send(WM_NCMOUSEMOVE, 70, 10);
  EXPECT_EQ(columns.HoverIndex, 1);
  Send(WM_NCMOUSEMOVE, 250, 10);  // right of the last column
  EXPECT_EQ(columns.HoverIndex, -1);
  Send(WM_NCMOUSEMOVE, 10, 10);
  EXPECT_EQ(columns.HoverIndex, 0);
  tree.Perform(WM_NCMOUSELEAVE, 0, 0);
  EXPECT_EQ(columns.HoverIndex, -1);
  // Scrolled right by 100 pixels, the header's x 10 lies in the second of three wide columns.
  for (int32_t i = 0; i < 3; ++i) columns.Column(i)->SetWidth(150);
  tree.SetOffsetX(-100);
  ASSERT_EQ(tree.OffsetX(), -100);
  Send(WM_NCMOUSEMOVE, 60, 10);
  EXPECT_EQ(columns.HoverIndex, 1);
  Drag(60, {-50});  // column x 50: the left half of the first column
  EXPECT_EQ(Order(), (std::vector<int32_t>{1, 0, 2}));
}

TEST_F(HeaderDragTest, OwnerDrawnCellsAreToldWhereTheDropMarkGoes) {
  std::map<int32_t, TVTDropMarkMode> marks;
  tree.OnHeaderDraw = [&](TNodeTree*, TCanvas&, TNodeTreeColumn* column, const TRect&, bool, bool,
                          TVTDropMarkMode dropMark) { marks[column->Index()] = dropMark; };
  tree.Header().SetOptions(tree.Header().Options() | hoOwnerDraw);
  Send(WM_NCLBUTTONDOWN, 130, 10);
  Send(WM_NCMOUSEMOVE, 20, 10);
  TBitmap bitmap;
  PaintHeader(bitmap);
  EXPECT_EQ(marks, (std::map<int32_t, TVTDropMarkMode>{{0, dmmLeft}, {1, dmmNone}, {2, dmmNone}}));
  Send(WM_NCMOUSEMOVE, 40, 10);  // right half of the first column: the dragged one lands second
  PaintHeader(bitmap);
  EXPECT_EQ(marks[0], dmmRight);
  Send(WM_NCLBUTTONUP, 40, 10);
  EXPECT_EQ(Order(), (std::vector<int32_t>{0, 2, 1}));
  PaintHeader(bitmap);
  EXPECT_EQ(marks[0], dmmNone);  // no drag, no mark
}

/// Shows a tree with a visible header in a form, compares the band with what the header paints,
/// then drags the second column in front of the first with real mouse input on the band.
void ShowHeaderInWindowAndDragAColumn() {
  TForm form;
  form.SetBounds(0, 0, 320, 170);
  auto* shown = new TNodeTree(&form);
  shown->SetParent(&form);
  shown->SetBounds(0, 0, 300, 150);
  for (int32_t i = 0; i < 2; ++i) shown->Header().Columns().Add()->SetWidth(80);
  shown->Header().SetHeight(20);
  shown->Header().SetStyle(3);
  shown->Header().SetOptions(shown->Header().Options() | hoVisible);
  form.Show();
  ASSERT_TRUE(guitest::PumpUntil([&] { return shown->HandleAllocated(); }));
  QWidget* outer = guitest::Widget(*shown)->parentWidget();
  QTest::qWait(xcbtest::UnderXServer() ? 200 : 0);
  guitest::Pump();
  const QImage grabbed = outer->grab().toImage();
  TBitmap expected;
  expected.SetPixelFormat(pf24bit);
  expected.SetSize(300, 20);
  shown->Header().Columns().PaintHeader(expected.Canvas(), Rect(0, 0, 300, 20), 0);
  for (int32_t y = 0; y < 20; y += 3)
    for (int32_t x = 0; x < 300; x += 7) {
      const QColor c = grabbed.pixelColor(x, y);
      ASSERT_EQ(static_cast<TColor>(c.red() | c.green() << 8 | c.blue() << 16), expected.Canvas().Pixel(x, y))
          << x << "," << y;
    }
  // Real mouse input on the band drags the second column in front of the first.
  QTest::mousePress(outer, Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
  QTest::mouseMove(outer, QPoint(60, 10));
  QTest::mouseMove(outer, QPoint(20, 10));
  QTest::mouseRelease(outer, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
  EXPECT_EQ(shown->Header().Columns().PositionToIndex(), (std::vector<int32_t>{1, 0}));
}

TEST(HeaderWindowTest, WindowShowsTheHeaderInItsBandAndRoutesTheMouseToIt) {
  ShowHeaderInWindowAndDragAColumn();
}

TEST(HeaderWindowTest, RealWindowShowsTheHeaderInItsBand) {
  ZUK_RUN_UNDER_XSERVER("HeaderWindowTest.RealWindowShowsTheHeaderInItsBand");
  ShowHeaderInWindowAndDragAColumn();
}

}  // namespace
