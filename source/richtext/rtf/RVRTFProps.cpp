// The builder's text, paragraph and picture side: choosing or adding styles, converting text
// to the chosen style's form, and placing items in the document being filled.
#include "richtext/rtf/RVRTFProps.h"

#include <algorithm>
#include <cmath>

#include "platform/core/CodePages.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/core/TypInfo.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Picture.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVGraphicFuncs.h"
#include "richtext/core/RVMapWht.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"
#include "richtext/rtf/RVRTFFuncs.h"
#include "richtext/rtf/RVRTFTableInfo.h"

namespace {

constexpr double kScreenPixelsPerInch = 96.0;

int vshiftClass(int32_t vshift) {
  return vshift == 0 ? 0 : vshift < 0 ? 1 : 2;
}

/// The wanted percentage of a multiple line spacing.
int32_t lineSpacingPercent(int32_t sl) {
  return std::max<int32_t>(100, static_cast<int32_t>(std::abs(int64_t{sl}) * 100 / 240));
}

/// The charset whose code page is `codePage`, or DEFAULT_CHARSET when no charset has it.
uint8_t charsetOfCodePage(uint32_t codePage) {
  const uint32_t wanted = ResolveCodePage(codePage);
  for (const uint8_t charset :
       {ANSI_CHARSET, EASTEUROPE_CHARSET, RUSSIAN_CHARSET, GREEK_CHARSET, TURKISH_CHARSET, HEBREW_CHARSET,
        ARABIC_CHARSET, BALTIC_CHARSET, VIETNAMESE_CHARSET, THAI_CHARSET, SHIFTJIS_CHARSET, HANGEUL_CHARSET,
        JOHAB_CHARSET, GB2312_CHARSET, CHINESEBIG5_CHARSET, MAC_CHARSET})
    if (ResolveCodePage(RVCodePageFromCharset(charset)) == wanted) return charset;
  return DEFAULT_CHARSET;
}

struct ConvertedBorder {
  TRVBorderStyle style = rvbNone;
  int32_t width = 0;
  int32_t inner = 0;
};

/// An RTF border style and width as the document's border style, width and inner width.
ConvertedBorder convertBorderSide(uint8_t s, int32_t w, double f, bool farSide) {
  ConvertedBorder b;
  const double wf = w * f;
  switch (s) {
    case 0:
      return b;
    case 2:
      b = {rvbSingle, RVRTFRound(wf * 2), 0};
      break;
    case 4:
    case 22:
      b.style = rvbDouble;
      b.width = RVRTFRound(wf);
      b.inner = 2 * b.width - 1;
      break;
    case 7:
      b = {rvbSingle, 1, 0};
      break;
    case 11:
      b.style = rvbTriple;
      b.width = RVRTFRound(wf);
      b.inner = 2 * b.width - 1;
      break;
    case 12:
    case 13:
      b.style = (s == 12) == farSide ? rvbThickInside : rvbThickOutside;
      b.width = RVRTFRound(wf / 2);
      b.inner = b.width + (b.width + 1) / 2;
      break;
    case 14:
      b.style = rvbTriple;
      b.width = RVRTFRound(wf / 3);
      b.inner = 2 * b.width - 1;
      break;
    case 15:
    case 16:
      b.style = (s == 15) == farSide ? rvbThickInside : rvbThickOutside;
      b.width = RVRTFRound(wf / 2);
      b.inner = 2 * b.width + (b.width + 1) / 2;
      break;
    case 17:
      b.style = rvbTriple;
      b.width = RVRTFRound(wf / 2);
      b.inner = 3 * b.width - 1;
      break;
    case 18:
    case 19:
      b.style = (s == 18) == farSide ? rvbThickInside : rvbThickOutside;
      b.width = 1;
      b.inner = RVRTFRound(wf) + 1;
      break;
    case 20:
      b = {rvbTriple, 1, RVRTFRound(wf)};
      break;
    default:
      b = {rvbSingle, RVRTFRound(wf), 0};
      break;
  }
  return b;
}

}  // namespace

// ---------------------------------------------------------------------------------------

TRVRTFReaderProperties::TRVRTFReaderProperties() = default;

const TPropertyList& TRVRTFReaderProperties::ClassProperties() {
  using T = TRVRTFReaderProperties;
  static const TPropertyList list =
      TPropertyBuilder<T>(TPersistent::ClassProperties())
          .Enum("UnicodeMode", &T::UnicodeMode, &T::UnicodeMode,
                {"rvruMixed", "rvruNoUnicode", "rvruOnlyUnicode"})
          .Default(rvruNoUnicode)
          .Enum("TextStyleMode", &T::TextStyleMode, &T::TextStyleMode,
                {"rvrsUseSpecified", "rvrsUseClosest", "rvrsAddIfNeeded"})
          .Default(rvrsUseClosest)
          .Enum("ParaStyleMode", &T::ParaStyleMode, &T::ParaStyleMode,
                {"rvrsUseSpecified", "rvrsUseClosest", "rvrsAddIfNeeded"})
          .Default(rvrsUseClosest)
          .Boolean("IgnorePictures", &T::IgnorePictures, &T::IgnorePictures)
          .Default(false)
          .Boolean("UseHypertextStyles", &T::UseHypertextStyles, &T::UseHypertextStyles)
          .Default(false)
          .Integer(
              "TextStyleNo", [](T& p) { return p.TextStyleNo(); },
              [](T& p, int32_t n) { p.SetTextStyleNo(n); })
          .Default(0)
          .Integer(
              "ParaStyleNo", [](T& p) { return p.ParaStyleNo(); },
              [](T& p, int32_t n) { p.SetParaStyleNo(n); })
          .Default(0)
          .Boolean("SkipHiddenText", &T::SkipHiddenText, &T::SkipHiddenText)
          .Default(true)
          .Boolean("AutoHideTableGridLines", &T::AutoHideTableGridLines, &T::AutoHideTableGridLines)
          .Default(false)
          .Boolean("LineBreaksAsParagraphs", &T::LineBreaksAsParagraphs, &T::LineBreaksAsParagraphs)
          .Default(false)
          .Enum("ConvertHighlight", &T::ConvertHighlight, &T::ConvertHighlight,
                {"rtfhlIgnore", "rtfhlFixedColors", "rtfhlColorTable"})
          .Default(rtfhlColorTable)
          .Build();
  return list;
}

TRVRTFReaderProperties::~TRVRTFReaderProperties() {
  FreeTables();
}

void TRVRTFReaderProperties::Assign(const TPersistent* Source) {
  const auto* source = dynamic_cast<const TRVRTFReaderProperties*>(Source);
  if (source == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  UnicodeMode = source->UnicodeMode;
  TextStyleMode = source->TextStyleMode;
  ParaStyleMode = source->ParaStyleMode;
  IgnorePictures = source->IgnorePictures;
  UseHypertextStyles = source->UseHypertextStyles;
  textStyleNo_ = source->textStyleNo_;
  paraStyleNo_ = source->paraStyleNo_;
}

void TRVRTFReaderProperties::SetTextStyleNo(int32_t Value) {
  if (Value < 0) throw Exception("Value must not be negative");
  textStyleNo_ = Value;
}

void TRVRTFReaderProperties::SetParaStyleNo(int32_t Value) {
  if (Value < 0) throw Exception("Value must not be negative");
  paraStyleNo_ = Value;
}

TRVRTFError TRVRTFReaderProperties::ReadFromStream(TStream& Stream, TCustomRVData* RVData, int& Index) {
  style_ = RVData != nullptr ? RVData->GetRVStyle() : nullptr;
  if (style_ == nullptr || style_->TextStyles().Count() == 0 || style_->ParaStyles().Count() == 0) {
    Index = -1;
    return rtf_ec_Exception;
  }
  target_ = current_ = RVData;
  insertIndex_ = std::clamp(Index, 0, RVData->GetItemCount());
  lastItem_ = -1;
  twipsToPixels_ = kScreenPixelsPerInch / 1440.0;
  pageBreakPending_ = false;
  failed_ = false;
  pnLists_.clear();
  listMap_.clear();
  listMapBuilt_ = false;
  restartedOverrides_.clear();
  pendingMarker_ = -1;
  rowCounter_ = cellCounter_ = 0;
  moving_ = false;

  TRVRTFReader reader;
  reader_ = &reader;
  reader.ConvertHighlight = static_cast<TRVRTFHighlightConvert>(ConvertHighlight);
  reader.BasePath = BasePath;
  reader.DefCodePage = RVData->GetDefaultCodePage();
  reader.OnUpdateMarker = [this](TRVRTFReader* r) { UpdateMarker(r); };
  reader.OnNewText = [this](TRVRTFReader* r, const std::string& text, TRVRTFPosition pos) {
    NewText(r, text, nullptr, pos);
  };
  reader.OnRequiredPageBreak = [this](TRVRTFReader*) {
    pageBreakPending_ = true;
    pageBreakData_ = current_;
  };
  reader.OnTable = [this](TRVRTFReader* r, TRVRTFTableEventKind kind) { Table(r, kind); };
  if (UnicodeMode != rvruNoUnicode)
    reader.OnNewUnicodeText = [this](TRVRTFReader* r, const std::u16string& text, TRVRTFPosition pos) {
      NewText(r, std::string(), &text, pos);
    };
  if (!IgnorePictures)
    reader.OnNewPicture = [this](TRVRTFReader* r, TRVRTFPicture* pic, std::unique_ptr<TGraphic> g,
                                 TRVRTFPosition pos) { NewPicture(r, pic, std::move(g), pos); };
  if (HeaderData != nullptr || FooterData != nullptr)
    reader.OnHeaderFooter = [this](TRVRTFReader* r, TRVRTFHeaderFooterType t, bool starting) {
      HeaderFooter(r, t, starting);
    };

  TRVRTFError result = reader.ReadFromStream(Stream);
  try {
    UpdateMarker(nullptr);
  } catch (...) {
    if (result == rtf_ec_OK) result = rtf_ec_Exception;
  }
  FreeTables();
  reader_ = nullptr;
  current_ = target_;
  Index = lastItem_;
  return result;
}

// ---- helpers --------------------------------------------------------------------------------

int32_t TRVRTFReaderProperties::ToPixels(int32_t Twips) const {
  return RVRTFRound(Twips * twipsToPixels_);
}

bool TRVRTFReaderProperties::StyleAllowed(int StyleNo, bool IsText) const {
  bool allowed = true;
  if (OnStyleFilter) OnStyleFilter(StyleNo, IsText, allowed);
  return allowed;
}

bool TRVRTFReaderProperties::HyperlinkField(std::string& Target, std::string& Extras) const {
  const std::string code = RVRTFTrim(reader_->State().FieldCode);
  if (code.rfind("HYPERLINK", 0) != 0) return false;
  Target.clear();
  Extras.clear();
  bool haveTarget = false;
  size_t i = 9;
  while (i < code.size()) {
    while (i < code.size() && code[i] == ' ') ++i;
    if (i >= code.size()) break;
    std::string word;
    if (code[i] == '"') {
      const size_t end = code.find('"', i + 1);
      word = code.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
      i = end == std::string::npos ? code.size() : end + 1;
    } else {
      const size_t end = code.find(' ', i);
      word = code.substr(i, end == std::string::npos ? std::string::npos : end - i);
      i = end == std::string::npos ? code.size() : end;
    }
    if (!word.empty() && word[0] == '\\') {
      if (!Extras.empty()) Extras += ' ';
      Extras += word;
    } else if (!haveTarget) {
      Target = word;
      haveTarget = true;
    } else {
      Extras += word;
    }
  }
  if (!BasePath.empty() && Target.find(':') == std::string::npos) Target = BasePath + Target;
  return true;
}

int32_t TRVRTFReaderProperties::ReaderMadeTextStyle() const {
  if (TextStyleMode == rvrsUseSpecified && textStyleNo_ < style_->TextStyles().Count()) return textStyleNo_;
  return 0;
}

int32_t TRVRTFReaderProperties::ReaderMadeParaStyle(uint8_t Alignment) {
  TParaInfos& paras = style_->ParaStyles();
  switch (ParaStyleMode) {
    case rvrsUseSpecified:
      return paraStyleNo_ < paras.Count() ? paraStyleNo_ : 0;
    case rvrsUseClosest:
      return 0;
    case rvrsAddIfNeeded:
      break;
  }
  TParaInfo wanted;
  wanted.Assign(paras.Items(0));
  wanted.Border().Style = rvbNone;
  wanted.Background().Color = clNone;
  wanted.FirstIndent = wanted.LeftIndent = wanted.RightIndent = 0;
  wanted.Alignment = static_cast<TRVAlignment>(Alignment);
  for (int i = 0; i < paras.Count(); ++i)
    if (paras[i].IsEqual(wanted, 0)) return i;
  TParaInfo* added = paras.AddStyle();
  added->Assign(&wanted);
  added->Standard = false;
  return paras.Count() - 1;
}

void TRVRTFReaderProperties::ConvertBorder(const TRVRTFParaBorder& Border, TRVBorder& Result) const {
  static constexpr int kOrder[] = {1, 0, 3, 2};  // top, left, bottom, right
  const TRVRTFBorderSide* side = nullptr;
  int sideIndex = 0;
  for (int i : kOrder)
    if ((side = Border.StyledSide(i)) != nullptr) {
      sideIndex = i;
      break;
    }
  if (side == nullptr) {
    Result.Style = rvbNone;
    return;
  }
  const ConvertedBorder b = convertBorderSide(side->Style, side->Width, twipsToPixels_, sideIndex >= 2);
  Result.Style = b.style;
  Result.Width = b.width;
  Result.InternalWidth = b.inner;
  Result.Color = side->Color == clNone ? rtfAutoColor : side->Color;
  Result.VisibleBorders().SetValues(Border.StyledSide(0) != nullptr, Border.StyledSide(1) != nullptr,
                                    Border.StyledSide(2) != nullptr, Border.StyledSide(3) != nullptr);
}

// ---- text styles ----------------------------------------------------------------------------

int32_t TRVRTFReaderProperties::FindTextStyle(bool Unicode, bool Hypertext) {
  TFontInfos& styles = style_->TextStyles();
  if (TextStyleMode == rvrsUseSpecified) return textStyleNo_ < styles.Count() ? textStyleNo_ : 0;

  const TRVRTFCharProperties& ch = reader_->State().Chars;
  const TRVRTFFont* font = reader_->CurrentFont();
  TFontInfo wanted;
  wanted.FontName = !ch.SymbolFontName.empty() ? ch.SymbolFontName
                    : font != nullptr          ? font->Name
                                               : wanted.FontName;
  wanted.Charset = font != nullptr ? font->Charset : DEFAULT_CHARSET;
  // 8-bit text keeps its bytes: its style needs the charset of the code page they are in.
  const uint32_t textCodePage = ResolveCodePage(reader_->TextCodePage());
  if (!Unicode && textCodePage != ResolveCodePage(RVCodePageFromCharset(wanted.Charset))) {
    const uint8_t charset = charsetOfCodePage(textCodePage);
    if (charset != DEFAULT_CHARSET) wanted.Charset = charset;
  }
  const std::string lowerSymbol = RVRTFLowerCase(ch.SymbolFontName);
  if (lowerSymbol == "symbol" || lowerSymbol == "wingdings") wanted.Charset = SYMBOL_CHARSET;
  wanted.Size = ch.VShift != rtfvsNormal ? RVRTFRound(ch.Size / 2.0) : ch.Size;
  wanted.Color = ch.Color;
  wanted.BackColor = ch.BackColor;
  wanted.Style = TFontStyles::FromBits(ch.StyleBits);
  wanted.StyleEx = (ch.StyleExBits & rtfStyleExAllCaps) ? rvfsAllCaps : 0;
  wanted.CharScale = ch.CharScale;
  wanted.CharSpacing = ToPixels(ch.CharSpacing);
  wanted.VShift = ch.VShift == rtfvsSubscript ? -25 : ch.VShift == rtfvsSuperscript ? 45 : 0;
  wanted.Jump = Hypertext;
  wanted.Unicode = Unicode;
  const std::string wantedName = RVRTFLowerCase(wanted.FontName);

  auto qualifies = [&](const TFontInfo& s) {
    if (Hypertext) return s.Jump;
    return !s.Jump || UseHypertextStyles;
  };

  if (TextStyleMode == rvrsAddIfNeeded) {
    for (int i = 0; i < styles.Count(); ++i) {
      const TFontInfo& s = styles[i];
      if (!qualifies(s) || s.Unicode != Unicode) continue;
      if (RVRTFLowerCase(s.FontName) == wantedName && s.Size == wanted.Size && s.Color == wanted.Color &&
          s.BackColor == wanted.BackColor && s.Style == wanted.Style && s.StyleEx == wanted.StyleEx &&
          s.CharScale == wanted.CharScale && s.CharSpacing == wanted.CharSpacing &&
          vshiftClass(s.VShift) == vshiftClass(wanted.VShift) &&
          (s.Charset == wanted.Charset || s.Charset == DEFAULT_CHARSET) && (s.StyleEx & ~rvfsAllCaps) == 0)
        return i;
    }
    TFontInfo* added = styles.AddStyle();
    added->Assign(&wanted);
    return styles.Count() - 1;
  }

  int32_t best = 0;
  int64_t bestScore = 0;
  for (int i = 0; i < styles.Count(); ++i) {
    const TFontInfo& s = styles[i];
    if (!StyleAllowed(i, true) || s.Unicode != Unicode || !qualifies(s)) continue;
    int64_t score = 0;
    if (RVRTFLowerCase(s.FontName) == wantedName) score += 10000;
    if (s.Charset == wanted.Charset)
      score += 50000;
    else if (s.Charset == DEFAULT_CHARSET || wanted.Charset == DEFAULT_CHARSET)
      score += 12500;
    score += RVIntegerSimilarity(wanted.Size, s.Size, 10000);
    // Compared with the wanted colour: coloured text should find a style of its colour.
    score += RVColorSimilarity(s.Color, wanted.Color, 3333, 3000);
    score += RVColorSimilarity(s.BackColor, wanted.BackColor, 10000, 50000);
    if ((s.StyleEx & rvfsAllCaps) == (wanted.StyleEx & rvfsAllCaps)) score += 50000;
    for (TFontStyle fs : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
      if (s.Style.Contains(fs) == wanted.Style.Contains(fs)) score += 50000;
    if (s.Style.Empty() == wanted.Style.Empty()) score += 50000;
    score += std::lround(300.0 * (1.0 - std::abs(s.CharScale - wanted.CharScale) / 100.0));
    score += RVIntegerSimilarity(wanted.CharSpacing, s.CharSpacing, 10000);
    if (vshiftClass(s.VShift) == vshiftClass(wanted.VShift)) score += 50000;
    if ((s.StyleEx & ~rvfsAllCaps) != 0) score /= 4;
    if (score > bestScore) {
      bestScore = score;
      best = i;
    }
  }
  return best;
}

// ---- paragraph styles -----------------------------------------------------------------------

int32_t TRVRTFReaderProperties::FindParaStyle() {
  TParaInfos& paras = style_->ParaStyles();
  if (ParaStyleMode == rvrsUseSpecified) return paraStyleNo_ < paras.Count() ? paraStyleNo_ : 0;

  const TRVRTFParaProperties& p = reader_->State().Para;
  const int32_t first = ToPixels(p.FirstIndent), left = ToPixels(p.LeftIndent),
                right = ToPixels(p.RightIndent), before = ToPixels(p.SpaceBefore),
                after = ToPixels(p.SpaceAfter);
  const bool multiple = p.LineSpacingMulti != 0;
  const int32_t percent = lineSpacingPercent(p.LineSpacing);
  const bool hasBorder = p.Border && p.Border->HasStyledSide();
  TRVBorder border;
  if (hasBorder) ConvertBorder(*p.Border, border);

  if (ParaStyleMode == rvrsAddIfNeeded) {
    for (int i = 0; i < paras.Count(); ++i) {
      const TParaInfo& s = paras[i];
      const int32_t bw = s.Border().GetTotalWidth();
      if (s.Alignment != p.Alignment || left + bw != s.LeftIndent || right + bw != s.RightIndent ||
          before + bw != s.SpaceBefore || after + bw != s.SpaceAfter || first != s.FirstIndent ||
          s.Background().Color != p.BackColor)
        continue;
      if (multiple) {
        if (s.LineSpacingType != rvlsSpaceBetween) {
          if (!(s.LineSpacing == percent || (s.LineSpacing < 100 && percent < 100))) continue;
        } else if (!(s.LineSpacing < 2 && percent <= 100)) {
          continue;
        }
      }
      if (hasBorder) {
        const TRVBorder& b = s.Border();
        if (b.Style != border.Style || b.Width != border.Width || b.InternalWidth != border.InternalWidth ||
            b.Color != border.Color || !b.VisibleBorders().IsEqual(border.VisibleBorders()))
          continue;
      } else if (s.Border().Style != rvbNone) {
        continue;
      }
      return i;
    }
    TParaInfo* added = paras.AddStyle();
    added->Standard = false;
    added->Alignment = static_cast<TRVAlignment>(p.Alignment);
    const int32_t bw = hasBorder ? border.GetTotalWidth() : 0;
    added->FirstIndent = first;
    added->LeftIndent = left + bw;
    added->RightIndent = right + bw;
    added->SpaceBefore = before + bw;
    added->SpaceAfter = after + bw;
    if (multiple) {
      added->LineSpacingType = rvlsPercent;
      added->LineSpacing = percent;
    }
    added->Background().Color = p.BackColor;
    if (hasBorder) added->SetBorder(border);
    return paras.Count() - 1;
  }

  int32_t best = 0;
  int64_t bestScore = std::numeric_limits<int64_t>::min();
  for (int i = 0; i < paras.Count(); ++i) {
    if (!StyleAllowed(i, false)) continue;
    const TParaInfo& s = paras[i];
    const int32_t bw = s.Border().GetTotalWidth();
    int64_t score = 0;
    if (s.Alignment == p.Alignment) score += 50000;
    score += RVIntegerSimilarity(first, s.FirstIndent, 1000);
    score += RVIntegerSimilarity(left + bw, s.LeftIndent, 1000);
    score += RVIntegerSimilarity(right + bw, s.RightIndent, 1000);
    score += RVIntegerSimilarity(before + bw, s.SpaceBefore, 1000);
    score += RVIntegerSimilarity(after + bw, s.SpaceAfter, 1000);
    score += RVColorSimilarity(s.Background().Color, p.BackColor, 10000, 50000);
    if (multiple) {
      if (s.LineSpacingType != rvlsSpaceBetween)
        score += RVIntegerSimilarity(percent, std::max<int32_t>(s.LineSpacing, 100), 5000);
      else if (s.LineSpacing >= 2)
        score -= 20000;
      else if (percent <= 100)
        score += 5000;
    }
    for (int side = 0; side < 4; ++side) {
      const bool rtfHas = hasBorder && p.Border->StyledSide(side) != nullptr;
      const TRVBooleanRect& vis = s.Border().VisibleBorders();
      const bool styleHas = s.Border().Style != rvbNone && (side == 0   ? vis.Left
                                                            : side == 1 ? vis.Top
                                                            : side == 2 ? vis.Right
                                                                        : vis.Bottom);
      if (rtfHas && styleHas) {
        score += 5000 + RVIntegerSimilarity(border.Width, s.Border().Width, 1000) +
                 RVIntegerSimilarity(border.InternalWidth, s.Border().InternalWidth, 1000) +
                 RVColorSimilarity(s.Border().Color, border.Color, 3333, 3000);
        if (s.Border().Style == border.Style) score += 1000;
      } else if (!rtfHas && !styleHas) {
        score += 20000;
      }
    }
    if (score > bestScore) {
      bestScore = score;
      best = i;
    }
  }
  return best;
}

// ---- items ----------------------------------------------------------------------------------

bool TRVRTFReaderProperties::InsertItem(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item,
                                        TRVRTFPosition Position) {
  TCustomRVData* data = current_;
  const bool ownLine = Item->StyleNo == rvsListMarker || Item->StyleNo == rvsTable;
  if (Position == rtf_ts_NewLine && LineBreaksAsParagraphs) Position = rtf_ts_NewPara;
  if (Position == rtf_ts_NewPara && !ownLine) {
    if (!moving_ && InsertMarkerIfNeeded(Item->ParaNo))
      Position = rtf_ts_ContinuePara;
    else if (!data->AllowNewParagraphs)
      Position = rtf_ts_NewLine;
  }
  int index = data == target_ ? insertIndex_ : data->GetItemCount();
  TCustomRVItemInfo* prev = index > 0 ? data->GetItem(index - 1) : nullptr;
  if (ownLine || !TCustomRVItemInfo::ContinuesParagraph(prev, -1)) Position = rtf_ts_NewPara;
  Item->ItemOptions &= ~(rvioJoinsPrevious | rvioLineBreak | rvioPageBreak);
  if (Position == rtf_ts_ContinuePara) {
    Item->ParaNo = prev->ParaNo;
    Item->SetSameAsPrev(true);
  } else if (Position == rtf_ts_NewLine) {
    Item->ParaNo = prev->ParaNo;
    Item->SetBR(true);
  }
  if (pageBreakPending_ && pageBreakData_ == data && Position == rtf_ts_NewPara) {
    Item->SetPageBreakBefore(true);
    pageBreakPending_ = false;
  }
  bool fullReformat = false;
  int newListNo = -1;
  if (!data->InsertItemObject(index, std::move(Text), std::move(Item), fullReformat, newListNo)) {
    failed_ = true;
    throw Exception("The document refused an item");
  }
  if (data == target_) {
    lastItem_ = index;
    insertIndex_ = index + 1;
  }
  return true;
}

void TRVRTFReaderProperties::NewText(TRVRTFReader* Reader, const std::string& Text,
                                     const std::u16string* TextW, TRVRTFPosition Position) {
  if (SkipHiddenText && Reader->State().Chars.Hidden) return;
  // An empty run inside a paragraph carries nothing (the reader sends one where hidden text
  // begins).
  if (Position == rtf_ts_ContinuePara && Text.empty() && (TextW == nullptr || TextW->empty())) {
    const int index = current_ == target_ ? insertIndex_ : current_->GetItemCount();
    if (index > 0 && TCustomRVItemInfo::ContinuesParagraph(current_->GetItem(index - 1), -1)) return;
  }
  const bool unicode = UnicodeMode == rvruOnlyUnicode || (TextW != nullptr && UnicodeMode == rvruMixed);
  const bool hypertext = Reader->State().FieldCode.find("HYPERLINK") != std::string::npos;
  TRVItemStyleNo styleNo = FindTextStyle(unicode, hypertext);
  int32_t paraNo = Position == rtf_ts_NewPara ? FindParaStyle() : 0;

  const bool unicodeStyle = style_->TextStyles()[styleNo].Unicode;
  std::string text;
  if (unicodeStyle) {
    if (TextW != nullptr) {
      text = RVWideStringToBytes(*TextW);
    } else {
      text = RVWideStringToBytes(Reader->AnsiToUnicode(Text, Reader->TextCodePage()));
    }
  } else if (TextW != nullptr) {
    text = Reader->UnicodeToAnsi(*TextW, current_->GetStyleCodePage(styleNo));
  } else if (charsetOfCodePage(Reader->TextCodePage()) == DEFAULT_CHARSET &&
             ResolveCodePage(Reader->TextCodePage()) !=
                 ResolveCodePage(current_->GetStyleCodePage(styleNo))) {
    // A code page no charset names (the DOS pages): the text goes into the style's page.
    text = Reader->UnicodeToAnsi(Reader->AnsiToUnicode(Text, Reader->TextCodePage()),
                                 current_->GetStyleCodePage(styleNo));
  } else {
    text = Text;
  }
  if (text.find('\t') != std::string::npos) text = current_->ExpandTabs(text, styleNo, unicodeStyle);

  TRVTag tag;
  std::string target, extras;
  if (HyperlinkField(target, extras)) {
    TRVItemStyleNo linked = styleNo;
    current_->ReadHyperlink(target, extras, text, tag, linked, 2);
    if (linked >= 0 && linked < style_->TextStyles().Count() &&
        style_->TextStyles()[linked].Unicode == unicodeStyle)
      styleNo = linked;
  }
  std::unique_ptr<TCustomRVItemInfo> item = RVCreateItemByStyleNo(styleNo, current_);
  item->ParaNo = paraNo;
  item->Tag = tag;
  if (unicodeStyle) item->ItemOptions |= rvioTwoByteText;
  InsertItem(std::move(text), std::move(item), Position);
}

void TRVRTFReaderProperties::NewPicture(TRVRTFReader* Reader, TRVRTFPicture* Picture,
                                        std::unique_ptr<TGraphic> Graphic, TRVRTFPosition Position) {
  const bool decoded = Graphic && !Graphic->Empty();
  if (!decoded) {
    TGraphic* invalid = style_->InvalidPicture().Graphic();
    Graphic = invalid != nullptr ? RVCreateGraphic(invalid->ClassName()) : nullptr;
    if (!Graphic) return;
    Graphic->Assign(invalid);
  }
  std::string target, extras;
  const bool hyperlink = HyperlinkField(target, extras);
  TRVItemStyleNo styleNo = hyperlink ? rvsHotPicture : rvsPicture;
  TRVTag tag;
  std::string name;
  if (hyperlink) current_->ReadHyperlink(target, extras, name, tag, styleNo, 2);
  std::unique_ptr<TRVGraphicItemInfo> item;
  if (styleNo == rvsHotPicture)
    item = TRVHotGraphicItemInfo::CreateWithPicture(current_, std::move(Graphic), 0);
  else
    item = TRVGraphicItemInfo::CreateWithPicture(current_, std::move(Graphic), 0);
  if (Picture != nullptr) {
    // The size the file asks for ("picwgoal", a metafile's extent) holds for every picture read;
    // a replacement for one that could not be read keeps its own size unless it stands for a
    // metafile.
    const bool metafile = Picture->Kind == rtfpkMetafile || Picture->Kind == rtfpkEMF;
    const bool showSize = decoded || metafile;
    int32_t w = showSize && Picture->ShowWidth > 0 ? Picture->ShowWidth : item->Image->Width();
    int32_t h = showSize && Picture->ShowHeight > 0 ? Picture->ShowHeight : item->Image->Height();
    if (Picture->ScaleX != 100) w = RVRTFRound(w * Picture->ScaleX / 100.0);
    if (Picture->ScaleY != 100) h = RVRTFRound(h * Picture->ScaleY / 100.0);
    if (w != item->Image->Width() || h != item->Image->Height()) {
      item->ImageWidth = std::max(w, 1);
      item->ImageHeight = std::max(h, 1);
    }
  }
  item->Tag = tag;
  item->ParaNo = Position == rtf_ts_NewPara ? FindParaStyle() : 0;
  (void)Reader;
  InsertItem(std::move(name), std::move(item), Position);
}

void TRVRTFReaderProperties::HeaderFooter(TRVRTFReader* Reader, TRVRTFHeaderFooterType HFType,
                                          bool Starting) {
  TCustomRVData* doc = HFType == rtf_hf_Header ? HeaderData : HFType == rtf_hf_Footer ? FooterData : nullptr;
  if (doc == nullptr) return;
  if (!Starting) {
    current_ = target_;
    return;
  }
  doc->Clear();
  current_ = doc;
  const auto& section = Reader->State().Section;
  const int32_t twips = HFType == rtf_hf_Header ? section.HeaderY : section.FooterY;
  (HFType == rtf_hf_Header ? HeaderY : FooterY) = RVRTFRound(twips * 127.0 / 7200.0);
}

// ---------------------------------------------------------------------------------------

void RVRegisterRTFReader() {
  RVRegisterRTFReaderPropertiesFactory([] { return std::make_unique<TRVRTFReaderProperties>(); });
}
