// TRVRTFReader: reads an RTF byte stream and hands what it finds to its owner through events
// (runs of text with their place in the paragraph structure, pictures, table structure, list
// markers, page breaks, headers and footers). It keeps the whole formatting state the RTF
// defines so that the handlers can look at the properties of what is being delivered; it
// makes no document items itself (TRVRTFReaderProperties does).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Streams.h"
#include "richtext/rtf/RVRTFTypes.h"

class TGraphic;
class TRVRTFReader;

/// Where delivered text goes in the paragraph structure.
enum TRVRTFPosition : uint8_t {
  rtf_ts_ContinuePara = 0,  // continues the current paragraph
  rtf_ts_NewLine = 1,       // first after a line break
  rtf_ts_NewPara = 2,       // first of a new paragraph
};

enum TRVRTFTableEventKind : uint8_t {
  rvf_tbl_TableStart = 0,
  rvf_tbl_TableEnd = 1,
  rvf_tbl_RowEnd = 2,
  rvf_tbl_CellEnd = 3,
};

enum TRVRTFHeaderFooterType : uint8_t { rtf_hf_None = 0, rtf_hf_Header = 1, rtf_hf_Footer = 2 };

enum TRVRTFHighlightConvert : uint8_t { rtf_hl_Ignore, rtf_hl_FixedColors, rtf_hl_ColorTable };

/// Result codes of a read (0 is success).
enum TRVRTFError : uint8_t {
  rtf_ec_OK = 0,
  rtf_ec_StackUnderflow = 1,  // "}" with no open group
  rtf_ec_StackOverflow = 2,   // groups (or tables) nested deeper than the reader allows
  rtf_ec_UnmatchedBrace = 3,  // the stream ended with groups open
  rtf_ec_InvalidHex = 4,      // a "\'" pair holds a character that is no hex digit
  rtf_ec_BadTable = 5,        // an unknown keyword row or action
  rtf_ec_Assertion = 6,       // an unknown input state
  rtf_ec_EndOfFile = 7,       // the stream ends right after a backslash
  rtf_ec_Exception = 9,       // an exception was raised while reading
  rtf_ec_InvalidPicture = 10,
  rtf_ec_PictureHandler = 11,  // the picture handler raised an exception
};

using TRVRTFNewTextEvent = std::function<void(TRVRTFReader* Sender, const std::string& Text, TRVRTFPosition)>;
using TRVRTFNewUnicodeTextEvent =
    std::function<void(TRVRTFReader* Sender, const std::u16string& Text, TRVRTFPosition)>;
/// RTFPicture is null for a picture a field brought in. The handler takes Graphic over (it
/// may be null: a picture kind that cannot be shown).
using TRVRTFNewPictureEvent = std::function<void(TRVRTFReader* Sender, TRVRTFPicture* RTFPicture,
                                                 std::unique_ptr<TGraphic> Graphic, TRVRTFPosition)>;
using TRVRTFTableEvent = std::function<void(TRVRTFReader* Sender, TRVRTFTableEventKind WhatHappens)>;
using TRVRTFHeaderFooterEvent =
    std::function<void(TRVRTFReader* Sender, TRVRTFHeaderFooterType HFType, bool Starting)>;
using TRVRTFNotifyEvent = std::function<void(TRVRTFReader* Sender)>;

/// Groups nest at most this deep; a deeper file ends with rtf_ec_StackOverflow.
constexpr int rtfMaxGroupDepth = 1000;
/// Tables nest at most this deep ("itap"); a deeper file ends with rtf_ec_StackOverflow.
constexpr int rtfMaxTableLevel = 64;

class TRVRTFReader : public TComponent {
 public:
  explicit TRVRTFReader(TComponent* Owner = nullptr);
  ~TRVRTFReader() override;
  std::string ClassName() const override { return "TRVRTFReader"; }

  /// Reads the stream from its position to its end (or to the "}" closing the outermost
  /// group). Never raises.
  TRVRTFError ReadFromStream(TStream& Stream);
  /// Forgets everything collected.
  void Reset();

  // ---- what the handlers look at ---------------------------------------------------------------
  TRVRTFReaderState& State() { return state_; }
  const std::vector<TRVRTFFont>& Fonts() const { return fonts_; }
  const std::vector<TColor>& Colors() const { return colors_; }
  const std::vector<TRVRTFStyleSheetEntry>& StyleSheet() const { return styleSheet_; }
  const std::vector<TRVRTFList97>& ListTable() const { return listTable_; }
  const std::vector<TRVRTFListOverride97>& ListOverrideTable() const { return overrideTable_; }
  /// The code page of 8-bit text now ("ansicpg", else DefCodePage).
  uint32_t CodePage() const { return codePage_; }
  /// The code page of 8-bit text in the current font: its charset's, where the charset says
  /// nothing of its own (ANSI or default) the document's.
  uint32_t TextCodePage() const;
  /// The font of the current character properties, null when the font table has none.
  const TRVRTFFont* CurrentFont() const;
  /// A font index with rtfDefaultFontIndex resolved to the default font's ("deff").
  int32_t ResolvedFontIndex(int32_t Index) const;
  /// 8-bit text of the current code page as UTF-16 (the ANSI code page when that cannot
  /// convert it; one "?" per byte when nothing can).
  std::u16string AnsiToUnicode(std::string_view Text, uint32_t CodePage) const;
  /// UTF-16 text as 8-bit text of the code page ("?" for what it cannot hold).
  std::string UnicodeToAnsi(std::u16string_view Text, uint32_t CodePage) const;

  // ---- properties and events --------------------------------------------------------------------
  uint32_t DefCodePage = 0;
  TRVRTFHighlightConvert ConvertHighlight = rtf_hl_FixedColors;
  /// The folder that field picture file names are relative to.
  std::string BasePath;

  TRVRTFNewTextEvent OnNewText;
  TRVRTFNewUnicodeTextEvent OnNewUnicodeText;
  TRVRTFNewPictureEvent OnNewPicture;
  TRVRTFNotifyEvent OnUpdateMarker;
  TRVRTFTableEvent OnTable;
  TRVRTFNotifyEvent OnRequiredPageBreak;
  TRVRTFHeaderFooterEvent OnHeaderFooter;

 private:
  struct Parser;
  friend struct Parser;

  TRVRTFReaderState state_;
  std::vector<TRVRTFReaderState> groups_;
  std::vector<TRVRTFFont> fonts_;
  std::vector<TColor> colors_;
  std::vector<TRVRTFStyleSheetEntry> styleSheet_;
  std::vector<TRVRTFList97> listTable_;
  std::vector<TRVRTFListOverride97> overrideTable_;
  std::unique_ptr<TRVRTFPicture> picture_;
  std::unique_ptr<TRVRTFMarkerProperties> numbering_;
  uint32_t codePage_ = 0;
  bool codePageGiven_ = false;     // the document named its code page ("ansicpg", "mac", ...)
  bool shapePictureRead_ = false;  // a "shppict" group came: its "nonshppict" fallback is skipped
  int cellsSinceRow_ = 0;          // cells ended in the innermost row not yet finished
  bool paraLeftTable_ = false;     // "pard" came, and no "intbl" since: the text is no cell's
  int32_t skip_ = 0;
  int openTableLevels_ = 0;
  int32_t sectionLevel_ = 0;
  bool hiddenChanged_ = false;
  TRVRTFPosition position_ = rtf_ts_NewPara;
  std::string pending_;
  std::u16string pendingW_;
};
