#include "platform/gui/Synchronize.h"

#include <QCoreApplication>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>

#include "platform/gui/Application.h"
#include "platform/gui/WidgetSupport.h"

namespace {

struct PendingCall {
  std::function<void()> call;
  bool finished = false;
  bool ran = false;
  std::exception_ptr error;
};

struct SyncQueue {
  std::mutex mutex;
  std::condition_variable done;
  std::deque<std::shared_ptr<PendingCall>> pending;
  // Whether someone will run queued calls. Workers test it under the mutex: the application
  // object may be going away on the GUI thread at the same moment.
  bool accepting = false;
};

SyncQueue& Queue() {
  static SyncQueue queue;
  return queue;
}

}  // namespace

bool IsGuiThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app != nullptr && app->thread() == QThread::currentThread();
}

bool Synchronize(const std::function<void()>& call) {
  if (IsGuiThread()) {
    if (Application == nullptr) return false;
    call();
    return true;
  }
  auto item = std::make_shared<PendingCall>();
  item->call = call;
  SyncQueue& queue = Queue();
  {
    const std::lock_guard lock(queue.mutex);
    if (!queue.accepting) return false;
    queue.pending.push_back(item);
  }
  WakeGuiThread();
  std::unique_lock lock(queue.mutex);
  queue.done.wait(lock, [&] { return item->finished; });
  if (item->error) std::rethrow_exception(item->error);
  return item->ran;
}

bool CheckSynchronize() {
  if (!IsGuiThread()) return false;
  SyncQueue& queue = Queue();
  bool any = false;
  for (;;) {
    std::shared_ptr<PendingCall> item;
    {
      const std::lock_guard lock(queue.mutex);
      if (queue.pending.empty()) break;
      item = queue.pending.front();
      queue.pending.pop_front();
    }
    any = true;
    try {
      item->call();
      item->ran = true;
    } catch (...) {
      item->error = std::current_exception();
    }
    const std::lock_guard lock(queue.mutex);
    item->finished = true;
    queue.done.notify_all();
  }
  return any;
}

void AcceptSynchronizedCalls() {
  SyncQueue& queue = Queue();
  const std::lock_guard lock(queue.mutex);
  queue.accepting = true;
}

void AbandonSynchronizedCalls() {
  SyncQueue& queue = Queue();
  const std::lock_guard lock(queue.mutex);
  queue.accepting = false;
  for (auto& item : queue.pending) item->finished = true;
  queue.pending.clear();
  queue.done.notify_all();
}
