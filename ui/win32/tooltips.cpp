#include "ui/win32/tooltips.h"

#include <commctrl.h>

#include <string>

#include "ui/win32/window_controls.h"

namespace {

// Long texts wrap at about this width (dialog units), so that a tip stays a readable block
// beside the control instead of one line across the screen.
constexpr int kTipWidthDialogUnits = 220;

int TipWidthPixels(HWND dialog) {
  RECT rect = {0, 0, kTipWidthDialogUnits, 0};
  if (!MapDialogRect(dialog, &rect) || rect.right <= 0) return 330;
  return rect.right;
}

}  // namespace

HWND CreateTooltips(HWND dialog, const TooltipRow* rows) {
  // TTS_ALWAYSTIP: the tips show while the dialog is not the active window too.
  HWND tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 dialog, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!tooltip) return nullptr;
  SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, TipWidthPixels(dialog));

  for (const TooltipRow* row = rows; row && row->id != 0 && row->text; ++row) {
    HWND control = GetDlgItem(dialog, row->id);
    if (!control) continue;
    std::wstring text = ToWindowText(row->text);
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    // Identified by the control's window; the tooltip subclasses the control to see its
    // mouse messages itself.
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text.data();
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  return tooltip;
}
