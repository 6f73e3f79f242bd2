// Commands for the help viewer that quillon opens: find its window and close it.
#include <cwchar>
#include <string>

#include "tests/probe/probe.h"

namespace {

// The frame window of the HTML Help viewer.
constexpr wchar_t kHelpWindowClass[] = L"HH Parent";

struct HelpWindowSearch {
  HWND owner;  // null: any owner
  HWND found;
};

BOOL CALLBACK MatchHelpWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<HelpWindowSearch*>(parameter);
  wchar_t className[32] = L"";
  GetClassNameW(window, className, 32);
  if (std::wcscmp(className, kHelpWindowClass) != 0) return TRUE;
  if (search->owner && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindHelpWindow(HWND owner) {
  HelpWindowSearch search{owner, nullptr};
  EnumWindows(MatchHelpWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// helpwindow <owner caption> [milliseconds]: waits for a help viewer owned by the dialog
// and prints "title <text>" and "visible 0/1". Exit 1 when none appeared in time.
int HelpWindow(const ProbeArguments& arguments) {
  if (arguments.empty()) return 2;
  int milliseconds = arguments.size() > 1 ? static_cast<int>(ParseNumber(arguments[1])) : 10000;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  for (int waited = 0;; waited += 100) {
    if (HWND help = FindHelpWindow(dialog)) {
      PrintLine("title " + Utf8(WindowText(help)));
      PrintLine(IsWindowVisible(help) ? "visible 1" : "visible 0");
      return 0;
    }
    if (waited >= milliseconds) break;
    Sleep(100);
  }
  // Tell an unowned viewer apart from none at all.
  PrintLine(FindHelpWindow(nullptr) ? "help window with another owner" : "no help window");
  return 1;
}

// nohelpwindow [milliseconds]: waits the time and prints "none" when no help viewer
// appeared in it; exit 1 (printing its title) as soon as one does.
int NoHelpWindow(const ProbeArguments& arguments) {
  int milliseconds = !arguments.empty() ? static_cast<int>(ParseNumber(arguments[0])) : 3000;
  for (int waited = 0;; waited += 100) {
    if (HWND help = FindHelpWindow(nullptr)) {
      PrintLine("title " + Utf8(WindowText(help)));
      return 1;
    }
    if (waited >= milliseconds) break;
    Sleep(100);
  }
  PrintLine("none");
  return 0;
}

// closehelp [milliseconds]: closes every help viewer and waits until they are gone.
int CloseHelp(const ProbeArguments& arguments) {
  int milliseconds = !arguments.empty() ? static_cast<int>(ParseNumber(arguments[0])) : 10000;
  for (int waited = 0;; waited += 100) {
    HWND help = FindHelpWindow(nullptr);
    if (!help) break;
    PostMessageW(help, WM_CLOSE, 0, 0);
    if (waited >= milliseconds) return 1;
    Sleep(100);
  }
  PrintLine("closed");
  return 0;
}

ProbeCommand helpWindow(L"helpwindow", L"<owner caption> [milliseconds]", HelpWindow);
ProbeCommand noHelpWindow(L"nohelpwindow", L"[milliseconds]", NoHelpWindow);
ProbeCommand closeHelp(L"closehelp", L"[milliseconds]", CloseHelp);

}  // namespace
