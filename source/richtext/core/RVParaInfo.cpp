#include "richtext/core/RVParaInfo.h"

#include <vector>

#include "platform/core/SysUtils.h"
#include "platform/core/TypInfo.h"
#include "platform/graphics/Canvas.h"
#include "richtext/core/RVMapWht.h"

namespace {

const std::vector<std::string> kBorderStyleNames = {"rvbNone",   "rvbSingle",      "rvbDouble",
                                                    "rvbTriple", "rvbThickInside", "rvbThickOutside"};
const std::vector<std::string> kAlignmentNames = {"rvaLeft", "rvaRight", "rvaCenter", "rvaJustify"};
const std::vector<std::string> kLineSpacingTypeNames = {"rvlsPercent", "rvlsSpaceBetween"};
const std::vector<std::string> kParaOptionNames = {"rvpaoNoWrap", "rvpaoReadOnly", "rvpaoStyleProtect",
                                                   "rvpaoDoNotWantReturns"};
const std::vector<std::string> kBiDiModeNames = {"rvbdUnspecified", "rvbdLeftToRight", "rvbdRightToLeft"};

bool Ignored(TRVParaInfoProperties ignoreList, TRVParaInfoProperty property) {
  return (ignoreList >> property) & 1u;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TRVRect

const TPropertyList& TRVRect::ClassProperties() {
  using T = TRVRect;
  static const TPropertyList list = TPropertyBuilder<T>(TPersistent::ClassProperties())
                                        .Integer("Left", &T::Left, &T::Left)
                                        .Default(0)
                                        .Integer("Right", &T::Right, &T::Right)
                                        .Default(0)
                                        .Integer("Top", &T::Top, &T::Top)
                                        .Default(0)
                                        .Integer("Bottom", &T::Bottom, &T::Bottom)
                                        .Default(0)
                                        .Build();
  return list;
}

void TRVRect::Assign(const TPersistent* source) {
  if (const auto* r = dynamic_cast<const TRVRect*>(source)) {
    Top = r->Top;
    Left = r->Left;
    Right = r->Right;
    Bottom = r->Bottom;
    return;
  }
  TPersistent::Assign(source);
}

void TRVRect::SetAll(int32_t value) {
  Top = Left = Right = Bottom = value;
}

void TRVRect::AssignToRect(TRect& rect) const {
  rect = TRect{Left, Top, Right, Bottom};
}

void TRVRect::AssignToRectIfGreater(TRect& rect) const {
  if (rect.Left < Left) rect.Left = Left;
  if (rect.Top < Top) rect.Top = Top;
  if (rect.Right < Right) rect.Right = Right;
  if (rect.Bottom < Bottom) rect.Bottom = Bottom;
}

void TRVRect::InflateRect(TRect& rect) const {
  rect.Left -= Left;
  rect.Top -= Top;
  rect.Right += Right;
  rect.Bottom += Bottom;
}

void TRVRect::InflateRectScaled(TRect& rect, const TRVFormatScale& resolution) const {
  rect.Left -= RVScreenToDeviceX(Left, resolution);
  rect.Top -= RVScreenToDeviceY(Top, resolution);
  rect.Right += RVScreenToDeviceX(Right, resolution);
  rect.Bottom += RVScreenToDeviceY(Bottom, resolution);
}

bool TRVRect::IsEqual(const TRVRect& value) const {
  return Left == value.Left && Top == value.Top && Right == value.Right && Bottom == value.Bottom;
}

bool TRVRect::IsEqualEx(const TRVRect& value, bool ignoreLeft, bool ignoreTop, bool ignoreRight,
                        bool ignoreBottom) const {
  return (ignoreLeft || Left == value.Left) && (ignoreTop || Top == value.Top) &&
         (ignoreRight || Right == value.Right) && (ignoreBottom || Bottom == value.Bottom);
}

int64_t TRVRect::SimilarityValue(const TRVRect& value, int32_t weight) const {
  return RVIntegerSimilarity(Left, value.Left, weight) + RVIntegerSimilarity(Top, value.Top, weight) +
         RVIntegerSimilarity(Right, value.Right, weight) + RVIntegerSimilarity(Bottom, value.Bottom, weight);
}

// ---------------------------------------------------------------------------------------
// TRVBooleanRect

TRVBooleanRect::TRVBooleanRect(bool value) {
  SetAll(value);
}

const TPropertyList& TRVBooleanRect::ClassProperties() {
  using T = TRVBooleanRect;
  static const TPropertyList list = TPropertyBuilder<T>(TPersistent::ClassProperties())
                                        .Boolean("Left", &T::Left, &T::Left)
                                        .Default(true)
                                        .Boolean("Right", &T::Right, &T::Right)
                                        .Default(true)
                                        .Boolean("Top", &T::Top, &T::Top)
                                        .Default(true)
                                        .Boolean("Bottom", &T::Bottom, &T::Bottom)
                                        .Default(true)
                                        .Build();
  return list;
}

void TRVBooleanRect::Assign(const TPersistent* source) {
  if (const auto* r = dynamic_cast<const TRVBooleanRect*>(source)) {
    SetValues(r->Left, r->Top, r->Right, r->Bottom);
    return;
  }
  TPersistent::Assign(source);
}

void TRVBooleanRect::SetAll(bool value) {
  Top = Left = Right = Bottom = value;
}

void TRVBooleanRect::SetValues(bool left, bool top, bool right, bool bottom) {
  Left = left;
  Top = top;
  Right = right;
  Bottom = bottom;
}

bool TRVBooleanRect::IsEqual(const TRVBooleanRect& value) const {
  return IsEqualTo(value.Left, value.Top, value.Right, value.Bottom);
}

bool TRVBooleanRect::IsEqualTo(bool left, bool top, bool right, bool bottom) const {
  return Left == left && Top == top && Right == right && Bottom == bottom;
}

bool TRVBooleanRect::IsAllEqual(bool value) const {
  return IsEqualTo(value, value, value, value);
}

bool TRVBooleanRect::IsEqualEx(const TRVBooleanRect& value, bool ignoreLeft, bool ignoreTop, bool ignoreRight,
                               bool ignoreBottom) const {
  return (ignoreLeft || Left == value.Left) && (ignoreTop || Top == value.Top) &&
         (ignoreRight || Right == value.Right) && (ignoreBottom || Bottom == value.Bottom);
}

// ---------------------------------------------------------------------------------------
// TRVBorder

TRVBorder::TRVBorder()
    : visibleBorders_(std::make_unique<TRVBooleanRect>(true)), borderOffsets_(std::make_unique<TRVRect>()) {}

TRVBorder::~TRVBorder() = default;

const TPropertyList& TRVBorder::ClassProperties() {
  using T = TRVBorder;
  static const TPropertyList list =
      TPropertyBuilder<T>(TPersistent::ClassProperties())
          .Integer("Width", &T::Width, &T::Width)
          .Default(1)
          .Integer("InternalWidth", &T::InternalWidth, &T::InternalWidth)
          .Default(1)
          .Color("Color", &T::Color, &T::Color)
          .Default(clWindowText)
          .Enum("Style", &T::Style, &T::Style, kBorderStyleNames)
          .Default(rvbNone)
          .Object("VisibleBorders", [](T& b) -> TRVBooleanRect* { return &b.VisibleBorders(); })
          .Object("BorderOffsets", [](T& b) -> TRVRect* { return &b.BorderOffsets(); })
          .Build();
  return list;
}

void TRVBorder::Assign(const TPersistent* source) {
  if (const auto* b = dynamic_cast<const TRVBorder*>(source)) {
    Color = b->Color;
    Style = b->Style;
    Width = b->Width;
    InternalWidth = b->InternalWidth;
    visibleBorders_->Assign(b->visibleBorders_.get());
    borderOffsets_->Assign(b->borderOffsets_.get());
    return;
  }
  TPersistent::Assign(source);
}

void TRVBorder::Draw(TRect rect, TCanvas& canvas) const {
  if (Style == rvbNone) return;
  borderOffsets_->InflateRect(rect);
  DoDraw(rect, canvas, Width, InternalWidth, 1, 0);
}

void TRVBorder::DrawScaled(TRect rect, TCanvas& canvas, TRVColorMode colorMode,
                           const TRVFormatScale& resolution) const {
  if (Style == rvbNone) return;
  borderOffsets_->InflateRectScaled(rect, resolution);
  DoDraw(rect, canvas, RVScreenToDeviceY(Width, resolution), RVScreenToDeviceY(InternalWidth, resolution),
         RVScreenToDeviceY(1, resolution), colorMode);
}

void TRVBorder::DoDraw(TRect rect, TCanvas& canvas, int32_t width, int32_t internalWidth, int32_t onePixel,
                       TRVColorMode colorMode) const {
  TColor color = Color;
  switch (colorMode) {
    case 0:
      break;
    case 1:
      color = RVSystemColorForPrinting(Color);
      break;
    case 2:
      color = RVColorToGray(RVSystemColorForPrinting(Color));
      break;
    default:
      color = clBlack;
      break;
  }
  TPen& pen = canvas.Pen();
  pen.SetStyle(psInsideFrame);
  pen.SetColor(color);

  int passes = 1;
  switch (Style) {
    case rvbDouble:
    case rvbThickInside:
    case rvbThickOutside:
      passes = 2;
      break;
    case rvbTriple:
      passes = 3;
      break;
    default:
      break;
  }
  const TRVBooleanRect& visible = *visibleBorders_;
  auto side = [&canvas](int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
    canvas.LineTo(x1, y1);
  };
  for (int pass = passes; pass >= 1; --pass) {
    const bool thick = (Style == rvbThickOutside && pass == 1) || (Style == rvbThickInside && pass == 2);
    pen.SetWidth(thick ? 2 * width : width);
    if (visible.Top) side(rect.Left, rect.Top, rect.Right, rect.Top);
    if (visible.Right) side(rect.Right, rect.Top, rect.Right, rect.Bottom);
    if (visible.Bottom) side(rect.Right, rect.Bottom, rect.Left, rect.Bottom);
    if (visible.Left) side(rect.Left, rect.Bottom, rect.Left, rect.Top);
    const int32_t grow = internalWidth + onePixel;
    rect.Left -= grow;
    rect.Top -= grow;
    rect.Right += grow;
    rect.Bottom += grow;
    if (width == 1 && Style == rvbThickOutside) {
      rect.Right += onePixel;
      rect.Bottom += onePixel;
    } else if (width == 1 && Style == rvbThickInside) {
      rect.Left -= onePixel;
      rect.Top -= onePixel;
    }
  }
  pen.SetWidth(1);
}

int32_t TRVBorder::GetTotalWidth() const {
  switch (Style) {
    case rvbSingle:
      return Width;
    case rvbDouble:
      return 2 * Width + InternalWidth;
    case rvbTriple:
      return 3 * Width + 2 * InternalWidth;
    case rvbThickInside:
    case rvbThickOutside:
      return 3 * Width + InternalWidth;
    default:
      return 0;
  }
}

bool TRVBorder::IsEqual(const TRVBorder& value) const {
  return IsEqualEx(value, 0);
}

bool TRVBorder::IsEqualEx(const TRVBorder& value, TRVParaInfoProperties ignoreList) const {
  auto same = [ignoreList](TRVParaInfoProperty p, bool equal) { return Ignored(ignoreList, p) || equal; };
  return same(rvpiBorder_Color, Color == value.Color) && same(rvpiBorder_Style, Style == value.Style) &&
         same(rvpiBorder_Width, Width == value.Width) &&
         same(rvpiBorder_InternalWidth, InternalWidth == value.InternalWidth) &&
         borderOffsets_->IsEqualEx(*value.borderOffsets_, Ignored(ignoreList, rvpiBorder_BO_Left),
                                   Ignored(ignoreList, rvpiBorder_BO_Top),
                                   Ignored(ignoreList, rvpiBorder_BO_Right),
                                   Ignored(ignoreList, rvpiBorder_BO_Bottom)) &&
         visibleBorders_->IsEqualEx(*value.visibleBorders_, Ignored(ignoreList, rvpiBorder_Vis_Left),
                                    Ignored(ignoreList, rvpiBorder_Vis_Top),
                                    Ignored(ignoreList, rvpiBorder_Vis_Right),
                                    Ignored(ignoreList, rvpiBorder_Vis_Bottom));
}

int64_t TRVBorder::SimilarityValue(const TRVBorder& value) const {
  const TRVBooleanRect& mine = *visibleBorders_;
  const TRVBooleanRect& theirs = *value.visibleBorders_;
  const bool drawn = Style != rvbNone;
  const bool otherDrawn = value.Style != rvbNone;
  const bool sides[4][2] = {{drawn && mine.Left, otherDrawn && theirs.Left},
                            {drawn && mine.Top, otherDrawn && theirs.Top},
                            {drawn && mine.Right, otherDrawn && theirs.Right},
                            {drawn && mine.Bottom, otherDrawn && theirs.Bottom}};
  const int32_t offsets[4][2] = {{borderOffsets_->Left, value.borderOffsets_->Left},
                                 {borderOffsets_->Top, value.borderOffsets_->Top},
                                 {borderOffsets_->Right, value.borderOffsets_->Right},
                                 {borderOffsets_->Bottom, value.borderOffsets_->Bottom}};
  int both = 0;
  for (const auto& s : sides)
    if (s[0] && s[1]) ++both;
  int64_t score = 0;
  if (both > 0) {
    int64_t lineScore = RVColorSimilarity(Color, value.Color, 3333, 3000) +
                        RVIntegerSimilarity(Width, value.Width, 1000) +
                        RVIntegerSimilarity(InternalWidth, value.InternalWidth, 1000);
    if (Style == value.Style) lineScore += 1000;
    score = lineScore * both;
  }
  for (int i = 0; i < 4; ++i) {
    if (!sides[i][0] && !sides[i][1])
      score += 20000;
    else if (sides[i][0] != sides[i][1])
      score -= 20000;
    else
      score += RVIntegerSimilarity(offsets[i][0], offsets[i][1], 100);
  }
  return score;
}

// ---------------------------------------------------------------------------------------
// TRVBackgroundRect

TRVBackgroundRect::TRVBackgroundRect() : borderOffsets_(std::make_unique<TRVRect>()) {}

TRVBackgroundRect::~TRVBackgroundRect() = default;

const TPropertyList& TRVBackgroundRect::ClassProperties() {
  using T = TRVBackgroundRect;
  static const TPropertyList list =
      TPropertyBuilder<T>(TPersistent::ClassProperties())
          .Color("Color", &T::Color, &T::Color)
          .Default(clNone)
          .Object("BorderOffsets", [](T& b) -> TRVRect* { return &b.BorderOffsets(); })
          .Build();
  return list;
}

void TRVBackgroundRect::Assign(const TPersistent* source) {
  if (const auto* b = dynamic_cast<const TRVBackgroundRect*>(source)) {
    Color = b->Color;
    borderOffsets_->Assign(b->borderOffsets_.get());
    return;
  }
  TPersistent::Assign(source);
}

void TRVBackgroundRect::Draw(TRect rect, TCanvas& canvas, bool printing, TRVColorMode colorMode) const {
  if (Color == clNone || (printing && colorMode >= 3)) return;
  TColor color = RVSystemColorForPrinting(Color);
  if (colorMode == 2) color = RVColorToGray(color);
  canvas.Brush().SetColor(color);
  canvas.Brush().SetStyle(bsSolid);
  canvas.Pen().SetStyle(psClear);
  // A rectangle without an outline leaves out its right and bottom edges: one pixel more
  // on each makes it cover the whole area.
  canvas.Rectangle(rect.Left, rect.Top, rect.Right + 1, rect.Bottom + 1);
  canvas.Pen().SetStyle(psSolid);
  canvas.Brush().SetStyle(bsClear);
}

bool TRVBackgroundRect::IsEqual(const TRVBackgroundRect& value) const {
  return IsEqualEx(value, 0);
}

bool TRVBackgroundRect::IsEqualEx(const TRVBackgroundRect& value, TRVParaInfoProperties ignoreList) const {
  return (Ignored(ignoreList, rvpiBackground_Color) || Color == value.Color) &&
         borderOffsets_->IsEqualEx(*value.borderOffsets_, Ignored(ignoreList, rvpiBackground_BO_Left),
                                   Ignored(ignoreList, rvpiBackground_BO_Top),
                                   Ignored(ignoreList, rvpiBackground_BO_Right),
                                   Ignored(ignoreList, rvpiBackground_BO_Bottom));
}

int64_t TRVBackgroundRect::SimilarityValue(const TRVBackgroundRect& value) const {
  return RVColorSimilarity(Color, value.Color, 10000, 50000) +
         borderOffsets_->SimilarityValue(*value.borderOffsets_, 100);
}

// ---------------------------------------------------------------------------------------
// TParaInfo

TParaInfo::TParaInfo()
    : border_(std::make_unique<TRVBorder>()), background_(std::make_unique<TRVBackgroundRect>()) {
  StyleName = "Paragraph Style";
}

TParaInfo::~TParaInfo() = default;

const TPropertyList& TParaInfo::ClassProperties() {
  using T = TParaInfo;
  static const TPropertyList list =
      TPropertyBuilder<T>(TCustomRVInfo::ClassProperties())
          .Integer("FirstIndent", &T::FirstIndent, &T::FirstIndent)
          .Default(0)
          .Integer("LeftIndent", &T::LeftIndent, &T::LeftIndent)
          .Default(0)
          .Integer("RightIndent", &T::RightIndent, &T::RightIndent)
          .Default(0)
          .Integer("SpaceBefore", &T::SpaceBefore, &T::SpaceBefore)
          .Default(0)
          .Integer("SpaceAfter", &T::SpaceAfter, &T::SpaceAfter)
          .Default(0)
          .Enum("Alignment", &T::Alignment, &T::Alignment, kAlignmentNames)
          .Default(rvaLeft)
          .Object("Border", [](T& p) -> TRVBorder* { return &p.Border(); })
          .Object("Background", [](T& p) -> TRVBackgroundRect* { return &p.Background(); })
          .Integer("NextParaNo", &T::NextParaNo, &T::NextParaNo)
          .Default(-1)
          .Integer("LineSpacing", &T::LineSpacing, &T::LineSpacing)
          .Default(100)
          .Enum("LineSpacingType", &T::LineSpacingType, &T::LineSpacingType, kLineSpacingTypeNames)
          .Default(rvlsPercent)
          .Set("Options", &T::Options, &T::Options, kParaOptionNames)  // no default: always stored
          .Enum("BiDiMode", &T::BiDiMode, &T::BiDiMode, kBiDiModeNames)
          .Default(rvbdUnspecified)
          .Build();
  return list;
}

void TParaInfo::Assign(const TPersistent* source) {
  if (const auto* p = dynamic_cast<const TParaInfo*>(source)) {
    FirstIndent = p->FirstIndent;
    LeftIndent = p->LeftIndent;
    RightIndent = p->RightIndent;
    SpaceBefore = p->SpaceBefore;
    SpaceAfter = p->SpaceAfter;
    LineSpacing = p->LineSpacing;
    LineSpacingType = p->LineSpacingType;
    Alignment = p->Alignment;
    border_->Assign(p->border_.get());
    NextParaNo = p->NextParaNo;
    background_->Assign(p->background_.get());
    Options = p->Options;
    BiDiMode = p->BiDiMode;
  }
  TCustomRVInfo::Assign(source);
}

bool TParaInfo::SameAs(const TCustomRVInfo& value, bool ignoreNextParaNo) const {
  const auto* p = dynamic_cast<const TParaInfo*>(&value);
  if (p == nullptr) return false;
  return Alignment == p->Alignment && FirstIndent == p->FirstIndent && LeftIndent == p->LeftIndent &&
         RightIndent == p->RightIndent && SpaceBefore == p->SpaceBefore && SpaceAfter == p->SpaceAfter &&
         LineSpacing == p->LineSpacing && LineSpacingType == p->LineSpacingType && Options == p->Options &&
         BiDiMode == p->BiDiMode && (ignoreNextParaNo || NextParaNo == p->NextParaNo) &&
         background_->IsEqual(*p->background_) && border_->IsEqual(*p->border_);
}

bool TParaInfo::SameAsWithMap(const TCustomRVInfo& value, const TRVIntegerList& mapping) const {
  if (!SameAs(value, true)) return false;
  const int32_t next = static_cast<const TParaInfo&>(value).NextParaNo;
  // As for text styles: a reference beyond the mapping cannot be checked yet and is not
  // held against the style (and the sheet's style keeps it).
  if (next < 0 || next >= mapping.Count()) return true;
  return mapping[next] == NextParaNo;
}

int64_t TParaInfo::SimilarityScore(const TCustomRVInfo& value) const {
  const auto* p = dynamic_cast<const TParaInfo*>(&value);
  if (p == nullptr) return 0;
  int64_t score = RVIntegerSimilarity(FirstIndent, p->FirstIndent, 1000) +
                  RVIntegerSimilarity(LeftIndent, p->LeftIndent, 1000) +
                  RVIntegerSimilarity(RightIndent, p->RightIndent, 1000) +
                  RVIntegerSimilarity(SpaceBefore, p->SpaceBefore, 1000) +
                  RVIntegerSimilarity(SpaceAfter, p->SpaceAfter, 1000);
  score += background_->SimilarityValue(*p->background_);
  score += border_->SimilarityValue(*p->border_);
  if (Alignment == p->Alignment) score += 50000;
  if (BiDiMode == p->BiDiMode) score += 10000;
  const struct {
    TRVParaOptions bit;
    int64_t weight;
  } options[] = {{rvpaoNoWrap, 1000},
                 {rvpaoReadOnly, 100000},
                 {rvpaoStyleProtect, 1000},
                 {rvpaoDoNotWantReturns, 10000}};
  for (const auto& o : options)
    if ((Options & o.bit) == (p->Options & o.bit)) score += o.weight;
  if (LineSpacingType != p->LineSpacingType) {
    if (ExtraLineSpacing() != p->ExtraLineSpacing()) score -= 20000;
  } else {
    score += RVIntegerSimilarity(LineSpacing, p->LineSpacing, 5000);
  }
  return score;
}

bool TParaInfo::IsEqual(const TParaInfo& value, TRVParaInfoProperties ignoreList) const {
  auto same = [ignoreList](TRVParaInfoProperty p, bool equal) { return Ignored(ignoreList, p) || equal; };
  auto sameOption = [&](TRVParaInfoProperty p, TRVParaOptions bit) {
    return same(p, (Options & bit) == (value.Options & bit));
  };
  return same(rvpiFirstIndent, FirstIndent == value.FirstIndent) &&
         same(rvpiLeftIndent, LeftIndent == value.LeftIndent) &&
         same(rvpiRightIndent, RightIndent == value.RightIndent) &&
         same(rvpiSpaceBefore, SpaceBefore == value.SpaceBefore) &&
         same(rvpiSpaceAfter, SpaceAfter == value.SpaceAfter) &&
         same(rvpiAlignment, Alignment == value.Alignment) &&
         same(rvpiNextParaNo, NextParaNo == value.NextParaNo) &&
         same(rvpiLineSpacing, LineSpacing == value.LineSpacing) &&
         same(rvpiLineSpacingType, LineSpacingType == value.LineSpacingType) &&
         background_->IsEqualEx(*value.background_, ignoreList) &&
         border_->IsEqualEx(*value.border_, ignoreList) && sameOption(rvpiNoWrap, rvpaoNoWrap) &&
         sameOption(rvpiReadOnly, rvpaoReadOnly) && sameOption(rvpiStyleProtect, rvpaoStyleProtect) &&
         sameOption(rvpiDoNotWantReturns, rvpaoDoNotWantReturns) &&
         same(rvpiBiDiMode, BiDiMode == value.BiDiMode);
}

void TParaInfo::RemapReferences(const TRVIntegerList& mapping) {
  TCustomRVInfo::RemapReferences(mapping);
  if (NextParaNo >= 0) NextParaNo = NextParaNo < mapping.Count() ? mapping[NextParaNo] : -1;
}

bool TParaInfo::ExtraLineSpacing() const {
  return LineSpacingType == rvlsPercent ? LineSpacing > 100 : LineSpacing > 0;
}

// ---------------------------------------------------------------------------------------
// TParaInfos

TParaInfos::TParaInfos(TCollectionItemClass itemClass, TComponent* owner)
    : TCustomRVInfos(std::move(itemClass), owner) {}

TParaInfos::~TParaInfos() = default;

TParaInfo* TParaInfos::Items(int index) const {
  if (index >= 0 && index < Count()) return static_cast<TParaInfo*>(TCollection::Items(index));
  if (!invalidItem_) {
    auto substitute = std::make_unique<TParaInfo>();
    if (Count() > 0) substitute->Assign(TCollection::Items(0));
    substitute->SpaceBefore = 1;
    substitute->SpaceAfter = 1;
    substitute->LeftIndent = 1;
    substitute->RightIndent = 1;
    substitute->Border().Color = clRed;
    substitute->Border().Style = rvbSingle;
    substitute->Border().Width = 2;
    substitute->Border().BorderOffsets().SetAll(1);
    invalidItem_ = std::move(substitute);
  }
  return invalidItem_.get();
}

TParaInfo* TParaInfos::AddStyle() {
  return static_cast<TParaInfo*>(Add());
}

int TParaInfos::FindStyleLike(int baseStyle, const TParaInfo& style, TRVParaInfoProperties mask) const {
  const TRVParaInfoProperties ignoreList = ~mask & RVAllParaInfoProperties;
  if (baseStyle >= 0 && baseStyle < Count() && style.IsEqual(*Items(baseStyle), ignoreList)) return baseStyle;
  for (int i = 0; i < Count(); ++i)
    if (i != baseStyle && style.IsEqual(*Items(i), ignoreList)) return i;
  return -1;
}
