// The background validation thread: the caches it builds equal a recount, changes made while it
// walks a tree stop it and never let a stale cache in, and trees may go while it works on them.
// Run under the thread sanitizer as well.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>
#include <thread>

#include "TreeTestSupport.h"
#include "platform/gui/GuiTestSupport.h"

namespace {

/// The cache a recount gives: every 32nd visible node with its top.
std::vector<std::pair<PNode, int64_t>> ExpectedCache(TNodeTree& tree) {
  std::vector<std::pair<PNode, int64_t>> visible;
  int64_t top = 0;
  treetest::CollectVisible(tree, tree.RootNode(), top, visible);
  std::vector<std::pair<PNode, int64_t>> expected;
  for (size_t i = 0; i < visible.size(); i += 32) expected.push_back(visible[i]);
  return expected;
}

/// Fails unless the tree's cache, when it says it is valid, equals a recount. Answers whether it
/// was valid.
bool ExpectCacheMatchesRecount(TNodeTree& tree, const std::string& context) {
  if (!tree.HasState(tsCacheValid)) return false;
  const auto expected = ExpectedCache(tree);
  const std::vector<TCacheEntry>& cache = tree.PositionCache();
  EXPECT_EQ(cache.size(), expected.size()) << context;
  for (size_t i = 0; i < std::min(cache.size(), expected.size()); ++i)
    if (cache[i].Node != expected[i].first || cache[i].Top != expected[i].second) {
      ADD_FAILURE() << context << ": entry " << i << " differs";
      break;
    }
  return true;
}

/// A tree of `top_level` nodes with `children` children each, every other one expanded, that
/// asks for background validation.
std::unique_ptr<TNodeTree> MakeTree(uint32_t topLevel, uint32_t children) {
  auto tree = std::make_unique<TNodeTree>();
  tree->SetNodeDataSize(4);
  tree->BeginUpdate();
  tree->SetChildCount(nullptr, topLevel);
  uint32_t i = 0;
  for (PNode node = tree->RootNode()->FirstChild; node != nullptr; node = node->NextSibling, ++i) {
    tree->SetChildCount(node, children);
    if (i % 2 == 0) tree->SetExpanded(node, true);
  }
  tree->EndUpdate();
  tree->IncludeState(tsValidationNeeded);
  return tree;
}

TEST(ValidationThreadTest, BuildsTheCacheOfALargeTreeInTheBackground) {
  auto tree = MakeTree(200, 30);
  tree->InvalidateCache();
  EXPECT_FALSE(tree->HasState(tsCacheValid));  // nothing walks the tree on this thread
  ASSERT_TRUE(guitest::PumpUntil([&] { return tree->HasState(tsCacheValid); }, 5000));
  ExpectCacheMatchesRecount(*tree, "first build");
  EXPECT_EQ(tree->PositionCache().size(), 100u);  // 3200 visible nodes

  // Changing the tree drops the cache; the thread builds it again for the new shape.
  tree->SetExpanded(tree->RootNode()->FirstChild, false);
  EXPECT_FALSE(tree->HasState(tsCacheValid));
  ASSERT_TRUE(guitest::PumpUntil([&] { return tree->HasState(tsCacheValid); }, 5000));
  ExpectCacheMatchesRecount(*tree, "after collapsing");
}

TEST(ValidationThreadTest, SmallTreesAndTreesWithoutTheStateAreLeftAlone) {
  auto small = MakeTree(10, 5);
  small->InvalidateCache();
  auto unmarked = MakeTree(200, 30);
  unmarked->ExcludeState(tsValidationNeeded);
  unmarked->InvalidateCache();
  guitest::PumpUntil([] { return false; }, 150);
  EXPECT_FALSE(small->HasState(tsCacheValid));
  EXPECT_FALSE(unmarked->HasState(tsCacheValid));
}

TEST(ValidationThreadTest, ChangesWhileTheThreadWalksNeverLetAStaleCacheIn) {
  int validSeen = 0;  // caches the thread delivered between changes
  for (uint32_t seed = 1; seed <= 8; ++seed) {
    std::mt19937 random(seed);
    auto tree = MakeTree(120, 40);
    tree->InvalidateCache();
    for (int step = 0; step < 80; ++step) {
      std::vector<PNode> nodes = treetest::AllNodes(*tree);
      ASSERT_FALSE(nodes.empty());
      PNode node = nodes[random() % nodes.size()];
      const std::string context = "seed " + std::to_string(seed) + " step " + std::to_string(step);
      switch (random() % 8) {
        case 0:
          tree->InsertNode(node, static_cast<TNodeAttachMode>(1 + random() % 4));
          break;
        case 1:
          if (nodes.size() > 1000) tree->DeleteNode(node);
          break;
        case 2:
          tree->ToggleNode(node);
          break;
        case 3:
          tree->SetNodeHeight(node, static_cast<uint16_t>(10 + random() % 30));
          break;
        case 4:
          tree->SetVisible(node, random() % 4 != 0);
          break;
        case 5:
          tree->SetChildCount(node, random() % 6);
          break;
        case 6:
          tree->SetSelected(node, random() % 2 == 0);  // other state bits of the nodes walked
          break;
        default:
          tree->Sort(node, NoColumn, random() % 2 == 0, false);
          break;
      }
      ExpectCacheMatchesRecount(*tree, context);
      // Sometimes let the thread start or finish before the next change.
      if (random() % 3 == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 45));
        guitest::Pump(1);
        if (ExpectCacheMatchesRecount(*tree, context + " after pumping")) ++validSeen;
      }
      if (::testing::Test::HasFatalFailure()) return;
    }
    if (tree->VisibleCount() > 128) {
      tree->InvalidateCache();
      ASSERT_TRUE(guitest::PumpUntil([&] { return tree->HasState(tsCacheValid); }, 5000));
      ExpectCacheMatchesRecount(*tree, "seed " + std::to_string(seed) + " at the end");
    }
  }
  EXPECT_GT(validSeen, 5);
}

TEST(ValidationThreadTest, TreesMayGoWhileTheThreadWorksOnThem) {
  std::mt19937 random(7);
  for (int round = 0; round < 15; ++round) {
    auto tree = MakeTree(400, 50);
    auto other = MakeTree(100, 20);
    tree->InvalidateCache();
    other->InvalidateCache();
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 60));
    if (round % 2 == 0) guitest::Pump(1);
    tree.reset();
    // The other tree is still served.
    ASSERT_TRUE(guitest::PumpUntil([&] { return other->HasState(tsCacheValid); }, 5000));
    ExpectCacheMatchesRecount(*other, "round " + std::to_string(round));
  }
}

}  // namespace
