#include "platform/file_system.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>

ReadFileResult FileSystem::ReadWholeFile(const NativePath& path, std::string* bytes,
                                         const std::function<uint64_t(uint64_t)>& capacityFor) {
  bytes->clear();
  std::string buffer;
  auto place = [&](uint64_t size) -> char* {
    const uint64_t capacity = capacityFor ? std::max(capacityFor(size), size) : size;
    if (capacity > buffer.max_size()) return nullptr;
    try {
      buffer.reserve(static_cast<size_t>(capacity));
      buffer.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
      return nullptr;
    } catch (const std::length_error&) {
      return nullptr;
    }
    return buffer.data();
  };
  uint64_t length = 0;
  const ReadFileResult result = ReadWholeFileInto(path, place, &length);
  if (result != ReadFileResult::kOk) return result;
  buffer.resize(static_cast<size_t>(length));
  *bytes = std::move(buffer);
  return ReadFileResult::kOk;
}

ReadFileResult FileSystem::HandOnInPieces(
    uint64_t size, size_t pieceBytes,
    const std::function<bool(char* buffer, size_t want, size_t* got)>& fill,
    const std::function<bool(char* piece, size_t length)>& take) {
  // Pieces are whole but the last; a file that shrank meanwhile gives what is there.
  const size_t step =
      static_cast<size_t>(std::min<uint64_t>(std::max<size_t>(pieceBytes, 1), size));
  std::unique_ptr<char[]> piece(new char[step + 1]);
  for (uint64_t done = 0; done < size;) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(step, size - done));
    size_t filled = 0;
    if (!fill(piece.get(), want, &filled)) return ReadFileResult::kFailed;
    if (filled == 0 || !take(piece.get(), filled) || filled < want) break;
    done += filled;
  }
  return ReadFileResult::kOk;
}

ReadFileResult FileSystem::ReadFileInPieces(
    const NativePath& path, size_t pieceBytes, const std::function<bool(uint64_t size)>& begin,
    const std::function<bool(char* piece, size_t length)>& take) {
  std::string bytes;
  // A size the caller cannot hold asks for more room than there can be: kTooLarge.
  const ReadFileResult result = ReadWholeFile(path, &bytes, [&](uint64_t size) {
    return begin(size) ? size : std::numeric_limits<uint64_t>::max();
  });
  if (result != ReadFileResult::kOk) return result;
  const size_t length = bytes.size();
  const size_t step = std::max<size_t>(pieceBytes, 1);
  for (size_t at = 0; at < length;) {
    const size_t piece = std::min(step, length - at);
    if (!take(bytes.data() + at, piece)) break;
    at += piece;
  }
  return ReadFileResult::kOk;
}
