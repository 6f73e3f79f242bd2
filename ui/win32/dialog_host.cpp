#include "ui/win32/dialog_host.h"

#include "core/process_flags.h"
#include "ui/win32/results_dialog.h"
#include "ui/win32/window_controls.h"

void DialogHost::ReportMessage(std::u16string_view text) {
  if (consoleMode) {
    ConsoleMessageHost().ReportMessage(text);
  } else {
    resultsText += text;
  }
}

bool DialogHost::AbortRequested() {
  // A sample of the key as it is now, and only while the user looks at this program.
  if (!dialog_ || GetForegroundWindow() != dialog_) return false;
  if ((GetAsyncKeyState(VK_ESCAPE) & 0x8000) == 0) return false;
  if (consoleMode) return true;
  return ShowMessageBox(Text(u"Escキーが押されました。中断しますか?", u"Do you want to abort?"),
                        Text(u"中断", u"Abort"), kBoxIconQuestion | kBoxYesNo) == kAnswerYes;
}

int DialogHost::ShowMessageBox(std::u16string_view text, std::u16string_view caption,
                               uint32_t style) {
  return MessageBoxW(dialog_, ToWindowText(text).c_str(), ToWindowText(caption).c_str(), style);
}

void DialogHost::ShowResults(std::u16string_view summary, std::u16string_view details) {
  ShowResultsDialog(dialog_, summary, details);
}
