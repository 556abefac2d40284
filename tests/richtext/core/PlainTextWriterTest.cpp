// The plain-text writer: line breaks between lines, ranges inside and across items, the
// marker that opens a selection in a list paragraph, code-page conversions between 8-bit and
// UTF-16 items and outputs, the plain-text forms of every item kind, text-only output and
// failures while writing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "HTMLTestSupport.h"
#include "platform/core/CodePages.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Controls.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"

namespace {

using htmltest::AddBreak;
using htmltest::AddJoined;
using htmltest::AddLineBreakText;
using htmltest::AddMarker;

constexpr int kUnicodeStyle = 6;  // the Unicode text style of htmltest::MakeStyle

/// A document whose selection and control texts the tests set.
class TPlainData : public TCustomRVData {
 public:
  void GetSelectionBounds(bool SelectionOnly, int& StartItemNo, int& EndItemNo, int& StartOffs, int& EndOffs,
                          TCustomRVItemInfo*& StartPartial, TCustomRVItemInfo*& EndPartial) override {
    TCustomRVData::GetSelectionBounds(SelectionOnly, StartItemNo, EndItemNo, StartOffs, EndOffs, StartPartial,
                                      EndPartial);
    if (!SelectionOnly) return;
    StartItemNo = selection[0], StartOffs = selection[1], EndItemNo = selection[2], EndOffs = selection[3];
  }
  std::string SaveComponentToFile(const std::string& Path, TPersistent* SaveMe,
                                  TRVSaveFormat SaveFormat) override {
    asked.push_back({Path, SaveMe, SaveFormat});
    return controlText;
  }

  struct Ask {
    std::string path;
    TPersistent* control;
    TRVSaveFormat format;
  };
  int selection[4] = {-1, 0, -1, 0};  // start item, start offset, end item, end offset
  std::string controlText;
  std::vector<Ask> asked;
};

/// A whole-line item that belongs in text-only output (as a table does), recording what
/// it is asked with. It answers rvfqUnicodePlainText when `ownUnicode` is set.
class TTextOnlyItem : public TRVFullLineItemInfo {
 public:
  explicit TTextOnlyItem(TCustomRVData* RVData) : TRVFullLineItemInfo(RVData) { StyleNo = -60; }
  bool QueryFeature(int Code) const override {
    if (Code == rvfqInTextOnlyOutput) return true;
    if (Code == rvfqUnicodePlainText) return ownUnicode;
    return TRVFullLineItemInfo::QueryFeature(Code);
  }
  std::string GetPlainText(int32_t LineWidth, TCustomRVData* RVData, const std::string& Text,
                           const std::string& Path, bool TextOnly, bool Unicode) override {
    if (fail) throw EWriteError("cell failed");
    lineWidth = LineWidth, data = RVData, text = Text, path = Path, textOnly = TextOnly, unicode = Unicode;
    return Unicode ? RVWideStringToBytes(u"\u0416") : std::string("\xC6");
  }

  bool ownUnicode = false;
  bool fail = false;
  int32_t lineWidth = -1;
  TCustomRVData* data = nullptr;
  std::string text, path;
  bool textOnly = false, unicode = false;
};

/// A stream that takes only `limit` bytes.
class TShortStream : public TMemoryStream {
 public:
  explicit TShortStream(int64_t limit) : limit_(limit) {}
  int64_t Write(const void* buffer, int64_t count) override {
    const int64_t n = std::min(count, limit_ - Size());
    return n > 0 ? TMemoryStream::Write(buffer, n) : 0;
  }

 private:
  int64_t limit_;
};

std::string W(std::u16string_view s) {
  return RVWideStringToBytes(s);
}

class PlainTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetACP(1252);
    style = htmltest::MakeStyle();
    data.SetRVStyle(style.get());
  }

  /// The writer's output; `ok` receives its result.
  std::string Save(bool selectionOnly, bool textOnly, bool unicode, int32_t lineWidth = 80,
                   bool* ok = nullptr, const std::string& path = "") {
    TMemoryStream stream;
    const bool result = data.SaveTextRangeToStream(path, stream, lineWidth, selectionOnly, textOnly, unicode);
    if (ok) *ok = result;
    return stream.DataString();
  }
  std::string Whole(bool unicode = false) { return Save(false, false, unicode); }
  void Select(int startNo, int startOffs, int endNo, int endOffs) {
    data.selection[0] = startNo, data.selection[1] = startOffs, data.selection[2] = endNo,
    data.selection[3] = endOffs;
  }
  std::string Selected(bool textOnly = true, bool unicode = false) { return Save(true, textOnly, unicode); }
  void AddUnicodeText(std::u16string_view text, int paraNo) {
    data.AddTextItem(W(text), kUnicodeStyle, paraNo);
  }

  std::unique_ptr<TRVStyle> style;
  TPlainData data;
};

// ---------------------------------------------------------------------------------------
// Lines and ranges

TEST_F(PlainTextTest, ParagraphsAndLineBreaksAreSeparatedByCRLF) {
  data.AddTextItem("ab", 0, 0);
  data.AddTextItem("cd", 0, 0);
  AddLineBreakText(data, "ef", 0);
  AddJoined(data, "gh", 1);
  EXPECT_EQ(Whole(), "ab\r\ncd\r\nefgh");
  EXPECT_EQ(Whole(true), W(u"ab\r\ncd\r\nefgh"));
}

TEST_F(PlainTextTest, EmptyDocumentAndEmptyRangeWriteNothing) {
  bool ok = false;
  EXPECT_EQ(Save(false, false, false, 80, &ok), "");
  EXPECT_TRUE(ok);
  data.AddTextItem("abc", 0, 0);
  data.AddTextItem("def", 0, 0);
  Select(1, 1, 0, 2);  // start after end
  EXPECT_EQ(Save(true, false, false, 80, &ok), "");
  EXPECT_TRUE(ok);
  Select(-1, 0, -1, 0);
  EXPECT_EQ(Save(true, false, false, 80, &ok), "");
  EXPECT_TRUE(ok);
}

TEST_F(PlainTextTest, RangeOffsetsCutTextItems) {
  data.AddTextItem("abcde", 0, 0);
  AddJoined(data, "fgh", 0);
  data.AddTextItem("ijk", 0, 0);
  AddUnicodeText(u"\u0416xyz", 0);
  struct Case {
    int startNo, startOffs, endNo, endOffs;
    std::string expected;
  } cases[] = {
      {0, 2, 0, 4, "bc"},          // inside one item, end offset excluded
      {0, 3, 0, 3, ""},            // empty
      {0, 4, 0, 2, ""},            // reversed offsets inside one item
      {0, 4, 1, 2, "def"},         // across items of one line
      {0, 5, 2, 3, "efgh\r\nij"},  // across a paragraph
      {1, 4, 2, 1, "\r\n"},        // from the end of one item to the start of the next line
      {3, 2, 3, 4, "xy"},          // UTF-16 offsets count characters, not bytes
      {2, 3, 3, 2, "k\r\n?"},      // U+0416 has no place in code page 1252
      {0, 1, 0, 100, "abcde"},     // offsets beyond the text are cut to it
  };
  for (const Case& c : cases) {
    Select(c.startNo, c.startOffs, c.endNo, c.endOffs);
    EXPECT_EQ(Selected(false), c.expected)
        << c.startNo << ":" << c.startOffs << "-" << c.endNo << ":" << c.endOffs;
  }
  Select(3, 1, 3, 3);
  EXPECT_EQ(Selected(false, true), W(u"\u0416x"));
}

TEST_F(PlainTextTest, NonTextItemsAtRangeEdgesNeedTheirWholeExtent) {
  data.AddTextItem("ab", 0, 0);
  AddBreak(data, 2);
  data.AddTextItem("cd", 0, 0);
  const std::string rule(5, '=');
  struct Case {
    int startNo, startOffs, endNo, endOffs;
    std::string expected;
  } cases[] = {
      {1, 0, 1, 1, rule},  // the item alone
      {1, 0, 1, 0, ""},    // before it on both sides
      {1, 1, 1, 1, ""},    // after it on both sides
      {0, 2, 1, 1, "b\r\n" + rule},
      {0, 2, 1, 0, "b\r\n"},  // the end before the item leaves it out
      {1, 0, 2, 2, rule + "\r\nc"},
      {1, 1, 2, 2, "\r\nc"},  // the start after the item leaves it out
  };
  for (const Case& c : cases) {
    Select(c.startNo, c.startOffs, c.endNo, c.endOffs);
    EXPECT_EQ(Save(true, false, false, 5), c.expected)
        << c.startNo << ":" << c.startOffs << "-" << c.endNo << ":" << c.endOffs;
  }
}

// ---------------------------------------------------------------------------------------
// List markers

TEST_F(PlainTextTest, MarkersArePartOfTheWholeDocumentButNotOfTextOnlyOutput) {
  AddMarker(data, 0, 0);
  AddJoined(data, "first", 0);
  AddMarker(data, 0, 0);
  AddJoined(data, "second", 0);
  EXPECT_EQ(Whole(), "1. first\r\n2. second");
  EXPECT_EQ(Whole(true), W(u"1. first\r\n2. second"));
  EXPECT_EQ(Save(false, true, false), "first\r\nsecond");
}

TEST_F(PlainTextTest, SelectionInsideAListParagraphStartsWithItsMarker) {
  AddMarker(data, 0, 0);              // 0
  AddJoined(data, "first", 0);        // 1
  AddJoined(data, "more", 0);         // 2
  AddMarker(data, 0, 0);              // 3
  AddJoined(data, "second", 0);       // 4
  AddLineBreakText(data, "line", 0);  // 5: second line of the list paragraph
  data.AddTextItem("plain", 0, 0);    // 6
  struct Case {
    int startNo, startOffs, endNo, endOffs;
    bool textOnly;
    std::string expected;
  } cases[] = {
      {1, 3, 1, 5, true, "1. rs"},
      {2, 1, 4, 3, true, "1. more\r\nse"},  // markers inside the range stay out in text-only
      {2, 1, 4, 3, false, "1. more\r\n2. se"},
      {0, 0, 1, 3, false, "1. fi"},  // starting at the marker writes it once
      {0, 1, 1, 3, true, "1. fi"},   // starting after the marker
      {5, 2, 5, 4, true, "in"},      // a later line of the paragraph has no marker
      {6, 1, 6, 3, true, "pl"},
  };
  for (const Case& c : cases) {
    Select(c.startNo, c.startOffs, c.endNo, c.endOffs);
    EXPECT_EQ(Selected(c.textOnly), c.expected)
        << c.startNo << ":" << c.startOffs << "-" << c.endNo << ":" << c.endOffs;
  }
  Select(1, 1, 1, 3);
  EXPECT_EQ(Selected(true, true), W(u"1. fi"));
  EXPECT_EQ(Save(false, true, false), "firstmore\r\nsecond\r\nline\r\nplain");  // whole document: no lead
}

TEST_F(PlainTextTest, UnicodeBulletMarkerGivesUTF16Itself) {
  TRVListLevel* level = style->ListStyles().Items(1)->Levels().Items(0);
  level->ListType = rvlstUnicodeBullet;
  level->FormatStringW = u"\u25A0";
  AddMarker(data, 1, 0);
  AddJoined(data, "item", 0);
  EXPECT_EQ(Whole(true), W(u"\u25A0 item"));
  EXPECT_EQ(Whole(false), "* item");
}

// ---------------------------------------------------------------------------------------
// Code pages

TEST_F(PlainTextTest, UnicodeItemsAs8BitUseTheDefaultCodePage) {
  style->DefCodePage = 1251;
  style->TextStyles().Items(0)->Charset = 161;  // Greek: must not be used for UTF-16 items
  AddUnicodeText(u"\u0416\u00E9", 0);
  EXPECT_EQ(Whole(), "\xC6?");
  EXPECT_EQ(Whole(true), W(u"\u0416\u00E9"));
}

TEST_F(PlainTextTest, EightBitItemsAsUTF16UseTheirStyleCodePage) {
  style->DefCodePage = 1253;
  style->TextStyles().Items(1)->Charset = 204;  // Cyrillic
  data.AddTextItem("\xC6", 1, 0);
  data.AddTextItem("\xC6", 0, 0);  // default charset: the ANSI code page 1252
  EXPECT_EQ(Whole(true), W(u"\u0416\r\n\u00C6"));
  EXPECT_EQ(Whole(false), "\xC6\r\n\xC6");
}

TEST_F(PlainTextTest, NonTextPiecesAreConvertedUnlessTheyGiveUTF16) {
  style->DefCodePage = 1251;
  auto own = std::make_unique<TTextOnlyItem>(&data);
  own->ownUnicode = true;
  TTextOnlyItem* ownRaw = own.get();
  data.AddItem("a", std::move(own));
  auto converted = std::make_unique<TTextOnlyItem>(&data);
  TTextOnlyItem* convertedRaw = converted.get();
  data.AddItem("b", std::move(converted));
  EXPECT_EQ(Whole(true), W(u"\u0416\r\n\u0416"));
  EXPECT_TRUE(ownRaw->unicode);
  EXPECT_FALSE(convertedRaw->unicode);  // the writer converts its 8-bit text with code page 1251
  EXPECT_EQ(Whole(false), "\xC6\r\n\xC6");
  EXPECT_FALSE(ownRaw->unicode);
}

// ---------------------------------------------------------------------------------------
// Item kinds

TEST_F(PlainTextTest, HorizontalLineFillsTheLineWidth) {
  struct Case {
    int penWidth;
    int32_t lineWidth;
    std::string expected;
  } cases[] = {
      {1, 80, std::string(80, '-')}, {2, 80, std::string(80, '=')}, {5, 3, "==="}, {1, 0, "-"}, {2, -7, "="},
  };
  for (const Case& c : cases) {
    data.Clear();
    AddBreak(data, c.penWidth);
    EXPECT_EQ(Save(false, false, false, c.lineWidth), c.expected) << c.penWidth << " " << c.lineWidth;
  }
  EXPECT_EQ(Save(false, false, true, 2), W(u"=="));
  EXPECT_EQ(Save(false, true, false, 2), "");  // not text
}

TEST_F(PlainTextTest, ControlTextComesFromTheDocumentHook) {
  data.AddTextItem("x", 0, 0);
  auto control = TRVControlItemInfo::CreateEx(&data, std::make_unique<TControl>(nullptr), 0);
  TControl* raw = control->Control.get();
  control->ParaNo = -1;
  data.AddItem("ctl", std::move(control));
  data.controlText = "[edit]";
  EXPECT_EQ(Save(false, false, false, 80, nullptr, "/out/"), "x[edit]");
  ASSERT_EQ(data.asked.size(), 1u);
  EXPECT_EQ(data.asked[0].path, "/out/");
  EXPECT_EQ(data.asked[0].control, raw);
  EXPECT_EQ(data.asked[0].format, rvsaveText);
  EXPECT_EQ(Save(false, false, true), W(u"x[edit]"));
  EXPECT_EQ(Save(false, true, false), "x");
}

TEST_F(PlainTextTest, PicturesAndImageListImagesHaveNoText) {
  TCustomImageList images(nullptr);
  data.AddTextItem("a", 0, 0);
  data.AddPictureItem("pic", htmltest::SolidBitmap(2, 2, clRed), -1, 0, TRVTag());
  auto bullet = TRVBulletItemInfo::CreateEx(&data, &images, 0, 0);
  bullet->ParaNo = -1;
  data.AddItem("", std::move(bullet));
  auto hotspot = TRVHotspotItemInfo::CreateEx(&data, &images, 0, 0, 0);
  hotspot->ParaNo = -1;
  data.AddItem("", std::move(hotspot));
  auto hot = TRVHotGraphicItemInfo::CreateWithPicture(&data, htmltest::SolidBitmap(2, 2, clRed), 0);
  hot->ParaNo = 0;
  data.AddItem("hot", std::move(hot));
  AddJoined(data, "b", 0);
  EXPECT_EQ(Whole(), "a\r\nb");
}

TEST_F(PlainTextTest, TextOnlyKeepsItemsThatBelongInText) {
  data.AddTextItem("x", 0, 0);
  auto item = std::make_unique<TTextOnlyItem>(&data);
  TTextOnlyItem* raw = item.get();
  data.AddItem("cells", std::move(item));
  AddBreak(data);
  bool ok = false;
  EXPECT_EQ(Save(false, true, false, 33, &ok, "/p/"), "x\r\n\xC6\r\n");
  EXPECT_TRUE(ok);
  EXPECT_EQ(raw->lineWidth, 33);
  EXPECT_EQ(raw->data, &data);
  EXPECT_EQ(raw->text, "cells");
  EXPECT_EQ(raw->path, "/p/");
  EXPECT_TRUE(raw->textOnly);
}

// ---------------------------------------------------------------------------------------
// Failures

TEST_F(PlainTextTest, FailureWhileWritingAnswersFalseAndKeepsWhatWasWritten) {
  data.AddTextItem("abc", 0, 0);
  data.AddTextItem("def", 0, 0);
  TShortStream stream(4);
  EXPECT_FALSE(data.SaveTextRangeToStream("", stream, 80, false, false, false));
  EXPECT_EQ(stream.DataString(), "abc\r");  // the line break did not fit whole

  auto failing = std::make_unique<TTextOnlyItem>(&data);
  failing->fail = true;
  data.AddItem("", std::move(failing));
  TMemoryStream memory;
  EXPECT_FALSE(data.SaveTextRangeToStream("", memory, 80, false, false, false));
  EXPECT_EQ(memory.DataString(), "abc\r\ndef\r\n");
}

}  // namespace
