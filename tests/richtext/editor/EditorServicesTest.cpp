// Services of the editor's document data that need no caret: protection of items and
// paragraphs, sticking items, the styles the editor keeps in use, renumbering after unused
// styles are deleted, and positions on list markers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Streams.h"
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
  Editor.Format();
  Data().CurTextStyleNo = textCount - 1;
  Editor.InsertText("y");
  ASSERT_NE(Editor.UndoAction(), rvutNone);
  Data().CurTextStyleNo = textCount - 2;
  Data().CurParaStyleNo = paraCount - 2;
  Data().LastTextStyleNo = textCount - 2;
  const int32_t curSize = Sheet.TextStyles().Items(textCount - 2)->Size;
  const int32_t curSpace = Sheet.ParaStyles().Items(paraCount - 2)->SpaceBefore;
  std::vector<std::string> events;
  Editor.OnCurTextStyleChanged = [&](TObject*) { events.push_back("text"); };
  Editor.OnCurParaStyleChanged = [&](TObject*) { events.push_back("para"); };

  RVDeleteUnusedStyles(Data(), true, true, false);

  EXPECT_EQ(Sheet.TextStyles().Items(Data().CurTextStyleNo)->Size, curSize) << "the same style as before";
  EXPECT_EQ(Sheet.TextStyles().Items(Data().LastTextStyleNo)->Size, curSize);
  EXPECT_EQ(Sheet.ParaStyles().Items(Data().CurParaStyleNo)->SpaceBefore, curSpace);
  EXPECT_LT(Sheet.TextStyles().Count(), textCount) << "unused styles did go";
  EXPECT_EQ(Editor.UndoAction(), rvutNone) << "the records held the old numbers";
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

namespace {

/// A formatted editor with a list paragraph, a picture and a hyperlink.
class EditorDocumentServicesTest : public ::testing::Test, protected TEditorFixture {
 protected:
  void SetUp() override {
    Sheet.ListStyles().AddStyle()->Levels().AddLevel()->ListType = rvlstDecimal;
    TFontInfo* link = Sheet.TextStyles().AddStyle();
    link->Jump = true;
    linkStyle = Sheet.TextStyles().Count() - 1;
    TParaInfo* other = Sheet.ParaStyles().AddStyle();
    other->SpaceBefore = 7;
    otherPara = Sheet.ParaStyles().Count() - 1;
    Editor.SetBounds(0, 0, 300, 200);
    // A marker with its text and a picture, then a hyperlink in a paragraph of its own.
    Data().AddItem("", TRVMarkerItemInfo::CreateForList(&Data(), 0, 0, 1, false));
    Data().AddMarkerToList(0);  // as reading a document lists its markers
    Editor.AddTextLineWithTag(u"listed", 0, 0, 0);
    Data().GetItem(Editor.GetItemCount() - 1)->SetSameAsPrev(true);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(30, 10);
    Data().AddPictureItem("pic", std::move(bitmap), 0, 0, TRVTag());
    picture = Editor.GetItemCount() - 1;
    Data().GetItem(picture)->SetSameAsPrev(true);
    Editor.AddTextLineWithTag(u"go", linkStyle, 0, 0);
    Editor.Format();
  }
  int linkStyle = 0;
  int otherPara = 0;
  int picture = 0;  // the picture's item
};

TEST_F(EditorDocumentServicesTest, MarkerCopyContinuesTheNumbering) {
  const int at = picture + 1;
  ASSERT_TRUE(Data().InsertMarkerCopy(picture, at));
  ASSERT_EQ(Data().GetItemStyleNo(at), rvsListMarker);
  const auto* copy = static_cast<const TRVMarkerItemInfo*>(Data().GetItem(at));
  EXPECT_FALSE(copy->Reset);
  EXPECT_EQ(copy->ListNo, 0);
  EXPECT_TRUE(Data().StartsParagraph(at));
  ASSERT_NE(Data().GetMarkers(false), nullptr);
  EXPECT_EQ(Data().GetMarkers(false)->Count(), 2);
  EXPECT_EQ(copy->Counter, 2);
  EXPECT_FALSE(Data().InsertMarkerCopy(Editor.GetItemCount() - 1, Editor.GetItemCount()))
      << "the hyperlink's paragraph has no marker";
}

TEST_F(EditorDocumentServicesTest, RecordedMarkerCopyGoesWithUndo) {
  const int count = Editor.GetItemCount();
  Data().BeginUndoSequence(rvutInsert, true);
  ASSERT_TRUE(Data().InsertMarkerCopy(picture, picture + 1));
  Data().UpdateMarkersAfterChange(picture + 1, picture + 1);
  Editor.Change(true);
  ASSERT_EQ(Editor.GetItemCount(), count + 1);
  Editor.Undo();
  EXPECT_EQ(Editor.GetItemCount(), count);
  EXPECT_EQ(Data().GetMarkers(false)->Count(), 1);
}

TEST_F(EditorDocumentServicesTest, ItemPropertyChangeIsUndoable) {
  Editor.SetItemExtraIntProperty(picture, rvipImageWidth, true, 80);
  int32_t width = 0;
  ASSERT_TRUE(Data().GetItemIntProperty(picture, rvipImageWidth, width));
  EXPECT_EQ(width, 80);
  EXPECT_EQ(Editor.UndoAction(), rvutModifyItem);
  EXPECT_EQ(Data().DrawItems()[Data().GetFirstDrawItemOfItem(picture)]->Width, 82) << "laid out again";
  Editor.Undo();
  ASSERT_TRUE(Data().GetItemIntProperty(picture, rvipImageWidth, width));
  EXPECT_EQ(width, 0);
  Editor.ClearUndo();
  Editor.SetItemExtraIntProperty(picture, rvipImageWidth, true, 0);
  EXPECT_EQ(Editor.UndoAction(), rvutNone) << "an equal value changes nothing";
}

TEST_F(EditorDocumentServicesTest, ParagraphStyleGoesToTheSelectedParagraphs) {
  Editor.SetSelectionBounds(picture - 1, 2, picture - 1, 3);
  Editor.ApplyParaStyle(otherPara);
  for (int i = 0; i <= picture; ++i) EXPECT_EQ(Data().GetItemParaNo(i), otherPara) << i;
  EXPECT_EQ(Data().GetItemParaNo(picture + 1), 0) << "the next paragraph keeps its style";
  EXPECT_EQ(Editor.UndoAction(), rvutPara);
  Editor.Undo();
  for (int i = 0; i < Editor.GetItemCount(); ++i) EXPECT_EQ(Data().GetItemParaNo(i), 0) << i;
  Editor.SetReadOnly(true);
  Editor.ApplyParaStyle(otherPara);
  EXPECT_EQ(Data().GetItemParaNo(0), 0);
}

TEST_F(EditorDocumentServicesTest, HyperlinksAreSavedAsTheViewerSavesThem) {
  const auto url = [](TCustomRVViewer*, int32_t Id, std::string& Url) {
    Url = "http://example.com/" + std::to_string(Id);
  };
  Editor.OnURLNeeded = url;
  TRVViewer viewer;
  viewer.SetStyle(&Sheet);
  viewer.OnURLNeeded = url;
  TMemoryStream rvf;
  ASSERT_TRUE(Editor.SaveRVFToStream(rvf, false));
  rvf.SetPosition(0);
  ASSERT_TRUE(viewer.LoadRVFFromStream(rvf));
  viewer.Format();
  // Each writes its picture into a folder of its own, so both name it alike.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("editor-html-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder / "editor");
  std::filesystem::create_directories(folder / "viewer");
  TMemoryStream fromEditor, fromViewer;
  ASSERT_TRUE(Editor.SaveHTMLToStream(fromEditor, (folder / "editor").string() + "/", "t", "img", 0));
  ASSERT_TRUE(viewer.SaveHTMLToStream(fromViewer, (folder / "viewer").string() + "/", "t", "img", 0));
  std::filesystem::remove_all(folder);
  EXPECT_NE(fromEditor.DataString().find("http://example.com/0"), std::string::npos);
  EXPECT_EQ(fromEditor.DataString(), fromViewer.DataString());
  EXPECT_FALSE(Data().GetReadOnlyMode()) << "editing goes on without live hyperlinks";
}

}  // namespace
