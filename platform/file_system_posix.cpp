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

// Creates a new, empty temporary file beside path. -1 with errno set on failure.
int CreateTemporaryBeside(const std::string& path, std::string* tempPath) {
  static std::atomic<unsigned> counter{0};
  std::string folder = FolderOf(path);
  std::string base = BaseOf(path);
  for (int attempt = 0; attempt < 100; ++attempt) {
    *tempPath = folder + "/." + base + ".qtmp" + std::to_string(getpid()) + "-" +
                std::to_string(counter++);
    int fd = open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Gives a freshly written file the mode and, where allowed, the owner of the original.
void CopyOwnership(int fd, const struct stat& original) {
  fchmod(fd, original.st_mode & 07777);
  struct stat made;
  if (fstat(fd, &made) == 0 && made.st_uid == original.st_uid && made.st_gid == original.st_gid) {
    return;  // ours already, as nearly always
  }
  if (fchown(fd, original.st_uid, original.st_gid) != 0) {
    // Only the owner's own group may be given away; keep the defaults otherwise.
  }
  fchmod(fd, original.st_mode & 07777);  // chown may have cleared set-id bits
}

// Fills a temporary file beside target through fill and renames it over target.
ReplaceResult WriteBesideAndRename(const std::string& target, const struct stat* original,
                                   const std::function<bool(int)>& fill,
                                   const struct timespec* keepTime, uint32_t* error) {
  std::string tempPath;
  FileDescriptor fd(CreateTemporaryBeside(target, &tempPath));
  if (fd.get() < 0) {
    *error = static_cast<uint32_t>(errno);
    return ReplaceResult::kCannotCreate;
  }
  bool ok = fill(fd.get());
  int savedErrno = errno;
  if (ok && original) CopyOwnership(fd.get(), *original);
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

// A file with several hard links is rewritten in place so that every link keeps seeing
// it. The space is reserved before anything is overwritten, so a full disk fails early.
ReplaceResult RewriteInPlace(const std::string& target, std::string_view head,
                             std::string_view body, uint32_t* error) {
  FileDescriptor fd(open(target.c_str(), O_WRONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    *error = static_cast<uint32_t>(errno);
    return ReplaceResult::kCannotCreate;
  }
  off_t size = static_cast<off_t>(head.size() + body.size());
  if (size > 0) {
    int reserve = posix_fallocate(fd.get(), 0, size);
    if (reserve != 0 && reserve != EOPNOTSUPP && reserve != EINVAL) {
      *error = static_cast<uint32_t>(reserve);
      return ReplaceResult::kWriteFailed;
    }
  }
  if (!WriteAll(fd.get(), head) || !WriteAll(fd.get(), body) ||
      ftruncate(fd.get(), size) != 0) {
    *error = static_cast<uint32_t>(errno);
    return ReplaceResult::kWriteFailed;
  }
  if (!fd.Close()) {
    *error = static_cast<uint32_t>(errno);
    return ReplaceResult::kWriteFailed;
  }
  return ReplaceResult::kOk;
}

// Opens path for reading: a regular file this machine can hold. Large files are read
// ahead generously; a small one is one read anyway.
ReadFileResult OpenForReading(const NativePath& path, FileDescriptor* fd, uint64_t* size) {
  // O_NONBLOCK keeps a FIFO from hanging the run; it has no effect on regular files.
  fd->Reset(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd->get() < 0) return ReadFileResult::kCannotOpen;
  struct stat st;
  if (fstat(fd->get(), &st) != 0) return ReadFileResult::kFailed;
  if (!S_ISREG(st.st_mode)) return ReadFileResult::kCannotOpen;
  *size = static_cast<uint64_t>(st.st_size);
  if (*size > MaxFileBytes() || *size > std::numeric_limits<size_t>::max()) {
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
    FileDescriptor fd;
    uint64_t size = 0;
    const ReadFileResult opened = OpenForReading(path, &fd, &size);
    if (opened != ReadFileResult::kOk) return opened;
    if (!begin(size)) return ReadFileResult::kTooLarge;
    // One buffer for all pieces: it stays in the cache while each is converted. Pieces
    // are whole but the last; a file that shrank meanwhile gives what is there.
    const size_t step = static_cast<size_t>(std::min<uint64_t>(std::max<size_t>(pieceBytes, 1), size));
    std::unique_ptr<char[]> piece(new char[step + 1]);
    for (uint64_t done = 0; done < size;) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(step, size - done));
      const size_t filled = ReadFull(fd.get(), piece.get(), want);
      if (filled == kReadFailed) return ReadFileResult::kFailed;
      if (filled == 0 || !take(piece.get(), filled) || filled < want) break;
      done += filled;
    }
    return ReadFileResult::kOk;
  }

  ReplaceResult ReplaceFileContents(const NativePath& path, std::string_view head,
                                    std::string_view body, uint32_t* error) override {
    auto fill = [&](int fd) { return WriteAll(fd, head) && WriteAll(fd, body); };
    std::string target = path;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      // A link keeps pointing where it did; what it points at is replaced.
      std::unique_ptr<char, decltype(&free)> resolved(realpath(path.c_str(), nullptr), &free);
      if (!resolved) {
        *error = static_cast<uint32_t>(errno);
        return ReplaceResult::kCannotCreate;
      }
      target = resolved.get();
    }
    if (stat(target.c_str(), &st) != 0) {
      if (errno != ENOENT) {
        *error = static_cast<uint32_t>(errno);
        return ReplaceResult::kCannotCreate;
      }
      return WriteBesideAndRename(target, nullptr, fill, nullptr, error);
    }
    if (!S_ISREG(st.st_mode)) {
      *error = EISDIR;
      return ReplaceResult::kCannotCreate;
    }
    if (IsReadOnly(st)) {
      *error = EACCES;
      return ReplaceResult::kCannotCreate;
    }
    if (st.st_nlink > 1) return RewriteInPlace(target, head, body, error);
    return WriteBesideAndRename(target, &st, fill, nullptr, error);
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
    ReplaceResult result = WriteBesideAndRename(to, &sourceStat, fill, &sourceStat.st_mtim, error);
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
};

}  // namespace

FileSystem& RealFileSystem() {
  static PosixFileSystem files;
  return files;
}
