#include <gtest/gtest.h>

#include "richtext/editor/EditorTestSupport.h"

namespace {

using editortest::TEditorFixture;

// Disabled until the caret placement it needs is built.
TEST(EditorDataTest, DISABLED_FormattingAnEmptyDocumentAddsOneEmptyTextItem) {
  TEditorFixture f;
  EXPECT_EQ(f.Data().CaretDrawItemNo, -1) << "no caret before the first formatting";
  f.Editor.Format();
  ASSERT_EQ(f.Editor.GetItemCount(), 1);
  EXPECT_TRUE(f.Data().GetItem(0)->IsTextItem());
  EXPECT_EQ(f.Data().GetItemText(0), "");
  EXPECT_EQ(f.Data().CaretDrawItemNo, 0);
  ASSERT_GE(f.Data().CaretOffs, 0);
  EXPECT_EQ(f.Data().CharPositions->Items(f.Data().CaretOffs)->Offset, 1);
}

}  // namespace
