// The results dialog at the end of a run: the summary line and every message of the run.
#pragma once

#include <windows.h>

#include <string_view>

// Modal over the owner (the main dialog); returns when the user closes it (OK, Esc or the
// close box): true then, false when the dialog could not be opened. It saves nothing
// itself: the settings belong to the main dialog (see DialogHost::ShowResults).
bool ShowResultsDialog(HWND owner, std::u16string_view summary, std::u16string_view details);

// The dialog procedure of templates 131 and 132; the init parameter points to a
// ResultsTexts. Exposed for the tests, which create the dialog without its modal loop.
struct ResultsTexts {
  std::u16string_view summary;
  std::u16string_view details;
};
INT_PTR CALLBACK ResultsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
