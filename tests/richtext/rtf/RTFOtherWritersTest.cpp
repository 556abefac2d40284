// RTF as other programs write it, read into Unicode and into 8-bit items.
#include <gtest/gtest.h>

#include <regex>
#include <tuple>

#include "RTFTestSupport.h"

using namespace rtfimport;

namespace {

TEST(RTFOtherWritersTest, ReadsWhatTheFileHolds) {
  const std::string list = "{\\*\\listtable{\\list\\listid1{\\listlevel\\levelnfc";
  const std::string level =
      "255{\\leveltext\\'01\\'00;}}}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\ls1 H";
  // The file's body; its outline (runs joined) read into Unicode, and into 8-bit items if different.
  const std::tuple<std::string, const char*, const char*> cases[] = {
      {"\\uc1 {\\uc2 \\u1071 xx}\\u1071? end.", "P\xD0\xAF\xD0\xAF end.", "P?? end."},
      {"\\deff1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Times;}}\\'cf", "P\xD0\x9F", nullptr},
      {"\\ansicpg1251{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0 \\'cf", "P\xD0\x9F", nullptr},
      {"{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 \\u1080?", "P\xD0\xB8", nullptr},
      {" A\\~B co\\_op opt\\-hyph \\bullet\\emdash\\endash\\emspace\\enspace.",
       "PA\u00A0B co\u2011op opthyph \u2022\u2014\u2013\u2003\u2002.",
       "PA\u00A0B co-op opthyph \u2022\u2014\u2013  ."},
      {"\\mac \\'8e", "P\xC3\xA9", nullptr},
      {"\\pc \\'82", "P\xC3\xA9", nullptr},
      {"\\pca \\'d5", "P\xC4\xB1", "P?"},
      {" {\\pard\\intbl A\\cell} {\\pard\\intbl B\\cell} \\row\\pard C", "PT[A, B] | PC", nullptr},
      {"{\\*\\shppict{\\pict\\pngblip\\picwgoal90\\pichgoal60 " + kGreenDotPngHex +
           "}}{\\nonshppict{\\pict\\wmetafile8 01}}",
       "PG6x4", nullptr},
      {list + level, "PM0.0H", nullptr},
      {list + "n" + level, "PM0.0H", nullptr},
  };
  SetACP(1252);
  for (const auto& [body, unicode, ansi] : cases)
    for (const TRVReaderUnicode mode : {rvruOnlyUnicode, rvruNoUnicode}) {
      SCOPED_TRACE(body.substr(0, 80) + (mode == rvruOnlyUnicode ? " into Unicode" : " into 8-bit"));
      TDoc doc;
      doc.Props.UnicodeMode = mode;
      doc.Props.TextStyleMode = doc.Props.ParaStyleMode = rvrsAddIfNeeded;
      ASSERT_EQ(doc.Read("{\\rtf1" + body + "}"), 0);
      EXPECT_EQ(std::regex_replace(Outline(doc), std::regex("( \\| )?s\\d+/p\\d+:"), ""),
                mode == rvruNoUnicode && ansi ? ansi : unicode);
      for (int i = 0; i < doc.Style.ListStyles().Count(); ++i)
        EXPECT_TRUE(doc.Style.ListStyles()[i].Levels()[0].HasNoMarker()) << "a level without a number";
      // A picture, and not the placeholder of an invalid one.
      if (auto* picture = dynamic_cast<TRVGraphicItemInfo*>(doc.GetItem(0))) {
        EXPECT_EQ(dynamic_cast<TBitmap&>(*picture->Image).Canvas().Pixel(1, 1), 0x00FF00);
      }
    }
}

}  // namespace
