#include "platform/core/SysUtils.h"

#include <string.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/core/Exceptions.h"

namespace {

[[noreturn]] void RaiseFormatError(std::string_view fmt) {
  throw EConvertError("Format '" + std::string(fmt) + "' invalid or incompatible with argument");
}

char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string Pad(std::string text, int width, bool leftJustify) {
  if (width > 0 && static_cast<size_t>(width) > text.size()) {
    const std::string fill(static_cast<size_t>(width) - text.size(), ' ');
    text = leftJustify ? text + fill : fill + text;
  }
  return text;
}

std::string HexDigits(uint64_t v, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  do {
    out.insert(out.begin(), digits[v & 15]);
    v >>= 4;
  } while (v != 0);
  return out;
}

// Reads a decimal number at fmt[i]; returns -1 when there is none. Bounded to keep
// widths from data sane.
int ReadNumber(std::string_view fmt, size_t& i) {
  if (i >= fmt.size() || fmt[i] < '0' || fmt[i] > '9') return -1;
  int n = 0;
  while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') {
    n = std::min(n * 10 + (fmt[i] - '0'), 100000);
    ++i;
  }
  return n;
}

}  // namespace

[[noreturn]] void RaiseListIndexError(long long index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

[[noreturn]] void RaiseListCapacityError(long long capacity) {
  throw EListError("List capacity out of bounds (" + std::to_string(capacity) + ")");
}

std::string Format(std::string_view fmt, std::initializer_list<FormatArg> args) {
  return Format(fmt, std::vector<FormatArg>(args));
}

std::string Format(std::string_view fmt, const std::vector<FormatArg>& args) {
  std::string out;
  size_t nextArg = 0;
  size_t i = 0;
  auto take = [&](size_t index) -> const FormatArg& {
    if (index >= args.size()) RaiseFormatError(fmt);
    return args[index];
  };
  while (i < fmt.size()) {
    const char c = fmt[i++];
    if (c != '%') {
      out += c;
      continue;
    }
    if (i >= fmt.size()) RaiseFormatError(fmt);
    if (fmt[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    // [index:] [-] [width] [.prec] type
    size_t save = i;
    int index = ReadNumber(fmt, i);
    if (index >= 0 && i < fmt.size() && fmt[i] == ':') {
      nextArg = static_cast<size_t>(index);
      ++i;
    } else {
      i = save;
    }
    bool left = false;
    if (i < fmt.size() && fmt[i] == '-') {
      left = true;
      ++i;
    }
    int width = -1;
    if (i < fmt.size() && fmt[i] == '*') {
      const FormatArg& a = take(nextArg++);
      if (!a.IsInteger()) RaiseFormatError(fmt);
      width = static_cast<int>(std::clamp<int64_t>(a.Integer(), 0, 100000));
      ++i;
    } else {
      width = ReadNumber(fmt, i);
    }
    int prec = -1;
    if (i < fmt.size() && fmt[i] == '.') {
      ++i;
      if (i < fmt.size() && fmt[i] == '*') {
        const FormatArg& a = take(nextArg++);
        if (!a.IsInteger()) RaiseFormatError(fmt);
        prec = static_cast<int>(std::clamp<int64_t>(a.Integer(), 0, 100000));
        ++i;
      } else {
        prec = std::max(ReadNumber(fmt, i), 0);
      }
    }
    if (i >= fmt.size()) RaiseFormatError(fmt);
    const char type = AsciiLower(fmt[i++]);
    const FormatArg& a = take(nextArg++);
    std::string text;
    switch (type) {
      case 'd': {
        if (!a.IsInteger()) RaiseFormatError(fmt);
        const int64_t v = a.Integer();
        std::string digits = std::to_string(v < 0 ? -static_cast<uint64_t>(v) : static_cast<uint64_t>(v));
        if (v < 0 && v == std::numeric_limits<int64_t>::min()) digits = "9223372036854775808";
        if (prec > 0 && digits.size() < static_cast<size_t>(prec))
          digits.insert(0, static_cast<size_t>(prec) - digits.size(), '0');
        text = (v < 0 ? "-" : "") + digits;
        break;
      }
      case 'u': {
        if (!a.IsInteger()) RaiseFormatError(fmt);
        text = std::to_string(static_cast<uint32_t>(a.Integer()));
        if (prec > 0 && text.size() < static_cast<size_t>(prec))
          text.insert(0, static_cast<size_t>(prec) - text.size(), '0');
        break;
      }
      case 'x': {
        if (!a.IsInteger()) RaiseFormatError(fmt);
        const int64_t v = a.Integer();
        const uint64_t bits =
            (v >= INT32_MIN && v <= UINT32_MAX) ? static_cast<uint32_t>(v) : static_cast<uint64_t>(v);
        text = HexDigits(bits, true);
        if (prec > 0 && text.size() < static_cast<size_t>(prec))
          text.insert(0, static_cast<size_t>(prec) - text.size(), '0');
        break;
      }
      case 's': {
        if (a.IsInteger()) RaiseFormatError(fmt);
        text = a.String();
        if (prec >= 0 && text.size() > static_cast<size_t>(prec)) text.resize(static_cast<size_t>(prec));
        break;
      }
      default:
        RaiseFormatError(fmt);
    }
    out += Pad(std::move(text), width, left);
  }
  return out;
}

std::string IntToStr(int64_t value) {
  return std::to_string(value);
}

std::string IntToHex(int64_t value, int digits) {
  std::string s = HexDigits(static_cast<uint64_t>(value), true);
  if (digits > 0 && s.size() < static_cast<size_t>(digits))
    s.insert(0, static_cast<size_t>(digits) - s.size(), '0');
  return s;
}

bool TryStrToInt64(std::string_view s, int64_t& value) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  uint64_t acc = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    if (acc > (std::numeric_limits<uint64_t>::max() - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base))
      return false;
    acc = acc * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
  }
  if (base == 16) {
    value = static_cast<int64_t>(negative ? 0 - acc : acc);
    return true;
  }
  if (negative) {
    if (acc > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1) return false;
    value = static_cast<int64_t>(0 - acc);
  } else {
    if (acc > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return false;
    value = static_cast<int64_t>(acc);
  }
  return true;
}

bool TryStrToInt(std::string_view s, int32_t& value) {
  int64_t v;
  if (!TryStrToInt64(s, v)) return false;
  // Hexadecimal literals may give the full 32-bit pattern ($FFFFFFFF is -1).
  if (v > std::numeric_limits<int32_t>::max() && v <= std::numeric_limits<uint32_t>::max() &&
      s.find_first_of("$xX") != std::string_view::npos) {
    value = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
  }
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return false;
  value = static_cast<int32_t>(v);
  return true;
}

int32_t StrToInt(std::string_view s) {
  int32_t v;
  if (!TryStrToInt(s, v)) throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
  return v;
}

int64_t StrToInt64(std::string_view s) {
  int64_t v;
  if (!TryStrToInt64(s, v)) throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
  return v;
}

int32_t StrToIntDef(std::string_view s, int32_t def) {
  int32_t v;
  return TryStrToInt(s, v) ? v : def;
}

std::string TrimLeft(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(0, e));
}

std::string Trim(std::string_view s) {
  return TrimLeft(TrimRight(s));
}

std::string UpperCase(std::string_view s) {
  std::string r(s);
  std::transform(r.begin(), r.end(), r.begin(), AsciiUpper);
  return r;
}

std::string LowerCase(std::string_view s) {
  std::string r(s);
  std::transform(r.begin(), r.end(), r.begin(), AsciiLower);
  return r;
}

int CompareText(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int ca = static_cast<unsigned char>(AsciiUpper(a[i]));
    const int cb = static_cast<unsigned char>(AsciiUpper(b[i]));
    if (ca != cb) return ca - cb;
  }
  return (a.size() < b.size()) ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool SameText(std::string_view a, std::string_view b) {
  return CompareText(a, b) == 0;
}

std::string StringReplace(std::string_view s, std::string_view from, std::string_view to, ReplaceFlag flags) {
  if (from.empty()) return std::string(s);
  const bool ignoreCase = HasFlag(flags, ReplaceFlag::IgnoreCase);
  const std::string hay = ignoreCase ? UpperCase(s) : std::string(s);
  const std::string needle = ignoreCase ? UpperCase(from) : std::string(from);
  std::string out;
  size_t start = 0;
  while (true) {
    const size_t at = hay.find(needle, start);
    if (at == std::string::npos) break;
    out.append(s.substr(start, at - start));
    out.append(to);
    start = at + needle.size();
    if (!HasFlag(flags, ReplaceFlag::ReplaceAll)) break;
  }
  out.append(s.substr(start));
  return out;
}

size_t Pos(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  const size_t at = s.find(sub);
  return at == std::string_view::npos ? 0 : at + 1;
}

std::string ExtractFileName(std::string_view path) {
  const size_t at = path.find_last_of(PathDelim);
  return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string ExtractFilePath(std::string_view path) {
  const size_t at = path.find_last_of(PathDelim);
  return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

std::string ExtractFileExt(std::string_view path) {
  const size_t at = path.find_last_of("./");
  if (at == std::string_view::npos || path[at] != '.') return std::string();
  return std::string(path.substr(at));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  const size_t at = path.find_last_of("./");
  if (at == std::string_view::npos || path[at] != '.') return std::string(path) + std::string(ext);
  return std::string(path.substr(0, at)) + std::string(ext);
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
  std::string r(path);
  if (r.empty() || r.back() != PathDelim) r += PathDelim;
  return r;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
  std::string r(path);
  if (r.size() > 1 && r.back() == PathDelim) r.pop_back();
  return r;
}

int64_t Round(double value) {
  // Values a 64-bit integer cannot hold (and NaN) would make the conversion undefined: they
  // saturate, NaN gives 0.
  if (std::isnan(value)) return 0;
  const double rounded = std::nearbyint(value);
  if (rounded >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
  if (rounded < -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(rounded);
}

int32_t MulDiv(int32_t value, int32_t numerator, int32_t denominator) {
  if (denominator == 0) return -1;
  const int64_t product = static_cast<int64_t>(value) * numerator;
  int64_t q = product / denominator;
  const int64_t r = product % denominator;
  // Round half away from zero.
  if (2 * (r < 0 ? -r : r) >= (denominator < 0 ? -static_cast<int64_t>(denominator) : denominator)) {
    q += ((product < 0) != (denominator < 0)) ? -1 : 1;
  }
  if (q < std::numeric_limits<int32_t>::min() || q > std::numeric_limits<int32_t>::max()) return -1;
  return static_cast<int32_t>(q);
}

std::string SysErrorMessage(int error) {
  char buffer[256];
  return strerror_r(error, buffer, sizeof buffer);
}

size_t DecodeUTF8Char(std::string_view text, char32_t& ch) {
  if (text.empty()) return 0;
  const auto byte = [&text](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(0);
  size_t length = 1;
  char32_t least = 0;
  if (lead < 0x80) {
    ch = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, ch = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, ch = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, ch = lead & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    ch = (ch << 6) | (byte(i) & 0x3F);
  }
  return ch < least || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF) ? 0 : length;
}
