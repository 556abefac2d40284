// Slots never overlap, a freed slot is reused first, and a slab goes back to the heap once its
// last slot is freed, whatever the order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "richtext/core/DLines.h"
#include "richtext/core/RVSlotPool.h"

namespace {

constexpr size_t kSlotSize = 40;

TEST(SlotPoolTest, SlotsKeepTheirBytesAndEverySlabIsReturnedInAnyOrder) {
  const std::vector<std::pair<const char*, void (*)(std::vector<void*>&)>> orders = {
      {"forward", [](std::vector<void*>&) {}},
      {"backward", [](std::vector<void*>& s) { std::reverse(s.begin(), s.end()); }},
      {"middle slab last",
       [](std::vector<void*>& s) { std::rotate(s.begin(), s.begin() + std::ssize(s) / 2, s.end()); }}};
  for (const auto& [name, arrange] : orders) {
    SCOPED_TRACE(name);
    TRVSlotPool pool(kSlotSize);
    std::vector<void*> slots;
    while (pool.SlabCount() < 3 || slots.size() % 16 != 0) {
      slots.push_back(pool.Allocate());
      std::memset(slots.back(), static_cast<int>(slots.size() & 0xFF), kSlotSize);
    }
    for (size_t i = 0; i < slots.size(); ++i) {
      const auto* bytes = static_cast<const unsigned char*>(slots[i]);
      ASSERT_EQ(std::count(bytes, bytes + kSlotSize, (i + 1) & 0xFF), kSlotSize) << "slot " << i;
    }
    pool.Free(slots[5]);
    EXPECT_EQ(pool.Allocate(), slots[5]);
    arrange(slots);
    for (size_t i = 0; i + 1 < slots.size(); ++i) pool.Free(slots[i]);
    EXPECT_EQ(pool.SlabCount(), 1u);
    pool.Free(slots.back());
    EXPECT_EQ(pool.SlabCount(), 0u);
  }
}

// Only the address sanitizer sees freed slots: the case exists in its builds alone.
#if defined(__SANITIZE_ADDRESS__)
TEST(SlotPoolUseTest, AFreedSlotIsStillReportedWhenUsed) {
  TRVSlotPool pool(kSlotSize);
  void* kept = pool.Allocate();
  auto* freed = static_cast<volatile char*>(pool.Allocate());
  pool.Free(const_cast<char*>(freed));
  EXPECT_DEATH(freed[8] = 1, "use-after-poison");
  pool.Free(kept);
}
#endif

// A larger descendant has a heap block of its own and must go back to the heap, not the pool.
TEST(SlotPoolUseTest, LargerPieceFreedThroughTheBaseGoesBackToTheHeap) {
  std::vector<std::unique_ptr<TRVDrawLineInfo>> pieces;
  for (int i = 0; i < 1000; ++i)
    pieces.push_back(i % 3 ? TRVDrawLineInfo::CreateAt(i, i, 1, 1, i, false)
                           : std::make_unique<TRVMultiDrawItemInfo>());
  for (size_t i = 0; i < pieces.size(); ++i) EXPECT_EQ(pieces[i]->Left, i % 3 ? static_cast<int>(i) : 0);
}

}  // namespace
