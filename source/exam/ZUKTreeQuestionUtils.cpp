#include "exam/ZUKTreeQuestionUtils.h"

#include "common/components/original/NodeTree/NodeTree.h"
#include "exam/ZUKDrawingRoutines.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"

namespace {

constexpr int32_t kMoveButtonSide = 18;
constexpr int32_t kCaptionButtonWidth = 75;
constexpr int32_t kCaptionButtonHeight = 23;
constexpr TVTPaintOptions kTreeLineOptions = toShowButtons | toShowRoot | toShowTreeLines;
static_assert(kTreeLineOptions == 0x0320, "the lines switch turns exactly these options");

}  // namespace

void DrawTitleText(TCanvas& canvas, const TRect& rect, std::u16string_view text) {
  canvas.Font().SetName("Arial");
  canvas.Font().SetSize(10);
  canvas.Font().SetStyle({fsBold});
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(clBtnFace);
  TRect r = rect;
  DrawTextInRect(canvas, text, r, DT_WORDBREAK);
}

void ClearCanvas(TCanvas& canvas, const TRect& rect) {
  canvas.Brush().SetStyle(bsClear);
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetWidth(1);
  canvas.Pen().SetColor(clBtnShadow);
  canvas.Rectangle(rect);
}

void DrawMoveButtons(TCanvas& canvas, TCustomImageList* images, TPoint point) {
  for (int index = 0; index < 2; ++index) {
    const int32_t top = point.Y + index * (kMoveButtonSide + 1);
    DrawPushButtonFrame(canvas, Rect(point.X, top, point.X + kMoveButtonSide, top + kMoveButtonSide));
    if (images != nullptr) images->Draw(canvas, point.X + 4, top + 6, index, false);
  }
}

void DrawCaptionButton(TCanvas& canvas, TPoint point, std::u16string_view caption) {
  DrawPushButtonFrame(canvas,
                      Rect(point.X, point.Y, point.X + kCaptionButtonWidth, point.Y + kCaptionButtonHeight));
  canvas.Font().SetSize(10);
  canvas.Font().SetStyle({});
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(clBtnFace);
  // The vertical-centring bit has no effect on text that may take several lines, so the
  // caption starts 3 pixels below the button's top.
  TRect r = Rect(point.X, point.Y + 3, point.X + kCaptionButtonWidth, point.Y + kCaptionButtonHeight);
  DrawTextInRect(canvas, caption, r, DT_CENTER | DT_VCENTER);
}

void SetTreeLinesShown(TNodeTree& tree, bool show) {
  TNodeTreeOptions& options = tree.GetOptions();
  const TVTPaintOptions current = options.PaintOptions();
  options.SetPaintOptions(show ? (current | kTreeLineOptions) : (current & ~kTreeLineOptions));
}

std::string RemoveAmpersands(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text)
    if (c != '&') result += c;
  return result;
}
