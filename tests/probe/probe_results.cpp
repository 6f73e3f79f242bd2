// Commands for the end of a run and for message boxes: set a check box, type a key into a
// dialog, click its close box, read and answer a message box.
#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/probe/probe.h"

namespace {

// key <caption> <escape|return>: the key pressed and let go in the dialog's focused
// control, the way the dialog's own message loop receives typing.
int Key(const ProbeArguments& arguments) {
  if (arguments.size() != 2) return 2;
  WPARAM key;
  if (arguments[1] == L"escape") {
    key = VK_ESCAPE;
  } else if (arguments[1] == L"return") {
    key = VK_RETURN;
  } else {
    return 2;
  }
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  HWND target = dialog;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus &&
      (info.hwndFocus == dialog || IsChild(dialog, info.hwndFocus))) {
    target = info.hwndFocus;
  }
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
  return 0;
}

// close <caption>: the close box of the dialog's caption, clicked.
int Close(const ProbeArguments& arguments) {
  if (arguments.size() != 1) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  return 0;
}

struct BoxSearch {
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<BoxSearch*>(parameter);
  wchar_t className[16] = L"";
  GetClassNameW(window, className, 16);
  if (std::wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  if (WindowText(window) != *search->caption) return TRUE;
  // The main dialog wears the same caption as its boxes: a box has neither its target
  // field (1000) nor the summary of the results dialog (1031).
  if (GetDlgItem(window, 1000) || GetDlgItem(window, 1031)) return TRUE;
  search->found = window;
  return FALSE;
}

// box <caption> [milliseconds] [answer-id]: waits for a message box with this caption,
// prints "text <text>" for each of its texts, and presses the button answer-id if given.
int Box(const ProbeArguments& arguments) {
  if (arguments.empty() || arguments.size() > 3) return 2;
  int milliseconds = arguments.size() > 1 ? static_cast<int>(ParseNumber(arguments[1])) : 10000;
  BoxSearch search{&arguments[0], nullptr};
  for (int waited = 0;; waited += 100) {
    EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
    if (search.found) break;
    if (waited >= milliseconds) {
      std::fprintf(stderr, "probe: no message box \"%s\"\n", Utf8(arguments[0]).c_str());
      return 1;
    }
    Sleep(100);
  }
  for (HWND child = GetWindow(search.found, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[16] = L"";
    GetClassNameW(child, className, 16);
    std::wstring text = WindowText(child);
    if (_wcsicmp(className, L"Static") == 0 && !text.empty()) PrintLine("text " + Utf8(text));
  }
  if (arguments.size() > 2) {
    long id = ParseNumber(arguments[2]);
    PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(search.found, static_cast<int>(id))));
  }
  return 0;
}

ProbeCommand key(L"key", L"<caption> <escape|return>", Key);
ProbeCommand close(L"close", L"<caption>", Close);
ProbeCommand box(L"box", L"<caption> [milliseconds] [answer-id]", Box);

}  // namespace
