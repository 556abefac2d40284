#include "platform/core/SignalCleanup.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/core/Files.h"
#include "platform/core/MemoryReserve.h"

namespace {

std::mutex g_mutex;
std::vector<const TRemoveOnSignal*> g_paths;  // in the order they were recorded
std::string g_programName;
std::string g_libraryMessage;
std::atomic<bool> g_exitArmed{false};
std::once_flag g_exitHandlerInstalled;
std::atomic<int> g_endingSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

void EndRunsAtExit() {
  if (!g_exitArmed.exchange(false)) return;
  std::string reason;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    reason = g_libraryMessage.empty() ? "The program ended unexpectedly." : g_libraryMessage;
  }
  EndRuns(reason);
}

void Remove(const TRemoveOnSignal& entry) {
  switch (entry.Kind()) {
    case TRemoveOnSignal::rsFile:
      unlinkat(entry.Folder(), entry.Path().c_str(), 0);
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

TRemoveOnSignal::TRemoveOnSignal(std::string path, TKind kind)
    : TRemoveOnSignal(AT_FDCWD, std::move(path), kind) {}

TRemoveOnSignal::TRemoveOnSignal(int folder, std::string name)
    : TRemoveOnSignal(folder, std::move(name), rsFile) {}

TRemoveOnSignal::TRemoveOnSignal(int folder, std::string path, TKind kind)
    : path_(std::move(path)), kind_(kind), folder_(folder) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_paths.push_back(this);
}

TRemoveOnSignal::~TRemoveOnSignal() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_paths.erase(std::remove(g_paths.begin(), g_paths.end(), this), g_paths.end());
}

void SetEndingProgramName(const std::string& name) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_programName = name;
}

void EndRuns(const std::string& reason) {
  ReleaseMemoryReserve();  // a signal may come when memory is all but gone
  std::lock_guard<std::mutex> lock(g_mutex);
  for (auto it = g_paths.rbegin(); it != g_paths.rend(); ++it) Remove(**it);
  g_paths.clear();
  if (reason.empty()) return;
  const std::string line = (g_programName.empty() ? std::string() : g_programName + ": ") + reason + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

void EndRunsOnUnexpectedExit(bool armed) {
  if (armed) std::call_once(g_exitHandlerInstalled, [] { std::atexit(EndRunsAtExit); });
  g_exitArmed = armed;
}

void NoteLibraryMessage(const std::string& text) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_libraryMessage = text;
}

void EndBySignal(int signal) {
  g_exitArmed = false;
  const char* name = strsignal(signal);
  EndRuns(name != nullptr ? name : "Signal " + std::to_string(signal));
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

void NoteEndingSignal(int signal) {
  g_endingSignal.store(signal, std::memory_order_relaxed);
}

void EndIfSignalled() {
  if (const int signal = g_endingSignal.load(std::memory_order_relaxed)) EndBySignal(signal);
}
