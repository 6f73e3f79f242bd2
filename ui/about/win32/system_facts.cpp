#include "ui/about/win32/system_facts.h"

#include <windows.h>

#include <string>

#include "ui/win32/system_library.h"

namespace {

// OSVERSIONINFOEXW from the system's own version call, which tells the truth whatever the
// program's manifest says; GetVersionExW when ntdll does not offer it.
OSVERSIONINFOEXW ReadSystemVersion() {
  OSVERSIONINFOEXW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  if (HMODULE ntdll = LoadSystemLibrary(L"ntdll.dll")) {
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    bool done = rtlGetVersion && rtlGetVersion(&version) == 0;
    FreeLibrary(ntdll);
    if (done) return version;
  }
  version = {};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));
#pragma GCC diagnostic pop
  return version;
}

DWORD ReadProductInfo(const OSVERSIONINFOEXW& version) {
  using GetProductInfoFunction = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, DWORD*);
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  if (!kernel32) return 0;
  auto getProductInfo = reinterpret_cast<GetProductInfoFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel32, "GetProductInfo")));
  DWORD type = 0;
  if (!getProductInfo || !getProductInfo(version.dwMajorVersion, version.dwMinorVersion,
                                         version.wServicePackMajor, version.wServicePackMinor,
                                         &type)) {
    return 0;
  }
  return type;
}

std::optional<uint32_t> ReadDword(HKEY key, const wchar_t* name) {
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value) {
    return std::nullopt;
  }
  return value;
}

void ReadAccountControl(SystemFacts& facts) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", 0,
                    KEY_READ, &key) != ERROR_SUCCESS) {
    return;
  }
  facts.uacKeyOpened = true;
  facts.enableLua = ReadDword(key, L"EnableLUA");
  facts.promptOnSecureDesktop = ReadDword(key, L"PromptOnSecureDesktop");
  facts.consentPromptAdmin = ReadDword(key, L"ConsentPromptBehaviorAdmin");
  facts.consentPromptUser = ReadDword(key, L"ConsentPromptBehaviorUser");
  RegCloseKey(key);
}

ReportRect ToReportRect(const RECT& rect) {
  return {static_cast<int>(rect.left), static_cast<int>(rect.top), static_cast<int>(rect.right),
          static_cast<int>(rect.bottom)};
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, RECT*, LPARAM data) {
  auto* facts = reinterpret_cast<SystemFacts*>(data);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    facts->monitors.push_back({ToReportRect(info.rcMonitor), ToReportRect(info.rcWork),
                               (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  }
  return TRUE;
}

void ReadScreens(SystemFacts& facts) {
  facts.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  facts.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  if (HDC screen = GetDC(nullptr)) {
    facts.bitsPerPixel = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
  }
  RECT work = {};
  if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) facts.workArea = ToReportRect(work);
  facts.virtualLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
  facts.virtualTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
  facts.virtualWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  facts.virtualHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  facts.monitorCount = GetSystemMetrics(SM_CMONITORS);
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&facts));
}

WideText ReadCountry() {
  wchar_t name[128] = L"";
  int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SENGCOUNTRY, name, 128);
  if (length <= 1) return {};
  return WideText(reinterpret_cast<const char16_t*>(name), static_cast<size_t>(length - 1));
}

}  // namespace

bool ReadAboutDarkFlag() {
  DWORD value = 1;
  DWORD size = sizeof value;
  LSTATUS status = RegGetValueW(
      HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
      L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &value, &size);
  return status == ERROR_SUCCESS && value == 0;
}

SystemFacts GatherSystemFacts(bool dark) {
  SystemFacts facts;
  facts.buildDate = u"" __DATE__;
  OSVERSIONINFOEXW version = ReadSystemVersion();
  facts.platformId = version.dwPlatformId;
  facts.major = version.dwMajorVersion;
  facts.minor = version.dwMinorVersion;
  facts.build = version.dwBuildNumber;
  facts.servicePack = reinterpret_cast<const char16_t*>(version.szCSDVersion);
  facts.servicePackMajor = version.wServicePackMajor;
  facts.servicePackMinor = version.wServicePackMinor;
  facts.productType = version.wProductType;
  facts.suiteMask = version.wSuiteMask;
  if (facts.major >= 6) {
    facts.productInfo = ReadProductInfo(version);
    ReadAccountControl(facts);
  }
  facts.cleanBoot = GetSystemMetrics(SM_CLEANBOOT);
  facts.country = ReadCountry();
  facts.remoteSession = GetSystemMetrics(SM_REMOTESESSION) != 0;
  facts.darkMode = dark;
  ReadScreens(facts);

  SYSTEMTIME now = {};
  GetLocalTime(&now);
  facts.weekday = now.wDayOfWeek;
  facts.year = now.wYear;
  facts.month = now.wMonth;
  facts.day = now.wDay;
  facts.hour = now.wHour;
  facts.minute = now.wMinute;
  facts.second = now.wSecond;
  TIME_ZONE_INFORMATION zone = {};
  if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID) facts.timeZoneBias = zone.Bias;
  return facts;
}
