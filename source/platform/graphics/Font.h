// TFont: the font a canvas draws and measures text with (face, size or pixel height,
// style, colour, character set, pitch), and the LOGFONT-like record fonts are built from.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "platform/core/Classes.h"
#include "platform/core/Colors.h"
#include "platform/core/Identifiers.h"  // character sets

enum TFontStyle : uint8_t { fsBold = 0, fsItalic = 1, fsUnderline = 2, fsStrikeOut = 3 };

/// A set of TFontStyle values kept as bits (bit n is style n).
class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (TFontStyle s : styles) bits_ |= static_cast<uint8_t>(1u << s);
  }
  static constexpr TFontStyles FromBits(uint8_t bits) {
    TFontStyles r;
    r.bits_ = bits & 0x0F;
    return r;
  }
  constexpr uint8_t Bits() const { return bits_; }
  constexpr bool Contains(TFontStyle s) const { return (bits_ >> s) & 1u; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr void Include(TFontStyle s) { bits_ |= static_cast<uint8_t>(1u << s); }
  constexpr void Exclude(TFontStyle s) { bits_ &= static_cast<uint8_t>(~(1u << s)); }
  friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

 private:
  uint8_t bits_ = 0;
};

enum TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };

constexpr int32_t FW_NORMAL = 400;
constexpr int32_t FW_BOLD = 700;

/// The font description fonts are created from (the fields of a Windows LOGFONT).
/// lfHeight < 0 is the character height in pixels, > 0 the cell height; lfWidth 0 means the
/// face's own average character width, another value stretches the font to that width.
struct TLogFont {
  int32_t lfHeight = 0;
  int32_t lfWidth = 0;
  int32_t lfEscapement = 0;
  int32_t lfOrientation = 0;
  int32_t lfWeight = 0;
  uint8_t lfItalic = 0;
  uint8_t lfUnderline = 0;
  uint8_t lfStrikeOut = 0;
  uint8_t lfCharSet = 0;
  uint8_t lfOutPrecision = 0;
  uint8_t lfClipPrecision = 0;
  uint8_t lfQuality = 0;
  uint8_t lfPitchAndFamily = 0;
  std::string lfFaceName;
};

/// Published (streamed) as Charset, Color, Height, Name, Pitch (default fpDefault), Style;
/// Size is not stored.
class TFont : public TPersistent {
  ZUK_PUBLISHED(TFont)

 public:
  /// "MS Sans Serif", 8 points, window text colour, default character set, 96 pixels per inch.
  TFont();
  std::string ClassName() const override { return "TFont"; }

  void Assign(const TFont& source);
  /// Copies another TFont; any other source raises the conversion error.
  void Assign(const TPersistent* source) override;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  /// Size in points, derived from Height: -Height * 72 / PixelsPerInch (rounded).
  int32_t Size() const;
  void SetSize(int32_t points);
  /// Height in pixels: negative for the character height, positive for the cell height.
  int32_t Height() const { return height_; }
  void SetHeight(int32_t pixels);
  /// Average character width the font is stretched to; 0 for the face's own.
  int32_t Width() const { return width_; }
  void SetWidth(int32_t pixels);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  uint8_t Charset() const { return charset_; }
  void SetCharset(uint8_t charset);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch);
  int32_t PixelsPerInch() const { return pixels_per_inch_; }
  void SetPixelsPerInch(int32_t ppi);

  /// The font as a LOGFONT record, and the font made from one (name, height, width,
  /// weight, italic, underline, strike-out, charset, pitch; the colour is kept).
  TLogFont GetLogFont() const;
  void SetLogFont(const TLogFont& lf);

  /// Called after every change.
  std::function<void(TFont&)> OnChange;

  bool operator==(const TFont& other) const;

 private:
  void Changed();

  std::string name_;
  int32_t height_;
  int32_t width_ = 0;
  TFontStyles style_;
  TColor color_;
  uint8_t charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = fpDefault;
  int32_t pixels_per_inch_ = 96;
};
