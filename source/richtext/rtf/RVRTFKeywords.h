// The RTF vocabulary of the reader: one record per control word, saying what kind of word it
// is, what it maps to and which parameter it takes when the text gives none. A word that is
// not in the table is ignored (or, after "\*", skips its group).
#pragma once

#include <cstdint>
#include <string_view>

enum class TRVRTFKeywordKind : uint8_t {
  Char,         // delivers an 8-bit character (Index)
  Typographic,  // delivers a Unicode character (Default) or its 8-bit fallback (Index)
  Destination,  // changes the destination (Index: TRVRTFDestKeyword)
  Property,     // changes a property (Index: TRVRTFProp)
  Special,      // binary data, a hex character, the ignorable-destination mark (TRVRTFSpecial)
};

enum class TRVRTFAffect : uint8_t { None, Character, Paragraph };

/// Destination keywords, by what they open.
enum class TRVRTFDestKeyword : uint8_t {
  Pict,
  Skip,
  FontTable,
  StyleSheet,
  ColorTable,
  Field,
  FieldInst,
  FieldResult,
  NestTableProps,
  Header,
  Footer,
  PNTextAfter,
  PNTextBefore,
  PN,
  ListTable,
  List,
  ListName,
  ListLevel,
  LevelText,
  LevelNumbers,
  ListOverrideTable,
  ListOverride,
  LfoLevel,
  ShapePicture,     // "shppict": a picture in its newer form
  NonShapePicture,  // "nonshppict": the same picture for older readers
};

enum class TRVRTFSpecial : uint8_t { Bin, Hex, Ignorable };

/// Property keywords. Several words share a property when the word selects its value
/// ("ql", "qr", "qc", "qj" all set the alignment).
enum class TRVRTFProp : uint8_t {
  Bold,
  Italic,
  Underline,
  StrikeOut,
  CharScaleX,
  CharSpacing,
  VShift,
  Caps,
  FontSize,
  Color,
  CharBackColor,
  Highlight,
  Language,
  DefLanguage,
  LineSpacing,
  LineSpacingMulti,
  LeftIndent,
  RightIndent,
  FirstIndent,
  Columns,
  PgnX,
  PgnY,
  HeaderY,
  FooterY,
  PaperWidth,
  PaperHeight,
  MarginLeft,
  MarginRight,
  MarginTop,
  MarginBottom,
  PgnStart,
  SectionBreak,
  PgnFormat,
  FacingPages,
  Landscape,
  Alignment,
  ParaReset,
  CharReset,
  SectionReset,
  Font,
  DefFont,
  SpaceBefore,
  SpaceAfter,
  BorderStyle,
  BorderSide,
  BorderWidth,
  BorderColor,
  BorderSpacing,
  ParaBackColor,
  ParaPatternColor,
  ParaShading,
  AnsiCodePage,
  DocCodePage,   // "mac", "pc", "pca": the code page of the word's Default
  FontCodePage,  // "cpg" in the font table
  Unicode,
  UnicodeSkip,
  PageBreak,
  Hidden,
  Red,
  Green,
  Blue,
  FontFamily,
  FontCharset,
  StyleNumber,
  CharStyleNumber,
  SectionStyleNumber,
  StyleBasedOn,
  StyleNext,
  StyleAdditive,
  StyleHidden,
  PicW,
  PicH,
  PicWGoal,
  PicHGoal,
  PicScaleX,
  PicScaleY,
  PicBitsPixel,
  PicPlanes,
  PicWidthBytes,
  PicKind,
  PicMetafile,
  PicBmp,
  PNSecLevel,
  PNLevel,
  PNHang,
  PNNumberType,
  PNBold,
  PNItalic,
  PNUnderline,
  PNStrikeOut,
  PNColor,
  PNFont,
  PNFontSize,
  PNIndent,
  PNSpacing,
  PNAlignment,
  PNStart,
  ListId,
  ListSimple,
  LevelStartAt,
  LevelNfc,
  LevelJc,
  LevelOld,
  LevelIndent,
  LevelSpace,
  LevelFollow,
  LevelLegal,
  LevelNoRestart,
  ListOverrideCount,
  ListOverrideStartAt,
  ListOverride,
  ListLevel,
  Tab,
  Row,
  Cell,
  InTable,
  TableLevel,
  RowReset,
  RowAlignment,
  RowGap,
  RowLeft,
  RowHeight,
  RowHeading,
  RowPadding,
  RowPaddingUnit,
  RowSpacing,
  RowSpacingUnit,
  RowWidth,
  RowWidthUnit,
  CellVMerge,
  CellHMerge,
  CellWidth,
  CellWidthUnit,
  CellBackColor,
  CellPatternColor,
  CellShading,
  CellVAlign,
  CellRight,
  RowBorderSide,
  CellBorderSide,
  NoTableEnd,
  OwnCellWidth,
  OwnCellHeight,
  OwnTableWidth,
};

struct TRVRTFSymbol {
  std::string_view Keyword;
  int32_t Default;
  bool UseDefault;  // kind 1: 8-bit text takes the character in its code page where it has one
  TRVRTFKeywordKind Kind;
  int32_t Index;  // see TRVRTFKeywordKind
  TRVRTFAffect Affect;
  uint8_t Side = 0;  // the border or padding side of a row keyword (0 left, 1 top, 2 right, 3 bottom)
};

/// The record of a control word, or null when the table does not hold it. Case-sensitive.
const TRVRTFSymbol* RVFindRTFKeyword(std::string_view Word);
/// The length of the longest keyword (words longer than that are never looked up whole).
int RVRTFMaxKeywordLength();
