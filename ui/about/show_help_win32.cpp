#include "ui/about/show_help.h"

#include "platform/directory.h"
#include "ui/win32/system_library.h"

namespace {

constexpr wchar_t kHelpFile[] = L"quillon.chm";
constexpr wchar_t kStartTopic[] = L"::/_RESOURCE/HLP000001.html";
constexpr char kHelpControlKey[] =
    "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr char kHelpControlName[] = "hhctrl.ocx";
constexpr WORD kHtmlHelpWideOrdinal = 15;
constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC
// Registry values and their expansion are read into buffers of this many bytes.
constexpr DWORD kPathBytes = 260;

std::string RegisteredHelpControlPath() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kHelpControlKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return {};
  }
  char buffer[kPathBytes] = "";
  DWORD size = sizeof buffer;
  DWORD type = REG_NONE;
  LONG result = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                                 &size);
  RegCloseKey(key);
  // A longer value does not fit and is not taken (ERROR_MORE_DATA).
  if (result != ERROR_SUCCESS || size > sizeof buffer) return {};
  return HelpControlPathFromValue(type, std::string(buffer, size));
}

HMODULE LoadHelpLibrary(const std::string& path) {
  int units = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (units <= 0) return nullptr;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), units) != units) {
    return nullptr;
  }
  // Never from the current folder: it may be one the user is converting.
  return LoadSystemLibrary(wide.c_str());
}

FARPROC ResolveOrdinal(HMODULE module, WORD ordinal) {
  return GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
}

}  // namespace

std::wstring HelpTopicPath(const std::wstring& programPath) {
  size_t separator = programPath.find_last_of(L"\\/");
  std::wstring folder =
      separator == std::wstring::npos ? L".\\" : programPath.substr(0, separator + 1);
  return folder + kHelpFile + kStartTopic;
}

std::string HelpControlPathFromValue(DWORD type, const std::string& data) {
  // The stored text may or may not carry its terminator.
  std::string value = data.substr(0, data.find('\0'));
  if (value.empty()) return {};
  if (type == REG_EXPAND_SZ) {
    char expanded[kPathBytes] = "";
    DWORD needed = ExpandEnvironmentStringsA(value.c_str(), expanded, kPathBytes);
    if (needed == 0 || needed > kPathBytes) return {};
    return expanded;
  }
  return value.size() < kPathBytes ? value : std::string();
}

HelpControlLoader SystemHelpControlLoader() {
  return HelpControlLoader{RegisteredHelpControlPath, LoadHelpLibrary, ResolveOrdinal};
}

HtmlHelpFunction HelpControl::EntryPoint() {
  if (tried_) return entry_;
  tried_ = true;
  std::string registered = loader_.registeredPath();
  HMODULE module = registered.empty() ? nullptr : loader_.load(registered);
  if (!module) module = loader_.load(kHelpControlName);
  if (!module) return nullptr;
  // The library stays loaded for the process's life, whether or not the entry is found.
  entry_ = reinterpret_cast<HtmlHelpFunction>(
      reinterpret_cast<void*>(loader_.resolve(module, kHtmlHelpWideOrdinal)));
  return entry_;
}

void ShowHelp(HWND owner) {
  static HelpControl control(SystemHelpControlLoader());
  HtmlHelpFunction htmlHelp = control.EntryPoint();
  if (!htmlHelp) return;
  NativePath program;
  std::wstring topic = HelpTopicPath(GetExecutablePath(&program) ? program : std::wstring());
  // What the control answers is not looked at: help that cannot be shown stays silent.
  htmlHelp(owner, topic.c_str(), kDisplayTopic, 0);
}
