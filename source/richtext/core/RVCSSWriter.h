// TRVCSSHTMLWriter: the HTML page whose look lives in a CSS style block. Paragraphs are P
// elements of class "RVPS" + paragraph style, text runs SPAN elements of class "RVTS" + text
// style (one span for a run of one style on one line), lists carry inline indents.
#pragma once

#include <string>

#include "richtext/core/RVHTMLWriter.h"

class TRVCSSHTMLWriter : public TRVHTMLWriterBase {
 public:
  /// ExtraStyles go into the style block, a non-empty ExternalCSS is linked instead of the
  /// sheet's rules, CPPrefix names the checkpoint anchors; CurrentFileColor follows the
  /// paragraphs' background colours.
  TRVCSSHTMLWriter(TCustomRVData& Data, TRVStyle& Style, TStream& Stream, const TRVHTMLExport& Settings,
                   int& imgSaveNo, TRVHTMLBulletList* Bullets, const std::string& ExtraStyles,
                   const std::string& ExternalCSS, const std::string& CPPrefix, TColor& CurrentFileColor);

 protected:
  void emitHead() override;
  void emitBody() override;
  void emitTail() override;

 private:
  void emitBodyRule();
  void emitParagraphStart(int ItemNo, TCustomRVItemInfo& item);
  void emitListItemStart(TRVMarkerItemInfo& marker, int ItemNo);
  /// The declaration that makes the marker's picture the list-item image, or "" without one.
  std::string listStyleImage(TRVMarkerItemInfo& marker, int ItemNo);
  void emitTextItem(int ItemNo, const TCustomRVItemInfo& item);

  const std::string& extraStyles_;
  const std::string& externalCSS_;
  std::string cpPrefix_;
  TColor& currentFileColor_;

  int curPara_ = -1;                        // paragraph style of the open P
  TRVMarkerItemInfo* curMarker_ = nullptr;  // the marker of the open HTML list
  bool inListItem_ = false;                 // an LI is open
  int curSpan_ = -1;                        // text style of the open SPAN
};
