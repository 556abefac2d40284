// The undo-recording primitives: each change is undone and redone exactly (the document
// dumps alike), and the primitives' own rules (what they leave alone, what they pass on to
// the rest of a paragraph, when they refuse).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/core/TypInfo.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/editor/EditorTestSupport.h"

namespace {

using editortest::Checkpoint;
using editortest::DumpItems;
using editortest::TEditorFixture;

/// "\u00e9t\u00e9" as UTF-16 bytes.
const std::string kWide = std::string("\xe9\x00t\x00\xe9\x00", 6);

/// A document of two paragraphs with a line break, a checkpoint, a break item, a tagged
/// item and a UTF-16 item:
///   0 "hello" p0 | 1 "world" joins | 2 "line" line break | 3 "second" p1 cp A | 4 "more"
///   joins | 5 break p0 | 6 "tail" p2 page break, tag 7 | 7 UTF-16 joins
void BuildDocument(TEditorFixture& f) {
  f.AddText("hello", 0, 0);
  f.AddText("world", 0, 0, rvioJoinsPrevious);
  f.AddText("line", 0, 0, rvioLineBreak);
  f.AddText("second", 2, 1);
  f.AddText("more", 0, 1, rvioJoinsPrevious);
  f.AddOther(TRVBreakItemInfo::CreateEx(&f.Data(), 1, 0, clNone), 0);
  f.AddText("tail", 0, 2, rvioPageBreak)->Tag.Value = 7;
  f.AddText(kWide, 1, 2, rvioJoinsPrevious);
  f.Data().Do_AddCP(3, Checkpoint("A"));
}

/// An object with one published integer, standing for an item's sub-object.
class TProbe : public TPersistent {
  ZUK_PUBLISHED(TProbe)

 public:
  int32_t Size = 1;
  int32_t Depth = 2;
};

const TPropertyList& TProbe::ClassProperties() {
  using T = TProbe;
  static const TPropertyList list = TPropertyBuilder<T>(TPersistent::ClassProperties())
                                        .Integer("Size", &T::Size, &T::Size)
                                        .Integer("Depth", &T::Depth, &T::Depth)
                                        .Build();
  return list;
}

std::unique_ptr<TCustomRVItemInfo> NewText(TRVEditRVData& d, int StyleNo, int ParaNo) {
  std::unique_ptr<TCustomRVItemInfo> item = RVGetTextItemClass()->Create(&d);
  item->StyleNo = StyleNo;
  item->ParaNo = ParaNo;
  return item;
}

struct TEditCase {
  const char* Name;
  std::function<void(TRVEditRVData&)> Edit;
};

/// Each edit as one group: undo gives the document back, redo the edited one, and the two
/// alternate any number of times.
TEST(UndoPrimitivesTest, UndoAndRedoRestoreTheDocumentExactly) {
  const std::vector<TEditCase> cases = {
      {"delete an item that continues a line",
       [](TRVEditRVData& d) {
         bool f;
         d.Do_DeleteItem(1, f);
       }},
      {"delete an item with a checkpoint",
       [](TRVEditRVData& d) {
         bool f;
         d.Do_DeleteItem(3, f);
       }},
      {"delete a range with a checkpoint",
       [](TRVEditRVData& d) {
         bool f;
         d.Do_DeleteItems(1, 5, f);
       }},
      {"delete the whole document",
       [](TRVEditRVData& d) {
         bool f;
         d.Do_DeleteItems(0, 7, f);
       }},
      {"delete characters", [](TRVEditRVData& d) { d.Do_DeleteSubstring(0, 2, 3); }},
      {"delete a UTF-16 character", [](TRVEditRVData& d) { d.Do_DeleteSubstring(7, 2, 1); }},
      {"insert a paragraph start inside a paragraph",
       [](TRVEditRVData& d) {
         std::unique_ptr<TCustomRVItemInfo> item = NewText(d, 0, 2);
         std::string s = "new";
         bool f;
         d.Do_InsertItem(1, s, std::move(item), false, f);
       }},
      {"insert an item that brings a checkpoint",
       [](TRVEditRVData& d) {
         std::unique_ptr<TCustomRVItemInfo> item = NewText(d, 0, 0);
         item->SetSameAsPrev(true);
         item->Checkpoint = Checkpoint("B");
         std::string s = "cp";
         bool f;
         d.Do_InsertItem(5, s, std::move(item), false, f);
       }},
      {"insert characters", [](TRVEditRVData& d) { d.Do_InsertSubstring(0, 6, " there"); }},
      {"insert a UTF-16 character",
       [](TRVEditRVData& d) { d.Do_InsertSubstring(7, 1, std::string("x\x00", 2)); }},
      {"change a text", [](TRVEditRVData& d) { d.Do_ChangeText(6, "end"); }},
      {"join a paragraph to the one before",
       [](TRVEditRVData& d) {
         bool f;
         d.Do_NewLine(3, true, -1, f);
       }},
      {"start a paragraph in a new style",
       [](TRVEditRVData& d) {
         bool f;
         d.Do_NewLine(1, false, 2, f);
       }},
      {"add a line break",
       [](TRVEditRVData& d) {
         bool f;
         d.Do_BR(3, true, f);
       }},
      {"remove a line break",
       [](TRVEditRVData& d) {
         bool f;
         d.Do_BR(2, false, f);
       }},
      {"add a page break", [](TRVEditRVData& d) { d.Do_PageBreak(3, true); }},
      {"a page break in place of a line break", [](TRVEditRVData& d) { d.Do_PageBreak(2, true); }},
      {"a line break in place of a page break",
       [](TRVEditRVData& d) {
         bool f;
         d.Do_BR(6, true, f);
       }},
      {"give a range one paragraph style",
       [](TRVEditRVData& d) {
         bool f;
         d.Do_ParaList(3, 4, f, 2);
       }},
      {"give a range several paragraph styles",
       [](TRVEditRVData& d) {
         TRVIntegerList list;
         for (int32_t p : {1, 1, 1, 2, 2}) list.AddValue(p);
         bool f;
         d.Do_ParaNos(2, list, f);
       }},
      {"move text into a Unicode style", [](TRVEditRVData& d) { d.Do_StyleNo(0, 1); }},
      {"move UTF-16 text out of its style", [](TRVEditRVData& d) { d.Do_StyleNo(7, 0); }},
      {"change a tag",
       [](TRVEditRVData& d) {
         d.Do_Tag(6, TRVTag{5, {}}, false);
       }},
      {"add a checkpoint", [](TRVEditRVData& d) { d.Do_AddCP(0, Checkpoint("B")); }},
      {"add the end checkpoint", [](TRVEditRVData& d) { d.Do_AddCP(-1, Checkpoint("E")); }},
      {"delete a checkpoint", [](TRVEditRVData& d) { d.Do_DeleteCP(3); }},
      {"set an item's integer property",
       [](TRVEditRVData& d) { d.Do_ExtraIntProperty(5, rvipDeleteProtect, 1); }},
      {"split a text item as Enter does",
       [](TRVEditRVData& d) {
         d.Do_DeleteSubstring(3, 4, -1);
         std::unique_ptr<TCustomRVItemInfo> tail = TRVEditRVData::RV_CreateTextCopy(*d.GetItem(3), &d);
         tail->SetSameAsPrev(false);
         std::string s = "ond";
         bool f;
         d.Do_InsertItem(4, s, std::move(tail), false, f);
       }},
  };
  for (const TEditCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditorFixture f;
    BuildDocument(f);
    TRVEditRVData& d = f.Data();
    const std::string before = DumpItems(d);
    d.BeginUndoSequence(rvutDelete, false);
    c.Edit(d);
    const std::string after = DumpItems(d);
    ASSERT_NE(before, after) << "the edit changes the document";
    for (int round = 0; round < 2; ++round) {
      d.UndoList->Undo(&d);
      EXPECT_EQ(DumpItems(d), before);
      EXPECT_EQ(d.UndoList->Count(), 0) << "an undone group leaves the undo list";
      ASSERT_EQ(d.RedoList->Count(), 1);
      d.RedoList->Redo(&d);
      EXPECT_EQ(DumpItems(d), after);
      EXPECT_EQ(d.RedoList->Count(), 0);
      ASSERT_EQ(d.UndoList->Count(), 1);
    }
  }
}

TEST(UndoPrimitivesTest, PropertiesByNameAreUndoneThroughTheSamePath) {
  TEditorFixture f;
  BuildDocument(f);
  TRVEditRVData& d = f.Data();
  TProbe probe;
  d.BeginUndoSequence(rvutModifyItem, false);
  EXPECT_EQ(d.DoModifyItemIntProperty(0, &probe, RVUndoPropsClass<TRVUndoModifyItemIntProperty>, true, true,
                                      1, "Size"),
            nullptr)
      << "an unchanged value writes no record";
  TRVUndoModifyItemProps* record = d.DoModifyItemIntProperty(
      0, &probe, RVUndoPropsClass<TRVUndoModifyItemIntProperty>, true, false, 9, "Size");
  ASSERT_NE(record, nullptr);
  EXPECT_TRUE(record->AffectWidth);
  EXPECT_FALSE(record->AffectSize);
  EXPECT_EQ(probe.Size, 9);
  d.UndoList->Undo(&d);
  EXPECT_EQ(probe.Size, 1);
  d.RedoList->Redo(&d);
  EXPECT_EQ(probe.Size, 9);

  d.BeginUndoSequence(rvutModifyItem, false);
  EXPECT_NE(d.DoModifyItemIntProperties(0, &probe, RVUndoPropsClass<TRVUndoModifyItemIntProperties>, true,
                                        true, {{"Size", 9}, {"Depth", 4}}),
            nullptr);
  EXPECT_EQ(probe.Depth, 4);
  d.UndoList->Undo(&d);
  EXPECT_EQ(probe.Size, 9) << "the unchanged property was not kept";
  EXPECT_EQ(probe.Depth, 2);
  EXPECT_EQ(d.DoModifyItemIntProperties(0, &probe, RVUndoPropsClass<TRVUndoModifyItemIntProperties>, true,
                                        true, {{"Size", 9}}),
            nullptr)
      << "a record that keeps nothing is dropped";

  EXPECT_THROW(d.DoModifyItemIntProperty(0, &probe, RVUndoPropsClass<TRVUndoModifyItemIntProperty>, true,
                                         true, 3, "Width"),
               ERVError);
  EXPECT_THROW(d.DoModifyItemIntProperties(0, &probe, RVUndoPropsClass<TRVUndoModifyItemIntProperties>, true,
                                           true, {{"Size", 3}, {"Nothing", 1}}),
               ERVError);
  EXPECT_EQ(probe.Size, 9) << "a bad name is found before anything is written";
}

TEST(UndoPrimitivesTest, DeletingCharactersToTheEnd) {
  TEditorFixture f;
  f.AddText("abcde", 0, 0);
  TRVEditRVData& d = f.Data();
  d.BeginUndoSequence(rvutDelete, false);
  d.Do_DeleteSubstring(0, 6, -1);
  EXPECT_EQ(d.UndoList->Last()->Count(), 0) << "nothing after the last character: no record";
  d.Do_DeleteSubstring(0, 1, 0);
  EXPECT_EQ(d.UndoList->Last()->Count(), 0);
  d.Do_DeleteSubstring(0, 3, -1);
  EXPECT_EQ(d.GetItemText(0), "ab");
  d.Do_DeleteSubstring(0, 2, 50);
  EXPECT_EQ(d.GetItemText(0), "a") << "a count beyond the text stops at its end";
  EXPECT_EQ(d.UndoList->Last()->Count(), 2);
}

TEST(UndoPrimitivesTest, LineBreaksAndParagraphStarts) {
  TEditorFixture f;
  f.AddText("a", 0, 0);
  f.AddText("b", 0, 0, rvioJoinsPrevious);
  f.AddText("c", 0, 0, rvioLineBreak);
  f.AddText("d", 0, 1);
  f.AddText("e", 0, 1, rvioJoinsPrevious);
  TRVEditRVData& d = f.Data();
  d.BeginUndoSequence(rvutPara, false);
  bool full = false;
  d.Do_BR(1, true, full);
  EXPECT_EQ(d.UndoList->Last()->Count(), 0) << "an item that continues a line already has no paragraph start";
  EXPECT_TRUE(d.GetItem(1)->GetSameAsPrev());
  d.Do_BR(2, false, full);
  EXPECT_TRUE(d.StartsParagraph(2));

  // Joining "d" to the paragraph before gives it and "e" that paragraph's style.
  d.Do_NewLine(3, true, -1, full);
  EXPECT_TRUE(d.GetItem(3)->GetSameAsPrev());
  EXPECT_EQ(d.GetItemParaNo(3), 0);
  EXPECT_EQ(d.GetItemParaNo(4), 0);
  EXPECT_EQ(d.GetParaEndItemNo(2), 4);

  const size_t records = static_cast<size_t>(d.UndoList->Last()->Count());
  d.Do_NewLine(0, false, 1, full);
  EXPECT_EQ(static_cast<size_t>(d.UndoList->Last()->Count()), records) << "a paragraph start stays as it is";
}

TEST(UndoPrimitivesTest, PageBreakBeforeAListItemGoesOnItsMarker) {
  TEditorFixture f;
  f.AddText("a", 0, 0);
  auto markerItem = std::make_unique<TRVMarkerItemInfo>(&f.Data());
  markerItem->StyleNo = rvsListMarker;
  TCustomRVItemInfo* marker = f.AddOther(std::move(markerItem), 0);
  TCustomRVItemInfo* text = f.AddText("b", 0, 0, rvioJoinsPrevious);
  f.Data().BeginUndoSequence(rvutPara, false);
  f.Data().Do_PageBreak(2, true);
  EXPECT_TRUE(marker->GetPageBreakBefore());
  EXPECT_FALSE(text->GetPageBreakBefore());
  f.Data().UndoList->Undo(&f.Data());
  EXPECT_FALSE(marker->GetPageBreakBefore());
}

TEST(UndoPrimitivesTest, ProtectedParagraphsKeepTheirStyle) {
  TEditorFixture f;
  f.Sheet.ParaStyles()[1].Options = rvpaoStyleProtect;
  f.AddText("a", 0, 1);
  f.AddText("b", 0, 1, rvioJoinsPrevious);
  f.AddText("c", 0, 0);
  f.AddText("d", 0, 1);
  f.AddText("e", 0, 1, rvioJoinsPrevious);
  bool full = false;
  f.Data().SetParaNoRange(0, 4, full, 2);
  EXPECT_EQ(f.Data().GetItemParaNo(0), 1) << "a protected paragraph start keeps its style";
  EXPECT_EQ(f.Data().GetItemParaNo(1), 1);
  EXPECT_EQ(f.Data().GetItemParaNo(2), 2);
  // A protected item joined to an item that already has the new style follows it.
  f.Data().GetItem(3)->SetSameAsPrev(true);
  f.Data().SetParaNoRange(3, 4, full, 2);
  EXPECT_EQ(f.Data().GetItemParaNo(3), 2);
  EXPECT_EQ(f.Data().GetItemParaNo(4), 2);
}

TEST(UndoPrimitivesTest, ChangingBetweenUnicodeAndEightBitStylesKeepsTheBytes) {
  TEditorFixture f;
  f.AddText("ab", 0, 0);
  f.Data().Do_StyleNo(0, 1);
  EXPECT_TRUE(f.Data().GetItem(0)->IsTwoByteText());
  EXPECT_EQ(f.Data().GetItemText(0), "ab");
  f.Data().Do_StyleNo(0, 0);
  EXPECT_FALSE(f.Data().GetItem(0)->IsTwoByteText());
  TCustomRVItemInfo* line = f.AddOther(TRVBreakItemInfo::CreateEx(&f.Data(), 1, 0, clNone), 0);
  f.Data().Do_StyleNo(1, 2);
  EXPECT_EQ(line->StyleNo, rvsBreak) << "only text items take text styles";
}

TEST(UndoPrimitivesTest, WithoutRecordingEditsHappenAndNothingIsKept) {
  TEditorFixture f;
  BuildDocument(f);
  TRVEditRVData& d = f.Data();
  d.UndoList->SetLimit(0);
  d.BeginUndoSequence(rvutDelete, false);
  EXPECT_EQ(d.GetUndoList(), nullptr);
  bool full = false;
  d.Do_DeleteItem(3, full);  // the item and its checkpoint are freed at once
  d.Do_DeleteItems(0, 1, full);
  d.Do_InsertSubstring(0, 1, "x");
  d.Do_AddCP(-1, Checkpoint("E"));
  d.Do_DeleteCP(-1);
  EXPECT_EQ(d.GetItemCount(), 5);
  EXPECT_EQ(d.GetItemText(0), "xline");
  EXPECT_EQ(d.GetCheckpointCount(), 0);
  EXPECT_EQ(d.UndoList->Count(), 0);
  EXPECT_EQ(d.RedoList->Count(), 0);
}

TEST(UndoPrimitivesTest, RefusedChangesLeaveTheDocumentAlone) {
  TEditorFixture f;
  BuildDocument(f);
  TRVEditRVData& d = f.Data();
  d.BeginUndoSequence(rvutInsert, false);
  const std::string before = DumpItems(d);
  EXPECT_THROW(d.Do_AddCP(3, Checkpoint("again")), ERVError);
  EXPECT_THROW(d.Do_DeleteCP(0), ERVError);
  EXPECT_THROW(d.Do_DeleteCP(-1), ERVError);
  EXPECT_THROW(d.Do_InsertSubstring(5, 1, "x"), Exception) << "a break has no text";
  EXPECT_THROW(d.Do_InsertSubstring(8, 1, "x"), Exception);
  EXPECT_THROW(d.Do_InsertSubstring(0, 7, "x"), Exception);
  EXPECT_EQ(DumpItems(d), before);
  EXPECT_EQ(d.UndoList->Last()->Count(), 0);
}

}  // namespace
