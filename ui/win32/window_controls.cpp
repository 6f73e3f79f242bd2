#include "ui/win32/window_controls.h"

#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

std::wstring ToWindowText(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

WideText WindowControls::GetText(int id) const {
  HWND control = GetDlgItem(dialog_, id);
  if (!control) return WideText();
  // The length can be an overestimate (never less); the copy says how much there was.
  int length = GetWindowTextLengthW(control);
  if (length <= 0) return WideText();
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(control, buffer.data(), length + 1);
  if (copied < 0) copied = 0;
  return WideText(reinterpret_cast<const char16_t*>(buffer.data()), static_cast<size_t>(copied));
}

void WindowControls::SetText(int id, std::u16string_view text) {
  SetDlgItemTextW(dialog_, id, ToWindowText(text).c_str());
}

bool WindowControls::IsChecked(int id) const {
  // An indeterminate box counts as checked.
  return IsDlgButtonChecked(dialog_, id) != BST_UNCHECKED;
}

void WindowControls::SetChecked(int id, bool checked) {
  CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

int WindowControls::GetSelection(int id) const {
  LRESULT position = SendDlgItemMessageW(dialog_, id, CB_GETCURSEL, 0, 0);
  return position == CB_ERR ? -1 : static_cast<int>(position);
}

void WindowControls::SetSelection(int id, int position) {
  // A position past the items clears the selection. Said explicitly: not every system
  // clears it when CB_SETCURSEL is refused.
  LRESULT count = SendDlgItemMessageW(dialog_, id, CB_GETCOUNT, 0, 0);
  if (position < 0 || count == CB_ERR || position >= count) position = -1;
  SendDlgItemMessageW(dialog_, id, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
}

bool WindowControls::IsEnabled(int id) const {
  HWND control = GetDlgItem(dialog_, id);
  return control && IsWindowEnabled(control);
}

void WindowControls::SetEnabled(int id, bool enabled) {
  HWND control = GetDlgItem(dialog_, id);
  if (control) EnableWindow(control, enabled ? TRUE : FALSE);
}

void WindowControls::AddListItem(int id, std::u16string_view text) {
  std::wstring item = ToWindowText(text);
  SendDlgItemMessageW(dialog_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}
