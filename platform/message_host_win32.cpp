#include "platform/message_host.h"

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

void WriteToStandardOutput(std::u16string_view text) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  // Whatever the C library still holds must come out first.
  std::fflush(stdout);

  // A console takes the text as it is; a file or pipe gets it as Japanese Windows writes
  // console text, in code page 932, whatever the system's own code page.
  DWORD mode = 0;
  bool console = GetConsoleMode(out, &mode) != 0;
  const UINT codePage = 932;

  while (!text.empty()) {
    size_t length = PieceLength(text);
    const wchar_t* piece = reinterpret_cast<const wchar_t*>(text.data());
    if (console) {
      DWORD written = 0;
      if (!WriteConsoleW(out, piece, static_cast<DWORD>(length), &written, nullptr)) return;
    } else {
      int units = static_cast<int>(length);
      int bytes = WideCharToMultiByte(codePage, 0, piece, units, nullptr, 0, nullptr, nullptr);
      if (bytes <= 0) return;
      std::string converted(static_cast<size_t>(bytes), '\0');
      WideCharToMultiByte(codePage, 0, piece, units, converted.data(), bytes, nullptr, nullptr);
      if (!WriteAllBytes(out, converted.data(), converted.size())) return;
    }
    text.remove_prefix(length);
  }
}

class Win32ConsoleHost : public MessageHost {
 public:
  void ReportMessage(std::u16string_view text) override { WriteToStandardOutput(text); }

  bool AbortRequested() override { return false; }

  int ShowMessageBox(std::u16string_view text, std::u16string_view caption,
                     uint32_t style) override {
    std::wstring wideText(text.begin(), text.end());
    std::wstring wideCaption(caption.begin(), caption.end());
    return MessageBoxW(nullptr, wideText.c_str(), wideCaption.c_str(), style);
  }
};

}  // namespace

MessageHost& ConsoleMessageHost() {
  static Win32ConsoleHost host;
  return host;
}
