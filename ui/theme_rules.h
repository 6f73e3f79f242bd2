// The dark theme's decisions that need no window: its colours, which controls get which
// treatment, where a disabled control's parts are drawn, and when the theme may be on at all.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

// A colour as Windows stores it (0x00BBGGRR), so that it goes to the API unchanged.
constexpr uint32_t ThemeRgb(uint32_t red, uint32_t green, uint32_t blue) {
  return red | (green << 8) | (blue << 16);
}

// The dark colours; the light theme takes the system's colours instead.
constexpr uint32_t kDarkBackground = ThemeRgb(56, 56, 56);        // dialogs, message boxes
constexpr uint32_t kDarkText = ThemeRgb(255, 255, 255);           // controls' text
constexpr uint32_t kDarkTipBackground = ThemeRgb(45, 45, 45);     // tooltips, list views
constexpr uint32_t kDarkTipText = ThemeRgb(254, 254, 254);        // tooltips, list views
constexpr uint32_t kDisabledText = ThemeRgb(127, 127, 127);       // text and box outline
constexpr uint32_t kDisabledBoxFill = ThemeRgb(76, 76, 76);       // inside the box
// A list view's extended styles while dark: double buffering and full-row select.
constexpr uint32_t kDarkListViewExtendedStyles = 0x10020;

// A "Button" control that is a push button (not a group box, check box or radio button):
// it takes the system's dark button theme, where the others lose their visual styles.
bool IsPushButtonStyle(uint32_t style);

// A "Static" control that shows text aligned left, centred or right (not an icon, a
// bitmap, a frame or owner drawing): one whose disabled look the program paints.
bool IsTextStaticStyle(uint32_t style);

struct ThemeRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const ThemeRect&) const = default;
};

// How a disabled control is painted while dark, for a control of this kind, style, client
// rectangle and with or without text.
struct DisabledPaint {
  enum class Mark { kNone, kBox, kCircle };
  // False: the control paints nothing at all (it has no text).
  bool paint = false;
  // The control's background is filled first (not for a group box, whose client area
  // covers the controls inside it).
  bool fillBackground = false;
  Mark mark = Mark::kNone;
  ThemeRect markRect;   // 14 x 14 at the top left of the client area
  ThemeRect textRect;   // drawn centred vertically
  // Horizontal alignment of a static's text: 0 left, 1 centred, 2 right.
  int alignment = 0;
};
constexpr int kDisabledMarkSize = 14;
constexpr int kDisabledTextIndent = 18;
DisabledPaint PlanDisabledPaint(bool isButton, uint32_t style, bool hasText,
                                const ThemeRect& client);

// Windows with a dark application theme: 10 and later. Unknown counts as older.
bool SupportsDarkTheme(std::optional<uint32_t> majorVersion);

// The program's dark flag from the system's major version and the preference value
// "AppsUseLightTheme" (missing when absent): dark only when the value is 0 on Windows 10
// or later.
bool DarkFlagFrom(std::optional<uint32_t> majorVersion,
                  std::optional<uint32_t> appsUseLightTheme);

// Where the dark theme learns the Windows major version; tests put another in its place.
using WindowsVersionSource = std::function<std::optional<uint32_t>()>;
