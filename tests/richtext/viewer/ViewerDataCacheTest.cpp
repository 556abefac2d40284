// What the viewer keeps from its last pagination is dropped on request: the page-break marks
// the viewer drew are not drawn any more.
#include <gtest/gtest.h>

#include <string>

#include "platform/graphics/Bitmap.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/ViewerTestSupport.h"

namespace {

TEST(ViewerDataCacheTest, DiscardingTheCacheDropsTheSoftPageBreaks) {
  viewertest::App();
  TRVStyle style;
  TRVViewer viewer;
  viewer.SetStyle(&style);
  viewer.SetBounds(0, 0, 300, 200);
  for (int i = 0; i < 6; ++i) viewer.RVData().AddTextItem("line " + std::to_string(i), 0, 0);
  viewer.Options |= rvoShowPageBreaks;
  viewer.Format();
  int marks = 0;
  style.OnDrawPageBreak = [&](TRVStyle&, TCanvas&, int32_t, int32_t, TRVPageBreakType, TObject*, bool&) {
    ++marks;
  };
  auto paint = [&] {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(300, 200);
    viewer.RVData().Paint(bitmap.Canvas(), Rect(0, 0, 300, 200));
  };
  viewer.RVData().SoftPageBreaks = std::make_unique<TRVSoftPageBreakList>(TRVSoftPageBreakList{{3, 1, -1}});
  paint();
  ASSERT_EQ(marks, 1);
  viewer.DiscardDataCache();
  paint();
  EXPECT_EQ(marks, 1);
}

}  // namespace
