#include "engine/run_error.h"

#include "core/process_flags.h"
#include "core/wide_text.h"

void ReportRunError(MessageHost& host, std::u16string_view text) {
  if (consoleMode) {
    WideText line(text);
    line += u'\n';
    host.ReportMessage(line);
  } else {
    host.ShowMessageBox(text, ProductTitle(), kBoxIconError | kBoxOk);
  }
}
