// String, number and path routines with the semantics the program's code expects of its
// class library: 8-bit strings are std::string (bytes, may hold NUL), indexes in the
// interfaces below are 0-based unless a comment says otherwise.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

using AnsiString = std::string;
using WideString = std::u16string;

// ---------------------------------------------------------------------------------------
// Format: a bounds-checked subset of the class library's Format.

/// One argument of Format: an integer or a string.
class FormatArg {
 public:
  FormatArg(int v) : value_(static_cast<int64_t>(v)) {}
  FormatArg(unsigned v) : value_(static_cast<int64_t>(v)) {}
  FormatArg(long v) : value_(static_cast<int64_t>(v)) {}
  FormatArg(unsigned long v) : value_(static_cast<int64_t>(v)) {}
  FormatArg(long long v) : value_(static_cast<int64_t>(v)) {}
  FormatArg(unsigned long long v) : value_(static_cast<int64_t>(v)) {}
  FormatArg(const char* v) : value_(std::string(v ? v : "")) {}
  FormatArg(std::string_view v) : value_(std::string(v)) {}
  FormatArg(const std::string& v) : value_(v) {}

  bool IsInteger() const { return std::holds_alternative<int64_t>(value_); }
  int64_t Integer() const { return std::get<int64_t>(value_); }
  const std::string& String() const { return std::get<std::string>(value_); }

 private:
  std::variant<int64_t, std::string> value_;
};

/// Formats `fmt` with `args`. Supports %d %u %x %X %s %%, an argument index ("%1:s"),
/// a "-" flag, a width and a precision (also as "*"). A directive that does not fit
/// its argument, or an argument index out of range, raises EConvertError; the template
/// is never handed to a printf-style function, so data may be used as a template.
std::string Format(std::string_view fmt, std::initializer_list<FormatArg> args);
std::string Format(std::string_view fmt, const std::vector<FormatArg>& args);

// ---------------------------------------------------------------------------------------
// Numbers and strings.

std::string IntToStr(int64_t value);
std::string IntToHex(int64_t value, int digits);
/// Parses a decimal (or "$"/"0x" hexadecimal) 32-bit integer with optional blanks and sign;
/// raises EConvertError ("'abc' is not a valid integer value") on anything else.
int32_t StrToInt(std::string_view s);
int32_t StrToIntDef(std::string_view s, int32_t def);
/// Like StrToInt, but reports success instead of raising.
bool TryStrToInt(std::string_view s, int32_t& value);
int64_t StrToInt64(std::string_view s);
bool TryStrToInt64(std::string_view s, int64_t& value);

/// Removes characters of code 32 and below from both ends.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
/// ASCII-only case mapping, as the class library's UpperCase/LowerCase.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

enum class ReplaceFlag : unsigned { None = 0, ReplaceAll = 1, IgnoreCase = 2 };
constexpr ReplaceFlag operator|(ReplaceFlag a, ReplaceFlag b) {
  return static_cast<ReplaceFlag>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool HasFlag(ReplaceFlag set, ReplaceFlag f) {
  return (static_cast<unsigned>(set) & static_cast<unsigned>(f)) != 0;
}
/// Replaces the first (or, with ReplaceAll, every) occurrence of `from` in `s`.
std::string StringReplace(std::string_view s, std::string_view from, std::string_view to, ReplaceFlag flags);

/// 1-based position of `sub` in `s`, 0 when absent (the class library's Pos).
size_t Pos(std::string_view sub, std::string_view s);

// ---------------------------------------------------------------------------------------
// Paths. The path delimiter is '/'.

constexpr char PathDelim = '/';
std::string ExtractFileName(std::string_view path);
/// The directory part including its trailing delimiter ("" when there is none).
std::string ExtractFilePath(std::string_view path);
/// The extension including its dot ("" when there is none).
std::string ExtractFileExt(std::string_view path);
std::string ChangeFileExt(std::string_view path, std::string_view ext);
std::string IncludeTrailingPathDelimiter(std::string_view path);
std::string ExcludeTrailingPathDelimiter(std::string_view path);

/// The system's text for an errno value, as the system words it.
std::string SysErrorMessage(int error);

/// The length of the UTF-8 sequence that starts `text`, with its code point in `ch`; 0 when the
/// bytes there are no UTF-8 (cut short, overlong, a surrogate or beyond U+10FFFF).
size_t DecodeUTF8Char(std::string_view text, char32_t& ch);

// ---------------------------------------------------------------------------------------
// Arithmetic with the class library's semantics.

/// Rounds to the nearest integer, halves to the even neighbour. Values beyond the 64-bit
/// range saturate; NaN gives 0.
int64_t Round(double value);
/// value * numerator / denominator computed in 64 bits and rounded half away from zero;
/// -1 when the denominator is 0.
int32_t MulDiv(int32_t value, int32_t numerator, int32_t denominator);
