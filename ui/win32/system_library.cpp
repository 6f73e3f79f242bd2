#include "ui/win32/system_library.h"

#include <string>

namespace {

const std::wstring& SystemDirectory() {
  static const std::wstring directory = [] {
    wchar_t buffer[MAX_PATH] = L"";
    UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
  }();
  return directory;
}

std::wstring CurrentDirectory() {
  DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return {};
  std::wstring directory(size, L'\0');
  DWORD length = GetCurrentDirectoryW(size, directory.data());
  directory.resize(length < size ? length : 0);
  return directory;
}

}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* name) {
  const std::wstring& system = SystemDirectory();
  std::wstring previous = CurrentDirectory();
  // Without the move (or the folder to move back to) the load could pick up a file of
  // that name from the current folder: nothing is loaded then.
  if (system.empty() || previous.empty() || !SetCurrentDirectoryW(system.c_str())) {
    return nullptr;
  }
  HMODULE module = LoadLibraryW(name);
  SetCurrentDirectoryW(previous.c_str());
  return module;
}
