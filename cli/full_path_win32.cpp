#include "cli/full_path.h"

#include <windows.h>

bool FormFullPath(const NativePath& target, NativePath* fullPath) {
  wchar_t buffer[kTargetPathBuffer];
  wchar_t* filePart = nullptr;
  DWORD length = GetFullPathNameW(target.c_str(), kTargetPathBuffer, buffer, &filePart);
  if (length == 0 || length >= kTargetPathBuffer) return false;
  fullPath->assign(buffer, length);
  return true;
}
