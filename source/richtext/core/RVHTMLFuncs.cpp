#include "richtext/core/RVHTMLFuncs.h"

#include <exception>

#include "platform/core/Files.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Picture.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVFontInfo.h"
#include "richtext/core/RVFuncs.h"
#include "richtext/core/RVListInfo.h"

// ---------------------------------------------------------------------------------------
// Font markup

int RVFontSizeToHTML(int32_t Size) {
  if (Size < 9) return 1;
  if (Size <= 10) return 2;
  if (Size <= 12) return 3;
  if (Size <= 14) return 4;
  if (Size <= 18) return 5;
  if (Size <= 24) return 6;
  return 7;
}

namespace {

/// What the FONT/B/I/U/S markup needs of a font, from a text style or a marker font.
struct TFontFace {
  int32_t Size;
  TColor Color;
  std::string Name;
  TFontStyles Style;
  int32_t VShift;
};

TFontFace FaceOf(const TFontInfo& f) {
  return {f.Size, f.Color, f.FontName, f.Style, f.VShift};
}
TFontFace FaceOf(const TFont& f) {
  return {f.Size(), f.Color(), f.Name(), f.Style(), 0};
}

constexpr TFontStyle kStyleOrder[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
constexpr const char* kOpenTags[] = {"<B>", "<I>", "<U>", "<S>"};
constexpr const char* kCloseTags[] = {"</B>", "</I>", "</U>", "</S>"};

/// The attributes of FONT; empty when no FONT element is needed. Open and close markup
/// both ask here, so a FONT is closed exactly when one was opened.
std::string FontAttributes(const TFontFace& style, const TFontFace& base, bool relative) {
  std::string attributes;
  if (!relative || style.Size != base.Size) attributes += " size=" + IntToStr(RVFontSizeToHTML(style.Size));
  if ((!relative || style.Color != base.Color) && style.Color != clNone)
    attributes += " color=" + RVColorToHTML(style.Color);
  if (!relative || !SameText(style.Name, base.Name))
    attributes += " face=\"" + RVEscapeHTMLAttribute(style.Name) + "\"";
  return attributes;
}

std::string OpenTags(const TFontFace& style, const TFontFace& base, bool relative, bool withShift) {
  std::string attributes = FontAttributes(style, base, relative);
  std::string r = attributes.empty() ? std::string() : "<FONT" + attributes + ">";
  if (relative) {
    for (int k = 3; k >= 0; --k)
      if (base.Style.Contains(kStyleOrder[k]) && !style.Style.Contains(kStyleOrder[k])) r += kCloseTags[k];
    for (int k = 0; k < 4; ++k)
      if (style.Style.Contains(kStyleOrder[k]) && !base.Style.Contains(kStyleOrder[k])) r += kOpenTags[k];
  } else {
    for (int k = 0; k < 4; ++k)
      if (style.Style.Contains(kStyleOrder[k])) r += kOpenTags[k];
  }
  if (withShift && style.VShift < 0) r += "<SUB>";
  if (withShift && style.VShift > 0) r += "<SUP>";
  return r;
}

std::string CloseTags(const TFontFace& style, const TFontFace& base, bool relative, bool withShift) {
  std::string r;
  if (withShift && style.VShift < 0) r += "</SUB>";
  if (withShift && style.VShift > 0) r += "</SUP>";
  if (relative) {
    for (int k = 3; k >= 0; --k)
      if (style.Style.Contains(kStyleOrder[k]) && !base.Style.Contains(kStyleOrder[k])) r += kCloseTags[k];
    for (int k = 0; k < 4; ++k)
      if (base.Style.Contains(kStyleOrder[k]) && !style.Style.Contains(kStyleOrder[k])) r += kOpenTags[k];
  } else {
    for (int k = 3; k >= 0; --k)
      if (style.Style.Contains(kStyleOrder[k])) r += kCloseTags[k];
  }
  if (!FontAttributes(style, base, relative).empty()) r += "</FONT>";
  return r;
}

}  // namespace

std::string RVHTMLOpenFontTags(const TFontInfo& Style, const TFontInfo& Base, bool Relative) {
  return OpenTags(FaceOf(Style), FaceOf(Base), Relative, true);
}

std::string RVHTMLCloseFontTags(const TFontInfo& Style, const TFontInfo& Base, bool Relative) {
  return CloseTags(FaceOf(Style), FaceOf(Base), Relative, true);
}

std::string RVHTMLOpenMarkerFontTags(const TFont& Font, const TFontInfo& Base) {
  return OpenTags(FaceOf(Font), FaceOf(Base), true, false);
}

std::string RVHTMLCloseMarkerFontTags(const TFont& Font, const TFontInfo& Base) {
  return CloseTags(FaceOf(Font), FaceOf(Base), true, false);
}

// ---------------------------------------------------------------------------------------
// Escaping

std::string RVPathToURL(std::string_view Path) {
  std::string url(Path);
  for (char& c : url)
    if (c == '\\') c = '/';
  return url;
}

std::string RVEscapeHTML(std::string_view Text, bool EmptyAsNbsp, bool IsHTMLCode) {
  if (IsHTMLCode) return std::string(Text);
  if (Text.empty()) return EmptyAsNbsp ? "&nbsp;" : std::string();
  std::string r;
  r.reserve(Text.size() + Text.size() / 8);
  const size_t n = Text.size();
  for (size_t i = 0; i < n;) {
    const char c = Text[i];
    if (c != ' ') {
      switch (c) {
        case '&':
          r += "&amp;";
          break;
        case '<':
          r += "&lt;";
          break;
        case '>':
          r += "&gt;";
          break;
        default:
          r += c;
      }
      ++i;
      continue;
    }
    // A run of blanks: all but the last become "&nbsp;"; the last stays a blank unless the
    // run is a lone blank at the start, or the run ends the text.
    size_t run = 1;
    while (i + run < n && Text[i + run] == ' ') ++run;
    const bool atStart = i == 0;
    const bool atEnd = i + run == n;
    for (size_t k = 1; k < run; ++k) r += "&nbsp;";
    r += (atEnd || (atStart && run == 1)) ? "&nbsp;" : " ";
    i += run;
  }
  return r;
}

std::string RVEscapeHTMLAttribute(std::string_view Value) {
  std::string r;
  r.reserve(Value.size());
  for (char c : Value) {
    switch (c) {
      case '&':
        r += "&amp;";
        break;
      case '"':
        r += "&quot;";
        break;
      case '<':
        r += "&lt;";
        break;
      case '>':
        r += "&gt;";
        break;
      default:
        r += c;
    }
  }
  return r;
}

std::string RVEscapeCSSString(std::string_view Value) {
  std::string r;
  r.reserve(Value.size());
  for (char c : Value) {
    switch (c) {
      case '"':
      case '\'':
      case '\\':
        r += '\\';
        r += c;
        break;
      case '<':
        r += "\\3C ";
        break;
      case '>':
        r += "\\3E ";
        break;
      default:
        r += c;
    }
  }
  return r;
}

// ---------------------------------------------------------------------------------------
// Small pieces

std::string RVCharsetToHTMLCharset(uint8_t Charset) {
  switch (Charset) {
    case 128:
      return "shift_jis";
    case 134:
      return "gb2312";
    case 136:
      return "big5";
    case 161:
      return "Windows-1253";
    case 162:
      return "Windows-1254";
    case 163:
      return "Windows-1258";
    case 177:
      return "Windows-1255";
    case 178:
      return "Windows-1256";
    case 186:
      return "Windows-1257";
    case 204:
      return "Windows-1251";
    case 222:
      return "Windows-874";
    case 238:
      return "Windows-1250";
    case 255:
      return "ascii";
    default:
      return {};
  }
}

std::string RVHTMLDivForAlignment(TRVAlignment Alignment) {
  switch (Alignment) {
    case rvaRight:
      return "<DIV align=right>";
    case rvaCenter:
      return "<DIV align=center>";
    case rvaJustify:
      return "<DIV align=justify>";
    default:
      return "<DIV>";
  }
}

std::string RVHTMLAlignAttr(uint8_t VAlign) {
  return VAlign == 1 ? " align=middle" : "";
}

std::string RVHTMLImageAttributes(TRVHTMLSaveOptions Options, int32_t Width, int32_t Height,
                                  bool ForceSizes) {
  std::string r = (Options & rvhoNoImageBorders) ? " border=0 " : " ";
  if ((Options & rvhoImageSizes) || ForceSizes) r += Format("width=%d height=%d ", {Width, Height});
  return r;
}

std::string RVAppendWithSpace(const std::string& s, const std::string& word) {
  if (s.empty()) return word;
  if (word.empty()) return s;
  return s + " " + word;
}

std::string RVFontToCSS(const TFont& Font) {
  std::string font;
  if (Font.Style().Contains(fsBold)) font = RVAppendWithSpace(font, "bold");
  if (Font.Style().Contains(fsItalic)) font = RVAppendWithSpace(font, "italic");
  font = RVAppendWithSpace(font,
                           Font.Size() < 1 ? Format("%dpx", {Font.Height()}) : Format("%dpt", {Font.Size()}));
  font = RVAppendWithSpace(font, "'" + RVEscapeCSSString(Font.Name()) + "'");
  std::string css = "font: " + font + ";";
  std::string decoration;
  if (Font.Style().Contains(fsUnderline)) decoration = RVAppendWithSpace(decoration, "underline");
  if (Font.Style().Contains(fsStrikeOut)) decoration = RVAppendWithSpace(decoration, "line-through");
  if (!decoration.empty()) css += " text-decoration: " + decoration + ";";
  if (Font.Color() != clNone) css += " color: " + RVColorToHTML(Font.Color()) + ";";
  return css;
}

// ---------------------------------------------------------------------------------------
// Image files

std::string RVSaveImageFileForHTML(TCustomRVData& RVData, TGraphic* Graphic, const std::string& Path,
                                   const std::string& ImagesPrefix, int& imgSaveNo, TColor BackColor,
                                   bool ReuseFiles) {
  const int counterBefore = imgSaveNo;
  std::string fileName;
  try {
    fileName = RVData.SaveImageForHTML(Graphic, Path, ImagesPrefix, imgSaveNo, BackColor, true, ReuseFiles);
  } catch (...) {
    // The counter names the file that was being written; a half-written file would be
    // taken for a picture of the page, so it goes.
    if (imgSaveNo != counterBefore) {
      const std::string folder = Path.empty() ? Path : IncludeTrailingPathDelimiter(Path);
      const std::string name = folder + ImagesPrefix + IntToStr(imgSaveNo) + ".jpg";
      if (FileExists(name)) DeleteFile(name);
    }
    throw;
  }
  if (fileName.empty()) return {};
  return ExtractFilePath(ImagesPrefix) + ExtractFileName(fileName);
}

std::string RVSaveBulletForHTML(TCustomImageList* ImageList, int32_t ImageIndex, TGraphic* Graphic,
                                TCustomRVData& RVData, const std::string& Path,
                                const std::string& ImagesPrefix, int& imgSaveNo, TColor BackColor,
                                TRVHTMLSaveOptions Options, TRVHTMLBulletList& Bullets) {
  for (const auto& info : Bullets)
    if (info->ImageList == ImageList && info->ImageIndex == ImageIndex && info->Graphic == Graphic &&
        info->BackColor == BackColor)
      return info->FileName;

  const int32_t width = ImageList ? ImageList->Width() : Graphic ? Graphic->Width() : 0;
  const int32_t height = ImageList ? ImageList->Height() : Graphic ? Graphic->Height() : 0;
  if (width <= 0 || height <= 0) return {};
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf32bit);
  bitmap.SetSize(width, height);
  bitmap.Canvas().Brush().SetColor(BackColor == clNone ? clWhite : BackColor);
  bitmap.Canvas().FillRect(Rect(0, 0, width, height));
  if (ImageList)
    ImageList->Draw(bitmap.Canvas(), 0, 0, ImageIndex, true);
  else
    bitmap.Canvas().Draw(0, 0, Graphic);

  const std::string location = RVPathToURL(RVSaveImageFileForHTML(
      RVData, &bitmap, Path, ImagesPrefix, imgSaveNo, BackColor, (Options & rvhoReuseImageFiles) != 0));
  if (location.empty()) return {};
  auto info = std::make_unique<TRVHTMLBulletInfo>();
  info->FileName = location;
  info->ImageList = ImageList;
  info->ImageIndex = ImageIndex;
  info->BackColor = BackColor;
  info->Graphic = Graphic;
  Bullets.Add(std::move(info));
  return location;
}

bool RVMarkerHTMLImage(TRVListLevel& Level, int32_t Counter, TCustomImageList*& ImageList,
                       int32_t& ImageIndex, TGraphic*& Graphic) {
  ImageList = nullptr;
  ImageIndex = 0;
  Graphic = nullptr;
  if (Level.ListType == rvlstPicture) {
    Graphic = Level.PictureIfAny() ? Level.PictureIfAny()->Graphic() : nullptr;
    return Graphic != nullptr;
  }
  if (Level.ListType != rvlstImageList && Level.ListType != rvlstImageListCounter) return false;
  ImageList = Level.ImageList;
  ImageIndex = Level.ImageIndex + (Level.ListType == rvlstImageListCounter ? Counter - 1 : 0);
  return ImageList != nullptr && ImageIndex >= 0 && ImageIndex < ImageList->Count();
}
