#include "richtext/core/RVMapWht.h"

#include <cstdlib>

#include "platform/core/SysUtils.h"
#include "platform/graphics/SystemColors.h"

int64_t RVIntegerSimilarity(int32_t a, int32_t b, int32_t weight) {
  const int64_t difference = std::llabs(static_cast<int64_t>(a) - b);
  if (a == 0) return (1 - difference) * static_cast<int64_t>(weight);
  const double magnitude = static_cast<double>(std::llabs(static_cast<int64_t>(a)));
  return Round((1.0 - static_cast<double>(difference) / magnitude) * weight);
}

namespace {

bool IsLight(uint32_t rgb) {
  for (int shift = 0; shift < 24; shift += 8)
    if (((rgb >> shift) & 0xFF) > 64) return true;
  return false;
}

}  // namespace

int64_t RVColorSimilarity(TColor color1, TColor color2, int32_t weight, int32_t bonus) {
  if (color1 == clNone || color2 == clNone)
    return color1 == color2 ? 3 * static_cast<int64_t>(weight) + bonus : 0;
  const auto rgb1 = static_cast<uint32_t>(ColorToRGB(color1));
  const auto rgb2 = static_cast<uint32_t>(ColorToRGB(color2));
  int64_t result = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int64_t c1 = (rgb1 >> shift) & 0xFF;
    const int64_t c2 = (rgb2 >> shift) & 0xFF;
    result -= std::llabs(c1 - c2) * weight / 255;
  }
  if (IsLight(rgb1) == IsLight(rgb2)) result += bonus;
  return result;
}
