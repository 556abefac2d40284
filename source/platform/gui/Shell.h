// The desktop shell: opening a web address or a document in the user's preferred program.
#pragma once

#include <string>

/// Starts `program` (the desktop's opener by default) with `target` as its one argument,
/// without a shell, and does not wait. False when the program could not be started.
bool ShellOpen(const std::string& target, const std::string& program = "xdg-open");
