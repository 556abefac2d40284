#include "richtext/core/RVSlotPool.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <new>

#include "platform/core/MemoryReserve.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
// Free slots stay poisoned so that a piece used after it was freed is still caught.
#define RV_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define RV_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define RV_POISON(p, n) ((void)(p), (void)(n))
#define RV_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

constexpr size_t kSlabBytes = 64 * 1024;
constexpr size_t kSlotAlign = 8;

}  // namespace

/// A slab's header sits in front of its slots. Slots are handed out first from the free
/// list and then from the never-used tail (`Fresh` slots have been used so far).
struct TRVSlotPool::TSlab {
  TSlab* Next = nullptr;
  TSlab* Prev = nullptr;
  void* FreeList = nullptr;
  uint32_t Live = 0;
  uint32_t Fresh = 0;

  static constexpr size_t kHeader = (sizeof(TSlab*) * 3 + 8 + kSlotAlign - 1) / kSlotAlign * kSlotAlign;
  char* Slots() { return reinterpret_cast<char*>(this) + kHeader; }
};

TRVSlotPool::TRVSlotPool(size_t slotSize)
    : slotSize_((std::max(slotSize, sizeof(void*)) + kSlotAlign - 1) / kSlotAlign * kSlotAlign),
      slotsPerSlab_(static_cast<uint32_t>((kSlabBytes - TSlab::kHeader) / slotSize_)) {}

TRVSlotPool::~TRVSlotPool() {
  for (TSlab* slab : slabs_) {
    RV_UNPOISON(slab, kSlabBytes);
    slab->~TSlab();
    std::free(slab);
  }
}

TRVSlotPool::TSlab* TRVSlotPool::NewSlab() {
  void* memory = std::malloc(kSlabBytes);
  if (!memory) RaiseOutOfMemory();
  const auto at = std::upper_bound(slabs_.begin(), slabs_.end(), memory, std::less<>());
  try {
    slabs_.insert(at, static_cast<TSlab*>(memory));
  } catch (...) {
    std::free(memory);
    throw;
  }
  auto* slab = new (memory) TSlab();
  RV_POISON(slab->Slots(), kSlabBytes - TSlab::kHeader);
  return slab;
}

void* TRVSlotPool::Allocate() {
  const std::lock_guard lock(mutex_);
  if (!open_) {
    open_ = NewSlab();
  }
  TSlab* slab = open_;
  void* slot;
  if (slab->FreeList) {
    slot = slab->FreeList;
    RV_UNPOISON(slot, slotSize_);
    slab->FreeList = *static_cast<void**>(slot);
  } else {
    slot = slab->Slots() + static_cast<size_t>(slab->Fresh) * slotSize_;
    RV_UNPOISON(slot, slotSize_);
    ++slab->Fresh;
  }
  ++slab->Live;
  ++live_;
  if (slab->Live == slotsPerSlab_) Unlink(slab);
  return slot;
}

void TRVSlotPool::Free(void* slot) noexcept {
  if (!slot) return;
  const std::lock_guard lock(mutex_);
  TSlab* slab = SlabOf(slot);
  const bool wasFull = slab->Live == slotsPerSlab_;
  *static_cast<void**>(slot) = slab->FreeList;
  slab->FreeList = slot;
  RV_POISON(slot, slotSize_);
  --slab->Live;
  --live_;
  if (slab->Live == 0) {
    if (!wasFull) Unlink(slab);
    Release(slab);
    return;
  }
  if (wasFull) {
    slab->Next = open_;
    slab->Prev = nullptr;
    if (open_) open_->Prev = slab;
    open_ = slab;
  }
}

TRVSlotPool::TSlab* TRVSlotPool::SlabOf(const void* slot) const noexcept {
  // The last slab starting at or before the slot.
  const auto after = std::upper_bound(slabs_.begin(), slabs_.end(), slot, std::less<>());
  return *(after - 1);
}

void TRVSlotPool::Unlink(TSlab* slab) noexcept {
  if (slab->Prev) slab->Prev->Next = slab->Next;
  if (slab->Next) slab->Next->Prev = slab->Prev;
  if (open_ == slab) open_ = slab->Next;
  slab->Next = slab->Prev = nullptr;
}

void TRVSlotPool::Release(TSlab* slab) noexcept {
  const auto at = std::lower_bound(slabs_.begin(), slabs_.end(), slab, std::less<>());
  slabs_.erase(at);
  RV_UNPOISON(slab, kSlabBytes);
  slab->~TSlab();
  std::free(slab);
}

size_t TRVSlotPool::LiveSlots() const {
  const std::lock_guard lock(mutex_);
  return live_;
}

size_t TRVSlotPool::SlabCount() const {
  const std::lock_guard lock(mutex_);
  return slabs_.size();
}
