#include "richtext/core/RVUni.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <climits>
#include <cstring>
#include <iterator>

#include "platform/core/CodePages.h"
#include "platform/core/Streams.h"
#include "platform/graphics/InputLanguage.h"
#include "richtext/core/RVError.h"

namespace {

using LB = TRVLineBreakClass;

struct LineBreakRun {
  uint16_t first;
  TRVLineBreakClass cls;
};

#include "richtext/core/RVLineBreakData.inc"

// Break actions by the class before (rows) and the class after (columns), both in class
// order: 0 break, 1 break only across a space, 2 never.
constexpr uint8_t kPairTable[20][20] = {
    // OP CL QU GL NS EX SY IS PR PO NU AL ID IN HY BA BB B2 ZW CM
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1},  // OP
    {0, 2, 1, 1, 2, 2, 2, 2, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1},  // CL
    {2, 2, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1},  // QU
    {1, 2, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1},  // GL
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1},  // NS
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1},  // EX
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 2, 1},  // SY
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 2, 1},  // IS
    {1, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 1, 1, 0, 1, 1, 0, 0, 2, 1},  // PR
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1},  // PO
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 1, 1, 1, 0, 1, 1, 1, 0, 0, 2, 1},  // NU
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 1, 0, 1, 1, 1, 0, 0, 2, 1},  // AL
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 1, 0, 0, 0, 1, 1, 1, 0, 0, 2, 1},  // ID
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 2, 1},  // IN
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1},  // HY
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1},  // BA
    {1, 2, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1},  // BB
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 2, 2, 1},  // B2
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1},  // ZW
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 1, 0, 1, 1, 1, 0, 0, 2, 1},  // CM
};

constexpr TRVItemOptions kUnicode = rvioTwoByteText;

/// Bytes per character for the item options.
size_t CharSize(TRVItemOptions options) {
  return (options & kUnicode) ? 2 : 1;
}

char16_t UnitAt(std::string_view s, size_t index) {
  return static_cast<char16_t>(static_cast<uint8_t>(s[2 * index]) |
                               (static_cast<uint8_t>(s[2 * index + 1]) << 8));
}

bool IsSpaceUnit(std::string_view s, size_t index) {
  return s[2 * index] == ' ' && s[2 * index + 1] == 0;
}

constexpr char16_t kQuestionMark = u'?';

/// "?" as UTF-16 bytes, `count` times.
std::string QuestionMarksW(size_t count) {
  std::string r(2 * count, '\0');
  for (size_t i = 0; i < count; ++i) r[2 * i] = static_cast<char>(kQuestionMark);
  return r;
}

/// Appends `literal` at `p` and returns the end of what was written.
template <size_t N>
char* PutLiteral(char* p, const char (&literal)[N]) {
  std::memcpy(p, literal, N - 1);
  return p + N - 1;
}

/// RVMakeHTMLChar writing at `p`, which has room for "&nbsp;"; returns the end of what was
/// written. Text is written one character at a time, and a string for each would cost more
/// than the rest of the export.
char* PutHTMLChar(char* p, char ch, bool& spaceFlag, bool specialCode, bool last) {
  if (specialCode) {
    *p++ = ch;
    return p;
  }
  switch (ch) {
    case '&':
      p = PutLiteral(p, "&amp;");
      break;
    case '<':
      p = PutLiteral(p, "&lt;");
      break;
    case '>':
      p = PutLiteral(p, "&gt;");
      break;
    case ' ':
      if (!spaceFlag && !last) {
        spaceFlag = true;
        *p++ = ' ';
        return p;
      }
      p = PutLiteral(p, "&nbsp;");
      break;
    default:
      *p++ = ch;
      break;
  }
  spaceFlag = false;
  return p;
}

/// An ASCII character that HTML text writes as itself, whatever the spaces around it.
bool IsPlainHTMLUnit(char16_t u) {
  return u < 128 && u != u'&' && u != u'<' && u != u'>' && u != u' ';
}

// The lanes hold UTF-16 units as UnitAt reads them, low byte first.
static_assert(std::endian::native == std::endian::little);
using UnitLanes = uint16_t __attribute__((vector_size(16)));
using LaneMask = int16_t __attribute__((vector_size(16)));
using ByteLanes = uint8_t __attribute__((vector_size(8)));

/// All ones in the lanes whose unit is written as itself (IsPlainHTMLUnit).
LaneMask PlainLanes(UnitLanes v) {
  return (v < 128) & (v != u'&') & (v != u'<') & (v != u'>') & (v != u' ');
}

/// Copies the run that goes on at unit `k`, which follows a plain unit, eight units at a time
/// while every unit of the eight is plain or a single blank before a plain unit; answers
/// where it stopped. The units after that are left to the loop that takes one at a time.
size_t CopyPlainBlocks(std::string_view text, size_t k, size_t units, char*& to) {
  // Each block looks one unit past its end, for the unit after a blank.
  while (k + 9 <= units) {
    UnitLanes here;
    UnitLanes next;
    std::memcpy(&here, text.data() + 2 * k, sizeof here);
    std::memcpy(&next, text.data() + 2 * k + 2, sizeof next);
    const LaneMask ok = PlainLanes(here) | ((here == u' ') & PlainLanes(next));
    uint64_t halves[2];
    std::memcpy(halves, &ok, sizeof halves);
    if ((halves[0] & halves[1]) != ~uint64_t{0}) break;
    const ByteLanes bytes = __builtin_convertvector(here, ByteLanes);
    std::memcpy(to, &bytes, sizeof bytes);
    to += sizeof bytes;
    k += 8;
  }
  return k;
}

void AppendHTMLForUnicode(std::string& out, std::string_view text, bool nbspIfEmpty, bool specialCode) {
  const size_t start = out.size();
  const size_t units = text.size() / 2;
  // `out` is written through a pointer, with room kept for one byte for each unit still to
  // come; only references and entities, which take more, make it grow.
  size_t size = start;
  // A little more than that at first, so that a text with a few references or entities (a
  // trailing blank is one) is written without moving.
  constexpr size_t kSlack = 32;
  out.reserve(start + units + kSlack);
  out.resize(start + units);
  auto room = [&](size_t i, size_t extra) {
    const size_t need = size + extra + (units - i);
    if (out.size() < need) out.resize(need);
    return out.data() + size;
  };
  bool spaceFlag = true;
  for (size_t i = 0; i < units; ++i) {
    const char16_t u = UnitAt(text, i);
    if (IsPlainHTMLUnit(u)) {
      // A run of characters that stand for themselves is copied at once; so is a single
      // blank between two of them, which is written as itself. The run takes a byte a unit.
      char* to = out.data() + size;
      size_t k = i + 1;
      *to++ = static_cast<char>(u);
      k = CopyPlainBlocks(text, k, units, to);
      while (k < units) {
        const char16_t c = UnitAt(text, k);
        if (IsPlainHTMLUnit(c)) {
          *to++ = static_cast<char>(c);
          ++k;
        } else if (c == u' ' && k + 1 < units && IsPlainHTMLUnit(UnitAt(text, k + 1))) {
          *to++ = ' ';
          *to++ = static_cast<char>(UnitAt(text, k + 1));
          k += 2;
        } else {
          break;
        }
      }
      size = static_cast<size_t>(to - out.data());
      spaceFlag = false;
      i = k - 1;
      continue;
    }
    constexpr size_t kLongest = 16;  // "&nbsp;" and "&#1114111;" fit
    char* p = room(i, kLongest);
    if (u < 128) {
      p = PutHTMLChar(p, static_cast<char>(u), spaceFlag, specialCode, i + 1 == units);
    } else {
      uint32_t code = u;
      if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && UnitAt(text, i + 1) >= 0xDC00 &&
          UnitAt(text, i + 1) <= 0xDFFF) {
        code = 0x10000 + ((u - 0xD800u) << 10) + (UnitAt(text, i + 1) - 0xDC00u);
        ++i;
      } else if (u >= 0xD800 && u <= 0xDFFF) {
        code = 0xFFFD;  // a lone surrogate is no character
      }
      p = PutLiteral(p, "&#");
      p = std::to_chars(p, p + kLongest - 3, code).ptr;
      *p++ = ';';
      spaceFlag = false;
    }
    size = static_cast<size_t>(p - out.data());
  }
  out.resize(size);
  if (size == start && nbspIfEmpty) out += "&nbsp;";
}

}  // namespace

// ---------------------------------------------------------------------------------------

void RVCheckUni(size_t byteLength) {
  if (byteLength % 2) throw ERVError("Can't perform Unicode operation");
}

int RVCharCount(std::string_view s, TRVItemOptions options) {
  return static_cast<int>(s.size() / CharSize(options));
}

std::string RVCopyChars(std::string_view s, int start, int count, TRVItemOptions options) {
  const size_t size = CharSize(options);
  const int64_t chars = static_cast<int64_t>(s.size() / size);
  const int64_t first = std::max(start, 1);
  if (count <= 0 || first > chars) return {};
  const int64_t n = std::min<int64_t>(count, chars - first + 1);
  return std::string(s.substr(static_cast<size_t>(first - 1) * size, static_cast<size_t>(n) * size));
}

void RVDeleteChars(std::string& s, int start, int count, TRVItemOptions options) {
  const size_t size = CharSize(options);
  const int64_t chars = static_cast<int64_t>(s.size() / size);
  if (start < 1 || start > chars || count <= 0) return;
  const int64_t n = std::min<int64_t>(count, chars - start + 1);
  s.erase(static_cast<size_t>(start - 1) * size, static_cast<size_t>(n) * size);
}

void RVInsertChars(std::string_view sub, std::string& s, int position, TRVItemOptions options) {
  const size_t size = CharSize(options);
  const int64_t chars = static_cast<int64_t>(s.size() / size);
  const int64_t at = std::clamp<int64_t>(position, 1, chars + 1);
  s.insert(static_cast<size_t>(at - 1) * size, sub);
}

bool RVIsSpaceAt(std::string_view s, int index, TRVItemOptions options) {
  if (index < 1 || index > RVCharCount(s, options)) return false;
  return (options & kUnicode) ? IsSpaceUnit(s, static_cast<size_t>(index - 1))
                              : s[static_cast<size_t>(index - 1)] == ' ';
}

int RVScanCharW(std::string_view text, char16_t ch, int count) {
  const size_t n = std::min<size_t>(text.size() / 2, static_cast<size_t>(std::max(count, 0)));
  for (size_t i = 0; i < n; ++i)
    if (UnitAt(text, i) == ch) return static_cast<int>(i);
  return -1;
}

std::string RVWideStringToBytes(std::u16string_view w) {
  std::string r(w.size() * 2, '\0');
  if constexpr (std::endian::native == std::endian::little) {
    if (!w.empty()) std::memcpy(r.data(), w.data(), r.size());
  } else {
    for (size_t i = 0; i < w.size(); ++i) {
      r[2 * i] = static_cast<char>(w[i] & 0xFF);
      r[2 * i + 1] = static_cast<char>(w[i] >> 8);
    }
  }
  return r;
}

std::u16string RVBytesToWideString(std::string_view s) {
  std::u16string w(s.size() / 2, u'\0');
  if constexpr (std::endian::native == std::endian::little) {
    if (!w.empty()) std::memcpy(w.data(), s.data(), w.size() * 2);
  } else {
    for (size_t i = 0; i < w.size(); ++i) w[i] = UnitAt(s, i);
  }
  return w;
}

// ---------------------------------------------------------------------------------------

TRVCodePage RVCodePageFromCharset(int charset) {
  switch (charset) {
    case 0:
      return 1252;
    case 128:
      return 932;
    case 129:
      return 949;
    case 130:
      return 1361;
    case 134:
      return 936;
    case 136:
      return 950;
    case 161:
      return 1253;
    case 162:
      return 1254;
    case 163:
      return 1258;
    case 177:
      return 1255;
    case 178:
      return 1256;
    case 186:
      return 1257;
    case 204:
      return 1251;
    case 222:
      return 874;
    case 238:
      return 1250;
    case 77:
      return CP_MACCP;
    case 255:
      return CP_OEMCP;
    default:
      return CP_ACP;
  }
}

int RVLanguageFromCharset(int charset) {
  switch (charset) {
    case 128:
      return 1041;
    case 129:
      return 1042;
    case 130:
      return 2066;
    case 134:
      return 2052;
    case 136:
      return 1028;
    case 161:
      return 1032;
    case 162:
      return 1055;
    case 163:
      return 1066;
    case 177:
      return 1037;
    case 204:
      return 1049;
    case 222:
      return 1054;
    default:
      return 1024;
  }
}

std::string RVAnsiToUnicode(TRVCodePage codePage, std::string_view s) {
  if (s.empty()) return {};
  if (s.size() > INT_MAX / 2) return QuestionMarksW(s.size());
  constexpr uint32_t kFlags = MB_PRECOMPOSED | MB_USEGLYPHCHARS;
  // An empty result means the code page refused the text (a converted text is never empty).
  std::string w = MultiByteToUtf16LE(codePage, kFlags, s);
  if (w.empty() && codePage != CP_ACP) w = MultiByteToUtf16LE(CP_ACP, kFlags, s);
  if (w.empty()) return QuestionMarksW(s.size());
  return w;
}

std::string RVUnicodeToAnsi(TRVCodePage codePage, std::string_view w) {
  if (w.empty()) return {};
  RVCheckUni(w.size());
  const size_t units = w.size() / 2;
  if (units > INT_MAX / 2) return std::string(units, '?');
  constexpr uint32_t kFlags = WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR;
  std::string r = Utf16LEToMultiByte(codePage, kFlags, w, "?");
  if (r.empty() && codePage != CP_ACP) r = Utf16LEToMultiByte(CP_ACP, kFlags, w, "?");
  if (r.empty()) return std::string(units, '?');
  return r;
}

TRVCodePage RVGetKeyboardCodePage() {
  return GetKeyboardCodePage();
}

std::string RVKeyboardAnsiToUnicode(std::string_view s) {
  return RVAnsiToUnicode(RVGetKeyboardCodePage(), s);
}

std::string RVApplyAllCaps(std::string_view text, bool allCaps, bool unicode) {
  std::string r(text);
  if (!allCaps || r.empty() || r.size() > INT_MAX) return r;
  if (unicode) {
    std::u16string w = RVBytesToWideString(r);
    CharUpperBuffW(w.data(), static_cast<int>(w.size()));
    std::string upper = RVWideStringToBytes(w);
    if (r.size() % 2) upper += r.back();
    return upper;
  }
  CharUpperBuffA(r.data(), static_cast<int>(r.size()));
  return r;
}

// ---------------------------------------------------------------------------------------

TRVLineBreakClass RVGetLineBreakClass(char16_t ch) {
  const auto* end = std::end(kLineBreakRuns);
  // The last run that starts at or before ch; the table starts at U+0000.
  const auto* it = std::upper_bound(std::begin(kLineBreakRuns), end, ch,
                                    [](char16_t c, const LineBreakRun& r) { return c < r.first; });
  return std::prev(it)->cls;
}

bool RVIsClusterContinuation(std::u16string_view text, size_t index) {
  if (index == 0 || index >= text.size()) return false;
  const char16_t c = text[index];
  const char16_t before = text[index - 1];
  if (c >= 0xDC00 && c <= 0xDFFF && before >= 0xD800 && before <= 0xDBFF) return true;
  // The combining class also holds control and direction-format characters, which stand on
  // their own.
  if (c < 0x0300 || (c >= 0x2000 && c <= 0x206F)) return false;
  return RVGetLineBreakClass(c) == TRVLineBreakClass::CM;
}

int RVLineBreakAction(TRVLineBreakClass before, TRVLineBreakClass after) {
  return kPairTable[static_cast<int>(before)][static_cast<int>(after)];
}

int RVFindLineBreakW(std::string_view text, int position) {
  const int64_t units = static_cast<int64_t>(text.size() / 2);
  if (position < 0 || position >= units) return -1;
  const auto pos = static_cast<size_t>(position);
  if (IsSpaceUnit(text, pos)) return position;

  TRVLineBreakClass after = RVGetLineBreakClass(UnitAt(text, pos));
  int64_t found = -1;
  for (int64_t i = position - 1; i >= 0; --i) {
    const auto index = static_cast<size_t>(i);
    if (IsSpaceUnit(text, index)) continue;
    const TRVLineBreakClass before = RVGetLineBreakClass(UnitAt(text, index));
    int action = RVLineBreakAction(before, after);
    if (action == 1 && !IsSpaceUnit(text, index + 1)) action = 2;
    if (action < 2) {
      found = i;
      break;
    }
    after = before;
  }
  if (found < 0) return -1;
  // Spaces after the break character stay on the line.
  while (found + 1 < position && IsSpaceUnit(text, static_cast<size_t>(found + 1))) ++found;
  return static_cast<int>(found);
}

// ---------------------------------------------------------------------------------------

std::string RVMakeHTMLChar(char ch, bool& spaceFlag, bool specialCode, bool last) {
  char buffer[8];
  return std::string(buffer, PutHTMLChar(buffer, ch, spaceFlag, specialCode, last));
}

std::string RVUnicodeToHTML(std::string_view text, bool nbspIfEmpty, bool specialCode) {
  std::string r;
  AppendHTMLForUnicode(r, text, nbspIfEmpty, specialCode);
  return r;
}

void RVWriteUnicodeHTML(TStream& stream, std::string_view text, bool nbspIfEmpty, bool specialCode) {
  const std::string html = RVUnicodeToHTML(text, nbspIfEmpty, specialCode);
  if (!html.empty()) stream.WriteBuffer(html);
}
