// The start-up calls register every class the program re-creates from files: graphic
// classes by name (also in the class registry that component streams use) and item classes
// by style number. This program refers to the libraries only through their public entry
// points and the start-up calls its main makes, so a class that relied on a static
// initialiser the linker dropped would be missing here.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/core/Classes.h"
#include "platform/graphics/Graphic.h"
#include "richtext/core/RVItem.h"

namespace {

TEST(Registration, EveryGraphicClassIsKnownByName) {
  for (const std::string name : {"TBitmap", "TIcon", "TMetafile", "TJPEGImage", "TGIFImage"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(IsGraphicClassRegistered(name));
    std::unique_ptr<TGraphic> graphic = CreateGraphic(name);
    ASSERT_NE(graphic, nullptr);
    EXPECT_EQ(graphic->ClassName(), name);
    EXPECT_NE(GetClass(name), nullptr);
  }
}

TEST(Registration, ComponentClassesAreKnownByName) {
  EXPECT_NE(GetClass("TRVViewer"), nullptr);
}

TEST(Registration, EveryBuiltInItemKindIsMadeByStyleNumber) {
  const struct {
    TRVItemStyleNo StyleNo;
    const char* ClassName;
  } kinds[] = {
      {0, "TRVTextItemInfo"},
      {rvsBreak, "TRVBreakItemInfo"},
      {rvsPicture, "TRVGraphicItemInfo"},
      {rvsHotPicture, "TRVHotGraphicItemInfo"},
      {rvsBullet, "TRVBulletItemInfo"},
      {rvsHotspot, "TRVHotspotItemInfo"},
      {rvsComponent, "TRVControlItemInfo"},
      {rvsListMarker, "TRVMarkerItemInfo"},
  };
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.ClassName);
    std::unique_ptr<TCustomRVItemInfo> item = RVCreateItemByStyleNo(kind.StyleNo, nullptr);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ClassName(), kind.ClassName);
    EXPECT_EQ(item->StyleNo, kind.StyleNo);
  }
}

}  // namespace
