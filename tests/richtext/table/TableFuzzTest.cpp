// The RVF fuzzing step over deterministic mutations of documents holding tables: no input
// may raise, crash, leak or hang, and whatever loads must write back stably.
#include <gtest/gtest.h>

#include "../../../tools/fuzz/FuzzMutator.h"
#include "../../../tools/fuzz/RVFTableFuzzEntry.h"
#include "TableTestSupport.h"

using namespace tabletest;
using rvftest::BinaryLine;
using rvftest::Lines;

namespace {

std::vector<std::string> TableSeeds() {
  const std::string bmp = rvftest::BitmapFile(2, 2, clBlue);
  const std::string picture =
      Binary(Int32LE(7) + "TBitmap" + Int32LE(static_cast<int32_t>(bmp.size())) + bmp);
  const std::string merged =
      TableStream(Prop("T.BorderWidth", Int(2)) + Prop("T.Color", Ident("clRed")), 2, 3,
                  Entry(2, 2, Cell(CellData(TextRVF("m")))) + Entry(1, 1) + Entry(1, 1),
                  Short("RowVAlign") + "\x01" + Int(1) + Int(2) + End());
  const std::string inner = "-8 1 2\r\n" + TableRecord(TableStream("", 1, 2, Entry(1, 1) + Entry(1, 1)));
  const std::string nested = TableStream("", 1, 1, Entry(1, 1, Cell(CellData(inner))));
  const std::string backgrounds = TableStream(Prop("T.BackgroundImg", picture), 1, 1,
                                              Entry(1, 1, Cell(Prop("C.BackgroundImg", picture))));
  const std::string button = "TPF0" + Short("TButton") + Short("OK") + Short("Caption") + "\x06" +
                             Short("Go") + std::string(2, '\0');
  const std::string edit = "TPF0" + Short("TEdit") + Short("") + Short("Text") + "\x06" + Short("typed") +
                           Short("Width") + "\x02\x50" + std::string(2, '\0');
  const std::string controls = Lines({"-5 3 0 0 0 0 0", "b", "TButton", rvftest::Hex(button),
                                      "-5 4 -1 0 2 0 1", "e", "TEdit", "spacing=3"}) +
                               BinaryLine(edit);
  return {
      "-8 1 2\r\n" + TableRecord(TableStream("", 1, 1, Entry(1, 1))),
      "-8 1 2\r\n" + TableRecord(TableStream("", 1, 1, Entry(1, 1))) + controls,
      "-8 1 2\r\n" + Lines({"0 1 0 0 0 0", "before"}) + TableRecord(merged) + Lines({"0 1 0 0 0 0", "after"}),
      "-8 1 2\r\n" + TableRecord(nested),
      "-8 1 2\r\n" + Lines({"-60 3 0 0 2 0 ", "", "1"}) + BinaryLine(merged),
      "-8 1 2\r\n" + TableRecord(backgrounds),
  };
}

TEST(TableFuzzTest, SeedsLoad) {
  for (const std::string& seed : TableSeeds()) {
    TDoc doc;
    TMemoryStream in(seed);
    TColor color = clNone;
    ASSERT_TRUE(doc.LoadRVFFromStream(in, color, nullptr, nullptr)) << seed;
    bool hasTable = false;
    for (int i = 0; i < doc.GetItemCount(); ++i) hasTable |= doc.GetItemStyleNo(i) == rvsTable;
    EXPECT_TRUE(hasTable);
    EXPECT_NO_THROW(FuzzRVFWithTablesOnce(reinterpret_cast<const uint8_t*>(seed.data()), seed.size()));
  }
}

TEST(TableFuzzTest, MutatedTableRecordsNeverFault) {
  const std::vector<std::string> seeds = TableSeeds();
  EXPECT_EQ(ReplayMutations(seeds, 0x7ab1e5eedULL, 3000, FuzzRVFWithTablesOnce), "");
}

}  // namespace
