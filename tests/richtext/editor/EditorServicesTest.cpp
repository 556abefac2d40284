// Services of the editor's document data that need no caret: protection of items and
// paragraphs, sticking items, the styles the editor keeps in use, renumbering after unused
// styles are deleted, and positions on list markers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNestedData.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/editor/EditorTestSupport.h"

namespace {

using editortest::TEditorFixture;

class EditorServicesTest : public ::testing::Test, protected TEditorFixture {
 protected:
  /// Text style n (made as needed) with the protection given.
  void Protect(int StyleNo, TRVProtectOptions Options) {
    while (Sheet.TextStyles().Count() <= StyleNo) Sheet.TextStyles().AddStyle();
    Sheet.TextStyles().Items(StyleNo)->Protection = Options;
  }
  void AddPicture() {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(10, 10);
    Editor.AddPicture("pic", std::move(bitmap), 0, 0);
  }
};

TEST_F(EditorServicesTest, TextItemsAreProtectedByTheirStyle) {
  Protect(1, rvprModifyProtect | rvprSticking);
  Editor.AddTextLineWithTag(u"free", 0, 0, 0);
  Editor.AddTextLineWithTag(u"locked", 1, 0, 0);
  EXPECT_FALSE(Data().IsItemProtected(0, rvprModifyProtect));
  EXPECT_TRUE(Data().IsItemProtected(1, rvprModifyProtect));
  EXPECT_TRUE(Data().IsItemProtected(1, rvprSticking));
  EXPECT_FALSE(Data().IsItemProtected(1, rvprDeleteProtect));
  EXPECT_FALSE(Data().IsItemProtected(5, rvprModifyProtect)) << "no such item";
}

TEST_F(EditorServicesTest, NonTextItemsKnowOnlyDeletionProtection) {
  AddPicture();
  auto* picture = static_cast<TRVGraphicItemInfo*>(Data().GetItem(0));
  EXPECT_FALSE(Data().IsItemProtected(0, rvprDeleteProtect));
  picture->DeleteProtect = true;
  EXPECT_TRUE(Data().IsItemProtected(0, rvprDeleteProtect));
  EXPECT_FALSE(Data().IsItemProtected(0, rvprModifyProtect));
  EXPECT_FALSE(Data().IsItemProtected(0, rvprSticking));
}

TEST_F(EditorServicesTest, ParagraphProtectionComesFromTheParagraphStyle) {
  TParaInfo* readOnly = Sheet.ParaStyles().AddStyle();
  readOnly->Options = rvpaoReadOnly;
  const int32_t paraNo = Sheet.ParaStyles().Count() - 1;
  EXPECT_TRUE(Data().IsParaProtected(paraNo, rvpaoReadOnly));
  EXPECT_FALSE(Data().IsParaProtected(paraNo, rvpaoNoWrap));
  EXPECT_FALSE(Data().IsParaProtected(0, rvpaoReadOnly));
  EXPECT_FALSE(Data().IsParaProtected(paraNo + 1, rvpaoReadOnly));
}

TEST_F(EditorServicesTest, PositionBetweenTwoStickingItemsSticks) {
  Protect(1, rvprSticking);
  Editor.AddTextLineWithTag(u"a", 1, 0, 0);
  Editor.AddTextLineWithTag(u"b", 1, 0, 0);
  Editor.AddTextLineWithTag(u"c", 0, 0, 0);
  EXPECT_TRUE(Data().IsSticking(1, true));
  EXPECT_FALSE(Data().IsSticking(2, true)) << "only one neighbour sticks";
  EXPECT_TRUE(Data().IsSticking(0, true)) << "at the start the first item is asked";
  EXPECT_FALSE(Data().IsSticking(3, true)) << "at the end the last item is asked";
}

TEST_F(EditorServicesTest, CurrentStylesSurviveDeletingUnusedStyles) {
  for (int i = 1; i <= 4; ++i) Sheet.TextStyles().AddStyle()->Size = 10 + i;
  for (int i = 1; i <= 3; ++i) Sheet.ParaStyles().AddStyle()->SpaceBefore = i;
  const int textCount = Sheet.TextStyles().Count();
  const int paraCount = Sheet.ParaStyles().Count();
  // Only the last text style and the last paragraph style are used by an item; the
  // current styles are the one before each.
  Editor.AddTextLineWithTag(u"x", textCount - 1, paraCount - 1, 0);
  Data().CurTextStyleNo = textCount - 2;
  Data().CurParaStyleNo = paraCount - 2;
  Data().LastTextStyleNo = textCount - 2;
  const int32_t curSize = Sheet.TextStyles().Items(textCount - 2)->Size;
  const int32_t curSpace = Sheet.ParaStyles().Items(paraCount - 2)->SpaceBefore;
  std::vector<std::string> events;
  Editor.OnCurTextStyleChanged = [&](TObject*) { events.push_back("text"); };
  Editor.OnCurParaStyleChanged = [&](TObject*) { events.push_back("para"); };

  const TRVStyleRenumbering maps = RVDeleteUnusedStyles(Data(), true, true, false);
  Data().AfterDeleteStyles(maps.TextStylesMap, maps.ParaStylesMap);

  EXPECT_EQ(Sheet.TextStyles().Items(Data().CurTextStyleNo)->Size, curSize) << "the same style as before";
  EXPECT_EQ(Sheet.TextStyles().Items(Data().LastTextStyleNo)->Size, curSize);
  EXPECT_EQ(Sheet.ParaStyles().Items(Data().CurParaStyleNo)->SpaceBefore, curSpace);
  EXPECT_LT(Sheet.TextStyles().Count(), textCount) << "unused styles did go";
  EXPECT_EQ(events, (std::vector<std::string>{"text", "para"}));
}

TEST_F(EditorServicesTest, PositionOnAListMarkerMovesToTheNextItem) {
  Sheet.ListStyles().AddStyle();
  Editor.AddTextLineWithTag(u"before", 0, 0, 0);
  Data().AddItem("", TRVMarkerItemInfo::CreateForList(&Data(), 0, 0, 1, false));
  Editor.AddTextLineWithTag(u"after", 0, 0, 0);
  Data().GetItem(2)->SetSameAsPrev(true);
  int itemNo = 1, offs = 0;
  Data().AdjustPosPastMarker(itemNo, offs, false);
  EXPECT_EQ(itemNo, 2);
  EXPECT_EQ(offs, 1);
  itemNo = 1;
  offs = 1;
  Data().AdjustPosPastMarker(itemNo, offs, true);
  EXPECT_EQ(itemNo, 0);
  EXPECT_EQ(offs, 7) << "the end of the item before";
  itemNo = 2;
  offs = 3;
  Data().AdjustPosPastMarker(itemNo, offs, true);
  EXPECT_EQ(itemNo, 2) << "not on a marker: unchanged";
  EXPECT_EQ(offs, 3);
}

}  // namespace
