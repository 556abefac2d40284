#include "richtext/core/RVHTMLWriter.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <new>
#include <string_view>

#include "platform/core/CodePages.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"
#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/JPEGImage.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVBack.h"
#include "richtext/core/RVFuncs.h"
#include "richtext/core/RVHTMLFuncs.h"
#include "richtext/core/RVListInfo.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"

// ---------------------------------------------------------------------------------------
// Shared by both page kinds

TRVHTMLWriterBase::TRVHTMLWriterBase(TCustomRVData& Data, TRVStyle& Style, TStream& Stream,
                                     const TRVHTMLExport& Settings, int& imgSaveNo,
                                     TRVHTMLBulletList* Bullets)
    : data_(Data),
      style_(Style),
      stream_(Stream),
      settings_(Settings),
      imgSaveNo_(imgSaveNo),
      bullets_(Bullets ? Bullets : &ownBullets_) {}

TRVHTMLWriterBase::~TRVHTMLWriterBase() = default;

bool TRVHTMLWriterBase::Write() {
  const TRVHTMLSaveOptions options = settings_.Options;
  if (!(options & (rvhoBodyOnly | rvhoTailOnly))) emitHead();
  if (!(options & (rvhoHeadOnly | rvhoTailOnly))) emitBody();
  if (!(options & (rvhoHeadOnly | rvhoBodyOnly))) emitTail();
  return ok_;
}

void TRVHTMLWriterBase::write(const std::string& s) {
  RVWriteString(stream_, s);
}

void TRVHTMLWriterBase::line(const std::string& s) {
  RVWriteLine(stream_, s);
}

void TRVHTMLWriterBase::emitCharsetMeta() {
  const std::string charset = RVCharsetToHTMLCharset(style_.TextStyles()[0].Charset);
  if (!charset.empty())
    line("<META HTTP-EQUIV=\"Content-Type\"  CONTENT=\"text/html; CHARSET=" + charset + "\">");
}

void TRVHTMLWriterBase::emitLevelTag(const TRVMarkerItemInfo* marker, int level, bool open, bool useCSS) {
  const TRVListLevel& info = style_.ListStyles()[marker->ListNo].Levels()[level];
  if (open)
    info.HTMLOpenTag(stream_, useCSS);
  else
    info.HTMLCloseTag(stream_);
  line("");
}

void TRVHTMLWriterBase::emitListSwitch(const TRVMarkerItemInfo* from, const TRVMarkerItemInfo* to,
                                       bool useCSS) {
  const int toLevel = RVMarkerGetEffectiveLevel(&style_, to->ListNo, to->Level);
  if (from == nullptr) {
    for (int k = 0; k <= toLevel; ++k) emitLevelTag(to, k, true, useCSS);
    return;
  }
  const int fromLevel = RVMarkerGetEffectiveLevel(&style_, from->ListNo, from->Level);
  if (from->ListNo != to->ListNo) {
    for (int k = fromLevel; k >= 0; --k) emitLevelTag(from, k, false, useCSS);
    for (int k = 0; k <= toLevel; ++k) emitLevelTag(to, k, true, useCSS);
  } else if (fromLevel > toLevel) {
    for (int k = fromLevel; k > toLevel; --k) emitLevelTag(from, k, false, useCSS);
  } else {
    for (int k = fromLevel + 1; k <= toLevel; ++k) emitLevelTag(to, k, true, useCSS);
  }
}

void TRVHTMLWriterBase::emitCloseAllLevels(const TRVMarkerItemInfo* marker) {
  for (int k = RVMarkerGetEffectiveLevel(&style_, marker->ListNo, marker->Level); k >= 0; --k)
    emitLevelTag(marker, k, false, false);
}

std::string TRVHTMLWriterBase::hyperlinkURL(int ItemNo, const TCustomRVItemInfo& item) {
  (void)ItemNo;
  if (!item.QueryFeatureForStyle(rvsfHyperlink, &style_)) return {};
  return data_.URLNeeded(item.JumpID + data_.FirstJumpNo);
}

namespace {
bool hasNonAscii(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char ch) { return static_cast<uint8_t>(ch) >= 0x80; });
}
}  // namespace

uint32_t TRVHTMLWriterBase::pageCodePage() const {
  const TFontInfo& base = style_.TextStyles()[0];
  return base.Unicode ? CP_UTF8 : ResolveCodePage(RVCodePageFromCharset(base.Charset));
}

std::string TRVHTMLWriterBase::escapedText(int ItemNo, const TCustomRVItemInfo& item) {
  const TFontInfo& textStyle = style_.TextStyles()[item.StyleNo];
  const bool htmlCode = (textStyle.Options & rvteoHTMLCode) != 0;
  const std::string& text = data_.GetItemText(ItemNo);
  if (item.IsTwoByteText()) return RVUnicodeToHTML(text, true, htmlCode);
  std::string escaped = RVEscapeHTML(text, true, htmlCode);
  const uint32_t codePage = ResolveCodePage(RVCodePageFromCharset(textStyle.Charset));
  if (codePage == pageCodePage() || !hasNonAscii(escaped)) return escaped;
  // The page is read in another code page: characters beyond ASCII go as numeric references,
  // which read the same in every encoding. The escaping above only wrote ASCII.
  return RVUnicodeToHTML(RVAnsiToUnicode(codePage, escaped), false, true);
}

void TRVHTMLWriterBase::emitNonTextItem(int ItemNo, TCustomRVItemInfo& item, TColor fileColor, bool useCSS) {
  const bool written =
      item.SaveHTML(stream_, &data_, ItemNo, data_.GetItemText(ItemNo), settings_.Path,
                    settings_.ImagesPrefix, imgSaveNo_, fileColor, settings_.Options, useCSS, bullets_);
  if (!written) ok_ = false;
}

std::string TRVHTMLWriterBase::backgroundLocation() {
  const TRVBackground* background = settings_.Background;
  if (background == nullptr || background->Style == bsNoBitmap) return {};
  const TGraphic* picture = background->GetBitmap();
  if (picture == nullptr || picture->Empty() || picture->Width() <= 0 || picture->Height() <= 0) return {};
  return RVSaveBackgroundImageForHTML(data_, *background, settings_.Path, settings_.ImagesPrefix, imgSaveNo_,
                                      settings_.Color, settings_.Options);
}

TRVMarkerItemInfo* TRVHTMLWriterBase::listMarker(TCustomRVItemInfo& item) const {
  if (item.StyleNo != rvsListMarker) return nullptr;
  auto* marker = dynamic_cast<TRVMarkerItemInfo*>(&item);
  return marker != nullptr && marker->GetLevelInfo(&style_) != nullptr ? marker : nullptr;
}

// ---------------------------------------------------------------------------------------
// The plain page

void TRVHTMLWriter::emitHead() {
  line("<HTML><HEAD><TITLE>" + RVEscapeHTMLAttribute(settings_.Title) + "</TITLE>");
  emitCharsetMeta();
  const std::string head = data_.SaveHTMLExtra(rvhsaHead, false);
  if (!head.empty()) line(head);
  line("</HEAD>");
  write("<BODY");
  if (settings_.Color != clNone) write(" bgcolor=" + RVColorToHTML(settings_.Color));
  const std::string background = backgroundLocation();
  if (!background.empty()) {
    write(" background=\"" + RVEscapeHTMLAttribute(background) + "\"");
    if (settings_.Background->Style != bsTiledAndScrolled) write(" bgproperties=fixed");
  }
  const std::string attributes = data_.SaveHTMLExtra(rvhsaBodyAttribute, false);
  if (!attributes.empty()) line(" " + attributes);
  line(Format(" leftmargin=%d topmargin=%d rightmargin=%d bottommargin=%d>",
              {settings_.LeftMargin, settings_.TopMargin, settings_.RightMargin, settings_.BottomMargin}));
  const std::string bodyStart = data_.SaveHTMLExtra(rvhsaBodyStart, false);
  if (!bodyStart.empty()) line(bodyStart);
}

void TRVHTMLWriter::emitParagraphStart(TCustomRVItemInfo& item) {
  // An LI is closed once, also when a horizontal line stood between two list paragraphs.
  if (inListItem_) {
    line("</LI>");
    inListItem_ = false;
  }
  if (inDiv_) {
    line("</DIV>");
    inDiv_ = false;
  }
  if (TRVMarkerItemInfo* marker = (settings_.Options & rvhoMarkersAsText) ? nullptr : listMarker(item)) {
    emitListSwitch(curMarker_, marker, false);
    curMarker_ = marker;
    if (marker->GetLevelInfo(&style_)->HasNumbering())
      write(Format("<LI value=%d>", {marker->Counter}));
    else
      write("<LI>");
    inListItem_ = true;
    return;
  }
  if (item.StyleNo == rvsBreak) return;  // a line keeps an open list open
  if (curMarker_ != nullptr && item.StyleNo != rvsListMarker) {
    emitCloseAllLevels(curMarker_);
    curMarker_ = nullptr;
  }
  write(RVHTMLDivForAlignment(style_.ParaStyles()[item.ParaNo].Alignment));
  inDiv_ = true;
}

void TRVHTMLWriter::emitTextItem(int ItemNo, const TCustomRVItemInfo& item) {
  const std::string text = escapedText(ItemNo, item);
  if (item.StyleNo == 0) {
    write(text);
    return;
  }
  const std::pair<std::string, std::string>& markup = runMarkup(item.StyleNo);
  write(markup.first);
  write(text);
  write(markup.second);
}

const std::pair<std::string, std::string>& TRVHTMLWriter::runMarkup(int styleNo) {
  const TFontInfos& styles = style_.TextStyles();
  // Styles outside the sheet share the last slot: the sheet answers one substitute for all.
  const size_t slot =
      styleNo < styles.Count() ? static_cast<size_t>(styleNo) : static_cast<size_t>(styles.Count());
  if (runMarkup_.size() <= slot) runMarkup_.resize(slot + 1);
  if (!runMarkup_[slot]) {
    const TFontInfo& style = styles[styleNo];
    runMarkup_[slot].emplace(RVHTMLOpenFontTags(style, styles[0], true),
                             RVHTMLCloseFontTags(style, styles[0], true));
  }
  return *runMarkup_[slot];
}

void TRVHTMLWriter::emitBody() {
  const bool defaultFont = !(settings_.Options & rvhoNoDefaultFont);
  const TFontInfo& base = style_.TextStyles()[0];
  if (defaultFont) line(RVHTMLOpenFontTags(base, base, false));
  for (int i = 0; i < data_.GetItemCount(); ++i) {
    TCustomRVItemInfo& item = *data_.GetItem(i);
    if (!item.GetSameAsPrev()) {
      if (item.GetBR())
        line("<BR>");
      else
        emitParagraphStart(item);
    }
    RVSaveHTMLCheckpoint(stream_, item.Checkpoint.get(), settings_.Options, true, "RVCheckpoint",
                         checkpointCounter_);
    const std::string url = hyperlinkURL(i, item);
    if (!url.empty()) write("<A href=\"" + RVEscapeHTMLAttribute(url) + "\">");
    if (item.StyleNo < 0) {
      emitNonTextItem(i, item, settings_.Color, false);
      if (item.StyleNo == rvsBreak) line("");
    } else {
      emitTextItem(i, item);
    }
    if (!url.empty()) write("</A>");
  }
  if (curMarker_ != nullptr) {
    if (inListItem_) line("</LI>");
    inListItem_ = false;
    emitCloseAllLevels(curMarker_);
    curMarker_ = nullptr;
  }
  if (inDiv_) line("</DIV>");
  inDiv_ = false;
  if (defaultFont) line(RVHTMLCloseFontTags(base, base, false));
  RVSaveHTMLCheckpoint(stream_, data_.GetPendingCheckpoint(), settings_.Options, false, "RVCheckpoint",
                       checkpointCounter_);
}

void TRVHTMLWriter::emitTail() {
  const std::string end = data_.SaveHTMLExtra(rvhsaPageEnd, false);
  if (!end.empty()) line(end);
  line("</BODY></HTML>");
}

// ---------------------------------------------------------------------------------------
// The HTML side of the document: entry points and hooks

TCustomRVData& TRVHTMLExportSide::Document() {
  return static_cast<TCustomRVData&>(*this);
}

bool TRVHTMLExportSide::SaveHTMLToStream(TStream& Stream, const std::string& Path, const std::string& Title,
                                         const std::string& ImagesPrefix, TRVHTMLSaveOptions Options,
                                         TColor Color, int& imgSaveNo, int32_t LeftMargin, int32_t TopMargin,
                                         int32_t RightMargin, int32_t BottomMargin,
                                         const TRVBackground* Background, TRVHTMLBulletList* Bullets) {
  TRVStyle* style = Document().GetRVStyle();
  if (style == nullptr) return false;
  const TRVHTMLExport settings{Path,       Title,     ImagesPrefix, Options,      Color,
                               LeftMargin, TopMargin, RightMargin,  BottomMargin, Background};
  try {
    TRVHTMLWriter writer(Document(), *style, Stream, settings, imgSaveNo, Bullets);
    return writer.Write();
  } catch (const std::bad_alloc&) {
    throw;  // not a fault of the document
  } catch (const std::exception&) {
    return false;
  }
}

bool TRVHTMLExportSide::SaveHTML(const std::string& FileName, const std::string& Title,
                                 const std::string& ImagesPrefix, TRVHTMLSaveOptions Options, TColor Color,
                                 int& imgSaveNo, int32_t LeftMargin, int32_t TopMargin, int32_t RightMargin,
                                 int32_t BottomMargin, const TRVBackground* Background) {
  if (Document().GetRVStyle() == nullptr) return false;
  std::unique_ptr<TFileStream> file;
  try {
    file = std::make_unique<TFileStream>(FileName, fmCreate);
  } catch (const std::exception&) {
    return false;
  }
  return SaveHTMLToStream(*file, ExtractFilePath(FileName), Title, ImagesPrefix, Options, Color, imgSaveNo,
                          LeftMargin, TopMargin, RightMargin, BottomMargin, Background, nullptr);
}

namespace {

/// Whether a text can stand as an attribute value without quotes.
bool IsPlainAttributeValue(std::string_view value) {
  if (value.empty()) return false;
  for (char c : value)
    if (c <= ' ' || c == '"' || c == '\'' || c == '=' || c == '<' || c == '>' || c == '`' || c == '&')
      return false;
  return true;
}

}  // namespace

void RVSaveHTMLCheckpoint(TStream& Stream, const TRVCPInfo* Checkpoint, TRVHTMLSaveOptions Options,
                          bool NewLine, const std::string& Prefix, int& Counter) {
  if (Checkpoint == nullptr) return;
  if (NewLine) RVWriteLine(Stream, "");
  if ((Options & rvhoCheckpointNames) && !Checkpoint->Name.empty()) {
    RVWriteLine(Stream, "<A name=\"" + RVEscapeHTMLAttribute(Checkpoint->Name) + "\"></A>");
  } else {
    const std::string name = Prefix + IntToStr(Counter);
    RVWriteLine(Stream, IsPlainAttributeValue(name) ? "<A name=" + name + "></A>"
                                                    : "<A name=\"" + RVEscapeHTMLAttribute(name) + "\"></A>");
  }
  ++Counter;
}

std::string RVSaveBackgroundImageForHTML(TCustomRVData& RVData, const TRVBackground& Background,
                                         const std::string& Path, const std::string& ImagesPrefix,
                                         int& imgSaveNo, TColor Color, TRVHTMLSaveOptions Options) {
  std::string location;
  bool doDefault = true;
  RVData.HTMLSaveImage(&RVData, -1, Path, Color, location, doDefault);
  if (!doDefault) return location;
  return RVPathToURL(RVSaveImageFileForHTML(RVData, Background.GetBitmap(), Path, ImagesPrefix, imgSaveNo,
                                            Color, (Options & rvhoReuseImageFiles) != 0));
}

std::string TRVHTMLExportSide::URLNeeded(int32_t id) {
  if (TCustomRVData* root = Document().ForwardRoot()) return root->URLNeeded(id);
  return {};
}

std::string TRVHTMLExportSide::SaveHTMLExtra(TRVHTMLSaveArea Area, bool CSSVersion) {
  if (TCustomRVData* root = Document().ForwardRoot()) return root->SaveHTMLExtra(Area, CSSVersion);
  return {};
}

void TRVHTMLExportSide::HTMLSaveImage(TCustomRVData* RVData, int ItemNo, const std::string& Path,
                                      TColor BackgroundColor, std::string& Location, bool& DoDefault) {
  Location.clear();
  DoDefault = true;
  if (TCustomRVData* root = Document().ForwardRoot())
    root->HTMLSaveImage(RVData, ItemNo, Path, BackgroundColor, Location, DoDefault);
}

std::string TCustomRVData::SaveComponentToFile(const std::string& Path, TPersistent* SaveMe,
                                               TRVSaveFormat SaveFormat) {
  if (TCustomRVData* root = ForwardRoot()) return root->SaveComponentToFile(Path, SaveMe, SaveFormat);
  return {};
}

std::string TRVHTMLExportSide::MakeHTMLImageFileName(const std::string& Path, const std::string& ImagesPrefix,
                                                     const std::string& Ext, int& Counter,
                                                     bool OverwriteAllowed) const {
  while (Counter < INT_MAX) {
    ++Counter;
    std::string name = Path + ImagesPrefix + IntToStr(Counter) + Ext;
    if (!FileExists(name)) return name;
    if (OverwriteAllowed) {
      const int attributes = FileGetAttr(name);
      if (attributes >= 0 && (attributes & faReadOnly) == 0) return name;
    }
  }
  throw ERVError("No free image file name for \"" + Path + ImagesPrefix + "\"");
}

namespace {

/// The bytes of Graphic's picture file: a JPEG picture as it is, anything else as a bitmap
/// (drawn on Color unless it is one) that is then compressed when JPEG is asked for.
void EncodeImageForHTML(TGraphic& Graphic, TColor Color, bool JPEG, TStream& Out) {
  if (JPEG && dynamic_cast<TJPEGImage*>(&Graphic) != nullptr) {
    Graphic.SaveToStream(Out);
    return;
  }
  if (JPEG && dynamic_cast<TBitmap*>(&Graphic) != nullptr) {
    // The JPEG takes its own copy of the pixels: a bitmap needs no copy before that.
    TJPEGImage jpeg;
    jpeg.Assign(&Graphic);
    jpeg.SaveToStream(Out);
    return;
  }
  TBitmap bitmap;
  if (dynamic_cast<TBitmap*>(&Graphic) != nullptr) {
    bitmap.Assign(&Graphic);
  } else {
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(Graphic.Width(), Graphic.Height());
    bitmap.Canvas().Brush().SetColor(Color == clNone ? clWhite : Color);
    bitmap.Canvas().FillRect(Rect(0, 0, Graphic.Width(), Graphic.Height()));
    bitmap.Canvas().Draw(0, 0, &Graphic);
  }
  if (!JPEG) {
    bitmap.SaveToStream(Out);
    return;
  }
  TJPEGImage jpeg;
  jpeg.Assign(&bitmap);
  jpeg.SaveToStream(Out);
}

}  // namespace

std::string TRVHTMLExportSide::SaveImageForHTML(TGraphic* Graphic, const std::string& Path,
                                                const std::string& ImagesPrefix, int& Counter, TColor Color,
                                                bool JPEG, bool OverwriteAllowed) {
  if (Graphic == nullptr || Graphic->Width() <= 0 || Graphic->Height() <= 0) return std::string();
  const std::string folder = Path.empty() ? Path : IncludeTrailingPathDelimiter(Path);
  const std::string fileName =
      MakeHTMLImageFileName(folder, ImagesPrefix, JPEG ? ".jpg" : ".bmp", Counter, OverwriteAllowed);
  TMemoryStream bytes;
  try {
    EncodeImageForHTML(*Graphic, Color, JPEG, bytes);
  } catch (const EInvalidGraphic& e) {
    // The picture itself cannot be made (too large to draw): the host may say so.
    HTMLImageFileFailed({{}, 0, e.what()});
    throw;
  }
  try {
    bytes.SaveToFile(fileName);
  } catch (const EStreamError& e) {
    HTMLImageFileFailed({fileName, e.SystemError(), {}});
    throw;
  }
  HTMLImageFileWritten(fileName, bytes);
  return fileName;
}

void TRVHTMLExportSide::HTMLImageFileWritten(const std::string& FileName, const TMemoryStream& Bytes) {
  if (TCustomRVData* root = Document().ForwardRoot()) root->HTMLImageFileWritten(FileName, Bytes);
}

void TRVHTMLExportSide::HTMLImageFileFailed(const TRVHTMLImageFileError& Error) {
  if (TCustomRVData* root = Document().ForwardRoot()) root->HTMLImageFileFailed(Error);
}
