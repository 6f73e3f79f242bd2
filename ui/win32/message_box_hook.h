// The program's message box: while the dark theme is on, the box is painted dark as well.
#pragma once

#include <windows.h>

// MessageBoxW, with a hook for this thread around it while darkTheme is set that re-themes
// the box as it is created and activated: dark background, white text. Light: MessageBoxW.
int ShowThemedMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style);
