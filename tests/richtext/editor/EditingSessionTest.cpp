// Random editing sessions through the editor's own entry points: characters, Enter, the
// deletion keys, caret keys with and without Shift, inserted text, style changes, the
// clipboard, undo and redo, on a document with text, line breaks, a picture, a list, a
// protected run and a table. After every action the document must be consistent and read
// back from its own RVF; undoing everything must give back the starting document exactly and
// redoing everything the final one. The regression tests below pin down faults such sessions
// found.
#include <gtest/gtest.h>

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Messages.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Messaging.h"
#include "richtext/core/DLines.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/editor/EditorTestSupport.h"
#include "richtext/editor/RVItemResizer.h"
#include "richtext/editor/RVTableEditing.h"
#include "richtext/editor/RVTableInplaceEdit.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"

namespace {

using editortest::App;
using editortest::DumpItems;
using editortest::TEditorFixture;

constexpr int kProtectedStyle = 2;
constexpr int kUnicodeProtectedStyle = 3;

/// The items of Data and, for each table, of each of its cells, nested.
std::string DeepDump(const TCustomRVData& Data) {
  std::string out = DumpItems(Data);
  for (int i = 0; i < Data.GetItemCount(); ++i) {
    const auto* table = dynamic_cast<const TRVTableItemInfo*>(Data.GetItem(i));
    if (table == nullptr) continue;
    for (int r = 0; r < table->Rows().Count(); ++r)
      for (int c = 0; c < table->Rows().Get(r)->Count(); ++c)
        if (const TRVTableCellData* cell = table->Rows().Get(r)->GetCell(c))
          out += "cell " + std::to_string(i) + "/" + std::to_string(r) + "," + std::to_string(c) + "\n" +
                 DeepDump(*const_cast<TRVTableCellData*>(cell)->GetActiveData());
  }
  return out;
}

/// Every drawn piece: its item, the part of the item, its place and its size.
std::string LayoutDump(const TCustomRVFormattedData& Data) {
  std::string out;
  for (int d = 0; d < Data.DrawItems().Count(); ++d) {
    const TRVDrawLineInfo& piece = *Data.DrawItems()[d];
    out += std::to_string(piece.ItemNo) + ":" + std::to_string(piece.Offs) + "+" +
           std::to_string(piece.Length) + " at " + std::to_string(piece.Left) + "," +
           std::to_string(piece.Top) + " size " + std::to_string(piece.Width) + "x" +
           std::to_string(piece.Height) + "\n";
  }
  return out;
}

class EditingSessionTest : public ::testing::Test, protected TEditorFixture {
 protected:
  void SetUp() override {
    RVRegisterTableItemClass();
    RVRegisterTableEditing();
    Clipboard().Clear();
    while (Sheet.TextStyles().Count() < 4) Sheet.TextStyles().AddStyle();
    Sheet.TextStyles()[kProtectedStyle].Protection = rvprModifyProtect | rvprDeleteProtect;
    Sheet.TextStyles()[kUnicodeProtectedStyle].Unicode = true;
    Sheet.TextStyles()[kUnicodeProtectedStyle].Protection = rvprStyleProtect;
    Sheet.ListStyles().AddStyle()->Levels().AddLevel()->ListType = rvlstDecimal;
    Editor.OnStyleConversion = [](TCustomRVEdit*, int, int UserData, bool, int& NewStyleNo) {
      NewStyleNo = UserData;
    };
    Editor.SetBounds(0, 0, 300, 120);
  }
  void TearDown() override {
    if (table != nullptr) table->DestroyInplace(true);
    Process();
  }

  /// Text, a line break, a paragraph with a picture, two list paragraphs, a protected run, a
  /// 2 x 2 table and a closing paragraph.
  void BuildStartingDocument() {
    Editor.AddTextLineWithTag(u"Hello world", 0, 0, 0);
    Editor.AddTextLineWithTag(u"\u041f\u0440\u0438\u0432\u0435\u0442 d\u00e9j\u00e0", 1, 0, 0);
    Data().GetItem(1)->SetBR(true);
    auto picture = std::make_unique<TBitmap>();
    picture->SetSize(30, 20);
    AddOther(TRVGraphicItemInfo::CreateWithPicture(&Data(), std::move(picture), 0), 2);
    AddText(" after picture", 0, 2, rvioJoinsPrevious);
    for (const char* text : {"one", "two"}) {
      Data().AddItem("", TRVMarkerItemInfo::CreateForList(&Data(), 0, 0, 1, false));
      AddText(text, 0, -1, rvioJoinsPrevious);
    }
    AddText("locked", kProtectedStyle, 0);
    AddText(" free", 0, 0, rvioJoinsPrevious);
    auto made = TRVTableItemInfo::CreateWithSize(2, 2, &Data());
    for (const char* text : {"c00", "c01", "c10", "c11"}) {
      TRVTableCellData* cell = made->GetCell(text[1] - '0', text[2] - '0');
      cell->Clear();
      cell->AddTextItem(text, 0, 0);
    }
    table = made.get();
    Data().AddItem("", std::move(made));
    AddText("The end.", 0, 1);
    Editor.Format();
  }

  void Process() {
    for (int i = 0; i < 3; ++i) App().ProcessMessages();
  }
  TCustomRVEdit& Inner() { return *Editor.GetInnermostEditor(); }
  void Key(uint16_t Code, TShiftState Shift = 0) {
    uint16_t key = Code;
    Inner().KeyDown(key, Shift);
    Process();
  }
  void Char(char16_t Ch) {
    SendMessage(&Inner(), WM_CHAR, Ch, 0);
    Process();
  }
  void Undo() {
    Editor.Undo();
    Process();
  }
  void Redo() {
    Editor.Redo();
    Process();
  }

  /// The RVF of the editor's document.
  static std::string RVFOf(TCustomRVEdit& Source) {
    TMemoryStream rvf;
    EXPECT_TRUE(Source.SaveRVFToStream(rvf, false));
    return rvf.DataString();
  }
  /// Reads RVF into a fresh editor on the same sheet and answers its dump.
  std::string ReadBack(const std::string& RVF) {
    TRVEdit reader;
    reader.SetStyle(&Sheet);
    TMemoryStream rvf;
    rvf.Write(RVF.data(), static_cast<int64_t>(RVF.size()));
    rvf.SetPosition(0);
    EXPECT_TRUE(reader.LoadRVFFromStream(rvf));
    return DeepDump(reader.EditRVData());
  }

  /// The invariants every action must keep, in the editor that edits now; Context names the
  /// action for the failure message.
  void CheckConsistent(const std::string& Context) {
    TCustomRVEdit& editor = Inner();
    TRVEditRVData& data = editor.EditRVData();
    const int count = data.GetItemCount();
    ASSERT_GT(count, 0) << Context;
    ASSERT_TRUE(data.StartsParagraph(0)) << Context;
    for (int i = 0; i < count; ++i) {
      const TCustomRVItemInfo* item = data.GetItem(i);
      ASSERT_TRUE(item->ParaNo >= 0 && item->ParaNo < Sheet.ParaStyles().Count()) << Context << " item " << i;
      ASSERT_TRUE(item->StyleNo < 0 || item->StyleNo < Sheet.TextStyles().Count())
          << Context << " item " << i;
      if (i > 0 && !data.StartsParagraph(i)) {
        ASSERT_EQ(item->ParaNo, data.GetItem(i - 1)->ParaNo) << Context << " item " << i << "\n"
                                                             << DumpItems(data);
      }
      if (item->StyleNo == rvsListMarker) {
        ASSERT_TRUE(data.StartsParagraph(i)) << Context << " marker " << i;
      }
    }
    // The drawn pieces follow the items, every item has one.
    int nextItemNo = 0;
    for (int d = 0; d < data.DrawItems().Count(); ++d) {
      const int itemNo = data.DrawItems()[d]->ItemNo;
      ASSERT_TRUE(itemNo == nextItemNo || itemNo == nextItemNo - 1) << Context << " piece " << d;
      nextItemNo = itemNo + 1;
    }
    ASSERT_EQ(nextItemNo, count) << Context << "\n" << DumpItems(data) << LayoutDump(data);
    ASSERT_TRUE(data.CharPositions != nullptr) << Context;
    ASSERT_GE(data.CaretDrawItemNo, 0) << Context;
    ASSERT_LT(data.CaretDrawItemNo, data.DrawItems().Count()) << Context;
    ASSERT_GE(data.CaretOffs, 0) << Context;
    ASSERT_LT(data.CaretOffs, data.CharPositions->Count()) << Context;
    int startNo = -1, endNo = -1, startOffs = -1, endOffs = -1;
    data.GetItemSelectionBounds(startNo, startOffs, endNo, endOffs, true);
    if (!data.SelectionExists()) {
      data.GetCaretItemPos(startNo, startOffs);
      endNo = startNo;
      endOffs = startOffs;
    }
    for (const auto& [itemNo, offs] : {std::pair{startNo, startOffs}, std::pair{endNo, endOffs}}) {
      ASSERT_TRUE(itemNo >= 0 && itemNo < count) << Context << " selection item " << itemNo;
      const bool text = data.GetItemStyleNo(itemNo) >= 0;
      const int after = text ? static_cast<int>(data.GetItemTextW(itemNo).size()) + 1 : 1;
      ASSERT_GE(offs, text ? 1 : 0) << Context << " selection item " << itemNo << "\n" << DumpItems(data);
      ASSERT_LE(offs, after) << Context << " selection item " << itemNo << "\n" << DumpItems(data);
    }
    const std::string rvf = RVFOf(editor);
    ASSERT_EQ(ReadBack(rvf), DeepDump(data)) << Context;
    // The whole document too, while a cell is edited.
    if (&editor != &Editor) {
      ASSERT_EQ(ReadBack(RVFOf(Editor)), DeepDump(Data())) << Context;
    }
  }

  /// One random user action; answers its name.
  std::string RandomAction(std::mt19937& Rng) {
    const auto pick = [&Rng](int N) { return static_cast<int>(Rng() % static_cast<unsigned>(N)); };
    static const char16_t kChars[] = {u'a', u'Z', u' ', u'7', u'\u00e9', u'\u0416', u'\u20ac', u'.'};
    static const uint16_t kMoves[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT};
    switch (pick(14)) {
      case 0:
      case 1: {
        const char16_t ch = kChars[pick(8)];
        Char(ch);
        return "char " + std::to_string(ch);
      }
      case 2: {
        const bool soft = pick(3) == 0;
        Key(VK_RETURN, soft ? ssShift : 0);
        return soft ? "shift+enter" : "enter";
      }
      case 3: {
        const bool back = pick(2) == 0, ctrl = pick(3) == 0;
        Key(back ? VK_BACK : VK_DELETE, ctrl ? ssCtrl : 0);
        return std::string(ctrl ? "ctrl+" : "") + (back ? "backspace" : "delete");
      }
      case 4:
      case 5:
      case 6: {
        const uint16_t code = kMoves[pick(8)];
        const bool shift = pick(2) == 0;
        Key(code, shift ? ssShift : 0);
        return std::string(shift ? "shift+" : "") + "key " + std::to_string(code);
      }
      case 7:
        Inner().InsertText(pick(2) == 0 ? "ins" : "two\r\nlines");
        Process();
        return "insert text";
      case 8: {
        const int style = pick(4);
        Inner().ApplyStyleConversion(style);
        Process();
        return "text style " + std::to_string(style);
      }
      case 9: {
        const int para = pick(3);
        Inner().ApplyParaStyle(para);
        Process();
        return "para style " + std::to_string(para);
      }
      case 10: {
        const int what = pick(4);
        if (what == 0) {
          Inner().CopyToClipboard();
        } else if (what == 1) {
          Inner().CutSelection();
        } else if (what == 2) {
          Inner().Paste();
        } else {
          Inner().PasteText();
        }
        Process();
        return "clipboard " + std::to_string(what);
      }
      case 11:
      case 12:
        Undo();
        return "undo";
      default:
        Redo();
        return "redo";
    }
  }

  /// Runs the session of Seed and checks undo and redo of all of it.
  void RunSession(unsigned Seed, int Actions) {
    BuildStartingDocument();
    const std::string start = DeepDump(Data());
    const std::string startRVF = RVFOf(Editor);
    std::mt19937 rng(Seed);
    std::string log;
    for (int i = 0; i < Actions; ++i) {
      try {
        log += RandomAction(rng) + "; ";
      } catch (const std::exception& e) {
        FAIL() << "seed " << Seed << ": " << log << " threw " << e.what();
      }
      CheckConsistent("seed " + std::to_string(Seed) + ": " + log);
      if (HasFatalFailure()) return;
    }
    table->DestroyInplace(true);
    Process();
    for (int guard = 0; Editor.RedoAction() != rvutNone && guard < 1000; ++guard) Redo();
    const std::string final = DeepDump(Data());
    const std::string finalRVF = RVFOf(Editor);
    for (int guard = 0; Editor.UndoAction() != rvutNone && guard < 1000; ++guard) Undo();
    ASSERT_EQ(DeepDump(Data()), start) << "seed " << Seed << ": " << log;
    ASSERT_EQ(RVFOf(Editor), startRVF) << "seed " << Seed;
    for (int guard = 0; Editor.RedoAction() != rvutNone && guard < 1000; ++guard) Redo();
    ASSERT_EQ(DeepDump(Data()), final) << "seed " << Seed << ": " << log;
    ASSERT_EQ(RVFOf(Editor), finalRVF) << "seed " << Seed;
  }

  /// Copies the selection From as RVF, pastes it at the caret position At and checks that the
  /// document is consistent and laid out as a full layout would, that Check holds, and that
  /// undo gives the document back.
  void PasteAndCheck(std::array<int, 4> From, std::pair<int, int> At, const std::function<void()>& Check) {
    Editor.SetSelectionBounds(From[0], From[1], From[2], From[3]);
    ASSERT_TRUE(Editor.CopyToClipboard());
    Editor.SetSelectionBounds(At.first, At.second, At.first, At.second);
    const std::string before = DeepDump(Data());
    Editor.PasteRVF();
    Process();
    Check();
    CheckConsistent("after the paste");
    const std::string layout = LayoutDump(Data());
    Editor.Format();
    EXPECT_EQ(layout, LayoutDump(Data()));
    Undo();
    EXPECT_EQ(DeepDump(Data()), before);
  }

  /// Table cell sessions of several seeds (see TableCellSessionsUndoAndRedoExactly).
  void RunCellSessions();
  /// The text of cell (Row, Col), or of its editor's document while it is edited.
  std::string Text(int Row, int Col) {
    return const_cast<TRVTableCellData*>(table->GetCell(Row, Col))->GetActiveData()->GetItemText(0);
  }

  TRVTableItemInfo* table = nullptr;
};

// Pasted RVF joins the text around the caret, and the caret's text was cut in two for it,
// so the number of items added is not the number read; the layout must be told the change
// against what it shows, or it reads past the end of the document or loses pieces.
TEST_F(EditingSessionTest, PastedRVFJoinedToTheTextAfterItKeepsTheLayout) {
  Editor.AddTextLineWithTag(u"Hello world", 0, 0, 0);
  Editor.AddTextLineWithTag(u"\u041f\u0440\u0438", 1, 0, 0);
  Data().GetItem(1)->SetBR(true);
  for (const char* text : {"two", "three", "four"}) AddText(text, 0, 0);
  Editor.Format();
  PasteAndCheck({0, 1, 1, 1}, {1, 1}, [this] { EXPECT_EQ(Data().GetItemCount(), 6); });
}

TEST_F(EditingSessionTest, PastedRVFInsideAWordBeforeATableKeepsTheLayout) {
  BuildStartingDocument();
  PasteAndCheck({0, 1, 0, 6}, {9, 3}, [this] { EXPECT_EQ(Data().GetItemText(9), " fHelloree"); });
}

// Leaving the first cell to the left or upwards puts the caret before the table; the cell
// editor must close and give the cell its items back, or saving loses the cell's text.
TEST_F(EditingSessionTest, LeavingATableByTheArrowsClosesTheCellEditor) {
  BuildStartingDocument();
  for (const uint16_t key : {VK_LEFT, VK_UP}) {
    Editor.SetSelectionBounds(10, 0, 10, 0);
    Key(VK_RIGHT);
    ASSERT_NE(TRVTableCellEditing::GetInplaceEditor(*table), nullptr);
    Key(key);
    EXPECT_EQ(TRVTableCellEditing::GetInplaceEditor(*table), nullptr) << key;
    EXPECT_EQ(&Inner(), &Editor);
    EXPECT_EQ(Text(0, 0), "c00");
    EXPECT_EQ(Editor.GetCaretItemNo(), 10);
    CheckConsistent("after key " + std::to_string(key));
  }
}

// An empty paragraph start alone on its line, followed by a line break: Shift+Enter before it
// must leave the document starting with a paragraph, not with a line break.
TEST_F(EditingSessionTest, ShiftEnterBeforeAnEmptyLineKeepsTheParagraphStart) {
  AddText("", 0, 0);
  AddText("cd", 0, 0);
  Data().GetItem(1)->SetBR(true);
  Editor.Format();
  const std::string before = DeepDump(Data());
  Editor.SetSelectionBounds(0, 1, 0, 1);
  Key(VK_RETURN, ssShift);
  ASSERT_EQ(Data().GetItemCount(), 3);
  EXPECT_TRUE(Data().StartsParagraph(0));
  EXPECT_TRUE(Data().GetItem(1)->GetBR());
  EXPECT_EQ(Editor.GetCaretItemNo(), 1);
  CheckConsistent("after Shift+Enter");
  Undo();
  EXPECT_EQ(DeepDump(Data()), before);
}

// A session inside the table: the caret enters the first cell from before the table, typing,
// deleting, Enter and the arrows and Tab move through the cells, then the cell editor closes
// when the caret is put outside. Undo of everything gives back the starting document, redo
// the edited one.
void EditingSessionTest::RunCellSessions() {
  static const uint16_t kKeys[] = {VK_LEFT, VK_RIGHT, VK_UP,     VK_DOWN, VK_HOME,
                                   VK_END,  VK_BACK,  VK_RETURN, VK_TAB};
  for (unsigned seed = 1; seed <= 20; ++seed) {
    Editor.Clear();
    table = nullptr;
    Editor.ClearUndo();
    BuildStartingDocument();
    const std::string start = DeepDump(Data());
    Editor.SetSelectionBounds(10, 0, 10, 0);
    Key(VK_RIGHT);
    ASSERT_NE(TRVTableCellEditing::GetInplaceEditor(*table), nullptr);
    std::mt19937 rng(seed);
    std::string log;
    for (int i = 0; i < 25; ++i) {
      if (rng() % 2 == 0) {
        const char16_t ch = u"xy\u00e9\u0416"[rng() % 4];
        Char(ch);
        log += "char; ";
      } else {
        const uint16_t key = kKeys[rng() % std::size(kKeys)];
        const TShiftState shift = key == VK_TAB && rng() % 2 == 0 ? ssShift : 0;
        Key(key, shift);
        log += "key " + std::to_string(key) + (shift != 0 ? "+shift" : "") + "; ";
      }
      CheckConsistent("cell seed " + std::to_string(seed) + ": " + log);
      if (HasFatalFailure()) return;
    }
    Editor.SetSelectionBounds(0, 1, 0, 1);
    Process();
    EXPECT_EQ(TRVTableCellEditing::GetInplaceEditor(*table), nullptr);
    CheckConsistent("cell seed " + std::to_string(seed) + " closed");
    const std::string final = DeepDump(Data());
    for (int guard = 0; Editor.UndoAction() != rvutNone && guard < 1000; ++guard) Undo();
    ASSERT_EQ(DeepDump(Data()), start) << "cell seed " << seed << ": " << log;
    for (int guard = 0; Editor.RedoAction() != rvutNone && guard < 1000; ++guard) Redo();
    ASSERT_EQ(DeepDump(Data()), final) << "cell seed " << seed << ": " << log;
  }
}

TEST_F(EditingSessionTest, TableCellSessionsUndoAndRedoExactly) {
  RunCellSessions();
}

// Redo of a cell's typing runs in that cell's editor; its change must not empty the
// document's redo list, which still holds the typing in the other cell.
TEST_F(EditingSessionTest, RedoInOneCellKeepsTheRedoOfAnother) {
  BuildStartingDocument();
  Editor.SetSelectionBounds(10, 0, 10, 0);
  Key(VK_RIGHT);
  Char(u'x');
  Key(VK_TAB);
  Char(u'y');
  Editor.SetSelectionBounds(0, 1, 0, 1);
  Process();
  Undo();
  Undo();
  EXPECT_EQ(Text(0, 0), "c00");
  Redo();
  EXPECT_EQ(Text(0, 0), "xc00");
  EXPECT_NE(Editor.RedoAction(), rvutNone) << "the typing in the second cell is still to redo";
}

// Typing with the caret after a table makes a new paragraph: nothing continues a table's line
// (the RVF reader would not read such a document back alike).
TEST_F(EditingSessionTest, TypingAfterATableStartsAParagraph) {
  BuildStartingDocument();
  const std::string before = DeepDump(Data());
  Editor.SetSelectionBounds(10, 1, 10, 1);
  Char(u'q');
  ASSERT_EQ(Data().GetItemText(11), "q");
  EXPECT_TRUE(Data().StartsParagraph(11));
  CheckConsistent("typed after the table");
  Undo();
  EXPECT_EQ(DeepDump(Data()), before);
}

// Resize handles belong to a picture selected alone: Shift+arrow over it shows them, an
// arrow that drops the selection removes them.
TEST_F(EditingSessionTest, KeyboardSelectionOfAPictureShowsAndDropsItsHandles) {
  BuildStartingDocument();
  Editor.SetSelectionBounds(2, 0, 2, 0);
  Key(VK_RIGHT, ssShift);
  ASSERT_TRUE(Editor.SelectionExists());
  EXPECT_NE(Data().Resizer, nullptr);
  Key(VK_RIGHT, ssShift);
  EXPECT_EQ(Data().Resizer, nullptr) << "the text after it is selected too";
  Key(VK_LEFT, ssShift);
  EXPECT_NE(Data().Resizer, nullptr);
  Key(VK_LEFT);
  EXPECT_FALSE(Editor.SelectionExists());
  EXPECT_EQ(Data().Resizer, nullptr);
  CheckConsistent("after the arrows");
}

// The primitives do not lay out: a layout asked to keep the caret's place afterwards finds the
// caret on a piece whose item is gone, and must place it anew rather than fail.
TEST_F(EditingSessionTest, LayoutAfterDeletingTheCaretsItemPlacesTheCaretAnew) {
  BuildStartingDocument();
  Editor.SetSelectionBounds(11, 4, 11, 4);
  bool full = false;
  Data().Do_DeleteItems(6, 11, full);
  table = nullptr;  // deleted with the others
  ASSERT_EQ(Data().GetItemCount(), 6);
  EXPECT_NO_THROW(Data().FormatLines(true, true, false, 0, nullptr, false, false));
  CheckConsistent("after the layout");
}

// Typing over a selection that holds protected text cannot delete it; the character goes in
// at the caret and no selection may be left naming positions the typing moved.
TEST_F(EditingSessionTest, TypingOverAProtectedSelectionLeavesNoStaleSelection) {
  for (const char16_t ch : {u'a', u'\u0416'}) {
    Editor.Clear();
    Editor.ClearUndo();
    BuildStartingDocument();
    const std::string before = DeepDump(Data());
    Editor.SetSelectionBounds(7, 2, 9, 3);
    Key(VK_BACK);
    ASSERT_EQ(DeepDump(Data()), before) << "the protected text refuses the deletion";
    Char(ch);
    EXPECT_FALSE(Editor.SelectionExists());
    CheckConsistent("after typing");
    for (int guard = 0; Editor.UndoAction() != rvutNone && guard < 10; ++guard) Undo();
    EXPECT_EQ(DeepDump(Data()), before);
  }
}

// Saving while a cell is edited keeps the cell's text, typing included: its items are in the
// cell editor then.
TEST_F(EditingSessionTest, SavingWhileACellIsEditedKeepsTheCellsText) {
  BuildStartingDocument();
  Editor.SetSelectionBounds(10, 0, 10, 0);
  Key(VK_RIGHT);
  Char(u'x');
  ASSERT_NE(TRVTableCellEditing::GetInplaceEditor(*table), nullptr);
  const std::string whileEditing = ReadBack(RVFOf(Editor));
  EXPECT_NE(whileEditing.find("'xc00'"), std::string::npos) << whileEditing;
  table->DestroyInplace(true);
  EXPECT_EQ(whileEditing, ReadBack(RVFOf(Editor)));
}

class EditingSessionSeedTest : public EditingSessionTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(EditingSessionSeedTest, UndoAndRedoRestoreEveryDocument) {
  RunSession(GetParam(), 30);
}

INSTANTIATE_TEST_SUITE_P(Seeds, EditingSessionSeedTest, ::testing::Range(1u, 201u));

}  // namespace
