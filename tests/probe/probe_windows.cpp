// Commands for any dialog: wait for it, read its controls, press its buttons, close it.
#include <cstdio>
#include <string>

#include "tests/probe/probe.h"

namespace {

std::string RectLine(const RECT& rect) {
  char line[96];
  std::snprintf(line, sizeof line, "%ld %ld %ld %ld", rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top);
  return line;
}

// wait <caption> [milliseconds]: prints "found" once the dialog is visible.
int Wait(const ProbeArguments& arguments) {
  if (arguments.empty()) return 2;
  int milliseconds = arguments.size() > 1 ? static_cast<int>(ParseNumber(arguments[1])) : 10000;
  if (!WaitForDialog(arguments[0], milliseconds)) return 1;
  PrintLine("found");
  return 0;
}

// controls <caption>: one line per child: id, x y width height (client coordinates),
// visible and enabled as 0/1, class, text.
int Controls(const ProbeArguments& arguments) {
  if (arguments.size() != 1) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[64] = L"";
    GetClassNameW(child, className, 64);
    char head[32];
    std::snprintf(head, sizeof head, "%d ", GetDlgCtrlID(child));
    PrintLine(head + RectLine(ChildRect(child)) + " " +
              (IsWindowVisible(child) ? "1 " : "0 ") + (IsWindowEnabled(child) ? "1 " : "0 ") +
              Utf8(className) + " " + Utf8(WindowText(child)));
  }
  return 0;
}

// size <caption>: the window's width and height, then the client's.
int Size(const ProbeArguments& arguments) {
  if (arguments.size() != 1) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  RECT window = {};
  RECT client = {};
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  char line[96];
  std::snprintf(line, sizeof line, "%ld %ld %ld %ld", window.right - window.left,
                window.bottom - window.top, client.right, client.bottom);
  PrintLine(line);
  return 0;
}

// command <caption> <id>: sends WM_COMMAND for a control as a click would (BN_CLICKED).
int Command(const ProbeArguments& arguments) {
  if (arguments.size() != 2) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  long id = ParseNumber(arguments[1]);
  HWND control = GetDlgItem(dialog, static_cast<int>(id));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
  return 0;
}

// gone <caption> [milliseconds]: waits until no such dialog exists; prints "gone".
int Gone(const ProbeArguments& arguments) {
  if (arguments.empty()) return 2;
  int milliseconds = arguments.size() > 1 ? static_cast<int>(ParseNumber(arguments[1])) : 10000;
  for (int waited = 0;; waited += 100) {
    if (!WaitForDialog(arguments[0], 0, false)) break;
    if (waited >= milliseconds) return 1;
    Sleep(100);
  }
  PrintLine("gone");
  return 0;
}

// check <caption> <id> <0|1>: sets a check box and tells the dialog, as a click does.
int Check(const ProbeArguments& arguments) {
  if (arguments.size() != 3) return 2;
  long id = ParseNumber(arguments[1]);
  long state = ParseNumber(arguments[2]);
  if (id < 0 || (state != 0 && state != 1)) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  HWND control = GetDlgItem(dialog, static_cast<int>(id));
  if (!control) {
    std::fprintf(stderr, "probe: no control %ld\n", id);
    return 1;
  }
  SendMessageW(control, BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
  bool checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
  PrintLine(checked ? "checked 1" : "checked 0");
  return checked == (state == 1) ? 0 : 1;
}

ProbeCommand wait(L"wait", L"<caption> [milliseconds]", Wait);
ProbeCommand controls(L"controls", L"<caption>", Controls);
ProbeCommand size(L"size", L"<caption>", Size);
ProbeCommand command(L"command", L"<caption> <id>", Command);
ProbeCommand gone(L"gone", L"<caption> [milliseconds]", Gone);
ProbeCommand check(L"check", L"<caption> <id> <0|1>", Check);

}  // namespace
