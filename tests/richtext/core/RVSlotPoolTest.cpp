// The slot pool behind drawn pieces: slots never overlap, freed slots are reused before a new
// slab is taken, and a slab goes back to the heap once its last slot is freed, in whatever
// order the slots come back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "richtext/core/DLines.h"
#include "richtext/core/RVSlotPool.h"

namespace {

constexpr size_t kSlotSize = 40;

/// Allocates slots until `slabs` slabs are full, each slot filled with its own number.
std::vector<void*> FillSlabs(TRVSlotPool& pool, size_t slabs) {
  std::vector<void*> slots;
  while (pool.SlabCount() <= slabs) {
    void* slot = pool.Allocate();
    if (pool.SlabCount() > slabs) {
      pool.Free(slot);
      break;
    }
    const size_t n = slots.size();
    std::memset(slot, static_cast<int>(n & 0xFF), kSlotSize);
    slots.push_back(slot);
  }
  return slots;
}

struct TFreeOrder {
  std::string Name;
  void (*Arrange)(std::vector<size_t>& order);
};
void PrintTo(const TFreeOrder& order, std::ostream* os) {
  *os << order.Name;
}

class SlotPoolFreeOrderTest : public testing::TestWithParam<TFreeOrder> {};

TEST_P(SlotPoolFreeOrderTest, SlotsKeepTheirBytesAndEverySlabIsReturned) {
  TRVSlotPool pool(kSlotSize);
  const std::vector<void*> slots = FillSlabs(pool, 3);
  ASSERT_EQ(pool.SlabCount(), 3u);
  ASSERT_EQ(pool.LiveSlots(), slots.size());
  for (size_t i = 0; i < slots.size(); ++i) {
    const auto* bytes = static_cast<const unsigned char*>(slots[i]);
    ASSERT_TRUE(std::all_of(bytes, bytes + kSlotSize, [&](unsigned char b) { return b == (i & 0xFF); }))
        << "slot " << i << " was overwritten";
  }
  std::vector<size_t> order(slots.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  GetParam().Arrange(order);
  // All but the last slot: the slab holding it must stay.
  for (size_t i = 0; i + 1 < order.size(); ++i) pool.Free(slots[order[i]]);
  EXPECT_EQ(pool.LiveSlots(), 1u);
  EXPECT_EQ(pool.SlabCount(), 1u);
  pool.Free(slots[order.back()]);
  EXPECT_EQ(pool.LiveSlots(), 0u);
  EXPECT_EQ(pool.SlabCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, SlotPoolFreeOrderTest,
    testing::Values(TFreeOrder{"Forward", [](std::vector<size_t>&) {}},
                    TFreeOrder{"Backward", [](std::vector<size_t>& o) { std::reverse(o.begin(), o.end()); }},
                    TFreeOrder{"EvenThenOdd",
                               [](std::vector<size_t>& o) {
                                 std::stable_partition(o.begin(), o.end(),
                                                       [](size_t i) { return i % 2 == 0; });
                               }},
                    TFreeOrder{"MiddleSlabLast",
                               [](std::vector<size_t>& o) {
                                 std::rotate(o.begin(), o.begin() + static_cast<std::ptrdiff_t>(o.size() / 2),
                                             o.end());
                               }}),
    [](const testing::TestParamInfo<TFreeOrder>& info) { return info.param.Name; });

TEST(SlotPoolTest, AFreedSlotOfAFullSlabIsReusedBeforeANewSlab) {
  TRVSlotPool pool(kSlotSize);
  const std::vector<void*> slots = FillSlabs(pool, 2);
  pool.Free(slots[5]);
  EXPECT_EQ(pool.Allocate(), slots[5]);
  EXPECT_EQ(pool.SlabCount(), 2u);
  for (void* slot : slots) pool.Free(slot);
  EXPECT_EQ(pool.SlabCount(), 0u);
}

// The pool must not hide a use after free from the address sanitizer.
TEST(SlotPoolTest, AFreedSlotIsStillReportedWhenUsed) {
#if defined(__SANITIZE_ADDRESS__)
  TRVSlotPool pool(kSlotSize);
  void* kept = pool.Allocate();
  auto* freed = static_cast<volatile char*>(pool.Allocate());
  pool.Free(const_cast<char*>(freed));
  EXPECT_DEATH(freed[8] = 1, "use-after-poison");
  pool.Free(kept);
#else
  GTEST_SKIP() << "only the address sanitizer sees freed slots";
#endif
}

// A descendant larger than a plain piece takes a heap block of its own; freeing it through
// the base class must hand it back to the heap, not to the pool.
TEST(SlotPoolTest, LargerPieceFreedThroughTheBaseGoesBackToTheHeap) {
  std::vector<std::unique_ptr<TRVDrawLineInfo>> pieces;
  for (int i = 0; i < 1000; ++i) {
    if (i % 3 == 0)
      pieces.push_back(std::make_unique<TRVMultiDrawItemInfo>());
    else
      pieces.push_back(TRVDrawLineInfo::CreateAt(i, i, 1, 1, i, false));
  }
  for (size_t i = 0; i < pieces.size(); ++i) EXPECT_EQ(pieces[i]->Left, i % 3 == 0 ? 0 : static_cast<int>(i));
  pieces.clear();
}

}  // namespace
