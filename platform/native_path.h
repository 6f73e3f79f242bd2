// File names in the platform's own form: UTF-16 on Windows, bytes on POSIX systems.
#pragma once

#include <string>
#include <string_view>

#include "core/wide_text.h"

#ifdef _WIN32
using PathChar = wchar_t;
#else
using PathChar = char;
#endif
using NativePath = std::basic_string<PathChar>;

// The name as shown in messages (bytes that are not UTF-8 show as U+FFFD).
WideText PathForDisplay(const NativePath& path);

// A name made from a program text, such as a name typed by the user.
NativePath PathFromWide(std::u16string_view text);

// The name with an ASCII suffix appended, such as ".bak".
NativePath AppendSuffix(const NativePath& path, std::string_view asciiSuffix);
