#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/large_buffer.h"

// Large pages on Windows need a privilege ordinary users lack; the advice is dropped.
void AdviseLargePages(void*, size_t) {}

// The heap's pages go back to the system when the buffer is freed.
void ReleasePages(void*, size_t) {}

uint64_t SystemHeldLimit() {
  // Asked once: a run may read thousands of files.
  static const uint64_t limit = [] {
    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;
    // Without an answer the reader takes any file a string holds, and so does this.
    const uint64_t most = std::u16string().max_size();
    return GlobalMemoryStatusEx(&memory) ? std::min<uint64_t>(memory.ullTotalPhys / 8, most) : most;
  }();
  return limit;
}
