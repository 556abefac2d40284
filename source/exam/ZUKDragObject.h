// The pieces of a drop-and-connect diagram: connectors with their kinds, boxes, the
// relationships between boxes, and the drawing of a box as a push button and of the offered
// connectors as a captioned list panel.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/GraphicsTypes.h"
#include "platform/gui/CustomControl.h"

class TBitmap;
class TCanvas;
class TLabel;

/// Connector kinds; kinds 1 and 3 are directed.
enum TConnectorKind : uint8_t {
  ckUndirected = 0,
  ckDirected = 1,
  ckOneToOne = 2,
  ckOneToMany = 3,  // shown as "Many to One" in the reverse direction
  ckManyToMany = 4,
};

class TConnector {
 public:
  /// A caption longer than this many characters keeps only its beginning.
  static constexpr size_t kMaxCaptionLength = 100;

  const std::string& Caption() const { return caption_; }
  /// Trims blanks and control characters from both ends, then keeps at most 100 characters.
  void SetCaption(std::string_view caption);
  uint8_t Kind() const { return kind_; }
  /// Kinds 2, 3 and 4 also take the kind's name as their caption.
  void SetKind(uint8_t kind);
  bool Directed() const { return directed_; }

 private:
  std::string caption_;
  uint8_t kind_ = ckUndirected;
  bool directed_ = false;
};

struct TBoxInfo {
  std::string Caption;
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;

  TRect BoundsRect() const { return Rect(Left, Top, Left + Width, Top + Height); }
};

struct TRelationshipInfo {
  TBoxInfo* FromBox = nullptr;
  TBoxInfo* ToBox = nullptr;
  TConnector* Connector = nullptr;
  bool Reverse = false;
  /// Computed while drawing: true when the first box joins the label's right end.
  bool Side = false;
  int32_t LabelLeft = 0;
  int32_t LabelTop = 0;
  int32_t LabelWidth = 0;
  int32_t LabelHeight = 0;

  TRect LabelRect() const {
    return Rect(LabelLeft, LabelTop, LabelLeft + LabelWidth, LabelTop + LabelHeight);
  }
};

/// Draws a box: a push button with `caption` word-wrapped and centred in the rectangle 4
/// pixels in, size 9 of the canvas font, ampersands shown as they are.
void DrawPushButton(TCanvas& canvas, const std::string& caption, const TRect& rect);

/// Draws the panel of offered connectors at the right edge of `bitmap`: a raised panel with a
/// title bar and a white list of the captions, every second row on a grey band.
void DrawConnectorList(TBitmap& bitmap, const std::vector<std::string>& captions, const std::string& title);

/// The two segments that join a relationship's label to its boxes, from the label's ends.
struct TRelationshipLines {
  TPoint RightEnd, RightAnchor;
  TPoint LeftEnd, LeftAnchor;
};
/// Joins the label's right end to the box whose nearest anchor lies further right of it and
/// the left end to the other box, setting Side (true when FromBox takes the right end).
TRelationshipLines JoinRelationship(TRelationshipInfo& relationship);
/// The text a connector's label measures: a directed connector's caption between "<<" marks.
std::u16string ConnectorLabelText(const TConnector& connector);
/// The label as drawn once Side is known: the marks of a directed connector and the words of a
/// one-to-many connector follow the direction the label is read in.
std::u16string RelationshipLabelText(const TRelationshipInfo& relationship);

/// The eight points a line may join a box at: corners and side midpoints, clockwise from the
/// top-left corner.
std::vector<TPoint> BoxAnchors(const TBoxInfo& box);
/// The anchor of `box` nearest to `point`; the first in anchor order wins a tie.
TPoint NearestAnchor(const TBoxInfo& box, TPoint point);

/// A straight line as a control of its own, for an interactive diagram: 2 pixels wide in the
/// window-text colour from (X1, Y1) to (X2, Y2) in its parent's coordinates. The control
/// covers the two points' bounding rectangle grown by 2 pixels.
class TSimpleLine : public TCustomControl {
 public:
  explicit TSimpleLine(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TSimpleLine"; }

  int32_t X1() const { return x1_; }
  int32_t Y1() const { return y1_; }
  int32_t X2() const { return x2_; }
  int32_t Y2() const { return y2_; }
  /// Each setter moves the control over the new line and redraws it.
  void SetX1(int32_t value);
  void SetY1(int32_t value);
  void SetX2(int32_t value);
  void SetY2(int32_t value);

 protected:
  void Paint() override;

 private:
  void Place();
  int32_t x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
};

/// The controls that show one relationship in an interactive diagram: two lines and the
/// connector's label (font size 10), all hidden until placed, on `parent`.
class TRelationship {
 public:
  explicit TRelationship(TWinControl* parent);
  ~TRelationship();
  TRelationship(const TRelationship&) = delete;
  TRelationship& operator=(const TRelationship&) = delete;

  TSimpleLine& Line1() { return *line1_; }
  TSimpleLine& Line2() { return *line2_; }
  TLabel& Label() { return *label_; }

 private:
  std::unique_ptr<TSimpleLine> line1_;
  std::unique_ptr<TSimpleLine> line2_;
  std::unique_ptr<TLabel> label_;
};
