// The settings keys' two interchangeable stores: the INI file beside the programs or the
// current user's registry key. useIniStore (core/process_flags.h) picks one.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/wide_text.h"
#include "platform/native_path.h"
#include "settings/registry.h"
#include "settings/store_file.h"

// The INI file the accessors use: "quillon.ini" in the current directory unless set
// (the console front end addresses the one beside its own executable).
void SetIniFilePath(const NativePath& path);
const NativePath& IniFilePath();

// Creates the INI file as FF FE 0D 00 0A 00 when it does not exist. True when it exists
// or was created.
bool EnsureIniFile();

int32_t ReadIntSetting(std::u16string_view key, int32_t defaultValue);
// A number that is good only from low to high: defaultValue when it is missing or stands
// for anything else. Read without the 32-bit wrap-around of ReadIntSetting, so that a
// huge stored number cannot come back as a small one.
int32_t ReadIntSettingInRange(std::u16string_view key, int32_t low, int32_t high,
                              int32_t defaultValue);
// At most 8191 units; empty when missing.
WideText ReadTextSetting(std::u16string_view key);
bool WriteIntSetting(std::u16string_view key, int32_t value);
bool WriteTextSetting(std::u16string_view key, std::u16string_view text);

// The console front end's writers: the narrow (ANSI) forms on Windows, the same as the
// wide ones elsewhere.
bool WriteIntSettingNarrow(std::u16string_view key, int32_t value);
bool WriteTextSettingNarrow(std::u16string_view key, std::u16string_view text);

// Keeps the registry store's parsed file from its start to Finish (or its end): the
// reads and writes in between read the file once and write it, when they changed it,
// once, at Finish. A save of every key thus rewrites the file once rather than once per
// key. The INI file is read and written by each access, as before.
class SettingsStoreSession {
 public:
  SettingsStoreSession() = default;
  SettingsStoreSession(const SettingsStoreSession&) = delete;
  SettingsStoreSession& operator=(const SettingsStoreSession&) = delete;

  // True when what was held back is written (or nothing was).
  bool Finish() { return batch_.Finish() == kRegOk; }

 private:
  RegistryBatch batch_;
};

// Why the active store cannot be read: its file and the state found there.
struct StoreProblem {
  NativePath path;
  StoreFileState state = StoreFileState::kReadable;
  uint32_t error = 0;  // the system's code for kCannotOpen
};

// Whether the active store can be read: true when it can, or when it is missing (it then
// reads as the defaults). False when its file is something other than a regular file or
// cannot be opened, with *problem saying which and why. The system's registry is
// always taken as readable.
bool ActiveStoreReadable(StoreProblem* problem);
