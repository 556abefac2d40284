#include "exam/ZUKConverter.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <stdlib.h>
#include <string.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "common/units/LocalizationStore.h"
#include "common/units/Routines.h"
#include "exam/ZUKException.h"
#include "exam/ZUKExportView.h"
#include "exam/ZUKQuestion.h"
#include "exam/ZUKRoutine.h"
#include "exam/ZUKStream.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"
#include "platform/core/SignalCleanup.h"
#include "platform/core/Strings.h"
#include "platform/core/SysUtils.h"
#include "richtext/core/RVStyle.h"

namespace {

const uint8_t kMobileMagic[] = {0x9D, 0x41, 0x01};
/// Body only, existing image files reused, no default-font markup, image sizes.
constexpr TRVHTMLSaveOptions kBlockHTMLOptions = 0x55;
/// Choices are lettered A to Z.
constexpr int32_t kMaxChoices = 26;
/// Where Linux keeps a file system in memory that every user may make folders in.
constexpr char kSharedMemoryFolder[] = "/dev/shm";

/// The message of language-table entry `key` for a file the system refused: the file's name
/// and the system's reason (which stays as the system words it).
std::string FileErrorText(const char* key, const std::string& fileName, int error) {
  return Format(LocalizedText(key), {fileName, error != 0 ? SysErrorMessage(error) : std::string()});
}

/// The error for a source that cannot be read: the system's reason, or with `error` 0 that the
/// source is not a regular file.
EFOpenError SourceError(const std::string& fileName, int error) {
  const std::string reason = error != 0 ? SysErrorMessage(error) : LocalizedText("NOT_A_REGULAR_FILE");
  return EFOpenError(Format(LocalizedText("CANNOT_OPEN_FILE"), {fileName, reason}), fileName, error);
}

/// The source file, open for reading. Only a regular file is taken, and it is opened without
/// waiting: opening a FIFO waits for a writer, and reading a device may never end.
std::unique_ptr<TStream> OpenSource(const std::string& fileName) {
  const int fd = open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) throw SourceError(fileName, errno);
  struct stat st;
  int error = 0;
  if (fstat(fd, &st) != 0) {
    error = errno;
  } else if (S_ISDIR(st.st_mode)) {
    error = EISDIR;
  } else if (S_ISREG(st.st_mode)) {
    if (fcntl(fd, F_SETFL, 0) == 0) return std::make_unique<TFileStream>(fd, fileName);
    error = errno;
  }
  close(fd);
  throw SourceError(fileName, error);
}

/// The part of `name` that a hidden temporary name, "." + part + ".XXXXXX", in `folder` can
/// hold: all of it, unless the name is within 8 bytes of the folder's limit on a name's length.
/// The cut falls between characters.
std::string TemporaryNameBase(const std::string& folder, const std::string& name) {
  constexpr long kAdded = 8;
  const long limit = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  const auto room = static_cast<size_t>(std::max(limit > 0 ? limit : NAME_MAX, kAdded) - kAdded);
  if (name.size() <= room) return name;
  size_t end = room;
  while (end > 0 && (static_cast<uint8_t>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

/// A descriptor of the process's own on `socket`, duplicated, or -1: a socket cannot be opened by
/// name, but /dev/stdout may name one the process was given.
int DuplicateOwnDescriptorOf(const struct stat& socket) {
  for (const TFolderEntry& entry : ListFolder("/proc/self/fd")) {
    const int fd = atoi(entry.name.c_str());
    struct stat st;
    if (fstat(fd, &st) == 0 && st.st_dev == socket.st_dev && st.st_ino == socket.st_ino)
      return fcntl(fd, F_DUPFD_CLOEXEC, 0);
  }
  return -1;
}

/// The target file, written through a buffer. A new target or a regular file is made under a
/// hidden temporary name in the target's folder and renamed over the target by Commit;
/// destroyed without Commit, or when a signal ends the program first, it removes itself and
/// the target stays as it was. A target that exists and is something else (a device, a FIFO)
/// is written where it is. `target` names no link (ResolveLinks): the rename would replace the
/// link, not the file it names. The temporary file is made, removed and renamed in the target's
/// folder held open, so that a folder moved meanwhile keeps no partial file.
class TTargetFile : public TStream {
 public:
  explicit TTargetFile(const std::string& target) : target_(target), name_(ExtractFileName(target)) {
    inPlace_ = OpenInPlace();
    if (!inPlace_) CreateTemporary();
    buffer_.reserve(kBufferSize);
  }
  ~TTargetFile() override {
    if (fd_ >= 0) close(fd_);
    if (!committed_ && !temp_.empty()) unlinkat(folder_, temp_.c_str(), 0);
    removeOnSignal_.reset();
    if (folder_ >= 0) close(folder_);
  }
  TTargetFile(const TTargetFile&) = delete;
  TTargetFile& operator=(const TTargetFile&) = delete;

  int64_t Read(void*, int64_t) override { throw EReadError("Stream read error"); }

  int64_t Write(const void* data, int64_t count) override {
    if (count <= 0) return 0;
    if (reserved_ != 0) throw EStreamError("The target file is written from start to end");
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (buffer_.size() + static_cast<size_t>(count) > kBufferSize) Flush();
    if (static_cast<size_t>(count) >= kBufferSize) {
      WriteAll(bytes, static_cast<size_t>(count));
    } else {
      buffer_.insert(buffer_.end(), bytes, bytes + count);
    }
    position_ += count;
    return count;
  }

  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    if (origin == soCurrent && offset >= 0 && offset <= reserved_) {
      // Moving over reserved bytes takes them as written.
      position_ += offset;
      reserved_ -= offset;
      return position_;
    }
    throw EStreamError("The target file is written from start to end");
  }

  int64_t Size() override { return position_ + reserved_; }

  /// Lends room in the buffer, so that a scrambled block is written into it in one pass.
  uint8_t* ReserveMemory(int64_t count) override {
    if (count <= 0 || static_cast<size_t>(count) > kBufferSize || reserved_ != 0) return nullptr;
    if (buffer_.size() + static_cast<size_t>(count) > kBufferSize) Flush();
    const size_t at = buffer_.size();
    buffer_.resize(at + static_cast<size_t>(count));
    reserved_ = count;
    return buffer_.data() + at;
  }

  /// Puts the whole file on the disk and in the target's place.
  void Commit() {
    Flush();
    if (inPlace_) {
      const int fd = fd_;
      fd_ = -1;
      if (close(fd) != 0) Fail(errno);
      committed_ = true;
      return;
    }
    if (fchmod(fd_, TargetMode()) != 0 || fsync(fd_) != 0) Fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) Fail(errno);
    const int replaced = OpenReplacedTarget();
    if (renameat(folder_, temp_.c_str(), folder_, name_.c_str()) != 0) {
      const int error = errno;
      if (replaced >= 0) close(replaced);
      Fail(error);
    }
    committed_ = true;
    removeOnSignal_.reset();
    if (replaced >= 0) LetGoInBackground(replaced);
  }

 private:
  static constexpr size_t kBufferSize = 256 * 1024;
  static constexpr int64_t kStartWriteBack = 1024 * 1024;

  /// Opens a target that exists and is neither a regular file nor a folder, to be written where
  /// it is as an overwriting file stream would: a rename would put a file in place of a device.
  /// Opening a FIFO waits for its reader, until a signal ends the program; a socket is written
  /// through the process's own descriptor of it.
  bool OpenInPlace() {
    struct stat st;
    if (stat(target_.c_str(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) return false;
    do {
      EndIfSignalled();
      fd_ = open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
      const int error = errno;
      if (error == ENXIO && S_ISSOCK(st.st_mode)) fd_ = DuplicateOwnDescriptorOf(st);
      if (fd_ < 0) FailToCreate(error);
    }
    if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return true;
    // Made a regular file since it was looked at: that one is replaced like any other.
    close(fd_);
    fd_ = -1;
    return false;
  }

  /// Makes "." + name + "." + six random letters and digits in the target's folder.
  void CreateTemporary() {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const std::string folder = ExtractFilePath(target_);
    folder_ = open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) FailToCreate(errno);
    const std::string base = "." + TemporaryNameBase(folder, name_) + ".";
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
      std::array<uint8_t, 6> random{};
      if (getrandom(random.data(), random.size(), 0) != static_cast<ssize_t>(random.size())) break;
      std::string name = base;
      for (uint8_t r : random) name += kLetters[r % (sizeof kLetters - 1)];
      fd_ = openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (fd_ >= 0) temp_ = std::move(name);
      if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
      const int error = errno;
      close(folder_);  // the destructor does not run when the constructor throws
      folder_ = -1;
      FailToCreate(error);
    }
    removeOnSignal_.emplace(folder_, temp_);
  }

  void Flush() {
    WriteAll(buffer_.data(), buffer_.size());
    written_ += static_cast<int64_t>(buffer_.size());
    buffer_.clear();
    // The disk starts on what was written while the rest is made, so that the fsync of
    // Commit has only the last part to wait for; a file system that cannot ignores the call.
    if (written_ - started_ >= kStartWriteBack) {
      sync_file_range(fd_, started_, written_ - started_, SYNC_FILE_RANGE_WRITE);
      started_ = written_;
    }
  }

  void WriteAll(const uint8_t* bytes, size_t count) {
    while (count > 0) {
      EndIfSignalled();  // a signal may have cut the last wait for a FIFO's reader short
      const ssize_t n = write(fd_, bytes, count);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) Fail(n < 0 ? errno : ENOSPC);
      bytes += n;
      count -= static_cast<size_t>(n);
    }
  }

  [[noreturn]] void FailToCreate(int error) const {
    throw EFCreateError(FileErrorText("CANNOT_CREATE_FILE", target_, error), target_, error);
  }

  [[noreturn]] void Fail(int error) const {
    throw EWriteError(FileErrorText("CANNOT_WRITE_FILE", target_, error), target_, error);
  }

  /// The regular file that the rename will replace, held open, or -1. The rename lets go of
  /// its last name, and the last descriptor frees its content, which for a large file takes
  /// a good part of a conversion; the descriptor moves that to LetGoInBackground.
  int OpenReplacedTarget() const {
    const int fd = openat(folder_, name_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      close(fd);
      return -1;
    }
    return fd;
  }

  /// Closes `fd` on a thread of its own, or here when no thread can be started.
  static void LetGoInBackground(int fd) {
    try {
      std::thread([fd] { close(fd); }).detach();
    } catch (const std::system_error&) {
      close(fd);
    }
  }

  /// An existing target keeps its permissions; a new one gets those of a newly created file.
  mode_t TargetMode() const {
    struct stat st;
    if (fstatat(folder_, name_.c_str(), &st, 0) == 0) return st.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
  }

  std::string target_;
  std::string name_;  // the target's name in its folder
  int folder_ = -1;   // the target's folder, for a target that is renamed into place
  std::string temp_;  // the temporary file's name in folder_
  std::optional<TRemoveOnSignal> removeOnSignal_;  // temp_ until it has become the target
  int fd_ = -1;
  bool inPlace_ = false;  // written where it is, not renamed
  bool committed_ = false;
  int64_t position_ = 0;
  /// Bytes lent by ReserveMemory that the position has not passed yet.
  int64_t reserved_ = 0;
  std::vector<uint8_t> buffer_;
  int64_t written_ = 0;  // bytes handed to the file system
  int64_t started_ = 0;  // bytes the disk was asked to take
};

/// Memory file systems are often small (a container's may hold 64 MB): one with less room
/// than this for a block's pictures is not used.
constexpr uint64_t kMinMemoryFolderSpace = 256 * 1024 * 1024;

/// Whether `path` is on a file system held in memory, with room for the run's pictures.
bool IsInMemory(const std::string& path) {
  struct statfs fs;
  return statfs(path.c_str(), &fs) == 0 && static_cast<unsigned long>(fs.f_type) == TMPFS_MAGIC &&
         static_cast<uint64_t>(fs.f_bavail) * static_cast<uint64_t>(fs.f_bsize) >= kMinMemoryFolderSpace;
}

/// The user's runtime folder when it is in memory and the user's alone; "" otherwise.
std::string PrivateRuntimeFolder() {
  const std::string folder = GetEnvironmentVariable("XDG_RUNTIME_DIR");
  struct stat st;
  if (folder.empty() || folder[0] != '/' || lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
      st.st_uid != geteuid() || (st.st_mode & 077) != 0 || !IsInMemory(folder))
    return {};
  return folder;
}

/// The folder that the run's folder is made in. Every picture of every block is written,
/// read back and deleted there, which costs several times as much on a disk as in memory:
/// unless TMPDIR names the place, a folder of the user's own on a file system in memory is
/// taken when there is one (the runtime folder, else the shared memory one). Otherwise, and
/// whenever such a folder cannot be made private, the user's private temporary folder.
std::string RunFolderParent() {
  if (GetEnvironmentVariable("TMPDIR").empty()) {
    std::string base = PrivateRuntimeFolder();
    if (base.empty() && IsInMemory(kSharedMemoryFolder)) base = kSharedMemoryFolder;
    int error = 0;
    const std::string folder = base + "/zuk-" + std::to_string(geteuid());
    if (!base.empty() && EnsurePrivateFolder(folder, error)) return folder;
  }
  return GetPrivateTempFolder();
}

/// A folder of the run's own for the picture files of one block at a time: made fresh, mode
/// 0700, inside a folder private to the user (RunFolderParent), and removed with its files at
/// the end (also when a signal ends the program), together with the user's folder when no
/// other run is using it.
class TRunFolder {
 public:
  TRunFolder() {
    // Another run that ends may remove the user's folder just after it was made sure of.
    int error = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
      parent_ = RunFolderParent();
      std::string pattern = parent_ + "/zuk_converter-XXXXXX";
      if (mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern + "/";
        parentOnSignal_.emplace(parent_, TRemoveOnSignal::rsEmptyFolder);
        pathOnSignal_.emplace(path_, TRemoveOnSignal::rsFolderWithFiles);
        return;
      }
      error = errno;
      if (error != ENOENT) break;
    }
    throw ETempFolderError(
        Format(LocalizedText("CANNOT_CREATE_TEMP_FOLDER"), {parent_, SysErrorMessage(error)}));
  }
  ~TRunFolder() {
    Empty();
    RemoveDir(path_);
    RemoveDir(parent_);  // fails, as it should, while other runs have folders there
  }
  TRunFolder(const TRunFolder&) = delete;
  TRunFolder& operator=(const TRunFolder&) = delete;

  /// The folder, ending in "/".
  const std::string& Path() const { return path_; }
  void Empty() const { DeleteFolderFiles(path_); }
  /// Deletes the files an export reported, which saves listing the folder; anything that
  /// cannot be deleted that way sends it to Empty.
  void Remove(const std::vector<TRVHTMLImageFile>& files) const {
    for (const TRVHTMLImageFile& file : files) {
      if (unlink(file.FileName.c_str()) != 0 && errno != ENOENT) {
        Empty();
        return;
      }
    }
  }

 private:
  std::string parent_;
  std::string path_;
  std::optional<TRemoveOnSignal> parentOnSignal_;
  std::optional<TRemoveOnSignal> pathOnSignal_;
};

/// The number of parts held in a question's parts stream, read from its start: a part whose
/// length runs past the end is not counted.
int32_t CountParts(TStream& parts) {
  parts.SetPosition(0);
  int32_t count = 0;
  while (parts.Remaining() >= 4) {
    const int32_t n = ReadInt32(parts);
    if (n > parts.Remaining()) break;
    if (n > 0) parts.Seek(n, soCurrent);
    ++count;
  }
  return count;
}

/// False for control characters and for the invisible ones that hide or reorder the text
/// around them (soft hyphen, zero-width and direction marks, line separators, word joiners).
bool IsPrintable(char32_t ch) {
  if (ch < 0x20 || (ch >= 0x7F && ch <= 0x9F)) return false;
  return ch != 0xAD && !(ch >= 0x200B && ch <= 0x200F) && !(ch >= 0x2028 && ch <= 0x202E) &&
         !(ch >= 0x2060 && ch <= 0x206F) && ch != 0xFEFF;
}

/// Text read from a file as a message shows it: printable characters as they are, a backslash
/// doubled, every other byte (of a control character, or not UTF-8) as \xHH; at most
/// `maxBytes` bytes of `text`, in whole characters, followed by "..." when there is more.
std::string Printable(std::string_view text, size_t maxBytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  size_t at = 0;
  while (at < text.size()) {
    char32_t ch = 0;
    const size_t length = DecodeUTF8Char(text.substr(at), ch);
    const size_t taken = length == 0 ? 1 : length;
    if (at + taken > maxBytes) return shown + "...";
    if (length == 1 && ch == '\\') {
      shown += "\\\\";
    } else if (length != 0 && IsPrintable(ch)) {
      shown.append(text.substr(at, length));
    } else {
      for (size_t i = at; i < at + taken; ++i) {
        const auto byte = static_cast<uint8_t>(text[i]);
        shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
      }
    }
    at += taken;
  }
  return shown;
}

/// A picture's kind as a user knows it: its file format for the graphic classes the program
/// has, else the class its record names, cut short and made printable (it comes from the file).
std::string PictureKind(const std::string& className) {
  static constexpr std::pair<const char*, const char*> kFormats[] = {
      {"TBitmap", "BMP"}, {"TJPEGImage", "JPEG"},   {"TGIFImage", "GIF"},
      {"TIcon", "ICO"},   {"TMetafile", "WMF/EMF"},
  };
  for (const auto& [name, format] : kFormats)
    if (SameText(className, name)) return format;
  constexpr size_t kMaxShown = 40;
  return Printable(className, kMaxShown);
}

/// `text`, then what a picture's decoder or encoder said of it ("Picture is too large (...)"), when
/// it said anything: the person learns why, not only where.
std::string WithReason(std::string text, const std::string& reason) {
  constexpr size_t kMaxReason = 200;
  if (!reason.empty()) text += " " + Printable(reason, kMaxReason);
  return text;
}

std::string ChoiceBlockName(int32_t index) {
  return std::string("choice") + static_cast<char>('A' + index);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The state of one SaveMobile

class TZUKConverter::TRun {
 public:
  explicit TRun(TZUKExportView& viewer) : viewer_(viewer) {
    if (TRVStyle* sheet = viewer.GetStyle()) {
      original_ = std::make_unique<TRVStyle>();
      original_->SetTextStyles(sheet->TextStyles());
      original_->SetParaStyles(sheet->ParaStyles());
      original_->SetListStyles(sheet->ListStyles());
      RememberSheet();
    }
  }
  /// Leaves the viewer's sheet as the run found it.
  ~TRun() { RestoreSheet(); }
  TRun(const TRun&) = delete;
  TRun& operator=(const TRun&) = delete;

  /// A part's own style block and background colour apply to that part only.
  void PreparePart() {
    RestoreSheet();
    viewer_.SetColor(clNone);
  }

  const TRunFolder& Folder() const { return folder_; }
  /// The stream a block's HTML is written into; one for the run saves making one per block.
  TMemoryStream& HTML() { return html_; }
  /// The cleaned HTML of a block, kept for the same reason.
  std::string& CleanedHTML() { return cleaned_; }

 private:
  /// What tells whether a collection is still the one the run found: its size and the
  /// identities of its first and last items. Every item added to a collection gets a new ID,
  /// and a part's style block either replaces the whole collection (which gives every item a
  /// new one) or adds to it; comparing every item's ID for every part would cost more.
  struct TSheetMark {
    int count = 0;
    int first = 0;
    int last = 0;
    bool operator==(const TSheetMark&) const = default;
  };
  static TSheetMark MarkOf(const TCollection& styles) {
    const int count = styles.Count();
    if (count == 0) return {};
    return {count, styles.Items(0)->ID(), styles.Items(count - 1)->ID()};
  }
  void RememberSheet() {
    const TRVStyle& sheet = *viewer_.GetStyle();
    marks_ = {MarkOf(sheet.TextStyles()), MarkOf(sheet.ParaStyles()), MarkOf(sheet.ListStyles())};
  }
  /// Puts back the collections that the last part changed; copying them all for every part
  /// would cost more than reading most parts.
  void RestoreSheet() {
    TRVStyle* sheet = viewer_.GetStyle();
    if (!original_ || !sheet) return;
    bool restored = false;
    auto restore = [&](const TCollection& now, const TSheetMark& mark, auto put) {
      if (MarkOf(now) == mark) return;
      put();
      restored = true;
    };
    restore(sheet->TextStyles(), marks_[0], [&] { sheet->SetTextStyles(original_->TextStyles()); });
    restore(sheet->ParaStyles(), marks_[1], [&] { sheet->SetParaStyles(original_->ParaStyles()); });
    restore(sheet->ListStyles(), marks_[2], [&] { sheet->SetListStyles(original_->ListStyles()); });
    if (restored) RememberSheet();
  }

  TZUKExportView& viewer_;
  std::unique_ptr<TRVStyle> original_;
  std::array<TSheetMark, 3> marks_;
  TRunFolder folder_;
  TMemoryStream html_;
  std::string cleaned_;
};

namespace {

/// Writes the exam tree in the mobile layout.
class TMobileWriter {
 public:
  TMobileWriter(TZUKConverter& converter, TStream& out, TZUKExportView& viewer)
      : converter_(converter), out_(out), viewer_(viewer) {}

  void WriteDescription() {
    WriteBool(converter_.Properties.DescriptionFlag, out_);
    if (!converter_.Properties.DescriptionFlag) return;
    if (!WriteBlock(converter_.RawDescription, "desc"))
      throw PartError(LocalizedText("DESCRIPTION_NOT_CONVERTED"),
                      LocalizedText("DESCRIPTION_PICTURE_NOT_DECODED"), {});
  }

  void WriteExams() {
    TZUKExamCollection& collection = converter_.ExamCollection;
    std::vector<std::vector<TQuestion*>> exams;
    int32_t total = 0;
    int32_t withQuestions = 0;
    for (int i = 0; i < collection.ChildCount(); ++i) {
      exams.push_back(QuestionsOf(*collection.Exam(i)));
      total += static_cast<int32_t>(exams.back().size());
      if (!exams.back().empty()) ++withQuestions;
    }
    collection.TotalQuestions = total;
    collection.WrittenQuestions = 0;
    WriteInt32(withQuestions, out_);
    for (size_t i = 0; i < exams.size(); ++i) {
      if (exams[i].empty()) continue;
      TZUKExam& exam = *collection.Exam(static_cast<int>(i));
      const std::string examName = collection.GetChildCaption(static_cast<int>(i));
      WriteInt32(static_cast<int32_t>(exams[i].size()), out_);
      for (size_t q = 0; q < exams[i].size(); ++q) {
        WriteQuestion(*exams[i][q], examName, static_cast<int32_t>(q) + 1);
        ++collection.WrittenQuestions;
        exam.Notify(out_, false);
      }
    }
  }

 private:
  /// The questions of an exam in tree order; those of a case-study exam are those of its sets.
  static std::vector<TQuestion*> QuestionsOf(TZUKExam& exam) {
    std::vector<TQuestion*> questions;
    for (int i = 0; i < exam.ChildCount(); ++i) {
      TTreeNodeHolder* child = exam.Child(i);
      if (auto* question = dynamic_cast<TQuestion*>(child)) {
        questions.push_back(question);
      } else if (auto* set = dynamic_cast<TZUKQuestionContainer*>(child)) {
        for (int j = 0; j < set->ChildCount(); ++j)
          if (TQuestion* q = set->Question(j)) questions.push_back(q);
      }
    }
    return questions;
  }

  void WriteQuestion(TQuestion& question, const std::string& examName, int32_t number) {
    auto* choice = dynamic_cast<TMultipleChoiceQuestion*>(&question);
    if (choice && (choice->ChoiceCount < 0 || choice->ChoiceCount > kMaxChoices))
      throw EZUKIncorrectFileFormat();
    WriteByte(question.QuestionType, out_);
    WriteInt32(question.SectionId, out_);
    WriteInt32(question.Setting, out_);
    WriteInt32(question.ExhibitCount, out_);
    WriteExhibits(question);
    if (!choice) return;

    question.QuestionParts.SetPosition(0);
    auto block = [&](const std::string& name) {
      if (WritePartBlock(question.QuestionParts, name)) return;
      // A choice count that the parts cannot hold is the file's fault, whatever its parts hold.
      CheckChoiceCount(*choice);
      throw PartError(LocalizedText("PART_NOT_CONVERTED"), LocalizedText("PICTURE_NOT_DECODED"),
                      {examName, IntToStr(number), name});
    };
    WriteBool(choice->Flag1, out_);
    block("question");
    WriteBool(choice->HasCaseStudy, out_);
    if (choice->HasCaseStudy) {
      WriteScrambledString(choice->CaseStudyTitle, out_);
      block("casestudy");
    }
    WriteInt32(choice->ChoiceCount, out_);
    for (int32_t i = 0; i < choice->ChoiceCount; ++i) block(ChoiceBlockName(i));
    WriteScrambledString(choice->AnswerText(), out_);
    block("expl");
    CheckChoiceCount(*choice);
  }

  /// The error for a part that could not be converted, named by `where` in `partText`. When
  /// one of its pictures could not be decoded, `pictureText` says which: its number in the
  /// part and its kind follow the names.
  EZUKConversionError PartError(const std::string& partText, const std::string& pictureText,
                                std::vector<FormatArg> where) const {
    // A picture that could not be made fails its part at once, so a report that names one
    // is this part's.
    const TRVFPictureReport& pictures = viewer_.GetRVFPictureReport();
    if (pictures.FirstUnreadNo == 0)
      return EZUKConversionError(WithReason(Format(partText, where), viewer_.PictureFileError().Reason));
    where.insert(where.end(), {IntToStr(pictures.FirstUnreadNo), PictureKind(pictures.FirstUnreadClass)});
    return EZUKConversionError(WithReason(Format(pictureText, where), pictures.FirstUnreadReason));
  }

  /// Raises EZUKIncorrectFileFormat for a choice count above the number of parts. The parts
  /// are counted once the blocks are written: a question's parts were loaded long before, and
  /// walking their lengths first would miss the cache at every part, where reading them in
  /// order does not. Any exception ends the conversion, so the check may come last.
  static void CheckChoiceCount(TMultipleChoiceQuestion& choice) {
    if (choice.ChoiceCount > CountParts(choice.QuestionParts)) throw EZUKIncorrectFileFormat();
  }

  void WriteExhibits(TQuestion& question) {
    TMemoryStream& exhibits = question.Exhibits;
    exhibits.SetPosition(0);
    try {
      for (int i = 0; i < question.ExhibitCount; ++i) {
        // Title length, kind and image length: a record shorter than that is cut off.
        if (exhibits.Remaining() < 9) throw EZUKIncorrectFileFormat();
        WriteScrambledString(ReadString(exhibits), out_);
        WriteByte(ReadByte(exhibits), out_);
        TMemoryStream image;
        ReadStream(exhibits, image);
        WriteScrambledStream(image, out_);
      }
    } catch (const EReadError&) {
      throw EZUKIncorrectFileFormat();
    }
  }

  /// Reads the next part of `parts` and writes its block; a part that is missing is an empty
  /// document. The part is read where it lies in `parts`. False when the part cannot be read
  /// or converted.
  bool WritePartBlock(TMemoryStream& parts, const std::string& name) {
    std::span<const uint8_t> bytes;
    try {
      bytes = ReadStreamInPlace(parts);
    } catch (const EReadError&) {
      return false;
    }
    TBytesStream part(bytes.data(), static_cast<int64_t>(bytes.size()));
    return WriteBlock(part, name);
  }

  bool WriteBlock(TStream& source, const std::string& name) {
    if (!converter_.WriteHTMLBlock(source, block_, name, viewer_)) return false;
    WriteScrambledStream(block_, out_);
    return true;
  }

  TZUKConverter& converter_;
  TStream& out_;
  TZUKExportView& viewer_;
  /// Every block is made in this stream in turn, which keeps its memory from one to the next.
  TMemoryStream block_;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// TZUKConverter

TZUKConverter::TZUKConverter(const std::string& fileName, TTreeView* treeView)
    : TZUKReader(OpenSource(fileName)), FileName(fileName), ExamCollection(treeView) {
  struct stat st;
  if (stat(fileName.c_str(), &st) == 0) {
    sourceDevice_ = static_cast<uint64_t>(st.st_dev);
    sourceInode_ = static_cast<uint64_t>(st.st_ino);
  }
  ExamCollection.OnNotify = [this](TZUKProgressNotifier* sender, TStream& stream, bool isReading) {
    HandleTreeNotify(sender, stream, isReading);
  };
}

TZUKConverter::~TZUKConverter() = default;

void TZUKConverter::LoadProperties() {
  TZUKReader::LoadProperties();
  if (Properties.FileType != 0) throw EZUKWrongExamFileType();
}

// The tree takes every node of the exam in one batch of changes.
void TZUKConverter::LoadExams() {
  TTreeNodesUpdate update(ExamCollection.TreeView->Items);
  ExamCollection.InitRootNode("");
  ExamCollection.Load(Stream());
}

void TZUKConverter::SaveMobile(const std::string& fileName, TZUKExportView& viewer) {
  // A target that is a link stays one: the file it names is written.
  std::string target;
  int error = 0;
  if (!ResolveLinks(fileName, target, error))
    throw EFCreateError(FileErrorText("CANNOT_CREATE_FILE", fileName, error), fileName, error);
  struct stat st;
  if (stat(target.c_str(), &st) == 0 && static_cast<uint64_t>(st.st_dev) == sourceDevice_ &&
      static_cast<uint64_t>(st.st_ino) == sourceInode_)
    throw EZUKConversionError(LocalizedText("TARGET_IS_SOURCE"));

  TRun run(viewer);
  run_ = &run;
  struct Detach {
    TRun*& run;
    ~Detach() { run = nullptr; }
  } detach{run_};

  TTargetFile out(target);
  WriteCount = 0;
  for (uint8_t b : kMobileMagic) WriteByte(b, out);
  WriteScrambledString(Properties.Text1, out);
  WriteScrambledString(Properties.Text2, out);
  WriteInt32(Properties.Number1, out);
  TMobileWriter writer(*this, out, viewer);
  writer.WriteDescription();
  Sections.Save(out);
  writer.WriteExams();
  WriteInt32(static_cast<int32_t>(out.Position()), out);
  out.Commit();
}

bool TZUKConverter::WriteHTMLBlock(TStream& source, TStream& block, const std::string& name,
                                   TZUKExportView& viewer) {
  std::unique_ptr<TRun> ownRun;
  TRun* run = run_;
  if (!run) {
    ownRun = std::make_unique<TRun>(viewer);
    run = ownRun.get();
  }
  const std::string& folder = run->Folder().Path();
  // Every block starts with an empty folder. After an export that reported its files, those
  // are all there is to delete; after a failure the folder is emptied whole.
  struct EmptyFolder {
    const TRunFolder& folder;
    const std::vector<TRVHTMLImageFile>* written = nullptr;
    ~EmptyFolder() {
      if (written)
        folder.Remove(*written);
      else
        folder.Empty();
    }
  } emptyFolder{run->Folder()};

  run->PreparePart();
  source.SetPosition(0);
  if (!viewer.LoadRVFFromStream(source)) return false;
  // A picture the reader could not decode would reach the block as a placeholder.
  if (viewer.GetRVFWarnings() & rvfwUnknownPicture) return false;
  block.SetSize(0);
  block.SetPosition(0);
  TMemoryStream& html = run->HTML();
  html.SetSize(0);
  html.SetPosition(0);
  const bool saved = viewer.SaveHTMLToStream(html, folder, "content", name + "_img", kBlockHTMLOptions);
  if (!saved) {
    // The folder's disk, not the part, is at fault: say so.
    const TRVHTMLImageFileError& failed = viewer.PictureFileError();
    if (!failed.FileName.empty())
      throw EWriteError(FileErrorText("PICTURE_NOT_WRITTEN", failed.FileName, failed.SystemError),
                        failed.FileName, failed.SystemError);
    return false;
  }
  const std::vector<TRVHTMLImageFile>& written = viewer.PictureFiles();
  emptyFolder.written = &written;
  html.SetPosition(0);
  std::string storage;
  std::string& cleaned = run->CleanedHTML();
  CleanUpHTMLText(ReadRest(html, storage), cleaned);
  TBytesStream cleanedStream(reinterpret_cast<const uint8_t*>(cleaned.data()),
                             static_cast<int64_t>(cleaned.size()));
  WriteStream(cleanedStream, block);

  // The files are taken from what the export wrote rather than read back from the folder;
  // their order is that of a folder listing.
  std::vector<const TRVHTMLImageFile*> files;
  for (const TRVHTMLImageFile& file : written) files.push_back(&file);
  std::sort(files.begin(), files.end(), [](const TRVHTMLImageFile* a, const TRVHTMLImageFile* b) {
    return FolderNameLess(ExtractFileName(a->FileName), ExtractFileName(b->FileName));
  });
  WriteInt32(static_cast<int32_t>(files.size()), block);
  for (const TRVHTMLImageFile* file : files) WriteFileEntry(*file, block);
  return true;
}

void WriteFileEntry(const TRVHTMLImageFile& file, TStream& block) {
  WriteString(ExtractFileName(file.FileName), block);
  TBytesStream bytes(reinterpret_cast<const uint8_t*>(file.Bytes.data()),
                     static_cast<int64_t>(file.Bytes.size()));
  WriteStream(bytes, block);
}
