// Painting a formatted document: paragraph backgrounds and borders, text runs with selection
// and hover, page-break and checkpoint marks, non-text items, then the overlay hook.
#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/graphics/Controls.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"
#include "richtext/core/RVUniMeasure.h"
#include "richtext/viewer/CRVFData.h"

namespace {

constexpr TRVColorMode kScreenColors = 0;  // colours as they are
constexpr TRVTextDrawStates rvtsItemStart = 0x0004;
constexpr TRVTextDrawStates rvtsItemEnd = 0x0008;
constexpr TRVTextDrawStates rvtsDrawItemStart = 0x0010;
constexpr TRVTextDrawStates rvtsDrawItemEnd = 0x0020;

}  // namespace

bool TCustomRVFormattedData::BeginsParagraph(int DItemNo) const {
  const TRVDrawLines& pieces = DrawItems();
  const int itemNo = pieces[DItemNo]->ItemNo;
  return (DItemNo == 0 || pieces[DItemNo - 1]->ItemNo != itemNo) && GetItem(itemNo)->IsParaStart();
}

void TCustomRVFormattedData::PaintParagraphBacks(TCanvas& Canvas, int First, int& Last, const TRect& DocRect,
                                                 int32_t HOffs, int32_t VOffs) {
  TRVStyle& style = *GetRVStyle();
  const TRVDrawLines& pieces = DrawItems();
  bool past = false;
  for (int i = First; i <= Last; ++i) {
    if (past && pieces[i]->FromNewLine) {
      Last = std::min(Last, i);
      return;
    }
    // Below the area: the line this piece is on is the last one to paint.
    if (pieces[i]->Top > DocRect.Bottom) past = true;
    const TCustomRVItemInfo* item = GetItem(pieces[i]->ItemNo);
    if (!BeginsParagraph(i) || item->StyleNo == rvsBreak) continue;
    const int paraNo = std::clamp<int>(item->ParaNo, 0, style.ParaStyles().Count() - 1);
    const TParaInfo& para = *style.ParaStyles().Items(paraNo);
    if (para.Border().Style == rvbNone && para.Background().Color == clNone && !style.OnDrawParaBack)
      continue;
    TRect rect;
    rect.Left = GetLeftMargin() + para.LeftIndent + std::min(0, para.FirstIndent);
    if ((GetOptions() & rvoClientTextWidth) != 0)
      rect.Right = GetWidth() - (GetRightMargin() + para.RightIndent);
    else if (GetMaxTextWidth() > 0)
      rect.Right = GetLeftMargin() + GetMaxTextWidth() - para.RightIndent;
    else
      rect.Right = GetAreaWidth() - (GetRightMargin() + para.RightIndent);
    rect.Top = pieces[i]->Top;
    rect.Bottom = pieces[i]->Top;
    for (int j = i; j < pieces.Count() && (j == i || !BeginsParagraph(j)); ++j) {
      const TRVDrawLineInfo& p = *pieces[j];
      rect.Right = std::max(rect.Right, p.Left + p.Width);
      rect.Top = std::min(rect.Top, p.Top);
      rect.Bottom = std::max(rect.Bottom, p.Top + p.Height + p.ExtraSpaceBelow);
      if (p.Top > DocRect.Bottom && GetMaxTextWidth() == 0) past = true;
    }
    rect.Offset(-HOffs, -VOffs);
    TRect back = rect;
    para.Background().ExpandRect(back);
    style.DrawParaBack(Canvas, paraNo, back, false, kScreenColors);
    para.Border().Draw(rect, Canvas);
  }
}

void TCustomRVFormattedData::PaintTextRun(TCanvas& Canvas, int DItemNo, int From, int To, bool Selected,
                                          bool Hover, TRVTextDrawStates BaseState, int32_t X, int32_t Width,
                                          int32_t SpaceBefore, int32_t VOffs) {
  TRVStyle& style = *GetRVStyle();
  const TRVDrawLineInfo& piece = *DrawItems()[DItemNo];
  const TCustomRVItemInfo* item = GetItem(piece.ItemNo);
  TRVTextDrawStates state = BaseState;
  if (Selected) state |= rvtsSelected;
  if (Hover) state |= rvtsHover;
  if (style.OnDrawStyleText) {
    if (From <= 1) state |= rvtsDrawItemStart | (piece.Offs == 1 ? rvtsItemStart : 0);
    if (To >= piece.Length) {
      state |= rvtsDrawItemEnd;
      if (piece.Offs + piece.Length - 1 == RVCharCount(GetItemText(piece.ItemNo), item->ItemOptions))
        state |= rvtsItemEnd;
    }
  }
  style.ApplyStyleColor(Canvas, item->StyleNo, state, false, kScreenColors);
  const std::string text = DrawItems().GetDrawItemTextPart(DItemNo, GetItems(), From, To - From + 1);
  style.DrawStyleText(text, Canvas, piece.ItemNo, piece.Offs + From - 1, item->StyleNo, this, SpaceBefore, X,
                      piece.Top - VOffs, Width, piece.Height, state, false, false, kScreenColors,
                      GetItemBiDiMode(piece.ItemNo));
}

bool TCustomRVFormattedData::PaintPlacedSelection(TCanvas& Canvas, int DItemNo, int SelFrom, int SelTo,
                                                  bool Hover, int32_t HOffs, int32_t VOffs) {
  const TRVDrawLineInfo& piece = *DrawItems()[DItemNo];
  const TCustomRVItemInfo* item = GetItem(piece.ItemNo);
  const TRVBiDiMode bidi = GetItemBiDiMode(piece.ItemNo);
  if (bidi == rvbdUnspecified) return false;
  TRVStyle& style = *GetRVStyle();
  // Right-to-left text shows its selected characters where they are placed, which need not
  // be one stretch from the left.
  const bool allCaps = (style.TextStyles().Items(item->StyleNo)->StyleEx & rvfsAllCaps) != 0;
  const std::string text =
      RVApplyAllCaps(DrawItems().GetDrawItemText(DItemNo, GetItems()), allCaps, item->IsTwoByteText());
  style.ApplyStyleColor(Canvas, item->StyleNo, rvtsSelected | (Hover ? rvtsHover : 0), false, kScreenColors);
  return RVTryDrawTextPlaced(piece.Left + piece.SpaceBefore - HOffs, piece.Top - VOffs, piece.Height, true,
                             item->ItemOptions, SelTo, SelFrom, Canvas, text);
}

void TCustomRVFormattedData::PaintSoftPageBreaks(TCanvas& Canvas, int First, int Last, int32_t HOffs,
                                                 int32_t VOffs) {
  if (!SoftPageBreaks || (GetOptions() & rvoShowPageBreaks) == 0) return;
  TRVStyle& style = *GetRVStyle();
  TWinControl* parent = GetParentControl();
  const int32_t width = parent != nullptr ? parent->ClientWidth() : GetWidth();
  const int firstItemNo = DrawItems()[First]->ItemNo;
  for (const TRVSoftPageBreakInfo& pageBreak : *SoftPageBreaks) {
    if (pageBreak.ItemNo < firstItemNo) continue;
    int d = -1, offs = 0;
    ItemToDrawItem(pageBreak.ItemNo, pageBreak.Offset, d, offs);
    if (d < 0) continue;
    if (d > Last) break;
    const auto* split = dynamic_cast<const TRVNonTextItemInfo*>(GetItem(pageBreak.ItemNo));
    const int32_t extra =
        pageBreak.SubPos >= 0 && split != nullptr ? split->GetSoftPageBreakDY(pageBreak.SubPos) : 0;
    // A page that starts with the document needs no mark.
    if (d == 0 && extra == 0) continue;
    style.DrawPageBreak(Canvas, DrawItems()[d]->Top - VOffs - 1 + extra, HOffs, rvpbSoftPageBreak, parent,
                        width);
  }
}

void TCustomRVFormattedData::Paint(TCanvas& Canvas, const TRect& ClipRect) {
  TRVStyle* style = GetRVStyle();
  const TRVDrawLines& pieces = DrawItems();
  // The canvas's (0, 0) is the area's top-left corner (a bitmap of the area): a position is
  // drawn at its document position less the scroll offsets and that corner.
  const int32_t hOffs = GetHOffs() + ClipRect.Left, vOffs = GetVOffs() + ClipRect.Top;
  if (style == nullptr || pieces.Count() == 0) {
    PaintOverlay(Canvas, hOffs, vOffs, 0, -1);
    return;
  }
  // The selection, start before end.
  int selStart = SelStartNo, selEnd = SelEndNo, selStartOffs = SelStartOffs, selEndOffs = SelEndOffs;
  if (selStart > selEnd || (selStart == selEnd && selStartOffs > selEndOffs)) {
    std::swap(selStart, selEnd);
    std::swap(selStartOffs, selEndOffs);
  }
  const bool hasSelection =
      selStart >= 0 && selEnd >= 0 && !(selStart == selEnd && selStartOffs == selEndOffs);
  const bool wholeSelected = (StateFlags & rvstWholeDataSelected) != 0;
  TRect docRect = ClipRect;
  docRect.Offset(GetHOffs(), GetVOffs());
  const TRect area = Rect(0, 0, ClipRect.Width(), ClipRect.Height());
  Canvas.Brush().SetStyle(bsClear);
  TWinControl* parent = GetParentControl();
  // The focus may be in a cell editor inside the control: the selection still looks active.
  TWinControl* inplaceEditor = GetInplaceEditor();
  const bool focused =
      (parent != nullptr && parent->Focused()) || (inplaceEditor != nullptr && inplaceEditor->Focused());
  const TRVTextDrawStates baseState = focused ? rvtsControlFocused : 0;
  const TRVItemDrawStates baseItemState = focused ? rvidsControlFocused : 0;

  int first = std::clamp(FindDrawItemByY(docRect.Top, 1), 0, pieces.Count() - 1);
  int last = pieces.Count() - 1;
  while (first > 0 && !BeginsParagraph(first)) --first;
  PaintParagraphBacks(Canvas, first, last, docRect, hOffs, vOffs);

  if (style->OnDrawTextBack)
    for (int d = first; d <= last; ++d) {
      const TRVDrawLineInfo& p = *pieces[d];
      const TCustomRVItemInfo* item = GetItem(p.ItemNo);
      if (!item->IsTextItem()) continue;
      const bool hover = style->TextStyles().Items(item->StyleNo)->Jump && (StateFlags & rvstHover) != 0 &&
                         LastJumpMovedAbove != -1 && LastJumpMovedAbove == item->JumpID;
      style->DrawTextBack(Canvas, p.ItemNo, item->StyleNo, this, p.Left - hOffs, p.Top - vOffs, p.Width,
                          p.Height, hover ? rvtsHover : 0);
    }

  PaintSoftPageBreaks(Canvas, first, last, hOffs, vOffs);

  const TRVOptions options = GetOptions();
  const int32_t controlWidth = parent != nullptr ? parent->ClientWidth() : GetWidth();
  int cachedStyle = -1;
  for (int d = first; d <= last; ++d) {
    const TRVDrawLineInfo& p = *pieces[d];
    TCustomRVItemInfo* item = GetItem(p.ItemNo);
    const bool firstOfItem = d == 0 || pieces[d - 1]->ItemNo != p.ItemNo;
    if (firstOfItem && item->GetPageBreakBefore() && (options & rvoShowPageBreaks) != 0)
      style->DrawPageBreak(Canvas, p.Top - vOffs - 1, hOffs, rvpbPageBreak, parent, controlWidth);
    if (firstOfItem && item->Checkpoint != nullptr && (options & rvoShowCheckpoints) != 0)
      style->DrawCheckpoint(Canvas, p.Left - hOffs, p.Top - vOffs, p.ItemNo, hOffs,
                            item->Checkpoint->RaiseEvent, parent, controlWidth);
    if (item->IsTextItem()) {
      if (item->StyleNo != cachedStyle) {
        cachedStyle = item->StyleNo;
        const int paraNo = std::clamp<int>(item->ParaNo, 0, style->ParaStyles().Count() - 1);
        style->ApplyStyle(Canvas, item->StyleNo, style->ParaStyles().Items(paraNo)->BiDiMode);
      }
      const bool hover = style->TextStyles().Items(item->StyleNo)->Jump && (StateFlags & rvstHover) != 0 &&
                         LastJumpMovedAbove != -1 && LastJumpMovedAbove == item->JumpID;
      const bool outside = !hasSelection || d < selStart || d > selEnd;
      const bool inside = hasSelection && (d > selStart || selStartOffs <= 1) &&
                          (d < selEnd || selEndOffs > p.Length) && !outside;
      const int32_t x = p.Left - hOffs;
      if (wholeSelected || inside || outside) {
        PaintTextRun(Canvas, d, 1, p.Length, wholeSelected || inside, hover, baseState, x, p.Width,
                     p.SpaceBefore, vOffs);
      } else {
        PaintTextRun(Canvas, d, 1, p.Length, false, hover, baseState, x, p.Width, p.SpaceBefore, vOffs);
        const int selFrom = d == selStart && selStartOffs > 1 ? selStartOffs : 1;
        const int selTo = d == selEnd && selEndOffs <= p.Length ? selEndOffs - 1 : p.Length;
        if (selFrom <= selTo && !PaintPlacedSelection(Canvas, d, selFrom, selTo, hover, hOffs, vOffs)) {
          const std::u16string text = GetItemTextForDrawing(p.ItemNo).substr(p.Offs - 1, p.Length);
          const int32_t prefix =
              selFrom > 1 ? MeasureText(Canvas, std::u16string_view(text).substr(0, selFrom - 1)).cx : 0;
          int32_t part =
              MeasureText(Canvas, std::u16string_view(text).substr(selFrom - 1, selTo - selFrom + 1)).cx;
          int32_t partX = x + prefix, space = 0;
          if (selFrom <= 1) {
            part += p.SpaceBefore;
            space = p.SpaceBefore;
          } else {
            partX += p.SpaceBefore;
          }
          PaintTextRun(Canvas, d, selFrom, selTo, true, hover, baseState, partX, part, space, vOffs);
        }
      }
      continue;
    }
    TRVItemDrawStates state = baseItemState;
    const bool selected = hasSelection && d >= selStart && d <= selEnd && !(d == selEnd && selEndOffs == 0) &&
                          !(d == selStart && selStartOffs == 1);
    if (selected || wholeSelected) state |= rvidsSelected;
    // Items that are no hyperlinks keep the number 0 they were made with: only a hyperlink can
    // be the hovered one, and it then shows its hot look.
    if ((StateFlags & rvstHover) != 0 && LastJumpMovedAbove != -1 && LastJumpMovedAbove == item->JumpID &&
        item->QueryFeatureForStyle(rvsfHyperlink, style))
      state |= rvidsShowHot;
    // The item the editor's caret stands on (a control or picture) shows its frame.
    if (item == CaretControlItem) state |= rvidsHover;
    if (item->QueryFeature(rvfqOwnLine)) {
      int32_t width = (options & rvoClientTextWidth) != 0 ? GetWidth() : GetAreaWidth();
      if (GetMaxTextWidth() > 0)
        width = std::min(width, GetMaxTextWidth() + GetLeftMargin() + GetRightMargin());
      item->PaintFullWidth(p.Left - hOffs, width - GetRightMargin() - hOffs, p.Top - vOffs, Canvas, state,
                           style, area, pieces[d]);
    } else {
      item->Paint(p.Left - hOffs, p.Top - vOffs, Canvas, state, style, pieces[d]);
    }
    if (item->QueryFeature(rvfqChangesCanvasFont)) cachedStyle = -1;
  }
  // The checkpoint after the last item marks the end of the document.
  if (TRVCPInfo* end = GetPendingCheckpoint(); end != nullptr && (options & rvoShowCheckpoints) != 0)
    style->DrawCheckpoint(Canvas, -1, DocumentHeight - vOffs, -1, hOffs, end->RaiseEvent, parent,
                          controlWidth);
  PaintOverlay(Canvas, hOffs, vOffs, first, last);
}
