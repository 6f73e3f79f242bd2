// Names, keys and switches compared without regard to the case of the ASCII letters:
// A-Z and a-z match each other and nothing else does; every other unit (accented,
// full-width or Greek letters included) must be the same on both sides.
#pragma once

#include <string_view>

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
