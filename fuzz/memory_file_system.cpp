#include "fuzz/memory_file_system.h"

#include <algorithm>
#include <cstring>
#include <vector>

ReadFileResult MemoryFileSystem::ReadWholeFileInto(const NativePath&,
                                                   const std::function<char*(uint64_t size)>& place,
                                                   uint64_t* length) {
  *length = 0;
  char* target = place(content.size());
  if (!target) return ReadFileResult::kTooLarge;
  if (!content.empty()) std::memcpy(target, content.data(), content.size());
  *length = content.size();
  return ReadFileResult::kOk;
}

ReadFileResult MemoryFileSystem::ReadFileInPieces(
    const NativePath&, size_t callerPieceBytes, const std::function<bool(uint64_t size)>& begin,
    const std::function<bool(char* piece, size_t length)>& take) {
  if (!begin(content.size())) return ReadFileResult::kTooLarge;
  size_t size = callerPieceBytes;
  if (pieceBytes != 0) size = std::min(size, pieceBytes);
  if (size == 0) size = 1;
  // Each piece in a buffer of its own length, so that a read past its end is caught.
  for (size_t at = 0; at < content.size(); at += size) {
    const size_t length = std::min(size, content.size() - at);
    std::vector<char> piece(content.begin() + static_cast<std::ptrdiff_t>(at),
                            content.begin() + static_cast<std::ptrdiff_t>(at + length));
    if (!take(piece.data(), length)) break;
  }
  return ReadFileResult::kOk;
}

ReplaceResult MemoryFileSystem::ReplaceFileContents(const NativePath&, std::string_view head,
                                                    std::string_view body, uint32_t* error,
                                                    NativePath*) {
  *error = 0;
  written.assign(head);
  written.append(body);
  wasWritten = true;
  return ReplaceResult::kOk;
}

bool MemoryFileSystem::CopyFileReplacing(const NativePath&, const NativePath&, uint32_t* error) {
  *error = 0;
  return true;
}

bool MemoryFileSystem::GetFileTimes(const NativePath&, FileTimes* times) {
  *times = FileTimes{};
  return true;
}

SetTimesResult MemoryFileSystem::SetFileTimes(const NativePath&, const FileTimes&) {
  return SetTimesResult::kOk;
}
