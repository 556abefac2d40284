// The RTF reader makes its pictures through the graphic factory, and the document keeps what
// the imported-graphic filter answers for each.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
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
  ASSERT_EQ(doc.Read("{\\rtf1 a{\\pict\\pngblip " + kGreenDotPngHex + "}{\\pict\\jpegblip 00}}"), 0);
  // The JPEG cannot be read: the copy of the invalid picture that replaces it is made by the
  // factory too, and is not an imported picture.
  EXPECT_EQ(made, (std::vector<std::string>{"TBitmap", "TJPEGImage", "TBitmap"}));
  EXPECT_EQ(filtered, std::vector<std::string>{"TBitmap 3x2"});
  EXPECT_EQ(Outline(doc).substr(0, 17), "Ps0/p0:a | G5x4 |");
}

}  // namespace
