// Markup helpers of the two HTML writers and of the items' HTML: escaping of text and of
// attribute values, colours and font sizes, the FONT/B/I/U/S markup of text styles and
// list-marker fonts, CSS font text, image attributes, and the image files written for
// pictures and image-list images (each image once per export, through the bullet cache).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/Colors.h"
#include "richtext/core/RVHTMLTypes.h"
#include "richtext/core/RVParaInfo.h"  // TRVAlignment

class TCustomImageList;
class TCustomRVData;
class TFont;
class TFontInfo;
class TGraphic;
class TRVListLevel;

/// HTML font size 1..7 of a size in points.
int RVFontSizeToHTML(int32_t Size);

/// The opening markup of a text style: FONT with its size, colour and face, then B, I, U, S
/// and SUB/SUP. Relative markup is against Base: only what differs from it (closing Base's
/// B/I/U/S that Style lacks). A colour of clNone gives no colour attribute.
std::string RVHTMLOpenFontTags(const TFontInfo& Style, const TFontInfo& Base, bool Relative);
/// The markup that closes RVHTMLOpenFontTags of the same arguments.
std::string RVHTMLCloseFontTags(const TFontInfo& Style, const TFontInfo& Base, bool Relative);
/// Relative markup of a list level's marker font against a text style (no SUB/SUP).
std::string RVHTMLOpenMarkerFontTags(const TFont& Font, const TFontInfo& Base);
std::string RVHTMLCloseMarkerFontTags(const TFont& Font, const TFontInfo& Base);

/// A copy with every backslash turned into a slash.
std::string RVPathToURL(std::string_view Path);
/// HTML text of 8-bit text: & < > escaped, runs of blanks kept with "&nbsp;", a blank at
/// either end as "&nbsp;"; an empty text becomes "&nbsp;" with EmptyAsNbsp. HTML code
/// (IsHTMLCode) is returned unchanged.
std::string RVEscapeHTML(std::string_view Text, bool EmptyAsNbsp, bool IsHTMLCode);
/// An attribute value (or other text between tags) with & " < > escaped.
std::string RVEscapeHTMLAttribute(std::string_view Value);
/// The text of a CSS string in quotes: quotes and backslashes escaped, < and > as CSS
/// escapes so that the text cannot end a STYLE element.
std::string RVEscapeCSSString(std::string_view Value);

/// The HTML charset name of a font charset, "" for charsets without one.
std::string RVCharsetToHTMLCharset(uint8_t Charset);
/// "<DIV>" or "<DIV align=...>" for a paragraph alignment.
std::string RVHTMLDivForAlignment(TRVAlignment Alignment);
/// " align=middle" for a picture centred on the baseline (VAlign 1), else "".
std::string RVHTMLAlignAttr(uint8_t VAlign);
/// " border=0 " or " ", then "width=W height=H " when rvhoImageSizes is set or ForceSizes.
std::string RVHTMLImageAttributes(TRVHTMLSaveOptions Options, int32_t Width, int32_t Height, bool ForceSizes);

/// `s` and `word` joined by one blank (no blank when either is empty).
std::string RVAppendWithSpace(const std::string& s, const std::string& word);
/// CSS declarations of a font: "font: ...;", text decoration and colour (none for clNone).
std::string RVFontToCSS(const TFont& Font);

/// Saves Graphic as a JPEG image file for an export (through RVData.SaveImageForHTML) and
/// answers its location for "src": the folder part of ImagesPrefix and the file's name.
/// "" when the graphic has no pixels. A file left half written by a failure is removed
/// before the failure goes on.
std::string RVSaveImageFileForHTML(TCustomRVData& RVData, TGraphic* Graphic, const std::string& Path,
                                   const std::string& ImagesPrefix, int& imgSaveNo, TColor BackColor,
                                   bool ReuseFiles);

/// The location of the image file of an image-list image (ImageList, ImageIndex) or of a
/// graphic (Graphic) painted on BackColor: taken from Bullets when this image was written
/// before in this export, else written now and added to Bullets. "" when nothing could be
/// saved (an image of size 0).
std::string RVSaveBulletForHTML(TCustomImageList* ImageList, int32_t ImageIndex, TGraphic* Graphic,
                                TCustomRVData& RVData, const std::string& Path,
                                const std::string& ImagesPrefix, int& imgSaveNo, TColor BackColor,
                                TRVHTMLSaveOptions Options, TRVHTMLBulletList& Bullets);

/// The image a list marker of `Level` with `Counter` shows: a picture level's graphic, or
/// an image of an image-list level (the counter kind adds Counter - 1 to ImageIndex). False
/// for other levels and when the picture or the image does not exist.
bool RVMarkerHTMLImage(TRVListLevel& Level, int32_t Counter, TCustomImageList*& ImageList,
                       int32_t& ImageIndex, TGraphic*& Graphic);
