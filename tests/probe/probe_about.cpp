// Commands for the About box: the clipboard, the keyboard focus, a control's whole text,
// its selection, its tooltips, and a typed character.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "tests/probe/probe.h"

namespace {

// clipboard: prints the clipboard's Unicode text as it is (line breaks included, no
// newline added); exit code 1 when it holds none.
int Clipboard(const ProbeArguments& arguments) {
  if (!arguments.empty()) return 2;
  if (!OpenClipboard(nullptr)) return 1;
  std::wstring text;
  bool found = false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = units;
      found = true;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  if (!found) return 1;
  std::string utf8 = Utf8(text);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fflush(stdout);
  return 0;
}

// setclipboard <text>: puts the text on the clipboard.
int SetClipboard(const ProbeArguments& arguments) {
  if (arguments.size() != 1) return 2;
  const std::wstring& text = arguments[0];
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (!block) return 1;
  auto* units = static_cast<wchar_t*>(GlobalLock(block));
  text.copy(units, text.size());
  units[text.size()] = L'\0';
  GlobalUnlock(block);
  if (!OpenClipboard(nullptr)) {
    GlobalFree(block);
    return 1;
  }
  EmptyClipboard();
  bool taken = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  if (!taken) GlobalFree(block);
  CloseClipboard();
  return taken ? 0 : 1;
}

// focus <caption>: the id of the control that has the keyboard focus in the dialog.
int Focus(const ProbeArguments& arguments) {
  if (arguments.size() != 1) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) || !info.hwndFocus ||
      GetParent(info.hwndFocus) != dialog) {
    PrintLine("none");
    return 1;
  }
  PrintLine(std::to_string(GetDlgCtrlID(info.hwndFocus)));
  return 0;
}

// text <caption> <id>: the control's whole text, line breaks included (no newline added).
int Text(const ProbeArguments& arguments) {
  if (arguments.size() != 2) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  HWND control = GetDlgItem(dialog, static_cast<int>(ParseNumber(arguments[1])));
  if (!control) return 1;
  std::string utf8 = Utf8(WindowText(control));
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fflush(stdout);
  return 0;
}

// selection <caption> <id>: an edit control's selection and text length, "start end length".
int Selection(const ProbeArguments& arguments) {
  if (arguments.size() != 2) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  HWND control = GetDlgItem(dialog, static_cast<int>(ParseNumber(arguments[1])));
  if (!control) return 1;
  LRESULT range = SendMessageW(control, EM_GETSEL, 0, 0);
  LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
  PrintLine(std::to_string(LOWORD(range)) + " " + std::to_string(HIWORD(range)) + " " +
            std::to_string(length));
  return 0;
}

// char <caption> <id> <code>: sends the control the character as typed (WM_CHAR).
int Char(const ProbeArguments& arguments) {
  if (arguments.size() != 3) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  HWND control = GetDlgItem(dialog, static_cast<int>(ParseNumber(arguments[1])));
  long code = ParseNumber(arguments[2]);
  if (!control || code < 0) return 2;
  SendMessageW(control, WM_CHAR, static_cast<WPARAM>(code), 1);
  return 0;
}

struct TooltipSearch {
  HWND owner;
  long tools;
};

BOOL CALLBACK CountTools(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<TooltipSearch*>(parameter);
  wchar_t className[32] = L"";
  GetClassNameW(window, className, 32);
  if (lstrcmpiW(className, TOOLTIPS_CLASSW) == 0 && GetWindow(window, GW_OWNER) == search->owner) {
    search->tools += static_cast<long>(SendMessageW(window, TTM_GETTOOLCOUNT, 0, 0));
  }
  return TRUE;
}

// tooltipcount <caption>: how many tools the tooltip windows owned by the dialog hold.
int Tooltips(const ProbeArguments& arguments) {
  if (arguments.size() != 1) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  TooltipSearch search{dialog, 0};
  EnumThreadWindows(GetWindowThreadProcessId(dialog, nullptr), CountTools,
                    reinterpret_cast<LPARAM>(&search));
  PrintLine(std::to_string(search.tools));
  return 0;
}

ProbeCommand clipboard(L"clipboard", L"", Clipboard);
ProbeCommand setClipboard(L"setclipboard", L"<text>", SetClipboard);
ProbeCommand focus(L"focus", L"<caption>", Focus);
ProbeCommand text(L"text", L"<caption> <id>", Text);
ProbeCommand selection(L"selection", L"<caption> <id>", Selection);
ProbeCommand typeChar(L"char", L"<caption> <id> <code>", Char);
ProbeCommand tooltipCount(L"tooltipcount", L"<caption>", Tooltips);

}  // namespace
