// What the main dialog does when it opens and when it closes, whatever window holds the
// controls.
#pragma once

#include "core/dialog_controls.h"
#include "engine/engine_context.h"

// Fills the lists, loads the settings and applies the enabling rules; then runs the
// stored job in console mode, or saves into the other store in settings-copy mode.
// True when the dialog is to close at once.
bool InitializeMainDialog(DialogControls& controls, EngineContext& context);

// Saves the settings, warns when that failed, and confirms a settings copy.
void SaveOnClose(const DialogControls& controls, MessageHost& host);
