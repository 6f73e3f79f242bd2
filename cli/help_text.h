// The help text quillonc prints, in both languages.
#pragma once

#include <string_view>

// The whole text, every line (the last one too) ended by a line break.
std::u16string_view HelpText(bool japanese);

// "quillonc <version>" and a line break.
std::u16string_view VersionText();
