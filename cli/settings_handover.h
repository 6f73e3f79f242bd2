// Writing quillonc's options into the active settings store, where quillon reads them.
#pragma once

#include <string_view>

#include "cli/cli_options.h"

// Writes every key but TargetPath, in key order. False when a key could not be written
// (*failedKey names it); the keys before it are written. The registry store's file is
// written once, after the last key; when that fails, nothing was written and *failedKey
// names the first key.
bool WriteOptionSettings(const CliOptions& options, std::u16string_view* failedKey);

// Writes TargetPath.
bool WriteTargetSetting(std::u16string_view fullPath);
