// Similarity weights: how close two integers or two colours are, scaled by a weight. The
// style sheet and the RTF import sum them to find the existing style closest to a wanted one.
// Scores are 64-bit, so that large values and weights never overflow.
#pragma once

#include <cstdint>

#include "platform/core/Colors.h"

/// `weight` for equal values, falling linearly with |a - b| / |a| and negative beyond a
/// difference of |a|: Round((1 - |a - b| / |a|) * weight), halves to even. For a = 0:
/// (1 - |b|) * weight.
int64_t RVIntegerSimilarity(int32_t a, int32_t b, int32_t weight);

/// 3 * weight + bonus when both colours are clNone, 0 when only one is. Otherwise (system
/// colours resolved to RGB) minus |difference| * weight div 255 for each of red, green and
/// blue, plus `bonus` unless exactly one of the colours is dark (no channel above 64).
int64_t RVColorSimilarity(TColor color1, TColor color2, int32_t weight, int32_t bonus);
