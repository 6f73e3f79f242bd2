#include "ui/about/environment_report.h"

#include <cstdlib>

#include "core/message_format.h"

namespace {

// The report module's own version, printed on its first line.
constexpr unsigned kReportMajor = 1, kReportMinor = 3, kReportRelease = 1;

const char16_t* PlatformName(uint32_t id) {
  switch (id) {
    case 0:
      return u"(Win32s)";
    case 1:
      return u"(Win9x)";
    case 2:
      return u"(NT)";
  }
  return u"";
}

const char16_t* SafeModeName(int cleanBoot) {
  switch (cleanBoot) {
    case 1:
      return u"Fail-safe boot";
    case 2:
      return u"Fail-safe with network boot";
  }
  return u"Off";
}

void AppendRect(WideText& out, const ReportRect& r) {
  out += FormatMessageText(u"(%d,%d)-(%d,%d)", {r.left, r.top, r.right, r.bottom});
}

void AppendUacValue(WideText& out, const char16_t* name, const std::optional<uint32_t>& value) {
  out += name;
  if (value) out += FormatMessageText(u"%u", {*value});
}

}  // namespace

WideText TimeZoneText(int32_t bias) {
  int64_t magnitude = std::llabs(static_cast<long long>(bias));
  return FormatMessageText(bias < 0 ? u"(UTC+%02d:%02d)" : u"(UTC-%02d:%02d)",
                           {static_cast<long long>(magnitude / 60),
                            static_cast<long long>(magnitude % 60)});
}

WideText BuildEnvironmentReport(const SystemFacts& f) {
  static constexpr const char16_t* kWeekdays[] = {u"Sun", u"Mon", u"Tue", u"Wed",
                                                  u"Thu", u"Fri", u"Sat"};
  static constexpr const char16_t* kMonths[] = {u"Jan", u"Feb", u"Mar", u"Apr",
                                                u"May", u"Jun", u"Jul", u"Aug",
                                                u"Sep", u"Oct", u"Nov", u"Dec"};
  WideText out = FormatMessageText(u"VantoriaLite ver.%u.%02u.%02u [%s]\r\n",
                                   {kReportMajor, kReportMinor, kReportRelease, f.buildDate});

  // A system of the Win9x line keeps its version in the build number's top bytes.
  uint32_t major = f.major, minor = f.minor;
  if (f.platformId != 2 && f.build > 0xFFFF) {
    major = (f.build >> 24) & 0xFF;
    minor = (f.build >> 16) & 0xFF;
  }
  uint32_t build = f.build & 0xFFFF;

  out += u"[Windows]";
  out += u"\r\n Platform Id\t: ";
  out += FormatMessageText(u"%d ", {static_cast<long long>(f.platformId)});
  out += PlatformName(f.platformId);
  out += u"\r\n OS Version  \t: ";
  out += FormatMessageText(u"%u.%u.%u %s", {major, minor, build, f.servicePack});
  out += u"\r\n ServicePack\t: ";
  out += FormatMessageText(u"%u.%u ", {f.servicePackMajor, f.servicePackMinor});
  out += u"\r\n Architecture\t: ";
  out += u"x64";
  out += u"\r\n ProductType\t: ";
  switch (f.productType) {
    case 1:
      out += u"1 (Workstation)";
      break;
    case 2:
      out += u"2 (Domain Controller)";
      break;
    case 3:
      out += u"3 (Server)";
      break;
    default:
      out += FormatMessageText(u"%u", {f.productType});
  }
  if (major >= 6) {
    out += u"\r\n ProductInfo.\t: ";
    out += FormatMessageText(u"0x%08x", {f.productInfo});
  }
  out += u"\r\n SuiteMask\t: ";
  out += FormatMessageText(u"0x%04x", {f.suiteMask});
  out += u"\r\n SafeMode\t: ";
  out += SafeModeName(f.cleanBoot);
  out += u"\r\n Locale Info\t: ";
  out += f.country;
  out += u"\r\n Remote Session \t: ";
  out += f.remoteSession ? u"On" : u"Off";
  out += u"\r\n Dark Mode \t: ";
  out += f.darkMode ? u"On" : u"Off";

  if (major >= 6) {
    out += u"\r\n[User Account Control]\r\n ";
    if (f.uacKeyOpened) {
      AppendUacValue(out, u"EnableLUA=", f.enableLua);
      AppendUacValue(out, u", PromptOnSecureDesktop=", f.promptOnSecureDesktop);
      AppendUacValue(out, u", ConsentPromptBehaviorAdmin=", f.consentPromptAdmin);
      AppendUacValue(out, u", ConsentPromptBehaviorUser=", f.consentPromptUser);
    }
  }

  out += u"\r\n[Screen]\r\n ";
  out += FormatMessageText(u"%dx%d (%dbpp) ", {f.screenWidth, f.screenHeight, f.bitsPerPixel});
  out += FormatMessageText(u"[Work Area (%d,%d)-(%d,%d)]", {f.workArea.left, f.workArea.top,
                                                            f.workArea.right,
                                                            f.workArea.bottom});
  out += u"\r\n Virtual Screen: ";
  out += FormatMessageText(u"(%d,%d)-(%d,%d) [Monitors:%d]",
                           {f.virtualLeft, f.virtualTop, f.virtualLeft + f.virtualWidth,
                            f.virtualTop + f.virtualHeight, f.monitorCount});
  for (const MonitorFacts& monitor : f.monitors) {
    out += u"\r\n Monitor Info :";
    out += u" ";
    AppendRect(out, monitor.monitor);
    out += u" [Workarea ";
    AppendRect(out, monitor.workArea);
    out += u"]";
    if (monitor.primary) out += u" *primary";
  }

  out += u"\r\n[Other]";
  out += u"\r\n Date/Time \t: ";
  const char16_t* weekday = f.weekday >= 0 && f.weekday < 7 ? kWeekdays[f.weekday] : u"";
  const char16_t* month = f.month >= 1 && f.month <= 12 ? kMonths[f.month - 1] : u"";
  out += FormatMessageText(u"%s, %s %d, %d %2d:%02d:%02d",
                           {weekday, month, f.day, f.year, f.hour, f.minute, f.second});
  out += TimeZoneText(f.timeZoneBias);
  return out;
}
