// The viewer reads RTF through the reading options the RTF library installs: made on first
// use, assigned and freed through the property, and used by the viewer's load and insert.
#include <gtest/gtest.h>

#include "RTFTestSupport.h"
#include "richtext/viewer/RVViewer.h"
#include "richtext/viewer/ViewerTestSupport.h"

namespace {

class RTFViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    viewertest::App();
    style.TextStyles().Clear();
    style.TextStyles().AddStyle();
    style.ParaStyles().Clear();
    style.ParaStyles().AddStyle();
    viewer.SetStyle(&style);
  }
  TRVStyle style;
  TRVViewer viewer;
};

TEST_F(RTFViewerTest, ReadingOptionsAreMadeOnFirstUseAndAssigned) {
  EXPECT_FALSE(viewer.HasRTFReadProperties());
  auto* props = dynamic_cast<TRVRTFReaderProperties*>(viewer.GetRTFReadProperties());
  ASSERT_NE(props, nullptr);
  EXPECT_TRUE(viewer.HasRTFReadProperties());
  TRVRTFReaderProperties other;
  other.TextStyleMode = rvrsAddIfNeeded;
  other.SetParaStyleNo(2);
  viewer.SetRTFReadProperties(&other);
  EXPECT_EQ(props->TextStyleMode, rvrsAddIfNeeded);
  EXPECT_EQ(props->ParaStyleNo(), 2);
  viewer.SetRTFReadProperties(nullptr);
  EXPECT_FALSE(viewer.HasRTFReadProperties());
}

TEST_F(RTFViewerTest, LoadAndInsertRTF) {
  TMemoryStream first(std::string("{\\rtf1 one\\par two}"));
  ASSERT_TRUE(viewer.LoadRTFFromStream(first));
  EXPECT_EQ(rtfimport::Outline(viewer.RVData()), "Ps0/p0:one | Ps0/p0:two");
  TMemoryStream middle(std::string("{\\rtf1 mid}"));
  ASSERT_TRUE(viewer.InsertRTFFromStream(middle, 1));
  EXPECT_EQ(rtfimport::Outline(viewer.RVData()), "Ps0/p0:one | Ps0/p0:mid | Ps0/p0:two");
  TMemoryStream broken(std::string("{\\rtf1 open"));
  EXPECT_FALSE(viewer.LoadRTFFromStream(broken));
  EXPECT_EQ(rtfimport::Outline(viewer.RVData()), "Ps0/p0:open") << "what was read stays";
  EXPECT_FALSE(viewer.LoadRTF("/nonexistent/file.rtf"));
}

}  // namespace
