#include "platform/directory.h"

#include <windows.h>

#include <algorithm>

bool ListCurrentDirectory(const NativePath& pattern, std::vector<DirectoryEntry>* entries) {
  entries->clear();
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                 nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return false;
  do {
    entries->push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return true;
}

bool GetCurrentFolder(NativePath* path) {
  DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return false;
  std::wstring buffer(size, L'\0');
  DWORD length = GetCurrentDirectoryW(size, buffer.data());
  if (length == 0 || length >= size) return false;
  buffer.resize(length);
  *path = buffer;
  return true;
}

bool SetCurrentFolder(const NativePath& path) { return SetCurrentDirectoryW(path.c_str()) != 0; }

bool GetFolderIdentity(const NativePath& path, std::string* identity) {
  HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  BOOL ok = GetFileInformationByHandle(handle, &info);
  CloseHandle(handle);
  if (!ok) return false;
  *identity = std::to_string(info.dwVolumeSerialNumber) + ":" +
              std::to_string((static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
  return true;
}

bool GetExecutablePath(NativePath* path) {
  std::wstring buffer(520, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return false;
    if (length < buffer.size()) {
      buffer.resize(length);
      *path = buffer;
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}
