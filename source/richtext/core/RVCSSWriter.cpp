#include "richtext/core/RVCSSWriter.h"

#include <exception>
#include <new>

#include "platform/core/SysUtils.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVBack.h"
#include "richtext/core/RVFuncs.h"
#include "richtext/core/RVHTMLFuncs.h"
#include "richtext/core/RVListInfo.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVStyle.h"

TRVCSSHTMLWriter::TRVCSSHTMLWriter(TCustomRVData& Data, TRVStyle& Style, TStream& Stream,
                                   const TRVHTMLExport& Settings, int& imgSaveNo, TRVHTMLBulletList* Bullets,
                                   const std::string& ExtraStyles, const std::string& ExternalCSS,
                                   const std::string& CPPrefix, TColor& CurrentFileColor)
    : TRVHTMLWriterBase(Data, Style, Stream, Settings, imgSaveNo, Bullets),
      extraStyles_(ExtraStyles),
      externalCSS_(ExternalCSS),
      cpPrefix_(CPPrefix.empty() ? std::string("RVCheckpoint") : CPPrefix),
      currentFileColor_(CurrentFileColor) {}

// ---------------------------------------------------------------------------------------
// Head and tail

void TRVCSSHTMLWriter::emitBodyRule() {
  line("BODY {");
  line(Format("  margin: %dpx %dpx %dpx %dpx;",
              {settings_.TopMargin, settings_.RightMargin, settings_.BottomMargin, settings_.LeftMargin}));
  if (settings_.Color != clNone) line("  background-color: " + RVColorToHTML(settings_.Color) + ";");
  const std::string background = backgroundLocation();
  if (!background.empty()) {
    const TBackgroundStyle style = settings_.Background->Style;
    const bool once = style == bsStretched || style == bsCentered;
    line("  background-image: url(\"" + RVEscapeCSSString(background) + "\");");
    line(std::string("  background-repeat: ") + (once ? "no-repeat" : "repeat") + ";");
    line(std::string("  background-attachment: ") + (style == bsTiledAndScrolled ? "scroll" : "fixed") + ";");
    if (once) line("  background-position: center center;");
  }
  line("}");
}

void TRVCSSHTMLWriter::emitHead() {
  line("<HTML><HEAD><TITLE>" + RVEscapeHTMLAttribute(settings_.Title) + "</TITLE>");
  emitCharsetMeta();
  line("<STYLE type=\"text/css\"><!--");
  emitBodyRule();
  if (externalCSS_.empty()) style_.SaveCSSToStream(stream_, 0);
  line(extraStyles_);
  line("--></STYLE>");
  if (!externalCSS_.empty())
    line("<LINK type=\"text/css\" href=\"" + RVEscapeHTMLAttribute(externalCSS_) + "\" rel=STYLESHEET>");
  const std::string head = data_.SaveHTMLExtra(rvhsaHead, true);
  if (!head.empty()) line(head);
  line("</HEAD>");
  write("<BODY");
  const std::string attributes = data_.SaveHTMLExtra(rvhsaBodyAttribute, true);
  if (!attributes.empty()) write(" " + attributes);
  line(">");
  const std::string bodyStart = data_.SaveHTMLExtra(rvhsaBodyStart, true);
  if (!bodyStart.empty()) write(bodyStart);
}

void TRVCSSHTMLWriter::emitTail() {
  line("");
  const std::string end = data_.SaveHTMLExtra(rvhsaPageEnd, true);
  if (!end.empty()) line(end);
  line("</BODY></HTML>");
}

// ---------------------------------------------------------------------------------------
// Body

std::string TRVCSSHTMLWriter::listStyleImage(TRVMarkerItemInfo& marker, int ItemNo) {
  TRVListLevel& level = *marker.GetLevelInfo(&style_);
  if (level.ListType != rvlstPicture && level.ListType != rvlstImageList &&
      level.ListType != rvlstImageListCounter)
    return {};
  std::string location;
  bool doDefault = true;
  data_.HTMLSaveImage(&data_, ItemNo, settings_.Path, currentFileColor_, location, doDefault);
  TCustomImageList* list = nullptr;
  int32_t index = 0;
  TGraphic* graphic = nullptr;
  if (doDefault && RVMarkerHTMLImage(level, marker.Counter, list, index, graphic)) {
    location = RVSaveBulletForHTML(list, index, graphic, data_, settings_.Path, settings_.ImagesPrefix,
                                   imgSaveNo_, currentFileColor_, settings_.Options, *bullets_);
    if (location.empty()) ok_ = false;
  }
  if (location.empty()) return {};
  return "list-style-image: url('" + RVEscapeHTMLAttribute(RVEscapeCSSString(location)) + "')";
}

void TRVCSSHTMLWriter::emitListItemStart(TRVMarkerItemInfo& marker, int ItemNo) {
  emitListSwitch(curMarker_, &marker, true);
  curMarker_ = &marker;
  std::string tag =
      marker.GetLevelInfo(&style_)->HasNumbering() ? Format("<LI value=%d", {marker.Counter}) : "<LI";
  std::string style = listStyleImage(marker, ItemNo);
  if (marker.ParaNo > 0) {
    tag += Format(" class=RVPS%d", {marker.ParaNo});
    // The list level places the item, as in the viewer: the paragraph style's first-line and
    // left indents would move the text under an outside marker.
    const TParaInfo& para = style_.ParaStyles()[marker.ParaNo];
    if (para.FirstIndent != 0 || para.LeftIndent != 0)
      style += std::string(style.empty() ? "" : "; ") + "text-indent: inherit; margin-left: 0px";
  }
  if (!style.empty()) tag += " style=\"" + style + "\"";
  write(tag + ">");
  inListItem_ = true;
  curPara_ = -1;
}

void TRVCSSHTMLWriter::emitParagraphStart(int ItemNo, TCustomRVItemInfo& item) {
  // An LI is closed once, also when a horizontal line stood between two list paragraphs.
  if (inListItem_) {
    line("</LI>");
    inListItem_ = false;
  } else if (curPara_ >= 0) {
    line("</P>");
  }
  const TColor paraColor = style_.ParaStyles()[item.ParaNo].Background().Color;
  currentFileColor_ = paraColor != clNone ? paraColor : settings_.Color;
  if (TRVMarkerItemInfo* marker = listMarker(item)) {
    if (settings_.Options & rvhoMarkersAsText) {
      const std::string indent = RVEscapeHTMLAttribute(marker->GetLevelInfo(&style_)->GetIndentCSS());
      write(item.ParaNo == 0 ? Format("<P style=\"%s\">", {indent})
                             : Format("<P class=RVPS%d style=\"%s\">", {item.ParaNo, indent}));
      curPara_ = item.ParaNo;
    } else {
      emitListItemStart(*marker, ItemNo);
    }
    return;
  }
  if (item.StyleNo == rvsBreak) {
    curPara_ = -1;
    return;
  }
  if (curMarker_ != nullptr) {
    emitCloseAllLevels(curMarker_);
    curMarker_ = nullptr;
  }
  write(item.ParaNo == 0 ? std::string("<P>") : Format("<P class=RVPS%d>", {item.ParaNo}));
  curPara_ = item.ParaNo;
}

void TRVCSSHTMLWriter::emitTextItem(int ItemNo, const TCustomRVItemInfo& item) {
  const std::string url = hyperlinkURL(ItemNo, item);
  if (!url.empty()) {
    write(Format("<A class=RVTS%d href=\"%s\">", {item.StyleNo, RVEscapeHTMLAttribute(url)}));
  } else if (item.StyleNo != curSpan_) {
    const TFontInfo& style = style_.TextStyles()[item.StyleNo];
    if (item.StyleNo == 0 && !style.Jump && style.BackColor == clNone) {
      curSpan_ = -1;
    } else {
      curSpan_ = item.StyleNo;
      write(Format("<SPAN class=RVTS%d>", {item.StyleNo}));
    }
  }
  write(escapedText(ItemNo, item));
  if (!url.empty()) write("</A>");
  // A span ends with its run: at the last item, at another style, or at a new line. (Also
  // after a link, so that a span opened before it is never left open.)
  if (curSpan_ != -1) {
    const bool last = ItemNo + 1 >= data_.GetItemCount();
    const TCustomRVItemInfo* next = last ? nullptr : data_.GetItem(ItemNo + 1);
    if (last || next->StyleNo != item.StyleNo || !next->GetSameAsPrev()) {
      write("</SPAN>");
      curSpan_ = -1;
    }
  }
}

void TRVCSSHTMLWriter::emitBody() {
  for (int i = 0; i < data_.GetItemCount(); ++i) {
    TCustomRVItemInfo& item = *data_.GetItem(i);
    if (!item.GetSameAsPrev()) {
      // Inside an open list no empty line comes first, also after a line that closed its LI.
      if (item.GetBR() || (curPara_ < 0 && curMarker_ == nullptr)) line("");
      if (item.GetBR())
        write("<BR>");
      else
        emitParagraphStart(i, item);
    }
    RVSaveHTMLCheckpoint(stream_, item.Checkpoint.get(), settings_.Options, false, cpPrefix_,
                         checkpointCounter_);
    if (item.StyleNo >= 0) {
      emitTextItem(i, item);
      continue;
    }
    const std::string url = hyperlinkURL(i, item);
    if (!url.empty()) write("<A href=\"" + RVEscapeHTMLAttribute(url) + "\">");
    emitNonTextItem(i, item, currentFileColor_, true);
    if (!url.empty()) write("</A>");
  }
  if (curMarker_ != nullptr) {
    if (inListItem_) line("</LI>");
    inListItem_ = false;
    emitCloseAllLevels(curMarker_);
    curMarker_ = nullptr;
  }
  if (curPara_ != -1) write("</P>");
  curPara_ = -1;
  RVSaveHTMLCheckpoint(stream_, data_.GetPendingCheckpoint(), settings_.Options, false, cpPrefix_,
                       checkpointCounter_);
}

// ---------------------------------------------------------------------------------------

bool TRVHTMLExportSide::SaveHTMLToStreamCSS(TStream& Stream, const std::string& Path,
                                            const std::string& Title, const std::string& ImagesPrefix,
                                            const std::string& ExtraStyles, const std::string& ExternalCSS,
                                            const std::string& CPPrefix, TRVHTMLSaveOptions Options,
                                            TColor Color, TColor& CurrentFileColor, int& imgSaveNo,
                                            int32_t LeftMargin, int32_t TopMargin, int32_t RightMargin,
                                            int32_t BottomMargin, const TRVBackground* Background,
                                            TRVHTMLBulletList* Bullets) {
  TRVStyle* style = Document().GetRVStyle();
  if (style == nullptr) return false;
  CurrentFileColor = Color;
  const TRVHTMLExport settings{Path,       Title,     ImagesPrefix, Options,      Color,
                               LeftMargin, TopMargin, RightMargin,  BottomMargin, Background};
  try {
    TRVCSSHTMLWriter writer(Document(), *style, Stream, settings, imgSaveNo, Bullets, ExtraStyles,
                            ExternalCSS, CPPrefix, CurrentFileColor);
    return writer.Write();
  } catch (const std::bad_alloc&) {
    throw;  // not a fault of the document
  } catch (const std::exception&) {
    return false;
  }
}
