#include <gtest/gtest.h>

#include <string>

#include "common/units/CstStringHash.h"
#include "platform/core/Strings.h"

namespace {

class CstStringHashTest : public ::testing::Test {
 protected:
  TCstStringHash table;

  void ExpectValue(const std::string& key, const std::string& value) {
    ASSERT_TRUE(table.Exists(key)) << key;
    EXPECT_EQ(table.GetValue(key), value) << key;
  }
  int IndexOfKey(const std::string& key) {
    TStringList keys;
    keys.SetCaseSensitive(true);
    table.GetKeys(keys);
    return keys.IndexOf(key);
  }
};

TEST_F(CstStringHashTest, StartsWithOneHundredTwentyEightEmptyBuckets) {
  EXPECT_EQ(table.Bits(), 7);
  EXPECT_EQ(table.BucketCount(), 128);
  EXPECT_EQ(table.Mask(), 127u);
  EXPECT_EQ(table.Count(), 0);
  EXPECT_FALSE(table.Exists("anything"));
}

TEST_F(CstStringHashTest, HashFoldsTheHighNibbleWithoutClearingIt) {
  // 0x12345670 << 4 leaves 0x2 in the high nibble, which is or-ed into bits 5..8.
  EXPECT_EQ(THash::HashOf("a"), 0x23456761u);
  EXPECT_EQ(THash::HashOf("A"), 0x23456761u);  // 0x41 | 0x20
  EXPECT_EQ(THash::HashOf("ab"), 0x34567672u);
}

TEST_F(CstStringHashTest, SettingAKeyTwiceKeepsOneEntryWithTheSecondValue) {
  table.SetValue("KEY", "first");
  table.SetValue("KEY", "second");
  EXPECT_EQ(table.Count(), 1);
  ExpectValue("KEY", "second");
}

TEST_F(CstStringHashTest, KeysDifferingOnlyInCaseAreDifferentKeysInOneBucket) {
  // "a" and "A" have the same full hash, so they share a bucket at every table size.
  table.SetValue("a", "lower");
  table.SetValue("A", "upper");
  EXPECT_EQ(table.Count(), 2);
  ExpectValue("a", "lower");
  ExpectValue("A", "upper");
}

TEST_F(CstStringHashTest, KeysWithEqualLowBitsShareABucketAndAreBothFound) {
  std::string first = "k0";
  std::string second;
  for (int i = 1; second.empty(); ++i) {
    const std::string candidate = "k" + std::to_string(i);
    if ((THash::HashOf(candidate) & 127u) == (THash::HashOf(first) & 127u) &&
        THash::HashOf(candidate) != THash::HashOf(first))
      second = candidate;
  }
  table.SetValue(first, "one");
  table.SetValue(second, "two");
  ExpectValue(first, "one");
  ExpectValue(second, "two");
}

TEST_F(CstStringHashTest, EmptyKeyIsRefusedByEveryOperation) {
  EXPECT_THROW(table.Exists(""), EHashInvalidKeyError);
  EXPECT_THROW(table.GetValue(""), EHashInvalidKeyError);
  EXPECT_THROW(table.SetValue("", "x"), EHashInvalidKeyError);
  try {
    table.SetValue("", "x");
  } catch (const EHashError& e) {
    EXPECT_EQ(e.Message(), "Key cannot be an empty string");
  }
  EXPECT_EQ(table.Count(), 0);
}

TEST_F(CstStringHashTest, MissingKeyRaisesFindErrorNamingTheKey) {
  table.SetValue("present", "x");
  try {
    table.GetValue("absent");
    FAIL() << "no exception";
  } catch (const EHashFindError& e) {
    EXPECT_EQ(e.Message(), "Key \"absent\" not found");
  }
}

TEST_F(CstStringHashTest, KeysAndValuesMayHoldAnyBytes) {
  const std::string key("a\0b", 3);
  table.SetValue(key, std::string("\xFF\0z", 3));
  EXPECT_FALSE(table.Exists("a"));
  ExpectValue(key, std::string("\xFF\0z", 3));
}

TEST_F(CstStringHashTest, GrowingKeepsEveryKeyAndTheOrderWithinABucket) {
  table.SetValue("a", "first");
  table.SetValue("A", "second");
  constexpr int kKeys = 5000;
  for (int i = 0; i < kKeys; ++i) table.SetValue("key" + std::to_string(i), std::to_string(i));
  EXPECT_GT(table.Bits(), 7);
  EXPECT_EQ(table.BucketCount(), 1 << table.Bits());
  EXPECT_EQ(table.Mask(), static_cast<uint32_t>(table.BucketCount() - 1));
  EXPECT_GE(table.BucketCount(), kKeys);
  EXPECT_EQ(table.Count(), kKeys + 2);
  for (int i = 0; i < kKeys; ++i) ASSERT_EQ(table.GetValue("key" + std::to_string(i)), std::to_string(i));
  ExpectValue("a", "first");
  ExpectValue("A", "second");
  EXPECT_LT(IndexOfKey("a"), IndexOfKey("A"));
  // Overwriting after growth still finds the old entry.
  table.SetValue("key42", "changed");
  EXPECT_EQ(table.Count(), kKeys + 2);
  ExpectValue("key42", "changed");
}

}  // namespace
