#include "settings/store_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "settings/registry.h"

StoreFileState ProbeStoreFile(const NativePath& path, uint32_t* error) {
  *error = 0;
  // Looked at before it is opened: opening some devices has effects of its own.
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return StoreFileState::kMissing;
    *error = static_cast<uint32_t>(errno);
    return StoreFileState::kCannotOpen;
  }
  if (!S_ISREG(st.st_mode)) return StoreFileState::kNotAFile;
  // Something else may take the file's place meanwhile: O_NONBLOCK keeps a FIFO from
  // waiting for a writer, and the opened file is looked at again.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT) return StoreFileState::kMissing;
    *error = static_cast<uint32_t>(errno);
    return StoreFileState::kCannotOpen;
  }
  bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  close(fd);
  return regular ? StoreFileState::kReadable : StoreFileState::kNotAFile;
}

bool RegistryStoreFile(NativePath* path) {
  *path = RegistryHivePath();
  return true;
}
