#include "platform/system_error.h"

#include <string.h>

WideText SystemErrorText(bool /*japanese*/, uint32_t code) {
  // The C library's texts are the English ones whatever the locale, so both languages
  // get the same text here.
  char buffer[256];
  buffer[0] = 0;
  const char* text = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
  if (!text || !*text) return u"FormatMessage() error";
  WideText result = WideFromUtf8(text);
  for (char16_t& c : result) {
    if (c >= 1 && c <= 31) c = u' ';
  }
  return result;
}
