// Fixed-size slots for small objects made by the hundred thousand. A formatted document holds
// one drawn piece per word of a justified line; from the general heap each would pay the
// allocator's per-block header and rounding (a third of its own size). The pool carves slots
// from 64 KiB slabs instead and gives a slab back to the heap as soon as its last slot is
// freed, so a closed document leaves nothing behind. Thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class TRVSlotPool {
 public:
  /// Slots of at least `slotSize` bytes, aligned to 8 bytes (the objects must not need more).
  explicit TRVSlotPool(size_t slotSize);
  TRVSlotPool(const TRVSlotPool&) = delete;
  TRVSlotPool& operator=(const TRVSlotPool&) = delete;
  ~TRVSlotPool();

  size_t SlotSize() const { return slotSize_; }
  /// A slot of SlotSize() bytes; throws std::bad_alloc when no slab can be had.
  void* Allocate();
  /// Returns a slot that Allocate of this pool handed out.
  void Free(void* slot) noexcept;

  /// Slots handed out and not yet freed; slabs held.
  size_t LiveSlots() const;
  size_t SlabCount() const;

 private:
  struct TSlab;
  TSlab* NewSlab();
  /// The slab whose slot area holds `slot`.
  TSlab* SlabOf(const void* slot) const noexcept;
  void Unlink(TSlab* slab) noexcept;
  void Release(TSlab* slab) noexcept;

  const size_t slotSize_;
  const uint32_t slotsPerSlab_;
  mutable std::mutex mutex_;
  std::vector<TSlab*> slabs_;  // every slab, by address
  TSlab* open_ = nullptr;      // slabs with a free slot, linked through Next/Prev
  size_t live_ = 0;
};
