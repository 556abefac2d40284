// The tree control on large trees of text nodes: making and initialising every node, expanding
// all, walking the visible nodes, scrolling to the end and painting one screen there. Each runs
// at 0.5, 1 and 2 million nodes, so the time per doubling can be read off. Afterwards the bench
// prints what expanding a million text nodes (parents of 100 children each) costs and what
// scrolling to the last of them costs, the first time (which measures every text) and again,
// beside Qt's tree view over a model of the same shape.
#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QTreeView>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "BenchTiming.h"
#include "common/components/original/NodeTree/NodeTree.h"
#include "platform/graphics/Bitmap.h"

namespace {

constexpr uint32_t kChildrenPerNode = 100;
constexpr int64_t kReportSize = 1'000'000;
constexpr double kScrollAimMs = 1.0;

/// "Section 12" for a top-level node, "Question 12.34" below it.
std::u16string NodeText(PNode parent, PNode node) {
  std::string text = parent == nullptr ? "Section " + std::to_string(node->Index + 1)
                                       : "Question " + std::to_string(parent->Index + 1) + "." +
                                             std::to_string(node->Index + 1);
  return std::u16string(text.begin(), text.end());
}

/// A tree of `total` text nodes: total / 101 parents with 100 children each, made on demand.
std::unique_ptr<TNodeTree> MakeTree(int64_t total) {
  auto tree = std::make_unique<TNodeTree>();
  tree->SetBounds(0, 0, 400, 300);
  tree->SetNodeDataSize(sizeof(TTextNodeData));
  tree->OnInitNode = [](TNodeTree* self, PNode parent, PNode node, uint8_t& states) {
    if (parent == nullptr) states |= ivsHasChildren;
    self->TextData(node)->Text = NodeText(parent, node);
  };
  tree->OnInitChildren = [](TNodeTree*, PNode, uint32_t& count) { count = kChildrenPerNode; };
  tree->SetChildCount(nullptr, static_cast<uint32_t>(total / (kChildrenPerNode + 1)));
  return tree;
}

void InitialiseAll(TNodeTree& tree) {
  for (PNode node = tree.GetFirst(); node != nullptr; node = tree.GetNext(node))
    benchmark::DoNotOptimize(node);
}

std::unique_ptr<TNodeTree> MakeExpandedTree(int64_t total) {
  std::unique_ptr<TNodeTree> tree = MakeTree(total);
  InitialiseAll(*tree);
  tree->FullExpand();
  return tree;
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

/// A tree made, initialised and expanded, kept across the iterations of one size; freed by
/// ReleaseExpandedTree before the program ends.
std::unique_ptr<TNodeTree>& ExpandedTreeSlot() {
  static std::unique_ptr<TNodeTree> tree;
  return tree;
}

TNodeTree& ExpandedTree(int64_t total) {
  static int64_t size = 0;
  std::unique_ptr<TNodeTree>& tree = ExpandedTreeSlot();
  if (tree == nullptr || size != total) {
    tree.reset();
    tree = MakeExpandedTree(total);
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

/// Scrolling after a change of the structure, which drops the position cache and the widest row
/// (the nodes' widths were measured by the first scroll).
void BM_ScrollToEndAfterChange(benchmark::State& state) {
  TNodeTree& tree = ExpandedTree(state.range(0));
  tree.ScrollIntoView(tree.GetLastVisible(), false);
  for (auto _ : state) {
    tree.InvalidateCache();
    tree.SetOffsetY(0);
    tree.ScrollIntoView(tree.GetLastVisible(), false);
  }
  state.SetComplexityN(state.range(0));
}

/// Scrolling back and forth in a tree that does not change.
void BM_ScrollToEnd(benchmark::State& state) {
  TNodeTree& tree = ExpandedTree(state.range(0));
  tree.ScrollIntoView(tree.GetLastVisible(), false);
  for (auto _ : state) {
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
BENCHMARK(BM_ScrollToEndAfterChange)->Apply(Sizes);
BENCHMARK(BM_ScrollToEnd)->Apply(Sizes);
BENCHMARK(BM_PaintScreenAtEnd)->Apply(Sizes);

/// The peer's model: `parents` top-level rows of kChildrenPerNode children each, the tree's
/// shape, with texts made on demand. Each index carries its node's number in tree order (as a
/// model over real nodes carries a node pointer), from which its parent follows.
class ShapeModel : public QAbstractItemModel {
 public:
  explicit ShapeModel(int parents) : parents_(parents) {}
  QModelIndex index(int row, int column, const QModelIndex& parent) const override {
    if (column != 0 || row < 0 || row >= rowCount(parent)) return {};
    return createIndex(
        row, 0, parent.isValid() ? parent.internalId() + 1 + static_cast<quintptr>(row) : NumberOf(row));
  }
  QModelIndex parent(const QModelIndex& child) const override {
    if (!child.isValid() || IsParent(child)) return {};
    const int row = static_cast<int>(child.internalId() / kStride);
    return createIndex(row, 0, NumberOf(row));
  }
  int rowCount(const QModelIndex& parent) const override {
    if (!parent.isValid()) return parents_;
    return IsParent(parent) ? static_cast<int>(kChildrenPerNode) : 0;
  }
  int columnCount(const QModelIndex&) const override { return 1; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    if (IsParent(index)) return QStringLiteral("Section %1").arg(index.row() + 1);
    return QStringLiteral("Question %1.%2").arg(index.internalId() / kStride + 1).arg(index.row() + 1);
  }

 private:
  static constexpr quintptr kStride = kChildrenPerNode + 1;  // a parent and its children
  static quintptr NumberOf(int parentRow) { return static_cast<quintptr>(parentRow) * kStride; }
  static bool IsParent(const QModelIndex& index) { return index.internalId() % kStride == 0; }

  int parents_;
};

/// Milliseconds of one call of `f`.
template <typename F>
double OnceMs(F&& f) {
  return MedianSeconds(1,
                       [&] {
                         f();
                         return 0;
                       }) *
         1000;
}

/// Expanding all and scrolling to the last node of kReportSize text nodes, the tree beside Qt's
/// tree view over a model of the same shape.
void ReportExpandAndScrollTimes() {
  constexpr int kRuns = 21;
  constexpr auto parents =
      static_cast<uint32_t>(kReportSize / (kChildrenPerNode + 1));  // as MakeTree makes them
  std::unique_ptr<TNodeTree> tree = MakeTree(kReportSize);
  InitialiseAll(*tree);
  const double expandMs = OnceMs([&] { tree->FullExpand(); });
  const double firstMs = OnceMs([&] { tree->ScrollIntoView(tree->GetLastVisible(), false); });
  const double againMs = MedianSeconds(kRuns,
                                       [&] {
                                         tree->SetOffsetY(0);
                                         return tree->ScrollIntoView(tree->GetLastVisible(), false);
                                       }) *
                         1000;
  tree.reset();

  ShapeModel model(static_cast<int>(parents));
  QTreeView view;
  view.setUniformRowHeights(true);  // as a large tree view is set up; the tree's rows are alike too
  view.resize(400, 300);
  view.setModel(&model);
  const double peerExpandMs = OnceMs([&] { view.expandAll(); });
  const QModelIndex first = model.index(0, 0, {});
  const QModelIndex last = model.index(static_cast<int>(kChildrenPerNode) - 1, 0,
                                       model.index(static_cast<int>(parents) - 1, 0, {}));
  const double peerFirstMs = OnceMs([&] { view.scrollTo(last); });
  const double peerAgainMs = MedianSeconds(kRuns,
                                           [&] {
                                             view.scrollTo(first);
                                             view.scrollTo(last);
                                             return 0;
                                           }) *
                             1000;
  std::printf(
      "expanding all of %lld text nodes (%u parents of %u children): %.0f ms; Qt's tree view: %.0f ms\n",
      static_cast<long long>(kReportSize), parents, kChildrenPerNode, expandMs, peerExpandMs);
  std::printf(
      "scrolling to the last of them: first %.2f ms, then %.3g ms (aim <= %.1f ms: %.3g of it); "
      "Qt's tree view: first %.2f ms, then %.3g ms (ratio %.3g)\n",
      firstMs, againMs, kScrollAimMs, againMs / kScrollAimMs, peerFirstMs, peerAgainMs,
      peerAgainMs > 0 ? againMs / peerAgainMs : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The peer's view needs the widget application; the tree measures its text through it too.
  QApplication app(argc, argv);
  const bool ran = RunBenchmarks(argc, argv);
  ExpandedTreeSlot().reset();
  ReportExpandAndScrollTimes();
  return ran ? 0 : 1;
}
