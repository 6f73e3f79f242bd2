#include "ui/win32/dark_theme.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <cwchar>
#include <utility>

#include "ui/win32/disabled_painting.h"
#include "ui/win32/system_library.h"

BOOL darkTheme = FALSE;

namespace {

HBRUSH darkBrush = nullptr;

WindowsVersionSource& VersionSource() {
  static WindowsVersionSource source;
  return source;
}

std::optional<uint32_t> SystemMajorVersion() {
  // ntdll.dll is in every process; RtlGetVersion tells the truth where GetVersionEx may
  // report an older system to a program without a compatibility manifest entry.
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return std::nullopt;
  auto getVersion = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
  if (!getVersion) return std::nullopt;
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (getVersion(&info) != 0) return std::nullopt;
  return static_cast<uint32_t>(info.dwMajorVersion);
}

// The user's choice for applications: 0 dark, anything else light. Empty when the key or a
// 32-bit value is not there.
std::optional<uint32_t> ReadAppsUseLightTheme() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER,
                    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                    KEY_READ, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  LONG status = RegQueryValueExW(key, L"AppsUseLightTheme", nullptr, &type,
                                 reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return std::nullopt;
  return value;
}

template <typename Function>
Function LookUp(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool HasClass(HWND window, const wchar_t* name) {
  wchar_t className[64] = L"";
  GetClassNameW(window, className, 64);
  return _wcsicmp(className, name) == 0;
}

void ThemeListView(HWND list, bool dark) {
  HWND header = ListView_GetHeader(list);
  if (dark) {
    SetWindowTheme(list, L"Explorer", nullptr);
    ListView_SetBkColor(list, kDarkTipBackground);
    ListView_SetTextBkColor(list, kDarkTipBackground);
    ListView_SetTextColor(list, kDarkTipText);
    // Exactly these two: the mask 0 sets every extended style to the value given.
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, kDarkListViewExtendedStyles);
    if (header) SetWindowTheme(header, L"ItemsView", nullptr);
  } else {
    SetWindowTheme(list, nullptr, nullptr);
    if (header) SetWindowTheme(header, nullptr, nullptr);
    ListView_SetBkColor(list, GetSysColor(COLOR_WINDOW));
    ListView_SetTextBkColor(list, GetSysColor(COLOR_WINDOW));
    ListView_SetTextColor(list, GetSysColor(COLOR_WINDOWTEXT));
  }
}

bool IsPushButton(HWND control) {
  return HasClass(control, L"Button") &&
         IsPushButtonStyle(static_cast<uint32_t>(GetWindowLongW(control, GWL_STYLE)));
}

void ThemeControl(HWND control, bool dark) {
  if (IsPushButton(control)) {
    SetWindowTheme(control, dark ? L"DarkMode_Explorer" : L"Explorer", nullptr);
  } else if (HasClass(control, WC_LISTVIEWW)) {
    ThemeListView(control, dark);
  } else if (dark) {
    // A single space as theme and sub-id list matches no theme: classic drawing, which
    // takes its colours from the WM_CTLCOLOR* answers.
    SetWindowTheme(control, L" ", L" ");
  } else {
    SetWindowTheme(control, nullptr, nullptr);
  }
  UpdateWindow(control);
}

struct TooltipSearch {
  HWND owner;
  bool dark;
};

BOOL CALLBACK ThemeTooltipOf(HWND window, LPARAM parameter) {
  const auto* search = reinterpret_cast<const TooltipSearch*>(parameter);
  if ((GetParent(window) == search->owner || GetWindow(window, GW_OWNER) == search->owner) &&
      HasClass(window, TOOLTIPS_CLASSW)) {
    ThemeTooltip(window, search->dark);
  }
  return TRUE;
}

void OnSettingChange(HWND dialog, LPARAM lParam) {
  // The controls are re-themed with the flag as it was; the new one shows at the next
  // theme or setting change. The colours answered from now on follow at once.
  ApplyTheme(dialog, darkTheme);
  const auto* setting = reinterpret_cast<const wchar_t*>(lParam);
  if (!setting || std::wcscmp(setting, L"ImmersiveColorSet") != 0) return;
  if (!SupportsDarkTheme(WindowsMajorVersion())) return;
  ReadDarkPreference();
  SetDarkTitleBar(dialog, &darkTheme);
  // With erasing: the dialog's own background changes colour as well.
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

std::optional<uint32_t> WindowsMajorVersion() {
  return VersionSource() ? VersionSource()() : SystemMajorVersion();
}

void SetWindowsVersionSource(WindowsVersionSource source) { VersionSource() = std::move(source); }

void ReadDarkPreference() {
  std::optional<uint32_t> major = WindowsMajorVersion();
  if (!SupportsDarkTheme(major)) {
    darkTheme = FALSE;
    return;
  }
  DarkBackgroundBrush();
  darkTheme = DarkFlagFrom(major, ReadAppsUseLightTheme()) ? TRUE : FALSE;
}

void EnableDarkModeForApp() {
  if (!SupportsDarkTheme(WindowsMajorVersion())) return;
  HMODULE uxtheme = LoadSystemLibrary(L"uxtheme.dll");
  if (!uxtheme) return;
  using AllowDarkModeFunction = int(WINAPI*)(int);
  using RefreshPolicyFunction = void(WINAPI*)();
  auto allowDarkMode = LookUp<AllowDarkModeFunction>(uxtheme, MAKEINTRESOURCEA(135));
  auto refreshPolicy = LookUp<RefreshPolicyFunction>(uxtheme, MAKEINTRESOURCEA(104));
  if (allowDarkMode && refreshPolicy) {
    allowDarkMode(1);
    refreshPolicy();
  }
  FreeLibrary(uxtheme);
}

HBRUSH DarkBackgroundBrush() {
  if (!darkBrush) darkBrush = CreateSolidBrush(kDarkBackground);
  return darkBrush;
}

void ReleaseDarkBackgroundBrush() {
  if (darkBrush) DeleteObject(darkBrush);
  darkBrush = nullptr;
}

void SetDarkTitleBar(HWND window, const BOOL* dark) {
  using SetAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  // Looked up once; dwmapi.dll stays loaded for the rest of the run.
  static const SetAttributeFunction setAttribute = [] {
    HMODULE dwmapi = LoadSystemLibrary(L"dwmapi.dll");
    return dwmapi ? LookUp<SetAttributeFunction>(dwmapi, "DwmSetWindowAttribute") : nullptr;
  }();
  constexpr DWORD kUseImmersiveDarkMode = 20;
  if (setAttribute) setAttribute(window, kUseImmersiveDarkMode, dark, sizeof *dark);
}

void ThemeChildControls(HWND window, bool dark) {
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    ThemeControl(child, dark);
  }
}

void ThemeChildControlsStylesOff(HWND window, bool dark) {
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsPushButton(child)) {
      SetWindowTheme(child, dark ? L"DarkMode_Explorer" : L"Explorer", nullptr);
    } else {
      SetWindowTheme(child, L" ", L" ");
    }
    UpdateWindow(child);
  }
}

void ThemeTooltip(HWND tooltip, bool dark) {
  if (dark) {
    SetWindowTheme(tooltip, L" ", L" ");
  } else {
    SetWindowTheme(tooltip, nullptr, nullptr);
  }
  SendMessageW(tooltip, TTM_SETTIPBKCOLOR, dark ? kDarkTipBackground : GetSysColor(COLOR_INFOBK),
               0);
  SendMessageW(tooltip, TTM_SETTIPTEXTCOLOR, dark ? kDarkTipText : GetSysColor(COLOR_INFOTEXT),
               0);
  UpdateWindow(tooltip);
}

void ThemeOwnedTooltips(HWND window, bool dark) {
  TooltipSearch search{window, dark};
  EnumWindows(ThemeTooltipOf, reinterpret_cast<LPARAM>(&search));
}

void ApplyTheme(HWND dialog, bool dark) {
  ThemeChildControls(dialog, dark);
  ThemeOwnedTooltips(dialog, dark);
  UpdateWindow(dialog);
}

void PaintDialogBackground(HWND window, HDC dc, bool dark, HBRUSH brush) {
  RECT client = {};
  GetClientRect(window, &client);
  FillRect(dc, &client, dark && brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
}

bool IsControlColourMessage(UINT message) {
  return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

HBRUSH AnswerControlColour(HDC dc, bool dark, HBRUSH brush) {
  if (!dark) return nullptr;
  SetTextColor(dc, kDarkText);
  SetBkMode(dc, TRANSPARENT);
  SetBkColor(dc, kDarkBackground);
  return brush;
}

void InitMainDialogTheme(HWND dialog) {
  SendMessageW(dialog, WM_THEMECHANGED, 0, 0);
  SubclassForDisabledPainting(dialog);
}

bool HandleMainDialogThemeMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                  INT_PTR* answer) {
  if (IsControlColourMessage(message)) {
    HBRUSH brush = AnswerControlColour(reinterpret_cast<HDC>(wParam), darkTheme,
                                       darkTheme ? DarkBackgroundBrush() : nullptr);
    *answer = reinterpret_cast<INT_PTR>(brush);
    return true;
  }
  switch (message) {
    case WM_ERASEBKGND:
      PaintDialogBackground(dialog, reinterpret_cast<HDC>(wParam), darkTheme,
                            darkTheme ? DarkBackgroundBrush() : nullptr);
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
      *answer = TRUE;
      return true;
    case WM_THEMECHANGED:
      ApplyTheme(dialog, darkTheme);
      *answer = FALSE;
      return true;
    case WM_SETTINGCHANGE:
      OnSettingChange(dialog, lParam);
      *answer = darkTheme;
      return true;
  }
  return false;
}
