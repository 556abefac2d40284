// Mouse handling of a formatted document: presses, moves, releases and double clicks turned
// into a selection, item and cell routing, item capture and the control's mouse events, and
// the word under a point.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Controls.h"
#include "platform/gui/Application.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"
#include "richtext/core/RVUniMeasure.h"
#include "richtext/viewer/CRVFData.h"
#include "richtext/viewer/RVCtrlData.h"

namespace {

/// Viewer-state bit: mouse positions of a selection are not clipped to the client area.
constexpr uint16_t rvflNoClamp = 0x10;

/// The point relative to a drawn piece, from client coordinates.
TPoint RelativeToPiece(const TCustomRVFormattedData& Data, const TRVDrawLineInfo& Piece, int32_t X,
                       int32_t Y) {
  return TPoint{X - (Piece.Left - Data.GetHOffs()), Y - (Piece.Top - Data.GetVOffs())};
}

/// Number of leading characters of Text whose width fits into Room.
int CountFitting(TCustomRVFormattedData& Data, TCanvas& Canvas, std::u16string_view Text, int32_t Room) {
  if (Room <= 0) return 0;
  int lo = 0, hi = static_cast<int>(Text.size());
  while (lo < hi) {
    const int mid = lo + (hi - lo + 1) / 2;
    if (Data.MeasureText(Canvas, Text.substr(0, mid)).cx <= Room)
      lo = mid;
    else
      hi = mid - 1;
  }
  return lo;
}

/// The caret position whose x is nearest to X, the first one on ties.
int NearestCaret(const std::vector<int32_t>& Positions, int32_t X) {
  int best = 0;
  for (size_t k = 1; k < Positions.size(); ++k)
    if (std::abs(Positions[k] - X) < std::abs(Positions[static_cast<size_t>(best)] - X))
      best = static_cast<int>(k);
  return best;
}

}  // namespace

// ---- helpers --------------------------------------------------------------------------------------

bool TCustomRVFormattedData::ParentIsProgramEditor() const {
  const TWinControl* control = GetParentControl();
  return control != nullptr && control->ClassName() == "TZUKEdit";
}

void TCustomRVFormattedData::CloseInplaceEditor() {
  DestroyInplaceEditor();
  TWinControl* control = GetParentControl();
  if (control != nullptr && control->HandleAllocated() && control->CanFocus()) control->SetFocus();
}

int TCustomRVFormattedData::DrawItemUnderMouse() {
  const int count = DrawItems().Count();
  if (CaptureMouseItem != nullptr) {
    // The capturing item keeps its piece; after a reformat that piece is found again.
    const int itemNo = FindItemIndex(CaptureMouseItem);
    if (itemNo < 0) return -1;
    if (LastDItemMovedAbove < 0 || LastDItemMovedAbove >= count ||
        DrawItems()[LastDItemMovedAbove]->ItemNo != itemNo)
      LastDItemMovedAbove = GetFirstDrawItemOfItem(itemNo);
    return LastDItemMovedAbove;
  }
  if (LastDItemMovedAbove >= count) LastDItemMovedAbove = -1;
  return LastDItemMovedAbove;
}

void TCustomRVFormattedData::UpdateDrawItemUnderMouse(int32_t X, int32_t Y) {
  if (CaptureMouseItem != nullptr) return;
  const int32_t x = X + GetHOffs();
  const int32_t y = Y + GetVOffs();
  const int last = LastDItemMovedAbove;
  if (last >= 0 && last < DrawItems().Count()) {
    const TRVDrawLineInfo* piece = DrawItems()[last];
    if (x >= piece->Left && x < piece->Left + piece->Width && y >= piece->Top &&
        y < piece->Top + piece->Height)
      return;
  }
  LastDItemMovedAbove = GetDrawItemAtPos(x, y);
}

void TCustomRVFormattedData::SetCursor(TCursor Cursor) {
  if (TWinControl* control = GetParentControl()) control->ShowCursor(Cursor);
}

TPoint TCustomRVFormattedData::ClientToScreen(TPoint P) const {
  const TWinControl* control = GetParentControl();
  return control != nullptr ? control->ClientToScreen(P) : P;
}

TPoint TCustomRVFormattedData::ScreenToClient(TPoint P) const {
  const TWinControl* control = GetParentControl();
  return control != nullptr ? control->ScreenToClient(P) : P;
}

// ---- capture --------------------------------------------------------------------------------------

void TCustomRVFormattedData::SetMouseCapture(TCustomRVItemInfo* Item, int32_t& Left, int32_t& Top) {
  CaptureMouseItem = Item;
  const int d = DrawItemUnderMouse();
  Left = d >= 0 ? DrawItems()[d]->Left : 0;
  Top = d >= 0 ? DrawItems()[d]->Top : 0;
}

void TCustomRVFormattedData::ReleaseMouseCapture(TCustomRVItemInfo* Item) {
  if (CaptureMouseItem == Item) CaptureMouseItem = nullptr;
}

void TCustomRVFormattedData::FreeItem(std::unique_ptr<TCustomRVItemInfo> Item, bool Clearing) {
  if (Item != nullptr) {
    ReleaseMouseCapture(Item.get());
    if (PartiallySelectedItem == Item.get()) PartiallySelectedItem = nullptr;
  }
  TCustomRVData::FreeItem(std::move(Item), Clearing);
}

// ---- press ------------------------------------------------------------------------------------------

bool TCustomRVFormattedData::RoutePressIntoItem(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y,
                                                int& ItemNo) {
  const TRVDrawLineInfo& piece = *DrawItems()[LastDItemMovedAbove];
  ItemNo = piece.ItemNo;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  const TPoint r = RelativeToPiece(*this, piece, X, Y);
  int row = -1, col = -1;
  TWinControl* editor = GetInplaceEditor();
  if (editor != nullptr && !item->OwnsInplaceEditor(editor)) {
    // The program's editor keeps a cell editor open when a cell that may not be edited is
    // clicked.
    if (ParentIsProgramEditor() && item->StyleNo == rvsTable) {
      if (!item->GetCellAtPoint(r.X, r.Y, row, col)) return false;
      if (!item->CanEditCell(row, col)) {
        item->DoCellClick(row, col);
        return false;
      }
    }
    CloseInplaceEditor();
  }
  // A cell that may not be edited only reports the click; a press between cells goes on to
  // the table, which sizes and selects from its borders.
  if (item->StyleNo == rvsTable && item->GetCellAtPoint(r.X, r.Y, row, col) && !item->CanEditCell(row, col)) {
    item->DoCellClick(row, col);
    return false;
  }
  return !item->MouseDownHook(Button, Shift, r.X, r.Y, ItemNo, this);
}

void TCustomRVFormattedData::StartMouseSelection(TShiftState Shift, int32_t X, int32_t Y) {
  DeselectPartiallySelectedItem(nullptr);
  int anchorNo = -1, anchorOffs = 0;
  if ((Shift & ssShift) != 0) GetSelStartDrawItem(anchorNo, anchorOffs);
  FindDrawItemAtPos(X + GetHOffs(), Y + GetVOffs(), false, SelEndNo, SelEndOffs);
  if ((Shift & ssShift) == 0 || anchorNo < 0) {
    anchorNo = SelEndNo;
    anchorOffs = SelEndOffs;
  }
  SelStartNo = anchorNo;
  SelStartOffs = anchorOffs;
  if (SelEndNo != -1)
    StateFlags |= rvstMakingSelection;
  else
    StateFlags &= ~rvstMakingSelection;
  SelectionChanged();
  InvalidateControl();
}

void TCustomRVFormattedData::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  UpdateDrawItemUnderMouse(X, Y);
  ClickedDrawItem = LastDItemMovedAbove;
  // A press that an item or a cell takes over clicks no hyperlink pressed before it.
  if (Button == mbLeft) LastJumpDowned = -1;
  const int d = DrawItemUnderMouse();
  int itemNo = -1;
  if (d >= 0) {
    if (!RoutePressIntoItem(Button, Shift, X, Y, itemNo)) return;
  } else {
    if (ParentIsProgramEditor()) return;
    CloseInplaceEditor();
  }
  const bool editing = GetInplaceEditor() != nullptr;
  if (!editing && HasRVMouseDown()) DoRVMouseDown(Button, Shift, itemNo, X, Y);
  if (!editing && Button == mbLeft) {
    const int jump = FindJumpAt(X, Y, true);
    LastJumpDowned = jump >= 0 ? Jumps()[jump]->Id : -1;
  }
  if (CaptureMouseItem != nullptr || editing) {
    const int under = DrawItemUnderMouse();
    if (under >= 0) {
      SelStartNo = SelEndNo = under;
      SelStartOffs = SelEndOffs = 1;
      SelectionChanged();
    }
    return;
  }
  if (Button != mbLeft || (StateFlags & rvstIgnoreNextSelection) != 0) return;
  const TRVOptions options = GetOptions();
  if ((options & rvoSingleClick) != 0 && HasRVDblClick()) {
    std::string word;
    TCustomRVFormattedData* data = nullptr;
    int wordItemNo = -1, offs = 0, styleNo = 0;
    if (GetWordAt(X, Y, word, data, wordItemNo, offs, styleNo)) DoRVDblClick(word, styleNo);
  }
  if ((options & rvoAllowSelection) != 0) StartMouseSelection(Shift, X, Y);
}

// ---- move -------------------------------------------------------------------------------------------

bool TCustomRVFormattedData::MoveSelectionEnd(int32_t X, int32_t Y) {
  // Only a control's own document clips to its client area: a document inside an item (a
  // table cell) gets control points far outside its own size.
  if ((GetViewerState() & rvflNoClamp) == 0 && GetRootData() == this) {
    X = std::clamp(X, 0, std::max(0, GetWidth()));
    Y = std::clamp(Y, 0, std::max(0, GetHeight()));
  }
  int no = -1, offs = 0;
  FindDrawItemAtPos(X + GetHOffs(), Y + GetVOffs(), false, no, offs);
  if (no == SelEndNo && offs == SelEndOffs) return false;
  SelEndNo = no;
  SelEndOffs = offs;
  return true;
}

void TCustomRVFormattedData::ItemMouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  UpdateDrawItemUnderMouse(X, Y);
  const int d = DrawItemUnderMouse();
  if (d >= 0) {
    const TRVDrawLineInfo& piece = *DrawItems()[d];
    const TPoint r = RelativeToPiece(*this, piece, X, Y);
    if (GetItem(piece.ItemNo)->MouseMoveHook(Shift, r.X, r.Y, piece.ItemNo, this)) return;
  }
  SetCursor(GetNormalCursor());
}

void TCustomRVFormattedData::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  ClearXorDrawing();
  if (CaptureMouseItem == nullptr) {
    if ((StateFlags & rvstMakingSelection) != 0 && MoveSelectionEnd(X, Y)) {
      SelectionChanged();
      InvalidateControl();
    }
    bool overJump = false;
    if ((GetViewerState() & rvvsTrackJumps) != 0) {
      overJump = HoverJumpAt(X, Y);
      if (!overJump) DropHover();
    }
    if (!overJump) ItemMouseMove(Shift, X, Y);
  } else {
    ItemMouseMove(Shift, X, Y);
  }
  XorDrawingAt(X, Y);
}

// ---- release ------------------------------------------------------------------------------------------

void TCustomRVFormattedData::CollapseSelectionAt(int32_t X, int32_t Y) {
  int startNo = -1, startOffs = 0, endNo = -1, endOffs = 0;
  GetSelBoundsInDrawItems(startNo, startOffs, endNo, endOffs, true);
  int no = -1, offs = 0;
  FindDrawItemAtPos(X + GetHOffs(), Y + GetVOffs(), false, no, offs);
  if (no < 0) return;
  const bool before = no < startNo || (no == startNo && offs < startOffs);
  const bool after = no > endNo || (no == endNo && offs > endOffs);
  if (startNo != -1 && !before && !after) return;
  SelStartNo = SelEndNo = no;
  SelStartOffs = SelEndOffs = offs;
  SelectionChanged();
  RefreshControl();
  DoSelect();
}

void TCustomRVFormattedData::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  const bool hadSelection = SelectionExists(true, true);
  if (CaptureMouseItem == nullptr) {
    StateFlags &= ~rvstIgnoreNextSelection;
    if ((StateFlags & rvstMakingSelection) != 0 && Button == mbLeft) {
      MoveSelectionEnd(X, Y);
      StateFlags &= ~rvstMakingSelection;
      UpdateDrawItemUnderMouse(X, Y);
      MouseSelectionDone();
      SelectionChanged();
      InvalidateControl();
      DoSelect();
    }
    if ((GetOptions() & rvoRClickDeselects) != 0 && Button == mbRight) CollapseSelectionAt(X, Y);
  }
  UpdateDrawItemUnderMouse(X, Y);
  int itemNo = -1;
  const int d = DrawItemUnderMouse();
  if (d >= 0) {
    const TRVDrawLineInfo& piece = *DrawItems()[d];
    itemNo = piece.ItemNo;
    const TPoint r = RelativeToPiece(*this, piece, X, Y);
    GetItem(itemNo)->MouseUpHook(Button, Shift, r.X, r.Y, itemNo, this);
  }
  // The item may have given the mouse back on this release (the end of a drag inside it).
  if (CaptureMouseItem != nullptr) return;
  if (!hadSelection && (Button == mbLeft || Button == mbRight) && itemNo >= 0 && itemNo < GetItemCount() &&
      GetItem(itemNo)->QueryFeatureForStyle(rvsfFocusable, GetRVStyle())) {
    auto* root = dynamic_cast<TRVControlData*>(GetRootData());
    if (root != nullptr && root->TabNavigation != rvtnNone) {
      root->ClearFocus();
      SetFocusedItem(this, itemNo);
    }
  }
  if (HasRVMouseUp()) DoRVMouseUp(Button, Shift, itemNo, X, Y);
  if (Button == mbRight && HasRVRightClick()) {
    std::string word;
    TCustomRVFormattedData* data = nullptr;
    int wordItemNo = -1, offs = 0, styleNo = 0;
    if (GetWordAt(X, Y, word, data, wordItemNo, offs, styleNo)) {
      const TPoint screen = ClientToScreen(TPoint{X, Y});
      DoRVRightClick(word, styleNo, screen.X, screen.Y);
    }
  }
  if (Button == mbLeft) ClickJumpAt(X, Y, hadSelection);
}

// ---- double click ----------------------------------------------------------------------------------------

void TCustomRVFormattedData::DblClick() {
  const TPoint p = ScreenToClient(GetCursorPos());
  DblClickAt(p.X, p.Y);
}

void TCustomRVFormattedData::DblClickAt(int32_t X, int32_t Y) {
  if (ParentIsProgramEditor()) return;
  const TRVOptions options = GetOptions();
  const bool selectsWord = (options & rvoDblClickSelectsWord) != 0;
  if (!(((options & rvoSingleClick) == 0 && HasRVDblClick()) || selectsWord)) return;
  std::string word;
  TCustomRVFormattedData* data = nullptr;
  int itemNo = -1, offs = 0, styleNo = 0;
  if (selectsWord && (options & rvoAllowSelection) != 0) {
    if (!GetWordAt(X, Y, word, data, itemNo, offs, styleNo)) return;
    if (data->GetItem(itemNo)->IsTextItem())
      data->SetSelectionBounds(itemNo, offs, itemNo,
                               offs + RVCharCount(word, data->GetItem(itemNo)->ItemOptions));
    else
      data->SetSelectionBounds(itemNo, 0, itemNo, 1);
    data->StateFlags |= rvstIgnoreNextSelection;
    data->StateFlags &= ~rvstMakingSelection;
    InvalidateControl();
    StateFlags &= ~rvstMakingSelection;
    DoRVDblClick(word, styleNo);
    StateFlags |= rvstIgnoreNextSelection;
    return;
  }
  if (HasRVDblClick() && GetWordAt(X, Y, word, data, itemNo, offs, styleNo)) DoRVDblClick(word, styleNo);
}

// ---- word at a point -------------------------------------------------------------------------------------

bool TCustomRVFormattedData::GetWordAt(int32_t X, int32_t Y, std::string& Word,
                                       TCustomRVFormattedData*& RVData, int& ItemNo, int& Offs,
                                       int& StyleNo) {
  RVData = this;
  ItemNo = -1;
  Offs = 0;
  Word.clear();
  const int d = GetDrawItemAtPos(X + GetHOffs(), Y + GetVOffs());
  if (d < 0) return false;
  const TRVDrawLineInfo& piece = *DrawItems()[d];
  ItemNo = piece.ItemNo;
  TCustomRVItemInfo* item = GetItem(ItemNo);
  const std::string& text = GetItemText(ItemNo);
  StyleNo = item->StyleNo;
  if (!item->IsTextItem()) {
    Word = text;
    item->RefreshClientCoords(this);
    int32_t left = 0, top = 0;
    GetItemClientCoords(ItemNo, left, top);
    auto* sub = dynamic_cast<TCustomRVFormattedData*>(item->GetSubDocumentAt(X - left, Y - top));
    if (sub == nullptr || sub == this) return true;
    // A cell edited in place lives in a window of its own inside this control.
    const TWinControl* own = GetParentControl();
    const TWinControl* subControl = sub->GetParentControl();
    if (subControl != nullptr && subControl != own && subControl->Parent() == own) {
      X -= subControl->Left();
      Y -= subControl->Top();
    }
    return sub->GetWordAt(X, Y, Word, RVData, ItemNo, Offs, StyleNo);
  }
  const int length = RVCharCount(text, item->ItemOptions);
  if (length == 0) return false;
  TRVStyle* style = GetRVStyle();
  TCanvas* canvas = GetCanvas();
  int k = 0;
  if (style != nullptr && canvas != nullptr) {
    const TParaInfo* para =
        style->ParaStyles().Items(std::clamp<int>(item->ParaNo, 0, style->ParaStyles().Count() - 1));
    // The paragraph gives the canvas its reading direction; the item's own mode decides
    // whether the characters are found in the order they are shown.
    style->ApplyStyle(*canvas, item->StyleNo, para->BiDiMode);
    const TRVBiDiMode bidi = GetItemBiDiMode(ItemNo);
    const std::u16string drawn = GetItemTextForDrawing(ItemNo);
    const std::u16string_view s =
        std::u16string_view(drawn).substr(std::min<size_t>(piece.Offs - 1, drawn.size()), piece.Length);
    const int32_t room = X + GetHOffs() - piece.Left - piece.SpaceBefore;
    std::vector<int32_t> positions;
    if (bidi != rvbdUnspecified &&
        RVGetCharacterPlacement(*canvas, RVWideStringToBytes(std::u16string(s)), positions, rvioTwoByteText))
      k = NearestCaret(positions, room);
    else
      k = CountFitting(*this, *canvas, s, room);
  }
  const int index = std::clamp(k + piece.Offs, 1, length);
  if (IsDelimiterAt(text, index, item->ItemOptions)) {
    Offs = index;
    return true;
  }
  int start = index;
  while (start > 1 && !IsDelimiterAt(text, start - 1, item->ItemOptions)) --start;
  int end = index;
  while (end < length && !IsDelimiterAt(text, end + 1, item->ItemOptions)) ++end;
  Word = RVCopyChars(text, start, end - start + 1, item->ItemOptions);
  Offs = start;
  return true;
}
