#include "richtext/core/RVFMisc.h"

#include <cstring>
#include <new>

#include "platform/core/ComponentStreaming.h"
#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Picture.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVGraphicFuncs.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVStyle.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

/// The value of a hex digit of either case, -1 for anything else.
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

/// Decodes whole byte pairs until the first bad pair; `ok` tells whether all were good.
std::string DecodeHexPairs(std::string_view hex, bool& ok) {
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  ok = true;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    const int hi = HexValue(hex[i]);
    const int lo = HexValue(hex[i + 1]);
    if (hi < 0 || lo < 0) {
      ok = false;
      break;
    }
    bytes.push_back(static_cast<char>(hi * 16 + lo));
  }
  return bytes;
}

void SkipOneBlank(std::string_view& p) {
  if (!p.empty() && p.front() == ' ') p.remove_prefix(1);
}

void PutInt32(std::string& out, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

int32_t GetInt32(std::string_view bytes, size_t at) {
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
  return static_cast<int32_t>(u);
}

/// The quoted name of style StyleNo when the reader would resolve it back to that style,
/// else the number.
template <typename Infos>
std::string StyleReference(const Infos& infos, bool useNames, int32_t styleNo) {
  if (!useNames || styleNo < 0 || styleNo >= infos.Count()) return IntToStr(styleNo);
  const std::string& name = infos.Info(styleNo)->StyleName;
  if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) return IntToStr(styleNo);
  for (int i = 0; i < styleNo; ++i)
    if (infos.Info(i)->StyleName == name) return IntToStr(styleNo);
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted.push_back('"');
    quoted.push_back(c);
  }
  quoted.push_back('"');
  return quoted;
}

template <typename Infos>
int32_t FindStyleByName(const Infos& infos, const std::string& name) {
  for (int i = 0; i < infos.Count(); ++i)
    if (infos.Info(i)->StyleName == name) return i;
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Writing lines

void RVFWriteString(TStream& Stream, std::string_view S) {
  if (!S.empty()) Stream.WriteBuffer(S);
}

void RVFWriteLine(TStream& Stream, std::string_view S) {
  RVFWriteString(Stream, S);
  Stream.WriteBuffer("\r\n", 2);
}

void RVFWriteText(TStream& Stream, std::string_view S, bool Unicode) {
  RVFWriteString(Stream, S);
  if (Unicode)
    Stream.WriteBuffer("\x29\x20", 2);
  else
    Stream.WriteBuffer("\r\n", 2);
}

std::string RVFMakeLineSafe(std::string_view S, bool Unicode) {
  std::string out(S);
  if (Unicode) {
    if (out.size() % 2 != 0) out.pop_back();
    for (size_t i = 0; i + 1 < out.size(); i += 2)
      if (out[i] == '\x29' && out[i + 1] == '\x20') out[i] = ' ', out[i + 1] = '\0';
    return out;
  }
  for (char& c : out)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  return out;
}

void RVFWriteBinaryBlock(TStream& Stream, const std::function<void(TStream&)>& Write) {
  const int64_t lengthPos = Stream.Position();
  const int32_t placeholder = 0;
  Stream.WriteBuffer(&placeholder, 4);
  Write(Stream);
  const int64_t endPos = Stream.Position();
  const int64_t length = endPos - lengthPos - 4;
  if (length > INT32_MAX) throw EWriteError("RVF block too large");
  const int32_t length32 = static_cast<int32_t>(length);
  Stream.SetPosition(lengthPos);
  Stream.WriteBuffer(&length32, 4);
  Stream.SetPosition(endPos);
}

// ---------------------------------------------------------------------------------------
// Hex

std::string RVFStringToHex(std::string_view S) {
  std::string hex(S.size() * 2, '0');
  for (size_t i = 0; i < S.size(); ++i) {
    const auto b = static_cast<uint8_t>(S[i]);
    hex[2 * i] = kHexDigits[b >> 4];
    hex[2 * i + 1] = kHexDigits[b & 15];
  }
  return hex;
}

std::string RVFStreamToHex(const TMemoryStream& Stream) {
  const auto bytes = Stream.Bytes();
  return RVFStringToHex(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool RVFHexToStream(std::string_view Hex, TMemoryStream& Stream) {
  Stream.Clear();
  if (Hex.size() % 2 != 0) return false;
  bool ok = false;
  const std::string bytes = DecodeHexPairs(Hex, ok);
  if (!ok) return false;
  Stream.WriteBuffer(bytes);
  Stream.SetPosition(0);
  return true;
}

std::string RVFHexToString(std::string_view Hex) {
  if (Hex.size() % 2 != 0) return std::string();
  bool ok = false;
  return DecodeHexPairs(Hex, ok);
}

std::string RVFWideToHex(std::u16string_view W) {
  std::string hex;
  hex.reserve(W.size() * 4);
  for (char16_t c : W) {
    hex.push_back(kHexDigits[(c >> 12) & 15]);
    hex.push_back(kHexDigits[(c >> 8) & 15]);
    hex.push_back(kHexDigits[(c >> 4) & 15]);
    hex.push_back(kHexDigits[c & 15]);
  }
  return hex;
}

std::u16string RVFHexToWide(std::string_view Hex) {
  std::u16string w;
  for (size_t i = 0; i + 3 < Hex.size(); i += 4) {
    unsigned value = 0;
    for (size_t k = 0; k < 4; ++k) {
      const int d = HexValue(Hex[i + k]);
      if (d < 0) return w;
      value = value * 16 + static_cast<unsigned>(d);
    }
    w.push_back(static_cast<char16_t>(value));
  }
  return w;
}

// ---------------------------------------------------------------------------------------
// Pictures and controls

bool RVFLoadPictureFromHex(std::string_view Hex, TGraphic& Graphic) {
  TMemoryStream stream;
  if (!RVFHexToStream(Hex, stream)) return false;
  Graphic.LoadFromStream(stream);
  return true;
}

bool RVFLoadPictureLine(std::string_view Line, int ReadType, std::unique_ptr<TGraphic>& Graphic,
                        TCustomRVData* RVData, bool* Replaced, std::string* Reason) {
  if (Replaced != nullptr) *Replaced = false;
  // A binary line is read where it lies; a hex line is decoded first.
  TMemoryStream decoded;
  if (ReadType != rvfrtBinary && !RVFHexToStream(Line, decoded)) return false;
  TBytesStream stream = ReadType == rvfrtBinary ? TBytesStream(reinterpret_cast<const uint8_t*>(Line.data()),
                                                               static_cast<int64_t>(Line.size()))
                                                : TBytesStream(decoded.Memory(), decoded.Size());
  try {
    Graphic->LoadFromStream(stream);
    return true;
  } catch (const std::bad_alloc&) {
    throw;  // the picture may be fine: memory ran out
  } catch (const std::exception& e) {
    if (Reason != nullptr) *Reason = e.what();
  }
  RVFAddWarning(RVData, rvfwUnknownPicture);
  if (Replaced != nullptr) *Replaced = true;
  Graphic.reset();
  TRVStyle* style = RVData->GetRVStyle();
  if (style == nullptr) return true;
  TGraphic* invalid = style->InvalidPicture().Graphic();
  if (invalid != nullptr) Graphic = RVCopyGraphic(*invalid);
  return true;
}

std::string RVFSavePictureToHex(TGraphic& Graphic) {
  TMemoryStream stream;
  Graphic.SaveToStream(stream);
  return RVFStreamToHex(stream);
}

void RVFLoadPictureFromBytes(std::string_view S, TGraphic& Graphic) {
  TMemoryStream stream(S);
  Graphic.LoadFromStream(stream);
}

void RVFLoadPictureBinary(TStream& Stream, TGraphic& Graphic) {
  int32_t length = 0;
  Stream.ReadBuffer(&length, 4);
  if (length < 0 || length > Stream.Remaining()) throw EReadError("Invalid picture length");
  std::string bytes(static_cast<size_t>(length), '\0');
  Stream.ReadBuffer(bytes.data(), length);
  RVFLoadPictureFromBytes(bytes, Graphic);
}

void RVFSavePictureBinary(TStream& Stream, TGraphic& Graphic) {
  RVFWriteBinaryBlock(Stream, [&Graphic](TStream& s) { Graphic.SaveToStream(s); });
}

std::unique_ptr<TControl> RVFCreateControl(std::string_view ClassName) {
  const TPersistentClass info = GetClass(ClassName);
  if (info == nullptr) return nullptr;
  std::unique_ptr<TPersistent> object = info->Create();
  if (dynamic_cast<TControl*>(object.get()) == nullptr) return nullptr;
  return std::unique_ptr<TControl>(static_cast<TControl*>(object.release()));
}

void RVFLoadControlBinary(std::string_view S, TControl& Control, TWinControl* Parent) {
  TMemoryStream stream(S);
  Control.SetParent(Parent);
  ReadComponent(stream, Control);
  Control.SetParent(Parent);
}

bool RVFLoadControlFromHex(std::string_view Hex, TControl& Control, TWinControl* Parent) {
  if (Hex.size() % 2 != 0) return false;
  bool ok = false;
  const std::string bytes = DecodeHexPairs(Hex, ok);
  if (!ok) return false;
  RVFLoadControlBinary(bytes, Control, Parent);
  return true;
}

bool RVFLoadControlLine(std::string_view Line, int ReadType, TControl& Control, TWinControl* Parent) {
  if (ReadType == rvfrtBinary) {
    RVFLoadControlBinary(Line, Control, Parent);
    return true;
  }
  return RVFLoadControlFromHex(Line, Control, Parent);
}

void RVFWriteControlHex(TStream& Stream, TComponent& Control) {
  TMemoryStream stream;
  WriteComponent(stream, Control);
  RVFWriteString(Stream, RVFStreamToHex(stream));
}

void RVFWriteControlBinary(TStream& Stream, TComponent& Control) {
  RVFWriteBinaryBlock(Stream, [&Control](TStream& s) { WriteComponent(s, Control); });
}

// ---------------------------------------------------------------------------------------
// Header tokens

bool RVFReadWord(std::string_view& P, std::string& S) {
  const size_t end = P.find(' ');
  S.assign(P.substr(0, end));
  P.remove_prefix(end == std::string_view::npos ? P.size() : end);
  SkipOneBlank(P);
  return !S.empty();
}

bool RVFReadInteger(std::string_view& P, int32_t& V) {
  size_t i = 0;
  const bool negative = !P.empty() && P[0] == '-';
  if (negative) ++i;
  const size_t firstDigit = i;
  int64_t value = 0;
  while (i < P.size() && P[i] != ' ') {
    if (P[i] < '0' || P[i] > '9') return false;
    value = value * 10 + (P[i] - '0');
    if (value > static_cast<int64_t>(INT32_MAX) + 1) return false;
    ++i;
  }
  if (i == firstDigit) return false;
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return false;
  V = static_cast<int32_t>(value);
  P.remove_prefix(i);
  SkipOneBlank(P);
  return true;
}

bool RVFReadQuotedString(std::string_view& P, std::string& S) {
  if (P.empty() || P.front() != '"') return false;
  std::string out;
  size_t i = 1;
  for (;;) {
    if (i >= P.size()) return false;
    if (P[i] == '"') {
      if (i + 1 < P.size() && P[i + 1] == '"') {
        out.push_back('"');
        i += 2;
        continue;
      }
      ++i;
      break;
    }
    out.push_back(P[i++]);
  }
  S = std::move(out);
  P.remove_prefix(i);
  SkipOneBlank(P);
  return true;
}

bool RVFReadTag(std::string_view& P, bool TagsArePChars, TRVTag& Tag) {
  Tag = TRVTag();
  if (!TagsArePChars) return RVFReadInteger(P, Tag.Value);
  std::string word;
  if (!RVFReadWord(P, word)) return false;
  if (word != "0") Tag.Text = std::move(word);
  return true;
}

bool RVFReadTextStyle(std::string_view& P, TCustomRVData* RVData, int32_t& StyleNo, bool& ByName) {
  ByName = false;
  if (RVFReadInteger(P, StyleNo)) return true;
  std::string name;
  if (!RVFReadQuotedString(P, name)) return false;
  ByName = true;
  const TRVStyle* style = RVData != nullptr ? RVData->GetRVStyle() : nullptr;
  StyleNo = style != nullptr ? FindStyleByName(style->TextStyles(), name) : 0;
  return true;
}

bool RVFReadParaStyle(std::string_view& P, TCustomRVData* RVData, int32_t& ParaNo, bool& ByName) {
  ByName = false;
  if (RVFReadInteger(P, ParaNo)) return true;
  std::string name;
  if (!RVFReadQuotedString(P, name)) return false;
  ByName = true;
  const TRVStyle* style = RVData != nullptr ? RVData->GetRVStyle() : nullptr;
  ParaNo = style != nullptr ? FindStyleByName(style->ParaStyles(), name) : 0;
  return true;
}

std::string RVFTagToText(bool TagsArePChars, const TRVTag& Tag) {
  if (!TagsArePChars) return IntToStr(Tag.Value);
  if (!Tag.Text || Tag.Text->empty()) return "0";
  std::string text = *Tag.Text;
  // A tag is one word of the header line.
  for (char& c : text)
    if (c == ' ' || c == '\r' || c == '\n' || c == '\0') c = '_';
  return text;
}

std::string RVFTextStyleReference(const TRVStyle* RVStyle, bool UseNames, int32_t StyleNo) {
  if (RVStyle == nullptr) return IntToStr(StyleNo);
  return StyleReference(RVStyle->TextStyles(), UseNames, StyleNo);
}

std::string RVFParaStyleReference(const TRVStyle* RVStyle, bool UseNames, int32_t ParaNo) {
  if (RVStyle == nullptr) return IntToStr(ParaNo);
  return StyleReference(RVStyle->ParaStyles(), UseNames, ParaNo);
}

std::string RVFItemParaReference(int32_t ParaNo, TCustomRVData* RVData, bool NotParaStart) {
  if (NotParaStart) return "-1";
  return RVFParaStyleReference(RVData->GetRVStyle(), (RVData->GetRVFOptions() & rvfoUseStyleNames) != 0,
                               ParaNo);
}

void RVFWriteItemHeader(TStream& Stream, TCustomRVData* RVData, const TCustomRVItemInfo& Item, int32_t ParaNo,
                        int LineCount, int ReadType) {
  const bool tagsArePChars = (RVData->GetOptions() & rvoTagsArePChars) != 0;
  std::string line = IntToStr(Item.StyleNo);
  line += ' ';
  line += IntToStr(LineCount);
  line += ' ';
  line += RVFItemParaReference(ParaNo, RVData, ParaNo < 0);
  line += ' ';
  line += IntToStr(Item.ItemOptions & 15);
  line += ' ';
  line += IntToStr(ReadType);
  line += ' ';
  line += RVFTagToText(tagsArePChars, Item.Tag);
  line += ' ';
  line += Item.GetRVFHeaderParams(RVData);
  RVFWriteLine(Stream, line);
}

bool RVFSaveBinary(TCustomRVData* RVData) {
  return (RVData->GetRVFOptions() & rvfoSaveBinary) != 0;
}

void RVFAddWarning(TCustomRVData* RVData, uint8_t Warning) {
  RVData->SetRVFReadWarnings(RVData->GetRVFReadWarnings() | Warning);
}

void RVFNoteUnreadPicture(TCustomRVData* RVData, std::string_view ClassName, std::string_view Reason) {
  TRVFPictureReport& report = RVData->RVFPictureReport();
  if (report.FirstUnreadNo != 0) return;
  report.FirstUnreadNo = report.Count;
  report.FirstUnreadClass.assign(ClassName);
  report.FirstUnreadReason.assign(Reason);
}

// ---------------------------------------------------------------------------------------
// TRVLayoutInfo

namespace {
constexpr int32_t kLayoutBaseSize = 25;
constexpr int32_t kLayoutExtendedSize = 41;
}  // namespace

void TRVLayoutInfo::SaveToStream(TStream& Stream) const {
  const bool extended = FirstParaAborted != 0 || LastParaAborted != 0;
  std::string block;
  PutInt32(block, 0);
  PutInt32(block, extended ? kLayoutExtendedSize : kLayoutBaseSize);
  for (int32_t v : {LeftMargin, RightMargin, TopMargin, BottomMargin, MinTextWidth, MaxTextWidth})
    PutInt32(block, v);
  block.push_back(static_cast<char>(BiDiMode));
  if (extended)
    for (int32_t v : {FirstParaAborted, LastParaAborted, FirstMarkerListNo, FirstMarkerLevel})
      PutInt32(block, v);
  Stream.WriteBuffer(block);
}

void TRVLayoutInfo::LoadFromBytes(std::string_view Bytes) {
  if (Bytes.size() < 8) throw ERVError("Invalid RVF format");
  const int32_t size = GetInt32(Bytes, 4);
  if (size < kLayoutBaseSize || static_cast<int64_t>(size) + 8 > static_cast<int64_t>(Bytes.size()))
    throw ERVError("Invalid RVF format");
  const uint8_t bidi = static_cast<uint8_t>(Bytes[32]);
  if (bidi > rvbdRightToLeft) throw ERVError("Invalid RVF format");
  LeftMargin = GetInt32(Bytes, 8);
  RightMargin = GetInt32(Bytes, 12);
  TopMargin = GetInt32(Bytes, 16);
  BottomMargin = GetInt32(Bytes, 20);
  MinTextWidth = GetInt32(Bytes, 24);
  MaxTextWidth = GetInt32(Bytes, 28);
  BiDiMode = static_cast<TRVBiDiMode>(bidi);
  if (size >= kLayoutExtendedSize) {
    FirstParaAborted = GetInt32(Bytes, 33);
    LastParaAborted = GetInt32(Bytes, 37);
    FirstMarkerListNo = GetInt32(Bytes, 41);
    FirstMarkerLevel = GetInt32(Bytes, 45);
  }
}
