#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Files.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/JPEGImage.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"

namespace {

/// Names of the items freed, in order.
std::vector<std::string>& FreedItems() {
  static std::vector<std::string> freed;
  return freed;
}

/// A text item that records its destruction under its text tag.
class TTrackedTextItem : public TRVTextItemInfo {
  ZUK_RV_ITEM_CLASS(TTrackedTextItem)

 public:
  explicit TTrackedTextItem(TCustomRVData* RVData) : TRVTextItemInfo(RVData) {}
  ~TTrackedTextItem() override { FreedItems().push_back(Tag.Text.value_or("?")); }
};

/// A stand-in for the list marker item (style number -11).
class TFakeMarkerItem : public TRVRectItemInfo {
  ZUK_RV_ITEM_CLASS(TFakeMarkerItem)

 public:
  explicit TFakeMarkerItem(TCustomRVData* RVData) : TRVRectItemInfo(RVData) { StyleNo = rvsListMarker; }
};

/// A document that records the item notices and the marker-list calls it gets.
class TRecordingData : public TCustomRVData {
 public:
  ~TRecordingData() override { Clear(); }
  void ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, std::string& Text,
                  TCustomRVData* RVData) override {
    (void)Item, (void)RVData;
    log.push_back(std::to_string(Action) + ":" + Text);
    if (Action == rviaInserting && upperCaseTexts) Text = UpperCase(Text);
  }
  void AddMarkerToList(int ItemNo) override { log.push_back("marker+" + std::to_string(ItemNo)); }
  void RemoveMarkerFromList(TCustomRVItemInfo* Item, bool Clearing) override {
    (void)Item;
    log.push_back(std::string("marker-") + (Clearing ? "clearing" : ""));
  }
  static std::string UpperCase(std::string s) {
    for (char& c : s) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return s;
  }
  std::vector<std::string> log;
  bool upperCaseTexts = false;
};

/// A nested document: its root and parent are another document.
class TNestedData : public TCustomRVData {
 public:
  explicit TNestedData(TCustomRVData* outer) : outer_(outer) {}
  TCustomRVData* GetRootData() override { return outer_->GetRootData(); }
  TCustomRVData* GetParentData() const override { return outer_; }

 private:
  TCustomRVData* outer_;
};

std::unique_ptr<TCustomRVItemInfo> Tracked(TCustomRVData* data, const std::string& name, int32_t paraNo = 0) {
  auto item = std::make_unique<TTrackedTextItem>(data);
  item->Tag.Text = name;
  item->ParaNo = paraNo;
  return item;
}

std::unique_ptr<TCustomRVItemInfo> FullLine(TCustomRVData* data, int32_t paraNo) {
  auto item = std::make_unique<TRVFullLineItemInfo>(data);
  item->StyleNo = rvsBreak;
  item->ParaNo = paraNo;
  return item;
}

std::string Utf16(std::u16string_view s) {
  return RVWideStringToBytes(s);
}

class CustomRVDataTest : public ::testing::Test {
 protected:
  CustomRVDataTest() {
    FreedItems().clear();
    TFontInfo* unicode = sheet.TextStyles().AddStyle();
    unicode->Unicode = true;
    unicodeStyle = unicode->Index();
    TFontInfo* cyrillic = sheet.TextStyles().AddStyle();
    cyrillic->Charset = 204;
    cyrillicStyle = cyrillic->Index();
    sheet.SpacesInTab = 4;
    doc.SetRVStyle(&sheet);
  }

  /// Adds `count` text items "t0", "t1", ..., each starting a paragraph, the i-th with a
  /// checkpoint "cp<i>" when `withCheckpoint(i)`.
  void AddTexts(int count, bool (*withCheckpoint)(int) = nullptr) {
    for (int i = 0; i < count; ++i) {
      if (withCheckpoint != nullptr && withCheckpoint(i))
        doc.AddCheckpoint("cp" + std::to_string(i), false, TRVTag());
      doc.AddItem("t" + std::to_string(i), Tracked(&doc, "t" + std::to_string(i)));
    }
  }

  /// The checkpoint names along the chain, checking the back links and the carried items.
  std::vector<std::string> ChainNames(TCustomRVData& data) {
    std::vector<std::string> names;
    const TRVCPInfo* prev = nullptr;
    for (const TRVCPInfo* cp = data.GetFirstCheckpoint(); cp != nullptr; cp = cp->Next) {
      EXPECT_EQ(cp->Prev, prev);
      EXPECT_NE(cp->ItemInfo, nullptr);
      if (cp->ItemInfo != nullptr) {
        EXPECT_EQ(cp->ItemInfo->Checkpoint.get(), cp);
      }
      names.push_back(cp->Name);
      prev = cp;
    }
    EXPECT_EQ(data.GetLastCheckpoint(), prev);
    return names;
  }

  TRVStyle sheet;
  int unicodeStyle = 0;
  int cyrillicStyle = 0;
  TRecordingData doc;
};

bool Odd(int i) {
  return i % 2 == 1;
}

// ---------------------------------------------------------------------------------------
// Adding

TEST_F(CustomRVDataTest, FirstItemWithoutParagraphGetsParagraphZero) {
  doc.AddTextItem("a", 0, -1);
  ASSERT_EQ(doc.GetItemCount(), 1);
  EXPECT_EQ(doc.GetItemParaNo(0), 0);
  EXPECT_TRUE(doc.StartsParagraph(0));
  EXPECT_EQ(doc.GetItemOptions(0), 0);
}

TEST_F(CustomRVDataTest, ItemWithoutParagraphJoinsTheLastInlineItem) {
  doc.AddTextItem("a", 0, 3);
  doc.AddTextItem("b", 1, -1);
  EXPECT_EQ(doc.GetItemParaNo(1), 3);
  EXPECT_EQ(doc.GetItemOptions(1), rvioJoinsPrevious);
}

TEST_F(CustomRVDataTest, ItemWithoutParagraphAfterAFullLineItemStartsOne) {
  doc.AddTextItem("a", 0, 3);
  doc.AddItem("", FullLine(&doc, 2));
  doc.AddTextItem("b", 0, -1);
  EXPECT_TRUE(doc.StartsParagraph(2));
  EXPECT_EQ(doc.GetItemParaNo(2), 0);
}

TEST_F(CustomRVDataTest, NewParagraphAfterAListMarkerFirstClosesTheMarkerLine) {
  doc.AddItem("", std::make_unique<TFakeMarkerItem>(&doc));
  doc.GetItem(0)->ParaNo = 5;
  doc.AddTextItem("next", 1, 2);
  ASSERT_EQ(doc.GetItemCount(), 3);
  EXPECT_EQ(doc.GetItemStyleNo(1), 0);
  EXPECT_EQ(doc.GetItemText(1), "");
  EXPECT_EQ(doc.GetItemParaNo(1), 5);
  EXPECT_TRUE(doc.GetItem(1)->GetSameAsPrev());
  EXPECT_TRUE(doc.StartsParagraph(2));
  EXPECT_EQ(doc.GetItemParaNo(2), 2);
}

TEST_F(CustomRVDataTest, WithoutNewParagraphsItemsGetLineBreaksButFullLineItemsNever) {
  doc.AllowNewParagraphs = false;
  doc.AddTextItem("a", 0, 0);
  doc.AddTextItem("b", 0, 0);
  doc.AddItem("", FullLine(&doc, 0));
  doc.AddTextItem("c", 0, 0);
  EXPECT_EQ(doc.GetItemOptions(0), rvioLineBreak);
  EXPECT_EQ(doc.GetItemOptions(1), rvioLineBreak);
  EXPECT_EQ(doc.GetItemOptions(2), 0);
  EXPECT_EQ(doc.GetItemOptions(3), rvioLineBreak);
}

TEST_F(CustomRVDataTest, AddingNotifiesBeforeAndAfterAndKeepsTheRewrittenText) {
  doc.upperCaseTexts = true;
  doc.AddTextItem("abc", 0, 0);
  EXPECT_EQ(doc.GetItemText(0), "ABC");
  EXPECT_EQ(doc.log, (std::vector<std::string>{"0:abc", "1:"}));
}

TEST_F(CustomRVDataTest, TabsBecomeSpacesOfTheSheetInEitherForm) {
  doc.AddTextItem("a\tb", 0, 0);
  doc.AddTextItem(Utf16(u"a\tb"), unicodeStyle, 0);
  EXPECT_EQ(doc.GetItemText(0), "a    b");
  EXPECT_EQ(doc.GetItemText(1), Utf16(u"a    b"));
  EXPECT_EQ(doc.GetItemOptions(1), rvioTwoByteText);

  TCustomRVData bare;
  EXPECT_EQ(bare.ExpandTabs("\t", 0, false), std::string(8, ' '));
  EXPECT_EQ(bare.ExpandTabs(Utf16(u"\t"), 0, true), Utf16(u"        "));
}

TEST_F(CustomRVDataTest, OddUnicodeTextIsRefusedBeforeAnythingChanges) {
  try {
    doc.AddTextItem("abc", unicodeStyle, 0);
    FAIL() << "no exception";
  } catch (const ERVError& e) {
    EXPECT_EQ(e.Message(), "Can't perform Unicode operation");
  }
  EXPECT_EQ(doc.GetItemCount(), 0);
  EXPECT_THROW(doc.AddTextItem("x", -1, 0), ERVError);
}

TEST_F(CustomRVDataTest, WideTextIsKeptOrConvertedByTheStyle) {
  doc.AddWideTextItem(u"\u0416\u0436", unicodeStyle, 0, TRVTag());
  doc.AddWideTextItem(u"\u0416\u0436", cyrillicStyle, 0, TRVTag());
  EXPECT_EQ(doc.GetItemText(0), Utf16(u"\u0416\u0436"));
  EXPECT_TRUE(doc.GetItem(0)->IsTwoByteText());
  EXPECT_EQ(doc.GetItemText(1), "\xC6\xE6");  // code page 1251
  EXPECT_FALSE(doc.GetItem(1)->IsTwoByteText());

  // Without a style sheet the text becomes 8-bit text, never UTF-16 bytes taken as 8-bit.
  TCustomRVData bare;
  bare.AddWideTextItem(u"ab", 0, 0, TRVTag());
  EXPECT_EQ(bare.GetItemText(0), "ab");
  EXPECT_FALSE(bare.GetItem(0)->IsTwoByteText());
}

// ---------------------------------------------------------------------------------------
// Text access

TEST_F(CustomRVDataTest, ItemTextInBothForms) {
  doc.AddTextItem("\xC6\xE6", cyrillicStyle, 0);
  doc.AddTextItem(Utf16(u"\u0416z"), unicodeStyle, 0);
  doc.AddItem("", FullLine(&doc, 0));
  EXPECT_EQ(doc.GetItemTextW(0), u"\u0416\u0436");
  EXPECT_EQ(doc.GetItemTextA(0), "\xC6\xE6");
  EXPECT_EQ(doc.GetItemTextW(1), u"\u0416z");
  // The Unicode style has the default charset: its 8-bit form is in the ANSI code page,
  // which has no Cyrillic letters.
  EXPECT_EQ(doc.GetItemTextA(1).size(), 2u);
  EXPECT_EQ(doc.GetItemTextLength(0), 2);
  EXPECT_EQ(doc.GetItemTextLength(1), 2);
  EXPECT_EQ(doc.GetItemTextLength(2), 1);
  EXPECT_EQ(doc.GetItemStartOffset(1), 1);
  EXPECT_EQ(doc.GetItemEndOffset(1), 3);
  EXPECT_EQ(doc.GetItemStartOffset(2), 0);
  EXPECT_EQ(doc.GetItemEndOffset(2), 1);
}

TEST_F(CustomRVDataTest, OddByteUnicodeTextIsNeverReadPastItsLastPair) {
  auto item = RVCreateItemByStyleNo(unicodeStyle, &doc);
  item->ItemOptions = rvioTwoByteText;
  int itemNo = 0;
  bool full = true;
  int listNo = 0;
  doc.InsertItemObject(itemNo, std::string("a\0b\0c", 5), std::move(item), full, listNo);
  EXPECT_FALSE(full);
  EXPECT_EQ(listNo, -1);
  EXPECT_EQ(doc.GetItemTextLength(0), 2);
  EXPECT_EQ(doc.GetItemEndOffset(0), 3);
  EXPECT_EQ(doc.GetItemTextW(0), u"ab");
  EXPECT_EQ(doc.GetItemTextA(0), "ab");
  EXPECT_EQ(doc.GetNextCharOffset(0, 3), 3);
  EXPECT_FALSE(doc.IsDelimiterAt(doc.GetItemText(0), 3, rvioTwoByteText));
  EXPECT_THROW(doc.SetItemText(0, "odd"), ERVError);
}

TEST_F(CustomRVDataTest, CharacterStepsTreatASurrogatePairAsOneCharacter) {
  // a, U+1F600 as a pair, b, then a lone high surrogate.
  doc.AddTextItem(Utf16(u"a\U0001F600b\xD800"), unicodeStyle, 0);
  doc.AddTextItem("xyz", 0, 0);
  struct Case {
    int offset, next, prev;
  };
  const Case cases[] = {{1, 2, 1}, {2, 4, 1}, {4, 5, 2}, {5, 6, 4}, {6, 6, 5}, {-7, 2, 1}, {99, 6, 5}};
  for (const Case& c : cases) {
    EXPECT_EQ(doc.GetNextCharOffset(0, c.offset), c.next) << c.offset;
    EXPECT_EQ(doc.GetPrevCharOffset(0, c.offset), c.prev) << c.offset;
  }
  EXPECT_EQ(doc.GetNextCharOffset(1, 3), 4);
  EXPECT_EQ(doc.GetPrevCharOffset(1, 1), 0);
}

TEST_F(CustomRVDataTest, DelimitersOfBothTextForms) {
  doc.AddTextItem("a,b", 0, 0);
  EXPECT_FALSE(doc.IsDelimiterAt("a,b", 1, 0));
  EXPECT_TRUE(doc.IsDelimiterAt("a,b", 2, 0));
  EXPECT_FALSE(doc.IsDelimiterAt("a,b", 0, 0));
  EXPECT_FALSE(doc.IsDelimiterAt("a,b", 4, 0));
  EXPECT_TRUE(doc.IsDelimiterAt(Utf16(u"a\\"), 2, rvioTwoByteText));
  // U+012C has the low byte of a comma and is no delimiter.
  EXPECT_FALSE(doc.IsDelimiterAt(Utf16(u"a\u012C"), 2, rvioTwoByteText));
  EXPECT_FALSE(doc.IsDelimiterW(u'\u012C'));
  EXPECT_TRUE(doc.IsDelimiterW(u'"'));
  doc.SetDelimiters("x");
  EXPECT_TRUE(doc.IsDelimiterA('x'));
  EXPECT_FALSE(doc.IsDelimiterA(' '));
}

TEST_F(CustomRVDataTest, CodePagesOfStyles) {
  sheet.DefCodePage = 1250;
  EXPECT_EQ(doc.GetStyleCodePage(cyrillicStyle), 1251u);
  EXPECT_EQ(doc.GetStyleCodePage(-3), 1250u);
  EXPECT_EQ(doc.GetDefaultCodePage(), 1250u);
  TCustomRVData bare;
  EXPECT_EQ(bare.GetStyleCodePage(cyrillicStyle), 0u);
  EXPECT_EQ(bare.GetDefaultCodePage(), 0u);
}

// ---------------------------------------------------------------------------------------
// Checkpoints

TEST_F(CustomRVDataTest, SecondPendingCheckpointIsTheSameOne) {
  EXPECT_EQ(doc.AddCheckpoint("first", false, TRVTag()), 0);
  EXPECT_EQ(doc.AddCheckpoint("second", true, TRVTag()), 0);
  doc.AddTextItem("a", 0, 0);
  EXPECT_EQ(doc.GetCheckpointCount(), 1);
  ASSERT_NE(doc.GetItemCheckpoint(0), nullptr);
  EXPECT_EQ(doc.GetItemCheckpoint(0)->Name, "first");
  EXPECT_EQ(doc.GetPendingCheckpoint(), nullptr);
  EXPECT_EQ(doc.AddCheckpoint("third", false, TRVTag()), 1);
}

TEST_F(CustomRVDataTest, ChainFollowsItemOrderThroughDeletion) {
  AddTexts(7, Odd);  // checkpoints on items 1, 3, 5
  EXPECT_EQ(ChainNames(doc), (std::vector<std::string>{"cp1", "cp3", "cp5"}));
  EXPECT_EQ(doc.GetCheckpointCount(), 3);
  doc.DeleteItems(3, 1);
  EXPECT_EQ(ChainNames(doc), (std::vector<std::string>{"cp1", "cp5"}));
  EXPECT_EQ(doc.GetCheckpointCount(), 2);
  doc.DeleteItems(0, 2);
  EXPECT_EQ(ChainNames(doc), (std::vector<std::string>{"cp5"}));
  EXPECT_EQ(doc.GetCheckpointCount(), 1);
  EXPECT_EQ(FreedItems(), (std::vector<std::string>{"t3", "t0", "t1"}));
}

TEST_F(CustomRVDataTest, DeleteClipsTheCountToTheLastItem) {
  AddTexts(7);
  doc.DeleteItems(5, 100);
  EXPECT_EQ(doc.GetItemCount(), 5);
  EXPECT_EQ(FreedItems(), (std::vector<std::string>{"t5", "t6"}));
  doc.DeleteItems(5, 1);
  doc.DeleteItems(-1, 3);
  doc.DeleteItems(0, 0);
  EXPECT_EQ(doc.GetItemCount(), 5);
  EXPECT_EQ(doc.log.back(), "3:t6");
}

TEST_F(CustomRVDataTest, FindCheckpointBeforeAndLinkInItemOrder) {
  AddTexts(6, Odd);  // checkpoints on items 1, 3, 5
  EXPECT_EQ(doc.FindCheckpointBefore(1), nullptr);
  EXPECT_EQ(doc.FindCheckpointBefore(2)->Name, "cp1");
  EXPECT_EQ(doc.FindCheckpointBefore(5)->Name, "cp3");
  EXPECT_EQ(doc.FindCheckpointBefore(100)->Name, "cp5");

  // Unlink the middle record, then link it back at its item's place.
  TRVCPInfo* middle = doc.GetItemCheckpoint(3);
  doc.UnlinkCheckpoint(middle, false);
  middle->ItemInfo = doc.GetItem(3);
  EXPECT_EQ(ChainNames(doc), (std::vector<std::string>{"cp1", "cp5"}));
  doc.LinkCheckpoint(middle, 3);
  EXPECT_EQ(ChainNames(doc), (std::vector<std::string>{"cp1", "cp3", "cp5"}));

  // A new record on item 0 goes to the head, one on item 4 between cp3 and cp5.
  for (int itemNo : {0, 4}) {
    doc.GetItem(itemNo)->Checkpoint = std::make_unique<TRVCPInfo>();
    doc.GetItem(itemNo)->Checkpoint->Name = "new" + std::to_string(itemNo);
    doc.LinkCheckpoint(doc.GetItemCheckpoint(itemNo), itemNo);
  }
  EXPECT_EQ(ChainNames(doc), (std::vector<std::string>{"new0", "cp1", "cp3", "new4", "cp5"}));
}

TEST_F(CustomRVDataTest, DuplicatedItemBringsItsCheckpointAlong) {
  doc.SetOptions(doc.GetOptions() | rvoTagsArePChars);
  AddTexts(2, Odd);
  doc.GetItemCheckpoint(1)->Tag.Text = "tag";
  doc.AddItem("copy", RVDuplicateItem(*doc.GetItem(1), &doc));
  EXPECT_EQ(doc.GetCheckpointCount(), 2);
  EXPECT_EQ(ChainNames(doc), (std::vector<std::string>{"cp1", "cp1"}));
  EXPECT_NE(doc.GetItemCheckpoint(2), doc.GetItemCheckpoint(1));
  EXPECT_EQ(doc.GetItemCheckpoint(2)->Tag.Text, "tag");

  // A pending checkpoint wins over the one the item brings; the count is taken once.
  doc.AddCheckpoint("pending", false, TRVTag());
  doc.AddItem("copy2", RVDuplicateItem(*doc.GetItem(1), &doc));
  EXPECT_EQ(doc.GetCheckpointCount(), 3);
  EXPECT_EQ(doc.GetItemCheckpoint(3)->Name, "pending");
}

TEST_F(CustomRVDataTest, ClearFreesEverythingAndLeavesTheDocumentUsable) {
  AddTexts(3, Odd);
  doc.AddCheckpoint("pending", false, TRVTag());
  doc.StateFlags |= rvstContinuesOuterDoc | rvstLastLineNotParaEnd | rvstLoadingAsPartOfItem;
  doc.Clear();
  EXPECT_EQ(doc.GetItemCount(), 0);
  EXPECT_EQ(doc.GetCheckpointCount(), 0);
  EXPECT_EQ(doc.GetFirstCheckpoint(), nullptr);
  EXPECT_EQ(doc.GetPendingCheckpoint(), nullptr);
  EXPECT_EQ(doc.StateFlags, rvstLoadingAsPartOfItem);
  EXPECT_EQ(FreedItems().size(), 3u);
  doc.AddTextItem("again", 0, 0);
  EXPECT_EQ(doc.GetItemCount(), 1);

  // A nested Clear leaves the clearing flag for the outer one.
  doc.StateFlags |= rvstClearing;
  doc.Clear();
  EXPECT_NE(doc.StateFlags & rvstClearing, 0u);
}

// ---------------------------------------------------------------------------------------
// Page breaks, classes, markers

TEST_F(CustomRVDataTest, PageBreakIsReadFromAListMarkerInFront) {
  doc.AddTextItem("a", 0, 0);
  doc.AddItem("", std::make_unique<TFakeMarkerItem>(&doc));
  doc.GetItem(1)->SetPageBreakBefore(true);
  doc.AddTextItem("b", 0, -1);
  EXPECT_FALSE(doc.GetPageBreakBefore(0));
  EXPECT_TRUE(doc.GetPageBreakBefore(2));
  for (int bad : {-1, 3}) {
    try {
      doc.GetPageBreakBefore(bad);
      FAIL() << bad;
    } catch (const ERVError& e) {
      EXPECT_EQ(e.Message(), "Item index is out of bounds");
    }
  }
}

TEST_F(CustomRVDataTest, MarkersAreListedAndUnlisted) {
  int itemNo = 0;
  bool full = false;
  int listNo = 0;
  doc.InsertItemObject(itemNo, "", std::make_unique<TFakeMarkerItem>(&doc), full, listNo);
  doc.DeleteItems(0, 1);
  EXPECT_EQ(doc.log, (std::vector<std::string>{"0:", "1:", "marker+0", "3:", "marker-"}));
}

TEST_F(CustomRVDataTest, ItemClassCheck) {
  doc.AddTextItem("a", 0, 0);
  EXPECT_NE(doc.CheckItemClass<TRVTextItemInfo>(0), nullptr);
  try {
    doc.CheckItemClass<TRVRectItemInfo>(0);
    FAIL();
  } catch (const ERVError& e) {
    EXPECT_EQ(e.Message(), "Can't get or set this kind of information for this item");
  }
}

TEST_F(CustomRVDataTest, InsertOutsideTheListChangesNothing) {
  doc.AddTextItem("a", 0, 0);
  int itemNo = 5;
  bool full = false;
  int listNo = 0;
  EXPECT_THROW(doc.InsertItemObject(itemNo, "x", Tracked(&doc, "x"), full, listNo), EListError);
  EXPECT_EQ(doc.GetItemCount(), 1);
  EXPECT_EQ(FreedItems(), (std::vector<std::string>{"x"}));
}

// ---------------------------------------------------------------------------------------
// Moving items between documents

TEST_F(CustomRVDataTest, AppendItemsFromMovesItemsCheckpointsAndTags) {
  doc.AddTextItem("dest", 0, 7);
  TCustomRVData source;
  source.SetRVStyle(&sheet);
  source.AddCheckpoint("s0", false, TRVTag{5, {}});
  source.AddItem("joined", Tracked(&source, "joined"));
  source.GetItem(0)->SetSameAsPrev(true);
  source.AddTextItem("para", 0, 2);
  source.AddCheckpoint("s-pending", true, TRVTag());

  doc.AppendItemsFrom(&source);
  ASSERT_EQ(doc.GetItemCount(), 3);
  EXPECT_EQ(doc.GetItemText(1), "joined");
  EXPECT_EQ(doc.GetItemParaNo(1), 7);
  EXPECT_TRUE(doc.GetItem(1)->GetSameAsPrev());
  EXPECT_EQ(doc.GetItemParaNo(2), 2);
  EXPECT_EQ(ChainNames(doc), (std::vector<std::string>{"s0"}));
  EXPECT_EQ(doc.GetItemCheckpoint(1)->Tag.Value, 5);
  // The source's pending checkpoint goes to the next item added here.
  ASSERT_NE(doc.GetPendingCheckpoint(), nullptr);
  EXPECT_EQ(doc.GetCheckpointCount(), 2);
  doc.AddTextItem("after", 0, 0);
  EXPECT_EQ(ChainNames(doc), (std::vector<std::string>{"s0", "s-pending"}));

  EXPECT_EQ(source.GetItemCount(), 0);
  EXPECT_EQ(source.GetCheckpointCount(), 0);
  EXPECT_EQ(source.GetFirstCheckpoint(), nullptr);
  EXPECT_EQ(source.GetPendingCheckpoint(), nullptr);
  EXPECT_TRUE(FreedItems().empty());
  source.AddTextItem("source still works", 0, 0);
  EXPECT_EQ(source.GetItemCount(), 1);
}

TEST_F(CustomRVDataTest, AppendItemsFromRefusesMixedTagKindsBeforeMoving) {
  TCustomRVData source;
  source.SetOptions(source.GetOptions() | rvoTagsArePChars);
  source.AddTextItem("s", 0, 0);
  try {
    doc.AppendItemsFrom(&source);
    FAIL();
  } catch (const ERVError& e) {
    EXPECT_EQ(e.Message(), "Can't assign RV document to RV document - tags types mismatch");
  }
  EXPECT_EQ(source.GetItemCount(), 1);
  EXPECT_EQ(doc.GetItemCount(), 0);
  doc.AppendItemsFrom(nullptr);
  doc.AppendItemsFrom(&doc);
  EXPECT_EQ(doc.GetItemCount(), 0);
}

TEST_F(CustomRVDataTest, ConvertItemTextsStoresWhatTheItemsGiveBack) {
  doc.AddTextItem("abc", 0, 0);
  doc.upperCaseTexts = true;
  doc.ConvertItemTexts(false);
  EXPECT_EQ(doc.GetItemText(0), "ABC");
}

// ---------------------------------------------------------------------------------------
// Paragraph helpers

TEST_F(CustomRVDataTest, ClampItemNo) {
  int itemNo = 9;
  doc.ClampItemNo(itemNo);
  EXPECT_EQ(itemNo, 0);
  AddTexts(5);
  for (auto [in, out] : {std::pair{9, 4}, {-3, 0}, {2, 2}}) {
    itemNo = in;
    doc.ClampItemNo(itemNo);
    EXPECT_EQ(itemNo, out) << in;
  }
}

TEST_F(CustomRVDataTest, ParagraphAndLineBoundsAndNormalizedParagraphs) {
  // Paragraph 0: items 0, 1 (joined), 2 (line break), 3 (joined); paragraph 1: items 4, 5.
  doc.AddTextItem("0", 0, 1);
  doc.AddTextItem("1", 0, -1);
  doc.AddTextItem("2", 0, 9);
  doc.GetItem(2)->SetBR(true);
  doc.AddTextItem("3", 0, -1);
  doc.AddTextItem("4", 0, 2);
  doc.AddTextItem("5", 0, -1);
  EXPECT_EQ(doc.GetParaStartItemNo(3), 0);
  EXPECT_EQ(doc.GetLineStartItemNo(3), 2);
  EXPECT_EQ(doc.GetParaStartItemNo(5), 4);
  int first = 0, last = 0;
  doc.ExpandToParas(1, 2, first, last);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 3);
  doc.ExpandToLines(1, 2, first, last);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 3);
  doc.ExpandToLines(0, 0, first, last);
  EXPECT_EQ(last, 1);
  doc.NormalizeParaNos(2);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(doc.GetItemParaNo(i), 1) << i;
  doc.NormalizeParaNos(100);
  EXPECT_EQ(doc.GetItemParaNo(5), 2);
}

struct MergeCase {
  const char* name;
  const char* text2;
  int style2;
  TRVItemOptions options2;
  bool newLine;
  int32_t tag2;
  bool checkpoint2;
  bool expected;
};

TEST_F(CustomRVDataTest, MergeRulesForNeighbouringTextItems) {
  const MergeCase cases[] = {
      {"SameStyleContinuing", "b", 0, rvioJoinsPrevious, false, 0, false, true},
      {"SecondStartsLine", "b", 0, 0, false, 0, false, false},
      {"SecondStartsLineButNewLineAsked", "b", 0, 0, true, 0, false, true},
      {"OtherStyle", "b", 1, rvioJoinsPrevious, false, 0, false, false},
      {"OtherTag", "b", 0, rvioJoinsPrevious, false, 5, false, false},
      {"CheckpointOnSecond", "b", 0, rvioJoinsPrevious, false, 0, true, false},
      {"EmptySecondOfOtherStyle", "", 1, rvioJoinsPrevious, false, 5, false, true},
      {"EmptySecondStartingLine", "", 1, 0, false, 0, false, false},
  };
  for (const MergeCase& c : cases) {
    SCOPED_TRACE(c.name);
    doc.Clear();
    doc.AddTextItem("a", 0, 0);
    doc.AddTextItem(c.text2, c.style2, 0);
    TCustomRVItemInfo* second = doc.GetItem(1);
    second->ItemOptions = c.options2;
    second->Tag.Value = c.tag2;
    if (c.checkpoint2) second->Checkpoint = std::make_unique<TRVCPInfo>();
    EXPECT_EQ(doc.CanMergeItems(0, doc.GetItem(0), c.newLine, second), c.expected);
    second->Checkpoint.reset();
  }
  doc.Clear();
  doc.AddTextItem("a", 0, 0);
  doc.AddTextItem("b", 0, -1);
  sheet.TextStyles().Items(0)->Protection = rvprConcateProtect;
  EXPECT_FALSE(doc.CanMergeItems(0, doc.GetItem(0), false, doc.GetItem(1)));
  EXPECT_FALSE(doc.CanMergeItems(1, doc.GetItem(1), false, doc.GetItem(0)));
}

TEST_F(CustomRVDataTest, BiDiModeFallsBackFromTextToParagraphToDocument) {
  doc.AddTextItem("a", 0, 0);
  doc.AddItem("", FullLine(&doc, 1));
  doc.SetBiDiMode(rvbdLeftToRight);
  EXPECT_EQ(doc.GetItemBiDiMode(0), rvbdLeftToRight);
  sheet.ParaStyles().Items(1)->BiDiMode = rvbdRightToLeft;
  EXPECT_EQ(doc.GetItemBiDiMode(1), rvbdRightToLeft);
  sheet.TextStyles().Items(0)->BiDiMode = rvbdRightToLeft;
  EXPECT_EQ(doc.GetItemBiDiMode(0), rvbdRightToLeft);
}

// ---------------------------------------------------------------------------------------
// Nesting and settings

TEST_F(CustomRVDataTest, NestedDocumentAsksItsRootAndParent) {
  TNestedData cell(&doc);
  doc.SetOptions(rvoTagsArePChars);
  doc.SetDelimiters(";");
  EXPECT_EQ(cell.GetOptions(), rvoTagsArePChars);
  EXPECT_EQ(cell.GetRVStyle(), &sheet);
  EXPECT_EQ(cell.GetDelimiters(), ";");
  cell.SetRVFReadWarnings(rvfwUnknownPicture);
  EXPECT_EQ(doc.GetRVFReadWarnings(), rvfwUnknownPicture);
  cell.SetRVFOptions(rvfoSaveBinary);
  EXPECT_EQ(doc.GetRVFOptions(), rvfoSaveBinary);

  TCustomRVData top;
  EXPECT_EQ(top.GetOptions(), rvDefaultOptions);
  EXPECT_EQ(top.GetRVFOptions(), rvDefaultRVFOptions);
  EXPECT_EQ(top.GetRTFOptions(), 0x0E);
  EXPECT_EQ(top.GetRVFTextStylesReadMode(), rvf_sInsertMerge);
  EXPECT_EQ(top.GetDelimiters(), " .;,:(){}\"/\\");
  EXPECT_EQ(top.GetRVStyle(), nullptr);
}

TEST_F(CustomRVDataTest, WholeDocumentSelectionBounds) {
  int startNo = 9, endNo = 9, startOffs = 9, endOffs = 9;
  TCustomRVItemInfo* startPartial = nullptr;
  TCustomRVItemInfo* endPartial = nullptr;
  doc.GetSelectionBounds(true, startNo, endNo, startOffs, endOffs, startPartial, endPartial);
  EXPECT_EQ(startNo, 0);
  EXPECT_EQ(endNo, -1);
  doc.AddItem("", FullLine(&doc, 0));
  doc.AddTextItem("abc", 0, 0);
  doc.GetSelectionBounds(true, startNo, endNo, startOffs, endOffs, startPartial, endPartial);
  EXPECT_EQ(startNo, 0);
  EXPECT_EQ(startOffs, 0);
  EXPECT_EQ(endNo, 1);
  EXPECT_EQ(endOffs, 4);
  EXPECT_EQ(startPartial, nullptr);
  EXPECT_EQ(endPartial, nullptr);
}

// ---------------------------------------------------------------------------------------
// Small pieces

TEST(RVRTFFontTable, FindsByNameIgnoringCaseAndCharset) {
  TRVRTFFontTable table;
  EXPECT_EQ(table.AddUnique("Arial", 0), 0);
  EXPECT_EQ(table.AddUnique("Arial", 204), 1);
  EXPECT_EQ(table.AddUnique("ARIAL", 0), 0);
  EXPECT_EQ(table.IndexOf("arial", 204), 1);
  EXPECT_EQ(table.IndexOf("Times", 0), -1);
  EXPECT_EQ(table.Count(), 2);
}

TEST(RVHTMLImageFileName, SkipsExistingFilesUnlessTheyMayBeOverwritten) {
  char folder[] = "/tmp/rvimgXXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string path = std::string(folder) + "/";
  for (const char* name : {"img1.jpg", "img2.jpg"}) {
    FILE* f = std::fopen((path + name).c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  FileSetAttr(path + "img1.jpg", faReadOnly);
  TCustomRVData data;
  int counter = 0;
  EXPECT_EQ(data.MakeHTMLImageFileName(path, "img", ".jpg", counter, false), path + "img3.jpg");
  EXPECT_EQ(counter, 3);
  counter = 0;
  EXPECT_EQ(data.MakeHTMLImageFileName(path, "img", ".jpg", counter, true), path + "img2.jpg");
  EXPECT_EQ(counter, 2);
  for (const char* name : {"img1.jpg", "img2.jpg"}) std::remove((path + name).c_str());
  rmdir(folder);
}

TEST_F(CustomRVDataTest, PictureItemsTakeTheirGraphic) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(4, 3);
  const TGraphic* graphic = bitmap.get();
  doc.AddPictureItem("pic", std::move(bitmap), 2, 1, TRVTag{8, {}});
  ASSERT_EQ(doc.GetItemCount(), 1);
  EXPECT_EQ(doc.GetItemStyleNo(0), rvsPicture);
  EXPECT_EQ(doc.GetItemText(0), "pic");
  EXPECT_EQ(doc.GetItemParaNo(0), 2);
  EXPECT_EQ(doc.GetItemTag(0).Value, 8);
  EXPECT_EQ(doc.GetItem(0)->GetItemPicture(), graphic);
  EXPECT_EQ(doc.GetItemTextLength(0), 1);
}

TEST(RVHTMLImageFile, WritesBitmapsAndJPEGsUnderFreeNames) {
  char folder[] = "/tmp/rvimgXXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  TCustomRVData data;
  TBitmap bitmap;
  bitmap.SetSize(5, 4);
  int counter = 0;
  const std::string bmpName = data.SaveImageForHTML(&bitmap, folder, "p", counter, clNone, false, false);
  EXPECT_EQ(bmpName, std::string(folder) + "/p1.bmp");
  const std::string jpgName = data.SaveImageForHTML(&bitmap, folder, "p", counter, clNone, true, false);
  EXPECT_EQ(jpgName, std::string(folder) + "/p2.jpg");
  TBitmap readBack;
  readBack.LoadFromFile(bmpName);
  EXPECT_EQ(readBack.Width(), 5);
  TJPEGImage jpeg;
  jpeg.LoadFromFile(jpgName);
  EXPECT_EQ(jpeg.Height(), 4);
  TBitmap empty;
  EXPECT_EQ(data.SaveImageForHTML(&empty, folder, "p", counter, clNone, true, false), "");
  EXPECT_EQ(counter, 2);
  std::remove(bmpName.c_str());
  std::remove(jpgName.c_str());
  rmdir(folder);
}

}  // namespace
