// UTF-8 by hand on every platform: strict decoding and exactly sized encoding, both
// with a fast path for runs of ASCII.
#pragma once

#include <string>
#include <string_view>

#include "core/wide_text.h"

// Decodes well-formed UTF-8 only: overlong forms, encoded surrogates, values above
// U+10FFFF and truncated sequences make it return false with *text untouched.
bool DecodeUtf8(std::string_view bytes, WideText* text);

// Encodes text; a lone surrogate becomes "?". Returns true when any "?" was put in.
bool EncodeUtf8(std::u16string_view text, std::string* bytes);
