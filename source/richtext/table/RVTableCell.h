// A table cell: a small document of its own that lives in one slot of its table's grid. It
// keeps its attributes (colours, borders, size hints, alignment, background), its spans and
// its laid-out rectangle, and answers the coordinate and notice queries of formatted data as
// a region of its table. While an undo record keeps it out of the grid it has no row and
// asks the record's document instead.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "richtext/core/RVBack.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/table/RVTable.h"
#include "richtext/viewer/RVDataList.h"

class TRVTableCellData : public TRVItemFormattedData {
  ZUK_PUBLISHED(TRVTableCellData)

 public:
  explicit TRVTableCellData(TRVTableRow* Row);
  ~TRVTableCellData() override;
  std::string ClassName() const override { return "TRVTableCellData"; }

  /// The table that owns the cell; null while held by an undo record or without a row.
  TRVTableItemInfo* GetTable() const;
  TRVTableRow* GetRow() const { return Row_; }
  void SetRow(TRVTableRow* Row) { Row_ = Row; }
  TRVTableUndoRecord* GetUndoHolder() const { return UndoHolder_; }

  bool IsTransparent() const { return Color == clNone; }
  /// Stores the colour; a cell editor open on the cell shows it at once.
  void SetColor(TColor Value);
  /// Anything but a single empty text item; Strict counts only an empty item of text style 0
  /// in paragraph style 0 as nothing.
  bool HasContent(bool Strict) const;
  void AssignAttributesFrom(const TRVTableCellData& Source, bool IncludeSize, int RowDivisor, int ColDivisor);
  void AssignSizeFrom(const TRVTableCellData& Source);
  TRVCellVAlign GetEffectiveVAlign() const;
  /// Offset of the content inside the cell for middle and bottom alignment.
  int32_t GetVerticalShift() const;
  /// The content height, at least BestHeight.
  int32_t GetCellHeight() const;
  /// Narrowest width of the content: an empty line needs its paragraph's indents; other
  /// content the document's minimum width (text wraps anywhere), 10 when that is 0.
  int32_t GetMinWidth(const TRVFormatScale* Scale) const;
  /// Takes every item out of the document (the cell leaves the grid with Holder).
  void DetachItems(TRVTableUndoRecord* Holder);
  void ReattachItems();

  TGraphic* GetBackgroundImage() const;
  /// Nothing when Image is the current one; an empty background is freed.
  void SetBackgroundImageEx(const TGraphic* Image);
  TRVItemBackgroundStyle GetBackgroundStyle() const;
  void SetBackgroundStyle(TRVItemBackgroundStyle Value);
  TRVBackground* GetCellBackground() const { return Background_.get(); }
  /// The picture handed over without copying, and taken back out (for undo).
  void GiveBackgroundImage(std::unique_ptr<TGraphic> Image);
  std::unique_ptr<TGraphic> TakeBackgroundImage();

  // Answers of formatted data for a cell.
  /// While the cell editor is open on the cell, its document holds the cell's items.
  TCustomRVData* GetActiveData() override;
  TWinControl* GetOwnInplaceEditor() override;
  TRVOptions GetOptions() const override;
  TCustomRVData* GetParentData() const override;
  void ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, std::string& Text,
                  TCustomRVData* RVData) override;
  void ControlAction(TRVControlAction Action, int ItemNo, TCustomRVItemInfo* Item) override;
  void GetParentItemInfo(int& ParentItemNo, std::unique_ptr<TRVStoreSubRVData>& Location) override;
  void GetOrigin(int32_t& X, int32_t& Y) override;
  int32_t GetHOffs() const override;
  int32_t GetVOffs() const override;
  int32_t GetWidth() const override { return Width - 2 * Padding(); }
  int32_t GetHeight() const override { return Height - 2 * Padding(); }
  int32_t GetAreaWidth() const override { return GetWidth(); }
  TRVBackground* GetBackground() const override { return Background_.get(); }
  /// The table paints the cell colour.
  TColor GetColor() const override { return clNone; }

  /// The list of the document around the table. None while held, and none while the table
  /// lies in no document: the table lists the cells' markers when it is inserted, where they
  /// stand in the document.
  TRVMarkerList* GetMarkers(bool AllowCreate) override;

  // Focus. A cell holding a nested table keeps the focused cell of that table as its own
  // focused sub-document, as the document around the outer table keeps this cell.
  /// Dropping the whole selection also lets the document around the table forget this cell
  /// as its focused sub-document.
  void Deselect(TCustomRVItemInfo* Item, bool Notify) override;
  /// The table focuses this cell; a focused sub-document of another item is released first.
  void AssignFocusedSubData(TCustomRVFormattedData* RVData, TCustomRVItemInfo* Item) override;
  /// Releases RVData (or the sub-document whose active document it is): its selection goes
  /// and the item holding it loses the focus.
  void UnassignFocusedSubData(TCustomRVFormattedData* RVData) override;
  void ReplaceFocusedSubData(TCustomRVFormattedData* RVData) override;
  TCustomRVData* GetFocusedSubData() override { return FocusedSubData_; }
  TCustomRVItemInfo* GetFocusedSubItem() override { return FocusedSubItem_; }
  /// The focused item of Data (this cell or a document inside it) is also the focused item of
  /// the documents around the table, up to the control's, which frames it.
  void SetFocusedItem(TCustomRVFormattedData* Data, int ItemNo) override;
  /// The table's stored client coordinates follow.
  void NotifyCoordsChanged() override;

  // Attributes, in the order of the published properties.
  TColor Color = clNone;
  TColor BorderColor = clNone;
  TColor BorderLightColor = clNone;
  TRVHTMLLength BestWidth = 0;
  int32_t BestHeight = 0;
  TRVBooleanRect VisibleBorders{true};
  TRVCellVAlign VAlign = rvcVDefault;
  int RowSpan = 1;
  int ColSpan = 1;
  // The laid-out rectangle inside the table.
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;

 private:
  int32_t Padding() const;
  /// The height of the content: the cell editor's document while it is open on the cell.
  int32_t ContentHeight() const;
  /// The document holding the table, or the undo record's while held.
  TCustomRVData* HolderDocument() const;
  /// Tells a cell editor open on this cell that the colour or background changed.
  void LookChanged();

  TRVTableRow* Row_;
  TRVTableUndoRecord* UndoHolder_ = nullptr;
  TCustomRVFormattedData* FocusedSubData_ = nullptr;
  TCustomRVItemInfo* FocusedSubItem_ = nullptr;
  /// Set while the cell is freed: nobody around it is told about its selection then.
  bool Destroying_ = false;
  std::unique_ptr<TRVBackground> Background_;
};
