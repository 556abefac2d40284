// The caret of the editor's document data. Rather than hit-testing on every key, the data
// keeps every caret position of the caret's screen line (CharPositions) and the index of
// the current one (CaretOffs): Left and Right are steps in that list, and only a move to
// another line measures text again. Placing the caret turns the current entry into the
// system caret's rectangle and lets the current styles follow the caret's item.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVFontInfo.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVStyle.h"
#include "richtext/core/RVUni.h"
#include "richtext/core/RVUniMeasure.h"
#include "richtext/editor/RVERVData.h"
#include "richtext/editor/RVEdit.h"

namespace {

/// CaretOffs while the line is being built and the wanted entry has not been met.
constexpr int32_t kNotFound = 100000;
/// Pixels kept between the caret and the edges of the view when scrolling to it.
constexpr int32_t kCaretScrollMargin = 5;

/// One build of the caret line: where the caret is wanted and where the line starts.
struct CaretLineBuild {
  TRVEditRVData& data;
  TCanvas* canvas;
  int wantedOffset;  // the caret's offset inside data.CaretDrawItemNo
  int lineFirst;     // the line's first draw item that takes positions (after a list marker)

  void Add(int dItemNo, int offset, int32_t x, int moveRightTo, bool isCaret) {
    TRVCharPos* pos = data.CharPositions->Add();
    pos->DrawItemNo = dItemNo;
    pos->Offset = offset;
    pos->X = x;
    pos->MoveRightTo = moveRightTo;
    if (isCaret) data.CaretOffs = data.CharPositions->Count() - 1;
  }

  /// The draw item's text as the canvas shows it, with the item's text style applied to
  /// the canvas.
  std::string PieceText(int dItemNo) {
    const TRVDrawLineInfo& piece = *data.DrawItems()[dItemNo];
    const TCustomRVItemInfo& item = *data.GetItem(piece.ItemNo);
    bool allCaps = false;
    if (TRVStyle* style = data.GetRVStyle(); style != nullptr) {
      style->ApplyStyle(*canvas, item.StyleNo, data.GetParaBiDiMode(item.ParaNo));
      allCaps = (style->TextStyles().Items(item.StyleNo)->StyleEx & rvfsAllCaps) != 0;
    }
    return RVApplyAllCaps(data.DrawItems().GetDrawItemText(dItemNo, data.GetItems()), allCaps,
                          item.IsTwoByteText());
  }

  /// The x of every character boundary 0..Length of a text draw item, from the start of
  /// its text, in the order the canvas places the characters; false when the canvas cannot
  /// place them.
  bool PlacedBoundaries(const std::string& text, const TRVDrawLineInfo& piece, TRVItemOptions options,
                        std::vector<int32_t>& xs) {
    return RVGetCharacterPlacement(*canvas, text, xs, options) &&
           xs.size() == static_cast<size_t>(piece.Length) + 1;
  }

  /// The same from the partial extents of the characters, left to right.
  void MeasuredBoundaries(const std::string& text, const TRVDrawLineInfo& piece, TRVItemOptions options,
                          std::vector<int32_t>& xs) {
    std::vector<int32_t> extents;
    int fit = 0;
    // Ten times the width: every character of the draw item counts, whatever the rounding.
    RVGetTextExtentEx(*canvas, text, std::max(piece.Width, 1) * 10, options, &extents, fit);
    fit = std::min({fit, piece.Length, static_cast<int>(extents.size())});
    xs.assign(static_cast<size_t>(piece.Length) + 1, piece.Width - piece.SpaceBefore);
    xs[0] = 0;
    for (int k = 1; k <= fit; ++k) xs[static_cast<size_t>(k)] = extents[static_cast<size_t>(k - 1)];
  }

  /// Adds the positions of one draw item, left to right.
  void AddDrawItem(int dItemNo) {
    const TRVDrawLineInfo& piece = *data.DrawItems()[dItemNo];
    const TCustomRVItemInfo& item = *data.GetItem(piece.ItemNo);
    const bool isText = item.IsTextItem();
    const bool rtlNonText = !isText && data.GetParaBiDiMode(item.ParaNo) == rvbdRightToLeft;
    const bool isCaretItem = dItemNo == data.CaretDrawItemNo;
    const int32_t origin = piece.Left + piece.SpaceBefore;

    std::string text;
    std::vector<int32_t> xs;  // boundary x of a non-empty text, empty otherwise
    bool placed = false;
    if (isText && piece.Length > 0 && canvas != nullptr) {
      text = PieceText(dItemNo);
      if (data.GetItemBiDiMode(piece.ItemNo) != rvbdUnspecified)
        placed = PlacedBoundaries(text, piece, item.ItemOptions, xs);
      if (!placed) MeasuredBoundaries(text, piece, item.ItemOptions, xs);
    }

    // An empty text has no start position: its end position is its only one.
    if (dItemNo == lineFirst && !(isText && piece.Length == 0)) {
      const bool caret = isCaretItem && wantedOffset < 2;
      if (rtlNonText)
        Add(dItemNo, 0, piece.Left + piece.Width, 2, caret);
      else
        Add(dItemNo, isText ? 1 : 0, placed ? origin + xs[0] : piece.Left, 1, caret);
    }

    if (!xs.empty()) {
      // Character boundaries; UTF-16 text takes no caret between the halves of a surrogate
      // pair or in front of a combining mark, and a wanted offset there selects the
      // boundary before it.
      const std::u16string units = item.IsTwoByteText() ? RVBytesToWideString(text) : std::u16string();
      std::vector<int> bounds;
      for (int b = 1; b < piece.Length; ++b)
        if (units.empty() || !RVIsClusterContinuation(units, static_cast<size_t>(b))) bounds.push_back(b);
      for (size_t i = 0; i < bounds.size(); ++i) {
        const int b = bounds[i];
        const int next = i + 1 < bounds.size() ? bounds[i + 1] : piece.Length;
        const bool caret = isCaretItem && wantedOffset >= b + 1 && wantedOffset < next + 1;
        Add(dItemNo, b + 1, origin + xs[static_cast<size_t>(b)], 1, caret);
      }
    }

    // The end position; the caret at the start of a draw item that does not start the line
    // stands here too, so that two draw items of a line share one position.
    const int endOffset = data.GetDrawItemEndOffset(dItemNo);
    const bool caret = (isCaretItem && wantedOffset >= endOffset) ||
                       (dItemNo + 1 == data.CaretDrawItemNo &&
                        wantedOffset <= data.GetDrawItemStartOffset(data.CaretDrawItemNo));
    if (rtlNonText)
      Add(dItemNo, endOffset, piece.Left, 1, caret);
    else if (placed)
      Add(dItemNo, endOffset, origin + xs.back(), 1, caret);
    else
      Add(dItemNo, endOffset, piece.Left + piece.Width, isText ? 1 : 2, caret);
  }
};

}  // namespace

// ---- the caret line -----------------------------------------------------------------------------

void TRVEditRVData::OnChangeCaretLine(int WantedOffsetMinus2) {
  TCanvas* canvas = GetCanvas();
  CharPositions->Clear();
  if (CaretDrawItemNo == -1) return;
  const TRVDrawLines& pieces = DrawItems();
  if (CaretDrawItemNo < 0 || CaretDrawItemNo >= pieces.Count()) {
    CaretDrawItemNo = -1;
    CaretOffs = -1;
    return;
  }
  CaretOffs = kNotFound;
  CaretLineBuild build{*this, canvas, WantedOffsetMinus2 + 2, 0};
  int last = 0;
  GetLineDrawItemRange(CaretDrawItemNo, build.lineFirst, last);
  // A list marker takes no caret: a caret placed on it goes to the start of the next one.
  if (build.lineFirst < last && GetItem(pieces[build.lineFirst]->ItemNo)->StyleNo == rvsListMarker) {
    if (CaretDrawItemNo == build.lineFirst) {
      CaretDrawItemNo = build.lineFirst + 1;
      build.wantedOffset = GetDrawItemStartOffset(CaretDrawItemNo);
    }
    ++build.lineFirst;
  }
  for (int d = build.lineFirst; d <= last; ++d) build.AddDrawItem(d);
}

// ---- placing the caret --------------------------------------------------------------------------

namespace {

/// The system caret goes away while something else shows where editing happens (selected
/// cells, a cell editor, the resizer). It is destroyed rather than hidden, so the next
/// placement creates and shows it again.
void RemoveSystemCaret(TRVEditRVData& data, TCustomRVEdit* editor) {
  if (editor != nullptr && editor->CaretVisible()) editor->DestroyCaret();
  data.CaretHeight = 0;
}

}  // namespace

void TRVEditRVData::ChangeCaret(bool ForceCreate, bool ScrollToCaret, bool DontChangeStyles,
                                bool UpdateFirst) {
  if ((StateFlags & rvstNoCaretChange) != 0) return;
  TCustomRVEdit* editor = Editor();
  if (UpdateFirst) {
    UpdateResizer();
    UpdateControl();
  }
  if (PartiallySelectedItem != nullptr || GetInplaceEditor() != nullptr ||
      (StateFlags & rvstCaretSuppressed) != 0) {
    RemoveSystemCaret(*this, editor);
    if (editor != nullptr) editor->DoCaretMove();
    return;
  }
  if (Resizer != nullptr)
    RemoveSystemCaret(*this, editor);
  else
    PlaceSystemCaret(ForceCreate);
  // With the resizer shown the caret line was not checked above.
  if (HasCaretLine() && CaretDrawItemNo < DrawItems().Count()) FollowCaretItem(DontChangeStyles);
  if (Resizer == nullptr && ScrollToCaret && CaretHeight != 0 && UpdateLockCount == 0) {
    const TRVCharPos& pos = *CharPositions->Items(CaretOffs);
    const int32_t caretX = pos.X + pos.MoveRightTo - 1;
    const int32_t caretY = DrawItems()[CaretDrawItemNo]->Top - 1;
    ScrollToShowRect(caretX - kCaretScrollMargin, caretY - kCaretScrollMargin,
                     RVCaretWidth + 2 * kCaretScrollMargin, CaretHeight + 2 * kCaretScrollMargin);
  }
  if (editor != nullptr) editor->DoCaretMove();
}

void TRVEditRVData::PlaceSystemCaret(bool ForceCreate) {
  TCustomRVEdit* editor = Editor();
  int32_t height = 0;
  int32_t caretX = 0, caretY = 0, pieceHeight = 0;
  if (CaretDrawItemNo != -1) {
    if (CaretOffs < 0 || CaretOffs >= CharPositions->Count()) {
      // Reset to a place that works before reporting, so the next placement succeeds.
      CaretDrawItemNo = DrawItems().Count() > 0 ? 0 : -1;
      if (CaretDrawItemNo == 0) OnChangeCaretLine(GetDrawItemStartOffset(0) - 2);
      CaretOffs = CaretDrawItemNo == 0 ? 0 : -1;
      throw ERVError(
          "Invalid caret position. Please contact the developer, if you can reproduce this problem");
    }
    const TRVCharPos& pos = *CharPositions->Items(CaretOffs);
    CaretDrawItemNo = pos.DrawItemNo;
    const TRVDrawLineInfo& piece = *DrawItems()[CaretDrawItemNo];
    pieceHeight = piece.Height;
    height = std::min(piece.Height + 2, RVMaxCaretHeight);
    caretX = pos.X + pos.MoveRightTo - 1;
    caretY = piece.Top - 1;
  }
  const bool focused = editor != nullptr && editor->Focused();
  const bool shown = editor != nullptr && editor->CaretVisible();
  const bool hidden =
      editor != nullptr && editor->GetReadOnly() && (editor->EditorOptions & rvoHideReadOnlyCaret) != 0;
  const int32_t x = caretX - GetHOffs() - RVCaretWidth / 2;
  // The caret reaches RVExtraCaretHeight above and below its draw item; an item taller than
  // the greatest caret height gets a caret at its bottom. Moving the caret uses the same
  // place as creating it, so the caret never jumps when it is only moved.
  const int32_t y = caretY - GetVOffs() + pieceHeight + 1 - RVExtraCaretHeight - height + 2;
  // A caret that read-only mode hides (or that is missing while it should be shown) is
  // made again, as for a new height.
  if (ForceCreate || height != CaretHeight || (focused && shown == hidden)) {
    if (shown) editor->DestroyCaret();
    if (height != 0 && !hidden && focused) {
      editor->CreateCaret(RVCaretWidth, 2 * RVExtraCaretHeight + height - 2);
      editor->SetCaretPos(x, y);
      editor->ShowCaret();
    }
    CaretHeight = height;
  } else if (height != 0 && shown) {
    editor->SetCaretPos(x, y);
  }
}

void TRVEditRVData::FollowCaretItem(bool DontChangeStyles) {
  TRVStyle* style = GetRVStyle();
  const TRVDrawLines& pieces = DrawItems();
  TCustomRVItemInfo* item = GetItem(pieces[CaretDrawItemNo]->ItemNo);
  if (!DontChangeStyles) SetCurParaStyleNo(item->ParaNo);

  // An item that a click selects (a control, a picture) shows by its frame that the caret
  // stands on it.
  TCustomRVItemInfo* controlItem = item->QueryFeature(rvfqSelectOnClick) ? item : nullptr;
  if (controlItem != CaretControlItem) {
    CaretControlItem = controlItem;
    InvalidateControl();
  }

  // Selecting backwards, the caret at the end of a draw item stands before the next one of
  // the line: typing there continues that item.
  const bool backwards = SelStartNo > SelEndNo || (SelStartNo == SelEndNo && SelStartOffs > SelEndOffs);
  const TRVCharPos& pos = *CharPositions->Items(CaretOffs);
  if (backwards && pos.DrawItemNo == SelEndNo && pos.Offset == SelEndOffs &&
      pos.Offset == GetDrawItemEndOffset(CaretDrawItemNo) && CaretDrawItemNo + 1 < pieces.Count() &&
      !pieces[CaretDrawItemNo + 1]->FromNewLine)
    item = GetItem(pieces[CaretDrawItemNo + 1]->ItemNo);

  if (item->IsTextItem() && !DontChangeStyles && style != nullptr) {
    if ((style->TextStyles().Items(item->StyleNo)->Protection & rvprDoNotAutoSwitch) != 0) {
      SetCurTextStyleNo(LastTextStyleNo);
    } else {
      SetCurTextStyleNo(item->StyleNo);
      LastTextStyleNo = item->StyleNo;
    }
  }
  if (item->QueryFeatureForStyle(rvsfHyperlink, style))
    SetCaretJump(item->JumpID);
  else
    ClearCaretJump();
}

void TRVEditRVData::PrepareEmptyDocument() {
  TRVStyle* style = GetRVStyle();
  if (GetItemCount() != 0 || style == nullptr) return;
  // Styles left over from another style sheet must not reach the formatter.
  const int32_t textStyle = CurTextStyleNo < style->TextStyles().Count() ? CurTextStyleNo : 0;
  const int32_t paraStyle = CurParaStyleNo < style->ParaStyles().Count() ? CurParaStyleNo : 0;
  AddTextItem(std::string(), std::max(textStyle, 0), std::max(paraStyle, 0));
  Format(false);
  if (DrawItems().Count() == 0) return;
  CaretDrawItemNo = 0;
  OnChangeCaretLine(-1);
  CaretOffs = 0;
}

// ---- the caret's hyperlink ------------------------------------------------------------------------

void TRVEditRVData::SetCaretJump(int JumpIndex) {
  LastJumpMovedAbove = JumpIndex;
  LastDItemMovedAbove = CaretDrawItemNo;
  StateFlags |= rvstJumpHighlighted;
  InvalidateControl();
}

void TRVEditRVData::ClearCaretJump() {
  if ((StateFlags & rvstJumpHighlighted) == 0) return;
  LastJumpMovedAbove = -1;
  LastDItemMovedAbove = -1;
  StateFlags &= ~rvstJumpHighlighted;
  InvalidateControl();
}
