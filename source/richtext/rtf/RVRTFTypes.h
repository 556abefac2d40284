// The records the RTF reader collects: the formatting state of a group (character, paragraph,
// section, document, table row and cell properties), the font, colour, style and list tables,
// numbering properties and pictures. They are plain values: copying one copies everything it
// holds, which is what saving a group's state on "{" needs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/Colors.h"

/// The automatic colour of RTF (the first colour-table entry, "cf0"): the window-text colour.
constexpr TColor rtfAutoColor = clWindowText;
/// The font index of text that names no font: the document's default font ("deff").
constexpr int32_t rtfDefaultFontIndex = -1;

// ---- borders ------------------------------------------------------------------------------------

struct TRVRTFBorderSide {
  uint8_t Style = 0;  // 0 none, 1-27 the RTF border styles
  int32_t Width = 0;  // twips
  TColor Color = clNone;
  int32_t Spacing = 0;
};

/// Four sides (left, top, right, bottom), each made on first use.
struct TRVRTFParaBorder {
  std::optional<TRVRTFBorderSide> Sides[4];
  TRVRTFBorderSide& Side(int Index);
  /// The side when it exists and has a style, else null.
  const TRVRTFBorderSide* StyledSide(int Index) const;
  bool HasStyledSide() const;
};

// ---- character, paragraph, section, document -----------------------------------------------------

constexpr uint8_t rtfStyleBold = 1, rtfStyleItalic = 2, rtfStyleUnderline = 4, rtfStyleStrikeOut = 8;
constexpr uint8_t rtfStyleExAllCaps = 1;
enum TRVRTFVShift : uint8_t { rtfvsNormal = 0, rtfvsSubscript = 1, rtfvsSuperscript = 2 };

struct TRVRTFCharProperties {
  bool Hidden = false;
  int32_t Size = 12;  // points
  TColor Color = rtfAutoColor;
  TColor BackColor = clNone;
  int32_t FontIndex = rtfDefaultFontIndex;  // into the font table
  uint8_t StyleBits = 0;
  uint8_t StyleExBits = 0;
  int32_t CharScale = 100;
  uint8_t VShift = rtfvsNormal;
  int32_t CharSpacing = 0;  // twips
  int32_t Language = 0;
  std::string SymbolFontName;  // set only while a symbol field's character is delivered

  void Reset(int32_t DefLanguage);
  /// Copies every field but the language and the symbol font name.
  void CopyFrom(const TRVRTFCharProperties& Source);
};

/// Numbering properties shared by paragraph numbering and list levels.
struct TRVRTFCustomMarkerProperties {
  // 1 decimal, 2 lower letter, 3 upper letter, 4 lower roman, 5 upper roman, 6 bullet,
  // 7 no number (the level text without its placeholders)
  uint8_t NumberType = 0;
  int32_t FontIndex = 0;
  int32_t FontSize = 12;
  int32_t Indent = 0;
  int32_t Spacing = 0;
  int32_t Start = 0;
  uint8_t StyleBits = 0;
  TColor Color = rtfAutoColor;
  uint8_t Alignment = 0;  // 0 left, 1 right, 2 centre
  uint8_t OwnValues = 0;  // rtfmo* bits: what the numbering sets itself
};
constexpr uint8_t rtfmoFont = 1, rtfmoSize = 2, rtfmoColor = 4, rtfmoBold = 8, rtfmoItalic = 16,
                  rtfmoUnderline = 32, rtfmoStrikeOut = 64;

/// Old-style paragraph numbering ("pn").
struct TRVRTFMarkerProperties : TRVRTFCustomMarkerProperties {
  int32_t Level = 0;  // 1-9 outline levels, 10 body, 11 bullet
  bool Hanging = false;
  std::string TextAfter;
  std::string TextBefore;
  /// Takes what the numbering does not set itself from the character properties.
  void UpdateFrom(const TRVRTFCharProperties& Chars);
};

struct TRVRTFParaProperties {
  int32_t LeftIndent = 0, RightIndent = 0, FirstIndent = 0, SpaceBefore = 0, SpaceAfter = 0;
  uint8_t Alignment = 0;  // 0 left, 1 right, 2 centre, 3 justify
  std::optional<TRVRTFParaBorder> Border;
  std::optional<TRVRTFMarkerProperties> Marker;
  uint8_t CurBorderSide = 0;
  int32_t LineSpacing = 240;
  uint8_t LineSpacingMulti = 1;
  TColor BackColor = clNone;
  int32_t NestingLevel = 1;
  bool InTable = false;
  int32_t Shading = 0;  // hundredths of a percent
  TColor PatternColor = 0;
  int32_t ListOverrideIndex = -1;
  int32_t ListLevel = 0;
  bool NoTableEnd = false;

  TRVRTFParaBorder& GetBorder();
  /// Mixes the background with the pattern colour by the shading and clears the shading.
  void ResolveShading();
};

struct TRVRTFSectionProperties {
  int32_t Columns = 1;
  uint8_t BreakKind = 4;
  int32_t PageNumberX = 720, PageNumberY = 720;
  uint8_t PageNumberFormat = 0;
  int32_t HeaderY = 720, FooterY = 720;
  std::vector<TRVRTFMarkerProperties> LevelNumbering;  // 11 entries once used

  /// Copies every field but the header and footer distances.
  void CopyFrom(const TRVRTFSectionProperties& Source);
};

struct TRVRTFDocProperties {
  int32_t PaperWidth = 12240, PaperHeight = 15480;
  int32_t LeftMargin = 1800, TopMargin = 1440, RightMargin = 1800, BottomMargin = 1440;
  int32_t PageNumberStart = 1;
  bool FacingPages = false;
  bool Landscape = false;
};

// ---- tables -------------------------------------------------------------------------------------

struct TRVRTFCellProperties {
  uint8_t HMerge = 0;  // 0 none, 1 first, 2 merged
  uint8_t VMerge = 0;
  bool WidthIsPercent = false;
  int32_t BestWidth = 0;  // twips, negative fiftieths of a percent, 0 automatic
  TColor BackColor = clNone;
  uint8_t VAlign = 0;  // 0 top, 1 bottom, 2 centre
  TRVRTFParaBorder Border;
  uint8_t CurBorderSide = 0;
  int32_t Right = 0;  // "cellx"
  TColor PatternColor = 0;
  int32_t Shading = 0;
  int32_t BestHeight = 0;  // "rvcbh", pixels
};

struct TRVRTFRowProperties {
  bool Heading = false;
  int32_t GapH = 0, Left = 0, Height = 0;
  int32_t Padding[4] = {};  // left, top, right, bottom
  int32_t Spacing[4] = {};
  bool PaddingInTwips[4] = {};
  bool SpacingInTwips[4] = {};
  int32_t BestWidth = 0;
  bool WidthIsPercent = false;
  uint8_t Alignment = 0;  // 0 left, 1 right, 2 centre
  TRVRTFParaBorder Border;
  uint8_t CurBorderSide = 0;
  std::vector<TRVRTFCellProperties> Cells;
  bool ShadingPending = true;
  bool SpareCell = true;
  bool HasOwnSizes = false;

  void Reset();
  /// The cell the cell keywords change (made when the row has none).
  TRVRTFCellProperties& LastCell() {
    if (Cells.empty()) Cells.emplace_back();
    return Cells.back();
  }
  /// Drops the spare cell appended after the last "cellx" and mixes the cells' shading.
  void Finish();
};

// ---- collected tables -------------------------------------------------------------------------

struct TRVRTFFont {
  int32_t Number = 0;
  std::string Name;
  uint8_t Family = 0;
  uint8_t Charset = 1;
  uint32_t CodePage = 0;  // "cpg": the code page of its 8-bit text, 0 when the charset says
};

struct TRVRTFStyleSheetEntry {
  TRVRTFParaProperties Para;
  TRVRTFCharProperties Chars;
  bool Additive = false;
  bool Hidden = false;
  int32_t Number = 0;
  uint8_t Kind = 1;  // 0 character, 1 paragraph, 2 section
  int BasedOn = -1;  // index into the style sheet, -1 none
  int Next = -1;
  std::string Name;
};

struct TRVRTFListLevel97 : TRVRTFCustomMarkerProperties {
  // A level that does not say where it starts counts from 1, as writers that leave
  // "levelstartat" out of bullet levels expect.
  TRVRTFListLevel97() { Start = 1; }
  bool OldStyle = false;
  bool Legal = false;
  bool NoRestart = false;
  std::string Text;
  std::string Numbers;
  std::u16string TextW;
  int32_t Follow = 0;
  int32_t LeftIndent = 0, FirstIndent = 0, TabPosition = 0;
};

struct TRVRTFList97 {
  std::vector<TRVRTFListLevel97> Levels;
  int32_t Id = 0;
  int32_t TemplateId = 0;
  bool Simple = false;
  std::string Name;
};

struct TRVRTFListOverrideLevel97 {
  bool UseStart = false;
  int32_t Start = 1;
};

struct TRVRTFListOverride97 {
  std::vector<TRVRTFListOverrideLevel97> Levels;
  int ListIndex = -1;
  int32_t Number = 0;
  int32_t OverrideCount = 0;
};

// ---- pictures -----------------------------------------------------------------------------------

enum TRVRTFPictureKind : uint8_t {
  rtfpkEMF = 0,
  rtfpkPNG = 1,
  rtfpkJPEG = 2,
  rtfpkMacPict = 3,
  rtfpkOS2Metafile = 4,
  rtfpkMetafile = 5,
  rtfpkDIB = 6,
  rtfpkDDB = 7,
};

struct TRVRTFPicture {
  TRVRTFPictureKind Kind = rtfpkMetafile;
  int32_t MappingMode = 1;
  int32_t PicW = 0, PicH = 0, PicWGoal = 0, PicHGoal = 0;
  int32_t ScaleX = 100, ScaleY = 100;
  int32_t WidthBytes = 0;
  int32_t BitsPixel = 1, Planes = 1;
  bool PicBmp = false;
  std::string Data;                       // the picture's bytes as collected
  int32_t ShowWidth = 0, ShowHeight = 0;  // screen pixels, computed
  bool Broken = false;                    // the data could not be read
};

// ---- the state of one group -------------------------------------------------------------------

enum TRVRTFDestination : uint8_t {
  rdsNorm = 0,
  rdsSkip = 1,
  rdsFontTable = 2,
  rdsStyleSheet = 3,
  rdsColorTable = 4,
  rdsStyleSheetEntry = 5,
  rdsPict = 6,
  rdsField = 7,
  rdsFieldInst = 8,
  rdsPN = 9,
  rdsPNTextAfter = 10,
  rdsPNTextBefore = 11,
  rdsPNSecLvl = 12,
  rdsListTable = 13,
  rdsList = 14,
  rdsListLevel = 15,
  rdsListName = 16,
  rdsLevelText = 17,
  rdsLevelNumbers = 18,
  rdsListOverrideTable = 19,
  rdsListOverride = 20,
  rdsLfoLevel = 21,
};

enum TRVRTFInputState : uint8_t { risNorm = 0, risBin = 1, risHex = 2 };

struct TRVRTFReaderState {
  int32_t DefLanguage = 0;
  TRVRTFCharProperties Chars;
  TRVRTFParaProperties Para;
  TRVRTFSectionProperties Section;
  TRVRTFDocProperties Doc;
  std::optional<TRVRTFRowProperties> Row;
  uint8_t BorderTarget = 0;  // 0 paragraph, 1 table row, 2 table cell
  TRVRTFDestination Destination = rdsNorm;
  TRVRTFInputState InputState = risNorm;
  std::string FieldCode;
  bool FieldHandled = false;
  int32_t DefFont = 0;
  uint8_t HFType = 0;       // 0 none, 1 header, 2 footer
  int32_t UnicodeSkip = 1;  // "uc": characters a "\u" skips; a group keeps its own

  void Reset();
  /// Copies a saved state: everything but the field instruction, the field-handled flag and
  /// the default font, which carry across group boundaries.
  void CopyFrom(const TRVRTFReaderState& Source);
  TRVRTFRowProperties& GetRow();
};
