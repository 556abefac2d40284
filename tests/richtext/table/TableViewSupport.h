// Helpers of the table tests that show tables: a formatted document to lay out and paint
// them in, a stand-in for the in-place cell editor, and blank bitmaps to paint on.
#pragma once

#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Controls.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/viewer/FormattedDataSupport.h"

namespace tabletest {

/// A white 24-bit bitmap of the size.
inline void Blank(TBitmap& bitmap, int32_t width, int32_t height) {
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(width, height);
  bitmap.Canvas().Brush().SetColor(clWhite);
  bitmap.Canvas().FillRect(Rect(0, 0, width, height));
}

/// A formatted document of a given colour.
class TPaintDoc : public viewertest::TFieldData {
 public:
  ~TPaintDoc() override { Clear(); }
  TColor GetColor() const override { return color; }
  TColor color = clWhite;
};

/// An editor stand-in that keeps a cell open.
class TFakeEditor : public TRVTableCellEditorLink {
 public:
  TFakeEditor(TRVTableItemInfo& table, int row, int col) : table_(table), row_(row), col_(col) {
    table.CellEditor = this;
  }
  ~TFakeEditor() override {
    if (table_.CellEditor == this) table_.CellEditor = nullptr;
  }
  const TWinControl* GetControl() const override { return &control; }
  int GetRow() const override { return row_; }
  int GetCol() const override { return col_; }
  bool ScrollsItself() const override { return scrolls; }
  TCustomRVData* GetEditorData() override { return nullptr; }
  void SetFirstJumpNo(int FirstJumpNo) override { firstJumpNo = FirstJumpNo; }
  int GetJumpCount() const override { return jumps; }
  void Close(bool StoreContent) override {
    closes.push_back(StoreContent);
    table_.CellEditor = nullptr;
  }

  TWinControl control;
  bool scrolls = false;
  int firstJumpNo = -1;
  int jumps = 0;
  std::vector<bool> closes;

 private:
  TRVTableItemInfo& table_;
  int row_, col_;
};

}  // namespace tabletest
