// The pictures of a drop-and-connect question: the offered boxes and connectors, and a diagram
// of boxes joined through their connectors' labels (the correct one or a candidate's).
#include <algorithm>

#include "exam/ZUKDragObject.h"
#include "exam/ZUKDrawingRoutines.h"
#include "exam/ZUKException.h"
#include "exam/ZUKQuestion.h"
#include "exam/ZUKRecordLimits.h"
#include "exam/ZUKStream.h"
#include "exam/ZUKTreeQuestionUtils.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace {

constexpr int32_t kChoicesWidth = 600;
constexpr int32_t kBoxGap = 5;
constexpr int32_t kBoxesPerColumn = 4;
constexpr int32_t kDiagramMargin = 10;
constexpr int32_t kEmptyDiagramSide = 20;
constexpr int32_t kLabelFontSize = 9;
constexpr int32_t kLineWidth = 2;
/// Positions read from a file lie within this distance of the origin, so that no sum of a
/// position and a size can overflow; anything further is a broken file.
constexpr int32_t kMaxCoordinate = 1 << 20;

// Smallest records: a caption's length and the kind; a caption's length; four fields.
constexpr int64_t kMinConnectorRecordSize = 5;
constexpr int64_t kMinBoxRecordSize = 4;
constexpr int64_t kMinRelationshipRecordSize = 13;

struct Diagram {
  std::vector<TConnector> connectors;
  std::vector<TBoxInfo> boxes;
  std::vector<TRelationshipInfo> relationships;
};

void CheckBoxSize(int32_t width, int32_t height) {
  if (width < 0 || height < 0) throw EZUKIncorrectFileFormat();
  CheckPrintedPictureSize(width, height);
}

int32_t ReadCoordinate(TStream& stream) {
  const int32_t value = ReadInt32(stream);
  if (value < -kMaxCoordinate || value > kMaxCoordinate) throw EZUKIncorrectFileFormat();
  return value;
}

Diagram ReadDefinition(TMemoryStream& parts, int32_t boxWidth, int32_t boxHeight) {
  Diagram diagram;
  parts.SetPosition(0);
  diagram.connectors.resize(static_cast<size_t>(ReadRecordCount(parts, kMinConnectorRecordSize)));
  for (TConnector& connector : diagram.connectors) {
    connector.SetCaption(ReadString(parts));
    connector.SetKind(ReadByte(parts));
  }
  diagram.boxes.resize(static_cast<size_t>(ReadRecordCount(parts, kMinBoxRecordSize)));
  for (TBoxInfo& box : diagram.boxes) {
    box.Caption = ReadString(parts);
    box.Width = boxWidth;
    box.Height = boxHeight;
  }
  return diagram;
}

/// Columns of four boxes from the top left.
void PlaceOnGrid(std::vector<TBoxInfo>& boxes) {
  for (size_t i = 0; i < boxes.size(); ++i) {
    TBoxInfo& box = boxes[i];
    const int64_t left = static_cast<int64_t>(i / kBoxesPerColumn) * (box.Width + kBoxGap) + kBoxGap;
    if (left > kMaxCoordinate) throw EZUKIncorrectFileFormat();
    box.Left = static_cast<int32_t>(left);
    box.Top = static_cast<int32_t>(i % kBoxesPerColumn) * (box.Height + kBoxGap) + kBoxGap;
  }
}

/// Relationships from `relations`, each followed by its label position from `positions` (the
/// same stream for a response). Ones whose indexes lie outside the lists are left out.
void ReadRelationships(TStream& relations, TStream& positions, Diagram& diagram) {
  const int32_t count = ReadRecordCount(relations, kMinRelationshipRecordSize);
  const auto valid = [](int32_t index, size_t size) {
    return index >= 0 && static_cast<size_t>(index) < size;
  };
  for (int32_t i = 0; i < count; ++i) {
    const int32_t from = ReadInt32(relations);
    const int32_t to = ReadInt32(relations);
    const int32_t connector = ReadInt32(relations);
    const bool reverse = ReadBool(relations);
    TRelationshipInfo relationship;
    relationship.LabelLeft = ReadCoordinate(positions);
    relationship.LabelTop = ReadCoordinate(positions);
    if (!valid(from, diagram.boxes.size()) || !valid(to, diagram.boxes.size()) ||
        !valid(connector, diagram.connectors.size()))
      continue;
    relationship.FromBox = &diagram.boxes[static_cast<size_t>(from)];
    relationship.ToBox = &diagram.boxes[static_cast<size_t>(to)];
    relationship.Connector = &diagram.connectors[static_cast<size_t>(connector)];
    relationship.Reverse = reverse;
    diagram.relationships.push_back(relationship);
  }
}

void MeasureLabels(TCanvas& canvas, Diagram& diagram) {
  for (TRelationshipInfo& relationship : diagram.relationships) {
    const TSize size = canvas.TextExtentW(ConnectorLabelText(*relationship.Connector));
    relationship.LabelWidth = size.cx;
    relationship.LabelHeight = size.cy;
  }
}

/// Moves everything so that the union of boxes and labels starts `kDiagramMargin` pixels in;
/// answers the picture's size.
TSize ShiftToOrigin(Diagram& diagram) {
  if (diagram.boxes.empty()) return {kEmptyDiagramSide, kEmptyDiagramSide};
  int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
  const auto unite = [&](const TRect& r) {
    left = std::min<int64_t>(left, r.Left);
    top = std::min<int64_t>(top, r.Top);
    right = std::max<int64_t>(right, r.Right);
    bottom = std::max<int64_t>(bottom, r.Bottom);
  };
  for (const TBoxInfo& box : diagram.boxes) unite(box.BoundsRect());
  for (const TRelationshipInfo& relationship : diagram.relationships) unite(relationship.LabelRect());
  left -= kDiagramMargin;
  top -= kDiagramMargin;
  const int64_t width = right - left + kDiagramMargin;
  const int64_t height = bottom - top + kDiagramMargin;
  CheckPrintedPictureSize(width, height);
  const auto dx = static_cast<int32_t>(-left);
  const auto dy = static_cast<int32_t>(-top);
  for (TBoxInfo& box : diagram.boxes) {
    box.Left += dx;
    box.Top += dy;
  }
  for (TRelationshipInfo& relationship : diagram.relationships) {
    relationship.LabelLeft += dx;
    relationship.LabelTop += dy;
  }
  return {static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

void DrawSegment(TCanvas& canvas, TPoint from, TPoint to) {
  canvas.MoveTo(from.X, from.Y);
  canvas.LineTo(to.X, to.Y);
}

void DrawRelationship(TCanvas& canvas, TRelationshipInfo& relationship) {
  const TRelationshipLines lines = JoinRelationship(relationship);
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetWidth(kLineWidth);
  canvas.Pen().SetColor(clWindowText);
  DrawSegment(canvas, lines.RightEnd, lines.RightAnchor);
  DrawSegment(canvas, lines.LeftEnd, lines.LeftAnchor);
  canvas.Brush().SetStyle(bsClear);
  canvas.SetBkMode(TRANSPARENT);
  canvas.Font().SetSize(kLabelFontSize);
  canvas.Font().SetColor(clWindowText);
  canvas.TextOutW(relationship.LabelLeft, relationship.LabelTop, RelationshipLabelText(relationship));
}

std::unique_ptr<TBitmap> NewPicture(int32_t width, int32_t height) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(width, height);
  bitmap->Canvas().Font().SetName("Arial");
  ClearCanvas(bitmap->Canvas(), Rect(0, 0, width, height));
  return bitmap;
}

}  // namespace

std::unique_ptr<TBitmap> TDropAndConnectQuestion::DrawChoicesPicture() {
  CheckBoxSize(BoxWidth, BoxHeight);
  const int64_t height = static_cast<int64_t>(BoxHeight) * 5 + 10;
  CheckPrintedPictureSize(kChoicesWidth, height);
  std::unique_ptr<TBitmap> bitmap = NewPicture(kChoicesWidth, static_cast<int32_t>(height));
  if (QuestionParts.Size() == 0) return bitmap;
  Diagram diagram = ReadDefinition(QuestionParts, BoxWidth, BoxHeight);
  PlaceOnGrid(diagram.boxes);
  TCanvas& canvas = bitmap->Canvas();
  for (const TBoxInfo& box : diagram.boxes) DrawPushButton(canvas, box.Caption, box.BoundsRect());
  std::vector<std::string> captions;
  for (const TConnector& connector : diagram.connectors) captions.push_back(connector.Caption());
  DrawConnectorList(*bitmap, captions, ConnectorsTitle);
  return bitmap;
}

std::unique_ptr<TBitmap> TDropAndConnectQuestion::DrawBoxDiagram(TStream* positions, TStream* relations) {
  if (QuestionParts.Size() == 0) return nullptr;
  CheckBoxSize(BoxWidth, BoxHeight);
  Diagram diagram = ReadDefinition(QuestionParts, BoxWidth, BoxHeight);
  if (positions != nullptr && positions->Size() == 0) positions = nullptr;
  if (positions == nullptr) {
    PlaceOnGrid(diagram.boxes);
  } else {
    positions->SetPosition(0);
    for (TBoxInfo& box : diagram.boxes) {
      box.Left = ReadCoordinate(*positions);
      box.Top = ReadCoordinate(*positions);
    }
  }
  if (positions != nullptr && relations != nullptr) {
    // A response keeps its relationships after its box positions, in the same stream.
    if (relations != positions) relations->SetPosition(0);
    ReadRelationships(*relations, *positions, diagram);
  }
  TCanvas measure;
  measure.Font().SetName("Arial");
  measure.Font().SetSize(kLabelFontSize);
  MeasureLabels(measure, diagram);
  const TSize size = ShiftToOrigin(diagram);
  std::unique_ptr<TBitmap> bitmap = NewPicture(size.cx, size.cy);
  TCanvas& canvas = bitmap->Canvas();
  for (TRelationshipInfo& relationship : diagram.relationships) DrawRelationship(canvas, relationship);
  for (const TBoxInfo& box : diagram.boxes) DrawPushButton(canvas, box.Caption, box.BoundsRect());
  return bitmap;
}
