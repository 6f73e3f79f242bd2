// Text to standard output or standard error.
#pragma once

#include <string_view>

enum class StandardStream { kOutput, kError };

// Windows: a console gets the UTF-16 text as it is; a file or pipe gets it converted to
// fileCodePage (0: the console's output code page, or the ANSI one without a console),
// with every LF written as CR LF when textMode is set, as a text-mode console program
// writes. Elsewhere: UTF-8 as it is.
void WriteConsoleText(StandardStream stream, std::u16string_view text, unsigned fileCodePage,
                      bool textMode);

// The default message language of the console front end. Windows: the console's output
// code page is 932 (the ANSI code page when there is no console). Elsewhere: the locale
// variables name Japanese.
bool ConsoleLanguageIsJapanese();
