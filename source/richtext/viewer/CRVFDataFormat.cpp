// Laying items out into lines: the drawn pieces of TCustomRVFormattedData, their positions
// and sizes, the document's formatted width and height.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/core/SysUtils.h"
#include "richtext/core/RVFontInfo.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVListInfo.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"
#include "richtext/core/RVUniMeasure.h"
#include "richtext/viewer/CRVFDataLayout.h"

namespace {

constexpr uint16_t rvflRecordJumps = 1;
constexpr uint16_t rvflHideWrapSpace = 2;
constexpr uint16_t rvflExternalLeading = 8;
constexpr uint16_t rvflItemDrawItems = 32;
constexpr uint16_t rvflPrinting = 64;

// State bits read by formatting: the document continues an outer one, and its last line does
// not end its paragraph.
constexpr TRVDataStates rvstContinuesOuter = 1u << 24;
constexpr TRVDataStates rvstLastLineContinues = 1u << 25;

}  // namespace

// ---- measuring --------------------------------------------------------------------------------

TSize TCustomRVFormattedData::MeasureText(TCanvas& Canvas, std::u16string_view Text) {
  return Canvas.TextExtentW(Text);
}

void TCustomRVFormattedData::ReadTextMetrics(TCanvas& Canvas, TTextMetric& Metrics) {
  Canvas.GetTextMetrics(Metrics);
}

std::u16string TCustomRVFormattedData::GetItemTextForDrawing(int ItemNo) const {
  const TCustomRVItemInfo* item = GetItem(ItemNo);
  const std::string& raw = GetItemText(ItemNo);
  const TRVStyle* style = GetRVStyle();
  bool allCaps = false;
  TRVCodePage codePage = style != nullptr ? style->DefCodePage : 0;
  if (style != nullptr && item->StyleNo >= 0 && item->StyleNo < style->TextStyles().Count()) {
    const TFontInfo* font = style->TextStyles().Items(item->StyleNo);
    allCaps = (font->StyleEx & rvfsAllCaps) != 0;
    if (const TRVCodePage fontPage = RVCodePageFromCharset(font->Charset); fontPage != 0) codePage = fontPage;
  }
  if (item->IsTwoByteText()) return RVBytesToWideString(RVApplyAllCaps(raw, allCaps, true));
  return RVDecodeBytewise(codePage, RVApplyAllCaps(raw, allCaps, false));
}

// ---- the line formatter -------------------------------------------------------------------------

TRVLineFormatter::TRVLineFormatter(TCustomRVFormattedData& Data, TCanvas& Canvas, const TRVFormatScale& Scale,
                                   bool LayoutFlag)
    : data_(Data),
      canvas_(Canvas),
      scale_(Scale),
      style_(*Data.GetRVStyle()),
      flags_(Data.GetViewerState()),
      layoutFlag_(LayoutFlag) {}

int32_t TRVLineFormatter::ScaleX(int32_t Value) const {
  return RVScreenToDeviceX(Value, scale_);
}
int32_t TRVLineFormatter::ScaleY(int32_t Value) const {
  return RVScreenToDeviceY(Value, scale_);
}

TParaInfo& TRVLineFormatter::ParaOf(int ItemNo) const {
  const int count = style_.ParaStyles().Count();
  const int paraNo = data_.GetItem(ItemNo)->ParaNo;
  return *style_.ParaStyles().Items(paraNo >= 0 && paraNo < count ? paraNo : 0);
}

bool TRVLineFormatter::IsListMarker(int ItemNo) const {
  return ItemNo >= 0 && ItemNo < data_.GetItemCount() && data_.GetItem(ItemNo)->StyleNo == rvsListMarker;
}

TRVListLevel* TRVLineFormatter::MarkerLevel(int ItemNo) const {
  if (!IsListMarker(ItemNo)) return nullptr;
  return static_cast<TRVMarkerItemInfo*>(data_.GetItem(ItemNo))->GetLevelInfo(&style_);
}

char16_t TRVLineFormatter::CharOfItem(int ItemNo, int Index) const {
  const std::string& raw = data_.GetItemText(ItemNo);
  if (data_.GetItem(ItemNo)->IsTwoByteText()) {
    const size_t at = static_cast<size_t>(Index) * 2;
    if (at + 1 >= raw.size()) return 0;
    return static_cast<char16_t>(static_cast<uint8_t>(raw[at]) | (static_cast<uint8_t>(raw[at + 1]) << 8));
  }
  return Index >= 0 && static_cast<size_t>(Index) < raw.size() ? static_cast<uint8_t>(raw[Index]) : 0;
}

void TRVLineFormatter::ApplyTextStyle(int ItemNo) {
  const int styleNo = data_.GetItem(ItemNo)->StyleNo;
  if (styleNo == LastStyleNo) return;
  style_.ApplyStyle(canvas_, styleNo, ParaOf(ItemNo).BiDiMode);
  LastStyleNo = styleNo;
  const TFontInfo& font = *style_.TextStyles().Items(styleNo);
  // Text of either explicit direction (its own or its paragraph's) is drawn without extra
  // character spacing; only text without a direction gets it, in device pixels.
  if (font.CharSpacing != 0 && scale_.ScreenPPIX != scale_.DevicePPIX &&
      data_.GetItemBiDiMode(ItemNo) == rvbdUnspecified)
    canvas_.SetTextCharacterExtra(ScaleX(font.CharSpacing));
  data_.ReadTextMetrics(canvas_, Metrics);
  VShiftPx = MulDiv(Metrics.tmHeight, font.VShift, 100);
}

void TRVLineFormatter::Begin(int32_t StartY, int DrawCountAtStart) {
  CurY = StartY;
  CurX = 0;
  PendingBelow = 0;
  LineAscent = 0;
  LineSpacingExtra = 0;
  DrawCount = DrawCountAtStart;
  LineStart = DrawCountAtStart;
  FirstLine = true;
  LineWidth = -1;
  LineLeft = 0;
  LastStyleNo = -1;
  NewParaPending = true;
  ParaStartItemNo = -1;
  SkippedBreakSpace = false;
  jumpsAtBegin_ = data_.Jumps().Count();
}

void TRVLineFormatter::FormatItem(int ItemNo) {
  TCustomRVItemInfo* item = data_.GetItem(ItemNo);
  if (item->IsParaStart()) ParaStartItemNo = ItemNo;
  if (!item->IsTextItem()) {
    FormatNonText(ItemNo);
    return;
  }
  if (ParaOf(ItemNo).Alignment == rvaJustify) {
    FormatJustifiedText(ItemNo);
  } else {
    const std::u16string text = data_.GetItemTextForDrawing(ItemNo);
    FormatText(ItemNo, text, 0, static_cast<int>(text.size()));
  }
  // Every piece of a hyperlink, however many words it was laid out as, shares its number.
  if (style_.TextStyles().Items(item->StyleNo)->Jump && !data_.GetItemText(ItemNo).empty())
    item->JumpID = JumpCount++;
}

void TRVLineFormatter::FormatJustifiedText(int ItemNo) {
  const std::u16string text = data_.GetItemTextForDrawing(ItemNo);
  const int length = static_cast<int>(text.size());
  if (length == 0) {
    FormatText(ItemNo, text, 0, 0);
    return;
  }
  // Every word becomes its own piece, later words keeping their separating space in front,
  // so that justification can widen exactly those pieces.
  int start = 0;
  while (start < length) {
    int end = start + 1;
    while (end < length && text[end] != u' ') ++end;
    if (start == 0 && text[0] != u' ') {
      end = 0;
      while (end < length && text[end] != u' ') ++end;
    }
    FormatText(ItemNo, text, start, end - start);
    start = end;
  }
}

void TRVLineFormatter::RecordJump(int DItemNo, int Id, TCursor Cursor) {
  if ((flags_ & rvflRecordJumps) == 0) return;
  const TRVDrawLineInfo* piece = data_.DrawItems()[DItemNo];
  auto jump = std::make_unique<TRVJumpInfo>();
  jump->RVData = &data_;
  jump->Width = piece->Width;
  jump->Height = piece->Height;
  jump->Id = Id;
  jump->DrawItemNo = DItemNo;
  jump->Cursor = Cursor;
  data_.Jumps().Add(std::move(jump));
}

void TRVLineFormatter::RecordSubJumps(int DItemNo) {
  if ((flags_ & rvflRecordJumps) == 0 || (flags_ & rvflPrinting) != 0) return;
  // Hyperlinks inside the item's documents (table cells) join the list, numbered on.
  const TRVDrawLineInfo* piece = data_.DrawItems()[DItemNo];
  data_.GetItem(piece->ItemNo)->BuildSubJumps(piece->Left, piece->Top, data_.Jumps(), JumpCount);
}

int TRVLineFormatter::InsertPiece(std::unique_ptr<TRVDrawLineInfo> Piece, int ItemNo) {
  Piece->ItemNo = ItemNo;
  TCustomRVItemInfo* item = data_.GetItem(ItemNo);
  const bool first = !item->IsTextItem() || Piece->Offs <= 1;
  const int index = DrawCount++;
  data_.DrawItems().InsertReusing(index, std::move(Piece));
  if (first && !data_.ShareItems()) item->DrawItemNo = index;
  return index;
}

void TRVLineFormatter::RaiseLine(int32_t Ascent) {
  if (Ascent <= LineAscent) return;
  const int32_t diff = Ascent - LineAscent;
  for (int i = LineStart; i < DrawCount; ++i) data_.DrawItems()[i]->Top += diff;
  CurY += diff;
  LineAscent = Ascent;
}

void TRVLineFormatter::LineIndents(int ItemNo, int32_t& Left, int32_t& Right) const {
  const TCustomRVItemInfo* item = data_.GetItem(ItemNo);
  const TParaInfo& para = ParaOf(ItemNo);
  bool firstLine = NewParaPending;
  if ((data_.StateFlags & rvstContinuesOuter) != 0 && ParaStartItemNo == 0) firstLine = false;
  const TRVListLevel* paraLevel = MarkerLevel(ParaStartItemNo);
  if (!firstLine && ParaStartItemNo == 0 && paraLevel == nullptr) paraLevel = ContinuedMarkerLevel();
  if (firstLine && MarkerLevel(ItemNo) != nullptr)
    Left = MarkerLevel(ItemNo)->MarkerIndent;
  else if (paraLevel != nullptr)
    Left = paraLevel->LeftIndent;
  else if (firstLine && !item->GetBR() && !item->QueryFeature(rvfqOwnLine))
    Left = para.LeftIndent + para.FirstIndent;
  else
    Left = para.LeftIndent;
  Right = para.RightIndent;
  if (para.BiDiMode == rvbdRightToLeft) std::swap(Left, Right);
}

TRVListLevel* TRVLineFormatter::ContinuedMarkerLevel() const {
  // A document that continues an outer one (a page of it) indents its first paragraph as
  // the list marker of the paragraph the stored range begins in.
  int first = -1, last = -1;
  if (!data_.GetStoredItemRange(first, last) || first < 0 || first >= data_.GetItemCount()) return nullptr;
  while (first > 0 && !data_.GetItem(first)->IsParaStart()) --first;
  return MarkerLevel(first);
}

TRVJumpInfo* TRVLineFormatter::LastJumpOfPiece(int DItemNo) {
  // Only areas of this run: older ones of a partial format still have their old pieces.
  TRVList<TRVJumpInfo>& jumps = data_.Jumps();
  if (jumps.Count() <= jumpsAtBegin_) return nullptr;
  TRVJumpInfo* jump = jumps.Last();
  return jump->RVData == &data_ && jump->DrawItemNo == DItemNo ? jump : nullptr;
}

void TRVLineFormatter::DropTrailingWrapSpace(int ItemNo) {
  if ((flags_ & rvflHideWrapSpace) == 0 || NewParaPending || SkippedBreakSpace || DrawCount <= LineStart)
    return;
  const int last = DrawCount - 1;
  TRVDrawLineInfo* piece = data_.DrawItems()[last];
  if (piece->FromNewLine || piece->Length <= 0 || !data_.GetItem(piece->ItemNo)->IsTextItem()) return;
  if (CharOfItem(piece->ItemNo, piece->Offs + piece->Length - 2) != u' ') return;
  const TRVDrawLineInfo* before = data_.DrawItems()[last - 1];
  if (piece->Length == 1 && before->ItemNo == piece->ItemNo) {
    data_.DrawItems().DeleteReusing(last);
    --DrawCount;
    if (LastJumpOfPiece(last) != nullptr) data_.Jumps().Delete(data_.Jumps().Count() - 1);
  } else {
    --piece->Length;
    const std::u16string text = data_.GetItemTextForDrawing(piece->ItemNo);
    ApplyTextStyle(piece->ItemNo);
    piece->Width =
        data_.MeasureText(canvas_, std::u16string_view(text).substr(piece->Offs - 1, piece->Length)).cx;
    if (TRVJumpInfo* jump = LastJumpOfPiece(last)) jump->Width = piece->Width;
    if (data_.GetItem(ItemNo)->IsTextItem()) {
      LastStyleNo = -1;
      ApplyTextStyle(ItemNo);
    }
  }
  SkippedBreakSpace = true;
}

void TRVLineFormatter::StartNewLine(int ItemNo, int32_t Ascent, int32_t Descent) {
  const TCustomRVItemInfo* item = data_.GetItem(ItemNo);
  DropTrailingWrapSpace(ItemNo);
  FinishLine(NewParaPending);
  int32_t left = 0, right = 0;
  LineIndents(ItemNo, left, right);
  const TParaInfo& para = ParaOf(ItemNo);
  if (NewParaPending && !item->GetBR()) {
    if (ItemNo > 0) PendingBelow += ScaleY(ParaOf(ItemNo - 1).SpaceAfter);
    PendingBelow += ScaleY(para.SpaceBefore);
  }
  const bool noWrap = (para.Options & rvpaoNoWrap) != 0;
  LineWidth = (noWrap ? data_.DocumentWidth : data_.TextWidth) - ScaleX(left + right);
  LineLeft = ScaleX(left) + scale_.LeftMargin;
  CurY += LineSpacingExtra;
  LineAscent = Ascent;
  CurY += PendingBelow + Ascent;
  PendingBelow = Descent;
  CurX = 0;
  LineStart = DrawCount;
  LineIsParaFirst = NewParaPending;
  NewParaPending = false;
}

bool TRVLineFormatter::FollowsMarkerAtItemStart(int ItemNo, int Start) const {
  return Start == 0 && DrawCount > LineStart && IsListMarker(ItemNo - 1) &&
         data_.DrawItems()[DrawCount - 1]->ItemNo == ItemNo - 1;
}

int TRVLineFormatter::MoveToCharBoundary(const std::u16string& Text, int Start, int Count) const {
  if (Count <= 0) return Count;
  size_t at = static_cast<size_t>(Start + Count);
  while (RVIsClusterContinuation(Text, at)) ++at;
  return static_cast<int>(at) - Start;
}

int TRVLineFormatter::CountFitting(const std::u16string& Text, int Start, int Count, int32_t Available,
                                   bool NoWrap, std::optional<TSize>& Whole) {
  const std::u16string_view all(Text);
  Whole.reset();
  if (RVMeasureCharByChar) {
    if (NoWrap) return Count;
    int fit = 0;
    RVGetTextExtentEx(canvas_, RVWideStringToBytes(all.substr(Start, Count)), Available, rvioTwoByteText,
                      nullptr, fit);
    return MoveToCharBoundary(Text, Start, std::min(fit, Count));
  }
  const TSize wholeSize = data_.MeasureText(canvas_, all.substr(Start, Count));
  const int32_t whole = wholeSize.cx;
  if (NoWrap || (Available > 0 && whole <= Available)) {
    Whole = wholeSize;
    return Count;
  }
  // Interpolation search between lo (fits) and hi (does not). Widths of real fonts are not
  // strictly monotonic, so the divisor is kept positive, and every step narrows [lo, hi].
  int lo = 0, hi = Count;
  int64_t loWidth = 0, hiWidth = whole;
  while (lo + 1 < hi) {
    if (hiWidth <= loWidth) hiWidth = loWidth + 1;
    int64_t guess = lo + static_cast<int64_t>(hi - lo) * (Available - loWidth) / (hiWidth - loWidth);
    guess = std::clamp<int64_t>(guess, lo + 1, hi - 1);
    const int g = static_cast<int>(guess);
    const int32_t width = data_.MeasureText(canvas_, all.substr(Start, g)).cx;
    if (width == Available) {
      lo = g;
      break;
    }
    if (width > 0 && width < Available) {
      lo = g;
      loWidth = width;
    } else {
      hi = g;
      hiWidth = width;
    }
  }
  const int moved = MoveToCharBoundary(Text, Start, lo);
  if (moved == lo || data_.MeasureText(canvas_, all.substr(Start, moved)).cx <= Available) return moved;
  // The whole character does not fit: leave it out.
  int back = lo;
  while (back > 0 && RVIsClusterContinuation(Text, static_cast<size_t>(Start + back))) --back;
  return back;
}

int TRVLineFormatter::FindBreak(const std::u16string& Text, int ItemNo, int Start, int Fit) const {
  if (data_.GetItem(ItemNo)->IsTwoByteText()) {
    const std::string bytes = RVWideStringToBytes(std::u16string_view(Text).substr(Start));
    const int found = RVFindLineBreakW(bytes, Fit);
    return found >= 0 && found < Fit ? Start + found : -1;
  }
  for (int i = Start + Fit - 1; i >= Start; --i)
    if (Text[i] == u' ') return i;
  return -1;
}

void TRVLineFormatter::FormatText(int ItemNo, const std::u16string& Text, int Start, int Length) {
  TCustomRVItemInfo* item = data_.GetItem(ItemNo);
  const TParaInfo& para = ParaOf(ItemNo);
  const bool continues = item->GetSameAsPrev();
  if (!continues && Start == 0) NewParaPending = true;
  ApplyTextStyle(ItemNo);
  const TFontInfo& font = *style_.TextStyles().Items(item->StyleNo);
  const int32_t ascent =
      Metrics.tmAscent + ((flags_ & rvflExternalLeading) != 0 ? Metrics.tmExternalLeading : 0) + VShiftPx;
  const int32_t descent = Metrics.tmDescent - VShiftPx;
  const bool hideWrap = (flags_ & rvflHideWrapSpace) != 0;
  const bool noWrap = (para.Options & rvpaoNoWrap) != 0;
  const int jumpId = font.Jump ? JumpCount : 0;

  if (Length == 0) {
    auto piece = std::make_unique<TRVDrawLineInfo>();
    piece->Width = 0;
    piece->Height = data_.MeasureText(canvas_, u" ").cy;
    piece->Offs = Start + 1;
    if (!continues || FirstLine) {
      StartNewLine(ItemNo, ascent, descent);
      piece->FromNewLine = true;
    } else {
      RaiseLine(ascent);
      PendingBelow = std::max(PendingBelow, descent);
    }
    piece->Top = CurY - ascent;
    piece->Left = LineLeft + CurX;
    InsertPiece(std::move(piece), ItemNo);
    if (font.Jump) item->JumpID = -3;
    return;
  }

  int pos = Start;
  const int end = Start + Length;
  bool needNewLine = !continues && Start == 0;
  while (pos < end) {
    bool onNewLine = false;
    if (needNewLine) {
      StartNewLine(ItemNo, ascent, descent);
      onNewLine = true;
      if (hideWrap && !LineIsParaFirst && !SkippedBreakSpace && end - pos > 1 && Text[pos] == u' ') ++pos;
      SkippedBreakSpace = false;
    }
    const bool afterMarker = FollowsMarkerAtItemStart(ItemNo, pos);
    const int32_t available = std::max(0, LineWidth - CurX);
    std::optional<TSize> whole;
    int fit = CountFitting(Text, pos, end - pos, available, noWrap, whole);
    if (fit == 0) {
      if (!onNewLine && !afterMarker) {
        needNewLine = true;
        continue;
      }
      fit = MoveToCharBoundary(Text, pos, 1);
    }
    int pieceEnd = pos + fit, next = pos + fit;
    bool cut = false;
    if (fit < end - pos) {
      cut = true;
      const int brk = FindBreak(Text, ItemNo, pos, fit);
      const bool nextContinues =
          ItemNo + 1 < data_.GetItemCount() && data_.GetItem(ItemNo + 1)->GetSameAsPrev();
      if (brk < 0 && hideWrap && Text[pos + fit] == u' ' && (pos + fit + 1 < end || nextContinues)) {
        next = pos + fit + 1;
        SkippedBreakSpace = true;
      } else if (brk >= 0) {
        if (hideWrap && Text[brk] == u' ' && brk != pos) {
          pieceEnd = brk;
          SkippedBreakSpace = true;
        } else {
          pieceEnd = brk + 1;
        }
        next = brk + 1;
      } else if (!onNewLine && !afterMarker) {
        needNewLine = true;
        continue;
      }
    }
    auto piece = std::make_unique<TRVDrawLineInfo>();
    const TSize size =
        whole && pieceEnd == end
            ? *whole
            : data_.MeasureText(canvas_, std::u16string_view(Text).substr(pos, pieceEnd - pos));
    piece->Width = size.cx;
    piece->Height = size.cy;
    piece->Offs = pos + 1;
    piece->Length = pieceEnd - pos;
    if (!onNewLine) {
      RaiseLine(ascent);
      PendingBelow = std::max(PendingBelow, descent);
    }
    piece->FromNewLine = onNewLine;
    piece->Top = CurY - ascent;
    piece->Left = LineLeft + CurX;
    CurX += size.cx;
    const int index = InsertPiece(std::move(piece), ItemNo);
    if (font.Jump) RecordJump(index, jumpId, font.JumpCursor);
    pos = next;
    needNewLine = cut;
  }
}

void TRVLineFormatter::FormatNonText(int ItemNo) {
  TCustomRVItemInfo* item = data_.GetItem(ItemNo);
  if (item->QueryFeature(rvfqOwnLine))
    FormatFullLine(ItemNo);
  else
    PlaceRect(ItemNo);
}

std::unique_ptr<TRVDrawLineInfo> TRVLineFormatter::NewPiece(TCustomRVItemInfo* Item) {
  if ((flags_ & rvflItemDrawItems) != 0) return Item->CreateDrawItem(&data_, &scale_);
  return std::make_unique<TRVDrawLineInfo>();
}

void TRVLineFormatter::FormatFullLine(int ItemNo) {
  auto* item = static_cast<TRVNonTextItemInfo*>(data_.GetItem(ItemNo));
  const TParaInfo& para = ParaOf(ItemNo);
  FinishLine(true);
  CurY += LineSpacingExtra;
  LineSpacingExtra = 0;
  if (ItemNo > 0) PendingBelow += ScaleY(ParaOf(ItemNo - 1).SpaceAfter);
  PendingBelow += ScaleY(para.SpaceBefore);
  auto piece = NewPiece(item);
  piece->FromNewLine = true;
  if (item->StyleNo == rvsBreak) {
    PendingBelow += ScaleY(style_.ParaStyles().Items(0)->SpaceBefore);
    const int32_t h = ScaleY(5);
    piece->Left = scale_.LeftMargin;
    piece->Top = CurY + PendingBelow;
    piece->Width = data_.TextWidth;
    piece->Height = 2 * h + 1;
    CurY += PendingBelow + h + 1;
    PendingBelow = h;
    LineAscent = h;
  } else {
    const int32_t available = data_.TextWidth - ScaleX(para.LeftIndent + para.RightIndent);
    int32_t left = ScaleX(para.LeftIndent) + scale_.LeftMargin;
    int32_t descent = 1, offset = 0;
    item->GetWidthRequirements(available, piece.get(), (flags_ & rvflPrinting) != 0, &canvas_, &data_,
                               &scale_, layoutFlag_, descent, offset);
    int32_t width = ScaleX(item->GetTotalWidth());
    int32_t height = ScaleY(item->GetTotalHeight());
    if ((flags_ & rvflPrinting) != 0 && piece->Width > 0) {
      // The item laid itself out for the device into its own piece (a printed table).
      width = piece->Width;
      height = piece->Height;
    }
    if (para.Alignment == rvaRight) left += available - width;
    if (para.Alignment == rvaCenter) left = std::max(0, left + (available - width) / 2);
    piece->Left = left + offset;
    piece->Top = CurY + PendingBelow;
    piece->Width = width;
    piece->Height = height;
    CurY += PendingBelow + height;
    LineAscent = height;
    PendingBelow = 0;
  }
  // A table lays its cells out on the same canvas, leaving their fonts on it.
  if (item->QueryFeature(rvfqChangesCanvasFont)) LastStyleNo = -1;
  LineStart = DrawCount;
  RecordSubJumps(InsertPiece(std::move(piece), ItemNo));
  FirstLine = false;
  NewParaPending = true;
  LineIsParaFirst = true;
}

void TRVLineFormatter::PlaceRect(int ItemNo) {
  auto* item = static_cast<TRVNonTextItemInfo*>(data_.GetItem(ItemNo));
  const TParaInfo& para = ParaOf(ItemNo);
  if (!item->GetSameAsPrev()) NewParaPending = true;
  auto piece = NewPiece(item);
  const int32_t available = data_.TextWidth - ScaleX(para.LeftIndent + para.RightIndent + para.FirstIndent);
  int32_t descent = 1, offset = 0;
  item->GetWidthRequirements(available, piece.get(), (flags_ & rvflPrinting) != 0, &canvas_, &data_, &scale_,
                             layoutFlag_, descent, offset);
  int32_t width = 0, height = 0;
  if (item->QueryFeatureForStyle(rvsfSizesOwnPiece, &style_)) {
    width = piece->Width;
    height = piece->Height;
  } else {
    width = ScaleX(item->GetTotalWidth());
    height = ScaleY(item->GetTotalHeight());
    descent = ScaleY(descent);
  }
  int32_t shift = 0, ascent = height - descent;
  if (const auto* rect = dynamic_cast<const TRVRectItemInfo*>(item)) {
    shift = rect->VShiftAbs ? ScaleY(rect->VShift) : MulDiv(height, rect->VShift, 100);
    if (rect->VAlign != 0) ascent = height / 2;
  }
  const bool afterMarker = FollowsMarkerAtItemStart(ItemNo, 0);
  const bool noWrap = (para.Options & rvpaoNoWrap) != 0;
  const bool newLine =
      !item->GetSameAsPrev() || FirstLine || (!noWrap && LineWidth < CurX + width && !afterMarker);
  const int32_t top = ascent + shift;
  if (newLine) {
    StartNewLine(ItemNo, top, height - top);
  } else {
    RaiseLine(top);
    PendingBelow = std::max(PendingBelow, height - top);
  }
  piece->FromNewLine = newLine;
  piece->Top = CurY - top;
  piece->Left = LineLeft + CurX + offset;
  piece->Width = width;
  piece->Height = height;
  CurX += width + offset;
  if (item->QueryFeature(rvfqChangesCanvasFont)) LastStyleNo = -1;
  const int index = InsertPiece(std::move(piece), ItemNo);
  if (item->QueryFeatureForStyle(rvsfHyperlink, &style_)) {
    RecordJump(index, JumpCount, item->GetJumpCursor(&style_));
    item->JumpID = JumpCount++;
  } else {
    RecordSubJumps(index);
  }
}

void TRVLineFormatter::FinishLine(bool ParaLast) {
  LineSpacingExtra = 0;
  if (FirstLine) {
    FirstLine = false;
    return;
  }
  if (DrawCount <= LineStart) return;
  TRVDrawLines& pieces = data_.DrawItems();
  const TRVDrawLineInfo* last = pieces[DrawCount - 1];
  const TCustomRVItemInfo* lastItem = data_.GetItem(last->ItemNo);
  if (lastItem->QueryFeature(rvfqOwnLine)) return;
  const TParaInfo& para = ParaOf(last->ItemNo);
  TRVAlignment align = para.Alignment;
  if (align == rvaJustify && para.BiDiMode != rvbdUnspecified) align = rvaLeft;
  const int32_t free = LineLeft + LineWidth - (last->Left + last->Width);
  int32_t shift = 0;
  if (align == rvaRight) shift = free;
  if (align == rvaCenter) shift = std::max(0, free / 2);

  // Line spacing.
  if (para.LineSpacingType == rvlsPercent && para.LineSpacing > 100) {
    int32_t top = INT32_MAX, bottom = INT32_MIN;
    for (int i = LineStart; i < DrawCount; ++i) {
      if (!data_.GetItem(pieces[i]->ItemNo)->IsTextItem()) continue;
      top = std::min(top, pieces[i]->Top);
      bottom = std::max(bottom, pieces[i]->Top + pieces[i]->Height);
    }
    if (bottom > top) LineSpacingExtra = (bottom - top) * (para.LineSpacing - 100) / 100;
  } else if (para.LineSpacingType == rvlsSpaceBetween && para.LineSpacing >= 0) {
    LineSpacingExtra = ScaleY(para.LineSpacing);
  }
  if (LineSpacingExtra != 0)
    for (int i = LineStart; i < DrawCount; ++i) pieces[i]->ExtraSpaceBelow = LineSpacingExtra;

  if (align == rvaJustify && !ParaLast && DrawCount - LineStart > 1 && free > 0) {
    int spaced = 0;
    for (int i = LineStart + 1; i < DrawCount; ++i)
      if (StartsWithSpace(i)) ++spaced;
    int32_t remaining = free;
    for (int i = LineStart + 1; i < DrawCount && spaced > 0; ++i) {
      if (!StartsWithSpace(i)) continue;
      const int32_t extra = remaining / spaced;
      pieces[i]->SpaceBefore = extra;
      pieces[i]->Width += extra;
      remaining -= extra;
      --spaced;
    }
    for (int i = LineStart + 1; i < DrawCount; ++i)
      pieces[i]->Left = pieces[i - 1]->Left + pieces[i - 1]->Width;
  } else if (shift != 0) {
    for (int i = LineStart; i < DrawCount; ++i) pieces[i]->Left += shift;
  }
  if (para.BiDiMode == rvbdRightToLeft) MirrorLine(para);
}

bool TRVLineFormatter::StartsWithSpace(int DItemNo) const {
  const TRVDrawLineInfo* piece = data_.DrawItems()[DItemNo];
  return data_.GetItem(piece->ItemNo)->IsTextItem() && piece->Length > 0 &&
         CharOfItem(piece->ItemNo, piece->Offs - 1) == u' ';
}

void TRVLineFormatter::MirrorLine(const TParaInfo& Para) {
  TRVDrawLines& pieces = data_.DrawItems();
  const TRVDrawLineInfo* first = pieces[LineStart];
  const TCustomRVItemInfo* firstItem = data_.GetItem(first->ItemNo);
  const bool paraFirstLine = firstItem->IsParaStart() && (!firstItem->IsTextItem() || first->Offs <= 1);
  if (paraFirstLine) {
    int32_t move = -ScaleX(Para.FirstIndent);
    if (firstItem->StyleNo == rvsListMarker)
      move = ScaleX(static_cast<const TRVNonTextItemInfo*>(firstItem)->GetHorizontalOffset());
    for (int i = LineStart; i < DrawCount; ++i) pieces[i]->Left += move;
  }
  // Reverse the visual order, keeping the gaps between neighbours.
  const int last = DrawCount - 1;
  std::vector<int32_t> gaps;
  for (int i = LineStart; i < last; ++i)
    gaps.push_back(pieces[i + 1]->Left - (pieces[i]->Left + pieces[i]->Width));
  int32_t x = pieces[LineStart]->Left;
  for (int i = last; i >= LineStart; --i) {
    pieces[i]->Left = x;
    x += pieces[i]->Width + (i > LineStart ? gaps[i - 1 - LineStart] : 0);
  }
}

// ---- whole-document formatting ----------------------------------------------------------------

namespace {

/// Clears a flag of the data when leaving the scope, also on exceptions.
class TFlagScope {
 public:
  explicit TFlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~TFlagScope() { flag_ = false; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

void TCustomRVFormattedData::RememberPosition(bool OnlyTail, bool NoScrollRestore, TRVKeptPosition& Kept) {
  Kept.ScrollPos = GetVOffs();
  DrawItemToItem(SelStartNo, SelStartOffs, Kept.SelStartItemNo, Kept.SelStartOffs);
  DrawItemToItem(SelEndNo, SelEndOffs, Kept.SelEndItemNo, Kept.SelEndOffs);
  if (OnlyTail || NoScrollRestore || DrawItems().Count() == 0) return;
  const int d = std::min(FindDrawItemByY(GetVOffs(), 1), DrawItems().Count() - 1);
  Kept.TopItemNo = DrawItems()[d]->ItemNo;
  Kept.TopDistance = GetVOffs() - DrawItems()[d]->Top;
}

void TCustomRVFormattedData::RestoreSelection(const TRVKeptPosition& Kept) {
  auto restore = [&](int ItemNo, int Offs, int32_t& DItemNo, int32_t& DOffs) {
    int d = -1, offs = 0;
    if (ItemNo >= 0 && ItemNo < GetItemCount()) ItemToDrawItem(ItemNo, Offs, d, offs);
    DItemNo = d;
    DOffs = d >= 0 ? offs : 0;
  };
  restore(Kept.SelStartItemNo, Kept.SelStartOffs, SelStartNo, SelStartOffs);
  restore(Kept.SelEndItemNo, Kept.SelEndOffs, SelEndNo, SelEndOffs);
  if (SelStartNo < 0 || SelEndNo < 0) {
    SelStartNo = SelEndNo = -1;
    SelStartOffs = SelEndOffs = 0;
  }
}

int TCustomRVFormattedData::TailStartItem() const {
  const TRVDrawLines& pieces = DrawItems();
  const int last = LastFormattedItemNo;
  // The pieces must still describe exactly the items formatted last time.
  if (last < 0 || last >= GetItemCount() || pieces.Count() == 0 || pieces[pieces.Count() - 1]->ItemNo != last)
    return -1;
  int start = last + 1;
  // An item that continues the last paragraph changes how its lines break and align: the
  // paragraph is laid out again with it.
  if (start < GetItemCount() && !GetItem(start)->IsParaStart())
    while (start > 0 && !GetItem(start)->IsParaStart()) --start;
  return start;
}

int32_t TCustomRVFormattedData::LineBottomBefore(int DItemNo) const {
  const TRVDrawLines& pieces = DrawItems();
  int32_t bottom = GetTopMargin();
  if (DItemNo <= 0) return bottom;
  int first = 0, last = 0;
  GetLineDrawItemRange(DItemNo - 1, first, last);
  for (int i = first; i <= last; ++i)
    bottom = std::max(bottom, pieces[i]->Top + pieces[i]->Height + pieces[i]->ExtraSpaceBelow);
  return bottom;
}

void TCustomRVFormattedData::FormatLines(bool KeepPosition, bool Repaint, bool NoScrollRestore, int Depth,
                                         TCanvas* Canvas, bool OnlyTail, bool LayoutFlag) {
  if (AreaResizing) {
    AreaResizing = false;
    return;
  }
  TRVStyle* style = GetRVStyle();
  if (Canvas == nullptr) Canvas = GetCanvas();
  if (Depth > 1 || style == nullptr || Canvas == nullptr || FormattingLocked()) return;
  TRVKeptPosition kept;
  {
    TRVStateScope locked(*this, rvstFormattingLocked | (KeepPosition ? rvstKeepPosition : 0));
    if (Depth == 0 && (KeepPosition || OnlyTail)) RememberPosition(OnlyTail, NoScrollRestore, kept);
    TRVFormatScale scale;
    GetScreenAndDeviceInfo(Canvas, scale);
    scale.LeftMargin = RVScreenToDeviceX(GetLeftMargin(), scale);
    scale.RightMargin = RVScreenToDeviceX(GetRightMargin(), scale);
    const int32_t minText = RVScreenToDeviceX(GetMinTextWidth(), scale);
    const int32_t maxText = RVScreenToDeviceX(GetMaxTextWidth(), scale);
    const int32_t clientWidth = GetWidth();
    const int32_t oldDocWidth = DocumentWidth, oldTextWidth = TextWidth;
    const int32_t marginWidth = scale.LeftMargin + scale.RightMargin;
    DocumentWidth = std::max(clientWidth - marginWidth, CalculateMinDocWidth(&scale, *Canvas));
    DocumentWidth = std::max(DocumentWidth, minText);
    if ((GetOptions() & rvoClientTextWidth) != 0)
      TextWidth = std::max(clientWidth - marginWidth, minText);
    else
      TextWidth = DocumentWidth > maxText && GetMaxTextWidth() > 0 ? maxText : DocumentWidth;
    const bool widthsChanged = oldDocWidth != DocumentWidth || oldTextWidth != TextWidth;
    if (KeepPosition && !Repaint && !widthsChanged) return;

    const int count = GetItemCount();
    const int tailStart = OnlyTail && !widthsChanged ? TailStartItem() : -1;
    TRVLineFormatter formatter(*this, *Canvas, scale, LayoutFlag);
    if (tailStart > LastFormattedItemNo) {
      // New paragraphs below the formatted ones: start below the last line.
      const int last = LastFormattedItemNo;
      formatter.Begin(
          DocumentHeight - GetBottomMargin() - formatter.ScaleY(formatter.ParaOf(last).SpaceAfter),
          DrawItems().Count());
      formatter.JumpCount = JumpCount;
    } else if (tailStart >= 0) {
      const int firstPiece = GetFirstDrawItemOfItem(tailStart);
      const int32_t top = LineBottomBefore(firstPiece);
      const TRVNestedPieces nested = NestedDocumentPieces();
      DropJumpsOfPieces(firstPiece, DrawItems().Count() - 1, nested);
      formatter.JumpCount = JumpIdAt(tailStart, firstPiece, nested);
      std::vector<std::unique_ptr<TRVDrawLineInfo>> removed =
          DrawItems().DeleteRange(firstPiece, DrawItems().Count() - 1);
      formatter.Begin(top, firstPiece);
    } else {
      ClearDrawLines();
      formatter.Begin(GetTopMargin(), 0);
    }
    for (int i = std::max(tailStart, 0); i < count; ++i) formatter.FormatItem(i);
    formatter.FinishLine((StateFlags & rvstLastLineContinues) == 0);
    // After a full format the list is complete; an append formats only the tail and would
    // pay a copy of the whole list each time, so it keeps the list's spare room.
    if (tailStart < 0) DrawItems().ReleaseSpare();
    JumpCount = formatter.JumpCount;
    DocumentHeight = GetBottomMargin() + formatter.CurY + formatter.PendingBelow + formatter.LineSpacingExtra;
    if (count > 0) DocumentHeight += formatter.ScaleY(formatter.ParaOf(count - 1).SpaceAfter);
    LastFormattedItemNo = count - 1;
    AdjustVScrollUnits();
    UpdateJumpPositions();
    const int32_t oldWidth = GetWidth(), oldHeight = GetHeight();
    {
      TFlagScope resizing(AreaResizing);
      SetDocumentAreaSize(GetLeftMargin() + DocumentWidth + GetRightMargin(), DocumentHeight, true);
    }
    if (oldWidth != GetWidth() || oldHeight != GetHeight()) {
      StateFlags &= ~rvstFormattingLocked;
      FormatLines(KeepPosition, Repaint, false, Depth + 1, Canvas, false, LayoutFlag);
      StateFlags |= rvstFormattingLocked;
    }
  }
  if (Depth != 0) return;
  if (KeepPosition && !NoScrollRestore && !OnlyTail && kept.TopItemNo >= 0 &&
      kept.TopItemNo < GetItemCount()) {
    const int d = FindDrawItemOfItem(kept.TopItemNo);
    VScrollTo(d >= 0 ? DrawItems()[d]->Top + kept.TopDistance : 0, false);
  }
  AdjustControlsPlacement();
  if (OnlyTail) {
    if ((GetOptions() & rvoScrollToEnd) != 0)
      VScrollTo(std::max(0, DocumentHeight - GetHeight()), false);
    else
      VScrollTo(kept.ScrollPos, false);
  }
  if (KeepPosition) RestoreSelection(kept);
  LastFormattedItemNo = GetItemCount() - 1;
  AfterFormatParas(0, GetItemCount() - 1, false);
}
