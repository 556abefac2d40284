// The node record of the tree control and the plain types its operations share: node states,
// attach modes, change reasons and the error classes. One heap block per node holds the record,
// the tree's internal bytes and the caller's node data, in that order.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/core/Exceptions.h"

/// A broken precondition of a tree operation; the message is one of the fixed texts below.
ZUK_DECLARE_EXCEPTION(EAssertionFailed, Exception)
/// A checked cast to a class the object does not belong to.
ZUK_DECLARE_EXCEPTION(EInvalidCast, Exception)
/// A tree operation that cannot be done with the tree's settings.
class ENodeTreeError : public Exception {
 public:
  ENodeTreeError(std::string message, int helpContext)
      : Exception(std::move(message)), helpContext_(helpContext) {}
  int HelpContext() const { return helpContext_; }

 private:
  int helpContext_;
};

// The precondition texts callers may rely on.
inline constexpr const char* kNodeNil = "Node must not be nil.";
inline constexpr const char* kNodeNilBang = "Node must not be nil!";
inline constexpr const char* kNodeIsRoot = "Node must not be the hidden root node.";
inline constexpr const char* kNodeNilOrRoot = "Node must neither be nil nor the root node.";
inline constexpr const char* kNodesNil = "Nodes must never be nil.";
inline constexpr const char* kBothAssigned = "Both nodes must be Assigned.";
inline constexpr const char* kInvalidParameter = "Invalid parameter.";
inline constexpr const char* kInvalidParameters = "Invalid parameters.";
inline constexpr const char* kNodeDataSizeUnset = "NodeDataSize not initialized.";
inline constexpr const char* kDeleteWhileIterating =
    "Deleting nodes during tree iteration leads to invalid pointers.";
inline constexpr const char* kTreeNil = "Tree must not be nil.";

/// Raises EAssertionFailed with `text` unless `condition` holds.
inline void TreeAssert(bool condition, const char* text) {
  if (!condition) throw EAssertionFailed(text);
}

/// Node states, one bit each.
enum TNodeState : uint16_t {
  nsInitialized = 1 << 0,
  nsDisabled = 1 << 1,
  nsDeleting = 1 << 2,
  nsExpanded = 1 << 3,
  nsHasChildren = 1 << 4,  // children may exist even before they are made
  nsVisible = 1 << 5,
  nsSelected = 1 << 6,
  nsInitialUserData = 1 << 7,  // the first four data bytes were set on insertion
  nsAllChildrenHidden = 1 << 8,
  nsClearing = 1 << 9,  // the children are being removed
  nsMultiline = 1 << 10,
  nsCutOrCopy = 1 << 11,
};

struct TNodeRecord {
  uint32_t Index;       // position among the siblings, from 0
  uint32_t ChildCount;  // children made so far
  uint16_t NodeHeight;  // height of the node's own row
  uint16_t States;      // TNodeState bits
  uint8_t Align;        // vertical position of button and lines in the row, 0..100 percent
  uint8_t CheckState;
  uint8_t CheckType;  // 0 = no check box
  uint8_t Spare;
  uint32_t TotalCount;   // this node and all its descendants
  uint32_t TotalHeight;  // own row plus the visible children's totals while expanded
  TNodeRecord* Parent;
  TNodeRecord* PrevSibling;
  TNodeRecord* NextSibling;
  TNodeRecord* FirstChild;
  TNodeRecord* LastChild;
  int32_t Width;        // the node-width hook's answer, valid while WidthStamp is the tree's
  uint32_t WidthStamp;  // 0: never measured

  // The background validation thread reads the states while the GUI thread changes other bits
  // of them (selection, initialisation): both go through atomic accesses. Only the GUI thread
  // writes, so a load and a store suffice.
  bool Has(uint16_t states) const { return (StatesNow() & states) != 0; }
  void Include(uint16_t states) { SetStates(static_cast<uint16_t>(StatesNow() | states)); }
  void Exclude(uint16_t states) { SetStates(static_cast<uint16_t>(StatesNow() & ~states)); }
  uint16_t StatesNow() const {
    return std::atomic_ref<uint16_t>(const_cast<uint16_t&>(States)).load(std::memory_order_relaxed);
  }
  void SetStates(uint16_t states) {
    std::atomic_ref<uint16_t>(States).store(states, std::memory_order_relaxed);
  }
};
using PNode = TNodeRecord*;

/// The node's own bytes start after the record, aligned for any data the caller keeps there.
inline constexpr int32_t kNodeHeaderSize = static_cast<int32_t>((sizeof(TNodeRecord) + 15) / 16 * 16);

/// Where InsertNode places the new node relative to the given one.
enum TNodeAttachMode : uint8_t {
  amNoWhere = 0,
  amInsertBefore = 1,
  amInsertAfter = 2,
  amAddChildFirst = 3,
  amAddChildLast = 4,
};

/// Why the structure changed (the structure-change hook's reason).
enum TChangeReason : uint8_t {
  crIgnore = 0,
  crAccumulated = 1,  // several changes while one was pending
  crChildAdded = 2,
  crChildDeleted = 3,
  crNodeAdded = 4,
};

/// States the init-node hook asks for.
enum TInitialState : uint8_t {
  ivsDisabled = 1 << 0,
  ivsExpanded = 1 << 1,
  ivsHasChildren = 1 << 2,
  ivsMultiline = 1 << 3,
  ivsSelected = 1 << 4,
};
