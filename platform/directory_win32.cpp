#include "platform/directory.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/work_files.h"

namespace {

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool IsFolder(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A file itself: no folder, and no link or other reparse point.
bool IsPlainFile(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

// Calls take(data) for every name the search for pattern finds. False when it finds none.
template <typename Take>
bool Search(const wchar_t* pattern, Take take) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW(pattern, FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                 FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return false;
  do {
    take(data);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return true;
}

// Opens path (a file or folder, following links) just far enough to ask which it is.
bool IdentifyByHandle(const wchar_t* path, FileIdentity* identity) {
  HANDLE handle = CreateFileW(path, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  BOOL ok = GetFileInformationByHandle(handle, &info);
  CloseHandle(handle);
  if (!ok) return false;
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  identity->known = true;
  return true;
}

}  // namespace

bool ListCurrentDirectory(const NativePath& pattern, bool withFolders,
                          std::vector<DirectoryEntry>* entries) {
  entries->clear();
  // The pattern is matched by the system (it also matches the short names), so matching
  // files come from a search of their own; folders and temporaries from a search of all
  // names, when folders are asked for.
  std::vector<NativePath> matchedTemporaries;
  Search(pattern.c_str(), [&](const WIN32_FIND_DATAW& data) {
    if (IsFolder(data)) return;
    DirectoryEntry entry;
    entry.name = data.cFileName;
    entry.plainFile = IsPlainFile(data);
    if (IsTemporaryFileName(entry.name)) matchedTemporaries.push_back(entry.name);
    entries->push_back(std::move(entry));
  });
  if (withFolders) {
    Search(L"*", [&](const WIN32_FIND_DATAW& data) {
      if (IsDotEntry(data.cFileName)) return;
      DirectoryEntry entry;
      entry.name = data.cFileName;
      if (IsFolder(data)) {
        entry.isDirectory = true;
      } else if (!IsPlainFile(data) || !IsTemporaryFileName(entry.name) ||
                 std::find(matchedTemporaries.begin(), matchedTemporaries.end(), entry.name) !=
                     matchedTemporaries.end()) {
        return;
      } else {
        entry.plainFile = true;
      }
      entry.matches = false;
      entries->push_back(std::move(entry));
    });
  }
  return !entries->empty();
}

bool IdentifyFile(const NativePath& path, FileIdentity* identity) {
  return IdentifyByHandle(path.c_str(), identity);
}

void RemoveLeftoverFile(const NativePath& name) { DeleteFileW(name.c_str()); }

bool MakeParentFolders(const NativePath& filePath, uint32_t) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(filePath).parent_path(), error);
  return !error;
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

HeldFolder::~HeldFolder() { Release(); }

void HeldFolder::Release() { path_.clear(); }

bool HoldCurrentFolder(HeldFolder* folder) {
  folder->Release();
  return GetCurrentFolder(&folder->path_);
}

bool HoldFolder(const NativePath& name, HeldFolder* folder, FileIdentity* identity) {
  folder->Release();
  // A folder that can be entered but not asked which it is is still entered.
  if (!IdentifyByHandle(name.c_str(), identity)) *identity = FileIdentity();
  DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (size == 0) return false;
  std::wstring buffer(size, L'\0');
  DWORD length = GetFullPathNameW(name.c_str(), size, buffer.data(), nullptr);
  if (length == 0 || length >= size) return false;
  buffer.resize(length);
  folder->path_ = buffer;
  return true;
}

bool GoToHeldFolder(const HeldFolder& folder) {
  return !folder.path_.empty() && SetCurrentDirectoryW(folder.path_.c_str()) != 0;
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
