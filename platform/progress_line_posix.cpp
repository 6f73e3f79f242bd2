#include "platform/progress_line.h"

#include <errno.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <string>

namespace {

void WriteAll(const std::string& bytes) {
  const char* data = bytes.data();
  size_t size = bytes.size();
  while (size > 0) {
    ssize_t written = write(STDERR_FILENO, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    data += written;
    size -= static_cast<size_t>(written);
  }
}

class StandardErrorTerminal : public ProgressTerminal {
 public:
  size_t Columns() override {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
  }

  void Show(std::u16string_view text) override { WriteAll("\r" + Utf8FromWide(text)); }

  // Back to the start of the line, and the line emptied to its end.
  void Erase(size_t) override { WriteAll("\r\033[K"); }
};

}  // namespace

std::unique_ptr<ProgressTerminal> OpenStandardErrorTerminal() {
  if (!isatty(STDERR_FILENO)) return nullptr;
  return std::make_unique<StandardErrorTerminal>();
}
