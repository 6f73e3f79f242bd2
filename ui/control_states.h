// Keeping the dialog's controls consistent with each other.
#pragma once

#include "core/dialog_controls.h"
#include "core/dialog_lists.h"

// The enabling rules: when Start may be pressed, the EBCDIC line-ending rule, and which
// controls belong to a switched-off option.
void UpdateControlStates(DialogControls& controls);

// A new selection in an encoding list (kIdInputList or kIdOutputList): its code-page edit
// shows the entry's code page, or is emptied and enabled for a typed one.
void OnEncodingListChanged(DialogControls& controls, int listId);
