// ELF programs carry no image checksum: nothing to compare.
#include "ui/executable_integrity.h"

ImageChecksum ReadImageChecksum(const NativePath& /*path*/) { return ImageChecksum{}; }

std::optional<ImageChecksum> ReadProgramChecksum() { return std::nullopt; }
