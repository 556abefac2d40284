// Image list change listeners: any number of them hear each change, and neither a listener
// nor a list that goes first leaves the other pointing at it.
#include <gtest/gtest.h>

#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"

namespace {

int AddSquare(TCustomImageList& list) {
  TBitmap square;
  square.SetSize(16, 16);
  return list.AddMasked(&square, clFuchsia);
}

TEST(ImageListTest, EveryRegisteredLinkHearsEachChange) {
  TImageList list;
  TChangeLink first, second;
  int heardFirst = 0, heardSecond = 0, heardEvent = 0;
  first.OnChange = [&](TCustomImageList& sender) {
    EXPECT_EQ(&sender, &list);
    ++heardFirst;
  };
  second.OnChange = [&](TCustomImageList&) { ++heardSecond; };
  list.OnChange = [&](TCustomImageList&) { ++heardEvent; };
  list.RegisterChanges(&first);
  list.RegisterChanges(&second);
  list.RegisterChanges(&second);  // once only
  EXPECT_EQ(second.Sender(), &list);
  AddSquare(list);
  EXPECT_EQ(heardFirst, 1);
  EXPECT_EQ(heardSecond, 1);
  EXPECT_EQ(heardEvent, 1);

  list.UnRegisterChanges(&first);
  EXPECT_EQ(first.Sender(), nullptr);
  list.Clear();
  EXPECT_EQ(heardFirst, 1);
  EXPECT_EQ(heardSecond, 2);

  // A link moved to another list stops hearing the first one.
  TImageList other;
  other.RegisterChanges(&second);
  AddSquare(list);
  EXPECT_EQ(heardSecond, 2);
  AddSquare(other);
  EXPECT_EQ(heardSecond, 3);
}

TEST(ImageListTest, ListenersAndListsMayGoInEitherOrder) {
  auto list = std::make_unique<TImageList>();
  auto going = std::make_unique<TChangeLink>();
  TChangeLink staying;
  int heard = 0;
  staying.OnChange = [&](TCustomImageList&) { ++heard; };
  list->RegisterChanges(going.get());
  list->RegisterChanges(&staying);
  going.reset();  // unregisters itself
  AddSquare(*list);
  EXPECT_EQ(heard, 1);

  // A listener that drops itself while told is not told again.
  TChangeLink once;
  int heardOnce = 0;
  once.OnChange = [&](TCustomImageList& sender) {
    ++heardOnce;
    sender.UnRegisterChanges(&once);
  };
  list->RegisterChanges(&once);
  AddSquare(*list);
  AddSquare(*list);
  EXPECT_EQ(heardOnce, 1);

  list.reset();
  EXPECT_EQ(staying.Sender(), nullptr);  // its destructor must not reach the freed list
}

}  // namespace
