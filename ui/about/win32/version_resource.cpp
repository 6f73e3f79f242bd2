#include "ui/about/win32/version_resource.h"

#include <string>
#include <vector>

namespace {

// One entry of the table; nothing when it is missing.
std::optional<WideText> QueryString(std::vector<BYTE>& block, const wchar_t* name) {
  std::wstring key = L"\\StringFileInfo\\041104b0\\";
  key += name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), key.c_str(), &value, &length) || !value) return std::nullopt;
  const auto* text = static_cast<const char16_t*>(value);
  // The length counts the terminator when there is one.
  size_t units = 0;
  while (units < length && text[units] != u'\0') ++units;
  return WideText(text, units);
}

}  // namespace

std::optional<VersionStrings> ReadVersionStrings(const wchar_t* path) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &handle);
  if (size == 0) return std::nullopt;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(path, 0, size, block.data())) return std::nullopt;
  std::optional<WideText> fileVersion = QueryString(block, L"FileVersion");
  if (!fileVersion) return std::nullopt;
  VersionStrings strings;
  strings.fileVersion = *fileVersion;
  strings.fileDescription = QueryString(block, L"FileDescription").value_or(WideText());
  strings.specialBuild = QueryString(block, L"SpecialBuild").value_or(WideText());
  strings.legalCopyright = QueryString(block, L"LegalCopyright").value_or(WideText());
  strings.privateBuild = QueryString(block, L"PrivateBuild").value_or(WideText());
  return strings;
}

std::wstring ModuleFilePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}
