// The bases every style-sheet entry and collection share: TCustomRVInfo (a named style with
// a base style and the "standard" mark) and TCustomRVInfos (an indexed collection owned by
// the style sheet, with the merging of a collection read from a document into it).
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/Classes.h"
#include "richtext/core/RVClasses.h"

class TStrings;

/// Bidirectional mode of a text or paragraph style.
enum TRVBiDiMode : uint8_t {
  rvbdUnspecified = 0,  // follow the document
  rvbdLeftToRight = 1,
  rvbdRightToLeft = 2,
};

/// One style of a style-sheet collection.
class TCustomRVInfo : public TCollectionItem {
  ZUK_PUBLISHED(TCustomRVInfo)

 public:
  TCustomRVInfo();
  std::string ClassName() const override { return "TCustomRVInfo"; }

  /// From another TCustomRVInfo copies StyleName, BaseStyleNo and Standard; otherwise the
  /// inherited assignment (which raises the conversion error).
  void Assign(const TPersistent* source) override;
  std::string GetDisplayName() const override { return StyleName; }

  /// True when the two styles look and behave the same (names and base styles aside).
  /// Neither style is changed.
  virtual bool SameAs(const TCustomRVInfo& value, bool ignoreID) const = 0;
  /// SameAs for merging: `this` is a read style, `value` a style of the sheet, `mapping` the
  /// read-to-sheet indexes found so far. Neither style is changed.
  virtual bool SameAsWithMap(const TCustomRVInfo& value, const TRVIntegerList& mapping) const = 0;
  /// Larger when `value` is closer to this style.
  virtual int64_t SimilarityScore(const TCustomRVInfo& value) const = 0;

  /// Re-points the style's references to other styles of its collection after it was added
  /// by a merge: a reference r becomes mapping[r], or -1 when r is outside the mapping.
  virtual void RemapReferences(const TRVIntegerList& mapping);
  /// True for a list style with a numbered level (such styles are kept apart when merging).
  virtual bool HasNumberedLevel() const { return false; }

  int32_t BaseStyleNo = -1;
  std::string StyleName;
  bool Standard = true;
};

/// How TCustomRVInfos::MergeWith brings read styles into a collection.
enum TRVMergeMode : int {
  rvmmMerge = 0,   // reuse equal styles, append the others
  rvmmMap = 1,     // add nothing: map each read style to the most similar existing one
  rvmmAppend = 2,  // append every read style
};

/// A collection of styles owned by a component (the style sheet).
class TCustomRVInfos : public TOwnedCollection {
 public:
  TCustomRVInfos(TCollectionItemClass itemClass, TComponent* owner);
  std::string ClassName() const override { return "TCustomRVInfos"; }

  TComponent* Owner() const { return owner_; }
  /// The style at `index` (0..Count-1); EListError outside the range.
  TCustomRVInfo* Info(int index) const;

  /// Clears `dest` and adds every style's name in order.
  void AssignToStrings(TStrings& dest) const;

  /// Merges `styles` (a collection read from a document) into this collection and fills
  /// `mapping` with, for every read style in order, the index it now has here.
  void MergeWith(const TCustomRVInfos& styles, TRVMergeMode mode, TRVIntegerList& mapping);

 protected:
  /// The index the map mode chooses for `style`: the first most similar style here.
  virtual int FindMostSimilar(const TCustomRVInfo& style) const;
  /// What the map mode maps to when the collection is empty: 0 (a style number must not
  /// turn negative, which would make a text item another kind of item).
  virtual int MapIndexWhenEmpty() const { return 0; }
  /// The index of the most similar style among those `accept` lets through, -1 for none.
  template <typename Pred>
  int FindMostSimilarAmong(const TCustomRVInfo& style, Pred accept) const;

 private:
  TComponent* owner_;
};

template <typename Pred>
int TCustomRVInfos::FindMostSimilarAmong(const TCustomRVInfo& style, Pred accept) const {
  int best = -1;
  int64_t bestScore = 0;
  for (int j = 0; j < Count(); ++j) {
    const TCustomRVInfo& candidate = *Info(j);
    if (!accept(candidate)) continue;
    const int64_t score = style.SimilarityScore(candidate);
    if (best < 0 || score > bestScore) {
      best = j;
      bestScore = score;
    }
  }
  return best;
}
