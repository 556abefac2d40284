// TBrush: the colour and pattern a canvas fills areas with; bsClear fills nothing and makes
// text backgrounds transparent.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/core/Classes.h"
#include "platform/core/Colors.h"

enum TBrushStyle : uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross,
};

/// Published as Color (default clWhite) and Style (default bsSolid).
class TBrush : public TPersistent {
  ZUK_PUBLISHED(TBrush)

 public:
  std::string ClassName() const override { return "TBrush"; }
  void Assign(const TBrush& source);
  void Assign(const TPersistent* source) override;

  TColor Color() const { return color_; }
  /// clNone makes the brush clear; another colour makes a clear brush solid.
  void SetColor(TColor color);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);

  std::function<void(TBrush&)> OnChange;

 private:
  void Changed();

  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
};
