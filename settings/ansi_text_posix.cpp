#include "settings/ansi_text.h"

bool AnsiFromWideExactly(std::u16string_view text, std::string* ansi) {
  *ansi = Utf8FromWide(text);
  return WideFromUtf8(*ansi) == text;  // lone surrogates have no UTF-8 form
}

WideText WideFromAnsi(std::string_view text) { return WideFromUtf8(text); }
