#include "richtext/core/DLines.h"

#include <algorithm>

#include "platform/core/Exceptions.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVSlotPool.h"
#include "richtext/core/RVUni.h"

namespace {

/// Never destroyed: a piece may be freed by another static's destructor at exit.
TRVSlotPool& PiecePool() {
  static TRVSlotPool& pool = *new TRVSlotPool(sizeof(TRVDrawLineInfo));
  return pool;
}

/// Whether an object of `size` bytes takes a slot (the delete of a piece gets the size of
/// its dynamic type, so new and delete agree).
bool InPool(size_t size) {
  return size == sizeof(TRVDrawLineInfo);
}
static_assert(alignof(TRVDrawLineInfo) <= 8, "pool slots are aligned to 8 bytes");

}  // namespace

void* TRVDrawLineInfo::operator new(size_t size) {
  return InPool(size) ? PiecePool().Allocate() : ::operator new(size);
}

void TRVDrawLineInfo::operator delete(void* piece, size_t size) noexcept {
  if (InPool(size))
    PiecePool().Free(piece);
  else
    ::operator delete(piece);
}

std::unique_ptr<TRVDrawLineInfo> TRVDrawLineInfo::CreateAt(int32_t Left, int32_t Top, int32_t Width,
                                                           int32_t Height, int32_t ItemNo, bool FromNewLine) {
  auto piece = std::make_unique<TRVDrawLineInfo>();
  piece->SetPosition(Left, Top, FromNewLine, ItemNo);
  piece->SetSize(Width, Height);
  return piece;
}

void TRVDrawLineInfo::SetPosition(int32_t ALeft, int32_t ATop, bool AFromNewLine, int32_t AItemNo) {
  Left = ALeft;
  Top = ATop;
  FromNewLine = AFromNewLine;
  ItemNo = AItemNo;
}

void TRVDrawLineInfo::SetSize(int32_t AWidth, int32_t AHeight) {
  Width = AWidth;
  Height = AHeight;
}

// ---------------------------------------------------------------------------------------

size_t TRVDrawLines::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) RaiseListIndexError(Index);
  return static_cast<size_t>(Index);
}

int TRVDrawLines::Add(std::unique_ptr<TRVDrawLineInfo> Piece) {
  items_.push_back(std::move(Piece));
  return Count() - 1;
}

void TRVDrawLines::Insert(int Index, std::unique_ptr<TRVDrawLineInfo> Piece) {
  if (Index < 0 || Index > Count()) RaiseListIndexError(Index);
  items_.insert(items_.begin() + Index, std::move(Piece));
}

void TRVDrawLines::Delete(int Index) {
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(CheckIndex(Index)));
}

void TRVDrawLines::Clear() {
  items_.clear();
  deletedFirst_ = -1;
  deletedCount_ = 0;
}

void TRVDrawLines::MarkDeleted(int First, int Last) {
  if (First > Last) return;
  CheckIndex(First);
  CheckIndex(Last);
  for (int i = First; i <= Last; ++i) items_[static_cast<size_t>(i)].reset();
  deletedFirst_ = First;
  deletedCount_ = Last - First + 1;
}

void TRVDrawLines::InsertReusing(int Index, std::unique_ptr<TRVDrawLineInfo> Piece) {
  if (deletedCount_ <= 0) {
    Insert(Index, std::move(Piece));
    return;
  }
  // The range is consumed from its front only; any other slot would overwrite a live piece
  // or leave a hole behind the range.
  if (Index != deletedFirst_) RaiseListIndexError(Index);
  items_[static_cast<size_t>(Index)] = std::move(Piece);
  ++deletedFirst_;
  --deletedCount_;
}

void TRVDrawLines::DeleteReusing(int Index) {
  if (deletedCount_ <= 0) {
    Delete(Index);
    return;
  }
  if (Index != deletedFirst_ - 1) RaiseListIndexError(Index);
  items_[CheckIndex(Index)].reset();
  --deletedFirst_;
  ++deletedCount_;
}

void TRVDrawLines::PackDeleted() {
  if (deletedCount_ <= 0) return;
  const auto first = items_.begin() + deletedFirst_;
  items_.erase(first, first + deletedCount_);
  deletedCount_ = 0;
}

std::vector<std::unique_ptr<TRVDrawLineInfo>> TRVDrawLines::DeleteRange(int First, int Last) {
  std::vector<std::unique_ptr<TRVDrawLineInfo>> removed;
  if (First > Last) return removed;
  CheckIndex(First);
  CheckIndex(Last);
  const auto first = items_.begin() + First;
  const auto last = items_.begin() + Last + 1;
  removed.reserve(static_cast<size_t>(Last - First + 1));
  std::move(first, last, std::back_inserter(removed));
  items_.erase(first, last);
  return removed;
}

std::string TRVDrawLines::GetDrawItemText(int Index, const TRVItemList& Items) const {
  const TRVDrawLineInfo* piece = GetItem(Index);
  const auto* item = Items.GetObject(piece->ItemNo);
  return RVCopyChars(Items.Get(piece->ItemNo), piece->Offs, piece->Length, item ? item->ItemOptions : 0);
}

std::string TRVDrawLines::GetDrawItemTextPart(int Index, const TRVItemList& Items, int Start,
                                              int Count) const {
  const TRVDrawLineInfo* piece = GetItem(Index);
  Count = std::min(Count, piece->Length - Start + 1);
  if (Count <= 0 || Start < 1) return {};
  const auto* item = Items.GetObject(piece->ItemNo);
  return RVCopyChars(Items.Get(piece->ItemNo), piece->Offs + Start - 1, Count, item ? item->ItemOptions : 0);
}
