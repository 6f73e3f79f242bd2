#include "platform/process_launch.h"

#include <windows.h>

#include <cstdio>
#include <string>

WideText LaunchCommandLine(const NativePath& program, std::u16string_view argument) {
  return u"\"" + PathForDisplay(program) + u"\" " + WideText(argument);
}

bool RunProgramAndWait(const NativePath& program, std::u16string_view argument,
                       uint32_t* error, ProgramEnd* end) {
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
  DWORD exitCode = 0;
  // A code that cannot be had tells nothing against the child; it counts as a normal end.
  if (!GetExitCodeProcess(process.hProcess, &exitCode)) exitCode = 0;
  CloseHandle(process.hProcess);
  *error = 0;
  if (end) *end = ProgramEnd{false, static_cast<uint32_t>(exitCode)};
  return true;
}

WideText ProgramEndText(const ProgramEnd& end, bool japanese) {
  char text[48];
  if (end.code >= 0xC0000000u) {
    // An exception or a status of the system (0xC0000005: access violation).
    snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(end.code));
    return WideFromUtf8(text);
  }
  snprintf(text, sizeof text, "%u", static_cast<unsigned>(end.code));
  return (japanese ? WideText(u"終了コード ") : WideText(u"exit code ")) + WideFromUtf8(text);
}
