#include "platform/system_error.h"

#include <windows.h>

namespace {

// The system's text for code in the given language; empty when it has none.
WideText FormatSystemMessage(uint32_t code, DWORD language) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, code, language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  WideText text;
  if (length != 0 && buffer != nullptr) text.assign(buffer, buffer + length);
  if (buffer != nullptr) LocalFree(buffer);
  return text;
}

}  // namespace

WideText SystemErrorText(bool japanese, uint32_t code) {
  // 0x0400 is the user's default language, 0x0409 US English.
  WideText text = FormatSystemMessage(code, japanese ? 0x0400 : 0x0409);
  // A system without the English texts still has its own.
  if (text.empty()) text = FormatSystemMessage(code, 0);
  if (text.empty()) return u"FormatMessage() error";
  for (char16_t& c : text) {
    if (c >= 1 && c <= 31) c = u' ';
  }
  return text;
}
