#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "richtext/core/DLines.h"
#include "richtext/core/RVSlotPool.h"

namespace {

constexpr size_t kSlotSize = 40;

TEST(SlotPoolTest, SlotsKeepTheirBytesAndEverySlabIsReturnedInAnyOrder) {
  for (const int order : {0, 1, 2}) {  // forward, backward, the middle slab last
    SCOPED_TRACE(order);
    TRVSlotPool pool(kSlotSize);
    std::vector<void*> slots;
    for (int n = 1; pool.SlabCount() < 3 || slots.size() % 16 != 0; ++n)
      std::memset(slots.emplace_back(pool.Allocate()), n & 0xFF, kSlotSize);
    for (size_t i = 0; i < slots.size(); ++i)
      ASSERT_EQ(std::string(static_cast<char*>(slots[i]), kSlotSize), std::string(kSlotSize, char(i + 1)))
          << i;
    pool.Free(slots[5]);
    EXPECT_EQ(pool.Allocate(), slots[5]);
    if (order == 1) std::reverse(slots.begin(), slots.end());
    if (order == 2) std::rotate(slots.begin(), slots.begin() + std::ssize(slots) / 2, slots.end());
    for (size_t i = 0; i + 1 < slots.size(); ++i) pool.Free(slots[i]);
    EXPECT_EQ(pool.SlabCount(), 1u);
    pool.Free(slots.back());
    EXPECT_EQ(pool.SlabCount(), 0u);
  }
}

#if defined(__SANITIZE_ADDRESS__)  // only the address sanitizer sees freed slots
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
