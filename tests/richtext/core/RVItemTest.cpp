#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Streams.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVStyle.h"

namespace {

/// An item kind of the tests' own, registered under numbers of -12 and below.
class TTestItemInfo : public TRVRectItemInfo {
  ZUK_RV_ITEM_CLASS(TTestItemInfo)

 public:
  explicit TTestItemInfo(TCustomRVData* RVData) : TRVRectItemInfo(RVData) {}
  void CopyProperties(const TCustomRVItemInfo& Source) override {
    if (const auto* source = dynamic_cast<const TTestItemInfo*>(&Source)) Payload = source->Payload;
    TRVRectItemInfo::CopyProperties(Source);
  }
  std::string Payload;
};

class TOtherTestItemInfo : public TRVNonTextItemInfo {
  ZUK_RV_ITEM_CLASS(TOtherTestItemInfo)

 public:
  explicit TOtherTestItemInfo(TCustomRVData* RVData) : TRVNonTextItemInfo(RVData) {}
};

std::string ErrorOf(void (*register_)(TRVItemStyleNo, TRVItemClass), TRVItemStyleNo styleNo,
                    TRVItemClass cls) {
  try {
    register_(styleNo, cls);
  } catch (const ERVError& e) {
    return e.Message();
  }
  return "";
}

constexpr const char* kAlreadyRegistered = "Can't register RV item type - this StyleNo is already registered";

// ---------------------------------------------------------------------------------------
// Option bits

struct OptionCase {
  const char* name;
  TRVItemOptions before;
  void (*apply)(TCustomRVItemInfo&);
  TRVItemOptions afterInline;    // on an inline item
  TRVItemOptions afterFullLine;  // on an item that takes a whole line
};

const OptionCase kOptionCases[] = {
    {"LineBreakOnInline", 0, [](TCustomRVItemInfo& i) { i.SetBR(true); }, rvioLineBreak, 0},
    {"LineBreakClearsJoin", rvioJoinsPrevious, [](TCustomRVItemInfo& i) { i.SetBR(true); }, rvioLineBreak,
     rvioJoinsPrevious},
    {"LineBreakClearsPageBreak", rvioPageBreak, [](TCustomRVItemInfo& i) { i.SetBR(true); }, rvioLineBreak,
     rvioPageBreak},
    {"LineBreakOff", rvioLineBreak | rvioTwoByteText, [](TCustomRVItemInfo& i) { i.SetBR(false); },
     rvioTwoByteText, rvioTwoByteText},
    {"JoinClearsPageBreak", rvioPageBreak, [](TCustomRVItemInfo& i) { i.SetSameAsPrev(true); },
     rvioJoinsPrevious, rvioJoinsPrevious},
    {"JoinClearsLineBreak", rvioLineBreak, [](TCustomRVItemInfo& i) { i.SetSameAsPrev(true); },
     rvioJoinsPrevious, rvioJoinsPrevious},
    {"JoinOffKeepsUnicode", rvioJoinsPrevious | rvioTwoByteText,
     [](TCustomRVItemInfo& i) { i.SetSameAsPrev(false); }, rvioTwoByteText, rvioTwoByteText},
    {"PageBreakClearsJoinAndLineBreak", rvioJoinsPrevious,
     [](TCustomRVItemInfo& i) { i.SetPageBreakBefore(true); }, rvioPageBreak, rvioPageBreak},
    {"PageBreakOff", rvioPageBreak, [](TCustomRVItemInfo& i) { i.SetPageBreakBefore(false); }, 0, 0},
};

TEST(RVItemOptions, SettersKeepAtMostOneLineMark) {
  for (const OptionCase& c : kOptionCases) {
    SCOPED_TRACE(c.name);
    TRVTextItemInfo text(nullptr);
    text.ItemOptions = c.before;
    c.apply(text);
    EXPECT_EQ(text.ItemOptions, c.afterInline);
    TRVFullLineItemInfo line(nullptr);
    line.ItemOptions = c.before;
    c.apply(line);
    EXPECT_EQ(line.ItemOptions, c.afterFullLine);
  }
}

TEST(RVItemOptions, ParagraphStartIsNeitherJoinNorLineBreak) {
  TRVTextItemInfo item(nullptr);
  const std::pair<TRVItemOptions, bool> cases[] = {{0, true},
                                                   {rvioPageBreak, true},
                                                   {rvioTwoByteText, true},
                                                   {rvioJoinsPrevious, false},
                                                   {rvioLineBreak, false}};
  for (auto [options, starts] : cases) {
    item.ItemOptions = options;
    EXPECT_EQ(item.IsParaStart(), starts) << int(options);
  }
}

// ---------------------------------------------------------------------------------------
// Feature queries and sizes

TEST(RVItemFeatures, DefaultsAndFullLineItems) {
  TCustomRVItemInfo base(nullptr);
  TRVFullLineItemInfo line(nullptr);
  for (int code = 0; code <= 12; ++code) {
    const bool expected = code == 1 || code == 2 || code >= 10;
    EXPECT_EQ(base.QueryFeature(code), expected) << code;
    EXPECT_EQ(line.QueryFeature(code), expected || code == rvfqOwnLine) << code;
    EXPECT_EQ(base.QueryFeatureForStyle(code, nullptr), code == rvsfPrintViaBitmap) << code;
  }
}

TEST(RVItemFeatures, MinimumWidthScalesFromScreenToDevice) {
  TCustomRVItemInfo item(nullptr);
  EXPECT_EQ(item.GetMinimumWidth(nullptr, nullptr), 20);
  TRVFormatScale scale;
  scale.DevicePPIX = 600;
  scale.DevicePPIY = 300;
  EXPECT_EQ(item.GetMinimumWidth(&scale, nullptr), 125);
  int32_t descent = 0, offset = 7;
  item.GetWidthRequirements(100, nullptr, false, nullptr, nullptr, nullptr, false, descent, offset);
  EXPECT_EQ(descent, 1);
  EXPECT_EQ(offset, 0);
}

TEST(RVItemFeatures, TextHyperlinkFeaturesFollowTheTextStyle) {
  TRVStyle sheet;
  TFontInfo* plain = sheet.TextStyles().AddStyle();
  TFontInfo* jump = sheet.TextStyles().AddStyle();
  jump->Jump = true;
  TFontInfo* hoverJump = sheet.TextStyles().AddStyle();
  hoverJump->Jump = true;
  hoverJump->HoverColor = clRed;
  TRVTextItemInfo item(nullptr);

  item.StyleNo = plain->Index();
  for (int code : {1, 2, 3, 4}) EXPECT_FALSE(item.QueryFeatureForStyle(code, &sheet)) << code;
  item.StyleNo = jump->Index();
  for (int code : {1, 2, 4}) EXPECT_TRUE(item.QueryFeatureForStyle(code, &sheet)) << code;
  EXPECT_FALSE(item.QueryFeatureForStyle(rvsfHoverDrawn, &sheet));
  item.StyleNo = hoverJump->Index();
  EXPECT_TRUE(item.QueryFeatureForStyle(rvsfHoverDrawn, &sheet));
  EXPECT_TRUE(item.QueryFeatureForStyle(rvsfPrintViaBitmap, &sheet));
  EXPECT_FALSE(item.QueryFeatureForStyle(rvsfHyperlink, nullptr));
}

TEST(RVItemFeatures, JumpCursorComesFromTheSheet) {
  TRVStyle sheet;
  sheet.JumpCursor = 77;
  TRVRectItemInfo item(nullptr);
  EXPECT_EQ(item.GetJumpCursor(&sheet), 77);
  EXPECT_EQ(item.GetJumpCursor(nullptr), crDefault);
}

// ---------------------------------------------------------------------------------------
// Integer and extra RVF properties

TEST(RVItemProperties, RectangleAndNonTextCodes) {
  TRVRectItemInfo rect(nullptr);
  EXPECT_TRUE(rect.SetIntPropertyByCode(rvipSpacing, -5));
  EXPECT_EQ(rect.Spacing, 0);
  EXPECT_TRUE(rect.SetIntPropertyByCode(rvipVShiftAbs, 7));
  EXPECT_TRUE(rect.VShiftAbs);
  EXPECT_TRUE(rect.SetIntPropertyByCode(rvipDeleteProtect, 1));
  EXPECT_TRUE(rect.DeleteProtect);
  int32_t value = 0;
  EXPECT_TRUE(rect.GetIntPropertyByCode(rvipVShiftAbs, value));
  EXPECT_EQ(value, 1);
  // Codes that belong to pictures and controls are not handled and change nothing.
  for (int code : {0, 3, 8, 10, 99}) {  // unknown, width, min height on page, resizable
    EXPECT_FALSE(rect.SetIntPropertyByCode(code, 5)) << code;
    EXPECT_FALSE(rect.GetIntPropertyByCode(code, value)) << code;
  }
  EXPECT_EQ(rect.MinHeightOnPage, 0);
  TRVTextItemInfo text(nullptr);
  EXPECT_FALSE(text.SetIntPropertyByCode(rvipDeleteProtect, 1));
}

TEST(RVItemProperties, NamesMapToCodes) {
  EXPECT_EQ(RVGetItemIntPropCode("spacing"), rvipSpacing);
  EXPECT_EQ(RVGetItemIntPropCode("unremovable"), rvipDeleteProtect);
  EXPECT_EQ(RVGetItemIntPropCode("tcolor"), rvipTransparentColor);
  EXPECT_EQ(RVGetItemIntPropCode(""), rvipUnknown);
  EXPECT_EQ(RVGetItemIntPropCode("Spacing"), rvipUnknown);
}

TEST(RVItemProperties, ExtraRVFPropertiesListOnlyChangedValues) {
  TRVRectItemInfo rect(nullptr);
  EXPECT_EQ(rect.CountRVFExtraProperties(), 0);
  rect.DeleteProtect = true;
  rect.VShift = -5;
  rect.Spacing = 3;
  EXPECT_EQ(rect.CountRVFExtraProperties(), 3);
  TMemoryStream stream;
  rect.SaveRVFExtraProperties(stream);
  EXPECT_EQ(stream.DataString(), "unremovable=1\r\nvshift=-5\r\nspacing=3\r\n");
}

// ---------------------------------------------------------------------------------------
// Styles in use

TEST(RVItemStyles, TextItemsMarkAndRenumberBothStyles) {
  TRVTextItemInfo item(nullptr);
  item.StyleNo = 3;
  item.ParaNo = 2;
  TRVIntegerList usedText = TRVIntegerList::CreateFilled(5, 0);
  TRVIntegerList usedPara = TRVIntegerList::CreateFilled(4, 0);
  TRVIntegerList usedList;
  item.MarkStylesInUse(usedText, usedPara, usedList);
  EXPECT_EQ(usedText.GetValue(3), 1);
  EXPECT_EQ(usedPara.GetValue(2), 1);
  // Styles 0 and 1 removed: kept style 3 has two removed styles before it.
  TRVIntegerList textMap = TRVIntegerList::CreateFilled(5, 3);
  TRVIntegerList paraMap = TRVIntegerList::CreateFilled(4, 2);
  item.RenumberStyles(textMap, paraMap, usedList);
  EXPECT_EQ(item.StyleNo, 1);
  EXPECT_EQ(item.ParaNo, 1);
}

TEST(RVItemStyles, NumbersOutsideTheListsAreLeftAlone) {
  TRVTextItemInfo item(nullptr);
  item.StyleNo = 9;
  item.ParaNo = -1;
  TRVIntegerList used = TRVIntegerList::CreateFilled(2, 0);
  TRVIntegerList none;
  item.MarkStylesInUse(used, used, none);
  EXPECT_EQ(used.GetValue(0) + used.GetValue(1), 0);
  item.RenumberStyles(used, used, none);
  EXPECT_EQ(item.StyleNo, 9);
  EXPECT_EQ(item.ParaNo, -1);
}

// ---------------------------------------------------------------------------------------
// Registry and factory

TEST(RVItemRegistry, RefusesReservedNumbersWithItsMessage) {
  for (TRVItemStyleNo styleNo : {0, 5, -1, -2, -5, -9}) {
    EXPECT_EQ(ErrorOf(RVRegisterItemClass, styleNo, TTestItemInfo::ItemClass()), kAlreadyRegistered)
        << styleNo;
    EXPECT_EQ(RVFindRegisteredItemClass(styleNo), nullptr) << styleNo;
  }
  // -2 names an RVF record kind: nothing can ever be made for it.
  EXPECT_EQ(RVCreateItemByStyleNo(-2, nullptr), nullptr);
}

TEST(RVItemRegistry, SameClassTwiceIsAcceptedAnotherClassIsRefused) {
  RVRegisterItemClass(-12, TTestItemInfo::ItemClass());
  EXPECT_NO_THROW(RVRegisterItemClass(-12, TTestItemInfo::ItemClass()));
  EXPECT_EQ(ErrorOf(RVRegisterItemClass, -12, TOtherTestItemInfo::ItemClass()), kAlreadyRegistered);
  EXPECT_EQ(RVFindRegisteredItemClass(-12), TTestItemInfo::ItemClass());

  std::unique_ptr<TCustomRVItemInfo> item = RVCreateItemByStyleNo(-12, nullptr);
  ASSERT_NE(item, nullptr);
  EXPECT_NE(dynamic_cast<TTestItemInfo*>(item.get()), nullptr);
  EXPECT_EQ(item->StyleNo, -12);
  EXPECT_EQ(item->DrawItemNo, -1);
  EXPECT_EQ(RVCreateItemByStyleNo(-13, nullptr), nullptr);
}

/// Installs a class for every built-in number and puts the previous classes back when it
/// goes, so that the real built-in kinds stay registered for other tests.
class ScopedBuiltIns {
 public:
  explicit ScopedBuiltIns(TRVItemClass cls) {
    for (size_t i = 0; i < kNumbers.size(); ++i) {
      saved_[i] = RVGetBuiltInItemClass(kNumbers[i]);
      RVSetBuiltInItemClass(kNumbers[i], cls);
    }
  }
  ~ScopedBuiltIns() {
    for (size_t i = 0; i < kNumbers.size(); ++i) RVSetBuiltInItemClass(kNumbers[i], saved_[i]);
  }
  static constexpr std::array<TRVItemStyleNo, 7> kNumbers = {
      rvsBreak, rvsPicture, rvsHotspot, rvsComponent, rvsBullet, rvsHotPicture, rvsListMarker};

 private:
  std::array<TRVItemClass, 7> saved_{};
};

TEST(RVItemRegistry, BuiltInClassesComeBeforeTheRegistry) {
  // -10 can be registered, but the factory makes the built-in class for it.
  RVRegisterItemClass(-10, TOtherTestItemInfo::ItemClass());
  {
    ScopedBuiltIns none(nullptr);
    EXPECT_EQ(RVCreateItemByStyleNo(-10, nullptr), nullptr);
  }
  ScopedBuiltIns builtIns(TTestItemInfo::ItemClass());
  std::unique_ptr<TCustomRVItemInfo> item = RVCreateItemByStyleNo(-10, nullptr);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->ClassName(), "TTestItemInfo");
  EXPECT_EQ(item->StyleNo, -10);
  EXPECT_THROW(RVSetBuiltInItemClass(-2, TTestItemInfo::ItemClass()), ERVError);
  EXPECT_THROW(RVSetBuiltInItemClass(rvsTable, TTestItemInfo::ItemClass()), ERVError);
}

TEST(RVItemRegistry, FactoryMakesEveryKnownNumber) {
  RVRegisterItemClass(-14, TOtherTestItemInfo::ItemClass());
  ScopedBuiltIns builtIns(TTestItemInfo::ItemClass());
  struct Case {
    TRVItemStyleNo styleNo;
    const char* className;  // nullptr: no item
  };
  const Case cases[] = {{0, "TRVTextItemInfo"},
                        {17, "TRVTextItemInfo"},
                        {rvsBreak, "TTestItemInfo"},
                        {rvsPicture, "TTestItemInfo"},
                        {rvsHotspot, "TTestItemInfo"},
                        {rvsComponent, "TTestItemInfo"},
                        {rvsBullet, "TTestItemInfo"},
                        {rvsListMarker, "TTestItemInfo"},
                        {-14, "TOtherTestItemInfo"},
                        {rvsCheckpoint, nullptr},
                        {rvsBack, nullptr},
                        {rvsVersionInfo, nullptr},
                        {rvsDocProperty, nullptr},
                        {-15, nullptr}};
  TCustomRVData data;
  for (const Case& c : cases) {
    std::unique_ptr<TCustomRVItemInfo> item = RVCreateItemByStyleNo(c.styleNo, &data);
    if (c.className == nullptr) {
      EXPECT_EQ(item, nullptr) << c.styleNo;
      continue;
    }
    ASSERT_NE(item, nullptr) << c.styleNo;
    EXPECT_EQ(item->ClassName(), c.className) << c.styleNo;
    EXPECT_EQ(item->StyleNo, c.styleNo);
  }
}

TEST(RVItemRegistry, TextItemClassCanBeReplaced) {
  RVSetTextItemClass(TTestItemInfo::ItemClass());
  std::unique_ptr<TCustomRVItemInfo> item = RVCreateItemByStyleNo(3, nullptr);
  RVSetTextItemClass(nullptr);
  EXPECT_EQ(item->ClassName(), "TTestItemInfo");
  EXPECT_EQ(RVGetTextItemClass(), TRVTextItemInfo::ItemClass());
}

// ---------------------------------------------------------------------------------------
// Duplication

TEST(RVItemDuplicate, CopyOwnsItsCheckpointAndTextTag) {
  TCustomRVData data;
  data.SetOptions(data.GetOptions() | rvoTagsArePChars);
  auto source = std::make_unique<TTestItemInfo>(&data);
  source->StyleNo = -12;
  source->ParaNo = 4;
  source->ItemOptions = rvioPageBreak;
  source->Spacing = 6;
  source->DeleteProtect = true;
  source->Payload = "payload";
  source->JumpID = 9;
  source->Tag.Text = "item tag";
  source->Checkpoint = std::make_unique<TRVCPInfo>();
  source->Checkpoint->Name = "cp";
  source->Checkpoint->RaiseEvent = true;
  source->Checkpoint->Tag.Text = "cp tag";

  std::unique_ptr<TCustomRVItemInfo> copy = RVDuplicateItem(*source, &data);
  const TRVCPInfo* sourceCheckpoint = source->Checkpoint.get();
  source.reset();  // the copy must not refer to anything of the source

  auto* typed = dynamic_cast<TTestItemInfo*>(copy.get());
  ASSERT_NE(typed, nullptr);
  EXPECT_EQ(typed->StyleNo, -12);
  EXPECT_EQ(typed->ParaNo, 4);
  EXPECT_EQ(typed->ItemOptions, rvioPageBreak);
  EXPECT_EQ(typed->Spacing, 6);
  EXPECT_TRUE(typed->DeleteProtect);
  EXPECT_EQ(typed->Payload, "payload");
  EXPECT_EQ(typed->DrawItemNo, -1);
  EXPECT_EQ(typed->Tag.Text, "item tag");
  ASSERT_NE(typed->Checkpoint, nullptr);
  EXPECT_NE(typed->Checkpoint.get(), sourceCheckpoint);
  EXPECT_EQ(typed->Checkpoint->Name, "cp");
  EXPECT_TRUE(typed->Checkpoint->RaiseEvent);
  EXPECT_EQ(typed->Checkpoint->Tag.Text, "cp tag");
  EXPECT_EQ(typed->Checkpoint->Next, nullptr);
}

TEST(RVItemDuplicate, IntegerTagsCopyTheValueOnly) {
  TCustomRVData data;
  TRVTextItemInfo source(&data);
  source.Tag.Value = 42;
  std::unique_ptr<TCustomRVItemInfo> copy = RVDuplicateItem(source, &data);
  EXPECT_EQ(copy->Tag.Value, 42);
  EXPECT_EQ(copy->Checkpoint, nullptr);
  EXPECT_EQ(copy->ClassName(), "TRVTextItemInfo");
}

TEST(RVCheckpointRecord, AssignCopiesNameFlagAndTagKind) {
  TRVCPInfo source;
  source.Name = "name";
  source.RaiseEvent = true;
  source.Tag.Value = 3;
  source.Tag.Text = "three";
  std::unique_ptr<TRVCPInfo> asText = TRVCPInfo::Duplicate(source, true);
  std::unique_ptr<TRVCPInfo> asInt = TRVCPInfo::Duplicate(source, false);
  EXPECT_EQ(asText->Name, "name");
  EXPECT_TRUE(asText->RaiseEvent);
  EXPECT_EQ(asText->Tag.Text, "three");
  EXPECT_EQ(asInt->Tag.Value, 3);
  EXPECT_FALSE(asInt->Tag.Text.has_value());
}

}  // namespace
