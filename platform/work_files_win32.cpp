#include <windows.h>

#include "platform/work_files.h"

uint32_t CurrentProcessId() { return static_cast<uint32_t>(GetCurrentProcessId()); }

bool ProcessIsRunning(uint32_t pid) {
  if (pid == 0) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) {
    // Access denied: it runs, under another user. Otherwise there is no such process.
    return GetLastError() == ERROR_ACCESS_DENIED;
  }
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}
