#include "platform/message_host.h"

#include <windows.h>

#include <string>
#include <utility>

#include "platform/console_host_base.h"
#include "platform/console_output.h"

namespace {

class Win32ConsoleHost : public ConsoleHostBase {
 public:
  void ReportMessage(std::u16string_view text) override {
    ClearProgress();
    // A file or pipe gets the text as Japanese Windows writes console text, in code
    // page 932, whatever the system's own code page.
    WriteConsoleText(StandardStream::kOutput, text, 932, false);
  }

  bool AbortRequested() override { return false; }

  int ShowMessageBox(std::u16string_view text, std::u16string_view caption,
                     uint32_t style) override {
    ClearProgress();
    std::wstring wideText(text.begin(), text.end());
    std::wstring wideCaption(caption.begin(), caption.end());
    return MessageBoxW(nullptr, wideText.c_str(), wideCaption.c_str(), style);
  }

};

Win32ConsoleHost& ConsoleHost() {
  static Win32ConsoleHost host;
  return host;
}

}  // namespace

MessageHost& ConsoleMessageHost() { return ConsoleHost(); }

void SetConsoleProgressTerminal(std::unique_ptr<ProgressTerminal> terminal,
                                ProgressLine::Clock clock) {
  ConsoleHost().SetProgressLine(ProgressLine(std::move(terminal), std::move(clock)));
}
