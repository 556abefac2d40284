// The program's message boxes: error, warning and information, each with the caption
// "ZUK Converter" and one OK button, centred over the owner window and kept on the screen.
#pragma once

#include <string>

#include "platform/graphics/GraphicsTypes.h"

class TCustomForm;

/// Each shows `text` over `form` (over GetOwnerWindow when null) and returns the box's
/// result (IDOK).
int ShowErrorMessage(TCustomForm* form, const std::string& text);
int ShowWarningMessage(TCustomForm* form, const std::string& text);
int ShowInformationMessage(TCustomForm* form, const std::string& text);

/// Where a box of size `box` goes: centred over `owner` (over the screen when `owner` is
/// empty), then moved to keep 10 pixels between it and the edges of a `screen`-sized screen.
TPoint MessageBoxPosition(const TRect& owner, TSize box, TSize screen);
