// The settings store to and from the dialog's controls.
#pragma once

#include "core/dialog_controls.h"
#include "platform/message_host.h"

// True when the active store can be read (or is missing, which reads as the defaults).
// Otherwise reports that it cannot, naming its file and the reason, and answers false:
// a job or a copy must not go on with defaults taken for the stored settings.
bool CheckStoreReadable(MessageHost& host);

// Fills the controls from the active store, defaults for what is missing.
void LoadSettings(DialogControls& controls);

// Writes every key from the controls into the active store; true only when every write
// succeeded (each is attempted).
bool SaveSettings(const DialogControls& controls);
