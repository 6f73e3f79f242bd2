#include <errno.h>
#include <signal.h>
#include <unistd.h>

#include "platform/work_files.h"

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

bool ProcessIsRunning(uint32_t pid) {
  if (pid == 0 || pid > static_cast<uint32_t>(INT32_MAX)) return false;
  // EPERM: it runs, under another user.
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}
