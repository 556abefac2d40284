// Table painting: the table's background, the rules between columns and rows, its border,
// then every cell that reaches the clip rectangle with its colour or background picture, its
// content and its border. Borders come in five styles; sides a cell hides are shown as dotted
// grid lines while the table lies in an editor, unless a neighbour draws that side anyway.
// Every length is converted to the device while the table is painted for one.
#include <algorithm>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/SystemColors.h"
#include "richtext/core/RVStyle.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/viewer/CRVFData.h"

TPenStyle RVTableGridStyle = psDot;

namespace {

bool Meets(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

TRect Intersection(const TRect& a, const TRect& b) {
  return Rect(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
              std::min(a.Bottom, b.Bottom));
}

/// An axis-aligned line from (x1, y1) towards (x2, y2), its end left out, cut to what the
/// canvas shows: the lines of a table of absurd size cost no more than the area painted.
void Line(TCanvas& Canvas, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const TRect clip = Canvas.ClipRect();
  if (y1 == y2) {
    if (y1 < clip.Top || y1 >= clip.Bottom) return;
    x1 = std::max(x1, clip.Left - 1);
    x2 = std::min(x2, clip.Right + 1);
    if (x1 >= x2) return;
  } else if (x1 == x2) {
    if (x1 < clip.Left || x1 >= clip.Right) return;
    y1 = std::max(y1, clip.Top - 1);
    y2 = std::min(y2, clip.Bottom + 1);
    if (y1 >= y2) return;
  }
  Canvas.MoveTo(x1, y1);
  Canvas.LineTo(x2, y2);
}

/// The lines i in [0, Count) of a band whose line i stands at Base + Dir * i, narrowed to
/// those inside [Lo, Hi): From and To (excluded).
void VisibleLines(int64_t Base, int Dir, int64_t Lo, int64_t Hi, int32_t Count, int32_t& From, int32_t& To) {
  int64_t first = Dir > 0 ? Lo - Base : Base - Hi + 1;
  int64_t last = Dir > 0 ? Hi - 1 - Base : Base - Lo;
  From = static_cast<int32_t>(std::clamp<int64_t>(first, 0, Count));
  To = static_cast<int32_t>(std::clamp<int64_t>(last + 1, 0, Count));
}

void FillSolid(TCanvas& Canvas, const TRect& R, TColor Color) {
  Canvas.Brush().SetStyle(bsSolid);
  Canvas.Brush().SetColor(Color);
  Canvas.FillRect(R);
}

/// The four sides of a border, in the order they are drawn.
enum class TSide : uint8_t { Top, Left, Bottom, Right };

bool SideVisible(const TRVBooleanRect* Visible, TSide Side) {
  if (Visible == nullptr) return true;
  switch (Side) {
    case TSide::Top:
      return Visible->Top;
    case TSide::Left:
      return Visible->Left;
    case TSide::Bottom:
      return Visible->Bottom;
    case TSide::Right:
      return Visible->Right;
  }
  return true;
}

/// Lines 0 (outermost) to Width - 1 of a side of the rectangle L..R, T..B (inclusive right
/// and bottom), each a pixel further in; only the lines the canvas shows are drawn. With
/// Mitred, top and left lines leave the far corner to the bottom and right ones, and every
/// line shortens with its depth (3-D borders); otherwise horizontal lines run the whole
/// width and vertical ones from VTop to VBottom.
void SideLines(TCanvas& Canvas, TSide Side, int32_t L, int32_t T, int32_t R, int32_t B, int32_t Width,
               bool Mitred, int32_t VTop, int32_t VBottom) {
  const TRect clip = Canvas.ClipRect();
  const bool vertical = Side == TSide::Left || Side == TSide::Right;
  const bool far = Side == TSide::Bottom || Side == TSide::Right;
  const int32_t base = Side == TSide::Top ? T : Side == TSide::Left ? L : Side == TSide::Bottom ? B : R;
  int32_t from = 0, to = 0;
  VisibleLines(base, far ? -1 : 1, vertical ? clip.Left : clip.Top, vertical ? clip.Right : clip.Bottom,
               Width, from, to);
  for (int32_t i = from; i < to; ++i) {
    const int32_t at = far ? base - i : base + i;
    if (!Mitred) {
      if (vertical)
        Line(Canvas, at, VTop, at, VBottom + 1);
      else
        Line(Canvas, L, at, R + 1, at);
      continue;
    }
    switch (Side) {
      case TSide::Top:
        Line(Canvas, L + i, at, R - i, at);
        break;
      case TSide::Left:
        Line(Canvas, at, T + i, at, B - i);
        break;
      case TSide::Bottom:
        Line(Canvas, L + i, at, R - i + 1, at);
        break;
      case TSide::Right:
        Line(Canvas, at, T + i, at, B - i + 1);
        break;
    }
  }
}

/// One line of full width, half the width inward (printing with halftone borders).
void ThickSideLine(TCanvas& Canvas, TSide Side, int32_t L, int32_t T, int32_t R, int32_t B, int32_t Width,
                   int32_t Extra) {
  const int32_t in = Width / 2;
  Canvas.Pen().SetWidth(Width);
  switch (Side) {
    case TSide::Top:
      Line(Canvas, L, T + in + Extra, R + 1, T + in + Extra);
      break;
    case TSide::Left:
      Line(Canvas, L + in, T, L + in, B + 1);
      break;
    case TSide::Bottom:
      Line(Canvas, L, B - in - Extra, R + 1, B - in - Extra);
      break;
    case TSide::Right:
      Line(Canvas, R - in, T, R - in, B + 1);
      break;
  }
  Canvas.Pen().SetWidth(1);
}

/// The rows one painting draws and where they go: on the screen every row from First, as
/// laid out; on a printed page the heading rows first and the page's rows right below them.
struct TPaintedRows {
  int Headings = 0;
  int First = 0;
  int Last = -1;
  int32_t Shift = 0;  // added to the laid-out top of rows from First on
};

class TTablePainter {
 public:
  TTablePainter(TRVTableItemInfo& Table, TCanvas& Canvas, int32_t X, int32_t Y, const TRect& Clip,
                const TRVTableItemFormattingInfo& Info, TRVTablePaintFlags Flags, TRVColorMode ColorMode)
      : table_(Table),
        canvas_(Canvas),
        x_(X),
        y_(Y),
        clip_(Clip),
        info_(Info),
        flags_(Flags),
        colorMode_(ColorMode),
        printing_((Flags & rvtpPrinting) != 0),
        hiddenGrid_((Table.State & rvtsEditMode) != 0 && (Table.Options & rvtoHideGridLines) == 0) {}

  void Paint(int FirstRow, int RowCount, int HeadingRows);

 private:
  const TRVTableRows& rows() const { return table_.Rows(); }
  int32_t rowTop(int Row) const {
    return info_.RowStarts[Row] + (Row >= painted_.First ? painted_.Shift : 0);
  }
  /// Bottom of a row's cells, padding and border included.
  int32_t rowBottom(int Row) const {
    return rowTop(Row) + info_.RowHeights[Row] +
           table_.ScaleV(2 * table_.CellPadding + table_.CellBorderWidth);
  }
  void chooseRows(int FirstRow, int RowCount, int HeadingRows);
  void paintBackground();
  /// The rules between columns (Vertical) or rows.
  void paintRules(bool Vertical);
  void paintCellsOfRow(int Row);
  void paintCell(int Row, int Col, TRVTableCellData& Cell, TRect R);
  /// A printed cell's content: its printable document, where the page shows its row.
  void printCellContent(int Row, int Col, const TRVTableCellData& Cell, const TRect& R);
  TRect cellRect(int Row, int Col, const TRVTableCellData& Cell) const;
  TColor backColor(TColor Color) const;

  TRVTableItemInfo& table_;
  TCanvas& canvas_;
  const int32_t x_, y_;
  const TRect clip_;
  const TRVTableItemFormattingInfo& info_;
  const TRVTablePaintFlags flags_;
  const TRVColorMode colorMode_;
  const bool printing_;
  const bool hiddenGrid_;
  TPaintedRows painted_;
  TRect tableRect_;
};

TColor TTablePainter::backColor(TColor Color) const {
  if (Color == clNone) return clNone;
  if (printing_ && (table_.PrintOptions & rvtoWhiteBackground) != 0) return clWhite;
  return RVBackColorForColorMode(Color, colorMode_);
}

void TTablePainter::chooseRows(int FirstRow, int RowCount, int HeadingRows) {
  const int n = rows().Count();
  if (!printing_) {
    // The first row whose bottom reaches the clip rectangle.
    int first = 0;
    while (first < n - 1 && y_ + rowBottom(first) < clip_.Top) ++first;
    painted_.First = first;
    painted_.Last = n - 1;
    return;
  }
  painted_.First = std::clamp(FirstRow, 0, n);
  painted_.Last = std::min(n - 1, painted_.First + std::max(RowCount, 0) - 1);
  painted_.Headings = std::clamp(std::min(HeadingRows, table_.HeadingRowCount), 0, painted_.First);
  if (painted_.First < n)
    painted_.Shift = info_.RowStarts[painted_.Headings] - info_.RowStarts[painted_.First];
}

void TTablePainter::Paint(int FirstRow, int RowCount, int HeadingRows) {
  // The cells' offsets serve hit testing as well as painting, so the table keeps its place in
  // the control's client area; the canvas may be a bitmap of any part of it, or a page.
  table_.ClientLeft = x_;
  table_.ClientTop = y_;
  table_.RefreshClientCoords(table_.GetParentData());
  const int n = rows().Count();
  if (n == 0 || info_.RowStarts.Count() < n || info_.ColStarts.Count() < rows().GetColCount()) {
    tableRect_ = Bounds(x_, y_, info_.Width, info_.Height);
    paintBackground();
    return;
  }
  chooseRows(FirstRow, RowCount, HeadingRows);
  int32_t height = info_.Height;
  if (painted_.Last >= painted_.First && printing_) {
    // The rows of the page plus what lies outside all rows (borders and outer spacing).
    const int32_t outside = info_.Height - (info_.RowStarts[n - 1] + info_.RowHeights[n - 1]);
    height = rowTop(painted_.Last) + info_.RowHeights[painted_.Last] + outside;
  }
  tableRect_ = Bounds(x_, y_, info_.Width, height);

  paintBackground();
  paintRules(true);
  paintRules(false);

  TRVTableBorder border;
  border.Left = tableRect_.Left;
  border.Top = tableRect_.Top;
  border.Right = tableRect_.Right;
  border.Bottom = tableRect_.Bottom;
  border.Width = table_.BorderWidth;
  border.LightColor = table_.BorderLightColor;
  border.Color = table_.BorderColor;
  auto* parent = dynamic_cast<TCustomRVFormattedData*>(table_.GetParentData());
  border.BackgroundColor = parent != nullptr ? parent->GetColor() : clNone;
  border.Style = table_.BorderStyle;
  border.DrawHiddenGrid = hiddenGrid_;
  border.Printing = printing_;
  table_.DrawBorder(canvas_, border, clip_, colorMode_);

  // Cells of rows above that reach into the first painted row.
  if (painted_.First > 0 && painted_.First < n)
    for (int r = painted_.Headings; r < painted_.First; ++r)
      for (int c = 0; c < rows().GetColCount(); ++c) {
        TRVTableCellData* cell = table_.GetCell(r, c);
        if (cell == nullptr || r + cell->RowSpan <= painted_.First) continue;
        TRect rect = cellRect(r, c, *cell);
        if (printing_) rect.Top = y_ + rowTop(painted_.First);
        paintCell(r, c, *cell, rect);
      }
  for (int r = 0; r < painted_.Headings; ++r) paintCellsOfRow(r);
  for (int r = painted_.First; r <= painted_.Last; ++r) {
    if (y_ + rowTop(r) > clip_.Bottom) break;
    paintCellsOfRow(r);
  }
}

TRect TTablePainter::cellRect(int Row, int Col, const TRVTableCellData& Cell) const {
  if (!printing_) return Bounds(x_ + Cell.Left, y_ + rowTop(Row), Cell.Width, Cell.Height);
  // The print layout's columns and rows the cell covers, with the gaps between them; a
  // merged cell ends with the page's last row.
  const int cols = rows().GetColCount();
  const int lastCol = std::min(Col + Cell.ColSpan, cols) - 1;
  const int lastRow = std::min(Row + Cell.RowSpan - 1, painted_.Last);
  const int32_t padH = table_.ScaleH(2 * table_.CellPadding), padV = table_.ScaleV(2 * table_.CellPadding);
  return Rect(x_ + info_.ColStarts[Col], y_ + rowTop(Row),
              x_ + info_.ColStarts[lastCol] + info_.ColWidths[lastCol] + padH,
              y_ + rowTop(std::max(lastRow, Row)) + info_.RowHeights[std::max(lastRow, Row)] + padV);
}

void TTablePainter::paintCellsOfRow(int Row) {
  for (int c = 0; c < rows().GetColCount(); ++c) {
    TRVTableCellData* cell = table_.GetCell(Row, c);
    if (cell == nullptr) continue;
    if (x_ + cell->Left > clip_.Right) break;
    paintCell(Row, c, *cell, cellRect(Row, c, *cell));
  }
}

void TTablePainter::paintBackground() {
  TRVBackground* back = table_.GetTableBackground();
  const bool picture = back != nullptr && table_.GetBackgroundImage() != nullptr;
  if (!picture) {
    if (table_.Color != clNone) FillSolid(canvas_, Intersection(tableRect_, clip_), backColor(table_.Color));
    return;
  }
  const TColor color = backColor(table_.Color);
  if (printing_ && table_.DeviceScale != nullptr)
    back->DrawScaled(canvas_, tableRect_, tableRect_, *table_.DeviceScale, color, nullptr, {}, 0);
  else
    back->Draw(canvas_, tableRect_, 0, 0, tableRect_.Left, tableRect_.Top, tableRect_.Width(),
               tableRect_.Height(), color, true);
}

void TTablePainter::paintRules(bool Vertical) {
  const TRVTableItemInfo& t = table_;
  const int32_t ruleWidth = Vertical ? t.VRuleWidth : t.HRuleWidth;
  const TColor ruleColor = Vertical ? t.VRuleColor : t.HRuleColor;
  if (ruleWidth == 0 || ruleColor == clNone) return;
  // Lines past the table's size would only cover each other: a width from a file stays bounded.
  const int32_t width = std::clamp(Vertical ? t.ScaleH(ruleWidth) : t.ScaleV(ruleWidth), 0,
                                   std::max(tableRect_.Width(), tableRect_.Height()));
  // Outermost rules make room for the rules of the other direction.
  const int32_t crossWidth = Vertical ? t.HRuleWidth : t.VRuleWidth;
  const bool cross = crossWidth != 0 && (Vertical ? t.HRuleColor : t.VRuleColor) != clNone;
  const int32_t shorten = cross ? (Vertical ? t.ScaleV(crossWidth) : t.ScaleH(crossWidth)) : 0;
  const auto scale = [&](int32_t v) { return Vertical ? t.ScaleH(v) : t.ScaleV(v); };
  canvas_.Pen().SetStyle(psSolid);
  canvas_.Pen().SetMode(pmCopy);
  canvas_.Pen().SetWidth(1);
  canvas_.Pen().SetColor(RVTextColorForColorMode(ruleColor, colorMode_));
  const int32_t origin = Vertical ? x_ : y_;
  const int32_t clipEnd = Vertical ? clip_.Right : clip_.Bottom;
  // A rule is centred in the gap that ends at GapEnd (table coordinates).
  auto rule = [&](int32_t GapEnd, int32_t Gap, bool Outermost) {
    const int32_t at = origin + GapEnd - (Gap + 1) / 2 - width / 2;
    if (at > clipEnd) return false;
    const int32_t from = (Vertical ? tableRect_.Top : tableRect_.Left) + (Outermost ? shorten : 0);
    const int32_t to = (Vertical ? tableRect_.Bottom : tableRect_.Right) - (Outermost ? shorten : 0);
    const TRect clip = canvas_.ClipRect();
    int32_t first = 0, end = 0;
    VisibleLines(at, 1, Vertical ? clip.Left : clip.Top, Vertical ? clip.Right : clip.Bottom, width, first,
                 end);
    for (int32_t i = first; i < end; ++i)
      if (Vertical)
        Line(canvas_, at + i, from, at + i, to);
      else
        Line(canvas_, from, at + i, to, at + i);
    return true;
  };
  // Where the columns (rows) start on the canvas, border included, in their order there.
  const int32_t border = scale(t.CellBorderWidth);
  std::vector<int32_t> starts;
  if (Vertical) {
    for (int c = 0; c < rows().GetColCount(); ++c) starts.push_back(info_.ColStarts[c] - border);
  } else {
    for (int r = 0; r < painted_.Headings; ++r) starts.push_back(rowTop(r) - border);
    for (int r = printing_ ? painted_.First : 0; r <= painted_.Last; ++r)
      starts.push_back(rowTop(r) - border);
  }
  if (starts.empty()) return;
  const bool outermost = Vertical ? t.VOutermostRule : t.HOutermostRule;
  const int32_t outerGap = scale(Vertical ? t.BorderHSpacing : t.BorderVSpacing);
  const int32_t innerGap = scale(Vertical ? t.CellHSpacing : t.CellVSpacing);
  if (outermost && !rule(starts.front(), outerGap, true)) return;
  for (size_t i = 1; i < starts.size(); ++i)
    if (!rule(starts[i], innerGap, false)) return;
  const int32_t extent = Vertical ? tableRect_.Width() : tableRect_.Height();
  if (outermost) rule(extent - scale(t.BorderWidth), outerGap, true);
}

void TTablePainter::printCellContent(int Row, int Col, const TRVTableCellData& Cell, const TRect& R) {
  TRVTablePrintableCell* printed = info_.PrintableCell(Row, Col, rows().GetColCount());
  if (printed == nullptr || !Meets(R, clip_)) return;
  // The document was placed for the whole table; the page moves the rows it shows.
  const int32_t shift = Row >= painted_.First ? painted_.Shift : 0;
  const int32_t valign = TRVTableItemInfo::GetVAlignShift(
      printed->GetContentHeight(), printed->GetPlacedHeight(), Cell.GetEffectiveVAlign());
  const int saved = canvas_.SaveDC();
  canvas_.IntersectClipRect(R);
  printed->Print(canvas_, x_, y_ + shift + valign, (flags_ & rvtpPreview) != 0,
                 (flags_ & rvtpPreviewCorrection) != 0);
  canvas_.RestoreDC(saved);
}

void TTablePainter::paintCell(int Row, int Col, TRVTableCellData& Cell, TRect R) {
  TRVStyle* style = table_.GetParentData() != nullptr ? table_.GetParentData()->GetRVStyle() : nullptr;
  TRVTableCellEditorLink* editor = table_.CellEditor;
  const bool edited = !printing_ && editor != nullptr && editor->GetRow() == Row && editor->GetCol() == Col;
  const bool hatched = edited && editor->ScrollsItself();
  const bool selected = (flags_ & rvtpSelected) != 0 || (!printing_ && table_.IsCellSelected(Row, Col));
  TColor selColor = clNone;
  if (style != nullptr) selColor = (flags_ & rvtpFocused) != 0 ? style->SelColor : style->InactiveSelColor;
  TColor color = selected && selColor != clNone ? selColor : Cell.Color;
  if (hatched && color == clNone) color = clWindow;
  const bool picture = Cell.GetBackgroundImage() != nullptr;

  if (color != clNone || picture) {
    color = backColor(color);
    TRect fill = R;
    if ((table_.Options & rvtoCellBelowBorders) != 0) {
      const int32_t bw = table_.ScaleH(table_.CellBorderWidth), bh = table_.ScaleV(table_.CellBorderWidth);
      fill = Rect(fill.Left - bw, fill.Top - bh, fill.Right + bw, fill.Bottom + bh);
    }
    if (hatched) {
      // The editor shows the content; the hatch says the cell is being edited elsewhere.
      canvas_.Brush().SetStyle(bsFDiagonal);
      canvas_.Brush().SetColor(table_.CellBorderColor);
      const int oldMode = canvas_.SetBkMode(OPAQUE);
      const TColor oldColor = canvas_.SetBkColor(color);
      canvas_.FillRect(fill);
      canvas_.SetBkColor(oldColor);
      canvas_.SetBkMode(oldMode);
    } else if (!picture || selected) {
      if (color != clNone) FillSolid(canvas_, fill, color);
    } else if (printing_ && table_.DeviceScale != nullptr) {
      Cell.GetCellBackground()->DrawScaled(canvas_, fill, fill, *table_.DeviceScale, color, nullptr, {}, 0);
    } else {
      Cell.GetCellBackground()->Draw(canvas_, fill, 0, 0, fill.Left, fill.Top, fill.Width(), fill.Height(),
                                     color, true);
    }
    canvas_.Brush().SetStyle(bsSolid);
  }

  if (printing_) printCellContent(Row, Col, Cell, R);
  if (!printing_ && !edited && Meets(R, clip_)) {
    // A selected cell shows its text as selected, for this painting only.
    const bool mark = selected && (Cell.StateFlags & rvstWholeDataSelected) == 0;
    if (mark) Cell.StateFlags |= rvstWholeDataSelected;
    // Content wider than its column (a glyph wider than the minimum a word asks for) stays
    // inside the cell rather than crossing its border and the table's.
    const int saved = canvas_.SaveDC();
    canvas_.IntersectClipRect(R);
    // The cell paints its area onto a canvas whose corner is that area's; it names the area
    // in client coordinates, where its offsets are.
    TRect area = Intersection(R, clip_);
    canvas_.MoveWindowOrg(-area.Left, -area.Top);
    area.Offset(table_.ClientLeft - x_, table_.ClientTop - y_);
    Cell.Paint(canvas_, area);
    canvas_.RestoreDC(saved);
    if (mark) Cell.StateFlags &= ~rvstWholeDataSelected;
  }

  TRVTableBorder border;
  const int32_t bw = table_.ScaleH(table_.CellBorderWidth), bh = table_.ScaleV(table_.CellBorderWidth);
  border.Left = R.Left - bw;
  border.Top = R.Top - bh;
  border.Right = R.Right + bw;
  border.Bottom = R.Bottom + bh;
  border.Width = table_.CellBorderWidth;
  border.Color = Cell.BorderColor != clNone ? Cell.BorderColor : table_.CellBorderColor;
  border.LightColor = Cell.BorderLightColor != clNone ? Cell.BorderLightColor : table_.CellBorderLightColor;
  border.BackgroundColor = table_.Color;
  border.Style = table_.CellBorderStyle;
  border.DrawHiddenGrid = hiddenGrid_;
  border.Printing = printing_;
  border.VisibleBorders = &Cell.VisibleBorders;
  border.Row = Row;
  border.Col = Col;
  table_.DrawBorder(canvas_, border, clip_, colorMode_);
}

}  // namespace

void TRVTableItemInfo::PaintFullWidth(int32_t Left, int32_t Right, int32_t Top, TCanvas& Canvas,
                                      TRVItemDrawStates State, TRVStyle* Style, const TRect& ClipRect,
                                      TRVDrawLineInfo* DrawItem) {
  (void)Right, (void)Style, (void)DrawItem;
  TRVTablePaintFlags flags = 0;
  if ((State & rvidsSelected) != 0) flags |= rvtpSelected;
  if ((State & rvidsControlFocused) != 0) flags |= rvtpFocused;
  PaintTo(Canvas, Left, Top, ClipRect, FormattingInfo, flags, 0, 0, Rows_->Count(), 0);
}

void TRVTableItemInfo::PaintTo(TCanvas& Canvas, int32_t X, int32_t Y, const TRect& ClipRect,
                               const TRVTableItemFormattingInfo& Info, TRVTablePaintFlags Flags,
                               TRVColorMode ColorMode, int FirstRow, int RowCount, int HeadingRows) {
  TTablePainter(*this, Canvas, X, Y, ClipRect, Info, Flags, ColorMode).Paint(FirstRow, RowCount, HeadingRows);
}

namespace {

/// Whether a hidden side of the cell at (Row, Col) is drawn by its neighbour or by the
/// table's border anyway: negative spacing makes them overlap.
bool DrawnByNeighbour(const TRVTableItemInfo& Table, int Row, int Col, TSide Side) {
  const TRVTableRows& rows = Table.Rows();
  const TRVTableCellData* cell = Table.GetCell(Row, Col);
  if (cell == nullptr) return false;
  const int lastRow = Row + cell->RowSpan - 1, lastCol = Col + cell->ColSpan - 1;
  const bool outer = Table.BorderWidth > 0;
  auto neighbourShows = [&](int r, int c, TSide facing) {
    int mr = 0, mc = 0;
    const TRVTableCellData* main = rows.GetMainCell(r, c, mr, mc);
    return main != nullptr && SideVisible(&main->VisibleBorders, facing);
  };
  switch (Side) {
    case TSide::Top:
      return Row == 0 ? Table.BorderVSpacing < 0 && outer
                      : Table.CellVSpacing < 0 && neighbourShows(Row - 1, Col, TSide::Bottom);
    case TSide::Bottom:
      return lastRow == rows.Count() - 1
                 ? Table.BorderVSpacing < 0 && outer
                 : Table.CellVSpacing < 0 && neighbourShows(lastRow + 1, Col, TSide::Top);
    case TSide::Left:
      return Col == 0 ? Table.BorderHSpacing < 0 && outer
                      : Table.CellHSpacing < 0 && neighbourShows(Row, Col - 1, TSide::Right);
    case TSide::Right:
      return lastCol == rows.GetColCount() - 1
                 ? Table.BorderHSpacing < 0 && outer
                 : Table.CellHSpacing < 0 && neighbourShows(Row, lastCol + 1, TSide::Left);
  }
  return false;
}

void UseGridPen(TCanvas& Canvas) {
  Canvas.Pen().SetWidth(1);
  Canvas.Pen().SetStyle(RVTableGridStyle);
  Canvas.Pen().SetMode(pmCopy);
  Canvas.Pen().SetColor(clBtnFace);
  Canvas.Brush().SetStyle(bsClear);
}

void DropGridPen(TCanvas& Canvas) {
  Canvas.Pen().SetMode(pmCopy);
  Canvas.Pen().SetStyle(psSolid);
}

constexpr TSide kSides[] = {TSide::Top, TSide::Left, TSide::Bottom, TSide::Right};

/// How many one-pixel lines a border of Width draws: its device width, but never more than
/// the rectangle can show (a width read from a file may be absurd).
int32_t BorderLines(const TRVTableItemInfo& Table, int32_t Width, const TRect& R) {
  return std::clamp(Table.ScaleV(Width), 0, std::max(R.Width(), R.Height()) / 2 + 1);
}

}  // namespace

void TRVTableItemInfo::DrawBorder(TCanvas& Canvas, const TRVTableBorder& Border, const TRect& ClipRect,
                                  TRVColorMode ColorMode) {
  const TRect rect = Rect(Border.Left, Border.Top, Border.Right, Border.Bottom);
  if (!Meets(rect, ClipRect)) return;
  if (OnDrawBorder) {
    bool doDefault = true;
    OnDrawBorder(this, Canvas, Border, doDefault);
    if (!doDefault) return;
  }
  const bool drawGrid = Border.DrawHiddenGrid && !Border.Printing && RVTableGridStyle != psClear;
  if (Border.Width <= 0) {
    if (drawGrid) {
      UseGridPen(Canvas);
      Line(Canvas, rect.Left, rect.Top, rect.Right - 1, rect.Top);
      Line(Canvas, rect.Right - 1, rect.Top, rect.Right - 1, rect.Bottom - 1);
      Line(Canvas, rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom - 1);
      Line(Canvas, rect.Left, rect.Top, rect.Left, rect.Bottom - 1);
      DropGridPen(Canvas);
    }
    return;
  }
  const TRVBooleanRect* visible = Border.VisibleBorders;
  if (drawGrid && visible != nullptr && !visible->IsAllEqual(true)) {
    UseGridPen(Canvas);
    const int32_t top = std::max(rect.Top, ClipRect.Top - 1),
                  bottom = std::min(rect.Bottom, ClipRect.Bottom + 1);
    for (TSide side : kSides) {
      if (SideVisible(visible, side)) continue;
      if (Border.Row >= 0 && DrawnByNeighbour(*this, Border.Row, Border.Col, side)) continue;
      switch (side) {
        case TSide::Top:
          Line(Canvas, rect.Left, rect.Top, rect.Right, rect.Top);
          break;
        case TSide::Bottom:
          Line(Canvas, rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom - 1);
          break;
        case TSide::Left:
          Line(Canvas, rect.Left, top, rect.Left, bottom);
          break;
        case TSide::Right:
          Line(Canvas, rect.Right - 1, top, rect.Right - 1, bottom);
          break;
      }
    }
    DropGridPen(Canvas);
  }

  const bool halftone = Border.Printing && (PrintOptions & rvtoHalftoneBorders) != 0;
  // Where the device is finer vertically, a thick horizontal line sits a pixel lower.
  const int32_t extra =
      halftone && DeviceScale != nullptr && DeviceScale->DevicePPIY > DeviceScale->DevicePPIX ? 1 : 0;
  Canvas.Pen().SetStyle(psSolid);
  Canvas.Pen().SetMode(pmCopy);
  Canvas.Pen().SetWidth(1);

  if (Border.Style == rvtbColor) {
    if (Border.Color == clNone) return;
    Canvas.Pen().SetColor(RVTextColorForColorMode(Border.Color, ColorMode));
    const int32_t width = BorderLines(*this, Border.Width, rect);
    const int32_t r = rect.Right - 1, b = rect.Bottom - 1;
    // Side by side. Vertical sides run between the horizontal ones unless corners overlap.
    const bool overlap = (Options & rvtoOverlappingCorners) != 0;
    for (TSide side : overlap ? std::vector<TSide>{TSide::Left, TSide::Right, TSide::Top, TSide::Bottom}
                              : std::vector<TSide>{TSide::Top, TSide::Bottom, TSide::Left, TSide::Right}) {
      if (!SideVisible(visible, side)) continue;
      const bool vertical = side == TSide::Left || side == TSide::Right;
      const int32_t t =
          vertical && !overlap && SideVisible(visible, TSide::Top) ? rect.Top + width : rect.Top;
      const int32_t bb = vertical && !overlap && SideVisible(visible, TSide::Bottom) ? b - width : b;
      if (halftone) {
        ThickSideLine(Canvas, side, rect.Left, t, r, bb, width, extra);
        continue;
      }
      SideLines(Canvas, side, rect.Left, rect.Top, r, b, width, false, t, bb);
    }
    return;
  }

  // 3-D styles.
  TColor topLeft = Border.Color, bottomRight = Border.LightColor;
  const bool onHighlight =
      Border.BackgroundColor != clNone && ColorToRGB(Border.BackgroundColor) == ColorToRGB(clBtnHighlight);
  const TColor highlight = onHighlight ? clBtnFace : clBtnHighlight;
  switch (Border.Style) {
    case rvtbRaised:
      topLeft = highlight;
      bottomRight = clBtnShadow;
      break;
    case rvtbLowered:
      topLeft = clBtnShadow;
      bottomRight = highlight;
      break;
    case rvtbRaisedColor:
      topLeft = Border.LightColor;
      bottomRight = Border.Color;
      break;
    default:  // rvtbLoweredColor
      break;
  }
  const int32_t width = BorderLines(*this, Border.Width, rect);
  const int32_t r = rect.Right - 1, b = rect.Bottom - 1;
  for (TSide side : kSides) {
    if (!SideVisible(visible, side)) continue;
    const TColor color = side == TSide::Top || side == TSide::Left ? topLeft : bottomRight;
    Canvas.Pen().SetColor(RVTextColorForColorMode(color, ColorMode));
    if (halftone) {
      ThickSideLine(Canvas, side, rect.Left, rect.Top, r, b, width, extra);
      continue;
    }
    SideLines(Canvas, side, rect.Left, rect.Top, r, b, width, true, 0, 0);
  }
}

void TRVTableItemInfo::PaintBackgroundForCell(TCanvas& Canvas, const TRVTableCellData& Cell,
                                              const TRect& Rect) {
  if (Background_ != nullptr && GetBackgroundImage() != nullptr) {
    Background_->Draw(Canvas, Rect, 0, 0, -Cell.Left, -Cell.Top, FormattingInfo.Width, FormattingInfo.Height,
                      Color, true);
    return;
  }
  if (Color != clNone) FillSolid(Canvas, Rect, Color);
}

void TRVTableItemInfo::DrawSizingLineV(TCanvas& Canvas, int32_t X, int32_t Y1, int32_t Y2) {
  for (int32_t y = Y1; y < Y2; y += 8)
    for (int32_t dot = 0; dot <= 4; dot += 2) Line(Canvas, X, y + dot, X, y + dot + 1);
}

void TRVTableItemInfo::DrawSizingLineH(TCanvas& Canvas, int32_t X1, int32_t X2, int32_t Y) {
  for (int32_t x = X1; x < X2; x += 8)
    for (int32_t dot = 0; dot <= 4; dot += 2) Line(Canvas, x + dot, Y, x + dot + 1, Y);
}

int32_t TRVTableItemInfo::GetVAlignShift(int32_t ContentHeight, int32_t CellHeight, TRVCellVAlign VAlign) {
  switch (VAlign) {
    case rvcMiddle:
      return (CellHeight - ContentHeight) / 2;
    case rvcBottom:
      return CellHeight - ContentHeight;
    default:
      return 0;
  }
}

bool TRVTableItemInfo::GetSelectionBounds(int& TopRow, int& LeftCol, int& ColCount, int& RowCount) const {
  if ((State & rvtsCellsSelected) == 0) return false;
  const int rows = Rows_->Count(), cols = Rows_->GetColCount();
  const int r2 = SelStartRow + SelRowOffs, c2 = SelStartCol + SelColOffs;
  if (SelStartRow < 0 || SelStartCol < 0 || SelStartRow >= rows || SelStartCol >= cols || r2 < 0 || c2 < 0 ||
      r2 >= rows || c2 >= cols)
    return false;
  int ar = 0, ac = 0, br = 0, bc = 0;
  const TRVTableCellData* a = Rows_->GetMainCell(SelStartRow, SelStartCol, ar, ac);
  const TRVTableCellData* b = Rows_->GetMainCell(r2, c2, br, bc);
  if (a == nullptr || b == nullptr) return false;
  TopRow = std::min(ar, br);
  LeftCol = std::min(ac, bc);
  RowCount = std::max(ar + a->RowSpan, br + b->RowSpan) - TopRow;
  ColCount = std::max(ac + a->ColSpan, bc + b->ColSpan) - LeftCol;
  return true;
}

bool TRVTableItemInfo::IsCellSelected(int Row, int Col) const {
  int top = 0, left = 0, cols = 0, rows = 0;
  if (!GetSelectionBounds(top, left, cols, rows)) return false;
  int mr = 0, mc = 0;
  const TRVTableCellData* cell = Rows_->GetMainCell(Row, Col, mr, mc);
  if (cell == nullptr) return false;
  return mr < top + rows && mr + cell->RowSpan > top && mc < left + cols && mc + cell->ColSpan > left;
}
