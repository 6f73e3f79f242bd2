// A lock that keeps two hand-overs to one settings store apart: whoever holds it may
// write the store and run the job it describes. The lock is released when the object
// ends, or by the system when the process ends.
#pragma once

#include <cstdint>

#include "platform/native_path.h"

class StoreLock {
 public:
  // Blocks until the lock named by identity is held. POSIX: identity is the path of a
  // lock file (created, with its folder, when missing) locked with flock. Windows: a
  // named mutex of this session derived from identity, without regard to letter case.
  explicit StoreLock(const NativePath& identity);
  ~StoreLock();
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

  // False when the lock could not be taken (the file or mutex could not be made);
  // error() then holds the system's code (an errno value, or a Win32 error code).
  bool held() const { return held_; }
  uint32_t error() const { return error_; }

 private:
  bool held_ = false;
  uint32_t error_ = 0;
#ifdef _WIN32
  void* mutex_ = nullptr;
#else
  int fd_ = -1;
#endif
};
