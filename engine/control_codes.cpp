#include <cstddef>
#include <cstring>

#include "engine/find_unit.h"
#include "engine/transformations.h"

namespace {

// U+0000..U+001F except TAB, LF, CR and U+001A (28 codes).
bool IsInvalidControlCode(char16_t unit) {
  return unit < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\r' && unit != 0x1A;
}

// The first control code to go in [p, end), or end. Sixteen units are looked at a time:
// text has a line end in every line, so a search for any unit below U+0020 alone would
// stop all the time.
char16_t* FindInvalidControlCode(char16_t* p, char16_t* const end) {
  using namespace find_unit;
  auto invalid = [](Units8 units) {
    return (units < 0x20) & (units != u'\t') & (units != u'\n') & (units != u'\r') &
           (units != 0x1A);
  };
  while (end - p >= 16) {
    const Words2 low = reinterpret_cast<Words2>(invalid(Load(p)));
    const Words2 high = reinterpret_cast<Words2>(invalid(Load(p + 8)));
    if ((low[0] | low[1] | high[0] | high[1]) != 0) break;
    p += 16;
  }
  while (p < end && !IsInvalidControlCode(*p)) ++p;
  return p;
}

}  // namespace

bool DeleteControlCodes(WideText& text) {
  char16_t* const data = text.data();
  char16_t* const end = data + text.size();
  char16_t* write = FindInvalidControlCode(data, end);
  if (write == end) return false;
  // From the first code to go on, each stretch between two of them moves down once.
  for (char16_t* read = write + 1; read < end;) {
    char16_t* const next = FindInvalidControlCode(read, end);
    const size_t kept = static_cast<size_t>(next - read);
    std::memmove(write, read, kept * sizeof(char16_t));
    write += kept;
    if (next == end) break;
    read = next + 1;
  }
  text.resize(static_cast<size_t>(write - data));
  return true;
}

bool BlankControlCodes(WideText& text) {
  char16_t* const end = text.data() + text.size();
  bool changed = false;
  for (char16_t* at = FindInvalidControlCode(text.data(), end); at != end;
       at = FindInvalidControlCode(at + 1, end)) {
    *at = u' ';
    changed = true;
  }
  return changed;
}
