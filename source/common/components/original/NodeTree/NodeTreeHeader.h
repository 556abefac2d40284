// The tree's header: a collection of columns with widths inside limits, display positions
// independent of their collection index, captions, images and colours; the collection keeps the
// position map, the left edges, the auto-size column and the header's indexes, and paints the
// header with or without themes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Messages.h"

class TNodeTree;
class TNodeTreeHeader;
class TCustomImageList;
class TBitmap;

enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TBiDiMode : uint8_t { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TNodeTreeColumnStyle : uint8_t { vsText, vsOwnerDraw };

/// The alignment as right-to-left text shows it: left and right swap.
inline TAlignment MirroredAlignment(TAlignment alignment) {
  if (alignment == taCenter) return alignment;
  return alignment == taLeftJustify ? taRightJustify : taLeftJustify;
}

/// Makes the span of `r` exactly `width` pixels, placed within it by `alignment`.
inline void AlignSpan(TRect& r, int32_t width, TAlignment alignment) {
  switch (alignment) {
    case taLeftJustify:
      r.Right = r.Left + width;
      break;
    case taRightJustify:
      r.Left = r.Right - width;
      break;
    case taCenter:
      r.Left = (r.Left + r.Right - width) / 2;
      r.Right = r.Left + width;
      break;
  }
}
enum TVTHeaderColumnLayout : uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

enum TVTColumnOption : uint8_t {
  coAllowClick = 1 << 0,
  coDraggable = 1 << 1,
  coEnabled = 1 << 2,
  coParentBidiMode = 1 << 3,
  coParentColor = 1 << 4,
  coResizable = 1 << 5,
  coShowDropMark = 1 << 6,
  coVisible = 1 << 7,
};
using TVTColumnOptions = uint8_t;

enum TVTHeaderOption : uint16_t {
  hoAutoResize = 1 << 0,
  hoHotTrack = 1 << 1,
  hoOwnerDraw = 1 << 2,
  hoShowImages = 1 << 3,
  hoShowSortGlyphs = 1 << 4,
  hoVisible = 1 << 5,
};
using TVTHeaderOptions = uint16_t;

/// Which edge of a header cell shows the drop mark of a column being dragged.
enum TVTDropMarkMode : uint8_t { dmmNone, dmmLeft, dmmRight };

/// The parts of a header cell that the tree's advanced header-draw hook may draw instead of the
/// header itself.
enum THeaderPaintElement : uint8_t {
  hpeHeaderGlyph = 1 << 0,  // the column's image from the header's image list
  hpeText = 1 << 1,         // the caption
  hpeSortGlyph = 1 << 2,    // the sort direction arrow
  hpeDropMark = 1 << 3,     // the mark where a dragged column would land
};
using THeaderPaintElements = uint8_t;

class TNodeTreeColumn;

/// What the header worked out for one cell, handed to the advanced header-draw hooks. Positions
/// are those the header would draw at (already moved by (1, 1) for a pressed column).
struct THeaderPaintInfo {
  TCanvas* TargetCanvas = nullptr;
  TNodeTreeColumn* Column = nullptr;
  TRect PaintRectangle;  // the whole cell
  TRect TextRectangle;
  TPoint GlyphPos;  // the column's image
  TPoint SortGlyphPos;
  int32_t SortGlyphIndex = -1;  // in UtilityImages(), -1 without a sort glyph
  bool ShowHeaderGlyph = false;
  bool ShowSortGlyph = false;
  bool IsHoverIndex = false;
  bool IsDownIndex = false;
  TVTDropMarkMode DropMark = dmmNone;
};

/// Column index meaning the whole row, and an invalid column.
inline constexpr int32_t NoColumn = -1;
inline constexpr int32_t InvalidColumn = -2;
inline constexpr int32_t kMaxColumnWidth = 10000;

class TNodeTreeColumn : public TCollectionItem {
  ZUK_PUBLISHED(TNodeTreeColumn)

 public:
  TNodeTreeColumn() = default;
  ~TNodeTreeColumn() override;
  std::string ClassName() const override { return "TNodeTreeColumn"; }

  TNodeTreeHeader* Owner() const;
  TNodeTree* Tree() const;

  const std::u16string& Text() const { return text_; }
  void SetText(const std::u16string& text);
  const std::u16string& HintText() const { return hint_; }
  void SetHintText(const std::u16string& hint) { hint_ = hint; }
  int32_t Left() const { return left_; }
  int32_t Width() const { return width_; }
  void SetWidth(int32_t value);
  int32_t LastWidth() const { return lastWidth_; }
  int32_t Position() const { return position_; }
  void SetPosition(int32_t value);
  int32_t MinWidth() const { return minWidth_; }
  void SetMinWidth(int32_t value);
  int32_t MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(int32_t value);
  TNodeTreeColumnStyle Style() const { return style_; }
  void SetStyle(TNodeTreeColumnStyle value);
  int32_t ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int32_t value);
  TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode value);
  TVTHeaderColumnLayout Layout() const { return layout_; }
  void SetLayout(TVTHeaderColumnLayout value);
  int32_t Margin() const { return margin_; }
  void SetMargin(int32_t value);
  int32_t Spacing() const { return spacing_; }
  void SetSpacing(int32_t value);
  TVTColumnOptions Options() const { return options_; }
  void SetOptions(TVTColumnOptions value);
  int32_t Tag() const { return tag_; }
  void SetTag(int32_t value) { tag_ = value; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  bool UseRightToLeftReading() const { return biDiMode_ != bdLeftToRight; }
  /// Whether the column keeps a bidirectional mode or colour of its own (only then are they streamed).
  bool OwnBiDiMode() const { return (options_ & coParentBidiMode) == 0; }
  bool OwnColor() const { return (options_ & coParentColor) == 0; }

  void SetIndex(int index) override;
  std::string GetDisplayName() const override;
  void Assign(const TPersistent* source) override;
  virtual bool Equals(const TNodeTreeColumn& other) const;
  void DefineProperties(TFiler& filer) override;

  /// (Left, Left + Width).
  std::pair<int32_t, int32_t> GetAbsoluteBounds() const { return {left_, left_ + width_}; }
  TRect GetRect() const;

 private:
  friend class TNodeTreeColumns;
  void MarkChanged();
  void InvalidateTree();
  void ReadWideText(TReader& reader);
  void WriteWideText(TWriter& writer);
  void ReadWideHint(TReader& reader);
  void WriteWideHint(TWriter& writer);

  std::u16string text_;
  std::u16string hint_;
  int32_t left_ = 0;
  int32_t width_ = 50;
  int32_t position_ = 0;
  int32_t minWidth_ = 10;
  int32_t maxWidth_ = kMaxColumnWidth;
  TNodeTreeColumnStyle style_ = vsText;
  int32_t imageIndex_ = -1;
  TBiDiMode biDiMode_ = bdLeftToRight;
  TVTHeaderColumnLayout layout_ = blGlyphLeft;
  int32_t margin_ = 4;
  int32_t spacing_ = 4;
  TVTColumnOptions options_ = 0xFF;
  int32_t tag_ = 0;
  TAlignment alignment_ = taLeftJustify;
  int32_t lastWidth_ = 50;
  TColor color_ = clWindow;
  bool created_ = false;  // defaults applied by the collection
};

/// Where the caption layout puts the parts of a column's header cell.
struct TCaptionLayout {
  TPoint ImagePos;
  TPoint SortGlyphPos;
  TRect TextRect;
};

class TNodeTreeColumns : public TCollection {
 public:
  explicit TNodeTreeColumns(TNodeTreeHeader* header);
  ~TNodeTreeColumns() override;
  std::string ClassName() const override { return "TNodeTreeColumns"; }

  TNodeTreeHeader* Header() const { return header_; }
  virtual TNodeTreeColumn* Add();
  virtual void ClearColumns();
  TNodeTreeColumn* Column(int32_t index) const;
  /// The column shown at display position `position`, -1 outside the range.
  int32_t ColumnAtPosition(int32_t position) const;
  /// The visible column whose span contains p.X (+ the horizontal offset when relative), or -2.
  virtual int32_t ColumnFromPosition(TPoint p, bool relative = true) const;
  int32_t GetFirstVisibleColumn() const;
  int32_t GetNextVisibleColumn(int32_t column) const;
  int32_t GetPreviousVisibleColumn(int32_t column) const;
  int32_t GetLastVisibleColumn() const;
  bool IsAnyVisible() const;
  int32_t TotalWidth() const;
  const std::vector<int32_t>& PositionToIndex() const { return positionToIndex_; }
  void AdjustAutoSize(int32_t resizedColumn);
  void Assign(const TPersistent* source) override;

  int32_t HoverIndex = -1;
  int32_t DownIndex = -1;
  int32_t TrackIndex = -1;
  int32_t ClickIndex = -1;

  /// Computes where image, sort glyph and text go in a cell of size `client`.
  TCaptionLayout DetermineCaptionLayout(TCanvas& canvas, const TNodeTreeColumn& column, const TRect& client,
                                        bool useImage, bool useSortGlyph) const;
  /// Paints the header area `rect` (header coordinates) onto `target`.
  virtual void PaintHeader(TCanvas& target, const TRect& rect, int32_t hoffset);

 protected:
  void Update(TCollectionItem* item) override;
  void Notify(TCollectionItem* item, TCollectionNotification action) override;

 private:
  friend class TNodeTreeColumn;
  void AdjustPositions();
  void ComputeLeftEdges();
  void RemoveFromPositions(int32_t index);
  void ColumnGoing(int32_t index);
  void PaintColumnCell(TCanvas& canvas, TNodeTreeColumn& column, TRect rect, bool isLast);
  void PaintCellFrame(TCanvas& canvas, const THeaderPaintInfo& info, bool isLast);
  void PaintCellContent(TCanvas& canvas, THeaderPaintInfo& info);
  void PaintXPButton(TCanvas& canvas, TRect rect, bool pressed, bool hot, bool isLast);

  TNodeTreeHeader* header_;
  std::vector<int32_t> positionToIndex_;
  bool clearing_ = false;
  bool positionsPending_ = false;
  std::unique_ptr<TBitmap> headerBitmap_;
};

/// The small pictures shared by every tree, 16 x 16 each: 0 and 1 the column drop marks at a
/// cell's left and right edge, 2 and 3 the descending and ascending sort glyphs (4 and 5 their
/// themed variants), 6, 7 and 8 the left end, middle and right end of a hot caption's strip.
TCustomImageList& UtilityImages();

class TNodeTreeHeader : public TPersistent {
 public:
  explicit TNodeTreeHeader(TNodeTree* tree);
  ~TNodeTreeHeader() override;
  std::string ClassName() const override { return "TNodeTreeHeader"; }

  TNodeTree* Tree() const { return tree_; }
  TNodeTreeColumns& Columns() { return *columns_; }
  const TNodeTreeColumns& Columns() const { return *columns_; }
  TVTHeaderOptions Options() const { return options_; }
  /// hoVisible shows the header in the tree's window, above the rows.
  void SetOptions(TVTHeaderOptions value);
  /// 0..3; 3 is the flat button look drawn without themes.
  uint8_t Style() const { return style_; }
  void SetStyle(uint8_t value) { style_ = value; }
  TColor Background() const { return background_; }
  void SetBackground(TColor value) { background_ = value; }
  TFont& Font() { return font_; }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* images) { images_ = images; }
  int32_t AutoSizeIndex() const { return autoSizeIndex_; }
  void SetAutoSizeIndex(int32_t value);
  int32_t MainColumn() const;
  void SetMainColumn(int32_t value);
  int32_t SortColumn() const { return sortColumn_; }
  void SetSortColumn(int32_t value) { sortColumn_ = value; }
  bool SortAscending() const { return sortAscending_; }
  void SetSortAscending(bool value) { sortAscending_ = value; }
  int32_t Height() const { return height_; }
  void SetHeight(int32_t value);
  bool Destroying() const { return destroying_; }
  bool UpdatingColumns() const { return columns_->UpdateCount() > 0; }

  // Mouse input and column dragging. A press on an enabled column shows it pressed (coAllowClick)
  // and, with coDraggable, starts a drag once the pointer has moved a few pixels; while dragging,
  // the drop mark shows where the column would land, and the release moves it there.
  /// Handles a WM_NC* mouse message of the tree (window coordinates); true when consumed.
  bool HandleMessage(TMessage& message);
  bool Dragging() const { return dragState_ == DragState::Dragging; }
  /// The column being dragged (or pressed, waiting for the pointer to move), -1 for none.
  int32_t DragIndex() const { return dragIndex_; }
  /// The column whose drop mark shows during a drag (-1 none), and whether the mark sits on its
  /// left edge (the column would land before it) or on its right edge.
  int32_t DropTarget() const { return dropTarget_; }
  bool DropBefore() const { return dropBefore_; }
  /// The drop mark that column `index` shows now.
  TVTDropMarkMode DropMarkOf(int32_t index) const;
  /// Ends a drag or press without moving or clicking anything.
  void CancelDrag();

 private:
  friend class TNodeTreeColumns;
  friend class TNodeTreeColumn;
  enum class DragState : uint8_t { None, Pending, Dragging };

  /// Header coordinates of a window point of the tree.
  TPoint HeaderPoint(LPARAM lparam) const;
  void MouseDown(TPoint p);
  void MouseMove(TPoint p);
  void MouseUp(TPoint p);
  void TrackDropTarget(TPoint p);
  /// The display position the dragged column takes when dropped at the current target, or -1.
  int32_t DropPosition() const;
  void SetHoverIndex(int32_t index);
  void InvalidateHeader();
  TNodeTree* tree_;
  std::unique_ptr<TNodeTreeColumns> columns_;
  TVTHeaderOptions options_ = hoShowSortGlyphs;
  uint8_t style_ = 0;
  TColor background_ = clBtnFace;
  TFont font_;
  TCustomImageList* images_ = nullptr;
  int32_t autoSizeIndex_ = -1;
  int32_t mainColumn_ = -1;
  int32_t sortColumn_ = -1;
  bool sortAscending_ = true;
  int32_t height_ = 17;
  bool destroying_ = false;
  DragState dragState_ = DragState::None;
  int32_t dragIndex_ = -1;
  TPoint dragStart_;
  int32_t dropTarget_ = -1;
  bool dropBefore_ = true;
};

/// `text` shortened with "..." so that it fits into `width` pixels on `canvas` (empty when even
/// the ellipsis does not fit). An ellipsis width of 0 is measured.
std::u16string ShortenString(TCanvas& canvas, const std::u16string& text, int32_t width,
                             int32_t ellipsisWidth = 0);
