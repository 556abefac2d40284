// What a run puts on the disk only for as long as it works (a file being written under a
// temporary name, a folder of pictures) is removed by the run when it ends, and also when a
// signal ends the program: the run records it here, and the program's signal handling
// (TApplication::EndOnSignals) calls EndBySignal. A wait on a file (a FIFO without a reader)
// ends the same way: the handler records its signal, and the interrupted wait calls
// EndIfSignalled.
#pragma once

#include <string>

/// While it lives, `path` is removed when EndBySignal ends the program.
class TRemoveOnSignal {
 public:
  enum TKind {
    rsFile,             // a file (or a link, never what it names)
    rsFolderWithFiles,  // a folder after the files in it (links are never followed)
    rsEmptyFolder,      // a folder, unless something is left in it
  };
  TRemoveOnSignal(std::string path, TKind kind);
  /// The file `name` in the open folder `folder`, wherever that folder is moved meanwhile;
  /// the descriptor stays its owner's.
  TRemoveOnSignal(int folder, std::string name);
  ~TRemoveOnSignal();
  TRemoveOnSignal(const TRemoveOnSignal&) = delete;
  TRemoveOnSignal& operator=(const TRemoveOnSignal&) = delete;

  const std::string& Path() const { return path_; }
  TKind Kind() const { return kind_; }
  /// The folder that Path is taken in (AT_FDCWD for the current one).
  int Folder() const { return folder_; }

 private:
  TRemoveOnSignal(int folder, std::string path, TKind kind);

  std::string path_;
  TKind kind_;
  int folder_;
};

/// The name that opens the line saying why the program ended early ("ZUK Converter: Hangup").
void SetEndingProgramName(const std::string& name);

/// Removes what the living TRemoveOnSignal objects name, the newest first (a folder's files
/// before the folder that holds them), and says on standard error that the program ends for
/// `reason` (nothing when it is empty).
void EndRuns(const std::string& reason);

/// Says why the program ends and removes the run's files (EndRuns with the signal's name), then
/// ends the program as `signal` does by default, so that its exit status says which signal
/// ended it. Not for a signal handler: the program's own thread calls it once the handler has
/// handed the signal over.
[[noreturn]] void EndBySignal(int signal);

/// While armed, an exit that the program did not ask for (a library that ends the process, as
/// the toolkit does when the connection to the display breaks) still removes the run's files
/// and says why: with the last message the library gave (NoteLibraryMessage).
void EndRunsOnUnexpectedExit(bool armed);
/// Remembers what a library said last, the reason an unexpected exit gives.
void NoteLibraryMessage(const std::string& text);

/// Records that `signal` is to end the program. Safe in a signal handler.
void NoteEndingSignal(int signal);

/// Ends the program by the signal NoteEndingSignal recorded, as EndBySignal does; returns when
/// none was recorded. What a wait on a file calls when a signal interrupted it, or before it
/// would start again: the message loop that takes the signal over does not run meanwhile.
void EndIfSignalled();
