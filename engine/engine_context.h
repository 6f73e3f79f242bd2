// What the engine works with during a run: files, messages, the converter, the counters.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/codec/codec.h"
#include "platform/file_system.h"
#include "platform/message_host.h"

struct RunCounters {
  uint32_t targetsSeen = 0;   // files read and taken through every step
  uint32_t filesWritten = 0;  // files written successfully
};

struct EngineContext {
  FileSystem* files = &RealFileSystem();
  MessageHost* host = &ConsoleMessageHost();
  CodecFactory createCodec = CreateSystemCodec;
  RunCounters counters;
  // The streaming road (stream_file.h): the bytes of a file read at a time, and the new
  // content held in memory before it goes to a work file. Tests make them small.
  size_t streamPieceBytes = size_t{256} << 10;
  size_t streamHeldBytes = size_t{1} << 20;
  // The least file whose encoding and writing run on a helper thread beside the reading,
  // decoding and transforming: below it the thread costs more than it saves.
  uint64_t streamRelayFromBytes = uint64_t{4} << 20;
  // The units of a regular-expression replacement's result encoded and written at a time
  // (when the file system writes in pieces); the same held bytes apply.
  size_t replacementPieceUnits = size_t{128} << 10;
};
