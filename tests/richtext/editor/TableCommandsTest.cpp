// Commands on a table that lies in an editor: property changes by name record the old value
// with the flags of the property, structural commands form one undo group that undo and redo
// reverse exactly, bad indexes change nothing, and commands on the selected cells (clearing,
// styling) are undone and redone cell by cell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/Streams.h"
#include "platform/core/TypInfo.h"
#include "platform/graphics/Bitmap.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVFontInfo.h"
#include "richtext/editor/TableEditSupport.h"

namespace {

using editortest::Grid;
using editortest::TCellEditorFixture;
using editortest::TTableEditFixture;
using tabletest::GridFault;

/// Selects the rectangle of cells from (Row, Col) over RowOffs and ColOffs further slots.
void SelectCells(TRVTableItemInfo& Table, int Row, int Col, int RowOffs, int ColOffs) {
  Table.SelStartRow = Row;
  Table.SelStartCol = Col;
  Table.SelRowOffs = RowOffs;
  Table.SelColOffs = ColOffs;
  Table.State |= rvtsCellsSelected;
}

/// The only record of the last undo group.
TRVUndoInfo* LastRecord(TRVUndoList& List) {
  if (List.Count() == 0 || List.Last()->Count() != 1) return nullptr;
  return List.Last()->First();
}

struct TFlagCase {
  const char* Name;
  bool AffectWidth;
  bool AffectSize;
};

TEST(TableCommandsTest, APropertyChangeRecordsTheOldValueWithThePropertysFlags) {
  const std::vector<TFlagCase> cases = {
      {"BestWidth", true, true},         {"BorderWidth", true, true},      {"BorderHSpacing", true, true},
      {"BorderVSpacing", false, true},   {"CellBorderWidth", true, true},  {"CellHSpacing", true, true},
      {"CellVSpacing", false, true},     {"CellPadding", true, true},      {"BorderColor", false, false},
      {"CellBorderStyle", false, false}, {"Color", false, false},          {"HeadingRowCount", false, false},
      {"HRuleWidth", false, false},      {"VOutermostRule", false, false}, {"BackgroundStyle", false, false},
  };
  for (const TFlagCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTableEditFixture f(2, 2);
    const TPropInfo& prop = *f.T().PublishedProperties().Find(c.Name);
    const int64_t old = prop.GetOrd(f.T());
    const int32_t value = static_cast<int32_t>(old) == 1 ? 2 : 1;
    f.T().SetIntProperty(c.Name, value);
    EXPECT_EQ(prop.GetOrd(f.T()), value);
    EXPECT_NE(f.T().State & rvtsInserted, 0) << "the table stays inserted";
    ASSERT_EQ(f.Data().UndoList->Count(), 1);
    EXPECT_EQ(f.Data().UndoList->CurrentUndoType(), rvutModifyItem);
    auto* record = dynamic_cast<TRVUndoModifyItemIntProperty*>(LastRecord(*f.Data().UndoList));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->ItemNo, TTableEditFixture::kTableItemNo);
    EXPECT_EQ(record->PropertyName, c.Name);
    EXPECT_EQ(record->Value, old);
    EXPECT_EQ(record->AffectWidth, c.AffectWidth);
    EXPECT_EQ(record->AffectSize, c.AffectSize);
    f.Undo();
    EXPECT_EQ(prop.GetOrd(f.T()), old) << "undo puts the old value back by name";
    f.Redo();
    EXPECT_EQ(prop.GetOrd(f.T()), value);
  }
}

TEST(TableCommandsTest, AnUnchangedValueOrAnUndoLimitOfZeroRecordsNothing) {
  TTableEditFixture f(1, 1);
  f.T().SetCellVSpacing(f.T().CellVSpacing);
  EXPECT_EQ(f.Data().UndoList->Count(), 0);
  f.Editor.SetUndoLimit(0);
  f.T().SetBorderWidth(6);
  EXPECT_EQ(f.T().BorderWidth, 6);
  f.T().SetCellBestHeight(-1, 40, 0, 0);
  EXPECT_EQ(f.T().GetCell(0, 0)->BestHeight, 40);
  EXPECT_EQ(f.Data().UndoList->Count(), 0);
}

TEST(TableCommandsTest, ACellPropertyRecordKeepsItsCellThroughUndoAndRedo) {
  TTableEditFixture f(2, 2);
  f.T().SetCellBestWidth(-1, 50, 1, 0);
  auto* record = dynamic_cast<TRVUndoModifyCellIntProperty*>(LastRecord(*f.Data().UndoList));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->Row, 1);
  EXPECT_EQ(record->Col, 0);
  EXPECT_TRUE(record->AffectWidth);
  f.Undo();
  EXPECT_EQ(f.T().GetCell(1, 0)->BestWidth, 0);
  auto* redo = dynamic_cast<TRVUndoModifyCellIntProperty*>(LastRecord(*f.Data().RedoList));
  ASSERT_NE(redo, nullptr);
  EXPECT_EQ(redo->Row, 1);
  EXPECT_EQ(redo->Col, 0);
  f.Redo();
  EXPECT_EQ(f.T().GetCell(1, 0)->BestWidth, 50);
  EXPECT_EQ(f.T().GetCell(0, 0)->BestWidth, 0);
}

TEST(TableCommandsTest, CopyingAttributesDividesTheSizesAndIsOneUndoStep) {
  for (bool inEditor : {true, false}) {
    SCOPED_TRACE(inEditor ? "in an editor" : "in no document");
    TTableEditFixture f(2, 2);
    std::unique_ptr<TRVTableItemInfo> loose;
    TRVTableItemInfo* table = &f.T();
    if (!inEditor) {
      loose = TRVTableItemInfo::CreateWithSize(2, 2, nullptr);
      table = loose.get();
    }
    TRVTableCellData& source = *table->GetCell(0, 0);
    source.BestWidth = 91;
    source.BestHeight = 51;
    source.Color = 0x00FF00;
    source.VAlign = rvcBottom;
    source.VisibleBorders.Top = false;
    TRVTableCommands::AssignCellAttributes(*table, -1, 1, 1, source, true, 2, 3);
    const TRVTableCellData& cell = *table->GetCell(1, 1);
    EXPECT_EQ(cell.BestWidth, 30) << "width over the column divisor";
    EXPECT_EQ(cell.BestHeight, 25) << "height over the row divisor";
    EXPECT_EQ(cell.Color, 0x00FF00);
    EXPECT_EQ(cell.VAlign, rvcBottom);
    EXPECT_FALSE(cell.VisibleBorders.Top);
    if (!inEditor) continue;
    EXPECT_EQ(f.Data().UndoList->Count(), 1);
    f.Undo();
    EXPECT_EQ(cell.BestWidth, 0);
    EXPECT_EQ(cell.BestHeight, 0);
    EXPECT_EQ(cell.Color, clNone);
    EXPECT_EQ(cell.VAlign, rvcVDefault);
    EXPECT_TRUE(cell.VisibleBorders.Top);
    EXPECT_EQ(f.Data().UndoList->Count(), 0);
  }
}

TEST(TableCommandsTest, ChangesBracketedAsOneTableChangeAreOneUndoStep) {
  TTableEditFixture f(2, 2);
  TRVTableEditorHooks& hooks = *RVTableEditorHooks();
  int32_t state = 0;
  hooks.BeginTableChange(f.T(), state);
  f.T().SetCellBestWidth(-1, 40, 0, 0);
  f.T().SetCellBestWidth(-1, 60, 0, 1);
  hooks.EndTableChange(f.T(), state);
  ASSERT_EQ(f.Data().UndoList->Count(), 1);
  EXPECT_EQ(f.Data().UndoList->GroupModeCount, 0);
  f.Editor.Undo();
  EXPECT_EQ(Grid(f.T()), "00 01\n10 11\n");
  EXPECT_EQ(f.Data().UndoList->Count(), 0);
}

TEST(TableCommandsTest, BackgroundPictureAndStyleOfTheTableAreUndoable) {
  TTableEditFixture f(1, 1);
  TBitmap picture;
  picture.SetSize(2, 2);
  TRVTableCommands::SetBackgroundImage(f.T(), &picture);
  TRVTableCommands::SetBackgroundImage(f.T(), f.T().GetBackgroundImage());
  EXPECT_EQ(f.Data().UndoList->Count(), 1) << "the table's own picture again records nothing";
  TRVTableCommands::SetBackgroundStyle(f.T(), rvbsTiled);
  EXPECT_EQ(f.T().GetBackgroundStyle(), rvbsTiled);
  ASSERT_EQ(f.Data().UndoList->Count(), 2);
  f.Editor.Undo();
  EXPECT_EQ(f.T().GetBackgroundStyle(), rvbsColor);
  f.Editor.Undo();
  EXPECT_EQ(f.T().GetBackgroundImage(), nullptr);
  EXPECT_EQ(f.T().GetTableBackground(), nullptr) << "no picture and the colour style: no background object";
}

// ---- structural commands -------------------------------------------------------------------

struct TCommandCase {
  const char* Name;
  std::function<void(TRVTableItemInfo&)> Command;
};

TEST(TableCommandsTest, StructuralCommandsAreOneUndoGroupThatUndoAndRedoReverse) {
  const std::vector<TCommandCase> cases = {
      {"insert rows", [](TRVTableItemInfo& t) { TRVTableCommands::InsertRows(t, 1, 2, 0, false); }},
      {"insert columns", [](TRVTableItemInfo& t) { TRVTableCommands::InsertColumns(t, 3, 1, 2, false); }},
      {"delete columns", [](TRVTableItemInfo& t) { TRVTableCommands::DeleteColumns(t, 1, 5, true); }},
      {"merge cells", [](TRVTableItemInfo& t) { TRVTableCommands::MergeCells(t, 0, 1, 2, 2, false); }},
  };
  for (const TCommandCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTableEditFixture f(3, 3);
    f.T().Options &= ~rvtoEditing;  // no cell editor afterwards
    f.T().GetCell(0, 2)->BestWidth = 60;
    const std::string before = Grid(f.T());
    c.Command(f.T());
    const std::string after = Grid(f.T());
    ASSERT_NE(before, after);
    EXPECT_EQ(GridFault(f.T()), "");
    ASSERT_EQ(f.Data().UndoList->Count(), 1);
    EXPECT_EQ(f.Data().UndoList->CurrentUndoType(), rvutModifyItem);
    EXPECT_EQ(f.Data().UndoList->GroupModeCount, 0) << "the group is closed";
    f.Editor.Undo();
    EXPECT_EQ(Grid(f.T()), before);
    f.Editor.Redo();
    EXPECT_EQ(Grid(f.T()), after);
  }
}

/// The document as RVF: every attribute of every cell, as the file would keep it.
std::string SavedRVF(TCustomRVEdit& Editor) {
  TMemoryStream stream;
  EXPECT_TRUE(Editor.SaveRVFToStream(stream, false));
  return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

TEST(TableCommandsTest, CopiedAttributesOfNewCellsComeBackWithRedo) {
  TTableEditFixture f(2, 3);
  TRVTableCellData& source = *f.T().GetCell(0, 1);
  source.Color = 0x3366FF;
  source.BorderColor = 0x00AA00;
  source.VAlign = rvcBottom;
  source.VisibleBorders.Left = false;
  source.BestWidth = 80;
  source.BestHeight = 20;
  f.T().Rows().MergeCells(0, 2, 1, 2, true, false);
  const std::string before = SavedRVF(f.Editor);
  TRVTableCommands::InsertColumns(f.T(), 1, 2, 1, false);
  TRVTableCommands::InsertRows(f.T(), 1, 1, 0, false);
  const std::string after = SavedRVF(f.Editor);
  EXPECT_EQ(f.T().GetCell(0, 1)->Color, 0x3366FF);
  EXPECT_EQ(f.T().GetCell(1, 3)->VAlign, rvcBottom);
  for (int round = 0; round < 2; ++round) {
    f.Editor.Undo();
    f.Editor.Undo();
    EXPECT_EQ(SavedRVF(f.Editor), before);
    f.Editor.Redo();
    f.Editor.Redo();
    EXPECT_EQ(SavedRVF(f.Editor), after);
    EXPECT_EQ(GridFault(f.T()), "");
  }
}

TEST(TableCommandsTest, BadIndexesRaiseBeforeAnythingChanges) {
  const std::vector<TCommandCase> cases = {
      {"no columns to insert",
       [](TRVTableItemInfo& t) { TRVTableCommands::InsertColumns(t, 0, 0, -1, false); }},
      {"column beyond the end",
       [](TRVTableItemInfo& t) { TRVTableCommands::InsertColumns(t, 4, 1, -1, false); }},
      {"copy column beyond the end",
       [](TRVTableItemInfo& t) { TRVTableCommands::InsertColumns(t, 1, 1, 3, false); }},
      {"negative row count", [](TRVTableItemInfo& t) { TRVTableCommands::InsertRows(t, 0, -2, -1, false); }},
      {"copy row before the first",
       [](TRVTableItemInfo& t) { TRVTableCommands::InsertRows(t, 0, 1, -2, false); }},
      {"delete from column 0 more than there are",
       [](TRVTableItemInfo& t) { TRVTableCommands::DeleteColumns(t, 0, 4, false); }},
      {"delete no columns", [](TRVTableItemInfo& t) { TRVTableCommands::DeleteColumns(t, 1, 0, false); }},
      {"delete beyond the end", [](TRVTableItemInfo& t) { TRVTableCommands::DeleteColumns(t, 3, 1, false); }},
  };
  for (const TCommandCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTableEditFixture f(2, 3);
    const std::string before = Grid(f.T());
    try {
      c.Command(f.T());
      ADD_FAILURE() << "no error";
    } catch (const ERVError& e) {
      EXPECT_STREQ(e.what(), "Invalid row or column index");
    }
    EXPECT_EQ(Grid(f.T()), before);
    EXPECT_EQ(f.Data().UndoList->Count(), 0);
  }
}

TEST(TableCommandsTest, WithAnUndoLimitOfZeroStructuralCommandsRunAndRecordNothing) {
  TTableEditFixture f(2, 2);
  f.T().Options &= ~rvtoEditing;
  f.Editor.SetUndoLimit(0);
  TRVTableCommands::InsertRows(f.T(), 2, 1, -1, false);
  TRVTableCommands::InsertColumns(f.T(), 0, 1, -1, false);
  TRVTableCommands::MergeCells(f.T(), 0, 1, 2, 1, false);
  TRVTableCommands::DeleteColumns(f.T(), 0, 1, false);
  EXPECT_EQ(Grid(f.T()), "00+01/c2 .\n10 11\n_ _\n");
  EXPECT_EQ(f.Data().UndoList->Count(), 0);
}

TEST(TableCommandsTest, ANewCommandEmptiesTheRedoList) {
  TTableEditFixture f(2, 2);
  TRVTableCommands::InsertRows(f.T(), 0, 1, -1, false);
  f.Editor.Undo();
  ASSERT_EQ(f.Data().RedoList->Count(), 1);
  TRVTableCommands::InsertColumns(f.T(), 0, 1, -1, false);
  EXPECT_EQ(f.Data().RedoList->Count(), 0) << "redo would insert a row into a grid it was not made for";
}

TEST(TableCommandsTest, ATableOutsideAnEditorChangesDirectly) {
  auto table = TRVTableItemInfo::CreateWithSize(2, 2, nullptr);
  TRVTableCommands::InsertColumns(*table, 1, 2, -1, false);
  TRVTableCommands::MergeCells(*table, 0, 0, 4, 1, true);
  EXPECT_EQ(Grid(*table), "_/c4 . . .\n_ _ _ _\n");
  EXPECT_NE(table->State & rvtsFormatWidth, 0);
}

// ---- the selected cells ------------------------------------------------------------------

TEST(TableCommandsTest, ClearingTheSelectedCellsSkipsRefusedCellsAndUndoesToTheSameCells) {
  TTableEditFixture f(2, 2);
  SelectCells(f.T(), 0, 0, 1, 1);
  f.T().OnCellEditing = [](TRVTableItemInfo*, int Row, int Col, bool Automatic, bool& AllowEdit) {
    EXPECT_TRUE(Automatic);
    AllowEdit = !(Row == 1 && Col == 0);
  };
  TRVTableCellData* old = f.T().GetCell(0, 1);
  ASSERT_TRUE(TRVTableCommands::CanDeleteSelectedCellsContent(f.T()));
  TRVTableCommands::DeleteSelectedCellsContent(f.T());
  EXPECT_EQ(Grid(f.T()), "_ _\n10 _\n");
  ASSERT_EQ(f.Data().UndoList->Count(), 1);
  f.Editor.Undo();
  EXPECT_EQ(Grid(f.T()), "00 01\n10 11\n");
  EXPECT_EQ(f.T().GetCell(0, 1), old);
  f.Editor.Redo();
  EXPECT_EQ(Grid(f.T()), "_ _\n10 _\n");
}

TEST(TableCommandsTest, ProtectedTextInASelectedCellForbidsClearing) {
  TTableEditFixture f(1, 2);
  f.Sheet.TextStyles()[2].Protection = rvprDeleteProtect;
  f.T().GetCell(0, 1)->GetItem(0)->StyleNo = 2;
  SelectCells(f.T(), 0, 0, 0, 0);
  EXPECT_TRUE(TRVTableCommands::CanDeleteSelectedCellsContent(f.T())) << "the protected cell is not selected";
  SelectCells(f.T(), 0, 0, 0, 1);
  EXPECT_FALSE(TRVTableCommands::CanDeleteSelectedCellsContent(f.T()));
  f.T().State &= ~rvtsCellsSelected;
  EXPECT_FALSE(TRVTableCommands::CanDeleteSelectedCellsContent(f.T())) << "no selection";
}

std::string ParaNos(const TRVTableItemInfo& Table) {
  std::string out;
  for (int r = 0; r < Table.Rows().Count(); ++r)
    for (int c = 0; c < Table.Rows().GetColCount(); ++c) {
      const TRVTableCellData* cell = Table.GetCell(r, c);
      for (int i = 0; cell != nullptr && i < cell->GetItemCount(); ++i)
        out += std::to_string(cell->GetItem(i)->ParaNo);
      out += c + 1 < Table.Rows().GetColCount() ? " " : "\n";
    }
  return out;
}

TEST(TableCommandsTest, AParagraphStyleGivenToSelectedCellsIsUndoneAndRedoneCellByCell) {
  TTableEditFixture f(2, 2);
  f.T().GetCell(1, 1)->AddTextItem("second", 0, 0);
  SelectCells(f.T(), 0, 1, 1, 0);
  TRVTableCommands::ApplyParaStyleToCells(f.T(), 2);
  EXPECT_EQ(ParaNos(f.T()), "0 2\n0 22\n");
  EXPECT_EQ(Grid(f.T()), "00 01\n10 11+second\n") << "the content comes back into the cells";
  ASSERT_EQ(f.Data().UndoList->Count(), 1);
  for (int round = 0; round < 2; ++round) {
    f.Editor.Undo();
    EXPECT_EQ(ParaNos(f.T()), "0 0\n0 00\n");
    f.Editor.Redo();
    EXPECT_EQ(ParaNos(f.T()), "0 2\n0 22\n") << "redo writes its own inverse";
  }
  EXPECT_EQ(Grid(f.T()), "00 01\n10 11+second\n");
}

std::string StyleNos(const TRVTableItemInfo& Table) {
  std::string out;
  for (int r = 0; r < Table.Rows().Count(); ++r)
    for (int c = 0; c < Table.Rows().GetColCount(); ++c)
      out += std::to_string(Table.GetCell(r, c)->GetItem(0)->StyleNo) +
             (c + 1 < Table.Rows().GetColCount() ? " " : "\n");
  return out;
}

TEST(TableCommandsTest, ConversionsOfSelectedCellsUseTheRootEditorsHandlersAndSkipRefusedCells) {
  TTableEditFixture f(2, 2);
  while (f.Sheet.TextStyles().Count() < 3) f.Sheet.TextStyles().AddStyle();
  f.Editor.OnStyleConversion = [](TCustomRVEdit*, int, int UserData, bool, int& NewStyleNo) {
    NewStyleNo = UserData;
  };
  f.Editor.OnParaStyleConversion = [](TCustomRVEdit*, int, int UserData, bool, int& NewStyleNo) {
    NewStyleNo = UserData;
  };
  f.T().OnCellEditing = [](TRVTableItemInfo*, int Row, int Col, bool, bool& AllowEdit) {
    AllowEdit = !(Row == 0 && Col == 0);
  };
  SelectCells(f.T(), 0, 0, 1, 1);
  TRVTableCommands::ApplyStyleConversionToCells(f.T(), 2);
  EXPECT_EQ(StyleNos(f.T()), "0 2\n2 2\n");
  TRVTableCommands::ApplyParaStyleConversionToCells(f.T(), 1);
  EXPECT_EQ(ParaNos(f.T()), "0 1\n1 1\n");
  ASSERT_EQ(f.Data().UndoList->Count(), 2);
  f.Editor.Undo();
  EXPECT_EQ(ParaNos(f.T()), "0 0\n0 0\n");
  EXPECT_EQ(StyleNos(f.T()), "0 2\n2 2\n");
  f.Editor.Undo();
  EXPECT_EQ(StyleNos(f.T()), "0 0\n0 0\n");
  EXPECT_EQ(Grid(f.T()), "00 01\n10 11\n");
}

TEST(TableCommandsTest, CommandsOnSelectedCellsOfAReadOnlyEditorDoNothing) {
  TTableEditFixture f(1, 2);
  SelectCells(f.T(), 0, 0, 0, 1);
  f.Editor.SetReadOnly(true);
  TRVTableCommands::DeleteSelectedCellsContent(f.T());
  TRVTableCommands::ApplyParaStyleToCells(f.T(), 1);
  EXPECT_EQ(Grid(f.T()), "00 01\n");
  EXPECT_EQ(ParaNos(f.T()), "0 0\n");
  EXPECT_EQ(f.Data().UndoList->Count(), 0);
}

// ---- with a cell editor open ----------------------------------------------------------------

TEST(TableCommandsTest, APropertyChangeWhileACellIsEditedKeepsWhatWasTypedAsItsOwnStep) {
  TCellEditorFixture f;
  f.T().OpenCellEditor(-1, 1, 1, false, false, true, 0, true);
  ASSERT_NE(f.CellEditor(), nullptr);
  f.CellEditor()->InsertText("!");
  f.T().SetCellPadding(6);
  EXPECT_EQ(f.T().CellPadding, 6);
  EXPECT_EQ(f.Text(1, 1), "11!");
  ASSERT_EQ(f.Data().UndoList->Count(), 2) << "the typing first, then the padding";
  f.Editor.Undo();
  EXPECT_EQ(f.T().CellPadding, 1);
  EXPECT_EQ(f.Text(1, 1), "11!");
  f.Editor.Undo();
  f.Process();
  EXPECT_EQ(f.Text(1, 1), "11");
}

TEST(TableCommandsTest, AStructuralCommandClosesTheCellEditorKeepingWhatWasTyped) {
  TCellEditorFixture f;
  f.T().OpenCellEditor(-1, 1, 1, false, false, true, 0, true);
  f.CellEditor()->InsertText("!");
  TRVTableCommands::InsertRows(f.T(), 0, 1, -1, true);
  EXPECT_EQ(f.CellEditor(), nullptr);
  EXPECT_EQ(Grid(f.T()), "_ _\n00 01\n10 11!\n");
  int top = 0, left = 0, cols = 0, rows = 0;
  ASSERT_TRUE(f.T().GetSelectionBounds(top, left, cols, rows)) << "the new row is selected";
  EXPECT_EQ(top, 0);
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(cols, 2);
  f.Editor.Undo();
  EXPECT_EQ(Grid(f.T()), "00 01\n10 11!\n");
}

TEST(TableCommandsTest, DeletingColumnsBeforeTheCellEditorReopensItOnTheSameCell) {
  TCellEditorFixture f;
  TRVTableCommands::InsertColumns(f.T(), 0, 1, -1, false);
  f.T().OpenCellEditor(-1, 1, 2, false, false, true, 0, true);
  TRVTableCommands::DeleteColumns(f.T(), 0, 1, false);
  ASSERT_NE(f.CellEditor(), nullptr);
  EXPECT_EQ(f.CellEditor()->Row, 1);
  EXPECT_EQ(f.CellEditor()->Col, 1) << "the column moved left with the deletion";
  EXPECT_EQ(f.Text(1, 1), "11");
  f.T().DestroyInplace(true);
  // Without an editor open, the editor opens in row 0 at the deleted index.
  TRVTableCommands::DeleteColumns(f.T(), 1, 1, false);
  ASSERT_NE(f.CellEditor(), nullptr);
  EXPECT_EQ(f.CellEditor()->Row, 0);
  EXPECT_EQ(f.CellEditor()->Col, 0) << "cut to the last slot of the row";
}

}  // namespace
