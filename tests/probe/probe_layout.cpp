// Commands for the main dialog's resizing and tooltips: resize the real dialog, and read
// the tools registered on its tooltip window from the probe's own process.
#include "tests/probe/probe.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

// resize <caption> <width> <height>: asks for a new window size as a program would
// (SetWindowPos, the position kept), then prints the window's width and height.
int Resize(const ProbeArguments& arguments) {
  if (arguments.size() != 3) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  long width = ParseNumber(arguments[1]);
  long height = ParseNumber(arguments[2]);
  if (width < 0 || height < 0) return 2;
  SetWindowPos(dialog, nullptr, 0, 0, static_cast<int>(width), static_cast<int>(height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT window = {};
  GetWindowRect(dialog, &window);
  char line[64];
  std::snprintf(line, sizeof line, "%ld %ld", window.right - window.left,
                window.bottom - window.top);
  PrintLine(line);
  return 0;
}

struct TooltipSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK MatchTooltip(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<TooltipSearch*>(parameter);
  wchar_t className[32] = L"";
  GetClassNameW(window, className, 32);
  if (std::wstring(className) != TOOLTIPS_CLASSW) return TRUE;
  if (GetWindow(window, GW_OWNER) != search->owner) return TRUE;
  search->found = window;
  return FALSE;
}

// Memory in another process, for messages whose parameters point at structures.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, size_t size) : process_(process) {
    address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  void* address() const { return address_; }
  bool Write(const void* data, size_t size) const {
    return WriteProcessMemory(process_, address_, data, size, nullptr);
  }
  bool Read(void* data, size_t size) const {
    return ReadProcessMemory(process_, address_, data, size, nullptr);
  }

 private:
  HANDLE process_;
  void* address_ = nullptr;
};

constexpr size_t kTextUnits = 1024;  // what the tooltip copies a tool's text into at most

// tooltips <caption>: the dialog's tooltip window: first "window <always-tip 0/1>
// <max tip width>", then one line per tool in registration order: the control's id,
// "hwnd+subclass" when it is identified by the control's window and subclasses it (else
// the flags in hex), and its text. Exit 1 when the dialog has no tooltip window.
int Tooltips(const ProbeArguments& arguments) {
  if (arguments.size() != 1) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  TooltipSearch search{dialog, nullptr};
  EnumWindows(MatchTooltip, reinterpret_cast<LPARAM>(&search));
  if (!search.found) {
    std::fprintf(stderr, "probe: no tooltip window\n");
    return 1;
  }
  HWND tooltip = search.found;
  LONG style = GetWindowLongW(tooltip, GWL_STYLE);
  LRESULT maxWidth = SendMessageW(tooltip, TTM_GETMAXTIPWIDTH, 0, 0);
  char head[64];
  std::snprintf(head, sizeof head, "window %d %ld", (style & TTS_ALWAYSTIP) ? 1 : 0,
                static_cast<long>(maxWidth));
  PrintLine(head);

  DWORD processId = 0;
  GetWindowThreadProcessId(tooltip, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                               FALSE, processId);
  if (!process) {
    std::fprintf(stderr, "probe: cannot open the dialog's process\n");
    return 1;
  }
  RemoteBuffer remoteTool(process, sizeof(TOOLINFOW));
  RemoteBuffer remoteText(process, kTextUnits * sizeof(wchar_t));
  int result = 0;
  if (!remoteTool.address() || !remoteText.address()) {
    result = 1;
  } else {
    LRESULT count = SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
      wchar_t empty[kTextUnits] = L"";
      remoteText.Write(empty, sizeof empty);
      TOOLINFOW tool = {};
      tool.cbSize = sizeof tool;
      tool.lpszText = static_cast<wchar_t*>(remoteText.address());
      remoteTool.Write(&tool, sizeof tool);
      if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(remoteTool.address()))) {
        result = 1;
        break;
      }
      wchar_t text[kTextUnits] = L"";
      remoteTool.Read(&tool, sizeof tool);
      remoteText.Read(text, sizeof text);
      text[kTextUnits - 1] = L'\0';
      UINT flags = tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS);
      int id = (tool.uFlags & TTF_IDISHWND) ? GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId))
                                             : static_cast<int>(tool.uId);
      char line[64];
      if (flags == (TTF_IDISHWND | TTF_SUBCLASS)) {
        std::snprintf(line, sizeof line, "%d hwnd+subclass ", id);
      } else {
        std::snprintf(line, sizeof line, "%d 0x%x ", id, tool.uFlags);
      }
      PrintLine(line + Utf8(text));
    }
  }
  CloseHandle(process);
  return result;
}

// tooltipwindow <caption>: prints the tooltip window's screen rectangle and visibility
// ("x y width height visible"); used to wait for a tip to show.
int TooltipWindow(const ProbeArguments& arguments) {
  if (arguments.size() != 1) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  TooltipSearch search{dialog, nullptr};
  EnumWindows(MatchTooltip, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return 1;
  RECT rect = {};
  GetWindowRect(search.found, &rect);
  char line[96];
  std::snprintf(line, sizeof line, "%ld %ld %ld %ld %d", rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top,
                IsWindowVisible(search.found) ? 1 : 0);
  PrintLine(line);
  return 0;
}

// windowrect <caption>: the dialog's rectangle on the screen, "x y width height".
int WindowRect(const ProbeArguments& arguments) {
  if (arguments.size() != 1) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  RECT rect = {};
  GetWindowRect(dialog, &rect);
  char line[96];
  std::snprintf(line, sizeof line, "%ld %ld %ld %ld", rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top);
  PrintLine(line);
  return 0;
}

// controlpoint <caption> <id>: the screen point at the middle of a control, "x y".
int ControlPoint(const ProbeArguments& arguments) {
  if (arguments.size() != 2) return 2;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  HWND control = GetDlgItem(dialog, static_cast<int>(ParseNumber(arguments[1])));
  if (!control) return 1;
  RECT rect = {};
  GetWindowRect(control, &rect);
  char line[64];
  std::snprintf(line, sizeof line, "%ld %ld", (rect.left + rect.right) / 2,
                (rect.top + rect.bottom) / 2);
  PrintLine(line);
  return 0;
}

// show <caption> <id> [0|1]: makes a hidden control visible (the banner, for a picture of
// it), or with 0 hides it (the banner's lottery kept out of the other pictures).
int Show(const ProbeArguments& arguments) {
  if (arguments.size() != 2 && arguments.size() != 3) return 2;
  const bool visible = arguments.size() == 2 || ParseNumber(arguments[2]) != 0;
  HWND dialog = DialogOrComplain(arguments[0]);
  if (!dialog) return 1;
  HWND control = GetDlgItem(dialog, static_cast<int>(ParseNumber(arguments[1])));
  if (!control) return 1;
  ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
  return 0;
}

ProbeCommand resize(L"resize", L"<caption> <width> <height>", Resize);
ProbeCommand tooltips(L"tooltips", L"<caption>", Tooltips);
ProbeCommand tooltipWindow(L"tooltipwindow", L"<caption>", TooltipWindow);
ProbeCommand windowRect(L"windowrect", L"<caption>", WindowRect);
ProbeCommand controlPoint(L"controlpoint", L"<caption> <id>", ControlPoint);
ProbeCommand show(L"show", L"<caption> <id> [0|1]", Show);

}  // namespace
