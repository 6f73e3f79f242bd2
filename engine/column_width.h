// Column widths for TAB expansion: 2 for a unit that code page 932 writes in two bytes,
// else 1. The widths of all 65,536 units are worked out together on first use and kept
// for the process.
#pragma once

#include <cstdint>

// The widths indexed by unit, each 1 or 2. Safe to call from several threads at once.
const uint8_t* ColumnWidths();

inline int ColumnWidth(char16_t unit) { return ColumnWidths()[unit]; }
