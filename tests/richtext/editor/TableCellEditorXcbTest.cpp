// The cell editor in a shown editor on a real X server (a private Xvfb through xvfb-run): a
// click in a cell opens the editor as a window over the cell that takes the keyboard focus,
// shows the cell's colour where the cell is, and typed characters land in the cell. Skips
// when xvfb-run is not installed.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/graphics/Bitmap.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messaging.h"
#include "platform/gui/WindowGrab.h"
#include "platform/gui/XcbTestSupport.h"
#include "richtext/editor/EditorTestSupport.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/editor/RVTableInplaceEdit.h"
#include "richtext/table/RVTableCell.h"

namespace {

void Pump() {
  for (int i = 0; i < 10; ++i) {
    editortest::App().ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

TEST(TableCellEditorXcbTest, AClickedCellTakesTheFocusAndTheTypedKeys) {
  ZUK_RUN_UNDER_XSERVER("TableCellEditorXcbTest.*");
  editortest::App();
  ASSERT_FALSE(TApplication::Headless());
  RVRegisterTableItemClass();
  RVRegisterTableEditing();
  TRVStyle sheet;
  TForm form;
  form.SetBounds(0, 0, 400, 300);
  auto* editor = new TRVEdit(&form);
  editor->SetParent(&form);
  editor->SetBounds(10, 10, 360, 250);
  editor->SetStyle(&sheet);
  editor->AddTextLineWithTag(u"before", 0, 0, 0);
  auto made = TRVTableItemInfo::CreateWithSize(1, 2, &editor->RVData());
  TRVTableItemInfo* table = made.get();
  for (int c = 0; c < 2; ++c) {
    table->GetCell(0, c)->Clear();
    table->GetCell(0, c)->AddTextItem(c == 0 ? "left" : "right", 0, 0);
  }
  table->GetCell(0, 1)->Color = clYellow;
  table->GetCell(0, 1)->BestHeight = 40;
  editor->AddItem("", std::move(made));
  form.Show();
  editor->Format();
  Pump();

  int32_t left = 0, top = 0;
  ASSERT_TRUE(editor->RVData().GetItemClientCoords(1, left, top));
  const TRVTableCellData& cell = *table->GetCell(0, 1);
  const int32_t x = left + cell.Left + cell.Width - 6, y = top + cell.Top + cell.Height - 6;
  editor->MouseDown(mbLeft, 0, x, y);
  TRVTableInplaceEdit* cellEditor = TRVTableCellEditing::GetInplaceEditor(*table);
  ASSERT_NE(cellEditor, nullptr);
  cellEditor->MouseUp(mbLeft, 0, x - cellEditor->Left(), y - cellEditor->Top());
  Pump();
  EXPECT_TRUE(cellEditor->HandleAllocated());
  EXPECT_TRUE(cellEditor->Focused()) << "the keyboard goes to the cell";

  // The editor's window shows the cell's colour over the cell.
  TBitmap grab;
  ASSERT_TRUE(GrabControl(*editor, grab));
  const int32_t b = editor->BorderWidth();
  EXPECT_EQ(grab.Canvas().Pixel(b + x, b + y), clYellow);

  // Typed characters go to the focused control, which is the cell editor.
  TWinControl* focused = TWinControl::FocusedControl();
  ASSERT_EQ(focused, cellEditor);
  uint16_t end = VK_END;
  cellEditor->KeyDown(end, 0);
  SendMessage(focused, WM_CHAR, u'!');
  Pump();
  table->DestroyInplace(true);
  Pump();
  EXPECT_EQ(table->GetCell(0, 1)->GetItemText(0), "right!");
  EXPECT_TRUE(editor->Focused()) << "closing gives the focus back to the editor";
}

}  // namespace
