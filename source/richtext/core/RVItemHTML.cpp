// The HTML of the items that write themselves: the horizontal line, pictures, image-list
// images, embedded controls and list markers written as text. Hyperlink wrapping,
// paragraphs and lists are the document writers' business (RVHTMLWriter.h).

#include "platform/core/SysUtils.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/ImageList.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVFuncs.h"
#include "richtext/core/RVHTMLFuncs.h"
#include "richtext/core/RVListInfo.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"

bool TCustomRVItemInfo::SaveHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                                 const std::string& Path, const std::string& ImagesPrefix, int& imgSaveNo,
                                 TColor CurrentFileColor, TRVHTMLSaveOptions Options, bool UseCSS,
                                 TRVHTMLBulletList* Bullets) {
  (void)Stream, (void)RVData, (void)ItemNo, (void)Text, (void)Path, (void)ImagesPrefix, (void)imgSaveNo;
  (void)CurrentFileColor, (void)Options, (void)UseCSS, (void)Bullets;
  return true;
}

namespace {

/// The inline style of a picture shifted off the baseline, "" when it is not. Percent
/// shifts are turned into pixels of the picture's height, so the declaration carries a
/// unit that browsers accept.
std::string VerticalShiftStyle(const TRVRectItemInfo& item, int32_t height) {
  if (item.VShift == 0 || item.VAlign != 0) return {};
  const int32_t shift = item.VShiftAbs ? item.VShift : MulDiv(height, item.VShift, 100);
  return Format("style=\"vertical-align : %dpx\" ", {shift});
}

/// Asks the host for the picture's location first; with the default action `save` makes
/// the file. `failed` is set when a default save produced nothing.
template <typename Save>
std::string PictureLocation(TCustomRVData* RVData, int ItemNo, const std::string& Path, TColor Color,
                            bool& failed, Save save) {
  std::string location;
  bool doDefault = true;
  RVData->HTMLSaveImage(RVData, ItemNo, Path, Color, location, doDefault);
  if (!doDefault) return location;
  location = save();
  failed = location.empty();
  return location;
}

bool HasPixels(const TGraphic* graphic) {
  return graphic != nullptr && graphic->Width() > 0 && graphic->Height() > 0;
}

void WriteImageTag(TStream& Stream, const std::string& prefix, const std::string& location) {
  RVWriteString(Stream, "<IMG" + prefix + "src=\"" + RVEscapeHTMLAttribute(RVPathToURL(location)) + "\">");
}

}  // namespace

// ---------------------------------------------------------------------------------------

bool TRVBreakItemInfo::SaveHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                                const std::string& Path, const std::string& ImagesPrefix, int& imgSaveNo,
                                TColor CurrentFileColor, TRVHTMLSaveOptions Options, bool UseCSS,
                                TRVHTMLBulletList* Bullets) {
  (void)RVData, (void)ItemNo, (void)Text, (void)Path, (void)ImagesPrefix, (void)imgSaveNo;
  (void)CurrentFileColor, (void)Bullets;
  if ((UseCSS || (Options & rvhoBreakColorCSS)) && Color != clNone)
    RVWriteString(Stream,
                  Format("<HR noshade size=%d style='color : %s'>", {LineWidth, RVColorToHTML(Color)}));
  else
    RVWriteString(Stream, Format("<HR noshade size=%d>", {LineWidth}));
  return true;
}

bool TRVGraphicItemInfo::SaveHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                                  const std::string& Path, const std::string& ImagesPrefix, int& imgSaveNo,
                                  TColor CurrentFileColor, TRVHTMLSaveOptions Options, bool UseCSS,
                                  TRVHTMLBulletList* Bullets) {
  (void)Text, (void)Bullets;
  bool failed = false;
  const std::string location = PictureLocation(RVData, ItemNo, Path, CurrentFileColor, failed, [&] {
    return RVSaveImageFileForHTML(*RVData, Image.get(), Path, ImagesPrefix, imgSaveNo, CurrentFileColor,
                                  (Options & rvhoReuseImageFiles) != 0);
  });
  // A picture without pixels has nothing to show: the page goes on without it.
  if (location.empty()) return !failed || !HasPixels(Image.get());
  const int32_t width = GetImageWidth(nullptr);
  const int32_t height = GetImageHeight(nullptr);
  std::string prefix = RVHTMLAlignAttr(VAlign);
  prefix += RVHTMLImageAttributes(Options, width, height, ImageWidth >= 1 || ImageHeight >= 1);
  if (UseCSS) prefix += VerticalShiftStyle(*this, height);
  WriteImageTag(Stream, prefix, location);
  return true;
}

bool TRVBulletItemInfo::SaveHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                                 const std::string& Path, const std::string& ImagesPrefix, int& imgSaveNo,
                                 TColor CurrentFileColor, TRVHTMLSaveOptions Options, bool UseCSS,
                                 TRVHTMLBulletList* Bullets) {
  (void)Text;
  TRVHTMLBulletList ownBullets;  // a caller without an export-wide cache gets one for this item
  TRVHTMLBulletList& bullets = Bullets != nullptr ? *Bullets : ownBullets;
  bool failed = false;
  const std::string location = PictureLocation(RVData, ItemNo, Path, CurrentFileColor, failed, [&] {
    return RVSaveBulletForHTML(ImageList, ImageIndex, nullptr, *RVData, Path, ImagesPrefix, imgSaveNo,
                               CurrentFileColor, Options, bullets);
  });
  if (location.empty()) return !failed;
  const int32_t height = GetImageHeight(nullptr);
  std::string prefix = RVHTMLImageAttributes(Options, GetImageWidth(nullptr), height, false);
  if (UseCSS) prefix += VerticalShiftStyle(*this, height);
  WriteImageTag(Stream, prefix, location);
  return true;
}

bool TRVControlItemInfo::SaveHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                                  const std::string& Path, const std::string& ImagesPrefix, int& imgSaveNo,
                                  TColor CurrentFileColor, TRVHTMLSaveOptions Options, bool UseCSS,
                                  TRVHTMLBulletList* Bullets) {
  (void)ItemNo, (void)Text, (void)ImagesPrefix, (void)imgSaveNo, (void)CurrentFileColor, (void)Options;
  (void)UseCSS, (void)Bullets;
  const std::string html = RVData->SaveComponentToFile(Path, Control.get(), rvsaveHTML);
  if (!html.empty()) RVWriteString(Stream, html);
  return true;
}

// ---------------------------------------------------------------------------------------
// List markers written as text

bool TRVMarkerItemInfo::SaveHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const std::string& Text,
                                 const std::string& Path, const std::string& ImagesPrefix, int& imgSaveNo,
                                 TColor CurrentFileColor, TRVHTMLSaveOptions Options, bool UseCSS,
                                 TRVHTMLBulletList* Bullets) {
  (void)Text;
  if (!(Options & rvhoMarkersAsText)) return true;
  TRVStyle* style = RVData->GetRVStyle();
  TRVListLevel* level = GetLevelInfo(style);
  if (level == nullptr) return true;
  const int32_t width = level->LeftIndent + level->FirstIndent - level->MarkerIndent;
  const bool spanWidth = UseCSS && level->MarkerIndent >= level->LeftIndent;

  if (level->UsesFont()) {
    std::string open, close;
    if (UseCSS) {
      std::string css = RVFontToCSS(level->Font());
      if (spanWidth) css += Format(" width: %dpx;", {width});
      open = "<SPAN style=\"" + RVEscapeHTMLAttribute(css) + "\">";
      close = "</SPAN>";
    } else {
      open = RVHTMLOpenMarkerFontTags(level->Font(), style->TextStyles()[0]);
      close = RVHTMLCloseMarkerFontTags(level->Font(), style->TextStyles()[0]);
    }
    const std::string text = level->ListType == rvlstUnicodeBullet
                                 ? RVUnicodeToHTML(RVWideStringToBytes(level->FormatStringW), false, false)
                                 : RVEscapeHTML(DisplayString, false, false);
    RVWriteString(Stream, open + text);
    RVWriteLine(Stream, close);
    return true;
  }

  // Picture and image-list kinds: the picture's size, or the image list's (none without one).
  TCustomImageList* list = nullptr;
  int32_t index = 0;
  TGraphic* graphic = nullptr;
  const bool hasImage = RVMarkerHTMLImage(*level, Counter, list, index, graphic);
  TRVHTMLBulletList ownBullets;  // a caller without an export-wide cache gets one for this item
  TRVHTMLBulletList& bullets = Bullets != nullptr ? *Bullets : ownBullets;
  bool failed = false;
  const std::string location = PictureLocation(RVData, ItemNo, Path, CurrentFileColor, failed, [&] {
    if (!hasImage) return std::string();
    return RVSaveBulletForHTML(list, index, graphic, *RVData, Path, ImagesPrefix, imgSaveNo, CurrentFileColor,
                               Options, bullets);
  });
  if (location.empty()) return !(failed && hasImage);
  const bool picture = level->ListType == rvlstPicture;
  const int32_t imageWidth = picture ? (graphic ? graphic->Width() : 0) : (list ? list->Width() : 0);
  const int32_t imageHeight = picture ? (graphic ? graphic->Height() : 0) : (list ? list->Height() : 0);
  const bool sizesKnown = picture || list != nullptr;
  const std::string attributes =
      RVHTMLImageAttributes(sizesKnown ? Options : static_cast<TRVHTMLSaveOptions>(Options & ~rvhoImageSizes),
                            imageWidth, imageHeight, false);
  const bool wrap = spanWidth && !picture;
  if (wrap) RVWriteString(Stream, Format("<SPAN style=\"width:%dpx\">", {width}));
  WriteImageTag(Stream, attributes, location);
  if (wrap) RVWriteString(Stream, "</SPAN>");
  RVWriteLine(Stream, "");
  return true;
}
