// Reads one file, settles its code page and decodes it.
#pragma once

#include <cstdint>

#include "core/wide_text.h"
#include "engine/engine_context.h"
#include "platform/file_system.h"
#include "platform/native_path.h"

enum ReadStatus : int {
  ReadOk = 0,
  ReadCannotOpen = 1,
  ReadEmpty = 2,
  ReadFailed = 3,
  ReadNoConverter = 4,
  ReadCannotDecode = 5,
  ReadAborted = 6,
  ReadTooLarge = 7,
  ReadBinary = 8,  // a program, archive, image and the like: no text, left alone
};

// Reads path into *text. *codePage holds the typed code page on entry (used for
// kEncodingOther) and the code page used on return with statuses 0, 5 and 6. *bomFlag is
// 1 when the file began with a byte-order mark. A file that begins with the signature of
// a binary format, or that holds NUL bytes under detection (kEncodingAutomatic) which
// neither a mark nor detected UTF-16 explains, is ReadBinary; under a named code page
// stray NULs are removed. insertEveryBytes, when not 0, puts a line ending of
// lineEndingKind after every so many bytes before decoding. The converter is made once,
// when the first bytes are seen to be no binary file's: an empty or binary file needs none.
ReadStatus ReadTextFile(EngineContext& context, const NativePath& path, WideText* text,
                        int16_t inputEncodingIndex, uint32_t* codePage, uint32_t* bomFlag,
                        int16_t lineEndingKind, uint32_t insertEveryBytes);

// The reader's answer for a file system read that failed (kOk and kFailed: ReadFailed).
ReadStatus FailedRead(ReadFileResult result);
