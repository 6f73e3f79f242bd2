// A file system that holds one file in memory, for the fuzz targets: reads serve the
// bytes given, a replacement keeps what was written. Reading in pieces hands out pieces
// of the size set here (never more than the caller asked for), so that the pieces'
// borders fall anywhere in the text.
#pragma once

#include <cstddef>
#include <string>

#include "platform/file_system.h"

class MemoryFileSystem : public FileSystem {
 public:
  std::string content;    // the file as read
  std::string written;    // the file as last replaced
  bool wasWritten = false;
  size_t pieceBytes = 0;  // 0: pieces as large as the caller allows

  ReadFileResult ReadWholeFileInto(const NativePath& path,
                                   const std::function<char*(uint64_t size)>& place,
                                   uint64_t* length) override;
  ReadFileResult ReadFileInPieces(const NativePath& path, size_t pieceBytes,
                                  const std::function<bool(uint64_t size)>& begin,
                                  const std::function<bool(char* piece, size_t length)>& take)
      override;
  ReplaceResult ReplaceFileContents(const NativePath& path, std::string_view head,
                                    std::string_view body, uint32_t* error,
                                    NativePath* where = nullptr) override;
  bool CopyFileReplacing(const NativePath& from, const NativePath& to, uint32_t* error) override;
  bool GetFileTimes(const NativePath& path, FileTimes* times) override;
  SetTimesResult SetFileTimes(const NativePath& path, const FileTimes& times) override;
};
