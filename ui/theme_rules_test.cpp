#include "ui/theme_rules.h"

#include <gtest/gtest.h>

namespace {

// Button and static styles with the values of the Windows API.
constexpr uint32_t kPushButton = 0x0, kDefPushButton = 0x1, kCheckBox = 0x2,
                   kAutoCheckBox = 0x3, kRadio = 0x4, kThreeState = 0x5, kAutoThreeState = 0x6,
                   kGroupBox = 0x7, kUserButton = 0x8, kAutoRadio = 0x9, kOwnerDraw = 0xB,
                   kSplitButton = 0xC, kCommandLink = 0xE;
constexpr uint32_t kChild = 0x40000000, kVisible = 0x10000000, kTabStop = 0x10000,
                   kDisabled = 0x08000000;
constexpr uint32_t kStaticLeft = 0x0, kStaticCenter = 0x1, kStaticRight = 0x2,
                   kStaticIcon = 0x3, kStaticBlackRect = 0x4, kStaticSimple = 0xB,
                   kStaticBitmap = 0xE, kStaticEtchedHorz = 0x10, kStaticNotify = 0x100;

TEST(ThemeRulesTest, ColoursAreInTheByteOrderWindowsReads) {
  EXPECT_EQ(ThemeRgb(0x12, 0x34, 0x56), 0x563412u);
}

TEST(ThemeRulesTest, OnlyPushButtonsCountAsPushButtons) {
  for (uint32_t type : {kPushButton, kDefPushButton, kUserButton}) {
    EXPECT_TRUE(IsPushButtonStyle(type)) << type;
    // Window styles and the button's layout bits above the type do not change it.
    EXPECT_TRUE(IsPushButtonStyle(type | kChild | kVisible | kTabStop | 0x300 | 0x2000)) << type;
  }
  for (uint32_t type : {kCheckBox, kAutoCheckBox, kRadio, kThreeState, kAutoThreeState,
                        kGroupBox, kAutoRadio, kOwnerDraw, kSplitButton, kCommandLink}) {
    EXPECT_FALSE(IsPushButtonStyle(type)) << type;
    EXPECT_FALSE(IsPushButtonStyle(type | kChild | kVisible | kTabStop)) << type;
  }
}

TEST(ThemeRulesTest, OnlyAlignedTextStaticsArePaintedDisabled) {
  for (uint32_t style : {kStaticLeft, kStaticCenter, kStaticRight}) {
    EXPECT_TRUE(IsTextStaticStyle(style | kChild | kVisible | kStaticNotify | kDisabled));
  }
  for (uint32_t style : {kStaticIcon, kStaticBlackRect, kStaticSimple, kStaticBitmap,
                         kStaticEtchedHorz, kStaticEtchedHorz | kStaticLeft}) {
    EXPECT_FALSE(IsTextStaticStyle(style | kChild | kVisible)) << style;
  }
}

TEST(ThemeRulesTest, DisabledCheckBoxGetsAnEmptyBoxAndIndentedText) {
  const ThemeRect client{0, 0, 120, 17};
  for (uint32_t type : {kCheckBox, kAutoCheckBox, kThreeState, kAutoThreeState}) {
    DisabledPaint plan = PlanDisabledPaint(true, type | kChild | kTabStop, true, client);
    EXPECT_TRUE(plan.paint);
    EXPECT_TRUE(plan.fillBackground);
    EXPECT_EQ(plan.mark, DisabledPaint::Mark::kBox) << type;
    EXPECT_EQ(plan.markRect, (ThemeRect{0, 0, 14, 14}));
    EXPECT_EQ(plan.textRect, (ThemeRect{18, 1, 120, 17}));
  }
}

TEST(ThemeRulesTest, DisabledRadioButtonGetsACircle) {
  for (uint32_t type : {kRadio, kAutoRadio}) {
    DisabledPaint plan = PlanDisabledPaint(true, type | kChild, true, ThemeRect{0, 0, 80, 16});
    EXPECT_EQ(plan.mark, DisabledPaint::Mark::kCircle) << type;
    EXPECT_EQ(plan.markRect, (ThemeRect{0, 0, 14, 14}));
    EXPECT_EQ(plan.textRect, (ThemeRect{18, 1, 80, 16}));
  }
}

TEST(ThemeRulesTest, ControlWithoutTextPaintsNothing) {
  EXPECT_FALSE(PlanDisabledPaint(true, kGroupBox, false, ThemeRect{0, 0, 300, 90}).paint);
  EXPECT_FALSE(PlanDisabledPaint(true, kAutoCheckBox, false, ThemeRect{0, 0, 14, 14}).paint);
  EXPECT_FALSE(PlanDisabledPaint(false, kStaticLeft, false, ThemeRect{0, 0, 50, 10}).paint);
}

TEST(ThemeRulesTest, GroupBoxWithTextKeepsItsAreaAndGetsNoMark) {
  // Filling a group box would paint over the controls inside it.
  DisabledPaint plan = PlanDisabledPaint(true, kGroupBox | kChild, true, ThemeRect{0, 0, 300, 90});
  EXPECT_TRUE(plan.paint);
  EXPECT_FALSE(plan.fillBackground);
  EXPECT_EQ(plan.mark, DisabledPaint::Mark::kNone);
  EXPECT_EQ(plan.textRect, (ThemeRect{0, 0, 300, 90}));
}

TEST(ThemeRulesTest, DisabledStaticTextUsesTheWholeClientAndItsAlignment) {
  const ThemeRect client{0, 0, 64, 12};
  DisabledPaint left = PlanDisabledPaint(false, kStaticLeft | kChild, true, client);
  EXPECT_EQ(left.mark, DisabledPaint::Mark::kNone);
  EXPECT_EQ(left.textRect, client);
  EXPECT_EQ(left.alignment, 0);
  EXPECT_EQ(PlanDisabledPaint(false, kStaticCenter, true, client).alignment, 1);
  EXPECT_EQ(PlanDisabledPaint(false, kStaticRight | kStaticNotify, true, client).alignment, 2);
  // A static's style must not be read as a button type (0x9 would be a radio button).
  EXPECT_EQ(PlanDisabledPaint(false, 0x9, true, client).mark, DisabledPaint::Mark::kNone);
}

TEST(ThemeRulesTest, DarkOnlyOnWindows10AndLaterWithTheValueZero) {
  EXPECT_TRUE(DarkFlagFrom(10, 0));
  EXPECT_TRUE(DarkFlagFrom(11, 0));
  EXPECT_FALSE(DarkFlagFrom(10, 1));
  EXPECT_FALSE(DarkFlagFrom(10, 2)) << "anything but 0 is light";
  EXPECT_FALSE(DarkFlagFrom(10, std::nullopt)) << "missing value: light";
  // Older systems stay light whatever the preference says.
  EXPECT_FALSE(DarkFlagFrom(6, 0));
  EXPECT_FALSE(DarkFlagFrom(9, 0));
  EXPECT_FALSE(DarkFlagFrom(std::nullopt, 0)) << "unknown version counts as older";
  EXPECT_TRUE(SupportsDarkTheme(10));
  EXPECT_FALSE(SupportsDarkTheme(9));
  EXPECT_FALSE(SupportsDarkTheme(std::nullopt));
}

}  // namespace
