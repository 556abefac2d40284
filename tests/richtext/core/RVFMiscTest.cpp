// RVF helper routines (hex, tokens, references) and documents nested in RVF records, the
// way table cells are: shared style maps and bounded nesting.
#include <gtest/gtest.h>

#include "RVFTestSupport.h"

using namespace rvftest;

namespace {

TEST(RVFHexTest, DecodesEitherCaseAndRefusesBadText) {
  struct Case {
    const char* hex;
    bool ok;
    std::string bytes;
  };
  const Case cases[] = {{"0a1B", true, "\x0a\x1b"},
                        {"", true, ""},
                        {"0a1", false, ""},
                        {"0G", false, ""},
                        {"FF00", true, std::string("\xff\0", 2)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hex);
    TMemoryStream stream;
    EXPECT_EQ(RVFHexToStream(c.hex, stream), c.ok);
    if (c.ok) {
      EXPECT_EQ(stream.DataString(), c.bytes);
    }
  }
  EXPECT_EQ(RVFStringToHex(std::string("\x0a\xff", 2)), "0AFF");
  EXPECT_EQ(RVFHexToString("41x242"), "A");  // stops at the first bad pair
  EXPECT_EQ(RVFHexToString("414"), "");      // odd length
  EXPECT_EQ(RVFWideToHex(u"\u0416A"), "04160041");
  EXPECT_EQ(RVFHexToWide("04160041"), u"\u0416A");
}

TEST(RVFTokenTest, ReadsIntegersWordsAndQuotedNames) {
  std::string_view p = "-12 7 x";
  int32_t v = 0;
  ASSERT_TRUE(RVFReadInteger(p, v));
  EXPECT_EQ(v, -12);
  ASSERT_TRUE(RVFReadInteger(p, v));
  EXPECT_EQ(v, 7);
  EXPECT_FALSE(RVFReadInteger(p, v));
  EXPECT_EQ(p, "x");  // a refused token is left in place
  for (std::string_view bad : {"-", "", "12a", "99999999999", "+1"}) {
    std::string_view q = bad;
    EXPECT_FALSE(RVFReadInteger(q, v)) << bad;
  }
  std::string_view q = "\"a \"\"b\"\"\" rest";
  std::string s;
  ASSERT_TRUE(RVFReadQuotedString(q, s));
  EXPECT_EQ(s, "a \"b\"");
  EXPECT_EQ(q, "rest");
  std::string_view unterminated = "\"abc";
  EXPECT_FALSE(RVFReadQuotedString(unterminated, s));
  std::string_view w = "word next";
  ASSERT_TRUE(RVFReadWord(w, s));
  EXPECT_EQ(s, "word");
  TRVTag tag;
  std::string_view t = "0 x";
  ASSERT_TRUE(RVFReadTag(t, true, tag));
  EXPECT_FALSE(tag.Text.has_value());
}

TEST(RVFTokenTest, WritesTagsAsOneWord) {
  EXPECT_EQ(RVFTagToText(false, TRVTag{-4, {}}), "-4");
  EXPECT_EQ(RVFTagToText(true, TRVTag{}), "0");
  EXPECT_EQ(RVFTagToText(true, TRVTag{0, std::string()}), "0");
  EXPECT_EQ(RVFTagToText(true, TRVTag{0, std::string("a b")}), "a_b");
}

// ---- a nested document inside an item, read through the component-stream form ------------

class TCellData : public TCustomRVData {
 public:
  explicit TCellData(TCustomRVData* parent) : parent_(parent) {}
  TCustomRVData* GetParentData() const override { return parent_; }
  TCustomRVData* GetRootData() override { return parent_->GetRootData(); }
  TRVStyle* GetRVStyle() const override { return parent_->GetRVStyle(); }
  TRVFOptions GetRVFOptions() const override { return parent_->GetRVFOptions(); }
  void SetRVFOptions(TRVFOptions v) override { parent_->SetRVFOptions(v); }
  TRVFWarnings GetRVFReadWarnings() const override { return parent_->GetRVFReadWarnings(); }
  void SetRVFReadWarnings(TRVFWarnings v) override { parent_->SetRVFReadWarnings(v); }

 private:
  TCustomRVData* parent_;
};

/// An item holding one nested document, as a table holds cells: its record is an empty line
/// and the document in component-stream form, as hex text or as a binary line.
class TBoxItemInfo : public TRVNonTextItemInfo {
  ZUK_RV_ITEM_CLASS(TBoxItemInfo)

 public:
  explicit TBoxItemInfo(TCustomRVData* RVData) : TRVNonTextItemInfo(RVData) {}
  bool ReadRVFLine(std::string_view S, TRVFLineContext& Context) override {
    if (Context.LineNo == 0) {
      if (Context.ReadType == rvfrtBinary) Context.ReadMode = rmBeforeBinary;
      return true;
    }
    Cell = std::make_unique<TCellData>(Context.RVData);
    TMemoryStream stream;
    if (Context.ReadType == rvfrtBinary)
      stream.WriteBuffer(S);
    else if (!RVFHexToStream(S, stream))
      return false;
    stream.SetPosition(0);
    return Cell->ReadRVFFromComponentStream(stream);
  }
  void SaveRVF(TStream& Stream, TCustomRVData* RVData, int, int32_t ParaNo, const std::string&,
               const TRVMultiDrawItemPart*, bool) override {
    const bool binary = RVFSaveBinary(RVData);
    RVFWriteItemHeader(Stream, RVData, *this, ParaNo, 2, binary ? rvfrtBinary : rvfrtText);
    RVFWriteLine(Stream, "");
    TMemoryStream body;
    Cell->WriteRVFToComponentStream(body);
    if (binary)
      RVFWriteBinaryBlock(Stream, [&body](TStream& s) { s.WriteBuffer(body.DataString()); });
    else
      RVFWriteLine(Stream, RVFStreamToHex(body));
  }
  std::unique_ptr<TCellData> Cell;
};

constexpr TRVItemStyleNo kBoxStyleNo = -100;

class RVFNestingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RVRegisterItemClass(kBoxStyleNo, TBoxItemInfo::ItemClass());
    data.SetRVStyle(&style);
  }
  /// A box record around a stream, in component-stream form.
  static std::string BoxRecord(const std::string& inner) {
    return Lines({"-100 2 0 0 0 0 ", "", Hex(Int32LE(static_cast<int32_t>(inner.size())) + inner)});
  }
  static std::string BinaryBoxRecord(const std::string& inner) {
    return Lines({"-100 2 0 0 2 0 ", ""}) + BinaryLine(Int32LE(static_cast<int32_t>(inner.size())) + inner);
  }

  TRVStyle style;
  TTestRVData data;
};

TEST_F(RVFNestingTest, NestedDocumentsUseTheOuterStreamsStyleMaps) {
  TFontInfo courier;
  courier.FontName = "Courier New";
  style.TextStyles()[3].Assign(&courier);
  const std::string block =
      Bytes({0x0E, 0x01}) + Short("FontName") + Bytes({0x06}) + Short("Courier New") + Bytes({0x00, 0x00});
  const std::string inner = Lines({"-8 1 2", "0 1 0 0 0 0", "in the cell"});
  TMemoryStream stream(Lines({"-8 1 2", "-9 2 0 0 0 0 1", "", Hex(block)}) + BoxRecord(inner));
  TColor color = clNone;
  ASSERT_TRUE(data.InsertRVFFromStream(stream, 0, color, nullptr, nullptr, false));
  ASSERT_EQ(data.GetItemCount(), 1);
  auto* box = dynamic_cast<TBoxItemInfo*>(data.GetItem(0));
  ASSERT_NE(box, nullptr);
  ASSERT_EQ(box->Cell->GetItemCount(), 1);
  EXPECT_EQ(box->Cell->GetItemStyleNo(0), 3);
  EXPECT_EQ(data.GetRVFStyleMaps().TextMap, nullptr);  // released when the outer read ends
}

TEST_F(RVFNestingTest, NestedDocumentCannotReplaceTheSharedSheet) {
  const std::string block =
      Bytes({0x0E, 0x01}) + Short("FontName") + Bytes({0x06}) + Short("Courier New") + Bytes({0x00, 0x00});
  const std::string inner = Lines({"-8 1 2", "-9 2 0 0 0 0 1", "", Hex(block), "0 1 0 0 0 0", "in the cell"});
  TMemoryStream stream(Lines({"-8 1 2", "5 1 0 0 0 0", "outside"}) + BoxRecord(inner));
  const int before = style.TextStyles().Count();
  TColor color = clNone;
  EXPECT_FALSE(data.LoadRVFFromStream(stream, color, nullptr, nullptr));
  EXPECT_EQ(style.TextStyles().Count(), before);
  EXPECT_TRUE(data.GetRVFReadWarnings() & rvfwStyleOutOfRange);
  EXPECT_EQ(data.GetItemCount(), 1);
}

TEST_F(RVFNestingTest, NestedDocumentReadOnItsOwnReleasesTheMaps) {
  const std::string block =
      Bytes({0x0E, 0x01}) + Short("FontName") + Bytes({0x06}) + Short("Courier New") + Bytes({0x00, 0x00});
  TCellData cell(&data);
  TMemoryStream stream(Lines({"-8 1 2", "-9 2 0 0 0 0 1", "", Hex(block), "0 1 0 0 0 0", "x"}));
  TColor color = clNone;
  ASSERT_TRUE(cell.InsertRVFFromStream(stream, 0, color, nullptr, nullptr, false));
  ASSERT_EQ(cell.GetItemCount(), 1);
  // The maps live in the root; the next read of the root must not find this stream's.
  EXPECT_EQ(data.GetRVFStyleMaps().TextMap, nullptr);
}

TEST_F(RVFNestingTest, NestedDocumentRoundTrips) {
  auto box = std::make_unique<TBoxItemInfo>(&data);
  box->StyleNo = kBoxStyleNo;
  box->Cell = std::make_unique<TCellData>(&data);
  box->Cell->AddTextItem("cell text", 1, 0);
  data.AddItem("", std::move(box));
  for (TRVFOptions options : {rvDefaultRVFOptions, TRVFOptions(0)}) {
    data.SetRVFOptions(options);
    TMemoryStream stream;
    ASSERT_TRUE(data.SaveRVFToStream(stream, false, clNone, nullptr, nullptr));
    TTestRVData copy;
    copy.SetRVStyle(&style);
    stream.SetPosition(0);
    TColor color = clNone;
    ASSERT_TRUE(copy.LoadRVFFromStream(stream, color, nullptr, nullptr));
    auto* read = dynamic_cast<TBoxItemInfo*>(copy.GetItem(0));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(Describe(*read->Cell), Describe(*dynamic_cast<TBoxItemInfo*>(data.GetItem(0))->Cell));
  }
}

TEST_F(RVFNestingTest, DeepNestingFailsWithoutOverflow) {
  std::string stream = Lines({"-8 1 2", "0 1 0 0 0 0", "core"});
  for (int depth = 0; depth < 200; ++depth) stream = Lines({"-8 1 2"}) + BinaryBoxRecord(stream);
  TMemoryStream in(stream);
  TColor color = clNone;
  EXPECT_FALSE(data.LoadRVFFromStream(in, color, nullptr, nullptr));
}

}  // namespace
