// The tree control on large trees: making and initialising every node, expanding all, walking
// the visible nodes, scrolling to the end and painting one screen there. Each runs at 0.5, 1 and
// 2 million nodes, so the time per doubling can be read off.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "BenchTiming.h"
#include "common/components/original/NodeTree/NodeTree.h"
#include "platform/graphics/Bitmap.h"

namespace {

constexpr uint32_t kChildrenPerNode = 100;

/// A tree of `total` nodes: total / 101 parents with 100 children each, made on demand.
std::unique_ptr<TNodeTree> MakeTree(int64_t total) {
  auto tree = std::make_unique<TNodeTree>();
  tree->SetBounds(0, 0, 400, 300);
  tree->SetNodeDataSize(8);
  tree->OnInitNode = [](TNodeTree*, PNode parent, PNode, uint8_t& states) {
    if (parent == nullptr) states |= ivsHasChildren;
  };
  tree->OnInitChildren = [](TNodeTree*, PNode, uint32_t& count) { count = kChildrenPerNode; };
  tree->SetChildCount(nullptr, static_cast<uint32_t>(total / (kChildrenPerNode + 1)));
  return tree;
}

void InitialiseAll(TNodeTree& tree) {
  for (PNode node = tree.GetFirst(); node != nullptr; node = tree.GetNext(node))
    benchmark::DoNotOptimize(node);
}

void BM_Initialise(benchmark::State& state) {
  for (auto _ : state) {
    std::unique_ptr<TNodeTree> tree = MakeTree(state.range(0));
    InitialiseAll(*tree);
    state.PauseTiming();
    tree.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
}

void BM_ExpandAll(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<TNodeTree> tree = MakeTree(state.range(0));
    InitialiseAll(*tree);
    state.ResumeTiming();
    tree->FullExpand();
    state.PauseTiming();
    tree.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
}

/// A tree made, initialised and expanded, kept across the iterations of one size.
TNodeTree& ExpandedTree(int64_t total) {
  static std::unique_ptr<TNodeTree> tree;
  static int64_t size = 0;
  if (size != total) {
    tree.reset();
    tree = MakeTree(total);
    InitialiseAll(*tree);
    tree->FullExpand();
    size = total;
  }
  return *tree;
}

void BM_IterateVisible(benchmark::State& state) {
  TNodeTree& tree = ExpandedTree(state.range(0));
  for (auto _ : state) {
    uint64_t count = 0;
    for (PNode node = tree.GetFirstVisible(); node != nullptr; node = tree.GetNextVisible(node)) ++count;
    if (count != tree.VisibleCount()) state.SkipWithError("visible walk missed nodes");
  }
  state.SetComplexityN(state.range(0));
}

void BM_ScrollToEnd(benchmark::State& state) {
  TNodeTree& tree = ExpandedTree(state.range(0));
  for (auto _ : state) {
    tree.InvalidateCache();  // as after any change of the structure
    tree.SetOffsetY(0);
    tree.ScrollIntoView(tree.GetLastVisible(), false);
  }
  state.SetComplexityN(state.range(0));
}

void BM_PaintScreenAtEnd(benchmark::State& state) {
  TNodeTree& tree = ExpandedTree(state.range(0));
  tree.ScrollIntoView(tree.GetLastVisible(), false);
  TBitmap screen;
  screen.SetPixelFormat(pf32bit);
  screen.SetSize(400, 300);
  const TRect window = Rect(-tree.OffsetX(), -tree.OffsetY(), -tree.OffsetX() + 400, -tree.OffsetY() + 300);
  for (auto _ : state) tree.PaintTree(screen.Canvas(), window, Point(0, 0), poGridLines | poDrawSelection);
  state.SetComplexityN(state.range(0));
}

constexpr int64_t kSizes[] = {500'000, 1'000'000, 2'000'000};

void Sizes(benchmark::internal::Benchmark* b) {
  for (int64_t size : kSizes) b->Arg(size);
  b->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}

BENCHMARK(BM_Initialise)->Apply(Sizes)->Iterations(2);
BENCHMARK(BM_ExpandAll)->Apply(Sizes)->Iterations(2);
BENCHMARK(BM_IterateVisible)->Apply(Sizes);
BENCHMARK(BM_ScrollToEnd)->Apply(Sizes);
BENCHMARK(BM_PaintScreenAtEnd)->Apply(Sizes);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  return RunBenchmarks(argc, argv) ? 0 : 1;
}
