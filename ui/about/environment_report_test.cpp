#include "ui/about/environment_report.h"

#include <gtest/gtest.h>

namespace {

SystemFacts SampleFacts() {
  SystemFacts f;
  f.buildDate = u"Dec  7 2026";
  f.platformId = 2;
  f.major = 10;
  f.minor = 0;
  f.build = 19045;
  f.servicePack = u"";
  f.productType = 1;
  f.productInfo = 0x30;
  f.suiteMask = 0x100;
  f.country = u"Japan";
  f.darkMode = true;
  f.uacKeyOpened = true;
  f.enableLua = 1;
  f.consentPromptAdmin = 5;
  f.screenWidth = 1920;
  f.screenHeight = 1080;
  f.bitsPerPixel = 32;
  f.workArea = {0, 0, 1920, 1040};
  f.virtualLeft = -1280;
  f.virtualWidth = 3200;
  f.virtualHeight = 1080;
  f.monitorCount = 2;
  f.monitors = {{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true},
                {{-1280, 0, 0, 1024}, {-1280, 0, 0, 984}, false}};
  f.weekday = 1;
  f.year = 2026;
  f.month = 12;
  f.day = 7;
  f.hour = 9;
  f.minute = 5;
  f.second = 3;
  f.timeZoneBias = -540;
  return f;
}

TEST(EnvironmentReport, SectionsInOrder) {
  EXPECT_EQ(BuildEnvironmentReport(SampleFacts()),
            u"VantoriaLite ver.1.03.01 [Dec  7 2026]\r\n"
            u"[Windows]"
            u"\r\n Platform Id\t: 2 (NT)"
            u"\r\n OS Version  \t: 10.0.19045 "
            u"\r\n ServicePack\t: 0.0 "
            u"\r\n Architecture\t: x64"
            u"\r\n ProductType\t: 1 (Workstation)"
            u"\r\n ProductInfo.\t: 0x00000030"
            u"\r\n SuiteMask\t: 0x0100"
            u"\r\n SafeMode\t: Off"
            u"\r\n Locale Info\t: Japan"
            u"\r\n Remote Session \t: Off"
            u"\r\n Dark Mode \t: On"
            u"\r\n[User Account Control]\r\n "
            u"EnableLUA=1, PromptOnSecureDesktop=, ConsentPromptBehaviorAdmin=5, "
            u"ConsentPromptBehaviorUser="
            u"\r\n[Screen]\r\n 1920x1080 (32bpp) [Work Area (0,0)-(1920,1040)]"
            u"\r\n Virtual Screen: (-1280,0)-(1920,1080) [Monitors:2]"
            u"\r\n Monitor Info : (0,0)-(1920,1080) [Workarea (0,0)-(1920,1040)] *primary"
            u"\r\n Monitor Info : (-1280,0)-(0,1024) [Workarea (-1280,0)-(0,984)]"
            u"\r\n[Other]"
            u"\r\n Date/Time \t: Mon, Dec 7, 2026  9:05:03(UTC+09:00)");
}

TEST(EnvironmentReport, TimeZones) {
  EXPECT_EQ(TimeZoneText(-540), u"(UTC+09:00)");
  EXPECT_EQ(TimeZoneText(0), u"(UTC-00:00)");
  EXPECT_EQ(TimeZoneText(300), u"(UTC-05:00)");
  EXPECT_EQ(TimeZoneText(-330), u"(UTC+05:30)");
}

TEST(EnvironmentReport, OlderSystemsAndOtherValues) {
  SystemFacts f = SampleFacts();
  // Before version 6 there is no product info and no account-control section.
  f.major = 5;
  f.minor = 1;
  f.build = 2600;
  f.servicePack = u"Service Pack 3";
  f.servicePackMajor = 3;
  f.productType = 7;
  f.cleanBoot = 2;
  f.remoteSession = true;
  WideText report = BuildEnvironmentReport(f);
  EXPECT_NE(report.find(u"\r\n OS Version  \t: 5.1.2600 Service Pack 3\r\n ServicePack\t: 3.0 "),
            WideText::npos);
  EXPECT_NE(report.find(u"\r\n ProductType\t: 7\r\n SuiteMask"), WideText::npos);
  EXPECT_NE(report.find(u"SafeMode\t: Fail-safe with network boot"), WideText::npos);
  EXPECT_NE(report.find(u"Remote Session \t: On"), WideText::npos);
  EXPECT_EQ(report.find(u"ProductInfo"), WideText::npos);
  EXPECT_EQ(report.find(u"User Account Control"), WideText::npos);

  // The Win9x line: the version sits in the build number's top bytes.
  f.platformId = 1;
  f.build = 0x040A08CE;
  report = BuildEnvironmentReport(f);
  EXPECT_NE(report.find(u"Platform Id\t: 1 (Win9x)\r\n OS Version  \t: 4.10.2254 "),
            WideText::npos);

  // A policy key that does not open leaves the section's line empty.
  f = SampleFacts();
  f.uacKeyOpened = false;
  EXPECT_NE(BuildEnvironmentReport(f).find(u"[User Account Control]\r\n \r\n[Screen]"),
            WideText::npos);
}

}  // namespace
