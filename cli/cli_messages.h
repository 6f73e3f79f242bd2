// quillonc's messages on standard error, in both languages. Each ends in a line break;
// %s stands for the argument concerned (or the command line of a failed launch).
#pragma once

#include "cli/cli_options.h"

// The message of a parsing error (kNone has none: empty).
const char16_t* ParseErrorText(CliError error, bool japanese);

const char16_t* InvalidFileNameText(bool japanese);
// %08x receives the system error code, %s the command line.
const char16_t* LaunchFailureText(bool japanese);
// %s receives the store (the INI file or the registry key).
const char16_t* SettingsNotWrittenText(bool japanese);
// %s receives how quillon ended ("signal 9 (Killed)", "exit code 3").
const char16_t* AbnormalEndText(bool japanese);
// The first %s receives the lock, the second the system's reason.
const char16_t* LockFailureText(bool japanese);
