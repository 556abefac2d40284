// TCustomControl: a windowed control that paints itself. It owns a canvas that draws on its
// window while a paint message runs (and only measures otherwise), real scroll bars beside its
// client area, timers and a caret. The scroll-bar state lives in the control, so it can be set
// and read back before the window exists.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/Font.h"

enum TBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner = nullptr);
  ~TCustomControl() override;
  std::string ClassName() const override { return "TCustomControl"; }

  /// While a paint message runs: a canvas on the window, clipped to the area being painted,
  /// font and brush reset to the control's. Otherwise a canvas that only measures text.
  TCanvas& Canvas();
  /// True while Paint runs.
  bool Painting() const { return paintCanvas_ != nullptr; }
  TFont& Font() { return font_; }
  void SetFont(const TFont& font);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  /// bsSingle puts a frame round the client area: a sunken two-pixel frame with Ctl3D, a flat
  /// one-pixel one without.
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);
  /// Border width on each side, in pixels.
  int32_t BorderWidth() const;
  /// The vertical scroll bar stands left of the client area (right-to-left layouts).
  bool LeftScrollBar() const { return leftScrollBar_; }
  void SetLeftScrollBar(bool value);

  /// The area inside the border, below the non-client band and beside the visible scroll bars.
  TRect ClientRect() const override;

  // The non-client band: a strip across the top of the window, inside the border and above the
  // client area and the vertical scroll bar, that the control draws itself (PaintNonClient) and
  // whose mouse input arrives as WM_NC* messages in window coordinates.
  int32_t NonClientTop() const { return nonClientTop_; }
  void SetNonClientTop(int32_t height);
  /// The band in window coordinates (empty without one).
  TRect NonClientRect() const;
  /// Marks the band (or `rect` of it, window coordinates) to be painted.
  void InvalidateNonClient(const TRect* rect = nullptr);
  /// Client coordinates of a window point.
  TPoint WindowToClient(TPoint p) const;

  // Scroll bars (SB_HORZ, SB_VERT). A bar shows when its range exceeds its page; a bar set with
  // SIF_DISABLENOSCROLL that cannot scroll stays visible and disabled. Positions are kept
  // within min .. max - (page - 1).
  /// Applies the fields named by info.fMask and returns the new position.
  int32_t SetScrollInfo(int bar, const TScrollInfo& info, bool redraw);
  /// Fills the fields named by info.fMask; false for an unknown bar.
  bool GetScrollInfo(int bar, TScrollInfo& info) const;
  /// Returns the previous position.
  int32_t SetScrollPos(int bar, int32_t pos, bool redraw);
  int32_t GetScrollPos(int bar) const;
  void ShowScrollBar(int bar, bool show);
  bool ScrollBarVisible(int bar) const;
  /// ESB_ENABLE_BOTH or ESB_DISABLE_BOTH.
  void EnableScrollBar(int bar, uint32_t arrows);
  bool ScrollBarEnabled(int bar) const;
  /// Width of a vertical scroll bar (and height of a horizontal one), in pixels.
  static int32_t ScrollBarSize();
  /// Moves the pixels of `rect` (client coordinates; null for the client area) by (dx, dy)
  /// and invalidates the uncovered band. Child controls are not moved.
  void ScrollWindow(int32_t dx, int32_t dy, const TRect* rect = nullptr);

  // Timers: WM_TIMER with the id arrives every `interval_ms` until killed. Setting a running
  // id restarts it. Without an application object timers never fire.
  void SetTimer(uintptr_t id, uint32_t intervalMs);
  void KillTimer(uintptr_t id);
  bool TimerRunning(uintptr_t id) const;

  // The caret: a solid rectangle drawn inverted over the painting, blinking while shown.
  void CreateCaret(int32_t width, int32_t height);
  void DestroyCaret();
  void SetCaretPos(int32_t x, int32_t y);
  TPoint CaretPos() const { return caretPos_; }
  /// Shows a created caret (ShowCaret and HideCaret nest like a counter).
  void ShowCaret();
  void HideCaret();
  bool CaretVisible() const { return caretCreated_ && caretHideCount_ == 0; }

  void WndProc(TMessage& message) override;

 protected:
  /// Draws the control on Canvas(); the default fills the client area with Color.
  virtual void Paint();
  /// Draws the non-client band `band` (window coordinates) on `canvas`; the default fills it
  /// with the button face colour.
  virtual void PaintNonClient(TCanvas& canvas, const TRect& band);
  /// Lets the control draw its own border over the window rectangle `window` (window
  /// coordinates; the client area and the scroll bars are drawn over it afterwards). False,
  /// the default, draws the usual frame of BorderStyle.
  virtual bool PaintBorder(TCanvas& canvas, const TRect& window) {
    (void)canvas, (void)window;
    return false;
  }
  /// Lays the window out again and repaints its frame (after the border changed).
  void FrameChanged();
  std::unique_ptr<TWindowHandle> CreateWindowHandle() override;

 private:
  struct ScrollBarState {
    int32_t Min = 0;
    int32_t Max = 100;
    uint32_t Page = 0;
    int32_t Pos = 0;
    int32_t TrackPos = 0;
    bool Visible = false;
    bool Enabled = true;
  };
  friend class TCustomControlWindow;
  ScrollBarState& Bar(int bar) { return bar == SB_HORZ ? hbar_ : vbar_; }
  const ScrollBarState& Bar(int bar) const { return bar == SB_HORZ ? hbar_ : vbar_; }
  void ScrollBarsChanged();
  /// Room the vertical bar takes left of the client area.
  int32_t LeftBarWidth() const;
  void PaintWindow(TCanvas& canvas, const TRect& rect);
  void CaretChanged(const TRect& oldRect);
  TRect CaretRect() const;

  TFont font_;
  TColor color_ = clWindow;
  TBorderStyle borderStyle_ = bsNone;
  int32_t nonClientTop_ = 0;
  bool leftScrollBar_ = false;
  ScrollBarState hbar_;
  ScrollBarState vbar_;
  std::unique_ptr<TCanvas> measureCanvas_;
  TCanvas* paintCanvas_ = nullptr;
  std::map<uintptr_t, std::unique_ptr<class TTimerSlot>> timers_;
  bool caretCreated_ = false;
  int caretHideCount_ = 1;
  bool caretBlinkOn_ = true;
  TSize caretSize_;
  TPoint caretPos_;
};
