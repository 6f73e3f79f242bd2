#include "ui/win32/results_dialog.h"

#include "core/process_flags.h"
#include "ui/win32/resource.h"
#include "ui/win32/window_controls.h"

INT_PTR CALLBACK ResultsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* texts = reinterpret_cast<const ResultsTexts*>(lParam);
      SetDlgItemTextW(dialog, IDC_RESULTS_SUMMARY, ToWindowText(texts->summary).c_str());
      // No limit: a long run's messages are shown to the last line.
      SendDlgItemMessageW(dialog, IDC_RESULTS_DETAILS, EM_SETLIMITTEXT, 0, 0);
      SetDlgItemTextW(dialog, IDC_RESULTS_DETAILS, ToWindowText(texts->details).c_str());
      // Focus on OK rather than on the messages, which would show up all selected.
      SetFocus(GetDlgItem(dialog, IDCANCEL));
      return FALSE;
    }
    case WM_COMMAND:
      // OK, Esc and the close box all arrive as id 2.
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

bool ShowResultsDialog(HWND owner, std::u16string_view summary, std::u16string_view details) {
  ResultsTexts texts{summary, details};
  int templateId = japaneseUi ? IDD_RESULTS_JAPANESE : IDD_RESULTS_ENGLISH;
  INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner,
                                   ResultsDialogProc, reinterpret_cast<LPARAM>(&texts));
  return result == IDCANCEL;
}
