// Header columns: limits and positions, the position map and left edges kept by the
// collection, the auto-size column, and the caption layout used when the header is painted.
#include "common/components/original/NodeTree/NodeTreeHeader.h"

#include <algorithm>
#include <cstdlib>

#include "common/components/original/NodeTree/NodeTree.h"
#include "platform/core/CodePages.h"
#include "platform/core/ComponentStreaming.h"
#include "platform/core/Strings.h"
#include "platform/core/TypInfo.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"

// --- Column ---------------------------------------------------------------------------------

const TPropertyList& TNodeTreeColumn::ClassProperties() {
  using T = TNodeTreeColumn;
  static const TPropertyList list = TPropertyBuilder<T>(TCollectionItem::ClassProperties())
                                        .Integer("Alignment", &T::Alignment, &T::SetAlignment)
                                        .Default(taLeftJustify)
                                        .Integer("BiDiMode", &T::BiDiMode, &T::SetBiDiMode)
                                        .Default(bdLeftToRight)
                                        .Stored(&T::OwnBiDiMode)
                                        .Color("Color", &T::Color, &T::SetColor)
                                        .Default(clWindow)
                                        .Stored(&T::OwnColor)
                                        .Integer("ImageIndex", &T::ImageIndex, &T::SetImageIndex)
                                        .Default(-1)
                                        .Integer("Layout", &T::Layout, &T::SetLayout)
                                        .Default(blGlyphLeft)
                                        .Integer("Margin", &T::Margin, &T::SetMargin)
                                        .Default(4)
                                        .Integer("MaxWidth", &T::MaxWidth, &T::SetMaxWidth)
                                        .Default(kMaxColumnWidth)
                                        .Integer("MinWidth", &T::MinWidth, &T::SetMinWidth)
                                        .Default(10)
                                        .Integer("Options", &T::Options, &T::SetOptions)
                                        .Default(0xFF)
                                        .Integer("Position", &T::Position, &T::SetPosition)
                                        .Integer("Spacing", &T::Spacing, &T::SetSpacing)
                                        .Default(4)
                                        .Integer("Style", &T::Style, &T::SetStyle)
                                        .Default(vsText)
                                        .Integer("Tag", &T::Tag, &T::SetTag)
                                        .Default(0)
                                        .Integer("Width", &T::Width, &T::SetWidth)
                                        .Default(50)
                                        .Build();
  return list;
}

TNodeTreeColumn::~TNodeTreeColumn() = default;

TNodeTreeHeader* TNodeTreeColumn::Owner() const {
  auto* columns = dynamic_cast<TNodeTreeColumns*>(Collection());
  return columns != nullptr ? columns->Header() : nullptr;
}

TNodeTree* TNodeTreeColumn::Tree() const {
  TNodeTreeHeader* header = Owner();
  return header != nullptr ? header->Tree() : nullptr;
}

void TNodeTreeColumn::MarkChanged() {
  if (Collection() != nullptr) Changed(false);
}

void TNodeTreeColumn::InvalidateTree() {
  if (TNodeTree* tree = Tree()) tree->Invalidate();
}

void TNodeTreeColumn::SetText(const std::u16string& text) {
  text_ = text;
  MarkChanged();
}

void TNodeTreeColumn::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  MarkChanged();
  InvalidateTree();
}

void TNodeTreeColumn::SetBiDiMode(TBiDiMode value) {
  if (value == biDiMode_) return;
  biDiMode_ = value;
  options_ &= static_cast<TVTColumnOptions>(~coParentBidiMode);
  MarkChanged();
  InvalidateTree();
}

void TNodeTreeColumn::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  options_ &= static_cast<TVTColumnOptions>(~coParentColor);
  MarkChanged();
  InvalidateTree();
}

void TNodeTreeColumn::SetImageIndex(int32_t value) {
  imageIndex_ = value;
  MarkChanged();
}

void TNodeTreeColumn::SetLayout(TVTHeaderColumnLayout value) {
  layout_ = value;
  MarkChanged();
}

void TNodeTreeColumn::SetSpacing(int32_t value) {
  spacing_ = value;
  MarkChanged();
}

void TNodeTreeColumn::SetStyle(TNodeTreeColumnStyle value) {
  style_ = value;
  MarkChanged();
}

void TNodeTreeColumn::SetMargin(int32_t value) {
  margin_ = value < 0 ? 4 : value;
  MarkChanged();
}

void TNodeTreeColumn::SetMinWidth(int32_t value) {
  minWidth_ = std::min(std::max(value, 0), maxWidth_);
  SetWidth(width_);
}

void TNodeTreeColumn::SetMaxWidth(int32_t value) {
  maxWidth_ = std::min(std::max(value, minWidth_), kMaxColumnWidth);
  SetWidth(width_);
}

void TNodeTreeColumn::SetWidth(int32_t value) {
  value = std::clamp(value, minWidth_, maxWidth_);
  if (value == width_) return;
  lastWidth_ = width_;
  width_ = value;
  auto* columns = dynamic_cast<TNodeTreeColumns*>(Collection());
  if (columns == nullptr) return;
  columns->ComputeLeftEdges();
  TNodeTree* tree = Tree();
  if ((tree != nullptr && tree->HasState(tsLoading)) || columns->UpdateCount() > 0) return;
  if ((columns->header_->Options() & hoAutoResize) != 0 && Index() != columns->header_->AutoSizeIndex())
    columns->AdjustAutoSize(Index());
  if (tree != nullptr) {
    if (tree->OnColumnResize) tree->OnColumnResize(tree, Index());
    tree->UpdateHorizontalScrollBar(false);
    tree->Invalidate();
  }
}

void TNodeTreeColumn::SetOptions(TVTColumnOptions value) {
  if (value == options_) return;
  const TVTColumnOptions set = value & ~options_;
  const TVTColumnOptions changed = value ^ options_;
  options_ = value;
  TNodeTree* tree = Tree();
  if (tree != nullptr) {
    if ((set & coParentBidiMode) != 0) biDiMode_ = tree->RightToLeft() ? bdRightToLeft : bdLeftToRight;
    if ((set & coParentColor) != 0) color_ = tree->Color();
  }
  MarkChanged();
  auto* columns = dynamic_cast<TNodeTreeColumns*>(Collection());
  if (tree == nullptr || tree->HasState(tsLoading) || (columns != nullptr && columns->UpdateCount() > 0))
    return;
  if ((changed & coVisible) != 0 || (set & coParentColor) != 0) tree->Invalidate();
  if ((changed & coVisible) != 0) {
    if (columns != nullptr) columns->ComputeLeftEdges();
    tree->UpdateHorizontalScrollBar(false);
  }
}

void TNodeTreeColumn::SetPosition(int32_t value) {
  auto* columns = dynamic_cast<TNodeTreeColumns*>(Collection());
  TNodeTree* tree = Tree();
  // Stored positions always name a place that exists, so the position map never goes past
  // the columns, even for positions read while the tree loads.
  value = std::clamp(value, 0, std::max(0, (columns != nullptr ? columns->Count() : 1) - 1));
  if (columns == nullptr || (tree != nullptr && tree->HasState(tsLoading))) {
    position_ = value;
    return;
  }
  if (value == position_) return;
  columns->AdjustPositions();
  std::vector<int32_t>& map = columns->positionToIndex_;
  const auto from = std::find(map.begin(), map.end(), Index());
  if (from != map.end()) map.erase(from);
  map.insert(map.begin() + value, Index());
  columns->ComputeLeftEdges();
  if (tree != nullptr) {
    tree->CancelEdit();
    tree->Invalidate();
    tree->UpdateHorizontalScrollBar(false);
  }
}

void TNodeTreeColumn::SetIndex(int index) {
  auto* columns = dynamic_cast<TNodeTreeColumns*>(Collection());
  const int oldIndex = Index();
  if (columns != nullptr && index != oldIndex && index >= 0 && index < columns->Count()) {
    // Indexes between the old and the new place shift by one.
    for (int32_t& entry : columns->positionToIndex_) {
      if (entry == oldIndex)
        entry = index;
      else if (oldIndex < index && entry > oldIndex && entry <= index)
        --entry;
      else if (oldIndex > index && entry >= index && entry < oldIndex)
        ++entry;
    }
  }
  TCollectionItem::SetIndex(index);
}

std::string TNodeTreeColumn::GetDisplayName() const {
  const bool narrow = std::all_of(text_.begin(), text_.end(), [](char16_t c) { return c <= 255; });
  if (!narrow) return "Column " + std::to_string(Index());
  std::string result;
  for (char16_t c : text_) result.push_back(static_cast<char>(c));
  return result;
}

void TNodeTreeColumn::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TNodeTreeColumn*>(source);
  if (other == nullptr) {
    TCollectionItem::Assign(source);
    return;
  }
  options_ = 0;
  biDiMode_ = other->biDiMode_;
  SetPosition(other->position_);
  imageIndex_ = other->imageIndex_;
  layout_ = other->layout_;
  margin_ = other->margin_;
  maxWidth_ = other->maxWidth_;
  minWidth_ = other->minWidth_;
  spacing_ = other->spacing_;
  style_ = other->style_;
  text_ = other->text_;
  hint_ = other->hint_;
  width_ = other->width_;
  alignment_ = other->alignment_;
  color_ = other->color_;
  tag_ = other->tag_;
  options_ = other->options_;
  MarkChanged();
}

bool TNodeTreeColumn::Equals(const TNodeTreeColumn& other) const {
  return biDiMode_ == other.biDiMode_ && imageIndex_ == other.imageIndex_ && layout_ == other.layout_ &&
         margin_ == other.margin_ && maxWidth_ == other.maxWidth_ && minWidth_ == other.minWidth_ &&
         position_ == other.position_ && spacing_ == other.spacing_ && style_ == other.style_ &&
         text_ == other.text_ && hint_ == other.hint_ && width_ == other.width_ &&
         alignment_ == other.alignment_ && color_ == other.color_ && tag_ == other.tag_ &&
         options_ == other.options_;
}

void TNodeTreeColumn::DefineProperties(TFiler& filer) {
  filer.DefineProperty(
      "WideText", [this](TReader& reader) { ReadWideText(reader); },
      [this](TWriter& writer) { WriteWideText(writer); }, !text_.empty());
  filer.DefineProperty(
      "WideHint", [this](TReader& reader) { ReadWideHint(reader); },
      [this](TWriter& writer) { WriteWideHint(writer); }, !hint_.empty());
}

namespace {

/// A wide string value, or an 8-bit one converted.
std::u16string ReadAnyString(TReader& reader) {
  const TValueType type = reader.NextValue();
  if (type == vaString || type == vaLString) {
    // Older files hold captions in the ANSI code page.
    return MultiByteToWide(CP_ACP, 0, reader.ReadString());
  }
  return reader.ReadWideString();
}

}  // namespace

void TNodeTreeColumn::ReadWideText(TReader& reader) {
  text_ = ReadAnyString(reader);
}
void TNodeTreeColumn::WriteWideText(TWriter& writer) {
  writer.WriteWideString(text_);
}
void TNodeTreeColumn::ReadWideHint(TReader& reader) {
  hint_ = ReadAnyString(reader);
}
void TNodeTreeColumn::WriteWideHint(TWriter& writer) {
  writer.WriteWideString(hint_);
}

TRect TNodeTreeColumn::GetRect() const {
  TNodeTreeHeader* header = Owner();
  const int32_t height = header != nullptr ? header->Height() : 0;
  return Rect(left_, 0, left_ + width_, height);
}

// --- Collection -----------------------------------------------------------------------------

TNodeTreeColumns::TNodeTreeColumns(TNodeTreeHeader* header)
    : TCollection(CollectionItemClass<TNodeTreeColumn>()), header_(header) {}

TNodeTreeColumns::~TNodeTreeColumns() {
  clearing_ = true;
  Clear();
}

TNodeTreeColumn* TNodeTreeColumns::Add() {
  return static_cast<TNodeTreeColumn*>(TCollection::Add());
}

TNodeTreeColumn* TNodeTreeColumns::Column(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return static_cast<TNodeTreeColumn*>(Items(index));
}

void TNodeTreeColumns::ColumnGoing(int32_t index) {
  RemoveFromPositions(index);
  // Indexes of the header name columns: the going one is forgotten, later ones move down.
  for (int32_t* field :
       {&HoverIndex, &DownIndex, &TrackIndex, &ClickIndex, &header_->autoSizeIndex_, &header_->sortColumn_}) {
    if (*field == index)
      *field = -1;
    else if (*field > index)
      --*field;
  }
  // The main column becomes the first other column.
  if (header_->mainColumn_ == index)
    header_->mainColumn_ = Count() > 1 ? 0 : -1;
  else if (header_->mainColumn_ > index)
    --header_->mainColumn_;
}

void TNodeTreeColumns::Notify(TCollectionItem* item, TCollectionNotification action) {
  if (action == cnDeleting || action == cnExtracting) {
    if (!clearing_) ColumnGoing(item->Index());
    return;
  }
  if (action != cnAdded) return;
  auto* column = static_cast<TNodeTreeColumn*>(item);
  if (column->created_) return;
  column->created_ = true;
  column->position_ = Count() - 1;
  if (TNodeTree* tree = header_->Tree()) {
    if ((column->options_ & coParentBidiMode) != 0)
      column->biDiMode_ = tree->RightToLeft() ? bdRightToLeft : bdLeftToRight;
    if ((column->options_ & coParentColor) != 0) column->color_ = tree->Color();
  }
}

void TNodeTreeColumns::ClearColumns() {
  clearing_ = true;
  HoverIndex = DownIndex = TrackIndex = ClickIndex = -1;
  if (!header_->Destroying()) {
    header_->autoSizeIndex_ = -1;
    header_->mainColumn_ = -1;
    header_->sortColumn_ = -1;
  }
  Clear();
  positionToIndex_.clear();
  clearing_ = false;
}

void TNodeTreeColumns::RemoveFromPositions(int32_t index) {
  const auto it = std::find(positionToIndex_.begin(), positionToIndex_.end(), index);
  if (it != positionToIndex_.end()) positionToIndex_.erase(it);
  for (int32_t& entry : positionToIndex_)
    if (entry > index) --entry;
}

void TNodeTreeColumns::AdjustPositions() {
  const int32_t count = Count();
  for (int32_t index = static_cast<int32_t>(positionToIndex_.size()); index < count; ++index)
    positionToIndex_.push_back(index);
  // On shrinking, entries that name columns no longer there go.
  std::erase_if(positionToIndex_, [count](int32_t entry) { return entry >= count; });
  while (static_cast<int32_t>(positionToIndex_.size()) > count) positionToIndex_.pop_back();
}

void TNodeTreeColumns::ComputeLeftEdges() {
  AdjustPositions();
  int32_t left = 0;
  for (int32_t position = 0; position < static_cast<int32_t>(positionToIndex_.size()); ++position) {
    TNodeTreeColumn* column = Column(positionToIndex_[position]);
    if (column == nullptr) continue;
    column->position_ = position;
    column->left_ = left;
    if ((column->options_ & coVisible) != 0) left += column->width_;
  }
}

void TNodeTreeColumns::Update(TCollectionItem* item) {
  if (clearing_ || header_->Destroying()) return;
  AdjustPositions();
  TNodeTree* tree = header_->Tree();
  if (tree != nullptr && tree->HasState(tsLoading))
    positionsPending_ = true;
  else
    ComputeLeftEdges();
  if (header_->mainColumn_ < 0 && Count() > 0) header_->mainColumn_ = 0;
  // Without extended focus the focus stays in the main column.
  if (tree != nullptr && (tree->TreeOptions().SelectionOptions() & toExtendedFocus) == 0)
    tree->focusedColumn_ = header_->MainColumn();
  if (tree == nullptr || tree->HasState(tsLoading)) return;
  if ((header_->Options() & hoAutoResize) != 0) AdjustAutoSize(InvalidColumn);
  if (item == nullptr) tree->UpdateHorizontalScrollBar(false);
  tree->Invalidate();
}

int32_t TNodeTreeColumns::ColumnAtPosition(int32_t position) const {
  if (position < 0 || position >= static_cast<int32_t>(positionToIndex_.size())) return NoColumn;
  return positionToIndex_[position];
}

int32_t TNodeTreeColumns::ColumnFromPosition(TPoint p, bool relative) const {
  TNodeTree* tree = header_->Tree();
  if (p.X < 0 || p.Y < 0 || (tree != nullptr && p.Y > tree->Height())) return InvalidColumn;
  int32_t x = p.X;
  if (relative && tree != nullptr) x -= tree->OffsetX();
  for (int32_t index : positionToIndex_) {
    const TNodeTreeColumn* column = Column(index);
    if (column == nullptr || (column->options_ & coVisible) == 0) continue;
    if (x >= column->left_ && x < column->left_ + column->width_) return index;
  }
  return InvalidColumn;
}

int32_t TNodeTreeColumns::GetFirstVisibleColumn() const {
  for (int32_t index : positionToIndex_)
    if (Column(index) != nullptr && (Column(index)->options_ & coVisible) != 0) return index;
  return InvalidColumn;
}

int32_t TNodeTreeColumns::GetLastVisibleColumn() const {
  for (auto it = positionToIndex_.rbegin(); it != positionToIndex_.rend(); ++it)
    if (Column(*it) != nullptr && (Column(*it)->options_ & coVisible) != 0) return *it;
  return InvalidColumn;
}

int32_t TNodeTreeColumns::GetNextVisibleColumn(int32_t column) const {
  const TNodeTreeColumn* current = Column(column);
  if (current == nullptr) return InvalidColumn;
  for (int32_t position = current->position_ + 1; position < static_cast<int32_t>(positionToIndex_.size());
       ++position)
    if ((Column(positionToIndex_[position])->options_ & coVisible) != 0) return positionToIndex_[position];
  return InvalidColumn;
}

int32_t TNodeTreeColumns::GetPreviousVisibleColumn(int32_t column) const {
  const TNodeTreeColumn* current = Column(column);
  if (current == nullptr) return InvalidColumn;
  for (int32_t position = current->position_ - 1; position >= 0; --position)
    if ((Column(positionToIndex_[position])->options_ & coVisible) != 0) return positionToIndex_[position];
  return InvalidColumn;
}

bool TNodeTreeColumns::IsAnyVisible() const {
  return GetFirstVisibleColumn() != InvalidColumn;
}

int32_t TNodeTreeColumns::TotalWidth() const {
  const TNodeTreeColumn* last = Column(GetLastVisibleColumn());
  return last != nullptr ? last->left_ + last->width_ : 0;
}

void TNodeTreeColumns::AdjustAutoSize(int32_t resizedColumn) {
  if (Count() == 0) return;
  int32_t autoIndex = header_->AutoSizeIndex();
  if (Column(autoIndex) == nullptr) autoIndex = GetLastVisibleColumn();
  TNodeTreeColumn* target = Column(autoIndex);
  if (target == nullptr) return;
  // A column at or right of the auto-size column was resized: the next visible one gives way.
  if (TNodeTreeColumn* resized = Column(resizedColumn);
      resized != nullptr && resized->position_ >= target->position_) {
    target = Column(GetNextVisibleColumn(resizedColumn));
    if (target == nullptr) return;
  }
  TNodeTree* tree = header_->Tree();
  const int32_t available =
      tree == nullptr ? 0 : (tree->HandleAllocated() ? tree->ClientWidth() : tree->Width());
  int32_t others = 0;
  for (int32_t index = 0; index < Count(); ++index)
    if (Column(index) != target && (Column(index)->options_ & coVisible) != 0)
      others += Column(index)->width_;
  const int32_t width = std::clamp(available - others, target->minWidth_, target->maxWidth_);
  if (width == target->width_) return;
  target->lastWidth_ = target->width_;
  target->width_ = width;
  ComputeLeftEdges();
  if (tree != nullptr && tree->OnColumnResize) tree->OnColumnResize(tree, target->Index());
}

void TNodeTreeColumns::Assign(const TPersistent* source) {
  TCollection::Assign(source);
  if (const auto* other = dynamic_cast<const TNodeTreeColumns*>(source)) {
    positionToIndex_ = other->positionToIndex_;
    ComputeLeftEdges();
  }
}

TCaptionLayout TNodeTreeColumns::DetermineCaptionLayout(TCanvas& canvas, const TNodeTreeColumn& column,
                                                        const TRect& client, bool useImage,
                                                        bool useSortGlyph) const {
  TCaptionLayout layout;
  const TSize c{client.Width(), client.Height()};
  TSize g;
  if (useImage && header_->Images() != nullptr)
    g = TSize{header_->Images()->Width(), header_->Images()->Height()};
  const TSize s = useSortGlyph ? TSize{16, 16} : TSize{};
  const bool hasText = !column.Text().empty();
  TSize t;
  if (hasText) {
    t = canvas.TextExtentW(column.Text());
    t.cx += 2;
  }
  const int32_t ts = hasText ? column.Spacing() : 0;
  const int32_t spacing = column.Spacing();
  const int32_t margin = column.Margin();
  const bool rtl = column.UseRightToLeftReading();
  TAlignment alignment = column.Alignment();
  if (rtl && alignment != taCenter) alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
  const bool sideLayout = column.Layout() == blGlyphLeft || column.Layout() == blGlyphRight || !useImage;
  TPoint image;
  TPoint glyph;
  TPoint text;
  if (!hasText && g.cx == 0 && s.cx == 0) return layout;
  if (useSortGlyph) glyph.Y = (c.cy - s.cy) / 2;
  if (!hasText && g.cx == 0) {
    glyph.X = (c.cx - s.cx) / 2;
  } else {
    // Vertical placement.
    if (sideLayout) {
      image.Y = (c.cy - g.cy) / 2;
      text.Y = (c.cy - t.cy) / 2;
    } else if (column.Layout() == blGlyphTop) {
      image.Y = (c.cy - g.cy - t.cy - ts) / 2;
      text.Y = image.Y + g.cy + ts;
    } else {
      text.Y = (c.cy - g.cy - t.cy - ts) / 2;
      image.Y = text.Y + t.cy + ts;
    }
    // Horizontal placement by alignment.
    switch (alignment) {
      case taLeftJustify: {
        int32_t x = margin;
        if (useSortGlyph && rtl) {
          glyph.X = x;
          x += s.cx + spacing;
        }
        if (sideLayout) {
          if (column.Layout() == blGlyphLeft && useImage) {
            image.X = x;
            x += g.cx + spacing;
          }
          text.X = x;
          x = text.X + t.cx + ts;
          if (column.Layout() == blGlyphRight && useImage) {
            image.X = x;
            x += g.cx + spacing;
          }
        } else {
          text.X = x;
          image.X = std::max((c.cx - g.cx) / 2, x);
          x = std::max(text.X + t.cx + ts, image.X + g.cx + spacing);
        }
        if (useSortGlyph && !rtl) glyph.X = x;
        break;
      }
      case taRightJustify: {
        int32_t r = c.cx - margin;
        if (useSortGlyph && !rtl) {
          glyph.X = r - s.cx;
          r = glyph.X - spacing;
        }
        int32_t l;
        if (sideLayout) {
          if (column.Layout() == blGlyphRight && useImage) {
            image.X = r - g.cx;
            r = image.X - spacing;
          }
          text.X = r - t.cx;
          l = text.X - ts;
          if (column.Layout() == blGlyphLeft && useImage) {
            image.X = l - g.cx;
            l = image.X - spacing;
          }
        } else {
          text.X = r - t.cx;
          image.X = (c.cx - g.cx) / 2;
          if (image.X + g.cx > r) image.X = r - g.cx - spacing;
          l = std::min(text.X - ts, image.X - spacing);
        }
        if (useSortGlyph && rtl) glyph.X = l - s.cx;
        break;
      }
      case taCenter: {
        int32_t l;
        int32_t r;
        if (sideLayout) {
          int32_t x = (c.cx - g.cx - ts - t.cx) / 2;
          if (column.Layout() == blGlyphLeft && useImage) {
            image.X = x;
            x += g.cx + ts;
          }
          text.X = x;
          x += t.cx + ts;
          if (column.Layout() == blGlyphRight && useImage) image.X = x;
        } else {
          image.X = (c.cx - g.cx) / 2;
          text.X = (c.cx - t.cx) / 2 - (useSortGlyph ? s.cx / 2 : 0);
        }
        if (useImage && g.cx > 0) {
          l = std::min(image.X, text.X);
          r = std::max(image.X + g.cx, text.X + t.cx);
        } else {
          l = text.X;
          r = text.X + t.cx;
        }
        if (useSortGlyph) glyph.X = rtl ? l - spacing - s.cx : r + spacing;
        break;
      }
    }
  }
  // Clipping to the margins.
  int32_t l = margin;
  int32_t r = c.cx - margin;
  if (useSortGlyph) {
    if (!rtl) {
      if (glyph.X + s.cx > r) glyph.X = r - s.cx;
      if (glyph.X < l) glyph.X = l;
      r = glyph.X - spacing;
    } else {
      if (glyph.X < l) glyph.X = l;
      l = glyph.X + s.cx + spacing;
    }
  }
  if (useImage && g.cx > 0) {
    if (image.X + g.cx > r) image.X = r - g.cx;
    if (column.Layout() == blGlyphRight) r = image.X - spacing;
    if (image.X < l) image.X = l;
    if (column.Layout() == blGlyphLeft) l = image.X + g.cx + spacing;
  }
  if (hasText) {
    text.X = std::max(text.X, l);
    layout.TextRect = Rect(text.X, text.Y, std::min(text.X + t.cx, r), text.Y + t.cy);
  }
  layout.ImagePos = Point(image.X + client.Left, image.Y + client.Top);
  layout.SortGlyphPos = Point(glyph.X + client.Left, glyph.Y + client.Top);
  layout.TextRect.Offset(client.Left, client.Top);
  return layout;
}

// --- Header -----------------------------------------------------------------------------------

TNodeTreeHeader::TNodeTreeHeader(TNodeTree* tree)
    : tree_(tree), columns_(std::make_unique<TNodeTreeColumns>(this)) {}

TNodeTreeHeader::~TNodeTreeHeader() {
  destroying_ = true;
  // The columns go while the collection can still be reached through the header.
  columns_->ClearColumns();
}

void TNodeTreeHeader::SetOptions(TVTHeaderOptions value) {
  if (value == options_) return;
  const TVTHeaderOptions changed = value ^ options_;
  options_ = value;
  if (tree_ == nullptr) return;
  if ((changed & hoVisible) != 0) {
    if ((value & hoVisible) == 0) CancelDrag();
    tree_->UpdateHeaderBand();
  }
  InvalidateHeader();
}

void TNodeTreeHeader::SetHeight(int32_t value) {
  value = std::max(value, 0);
  if (value == height_) return;
  height_ = value;
  if (tree_ != nullptr) tree_->UpdateHeaderBand();
}

void TNodeTreeHeader::SetAutoSizeIndex(int32_t value) {
  autoSizeIndex_ = value;
  if ((options_ & hoAutoResize) != 0) columns_->AdjustAutoSize(InvalidColumn);
}

int32_t TNodeTreeHeader::MainColumn() const {
  if (columns_->Count() == 0) return NoColumn;
  return mainColumn_ < 0 || mainColumn_ >= columns_->Count() ? 0 : mainColumn_;
}

void TNodeTreeHeader::SetMainColumn(int32_t value) {
  if (columns_->Count() == 0) return;
  mainColumn_ = std::clamp(value, 0, columns_->Count() - 1);
  if (tree_ != nullptr) tree_->Invalidate();
}

std::u16string ShortenString(TCanvas& canvas, const std::u16string& text, int32_t width,
                             int32_t ellipsisWidth) {
  if (text.empty() || width <= 0) return std::u16string();
  if (ellipsisWidth == 0) ellipsisWidth = canvas.TextExtentW(u"...").cx;
  if (width <= ellipsisWidth) return std::u16string();
  // Longest prefix whose width plus the ellipsis fits.
  size_t low = 0;
  size_t high = text.size();
  while (low < high) {
    const size_t middle = (low + high + 1) / 2;
    if (canvas.TextExtentW(std::u16string_view(text).substr(0, middle)).cx + ellipsisWidth <= width)
      low = middle;
    else
      high = middle - 1;
  }
  return text.substr(0, low) + u"...";
}

// --- Header mouse input and column dragging ----------------------------------------------------

namespace {
// How far the pointer moves with the button down before a press becomes a column drag.
constexpr int32_t kDragThreshold = 4;
}  // namespace

TPoint TNodeTreeHeader::HeaderPoint(LPARAM lparam) const {
  const TPoint p = LParamToPoint(lparam);
  const int32_t border = tree_ != nullptr ? tree_->BorderWidth() : 0;
  return TPoint{p.X - border, p.Y - border};
}

bool TNodeTreeHeader::HandleMessage(TMessage& message) {
  if ((options_ & hoVisible) == 0) return false;
  switch (message.Msg) {
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      MouseDown(HeaderPoint(message.LParam));
      return true;
    case WM_NCMOUSEMOVE:
      MouseMove(HeaderPoint(message.LParam));
      return true;
    case WM_NCLBUTTONUP:
      MouseUp(HeaderPoint(message.LParam));
      return true;
    case WM_NCMOUSELEAVE:
      SetHoverIndex(-1);
      return true;
    default:
      return false;
  }
}

void TNodeTreeHeader::MouseDown(TPoint p) {
  CancelDrag();
  if (p.Y < 0 || p.Y >= height_) return;
  const int32_t index = columns_->ColumnFromPosition(p, true);
  const TNodeTreeColumn* column = columns_->Column(index);
  if (column == nullptr || (column->Options() & coEnabled) == 0) return;
  if ((column->Options() & (coAllowClick | coDraggable)) == 0) return;
  if ((column->Options() & coAllowClick) != 0) columns_->DownIndex = index;
  dragState_ = DragState::Pending;
  dragIndex_ = index;
  dragStart_ = p;
  InvalidateHeader();
}

void TNodeTreeHeader::MouseMove(TPoint p) {
  if (dragState_ == DragState::None) {
    const bool inside = p.Y >= 0 && p.Y < height_;
    SetHoverIndex(inside ? std::max(columns_->ColumnFromPosition(p, true), int32_t{-1}) : -1);
    return;
  }
  if (dragState_ == DragState::Pending) {
    const TNodeTreeColumn* column = columns_->Column(dragIndex_);
    if (column == nullptr || (column->Options() & coDraggable) == 0) return;
    if (std::abs(p.X - dragStart_.X) <= kDragThreshold && std::abs(p.Y - dragStart_.Y) <= kDragThreshold)
      return;
    bool allowed = true;
    if (tree_ != nullptr && tree_->OnHeaderDragging) tree_->OnHeaderDragging(tree_, dragIndex_, allowed);
    if (!allowed) {
      CancelDrag();
      return;
    }
    dragState_ = DragState::Dragging;
    columns_->DownIndex = -1;
    InvalidateHeader();
  }
  TrackDropTarget(p);
}

void TNodeTreeHeader::MouseUp(TPoint p) {
  const DragState state = dragState_;
  const int32_t index = dragIndex_;
  const int32_t down = columns_->DownIndex;
  const int32_t position = DropPosition();
  CancelDrag();
  TNodeTreeColumn* column = columns_->Column(index);
  if (column == nullptr || tree_ == nullptr) return;
  if (state == DragState::Dragging) {
    const int32_t oldPosition = column->Position();
    if (position < 0 || position == oldPosition) return;
    column->SetPosition(position);
    if (tree_->OnHeaderDragged) tree_->OnHeaderDragged(tree_, index, oldPosition);
    return;
  }
  if (down >= 0 && down == index && p.Y >= 0 && p.Y < height_ &&
      columns_->ColumnFromPosition(p, true) == down) {
    columns_->ClickIndex = down;
    if (tree_->OnHeaderClick) tree_->OnHeaderClick(tree_, down);
  }
}

void TNodeTreeHeader::TrackDropTarget(TPoint p) {
  int32_t target = -1;
  bool before = true;
  const int32_t first = columns_->GetFirstVisibleColumn();
  const int32_t last = columns_->GetLastVisibleColumn();
  const int32_t x = p.X - (tree_ != nullptr ? tree_->OffsetX() : 0);
  if (first >= 0) {
    const TNodeTreeColumn* head = columns_->Column(first);
    const TNodeTreeColumn* tail = columns_->Column(last);
    if (x < head->Left()) {
      target = first;
    } else if (x >= tail->Left() + tail->Width()) {
      target = last;
      before = false;
    } else {
      target = columns_->ColumnFromPosition(TPoint{x, 0}, false);
      if (const TNodeTreeColumn* column = columns_->Column(target))
        before = x < column->Left() + column->Width() / 2;
    }
  }
  const int32_t oldTarget = dropTarget_;
  const bool oldBefore = dropBefore_;
  dropTarget_ = target;
  dropBefore_ = before;
  // A drop that would leave the column where it is shows no mark.
  const TNodeTreeColumn* dragged = columns_->Column(dragIndex_);
  if (dragged == nullptr || DropPosition() == dragged->Position()) dropTarget_ = -1;
  if (dropTarget_ != oldTarget || (dropTarget_ >= 0 && dropBefore_ != oldBefore)) InvalidateHeader();
}

int32_t TNodeTreeHeader::DropPosition() const {
  const TNodeTreeColumn* target = columns_->Column(dropTarget_);
  const TNodeTreeColumn* dragged = columns_->Column(dragIndex_);
  if (target == nullptr || dragged == nullptr) return -1;
  const int32_t to = target->Position();
  const int32_t from = dragged->Position();
  if (to == from) return from;
  // The dragged column leaves its place first, so the columns after it move one place left.
  if (dropBefore_) return to < from ? to : to - 1;
  return to < from ? to + 1 : to;
}

TVTDropMarkMode TNodeTreeHeader::DropMarkOf(int32_t index) const {
  if (!Dragging() || index < 0 || index != dropTarget_) return dmmNone;
  const TNodeTreeColumn* column = columns_->Column(index);
  if (column == nullptr || (column->Options() & coShowDropMark) == 0) return dmmNone;
  return dropBefore_ ? dmmLeft : dmmRight;
}

void TNodeTreeHeader::CancelDrag() {
  const bool any = dragState_ != DragState::None || columns_->DownIndex >= 0;
  dragState_ = DragState::None;
  dragIndex_ = -1;
  dropTarget_ = -1;
  columns_->DownIndex = -1;
  if (any) InvalidateHeader();
}

void TNodeTreeHeader::SetHoverIndex(int32_t index) {
  if (index == columns_->HoverIndex) return;
  columns_->HoverIndex = index;
  if ((options_ & hoHotTrack) != 0) InvalidateHeader();
}

void TNodeTreeHeader::InvalidateHeader() {
  if (tree_ != nullptr && !destroying_) tree_->InvalidateNonClient();
}
