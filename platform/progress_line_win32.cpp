#include "platform/progress_line.h"

#include <windows.h>

#include <string>

namespace {

class ConsoleTerminal : public ProgressTerminal {
 public:
  // owned: the handle is closed with the terminal.
  ConsoleTerminal(HANDLE console, bool owned) : console_(console), owned_(owned) {}
  ~ConsoleTerminal() override {
    if (owned_) CloseHandle(console_);
  }
  ConsoleTerminal(const ConsoleTerminal&) = delete;
  ConsoleTerminal& operator=(const ConsoleTerminal&) = delete;

  size_t Columns() override {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(console_, &info)) return 0;
    int width = info.srWindow.Right - info.srWindow.Left + 1;
    return width > 0 ? static_cast<size_t>(width) : 0;
  }

  void Show(std::u16string_view text) override {
    std::wstring line = L"\r";
    line.append(text.begin(), text.end());
    Write(line);
  }

  // A console need not know escape sequences: the text is overwritten with spaces.
  void Erase(size_t columns) override {
    std::wstring blank = L"\r";
    blank.append(columns, L' ');
    blank += L'\r';
    Write(blank);
  }

 private:
  void Write(const std::wstring& text) {
    DWORD written = 0;
    WriteConsoleW(console_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }

  HANDLE console_;
  bool owned_;
};

}  // namespace

std::unique_ptr<ProgressTerminal> OpenStandardErrorTerminal() {
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
    if (!GetConsoleMode(handle, &mode)) return nullptr;  // a file or a pipe
    return std::make_unique<ConsoleTerminal>(handle, false);
  }
  // A window program that attached itself to its starter's console has no standard error
  // of its own; that console is where it would go.
  HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
  if (console == INVALID_HANDLE_VALUE) return nullptr;
  if (!GetConsoleMode(console, &mode)) {
    CloseHandle(console);
    return nullptr;
  }
  return std::make_unique<ConsoleTerminal>(console, true);
}
