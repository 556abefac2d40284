#include <gtest/gtest.h>
#include <iconv.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/CodePages.h"

namespace {

/// Restores the process's ANSI code page when a test is done with it.
class AcpGuard {
 public:
  explicit AcpGuard(uint32_t cp) : saved_(GetACP()) { SetACP(cp); }
  ~AcpGuard() { SetACP(saved_); }

 private:
  uint32_t saved_;
};

/// Converts with iconv directly; nullopt-like empty flag when iconv refuses.
bool IconvConvert(const char* to, const char* from, const std::string& in, std::string& out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string buf(in.size() * 4 + 16, '\0');
  char* inPtr = const_cast<char*>(in.data());
  size_t inLeft = in.size();
  char* outPtr = buf.data();
  size_t outLeft = buf.size();
  const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) &&
                  iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
  iconv_close(cd);
  buf.resize(buf.size() - outLeft);
  out = buf;
  return ok;
}

std::string U16Bytes(const std::u16string& w) {
  std::string r;
  for (char16_t c : w) {
    r += static_cast<char>(c & 0xFF);
    r += static_cast<char>(c >> 8);
  }
  return r;
}

std::u16string BytesU16(const std::string& s) {
  std::u16string r;
  for (size_t i = 0; i + 1 < s.size(); i += 2)
    r += static_cast<char16_t>(static_cast<uint8_t>(s[i]) | (static_cast<uint8_t>(s[i + 1]) << 8));
  return r;
}

constexpr uint32_t kRVFlagsW = WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR;

TEST(CodePagesTest, AnsiCodePageFollowsLocaleName) {
  const struct {
    const char* locale;
    uint32_t cp;
  } cases[] = {
      {"ru_RU.UTF-8", 1251}, {"uk_UA", 1251},
      {"be_BY.UTF-8", 1251}, {"bg_BG", 1251},
      {"sr_RS", 1251},       {"sr_RS@latin", 1250},
      {"pl_PL.UTF-8", 1250}, {"cs_CZ", 1250},
      {"sk_SK", 1250},       {"hu_HU", 1250},
      {"sl_SI", 1250},       {"hr_HR", 1250},
      {"ro_RO", 1250},       {"el_GR.UTF-8", 1253},
      {"tr_TR", 1254},       {"he_IL", 1255},
      {"ar_EG.UTF-8", 1256}, {"et_EE", 1257},
      {"lv_LV", 1257},       {"lt_LT", 1257},
      {"vi_VN", 1258},       {"th_TH.UTF-8", 874},
      {"ja_JP.UTF-8", 932},  {"zh_CN.GB18030", 936},
      {"zh_SG", 936},        {"zh_TW.UTF-8", 950},
      {"zh_HK", 950},        {"ko_KR.EUC-KR", 949},
      {"en_US.UTF-8", 1252}, {"de_DE@euro", 1252},
      {"C", 1252},           {"POSIX", 1252},
      {"C.UTF-8", 1252},     {"", 1252},
      {"RU_ru", 1251},       {"pa_PK", 1256},
      {"sr_Cyrl_ME", 1251},  {"zh_Hans_TW", 936},
  };
  for (const auto& c : cases) EXPECT_EQ(CodePageFromLocaleName(c.locale), c.cp) << c.locale;
  EXPECT_EQ(CodePageFromLocaleName("hi_IN"), 1252u) << "a language without an ANSI code page";
  EXPECT_EQ(LocaleAnsiCodePage("sd_IN@devanagari"), 0u);
  EXPECT_EQ(LocaleAnsiCodePage("tzm_Tfng_MA"), 0u) << "scripts that no ANSI code page holds";
}

TEST(CodePagesTest, PseudoCodePagesFollowTheAnsiCodePage) {
  AcpGuard guard(1251);
  EXPECT_EQ(MultiByteToWide(CP_ACP, 0, "\xC0\xFF"), u"\u0410\u044F");
  EXPECT_EQ(MultiByteToWide(CP_THREAD_ACP, 0, "\xC0"), u"\u0410");
  EXPECT_EQ(GetOEMCP(), 866u);
  EXPECT_EQ(MultiByteToWide(CP_OEMCP, 0, "\x80"), u"\u0410");  // CP866
  EXPECT_EQ(GetMACCP(), 10007u);
  SetACP(1252);
  EXPECT_EQ(MultiByteToWide(CP_ACP, 0, "\xC0"), u"\u00C0");
  EXPECT_EQ(MultiByteToWide(CP_MACCP, 0, "\x8E"), u"\u00E9");  // Mac Roman
}

// Each code page of the font charset table converts a sample both ways exactly as iconv does.
TEST(CodePagesTest, CharsetCodePagesAgreeWithIconv) {
  const struct {
    uint32_t cp;
    const char* iconvName;
    std::u16string text;
  } cases[] = {
      {1252, "CP1252", u"Caf\u00E9 \u20AC5 \u0152uvre \u201Cquoted\u201D"},
      {1250, "CP1250", u"Za\u017C\u00F3\u0142\u0107 g\u0119\u015Bl\u0105 ja\u017A\u0144"},
      {1251, "CP1251", u"\u041F\u0440\u0438\u0432\u0435\u0442, \u043C\u0438\u0440! \u0401\u0451 \u2116"},
      {1253, "CP1253", u"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1"},
      {1254, "CP1254", u"\u0130stanbul \u011F\u015F\u0131"},
      {1255, "CP1255", u"\u05E9\u05DC\u05D5\u05DD"},
      {1256, "CP1256", u"\u0633\u0644\u0627\u0645 \u06AF"},
      {1257, "CP1257", u"\u0104\u017Euolas \u0161\u012F"},
      {1258, "CP1258", u"Vi\u1EC7t Nam \u0111\u1EB9p \u00E1"},
      {874, "CP874", u"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35"},
      {932, "CP932", u"\u65E5\u672C\u8A9E \uFF76\uFF85 abc"},
      {936, "CP936", u"\u4E2D\u6587 abc"},
      {949, "CP949", u"\uD55C\uAD6D\uC5B4 abc"},
      {950, "CP950", u"\u4E2D\u6587\u7E41\u9AD4"},
      {1361, "JOHAB", u"\uD55C\uAD6D\uC5B4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cp);
    std::string expected;
    ASSERT_TRUE(IconvConvert(c.iconvName, "UTF-16LE", U16Bytes(c.text), expected));
    bool usedDefault = true;
    const std::string bytes = WideToMultiByte(c.cp, kRVFlagsW, c.text, "?", &usedDefault);
    EXPECT_EQ(bytes, expected);
    EXPECT_FALSE(usedDefault);

    std::string iconvBack;
    ASSERT_TRUE(IconvConvert("UTF-16LE", c.iconvName, expected, iconvBack));
    EXPECT_EQ(MultiByteToWide(c.cp, MB_PRECOMPOSED, expected), BytesU16(iconvBack));
    EXPECT_EQ(MultiByteToWide(c.cp, MB_PRECOMPOSED, expected), c.text);
  }
}

TEST(CodePagesTest, SingleByteCodePagesMatchIconvForEveryByte) {
  for (const char* name : {"CP1250", "CP1251", "CP1253", "CP1257", "CP874"}) {
    const uint32_t cp = static_cast<uint32_t>(std::stoul(std::string(name).substr(2)));
    for (int b = 1; b < 256; ++b) {
      std::string viaIconv;
      const std::string in(1, static_cast<char>(b));
      if (!IconvConvert("UTF-16LE", name, in, viaIconv)) continue;  // undefined in the code page
      EXPECT_EQ(MultiByteToWide(cp, 0, in), BytesU16(viaIconv)) << name << " byte " << b;
      EXPECT_EQ(WideToMultiByte(cp, 0, BytesU16(viaIconv)), in) << name << " byte " << b;
    }
  }
}

TEST(CodePagesTest, UndefinedBytesBecomeReplacementOrFail) {
  // Unassigned bytes of the 125x pages stand for C1 controls and convert back unchanged.
  EXPECT_EQ(MultiByteToWide(1252, 0, "a\x81z"), u"a\u0081z");
  EXPECT_EQ(WideToMultiByte(1252, 0, u"\u0081"), "\x81");
  EXPECT_EQ(MultiByteToWide(1252, MB_ERR_INVALID_CHARS, "a\x81z"), u"");
  // A lead byte without a trail, or with a trail that makes no character.
  EXPECT_EQ(MultiByteToWide(932, 0, "ab\x81"), u"ab\uFFFD");
  EXPECT_EQ(MultiByteToWide(932, 0, "\x81 x"), u"\uFFFD x");
  EXPECT_EQ(MultiByteToWide(932, MB_ERR_INVALID_CHARS, "ab\x81"), u"");
  EXPECT_EQ(MultiByteToWide(1253, 0, "\xAA"), u"\uFFFD");  // unassigned outside the C1 range
}

TEST(CodePagesTest, BufferSizesAndArgumentsAreChecked) {
  const char text[] = "\xCF\xF0\xE8";  // CP1251, three characters
  char16_t out[8] = {};
  EXPECT_EQ(MultiByteToWideChar(1251, 0, text, 3, nullptr, 0), 3);
  EXPECT_EQ(MultiByteToWideChar(1251, 0, text, 3, out, 2), 0);
  EXPECT_EQ(MultiByteToWideChar(1251, 0, text, 3, out, 3), 3);
  EXPECT_EQ(out[0], u'\u041F');
  EXPECT_EQ(MultiByteToWideChar(1251, 0, text, -1, out, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(1251, 0, text, 0, out, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(1251, 0x100, text, 3, out, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(12345, 0, text, 3, out, 8), 0);
  EXPECT_FALSE(IsValidCodePage(12345));
  EXPECT_TRUE(IsValidCodePage(CP_UTF8));

  const char16_t wide[] = u"\u65E5a";  // two bytes and one byte in CP932
  char bytes[8] = {};
  EXPECT_EQ(WideCharToMultiByte(932, 0, wide, 2, nullptr, 0, nullptr, nullptr), 3);
  EXPECT_EQ(WideCharToMultiByte(932, 0, wide, 2, bytes, 2, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(932, 0, wide, 2, bytes, 3, nullptr, nullptr), 3);
  EXPECT_EQ(WideCharToMultiByte(932, 0x1, wide, 2, bytes, 8, nullptr, nullptr), 0);
  // Runs of one-byte characters: one byte short fails, an exact fit is whole.
  const char16_t latin[] = u"abcd";
  EXPECT_EQ(WideCharToMultiByte(1252, 0, latin, 4, bytes, 3, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(1252, WC_COMPOSITECHECK, latin, 4, bytes, 3, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, latin, 4, bytes, 4, nullptr, nullptr), 4);
  EXPECT_EQ(std::string(bytes, 4), "abcd");
}

TEST(CodePagesTest, DefaultCharacterReplacesWhatTheCodePageLacks) {
  bool used = false;
  EXPECT_EQ(WideToMultiByte(1252, 0, u"A\u4E00B", nullptr, &used), "A?B");
  EXPECT_TRUE(used);
  EXPECT_EQ(WideToMultiByte(1252, 0, u"A\u4E00B", "*", &used), "A*B");
  EXPECT_EQ(WideToMultiByte(1252, 0, u"plain", "*", &used), "plain");
  EXPECT_FALSE(used);
  // A surrogate pair is one character: one default character; a lone surrogate one too.
  EXPECT_EQ(WideToMultiByte(1251, 0, u"x\U0001F600y"), "x?y");
  EXPECT_EQ(WideToMultiByte(1251, 0, std::u16string(u"x\xD800y\xDC00")), "x?y?");
  // A two-byte default character of a double-byte code page.
  EXPECT_EQ(WideToMultiByte(932, 0, u"\u0400", "\x81\x48"), "\x81\x48");
}

TEST(CodePagesTest, CompositeCheckComposesAndDiscardsMarks) {
  EXPECT_EQ(WideToMultiByte(1252, kRVFlagsW, u"e\u0301"), "\xE9");
  EXPECT_EQ(WideToMultiByte(1252, 0, u"e\u0301"), "e?");
  EXPECT_EQ(WideToMultiByte(1252, WC_COMPOSITECHECK | WC_DISCARDNS, u"a\u0327b"), "ab");
  EXPECT_EQ(WideToMultiByte(1252, WC_COMPOSITECHECK | WC_DEFAULTCHAR, u"a\u0327b"), "a?b");
  // A mark that the code page has on its own stays (Vietnamese tone marks).
  EXPECT_EQ(WideToMultiByte(1258, kRVFlagsW, u"\u01B0\u0303"), "\xFD\xDE");
  // Precomposed characters the code page lacks are split into characters it has.
  EXPECT_EQ(WideToMultiByte(1258, 0, u"\u1EA1"), "a\xF2");
  EXPECT_EQ(WideToMultiByte(1258, 0, u"\u1EC7"), "\xEA\xF2");
}

TEST(CodePagesTest, PrecomposedFlagComposesDecodedMarks) {
  EXPECT_EQ(MultiByteToWide(1258, MB_PRECOMPOSED, "a\xEC"), u"\u00E1");
  EXPECT_EQ(MultiByteToWide(1258, 0, "a\xEC"), u"a\u0301");
  EXPECT_EQ(MultiByteToWide(1258, MB_PRECOMPOSED, "\xEA\xF2"), u"\u1EC7");  // canonical order
  EXPECT_EQ(MultiByteToWide(1258, MB_PRECOMPOSED, "\xEC"), u"\u0301");      // nothing to join
  EXPECT_EQ(MultiByteToWide(1258, MB_PRECOMPOSED, "1\xEC\xEC"), u"1\u0301\u0301");
  // The measure agrees with the conversion.
  const std::string text = "Vi\xEA\xF2t a\xEC\xF2";
  EXPECT_EQ(MultiByteToWideChar(1258, MB_PRECOMPOSED, text.data(), static_cast<int>(text.size()), nullptr, 0),
            static_cast<int>(MultiByteToWide(1258, MB_PRECOMPOSED, text).size()));
}

TEST(CodePagesTest, GlyphCharactersOnlyForOemControlBytes) {
  EXPECT_EQ(MultiByteToWide(437, MB_USEGLYPHCHARS,
                            "\x01\x7F"
                            "A"),
            u"\u263A\u2302A");
  EXPECT_EQ(MultiByteToWide(437, 0, "\x01\x7F"), u"\u0001\u007F");
  EXPECT_EQ(MultiByteToWide(1252, MB_USEGLYPHCHARS, "\x01"), u"\u0001");
}

TEST(CodePagesTest, Utf8AndUtf16CodePages) {
  const std::u16string text = u"a\u00E9\u4E2D\U0001F600";
  const std::string utf8 = WideToMultiByte(CP_UTF8, 0, text);
  EXPECT_EQ(utf8, "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(MultiByteToWide(CP_UTF8, MB_PRECOMPOSED, utf8), text);
  // Malformed input: a stray continuation byte, an overlong form, a truncated sequence.
  EXPECT_EQ(MultiByteToWide(CP_UTF8, 0,
                            "a\x80"
                            "b\xC0\xAF"
                            "c\xE4\xB8"),
            u"a\uFFFDb\uFFFD\uFFFDc\uFFFD");
  EXPECT_EQ(MultiByteToWide(CP_UTF8, MB_ERR_INVALID_CHARS, "a\x80"), u"");
  EXPECT_EQ(WideToMultiByte(CP_UTF8, 0, std::u16string(u"\xD800x")), "\xEF\xBF\xBDx");
  EXPECT_EQ(WideToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, std::u16string(u"\xD800x")), "");
  EXPECT_EQ(MultiByteToWide(CP_UTF16LE, 0, std::string("a\0b\0c", 5)), u"ab\uFFFD");
  EXPECT_EQ(WideToMultiByte(CP_UTF16LE, 0, u"\u0410"), std::string("\x10\x04", 2));
}

TEST(CodePagesTest, UpperCasingStaysInTheCodePage) {
  AcpGuard guard(1251);
  std::string s = "\xEF\xF0\xE8\xE2\xE5\xF2 abc \xB8";  // "привет abc ё"
  CharUpperBuffA(s.data(), static_cast<int>(s.size()));
  EXPECT_EQ(s, "\xCF\xD0\xC8\xC2\xC5\xD2 ABC \xA8");
  SetACP(1252);
  s = "\xFF\xE9\xB5";  // ÿ é µ: the upper case of µ is not in CP1252
  CharUpperBuffA(s.data(), static_cast<int>(s.size()));
  EXPECT_EQ(s, "\x9F\xC9\xB5");
  SetACP(932);
  s = "\x82\x61\x82\x81\x61";  // double-byte B and a (second bytes: an ASCII letter, a lead byte), a
  CharUpperBuffA(s.data(), static_cast<int>(s.size()));
  EXPECT_EQ(s, "\x82\x61\x82\x81\x41");
  std::u16string w = u"stra\u00DFe \u0451\u03C9";
  CharUpperBuffW(w.data(), static_cast<int>(w.size()));
  EXPECT_EQ(w, u"STRA\u00DFE \u0401\u03A9");
}

// Random bytes and random UTF-16 (surrogates included) never read or write outside the
// buffers, and the measure always equals the converted length.
TEST(CodePagesTest, RandomInputMeasuresAsItConverts) {
  std::mt19937 rng(12345);
  for (uint32_t cp : {1252u, 1258u, 932u, 936u, 949u, 950u, 1361u, 437u, CP_UTF8, CP_UTF16LE}) {
    for (int round = 0; round < 50; ++round) {
      std::string bytes(1 + rng() % 40, '\0');
      for (char& c : bytes) c = static_cast<char>(rng());
      const int n =
          MultiByteToWideChar(cp, MB_PRECOMPOSED, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
      std::vector<char16_t> out(static_cast<size_t>(n));
      EXPECT_EQ(MultiByteToWideChar(cp, MB_PRECOMPOSED, bytes.data(), static_cast<int>(bytes.size()),
                                    out.data(), n),
                n);

      std::u16string wide(1 + rng() % 40, u'\0');
      for (char16_t& c : wide) c = static_cast<char16_t>(rng() % 3 ? rng() % 0x3000 : rng());
      const int m = WideCharToMultiByte(cp, kRVFlagsW, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                        "?", nullptr);
      std::vector<char> bytesOut(static_cast<size_t>(m));
      EXPECT_EQ(WideCharToMultiByte(cp, kRVFlagsW, wide.data(), static_cast<int>(wide.size()),
                                    bytesOut.data(), m, "?", nullptr),
                m);
    }
  }
}

// The one-pass conversions between code pages and UTF-16 bytes give what the two-pass ones
// give, for random texts long enough to cross their internal buffers (compositions and
// double-byte characters that do not fit a byte a unit included).
TEST(CodePagesTest, OnePassUtf16ByteConversionsAgreeWithTheTwoPassOnes) {
  std::mt19937 rng(2181);
  for (uint32_t cp : {1251u, 1258u, 932u, 949u, 437u, CP_UTF8, CP_UTF16LE}) {
    for (const size_t length : {size_t{1}, size_t{7}, size_t{1024}, size_t{1025}, size_t{2047}, size_t{2049},
                                size_t{4100}, size_t{9000}}) {
      SCOPED_TRACE(testing::Message() << "code page " << cp << ", length " << length);
      std::string bytes(length, '\0');
      for (char& c : bytes) c = static_cast<char>(rng() % 4 ? 0x60 + rng() % 0xA0 : rng());
      for (const uint32_t flags : {0u, static_cast<uint32_t>(MB_PRECOMPOSED | MB_USEGLYPHCHARS)})
        EXPECT_EQ(MultiByteToUtf16LE(cp, flags, bytes), U16Bytes(MultiByteToWide(cp, flags, bytes)));

      std::u16string wide(length, u'\0');
      for (char16_t& c : wide) c = static_cast<char16_t>(rng() % 3 ? 0x40 + rng() % 0x2000 : rng());
      bool usedOnePass = false;
      bool usedTwoPass = false;
      EXPECT_EQ(Utf16LEToMultiByte(cp, kRVFlagsW, U16Bytes(wide), "?", &usedOnePass),
                WideToMultiByte(cp, kRVFlagsW, wide, "?", &usedTwoPass));
      EXPECT_EQ(usedOnePass, usedTwoPass);
    }
  }
  // Refusals are empty, as they are for the two-pass conversions.
  EXPECT_EQ(MultiByteToUtf16LE(1252, MB_ERR_INVALID_CHARS, "a\x81z"), "");
  EXPECT_EQ(MultiByteToUtf16LE(12345, 0, "abc"), "");
  EXPECT_EQ(Utf16LEToMultiByte(12345, 0, U16Bytes(u"abc")), "");
  EXPECT_EQ(Utf16LEToMultiByte(1252, 0, std::string("a", 1)), "");
}

// Conversions that alternate between code pages, in two threads at once, each get their
// own code page's characters.
TEST(CodePagesTest, AlternatingCodePagesInSeveralThreads) {
  const auto alternate = [](uint32_t first, uint32_t second, std::u16string expectFirst,
                            std::u16string expectSecond, int& mismatches) {
    for (int round = 0; round < 2000; ++round) {
      if (MultiByteToWide(first, 0, "\xC0\xE0") != expectFirst) ++mismatches;
      if (U16Bytes(expectSecond) != MultiByteToUtf16LE(second, 0, "\xC0\xE0")) ++mismatches;
      if (WideToMultiByte(first, 0, expectFirst) != "\xC0\xE0") ++mismatches;
      if (Utf16LEToMultiByte(second, 0, U16Bytes(expectSecond)) != "\xC0\xE0") ++mismatches;
    }
  };
  int mismatchesA = 0, mismatchesB = 0;
  std::thread other(alternate, 1251u, 1253u, u"\u0410\u0430", u"\u0390\u03B0", std::ref(mismatchesB));
  alternate(1252u, 1250u, u"\u00C0\u00E0", u"\u0154\u0155", mismatchesA);
  other.join();
  EXPECT_EQ(mismatchesA, 0);
  EXPECT_EQ(mismatchesB, 0);
}

}  // namespace
