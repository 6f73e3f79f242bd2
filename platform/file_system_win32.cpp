#include "platform/file_system.h"

#include <windows.h>

#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/work_files.h"

namespace {

// ReadFile and WriteFile take a DWORD count: large files go in pieces of this size.
constexpr DWORD kChunkBytes = 64u << 20;

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  // Closes now; false (with the last error set) when the close failed.
  bool Close() {
    if (!valid()) return true;
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

DWORD LastErrorOr(DWORD fallback) {
  DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : fallback;
}

void SetError(uint32_t* error, DWORD code) {
  if (error != nullptr) *error = code;
}

bool WriteAll(HANDLE file, std::string_view data) {
  while (!data.empty()) {
    DWORD request = data.size() > kChunkBytes ? kChunkBytes : static_cast<DWORD>(data.size());
    DWORD written = 0;
    if (!WriteFile(file, data.data(), request, &written, nullptr)) return false;
    if (written != request) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data.remove_prefix(written);
  }
  return true;
}

bool ReadExactly(HANDLE file, char* data, uint64_t size, uint64_t* total) {
  *total = 0;
  while (*total < size) {
    uint64_t left = size - *total;
    DWORD request = left > kChunkBytes ? kChunkBytes : static_cast<DWORD>(left);
    DWORD got = 0;
    if (!ReadFile(file, data + *total, request, &got, nullptr)) return false;
    if (got == 0) break;  // the file became shorter since its size was taken
    *total += got;
  }
  return true;
}

// Opens a file to be read from its start to its end.
HANDLE OpenToRead(const NativePath& path) {
  return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// The size of a file opened to be read: kTooLarge beyond an eighth of the memory, unless
// not limited (for a reader that holds a piece at a time).
ReadFileResult SizeToRead(HANDLE file, uint64_t* size, bool limited = true) {
  LARGE_INTEGER fileSize;
  if (!GetFileSizeEx(file, &fileSize) || fileSize.QuadPart < 0) return ReadFileResult::kFailed;
  *size = static_cast<uint64_t>(fileSize.QuadPart);
  if (!limited) return ReadFileResult::kOk;
  MEMORYSTATUSEX memory = {};
  memory.dwLength = sizeof memory;
  if ((GlobalMemoryStatusEx(&memory) && *size > memory.ullTotalPhys / 8) ||
      *size > std::numeric_limits<size_t>::max()) {
    return ReadFileResult::kTooLarge;
  }
  return ReadFileResult::kOk;
}

bool SeekTo(HANDLE file, uint64_t offset) {
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != 0;
}

bool SetLength(HANDLE file, uint64_t length) {
  return SeekTo(file, length) && SetEndOfFile(file) != 0;
}

bool HasWildcard(const NativePath& path) {
  size_t start = path.find_last_of(L"\\/");
  start = start == NativePath::npos ? 0 : start + 1;
  return path.find_first_of(L"*?", start) != NativePath::npos;
}

// The folder part of path, with its trailing separator; empty for a bare name.
NativePath FolderOf(const NativePath& path) {
  size_t slash = path.find_last_of(L"\\/");
  if (slash != NativePath::npos) return path.substr(0, slash + 1);
  // "C:name" is relative to the current folder of drive C.
  if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
  return NativePath();
}

NativePath NameOf(const NativePath& path) {
  return path.substr(FolderOf(path).size());
}

// The full form of a relative name ("a.txt" -> "C:\work\a.txt"); the name itself when
// that fails. ReplaceFileW does not take every relative form everywhere.
NativePath FullPathOf(const NativePath& path) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                    buffer.data(), nullptr);
    if (length == 0) return path;
    if (length < buffer.size()) return NativePath(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

// The path the name finally leads to, following symbolic links; empty on failure with
// the last error set.
NativePath FinalPathOf(const NativePath& path) {
  Handle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return NativePath();
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    DWORD length = GetFinalPathNameByHandleW(file.get(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return NativePath();
    if (length < buffer.size()) return NativePath(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

// Creates a new, empty file beside target with a name nobody else uses. The name is
// short whatever the target's, so a target with the longest name has one too.
bool CreateTemporaryBeside(const NativePath& target, NativePath* tempPath, HANDLE* handle) {
  static LONG counter = 0;
  const NativePath folder = FolderOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const uint32_t number = static_cast<uint32_t>(InterlockedIncrement(&counter));
    NativePath candidate = folder + TemporaryFileName(CurrentProcessId(), number);
    HANDLE file = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      *tempPath = candidate;
      *handle = file;
      return true;
    }
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return false;
}

// The folder of target as a message names it, without a trailing separator but for a
// drive's root.
NativePath FolderForMessage(const NativePath& target) {
  NativePath folder = FolderOf(target);
  if (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/') &&
      folder[folder.size() - 2] != L':') {
    folder.pop_back();
  }
  return folder;
}

void SetWhere(NativePath* where, const NativePath& text) {
  if (where != nullptr) *where = text;
}

bool Exists(const NativePath& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Rewrites a file with several hard links where it is, so that every name keeps seeing
// it. Its complete old content is first written to a copy beside it, which stays should
// the program be killed meanwhile. The new length is set before any byte is written when
// the file grows, so running out of space fails before anything changed; if a write
// fails all the same, the old content is written back.
ReplaceResult RewriteInPlace(const NativePath& target, std::string_view head,
                             std::string_view body, uint32_t* error, NativePath* where) {
  Handle file(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    SetError(error, LastErrorOr(ERROR_ACCESS_DENIED));
    return ReplaceResult::kCannotCreate;
  }
  LARGE_INTEGER oldSize;
  if (!GetFileSizeEx(file.get(), &oldSize)) {
    SetError(error, LastErrorOr(ERROR_READ_FAULT));
    return ReplaceResult::kWriteFailed;
  }
  std::string old;
  uint64_t oldRead = 0;
  try {
    old.resize(static_cast<size_t>(oldSize.QuadPart));
  } catch (const std::bad_alloc&) {
    SetError(error, ERROR_NOT_ENOUGH_MEMORY);
    return ReplaceResult::kWriteFailed;
  }
  if (!ReadExactly(file.get(), old.data(), old.size(), &oldRead) || oldRead != old.size()) {
    SetError(error, LastErrorOr(ERROR_READ_FAULT));
    return ReplaceResult::kWriteFailed;
  }

  // A copy that exists already may hold the only old content of an earlier run's file:
  // it is neither overwritten nor taken for this one.
  const NativePath keepPath = FolderOf(target) + KeepCopyName(NameOf(target));
  {
    Handle keep(CreateFileW(keepPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!keep.valid()) {
      const DWORD code = LastErrorOr(ERROR_CANNOT_MAKE);
      SetError(error, code);
      if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) {
        SetWhere(where, keepPath);
        return ReplaceResult::kKeepCopyExists;
      }
      SetWhere(where, FolderForMessage(target));
      return ReplaceResult::kCannotCreate;
    }
    if (!WriteAll(keep.get(), old) || !keep.Close()) {
      SetError(error, LastErrorOr(ERROR_WRITE_FAULT));
      keep.Close();
      DeleteFileW(keepPath.c_str());
      return ReplaceResult::kWriteFailed;
    }
  }

  const uint64_t newSize = static_cast<uint64_t>(head.size()) + body.size();
  if (newSize > old.size() && !SetLength(file.get(), newSize)) {
    DWORD code = LastErrorOr(ERROR_WRITE_FAULT);
    if (SetLength(file.get(), old.size())) {
      DeleteFileW(keepPath.c_str());
    } else {
      SetWhere(where, keepPath);
    }
    SetError(error, code);
    return ReplaceResult::kWriteFailed;
  }
  if (!SeekTo(file.get(), 0) || !WriteAll(file.get(), head) || !WriteAll(file.get(), body) ||
      !SetLength(file.get(), newSize)) {
    DWORD code = LastErrorOr(ERROR_WRITE_FAULT);
    if (SeekTo(file.get(), 0) && WriteAll(file.get(), old) && SetLength(file.get(), old.size())) {
      DeleteFileW(keepPath.c_str());
    } else {
      SetWhere(where, keepPath);
    }
    SetError(error, code);
    return ReplaceResult::kWriteFailed;
  }
  if (!file.Close()) {
    SetError(error, LastErrorOr(ERROR_WRITE_FAULT));
    SetWhere(where, keepPath);
    return ReplaceResult::kWriteFailed;
  }
  DeleteFileW(keepPath.c_str());
  return ReplaceResult::kOk;
}

// Puts the written temporary file in target's place (target exists: it keeps its
// attributes, ACL and creation time); the temporary file goes on failure, unless it holds
// the only copy of the content.
ReplaceResult PutInPlace(const NativePath& target, bool exists, DWORD attributes,
                         const NativePath& tempPath, Handle& temp, uint32_t* error) {
  auto fail = [&](DWORD code) {
    temp.Close();
    DeleteFileW(tempPath.c_str());
    SetError(error, code);
    return ReplaceResult::kWriteFailed;
  };
  if (!temp.Close()) return fail(LastErrorOr(ERROR_WRITE_FAULT));

  if (exists) {
    // Hidden, system and the like come along; the rest (ACL, creation time) is kept by
    // ReplaceFileW itself.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    SetFileAttributesW(tempPath.c_str(), (attributes & kKept) ? (attributes & kKept)
                                                              : FILE_ATTRIBUTE_NORMAL);
    if (ReplaceFileW(target.c_str(), tempPath.c_str(), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
      return ReplaceResult::kOk;
    }
    DWORD code = LastErrorOr(ERROR_WRITE_FAULT);
    // ERROR_UNABLE_TO_MOVE_REPLACEMENT: the old file is already gone and the new
    // content exists only in the temporary file. It must not be deleted then.
    bool targetGone = (code == ERROR_FILE_NOT_FOUND ||
                       code == ERROR_UNABLE_TO_MOVE_REPLACEMENT) &&
                      !Exists(target);
    if (!targetGone) return fail(code);
  }

  if (MoveFileExW(tempPath.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return ReplaceResult::kOk;
  }
  DWORD code = LastErrorOr(ERROR_WRITE_FAULT);
  if (exists && !Exists(target)) {
    // Keep the temporary file: it holds the only copy of the content.
    SetError(error, code);
    return ReplaceResult::kWriteFailed;
  }
  return fail(code);
}

// The new content goes to a temporary file beside the target as it comes; Commit puts it
// in the target's place as ReplaceFileContents does. A file with several hard links is
// not taken: ReplaceFileContents rewrites it in place.
class Win32Replacement final : public ContentReplacement {
 public:
  // nullptr when the target cannot be replaced so: ReplaceFileContents tells why.
  static std::unique_ptr<ContentReplacement> Begin(const NativePath& path) {
    NativePath target = FullPathOf(path);
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return nullptr;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      target = FinalPathOf(target);
      if (target.empty()) return nullptr;
      attributes = GetFileAttributesW(target.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) return nullptr;
    }
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return nullptr;
    {
      // Asked without access, beside the handle the file is being read through.
      Handle look(CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      BY_HANDLE_FILE_INFORMATION information;
      if (!look.valid() || !GetFileInformationByHandle(look.get(), &information) ||
          information.nNumberOfLinks > 1) {
        return nullptr;
      }
    }
    NativePath tempPath;
    HANDLE rawTemp = INVALID_HANDLE_VALUE;
    if (!CreateTemporaryBeside(target, &tempPath, &rawTemp)) return nullptr;
    return std::unique_ptr<ContentReplacement>(
        new Win32Replacement(std::move(target), attributes, std::move(tempPath), rawTemp));
  }

  ~Win32Replacement() override {
    if (!done_) {
      temp_.Close();
      DeleteFileW(tempPath_.c_str());
    }
  }

  void Write(std::string_view bytes) override {
    if (failure_ != 0) return;
    if (!WriteAll(temp_.get(), bytes)) failure_ = LastErrorOr(ERROR_WRITE_FAULT);
  }

  ReplaceResult Commit(uint32_t* error, NativePath* where) override {
    SetWhere(where, NativePath());
    {
      // Whether the file may be written at all, and is not held by another program, as
      // ReplaceFileContents asks once the file has been read.
      Handle probe(CreateFileW(target_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!probe.valid()) {
        SetError(error, LastErrorOr(ERROR_ACCESS_DENIED));
        return ReplaceResult::kCannotCreate;
      }
    }
    if (failure_ != 0) {
      SetError(error, failure_);
      return ReplaceResult::kWriteFailed;
    }
    // PutInPlace removes the temporary file itself, or keeps it when it must.
    done_ = true;
    return PutInPlace(target_, true, attributes_, tempPath_, temp_, error);
  }

 private:
  Win32Replacement(NativePath target, DWORD attributes, NativePath tempPath, HANDLE temp)
      : target_(std::move(target)),
        attributes_(attributes),
        tempPath_(std::move(tempPath)),
        temp_(temp) {}

  NativePath target_;
  DWORD attributes_;
  NativePath tempPath_;
  Handle temp_;
  DWORD failure_ = 0;
  bool done_ = false;
};

class Win32FileSystem : public FileSystem {
 public:
  ReadFileResult ReadWholeFileInto(const NativePath& path,
                                   const std::function<char*(uint64_t size)>& place,
                                   uint64_t* length) override {
    *length = 0;
    Handle file(OpenToRead(path));
    if (!file.valid()) return ReadFileResult::kCannotOpen;
    uint64_t size = 0;
    const ReadFileResult sized = SizeToRead(file.get(), &size);
    if (sized != ReadFileResult::kOk) return sized;
    char* const data = place(size);
    if (data == nullptr) return ReadFileResult::kTooLarge;
    uint64_t total = 0;
    if (!ReadExactly(file.get(), data, size, &total)) return ReadFileResult::kFailed;
    *length = total;
    return ReadFileResult::kOk;
  }

  ReadFileResult ReadFileInPieces(
      const NativePath& path, size_t pieceBytes, const std::function<bool(uint64_t size)>& begin,
      const std::function<bool(char* piece, size_t length)>& take) override {
    return ReadPieces(path, pieceBytes, begin, take, true);
  }

  ReadFileResult ReadFileStreaming(
      const NativePath& path, size_t pieceBytes, const std::function<bool(uint64_t size)>& begin,
      const std::function<bool(char* piece, size_t length)>& take) override {
    return ReadPieces(path, pieceBytes, begin, take, false);
  }

  bool WritesInPieces() override { return true; }

  std::unique_ptr<ContentReplacement> BeginReplacement(const NativePath& path) override {
    return Win32Replacement::Begin(path);
  }

  bool KeepCopyLeftBeside(const NativePath& path, NativePath* shown) override {
    const NativePath target = FullPathOf(path);
    const NativePath keepPath = FolderOf(target) + KeepCopyName(NameOf(target));
    if (GetFileAttributesW(keepPath.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    *shown = keepPath;
    return true;
  }

  ReplaceResult ReplaceFileContents(const NativePath& path, std::string_view head,
                                    std::string_view body, uint32_t* error,
                                    NativePath* where) override {
    SetWhere(where, NativePath());
    NativePath target = FullPathOf(path);
    DWORD attributes = GetFileAttributesW(target.c_str());
    bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists) {
      DWORD code = GetLastError();
      if (code != ERROR_FILE_NOT_FOUND) {
        // No folder to make the new file in: that is what the message names.
        if (code == ERROR_PATH_NOT_FOUND) SetWhere(where, FolderForMessage(target));
        SetError(error, code);
        return ReplaceResult::kCannotCreate;
      }
    }

    if (exists && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      // A symbolic link: the file it leads to gets the new content, the link stays.
      target = FinalPathOf(target);
      if (target.empty()) {
        SetError(error, LastErrorOr(ERROR_FILE_NOT_FOUND));
        return ReplaceResult::kCannotCreate;
      }
      attributes = GetFileAttributesW(target.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) {
        SetError(error, LastErrorOr(ERROR_FILE_NOT_FOUND));
        return ReplaceResult::kCannotCreate;
      }
    }

    if (exists) {
      if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        SetError(error, ERROR_ACCESS_DENIED);
        return ReplaceResult::kCannotCreate;
      }
      // Whether the file may be written at all, and is not held by another program; the
      // answer comes before any temporary file is made.
      Handle probe(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!probe.valid()) {
        SetError(error, LastErrorOr(ERROR_ACCESS_DENIED));
        return ReplaceResult::kCannotCreate;
      }
      BY_HANDLE_FILE_INFORMATION information;
      bool linked = GetFileInformationByHandle(probe.get(), &information) &&
                    information.nNumberOfLinks > 1;
      probe.Close();
      if (linked) return RewriteInPlace(target, head, body, error, where);
    }

    NativePath tempPath;
    HANDLE rawTemp = INVALID_HANDLE_VALUE;
    if (!CreateTemporaryBeside(target, &tempPath, &rawTemp)) {
      SetError(error, LastErrorOr(ERROR_CANNOT_MAKE));
      SetWhere(where, FolderForMessage(target));
      return ReplaceResult::kCannotCreate;
    }
    Handle temp(rawTemp);

    auto fail = [&](DWORD code) {
      temp.Close();
      DeleteFileW(tempPath.c_str());
      SetError(error, code);
      return ReplaceResult::kWriteFailed;
    };

    if (!WriteAll(temp.get(), head) || !WriteAll(temp.get(), body)) {
      return fail(LastErrorOr(ERROR_WRITE_FAULT));
    }
    return PutInPlace(target, exists, attributes, tempPath, temp, error);
  }

  bool CopyFileReplacing(const NativePath& from, const NativePath& to, uint32_t* error) override {
    // CopyFileW refuses a read-only copy by itself on Windows, but under Wine a process
    // running as root would overwrite it; the check keeps the two alike.
    DWORD attributes = GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
      SetError(error, ERROR_ACCESS_DENIED);
      return false;
    }
    if (CopyFileW(from.c_str(), to.c_str(), FALSE)) return true;
    SetError(error, LastErrorOr(ERROR_ACCESS_DENIED));
    return false;
  }

  bool GetFileTimes(const NativePath& path, FileTimes* times) override {
    // A name with wildcards would find some other file.
    if (HasWildcard(path)) return false;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    times->creation = static_cast<int64_t>(
        (static_cast<uint64_t>(data.ftCreationTime.dwHighDateTime) << 32) |
        data.ftCreationTime.dwLowDateTime);
    times->lastWrite = static_cast<int64_t>(
        (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime);
    times->hasCreation = true;
    return true;
  }

  SetTimesResult SetFileTimes(const NativePath& path, const FileTimes& times) override {
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return SetTimesResult::kCannotOpen;
    auto toFileTime = [](int64_t value) {
      FILETIME time;
      time.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(value) & 0xFFFFFFFFu);
      time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(value) >> 32);
      return time;
    };
    FILETIME creation = toFileTime(times.creation);
    FILETIME lastWrite = toFileTime(times.lastWrite);
    if (!SetFileTime(file.get(), times.hasCreation ? &creation : nullptr, nullptr, &lastWrite)) {
      return SetTimesResult::kCannotSet;
    }
    return SetTimesResult::kOk;
  }

 private:
  // Both piece readers: `limited` refuses a file larger than the program can hold whole.
  static ReadFileResult ReadPieces(const NativePath& path, size_t pieceBytes,
                                   const std::function<bool(uint64_t size)>& begin,
                                   const std::function<bool(char* piece, size_t length)>& take,
                                   bool limited) {
    Handle file(OpenToRead(path));
    if (!file.valid()) return ReadFileResult::kCannotOpen;
    uint64_t size = 0;
    const ReadFileResult sized = SizeToRead(file.get(), &size, limited);
    if (sized != ReadFileResult::kOk) return sized;
    if (!begin(size)) return ReadFileResult::kTooLarge;
    auto fill = [&](char* buffer, size_t want, size_t* got) {
      uint64_t total = 0;
      const bool read = ReadExactly(file.get(), buffer, want, &total);
      *got = static_cast<size_t>(total);
      return read;
    };
    return HandOnInPieces(size, pieceBytes, fill, take);
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static Win32FileSystem fileSystem;
  return fileSystem;
}
