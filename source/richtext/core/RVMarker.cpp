#include "richtext/core/RVMarker.h"

#include <algorithm>
#include <array>

#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Picture.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/DLines.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"

namespace {

int32_t ScaleX(int32_t value, const TRVFormatScale* scale) {
  return scale ? RVScreenToDeviceX(value, *scale) : value;
}

int32_t ScaleY(int32_t value, const TRVFormatScale* scale) {
  return scale ? RVScreenToDeviceY(value, *scale) : value;
}

TGraphic* LevelGraphic(const TRVListLevel& level) {
  const TPicture* picture = level.PictureIfAny();
  return picture ? picture->Graphic() : nullptr;
}

bool IsImageListType(TRVListType type) {
  return type == rvlstImageList || type == rvlstImageListCounter;
}

/// Selects the level's font into the canvas for measuring or drawing a text marker: its
/// height from the sheet's marker resolution when there is one, no character extra, text
/// aligned at its top-left corner.
void ApplyMarkerFont(TCanvas& canvas, TRVListLevel& level, TRVStyle* style) {
  canvas.Font().Assign(level.Font());
  const int32_t ppi = style ? style->TextStyles().PixelsPerInch : 0;
  if (ppi != 0 && level.Font().Size() > 0) canvas.Font().SetHeight(-MulDiv(level.Font().Size(), ppi, 72));
  canvas.SetTextCharacterExtra(0);
  canvas.SetTextAlign(TA_LEFT | TA_TOP);
}

/// The index of the marker's image in the level's image list, -1 when it is not there.
int32_t ImageIndexToDraw(const TRVListLevel& level, int32_t counter) {
  if (level.ImageList == nullptr) return -1;
  int64_t index = level.ImageIndex;
  if (level.ListType == rvlstImageListCounter) index += static_cast<int64_t>(counter) - 1;
  return index >= 0 && index < level.ImageList->Count() ? static_cast<int32_t>(index) : -1;
}

/// The plain-text form of a symbol-font bullet: the symbols that stand for bullets become
/// "*", the arrows become their ASCII drawings.
std::string MapSymbolBullet(std::string s) {
  for (char& c : s) {
    const auto b = static_cast<uint8_t>(c);
    if (b == 167 || b == 168 || b == 169 || b == 170 || b == 183 || b == 215 || b == 224) c = '*';
  }
  static const struct {
    uint8_t symbol;
    const char* text;
  } kArrows[] = {{0xDB, "<=>"}, {0xDC, "<="}, {0xDE, "=>"}, {0xAB, "<->"}, {0xAC, "<-"}, {0xAE, "->"}};
  for (const auto& arrow : kArrows) {
    std::string mapped;
    for (char c : s) {
      if (static_cast<uint8_t>(c) == arrow.symbol)
        mapped += arrow.text;
      else
        mapped += c;
    }
    s = std::move(mapped);
  }
  return s;
}

/// UTF-16 text as 8-bit text of the ANSI code page, every character it lacks as "*".
std::string WideToAnsiStars(std::u16string_view w) {
  std::string out;
  for (char16_t ch : w) {
    const std::string converted = RVUnicodeToAnsi(0, RVWideStringToBytes(std::u16string_view(&ch, 1)));
    out += converted == "?" && ch != u'?' ? std::string("*") : converted;
  }
  return out;
}

/// Marks and renumbers a list style number the way the item base does for paragraphs.
void MarkUsed(TRVIntegerList& used, int32_t index) {
  if (index >= 0 && index < used.Count()) used.SetValue(index, 1);
}

int32_t Renumbered(const TRVIntegerList& map, int32_t index) {
  if (index < 0 || index >= map.Count()) return index;
  return index - (map.GetValue(index) - 1);
}

}  // namespace

int32_t RVMarkerGetEffectiveLevel(TRVStyle* Style, int32_t ListNo, int32_t Level) {
  if (Style == nullptr || ListNo < 0 || Level < 0 || ListNo >= Style->ListStyles().Count()) return -1;
  const int levels = Style->ListStyles().Items(ListNo)->Levels().Count();
  if (levels == 0) return -1;
  return std::min({Level, levels - 1, RVMaxListLevels - 1});
}

TRVListLevel* RVMarkerGetListLevel(TRVStyle* Style, int32_t ListNo, int32_t Level) {
  const int32_t level = RVMarkerGetEffectiveLevel(Style, ListNo, Level);
  return level < 0 ? nullptr : Style->ListStyles().Items(ListNo)->Levels().Items(level);
}

// ---------------------------------------------------------------------------------------
// TRVMarkerItemInfo

TRVMarkerItemInfo::TRVMarkerItemInfo(TCustomRVData* RVData) : TRVRectItemInfo(RVData) {
  SetSameAsPrev(false);
}

std::unique_ptr<TRVMarkerItemInfo> TRVMarkerItemInfo::CreateForList(TCustomRVData* RVData, int32_t AListNo,
                                                                    int32_t ALevel, int32_t AStartFrom,
                                                                    bool AReset) {
  auto marker = std::make_unique<TRVMarkerItemInfo>(RVData);
  marker->StyleNo = rvsListMarker;
  marker->ListNo = AListNo;
  marker->Level = ALevel;
  marker->StartFrom = AStartFrom;
  marker->Reset = AReset;
  return marker;
}

int TRVMarkerItemInfo::GetIndexInList(const TRVMarkerList* List) {
  if (List == nullptr) return -1;
  if (IndexInList >= 0 && IndexInList < List->Count() && List->Items(IndexInList) == this) return IndexInList;
  IndexInList = List->IndexOf(this);
  return IndexInList;
}

void TRVMarkerItemInfo::CalcDisplayString(TRVStyle* Style, const TRVMarkerList& List, int Index) {
  TRVListLevel* ownRecord = GetLevelInfo(Style);
  if (ownRecord == nullptr) {
    DisplayString.clear();
    return;
  }
  switch (ownRecord->ListType) {
    case rvlstBullet:
      DisplayString = ownRecord->FormatString;
      return;
    case rvlstDecimal:
    case rvlstLowerAlpha:
    case rvlstUpperAlpha:
    case rvlstLowerRoman:
    case rvlstUpperRoman:
      break;
    default:
      DisplayString.clear();
      return;
  }
  // Counter texts of this level and of every level above it: each from the nearest marker
  // of that level before this one, or the level's start value where no marker stands. The
  // template may name any of the RVMaxListLevels arguments; those of deeper levels are empty.
  const int32_t ownLevel = RVMarkerGetEffectiveLevel(Style, ListNo, Level);
  const bool legal = (ownRecord->Options & rvloLegalStyleNumbering) != 0;
  std::vector<std::string> texts(RVMaxListLevels);
  const TRVMarkerItemInfo* c = this;
  const TRVListLevel* record = ownRecord;
  int32_t k = ownLevel;
  int index = Index;
  while (true) {
    TRVListType type = record->ListType;
    if (k < ownLevel && legal && type >= rvlstLowerAlpha && type <= rvlstUpperRoman) type = rvlstDecimal;
    texts[static_cast<size_t>(k)] = RVMarkerCounterText(c->Counter, type);
    if (k == 0) break;
    const int p = List.FindPreviousSameList(index, Style);
    const TRVMarkerItemInfo* previous = p >= 0 ? List.Items(p) : nullptr;
    const int32_t previousLevel = previous ? RVMarkerGetEffectiveLevel(Style, ListNo, previous->Level) : -1;
    for (int32_t j = k - 1; j > previousLevel; --j) {
      const TRVListLevel* levelJ = RVMarkerGetListLevel(Style, ListNo, j);
      texts[static_cast<size_t>(j)] = RVMarkerCounterText(levelJ->StartFrom, levelJ->ListType);
    }
    if (previous == nullptr) break;
    c = previous;
    index = p;
    k = previousLevel;
    record = RVMarkerGetListLevel(Style, ListNo, k);
  }
  DisplayString = RVFormatMarkerText(ownRecord->FormatString, texts);
}

TRVMarkerMetrics TRVMarkerItemInfo::MeasureMarker(TRVStyle* Style, TCanvas* Canvas,
                                                  const TRVFormatScale* ScreenAndDevice, bool RightToLeft) {
  TRVMarkerMetrics m;
  TRVListLevel* level = GetLevelInfo(Style);
  if (level == nullptr) return m;
  int32_t measured = 0;
  switch (level->ListType) {
    case rvlstPicture:
      if (TGraphic* graphic = LevelGraphic(*level)) {
        measured = ScaleX(graphic->Width(), ScreenAndDevice);
        m.Height = ScaleY(graphic->Height(), ScreenAndDevice);
      }
      break;
    case rvlstImageList:
    case rvlstImageListCounter:
      if (level->ImageList != nullptr) {
        measured = ScaleX(level->ImageList->Width(), ScreenAndDevice);
        m.Height = ScaleY(level->ImageList->Height(), ScreenAndDevice);
      }
      break;
    default: {
      TCanvas measuringCanvas;
      TCanvas& canvas = Canvas ? *Canvas : measuringCanvas;
      ApplyMarkerFont(canvas, *level, Style);
      const TSize extent = level->ListType == rvlstUnicodeBullet ? canvas.TextExtentW(level->FormatStringW)
                                                                 : canvas.TextExtent(DisplayString);
      TTextMetric tm;
      canvas.GetTextMetrics(tm);
      measured = extent.cx;
      m.Height = extent.cy;
      m.Descent = tm.tmDescent;
      break;
    }
  }
  // The part A before the marker's position and B after it; B reaches at least to where
  // the paragraph's text begins.
  int32_t a = 0;
  int32_t b = measured;
  if (level->MarkerAlignment == rvmaRight) {
    a = measured;
    b = 0;
  } else if (level->MarkerAlignment == rvmaCenter) {
    b = measured / 2;
    a = measured - b;
  }
  b = std::max(b, ScaleX(level->FirstIndent + level->LeftIndent - level->MarkerIndent, ScreenAndDevice));
  m.Width = a + b;
  if (RightToLeft) {
    m.Offset = a;
    m.HorizontalOffset = a + b - measured;
  } else {
    m.Offset = -a;
  }
  return m;
}

void TRVMarkerItemInfo::DrawMarker(TCanvas& Canvas, int32_t X, int32_t Y, TRVStyle* Style,
                                   TRVColorMode ColorMode, TRVDrawLineInfo* DrawItem) {
  TRVListLevel* level = GetLevelInfo(Style);
  if (level == nullptr) return;
  if (DrawItem != nullptr) X += DrawItem->SpaceBefore;
  switch (level->ListType) {
    case rvlstPicture:
      if (TGraphic* graphic = LevelGraphic(*level)) Canvas.Draw(X, Y, graphic);
      break;
    case rvlstImageList:
    case rvlstImageListCounter:
      if (const int32_t index = ImageIndexToDraw(*level, Counter); index >= 0)
        level->ImageList->Draw(Canvas, X, Y, index);
      break;
    default:
      ApplyMarkerFont(Canvas, *level, Style);
      Canvas.Font().SetColor(RVTextColorForColorMode(level->Font().Color(), ColorMode));
      Canvas.Brush().SetStyle(bsClear);
      if (level->ListType == rvlstUnicodeBullet)
        Canvas.TextOutW(X, Y, level->FormatStringW);
      else
        Canvas.TextOut(X, Y, DisplayString);
      break;
  }
}

std::string TRVMarkerItemInfo::GetPlainText(TRVStyle* Style, bool Unicode) {
  TRVListLevel* level = GetLevelInfo(Style);
  if (level == nullptr) return {};
  std::string text;
  switch (level->ListType) {
    case rvlstPicture:
    case rvlstImageList:
    case rvlstImageListCounter:
      text = "* ";
      break;
    case rvlstUnicodeBullet:
      if (Unicode) return RVWideStringToBytes(level->FormatStringW + u" ");
      text = WideToAnsiStars(level->FormatStringW) + " ";
      break;
    default:
      text = SameText(level->Font().Name(), "Symbol") ? MapSymbolBullet(DisplayString) : DisplayString;
      text += ' ';
      break;
  }
  return Unicode ? RVAnsiToUnicode(0, text) : text;
}

int32_t TRVMarkerItemInfo::GetMinimumWidth(const TRVFormatScale* ScreenAndDevice, TCanvas* Canvas) {
  if (OwnerData == nullptr) return ScaleX(Width, ScreenAndDevice);
  const bool rtl = OwnerData->GetParaBiDiMode(ParaNo) == rvbdRightToLeft;
  return MeasureMarker(OwnerData->GetRVStyle(), Canvas, ScreenAndDevice, rtl).Width;
}

bool TRVMarkerItemInfo::QueryFeature(int Code) const {
  if (Code == rvfqChangesCanvasFont || Code == rvfqUnicodePlainText) return true;
  return TRVRectItemInfo::QueryFeature(Code);
}

bool TRVMarkerItemInfo::QueryFeatureForStyle(int Code, TRVStyle* Style) const {
  if (Code == rvsfSizesOwnPiece) return true;
  if (Code != rvsfPrintViaBitmap) return TRVRectItemInfo::QueryFeatureForStyle(Code, Style);
  const TRVListLevel* level = GetLevelInfo(Style);
  if (level == nullptr) return false;
  if (IsImageListType(level->ListType)) return true;
  if (level->ListType != rvlstPicture) return false;
  const TGraphic* graphic = LevelGraphic(*level);
  return graphic != nullptr && dynamic_cast<const TMetafile*>(graphic) == nullptr;
}

void TRVMarkerItemInfo::Paint(int32_t X, int32_t Y, TCanvas& Canvas, TRVItemDrawStates State, TRVStyle* Style,
                              TRVDrawLineInfo* DrawItem) {
  (void)State;
  DrawMarker(Canvas, X, Y, Style, 0, DrawItem);
}

bool TRVMarkerItemInfo::PrintToBitmap(TBitmap& Bitmap, bool Preview, TCustomRVData* RVData,
                                      TRVColorMode ColorMode, int PartIndex, TRVDrawLineInfo* DrawItem) {
  (void)Preview, (void)PartIndex, (void)DrawItem;
  // The bitmap is the marker's own size: the piece's justification space is not in it.
  DrawMarker(Bitmap.Canvas(), 0, 0, RVData ? RVData->GetRVStyle() : nullptr, ColorMode, nullptr);
  return true;
}

void TRVMarkerItemInfo::PrintDirect(TCanvas& Canvas, int32_t X, int32_t Y, bool Preview, bool Correction,
                                    TCustomRVData* RVData, TRVColorMode ColorMode, int PartIndex,
                                    TRVDrawLineInfo* DrawItem) {
  (void)Preview, (void)Correction, (void)PartIndex;
  DrawMarker(Canvas, X, Y, RVData ? RVData->GetRVStyle() : nullptr, ColorMode, DrawItem);
}

int32_t TRVMarkerItemInfo::GetImageWidth(TRVStyle* Style) const {
  const TRVListLevel* level = GetLevelInfo(Style);
  if (level == nullptr) return 0;
  if (level->ListType == rvlstPicture) {
    const TGraphic* graphic = LevelGraphic(*level);
    return graphic ? graphic->Width() : 0;
  }
  if (IsImageListType(level->ListType) && level->ImageList) return level->ImageList->Width();
  return 0;
}

int32_t TRVMarkerItemInfo::GetImageHeight(TRVStyle* Style) const {
  const TRVListLevel* level = GetLevelInfo(Style);
  if (level == nullptr) return 0;
  if (level->ListType == rvlstPicture) {
    const TGraphic* graphic = LevelGraphic(*level);
    return graphic ? graphic->Height() : 0;
  }
  if (IsImageListType(level->ListType) && level->ImageList) return level->ImageList->Height();
  return 0;
}

void TRVMarkerItemInfo::GetWidthRequirements(int32_t AWidth, TRVDrawLineInfo* DrawItem, bool Printing,
                                             TCanvas* Canvas, TCustomRVData* RVData,
                                             const TRVFormatScale* ScreenAndDevice, bool FormatFlag,
                                             int32_t& ADescent, int32_t& AOffset) {
  (void)AWidth, (void)FormatFlag;
  TRVStyle* style = RVData ? RVData->GetRVStyle() : nullptr;
  const bool rtl = RVData != nullptr && RVData->GetParaBiDiMode(ParaNo) == rvbdRightToLeft;
  const TRVMarkerMetrics m = MeasureMarker(style, Canvas, ScreenAndDevice, rtl);
  if (DrawItem != nullptr) DrawItem->SetSize(m.Width, m.Height);
  ADescent = m.Descent;
  AOffset = m.Offset;
  if (Printing) return;
  Width = m.Width;
  Height = m.Height;
  Descent = m.Descent;
  HorizontalOffset = m.HorizontalOffset;
}

std::string TRVMarkerItemInfo::GetRVFHeaderParams(TCustomRVData* RVData) const {
  (void)RVData;
  return IntToStr(ListNo) + " " + IntToStr(Level) + " " + IntToStr(StartFrom) + " " + (Reset ? "1" : "0");
}

void TRVMarkerItemInfo::CopyProperties(const TCustomRVItemInfo& Source) {
  if (const auto* source = dynamic_cast<const TRVMarkerItemInfo*>(&Source)) {
    ListNo = source->ListNo;
    Level = source->Level;
    StartFrom = source->StartFrom;
    Reset = source->Reset;
  }
  TRVRectItemInfo::CopyProperties(Source);
}

void TRVMarkerItemInfo::DetachFromData(TCustomRVData* RVData, int ItemNo) {
  TRVRectItemInfo::DetachFromData(RVData, ItemNo);
  if (RVData != nullptr) RVData->RemoveMarkerFromList(this, (RVData->StateFlags & rvstClearing) != 0);
}

void TRVMarkerItemInfo::AttachToData(TCustomRVData* RVData, int ItemNo) {
  TRVRectItemInfo::AttachToData(RVData, ItemNo);
  if (RVData != nullptr) RVData->AddMarkerToList(ItemNo);
}

void TRVMarkerItemInfo::MarkStylesInUse(TRVIntegerList& UsedTextStyles, TRVIntegerList& UsedParaStyles,
                                        TRVIntegerList& UsedListStyles) const {
  TRVRectItemInfo::MarkStylesInUse(UsedTextStyles, UsedParaStyles, UsedListStyles);
  MarkUsed(UsedListStyles, ListNo);
}

void TRVMarkerItemInfo::RenumberStyles(const TRVIntegerList& TextStylesMap,
                                       const TRVIntegerList& ParaStylesMap,
                                       const TRVIntegerList& ListStylesMap) {
  TRVRectItemInfo::RenumberStyles(TextStylesMap, ParaStylesMap, ListStylesMap);
  ListNo = Renumbered(ListStylesMap, ListNo);
}

// ---------------------------------------------------------------------------------------
// TRVMarkerList

TRVMarkerItemInfo* TRVMarkerList::Items(int Index) const {
  if (Index < 0 || Index >= Count()) RaiseListIndexError(Index);
  return items_[static_cast<size_t>(Index)];
}

int TRVMarkerList::IndexOf(const TCustomRVItemInfo* Marker) const {
  const auto it = std::find(items_.begin(), items_.end(), Marker);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TRVMarkerList::Insert(int Index, TRVMarkerItemInfo* Marker) {
  if (Index < 0 || Index > Count()) RaiseListIndexError(Index);
  items_.insert(items_.begin() + Index, Marker);
}

void TRVMarkerList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) RaiseListIndexError(Index);
  items_.erase(items_.begin() + Index);
}

int TRVMarkerList::FindPreviousSameList(int Index, TRVStyle* Style) const {
  const TRVMarkerItemInfo* marker = Items(Index);
  const int32_t level = RVMarkerGetEffectiveLevel(Style, marker->ListNo, marker->Level);
  for (int i = Index - 1; i >= 0; --i) {
    const TRVMarkerItemInfo* other = items_[static_cast<size_t>(i)];
    if (other->ListNo != marker->ListNo) continue;
    const int32_t otherLevel = RVMarkerGetEffectiveLevel(Style, other->ListNo, other->Level);
    if (otherLevel >= 0 && otherLevel < level) return i;
  }
  return -1;
}

int TRVMarkerList::InsertAfter(TRVMarkerItemInfo* Marker, TRVMarkerItemInfo* Prev) {
  const int index = Prev ? Prev->GetIndexInList(this) + 1 : 0;
  Insert(index, Marker);
  Marker->IndexInList = index;
  return index;
}

void TRVMarkerList::RecalcCounters(int FromIndex, TRVStyle* Style) {
  if (FromIndex < 0) FromIndex = 0;
  if (FromIndex >= Count()) return;
  const int32_t listNo = items_[static_cast<size_t>(FromIndex)]->ListNo;
  if (listNo < 0) return;
  for (int i = FromIndex; i < Count(); ++i) {
    TRVMarkerItemInfo* m = items_[static_cast<size_t>(i)];
    if (m->ListNo != listNo) continue;
    m->IndexInList = i;
    if (m->Reset) {
      m->Counter = m->StartFrom;
    } else {
      const TRVListLevel* record = m->GetLevelInfo(Style);
      const int32_t startFrom = record ? record->StartFrom : 1;
      const bool levelReset = record && (record->Options & rvloLevelReset) != 0;
      const int32_t level = RVMarkerGetEffectiveLevel(Style, listNo, m->Level);
      m->Counter = startFrom;
      for (int j = i - 1; j >= 0; --j) {
        const TRVMarkerItemInfo* other = items_[static_cast<size_t>(j)];
        if (other->ListNo != listNo) continue;
        const int32_t otherLevel = RVMarkerGetEffectiveLevel(Style, listNo, other->Level);
        if (otherLevel < 0) continue;  // a marker without a level record takes no part
        if (otherLevel == level) {
          m->Counter = other->Counter + 1;
          break;
        }
        if (otherLevel < level) {
          if (levelReset) {
            m->Counter = startFrom;
            break;
          }
        } else {
          m->Counter = startFrom + 1;
        }
      }
    }
    m->CalcDisplayString(Style, *this, i);
  }
}
