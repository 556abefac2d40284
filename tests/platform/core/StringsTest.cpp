#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Lists.h"
#include "platform/core/Strings.h"

TEST(StringListTest, SplitsTextOnEveryKindOfLineBreak) {
  TStringList list;
  list.SetText("a\r\nb\rc\nd\n\ne");
  ASSERT_EQ(list.Count(), 6);
  EXPECT_EQ(list[0], "a");
  EXPECT_EQ(list[1], "b");
  EXPECT_EQ(list[2], "c");
  EXPECT_EQ(list[3], "d");
  EXPECT_EQ(list[4], "");
  EXPECT_EQ(list[5], "e");
  EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
  list.SetText("only\r\n");
  EXPECT_EQ(list.Count(), 1);
  list.SetText("");
  EXPECT_EQ(list.Count(), 0);
}

TEST(StringListTest, KeepsAnObjectPerLine) {
  TStringList list;
  TObject a, b;
  list.AddObject("one", &a);
  list.AddObject("two", &b);
  list.Insert(0, "zero");
  EXPECT_EQ(list.GetObject(0), nullptr);
  EXPECT_EQ(list.GetObject(2), &b);
  EXPECT_EQ(list.IndexOfObject(&a), 1);
  list.Delete(1);
  EXPECT_EQ(list.IndexOfObject(&a), -1);
  EXPECT_THROW(list.Get(5), EStringListError);
  EXPECT_THROW(list.Insert(-1, "x"), EStringListError);
}

TEST(StringListTest, SortedListFindsAndHandlesDuplicates) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"pear", "Apple", "fig", "apple"}) list.Add(s);
  EXPECT_EQ(list.Count(), 3);  // "apple" equals "Apple" without case sensitivity
  EXPECT_EQ(list[0], "Apple");
  int index = -1;
  EXPECT_TRUE(list.Find("FIG", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(list.Find("grape", index));
  EXPECT_EQ(index, 2);
  list.SetDuplicates(dupError);
  EXPECT_THROW(list.Add("pear"), EStringListError);
  EXPECT_THROW(list.Insert(0, "x"), EStringListError);
}

TEST(StringListTest, NameValuePairs) {
  TStringList list;
  list.SetText("Key=Value\nOther=a=b\nplain");
  EXPECT_EQ(list.Values("key"), "Value");
  EXPECT_EQ(list.Values("Other"), "a=b");
  EXPECT_EQ(list.Values("plain"), "");
  EXPECT_EQ(list.Names(1), "Other");
}

struct Counted {
  explicit Counted(int* alive) : alive_(alive) { ++*alive_; }
  ~Counted() { --*alive_; }
  int* alive_;
};

TEST(ObjectListTest, OwnsItsItemsAndHandsExtractedOnesBack) {
  int alive = 0;
  {
    TObjectList<Counted> list;
    for (int i = 0; i < 4; ++i) list.Add(std::make_unique<Counted>(&alive));
    EXPECT_EQ(alive, 4);
    list.Delete(0);
    EXPECT_EQ(alive, 3);
    std::unique_ptr<Counted> kept = list.Extract(0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(alive, 3);
    EXPECT_THROW(list.Get(2), EListError);
    list.Move(1, 0);
  }
  EXPECT_EQ(alive, 0);
}

// Owners whose items look back at the list while they are freed (the rich-text engine's
// lists) rely on this order.
TEST(ObjectListTest, ClearFreesFromTheFirstItemUpAfterEmptyingTheList) {
  struct Watcher {
    Watcher(int id, TObjectList<Watcher>* list, std::vector<std::pair<int, int>>* log)
        : id_(id), list_(list), log_(log) {}
    ~Watcher() { log_->emplace_back(id_, list_->Count()); }
    int id_;
    TObjectList<Watcher>* list_;
    std::vector<std::pair<int, int>>* log_;
  };
  std::vector<std::pair<int, int>> log;
  TObjectList<Watcher> list;
  for (int i = 0; i < 3; ++i) list.Add(std::make_unique<Watcher>(i, &list, &log));
  list.Add(nullptr);  // an empty slot frees nothing
  list.Delete(1);
  EXPECT_EQ(log, (std::vector<std::pair<int, int>>{{1, 3}}));
  log.clear();
  list.Clear();
  EXPECT_EQ(log, (std::vector<std::pair<int, int>>{{0, 0}, {2, 0}}));
  EXPECT_THROW(list.SetCapacity(-1), EListError);
}

TEST(ObjectListTest, MoveToABadIndexKeepsTheItemInPlace) {
  int alive = 0;
  TObjectList<Counted> list;
  for (int i = 0; i < 3; ++i) list.Add(std::make_unique<Counted>(&alive));
  Counted* first = list[0];
  EXPECT_THROW(list.Move(0, 3), EListError);
  EXPECT_THROW(list.Move(0, -1), EListError);
  EXPECT_EQ(alive, 3);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[0], first);
  list.Move(0, 2);
  EXPECT_EQ(list[2], first);

  int x = 1, y = 2;
  TList<int> pointers;
  pointers.Add(&x);
  pointers.Add(&y);
  EXPECT_THROW(pointers.Move(0, 2), EListError);
  EXPECT_EQ(pointers.Count(), 2);
  EXPECT_EQ(pointers[0], &x);
  pointers.Move(0, 1);
  EXPECT_EQ(pointers[1], &x);
}

TEST(ListTest, ChecksIndexesAndNeverFrees) {
  int x = 1, y = 2;
  TList<int> list;
  list.Add(&x);
  list.Add(&y);
  list.Exchange(0, 1);
  EXPECT_EQ(list[0], &y);
  EXPECT_EQ(list.Remove(&x), 1);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_THROW(list.Insert(3, &x), EListError);
  try {
    list.Get(7);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (7)");
  }
}
