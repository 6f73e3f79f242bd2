#include <errno.h>
#include <signal.h>
#include <unistd.h>

#include "platform/work_files.h"

// Asked once: getpid is a system call, and every work file's name carries the id. The
// program starts others with posix_spawn and never forks itself, so the id stays.
uint32_t CurrentProcessId() {
  static const uint32_t pid = static_cast<uint32_t>(getpid());
  return pid;
}

bool ProcessIsRunning(uint32_t pid) {
  if (pid == 0 || pid > static_cast<uint32_t>(INT32_MAX)) return false;
  // EPERM: it runs, under another user.
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}
