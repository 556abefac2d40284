// Qt decides a few things once, while its application object is made, and some of them would
// surprise a command-line user: a DISPLAY naming no reachable server aborts the process, a
// missing XDG_RUNTIME_DIR leaves a "runtime-<user>" folder in the temporary folder for good,
// and the platform plugins print notes meant for developers. Each is settled here, before
// the object is made, and undone right after where it touches the environment.
#include "platform/graphics/ToolkitStartup.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "platform/core/Files.h"
#include "platform/core/SignalCleanup.h"

namespace {

std::string g_unopenedDisplay;
std::string g_displayTried;  // the display behind the platform list this process set

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != 0;
}

bool g_printToolkitMessages = false;

/// Qt's messages reach standard error only when a developer asks for them. A fatal one ends the
/// process: the run's files go and the message says why. A warning may be the last word before
/// the toolkit ends the process itself (the display connection broke): it is kept as the reason.
void MessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  const std::string text = message.toLocal8Bit().toStdString();
  if (g_printToolkitMessages) std::fprintf(stderr, "%s\n", text.c_str());
  if (type == QtFatalMsg)
    EndRuns(g_printToolkitMessages ? std::string() : text);
  else if (type == QtWarningMsg || type == QtCriticalMsg)
    NoteLibraryMessage(text);
}

void InstallMessageHandler() {
  g_printToolkitMessages = IsSet("ZUK_QT_MESSAGES");
  qInstallMessageHandler(MessageHandler);
}

/// The platforms to try, native first, then none: "" when the user named the platform.
std::string PlatformList() {
  if (IsSet("QT_QPA_PLATFORM")) return {};
  std::string list;
  if (IsSet("WAYLAND_DISPLAY")) list += "wayland;";
  if (IsSet("DISPLAY")) list += "xcb;";
  return list + "offscreen";
}

/// Removes a folder tree that this process made, without following links.
void RemoveTree(const std::string& folder, int depth = 0) {
  if (depth == 0) DeleteFilesInTree(folder, [](const std::string&) { return true; });
  if (depth < 64) {
    for (const TFolderEntry& entry : ListFolder(folder))
      if (entry.kind == TFolderEntryKind::Directory) RemoveTree(folder + "/" + entry.name, depth + 1);
  }
  RemoveDir(folder);
}

}  // namespace

TToolkitStartup::TToolkitStartup() {
  InstallMessageHandler();
  platformSet_ = PlatformList();
  if (!platformSet_.empty()) {
    const char* display = std::getenv(IsSet("DISPLAY") ? "DISPLAY" : "WAYLAND_DISPLAY");
    g_displayTried = display != nullptr ? display : "";
    setenv("QT_QPA_PLATFORM", platformSet_.c_str(), 1);
  }
  if (!IsSet("XDG_RUNTIME_DIR")) {
    std::string pattern = SystemTempFolder() + "/zuk-runtime-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) {
      runtimeFolder_ = pattern;
      runtimeOnEnd_.emplace(runtimeFolder_, TRemoveOnSignal::rsFolderWithFiles);
      setenv("XDG_RUNTIME_DIR", runtimeFolder_.c_str(), 1);
    }
  }
}

TToolkitStartup::~TToolkitStartup() {
  if (!platformSet_.empty()) {
    unsetenv("QT_QPA_PLATFORM");
    // The list ends with running without a display: landing there means the display failed.
    if (platformSet_ != "offscreen" && QGuiApplication::platformName() == "offscreen")
      g_unopenedDisplay = g_displayTried;
  }
  if (!runtimeFolder_.empty()) {
    unsetenv("XDG_RUNTIME_DIR");
    runtimeOnEnd_.reset();
    RemoveTree(runtimeFolder_);
  }
}

std::string UnopenedDisplay() {
  return g_unopenedDisplay;
}
