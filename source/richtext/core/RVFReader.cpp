// The RVF reader of TCustomRVData: walks the stream line by line (text, binary and UTF-16
// lines), parses record headers, merges style blocks into the style sheet through style
// maps, and inserts the items it reads. The reader never raises: a malformed stream gives
// false, and what was inserted before the fault stays in the document.
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "platform/core/ComponentStreaming.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/Graphic.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVBack.h"
#include "richtext/core/RVFMisc.h"
#include "richtext/core/RVGraphicFuncs.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"

namespace {

/// Documents nested in a stream (table cells) read their own RVF while the outer read runs;
/// this bounds that recursion.
constexpr int kMaxRVFNesting = 32;
thread_local int g_rvfNesting = 0;

struct TNestingGuard {
  TNestingGuard() { ++g_rvfNesting; }
  ~TNestingGuard() { --g_rvfNesting; }
  TNestingGuard(const TNestingGuard&) = delete;
  TNestingGuard& operator=(const TNestingGuard&) = delete;
};

/// Raised inside the reader for a malformed stream; caught at the top.
struct TRVFAbort {};

[[noreturn]] void Abort() {
  throw TRVFAbort();
}

bool IsRecordWithoutItem(int32_t styleNo) {
  return styleNo == rvsCheckpoint || styleNo == rvsBack || styleNo == rvsDocProperty ||
         styleNo == rvsVersionInfo;
}

/// Gives a reference of a read style to a style outside the read collection no style at
/// all, so that merging and drawing never follow it out of range.
void ClampStyleReference(int32_t& ref, int count) {
  if (ref < -1 || ref >= count) ref = -1;
}

void ValidateReadStyles(TCustomRVInfos& styles) {
  const int count = styles.Count();
  for (int i = 0; i < count; ++i) {
    TCustomRVInfo* info = styles.Info(i);
    ClampStyleReference(info->BaseStyleNo, count);
    if (auto* font = dynamic_cast<TFontInfo*>(info)) ClampStyleReference(font->NextStyleNo, count);
    if (auto* para = dynamic_cast<TParaInfo*>(info)) ClampStyleReference(para->NextParaNo, count);
  }
}

}  // namespace

/// The state of one read (InsertRVFFromStreamFull).
struct TRVFReader {
  /// The record whose lines are being read.
  struct Record {
    int32_t StyleNo = 0;
    int32_t LineCount = 0;
    int32_t ParaNo = 0;
    int32_t ReadType = 0;
    int32_t Kind = 0;
    bool RaiseEvent = false;
    TRVTag Tag;  // the checkpoint's tag (items keep their own)
    std::unique_ptr<TCustomRVItemInfo> Item;
    std::string Name;
    int LineNo = 0;
  };

  TRVFReader(TCustomRVData& data, int& index, int32_t forcedParaNo, bool loadMode, bool editPara,
             bool editInsert, TColor& color, TRVBackground* background, TRVLayoutInfo* layout,
             int& insertedCount, bool& insertFlag)
      : Data(data),
        Index(index),
        ForcedParaNo(forcedParaNo),
        LoadMode(loadMode),
        EditPara(editPara),
        EditInsert(editInsert),
        Color(color),
        Background(background),
        Layout(layout),
        InsertedCount(insertedCount),
        InsertFlag(insertFlag),
        Style(data.GetRVStyle()),
        Options(data.GetRVFOptions()),
        TagsArePChars((data.GetOptions() & rvoTagsArePChars) != 0),
        Maps(data.GetRVFStyleMaps()),
        StartedWithoutMaps(!Maps.TextMap && !Maps.ParaMap && !Maps.ListMap) {}

  bool Read(std::string_view bytes);
  void Finish(bool ok);

  // Lines.
  bool ExtractLine(std::string_view data, size_t pos, std::string_view& line, size_t& end, bool& terminated);
  size_t ConsumeLineEnd(std::string_view data, size_t end, bool terminated, TRVFReadMode readMode);

  // Records.
  void ParseHeader(std::string_view line);
  void CheckItemStyles(bool styleByName, bool paraByName);
  void EnterRecord();
  void ReadDataLine(std::string_view line);
  void SkipDataLine();
  void FinishRecord();
  void ReadStyleBlock(std::string_view line);
  void MergeStyles(int kind, TCustomRVInfos& styles);
  void ReadLayout(std::string_view line);
  void ReadBackgroundPicture(std::string_view line);
  void ReadCheckpoint(std::string_view line);
  void InsertTextLine(std::string_view line);

  // Items.
  void InsertItem(std::string text, std::unique_ptr<TCustomRVItemInfo> item, int32_t headerParaNo);
  std::unique_ptr<TRVCPInfo> TakePendingCheckpoint();
  void AttachCheckpoint(TCustomRVItemInfo& item, std::unique_ptr<TRVCPInfo> checkpoint);
  void DropPendingCheckpoint();
  void Warn(TRVFWarnings warning) { RVFAddWarning(&Data, warning); }
  /// Each number is compared on its own: a 2.0 stream has no option field, a 1.3 one has.
  bool HasOptionField() const { return VersionMajor >= RVFVersionMajor && VersionMinor >= RVFVersionMinor; }

  TCustomRVData& Data;
  int& Index;
  const int32_t ForcedParaNo;
  const bool LoadMode;
  const bool EditPara;
  const bool EditInsert;
  TColor& Color;
  TRVBackground* Background;
  TRVLayoutInfo* Layout;
  int& InsertedCount;
  bool& InsertFlag;

  TRVStyle* Style;
  const TRVFOptions Options;
  const bool TagsArePChars;
  TRVFStyleMaps& Maps;
  const bool StartedWithoutMaps;  // no outer read of the same root is running

  TRVFReadState State = rstHeader;
  TRVFReadMode Mode = rmText;
  int32_t VersionMajor = 0;
  int32_t VersionMinor = 0;
  Record Rec;

  TRVCPInfo* CheckpointBefore = nullptr;    // the checkpoint before the insertion point
  TRVCPInfo* Pending = nullptr;             // the checkpoint for the next inserted item
  std::unique_ptr<TRVCPInfo> PendingOwned;  // Pending when the reader made it
  bool FirstInsert = true;
  bool Refused = false;  // the document refused the first item: the read stops
  TCustomRVItemInfo* LastInserted = nullptr;
};

// ---------------------------------------------------------------------------------------
// Lines

bool TRVFReader::ExtractLine(std::string_view data, size_t pos, std::string_view& line, size_t& end,
                             bool& terminated) {
  terminated = false;
  switch (Mode) {
    case rmBinary: {
      if (data.size() - pos < 4) return false;
      int32_t length = 0;
      for (int i = 0; i < 4; ++i)
        length |= static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint8_t>(data[pos + i])) << (8 * i));
      if (length < 0 || static_cast<uint64_t>(length) > data.size() - pos - 4) return false;
      line = data.substr(pos + 4, static_cast<size_t>(length));
      end = pos + 4 + static_cast<size_t>(length);
      return true;
    }
    case rmUnicode:
    case rmAfterUnicode: {
      // The text ends at the first 29 20 pair that starts on a character: the search jumps
      // from one 29 byte to the next, which in most texts is the end.
      size_t i = data.find('\x29', pos);
      while (i != std::string_view::npos && i + 1 < data.size() &&
             ((i - pos) % 2 != 0 || data[i + 1] != '\x20'))
        i = data.find('\x29', i + 1);
      if (i != std::string_view::npos && i + 1 < data.size()) {
        terminated = true;
        end = i;
      } else {
        end = data.size();
        if ((end - pos) % 2 != 0) {
          // A UTF-16 text of odd length: its last byte is not a character.
          Warn(rvfwOddUnicodeLength);
          line = data.substr(pos, end - pos - 1);
          return true;
        }
      }
      line = data.substr(pos, end - pos);
      return true;
    }
    default: {
      size_t found = pos;
      while (found < data.size() && data[found] != '\r' && data[found] != '\n' && data[found] != '\0')
        ++found;
      if (found == data.size()) found = std::string_view::npos;
      end = found == std::string_view::npos ? data.size() : found;
      terminated = found != std::string_view::npos;
      line = data.substr(pos, end - pos);
      return true;
    }
  }
}

size_t TRVFReader::ConsumeLineEnd(std::string_view data, size_t end, bool terminated, TRVFReadMode readMode) {
  if (readMode == rmBinary) return end;
  if (readMode == rmUnicode || readMode == rmAfterUnicode) return terminated ? end + 2 : end;
  if (Mode == rmBeforeBinary || Mode == rmBeforeUnicode) {
    // A binary or UTF-16 line follows: this line must end with exactly CR LF.
    if (data.size() - end < 2 || data[end] != '\r' || data[end + 1] != '\n') Abort();
    return end + 2;
  }
  if (!terminated) return end;
  // A zero byte ends the line as CR LF does, and the one CR and one LF after it belong to
  // that end.
  if (data[end] == '\0') ++end;
  if (end < data.size() && data[end] == '\r') ++end;
  if (end < data.size() && data[end] == '\n') ++end;
  return end;
}

bool TRVFReader::Read(std::string_view data) {
  size_t pos = 0;
  while (pos < data.size() && !Refused) {
    const TRVFReadMode readMode = Mode;
    std::string_view line;
    size_t end = 0;
    bool terminated = false;
    if (!ExtractLine(data, pos, line, end, terminated)) return false;

    switch (State) {
      case rstHeader:
        ParseHeader(line);
        break;
      case rstData:
        ReadDataLine(line);
        break;
      case rstSkip:
        SkipDataLine();
        break;
    }
    pos = ConsumeLineEnd(data, end, terminated, readMode);

    // The mode of the next line.
    if (Mode == rmBeforeBinary)
      Mode = rmBinary;
    else if (Mode == rmBeforeUnicode)
      Mode = rmUnicode;
    else if (readMode == rmBinary && Mode == rmBinary)
      Mode = rmText;
    else if (readMode == rmAfterUnicode && Mode == rmAfterUnicode)
      Mode = rmText;
    if (State == rstHeader && (Mode == rmUnicode || Mode == rmAfterUnicode)) Mode = rmText;
    if (State == rstData && Mode == rmUnicode && Rec.LineNo == Rec.LineCount - 1) Mode = rmAfterUnicode;
  }
  return State == rstHeader;
}

// ---------------------------------------------------------------------------------------
// Records

void TRVFReader::ParseHeader(std::string_view line) {
  Rec = Record();
  std::string_view p = line;
  bool styleByName = false;
  if (!RVFReadTextStyle(p, &Data, Rec.StyleNo, styleByName)) Abort();
  if (Rec.StyleNo == rvsVersionInfo) {
    if (!RVFReadInteger(p, VersionMajor) || !RVFReadInteger(p, VersionMinor)) Abort();
    return;
  }
  bool paraByName = false;
  if (!RVFReadInteger(p, Rec.LineCount) || Rec.LineCount < 0) Abort();
  if (!RVFReadParaStyle(p, &Data, Rec.ParaNo, paraByName) || Rec.ParaNo < -1) Abort();
  if (!IsRecordWithoutItem(Rec.StyleNo)) {
    Rec.Item = RVCreateItemByStyleNo(Rec.StyleNo, &Data);
    if (Rec.Item) Rec.Item->BeforeLoading(rvlfRVF);
  }
  if (HasOptionField()) {
    int32_t options = 0;
    if (!RVFReadInteger(p, options)) Abort();
    if (Rec.Item) {
      TRVItemOptions bits = static_cast<TRVItemOptions>(options & 15);
      // At most one of the line marks; UTF-16 text only in text items.
      if (bits & rvioJoinsPrevious) bits &= ~(rvioPageBreak | rvioLineBreak);
      if (bits & rvioLineBreak) bits &= ~rvioPageBreak;
      if (!Rec.Item->IsTextItem()) bits &= ~rvioTwoByteText;
      Rec.Item->ItemOptions = bits;
      if (Rec.Item->GetBR()) Rec.Item->SetBR(true);  // a whole-line item drops the line break
    }
  }
  if (!RVFReadInteger(p, Rec.ReadType) || Rec.ReadType < rvfrtText || Rec.ReadType > rvfrtBinary) Abort();
  TRVTag tag;
  if (!RVFReadTag(p, TagsArePChars, tag)) Abort();
  if (Rec.StyleNo == rvsDocProperty && !RVFReadInteger(p, Rec.Kind)) Abort();
  if (Rec.Item)
    Rec.Item->Tag = std::move(tag);
  else
    Rec.Tag = std::move(tag);

  if (Rec.Item) CheckItemStyles(styleByName, paraByName);

  if (Rec.StyleNo == rvsBack) {
    int32_t backStyle = 0, backColor = 0;
    if (!RVFReadInteger(p, backStyle) || !RVFReadInteger(p, backColor)) Abort();
    if (backStyle < bsNoBitmap || backStyle > bsCentered) Abort();
    if (Options & rvfoLoadBack) {
      Color = backColor;
      if (Background != nullptr) {
        Background->Style = static_cast<TBackgroundStyle>(backStyle);
        Background->FreeImages();
      }
    }
  } else if (Rec.StyleNo == rvsCheckpoint) {
    int32_t raise = 0;
    if (!p.empty() && !RVFReadInteger(p, raise)) Abort();
    Rec.RaiseEvent = raise != 0;
  } else if (Rec.Item) {
    if (!Rec.Item->ReadRVFHeaderParams(p, &Data)) Abort();
  }
  EnterRecord();
}

void TRVFReader::CheckItemStyles(bool styleByName, bool paraByName) {
  TCustomRVItemInfo& item = *Rec.Item;
  // A style given by name is already a style of the sheet; a number is the stream's.
  if (item.IsTextItem()) {
    if (!styleByName && Maps.TextMap) {
      if (Rec.StyleNo >= Maps.TextMap->Count()) {
        Warn(rvfwStyleOutOfRange);
        Abort();
      }
      Rec.StyleNo = Maps.TextMap->GetValue(Rec.StyleNo);
      item.StyleNo = Rec.StyleNo;
    }
    if (Style != nullptr && (item.StyleNo < 0 || item.StyleNo >= Style->TextStyles().Count())) {
      Warn(rvfwStyleOutOfRange);
      // A style the sheet does not have must never reach formatting or the writers.
      if ((Options & rvfoConvUnknownStylesToZero) == 0) Abort();
      item.StyleNo = 0;
      Rec.StyleNo = 0;
    }
  }
  if (Rec.ParaNo >= 0) {
    if (!paraByName && Maps.ParaMap) {
      if (Rec.ParaNo >= Maps.ParaMap->Count()) {
        Warn(rvfwStyleOutOfRange);
        Abort();
      }
      Rec.ParaNo = Maps.ParaMap->GetValue(Rec.ParaNo);
    }
    if (Style != nullptr && (Rec.ParaNo < 0 || Rec.ParaNo >= Style->ParaStyles().Count())) {
      Warn(rvfwStyleOutOfRange);
      if ((Options & rvfoConvUnknownStylesToZero) == 0) Abort();
      Rec.ParaNo = 0;
    }
  }
  item.ParaNo = Rec.ParaNo;
}

void TRVFReader::EnterRecord() {
  Rec.LineNo = 0;
  if (Rec.LineCount == 0) {
    FinishRecord();
    State = rstHeader;
    return;
  }
  if (IsRecordWithoutItem(Rec.StyleNo)) {
    State = rstData;
  } else if (!Rec.Item || !Rec.Item->QueryFeature(rvfqHasRVFDataLines)) {
    State = rstSkip;
    if (Rec.ReadType == rvfrtBinary && Rec.LineCount == 1) Mode = rmBeforeBinary;
  } else {
    State = rstData;
    if (Rec.Item->IsTwoByteText()) Mode = rmBeforeUnicode;
  }
}

void TRVFReader::ReadDataLine(std::string_view line) {
  switch (Rec.StyleNo) {
    case rvsDocProperty:
      if (Rec.LineNo == 0 && Rec.ReadType == rvfrtBinary && Rec.LineCount > 1) Mode = rmBeforeBinary;
      if (Rec.LineNo == 1) {
        if (Rec.Kind == rvfkLayout)
          ReadLayout(line);
        else if (Rec.Kind == rvfkTextStyles || Rec.Kind == rvfkParaStyles || Rec.Kind == rvfkListStyles)
          ReadStyleBlock(line);
      }
      break;
    case rvsBack:
      if (Rec.LineNo == 0) {
        Rec.Name.assign(line);
        if (Rec.ReadType == rvfrtBinary && Rec.LineCount > 1) Mode = rmBeforeBinary;
      } else if (Rec.LineNo == 1) {
        ReadBackgroundPicture(line);
      }
      break;
    case rvsCheckpoint:
      if (Rec.LineNo == 0) ReadCheckpoint(line);
      break;
    default:
      if (Rec.Item->IsTextItem()) {
        InsertTextLine(line);
      } else {
        TRVFLineContext context{&Data, Rec.ReadType, Rec.LineNo, Rec.LineCount, Rec.Name, Mode, State};
        if (!Rec.Item->ReadRVFLine(line, context)) Abort();
      }
      break;
  }
  if (++Rec.LineNo >= Rec.LineCount) {
    FinishRecord();
    State = rstHeader;
  }
}

void TRVFReader::SkipDataLine() {
  if (++Rec.LineNo >= Rec.LineCount) {
    FinishRecord();
    State = rstHeader;
  } else if (Rec.LineNo == Rec.LineCount - 1 && Rec.ReadType == rvfrtBinary) {
    Mode = rmBeforeBinary;
  }
}

void TRVFReader::FinishRecord() {
  if (IsRecordWithoutItem(Rec.StyleNo)) return;
  if (!Rec.Item) {
    DropPendingCheckpoint();
    return;
  }
  if (Rec.Item->IsTextItem()) {
    Rec.Item.reset();  // its lines were inserted as they came
    return;
  }
  InsertItem(std::move(Rec.Name), std::move(Rec.Item), Rec.ParaNo);
}

void TRVFReader::ReadCheckpoint(std::string_view line) {
  if (Pending != nullptr) return;
  PendingOwned = std::make_unique<TRVCPInfo>();
  PendingOwned->Name.assign(line);
  PendingOwned->Tag = std::move(Rec.Tag);
  PendingOwned->RaiseEvent = Rec.RaiseEvent;
  Pending = PendingOwned.get();
}

void TRVFReader::InsertTextLine(std::string_view line) {
  std::unique_ptr<TCustomRVItemInfo> item = RVGetTextItemClass()->Create(&Data);
  item->CopyProperties(*Rec.Item);
  item->Tag = RVCopyTag(Rec.Item->Tag, TagsArePChars);
  InsertItem(std::string(line), std::move(item), Rec.ParaNo);
}

// ---------------------------------------------------------------------------------------
// Style blocks, layout, background

void TRVFReader::ReadStyleBlock(std::string_view line) {
  TMemoryStream stream;
  if (Rec.ReadType == rvfrtBinary) {
    stream.WriteBuffer(line);
    stream.SetPosition(0);
  } else if (!RVFHexToStream(line, stream)) {
    Abort();
  }
  if (stream.Size() == 0 || stream.Memory()[0] != vaCollection) Abort();
  if (Style == nullptr) return;  // nothing to bring the styles into

  switch (Rec.Kind) {
    case rvfkTextStyles: {
      TFontInfos styles(Style->GetTextStyleClass(), Style);
      ReadCollection(stream, styles);
      MergeStyles(Rec.Kind, styles);
      break;
    }
    case rvfkParaStyles: {
      TParaInfos styles(Style->GetParaStyleClass(), Style);
      ReadCollection(stream, styles);
      MergeStyles(Rec.Kind, styles);
      break;
    }
    default: {
      TRVListInfos styles(Style->GetListStyleClass(), Style);
      TCustomRVData* data = &Data;
      styles.LinkToData(data, [data](int32_t tag) { return data->RVFImageListNeeded(tag); });
      try {
        ReadCollection(stream, styles);
      } catch (...) {
        styles.UnlinkData();
        throw;
      }
      styles.UnlinkData();
      MergeStyles(Rec.Kind, styles);
      break;
    }
  }
}

void TRVFReader::MergeStyles(int kind, TCustomRVInfos& styles) {
  ValidateReadStyles(styles);
  const TRVFReaderStyleMode mode =
      kind == rvfkTextStyles ? Data.GetRVFTextStylesReadMode() : Data.GetRVFParaStylesReadMode();
  std::unique_ptr<TRVIntegerList>& map = kind == rvfkTextStyles   ? Maps.TextMap
                                         : kind == rvfkParaStyles ? Maps.ParaMap
                                                                  : Maps.ListMap;
  if (styles.Count() == 0 || mode == rvf_sIgnore || map) return;
  if (LoadMode) {
    // A load replaces the sheet's styles: the stream's numbers hold as they are. Items
    // already in the document (or around a nested one, which shares the sheet) were checked
    // against the old collection, so a block after them cannot replace it.
    TCustomRVData* root = Data.GetRootData();
    if ((root != nullptr && root != &Data) || Data.GetItemCount() > 0) {
      Warn(rvfwStyleOutOfRange);
      Abort();
    }
    if (kind == rvfkTextStyles)
      Style->SetTextStyles(static_cast<TFontInfos&>(styles));
    else if (kind == rvfkParaStyles)
      Style->SetParaStyles(static_cast<TParaInfos&>(styles));
    else
      Style->SetListStyles(static_cast<TRVListInfos&>(styles));
    return;
  }
  TCustomRVInfos& target = kind == rvfkTextStyles   ? static_cast<TCustomRVInfos&>(Style->TextStyles())
                           : kind == rvfkParaStyles ? static_cast<TCustomRVInfos&>(Style->ParaStyles())
                                                    : static_cast<TCustomRVInfos&>(Style->ListStyles());
  map = std::make_unique<TRVIntegerList>();
  target.MergeWith(styles, mode == rvf_sInsertMap ? rvmmMap : rvmmMerge, *map);
}

void TRVFReader::ReadLayout(std::string_view line) {
  if (Layout == nullptr || !LoadMode || (Options & rvfoLoadLayout) == 0) return;
  std::string bytes;
  if (Rec.ReadType == rvfrtBinary) {
    bytes.assign(line);
  } else {
    TMemoryStream stream;
    if (!RVFHexToStream(line, stream)) Abort();
    bytes = stream.DataString();
  }
  Layout->LoadFromBytes(bytes);
  if (Layout->FirstParaAborted != 0 && Layout->FirstMarkerListNo >= 0 && Maps.ListMap) {
    if (Layout->FirstMarkerListNo < Maps.ListMap->Count()) {
      Layout->FirstMarkerListNo = Maps.ListMap->GetValue(Layout->FirstMarkerListNo);
    } else {
      Warn(rvfwStyleOutOfRange);
      Layout->FirstMarkerListNo = -1;
    }
  }
  Layout->Loaded = true;
}

void TRVFReader::ReadBackgroundPicture(std::string_view line) {
  if ((Options & rvfoLoadBack) == 0) return;
  std::unique_ptr<TGraphic> graphic = RVCreateGraphic(Rec.Name);
  if (!graphic) {
    Warn(rvfwUnknownPicture);
    if ((Options & rvfoIgnoreUnknownPicFmt) == 0) Abort();
    return;
  }
  if (!RVFLoadPictureLine(line, Rec.ReadType, graphic, &Data)) Abort();
  if (Background != nullptr && graphic) Background->TakeBitmap(std::move(graphic), &Data);
}

// ---------------------------------------------------------------------------------------
// Inserting items

void TRVFReader::DropPendingCheckpoint() {
  if (Pending == nullptr) return;
  if (Pending == Data.PendingCheckpoint.get()) {
    Data.FreeCheckpoint(Data.PendingCheckpoint, false, true);
  }
  PendingOwned.reset();
  Pending = nullptr;
}

std::unique_ptr<TRVCPInfo> TRVFReader::TakePendingCheckpoint() {
  if (Pending == nullptr) return nullptr;
  std::unique_ptr<TRVCPInfo> cp;
  if (Pending == Data.PendingCheckpoint.get()) {
    cp = std::move(Data.PendingCheckpoint);
    --Data.CheckpointCount;
  } else {
    cp = std::move(PendingOwned);
  }
  Pending = nullptr;
  return cp;
}

void TRVFReader::AttachCheckpoint(TCustomRVItemInfo& item, std::unique_ptr<TRVCPInfo> cp) {
  if (!cp) return;
  if (EditInsert) {
    item.Checkpoint = std::move(cp);
    return;
  }
  TRVCPInfo* linked = cp.get();
  Data.LinkCheckpointAfter(&item, CheckpointBefore, cp);
  ++Data.CheckpointCount;
  CheckpointBefore = linked;
}

void TRVFReader::InsertItem(std::string text, std::unique_ptr<TCustomRVItemInfo> item, int32_t headerParaNo) {
  if (Refused || !item) return;
  const bool isText = item->IsTextItem();
  if (isText && EditPara && Style != nullptr &&
      (Style->TextStyles().Items(item->StyleNo)->Protection & rvprRVFInsertProtect) != 0)
    return;
  if (!isText && !item->QueryFeature(rvfqHasContent)) return;  // a pending checkpoint waits

  // Paragraph.
  TCustomRVItemInfo* before = Index > 0 && Data.GetItemCount() > 0 ? Data.GetItem(Index - 1) : nullptr;
  item->PlaceInParagraph(before, headerParaNo);
  if (FirstInsert && ForcedParaNo >= 0) item->ParaNo = ForcedParaNo;

  item->UpdatePaletteInfo(Data.GetDoInPaletteMode(), false, Data.GetRVPalette());
  std::unique_ptr<TRVCPInfo> checkpoint = TakePendingCheckpoint();

  // UTF-16 text only in Unicode styles, 8-bit text only in the others.
  if (isText && Style != nullptr) {
    const bool unicodeStyle = Style->TextStyles().Items(item->StyleNo)->Unicode;
    if (item->IsTwoByteText() && !unicodeStyle) {
      text = RVUnicodeToAnsi(Data.GetStyleCodePage(item->StyleNo), text);
      item->ItemOptions &= ~rvioTwoByteText;
      Warn(rvfwConvertedToAnsi);
    } else if (!item->IsTwoByteText() && unicodeStyle) {
      text = RVAnsiToUnicode(Data.GetStyleCodePage(item->StyleNo), text);
      item->ItemOptions |= rvioTwoByteText;
      Warn(rvfwConvertedToUnicode);
    }
  }

  if (item->StyleNo == rvsListMarker && Maps.ListMap) {
    auto* marker = static_cast<TRVMarkerItemInfo*>(item.get());
    if (marker->ListNo >= Maps.ListMap->Count()) {
      Warn(rvfwStyleOutOfRange);
      marker->ListNo = 0;
    } else if (marker->ListNo >= 0) {
      marker->ListNo = Maps.ListMap->GetValue(marker->ListNo);
    }
  }

  const int itemNo = Index;
  bool fullReformat = false;
  int newListNo = -1;
  if (FirstInsert) {
    FirstInsert = false;
    // The document may refuse the first item, freeing it: the item carries its checkpoint
    // unlinked, and the checkpoint joins the chain only once the item is in the document
    // (a taken item stands at Index, so nothing here compares addresses of freed objects).
    if (checkpoint) item->Checkpoint = std::move(checkpoint);
    if (!Data.InsertItemObject(Index, std::move(text), std::move(item), fullReformat, newListNo)) {
      Refused = true;
      return;
    }
    InsertFlag = fullReformat;
    TCustomRVItemInfo* taken = Data.GetItem(Index);
    if (taken->Checkpoint) AttachCheckpoint(*taken, std::move(taken->Checkpoint));
  } else {
    AttachCheckpoint(*item, std::move(checkpoint));
    Data.TCustomRVData::InsertItemObject(Index, std::move(text), std::move(item), fullReformat, newListNo);
  }
  TCustomRVItemInfo* inserted = Data.GetItem(itemNo);
  LastInserted = inserted;
  ++Index;
  ++InsertedCount;
  Data.NotifyControlAction(rvcaAfterRVFLoad, itemNo, inserted);
  if ((Data.StateFlags & rvstLoadingAsPartOfItem) == 0) inserted->AfterLoading(rvlfRVF);
}

void TRVFReader::Finish(bool ok) {
  if (!Refused) {
    // A list marker never ends its paragraph.
    if (LastInserted != nullptr && LastInserted->StyleNo == rvsListMarker && Index > 0 &&
        Data.GetItem(Index - 1) == LastInserted &&
        (Index == Data.GetItemCount() || Data.StartsParagraph(Index))) {
      std::unique_ptr<TCustomRVItemInfo> empty = RVCreateItemByStyleNo(0, &Data);
      if (Style != nullptr && Style->TextStyles().Items(0)->Unicode) empty->ItemOptions |= rvioTwoByteText;
      try {
        InsertItem(std::string(), std::move(empty), -1);
      } catch (const std::bad_alloc&) {
        throw;
      } catch (const std::exception&) {
      }
    }
    if (!EditInsert) Data.NormalizeParaNos(Index);
  }
  Data.FreeRVFStyleMaps();
  if (StartedWithoutMaps) {
    // A nested document read on its own (not from inside its root's read) made its maps in
    // the root, which does not free them: they must not carry over into the next read.
    Maps.TextMap.reset();
    Maps.ParaMap.reset();
    Maps.ListMap.reset();
  }
  if (Pending != nullptr && Pending != Data.PendingCheckpoint.get()) {
    if (ok && !Refused && Index == Data.GetItemCount() && !Data.PendingCheckpoint) {
      Data.PendingCheckpoint = std::move(PendingOwned);
      ++Data.CheckpointCount;
    }
  }
  PendingOwned.reset();
  Pending = nullptr;
}

// ---------------------------------------------------------------------------------------
// TCustomRVData entry points

bool TCustomRVData::LoadRVFFromStream(TStream& Stream, TColor& Color, TRVBackground* Background,
                                      TRVLayoutInfo* Layout) {
  Clear();
  return InsertRVFFromStream(Stream, 0, Color, Background, Layout, true);
}

bool TCustomRVData::InsertRVFFromStream(TStream& Stream, int Index, TColor& Color, TRVBackground* Background,
                                        TRVLayoutInfo* Layout, bool LoadMode) {
  int insertedCount = 0;
  bool reading = false;
  bool insertFlag = false;
  return InsertRVFFromStreamFull(Stream, Index, -1, LoadMode, false, false, Color, Background, Layout,
                                 insertedCount, reading, insertFlag);
}

bool TCustomRVData::InsertRVFFromStreamFull(TStream& Stream, int& Index, int32_t ParaNo, bool LoadMode,
                                            bool EditPara, bool EditInsert, TColor& Color,
                                            TRVBackground* Background, TRVLayoutInfo* Layout,
                                            int& InsertedCount, bool& Reading, bool& InsertFlag) {
  InsertedCount = 0;
  InsertFlag = false;
  if (g_rvfNesting >= kMaxRVFNesting) return false;
  TNestingGuard nesting;
  // The built-in item classes are registered with the first read.
  static const bool registered = [] {
    RVRegisterNonTextItemClasses();
    return true;
  }();
  (void)registered;
  Reading = true;
  // A document read as part of an item (a table cell) adds to the warnings of the outer read.
  if ((StateFlags & rvstLoadingAsPartOfItem) == 0) {
    SetRVFReadWarnings(0);
    RVFPictureReport() = TRVFPictureReport();
  }

  if (Index < 0) Index = 0;
  if (Index > GetItemCount()) Index = GetItemCount();
  TRVFReader reader(*this, Index, ParaNo, LoadMode, EditPara, EditInsert, Color, Background, Layout,
                    InsertedCount, InsertFlag);
  if (Index == GetItemCount()) {
    reader.CheckpointBefore = LastCheckpoint;
    if (!EditInsert) reader.Pending = PendingCheckpoint.get();
  } else {
    reader.CheckpointBefore = FindCheckpointBefore(Index);
  }

  bool ok = false;
  // Memory that runs out ends the work, not only this document: it goes on once the document
  // is left as a failed read leaves it.
  std::exception_ptr outOfMemory;
  try {
    std::string storage;
    ok = reader.Read(ReadRest(Stream, storage));
  } catch (const TRVFAbort&) {
    ok = false;
  } catch (const std::bad_alloc&) {
    outOfMemory = std::current_exception();
  } catch (const std::exception&) {
    ok = false;
  }
  try {
    reader.Finish(ok);
  } catch (const std::bad_alloc&) {
    if (!outOfMemory) outOfMemory = std::current_exception();
  } catch (const std::exception&) {
    ok = false;
  }
  Reading = false;
  if (outOfMemory) std::rethrow_exception(outOfMemory);
  return ok || reader.Refused;
}

bool TCustomRVData::ReadRVFFromComponentStream(TStream& Stream) {
  int32_t length = 0;
  if (Stream.Remaining() < 4) return false;
  Stream.ReadBuffer(&length, 4);
  if (length < 0 || length > Stream.Remaining()) return false;
  std::string bytes(static_cast<size_t>(length), '\0');
  if (length > 0) Stream.ReadBuffer(bytes.data(), length);
  TMemoryStream stream(bytes);
  const TRVDataStates saved = StateFlags & rvstLoadingAsPartOfItem;
  StateFlags |= rvstLoadingAsPartOfItem;
  TColor color = clNone;
  const bool ok = LoadRVFFromStream(stream, color, nullptr, nullptr);
  StateFlags = (StateFlags & ~rvstLoadingAsPartOfItem) | saved;
  return ok;
}

// ---------------------------------------------------------------------------------------
// What the root answers during a read

TRVFStyleMaps& TCustomRVData::GetRVFStyleMaps() {
  TCustomRVData* root = GetRootData();
  return root == nullptr || root == this ? rvfStyleMaps_ : root->GetRVFStyleMaps();
}

void TCustomRVData::FreeRVFStyleMaps() {
  TCustomRVData* root = GetRootData();
  if (root != nullptr && root != this) return;
  rvfStyleMaps_.TextMap.reset();
  rvfStyleMaps_.ParaMap.reset();
  rvfStyleMaps_.ListMap.reset();
}

std::unique_ptr<TGraphic> TCustomRVData::RVFPictureNeeded(const std::string& Name, const TRVTag& Tag) {
  TCustomRVData* root = GetRootData();
  return root == nullptr || root == this ? nullptr : root->RVFPictureNeeded(Name, Tag);
}

std::unique_ptr<TControl> TCustomRVData::RVFControlNeeded(const std::string& Name, const TRVTag& Tag) {
  TCustomRVData* root = GetRootData();
  return root == nullptr || root == this ? nullptr : root->RVFControlNeeded(Name, Tag);
}

TCustomImageList* TCustomRVData::RVFImageListNeeded(int32_t ImageListTag) {
  TCustomRVData* root = GetRootData();
  return root == nullptr || root == this ? nullptr : root->RVFImageListNeeded(ImageListTag);
}
