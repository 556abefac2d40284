#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "richtext/core/RVClasses.h"
#include "richtext/core/RVMapWht.h"

namespace {

/// An object that records its destruction in a shared log.
class Tracked : public TObject {
 public:
  Tracked(int id, std::vector<int>& log) : id_(id), log_(log) {}
  ~Tracked() override { log_.push_back(id_); }

 private:
  int id_;
  std::vector<int>& log_;
};

class RVListTest : public ::testing::Test {
 protected:
  void Fill(TRVList<Tracked>& list, int count) {
    for (int i = 0; i < count; ++i) list.Add(std::make_unique<Tracked>(i, freed_));
  }
  std::vector<int> freed_;
};

TEST_F(RVListTest, FreeAndDeleteFreesExactlyOneObject) {
  TRVList<Tracked> list;
  Fill(list, 3);
  list.FreeAndDelete(1);
  EXPECT_EQ(freed_, std::vector<int>{1});
  EXPECT_EQ(list.Count(), 2);
}

TEST_F(RVListTest, DeleteWithoutFreeHandsTheObjectOver) {
  TRVList<Tracked> list;
  Fill(list, 3);
  std::unique_ptr<Tracked> taken = list.DeleteWithoutFree(0);
  EXPECT_TRUE(freed_.empty());
  EXPECT_EQ(list.Count(), 2);
  taken.reset();
  EXPECT_EQ(freed_, std::vector<int>{0});
}

TEST_F(RVListTest, ClearAndDestructionFreeFromTheFirstItemUp) {
  {
    TRVList<Tracked> list;
    Fill(list, 3);
    list.Add(nullptr);  // freeing nothing is allowed
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(freed_, (std::vector<int>{0, 1, 2}));
    Fill(list, 2);
  }
  EXPECT_EQ(freed_, (std::vector<int>{0, 1, 2, 0, 1}));
}

TEST_F(RVListTest, BadIndexesRaiseListErrors) {
  TRVList<Tracked> list;
  Fill(list, 1);
  EXPECT_THROW(list.FreeAndDelete(1), EListError);
  EXPECT_THROW((void)list.DeleteWithoutFree(-1), EListError);
  EXPECT_THROW(list.Insert(2, nullptr), EListError);
  EXPECT_THROW(list.Get(1), EListError);
  EXPECT_TRUE(freed_.empty());
}

TEST(RVIntegerListTest, ConstructionAndCopying) {
  TRVIntegerList filled = TRVIntegerList::CreateFilled(3, 7);
  EXPECT_EQ(std::vector<int32_t>(filled.begin(), filled.end()), (std::vector<int32_t>{7, 7, 7}));
  filled.SetValue(1, 5);
  TRVIntegerList copy = TRVIntegerList::CreateFrom(filled);
  filled.SetValue(0, 1);
  EXPECT_EQ(std::vector<int32_t>(copy.begin(), copy.end()), (std::vector<int32_t>{7, 5, 7}));
  copy.FillWith(-1, 2);
  EXPECT_EQ(std::vector<int32_t>(copy.begin(), copy.end()), (std::vector<int32_t>{-1, -1}));
  copy.CopyFrom(copy);  // copying a list onto itself keeps it
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_THROW(copy.FillWith(0, -1), EListError);
}

TEST(RVIntegerListTest, InsertGetAndSetAreIndexChecked) {
  TRVIntegerList list;
  list.AddValue(10);
  list.InsertValue(1, 30);  // at Count: appends
  list.InsertValue(1, 20);
  EXPECT_EQ(std::vector<int32_t>(list.begin(), list.end()), (std::vector<int32_t>{10, 20, 30}));
  EXPECT_THROW(list.InsertValue(4, 0), EListError);
  EXPECT_THROW(list.InsertValue(-1, 0), EListError);
  EXPECT_THROW(list.GetValue(3), EListError);
  EXPECT_THROW(list.SetValue(-1, 0), EListError);
  list.Delete(0);
  EXPECT_EQ(list.GetValue(0), 20);
}

TEST(RVIntegerListTest, AddIfAbsentReturnsTheFirstEqualIndex) {
  TRVIntegerList list;
  EXPECT_EQ(list.AddIfAbsent(4), 0);
  EXPECT_EQ(list.AddIfAbsent(9), 1);
  EXPECT_EQ(list.AddIfAbsent(4), 0);
  EXPECT_EQ(list.Count(), 2);
}

TEST(RVIntegerListTest, SortAscendingHandlesTheWholeRange) {
  // A comparison by subtraction would overflow on these.
  TRVIntegerList list;
  for (int32_t v : {INT_MAX, -5, INT_MIN, 0, 3, INT_MIN + 1}) list.AddValue(v);
  list.SortAscending();
  EXPECT_EQ(std::vector<int32_t>(list.begin(), list.end()),
            (std::vector<int32_t>{INT_MIN, INT_MIN + 1, -5, 0, 3, INT_MAX}));
}

TEST(RVColorListTest, KeepsEachColourOnceAndNeverNone) {
  TRVColorList colors;
  colors.AddColorIfAbsent(clNone);
  EXPECT_EQ(colors.Count(), 0);
  colors.AddColorIfAbsent(clRed);
  colors.AddColorIfAbsent(clRed);
  colors.AddColorIfAbsent(clWindow);
  EXPECT_EQ(std::vector<int32_t>(colors.begin(), colors.end()), (std::vector<int32_t>{clRed, clWindow}));
}

TEST(RVMapWhtTest, IntegerSimilarity) {
  const struct {
    int32_t a, b, weight;
    int64_t expected;
  } cases[] = {
      {10, 10, 1000, 1000},
      {10, 5, 1000, 500},
      {10, 30, 1000, -1000},
      {0, 0, 7, 7},
      {0, 2, 7, -7},
      {0, -1, 7, 0},
      {-10, -5, 1000, 500},
      {8, 9, 1, 1},  // 0.875 rounds to 1
      {4, 5, 2, 2},  // 1.5 rounds half to even: 2
      {4, 7, 2, 0},  // 0.5 rounds half to even: 0
      {INT_MIN, INT_MAX, 10000, -10000},
      {1, INT_MAX, 10000, -21474836450000LL},
      {0, INT_MIN, 10000, -21474836470000LL},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RVIntegerSimilarity(c.a, c.b, c.weight), c.expected) << c.a << " " << c.b << " " << c.weight;
}

TEST(RVMapWhtTest, ColorSimilarity) {
  EXPECT_EQ(RVColorSimilarity(clNone, clNone, 3333, 3000), 12999);
  EXPECT_EQ(RVColorSimilarity(clNone, clBlack, 3333, 3000), 0);
  EXPECT_EQ(RVColorSimilarity(clBlack, clNone, 3333, 3000), 0);
  EXPECT_EQ(RVColorSimilarity(clBlack, clWhite, 3333, 3000), -3 * 3333);
  EXPECT_EQ(RVColorSimilarity(clRed, clRed, 3333, 3000), 3000);
  // Both dark: the bonus stays; each channel difference is truncated on its own.
  EXPECT_EQ(RVColorSimilarity(0x000000, 0x404040, 100, 7), 7 - 3 * (64 * 100 / 255));
  // One channel above 64 makes a colour light.
  EXPECT_EQ(RVColorSimilarity(0x000041, 0x000000, 255, 9), -65);
  // System colours are compared by their RGB values.
  EXPECT_EQ(RVColorSimilarity(clWindow, clWhite, 10000, 50000), 50000);
  EXPECT_EQ(RVColorSimilarity(clWindowText, clBlack, 10000, 50000), 50000);
}

}  // namespace
