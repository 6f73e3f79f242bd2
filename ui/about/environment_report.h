// The environment report of the About box: what the user copies to the clipboard to
// attach to a question to the maker. The facts of the system are gathered by the
// platform's side (system_facts.h) and only formatted here.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/wide_text.h"

struct ReportRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct MonitorFacts {
  ReportRect monitor;
  ReportRect workArea;
  bool primary = false;
};

struct SystemFacts {
  WideText buildDate;  // the compiler's date string, "Dec  7 2026"
  // The system's version.
  uint32_t platformId = 2;
  uint32_t major = 0, minor = 0, build = 0;
  WideText servicePack;
  uint32_t servicePackMajor = 0, servicePackMinor = 0;
  uint32_t productType = 1;
  uint32_t productInfo = 0;  // GetProductInfo's product type, 0 when not available
  uint32_t suiteMask = 0;
  int cleanBoot = 0;
  WideText country;  // English name of the user's country or region, empty if unknown
  bool remoteSession = false;
  bool darkMode = false;
  // User Account Control: whether its policy key opened, and the values that exist.
  bool uacKeyOpened = false;
  std::optional<uint32_t> enableLua, promptOnSecureDesktop, consentPromptAdmin,
      consentPromptUser;
  // Screens.
  int screenWidth = 0, screenHeight = 0, bitsPerPixel = 0;
  ReportRect workArea;
  int virtualLeft = 0, virtualTop = 0, virtualWidth = 0, virtualHeight = 0;
  int monitorCount = 0;
  std::vector<MonitorFacts> monitors;  // those whose information could be read
  // Local time, weekday 0 = Sunday, month 1 = January.
  int weekday = 0, year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  int32_t timeZoneBias = 0;  // standard bias in minutes: UTC = local time + bias
};

// The report's text, section by section.
WideText BuildEnvironmentReport(const SystemFacts& facts);

// "(UTC+09:00)" for a bias of -540, "(UTC-00:00)" for 0; daylight saving is not applied.
WideText TimeZoneText(int32_t bias);
