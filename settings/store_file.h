// Whether a file behind a settings store can be read, found out without waiting: a FIFO,
// a device or a folder in the file's place is never opened in a way that blocks.
#pragma once

#include <cstdint>

#include "platform/native_path.h"

enum class StoreFileState {
  kReadable,    // a regular file that opens for reading
  kMissing,     // nothing there: the store reads as the defaults and may be created
  kNotAFile,    // a folder, FIFO, device or the like
  kCannotOpen,  // there, but it cannot be opened (*error: the system's code)
};

StoreFileState ProbeStoreFile(const NativePath& path, uint32_t* error);

// The file behind the registry store where it is a file (the hive on Linux); false
// where the store is the system's registry.
bool RegistryStoreFile(NativePath* path);
