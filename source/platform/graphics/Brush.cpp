#include "platform/graphics/Brush.h"

#include "platform/core/TypInfo.h"

const TPropertyList& TBrush::ClassProperties() {
  static const TPropertyList list = TPropertyBuilder<TBrush>(TPersistent::ClassProperties())
                                        .Color("Color", &TBrush::Color, &TBrush::SetColor)
                                        .Default(clWhite)
                                        .Enum("Style", &TBrush::Style, &TBrush::SetStyle,
                                              {"bsSolid", "bsClear", "bsHorizontal", "bsVertical",
                                               "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"})
                                        .Default(bsSolid)
                                        .Build();
  return list;
}

void TBrush::Assign(const TPersistent* source) {
  if (const auto* brush = dynamic_cast<const TBrush*>(source)) {
    Assign(*brush);
    return;
  }
  TPersistent::Assign(source);
}

void TBrush::Assign(const TBrush& source) {
  if (&source == this) return;
  color_ = source.color_;
  style_ = source.style_;
  Changed();
}

void TBrush::SetColor(TColor color) {
  const TBrushStyle style = color == clNone ? bsClear : (style_ == bsClear ? bsSolid : style_);
  if (color == color_ && style == style_) return;
  color_ = color;
  style_ = style;
  Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TBrush::Changed() {
  if (OnChange) OnChange(*this);
}
