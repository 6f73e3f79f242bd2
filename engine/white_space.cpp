#include <cstddef>
#include <string>

#include "engine/find_unit.h"
#include "engine/large_buffer.h"
#include "engine/transformations.h"

namespace {

void Move(char16_t* to, const char16_t* from, size_t count) {
  std::char_traits<char16_t>::move(to, from, count);
}

constexpr char16_t kFullWidthSpace = 0x3000;

}  // namespace

bool SplitFullWidthSpaces(WideText& text) {
  size_t count = 0;
  for (const char16_t unit : text) count += unit == kFullWidthSpace;
  if (count == 0) return false;

  // Grow once, then fill from the back so that every unit moves exactly once.
  size_t read = text.size();
  text.resize(static_cast<size_t>(GrownSize(read, count, 1)));
  size_t write = text.size();
  while (read != write) {
    const char16_t unit = text[--read];
    if (unit == kFullWidthSpace) {
      text[--write] = u' ';
      text[--write] = u' ';
    } else {
      text[--write] = unit;
    }
  }
  return true;
}

bool ReplaceFullWidthSpaces(WideText& text) {
  char16_t* const begin = text.data();
  char16_t* const end = begin + text.size();
  bool changed = false;
  // From one full-width space to the next, sixteen units a step.
  for (const char16_t* at = FindEitherUnit(begin, end, kFullWidthSpace, kFullWidthSpace);
       at != end; at = FindEitherUnit(at + 1, end, kFullWidthSpace, kFullWidthSpace)) {
    begin[at - begin] = u' ';
    changed = true;
  }
  return changed;
}

bool TrimLineEndWhiteSpace(WideText& text) {
  char16_t* const data = text.data();
  const size_t size = text.size();
  // Only the units just before a line end (and the end of the text) can go, so the pass
  // jumps from line end to line end and looks back over the blanks before each. Nothing
  // is written before the first blank to go; from then on the kept part of each line
  // moves down once. The units from copied on are still the original ones.
  size_t write = 0;
  size_t copied = 0;
  size_t lineStart = 0;
  for (;;) {
    const size_t lineEnd =
        static_cast<size_t>(FindEitherUnit(data + lineStart, data + size, u'\r', u'\n') - data);
    size_t keep = lineEnd;
    while (keep > lineStart && (data[keep - 1] == u' ' || data[keep - 1] == u'\t')) --keep;
    if (keep != lineEnd) {
      if (write != copied) Move(data + write, data + copied, keep - copied);
      write += keep - copied;
      copied = lineEnd;
    }
    if (lineEnd == size) break;
    lineStart = lineEnd + 1;
  }
  if (write == copied) return false;  // nothing went
  Move(data + write, data + copied, size - copied);
  text.resize(write + size - copied);
  return true;
}
