#include "cli/console_output.h"

#include <windows.h>

#include <string>

namespace {

bool WriteAllBytes(HANDLE handle, const char* data, size_t size) {
  while (size > 0) {
    DWORD written = 0;
    DWORD request = static_cast<DWORD>(size > (1u << 20) ? (1u << 20) : size);
    if (!WriteFile(handle, data, request, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

void WriteTo(DWORD which, std::u16string_view text) {
  HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return;
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    while (!text.empty()) {
      DWORD piece = static_cast<DWORD>(text.size() > 8192 ? 8192 : text.size());
      if (piece < text.size() && text[piece - 1] >= 0xD800 && text[piece - 1] <= 0xDBFF) --piece;
      DWORD written = 0;
      if (!WriteConsoleW(handle, reinterpret_cast<const wchar_t*>(text.data()), piece, &written,
                         nullptr) ||
          written == 0) {
        return;
      }
      text.remove_prefix(written);
    }
    return;
  }
  std::wstring wide;
  wide.reserve(text.size() + 32);
  for (char16_t c : text) {
    if (c == u'\n') wide.push_back(L'\r');
    wide.push_back(static_cast<wchar_t>(c));
  }
  UINT codePage = GetConsoleOutputCP();
  if (codePage == 0) codePage = CP_ACP;
  int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                   nullptr, 0, nullptr, nullptr);
  if (length <= 0) return;
  std::string bytes(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                      length, nullptr, nullptr);
  WriteAllBytes(handle, bytes.data(), bytes.size());
}

}  // namespace

void WriteStandardOutput(std::u16string_view text) { WriteTo(STD_OUTPUT_HANDLE, text); }
void WriteStandardError(std::u16string_view text) { WriteTo(STD_ERROR_HANDLE, text); }

bool ConsoleLanguageIsJapanese() {
  // Without a console there is no console code page; the text then goes out in the ANSI
  // code page, which decides instead.
  UINT codePage = GetConsoleOutputCP();
  return (codePage != 0 ? codePage : GetACP()) == 932;
}
