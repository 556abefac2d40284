// List markers from RTF: paragraph numbering and list tables become list styles and marker
// items, only in the mode that may add styles.
#include <gtest/gtest.h>

#include "RTFTestSupport.h"
#include "richtext/table/TableTestSupport.h"

using namespace rtfimport;

namespace {

const std::string kPN =
    "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Symbol;}}\\f0"
    "{\\pn\\pnlvl1\\pndec\\pnstart1\\pnindent360{\\pntxta .}}\\li720\\fi-360 one\\par"
    "{\\pn\\pnlvl1\\pndec\\pnstart1\\pnindent360{\\pntxta .}}two\\par\\pard plain\\par"
    "{\\pn\\pnlvl1\\pndec\\pnstart1\\pnindent360{\\pntxta .}}\\li720\\fi-360 three}";

const std::string kListTable =
    "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Symbol;}}"
    "{\\*\\listtable{\\list\\listid10{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
    "{\\levelnumbers\\'01;}\\f0\\fi-360\\li720\\tx720}"
    "{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'02\\'01);}{\\levelnumbers\\'01;}\\f0\\fi-"
    "360\\li1440}}"
    "{\\list\\listid20{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}\\f1\\fi-360\\li720}}}"
    "{\\*\\listoverridetable{\\listoverride\\listid10\\listoverridecount0\\ls1}"
    "{\\listoverride\\listid20\\listoverridecount0\\ls2}}\\f0 "
    "\\pard\\ls1\\ilvl0 first\\par\\pard\\ls1\\ilvl1 nested\\par\\pard\\ls1\\ilvl0 second\\par"
    "\\pard\\ls2 bullet\\par\\pard after}";

class RTFListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetACP(1252);
    doc.Props.ParaStyleMode = rvrsAddIfNeeded;
    doc.Props.UnicodeMode = rvruMixed;
  }
  TDoc doc;
};

TEST_F(RTFListsTest, ParagraphNumberingSharesAListStyle) {
  ASSERT_EQ(doc.Read(kPN), 0);
  const std::string outline = Outline(doc);
  EXPECT_EQ(doc.Style.ListStyles().Count(), 1) << outline;
  ASSERT_GE(doc.GetItemCount(), 7) << outline;  // marker, one, marker, two, plain, marker, three
  auto* m1 = dynamic_cast<TRVMarkerItemInfo*>(doc.GetItem(0));
  auto* m2 = dynamic_cast<TRVMarkerItemInfo*>(doc.GetItem(2));
  auto* m3 = dynamic_cast<TRVMarkerItemInfo*>(doc.GetItem(5));
  ASSERT_TRUE(m1 && m2 && m3) << outline;
  EXPECT_EQ(m1->ListNo, 0);
  EXPECT_EQ(m2->ListNo, 0);
  EXPECT_TRUE(m1->Reset);
  EXPECT_FALSE(m2->Reset) << "the level's list is known by the second paragraph";
  EXPECT_TRUE(m3->Reset) << "an unnumbered paragraph between them resets the level memory";
  const TRVListLevel& level = doc.Style.ListStyles()[0].Levels()[0];
  EXPECT_EQ(level.ListType, rvlstDecimal);
  EXPECT_EQ(level.FormatString, "%s.");
  EXPECT_EQ(doc.GetItemText(1), "one");
  EXPECT_TRUE(doc.GetItem(1)->GetSameAsPrev()) << "the text continues the marker's paragraph";
}

TEST_F(RTFListsTest, ListTableBecomesListStylesReusedOnTheSecondRead) {
  ASSERT_EQ(doc.Read(kListTable), 0);
  const std::string outline = Outline(doc);
  EXPECT_EQ(outline,
            "PM0.0 | s0/p0:first | PM0.1 | s0/p0:nested | PM0.0 | s0/p0:second | PM1.0 | s0/p0:bullet | "
            "Ps0/p0:after");
  ASSERT_EQ(doc.Style.ListStyles().Count(), 2);
  const TRVListInfo& numbered = doc.Style.ListStyles()[0];
  ASSERT_EQ(numbered.Levels().Count(), 2);
  EXPECT_EQ(numbered.Levels()[0].FormatString, "%s.");
  EXPECT_EQ(numbered.Levels()[1].FormatString, "%1:s)");
  EXPECT_EQ(numbered.Levels()[1].ListType, rvlstLowerAlpha);
  EXPECT_EQ(numbered.Levels()[0].LeftIndent, 48);
  const TRVListLevel& bullet = doc.Style.ListStyles()[1].Levels()[0];
  EXPECT_EQ(bullet.ListType, rvlstBullet) << "a Symbol private-use bullet is an 8-bit bullet";
  EXPECT_EQ(bullet.FormatString, "\xB7");

  ASSERT_EQ(doc.Read(kListTable), 0);
  EXPECT_EQ(doc.Style.ListStyles().Count(), 2);
}

TEST_F(RTFListsTest, NumberingWhoseListCannotBeMadeKeepsItsMarker) {
  // Without a font table no list style can be made for the numbering.
  ASSERT_EQ(doc.Read("{\\rtf1{\\pn\\pnlvl1\\pndec}one\\par}"), 0);
  EXPECT_EQ(Outline(doc), "PM-1.0 | s0/p0:one");
}

TEST_F(RTFListsTest, OtherModesDropNumbering) {
  doc.Props.ParaStyleMode = rvrsUseClosest;
  ASSERT_EQ(doc.Read(kListTable), 0);
  EXPECT_EQ(doc.Style.ListStyles().Count(), 0);
  EXPECT_EQ(Outline(doc), "Ps0/p0:first | Ps0/p0:nested | Ps0/p0:second | Ps0/p0:bullet | Ps0/p0:after");
}

}  // namespace

namespace {

TEST(RTFListsInTables, MarkerWaitingForItsListWhenTheRowEnds) {
  // The numbering ends with the group that holds the text, so the marker's list is still
  // unknown when the row's content moves into the table.
  TDoc doc;
  doc.Props.ParaStyleMode = rvrsAddIfNeeded;
  ASSERT_EQ(
      doc.Read("{\\rtf1\\trowd\\cellx1000\\pard\\intbl{{\\pn\\pnlvl1\\pndec}x}\\cell\\row\\pard y\\par}"), 0);
  EXPECT_EQ(Outline(doc), "PT[x] | Ps0/p0:y");
}

TEST(RTFListsInTables, CellsCountOnFromTheParagraphsBeforeTheTable) {
  TDoc doc;
  doc.Props.ParaStyleMode = rvrsAddIfNeeded;
  const std::string lists = kListTable.substr(0, kListTable.find("\\pard"));
  ASSERT_EQ(doc.Read(lists + "\\pard\\ls1 a\\par\\trowd\\cellx1000\\cellx2000\\pard\\intbl\\ls1 b\\cell"
                             "\\pard\\intbl\\ls1 c\\cell\\row\\pard\\ls1 d\\par}"),
            0);
  EXPECT_EQ(tabletest::Counters(doc), "a=1 b=2 c=3 d=4 ");
}

}  // namespace
