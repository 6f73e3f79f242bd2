// The dark theme of the main dialog and the program's message boxes: whether it is on, the
// system calls that switch the application and a window's title bar to it, and the
// re-theming and painting of a dialog and its controls. The helpers take the flag and the
// brush as parameters, so that a dialog with a flag of its own can use them too.
#pragma once

#include <windows.h>

#include "ui/theme_rules.h"

// The program's dark flag, shared by the main dialog and the message boxes. 32 bits, as the
// window manager reads it by address for the title bar.
extern BOOL darkTheme;

// The Windows major version (RtlGetVersion of ntdll.dll), or what a test put in its place
// (an empty source brings back the system's). Empty when it cannot be read.
std::optional<uint32_t> WindowsMajorVersion();
void SetWindowsVersionSource(WindowsVersionSource source);

// Sets darkTheme from the user's "AppsUseLightTheme" preference: on only where Windows has a
// dark application theme (10 and later), where it also makes the dark brush. Start-up and
// the colour-set notification.
void ReadDarkPreference();
// Lets the system draw the program's menus and scroll bars dark where it can (uxtheme's
// unnamed exports 135 and 104, Windows 10 and later); skipped without a word when missing.
void EnableDarkModeForApp();

// The dark background brush, RGB(56,56,56): made when first asked for, kept until
// ReleaseDarkBackgroundBrush (at exit).
HBRUSH DarkBackgroundBrush();
void ReleaseDarkBackgroundBrush();

// Asks the window manager for a dark or light title bar as *dark says (attribute 20).
// Skipped where the call does not exist.
void SetDarkTitleBar(HWND window, const BOOL* dark);

// The window's child controls re-themed: push buttons take the dark button theme, list
// views dark colours, every other control loses its visual styles while dark.
void ThemeChildControls(HWND window, bool dark);
// The About box's variant: push buttons as above, every other control without visual styles
// in both themes (the box paints them through its WM_CTLCOLOR* answers).
void ThemeChildControlsStylesOff(HWND window, bool dark);
// One tooltip window's visual styles and colours.
void ThemeTooltip(HWND tooltip, bool dark);
// Every top-level tooltip window owned by this window.
void ThemeOwnedTooltips(HWND window, bool dark);
// All of it, and the window updated.
void ApplyTheme(HWND dialog, bool dark);

// Background erase: the client area filled with the brush while dark, with the system's
// button face colour otherwise.
void PaintDialogBackground(HWND window, HDC dc, bool dark, HBRUSH brush);
// The seven WM_CTLCOLOR* messages.
bool IsControlColourMessage(UINT message);
// While dark: white text on a transparent background into the control's DC, and the brush
// to answer with. Light: null, for the default handling.
HBRUSH AnswerControlColour(HDC dc, bool dark, HBRUSH brush);

// The main dialog's share of the theme. On initialisation: the theme applied once and the
// disabled-painting controls subclassed.
void InitMainDialogTheme(HWND dialog);
// The theme's messages of the main dialog (background erase, control colours, theme and
// setting changes): true with the dialog procedure's answer in *answer when it was one.
bool HandleMainDialogThemeMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                  INT_PTR* answer);
