#include "ui/theme_rules.h"

namespace {

// Button types (the low four bits of a button's style).
constexpr uint32_t kTypeMask = 0xF;
constexpr uint32_t kCheckBox = 2, kAutoCheckBox = 3, kRadio = 4, kThreeState = 5,
                   kAutoThreeState = 6, kGroupBox = 7, kAutoRadio = 9;

}  // namespace

bool IsPushButtonStyle(uint32_t style) {
  return (style & 7) != 7 && (style & 2) == 0 && (style & 4) == 0 && (style & 9) != 9;
}

bool IsTextStaticStyle(uint32_t style) { return (style & 0x1F) < 3; }

DisabledPaint PlanDisabledPaint(bool isButton, uint32_t style, bool hasText,
                                const ThemeRect& client) {
  DisabledPaint plan;
  if (!hasText) return plan;
  plan.paint = true;
  plan.textRect = client;
  uint32_t type = style & kTypeMask;
  plan.fillBackground = !(isButton && type == kGroupBox);
  if (!isButton) {
    plan.alignment = IsTextStaticStyle(style) ? static_cast<int>(style & 0x1F) : 0;
    return plan;
  }
  switch (type) {
    case kCheckBox:
    case kAutoCheckBox:
    case kThreeState:
    case kAutoThreeState:
      plan.mark = DisabledPaint::Mark::kBox;
      break;
    case kRadio:
    case kAutoRadio:
      plan.mark = DisabledPaint::Mark::kCircle;
      break;
    default:
      return plan;
  }
  plan.markRect = {client.left, client.top, client.left + kDisabledMarkSize,
                   client.top + kDisabledMarkSize};
  plan.textRect.left += kDisabledTextIndent;
  plan.textRect.top += 1;
  return plan;
}

bool SupportsDarkTheme(std::optional<uint32_t> majorVersion) {
  return majorVersion && *majorVersion > 9;
}

bool DarkFlagFrom(std::optional<uint32_t> majorVersion,
                  std::optional<uint32_t> appsUseLightTheme) {
  return SupportsDarkTheme(majorVersion) && appsUseLightTheme && *appsUseLightTheme == 0;
}
