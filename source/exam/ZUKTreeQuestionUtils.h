// The mock screen pieces around the painted trees of the tree and list answer pictures:
// titles, box outlines, the move-up and move-down buttons and captioned push buttons, and the
// switch of the tree's lines and buttons.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/graphics/GraphicsTypes.h"

class TCanvas;
class TCustomImageList;
class TNodeTree;

/// Sets the canvas font to bold Arial of size 10 (it stays so for what is drawn later; its
/// colour is kept) and the brush to the button face, then draws `text` word-wrapped from the
/// top left of `rect`, clipped to it.
void DrawTitleText(TCanvas& canvas, const TRect& rect, std::u16string_view text);
/// Outlines `rect` in the button-shadow colour with a clear brush (the right and bottom lines
/// lie inside the rectangle).
void ClearCanvas(TCanvas& canvas, const TRect& rect);
/// Two 18 x 18 push buttons, one below the other, at `point`, showing images 0 and 1 of
/// `images` greyed (no images without a list).
void DrawMoveButtons(TCanvas& canvas, TCustomImageList* images, TPoint point);
/// A 75 x 23 push button at `point` with `caption` centred in size 10 of the canvas font.
void DrawCaptionButton(TCanvas& canvas, TPoint point, std::u16string_view caption);
/// Shows or hides the tree's buttons, root lines and tree lines together.
void SetTreeLinesShown(TNodeTree& tree, bool show);
/// `text` without any "&".
std::string RemoveAmpersands(std::string_view text);
inline int32_t RectHeight(const TRect& rect) {
  return rect.Bottom - rect.Top;
}
