// The main dialog's controls through its window: the DialogControls of the Win32 dialog.
#pragma once

#include <windows.h>

#include "core/dialog_controls.h"

class WindowControls : public DialogControls {
 public:
  explicit WindowControls(HWND dialog) : dialog_(dialog) {}

  WideText GetText(int id) const override;
  void SetText(int id, std::u16string_view text) override;
  bool IsChecked(int id) const override;
  void SetChecked(int id, bool checked) override;
  int GetSelection(int id) const override;
  void SetSelection(int id, int position) override;
  bool IsEnabled(int id) const override;
  void SetEnabled(int id, bool enabled) override;
  void AddListItem(int id, std::u16string_view text) override;

  HWND dialog() const { return dialog_; }

 private:
  HWND dialog_;
};

// wchar_t is UTF-16 on Windows: the program's wide texts go to the API as they are.
std::wstring ToWindowText(std::u16string_view text);
