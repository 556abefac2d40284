// The HTML clean-up of the converter: the rules on hand-picked lines, line splitting, and the
// same five rules run by Perl over generated lines as the reference.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "exam/ZUKRoutine.h"
#include "platform/core/Streams.h"
#include "richtext/core/HTMLTestSupport.h"

namespace {

std::string CleanUp(const std::string& html) {
  TMemoryStream stream(html);
  stream.SetPosition(stream.Size());  // the clean-up reads from the start wherever it stands
  CleanUpHTML(stream);
  return stream.DataString();
}

TEST(CleanUpHTMLTest, RulesOnSingleLines) {
  const std::pair<const char*, const char*> cases[] = {
      // A paragraph holding only a non-breaking space is a line break, in either case.
      {"<DIV>&nbsp;</DIV>", "<BR>"},
      {"<div>&NBSP;</Div>", "<BR>"},
      {"<DIV>&nbsp;</DIV> ", "<DIV>&nbsp;</DIV> "},
      // Non-breaking spaces become blanks, and come back after the leading tags.
      {"&nbsp;&nbsp;text", "  text"},
      {"<P><B>&nbsp;&nbsp;text", "<P><B>&nbsp;&nbsp;text"},
      {"<P>   x  y", "<P>&nbsp;&nbsp;&nbsp;x  y"},
      {" <P> x", " <P> x"},
      {"<P><B>", "<P><B>"},
      // Font sizes go (one digit of them), and so do FONT elements left without attributes.
      {"<FONT size=2 color=red>x</FONT>", "<FONT color=red>x</FONT>"},
      {"<FONT size=12>x", "<FONT2>x"},
      {"<FONT>plain</FONT>", "plain"},
      {"<FONT size=3>plain</FONT> and <font>more</font>", "plain and more"},
      {"<FONT>a<B>b</B></FONT>", "<FONT>a<B>b</B></FONT>"},
      {"<FONT size=4><FONT size=5>x</FONT></FONT>", "<FONT>x</FONT>"},
      {"<FONT></FONT>", ""},
      // Each rule sees what the one before it made.
      {"<FONT&nbsp;size=3>x</FONT>", "x"},
      {"<DIV>&nbsp;</DIV>&nbsp;<FONT>&nbsp;y</FONT>", "<DIV>&nbsp;</DIV>  y"},
      {"", ""},
  };
  for (const auto& [line, expected] : cases) EXPECT_EQ(CleanUpHTMLLine(line), expected) << line;
}

TEST(CleanUpHTMLTest, EveryLineEndsWithCRLF) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\r\nb\rc\nd", "a\r\nb\r\nc\r\nd\r\n"},
      {"a\r\n", "a\r\n"},
      {"\r\n\r\n", "\r\n\r\n"},
      {"\n\r", "\r\n\r\n"},
      {"", ""},
  };
  for (const auto& [html, expected] : cases) EXPECT_EQ(CleanUp(html), expected);
}

// A string cleaned into again and again keeps nothing of an earlier text or line: a long line
// of entities before a short one, and a short text after a long one.
TEST(CleanUpHTMLTest, CleaningIntoAUsedStringReplacesItsText) {
  std::string out = "left over from an earlier block, longer than what comes next";
  CleanUpHTMLText("a&nbsp;&nbsp;&nbsp;&nbsp;long&nbsp;line\r\nb&nbsp;c\r\n<DIV>&nbsp;</DIV>", out);
  EXPECT_EQ(out, "a    long line\r\nb c\r\n<BR>\r\n");
  CleanUpHTMLText("x&nbsp;", out);
  EXPECT_EQ(out, "x \r\n");
  CleanUpHTMLText("", out);
  EXPECT_EQ(out, "");
}

// ---------------------------------------------------------------------------------------
// Perl as the reference

constexpr const char* kPerl = "/usr/bin/perl";

/// The five rules in Perl, applied to every line of the input file; lines end with CR LF.
constexpr const char* kPerlRules = R"PL(chomp;
s/^<DIV>&nbsp;<\/DIV>$/<BR>/gi;
s/&nbsp;/ /gi;
s/<FONT size=\d/<FONT/gi;
s/<FONT>([^<]*)<\/FONT>/$1/gi;
s/^((<[^>]+>)+)( +)/$1 . ("&nbsp;" x length($3))/ei;
$_ .= "\r\n";
)PL";

/// Runs the rules with `perl -p` over `lines`; false when Perl could not be run.
bool PerlCleanUp(const std::vector<std::string>& lines, std::string& out) {
  htmltest::TTempFolder folder;
  const std::string input = folder.Path() + "input.html";
  const std::string script = folder.Path() + "rules.pl";
  {
    std::ofstream in(input, std::ios::binary);
    for (const std::string& line : lines) in << line << '\n';
    std::ofstream(script) << kPerlRules;
  }
  FILE* pipe = popen((std::string(kPerl) + " -p " + script + " " + input).c_str(), "r");
  if (pipe == nullptr) return false;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  return pclose(pipe) == 0;
}

/// Lines made of the pieces the rules look for, in both cases, with 8-bit text between.
std::vector<std::string> GeneratedLines(int count, uint32_t seed) {
  static const char* const kPieces[] = {"<DIV>",
                                        "</DIV>",
                                        "<div>",
                                        "</Div>",
                                        "&nbsp;",
                                        "&NBSP;",
                                        "&nbsp",
                                        "<FONT>",
                                        "<font>",
                                        "</FONT>",
                                        "</font>",
                                        "<FONT size=",
                                        "<FONT SIZE=",
                                        "<FONT size=3>",
                                        "<FONT size=1 color=#FF0000>",
                                        "7",
                                        "12",
                                        " ",
                                        "  ",
                                        "   ",
                                        "<B>",
                                        "</b>",
                                        "<P align=center>",
                                        "<BR>",
                                        "text",
                                        "Caf\xE9",
                                        "\xC9t\xE9",
                                        "<",
                                        ">",
                                        "x",
                                        "<>",
                                        "</>",
                                        "<IMG src=\"a_img1.jpg\">",
                                        "&amp;",
                                        "\t"};
  std::mt19937 random(seed);
  std::vector<std::string> lines = {"<DIV>&nbsp;</DIV>",      "<div>&nbsp;</div>", "<DIV>&nbsp;&nbsp;</DIV>",
                                    "<P><B>&nbsp;&nbsp;text", "&nbsp;&nbsp;text",  "<FONT size=2>x</FONT>"};
  while (static_cast<int>(lines.size()) < count) {
    std::string line;
    const int pieces = static_cast<int>(random() % 9);
    for (int i = 0; i < pieces; ++i) line += kPieces[random() % std::size(kPieces)];
    lines.push_back(line);
  }
  return lines;
}

TEST(CleanUpHTMLTest, AgreesWithPerlOnGeneratedLines) {
  if (access(kPerl, X_OK) != 0) GTEST_SKIP() << "perl is not installed";
  const std::vector<std::string> lines = GeneratedLines(3000, 20261207);
  std::string expected;
  ASSERT_TRUE(PerlCleanUp(lines, expected));
  std::string html;
  for (const std::string& line : lines) html += line + "\r\n";
  const std::string actual = CleanUp(html);
  if (actual == expected) return;
  // Name the first line that differs.
  std::istringstream a(actual), e(expected);
  std::string al, el;
  for (const std::string& line : lines) {
    std::getline(a, al);
    std::getline(e, el);
    ASSERT_EQ(al, el) << "input line: " << line;
  }
  FAIL() << "the outputs differ after the last line";
}

}  // namespace
