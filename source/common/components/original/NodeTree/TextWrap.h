// Breaking node texts into lines that fit a width, shared by height measuring and painting.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/Canvas.h"

/// The lines of `text` broken at spaces so that each fits into `width` pixels (a word wider than
/// that keeps a line of its own), and at every explicit line break (CR, LF or CR LF).
std::vector<std::u16string> WrapTextLines(TCanvas& canvas, const std::u16string& text, int32_t width);
