// The table's RTF: its colours for the colour table, then one row definition per row (row
// properties, borders, then per slot the merge marks, width, borders, shading, alignment and
// right edge) followed by the row's cells, each written by the document writer as an inner
// document one level deeper. Nested tables use the nesting forms of the row and cell ends.
#include <string>

#include "platform/core/SysUtils.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVFMisc.h"
#include "richtext/core/RVStyle.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"

namespace {

/// Colours of a border style: the 3-D ones use the system's, the coloured ones their own.
void AddBorderColors(TRVColorList& List, TRVTableBorderStyle Style, TColor Color, TColor LightColor) {
  switch (Style) {
    case rvtbRaised:
    case rvtbLowered:
      List.AddColorIfAbsent(clBtnHighlight);
      List.AddColorIfAbsent(clBtnShadow);
      List.AddColorIfAbsent(clBtnFace);
      break;
    case rvtbColor:
      List.AddColorIfAbsent(Color);
      break;
    default:
      List.AddColorIfAbsent(Color);
      List.AddColorIfAbsent(LightColor);
      break;
  }
}

int ColorIndex(const TRVColorList& List, TColor Color) {
  return Color == clNone ? 0 : std::max(List.IndexOf(static_cast<int32_t>(Color)), 0);
}

std::string BorderWord(TRVTableBorderStyle Style, int64_t Width, int ColorIndex) {
  switch (Style) {
    case rvtbRaised:
      return "\\brdroutset\\brdrw" + std::to_string(Width);
    case rvtbLowered:
      return "\\brdrinset\\brdrw" + std::to_string(Width);
    default:
      return "\\brdrs\\brdrw" + std::to_string(Width) + "\\brdrcf" + std::to_string(ColorIndex);
  }
}

/// The four sides of a border with Prefix ("tr" or "cl"); nothing for a width below 1.
std::string BorderGroup(TRVTableBorderStyle Style, int32_t Width, TColor Color, TColor LightColor,
                        const std::string& Prefix, const TRVBooleanRect* Visible, double tpp,
                        const TRVColorList& List) {
  if (Width <= 0) return {};
  const int64_t w = Round(Width * tpp);
  const TColor leftTop = Style == rvtbRaisedColor ? LightColor : Color;
  const TColor rightBottom = Style == rvtbLoweredColor ? LightColor : Color;
  const std::string lt = BorderWord(Style, w, ColorIndex(List, leftTop));
  const std::string rb = BorderWord(Style, w, ColorIndex(List, rightBottom));
  std::string s;
  if (Visible == nullptr || Visible->Left) s += "\\" + Prefix + "brdrl" + lt;
  if (Visible == nullptr || Visible->Top) s += "\\" + Prefix + "brdrt" + lt;
  if (Visible == nullptr || Visible->Right) s += "\\" + Prefix + "brdrr" + rb;
  if (Visible == nullptr || Visible->Bottom) s += "\\" + Prefix + "brdrb" + rb;
  return s;
}

std::string Num(int64_t v) {
  return std::to_string(v);
}

}  // namespace

void TRVTableItemInfo::FillRTFTables(TRVColorList& ColorList, TRVIntegerList& ListOverrideCounts,
                                     TCustomRVData* RVData) {
  (void)RVData;
  ColorList.AddColorIfAbsent(Color);
  AddBorderColors(ColorList, BorderStyle, BorderColor, BorderLightColor);
  AddBorderColors(ColorList, CellBorderStyle, CellBorderColor, CellBorderLightColor);
  if (VRuleWidth > 0) ColorList.AddColorIfAbsent(VRuleColor);
  if (HRuleWidth > 0) ColorList.AddColorIfAbsent(HRuleColor);
  for (const auto& row : *Rows_)
    for (const auto& slot : *row) {
      if (!slot) continue;
      auto& cell = static_cast<TRVTableCellData&>(*slot);
      ColorList.AddColorIfAbsent(cell.Color);
      ColorList.AddColorIfAbsent(cell.BorderColor);
      ColorList.AddColorIfAbsent(cell.BorderLightColor);
      cell.BuildRTFColorTable(ColorList, ListOverrideCounts, false);
    }
}

void TRVTableItemInfo::SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                               double tpp, int Level, TRVColorList& ColorList, TRVIntegerList& StyleToFont,
                               TRVIntegerList& ListOverrideCounts, TRVIntegerList& ListOverrideOffsets,
                               TRVRTFFontTable& FontTable) {
  (void)ItemNo, (void)Text;
  // The right edges of the cells come from the layout; a table never laid out is laid out
  // for a page of 600 pixels.
  if (FormattingInfo.Width == 0) Format(600, FormattingInfo, true);
  const bool nested = Level > 0;
  const std::string itap = Num(Level + 1);
  std::string align;
  if (const TRVStyle* style = RVData != nullptr ? RVData->GetRVStyle() : nullptr;
      style != nullptr && ParaNo >= 0 && ParaNo < style->ParaStyles().Count()) {
    const TRVAlignment a = static_cast<const TParaInfo*>(style->ParaStyles().Items(ParaNo))->Alignment;
    align = a == rvaRight ? "\\trqr" : a == rvaCenter ? "\\trqc" : "";
  }
  const int rows = Rows_->Count();
  const int cols = Rows_->GetColCount();
  for (int r = 0; r < rows; ++r) {
    std::string s = nested ? "{\\*\\nesttableprops" : "{";
    s += "\\trowd" + align + "\\trgaph" +
         Num(Round(((CellPadding + CellBorderWidth) * 2 + CellHSpacing) * tpp / 2)) + "\\trleft0\\itap" +
         itap;
    if (r < HeadingRowCount) s += "\\trhdr";
    if (const int32_t h = Rows_->Get(r)->GetBestHeight(); h > 0) s += "\\trrh" + Num(Round(h * tpp));
    const std::string pad = Num(Round(CellPadding * tpp));
    s += "\\trpaddl" + pad + "\\trpaddt" + pad + "\\trpaddr" + pad + "\\trpaddb" + pad +
         "\\trpaddfl3\\trpaddft3\\trpaddfr3\\trpaddfb3";
    const std::string hs = Num(Round(CellHSpacing * tpp / 2));
    s += "\\trspdl" + hs + "\\trspdr" + hs + "\\trspdfl3\\trspdfr3";
    s += "\\trspdt" + Num(Round((r == 0 ? BorderVSpacing : CellVSpacing) * tpp / 2)) + "\\trspdb" +
         Num(Round((r == rows - 1 ? BorderVSpacing : CellVSpacing) * tpp / 2)) + "\\trspdft3\\trspdfb3";
    if (BestWidth > 0)
      s += "\\trwWidth" + Num(Round((BestWidth + 2 * BorderWidth) * tpp)) + "\\trftsWidth3";
    else if (BestWidth < 0)
      s += "\\trwWidth" + Num(-int64_t{BestWidth} * 50) + "\\trftsWidth2";
    else
      s += "\\trftsWidth1";
    if (Options & rvtoRTFAllowAutofit) s += "\\trautofit1";
    s += "\\rvtbw" + Num(BestWidth);
    s += BorderGroup(BorderStyle, BorderWidth, BorderColor, BorderLightColor, "tr", nullptr, tpp, ColorList);
    std::string extra;
    if (RVData != nullptr) RVData->SaveRTFExtra(rv_rtfs_RowProps, this, r, -1, false, extra);
    s += extra;
    for (int c = 0; c < cols; ++c) {
      int mr = 0, mc = 0;
      const TRVTableCellData* main = Rows_->GetMainCell(r, c, mr, mc);
      if (main == nullptr) continue;  // a broken grid has nothing to describe here
      const TRVTableCellData* cell = GetCell(r, c);
      if (cell == nullptr) {
        if (r > mr) {
          s += "\\clvmrg";
          if (c == mc && main->ColSpan > 1) s += "\\clmgf";
        }
        if (c > mc) {
          s += "\\clmrg";
          if (r == mr && main->RowSpan > 1) s += "\\clvmgf";
        }
      } else {
        if (cell->RowSpan > 1) s += "\\clvmgf";
        if (cell->ColSpan > 1) s += "\\clmgf";
        if (cell->BestWidth > 0)
          s += (Options & rvtoRTFSaveCellPixelBestWidth)
                   ? "\\clwWidth" + Num(Round(cell->BestWidth * tpp)) + "\\clftsWidth3"
                   : std::string("\\clwWidth0");
        else if (cell->BestWidth < 0)
          s += "\\clwWidth" + Num(-int64_t{cell->BestWidth} * 50) + "\\clftsWidth2";
        else
          s += "\\clftsWidth1";
        s += "\\rvcbw" + Num(cell->BestWidth) + "\\rvcbh" + Num(cell->BestHeight);
      }
      const TColor dark = main->BorderColor == clNone ? CellBorderColor : main->BorderColor;
      const TColor light = main->BorderLightColor == clNone ? CellBorderLightColor : main->BorderLightColor;
      s += BorderGroup(CellBorderStyle, CellBorderWidth, dark, light, "cl", &main->VisibleBorders, tpp,
                       ColorList);
      if (const TColor shade = GetEffectiveCellColor(*main); shade != clNone)
        s += "\\clcbpat" + Num(ColorIndex(ColorList, shade));
      const TRVCellVAlign valign = main->GetEffectiveVAlign();
      if (valign == rvcMiddle) s += "\\clvertalc";
      if (valign == rvcBottom) s += "\\clvertalb";
      extra.clear();
      if (RVData != nullptr) RVData->SaveRTFExtra(rv_rtfs_CellProps, this, r, c, false, extra);
      s += extra;
      s += "\\cellx" + Num(Round((FormattingInfo.ColStarts[c] + FormattingInfo.ColWidths[c]) * tpp +
                                 CellHSpacing * tpp / 2));
    }
    s += "\\pard\\intbl\\itap" + itap + "{";
    RVFWriteString(Stream, s);
    for (int c = 0; c < cols; ++c) {
      RVFWriteString(Stream, "{");
      if (TRVTableCellData* cell = GetCell(r, c))
        cell->SaveRTFToStream(Stream, false, Level + 1, clNone, &ColorList, &StyleToFont, &ListOverrideCounts,
                              &ListOverrideOffsets, &FontTable, tpp);
      RVFWriteString(Stream, nested ? "\\nestcell}" : "\\cell}");
    }
    RVFWriteString(Stream, "}\\pard\\intbl\\itap" + itap + (nested ? "\\nestrow}" : "\\row}"));
  }
  if (RVData != nullptr && Rows_->Count() > 0) RVData->StateFlags |= rvstRTFTableWritten;
}
