#include "platform/process_launch.h"

#include <errno.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>

extern char** environ;

WideText LaunchCommandLine(const NativePath& program, std::u16string_view argument) {
  return u"\"" + PathForDisplay(program) + u"\" " + WideText(argument);
}

bool RunProgramAndWait(const NativePath& program, std::u16string_view argument,
                       uint32_t* error) {
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
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  *error = 0;
  return true;
}
