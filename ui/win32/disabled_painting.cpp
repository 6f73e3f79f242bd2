#include "ui/win32/disabled_painting.h"

#include <commctrl.h>

#include <string>

#include "ui/theme_rules.h"
#include "ui/win32/dark_theme.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x51DA;

bool IsButton(HWND control) {
  wchar_t className[16] = L"";
  GetClassNameW(control, className, 16);
  return _wcsicmp(className, L"Button") == 0;
}

bool IsStatic(HWND control) {
  wchar_t className[16] = L"";
  GetClassNameW(control, className, 16);
  return _wcsicmp(className, L"Static") == 0;
}

std::wstring TextOf(HWND control) {
  int length = GetWindowTextLengthW(control);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(control, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

RECT ToRect(const ThemeRect& rect) { return RECT{rect.left, rect.top, rect.right, rect.bottom}; }

// The box (empty, whatever the check state) or circle, then the text, in grey.
void PaintDisabled(HWND control) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(control, &paint);
  if (!dc) return;
  std::wstring text = TextOf(control);
  RECT client = {};
  GetClientRect(control, &client);
  bool button = IsButton(control);
  auto style = static_cast<uint32_t>(GetWindowLongW(control, GWL_STYLE));
  ThemeRect area{client.left, client.top, client.right, client.bottom};
  DisabledPaint plan = PlanDisabledPaint(button, style, !text.empty(), area);
  if (plan.paint) {
    if (plan.fillBackground) FillRect(dc, &client, DarkBackgroundBrush());
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    if (plan.mark != DisabledPaint::Mark::kNone) {
      HPEN pen = CreatePen(PS_SOLID, 1, kDisabledText);
      HBRUSH fill = CreateSolidBrush(kDisabledBoxFill);
      HGDIOBJ oldPen = SelectObject(dc, pen);
      HGDIOBJ oldBrush = SelectObject(dc, fill);
      const ThemeRect& m = plan.markRect;
      if (plan.mark == DisabledPaint::Mark::kBox) {
        Rectangle(dc, m.left, m.top, m.right, m.bottom);
      } else {
        Ellipse(dc, m.left, m.top, m.right, m.bottom);
      }
      SelectObject(dc, oldBrush);
      SelectObject(dc, oldPen);
      DeleteObject(fill);
      DeleteObject(pen);
    }
    SetTextColor(dc, kDisabledText);
    SetBkMode(dc, TRANSPARENT);
    UINT format = DT_SINGLELINE | DT_VCENTER;
    if (plan.alignment == 1) format |= DT_CENTER;
    if (plan.alignment == 2) format |= DT_RIGHT;
    if (!button && (style & SS_NOPREFIX)) format |= DT_NOPREFIX;
    RECT textRect = ToRect(plan.textRect);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, format);
    if (oldFont) SelectObject(dc, oldFont);
  }
  EndPaint(control, &paint);
}

LRESULT CALLBACK DisabledPaintingProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_ENABLE:
      // The control's own handling would draw its grey look at once; it is painted here.
      if (!wParam && darkTheme) {
        InvalidateRect(control, nullptr, TRUE);
        return 0;
      }
      break;
    case WM_PAINT:
      if (darkTheme && !IsWindowEnabled(control)) {
        PaintDisabled(control);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(control, DisabledPaintingProc, kSubclassId);
      break;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

}  // namespace

void SubclassForDisabledPainting(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    auto style = static_cast<uint32_t>(GetWindowLongW(child, GWL_STYLE));
    if ((IsStatic(child) && IsTextStaticStyle(style)) ||
        (IsButton(child) && !IsPushButtonStyle(style))) {
      SetWindowSubclass(child, DisabledPaintingProc, kSubclassId, 0);
    }
  }
}
