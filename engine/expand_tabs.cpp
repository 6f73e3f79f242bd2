#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "engine/column_width.h"
#include "engine/transformations.h"

namespace {

// The number of spaces a TAB at column becomes.
uint64_t TabSpaces(uint64_t column, uint64_t width) { return width - column % width; }

// The column after unit when it stands at column (TABs are handled by the caller).
uint64_t Advance(uint64_t column, char16_t unit) {
  if (unit == u'\r' || unit == u'\n') return 0;
  return column + static_cast<uint64_t>(ColumnWidth(unit));
}

}  // namespace

bool ExpandTabsToColumns(WideText& text, uint32_t width) {
  if (width == 0) return false;
  const size_t firstTab = text.find(u'\t');
  if (firstTab == WideText::npos) return false;

  // First pass: the column at the first TAB and the length of the result. The width may
  // come from a hand-edited store, so a TAB can make up to 2^32 - 1 spaces; the sum is
  // kept in 64 bits and checked against what a string can hold.
  const size_t size = text.size();
  uint64_t column = 0;
  for (size_t i = 0; i < firstTab; ++i) column = Advance(column, text[i]);
  const uint64_t firstTabColumn = column;
  uint64_t total = size;
  for (size_t i = firstTab; i < size; ++i) {
    const char16_t unit = text[i];
    if (unit == u'\t') {
      const uint64_t spaces = TabSpaces(column, width);
      total += spaces - 1;
      if (total > text.max_size()) throw std::length_error("expanded text too long");
      column += spaces;
    } else {
      column = Advance(column, unit);
    }
  }

  // Grow once and move the part from the first TAB to the end of the buffer. The second
  // pass then reads it forward and writes from the first TAB on; the write position
  // never overtakes the read position, so every unit moves at most twice.
  text.resize(static_cast<size_t>(total));
  const size_t shift = static_cast<size_t>(total) - size;
  std::copy_backward(text.begin() + firstTab, text.begin() + size, text.end());

  column = firstTabColumn;
  size_t write = firstTab;
  for (size_t read = firstTab + shift; read < text.size(); ++read) {
    const char16_t unit = text[read];
    if (unit == u'\t') {
      const uint64_t spaces = TabSpaces(column, width);
      std::fill_n(text.begin() + write, spaces, u' ');
      write += static_cast<size_t>(spaces);
      column += spaces;
    } else {
      text[write++] = unit;
      column = Advance(column, unit);
    }
  }
  return true;
}
