// Drawing with the desktop style: the few look-and-feel elements the tree control and its header
// draw (header sections, expand glyphs, item panels, edit frames), and the notice that the
// style changed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/graphics/Canvas.h"

enum class TStylePrimitive : uint8_t {
  HeaderSection,    // a column caption
  HeaderEmptyArea,  // the header right of the last column
  HeaderSortArrowUp,
  HeaderSortArrowDown,
  BranchClosed,  // expand glyph of a collapsed node
  BranchOpen,    // expand glyph of an expanded node
  BranchLine,    // tree line without glyph
  ItemPanel,     // the background of a tree item
  EditFrame,
  ButtonPanel,
  WindowPanel,
};

// State flags of DrawStylePrimitive.
constexpr uint32_t kStyleHot = 1;
constexpr uint32_t kStylePressed = 2;
constexpr uint32_t kStyleSelected = 4;
constexpr uint32_t kStyleDisabled = 8;
constexpr uint32_t kStyleUnfocused = 16;

/// True when an application object with a style exists, so style drawing works.
bool StyleAvailable();
/// The name of the current style (empty without one).
std::string CurrentStyleName();
/// Draws `primitive` into `rect` (logical coordinates of `canvas`), clipped to `clip` when
/// given; false when there is no style or the canvas has no target.
bool DrawStylePrimitive(TCanvas& canvas, TStylePrimitive primitive, uint32_t state, const TRect& rect,
                        const TRect* clip);
/// Switches the application's style (an installed style by name); false when there is none.
bool SetApplicationStyle(const std::string& name);

/// Calls `handler` whenever the application's style changes; returns an id for removal.
int AddStyleChangeHandler(std::function<void()> handler);
void RemoveStyleChangeHandler(int id);
