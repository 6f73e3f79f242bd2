#include "platform/process_launch.h"

#include <windows.h>

#include <string>

WideText LaunchCommandLine(const NativePath& program, std::u16string_view argument) {
  return u"\"" + PathForDisplay(program) + u"\" " + WideText(argument);
}

bool RunProgramAndWait(const NativePath& program, std::u16string_view argument,
                       uint32_t* error) {
  WideText line = LaunchCommandLine(program, argument);
  std::wstring commandLine(line.begin(), line.end());  // CreateProcessW may write into it
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
    *error = GetLastError();
    return false;
  }
  CloseHandle(process.hThread);
  // A console program has no input queue; the call then returns at once.
  WaitForInputIdle(process.hProcess, INFINITE);
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hProcess);
  *error = 0;
  return true;
}
