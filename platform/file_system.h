// The engine's access to files. RealFileSystem() is the platform's; tests wrap it to
// inject failures.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/directory.h"
#include "platform/native_path.h"

// Creation and last-write time in the platform's own units. hasCreation is false where
// the platform keeps no creation time that can be set again.
struct FileTimes {
  int64_t creation = 0;
  int64_t lastWrite = 0;
  bool hasCreation = false;
};

enum class ReadFileResult { kOk, kCannotOpen, kFailed, kTooLarge };
// kKeepCopyExists: a copy of the old content left by an unfinished rewrite is beside the
// file; the file is left alone so that the copy is never lost.
enum class ReplaceResult { kOk, kCannotCreate, kWriteFailed, kKeepCopyExists };
enum class SetTimesResult { kOk, kCannotOpen, kCannotSet };

// The new content of a file, written as it is made: it goes to a work file in the file's
// folder, and Commit puts it in the file's place in one step, by the rules of
// FileSystem::ReplaceFileContents. Without a Commit the work file is removed when this
// goes, and the file stays as it was.
class ContentReplacement {
 public:
  virtual ~ContentReplacement() = default;

  // Appends bytes to the new content. A failure is kept for Commit to tell.
  virtual void Write(std::string_view bytes) = 0;

  // Puts the new content in the file's place; the answers are those of
  // ReplaceFileContents. Called at most once.
  virtual ReplaceResult Commit(uint32_t* error, NativePath* where) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Reads the whole file into memory the caller provides: place(size) is called once the
  // size is known and returns where the bytes go, with room for size bytes, or nullptr
  // when they cannot be held. *length: the bytes read (fewer when the file shrank
  // meanwhile). kTooLarge: place declined, or the file is larger than this machine can
  // convert in memory.
  virtual ReadFileResult ReadWholeFileInto(const NativePath& path,
                                           const std::function<char*(uint64_t size)>& place,
                                           uint64_t* length) = 0;

  // The same into *bytes, with capacityFor(size) bytes reserved (at least the size).
  ReadFileResult ReadWholeFile(const NativePath& path, std::string* bytes,
                               const std::function<uint64_t(uint64_t)>& capacityFor);

  // Reads the file from its start in pieces of at most pieceBytes, for a caller that
  // converts as it reads and so needs no copy of the whole: begin(size) is called once
  // the size is known and answers false when the file cannot be held (kTooLarge); then
  // take(piece, length) is called for each piece in order, with the bytes in a buffer it
  // may change, and answers false to stop (the result is still kOk). Reading ends at the
  // size begin was told, or earlier when the file shrank meanwhile. This one reads the
  // whole file with ReadWholeFileInto and hands it on in pieces.
  virtual ReadFileResult ReadFileInPieces(const NativePath& path, size_t pieceBytes,
                                          const std::function<bool(uint64_t size)>& begin,
                                          const std::function<bool(char* piece, size_t length)>& take);

  // Replaces the content of path by head followed by body in one step: a temporary file
  // in the same folder is written completely and then takes the file's place, keeping
  // its permissions, attributes and owner (when the owner cannot be kept, nothing is
  // replaced). A file with several hard links is rewritten where it is, with a complete
  // copy of its old content beside it until the rewrite is done. On failure *error holds
  // the system code and the file is untouched, but for the last case below. *where (when
  // given) is left empty or names what the failure concerns:
  //   kCannotCreate     the folder where no work file could be made (when empty, the
  //                     file itself may not be written or its owner cannot be kept);
  //   kKeepCopyExists   the copy found;
  //   kWriteFailed      a copy holding the complete old content of a file that could
  //                     not be put back after its rewrite failed.
  virtual ReplaceResult ReplaceFileContents(const NativePath& path, std::string_view head,
                                            std::string_view body, uint32_t* error,
                                            NativePath* where = nullptr) = 0;

  // Whether BeginReplacement writes files piece by piece here (asked before a file is read).
  virtual bool WritesInPieces() { return false; }

  // Starts replacing the content of path with bytes written piece by piece. nullptr where
  // this file system does not write so, and where the work file cannot be made or the
  // file cannot be replaced: ReplaceFileContents then tells why.
  virtual std::unique_ptr<ContentReplacement> BeginReplacement(const NativePath& path) {
    (void)path;
    return nullptr;
  }

  // ReadFileInPieces for a caller that holds no more than a piece at a time: a file is not
  // refused for its size here. This one is ReadFileInPieces.
  virtual ReadFileResult ReadFileStreaming(const NativePath& path, size_t pieceBytes,
                                           const std::function<bool(uint64_t size)>& begin,
                                           const std::function<bool(char* piece, size_t length)>& take) {
    return ReadFileInPieces(path, pieceBytes, begin, take);
  }

  // Copies from to to, replacing an existing to (unless it is read-only) in one step.
  virtual bool CopyFileReplacing(const NativePath& from, const NativePath& to,
                                 uint32_t* error) = 0;

  // Looks the file up in its folder (without opening it) for its times.
  virtual bool GetFileTimes(const NativePath& path, FileTimes* times) = 0;

  // Puts back creation (where possible) and last-write time; last access is left alone.
  virtual SetTimesResult SetFileTimes(const NativePath& path, const FileTimes& times) = 0;

  // True when the keep copy of path (the copy of its old content that a rewrite in place
  // makes first, left only by a rewrite that never finished) is beside it; *shown then
  // names the copy in full, as the writer's messages do.
  virtual bool KeepCopyLeftBeside(const NativePath& path, NativePath* shown) {
    (void)path;
    (void)shown;
    return false;
  }

  // Folders, with the platform's functions unless a test puts others in (see
  // platform/directory.h).
  virtual bool ListDirectory(const NativePath& pattern, bool withFolders,
                             std::vector<DirectoryEntry>* entries) {
    return ListCurrentDirectory(pattern, withFolders, entries);
  }
  virtual bool GetCurrentDir(NativePath* path) { return GetCurrentFolder(path); }
  virtual bool SetCurrentDir(const NativePath& path) { return SetCurrentFolder(path); }
  virtual bool HoldCurrentDir(HeldFolder* folder) { return HoldCurrentFolder(folder); }
  virtual bool HoldSubfolder(const NativePath& name, HeldFolder* folder, FileIdentity* identity) {
    return HoldFolder(name, folder, identity);
  }
  virtual bool GoToFolder(const HeldFolder& folder) { return GoToHeldFolder(folder); }
  virtual bool FileIdentityOf(const NativePath& path, FileIdentity* identity) {
    return IdentifyFile(path, identity);
  }
  virtual void RemoveLeftover(const NativePath& name) { RemoveLeftoverFile(name); }

 protected:
  // The loop of a ReadFileInPieces that reads the file itself, once begin has taken its
  // size: one buffer for all pieces, which stays in the cache while each is converted.
  // fill(buffer, want, got) reads the next bytes, *got of them (fewer at the end of a file
  // that shrank meanwhile), and answers false when the read failed (kFailed).
  static ReadFileResult HandOnInPieces(
      uint64_t size, size_t pieceBytes,
      const std::function<bool(char* buffer, size_t want, size_t* got)>& fill,
      const std::function<bool(char* piece, size_t length)>& take);
};

// The platform's file system.
FileSystem& RealFileSystem();
