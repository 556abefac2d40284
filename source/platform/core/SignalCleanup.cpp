#include "platform/core/SignalCleanup.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/core/Files.h"

namespace {

std::mutex g_mutex;
std::vector<const TRemoveOnSignal*> g_paths;  // in the order they were recorded

void Remove(const TRemoveOnSignal& entry) {
  switch (entry.Kind()) {
    case TRemoveOnSignal::rsFile:
      unlink(entry.Path().c_str());
      break;
    case TRemoveOnSignal::rsFolderWithFiles:
      DeleteFilesInTree(entry.Path(), [](const std::string&) { return true; });
      RemoveDir(entry.Path());
      break;
    case TRemoveOnSignal::rsEmptyFolder:
      RemoveDir(entry.Path());
      break;
  }
}

}  // namespace

TRemoveOnSignal::TRemoveOnSignal(std::string path, TKind kind) : path_(std::move(path)), kind_(kind) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_paths.push_back(this);
}

TRemoveOnSignal::~TRemoveOnSignal() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_paths.erase(std::remove(g_paths.begin(), g_paths.end(), this), g_paths.end());
}

void EndBySignal(int signal) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    for (auto it = g_paths.rbegin(); it != g_paths.rend(); ++it) Remove(**it);
    g_paths.clear();
  }
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  raise(signal);
  // A signal whose default action does not end the program.
  _exit(128 + signal);
}
