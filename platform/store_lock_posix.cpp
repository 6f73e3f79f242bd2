#include "platform/store_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/directory.h"

StoreLock::StoreLock(const NativePath& identity) {
  // A folder that cannot be made shows in the open below.
  MakeParentFolders(identity, 0777);
  // O_NONBLOCK: something other than a file in the lock's place must not hang the open.
  // It has no effect on the flock below, which waits for the holder.
  fd_ = open(identity.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd_ < 0) {
    error_ = static_cast<uint32_t>(errno);
    return;
  }
  int result;
  while ((result = flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
  }
  held_ = result == 0;
  if (!held_) error_ = static_cast<uint32_t>(errno);
}

StoreLock::~StoreLock() {
  if (fd_ < 0) return;
  if (held_) flock(fd_, LOCK_UN);
  close(fd_);
}
