// Loading a library of the system by name only, without the chance of picking up a file of
// the same name from the current folder (which may be the folder being converted).
#pragma once

#include <windows.h>

// Loads the library with the current directory set to the system directory for the call,
// then puts the previous current directory back. Null when it cannot be loaded, and when
// the current directory cannot be switched.
HMODULE LoadSystemLibrary(const wchar_t* name);
