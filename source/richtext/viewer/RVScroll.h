// TRVScroller: the scrolling control under the viewer and the editor. It keeps the scroll
// positions (horizontal in pixels, vertical in steps of VSmallStep pixels so that the range
// stays small), drives the two scroll bars, moves the pixels and the child controls when it
// scrolls, turns scroll-bar messages, keys and the wheel into position changes, and tracks
// the focused sub-document (a table cell) with its in-place editor.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gui/CustomControl.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVStyleInfo.h"
#include "themes/UxTheme.h"

class TCustomRVFormattedData;

class TRVScroller : public TCustomControl {
 public:
  /// The Tag that lets a single 3D border be drawn by the theme instead of the flat rings.
  static constexpr int32_t kThemedBorderTag = -156;

  explicit TRVScroller(TComponent* AOwner = nullptr);
  ~TRVScroller() override;
  std::string ClassName() const override { return "TRVScroller"; }

  // ---- positions ------------------------------------------------------------------------

  int32_t HPos() const { return HPos_; }
  int32_t VPos() const { return VPos_; }
  /// Sets the vertical position (steps), clamped into the range; moves the pixels and the
  /// child controls (only the controls without Redraw), then VScrolled. Nothing happens
  /// before the window exists.
  virtual void SetVPos(int32_t Pos, bool Redraw);
  /// The horizontal position in pixels; always redraws.
  virtual void SetHPos(int32_t Pos);
  void ScrollTo(int32_t Pos) { SetVPos(Pos, true); }
  /// Vertical scrolling to a document position in pixels.
  void ScrollToPixel(int32_t Y, bool Redraw);
  virtual void VScrolled();
  virtual void HScrolled();
  /// Pixels per vertical step (also the horizontal line step), at least 1. Keeps the view
  /// where it is: VPos is rescaled to the new step.
  virtual void SetVSmallStep(int32_t Value);
  int32_t VSmallStep() const { return VSmallStep_; }
  virtual int32_t GetDefSmallStep() const { return 10; }

  /// Sets both bars from the document's width (pixels) and height (steps).
  void UpdateScrollBars(int32_t XSize, int32_t YSize, bool UpdateH, bool DisableNoScroll);
  int32_t XSize() const { return XSize_; }
  int32_t YSize() const { return YSize_; }
  int32_t VMax() const { return VMax_; }
  int32_t VPage() const { return VPage_; }
  int32_t HMax() const { return HMax_; }
  int32_t HPage() const { return HPage_; }

  // ---- settings --------------------------------------------------------------------------

  bool VScrollVisible() const { return VScrollVisible_; }
  void SetVScrollVisible(bool Value);
  bool HScrollVisible() const { return HScrollVisible_; }
  void SetHScrollVisible(bool Value);
  bool Tracking() const { return Tracking_; }
  void SetTracking(bool Value) { Tracking_ = Value; }
  int32_t WheelStep() const { return WheelStep_; }
  void SetWheelStep(int32_t Value) { WheelStep_ = Value; }
  /// The border is drawn by the desktop theme (class "Edit") while themes are in use.
  bool UseXPThemes() const { return UseXPThemes_; }
  void SetUseXPThemes(bool Value);
  /// The open theme handle of the border, 0 when the border is not themed.
  HTHEME ThemeHandle() const { return ThemeHandle_; }
  /// A new border re-creates the window, as a new direction does.
  void SetBorderStyle(TBorderStyle Value);
  TRVBiDiMode BiDiMode() const { return BiDiMode_; }
  virtual void SetBiDiMode(TRVBiDiMode Value);
  TRVPaletteAction DoInPaletteMode() const { return DoInPaletteMode_; }
  void SetDoInPaletteMode(TRVPaletteAction Value);
  /// Scrolling repaints the whole control instead of moving pixels (a fixed background).
  bool FullRedraw = false;
  /// Keys scroll the view (the editor turns this off).
  bool KeyboardScroll = true;
  /// A bar that cannot scroll is shown disabled instead of hidden.
  bool DisableNoScroll = false;
  TNotifyEvent OnVScrolled;
  TNotifyEvent OnHScrolled;

  // ---- palette ---------------------------------------------------------------------------

  /// The screens we draw on are never palette-based, so no palette is ever made: this frees
  /// any that exists.
  virtual void UpdatePaletteInfo();
  /// The 216-colour cube of palette-based screens: red fastest, then green, then blue, in
  /// steps of 51.
  static std::vector<TPaletteEntry> GenerateLogPalette();
  TRVPalette GetPalette() const { return Palette_.empty() ? nullptr : &Palette_; }

  // ---- focused sub-document ----------------------------------------------------------------

  /// The in-place editor of the focused sub-document, null when none.
  TWinControl* GetInplaceEditor();
  void DestroyInplaceEditor();
  void AssignFocusedSubData(TCustomRVFormattedData* RVData, TCustomRVItemInfo* Item);
  void ReplaceFocusedSubData(TCustomRVFormattedData* RVData);
  void UnassignFocusedSubData(TCustomRVFormattedData* RVData);
  TCustomRVFormattedData* FocusedSubData() const { return FocusedData_; }
  TCustomRVItemInfo* FocusedSubItem() const { return FocusedItem_; }
  TCustomRVData* GetFocusedSubDataActive() const;
  /// True when this control or an in-place editor down the chain has the focus.
  bool IsFocusedWithEditors();
  /// Makes the control the active control of its form when it can take the focus.
  void SetFocusSilent();

  // ---- input -----------------------------------------------------------------------------

  void WndProc(TMessage& message) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

 protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  /// Opens the border's theme when UseXPThemes is on and themes are in use.
  virtual void CreateThemeHandle();
  /// Closes an open theme handle.
  virtual void FreeThemeHandle();
  /// A single border: flat without Ctl3D; with it two flat rings, or the theme's look
  /// (when a theme is open) for a control whose Tag is kThemedBorderTag.
  bool PaintBorder(TCanvas& canvas, const TRect& window) override;
  virtual void ResetScrollPositions();
  virtual void InitScrollBars();
  /// Moves every child control by (Dx, Dy): vertically through its Tag, which keeps the true
  /// position while Top stays within -10000 .. 10000.
  void MoveChildren(int32_t Dx, int32_t Dy);
  void HandleScrollMessage(TMessage& message, bool Vertical);
  bool Destroying() const { return (ComponentState() & csDestroying) != 0; }

 private:
  /// Sets a bar that must not show: range 0..1, page 2, position 0, unless it is so already.
  /// Answers whether it was so already.
  bool HideBar(int Bar);

  int32_t VSmallStep_ = 1;
  bool Tracking_ = true;
  bool VScrollVisible_ = true;
  bool HScrollVisible_ = true;
  bool Updating_ = false;
  int32_t VMax_ = 0;
  int32_t VPage_ = 0;
  int32_t HMax_ = 0;
  int32_t HPage_ = 0;
  TRVPaletteAction DoInPaletteMode_ = rvpaCreateCopies;
  TRVBiDiMode BiDiMode_ = rvbdUnspecified;
  bool UseXPThemes_ = true;
  HTHEME ThemeHandle_ = 0;
  /// The theme is opened again and the frame redrawn (theme or setting changed).
  void ReopenTheme();
  int32_t HPos_ = 0;
  int32_t VPos_ = 0;
  int32_t XSize_ = 0;
  int32_t YSize_ = 0;
  TCustomRVFormattedData* FocusedData_ = nullptr;
  TCustomRVItemInfo* FocusedItem_ = nullptr;
  int32_t WheelStep_ = 2;
  std::vector<TPaletteEntry> Palette_;
};
