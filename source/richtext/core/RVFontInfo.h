// Text styles: TFontInfo (font, colours, hyperlink behaviour, protection and effects of the
// text items that carry its index) and the collection TFontInfos, which answers a substitute
// style for a bad index. The default drawing behind the style sheet's text services
// (ApplyToCanvas, ApplyColor, Draw) lives here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/core/Colors.h"
#include "platform/graphics/Cursors.h"
#include "platform/graphics/Font.h"
#include "richtext/core/RVFuncs.h"  // TRVColorMode, TRVFormatScale
#include "richtext/core/RVStyleInfo.h"

class TCanvas;
class TRVStyle;

/// Extra text effects (bits).
using TRVFontStyles = uint8_t;
constexpr TRVFontStyles rvfsOverline = 0x01;  // a line above the text
constexpr TRVFontStyles rvfsAllCaps = 0x02;   // drawn in capitals

/// Editing protection of a text style (bits).
using TRVProtectOptions = uint8_t;
constexpr TRVProtectOptions rvprStyleProtect = 0x01;
constexpr TRVProtectOptions rvprModifyProtect = 0x02;
constexpr TRVProtectOptions rvprDeleteProtect = 0x04;
constexpr TRVProtectOptions rvprConcateProtect = 0x08;
constexpr TRVProtectOptions rvprRVFInsertProtect = 0x10;
constexpr TRVProtectOptions rvprDoNotAutoSwitch = 0x20;
constexpr TRVProtectOptions rvprParaStartProtect = 0x40;
constexpr TRVProtectOptions rvprSticking = 0x80;

/// What the writers do with the text (bits).
using TRVTextOptions = uint8_t;
constexpr TRVTextOptions rvteoHTMLCode = 0x01;  // the text is HTML code, written as it is
constexpr TRVTextOptions rvteoRTFCode = 0x02;   // the text is RTF code, written as it is

/// States of a drawn text piece (bits).
using TRVTextDrawStates = uint16_t;
constexpr TRVTextDrawStates rvtsSelected = 0x0001;        // inside the selection
constexpr TRVTextDrawStates rvtsHover = 0x0002;           // a jump under the mouse
constexpr TRVTextDrawStates rvtsControlFocused = 0x0040;  // the control has the input focus

/// Bits of TFontInfo::IsEqual's ignore list: bit n set skips property n.
enum TRVFontInfoProperty : int {
  rvfiFontName = 0,
  rvfiSize = 1,
  rvfiCharset = 2,
  rvfiUnicode = 3,
  rvfiBold = 4,
  rvfiItalic = 5,
  rvfiUnderline = 6,
  rvfiStrikeOut = 7,
  rvfiOverline = 8,
  rvfiAllCaps = 9,
  rvfiVShift = 10,
  rvfiColor = 11,
  rvfiBackColor = 12,
  rvfiJump = 13,
  rvfiHoverBackColor = 14,  // compared only for jumps
  rvfiHoverColor = 15,      // compared only for jumps
  rvfiJumpCursor = 16,      // compared only for jumps
  rvfiNextStyleNo = 17,
  rvfiProtection = 18,
  rvfiCharScale = 19,
  rvfiBaseStyleNo = 20,
  rvfiBiDiMode = 21,
  rvfiCharSpacing = 22,
  rvfiHTMLCode = 23,
  rvfiRTFCode = 24,
};
using TRVFontInfoProperties = uint32_t;

/// A text style. Its published properties (names, types, defaults and order) are a stored
/// format: forms, RVF style blocks and exam files hold text styles by them.
class TFontInfo : public TCustomRVInfo {
  ZUK_PUBLISHED(TFontInfo)

 public:
  TFontInfo();
  std::string ClassName() const override { return "TFontInfo"; }

  /// From a TFontInfo: every field; from a TFont: name, size, colour, style and charset.
  void Assign(const TPersistent* source) override;
  /// To a TFont: name, size, colour, style, and the charset unless Unicode.
  void AssignTo(TPersistent* dest) const override;
  /// Reads the legacy Boolean "SingleSymbols" (never written).
  void DefineProperties(TFiler& filer) override;

  /// The style as a font description for a canvas with `canvas`'s pixels per inch.
  TLogFont ToLogFont(TCanvas& canvas) const;
  /// Selects the font (not its colour) and the direction/character spacing into the canvas.
  void ApplyToCanvas(TCanvas& canvas, TRVBiDiMode defBiDiMode) const;
  /// Sets the font and brush colours for the drawing state (selection, hover, printing).
  void ApplyColor(TCanvas& canvas, const TRVStyle& sheet, TRVTextDrawStates drawState, bool printing,
                  TRVColorMode colorMode) const;
  /// Draws the text `s` (UTF-16 bytes for a Unicode style) with font and colours applied.
  void Draw(std::string_view s, TCanvas& canvas, int styleNo, int32_t spaceBefore, int32_t left, int32_t top,
            int32_t width, int32_t height, const TRVStyle& sheet, TRVTextDrawStates drawState, bool printing,
            bool previewCorrection, TRVColorMode colorMode, TRVBiDiMode defBiDiMode) const;

  bool SameAs(const TCustomRVInfo& value, bool ignoreNextStyleNo) const override;
  bool SameAsWithMap(const TCustomRVInfo& value, const TRVIntegerList& mapping) const override;
  int64_t SimilarityScore(const TCustomRVInfo& value) const override;
  /// True when every property whose bit is clear in `ignoreList` is equal.
  bool IsEqual(const TFontInfo& value, TRVFontInfoProperties ignoreList) const;
  void RemapReferences(const TRVIntegerList& mapping) override;

  // Fields in declaration order (the published order is in ClassProperties).
  TRVBiDiMode BiDiMode = rvbdUnspecified;
  bool Jump = false;
  TCursor JumpCursor = 101;
  std::string FontName = "Arial";
  int32_t Size = 10;
  TColor Color = clWindowText;
  TColor BackColor = clNone;
  TColor HoverColor = clNone;
  TColor HoverBackColor = clNone;
  TFontStyles Style;
  TRVFontStyles StyleEx = 0;
  int32_t VShift = 0;
  int32_t NextStyleNo = -1;
  uint8_t Charset = DEFAULT_CHARSET;
  bool Unicode = false;
  TRVProtectOptions Protection = 0;
  TRVTextOptions Options = 0;
  int32_t CharScale = 100;
  int32_t CharSpacing = 0;
};

/// The text styles of a style sheet.
class TFontInfos : public TCustomRVInfos {
 public:
  /// `itemClass` makes TFontInfo objects (or a subclass).
  TFontInfos(TCollectionItemClass itemClass, TComponent* owner);
  ~TFontInfos() override;
  std::string ClassName() const override { return "TFontInfos"; }

  /// The style at `index`, or the substitute style (a copy of style 0 in white on red,
  /// made once) when `index` is outside 0..Count-1. Never null.
  TFontInfo* Items(int index) const;
  TFontInfo& operator[](int index) const { return *Items(index); }
  /// A new style with the defaults, appended.
  TFontInfo* AddStyle();
  /// The index of a non-Unicode style with `charset` that equals style `baseStyle` in all
  /// but charset and Unicode (baseStyle itself first); -1 when there is none.
  int FindStyleWithCharset(int baseStyle, uint8_t charset) const;

  /// Pixels per inch that list markers size their fonts with; 0 for the canvas's own.
  int32_t PixelsPerInch = 0;

 protected:
  int FindMostSimilar(const TCustomRVInfo& style) const override;

 private:
  mutable std::unique_ptr<TFontInfo> invalidItem_;
};
