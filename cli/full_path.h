// The full path of a target argument, as it is handed to quillon.
#pragma once

#include <cstddef>

#include "platform/native_path.h"

// Paths are handed over in buffers of this many characters, terminator included.
inline constexpr size_t kTargetPathBuffer = 520;

// Makes target absolute against the current directory without looking at the file
// system (the last part may be a wildcard pattern). Windows: GetFullPathNameW. POSIX:
// the current directory, "/" and the argument, with ".", ".." and repeated slashes
// resolved by the text alone (links are not followed). False when that fails, when the
// result does not fit the buffer, or (POSIX) when the argument is not valid UTF-8.
bool FormFullPath(const NativePath& target, NativePath* fullPath);
