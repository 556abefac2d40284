// The HTML writers of a document: TRVHTMLWriterBase holds what both page kinds share (the
// export's settings, lists, checkpoint anchors, hyperlinks, text escaping and the failure
// state); TRVHTMLWriter writes the plain page with FONT and DIV markup, and TRVCSSHTMLWriter
// (RVCSSWriter.h) the page with a CSS style block. The document's HTML side
// (RVHTMLExport.h) runs them; items write themselves through TCustomRVItemInfo::SaveHTML.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/Colors.h"
#include "richtext/core/RVHTMLTypes.h"

class TCustomRVData;
class TCustomRVItemInfo;
class TFontInfo;
class TRVBackground;
class TRVCPInfo;
class TRVMarkerItemInfo;
class TRVStyle;
class TStream;

/// The settings of one export. The texts are the caller's, which outlive the writer: a
/// document exported part by part makes one writer a part, and copies would cost more.
struct TRVHTMLExport {
  const std::string& Path;  // folder of the image files
  const std::string& Title;
  const std::string& ImagesPrefix;  // image file names start with it
  TRVHTMLSaveOptions Options = 0;
  TColor Color = clNone;  // page colour, and what pictures are painted on
  int32_t LeftMargin = 0;
  int32_t TopMargin = 0;
  int32_t RightMargin = 0;
  int32_t BottomMargin = 0;
  const TRVBackground* Background = nullptr;
};

/// Writes the anchor of Checkpoint (nothing for null): its name with rvhoCheckpointNames
/// and a name, else Prefix and Counter; Counter then counts up. NewLine writes an empty
/// line first.
void RVSaveHTMLCheckpoint(TStream& Stream, const TRVCPInfo* Checkpoint, TRVHTMLSaveOptions Options,
                          bool NewLine, const std::string& Prefix, int& Counter);
/// The location of RVData's page background picture for "background": the host's, or a
/// JPEG file of the picture on Color. "" for no picture.
std::string RVSaveBackgroundImageForHTML(TCustomRVData& RVData, const TRVBackground& Background,
                                         const std::string& Path, const std::string& ImagesPrefix,
                                         int& imgSaveNo, TColor Color, TRVHTMLSaveOptions Options);

class TRVHTMLWriterBase {
 public:
  TRVHTMLWriterBase(TCustomRVData& Data, TRVStyle& Style, TStream& Stream, const TRVHTMLExport& Settings,
                    int& imgSaveNo, TRVHTMLBulletList* Bullets);
  virtual ~TRVHTMLWriterBase();
  TRVHTMLWriterBase(const TRVHTMLWriterBase&) = delete;
  TRVHTMLWriterBase& operator=(const TRVHTMLWriterBase&) = delete;

  /// Writes the parts the options choose; false when something could not be written.
  bool Write();

 protected:
  virtual void emitHead() = 0;
  virtual void emitBody() = 0;
  virtual void emitTail() = 0;

  void write(const std::string& s);
  void line(const std::string& s);

  /// The META line of text style 0's charset, when it has a name.
  void emitCharsetMeta();
  /// Opens and closes list levels so that marker `to` is inside its level.
  void emitListSwitch(const TRVMarkerItemInfo* from, const TRVMarkerItemInfo* to, bool useCSS);
  /// Closes every level of the list of `marker`, from its level out.
  void emitCloseAllLevels(const TRVMarkerItemInfo* marker);
  /// The URL of item ItemNo when it is a hyperlink with an address, else "".
  std::string hyperlinkURL(int ItemNo, const TCustomRVItemInfo& item);
  /// The item's text as HTML. 8-bit text of a code page other than the page's is written
  /// with numeric character references beyond ASCII.
  std::string escapedText(int ItemNo, const TCustomRVItemInfo& item);
  /// The code page the page is read in: text style 0's, or UTF-8 when that style is Unicode.
  uint32_t pageCodePage() const;
  /// Calls the item's own HTML writer; notes a failure.
  void emitNonTextItem(int ItemNo, TCustomRVItemInfo& item, TColor fileColor, bool useCSS);
  /// The location of the page background picture, "" when there is none.
  std::string backgroundLocation();
  /// A marker whose list level exists, else null.
  TRVMarkerItemInfo* listMarker(TCustomRVItemInfo& item) const;

  TCustomRVData& data_;
  TRVStyle& style_;
  TStream& stream_;
  const TRVHTMLExport& settings_;
  int& imgSaveNo_;
  TRVHTMLBulletList* bullets_;
  TRVHTMLBulletList ownBullets_;  // the list when the caller gives none
  int checkpointCounter_ = 0;
  bool ok_ = true;

 private:
  void emitLevelTag(const TRVMarkerItemInfo* marker, int level, bool open, bool useCSS);
};

/// The plain page: FONT markup relative to text style 0, paragraphs as DIV.
class TRVHTMLWriter : public TRVHTMLWriterBase {
 public:
  using TRVHTMLWriterBase::TRVHTMLWriterBase;

 protected:
  void emitHead() override;
  void emitBody() override;
  void emitTail() override;

 private:
  /// Closes what the previous paragraph left open and opens the paragraph of item ItemNo.
  void emitParagraphStart(TCustomRVItemInfo& item);
  void emitTextItem(int ItemNo, const TCustomRVItemInfo& item);
  /// The opening and closing markup of a run in text style styleNo, made once per style.
  const std::pair<std::string, std::string>& runMarkup(int styleNo);

  std::vector<std::optional<std::pair<std::string, std::string>>> runMarkup_;
  bool inDiv_ = false;
  TRVMarkerItemInfo* curMarker_ = nullptr;  // the marker of the open HTML list
  bool inListItem_ = false;                 // an LI is open
};
