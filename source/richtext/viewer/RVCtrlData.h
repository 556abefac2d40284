// TRVControlData: the formatted data of a document shown in a window of its own (the viewer's
// and the editor's data derive from it). It moves the keyboard focus among focusable items
// with Tab, marks the focused item with a dotted frame, and paints the document through a
// bitmap of the area being painted, showing an error text when drawing fails.
#pragma once

#include <cstdint>
#include <vector>

#include "richtext/viewer/CRVFData.h"

class TCanvas;
class TWinControl;

/// Which Tab keys move the focus among the items of a viewer.
enum TRVTabNavigationType : uint8_t { rvtnNone, rvtnTab, rvtnCtrlTab };

class TRVControlData : public TCustomRVFormattedData {
 public:
  TRVControlData() = default;
  std::string ClassName() const override { return "TRVControlData"; }

  void SetFocusedItem(TCustomRVFormattedData* Data, int ItemNo) override;
  void ClearDrawLines() override;
  void Deselect(TCustomRVItemInfo* Item, bool Notify) override;

  /// Moves the focus to the next (previous) focusable item, or out of the control when there
  /// is none. PrevControl is the control that had the focus (the viewer itself for Tab).
  void DoTabNavigation(bool Backward, TWinControl* PrevControl);
  /// Enter on a focused hyperlink: the item fires its jump.
  void ActivateFocusedItem();
  /// The dotted frames around the focused item's drawn pieces, in client coordinates.
  std::vector<TRect> FocusRects();
  /// Draws the frames of FocusRects (the control draws them last, over the document).
  void DrawFocusRect(TCanvas& Canvas);
  /// Paints the background and the document of Canvas's clip box through a bitmap. A failure
  /// while painting is shown as "Error:" and its message at the top-left corner.
  void PaintBuffered(TCanvas& Canvas);
  /// The next control of Container's tab order from StartControl that lies outside the
  /// parent control, can take the focus and has TabStop; null when none.
  TWinControl* FindNextControl(TWinControl* Container, TWinControl* StartControl, bool GoForward);

  bool Clicked() const { return (StateFlags & rvstClicked) != 0; }
  void SetClicked(bool Value) {
    if (Value)
      StateFlags |= rvstClicked;
    else
      StateFlags &= ~rvstClicked;
  }

  int32_t FocusRectItemNo = -1;
  TCustomRVFormattedData* FocusRectData = nullptr;
  TRVTabNavigationType TabNavigation = rvtnTab;

 private:
  /// Invalidates the frames so that the next painting draws (or no longer draws) them.
  void InvalidateFocusRects();
  void DropFocusRect();
};
