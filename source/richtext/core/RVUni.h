// Text helpers for the two kinds of item text the engine keeps in byte strings: 8-bit text
// in a code page, and UTF-16 held two bytes a character, low byte first (items with
// rvioTwoByteText). Character-wise copying and editing, code-page conversion, line-break
// opportunities and HTML escaping. Positions and counts given in characters are 1-based
// where the comments say so; nothing here reads outside the strings it is given, whatever
// the lengths and positions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "richtext/core/RVItemOptions.h"

class TStream;

/// A Windows code page number; 0 is the process's ANSI code page.
using TRVCodePage = uint32_t;

/// True where the system's UTF-16 text functions are available; always so here.
constexpr bool RVUnicodeSupported = true;

// ---------------------------------------------------------------------------------------
// Character-wise string helpers. With rvioTwoByteText in `options` a character is two bytes
// (a trailing odd byte is not a character); otherwise one byte.

/// Raises ERVError "Can't perform Unicode operation" when a byte count of UTF-16 text is odd.
void RVCheckUni(size_t byteLength);

/// Length in characters.
int RVCharCount(std::string_view s, TRVItemOptions options);
/// `count` characters from the 1-based character `start`, cut to the text.
std::string RVCopyChars(std::string_view s, int start, int count, TRVItemOptions options);
/// Deletes `count` characters from the 1-based character `start` (nothing when start is
/// outside the text).
void RVDeleteChars(std::string& s, int start, int count, TRVItemOptions options);
/// Inserts `sub` before the 1-based character `position` (at the end when past it).
void RVInsertChars(std::string_view sub, std::string& s, int position, TRVItemOptions options);
/// True when the 1-based character `index` is a space (UTF-16: low byte 32, high byte 0).
bool RVIsSpaceAt(std::string_view s, int index, TRVItemOptions options);
/// The 0-based index of the first `ch` among the first `count` characters of the UTF-16
/// text `text`, -1 when there is none.
int RVScanCharW(std::string_view text, char16_t ch, int count);
/// The UTF-16 code units of `w` as a byte string of twice its length.
std::string RVWideStringToBytes(std::u16string_view w);
/// The UTF-16 code units of a byte string (a trailing odd byte is dropped).
std::u16string RVBytesToWideString(std::string_view s);

// ---------------------------------------------------------------------------------------
// Code pages.

/// The code page of a font charset: 0 -> 1252, 128 -> 932, 129 -> 949, 130 -> 1361,
/// 134 -> 936, 136 -> 950, 161 -> 1253, 162 -> 1254, 163 -> 1258, 177 -> 1255, 178 -> 1256,
/// 186 -> 1257, 204 -> 1251, 222 -> 874, 238 -> 1250, 77 -> 2 (Macintosh), 255 -> 1 (OEM);
/// any other charset -> 0 (the ANSI code page).
TRVCodePage RVCodePageFromCharset(int charset);
/// The language id of a font charset (1024 for charsets without one).
int RVLanguageFromCharset(int charset);
/// 8-bit text of `codePage` as UTF-16 bytes; falls back to the ANSI code page when
/// `codePage` cannot convert it, and to one "?" per byte when that fails too.
std::string RVAnsiToUnicode(TRVCodePage codePage, std::string_view s);
/// UTF-16 bytes as 8-bit text of `codePage` ("?" for characters it lacks), with the same
/// fallbacks. An odd byte length raises ERVError "Can't perform Unicode operation".
std::string RVUnicodeToAnsi(TRVCodePage codePage, std::string_view w);
/// The default ANSI code page of the current input language: 0 for a language that no ANSI
/// code page writes (its text is typed into a Unicode style).
TRVCodePage RVGetKeyboardCodePage();
std::string RVKeyboardAnsiToUnicode(std::string_view s);
/// The text upper-cased when `allCaps` is set: UTF-16 text character by character, 8-bit
/// text in the ANSI code page; otherwise the text unchanged.
std::string RVApplyAllCaps(std::string_view text, bool allCaps, bool unicode);

// ---------------------------------------------------------------------------------------
// Line breaking.

/// Line-break classes of UTF-16 code units, in this order (the values index RVLineBreakAction).
enum class TRVLineBreakClass : uint8_t {
  OP,  // opening punctuation
  CL,  // closing punctuation
  QU,  // quotation
  GL,  // non-breaking glue
  NS,  // non-starter
  EX,  // exclamation
  SY,  // symbol allowing a break after
  IS,  // infix separator
  PR,  // prefix
  PO,  // postfix
  NU,  // numeric
  AL,  // alphabetic (and every character of no other class)
  ID,  // ideographic
  IN,  // inseparable
  HY,  // hyphen
  BA,  // break after
  BB,  // break before
  B2,  // break on both sides
  ZW,  // zero-width space
  CM,  // combining mark (and control characters)
};

TRVLineBreakClass RVGetLineBreakClass(char16_t ch);
/// 0 = a break is allowed between the classes, 1 = only with a space between, 2 = never.
int RVLineBreakAction(TRVLineBreakClass before, TRVLineBreakClass after);

/// Whether the UTF-16 unit at `index` belongs to the character before it rather than starting
/// one of its own: the second half of a surrogate pair, or a combining mark. A caret or a
/// line break never falls in front of such a unit.
bool RVIsClusterContinuation(std::u16string_view text, size_t index);

/// Where a line may end at or before the 0-based character `position` of the UTF-16 text:
/// the 0-based index of the last character to keep on the line (a space at `position`
/// itself; spaces after the break character, up to `position`, stay with the line), or -1
/// when the text up to `position` offers no break (or `position` is outside the text).
int RVFindLineBreakW(std::string_view text, int position);

// ---------------------------------------------------------------------------------------
// HTML.

/// The HTML form of one character below 128. `spaceFlag` carries the state of a run of
/// spaces (set at the start of a text): runs come out as alternating "&nbsp;" and plain
/// spaces, with "&nbsp;" at the text's edges. With `specialCode` the character is HTML code
/// and returned as it stands.
std::string RVMakeHTMLChar(char ch, bool& spaceFlag, bool specialCode, bool last);
/// The HTML form of UTF-16 text: characters above 127 as numeric character references
/// (a surrogate pair as one reference of its code point, a lone surrogate as U+FFFD);
/// "&nbsp;" for an empty text when `nbspIfEmpty`.
std::string RVUnicodeToHTML(std::string_view text, bool nbspIfEmpty, bool specialCode);
/// RVUnicodeToHTML written to a stream.
void RVWriteUnicodeHTML(TStream& stream, std::string_view text, bool nbspIfEmpty, bool specialCode);
