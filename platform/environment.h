// What the program learns from its environment: variables and the system language.
#pragma once

#include <string_view>

#include "core/wide_text.h"

// The variable's value; false when it is not set.
bool GetEnvironmentText(const char* name, WideText* value);

// True when the system's language is Japanese (Windows: the system default language;
// elsewhere the first of LC_ALL, LC_MESSAGES and LANG that is set starts with "ja").
bool SystemLanguageIsJapanese();

// Splits a target text into its folder part (drive and directory, ending in a separator,
// empty when there is none) and its file-name part, by the platform's path rules.
void SplitTargetPath(std::u16string_view target, WideText* folder, WideText* fileName);

// True when the program file's name selects the INI store: "..._o.exe" on Windows,
// "..._o" elsewhere, the letters in either case.
bool ProgramNameSelectsIni(std::u16string_view programPath);
