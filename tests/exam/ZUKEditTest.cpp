// The program's editor control: the reading and writing options it sets, that a form can
// name it, and the mouse handling that differs from the plain editor's (a press outside
// every drawn piece and a double click do nothing in it).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "exam/ZUKEdit.h"
#include "platform/core/Classes.h"
#include "platform/gui/Application.h"
#include "richtext/core/RVStyle.h"

namespace {

TApplication& App() {
  static TApplication* app = new TApplication();
  return *app;
}

TEST(ZUKEditTest, ReadsUnknownStylesAsZeroAndWritesTheStyleSheet) {
  App();
  TZUKEdit edit;
  TRVEdit plain;
  EXPECT_NE(edit.RVFOptions & rvfoConvUnknownStylesToZero, 0);
  EXPECT_NE(edit.RTFOptions & rvrtfSaveStyleSheet, 0);
  EXPECT_EQ(edit.RVFOptions & ~rvfoConvUnknownStylesToZero, plain.RVFOptions & ~rvfoConvUnknownStylesToZero);
  EXPECT_EQ(edit.RTFOptions & ~rvrtfSaveStyleSheet, plain.RTFOptions & ~rvrtfSaveStyleSheet);
  EXPECT_EQ(edit.ClassName(), "TZUKEdit");
  EXPECT_EQ(edit.Cursor(), crIBeam) << "an editor all the same";
}

TEST(ZUKEditTest, FormsCanNameIt) {
  App();
  EXPECT_NE(FindClass("TZUKEdit"), nullptr);
}

/// An editor of class E with two short paragraphs, formatted in a 300 x 200 area, whose
/// mouse-press and double-click events are counted.
template <typename E>
struct TClickedEditor {
  TClickedEditor() {
    App();
    edit.SetStyle(&sheet);
    edit.SetBounds(0, 0, 300, 200);
    edit.Options |= rvoDblClickSelectsWord;
    edit.AddTextLineWithTag(u"first words", 0, 0, 0);
    edit.AddTextLineWithTag(u"second words", 0, 0, 0);
    edit.Format();
    edit.OnRVMouseDown = [this](TCustomRVViewer*, TMouseButton, TShiftState, int, int32_t, int32_t) {
      events.push_back("down");
    };
    edit.OnRVDblClick = [this](TCustomRVViewer*, const std::string& Word, int32_t) {
      events.push_back("double " + Word);
    };
  }
  TRVStyle sheet;
  E edit;
  std::vector<std::string> events;
};

TEST(ZUKEditTest, PressOutsideTheDocumentDoesNothing) {
  TClickedEditor<TRVEdit> plain;
  plain.edit.MouseDown(mbLeft, 0, 20, 180);
  plain.edit.MouseUp(mbLeft, 0, 20, 180);
  EXPECT_EQ(plain.events, std::vector<std::string>{"down"}) << "the plain editor reports the press";

  TClickedEditor<TZUKEdit> program;
  const int caretItem = program.edit.GetCaretItemNo();
  const int caretOffs = program.edit.GetCaretOffset();
  program.edit.MouseDown(mbLeft, 0, 20, 180);
  program.edit.MouseUp(mbLeft, 0, 20, 180);
  EXPECT_TRUE(program.events.empty());
  EXPECT_EQ(program.edit.GetCaretItemNo(), caretItem);
  EXPECT_EQ(program.edit.GetCaretOffset(), caretOffs);
}

TEST(ZUKEditTest, DoubleClickDoesNothing) {
  TClickedEditor<TRVEdit> plain;
  plain.edit.RVData().DblClickAt(20, 12);
  EXPECT_EQ(plain.events, std::vector<std::string>{"double first"});

  TClickedEditor<TZUKEdit> program;
  program.edit.RVData().DblClickAt(20, 12);
  EXPECT_TRUE(program.events.empty());
  EXPECT_FALSE(program.edit.SelectionExists());
}

}  // namespace
