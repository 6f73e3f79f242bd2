// What the console message hosts of both platforms share: the progress line on standard
// error, erased before anything else is printed.
#pragma once

#include <utility>

#include "platform/message_host.h"
#include "platform/progress_line.h"

class ConsoleHostBase : public MessageHost {
 public:
  void ShowProgress(const ProgressCounts& counts, const NativePath& folder) override {
    progress_.Update(counts, [&folder] { return PathForDisplay(folder); });
  }

  void EndProgress() override { progress_.Clear(); }

  void SetProgressLine(ProgressLine line) {
    progress_.Clear();
    progress_ = std::move(line);
  }

 protected:
  // Before a message or a box: the line goes first.
  void ClearProgress() { progress_.Clear(); }

 private:
  ProgressLine progress_{OpenStandardErrorTerminal(), SteadyMilliseconds};
};
