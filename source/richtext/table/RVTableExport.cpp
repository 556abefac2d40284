// The table's HTML (plain and CSS) and plain text. Each cell's document is written by the
// document writers themselves, as an inner document, so tables nest. One function per
// markup piece: the attributes of TABLE, TR and TD, the border CSS and the backgrounds.
#include <string>

#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVFuncs.h"
#include "richtext/core/RVHTMLFuncs.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/viewer/CRVFData.h"

namespace {

/// " name=value" when the value is not empty and differs from the default.
std::string HTMLAttribute(const char* Name, const std::string& Value, const std::string& Default = "") {
  if (Value.empty() || Value == Default) return {};
  return std::string(" ") + Name + "=" + Value;
}

std::string HTMLLength(TRVHTMLLength Value) {
  if (Value > 0) return IntToStr(Value);
  if (Value < 0) return IntToStr(-static_cast<int64_t>(Value)) + "%";
  return {};
}

std::string VAlignAttribute(TRVCellVAlign VAlign) {
  static const char* const kNames[] = {"top", "middle", "bottom", ""};
  return HTMLAttribute("valign", kNames[VAlign]);
}

bool CentredBackground(TRVItemBackgroundStyle Style) {
  return Style == rvbsStretched || Style == rvbsCentered;
}

/// Everything the table's writers share for one export.
struct THTMLContext {
  TStream& Stream;
  TCustomRVData* RVData;
  int ItemNo;
  const std::string& Path;
  const std::string& ImagesPrefix;
  int& imgSaveNo;
  TColor CurrentFileColor;
  TRVHTMLSaveOptions Options;
  bool CSS;
  TRVHTMLBulletList* Bullets;
};

/// " background="..."" for a background that shows a picture.
std::string BackgroundAttribute(THTMLContext& ctx, const TRVBackground* Background, TColor Color) {
  if (Background == nullptr || Background->IsEmpty() || Background->GetBitmap() == nullptr) return {};
  if (Color == clNone) Color = ctx.CurrentFileColor;
  std::string location;
  bool doDefault = true;
  ctx.RVData->HTMLSaveImage(ctx.RVData, ctx.ItemNo, ctx.Path, Color, location, doDefault);
  if (doDefault)
    location = RVSaveImageFileForHTML(*ctx.RVData, Background->GetBitmap(), ctx.Path, ctx.ImagesPrefix,
                                      ctx.imgSaveNo, Color, (ctx.Options & rvhoReuseImageFiles) != 0);
  if (location.empty()) return {};
  return " background=\"" + RVPathToURL(location) + "\"";
}

/// The CSS of a cell's borders with effective colours Dark and Light.
std::string CellBorderCSS(const TRVTableItemInfo& t, TColor Dark, TColor Light) {
  std::string s;
  if (!(t.CellBorderWidth == t.BorderWidth && t.BorderWidth < 2) &&
      !(t.CellBorderWidth == 1 && t.BorderWidth > 1))
    s = Format("border-width : %dpx; ", {t.CellBorderWidth});
  if (t.CellBorderWidth <= 0) return s;
  const std::string d = RVColorToHTML(Dark);
  const std::string l = RVColorToHTML(Light);
  const bool tableColored = t.BorderStyle == rvtbRaisedColor || t.BorderStyle == rvtbLoweredColor;
  switch (t.CellBorderStyle) {
    case rvtbRaised:
      s += "border-style: outset";
      break;
    case rvtbColor:
      if (!(t.BorderStyle == rvtbColor && t.BorderColor == Dark))
        s += Format("border-color : %s; border-style: solid", {d});
      break;
    case rvtbRaisedColor:
      s += Format("border-color : %s %s %s %s; border-style: solid", {l, d, d, l});
      break;
    case rvtbLoweredColor:
      if (!(t.BorderColor == Dark && t.BorderLightColor == Light && tableColored))
        s += Format("border-color : %s %s %s %s; border-style: solid", {d, l, l, d});
      break;
    default:
      break;
  }
  return s;
}

std::string StyleAttribute(const std::string& Style) {
  return Style.empty() ? Style : " style='{" + Style + "}'";
}

std::string TableStyle(const TRVTableItemInfo& t) {
  std::string border;
  if (t.BorderStyle == rvtbLowered) {
    border = "border-style: inset;";
  } else if (t.BorderStyle == rvtbLoweredColor) {
    const std::string d = RVColorToHTML(t.BorderColor);
    const std::string l = RVColorToHTML(t.BorderLightColor);
    border = Format("border-color : %s %s %s %s; border-style: solid;", {d, l, l, d});
  }
  const std::string background = CentredBackground(t.GetBackgroundStyle())
                                     ? "background-position: center center; background-repeat: no-repeat;"
                                     : "";
  return RVAppendWithSpace(border, background);
}

std::string CellStyle(const TRVTableItemInfo& t, const TRVTableCellData& cell,
                      const std::string& TableBorderCSS) {
  std::string s =
      cell.BorderColor == clNone && cell.BorderLightColor == clNone
          ? TableBorderCSS
          : CellBorderCSS(t, cell.BorderColor == clNone ? t.CellBorderColor : cell.BorderColor,
                          cell.BorderLightColor == clNone ? t.CellBorderLightColor : cell.BorderLightColor);
  if (!s.empty() && !s.ends_with(";") && !s.ends_with("; ")) s += "; ";
  std::string background;
  if (CentredBackground(cell.GetBackgroundStyle()))
    background = "background-position: center center; background-repeat: no-repeat;";
  else if (CentredBackground(t.GetBackgroundStyle()))
    background = "background-position: left top; background-repeat: repeat;";
  s = RVAppendWithSpace(s, background);
  if (t.CellBorderWidth > 0) {
    if (!cell.VisibleBorders.Top) s += "border-top: none; ";
    if (!cell.VisibleBorders.Right) s += "border-right: none; ";
    if (!cell.VisibleBorders.Bottom) s += "border-bottom: none; ";
    if (!cell.VisibleBorders.Left) s += "border-left: none; ";
  }
  return StyleAttribute(s);
}

std::string TableTag(THTMLContext& ctx, const TRVTableItemInfo& t) {
  std::string border;
  if (ctx.CSS && t.BorderWidth < 1 && t.CellBorderWidth != 0)
    border = " border=1 style='{border-width : 0px}'";
  else
    border = Format(" border=%d", {t.BorderWidth});
  std::string borderColors;
  if (t.BorderStyle == rvtbColor) {
    borderColors = HTMLAttribute("bordercolor", RVColorToHTML(t.BorderColor));
  } else if (t.BorderStyle == rvtbRaisedColor || t.BorderStyle == rvtbLoweredColor) {
    borderColors = HTMLAttribute("bordercolordark", RVColorToHTML(t.BorderColor)) +
                   HTMLAttribute("bordercolorlight", RVColorToHTML(t.BorderLightColor));
  }
  return "<TABLE" + HTMLAttribute("width", HTMLLength(t.BestWidth)) +
         HTMLAttribute("bgcolor", RVColorToHTML(t.Color)) + border +
         HTMLAttribute("cellpadding", IntToStr(t.CellPadding)) + borderColors +
         HTMLAttribute("cellspacing", IntToStr((t.CellHSpacing + t.CellVSpacing) / 2)) +
         BackgroundAttribute(ctx, t.GetTableBackground(), t.Color) +
         (ctx.CSS ? StyleAttribute(TableStyle(t)) : std::string()) + ">";
}

void WriteCell(THTMLContext& ctx, const TRVTableItemInfo& t, TRVTableCellData& cell,
               const std::string& TableBorderCSS) {
  const TColor color = t.GetEffectiveCellColor(cell);
  std::string tag = "<TD" + HTMLAttribute("colspan", IntToStr(cell.ColSpan), "1") +
                    HTMLAttribute("rowspan", IntToStr(cell.RowSpan), "1") +
                    HTMLAttribute("width", HTMLLength(cell.BestWidth)) +
                    HTMLAttribute("height", HTMLLength(cell.BestHeight)) +
                    HTMLAttribute("bgcolor", RVColorToHTML(cell.Color), RVColorToHTML(t.Color)) +
                    VAlignAttribute(cell.VAlign) + BackgroundAttribute(ctx, cell.GetCellBackground(), color) +
                    (ctx.CSS ? CellStyle(t, cell, TableBorderCSS) : std::string()) + ">";
  RVWriteString(ctx.Stream, tag);
  if (!cell.HasContent(false)) {
    RVWriteLine(ctx.Stream, "&nbsp;");
  } else {
    const TRVHTMLSaveOptions options = (ctx.Options | rvhoBodyOnly) & ~(rvhoHeadOnly | rvhoTailOnly);
    if (ctx.CSS) {
      TColor current = color;
      cell.SaveHTMLToStreamCSS(ctx.Stream, ctx.Path, "", ctx.ImagesPrefix, "", "", "", options, color,
                               current, ctx.imgSaveNo, 0, 0, 0, 0, nullptr, ctx.Bullets);
    } else {
      cell.SaveHTMLToStream(ctx.Stream, ctx.Path, "", ctx.ImagesPrefix, options, color, ctx.imgSaveNo, 0, 0,
                            0, 0, nullptr, ctx.Bullets);
    }
  }
  RVWriteLine(ctx.Stream, "</TD>");
}

}  // namespace

TColor TRVTableItemInfo::GetEffectiveCellColor(const TRVTableCellData& Cell) const {
  if (Cell.Color != clNone) return Cell.Color;
  if (Color != clNone) return Color;
  const auto* formatted = dynamic_cast<const TCustomRVFormattedData*>(GetParentData());
  if (formatted == nullptr) return clNone;
  const TRVStyle* style = formatted->GetRVStyle();
  if (style != nullptr && ParaNo >= 0 && ParaNo < style->ParaStyles().Count()) {
    const TColor paraColor =
        static_cast<const TParaInfo*>(style->ParaStyles().Items(ParaNo))->Background().Color;
    if (paraColor != clNone) return paraColor;
  }
  return formatted->GetColor();
}

bool TRVTableItemInfo::SaveHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                                const std::string& Path, const std::string& ImagesPrefix, int& imgSaveNo,
                                TColor CurrentFileColor, TRVHTMLSaveOptions Options, bool UseCSS,
                                TRVHTMLBulletList* Bullets) {
  (void)Text;
  THTMLContext ctx{Stream,
                   RVData,
                   ItemNo,
                   Path,
                   ImagesPrefix,
                   imgSaveNo,
                   CurrentFileColor,
                   Options,
                   UseCSS || (Options & rvhoBreakColorCSS) != 0,
                   Bullets};
  const std::string tableBorderCSS =
      ctx.CSS ? CellBorderCSS(*this, CellBorderColor, CellBorderLightColor) : "";
  RVWriteLine(Stream, TableTag(ctx, *this));
  for (const auto& row : *Rows_) {
    RVWriteLine(Stream, "<TR" + VAlignAttribute(static_cast<TRVTableRow*>(row.get())->VAlign) + ">");
    for (const auto& slot : *row)
      if (slot) WriteCell(ctx, *this, static_cast<TRVTableCellData&>(*slot), tableBorderCSS);
    RVWriteLine(Stream, "</TR>");
  }
  RVWriteLine(Stream, "</TABLE>");
  return true;
}

std::string TRVTableItemInfo::GetPlainText(int32_t LineWidth, TCustomRVData* RVData, const std::string& Text,
                                           const std::string& Path, bool TextOnly, bool Unicode) {
  (void)Text;
  std::string rowSeparator = TextRowSeparator;
  std::string colSeparator = TextColSeparator;
  if (Unicode) {
    const TRVCodePage codePage = RVData != nullptr ? RVData->GetDefaultCodePage() : 0;
    rowSeparator = RVAnsiToUnicode(codePage, rowSeparator);
    colSeparator = RVAnsiToUnicode(codePage, colSeparator);
  }
  TMemoryStream out;
  for (const auto& row : *Rows_) {
    for (int c = 0; c < row->Count(); ++c) {
      if (TRVItemFormattedData* cell = row->Get(c))
        cell->SaveTextRangeToStream(Path, out, LineWidth, false, TextOnly, Unicode);
      if (c + 1 < row->Count()) out.WriteBuffer(colSeparator);
    }
    out.WriteBuffer(rowSeparator);
  }
  return out.DataString();
}
