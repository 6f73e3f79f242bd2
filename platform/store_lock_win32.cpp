#include "platform/store_lock.h"

#include <windows.h>

#include <cstdint>
#include <string>

StoreLock::StoreLock(const NativePath& identity) {
  // A mutex name may not hold a backslash and is limited in length: the name carries a
  // hash of the identity (FNV-1a over the upper-cased UTF-16 units) instead.
  uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : identity) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
    hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211ull;
  }
  wchar_t name[64];
  swprintf(name, 64, L"Local\\quillon-store-%016llx", static_cast<unsigned long long>(hash));
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
  if (!mutex) {
    error_ = GetLastError();
    return;
  }
  mutex_ = mutex;
  // An owner that ended without releasing leaves the mutex abandoned; it is ours then.
  DWORD result = WaitForSingleObject(mutex, INFINITE);
  held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  if (!held_) error_ = result == WAIT_FAILED ? GetLastError() : static_cast<uint32_t>(result);
}

StoreLock::~StoreLock() {
  if (!mutex_) return;
  if (held_) ReleaseMutex(static_cast<HANDLE>(mutex_));
  CloseHandle(static_cast<HANDLE>(mutex_));
}
