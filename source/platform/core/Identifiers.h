// Identifier tables of integer properties: colour names (clRed, clWindow, ...) and font
// character-set names (ANSI_CHARSET, ...). The component streaming writes a value that has
// a name as an identifier, and reads either form.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/core/Colors.h"

struct TIdentMapEntry {
  int32_t Value;
  const char* Name;
};
using TIdentMap = std::span<const TIdentMapEntry>;

/// Colour names: the sixteen basic colours, the four extra colours, the system colours,
/// clNone and clDefault.
TIdentMap ColorIdents();
/// Font character-set names (ANSI_CHARSET 0 ... OEM_CHARSET 255).
TIdentMap CharsetIdents();

/// Finds the name of `value`; false when the table has none.
bool IntToIdent(int32_t value, std::string& ident, TIdentMap map);
/// Finds the value of `ident` (case-insensitive); false when the table has no such name.
bool IdentToInt(std::string_view ident, int32_t& value, TIdentMap map);

bool ColorToIdent(TColor color, std::string& ident);
bool IdentToColor(std::string_view ident, TColor& color);
/// The colour's name, or "$" and eight hexadecimal digits when it has none.
std::string ColorToString(TColor color);
/// A colour name or an integer (decimal or "$" hexadecimal); EConvertError otherwise.
TColor StringToColor(std::string_view text);

bool CharsetToIdent(int32_t charset, std::string& ident);
bool IdentToCharset(std::string_view ident, int32_t& charset);

// Font character sets.
constexpr uint8_t ANSI_CHARSET = 0;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t SYMBOL_CHARSET = 2;
constexpr uint8_t MAC_CHARSET = 77;
constexpr uint8_t SHIFTJIS_CHARSET = 128;
constexpr uint8_t HANGEUL_CHARSET = 129;
constexpr uint8_t JOHAB_CHARSET = 130;
constexpr uint8_t GB2312_CHARSET = 134;
constexpr uint8_t CHINESEBIG5_CHARSET = 136;
constexpr uint8_t GREEK_CHARSET = 161;
constexpr uint8_t TURKISH_CHARSET = 162;
constexpr uint8_t VIETNAMESE_CHARSET = 163;
constexpr uint8_t HEBREW_CHARSET = 177;
constexpr uint8_t ARABIC_CHARSET = 178;
constexpr uint8_t BALTIC_CHARSET = 186;
constexpr uint8_t RUSSIAN_CHARSET = 204;
constexpr uint8_t THAI_CHARSET = 222;
constexpr uint8_t EASTEUROPE_CHARSET = 238;
constexpr uint8_t OEM_CHARSET = 255;
