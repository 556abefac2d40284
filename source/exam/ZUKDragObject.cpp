#include "exam/ZUKDragObject.h"

#include <algorithm>
#include <array>

#include "exam/ZUKDrawingRoutines.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "platform/gui/StdCtrls.h"

namespace {

/// Names of the kinds that carry one instead of a caption of their own.
constexpr std::array<const char*, 5> kKindNames = {"Undirected", "Directed", "One to One", "One to Many",
                                                   "Many to Many"};

// The connector list panel.
constexpr int32_t kPanelWidth = 200;
constexpr int32_t kPanelMargin = 5;
constexpr int32_t kTitleBarHeight = 15;
constexpr int32_t kListTextWidth = 188;
constexpr int32_t kMinListHeight = 150;
constexpr int32_t kRowGap = 4;
constexpr TColor kBandColor = 0xE7E7E7;  // red, green and blue 231

constexpr int32_t kLineWidth = 2;
/// The line control reaches this far beyond the line's ends, so its pen is never cut.
constexpr int32_t kLineSlack = 2;
constexpr int32_t kRelationshipLabelFontSize = 10;

int32_t WrappedHeight(TCanvas& canvas, const std::u16string& text, int32_t width) {
  TRect measure = Rect(0, 0, width, 20);
  return DrawTextInRect(canvas, text, measure, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
}

int32_t Midpoint(int32_t a, int32_t b) {
  return static_cast<int32_t>(Round((static_cast<double>(a) + b) / 2));
}

int64_t SquaredDistance(TPoint a, TPoint b) {
  const int64_t dx = static_cast<int64_t>(a.X) - b.X;
  const int64_t dy = static_cast<int64_t>(a.Y) - b.Y;
  return dx * dx + dy * dy;
}

std::u16string DirectedLabel(const std::string& caption, bool pointsLeft) {
  const std::u16string text = ExamTextW(caption);
  return pointsLeft ? u"<< " + text + u" <<" : u">> " + text + u" >>";
}

}  // namespace

void TConnector::SetCaption(std::string_view caption) {
  caption_ = Trim(caption);
  if (caption_.size() > kMaxCaptionLength) caption_.resize(kMaxCaptionLength);
}

void TConnector::SetKind(uint8_t kind) {
  kind_ = kind;
  if (kind == ckOneToOne || kind == ckOneToMany || kind == ckManyToMany) caption_ = kKindNames[kind];
  directed_ = kind == ckDirected || kind == ckOneToMany;
}

void DrawPushButton(TCanvas& canvas, const std::string& caption, const TRect& rect) {
  DrawPushButtonFrame(canvas, rect);
  canvas.Font().SetSize(9);
  canvas.Font().SetColor(clWindowText);
  canvas.Brush().SetStyle(bsClear);
  const std::u16string text = ExamTextW(caption);
  TRect inside = Rect(rect.Left + 4, rect.Top + 4, rect.Right - 4, rect.Bottom - 4);
  const int32_t height = WrappedHeight(canvas, text, inside.Width());
  // Centred vertically by hand: the layout's own vertical centring works on single lines only.
  if (height < inside.Height()) inside.Top += (inside.Height() - height) / 2;
  DrawTextInRect(canvas, text, inside, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
}

void DrawConnectorList(TBitmap& bitmap, const std::vector<std::string>& captions, const std::string& title) {
  TCanvas& canvas = bitmap.Canvas();
  canvas.Font().SetSize(10);
  canvas.Font().SetStyle({});
  std::vector<std::u16string> texts;
  std::vector<int32_t> heights;
  int64_t listHeight = 0;
  for (const std::string& caption : captions) {
    texts.push_back(ExamTextW(caption));
    heights.push_back(WrappedHeight(canvas, texts.back(), kListTextWidth));
    listHeight += heights.back() + kRowGap;
  }
  listHeight = std::max<int64_t>(listHeight, kMinListHeight);
  CheckPrintedPictureSize(bitmap.Width(), listHeight);

  const int32_t right = bitmap.Width() - kPanelMargin;
  const TRect panel = Rect(right - kPanelWidth, kPanelMargin, right, static_cast<int32_t>(listHeight) + 31);
  DrawRaisedEdge(canvas, panel);
  const TRect inside = Rect(panel.Left + 2, panel.Top + 2, panel.Right - 2, panel.Bottom - 2);
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(clBtnFace);
  canvas.FillRect(inside);

  const TRect titleBar = Rect(inside.Left, inside.Top, inside.Right, inside.Top + kTitleBarHeight);
  canvas.Brush().SetColor(clActiveCaption);
  canvas.FillRect(titleBar);
  canvas.Font().SetSize(8);
  canvas.Font().SetStyle({fsBold});
  canvas.Font().SetColor(clCaptionText);
  TRect titleText = Rect(titleBar.Left + 2, titleBar.Top + 1, titleBar.Right - 2, titleBar.Bottom);
  DrawTextInRect(canvas, ExamTextW(title), titleText, DT_SINGLELINE | DT_NOPREFIX);

  const TRect list = Rect(inside.Left, titleBar.Bottom, inside.Right, inside.Bottom);
  canvas.Brush().SetColor(clWhite);
  canvas.FillRect(list);
  canvas.Brush().SetColor(clBtnShadow);
  canvas.FrameRect(list);
  canvas.Font().SetSize(10);
  canvas.Font().SetStyle({});
  canvas.Font().SetColor(clWindowText);
  const int32_t left = list.Left + (list.Width() - kListTextWidth) / 2;
  int32_t top = list.Top + kRowGap;
  for (size_t row = 0; row < texts.size() && top < list.Bottom; ++row) {
    canvas.Brush().SetStyle(bsSolid);
    if (row % 2 == 1) {
      canvas.Brush().SetColor(kBandColor);
      canvas.FillRect(Rect(left - 1, top - 2, left + kListTextWidth + 1, top + heights[row] + 2));
    }
    canvas.Brush().SetStyle(bsClear);
    TRect text = Rect(left, top, left + kListTextWidth, std::min(top + heights[row], list.Bottom - 1));
    DrawTextInRect(canvas, texts[row], text, DT_WORDBREAK | DT_NOPREFIX);
    top += heights[row] + kRowGap;
  }
}

std::vector<TPoint> BoxAnchors(const TBoxInfo& box) {
  const TRect r = box.BoundsRect();
  const int32_t midX = Midpoint(r.Left, r.Right);
  const int32_t midY = Midpoint(r.Top, r.Bottom);
  return {Point(r.Left, r.Top),     Point(midX, r.Top),    Point(r.Right, r.Top),   Point(r.Right, midY),
          Point(r.Right, r.Bottom), Point(midX, r.Bottom), Point(r.Left, r.Bottom), Point(r.Left, midY)};
}

TPoint NearestAnchor(const TBoxInfo& box, TPoint point) {
  const std::vector<TPoint> anchors = BoxAnchors(box);
  TPoint best = anchors.front();
  int64_t bestDistance = SquaredDistance(best, point);
  for (const TPoint& anchor : anchors) {
    const int64_t distance = SquaredDistance(anchor, point);
    if (distance < bestDistance) {
      best = anchor;
      bestDistance = distance;
    }
  }
  return best;
}

TRelationshipLines JoinRelationship(TRelationshipInfo& relationship) {
  const int32_t middle = relationship.LabelTop + static_cast<int32_t>(Round(relationship.LabelHeight / 2.0));
  TRelationshipLines lines;
  lines.LeftEnd = Point(relationship.LabelLeft, middle);
  lines.RightEnd = Point(relationship.LabelLeft + relationship.LabelWidth, middle);
  const TPoint a = NearestAnchor(*relationship.FromBox, lines.RightEnd);
  const TPoint b = NearestAnchor(*relationship.ToBox, lines.RightEnd);
  relationship.Side = !(a.X - lines.RightEnd.X < b.X - lines.RightEnd.X);
  lines.RightAnchor = relationship.Side ? a : b;
  lines.LeftAnchor =
      NearestAnchor(relationship.Side ? *relationship.ToBox : *relationship.FromBox, lines.LeftEnd);
  return lines;
}

std::u16string ConnectorLabelText(const TConnector& connector) {
  if (connector.Kind() == ckDirected) return DirectedLabel(connector.Caption(), true);
  return ExamTextW(connector.Caption());
}

std::u16string RelationshipLabelText(const TRelationshipInfo& relationship) {
  const TConnector& connector = *relationship.Connector;
  if (connector.Kind() == ckDirected)
    return DirectedLabel(connector.Caption(), relationship.Side == relationship.Reverse);
  if (connector.Kind() == ckOneToMany)
    return relationship.Side != relationship.Reverse ? u"One to Many" : u"Many to One";
  return ExamTextW(connector.Caption());
}

TSimpleLine::TSimpleLine(TComponent* owner) : TCustomControl(owner) {
  Place();
}

void TSimpleLine::SetX1(int32_t value) {
  x1_ = value;
  Place();
}
void TSimpleLine::SetY1(int32_t value) {
  y1_ = value;
  Place();
}
void TSimpleLine::SetX2(int32_t value) {
  x2_ = value;
  Place();
}
void TSimpleLine::SetY2(int32_t value) {
  y2_ = value;
  Place();
}

void TSimpleLine::Place() {
  const int32_t left = std::min(x1_, x2_) - kLineSlack;
  const int32_t top = std::min(y1_, y2_) - kLineSlack;
  SetBounds(left, top, std::abs(x2_ - x1_) + 2 * kLineSlack, std::abs(y2_ - y1_) + 2 * kLineSlack);
  Invalidate();
}

void TSimpleLine::Paint() {
  TCanvas& canvas = Canvas();
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(Color());
  canvas.FillRect(ClientRect());
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetWidth(kLineWidth);
  canvas.Pen().SetColor(clWindowText);
  canvas.MoveTo(x1_ - Left(), y1_ - Top());
  canvas.LineTo(x2_ - Left(), y2_ - Top());
}

TRelationship::TRelationship(TWinControl* parent)
    : line1_(std::make_unique<TSimpleLine>()),
      line2_(std::make_unique<TSimpleLine>()),
      label_(std::make_unique<TLabel>()) {
  TFont font;
  font.SetSize(kRelationshipLabelFontSize);
  label_->SetFont(font);
  for (TControl* control : {static_cast<TControl*>(line1_.get()), static_cast<TControl*>(line2_.get()),
                            static_cast<TControl*>(label_.get())}) {
    control->SetVisible(false);
    control->SetParent(parent);
  }
}

TRelationship::~TRelationship() = default;
