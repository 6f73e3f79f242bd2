#include "ui/executable_integrity.h"

#include <windows.h>
#include <imagehlp.h>

#include "platform/directory.h"

ImageChecksum ReadImageChecksum(const NativePath& path) {
  ImageChecksum checksum;
  DWORD stored = 0;
  DWORD computed = 0;
  // The system's own computation over the file as it lies on disk.
  if (MapFileAndCheckSumW(path.c_str(), &stored, &computed) != CHECKSUM_SUCCESS) return checksum;
  checksum.readable = true;
  checksum.stored = stored;
  checksum.computed = computed;
  return checksum;
}

std::optional<ImageChecksum> ReadProgramChecksum() {
  NativePath program;
  // A program that cannot name its own file cannot vouch for it either.
  if (!GetExecutablePath(&program)) return ImageChecksum{};
  return ReadImageChecksum(program);
}
