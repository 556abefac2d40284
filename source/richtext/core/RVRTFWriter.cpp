// The RTF writer: text escaping, pictures, the header tables and the items of a document.
#include "richtext/core/RVRTFWriter.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>
#include <set>

#include "platform/core/CodePages.h"
#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/MetafileCanvas.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/SystemColors.h"
#include "richtext/core/RVFMisc.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVStyle.h"

namespace {

constexpr char kHexLower[] = "0123456789abcdef";
constexpr char kHexUpper[] = "0123456789ABCDEF";

/// Screen pixels per inch the export measures lengths with.
constexpr int kScreenPixelsPerInch = 96;

/// The list-level number format of a level that shows no label.
constexpr int kNoLabelFormat = 255;

/// The standard colours that follow the automatic colour in every colour table.
constexpr TColor kStandardColors[16] = {
    MakeColor(0x000000), MakeColor(0xFF0000), MakeColor(0xFFFF00), MakeColor(0x00FF00),
    MakeColor(0xFF00FF), MakeColor(0x0000FF), MakeColor(0x00FFFF), MakeColor(0xFFFFFF),
    MakeColor(0x800000), MakeColor(0x808000), MakeColor(0x008000), MakeColor(0x800080),
    MakeColor(0x000080), MakeColor(0x008080), MakeColor(0x808080), MakeColor(0xC0C0C0)};

/// The key a placeable metafile header starts with (0x9AC6CDD7, little-endian).
constexpr uint8_t kPlaceableKey[4] = {0xD7, 0xCD, 0xC6, 0x9A};
constexpr size_t kPlaceableHeaderSize = 22;
constexpr size_t kBitmapFileHeaderSize = 14;

std::string hexByte(uint8_t b) {
  return std::string{'\\', '\'', kHexLower[b >> 4], kHexLower[b & 15]};
}

std::string twoHex(int value) {
  const auto b = static_cast<uint8_t>(value & 0xFF);
  return std::string{kHexLower[b >> 4], kHexLower[b & 15]};
}

std::string hexEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto b = static_cast<uint8_t>(ch);
    if (b < 32 || b > 127)
      out += hexByte(b);
    else
      out += ch;
  }
  return out;
}

/// Whether `b` starts a two-byte character in the double-byte code page `codePage`.
bool isLeadByte(uint32_t codePage, uint8_t b) {
  switch (codePage) {
    case 932:
      return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950:
      return b >= 0x81 && b <= 0xFE;
    default:
      return false;
  }
}

std::string upperHex(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char ch : bytes) {
    const auto b = static_cast<uint8_t>(ch);
    out += kHexUpper[b >> 4];
    out += kHexUpper[b & 15];
  }
  return out;
}

std::string num(int64_t value) {
  return std::to_string(value);
}

void put(TStream& stream, std::string_view s) {
  RVFWriteString(stream, s);
}

std::string savedBytes(TGraphic& graphic) {
  TMemoryStream stream;
  graphic.SaveToStream(stream);
  return stream.DataString();
}

uint32_t readU32(std::string_view b, size_t at) {
  if (at + 4 > b.size()) return 0;
  return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

/// The bitmap as a BMP file.
std::string bitmapFile(TBitmap& bitmap) {
  return savedBytes(bitmap);
}

/// "\picwN\pichN\picwgoalN\pichgoalN ": the size in the units of the picture kind, and the
/// size it is shown at, in twips at the screen's resolution. Readers that are given no goal
/// size show some kinds (metafiles above all) a few hundredths of a millimetre wide.
std::string pictureSize(int64_t picw, int64_t pich, int32_t pixelWidth, int32_t pixelHeight) {
  const int64_t twipsPerPixel = 1440 / kScreenPixelsPerInch;
  return "\\picw" + num(picw) + "\\pich" + num(pich) + "\\picwgoal" + num(pixelWidth * twipsPerPixel) +
         "\\pichgoal" + num(pixelHeight * twipsPerPixel) + " ";
}

/// pictureSize of a picture whose kind measures it in pixels.
std::string pixelPictureSize(const TGraphic& graphic) {
  return pictureSize(graphic.Width(), graphic.Height(), graphic.Width(), graphic.Height());
}

/// "\dibitmap0..." and the DIB of the bitmap (its file without the file header).
void writeDibBody(TStream& stream, TBitmap& bitmap) {
  const std::string file = bitmapFile(bitmap);
  if (file.size() < kBitmapFileHeaderSize + 40) throw Exception("Bitmap could not be saved");
  const int64_t width = static_cast<int32_t>(readU32(file, 18));
  const int64_t bpp = readU32(file, 28) & 0xFFFF;
  // The row size of the DIB written: rows are padded to 32 bits.
  const int64_t stride = ((width * bpp + 31) / 32) * 4;
  put(stream, "\\dibitmap0\\wbmwidthbytes" + num(stride) + pixelPictureSize(bitmap));
  put(stream, upperHex(std::string_view(file).substr(kBitmapFileHeaderSize)));
}

/// "\\emfblip", the size and the enhanced metafile.
void writeEmfBody(TStream& stream, std::string_view bytes, const std::string& size) {
  put(stream, "\\emfblip" + size);
  put(stream, upperHex(bytes));
}

/// The saved bytes of a Windows metafile without its placeable header; a metafile that has
/// none keeps every byte.
std::string windowsMetafileRecords(TMetafile& metafile) {
  std::string bytes = savedBytes(metafile);
  if (bytes.size() >= kPlaceableHeaderSize && std::memcmp(bytes.data(), kPlaceableKey, 4) == 0)
    bytes.erase(0, kPlaceableHeaderSize);
  return bytes;
}

std::string metafileSize(const TMetafile& metafile) {
  return pictureSize(metafile.MMWidth(), metafile.MMHeight(), metafile.Width(), metafile.Height());
}

/// The body of a graphic of no known format: its pixels as a DIB, or the graphic drawn on
/// the canvas of a metafile of its size.
void writeDrawnBody(TStream& stream, TGraphic& graphic, TRVRTFOptions options) {
  if (options & rvrtfSaveBitmapDefault) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(graphic.Width(), graphic.Height());
    bitmap.Canvas().Brush().SetColor(clWhite);
    bitmap.Canvas().FillRect(Rect(0, 0, graphic.Width(), graphic.Height()));
    bitmap.Canvas().Draw(0, 0, &graphic);
    writeDibBody(stream, bitmap);
    return;
  }
  TMetafile metafile;
  metafile.SetEnhanced((options & rvrtfSaveEMFDefault) != 0);
  metafile.SetWidth(graphic.Width());
  metafile.SetHeight(graphic.Height());
  {
    TMetafileCanvas canvas(metafile);
    canvas.Draw(0, 0, &graphic);
  }
  if (metafile.Empty()) throw Exception("Picture could not be drawn into a metafile");
  if (metafile.Enhanced()) {
    writeEmfBody(stream, savedBytes(metafile),
                 pictureSize(metafile.MMWidth(), metafile.MMHeight(), graphic.Width(), graphic.Height()));
    return;
  }
  put(stream, "\\wmetafile1" + pixelPictureSize(graphic));
  put(stream, upperHex(windowsMetafileRecords(metafile)));
}

void writeMetafileBody(TStream& stream, TMetafile& metafile, TRVRTFOptions options) {
  if (metafile.Enhanced() && !(options & rvrtfSaveEMFAsWMF)) {
    writeEmfBody(stream, savedBytes(metafile), metafileSize(metafile));
    return;
  }
  TMetafile windows;
  windows.Assign(&metafile);
  windows.SetEnhanced(false);
  put(stream, "\\wmetafile8" + metafileSize(windows));
  put(stream, upperHex(windowsMetafileRecords(windows)));
}

bool isEmptyPicture(TGraphic* graphic) {
  return graphic == nullptr || graphic->Empty() || graphic->Width() <= 0 || graphic->Height() <= 0;
}

std::mutex listIdMutex;
std::mt19937& listIdEngine() {
  static std::mt19937 engine{std::random_device{}()};
  return engine;
}

/// A random 31-bit id not yet in `used`.
int32_t newListId(std::set<int32_t>& used) {
  std::lock_guard<std::mutex> lock(listIdMutex);
  for (;;) {
    const auto id = static_cast<int32_t>(listIdEngine()() & 0x7FFFFFFF);
    if (used.insert(id).second) return id;
  }
}

/// Bullets and pictures are 23. A level without a label is written as one without a number:
/// readers give a bullet with an empty text their own default bullet.
int levelNumberFormat(const TRVListLevel& level) {
  if (level.HasNoMarker()) return kNoLabelFormat;
  switch (level.ListType) {
    case rvlstDecimal:
    case rvlstImageListCounter:
      return 0;
    case rvlstUpperRoman:
      return 1;
    case rvlstLowerRoman:
      return 2;
    case rvlstUpperAlpha:
      return 3;
    case rvlstLowerAlpha:
      return 4;
    default:
      return 23;
  }
}

int levelJustification(TRVMarkerAlignment alignment) {
  switch (alignment) {
    case rvmaCenter:
      return 1;
    case rvmaRight:
      return 2;
    default:
      return 0;
  }
}

std::string capturedUnicode(std::u16string_view text, TRVCodePage codePage) {
  TMemoryStream stream;
  RVWriteUnicodeRTF(stream, RVWideStringToBytes(text), codePage, false, true);
  return stream.DataString();
}

/// "{\leveltext...;}{\levelnumbers...;}" of a level.
std::string levelTexts(const TRVListLevel& level, TRVCodePage codePage) {
  std::string text, numbers;
  if (level.ListType == rvlstBullet) {
    text =
        "\\'" + twoHex(static_cast<int>(level.FormatString.size())) + RVMakeRTFStr(level.FormatString, false);
  } else if (level.HasNumbering()) {
    std::string args[9];
    for (int i = 0; i < 9; ++i) args[i] = std::string(1, static_cast<char>(i));
    const std::string templ = RVFormatMarkerText(level.FormatString, args);
    text = "\\'" + twoHex(static_cast<int>(templ.size()));
    for (size_t i = 0; i < templ.size(); ++i) {
      const auto b = static_cast<uint8_t>(templ[i]);
      if (b < 9) {
        text += "\\'0" + std::to_string(b);
        numbers += "\\'" + twoHex(static_cast<int>(i + 1));
      } else {
        text += RVMakeRTFStr(templ.substr(i, 1), false);
      }
    }
  } else if (level.ListType == rvlstUnicodeBullet) {
    // The header says \uc1, so every \u carries its 8-bit duplicate here.
    text = "\\'" + twoHex(static_cast<int>(level.FormatStringW.size())) +
           capturedUnicode(level.FormatStringW, codePage);
  } else {
    text = "\\'00";
  }
  return "{\\leveltext" + text + ";}{\\levelnumbers" + numbers + ";}";
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Helpers

std::string RVMakeRTFStr(std::string_view Text, bool IsRTFCode, TRVCodePage CodePage) {
  if (IsRTFCode) return hexEscape(Text);
  const uint32_t codePage = ResolveCodePage(CodePage);
  std::string escaped;
  escaped.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    const auto b = static_cast<uint8_t>(Text[i]);
    if (b < 32 || b > 127) {
      escaped += hexByte(b);
      // The byte after a lead byte belongs to its character; where it looks like "\", "{" or
      // "}" it must not be escaped as those, which readers take as their own characters.
      if (isLeadByte(codePage, b) && i + 1 < Text.size()) {
        const auto trail = static_cast<uint8_t>(Text[++i]);
        if (trail < 32 || trail > 127 || trail == '\\' || trail == '{' || trail == '}')
          escaped += hexByte(trail);
        else
          escaped += static_cast<char>(trail);
      }
      continue;
    }
    if (b == '\\' || b == '{' || b == '}') escaped += '\\';
    escaped += static_cast<char>(b);
  }
  return escaped;
}

std::string RVMakeRTFName(std::string_view Name) {
  std::string s(Name);
  for (char& ch : s)
    if (ch == '\\' || ch == '{' || ch == '}') ch = '_';
  return hexEscape(s);
}

std::string RVMakeRTFBookmarkName(std::string_view Name) {
  std::string s(Name);
  for (char& ch : s) {
    const bool alnum = (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
    if (!alnum) ch = '_';
  }
  return hexEscape(s);
}

void RVWriteUnicodeRTF(TStream& Stream, std::string_view Text, TRVCodePage CodePage, bool IsRTFCode,
                       bool Duplicate) {
  std::string out;
  for (size_t i = 0; i + 1 < Text.size(); i += 2) {
    const auto unit = static_cast<int16_t>(
        static_cast<uint16_t>(static_cast<uint8_t>(Text[i]) | static_cast<uint8_t>(Text[i + 1]) << 8));
    if (unit >= 1 && unit <= 127) {
      out += RVMakeRTFStr(std::string(1, static_cast<char>(unit)), IsRTFCode);
      continue;
    }
    if (!Duplicate) {
      out += "\\u" + num(unit) + " ";
      continue;
    }
    const std::string ansi = RVUnicodeToAnsi(CodePage, Text.substr(i, 2));
    const bool single = ansi.size() == 1;
    if (!single) out += "\\uc" + num(static_cast<int64_t>(ansi.size()));
    out += "\\u" + num(unit) + " " + RVMakeRTFStr(ansi, false, CodePage);
    if (!single) out += "\\uc1 ";
  }
  put(Stream, out);
}

void RVWriteRTFPicture(TStream& Stream, TGraphic* Graphic, int32_t Width, TRVRTFOptions Options,
                       int32_t Height) {
  // A picture of no size has nothing to show and nothing to scale by.
  if (isEmptyPicture(Graphic)) return;
  put(Stream, "{\\pict");
  if (Width > 0) put(Stream, "\\picscalex" + num(Round(Width * 100.0 / Graphic->Width())));
  if (Height > 0) put(Stream, "\\picscaley" + num(Round(Height * 100.0 / Graphic->Height())));
  if (auto* bitmap = dynamic_cast<TBitmap*>(Graphic)) {
    writeDibBody(Stream, *bitmap);
  } else if (auto* metafile = dynamic_cast<TMetafile*>(Graphic)) {
    writeMetafileBody(Stream, *metafile, Options);
  } else if (dynamic_cast<TJPEGImage*>(Graphic) != nullptr && (Options & rvrtfSaveJpegAsJpeg)) {
    put(Stream, "\\jpegblip" + pixelPictureSize(*Graphic));
    put(Stream, upperHex(savedBytes(*Graphic)));
  } else {
    writeDrawnBody(Stream, *Graphic, Options);
  }
  put(Stream, "}");
}

void RVWriteRTFDrawnPicture(TStream& Stream, TGraphic& Graphic, TRVRTFOptions Options) {
  if (isEmptyPicture(&Graphic)) return;
  put(Stream, "{\\pict");
  writeDrawnBody(Stream, Graphic, Options & ~rvrtfSaveEMFDefault);
  put(Stream, "}");
}

namespace {
/// "\langN" when the charset is not the default one, differs from DefCharset and has a
/// language.
std::string languageMark(uint8_t charset, uint8_t defCharset) {
  if (charset == DEFAULT_CHARSET || charset == defCharset) return {};
  const int language = RVLanguageFromCharset(charset);
  return language == 1024 ? std::string() : "\\lang" + num(language);
}

/// The charset a font table names for a font of `charset`. The default charset stands for
/// the ANSI code page of the writing machine, which a reader cannot know: it is written as the
/// charset of that code page, so that 8-bit text in such fonts reads as it was written.
uint8_t writtenCharset(uint8_t charset) {
  if (charset != DEFAULT_CHARSET) return charset;
  const uint32_t ansi = GetACP();
  for (const uint8_t candidate :
       {ANSI_CHARSET, SHIFTJIS_CHARSET, HANGEUL_CHARSET, JOHAB_CHARSET, GB2312_CHARSET, CHINESEBIG5_CHARSET,
        GREEK_CHARSET, TURKISH_CHARSET, VIETNAMESE_CHARSET, HEBREW_CHARSET, ARABIC_CHARSET, BALTIC_CHARSET,
        RUSSIAN_CHARSET, THAI_CHARSET, EASTEUROPE_CHARSET})
    if (RVCodePageFromCharset(candidate) == ansi) return candidate;
  return charset;
}

int colorIndexIn(const TRVColorList& list, TColor color) {
  const int index = list.IndexOf(static_cast<int32_t>(color));
  return index < 0 ? 0 : index;
}
}  // namespace

void RVWriteRTFFontProps(TStream& Stream, const TFont& Font, const TRVRTFFontTable& FontTable,
                         const TRVColorList& ColorList, uint8_t DefCharset) {
  std::string s;
  const int fontIndex = FontTable.IndexOf(Font.Name(), Font.Charset());
  if (fontIndex >= 0) s += "\\f" + num(fontIndex);
  if (Font.Style().Contains(fsBold)) s += "\\b";
  if (Font.Style().Contains(fsItalic)) s += "\\i";
  if (Font.Style().Contains(fsUnderline)) s += "\\ul";
  if (Font.Style().Contains(fsStrikeOut)) s += "\\strike";
  s += "\\fs" + num(int64_t{Font.Size()} * 2);
  s += languageMark(Font.Charset(), DefCharset);
  if (Font.Color() != clWindowText) s += "\\cf" + num(colorIndexIn(ColorList, Font.Color()));
  put(Stream, s);
}

std::string RVRTFTableMarks(int Level) {
  if (Level <= 0) return {};
  if (Level == 1) return "\\intbl\\itap1";
  return "\\itap" + num(Level);
}

void RVSeedRTFListIds(uint32_t Seed) {
  std::lock_guard<std::mutex> lock(listIdMutex);
  listIdEngine().seed(Seed);
}

// ---------------------------------------------------------------------------------------
// TRVRTFWriter

TRVRTFWriter::TRVRTFWriter(TCustomRVData& Data, TRVStyle& Style, TStream& Stream, int Level,
                           const TTables& Tables, double tpp)
    : data_(Data),
      style_(Style),
      stream_(Stream),
      level_(Level),
      tables_(Tables),
      tpp_(tpp),
      options_(Data.GetRTFOptions()) {}

void TRVRTFWriter::write(std::string_view s) {
  RVFWriteString(stream_, s);
}
void TRVRTFWriter::line(std::string_view s) {
  RVFWriteLine(stream_, s);
}

int32_t TRVRTFWriter::twips(int32_t pixels) const {
  return static_cast<int32_t>(Round(pixels * tpp_));
}

int TRVRTFWriter::colorIndex(TColor color) const {
  return colorIndexIn(tables_.ColorList, color);
}

void TRVRTFWriter::BuildFontTable(TRVStyle& Style, TRVRTFFontTable& FontTable, TRVIntegerList& StyleToFont) {
  FontTable.Clear();
  StyleToFont.Clear();
  for (int i = 0; i < Style.TextStyles().Count(); ++i) {
    const TFontInfo& font = Style.TextStyles()[i];
    StyleToFont.AddValue(FontTable.AddUnique(font.FontName, font.Charset));
  }
  for (int i = 0; i < Style.ListStyles().Count(); ++i) {
    TRVListLevelCollection& levels = Style.ListStyles()[i].Levels();
    for (int j = 0; j < levels.Count(); ++j)
      if (levels[j].UsesFont()) FontTable.AddUnique(levels[j].Font().Name(), levels[j].Font().Charset());
  }
}

void TRVRTFWriter::WriteHeader() {
  const int language = RVLanguageFromCharset(style_.TextStyles()[0].Charset);
  // Readers know no "ANSI code page of the writer": the header names the real one.
  line("{\\rtf1\\ansi\\ansicpg" + num(ResolveCodePage(style_.DefCodePage)) + "\\uc1\\deff0\\deflang" +
       num(language) + "\\deflangfe" + num(language));
  emitFontTable();
  emitColorTable();
  if (options_ & rvrtfSaveStyleSheet) emitStyleSheet();
  if (style_.ListStyles().Count() > 0) {
    emitListTable();
    emitListOverrideTable();
  }
  std::string extra;
  data_.SaveRTFExtra(rv_rtfs_Doc, nullptr, -1, -1, false, extra);
  if (!extra.empty()) line(extra);
}

void TRVRTFWriter::emitFontTable() {
  // Readers take 8-bit text of an ANSI font to be in the document's code page: where that
  // is not Windows-1252, the font says so itself.
  const bool ansiNeedsPage = ResolveCodePage(style_.DefCodePage) != 1252;
  std::string s = "{\\fonttbl";
  for (int i = 0; i < tables_.FontTable.Count(); ++i) {
    const TRVRTFFontTableItem* item = tables_.FontTable.Get(i);
    const uint8_t charset = writtenCharset(item->Charset);
    s += "{\\f" + num(i) + "\\fnil\\fcharset" + num(charset) +
         (charset == ANSI_CHARSET && ansiNeedsPage ? "\\cpg1252" : "") + " " + RVMakeRTFName(item->FontName) +
         ";}";
  }
  line(s + "}");
}

void TRVRTFWriter::emitColorTable() {
  std::string s = "{\\colortbl;";
  for (int i = 1; i < tables_.ColorList.Count(); ++i) {
    const auto rgb = static_cast<uint32_t>(ColorToRGB(static_cast<TColor>(tables_.ColorList[i])));
    s += "\\red" + num(rgb & 0xFF) + "\\green" + num((rgb >> 8) & 0xFF) + "\\blue" + num((rgb >> 16) & 0xFF) +
         ";";
  }
  line(s + "}");
}

void TRVRTFWriter::emitStyleSheet() {
  write("{\\stylesheet");
  const int paraCount = style_.ParaStyles().Count();
  for (int i = 0; i < paraCount; ++i) {
    write("{\\s" + num(i));
    emitParaProps(i, nullptr, true);
    write(RVMakeRTFName(style_.ParaStyles().Items(i)->StyleName) + ";}");
  }
  for (int i = 0; i < style_.TextStyles().Count(); ++i) {
    write("{\\*\\cs" + num(paraCount + i));
    emitCharProps(i);
    write(RVMakeRTFName(style_.TextStyles()[i].StyleName) + ";}");
  }
  line("}");
}

void TRVRTFWriter::emitListTable() {
  std::set<int32_t> used;
  const uint8_t defCharset = style_.TextStyles()[0].Charset;
  line("{\\*\\listtable");
  listIds_.clear();
  for (int i = 0; i < style_.ListStyles().Count(); ++i) {
    TRVListLevelCollection& levels = style_.ListStyles()[i].Levels();
    std::string head = "{\\list\\listtemplateid" + num(newListId(used));
    if (levels.Count() == 1) head += "\\listsimple1";
    line(head);
    const int written = levels.Count() == 0 ? 0 : (levels.Count() == 1 ? 1 : 9);
    for (int j = 0; j < written; ++j) {
      TRVListLevel& level = levels[std::min(j, levels.Count() - 1)];
      const int nfc = levelNumberFormat(level);
      std::string s = "{\\listlevel\\levelnfc" + num(nfc) + "\\leveljc" +
                      num(levelJustification(level.MarkerAlignment)) + "\\li" + num(twips(level.LeftIndent)) +
                      "\\fi" + num(twips(level.MarkerIndent - level.LeftIndent)) + "\\jclisttab\\tx" +
                      num(twips(level.FirstIndent + level.LeftIndent));
      if (level.HasNumbering()) s += "\\levelstartat" + num(level.StartFrom);
      if (level.Options & rvloLegalStyleNumbering) s += "\\levellegal1";
      if (!(level.Options & rvloLevelReset)) s += "\\levelnorestart1";
      s += levelTexts(level, style_.DefCodePage);
      write(s);
      if (level.UsesFont())
        RVWriteRTFFontProps(stream_, level.Font(), tables_.FontTable, tables_.ColorList, defCharset);
      line("}");
    }
    const int32_t listId = newListId(used);
    listIds_.push_back(listId);
    line("\\listid" + num(listId) + "}");
  }
  line("}");
}

void TRVRTFWriter::emitListOverrideTable() {
  TRVIntegerList& counts = tables_.ListOverrideCounts;
  line("{\\*\\listoverridetable");
  TRVMarkerList* markers = data_.GetMarkers(false);
  int next = 1;
  for (int i = 0; i < style_.ListStyles().Count() && i < counts.Count(); ++i) {
    const std::string listId = num(listIds_[static_cast<size_t>(i)]);
    const int first = next++;
    line("{\\listoverride\\listid" + listId + "\\listoverridecount0\\ls" + num(first) + "}");
    int restarts = counts[i] - 1;
    for (int m = 0; markers != nullptr && m < markers->Count() && restarts > 0; ++m) {
      TRVMarkerItemInfo* marker = markers->Items(m);
      if (marker->ListNo != i || !marker->Reset) continue;
      TRVListLevel* level = marker->GetLevelInfo(&style_);
      if (level == nullptr || !level->HasTextNumbering()) continue;
      const int lvl = std::min(RVMarkerGetEffectiveLevel(&style_, marker->ListNo, marker->Level), 8);
      std::string s = "{\\listoverride\\listid" + listId + "\\listoverridecount" + num(lvl + 1);
      for (int k = 0; k < lvl; ++k) s += "{\\lfolevel}";
      s += "{\\lfolevel\\listoverridestartat\\levelstartat" + num(marker->StartFrom) + "}\\ls" + num(next++) +
           "}";
      line(s);
      --restarts;
    }
    // Every override counted gets an "\ls" number, so markers never refer past the table.
    next += std::max(restarts, 0);
    counts.SetValue(i, first);
  }
  line("}");
  tables_.ListOverrideOffsets.CopyFrom(counts);
}

void TRVRTFWriter::emitExtra(TRVRTFSaveArea Area, TObject* Obj, int Index, bool InStyleSheet) {
  std::string extra;
  data_.SaveRTFExtra(Area, Obj, Index, -1, InStyleSheet, extra);
  write(extra + " ");
}

void TRVRTFWriter::emitBorder(const TParaInfo& para) {
  const TRVBorder& border = para.Border();
  if (border.Style == rvbNone || border.Color == clNone) return;
  const bool thick = border.Style == rvbThickInside || border.Style == rvbThickOutside;
  const int32_t width = twips(border.Width) * (thick ? 2 : 1);
  auto kind = [&](bool leftOrTop) -> std::string {
    switch (border.Style) {
      case rvbSingle:
        return "s";
      case rvbDouble:
        return "db";
      case rvbTriple:
        return "triple";
      // On the right and bottom the kind goes after an empty "\brdr", which readers skip as
      // a word they do not know.
      case rvbThickInside:
        return leftOrTop ? "thtnmg" : "\\brdrtnthmg";
      case rvbThickOutside:
        return leftOrTop ? "tnthmg" : "\\brdrthtnmg";
      default:
        return "s";
    }
  };
  std::string s = "\\brdrbtw";
  auto side = [&](bool visible, const char* name, int32_t offset, bool leftOrTop) {
    if (!visible) return;
    s += std::string("\\brdr") + name + "\\brsp" + num(twips(offset)) + "\\brdr" + kind(leftOrTop) +
         "\\brdrcf" + num(colorIndex(border.Color)) + "\\brdrw" + num(width);
  };
  const TRVBooleanRect& visible = border.VisibleBorders();
  const TRVRect& offsets = border.BorderOffsets();
  side(visible.Left, "l", offsets.Left, true);
  side(visible.Top, "t", offsets.Top, true);
  side(visible.Right, "r", offsets.Right, false);
  side(visible.Bottom, "b", offsets.Bottom, false);
  write(s);
}

void TRVRTFWriter::emitParaProps(int ParaNo, const TRVMarkerItemInfo* marker, bool inStyleSheet) {
  TParaInfo& para = *style_.ParaStyles().Items(ParaNo);
  std::string s;
  if (para.LineSpacingType == rvlsPercent && para.LineSpacing > 100)
    s += "\\sl" + num(para.LineSpacing * 240 / 100) + "\\slmult1";
  TRVListLevel* level = marker != nullptr ? marker->GetLevelInfo(&style_) : nullptr;
  if (level != nullptr) {
    s += "\\li" + num(twips(level->LeftIndent)) + "\\fi" +
         num(twips(level->MarkerIndent - level->LeftIndent)) + "\\jclisttab\\tx" +
         num(twips(level->FirstIndent + level->LeftIndent));
  } else {
    s += "\\fi" + num(twips(para.FirstIndent)) + "\\li" + num(twips(para.LeftIndent));
  }
  static constexpr const char* kAlign[] = {"l", "r", "c", "j"};
  s += std::string("\\q") + kAlign[para.Alignment & 3] + "\\ri" + num(twips(para.RightIndent)) + "\\sb" +
       num(twips(para.SpaceBefore)) + "\\sa" + num(twips(para.SpaceAfter));
  if (para.Background().Color != clNone) s += "\\cbpat" + num(colorIndex(para.Background().Color));
  write(s);
  emitBorder(para);
  if (!inStyleSheet) write((level_ == 1 ? "\\intbl\\itap" : "\\itap") + num(level_));
  emitExtra(rv_rtfs_ParaStyle, &para, ParaNo, inStyleSheet);
}

void TRVRTFWriter::emitCharProps(int StyleNo) {
  TFontInfo& font = style_.TextStyles()[StyleNo];
  const uint8_t defCharset = style_.TextStyles()[0].Charset;
  std::string s;
  if (StyleNo < tables_.StyleToFont.Count()) s += "\\f" + num(tables_.StyleToFont[StyleNo]);
  if (font.Style.Contains(fsBold)) s += "\\b";
  if (font.Style.Contains(fsItalic)) s += "\\i";
  if (font.Style.Contains(fsUnderline)) s += "\\ul";
  if (font.Style.Contains(fsStrikeOut)) s += "\\strike";
  if (font.VShift < 0) s += "\\sub";
  if (font.VShift > 0) s += "\\super";
  if (font.CharScale != 100) s += "\\charscalex" + num(font.CharScale);
  if (font.CharSpacing != 0) s += "\\expndtw" + num(twips(font.CharSpacing));
  if (font.StyleEx & rvfsAllCaps) s += "\\caps";
  s += languageMark(font.Charset, defCharset);
  s += "\\fs" + num(int64_t{font.Size} * (font.VShift != 0 ? 4 : 2));
  if (font.BackColor != clNone) s += "\\chcbpat" + num(colorIndex(font.BackColor));
  if (font.Color != clWindowText) s += "\\cf" + num(colorIndex(font.Color));
  write(s);
  emitExtra(rv_rtfs_TextStyle, &font, StyleNo, false);
}

void TRVRTFWriter::emitBookmark(const TRVCPInfo& cp) {
  const std::string name =
      cp.Name.empty() ? "RVCheckpoint" + num(checkpointCounter_) : RVMakeRTFBookmarkName(cp.Name);
  ++checkpointCounter_;
  write("{\\*\\bkmkstart " + name + "}{\\*\\bkmkend " + name + "}");
}

TRVMarkerItemInfo* TRVRTFWriter::levelMarker(int ItemNo) const {
  auto* marker = dynamic_cast<TRVMarkerItemInfo*>(data_.GetItem(ItemNo));
  return marker != nullptr && marker->GetLevelInfo(&style_) != nullptr ? marker : nullptr;
}

void TRVRTFWriter::emitParagraphStart(int ItemNo, bool& firstPara, bool& prevParaHadMarker) {
  const TCustomRVItemInfo& item = *data_.GetItem(ItemNo);
  line("");
  if (item.GetBR()) {
    write("\\line");
    return;
  }
  // A table's last "\row" ends its paragraph: a "\par" after it would make an empty paragraph
  // in every reader, unless another table follows (two tables need a paragraph between them).
  const bool afterTable = (data_.StateFlags & rvstRTFTableWritten) != 0 && item.StyleNo != rvsTable;
  data_.StateFlags &= ~rvstRTFTableWritten;
  if (!firstPara && !afterTable) {
    if (prevParaHadMarker) write("\\plain");
    write("\\par");
  }
  firstPara = false;
  // After the paragraph end, before a table too: readers take a page break before "\par" as
  // one more paragraph.
  if (item.GetPageBreakBefore()) write("\\page");
  write("\\pard");
  const int paraNo = std::max(item.ParaNo, 0);
  if (options_ & rvrtfSaveStyleSheet) write("\\s" + num(paraNo));
  TRVMarkerItemInfo* marker = levelMarker(ItemNo);
  prevParaHadMarker = marker != nullptr;
  emitParaProps(paraNo, marker, false);
}

void TRVRTFWriter::emitText(int ItemNo, const std::string& text) {
  const TCustomRVItemInfo& item = *data_.GetItem(ItemNo);
  const TFontInfo& font = style_.TextStyles()[item.StyleNo];
  write("\\plain ");
  if (options_ & rvrtfSaveStyleSheet) write("\\s" + num(style_.ParaStyles().Count() + item.StyleNo));
  emitCharProps(item.StyleNo);
  const bool rtfCode = (font.Options & rvteoRTFCode) != 0;
  if (item.IsTwoByteText())
    RVWriteUnicodeRTF(stream_, text, data_.GetStyleCodePage(item.StyleNo), rtfCode,
                      (options_ & rvrtfDuplicateUnicode) != 0);
  else
    write(RVMakeRTFStr(text, rtfCode, data_.GetStyleCodePage(item.StyleNo)));
  // A raised or lowered run is ended explicitly as well: some readers take a following \plain
  // as no end of it and drop the rest of the paragraph.
  if (font.VShift != 0) write("\\nosupersub");
}

void TRVRTFWriter::WriteItems(bool SelectionOnly, int StartItemNo, int EndItemNo, int StartOffs,
                              int EndOffs) {
  bool firstPara = true;
  bool prevParaHadMarker = false;
  data_.StateFlags &= ~rvstRTFTableWritten;
  if (level_ == 0) write((options_ & rvrtfDuplicateUnicode) ? "\\uc1" : "\\uc0");

  if (SelectionOnly && level_ == 0) {
    // A selection that begins inside a list paragraph begins with that paragraph's marker.
    const int paraStart = data_.GetParaStartItemNo(StartItemNo);
    TRVMarkerItemInfo* marker = levelMarker(paraStart);
    const bool markerBeforeRange =
        paraStart < StartItemNo ||
        (paraStart == StartItemNo && StartOffs >= data_.GetItemEndOffset(StartItemNo));
    if (marker != nullptr && markerBeforeRange) {
      line("");
      write("\\pard");
      if (options_ & rvrtfSaveStyleSheet) write("\\s" + num(std::max(marker->ParaNo, 0)));
      emitParaProps(std::max(marker->ParaNo, 0), marker, false);
      marker->SaveRTF(stream_, &data_, paraStart, data_.GetItemText(paraStart), tpp_, level_,
                      tables_.ColorList, tables_.StyleToFont, tables_.ListOverrideCounts,
                      tables_.ListOverrideOffsets, tables_.FontTable);
      firstPara = false;
      prevParaHadMarker = true;
    }
  }

  for (int i = StartItemNo; i <= EndItemNo; ++i) {
    TCustomRVItemInfo& item = *data_.GetItem(i);
    const std::string& fullText = data_.GetItemText(i);
    if (i == StartItemNo && StartOffs >= data_.GetItemEndOffset(i) && !fullText.empty()) continue;
    if (i == EndItemNo && EndOffs <= data_.GetItemStartOffset(i) && !fullText.empty()) continue;
    if (!item.GetSameAsPrev()) emitParagraphStart(i, firstPara, prevParaHadMarker);
    if (item.Checkpoint) emitBookmark(*item.Checkpoint);

    std::string url;
    if (item.QueryFeatureForStyle(rvsfHyperlink, &style_)) url = data_.URLNeeded(item.JumpID);
    if (!url.empty()) {
      // A quote would end the field's argument: it goes in the address's escaped form.
      std::string target;
      for (char ch : url) target += ch == '"' ? std::string("%22") : std::string(1, ch);
      write("{\\field{\\*\\fldinst HYPERLINK \"" + RVMakeRTFStr(target, false) + "\"}{\\fldrslt");
    }

    if (item.IsTextItem()) {
      std::string text = fullText;
      const TRVItemOptions opts = item.ItemOptions;
      const int length = RVCharCount(text, opts);
      int from = 1, to = length + 1;
      if (i == StartItemNo && StartOffs > 1) from = StartOffs;
      if (i == EndItemNo && EndOffs >= 1 && EndOffs < to) to = EndOffs;
      if (from != 1 || to != length + 1) text = RVCopyChars(fullText, from, std::max(to - from, 0), opts);
      emitText(i, text);
    } else {
      item.SaveRTF(stream_, &data_, i, fullText, tpp_, level_, tables_.ColorList, tables_.StyleToFont,
                   tables_.ListOverrideCounts, tables_.ListOverrideOffsets, tables_.FontTable);
    }
    if (!url.empty()) write("}}");
  }

  if (data_.GetPendingCheckpoint() != nullptr) emitBookmark(*data_.GetPendingCheckpoint());
  if (level_ == 0 && StartItemNo < EndItemNo && data_.StartsParagraph(EndItemNo) &&
      data_.GetItem(EndItemNo)->IsTextItem() && data_.GetItemText(EndItemNo).empty())
    write("\\par");
}

void TRVRTFWriter::WriteTail() {
  write("}");
}

// ---------------------------------------------------------------------------------------
// The RTF side of the document

TCustomRVData& TRVRTFExportSide::Document() {
  return static_cast<TCustomRVData&>(*this);
}

int TRVRTFFontTable::IndexOf(std::string_view FontName, uint8_t Charset) const {
  for (int i = 0; i < Count(); ++i) {
    const TRVRTFFontTableItem* item = Get(i);
    if (item->Charset == Charset && SameText(item->FontName, FontName)) return i;
  }
  return -1;
}

int TRVRTFFontTable::AddUnique(std::string_view FontName, uint8_t Charset) {
  const int index = IndexOf(FontName, Charset);
  if (index >= 0) return index;
  auto item = std::make_unique<TRVRTFFontTableItem>();
  item->FontName = std::string(FontName);
  item->Charset = Charset;
  return Add(std::move(item));
}

void TRVRTFExportSide::BuildRTFColorTable(TRVColorList& ColorList, TRVIntegerList& ListOverrideCounts,
                                          bool Fill) {
  TCustomRVData& data = Document();
  TRVStyle* style = data.GetRVStyle();
  if (Fill) {
    ColorList.Clear();
    ListOverrideCounts.Clear();
    ColorList.AddValue(static_cast<int32_t>(clWindowText));
    for (TColor color : kStandardColors) ColorList.AddValue(static_cast<int32_t>(color));
    if (style != nullptr) {
      for (int i = 0; i < style->TextStyles().Count(); ++i) {
        const TFontInfo& font = style->TextStyles()[i];
        ColorList.AddColorIfAbsent(font.Color);
        ColorList.AddColorIfAbsent(font.BackColor);
        ColorList.AddColorIfAbsent(font.HoverColor);
        ColorList.AddColorIfAbsent(font.HoverBackColor);
      }
      for (int i = 0; i < style->ParaStyles().Count(); ++i) {
        const TParaInfo& para = *style->ParaStyles().Items(i);
        if (para.Border().Style != rvbNone) ColorList.AddColorIfAbsent(para.Border().Color);
        ColorList.AddColorIfAbsent(para.Background().Color);
      }
      for (int i = 0; i < style->ListStyles().Count(); ++i) {
        ListOverrideCounts.AddValue(1);
        TRVListLevelCollection& levels = style->ListStyles()[i].Levels();
        for (int j = 0; j < levels.Count(); ++j)
          if (levels[j].UsesFont()) ColorList.AddColorIfAbsent(levels[j].Font().Color());
      }
    }
  }
  for (int i = 0; i < data.GetItemCount(); ++i) {
    TCustomRVItemInfo* item = data.GetItem(i);
    if (item != nullptr && !item->IsTextItem()) item->FillRTFTables(ColorList, ListOverrideCounts, &data);
  }
}

void TRVRTFExportSide::SaveRTFExtra(TRVRTFSaveArea Area, TObject* Obj, int Index1, int Index2,
                                    bool InStyleSheet, std::string& RTFCode) {
  if (TCustomRVData* root = Document().ForwardRoot()) {
    root->SaveRTFExtra(Area, Obj, Index1, Index2, InStyleSheet, RTFCode);
    return;
  }
  if (OnSaveRTFExtra) OnSaveRTFExtra(Document(), Area, Obj, Index1, Index2, InStyleSheet, RTFCode);
}

bool TRVRTFExportSide::SaveRTFToStream(TStream& Stream, bool SelectionOnly, int Level, TColor Color,
                                       TRVColorList* ColorList, TRVIntegerList* StyleToFont,
                                       TRVIntegerList* ListOverrideCounts,
                                       TRVIntegerList* ListOverrideOffsets, TRVRTFFontTable* FontTable,
                                       double tpp) {
  int startNo = -1, endNo = -1, startOffs = -1, endOffs = -1;
  TCustomRVItemInfo* startPartial = nullptr;
  TCustomRVItemInfo* endPartial = nullptr;
  TCustomRVData& data = Document();
  data.GetSelectionBounds(SelectionOnly, startNo, endNo, startOffs, endOffs, startPartial, endPartial);
  // Nothing to write is still a complete document at the top: readers refuse an empty file.
  const bool nothing = startNo == -1 || startNo > endNo;
  if (nothing && Level != 0) return true;
  TRVStyle* style = data.GetRVStyle();
  if (style == nullptr) return nothing;

  std::unique_ptr<TRVColorList> ownColors;
  std::unique_ptr<TRVIntegerList> ownStyleToFont, ownCounts, ownOffsets;
  std::unique_ptr<TRVRTFFontTable> ownFonts;
  try {
    if (Level == 0) {
      ownColors = std::make_unique<TRVColorList>();
      ownStyleToFont = std::make_unique<TRVIntegerList>();
      ownCounts = std::make_unique<TRVIntegerList>();
      ownOffsets = std::make_unique<TRVIntegerList>();
      ownFonts = std::make_unique<TRVRTFFontTable>();
      ColorList = ownColors.get();
      StyleToFont = ownStyleToFont.get();
      ListOverrideCounts = ownCounts.get();
      ListOverrideOffsets = ownOffsets.get();
      FontTable = ownFonts.get();
      tpp = 1440.0 / kScreenPixelsPerInch;
      TRVRTFWriter::BuildFontTable(*style, *FontTable, *StyleToFont);
      BuildRTFColorTable(*ColorList, *ListOverrideCounts, true);
      if (Color != clWindow) ColorList->AddColorIfAbsent(Color);
    }
    if (!ColorList || !StyleToFont || !ListOverrideCounts || !ListOverrideOffsets || !FontTable) return false;
    TRVRTFWriter writer(data, *style, Stream, Level,
                        {*ColorList, *StyleToFont, *ListOverrideCounts, *ListOverrideOffsets, *FontTable},
                        tpp);
    if (Level == 0) writer.WriteHeader();
    if (!nothing) writer.WriteItems(SelectionOnly, startNo, endNo, startOffs, endOffs);
    if (Level == 0) writer.WriteTail();
  } catch (...) {
    return false;
  }
  return true;
}

bool TRVRTFExportSide::SaveRTF(const std::string& FileName, bool SelectionOnly, TColor Color) {
  try {
    TFileStream stream(FileName, fmCreate);
    return SaveRTFToStream(stream, SelectionOnly, 0, Color, nullptr, nullptr, nullptr, nullptr, nullptr, 0);
  } catch (...) {
    return false;
  }
}
