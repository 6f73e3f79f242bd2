#include "platform/console_output.h"

#include <errno.h>
#include <unistd.h>

#include <string>

#include "core/wide_text.h"
#include "platform/environment.h"

void WriteConsoleText(StandardStream stream, std::u16string_view text, unsigned, bool) {
  int fd = stream == StandardStream::kOutput ? STDOUT_FILENO : STDERR_FILENO;
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

bool ConsoleLanguageIsJapanese() { return SystemLanguageIsJapanese(); }
