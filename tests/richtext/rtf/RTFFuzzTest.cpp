// The RTF fuzz step run over deterministic mutations of valid files: no input may raise,
// crash, leak or hang, and whatever reads whole must write RTF that reads whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../../tools/fuzz/FuzzMutator.h"
#include "../../../tools/fuzz/RTFReaderFuzzEntry.h"
#include "RTFTestSupport.h"
#include "platform/graphics/Bitmap.h"

using namespace rtfimport;

namespace {

std::vector<std::string> SeedFiles() {
  std::vector<std::string> seeds = {
      "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial Cyr;}{\\f1 Symbol;}}"
      "{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s1\\b Heading;}}"
      "\\f0\\fs24\\cf1 \\'cf\\u1080?\\b bold\\b0\\par\\qc\\li720\\brdrt\\brdrs\\brdrw20 centred\\line "
      "next\\page"
      "{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}{\\v hidden}\\tab end}",
      "{\\rtf1{\\*\\listtable{\\list\\listid1{\\listlevel\\levelnfc0\\levelstartat2{\\leveltext\\'02\\'00.;}"
      "{\\levelnumbers\\'01;}\\fi-360\\li720\\tx720}{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 "
      "?;}\\f1}}}"
      "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\pard\\ls1\\ilvl0 one\\par\\ls1\\ilvl1 two\\par"
      "{\\pn\\pnlvl11\\pnf1{\\pntxtb\\'b7}}bullet\\par}",
      "{\\rtf1\\trowd\\trgaph108\\trleft-108\\clmgf\\cellx1000\\clmrg\\cellx2000\\clvmgf\\cellx3000"
      "\\pard\\intbl a\\cell\\cell b\\cell\\row\\trowd\\cellx1000\\cellx2500\\clvmrg\\cellx3000\\pard\\intbl "
      "c\\cell"
      "\\pard\\intbl\\itap2 n\\nestcell{\\*\\nesttableprops\\trowd\\cellx500\\nestrow}\\pard\\intbl\\itap1 "
      "d\\cell"
      "\\cell\\row\\pard after}",
      "{\\rtf1{\\pict\\dibitmap0\\picw1\\pich1\\picwgoal15\\pichgoal15 "
      "2800000001000000010000000100180000000000"
      "040000000000000000000000000000000000000000FF00}{\\pict\\wmetafile8\\picw100\\pich100 0100090000}"
      "{\\pict\\jpegblip\\bin4 \xFF\xD8\xFF\xD9}{\\*\\shppict{\\pict\\pngblip 89}}x}",
  };
  // And what our writer makes of a document with every kind of item.
  TDoc doc;
  doc.Style.TextStyles().AddStyle()->Unicode = true;
  doc.AddTextItem("text", 0, 0);
  doc.AddWideTextItem(u"\u0416\u4e2d", 1, 0, TRVTag());
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(3, 2);
  doc.AddPictureItem("", std::move(bitmap), 0, 0, TRVTag());
  auto table = TRVTableItemInfo::CreateWithSize(2, 2, &doc);
  table->Rows().MergeCells(0, 0, 2, 1, true, false);
  doc.AddItem("", std::move(table));
  doc.AddTextItem("end", 0, 0);
  seeds.push_back(doc.Write());
  return seeds;
}

TEST(RTFFuzzTest, SeedFilesReadWhole) {
  for (const std::string& seed : SeedFiles()) {
    TDoc doc;
    doc.Props.TextStyleMode = doc.Props.ParaStyleMode = rvrsAddIfNeeded;
    EXPECT_EQ(doc.Read(seed), 0) << seed;
    EXPECT_NO_THROW(FuzzRTFReaderOnce(reinterpret_cast<const uint8_t*>(seed.data()), seed.size())) << seed;
  }
}

TEST(RTFFuzzTest, MutatedFilesNeverFault) {
  EXPECT_EQ(ReplayMutations(SeedFiles(), 0x27f1e5eedULL, 6000, FuzzRTFReaderOnce), "");
}

}  // namespace
