// Whether a canvas shows on the screen (a control's window during its paint message, or the
// bitmap a control paints through and then copies to its window) or draws into pixels that
// the program keeps (exports, printing), for pictures that only animate on screen.
#pragma once

class TCanvas;

/// True for a canvas over a window and for a canvas that a TScreenBuffer declares; false
/// for other bitmaps and for canvases without a target.
bool CanvasShowsOnScreen(TCanvas& canvas);

/// While it lives, `buffer` shows on the screen when `shownOn` does: a control that paints
/// through an off-screen bitmap and copies it onto its window declares the bitmap's canvas so.
/// GUI thread only; the buffer must outlive the declaration.
class TScreenBuffer {
 public:
  TScreenBuffer(TCanvas& buffer, TCanvas& shownOn);
  ~TScreenBuffer();
  TScreenBuffer(const TScreenBuffer&) = delete;
  TScreenBuffer& operator=(const TScreenBuffer&) = delete;

 private:
  const TCanvas* buffer_ = nullptr;  // nullptr when `shownOn` did not show on the screen
};
