// Line layout on a measure with fixed-width glyphs (see TFixedPitchData).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "FormattedDataSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/PdfPrinter.h"
#include "richtext/core/RVListInfo.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"

namespace {

using viewertest::TFixedPitchData;

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data.SetRVStyle(&style);
    data.width = 110;  // 100 pixels of text: ten characters a line
    data.height = 1000;
  }
  int AddPara(TRVAlignment Alignment, TRVParaOptions Options = 0) {
    TParaInfo* para = style.ParaStyles().AddStyle();
    para->Alignment = Alignment;
    para->Options = Options;
    return style.ParaStyles().Count() - 1;
  }
  void Format() { data.Format(true); }
  const TRVDrawLineInfo& Piece(int i) { return *data.DrawItems()[i]; }
  std::string PieceText(int i) { return data.DrawItems().GetDrawItemText(i, data.GetItems()); }

  TRVStyle style;
  TFixedPitchData data;
};

TEST_F(LayoutTest, WrappedLinesHideOrKeepTheBreakingSpace) {
  data.AddTextItem("aaaa bbbb cccc", 0, 0);
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 2);
  EXPECT_EQ(PieceText(0), "aaaa bbbb");
  EXPECT_EQ(PieceText(1), "cccc");
  EXPECT_EQ(Piece(0).Width, 90);
  EXPECT_TRUE(Piece(1).FromNewLine);
  EXPECT_EQ(Piece(0).Top, 5);
  EXPECT_EQ(Piece(1).Top, 21);
  EXPECT_EQ(Piece(1).Left, 5);
  EXPECT_EQ(data.DocumentHeight, 5 + 16 + 16 + 5);

  data.viewerState &= ~2;  // the space stays at the end of the first line
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 2);
  EXPECT_EQ(PieceText(0), "aaaa bbbb ");
  EXPECT_EQ(PieceText(1), "cccc");
}

TEST_F(LayoutTest, LongWordsAreCutHardOnlyOnAnEmptyLine) {
  data.AddTextItem("ab abcdefghijklmn", 0, 0);
  data.AddTextItem("abcdefghijklmnopqrstuvwxy", 0, 0);
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 6);
  EXPECT_EQ(PieceText(0), "ab");
  EXPECT_EQ(PieceText(1), "abcdefghij");
  EXPECT_EQ(PieceText(2), "klmn");
  EXPECT_EQ(PieceText(3), "abcdefghij");
  EXPECT_EQ(PieceText(4), "klmnopqrst");
  EXPECT_EQ(PieceText(5), "uvwxy");
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(Piece(i).FromNewLine) << i;
  EXPECT_EQ(Piece(5).Top, 5 + 5 * 16);
}

TEST_F(LayoutTest, NoWrapParagraphWidensTheDocument) {
  data.AddTextItem("abcdefghijklmnopqrstuvwxy", 0, AddPara(rvaLeft, rvpaoNoWrap));
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 1);
  EXPECT_EQ(Piece(0).Width, 250);
  EXPECT_EQ(data.DocumentWidth, 250);
}

TEST_F(LayoutTest, JustifiedLinesFillTheWidthExceptTheLast) {
  data.AddTextItem("aa bb cc dd ee", 0, AddPara(rvaJustify));
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 5);
  EXPECT_EQ(PieceText(2), " cc");
  EXPECT_EQ(Piece(2).Left + Piece(2).Width, 105);
  EXPECT_EQ(Piece(1).SpaceBefore, 10);
  EXPECT_EQ(Piece(2).SpaceBefore, 10);
  EXPECT_EQ(PieceText(3), "dd");
  EXPECT_TRUE(Piece(3).FromNewLine);
  EXPECT_EQ(Piece(4).Left, 25);  // the last line stays left-aligned
  EXPECT_EQ(Piece(4).SpaceBefore, 0);

  // An explicit direction turns justification off.
  style.ParaStyles().Items(data.GetItem(0)->ParaNo)->BiDiMode = rvbdLeftToRight;
  Format();
  EXPECT_EQ(Piece(1).SpaceBefore, 0);
}

TEST_F(LayoutTest, AlignmentMovesTheLine) {
  data.AddTextItem("abcd", 0, AddPara(rvaRight));
  data.AddTextItem("abcd", 0, AddPara(rvaCenter));
  Format();
  EXPECT_EQ(Piece(0).Left, 5 + 60);
  EXPECT_EQ(Piece(1).Left, 5 + 30);
}

TEST_F(LayoutTest, LineSpacingAddsBelowEachLine) {
  const int para = AddPara(rvaLeft);
  style.ParaStyles().Items(para)->LineSpacing = 150;
  data.AddTextItem("aaaa bbbb cccc", 0, para);
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 2);
  EXPECT_EQ(Piece(0).ExtraSpaceBelow, 8);
  EXPECT_EQ(Piece(1).Top, 5 + 16 + 8);
  EXPECT_EQ(data.DocumentHeight, 5 + 16 + 8 + 16 + 8 + 5);

  style.ParaStyles().Items(para)->LineSpacingType = rvlsSpaceBetween;
  style.ParaStyles().Items(para)->LineSpacing = 3;
  Format();
  EXPECT_EQ(Piece(1).Top, 5 + 16 + 3);
}

TEST_F(LayoutTest, ParagraphSpacingAndIndents) {
  const int para = AddPara(rvaLeft);
  TParaInfo& info = *style.ParaStyles().Items(para);
  info.SpaceBefore = 4;
  info.SpaceAfter = 6;
  info.LeftIndent = 20;
  info.FirstIndent = 10;
  data.AddTextItem("aaaa bbbb", 0, para);
  data.AddTextItem("cc", 0, para);
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 3);
  EXPECT_EQ(Piece(0).Left, 5 + 30);
  EXPECT_EQ(Piece(0).Top, 5 + 4);
  EXPECT_EQ(Piece(1).Left, 5 + 20);  // continuation lines lose the first-line indent
  EXPECT_EQ(Piece(2).Top, Piece(1).Top + 16 + 6 + 4);
  EXPECT_EQ(data.DocumentHeight, Piece(2).Top + 16 + 6 + 5);
}

TEST_F(LayoutTest, StyleLengthsAreConvertedToTheDeviceOfTheCanvas) {
  const int para = AddPara(rvaLeft);
  style.ParaStyles().Items(para)->LeftIndent = 10;
  style.ParaStyles().Items(para)->SpaceBefore = 4;
  data.AddTextItem("aaaa", 0, para);
  data.GetCanvas();  // the toolkit, for the printer's canvas
  const std::string file =
      (std::filesystem::temp_directory_path() / ("zuk-layout-" + std::to_string(::getpid()) + ".pdf"))
          .string();
  TPdfPrinter printer(file, 192);
  printer.BeginDoc();
  TRVFormatScale scale;
  data.GetScreenAndDeviceInfo(&printer.Canvas(), scale);
  EXPECT_EQ(scale.ScreenPPIX, 96);
  EXPECT_EQ(scale.ScreenPPIY, 96);
  EXPECT_EQ(scale.DevicePPIX, 192);
  EXPECT_EQ(scale.DevicePPIY, 192);

  // Twice as many device pixels: margins, indents and spacing double; the top margin and
  // the measured text do not.
  style.TextStyles().Items(0)->CharSpacing = 3;
  data.FormatLines(false, true, false, 0, &printer.Canvas(), false, false);
  ASSERT_EQ(data.DrawItems().Count(), 1);
  EXPECT_EQ(Piece(0).Left, 10 + 20);
  EXPECT_EQ(Piece(0).Top, 5 + 8);
  EXPECT_EQ(Piece(0).Width, 40);
  EXPECT_EQ(data.TextWidth, 110 - 20);
  EXPECT_EQ(printer.Canvas().GetTextCharacterExtra(), 6) << "character spacing in device pixels";
  // Text that takes a direction from its paragraph is drawn without it.
  style.ParaStyles().Items(para)->BiDiMode = rvbdRightToLeft;
  data.FormatLines(false, true, false, 0, &printer.Canvas(), false, false);
  EXPECT_EQ(printer.Canvas().GetTextCharacterExtra(), 0);
  printer.Abort();
  EXPECT_FALSE(std::filesystem::exists(file));

  // A canvas that draws nowhere counts as a screen.
  TCanvas detached;
  data.GetScreenAndDeviceInfo(&detached, scale);
  EXPECT_EQ(scale.DevicePPIX, 96);
  EXPECT_EQ(scale.DevicePPIY, 96);
}

TEST_F(LayoutTest, EightBitTextIsMeasuredInTheCodePageOfItsStyle) {
  TFontInfo& cyrillic = *style.TextStyles().AddStyle();
  cyrillic.Charset = 204;
  const int cyrillicNo = style.TextStyles().Count() - 1;
  TFontInfo& japanese = *style.TextStyles().AddStyle();
  japanese.Charset = 128;
  const int japaneseNo = style.TextStyles().Count() - 1;
  TFontInfo& capitals = *style.TextStyles().AddStyle();
  capitals.Charset = 1;  // no code page of its own: the document's
  capitals.StyleEx = rvfsAllCaps;
  const int capitalsNo = style.TextStyles().Count() - 1;
  style.DefCodePage = 1253;
  data.AddTextItem("\xC0\xE1", cyrillicNo, 0);
  data.AddTextItem("x\x93\xFAy", japaneseNo, 0);
  data.AddTextItem("\xC1\xE1z", capitalsNo, 0);
  EXPECT_EQ(data.GetItemTextForDrawing(0), u"\u0410\u0431");
  // Offsets count bytes: a character of two bytes does not shorten the text.
  const std::u16string japaneseText = data.GetItemTextForDrawing(1);
  ASSERT_EQ(japaneseText.size(), 4u);
  EXPECT_EQ(japaneseText[0], u'x');
  EXPECT_EQ(japaneseText[3], u'y');
  EXPECT_EQ(data.GetItemTextForDrawing(2), u"\u0391\u0391Z");
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 3);
  EXPECT_EQ(Piece(1).Length, 4);
  EXPECT_EQ(Piece(1).Width, 40);
}

TEST_F(LayoutTest, EmptyDocumentIsItsMargins) {
  Format();
  EXPECT_EQ(data.DrawItems().Count(), 0);
  EXPECT_EQ(data.DocumentHeight, 10);
  EXPECT_EQ(data.DocumentWidth, 100);
}

TEST_F(LayoutTest, EmptyTextItemHasTheHeightOfASpace) {
  data.AddTextItem("", 0, 0);
  data.AddTextItem("ab", 0, 0);
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 2);
  EXPECT_EQ(Piece(0).Width, 0);
  EXPECT_EQ(Piece(0).Height, 16);
  EXPECT_EQ(Piece(0).Offs, 1);
  EXPECT_EQ(Piece(1).Top, 21);
}

TEST_F(LayoutTest, RightToLeftLinesAreMirrored) {
  const int para = AddPara(rvaLeft);
  style.ParaStyles().Items(para)->BiDiMode = rvbdRightToLeft;
  data.AddTextItem("aa", 0, para);
  data.AddTextItem("bbb", 0, -1);
  ASSERT_TRUE(data.GetItem(1)->GetSameAsPrev());
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 2);
  EXPECT_EQ(Piece(1).Left, 5);
  EXPECT_EQ(Piece(0).Left, 35);
}

TEST_F(LayoutTest, ZeroWidthTextAlwaysMovesOn) {
  style.TextStyles().Items(0)->Unicode = true;
  data.AddTextItem("abcdefghij", 0, 0);
  data.AddWideTextItem(u"\u200B\u200B\u200B", 0, -1, TRVTag());
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 2);
  EXPECT_EQ(Piece(1).Length, 3);

  // Lines without any room: every line still takes one character, also when it measures 0.
  data.Clear();
  data.SetOptions(data.GetOptions() | rvoClientTextWidth);
  data.width = 10;
  data.AddWideTextItem(u"\u200B\u200B\u200B", 0, 0, TRVTag());
  data.AddWideTextItem(u"ab", 0, 0, TRVTag());
  Format();
  ASSERT_EQ(data.TextWidth, 0);
  ASSERT_EQ(data.DrawItems().Count(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Piece(i).Length, 1) << i;
    EXPECT_TRUE(Piece(i).FromNewLine) << i;
  }
}

TEST_F(LayoutTest, SurrogatePairsAndCombiningMarksStayWithTheirCharacter) {
  // "a" and five characters outside the basic plane: eleven UTF-16 units, 110 pixels, on
  // lines of 100 pixels. The tenth unit that would still fit is the first half of a pair.
  std::u16string text = u"a";
  for (int i = 0; i < 5; ++i) text += u"\U0001F600";
  style.TextStyles().Items(0)->Unicode = true;
  data.AddWideTextItem(text, 0, 0, TRVTag());
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 2);
  EXPECT_EQ(Piece(0).Length, 9);
  EXPECT_EQ(Piece(1).Offs, 10);
  EXPECT_EQ(Piece(1).Length, 2);

  // A click between the halves of a pair puts the caret before the pair.
  int d = 0, o = 0;
  data.FindDrawItemAtPos(Piece(0).Left + 20, Piece(0).Top + 2, true, d, o);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(o, 2);
  data.FindDrawItemAtPos(Piece(0).Left + 31, Piece(0).Top + 2, true, d, o);
  EXPECT_EQ(o, 4);

  // A line too narrow for anything still takes one whole character, never half a pair.
  data.Clear();
  data.AddWideTextItem(u"\U0001F600\U0001F600", 0, 0, TRVTag());
  data.width = 25;
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 2);
  EXPECT_EQ(Piece(0).Length, 2);
  EXPECT_EQ(Piece(1).Length, 2);

  // A combining accent goes to the next line with its letter, and a click between them puts
  // the caret before the letter.
  data.Clear();
  data.width = 110;
  data.AddWideTextItem(u"abcdefghie\u0301xyz", 0, 0, TRVTag());
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 2);
  EXPECT_EQ(Piece(0).Length, 9);
  EXPECT_EQ(Piece(1).Offs, 10);
  data.FindDrawItemAtPos(Piece(1).Left + 10, Piece(1).Top + 2, true, d, o);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(o, 1);
  data.FindDrawItemAtPos(Piece(1).Left + 20, Piece(1).Top + 2, true, d, o);
  EXPECT_EQ(o, 3);
}

TEST_F(LayoutTest, PictureTooWideForTheRestMovesToANewLine) {
  data.AddTextItem("abcdefg", 0, 0);
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(40, 20);
  data.AddPictureItem("", std::move(picture), -1, 0, TRVTag());
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 2);
  EXPECT_TRUE(Piece(1).FromNewLine);
  EXPECT_EQ(Piece(1).Width, 42);
  EXPECT_EQ(Piece(1).Height, 22);
  // The picture stands on the baseline: one pixel of it reaches below.
  EXPECT_EQ(data.DocumentHeight, Piece(1).Top + 22 + 5);
}

TEST_F(LayoutTest, BreakTakesAWholeLine) {
  data.AddTextItem("ab", 0, 0);
  data.AddItem("", TRVBreakItemInfo::CreateEx(&data, 1, 0, clBlack));
  data.AddTextItem("cd", 0, 0);
  Format();
  ASSERT_EQ(data.DrawItems().Count(), 3);
  EXPECT_EQ(Piece(1).Width, 100);
  EXPECT_EQ(Piece(1).Height, 11);
  EXPECT_LT(Piece(1).Top + Piece(1).Height, Piece(2).Top + 1);
}

TEST_F(LayoutTest, HyperlinkPiecesShareOneNumber) {
  style.TextStyles().Items(1)->Jump = true;
  data.AddTextItem("aaaa bbbb cccc", 1, 0);
  data.AddTextItem("dd", 1, 0);
  Format();
  ASSERT_EQ(data.Jumps().Count(), 3);
  EXPECT_EQ(data.Jumps()[0]->Id, 0);
  EXPECT_EQ(data.Jumps()[1]->Id, 0);
  EXPECT_EQ(data.Jumps()[2]->Id, 1);
  EXPECT_EQ(data.Jumps()[1]->Top, Piece(1).Top);
  Format();
  EXPECT_EQ(data.Jumps()[0]->Id, 0);  // numbers restart with each format
}

TEST_F(LayoutTest, ScrollBarAppearingFormatsOnceMore) {
  data.scrollBarWidth = 17;
  data.height = 20;
  data.AddTextItem("aaaa bbbb cccc", 0, 0);
  Format();
  EXPECT_EQ(data.TextWidth, 110 - 17 - 10);
  EXPECT_EQ(data.areaSizes, 2);

  data.toggleScrollBar = true;  // a width that flips every time stops after two levels
  data.areaSizes = 0;
  Format();
  EXPECT_EQ(data.areaSizes, 2);
  EXPECT_FALSE(data.FormattingLocked());
}

TEST_F(LayoutTest, FormatLockIsReleasedWhenMeasuringFails) {
  data.AddTextItem("abc", 0, 0);
  data.throwOnMeasure = true;
  EXPECT_THROW(Format(), std::runtime_error);
  EXPECT_FALSE(data.FormattingLocked());
  EXPECT_FALSE(data.AreaResizing);
  data.throwOnMeasure = false;
  Format();
  EXPECT_EQ(data.DrawItems().Count(), 1);
}

// ---- coordinates and lookups ----

TEST_F(LayoutTest, ItemAndPiecePositionsRoundTripAtEveryBoundary) {
  for (int hide = 0; hide < 2; ++hide) {
    data.Clear();
    data.viewerState = hide ? 0x10B : 0x109;
    data.AddTextItem("aaaa bbbb cccc dddddddddddddd", 0, 0);
    auto picture = std::make_unique<TBitmap>();
    picture->SetSize(8, 8);
    data.AddPictureItem("", std::move(picture), -1, 0, TRVTag());
    data.AddTextItem("ee", 0, -1);
    Format();
    const TRVDrawLines& pieces = data.DrawItems();
    ASSERT_GE(pieces.Count(), 5);
    for (int d = 0; d < pieces.Count(); ++d) {
      for (int o = data.GetDrawItemStartOffset(d); o <= data.GetDrawItemEndOffset(d); ++o) {
        int itemNo = 0, offs = 0, d2 = 0, o2 = 0;
        data.DrawItemToItem(d, o, itemNo, offs);
        data.ItemToDrawItem(itemNo, offs, d2, o2);
        const TRVDrawLineInfo* before = d > 0 ? pieces[d - 1] : nullptr;
        const bool shared = o == 1 && before != nullptr && before->ItemNo == pieces[d]->ItemNo &&
                            before->Offs + before->Length == pieces[d]->Offs;
        EXPECT_EQ(d2, shared ? d - 1 : d) << hide << " " << d << ":" << o;
        EXPECT_EQ(o2, shared ? before->Length + 1 : o) << hide << " " << d << ":" << o;
      }
    }
    if (hide) {
      // The space dropped at the first soft break shows at the start of the next line.
      int d = 0, o = 0;
      data.ItemToDrawItem(0, 11, d, o);
      EXPECT_EQ(d, 1);
      EXPECT_EQ(o, 1);
    }
  }
  int d = 0, o = 0;
  data.ItemToDrawItem(-1, 1, d, o);
  EXPECT_EQ(d, -1);
}

TEST_F(LayoutTest, HitTestingClampsToTheFirstAndLastLines) {
  int d = 0, o = 0;
  data.FindDrawItemAtPos(10, 10, false, d, o);
  EXPECT_EQ(d, -1) << "an empty document has nothing to hit";
  EXPECT_EQ(data.GetDrawItemAtPos(10, 10), -1);

  data.AddTextItem("aaaa bbbb cccc", 0, 0);
  Format();
  data.FindDrawItemAtPos(27, -500, false, d, o);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(o, 3);  // between the second and third characters
  data.FindDrawItemAtPos(29, 10, false, d, o);
  EXPECT_EQ(o, 3) << "the nearer boundary wins";
  data.FindDrawItemAtPos(500, 5000, false, d, o);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(o, 5);
  data.FindDrawItemAtPos(500, 5000, true, d, o);
  EXPECT_EQ(d, -1);
  data.FindDrawItemAtPos(-50, 25, false, d, o);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(o, 1);

  EXPECT_EQ(data.GetDrawItemAtPos(5, 5), 0);
  EXPECT_EQ(data.GetDrawItemAtPos(94, 20), 0);
  EXPECT_EQ(data.GetDrawItemAtPos(95, 20), -1) << "right and bottom edges are outside";
  EXPECT_EQ(data.GetDrawItemAtPos(5, 21), 1);
  EXPECT_EQ(data.FindDrawItemByY(-10, 3), 0);
  EXPECT_EQ(data.FindDrawItemByY(1000, 3), 1);
  EXPECT_EQ(data.FindDrawItemByY(21, 0), 1);
  // Every mode answers a piece of the list, wherever Y lies.
  for (int mode = 0; mode <= 4; ++mode)
    for (int32_t y : {INT32_MIN, -10, 5, 21, 36, 1000, INT32_MAX}) {
      const int found = data.FindDrawItemByY(y, mode);
      EXPECT_GE(found, 0) << mode << " " << y;
      EXPECT_LT(found, data.DrawItems().Count()) << mode << " " << y;
    }
}

TEST_F(LayoutTest, PictureHalvesPlaceTheCaretBeforeOrAfter) {
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(20, 20);
  data.AddPictureItem("", std::move(picture), 0, 0, TRVTag());
  Format();
  int d = 0, o = 0;
  data.FindDrawItemAtPos(8, 10, true, d, o);
  EXPECT_EQ(o, 0);
  data.FindDrawItemAtPos(20, 10, true, d, o);
  EXPECT_EQ(o, 1);
  style.ParaStyles().Items(0)->BiDiMode = rvbdRightToLeft;
  data.FindDrawItemAtPos(20, 10, true, d, o);
  EXPECT_EQ(o, 0);
}

TEST_F(LayoutTest, MinimumWidthOfAWrappingParagraphIsIndentsPlusTwenty) {
  const int para = AddPara(rvaLeft);
  style.ParaStyles().Items(para)->LeftIndent = 7;
  style.ParaStyles().Items(para)->RightIndent = 3;
  data.AddTextItem("a very long paragraph of text", 0, para);
  EXPECT_EQ(data.CalculateMinDocWidth(nullptr, *data.GetCanvas()), 30);
  data.width = 20;
  Format();
  EXPECT_EQ(data.DocumentWidth, 30);
  EXPECT_EQ(PieceText(1), "ve");
}

TEST_F(LayoutTest, HyperlinkAreasFollowTheirPieces) {
  style.TextStyles().Items(1)->Jump = true;
  const int justified = AddPara(rvaJustify);
  // The lone space before "cccc" ends the first line and is dropped with its area.
  data.AddTextItem("aaaa bbbb  cccc dddd", 1, justified);
  data.AddTextItem(" ee", 1, -1);
  Format();
  EXPECT_EQ(data.GetItem(0)->JumpID, 0) << "one number for all words of an item";
  EXPECT_EQ(data.GetItem(1)->JumpID, 1);
  EXPECT_EQ(data.JumpCount, 2);
  std::vector<int> seen;
  for (int i = 0; i < data.Jumps().Count(); ++i) {
    const TRVJumpInfo& jump = *data.Jumps()[i];
    ASSERT_LT(jump.DrawItemNo, data.DrawItems().Count());
    const TRVDrawLineInfo& piece = Piece(jump.DrawItemNo);
    EXPECT_EQ(jump.Id, data.GetItem(piece.ItemNo)->JumpID);
    EXPECT_EQ(jump.Left, piece.Left);
    EXPECT_EQ(jump.Width, piece.Width);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), jump.DrawItemNo), 0) << "one area a piece";
    seen.push_back(jump.DrawItemNo);
  }
  EXPECT_EQ(static_cast<int>(seen.size()), data.DrawItems().Count());
}

TEST_F(LayoutTest, RangeWidthsCountOnlyTheItemsOfTheRange) {
  const int noWrap = AddPara(rvaLeft, rvpaoNoWrap);
  style.ParaStyles().Items(noWrap)->LeftIndent = 10;
  data.AddTextItem("aaaa", 0, noWrap);      // 40
  data.AddTextItem("bbbbbb", 0, -1);        // 60
  data.AddTextItem("cc", 0, noWrap);        // 20
  data.AddTextItem("wrapping text", 0, 0);  // 20: text never forces more
  EXPECT_EQ(data.CalculateMinItemWidth(1), 10 + 40 + 60) << "the whole paragraph of the item";
  EXPECT_EQ(data.CalculateMinItemsWidth(2, 3), 10 + 20);
  EXPECT_EQ(data.CalculateMinItemsWidth(1, 3), 10 + 40 + 60);
  EXPECT_EQ(data.CalculateMinRangeWidth(1, 2), 10 + 60) << "from the second item of the first paragraph";
  EXPECT_EQ(data.CalculateMinRangeWidth(0, 0), 10 + 40) << "up to the first item only";
  EXPECT_EQ(data.CalculateMinRangeWidth(3, 3), 20);
  EXPECT_EQ(data.CalculateMinItemWidthOnCanvas(0), data.CalculateMinItemWidth(0)) << "a screen canvas";
}

TEST(ListLayoutTest, WhatFollowsAMarkerStaysOnItsLine) {
  TRVStyle style;
  TRVListLevel* level = style.ListStyles().AddStyle()->Levels().AddLevel();
  level->LeftIndent = 30;
  level->MarkerIndent = 10;
  TFixedPitchData data;
  data.SetRVStyle(&style);
  data.width = 110;
  // A picture wider than the rest of the line, then a word longer than a line.
  data.AddItem("", TRVMarkerItemInfo::CreateForList(&data, 0, 0, 1, false));
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(98, 10);
  data.AddPictureItem("", std::move(picture), -1, 0, TRVTag());
  data.AddItem("", TRVMarkerItemInfo::CreateForList(&data, 0, 0, 1, false));
  data.AddTextItem("abcdefghijklmnopqrstu", 0, -1);
  data.Format(false);
  const TRVDrawLines& pieces = data.DrawItems();
  const int firstMarker = data.GetFirstDrawItemOfItem(0), secondMarker = data.GetFirstDrawItemOfItem(2);
  ASSERT_EQ(secondMarker, 2);
  EXPECT_EQ(pieces[firstMarker]->Left, 5 + 10) << "the marker stands at its own indent";
  EXPECT_FALSE(pieces[1]->FromNewLine) << "the picture stays beside its marker";
  EXPECT_EQ(pieces[1]->Left, pieces[0]->Left + pieces[0]->Width);
  // The word is cut on the marker's line, and its rest continues at the list's indent.
  ASSERT_GE(pieces.Count(), 5);
  EXPECT_FALSE(pieces[3]->FromNewLine);
  EXPECT_EQ(pieces[3]->Offs, 1);
  EXPECT_TRUE(pieces[4]->FromNewLine);
  EXPECT_EQ(pieces[4]->Left, 5 + 30);
  EXPECT_EQ(pieces[4]->Offs, 1 + pieces[3]->Length);
}

/// A page of an outer document: it starts inside the paragraph whose marker is item 1.
class TContinuedData : public TFixedPitchData {
 public:
  bool GetStoredItemRange(int& First, int& Last) const override {
    First = storedFirst;
    Last = storedFirst;
    return storedFirst >= 0;
  }
  int storedFirst = -1;
};

TEST(ContinuedDocumentTest, FirstParagraphTakesTheIndentOfTheNamedMarker) {
  TRVStyle style;
  TRVListInfo* list = style.ListStyles().AddStyle();
  TRVListLevel* level = list->Levels().AddLevel();
  level->LeftIndent = 40;
  level->MarkerIndent = 0;
  TContinuedData data;
  data.SetRVStyle(&style);
  data.width = 110;
  data.AddTextItem("aaaa bbbb cccc", 0, 0);  // the rest of a list paragraph
  data.AddItem("", TRVMarkerItemInfo::CreateForList(&data, 0, 0, 1, false));
  data.AddTextItem("dd", 0, -1);
  data.StateFlags |= 1u << 24;  // continues an outer document
  data.Format(false);
  EXPECT_EQ(data.DrawItems()[0]->Left, 5) << "no marker named: the paragraph's own indent";
  data.storedFirst = 2;
  data.Format(false);
  EXPECT_EQ(data.DrawItems()[0]->Left, 45) << "even the first line continues the list paragraph";
  EXPECT_EQ(data.DrawItems()[1]->Left, 45);
  data.StateFlags &= ~(1u << 24);
  data.Format(false);
  EXPECT_EQ(data.DrawItems()[0]->Left, 5) << "a first line of its own";
  EXPECT_EQ(data.DrawItems()[1]->Left, 45);
  // The text after the marker starts its line together with the marker.
  const int marker = data.GetFirstDrawItemOfItem(1);
  EXPECT_TRUE(data.IsDrawItemLineStart(marker));
  ASSERT_FALSE(data.DrawItems()[marker + 1]->FromNewLine);
  EXPECT_TRUE(data.IsDrawItemLineStart(marker + 1));
}

/// Reports every text twice as wide as the canvas draws it.
class TWideMeasureData : public viewertest::TFieldData {
 public:
  TSize MeasureText(TCanvas& Canvas, std::u16string_view Text) override {
    TSize size = TFieldData::MeasureText(Canvas, Text);
    size.cx *= 2;
    return size;
  }
};

TEST(CharByCharMeasureTest, CountsWhatFitsWithTheCanvasItself) {
  TRVStyle style;
  TWideMeasureData data;
  data.SetRVStyle(&style);
  data.width = 160;
  data.AddTextItem("Counting characters one prefix after another", 0, 0);
  data.Format(false);
  const int searched = data.DrawItems().Count();
  RVMeasureCharByChar = true;
  data.Format(false);
  const int counted = data.DrawItems().Count();
  RVMeasureCharByChar = false;
  // Lines hold about twice as many characters when the canvas, not the measure, counts them.
  EXPECT_LT(counted * 3, searched * 2);
  EXPECT_GT(counted, 0);
}

}  // namespace
