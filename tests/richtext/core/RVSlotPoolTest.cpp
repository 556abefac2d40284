// The slot pool behind drawn pieces: slots never overlap, a freed slot is reused before a new
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

struct TFreeOrder {
  std::string Name;
  void (*Arrange)(std::vector<void*>& slots);
};
void PrintTo(const TFreeOrder& order, std::ostream* os) {
  *os << order.Name;
}

class SlotPoolTest : public testing::TestWithParam<TFreeOrder> {};

TEST_P(SlotPoolTest, SlotsKeepTheirBytesAndEverySlabIsReturned) {
  TRVSlotPool pool(kSlotSize);
  std::vector<void*> slots;
  // Two full slabs and a third partly used.
  while (pool.SlabCount() < 3 || slots.size() % 16 != 0) {
    slots.push_back(pool.Allocate());
    std::memset(slots.back(), static_cast<int>(slots.size() & 0xFF), kSlotSize);
  }
  for (size_t i = 0; i < slots.size(); ++i) {
    const auto* bytes = static_cast<const unsigned char*>(slots[i]);
    ASSERT_EQ(std::count(bytes, bytes + kSlotSize, (i + 1) & 0xFF), kSlotSize) << "slot " << i;
  }
  pool.Free(slots[5]);
  EXPECT_EQ(pool.Allocate(), slots[5]) << "a freed slot is taken before the tail of a new slab";
  const size_t slabs = pool.SlabCount();
  GetParam().Arrange(slots);
  for (size_t i = 0; i + 1 < slots.size(); ++i) pool.Free(slots[i]);
  EXPECT_EQ(pool.LiveSlots(), 1u);
  EXPECT_EQ(pool.SlabCount(), 1u) << "of " << slabs;
  pool.Free(slots.back());
  EXPECT_EQ(pool.SlabCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, SlotPoolTest,
    testing::Values(TFreeOrder{"Forward", [](std::vector<void*>&) {}},
                    TFreeOrder{"Backward", [](std::vector<void*>& s) { std::reverse(s.begin(), s.end()); }},
                    TFreeOrder{"Interleaved",
                               [](std::vector<void*>& s) {
                                 std::vector<void*> even, odd;
                                 for (size_t i = 0; i < s.size(); ++i) (i % 2 ? odd : even).push_back(s[i]);
                                 even.insert(even.end(), odd.begin(), odd.end());
                                 s = even;
                               }},
                    TFreeOrder{"MiddleSlabLast",
                               [](std::vector<void*>& s) {
                                 std::rotate(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(s.size() / 2),
                                             s.end());
                               }}),
    [](const testing::TestParamInfo<TFreeOrder>& info) { return info.param.Name; });

// The pool must not hide a use after free from the address sanitizer.
TEST(SlotPoolUseTest, AFreedSlotIsStillReportedWhenUsed) {
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
TEST(SlotPoolUseTest, LargerPieceFreedThroughTheBaseGoesBackToTheHeap) {
  std::vector<std::unique_ptr<TRVDrawLineInfo>> pieces;
  for (int i = 0; i < 1000; ++i)
    pieces.push_back(i % 3 ? TRVDrawLineInfo::CreateAt(i, i, 1, 1, i, false)
                           : std::make_unique<TRVMultiDrawItemInfo>());
  for (size_t i = 0; i < pieces.size(); ++i) EXPECT_EQ(pieces[i]->Left, i % 3 ? static_cast<int>(i) : 0);
}

}  // namespace
