#include "platform/process_launch.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>

#include <string>

extern char** environ;

WideText LaunchCommandLine(const NativePath& program, std::u16string_view argument) {
  return u"\"" + PathForDisplay(program) + u"\" " + WideText(argument);
}

bool RunProgramAndWait(const NativePath& program, std::u16string_view argument,
                       uint32_t* error, ProgramEnd* end) {
  std::string arg = Utf8FromWide(argument);
  std::string path = program;
  char* argv[] = {path.data(), arg.data(), nullptr};
  pid_t child = 0;
  // Standard streams and environment are inherited as they are.
  int result = posix_spawn(&child, path.c_str(), nullptr, nullptr, argv, environ);
  if (result != 0) {
    *error = static_cast<uint32_t>(result);
    return false;
  }
  int status = 0;
  int waited;
  while ((waited = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
  }
  *error = 0;
  if (end) {
    // A status that cannot be had (SIGCHLD ignored by whoever started us) tells nothing
    // against the child; it counts as a normal end.
    *end = ProgramEnd();
    if (waited == child && WIFSIGNALED(status)) {
      end->bySignal = true;
      end->code = static_cast<uint32_t>(WTERMSIG(status));
    } else if (waited == child && WIFEXITED(status)) {
      end->code = static_cast<uint32_t>(WEXITSTATUS(status));
    }
  }
  return true;
}

WideText ProgramEndText(const ProgramEnd& end, bool japanese) {
  std::string text;
  if (end.bySignal) {
    // The C library's description is English in every locale; the same in both languages.
    const char* description = sigdescr_np(static_cast<int>(end.code));
    text = (japanese ? "シグナル " : "signal ") + std::to_string(end.code);
    if (description) text += std::string(" (") + description + ")";
  } else {
    text = (japanese ? "終了コード " : "exit code ") + std::to_string(end.code);
  }
  return WideFromUtf8(text);
}
