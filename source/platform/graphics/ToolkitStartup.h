// Private to the platform layer: what the process needs to be ready for Qt's application object.
// The window platform falls back to running without a display when the named one cannot be
// opened, Qt gets a runtime folder that goes away again, and Qt's own messages stay off
// standard error unless ZUK_QT_MESSAGES is set.
#pragma once

#include <optional>
#include <string>

#include "platform/core/SignalCleanup.h"

/// Held while the application object is made: the constructor prepares the environment and
/// the destructor gives back what the construction no longer needs (the environment is left
/// as it was, so programs started later see the user's own).
class TToolkitStartup {
 public:
  TToolkitStartup();
  ~TToolkitStartup();
  TToolkitStartup(const TToolkitStartup&) = delete;
  TToolkitStartup& operator=(const TToolkitStartup&) = delete;

 private:
  std::string platformSet_;    // the platform list put into QT_QPA_PLATFORM, "" when the user's
  std::string runtimeFolder_;  // the lent runtime folder, "" when the environment had one
  std::optional<TRemoveOnSignal> runtimeOnEnd_;  // goes also when a fatal message ends the start
};

/// The display the environment named that could not be opened (the program then runs without
/// one); "" when it opened, when none was named or when the user chose the platform.
std::string UnopenedDisplay();
