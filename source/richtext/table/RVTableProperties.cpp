// The published properties of a table and of its cells, and the by-name path through which
// their values change. A table that lies in a document changes a property through
// SetTableProperty, which records undo when the document is an editor's; the editor's side of
// that path is reached through the installed TRVTableEditorHooks, so that this library never
// depends on the editor. Without hooks (no editor linked in) a table behaves as in a viewer.
#include <string>
#include <vector>

#include "platform/core/TypInfo.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/Graphic.h"
#include "richtext/core/RVError.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"

namespace {

const std::vector<std::string> kBorderStyleNames = {"rvtbRaised", "rvtbLowered", "rvtbColor",
                                                    "rvtbRaisedColor", "rvtbLoweredColor"};
const std::vector<std::string> kItemBackgroundStyleNames = {"rvbsColor", "rvbsStretched", "rvbsTiled",
                                                            "rvbsCentered"};
const std::vector<std::string> kCellVAlignNames = {"rvcTop", "rvcMiddle", "rvcBottom", "rvcVDefault"};

/// The ordinal property PropName of Object; ERVError when it has none of that name.
const TPropInfo& FindOrdinalProperty(const TPersistent& Object, const std::string& PropName) {
  const TPropInfo* prop = Object.PublishedProperties().Find(PropName);
  if (prop == nullptr || !prop->SetOrd) throw ERVError("Invalid property name: " + PropName);
  return *prop;
}

void SetOrdinalProperty(TPersistent& Object, const std::string& PropName, int32_t Value) {
  FindOrdinalProperty(Object, PropName).SetOrd(Object, Value);
}

void RepaintCellEditor(const TRVTableItemInfo& Table) {
  if (Table.CellEditor == nullptr) return;
  if (auto* control = const_cast<TWinControl*>(Table.CellEditor->GetControl())) control->Invalidate();
}

/// The setter of a table property: a table in a document goes through SetTableProperty (so
/// that an editor records the change), any other stores the value.
template <typename Store>
void SetOrRecord(TRVTableItemInfo& Table, const char* PropName, bool AffectWidth, bool AffectSize,
                 int32_t Value, Store store) {
  if ((Table.State & rvtsInserted) != 0)
    Table.SetTableProperty(PropName, Value, AffectWidth, AffectSize);
  else
    store();
}

}  // namespace

// Each setter names its property and says whether a change can alter the table's widths
// (first flag) and its size (second flag).
#define ZUK_TABLE_SETTER(Field, AffectWidth, AffectSize)                                                \
  [](TRVTableItemInfo& t, decltype(TRVTableItemInfo::Field) v) {                                        \
    SetOrRecord(t, #Field, AffectWidth, AffectSize, static_cast<int32_t>(v), [&t, v] { t.Field = v; }); \
  }

const TPropertyList& TRVTableItemInfo::ClassProperties() {
  using T = TRVTableItemInfo;
  static const TPropertyList list =
      TPropertyBuilder<T>(TCustomRVItemInfo::ClassProperties())
          .Integer("BestWidth", &T::BestWidth, ZUK_TABLE_SETTER(BestWidth, true, true))
          .Color("Color", &T::Color, ZUK_TABLE_SETTER(Color, false, false))
          .Enum(
              "BackgroundStyle", &T::GetBackgroundStyle,
              [](T& t, TRVItemBackgroundStyle v) {
                SetOrRecord(t, "BackgroundStyle", false, false, v, [&t, v] {
                  t.SetBackgroundStyle(v);
                  RepaintCellEditor(t);
                });
              },
              kItemBackgroundStyleNames)
          .Integer("HeadingRowCount", &T::HeadingRowCount, ZUK_TABLE_SETTER(HeadingRowCount, false, false))
          .Integer("BorderWidth", &T::BorderWidth, ZUK_TABLE_SETTER(BorderWidth, true, true))
          .Color("BorderColor", &T::BorderColor, ZUK_TABLE_SETTER(BorderColor, false, false))
          .Color("BorderLightColor", &T::BorderLightColor, ZUK_TABLE_SETTER(BorderLightColor, false, false))
          .Enum("BorderStyle", &T::BorderStyle, ZUK_TABLE_SETTER(BorderStyle, false, false),
                kBorderStyleNames)
          .Integer("BorderVSpacing", &T::BorderVSpacing, ZUK_TABLE_SETTER(BorderVSpacing, false, true))
          .Integer("BorderHSpacing", &T::BorderHSpacing, ZUK_TABLE_SETTER(BorderHSpacing, true, true))
          .Integer("CellBorderWidth", &T::CellBorderWidth, ZUK_TABLE_SETTER(CellBorderWidth, true, true))
          .Color("CellBorderColor", &T::CellBorderColor, ZUK_TABLE_SETTER(CellBorderColor, false, false))
          .Color("CellBorderLightColor", &T::CellBorderLightColor,
                 ZUK_TABLE_SETTER(CellBorderLightColor, false, false))
          .Integer("CellPadding", &T::CellPadding, ZUK_TABLE_SETTER(CellPadding, true, true))
          .Enum("CellBorderStyle", &T::CellBorderStyle, ZUK_TABLE_SETTER(CellBorderStyle, false, false),
                kBorderStyleNames)
          .Integer("VRuleWidth", &T::VRuleWidth, ZUK_TABLE_SETTER(VRuleWidth, false, false))
          .Color("VRuleColor", &T::VRuleColor, ZUK_TABLE_SETTER(VRuleColor, false, false))
          .Integer("HRuleWidth", &T::HRuleWidth, ZUK_TABLE_SETTER(HRuleWidth, false, false))
          .Color("HRuleColor", &T::HRuleColor, ZUK_TABLE_SETTER(HRuleColor, false, false))
          .Integer("CellVSpacing", &T::CellVSpacing, ZUK_TABLE_SETTER(CellVSpacing, false, true))
          .Integer("CellHSpacing", &T::CellHSpacing, ZUK_TABLE_SETTER(CellHSpacing, true, true))
          .Boolean("VOutermostRule", &T::VOutermostRule, ZUK_TABLE_SETTER(VOutermostRule, false, false))
          .Boolean("HOutermostRule", &T::HOutermostRule, ZUK_TABLE_SETTER(HOutermostRule, false, false))
          .Build();
  return list;
}

#undef ZUK_TABLE_SETTER

const TPropertyList& TRVTableCellData::ClassProperties() {
  using T = TRVTableCellData;
  static const TPropertyList list =
      TPropertyBuilder<T>(TCustomRVData::ClassProperties())
          .Color("Color", &T::Color, &T::SetColor)
          .Color("BorderColor", &T::BorderColor, &T::BorderColor)
          .Color("BorderLightColor", &T::BorderLightColor, &T::BorderLightColor)
          .Integer("BestWidth", &T::BestWidth, &T::BestWidth)
          .Integer("BestHeight", &T::BestHeight, &T::BestHeight)
          .Object("VisibleBorders", &T::VisibleBorders)
          .Enum("VAlign", &T::VAlign, &T::VAlign, kCellVAlignNames)
          .Enum("BackgroundStyle", &T::GetBackgroundStyle, &T::SetBackgroundStyle, kItemBackgroundStyleNames)
          .Build();
  return list;
}

// ---------------------------------------------------------------------------------------
// Pictures handed over without copying

std::unique_ptr<TGraphic> RVTableTakeBackgroundImage(std::unique_ptr<TRVBackground>& Background) {
  if (!Background) return nullptr;
  std::unique_ptr<TGraphic> image = Background->ReleaseBitmap();
  if (Background->IsEmpty()) Background.reset();
  return image;
}

void RVTableGiveBackgroundImage(std::unique_ptr<TRVBackground>& Background, std::unique_ptr<TGraphic> Image,
                                TCustomRVData* RVData) {
  if (Image && Image.get() == RVTableBackgroundImage(Background)) {
    (void)Image.release();  // already the picture
    return;
  }
  if (!Background && Image && !Image->Empty()) Background = std::make_unique<TRVBackground>(false);
  if (!Background) return;
  if (Image)
    Background->TakeBitmap(std::move(Image), RVData);
  else
    Background->FreeImages();
  if (Background->IsEmpty()) Background.reset();
}

void TRVTableItemInfo::GiveBackgroundImage(std::unique_ptr<TGraphic> Image) {
  RVTableGiveBackgroundImage(Background_, std::move(Image), GetParentData());
  RepaintCellEditor(*this);
}

std::unique_ptr<TGraphic> TRVTableItemInfo::TakeBackgroundImage() {
  return RVTableTakeBackgroundImage(Background_);
}

void TRVTableCellData::GiveBackgroundImage(std::unique_ptr<TGraphic> Image) {
  const TRVTableItemInfo* table = GetTable();
  RVTableGiveBackgroundImage(Background_, std::move(Image),
                             table != nullptr ? table->GetParentData() : nullptr);
}

std::unique_ptr<TGraphic> TRVTableCellData::TakeBackgroundImage() {
  return RVTableTakeBackgroundImage(Background_);
}

// ---------------------------------------------------------------------------------------
// Queries and property changes

bool TRVTableItemInfo::InEditor() const {
  const TCustomRVData* parent = GetParentData();
  return parent != nullptr && parent->IsEditData();
}

bool TRVTableItemInfo::CanChange() {
  TRVTableEditorHooks* hooks = RVTableEditorHooks();
  return InEditor() && hooks != nullptr && hooks->CanChange(*this);
}

bool TRVTableItemInfo::UndoEnabled() {
  TRVTableEditorHooks* hooks = RVTableEditorHooks();
  return (State & rvtsInserted) != 0 && InEditor() && hooks != nullptr && hooks->UndoEnabled(*this);
}

int TRVTableItemInfo::GetEditorItemNoForUndo() {
  return UndoEnabled() ? GetMyItemNo() : -1;
}

void TRVTableItemInfo::ChangeEditor(bool ClearRedo) {
  TRVTableEditorHooks* hooks = RVTableEditorHooks();
  if ((State & rvtsInserted) != 0 && InEditor() && hooks != nullptr) hooks->ChangeEditor(*this, ClearRedo);
}

void TRVTableItemInfo::SetIntProperty(const std::string& PropName, int32_t Value) {
  SetOrdinalProperty(*this, PropName, Value);
}

void TRVTableItemInfo::SetTableProperty(const std::string& PropName, int32_t Value, bool AffectWidth,
                                        bool AffectSize) {
  TRVTableEditorHooks* hooks = RVTableEditorHooks();
  if ((State & rvtsInserted) != 0 && InEditor() && hooks != nullptr) {
    hooks->SetTableProperty(*this, PropName, Value, AffectWidth, AffectSize);
    return;
  }
  // With the inserted bit clear the property's setter stores the field instead of coming
  // back here.
  const uint16_t inserted = State & rvtsInserted;
  State &= ~rvtsInserted;
  try {
    SetOrdinalProperty(*this, PropName, Value);
  } catch (...) {
    State |= inserted;
    throw;
  }
  State |= inserted;
  Changed();
}

void TRVTableItemInfo::SetCellProperty(int ItemNo, const std::string& PropName, bool AffectWidth,
                                       bool AffectSize, int Row, int Col, int32_t Value) {
  TRVTableEditorHooks* hooks = RVTableEditorHooks();
  if ((State & rvtsInserted) != 0 && InEditor() && hooks != nullptr) {
    hooks->SetCellProperty(*this, ItemNo, PropName, AffectWidth, AffectSize, Row, Col, Value);
    return;
  }
  TRVTableCellData* cell = GetCell(Row, Col);
  if (cell == nullptr) throw ERVError("Invalid row or column index");
  SetOrdinalProperty(*cell, PropName, Value);
  Changed();
}

void TRVTableItemInfo::SetCellBestWidth(int ItemNo, TRVHTMLLength Width, int Row, int Col) {
  SetCellProperty(ItemNo, "BestWidth", true, true, Row, Col, Width);
}

void TRVTableItemInfo::SetCellBestHeight(int ItemNo, int32_t Height, int Row, int Col) {
  SetCellProperty(ItemNo, "BestHeight", false, true, Row, Col, Height);
}
