// The background validation thread: a list of trees guarded by one mutex, a worker that takes
// the oldest tree once it has been quiet for a moment, walks its visible nodes and hands the
// cache entries to the GUI thread through the synchronise queue. A tree that changes while it is
// walked is stopped first; its stale result, should one still arrive, is refused by generation.
#include "common/components/original/NodeTree/ValidationThread.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "common/components/original/NodeTree/NodeTree.h"
#include "platform/gui/Synchronize.h"

namespace {

using Clock = std::chrono::steady_clock;

// A tree changed a moment ago is likely to change again (nodes added one by one): waiting this
// long before walking it keeps the thread from being interrupted on every change.
constexpr auto kQuietSpell = std::chrono::milliseconds(30);
// How often the GUI thread looks again while it waits for the thread to let go of a tree.
constexpr auto kInterruptPoll = std::chrono::milliseconds(5);

struct ListedTree {
  TNodeTree* Tree;
  uint64_t Generation;
  Clock::time_point Since;
};

}  // namespace

class TValidationWorker {
 public:
  ~TValidationWorker() {
    // Trees that were never freed leave the thread running until the program ends.
    {
      const std::lock_guard lock(mutex_);
      terminate_ = true;
      wake_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
  }

  void AddUser() {
    const std::lock_guard lock(mutex_);
    if (users_++ == 0) {
      terminate_ = false;
      thread_ = std::thread([this] { Run(); });
    }
  }

  void RemoveUser() {
    std::unique_lock lock(mutex_);
    if (users_ == 0 || --users_ > 0) return;
    terminate_ = true;
    wake_.notify_all();
    lock.unlock();
    thread_.join();
  }

  void Add(TNodeTree* tree, uint64_t generation) {
    const std::lock_guard lock(mutex_);
    if (users_ == 0) return;
    if (current_ == tree) stop_ = true;
    for (ListedTree& entry : list_)
      if (entry.Tree == tree) {
        entry.Generation = generation;
        return;
      }
    list_.push_back({tree, generation, Clock::now()});
    tree->validationListed_.store(true, std::memory_order_release);
    wake_.notify_all();
  }

  void Interrupt(TNodeTree* tree) {
    std::unique_lock lock(mutex_);
    std::erase_if(list_, [tree](const ListedTree& entry) { return entry.Tree == tree; });
    if (current_ == tree) {
      stop_ = true;
      while (current_ == tree) {
        lock.unlock();
        CheckSynchronize();
        lock.lock();
        if (current_ == tree) done_.wait_for(lock, kInterruptPoll);
      }
    }
    tree->validationListed_.store(false, std::memory_order_release);
  }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (terminate_) return;
      if (list_.empty()) {
        wake_.wait(lock);
        continue;
      }
      const Clock::time_point due = list_.front().Since + kQuietSpell;
      if (Clock::now() < due) {
        wake_.wait_until(lock, due);
        continue;
      }
      const ListedTree entry = list_.front();
      list_.pop_front();
      current_ = entry.Tree;
      stop_ = false;
      lock.unlock();
      Validate(entry);
      lock.lock();
      current_ = nullptr;
      const bool listed = std::any_of(list_.begin(), list_.end(),
                                      [&](const ListedTree& other) { return other.Tree == entry.Tree; });
      if (!listed) entry.Tree->validationListed_.store(false, std::memory_order_release);
      done_.notify_all();
    }
  }

  // Runs without the lock; the tree cannot go or change its links while it is current.
  void Validate(const ListedTree& entry) {
    std::vector<TCacheEntry> cache;
    if (!entry.Tree->CollectCachePositions(cache, &stop_)) return;
    TNodeTree* tree = entry.Tree;
    Synchronize([&] {
      // On the GUI thread: a stop asked for meanwhile means the tree is about to change.
      if (!stop_.load(std::memory_order_relaxed))
        tree->PositionCacheValidated(std::move(cache), entry.Generation);
    });
  }

  std::mutex mutex_;
  std::condition_variable wake_;  // the list grew, or the thread is to end
  std::condition_variable done_;  // the thread let go of a tree
  std::deque<ListedTree> list_;
  TNodeTree* current_ = nullptr;
  std::atomic<bool> stop_{false};
  bool terminate_ = false;
  int users_ = 0;
  std::thread thread_;
};

namespace {

TValidationWorker& TheWorker() {
  static TValidationWorker worker;
  return worker;
}

}  // namespace

namespace ValidationThread {

void AddUser() {
  TheWorker().AddUser();
}
void RemoveUser() {
  TheWorker().RemoveUser();
}
void Add(TNodeTree* tree, uint64_t generation) {
  TheWorker().Add(tree, generation);
}
void Interrupt(TNodeTree* tree) {
  TheWorker().Interrupt(tree);
}

}  // namespace ValidationThread
