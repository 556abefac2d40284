// Remembered text widths against Qt's shaped widths: every string, in faces that kern and
// join letters, measures exactly as QFontMetrics measures it, whichever way it was computed.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <cstdint>
#include <ostream>
#include <string>

#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/TextWidths.h"

namespace {

struct FaceCase {
  const char* Name;
  int32_t Height;
  TFontStyles Style;
  int32_t LetterSpacing;
};

void PrintTo(const FaceCase& c, std::ostream* os) {
  *os << c.Name << ' ' << -c.Height << "px" << (c.Style.Contains(fsBold) ? " bold" : "")
      << (c.Style.Contains(fsItalic) ? " italic" : "") << " spacing " << c.LetterSpacing;
}

class TextWidthsTest : public ::testing::TestWithParam<FaceCase> {
 protected:
  void SetUp() override {
    TFont font;
    font.SetName(GetParam().Name);
    font.SetHeight(GetParam().Height);
    font.SetStyle(GetParam().Style);
    qfont = ToQFont(font);
    if (GetParam().LetterSpacing != 0)
      qfont.setLetterSpacing(QFont::AbsoluteSpacing, GetParam().LetterSpacing);
  }
  int32_t Expected(const std::u16string& text) const {
    return QFontMetrics(qfont).horizontalAdvance(FromUtf16(text));
  }
  QFont qfont;
};

// Pairs that kern, letters that join and other scripts, measured by every prefix (the line
// breaker measures prefixes); then random strings over letters that kern with each other, in
// Latin, Cyrillic and mixed, where Qt shapes the runs of each script apart.
TEST_P(TextWidthsTest, EveryStringMeasuresAsQt) {
  TTextWidths widths(qfont);
  for (const std::u16string text :
       {u"AVAVA To Ya. WAVE LT P, r, y. v, F. \"A\" 'T'", u"office affix fluff fjord ffi ffl",
        u"Съешь же ещё этих мягких французских булок", u"Ελληνικά γράμματα και ΑΥΤΟ",
        u"cafe\u0301 soft\u00ADhyphen tab\there",
        u"emoji \U0001F600 and \u0627\u0644\u0639\u0631\u0628\u064A\u0629 text"})
    for (size_t length = 0; length <= text.size(); ++length)
      ASSERT_EQ(widths.Width(text.substr(0, length)), Expected(text.substr(0, length))) << length;
  uint32_t seed = 7;
  auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 16; };
  for (const std::u16string alphabet :
       {u"AVTWYLPFaeoyrv.,-' 1", u"\u0410\u0422\u0423\u0413\u0420\u044C\u0430\u0435\u043E\u0443.,-' 1",
        u"AVTWYaeoy.,-' \u0410\u0422\u0423"})
    for (int n = 0; n < 500; ++n) {
      std::u16string text(1 + next() % 40, u' ');
      for (char16_t& c : text) c = alphabet[next() % alphabet.size()];
      ASSERT_EQ(widths.Width(text), Expected(text)) << FromUtf16(text).toStdString();
    }
}

// Plain words take the remembered way: without it the speed is lost, not the widths.
TEST_P(TextWidthsTest, PlainWordsNeedNoShaping) {
  TTextWidths widths(qfont);
  for (const std::u16string text : {u"words of plain text", u"\u0441\u043B\u043E\u0432\u043E"})
    EXPECT_EQ(widths.PlainWidth(text), Expected(text));
}

INSTANTIATE_TEST_SUITE_P(Faces, TextWidthsTest,
                         ::testing::Values(FaceCase{"Arial", -13, TFontStyles{}, 0},
                                           FaceCase{"Times New Roman", -16, TFontStyles{fsItalic}, 0},
                                           FaceCase{"Arial", -29, TFontStyles{fsBold}, 0},
                                           FaceCase{"Courier New", -13, TFontStyles{}, 0},
                                           FaceCase{"DejaVu Serif", -11, TFontStyles{}, 0},
                                           FaceCase{"Arial", -13, TFontStyles{}, 2}));

}  // namespace
