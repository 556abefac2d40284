#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "richtext/core/RVBack.h"
#include "richtext/core/RVFMisc.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/ViewerTestSupport.h"

using viewertest::App;

namespace {

class ViewerLifecycleTest : public ::testing::Test {
 protected:
  void SetUp() override { App(); }
};

TEST_F(ViewerLifecycleTest, DestroyingTheViewerTellsAboutItsItemsWhileItIsWhole) {
  TRVStyle sheet;
  std::vector<std::string> events;
  {
    TRVViewer viewer;
    viewer.SetStyle(&sheet);
    viewer.HandleNeeded();
    // Each handler asks the control about itself, as handlers do.
    const auto whole = [&](TCustomRVViewer* Sender) { return Sender->Style() == &sheet ? "" : " broken"; };
    viewer.OnSelect = [&](TCustomRVViewer*) { events.push_back("select"); };
    viewer.OnItemAction = [&](TCustomRVViewer* Sender, TRVItemAction Action, TCustomRVItemInfo*, std::string&,
                              TCustomRVData*) {
      if (Action == rviaDestroying) events.push_back(std::string("item") + whole(Sender));
    };
    viewer.OnControlAction = [&](TCustomRVViewer* Sender, TRVControlAction Action, int ItemNo, TControl*& ctrl) {
      if (Action == rvcaDestroy && ctrl != nullptr)
        events.push_back("control " + std::to_string(ItemNo) + whole(Sender));
    };
    viewer.AddTextLineWithTag(u"one", 0, 0, 0);
    viewer.AddItem("c", TRVControlItemInfo::CreateEx(&viewer.RVData(), std::make_unique<TControl>(), 0));
    viewer.SelectAll();
    events.clear();
  }
  EXPECT_EQ(events, (std::vector<std::string>{"item", "item", "control 1"})) << "no selection news";
}

TEST_F(ViewerLifecycleTest, InnerHoverIsReportedLeftWhenTheViewerGoes) {
  std::vector<int32_t> moves;
  viewertest::TViewerWith<TRVViewerRVData> inner;  // stands for a cell's document
  auto viewer = std::make_unique<TRVViewer>();
  viewer->OnRVMouseMove = [&](TCustomRVViewer*, int32_t id) { moves.push_back(id); };
  viewer->RVData().HoverSubData = &inner.RVData();
  viewer->RVData().ResetHover();
  EXPECT_EQ(moves, std::vector<int32_t>{-1}) << "leaving the hyperlink is reported";
  viewer->RVData().HoverSubData = &inner.RVData();
  viewer.reset();
  EXPECT_EQ(moves, (std::vector<int32_t>{-1, -1}));
}

TEST_F(ViewerLifecycleTest, FixedBackgroundPictureAsksForFullRedraws) {
  TRVViewer viewer;
  TBitmap picture;
  picture.SetSize(8, 8);
  viewer.SetBackgroundBitmap(&picture);
  EXPECT_EQ(viewer.BackgroundBitmap()->Width(), 8);
  viewer.SetBackgroundStyle(bsTiled);
  EXPECT_TRUE(viewer.FullRedraw);
  viewer.SetBackgroundStyle(bsTiledAndScrolled);
  EXPECT_FALSE(viewer.FullRedraw);
  viewer.SetBackgroundStyle(bsCentered);
  EXPECT_TRUE(viewer.FullRedraw);
  viewer.SetBackgroundStyle(bsNoBitmap);
  EXPECT_FALSE(viewer.FullRedraw);
  EXPECT_EQ(viewer.RVData().GetBackground(), &viewer.Background());
}

TEST_F(ViewerLifecycleTest, BackgroundRecordOfAPartChangesTheColour) {
  TRVStyle sheet;
  TCustomRVData source;
  source.SetRVStyle(&sheet);
  source.SetRVFOptions(source.GetRVFOptions() | rvfoSaveBack);
  source.AddTextItem("x", 0, 0);
  TRVBackground background(true);
  TMemoryStream stream;
  ASSERT_TRUE(source.SaveRVFToStream(stream, false, clYellow, &background, nullptr));
  TRVViewer viewer;
  viewer.SetStyle(&sheet);
  viewer.RVFOptions |= rvfoLoadBack;
  stream.SetPosition(0);
  ASSERT_TRUE(viewer.LoadRVFFromStream(stream));
  EXPECT_EQ(viewer.Color(), clYellow);
  EXPECT_EQ(viewer.GetColor(), clYellow);
}

TEST_F(ViewerLifecycleTest, DirectionChangeReformatsAndLayoutSetsIt) {
  TRVViewer viewer;
  TRVLayoutInfo layout;
  layout.LeftMargin = 1;
  layout.BiDiMode = rvbdRightToLeft;
  viewer.ApplyLayoutInfo(layout);
  EXPECT_EQ(viewer.BiDiMode(), rvbdRightToLeft);
  EXPECT_EQ(viewer.RVData().GetBiDiMode(), rvbdRightToLeft);
  EXPECT_EQ(viewer.LeftMargin, 1);
}

}  // namespace
