#include "engine/read_text_file.h"

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/encoding_catalogue.h"
#include "core/message_format.h"
#include "engine/binary_format.h"
#include "engine/large_buffer.h"
#include "engine/page_warmer.h"
#include "platform/message_host.h"

namespace {

struct Mark {
  uint32_t codePage;
  size_t length;
};

// The byte-order mark at the start of bytes, if any.
bool FindMark(std::string_view bytes, Mark* mark) {
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    *mark = {65001, 3};
    return true;
  }
  if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) {
    *mark = {1200, 2};
    return true;
  }
  if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFE\xFF") == 0) {
    *mark = {1201, 2};
    return true;
  }
  return false;
}

bool IsUtf16(uint32_t codePage) { return codePage == 1200 || codePage == 1201; }

// Removes NUL bytes, or for UTF-16 the units whose two bytes are both zero (an odd
// trailing byte stays), from data[0, *size). Compacts in place.
void RemoveNuls(char* data, size_t* size, bool utf16) {
  size_t out = 0;
  if (utf16) {
    size_t i = 0;
    for (; i + 1 < *size; i += 2) {
      if (data[i] == 0 && data[i + 1] == 0) continue;
      data[out++] = data[i];
      data[out++] = data[i + 1];
    }
    if (i < *size) data[out++] = data[i];
  } else {
    const char* nul = static_cast<const char*>(std::memchr(data, 0, *size));
    if (!nul) return;
    out = static_cast<size_t>(nul - data);
    for (size_t i = out; i < *size; ++i) {
      if (data[i] != 0) data[out++] = data[i];
    }
  }
  *size = out;
}

// The line ending put in every n bytes, by kind and code page.
std::string_view NewlineBytes(int16_t kind, uint32_t codePage) {
  switch (kind) {
    case 0:
      return codePage == 1200 ? std::string_view("\x0D\x00\x0A\x00", 4)
             : codePage == 1201 ? std::string_view("\x00\x0D\x00\x0A", 4)
                                : std::string_view("\x0D\x0A", 2);
    case 1:
      return codePage == 1200 ? std::string_view("\x0A\x00", 2)
             : codePage == 1201 ? std::string_view("\x00\x0A", 2)
                                : std::string_view("\x0A", 1);
    case 2:
      return codePage == 1200 ? std::string_view("\x0D\x00", 2)
             : codePage == 1201 ? std::string_view("\x00\x0D", 2)
                                : std::string_view("\x0D", 1);
    default:
      return {};
  }
}

// Cuts the content of data[0, *size) after the mark into chunks of n bytes and puts the
// line ending after every chunk that is followed by more bytes; the caller has room for
// them. Fills from the back, so each byte moves once.
void InsertEveryNBytes(char* data, size_t* size, size_t markLength, uint64_t n,
                       std::string_view newline) {
  if (newline.empty() || *size <= markLength) return;
  uint64_t content = *size - markLength;
  uint64_t count = (content - 1) / n;
  if (count == 0) return;
  size_t k = newline.size();
  *size += static_cast<size_t>(count) * k;
  char* const body = data + markLength;
  // Chunk i (0-based) starts at i * n in the old content and at i * (n + k) in the new.
  for (uint64_t i = count; i > 0; --i) {
    uint64_t from = i * n;
    uint64_t length = (i == count) ? content - from : n;
    uint64_t to = i * (n + k);
    std::memmove(body + to, body + from, static_cast<size_t>(length));
    std::memcpy(body + to - k, newline.data(), k);
  }
}

// The reader's answer for a read that failed.
ReadStatus FailedRead(ReadFileResult result) {
  switch (result) {
    case ReadFileResult::kCannotOpen:
      return ReadCannotOpen;
    case ReadFileResult::kTooLarge:
      return ReadTooLarge;
    case ReadFileResult::kOk:
    case ReadFileResult::kFailed:
      break;
  }
  return ReadFailed;
}

// Pieces of a file read piece by piece: small enough to stay in the cache.
constexpr size_t kPieceBytes = size_t{256} << 10;

// Reads and decodes a file of a code page the converter takes piece by piece: the text
// is the only copy of the file held, and it is written once. Answers nothing when the
// file begins with a byte-order mark (which names a code page of its own) or the
// converter declines: the caller then reads the file whole.
std::optional<ReadStatus> ReadInPieces(EngineContext& context, const NativePath& path,
                                       uint32_t chosen, uint32_t* codePage, WideText* text) {
  WideText result;
  std::string pending;
  std::unique_ptr<Codec> codec;
  std::optional<ReadStatus> stopped;
  bool wholeInstead = false;
  bool first = true;
  uint64_t kept = 0;
  std::optional<PageWarmer> warmer;
  auto begin = [&](uint64_t size) {
    // One unit at most per byte.
    if (size > result.max_size()) return false;
    if (size != 0) ReserveLarge(result, static_cast<size_t>(size));
    return true;
  };
  auto take = [&](char* piece, size_t length) {
    if (first) {
      first = false;
      // The first piece holds far more than any signature takes.
      if (HasBinarySignature(std::string_view(piece, length))) {
        stopped = ReadBinary;
        return false;
      }
      Mark mark{0, 0};
      if (FindMark(std::string_view(piece, length), &mark)) {
        wholeInstead = true;
        return false;
      }
      uint32_t failure = 0;
      codec = context.createCodec(&failure);
      if (!codec) {
        stopped = ReadNoConverter;
        return false;
      }
      *codePage = chosen;
      warmer.emplace(result.data(), result.capacity() * sizeof(char16_t));
    }
    RemoveNuls(piece, &length, false);
    kept += length;
    switch (codec->DecodePiece(chosen, std::string_view(piece, length), &pending, &result)) {
      case DecodeAnswer::kDecoded:
        warmer->Filled(result.size() * sizeof(char16_t));
        return true;
      case DecodeAnswer::kNotSupported:
        wholeInstead = true;
        return false;
      case DecodeAnswer::kInvalid:
        stopped = ReadCannotDecode;
        return false;
    }
    return false;
  };
  const ReadFileResult read = context.files->ReadFileInPieces(path, kPieceBytes, begin, take);
  if (read != ReadFileResult::kOk) return FailedRead(read);
  if (wholeInstead) return std::nullopt;
  if (stopped) return *stopped;
  // No bytes, or nothing but NULs: there is no text to convert.
  if (first || kept == 0) return ReadEmpty;
  // The file ended inside a pair.
  if (!pending.empty()) return ReadCannotDecode;
  *text = std::move(result);
  return ReadOk;
}

}  // namespace

ReadStatus ReadTextFile(EngineContext& context, const NativePath& path, WideText* text,
                        int16_t inputEncodingIndex, uint32_t* codePage, uint32_t* bomFlag,
                        int16_t lineEndingKind, uint32_t insertEveryBytes) {
  text->clear();
  *bomFlag = 0;

  // Room for the line endings put in every n bytes, reserved once with the read.
  const uint64_t n = insertEveryBytes;
  auto capacityFor = [n, lineEndingKind](uint64_t size) -> uint64_t {
    if (n == 0 || size == 0) return size;
    uint64_t longest = lineEndingKind == 0 ? 4 : 2;
    return size + (size - 1) / n * longest;
  };
  const uint32_t likely = inputEncodingIndex == kEncodingOther ? *codePage
                          : inputEncodingIndex >= 1 && inputEncodingIndex <= 8
                              ? CatalogueCodePage(inputEncodingIndex)
                              : 932;
  // A code page the converter takes piece by piece, when nothing needs the whole file
  // (detection, line endings put in every n bytes): the file is decoded as it is read.
  if (inputEncodingIndex != 0 && n == 0 && SystemCodecDecodesPieces(likely)) {
    if (const std::optional<ReadStatus> status = ReadInPieces(context, path, likely, codePage, text)) {
      return *status;
    }
  }
  // Where the converter decodes the likely code page in place, the bytes are read into
  // the upper half of what becomes the text's buffer, one unit per byte of room, and
  // decoded from there into its lower half: a large file then takes one buffer, not two.
  const bool intoText = SystemCodecDecodesInPlace(likely);
  WideText buffer;
  std::string bytes;
  size_t room = 0;
  char* data = nullptr;
  auto place = [&](uint64_t size) -> char* {
    const uint64_t capacity = capacityFor(size);
    // The line endings put in may make the content more than the program holds.
    if (capacity < size || capacity > buffer.max_size() / 2 ||
        (capacity > size && capacity > HeldLimit())) {
      return nullptr;
    }
    room = static_cast<size_t>(capacity);
    if (intoText) {
      ReserveLarge(buffer, room);
      buffer.resize(room);
      data = reinterpret_cast<char*>(buffer.data()) + room;
    } else {
      // The whole room is part of the string: the line endings put in go there.
      ReserveLarge(bytes, room);
      bytes.resize(room);
      data = bytes.data();
    }
    return data;
  };
  uint64_t length = 0;
  const ReadFileResult read = context.files->ReadWholeFileInto(path, place, &length);
  if (read != ReadFileResult::kOk) return FailedRead(read);
  if (length == 0) return ReadEmpty;
  size_t size = static_cast<size_t>(length);
  if (HasBinarySignature(std::string_view(data, size))) return ReadBinary;

  uint32_t failure = 0;
  std::unique_ptr<Codec> codec = context.createCodec(&failure);
  if (!codec) return ReadNoConverter;

  Mark mark{0, 0};
  uint32_t chosen;
  if (FindMark(std::string_view(data, size), &mark)) {
    chosen = mark.codePage;
    *bomFlag = 1;
  } else if (inputEncodingIndex == kEncodingOther) {
    chosen = *codePage;
  } else if (inputEncodingIndex >= 1 && inputEncodingIndex <= 8) {
    chosen = CatalogueCodePage(inputEncodingIndex);
  } else if (!codec->Detect(std::string_view(data, size), &chosen)) {
    chosen = 932;
  }
  *codePage = chosen;

  if (inputEncodingIndex == 0 && !IsUtf16(chosen)) {
    // Detected text holds no NUL bytes: they are a binary file's. One look for the first
    // does for both, as without one there is nothing to remove either.
    if (std::memchr(data, 0, size) != nullptr) return ReadBinary;
  } else {
    RemoveNuls(data, &size, IsUtf16(chosen));
  }
  // Nothing but a mark or NULs: there is no text to convert, and rewriting the file
  // would only throw those bytes away.
  if (size <= mark.length) return ReadEmpty;

  if (n != 0) {
    if (IsUtf16(chosen) && n % 2 == 1) {
      WideText question = FormatMessageText(
          u"ファイル %s の文字コードはUTF-16ですが、改行コードを %d バイト毎に挟むように指定されて"
          u"います。ファイルが壊れる可能性がありますが、継続しますか?",
          {PathForDisplay(path), insertEveryBytes});
      int answer = context.host->ShowMessageBox(question, u"指定したバイト数毎に改行コードを挟む",
                                                kBoxIconQuestion | kBoxYesNo);
      if (answer != kAnswerYes) return ReadAborted;
    }
    InsertEveryNBytes(data, &size, mark.length, n, NewlineBytes(lineEndingKind, chosen));
  }

  const size_t count = size - mark.length;
  if (intoText) {
    switch (codec->DecodeInPlace(chosen, &buffer, room + mark.length, count)) {
      case DecodeAnswer::kDecoded:
        *text = std::move(buffer);
        return ReadOk;
      case DecodeAnswer::kInvalid:
        return ReadCannotDecode;
      case DecodeAnswer::kNotSupported:
        // A mark or the detector chose another code page: the bytes move out of the
        // buffer, which is given up before the text is made.
        bytes.assign(data + mark.length, count);
        WideText().swap(buffer);
        data = bytes.data();
        size = count;
        mark.length = 0;
        break;
    }
  }
  if (!codec->Decode(chosen, std::string_view(data + mark.length, size - mark.length), text)) {
    text->clear();
    return ReadCannotDecode;
  }
  return ReadOk;
}
