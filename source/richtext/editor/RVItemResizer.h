// TRVItemResizer: the eight square handles drawn round a selected picture or control in the
// editor, and the arithmetic of dragging one of them. The editor's document data owns at
// most one resizer and routes painting, the mouse and Escape to it (RVERVData.h); releasing
// a dragged handle resizes the item with undo.
#pragma once

#include <cstdint>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Cursors.h"
#include "platform/graphics/GraphicsTypes.h"
#include "platform/graphics/Messages.h"

class TCustomRVItemInfo;
class TRVDrawLineInfo;

/// Where the handles sit (TRVItemResizer::HandlePlace).
constexpr uint8_t rvhpInside = 0;   // 3 pixels inside the item's box
constexpr uint8_t rvhpOutside = 1;  // 3 pixels outside it

/// Corner handles keep the picture's proportions (Shift keeps them for any handle).
inline bool RVKeepProportionsOnCorners = true;

class TRVItemResizer {
 public:
  TRVItemResizer(TRVDrawLineInfo* ADrawItem, TCustomRVItemInfo* AItem, int ADrawItemNo);

  /// Draws the handles at the item's box moved by the scroll offsets.
  void Draw(TCanvas& Canvas, int32_t HOffs, int32_t VOffs);
  /// The first handle (in index order) within 3 pixels of the point in both directions.
  bool GetHandleAt(int32_t X, int32_t Y, int& Index, int32_t VOffs, int32_t HOffs) const;
  static TCursor GetCursor(int Index);
  /// Starts a drag when a handle is hit.
  bool MouseDown(int32_t X, int32_t Y, int32_t VOffs, int32_t HOffs);
  /// Moves the sides of DragRect the handle owns, then applies the size constraints.
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y, int32_t VOffs, int32_t HOffs);
  void DrawDragRect(TCanvas& Canvas, int32_t HOffs, int32_t VOffs);
  /// Ends a drag: unless cancelled, Width and Height take DragRect's size.
  void MouseUp();
  void Cancel();

  int32_t Width = 0;
  int32_t Height = 0;
  TRVDrawLineInfo* DrawItem;
  int DrawItemNo;
  int ItemNo;
  bool Dragging = false;
  bool Cancelled = false;
  int32_t DeltaX = 0;
  int32_t DeltaY = 0;
  TRect DragRect{};
  uint8_t DragHandle = 0;
  TCustomRVItemInfo* Item;
  uint8_t HandlePlace = rvhpInside;
};
