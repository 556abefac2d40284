// Code-page services on top of iconv. A code page is converted through tables built once
// from iconv (decoding every byte and byte pair, encoding every BMP character), so that a
// conversion is a table look-up per character and behaves the same for every text:
// undefined bytes become U+FFFD, characters the code page lacks become the default character.
#include "platform/core/CodePages.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/core/UnicodeTables.h"

namespace {

constexpr char16_t kUndefined = 0xFFFF;  // a noncharacter: no code page decodes to it
constexpr char16_t kReplacement = 0xFFFD;

// ---------------------------------------------------------------------------------------
// The ANSI code page.

struct LocaleCodePage {
  const char* language;
  uint32_t codePage;
};

// The default ANSI code page of each language's locale. Languages not listed write in 1252;
// those at the end (0) are written in scripts no ANSI code page holds: Armenian, Georgian,
// Indic, Ethiopic, Southeast Asian, Tibetan, Syriac, Thaana, Cherokee, Canadian syllabics and
// Yi, and Latin or Arabic alphabets whose letters no ANSI code page has all of.
constexpr LocaleCodePage kLanguageCodePages[] = {
    {"pl", 1250},  {"cs", 1250}, {"sk", 1250}, {"hu", 1250}, {"sl", 1250}, {"hr", 1250},  {"ro", 1250},
    {"sq", 1250},  {"bs", 1250}, {"tk", 1250}, {"ru", 1251}, {"uk", 1251}, {"be", 1251},  {"bg", 1251},
    {"sr", 1251},  {"mk", 1251}, {"kk", 1251}, {"ky", 1251}, {"tt", 1251}, {"mn", 1251},  {"ba", 1251},
    {"sah", 1251}, {"tg", 1251}, {"el", 1253}, {"tr", 1254}, {"az", 1254}, {"uz", 1254},  {"he", 1255},
    {"iw", 1255},  {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"ug", 1256}, {"prs", 1256}, {"ckb", 1256},
    {"sd", 1256},  {"et", 1257}, {"lv", 1257}, {"lt", 1257}, {"vi", 1258}, {"th", 874},   {"ja", 932},
    {"zh", 936},   {"ko", 949},  {"hy", 0},    {"ka", 0},    {"hi", 0},    {"mr", 0},     {"sa", 0},
    {"ne", 0},     {"kok", 0},   {"mai", 0},   {"brx", 0},   {"doi", 0},   {"bn", 0},     {"as", 0},
    {"mni", 0},    {"sat", 0},   {"pa", 0},    {"gu", 0},    {"or", 0},    {"ta", 0},     {"te", 0},
    {"kn", 0},     {"ml", 0},    {"si", 0},    {"am", 0},    {"ti", 0},    {"byn", 0},    {"tig", 0},
    {"wal", 0},    {"sid", 0},   {"km", 0},    {"lo", 0},    {"my", 0},    {"bo", 0},     {"dz", 0},
    {"syr", 0},    {"dv", 0},    {"chr", 0},   {"iu", 0},    {"ii", 0},    {"mt", 0},     {"mi", 0},
    {"ps", 0},
};

// Languages written in more than one script, where the script decides the code page; a
// locale that names no script writes a language in the script of the first table above.
struct ScriptCodePage {
  const char* language;
  const char* script;  // lower-case ISO 15924 code
  uint32_t codePage;
};

constexpr ScriptCodePage kScriptCodePages[] = {
    {"sr", "latn", 1250}, {"bs", "cyrl", 1251}, {"az", "cyrl", 1251}, {"uz", "cyrl", 1251},
    {"sd", "deva", 0},    {"mn", "mong", 0},    {"tzm", "tfng", 0},   {"pa", "arab", 1256},
    {"iu", "latn", 1252}, {"zh", "hant", 950},
};

/// The script a locale modifier names ("sr_RS@latin"); empty for other modifiers.
std::string ScriptOfModifier(const std::string& modifier) {
  if (modifier == "latin") return "latn";
  if (modifier == "cyrillic") return "cyrl";
  if (modifier == "devanagari") return "deva";
  return {};
}

/// The usual script of a language in a territory, for a locale that names none.
std::string ScriptOfTerritory(const std::string& language, const std::string& territory) {
  if (language == "sr" && territory == "me") return "latn";
  if (language == "pa" && territory == "pk") return "arab";
  if (language == "zh" && (territory == "tw" || territory == "hk" || territory == "mo")) return "hant";
  return {};
}

uint32_t AcpFromEnvironment() {
  const std::string locale = LocaleNameFromEnvironment();
  return locale.empty() ? 1252 : CodePageFromLocaleName(locale);
}

std::atomic<uint32_t>& AcpSetting() {
  static std::atomic<uint32_t> acp{AcpFromEnvironment()};
  return acp;
}

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return r;
}

// ---------------------------------------------------------------------------------------
// Code-page tables.

/// The iconv name of a numeric code page, or "" for pages handled without iconv.
std::string IconvName(uint32_t cp) {
  switch (cp) {
    case 1361:
      return "JOHAB";
    case 10000:
      return "MACINTOSH";
    case 10007:
      return "MAC-CYRILLIC";
    case 10017:
      return "MACUKRAINIAN";
    case 10029:
      return "MAC-CENTRALEUROPE";
    case 10079:
      return "MAC-IS";
    case 20866:
      return "KOI8-R";
    case 21866:
      return "KOI8-U";
    case 20127:
      return "ASCII";
    default:
      break;
  }
  if (cp >= 28591 && cp <= 28606) return "ISO-8859-" + std::to_string(cp - 28590);
  return "CP" + std::to_string(cp);
}

bool IsOemCodePage(uint32_t cp) {
  switch (cp) {
    case 437:
    case 737:
    case 775:
    case 850:
    case 852:
    case 855:
    case 857:
    case 858:
    case 860:
    case 861:
    case 862:
    case 863:
    case 864:
    case 865:
    case 866:
    case 869:
      return true;
    default:
      return false;
  }
}

// The glyphs that OEM code pages show for their control bytes 0x01-0x1F and 0x7F.
constexpr char16_t kOemControlGlyphs[32] = {0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
                                            0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
                                            0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
                                            0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC};
constexpr char16_t kOemDeleteGlyph = 0x2302;

/// Conversion tables of one single- or double-byte code page.
struct CodePageTable {
  bool doubleByte = false;
  bool hasMarks = false;                         // some byte decodes to a mark: composition matters
  bool hasGlyphs = false;                        // an OEM page: MB_USEGLYPHCHARS changes control bytes
  std::array<char16_t, 256> single{};            // decoded byte (U+FFFD/C1 substituted)
  std::array<bool, 256> defined{};               // the byte is a character of its own
  std::array<bool, 256> lead{};                  // the byte starts a two-byte character
  std::array<int16_t, 256> leadIndex{};          // row of `pairs` for a lead byte
  std::vector<std::array<char16_t, 256>> pairs;  // decoded pairs, kUndefined when invalid
  std::array<char16_t, 256> glyphs{};            // `single` with control glyphs (OEM pages)
  std::vector<uint16_t> encode;                  // BMP character -> byte (< 0x100) or lead << 8 | trail;
                                                 // 0 means none (U+0000 is handled apart)
  CodePageCaseMap cases{};
};

/// The map of a code page whose bytes change case by ASCII's rules only.
CodePageCaseMap AsciiCaseMap() {
  CodePageCaseMap m{};
  for (int b = 0; b < 256; ++b) {
    m.upper[b] = static_cast<uint8_t>(b >= 'a' && b <= 'z' ? b - 32 : b);
    m.lower[b] = static_cast<uint8_t>(b >= 'A' && b <= 'Z' ? b + 32 : b);
  }
  return m;
}

/// Fills the case map from the tables: the other case of a one-byte character, when the
/// code page writes it as one byte too.
void BuildCaseMap(CodePageTable& t) {
  auto oneByte = [&t](uint8_t b, char16_t other) {
    const uint16_t code = t.encode[other];
    return code != 0 && code <= 0xFF ? static_cast<uint8_t>(code) : b;
  };
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<uint8_t>(b);
    t.cases.upper[b] = t.cases.lower[b] = byte;
    if (!t.defined[b] || t.lead[b]) continue;
    t.cases.upper[b] = oneByte(byte, UnicodeUpperCase(t.single[b]));
    t.cases.lower[b] = oneByte(byte, UnicodeLowerCase(t.single[b]));
  }
}

/// One iconv descriptor, closed on destruction.
class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (ok()) iconv_close(cd_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  enum class Result { Complete, Incomplete, Invalid };
  /// Converts `in` completely (state reset before, flushed after); the output in `out`.
  Result Convert(const char* in, size_t inLen, char* out, size_t outCap, size_t& outLen) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in);
    char* outPtr = out;
    size_t outLeft = outCap;
    const size_t r = iconv(cd_, &inPtr, &inLen, &outPtr, &outLeft);
    if (r == static_cast<size_t>(-1)) {
      outLen = 0;
      return errno == EINVAL ? Result::Incomplete : Result::Invalid;
    }
    if (iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) return Result::Invalid;
    outLen = outCap - outLeft;
    return Result::Complete;
  }

 private:
  iconv_t cd_;
};

/// The single UTF-16 unit that `len` bytes of UTF-16LE hold, or kUndefined.
char16_t OneUnit(const char* bytes, size_t len) {
  if (len != 2) return kUndefined;
  const char16_t u =
      static_cast<char16_t>(static_cast<uint8_t>(bytes[0]) | (static_cast<uint8_t>(bytes[1]) << 8));
  return (u >= 0xD800 && u <= 0xDFFF) ? kUndefined : u;
}

bool IsWindows125x(uint32_t cp) {
  return cp >= 1250 && cp <= 1258;
}

std::unique_ptr<CodePageTable> BuildTable(uint32_t cp) {
  const std::string name = IconvName(cp);
  IconvHandle decoder("UTF-16LE", name.c_str());
  IconvHandle encoder(name.c_str(), "UTF-16LE");
  if (!decoder.ok() || !encoder.ok()) return nullptr;

  auto t = std::make_unique<CodePageTable>();
  char out[16];
  size_t outLen = 0;
  for (int b = 0; b < 256; ++b) {
    const char in = static_cast<char>(b);
    t->single[b] = kUndefined;
    t->leadIndex[b] = -1;
    switch (decoder.Convert(&in, 1, out, sizeof out, outLen)) {
      case IconvHandle::Result::Complete:
        t->single[b] = OneUnit(out, outLen);
        break;
      case IconvHandle::Result::Incomplete:
        t->lead[b] = true;
        break;
      case IconvHandle::Result::Invalid:
        break;
    }
  }
  if (t->single[0] != 0) return nullptr;  // not an ASCII-compatible byte code page
  for (int b = 0; b < 256; ++b) {
    if (!t->lead[b]) continue;
    t->doubleByte = true;
    t->leadIndex[b] = static_cast<int16_t>(t->pairs.size());
    std::array<char16_t, 256>& row = t->pairs.emplace_back();
    for (int trail = 0; trail < 256; ++trail) {
      const char in[2] = {static_cast<char>(b), static_cast<char>(trail)};
      row[trail] = decoder.Convert(in, 2, out, sizeof out, outLen) == IconvHandle::Result::Complete
                       ? OneUnit(out, outLen)
                       : kUndefined;
    }
  }
  for (int b = 0; b < 256; ++b) {
    char16_t u = t->single[b];
    t->defined[b] = u != kUndefined;
    if (u == kUndefined && !t->lead[b]) u = (IsWindows125x(cp) && b >= 0x80 && b < 0xA0) ? b : kReplacement;
    if (u != kUndefined && UnicodeIsMark(u)) t->hasMarks = true;
    t->single[b] = u;
  }

  // Encoding: every BMP character that iconv writes as one character of one or two bytes.
  t->encode.assign(0x10000, 0);
  for (uint32_t u = 1; u < 0x10000; ++u) {
    if (u >= 0xD800 && u <= 0xDFFF) continue;
    const char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    if (encoder.Convert(in, 2, out, sizeof out, outLen) != IconvHandle::Result::Complete) continue;
    const uint8_t b0 = static_cast<uint8_t>(out[0]);
    if (outLen == 1 && !t->lead[b0]) {
      t->encode[u] = b0;
    } else if (outLen == 2 && t->lead[b0]) {
      t->encode[u] = static_cast<uint16_t>((b0 << 8) | static_cast<uint8_t>(out[1]));
    }
  }
  // C1 controls standing in for unassigned bytes convert back to those bytes.
  for (int b = 0x80; b < 0xA0; ++b)
    if (!t->defined[b] && !t->lead[b] && t->single[b] == b && t->encode[b] == 0)
      t->encode[b] = static_cast<uint16_t>(b);

  BuildCaseMap(*t);

  if (IsOemCodePage(cp)) {
    t->hasGlyphs = true;
    t->glyphs = t->single;
    for (int b = 1; b < 32; ++b) t->glyphs[b] = kOemControlGlyphs[b];
    t->glyphs[0x7F] = kOemDeleteGlyph;
  }
  return t;
}

/// The table of a numeric code page (built on first use), or nullptr when iconv lacks it.
const CodePageTable* SharedTableFor(uint32_t cp) {
  static std::mutex mutex;
  static std::map<uint32_t, std::unique_ptr<CodePageTable>> tables;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = tables.find(cp);
  if (it == tables.end()) it = tables.emplace(cp, BuildTable(cp)).first;
  return it->second.get();
}

/// SharedTableFor, remembering the last answer per thread: a program converts its item texts
/// one by one in one code page, and the lock and the search would cost as much as converting
/// a short text. Tables live as long as the program, so the remembered pointer stays valid.
const CodePageTable* TableFor(uint32_t cp) {
  struct LastTable {
    uint32_t cp;
    bool known;
    const CodePageTable* table;
  };
  thread_local LastTable last{0, false, nullptr};
  if (!last.known || last.cp != cp) last = {cp, true, SharedTableFor(cp)};
  return last.table;
}

// ---------------------------------------------------------------------------------------
// Outputs. The array outputs either count or write into the caller's buffer; the string
// outputs append to a byte string through a small buffer, so a conversion runs in one pass
// and writes its result only once.

class WideOutput {
 public:
  WideOutput(char16_t* dst, int cap) : dst_(cap > 0 ? dst : nullptr), cap_(cap) {}
  void Put(char16_t c) {
    if (dst_) {
      if (n_ >= cap_) {
        overflow_ = true;
        return;
      }
      dst_[n_] = c;
    }
    last_ = c;
    ++n_;
  }
  /// Puts `map[s[i]]` for each of the `n` bytes of `s`.
  void PutMapped(const char16_t* map, const uint8_t* s, int n) {
    if (dst_ && cap_ - n_ < n) overflow_ = true;
    if (dst_ && !overflow_)
      for (int i = 0; i < n; ++i) dst_[n_ + i] = map[s[i]];
    if (n > 0) last_ = map[s[n - 1]];
    n_ += n;
  }
  void ReplaceLast(char16_t c) {
    last_ = c;
    if (dst_ && n_ <= cap_) dst_[n_ - 1] = c;
  }
  int Count() const { return n_; }
  char16_t Last() const { return last_; }
  int Result() const { return overflow_ ? 0 : n_; }

 private:
  char16_t* dst_;
  int cap_;
  int n_ = 0;
  char16_t last_ = 0;
  bool overflow_ = false;
};

/// UTF-16 units appended to a byte string, two bytes each, low byte first.
class Utf16LEStringOutput {
 public:
  explicit Utf16LEStringOutput(std::string& out) : out_(out) {}
  void Put(char16_t c) {
    if (used_ == kBuffer) Flush();
    buffer_[used_++] = c;
    ++n_;
  }
  void PutMapped(const char16_t* map, const uint8_t* s, int n) {
    for (int i = 0; i < n;) {
      if (used_ == kBuffer) Flush();
      const int run = std::min(n - i, kBuffer - used_);
      for (int k = 0; k < run; ++k) buffer_[used_ + k] = map[s[i + k]];
      used_ += run;
      i += run;
    }
    n_ += n;
  }
  void ReplaceLast(char16_t c) {
    if (used_ > 0) {
      buffer_[used_ - 1] = c;
    } else {
      out_[out_.size() - 2] = static_cast<char>(c & 0xFF);
      out_[out_.size() - 1] = static_cast<char>(c >> 8);
    }
  }
  int Count() const { return n_; }
  char16_t Last() const {
    if (used_ > 0) return buffer_[used_ - 1];
    return static_cast<char16_t>(static_cast<uint8_t>(out_[out_.size() - 2]) |
                                 (static_cast<uint8_t>(out_[out_.size() - 1]) << 8));
  }
  /// The number of units, all of them appended.
  int Result() {
    Flush();
    return n_;
  }

 private:
  static constexpr int kBuffer = 2048;
  void Flush() {
    if constexpr (std::endian::native == std::endian::little) {
      out_.append(reinterpret_cast<const char*>(buffer_.data()), static_cast<size_t>(used_) * 2);
    } else {
      for (int i = 0; i < used_; ++i) {
        out_ += static_cast<char>(buffer_[static_cast<size_t>(i)] & 0xFF);
        out_ += static_cast<char>(buffer_[static_cast<size_t>(i)] >> 8);
      }
    }
    used_ = 0;
  }

  std::string& out_;
  std::array<char16_t, kBuffer> buffer_;
  int used_ = 0;
  int n_ = 0;
};

/// Puts the mark `c` joined with the character put last when together they make a
/// precomposed character, in canonical order (ê followed by a dot below gives ệ).
template <class Out>
void PutComposing(Out& out, char16_t c) {
  if (out.Count() == 0 || !UnicodeIsMark(c)) {
    out.Put(c);
    return;
  }
  if (const char16_t composed = UnicodeCompose(out.Last(), c)) {
    out.ReplaceLast(composed);
    return;
  }
  // Take the character apart, add the mark in canonical order and compose again.
  std::vector<char16_t> marks;
  char16_t base = out.Last(), first = 0, second = 0;
  while (marks.size() < 4 && UnicodeDecompose(base, first, second)) {
    marks.insert(marks.begin(), second);
    base = first;
  }
  if (marks.empty()) {
    out.Put(c);
    return;
  }
  marks.push_back(c);
  std::stable_sort(marks.begin(), marks.end(), [](char16_t a, char16_t b) {
    return UnicodeCombiningClass(a) < UnicodeCombiningClass(b);
  });
  std::vector<char16_t> left;
  for (const char16_t m : marks) {
    const bool blocked = !left.empty() && UnicodeCombiningClass(left.back()) >= UnicodeCombiningClass(m);
    const char16_t composed = blocked ? 0 : UnicodeCompose(base, m);
    if (composed)
      base = composed;
    else
      left.push_back(m);
  }
  out.ReplaceLast(base);
  for (const char16_t m : left) out.Put(m);
}

class ByteOutput {
 public:
  ByteOutput(char* dst, int cap) : dst_(cap > 0 ? dst : nullptr), cap_(cap) {}
  void Put(uint8_t b) {
    if (dst_) {
      if (n_ >= cap_) {
        overflow_ = true;
        return;
      }
      dst_[n_] = static_cast<char>(b);
    }
    ++n_;
  }
  /// A code of the encode table: one byte, or a lead and a trail byte.
  void PutCode(uint16_t code) {
    if (code > 0xFF) Put(static_cast<uint8_t>(code >> 8));
    Put(static_cast<uint8_t>(code & 0xFF));
  }
  /// Where the next `count` bytes may be written directly (then Advance), or nullptr when
  /// the output only counts or lacks the room; Put finds the overflow then.
  char* Room(int count) { return dst_ && !overflow_ && cap_ - n_ >= count ? dst_ + n_ : nullptr; }
  void Advance(int count) { n_ += count; }
  int Result() const { return overflow_ || n_ > INT_MAX ? 0 : static_cast<int>(n_); }

 private:
  char* dst_;
  int64_t cap_;
  int64_t n_ = 0;
  bool overflow_ = false;
};

/// Bytes appended to a string.
class StringByteOutput {
 public:
  explicit StringByteOutput(std::string& out) : out_(out) {}
  void Put(uint8_t b) {
    if (used_ == kBuffer) Flush();
    buffer_[used_++] = static_cast<char8_t>(b);
  }
  void PutCode(uint16_t code) {
    if (code > 0xFF) Put(static_cast<uint8_t>(code >> 8));
    Put(static_cast<uint8_t>(code & 0xFF));
  }
  char* Room(int) { return nullptr; }
  void Advance(int) {}
  int Result() {
    Flush();
    return out_.size() > INT_MAX ? 0 : static_cast<int>(out_.size());
  }

 private:
  static constexpr size_t kBuffer = 4096;
  void Flush() {
    out_.append(reinterpret_cast<const char*>(buffer_.data()), used_);
    used_ = 0;
  }

  std::string& out_;
  // char8_t, unlike char, cannot alias the other members, so they stay in registers.
  std::array<char8_t, kBuffer> buffer_;
  size_t used_ = 0;
};

/// UTF-16 units read from bytes, low byte first.
struct Utf16LEUnits {
  const char* bytes;
  char16_t operator[](int i) const {
    const auto at = static_cast<size_t>(i) * 2;
    if constexpr (std::endian::native == std::endian::little) {
      char16_t unit;
      std::memcpy(&unit, bytes + at, sizeof unit);
      return unit;
    } else {
      return static_cast<char16_t>(static_cast<uint8_t>(bytes[at]) |
                                   (static_cast<uint8_t>(bytes[at + 1]) << 8));
    }
  }
};

bool IsHighSurrogate(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// ---------------------------------------------------------------------------------------
// Decoding.

template <class Out>
int DecodeUtf8(uint32_t flags, const uint8_t* s, int n, Out& out) {
  const bool strict = flags & MB_ERR_INVALID_CHARS;
  int i = 0;
  while (i < n) {
    const uint8_t b = s[i];
    if (b < 0x80) {
      out.Put(b);
      ++i;
      continue;
    }
    int len = 0;
    uint32_t cp = 0, min = 0;
    if (b >= 0xC2 && b <= 0xDF)
      len = 2, cp = b & 0x1F, min = 0x80;
    else if (b >= 0xE0 && b <= 0xEF)
      len = 3, cp = b & 0x0F, min = 0x800;
    else if (b >= 0xF0 && b <= 0xF4)
      len = 4, cp = b & 0x07, min = 0x10000;
    int k = 1;
    for (; len && k < len && i + k < n && (s[i + k] & 0xC0) == 0x80; ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
    if (len == 0 || k < len || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      if (strict) return 0;
      out.Put(kReplacement);
      i += std::max(1, len == 0 ? 1 : k);  // skip the malformed prefix as one error
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.Put(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.Put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.Put(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out.Result();
}

template <class Out>
int DecodeUtf16(uint32_t flags, const uint8_t* s, int n, Out& out) {
  for (int i = 0; i + 1 < n; i += 2) out.Put(static_cast<char16_t>(s[i] | (s[i + 1] << 8)));
  if (n % 2) {
    if (flags & MB_ERR_INVALID_CHARS) return 0;
    out.Put(kReplacement);
  }
  return out.Result();
}

template <class Out>
int DecodeTable(const CodePageTable& t, uint32_t flags, const uint8_t* s, int n, Out& out) {
  const bool strict = flags & MB_ERR_INVALID_CHARS;
  const bool compose = (flags & MB_PRECOMPOSED) && t.hasMarks;
  const char16_t* map = (flags & MB_USEGLYPHCHARS) && t.hasGlyphs ? t.glyphs.data() : t.single.data();

  if (!t.doubleByte) {
    if (strict)
      for (int i = 0; i < n; ++i)
        if (!t.defined[s[i]]) return 0;
    if (!compose) {  // one unit per byte
      out.PutMapped(map, s, n);
      return out.Result();
    }
    for (int i = 0; i < n; ++i) PutComposing(out, map[s[i]]);
    return out.Result();
  }

  int i = 0;
  while (i < n) {
    const uint8_t b = s[i];
    char16_t u;
    if (t.lead[b]) {
      u = i + 1 < n ? t.pairs[static_cast<size_t>(t.leadIndex[b])][s[i + 1]] : kUndefined;
      if (u != kUndefined) {
        i += 2;
      } else {  // a lead byte without a valid trail: the trail byte is read again on its own
        if (strict) return 0;
        u = kReplacement;
        ++i;
      }
    } else {
      if (strict && !t.defined[b]) return 0;
      u = map[b];
      ++i;
    }
    if (compose)
      PutComposing(out, u);
    else
      out.Put(u);
  }
  return out.Result();
}

/// Decodes `n` bytes of `src` in the resolved code page `cp` into `out`; 0 on failure.
template <class Out>
int Decode(uint32_t cp, uint32_t flags, const char* src, int n, Out& out) {
  const auto* s = reinterpret_cast<const uint8_t*>(src);
  if (cp == CP_UTF8) return DecodeUtf8(flags, s, n, out);
  if (cp == CP_UTF16LE) return DecodeUtf16(flags, s, n, out);
  const CodePageTable* t = TableFor(cp);
  return t ? DecodeTable(*t, flags, s, n, out) : 0;
}

// ---------------------------------------------------------------------------------------
// Encoding.

template <class Units, class Out>
int EncodeUtf8(uint32_t flags, Units s, int n, Out& out) {
  for (int i = 0; i < n; ++i) {
    uint32_t cp = s[i];
    if (IsHighSurrogate(s[i]) && i + 1 < n && IsLowSurrogate(s[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      if (flags & WC_ERR_INVALID_CHARS) return 0;
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.Put(static_cast<uint8_t>(cp));
    } else if (cp < 0x800) {
      out.Put(static_cast<uint8_t>(0xC0 | (cp >> 6)));
      out.Put(static_cast<uint8_t>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.Put(static_cast<uint8_t>(0xE0 | (cp >> 12)));
      out.Put(static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
      out.Put(static_cast<uint8_t>(0x80 | (cp & 0x3F)));
    } else {
      out.Put(static_cast<uint8_t>(0xF0 | (cp >> 18)));
      out.Put(static_cast<uint8_t>(0x80 | ((cp >> 12) & 0x3F)));
      out.Put(static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
      out.Put(static_cast<uint8_t>(0x80 | (cp & 0x3F)));
    }
  }
  return out.Result();
}

template <class Units, class Out>
int EncodeUtf16(Units s, int n, Out& out) {
  for (int i = 0; i < n; ++i) {
    out.Put(static_cast<uint8_t>(s[i] & 0xFF));
    out.Put(static_cast<uint8_t>(s[i] >> 8));
  }
  return out.Result();
}

template <class Units, class Out>
class TableEncoder {
 public:
  TableEncoder(const CodePageTable& t, uint32_t flags, const char* defaultChar, Out& out)
      : t_(t), flags_(flags), out_(out) {
    if (defaultChar && defaultChar[0]) {
      const uint8_t b0 = static_cast<uint8_t>(defaultChar[0]);
      defaultCode_ = t.lead[b0] && defaultChar[1]
                         ? static_cast<uint16_t>((b0 << 8) | static_cast<uint8_t>(defaultChar[1]))
                         : b0;
    }
  }

  void Run(Units s, int n) {
    const bool compositeCheck = flags_ & WC_COMPOSITECHECK;
    int i = 0;
    while (i < n) {
      i = compositeCheck ? PutOneByteRun<true>(s, n, i) : PutOneByteRun<false>(s, n, i);
      if (i < n) i = Step(s, n, i, compositeCheck);
    }
  }

  bool usedDefault() const { return usedDefault_; }

 private:
  /// Puts the common case, characters of one byte that no mark follows, from `i` on; the
  /// index of the first character that needs more care. The bytes go straight into the
  /// output's room when it has room for all of them, with the position kept in a local: a byte
  /// store may alias anything, and would otherwise make every step wait for the last.
  template <bool kCompositeCheck>
  int PutOneByteRun(Units s, int n, int i) {
    const uint16_t* encode = t_.encode.data();
    const auto oneByteCode = [&](int k) -> uint16_t {
      const uint16_t code = encode[s[k]];
      if (code == 0 || code > 0xFF) return 0;
      return kCompositeCheck && k + 1 < n && UnicodeIsMark(s[k + 1]) ? 0 : code;
    };
    char* room = out_.Room(n - i);
    if (!room) {
      for (; i < n; ++i) {
        const uint16_t code = oneByteCode(i);
        if (!code) break;
        out_.Put(static_cast<uint8_t>(code));
      }
      return i;
    }
    int k = i;
    for (; k < n; ++k) {
      const uint16_t code = oneByteCode(k);
      if (!code) break;
      room[k - i] = static_cast<char>(code);
    }
    out_.Advance(k - i);
    return k;
  }

  /// Converts the character at `i` (with the marks it composes with); the index after it.
  int Step(Units s, int n, int i, bool compositeCheck) {
    char16_t u = s[i];
    if (u >= 0xD800 && u <= 0xDFFF) {  // no code page here holds characters beyond the BMP
      PutDefault();
      return i + (IsHighSurrogate(u) && i + 1 < n && IsLowSurrogate(s[i + 1]) ? 2 : 1);
    }
    ++i;
    if (compositeCheck) {
      if (UnicodeIsMark(u) && !Encodable(u)) {
        // A mark that did not compose with the character before it.
        if (!(flags_ & WC_DISCARDNS)) PutDefault();
        return i;
      }
      while (i < n && UnicodeIsMark(s[i])) {
        const char16_t composed = UnicodeCompose(u, s[i]);
        if (!composed) break;
        u = composed;
        ++i;
      }
    }
    PutChar(u);
    return i;
  }

  bool Encodable(char16_t u) const { return u == 0 || t_.encode[u] != 0; }

  void PutDefault() {
    out_.PutCode(defaultCode_);
    usedDefault_ = true;
  }

  void PutChar(char16_t u) {
    if (Encodable(u)) {
      out_.PutCode(t_.encode[u]);
    } else if (!(t_.hasMarks && PutDecomposed(u))) {
      PutDefault();
    }
  }

  /// Writes a precomposed character the code page lacks as a character it has followed by
  /// marks it has (ệ as ê and a combining dot below); false when no such split exists.
  bool PutDecomposed(char16_t u) {
    std::vector<char16_t> marks;
    char16_t base = u, first = 0, second = 0;
    while (marks.size() < 4 && UnicodeDecompose(base, first, second)) {
      marks.push_back(second);
      base = first;
    }
    if (marks.empty()) return false;
    std::reverse(marks.begin(), marks.end());
    std::stable_sort(marks.begin(), marks.end(), [](char16_t a, char16_t b) {
      return UnicodeCombiningClass(a) < UnicodeCombiningClass(b);
    });
    const unsigned all = (1u << marks.size()) - 1;
    // Try the splits that keep the most marks inside the precomposed character first.
    for (int kept = static_cast<int>(marks.size()); kept >= 0; --kept) {
      for (unsigned mask = all;; mask = (mask - 1) & all) {
        if (std::popcount(mask) == kept && TrySplit(base, marks, mask)) return true;
        if (mask == 0) break;
      }
    }
    return false;
  }

  bool TrySplit(char16_t base, const std::vector<char16_t>& marks, unsigned mask) {
    char16_t composed = base;
    for (size_t k = 0; k < marks.size(); ++k) {
      if (!(mask & (1u << k))) continue;
      composed = UnicodeCompose(composed, marks[k]);
      if (!composed) return false;
    }
    if (!Encodable(composed)) return false;
    for (size_t k = 0; k < marks.size(); ++k)
      if (!(mask & (1u << k)) && !Encodable(marks[k])) return false;
    out_.PutCode(t_.encode[composed]);
    for (size_t k = 0; k < marks.size(); ++k)
      if (!(mask & (1u << k))) out_.PutCode(t_.encode[marks[k]]);
    return true;
  }

  const CodePageTable& t_;
  uint32_t flags_;
  Out& out_;
  uint16_t defaultCode_ = '?';
  bool usedDefault_ = false;
};

/// Encodes `n` units of `s` into the resolved code page `cp`; 0 on failure.
template <class Units, class Out>
int Encode(uint32_t cp, uint32_t flags, Units s, int n, const char* defaultChar, Out& out,
           bool* usedDefaultChar) {
  if (cp == CP_UTF8) return EncodeUtf8(flags, s, n, out);
  if (cp == CP_UTF16LE) return EncodeUtf16(s, n, out);
  const CodePageTable* t = TableFor(cp);
  if (!t) return 0;
  TableEncoder<Units, Out> encoder(*t, flags, defaultChar, out);
  encoder.Run(s, n);
  const int result = out.Result();
  if (result && usedDefaultChar) *usedDefaultChar = encoder.usedDefault();
  return result;
}

constexpr uint32_t kMbFlags = MB_PRECOMPOSED | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
constexpr uint32_t kWcFlags = WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_ERR_INVALID_CHARS |
                              WC_COMPOSITECHECK | WC_NO_BEST_FIT_CHARS;

}  // namespace

uint32_t ResolveCodePage(uint32_t cp) {
  switch (cp) {
    case CP_ACP:
    case CP_THREAD_ACP:
      return GetACP();
    case CP_OEMCP:
      return GetOEMCP();
    case CP_MACCP:
      return GetMACCP();
    default:
      return cp;
  }
}

uint32_t GetACP() {
  return AcpSetting().load(std::memory_order_relaxed);
}

void SetACP(uint32_t codePage) {
  AcpSetting().store(codePage, std::memory_order_relaxed);
}

uint32_t LocaleAnsiCodePage(std::string_view locale) {
  // language[_Script][_TERRITORY][.codeset][@modifier], "-" also separating the first parts.
  std::string name = Lower(locale);
  const size_t at = name.find('@');
  const std::string modifier = at == std::string::npos ? "" : name.substr(at + 1);
  name = name.substr(0, std::min(name.find('.'), at));
  std::replace(name.begin(), name.end(), '-', '_');
  std::vector<std::string> parts;
  for (size_t from = 0;;) {
    const size_t end = name.find('_', from);
    parts.push_back(name.substr(from, end == std::string::npos ? std::string::npos : end - from));
    if (end == std::string::npos) break;
    from = end + 1;
  }
  const std::string& language = parts[0];
  std::string script, territory;
  for (size_t i = 1; i < parts.size(); ++i) (parts[i].size() == 4 ? script : territory) = parts[i];
  if (script.empty()) script = ScriptOfModifier(modifier);
  if (script.empty()) script = ScriptOfTerritory(language, territory);

  for (const ScriptCodePage& e : kScriptCodePages)
    if (language == e.language && script == e.script) return e.codePage;
  for (const LocaleCodePage& e : kLanguageCodePages)
    if (language == e.language) return e.codePage;
  return 1252;
}

std::string LocaleNameFromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return {};
}

uint32_t CodePageFromLocaleName(std::string_view locale) {
  const uint32_t codePage = LocaleAnsiCodePage(locale);
  return codePage != 0 ? codePage : 1252;
}

uint32_t GetOEMCP() {
  switch (GetACP()) {
    case 874:
      return 874;
    case 932:
      return 932;
    case 936:
      return 936;
    case 949:
      return 949;
    case 950:
      return 950;
    case 1250:
      return 852;
    case 1251:
      return 866;
    case 1253:
      return 737;
    case 1254:
      return 857;
    case 1255:
      return 862;
    case 1256:
      return 720;
    case 1257:
      return 775;
    case 1258:
      return 1258;
    default:
      return 850;
  }
}

uint32_t GetMACCP() {
  switch (GetACP()) {
    case 1250:
      return 10029;
    case 1251:
      return 10007;
    case 932:
      return 10001;
    case 936:
      return 10008;
    case 949:
      return 10003;
    case 950:
      return 10002;
    case 1253:
      return 10006;
    case 1254:
      return 10081;
    case 1255:
      return 10005;
    case 1256:
      return 10004;
    case 874:
      return 10021;
    default:
      return 10000;
  }
}

bool IsValidCodePage(uint32_t codePage) {
  const uint32_t cp = ResolveCodePage(codePage);
  return cp == CP_UTF8 || cp == CP_UTF16LE || TableFor(cp) != nullptr;
}

int MultiByteToWideChar(uint32_t codePage, uint32_t flags, const char* src, int srcLen, char16_t* dst,
                        int dstLen) {
  if ((flags & ~kMbFlags) || srcLen <= 0 || !src || dstLen < 0 || (dstLen > 0 && !dst)) return 0;
  WideOutput out(dst, dstLen);
  return Decode(ResolveCodePage(codePage), flags, src, srcLen, out);
}

int WideCharToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* src, int srcLen, char* dst,
                        int dstLen, const char* defaultChar, bool* usedDefaultChar) {
  if (usedDefaultChar) *usedDefaultChar = false;
  if ((flags & ~kWcFlags) || srcLen <= 0 || !src || dstLen < 0 || (dstLen > 0 && !dst)) return 0;
  ByteOutput out(dst, dstLen);
  return Encode(ResolveCodePage(codePage), flags, src, srcLen, defaultChar, out, usedDefaultChar);
}

std::u16string MultiByteToWide(uint32_t codePage, uint32_t flags, std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int len = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(codePage, flags, text.data(), len, nullptr, 0);
  std::u16string result(static_cast<size_t>(n), u'\0');
  if (n > 0 && MultiByteToWideChar(codePage, flags, text.data(), len, result.data(), n) != n) return {};
  return result;
}

std::string WideToMultiByte(uint32_t codePage, uint32_t flags, std::u16string_view text,
                            const char* defaultChar, bool* usedDefaultChar) {
  if (usedDefaultChar) *usedDefaultChar = false;
  if (text.empty() || text.size() > INT_MAX) return {};
  const int len = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(codePage, flags, text.data(), len, nullptr, 0, defaultChar, nullptr);
  std::string result(static_cast<size_t>(n), '\0');
  if (n > 0 && WideCharToMultiByte(codePage, flags, text.data(), len, result.data(), n, defaultChar,
                                   usedDefaultChar) != n)
    return {};
  return result;
}

std::string MultiByteToUtf16LE(uint32_t codePage, uint32_t flags, std::string_view text) {
  std::string result;
  if ((flags & ~kMbFlags) || text.empty() || text.size() > INT_MAX / 2) return result;
  // No code page gives more units than bytes but for rare compositions; the string grows then.
  result.reserve(text.size() * 2);
  Utf16LEStringOutput out(result);
  if (Decode(ResolveCodePage(codePage), flags, text.data(), static_cast<int>(text.size()), out) == 0)
    return {};
  // Double-byte text fills half of the room; a text that is kept should not hold the rest.
  if (result.capacity() > result.size() + result.size() / 2 + 64) result.shrink_to_fit();
  return result;
}

namespace {

/// Encodes into a new string: straight into room for a byte a unit, which most texts need,
/// else once more into a string that grows as it needs; empty when the conversion fails.
template <class Units>
std::string EncodeToString(uint32_t cp, uint32_t flags, Units source, int n, const char* defaultChar,
                           bool* usedDefaultChar) {
  std::string result(static_cast<size_t>(n), '\0');
  ByteOutput direct(result.data(), n);
  if (const int written = Encode(cp, flags, source, n, defaultChar, direct, usedDefaultChar)) {
    result.resize(static_cast<size_t>(written));
    return result;
  }
  result.clear();
  StringByteOutput grown(result);
  if (Encode(cp, flags, source, n, defaultChar, grown, usedDefaultChar) == 0) return {};
  return result;
}

}  // namespace

std::string Utf16LEToMultiByte(uint32_t codePage, uint32_t flags, std::string_view units,
                               const char* defaultChar, bool* usedDefaultChar) {
  if (usedDefaultChar) *usedDefaultChar = false;
  const size_t count = units.size() / 2;
  if ((flags & ~kWcFlags) || count == 0 || count > INT_MAX) return {};
  const uint32_t cp = ResolveCodePage(codePage);
  const Utf16LEUnits source{units.data()};
  const int n = static_cast<int>(count);
  return EncodeToString(cp, flags, source, n, defaultChar, usedDefaultChar);
}

void CharUpperBuffW(char16_t* text, int length) {
  for (int i = 0; i < length; ++i)
    if (text[i] < 0xD800 || text[i] > 0xDFFF) text[i] = UnicodeUpperCase(text[i]);
}

const CodePageCaseMap& CaseMapOf(uint32_t codePage) {
  static const CodePageCaseMap ascii = AsciiCaseMap();
  const CodePageTable* t = TableFor(ResolveCodePage(codePage));
  return t ? t->cases : ascii;
}

void CharUpperBuffA(char* text, int length) {
  const uint32_t acp = GetACP();
  const CodePageTable* t = TableFor(acp);
  const CodePageCaseMap& cases = CaseMapOf(acp);
  int i = 0;
  while (i < length) {
    const uint8_t b = static_cast<uint8_t>(text[i]);
    if (t && t->lead[b]) {  // double-byte characters keep their case
      i += 2;
      continue;
    }
    text[i] = static_cast<char>(cases.upper[b]);
    ++i;
  }
}
