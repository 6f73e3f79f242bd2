#include "settings/ini_file.h"

#include <windows.h>

#include <string>
#include <vector>

#include "settings/ansi_text.h"

namespace {

std::wstring W(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

WideText ReadIniString(const NativePath& path, std::u16string_view section,
                          std::u16string_view key, std::u16string_view defaultValue) {
  std::vector<wchar_t> buffer(kProfileTextLimit + 1, L'\0');
  DWORD length = GetPrivateProfileStringW(W(section).c_str(), W(key).c_str(),
                                          W(defaultValue).c_str(), buffer.data(),
                                          static_cast<DWORD>(buffer.size()), path.c_str());
  if (length > kProfileTextLimit) length = kProfileTextLimit;
  return WideText(buffer.begin(), buffer.begin() + length);
}

int32_t ReadIniInt(const NativePath& path, std::u16string_view section,
                      std::u16string_view key, int32_t defaultValue) {
  return static_cast<int32_t>(
      GetPrivateProfileIntW(W(section).c_str(), W(key).c_str(), defaultValue, path.c_str()));
}

bool WriteIniString(const NativePath& path, std::u16string_view section,
                        std::u16string_view key, std::u16string_view text) {
  if (HasLineBreak(text) || HasLineBreak(key) || HasLineBreak(section)) return false;
  return WritePrivateProfileStringW(W(section).c_str(), W(key).c_str(), W(text).c_str(),
                                    path.c_str()) != FALSE;
}

bool WriteIniStringNarrow(const NativePath& path, std::string_view section,
                              std::string_view key, std::string_view ansiText) {
  if (ansiText.find_first_of("\r\n") != std::string_view::npos) return false;
  std::string narrowPath;
  if (AnsiFromWideExactly(std::u16string(path.begin(), path.end()), &narrowPath)) {
    return WritePrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                      std::string(ansiText).c_str(), narrowPath.c_str()) != FALSE;
  }
  // A folder name outside the ANSI code page cannot be given to the narrow form; the wide
  // form with the same strings converted is what the narrow form does inside.
  return WritePrivateProfileStringW(W(WideFromAnsi(section)).c_str(),
                                    W(WideFromAnsi(key)).c_str(),
                                    W(WideFromAnsi(ansiText)).c_str(), path.c_str()) != FALSE;
}

bool CreateIniFileIfMissing(const NativePath& path) {
  static constexpr char kEmptyFile[] = "\xFF\xFE\x0D\x00\x0A\x00";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    LARGE_INTEGER size{};
    bool empty = GetFileSizeEx(file, &size) && size.QuadPart == 0;
    CloseHandle(file);
    if (!empty) return true;
    // An empty file would be written in ANSI by the profile functions; it gets the mark
    // like a new one.
    file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return true;
    DWORD written = 0;
    bool ok = WriteFile(file, kEmptyFile, 6, &written, nullptr) && written == 6;
    return CloseHandle(file) && ok;
  }
  DWORD error = GetLastError();
  if (error != ERROR_FILE_NOT_FOUND) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
  DWORD written = 0;
  bool ok = WriteFile(file, kEmptyFile, 6, &written, nullptr) && written == 6;
  if (!CloseHandle(file)) ok = false;
  if (!ok) DeleteFileW(path.c_str());
  return ok;
}

NativePath DefaultIniFilePath() { return L".\\quillon.ini"; }
