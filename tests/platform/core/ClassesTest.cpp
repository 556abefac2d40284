// TPersistent assignment, collections, component ownership and the class registry.
#include <gtest/gtest.h>

#include "StreamingTestClasses.h"
#include "platform/core/Classes.h"

namespace {

class TPlainItem : public TCollectionItem {
 public:
  ZUK_CLASS_NAME(TPlainItem)
  int value = 0;
  void Assign(const TPersistent* source) override {
    if (const auto* p = dynamic_cast<const TPlainItem*>(source)) {
      value = p->value;
      return;
    }
    TCollectionItem::Assign(source);
  }
};

class TOtherItem : public TCollectionItem {
 public:
  ZUK_CLASS_NAME(TOtherItem)
};

// A collection that records what it is told.
class TRecordingCollection : public TCollection {
 public:
  TRecordingCollection() : TCollection(CollectionItemClass<TPlainItem>()) {}
  std::vector<std::string> log;
  int updates = 0;
  TPlainItem* Item(int i) const { return static_cast<TPlainItem*>(Items(i)); }

 protected:
  void Update(TCollectionItem*) override { ++updates; }
  // An item freed directly is already down to its TCollectionItem part here: log its index.
  void Notify(TCollectionItem* item, TCollectionNotification action) override {
    static const char* const kNames[] = {"added", "extracting", "deleting"};
    log.push_back(std::string(kNames[action]) + " " + std::to_string(item->Index()));
  }
};

std::vector<int> Values(const TRecordingCollection& c) {
  std::vector<int> v;
  for (int i = 0; i < c.Count(); ++i) v.push_back(c.Item(i)->value);
  return v;
}

void Fill(TRecordingCollection& c, std::initializer_list<int> values) {
  for (int v : values) static_cast<TPlainItem*>(c.Add())->value = v;
  c.log.clear();
}

}  // namespace

TEST(PersistentTest, AssignBetweenUnrelatedClassesNamesBoth) {
  TTestRect rect;
  TTestSides sides;
  try {
    rect.Assign(&sides);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TTestSides to a TTestRect");
  }
  try {
    rect.Assign(nullptr);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a nil to a TTestRect");
  }
}

TEST(PersistentTest, AssignToLetsTheSourceCopyItself) {
  // A source that knows the destination's class copies itself through AssignTo.
  class TSource : public TPersistent {
   public:
    void AssignTo(TPersistent* dest) const override {
      if (auto* r = dynamic_cast<TTestRect*>(dest)) {
        r->Left = 42;
        return;
      }
      TPersistent::AssignTo(dest);
    }
  };
  TSource source;
  TTestRect rect;
  rect.Assign(&source);
  EXPECT_EQ(rect.Left, 42);
  TTestSides sides;
  EXPECT_THROW(sides.Assign(&source), EConvertError);
}

TEST(CollectionTest, AddInsertDeleteKeepOrderAndIndexes) {
  TRecordingCollection c;
  Fill(c, {1, 2, 3});
  static_cast<TPlainItem*>(c.Insert(1))->value = 9;
  EXPECT_EQ(Values(c), (std::vector<int>{1, 9, 2, 3}));
  EXPECT_EQ(c.Item(2)->Index(), 2);
  EXPECT_EQ(c.Item(2)->Collection(), &c);
  c.Delete(0);
  EXPECT_EQ(Values(c), (std::vector<int>{9, 2, 3}));
  EXPECT_EQ(c.Item(0)->Index(), 0);
  EXPECT_EQ(c.log, (std::vector<std::string>{"added 1", "deleting 0"}));
}

TEST(CollectionTest, IndexOutOfRangeRaisesListError) {
  TRecordingCollection c;
  Fill(c, {1});
  EXPECT_THROW(c.Items(1), EListError);
  EXPECT_THROW(c.Items(-1), EListError);
  EXPECT_THROW(c.Delete(5), EListError);
  EXPECT_THROW(c.Insert(3), EListError);
}

TEST(CollectionTest, FreeingAnItemDirectlyRemovesItFromItsCollection) {
  TRecordingCollection c;
  Fill(c, {1, 2, 3, 4});
  // As a reader that trims a style sheet: free the items from the last down to index 2.
  for (int i = c.Count() - 1; i >= 2; --i) delete c.Items(i);
  EXPECT_EQ(Values(c), (std::vector<int>{1, 2}));
  EXPECT_EQ(c.log, (std::vector<std::string>{"deleting 3", "deleting 2"}));
  delete c.Items(0);
  EXPECT_EQ(Values(c), (std::vector<int>{2}));
  EXPECT_EQ(c.Item(0)->Index(), 0);
}

TEST(CollectionTest, ExtractHandsTheItemOverFreeOfItsCollection) {
  TRecordingCollection c;
  Fill(c, {1, 2});
  std::unique_ptr<TCollectionItem> item = c.Extract(0);
  EXPECT_EQ(item->Collection(), nullptr);
  EXPECT_EQ(item->Index(), -1);
  EXPECT_EQ(Values(c), (std::vector<int>{2}));
  // It can join another collection.
  TRecordingCollection other;
  other.AddItem(std::move(item));
  EXPECT_EQ(Values(other), (std::vector<int>{1}));
  EXPECT_THROW(other.AddItem(nullptr), EListError);
}

TEST(CollectionTest, SetIndexMovesTheItemAndClampsToTheEnds) {
  TRecordingCollection c;
  Fill(c, {1, 2, 3});
  c.Item(0)->SetIndex(2);
  EXPECT_EQ(Values(c), (std::vector<int>{2, 3, 1}));
  c.Item(2)->SetIndex(-5);
  EXPECT_EQ(Values(c), (std::vector<int>{1, 2, 3}));
  c.Item(1)->SetIndex(99);
  EXPECT_EQ(Values(c), (std::vector<int>{1, 3, 2}));
}

TEST(CollectionTest, AssignCopiesItemsThroughTheItemAssign) {
  TRecordingCollection source, dest;
  Fill(source, {5, 6});
  Fill(dest, {1, 2, 3});
  dest.Assign(&source);
  EXPECT_EQ(Values(dest), (std::vector<int>{5, 6}));
  EXPECT_NE(dest.Items(0), source.Items(0));
  // Assigning a collection to itself keeps its items.
  dest.Assign(&dest);
  EXPECT_EQ(Values(dest), (std::vector<int>{5, 6}));
  // Items of an unrelated class cannot be assigned.
  TCollection others(CollectionItemClass<TOtherItem>());
  others.Add();
  EXPECT_THROW(dest.Assign(&others), EConvertError);
  EXPECT_EQ(dest.UpdateCount(), 0);
}

TEST(CollectionTest, UpdatesAreReportedOnceOutsideBeginEndUpdate) {
  TRecordingCollection c;
  c.BeginUpdate();
  Fill(c, {1, 2, 3});
  c.Delete(0);
  EXPECT_EQ(c.updates, 0);
  c.EndUpdate();
  EXPECT_EQ(c.updates, 1);
  c.Add();
  EXPECT_EQ(c.updates, 2);
}

TEST(CollectionTest, ItemIdsAreUniqueAndFindable) {
  TRecordingCollection c;
  Fill(c, {1, 2, 3});
  const int id = c.Items(1)->ID();
  c.Delete(0);
  EXPECT_EQ(c.FindItemID(id), c.Items(0));
  EXPECT_NE(c.Add()->ID(), id);
  EXPECT_EQ(c.FindItemID(12345), nullptr);
}

TEST(CollectionTest, OwnedCollectionReportsItsOwner) {
  TTestStyle style;
  EXPECT_EQ(style.Levels.GetOwner(), &style);
  TCollectionItem* level = style.Levels.Add();
  EXPECT_EQ(level->GetOwner(), &style.Levels);
}

TEST(ComponentTest, OwnerFreesWhatItOwns) {
  auto form = std::make_unique<TTestForm>();
  auto* a = new TTestButton(form.get());
  a->SetName("A");
  auto* b = new TTestButton(form.get());
  b->SetName("B");
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(form->Components(1), b);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_EQ(form->FindComponent("a"), a);
  EXPECT_EQ(form->FindComponent("C"), nullptr);
  form.reset();  // frees a and b (the sanitizer build checks for leaks and double frees)
}

TEST(ComponentTest, FreeingAComponentDirectlyLeavesItsOwnerAndNotifiesIt) {
  TTestForm form;
  auto* a = new TTestButton(&form);
  a->SetName("A");
  auto* b = new TTestButton(&form);
  b->SetName("B");
  form.notifications.clear();
  delete a;
  EXPECT_EQ(form.ComponentCount(), 1);
  EXPECT_EQ(form.Components(0), b);
  EXPECT_EQ(form.notifications, (std::vector<std::string>{"remove A"}));
}

TEST(ComponentTest, InsertAndRemoveNotifyTheOwnerAndPassTheNewsDown) {
  TTestForm form;
  auto* inner = new TTestForm(&form);
  inner->SetName("Inner");
  auto button = std::make_unique<TTestButton>();
  button->SetName("Btn");
  TTestButton* raw = button.get();
  form.notifications.clear();
  form.InsertComponent(std::move(button));
  EXPECT_EQ(raw->Owner(), &form);
  EXPECT_EQ(form.notifications, (std::vector<std::string>{"insert Btn"}));
  EXPECT_EQ(inner->notifications, (std::vector<std::string>{"insert Btn"}));
  std::unique_ptr<TComponent> back = form.RemoveComponent(raw);
  EXPECT_EQ(back.get(), raw);
  EXPECT_EQ(raw->Owner(), nullptr);
  EXPECT_EQ(form.notifications.back(), "remove Btn");
  EXPECT_EQ(inner->notifications.back(), "remove Btn");
}

TEST(ComponentTest, FreeNotificationTellsComponentsOfOtherOwners) {
  TTestForm watcher;
  watcher.SetName("Watcher");
  auto other = std::make_unique<TTestButton>();
  other->SetName("Far");
  other->FreeNotification(&watcher);
  watcher.notifications.clear();
  other.reset();
  EXPECT_EQ(watcher.notifications, (std::vector<std::string>{"remove Far"}));
  // Once removed, nothing more is told.
  auto again = std::make_unique<TTestButton>();
  again->FreeNotification(&watcher);
  again->RemoveFreeNotification(&watcher);
  watcher.notifications.clear();
  again.reset();
  EXPECT_TRUE(watcher.notifications.empty());
}

TEST(ComponentTest, NamesMustBeIdentifiersAndUniqueAmongSiblings) {
  TTestForm form;
  auto* a = new TTestButton(&form);
  a->SetName("Button1");
  auto* b = new TTestButton(&form);
  EXPECT_THROW(b->SetName("button1"), EComponentError);
  EXPECT_THROW(b->SetName("1abc"), EComponentError);
  EXPECT_THROW(b->SetName("a b"), EComponentError);
  try {
    b->SetName("1abc");
    FAIL() << "no exception";
  } catch (const EComponentError& e) {
    EXPECT_STREQ(e.what(), "'1abc' is not a valid component name");
  }
  try {
    b->SetName("BUTTON1");
    FAIL() << "no exception";
  } catch (const EComponentError& e) {
    EXPECT_STREQ(e.what(), "A component named BUTTON1 already exists");
  }
  b->SetName("_Button2");
  EXPECT_EQ(b->Name(), "_Button2");
  auto stray = std::make_unique<TTestButton>();
  stray->SetName("Button1");
  EXPECT_THROW(form.InsertComponent(std::move(stray)), EComponentError);
}

TEST(ComponentTest, ConstructorThatFailsLeavesTheOwnerIntact) {
  class TFailing : public TComponent {
   public:
    explicit TFailing(TComponent* owner) : TComponent(owner) { throw Exception("no"); }
  };
  TTestForm form;
  EXPECT_THROW(new TFailing(&form), Exception);
  EXPECT_EQ(form.ComponentCount(), 0);
}

TEST(ClassRegistryTest, FindsAndCreatesRegisteredClassesCaseInsensitively) {
  RegisterStreamingTestClasses();
  ASSERT_NE(GetClass("tgridsw"), nullptr);
  EXPECT_EQ(GetClass("TGridSW")->Name, "TGridSW");
  std::unique_ptr<TComponent> grid = CreateComponentByClassName("TGridSW");
  EXPECT_EQ(grid->ClassName(), "TGridSW");
  EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
  try {
    FindClass("TNoSuchClass");
    FAIL() << "no exception";
  } catch (const EClassNotFound& e) {
    EXPECT_STREQ(e.what(), "Class TNoSuchClass not found");
  }
}

TEST(ClassRegistryTest, OnlyComponentsAreCreatedAsComponents) {
  RegisterClass<TTestRect>("TTestRect");
  EXPECT_EQ(CreateObjectByClassName("TTestRect")->ClassName(), "TTestRect");
  EXPECT_THROW(CreateComponentByClassName("TTestRect"), EReadError);
  UnRegisterClass("TTestRect");
  EXPECT_EQ(GetClass("TTestRect"), nullptr);
}
