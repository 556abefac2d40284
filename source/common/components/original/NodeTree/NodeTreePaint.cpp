// Painting: every row is drawn into one reused row bitmap and then copied to the target, so any
// canvas can receive the tree and nothing flickers. The frame around the node content (erase,
// grid lines, tree lines, buttons, images, selection and focus, drop mark, selection rectangle,
// the area below the last node) is drawn here; the content goes to the paint-node hook.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <mutex>
#include <span>
#include <vector>

#include "common/components/original/NodeTree/NodeTree.h"
#include "common/components/original/NodeTree/TextWrap.h"
#include "platform/core/Resources.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/SystemColors.h"
#include "themes/ThemeSrv.h"

namespace {

constexpr int32_t kButtonSize = 9;
constexpr TColor kButtonTransparent = 0xFF00FF;
constexpr uint8_t kDottedPattern[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};

/// A shaded expand button as a packed 24-bit DIB (bottom-up): a rounded frame around a fill that
/// darkens from white at the top to a light grey at the bottom, with a minus or plus sign.
std::vector<uint8_t> MakeShadedButton(bool plus) {
  constexpr int32_t n = kButtonSize;
  constexpr int32_t stride = ((n * 24 + 31) / 32) * 4;
  std::vector<uint8_t> dib;
  auto put = [&](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) dib.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  put(40, 4);  // BITMAPINFOHEADER
  put(n, 4);
  put(n, 4);
  put(1, 2);
  put(24, 2);
  for (int i = 0; i < 6; ++i) put(0, 4);
  for (int32_t y = n - 1; y >= 0; --y) {
    std::vector<uint8_t> line(stride, 0);
    for (int32_t x = 0; x < n; ++x) {
      const bool edgeX = x == 0 || x == n - 1;
      const bool edgeY = y == 0 || y == n - 1;
      TColor c = 0;
      if (edgeX && edgeY) {
        c = kButtonTransparent;  // rounded corners
      } else if (edgeX || edgeY) {
        c = 0x8E8F7A;  // frame
      } else if ((y == n / 2 && x >= 2 && x <= n - 3) || (plus && x == n / 2 && y >= 2 && y <= n - 3)) {
        c = 0x000000;  // the sign
      } else {
        const int32_t v = 255 - (y - 1) * 40 / (n - 3);
        c = static_cast<TColor>(v | v << 8 | (v - 4) << 16);
      }
      line[3 * x] = static_cast<uint8_t>(c >> 16);
      line[3 * x + 1] = static_cast<uint8_t>(c >> 8);
      line[3 * x + 2] = static_cast<uint8_t>(c);
    }
    dib.insert(dib.end(), line.begin(), line.end());
  }
  return dib;
}

/// Makes the two shaded buttons loadable by name, once for the process.
void RegisterButtonResources() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Registered resources must live as long as the program.
    static const auto* minus = new std::vector<uint8_t>(MakeShadedButton(false));
    static const auto* plus = new std::vector<uint8_t>(MakeShadedButton(true));
    RegisterResource("VT_XPBUTTONMINUS", "BITMAP", minus->data(), static_cast<int64_t>(minus->size()));
    RegisterResource("VT_XPBUTTONPLUS", "BITMAP", plus->data(), static_cast<int64_t>(plus->size()));
  });
}

/// Inverts every other pixel of the frame of `r` (a dotted focus rectangle that shows on any
/// background), in a 32-bit bitmap.
void DrawFocusFrame(TBitmap& bitmap, TRect r) {
  r.Left = std::max(r.Left, 0);
  r.Top = std::max(r.Top, 0);
  r.Right = std::min(r.Right, bitmap.Width());
  r.Bottom = std::min(r.Bottom, bitmap.Height());
  if (r.IsEmpty()) return;
  auto invert = [&](int32_t x, int32_t y) {
    if (((x + y) & 1) != 0) return;
    uint8_t* px = bitmap.ScanLine(y) + 4 * x;
    px[0] = static_cast<uint8_t>(~px[0]);
    px[1] = static_cast<uint8_t>(~px[1]);
    px[2] = static_cast<uint8_t>(~px[2]);
  };
  for (int32_t x = r.Left; x < r.Right; ++x) {
    invert(x, r.Top);
    if (r.Bottom - 1 > r.Top) invert(x, r.Bottom - 1);
  }
  for (int32_t y = r.Top + 1; y < r.Bottom - 1; ++y) {
    invert(r.Left, y);
    if (r.Right - 1 > r.Left) invert(r.Right - 1, y);
  }
}

}  // namespace

struct TNodeTree::PaintContext {
  TBitmap row;
  TVTInternalPaintOptions options = 0;
  TRect window;
  bool useColumns = false;
  bool useBackground = false;
  bool blended = false;
  bool drawSelectRect = false;
  bool focused = false;
  TRect selectRect;
  std::vector<TVTLineType> lineImage;
  int32_t rowTop = 0;
  int32_t vAlign = 0;
  int32_t buttonY = 0;
  int32_t cellWidth = 0;
};

void TNodeTree::BuildLineImage(PNode node, std::vector<TVTLineType>& lineImage) {
  const bool showRoot = (options_->PaintOptions() & toShowRoot) != 0;
  const int32_t level = static_cast<int32_t>(GetNodeLevel(node));
  const int32_t entries = level + (showRoot ? 1 : 0);
  lineImage.assign(static_cast<size_t>(std::max(entries, 0)), ltNone);
  if ((options_->PaintOptions() & toShowTreeLines) == 0 || entries == 0) return;
  PNode run = node;
  for (int32_t k = entries - 1; k >= 0; --k, run = run->Parent) {
    const bool later = GetNextVisibleSibling(run) != nullptr;
    if (run == node) {
      lineImage[k] = later ? ltTopDownRight : ltTopRight;
      if (run->Parent == root_ && showRoot) {
        const bool first = GetPreviousVisibleSibling(run) == nullptr;
        if (first) lineImage[k] = later ? ltBottomRight : ltRight;
      }
    } else {
      lineImage[k] = later ? ltTopDown : ltNone;
    }
  }
}

void TNodeTree::PaintTree(TCanvas& target, const TRect& window, TPoint targetPoint,
                          TVTInternalPaintOptions options) {
  IncludeState(tsPainting);
  if (OnBeforePaint) OnBeforePaint(this, target);
  PaintContext context;
  context.row.SetPixelFormat(pf32bit);
  context.window = window;
  context.blended = drawSelectionMode_ == smBlendedRectangle || UseThemes();
  context.selectRect =
      Rect(std::min(selectRect_.Left, selectRect_.Right), std::min(selectRect_.Top, selectRect_.Bottom),
           std::max(selectRect_.Left, selectRect_.Right), std::max(selectRect_.Top, selectRect_.Bottom));
  context.drawSelectRect = HasState(tsRectSelecting) && !context.selectRect.IsEmpty();
  context.focused = Focused();
  const TVTPaintOptions paintOptions = options_->PaintOptions();
  if (!context.focused && (paintOptions & toHideSelection) != 0) options &= ~poDrawSelection;
  if ((paintOptions & toHideFocusRect) != 0) options &= ~poDrawFocusRect;
  context.options = options;
  context.useBackground =
      (paintOptions & toShowBackground) != 0 && !background_->Empty() && (options & poBackground) != 0;
  context.useColumns = UseColumns();
  context.cellWidth = std::max({ClientWidth(), RangeWidth(), window.Right});

  int32_t top = 0;
  PNode node = GetNodeAt(window.Top, false, &top);
  if (node != nullptr) {
    if (!node->Has(nsInitialized)) InitNode(node);
    BuildLineImage(node, context.lineImage);
  }
  while (node != nullptr && top < window.Bottom) {
    PNode next = GetNextVisible(node);
    if ((options & poSelectedOnly) != 0) {
      bool selected = node->Has(nsSelected);
      for (PNode run = node->Parent; run != root_ && !selected; run = run->Parent)
        selected = run->Has(nsSelected);
      if (!selected) {
        top += node->NodeHeight;
        node = next;
        if (node != nullptr) BuildLineImage(node, context.lineImage);
        continue;
      }
    }
    context.rowTop = top;
    PaintRow(context, node, top);
    TCanvas& rowCanvas = context.row.Canvas();
    rowCanvas.SetWindowOrg(0, 0);
    target.CopyRect(Bounds(targetPoint.X, targetPoint.Y + top - window.Top, window.Width(), node->NodeHeight),
                    rowCanvas, Rect(0, 0, window.Width(), node->NodeHeight));
    top += node->NodeHeight;
    node = next;
    if (node != nullptr) BuildLineImage(node, context.lineImage);
  }
  if (top < window.Bottom)
    PaintBelowLastNode(context, target, window, targetPoint, std::max(top, window.Top));
  if (OnAfterPaint) OnAfterPaint(this, target);
  ExcludeState(tsPainting);
}

void TNodeTree::PaintRow(PaintContext& context, PNode node, int32_t rowTop) {
  TBitmap& row = context.row;
  const int32_t height = node->NodeHeight;
  rowParity_ = rowTop;
  row.SetHeight(0);
  row.SetSize(context.window.Width(), height);
  TCanvas& canvas = row.Canvas();
  canvas.SetWindowOrg(context.window.Left, 0);
  canvas.SetFont(Font());

  // Vertical place of buttons and lines.
  const bool haveImages = images_ != nullptr || stateImages_ != nullptr;
  int32_t h = 0;
  if (haveImages)
    h = images_ != nullptr ? images_->Height() : stateImages_->Height();
  else if ((options_->PaintOptions() & toShowButtons) != 0)
    h = kButtonSize;
  switch (nodeAlignment_) {
    case naFromBottom:
      context.vAlign = height - node->Align;
      break;
    case naFromTop:
      context.vAlign = node->Align;
      break;
    case naProportional:
      context.vAlign = MulDiv(height - h, node->Align, 100) + h / 2;
      break;
  }
  context.buttonY = context.vAlign - kButtonSize / 2;

  bool handled = false;
  const TRect rowRect = Rect(context.window.Left, 0, context.window.Right, height);
  if (OnBeforeItemPaint) OnBeforeItemPaint(this, canvas, node, rowRect, handled);
  if (!handled) {
    EraseRow(context, node, rowRect);
    TVTPaintInfo info;
    info.Canvas = &canvas;
    info.PaintOptions = context.options;
    info.Node = node;
    if (!context.useColumns) {
      info.Column = NoColumn;
      PaintCell(context, info, NoColumn);
    } else {
      TNodeTreeColumns& columns = header_->Columns();
      const int32_t mainColumn = header_->MainColumn();
      for (int32_t position = 0; position < static_cast<int32_t>(columns.PositionToIndex().size());
           ++position) {
        const int32_t index = columns.PositionToIndex()[position];
        TNodeTreeColumn* column = columns.Column(index);
        if (column == nullptr || (column->Options() & coVisible) == 0) continue;
        if ((context.options & poMainOnly) != 0 && index != mainColumn) continue;
        if (column->Left() >= context.window.Right) break;
        info.Column = index;
        info.Position = position;
        PaintCell(context, info, index);
      }
    }
  }
  if (OnAfterItemPaint) OnAfterItemPaint(this, canvas, node, rowRect);
  if (node == dropTargetNode_ && (options_->PaintOptions() & toShowDropmark) != 0 &&
      (context.options & poDrawDropMark) != 0)
    PaintDropMark(canvas, node, rowRect);
  PaintSelectionRectangle(context, canvas, rowRect, rowTop);
}

void TNodeTree::EraseRow(PaintContext& context, PNode node, TRect rect) {
  TCanvas& canvas = context.row.Canvas();
  int eraseAction = 1;
  TColor color = Color();
  if (OnBeforeItemErase) OnBeforeItemErase(this, canvas, node, rect, eraseAction, color);
  const TPoint offset = Point(offsetX_, context.rowTop);
  if (eraseAction == 0) {
    canvas.Brush().SetColor(color);
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect(rect);
  } else if (context.useBackground) {
    TileBackground(canvas, rect, offset);
  } else if (node->Has(nsSelected) && (context.options & poDrawSelection) != 0 &&
             (options_->SelectionOptions() & toFullRowSelect) != 0) {
    const bool focused = context.focused || (options_->PaintOptions() & toPopupMode) != 0;
    canvas.Brush().SetColor(Color());
    canvas.FillRect(rect);
    TRect r = rect;
    if ((options_->PaintOptions() & toShowHorzGridLines) != 0) --r.Bottom;
    canvas.Brush().SetColor(colors_[focused ? ciFocusedSelectionFill : ciUnfocusedSelectionFill]);
    canvas.Pen().SetColor(colors_[focused ? ciFocusedSelectionBorder : ciUnfocusedSelectionBorder]);
    canvas.RoundRect(r, selectionCurveRadius_, selectionCurveRadius_);
  } else {
    canvas.Brush().SetColor(Color());
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect(rect);
  }
  if (OnAfterItemErase) OnAfterItemErase(this, canvas, node, rect);
}

void TNodeTree::PaintCell(PaintContext& context, TVTPaintInfo& info, int32_t columnIndex) {
  TCanvas& canvas = *info.Canvas;
  PNode node = info.Node;
  const int32_t height = node->NodeHeight;
  TNodeTreeColumn* column = header_->Columns().Column(columnIndex);
  const bool main = columnIndex == MainColumn();
  if (column != nullptr)
    info.CellRect = Rect(column->Left(), 0, column->Left() + column->Width(), height);
  else
    info.CellRect = Rect(0, 0, context.cellWidth, height);
  info.RightToLeft = column != nullptr ? column->UseRightToLeftReading() : rightToLeft_;
  info.Alignment = column != nullptr ? column->Alignment() : alignment_;
  info.ContentRect = info.CellRect;
  if (info.RightToLeft)
    info.ContentRect.Right -= margin_;
  else
    info.ContentRect.Left += margin_;
  info.NodeWidth = DoGetNodeWidth(canvas, node, columnIndex);
  info.VAlign = context.vAlign;
  const int32_t indentLeft = info.ContentRect.Left;
  const int32_t levels = static_cast<int32_t>(context.lineImage.size());
  info.ImageIndex = -1;
  info.StateIndex = -1;
  if (main) {
    info.ContentRect.Left += levels * indent_;
    const bool checks =
        (options_->MiscOptions() & toCheckSupport) != 0 && checkImages_ != nullptr && node->CheckType != 0;
    if (checks) {
      info.CheckPos = Point(info.ContentRect.Left, context.vAlign - checkImages_->Height() / 2);
      info.ContentRect.Left += checkImages_->Width() + 2;
    }
  }
  if (stateImages_ != nullptr) {
    info.StateIndex = DoGetImageIndex(node, ikState, columnIndex);
    if (info.StateIndex >= 0) {
      info.StateImagePos = Point(info.ContentRect.Left, context.vAlign - stateImages_->Height() / 2);
      info.ContentRect.Left += stateImages_->Width() + 2;
    }
  }
  if (images_ != nullptr) {
    info.ImageIndex = DoGetImageIndex(node, node->Has(nsSelected) ? ikSelected : ikNormal, columnIndex);
    if (info.ImageIndex < 0 && node->Has(nsSelected))
      info.ImageIndex = DoGetImageIndex(node, ikNormal, columnIndex);
    if (info.ImageIndex >= 0) {
      info.ImagePos = Point(info.ContentRect.Left, context.vAlign - images_->Height() / 2);
      info.ContentRect.Left += images_->Width() + 2;
    }
  }
  const int saved = canvas.SaveDC();
  if (context.useColumns) canvas.IntersectClipRect(info.CellRect);

  if ((context.options & poGridLines) != 0) {
    const TVTPaintOptions paintOptions = options_->PaintOptions();
    if ((paintOptions & toShowHorzGridLines) != 0) {
      int32_t left = info.CellRect.Left;
      int32_t right = info.CellRect.Right;
      if (main && bandLines_) {
        if (info.RightToLeft)
          right -= levels * indent_;
        else
          left = indentLeft + levels * indent_;
      }
      DrawDottedHLine(canvas, left, right, height - 1, colors_[ciGridLine]);
      --info.CellRect.Bottom;
      --info.ContentRect.Bottom;
    }
    if ((paintOptions & toShowVertGridLines) != 0 && column != nullptr) {
      const bool last = columnIndex == header_->Columns().GetLastVisibleColumn();
      bool skip = last && (header_->Options() & hoAutoResize) != 0;
      if (!skip && info.RightToLeft && OnSkipVerticalGridLine)
        OnSkipVerticalGridLine(this, node, columnIndex, skip);
      if (!skip) {
        DrawDottedVLine(canvas, 0, info.CellRect.Bottom, info.CellRect.Right - 1, colors_[ciGridLine]);
        --info.CellRect.Right;
        --info.ContentRect.Right;
      }
    }
  }

  if (columnIndex == focusedColumn_ || (options_->SelectionOptions() & toFullRowSelect) != 0 ||
      !context.useColumns)
    PaintSelectionBackground(context, info);

  if (main) {
    if ((options_->PaintOptions() & toShowTreeLines) != 0)
      PaintTreeLines(info, context.vAlign, indentLeft, context.lineImage);
    const bool buttons =
        (options_->PaintOptions() & toShowButtons) != 0 && node->Has(nsHasChildren) &&
        !(node->Has(nsAllChildrenHidden) && (options_->AutoOptions() & toAutoHideButtons) != 0);
    if (buttons && levels > 0) {
      const int32_t buttonX = indentLeft + levels * indent_ +
                              static_cast<int32_t>(std::nearbyint((indent_ - kButtonSize) / 2.0)) - indent_;
      PaintNodeButton(canvas, node, info.CellRect, buttonX, context.buttonY);
    }
    if ((options_->MiscOptions() & toCheckSupport) != 0 && checkImages_ != nullptr && node->CheckType != 0)
      PaintCheckImage(info);
  }
  if (info.StateIndex >= 0) PaintImage(info, ikState, false);
  if (info.ImageIndex >= 0) PaintImage(info, ikNormal, true);
  if (!(HasState(tsEditing) && node == focusedNode_ && columnIndex == focusedColumn_)) DoPaintNode(info);
  if (OnAfterCellPaint) OnAfterCellPaint(this, canvas, node, columnIndex, info.CellRect);
  canvas.RestoreDC(saved);
}

void TNodeTree::PaintSelectionBackground(PaintContext& context, TVTPaintInfo& info) {
  TCanvas& canvas = *info.Canvas;
  PNode node = info.Node;
  TRect r = info.ContentRect;
  if ((options_->MiscOptions() & toGridExtensions) != 0) {
    r = info.CellRect;
  } else {
    const int32_t width = std::min(info.NodeWidth + margin_, r.Width());
    AlignSpan(r, width, info.RightToLeft ? MirroredAlignment(info.Alignment) : info.Alignment);
  }
  const bool focused = context.focused || (options_->PaintOptions() & toPopupMode) != 0;
  bool draw = false;
  if (node == dropTargetNode_ && (dropMode_ == dmOnNode || node->Has(nsSelected))) {
    canvas.Brush().SetColor(colors_[ciDropTargetFill]);
    canvas.Pen().SetColor(colors_[ciDropTargetBorder]);
    draw = true;
  } else if (node->Has(nsSelected) && (context.options & poDrawSelection) != 0) {
    canvas.Brush().SetColor(colors_[focused ? ciFocusedSelectionFill : ciUnfocusedSelectionFill]);
    canvas.Pen().SetColor(colors_[focused ? ciFocusedSelectionBorder : ciUnfocusedSelectionBorder]);
    draw = true;
  }
  if (draw && !r.IsEmpty()) {
    canvas.Brush().SetStyle(bsSolid);
    canvas.RoundRect(r, selectionCurveRadius_, selectionCurveRadius_);
  }
  canvas.Brush().SetStyle(bsClear);
  if (node == focusedNode_ && info.Column == focusedColumn_ && (context.options & poDrawFocusRect) != 0) {
    canvas.Flush();
    TRect focus = r;
    focus.Offset(-context.window.Left, 0);
    DrawFocusFrame(context.row, focus);
  }
}

void TNodeTree::DoPaintNode(TVTPaintInfo& info) {
  if (OnPaintNode) {
    OnPaintNode(this, info);
    return;
  }
  const TTextNodeData* data = TextData(info.Node);
  if (data == nullptr || data->Text.empty()) return;
  TCanvas& canvas = *info.Canvas;
  const bool focused = Focused() || (options_->PaintOptions() & toPopupMode) != 0;
  canvas.Font().SetColor(info.Node->Has(nsSelected) && (info.PaintOptions & poDrawSelection) != 0 && focused
                             ? clHighlightText
                             : Font().Color());
  canvas.SetBkMode(TRANSPARENT);
  canvas.Brush().SetStyle(bsClear);  // the text goes over the selection, without a box of its own
  TTextMetric tm;
  canvas.GetTextMetrics(tm);
  const TRect& r = info.ContentRect;
  std::vector<std::u16string> lines;
  if (wordWrap_ || info.Node->Has(nsMultiline))
    lines = WrapTextLines(canvas, data->Text, std::max(1, r.Width() - 2));
  else
    lines.push_back(data->Text);
  int32_t y = (r.Top + r.Bottom - static_cast<int32_t>(lines.size()) * tm.tmHeight) / 2;
  for (const std::u16string& line : lines) {
    int32_t x = r.Left;
    const int32_t width = canvas.TextExtentW(line).cx;
    if (info.Alignment == taRightJustify) x = r.Right - width;
    if (info.Alignment == taCenter) x = (r.Left + r.Right - width) / 2;
    canvas.TextRectW(r, x, y, line);
    y += tm.tmHeight;
  }
}

void TNodeTree::DrawDottedHLine(TCanvas& canvas, int32_t left, int32_t right, int32_t y, TColor color) {
  if (right <= left) return;
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(Color());
  canvas.FillRect(Rect(left, y, right, y + 1));
  canvas.Brush().SetColor(color);
  const uint8_t bits = linePattern_[static_cast<uint32_t>(y + rowParity_) & 7];
  if (bits == 0) {
    canvas.FillRect(Rect(left, y, right, y + 1));
    return;
  }
  for (int32_t x = left; x < right; ++x)
    if (((bits >> (7 - (static_cast<uint32_t>(x) & 7))) & 1) == 0) canvas.FillRect(Rect(x, y, x + 1, y + 1));
}

void TNodeTree::DrawDottedVLine(TCanvas& canvas, int32_t top, int32_t bottom, int32_t x, TColor color) {
  if (bottom <= top) return;
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(Color());
  canvas.FillRect(Rect(x, top, x + 1, bottom));
  canvas.Brush().SetColor(color);
  // Rows alternate with the tree row's parity so that dots line up across rows.
  for (int32_t y = top; y < bottom; ++y) {
    const uint8_t bits = linePattern_[static_cast<uint32_t>(y + rowParity_) & 7];
    if (((bits >> (7 - (static_cast<uint32_t>(x) & 7))) & 1) == 0) canvas.FillRect(Rect(x, y, x + 1, y + 1));
  }
}

namespace {

/// What a line type draws: the vertical line (none, whole row, top half, bottom half) at the
/// cell's middle or its left edge, and whether a horizontal line leads right.
enum class VerticalPart : uint8_t { None, Full, Top, Bottom };
struct LineParts {
  VerticalPart vertical;
  bool atLeftEdge;
  bool right;
  bool bottomLine;
};
constexpr LineParts kLineParts[] = {
    {VerticalPart::None, false, false, false},   // ltNone
    {VerticalPart::Bottom, false, true, false},  // ltBottomRight
    {VerticalPart::Full, false, false, false},   // ltTopDown
    {VerticalPart::Full, false, true, false},    // ltTopDownRight
    {VerticalPart::None, false, true, false},    // ltRight
    {VerticalPart::Top, false, true, false},     // ltTopRight
    {VerticalPart::Full, true, false, false},    // ltLeft
    {VerticalPart::Full, true, false, true},     // ltLeftBottom
};
static_assert(std::size(kLineParts) == ltLeftBottom + 1, "one entry per line type");

}  // namespace

void TNodeTree::PaintTreeLines(const TVTPaintInfo& info, int32_t valign, int32_t vlineX,
                               const std::vector<TVTLineType>& lineImage) {
  TCanvas& canvas = *info.Canvas;
  const TColor color = colors_[ciTreeLine];
  const int32_t bottom = info.CellRect.Bottom;
  for (size_t k = 0; k < lineImage.size(); ++k) {
    const LineParts& parts = kLineParts[lineImage[k]];
    const int32_t left = vlineX + static_cast<int32_t>(k) * indent_;
    const int32_t x = parts.atLeftEdge ? left : left + indent_ / 2;
    const int32_t right = left + indent_;
    switch (parts.vertical) {
      case VerticalPart::None:
        break;
      case VerticalPart::Full:
        DrawDottedVLine(canvas, 0, bottom, x, color);
        break;
      case VerticalPart::Top:
        DrawDottedVLine(canvas, 0, valign, x, color);
        break;
      case VerticalPart::Bottom:
        DrawDottedVLine(canvas, valign, bottom, x, color);
        break;
    }
    if (parts.right) DrawDottedHLine(canvas, x, right, valign, color);
    if (parts.bottomLine) DrawDottedHLine(canvas, x, right, bottom - 1, color);
  }
}

void TNodeTree::PaintNodeButton(TCanvas& canvas, PNode node, const TRect&, int32_t buttonX, int32_t buttonY) {
  canvas.Draw(buttonX, buttonY, node->Has(nsExpanded) ? minusBM_.get() : plusBM_.get());
}

void TNodeTree::PaintImage(TVTPaintInfo& info, TVTImageKind kind, bool) {
  if (kind == ikState) {
    stateImages_->Draw(*info.Canvas, info.StateImagePos.X, info.StateImagePos.Y, info.StateIndex,
                       !info.Node->Has(nsDisabled));
    return;
  }
  images_->Draw(*info.Canvas, info.ImagePos.X, info.ImagePos.Y, info.ImageIndex, !info.Node->Has(nsDisabled));
}

void TNodeTree::PaintCheckImage(const TVTPaintInfo& info) {
  checkImages_->Draw(*info.Canvas, info.CheckPos.X, info.CheckPos.Y, info.Node->CheckState,
                     !info.Node->Has(nsDisabled));
}

void TNodeTree::PaintDropMark(TCanvas& canvas, PNode node, const TRect& rect) {
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(colors_[ciDropTargetBorder]);
  switch (dropMode_) {
    case dmAbove:
      canvas.FillRect(Rect(rect.Left, 0, rect.Right, 2));
      break;
    case dmBelow:
      canvas.FillRect(Rect(rect.Left, node->NodeHeight - 2, rect.Right, node->NodeHeight));
      break;
    default:
      break;
  }
}

void TNodeTree::PaintSelectionRectangle(PaintContext& context, TCanvas& canvas, const TRect& row,
                                        int32_t rowTop) {
  if (!context.drawSelectRect) return;
  TRect r = context.selectRect;
  r.Offset(0, -rowTop);
  r.Left = std::max(r.Left, row.Left);
  r.Right = std::min(r.Right, row.Right);
  const int32_t top = std::max(r.Top, 0);
  const int32_t bottom = std::min(r.Bottom, row.Bottom);
  if (r.Left >= r.Right || top >= bottom) return;
  if (context.blended) {
    canvas.Flush();
    TRect device = Rect(r.Left - context.window.Left, top, r.Right - context.window.Left, bottom);
    BlendRectangle(nullptr, &context.row, device, Point(device.Left, device.Top), bmConstantAlphaAndColor,
                   selectionBlendFactor_, ColorToRGB(colors_[ciSelectionRectangleBlend]));
    canvas.Brush().SetColor(colors_[ciSelectionRectangleBorder]);
    canvas.Brush().SetStyle(bsSolid);
    if (r.Top >= 0) canvas.FillRect(Rect(r.Left, r.Top, r.Right, r.Top + 1));
    if (r.Bottom <= row.Bottom) canvas.FillRect(Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
    canvas.FillRect(Rect(r.Left, top, r.Left + 1, bottom));
    canvas.FillRect(Rect(r.Right - 1, top, r.Right, bottom));
  } else {
    canvas.Flush();
    DrawFocusFrame(context.row,
                   Rect(r.Left - context.window.Left, r.Top, r.Right - context.window.Left, r.Bottom));
  }
}

void TNodeTree::TileBackground(TCanvas& canvas, const TRect& rect, TPoint offset) {
  const int32_t w = background_->Width();
  const int32_t h = background_->Height();
  if (w <= 0 || h <= 0) return;
  // Start so that the picture scrolls with the tree.
  const int32_t startX = rect.Left - ((rect.Left + offset.X) % w + w) % w;
  const int32_t startY = rect.Top - ((rect.Top + offset.Y) % h + h) % h;
  const int saved = canvas.SaveDC();
  canvas.IntersectClipRect(rect);
  for (int32_t y = startY; y < rect.Bottom; y += h)
    for (int32_t x = startX; x < rect.Right; x += w) canvas.Draw(x, y, background_.get());
  canvas.RestoreDC(saved);
}

void TNodeTree::PaintBelowLastNode(PaintContext& context, TCanvas& target, const TRect& window,
                                   TPoint targetPoint, int32_t top) {
  TBitmap& bitmap = context.row;
  rowParity_ = top;
  bitmap.SetHeight(0);
  bitmap.SetSize(window.Width(), window.Bottom - top);
  TCanvas& canvas = bitmap.Canvas();
  canvas.SetWindowOrg(window.Left, 0);
  const TRect area = Rect(window.Left, 0, window.Right, window.Bottom - top);
  bool handled = false;
  if (OnPaintBackground) OnPaintBackground(this, canvas, area, handled);
  if (!handled) {
    canvas.Brush().SetStyle(bsSolid);
    if (context.useBackground) {
      TileBackground(canvas, area, Point(offsetX_, top));
    } else if (context.useColumns) {
      canvas.Brush().SetColor(Color());
      canvas.FillRect(area);
      TNodeTreeColumns& columns = header_->Columns();
      for (int32_t index : columns.PositionToIndex()) {
        TNodeTreeColumn* column = columns.Column(index);
        if (column == nullptr || (column->Options() & coVisible) == 0) continue;
        canvas.Brush().SetColor((column->Options() & coParentColor) != 0 ? Color() : column->Color());
        canvas.FillRect(Rect(column->Left(), 0, column->Left() + column->Width(), area.Bottom));
      }
    } else {
      canvas.Brush().SetColor(Color());
      canvas.FillRect(area);
    }
  }
  PaintSelectionRectangle(context, canvas, area, top);
  canvas.SetWindowOrg(0, 0);
  target.CopyRect(Bounds(targetPoint.X, targetPoint.Y + top - window.Top, window.Width(), area.Bottom),
                  canvas, Rect(0, 0, window.Width(), area.Bottom));
}

// --- Button bitmaps and line pattern --------------------------------------------------------

void TNodeTree::BuildButtonBitmaps(bool needButtons, bool needLines) {
  if (needButtons) {
    for (TBitmap* bitmap : {minusBM_.get(), plusBM_.get()}) {
      const bool plus = bitmap == plusBM_.get();
      bitmap->SetPixelFormat(pf32bit);
      bitmap->SetSize(kButtonSize, kButtonSize);
      bitmap->SetTransparentColor(kButtonTransparent);
      bitmap->SetTransparent(true);
      TCanvas& canvas = bitmap->Canvas();
      canvas.Brush().SetStyle(bsSolid);
      canvas.Brush().SetColor(kButtonTransparent);
      canvas.FillRect(Rect(0, 0, kButtonSize, kButtonSize));
      if (buttonStyle_ == bsTriangle) {
        canvas.Brush().SetColor(clBlack);
        canvas.Pen().SetColor(clBlack);
        const TPoint minus[] = {{0, 2}, {8, 2}, {4, 6}};
        const TPoint plusPoints[] = {{2, 0}, {6, 4}, {2, 8}};
        if (plus)
          canvas.Polygon(plusPoints);
        else
          canvas.Polygon(minus);
      } else if (buttonFillMode_ == fmShaded) {
        RegisterButtonResources();
        bitmap->LoadFromResourceName(plus ? "VT_XPBUTTONPLUS" : "VT_XPBUTTONMINUS");
        bitmap->SetPixelFormat(pf32bit);
        bitmap->SetTransparentColor(kButtonTransparent);
        bitmap->SetTransparent(true);
      } else {
        if (buttonFillMode_ == fmTreeColor) canvas.Brush().SetColor(Color());
        if (buttonFillMode_ == fmWindowColor) canvas.Brush().SetColor(clWindow);
        canvas.Pen().SetColor(colors_[ciButtonFrame]);
        canvas.Rectangle(Rect(0, 0, kButtonSize, kButtonSize));
        canvas.Pen().SetColor(Font().Color());
        canvas.MoveTo(2, 4);
        canvas.LineTo(7, 4);
        if (plus) {
          canvas.MoveTo(4, 2);
          canvas.LineTo(4, 7);
        }
      }
      if (UseThemes()) {
        TThemeServices& themes = GetThemeServices();
        themes.DrawElement(bitmap->Canvas(), themes.GetTreeviewElementDetails(plus ? 7 : 8),
                           Rect(0, 0, kButtonSize, kButtonSize), nullptr);
      }
    }
  }
  if (needLines) {
    switch (lineStyle_) {
      case lsSolid:
        std::fill(std::begin(linePattern_), std::end(linePattern_), 0);
        break;
      case lsDotted:
        std::copy(std::begin(kDottedPattern), std::end(kDottedPattern), linePattern_);
        break;
      case lsCustomStyle: {
        const uint8_t* pattern = kDottedPattern;
        if (OnGetLineStyle) OnGetLineStyle(this, pattern);
        if (pattern == nullptr) pattern = kDottedPattern;
        std::copy(pattern, pattern + 8, linePattern_);
        break;
      }
    }
  }
}

void TNodeTree::SetButtonStyle(TVTButtonStyle style) {
  if (style == buttonStyle_) return;
  buttonStyle_ = style;
  BuildButtonBitmaps(true, false);
  Invalidate();
}

void TNodeTree::SetButtonFillMode(TVTButtonFillMode mode) {
  if (mode == buttonFillMode_) return;
  buttonFillMode_ = mode;
  BuildButtonBitmaps(true, false);
  Invalidate();
}

void TNodeTree::SetLineStyle(TVTLineStyle style) {
  if (style == lineStyle_) return;
  lineStyle_ = style;
  BuildButtonBitmaps(false, true);
  Invalidate();
}

void TNodeTree::UpdateThemeUsage() {
  const bool use = (options_->PaintOptions() & toThemeAware) != 0 && GetThemeServices().GetThemesEnabled();
  if (use)
    IncludeState(tsUseThemes);
  else
    ExcludeState(tsUseThemes);
}

// --- Blending -------------------------------------------------------------------------------

namespace {

uint8_t Clamp255(int32_t value) {
  return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

}  // namespace

void BlendRectangle(TBitmap* source, TBitmap* dest, const TRect& rect, TPoint target, TBlendMode mode,
                    int32_t alpha, int32_t biasOrColor) {
  auto check = [](TBitmap* bitmap) {
    TreeAssert(bitmap != nullptr && !bitmap->Empty(), "Alpha blending DC error: no bitmap available.");
    TreeAssert(bitmap->PixelFormat() == pf32bit, "Alpha blending error: bitmap must use 32 bpp.");
  };
  if (mode != bmConstantAlphaAndColor) check(source);
  check(dest);
  if (rect.IsEmpty()) return;
  const int32_t width = rect.Width();
  const int32_t height = rect.Height();
  // The colour arrives as 0x00BBGGRR and is applied in the pixels' blue-green-red order.
  const uint8_t color[4] = {static_cast<uint8_t>(biasOrColor >> 16), static_cast<uint8_t>(biasOrColor >> 8),
                            static_cast<uint8_t>(biasOrColor), 0};
  for (int32_t y = 0; y < height; ++y) {
    const int32_t dy = target.Y + y;
    if (dy < 0 || dy >= dest->Height()) continue;
    uint8_t* d = dest->ScanLine(dy);
    const uint8_t* s = nullptr;
    if (mode != bmConstantAlphaAndColor) {
      const int32_t sy = rect.Top + y;
      if (sy < 0 || sy >= source->Height()) continue;
      s = source->ScanLine(sy);
    }
    for (int32_t x = 0; x < width; ++x) {
      const int32_t dx = target.X + x;
      if (dx < 0 || dx >= dest->Width()) continue;
      uint8_t* dp = d + 4 * dx;
      if (mode == bmConstantAlphaAndColor) {
        for (int c = 0; c < 4; ++c)
          dp[c] = static_cast<uint8_t>((dp[c] * (256 - alpha) + color[c] * alpha) >> 8);
        continue;
      }
      const int32_t sx = rect.Left + x;
      if (sx < 0 || sx >= source->Width()) continue;
      const uint8_t* sp = s + 4 * sx;
      int32_t a = alpha;
      if (mode == bmPerPixelAlpha) a = sp[3];
      if (mode == bmMasterAlpha) a = (sp[3] * alpha) >> 8;
      for (int c = 0; c < 4; ++c) dp[c] = Clamp255((((sp[c] - dp[c]) * a + 256 * dp[c]) >> 8) + biasOrColor);
    }
  }
}

// --- Header ---------------------------------------------------------------------------------

namespace {

// Edge kinds and sides of DrawEdge.
constexpr uint32_t BDR_RAISEDOUTER = 1;
constexpr uint32_t BDR_SUNKENOUTER = 2;
constexpr uint32_t BDR_RAISEDINNER = 4;
constexpr uint32_t BDR_SUNKENINNER = 8;
constexpr uint32_t EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr uint32_t BF_LEFT = 1;
constexpr uint32_t BF_TOP = 2;
constexpr uint32_t BF_RIGHT = 4;
constexpr uint32_t BF_BOTTOM = 8;
constexpr uint32_t BF_MIDDLE = 0x800;
constexpr uint32_t BF_SOFT = 0x1000;
constexpr uint32_t BF_ADJUST = 0x2000;

/// One ring of a 3D edge: light colour top-left, dark colour bottom-right.
void DrawEdgeRing(TCanvas& canvas, TRect& r, TColor light, TColor dark, uint32_t sides) {
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(light);
  if ((sides & BF_LEFT) != 0) canvas.FillRect(Rect(r.Left, r.Top, r.Left + 1, r.Bottom));
  if ((sides & BF_TOP) != 0) canvas.FillRect(Rect(r.Left, r.Top, r.Right, r.Top + 1));
  canvas.Brush().SetColor(dark);
  if ((sides & BF_RIGHT) != 0) canvas.FillRect(Rect(r.Right - 1, r.Top, r.Right, r.Bottom));
  if ((sides & BF_BOTTOM) != 0) canvas.FillRect(Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
  if ((sides & BF_LEFT) != 0) ++r.Left;
  if ((sides & BF_TOP) != 0) ++r.Top;
  if ((sides & BF_RIGHT) != 0) --r.Right;
  if ((sides & BF_BOTTOM) != 0) --r.Bottom;
}

void DrawEdge(TCanvas& canvas, TRect r, uint32_t edge, uint32_t flags) {
  if ((edge & BDR_RAISEDOUTER) != 0)
    DrawEdgeRing(canvas, r, (flags & BF_SOFT) != 0 ? clBtnHighlight : cl3DLight, cl3DDkShadow, flags);
  if ((edge & BDR_SUNKENOUTER) != 0) DrawEdgeRing(canvas, r, clBtnShadow, clBtnHighlight, flags);
  if ((edge & BDR_RAISEDINNER) != 0)
    DrawEdgeRing(canvas, r, (flags & BF_SOFT) != 0 ? cl3DLight : clBtnHighlight, clBtnShadow, flags);
  if ((edge & BDR_SUNKENINNER) != 0) DrawEdgeRing(canvas, r, cl3DDkShadow, cl3DLight, flags);
  if ((flags & BF_MIDDLE) != 0) {
    canvas.Brush().SetColor(clBtnFace);
    canvas.FillRect(r);
  }
}

/// `c` moved towards `target` by `step` thirds of the difference per channel (rounded).
TColor Shade(TColor c, TColor target, int step) {
  auto channel = [&](int shift) {
    const int from = (c >> shift) & 0xFF;
    const int to = (target >> shift) & 0xFF;
    return static_cast<int>(std::lround(from + (to - from) * step / 3.0)) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

}  // namespace

TCustomImageList& UtilityImages() {
  // Built once and kept for the life of the process, like the trees that share it.
  static TImageList* images = [] {
    auto* list = new TImageList();
    list->SetSize(16, 16);
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(16, 16);
    TCanvas& c = picture.Canvas();
    auto add = [&](auto&& draw) {
      c.Brush().SetStyle(bsSolid);
      c.Brush().SetColor(clFuchsia);
      c.FillRect(Rect(0, 0, 16, 16));
      draw();
      list->AddMasked(&picture, clFuchsia);
    };
    auto triangle = [&](std::initializer_list<TPoint> points, TColor color) {
      c.Brush().SetColor(color);
      c.Pen().SetColor(color);
      c.Polygon(std::span<const TPoint>(points.begin(), points.size()));
    };
    auto fill = [&](const TRect& r, TColor color) {
      c.Brush().SetColor(color);
      c.FillRect(r);
    };
    // Drop marks: a bar on the edge with an arrow pointing into the cell.
    add([&] {
      fill(Rect(0, 2, 2, 14), clBlack);
      triangle({{2, 4}, {6, 8}, {2, 12}}, clBlack);
    });
    add([&] {
      fill(Rect(14, 2, 16, 14), clBlack);
      triangle({{13, 4}, {9, 8}, {13, 12}}, clBlack);
    });
    // Sort glyphs: descending points down, ascending up.
    constexpr TColor kGlyph = 0x808080;
    constexpr TColor kThemedGlyph = 0x5A5A5A;
    add([&] { triangle({{4, 6}, {12, 6}, {8, 10}}, kGlyph); });
    add([&] { triangle({{4, 10}, {12, 10}, {8, 6}}, kGlyph); });
    add([&] { triangle({{4, 6}, {12, 6}, {8, 10}}, kThemedGlyph); });
    add([&] { triangle({{4, 10}, {12, 10}, {8, 6}}, kThemedGlyph); });
    // The hot strip: three rows from light to deep orange, rounded at its two ends.
    constexpr TColor kStrip[3] = {0x0030B3F8, 0x0021A2F8, 0x00138CE4};
    auto strip = [&](int32_t left, int32_t right) {
      for (int32_t row = 0; row < 3; ++row) fill(Rect(left, row, right, row + 1), kStrip[row]);
    };
    add([&] {
      strip(0, 16);
      fill(Rect(0, 0, 1, 1), clFuchsia);
      fill(Rect(0, 2, 1, 3), clFuchsia);
    });
    add([&] { strip(0, 16); });
    add([&] {
      strip(0, 16);
      fill(Rect(15, 0, 16, 1), clFuchsia);
      fill(Rect(15, 2, 16, 3), clFuchsia);
    });
    return list;
  }();
  return *images;
}

void TNodeTreeColumns::PaintXPButton(TCanvas& canvas, TRect r, bool pressed, bool hot, bool isLast) {
  constexpr TColor kPressed = 0xD8DFDE;
  constexpr TColor kHot = 0xF3F8FA;
  constexpr TColor kNormal = 0xDBEAEB;
  constexpr TColor kBottom = 0xB8C7CB;
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(pressed ? kPressed : hot ? kHot : kNormal);
  canvas.FillRect(r);
  auto line = [&](int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor color) {
    canvas.Brush().SetColor(color);
    canvas.FillRect(Rect(x1, y1, std::max(x2, x1 + 1), std::max(y2, y1 + 1)));
  };
  if (pressed) {
    line(r.Left, r.Top, r.Left + 1, r.Bottom, 0x97A5A5);
    line(r.Left, r.Bottom - 1, r.Right, r.Bottom, 0x97A5A5);
    line(r.Right - 1, r.Top, r.Right, r.Bottom, 0x97A5A5);
    line(r.Left + 1, r.Top, r.Left + 2, r.Bottom - 1, 0xB8C2C1);
    line(r.Left + 1, r.Top, r.Right - 1, r.Top + 1, 0xB8C2C1);
    line(r.Left + 2, r.Top + 1, r.Right - 1, r.Top + 2, 0xC9D1D0);
    return;
  }
  if (!isLast) {
    line(r.Right - 2, r.Top + 3, r.Right - 1, r.Bottom - 5, 0xB2C5C7);
    line(r.Right - 1, r.Top + 3, r.Right, r.Bottom - 5, clWhite);
  }
  if (hot) {
    TCustomImageList& images = UtilityImages();
    const int32_t y = r.Bottom - 3;
    if (r.Width() <= 32) {
      images.Draw(canvas, r.Right - 16, y, 8);
      const int saved = canvas.SaveDC();
      canvas.IntersectClipRect(Rect(r.Left, r.Top, r.Left + r.Width() / 2, r.Bottom));
      images.Draw(canvas, r.Left, y, 6);
      canvas.RestoreDC(saved);
    } else {
      images.Draw(canvas, r.Left, y, 6);
      for (int32_t x = r.Left + 16; x < r.Right - 16; x += 16) images.Draw(canvas, x, y, 7);
      images.Draw(canvas, r.Right - 16, y, 8);
    }
    return;
  }
  line(r.Left, r.Bottom - 3, r.Right, r.Bottom - 2, Shade(kNormal, kBottom, 1));
  line(r.Left, r.Bottom - 2, r.Right, r.Bottom - 1, Shade(kNormal, kBottom, 2));
  line(r.Left, r.Bottom - 1, r.Right, r.Bottom, kBottom);
}

void TNodeTreeColumns::PaintColumnCell(TCanvas& canvas, TNodeTreeColumn& column, TRect r, bool isLast) {
  TNodeTree* tree = header_->Tree();
  const int32_t index = column.Index();
  THeaderPaintInfo info;
  info.TargetCanvas = &canvas;
  info.Column = &column;
  info.PaintRectangle = r;
  info.IsDownIndex = index == DownIndex;
  info.IsHoverIndex =
      index == HoverIndex && (header_->Options() & hoHotTrack) != 0 && (column.Options() & coEnabled) != 0;
  info.DropMark = header_->DropMarkOf(index);
  const int saved = canvas.SaveDC();
  canvas.IntersectClipRect(r);
  if ((header_->Options() & hoOwnerDraw) != 0 && tree != nullptr && tree->OnHeaderDraw) {
    tree->OnHeaderDraw(tree, canvas, &column, r, info.IsHoverIndex, info.IsDownIndex, info.DropMark);
  } else {
    PaintCellFrame(canvas, info, isLast);
    PaintCellContent(canvas, info);
  }
  canvas.RestoreDC(saved);
}

void TNodeTreeColumns::PaintCellFrame(TCanvas& canvas, const THeaderPaintInfo& info, bool isLast) {
  TNodeTree* tree = header_->Tree();
  TNodeTreeColumn& column = *info.Column;
  const TRect& r = info.PaintRectangle;
  const bool pressed = info.IsDownIndex;
  const bool hot = info.IsHoverIndex;
  if (column.Style() == vsOwnerDraw && tree != nullptr && tree->OnHeaderDraw) {
    tree->OnHeaderDraw(tree, canvas, &column, r, hot, pressed, info.DropMark);
  } else if (tree != nullptr && tree->UseThemes()) {
    TThemeServices& themes = GetThemeServices();
    themes.DrawElement(canvas, themes.GetHeaderElementDetails(pressed ? 4 : hot ? 3 : 2), r, nullptr);
  } else if (header_->Style() == 3) {
    PaintXPButton(canvas, r, pressed, hot, isLast);
  } else {
    static constexpr struct {
      uint32_t edge;
      uint32_t flags;
    } kNormal[3] = {{EDGE_RAISED, 0x380B}, {BDR_RAISEDINNER, 0x280B}, {BDR_RAISEDINNER, 0x380F}};
    static constexpr struct {
      uint32_t edge;
      uint32_t flags;
    } kPressed[3] = {{EDGE_RAISED, 0x780F}, {BDR_SUNKENOUTER, 0x280F}, {BDR_SUNKENOUTER, 0x280F}};
    const int style = std::min<int>(header_->Style(), 2);
    uint32_t edge = kNormal[style].edge;
    uint32_t flags = kNormal[style].flags;
    if (pressed) {
      edge = kPressed[style].edge;
      flags = kPressed[style].flags;
    } else if (hot && style == 2 && (column.Options() & coAllowClick) != 0) {
      edge = BDR_RAISEDINNER;
      flags = 0x280B;
    }
    if (!pressed && !(isLast && (header_->Options() & hoAutoResize) != 0)) flags |= BF_RIGHT;
    DrawEdge(canvas, r, edge, flags);
  }
}

namespace {

/// Whether two squares of the given sizes at `a` and `b` share a pixel.
bool GlyphsOverlap(TPoint a, int32_t aWidth, int32_t aHeight, TPoint b, int32_t bWidth, int32_t bHeight) {
  return a.X < b.X + bWidth && b.X < a.X + aWidth && a.Y < b.Y + bHeight && b.Y < a.Y + aHeight;
}

}  // namespace

void TNodeTreeColumns::PaintCellContent(TCanvas& canvas, THeaderPaintInfo& info) {
  TNodeTree* tree = header_->Tree();
  TNodeTreeColumn& column = *info.Column;
  const bool themed = tree != nullptr && tree->UseThemes();
  const TRect inner = Rect(info.PaintRectangle.Left + 2, info.PaintRectangle.Top + 2,
                           info.PaintRectangle.Right - 2, info.PaintRectangle.Bottom - 2);
  TCustomImageList* images = header_->Images();
  bool useImage = (header_->Options() & hoShowImages) != 0 && images != nullptr && column.ImageIndex() >= 0;
  info.ShowSortGlyph =
      (header_->Options() & hoShowSortGlyphs) != 0 && column.Index() == header_->SortColumn();
  canvas.SetFont(header_->Font());
  const TCaptionLayout layout = DetermineCaptionLayout(canvas, column, inner, useImage, info.ShowSortGlyph);
  const int32_t shift = info.IsDownIndex ? 1 : 0;
  info.TextRectangle = layout.TextRect;
  info.TextRectangle.Offset(shift, shift);
  info.GlyphPos = Point(layout.ImagePos.X + shift, layout.ImagePos.Y + shift);
  info.SortGlyphPos = Point(layout.SortGlyphPos.X + shift, layout.SortGlyphPos.Y + shift);
  if (info.ShowSortGlyph) info.SortGlyphIndex = (themed ? 4 : 2) + (header_->SortAscending() ? 1 : 0);
  // Cells too narrow for both keep the sort glyph: it says how the rows are ordered.
  if (useImage && info.ShowSortGlyph && !column.UseRightToLeftReading()) {
    const TCustomImageList& utility = UtilityImages();
    useImage = !GlyphsOverlap(info.GlyphPos, images->Width(), images->Height(), info.SortGlyphPos,
                              utility.Width(), utility.Height());
  }
  info.ShowHeaderGlyph = useImage;

  THeaderPaintElements taken = 0;
  if (tree != nullptr && tree->OnAdvancedHeaderDraw && tree->OnHeaderDrawQueryElements)
    tree->OnHeaderDrawQueryElements(tree, info, taken);
  const bool enabled = (column.Options() & coEnabled) != 0 && (tree == nullptr || tree->Enabled());
  if (info.ShowHeaderGlyph && (taken & hpeHeaderGlyph) == 0)
    images->Draw(canvas, info.GlyphPos.X, info.GlyphPos.Y, column.ImageIndex(), enabled);
  if ((taken & hpeText) == 0 && !column.Text().empty() && !info.TextRectangle.IsEmpty()) {
    const TRect& tr = info.TextRectangle;
    std::u16string text = column.Text();
    if (canvas.TextExtentW(text).cx + 2 > tr.Width()) text = ShortenString(canvas, text, tr.Width());
    canvas.SetBkMode(TRANSPARENT);
    canvas.Brush().SetStyle(bsClear);
    if (enabled) {
      canvas.Font().SetColor(info.IsHoverIndex && !themed ? clBtnShadow : header_->Font().Color());
      canvas.TextRectW(tr, tr.Left, tr.Top, text);
    } else {
      TRect shifted = tr;
      shifted.Offset(1, 1);
      canvas.Font().SetColor(clBtnHighlight);
      canvas.TextRectW(shifted, shifted.Left, shifted.Top, text);
      canvas.Font().SetColor(clBtnShadow);
      canvas.TextRectW(tr, tr.Left, tr.Top, text);
    }
  }
  if (info.ShowSortGlyph && (taken & hpeSortGlyph) == 0)
    UtilityImages().Draw(canvas, info.SortGlyphPos.X, info.SortGlyphPos.Y, info.SortGlyphIndex);
  if (info.DropMark != dmmNone && (taken & hpeDropMark) == 0) {
    const bool left = info.DropMark == dmmLeft;
    UtilityImages().Draw(canvas, left ? inner.Left : inner.Right - 16, inner.Top + (inner.Height() - 16) / 2,
                         left ? 0 : 1);
  }
  if (taken == 0) return;
  // The hook may change pens, fonts and clipping freely; the next cell starts from the header's own.
  const int saved = canvas.SaveDC();
  tree->OnAdvancedHeaderDraw(tree, info, taken);
  canvas.RestoreDC(saved);
}

void TNodeTreeColumns::PaintHeader(TCanvas& target, const TRect& rect, int32_t hoffset) {
  if (rect.IsEmpty()) return;
  if (headerBitmap_ == nullptr) headerBitmap_ = std::make_unique<TBitmap>();
  TBitmap& bitmap = *headerBitmap_;
  bitmap.SetPixelFormat(pf32bit);
  bitmap.SetSize(rect.Width(), rect.Height());
  TCanvas& canvas = bitmap.Canvas();
  canvas.SetWindowOrg(rect.Left, rect.Top);
  TNodeTree* tree = header_->Tree();
  const int32_t height = header_->Height();
  // The area right of the last column.
  const TRect rest = Rect(TotalWidth() + hoffset, 0, std::max(rect.Right, TotalWidth() + hoffset), height);
  if (!rest.IsEmpty()) {
    if (tree != nullptr && tree->UseThemes()) {
      TThemeServices& themes = GetThemeServices();
      themes.DrawElement(canvas, themes.GetHeaderElementDetails(8), rest, nullptr);
    } else if (header_->Style() == 3) {
      PaintXPButton(canvas, rest, false, false, true);
    } else {
      canvas.Brush().SetStyle(bsSolid);
      canvas.Brush().SetColor(header_->Background());
      canvas.FillRect(rest);
    }
  }
  const int32_t last = GetLastVisibleColumn();
  for (int32_t index : positionToIndex_) {
    TNodeTreeColumn* column = Column(index);
    if (column == nullptr || (column->Options() & coVisible) == 0) continue;
    const TRect cell = Rect(column->Left() + hoffset, 0, column->Left() + column->Width() + hoffset, height);
    if (cell.Right <= rect.Left || cell.Left >= rect.Right) continue;
    PaintColumnCell(canvas, *column, cell, index == last);
  }
  canvas.SetWindowOrg(0, 0);
  target.CopyRect(rect, canvas, Rect(0, 0, rect.Width(), rect.Height()));
}
