#include <cstddef>

#include "engine/transformations.h"

namespace {

constexpr char16_t kFullWidthSpace = 0x3000;

}  // namespace

bool SplitFullWidthSpaces(WideText& text) {
  size_t count = 0;
  for (const char16_t unit : text) count += unit == kFullWidthSpace;
  if (count == 0) return false;

  // Grow once, then fill from the back so that every unit moves exactly once.
  size_t read = text.size();
  text.resize(read + count);
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
  bool changed = false;
  for (char16_t& unit : text) {
    if (unit == kFullWidthSpace) {
      unit = u' ';
      changed = true;
    }
  }
  return changed;
}

bool TrimLineEndWhiteSpace(WideText& text) {
  const size_t size = text.size();
  size_t write = 0;
  // Where the run of spaces and TABs just written began; npos when no run is open.
  size_t runStart = WideText::npos;
  for (size_t read = 0; read < size; ++read) {
    const char16_t unit = text[read];
    if (unit == u' ' || unit == u'\t') {
      if (runStart == WideText::npos) runStart = write;
    } else if (unit == u'\r' || unit == u'\n') {
      if (runStart != WideText::npos) write = runStart;
      runStart = WideText::npos;
    } else {
      runStart = WideText::npos;
    }
    text[write++] = unit;
  }
  if (runStart != WideText::npos) write = runStart;
  if (write == size) return false;
  text.resize(write);
  return true;
}
