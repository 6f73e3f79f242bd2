// Column widths for TAB expansion: 2 for a unit that code page 932 writes in two bytes,
// else 1. Each unit value asks the converter once; the answer is kept for the process.
#pragma once

int ColumnWidth(char16_t unit);
