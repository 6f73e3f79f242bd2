#include "platform/progress_line.h"

#include <windows.h>

#include <string>

namespace {

class ConsoleTerminal : public ProgressTerminal {
 public:
  explicit ConsoleTerminal(HANDLE console) : console_(console) {}

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
};

}  // namespace

std::unique_ptr<ProgressTerminal> OpenStandardErrorTerminal() {
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
    return nullptr;
  }
  return std::make_unique<ConsoleTerminal>(handle);
}
