// The cell editor in a shown editor on a real X server (a private Xvfb through xvfb-run): a click in a
// cell opens the editor over it, which shows the cell's colour and takes the focus and typed keys, and
// controls dragged by xdotool's mouse drop on a viewer and the cell editor. Skips without those programs.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>

#include "platform/graphics/Bitmap.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messaging.h"
#include "platform/gui/StdCtrls.h"
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

// Press at (5, 5) of the source, move through the stops, release at the last ("@" in the log).
const struct {
  const char* source;
  std::vector<std::pair<const char*, TPoint>> stops;
  const char* log;
} kDrags[] = {
    {"panel",
     {{"viewer", {30, 20}}, {"viewer", {60, 40}}},
     "viewer enter panel, viewer move panel, viewer drop panel @, panel end viewer @, "},
    {"panel", {{"cell", {9, 4}}}, "edit enter panel, panel end cell @, edit drop panel @, "},
    {"cell", {{"viewer", {30, 20}}}, "viewer enter cell, viewer drop cell @, edit end viewer @, "},
    {"panel",
     {{"viewer", {30, 20}}, {"form", {300, 250}}},
     "viewer enter panel, viewer leave panel, panel end none @, "},
    {"panel", {{"panel", {9, 9}}}, "panel down, "},  // not past the threshold
};

TEST(ControlDragXcbTest, TheMouseDragsControlsOntoViewersAndCellEditors) {
  ZUK_RUN_UNDER_XSERVER("ControlDragXcbTest.*");
  const std::string xdotool = xcbtest::FindProgram("xdotool");
  if (xdotool.empty()) GTEST_SKIP() << "xdotool is not installed (Debian package xdotool)";
  editortest::App();
  RVRegisterTableItemClass();
  RVRegisterTableEditing();
  TRVStyle sheet;
  TForm form;
  form.SetBounds(0, 0, 620, 300);
  auto* viewer = new TRVViewer(&form);
  auto* edit = new TRVEdit(&form);
  std::map<std::string, TControl*> named{
      {"form", &form}, {"panel", new TPanel(&form)}, {"viewer", viewer}, {"edit", edit}};
  std::string log, over;
  TPoint last;
  auto nameOf = [&](TObject* o) {
    for (const auto& [name, control] : named)
      if (control == o) return name;
    return std::string("none");
  };
  auto at = [](TPoint p) { return std::to_string(p.X) + " " + std::to_string(p.Y); };
  auto say = [&](TObject* s, const char* what, TObject* o, int32_t x, int32_t y) {
    const TPoint p = static_cast<TControl*>(s)->ClientToScreen(TPoint{x, y});
    log += nameOf(s) + what + nameOf(o) + (p == last ? " @" : " " + at(p)) + ", ";
  };
  const char* kStates[] = {"enter", "leave", "move"};
  int32_t left = 10;
  for (const char* name : {"panel", "viewer", "edit"}) {
    TControl* c = named[name];
    c->SetParent(&form);
    c->SetBounds(left, 10, left == 10 ? 60 : 230, 200);
    left += c->Width() + 20;
    c->OnDragOver = [&](TObject* s, TObject* source, int32_t, int32_t, TDragState state, bool&) {
      const std::string line = nameOf(s) + " " + kStates[state] + " " + nameOf(source) + ", ";
      if (line != over) log += over = line;  // a move may come twice
    };
    c->OnDragDrop = [&](TObject* s, TObject* o, int32_t x, int32_t y) { say(s, " drop ", o, x, y); };
    c->OnEndDrag = [&](TObject* s, TObject* o, int32_t x, int32_t y) { say(s, " end ", o, x, y); };
  }
  named["panel"]->SetDragMode(dmAutomatic);
  named["panel"]->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t, int32_t) {
    log += "panel down, ";
  };
  viewer->SetStyle(&sheet);
  edit->SetStyle(&sheet);
  edit->AddItem("", TRVTableItemInfo::CreateWithSize(1, 2, &edit->RVData()));
  auto* table = static_cast<TRVTableItemInfo*>(edit->RVData().GetItem(0));
  form.Show();
  edit->Format();
  Pump();
  table->EditCell(0, 0, true);
  ASSERT_NE(named["cell"] = TRVTableCellEditing::GetInplaceEditor(*table), nullptr);
  named["cell"]->SetDragMode(dmAutomatic);
  Pump();
  auto run = [&](const std::string& a) {
    EXPECT_EQ(std::system((xdotool + " " + a).c_str()), 0);
    Pump();
  };
  for (const auto& d : kDrags) {
    log = over = "";
    run("mousemove " + at(named[d.source]->ClientToScreen(TPoint{5, 5})) + " mousedown 1");
    for (const auto& [name, point] : d.stops)
      run("mousemove " + at(last = named[name]->ClientToScreen(point)));
    run("mouseup 1");
    EXPECT_EQ(log, d.log);
  }
}

}  // namespace
