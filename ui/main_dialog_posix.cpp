// Without a window system the dialog's controls live in memory: console mode and
// settings-copy mode take the same road as on Windows; the interactive dialog is the
// Windows program's.
#include "ui/main_dialog.h"

#include <cstdio>

#include "core/memory_controls.h"
#include "core/process_flags.h"
#include "engine/engine_context.h"
#include "ui/dialog_modes.h"

void AttachParentConsole() {}
void DetachParentConsole() {}

int RunMainDialog() {
  if (!consoleMode && !copySettingsMode) {
    std::fputs("quillon: this build has no dialog; use /CUIMODE to run the stored job, or /OR "
               "and /RO to copy the settings.\n",
               stderr);
    return 2;
  }
  MemoryControls controls;
  EngineContext context;
  InitializeMainDialog(controls, context);
  return 0;
}
