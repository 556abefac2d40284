#include "richtext/core/RVFontInfo.h"

#include <vector>

#include "platform/core/ComponentStreaming.h"
#include "platform/core/SysUtils.h"
#include "platform/core/TypInfo.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/SystemColors.h"
#include "richtext/core/RVMapWht.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"

namespace {

const std::vector<std::string> kFontStyleNames = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
const std::vector<std::string> kFontStyleExNames = {"rvfsOverline", "rvfsAllCaps"};
const std::vector<std::string> kBiDiModeNames = {"rvbdUnspecified", "rvbdLeftToRight", "rvbdRightToLeft"};
const std::vector<std::string> kProtectNames = {
    "rvprStyleProtect",     "rvprModifyProtect",   "rvprDeleteProtect",    "rvprConcateProtect",
    "rvprRVFInsertProtect", "rvprDoNotAutoSwitch", "rvprParaStartProtect", "rvprSticking"};
const std::vector<std::string> kTextOptionNames = {"rvteoHTMLCode", "rvteoRTFCode"};

bool Ignored(TRVFontInfoProperties ignoreList, TRVFontInfoProperty property) {
  return (ignoreList >> property) & 1u;
}

bool IsWhite(TColor color) {
  return ColorToRGB(color) == clWhite;
}

}  // namespace

TFontInfo::TFontInfo() {
  StyleName = "Font Style";
}

const TPropertyList& TFontInfo::ClassProperties() {
  using T = TFontInfo;
  static const TPropertyList list =
      TPropertyBuilder<T>(TCustomRVInfo::ClassProperties())
          .Charset("Charset", &T::Charset, &T::Charset)
          .Default(DEFAULT_CHARSET)
          .String("FontName", &T::FontName, &T::FontName)
          .Integer("Size", &T::Size, &T::Size)
          .Default(10)
          .Set(
              "Style", [](T& f) { return f.Style.Bits(); },
              [](T& f, uint8_t bits) { f.Style = TFontStyles::FromBits(bits); }, kFontStyleNames)
          .Default(0)
          .Integer("VShift", &T::VShift, &T::VShift)
          .Default(0)
          .Color("Color", &T::Color, &T::Color)
          .Default(clWindowText)
          .Color("BackColor", &T::BackColor, &T::BackColor)
          .Default(clNone)
          .Color("HoverBackColor", &T::HoverBackColor, &T::HoverBackColor)
          .Default(clNone)
          .Color("HoverColor", &T::HoverColor, &T::HoverColor)
          .Default(clNone)
          .Set("StyleEx", &T::StyleEx, &T::StyleEx, kFontStyleExNames)
          .Default(0)
          .Boolean("Jump", &T::Jump, &T::Jump)
          .Default(false)
          .IdentInteger("JumpCursor", &T::JumpCursor, &T::JumpCursor, CursorIdents())
          .Default(crJump)
          .Integer("CharScale", &T::CharScale, &T::CharScale)
          .Default(100)
          .Integer("CharSpacing", &T::CharSpacing, &T::CharSpacing)
          .Default(0)
          .Integer("NextStyleNo", &T::NextStyleNo, &T::NextStyleNo)
          .Default(-1)
          .Enum("BiDiMode", &T::BiDiMode, &T::BiDiMode, kBiDiModeNames)
          .Default(rvbdUnspecified)
          .Boolean("Unicode", &T::Unicode, &T::Unicode)
          .Default(false)
          .Set("Protection", &T::Protection, &T::Protection, kProtectNames)
          .Default(0)
          .Set("Options", &T::Options, &T::Options, kTextOptionNames)
          .Default(0)
          .Build();
  return list;
}

void TFontInfo::DefineProperties(TFiler& filer) {
  TCustomRVInfo::DefineProperties(filer);
  // An old flag for symbols that must stay as they are; read into the protection options.
  filer.DefineProperty(
      "SingleSymbols",
      [this](TReader& reader) {
        if (reader.ReadBoolean()) Protection |= rvprStyleProtect | rvprDoNotAutoSwitch;
      },
      [](TWriter&) {}, false);
}

void TFontInfo::Assign(const TPersistent* source) {
  if (const auto* f = dynamic_cast<const TFontInfo*>(source)) {
    BiDiMode = f->BiDiMode;
    Jump = f->Jump;
    JumpCursor = f->JumpCursor;
    FontName = f->FontName;
    Size = f->Size;
    Color = f->Color;
    BackColor = f->BackColor;
    HoverColor = f->HoverColor;
    HoverBackColor = f->HoverBackColor;
    Style = f->Style;
    StyleEx = f->StyleEx;
    VShift = f->VShift;
    NextStyleNo = f->NextStyleNo;
    Charset = f->Charset;
    Unicode = f->Unicode;
    Protection = f->Protection;
    Options = f->Options;
    CharScale = f->CharScale;
    CharSpacing = f->CharSpacing;
    TCustomRVInfo::Assign(source);
    return;
  }
  if (const auto* font = dynamic_cast<const TFont*>(source)) {
    FontName = font->Name();
    Size = font->Size();
    Color = font->Color();
    Style = font->Style();
    Charset = font->Charset();
    return;
  }
  TCustomRVInfo::Assign(source);
}

void TFontInfo::AssignTo(TPersistent* dest) const {
  if (auto* font = dynamic_cast<TFont*>(dest)) {
    font->SetName(FontName);
    font->SetSize(Size);
    font->SetColor(Color);
    font->SetStyle(Style);
    if (!Unicode) font->SetCharset(Charset);
    return;
  }
  TCustomRVInfo::AssignTo(dest);
}

TLogFont TFontInfo::ToLogFont(TCanvas& canvas) const {
  TLogFont lf;
  lf.lfHeight = -MulDiv(Size, canvas.Font().PixelsPerInch(), 72);
  lf.lfWeight = Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = Style.Contains(fsItalic) ? 1 : 0;
  lf.lfUnderline = Style.Contains(fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = Style.Contains(fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = Charset;
  lf.lfFaceName = FontName;
  return lf;
}

void TFontInfo::ApplyToCanvas(TCanvas& canvas, TRVBiDiMode defBiDiMode) const {
  TFont& font = canvas.Font();
  if (CharScale != 100) {
    TLogFont lf = ToLogFont(canvas);
    font.SetLogFont(lf);
    TTextMetric tm;
    const int32_t average = canvas.GetTextMetrics(tm) ? tm.tmAveCharWidth : canvas.TextWidth("x");
    lf.lfWidth = static_cast<int32_t>(static_cast<int64_t>(average) * CharScale / 100);
    font.SetLogFont(lf);
  } else {
    font.SetWidth(0);  // a scaled style drawn before must not leave its width behind
    font.SetStyle(Style);
    font.SetSize(Size);
    font.SetName(FontName);
    font.SetCharset(Charset);
  }
  const TRVBiDiMode direction = BiDiMode == rvbdUnspecified ? defBiDiMode : BiDiMode;
  switch (direction) {
    case rvbdLeftToRight:
      canvas.SetTextCharacterExtra(0);
      canvas.SetTextAlign(TA_LEFT);
      break;
    case rvbdRightToLeft:
      canvas.SetTextCharacterExtra(0);
      canvas.SetTextAlign(TA_RTLREADING);
      break;
    case rvbdUnspecified:
      canvas.SetTextCharacterExtra(CharSpacing);
      break;
  }
}

void TFontInfo::ApplyColor(TCanvas& canvas, const TRVStyle& sheet, TRVTextDrawStates drawState, bool printing,
                           TRVColorMode colorMode) const {
  TColor textColor = Color;
  TColor brushColor = BackColor;
  if (drawState & rvtsSelected) {
    const bool focused = (drawState & rvtsControlFocused) != 0;
    brushColor = focused ? sheet.SelColor : sheet.InactiveSelColor;
    textColor = focused ? sheet.SelTextColor : sheet.InactiveSelTextColor;
    if (textColor == clNone) textColor = Color;
  } else if (drawState & rvtsHover) {
    textColor = sheet.GetHoverColor(HoverColor);
    if (textColor == clNone) textColor = Color;
    brushColor = HoverBackColor;
  } else if (printing) {
    const TColor printText = RVSystemColorForPrinting(Color);
    const TColor printBack = RVSystemColorForPrinting(BackColor);
    switch (colorMode) {
      case 0:
        break;
      case 1:
        textColor = printText;
        brushColor = printBack;
        break;
      case 2:
        textColor = RVColorToGray(printText);
        brushColor = RVColorToGray(printBack);
        break;
      case 3:
        if (BackColor == clNone) {
          brushColor = clNone;
          textColor = IsWhite(printText) ? clWhite : clBlack;
        } else if (RVColorToGrayLevel(printBack) > RVColorToGrayLevel(printText)) {
          brushColor = clWhite;
          textColor = clBlack;
        } else {
          brushColor = clBlack;
          textColor = clWhite;
        }
        break;
      default:
        textColor = clBlack;
        brushColor = clNone;
        break;
    }
  }
  canvas.Font().SetColor(textColor);
  canvas.Brush().SetColor(brushColor);
  canvas.Brush().SetStyle(brushColor == clNone ? bsClear : bsSolid);
}

namespace {

// Advances (one per character) of `text` as the canvas lays it out without extra spacing.
std::vector<int32_t> CharacterAdvances(TCanvas& canvas, std::string_view text, bool unicode) {
  std::vector<int32_t> extents;
  int32_t fit = 0;
  if (unicode)
    canvas.GetTextExtentExPointW(RVBytesToWideString(text), 0x7FFFFFFF, &fit, &extents);
  else
    canvas.GetTextExtentExPoint(text, 0x7FFFFFFF, &fit, &extents);
  std::vector<int32_t> advances(extents.size());
  int32_t previous = 0;
  for (size_t i = 0; i < extents.size(); ++i) {
    advances[i] = extents[i] - previous;
    previous = extents[i];
  }
  return advances;
}

// Draws a printed piece with explicit advances; false when the text is drawn as it is.
bool DrawPlaced(TCanvas& canvas, std::string_view s, bool unicode, int32_t x, int32_t y, int32_t spaceBefore,
                int32_t width, bool previewCorrection) {
  const int chars = unicode ? static_cast<int>(s.size() / 2) : static_cast<int>(s.size());
  if (chars < 2) return false;
  const int32_t extra = canvas.GetTextCharacterExtra();
  if (!previewCorrection && extra == 0) return false;

  const int32_t savedExtra = canvas.SetTextCharacterExtra(0);
  std::vector<int32_t> advances = CharacterAdvances(canvas, s, unicode);
  if (static_cast<int>(advances.size()) != chars) {
    canvas.SetTextCharacterExtra(savedExtra);
    return false;
  }
  if (previewCorrection) {
    canvas.SetTextCharacterExtra(savedExtra);
    const int32_t measured = unicode ? canvas.TextExtentW(RVBytesToWideString(s)).cx : canvas.TextWidth(s);
    if (measured == width) return false;
    canvas.SetTextCharacterExtra(0);
    // Spread what is missing (or too much) over the characters, from the first on.
    int64_t rest = static_cast<int64_t>(width) - spaceBefore - measured;
    for (int i = 0; i < chars && rest != 0; ++i) {
      const int64_t share = rest / (chars - i);
      advances[static_cast<size_t>(i)] += static_cast<int32_t>(share);
      rest -= share;
    }
    // The extra spacing of the measured width is part of the advances too.
    for (int32_t& advance : advances) advance += savedExtra;
  } else {
    for (int32_t& advance : advances) advance += extra;
  }
  if (unicode)
    canvas.ExtTextOutW(x, y, 0, nullptr, RVBytesToWideString(s), advances.data());
  else
    canvas.ExtTextOut(x, y, 0, nullptr, s, advances.data());
  canvas.SetTextCharacterExtra(savedExtra);
  return true;
}

}  // namespace

void TFontInfo::Draw(std::string_view s, TCanvas& canvas, int styleNo, int32_t spaceBefore, int32_t left,
                     int32_t top, int32_t width, int32_t height, const TRVStyle& sheet,
                     TRVTextDrawStates drawState, bool printing, bool previewCorrection,
                     TRVColorMode colorMode, TRVBiDiMode defBiDiMode) const {
  (void)styleNo;
  const TRVBiDiMode direction = BiDiMode == rvbdUnspecified ? defBiDiMode : BiDiMode;
  const int32_t x = left + spaceBefore;
  bool placed = false;
  if (printing && direction == rvbdUnspecified) {
    if (canvas.Brush().Style() != bsClear) {
      canvas.Pen().SetStyle(psClear);
      canvas.FillRect(Bounds(left, top, width, height));
      canvas.Brush().SetStyle(bsClear);
      canvas.Pen().SetStyle(psSolid);
    }
    placed = DrawPlaced(canvas, s, Unicode, x, top, spaceBefore, width, previewCorrection);
  }
  if (!placed) {
    if (Unicode)
      canvas.TextOutW(x, top, RVBytesToWideString(s));
    else
      canvas.TextOut(x, top, s);
  }
  if (spaceBefore != 0 && !printing) {
    if ((drawState & rvtsSelected) && s.empty())
      ApplyColor(canvas, sheet, drawState & ~rvtsSelected, printing, colorMode);
    if (canvas.Brush().Style() != bsClear) canvas.FillRect(Bounds(left, top, spaceBefore, height));
  }
  canvas.Brush().SetStyle(bsClear);

  TOutlineTextMetric otm;
  const bool haveOutline = canvas.GetOutlineTextMetrics(otm);
  if (spaceBefore != 0 && canvas.Font().Style().Contains(fsUnderline) && haveOutline) {
    canvas.Pen().SetColor(canvas.Font().Color());
    canvas.Pen().SetWidth(otm.otmsUnderscoreSize);
    canvas.Pen().SetStyle(psInsideFrame);
    const int32_t y =
        top + otm.otmTextMetrics.tmAscent - otm.otmsUnderscorePosition + otm.otmsUnderscoreSize / 2;
    canvas.MoveTo(left, y);
    canvas.LineTo(left + spaceBefore + 1, y);
    canvas.Pen().SetStyle(psSolid);
  }
  if (StyleEx & rvfsOverline) {
    canvas.Pen().SetWidth(haveOutline ? otm.otmsUnderscoreSize : 1);
    canvas.Pen().SetColor(canvas.Font().Color());
    canvas.MoveTo(left, top);
    canvas.LineTo(left + width, top);
  }
}

bool TFontInfo::SameAs(const TCustomRVInfo& value, bool ignoreNextStyleNo) const {
  const auto* f = dynamic_cast<const TFontInfo*>(&value);
  if (f == nullptr) return false;
  return Size == f->Size && Charset == f->Charset && Unicode == f->Unicode && Style == f->Style &&
         StyleEx == f->StyleEx && SameText(FontName, f->FontName) && VShift == f->VShift &&
         Color == f->Color && BackColor == f->BackColor && Jump == f->Jump &&
         (!Jump || (HoverColor == f->HoverColor && HoverBackColor == f->HoverBackColor &&
                    JumpCursor == f->JumpCursor)) &&
         (ignoreNextStyleNo || NextStyleNo == f->NextStyleNo) && Protection == f->Protection &&
         Options == f->Options && CharScale == f->CharScale && CharSpacing == f->CharSpacing &&
         BiDiMode == f->BiDiMode;
}

bool TFontInfo::SameAsWithMap(const TCustomRVInfo& value, const TRVIntegerList& mapping) const {
  if (!SameAs(value, true)) return false;
  const int32_t next = static_cast<const TFontInfo&>(value).NextStyleNo;
  // A sheet style whose next style lies beyond what has been mapped so far cannot be
  // checked yet; it still counts as the same (and keeps its own reference).
  if (next < 0 || next >= mapping.Count()) return true;
  return mapping[next] == NextStyleNo;
}

int64_t TFontInfo::SimilarityScore(const TCustomRVInfo& value) const {
  const auto* f = dynamic_cast<const TFontInfo*>(&value);
  if (f == nullptr) return 0;
  int64_t score = RVIntegerSimilarity(f->Size, Size, 10000) + RVIntegerSimilarity(f->VShift, VShift, 1000) +
                  RVIntegerSimilarity(f->CharScale, CharScale, 300) +
                  RVIntegerSimilarity(f->CharSpacing, CharSpacing, 1000) +
                  RVColorSimilarity(f->Color, Color, 3333, 3000) +
                  RVColorSimilarity(f->BackColor, BackColor, 10000, 50000);
  if (BiDiMode == f->BiDiMode) score += 10000;
  if (SameText(FontName, f->FontName)) score += 10000;
  for (TFontStyle s : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
    if (Style.Contains(s) == f->Style.Contains(s)) score += 50000;
  for (TRVFontStyles bit : {rvfsOverline, rvfsAllCaps})
    if ((StyleEx & bit) == (f->StyleEx & bit)) score += 50000;
  const bool plain = Style.Empty() && StyleEx == 0;
  const bool otherPlain = f->Style.Empty() && f->StyleEx == 0;
  if (plain == otherPlain) score += 50000;
  if (Jump && f->Jump) {
    if (JumpCursor == f->JumpCursor) score += 5000;
    score += RVColorSimilarity(f->HoverColor, HoverColor, 3333, 3000) / 2;
    score += RVColorSimilarity(f->HoverBackColor, HoverBackColor, 10000, 50000) / 2;
  }
  if (Protection != f->Protection) score -= 100000;
  for (TRVTextOptions bit : {rvteoHTMLCode, rvteoRTFCode})
    if ((Options & bit) == (f->Options & bit)) score += 50000;
  if (Charset == f->Charset)
    score += 50000;
  else if (Charset == DEFAULT_CHARSET || f->Charset == DEFAULT_CHARSET)
    score += 12500;
  return score;
}

bool TFontInfo::IsEqual(const TFontInfo& value, TRVFontInfoProperties ignoreList) const {
  auto differs = [ignoreList](TRVFontInfoProperty property, bool equal) {
    return !Ignored(ignoreList, property) && !equal;
  };
  auto sameStyle = [&](TFontStyle s) { return Style.Contains(s) == value.Style.Contains(s); };
  if (differs(rvfiFontName, SameText(FontName, value.FontName)) || differs(rvfiSize, Size == value.Size) ||
      differs(rvfiCharset, Charset == value.Charset) || differs(rvfiUnicode, Unicode == value.Unicode) ||
      differs(rvfiBold, sameStyle(fsBold)) || differs(rvfiItalic, sameStyle(fsItalic)) ||
      differs(rvfiUnderline, sameStyle(fsUnderline)) || differs(rvfiStrikeOut, sameStyle(fsStrikeOut)) ||
      differs(rvfiOverline, (StyleEx & rvfsOverline) == (value.StyleEx & rvfsOverline)) ||
      differs(rvfiAllCaps, (StyleEx & rvfsAllCaps) == (value.StyleEx & rvfsAllCaps)) ||
      differs(rvfiVShift, VShift == value.VShift) || differs(rvfiColor, Color == value.Color) ||
      differs(rvfiBackColor, BackColor == value.BackColor) || differs(rvfiJump, Jump == value.Jump) ||
      differs(rvfiNextStyleNo, NextStyleNo == value.NextStyleNo) ||
      differs(rvfiProtection, Protection == value.Protection) ||
      differs(rvfiCharScale, CharScale == value.CharScale) ||
      differs(rvfiBaseStyleNo, BaseStyleNo == value.BaseStyleNo) ||
      differs(rvfiBiDiMode, BiDiMode == value.BiDiMode) ||
      differs(rvfiCharSpacing, CharSpacing == value.CharSpacing) ||
      differs(rvfiHTMLCode, (Options & rvteoHTMLCode) == (value.Options & rvteoHTMLCode)) ||
      differs(rvfiRTFCode, (Options & rvteoRTFCode) == (value.Options & rvteoRTFCode)))
    return false;
  if (Jump && (differs(rvfiHoverBackColor, HoverBackColor == value.HoverBackColor) ||
               differs(rvfiHoverColor, HoverColor == value.HoverColor) ||
               differs(rvfiJumpCursor, JumpCursor == value.JumpCursor)))
    return false;
  return true;
}

void TFontInfo::RemapReferences(const TRVIntegerList& mapping) {
  TCustomRVInfo::RemapReferences(mapping);
  if (NextStyleNo >= 0) NextStyleNo = NextStyleNo < mapping.Count() ? mapping[NextStyleNo] : -1;
}

// ---------------------------------------------------------------------------------------

TFontInfos::TFontInfos(TCollectionItemClass itemClass, TComponent* owner)
    : TCustomRVInfos(std::move(itemClass), owner) {}

TFontInfos::~TFontInfos() = default;

TFontInfo* TFontInfos::Items(int index) const {
  if (index >= 0 && index < Count()) return static_cast<TFontInfo*>(TCollection::Items(index));
  if (!invalidItem_) {
    auto substitute = std::make_unique<TFontInfo>();
    if (Count() > 0) substitute->Assign(TCollection::Items(0));
    substitute->BackColor = clRed;
    substitute->Color = clWhite;
    invalidItem_ = std::move(substitute);
  }
  return invalidItem_.get();
}

TFontInfo* TFontInfos::AddStyle() {
  return static_cast<TFontInfo*>(Add());
}

int TFontInfos::FindStyleWithCharset(int baseStyle, uint8_t charset) const {
  const TFontInfo& base = *Items(baseStyle);
  if (base.Charset == charset && !base.Unicode) return baseStyle;
  constexpr TRVFontInfoProperties ignore = (1u << rvfiCharset) | (1u << rvfiUnicode);
  for (int i = 0; i < Count(); ++i) {
    if (i == baseStyle) continue;
    const TFontInfo& style = *Items(i);
    if (style.Charset == charset && !style.Unicode && base.IsEqual(style, ignore)) return i;
  }
  return -1;
}

int TFontInfos::FindMostSimilar(const TCustomRVInfo& style) const {
  const auto* s = dynamic_cast<const TFontInfo*>(&style);
  if (s == nullptr) return TCustomRVInfos::FindMostSimilar(style);
  auto asFont = [](const TCustomRVInfo& c) -> const TFontInfo& { return static_cast<const TFontInfo&>(c); };
  int found = FindMostSimilarAmong(style, [&](const TCustomRVInfo& c) {
    return asFont(c).Jump == s->Jump && asFont(c).Unicode == s->Unicode;
  });
  if (found < 0)
    found = FindMostSimilarAmong(style, [&](const TCustomRVInfo& c) { return asFont(c).Jump == s->Jump; });
  if (found < 0)
    found =
        FindMostSimilarAmong(style, [&](const TCustomRVInfo& c) { return asFont(c).Unicode == s->Unicode; });
  if (found < 0) found = TCustomRVInfos::FindMostSimilar(style);
  return found;
}
