#include "platform/console_output.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Pieces of at most this many UTF-16 units; a surrogate pair is never split.
constexpr size_t kPieceUnits = 8192;

size_t PieceLength(std::u16string_view text) {
  if (text.size() <= kPieceUnits) return text.size();
  size_t length = kPieceUnits;
  char16_t last = text[length - 1];
  if (last >= 0xD800 && last <= 0xDBFF) --length;
  return length;
}

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

}  // namespace

void WriteConsoleText(StandardStream stream, std::u16string_view text, unsigned fileCodePage,
                      bool textMode) {
  HANDLE handle =
      GetStdHandle(stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  // Whatever the C library still holds must come out first.
  std::fflush(stream == StandardStream::kOutput ? stdout : stderr);

  DWORD mode = 0;
  bool console = GetConsoleMode(handle, &mode) != 0;
  UINT codePage = fileCodePage != 0 ? fileCodePage : GetConsoleOutputCP();
  if (codePage == 0) codePage = CP_ACP;
  while (!text.empty()) {
    size_t length = PieceLength(text);
    std::u16string_view piece = text.substr(0, length);
    text.remove_prefix(length);
    if (console) {
      DWORD written = 0;
      if (!WriteConsoleW(handle, reinterpret_cast<const wchar_t*>(piece.data()),
                         static_cast<DWORD>(piece.size()), &written, nullptr)) {
        return;
      }
      continue;
    }
    std::wstring wide;
    wide.reserve(piece.size() + (textMode ? 64 : 0));
    for (char16_t c : piece) {
      if (textMode && c == u'\n') wide.push_back(L'\r');
      wide.push_back(static_cast<wchar_t>(c));
    }
    int units = static_cast<int>(wide.size());
    int bytes = WideCharToMultiByte(codePage, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return;
    std::string converted(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), units, converted.data(), bytes, nullptr, nullptr);
    if (!WriteAllBytes(handle, converted.data(), converted.size())) return;
  }
}

bool ConsoleLanguageIsJapanese() {
  // Without a console there is no console code page; the text then goes out in the ANSI
  // code page, which decides instead.
  UINT codePage = GetConsoleOutputCP();
  return (codePage != 0 ? codePage : GetACP()) == 932;
}
