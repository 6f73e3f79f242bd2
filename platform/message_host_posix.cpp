#include "platform/message_host.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "core/wide_text.h"
#include "platform/console_host_base.h"
#include "platform/console_output.h"

namespace {

// Asks on the controlling terminal; no terminal answers No.
bool AskYesOnTerminal(const std::string& question) {
  int tty = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
  if (tty < 0) {
    std::string told = question + " -> No\n";
    fwrite(told.data(), 1, told.size(), stderr);
    return false;
  }
  std::string prompt = question + " [y/N] ";
  if (write(tty, prompt.data(), prompt.size()) < 0) {
    close(tty);
    return false;
  }
  char answer[16];
  ssize_t n = read(tty, answer, sizeof answer);
  close(tty);
  return n > 0 && (answer[0] == 'y' || answer[0] == 'Y');
}

class PosixConsoleHost : public ConsoleHostBase {
 public:
  void ReportMessage(std::u16string_view text) override {
    ClearProgress();
    WriteConsoleText(StandardStream::kOutput, text, 0, false);
  }

  bool AbortRequested() override { return false; }

  int ShowMessageBox(std::u16string_view text, std::u16string_view caption,
                     uint32_t style) override {
    ClearProgress();
    std::string line = Utf8FromWide(caption) + ": " + Utf8FromWide(text);
    if ((style & 0xF) == kBoxYesNo) {
      fflush(stdout);
      return AskYesOnTerminal(line) ? kAnswerYes : kAnswerNo;
    }
    line += '\n';
    fwrite(line.data(), 1, line.size(), stderr);
    return kAnswerOk;
  }

};

PosixConsoleHost& ConsoleHost() {
  static PosixConsoleHost host;
  return host;
}

}  // namespace

MessageHost& ConsoleMessageHost() { return ConsoleHost(); }

void SetConsoleProgressTerminal(std::unique_ptr<ProgressTerminal> terminal,
                                ProgressLine::Clock clock) {
  ConsoleHost().SetProgressLine(ProgressLine(std::move(terminal), std::move(clock)));
}
