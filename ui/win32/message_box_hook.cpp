#include "ui/win32/message_box_hook.h"

#include <commctrl.h>

#include "ui/win32/dark_theme.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x51DB;

LRESULT CALLBACK MessageBoxColoursProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR) {
  if (IsControlColourMessage(message) && darkTheme) {
    return reinterpret_cast<LRESULT>(
        AnswerControlColour(reinterpret_cast<HDC>(wParam), true, DarkBackgroundBrush()));
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(box, MessageBoxColoursProc, kSubclassId);
  return DefSubclassProc(box, message, wParam, lParam);
}

bool IsDialogWindow(HWND window) {
  wchar_t className[16] = L"";
  GetClassNameW(window, className, 16);
  return lstrcmpW(className, L"#32770") == 0;
}

// At creation the box has no controls yet; at activation it has them all. Subclassing
// twice with the same procedure and id only replaces the first.
void ThemeMessageBox(HWND box) {
  ThemeChildControls(box, darkTheme);
  ThemeOwnedTooltips(box, darkTheme);
  UpdateWindow(box);
  SetWindowSubclass(box, MessageBoxColoursProc, kSubclassId, 0);
  UpdateWindow(box);
}

LRESULT CALLBACK MessageBoxHook(int code, WPARAM wParam, LPARAM lParam) {
  if ((code == HCBT_CREATEWND || code == HCBT_ACTIVATE) &&
      IsDialogWindow(reinterpret_cast<HWND>(wParam))) {
    ThemeMessageBox(reinterpret_cast<HWND>(wParam));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int ShowThemedMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) {
  if (!darkTheme) return MessageBoxW(owner, text, caption, style);
  HHOOK hook = SetWindowsHookExW(WH_CBT, MessageBoxHook, nullptr, GetCurrentThreadId());
  int answer = MessageBoxW(owner, text, caption, style);
  if (hook) UnhookWindowsHookEx(hook);
  return answer;
}
