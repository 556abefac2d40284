// Table records of RVF: hand-written component streams and records load into the grid they
// describe and are written back to the same bytes; lying records fail the read.
#include <gtest/gtest.h>

#include "TableTestSupport.h"
#include "TableViewSupport.h"
#include "platform/graphics/Bitmap.h"
#include "richtext/table/RVTablePrint.h"

using namespace tabletest;
using rvftest::BinaryLine;
using rvftest::Hex;
using rvftest::Lines;

namespace {

/// The writer's options for hex records (the default ones write binary records).
constexpr TRVFOptions kHexOptions = rvDefaultRVFOptions & ~rvfoSaveBinary;

class TableRVFTest : public ::testing::Test {
 protected:
  /// Loads a whole RVF stream into doc; true on success.
  bool Load(const std::string& rvf, TRVFOptions options = kHexOptions) {
    doc.SetRVFOptions(options);
    TMemoryStream stream(rvf);
    TColor color = clNone;
    return doc.LoadRVFFromStream(stream, color, nullptr, nullptr);
  }
  std::string Save(TRVFOptions options = kHexOptions) {
    doc.SetRVFOptions(options);
    TMemoryStream stream;
    EXPECT_TRUE(doc.SaveRVFToStream(stream, false, clNone, nullptr, nullptr));
    return stream.DataString();
  }
  /// The first item of doc as a table.
  TRVTableItemInfo* Table() {
    if (doc.GetItemCount() == 0) return nullptr;
    return dynamic_cast<TRVTableItemInfo*>(doc.GetItem(0));
  }
  /// Loads the stream as the body of a table record, checks the grid and the written-back
  /// bytes, and answers the table.
  TRVTableItemInfo* RoundTrip(const std::string& stream) {
    const std::string rvf = "-8 1 2\r\n" + TableRecord(stream);
    EXPECT_TRUE(Load(rvf));
    TRVTableItemInfo* table = Table();
    if (table == nullptr) return nullptr;
    EXPECT_EQ(GridFault(*table), "");
    EXPECT_EQ(Save(), rvf);
    return table;
  }
  TDoc doc;
};

TEST_F(TableRVFTest, DefaultTableIsThirtySixBytes) {
  const std::string stream = TableStream("", 1, 1, Entry(1, 1));
  ASSERT_EQ(stream.size(), 36u);
  TRVTableItemInfo* t = RoundTrip(stream);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Rows().Count(), 1);
  EXPECT_FALSE(t->GetCell(0, 0)->HasContent(true));
  // A new table writes exactly this stream.
  TRVTableItemInfo fresh(&doc);
  fresh.SaveRowCount = 1;
  TMemoryStream written;
  fresh.WriteComponentStream(written);
  EXPECT_EQ(written.DataString(), stream);
}

TEST_F(TableRVFTest, EmptyTableWritesZeroRows) {
  TRVTableItemInfo* t = RoundTrip(TableStream("", 0, 0, ""));
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(t->Rows().IsEmpty());
}

TEST_F(TableRVFTest, MergedCellsAcrossRowsAndColumns) {
  // 3 x 3: (0,0) spans two rows and two columns; (1,2) spans the last two rows.
  const std::string entries = Entry(2, 2, Cell(CellData(TextRVF("big")))) + Entry(1, 1) + Entry(1, 2) +
                              Entry(1, 1) + Entry(1, 1, Cell(CellData(TextRVF("corner"))));
  TRVTableItemInfo* t = RoundTrip(TableStream("", 3, 3, entries));
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->GetCell(0, 0)->RowSpan, 2);
  EXPECT_EQ(t->GetCell(0, 0)->ColSpan, 2);
  EXPECT_EQ(t->GetCell(0, 0)->GetItemText(0), "big");
  EXPECT_EQ(t->GetCell(1, 2)->RowSpan, 2);
  EXPECT_EQ(t->GetCell(2, 2), nullptr);
  EXPECT_EQ(t->GetCell(2, 1)->GetItemText(0), "corner");
}

TEST_F(TableRVFTest, TopRowMergedWritesThreeEntries) {
  TRVTableItemInfo* t = doc.AddTable(2, 2);
  ASSERT_TRUE(t->Rows().MergeCells(0, 0, 2, 1, true, false));
  EXPECT_EQ(Save(),
            "-8 1 2\r\n" + TableRecord(TableStream("", 2, 2, Entry(2, 1) + Entry(1, 1) + Entry(1, 1))));
}

TEST_F(TableRVFTest, EveryTablePropertyAwayFromItsDefault) {
  const std::string props =
      Prop("T.Options", Set({"rvtoEditing", "rvtoRTFAllowAutofit", "rvtoCellBelowBorders"})) +
      Prop("T.PrintOptions", Set({"rvtoWhiteBackground"})) + Prop("T.BestWidth", Int(-50)) +
      Prop("T.Color", Ident("clRed")) + Prop("T.BackgroundStyle", Ident("rvbsTiled")) +
      Prop("T.HeadingRowCount", Int(1)) + Prop("T.TextRowSeparator", Str("|\n")) +
      Prop("T.TextColSeparator", Str("")) + Prop("T.BorderWidth", Int(3)) +
      Prop("T.BorderColor", Int(0x123456)) + Prop("T.BorderLightColor", Ident("clYellow")) +
      Prop("T.BorderStyle", Ident("rvtbLoweredColor")) + Prop("T.BorderVSpacing", Int(300)) +
      Prop("T.BorderHSpacing", Int(0)) + Prop("T.CellBorderWidth", Int(1)) +
      Prop("T.CellBorderColor", Ident("clBlue")) + Prop("T.CellBorderLightColor", Ident("clWhite")) +
      Prop("T.CellPadding", Int(4)) + Prop("T.CellBorderStyle", Ident("rvtbColor")) +
      Prop("T.VRuleWidth", Int(2)) + Prop("T.VRuleColor", Ident("clGreen")) +
      Prop("T.HRuleWidth", Int(70000)) + Prop("T.HRuleColor", Ident("clBtnFace")) +
      Prop("T.CellVSpacing", Int(-1)) + Prop("T.CellHSpacing", Int(5)) + Prop("T.VOutermostRule", True()) +
      Prop("T.HOutermostRule", True());
  TRVTableItemInfo* t = RoundTrip(TableStream(props, 1, 1, Entry(1, 1)));
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Options, rvtoEditing | rvtoRTFAllowAutofit | rvtoCellBelowBorders);
  EXPECT_EQ(t->PrintOptions, rvtoWhiteBackground);
  EXPECT_EQ(t->BestWidth, -50);
  EXPECT_EQ(t->Color, clRed);
  EXPECT_EQ(t->GetBackgroundStyle(), rvbsTiled);
  EXPECT_EQ(t->TextRowSeparator, "|\n");
  EXPECT_EQ(t->TextColSeparator, "");
  EXPECT_EQ(t->BorderColor, 0x123456);
  EXPECT_EQ(t->BorderStyle, rvtbLoweredColor);
  EXPECT_EQ(t->BorderVSpacing, 300);
  EXPECT_EQ(t->HRuleWidth, 70000);
  EXPECT_EQ(t->HRuleColor, clBtnFace);
  EXPECT_EQ(t->CellVSpacing, -1);
  EXPECT_TRUE(t->VOutermostRule);
  EXPECT_TRUE(t->HOutermostRule);
}

TEST_F(TableRVFTest, EveryCellPropertyAwayFromItsDefaultAndRowAlignments) {
  const std::string cellProps =
      Prop("C.Color", Ident("clAqua")) + Prop("C.BorderColor", Ident("clMaroon")) +
      Prop("C.BorderLightColor", Int(0x00FF01)) + Prop("C.BestWidth", Int(120)) +
      Prop("C.BestHeight", Int(40)) + Prop("C.VisibleBorders.Left", False()) +
      Prop("C.VisibleBorders.Right", False()) + Prop("C.VisibleBorders.Top", False()) +
      Prop("C.VisibleBorders.Bottom", False()) + Prop("C.VAlign", Ident("rvcBottom")) +
      Prop("C.BackgroundStyle", Ident("rvbsCentered")) + CellData(TextRVF("text"));
  const std::string rowVAlign = Short("RowVAlign") + "\x01" + Int(2) + Int(3) + End();
  TRVTableItemInfo* t =
      RoundTrip(TableStream("", 2, 1, Entry(1, 1, Cell(cellProps)) + Entry(1, 1), rowVAlign));
  ASSERT_NE(t, nullptr);
  const TRVTableCellData* cell = t->GetCell(0, 0);
  EXPECT_EQ(cell->Color, clAqua);
  EXPECT_EQ(cell->BorderLightColor, 0x00FF01);
  EXPECT_EQ(cell->BestWidth, 120);
  EXPECT_TRUE(cell->VisibleBorders.IsAllEqual(false));
  EXPECT_EQ(cell->VAlign, rvcBottom);
  EXPECT_EQ(cell->GetBackgroundStyle(), rvbsCentered);
  EXPECT_EQ(t->Rows().Get(0)->VAlign, rvcBottom);
  EXPECT_EQ(t->Rows().Get(1)->VAlign, rvcVDefault);
}

TEST_F(TableRVFTest, BackgroundPicturesOfTableAndCell) {
  const std::string bmp = rvftest::BitmapFile(2, 3, clRed);
  const std::string picture =
      Binary(Int32LE(7) + "TBitmap" + Int32LE(static_cast<int32_t>(bmp.size())) + bmp);
  const std::string stream = TableStream(Prop("T.BackgroundImg", picture), 1, 1,
                                         Entry(1, 1, Cell(Prop("C.BackgroundImg", picture))));
  TRVTableItemInfo* t = RoundTrip(stream);
  ASSERT_NE(t, nullptr);
  ASSERT_NE(t->GetBackgroundImage(), nullptr);
  EXPECT_EQ(t->GetBackgroundImage()->Width(), 2);
  ASSERT_NE(t->GetCell(0, 0)->GetBackgroundImage(), nullptr);
  EXPECT_EQ(t->GetCell(0, 0)->GetBackgroundImage()->Height(), 3);
  // A class nobody registered fails the record.
  const std::string unknown = Binary(Int32LE(6) + "TNoPic" + Int32LE(0));
  EXPECT_FALSE(Load("-8 1 2\r\n" + TableRecord(TableStream(Prop("T.BackgroundImg", unknown), 0, 0, ""))));
}

TEST_F(TableRVFTest, NestedTableRoundTrips) {
  const std::string inner = TableStream("", 1, 2, Entry(1, 1, Cell(CellData(TextRVF("in")))) + Entry(1, 1));
  const std::string cellDoc = "-8 1 2\r\n" + TableRecord(inner);
  TRVTableItemInfo* t = RoundTrip(TableStream("", 1, 1, Entry(1, 1, Cell(CellData(cellDoc)))));
  ASSERT_NE(t, nullptr);
  auto* nested = dynamic_cast<TRVTableItemInfo*>(t->GetCell(0, 0)->GetItem(0));
  ASSERT_NE(nested, nullptr);
  EXPECT_EQ(nested->GetCell(0, 0)->GetItemText(0), "in");
  EXPECT_EQ(nested->GetCell(0, 0)->GetTable(), nested);
}

TEST_F(TableRVFTest, BinaryRecordsReadOnlyAsBinary) {
  const std::string stream = TableStream("", 1, 2, Entry(1, 1, Cell(CellData(TextRVF("b")))) + Entry(1, 1));
  const std::string rvf = "-8 1 2\r\n" + Lines({"-60 3 0 0 2 0 ", "", "1"}) + BinaryLine(stream);
  ASSERT_TRUE(Load(rvf));
  ASSERT_NE(Table(), nullptr);
  EXPECT_EQ(Table()->GetCell(0, 0)->GetItemText(0), "b");
  EXPECT_EQ(Save(rvDefaultRVFOptions), rvf);
}

TEST_F(TableRVFTest, APrintedPartSavesItsRowsOnly) {
  TRVTableItemInfo* t = doc.AddTable(3, 1);
  t->Rows().Get(2)->VAlign = rvcMiddle;
  doc.SetRVFOptions(kHexOptions);
  TRVTablePrintPart part;
  part.FirstRow = 1, part.RowCount = 2;
  TMemoryStream record;
  t->SaveRVF(record, &doc, 0, 0, "", &part, false);
  EXPECT_EQ(record.DataString(),
            TableRecord(TableStream("", 2, 1, Entry(1, 1) + Entry(1, 1),
                                    Short("RowVAlign") + "\x01" + Int(0) + Int(1) + End())));
}

TEST(TableCellListReadingTest, ClosesTheCellEditorAndLetsGoOfTheMouseFirst) {
  TPaintDoc doc;
  TRVStyle style;
  doc.SetRVStyle(&style);
  doc.AddItem("", TRVTableItemInfo::CreateWithSize(2, 2, &doc));
  auto* table = static_cast<TRVTableItemInfo*>(doc.GetItem(0));
  TFakeEditor editor(*table, 1, 1);
  int32_t left = 0, top = 0;
  doc.SetMouseCapture(table, left, top);
  TMemoryStream body(TableStream("", 1, 1, Entry(1, 1)));
  table->ReadComponentStream(body);
  EXPECT_EQ(editor.closes, std::vector<bool>{false}) << "closed without storing what it held";
  EXPECT_EQ(doc.CaptureMouseItem, nullptr);
}

TEST_F(TableRVFTest, LyingRecordsFailTheRead) {
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"too few entries", TableStream("", 2, 1, Entry(1, 1))},
      {"too many entries", TableStream("", 1, 1, Entry(1, 1) + Entry(1, 1))},
      {"span beyond the grid", TableStream("", 1, 2, Entry(3, 1))},
      {"zero span", TableStream("", 1, 1, Entry(0, 1))},
      {"span over a covered slot",
       TableStream("", 2, 3, Entry(1, 1) + Entry(1, 1) + Entry(1, 2) + Entry(1, 1) + Entry(2, 1))},
      {"huge grid from a few bytes", TableStream("", 100000, 100000, Entry(1, 1))},
      {"negative rows", TableStream("", -1, 1, "")},
      {"unknown property", TableStream(Prop("T.Nothing", Int(1)), 0, 0, "")},
      {"bad row alignment", TableStream("", 1, 1, Entry(1, 1), Short("RowVAlign") + "\x01" + Int(9) + End())},
      {"data longer than the stream",
       TableStream("", 1, 1, Entry(1, 1, Cell(Prop("C.Data", "\x0A" + Int32LE(1 << 30)))))},
      {"cell document that is not RVF", TableStream("", 1, 1, Entry(1, 1, Cell(CellData("-60 x"))))},
      {"truncated", TableStream("", 1, 1, Entry(1, 1)).substr(0, 30)},
      {"absurd border width", TableStream(Prop("T.BorderWidth", Int(1 << 30)), 0, 0, "")},
      {"absurd negative spacing", TableStream(Prop("T.CellHSpacing", Int(-5000)), 0, 0, "")},
      {"absurd percentage", TableStream(Prop("T.BestWidth", Int(-(1 << 30))), 0, 0, "")},
      {"absurd cell height", TableStream("", 1, 1, Entry(1, 1, Cell(Prop("C.BestHeight", Int(1 << 30)))))},
  };
  for (const auto& [what, stream] : cases) {
    EXPECT_FALSE(Load("-8 1 2\r\n" + TableRecord(stream))) << what;
    TRVTableItemInfo table(&doc);
    TMemoryStream body(stream);
    EXPECT_THROW(table.ReadComponentStream(body), EReadError) << what;
  }
  EXPECT_FALSE(Load("-8 1 2\r\n" + Lines({"-60 3 0 0 0 0 ", "", "1", "0G"}))) << "bad hex";
}

TEST_F(TableRVFTest, DeepNestingIsRefused) {
  std::string stream = TableStream("", 1, 1, Entry(1, 1));
  for (int i = 0; i < 40; ++i) {
    const std::string rvf = "-8 1 2\r\n" + Lines({"-60 3 0 0 2 0 ", "", "1"}) + BinaryLine(stream);
    stream = TableStream("", 1, 1, Entry(1, 1, Cell(CellData(rvf))));
  }
  EXPECT_FALSE(Load("-8 1 2\r\n" + Lines({"-60 3 0 0 2 0 ", "", "1"}) + BinaryLine(stream)));
}

}  // namespace
