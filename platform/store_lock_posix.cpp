#include "platform/store_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Creates the folders above path that are missing.
void MakeParentFolders(const NativePath& path) {
  for (size_t slash = path.find('/', 1); slash != NativePath::npos;
       slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0777);
  }
}

}  // namespace

StoreLock::StoreLock(const NativePath& identity) {
  MakeParentFolders(identity);
  fd_ = open(identity.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) return;
  int result;
  while ((result = flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
  }
  held_ = result == 0;
}

StoreLock::~StoreLock() {
  if (fd_ < 0) return;
  if (held_) flock(fd_, LOCK_UN);
  close(fd_);
}
