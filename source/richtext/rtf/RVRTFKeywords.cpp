#include "richtext/rtf/RVRTFKeywords.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

using K = TRVRTFKeywordKind;
using A = TRVRTFAffect;
using P = TRVRTFProp;
using D = TRVRTFDestKeyword;

constexpr TRVRTFSymbol chr(std::string_view word, int ch) {
  return {word, 0, false, K::Char, ch, A::None};
}
constexpr TRVRTFSymbol typo(std::string_view word, int unicode, int fallback) {
  return {word, unicode, false, K::Typographic, fallback, A::None};
}
/// A typographic character that 8-bit text gets in its own code page where the page has it,
/// else as `fallback`.
constexpr TRVRTFSymbol typoInCodePage(std::string_view word, int unicode, int fallback) {
  return {word, unicode, true, K::Typographic, fallback, A::None};
}
constexpr TRVRTFSymbol dest(std::string_view word, D d) {
  return {word, 0, false, K::Destination, static_cast<int32_t>(d), A::None};
}
constexpr TRVRTFSymbol special(std::string_view word, TRVRTFSpecial s) {
  return {word, 0, false, K::Special, static_cast<int32_t>(s), A::None};
}
/// A property whose parameter, when the text gives none, is `def`.
constexpr TRVRTFSymbol prop(std::string_view word, P p, int def = 0, A affect = A::None) {
  return {word, def, false, K::Property, static_cast<int32_t>(p), affect};
}
/// A property word that always selects the value `value`, whatever its parameter.
constexpr TRVRTFSymbol pick(std::string_view word, P p, int value, A affect = A::None) {
  return {word, value, true, K::Property, static_cast<int32_t>(p), affect};
}

constexpr A Ch = A::Character;
constexpr A Pa = A::Paragraph;

constexpr TRVRTFSymbol kSymbols[] = {
    // characters
    chr("par", 10),
    chr("\n", 10),
    chr("\r", 10),
    chr("line", 13),
    chr("tab", 9),
    chr("{", '{'),
    chr("}", '}'),
    chr("\\", '\\'),
    typo("ldblquote", 8220, '"'),
    typo("rdblquote", 8221, '"'),
    typo("lquote", 8216, '\''),
    typo("rquote", 8217, '\''),
    typoInCodePage("endash", 8211, '-'),
    typoInCodePage("emdash", 8212, '-'),
    typoInCodePage("emspace", 0x2003, ' '),
    typoInCodePage("enspace", 0x2002, ' '),
    typoInCodePage("bullet", 0x2022, '*'),
    typoInCodePage("~", 0x00A0, ' '),
    typoInCodePage("_", 0x2011, '-'),
    special("bin", TRVRTFSpecial::Bin),
    special("'", TRVRTFSpecial::Hex),
    special("*", TRVRTFSpecial::Ignorable),
    // destinations
    dest("pict", D::Pict),
    dest("author", D::Skip),
    dest("buptim", D::Skip),
    dest("comment", D::Skip),
    dest("creatim", D::Skip),
    dest("doccomm", D::Skip),
    dest("footerf", D::Skip),
    dest("footerl", D::Skip),
    dest("footerr", D::Skip),
    dest("footnote", D::Skip),
    dest("ftncn", D::Skip),
    dest("ftnsep", D::Skip),
    dest("ftnsepc", D::Skip),
    dest("headerf", D::Skip),
    dest("headerl", D::Skip),
    dest("headerr", D::Skip),
    dest("info", D::Skip),
    dest("keywords", D::Skip),
    dest("operator", D::Skip),
    dest("printim", D::Skip),
    dest("private1", D::Skip),
    dest("revtim", D::Skip),
    dest("rxe", D::Skip),
    dest("subject", D::Skip),
    dest("tc", D::Skip),
    dest("title", D::Skip),
    dest("txe", D::Skip),
    dest("xe", D::Skip),
    dest("pntext", D::Skip),
    dest("listtext", D::Skip),
    dest("nonesttables", D::Skip),
    dest("fonttbl", D::FontTable),
    dest("stylesheet", D::StyleSheet),
    dest("colortbl", D::ColorTable),
    dest("field", D::Field),
    dest("fldinst", D::FieldInst),
    dest("fldrslt", D::FieldResult),
    dest("nesttableprops", D::NestTableProps),
    dest("header", D::Header),
    dest("footer", D::Footer),
    dest("pntxta", D::PNTextAfter),
    dest("pntxtb", D::PNTextBefore),
    dest("pn", D::PN),
    dest("listtable", D::ListTable),
    dest("list", D::List),
    dest("listname", D::ListName),
    dest("listlevel", D::ListLevel),
    dest("leveltext", D::LevelText),
    dest("levelnumbers", D::LevelNumbers),
    dest("listoverridetable", D::ListOverrideTable),
    dest("listoverride", D::ListOverride),
    dest("lfolevel", D::LfoLevel),
    dest("shppict", D::ShapePicture),
    dest("nonshppict", D::NonShapePicture),
    // character properties
    prop("b", P::Bold, 1, Ch),
    prop("i", P::Italic, 1, Ch),
    prop("ul", P::Underline, 1, Ch),
    pick("ulnone", P::Underline, 0, Ch),
    prop("strike", P::StrikeOut, 1, Ch),
    prop("fs", P::FontSize, 24, Ch),
    prop("lang", P::Language, 0, Ch),
    prop("deflang", P::DefLanguage),
    prop("cf", P::Color, 0, Ch),
    prop("chcbpat", P::CharBackColor, 0, Ch),
    prop("plain", P::CharReset, 0, Ch),
    prop("charscalex", P::CharScaleX, 100, Ch),
    prop("expndtw", P::CharSpacing, 0, Ch),
    prop("caps", P::Caps, 1, Ch),
    pick("sub", P::VShift, 1, Ch),
    pick("super", P::VShift, 2, Ch),
    pick("nosupersub", P::VShift, 0, Ch),
    prop("f", P::Font, 0, Ch),
    prop("fcharset", P::FontCharset, 0, Ch),
    prop("v", P::Hidden, 1, Ch),
    prop("highlight", P::Highlight, 0, Ch),
    // paragraph properties
    prop("cbpat", P::ParaBackColor, 0, Pa),
    prop("cfpat", P::ParaPatternColor, 0, Pa),
    prop("shading", P::ParaShading, 0, Pa),
    prop("li", P::LeftIndent, 0, Pa),
    prop("ri", P::RightIndent, 0, Pa),
    prop("fi", P::FirstIndent, 0, Pa),
    pick("ql", P::Alignment, 0, Pa),
    pick("qr", P::Alignment, 1, Pa),
    pick("qc", P::Alignment, 2, Pa),
    pick("qj", P::Alignment, 3, Pa),
    prop("pard", P::ParaReset, 0, Pa),
    prop("sb", P::SpaceBefore, 0, Pa),
    prop("sa", P::SpaceAfter, 0, Pa),
    prop("sl", P::LineSpacing, 240, Pa),
    prop("slmult", P::LineSpacingMulti, 1, Pa),
    prop("absnoovrlp", P::NoTableEnd, 0, Pa),
    prop("ls", P::ListOverride, 1, Pa),
    prop("ilvl", P::ListLevel, 1, Pa),
    // borders
    pick("brdrs", P::BorderStyle, 1, Pa),
    pick("brdrth", P::BorderStyle, 2, Pa),
    pick("brdrsh", P::BorderStyle, 3, Pa),
    pick("brdrdb", P::BorderStyle, 4, Pa),
    pick("brdrdot", P::BorderStyle, 5, Pa),
    pick("brdrdash", P::BorderStyle, 6, Pa),
    pick("brdrhair", P::BorderStyle, 7, Pa),
    pick("brdrdashsm", P::BorderStyle, 8, Pa),
    pick("brdrdashd", P::BorderStyle, 9, Pa),
    pick("brdrdashdd", P::BorderStyle, 10, Pa),
    pick("brdrtriple", P::BorderStyle, 11, Pa),
    pick("brdrtnthsg", P::BorderStyle, 12, Pa),
    pick("brdrthtnsg", P::BorderStyle, 13, Pa),
    pick("brdrtnthtnsg", P::BorderStyle, 14, Pa),
    pick("brdrtnthmg", P::BorderStyle, 15, Pa),
    pick("brdrthtnmg", P::BorderStyle, 16, Pa),
    pick("brdrtnthtnmg", P::BorderStyle, 17, Pa),
    pick("brdrtnthlg", P::BorderStyle, 18, Pa),
    pick("brdrthtnlg", P::BorderStyle, 19, Pa),
    pick("brdrtnthtnlg", P::BorderStyle, 20, Pa),
    pick("brdrwavy", P::BorderStyle, 21, Pa),
    pick("brdrwavydb", P::BorderStyle, 22, Pa),
    pick("brdrdashdotstr", P::BorderStyle, 23, Pa),
    pick("brdremboss", P::BorderStyle, 24, Pa),
    pick("brdrengrave", P::BorderStyle, 24, Pa),
    pick("brdrinset", P::BorderStyle, 26, Pa),
    pick("brdroutset", P::BorderStyle, 27, Pa),
    pick("brdrl", P::BorderSide, 0, Pa),
    pick("brdrt", P::BorderSide, 1, Pa),
    pick("brdrr", P::BorderSide, 2, Pa),
    pick("brdrb", P::BorderSide, 3, Pa),
    prop("brdrw", P::BorderWidth, 1, Pa),
    prop("brdrcf", P::BorderColor, 0, Pa),
    prop("brsp", P::BorderSpacing, 0, Pa),
    pick("trbrdrl", P::RowBorderSide, 0, Pa),
    pick("trbrdrt", P::RowBorderSide, 1, Pa),
    pick("trbrdrr", P::RowBorderSide, 2, Pa),
    pick("trbrdrb", P::RowBorderSide, 3, Pa),
    pick("clbrdrl", P::CellBorderSide, 0, Pa),
    pick("clbrdrt", P::CellBorderSide, 1, Pa),
    pick("clbrdrr", P::CellBorderSide, 2, Pa),
    pick("clbrdrb", P::CellBorderSide, 3, Pa),
    // document, section and Unicode
    prop("u", P::Unicode),
    prop("uc", P::UnicodeSkip, 1),
    prop("cols", P::Columns, 1),
    pick("sbknone", P::SectionBreak, 0),
    pick("sbkcol", P::SectionBreak, 1),
    pick("sbkeven", P::SectionBreak, 2),
    pick("sbkodd", P::SectionBreak, 3),
    pick("sbkpage", P::SectionBreak, 4),
    prop("pgnx", P::PgnX),
    prop("pgny", P::PgnY),
    pick("pgndec", P::PgnFormat, 0),
    pick("pgnucrm", P::PgnFormat, 1),
    pick("pgnlcrm", P::PgnFormat, 2),
    pick("pgnucltr", P::PgnFormat, 3),
    pick("pgnlcltr", P::PgnFormat, 4),
    prop("paperw", P::PaperWidth, 12240),
    prop("paperh", P::PaperHeight, 15480),
    prop("margl", P::MarginLeft, 1800),
    prop("margr", P::MarginRight, 1800),
    prop("margt", P::MarginTop, 1440),
    prop("margb", P::MarginBottom, 1440),
    prop("headery", P::HeaderY, 720),
    prop("footery", P::FooterY, 720),
    prop("pgnstart", P::PgnStart, 1),
    pick("facingp", P::FacingPages, 1),
    pick("landscape", P::Landscape, 1),
    prop("sectd", P::SectionReset),
    prop("ansicpg", P::AnsiCodePage),
    pick("mac", P::DocCodePage, 10000),
    pick("pc", P::DocCodePage, 437),
    pick("pca", P::DocCodePage, 850),
    prop("cpg", P::FontCodePage),
    prop("page", P::PageBreak),
    prop("deff", P::DefFont),
    // colour and font tables, style sheet
    prop("red", P::Red),
    prop("green", P::Green),
    prop("blue", P::Blue),
    pick("fnil", P::FontFamily, 0),
    pick("froman", P::FontFamily, 1),
    pick("fswiss", P::FontFamily, 2),
    pick("fmodern", P::FontFamily, 3),
    pick("fscript", P::FontFamily, 4),
    pick("fdecor", P::FontFamily, 5),
    pick("ftech", P::FontFamily, 6),
    pick("fbidi", P::FontFamily, 7),
    prop("s", P::StyleNumber),
    prop("cs", P::CharStyleNumber),
    prop("ds", P::SectionStyleNumber),
    prop("sbasedon", P::StyleBasedOn),
    prop("snext", P::StyleNext),
    prop("additive", P::StyleAdditive),
    prop("shidden", P::StyleHidden),
    // pictures
    prop("picw", P::PicW),
    prop("pich", P::PicH),
    prop("picwgoal", P::PicWGoal),
    prop("pichgoal", P::PicHGoal),
    prop("picscalex", P::PicScaleX, 100),
    prop("picscaley", P::PicScaleY, 100),
    prop("wbmbitspixel", P::PicBitsPixel, 1),
    prop("wbmplanes", P::PicPlanes, 1),
    prop("wbmwidthbytes", P::PicWidthBytes),
    pick("emfblip", P::PicKind, 0),
    pick("pngblip", P::PicKind, 1),
    pick("jpegblip", P::PicKind, 2),
    pick("macpict", P::PicKind, 3),
    pick("pmmetafile", P::PicKind, 4),
    pick("dibitmap", P::PicKind, 6),
    pick("wbitmap", P::PicKind, 7),
    prop("wmetafile", P::PicMetafile, 1),
    prop("picbmp", P::PicBmp, 1),
    // tables
    prop("cell", P::Cell),
    pick("nestcell", P::Cell, 1),
    prop("row", P::Row),
    pick("nestrow", P::Row, 1),
    prop("intbl", P::InTable),
    prop("itap", P::TableLevel, 1),
    prop("trowd", P::RowReset),
    pick("trql", P::RowAlignment, 0),
    pick("trqr", P::RowAlignment, 1),
    pick("trqc", P::RowAlignment, 2),
    prop("trhdr", P::RowHeading, 1),
    prop("trgaph", P::RowGap),
    prop("trleft", P::RowLeft),
    prop("trrh", P::RowHeight),
    // the side is the last field: 0 left, 1 top, 2 right, 3 bottom
    {"trpaddl", 0, false, K::Property, static_cast<int32_t>(P::RowPadding), A::None, 0},
    {"trpaddt", 0, false, K::Property, static_cast<int32_t>(P::RowPadding), A::None, 1},
    {"trpaddr", 0, false, K::Property, static_cast<int32_t>(P::RowPadding), A::None, 2},
    {"trpaddb", 0, false, K::Property, static_cast<int32_t>(P::RowPadding), A::None, 3},
    {"trpaddfl", 0, false, K::Property, static_cast<int32_t>(P::RowPaddingUnit), A::None, 0},
    {"trpaddft", 0, false, K::Property, static_cast<int32_t>(P::RowPaddingUnit), A::None, 1},
    {"trpaddfr", 0, false, K::Property, static_cast<int32_t>(P::RowPaddingUnit), A::None, 2},
    {"trpaddfb", 0, false, K::Property, static_cast<int32_t>(P::RowPaddingUnit), A::None, 3},
    {"trspdl", 0, false, K::Property, static_cast<int32_t>(P::RowSpacing), A::None, 0},
    {"trspdt", 0, false, K::Property, static_cast<int32_t>(P::RowSpacing), A::None, 1},
    {"trspdr", 0, false, K::Property, static_cast<int32_t>(P::RowSpacing), A::None, 2},
    {"trspdb", 0, false, K::Property, static_cast<int32_t>(P::RowSpacing), A::None, 3},
    {"trspdfl", 0, false, K::Property, static_cast<int32_t>(P::RowSpacingUnit), A::None, 0},
    {"trspdft", 0, false, K::Property, static_cast<int32_t>(P::RowSpacingUnit), A::None, 1},
    {"trspdfr", 0, false, K::Property, static_cast<int32_t>(P::RowSpacingUnit), A::None, 2},
    {"trspdfb", 0, false, K::Property, static_cast<int32_t>(P::RowSpacingUnit), A::None, 3},
    prop("trwWidth", P::RowWidth),
    prop("trftsWidth", P::RowWidthUnit),
    pick("clvmgf", P::CellVMerge, 1),
    pick("clvmrg", P::CellVMerge, 2),
    pick("clmgf", P::CellHMerge, 1),
    pick("clmrg", P::CellHMerge, 2),
    prop("clwWidth", P::CellWidth),
    prop("clftsWidth", P::CellWidthUnit),
    prop("clcbpat", P::CellBackColor),
    prop("clcfpat", P::CellPatternColor),
    prop("clshdng", P::CellShading),
    pick("clvertalt", P::CellVAlign, 0),
    pick("clvertalb", P::CellVAlign, 1),
    pick("clvertalc", P::CellVAlign, 2),
    prop("cellx", P::CellRight),
    prop("rvcbw", P::OwnCellWidth),
    prop("rvcbh", P::OwnCellHeight),
    prop("rvtbw", P::OwnTableWidth),
    // paragraph numbering
    prop("pnseclvl", P::PNSecLevel, 1),
    prop("pnlvl", P::PNLevel, 1),
    pick("pnlvlblt", P::PNLevel, 11),
    pick("pnlvlbody", P::PNLevel, 10),
    prop("pnhang", P::PNHang, 1),
    pick("pndec", P::PNNumberType, 1),
    pick("pnlcltr", P::PNNumberType, 2),
    pick("pnucltr", P::PNNumberType, 3),
    pick("pnlcrm", P::PNNumberType, 4),
    pick("pnucrm", P::PNNumberType, 5),
    pick("pnuldash", P::PNUnderline, 1),
    pick("pnuldashd", P::PNUnderline, 1),
    pick("pnuldashdd", P::PNUnderline, 1),
    pick("pnulhair", P::PNUnderline, 1),
    pick("pnulth", P::PNUnderline, 1),
    pick("pnulwave", P::PNUnderline, 1),
    pick("pnul", P::PNUnderline, 1),
    pick("pnuld", P::PNUnderline, 1),
    pick("pnuldb", P::PNUnderline, 1),
    pick("pnulw", P::PNUnderline, 1),
    pick("pnulnone", P::PNUnderline, 0),
    prop("pnb", P::PNBold, 1),
    prop("pni", P::PNItalic, 1),
    prop("pnstrike", P::PNStrikeOut, 1),
    prop("pncf", P::PNColor),
    prop("pnf", P::PNFont),
    prop("pnfs", P::PNFontSize),
    prop("pnindent", P::PNIndent),
    prop("pnsp", P::PNSpacing),
    pick("pnql", P::PNAlignment, 0),
    pick("pnqr", P::PNAlignment, 1),
    pick("pnqc", P::PNAlignment, 2),
    prop("pnstart", P::PNStart, 1),
    // list tables
    prop("listid", P::ListId),
    prop("listsimple", P::ListSimple, 1),
    prop("levelstartat", P::LevelStartAt, 1),
    prop("levelnfc", P::LevelNfc),
    prop("levelnfcn", P::LevelNfc),
    prop("leveljc", P::LevelJc),
    prop("levelold", P::LevelOld, 1),
    prop("levelindent", P::LevelIndent),
    prop("levelspace", P::LevelSpace),
    prop("levelfollow", P::LevelFollow),
    prop("levellegal", P::LevelLegal, 1),
    prop("levelnorestart", P::LevelNoRestart, 1),
    prop("listoverridecount", P::ListOverrideCount),
    prop("listoverridestartat", P::ListOverrideStartAt, 1),
    prop("tx", P::Tab),
};

struct SortedTable {
  std::vector<const TRVRTFSymbol*> rows;
  int maxLength = 0;
  SortedTable() {
    for (const auto& s : kSymbols) {
      rows.push_back(&s);
      maxLength = std::max(maxLength, static_cast<int>(s.Keyword.size()));
    }
    std::sort(rows.begin(), rows.end(), [](auto* a, auto* b) { return a->Keyword < b->Keyword; });
  }
};

const SortedTable& table() {
  static const SortedTable sorted;
  return sorted;
}

}  // namespace

const TRVRTFSymbol* RVFindRTFKeyword(std::string_view Word) {
  const auto& rows = table().rows;
  auto it = std::lower_bound(rows.begin(), rows.end(), Word,
                             [](const TRVRTFSymbol* s, std::string_view w) { return s->Keyword < w; });
  return it != rows.end() && (*it)->Keyword == Word ? *it : nullptr;
}

int RVRTFMaxKeywordLength() {
  return table().maxLength;
}
