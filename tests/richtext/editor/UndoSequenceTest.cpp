// Long random runs of edits, several primitives to a group: undoing every group walks back
// through exactly the documents that were seen, and redoing walks forward again.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "richtext/editor/EditorTestSupport.h"

namespace {

using editortest::Checkpoint;
using editortest::DumpItems;
using editortest::TEditorFixture;

class TRandomEditor {
 public:
  TRandomEditor(TRVEditRVData& AData, unsigned Seed) : d(AData), random(Seed) {}

  /// One primitive with arguments that suit the document as it is.
  void EditOnce() {
    const int count = d.GetItemCount();
    const int i = Pick(0, count - 1);
    bool full = false;
    switch (Pick(0, 13)) {
      case 0:
        d.Do_ChangeText(i, Word());
        break;
      case 1: {
        const int length = static_cast<int>(d.GetItemText(i).size());
        d.Do_InsertSubstring(i, Pick(1, length + 1), Word());
        break;
      }
      case 2: {
        const int length = static_cast<int>(d.GetItemText(i).size());
        if (length > 0) d.Do_DeleteSubstring(i, Pick(1, length), Pick(-1, length));
        break;
      }
      case 3:
        if (count > 1) d.Do_DeleteItem(i, full);
        break;
      case 4: {
        const int last = Pick(i, count - 1);
        if (last - i + 1 < count) d.Do_DeleteItems(i, last, full);
        break;
      }
      case 5: {
        std::unique_ptr<TCustomRVItemInfo> item = RVGetTextItemClass()->Create(&d);
        item->StyleNo = Pick(2, 3);
        item->ParaNo = Pick(0, 2);
        item->ItemOptions = static_cast<TRVItemOptions>(Pick(0, 2) == 0 ? 0 : rvioJoinsPrevious);
        if (Pick(0, 3) == 0) item->Checkpoint = Checkpoint(Word());
        std::string text = Word();
        d.Do_InsertItem(Pick(0, count), text, std::move(item), false, full);
        break;
      }
      case 6:
        d.Do_NewLine(i, Pick(0, 1) == 1, Pick(-1, 2), full);
        break;
      case 7:
        d.Do_BR(i, Pick(0, 1) == 1, full);
        break;
      case 8:
        d.Do_PageBreak(i, Pick(0, 1) == 1);
        break;
      case 9:
        d.Do_ParaList(i, Pick(i, count - 1), full, Pick(0, 2));
        break;
      case 10:
        d.Do_StyleNo(i, Pick(2, 4));
        break;
      case 11:
        d.Do_Tag(i, TRVTag{Pick(0, 3), {}}, false);
        break;
      case 12:
        if (d.GetItemCheckpoint(i) == nullptr) d.Do_AddCP(i, Checkpoint(Word()));
        break;
      default:
        if (d.GetItemCheckpoint(i) != nullptr) d.Do_DeleteCP(i);
        break;
    }
    KeepParagraphsOfOneStyle();
  }

  /// The callers of the primitives keep one paragraph style to a paragraph, through the
  /// primitives; so does this editor.
  void KeepParagraphsOfOneStyle() {
    bool full = false;
    for (int i = 1; i < d.GetItemCount(); ++i)
      if (!d.StartsParagraph(i) && d.GetItemParaNo(i) != d.GetItemParaNo(i - 1))
        d.Do_ParaList(i, i, full, d.GetItemParaNo(i - 1));
  }

 private:
  int Pick(int Low, int High) { return std::uniform_int_distribution<int>(Low, High)(random); }
  std::string Word() {
    return std::string(static_cast<size_t>(Pick(0, 4)), static_cast<char>('a' + Pick(0, 25)));
  }

  TRVEditRVData& d;
  std::mt19937 random;
};

TEST(UndoSequenceTest, UndoAndRedoWalkThroughTheSameDocuments) {
  for (unsigned seed = 1; seed <= 60; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    TEditorFixture f;
    f.AddText("one", 2, 0);
    f.AddText("two", 3, 0, rvioJoinsPrevious);
    f.AddText("three", 2, 1);
    TRVEditRVData& d = f.Data();
    TRandomEditor editor(d, seed);
    std::vector<std::string> seen{DumpItems(d)};
    for (int group = 0; group < 25; ++group) {
      d.BeginUndoSequence(rvutMiscTyping, false);
      for (int n = seed % 3; n < 3; ++n) editor.EditOnce();
      d.UndoList->DeleteEmptyLastGroup();
      // A group that recorded nothing is gone; one that did is one step back (some records
      // change nothing visible, such as a page break taken off an item that has none).
      if (d.UndoList->Count() + 1 > static_cast<int>(seen.size())) seen.push_back(DumpItems(d));
      ASSERT_EQ(DumpItems(d), seen.back());
    }
    for (size_t k = seen.size() - 1; k > 0; --k) {
      d.UndoList->Undo(&d);
      ASSERT_EQ(DumpItems(d), seen[k - 1]) << "undo step " << seen.size() - k;
    }
    EXPECT_EQ(d.UndoList->Count(), 0);
    for (size_t k = 1; k < seen.size(); ++k) {
      d.RedoList->Redo(&d);
      ASSERT_EQ(DumpItems(d), seen[k]) << "redo step " << k;
    }
    EXPECT_EQ(d.RedoList->Count(), 0);
  }
}

}  // namespace
