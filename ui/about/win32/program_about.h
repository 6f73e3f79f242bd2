// The About box of this program: its title, icon, description and the maker's addresses.
#pragma once

#include <windows.h>

// Shows the About box over `owner` (the main dialog) until it is closed.
void ShowProgramAbout(HWND owner);
