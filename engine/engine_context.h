// What the engine works with during a run: files, messages, the converter, the counters.
#pragma once

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
};
