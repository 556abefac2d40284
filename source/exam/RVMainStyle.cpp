#include "exam/RVMainStyle.h"

#include <string>

#include "platform/core/SysUtils.h"
#include "richtext/core/RVStyle.h"

namespace {

// The template of a numbered level: the level's counter and a dot.
constexpr const char* kNumberTemplate = "%0:s.";

void AddTextStyles(TFontInfos& styles) {
  struct Text {
    const char* name;
    const char* font;
    int32_t size;
    TFontStyles style;
    TColor color;
  };
  const Text texts[] = {
      {"Main Text", "Arial", 10, {}, clWindowText},
      {"Main Text Bold", "Arial", 10, {fsBold}, clWindowText},
      {"Monowidth Font", "Courier New", 10, {}, clWindowText},
      {"Main Text Hightlight", "Arial", 10, {}, clHighlightText},
      {"Monowidth Bold", "Courier New", 10, {fsBold}, clWindowText},
      {"Print Title", "Arial", 12, {fsBold}, clWindowText},
      {"Underline", "Arial", 10, {fsUnderline}, clWindowText},
  };
  styles.Clear();
  for (const Text& t : texts) {
    TFontInfo* style = styles.AddStyle();
    style->StyleName = t.name;
    style->FontName = t.font;
    style->Size = t.size;
    style->Style = t.style;
    style->Color = t.color;
    style->Unicode = true;
  }
  for (int i = 1; styles.Count() < RVMainStyleCount; ++i) {
    TFontInfo* style = styles.AddStyle();
    style->StyleName = "Reserved " + IntToStr(i);
    style->Unicode = true;
  }
}

void AddParaStyles(TParaInfos& styles) {
  struct Para {
    const char* name;
    TRVParaOptions options;
    TRVAlignment alignment;
    int32_t spaceBefore;
    int32_t spaceAfter;
    int32_t leftIndent;
  };
  const Para paras[] = {
      {"Normal Text", 0, rvaLeft, 0, 0, 0},
      {"Item Number", rvpaoNoWrap, rvaLeft, 0, 0, 0},
      {"NoBreak", rvpaoNoWrap | rvpaoReadOnly | rvpaoStyleProtect, rvaLeft, 0, 0, 0},
      {"ProtectedData", rvpaoReadOnly | rvpaoStyleProtect, rvaLeft, 0, 0, 0},
      {"Case Study Header", 0, rvaLeft, 12, 8, 0},
      {"Case Study Header With Subitem", 0, rvaLeft, 12, 2, 0},
      {"Case Study SubHeader", 0, rvaLeft, 6, 6, 0},
      {"Explanation", 0, rvaLeft, 0, 3, 0},
      {"InteractiveButton", rvpaoReadOnly, rvaCenter, 0, 0, 0},
      {"No Return", rvpaoDoNotWantReturns, rvaLeft, 0, 0, 0},
      {"ExplanationPara", 0, rvaLeft, 0, 0, 30},
      {"Print Title", 0, rvaCenter, 0, 0, 0},
  };
  styles.Clear();
  for (const Para& p : paras) {
    TParaInfo* style = styles.AddStyle();
    style->StyleName = p.name;
    style->Options = p.options;
    style->Alignment = p.alignment;
    style->SpaceBefore = p.spaceBefore;
    style->SpaceAfter = p.spaceAfter;
    style->LeftIndent = p.leftIndent;
  }
  for (int i = 1; styles.Count() < RVMainStyleCount; ++i)
    styles.AddStyle()->StyleName = "Reserved " + IntToStr(i);
}

TRVListLevel& AddLevel(TRVListInfo& list, TRVListType type, int32_t leftIndent) {
  TRVListLevel& level = *list.Levels().AddLevel();
  level.ListType = type;
  level.LeftIndent = leftIndent;
  if (level.HasTextNumbering()) level.FormatString = kNumberTemplate;
  return level;
}

TRVListInfo& AddList(TRVListInfos& lists, const char* name) {
  TRVListInfo& list = *lists.AddStyle();
  list.StyleName = name;
  return list;
}

void AddListStyles(TRVListInfos& lists, TCustomImageList* bulletImages) {
  lists.Clear();
  AddLevel(AddList(lists, "Numbering"), rvlstDecimal, 20);
  AddLevel(AddList(lists, "Bullets"), rvlstImageList, 20).ImageList = bulletImages;
  AddLevel(AddList(lists, "CaseStudySubHeader"), rvlstPicture, 25).MarkerIndent = 10;
  AddLevel(AddList(lists, "Choices"), rvlstUpperAlpha, 20);
  TRVListInfo& instructions = AddList(lists, "Instructions");
  AddLevel(instructions, rvlstDecimal, 40);
  AddLevel(instructions, rvlstImageList, 60).ImageList = bulletImages;
}

}  // namespace

void RVBuildMainStyle(TRVStyle& sheet, TCustomImageList* bulletImages) {
  AddTextStyles(sheet.TextStyles());
  AddParaStyles(sheet.ParaStyles());
  AddListStyles(sheet.ListStyles(), bulletImages);
  sheet.SpacesInTab = 4;
  sheet.InactiveSelColor = clBtnFace;
  sheet.InactiveSelTextColor = clWindowText;
}
