#include "platform/file_system.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>

#include "platform/work_files.h"

namespace {

// Largest file this machine converts in memory: the text is held as bytes, as UTF-16 and
// once more encoded, so a file beyond an eighth of the memory is refused up front rather
// than risking the whole run.
uint64_t MaxFileBytes() {
  // Asked once: the question costs a system call, and a run may read thousands of files.
  static const uint64_t limit = [] {
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return uint64_t{1} << 31;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) / 8;
  }();
  return limit;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  void Reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }
  // Closes and reports whether the close succeeded (a late write error shows here).
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return fd < 0 || close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view data) {
  const char* p = data.data();
  size_t left = data.size();
  while (left > 0) {
    size_t chunk = left < (size_t{1} << 30) ? left : (size_t{1} << 30);
    ssize_t written = write(fd, p, chunk);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    p += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

bool IsReadOnly(const struct stat& st) { return (st.st_mode & 0222) == 0; }

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder as a message names it: the current folder in full rather than ".".
std::string FolderForMessage(const std::string& folder) {
  if (folder != ".") return folder;
  std::unique_ptr<char, decltype(&free)> current(getcwd(nullptr, 0), &free);
  return current ? std::string(current.get()) : folder;
}

void SetWhere(NativePath* where, const std::string& text) {
  if (where) *where = text;
}

// Creates a new, empty temporary file in folder. -1 with errno set on failure. The name
// is short whatever the target's, so a target with the longest name has one too.
int CreateTemporaryIn(const std::string& folder, std::string* tempPath, int access = O_WRONLY) {
  static std::atomic<uint32_t> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    *tempPath = folder + "/" + TemporaryFileName(CurrentProcessId(), counter++);
    int fd = open(tempPath->c_str(), access | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Gives a new file the owner and group of the original. False with errno set when the
// system refuses: a user may give a file only to himself and to a group he is in.
bool TakeOwner(int fd, const struct stat& original) {
  struct stat made;
  if (fstat(fd, &made) != 0) return false;
  if (made.st_uid == original.st_uid && made.st_gid == original.st_gid) return true;
  return fchown(fd, original.st_uid, original.st_gid) == 0;
}

// Fills a temporary file beside target through fill and renames it over target. With
// original, the new file gets its owner first (or nothing is written) and its mode last
// (a change of owner clears the set-id bits).
ReplaceResult WriteBesideAndRename(const std::string& target, const struct stat* original,
                                   const std::function<bool(int)>& fill,
                                   const struct timespec* keepTime, uint32_t* error,
                                   NativePath* where) {
  const std::string folder = FolderOf(target);
  std::string tempPath;
  FileDescriptor fd(CreateTemporaryIn(folder, &tempPath));
  if (fd.get() < 0) {
    *error = static_cast<uint32_t>(errno);
    SetWhere(where, FolderForMessage(folder));
    return ReplaceResult::kCannotCreate;
  }
  if (original && !TakeOwner(fd.get(), *original)) {
    *error = static_cast<uint32_t>(errno);
    fd.Close();
    unlink(tempPath.c_str());
    return ReplaceResult::kCannotCreate;
  }
  bool ok = fill(fd.get());
  int savedErrno = errno;
  if (ok && original && fchmod(fd.get(), original->st_mode & 07777) != 0) {
    ok = false;
    savedErrno = errno;
  }
  if (ok && keepTime) {
    struct timespec times[2] = {{0, UTIME_OMIT}, *keepTime};
    futimens(fd.get(), times);
  }
  if (!fd.Close() && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (ok && rename(tempPath.c_str(), target.c_str()) != 0) {
    ok = false;
    savedErrno = errno;
  }
  if (!ok) {
    unlink(tempPath.c_str());
    *error = static_cast<uint32_t>(savedErrno);
    return ReplaceResult::kWriteFailed;
  }
  return ReplaceResult::kOk;
}

// Copies the first size bytes of from (from its start, whatever its position) to the
// position of to. False with errno set on failure, or EIO when from ends early.
bool CopyBytes(int from, int to, uint64_t size) {
  loff_t offset = 0;
  bool kernelCopies = true;
  std::unique_ptr<char[]> buffer;
  while (static_cast<uint64_t>(offset) < size) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(size - offset, size_t{1} << 30));
    ssize_t done = -1;
    if (kernelCopies) {
      done = copy_file_range(from, &offset, to, nullptr, want, 0);
      if (done < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP ||
                       errno == EINVAL)) {
        kernelCopies = false;
        buffer.reset(new char[1 << 20]);
        continue;
      }
    } else {
      done = pread(from, buffer.get(), std::min<size_t>(want, 1 << 20), offset);
      if (done > 0) {
        if (!WriteAll(to, std::string_view(buffer.get(), static_cast<size_t>(done)))) return false;
        offset += done;
      }
    }
    if (done < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (done == 0) {
      errno = EIO;
      return false;
    }
  }
  return true;
}

// Puts the old content from the keep copy back into fd and cuts it to that length.
bool PutBack(int fd, const std::string& keepPath, uint64_t size) {
  FileDescriptor keep(open(keepPath.c_str(), O_RDONLY | O_CLOEXEC));
  return keep.get() >= 0 && lseek(fd, 0, SEEK_SET) == 0 && CopyBytes(keep.get(), fd, size) &&
         ftruncate(fd, static_cast<off_t>(size)) == 0;
}

// A file with several hard links is rewritten in place so that every link keeps seeing
// it. Its complete old content is copied beside it first (and stays there should the
// program be killed meanwhile), and the space is reserved before anything is
// overwritten, so a full disk fails early. A write that fails all the same puts the old
// content back from the copy.
// fill(fd) writes the newSize bytes of the new content at fd's position.
ReplaceResult RewriteInPlace(const std::string& target, uint64_t newSize,
                             const std::function<bool(int)>& fill, uint32_t* error,
                             NativePath* where) {
  FileDescriptor fd(open(target.c_str(), O_RDWR | O_CLOEXEC));
  struct stat st;
  if (fd.get() < 0 || fstat(fd.get(), &st) != 0) {
    *error = static_cast<uint32_t>(errno);
    return ReplaceResult::kCannotCreate;
  }
  const uint64_t oldSize = static_cast<uint64_t>(st.st_size);

  const std::string folder = FolderOf(target);
  const long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
  const size_t longestName = nameMax > 0 ? static_cast<size_t>(nameMax) : 255;
  const std::string keepName = KeepCopyName(BaseOf(target), longestName);
  const std::string keepPath = folder + "/" + keepName;
  // Messages name the copy in full, also for a file in the current folder.
  const std::string keepShown = FolderForMessage(folder) + "/" + keepName;
  {
    // A copy that exists already may hold the only old content of an earlier run's
    // file: it is neither overwritten nor taken for this one.
    const mode_t keepMode = (st.st_mode & 0666) | 0600;
    FileDescriptor keep(open(keepPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, keepMode));
    if (keep.get() < 0) {
      *error = static_cast<uint32_t>(errno);
      if (errno == EEXIST) {
        SetWhere(where, keepShown);
        return ReplaceResult::kKeepCopyExists;
      }
      SetWhere(where, FolderForMessage(folder));
      return ReplaceResult::kCannotCreate;
    }
    if (!CopyBytes(fd.get(), keep.get(), oldSize) || !keep.Close()) {
      *error = static_cast<uint32_t>(errno);
      keep.Close();
      unlink(keepPath.c_str());
      return ReplaceResult::kWriteFailed;
    }
  }

  // Reserving leaves the length alone, so the file is still the old one until the first
  // write. A file system that cannot reserve is written without.
  if (newSize > 0 &&
      fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(newSize)) != 0 &&
      errno != EOPNOTSUPP && errno != ENOSYS) {
    *error = static_cast<uint32_t>(errno);
    unlink(keepPath.c_str());
    return ReplaceResult::kWriteFailed;
  }
  if (lseek(fd.get(), 0, SEEK_SET) != 0 || !fill(fd.get()) || ftruncate(fd.get(), static_cast<off_t>(newSize)) != 0 ||
      !fd.Close()) {
    *error = static_cast<uint32_t>(errno);
    if (fd.get() >= 0 && PutBack(fd.get(), keepPath, oldSize) && fd.Close()) {
      unlink(keepPath.c_str());
    } else {
      SetWhere(where, keepShown);
    }
    return ReplaceResult::kWriteFailed;
  }
  unlink(keepPath.c_str());
  return ReplaceResult::kOk;
}

// Opens path for reading: a regular file this machine can hold. Large files are read
// ahead generously; a small one is one read anyway.
// Without limited, a file of any size is opened (for a reader that holds a piece at a time).
ReadFileResult OpenForReading(const NativePath& path, FileDescriptor* fd, uint64_t* size,
                              bool limited = true) {
  // O_NONBLOCK keeps a FIFO from hanging the run; it has no effect on regular files.
  fd->Reset(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd->get() < 0) return ReadFileResult::kCannotOpen;
  struct stat st;
  if (fstat(fd->get(), &st) != 0) return ReadFileResult::kFailed;
  if (!S_ISREG(st.st_mode)) return ReadFileResult::kCannotOpen;
  *size = static_cast<uint64_t>(st.st_size);
  if (limited && (*size > MaxFileBytes() || *size > std::numeric_limits<size_t>::max())) {
    return ReadFileResult::kTooLarge;
  }
  if (*size >= (uint64_t{1} << 20)) posix_fadvise(fd->get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  return ReadFileResult::kOk;
}

constexpr size_t kReadFailed = static_cast<size_t>(-1);

// Reads count bytes (at most 1 GB a call), past interruptions: the bytes read, fewer at
// the end of the file (it may have shrunk meanwhile), or kReadFailed.
size_t ReadFull(int fd, char* data, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t got = read(fd, data + done, std::min(count - done, size_t{1} << 30));
    if (got < 0) {
      if (errno == EINTR) continue;
      return kReadFailed;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

// The new content goes to a work file beside the target as it comes; Commit renames it
// over the target, or for a file with several hard links copies it in place.
class PosixReplacement final : public ContentReplacement {
 public:
  // nullptr when the target cannot be replaced so: ReplaceFileContents tells why.
  static std::unique_ptr<ContentReplacement> Begin(const NativePath& path) {
    std::string target = path;
    struct stat st;
    // A name that is no link was looked up already; a link's target is looked up anew.
    bool known = lstat(path.c_str(), &st) == 0;
    if (known && S_ISLNK(st.st_mode)) {
      std::unique_ptr<char, decltype(&free)> resolved(realpath(path.c_str(), nullptr), &free);
      if (!resolved) return nullptr;
      target = resolved.get();
      known = false;
    }
    if (!known && stat(target.c_str(), &st) != 0) return nullptr;
    if (!S_ISREG(st.st_mode) || IsReadOnly(st)) return nullptr;
    std::unique_ptr<PosixReplacement> replacement(new PosixReplacement(target, st));
    // Readable too: a file with several links is copied from it.
    replacement->fd_.Reset(
        CreateTemporaryIn(FolderOf(target), &replacement->tempPath_, O_RDWR));
    if (replacement->fd_.get() < 0) {
      replacement->tempPath_.clear();
      return nullptr;
    }
    if (!TakeOwner(replacement->fd_.get(), st)) return nullptr;
    return replacement;
  }

  ~PosixReplacement() override {
    if (tempPath_.empty()) return;
    fd_.Close();
    unlink(tempPath_.c_str());
  }

  void Write(std::string_view bytes) override {
    if (failure_ != 0) return;
    if (!WriteAll(fd_.get(), bytes)) failure_ = errno != 0 ? errno : EIO;
    written_ += bytes.size();
    // The file system writes a file out when it is renamed over another, and the rename
    // waits for that. A large file is set on its way to the disk as it is written
    // instead (without waiting for it), while the next of it is made.
    if (written_ - sent_ >= kSendBytes) {
      sync_file_range(fd_.get(), static_cast<off_t>(sent_), static_cast<off_t>(written_ - sent_),
                      SYNC_FILE_RANGE_WRITE);
      sent_ = written_;
    }
  }

  ReplaceResult Commit(uint32_t* error, NativePath* where) override {
    SetWhere(where, {});
    if (failure_ != 0) {
      *error = static_cast<uint32_t>(failure_);
      return ReplaceResult::kWriteFailed;
    }
    struct stat st;
    if (stat(target_.c_str(), &st) == 0 && st.st_nlink > 1) {
      auto fill = [&](int to) { return CopyBytes(fd_.get(), to, written_); };
      return RewriteInPlace(target_, written_, fill, error, where);
    }
    // A change of owner clears the set-id bits: the mode comes last.
    if (fchmod(fd_.get(), original_.st_mode & 07777) != 0 || !fd_.Close() ||
        rename(tempPath_.c_str(), target_.c_str()) != 0) {
      *error = static_cast<uint32_t>(errno);
      return ReplaceResult::kWriteFailed;
    }
    tempPath_.clear();
    return ReplaceResult::kOk;
  }

 private:
  PosixReplacement(std::string target, const struct stat& original)
      : target_(std::move(target)), original_(original) {}

  std::string target_;
  struct stat original_;
  std::string tempPath_;  // empty once renamed
  FileDescriptor fd_;
  int failure_ = 0;
  uint64_t written_ = 0;
  // What has been set on its way to the disk, and how much more is sent at once.
  uint64_t sent_ = 0;
  static constexpr uint64_t kSendBytes = uint64_t{1} << 20;
};

class PosixFileSystem : public FileSystem {
 public:
  ReadFileResult ReadWholeFileInto(const NativePath& path,
                                   const std::function<char*(uint64_t size)>& place,
                                   uint64_t* length) override {
    *length = 0;
    FileDescriptor fd;
    uint64_t size = 0;
    const ReadFileResult opened = OpenForReading(path, &fd, &size);
    if (opened != ReadFileResult::kOk) return opened;
    char* const data = place(size);
    if (data == nullptr) return ReadFileResult::kTooLarge;
    // A file that shrank meanwhile gives what is there.
    const size_t done = ReadFull(fd.get(), data, static_cast<size_t>(size));
    if (done == kReadFailed) return ReadFileResult::kFailed;
    *length = done;
    return ReadFileResult::kOk;
  }

  ReadFileResult ReadFileInPieces(const NativePath& path, size_t pieceBytes,
                                  const std::function<bool(uint64_t size)>& begin,
                                  const std::function<bool(char* piece, size_t length)>& take) override {
    return ReadPieces(path, pieceBytes, begin, take, true);
  }

  ReadFileResult ReadFileStreaming(const NativePath& path, size_t pieceBytes,
                                   const std::function<bool(uint64_t size)>& begin,
                                   const std::function<bool(char* piece, size_t length)>& take) override {
    return ReadPieces(path, pieceBytes, begin, take, false);
  }

  bool WritesInPieces() override { return true; }

  std::unique_ptr<ContentReplacement> BeginReplacement(const NativePath& path) override {
    return PosixReplacement::Begin(path);
  }

  bool KeepCopyLeftBeside(const NativePath& path, NativePath* shown) override {
    std::string target = path;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return false;
    if (S_ISLNK(st.st_mode)) {
      std::unique_ptr<char, decltype(&free)> resolved(realpath(path.c_str(), nullptr), &free);
      if (!resolved) return false;
      target = resolved.get();
    }
    const std::string folder = FolderOf(target);
    const std::string base = BaseOf(target);
    // The folder's longest name matters only for a name that may need shortening.
    size_t longestName = 255;
    if (base.size() > 200) {
      const long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
      if (nameMax > 0) longestName = static_cast<size_t>(nameMax);
    }
    const std::string keepName = KeepCopyName(base, longestName);
    if (lstat((folder + "/" + keepName).c_str(), &st) != 0) return false;
    *shown = FolderForMessage(folder) + "/" + keepName;
    return true;
  }

  ReplaceResult ReplaceFileContents(const NativePath& path, std::string_view head,
                                    std::string_view body, uint32_t* error,
                                    NativePath* where) override {
    SetWhere(where, {});
    auto fill = [&](int fd) { return WriteAll(fd, head) && WriteAll(fd, body); };
    std::string target = path;
    struct stat st;
    // A name that is no link was looked up already; a link's target is looked up anew.
    bool known = lstat(path.c_str(), &st) == 0;
    if (known && S_ISLNK(st.st_mode)) {
      // A link keeps pointing where it did; what it points at is replaced.
      std::unique_ptr<char, decltype(&free)> resolved(realpath(path.c_str(), nullptr), &free);
      if (!resolved) {
        *error = static_cast<uint32_t>(errno);
        return ReplaceResult::kCannotCreate;
      }
      target = resolved.get();
      known = false;
    }
    if (!known && stat(target.c_str(), &st) != 0) {
      if (errno != ENOENT) {
        *error = static_cast<uint32_t>(errno);
        return ReplaceResult::kCannotCreate;
      }
      return WriteBesideAndRename(target, nullptr, fill, nullptr, error, where);
    }
    if (!S_ISREG(st.st_mode)) {
      *error = EISDIR;
      return ReplaceResult::kCannotCreate;
    }
    if (IsReadOnly(st)) {
      *error = EACCES;
      return ReplaceResult::kCannotCreate;
    }
    if (st.st_nlink > 1) {
      return RewriteInPlace(target, static_cast<uint64_t>(head.size()) + body.size(), fill, error,
                            where);
    }
    return WriteBesideAndRename(target, &st, fill, nullptr, error, where);
  }

  bool CopyFileReplacing(const NativePath& from, const NativePath& to,
                         uint32_t* error) override {
    FileDescriptor source(open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat sourceStat;
    if (source.get() < 0 || fstat(source.get(), &sourceStat) != 0) {
      *error = static_cast<uint32_t>(errno);
      return false;
    }
    struct stat existing;
    if (stat(to.c_str(), &existing) == 0 && (!S_ISREG(existing.st_mode) || IsReadOnly(existing))) {
      *error = S_ISREG(existing.st_mode) ? EACCES : EISDIR;
      return false;
    }
    // The copy takes the place of an existing backup in one step, so a failed copy never
    // leaves a half-written backup behind.
    auto fill = [&](int fd) {
      std::unique_ptr<char[]> buffer(new char[1 << 20]);
      for (;;) {
        ssize_t got = read(source.get(), buffer.get(), 1 << 20);
        if (got < 0) {
          if (errno == EINTR) continue;
          return false;
        }
        if (got == 0) return true;
        if (!WriteAll(fd, std::string_view(buffer.get(), static_cast<size_t>(got)))) return false;
      }
    };
    ReplaceResult result =
        WriteBesideAndRename(to, &sourceStat, fill, &sourceStat.st_mtim, error, nullptr);
    return result == ReplaceResult::kOk;
  }

  bool GetFileTimes(const NativePath& path, FileTimes* times) override {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return false;
    times->lastWrite =
        static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    times->creation = 0;
    times->hasCreation = false;  // a birth time exists on some systems but cannot be set
    return true;
  }

  SetTimesResult SetFileTimes(const NativePath& path, const FileTimes& times) override {
    struct timespec values[2];
    values[0].tv_sec = 0;
    values[0].tv_nsec = UTIME_OMIT;
    values[1].tv_sec = static_cast<time_t>(times.lastWrite / 1000000000);
    values[1].tv_nsec = static_cast<long>(times.lastWrite % 1000000000);
    if (values[1].tv_nsec < 0) {
      values[1].tv_nsec += 1000000000;
      values[1].tv_sec -= 1;
    }
    if (utimensat(AT_FDCWD, path.c_str(), values, 0) == 0) return SetTimesResult::kOk;
    return errno == ENOENT || errno == ENOTDIR ? SetTimesResult::kCannotOpen
                                               : SetTimesResult::kCannotSet;
  }

 private:
  // Both piece readers: `limited` refuses a file larger than the program can hold whole.
  static ReadFileResult ReadPieces(const NativePath& path, size_t pieceBytes,
                                   const std::function<bool(uint64_t size)>& begin,
                                   const std::function<bool(char* piece, size_t length)>& take,
                                   bool limited) {
    FileDescriptor fd;
    uint64_t size = 0;
    const ReadFileResult opened = OpenForReading(path, &fd, &size, limited);
    if (opened != ReadFileResult::kOk) return opened;
    if (!begin(size)) return ReadFileResult::kTooLarge;
    auto fill = [&](char* buffer, size_t want, size_t* got) {
      *got = ReadFull(fd.get(), buffer, want);
      return *got != kReadFailed;
    };
    return HandOnInPieces(size, pieceBytes, fill, take);
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static PosixFileSystem files;
  return files;
}
