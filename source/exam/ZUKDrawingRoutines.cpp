#include "exam/ZUKDrawingRoutines.h"

#include <algorithm>
#include <vector>

#include "common/components/original/NodeTree/TextWrap.h"
#include "exam/ZUKException.h"
#include "platform/core/CodePages.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace {

/// The text as shown: mnemonic marks dropped, a doubled one kept once.
std::u16string StripPrefixes(std::u16string_view text) {
  std::u16string shown;
  shown.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      if (i + 1 >= text.size()) break;
      ++i;
    }
    shown += text[i];
  }
  return shown;
}

std::vector<std::u16string> LayOutLines(TCanvas& canvas, const std::u16string& text, int32_t width,
                                        uint32_t format) {
  if ((format & DT_SINGLELINE) != 0) return {text};
  // Without word breaks only the text's own line breaks end a line.
  constexpr int32_t kUnbounded = 1 << 30;
  return WrapTextLines(canvas, text, (format & DT_WORDBREAK) != 0 ? std::max(1, width) : kUnbounded);
}

/// One ring of an edge: light on the top and left, dark on the bottom and right; shrinks `r`.
void DrawRing(TCanvas& canvas, TRect& r, TColor light, TColor dark) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(light);
  canvas.FillRect(Rect(r.Left, r.Top, r.Right - 1, r.Top + 1));
  canvas.FillRect(Rect(r.Left, r.Top, r.Left + 1, r.Bottom - 1));
  canvas.Brush().SetColor(dark);
  canvas.FillRect(Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
  canvas.FillRect(Rect(r.Right - 1, r.Top, r.Right, r.Bottom));
  r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
}

}  // namespace

int32_t DrawTextInRect(TCanvas& canvas, std::u16string_view text, TRect& rect, uint32_t format) {
  const std::u16string shown = (format & DT_NOPREFIX) != 0 ? std::u16string(text) : StripPrefixes(text);
  const std::vector<std::u16string> lines = LayOutLines(canvas, shown, rect.Width(), format);
  TTextMetric tm;
  canvas.GetTextMetrics(tm);
  const int32_t height = static_cast<int32_t>(lines.size()) * tm.tmHeight;
  if ((format & DT_CALCRECT) != 0) {
    int32_t widest = 0;
    for (const std::u16string& line : lines) widest = std::max(widest, canvas.TextExtentW(line).cx);
    rect = Rect(rect.Left, rect.Top, rect.Left + widest, rect.Top + height);
    return height;
  }
  const int saved = canvas.SaveDC();
  const bool clear = canvas.Brush().Style() == bsClear;
  canvas.SetBkMode(clear ? TRANSPARENT : OPAQUE);
  if (!clear) canvas.SetBkColor(canvas.Brush().Color());
  canvas.SetTextAlign(TA_LEFT | TA_TOP);
  int32_t y = rect.Top;
  if ((format & (DT_SINGLELINE | DT_VCENTER)) == (DT_SINGLELINE | DT_VCENTER))
    y = (rect.Top + rect.Bottom - tm.tmHeight) / 2;
  for (const std::u16string& line : lines) {
    int32_t x = rect.Left;
    if ((format & DT_CENTER) != 0) x = (rect.Left + rect.Right - canvas.TextExtentW(line).cx) / 2;
    canvas.ExtTextOutW(x, y, ETO_CLIPPED, &rect, line);
    y += tm.tmHeight;
    if (y >= rect.Bottom) break;
  }
  canvas.RestoreDC(saved);
  return height;
}

void DrawPushButtonFrame(TCanvas& canvas, const TRect& rect) {
  TRect r = rect;
  DrawRing(canvas, r, clBtnHighlight, cl3DDkShadow);
  DrawRing(canvas, r, cl3DLight, clBtnShadow);
  if (r.Width() <= 0 || r.Height() <= 0) return;
  canvas.Brush().SetColor(clBtnFace);
  canvas.FillRect(r);
}

void DrawRaisedEdge(TCanvas& canvas, const TRect& rect) {
  TRect r = rect;
  DrawRing(canvas, r, cl3DLight, cl3DDkShadow);
  DrawRing(canvas, r, clBtnHighlight, clBtnShadow);
}

void CheckPrintedPictureSize(int64_t width, int64_t height) {
  if (width < 0 || height < 0 || width > kMaxPrintedPictureSide || height > kMaxPrintedPictureSide)
    throw EZUKIncorrectFileFormat();
}

void SetBitmapHeight(TBitmap& bitmap, int32_t height) {
  CheckPrintedPictureSize(bitmap.Width(), height);
  const int32_t old = bitmap.Height();
  bitmap.SetHeight(height);
  if (height <= old) return;
  TCanvas& canvas = bitmap.Canvas();
  canvas.FillRect(Rect(0, old, bitmap.Width(), height));
}

std::u16string UiTextW(std::string_view text) {
  return MultiByteToWide(CP_UTF8, 0, text);
}

std::u16string LocalizedTextW(const std::string& key) {
  return UiTextW(ZUKLocalizedText(key));
}

std::u16string ExamTextW(std::string_view text) {
  return MultiByteToWide(CP_ACP, 0, text);
}
