// quillon_probe.exe: a small program of the tests that finds quillon's real windows under
// Wine, reads what they show and acts on them, and prints what it found for a test script.
//
//   quillon_probe.exe <command> [arguments...]
//
// Each command lives in a probe_<area>.cpp file and registers itself with ProbeCommand.
// Output is UTF-8, one fact per line, so that shell scripts can compare it. Exit code 0
// when the command did what it was asked, 1 when what it looked for was not there, 2 for
// a wrong call.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

using ProbeArguments = std::vector<std::wstring>;
using ProbeFunction = int (*)(const ProbeArguments& arguments);

// Registers a command at start-up: `static ProbeCommand x(L"name", L"args", Run);`.
struct ProbeCommand {
  ProbeCommand(const wchar_t* name, const wchar_t* usage, ProbeFunction run);
};

// The dialog (class "#32770") with this caption: waits up to `milliseconds` for it to
// appear and become visible (or only to exist, with `visible` false). Null when it did not.
HWND WaitForDialog(const std::wstring& caption, int milliseconds = 10000, bool visible = true);

// Finds the dialog for a command or prints why it cannot and returns null.
HWND DialogOrComplain(const std::wstring& caption);

// A control id or a number given on the command line; -1 when it is not a number.
long ParseNumber(const std::wstring& text);

std::string Utf8(const std::wstring& text);
// Prints one line (UTF-8, "\n" added) to standard output and flushes it.
void PrintLine(const std::string& line);

// A window's text, read through WM_GETTEXT (works across processes).
std::wstring WindowText(HWND window);

// The rectangle of a child in its parent's client coordinates.
RECT ChildRect(HWND child);
