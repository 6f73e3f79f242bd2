#include <cstddef>

#include "engine/transformations.h"

namespace {

// U+0000..U+001F except TAB, LF, CR and U+001A (28 codes).
bool IsInvalidControlCode(char16_t unit) {
  return unit < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\r' && unit != 0x1A;
}

}  // namespace

bool DeleteControlCodes(WideText& text) {
  const size_t size = text.size();
  size_t write = 0;
  for (size_t read = 0; read < size; ++read) {
    const char16_t unit = text[read];
    if (!IsInvalidControlCode(unit)) text[write++] = unit;
  }
  if (write == size) return false;
  text.resize(write);
  return true;
}

bool BlankControlCodes(WideText& text) {
  bool changed = false;
  for (char16_t& unit : text) {
    if (IsInvalidControlCode(unit)) {
      unit = u' ';
      changed = true;
    }
  }
  return changed;
}
