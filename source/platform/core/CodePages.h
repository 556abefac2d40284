// Code-page services: the process's ANSI code page, taken from the locale at start-up, and
// conversions between 8-bit code-page text and UTF-16 with the flag semantics the program's
// text code expects of them. Single- and double-byte code pages convert through tables that
// are built once from the C library's iconv; UTF-8 (65001) and UTF-16LE (1200) are handled
// directly.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Pseudo code pages resolved through the process settings.
constexpr uint32_t CP_ACP = 0;         // the ANSI code page (GetACP)
constexpr uint32_t CP_OEMCP = 1;       // the OEM code page that goes with it (GetOEMCP)
constexpr uint32_t CP_MACCP = 2;       // the Macintosh code page that goes with it (GetMACCP)
constexpr uint32_t CP_THREAD_ACP = 3;  // the ANSI code page as well (one setting per process)
constexpr uint32_t CP_UTF16LE = 1200;  // "multi-byte" text that is UTF-16LE bytes
constexpr uint32_t CP_UTF8 = 65001;

// MultiByteToWideChar flags.
constexpr uint32_t MB_PRECOMPOSED = 0x01;        // compose a base and a following mark when a
                                                 // precomposed character exists
constexpr uint32_t MB_USEGLYPHCHARS = 0x04;      // control bytes of OEM code pages become glyphs
constexpr uint32_t MB_ERR_INVALID_CHARS = 0x08;  // fail on bytes the code page does not define

// WideCharToMultiByte flags.
constexpr uint32_t WC_DISCARDNS = 0x0010;          // with WC_COMPOSITECHECK: drop a mark that
                                                   // neither composes nor exists on its own
constexpr uint32_t WC_SEPCHARS = 0x0020;           // with WC_COMPOSITECHECK: write such a mark
                                                   // separately (the default handling)
constexpr uint32_t WC_DEFAULTCHAR = 0x0040;        // with WC_COMPOSITECHECK: such a mark becomes
                                                   // the default character
constexpr uint32_t WC_ERR_INVALID_CHARS = 0x0080;  // UTF-8 only: fail on a lone surrogate
constexpr uint32_t WC_COMPOSITECHECK = 0x0200;     // compose base + mark sequences first
constexpr uint32_t WC_NO_BEST_FIT_CHARS = 0x0400;  // accepted; no best-fit mapping is ever made

/// The process's ANSI code page. Derived at start-up from LocaleNameFromEnvironment through
/// CodePageFromLocaleName.
uint32_t GetACP();
/// The desktop's locale name for text: LC_ALL, LC_CTYPE or LANG, the first that is set and
/// not empty, as it stands ("sr_RS.UTF-8@latin"); empty when none is.
std::string LocaleNameFromEnvironment();
/// Replaces the process's ANSI code page (tests, and programs that know better).
void SetACP(uint32_t codePage);
/// The default ANSI code page of a locale name's language ("ru_RU.UTF-8" 1251, "zh_TW" 950,
/// "fa_IR" 1256, "C" 1252); 0 for a language whose script no ANSI code page holds ("hi_IN",
/// "ka_GE"). The script the name or its modifier gives decides for languages written in more
/// than one ("sr_Latn_RS" and "sr_RS@latin" 1250, "uz_UZ@cyrillic" 1251, "mn_Mong_CN" 0).
uint32_t LocaleAnsiCodePage(std::string_view locale);
/// The ANSI code page that a locale name implies: LocaleAnsiCodePage, and 1252 for a language
/// without one (a process always has an ANSI code page).
uint32_t CodePageFromLocaleName(std::string_view locale);
/// The OEM and Macintosh code pages that go with the ANSI code page.
uint32_t GetOEMCP();
uint32_t GetMACCP();
/// The numeric code page a pseudo code page (CP_ACP, CP_OEMCP, CP_MACCP, CP_THREAD_ACP)
/// stands for now; any other code page as it is.
uint32_t ResolveCodePage(uint32_t codePage);

/// True when conversions with this code page (pseudo code pages resolved) are possible.
bool IsValidCodePage(uint32_t codePage);

/// Converts `srcLen` bytes of `src` in `codePage` to UTF-16. With `dstLen` 0 nothing is
/// written and the number of UTF-16 units needed is returned; otherwise at most `dstLen` units
/// are written to `dst` and their number returned. Returns 0 on failure: an unknown code page,
/// unknown flags, a negative length, a buffer that is too small, or (with
/// MB_ERR_INVALID_CHARS) a byte sequence the code page does not define. Without that flag such
/// a sequence becomes U+FFFD, except that the unassigned bytes 0x80-0x9F of the Windows
/// 125x code pages stand for the C1 control characters of the same value.
int MultiByteToWideChar(uint32_t codePage, uint32_t flags, const char* src, int srcLen, char16_t* dst,
                        int dstLen);

/// Converts `srcLen` UTF-16 units of `src` to `codePage`. With `dstLen` 0 nothing is written
/// and the number of bytes needed is returned; otherwise at most `dstLen` bytes are written to
/// `dst` and their number returned; 0 on failure (as for MultiByteToWideChar). A character the
/// code page cannot hold, a surrogate pair among them, becomes the default character: the
/// first byte(s) of `defaultChar` (one character of the code page), or "?" when it is null or
/// empty; `usedDefaultChar`, when given, tells whether that happened. Precomposed characters
/// the code page lacks are written as their canonical parts when the code page has all of
/// them (Vietnamese in 1258). UTF-8 and UTF-16 need no default character: a lone surrogate
/// becomes U+FFFD (or fails with WC_ERR_INVALID_CHARS).
int WideCharToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* src, int srcLen, char* dst,
                        int dstLen, const char* defaultChar, bool* usedDefaultChar);

/// The whole of `text` converted (two passes of the functions above); empty on failure.
std::u16string MultiByteToWide(uint32_t codePage, uint32_t flags, std::string_view text);
std::string WideToMultiByte(uint32_t codePage, uint32_t flags, std::u16string_view text,
                            const char* defaultChar = nullptr, bool* usedDefaultChar = nullptr);

/// MultiByteToWide with each UTF-16 unit written as two bytes, low byte first, in one pass;
/// empty on failure.
std::string MultiByteToUtf16LE(uint32_t codePage, uint32_t flags, std::string_view text);
/// WideToMultiByte of UTF-16 units held as two bytes each, low byte first (an odd last byte
/// is not read), in one pass; empty on failure.
std::string Utf16LEToMultiByte(uint32_t codePage, uint32_t flags, std::string_view units,
                               const char* defaultChar = nullptr, bool* usedDefaultChar = nullptr);

/// The upper and the lower case of every byte of a code page, as the code page's own mapping
/// to Unicode gives them: a byte maps to the byte of its other case when the code page holds
/// that case in one byte, else to itself. Double-byte code pages map their one-byte
/// characters; UTF-8, UTF-16 and code pages the system lacks map ASCII letters only.
struct CodePageCaseMap {
  std::array<uint8_t, 256> upper;
  std::array<uint8_t, 256> lower;
};
const CodePageCaseMap& CaseMapOf(uint32_t codePage);

/// Upper-cases UTF-16 text in place, code unit by code unit (surrogates stay as they are).
void CharUpperBuffW(char16_t* text, int length);
/// Upper-cases 8-bit text of the ANSI code page in place; characters whose upper case the
/// code page cannot hold stay as they are.
void CharUpperBuffA(char* text, int length);
