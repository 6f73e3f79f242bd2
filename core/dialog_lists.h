// The items of the dialog's lists: the line-ending kinds and the encodings, in the
// interface language.
#pragma once

#include "core/dialog_controls.h"

// Fills the line-ending and encoding lists in the interface language.
void FillLists(DialogControls& controls);
