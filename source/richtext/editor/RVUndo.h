// The editor's undo machinery: the undo list of groups (one group per user action), the
// groups of records, and every record the edit primitives (RVERVData.h) write. A record
// keeps what is needed to reverse one change; undoing it calls the inverse primitive, which
// writes its own inverse into the other list, so undo and redo are built from the same
// primitives. Records own the items, checkpoints, strings and lists that they keep until an
// undo hands them back to the document.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "richtext/core/CRVData.h"
#include "richtext/core/RVClasses.h"
#include "richtext/core/RVFuncs.h"
#include "richtext/core/RVItem.h"

class TPersistent;
class TRVEditRVData;
class TRVUndoList;

/// The kind of user action a group records (TRVUndoInfos::UndoType).
using TRVUndoType = uint8_t;
constexpr TRVUndoType rvutNone = 0;         // the list is empty
constexpr TRVUndoType rvutDelete = 1;       // deletion of the selection, deleting keys
constexpr TRVUndoType rvutInsert = 2;       // insertion of text, items, RVF, RTF, pictures
constexpr TRVUndoType rvutPara = 3;         // a paragraph style applied or converted
constexpr TRVUndoType rvutMiscTyping = 4;   // Enter, or two or more characters typed at once
constexpr TRVUndoType rvutTyping = 7;       // typing, opened by AddTyping and AddUntyping only
constexpr TRVUndoType rvutStyleNo = 9;      // a text style applied or converted
constexpr TRVUndoType rvutModifyItem = 13;  // a property of an item or a table changed

/// The kind of a record (TRVUndoInfo::Action).
using TRVUndoAction = uint8_t;
constexpr TRVUndoAction rvuaReformat = 0;         // re-format a range on undo
constexpr TRVUndoAction rvuaDeleteItem = 1;       // one item removed
constexpr TRVUndoAction rvuaDeleteItems = 2;      // a range of items removed
constexpr TRVUndoAction rvuaDeleteSubstring = 3;  // characters removed from a text
constexpr TRVUndoAction rvuaInsertItem = 4;       // one item inserted
constexpr TRVUndoAction rvuaInsertItems = 5;      // a range of items inserted
constexpr TRVUndoAction rvuaInsertSubstring = 6;  // characters inserted into a text
constexpr TRVUndoAction rvuaNewLine = 7;          // an item's paragraph start changed
constexpr TRVUndoAction rvuaBR = 8;               // an item's line-break mark changed
constexpr TRVUndoAction rvuaPara = 9;             // paragraph styles of items changed
constexpr TRVUndoAction rvuaPageBreak = 10;       // an item's page-break mark changed
constexpr TRVUndoAction rvuaTyping = 11;          // characters typed (or untyped, for redo)
constexpr TRVUndoAction rvuaTag = 12;             // an item's tag changed
constexpr TRVUndoAction rvuaStyleNo = 13;         // an item's text style changed
constexpr TRVUndoAction rvuaCheckpoint = 14;      // a checkpoint added or removed
constexpr TRVUndoAction rvuaModifyItem = 15;      // a size or property of an item changed
constexpr TRVUndoAction rvuaChangeText = 16;      // an item's whole text replaced

/// One integer property by name, as the property records keep them.
struct TRVIntProperty {
  std::string Name;
  int32_t Value = 0;
};
using TRVIntPropertyList = std::vector<TRVIntProperty>;

// ---------------------------------------------------------------------------------------
// Records

/// The base of every record. Records are made empty and filled by their creator; the list
/// that receives one sets List.
class TRVUndoInfo : public TObject {
 public:
  TRVUndoInfo() = default;
  TRVUndoInfo(const TRVUndoInfo&) = delete;
  TRVUndoInfo& operator=(const TRVUndoInfo&) = delete;
  std::string ClassName() const override { return "TRVUndoInfo"; }

  /// Asked before undoing: whether the affected item is as wide as the document's minimal
  /// width, so that removing it may narrow the document.
  virtual bool NeedsFullReformatBefore(TRVEditRVData* RVData);
  /// Asked after undoing: whether the change may have altered the document's minimal width.
  virtual bool NeedsFullReformatAfter(TRVEditRVData* RVData);
  /// Whether undoing needs any re-formatting.
  virtual bool RequiresFormat() const { return true; }
  /// Whether the outermost root document must be laid out again in full afterwards.
  virtual bool NeedsRootReformat() const { return false; }
  /// Performs the inverse change through RVData's primitives.
  virtual void Undo(TRVEditRVData* RVData);
  /// The items the record touches; leaves both unchanged by default.
  virtual void GetAffectedRange(int& First, int& Last, TRVEditRVData* RVData);
  /// By how many items undoing changes the item count.
  virtual int ItemsAdded() const { return 0; }
  /// The document data of the list that holds the record.
  TCustomRVData* GetRVData() const;

  TRVUndoAction Action = rvuaReformat;
  TRVUndoList* List = nullptr;
};

/// Makes an empty record of a property-record class (the undo records of properties are
/// created by class, and answer the class their redo record is made of).
class TRVUndoModifyItemProps;
using TRVUndoModifyItemPropsClass = std::unique_ptr<TRVUndoModifyItemProps> (*)();
template <typename T>
std::unique_ptr<TRVUndoModifyItemProps> RVUndoPropsClass() {
  return std::make_unique<T>();
}

/// Whether a change of an item's minimal width from OldWidth matters to the document's
/// minimal width (the shared after-test of the records that keep an old width).
bool WidthChangeMatters(int ItemNo, int32_t OldWidth, TRVEditRVData* RVData);

/// Frees an item that a record holds: the document hears of its destruction, string tags of
/// the item and of its checkpoint are disposed, the checkpoint and the item freed. Null
/// does nothing.
void FreeUndoItem(std::unique_ptr<TCustomRVItemInfo> Item, TCustomRVData* RVData);

class TRVUndoItemNoInfo : public TRVUndoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoItemNoInfo"; }
  void GetAffectedRange(int& First, int& Last, TRVEditRVData* RVData) override;

  int ItemNo = 0;
  int LastAffectedItemNo = -1;
};

class TRVUndoReformateRange : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoReformateRange"; }
  void Undo(TRVEditRVData* RVData) override;
  bool NeedsRootReformat() const override { return FullRootReformat; }

  bool FullRootReformat = false;
};

class TRVUndoResizeInfo : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoResizeInfo"; }
  void Undo(TRVEditRVData* RVData) override;
  bool NeedsFullReformatAfter(TRVEditRVData* RVData) override;

  int32_t OldWidth = 0;
  int32_t Width = 0;
  int32_t Height = 0;
};

class TRVUndoStringInfo : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoStringInfo"; }
  std::string S;
};

class TRVUndoChangeTextInfo : public TRVUndoStringInfo {
 public:
  std::string ClassName() const override { return "TRVUndoChangeTextInfo"; }
  void Undo(TRVEditRVData* RVData) override;
  bool NeedsFullReformatAfter(TRVEditRVData* RVData) override;

  int32_t OldWidth = 0;
};

class TRVUndoSubStringInfo : public TRVUndoStringInfo {
 public:
  std::string ClassName() const override { return "TRVUndoSubStringInfo"; }
  int Index = 0;  // 1-based character position
};

class TRVUndoDeleteSubstringInfo : public TRVUndoSubStringInfo {
 public:
  std::string ClassName() const override { return "TRVUndoDeleteSubstringInfo"; }
  void Undo(TRVEditRVData* RVData) override;
  bool NeedsFullReformatAfter(TRVEditRVData* RVData) override;

  int32_t OldWidth = 0;
};

/// Characters taken back by undoing typing, kept in the order of removal; redoing re-types
/// them one per step.
class TRVRedoTypingInfo : public TRVUndoSubStringInfo {
 public:
  std::string ClassName() const override { return "TRVRedoTypingInfo"; }
  void Undo(TRVEditRVData* RVData) override;
  bool NeedsFullReformatAfter(TRVEditRVData* RVData) override;
  /// Characters still held (bytes halved for two-byte text).
  int CharCount() const;

  int32_t OldWidth = 0;
  bool Unicode = false;
};

class TRVUndoItemInfo : public TRVUndoStringInfo {
 public:
  ~TRVUndoItemInfo() override;
  std::string ClassName() const override { return "TRVUndoItemInfo"; }

  std::unique_ptr<TCustomRVItemInfo> Item;  // S is its text
};

class TRVUndoDeleteItemInfo : public TRVUndoItemInfo {
 public:
  std::string ClassName() const override { return "TRVUndoDeleteItemInfo"; }
  void Undo(TRVEditRVData* RVData) override;
  int ItemsAdded() const override { return 1; }
  bool NeedsFullReformatAfter(TRVEditRVData* RVData) override;

  bool FullReformat = false;
};

class TRVUndoStringItemListInfo : public TRVUndoInfo {
 public:
  ~TRVUndoStringItemListInfo() override;
  std::string ClassName() const override { return "TRVUndoStringItemListInfo"; }

  TRVItemList ItemList;  // texts with their item objects
};

class TRVUndoItemRangeInfo : public TRVUndoStringItemListInfo {
 public:
  std::string ClassName() const override { return "TRVUndoItemRangeInfo"; }
  void GetAffectedRange(int& First, int& Last, TRVEditRVData* RVData) override;

  int StartItemNo = 0;
  int LastAffectedItemNo = -1;
};

/// Items removed together, held in reverse document order.
class TRVUndoDeleteItemsInfo : public TRVUndoItemRangeInfo {
 public:
  std::string ClassName() const override { return "TRVUndoDeleteItemsInfo"; }
  void Undo(TRVEditRVData* RVData) override;
  int ItemsAdded() const override;
  bool NeedsFullReformatAfter(TRVEditRVData* RVData) override;

  int EndItemNo = 0;
  bool FullReformat = false;

 private:
  int AddedCount_ = 0;  // the list's count when the record was undone
};

class TRVUndoListInfo : public TRVUndoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoListInfo"; }
  TRVIntegerList IntList;
};

/// The old paragraph styles of a range of items, one per item.
class TRVUndoParaListInfo : public TRVUndoListInfo {
 public:
  std::string ClassName() const override { return "TRVUndoParaListInfo"; }
  void Undo(TRVEditRVData* RVData) override;
  void GetAffectedRange(int& First, int& Last, TRVEditRVData* RVData) override;
  bool NeedsFullReformatAfter(TRVEditRVData* /*RVData*/) override { return FullReformat; }

  bool FullReformat = false;
  int StartItemNo = 0;
};

/// Items ItemNo..ItemNo+Count-1 that had one paragraph style.
class TRVUndoParaInfo : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoParaInfo"; }
  void Undo(TRVEditRVData* RVData) override;
  void GetAffectedRange(int& First, int& Last, TRVEditRVData* RVData) override;
  bool NeedsFullReformatAfter(TRVEditRVData* /*RVData*/) override { return FullReformat; }

  bool FullReformat = false;
  int32_t ParaNo = 0;
  int Count = 0;
};

class TRVUndoStyleNoInfo : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoStyleNoInfo"; }
  void Undo(TRVEditRVData* RVData) override;
  bool NeedsFullReformatAfter(TRVEditRVData* RVData) override;

  int32_t OldWidth = 0;
  int32_t StyleNo = 0;
};

class TRVUndoNewLineInfo : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoNewLineInfo"; }
  void Undo(TRVEditRVData* RVData) override;
  bool NeedsFullReformatAfter(TRVEditRVData* /*RVData*/) override { return FullReformat; }

  bool FullReformat = false;
  bool SameAsPrev = false;
  int32_t ParaNo = 0;
};

class TRVUndoBRInfo : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoBRInfo"; }
  void Undo(TRVEditRVData* RVData) override;

  bool BR = false;
};

class TRVUndoPageBreakInfo : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoPageBreakInfo"; }
  void Undo(TRVEditRVData* RVData) override;

  bool PageBreakBefore = false;
};

class TRVUndoExtraIntProperty : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoExtraIntProperty"; }
  void Undo(TRVEditRVData* RVData) override;
  bool NeedsFullReformatAfter(TRVEditRVData* RVData) override;

  int32_t OldWidth = 0;
  int32_t Value = 0;  // the old value
  uint8_t Prop = 0;   // the item-property code
};

class TRVUndoInsertSubstringInfo : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoInsertSubstringInfo"; }
  void Undo(TRVEditRVData* RVData) override;
  bool NeedsFullReformatAfter(TRVEditRVData* RVData) override;

  int32_t OldWidth = 0;
  int Index = 0;
  int Length = 0;
};

/// A run of typed characters; each undo takes back one character.
class TRVUndoTypingInfo : public TRVUndoInsertSubstringInfo {
 public:
  std::string ClassName() const override { return "TRVUndoTypingInfo"; }
  void Undo(TRVEditRVData* RVData) override;

  bool Unicode = false;
};

class TRVUndoInsertItemsInfo : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoInsertItemsInfo"; }
  void Undo(TRVEditRVData* RVData) override;
  bool NeedsFullReformatBefore(TRVEditRVData* RVData) override;
  bool NeedsFullReformatAfter(TRVEditRVData* /*RVData*/) override { return FullReformat; }
  int ItemsAdded() const override { return -Count; }

  bool FullReformat = false;
  int Count = 0;
};

class TRVUndoInsertItemInfo : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoInsertItemInfo"; }
  void Undo(TRVEditRVData* RVData) override;
  bool NeedsFullReformatBefore(TRVEditRVData* RVData) override;
  bool NeedsFullReformatAfter(TRVEditRVData* /*RVData*/) override { return FullReformat; }
  int ItemsAdded() const override { return -1; }

  bool FullReformat = false;
};

class TRVUndoTagInfo : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoTagInfo"; }
  void Undo(TRVEditRVData* RVData) override;
  bool RequiresFormat() const override { return false; }

  TRVTag Tag;
  bool TagsArePChars = false;
};

class TRVUndoAddCPInfo : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoAddCPInfo"; }
  void Undo(TRVEditRVData* RVData) override;
};

class TRVUndoDeleteCPInfo : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoDeleteCPInfo"; }
  void Undo(TRVEditRVData* RVData) override;

  std::unique_ptr<TRVCPInfo> Checkpoint;
  bool TagsArePChars = false;
};

/// The base of property records (items and tables). AffectWidth and AffectSize say whether
/// the change can alter the item's widths or its size.
class TRVUndoModifyItemProps : public TRVUndoItemNoInfo {
 public:
  std::string ClassName() const override { return "TRVUndoModifyItemProps"; }
  /// The class the redo record of this one is made of: its own.
  virtual TRVUndoModifyItemPropsClass GetRedoClass() const = 0;
  /// Copies what the redo record needs beyond the property (cell records: row and column).
  virtual void AssignToRedo(TRVUndoModifyItemProps* RedoInfo) { (void)RedoInfo; }
  bool RequiresFormat() const override { return AffectSize; }
  bool NeedsFullReformatBefore(TRVEditRVData* RVData) override;
  bool NeedsFullReformatAfter(TRVEditRVData* RVData) override;

  int32_t OldWidth = 0;
  bool AffectWidth = false;
  bool AffectSize = false;
};

/// Brackets a run of property records: the closing terminator is met first when a group is
/// undone from the end, and the run is measured once.
class TRVUndoModifyItemTerminator : public TRVUndoModifyItemProps {
 public:
  TRVUndoModifyItemTerminator() {
    AffectWidth = true;
    AffectSize = true;
  }
  std::string ClassName() const override { return "TRVUndoModifyItemTerminator"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override {
    return RVUndoPropsClass<TRVUndoModifyItemTerminator>;
  }
  void Undo(TRVEditRVData* RVData) override;

  bool Opening = false;
};

class TRVUndoModifyItemIntProperty : public TRVUndoModifyItemProps {
 public:
  std::string ClassName() const override { return "TRVUndoModifyItemIntProperty"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override {
    return RVUndoPropsClass<TRVUndoModifyItemIntProperty>;
  }
  void Undo(TRVEditRVData* RVData) override;
  /// The object whose property is put back: SubObject, else the item. Table records
  /// override it to find their cell.
  virtual TPersistent* GetSubObject(TRVEditRVData* RVData);

  TPersistent* SubObject = nullptr;  // null: the item itself
  std::string PropertyName;
  int32_t Value = 0;
};

class TRVUndoModifyItemIntProperties : public TRVUndoModifyItemProps {
 public:
  std::string ClassName() const override { return "TRVUndoModifyItemIntProperties"; }
  TRVUndoModifyItemPropsClass GetRedoClass() const override {
    return RVUndoPropsClass<TRVUndoModifyItemIntProperties>;
  }
  void Undo(TRVEditRVData* RVData) override;
  virtual TPersistent* GetSubObject(TRVEditRVData* RVData);

  TPersistent* SubObject = nullptr;
  TRVIntPropertyList PropList;  // names with their old values
};

/// Groups of records kept whole inside one record (the undo of a table cell's own editor).
class TRVCompositeUndo : public TRVUndoInfo {
 public:
  TRVCompositeUndo();
  ~TRVCompositeUndo() override;
  std::string ClassName() const override { return "TRVCompositeUndo"; }
  void Undo(TRVEditRVData* RVData) override;
  bool RequiresFormat() const override { return false; }
  void GetAffectedRange(int& First, int& Last, TRVEditRVData* RVData) override;

  int ItemNo = 0;
  int IsRedo = 0;  // the second integer; descendants read it as a Boolean
  std::unique_ptr<TRVUndoList> UndoList;
};

// ---------------------------------------------------------------------------------------
// Groups and lists

/// One group: the records of one user action in the order in which they were written.
class TRVUndoInfos : public TRVList<TRVUndoInfo> {
 public:
  /// Opens a group of the same type and caption in the redo list, then performs the group.
  void PerformUndo(TRVEditRVData* RVData, bool Reformat);
  /// Opens a group of the same type and caption in the undo list, then performs the group.
  void PerformRedo(TRVEditRVData* RVData, bool Reformat);
  /// Points every record at List.
  void SetList(TRVUndoList* List);
  /// True when the group holds nothing left to perform (see TRVUndoList::AfterUndoStep).
  bool IsSpent() const;

  std::string Caption;
  TRVUndoType UndoType = rvutNone;
  int CaretItemNo = 0;
  int CaretOffs = 0;

 private:
  /// Undoes the records from the last to the first, then re-formats what they touched.
  void Perform(TRVEditRVData* RVData, bool Reformat);
};

/// The undo or redo list of an editor document.
class TRVUndoList : public TRVList<TRVUndoInfos> {
 public:
  explicit TRVUndoList(TCustomRVData* ARVData) : RVData(ARVData) {}

  /// Opens a group (see the implementation for group mode and the limit). False when the
  /// list records nothing (Limit 0).
  bool BeginUndoGroup(TRVUndoType UndoType, const std::string& Caption, int CaretOffs, int CaretItemNo);
  /// Appends a record to the last group; ERVError when no group is open or the last group
  /// holds a lone typing record. Answers the record.
  TRVUndoInfo* AddInfo(std::unique_ptr<TRVUndoInfo> Info);
  /// Appends a whole group, pointing its records at this list.
  void AddInfos(std::unique_ptr<TRVUndoInfos> Group);
  /// Frees the last group when it is empty and group mode is off.
  void DeleteEmptyLastGroup();
  /// The last group's type, rvutNone when the list is empty.
  TRVUndoType CurrentUndoType() const;
  /// One typed character at (ItemNo, Offset): joins the running typing group or opens one.
  void AddTyping(int ItemNo, int Offset, bool Unicode);
  /// One character taken back by undoing typing, kept for redo.
  void AddUntyping(const std::string& Chars, int ItemNo, int Offset);
  /// Performs the last group; ERVError "Undo buffer is empty" on an empty list.
  void Undo(TRVEditRVData* RVData);
  void Redo(TRVEditRVData* RVData);
  /// Drops the last group once it has nothing left to perform; otherwise moves its caret.
  void AfterUndoStep();
  /// Sets Limit, freeing the oldest groups above it.
  void SetLimit(int Value);
  /// Frees every group.
  void ClearList() { Clear(); }

  TCustomRVData* RVData;
  int Limit = -1;  // -1 unlimited, 0 records nothing
  int GroupModeCount = 0;

 private:
  /// Performs the last group as an undo, or as a redo, then AfterUndoStep.
  void Perform(TRVEditRVData* RVData, bool AsRedo);
};
