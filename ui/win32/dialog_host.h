// Where a run's messages go while the main dialog is open: collected for the results
// dialog, or printed at once in console mode; the Esc poll and the message boxes, owned
// by the main dialog.
#pragma once

#include <windows.h>

#include "platform/message_host.h"

class DialogHost : public MessageHost {
 public:
  // The main dialog becomes known with its first message; until then boxes have no owner.
  void SetDialog(HWND dialog) { dialog_ = dialog; }
  HWND dialog() const { return dialog_; }

  void ReportMessage(std::u16string_view text) override;
  bool AbortRequested() override;
  int ShowMessageBox(std::u16string_view text, std::u16string_view caption,
                     uint32_t style) override;
  // The results dialog; closing it saves the settings from the main dialog's controls.
  void ShowResults(std::u16string_view summary, std::u16string_view details) override;
  // Console mode: the console's progress line.
  void ShowProgress(const ProgressCounts& counts, const NativePath& folder) override;
  void EndProgress() override;

 private:
  HWND dialog_ = nullptr;
};
