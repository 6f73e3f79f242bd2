// Starting another program and waiting for its end. The child shares this process's
// console (standard handles), environment and current directory; no shell is involved.
#pragma once

#include <cstdint>

#include "core/wide_text.h"
#include "platform/native_path.h"

// The command line as it is shown: the program's path in double quotes, then argument.
WideText LaunchCommandLine(const NativePath& program, std::u16string_view argument);

// How a started program ended: its exit code (on Windows as GetExitCodeProcess gives
// it), or on POSIX systems the number of the signal that ended it.
struct ProgramEnd {
  bool bySignal = false;
  uint32_t code = 0;  // the exit code, or the signal's number

  bool Normal() const { return !bySignal && code == 0; }
};

// Starts program with the one argument and waits without time limit until it has ended
// (on Windows first until it is idle for input). False when it could not be started,
// with *error the system's code (a Win32 error code on Windows, an errno value
// elsewhere; a missing program is 2 on both). Otherwise *end (when given) tells how
// it ended.
bool RunProgramAndWait(const NativePath& program, std::u16string_view argument,
                       uint32_t* error, ProgramEnd* end = nullptr);

// How the program ended, for a message: "signal 9 (Killed)", "exit code 3", and on
// Windows a status code of 0xC0000000 and above in hexadecimal ("0xC0000005").
WideText ProgramEndText(const ProgramEnd& end, bool japanese);
