// The settings keys' two interchangeable stores: the INI file beside the programs or the
// current user's registry key. useIniStore (core/process_flags.h) picks one.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/wide_text.h"
#include "platform/native_path.h"

// The INI file the accessors use: "quillon.ini" in the current directory unless set
// (the console front end addresses the one beside its own executable).
void SetIniFilePath(const NativePath& path);
const NativePath& IniFilePath();

// Creates the INI file as FF FE 0D 00 0A 00 when it does not exist. True when it exists
// or was created.
bool EnsureIniFile();

int32_t ReadIntSetting(std::u16string_view key, int32_t defaultValue);
// At most 8191 units; empty when missing.
WideText ReadTextSetting(std::u16string_view key);
bool WriteIntSetting(std::u16string_view key, int32_t value);
bool WriteTextSetting(std::u16string_view key, std::u16string_view text);

// The console front end's writers: the narrow (ANSI) forms on Windows, the same as the
// wide ones elsewhere.
bool WriteIntSettingNarrow(std::u16string_view key, int32_t value);
bool WriteTextSettingNarrow(std::u16string_view key, std::u16string_view text);
