#include "platform/graphics/Pen.h"

#include "platform/core/TypInfo.h"

const TPropertyList& TPen::ClassProperties() {
  static const TPropertyList list =
      TPropertyBuilder<TPen>(TPersistent::ClassProperties())
          .Color("Color", &TPen::Color, &TPen::SetColor)
          .Enum("Mode", &TPen::Mode, &TPen::SetMode,
                {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
                 "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask",
                 "pmNotMask", "pmXor", "pmNotXor"})
          .Default(pmCopy)
          .Enum("Style", &TPen::Style, &TPen::SetStyle,
                {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"})
          .Default(psSolid)
          .Integer("Width", &TPen::Width, &TPen::SetWidth)
          .Default(1)
          .Build();
  return list;
}

void TPen::Assign(const TPersistent* source) {
  if (const auto* pen = dynamic_cast<const TPen*>(source)) {
    Assign(*pen);
    return;
  }
  TPersistent::Assign(source);
}

void TPen::Assign(const TPen& source) {
  if (&source == this) return;
  color_ = source.color_;
  width_ = source.width_;
  style_ = source.style_;
  mode_ = source.mode_;
  Changed();
}

void TPen::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TPen::SetWidth(int32_t width) {
  if (width < 0) width = 0;
  if (width == width_) return;
  width_ = width;
  Changed();
}

void TPen::SetStyle(TPenStyle style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TPen::SetMode(TPenMode mode) {
  if (mode == mode_) return;
  mode_ = mode;
  Changed();
}

void TPen::Changed() {
  if (OnChange) OnChange(*this);
}
