// The process-wide graphic hooks on the RTF road: the reader makes its pictures through the
// document's graphic factory, and every picture it imports passes the imported-graphic filter,
// whose answer is what the document keeps.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "RTFTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "richtext/core/RVGraphicFuncs.h"

using namespace rtfimport;

namespace {

class RTFGraphicHooksTest : public ::testing::Test {
 protected:
  void SetUp() override { SetACP(1252); }
  void TearDown() override {
    RVGraphicFactory() = factory_;
    RVImportedGraphicFilter() = filter_;
  }
  TDoc doc;

 private:
  TRVGraphicFactoryProc factory_ = RVGraphicFactory();
  TRVImportedGraphicFilterProc filter_ = RVImportedGraphicFilter();
};

TEST_F(RTFGraphicHooksTest, ImportedPicturesAreMadeByTheFactoryAndTheFilterChoosesWhatStays) {
  std::vector<std::string> made;
  RVGraphicFactory() = [&made](std::string_view className) {
    made.emplace_back(className);
    return CreateGraphic(className);
  };
  std::vector<std::string> filtered;
  RVImportedGraphicFilter() = [&filtered](std::unique_ptr<TGraphic> graphic) -> std::unique_ptr<TGraphic> {
    filtered.push_back(graphic->ClassName() + " " + std::to_string(graphic->Width()) + "x" +
                       std::to_string(graphic->Height()));
    auto replacement = std::make_unique<TBitmap>();
    replacement->SetSize(5, 4);
    return replacement;
  };
  const std::string dib =
      "{\\pict\\dibitmap0\\picw2\\pich1 "
      "280000000200000001000000010018000000000008000000"
      "00000000000000000000000000000000FF00000000FF0000}";
  ASSERT_EQ(doc.Read("{\\rtf1 a" + dib + "{\\pict\\pngblip " + kGreenDotPngHex + "}}"), 0);
  EXPECT_EQ(made, (std::vector<std::string>{"TBitmap", "TBitmap"}));
  EXPECT_EQ(filtered, (std::vector<std::string>{"TBitmap 2x1", "TBitmap 3x2"}));
  EXPECT_EQ(Outline(doc), "Ps0/p0:a | G5x4 | G5x4");
}

}  // namespace
