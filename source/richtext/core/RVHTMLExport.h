// The HTML side of a document: the entry points that run the HTML writers (RVHTMLWriter.h,
// RVCSSWriter.h) and the hooks those writers ask while they write. TCustomRVData derives
// from it, so a document and every subclass answer these calls; the definitions sit beside
// the writers.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/Colors.h"
#include "richtext/core/RVHTMLTypes.h"

class TCustomRVData;
class TGraphic;
class TMemoryStream;
class TRVBackground;
class TStream;

class TRVHTMLExportSide {
 public:
  virtual ~TRVHTMLExportSide() = default;
  TRVHTMLExportSide(const TRVHTMLExportSide&) = delete;
  TRVHTMLExportSide& operator=(const TRVHTMLExportSide&) = delete;

  /// Writes the document as an HTML page (or the parts Options choose) to Stream, and its
  /// pictures as JPEG files into the folder Path, named from ImagesPrefix and imgSaveNo.
  /// Color is the page colour and the colour pictures are painted on; Background may be
  /// null; Bullets is the export's image cache (null: one is made for the call). False,
  /// with nothing written, without a style sheet; false when a failure interrupted the
  /// writing (Stream then holds what was written before it) or a picture could not be
  /// saved (it gets no IMG tag; the rest of the page is written).
  virtual bool SaveHTMLToStream(TStream& Stream, const std::string& Path, const std::string& Title,
                                const std::string& ImagesPrefix, TRVHTMLSaveOptions Options, TColor Color,
                                int& imgSaveNo, int32_t LeftMargin, int32_t TopMargin, int32_t RightMargin,
                                int32_t BottomMargin, const TRVBackground* Background,
                                TRVHTMLBulletList* Bullets);
  /// The same page with a CSS style block: paragraphs and text runs refer to the style
  /// sheet's classes. ExtraStyles goes into the style block; a non-empty ExternalCSS is
  /// linked instead of the sheet's rules; CPPrefix names checkpoint anchors ("RVCheckpoint"
  /// when empty). CurrentFileColor ends as the colour the last paragraph's pictures were
  /// painted on.
  virtual bool SaveHTMLToStreamCSS(TStream& Stream, const std::string& Path, const std::string& Title,
                                   const std::string& ImagesPrefix, const std::string& ExtraStyles,
                                   const std::string& ExternalCSS, const std::string& CPPrefix,
                                   TRVHTMLSaveOptions Options, TColor Color, TColor& CurrentFileColor,
                                   int& imgSaveNo, int32_t LeftMargin, int32_t TopMargin, int32_t RightMargin,
                                   int32_t BottomMargin, const TRVBackground* Background,
                                   TRVHTMLBulletList* Bullets);
  /// SaveHTMLToStream into the file FileName, pictures beside it. False also when the file
  /// cannot be created.
  bool SaveHTML(const std::string& FileName, const std::string& Title, const std::string& ImagesPrefix,
                TRVHTMLSaveOptions Options, TColor Color, int& imgSaveNo, int32_t LeftMargin,
                int32_t TopMargin, int32_t RightMargin, int32_t BottomMargin,
                const TRVBackground* Background);

  // Hooks of the writers. A nested document asks its root; a top-level document without
  // overrides has no handler: no URL, no extra HTML, default picture saving.
  /// The address of hyperlink `id`; "" for no link.
  virtual std::string URLNeeded(int32_t id);
  /// Extra HTML for Area of the page.
  virtual std::string SaveHTMLExtra(TRVHTMLSaveArea Area, bool CSSVersion);
  /// Lets the host save the picture of item ItemNo of RVData (-1: the page background):
  /// Location starts empty and DoDefault true; clearing DoDefault keeps the host's Location.
  virtual void HTMLSaveImage(TCustomRVData* RVData, int ItemNo, const std::string& Path,
                             TColor BackgroundColor, std::string& Location, bool& DoDefault);

  /// Counts Counter up until Path + ImagesPrefix + Counter + Ext names no existing file
  /// (with OverwriteAllowed: or an existing file that is not read-only); answers that name.
  virtual std::string MakeHTMLImageFileName(const std::string& Path, const std::string& ImagesPrefix,
                                            const std::string& Ext, int& Counter,
                                            bool OverwriteAllowed) const;
  /// Writes Graphic as a picture file for HTML export into Path (a folder), named from
  /// ImagesPrefix and the next free Counter value: ".jpg" with JPEG, else ".bmp". A graphic
  /// that is neither a bitmap nor (with JPEG) a JPEG picture is drawn on Color (white for
  /// clNone). Answers the file's name, "" for a graphic without pixels.
  virtual std::string SaveImageForHTML(TGraphic* Graphic, const std::string& Path,
                                       const std::string& ImagesPrefix, int& Counter, TColor Color, bool JPEG,
                                       bool OverwriteAllowed);
  /// Told of every picture file SaveImageForHTML wrote, with the bytes it holds, so that a
  /// host can take them without reading the file back. A nested document tells its root;
  /// a top-level document does nothing with it.
  virtual void HTMLImageFileWritten(const std::string& FileName, const TMemoryStream& Bytes);
  /// Told when SaveImageForHTML could not make or write a picture file (the export then
  /// fails), so that a host can say why; passed to the root like HTMLImageFileWritten.
  virtual void HTMLImageFileFailed(const TRVHTMLImageFileError& Error);

 private:
  friend class TCustomRVData;
  TRVHTMLExportSide() = default;
  /// The document this is the HTML side of (TCustomRVData is the only class deriving from it).
  TCustomRVData& Document();
};
