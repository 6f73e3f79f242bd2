#include "ui/win32/dialog_host.h"

#include <vector>

#include "core/process_flags.h"
#include "ui/dialog_modes.h"
#include "ui/win32/message_box_hook.h"
#include "ui/win32/results_dialog.h"
#include "ui/win32/window_controls.h"

void DialogHost::ReportMessage(std::u16string_view text) {
  if (consoleMode) {
    ConsoleMessageHost().ReportMessage(text);
  } else {
    resultsText += text;
  }
}

void DialogHost::ShowProgress(const ProgressCounts& counts, const NativePath& folder) {
  if (consoleMode) ConsoleMessageHost().ShowProgress(counts, folder);
}

void DialogHost::EndProgress() {
  if (consoleMode) ConsoleMessageHost().EndProgress();
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
  return ShowThemedMessageBox(dialog_, ToWindowText(text).c_str(), ToWindowText(caption).c_str(),
                              style);
}

namespace {

bool IsEscape(const MSG& message) {
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return message.wParam == VK_ESCAPE;
    case WM_CHAR:
    case WM_SYSCHAR:
      return message.wParam == 0x1B;
  }
  return false;
}

// A run takes no messages, so an Esc tapped between two polls waits in the queue; the
// results dialog would take it and close the moment it opens, before the summary is
// seen. Such presses are dropped; every other key is put back in its order.
void DropQueuedEscape() {
  std::vector<MSG> kept;
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    if (!IsEscape(message)) kept.push_back(message);
  }
  for (const MSG& key : kept) PostMessageW(key.hwnd, key.message, key.wParam, key.lParam);
  // The key's "pressed since the last look" note goes too.
  GetAsyncKeyState(VK_ESCAPE);
}

}  // namespace

void DialogHost::ShowResults(std::u16string_view summary, std::u16string_view details) {
  DropQueuedEscape();
  if (!ShowResultsDialog(dialog_, summary, details) || !dialog_) return;
  // Closing the results saves the settings as closing the main dialog does, from the main
  // dialog's controls: the results dialog holds none, and its control ids stand for other
  // settings there.
  SaveOnClose(WindowControls(dialog_), *this);
}
