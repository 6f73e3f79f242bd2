// The main dialog's tooltip texts, one table per interface language. Pure data; the
// Win32 dialog registers them on its tooltip window.
#pragma once

struct TooltipRow {
  int id;                // control id
  const char16_t* text;  // shown when the mouse rests on the control
};

// The table of the language, in dialog order, ended by a row with id 0 and no text. The
// English table has no rows for 1028, 1024 and 1029.
const TooltipRow* TooltipTable(bool japanese);
