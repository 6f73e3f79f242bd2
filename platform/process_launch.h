// Starting another program and waiting for its end. The child shares this process's
// console (standard handles), environment and current directory; no shell is involved.
#pragma once

#include <cstdint>

#include "core/wide_text.h"
#include "platform/native_path.h"

// The command line as it is shown: the program's path in double quotes, then argument.
WideText LaunchCommandLine(const NativePath& program, std::u16string_view argument);

// Starts program with the one argument and waits without time limit until it has ended
// (on Windows first until it is idle for input). False when it could not be started,
// with *error the system's code (a Win32 error code on Windows, an errno value
// elsewhere; a missing program is 2 on both).
bool RunProgramAndWait(const NativePath& program, std::u16string_view argument,
                       uint32_t* error);
