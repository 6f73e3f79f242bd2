#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "engine/column_width.h"
#include "engine/large_buffer.h"
#include "engine/transformations.h"

namespace {

// TAB, LF and CR are the only units that do more than advance the column, and all three
// are at most CR: one comparison sends every other unit down the fast path.
constexpr char16_t kLastSpecial = u'\r';

// The number of spaces a TAB at column becomes.
uint64_t TabSpaces(uint64_t column, uint64_t width) { return width - column % width; }

// Walks the text's columns as expansion sees them, calling onTab(index, spaces) for each
// TAB with the number of spaces it becomes. A line starts at column 0 after CR and after
// LF; every other unit takes its column width.
template <class OnTab>
void WalkTabColumns(const char16_t* data, size_t size, uint64_t width, OnTab&& onTab) {
  const uint8_t* widths = ColumnWidths();
  uint64_t column = 0;
  for (size_t i = 0; i < size; ++i) {
    const char16_t unit = data[i];
    if (unit > kLastSpecial) {
      column += widths[unit];
    } else if (unit == u'\t') {
      const uint64_t spaces = TabSpaces(column, width);
      onTab(i, spaces);
      column += spaces;
    } else if (unit == u'\r' || unit == u'\n') {
      column = 0;
    } else {
      column += widths[unit];
    }
  }
}

// The exact length of the expanded text, for the rare widths where the bound of
// ExpandTabsToColumns would reserve far more than needed or more than a text may hold.
// Throws TooLargeError as soon as the text grows past limit.
uint64_t ExpandedLength(const char16_t* data, size_t size, uint64_t width, uint64_t limit) {
  uint64_t total = size;
  WalkTabColumns(data, size, width, [&](size_t, uint64_t spaces) {
    // At most width - 1 < 2^32 a TAB: no wrap in 64 bits before the check.
    total += spaces - 1;
    if (spaces > 1 && total > limit) throw TooLargeError("expanded text too long");
  });
  return total;
}

}  // namespace

bool ExpandTabsToColumns(WideText& text, uint32_t width) {
  if (width == 0) return false;
  const size_t size = text.size();
  const char16_t* data = text.data();
  const auto tabs = static_cast<uint64_t>(std::count(data, data + size, u'\t'));
  if (tabs == 0) return false;

  // Every TAB makes at most width spaces, so size + tabs * (width - 1) bounds the result.
  // A reservation is only claimed as it is written, so the bound costs nothing beyond the
  // result; the exact length is worked out first only when the bound is far off (a
  // width from a hand-edited store can be up to 2^32 - 1) or beyond what a text may hold.
  const uint64_t limit = HeldLimit();
  const uint64_t extra = width - 1;
  uint64_t room = 0;
  if (extra == 0 || (size <= limit && tabs <= (limit - size) / extra)) room = size + tabs * extra;
  if (room == 0 || room > 2 * static_cast<uint64_t>(size) + (uint64_t{1} << 20)) {
    room = ExpandedLength(data, size, width, limit);
  }

  WideText result;
  ReserveLarge(result, static_cast<size_t>(room));
  size_t copied = 0;  // text before this index is in result
  WalkTabColumns(data, size, width, [&](size_t tab, uint64_t spaces) {
    result.append(data + copied, tab - copied);
    result.append(static_cast<size_t>(spaces), u' ');
    copied = tab + 1;
  });
  result.append(data + copied, size - copied);
  text.swap(result);
  return true;
}
