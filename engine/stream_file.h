// The streaming road of a file: read, decoded, transformed, encoded and written to a work
// file beside it piece by piece, so that a file of any size takes the same small memory.
// The whole-text road (read_text_file.h, transformations.h, write_text_file.h) stays for
// the jobs and files that need the whole text at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/job_options.h"
#include "engine/engine_context.h"
#include "engine/read_text_file.h"
#include "engine/stream_codec.h"
#include "platform/file_system.h"
#include "platform/native_path.h"

// Whether the job can take the streaming road at all: a named input code page (detection
// looks at the whole file), no line endings put in every n bytes, no regular expression.
// Whether a file takes it is settled on its first bytes (see StreamFile).
bool JobStreams(const JobOptions& job);

// The code page a file is written in: the one it was read in for index 0 (and for an
// index no list offers), the typed one for index 9, else the catalogue's.
uint32_t ResolveOutputCodePage(const JobOptions& job, uint32_t inputCodePage);

// Whether a file whose steps changed nothing is still written: in another code page than
// it was read in, when the job names that one.
bool WrittenInOtherCodePage(const JobOptions& job, uint32_t inputCodePage,
                            uint32_t outputCodePage);

// A file taken down the streaming road (or whose regular-expression replacement was
// written as it was made).
struct StreamedFile {
  ReadStatus status = ReadOk;  // as ReadTextFile answers; the output is void unless ReadOk
  bool changed = false;        // a step changed the text
  bool substituted = false;    // a character was written as "?"
  uint32_t inputCodePage = 0;
  uint32_t outputCodePage = 0;
  // The new content, not yet in place: in a work file, or while it is small (output is
  // nullptr) in bytes, so that a small file that stays as it is costs no work file.
  std::unique_ptr<ContentReplacement> output;
  std::string bytes;
};


// Puts the new content of a file into a StreamedFile as it is made: encoded piece by
// piece, held in bytes while it is small, then written to a work file beside the file.
class ContentWriter {
 public:
  ContentWriter(EngineContext& context, const NativePath& path, StreamedFile& file,
                size_t heldBytes)
      : context_(context), path_(path), file_(file), heldBytes_(heldBytes) {}

  // Units are to be encoded in this code page (before the first Hand).
  void EncodeWith(Codec& codec, uint32_t codePage) { encoder_.emplace(codec, codePage); }

  // Appends bytes as they are. False when no work file can be made beside the file.
  bool Write(std::string_view bytes);

  // Puts what is held so far into a work file, which takes everything from then on. False
  // when no work file can be made beside the file.
  bool OpenWorkFile();

  // Encodes the units (all of them when last; they may be changed) and appends the bytes.
  // False when the converter broke off or no work file can be made. Once the last units
  // are in, the file's substituted tells whether a character was written as "?".
  bool Hand(WideText& units, bool last);

 private:
  EngineContext& context_;
  const NativePath& path_;
  StreamedFile& file_;
  const size_t heldBytes_;
  std::optional<StreamEncoder> encoder_;
  std::string encoded_;
};

// Takes the file down the streaming road, reading context.streamPieceBytes at a time and
// holding up to context.streamHeldBytes of the new content before it goes to a work file. nullptr when the
// road does not suit the file (its byte-order mark names a code page that does not stream,
// the converter does not convert it in pieces, the file system cannot write so, or the
// file is empty, unreadable or may be a program): nothing has then been reported or
// written, and the whole-text road is the way.
std::unique_ptr<StreamedFile> StreamFile(EngineContext& context, const NativePath& path,
                                         const JobOptions& job);
