// The tokenizer reads bytes, groups and control words and dispatches each word through the
// keyword table; the destination of the current group decides where plain characters go.
// Failures travel as a Stop exception carrying the result code, so that every depth of the
// dispatch can end the read at once; ReadFromStream turns it (and any other exception) into
// the result code and never lets an exception out.
#include "richtext/rtf/RVRTF.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

#include "platform/core/CodePages.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Identifiers.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/PngFile.h"
#include "richtext/core/RVGraphicFuncs.h"
#include "richtext/core/RVRTFImport.h"
#include "richtext/core/RVUni.h"
#include "richtext/rtf/RVRTFFuncs.h"
#include "richtext/rtf/RVRTFKeywords.h"

namespace {

constexpr int kScreenPixelsPerInch = 96;
/// "\uc" skips at most this many characters after a Unicode character.
constexpr int32_t kMaxUnicodeSkip = 16;
/// Field pictures larger than this are not read.
constexpr std::uintmax_t kMaxIncludedPicture = 64u * 1024 * 1024;

struct Stop {
  TRVRTFError code;
};

/// Fixed highlight colours 1..16 as 0xBBGGRR.
constexpr std::array<TColor, 16> kHighlightColors = {
    0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF, 0x0000FF, 0x00FFFF, 0xFFFFFF,
    0x800000, 0x808000, 0x008000, 0x800080, 0x000080, 0x008080, 0x808080, 0xC0C0C0};

int hexValue(int ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

bool isLetter(int ch) {
  return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

/// Half-points to points, halves to even.
int32_t halfPointsToPoints(int32_t v) {
  const int64_t q = v / 2;
  if (v % 2 == 0) return static_cast<int32_t>(q);
  const int64_t lower = v > 0 ? q : q - 1;  // floor(v / 2)
  return static_cast<int32_t>(lower % 2 == 0 ? lower : lower + 1);
}

int32_t roundDiv(int64_t numerator, int64_t denominator) {
  if (denominator == 0) return 0;
  const double v = static_cast<double>(numerator) / static_cast<double>(denominator);
  return static_cast<int32_t>(std::nearbyint(v));
}

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

/// Keeps the first character (a length) and as many characters as it says.
template <typename S>
void cutToDeclaredLength(S& text) {
  if (text.empty()) return;
  const size_t length =
      static_cast<size_t>(static_cast<std::make_unsigned_t<typename S::value_type>>(text[0]));
  if (text.size() > length + 1) text.resize(length + 1);
}

void writeU32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint32_t readU32(const std::string& s, size_t at) {
  if (at + 4 > s.size()) return 0;
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}

/// The offset of the pixels of a DIB that follows a 14-byte file header: the headers and the
/// colour table come first.
uint32_t dibPixelOffset(const std::string& file) {
  const uint32_t headerSize = readU32(file, 14);
  if (headerSize < 12) return 14;
  uint32_t bitCount = 0, colorsUsed = 0, compression = 0;
  uint32_t entrySize = 4;
  if (headerSize == 12) {
    bitCount = file.size() >= 26 ? static_cast<uint8_t>(file[24]) | (static_cast<uint8_t>(file[25]) << 8) : 0;
    entrySize = 3;
  } else {
    bitCount = readU32(file, 28) & 0xFFFF;
    compression = readU32(file, 30);
    colorsUsed = readU32(file, 46);
  }
  uint64_t colors = colorsUsed != 0 ? colorsUsed : (bitCount <= 8 ? (1u << bitCount) : 0);
  uint64_t masks =
      (headerSize == 40 && (compression == 3 || compression == 6)) ? (compression == 3 ? 12 : 16) : 0;
  const uint64_t offset = 14 + static_cast<uint64_t>(headerSize) + masks + colors * entrySize;
  return offset > std::numeric_limits<uint32_t>::max() ? 14 : static_cast<uint32_t>(offset);
}

/// A BMP file of a device-dependent bitmap: rows top-down, each WidthBytes long. Only the
/// depths that need no palette of the device (1, 24 and 32 bits) can be shown.
std::string ddbAsBitmapFile(const TRVRTFPicture& pic) {
  const int64_t width = pic.PicW, height = pic.PicH, bpp = pic.BitsPixel;
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535 || pic.Planes != 1 ||
      (bpp != 1 && bpp != 24 && bpp != 32) || pic.WidthBytes > (1 << 20))
    return {};
  const int64_t srcStride = pic.WidthBytes > 0 ? pic.WidthBytes : ((width * bpp + 15) / 16) * 2;
  const int64_t dstStride = ((width * bpp + 31) / 32) * 4;
  if (srcStride * height > static_cast<int64_t>(pic.Data.size()) || dstStride > srcStride + 4) return {};
  const uint32_t palette = bpp == 1 ? 8 : 0;
  const uint32_t offset = 14 + 40 + palette;
  std::string file(offset + dstStride * height, '\0');
  file[0] = 'B';
  file[1] = 'M';
  writeU32(file, 2, static_cast<uint32_t>(file.size()));
  writeU32(file, 10, offset);
  writeU32(file, 14, 40);
  writeU32(file, 18, static_cast<uint32_t>(width));
  writeU32(file, 22, static_cast<uint32_t>(-height));  // top-down
  file[26] = 1;
  file[28] = static_cast<char>(bpp);
  if (bpp == 1) writeU32(file, 54 + 4, 0x00FFFFFF);  // 0 black, 1 white
  for (int64_t y = 0; y < height; ++y)
    std::memcpy(&file[offset + y * dstStride], &pic.Data[y * srcStride], std::min(srcStride, dstStride));
  return file;
}

}  // namespace

// ---------------------------------------------------------------------------------------

struct TRVRTFReader::Parser {
  TRVRTFReader& r;
  TStream& stream;
  std::vector<char> buffer;
  size_t bufPos = 0, bufLen = 0;
  int pushedBack = -1;
  int lastChar = 0;
  int64_t binCount = 0;
  int32_t lastParam = 0;
  int hexAccum = 0;
  bool hexHigh = true;  // the next picture hex digit is a high nibble
  int hexPairFirst = -1;
  bool ignorable = false;

  Parser(TRVRTFReader& reader, TStream& s) : r(reader), stream(s), buffer(64 * 1024) {}

  TRVRTFReaderState& st() { return r.state_; }

  // ---- input ----------------------------------------------------------------------------------

  /// The next byte, or -1 at the end of the stream.
  int getChar() {
    if (pushedBack >= 0) {
      const int ch = pushedBack;
      pushedBack = -1;
      return ch;
    }
    if (bufPos >= bufLen) {
      bufLen = static_cast<size_t>(std::max<int64_t>(0, stream.Read(buffer.data(), buffer.size())));
      bufPos = 0;
      if (bufLen == 0) return -1;
    }
    lastChar = static_cast<uint8_t>(buffer[bufPos++]);
    return lastChar;
  }
  void pushBack(int ch) { pushedBack = ch; }

  // ---- the loop -------------------------------------------------------------------------------

  TRVRTFError run() {
    int depth = 0;
    for (;;) {
      const int ch = getChar();
      if (ch < 0) break;
      if (st().InputState == risBin) {
        parseChar(ch);
        continue;
      }
      if (ch == '{') {
        r.skip_ = 0;
        pushGroup();
        ++depth;
      } else if (ch == '}') {
        r.skip_ = 0;
        popGroup();
        if (--depth == 0) break;
      } else if (ch == '\\') {
        readControlWord();
      } else if (ch == '\n' || ch == '\r') {
        continue;
      } else if (st().InputState == risHex) {
        const int v = hexValue(ch);
        if (v < 0) throw Stop{rtf_ec_InvalidHex};
        if (hexPairFirst < 0) {
          hexPairFirst = v;
          continue;
        }
        const int byte = hexPairFirst * 16 + v;
        hexPairFirst = -1;
        st().InputState = risNorm;
        if (r.skip_ > 0)
          --r.skip_;
        else
          parseChar(byte);
      } else if (st().InputState == risNorm) {
        if (r.skip_ > 0)
          --r.skip_;
        else
          parseChar(ch);
      } else {
        throw Stop{rtf_ec_Assertion};
      }
    }
    return finish(depth);
  }

  TRVRTFError finish(int depth) {
    // A file cut short still delivers the text read before its end.
    if (depth > 0) flushText(rtf_ts_ContinuePara);
    updateMarker();
    while (r.openTableLevels_ > 0) {
      fireTable(rvf_tbl_TableEnd);
      --r.openTableLevels_;
    }
    r.cellsSinceRow_ = 0;
    if (!r.colors_.empty()) r.colors_.pop_back();
    if (depth < 0) return rtf_ec_StackUnderflow;
    if (depth > 0) return rtf_ec_UnmatchedBrace;
    if (!r.pending_.empty() || !r.pendingW_.empty()) outputChar(0, true, true);
    return rtf_ec_OK;
  }

  // ---- groups ---------------------------------------------------------------------------------

  void pushGroup() {
    if (static_cast<int>(r.groups_.size()) >= rtfMaxGroupDepth) throw Stop{rtf_ec_StackOverflow};
    r.groups_.push_back(st());
    st().InputState = risNorm;
    if (st().Destination == rdsStyleSheet) {
      r.styleSheet_.emplace_back();
      st().Destination = rdsStyleSheetEntry;
    }
  }

  void popGroup() {
    if (r.groups_.empty()) throw Stop{rtf_ec_StackUnderflow};
    const bool outermost = r.groups_.size() == 1;
    if (outermost) updateMarker();
    TRVRTFReaderState& saved = r.groups_.back();
    const TRVRTFDestination leaving = st().Destination;
    if (leaving == rdsStyleSheetEntry && saved.Destination == rdsStyleSheet && !r.styleSheet_.empty()) {
      auto& entry = r.styleSheet_.back();
      const int32_t font = entry.Chars.FontIndex;
      entry.Chars = st().Chars;
      entry.Chars.FontIndex = font;
      entry.Para = st().Para;
    }
    if (leaving == rdsNorm) flushText(rtf_ts_ContinuePara);
    // The last paragraph may have begun a list marker with that text: it gets its list while
    // the paragraph's numbering is still known.
    if (outermost) updateMarker();
    if (leaving != saved.Destination) endDestination(leaving);
    if ((st().HFType == rtf_hf_Header || st().HFType == rtf_hf_Footer) && st().HFType != saved.HFType &&
        r.OnHeaderFooter)
      r.OnHeaderFooter(&r, static_cast<TRVRTFHeaderFooterType>(st().HFType), false);
    st().CopyFrom(saved);
    if (leaving == rdsPN && r.numbering_) {
      st().Para.Marker = *r.numbering_;
      r.numbering_.reset();
    }
    r.groups_.pop_back();
  }

  void endDestination(TRVRTFDestination leaving) {
    switch (leaving) {
      case rdsFontTable:
        stripCharsetSuffixes();
        break;
      case rdsPict:
        endPicture();
        break;
      case rdsField:
        st().FieldCode.clear();
        break;
      case rdsFieldInst:
        endFieldInstruction();
        break;
      case rdsLevelText:
        if (auto* level = lastLevel()) {
          cutToDeclaredLength(level->Text);
          cutToDeclaredLength(level->TextW);
        }
        break;
      case rdsLevelNumbers:
        if (auto* level = lastLevel()) cutToDeclaredLength(level->Numbers);
        break;
      default:
        break;
    }
  }

  // ---- control words ----------------------------------------------------------------------------

  void readControlWord() {
    int ch = getChar();
    if (ch < 0) throw Stop{rtf_ec_EndOfFile};
    if (!isLetter(ch)) {
      // After "\u" a control symbol is one skipped character, as a control word is: writers
      // escape a fallback of "{", "}" or "\\" that way. Of "\'" its hex pair is the character.
      if (r.skip_ > 0 && ch != '\'') {
        --r.skip_;
        return;
      }
      dispatch(std::string(1, static_cast<char>(ch)), 0, false);
      return;
    }
    std::string word;
    const size_t maxWord = static_cast<size_t>(RVRTFMaxKeywordLength()) + 1;
    while (ch >= 0 && isLetter(ch)) {
      // Longer words are no keyword; keeping a bounded prefix is enough to say so.
      if (word.size() < maxWord) word += static_cast<char>(ch);
      ch = getChar();
    }
    bool negative = false, hasParam = false;
    int64_t value = 0;
    if (ch == '-') {
      negative = true;
      ch = getChar();
    }
    while (ch >= '0' && ch <= '9') {
      hasParam = true;
      // Numbers saturate at 32 bits instead of wrapping.
      value = std::min<int64_t>(value * 10 + (ch - '0'), int64_t{1} << 32);
      ch = getChar();
    }
    if (ch >= 0 && ch != ' ') pushBack(ch);
    if (negative) value = -value;
    const int32_t param = static_cast<int32_t>(std::clamp<int64_t>(
        value, -std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()));
    if (hasParam) lastParam = param;
    if (r.skip_ > 0) {
      --r.skip_;
      return;
    }
    dispatch(word, param, hasParam);
  }

  void dispatch(const std::string& word, int32_t param, bool hasParam) {
    const TRVRTFSymbol* sym = RVFindRTFKeyword(word);
    const bool wasIgnorable = ignorable;
    if (!(sym != nullptr && sym->Kind == TRVRTFKeywordKind::Special &&
          static_cast<TRVRTFSpecial>(sym->Index) == TRVRTFSpecial::Ignorable))
      ignorable = false;
    if (sym == nullptr) {
      if (wasIgnorable) st().Destination = rdsSkip;
      return;
    }
    switch (sym->Kind) {
      case TRVRTFKeywordKind::Char:
        parseChar(sym->Index);
        break;
      case TRVRTFKeywordKind::Typographic:
        if (st().Destination == rdsNorm && r.OnNewUnicodeText)
          unicodeChar(static_cast<char16_t>(sym->Default));
        else
          deliverTypographic(*sym);
        break;
      case TRVRTFKeywordKind::Destination:
        changeDestination(static_cast<TRVRTFDestKeyword>(sym->Index));
        break;
      case TRVRTFKeywordKind::Property: {
        const int32_t value = (sym->UseDefault || !hasParam) ? sym->Default : param;
        if (sym->Affect == TRVRTFAffect::Character && st().Destination == rdsNorm)
          flushText(rtf_ts_ContinuePara);
        changeProperty(static_cast<TRVRTFProp>(sym->Index), value, *sym, hasParam);
        break;
      }
      case TRVRTFKeywordKind::Special:
        special(static_cast<TRVRTFSpecial>(sym->Index), hasParam ? param : 0, hasParam);
        break;
    }
  }

  /// A typographic character as 8-bit text: in the text's code page where it has the
  /// character and the row asks for that, else the row's fallback.
  void deliverTypographic(const TRVRTFSymbol& sym) {
    if (sym.UseDefault && st().Destination == rdsNorm) {
      const std::string bytes =
          r.UnicodeToAnsi(std::u16string(1, static_cast<char16_t>(sym.Default)), r.TextCodePage());
      if (!bytes.empty() && bytes != "?") {
        for (char b : bytes) parseChar(static_cast<uint8_t>(b));
        return;
      }
    }
    parseChar(sym.Index);
  }

  void special(TRVRTFSpecial what, int32_t param, bool hasParam) {
    switch (what) {
      case TRVRTFSpecial::Bin:
        // "\bin" without a count reads nothing; a negative count is ignored.
        if (hasParam && param > 0) {
          binCount = param;
          st().InputState = risBin;
        }
        break;
      case TRVRTFSpecial::Hex:
        // In a skipped group too: the pair still has to be stepped over.
        st().InputState = risHex;
        hexPairFirst = -1;
        break;
      case TRVRTFSpecial::Ignorable:
        if (st().Destination != rdsSkip) ignorable = true;
        break;
    }
  }

  // ---- destinations -----------------------------------------------------------------------------

  void changeDestination(TRVRTFDestKeyword d) {
    TRVRTFReaderState& s = st();
    if (s.Destination == rdsSkip) return;
    const TRVRTFDestination cur = s.Destination;
    auto require = [&](TRVRTFDestination needed, TRVRTFDestination next) {
      s.Destination = cur == needed ? next : rdsSkip;
      return cur == needed;
    };
    switch (d) {
      case TRVRTFDestKeyword::Pict:
        if (r.picture_) throw Stop{rtf_ec_InvalidPicture};
        s.Destination = rdsPict;
        if (r.OnNewPicture) r.picture_ = std::make_unique<TRVRTFPicture>();
        hexHigh = true;
        break;
      case TRVRTFDestKeyword::Skip:
        s.Destination = rdsSkip;
        break;
      case TRVRTFDestKeyword::FontTable:
        r.fonts_.clear();
        s.Destination = rdsFontTable;
        break;
      case TRVRTFDestKeyword::StyleSheet:
        r.styleSheet_.clear();
        s.Destination = rdsStyleSheet;
        break;
      case TRVRTFDestKeyword::ColorTable:
        r.colors_.assign(1, rtfAutoColor);
        s.Destination = rdsColorTable;
        break;
      case TRVRTFDestKeyword::Field:
        outputChar(0, true, true);
        s.Destination = rdsField;
        break;
      case TRVRTFDestKeyword::FieldInst:
        if (cur == rdsField) {
          s.FieldCode.clear();
          s.FieldHandled = false;
          s.Destination = rdsFieldInst;
        }
        break;
      case TRVRTFDestKeyword::FieldResult:
      case TRVRTFDestKeyword::NestTableProps:
        s.Destination = rdsNorm;
        break;
      case TRVRTFDestKeyword::Header:
      case TRVRTFDestKeyword::Footer:
        s.HFType = d == TRVRTFDestKeyword::Header ? rtf_hf_Header : rtf_hf_Footer;
        if (r.OnHeaderFooter)
          r.OnHeaderFooter(&r, static_cast<TRVRTFHeaderFooterType>(s.HFType), true);
        else
          s.Destination = rdsSkip;
        break;
      case TRVRTFDestKeyword::PNTextAfter:
        require(rdsPN, rdsPNTextAfter);
        break;
      case TRVRTFDestKeyword::PNTextBefore:
        require(rdsPN, rdsPNTextBefore);
        break;
      case TRVRTFDestKeyword::PN:
        r.numbering_ = std::make_unique<TRVRTFMarkerProperties>();
        s.Destination = rdsPN;
        break;
      case TRVRTFDestKeyword::ListTable:
        r.listTable_.clear();
        s.Destination = rdsListTable;
        break;
      case TRVRTFDestKeyword::List:
        if (require(rdsListTable, rdsList)) r.listTable_.emplace_back();
        break;
      case TRVRTFDestKeyword::ListName:
        require(rdsList, rdsListName);
        break;
      case TRVRTFDestKeyword::ListLevel:
        // A table cleared inside one of its own groups may have no list to add to.
        if (require(rdsList, rdsListLevel) && !r.listTable_.empty())
          r.listTable_.back().Levels.emplace_back();
        break;
      case TRVRTFDestKeyword::LevelText:
        require(rdsListLevel, rdsLevelText);
        break;
      case TRVRTFDestKeyword::LevelNumbers:
        require(rdsListLevel, rdsLevelNumbers);
        break;
      case TRVRTFDestKeyword::ListOverrideTable:
        r.overrideTable_.clear();
        s.Destination = rdsListOverrideTable;
        break;
      case TRVRTFDestKeyword::ListOverride:
        if (require(rdsListOverrideTable, rdsListOverride)) r.overrideTable_.emplace_back();
        break;
      case TRVRTFDestKeyword::LfoLevel:
        if (require(rdsListOverride, rdsLfoLevel) && !r.overrideTable_.empty())
          r.overrideTable_.back().Levels.emplace_back();
        break;
      case TRVRTFDestKeyword::ShapePicture:
        // Its picture is read where it stands; the fallback that follows is then skipped.
        r.shapePictureRead_ = true;
        break;
      case TRVRTFDestKeyword::NonShapePicture:
        if (r.shapePictureRead_) s.Destination = rdsSkip;
        r.shapePictureRead_ = false;
        break;
    }
  }

  TRVRTFListLevel97* lastLevel() {
    if (r.listTable_.empty() || r.listTable_.back().Levels.empty()) return nullptr;
    return &r.listTable_.back().Levels.back();
  }

  // ---- characters -------------------------------------------------------------------------------

  void parseChar(int ch) {
    TRVRTFReaderState& s = st();
    const bool binary = s.InputState == risBin;
    if (binary && --binCount <= 0) s.InputState = risNorm;
    const char c = static_cast<char>(ch);
    switch (s.Destination) {
      case rdsNorm:
        if (ch == 10 || ch == 13) {
          updateMarker();
          outputChar(ch, true, true);
          updateMarker();
        } else {
          outputChar(ch, true, true);
        }
        break;
      case rdsFontTable:
        if (c != ';' && !r.fonts_.empty()) r.fonts_.back().Name += c;
        break;
      case rdsStyleSheetEntry:
        if (c != ';' && !r.styleSheet_.empty()) r.styleSheet_.back().Name += c;
        break;
      case rdsColorTable:
        if (c == ';') r.colors_.push_back(rtfAutoColor);
        break;
      case rdsPict:
        pictureByte(ch, binary);
        break;
      case rdsFieldInst:
        s.FieldCode += c;
        break;
      case rdsPNTextAfter:
        if (r.numbering_) r.numbering_->TextAfter += c;
        break;
      case rdsPNTextBefore:
        if (r.numbering_) r.numbering_->TextBefore += c;
        break;
      case rdsListName:
        if (!r.listTable_.empty()) r.listTable_.back().Name += c;
        break;
      case rdsLevelText:
        if (auto* level = lastLevel()) {
          level->Text += c;
          if (!level->TextW.empty()) level->TextW += r.AnsiToUnicode(std::string(1, c), r.codePage_);
        }
        break;
      case rdsLevelNumbers:
        if (auto* level = lastLevel()) level->Numbers += c;
        break;
      default:
        break;
    }
  }

  void pictureByte(int ch, bool binary) {
    TRVRTFPicture* pic = r.picture_.get();
    if (binary) {
      if (pic != nullptr && !pic->Broken) pic->Data += static_cast<char>(ch);
      return;
    }
    if (ch == ' ' || ch == '\t') return;
    if (pic == nullptr || pic->Broken) return;
    const int v = hexValue(ch);
    if (v < 0) {
      // A bad digit spoils this picture only: it is shown as the invalid picture.
      pic->Broken = true;
      return;
    }
    if (hexHigh) {
      hexAccum = v;
    } else {
      pic->Data += static_cast<char>(hexAccum * 16 + v);
    }
    hexHigh = !hexHigh;
  }

  /// Unicode character `unit` of "\u" or a typographic keyword.
  void unicodeChar(char16_t unit) {
    TRVRTFReaderState& s = st();
    if (r.OnNewUnicodeText && s.Destination == rdsNorm) {
      checkTable(true);
      if (!r.pending_.empty()) flushText(rtf_ts_ContinuePara);
      r.pendingW_ += unit;
      return;
    }
    if (r.OnNewUnicodeText && s.Destination == rdsLevelText) {
      if (auto* level = lastLevel()) {
        if (level->TextW.empty()) level->TextW = r.AnsiToUnicode(level->Text, r.codePage_);
        level->TextW += unit;
        level->Text += r.UnicodeToAnsi(std::u16string(1, unit), r.codePage_);
      }
      return;
    }
    for (char b : r.UnicodeToAnsi(std::u16string(1, unit), codePageHere()))
      parseChar(static_cast<uint8_t>(b));
  }

  /// The code page 8-bit characters are delivered in: the current font's in running text.
  uint32_t codePageHere() const { return r.state_.Destination == rdsNorm ? r.TextCodePage() : r.codePage_; }

  // ---- text output -----------------------------------------------------------------------------

  void outputChar(int ch, bool close, bool tableCheck) {
    if (tableCheck) checkTable(close, false, ch == 10);
    if (ch != 0 && ch != 10 && ch != 13) {
      if (!r.pendingW_.empty()) flushText(rtf_ts_ContinuePara);
      r.pending_ += static_cast<char>(ch);
      return;
    }
    flushText(ch == 10 ? rtf_ts_NewPara : ch == 13 ? rtf_ts_NewLine : rtf_ts_ContinuePara);
  }

  /// "\page": ends the paragraph unless one has just ended (our own writer writes
  /// "\par\page"), then marks the next paragraph.
  void pageBreak() {
    checkTable(true, false, true);
    if (!r.pending_.empty() || !r.pendingW_.empty() || r.hiddenChanged_ || r.position_ != rtf_ts_NewPara)
      flushText(rtf_ts_NewPara);
    r.OnRequiredPageBreak(&r);
  }

  void flushText(TRVRTFPosition next) {
    if (r.pending_.empty() && r.pendingW_.empty() && !r.hiddenChanged_) {
      if (r.position_ == rtf_ts_ContinuePara) {
        r.position_ = next;
        return;
      }
      // An empty flush never loses a paragraph start; a second paragraph end makes an empty
      // paragraph.
      if (next == rtf_ts_ContinuePara) return;
    }
    st().Para.ResolveShading();
    std::string text = std::move(r.pending_);
    std::u16string textW = std::move(r.pendingW_);
    r.pending_.clear();
    r.pendingW_.clear();
    r.hiddenChanged_ = false;
    const TRVRTFPosition position = r.position_;
    r.position_ = next;
    if (r.OnNewUnicodeText && !textW.empty())
      r.OnNewUnicodeText(&r, textW, position);
    else if (r.OnNewText)
      r.OnNewText(&r, text, position);
  }

  /// Opens and closes table levels to the paragraph's. A cell or row end (endsCell) outside
  /// any "intbl" belongs to the innermost open table, and so does what stands between the
  /// cells of a row not yet finished: writers that wrap each cell in a group of its own
  /// leave the cell's paragraph properties, "intbl" too, behind in that group. A paragraph
  /// that "pard" took out of the table and a paragraph end (endsPara), not a cell end,
  /// finishes is an ordinary paragraph: it ends the table, row finished or not.
  void checkTable(bool close, bool endsCell = false, bool endsPara = false) {
    const TRVRTFParaProperties& para = st().Para;
    int target = para.InTable ? std::max(0, para.NestingLevel) : 0;
    if (target > rtfMaxTableLevel) throw Stop{rtf_ec_StackOverflow};
    if (!para.InTable && (endsCell || (r.cellsSinceRow_ > 0 && !(endsPara && r.paraLeftTable_))))
      target = r.openTableLevels_;
    while (r.openTableLevels_ < target) {
      fireTable(rvf_tbl_TableStart);
      ++r.openTableLevels_;
      r.cellsSinceRow_ = 0;
    }
    if (close && !para.NoTableEnd)
      while (r.openTableLevels_ > target) {
        fireTable(rvf_tbl_TableEnd);
        --r.openTableLevels_;
        r.cellsSinceRow_ = 0;
      }
  }

  void fireTable(TRVRTFTableEventKind kind) {
    updateMarker();
    if (r.OnTable) r.OnTable(&r, kind);
  }

  void updateMarker() {
    if (!r.OnUpdateMarker || !st().Para.Marker) return;
    st().Para.Marker->UpdateFrom(st().Chars);
    st().Para.Marker->FontIndex = r.ResolvedFontIndex(st().Para.Marker->FontIndex);
    r.OnUpdateMarker(&r);
  }

  // ---- properties -------------------------------------------------------------------------------

  bool validColor(int32_t v) const { return v >= 0 && v < static_cast<int32_t>(r.colors_.size()); }

  int32_t fontIndex(int32_t number) const {
    for (size_t i = 0; i < r.fonts_.size(); ++i)
      if (r.fonts_[i].Number == number) return static_cast<int32_t>(i);
    const int32_t def = r.state_.DefFont;
    if (number == def) return 0;
    for (size_t i = 0; i < r.fonts_.size(); ++i)
      if (r.fonts_[i].Number == def) return static_cast<int32_t>(i);
    return 0;
  }

  TRVRTFBorderSide* currentBorderSide() {
    TRVRTFReaderState& s = st();
    switch (s.BorderTarget) {
      case 1: {
        auto& row = s.GetRow();
        return &row.Border.Side(row.CurBorderSide);
      }
      case 2: {
        auto& cell = s.GetRow().LastCell();
        return &cell.Border.Side(cell.CurBorderSide);
      }
      default:
        return &s.Para.GetBorder().Side(s.Para.CurBorderSide);
    }
  }

  void changeProperty(TRVRTFProp p, int32_t v, const TRVRTFSymbol& sym, bool hasParam) {
    switch (st().Destination) {
      case rdsSkip:
        return;
      case rdsColorTable:
        colorTableProperty(p, v);
        return;
      case rdsStyleSheetEntry:
        styleProperty(p, v);
        return;
      case rdsPict:
        pictureProperty(p, v);
        return;
      case rdsPN:
      case rdsPNSecLvl:
        numberingProperty(p, v);
        return;
      case rdsList:
      case rdsListLevel:
      case rdsListOverride:
      case rdsLfoLevel:
        listProperty(p, v);
        return;
      default:
        generalProperty(p, v, sym, hasParam);
    }
  }

  void colorTableProperty(TRVRTFProp p, int32_t v) {
    int shift = p == TRVRTFProp::Red ? 0 : p == TRVRTFProp::Green ? 8 : p == TRVRTFProp::Blue ? 16 : -1;
    if (shift < 0 || r.colors_.empty()) return;
    TColor& c = r.colors_.back();
    if (c == rtfAutoColor) c = 0;
    c |= static_cast<TColor>((static_cast<uint32_t>(v) & 0xFF) << shift);
  }

  void styleProperty(TRVRTFProp p, int32_t v) {
    if (r.styleSheet_.empty()) return;
    auto& entry = r.styleSheet_.back();
    auto findStyle = [&](int32_t number) {
      for (size_t i = 0; i < r.styleSheet_.size(); ++i)
        if (r.styleSheet_[i].Number == number) return static_cast<int>(i);
      return -1;
    };
    switch (p) {
      case TRVRTFProp::StyleNumber:
      case TRVRTFProp::CharStyleNumber:
      case TRVRTFProp::SectionStyleNumber:
        entry.Number = v;
        entry.Kind = p == TRVRTFProp::StyleNumber ? 1 : p == TRVRTFProp::CharStyleNumber ? 0 : 2;
        break;
      case TRVRTFProp::StyleBasedOn:
        entry.BasedOn = findStyle(v);
        break;
      case TRVRTFProp::StyleNext:
        entry.Next = findStyle(v);
        break;
      case TRVRTFProp::StyleAdditive:
        entry.Additive = true;
        break;
      case TRVRTFProp::StyleHidden:
        entry.Hidden = true;
        break;
      case TRVRTFProp::Font:
        entry.Chars.FontIndex = fontIndex(v);
        break;
      default:
        break;
    }
  }

  void pictureProperty(TRVRTFProp p, int32_t v) {
    TRVRTFPicture* pic = r.picture_.get();
    if (pic == nullptr) return;
    switch (p) {
      case TRVRTFProp::PicW:
        pic->PicW = v;
        break;
      case TRVRTFProp::PicH:
        pic->PicH = v;
        break;
      case TRVRTFProp::PicWGoal:
        pic->PicWGoal = v;
        break;
      case TRVRTFProp::PicHGoal:
        pic->PicHGoal = v;
        break;
      case TRVRTFProp::PicScaleX:
        pic->ScaleX = v;
        break;
      case TRVRTFProp::PicScaleY:
        pic->ScaleY = v;
        break;
      case TRVRTFProp::PicWidthBytes:
        pic->WidthBytes = v;
        break;
      case TRVRTFProp::PicBitsPixel:
        pic->BitsPixel = v;
        break;
      case TRVRTFProp::PicPlanes:
        pic->Planes = v;
        break;
      case TRVRTFProp::PicKind:
        pic->Kind = static_cast<TRVRTFPictureKind>(v);
        break;
      case TRVRTFProp::PicMetafile:
        pic->Kind = rtfpkMetafile;
        pic->MappingMode = (v >= 2 && v <= 8) ? v : 1;
        break;
      case TRVRTFProp::PicBmp:
        pic->PicBmp = v != 0;
        break;
      default:
        break;
    }
  }

  TRVRTFMarkerProperties* numberingTarget() {
    if (st().Destination == rdsPN) return r.numbering_.get();
    auto& levels = st().Section.LevelNumbering;
    if (levels.empty()) levels.resize(11);
    const int32_t index = r.sectionLevel_ - 1;
    return index >= 0 && index < 11 ? &levels[index] : nullptr;
  }

  void numberingProperty(TRVRTFProp p, int32_t v) {
    if (p == TRVRTFProp::PNSecLevel) {
      r.sectionLevel_ = v;
      st().Destination = rdsPNSecLvl;
      return;
    }
    TRVRTFMarkerProperties* m = numberingTarget();
    if (m == nullptr) return;
    auto styleBit = [&](uint8_t bit, uint8_t own) {
      m->StyleBits = static_cast<uint8_t>(v != 0 ? (m->StyleBits | bit) : (m->StyleBits & ~bit));
      m->OwnValues |= own;
    };
    switch (p) {
      case TRVRTFProp::PNLevel: {
        const auto& section = st().Section.LevelNumbering;
        if (st().Destination == rdsPN && !section.empty() && v >= 1 && v <= 11) {
          auto copy = section[v - 1];
          copy.TextAfter = m->TextAfter;
          copy.TextBefore = m->TextBefore;
          *m = copy;
        }
        m->Level = v;
        break;
      }
      case TRVRTFProp::PNHang:
        m->Hanging = v != 0;
        break;
      case TRVRTFProp::PNNumberType:
        m->NumberType = static_cast<uint8_t>(v);
        break;
      case TRVRTFProp::PNBold:
        styleBit(rtfStyleBold, rtfmoBold);
        break;
      case TRVRTFProp::PNItalic:
        styleBit(rtfStyleItalic, rtfmoItalic);
        break;
      case TRVRTFProp::PNUnderline:
        styleBit(rtfStyleUnderline, rtfmoUnderline);
        break;
      case TRVRTFProp::PNStrikeOut:
        styleBit(rtfStyleStrikeOut, rtfmoStrikeOut);
        break;
      case TRVRTFProp::PNColor:
        if (validColor(v)) {
          m->Color = r.colors_[v];
          m->OwnValues |= rtfmoColor;
        }
        break;
      case TRVRTFProp::PNFont:
        m->FontIndex = fontIndex(v);
        m->OwnValues |= rtfmoFont;
        break;
      case TRVRTFProp::PNFontSize:
        m->FontSize = halfPointsToPoints(v);
        m->OwnValues |= rtfmoSize;
        break;
      case TRVRTFProp::PNIndent:
        m->Indent = v;
        break;
      case TRVRTFProp::PNSpacing:
        m->Spacing = v;
        break;
      case TRVRTFProp::PNStart:
        m->Start = v;
        break;
      case TRVRTFProp::PNAlignment:
        m->Alignment = static_cast<uint8_t>(v);
        break;
      default:
        break;
    }
  }

  void listProperty(TRVRTFProp p, int32_t v) {
    const TRVRTFDestination d = st().Destination;
    if (d == rdsList) {
      if (r.listTable_.empty()) return;
      if (p == TRVRTFProp::ListId) r.listTable_.back().Id = v;
      if (p == TRVRTFProp::ListSimple) r.listTable_.back().Simple = v != 0;
      return;
    }
    if (d == rdsListOverride) {
      if (r.overrideTable_.empty()) return;
      auto& o = r.overrideTable_.back();
      if (p == TRVRTFProp::ListId) {
        o.ListIndex = -1;
        for (size_t i = 0; i < r.listTable_.size(); ++i)
          if (r.listTable_[i].Id == v) {
            o.ListIndex = static_cast<int>(i);
            break;
          }
      } else if (p == TRVRTFProp::ListOverride) {
        o.Number = v;
      } else if (p == TRVRTFProp::ListOverrideCount) {
        o.OverrideCount = v;
      }
      return;
    }
    if (d == rdsLfoLevel) {
      if (r.overrideTable_.empty() || r.overrideTable_.back().Levels.empty()) return;
      auto& l = r.overrideTable_.back().Levels.back();
      if (p == TRVRTFProp::ListOverrideStartAt) l.UseStart = v != 0;
      if (p == TRVRTFProp::LevelStartAt) l.Start = v;
      return;
    }
    TRVRTFListLevel97* level = lastLevel();
    if (level == nullptr) return;
    auto styleBit = [&](uint8_t bit) {
      level->StyleBits = static_cast<uint8_t>(v != 0 ? (level->StyleBits | bit) : (level->StyleBits & ~bit));
    };
    switch (p) {
      case TRVRTFProp::LevelNfc: {
        static constexpr std::pair<int32_t, uint8_t> kNfc[] = {{0, 1}, {1, 5},  {2, 4},  {3, 3},
                                                               {4, 2}, {23, 6}, {255, 7}};
        level->NumberType = 1;
        for (auto [nfc, type] : kNfc)
          if (nfc == v) level->NumberType = type;
        break;
      }
      case TRVRTFProp::LevelJc:
        level->Alignment = v == 1 ? 2 : v == 2 ? 1 : 0;
        break;
      case TRVRTFProp::LevelOld:
        level->OldStyle = v != 0;
        break;
      case TRVRTFProp::LevelLegal:
        level->Legal = v != 0;
        break;
      case TRVRTFProp::LevelNoRestart:
        level->NoRestart = v != 0;
        break;
      case TRVRTFProp::LevelStartAt:
        level->Start = v;
        break;
      case TRVRTFProp::LevelIndent:
        level->Indent = v;
        break;
      case TRVRTFProp::LevelSpace:
        level->Spacing = v;
        break;
      case TRVRTFProp::LevelFollow:
        level->Follow = v;
        break;
      case TRVRTFProp::LeftIndent:
        level->LeftIndent = v;
        break;
      case TRVRTFProp::FirstIndent:
        level->FirstIndent = v;
        break;
      case TRVRTFProp::Tab:
        level->TabPosition = v;
        break;
      case TRVRTFProp::Bold:
        styleBit(rtfStyleBold);
        break;
      case TRVRTFProp::Italic:
        styleBit(rtfStyleItalic);
        break;
      case TRVRTFProp::Underline:
        styleBit(rtfStyleUnderline);
        break;
      case TRVRTFProp::StrikeOut:
        styleBit(rtfStyleStrikeOut);
        break;
      case TRVRTFProp::FontSize:
        level->FontSize = halfPointsToPoints(v);
        break;
      case TRVRTFProp::Color:
        if (validColor(v)) level->Color = r.colors_[v];
        break;
      case TRVRTFProp::Font:
        level->FontIndex = fontIndex(v);
        break;
      default:
        break;
    }
  }

  void setBit(uint8_t& bits, uint8_t bit, bool on) {
    bits = static_cast<uint8_t>(on ? (bits | bit) : (bits & ~bit));
  }

  void generalProperty(TRVRTFProp p, int32_t v, const TRVRTFSymbol& sym, bool hasParam) {
    TRVRTFReaderState& s = st();
    TRVRTFCharProperties& ch = s.Chars;
    TRVRTFParaProperties& para = s.Para;
    using P = TRVRTFProp;
    switch (p) {
      case P::Bold:
        setBit(ch.StyleBits, rtfStyleBold, v != 0);
        break;
      case P::Italic:
        setBit(ch.StyleBits, rtfStyleItalic, v != 0);
        break;
      case P::Underline:
        setBit(ch.StyleBits, rtfStyleUnderline, v != 0);
        break;
      case P::StrikeOut:
        setBit(ch.StyleBits, rtfStyleStrikeOut, v != 0);
        break;
      case P::CharScaleX:
        ch.CharScale = v;
        break;
      case P::CharSpacing:
        ch.CharSpacing = v;
        break;
      case P::VShift:
        ch.VShift = static_cast<uint8_t>(v);
        break;
      case P::Caps:
        setBit(ch.StyleExBits, rtfStyleExAllCaps, v != 0);
        break;
      case P::FontSize:
        ch.Size = halfPointsToPoints(v);
        break;
      case P::Color:
        if (validColor(v)) ch.Color = r.colors_[v];
        break;
      case P::CharBackColor:
        if (validColor(v)) ch.BackColor = r.colors_[v] == rtfAutoColor ? clNone : r.colors_[v];
        break;
      case P::Highlight:
        if (r.ConvertHighlight == rtf_hl_FixedColors)
          ch.BackColor = (v >= 1 && v <= 16) ? kHighlightColors[v - 1] : clNone;
        else if (r.ConvertHighlight == rtf_hl_ColorTable && validColor(v))
          ch.BackColor = r.colors_[v] == rtfAutoColor ? clNone : r.colors_[v];
        break;
      case P::Language:
        ch.Language = v;
        break;
      case P::DefLanguage:
        s.DefLanguage = v;
        break;
      case P::LineSpacing:
        para.LineSpacing = v;
        break;
      case P::LineSpacingMulti:
        para.LineSpacingMulti = static_cast<uint8_t>(v);
        break;
      case P::LeftIndent:
        para.LeftIndent = v;
        break;
      case P::RightIndent:
        para.RightIndent = v;
        break;
      case P::FirstIndent:
        para.FirstIndent = v;
        break;
      case P::SpaceBefore:
        para.SpaceBefore = v;
        break;
      case P::SpaceAfter:
        para.SpaceAfter = v;
        break;
      case P::Columns:
        s.Section.Columns = v;
        break;
      case P::PgnX:
        s.Section.PageNumberX = v;
        break;
      case P::PgnY:
        s.Section.PageNumberY = v;
        break;
      case P::HeaderY:
        s.Section.HeaderY = v;
        break;
      case P::FooterY:
        s.Section.FooterY = v;
        break;
      case P::PaperWidth:
        s.Doc.PaperWidth = v;
        break;
      case P::PaperHeight:
        s.Doc.PaperHeight = v;
        break;
      case P::MarginLeft:
        s.Doc.LeftMargin = v;
        break;
      case P::MarginRight:
        s.Doc.RightMargin = v;
        break;
      case P::MarginTop:
        s.Doc.TopMargin = v;
        break;
      case P::MarginBottom:
        s.Doc.BottomMargin = v;
        break;
      case P::PgnStart:
        s.Doc.PageNumberStart = v;
        break;
      case P::SectionBreak:
        s.Section.BreakKind = static_cast<uint8_t>(v);
        break;
      case P::PgnFormat:
        s.Section.PageNumberFormat = static_cast<uint8_t>(v);
        break;
      case P::FacingPages:
        s.Doc.FacingPages = v != 0;
        break;
      case P::Landscape:
        s.Doc.Landscape = v != 0;
        break;
      case P::Alignment:
        para.Alignment = static_cast<uint8_t>(v);
        break;
      case P::ParaReset:
        para = TRVRTFParaProperties();
        r.paraLeftTable_ = true;
        break;
      case P::CharReset:
        ch.Reset(s.DefLanguage);
        break;
      case P::SectionReset:
        s.Section = TRVRTFSectionProperties();
        break;
      case P::RowReset:
        s.GetRow().Reset();
        break;
      case P::Font:
        if (s.Destination == rdsFontTable) {
          TRVRTFFont font;
          font.Number = v;
          r.fonts_.push_back(font);
        } else if (s.Destination == rdsNorm) {
          ch.FontIndex = fontIndex(v);
        }
        break;
      case P::DefFont:
        if (s.Destination == rdsNorm) s.DefFont = v;
        break;
      case P::BorderStyle: {
        TRVRTFBorderSide* side = currentBorderSide();
        if (side->Style == 0) side->Style = static_cast<uint8_t>(v);
        break;
      }
      case P::BorderSide:
        s.BorderTarget = 0;
        para.CurBorderSide = static_cast<uint8_t>(v & 3);
        break;
      case P::RowBorderSide:
        s.BorderTarget = 1;
        s.GetRow().CurBorderSide = static_cast<uint8_t>(v & 3);
        break;
      case P::CellBorderSide:
        s.BorderTarget = 2;
        s.GetRow().LastCell().CurBorderSide = static_cast<uint8_t>(v & 3);
        break;
      case P::BorderWidth:
        currentBorderSide()->Width = v;
        break;
      case P::BorderColor:
        if (validColor(v)) currentBorderSide()->Color = r.colors_[v];
        break;
      case P::BorderSpacing:
        para.GetBorder().Side(para.CurBorderSide).Spacing = v;
        break;
      case P::ParaBackColor:
        if (validColor(v)) para.BackColor = r.colors_[v];
        break;
      case P::ParaPatternColor:
        if (validColor(v)) para.PatternColor = r.colors_[v];
        break;
      case P::ParaShading:
        para.Shading = std::clamp(v, 0, 10000);
        break;
      case P::AnsiCodePage:
        r.codePage_ = static_cast<uint32_t>(v);
        r.codePageGiven_ = true;
        break;
      case P::Unicode:
        unicodeKeyword(v);
        break;
      case P::UnicodeSkip:
        s.UnicodeSkip = std::clamp(v, 0, kMaxUnicodeSkip);
        break;
      case P::DocCodePage:
        r.codePage_ = static_cast<uint32_t>(sym.Default);
        r.codePageGiven_ = true;
        break;
      case P::PageBreak:
        if (r.OnRequiredPageBreak) pageBreak();
        break;
      case P::Hidden: {
        const bool hidden = v != 0;
        if (hidden != ch.Hidden) {
          if (hidden) r.hiddenChanged_ = true;
          flushText(rtf_ts_ContinuePara);
          ch.Hidden = hidden;
        }
        break;
      }
      case P::FontFamily:
        if (s.Destination == rdsFontTable && !r.fonts_.empty())
          r.fonts_.back().Family = static_cast<uint8_t>(v);
        break;
      case P::FontCharset:
        if (s.Destination == rdsFontTable && !r.fonts_.empty())
          r.fonts_.back().Charset = static_cast<uint8_t>(v > 255 || v < 0 ? 77 : v);
        break;
      case P::FontCodePage:
        if (s.Destination == rdsFontTable && !r.fonts_.empty() && v > 0 && IsValidCodePage(v))
          r.fonts_.back().CodePage = static_cast<uint32_t>(v);
        break;
      case P::PNSecLevel:
        r.sectionLevel_ = v;
        s.Destination = rdsPNSecLvl;
        break;
      case P::ListOverride: {
        para.ListOverrideIndex = -1;
        for (size_t i = 0; i < r.overrideTable_.size(); ++i)
          if (r.overrideTable_[i].Number == v) {
            para.ListOverrideIndex = static_cast<int32_t>(i);
            break;
          }
        break;
      }
      case P::ListLevel:
        para.ListLevel = v;
        break;
      case P::Row:
        s.GetRow().Finish();
        // Blanks between the last cell and the row end (between cell groups) are no text of
        // the paragraph after the table.
        if (r.pendingW_.empty() && r.pending_.find_first_not_of(' ') == std::string::npos) r.pending_.clear();
        checkTable(true, true);
        // Text there ends its paragraph in the row (its last cell keeps it); the text after
        // the row starts a paragraph of its own.
        if (!r.pending_.empty() || !r.pendingW_.empty()) flushText(rtf_ts_NewPara);
        r.position_ = rtf_ts_NewPara;
        fireTable(rvf_tbl_RowEnd);
        r.cellsSinceRow_ = 0;
        break;
      case P::Cell:
        checkTable(true, true);
        flushText(rtf_ts_NewPara);
        r.position_ = rtf_ts_NewPara;
        fireTable(rvf_tbl_CellEnd);
        ++r.cellsSinceRow_;
        break;
      case P::InTable:
        para.InTable = true;
        r.paraLeftTable_ = false;
        break;
      case P::TableLevel:
        para.NestingLevel = v;
        para.InTable = v > 0;
        r.paraLeftTable_ = v <= 0;
        break;
      case P::RowAlignment:
        s.GetRow().Alignment = static_cast<uint8_t>(v);
        break;
      case P::RowGap:
        s.GetRow().GapH = v;
        break;
      case P::RowLeft:
        s.GetRow().Left = v;
        break;
      case P::RowHeight:
        s.GetRow().Height = v;
        break;
      case P::RowHeading:
        s.GetRow().Heading = v != 0;
        break;
      case P::RowPadding:
        s.GetRow().Padding[sym.Side] = v;
        break;
      case P::RowPaddingUnit:
        s.GetRow().PaddingInTwips[sym.Side] = v == 3;
        break;
      case P::RowSpacing:
        s.GetRow().Spacing[sym.Side] = v;
        break;
      case P::RowSpacingUnit:
        s.GetRow().SpacingInTwips[sym.Side] = v == 3;
        break;
      case P::RowWidth: {
        auto& row = s.GetRow();
        row.BestWidth = row.WidthIsPercent ? -v : v;
        break;
      }
      case P::RowWidthUnit: {
        auto& row = s.GetRow();
        if (v == 2) {
          row.WidthIsPercent = true;
          row.BestWidth = -row.BestWidth;
        } else if (v != 3) {
          row.BestWidth = 0;
        }
        break;
      }
      case P::CellVMerge:
        s.GetRow().LastCell().VMerge = static_cast<uint8_t>(v);
        break;
      case P::CellHMerge:
        s.GetRow().LastCell().HMerge = static_cast<uint8_t>(v);
        break;
      case P::CellWidth: {
        auto& cell = s.GetRow().LastCell();
        cell.BestWidth = cell.WidthIsPercent ? -v : v;
        break;
      }
      case P::CellWidthUnit: {
        auto& cell = s.GetRow().LastCell();
        if (v == 2) {
          cell.WidthIsPercent = true;
          cell.BestWidth = -cell.BestWidth;
        } else if (v != 3) {
          cell.BestWidth = 0;
        }
        break;
      }
      case P::CellBackColor:
        if (validColor(v))
          s.GetRow().LastCell().BackColor = r.colors_[v] == rtfAutoColor ? clNone : r.colors_[v];
        break;
      case P::CellPatternColor:
        if (validColor(v)) s.GetRow().LastCell().PatternColor = r.colors_[v];
        break;
      case P::CellShading:
        s.GetRow().LastCell().Shading = std::clamp(v, 0, 10000);
        break;
      case P::CellVAlign:
        s.GetRow().LastCell().VAlign = static_cast<uint8_t>(v);
        break;
      case P::CellRight: {
        auto& row = s.GetRow();
        row.LastCell().Right = v;
        row.Cells.emplace_back();
        row.SpareCell = true;
        break;
      }
      case P::NoTableEnd:
        para.NoTableEnd = true;
        break;
      case P::OwnCellWidth: {
        auto& row = s.GetRow();
        row.LastCell().BestWidth = v;
        row.HasOwnSizes = true;
        break;
      }
      case P::OwnCellHeight: {
        auto& row = s.GetRow();
        row.LastCell().BestHeight = v;
        row.HasOwnSizes = true;
        break;
      }
      case P::OwnTableWidth: {
        auto& row = s.GetRow();
        row.BestWidth = v;
        row.HasOwnSizes = true;
        break;
      }
      default:
        (void)hasParam;
        break;
    }
  }

  void unicodeKeyword(int32_t v) {
    const char16_t unit = static_cast<char16_t>(static_cast<uint32_t>(v) & 0xFFFF);
    const TRVRTFDestination d = st().Destination;
    if (r.OnNewUnicodeText && (d == rdsNorm || d == rdsLevelText)) {
      unicodeChar(unit);
      r.skip_ = st().UnicodeSkip;
      return;
    }
    if (st().UnicodeSkip <= 0) return;
    const std::string bytes = r.UnicodeToAnsi(std::u16string(1, unit), codePageHere());
    for (char b : bytes) parseChar(static_cast<uint8_t>(b));
    r.skip_ = st().UnicodeSkip;
  }

  // ---- end actions ------------------------------------------------------------------------------

  void stripCharsetSuffixes() {
    static constexpr std::pair<uint8_t, std::string_view> kSuffixes[] = {
        {238, " ce"}, {204, " cyr"}, {161, " greek"}, {162, " tur"}, {186, " baltic"}};
    for (auto& font : r.fonts_)
      for (auto [charset, suffix] : kSuffixes) {
        if (font.Charset != charset || font.Name.size() <= suffix.size()) continue;
        const std::string tail = font.Name.substr(font.Name.size() - suffix.size());
        if (std::equal(tail.begin(), tail.end(), suffix.begin(), suffix.end(),
                       [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }))
          font.Name.resize(font.Name.size() - suffix.size());
      }
  }

  void endPicture() {
    // A picture outside the table that ends before it closes that table, as text does: in the
    // table it would go to the cell after the last, which no row keeps.
    outputChar(0, true, true);
    std::unique_ptr<TRVRTFPicture> pic = std::move(r.picture_);
    // Hex data with an odd number of digits lost a digit somewhere: the picture is broken.
    if (pic && !hexHigh) pic->Broken = true;
    hexHigh = true;
    if (st().FieldHandled) return;
    if (!pic) {
      if (r.OnNewPicture) throw Stop{rtf_ec_InvalidPicture};
      return;
    }
    std::unique_ptr<TGraphic> graphic;
    try {
      graphic = makeGraphic(*pic);
    } catch (const std::exception&) {
      // A picture that cannot be decoded is shown as the invalid picture.
      graphic.reset();
    }
    if (pic->PicWGoal != 0 && pic->PicHGoal != 0) {
      pic->ShowWidth = roundDiv(int64_t{pic->PicWGoal} * kScreenPixelsPerInch, 1440);
      pic->ShowHeight = roundDiv(int64_t{pic->PicHGoal} * kScreenPixelsPerInch, 1440);
    }
    deliverPicture(pic.get(), std::move(graphic));
  }

  void deliverPicture(TRVRTFPicture* pic, std::unique_ptr<TGraphic> graphic) {
    if (graphic) {
      // The program may keep another graphic in place of the one read.
      if (const TRVImportedGraphicFilterProc& filter = RVImportedGraphicFilter())
        graphic = filter(std::move(graphic));
      if (graphic && RVAfterImportGraphic) RVAfterImportGraphic(graphic.get());
    }
    st().Para.ResolveShading();
    try {
      r.OnNewPicture(&r, pic, std::move(graphic), r.position_);
    } catch (const Stop&) {
      throw;
    } catch (...) {
      throw Stop{rtf_ec_PictureHandler};
    }
    r.position_ = rtf_ts_ContinuePara;
  }

  /// A new graphic of the class made through the document's factory, loaded from `data`.
  static std::unique_ptr<TGraphic> loadGraphic(std::string_view className, const std::string& data) {
    std::unique_ptr<TGraphic> graphic = RVCreateGraphic(className);
    if (!graphic) return nullptr;
    TMemoryStream stream(data);
    graphic->LoadFromStream(stream);
    return graphic;
  }

  std::unique_ptr<TGraphic> makeGraphic(TRVRTFPicture& pic) {
    if (pic.Broken || pic.Data.empty()) return nullptr;
    switch (pic.Kind) {
      case rtfpkEMF:
      case rtfpkMetafile: {
        auto mf = RVCreateGraphicOf<TMetafile>("TMetafile");
        if (!mf) return nullptr;
        TMemoryStream data(pic.Data);
        mf->LoadFromStream(data);
        if (pic.Kind == rtfpkMetafile && mf->Width() == 0 && mf->Height() == 0) {
          if ((pic.MappingMode == 7 || pic.MappingMode == 8) && pic.PicW > 0 && pic.PicH > 0) {
            mf->SetMMWidth(pic.PicW);
            mf->SetMMHeight(pic.PicH);
            pic.ShowWidth = roundDiv(int64_t{pic.PicW} * kScreenPixelsPerInch, 2540);
            pic.ShowHeight = roundDiv(int64_t{pic.PicH} * kScreenPixelsPerInch, 2540);
          } else if (pic.PicW > 0 && pic.PicH > 0) {
            mf->SetWidth(pic.PicW);
            mf->SetHeight(pic.PicH);
          }
        }
        if (mf->Empty()) return nullptr;
        return mf;
      }
      case rtfpkPNG: {
        auto bmp = RVCreateGraphicOf<TBitmap>("TBitmap");
        if (!bmp || !LoadBitmapFromPngData(*bmp, pic.Data)) return nullptr;
        return bmp;
      }
      case rtfpkJPEG: {
        return loadGraphic("TJPEGImage", pic.Data);
      }
      case rtfpkDIB: {
        std::string file(14, '\0');
        file[0] = 'B';
        file[1] = 'M';
        file += pic.Data;
        writeU32(file, 2, static_cast<uint32_t>(file.size()));
        writeU32(file, 10, dibPixelOffset(file));
        return loadGraphic("TBitmap", file);
      }
      case rtfpkDDB: {
        const std::string file = ddbAsBitmapFile(pic);
        if (file.empty()) return nullptr;
        return loadGraphic("TBitmap", file);
      }
      default:
        return nullptr;
    }
  }

  void endFieldInstruction() {
    const std::string code = RVRTFTrim(st().FieldCode);
    if (startsWith(code, "INCLUDEPICTURE") && r.OnNewPicture)
      includePicture(code);
    else if (startsWith(code, "SYMBOL"))
      symbolField(code);
  }

  /// The picture a field names, read only from a regular file inside the base folder.
  void includePicture(const std::string& code) {
    const size_t q1 = code.find('"');
    const size_t q2 = q1 == std::string::npos ? q1 : code.find('"', q1 + 1);
    if (q2 == std::string::npos) return;
    std::string name = code.substr(q1 + 1, q2 - q1 - 1);
    for (size_t at = name.find("\\\\"); at != std::string::npos; at = name.find("\\\\", at + 1))
      name.erase(at, 1);
    std::replace(name.begin(), name.end(), '\\', '/');
    if (r.BasePath.empty() || name.empty() || name[0] == '/') return;
    namespace fs = std::filesystem;
    const fs::path rel(name);
    for (const auto& part : rel)
      if (part == "..") return;
    std::error_code ec;
    const fs::path full = fs::path(r.BasePath) / rel;
    if (!fs::is_regular_file(fs::symlink_status(full, ec)) || fs::file_size(full, ec) > kMaxIncludedPicture ||
        ec)
      return;
    TPicture holder;
    try {
      holder.LoadFromFile(full.string());
    } catch (const std::exception&) {
      return;  // a picture that cannot be read leaves the field's result to be read
    }
    if (holder.Graphic() == nullptr) return;
    std::unique_ptr<TGraphic> graphic = RVCreateGraphic(holder.Graphic()->ClassName());
    if (!graphic) return;
    graphic->Assign(holder.Graphic());
    deliverPicture(nullptr, std::move(graphic));
    st().FieldHandled = true;
  }

  void symbolField(const std::string& code) {
    if (code.size() < 8) return;
    size_t end = code.find(' ', 7);
    const std::string number = code.substr(7, end == std::string::npos ? std::string::npos : end - 7);
    const size_t fontAt = code.find("\\f ");
    const size_t sizeAt = code.find("\\s ");
    if (fontAt == std::string::npos || sizeAt == std::string::npos || number.empty()) return;
    const size_t q1 = code.find('"', fontAt);
    const size_t q2 = q1 == std::string::npos ? q1 : code.find('"', q1 + 1);
    if (q2 == std::string::npos) return;
    const std::string fontName = code.substr(q1 + 1, q2 - q1 - 1);
    size_t sizeEnd = code.find(' ', sizeAt + 3);
    const std::string sizeText =
        code.substr(sizeAt + 3, sizeEnd == std::string::npos ? sizeEnd : sizeEnd - sizeAt - 3);
    int64_t charCode = 0, size = 0;
    for (char c : number) {
      if (c < '0' || c > '9') return;
      charCode = std::min<int64_t>(charCode * 10 + (c - '0'), 0x10FFFF);
    }
    for (char c : sizeText) {
      if (c < '0' || c > '9') return;
      size = std::min<int64_t>(size * 10 + (c - '0'), 10000);
    }
    if (sizeText.empty()) return;
    TRVRTFCharProperties& ch = st().Chars;
    const int32_t oldSize = ch.Size;
    ch.SymbolFontName = fontName;
    ch.Size = static_cast<int32_t>(size);
    const TRVRTFDestination oldDest = st().Destination;
    st().Destination = rdsNorm;
    if (charCode <= 255) {
      outputChar(static_cast<int>(charCode), true, true);
    } else if (r.OnNewUnicodeText && charCode <= 0xFFFF) {
      // A code above 255 is a Unicode character.
      unicodeChar(static_cast<char16_t>(charCode));
    } else if (charCode <= 0xFFFF) {
      for (char b : r.UnicodeToAnsi(std::u16string(1, static_cast<char16_t>(charCode)), r.TextCodePage()))
        outputChar(static_cast<uint8_t>(b), true, true);
    }
    flushText(rtf_ts_ContinuePara);
    st().Destination = oldDest;
    ch.Size = oldSize;
    ch.SymbolFontName.clear();
  }
};

// ---------------------------------------------------------------------------------------

TRVRTFReader::TRVRTFReader(TComponent* Owner) : TComponent(Owner) {
  Reset();
}

TRVRTFReader::~TRVRTFReader() = default;

void TRVRTFReader::Reset() {
  fonts_.clear();
  colors_.clear();
  styleSheet_.clear();
  listTable_.clear();
  overrideTable_.clear();
  groups_.clear();
  state_.Reset();
  pending_.clear();
  pendingW_.clear();
  position_ = rtf_ts_NewPara;
  picture_.reset();
  numbering_.reset();
  codePage_ = DefCodePage;
  codePageGiven_ = false;
  shapePictureRead_ = false;
  skip_ = 0;
  openTableLevels_ = 0;
  cellsSinceRow_ = 0;
  paraLeftTable_ = false;
  hiddenChanged_ = false;
  sectionLevel_ = 0;
}

TRVRTFError TRVRTFReader::ReadFromStream(TStream& Stream) {
  Reset();
  Parser parser(*this, Stream);
  TRVRTFError result;
  try {
    result = parser.run();
  } catch (const Stop& stop) {
    result = stop.code;
  } catch (...) {
    result = rtf_ec_Exception;
  }
  picture_.reset();
  return result;
}

int32_t TRVRTFReader::ResolvedFontIndex(int32_t Index) const {
  if (Index != rtfDefaultFontIndex) return Index;
  for (size_t i = 0; i < fonts_.size(); ++i)
    if (fonts_[i].Number == state_.DefFont) return static_cast<int32_t>(i);
  return 0;
}

const TRVRTFFont* TRVRTFReader::CurrentFont() const {
  const int32_t index = ResolvedFontIndex(state_.Chars.FontIndex);
  return index >= 0 && index < static_cast<int32_t>(fonts_.size()) ? &fonts_[index] : nullptr;
}

uint32_t TRVRTFReader::TextCodePage() const {
  const TRVRTFFont* font = CurrentFont();
  if (font == nullptr || font->Charset == DEFAULT_CHARSET) return codePage_;
  if (font->CodePage != 0) return font->CodePage;
  // Writers that name a code page for the document mark its fonts ANSI: their text is in
  // that page. Without one, ANSI is Windows-1252.
  if (font->Charset == ANSI_CHARSET) return codePageGiven_ ? codePage_ : 1252;
  return RVCodePageFromCharset(font->Charset);
}

std::u16string TRVRTFReader::AnsiToUnicode(std::string_view Text, uint32_t CodePage) const {
  if (Text.empty()) return {};
  for (uint32_t cp : {CodePage, uint32_t{CP_ACP}}) {
    if (!IsValidCodePage(cp)) continue;
    std::u16string w = MultiByteToWide(cp, MB_PRECOMPOSED | MB_USEGLYPHCHARS, Text);
    if (!w.empty()) return w;
  }
  return std::u16string(Text.size(), u'?');
}

std::string TRVRTFReader::UnicodeToAnsi(std::u16string_view Text, uint32_t CodePage) const {
  if (Text.empty()) return {};
  for (uint32_t cp : {CodePage, uint32_t{CP_ACP}}) {
    if (!IsValidCodePage(cp)) continue;
    std::string a = WideToMultiByte(cp, 0, Text, "?");
    if (!a.empty()) return a;
  }
  return std::string(Text.size(), '?');
}
