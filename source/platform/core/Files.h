// Files and folders: existence tests, creating and deleting, the read-only attribute, the
// program's own path, environment variables, sorted folder listings and emptying a folder
// tree without ever following a symbolic link.
#pragma once

#include <functional>
#include <string>
#include <vector>

/// True when the path names an existing entry that is not a folder (links are followed).
bool FileExists(const std::string& path);
/// True when the path names an existing folder (links are followed).
bool DirectoryExists(const std::string& path);
/// Creates one folder level with the given permission bits; false when it cannot.
bool CreateDir(const std::string& path, unsigned mode = 0777);
/// Removes an empty folder; false when it cannot.
bool RemoveDir(const std::string& path);
/// Deletes a file; a symbolic link is removed itself, never its target. False when it cannot.
bool DeleteFile(const std::string& path);
/// The name that writing to `path` writes: when `path` is a symbolic link, the name its chain
/// of links ends at, whether or not that exists (a link to nothing names the file a write
/// makes); otherwise `path` itself, also when the chain ends at a pipe, a socket or a device.
/// A relative link is taken from the folder of the link.
/// False, with the system's reason in `error`, when a link cannot be read or the chain is
/// longer than 40 links (ELOOP).
bool ResolveLinks(const std::string& path, std::string& resolved, int& error);

/// Opens /dev/null on each of standard input, output and error that the process was started
/// with closed, so that the descriptors it opens itself (a pipe, the display's connection)
/// never take their numbers and receive what is written there. Called first thing at start.
void OpenClosedStandardDescriptors();

/// The value of an environment variable, "" when it is unset.
std::string GetEnvironmentVariable(const std::string& name);
/// The full path of the running program ("" when it cannot be found).
std::string GetModuleFileName();

// File attributes, as far as the platform has them.
constexpr int faReadOnly = 0x01;   // the owner may not write
constexpr int faDirectory = 0x10;  // a folder
constexpr int faSymLink = 0x400;   // a symbolic link (never followed)

/// The attributes of an entry without following a link; -1 when it does not exist.
int FileGetAttr(const std::string& path);
/// Sets or clears faReadOnly (the owner's write permission). Links are left alone (false).
bool FileSetAttr(const std::string& path, int attributes);

enum class TFolderEntryKind { File, Directory, SymLink, Other };

struct TFolderEntry {
  std::string name;
  TFolderEntryKind kind;
};

/// True when `a` sorts before `b` in folder listings: case-insensitively (ASCII), then by bytes.
bool FolderNameLess(const std::string& a, const std::string& b);

/// The entries of a folder except "." and "..", sorted with FolderNameLess. Kinds are those
/// of the entries themselves (a link is a SymLink, whatever it points to). Empty when the
/// folder cannot be read.
std::vector<TFolderEntry> ListFolder(const std::string& folder);

/// Deletes the files of a folder tree and keeps its folders. Every entry that is not a
/// folder is deleted (a symbolic link is removed itself); a subfolder is made writable by its
/// owner when it is not and, when `enter` answers true for its name, emptied the same way.
/// The walk holds each folder open by descriptor and never follows a symbolic link (a
/// `folder` that is itself a link is left alone); it stops 64 levels deep. Failures are
/// skipped.
void DeleteFilesInTree(const std::string& folder, const std::function<bool(const std::string&)>& enter);

/// The system TEMP folder: $TMPDIR when it is set and names a folder, else "/tmp"; without a
/// trailing delimiter.
std::string SystemTempFolder();

/// Why EnsurePrivateFolder refused a folder, besides a system error (an errno value).
constexpr int kNotARealFolder = -1;  // not a folder, or a symbolic link
constexpr int kOwnedByAnotherUser = -2;

/// Makes sure that `path` is a folder of the user's own that nobody else may enter: creates it
/// with mode 0700 when it is missing, then checks that it is a real folder (not a symbolic
/// link) owned by the user and narrows its permissions to 0700. On failure answers false and
/// puts the reason into `error`: an errno value, kNotARealFolder or kOwnedByAnotherUser.
bool EnsurePrivateFolder(const std::string& path, int& error);
