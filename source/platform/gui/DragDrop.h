// Drag and drop through the window system: a control's window accepts drops (its handler hears
// enter, over, leave and drop with the dragged formats), and a drag starts from a control with a
// set of formats. Formats are clipboard format numbers whose bytes travel as they are. A control
// dragged onto another control of this program is not such a drag: the control layer follows it
// with the mouse capture (TControl::BeginDrag).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics/GraphicsTypes.h"
#include "platform/graphics/Messages.h"

class TBitmap;
class TWinControl;

constexpr uint32_t DROPEFFECT_NONE = 0;
constexpr uint32_t DROPEFFECT_COPY = 1;
constexpr uint32_t DROPEFFECT_MOVE = 2;
constexpr uint32_t DROPEFFECT_LINK = 4;

/// The formats a drag carries.
struct TDragFormats {
  std::vector<std::pair<uint32_t, std::vector<uint8_t>>> Items;
  /// The bytes of `format`, or null when the drag does not carry it.
  const std::vector<uint8_t>* Find(uint32_t format) const {
    for (const auto& [id, bytes] : Items)
      if (id == format) return &bytes;
    return nullptr;
  }
};

/// What a drop target is told. Points are screen coordinates; results are DROPEFFECT_* values.
class TDropTargetHandler {
 public:
  virtual ~TDropTargetHandler() = default;
  virtual uint32_t DragEnter(const TDragFormats& formats, uint32_t keyState, TPoint point,
                             uint32_t effect) = 0;
  virtual uint32_t DragOver(uint32_t keyState, TPoint point, uint32_t effect) = 0;
  virtual void DragLeave() = 0;
  virtual uint32_t Drop(const TDragFormats& formats, uint32_t keyState, TPoint point, uint32_t effect) = 0;
};

/// Makes the control's window a drop target for `handler` (not owned); false without a window.
bool RegisterDragDrop(TWinControl& control, TDropTargetHandler* handler);
void RevokeDragDrop(TWinControl& control);
bool IsDragDropRegistered(const TWinControl& control);
/// What a drag shows under the mouse: a picture (its transparency kept) and the point of it
/// that the mouse holds.
struct TDragImage {
  TBitmap* Picture = nullptr;
  TPoint HotSpot;
};

/// Runs a drag from `source` until it is dropped or cancelled, showing `image` (when given)
/// under the mouse; returns the effect performed.
uint32_t DoDragDrop(TWinControl& source, const TDragFormats& formats, uint32_t allowedEffects,
                    const TDragImage* image = nullptr);
/// The MIME type a format travels under between programs.
std::string DragFormatMimeType(uint32_t format);
