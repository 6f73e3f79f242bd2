// quillonc's output: the help text on standard output, messages on standard error.
#pragma once

#include <string_view>

// Windows: a console gets the UTF-16 text as it is; a file or pipe gets it in the
// console's output code page with CR LF line breaks, as a console program's text-mode
// output. Elsewhere: UTF-8 as it is.
void WriteStandardOutput(std::u16string_view text);
void WriteStandardError(std::u16string_view text);

// The default message language without QUILLON_LANG. Windows: the console's output code
// page is 932 (the ANSI code page when there is no console). Elsewhere: the locale
// variables name Japanese.
bool ConsoleLanguageIsJapanese();
