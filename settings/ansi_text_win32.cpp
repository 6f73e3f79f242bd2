#include "settings/ansi_text.h"

#include <windows.h>

WideText WideFromAnsi(std::string_view text) {
  if (text.empty()) return {};
  int length =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return WideText(wide.begin(), wide.end());
}

bool AnsiFromWideExactly(std::u16string_view text, std::string* ansi) {
  ansi->clear();
  if (text.empty()) return true;
  std::wstring wide(text.begin(), text.end());
  BOOL usedDefault = FALSE;
  int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                   static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                   &usedDefault);
  if (length <= 0 || usedDefault) return false;
  ansi->resize(static_cast<size_t>(length));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      ansi->data(), length, nullptr, &usedDefault);
  // The round trip catches what the flags do not, such as lone surrogates.
  return !usedDefault && WideFromAnsi(*ansi) == text;
}
