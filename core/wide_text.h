// The text of one file as UTF-16 code units, and small helpers around it.
#pragma once

#include <string>
#include <string_view>

// The whole content of a file: UTF-16 code units, no terminator, no byte-order mark.
using WideText = std::u16string;

// UTF-8 <-> UTF-16 for display and console output. Invalid input becomes U+FFFD;
// lone surrogates are written as U+FFFD in UTF-8.
WideText WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::u16string_view text);

// The units as UTF-16LE bytes, two a unit, without a byte-order mark.
std::string Utf16LeBytes(std::u16string_view text);
