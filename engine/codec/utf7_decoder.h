// UTF-7 (code page 65000) decoded by the program itself on every platform, by the
// encoding's own rules, so that both builds read the same files the same way.
//
// Accepted: every byte 00..7F other than "+" stands for itself (the directly written
// characters, the optional ones such as ! " # * < > @ [ ] { } |, and "~" and "\" as
// other encoders write them; control codes too, which have one meaning only); "+-" is
// "+"; "+" starts a base64 run that "-" ends (and is taken with it) or that any other
// byte ends (which then stands for itself), or the end of the file.
// Refused: any byte 80..FF; "+" with no base64 character after it; a run whose bits do
// not make whole UTF-16 units (six bits or more left over) or whose leftover bits are not
// zero; a surrogate that is not half of a pair inside one run (no encoder can write it
// back).
#pragma once

#include <string_view>

#include "core/wide_text.h"

// False (and *text untouched) when the bytes break the rules above.
bool DecodeUtf7(std::string_view bytes, WideText* text);
