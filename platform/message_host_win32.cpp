#include "platform/message_host.h"

#include <windows.h>

#include <string>
#include <utility>

#include "platform/console_output.h"

namespace {

class Win32ConsoleHost : public MessageHost {
 public:
  void ReportMessage(std::u16string_view text) override {
    progress_.Clear();
    // A file or pipe gets the text as Japanese Windows writes console text, in code
    // page 932, whatever the system's own code page.
    WriteConsoleText(StandardStream::kOutput, text, 932, false);
  }

  bool AbortRequested() override { return false; }

  void ShowProgress(const ProgressCounts& counts, const NativePath& folder) override {
    progress_.Update(counts, [&folder] { return PathForDisplay(folder); });
  }

  void EndProgress() override { progress_.Clear(); }

  void SetProgressLine(ProgressLine line) {
    progress_.Clear();
    progress_ = std::move(line);
  }

  int ShowMessageBox(std::u16string_view text, std::u16string_view caption,
                     uint32_t style) override {
    progress_.Clear();
    std::wstring wideText(text.begin(), text.end());
    std::wstring wideCaption(caption.begin(), caption.end());
    return MessageBoxW(nullptr, wideText.c_str(), wideCaption.c_str(), style);
  }

 private:
  ProgressLine progress_{OpenStandardErrorTerminal(), SteadyMilliseconds};
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
