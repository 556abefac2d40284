// Caret positions from the toolkit's own text layout: an independent measure of shaped text.
#pragma once

#include <QFont>
#include <QTextLayout>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"

namespace shapedtext {

/// x of the caret before characters 0 .. size of Text on one line from 0, in the canvas's font.
inline std::vector<int32_t> CaretXs(TCanvas& Canvas, const std::u16string& Text, bool RightToLeft) {
  QFont font(QString::fromStdString(Canvas.Font().Name()));
  font.setPixelSize(std::abs(Canvas.Font().Height()));
  font.setHintingPreference(QFont::PreferFullHinting);
  QTextLayout layout(QString::fromUtf16(Text.data(), static_cast<qsizetype>(Text.size())), font);
  QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
  option.setWrapMode(QTextOption::NoWrap);
  option.setTextDirection(RightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  line.setLineWidth(1e6);
  layout.endLayout();
  std::vector<int32_t> xs;
  for (int k = 0; k <= static_cast<int>(Text.size()); ++k) xs.push_back(std::lround(line.cursorToX(k)));
  return xs;
}

}  // namespace shapedtext
