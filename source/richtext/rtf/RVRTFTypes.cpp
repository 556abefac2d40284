#include "richtext/rtf/RVRTFTypes.h"

#include "platform/graphics/SystemColors.h"

TRVRTFBorderSide& TRVRTFParaBorder::Side(int Index) {
  auto& side = Sides[Index & 3];
  if (!side) side.emplace();
  return *side;
}

const TRVRTFBorderSide* TRVRTFParaBorder::StyledSide(int Index) const {
  const auto& side = Sides[Index & 3];
  return side && side->Style != 0 ? &*side : nullptr;
}

bool TRVRTFParaBorder::HasStyledSide() const {
  for (int i = 0; i < 4; ++i)
    if (StyledSide(i) != nullptr) return true;
  return false;
}

void TRVRTFCharProperties::Reset(int32_t DefLanguage) {
  *this = TRVRTFCharProperties();
  Language = DefLanguage;
}

void TRVRTFCharProperties::CopyFrom(const TRVRTFCharProperties& Source) {
  const int32_t language = Language;
  std::string symbolFont = std::move(SymbolFontName);
  *this = Source;
  Language = language;
  SymbolFontName = std::move(symbolFont);
}

void TRVRTFMarkerProperties::UpdateFrom(const TRVRTFCharProperties& Chars) {
  if (!(OwnValues & rtfmoFont)) FontIndex = Chars.FontIndex;
  if (!(OwnValues & rtfmoSize)) FontSize = Chars.Size;
  if (!(OwnValues & rtfmoColor)) Color = Chars.Color;
  const struct {
    uint8_t own, bit;
  } styleBits[] = {{rtfmoBold, rtfStyleBold},
                   {rtfmoItalic, rtfStyleItalic},
                   {rtfmoUnderline, rtfStyleUnderline},
                   {rtfmoStrikeOut, rtfStyleStrikeOut}};
  for (const auto& b : styleBits)
    if (!(OwnValues & b.own))
      StyleBits = static_cast<uint8_t>((StyleBits & ~b.bit) | (Chars.StyleBits & b.bit));
}

TRVRTFParaBorder& TRVRTFParaProperties::GetBorder() {
  if (!Border) Border.emplace();
  return *Border;
}

namespace {
/// The background mixed with the pattern colour: S hundredths of a percent of the pattern.
TColor mixShading(TColor back, TColor pattern, int32_t shading) {
  if (back == clNone) back = clWhite;
  const int64_t b = ColorToRGB(back), p = pattern == clNone ? 0 : ColorToRGB(pattern);
  int64_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int64_t bc = (b >> shift) & 0xFF, pc = (p >> shift) & 0xFF;
    result |= (((10000 - shading) * bc + shading * pc) / 10000) << shift;
  }
  return static_cast<TColor>(result);
}
}  // namespace

void TRVRTFParaProperties::ResolveShading() {
  if (Shading == 0) return;
  BackColor = mixShading(BackColor, PatternColor, Shading);
  Shading = 0;
}

void TRVRTFSectionProperties::CopyFrom(const TRVRTFSectionProperties& Source) {
  const int32_t headerY = HeaderY, footerY = FooterY;
  *this = Source;
  HeaderY = headerY;
  FooterY = footerY;
}

void TRVRTFRowProperties::Reset() {
  *this = TRVRTFRowProperties();
  Cells.emplace_back();
}

void TRVRTFRowProperties::Finish() {
  if (SpareCell && !Cells.empty()) Cells.pop_back();
  SpareCell = false;
  if (!ShadingPending) return;
  for (auto& cell : Cells)
    if (cell.Shading != 0) {
      cell.BackColor = mixShading(cell.BackColor, cell.PatternColor, cell.Shading);
      cell.Shading = 0;
    }
  ShadingPending = false;
}

void TRVRTFReaderState::Reset() {
  DefLanguage = 0;
  Chars.Reset(0);
  Para = TRVRTFParaProperties();
  Section = TRVRTFSectionProperties();
  Doc = TRVRTFDocProperties();
  Row.reset();
  FieldCode.clear();
  FieldHandled = false;
  BorderTarget = 0;
  DefFont = 0;
  HFType = 0;
  UnicodeSkip = 1;
  Destination = rdsNorm;
  InputState = risNorm;
}

void TRVRTFReaderState::CopyFrom(const TRVRTFReaderState& Source) {
  DefLanguage = Source.DefLanguage;
  Chars.CopyFrom(Source.Chars);
  Para = Source.Para;
  Section.CopyFrom(Source.Section);
  Doc = Source.Doc;
  Row = Source.Row;
  BorderTarget = Source.BorderTarget;
  Destination = Source.Destination;
  InputState = Source.InputState;
  HFType = Source.HFType;
  UnicodeSkip = Source.UnicodeSkip;
}

TRVRTFRowProperties& TRVRTFReaderState::GetRow() {
  if (!Row) {
    Row.emplace();
    Row->Reset();
  }
  return *Row;
}
