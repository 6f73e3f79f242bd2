#include "settings/store_file.h"

#include <windows.h>

StoreFileState ProbeStoreFile(const NativePath& path, uint32_t* error) {
  *error = 0;
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return StoreFileState::kMissing;
    *error = code;
    return StoreFileState::kCannotOpen;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return StoreFileState::kNotAFile;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return StoreFileState::kMissing;
    *error = code;
    return StoreFileState::kCannotOpen;
  }
  // A pipe or a console device has a name like a file's.
  bool disk = GetFileType(file) == FILE_TYPE_DISK;
  CloseHandle(file);
  return disk ? StoreFileState::kReadable : StoreFileState::kNotAFile;
}

bool RegistryStoreFile(NativePath* path) {
  path->clear();
  return false;
}
