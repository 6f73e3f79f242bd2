#include "engine/read_text_file.h"

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/code_pages.h"
#include "core/encoding_catalogue.h"
#include "core/job_options.h"
#include "core/message_format.h"
#include "engine/binary_format.h"
#include "engine/byte_order_mark.h"
#include "engine/large_buffer.h"
#include "engine/page_warmer.h"
#include "platform/message_host.h"

namespace {

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
    case kLineEndingCrLf:
      return codePage == kCodePageUtf16Le   ? std::string_view("\x0D\x00\x0A\x00", 4)
             : codePage == kCodePageUtf16Be ? std::string_view("\x00\x0D\x00\x0A", 4)
                                            : std::string_view("\x0D\x0A", 2);
    case kLineEndingLf:
      return codePage == kCodePageUtf16Le   ? std::string_view("\x0A\x00", 2)
             : codePage == kCodePageUtf16Be ? std::string_view("\x00\x0A", 2)
                                            : std::string_view("\x0A", 1);
    case kLineEndingCr:
      return codePage == kCodePageUtf16Le   ? std::string_view("\x0D\x00", 2)
             : codePage == kCodePageUtf16Be ? std::string_view("\x00\x0D", 2)
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

}  // namespace

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

namespace {

// Pieces a file is read in: small enough to stay in the cache.
constexpr size_t kPieceBytes = size_t{256} << 10;

// What the job asks of one read.
struct ReadRequest {
  int16_t encodingIndex;
  uint32_t typedCodePage;  // the code page of kEncodingOther
  int16_t lineEndingKind;
  uint64_t everyBytes;  // a line ending is put in after every so many bytes; 0 for none
};

// The code page the job names; Shift-JIS for any other index, until a detector speaks.
uint32_t NamedCodePage(const ReadRequest& request) {
  if (request.encodingIndex == kEncodingOther) return request.typedCodePage;
  if (IsNamedEncoding(request.encodingIndex)) return CatalogueCodePage(request.encodingIndex);
  return kCodePageShiftJis;
}

// The room a file of size bytes takes with the line endings put in every n bytes.
uint64_t RoomFor(const ReadRequest& request, uint64_t size) {
  if (request.everyBytes == 0 || size == 0) return size;
  const uint64_t longest = request.lineEndingKind == kLineEndingCrLf ? 4 : 2;
  return size + (size - 1) / request.everyBytes * longest;
}

// Whether the program holds a file of size bytes laid out in room bytes, one unit per
// byte of room: the line endings put in may make it more than the program holds.
bool RoomFits(uint64_t size, uint64_t room) {
  return room >= size && room <= WideText().max_size() / 2 &&
         (room == size || room <= HeldLimit());
}

// How a file is read and decoded.
enum class Road {
  kPieces,        // decoded piece by piece as it is read
  kWholeInText,   // read whole into the text's buffer and decoded there
  kWholeInBytes,  // read whole into a buffer of bytes and decoded from there
};

// Chosen on the file's first piece, once the converter is made. A mark names a code page
// of its own; detection and line endings put in every n bytes need the whole file.
Road ChooseRoad(Codec& codec, const ReadRequest& request, const ByteOrderMark* mark,
                bool piecesAllowed) {
  const uint32_t codePage = mark ? mark->codePage : NamedCodePage(request);
  if (!mark && piecesAllowed && request.encodingIndex != kEncodingAutomatic &&
      request.everyBytes == 0 && codec.DecodesPieces(codePage)) {
    return Road::kPieces;
  }
  return codec.DecodesInPlace(codePage) ? Road::kWholeInText : Road::kWholeInBytes;
}

// A file decoded as it is read: the text is the only copy of the file held, and it is
// written once.
struct PieceRead {
  WideText text;
  std::string pending;  // the bytes of a character that the last piece ended inside of
  std::optional<PageWarmer> warmer;
  uint64_t kept = 0;  // bytes other than NUL
};

void StartPieces(PieceRead& read, uint64_t size) {
  // One unit at most per byte.
  if (size != 0) ReserveLarge(read.text, static_cast<size_t>(size));
  read.warmer.emplace(read.text.data(), read.text.capacity() * sizeof(char16_t));
}

// Decodes one piece without its NUL bytes.
DecodeAnswer TakePiece(PieceRead& read, Codec& codec, uint32_t codePage, char* piece,
                       size_t length) {
  RemoveNuls(piece, &length, false);
  read.kept += length;
  const DecodeAnswer answer =
      codec.DecodePiece(codePage, std::string_view(piece, length), &read.pending, &read.text);
  if (answer == DecodeAnswer::kDecoded) read.warmer->Filled(read.text.size() * sizeof(char16_t));
  return answer;
}

ReadStatus FinishPieces(PieceRead& read, Codec& codec, uint32_t codePage, WideText* text) {
  // Nothing but NULs: there is no text to convert.
  if (read.kept == 0) return ReadEmpty;
  // The file ended inside a character.
  if (codec.DecodeEnd(codePage, &read.pending, &read.text) != DecodeAnswer::kDecoded) {
    return ReadCannotDecode;
  }
  *text = std::move(read.text);
  return ReadOk;
}

// A file read whole. In the text's buffer, the bytes go to its upper half, one unit per
// byte of room, and are decoded from there into its lower half: a large file then takes
// one buffer, not two.
struct WholeRead {
  bool intoText = false;
  WideText buffer;    // into the text
  std::string bytes;  // into bytes
  size_t room = 0;
  char* data = nullptr;
  size_t size = 0;  // bytes read
};

void StartWhole(WholeRead& read, uint64_t room, bool intoText) {
  read.intoText = intoText;
  read.room = static_cast<size_t>(room);
  if (intoText) {
    ReserveLarge(read.buffer, read.room);
    read.buffer.resize(read.room);
    read.data = reinterpret_cast<char*>(read.buffer.data()) + read.room;
  } else {
    // The whole room is part of the string: the line endings put in go there.
    ReserveLarge(read.bytes, read.room);
    read.bytes.resize(read.room);
    read.data = read.bytes.data();
  }
}

// Reading ends at the size the room was made for.
void TakeWhole(WholeRead& read, const char* piece, size_t length) {
  std::memcpy(read.data + read.size, piece, length);
  read.size += length;
}

// Puts a line ending in after every n bytes of a whole file. False when the user chose to
// stop rather than cut UTF-16 units in two.
bool PutInLineEndings(EngineContext& context, const NativePath& path,
                      const ReadRequest& request, uint32_t codePage, WholeRead& read,
                      size_t markLength) {
  if (IsUtf16CodePage(codePage) && request.everyBytes % 2 == 1) {
    WideText question = FormatMessageText(
        u"ファイル %s の文字コードはUTF-16ですが、改行コードを %d バイト毎に挟むように指定されて"
        u"います。ファイルが壊れる可能性がありますが、継続しますか?",
        {PathForDisplay(path), static_cast<uint32_t>(request.everyBytes)});
    int answer = context.host->ShowMessageBox(question, u"指定したバイト数毎に改行コードを挟む",
                                              kBoxIconQuestion | kBoxYesNo);
    if (answer != kAnswerYes) return false;
  }
  InsertEveryNBytes(read.data, &read.size, markLength, request.everyBytes,
                    NewlineBytes(request.lineEndingKind, codePage));
  return true;
}

ReadStatus DecodeBytes(Codec& codec, uint32_t codePage, std::string_view bytes,
                       WideText* text) {
  if (!codec.Decode(codePage, bytes, text)) {
    text->clear();
    return ReadCannotDecode;
  }
  return ReadOk;
}

// Decodes the bytes after the mark where they lie in the text's buffer. A code page the
// converter does not decode so (a mark or the detector chose it) is decoded the usual
// way: the bytes then move out of the buffer, which is given up before the text is made.
ReadStatus DecodeInText(Codec& codec, uint32_t codePage, WholeRead& read, size_t markLength,
                        WideText* text) {
  const size_t count = read.size - markLength;
  switch (codec.DecodeInPlace(codePage, &read.buffer, read.room + markLength, count)) {
    case DecodeAnswer::kDecoded:
      *text = std::move(read.buffer);
      return ReadOk;
    case DecodeAnswer::kInvalid:
      return ReadCannotDecode;
    case DecodeAnswer::kNotSupported:
      break;
  }
  const std::string bytes(read.data + markLength, count);
  WideText().swap(read.buffer);
  return DecodeBytes(codec, codePage, bytes, text);
}



// One read of a file, from the job's request to the text.
struct Reading {
  EngineContext& context;
  const NativePath& path;
  const ReadRequest request;
  std::unique_ptr<Codec> codec;  // made once, on the first piece, and kept for a second read
  WideText text;
  uint32_t codePage;  // the typed one until a road settles it
  bool marked = false;
};

// Settles the code page of a file read whole, handles its NUL bytes, puts in the line
// endings asked for and decodes it.
ReadStatus FinishWhole(Reading& reading, WholeRead& read) {
  const ReadRequest& request = reading.request;
  Codec& codec = *reading.codec;
  const std::string_view all(read.data, read.size);
  // The first piece was looked at; the header of a program may lie further in.
  if (HasBinarySignature(all)) return ReadBinary;

  const ByteOrderMark* mark = FindByteOrderMark(all);
  const size_t markLength = mark ? mark->bytes.size() : 0;
  uint32_t chosen;
  if (mark) {
    chosen = mark->codePage;
    reading.marked = true;
  } else if (request.encodingIndex == kEncodingOther || IsNamedEncoding(request.encodingIndex)) {
    chosen = NamedCodePage(request);
  } else if (!codec.Detect(all, &chosen)) {
    chosen = kCodePageShiftJis;
  }
  reading.codePage = chosen;

  if (request.encodingIndex == kEncodingAutomatic && !IsUtf16CodePage(chosen)) {
    // Detected text holds no NUL bytes: they are a binary file's. One look for the first
    // does for both, as without one there is nothing to remove either.
    if (std::memchr(read.data, 0, read.size) != nullptr) return ReadBinary;
  } else {
    RemoveNuls(read.data, &read.size, IsUtf16CodePage(chosen));
  }
  // Nothing but a mark or NULs: there is no text to convert, and rewriting the file
  // would only throw those bytes away.
  if (read.size <= markLength) return ReadEmpty;

  if (request.everyBytes != 0 &&
      !PutInLineEndings(reading.context, reading.path, request, chosen, read, markLength)) {
    return ReadAborted;
  }
  if (read.intoText) return DecodeInText(codec, chosen, read, markLength, &reading.text);
  const std::string_view bytes(read.data + markLength, read.size - markLength);
  return DecodeBytes(codec, chosen, bytes, &reading.text);
}

// Reads the file once. The first piece decides the road: a binary file, or a converter
// that cannot be made, ends the read there; an empty file ends it before any piece.
// Answers nothing when the converter turned down a piece of a code page it said it
// decodes in pieces: the file is then to be read again, whole.
std::optional<ReadStatus> ReadOnce(Reading& reading, bool piecesAllowed) {
  const ReadRequest& request = reading.request;
  std::unique_ptr<Codec>& codec = reading.codec;
  uint64_t size = 0;
  uint64_t room = 0;
  std::optional<Road> road;
  std::optional<ReadStatus> stopped;
  bool again = false;
  PieceRead pieces;
  WholeRead whole;
  const uint32_t named = NamedCodePage(request);
  auto begin = [&](uint64_t fileSize) {
    size = fileSize;
    room = RoomFor(request, fileSize);
    return RoomFits(size, room);
  };
  auto take = [&](char* piece, size_t length) {
    if (!road) {
      const std::string_view head(piece, length);
      // The first piece holds far more than any signature takes.
      if (HasBinarySignature(head)) {
        stopped = ReadBinary;
        return false;
      }
      if (!codec) {
        uint32_t failure = 0;
        codec = reading.context.createCodec(&failure);
        if (!codec) {
          stopped = ReadNoConverter;
          return false;
        }
      }
      road = ChooseRoad(*codec, request, FindByteOrderMark(head), piecesAllowed);
      if (*road == Road::kPieces) {
        reading.codePage = named;
        StartPieces(pieces, size);
      } else {
        StartWhole(whole, room, *road == Road::kWholeInText);
      }
    }
    if (*road != Road::kPieces) {
      TakeWhole(whole, piece, length);
      return true;
    }
    switch (TakePiece(pieces, *codec, named, piece, length)) {
      case DecodeAnswer::kDecoded:
        return true;
      case DecodeAnswer::kNotSupported:
        again = true;
        return false;
      case DecodeAnswer::kInvalid:
        stopped = ReadCannotDecode;
        return false;
    }
    return false;
  };
  const ReadFileResult read =
      reading.context.files->ReadFileInPieces(reading.path, kPieceBytes, begin, take);
  if (read != ReadFileResult::kOk) return FailedRead(read);
  if (again) return std::nullopt;
  if (stopped) return *stopped;
  // No bytes: there is no text to convert, and no converter was made for it.
  if (!road) return ReadEmpty;
  if (*road == Road::kPieces) return FinishPieces(pieces, *codec, named, &reading.text);
  return FinishWhole(reading, whole);
}

}  // namespace

ReadStatus ReadTextFile(EngineContext& context, const NativePath& path, WideText* text,
                        int16_t inputEncodingIndex, uint32_t* codePage, uint32_t* bomFlag,
                        int16_t lineEndingKind, uint32_t insertEveryBytes) {
  const ReadRequest request{inputEncodingIndex, *codePage, lineEndingKind, insertEveryBytes};
  Reading reading{context, path, request, nullptr, WideText(), *codePage};
  std::optional<ReadStatus> status = ReadOnce(reading, true);
  // The converter turned down the pieces: the file is read again, whole.
  if (!status) status = ReadOnce(reading, false);
  *text = std::move(reading.text);
  *codePage = reading.codePage;
  *bomFlag = reading.marked ? 1 : 0;
  return *status;
}
