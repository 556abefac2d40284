#include "platform/core/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/core/SysUtils.h"

namespace {
constexpr int kMaxTreeDepth = 64;

TFolderEntryKind KindOf(mode_t mode) {
  if (S_ISLNK(mode)) return TFolderEntryKind::SymLink;
  if (S_ISDIR(mode)) return TFolderEntryKind::Directory;
  if (S_ISREG(mode)) return TFolderEntryKind::File;
  return TFolderEntryKind::Other;
}

bool IsDotOrDotDot(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

/// Reads the entries of an open folder; takes over `fd` (closed on return).
std::vector<TFolderEntry> ReadEntries(int fd) {
  std::vector<TFolderEntry> entries;
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return entries;
  }
  while (const dirent* d = readdir(dir)) {
    if (IsDotOrDotDot(d->d_name)) continue;
    struct stat st;
    if (fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    entries.push_back(TFolderEntry{d->d_name, KindOf(st.st_mode)});
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end(),
            [](const TFolderEntry& a, const TFolderEntry& b) { return FolderNameLess(a.name, b.name); });
  return entries;
}

int OpenFolderNoFollow(int at, const char* path) {
  return openat(at, path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

void EmptyOpenFolder(int fd, const std::function<bool(const std::string&)>& enter, int depth) {
  const int walkFd = dup(fd);  // ReadEntries closes the descriptor it is given
  if (walkFd < 0) return;
  for (const TFolderEntry& e : ReadEntries(walkFd)) {
    if (e.kind != TFolderEntryKind::Directory) {
      unlinkat(fd, e.name.c_str(), 0);
      continue;
    }
    const int sub = OpenFolderNoFollow(fd, e.name.c_str());
    if (sub < 0) continue;  // replaced by a link meanwhile, or not readable
    struct stat st;
    if (fstat(sub, &st) == 0 && (st.st_mode & S_IWUSR) == 0) fchmod(sub, (st.st_mode & 07777) | S_IWUSR);
    if (depth + 1 < kMaxTreeDepth && enter(e.name)) EmptyOpenFolder(sub, enter, depth + 1);
    close(sub);
  }
}
}  // namespace

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(const std::string& path, unsigned mode) {
  return mkdir(path.c_str(), mode) == 0;
}

bool RemoveDir(const std::string& path) {
  return rmdir(path.c_str()) == 0;
}

bool DeleteFile(const std::string& path) {
  return unlink(path.c_str()) == 0;
}

bool ResolveLinks(const std::string& path, std::string& resolved, int& error) {
  constexpr int kMaxLinks = 40;  // as many as the system follows in one path
  resolved = path;
  // A link to a pipe, a socket or a device is written through: the text of a descriptor's link
  // ("pipe:[N]") names nothing, and what the chain ends at is written in place anyway.
  struct stat end;
  if (stat(path.c_str(), &end) == 0 && !S_ISREG(end.st_mode) && !S_ISDIR(end.st_mode)) return true;
  for (int links = 0;; ++links) {
    struct stat st;
    // A name that does not exist (or cannot be looked at) is what a write would try.
    if (lstat(resolved.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    if (links == kMaxLinks) {
      error = ELOOP;
      return false;
    }
    char target[PATH_MAX];
    const ssize_t n = readlink(resolved.c_str(), target, sizeof target);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof target) {
      error = n < 0 ? errno : ENAMETOOLONG;
      return false;
    }
    const std::string next(target, static_cast<size_t>(n));
    const size_t slash = resolved.rfind(PathDelim);
    resolved =
        next[0] == PathDelim || slash == std::string::npos ? next : resolved.substr(0, slash + 1) + next;
  }
}

void OpenClosedStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number is `fd`, those below it being open; without /dev/null (a bare
    // chroot) the root folder, opened as a path only, keeps the number as well.
    int opened = open("/dev/null", O_RDWR);
    if (opened < 0) opened = open("/", O_PATH);
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
}

std::string GetEnvironmentVariable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? std::string(value) : std::string();
}

std::string GetModuleFileName() {
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<size_t>(n));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);  // the path may have been cut short
  }
}

int FileGetAttr(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return -1;
  if (S_ISLNK(st.st_mode)) return faSymLink;
  int attributes = 0;
  if ((st.st_mode & S_IWUSR) == 0) attributes |= faReadOnly;
  if (S_ISDIR(st.st_mode)) attributes |= faDirectory;
  return attributes;
}

bool FileSetAttr(const std::string& path, int attributes) {
  // Open without following a link, so that the change lands on the entry itself.
  const int fd = open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && !S_ISLNK(st.st_mode);
  if (ok) {
    mode_t mode = st.st_mode & 07777;
    mode = (attributes & faReadOnly) ? (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH))
                                     : (mode | S_IWUSR);
    // fchmod does not work on O_PATH descriptors; go through the descriptor's proc entry.
    ok = chmod(("/proc/self/fd/" + std::to_string(fd)).c_str(), mode) == 0;
  }
  close(fd);
  return ok;
}

bool FolderNameLess(const std::string& a, const std::string& b) {
  const int c = CompareText(a, b);
  if (c != 0) return c < 0;
  return a < b;
}

std::vector<TFolderEntry> ListFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return {};
  return ReadEntries(fd);
}

void DeleteFilesInTree(const std::string& folder, const std::function<bool(const std::string&)>& enter) {
  // A trailing delimiter would make the system resolve a link in the last component.
  std::string path = folder;
  while (path.size() > 1 && path.back() == PathDelim) path.pop_back();
  const int fd = OpenFolderNoFollow(AT_FDCWD, path.c_str());
  if (fd < 0) return;
  EmptyOpenFolder(fd, enter, 0);
  close(fd);
}

std::string SystemTempFolder() {
  const std::string tmpdir = ExcludeTrailingPathDelimiter(GetEnvironmentVariable("TMPDIR"));
  if (!tmpdir.empty() && DirectoryExists(tmpdir)) return tmpdir;
  return "/tmp";
}

bool EnsurePrivateFolder(const std::string& path, int& error) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    error = errno;
    return false;
  }
  // Checked through a descriptor opened without following links, so that what is checked is
  // what stays open while its mode is narrowed.
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    error = errno == ELOOP || errno == ENOTDIR ? kNotARealFolder : errno;
    return false;
  }
  struct stat st;
  bool ok = fstat(fd, &st) == 0;
  if (!ok) {
    error = errno;
  } else if (st.st_uid != geteuid()) {
    error = kOwnedByAnotherUser;
    ok = false;
  } else if ((st.st_mode & 07777) != 0700 && fchmod(fd, 0700) != 0) {
    error = errno;
    ok = false;
  }
  close(fd);
  return ok;
}
