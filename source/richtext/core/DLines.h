// Drawn pieces of a formatted document: TRVDrawLineInfo is one rectangle on the document
// surface showing one item (or part of a text item's text) on one line; TRVDrawLines is the
// ordered, owning list of them that formatting fills and painting, hit testing and printing
// read. A partial reformat frees a run of pieces, refills the freed slots and closes what is
// left of the gap with a single move of the list's tail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Object.h"
#include "richtext/core/RVClasses.h"

class TRVItemList;

/// One drawn piece.
class TRVDrawLineInfo : public TObject {
 public:
  TRVDrawLineInfo() = default;
  /// A piece at a position with a size; goes through SetPosition and SetSize so that a
  /// descendant can adjust them.
  static std::unique_ptr<TRVDrawLineInfo> CreateAt(int32_t Left, int32_t Top, int32_t Width, int32_t Height,
                                                   int32_t ItemNo, bool FromNewLine);
  std::string ClassName() const override { return "TRVDrawLineInfo"; }

  /// Plain pieces (and descendants of the same size) live in a slot pool rather than each
  /// in its own heap block; larger descendants use the heap.
  static void* operator new(size_t size);
  static void operator delete(void* piece, size_t size) noexcept;

  virtual void SetPosition(int32_t ALeft, int32_t ATop, bool AFromNewLine, int32_t AItemNo);
  virtual void SetSize(int32_t AWidth, int32_t AHeight);

  // Page-splitting hooks of the printing layer; a plain piece cannot be split. Heights are
  // device pixels. InitSplit prepares one part covering the whole item (false: the item is
  // never split); CanSplitAt answers whether a first part fits into AHeight; SplitAt cuts
  // the last part so that it fits into AHeight and appends the rest as a new part.
  virtual bool InitSplit() { return false; }
  virtual bool CanSplitAt(int32_t AHeight) {
    (void)AHeight;
    return false;
  }
  virtual bool SplitAt(int32_t AHeight) {
    (void)AHeight;
    return false;
  }

  int32_t SpaceBefore = 0;  // extra width in front (justification, list-marker placement)
  int32_t Left = 0;         // left edge on the document surface
  int32_t Top = 0;          // top edge
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t ItemNo = 0;           // index of the item in the document
  int32_t Offs = 0;             // 1-based first character shown of a text item; 0 otherwise
  int32_t Length = 0;           // characters shown; 0 for non-text items
  int32_t ExtraSpaceBelow = 0;  // line-spacing extra of the piece's line
  bool FromNewLine = false;     // the piece begins a new line
};

/// One page's part of an item printed over several pages.
class TRVMultiDrawItemPart : public TObject {
 public:
  std::string ClassName() const override { return "TRVMultiDrawItemPart"; }
  /// The first picture row the part shows (screen pixels); -1 for parts that are not rows
  /// of a picture.
  virtual int32_t GetImageTop() const { return -1; }

  int32_t Height = 0;  // device pixels the part takes on its page
};

/// The drawn piece of an item that may be printed over several pages, one part a page.
class TRVMultiDrawItemInfo : public TRVDrawLineInfo {
 public:
  std::string ClassName() const override { return "TRVMultiDrawItemInfo"; }
  TRVList<TRVMultiDrawItemPart>& PartsList() { return parts_; }
  const TRVList<TRVMultiDrawItemPart>& PartsList() const { return parts_; }

 private:
  TRVList<TRVMultiDrawItemPart> parts_;
};

/// The drawn pieces of a document in document order. The list owns its pieces. Slots of a
/// pending deleted range (after MarkDeleted) hold no piece until they are reused or packed.
class TRVDrawLines {
 public:
  TRVDrawLines() = default;
  TRVDrawLines(const TRVDrawLines&) = delete;
  TRVDrawLines& operator=(const TRVDrawLines&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  /// The piece at Index (EListError outside the list; null inside a pending range).
  TRVDrawLineInfo* GetItem(int Index) const { return items_[CheckIndex(Index)].get(); }
  TRVDrawLineInfo* operator[](int Index) const { return GetItem(Index); }

  int Add(std::unique_ptr<TRVDrawLineInfo> Piece);
  /// Inserts before Index (0 .. Count).
  void Insert(int Index, std::unique_ptr<TRVDrawLineInfo> Piece);
  /// Frees the piece at Index and removes its slot.
  void Delete(int Index);
  /// Frees every piece and forgets any pending range; the list keeps its room.
  void Clear();
  /// Gives back the room the list holds beyond its pieces (a full list of a large document
  /// may hold up to half as much again).
  void ReleaseSpare() { items_.shrink_to_fit(); }

  /// Frees the pieces First..Last and records their slots as the pending range.
  void MarkDeleted(int First, int Last);
  /// With a pending range, stores Piece into its first slot (Index must be that slot) and
  /// shrinks the range from the front; without one, inserts at Index.
  void InsertReusing(int Index, std::unique_ptr<TRVDrawLineInfo> Piece);
  /// Frees the piece at Index. With a pending range (Index being the slot just before it)
  /// the range grows by that slot; without one the slot is removed.
  void DeleteReusing(int Index);
  /// Removes the slots of the pending range in one move.
  void PackDeleted();
  /// Removes the slots First..Last in one move without freeing their pieces: they are
  /// handed to the caller (null for slots of a pending range).
  [[nodiscard]] std::vector<std::unique_ptr<TRVDrawLineInfo>> DeleteRange(int First, int Last);

  /// First slot of the pending range (-1 when none was ever marked) and its slot count.
  int DeletedFirst() const { return deletedFirst_; }
  int DeletedCount() const { return deletedCount_; }

  /// The piece's text: Length characters of item ItemNo's text from Offs, counted in
  /// 2-byte characters when the item's text is UTF-16. `Items` is the document's item list
  /// (texts with their item objects).
  std::string GetDrawItemText(int Index, const TRVItemList& Items) const;
  /// Count characters from the 1-based character Start of the piece, cut at its end.
  std::string GetDrawItemTextPart(int Index, const TRVItemList& Items, int Start, int Count) const;

 private:
  size_t CheckIndex(int Index) const;

  std::vector<std::unique_ptr<TRVDrawLineInfo>> items_;
  int deletedFirst_ = -1;
  int deletedCount_ = 0;
};
