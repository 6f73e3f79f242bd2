// The start-up check that the program file is whole: the Windows build stores the image
// checksum in the program's header after linking, and quillon recomputes it over its own
// file before it touches anything. Linux programs carry no such checksum and are not
// checked.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/message_host.h"
#include "platform/native_path.h"

// What the system answered about a program file.
struct ImageChecksum {
  bool readable = false;  // the file could be opened, mapped and summed
  uint32_t stored = 0;    // the checksum in its header
  uint32_t computed = 0;  // the checksum of its bytes
};

// True when the checksums show an undamaged file: it was read, a checksum was stored
// (0 means the file was never stamped) and it matches the file's bytes.
bool ChecksumShowsIntactImage(const ImageChecksum& checksum);

// The checksums of the file at path, as the system computes them.
ImageChecksum ReadImageChecksum(const NativePath& path);

// The running program's checksums; nullopt where the platform has no such check.
std::optional<ImageChecksum> ReadProgramChecksum();

// True to go on. Otherwise reports that the program file is damaged through host (a line
// in console mode, where no one may be there to close a box; an error box elsewhere)
// and answers false: the program must end without touching a file.
bool VerifyExecutableIntegrity(const std::optional<ImageChecksum>& checksum, MessageHost& host);
