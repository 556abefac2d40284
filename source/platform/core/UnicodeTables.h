// Character properties of the Basic Multilingual Plane that the text services need: simple
// upper- and lower-casing, canonical pair composition and decomposition, combining classes and
// non-spacing marks. The data is generated from the Unicode character database by
// tools/gen_unicode_tables.py; code units outside the tables have no such property.
#pragma once

#include <array>
#include <cstdint>

/// The simple upper-case form of a BMP character (the character itself when it has none, or
/// when its upper case lies outside the BMP).
char16_t UnicodeUpperCase(char16_t ch);
/// The simple lower-case form of a BMP character, likewise.
char16_t UnicodeLowerCase(char16_t ch);

/// The precomposed character of the canonical pair (first, second), 0 when there is none.
char16_t UnicodeCompose(char16_t first, char16_t second);

/// Splits a precomposed character into its canonical pair; false when it has none.
bool UnicodeDecompose(char16_t ch, char16_t& first, char16_t& second);

/// The canonical combining class (0 for starters).
uint8_t UnicodeCombiningClass(char16_t ch);

/// True for non-spacing marks (general category Mn).
bool UnicodeIsNonSpacing(char16_t ch);

/// One bit per UTF-16 code unit: set for marks (constant data, built at compile time).
extern const std::array<uint64_t, 1024> kUnicodeMarkBits;

/// True for a mark: a non-spacing mark or a character of a combining class other than 0.
/// Constant time; conversions ask it for every character.
inline bool UnicodeIsMark(char16_t ch) {
  return (kUnicodeMarkBits[ch >> 6] >> (ch & 63)) & 1;
}
