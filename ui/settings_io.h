// The settings store to and from the dialog's controls.
#pragma once

#include "core/dialog_controls.h"

// Fills the controls from the active store, defaults for what is missing.
void LoadSettings(DialogControls& controls);

// Writes every key from the controls into the active store; true only when every write
// succeeded (each is attempted).
bool SaveSettings(const DialogControls& controls);
