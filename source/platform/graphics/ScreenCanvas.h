// Whether a canvas shows on the screen (a control's window during its paint message) or draws
// into pixels that the program keeps (a bitmap), for pictures that only animate on screen.
#pragma once

class TCanvas;

/// True for a canvas over a window; false for bitmaps and for canvases without a target.
bool CanvasShowsOnScreen(TCanvas& canvas);
