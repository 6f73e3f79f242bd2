#include "cli/console_output.h"

#include <errno.h>
#include <unistd.h>

#include <string>

#include "core/wide_text.h"
#include "platform/environment.h"

namespace {

void WriteAll(int fd, std::u16string_view text) {
  std::string bytes = Utf8FromWide(text);
  const char* data = bytes.data();
  size_t size = bytes.size();
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    data += written;
    size -= static_cast<size_t>(written);
  }
}

}  // namespace

void WriteStandardOutput(std::u16string_view text) { WriteAll(STDOUT_FILENO, text); }
void WriteStandardError(std::u16string_view text) { WriteAll(STDERR_FILENO, text); }

bool ConsoleLanguageIsJapanese() { return SystemLanguageIsJapanese(); }
