// Text in the system's narrow (ANSI) code page, as the console front end hands it to the
// narrow store functions: the active code page on Windows, UTF-8 elsewhere.
#pragma once

#include <string>
#include <string_view>

#include "core/wide_text.h"

// Converts when every character has an exact counterpart (no best-fit look-alike, no
// "?"); false otherwise, so that the caller can keep the wide text instead.
bool AnsiFromWideExactly(std::u16string_view text, std::string* ansi);

WideText WideFromAnsi(std::string_view text);
