#include "richtext/core/RVItem.h"

#include <array>

#include "platform/core/SysUtils.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/DLines.h"
#include "richtext/core/RVClasses.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVStyle.h"

const std::string_view RVItemIntPropNames[rvipCount] = {
    "",      "vshift", "vshiftabs",       "width",   "height",    "transparent",
    "tmode", "tcolor", "minheightonpage", "spacing", "resizable", "unremovable",
};

TRVItemIntPropCode RVGetItemIntPropCode(std::string_view name) {
  for (int code = 1; code < rvipCount; ++code)
    if (RVItemIntPropNames[code] == name) return static_cast<TRVItemIntPropCode>(code);
  return rvipUnknown;
}

namespace {

/// Writes one "name=value" extra-property line.
void WriteIntProperty(TStream& stream, TRVItemIntPropCode code, int32_t value) {
  std::string line(RVItemIntPropNames[code]);
  line += '=';
  line += IntToStr(value);
  RVWriteLine(stream, line);
}

/// Marks entry `index` of a used-styles list; numbers outside the list mark nothing.
void MarkUsed(TRVIntegerList& used, int32_t index) {
  if (index >= 0 && index < used.Count()) used.SetValue(index, 1);
}

/// The style number after unused styles were removed (unchanged when outside the map).
int32_t Renumbered(const TRVIntegerList& map, int32_t index) {
  if (index < 0 || index >= map.Count()) return index;
  return index - (map.GetValue(index) - 1);
}

bool TagsArePChars(const TCustomRVData* rvData) {
  return rvData != nullptr && (rvData->GetOptions() & rvoTagsArePChars) != 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TRVCPInfo

void TRVCPInfo::Assign(const TRVCPInfo& source, bool tagsArePChars) {
  Name = source.Name;
  RaiseEvent = source.RaiseEvent;
  Tag = RVCopyTag(source.Tag, tagsArePChars);
}

std::unique_ptr<TRVCPInfo> TRVCPInfo::Duplicate(const TRVCPInfo& source, bool tagsArePChars) {
  auto copy = std::make_unique<TRVCPInfo>();
  copy->Assign(source, tagsArePChars);
  return copy;
}

// ---------------------------------------------------------------------------------------
// TCustomRVItemInfo

TRVItemClass TCustomRVItemInfo::ItemClass() {
  static const TRVItemClassInfo info{"TCustomRVItemInfo",
                                     [](TCustomRVData* rvData) -> std::unique_ptr<TCustomRVItemInfo> {
                                       return std::make_unique<TCustomRVItemInfo>(rvData);
                                     }};
  return &info;
}

TCustomRVItemInfo::TCustomRVItemInfo(TCustomRVData* RVData) {
  (void)RVData;
  DrawItemNo = -1;
}

void TCustomRVItemInfo::SetSameAsPrev(bool Value) {
  if (Value)
    ItemOptions =
        static_cast<TRVItemOptions>((ItemOptions & ~(rvioPageBreak | rvioLineBreak)) | rvioJoinsPrevious);
  else
    ItemOptions = static_cast<TRVItemOptions>(ItemOptions & ~rvioJoinsPrevious);
}

bool TCustomRVItemInfo::ContinuesParagraph(const TCustomRVItemInfo* Before, int32_t ParaNo) {
  return ParaNo == -1 && Before != nullptr && !Before->QueryFeature(rvfqOwnLine);
}

void TCustomRVItemInfo::PlaceInParagraph(const TCustomRVItemInfo* Before, int32_t ParaNo) {
  if (ContinuesParagraph(Before, ParaNo)) {
    SetSameAsPrev(true);
    this->ParaNo = Before->ParaNo;
  } else {
    SetSameAsPrev(false);
    this->ParaNo = ParaNo == -1 ? 0 : ParaNo;
  }
}

void TCustomRVItemInfo::SetBR(bool Value) {
  // A line break inside a paragraph excludes both other line marks, and an item that takes
  // a whole line never carries it.
  if (Value && !QueryFeature(rvfqOwnLine))
    ItemOptions =
        static_cast<TRVItemOptions>((ItemOptions & ~(rvioJoinsPrevious | rvioPageBreak)) | rvioLineBreak);
  else
    ItemOptions = static_cast<TRVItemOptions>(ItemOptions & ~rvioLineBreak);
}

void TCustomRVItemInfo::SetPageBreakBefore(bool Value) {
  if (Value)
    ItemOptions =
        static_cast<TRVItemOptions>((ItemOptions & ~(rvioJoinsPrevious | rvioLineBreak)) | rvioPageBreak);
  else
    ItemOptions = static_cast<TRVItemOptions>(ItemOptions & ~rvioPageBreak);
}

int32_t TCustomRVItemInfo::GetMinimumWidth(const TRVFormatScale* ScreenAndDevice, TCanvas* Canvas) {
  (void)Canvas;
  constexpr int32_t kMinimumWidth = 20;
  return ScreenAndDevice != nullptr ? RVScreenToDeviceX(kMinimumWidth, *ScreenAndDevice) : kMinimumWidth;
}

bool TCustomRVItemInfo::QueryFeature(int Code) const {
  return Code == rvfqHasContent || Code == rvfqHasRVFDataLines || Code >= 10;
}

bool TCustomRVItemInfo::QueryFeatureForStyle(int Code, TRVStyle* Style) const {
  (void)Style;
  return Code == rvsfPrintViaBitmap;
}

void TCustomRVItemInfo::PaintFullWidth(int32_t Left, int32_t Right, int32_t Top, TCanvas& Canvas,
                                       TRVItemDrawStates State, TRVStyle* Style, const TRect& ClipRect,
                                       TRVDrawLineInfo* DrawItem) {
  (void)Left, (void)Right, (void)Top, (void)Canvas, (void)State, (void)Style, (void)ClipRect, (void)DrawItem;
}

void TCustomRVItemInfo::Paint(int32_t X, int32_t Y, TCanvas& Canvas, TRVItemDrawStates State, TRVStyle* Style,
                              TRVDrawLineInfo* DrawItem) {
  (void)X, (void)Y, (void)Canvas, (void)State, (void)Style, (void)DrawItem;
}

bool TCustomRVItemInfo::PrintToBitmap(TBitmap& Bitmap, bool Preview, TCustomRVData* RVData,
                                      TRVColorMode ColorMode, int PartIndex, TRVDrawLineInfo* DrawItem) {
  (void)Bitmap, (void)Preview, (void)RVData, (void)ColorMode, (void)PartIndex, (void)DrawItem;
  return false;
}

void TCustomRVItemInfo::PrintDirect(TCanvas& Canvas, int32_t X, int32_t Y, bool Preview, bool Correction,
                                    TCustomRVData* RVData, TRVColorMode ColorMode, int PartIndex,
                                    TRVDrawLineInfo* DrawItem) {
  (void)Canvas, (void)X, (void)Y, (void)Preview, (void)Correction, (void)RVData, (void)ColorMode,
      (void)PartIndex, (void)DrawItem;
}

int32_t TCustomRVItemInfo::GetImageWidth(TRVStyle* Style) const {
  (void)Style;
  return 0;
}

int32_t TCustomRVItemInfo::GetImageHeight(TRVStyle* Style) const {
  (void)Style;
  return 0;
}

std::unique_ptr<TRVDrawLineInfo> TCustomRVItemInfo::CreateDrawItem(TCustomRVData* RVData,
                                                                   const TRVFormatScale* ScreenAndDevice) {
  (void)RVData, (void)ScreenAndDevice;
  return std::make_unique<TRVDrawLineInfo>();
}

void TCustomRVItemInfo::GetWidthRequirements(int32_t Width, TRVDrawLineInfo* DrawItem, bool Printing,
                                             TCanvas* Canvas, TCustomRVData* RVData,
                                             const TRVFormatScale* ScreenAndDevice, bool FormatFlag,
                                             int32_t& Descent, int32_t& Offset) {
  (void)Width, (void)DrawItem, (void)Printing, (void)Canvas, (void)RVData, (void)ScreenAndDevice,
      (void)FormatFlag;
  Descent = 1;
  Offset = 0;
}

int32_t TCustomRVItemInfo::DrawBackgroundForPrinting(int32_t Top, TCanvas& Canvas, const TRect& ItemRect,
                                                     TRVColorMode ColorMode) {
  (void)Canvas, (void)ItemRect, (void)ColorMode;
  return Top;
}

std::string TCustomRVItemInfo::GetRVFHeaderParams(TCustomRVData* RVData) const {
  (void)RVData;
  return std::string();
}

void TCustomRVItemInfo::CopyProperties(const TCustomRVItemInfo& Source) {
  StyleNo = Source.StyleNo;
  ParaNo = Source.ParaNo;
  ItemOptions = Source.ItemOptions;
}

bool TCustomRVItemInfo::OwnsControl(const TObject* Control) const {
  (void)Control;
  return false;
}

void TCustomRVItemInfo::UpdatePaletteInfo(TRVPaletteAction Action, bool ForceRecreateCopy,
                                          TRVPalette Palette) {
  (void)Action, (void)ForceRecreateCopy, (void)Palette;
}

void TCustomRVItemInfo::DetachFromData(TCustomRVData* RVData, int ItemNo) {
  (void)ItemNo;
  if (RVData == nullptr) return;
  std::string none;
  RVData->ItemAction(rviaMovingToUndoList, this, none, RVData);
}

void TCustomRVItemInfo::AttachToData(TCustomRVData* RVData, int ItemNo) {
  (void)RVData, (void)ItemNo;
}

TCursor TCustomRVItemInfo::GetJumpCursor(TRVStyle* Style) const {
  return Style != nullptr ? Style->JumpCursor : crDefault;
}

void TCustomRVItemInfo::FireJump(TCustomRVData* RVData) {
  (void)RVData;
}

void TCustomRVItemInfo::MarkStylesInUse(TRVIntegerList& UsedTextStyles, TRVIntegerList& UsedParaStyles,
                                        TRVIntegerList& UsedListStyles) const {
  (void)UsedTextStyles, (void)UsedListStyles;
  MarkUsed(UsedParaStyles, ParaNo);
}

void TCustomRVItemInfo::RenumberStyles(const TRVIntegerList& TextStylesMap,
                                       const TRVIntegerList& ParaStylesMap,
                                       const TRVIntegerList& ListStylesMap) {
  (void)TextStylesMap, (void)ListStylesMap;
  ParaNo = Renumbered(ParaStylesMap, ParaNo);
}

TCustomRVData* TCustomRVItemInfo::GetSubDocument(std::unique_ptr<TRVStoreSubRVData>& State, int Direction) {
  (void)Direction;
  State.reset();
  return nullptr;
}

bool TCustomRVItemInfo::MouseDownHook(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y,
                                      int ItemNo, TCustomRVData* RVData) {
  (void)Button, (void)Shift, (void)X, (void)Y, (void)ItemNo, (void)RVData;
  return false;
}

bool TCustomRVItemInfo::MouseMoveHook(TShiftState Shift, int32_t X, int32_t Y, int ItemNo,
                                      TCustomRVData* RVData) {
  (void)Shift, (void)X, (void)Y, (void)ItemNo, (void)RVData;
  return false;
}

void TCustomRVItemInfo::MouseUpHook(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, int ItemNo,
                                    TCustomRVData* RVData) {
  (void)Button, (void)Shift, (void)X, (void)Y, (void)ItemNo, (void)RVData;
}

bool TCustomRVItemInfo::MoveFocusInside(bool GoForward, TCustomRVData*& FocusedData, int& FocusedItemNo) {
  (void)GoForward, (void)FocusedData, (void)FocusedItemNo;
  return false;
}

void TCustomRVItemInfo::BuildSubJumps(int32_t Left, int32_t Top, TObjectList<TRVJumpInfo>& List,
                                      int& StartJumpNo) {
  (void)Left, (void)Top, (void)List, (void)StartJumpNo;
}

bool TCustomRVItemInfo::GetCellAtPoint(int32_t X, int32_t Y, int& Row, int& Col) {
  (void)X, (void)Y;
  Row = -1;
  Col = -1;
  return false;
}

bool TCustomRVItemInfo::CanEditCell(int Row, int Col) {
  (void)Row, (void)Col;
  return true;
}

bool TCustomRVItemInfo::SetIntPropertyByCode(int Code, int32_t Value) {
  (void)Code, (void)Value;
  return false;
}

bool TCustomRVItemInfo::GetIntPropertyByCode(int Code, int32_t& Value) const {
  (void)Code, (void)Value;
  return false;
}

// ---------------------------------------------------------------------------------------
// TRVNonTextItemInfo, TRVFullLineItemInfo, TRVRectItemInfo

int TRVNonTextItemInfo::CountRVFExtraProperties() const {
  return TCustomRVItemInfo::CountRVFExtraProperties() + (DeleteProtect ? 1 : 0);
}

void TRVNonTextItemInfo::SaveRVFExtraProperties(TStream& Stream) const {
  TCustomRVItemInfo::SaveRVFExtraProperties(Stream);
  if (DeleteProtect) WriteIntProperty(Stream, rvipDeleteProtect, 1);
}

void TRVNonTextItemInfo::CopyProperties(const TCustomRVItemInfo& Source) {
  if (const auto* source = dynamic_cast<const TRVNonTextItemInfo*>(&Source))
    DeleteProtect = source->DeleteProtect;
  TCustomRVItemInfo::CopyProperties(Source);
}

bool TRVNonTextItemInfo::SetIntPropertyByCode(int Code, int32_t Value) {
  if (Code != rvipDeleteProtect) return TCustomRVItemInfo::SetIntPropertyByCode(Code, Value);
  DeleteProtect = Value != 0;
  return true;
}

bool TRVNonTextItemInfo::GetIntPropertyByCode(int Code, int32_t& Value) const {
  if (Code != rvipDeleteProtect) return TCustomRVItemInfo::GetIntPropertyByCode(Code, Value);
  Value = DeleteProtect ? 1 : 0;
  return true;
}

bool TRVFullLineItemInfo::QueryFeature(int Code) const {
  return Code == rvfqOwnLine || TRVNonTextItemInfo::QueryFeature(Code);
}

int TRVRectItemInfo::CountRVFExtraProperties() const {
  return TRVNonTextItemInfo::CountRVFExtraProperties() + (VShift != 0 ? 1 : 0) + (VShiftAbs ? 1 : 0) +
         (Spacing != 1 ? 1 : 0);
}

void TRVRectItemInfo::SaveRVFExtraProperties(TStream& Stream) const {
  TRVNonTextItemInfo::SaveRVFExtraProperties(Stream);
  if (VShift != 0) WriteIntProperty(Stream, rvipVShift, VShift);
  if (VShiftAbs) WriteIntProperty(Stream, rvipVShiftAbs, 1);
  if (Spacing != 1) WriteIntProperty(Stream, rvipSpacing, Spacing);
}

void TRVRectItemInfo::CopyProperties(const TCustomRVItemInfo& Source) {
  if (const auto* source = dynamic_cast<const TRVRectItemInfo*>(&Source)) {
    MinHeightOnPage = source->MinHeightOnPage;
    VAlign = source->VAlign;
    VShift = source->VShift;
    VShiftAbs = source->VShiftAbs;
    Spacing = source->Spacing;
  }
  TRVNonTextItemInfo::CopyProperties(Source);
}

bool TRVRectItemInfo::SetIntPropertyByCode(int Code, int32_t Value) {
  switch (Code) {
    case rvipVShift:
      VShift = Value;
      return true;
    case rvipVShiftAbs:
      VShiftAbs = Value != 0;
      return true;
    case rvipSpacing:
      Spacing = Value < 0 ? 0 : Value;
      return true;
    default:
      return TRVNonTextItemInfo::SetIntPropertyByCode(Code, Value);
  }
}

bool TRVRectItemInfo::GetIntPropertyByCode(int Code, int32_t& Value) const {
  switch (Code) {
    case rvipVShift:
      Value = VShift;
      return true;
    case rvipVShiftAbs:
      Value = VShiftAbs ? 1 : 0;
      return true;
    case rvipSpacing:
      Value = Spacing;
      return true;
    default:
      return TRVNonTextItemInfo::GetIntPropertyByCode(Code, Value);
  }
}

// ---------------------------------------------------------------------------------------
// TRVTextItemInfo

bool TRVTextItemInfo::QueryFeatureForStyle(int Code, TRVStyle* Style) const {
  switch (Code) {
    case rvsfHyperlink:
    case rvsfFocusable:
    case rvsfDottedFocus:
      return Style != nullptr && Style->TextStyles().Items(StyleNo)->Jump;
    case rvsfHoverDrawn:
      return Style != nullptr && Style->TextStyles().Items(StyleNo)->Jump &&
             Style->IsStyleHoverSensitive(StyleNo);
    default:
      return TCustomRVItemInfo::QueryFeatureForStyle(Code, Style);
  }
}

void TRVTextItemInfo::FireJump(TCustomRVData* RVData) {
  if (RVData != nullptr && QueryFeatureForStyle(rvsfHyperlink, RVData->GetRVStyle()))
    RVData->DoItemJump(JumpID);
}

void TRVTextItemInfo::MarkStylesInUse(TRVIntegerList& UsedTextStyles, TRVIntegerList& UsedParaStyles,
                                      TRVIntegerList& UsedListStyles) const {
  TCustomRVItemInfo::MarkStylesInUse(UsedTextStyles, UsedParaStyles, UsedListStyles);
  MarkUsed(UsedTextStyles, StyleNo);
}

void TRVTextItemInfo::RenumberStyles(const TRVIntegerList& TextStylesMap, const TRVIntegerList& ParaStylesMap,
                                     const TRVIntegerList& ListStylesMap) {
  TCustomRVItemInfo::RenumberStyles(TextStylesMap, ParaStylesMap, ListStylesMap);
  StyleNo = Renumbered(TextStylesMap, StyleNo);
}

// ---------------------------------------------------------------------------------------
// Registry and factory

namespace {

struct TRVItemTypeInfo {
  TRVItemStyleNo StyleNo;
  TRVItemClass ItemClass;
};

std::vector<TRVItemTypeInfo>& Registry() {
  static std::vector<TRVItemTypeInfo> registry;
  return registry;
}

/// The built-in non-text numbers, in the order of their slots in BuiltInClasses.
constexpr std::array<TRVItemStyleNo, 7> kBuiltInStyleNos = {
    rvsBreak, rvsPicture, rvsHotspot, rvsComponent, rvsBullet, rvsHotPicture, rvsListMarker};

std::array<TRVItemClass, kBuiltInStyleNos.size()>& BuiltInClasses() {
  static std::array<TRVItemClass, kBuiltInStyleNos.size()> classes{};
  return classes;
}

/// The slot of a built-in number, -1 for any other number.
int BuiltInSlot(TRVItemStyleNo styleNo) {
  for (size_t i = 0; i < kBuiltInStyleNos.size(); ++i)
    if (kBuiltInStyleNos[i] == styleNo) return static_cast<int>(i);
  return -1;
}

TRVItemClass& TextItemClass() {
  static TRVItemClass textItemClass = TRVTextItemInfo::ItemClass();
  return textItemClass;
}

[[noreturn]] void RaiseAlreadyRegistered() {
  throw ERVError("Can't register RV item type - this StyleNo is already registered");
}

}  // namespace

void RVRegisterItemClass(TRVItemStyleNo StyleNo, TRVItemClass ItemClass) {
  if (StyleNo >= rvsLastReservedStyleNo || ItemClass == nullptr) RaiseAlreadyRegistered();
  for (const TRVItemTypeInfo& entry : Registry()) {
    if (entry.StyleNo != StyleNo) continue;
    if (entry.ItemClass == ItemClass) return;
    RaiseAlreadyRegistered();
  }
  Registry().push_back({StyleNo, ItemClass});
}

TRVItemClass RVFindRegisteredItemClass(TRVItemStyleNo StyleNo) {
  for (const TRVItemTypeInfo& entry : Registry())
    if (entry.StyleNo == StyleNo) return entry.ItemClass;
  return nullptr;
}

void RVSetBuiltInItemClass(TRVItemStyleNo StyleNo, TRVItemClass ItemClass) {
  const int slot = BuiltInSlot(StyleNo);
  if (slot < 0) throw ERVError("Item style number " + IntToStr(StyleNo) + " is not a built-in item kind");
  BuiltInClasses()[static_cast<size_t>(slot)] = ItemClass;
}

TRVItemClass RVGetBuiltInItemClass(TRVItemStyleNo StyleNo) {
  const int slot = BuiltInSlot(StyleNo);
  return slot < 0 ? nullptr : BuiltInClasses()[static_cast<size_t>(slot)];
}

TRVItemClass RVGetTextItemClass() {
  return TextItemClass();
}

void RVSetTextItemClass(TRVItemClass ItemClass) {
  TextItemClass() = ItemClass != nullptr ? ItemClass : TRVTextItemInfo::ItemClass();
}

std::unique_ptr<TCustomRVItemInfo> RVCreateItemByStyleNo(TRVItemStyleNo StyleNo, TCustomRVData* RVData) {
  TRVItemClass itemClass = nullptr;
  if (StyleNo >= 0)
    itemClass = TextItemClass();
  else if (BuiltInSlot(StyleNo) >= 0)
    itemClass = RVGetBuiltInItemClass(StyleNo);
  else
    itemClass = RVFindRegisteredItemClass(StyleNo);
  if (itemClass == nullptr) return nullptr;
  std::unique_ptr<TCustomRVItemInfo> item = itemClass->Create(RVData);
  item->StyleNo = StyleNo;
  return item;
}

std::unique_ptr<TCustomRVItemInfo> RVDuplicateItem(const TCustomRVItemInfo& Item, TCustomRVData* RVData) {
  const bool tagsArePChars = TagsArePChars(RVData);
  std::unique_ptr<TCustomRVItemInfo> copy = Item.GetItemClass()->Create(RVData);
  copy->CopyProperties(Item);
  if (Item.Checkpoint) {
    // Without a document the tag kind is unknown: copy the whole tag.
    copy->Checkpoint = std::make_unique<TRVCPInfo>();
    copy->Checkpoint->Name = Item.Checkpoint->Name;
    copy->Checkpoint->RaiseEvent = Item.Checkpoint->RaiseEvent;
    copy->Checkpoint->Tag =
        RVData != nullptr ? RVCopyTag(Item.Checkpoint->Tag, tagsArePChars) : Item.Checkpoint->Tag;
  }
  copy->Tag = RVData != nullptr ? RVCopyTag(Item.Tag, tagsArePChars) : Item.Tag;
  return copy;
}
