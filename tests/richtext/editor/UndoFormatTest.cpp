// Re-formatting after an undo: only the paragraphs around the change, unless the change
// removed what made the document as wide as it is.
#include <gtest/gtest.h>

#include <string>

#include "richtext/editor/EditorTestSupport.h"

namespace {

/// Editor data that formats without a caret and counts its full formattings.
class TCountingData : public TRVEditRVData {
 public:
  using TRVEditRVData::TRVEditRVData;
  void FormatLines(bool KeepPosition, bool Repaint, bool NoScrollRestore, int Depth, TCanvas* Canvas,
                   bool OnlyTail, bool LayoutFlag) override {
    ++FullFormats;
    TRVViewerRVData::FormatLines(KeepPosition, Repaint, NoScrollRestore, Depth, Canvas, OnlyTail, LayoutFlag);
    DocMinWidth = CalculateMinItemsWidth(0, GetItemCount() - 1);
  }
  int FullFormats = 0;
};

/// Each drawn piece belongs to an item that exists, in item order.
void ExpectDrawItemsMatchItems(TCountingData& d) {
  int previous = 0;
  for (int i = 0; i < d.DrawItems().Count(); ++i) {
    const int itemNo = d.DrawItems().GetItem(i)->ItemNo;
    ASSERT_LT(itemNo, d.GetItemCount());
    ASSERT_GE(itemNo, previous);
    previous = itemNo;
  }
  EXPECT_EQ(previous, d.GetItemCount() - 1);
}

/// Appends paragraphs with Texts as one group of inserted items, formatted in full.
void InsertParagraphs(TCountingData& d, std::initializer_list<const char*> Texts) {
  TRVItemList list;
  for (auto text = std::rbegin(Texts); text != std::rend(Texts); ++text) {
    std::unique_ptr<TCustomRVItemInfo> item = RVGetTextItemClass()->Create(&d);
    list.Add(*text, std::move(item));
  }
  d.BeginUndoSequence(rvutInsert, false);
  bool full = false;
  d.Do_ReinsertItems(d.GetItemCount(), list, full, false);
  d.Format(false);
}

/// A formatted document of two paragraphs, each as wide as its text.
struct TFormattedFixture {
  TFormattedFixture(const char* First, const char* Second) {
    Sheet.ParaStyles()[0].Options = rvpaoNoWrap;
    Viewer.SetStyle(&Sheet);
    Viewer.Data().AddTextItem(First, 0, 0);
    Viewer.Data().AddTextItem(Second, 0, 0);
    Viewer.Data().Format(false);
  }
  TRVStyle Sheet;
  editortest::TViewerOverEditData<TCountingData> Viewer;
};

TEST(UndoFormatTest, UndoingAnInsertionFormatsAroundItUnlessItWasTheWidest) {
  TFormattedFixture f("short", "wwwwwwwwwwwwwwwwwwwwwwwwwwwwww");
  TCountingData& d = f.Viewer.Data();
  const int32_t width = d.DocMinWidth;
  ASSERT_GT(width, 0);

  InsertParagraphs(d, {"a", "b"});
  const int formats = d.FullFormats;
  d.UndoList->Undo(&d);
  EXPECT_EQ(d.GetItemCount(), 2);
  EXPECT_EQ(d.FullFormats, formats) << "narrow paragraphs went: only their neighbourhood is formatted";
  ExpectDrawItemsMatchItems(d);

  InsertParagraphs(d, {"wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww"});
  ASSERT_GT(d.DocMinWidth, width);
  d.UndoList->Undo(&d);
  EXPECT_EQ(d.FullFormats, formats + 2) << "the widest paragraph went: everything is formatted";
  EXPECT_EQ(d.DocMinWidth, width);
  ExpectDrawItemsMatchItems(d);

  d.RedoList->Redo(&d);
  EXPECT_EQ(d.GetItemCount(), 3);
  ExpectDrawItemsMatchItems(d);
}

TEST(UndoFormatTest, UndoingATextChangeFormatsItsParagraph) {
  TFormattedFixture f("one", "two");
  TCountingData& d = f.Viewer.Data();
  const int formats = d.FullFormats;
  d.BeginUndoSequence(rvutInsert, false);
  d.Do_ChangeText(1, "three");
  d.UndoList->Undo(&d);
  EXPECT_EQ(d.FullFormats, formats);
  EXPECT_EQ(d.GetItemText(1), "two");
  ExpectDrawItemsMatchItems(d);
}

/// The caret as (item, offset).
std::pair<int, int> CaretOf(TRVEditRVData& d) {
  int itemNo = -1, offs = -1;
  d.GetCaretItemPos(itemNo, offs);
  return {itemNo, offs};
}

TEST(UndoFormatTest, TheCaretFollowsTypingUndoneAndRedone) {
  editortest::TEditorFixture f;
  f.Editor.SetBounds(0, 0, 400, 300);
  f.AddText("x", 0, 0);
  f.Editor.Format();
  TRVEditRVData& d = f.Data();
  d.PlaceCaretAtItem(0, 2, true);
  for (const char* c : {"a", "b", "c"}) d.TypeText(c);
  ASSERT_EQ(d.GetItemText(0), "xabc");
  ASSERT_EQ(CaretOf(d), std::make_pair(0, 5));
  f.Editor.Undo();
  EXPECT_EQ(d.GetItemText(0), "xab");
  EXPECT_EQ(CaretOf(d), std::make_pair(0, 4));
  f.Editor.Undo();
  f.Editor.Undo();
  EXPECT_EQ(d.GetItemText(0), "x");
  EXPECT_EQ(CaretOf(d), std::make_pair(0, 2));
  EXPECT_EQ(f.Editor.UndoAction(), rvutNone);
  f.Editor.Redo();
  EXPECT_EQ(d.GetItemText(0), "xa");
  EXPECT_EQ(CaretOf(d), std::make_pair(0, 3));
  f.Editor.Redo();
  f.Editor.Redo();
  EXPECT_EQ(d.GetItemText(0), "xabc");
  EXPECT_EQ(CaretOf(d), std::make_pair(0, 5));
  EXPECT_EQ(f.Editor.RedoAction(), rvutNone);
}

}  // namespace
