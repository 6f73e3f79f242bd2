// The system's text for an error code.
#pragma once

#include <cstdint>

#include "core/wide_text.h"

// The system's description of code (a Win32 error code on Windows, an errno value
// elsewhere) in Japanese when japanese is set and the system has it, else in English.
// Control characters become spaces. "FormatMessage() error" when there is no text.
WideText SystemErrorText(bool japanese, uint32_t code);
