// The strings of a program file's version resource.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/about/version_text.h"

// The string table 041104b0 (Japanese, Unicode) of the file's version resource. Null when
// the file has no version resource or no FileVersion in that table; other missing entries
// are empty.
std::optional<VersionStrings> ReadVersionStrings(const wchar_t* path);

// The full path of a loaded module's file (the program's for null); empty on failure.
std::wstring ModuleFilePath(HMODULE module);
