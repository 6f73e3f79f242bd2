// The main dialog's tooltips: one tooltip window serving every control of a table.
#pragma once

#include <windows.h>

#include "ui/tooltip_tables.h"

// Creates a tooltip window owned by the dialog (so it is destroyed with it) and registers a
// tool for each row until a row with id 0 or without text. A row whose control is not in
// the dialog is passed over. Returns the tooltip window, or null when it could not be made;
// the dialog then simply has no tooltips.
HWND CreateTooltips(HWND dialog, const TooltipRow* rows);
