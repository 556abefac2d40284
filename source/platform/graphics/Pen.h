// TPen: colour, width, dash style and raster mode of the lines a canvas draws. The modes
// pmXor and pmNot make drawing reversible (drawing the same figure twice restores the pixels).
#pragma once

#include <cstdint>
#include <functional>

#include "platform/core/Classes.h"
#include "platform/core/Colors.h"

enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

/// How the pen (and the brush of filled figures) combines with the pixels below.
enum TPenMode : uint8_t {
  pmBlack,        // always black
  pmWhite,        // always white
  pmNop,          // leaves the target unchanged
  pmNot,          // inverts the target
  pmCopy,         // the pen colour
  pmNotCopy,      // the inverse of the pen colour
  pmMergePenNot,  // pen | ~target
  pmMaskPenNot,   // pen & ~target
  pmMergeNotPen,  // ~pen | target
  pmMaskNotPen,   // ~pen & target
  pmMerge,        // pen | target
  pmNotMerge,     // ~(pen | target)
  pmMask,         // pen & target
  pmNotMask,      // ~(pen & target)
  pmXor,          // pen ^ target
  pmNotXor,       // ~(pen ^ target)
};

/// Published as Color, Mode (default pmCopy), Style (default psSolid), Width (default 1).
class TPen : public TPersistent {
  ZUK_PUBLISHED(TPen)

 public:
  std::string ClassName() const override { return "TPen"; }
  void Assign(const TPen& source);
  void Assign(const TPersistent* source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int32_t Width() const { return width_; }
  void SetWidth(int32_t width);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle style);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode mode);

  std::function<void(TPen&)> OnChange;

 private:
  void Changed();

  TColor color_ = clBlack;
  int32_t width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};
